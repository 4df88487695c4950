#include "korin/platform/backend/SdlBackend.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <vector>

#include "korin/platform/gui/Clipboard.h"
#include "korin/platform/gui/Forms.h"
#include "korin/platform/gui/Keyboard.h"
#include "korin/platform/gui/Popups.h"
#include "korin/platform/gui/Render.h"

#ifdef KORIN_HAVE_SDL2
#include <SDL.h>
#include <cairo.h>
#endif

namespace korin {

namespace {

std::u32string DecodeUtf8(const std::string& s)
{
    std::u32string out;
    for (size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        char32_t cp;
        int n;
        if (c < 0x80) { cp = c; n = 1; }
        else if ((c >> 5) == 6) { cp = c & 0x1F; n = 2; }
        else if ((c >> 4) == 14) { cp = c & 0x0F; n = 3; }
        else if ((c >> 3) == 30) { cp = c & 0x07; n = 4; }
        else { out.push_back(0xFFFD); ++i; continue; }
        if (i + static_cast<size_t>(n) > s.size()) { out.push_back(0xFFFD); break; }
        for (int j = 1; j < n; ++j)
            cp = (cp << 6) | (static_cast<unsigned char>(s[i + static_cast<size_t>(j)]) & 0x3F);
        out.push_back(cp);
        i += static_cast<size_t>(n);
    }
    return out;
}

bool EnvSet(const char* name)
{
    const char* v = std::getenv(name);
    return v && *v;
}

}  // namespace

std::u32string TextInputChars(const std::string& Utf8)
{
    std::u32string out;
    for (char32_t c : DecodeUtf8(Utf8))
        if (c >= 0x80)  // printable ASCII comes from key translation
            out.push_back(c);
    return out;
}

std::unique_ptr<TBackend> CreateBestBackend()
{
    const char* forced = std::getenv("KORIN_BACKEND");
    if (forced && std::string(forced) == "headless")
        return std::make_unique<THeadlessBackend>();
#ifdef KORIN_HAVE_SDL2
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    bool offscreen = driver && std::string(driver) == "offscreen";
    if ((EnvSet("DISPLAY") || EnvSet("WAYLAND_DISPLAY") || offscreen) && SDL_Init(SDL_INIT_VIDEO) == 0)
        return std::make_unique<TSdlBackend>();
#endif
    return std::make_unique<THeadlessBackend>();
}

void SaveShownWindowToPNG(TWinControl* Window, const std::string& Path)
{
    ShownWindowImage(Window)->SaveToPNG(Path);
}

std::unique_ptr<TBitmap> ShownWindowImage(TWinControl* Window)
{
#ifdef KORIN_HAVE_SDL2
    if (auto* sdl = dynamic_cast<TSdlBackend*>(&Application->Backend())) {
        sdl->PaintWindows();
        if (auto shown = sdl->WindowImage(Window))
            return shown;
    }
#endif
    return RenderWindow(Window, false);
}

#ifndef KORIN_HAVE_SDL2

bool SdlBackendAvailable() { return false; }
std::uint16_t SdlKeyToVirtualKey(std::int32_t) { return 0; }
struct TSdlBackend::TImpl {};
TSdlBackend::TSdlBackend() { throw Exception("This build has no SDL2 window backend"); }
TSdlBackend::~TSdlBackend() = default;
bool TSdlBackend::DeliverInput(TApplication&, bool) { return false; }
double TSdlBackend::Now() const { return 0; }
void TSdlBackend::FormShown(TCustomForm*) {}
void TSdlBackend::FormHidden(TCustomForm*) {}
void TSdlBackend::FormDestroyed(TCustomForm*) {}
void TSdlBackend::PaintWindows() {}
int TSdlBackend::WindowCount() const { return 0; }
std::unique_ptr<TBitmap> TSdlBackend::WindowImage(TWinControl*) const { return nullptr; }
TSdlBackend::TPaintStats TSdlBackend::PaintStats(TWinControl*) const { return {}; }

#else

bool SdlBackendAvailable() { return true; }

std::uint16_t SdlKeyToVirtualKey(std::int32_t k)
{
    if (k >= SDLK_a && k <= SDLK_z)
        return static_cast<std::uint16_t>('A' + (k - SDLK_a));
    if (k >= SDLK_0 && k <= SDLK_9)
        return static_cast<std::uint16_t>('0' + (k - SDLK_0));
    if (k >= SDLK_F1 && k <= SDLK_F12)
        return static_cast<std::uint16_t>(VK_F1 + (k - SDLK_F1));
    if (k >= SDLK_F13 && k <= SDLK_F24)
        return static_cast<std::uint16_t>(VK_F1 + 12 + (k - SDLK_F13));
    if (k >= SDLK_KP_1 && k <= SDLK_KP_9)
        return static_cast<std::uint16_t>(VK_NUMPAD0 + 1 + (k - SDLK_KP_1));
    switch (k) {
    case SDLK_KP_0: return VK_NUMPAD0;
    case SDLK_KP_MULTIPLY: return VK_MULTIPLY;
    case SDLK_KP_PLUS: return VK_ADD;
    case SDLK_KP_MINUS: return VK_SUBTRACT;
    case SDLK_KP_PERIOD: return VK_DECIMAL;
    case SDLK_KP_DIVIDE: return VK_DIVIDE;
    case SDLK_KP_ENTER:
    case SDLK_RETURN: return VK_RETURN;
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_TAB: return VK_TAB;
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_UP: return VK_UP;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_HOME: return VK_HOME;
    case SDLK_END: return VK_END;
    case SDLK_PAGEUP: return VK_PRIOR;
    case SDLK_PAGEDOWN: return VK_NEXT;
    case SDLK_INSERT: return VK_INSERT;
    case SDLK_DELETE: return VK_DELETE;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return VK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return VK_CONTROL;
    case SDLK_LALT:
    case SDLK_RALT: return VK_MENU;
    case SDLK_CAPSLOCK: return VK_CAPITAL;
    case SDLK_NUMLOCKCLEAR: return VK_NUMLOCK;
    case SDLK_SCROLLLOCK: return VK_SCROLL;
    case SDLK_PAUSE: return VK_PAUSE;
    case SDLK_SEMICOLON: return 0xBA;
    case SDLK_EQUALS: return 0xBB;
    case SDLK_COMMA: return 0xBC;
    case SDLK_MINUS: return 0xBD;
    case SDLK_PERIOD: return 0xBE;
    case SDLK_SLASH: return 0xBF;
    case SDLK_BACKQUOTE: return 0xC0;
    case SDLK_LEFTBRACKET: return 0xDB;
    case SDLK_BACKSLASH: return 0xDC;
    case SDLK_RIGHTBRACKET: return 0xDD;
    case SDLK_QUOTE: return 0xDE;
    }
    return 0;
}

// The desktop's clipboard, shared with other programs while the window system runs.
class TSdlClipboard : public TClipboard {
public:
    std::string AsText() const override
    {
        char* s = SDL_GetClipboardText();
        std::string out = s ? s : "";
        SDL_free(s);
        return out;
    }
    void SetAsText(const std::string& Value) override { SDL_SetClipboardText(Value.c_str()); }
};

struct TSdlBackend::TImpl {
    TSdlClipboard Clipboard;
    TClipboard* PreviousClipboard = nullptr;
    struct TWindow {
        SDL_Window* Window = nullptr;
        bool Popup = false;
        bool Dirty = true;
        TRect Placed{};  // the client area's screen rectangle as the window has it
        std::shared_ptr<TBitmap> Image;  // what the window shows, as last painted
        TPaintStats Stats;
    };
    std::map<TWinControl*, TWindow> Windows;
    bool AppActive = true;
    // The off-screen and dummy drivers have no window system behind them.
    bool NoInputSource = false;
    int Cursor = crDefault;
    SDL_Cursor* Arrow = nullptr;
    SDL_Cursor* Wait = nullptr;

    TWinControl* ControlOf(Uint32 id)
    {
        for (auto& [control, w] : Windows)
            if (SDL_GetWindowID(w.Window) == id)
                return control;
        return nullptr;
    }

    TWindow& Ensure(TWinControl* control, bool popup)
    {
        auto it = Windows.find(control);
        if (it != Windows.end() && it->second.Window)
            return it->second;
        TWindow w;
        w.Popup = popup;
        Uint32 flags = SDL_WINDOW_HIDDEN;
        int x, y, width = std::max(1, control->ClientWidth()), height = std::max(1, control->ClientHeight());
        if (popup) {
            flags |= SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP | SDL_WINDOW_SKIP_TASKBAR | SDL_WINDOW_TOOLTIP;
            x = control->Left();
            y = control->Top();
        } else {
            auto* form = static_cast<TCustomForm*>(control);
            TPoint o = form->ClientOrigin();
            x = o.x;
            y = o.y;
            switch (form->BorderStyle()) {
            case bsNone: flags |= SDL_WINDOW_BORDERLESS; break;
            case bsSizeable: flags |= SDL_WINDOW_RESIZABLE; break;
            case bsSizeToolWin: flags |= SDL_WINDOW_RESIZABLE | SDL_WINDOW_UTILITY; break;
            case bsToolWindow: flags |= SDL_WINDOW_UTILITY; break;
            default: break;
            }
            if (form->StayOnTop())
                flags |= SDL_WINDOW_ALWAYS_ON_TOP;
        }
        w.Window = SDL_CreateWindow(control->Caption().c_str(), x, y, width, height, flags);
        if (!w.Window)
            throw Exception(std::string("Cannot create a window: ") + SDL_GetError());
        w.Placed = Bounds(x, y, width, height);
        return Windows[control] = w;
    }

    void Destroy(TWinControl* control)
    {
        auto it = Windows.find(control);
        if (it == Windows.end())
            return;
        if (it->second.Window)
            SDL_DestroyWindow(it->second.Window);
        Windows.erase(it);
    }

    static bool NeedsPaint(TControl* c)
    {
        if (!c->Visible())
            return false;
        if (c->NeedsPaint())
            return true;
        if (auto* w = dynamic_cast<TWinControl*>(c))
            for (int i = 0; i < w->ControlCount(); ++i)
                if (NeedsPaint(w->Controls(i)))
                    return true;
        return false;
    }

    // Gives every showing popup a window of its own and drops the windows of popups that
    // were hidden or destroyed. Destroyed popups are recognised by their absence from the
    // registry, without touching them.
    void SyncPopups()
    {
        std::vector<TWinControl*> gone;
        for (auto& [control, w] : Windows)
            if (w.Popup && !IsPopupWindow(control))
                gone.push_back(control);
        for (TWinControl* c : gone)
            Destroy(c);
        auto showing = PopupWindows();
        for (auto& [control, w] : Windows)
            if (w.Popup && std::find(showing.begin(), showing.end(), control) == showing.end())
                SDL_HideWindow(w.Window);
        for (TWinControl* p : showing) {
            TWindow& w = Ensure(p, true);
            TRect r = p->BoundsRect();
            if (r != w.Placed) {
                SDL_SetWindowPosition(w.Window, r.Left, r.Top);
                SDL_SetWindowSize(w.Window, std::max(1, r.Width()), std::max(1, r.Height()));
                w.Placed = r;
                w.Dirty = true;
            }
            if (!(SDL_GetWindowFlags(w.Window) & SDL_WINDOW_SHOWN)) {
                SDL_SetHint(SDL_HINT_WINDOW_NO_ACTIVATION_WHEN_SHOWN, "1");
                SDL_ShowWindow(w.Window);
                SDL_SetHint(SDL_HINT_WINDOW_NO_ACTIVATION_WHEN_SHOWN, "0");
                w.Dirty = true;
            }
            // A popup stays where its control says, whatever moved its window.
            int x = 0, y = 0;
            SDL_GetWindowPosition(w.Window, &x, &y);
            if (x != r.Left || y != r.Top)
                SDL_SetWindowPosition(w.Window, r.Left, r.Top);
        }
        KeepKeyboardOnForms();
    }

    // Popups never hold the keyboard: where the window system gave it to one (or left it
    // nowhere when one went away), it goes back to the window of the active form.
    void KeepKeyboardOnForms()
    {
        if (!AppActive)
            return;
        SDL_Window* focus = SDL_GetKeyboardFocus();
        if (focus)
            for (auto& [control, w] : Windows)
                if (w.Window == focus && !w.Popup)
                    return;
        if (!focus && Windows.empty())
            return;
        TCustomForm* form = Application->ModalForm();
        if (!form) {
            HWND h = GetFocus();
            TWinControl* c = h ? FindControl(h) : nullptr;
            form = c ? GetParentForm(c) : nullptr;
        }
        if (!form)
            form = Screen->ActiveForm();
        auto it = form ? Windows.find(form) : Windows.end();
        if (it != Windows.end() && (SDL_GetWindowFlags(it->second.Window) & SDL_WINDOW_SHOWN))
            SDL_SetWindowInputFocus(it->second.Window);
    }

    void Paint(TWinControl* control, TWindow& w)
    {
        if (!control->Visible() || !(SDL_GetWindowFlags(w.Window) & SDL_WINDOW_SHOWN))
            return;
        int width = std::max(1, control->ClientWidth()), height = std::max(1, control->ClientHeight());
        bool whole = w.Dirty || !w.Image || w.Image->Width() != width || w.Image->Height() != height;
        TRect area = Rect(0, 0, width, height);
        if (whole) {
            w.Image = RenderWindow(control, false);
            ++w.Stats.FullRenders;
        } else {
            if (!NeedsPaint(control))
                return;
            area = InvalidatedArea(control);
            if (IsRectEmpty(area))
                return;
            std::vector<std::uint32_t> before = Pixels(*w.Image, area);
            RenderWindowArea(control, *w.Image, area);
            ++w.Stats.AreaRenders;
            if (Pixels(*w.Image, area) == before)
                return;  // repainted the same: the screen already shows it
        }
        w.Dirty = false;
        Present(w, area);
    }

    // The pixels of a rectangle of an image, row by row.
    static std::vector<std::uint32_t> Pixels(TBitmap& image, const TRect& r)
    {
        cairo_surface_t* s = image.Surface();
        cairo_surface_flush(s);
        const unsigned char* data = cairo_image_surface_get_data(s);
        int stride = cairo_image_surface_get_stride(s);
        std::vector<std::uint32_t> out;
        out.reserve(static_cast<size_t>(r.Width()) * static_cast<size_t>(r.Height()));
        for (int y = r.Top; y < r.Bottom; ++y) {
            auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
            out.insert(out.end(), row + r.Left, row + r.Right);
        }
        return out;
    }

    // Copies a rectangle of the window's image to the screen.
    void Present(TWindow& w, const TRect& area)
    {
        cairo_surface_t* s = w.Image->Surface();
        cairo_surface_flush(s);
        SDL_Surface* src = SDL_CreateRGBSurfaceWithFormatFrom(
            cairo_image_surface_get_data(s), w.Image->Width(), w.Image->Height(), 32, cairo_image_surface_get_stride(s),
            SDL_PIXELFORMAT_ARGB8888);
        SDL_Surface* dst = SDL_GetWindowSurface(w.Window);
        if (src && dst) {
            SDL_Rect r{area.Left, area.Top, area.Width(), area.Height()};
            SDL_SetSurfaceBlendMode(src, SDL_BLENDMODE_NONE);
            SDL_BlitSurface(src, &r, dst, &r);
            SDL_UpdateWindowSurfaceRects(w.Window, &r, 1);
            ++w.Stats.Presents;
            w.Stats.LastPresented = area;
        }
        if (src)
            SDL_FreeSurface(src);
    }
};

TSdlBackend::TSdlBackend() : FImpl(std::make_unique<TImpl>())
{
    if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        throw Exception(std::string("Cannot start the window system: ") + SDL_GetError());
    // Closing a window asks its form to close; the application decides when to quit.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // The pixels are made in memory; copying them straight to the window costs less
    // than handing them to a 3D renderer (a software one, often) on every change.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    SDL_StartTextInput();
    if (const char* driver = SDL_GetCurrentVideoDriver())
        FImpl->NoInputSource = std::string(driver) == "offscreen" || std::string(driver) == "dummy";
    FImpl->PreviousClipboard = SetClipboard(&FImpl->Clipboard);
}

TSdlBackend::~TSdlBackend()
{
    for (auto& [control, w] : FImpl->Windows)
        if (w.Window)
            SDL_DestroyWindow(w.Window);
    FImpl->Windows.clear();
    if (FImpl->Arrow)
        SDL_FreeCursor(FImpl->Arrow);
    if (FImpl->Wait)
        SDL_FreeCursor(FImpl->Wait);
    SDL_StopTextInput();
    SetClipboard(FImpl->PreviousClipboard);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

double TSdlBackend::Now() const { return static_cast<double>(SDL_GetTicks64()); }

int TSdlBackend::WindowCount() const { return static_cast<int>(FImpl->Windows.size()); }

std::unique_ptr<TBitmap> TSdlBackend::WindowImage(TWinControl* Window) const
{
    auto it = FImpl->Windows.find(Window);
    if (it == FImpl->Windows.end() || !it->second.Window)
        return nullptr;
    SDL_Surface* shown = SDL_GetWindowSurface(it->second.Window);
    if (!shown)
        return nullptr;
    SDL_Surface* argb = SDL_ConvertSurfaceFormat(shown, SDL_PIXELFORMAT_ARGB8888, 0);
    if (!argb)
        return nullptr;
    auto bmp = std::make_unique<TBitmap>(argb->w, argb->h);
    cairo_surface_t* s = bmp->Surface();
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    SDL_LockSurface(argb);
    for (int y = 0; y < argb->h; ++y) {
        auto* from = reinterpret_cast<const std::uint32_t*>(static_cast<const unsigned char*>(argb->pixels) + y * argb->pitch);
        auto* to = reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < argb->w; ++x)
            to[x] = from[x] | 0xFF000000u;  // a window has no transparency
    }
    SDL_UnlockSurface(argb);
    SDL_FreeSurface(argb);
    cairo_surface_mark_dirty(s);
    return bmp;
}

TSdlBackend::TPaintStats TSdlBackend::PaintStats(TWinControl* Window) const
{
    auto it = FImpl->Windows.find(Window);
    return it == FImpl->Windows.end() ? TPaintStats{} : it->second.Stats;
}

void TSdlBackend::FormShown(TCustomForm* Form)
{
    if (Form->Parent())
        return;
    auto& w = FImpl->Ensure(Form, false);
    SDL_SetWindowTitle(w.Window, Form->Caption().c_str());
    if (Form->MinClientWidth() > 0 || Form->MinClientHeight() > 0)
        SDL_SetWindowMinimumSize(w.Window, std::max(1, Form->MinClientWidth()), std::max(1, Form->MinClientHeight()));
    SDL_SetWindowSize(w.Window, std::max(1, Form->ClientWidth()), std::max(1, Form->ClientHeight()));
    SDL_ShowWindow(w.Window);
    SDL_RaiseWindow(w.Window);
    w.Dirty = true;
}

void TSdlBackend::FormHidden(TCustomForm* Form)
{
    auto it = FImpl->Windows.find(Form);
    if (it != FImpl->Windows.end())
        SDL_HideWindow(it->second.Window);
}

void TSdlBackend::FormDestroyed(TCustomForm* Form) { FImpl->Destroy(Form); }

void TSdlBackend::PaintWindows()
{
    FImpl->SyncPopups();
    for (auto& [control, w] : FImpl->Windows) {
        if (!w.Popup) {
            auto* form = static_cast<TCustomForm*>(control);
            std::string title = form->Caption();
            if (title != SDL_GetWindowTitle(w.Window))
                SDL_SetWindowTitle(w.Window, title.c_str());
            // A form moved or sized by the program moves or sizes its window.
            TPoint o = form->ClientOrigin();
            TRect want = Bounds(o.x, o.y, std::max(1, form->ClientWidth()), std::max(1, form->ClientHeight()));
            if (want != w.Placed) {
                if (want.Left != w.Placed.Left || want.Top != w.Placed.Top)
                    SDL_SetWindowPosition(w.Window, want.Left, want.Top);
                if (want.Width() != w.Placed.Width() || want.Height() != w.Placed.Height())
                    SDL_SetWindowSize(w.Window, want.Width(), want.Height());
                w.Placed = want;
                w.Dirty = true;
            }
        }
        FImpl->Paint(control, w);
    }
    // The mouse cursor: the screen's when set, else the one SetCursor chose.
    int cursor = Screen->Cursor() != crDefault ? Screen->Cursor() : GetCursor();
    if (cursor != FImpl->Cursor) {
        FImpl->Cursor = cursor;
        SDL_Cursor*& c = cursor == crHourGlass ? FImpl->Wait : FImpl->Arrow;
        if (!c)
            c = SDL_CreateSystemCursor(cursor == crHourGlass ? SDL_SYSTEM_CURSOR_WAIT : SDL_SYSTEM_CURSOR_ARROW);
        if (c)
            SDL_SetCursor(c);
    }
}

namespace {

std::uint32_t ButtonMessage(Uint8 button, bool down, int clicks, std::uint16_t& vk)
{
    switch (button) {
    case SDL_BUTTON_LEFT:
        vk = VK_LBUTTON;
        return down ? (clicks % 2 == 0 ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN) : WM_LBUTTONUP;
    case SDL_BUTTON_RIGHT:
        vk = VK_RBUTTON;
        return down ? (clicks % 2 == 0 ? WM_RBUTTONDBLCLK : WM_RBUTTONDOWN) : WM_RBUTTONUP;
    case SDL_BUTTON_MIDDLE:
        vk = VK_MBUTTON;
        return down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
    }
    vk = 0;
    return 0;
}

void SyncLockKeys()
{
    SDL_Keymod mod = SDL_GetModState();
    SetKeyToggled(VK_CAPITAL, (mod & KMOD_CAPS) != 0);
    SetKeyToggled(VK_NUMLOCK, (mod & KMOD_NUM) != 0);
    SetKeyToggled(VK_SCROLL, (mod & KMOD_SCROLL) != 0);
}

}  // namespace

bool TSdlBackend::DeliverInput(TApplication& App, bool Wait)
{
    PaintWindows();
    SDL_Event ev;
    bool got;
    if (PendingInput() > 0) {
        // Scripted input (a tour played in a window) comes after what the window system
        // has to say, and the loop does not wait while some is left.
        if (SDL_PollEvent(&ev) == 0)
            return DeliverScripted(App);
        got = true;
    } else if (Wait && App.PendingMessageCount() == 0) {
        // Sleep until input arrives or the next timer is due.
        double due = App.NextTimerDue();
        int timeout = 500;
        if (due >= 0)
            timeout = static_cast<int>(std::clamp(std::ceil(due - Now()), 0.0, 500.0));
        if (FImpl->NoInputSource) {
            // SDL waits on these drivers by polling every millisecond; nothing can
            // arrive from outside, so sleeping through to the timer costs nothing.
            got = SDL_PollEvent(&ev) != 0;
            if (!got && timeout > 0) {
                SDL_Delay(static_cast<Uint32>(timeout));
                got = SDL_PollEvent(&ev) != 0;
            }
        } else {
            got = SDL_WaitEventTimeout(&ev, timeout) != 0;
        }
    } else {
        got = SDL_PollEvent(&ev) != 0;
    }
    if (!got)
        return false;

    auto& windows = FImpl->Windows;
    switch (ev.type) {
    case SDL_QUIT:
        App.Terminate();
        break;
    case SDL_WINDOWEVENT: {
        TWinControl* c = FImpl->ControlOf(ev.window.windowID);
        if (!c)
            break;
        auto& w = windows[c];
        auto* form = w.Popup ? nullptr : static_cast<TCustomForm*>(c);
        switch (ev.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
            if (form)
                App.PostMessage(form->Handle(), WM_CLOSE, 0, 0);
            break;
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_RESTORED:
            w.Dirty = true;
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            if (form) {
                w.Placed.Right = w.Placed.Left + ev.window.data1;
                w.Placed.Bottom = w.Placed.Top + ev.window.data2;
                if (form->ClientWidth() != ev.window.data1)
                    form->SetClientWidth(ev.window.data1);
                if (form->ClientHeight() != ev.window.data2)
                    form->SetClientHeight(ev.window.data2);
            }
            w.Dirty = true;
            break;
        case SDL_WINDOWEVENT_MOVED:
            // Keep the form's screen position true, so that screen coordinates of its
            // controls (popups placed below a combo box, hints) land where they belong.
            if (form) {
                w.Placed = Bounds(ev.window.data1, ev.window.data2, w.Placed.Width(), w.Placed.Height());
                form->SetBounds(ev.window.data1 - form->FrameWidth(),
                                ev.window.data2 - form->FrameWidth() - form->CaptionHeight(), form->Width(),
                                form->Height());
            }
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            SyncLockKeys();
            if (!FImpl->AppActive) {
                FImpl->AppActive = true;
                App.Activate(true);
            }
            if (form) {
                TCustomForm* modal = App.ModalForm();
                if (modal && modal != form) {
                    auto m = windows.find(modal);
                    if (m != windows.end())
                        SDL_RaiseWindow(m->second.Window);
                } else if (form->CanFocus()) {
                    HWND f = GetFocus();
                    TWinControl* focused = f ? FindControl(f) : nullptr;
                    if (!focused || GetParentForm(focused) != form) {
                        TWinControl* a = form->ActiveControl();
                        if (a && a->CanFocus())
                            a->SetFocus();
                        else
                            form->SetFocus();
                    }
                }
            }
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST: {
            if (!form)
                break;  // a popup losing the keyboard it should not have had
            // Another application took over unless one of our windows gains the focus next.
            SDL_Event next[8];
            int n = SDL_PeepEvents(next, 8, SDL_PEEKEVENT, SDL_WINDOWEVENT, SDL_WINDOWEVENT);
            bool ours = false;
            for (int i = 0; i < n; ++i)
                ours = ours || next[i].window.event == SDL_WINDOWEVENT_FOCUS_GAINED;
            if (!ours && FImpl->AppActive) {
                FImpl->AppActive = false;
                SetKeyDown(VK_SHIFT, false);
                SetKeyDown(VK_CONTROL, false);
                SetKeyDown(VK_MENU, false);
                ReleaseCapture();  // open menus and dropped lists close
                App.Activate(false);
            }
            break;
        }
        }
        break;
    }
    case SDL_MOUSEMOTION: {
        if (TWinControl* c = FImpl->ControlOf(ev.motion.windowID))
            App.InputMouse(c, Point(ev.motion.x, ev.motion.y), WM_MOUSEMOVE);
        break;
    }
    case SDL_MOUSEWHEEL: {
        // Whole notches and finer turns alike become WM_MOUSEWHEEL distances.
        if (TWinControl* c = FImpl->ControlOf(ev.wheel.windowID)) {
            float turned = ev.wheel.preciseY;
            if (ev.wheel.direction == SDL_MOUSEWHEEL_FLIPPED)
                turned = -turned;
            int delta = static_cast<int>(turned * WHEEL_DELTA + (turned < 0 ? -0.5f : 0.5f));
            App.InputWheel(c, Point(ev.wheel.mouseX, ev.wheel.mouseY), delta);
        }
        break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        TWinControl* c = FImpl->ControlOf(ev.button.windowID);
        std::uint16_t vk;
        bool down = ev.type == SDL_MOUSEBUTTONDOWN;
        std::uint32_t msg = ButtonMessage(ev.button.button, down, ev.button.clicks, vk);
        if (!c || !msg)
            break;
        SetKeyDown(vk, down);
        App.InputMouse(c, Point(ev.button.x, ev.button.y), msg);
        break;
    }
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        std::uint16_t vk = SdlKeyToVirtualKey(ev.key.keysym.sym);
        if (vk)
            App.InputKey(vk, ev.type == SDL_KEYDOWN);
        break;
    }
    case SDL_TEXTINPUT:
        for (char32_t ch : TextInputChars(ev.text.text))
            App.InputChar(ch);
        break;
    }
    return true;
}

#endif

}  // namespace korin
