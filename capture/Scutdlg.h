#pragma once
// Shortcut tables: the lookup of a key in a table of shortcut texts, the duplicate test,
// and TShortCutDlg, the dialog that edits a single-row and a multi-row table button by
// button.
//
// TShortCutDlg is read from the form file "TShortCutDlg" (resources/forms/
// TShortCutDlg.form) and creates its own navigator, scutNavigator, below Label3: a
// navigator in setup mode with all 25 buttons in one radio group, on which the user
// picks the button to edit. Whoever shows the dialog fills its two tables first and
// takes them back after OK (TVandroDBNavigator::EditShortCuts does both).
#include "korin/nav/Vdbnavbtn.h"
#include "korin/platform/gui/Forms.h"
#include "korin/platform/gui/Keyboard.h"

namespace korin {

class TBitBtn;
class THotKey;
class TLabel;
class TBevel;
class TEdit;
class TRadioButton;
class TVandroDBNavigator;

// The button whose entry in ShortCuts equals the text of ShortCut ("Ctrl+E"), compared
// exactly; the lowest button wins when entries repeat. An empty entry is "no shortcut"
// and never matches. NotFound tells whether any entry matched (the result is then
// vnbFirst).
TVNavigateBtn FindShortCut(TShortCut ShortCut, const TShortCutArray* ShortCuts, bool& NotFound);

// Whether two entries of the table hold the same shortcut text (exact comparison).
// Empty entries are "no shortcut" and never equal one another.
bool HasEqualShortCuts(const TShortCutArray* ShortCuts);

class TShortCutDlg : public TForm {
public:
    explicit TShortCutDlg(TComponent* AOwner);

    // The components of the form file, and the navigator the dialog makes itself.
    TBitBtn* bbOK = nullptr;
    TBitBtn* bbCancel = nullptr;
    THotKey* HotKey = nullptr;
    TLabel* Label1 = nullptr;
    TLabel* Label2 = nullptr;
    TBevel* Bevel1 = nullptr;
    TEdit* ButtonName = nullptr;
    TLabel* Label3 = nullptr;
    TBitBtn* bbAssign = nullptr;
    TVandroDBNavigator* scutNavigator = nullptr;
    TRadioButton* rbMulti = nullptr;
    TRadioButton* rbSingle = nullptr;
    TBitBtn* btnDefaults = nullptr;

    // Shows the entry of CurrentButton in CurrentTable: the button's name ("_FIRST") and
    // its key combination (none for an empty entry).
    void RefreshShortCut();
    // A button of scutNavigator was clicked: it becomes the button edited.
    void NavClick(TObject* Sender, TVNavigateBtn Button);
    // Gives CurrentButton the combination in HotKey; a combination another button of the
    // table already has is refused: the entry is emptied.
    void bbAssignClick(TObject* Sender);
    // Either radio button: edit the single-row or the multi-row table.
    void rbClick(TObject* Sender);
    // Both tables back to the factory tables.
    void btnDefaultsClick(TObject* Sender);

    // The table edited (one of the two below) and the button shown.
    TShortCutArray* CurrentTable = nullptr;
    TVNavigateBtn CurrentButton = vnbFirst;
    // The dialog's tables; empty entries until filled from outside or reset.
    TShortCutArray MultiRowShortCuts{};
    TShortCutArray SingleRowShortCuts{};
};

}  // namespace korin
