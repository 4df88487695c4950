// TControl, the base of every visual element, and the focus and capture functions;
// TWinControl lives in WinControl.cpp.
#include "korin/platform/gui/Controls.h"

#include <algorithm>
#include <unordered_map>

#include "korin/platform/gui/Forms.h"
#include "korin/platform/gui/Keyboard.h"
#include "korin/platform/gui/Region.h"
#include "korin/platform/gui/Subclass.h"
#include "korin/platform/gui/WindowTable.h"

namespace korin {

TSysLocale SysLocale;

namespace wintable {

std::unordered_map<HWND, TWinControl*> g_handles;
HWND g_nextHandle = 0x100;
TWinControl* g_focus = nullptr;
TControl* g_capture = nullptr;

}  // namespace wintable

using namespace wintable;

namespace {

TShiftState MouseShift(WPARAM w)
{
    TShiftState s = 0;
    if (w & MK_SHIFT)
        s |= ssShift;
    if (w & MK_CONTROL)
        s |= ssCtrl;
    if (w & MK_LBUTTON)
        s |= ssLeft;
    if (w & MK_RBUTTON)
        s |= ssRight;
    if (w & MK_MBUTTON)
        s |= ssMiddle;
    if (GetKeyState(VK_MENU) < 0)
        s |= ssAlt;
    return s;
}
}  // namespace

// ---------------------------------------------------------------- TControl

TControl::TControl(TComponent* AOwner) : TComponent(AOwner)
{
    WindowProc = [this](TMessage& m) { WndProc(m); };
}

TControl::~TControl()
{
    BeforeDestruction();
    if (g_capture == this)
        g_capture = nullptr;
    Application->ControlDestroyed(this);
    while (!FSubclasses.empty())
        UnRegisterSubclass(this, FSubclasses.back());
    if (FParent)
        FParent->RemoveControl(this);
}

void TControl::SetParent(TWinControl* AParent)
{
    if (AParent == FParent)
        return;
    if (AParent == this)
        throw EInvalidOperation("A control cannot have itself as its parent");
    if (FParent)
        FParent->RemoveControl(this);
    if (AParent)
        AParent->InsertControl(this);
    if (FParentShowHint && FParent)
        SetParentShowHint(true);
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    if (AWidth < 0)
        AWidth = 0;
    if (AHeight < 0)
        AHeight = 0;
    if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight)
        return;
    bool resized = AWidth != FWidth || AHeight != FHeight;
    if (FParent)
        FParent->Invalidate();
    FLeft = ALeft;
    FTop = ATop;
    FWidth = AWidth;
    FHeight = AHeight;
    Invalidate();
    if (resized) {
        if (auto* w = dynamic_cast<TWinControl*>(this)) {
            // Windowed controls hear of their new size as the window system tells them.
            w->Perform(WM_SIZE, 0, MakeLParam(ClientWidth(), ClientHeight()));
        } else {
            Resize();
        }
    }
    RequestAlign();
}

void TControl::RequestAlign()
{
    if (FParent && FAlign != alNone && !IsLoading())
        FParent->Realign();
}

void TControl::SetAlign(TAlign Value)
{
    if (Value == FAlign)
        return;
    FAlign = Value;
    RequestAlign();
}

TPoint TControl::ClientOrigin() const
{
    if (!FParent)
        return Point(FLeft, FTop);
    TPoint p = FParent->ClientOrigin();
    return Point(p.x + FLeft, p.y + FTop);
}

TPoint TControl::ClientToScreen(TPoint p) const
{
    TPoint o = ClientOrigin();
    return Point(p.x + o.x, p.y + o.y);
}

TPoint TControl::ScreenToClient(TPoint p) const
{
    TPoint o = ClientOrigin();
    return Point(p.x - o.x, p.y - o.y);
}

void TControl::SetVisible(bool Value)
{
    if (Value == FVisible)
        return;
    FVisible = Value;
    VisibleChanged();
}

void TControl::VisibleChanged()
{
    Perform(CM_VISIBLECHANGED, FVisible ? 1 : 0, 0);
    if (!FVisible && g_focus) {
        auto* self = dynamic_cast<TWinControl*>(this);
        if (self && (g_focus == self || self->ContainsControl(g_focus)))
            korin::SetFocus(0);
    }
    if (FParent) {
        FParent->Invalidate();
        if (FAlign != alNone)
            FParent->Realign();
    }
    Invalidate();
}

bool TControl::Showing() const
{
    if (!FVisible)
        return false;
    return FParent ? FParent->Showing() : true;
}

void TControl::SetEnabled(bool Value)
{
    if (Value == FEnabled)
        return;
    FEnabled = Value;
    Perform(CM_ENABLEDCHANGED, 0, 0);
    EnabledChanged();
}

void TControl::SetText(const std::string& Value)
{
    if (Value == FText)
        return;
    FText = Value;
    Perform(CM_TEXTCHANGED, 0, 0);
    TextChanged();
}

namespace {

// Children that take their parent's ShowHint follow it, down the tree.
void PassShowHintOn(TControl* Control)
{
    auto* w = dynamic_cast<TWinControl*>(Control);
    if (!w)
        return;
    for (int i = 0; i < w->ControlCount(); ++i) {
        TControl* c = w->Controls(i);
        if (c->ParentShowHint() && c->ShowHint() != Control->ShowHint()) {
            c->SetParentShowHint(true);
        }
    }
}

}  // namespace

void TControl::SetShowHint(bool Value)
{
    FShowHint = Value;
    FParentShowHint = false;
    PassShowHintOn(this);
}

void TControl::SetParentShowHint(bool Value)
{
    FParentShowHint = Value;
    if (Value && FParent && FShowHint != FParent->ShowHint()) {
        FShowHint = FParent->ShowHint();
        PassShowHintOn(this);
    }
}

void TControl::SetColor(TColor Value)
{
    if (Value == FColor)
        return;
    FColor = Value;
    FParentColor = false;
    Perform(CM_COLORCHANGED, 0, 0);
    Invalidate();
    if (auto* w = dynamic_cast<TWinControl*>(this))
        for (int i = 0; i < w->ControlCount(); ++i)
            w->Controls(i)->ParentColorChanged();
}

void TControl::SetParentColor(bool Value)
{
    FParentColor = Value;
    if (Value)
        ParentColorChanged();
}

void TControl::ParentColorChanged()
{
    if (FParentColor && FParent) {
        FColor = FParent->Color();
        Invalidate();
    }
}

void TControl::SetParentFont(bool Value)
{
    if (Value == FParentFont)
        return;
    FParentFont = Value;
    if (Value)
        ParentFontChanged();
}

void TControl::ParentFontChanged()
{
    if (FParentFont && FParent) {
        FFont.Assign(FParent->Font());
        FParentFont = true;
    }
    Perform(CM_PARENTFONTCHANGED, 0, 0);
}

void TControl::SetBiDiMode(TBiDiMode Value)
{
    FParentBiDiMode = false;
    if (Value == FBiDiMode)
        return;
    FBiDiMode = Value;
    Perform(CM_BIDIMODECHANGED, 0, 0);
    Invalidate();
}

void TControl::SetParentBiDiMode(bool Value)
{
    if (Value == FParentBiDiMode)
        return;
    FParentBiDiMode = Value;
    if (Value)
        ParentBiDiModeChanged();
}

void TControl::ParentBiDiModeChanged()
{
    if (FParentBiDiMode && FParent && FParent->BiDiMode() != FBiDiMode) {
        FBiDiMode = FParent->BiDiMode();
        Perform(CM_BIDIMODECHANGED, 0, 0);
    }
}

bool TControl::UseRightToLeftAlignment() const
{
    return SysLocale.MiddleEast && FBiDiMode == bdRightToLeft;
}

bool TControl::UseRightToLeftReading() const
{
    return SysLocale.MiddleEast && FBiDiMode != bdLeftToRight;
}

void TControl::Invalidate()
{
    FNeedsPaint = true;
    if (FParent && !dynamic_cast<TWinControl*>(this))
        FParent->Invalidate();
}

void TControl::Repaint()
{
    Invalidate();
    Update();
}

void TControl::Update()
{
    // Windowed backends paint top-level windows when idle; Update asks for it now.
    const TControl* top = this;
    while (top->FParent)
        top = top->FParent;
    if (auto* form = dynamic_cast<const TCustomForm*>(top))
        if (form->Showing())
            ++const_cast<TControl*>(static_cast<const TControl*>(form))->FPaintCount;
}

void TControl::PaintTo(TCanvas& Canvas)
{
    FCanvas = &Canvas;
    try {
        Paint();
    } catch (...) {
        FCanvas = nullptr;
        throw;
    }
    FCanvas = nullptr;
    FNeedsPaint = false;
    ++FPaintCount;
}

LRESULT TControl::Perform(std::uint32_t Msg, WPARAM WParam, LPARAM LParam)
{
    TMessage m{Msg, WParam, LParam, 0};
    SendMsg(m);
    return m.Result;
}

void TControl::SendMsg(TMessage& Message)
{
    if (FSubclasses.empty()) {
        WindowProc(Message);
        return;
    }
    // A hook may unregister itself while it runs: the chain runs on a copy, kept on the
    // stack for the usual one or two hooks (this path carries every message of a
    // hooked control).
    size_t n = FSubclasses.size();
    if (n <= 4) {
        TControlSubclass* subs[4];
        std::copy(FSubclasses.begin(), FSubclasses.end(), subs);
        CallChain(Message, subs, static_cast<int>(n) - 1);
        return;
    }
    auto subs = FSubclasses;
    CallChain(Message, subs.data(), static_cast<int>(n) - 1);
}

void TControl::CallChain(TMessage& m, TControlSubclass* const* subs, int i)
{
    if (i < 0) {
        WindowProc(m);
        return;
    }
    TControlSubclass* s = subs[static_cast<size_t>(i)];
    TControl* saved = s->FControl;
    s->FControl = this;
    struct Restore {
        TControlSubclass* s;
        TControl* c;
        ~Restore() { s->FControl = c; }
    } restore{s, saved};
    s->BeforeWndProc(m);
    CallChain(m, subs, i - 1);
    s->FControl = this;
    s->AfterWndProc(m);
}

void TControl::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MOUSEMOVE:
        HandleMouse(m);
        return;
    case WM_MOUSEWHEEL:
        HandleWheel(m);
        return;
    case CM_HITTEST:
        m.Result = HitTest(Point(GetXParam(m.LParam), GetYParam(m.LParam))) ? 1 : 0;
        return;
    default:
        DefaultHandler(m);
    }
}

void TControl::HandleMouse(TMessage& m)
{
    int x = GetXParam(m.LParam), y = GetYParam(m.LParam);
    TShiftState shift = MouseShift(m.WParam);
    switch (m.Msg) {
    case WM_LBUTTONDBLCLK:
        if (FControlStyle & csDoubleClicks) {
            DblClick();
            MouseDown(mbLeft, shift | ssDouble, x, y);
            return;
        }
        [[fallthrough]];
    case WM_LBUTTONDOWN:
        if (FControlStyle & csCaptureMouse)
            SetMouseCapture(true);
        if (FControlStyle & csClickEvents)
            FClicked = true;
        MouseDown(mbLeft, shift, x, y);
        return;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        MouseDown(mbRight, shift, x, y);
        return;
    case WM_MBUTTONDOWN:
        MouseDown(mbMiddle, shift, x, y);
        return;
    case WM_LBUTTONUP:
        if (FControlStyle & csCaptureMouse)
            SetMouseCapture(false);
        if (FClicked) {
            FClicked = false;
            if (PtInRect(ClientRect(), Point(x, y)))
                Click();
        }
        MouseUp(mbLeft, shift, x, y);
        return;
    case WM_RBUTTONUP:
        MouseUp(mbRight, shift, x, y);
        return;
    case WM_MBUTTONUP:
        MouseUp(mbMiddle, shift, x, y);
        return;
    case WM_MOUSEMOVE:
        MouseMove(shift, x, y);
        return;
    }
}

void TControl::HandleWheel(TMessage& m)
{
    TShiftState shift = MouseShift(m.WParam & 0xFFFF);
    int delta = static_cast<std::int16_t>(HiWord(m.WParam));
    TPoint pos = Point(GetXParam(m.LParam), GetYParam(m.LParam));
    if (DoMouseWheel(shift, delta, pos)) {
        m.Result = 1;
        return;
    }
    // Unused: the parent may scroll (a list inside a scrolling panel).
    if (TWinControl* p = Parent())
        m.Result = p->Perform(WM_MOUSEWHEEL, m.WParam, m.LParam);
}

bool TControl::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos)
{
    bool handled = false;
    if (OnMouseWheel)
        OnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
    return handled;
}

int TControl::WheelNotches(int WheelDelta)
{
    // A turn the other way drops what was left of the last one.
    if ((FWheelRest < 0 && WheelDelta > 0) || (FWheelRest > 0 && WheelDelta < 0))
        FWheelRest = 0;
    FWheelRest += WheelDelta;
    int notches = FWheelRest / WHEEL_DELTA;
    FWheelRest -= notches * WHEEL_DELTA;
    return notches;
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (OnMouseDown)
        OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (OnMouseUp)
        OnMouseUp(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y)
{
    if (OnMouseMove)
        OnMouseMove(this, Shift, X, Y);
}

bool TControl::MouseCapture() const { return g_capture == this; }

void TControl::SetMouseCapture(bool Value)
{
    if (Value)
        SetCaptureControl(this);
    else if (g_capture == this)
        SetCaptureControl(nullptr);
}

void TControl::Click()
{
    if (OnClick)
        OnClick(this);
}

void TControl::DblClick()
{
    if (OnDblClick)
        OnDblClick(this);
}

bool TControl::HitTest(TPoint p) const { return PtInRect(ClientRect(), p); }

TComponent* TControl::GetParentComponent() const { return FParent; }

void TControl::SetParentComponent(TComponent* Value)
{
    if (auto* w = dynamic_cast<TWinControl*>(Value))
        SetParent(w);
}

// ---------------------------------------------------------------- free functions

TWinControl* FindControl(HWND Handle)
{
    auto it = g_handles.find(Handle);
    return it == g_handles.end() ? nullptr : it->second;
}

HWND GetFocus() { return g_focus ? g_focus->Handle() : 0; }

HWND SetFocus(HWND Window)
{
    TWinControl* next = Window ? FindControl(Window) : nullptr;
    TWinControl* old = g_focus;
    HWND oldHandle = old ? old->Handle() : 0;
    if (next == old)
        return oldHandle;
    HWND newHandle = next ? next->Handle() : 0;
    if (old)
        old->Perform(WM_KILLFOCUS, newHandle, 0);
    g_focus = next;
    if (next)
        next->Perform(WM_SETFOCUS, oldHandle, 0);
    return oldHandle;
}

TCustomForm* GetParentForm(const TControl* Control)
{
    const TControl* c = Control;
    while (c && c->Parent())
        c = c->Parent();
    return const_cast<TCustomForm*>(dynamic_cast<const TCustomForm*>(c));
}

TControl* GetCaptureControl() { return g_capture; }

void SetCaptureControl(TControl* Control)
{
    if (Control == g_capture)
        return;
    TControl* old = g_capture;
    g_capture = Control;
    if (old)
        old->Perform(WM_CAPTURECHANGED, 0, 0);
}

void ReleaseCapture() { SetCaptureControl(nullptr); }

}  // namespace korin
