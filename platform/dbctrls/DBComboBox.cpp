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
// TDBComboBox

TDBComboBox::TDBComboBox(TComponent* AOwner) : TDBFieldControl<TCustomComboBox>(AOwner)
{
    FDataLink.OnDataChange = [this](TObject*) { DataChange(this); };
    FDataLink.OnUpdateData = [this](TObject*) { UpdateData(this); };
}

void TDBComboBox::ShowValue(const std::string& Value)
{
    auto it = std::find(Items().begin(), Items().end(), Value);
    if (it != Items().end()) {
        SetItemIndex(static_cast<int>(it - Items().begin()));
    } else {
        SetItemIndex(-1);
        if (Style() != csDropDownList)
            SetText(Value);
    }
}

void TDBComboBox::DataChange(TObject*)
{
    ShowValue(Field() ? Field()->Text() : std::string());
}

void TDBComboBox::UpdateData(TObject*)
{
    Field()->SetText(Text());
}

void TDBComboBox::Change()
{
    if (!FDataLink.Editing()) {
        // The user changed the value: the dataset must be editing first. Going into edit
        // state shows the field's value again, so the user's value is put back after.
        std::string picked = Text();
        if (!FDataLink.Edit()) {
            FDataLink.Reset();
            return;
        }
        ShowValue(picked);
    }
    FDataLink.Modified();
    TCustomComboBox::Change();
}

void TDBComboBox::KeyDown(std::uint16_t& Key, TShiftState Shift)
{
    FEscClosedList = Key == VK_ESCAPE && DroppedDown();
    TDBFieldControl<TCustomComboBox>::KeyDown(Key, Shift);
}

void TDBComboBox::KeyPress(char32_t& Key)
{
    bool closed = FEscClosedList;
    FEscClosedList = false;
    if (Key == 27 && !closed && FDataLink.IsModified()) {
        FDataLink.Reset();
        Key = 0;
        return;
    }
    TDBFieldControl<TCustomComboBox>::KeyPress(Key);
}

void TDBComboBox::DoExit()
{
    FDataLink.UpdateRecord();
    TDBFieldControl<TCustomComboBox>::DoExit();
}

}  // namespace korin
