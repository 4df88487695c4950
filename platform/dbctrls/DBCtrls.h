#pragma once
// Data-aware controls: each shows one field of the current record of a data source,
// follows scrolls and state changes of its dataset, and — when the user types or picks —
// puts the dataset into edit state and writes the field.
//
// A control keeps what the user typed until the dataset asks for it (UpdateRecord, which
// Post, scrolling and leaving the control all cause): only then is the field written.
// A write the field refuses (a value of the wrong type) raises and leaves the typed text
// in the control; a Post the engine refuses leaves the dataset editing and the control
// showing the typed text.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "korin/platform/db/DB.h"
#include "korin/platform/gui/Bitmap.h"
#include "korin/platform/gui/ComCtrls.h"
#include "korin/platform/gui/Controls.h"
#include "korin/platform/gui/ScrollBar.h"
#include "korin/platform/gui/TextEditor.h"

namespace korin {

// ---------------------------------------------------------------------------------------
// Field data link

// The link between one control and one field. FieldName names the field; Field() is the
// field object while the dataset is open and has such a field (a missing field leaves it
// null, and the control shows nothing).
class TFieldDataLink : public TDataLink {
public:
    TFieldDataLink();

    TField* Field() const { return FField; }
    const std::string& FieldName() const { return FFieldName; }
    void SetFieldName(const std::string& Value);
    TComponent* Control() const { return FControl; }
    void SetControl(TComponent* Value) { FControl = Value; }

    // The link may write its field: not read-only, a field present, and the field
    // modifiable.
    bool CanModify() const;
    // The dataset is editing and the field may be written.
    bool Editing() const { return FEditing; }
    // Puts the dataset into edit state when allowed; true when the field may be written.
    bool Edit();
    // The control holds a change that the field does not have yet.
    bool IsModified() const { return FModified; }
    void Modified() { FModified = true; }
    // Shows the field's value again, dropping the control's pending change.
    void Reset() { RecordChanged(nullptr); }

    // The control shows the field's value (the record changed, or the field did).
    TNotifyEvent OnDataChange;
    // Editing() changed.
    TNotifyEvent OnEditingChange;
    // The control writes its pending change into Field().
    TNotifyEvent OnUpdateData;
    // The dataset opened or closed, or the link got another data source.
    TNotifyEvent OnActiveChange;

protected:
    void ActiveChanged() override;
    void EditingChanged() override;
    void LayoutChanged() override;
    void RecordChanged(TField* Field) override;
    void UpdateData() override;

private:
    void UpdateField();
    // Raises "Field 'Name' not found" (after the control's name) when the link is active
    // and its dataset has no field of that name.
    void CheckField() const;
    void SetField(TField* Value);
    void SetEditing(bool Value);

    TField* FField = nullptr;
    std::string FFieldName;
    TComponent* FControl = nullptr;
    bool FEditing = false;
    bool FModified = false;
};

// The text a field shows for a stored value (dates, times and Booleans as the field's
// own text does, numbers in the field's display format).
std::string FieldValueText(const TField* Field, const Variant& Value);

// ---------------------------------------------------------------------------------------
// What every field control has: DataSource, DataField, Field, ReadOnly.

template <class Base>
class TDBFieldControl : public Base {
public:
    explicit TDBFieldControl(TComponent* AOwner) : Base(AOwner)
    {
        FDataLink.SetControl(this);
        FDataLink.SetVisualControl(true);
    }
    ~TDBFieldControl() override
    {
        // The control's own parts are gone by now: the link must not call them back.
        FDataLink.OnDataChange = nullptr;
        FDataLink.OnEditingChange = nullptr;
        FDataLink.OnUpdateData = nullptr;
        FDataLink.OnActiveChange = nullptr;
        FDataLink.SetDataSource(nullptr);
    }

    TDataSource* DataSource() const { return FDataLink.DataSource(); }
    void SetDataSource(TDataSource* Value) { FDataLink.SetDataSourceFor(this, Value); }
    const std::string& DataField() const { return FDataLink.FieldName(); }
    void SetDataField(const std::string& Value) { FDataLink.SetFieldName(Value); }
    TField* Field() const { return FDataLink.Field(); }
    bool ReadOnly() const { return FDataLink.ReadOnly(); }
    void SetReadOnly(bool Value) { FDataLink.SetReadOnly(Value); }
    TFieldDataLink* DataLink() { return &FDataLink; }

    void Notification(TComponent* AComponent, TOperation Operation) override
    {
        Base::Notification(AComponent, Operation);
        if (Operation == TOperation::opRemove && AComponent == FDataLink.DataSource())
            FDataLink.SetDataSource(nullptr);
    }

protected:
    TFieldDataLink FDataLink;
};

// ---------------------------------------------------------------------------------------
// Text controls

// A text field bound to a field: single-line (TDBEdit, TDBSpinEdit) or multi-line
// (TDBMemo), on the standard text-editing engine (TextEditor.h): the caret and the
// selection count code points, Shift with the caret keys and a mouse drag select, a click
// places the caret, a long text scrolls, and Ctrl+A/C/X/V select all, copy, cut and paste.
// What a data edit adds: every change first asks the dataset to edit (a refusal keeps
// the text as it is), a record move or a field change shows the field's text without
// counting as a change, and getting the focus selects nothing (the caret stays at the
// end of the text). While the control has the focus it shows the field's edit text.
class TDBEditControl : public TDBFieldControl<TCustomControl>, private TTextEditorHost {
public:
    explicit TDBEditControl(TComponent* AOwner) : TDBEditControl(AOwner, false) {}

    // Caret and selection, in code points.
    int SelStart() const { return FEditor.SelStart(); }
    void SetSelStart(int Value) { FEditor.SetSelStart(Value); }
    int SelLength() const { return FEditor.SelLength(); }
    void SetSelLength(int Value) { FEditor.SetSelLength(Value); }
    std::string SelText() const { return FEditor.SelText(); }
    void SelectAll() { FEditor.SelectAll(); }
    int MaxLength() const { return FEditor.MaxLength(); }
    void SetMaxLength(int Value) { FEditor.SetMaxLength(Value); }
    // The text differs from what the field holds (the user changed it).
    bool Modified() const { return FDataLink.IsModified(); }
    TAlignment Alignment() const { return FEditor.Alignment(); }
    void SetAlignment(TAlignment Value) { FEditor.SetAlignment(Value); }
    // Pixels of text scrolled out on the left.
    int ScrollX() const { return FEditor.ScrollX(); }

    TNotifyEvent OnChange;

protected:
    TDBEditControl(TComponent* AOwner, bool MultiLine);
    void Paint() override;
    void TextChanged() override;
    void KeyDown(std::uint16_t& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    LRESULT DialogCode() const override { return DLGC_WANTARROWS | DLGC_WANTCHARS; }
    bool FocusOnClick() const override { return true; }
    void DoEnter() override;
    void DoExit() override;
    // Whether Ch may be typed into this field (numbers accept digits and signs only).
    virtual bool IsValidChar(char32_t Ch) const;
    // The text was changed by the user.
    virtual void Change();
    // Replaces the text without marking a user change; the caret goes to its end.
    void ShowText(const std::string& Value);
    TTextEditor FEditor;
    int FRightMargin = 0;  // pixels at the right kept free of text (spin buttons)

private:
    bool TextEditBegin() override;
    void TextEdited() override;
    TRect TextEditArea() const override;
    const TFont& TextEditFont() const override { return Font(); }
    void TextEditInvalidate() override { Invalidate(); }
    void TextEditCapture(bool Capture) override { SetMouseCapture(Capture); }
    void SetControlText(const std::string& Value);
    void DataChange(TObject*);
    void EditingChange(TObject*);
    void UpdateData(TObject*);

    bool FInternalChange = false;
};

// A single-line data-aware edit.
class TDBEdit : public TDBEditControl {
public:
    explicit TDBEdit(TComponent* AOwner);
};

// A multi-line data-aware edit (memo fields). Enter starts a new line.
class TDBMemo : public TDBEditControl {
public:
    explicit TDBMemo(TComponent* AOwner);
    bool WordWrap() const { return FEditor.WordWrap(); }
    void SetWordWrap(bool Value) { FEditor.SetWordWrap(Value); }
    // The text as lines.
    std::vector<std::string> Lines() const;
    // The first row shown; scrolling leaves the caret where it is.
    int TopRow() const { return FEditor.TopRow(); }
    // The vertical scroll bar, shown while the text has more rows than fit (brought up to
    // date when painted or pressed).
    const TScrollBarPart& ScrollBar() const { return FBar; }
    bool ScrollBarVisible() const { return FBarShown; }

protected:
    LRESULT DialogCode() const override { return DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTALLKEYS; }
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;

private:
    void SyncBar();
    TScrollBarPart FBar;
    bool FBarShown = false;
};

// ---------------------------------------------------------------------------------------
// Image

// Shows a blob field holding a BMP image, stretched to the control (with Stretch) or at
// its natural size. A value that is no image shows an empty frame.
class TDBImage : public TDBFieldControl<TCustomControl> {
public:
    explicit TDBImage(TComponent* AOwner);
    bool Stretch() const { return FStretch; }
    void SetStretch(bool Value) { FStretch = Value; Invalidate(); }
    // The image shown (empty when the field holds none).
    const TBitmap& Picture() const { return FPicture; }

protected:
    void Paint() override;
    bool FocusOnClick() const override { return true; }

private:
    void DataChange(TObject*);
    TBitmap FPicture;
    bool FStretch = true;
};

// ---------------------------------------------------------------------------------------
// Lists of values

// A list whose selected item is the field's value; picking an item (click, Up/Down,
// Home/End) puts the dataset into edit and marks the change. A value not in the list
// selects nothing. With more items than fit, a scroll bar along the right edge and the
// mouse wheel scroll the items without picking one.
class TDBListBox : public TDBFieldControl<TCustomControl> {
public:
    explicit TDBListBox(TComponent* AOwner);
    std::vector<std::string>& Items() { return FItems; }
    const std::vector<std::string>& Items() const { return FItems; }
    void SetItems(const std::vector<std::string>& Value);
    int ItemIndex() const { return FItemIndex; }
    void SetItemIndex(int Value);
    int ItemHeight() const { return FItemHeight; }
    void SetItemHeight(int Value) { FItemHeight = Value < 1 ? 1 : Value; Invalidate(); }
    int TopIndex() const { return FTopIndex; }
    const TScrollBarPart& ScrollBar() const { return FBar; }
    bool ScrollBarVisible() const { return static_cast<int>(FItems.size()) > Rows(); }

protected:
    void Paint() override;
    void KeyDown(std::uint16_t& Key, TShiftState Shift) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
    LRESULT DialogCode() const override { return DLGC_WANTARROWS | DLGC_WANTCHARS; }
    bool FocusOnClick() const override { return true; }
    void DoExit() override;

private:
    void DataChange(TObject*);
    void UpdateData(TObject*);
    void Pick(int Index);
    void MakeVisible();
    int Rows() const;
    void SetTopIndex(int Index);
    void SyncBar();
    std::vector<std::string> FItems;
    int FItemIndex = -1;
    int FItemHeight = 16;
    int FTopIndex = 0;
    TScrollBarPart FBar;
};

// ---------------------------------------------------------------------------------------
// Combo box

// A combo box whose text is the field's value. Picking an item (Up, Down, the dropped-down
// list) or typing (csDropDown) puts the dataset into edit state first; a read-only field
// or link refuses the change and shows the field's value again. Esc drops a pending change.
class TDBComboBox : public TDBFieldControl<TCustomComboBox> {
public:
    explicit TDBComboBox(TComponent* AOwner);

protected:
    void KeyDown(std::uint16_t& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;
    void DoExit() override;
    void Change() override;

private:
    void DataChange(TObject*);
    void UpdateData(TObject*);
    void ShowValue(const std::string& Value);
    bool FEscClosedList = false;  // the Esc whose character follows closed the list
};

// ---------------------------------------------------------------------------------------
// Check box and radio group

// A check box that is checked when the field holds ValueChecked (Booleans: True) and
// unchecked when it holds ValueUnchecked; other values (Null among them) show greyed.
// Space or a click toggles it.
class TDBCheckBox : public TDBFieldControl<TCustomControl> {
public:
    explicit TDBCheckBox(TComponent* AOwner);
    enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
    TCheckBoxState State() const { return FState; }
    bool Checked() const { return FState == cbChecked; }
    void SetChecked(bool Value);
    const std::string& ValueChecked() const { return FValueChecked; }
    void SetValueChecked(const std::string& Value) { FValueChecked = Value; FDataLink.Reset(); }
    const std::string& ValueUnchecked() const { return FValueUnchecked; }
    void SetValueUnchecked(const std::string& Value) { FValueUnchecked = Value; FDataLink.Reset(); }
    void Click() override;

protected:
    void Paint() override;
    void KeyDown(std::uint16_t& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;
    // On a control grid's panel the arrows move the grid's records.
    LRESULT DialogCode() const override;
    bool FocusOnClick() const override { return true; }
    void DoExit() override;

private:
    void DataChange(TObject*);
    void UpdateData(TObject*);
    void Toggle();
    TCheckBoxState FState = cbGrayed;
    std::string FValueChecked = "True";
    std::string FValueUnchecked = "False";
};

// A group of radio buttons, one per item; the field's value selects the item whose
// value (Values, or the item's caption when Values has no entry for it) it holds. Up and
// Down or a click pick another item.
class TDBRadioGroup : public TDBFieldControl<TCustomControl> {
public:
    explicit TDBRadioGroup(TComponent* AOwner);
    std::vector<std::string>& Items() { return FItems; }
    void SetItems(const std::vector<std::string>& Value) { FItems = Value; FDataLink.Reset(); }
    std::vector<std::string>& Values() { return FValues; }
    void SetValues(const std::vector<std::string>& Value) { FValues = Value; FDataLink.Reset(); }
    int ItemIndex() const { return FItemIndex; }
    void SetItemIndex(int Value);
    // The value of the selected item ("" when none).
    std::string Value() const;
    int Columns() const { return FColumns; }
    void SetColumns(int Value) { FColumns = Value < 1 ? 1 : Value; Invalidate(); }
    TNotifyEvent OnChange;

protected:
    void Paint() override;
    void KeyDown(std::uint16_t& Key, TShiftState Shift) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    LRESULT DialogCode() const override { return DLGC_WANTARROWS; }
    bool FocusOnClick() const override { return true; }
    void DoExit() override;

private:
    void DataChange(TObject*);
    void UpdateData(TObject*);
    void Pick(int Index);
    std::string ItemValue(int Index) const;
    TRect ItemRect(int Index) const;
    std::vector<std::string> FItems;
    std::vector<std::string> FValues;
    int FItemIndex = -1;
    int FColumns = 1;
};

// ---------------------------------------------------------------------------------------
// Lookup controls

// A control whose field (DataField of DataSource) holds a key of another dataset
// (ListSource): the key field KeyField of that dataset matches it, and ListField gives the
// text shown. Picking a list record writes its key into the field.
class TDBLookupControl : public TDBFieldControl<TCustomControl> {
public:
    explicit TDBLookupControl(TComponent* AOwner);
    ~TDBLookupControl() override;

    TDataSource* ListSource() const;
    void SetListSource(TDataSource* Value);
    const std::string& KeyField() const { return FKeyField; }
    void SetKeyField(const std::string& Value) { FKeyField = Value; ListChanged(); }
    const std::string& ListField() const { return FListField; }
    void SetListField(const std::string& Value) { FListField = Value; ListChanged(); }
    // The key the control shows (the field's value).
    const Variant& KeyValue() const { return FKeyValue; }
    void SetKeyValue(const Variant& Value);
    // The list text of the current key ("" when no list record has it).
    std::string DisplayText() const;
    int ListCount() const { return static_cast<int>(FListKeys.size()); }
    const std::string& ListText(int Index) const { return FListTexts[Index]; }
    const Variant& ListKey(int Index) const { return FListKeys[Index]; }
    // The position of the current key in the list, or -1.
    int KeyIndex() const;

    void Notification(TComponent* AComponent, TOperation Operation) override;

protected:
    LRESULT DialogCode() const override { return DLGC_WANTARROWS | DLGC_WANTCHARS; }
    bool FocusOnClick() const override { return true; }
    void KeyDown(std::uint16_t& Key, TShiftState Shift) override;
    void DoExit() override;
    // Picks the list record at Index: the field is to get its key.
    void SelectIndex(int Index);
    // Re-reads the list's keys and texts.
    void ListChanged();
    // The key shown or the list changed.
    virtual void KeyValueChanged() {}

private:
    class TListLink;
    friend class TListLink;
    void DataChange(TObject*);
    void UpdateData(TObject*);
    std::unique_ptr<TListLink> FListLink;
    std::string FKeyField;
    std::string FListField;
    Variant FKeyValue;
    std::vector<Variant> FListKeys;
    std::vector<std::string> FListTexts;
};

// The lookup list as a list box: every list record, the current key selected and kept
// in view. A vertical scroll bar shows while the list has more rows than fit; the bar
// and the wheel (WheelScrollLines rows a notch) scroll the rows shown without changing
// the key or moving either dataset; a click on a row picks it.
class TDBLookupListBox : public TDBLookupControl {
public:
    explicit TDBLookupListBox(TComponent* AOwner);
    int RowHeight() const { return FRowHeight; }
    // The first list row shown.
    int TopIndex() const { return FTopIndex; }
    void SetTopIndex(int Index);
    // The rows that fit.
    int Rows() const;
    const TScrollBarPart& ScrollBar() const;
    bool ScrollBarVisible() const { return ListCount() > Rows(); }

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
    void KeyValueChanged() override;
    void Resize() override;

private:
    void SyncBar() const;
    int FRowHeight = 16;
    int FTopIndex = 0;
    mutable TScrollBarPart FBar;
};

// The lookup list as a combo box: shows the current key's text; Alt+Down or F4 (or a
// click) drops the list down (ListVisible) in a popup window below the control, which
// holds the mouse while it is down. Up and Down move in the list, Enter or a click on a
// row picks, Esc or a click elsewhere closes it.
class TDBLookupComboBox : public TDBLookupControl {
public:
    explicit TDBLookupComboBox(TComponent* AOwner);
    ~TDBLookupComboBox() override;
    bool ListVisible() const { return FList != nullptr; }
    void DropDown();
    void CloseUp(bool Accept);
    int DropDownRows() const { return FDropDownRows; }
    void SetDropDownRows(int Value) { FDropDownRows = Value < 1 ? 1 : Value; }
    int RowHeight() const { return 16; }
    // The dropped-down list while it is down (null otherwise).
    TWinControl* ListWindow() const;

protected:
    void Paint() override;
    void KeyDown(std::uint16_t& Key, TShiftState Shift) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void WndProc(TMessage& Message) override;
    // While the list is down, Enter and Esc close it instead of reaching the dialog.
    LRESULT DialogCode() const override
    {
        return DLGC_WANTARROWS | DLGC_WANTCHARS | (FList ? DLGC_WANTALLKEYS : 0);
    }

private:
    class TListWindow;
    friend class TListWindow;
    TListWindow* FList = nullptr;
    int FDropDownRows = 7;
};

}  // namespace korin
