#pragma once
// The engine layer on SQLite: the default session, databases, tables, queries, their
// parameters and index definitions, and blob streams. One header for the whole layer, so
// an application includes one file (it includes RowStore.h, the records held in memory).
//
// A database is a SQLite file. A dataset's DatabaseName names a TDatabase component
// (by its DatabaseName), an alias registered with the session, or a file path.
//
// Records are reached through a keyset: the row ids in cursor order are read when the
// dataset opens (or its order, filter or master record changes) and record contents are
// fetched in pages on demand. A query whose rows have no row ids of one table (a join, an
// aggregate, DISTINCT, a compound SELECT) is read completely into memory instead; such a
// result is read-only.
//
// Stored forms: dates and times as ISO texts ("YYYY-MM-DD", "HH:MM:SS",
// "YYYY-MM-DD HH:MM:SS"), Booleans as 0/1, memos as text, blobs as blobs. Field types come
// from the declared column types: ...INT... integer (INTEGER PRIMARY KEY: auto-increment),
// BOOL.. Boolean, DATETIME/TIMESTAMP, DATE, TIME, MEMO/CLOB/LONGTEXT memo, NCHAR/NVARCHAR
// wide string, CHAR/TEXT string, BLOB blob, REAL/FLOAT/DOUBLE/NUMERIC/DECIMAL float; a
// column without a declared type is ftUnknown and keeps its values as stored (in a cached
// result it takes the type of its first value instead).
//
// Posting a record writes only the fields that were assigned (UPDATE ... WHERE rowid, or
// INSERT); engine errors (constraints, a locked or read-only file) raise EDatabaseError
// with the engine's message and leave the dataset editing with the user's values.
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "korin/platform/core/StringList.h"
#include "korin/platform/db/DB.h"
#include "korin/platform/db/RowStore.h"

struct sqlite3;  // the C library's own type

namespace korin {

class TSQLiteStatement;
class TDatabase;
class TDBDataSet;

// ---------------------------------------------------------------------------------------
// Session

class TSession : public TComponent {
public:
    explicit TSession(TComponent* AOwner);
    ~TSession() override;

    // The session starts (OnStartup fires) when the first database connects, or when
    // Active is set.
    bool Active() const { return FActive; }
    void SetActive(bool Value);
    TNotifyEvent OnStartup;

    // Aliases: names standing for database files.
    void AddAlias(const std::string& Name, const std::string& Path);
    void DeleteAlias(const std::string& Name);
    bool IsAlias(const std::string& Name) const;
    std::string GetAliasPath(const std::string& Name) const;  // raises for an unknown alias
    void GetAliasNames(std::vector<std::string>& List) const;
    // Alias names and the names of the database components.
    void GetDatabaseNames(std::vector<std::string>& List) const;

    int DatabaseCount() const { return static_cast<int>(FDatabases.size()); }
    TDatabase* Databases(int Index) const;
    TDatabase* FindDatabase(const std::string& DatabaseName) const;
    // Finds the database component of that name, or makes a temporary one, connects it
    // and counts a user. Pair with CloseDatabase.
    TDatabase* OpenDatabase(const std::string& DatabaseName);
    // Drops a user; a temporary database without users is freed.
    void CloseDatabase(TDatabase* Database);

private:
    friend class TDatabase;
    std::vector<TDatabase*> FDatabases;
    std::map<std::string, std::string> FAliases;  // upper-cased name -> path
    std::map<std::string, std::string> FAliasNames;  // upper-cased name -> name as given
    bool FActive = false;
};

// The default session.
extern TSession* Session;

// Procedures run when a session starts (after its OnStartup).
using TBDEInitProc = std::function<void(TSession* Session)>;
void RegisterBDEInitProc(TBDEInitProc InitProc);

// ---------------------------------------------------------------------------------------
// Engine callbacks

enum TCBType { cbGENPROGRESS = 23 };
enum TCBRType { cbrUSEDEF = 0, cbrCONTINUE = 1, cbrABORT = 2 };

// The record of a general-progress callback, as the engine writes it into the callback's
// buffer: a percentage (or −1 when only the message counts) and a message such as
// "Records read: 16384".
#pragma pack(push, 1)
struct CBPROGRESSDesc {
    std::int16_t iPercentDone;
    char szMsg[128];
};
#pragma pack(pop)
static_assert(sizeof(CBPROGRESSDesc) == 130);

using TBDECallbackEvent = std::function<TCBRType(void* CBInfo)>;

// Registers a handler for engine callbacks of one type while it exists. The engine
// writes the callback record into Buffer (at most BufferSize bytes) and calls the event
// with the buffer. Long operations (reading the records of a large result) report
// progress this way. With Chain set, the callback registered before this one of the same
// type is called as well. An answer of cbrABORT stops the operation with EDatabaseError
// "Operation aborted".
class TBDECallback : public TObject {
public:
    TBDECallback(TObject* AOwner, void* Handle, TCBType CBType, void* Buffer, int BufferSize,
                 TBDECallbackEvent CallbackEvent, bool Chain);
    ~TBDECallback() override;
    TObject* Owner() const { return FOwner; }
    TCBType CBType() const { return FCBType; }

    // Engine side: reports a general-progress record to the registered callbacks.
    static void ReportProgress(int PercentDone, const std::string& Message);

private:
    TObject* FOwner;
    TCBType FCBType;
    void* FBuffer;
    int FBufferSize;
    TBDECallbackEvent FEvent;
    bool FChain;
};

// ---------------------------------------------------------------------------------------
// Long statements

// Statements started from user text (opening a query, setting a filter, Locate, key
// searches) give the application a turn every so many engine steps: the wait procedure
// runs there (an application processes its pending messages in it, so its forms
// repaint). The connection of the running statement cannot be used meanwhile; records
// not yet read show empty until the statement ends. A cancel request made meanwhile
// (CancelEngineOperation, or Esc where the application's wait procedure watches for it)
// stops the statement with EDatabaseError "Operation cancelled" and leaves the dataset
// as it was before.
using TEngineWaitProc = std::function<void()>;
// Installs the wait procedure (none: statements run through); returns the previous one.
TEngineWaitProc SetEngineWaitProc(TEngineWaitProc Proc);
// Asks the running statement (or walk) to stop; ignored while none runs.
void CancelEngineOperation();

// Background work of the datasets (a server dataset reading the rest of its records
// after it opened) runs in small steps whenever the application has no message and no
// input waiting: its message loop and ProcessMessages call DoEngineIdleWork then. A work
// item does one step and answers whether it did anything; it stays registered until
// removed.
using TEngineIdleWork = std::function<bool()>;
int AddEngineIdleWork(TEngineIdleWork Work);
void RemoveEngineIdleWork(int Id);
bool EngineIdleWorkPending();
// One step of the next registered item that has something to do (items take turns);
// false when none had. A call made from inside a step does nothing.
bool DoEngineIdleWork();
bool EngineOperationRunning();

// Waiting for a locked database: a statement that finds the file locked by another
// connection retries, with growing pauses, until its database's BusyTimeout has passed,
// and only then fails with the engine's "database is locked". Before each pause the
// application's wait procedure has its turn (the connection counts as busy meanwhile,
// and a cancel request made in that turn, such as Esc, ends the wait at once with the
// same "database is locked"); the pause itself is the busy-wait procedure's, given the milliseconds to wait (the
// default sleeps that long; tests install one that only counts).
using TBusyWaitProc = std::function<void(int Milliseconds)>;
// Installs the busy-wait procedure (none: the default sleep); returns the previous one.
TBusyWaitProc SetBusyWaitProc(TBusyWaitProc Proc);

// A long walk over records (a search that reads record after record) that the
// application may interrupt like a long statement: Tick once per record. Every so many
// records the wait procedure runs; after a cancel request Tick raises EDatabaseError
// "Operation cancelled".
class TEngineWork {
public:
    TEngineWork();
    ~TEngineWork();
    TEngineWork(const TEngineWork&) = delete;
    TEngineWork& operator=(const TEngineWork&) = delete;
    void Tick();

private:
    unsigned FTicks = 0;
};

// ---------------------------------------------------------------------------------------
// Database

class TDatabase : public TComponent {
public:
    explicit TDatabase(TComponent* AOwner);
    ~TDatabase() override;

    const std::string& DatabaseName() const { return FDatabaseName; }
    void SetDatabaseName(const std::string& Value);
    // When set, the alias names the file; else DatabaseName (an alias or a path) does.
    const std::string& AliasName() const { return FAliasName; }
    void SetAliasName(const std::string& Value);
    // The file this database opens.
    std::string FileName() const;

    bool Connected() const { return FHandle != nullptr; }
    void SetConnected(bool Value);
    void Open() { SetConnected(true); }
    // Closes the datasets of this database, then the connection.
    void Close() { SetConnected(false); }

    // Opens the file read-only. Also reads true while connected to a file that could
    // only be opened for reading.
    bool ReadOnly() const { return FReadOnly || FReadOnlyFile; }
    void SetReadOnly(bool Value);
    // Creates a missing file when connecting (off: a missing file is an error).
    bool CreateIfMissing() const { return FCreateIfMissing; }
    void SetCreateIfMissing(bool Value) { FCreateIfMissing = Value; }
    // How long, in milliseconds, a statement waits for a database locked by another
    // connection before it fails (0: it fails at once). May change while connected.
    int BusyTimeout() const { return FBusyTimeout; }
    void SetBusyTimeout(int Value) { FBusyTimeout = Value < 0 ? 0 : Value; }
    bool KeepConnection() const { return FKeepConnection; }
    void SetKeepConnection(bool Value) { FKeepConnection = Value; }
    // Made by the session for a dataset that named a file or an alias.
    bool Temporary() const { return FTemporary; }
    // Whether the database is reached through a database server rather than a local
    // file: never for SQLite. Virtual so that a database class of another engine can say
    // so; the search engine walks the records of such a database instead of keying.
    virtual bool IsSQLBased() const { return false; }

    int DataSetCount() const { return static_cast<int>(FDataSets.size()); }
    TDBDataSet* DataSets(int Index) const;

    // Runs SQL statements (several separated by ";"); returns the rows changed by the last.
    int Execute(const std::string& SQL);
    void StartTransaction();
    void Commit();
    void Rollback();
    bool InTransaction() const;

    TNotifyEvent BeforeConnect, AfterConnect, BeforeDisconnect, AfterDisconnect;

    // The engine connection (for the engine layer).
    sqlite3* Handle() const { return FHandle; }

private:
    friend class TSession;
    friend class TDBDataSet;
    void CheckInactive() const;
    // Reads a schema's data version and schema version (the engine's PRAGMAs) through
    // statements kept prepared for each schema name until the connection closes: datasets
    // read them on every move to tell whether what they hold is still current.
    void ReadVersions(const std::string& Schema, std::int64_t& DataVersion, std::int64_t& SchemaVersion);
    struct TVersionStatements;
    std::map<std::string, std::unique_ptr<TVersionStatements>> FVersionStatements;

    std::string FDatabaseName;
    std::string FAliasName;
    sqlite3* FHandle = nullptr;
    bool FReadOnly = false;
    bool FReadOnlyFile = false;
    bool FCreateIfMissing = false;
    bool FKeepConnection = true;
    int FBusyTimeout = 5000;
    bool FTemporary = false;
    int FRefCount = 0;
    std::vector<TDBDataSet*> FDataSets;
};

// ---------------------------------------------------------------------------------------
// Datasets on a database

class TDBDataSet : public TDataSet {
public:
    explicit TDBDataSet(TComponent* AOwner);
    ~TDBDataSet() override;

    const std::string& DatabaseName() const { return FDatabaseName; }
    void SetDatabaseName(const std::string& Value);
    // The database in use while open; nullptr when closed.
    TDatabase* Database() const { return FDatabase; }
    bool CanModify() const override;
    // True when records are reached through row ids; false for a fully read result.
    bool IsKeysetCursor() const { return FKeyset; }
    // Reads Field of the records from index Start on, in cursor order, a page at a time
    // and without moving the cursor, handing each value (as the field holds it; Null for a
    // row gone meanwhile) to Match until it returns true. Returns that record's index, or
    // −1 when none matched. Exceptions of Match pass, and the cursor stays where it was.
    int ScanField(int Start, const TField* Field, const std::function<bool(const Variant&)>& Match);
    // ScanField for a text field (string or memo) with a first test the engine runs: Maybe
    // sees the text of each record (empty for Null) while the engine reads it, and only the
    // records it accepts, and those already read by the cursor, are handed to Match;
    // Passed is called, outside any statement, for each record Maybe refused. Maybe must
    // accept every text Match could accept, and must neither throw nor touch datasets.
    // A Maybe that accepts the empty text, or another field type, scans as ScanField.
    int ScanText(int Start, const TField* Field, const std::function<bool(std::string_view)>& Maybe,
                 const std::function<bool(const Variant&)>& Match, const std::function<void()>& Passed);

protected:
    // What a subclass describes when the dataset opens.
    struct TSourceInfo {
        // The statement whose columns become the fields (prepared to read them).
        std::string DescribeSQL;
        // Keyset cursors: SQL returning the row ids (first column) in cursor order,
        // given the filter and an extra condition (each may be empty; both are SQL
        // boolean expressions over the field names). Empty: no keyset.
        std::function<std::string(const std::string& Filter, const std::string& Extra)> KeysetSQL;
        // Optional: SQL returning the row ids (first column) of the records meeting the
        // filter and the extra condition, in no particular order (lets the engine pick an
        // index for the condition rather than for the order).
        std::function<std::string(const std::string& Filter, const std::string& Extra)> CandidatesSQL;
        // Cached results: SQL returning every column in cursor order.
        std::function<std::string(const std::string& Filter, const std::string& Extra)> RowsSQL;
        // Whether Post and Delete may write (keyset cursors only).
        bool Modifiable = false;
        // The keyset is every row id in ascending order (no filter, no condition), so a
        // new row simply goes to the end.
        bool NaturalOrder = false;
        // The keyset depends on the data and on nothing else bound at reading (no
        // parameters a caller may change meanwhile): one read when nothing has changed
        // in the database may stand for another.
        bool KeysetFollowsData = false;
    };
    virtual TSourceInfo DescribeSource() = 0;
    // Binds parameters (":name") of the statements built from the source.
    virtual void BindParams(TSQLiteStatement& Statement) {}
    // Hook: fields have been created.
    virtual void FieldsCreated() {}

    void InternalOpen() override;
    void InternalClose() override;
    int InternalRecordCount() const override;
    void InternalFetch(int Index, std::vector<Variant>& Values) override;
    std::int64_t InternalRecordKey(int Index) const override;
    int InternalIndexOfKey(std::int64_t Key) const override;
    int InternalPost(bool Inserting, int Index, const std::vector<Variant>& Values,
                     const std::vector<bool>& Changed) override;
    void InternalDelete(int Index) override;
    void InternalRefresh() override;
    void InternalInvalidate(int Index) override;
    void InternalSetFilter(const std::string& Filter) override;
    int InternalLocate(const std::vector<TField*>& Fields, const std::vector<Variant>& Values,
                       TLocateOptions Options) override;

    // The index of the first record (cursor order) matching Condition, an SQL boolean
    // expression whose ":korin_k<i>" parameters take Values[i] (stored for Fields[i]).
    int FindFirstWhere(const std::string& Condition, const std::vector<TField*>& Fields,
                       const std::vector<Variant>& Values);
    // Re-reads the record list (keeps the current filter) and returns to the record of
    // Key when it is still there, else to the record at the same position.
    void ReloadKeepingPosition(bool Notify);
    // Describes the source again after its order changed while open, so that posting
    // knows whether new records still simply go to the end.
    void DescribeSourceAgain();

private:
    void BuildList(const std::string& Filter, std::vector<std::int64_t>& Keys,
                   TRowStore& Rows) const;
    void FetchPage(int Index);
    // Reads the records of these row ids into the page cache with one statement (Ids
    // comes back sorted, without repeats); returns how many were there (the others show
    // as empty values). RunFirst ≥ 0: Ids are ascending, above every row id held, and
    // are the records of the cursor positions RunFirst.. in that order (a page cache run).
    size_t ReadRows(std::vector<std::int64_t>& Ids, int RunFirst);
    // Sorts Ids and drops repeats unless they are Ascending already (strictly), and binds
    // them to the statement reading every column (Column −1: the row id first unless a
    // column is the row id) or the row id and one column of those rows.
    TSQLiteStatement* PrepareRead(std::vector<std::int64_t>& Ids, int Column, bool Ascending);
    // Reads one column of the rows of these row ids (sorted and made unique here) with
    // one statement; Row sees each row found, the statement on it (column 0 the row id,
    // column 1 the value).
    void ReadIds(std::vector<std::int64_t>& Ids, int Column,
                 const std::function<void(std::int64_t, TSQLiteStatement&)>& Row);
    // The statement reading a range of row ids (Slots 0: from ?1 on, at most ?2 rows) or a
    // set of Slots row ids.
    TSQLiteStatement* FetchStatement(int Slots, int Column);
    void CheckFilterText(const std::string& Filter) const;
    // Locate: the conditions on one key field that an index can answer, with the texts
    // they bind.
    void AddLocateRanges(const std::string& Column, size_t K, const std::string& Key, TLocateOptions Options,
                         std::vector<std::string>& Ranges,
                         std::vector<std::pair<std::string, std::string>>& Texts) const;
    // Whether the engine answers SQL by searching an index rather than scanning.
    bool IndexServes(const std::string& SQL) const;
    // Locate's statements, prepared once for their text (which holds the filter, the
    // order and the shape of the key, never its values) and whether an index serves
    // them; forgotten when the source changes.
    struct TLocatePlan {
        bool Checked = false;
        bool IndexServes = false;
        std::unique_ptr<TSQLiteStatement> Statement;
    };
    TLocatePlan& LocatePlan(const std::string& SQL);
    // The keyset changed: the positions of row ids are looked up afresh.
    void KeysChanged() { FPosKind = pkNone; }
    // What the database has been through, as far as this connection can tell: commits
    // of other connections, its own row changes and schema changes. Equal stamps: the
    // same statement reads the same rows.
    struct TDataStamp {
        bool Valid = false;
        std::int64_t DataVersion = 0, SchemaVersion = 0, Changes = 0;
        bool operator==(const TDataStamp&) const = default;
    };
    TDataStamp CurrentStamp() const;
    void ForgetUnfilteredKeys()
    {
        FUnfilteredKeys = {};
        FUnfilteredStamp = TDataStamp();
    }
    void BuildPositions() const;

    std::string FDatabaseName;
    TDatabase* FDatabase = nullptr;
    TSourceInfo FSource;
    bool FKeyset = false;
    // Keyset cursors: origin table and columns (quoted), row ids in cursor order.
    std::string FTable;
    std::vector<std::string> FColumns;
    // Keyset cursors: the column that is the table's row id (its INTEGER PRIMARY KEY),
    // or −1.
    int FIdColumn = -1;
    std::vector<TFieldType> FTypes;
    // Keyset cursors: which columns have text affinity.
    std::vector<bool> FTextColumns;
    std::vector<std::int64_t> FKeys;
    // The stamp taken before FKeys was read without a filter (not Valid otherwise), and
    // while a filter is in force the keyset it replaced, with that stamp: releasing the
    // filter takes it back when the database has not changed since.
    TDataStamp FKeysStamp;
    std::vector<std::int64_t> FUnfilteredKeys;
    TDataStamp FUnfilteredStamp;
    std::string FSchema;  // the origin table's database, quoted
    // Where a row id stands in FKeys: found by a binary search when FKeys is in row id
    // order, else through a table indexed by row id (ids close together) or a sorted list
    // of (row id, position) pairs. Built when first needed after the keyset changed.
    enum TPosKind { pkNone, pkSortedKeys, pkDense, pkPairs };
    mutable TPosKind FPosKind = pkNone;
    mutable size_t FPosCount = 0;
    mutable std::int64_t FPosBase = 0;
    mutable std::vector<std::int32_t> FPosDense;
    mutable std::vector<std::pair<std::int64_t, std::int32_t>> FPosPairs;
    TPageCache FPage;
    int FPageSize = 64;
    int FNextPageStart = -1;
    std::map<std::pair<int, int>, std::unique_ptr<TSQLiteStatement>> FFetch;  // (column, slots)
    // The statement listing the keyset and its text, kept between refreshes.
    mutable std::unique_ptr<TSQLiteStatement> FKeysetStatement;
    mutable std::string FKeysetSQL;
    std::map<std::string, TLocatePlan> FLocatePlans;
    // Cached results.
    TRowStore FRows;
};

// ---------------------------------------------------------------------------------------
// Index definitions

enum TIndexOption : std::uint32_t { ixPrimary = 1u << 0, ixUnique = 1u << 1, ixDescending = 1u << 2 };
using TIndexOptions = std::uint32_t;

class TIndexDef : public TObject {
public:
    TIndexDef(std::string Name, std::string Fields, TIndexOptions Options)
        : FName(std::move(Name)), FFields(std::move(Fields)), FOptions(Options)
    {
    }
    const std::string& Name() const { return FName; }
    // The indexed field names joined with ";".
    const std::string& Fields() const { return FFields; }
    TIndexOptions Options() const { return FOptions; }

private:
    std::string FName;
    std::string FFields;
    TIndexOptions FOptions;
};

class TTable;

// The indexes of a table: its primary key (named "PRIMARY") and its other indexes whose
// keys are plain columns, read from the database by Update.
class TIndexDefs : public TObject {
public:
    explicit TIndexDefs(TTable* ATable) : FTable(ATable) {}
    void Update();
    int Count() const { return static_cast<int>(FItems.size()); }
    TIndexDef* Items(int Index) const;
    TIndexDef* Find(const std::string& Name) const;  // raises "Index 'X' not found"
    TIndexDef* FindIndex(const std::string& Name) const;  // nullptr when absent
    void Clear() { FItems.clear(); }

private:
    friend class TTable;
    TTable* FTable;
    std::vector<std::unique_ptr<TIndexDef>> FItems;
};

// ---------------------------------------------------------------------------------------
// Table

class TTable : public TDBDataSet {
public:
    explicit TTable(TComponent* AOwner);
    ~TTable() override;

    const std::string& TableName() const { return FTableName; }
    void SetTableName(const std::string& Value);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);

    TIndexDefs* IndexDefs() { return &FIndexDefs; }
    // Orders the records by a named index ("" and "PRIMARY": the primary key).
    const std::string& IndexName() const { return FIndexName; }
    void SetIndexName(const std::string& Value);
    // Orders the records by fields (";"-joined); clears IndexName.
    const std::string& IndexFieldNames() const { return FIndexFieldNames; }
    void SetIndexFieldNames(const std::string& Value);
    // The fields of the current order.
    int IndexFieldCount() const;
    TField* IndexFields(int Index) const;

    // Key search on the current order: SetKey, assign the key fields, GotoKey; or FindKey
    // with the values of the first index fields. True and moved when found.
    void SetKey();
    bool GotoKey();
    bool FindKey(const std::vector<Variant>& KeyValues);

    // Detail tables: the records whose index fields (or, without an index, the fields
    // named like the master fields) equal the master record's MasterFields.
    TDataSource* MasterSource() const;
    void SetMasterSource(TDataSource* Value);
    const std::string& MasterFields() const { return FMasterFields; }
    void SetMasterFields(const std::string& Value);

    void GetDetailLinkFields(std::vector<TField*>& MasterFields, std::vector<TField*>& DetailFields) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

protected:
    TSourceInfo DescribeSource() override;
    void BindParams(TSQLiteStatement& Statement) override;
    bool IsFieldIndexed(const TField* Field) const override;
    void InitNewRecord(std::vector<Variant>& Values) override;
    void FieldsCreated() override;

private:
    class TMasterLink;
    friend class TIndexDefs;
    friend class TMasterLink;
    void MasterChanged();
    std::vector<std::string> OrderFieldNames() const;
    std::vector<std::string> DetailFieldNames() const;
    void ReadIndexDefs(TDatabase* Db);
    void ChangeOrder();
    std::string MasterCondition() const;

    std::string FTableName;
    bool FReadOnly = false;
    TIndexDefs FIndexDefs{this};
    std::string FIndexName;
    std::string FIndexFieldNames;
    bool FIndexDescending = false;
    std::string FMasterFields;
    std::unique_ptr<TMasterLink> FMasterLink;
    std::vector<TField*> FIndexFields;
};

// ---------------------------------------------------------------------------------------
// Parameters

class TParam : public TObject {
public:
    explicit TParam(std::string Name, TFieldType Type = ftUnknown) : FName(std::move(Name)), FDataType(Type) {}
    const std::string& Name() const { return FName; }
    TFieldType DataType() const { return FDataType; }
    void SetDataType(TFieldType Value) { FDataType = Value; }
    const Variant& Value() const { return FValue; }
    void SetValue(const Variant& V);
    bool IsNull() const { return FValue.IsNullOrEmpty(); }
    bool Bound() const { return FBound; }
    void Clear() { FValue = Variant::Null(); }
    std::string AsString() const { return VarToStr(FValue); }
    void SetAsString(const std::string& V) { SetValue(Variant(V)); }
    std::int64_t AsInteger() const { return IsNull() ? 0 : FValue.AsInteger(); }
    void SetAsInteger(std::int64_t V) { SetValue(Variant(static_cast<long long>(V))); }
    double AsFloat() const { return IsNull() ? 0.0 : FValue.AsFloat(); }
    void SetAsFloat(double V) { SetValue(Variant(V)); }
    TDateTime AsDateTime() const { return IsNull() ? 0.0 : FValue.AsDateTime(); }
    void SetAsDateTime(TDateTime V) { SetValue(Variant::FromDateTime(V)); }
    void Assign(const TParam& Other);

private:
    std::string FName;
    TFieldType FDataType;
    Variant FValue = Variant::Null();
    bool FBound = false;
};

class TParams : public TObject {
public:
    int Count() const { return static_cast<int>(FItems.size()); }
    TParam* Items(int Index) const;
    TParam* FindParam(const std::string& Name) const;  // case-insensitive; nullptr when absent
    TParam* ParamByName(const std::string& Name) const;  // raises "Parameter 'X' not found"
    TParam* CreateParam(TFieldType Type, const std::string& Name);
    void Clear() { FItems.clear(); }
    // Copies the other list (names, types and values).
    void Assign(const TParams& Other);
    // Copies values into the parameters of the same names.
    void AssignValues(const TParams& Other);
    // Gives each parameter the value of the master's field of the same name (a detail
    // query following its master); nothing when the master is missing or closed.
    void AssignFieldValues(const TDataSet* Master);
    // The link of a detail query to its master: each parameter named like a master field
    // links that field; the detail side is Detail's field of the same name, when it has one.
    void GetLinkFields(const TDataSet* Master, const TDataSet* Detail, std::vector<TField*>& MasterFields,
                       std::vector<TField*>& DetailFields) const;

    // The names of the ":name" parameters of an SQL text, in order of first use
    // (texts in quotes and comments are skipped, "::" is not a parameter).
    static std::vector<std::string> ParseNames(const std::string& SQL);

private:
    std::vector<std::unique_ptr<TParam>> FItems;
};

// ---------------------------------------------------------------------------------------
// Query

class TQuery : public TDBDataSet {
public:
    explicit TQuery(TComponent* AOwner);
    ~TQuery() override;

    // The SQL lines. Changing them closes the query and rebuilds Params. A parameter
    // keeps the value last given to a parameter of its name, also across a change that
    // removed it for a while (SQL()->Clear() then Add()).
    TStringList* SQL() { return &FSQL; }
    const TStringList* SQL() const { return &FSQL; }
    TParams* Params() { return &FParams; }
    int ParamCount() const { return FParams.Count(); }
    TParam* ParamByName(const std::string& Name) const { return FParams.ParamByName(Name); }

    // A master whose current record fills the parameters named like its fields; the
    // query re-opens when the master moves.
    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* Value);
    // Results are editable only when this is set and the statement is a SELECT of one
    // table's columns.
    bool RequestLive() const { return FRequestLive; }
    void SetRequestLive(bool Value);

    // Compiles the statement as opening the query would (one statement that only reads
    // and returns rows, under the read-only guard) without running it; raises
    // EDatabaseError with the engine's message when it does not compile. Statements for
    // ExecSQL need no preparing.
    void Prepare();
    void UnPrepare() { FPrepared = false; }
    bool Prepared() const { return FPrepared; }
    // Runs a statement that returns no rows (INSERT, UPDATE, DELETE, DDL).
    void ExecSQL();
    int RowsAffected() const { return FRowsAffected; }

    void GetDetailLinkFields(std::vector<TField*>& MasterFields, std::vector<TField*>& DetailFields) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

protected:
    TSourceInfo DescribeSource() override;
    void BindParams(TSQLiteStatement& Statement) override;

private:
    class TParamLink;
    friend class TParamLink;
    void SQLChanged();
    void MasterChanged();
    void FillParamsFromMaster();
    std::string StatementText() const;

    TStringList FSQL;
    TParams FParams;
    TParams FParamValues;  // last values by name, kept across SQL changes
    std::unique_ptr<TParamLink> FParamLink;
    bool FRequestLive = false;
    bool FPrepared = false;
    int FRowsAffected = 0;
};

// ---------------------------------------------------------------------------------------
// Blob stream

enum TBlobStreamMode { bmRead, bmWrite, bmReadWrite };

// Reads the contents of a memo or blob field of the current record.
class TBlobStream : public TObject {
public:
    // Only bmRead is supported; other modes raise EDatabaseError.
    TBlobStream(TBlobField* Field, TBlobStreamMode Mode);
    // Copies up to Count bytes; returns the number copied (0 at the end).
    int Read(void* Buffer, int Count);
    std::int64_t Size() const { return static_cast<std::int64_t>(FData.size()); }
    std::int64_t Position() const { return FPosition; }
    void SetPosition(std::int64_t Value);

private:
    std::string FData;
    std::int64_t FPosition = 0;
};

}  // namespace korin
