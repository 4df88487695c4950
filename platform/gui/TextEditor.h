#pragma once
// The text-editing engine behind every edit box: the one-line edit, the memo, the
// data-aware edit and memo, and the data grid's in-place editor. It holds the text, the
// caret and the selection (in code points), handles the editing keys, the mouse (a click
// places the caret, a drag or a Shift+click selects), keeps the caret in view (sideways
// for one line; sideways and by rows for several, or wrapped at words) and paints text,
// selection and caret into the area its host gives it.
//
// The host decides what an edit may do: TextEditBegin is asked before every change the
// user makes and may refuse it (the text then stays as it was); TextEdited follows every
// such change. Text set by the host (SetText) is never reported as an edit.
//
// Positions count code points over the whole text, a line break counting one. Inside, a
// multi-line text keeps "\n" between lines; Text() gives them back with LineBreak.
#include <cstdint>
#include <string>
#include <vector>

#include "korin/platform/gui/Canvas.h"
#include "korin/platform/gui/Controls.h"

namespace korin {

class TTextEditorHost {
public:
    virtual ~TTextEditorHost() = default;
    // Before a change the user makes: false refuses it.
    virtual bool TextEditBegin() = 0;
    // After a change the user made.
    virtual void TextEdited() = 0;
    // Where the text runs, in the host's client coordinates.
    virtual TRect TextEditArea() const = 0;
    virtual const TFont& TextEditFont() const = 0;
    virtual void TextEditInvalidate() = 0;
    // The mouse is held while a drag selects.
    virtual void TextEditCapture(bool Capture) {}
};

class TTextEditor {
public:
    TTextEditor(TTextEditorHost& Host, bool MultiLine);

    bool MultiLine() const { return FMultiLine; }
    // The text with LineBreak between its lines.
    std::string Text() const;
    // Replaces the whole text from code: no edit is reported. The caret goes to the start,
    // or stays where it was (within the text) when KeepCaret.
    void SetText(const std::string& Value, bool KeepCaret = false);
    // The lines of a multi-line text (one line for a one-line editor).
    std::vector<std::string> Lines() const;
    int TextLength() const;

    const std::string& LineBreak() const { return FLineBreak; }
    void SetLineBreak(const std::string& Value) { FLineBreak = Value; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value) { FReadOnly = Value; }
    // The longest text the user can type, in code points (0: no limit).
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int Value) { FMaxLength = Value < 0 ? 0 : Value; }
    bool WantReturns() const { return FWantReturns; }
    void SetWantReturns(bool Value) { FWantReturns = Value; }
    bool WantTabs() const { return FWantTabs; }
    void SetWantTabs(bool Value) { FWantTabs = Value; }
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    // Where a one-line text that fits sits in its area.
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);

    // Caret and selection.
    int CaretPos() const { return FCaret; }
    int SelStart() const;
    int SelLength() const;
    void SetSelStart(int Value);
    // Places the caret and shows the text from its start (no sideways scroll, first row),
    // without measuring where the caret lies: for a box that shows a value while it has
    // no focus (the caret comes into view on entry).
    void SetSelStartShowingStart(int Value);
    void SetSelLength(int Value);
    std::string SelText() const;
    void SelectAll();
    // The caret as a column (code points) and a line.
    TPoint CaretPoint() const;
    void SetCaretPoint(TPoint P);
    // Replaces the selection as the user would (the host is asked first; ReadOnly is
    // honoured when FromUser); false when refused.
    bool ReplaceSelection(const std::string& With, bool FromUser = true);

    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();

    // Input. KeyDown and KeyPress answer whether the key was the editor's.
    bool KeyDown(std::uint16_t Key, TShiftState Shift);
    bool KeyPress(char32_t Key);
    void MouseDown(int X, int Y, TShiftState Shift);
    void MouseMove(int X, int Y);
    void MouseUp();
    bool Selecting() const { return FSelecting; }
    // The position nearest to a point of the host's client area.
    int PosFromPoint(int X, int Y) const;

    // Paints the text into the host's area (the host has painted the background), the
    // selection and the caret when Focused.
    void Paint(TCanvas& Canvas, bool Focused, TColor TextColor);
    void ScrollToCaret();
    // Shows the text from its start (the first row, no sideways scroll); the caret stays.
    void ResetScroll();
    int ScrollX() const { return FScrollX; }
    int TopRow() const { return FTopRow; }
    // The rows of the text as laid out in the area now, and how many fit.
    int RowCount() const { return static_cast<int>(Layout().size()); }
    int VisibleRowCount() const { return VisibleRows(); }
    // Scrolls the rows so that Row is the first shown (no further than the last row
    // filling the area); the caret stays where it is.
    void SetTopRow(int Row);

private:
    // One row on screen: code points [Start, End) of the text.
    struct TRow {
        int Start, End;
    };
    std::vector<TRow> Layout() const;
    int RowOf(const std::vector<TRow>& Rows, int Pos) const;
    int LineHeight() const;
    int Width(const std::string& S) const;
    // The x of a position inside its row, from the row's left end.
    int XInRow(const TRow& Row, int Pos) const;
    int PosInRow(const TRow& Row, int X) const;
    int RowLeft(const TRow& Row) const;
    int VisibleRows() const;
    void MoveCaret(int Pos, bool Extend);
    bool CanEdit(bool FromUser);
    bool Replace(int From, int To, const std::string& With, bool FromUser);
    std::string Range(int From, int To) const;

    TTextEditorHost& FHost;
    bool FMultiLine;
    std::string FText;  // "\n" between lines
    std::string FLineBreak = "\n";
    int FCaret = 0;
    int FAnchor = 0;
    int FScrollX = 0;  // pixels scrolled out on the left (unwrapped text)
    int FTopRow = 0;   // first row shown
    bool FReadOnly = false;
    int FMaxLength = 0;
    bool FWantReturns = true;
    bool FWantTabs = false;
    bool FWordWrap = false;
    TAlignment FAlignment = taLeftJustify;
    bool FSelecting = false;
};

}  // namespace korin
