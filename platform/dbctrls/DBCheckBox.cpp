#include "korin/platform/dbctrls/DBCtrls.h"

#include <algorithm>

#include "korin/platform/core/DateUtils.h"
#include "korin/platform/dbctrls/DBCGrids.h"
#include "korin/platform/dbctrls/DBCtrlUtils.h"
#include "korin/platform/gui/Canvas.h"
#include "korin/platform/gui/Draw3D.h"
#include "korin/platform/gui/DrawText.h"
#include "korin/platform/gui/DropDownList.h"
#include "korin/platform/gui/Popups.h"
#include "korin/platform/gui/StdCtrls.h"

namespace korin {

// ---------------------------------------------------------------------------------------
// TDBCheckBox

TDBCheckBox::TDBCheckBox(TComponent* AOwner) : TDBFieldControl<TCustomControl>(AOwner)
{
    SetTabStop(true);
    SetBounds(0, 0, 97, 17);
    FDataLink.OnDataChange = [this](TObject*) { DataChange(this); };
    FDataLink.OnUpdateData = [this](TObject*) { UpdateData(this); };
}

static bool SameTextCI(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

void TDBCheckBox::DataChange(TObject*)
{
    TCheckBoxState s = cbGrayed;
    if (TField* f = Field()) {
        if (!f->IsNull()) {
            std::string t = f->Text();
            if (f->DataType() == ftBoolean)
                s = f->AsBoolean() ? cbChecked : cbUnchecked;
            else if (SameTextCI(t, FValueChecked))
                s = cbChecked;
            else if (SameTextCI(t, FValueUnchecked))
                s = cbUnchecked;
        }
    }
    FState = s;
    Invalidate();
}

void TDBCheckBox::UpdateData(TObject*)
{
    TField* f = Field();
    if (FState == cbGrayed)
        f->Clear();
    else if (f->DataType() == ftBoolean)
        f->SetAsBoolean(FState == cbChecked);
    else
        f->SetText(FState == cbChecked ? FValueChecked : FValueUnchecked);
}

void TDBCheckBox::SetChecked(bool Value)
{
    FState = Value ? cbChecked : cbUnchecked;
    Invalidate();
}

void TDBCheckBox::Toggle()
{
    if (!FDataLink.Edit())
        return;
    FState = FState == cbChecked ? cbUnchecked : cbChecked;
    FDataLink.Modified();
    Invalidate();
}

void TDBCheckBox::Click()
{
    Toggle();
    TDBFieldControl<TCustomControl>::Click();
}

LRESULT TDBCheckBox::DialogCode() const
{
    return DLGC_WANTCHARS | (dynamic_cast<TDBCtrlPanel*>(Parent()) ? DLGC_WANTARROWS : 0);
}

void TDBCheckBox::KeyDown(std::uint16_t& Key, TShiftState Shift)
{
    ForwardPanelKey(this, Key, Shift);
}

void TDBCheckBox::KeyPress(char32_t& Key)
{
    if (Key == ' ') {
        Toggle();
        Key = 0;
    } else if (Key == 27 && FDataLink.IsModified()) {
        FDataLink.Reset();
        Key = 0;
    }
}

void TDBCheckBox::DoExit()
{
    FDataLink.UpdateRecord();
    TDBFieldControl<TCustomControl>::DoExit();
}

void TDBCheckBox::Paint()
{
    TCanvas& c = *Canvas();
    TRect box = Rect(0, (Height() - 13) / 2, 13, (Height() - 13) / 2 + 13);
    PaintCheckMark(c, box, FState == cbChecked, FState == cbGrayed, false);
    c.Font().Assign(Font());
    c.Brush().SetStyle(bsClear);
    TRect tr = Rect(17, 0, Width(), Height());
    DrawText(c, Caption(), tr, DT_SINGLELINE | DT_VCENTER);
    if (Focused()) {
        TRect fr = Rect(15, 0, std::min(Width(), 19 + c.TextWidth(StripAccel(Caption()))), Height());
        c.DrawFocusRect(fr);
    }
}

}  // namespace korin
