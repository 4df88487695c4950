#pragma once
// Dbslocat: the locate dialog and the record that carries one search's parameters
// between the dialog, the search engine (Dbsearch.h) and the navigator.
//
// TDLGLocate is read from the form file "TDLGLocate" (resources/forms/TDLGLocate.form).
// It is created for one use: filled (SetCreator, AddLocateField, SetLocateInfo), shown
// modally, read (GetLocateInfo) and freed; TCustomdbSearch::GetLocateInfo does all of
// that. Its field chooser cbxFields is hidden: it is filled and read in code only.
#include <string>

#include "korin/platform/gui/Forms.h"

namespace korin {

class TGroupBox;
class TCheckBox;
class TRadioButton;
class TButton;
class TEdit;
class TLabel;
class TComboBox;
class TBitBtn;
class TBevel;

// The parameters of one search. GotoFirst, GotoLast and FindNext are one-shot commands:
// move to the first or the last record instead of searching, or search from the record
// after the current one instead of from the first record.
struct TLocateInfo {
    std::string LocateField;  // DisplayLabel of the field to search
    std::string LocateText;   // the text or wildcard pattern (UTF-8)
    bool CaseSensitive = false;
    bool ExactMatch = false;  // wildcard characters count as plain characters
    bool GotoFirst = false;
    bool GotoLast = false;
    bool FindNext = false;

    bool operator==(const TLocateInfo&) const = default;
};

class TDLGLocate;

// The dialog while it exists (set by TCustomdbSearch::GetLocateInfo), else nullptr.
extern TDLGLocate* DLGLocate;
// The commands chosen with the dialog's buttons; SetLocateInfo clears them and
// TDLGLocate::GetLocateInfo copies them into the record.
extern bool GotoFirst;
extern bool GotoLast;
extern bool FindNext;

class TDLGLocate : public TForm {
public:
    explicit TDLGLocate(TComponent* AOwner);

    // The components of the form file.
    TGroupBox* GroupBox2 = nullptr;
    TCheckBox* cbxCaseSensitive = nullptr;
    TRadioButton* rbExactMatch = nullptr;
    TRadioButton* rbPatternMatch = nullptr;
    TButton* FindFirstButton = nullptr;
    TButton* GoToTopButton = nullptr;
    TButton* GoToEndButton = nullptr;
    TButton* FindNextButton = nullptr;
    TEdit* txtSearchString = nullptr;
    TLabel* Label1 = nullptr;
    TComboBox* cbxFields = nullptr;
    TLabel* Label2 = nullptr;
    TBitBtn* CancelBtn = nullptr;
    TBevel* Bevel1 = nullptr;

    // Remembers the object that opened the dialog; a search object also gives the
    // wildcards shown in the wildcard option's caption.
    void SetCreator(TObject* ACreator);
    TObject* Creator() const { return FCreator; }
    // Appends a field label to the (hidden) field chooser.
    void AddLocateField(const std::string& FieldLabel);
    // Fills the controls from Info and clears the unit's command flags.
    void SetLocateInfo(const TLocateInfo& Info);
    // The parameters the user chose, with the unit's command flags.
    TLocateInfo GetLocateInfo() const;

    // Handlers bound by the form file (and bCancelClick, which it leaves unbound).
    void FormShow(TObject* Sender);
    void txtSearchStringChange(TObject* Sender);
    void FindFirstButtonClick(TObject* Sender);
    void FindNextButtonClick(TObject* Sender);
    void GoToTopButtonClick(TObject* Sender);
    void GoToEndButtonClick(TObject* Sender);
    void bCancelClick(TObject* Sender);

private:
    TObject* FCreator = nullptr;
    char FSingleCharPattern = '@';
    std::string FMultiCharPattern = "..";
};

}  // namespace korin
