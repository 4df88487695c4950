#include "korin/search/Dbslocat.h"

#include "korin/platform/core/FormFiles.h"
#include "korin/platform/core/FormPart.h"
#include "korin/platform/core/TypInfo.h"
#include "korin/platform/db/DB.h"
#include "korin/platform/gui/Buttons.h"
#include "korin/platform/gui/ComCtrls.h"
#include "korin/platform/gui/ExtCtrls.h"
#include "korin/platform/gui/Registration.h"
#include "korin/platform/gui/StdCtrls.h"
#include "korin/search/Dbsearch.h"
#include "korin/search/Sercheng.h"

namespace korin {

TDLGLocate* DLGLocate = nullptr;
bool GotoFirst = false;
bool GotoLast = false;
bool FindNext = false;

namespace {

void RegisterLocateDialog()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    RegisterGuiClasses();
    RegisterClass<TDLGLocate>("TDLGLocate", "TForm");
}

template <class T>
T* Part(TComponent* Root, const std::string& Name)
{
    return FormPart<T>(Root, "TDLGLocate", Name);
}

}  // namespace

TDLGLocate::TDLGLocate(TComponent* AOwner) : TForm(AOwner)
{
    RegisterLocateDialog();
    auto bind = [this](const char* name, void (TDLGLocate::*handler)(TObject*)) {
        RegisterMethod(name, TNotifyEvent([this, handler](TObject* Sender) { (this->*handler)(Sender); }));
    };
    bind("FormShow", &TDLGLocate::FormShow);
    bind("txtSearchStringChange", &TDLGLocate::txtSearchStringChange);
    bind("FindFirstButtonClick", &TDLGLocate::FindFirstButtonClick);
    bind("FindNextButtonClick", &TDLGLocate::FindNextButtonClick);
    bind("GoToTopButtonClick", &TDLGLocate::GoToTopButtonClick);
    bind("GoToEndButtonClick", &TDLGLocate::GoToEndButtonClick);
    bind("bCancelClick", &TDLGLocate::bCancelClick);
    ReadComponentRes("TDLGLocate", this);

    GroupBox2 = Part<TGroupBox>(this, "GroupBox2");
    cbxCaseSensitive = Part<TCheckBox>(this, "cbxCaseSensitive");
    rbExactMatch = Part<TRadioButton>(this, "rbExactMatch");
    rbPatternMatch = Part<TRadioButton>(this, "rbPatternMatch");
    FindFirstButton = Part<TButton>(this, "FindFirstButton");
    GoToTopButton = Part<TButton>(this, "GoToTopButton");
    GoToEndButton = Part<TButton>(this, "GoToEndButton");
    FindNextButton = Part<TButton>(this, "FindNextButton");
    txtSearchString = Part<TEdit>(this, "txtSearchString");
    Label1 = Part<TLabel>(this, "Label1");
    cbxFields = Part<TComboBox>(this, "cbxFields");
    Label2 = Part<TLabel>(this, "Label2");
    CancelBtn = Part<TBitBtn>(this, "CancelBtn");
    Bevel1 = Part<TBevel>(this, "Bevel1");
    CancelBtn->Glyph().LoadFromResourceName("DBN__CANCEL");
    CancelBtn->SetNumGlyphs(2);
}

void TDLGLocate::SetCreator(TObject* ACreator)
{
    FCreator = ACreator;
    if (auto* search = As<TCustomdbSearch>(ACreator)) {
        FSingleCharPattern = search->SingleCharPattern();
        FMultiCharPattern = search->MultiCharPattern();
    }
}

void TDLGLocate::AddLocateField(const std::string& FieldLabel) { cbxFields->AddItem(FieldLabel); }

void TDLGLocate::SetLocateInfo(const TLocateInfo& Info)
{
    korin::GotoFirst = false;
    korin::GotoLast = false;
    korin::FindNext = false;
    cbxFields->SetItemIndex(0);
    if (!Info.LocateField.empty()) {
        int found = -1;
        const auto& items = cbxFields->Items();
        for (size_t i = 0; i < items.size(); ++i) {
            if (items[i] == Info.LocateField) {
                found = static_cast<int>(i);
                break;
            }
        }
        cbxFields->SetItemIndex(found);
    }
    txtSearchString->SetText(Info.LocateText);
    if (Info.ExactMatch)
        rbExactMatch->SetChecked(true);
    else
        rbPatternMatch->SetChecked(true);
    cbxCaseSensitive->SetChecked(Info.CaseSensitive);
    txtSearchStringChange(txtSearchString);
}

TLocateInfo TDLGLocate::GetLocateInfo() const
{
    TLocateInfo info;
    info.LocateField = cbxFields->Text();
    info.LocateText = txtSearchString->Text();
    info.ExactMatch = rbExactMatch->Checked();
    info.CaseSensitive = cbxCaseSensitive->State() == TCheckBoxState::cbChecked;
    info.GotoFirst = korin::GotoFirst;
    info.GotoLast = korin::GotoLast;
    info.FindNext = korin::FindNext;
    return info;
}

void TDLGLocate::FormShow(TObject*)
{
    SetCaption("Locate Value");
    Label1->SetCaption("Text to Find");
    cbxCaseSensitive->SetCaption("Case Sensitive");
    rbExactMatch->SetCaption("No Wildcards");
    rbPatternMatch->SetCaption("Allow Wildcards(" + Cp1251ToUtf8(std::string(1, FSingleCharPattern)) + "," +
                               Cp1251ToUtf8(FMultiCharPattern) + ")");
    FindFirstButton->SetCaption("Find First");
    GoToTopButton->SetCaption("Go To Top");
    GoToEndButton->SetCaption("Go To End");
    FindNextButton->SetCaption("Find Next");
}

void TDLGLocate::txtSearchStringChange(TObject*)
{
    bool hasText = !txtSearchString->Text().empty();
    FindFirstButton->SetEnabled(hasText);
    FindNextButton->SetEnabled(hasText);
}

void TDLGLocate::FindFirstButtonClick(TObject*) { SetModalResult(mrOk); }

void TDLGLocate::FindNextButtonClick(TObject*)
{
    korin::FindNext = true;
    SetModalResult(mrOk);
}

void TDLGLocate::GoToTopButtonClick(TObject*)
{
    korin::GotoFirst = true;
    SetModalResult(mrOk);
}

void TDLGLocate::GoToEndButtonClick(TObject*)
{
    korin::GotoLast = true;
    SetModalResult(mrOk);
}

void TDLGLocate::bCancelClick(TObject*) { SetModalResult(mrCancel); }

// The dialog lives for this call only: created, filled from the search object, shown
// modally, read when the user chose a command, and freed whatever happens.
bool TCustomdbSearch::GetLocateInfo()
{
    TOwned<TDLGLocate> dlg(new TDLGLocate(&*Application));
    DLGLocate = dlg.get();
    struct TClearGlobal {
        ~TClearGlobal() { DLGLocate = nullptr; }
    } clearGlobal;
    dlg->SetCreator(this);
    if (!FDataSource)
        return false;

    if (FSearchFields.Count() > 0) {
        for (int i = 0; i < FSearchFields.Count(); ++i)
            dlg->AddLocateField(FSearchFields[i]);
    } else if (TDataSet* d = FDataSource->DataSet()) {
        for (int i = 0; i < d->FieldCount(); ++i)
            if (d->Fields(i)->Visible())
                dlg->AddLocateField(d->Fields(i)->DisplayLabel());
    }
    if (FLocateInfo.LocateField.empty())
        FLocateInfo.LocateField = FDefaultFieldName;
    dlg->SetLocateInfo(FLocateInfo);
    if (dlg->ShowModal() != mrOk)
        return false;
    FLocateInfo = dlg->GetLocateInfo();
    return true;
}

}  // namespace korin
