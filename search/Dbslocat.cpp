#include "search/Dbslocat.h"

#include "platform/core/FormFiles.h"
#include "platform/core/TypInfo.h"
#include "platform/db/DB.h"
#include "platform/gui/Buttons.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Registration.h"
#include "platform/gui/StdCtrls.h"
#include "search/Dbsearch.h"
#include "search/Sercheng.h"

TDLGLocate* DLGLocate = nullptr;
bool GotoFirst = false;
bool GotoLast = false;
bool FindNext = false;

namespace {

// The window classes of the dialog's form file, for a window layer whose registry does
// not cover them yet. A class registered a second time keeps its first registration, so
// this changes nothing once the window layer registers them itself.
void RegisterDialogControls()
{
    RegisterClass<TGroupBox>("TGroupBox", "TCustomControl");
    RegisterClass<TCustomEdit>("TCustomEdit", "TWinControl")
        .Boolean("TabStop", [](TCustomEdit* e) { return e->TabStop(); }, [](TCustomEdit* e, bool v) { e->SetTabStop(v); })
        .Default(true)
        .String("Text", [](TCustomEdit* e) { return e->Text(); }, [](TCustomEdit* e, const std::string& v) { e->SetText(v); })
        .Default("")
        .Boolean("ReadOnly", [](TCustomEdit* e) { return e->ReadOnly(); },
                 [](TCustomEdit* e, bool v) { e->SetReadOnly(v); }).Default(false)
        .Integer("MaxLength", [](TCustomEdit* e) -> std::int64_t { return e->MaxLength(); },
                 [](TCustomEdit* e, std::int64_t v) { e->SetMaxLength(static_cast<int>(v)); }).Default(0)
        .Event("OnChange", &TCustomEdit::OnChange);
    RegisterClass<TEdit>("TEdit", "TCustomEdit");
    RegisterClass<TCheckBox>("TCheckBox", "TWinControl")
        .Boolean("TabStop", [](TCheckBox* c) { return c->TabStop(); }, [](TCheckBox* c, bool v) { c->SetTabStop(v); })
        .Default(true)
        .Boolean("Checked", [](TCheckBox* c) { return c->Checked(); }, [](TCheckBox* c, bool v) { c->SetChecked(v); })
        .Default(false);
    RegisterClass<TRadioButton>("TRadioButton", "TWinControl")
        .Boolean("TabStop", [](TRadioButton* c) { return c->TabStop(); }, [](TRadioButton* c, bool v) { c->SetTabStop(v); })
        .Default(true)
        .Boolean("Checked", [](TRadioButton* c) { return c->Checked(); },
                 [](TRadioButton* c, bool v) { c->SetChecked(v); }).Default(false);
    RegisterClass<TCustomComboBox>("TCustomComboBox", "TWinControl")
        .Boolean("TabStop", [](TCustomComboBox* c) { return c->TabStop(); },
                 [](TCustomComboBox* c, bool v) { c->SetTabStop(v); }).Default(true)
        .String("Text", [](TCustomComboBox* c) { return c->Text(); },
                [](TCustomComboBox* c, const std::string& v) { c->SetText(v); }).Default("")
        .Strings("Items", [](TCustomComboBox* c) { return c->Items(); },
                 [](TCustomComboBox* c, const std::vector<std::string>& v) { c->SetItems(v); })
        .Event("OnChange", &TCustomComboBox::OnChange);
    RegisterClass<TComboBox>("TComboBox", "TCustomComboBox");
    RegisterClass<TBitBtn>("TBitBtn", "TButton");
    RegisterClass<TBevel>("TBevel", "TGraphicControl")
        .Enum<TBevelShape>("Shape", {"bsBox", "bsFrame", "bsTopLine", "bsBottomLine", "bsLeftLine", "bsRightLine", "bsSpacer"},
                           [](TBevel* b) { return b->Shape(); }, [](TBevel* b, TBevelShape v) { b->SetShape(v); })
        .Default(bsBox)
        .Enum<TBevelStyle>("Style", {"bsLowered", "bsRaised"}, [](TBevel* b) { return b->Style(); },
                           [](TBevel* b, TBevelStyle v) { b->SetStyle(v); })
        .Default(bsLowered);
}

void RegisterLocateDialog()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    RegisterGuiClasses();
    RegisterDialogControls();
    RegisterClass<TDLGLocate>("TDLGLocate", "TForm");
}

// The component of the form file called Name, as a T; a form file that lacks it, or
// gives it another class, is refused.
template <class T>
T* Part(TComponent* Root, const std::string& Name)
{
    T* c = As<T>(Root->FindComponent(Name));
    if (!c)
        throw EReadError("TDLGLocate: component '" + Name + "' is missing");
    return c;
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
    ::GotoFirst = false;
    ::GotoLast = false;
    ::FindNext = false;
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
    info.GotoFirst = ::GotoFirst;
    info.GotoLast = ::GotoLast;
    info.FindNext = ::FindNext;
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
    ::FindNext = true;
    SetModalResult(mrOk);
}

void TDLGLocate::GoToTopButtonClick(TObject*)
{
    ::GotoFirst = true;
    SetModalResult(mrOk);
}

void TDLGLocate::GoToEndButtonClick(TObject*)
{
    ::GotoLast = true;
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
