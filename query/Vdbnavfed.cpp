#include "korin/query/Vdbnavfed.h"

#include "korin/platform/core/FormFiles.h"
#include "korin/platform/core/FormPart.h"
#include "korin/platform/core/TypInfo.h"
#include "korin/platform/db/DB.h"
#include "korin/platform/gui/Bitmap.h"
#include "korin/platform/gui/Buttons.h"
#include "korin/platform/gui/Keyboard.h"
#include "korin/platform/gui/Registration.h"
#include "korin/platform/gui/StdCtrls.h"
#include "korin/query/Sqdlg.h"

namespace korin {

TFilterEditBox* FilterEditBox = nullptr;

namespace {

void RegisterFilterEditBox()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    RegisterGuiClasses();
    RegisterClass<TFilterEditBox>("TFilterEditBox", "TForm");
}

template <class T>
T* Part(TComponent* Root, const std::string& Name)
{
    return FormPart<T>(Root, "TFilterEditBox", Name);
}

// The builder button's glyph: a navy funnel (the filter) with a small plus beside it
// (compose the condition), 14 x 14 on a white transparent background.
void DrawBuilderGlyph(TBitmap& Bmp)
{
    Bmp.SetSize(14, 14);
    TCanvas& c = Bmp.Canvas();
    c.Brush().SetColor(clWhite);
    c.FillRect(TRect{0, 0, 14, 14});
    c.Pen().SetColor(clNavy);
    for (int y = 1; y <= 5; ++y) {  // the cone
        c.MoveTo(y - 1, y);
        c.LineTo(12 - y, y);
    }
    for (int y = 6; y <= 11; ++y) {  // the spout
        c.MoveTo(5, y);
        c.LineTo(7, y);
    }
    c.MoveTo(11, 8);  // the plus
    c.LineTo(11, 13);
    c.MoveTo(9, 10);
    c.LineTo(14, 10);
    Bmp.SetTransparentColor(clWhite);
    Bmp.SetTransparent(true);
}

}  // namespace

TFilterEditBox::TFilterEditBox(TComponent* AOwner) : TForm(AOwner)
{
    RegisterFilterEditBox();
    RegisterMethod("EditKeyDown", TKeyEvent([this](TObject* Sender, std::uint16_t& Key, TShiftState Shift) {
                       EditKeyDown(Sender, Key, Shift);
                   }));
    RegisterMethod("FormShow", TNotifyEvent([this](TObject* Sender) { FormShow(Sender); }));
    RegisterMethod("FBBtnClick", TNotifyEvent([this](TObject* Sender) { FBBtnClick(Sender); }));
    ReadComponentRes("TFilterEditBox", this);
    FBBtn = Part<TSpeedButton>(this, "FBBtn");
    Edit = Part<TEdit>(this, "Edit");
    DrawBuilderGlyph(FBBtn->Glyph());
}

TFilterEditBox::~TFilterEditBox()
{
    if (FilterEditBox == this)
        FilterEditBox = nullptr;
    if (FDataSource)
        FDataSource->RemoveFreeNotification(this);
}

void TFilterEditBox::SetDataSource(TDataSource* Value)
{
    if (Value == FDataSource)
        return;
    if (FDataSource)
        FDataSource->RemoveFreeNotification(this);
    FDataSource = Value;
    if (FDataSource)
        FDataSource->FreeNotification(this);
}

void TFilterEditBox::Notification(TComponent* AComponent, TOperation Operation)
{
    TForm::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent && AComponent == static_cast<TComponent*>(FDataSource))
        FDataSource = nullptr;
}

void TFilterEditBox::EditKeyDown(TObject*, std::uint16_t& Key, TShiftState)
{
    if (Key == VK_RETURN)
        SetModalResult(mrOk);
    else if (Key == VK_ESCAPE || Key == VK_F10)
        SetModalResult(mrCancel);
}

void TFilterEditBox::FormShow(TObject*)
{
    Edit->SetWidth(Width() - 26);
    FBBtn->SetLeft(Width() - 24);
}

void TFilterEditBox::FBBtnClick(TObject*)
{
    TOwned<TSetupQ> builder(new TSetupQ(this));
    builder->SetDialogMode(dopFilter);
    TVisibleButtons buttons = builder->VisibleButtons();
    for (TSetupQButtons b : {sqbLike, sqbPlus, sqbMinus, sqbBrackets})
        buttons.Exclude(b);
    builder->SetVisibleButtons(buttons);
    builder->SetDataSource(FDataSource);
    builder->SetCaption("Filter setup");
    if (builder->ShowModal() == mrOk) {
        Edit->SetText(builder->Condition());
        SetModalResult(mrOk);
    }
}

}  // namespace korin
