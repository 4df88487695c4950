#pragma once
// Sqdlg: the condition builder TSetupQ, a modal dialog in which the user composes a
// condition by clicking (a field from a list, an operator from a tool bar, a constant,
// brackets, AND and OR) and, in query mode, an ORDER BY list.
//
// The dialog is read from the form file "TSetupQ" (resources/forms/TSetupQ.form). The
// opener sets DataSource, DialogMode, VisibleButtons and the caption, shows it modally,
// reads Edit1 (the condition) and, in query mode, Edit3 (the ORDER BY list) after OK, and
// frees it. The dialog only edits text: it does not check the condition.
//
// Static text is inserted as an SQL string literal with its apostrophes doubled
// ('O''Brien'); the three pattern buttons insert such literals too ('text%', '%text%',
// '%text'). A field name that is not a plain identifier is inserted in double quotes.
#include <cstdint>
#include <string>
#include <vector>

#include "korin/platform/gui/Forms.h"

namespace korin {

class TDataSource;
class TLabel;
class TBevel;
class TListBox;
class TEdit;
class TToolBar;
class TToolButton;
class TBitBtn;
class TImageList;

// The operator buttons, in tool-bar order; sqbNone stands for no button.
enum TSetupQButtons {
    sqbGreat, sqbLess, sqbLike, sqbGreatE, sqbLessE, sqbPlus, sqbMinus, sqbAnd, sqbOr, sqbBrackets,
    sqbSepar1, sqbStartWith, sqbContain, sqbEndTo, sqbEqual, sqbNone
};

// A set of operator buttons (bit i for ordinal i, 16 bits).
class TVisibleButtons {
public:
    constexpr TVisibleButtons() = default;
    constexpr TVisibleButtons(std::initializer_list<TSetupQButtons> Buttons)
    {
        for (TSetupQButtons b : Buttons)
            Include(b);
    }
    static constexpr TVisibleButtons FromMask(std::uint16_t Mask)
    {
        TVisibleButtons s;
        s.FBits = Mask;
        return s;
    }
    constexpr std::uint16_t Mask() const { return FBits; }
    constexpr bool Contains(TSetupQButtons b) const { return (FBits & Bit(b)) != 0; }
    constexpr void Include(TSetupQButtons b) { FBits = static_cast<std::uint16_t>(FBits | Bit(b)); }
    constexpr void Exclude(TSetupQButtons b) { FBits = static_cast<std::uint16_t>(FBits & ~Bit(b)); }
    constexpr bool operator==(const TVisibleButtons&) const = default;

private:
    static constexpr std::uint16_t Bit(TSetupQButtons b) { return static_cast<std::uint16_t>(1u << b); }
    std::uint16_t FBits = 0;
};

// Every operator button (all but sqbNone).
constexpr TVisibleButtons AllSetupQButtons = TVisibleButtons::FromMask(0x7FFF);

enum TDialogOperationMode { dopQuery, dopFilter };

class TSetupQ;

// Unit state. SetupQ is the dialog while one exists. Undostr and Undostr1 hold the
// condition and the ORDER BY list before their last change; they live as long as the
// process. BracketsText holds one saved condition per open bracket level (innermost
// last) and BracketsCount the number of open levels; both start anew on every show.
// RawStaticText: static text goes in without quotes (a field that is not text was
// chosen last); kept from one show to the next.
extern TSetupQ* SetupQ;
extern std::string Undostr;
extern std::string Undostr1;
extern int BracketsCount;
extern std::vector<std::string> BracketsText;
extern bool RawStaticText;

// The text the builder inserts for static text: an SQL string literal with every
// apostrophe doubled.
std::string QuoteSQLString(const std::string& Text);
// A field name as the builder inserts it: as it is when it is a plain identifier
// (letters, digits and underscores, not starting with a digit), else in double quotes
// with inner double quotes doubled.
std::string QuoteFieldName(const std::string& Name);

class TSetupQ : public TForm {
public:
    explicit TSetupQ(TComponent* AOwner);
    ~TSetupQ() override;

    // The components of the form file.
    TLabel* Label1 = nullptr;
    TLabel* Label2 = nullptr;
    TLabel* Label3 = nullptr;
    TLabel* Label4 = nullptr;
    TBevel* Bevel1 = nullptr;
    TBevel* Bevel3 = nullptr;
    TBevel* Bevel4 = nullptr;
    TBevel* Bevel5 = nullptr;
    TBevel* Bevel7 = nullptr;
    TListBox* ListBox1 = nullptr;
    TEdit* Edit1 = nullptr;
    TEdit* Edit2 = nullptr;
    TToolBar* ActButtons = nullptr;
    TToolButton* tbGreat = nullptr;
    TToolButton* tbLess = nullptr;
    TToolButton* tbLike = nullptr;
    TToolButton* tbGreatE = nullptr;
    TToolButton* tbLessE = nullptr;
    TToolButton* tbPlus = nullptr;
    TToolButton* tbMinus = nullptr;
    TToolButton* tbAnd = nullptr;
    TToolButton* tbOr = nullptr;
    TToolButton* tbBrackets = nullptr;
    TToolButton* tbSepar1 = nullptr;
    TToolButton* tbStartWith = nullptr;
    TToolButton* tbContain = nullptr;
    TToolButton* tbEndTo = nullptr;
    TToolButton* ToolButton1 = nullptr;
    TBitBtn* BitBtn1 = nullptr;
    TBitBtn* BitBtn2 = nullptr;
    TBitBtn* BitBtn3 = nullptr;
    TBitBtn* BitBtn4 = nullptr;
    TBitBtn* BitBtn5 = nullptr;
    TBitBtn* BitBtn6 = nullptr;
    TBitBtn* BitBtn7 = nullptr;
    TListBox* ListBox2 = nullptr;
    TEdit* Edit3 = nullptr;
    TImageList* ImageList1 = nullptr;

    // Set by the opener before ShowModal. The data source's dataset supplies the fields
    // (forgotten when the data source goes).
    TDataSource* DataSource() const { return FDataSource; }
    void SetDataSource(TDataSource* Value);
    TVisibleButtons VisibleButtons() const { return FVisibleButtons; }
    // Sets the enabled operator buttons and applies the set to the tool bar at once.
    void SetVisibleButtons(TVisibleButtons Value);
    TDialogOperationMode DialogMode() const { return FDialogMode; }
    void SetDialogMode(TDialogOperationMode Value) { FDialogMode = Value; }

    // What the opener reads after OK.
    std::string Condition() const;
    std::string OrderBy() const;

    // Handlers named in the form file.
    void FormCreate(TObject* Sender);
    void FormShow(TObject* Sender);
    void ListBox1Click(TObject* Sender);
    void BitBtn5Click(TObject* Sender);
    void BitBtn6Click(TObject* Sender);
    void tbGreatClick(TObject* Sender);
    void BitBtn1Click(TObject* Sender);
    void BitBtn2Click(TObject* Sender);
    void BitBtn3Click(TObject* Sender);
    void BitBtn4Click(TObject* Sender);
    void BitBtn7Click(TObject* Sender);
    void ListBox2DblClick(TObject* Sender);
    void Edit3DblClick(TObject* Sender);
    // The product notice ("About", information icon); the second only for Index 0.
    void Image1Click(TObject* Sender);
    void CaptionControl1ButtonClick(TObject* Sender, int Index);

    // Fills the field lists from the data source's dataset (ListBox2 in query mode only).
    void FillupFieldsList();
    // Opens a bracket level: the condition so far is saved and Edit1 starts empty.
    void BracketsClick();
    void SaveUndo();
    void SaveUndo1();
    // Enables exactly the tool buttons whose index is in VisibleButtons.
    void SetVisibleButtons();
    // The index of Button in ActButtons, or 15 when it is not there.
    int GetToolButtonIndex(TToolButton* Button) const;

    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    // Appends to the condition, saving undo first and marking it modified.
    void AppendCondition(const std::string& Text);
    void MakeGlyphs();

    TDataSource* FDataSource = nullptr;
    TVisibleButtons FVisibleButtons = AllSetupQButtons;
    TDialogOperationMode FDialogMode = dopQuery;
};

// The short notice the About handlers show.
extern const char* const SetupQAboutText;

}  // namespace korin
