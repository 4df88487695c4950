#include "korin/platform/db/DB.h"
#include "korin/platform/core/NumberFormat.h"

#include <cmath>

namespace korin {

std::vector<std::string> SplitFieldNames(const std::string& Names)
{
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= Names.size()) {
        size_t sep = Names.find(';', start);
        std::string part = Names.substr(start, sep == std::string::npos ? std::string::npos : sep - start);
        size_t b = part.find_first_not_of(' ');
        size_t e = part.find_last_not_of(' ');
        if (b != std::string::npos)
            out.push_back(part.substr(b, e - b + 1));
        if (sep == std::string::npos)
            break;
        start = sep + 1;
    }
    return out;
}

TField::TField(TDataSet* ADataSet, const std::string& AFieldName, TFieldType ADataType, int AIndex)
    : FDataSet(ADataSet), FFieldName(AFieldName), FDataType(ADataType), FIndex(AIndex)
{
}

std::unique_ptr<TField> CreateFieldOfType(TDataSet* D, const std::string& N, TFieldType T, int I)
{
    switch (T) {
    case ftString:
        return std::make_unique<TStringField>(D, N, T, I);
    case ftWideString:
        return std::make_unique<TWideStringField>(D, N, T, I);
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftLargeint:
        return std::make_unique<TIntegerField>(D, N, T, I);
    case ftAutoInc:
        return std::make_unique<TAutoIncField>(D, N, T, I);
    case ftFloat:
    case ftCurrency:
    case ftBCD:
        return std::make_unique<TFloatField>(D, N, T, I);
    case ftBoolean:
        return std::make_unique<TBooleanField>(D, N, T, I);
    case ftDate:
        return std::make_unique<TDateField>(D, N, T, I);
    case ftTime:
        return std::make_unique<TTimeField>(D, N, T, I);
    case ftDateTime:
        return std::make_unique<TDateTimeField>(D, N, T, I);
    case ftMemo:
    case ftFmtMemo:
        return std::make_unique<TMemoField>(D, N, T, I);
    case ftBlob:
    case ftGraphic:
    case ftBytes:
    case ftVarBytes:
        return std::make_unique<TBlobField>(D, N, T, I);
    default:
        return std::make_unique<TField>(D, N, T, I);
    }
}

void TField::SetDisplayLabel(const std::string& Value)
{
    if (Value == FDisplayLabel)
        return;
    FDisplayLabel = Value;
    if (FDataSet)
        FDataSet->LayoutChanged();
}

void TField::SetVisible(bool Value)
{
    if (Value == FVisible)
        return;
    FVisible = Value;
    if (FDataSet)
        FDataSet->LayoutChanged();
}

int TField::DisplayWidth() const
{
    if (FDisplayWidth > 0)
        return FDisplayWidth;
    switch (FDataType) {
    case ftString:
    case ftWideString:
    case ftUnknown:
        return FSize > 0 ? FSize : 20;
    case ftTime:
        return 8;
    case ftDateTime:
        return 19;
    case ftBoolean:
        return 5;
    default:
        return 10;
    }
}

void TField::SetDisplayWidth(int Value)
{
    if (Value == FDisplayWidth)
        return;
    FDisplayWidth = Value;
    if (FDataSet)
        FDataSet->LayoutChanged();
}

bool TField::IsIndexField() const { return FDataSet && FDataSet->IsFieldIndexed(this); }

bool TField::CanModify() const
{
    if (FReadOnly || FDataType == ftAutoInc || Calculated())
        return false;
    return FDataSet && FDataSet->CanModify();
}

void TField::SetValue(const Variant& V)
{
    if (!FDataSet)
        throw EDatabaseError("Field '" + FFieldName + "' has no dataset");
    FDataSet->SetFieldData(this, V);
}

Variant TField::Convert(const Variant& V) const
{
    if (V.IsNullOrEmpty())
        return Variant::Null();
    if (V.IsArray())
        throw EDatabaseError("Invalid value for field '" + FFieldName + "'");
    auto bad = [&](const char* what) -> EDatabaseError {
        return EDatabaseError("'" + V.AsString() + "' is not a valid " + what + " for field '" + FFieldName + "'");
    };
    // Empty text clears non-text fields.
    bool textual = FDataType == ftString || FDataType == ftWideString || IsBlob();
    if (!textual && V.Type() == varString && V.AsString().find_first_not_of(' ') == std::string::npos)
        return Variant::Null();
    try {
        switch (FDataType) {
        case ftString:
        case ftWideString:
        case ftMemo:
        case ftFmtMemo:
        case ftBlob:
        case ftGraphic:
        case ftBytes:
        case ftVarBytes:
            return Variant(V.AsString());
        case ftSmallint:
        case ftInteger:
        case ftWord:
        case ftLargeint:
        case ftAutoInc:
            return Variant(static_cast<long long>(V.AsInteger()));
        case ftFloat:
        case ftCurrency:
        case ftBCD:
            return Variant(V.AsFloat());
        case ftBoolean:
            return Variant(V.AsBoolean());
        case ftDate:
            return Variant::FromDateTime(std::floor(V.AsDateTime()));
        case ftTime: {
            double d = V.AsDateTime();
            return Variant::FromDateTime(d - std::floor(d));
        }
        case ftDateTime:
            return Variant::FromDateTime(V.AsDateTime());
        default:
            return V;
        }
    } catch (const EVariantError&) {
        switch (FDataType) {
        case ftSmallint:
        case ftInteger:
        case ftWord:
        case ftLargeint:
        case ftAutoInc:
            throw bad("integer value");
        case ftFloat:
        case ftCurrency:
        case ftBCD:
            throw bad("floating point value");
        case ftBoolean:
            throw bad("boolean value");
        case ftDate:
            throw bad("date");
        case ftTime:
            throw bad("time");
        case ftDateTime:
            throw bad("date and time");
        default:
            throw bad("value");
        }
    }
}

std::string TField::AsString() const { return TextOf(Value()); }

std::string TField::TextOf(const Variant& v) const
{
    if (v.IsNullOrEmpty())
        return "";
    switch (FDataType) {
    case ftDate:
        return DateToISO(v.AsDateTime());
    case ftTime:
        return TimeToISO(v.AsDateTime());
    case ftDateTime:
        return DateTimeToISO(v.AsDateTime());
    case ftBoolean:
        return v.AsBoolean() ? "True" : "False";
    default:
        return v.AsString();
    }
}

void TField::SetAsString(const std::string& V) { SetValue(Variant(V)); }

void TNumericField::SetDisplayFormat(const std::string& Value)
{
    if (Value == FDisplayFormat)
        return;
    FDisplayFormat = Value;
    if (DataSet() && DataSet()->Active())
        DataSet()->DataEvent(deDataSetChange, 0);
}

std::string TNumericField::DisplayTextOf(const Variant& V) const
{
    if (FDisplayFormat.empty() || V.IsNullOrEmpty())
        return TextOf(V);
    double d = 0;
    try {
        d = V.AsFloat();
    } catch (const Exception&) {
        return TextOf(V);  // a stored value that is no number shows as it is
    }
    return FormatFloat(FDisplayFormat, d);
}

std::int64_t TField::AsInteger() const
{
    const Variant& v = Value();
    return v.IsNullOrEmpty() ? 0 : v.AsInteger();
}

double TField::AsFloat() const
{
    const Variant& v = Value();
    return v.IsNullOrEmpty() ? 0.0 : v.AsFloat();
}

bool TField::AsBoolean() const
{
    const Variant& v = Value();
    return v.IsNullOrEmpty() ? false : v.AsBoolean();
}

TDateTime TField::AsDateTime() const
{
    const Variant& v = Value();
    return v.IsNullOrEmpty() ? 0.0 : v.AsDateTime();
}

int TFields::Count() const { return FDataSet->FieldCount(); }
TField* TFields::Fields(int Index) const { return FDataSet->Fields(Index); }
TField* TFields::FindField(const std::string& FieldName) const { return FDataSet->FindField(FieldName); }
TField* TFields::FieldByName(const std::string& FieldName) const { return FDataSet->FieldByName(FieldName); }

}  // namespace korin
