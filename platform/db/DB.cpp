#include "korin/platform/db/DB.h"

#include <algorithm>
#include <cmath>

#include "korin/platform/db/DBText.h"

namespace korin {

namespace {

bool SameText(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

bool IsEditMode(TDataSetState s) { return s == dsEdit || s == dsInsert || s == dsSetKey; }

}  // namespace

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

// ---------------------------------------------------------------------------------------
// TField

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

Variant TField::Value() const
{
    if (!FDataSet)
        return Variant::Null();
    return FDataSet->GetFieldData(FIndex);
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

std::int64_t TField::AsInteger() const
{
    Variant v = Value();
    return v.IsNullOrEmpty() ? 0 : v.AsInteger();
}

double TField::AsFloat() const
{
    Variant v = Value();
    return v.IsNullOrEmpty() ? 0.0 : v.AsFloat();
}

bool TField::AsBoolean() const
{
    Variant v = Value();
    return v.IsNullOrEmpty() ? false : v.AsBoolean();
}

TDateTime TField::AsDateTime() const
{
    Variant v = Value();
    return v.IsNullOrEmpty() ? 0.0 : v.AsDateTime();
}

// ---------------------------------------------------------------------------------------
// TFields

int TFields::Count() const { return FDataSet->FieldCount(); }
TField* TFields::Fields(int Index) const { return FDataSet->Fields(Index); }
TField* TFields::FindField(const std::string& FieldName) const { return FDataSet->FindField(FieldName); }
TField* TFields::FieldByName(const std::string& FieldName) const { return FDataSet->FieldByName(FieldName); }

// ---------------------------------------------------------------------------------------
// TDataSet

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
    std::vector<TDataSource*> sources = FDataSources;
    for (TDataSource* s : sources)
        if (std::find(FDataSources.begin(), FDataSources.end(), s) != FDataSources.end())
            s->DataEvent(Event, Info);
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
    SetState(dsBrowse);
    Fire(AfterOpen, this);
    Fire(AfterScroll, this);
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
        FBuf.assign(FFields.size(), Variant::Null());
        if (FRecIndex >= 0)
            const_cast<TDataSet*>(this)->InternalFetch(FRecIndex, FBuf);
        FBuf.resize(FFields.size(), Variant::Null());
        FBufIndex = FRecIndex;
    }
    return FBuf;
}

Variant TDataSet::GetFieldData(int Index) const
{
    size_t i = static_cast<size_t>(Index);
    switch (FState) {
    case dsInactive:
    case dsOpening:
        return Variant::Null();
    case dsEdit:
    case dsInsert:
        return i < FEditBuf.size() ? FEditBuf[i] : Variant::Null();
    case dsSetKey:
        return i < FKeyBuf.size() && !FKeyBuf[i].IsEmpty() ? FKeyBuf[i] : Variant::Null();
    default:
        if (FRecIndex < 0)
            return Variant::Null();
        const auto& rec = CurrentRecord();
        return i < rec.size() ? rec[i] : Variant::Null();
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
            } catch (const Exception&) {
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

TField* TDataSet::Fields(int Index) const
{
    if (Index < 0 || Index >= FieldCount())
        throw EDatabaseError("List index out of bounds (" + std::to_string(Index) + ")");
    return FFields[static_cast<size_t>(Index)].get();
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

// ---------------------------------------------------------------------------------------
// TDataSource

TDataSource::TDataSource(TComponent* AOwner) : TComponent(AOwner) {}

TDataSource::~TDataSource()
{
    BeforeDestruction();
    // Links hear that their source is gone (ActiveChanged when they were active).
    while (!FDataLinks.empty())
        FDataLinks.back()->SetDataSource(nullptr);
    if (FDataSet) {
        FDataSet->RemoveDataSource(this);
        FDataSet = nullptr;
    }
}

void TDataSource::SetDataSet(TDataSet* Value)
{
    if (Value == FDataSet)
        return;
    // Links see the old dataset go and the new one come, so a switch between two open
    // datasets reaches them as two ActiveChanged notifications.
    if (FDataSet) {
        FDataSet->RemoveDataSource(this);
        RemoveFreeNotification(FDataSet);
        FDataSet = nullptr;
        DataEvent(deUpdateState, 0);
    }
    FDataSet = Value;
    if (FDataSet) {
        FDataSet->AddDataSource(this);
        FDataSet->FreeNotification(this);
        DataEvent(deUpdateState, 0);
    }
}

void TDataSource::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FDataSet)
        SetDataSet(nullptr);
}

TDataSetState TDataSource::State() const { return FDataSet ? FDataSet->State() : dsInactive; }

void TDataSource::SetEnabled(bool Value)
{
    if (Value == FEnabled)
        return;
    FEnabled = Value;
    DataEvent(deUpdateState, 0);
}

void TDataSource::Edit()
{
    if (FAutoEdit && FDataSet && FDataSet->State() == dsBrowse)
        FDataSet->Edit();
}

void TDataSource::AddDataLink(TDataLink* Link)
{
    FDataLinks.push_back(Link);
}

void TDataSource::RemoveDataLink(TDataLink* Link)
{
    FDataLinks.erase(std::remove(FDataLinks.begin(), FDataLinks.end(), Link), FDataLinks.end());
}

void TDataSource::NotifyLinks(TDataEvent Event, std::intptr_t Info)
{
    // Controls first, then the other links (detail datasets, navigators).
    std::vector<TDataLink*> links = FDataLinks;
    for (int pass = 0; pass < 2; ++pass)
        for (TDataLink* l : links) {
            if (l->VisualControl() != (pass == 0))
                continue;
            if (std::find(FDataLinks.begin(), FDataLinks.end(), l) == FDataLinks.end())
                continue;  // detached by an earlier handler
            l->DataEvent(Event, Info);
        }
}

void TDataSource::DataEvent(TDataEvent Event, std::intptr_t Info)
{
    if (Event == deUpdateState) {
        NotifyLinks(Event, Info);
        TDataSetState s = State();
        if (s != FState) {
            FState = s;
            if (OnStateChange)
                OnStateChange(this);
        }
        return;
    }
    if (!FEnabled)
        return;
    NotifyLinks(Event, Info);
    switch (Event) {
    case deFieldChange:
    case deRecordChange:
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange:
        if (OnDataChange)
            OnDataChange(this, Event == deFieldChange ? reinterpret_cast<TField*>(Info) : nullptr);
        break;
    case deUpdateRecord:
        if (OnUpdateData)
            OnUpdateData(this);
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------------------------------
// TDataLink

TDataLink::~TDataLink()
{
    if (FDataSource)
        FDataSource->RemoveDataLink(this);
    FDataSource = nullptr;
}

void TDataLink::SetDataSource(TDataSource* Value)
{
    if (Value == FDataSource)
        return;
    bool wasActive = FActive;
    if (FDataSource)
        FDataSource->RemoveDataLink(this);
    FDataSource = Value;
    if (FDataSource)
        FDataSource->AddDataLink(this);
    UpdateState();
    // Active before and after, but on another dataset now: whoever follows the link must
    // look again (a navigator recomputes its buttons, a control reloads its field).
    if (wasActive && FActive)
        ActiveChanged();
}

bool TDataLink::SetDataSourceFor(TComponent* Holder, TDataSource* Value)
{
    if (Value == FDataSource)
        return false;
    if (FDataSource && Holder)
        Holder->RemoveFreeNotification(FDataSource);
    SetDataSource(Value);
    if (Value && Holder)
        Value->FreeNotification(Holder);
    return true;
}

TDataSet* TDataLink::DataSet() const { return FDataSource ? FDataSource->DataSet() : nullptr; }

void TDataLink::SetReadOnly(bool Value)
{
    if (Value == FReadOnly)
        return;
    FReadOnly = Value;
    UpdateState();
}

void TDataLink::UpdateState()
{
    TDataSet* ds = DataSet();
    bool active = FDataSource && FDataSource->Enabled() && ds && ds->Active();
    if (active != FActive) {
        FActive = active;
        ActiveChanged();
    }
    TDataSetState s = ds ? ds->State() : dsInactive;
    bool editing = FActive && !FReadOnly && IsEditMode(s);
    if (editing != FEditing) {
        FEditing = editing;
        EditingChanged();
    }
}

void TDataLink::DataEvent(TDataEvent Event, std::intptr_t Info)
{
    if (Event == deUpdateState) {
        UpdateState();
        return;
    }
    if (!FActive)
        return;
    switch (Event) {
    case deFieldChange:
    case deRecordChange:
        if (!FUpdating)
            RecordChanged(reinterpret_cast<TField*>(Info));
        break;
    case deDataSetChange:
        DataSetChanged();
        break;
    case deDataSetScroll:
        DataSetScrolled(static_cast<int>(Info));
        break;
    case deLayoutChange:
        LayoutChanged();
        break;
    case deUpdateRecord:
        UpdateRecord();
        break;
    case deCheckBrowseMode:
        CheckBrowseMode();
        break;
    default:
        break;
    }
}

bool TDataLink::Edit()
{
    if (!FReadOnly && FDataSource)
        FDataSource->Edit();
    return FEditing;
}

void TDataLink::UpdateRecord()
{
    if (FUpdating)
        return;
    FUpdating = true;
    try {
        UpdateData();
    } catch (...) {
        FUpdating = false;
        throw;
    }
    FUpdating = false;
}

}  // namespace korin
