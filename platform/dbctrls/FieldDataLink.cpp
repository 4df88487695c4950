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
// TFieldDataLink

TFieldDataLink::TFieldDataLink()
{
    SetVisualControl(true);
}

void TFieldDataLink::SetFieldName(const std::string& Value)
{
    if (FFieldName == Value)
        return;
    FFieldName = Value;
    UpdateField();
    CheckField();
}

void TFieldDataLink::CheckField() const
{
    if (FField || !Active() || FFieldName.empty())
        return;
    // Named after the control, so that a form with several controls says which one.
    std::string text = "Field '" + FFieldName + "' not found";
    if (FControl && !FControl->Name().empty())
        text = FControl->Name() + ": " + text;
    throw EDatabaseError(text);
}

bool TFieldDataLink::CanModify() const
{
    return !ReadOnly() && FField && FField->CanModify();
}

bool TFieldDataLink::Edit()
{
    if (CanModify())
        TDataLink::Edit();
    return FEditing;
}

void TFieldDataLink::UpdateField()
{
    TField* f = nullptr;
    if (Active() && !FFieldName.empty())
        f = DataSet()->FindField(FFieldName);
    SetField(f);
}

void TFieldDataLink::SetField(TField* Value)
{
    if (FField == Value)
        return;
    FField = Value;
    EditingChanged();
    RecordChanged(nullptr);
}

void TFieldDataLink::SetEditing(bool Value)
{
    if (FEditing == Value)
        return;
    FEditing = Value;
    FModified = false;
    if (OnEditingChange)
        OnEditingChange(this);
}

void TFieldDataLink::ActiveChanged()
{
    TField* old = FField;
    UpdateField();
    if (old == FField) {
        // Re-opened with the same field object: the record is another one all the same.
        EditingChanged();
        RecordChanged(nullptr);
    }
    if (OnActiveChange)
        OnActiveChange(this);
    // A control whose field the dataset does not have would stay empty and ignore
    // typing: that is an error of the form, reported at once.
    CheckField();
}

void TFieldDataLink::EditingChanged()
{
    SetEditing(TDataLink::Editing() && CanModify());
}

void TFieldDataLink::LayoutChanged()
{
    UpdateField();
    TDataLink::LayoutChanged();
}

void TFieldDataLink::RecordChanged(TField* Field)
{
    if (Field && Field != FField)
        return;
    if (OnDataChange)
        OnDataChange(this);
    FModified = false;
}

void TFieldDataLink::UpdateData()
{
    if (!FModified)
        return;
    if (FField && OnUpdateData)
        OnUpdateData(this);
    FModified = false;
}

std::string FieldValueText(const TField* Field, const Variant& Value)
{
    if (!Field)
        return Value.IsArray() ? std::string() : VarToStr(Value);
    return Field->DisplayTextOf(Value);
}

}  // namespace korin
