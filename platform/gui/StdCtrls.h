#pragma once
// Standard controls.
#include <string>

#include "platform/gui/Controls.h"
#include "platform/gui/Forms.h"

// Whether Ch is the accelerator of Caption ("&Yes" has the accelerator Y).
bool IsAccel(char32_t Ch, const std::string& Caption);
// The caption without its accelerator marks ("&&" stays one "&").
std::string StripAccel(const std::string& Caption);

// A push button. Click sets the parent form's ModalResult to the button's ModalResult;
// Enter clicks the Default button (or the focused button), Esc the Cancel button; the
// accelerator character or the space bar clicks it too.
class TButton : public TWinControl {
public:
    explicit TButton(TComponent* AOwner);

    bool Default() const { return FDefault; }
    void SetDefault(bool v) { FDefault = v; Invalidate(); }
    bool Cancel() const { return FCancel; }
    void SetCancel(bool v) { FCancel = v; }
    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult v) { FModalResult = v; }
    bool Pressed() const { return FPressed; }

    void Click() override;
    void WndProc(TMessage& Message) override;

protected:
    bool FocusOnClick() const override { return true; }
    void KeyDown(std::uint16_t& Key, TShiftState Shift) override;
    void KeyUp(std::uint16_t& Key, TShiftState Shift) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    // The button that Enter clicks: the focused button, else the Default one.
    bool IsActive() const;

private:
    bool FDefault = false;
    bool FCancel = false;
    TModalResult FModalResult = mrNone;
    bool FPressed = false;
    bool FTracking = false;
    bool FSpaceDown = false;
};

// A text label; it never takes the focus.
class TLabel : public TGraphicControl {
public:
    explicit TLabel(TComponent* AOwner);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment v) { FAlignment = v; Invalidate(); }
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool v) { FWordWrap = v; Invalidate(); }
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool v) { FTransparent = v; Invalidate(); }

private:
    TAlignment FAlignment = taLeftJustify;
    bool FWordWrap = false;
    bool FTransparent = false;
};
