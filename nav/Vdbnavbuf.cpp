#include "korin/nav/Vdbnavbuf.h"

#include "korin/platform/db/DB.h"

namespace korin {

namespace {

bool SameName(const std::string& A, const std::string& B)
{
    if (A.size() != B.size())
        return false;
    for (size_t i = 0; i < A.size(); ++i) {
        unsigned char a = static_cast<unsigned char>(A[i]), b = static_cast<unsigned char>(B[i]);
        if (a >= 'a' && a <= 'z')
            a = static_cast<unsigned char>(a - 'a' + 'A');
        if (b >= 'a' && b <= 'z')
            b = static_cast<unsigned char>(b - 'a' + 'A');
        if (a != b)
            return false;
    }
    return true;
}

}  // namespace

TRecordBuffer::~TRecordBuffer()
{
    Clear();
}

void TRecordBuffer::Clear()
{
    while (!FItems.empty())
        FItems.pop_back();
}

const TFieldBuffer& TRecordBuffer::Items(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw Exception("List index out of bounds (" + std::to_string(Index) + ")");
    return *FItems[static_cast<size_t>(Index)];
}

void TRecordBuffer::Copy(TDataSet* DataSet)
{
    Clear();
    if (!DataSet)
        return;
    for (int i = 0; i < DataSet->FieldCount(); ++i) {
        // Each position on its own: a field that cannot be read is left out and the copy
        // goes on with the next one.
        try {
            auto entry = std::make_unique<TFieldBuffer>();
            TField* f = DataSet->Fields(i);
            entry->FieldName = f->FieldName();
            entry->Value = f->Value();
            FItems.push_back(std::move(entry));
        } catch (const EDatabaseError&) {
        }
    }
}

void TRecordBuffer::Paste(TDataSet* DataSet)
{
    if (!DataSet)
        return;
    for (const auto& entry : FItems) {
        TField* f = DataSet->FindField(entry->FieldName);
        if (!f || !f->CanModify())
            continue;
        if (f->Value() != entry->Value)
            f->SetValue(entry->Value);
    }
}

void TRecordBuffer::PasteField(TDataSet* DataSet, TField* Field)
{
    if (!DataSet || !Field)
        return;
    const std::string& name = Field->FieldName();
    for (const auto& entry : FItems)
        if (entry->FieldName == name)
            DataSet->FieldByName(name)->SetValue(entry->Value);
}

bool TRecordBuffer::Equal(TDataSet* DataSet) const
{
    for (const auto& entry : FItems)
        if (DataSet->FieldByName(entry->FieldName)->Value() != entry->Value)
            return false;
    return true;
}

TFieldBuffer* TRecordBuffer::Find(const std::string& Name) const
{
    for (const auto& entry : FItems)
        if (SameName(entry->FieldName, Name))
            return entry.get();
    return nullptr;
}

Variant TRecordBuffer::GetFieldValue(const std::string& Name) const
{
    TFieldBuffer* entry = Find(Name);
    return entry ? entry->Value : Variant::Null();
}

void TRecordBuffer::SetFieldValue(const std::string& Name, const Variant& Value)
{
    if (TFieldBuffer* entry = Find(Name))
        entry->Value = Value;
}

}  // namespace korin
