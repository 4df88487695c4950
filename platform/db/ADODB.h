#pragma once
// The connection layer: datasets on a PostgreSQL server, reached through libpq.
//
// A TADOConnection holds one server connection (a libpq connection string such as
// "host=/tmp/pg port=5432 dbname=shop user=clerk"). Its datasets — TADOQuery (SQL lines
// with ":name" parameters), TADOTable (a table by name) and TADODataSet (a command text)
// — are TDataSets like TTable and TQuery: cursor, states, bookmarks, Locate, filters and
// posting behave the same, so controls and the navigator drive them unchanged.
//
// Reading. Opening a dataset runs, inside one REPEATABLE READ transaction (READ ONLY when
// ReadOnlyTransaction is set or a filter is applied; such a transaction is rolled back at
// the end, so nothing the text did stays) a NO SCROLL cursor over the command, read in
// batches of CacheSize rows. The expected total is the server planner's estimate of the
// command's rows (the command is planned, not run, so no row is read twice): never less
// than the rows read so far, and the exact count in the last event of a fetch.
// After each batch OnFetchProgress reports the rows read so far and the expected total,
// the engine's progress callbacks hear of it, and the application's wait procedure runs
// (it processes pending messages, so forms repaint). A handler answering esCancel stops
// the reading; the rows read so far stay. Records are kept client-side, packed.
//
// In the background (FetchInBackground, where the application's loop runs the engine's
// idle work) Open returns after the first batch and each idle turn reads one more; what
// needs the whole result or the connection (Last, moves past the records read, Locate,
// filters, Refresh, Edit, Post, Delete, Append, another statement on the connection)
// reads the rest first; Close abandons it (ROLLBACK ends the cursor with its
// transaction). A failed batch keeps the records read and ends the reading.
//
// Safety. Every statement goes through the extended protocol, so one text is always one
// statement; values (parameters, keys, posted values) always travel as parameters;
// identifiers are quoted by the server's rules. A filter is an SQL boolean expression over
// the field names, evaluated by the server around the command.
//
// Writing. Records are editable when every column of the result comes from one table
// with a primary key that the result contains: Post writes the changed fields
// (UPDATE ... WHERE key, or INSERT ... RETURNING the record as stored, so defaults and
// serial numbers show), Delete deletes by key. A refused write raises EDatabaseError with
// the server's message and leaves the dataset editing with the user's values.
//
// Lifetime. A dataset or connection freed while a fetch gives the application a turn (its
// progress handler, the wait procedure) stops the fetch without touching what was freed:
// a freed dataset makes Open or Refresh raise EDataSetFreed, a freed connection closes
// its datasets and the fetch raises "The connection was freed while records were being
// read"; a connection still there has its transaction rolled back.
//
// Errors carry the server's own text. A connection lost while reading (the server went
// away) raises that text; the dataset then closes (when opening) or keeps the records it
// had (when refreshing or filtering), and the connection reports itself disconnected.
//
// Types: int2 smallint, int4 integer, int8 large integer (serial columns auto-increment),
// float4/float8/numeric float, bool Boolean, date, time, timestamp[tz] date-time (read in
// the connection's time zone), bytea blob, char/varchar/text and every other type text.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "korin/platform/core/StringList.h"
#include "korin/platform/db/DB.h"
#include "korin/platform/db/DBTables.h"

struct pg_conn;    // libpq's connection
struct pg_result;  // libpq's result

namespace korin {

class TCustomADODataSet;

// Whether the application's loop runs the engine's idle work (DoEngineIdleWork), so that
// datasets may read in the background; the data-aware controls' registration says so.
// Without it every fetch reads all its records before Open returns.
void SetBackgroundFetchAvailable(bool Value);
bool BackgroundFetchAvailable();

enum TEventStatus { esOK, esErrorsOccured, esCantDeny, esCancel, esUnwantedEvent };

// Fired after each batch of a fetch: rows fetched so far, expected total. Setting
// EventStatus to esCancel stops the fetch; the rows fetched so far stay.
using TFetchProgressEvent =
    std::function<void(TDataSet* DataSet, int Progress, int MaxProgress, TEventStatus& EventStatus)>;

// A statement's parameter values in server text form (nullopt stands for NULL) with,
// for each, whether it is binary (bytea) data.
struct TPGParams {
    std::vector<std::string> Values;
    std::vector<bool> IsNull;
    std::vector<bool> Binary;
    void Add(const Variant& Value, TFieldType Type = ftUnknown);
    int Count() const { return static_cast<int>(Values.size()); }
};

// Owns a libpq result.
class TPGResult {
public:
    TPGResult() = default;
    explicit TPGResult(pg_result* R) : FRes(R) {}
    TPGResult(TPGResult&& O) noexcept : FRes(O.FRes) { O.FRes = nullptr; }
    TPGResult& operator=(TPGResult&& O) noexcept;
    TPGResult(const TPGResult&) = delete;
    TPGResult& operator=(const TPGResult&) = delete;
    ~TPGResult();
    pg_result* Handle() const { return FRes; }
    int Rows() const;
    int Columns() const;
    bool IsNull(int Row, int Column) const;
    std::string Text(int Row, int Column) const;
    const char* Raw(int Row, int Column) const;
    int Length(int Row, int Column) const;
    // Rows changed by an INSERT, UPDATE or DELETE (0 for others).
    int RowsAffected() const;

private:
    pg_result* FRes = nullptr;
};

// ---------------------------------------------------------------------------------------
// Connection

class TADOConnection : public TComponent {
public:
    explicit TADOConnection(TComponent* AOwner);
    ~TADOConnection() override;

    // The libpq connection string ("host=... port=... dbname=... user=..."). Changing it
    // while connected raises.
    const std::string& ConnectionString() const { return FConnectionString; }
    void SetConnectionString(const std::string& Value);

    bool Connected() const { return FConn != nullptr; }
    void SetConnected(bool Value);
    // Connects; raises EDatabaseError with the server's (or libpq's) own text.
    void Open() { SetConnected(true); }
    // Closes the datasets of this connection, then the connection.
    void Close() { SetConnected(false); }

    // Runs the application's own statements (several may be separated by ";"); returns
    // the rows changed by the last. Not for user text: use parameters for values.
    int Execute(const std::string& SQL);
    // Runs one statement with $1.. parameters; returns the rows it changed.
    int Execute(const std::string& SQL, const std::vector<Variant>& Params);
    // Runs one statement with $1.. parameters and returns the first column of its first
    // row (Null when there is none).
    Variant ExecuteScalar(const std::string& SQL, const std::vector<Variant>& Params = {});

    // The server process serving this connection (0 when not connected).
    int BackendPID() const;
    // True while a dataset reads records through the connection; other statements are
    // refused meanwhile.
    bool Busy() const { return FBusy; }

    int DataSetCount() const { return static_cast<int>(FDataSets.size()); }
    TCustomADODataSet* DataSets(int Index) const;

    TNotifyEvent BeforeConnect, AfterConnect, BeforeDisconnect, AfterDisconnect;

    // --- for the datasets ------------------------------------------------------------
    pg_conn* Handle() const { return FConn; }
    // Runs one statement through the extended protocol and waits for its result, giving
    // the application's wait procedure turns meanwhile (a cancel request stops the
    // statement with "Operation cancelled"). Raises EDatabaseError with the server's text
    // when the statement fails; a lost connection is closed.
    TPGResult Run(const std::string& SQL, const TPGParams& Params = {});
    // Has the server parse and analyse one statement with ParamCount parameters ($1..)
    // without running it; returns the number of columns its rows would have. Raises
    // EDatabaseError with the server's text when it does not compile.
    int Describe(const std::string& SQL, int ParamCount);
    // Quotes an identifier by the server's rules.
    std::string QuoteIdentifier(const std::string& Name) const;
    // Raises when not connected or busy; a dataset still reading in the background
    // finishes its reading first (Esc there raises "Operation cancelled").
    void CheckFree();
    // The dataset whose fetch keeps a cursor open on the connection between the
    // application's idle turns (null when none).
    TCustomADODataSet* ReadingDataSet() const { return FReading; }
    void SetBusy(bool Value) { FBusy = Value; }
    // The connection broke: forget it (datasets keep their records).
    void ConnectionLost();
    // Cleared when the connection is destroyed: code that gave the application a turn
    // checks it before touching the connection again.
    const std::shared_ptr<bool>& AliveToken() const { return FAlive; }

private:
    friend class TCustomADODataSet;
    [[noreturn]] void RaiseError(pg_result* Res);
    TPGResult Wait();

    std::string FConnectionString;
    pg_conn* FConn = nullptr;
    bool FBusy = false;
    TCustomADODataSet* FReading = nullptr;
    std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
    std::vector<TCustomADODataSet*> FDataSets;
};

// ---------------------------------------------------------------------------------------
// Datasets

class TCustomADODataSet : public TDataSet {
public:
    explicit TCustomADODataSet(TComponent* AOwner);
    ~TCustomADODataSet() override;

    TADOConnection* Connection() const { return FConnection; }
    void SetConnection(TADOConnection* Value);

    TFetchProgressEvent OnFetchProgress;

    // The statement that reads the rows runs in a READ ONLY transaction when set.
    bool ReadOnlyTransaction() const { return FReadOnlyTransaction; }
    void SetReadOnlyTransaction(bool Value) { FReadOnlyTransaction = Value; }
    // Rows read per batch (at least 1).
    int CacheSize() const { return FCacheSize; }
    void SetCacheSize(int Value) { FCacheSize = Value < 1 ? 1 : Value; }

    // Parameters (":name" in the command text).
    TParams* Params() { return &FParams; }
    const TParams* Params() const { return &FParams; }
    int ParamCount() const { return FParams.Count(); }
    TParam* ParamByName(const std::string& Name) const { return FParams.ParamByName(Name); }
    // A master whose current record fills the parameters named like its fields; the
    // dataset re-opens when the master moves.
    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* Value);

    bool CanModify() const override;

    // Reading in the background (the default where the application's loop runs the
    // engine's idle work, see BackgroundFetchAvailable): Open returns after the first
    // batch, with those records browsable, and the rest arrive one batch per idle turn,
    // appended without moving the current record. Off: Open returns when every record is
    // there.
    bool FetchInBackground() const { return FFetchInBackground; }
    void SetFetchInBackground(bool Value) { FFetchInBackground = Value; }
    // True while records are still to come in the background.
    bool Fetching() const { return FPending != nullptr; }
    // Reads the records still to come now, with progress events and the application's
    // turns; Esc (a cancel request) stops the reading, keeps the records read and raises
    // "Operation cancelled". Nothing when the fetch is complete.
    void FetchAll();
    // The rows read by the last fetch, and the total it expected (the planner's estimate
    // while records are still to come; the exact count when the fetch is complete).
    // RecordCount counts the records read so far.
    int RecordsFetched() const { return FFetched; }
    int ExpectedRecords() const { return FExpected; }

    void GetDetailLinkFields(std::vector<TField*>& MasterFields, std::vector<TField*>& DetailFields) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

protected:
    // The statement the dataset reads (":name" parameters allowed), without a trailing
    // ";". Empty: "No SQL statement available".
    virtual std::string CommandSQL() = 0;
    // Extra parameter values (for $n placeholders of CommandSQL, numbered after those of
    // the ":name" parameters); used by tables for their master condition.
    virtual void AddCommandParams(TPGParams& Params) {}
    // The command text changed: closes and rebuilds Params from it.
    void CommandChanged(const std::string& Text);
    // The master moved: re-open.
    virtual void MasterChanged();
    // Table fields named in the detail link (GetDetailLinkFields of tables).
    TDataSource* ParamSource() const;

    void InternalOpen() override;
    void InternalClose() override;
    int InternalRecordCount() const override { return static_cast<int>(FOrder.size()); }
    void InternalFetch(int Index, std::vector<Variant>& Values) override;
    std::int64_t InternalRecordKey(int Index) const override;
    int InternalIndexOfKey(std::int64_t Key) const override;
    int InternalPost(bool Inserting, int Index, const std::vector<Variant>& Values,
                     const std::vector<bool>& Changed) override;
    void InternalDelete(int Index) override;
    void InternalRefresh() override;
    // Editable datasets read the record again from the server (Edit starts from what is
    // stored now); a record gone meanwhile stays as it was read.
    void InternalInvalidate(int Index) override;
    void InternalSetFilter(const std::string& Filter) override;
    void InitNewRecord(std::vector<Variant>& Values) override {}
    void InternalNeedRecords(int Index) override;
    int InternalLocate(const std::vector<TField*>& Fields, const std::vector<Variant>& Values,
                       TLocateOptions Options) override;

private:
    class TParamLink;
    friend class TParamLink;
    friend class TADOConnection;
    // What one read of the command produced.
    struct TFetch {
        std::vector<TFieldDesc> Descs;
        std::vector<unsigned> Types;  // the server's type of each column
        TRowStore Rows;
        std::vector<std::uint32_t> Order;
        std::vector<std::int64_t> Keys;
        std::string TableName;
        std::vector<std::string> TableColumns;
        std::vector<int> KeyFields;
        bool IntegerKey = false;
        int Fetched = 0;
        int Expected = 0;
        size_t TextBytes = 0;  // text read so far
        // The reading itself: the batch statement, whether the transaction only reads,
        // the total the last event reported, the idle work of a background fetch.
        std::string FetchSQL;
        bool ReadOnly = false;
        bool First = true;
        bool DescribeFields = false;
        int Reported = -1;
        int IdleWork = 0;
    };
    // Reads the records of the command under Filter into Into (fields described on the
    // first batch when Describe is set). Raises and leaves the dataset's records alone.
    // With MayContinue it returns after the first non-empty batch when more may come,
    // answering true: the cursor stays open for ContinueFetch.
    bool Fetch(const std::string& Filter, TFetch& Into, bool Describe, bool MayContinue = false);
    struct TFetchGuard;
    struct TFetchBusy;
    // Reads one batch into Into (Live: straight into the dataset's records, telling the
    // controls) and reports it; true when the fetch is complete.
    bool FetchBatch(TFetch& Into, const TFetchGuard& Guard, bool Live, bool Turn);
    // One batch of the background fetch (Turn: the application gets its turn after it).
    void ContinueFetch(bool Turn);
    // The background fetch ends: its idle work goes, the connection is free again.
    static void StopPending(const std::shared_ptr<TFetch>& Pending, const TFetchGuard& Guard);
    // Close: a background fetch is abandoned and its transaction rolled back.
    void CancelFetch();
    // One idle turn's work; true when a batch was read.
    bool IdleStep();
    void Describe(const TPGResult& Res, TFetch& Into, const TFetchGuard& Guard);
    void Adopt(TFetch& From);
    void ConvertRow(const TPGResult& Res, int Row, TFetch& Into);
    std::int64_t KeyOfRow(const std::vector<Variant>& Values, TFetch& Into);
    void FillParamsFromMaster();
    // The table columns of the fields (those that have one), comma-separated.
    std::string TableColumnList() const;
    // Adds "col = $n AND ..." for the key of the record at Index; returns the condition.
    std::string KeyCondition(int Index, TPGParams& Params);
    // Stores Row as the record at Index (Inserting: a new record there).
    void StoreRecord(int Index, bool Inserting, const std::vector<Variant>& Row);
    std::vector<Variant> StoredRow(const TPGResult& Res, const std::vector<Variant>& Base);
    void BuildStatement(const std::string& Filter, std::string& SQL, TPGParams& Values);

    TADOConnection* FConnection = nullptr;
    bool FReadOnlyTransaction = false;
    int FCacheSize = 1000;
    TParams FParams;
    TParams FParamValues;  // last values by name, kept across command changes
    std::unique_ptr<TParamLink> FParamLink;
    int FFetched = 0;
    int FExpected = 0;

    // The records: packed values, the record list (positions into the store) and each
    // record's key.
    TRowStore FRows;
    std::vector<std::uint32_t> FOrder;
    std::vector<std::int64_t> FKeys;
    mutable std::unordered_map<std::int64_t, int> FPosOfKey;
    mutable bool FPosValid = false;
    // Editing: the table written, its quoted name, the columns (one per field: the table
    // column's quoted name, or empty when the field is not a column of it), the key
    // fields.
    std::vector<std::string> FTableColumns;
    std::vector<int> FKeyFields;
    std::string FTableName;
    bool FIntegerKey = false;
    std::unordered_map<std::string, std::int64_t> FKeyIds;
    std::int64_t FNextKeyId = 1;
    bool FFetching = false;
    bool FAbandon = false;
    bool FFetchInBackground = true;
    std::shared_ptr<TFetch> FPending;
    // Cleared when the dataset is destroyed (see TFetchGuard in the reading code).
    std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};

// A dataset reading SQL lines.
class TADOQuery : public TCustomADODataSet {
public:
    explicit TADOQuery(TComponent* AOwner);
    ~TADOQuery() override;
    // The SQL lines. Changing them closes the query and rebuilds Params (a parameter
    // keeps the value last given to a parameter of its name).
    TStringList* SQL() { return &FSQL; }
    const TStringList* SQL() const { return &FSQL; }
    // Has the server compile the statement as opening the query would (one statement that
    // returns rows) without running it; raises EDatabaseError with the server's message
    // when it does not compile.
    void Prepare();
    void UnPrepare() { FPrepared = false; }
    bool Prepared() const { return FPrepared; }
    // Runs a statement that returns no rows, with the parameters; returns the rows changed.
    int ExecSQL();
    int RowsAffected() const { return FRowsAffected; }

protected:
    std::string CommandSQL() override;

private:
    TStringList FSQL;
    int FRowsAffected = 0;
    bool FPrepared = false;
};

// A dataset reading a command text (an SQL statement).
class TADODataSet : public TCustomADODataSet {
public:
    explicit TADODataSet(TComponent* AOwner);
    ~TADODataSet() override;
    const std::string& CommandText() const { return FCommandText; }
    void SetCommandText(const std::string& Value);

protected:
    std::string CommandSQL() override;

private:
    std::string FCommandText;
};

// A dataset reading one table, ordered by IndexFieldNames or else by its primary key.
class TADOTable : public TCustomADODataSet {
public:
    explicit TADOTable(TComponent* AOwner);
    ~TADOTable() override;
    // The table's name as SQL writes it ("orders", "sales.orders", "\"Order Lines\"").
    const std::string& TableName() const { return FTableName; }
    void SetTableName(const std::string& Value);
    // The command text of a table is its name.
    const std::string& CommandText() const { return FTableName; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value) { FReadOnly = Value; }
    bool CanModify() const override { return !FReadOnly && TCustomADODataSet::CanModify(); }
    // Orders the records by these fields (";"-joined).
    const std::string& IndexFieldNames() const { return FIndexFieldNames; }
    void SetIndexFieldNames(const std::string& Value);

    // Detail tables: the records whose fields named by IndexFieldNames (or, without them,
    // named like the master fields) equal the master record's MasterFields.
    TDataSource* MasterSource() const { return DataSource(); }
    void SetMasterSource(TDataSource* Value) { SetDataSource(Value); }
    const std::string& MasterFields() const { return FMasterFields; }
    void SetMasterFields(const std::string& Value);

    void GetDetailLinkFields(std::vector<TField*>& MasterFields, std::vector<TField*>& DetailFields) override;

protected:
    std::string CommandSQL() override;
    void AddCommandParams(TPGParams& Params) override;
    void MasterChanged() override;
    // A new detail record starts with the master's values in its link fields.
    void InitNewRecord(std::vector<Variant>& Values) override;

private:
    std::vector<std::string> DetailFieldNames() const;
    std::string FTableName;
    std::string FIndexFieldNames;
    std::string FMasterFields;
    bool FReadOnly = false;
    // The master values the open used (Null without a master).
    std::vector<Variant> FMasterValues;
};

}  // namespace korin
