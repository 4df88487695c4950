// The generic dataset: states, the record buffer, navigation, editing, links and events.
// One class kept in one file, although a little over the usual length.
#include "korin/platform/db/DB.h"

#include <algorithm>
#include <climits>
#include <exception>

#include "korin/platform/db/DBText.h"

namespace korin {

namespace {

bool SameText(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

TDataSet::TDataSet(TComponent* AOwner) : TComponent(AOwner) {}

TDataSet::~TDataSet()
{
    // Engines close in their own destructors; what remains is to let go of the sources.
    while (!FDataSources.empty()) {
        TDataSource* s = FDataSources.back();
        FDataSources.pop_back();
        s->FDataSet = nullptr;
        RemoveFreeNotification(s);
        s->DataEvent(deUpdateState, 0);
    }
}

void TDataSet::CheckActive() const
{
    if (!Active())
        throw EDatabaseError("Cannot perform this operation on a closed dataset");
}

void TDataSet::CheckInactive() const
{
    if (Active())
        throw EDatabaseError("Cannot perform this operation on an open dataset");
}

void TDataSet::SetState(TDataSetState Value)
{
    if (FState == Value)
        return;
    FState = Value;
    DataEvent(deUpdateState, 0);
}

void TDataSet::DataEvent(TDataEvent Event, std::intptr_t Info)
{
    if (FDisableCount > 0) {
        if (Event == deLayoutChange)
            FLayoutPending = true;
        return;
    }
    // Every source hears of a change of state, even when a link of an earlier one
    // refused it; the first refusal passes on afterwards.
    std::exception_ptr refused;
    std::vector<TDataSource*> sources = FDataSources;
    for (TDataSource* s : sources)
        if (std::find(FDataSources.begin(), FDataSources.end(), s) != FDataSources.end()) {
            if (Event != deUpdateState) {
                s->DataEvent(Event, Info);
                continue;
            }
            try {
                s->DataEvent(Event, Info);
            } catch (...) {
                if (!refused)
                    refused = std::current_exception();
            }
        }
    if (refused)
        std::rethrow_exception(refused);
}

void TDataSet::LayoutChanged()
{
    if (Active())
        DataEvent(deLayoutChange, 0);
}

void TDataSet::Loaded()
{
    TComponent::Loaded();
    if (FStreamedActive) {
        FStreamedActive = false;
        Open();
    }
}

void TDataSet::SetActive(bool Value)
{
    if (InState(csLoading)) {
        FStreamedActive = Value;
        return;
    }
    if (Value == Active())
        return;
    if (Value)
        DoOpen();
    else
        DoClose();
}

void TDataSet::DoOpen()
{
    Fire(BeforeOpen, this);
    FState = dsOpening;
    try {
        InternalOpen();
    } catch (const EDataSetFreed&) {
        throw;
    } catch (...) {
        FState = dsInactive;
        throw;
    }
    FEditBuf.clear();
    FKeyBuf.clear();
    FModified = false;
    InvalidateBuffer();
    int count = InternalRecordCount();
    FRecIndex = count > 0 ? 0 : -1;
    FBOF = true;
    FEOF = count == 0;
    FState = dsInactive;
    // The dataset is open even when a control refuses it (its field is missing): the
    // open events run, then the control's error passes on.
    std::exception_ptr refused;
    try {
        SetState(dsBrowse);
    } catch (...) {
        refused = std::current_exception();
    }
    Fire(AfterOpen, this);
    Fire(AfterScroll, this);
    if (refused)
        std::rethrow_exception(refused);
}

void TDataSet::DoClose()
{
    Fire(BeforeClose, this);
    // Closing discards an unposted record.
    FEditBuf.clear();
    FChanged.clear();
    FKeyBuf.clear();
    FModified = false;
    InternalClose();
    FRecIndex = -1;
    FBOF = FEOF = true;
    FBuf.clear();
    InvalidateBuffer();
    SetState(dsInactive);
    Fire(AfterClose, this);
}

bool TDataSet::IsEmpty() const
{
    return !Active() || (FState != dsInsert && InternalRecordCount() == 0);
}

int TDataSet::RecordCount() const { return Active() ? InternalRecordCount() : 0; }

Variant TDataSet::ValueAt(int RecNo, const TField* Field) const
{
    if (!Active() || !Field || Field->DataSet() != this || RecNo < 1 || RecNo > InternalRecordCount())
        return Variant::Null();
    if (RecNo - 1 == FRecIndex && FState == dsBrowse)
        return GetFieldData(Field->Index());
    std::vector<Variant> rec(FFields.size(), Variant::Null());
    const_cast<TDataSet*>(this)->InternalFetch(RecNo - 1, rec);
    size_t i = static_cast<size_t>(Field->Index());
    return i < rec.size() ? rec[i] : Variant::Null();
}

int TDataSet::RecNo() const
{
    if (!Active())
        return 0;
    if (FState == dsInsert)
        return -1;
    return FRecIndex + 1;
}

void TDataSet::SetRecNo(int Value)
{
    CheckActive();
    CheckBrowseMode();
    InternalNeedRecords(std::max(Value, 1) - 1);
    int count = InternalRecordCount();
    if (count == 0)
        return;
    int idx = std::clamp(Value, 1, count) - 1;
    if (idx == FRecIndex)
        return;
    Fire(BeforeScroll, this);
    FRecIndex = idx;
    FBOF = FEOF = false;
    InvalidateBuffer();
    DataEvent(deDataSetChange, 0);
    Fire(AfterScroll, this);
}

void TDataSet::First()
{
    CheckActive();
    CheckBrowseMode();
    Fire(BeforeScroll, this);
    int count = InternalRecordCount();
    FRecIndex = count > 0 ? 0 : -1;
    FBOF = true;
    FEOF = count == 0;
    InvalidateBuffer();
    DataEvent(deDataSetChange, 0);
    Fire(AfterScroll, this);
}

void TDataSet::Last()
{
    CheckActive();
    CheckBrowseMode();
    InternalNeedRecords(-1);
    Fire(BeforeScroll, this);
    int count = InternalRecordCount();
    FRecIndex = count - 1;
    FEOF = true;
    FBOF = count == 0;
    InvalidateBuffer();
    DataEvent(deDataSetChange, 0);
    Fire(AfterScroll, this);
}

int TDataSet::MoveBy(int Distance)
{
    CheckActive();
    CheckBrowseMode();
    if (Distance == 0 || (Distance > 0 && FEOF) || (Distance < 0 && FBOF))
        return 0;
    if (Distance > 0)
        InternalNeedRecords(static_cast<int>(std::min<long long>(static_cast<long long>(FRecIndex) + Distance, INT_MAX)));
    int count = InternalRecordCount();
    if (count == 0) {
        FBOF = FEOF = true;
        return 0;
    }
    Fire(BeforeScroll, this);
    FBOF = FEOF = false;
    long long target = static_cast<long long>(FRecIndex) + Distance;
    if (target > count - 1) {
        target = count - 1;
        FEOF = true;
    } else if (target < 0) {
        target = 0;
        FBOF = true;
    }
    int moved = static_cast<int>(target) - FRecIndex;
    FRecIndex = static_cast<int>(target);
    if (moved != 0) {
        InvalidateBuffer();
        if (!FDataSources.empty())
            DataEvent(deDataSetScroll, moved);
        Fire(AfterScroll, this);
    }
    return moved;
}

void TDataSet::Reposition(int Index, bool Notify)
{
    int count = InternalRecordCount();
    FRecIndex = count == 0 ? -1 : std::clamp(Index, 0, count - 1);
    FBOF = FEOF = count == 0;
    InvalidateBuffer();
    if (Notify)
        DataEvent(deDataSetChange, 0);
}

void TDataSet::RestartAtFirst()
{
    int count = InternalRecordCount();
    FRecIndex = count > 0 ? 0 : -1;
    FBOF = true;
    FEOF = count == 0;
    InvalidateBuffer();
    DataEvent(deDataSetChange, 0);
}

const std::vector<Variant>& TDataSet::CurrentRecord() const
{
    if (FBufIndex != FRecIndex || FBuf.size() != FFields.size()) {
        // The engine overwrites the previous record's values in place (texts keep their
        // memory). Until it has finished the buffer stands for no record, so a read that
        // fails is tried again rather than showing half a record later.
        FBufIndex = -1;
        if (FBuf.size() != FFields.size())
            FBuf.resize(FFields.size(), Variant::Null());
        if (FRecIndex >= 0 && FRecIndex < InternalRecordCount()) {
            const_cast<TDataSet*>(this)->InternalFetch(FRecIndex, FBuf);
            if (FBuf.size() != FFields.size())
                FBuf.resize(FFields.size(), Variant::Null());
        } else {
            for (Variant& v : FBuf)
                v.SetNull();
        }
        FBufIndex = FRecIndex;
    }
    return FBuf;
}

const Variant& TDataSet::NullValue()
{
    static const Variant null = Variant::Null();
    return null;
}

const Variant& TDataSet::GetFieldData(int Index) const
{
    size_t i = static_cast<size_t>(Index);
    switch (FState) {
    case dsInactive:
    case dsOpening:
        return NullValue();
    case dsEdit:
    case dsInsert:
        return i < FEditBuf.size() ? FEditBuf[i] : NullValue();
    case dsSetKey:
        return i < FKeyBuf.size() && !FKeyBuf[i].IsEmpty() ? FKeyBuf[i] : NullValue();
    default:
        if (FRecIndex < 0)
            return NullValue();
        const auto& rec = CurrentRecord();
        return i < rec.size() ? rec[i] : NullValue();
    }
}

void TDataSet::SetFieldData(TField* Field, const Variant& Value)
{
    CheckActive();
    size_t i = static_cast<size_t>(Field->Index());
    if (FState == dsSetKey) {
        Variant v = Field->Convert(Value);
        if (i < FKeyBuf.size())
            FKeyBuf[i] = v;
        return;
    }
    if (FState != dsEdit && FState != dsInsert)
        throw EDatabaseError("Dataset not in edit or insert mode");
    if (!Field->CanModify())
        throw EDatabaseError("Field '" + Field->FieldName() + "' cannot be modified");
    Variant v = Field->Convert(Value);
    FEditBuf[i] = v;
    FChanged[i] = true;
    FModified = true;
    if (Field->OnChange)
        Field->OnChange(Field);
    DataEvent(deFieldChange, reinterpret_cast<std::intptr_t>(Field));
}

bool TDataSet::CanModify() const { return Active(); }

void TDataSet::BeginInsertAppend(bool Append)
{
    CheckActive();
    if (!CanModify())
        throw EDatabaseError("Cannot modify a read-only dataset");
    CheckBrowseMode();
    if (Append)
        InternalNeedRecords(-1);
    Fire(BeforeInsert, this);
    int count = InternalRecordCount();
    FInsertIndex = Append ? count : std::max(FRecIndex, 0);
    FEditBuf.assign(FFields.size(), Variant::Null());
    FChanged.assign(FFields.size(), false);
    FModified = false;
    InitNewRecord(FEditBuf);
    for (size_t i = 0; i < FEditBuf.size(); ++i)
        if (!FEditBuf[i].IsNullOrEmpty())
            FChanged[i] = true;
    SetState(dsInsert);
    try {
        Fire(OnNewRecord, this);
    } catch (...) {
        // A failing new-record handler leaves no half-made record behind.
        FEditBuf.clear();
        FChanged.clear();
        FModified = false;
        SetState(dsBrowse);
        DataEvent(deDataSetChange, 0);
        throw;
    }
    FModified = false;
    DataEvent(deDataSetChange, 0);
    Fire(AfterInsert, this);
    Fire(AfterScroll, this);
}

void TDataSet::Insert() { BeginInsertAppend(false); }
void TDataSet::Append() { BeginInsertAppend(true); }

void TDataSet::Edit()
{
    CheckActive();
    if (FState == dsEdit || FState == dsInsert)
        return;
    if (!CanModify())
        throw EDatabaseError("Cannot modify a read-only dataset");
    if (FState == dsSetKey)
        Cancel();
    if (InternalRecordCount() == 0) {
        Insert();
        return;
    }
    Fire(BeforeEdit, this);
    // Edit what is in the database now.
    InternalInvalidate(FRecIndex);
    InvalidateBuffer();
    FEditBuf = CurrentRecord();
    FChanged.assign(FFields.size(), false);
    FModified = false;
    SetState(dsEdit);
    DataEvent(deRecordChange, 0);
    Fire(AfterEdit, this);
}

void TDataSet::UpdateRecord()
{
    if (FState != dsEdit && FState != dsInsert)
        throw EDatabaseError("Dataset not in edit or insert mode");
    DataEvent(deUpdateRecord, 0);
}

void TDataSet::Post()
{
    CheckActive();
    if (FState == dsSetKey) {
        EndSetKey();
        return;
    }
    if (FState != dsEdit && FState != dsInsert)
        return;
    UpdateRecord();
    DataEvent(deCheckBrowseMode, 0);
    Fire(BeforePost, this);
    bool inserting = FState == dsInsert;
    bool anyChanged = std::find(FChanged.begin(), FChanged.end(), true) != FChanged.end();
    int index = FRecIndex;
    if (inserting || anyChanged)
        index = InternalPost(inserting, inserting ? FInsertIndex : FRecIndex, FEditBuf, FChanged);
    // The write succeeded: leave the editing state.
    FEditBuf.clear();
    FChanged.clear();
    FModified = false;
    Reposition(index, false);
    SetState(dsBrowse);
    DataEvent(deDataSetChange, 0);
    Fire(AfterPost, this);
}

void TDataSet::Cancel()
{
    CheckActive();
    if (FState == dsSetKey) {
        FKeyBuf.clear();
        SetState(dsBrowse);
        return;
    }
    if (FState != dsEdit && FState != dsInsert)
        return;
    DataEvent(deCheckBrowseMode, 0);
    Fire(BeforeCancel, this);
    FEditBuf.clear();
    FChanged.clear();
    FModified = false;
    InvalidateBuffer();
    SetState(dsBrowse);
    DataEvent(deDataSetChange, 0);
    Fire(AfterCancel, this);
}

void TDataSet::Delete()
{
    CheckActive();
    if (FState == dsInsert || FState == dsSetKey) {
        Cancel();
        return;
    }
    if (InternalRecordCount() == 0)
        throw EDatabaseError("Cannot perform this operation on an empty dataset");
    if (!CanModify())
        throw EDatabaseError("Cannot modify a read-only dataset");
    DataEvent(deCheckBrowseMode, 0);
    Fire(BeforeDelete, this);
    InternalDelete(FRecIndex);
    FEditBuf.clear();
    FChanged.clear();
    FModified = false;
    Reposition(FRecIndex, false);
    SetState(dsBrowse);
    DataEvent(deDataSetChange, 0);
    Fire(AfterDelete, this);
    Fire(AfterScroll, this);
}

int TDataSet::InternalPost(bool, int, const std::vector<Variant>&, const std::vector<bool>&)
{
    throw EDatabaseError("Cannot modify a read-only dataset");
}

void TDataSet::InternalDelete(int) { throw EDatabaseError("Cannot modify a read-only dataset"); }

void TDataSet::CheckBrowseMode()
{
    CheckActive();
    if (!FDataSources.empty())  // nobody else to ask (a dataset moved by code alone)
        DataEvent(deCheckBrowseMode, 0);
    if (FState == dsSetKey) {
        EndSetKey();
        return;
    }
    if (FState == dsEdit || FState == dsInsert) {
        // Controls hand over what was typed first; then the record is kept or dropped.
        UpdateRecord();
        if (FModified)
            Post();
        else
            Cancel();
    }
}

void TDataSet::Refresh()
{
    CheckActive();
    CheckBrowseMode();
    bool had = FRecIndex >= 0;
    std::int64_t key = had ? InternalRecordKey(FRecIndex) : 0;
    int old = FRecIndex;
    InternalRefresh();
    int idx = had ? InternalIndexOfKey(key) : -1;
    Reposition(idx >= 0 ? idx : std::max(old, 0), true);
}

void TDataSet::Resync(TResyncMode)
{
    CheckActive();
    if (FRecIndex >= 0)
        InternalInvalidate(FRecIndex);
    Reposition(FRecIndex, true);
}

bool TDataSet::MatchValue(const Variant& Value, const Variant& Key, TLocateOptions Options)
{
    if (Key.IsNullOrEmpty())
        return Value.IsNullOrEmpty();
    if (Options == 0)
        return !Value.IsNullOrEmpty() && Value == Key;
    return DBTextMatch(Value.IsNullOrEmpty() ? std::string() : Value.AsString(), Key.AsString(),
                       (Options & loCaseInsensitive) != 0, (Options & loPartialKey) != 0) &&
           (!Value.IsNullOrEmpty() || (Options & loPartialKey));
}

int TDataSet::InternalLocate(const std::vector<TField*>& Fields, const std::vector<Variant>& Values,
                             TLocateOptions Options)
{
    std::vector<Variant> rec;
    int count = InternalRecordCount();
    for (int i = 0; i < count; ++i) {
        rec.assign(FFields.size(), Variant::Null());
        InternalFetch(i, rec);
        bool all = true;
        for (size_t k = 0; k < Fields.size() && all; ++k)
            all = MatchValue(rec[static_cast<size_t>(Fields[k]->Index())], Values[k], Options);
        if (all)
            return i;
    }
    return -1;
}

bool TDataSet::Locate(const std::string& KeyFields, const Variant& KeyValues, TLocateOptions Options)
{
    CheckActive();
    CheckBrowseMode();
    std::vector<TField*> fields;
    for (const auto& n : SplitFieldNames(KeyFields))
        fields.push_back(FieldByName(n));
    if (fields.empty())
        throw EDatabaseError("No key fields given");
    std::vector<Variant> keys;
    if (KeyValues.IsArray()) {
        int n = KeyValues.ArrayHighBound() - KeyValues.ArrayLowBound() + 1;
        if (n != static_cast<int>(fields.size()))
            throw EDatabaseError("The number of key values does not match the number of key fields");
        for (int i = KeyValues.ArrayLowBound(); i <= KeyValues.ArrayHighBound(); ++i)
            keys.push_back(KeyValues[i]);
    } else {
        if (fields.size() != 1)
            throw EDatabaseError("The number of key values does not match the number of key fields");
        keys.push_back(KeyValues);
    }
    for (size_t k = 0; k < keys.size(); ++k) {
        if (keys[k].IsNullOrEmpty()) {
            keys[k] = Variant::Null();
        } else if (Options == 0) {
            // A key that cannot be a value of the field matches no record.
            try {
                keys[k] = fields[k]->Convert(keys[k]);
            } catch (const EDatabaseError&) {
                return false;
            } catch (const EVariantError&) {
                return false;
            }
        } else if (keys[k].Type() != varString) {
            keys[k] = Variant(keys[k].AsString());
        }
    }
    int idx = InternalLocate(fields, keys, Options);
    if (idx < 0)
        return false;
    Fire(BeforeScroll, this);
    Reposition(idx, true);
    Fire(AfterScroll, this);
    return true;
}

TBookmark TDataSet::GetBookmark() const
{
    TBookmark b;
    if (!Active() || FState == dsInsert || FRecIndex < 0)
        return b;
    b.Valid = true;
    b.Key = InternalRecordKey(FRecIndex);
    return b;
}

bool TDataSet::BookmarkValid(const TBookmark& Bookmark) const
{
    return Active() && Bookmark.Valid && InternalIndexOfKey(Bookmark.Key) >= 0;
}

void TDataSet::GotoBookmark(const TBookmark& Bookmark)
{
    CheckActive();
    if (!Bookmark.Valid)
        return;
    CheckBrowseMode();
    int idx = InternalIndexOfKey(Bookmark.Key);
    if (idx < 0)
        throw EDatabaseError("Record not found");
    Fire(BeforeScroll, this);
    Reposition(idx, true);
    Fire(AfterScroll, this);
}

void TDataSet::DisableControls() { ++FDisableCount; }

void TDataSet::EnableControls()
{
    if (FDisableCount == 0)
        return;
    if (--FDisableCount > 0)
        return;
    bool layout = FLayoutPending;
    FLayoutPending = false;
    DataEvent(deUpdateState, 0);
    if (Active())
        DataEvent(layout ? deLayoutChange : deDataSetChange, 0);
}

void TDataSet::FieldIndexError(int Index)
{
    throw EDatabaseError("List index out of bounds (" + std::to_string(Index) + ")");
}

TField* TDataSet::FindField(const std::string& FieldName) const
{
    for (const auto& f : FFields)
        if (SameText(f->FieldName(), FieldName))
            return f.get();
    return nullptr;
}

TField* TDataSet::FieldByName(const std::string& FieldName) const
{
    TField* f = FindField(FieldName);
    if (!f)
        throw EDatabaseError(Name().empty() ? "Field '" + FieldName + "' not found"
                                            : Name() + ": Field '" + FieldName + "' not found");
    return f;
}

void TDataSet::GetFieldNames(std::vector<std::string>& List) const
{
    List.clear();
    for (const auto& f : FFields)
        List.push_back(f->FieldName());
}

Variant TDataSet::FieldValues(const std::string& FieldNames) const
{
    auto names = SplitFieldNames(FieldNames);
    if (names.size() == 1)
        return FieldByName(names[0])->Value();
    Variant a = VarArrayCreate(0, static_cast<int>(names.size()) - 1);
    for (size_t i = 0; i < names.size(); ++i)
        a[static_cast<int>(i)] = FieldByName(names[i])->Value();
    return a;
}

void TDataSet::SetFieldValues(const std::string& FieldNames, const Variant& Value)
{
    auto names = SplitFieldNames(FieldNames);
    if (names.size() == 1) {
        FieldByName(names[0])->SetValue(Value);
        return;
    }
    if (!Value.IsArray() || Value.ArrayHighBound() - Value.ArrayLowBound() + 1 != static_cast<int>(names.size()))
        throw EDatabaseError("The number of values does not match the number of fields");
    for (size_t i = 0; i < names.size(); ++i)
        FieldByName(names[i])->SetValue(Value[Value.ArrayLowBound() + static_cast<int>(i)]);
}

void TDataSet::SetFilter(const std::string& Value)
{
    if (Value == FFilter)
        return;
    if (Active() && FFiltered) {
        CheckBrowseMode();
        InternalSetFilter(Value);  // raises and keeps everything on a bad filter
        FFilter = Value;
        RestartAtFirst();
        return;
    }
    FFilter = Value;
}

void TDataSet::SetFiltered(bool Value)
{
    if (Value == FFiltered)
        return;
    if (Active()) {
        CheckBrowseMode();
        InternalSetFilter(Value ? FFilter : std::string());
        FFiltered = Value;
        RestartAtFirst();
        return;
    }
    FFiltered = Value;
}

void TDataSet::GetDetailLinkFields(std::vector<TField*>& MasterFields, std::vector<TField*>& DetailFields)
{
    MasterFields.clear();
    DetailFields.clear();
}

void TDataSet::CreateFields(const std::vector<TFieldDesc>& Descs)
{
    std::vector<std::unique_ptr<TField>> next;
    for (size_t i = 0; i < Descs.size(); ++i) {
        const TFieldDesc& d = Descs[i];
        std::unique_ptr<TField> f;
        for (auto& old : FFields)
            if (old && old->FieldName() == d.Name && old->DataType() == d.Type) {
                f = std::move(old);
                break;
            }
        if (!f) {
            f = CreateFieldOfType(this, d.Name, d.Type, static_cast<int>(i));
            f->FReadOnly = d.ReadOnly;
        }
        f->FIndex = static_cast<int>(i);
        f->FRequired = d.Required;
        f->FSize = d.Size;
        next.push_back(std::move(f));
    }
    FFields = std::move(next);
    FBuf.clear();
    InvalidateBuffer();
}

void TDataSet::BeginSetKey()
{
    CheckActive();
    CheckBrowseMode();
    FKeyBuf.assign(FFields.size(), Variant());
    SetState(dsSetKey);
}

void TDataSet::EndSetKey()
{
    if (FState == dsSetKey)
        SetState(dsBrowse);
}

void TDataSet::AddDataSource(TDataSource* Source)
{
    FDataSources.push_back(Source);
}

void TDataSet::RemoveDataSource(TDataSource* Source)
{
    FDataSources.erase(std::remove(FDataSources.begin(), FDataSources.end(), Source), FDataSources.end());
}

}  // namespace korin
