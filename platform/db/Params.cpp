#include "korin/platform/db/DBTables.h"

#include <algorithm>

#include "korin/platform/db/SQLText.h"

namespace korin {

using namespace dbsql;

void TParam::SetValue(const Variant& V)
{
    FValue = V.IsEmpty() ? Variant::Null() : V;
    FBound = true;
    if (FDataType == ftUnknown) {
        switch (V.Type()) {
        case varBoolean:
            FDataType = ftBoolean;
            break;
        case varInt64:
            FDataType = ftInteger;
            break;
        case varDouble:
            FDataType = ftFloat;
            break;
        case varString:
            FDataType = ftString;
            break;
        case varDate:
            FDataType = ftDateTime;
            break;
        default:
            break;
        }
    }
}

void TParam::Assign(const TParam& Other)
{
    FName = Other.FName;
    FDataType = Other.FDataType;
    FValue = Other.FValue;
    FBound = Other.FBound;
}

TParam* TParams::Items(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw EDatabaseError("List index out of bounds (" + std::to_string(Index) + ")");
    return FItems[static_cast<size_t>(Index)].get();
}

TParam* TParams::FindParam(const std::string& Name) const
{
    for (const auto& p : FItems)
        if (SameText(p->Name(), Name))
            return p.get();
    return nullptr;
}

TParam* TParams::ParamByName(const std::string& Name) const
{
    TParam* p = FindParam(Name);
    if (!p)
        throw EDatabaseError("Parameter '" + Name + "' not found");
    return p;
}

TParam* TParams::CreateParam(TFieldType Type, const std::string& Name)
{
    FItems.push_back(std::make_unique<TParam>(Name, Type));
    return FItems.back().get();
}

void TParams::Assign(const TParams& Other)
{
    if (&Other == this)
        return;
    FItems.clear();
    for (const auto& p : Other.FItems) {
        auto c = std::make_unique<TParam>(p->Name());
        c->Assign(*p);
        FItems.push_back(std::move(c));
    }
}

void TParams::AssignValues(const TParams& Other)
{
    for (const auto& p : Other.FItems)
        if (TParam* mine = FindParam(p->Name()))
            mine->Assign(*p);
}

void TParams::AssignFieldValues(const TDataSet* Master)
{
    if (!Master || !Master->Active())
        return;
    for (const auto& p : FItems) {
        if (TField* f = Master->FindField(p->Name())) {
            if (p->DataType() == ftUnknown)
                p->SetDataType(f->DataType());
            p->SetValue(f->Value());
        }
    }
}

void TParams::GetLinkFields(const TDataSet* Master, const TDataSet* Detail, std::vector<TField*>& MasterFields,
                            std::vector<TField*>& DetailFields) const
{
    MasterFields.clear();
    DetailFields.clear();
    if (!Master)
        return;
    for (const auto& p : FItems) {
        if (TField* mf = Master->FindField(p->Name())) {
            MasterFields.push_back(mf);
            if (TField* df = Detail->FindField(p->Name()))
                DetailFields.push_back(df);
        }
    }
}

std::vector<std::string> TParams::ParseNames(const std::string& SQL)
{
    std::vector<std::string> names;
    ScanCode(SQL, [&](size_t i) {
        if (SQL[i] != ':')
            return true;
        if (i > 0 && SQL[i - 1] == ':')
            return true;
        if (i + 1 < SQL.size() && SQL[i + 1] == ':')
            return true;
        size_t j = i + 1;
        while (j < SQL.size() && (std::isalnum(static_cast<unsigned char>(SQL[j])) || SQL[j] == '_'))
            ++j;
        if (j == i + 1)
            return true;
        std::string n = SQL.substr(i + 1, j - i - 1);
        if (std::find_if(names.begin(), names.end(), [&](const std::string& x) { return SameText(x, n); }) ==
            names.end())
            names.push_back(n);
        return true;
    });
    return names;
}

}  // namespace korin
