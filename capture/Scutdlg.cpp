#include "korin/capture/Scutdlg.h"

#include <string>
#include <unordered_map>

#include "korin/nav/Vdbnav.h"
#include "korin/nav/Vdbnavhint.h"
#include "korin/platform/core/FormFiles.h"
#include "korin/platform/core/FormPart.h"
#include "korin/platform/core/TypInfo.h"
#include "korin/platform/gui/Buttons.h"
#include "korin/platform/gui/ComCtrls.h"
#include "korin/platform/gui/ExtCtrls.h"
#include "korin/platform/gui/Registration.h"
#include "korin/platform/gui/StdCtrls.h"

namespace korin {

TVNavigateBtn FindShortCut(TShortCut ShortCut, const TShortCutArray* ShortCuts, bool& NotFound)
{
    NotFound = true;
    if (!ShortCuts)
        return vnbFirst;
    // Every key typed into a captured control is looked up: the texts are made once.
    // The same key usually comes many times in a row (held, or typed again).
    static std::unordered_map<TShortCut, std::string> texts;
    static TShortCut lastKey = 0;
    static const std::string* lastText = nullptr;
    if (!lastText || lastKey != ShortCut) {
        auto it = texts.find(ShortCut);
        if (it == texts.end())
            it = texts.emplace(ShortCut, ShortCutToText(ShortCut)).first;
        lastKey = ShortCut;
        lastText = &it->second;  // node addresses stay put in an unordered_map
    }
    const std::string& text = *lastText;
    if (text.empty())
        return vnbFirst;
    for (int i = 0; i < NavButtonCount; ++i) {
        const std::string& entry = (*ShortCuts)[static_cast<std::size_t>(i)];
        if (!entry.empty() && entry == text) {
            NotFound = false;
            return static_cast<TVNavigateBtn>(i);
        }
    }
    return vnbFirst;
}

bool HasEqualShortCuts(const TShortCutArray* ShortCuts)
{
    if (!ShortCuts)
        return false;
    for (std::size_t i = 0; i + 1 < ShortCuts->size(); ++i) {
        const std::string& entry = (*ShortCuts)[i];
        if (entry.empty())
            continue;
        for (std::size_t j = i + 1; j < ShortCuts->size(); ++j)
            if ((*ShortCuts)[j] == entry)
                return true;
    }
    return false;
}

// ---- the shortcut editor ---------------------------------------------------------------

namespace {

void RegisterShortCutDialog()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    RegisterGuiClasses();
    RegisterClass<TShortCutDlg>("TShortCutDlg", "TForm");
}

template <class T>
T* Part(TComponent* Root, const std::string& Name)
{
    return FormPart<T>(Root, "TShortCutDlg", Name);
}

}  // namespace

TShortCutDlg::TShortCutDlg(TComponent* AOwner) : TForm(AOwner)
{
    RegisterShortCutDialog();
    auto bind = [this](const char* name, void (TShortCutDlg::*handler)(TObject*)) {
        RegisterMethod(name, TNotifyEvent([this, handler](TObject* Sender) { (this->*handler)(Sender); }));
    };
    bind("bbAssignClick", &TShortCutDlg::bbAssignClick);
    bind("rbClick", &TShortCutDlg::rbClick);
    bind("btnDefaultsClick", &TShortCutDlg::btnDefaultsClick);
    ReadComponentRes("TShortCutDlg", this);

    Bevel1 = Part<TBevel>(this, "Bevel1");
    Label1 = Part<TLabel>(this, "Label1");
    Label2 = Part<TLabel>(this, "Label2");
    Label3 = Part<TLabel>(this, "Label3");
    bbOK = Part<TBitBtn>(this, "bbOK");
    bbCancel = Part<TBitBtn>(this, "bbCancel");
    HotKey = Part<THotKey>(this, "HotKey");
    ButtonName = Part<TEdit>(this, "ButtonName");
    rbMulti = Part<TRadioButton>(this, "rbMulti");
    rbSingle = Part<TRadioButton>(this, "rbSingle");
    btnDefaults = Part<TBitBtn>(this, "btnDefaults");
    // Last: the radio buttons' handler waits for it before doing anything.
    bbAssign = Part<TBitBtn>(this, "bbAssign");

    // The glyphs are the navigator's own: POST for OK, CANCEL for Cancel, EDIT for assign.
    auto glyph = [](TBitBtn* Button, const char* Name) {
        Button->Glyph().LoadFromResourceName(Name);
        Button->SetNumGlyphs(2);
    };
    glyph(bbOK, "DBN__POST");
    glyph(bbCancel, "DBN__CANCEL");
    glyph(bbAssign, "DBN__EDIT");

    // The navigator the user picks a button on, right below Label3 and above the bevel:
    // all 25 buttons, one radio group, no captured controls.
    scutNavigator = new TVandroDBNavigator(this, true);
    scutNavigator->SetVisibleButtons(TVButtonSet::Range(vnbFirst, vnbDateTime));
    scutNavigator->SetBounds(Label3->Left(), Label3->Top() + Label3->Height() + 5, Bevel1->Width(), 22);
    scutNavigator->OnClickNavigatorButton = [this](TObject* Sender, TVNavigateBtn Button) { NavClick(Sender, Button); };

    CurrentTable = &SingleRowShortCuts;
    rbSingle->SetChecked(true);
    CurrentButton = vnbFirst;
}

void TShortCutDlg::RefreshShortCut()
{
    ButtonName->SetText(BtnTypeName[CurrentButton]);
    HotKey->SetHotKey(TextToShortCut((*CurrentTable)[CurrentButton]));
}

void TShortCutDlg::NavClick(TObject*, TVNavigateBtn Button)
{
    bbAssign->SetEnabled(true);
    CurrentButton = Button;
    RefreshShortCut();
    if (HotKey->CanFocus())
        HotKey->SetFocus();
    rbMulti->SetEnabled(true);
    rbSingle->SetEnabled(true);
}

void TShortCutDlg::bbAssignClick(TObject*)
{
    std::string& entry = (*CurrentTable)[CurrentButton];
    entry = ShortCutToText(HotKey->HotKey());
    if (HasEqualShortCuts(CurrentTable)) {
        // Refused: the entry is left empty, and the field shows no key.
        entry.clear();
        RefreshShortCut();
    } else {
        bbAssign->SetEnabled(false);
    }
}

void TShortCutDlg::rbClick(TObject*)
{
    if (!bbAssign)
        return;  // a radio button set while the form file is read
    CurrentTable = rbSingle->Checked() ? &SingleRowShortCuts : &MultiRowShortCuts;
    bbAssign->SetEnabled(true);
    RefreshShortCut();
    if (HotKey->CanFocus())
        HotKey->SetFocus();
}

void TShortCutDlg::btnDefaultsClick(TObject*)
{
    SingleRowShortCuts = DefaultSShortCuts;
    MultiRowShortCuts = DefaultShortCuts;
    RefreshShortCut();
    if (HotKey->CanFocus())
        HotKey->SetFocus();
}

// ---- the navigator's side --------------------------------------------------------------

bool TVandroDBNavigator::EditShortCuts()
{
    TOwned<TShortCutDlg> dialog(new TShortCutDlg(&*Application));
    dialog->SingleRowShortCuts = SingleRowShortCuts;
    dialog->MultiRowShortCuts = MultiRowShortCuts;
    dialog->RefreshShortCut();
    if (dialog->ShowModal() != mrOk)
        return false;
    SingleRowShortCuts = dialog->SingleRowShortCuts;
    MultiRowShortCuts = dialog->MultiRowShortCuts;
    // The button hints show the multi-row shortcuts.
    InitHints();
    return true;
}

}  // namespace korin
