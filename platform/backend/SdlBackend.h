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
// Painting: before it waits for input, the backend renders each window that has
// something to repaint (RenderWindow) and copies it into the SDL window. A popup's OS
// window stays rectangular: its window region shapes what is drawn and what is hit in
// the application, and the pixels outside the region show the renderer's background.
// Forms moved or sized by the program move or size their windows, and the user's moves
// and sizes come back to the forms; the mouse cursor follows Screen->Cursor/SetCursor.
#include <cstdint>
#include <memory>
#include <string>

#include "korin/platform/gui/Backend.h"

namespace korin {

// The SDL2 backend when a display is available (DISPLAY or WAYLAND_DISPLAY is set and
// SDL's video subsystem starts), else the headless one. KORIN_BACKEND=headless forces the
// headless backend.
std::unique_ptr<TBackend> CreateBestBackend();

// Whether this build has the SDL2 backend.
bool SdlBackendAvailable();

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

private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};

}  // namespace korin
