#pragma once
// The SDL2 window backend: every visible top-level form, and every showing popup window
// (Popups.h), is an SDL window; SDL's mouse, keyboard and text input become the
// application's input calls, so real input takes the same road as scripted input.
//
// Keyboard: keys become virtual keys (letters and digits by the key's symbol on the
// current layout, the rest by their function). Characters: key translation on the
// message queue types letters, digits, space and punctuation of an English keyboard from
// the key messages, so the backend takes from SDL's text input only the characters that
// translation cannot produce (anything beyond ASCII: accented and Cyrillic letters, …).
// Each character thus arrives once. Keys whose symbol on the layout is not an ASCII
// character produce no key message, only their text.
//
// Painting: before it waits for input, the backend repaints what controls marked for
// repainting into the window's image, with the same painting code as RenderWindow, and
// copies only the changed rectangle into the SDL window (nothing when no pixel changed);
// a window shown, exposed or resized is rendered whole. A popup's OS
// window stays rectangular: its window region shapes what is drawn and what is hit in
// the application, and the pixels outside the region show the renderer's background.
// Forms moved or sized by the program move or size their windows, and the user's moves
// and sizes come back to the forms; the mouse cursor follows Screen->Cursor/SetCursor.
#include <cstdint>
#include <memory>
#include <string>

#include "korin/platform/gui/Backend.h"
#include "korin/platform/gui/Bitmap.h"
#include "korin/platform/gui/Controls.h"

namespace korin {

// The SDL2 backend when a display is available (DISPLAY or WAYLAND_DISPLAY is set, or
// SDL_VIDEODRIVER=offscreen asks for windows without one, and SDL's video subsystem
// starts), else the headless one. KORIN_BACKEND=headless forces the headless backend.
std::unique_ptr<TBackend> CreateBestBackend();

// Whether this build has the SDL2 backend.
bool SdlBackendAvailable();

// Writes what a form shows as a PNG file: its client area read back from its SDL window
// when the application runs on the SDL2 backend (with SDL_VIDEODRIVER=offscreen no
// display is needed), else as RenderWindow draws it.
void SaveShownWindowToPNG(TWinControl* Window, const std::string& Path);
// What a form or a showing popup window shows, as a bitmap: read back from its SDL
// window on the SDL2 backend, else as RenderWindow draws it (without a frame).
std::unique_ptr<TBitmap> ShownWindowImage(TWinControl* Window);

// The virtual key of an SDL key symbol (SDL_Keycode), 0 for keys without one.
std::uint16_t SdlKeyToVirtualKey(std::int32_t Keycode);

// The characters of an SDL text-input event (UTF-8) that key translation does not
// produce, and that the backend therefore passes on as character input.
std::u32string TextInputChars(const std::string& Utf8);

class TSdlBackend : public TBackend {
public:
    // SDL's video subsystem must be initialised (CreateBestBackend does it).
    TSdlBackend();
    ~TSdlBackend() override;

    bool DeliverInput(TApplication& App, bool Wait) override;
    double Now() const override;
    bool IsHeadless() const override { return false; }
    void FormShown(TCustomForm* Form) override;
    void FormHidden(TCustomForm* Form) override;
    void FormDestroyed(TCustomForm* Form) override;

    // Renders every window that needs it now.
    void PaintWindows();
    int WindowCount() const;

    // What the SDL window of a form or popup shows now (its client area, read back from
    // the window); null when the control has no window.
    std::unique_ptr<TBitmap> WindowImage(TWinControl* Window) const;
    // How a window was painted so far: whole renders, partial repaints, copies to the
    // screen, and the rectangle last copied.
    struct TPaintStats {
        int FullRenders = 0;
        int AreaRenders = 0;
        int Presents = 0;
        TRect LastPresented{};
    };
    TPaintStats PaintStats(TWinControl* Window) const;

private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};

}  // namespace korin
