#pragma once
// Standard controls: push buttons, labels, edit boxes, memos, check boxes, radio buttons
// and group boxes. Each paints itself and handles its own keys and mouse.
#include <cstdint>
#include <string>
#include <vector>

#include "korin/platform/gui/Controls.h"
#include "korin/platform/gui/ScrollBar.h"
#include "korin/platform/gui/TextEditor.h"
#include "korin/platform/gui/Forms.h"

namespace korin {

// Makes the standard controls (buttons with glyphs, edit boxes, memos, check and radio
// buttons, group boxes, panels, bevels) known to the form reader and writer. Runs when the
// window layer is loaded; calling it again does nothing.
void RegisterStandardControls();

// Whether Ch is the accelerator of Caption ("&Yes" has the accelerator Y).
bool IsAccel(char32_t Ch, const std::string& Caption);
// The caption without its accelerator marks ("&&" stays one "&").
std::string StripAccel(const std::string& Caption);

// A push button. Click sets the parent form's ModalResult to the button's ModalResult;
// Enter clicks the Default button (or the focused button), Esc the Cancel button; the
// accelerator character or the space bar clicks it too.
// A control that clicks like a button: pressed by the left mouse button (clicked on release
// over it) or by the space bar (clicked on release), or by its accelerator.
class TButtonControl : public TWinControl {
public:
    explicit TButtonControl(TComponent* AOwner);
    void WndProc(TMessage& Message) override;

protected:
    // What a click by the user does (toggle, check).
    virtual void Activate() = 0;
    void KeyDown(std::uint16_t& Key, TShiftState Shift) override;
    void KeyUp(std::uint16_t& Key, TShiftState Shift) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool FocusOnClick() const override { return true; }
    // Draws the caption right of (or, with taLeftJustify, left of) a mark of MarkWidth
    // pixels, with the focus rectangle around it when focused; answers the mark's rectangle.
    TRect PaintCaptionBeside(TCanvas& Canvas, int MarkWidth, TAlignment Alignment);

public:
    bool Pressed() const { return FPressed; }

private:
    bool FPressed = false;
    bool FTracking = false;
    bool FSpaceDown = false;
};

class TButton : public TButtonControl {
public:
    explicit TButton(TComponent* AOwner);

    bool Default() const { return FDefault; }
    void SetDefault(bool v) { FDefault = v; Invalidate(); }
    bool Cancel() const { return FCancel; }
    void SetCancel(bool v) { FCancel = v; }
    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult v) { FModalResult = v; }

    void Click() override;
    void WndProc(TMessage& Message) override;

protected:
    // The face (sunken while pressed), a dark frame on the button Enter would click, the
    // content, and a focus rectangle while focused.
    void Paint() override;
    // Draws what is on the face (the caption, centred, its accelerator underlined) inside
    // the bevel; Inside is already moved 1 pixel right and down while pressed.
    virtual void PaintContent(TCanvas& Canvas, const TRect& Inside);
    // A push button's click by mouse, space bar or accelerator is its Click.
    void Activate() override { Click(); }
    // The button that Enter clicks: the focused button, else the Default one.
    bool IsActive() const;

private:
    bool FDefault = false;
    bool FCancel = false;
    TModalResult FModalResult = mrNone;
};

// A text label; it never takes the focus. With AutoSize (the default) it takes the size of
// its text (keeping its width when it wraps words); its colour follows the parent's.
class TLabel : public TGraphicControl {
public:
    explicit TLabel(TComponent* AOwner);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment v) { FAlignment = v; Invalidate(); }
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool v);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool v) { FTransparent = v; Invalidate(); }
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool v);
    // Whether '&' marks the accelerator (drawn underlined) or is shown as it is.
    bool ShowAccelChar() const { return FShowAccelChar; }
    void SetShowAccelChar(bool v);
    // The control that the accelerator focuses.
    TWinControl* FocusControl() const { return FFocusControl; }
    void SetFocusControl(TWinControl* v);

    void Loaded() override;
    void WndProc(TMessage& Message) override;

protected:
    void Paint() override;
    void TextChanged() override;
    void FontChanged() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // Sizes the label to its text when AutoSize is on.
    void AdjustBounds();
    unsigned DrawTextFlags() const;

private:
    TAlignment FAlignment = taLeftJustify;
    bool FWordWrap = false;
    bool FTransparent = false;
    bool FAutoSize = true;
    bool FShowAccelChar = true;
    TWinControl* FFocusControl = nullptr;
};

// A one-line edit box on the text-editing engine (TextEditor.h). The text is UTF-8; the
// caret and the selection count code points. Typing replaces the selection; Backspace
// and Delete remove the selection or one character; Left/Right/Home/End move the caret,
// with Shift extending the selection; a click places the caret and a drag selects;
// Ctrl+A selects all, Ctrl+C/X/V (and Ctrl+Insert, Shift+Delete, Shift+Insert) copy, cut
// and paste. A text wider than the box scrolls sideways to keep the caret in view.
// OnChange fires after every change of the text, typed or set; a ReadOnly box refuses
// edits from the keyboard but still moves its caret.
class TCustomEdit : public TWinControl, private TTextEditorHost {
public:
    explicit TCustomEdit(TComponent* AOwner);

    bool ReadOnly() const { return FEditor.ReadOnly(); }
    void SetReadOnly(bool v) { FEditor.SetReadOnly(v); }
    // The longest text the user can type, in code points (0: no limit).
    int MaxLength() const { return FEditor.MaxLength(); }
    void SetMaxLength(int v) { FEditor.SetMaxLength(v); }
    // Select the whole text whenever the box gets the focus.
    bool AutoSelect() const { return FAutoSelect; }
    void SetAutoSelect(bool v) { FAutoSelect = v; }
    // Set by edits from the keyboard, cleared when the text is set from code.
    bool Modified() const { return FModified; }
    void SetModified(bool v) { FModified = v; }

    // Caret and selection, in code points. SetSelStart moves the caret and empties the
    // selection; SetSelLength selects from SelStart.
    int SelStart() const { return FEditor.SelStart(); }
    void SetSelStart(int v) { FEditor.SetSelStart(v); }
    int SelLength() const { return FEditor.SelLength(); }
    void SetSelLength(int v) { FEditor.SetSelLength(v); }
    int CaretPos() const { return FEditor.CaretPos(); }
    std::string SelText() const { return FEditor.SelText(); }
    // Replaces the selection (inserts at the caret), leaving the caret after the new text.
    void SetSelText(const std::string& v) { FEditor.ReplaceSelection(v, false); }
    void SelectAll() { FEditor.SelectAll(); }
    void ClearSelection() { SetSelText(""); }
    void Clear() { SetText(""); }
    void CopyToClipboard() { FEditor.CopyToClipboard(); }
    void CutToClipboard() { FEditor.CutToClipboard(); }
    void PasteFromClipboard() { FEditor.PasteFromClipboard(); }
    // Number of code points in the text.
    int TextLength() const { return FEditor.TextLength(); }
    // Pixels of text scrolled out on the left.
    int ScrollX() const { return FEditor.ScrollX(); }

    TNotifyEvent OnChange;

protected:
    void Paint() override;
    void TextChanged() override;
    void KeyDown(std::uint16_t& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    LRESULT DialogCode() const override { return DLGC_WANTCHARS | DLGC_WANTARROWS; }
    bool FocusOnClick() const override { return true; }
    void DoEnter() override;
    virtual void Change();
    // The area inside the frame where the text runs.
    TRect TextArea() const;
    // The code point nearest to an x coordinate of the client area.
    int CharFromX(int X) const { return FEditor.PosFromPoint(X, 0); }

private:
    bool TextEditBegin() override { return true; }
    void TextEdited() override;
    TRect TextEditArea() const override { return TextArea(); }
    const TFont& TextEditFont() const override { return Font(); }
    void TextEditInvalidate() override { Invalidate(); }
    void TextEditCapture(bool Capture) override { SetMouseCapture(Capture); }

    TTextEditor FEditor{*this, false};
    bool FAutoSelect = true;
    bool FModified = false;
    bool FInternalChange = false;
};

class TEdit : public TCustomEdit {
public:
    using TCustomEdit::TCustomEdit;
};

// A multi-line edit box on the same engine. Lines are kept as a list of strings; Text
// joins them with "\r\n" (and SetText accepts "\r\n", "\n" or "\r" between lines). The
// caret is a line and a column (code points); the selection, mouse and clipboard keys
// work as in the one-line box, Up/Down/PgUp/PgDn move by rows and Ctrl+Home/End go to
// the ends of the text. There is no word wrap: long lines scroll sideways. Enter breaks
// the line (WantReturns; otherwise Enter goes to the dialog), Tab goes to the dialog
// unless WantTabs.
class TMemo : public TWinControl, private TTextEditorHost {
public:
    explicit TMemo(TComponent* AOwner);

    // The lines; an empty text has no lines.
    std::vector<std::string> Lines() const;
    void SetLines(const std::vector<std::string>& Value);
    int LineCount() const { return static_cast<int>(Lines().size()); }
    void Clear() { SetText(""); }

    bool ReadOnly() const { return FEditor.ReadOnly(); }
    void SetReadOnly(bool v) { FEditor.SetReadOnly(v); }
    bool WantReturns() const { return FEditor.WantReturns(); }
    void SetWantReturns(bool v) { FEditor.SetWantReturns(v); }
    bool WantTabs() const { return FEditor.WantTabs(); }
    void SetWantTabs(bool v) { FEditor.SetWantTabs(v); }
    bool Modified() const { return FModified; }
    void SetModified(bool v) { FModified = v; }
    // The caret: line index and code point within the line.
    TPoint CaretPos() const { return FEditor.CaretPoint(); }
    void SetCaretPos(TPoint P) { FEditor.SetCaretPoint(P); }
    // The selection over the whole text, in code points (a line break counts one).
    int SelStart() const { return FEditor.SelStart(); }
    void SetSelStart(int v) { FEditor.SetSelStart(v); }
    int SelLength() const { return FEditor.SelLength(); }
    void SetSelLength(int v) { FEditor.SetSelLength(v); }
    std::string SelText() const { return FEditor.SelText(); }
    void SelectAll() { FEditor.SelectAll(); }
    // The first row shown; scrolling leaves the caret where it is.
    int TopRow() const { return FEditor.TopRow(); }
    void SetTopRow(int Row) { FEditor.SetTopRow(Row); }
    // The vertical scroll bar, shown while the text has more rows than fit (brought up to
    // date when painted or pressed).
    const TScrollBarPart& ScrollBar() const { return FBar; }
    bool ScrollBarVisible() const { return FBarShown; }

    TNotifyEvent OnChange;

    void WndProc(TMessage& Message) override;

protected:
    void Paint() override;
    void TextChanged() override;
    void KeyDown(std::uint16_t& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    LRESULT DialogCode() const override { return DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_WANTALLKEYS; }
    bool FocusOnClick() const override { return true; }
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
    virtual void Change();

private:
    // Decides whether the bar shows (the text laid out in the full width has more rows
    // than fit) and brings it up to date.
    void SyncBar();
    bool TextEditBegin() override { return true; }
    void TextEdited() override;
    TRect TextEditArea() const override;
    const TFont& TextEditFont() const override { return Font(); }
    void TextEditInvalidate() override { Invalidate(); }
    void TextEditCapture(bool Capture) override { SetMouseCapture(Capture); }

    TTextEditor FEditor{*this, true};
    bool FModified = false;
    bool FInternalChange = false;
    TScrollBarPart FBar;
    bool FBarShown = false;
};

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

// A check box. A click or the space bar steps the state (unchecked, checked, then grayed
// when AllowGrayed); OnClick fires whenever the state changes, also when it is set from
// code (not while a form file is being read).
class TCheckBox : public TButtonControl {
public:
    explicit TCheckBox(TComponent* AOwner);
    bool Checked() const { return FState == cbChecked; }
    void SetChecked(bool v) { SetState(v ? cbChecked : cbUnchecked); }
    TCheckBoxState State() const { return FState; }
    void SetState(TCheckBoxState v);
    bool AllowGrayed() const { return FAllowGrayed; }
    void SetAllowGrayed(bool v) { FAllowGrayed = v; }
    // taRightJustify (the default): the box on the left, the caption right of it.
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment v) { FAlignment = v; Invalidate(); }
    void Toggle();

protected:
    void Activate() override { Toggle(); }
    void Paint() override;

private:
    TCheckBoxState FState = cbUnchecked;
    bool FAllowGrayed = false;
    TAlignment FAlignment = taRightJustify;
};

// A radio button: checking it unchecks the radio buttons with the same parent. OnClick
// fires when it becomes checked (by the user or from code, not while a form file is read);
// a checked button is the group's tab stop, and the arrow keys move the check with the focus.
class TRadioButton : public TButtonControl {
public:
    explicit TRadioButton(TComponent* AOwner);
    bool Checked() const { return FChecked; }
    void SetChecked(bool v);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment v) { FAlignment = v; Invalidate(); }

protected:
    void Activate() override { SetChecked(true); }
    void Paint() override;
    // Reached by an arrow key, it checks itself: arrows walk through a group.
    void DoEnter() override;

private:
    bool FChecked = false;
    TAlignment FAlignment = taRightJustify;
};

// A frame with a caption around a group of controls.
class TGroupBox : public TCustomControl {
public:
    explicit TGroupBox(TComponent* AOwner);

protected:
    void Paint() override;
    // Aligned children stay inside the frame, below the caption.
    void AlignControls(TControl* AControl, TRect& Rect) override;
};

}  // namespace korin
