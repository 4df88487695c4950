#pragma once
// The generic dataset layer: fields, datasets, data sources and data links.
//
// A TDataSet is a cursor over an ordered list of records. Engines (DBTables.h) supply the
// records; this layer keeps the state machine (browse, edit, insert, set-key), the
// record and key buffers, BOF/EOF, bookmarks and the notifications that data sources
// pass on to their data links.
//
// Notifications seen by a TDataLink, in order:
//   Open                -> ActiveChanged
//   Close               -> ActiveChanged (then EditingChanged when it was editing)
//   Edit                -> EditingChanged, RecordChanged(nullptr)
//   Insert / Append     -> EditingChanged, DataSetChanged
//   Post / Cancel       -> EditingChanged, DataSetChanged
//   Delete              -> (EditingChanged when editing) DataSetChanged
//   Next/Prior/MoveBy   -> DataSetScrolled(distance), only when the record changed
//   First/Last, Locate (found), GotoBookmark, FindKey/GotoKey (found), RecNo write,
//   Refresh, Resync, filter changes -> DataSetChanged
//   SetKey              -> EditingChanged
//   a field written while editing -> RecordChanged(field)
//   a field's Visible or DisplayLabel changed -> LayoutChanged
// While controls are disabled nothing is sent; the last EnableControls brings every link's
// Active/Editing up to date (ActiveChanged/EditingChanged as needed) and then sends one
// DataSetChanged when the dataset is open.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "korin/platform/core/Component.h"
#include "korin/platform/core/DateUtils.h"
#include "korin/platform/core/Exception.h"
#include "korin/platform/core/Variant.h"

namespace korin {

// TDataSet::EOF() is a member name here; the C library's EOF macro (already defined by
// <cstdio> above, whose include guard keeps it from coming back) would break it. Use
// std::char_traits<char>::eof() where the C constant is needed.
#undef EOF

class TDataSet;
class TDataSource;
class TDataLink;

// Errors of datasets and of the database engine. Engine errors carry the engine's
// message and its extended result code (SQLITE_CONSTRAINT_CHECK, SQLITE_BUSY, …); errors
// the datasets raise themselves carry 0.
class EDatabaseError : public Exception {
public:
    explicit EDatabaseError(std::string Message, int ErrorCode = 0)
        : Exception(std::move(Message)), FErrorCode(ErrorCode)
    {
    }
    int ErrorCode() const noexcept { return FErrorCode; }

private:
    int FErrorCode;
};

// Raised out of an operation whose dataset was freed while the operation ran (by one of
// its own event handlers, or by something the application did in a turn it was given):
// nothing of the dataset may be touched on the way out.
class EDataSetFreed : public EDatabaseError {
public:
    using EDatabaseError::EDatabaseError;
};

enum TFieldType {
    ftUnknown,
    ftString,
    ftSmallint,
    ftInteger,
    ftWord,
    ftBoolean,
    ftFloat,
    ftCurrency,
    ftBCD,
    ftDate,
    ftTime,
    ftDateTime,
    ftBytes,
    ftVarBytes,
    ftAutoInc,
    ftBlob,
    ftMemo,
    ftGraphic,
    ftFmtMemo,
    ftWideString = 24,
    ftLargeint = 25,
};

enum TDataSetState {
    dsInactive,
    dsBrowse,
    dsEdit,
    dsInsert,
    dsSetKey,
    dsCalcFields,
    dsFilter,
    dsNewValue,
    dsOldValue,
    dsCurValue,
    dsBlockRead,
    dsInternalCalc,
    dsOpening,
};

enum TDataEvent {
    deFieldChange,
    deRecordChange,
    deDataSetChange,
    deDataSetScroll,
    deLayoutChange,
    deUpdateRecord,
    deUpdateState,
    deCheckBrowseMode,
};

enum TFieldKind { fkData, fkCalculated, fkLookup, fkInternalCalc };

// Locate options (a set of flags).
enum TLocateOption : std::uint32_t { loCaseInsensitive = 1u << 0, loPartialKey = 1u << 1 };
using TLocateOptions = std::uint32_t;

// Resync modes (a set of flags); callers usually pass 0 (the empty set).
enum TResyncModeFlag : std::uint32_t { rmExact = 1u << 0, rmCenter = 1u << 1 };
using TResyncMode = std::uint32_t;

// A position in a dataset. A value type: FreeBookmark empties it.
struct TBookmark {
    bool Valid = false;
    std::int64_t Key = 0;
    bool operator==(const TBookmark&) const = default;
};

using TDataSetNotifyEvent = std::function<void(TDataSet* DataSet)>;
using TFieldNotifyEvent = std::function<void(class TField* Sender)>;

// ---------------------------------------------------------------------------------------
// Fields

// One column of a dataset. Fields belong to their dataset; a field object stays valid
// from the Open that created it until the dataset is destroyed or re-opened with another
// column of that name and type.
class TField : public TObject {
public:
    TField(TDataSet* ADataSet, const std::string& AFieldName, TFieldType ADataType, int AIndex);

    TDataSet* DataSet() const { return FDataSet; }
    const std::string& FieldName() const { return FFieldName; }
    TFieldType DataType() const { return FDataType; }
    TFieldKind FieldKind() const { return fkData; }
    bool Calculated() const { return false; }
    int Index() const { return FIndex; }      // position in Fields, 0-based
    int FieldNo() const { return FIndex + 1; }
    bool IsBlob() const { return FDataType == ftBlob || FDataType == ftMemo || FDataType == ftGraphic || FDataType == ftFmtMemo; }

    // The caption shown for the field; the field name until set.
    std::string DisplayLabel() const { return FDisplayLabel.empty() ? FFieldName : FDisplayLabel; }
    void SetDisplayLabel(const std::string& Value);
    std::string DisplayName() const { return DisplayLabel(); }
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value) { FReadOnly = Value; }
    bool Required() const { return FRequired; }
    void SetRequired(bool Value) { FRequired = Value; }
    // The declared length of a text column ("VARCHAR(30)": 30); 0 when none was declared.
    int Size() const { return FSize; }
    // Characters a control should make room for: set, or by type (Size, else 20, for
    // strings; 10 for numbers, dates and memos; 8 for times; 19 for date-times; 5 for
    // Booleans).
    int DisplayWidth() const;
    void SetDisplayWidth(int Value);

    // Whether the field belongs to the dataset's current index (TTable).
    bool IsIndexField() const;
    // False for read-only, auto-increment and calculated fields and when the dataset
    // cannot be modified.
    virtual bool CanModify() const;

    // The value in the record the dataset shows now (the edit buffer while editing,
    // the key buffer while setting a key). Null for an empty field or a closed dataset.
    // The value in the dataset's current record (or in the record being edited). The
    // reference reads the dataset's buffer: it is good until the dataset moves, is edited
    // or closes; a caller that keeps the value keeps a copy (Variant v = F->Value()).
    const Variant& Value() const;  // inline: see below TDataSet
    // Stores a value: converted to the field's type, or EDatabaseError when it does not
    // fit ("'abc' is not a valid integer value for field 'Qty'"). The dataset must be
    // editing (or setting a key), and the field modifiable.
    void SetValue(const Variant& V);
    Variant AsVariant() const { return Value(); }
    void SetAsVariant(const Variant& V) { SetValue(V); }
    bool IsNull() const { return Value().IsNullOrEmpty(); }
    void Clear() { SetValue(Variant::Null()); }

    std::string AsString() const;
    void SetAsString(const std::string& V);
    std::int64_t AsInteger() const;
    void SetAsInteger(std::int64_t V) { SetValue(Variant(static_cast<long long>(V))); }
    double AsFloat() const;
    void SetAsFloat(double V) { SetValue(Variant(V)); }
    bool AsBoolean() const;
    void SetAsBoolean(bool V) { SetValue(Variant(V)); }
    TDateTime AsDateTime() const;
    void SetAsDateTime(TDateTime V) { SetValue(Variant::FromDateTime(V)); }

    // The edit text (same as AsString; dates as "YYYY-MM-DD", times as "HH:MM:SS",
    // booleans as "True"/"False") and the display text (the edit text, or for a numeric
    // field with a DisplayFormat the value in that format).
    std::string Text() const { return AsString(); }
    void SetText(const std::string& V) { SetAsString(V); }
    std::string DisplayText() const { return DisplayTextOf(Value()); }
    // The text this field shows for a value of its type (as AsString does).
    std::string TextOf(const Variant& V) const;
    // The display text of a value (empty for Null).
    virtual std::string DisplayTextOf(const Variant& V) const { return TextOf(V); }

    // The value converted to this field's type (what SetValue would store); raises
    // EDatabaseError when it does not fit. Null and Unassigned give Null.
    Variant Convert(const Variant& V) const;

    TFieldNotifyEvent OnChange;

private:
    friend class TDataSet;
    TDataSet* FDataSet;
    std::string FFieldName;
    TFieldType FDataType;
    int FIndex;
    std::string FDisplayLabel;
    bool FVisible = true;
    bool FReadOnly = false;
    bool FRequired = false;
    int FSize = 0;
    int FDisplayWidth = 0;
};

class TStringField : public TField {
public:
    using TField::TField;
};
class TWideStringField : public TStringField {
public:
    using TStringField::TStringField;
};
// A number field. Its DisplayFormat (FormatFloat's format: "0.00", "#,##0.00") shapes the
// text controls show while not editing it; editing shows and takes the plain number.
class TNumericField : public TField {
public:
    using TField::TField;
    const std::string& DisplayFormat() const { return FDisplayFormat; }
    // Controls showing the field show it anew.
    void SetDisplayFormat(const std::string& Value);
    std::string DisplayTextOf(const Variant& V) const override;

private:
    std::string FDisplayFormat;
};
class TIntegerField : public TNumericField {
public:
    using TNumericField::TNumericField;
};
class TAutoIncField : public TIntegerField {
public:
    using TIntegerField::TIntegerField;
};
class TFloatField : public TNumericField {
public:
    using TNumericField::TNumericField;
};
class TBooleanField : public TField {
public:
    using TField::TField;
};
class TDateTimeField : public TField {
public:
    using TField::TField;
};
class TDateField : public TDateTimeField {
public:
    using TDateTimeField::TDateTimeField;
};
class TTimeField : public TDateTimeField {
public:
    using TDateTimeField::TDateTimeField;
};
class TBlobField : public TField {
public:
    using TField::TField;
};
class TMemoField : public TBlobField {
public:
    using TBlobField::TBlobField;
};

// The field class that stands for a data type.
std::unique_ptr<TField> CreateFieldOfType(TDataSet* DataSet, const std::string& Name, TFieldType Type, int Index);

// ---------------------------------------------------------------------------------------
// Datasets

// The field list of a dataset, in definition order (DataSet->Fields()).
class TFields {
public:
    explicit TFields(const TDataSet* ADataSet) : FDataSet(ADataSet) {}
    int Count() const;
    TField* Fields(int Index) const;
    TField* operator[](int Index) const { return Fields(Index); }
    TField* FindField(const std::string& FieldName) const;
    TField* FieldByName(const std::string& FieldName) const;
    TDataSet* DataSet() const { return const_cast<TDataSet*>(FDataSet); }

private:
    const TDataSet* FDataSet;
};

class TDataSet : public TComponent {
public:
    explicit TDataSet(TComponent* AOwner);
    ~TDataSet() override;

    // Opening and closing. Writing Active false then true re-opens.
    bool Active() const { return FState != dsInactive; }
    void SetActive(bool Value);
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }
    TDataSetState State() const { return FState; }

    // Cursor. A move past either end stops on the end record and sets BOF or EOF.
    void First();
    void Last();
    void Next() { MoveBy(1); }
    void Prior() { MoveBy(-1); }
    int MoveBy(int Distance);  // returns the distance actually moved
    bool BOF() const { return FBOF; }
    bool EOF() const { return FEOF; }
    bool IsEmpty() const;
    // 1-based; −1 while a new record is being inserted; 0 when empty or closed.
    int RecNo() const;
    void SetRecNo(int Value);
    int RecordCount() const;
    // The value of a field in the record at RecNo (1-based, cursor order) without moving
    // the cursor, for controls that show several records; Null out of range.
    Variant ValueAt(int RecNo, const TField* Field) const;

    // Editing.
    void Insert();
    void Append();
    void Edit();
    void Post();
    void Cancel();
    void Delete();
    virtual bool CanModify() const;
    bool Modified() const { return FModified; }
    // Posts a modified record, cancels an unmodified one; nothing in browse state.
    void CheckBrowseMode();
    // Asks the data links to write their pending edits into the fields.
    void UpdateRecord();

    // Re-reads the records from the engine, staying on the same record when it still
    // exists (else on the record at the same position).
    void Refresh();
    // Re-reads the current record; Mode is accepted for compatibility.
    void Resync(TResyncMode Mode);
    // Makes the engine's cursor agree with the current record (it always does here).
    void UpdateCursorPos() {}

    // Finds the first record (in cursor order) whose fields KeyFields (";"-joined) hold
    // KeyValues (one value, or an array with one element per name) and moves to it.
    // Options: loCaseInsensitive compares texts without regard to case; loPartialKey
    // lets a field's text begin with the key text. A Null key matches empty fields.
    bool Locate(const std::string& KeyFields, const Variant& KeyValues, TLocateOptions Options);

    TBookmark GetBookmark() const;
    // Raises EDatabaseError ("Record not found") when the record is gone.
    void GotoBookmark(const TBookmark& Bookmark);
    void FreeBookmark(TBookmark& Bookmark) { Bookmark = TBookmark(); }
    bool BookmarkValid(const TBookmark& Bookmark) const;

    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return FDisableCount > 0; }

    // Fields, in definition order.
    int FieldCount() const { return static_cast<int>(FFields.size()); }
    TField* Fields(int Index) const
    {
        if (Index < 0 || Index >= FieldCount())
            FieldIndexError(Index);
        return FFields[static_cast<size_t>(Index)].get();
    }
    TFields Fields() const { return TFields(this); }
    TField* FindField(const std::string& FieldName) const;  // case-insensitive; nullptr when absent
    TField* FieldByName(const std::string& FieldName) const;  // raises "Field 'X' not found"
    void GetFieldNames(std::vector<std::string>& List) const;
    // One name: that field's value. Several ";"-joined names: an array of their values.
    Variant FieldValues(const std::string& FieldNames) const;
    void SetFieldValues(const std::string& FieldNames, const Variant& Value);

    // The filter is an SQL boolean expression over the dataset's field names, evaluated
    // by the engine while Filtered is set. An invalid filter raises when applied and the
    // records and position stay as they were.
    const std::string& Filter() const { return FFilter; }
    void SetFilter(const std::string& Value);
    bool Filtered() const { return FFiltered; }
    void SetFiltered(bool Value);

    // The fields linking this dataset to its master: master fields and the matching
    // detail fields (both lists empty when there is no master).
    virtual void GetDetailLinkFields(std::vector<TField*>& MasterFields, std::vector<TField*>& DetailFields);

    TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
    TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
    TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
    TDataSetNotifyEvent OnNewRecord;

    // Sends an event to every data source of the dataset (nothing while disabled).
    void DataEvent(TDataEvent Event, std::intptr_t Info);

    // Opens a dataset whose Active was set while it was being read from a form.
    void Loaded() override;

protected:
    // --- what an engine supplies -------------------------------------------------------
    // Opens the cursor: creates the fields (CreateFields) and the record list.
    virtual void InternalOpen() = 0;
    virtual void InternalClose() = 0;
    virtual int InternalRecordCount() const = 0;
    // The values of the record at Index (0-based, below InternalRecordCount), one per
    // field. Values may arrive holding another record's values: every one is
    // overwritten (Null where the engine has none), preferably in place so that texts
    // reuse their memory.
    virtual void InternalFetch(int Index, std::vector<Variant>& Values) = 0;
    // A key that identifies the record at Index across refreshes, and back.
    virtual std::int64_t InternalRecordKey(int Index) const = 0;
    virtual int InternalIndexOfKey(std::int64_t Key) const = 0;
    // Writes a record; Changed marks the fields written. Returns the index where the
    // record now stands. Raises on failure, changing nothing.
    virtual int InternalPost(bool Inserting, int Index, const std::vector<Variant>& Values,
                             const std::vector<bool>& Changed);
    virtual void InternalDelete(int Index);
    // Re-reads the record list (and forgets cached record contents).
    virtual void InternalRefresh() = 0;
    // Forgets cached contents of the record at Index.
    virtual void InternalInvalidate(int Index) {}
    // Applies a filter (empty: none); raises and keeps the old record list on error.
    virtual void InternalSetFilter(const std::string& Filter) = 0;
    // The index of the first record matching; −1 when none. Fields and Values are
    // already converted to the fields' types (a Null value matches empty fields).
    virtual int InternalLocate(const std::vector<TField*>& Fields, const std::vector<Variant>& Values,
                               TLocateOptions Options);
    virtual bool IsFieldIndexed(const TField* Field) const { return false; }
    // Engines that go on reading records after the dataset opened make sure the record at
    // Index (every record when Index is -1) has been read, if the result has it. Called
    // before a move, a jump to the end or an append.
    virtual void InternalNeedRecords(int Index) {}
    // Fills the initial values of a new record (before OnNewRecord); values set here are
    // written by the insert.
    virtual void InitNewRecord(std::vector<Variant>& Values) {}

    // --- helpers for engines -----------------------------------------------------------
    struct TFieldDesc {
        std::string Name;
        TFieldType Type = ftString;
        bool ReadOnly = false;
        bool Required = false;
        int Size = 0;
    };
    // Makes Fields match Descs, keeping the field objects whose name and type still fit.
    void CreateFields(const std::vector<TFieldDesc>& Descs);
    void SetState(TDataSetState Value);
    int CurrentIndex() const { return FRecIndex; }
    // Moves to the record at Index (clamped) after the engine changed the record list,
    // and tells the links (DataSetChanged).
    void Reposition(int Index, bool Notify = true);
    // Moves to the first record after the record list changed (BOF set) and tells the
    // links (DataSetChanged).
    void RestartAtFirst();
    // The effective filter text ("" when not filtered).
    std::string ActiveFilter() const { return FFiltered ? FFilter : std::string(); }
    // Key buffer (set-key state).
    void BeginSetKey();
    const std::vector<Variant>& KeyBuffer() const { return FKeyBuf; }
    void EndSetKey();
    // True when Value matches Key under Options (the rule Locate uses).
    static bool MatchValue(const Variant& Value, const Variant& Key, TLocateOptions Options);

private:
    friend class TField;
    friend class TDataSource;

    const Variant& GetFieldData(int Index) const;
    // True when the buffer holds the current record, read for browsing. It then holds one
    // value for each field: CurrentRecord sizes it before it marks it read, and whatever
    // changes the fields or empties the buffer marks it unread.
    bool BufferCurrent() const { return FState == dsBrowse && FBufIndex == FRecIndex && FRecIndex >= 0; }
    [[noreturn]] static void FieldIndexError(int Index);
    // The Null that fields of no record show.
    static const Variant& NullValue();
    void SetFieldData(TField* Field, const Variant& Value);
    const std::vector<Variant>& CurrentRecord() const;
    void InvalidateBuffer() { FBufIndex = -1; }
    void BeginInsertAppend(bool Append);
    void AddDataSource(TDataSource* Source);
    void RemoveDataSource(TDataSource* Source);
    void DoOpen();
    void DoClose();
    void CheckActive() const;
    void CheckInactive() const;
    void LayoutChanged();
    static void Fire(const TDataSetNotifyEvent& E, TDataSet* D)
    {
        if (E)
            E(D);
    }

    TDataSetState FState = dsInactive;
    std::vector<std::unique_ptr<TField>> FFields;
    std::vector<TDataSource*> FDataSources;
    int FRecIndex = -1;
    bool FBOF = true;
    bool FEOF = true;
    mutable std::vector<Variant> FBuf;
    mutable int FBufIndex = -1;
    std::vector<Variant> FEditBuf;
    std::vector<bool> FChanged;
    std::vector<Variant> FKeyBuf;
    bool FModified = false;
    int FInsertIndex = -1;  // where a new record stands (before the current one)
    int FDisableCount = 0;
    bool FLayoutPending = false;
    std::string FFilter;
    bool FFiltered = false;
    bool FStreamedActive = false;
};

// ---------------------------------------------------------------------------------------
// Data sources and data links

using TDataChangeEvent = std::function<void(TObject* Sender, TField* Field)>;

// Connects a dataset to data links (controls, navigators, detail datasets).
class TDataSource : public TComponent {
public:
    explicit TDataSource(TComponent* AOwner);
    ~TDataSource() override;

    TDataSet* DataSet() const { return FDataSet; }
    void SetDataSet(TDataSet* Value);
    // The dataset's state; dsInactive without a dataset.
    TDataSetState State() const;
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    // Whether data-aware controls may put the dataset into edit state by themselves.
    bool AutoEdit() const { return FAutoEdit; }
    void SetAutoEdit(bool Value) { FAutoEdit = Value; }
    // Puts the dataset into edit state when it is browsing and AutoEdit is set.
    void Edit();
    int DataLinkCount() const { return static_cast<int>(FDataLinks.size()); }

    TDataChangeEvent OnDataChange;  // record or field changed, scrolled
    TNotifyEvent OnStateChange;     // state changed (also open/close)
    TNotifyEvent OnUpdateData;      // before a post

    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TDataSet;
    friend class TDataLink;
    void DataEvent(TDataEvent Event, std::intptr_t Info);
    void NotifyLinks(TDataEvent Event, std::intptr_t Info);
    void AddDataLink(TDataLink* Link);
    void RemoveDataLink(TDataLink* Link);

    TDataSet* FDataSet = nullptr;
    std::vector<TDataLink*> FDataLinks;
    bool FEnabled = true;
    bool FAutoEdit = true;
    TDataSetState FState = dsInactive;
};

// Follows a data source. Override the notifications to react; by default
// DataSetScrolled and LayoutChanged call DataSetChanged, which calls RecordChanged(nullptr).
class TDataLink : public TObject {
public:
    TDataLink() = default;
    ~TDataLink() override;

    TDataSource* DataSource() const { return FDataSource; }
    void SetDataSource(TDataSource* Value);
    // Links to Value on behalf of Holder, the component that owns this link: Holder stops
    // watching the old data source and asks the new one to tell it when it is freed.
    // False when Value already is the data source (nothing changes).
    bool SetDataSourceFor(TComponent* Holder, TDataSource* Value);
    TDataSet* DataSet() const;
    // The source is enabled and its dataset open.
    bool Active() const { return FActive; }
    // The dataset is editing, inserting or setting a key.
    bool Editing() const { return FEditing; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);
    // Visual-control links (controls) hear of each event before the other links.
    bool VisualControl() const { return FVisualControl; }
    void SetVisualControl(bool Value) { FVisualControl = Value; }
    // Puts the dataset into edit state when allowed; true when it is editing afterwards.
    bool Edit();
    // Calls UpdateData, guarded against re-entry.
    void UpdateRecord();

    virtual void ActiveChanged() {}
    virtual void CheckBrowseMode() {}
    virtual void DataSetChanged() { RecordChanged(nullptr); }
    virtual void DataSetScrolled(int Distance) { DataSetChanged(); }
    virtual void EditingChanged() {}
    virtual void LayoutChanged() { DataSetChanged(); }
    virtual void RecordChanged(TField* Field) {}
    virtual void UpdateData() {}

private:
    friend class TDataSource;
    void DataEvent(TDataEvent Event, std::intptr_t Info);
    void UpdateState();

    TDataSource* FDataSource = nullptr;
    bool FActive = false;
    bool FEditing = false;
    bool FReadOnly = false;
    bool FVisualControl = false;
    bool FUpdating = false;
};

// A field read while browsing comes straight from the dataset's buffer; every other
// case goes through GetFieldData.
inline const Variant& TField::Value() const
{
    if (FDataSet && FDataSet->BufferCurrent() && static_cast<size_t>(FIndex) < FDataSet->FFields.size())
        return FDataSet->FBuf[static_cast<size_t>(FIndex)];
    return FDataSet ? FDataSet->GetFieldData(FIndex) : TDataSet::NullValue();
}

// Splits "A;B;C" into names (spaces around names are dropped, empty names skipped).
std::vector<std::string> SplitFieldNames(const std::string& Names);

}  // namespace korin
