#include "korin/platform/dbctrls/DBGrids.h"

#include <algorithm>

#include "korin/platform/dbctrls/DBCtrlUtils.h"
#include "korin/platform/dbctrls/DBCtrls.h"
#include "korin/platform/gui/Canvas.h"
#include "korin/platform/gui/Forms.h"

namespace korin {

// ---------------------------------------------------------------------------------------
// Columns

void TColumn::SetFieldName(const std::string& Value)
{
    FFieldName = Value;
    if (FGrid)
        FGrid->UpdateLayout();
}

TField* TColumn::Field() const
{
    TDataSource* src = FGrid ? FGrid->DataSource() : nullptr;
    TDataSet* ds = src ? src->DataSet() : nullptr;
    if (!ds || !ds->Active() || FFieldName.empty())
        return nullptr;
    return ds->FindField(FFieldName);
}

std::string TColumn::Title() const
{
    if (!FTitle.empty())
        return FTitle;
    if (TField* f = Field())
        return f->DisplayLabel();
    return FFieldName;
}

void TColumn::SetTitle(const std::string& Value)
{
    FTitle = Value;
    if (FGrid)
        FGrid->Invalidate();
}

int TColumn::Width() const
{
    if (FWidth >= 0)
        return FWidth;
    TField* f = Field();
    switch (f ? f->DataType() : ftString) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
    case ftLargeint:
    case ftBoolean:
        return 56;
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftTime:
        return 72;
    case ftDate:
        return 84;
    case ftDateTime:
        return 130;
    case ftMemo:
    case ftFmtMemo:
        return 160;
    default:
        return 110;
    }
}

void TColumn::SetWidth(int Value)
{
    FWidth = std::max(Value, 0);
    if (FGrid)
        FGrid->UpdateLayout();
}

void TColumn::SetVisible(bool Value)
{
    FVisible = Value;
    if (FGrid)
        FGrid->UpdateLayout();
}

TAlignment TColumn::Alignment() const
{
    TField* f = Field();
    switch (f ? f->DataType() : ftString) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
    case ftLargeint:
    case ftFloat:
    case ftCurrency:
    case ftBCD:
        return taRightJustify;
    default:
        return taLeftJustify;
    }
}

TColumn* TDBGridColumns::Items(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw Exception("List index out of bounds (" + std::to_string(Index) + ")");
    return FItems[Index].get();
}

TColumn* TDBGridColumns::Add()
{
    if (FDefault) {
        FItems.clear();
        FDefault = false;
    }
    FItems.push_back(std::make_unique<TColumn>(FGrid));
    return FItems.back().get();
}

void TDBGridColumns::Clear()
{
    FItems.clear();
    if (FGrid)
        FGrid->UpdateLayout();
}

void TDBGridColumns::RestoreDefaults()
{
    FDefault = true;
    FItems.clear();
    if (FGrid)
        FGrid->LayoutChanged();
}

void TDBGridColumns::Rebuild(TDataSet* DataSet)
{
    if (!FDefault)
        return;
    FItems.clear();
    if (!DataSet || !DataSet->Active())
        return;
    for (int i = 0; i < DataSet->FieldCount(); ++i) {
        TField* f = DataSet->Fields(i);
        if (!f->Visible())
            continue;
        auto c = std::make_unique<TColumn>(FGrid);
        c->FFieldName = f->FieldName();
        c->FStored = false;
        FItems.push_back(std::move(c));
    }
}

}  // namespace korin
