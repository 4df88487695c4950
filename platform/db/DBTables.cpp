#include "korin/platform/db/DBTables.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "korin/platform/db/SQLiteEngine.h"

namespace korin {

namespace {

std::string UpperAscii(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool SameText(const std::string& a, const std::string& b) { return UpperAscii(a) == UpperAscii(b); }

std::string Trim(const std::string& s)
{
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos)
        return "";
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

// Joins non-empty SQL conditions with AND, each in parentheses; "" when none.
std::string JoinConditions(const std::vector<std::string>& conds)
{
    std::string out;
    for (const auto& c : conds) {
        if (c.empty())
            continue;
        if (!out.empty())
            out += " AND ";
        out += "(" + c + ")";
    }
    return out;
}

// Scans SQL text outside quotes and comments; calls f(position) for each such char.
template <class F>
void ScanCode(const std::string& sql, F f)
{
    size_t i = 0;
    const size_t n = sql.size();
    while (i < n) {
        char c = sql[i];
        if (c == '\'' || c == '"' || c == '`' || c == '[') {
            char close = c == '[' ? ']' : c;
            ++i;
            while (i < n) {
                if (sql[i] == close) {
                    if (close != ']' && i + 1 < n && sql[i + 1] == close) {
                        i += 2;
                        continue;
                    }
                    break;
                }
                ++i;
            }
            ++i;
            continue;
        }
        if (c == '-' && i + 1 < n && sql[i + 1] == '-') {
            while (i < n && sql[i] != '\n')
                ++i;
            continue;
        }
        if (c == '/' && i + 1 < n && sql[i + 1] == '*') {
            size_t e = sql.find("*/", i + 2);
            i = e == std::string::npos ? n : e + 2;
            continue;
        }
        if (!f(i))
            return;
        ++i;
    }
}

// Upper-cased words of the SQL text outside quotes and comments.
std::vector<std::string> CodeWords(const std::string& sql)
{
    std::vector<std::string> words;
    std::string cur;
    ScanCode(sql, [&](size_t i) {
        char c = sql[i];
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '_') {
            cur += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        } else if (!cur.empty()) {
            words.push_back(cur);
            cur.clear();
        }
        return true;
    });
    if (!cur.empty())
        words.push_back(cur);
    return words;
}

bool gSessionAlive = false;

// Reading a result reports progress every this many rows.
constexpr size_t kProgressRows = 16384;

}  // namespace

// ---------------------------------------------------------------------------------------
// Session

static TSession gDefaultSession(nullptr);
TSession* Session = &gDefaultSession;

TSession::TSession(TComponent* AOwner) : TComponent(AOwner)
{
    if (this == &gDefaultSession)
        gSessionAlive = true;
}

TSession::~TSession()
{
    std::vector<TDatabase*> dbs = FDatabases;
    for (TDatabase* db : dbs) {
        db->Close();
        if (db->Temporary())
            db->Free();
    }
    FDatabases.clear();
    if (this == &gDefaultSession)
        gSessionAlive = false;
}

namespace {

std::vector<TBDEInitProc>& InitProcs()
{
    static std::vector<TBDEInitProc> procs;
    return procs;
}

std::vector<TBDECallback*>& Callbacks()
{
    static std::vector<TBDECallback*> list;
    return list;
}

}  // namespace

void RegisterBDEInitProc(TBDEInitProc InitProc)
{
    if (InitProc)
        InitProcs().push_back(std::move(InitProc));
}

TBDECallback::TBDECallback(TObject* AOwner, void*, TCBType CBType, void* Buffer, int BufferSize,
                           TBDECallbackEvent CallbackEvent, bool Chain)
    : FOwner(AOwner), FCBType(CBType), FBuffer(Buffer), FBufferSize(BufferSize), FEvent(std::move(CallbackEvent)),
      FChain(Chain)
{
    Callbacks().push_back(this);
}

TBDECallback::~TBDECallback()
{
    auto& v = Callbacks();
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
}

void TBDECallback::ReportProgress(int PercentDone, const std::string& Message)
{
    CBPROGRESSDesc desc{};
    desc.iPercentDone = static_cast<std::int16_t>(std::clamp(PercentDone, -1, 100));
    std::memcpy(desc.szMsg, Message.data(), std::min(Message.size(), sizeof desc.szMsg - 1));
    // The newest callback first; older ones while each asks for chaining.
    std::vector<TBDECallback*> list = Callbacks();
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        TBDECallback* cb = *it;
        if (cb->FCBType != cbGENPROGRESS)
            continue;
        if (std::find(Callbacks().begin(), Callbacks().end(), cb) == Callbacks().end())
            continue;  // freed by an earlier handler
        if (cb->FBuffer && cb->FBufferSize > 0)
            std::memcpy(cb->FBuffer, &desc, std::min<size_t>(sizeof desc, static_cast<size_t>(cb->FBufferSize)));
        bool chain = cb->FChain;
        TCBRType answer = cb->FEvent ? cb->FEvent(cb->FBuffer) : cbrUSEDEF;
        if (answer == cbrABORT)
            throw EDatabaseError("Operation aborted");
        if (!chain)
            break;
    }
}

void TSession::SetActive(bool Value)
{
    if (Value == FActive)
        return;
    FActive = Value;
    if (FActive) {
        if (OnStartup)
            OnStartup(this);
        std::vector<TBDEInitProc> procs = InitProcs();
        for (auto& p : procs)
            p(this);
    } else {
        std::vector<TDatabase*> dbs = FDatabases;
        for (TDatabase* db : dbs)
            db->Close();
    }
}

void TSession::AddAlias(const std::string& Name, const std::string& Path)
{
    if (Name.empty())
        throw EDatabaseError("Alias name missing");
    FAliases[UpperAscii(Name)] = Path;
    FAliasNames[UpperAscii(Name)] = Name;
}

void TSession::DeleteAlias(const std::string& Name)
{
    FAliases.erase(UpperAscii(Name));
    FAliasNames.erase(UpperAscii(Name));
}

bool TSession::IsAlias(const std::string& Name) const { return FAliases.count(UpperAscii(Name)) != 0; }

std::string TSession::GetAliasPath(const std::string& Name) const
{
    auto it = FAliases.find(UpperAscii(Name));
    if (it == FAliases.end())
        throw EDatabaseError("Unknown alias: " + Name);
    return it->second;
}

void TSession::GetAliasNames(std::vector<std::string>& List) const
{
    List.clear();
    for (const auto& [k, v] : FAliasNames)
        List.push_back(v);
}

void TSession::GetDatabaseNames(std::vector<std::string>& List) const
{
    GetAliasNames(List);
    for (TDatabase* db : FDatabases)
        if (!db->Temporary() && !db->DatabaseName().empty() &&
            std::find(List.begin(), List.end(), db->DatabaseName()) == List.end())
            List.push_back(db->DatabaseName());
}

TDatabase* TSession::Databases(int Index) const
{
    if (Index < 0 || Index >= DatabaseCount())
        throw EDatabaseError("List index out of bounds (" + std::to_string(Index) + ")");
    return FDatabases[static_cast<size_t>(Index)];
}

TDatabase* TSession::FindDatabase(const std::string& DatabaseName) const
{
    for (TDatabase* db : FDatabases)
        if (SameText(db->DatabaseName(), DatabaseName))
            return db;
    return nullptr;
}

TDatabase* TSession::OpenDatabase(const std::string& DatabaseName)
{
    if (Trim(DatabaseName).empty())
        throw EDatabaseError("Database name missing");
    TDatabase* db = FindDatabase(DatabaseName);
    if (!db) {
        db = new TDatabase(this);
        db->FDatabaseName = DatabaseName;
        db->FTemporary = true;
        db->FKeepConnection = false;
    }
    try {
        db->Open();
    } catch (...) {
        if (db->Temporary() && db->FRefCount == 0)
            db->Free();
        throw;
    }
    ++db->FRefCount;
    return db;
}

void TSession::CloseDatabase(TDatabase* Database)
{
    if (!Database)
        return;
    if (Database->FRefCount > 0)
        --Database->FRefCount;
    if (Database->FRefCount > 0)
        return;
    if (Database->Temporary())
        Database->Free();
    else if (!Database->KeepConnection())
        Database->Close();
}

// ---------------------------------------------------------------------------------------
// Database

TDatabase::TDatabase(TComponent* AOwner) : TComponent(AOwner)
{
    if (gSessionAlive)
        Session->FDatabases.push_back(this);
}

TDatabase::~TDatabase()
{
    BeforeDestruction();
    Close();
    if (gSessionAlive) {
        auto& v = Session->FDatabases;
        v.erase(std::remove(v.begin(), v.end(), this), v.end());
    }
}

void TDatabase::CheckInactive() const
{
    if (Connected())
        throw EDatabaseError("Cannot perform this operation on an open database");
}

void TDatabase::SetDatabaseName(const std::string& Value)
{
    if (Value == FDatabaseName)
        return;
    CheckInactive();
    FDatabaseName = Value;
}

void TDatabase::SetAliasName(const std::string& Value)
{
    if (Value == FAliasName)
        return;
    CheckInactive();
    FAliasName = Value;
}

void TDatabase::SetReadOnly(bool Value)
{
    if (Value == FReadOnly)
        return;
    CheckInactive();
    FReadOnly = Value;
}

std::string TDatabase::FileName() const
{
    if (!FAliasName.empty())
        return Session->GetAliasPath(FAliasName);
    if (Session->IsAlias(FDatabaseName))
        return Session->GetAliasPath(FDatabaseName);
    return FDatabaseName;
}

TDBDataSet* TDatabase::DataSets(int Index) const
{
    if (Index < 0 || Index >= DataSetCount())
        throw EDatabaseError("List index out of bounds (" + std::to_string(Index) + ")");
    return FDataSets[static_cast<size_t>(Index)];
}

void TDatabase::SetConnected(bool Value)
{
    if (Value == Connected())
        return;
    if (Value) {
        if (BeforeConnect)
            BeforeConnect(this);
        std::string path = FileName();
        if (Trim(path).empty())
            throw EDatabaseError("Database name missing");
        Session->SetActive(true);
        int flags = FReadOnly ? SQLITE_OPEN_READONLY : (SQLITE_OPEN_READWRITE | (FCreateIfMissing ? SQLITE_OPEN_CREATE : 0));
        sqlite3* h = nullptr;
        int rc = sqlite3_open_v2(path.c_str(), &h, flags, nullptr);
        if (rc == SQLITE_OK)
            rc = sqlite3_exec(h, "PRAGMA schema_version", nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) {
            std::string msg = h ? sqlite3_errmsg(h) : "out of memory";
            sqlite3_close_v2(h);
            throw EDatabaseError("Cannot open database '" + path + "': " + msg);
        }
        RegisterEngineFunctions(h);
        FReadOnlyFile = sqlite3_db_readonly(h, "main") == 1;
        FHandle = h;
        if (AfterConnect)
            AfterConnect(this);
    } else {
        if (BeforeDisconnect)
            BeforeDisconnect(this);
        // Keep this object alive while its datasets let go of it.
        ++FRefCount;
        std::vector<TDBDataSet*> sets = FDataSets;
        for (TDBDataSet* d : sets)
            d->Close();
        FRefCount = 0;
        sqlite3_close_v2(FHandle);
        FHandle = nullptr;
        FReadOnlyFile = false;
        if (AfterDisconnect)
            AfterDisconnect(this);
    }
}

int TDatabase::Execute(const std::string& SQL)
{
    if (!Connected())
        Open();
    const char* p = SQL.c_str();
    const char* end = p + SQL.size();
    int changes = 0;
    while (p < end) {
        sqlite3_stmt* st = nullptr;
        const char* tail = nullptr;
        if (sqlite3_prepare_v2(FHandle, p, static_cast<int>(end - p), &st, &tail) != SQLITE_OK)
            RaiseEngineError(FHandle);
        p = tail;
        if (!st)
            continue;
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        }
        if (rc != SQLITE_DONE) {
            std::string msg = sqlite3_errmsg(FHandle);
            sqlite3_finalize(st);
            throw EDatabaseError(msg);
        }
        changes = sqlite3_changes(FHandle);
        sqlite3_finalize(st);
    }
    return changes;
}

void TDatabase::StartTransaction() { Execute("BEGIN"); }
void TDatabase::Commit() { Execute("COMMIT"); }
void TDatabase::Rollback() { Execute("ROLLBACK"); }
bool TDatabase::InTransaction() const { return FHandle && sqlite3_get_autocommit(FHandle) == 0; }

// ---------------------------------------------------------------------------------------
// TDBDataSet

TDBDataSet::TDBDataSet(TComponent* AOwner) : TDataSet(AOwner) {}

TDBDataSet::~TDBDataSet() { Close(); }

void TDBDataSet::SetDatabaseName(const std::string& Value)
{
    if (Value == FDatabaseName)
        return;
    if (Active())
        throw EDatabaseError("Cannot perform this operation on an open dataset");
    FDatabaseName = Value;
}

bool TDBDataSet::CanModify() const
{
    return Active() && FKeyset && FSource.Modifiable && FDatabase && !FDatabase->ReadOnly();
}

void TDBDataSet::CheckFilterText(const std::string& Filter) const
{
    if (Filter.empty())
        return;
    // The filter is one expression: no statement separators, balanced parentheses.
    int depth = 0;
    bool bad = false;
    ScanCode(Filter, [&](size_t i) {
        char c = Filter[i];
        if (c == ';')
            bad = true;
        else if (c == '(')
            ++depth;
        else if (c == ')' && --depth < 0)
            bad = true;
        return !bad;
    });
    if (bad || depth != 0)
        throw EDatabaseError("Invalid filter expression: " + Filter);
}

void TDBDataSet::BuildList(const std::string& Filter, std::vector<std::int64_t>& Keys,
                           TRowStore& Rows) const
{
    CheckFilterText(Filter);
    sqlite3* db = FDatabase->Handle();
    Keys.clear();
    Rows.clear();
    if (FKeyset) {
        TSQLiteStatement st(db, FSource.KeysetSQL(Filter, ""));
        if (!st.ReadOnly() || st.HasTail())
            throw EDatabaseError("Invalid filter expression: " + Filter);
        const_cast<TDBDataSet*>(this)->BindParams(st);
        while (st.Step()) {
            if (st.ColumnIsNull(0))
                throw EDatabaseError("The rows have no row ids");
            Keys.push_back(st.ColumnInt64(0));
            if (Keys.size() % kProgressRows == 0)
                TBDECallback::ReportProgress(-1, "Records read: " + std::to_string(Keys.size()));
        }
        return;
    }
    TSQLiteStatement st(db, FSource.RowsSQL(Filter, ""));
    if (!st.ReadOnly() || st.HasTail())
        throw EDatabaseError("Invalid filter expression: " + Filter);
    const_cast<TDBDataSet*>(this)->BindParams(st);
    int n = std::min(st.ColumnCount(), static_cast<int>(FTypes.size()));
    Rows.Width = FTypes.size();
    while (st.Step()) {
        for (size_t i = 0; i < Rows.Width; ++i)
            Rows.Cells.push_back(static_cast<int>(i) < n ? st.ColumnAs(static_cast<int>(i), FTypes[i]) : Variant::Null());
        if (Rows.size() % kProgressRows == 0)
            TBDECallback::ReportProgress(-1, "Records read: " + std::to_string(Rows.size()));
    }
}

void TDBDataSet::InternalOpen()
{
    FDatabase = Session->OpenDatabase(FDatabaseName);
    try {
        sqlite3* db = FDatabase->Handle();
        FSource = DescribeSource();
        TSQLiteStatement desc(db, FSource.DescribeSQL);
        int n = desc.ColumnCount();
        if (n == 0)
            throw EDatabaseError("The SQL statement returns no result set");

        // Keyset cursors need every column to come straight from one table with row ids.
        std::string odb, otable;
        std::vector<std::string> ocols;
        bool keyset = static_cast<bool>(FSource.KeysetSQL);
        for (int i = 0; i < n && keyset; ++i) {
            std::string d = desc.OriginDatabase(i), t = desc.OriginTable(i), c = desc.OriginColumn(i);
            if (t.empty() || c.empty() || (i > 0 && (d != odb || t != otable)))
                keyset = false;
            odb = d;
            otable = t;
            ocols.push_back(c);
        }
        if (keyset) {
            try {
                TSQLiteStatement probe(db, FSource.KeysetSQL("", ""));
                keyset = probe.ReadOnly() && !probe.HasTail();
            } catch (const EDatabaseError&) {
                keyset = false;
            }
        }

        // Column facts of the origin table: declared type, NOT NULL, primary key.
        struct ColInfo {
            std::string Type;
            bool NotNull = false;
            int Pk = 0;
        };
        std::unordered_map<std::string, ColInfo> info;
        int pkCount = 0;
        if (keyset) {
            TSQLiteStatement ti(db, "SELECT name, type, \"notnull\", pk FROM " + QuoteIdent(odb) +
                                        ".pragma_table_info(?1)");
            ti.Bind(1, Variant(otable));
            while (ti.Step()) {
                ColInfo ci;
                ci.Type = VarToStr(ti.Column(1));
                ci.NotNull = ti.ColumnInt64(2) != 0;
                ci.Pk = static_cast<int>(ti.ColumnInt64(3));
                if (ci.Pk)
                    ++pkCount;
                info[UpperAscii(VarToStr(ti.Column(0)))] = ci;
            }
        }

        std::vector<TFieldDesc> descs;
        FTypes.clear();
        FColumns.clear();
        std::vector<std::string> used;
        for (int i = 0; i < n; ++i) {
            TFieldDesc d;
            std::string name = desc.ColumnName(i);
            std::string unique = name;
            for (int k = 1; std::find_if(used.begin(), used.end(), [&](const std::string& u) {
                                return SameText(u, unique);
                            }) != used.end();
                 ++k)
                unique = name + "_" + std::to_string(k);
            used.push_back(unique);
            d.Name = unique;
            d.Type = FieldTypeForDecl(desc.DeclType(i));
            d.Size = FieldSizeForDecl(desc.DeclType(i));
            if (keyset) {
                auto it = info.find(UpperAscii(ocols[static_cast<size_t>(i)]));
                if (it != info.end()) {
                    d.Required = it->second.NotNull;
                    if (it->second.Pk && pkCount == 1 && UpperAscii(Trim(it->second.Type)) == "INTEGER")
                        d.Type = ftAutoInc;
                }
                FColumns.push_back(QuoteIdent(ocols[static_cast<size_t>(i)]));
            }
            FTypes.push_back(d.Type);
            descs.push_back(d);
        }
        FKeyset = keyset;
        FTable = keyset ? QuoteIdent(odb) + "." + QuoteIdent(otable) : std::string();
        FPage.clear();
        try {
            BuildList(ActiveFilter(), FKeys, FRows);
        } catch (const EDatabaseError&) {
            if (!FKeyset)
                throw;
            // Rows without row ids after all: read the whole result instead.
            FKeyset = false;
            FColumns.clear();
            FTable.clear();
            BuildList(ActiveFilter(), FKeys, FRows);
        }
        if (!FKeyset) {
            // Columns without a declared type take the type of their first value.
            for (size_t c = 0; c < FTypes.size(); ++c) {
                if (FTypes[c] != ftUnknown)
                    continue;
                TFieldType t = ftString;
                for (size_t r = 0; r < FRows.size(); ++r) {
                    const Variant& v = FRows.Cells[r * FRows.Width + c];
                    if (v.IsNull())
                        continue;
                    t = v.Type() == varInt64 ? ftInteger : v.Type() == varDouble ? ftFloat : ftString;
                    break;
                }
                FTypes[c] = t;
                descs[c].Type = t;
            }
        } else {
            std::string cols;
            for (const auto& c : FColumns) {
                if (!cols.empty())
                    cols += ", ";
                cols += c;
            }
            FFetch = std::make_unique<TSQLiteStatement>(db, "SELECT " + cols + " FROM " + FTable + " WHERE rowid = ?1");
        }
        CreateFields(descs);
        FieldsCreated();
    } catch (...) {
        FKeys.clear();
        FRows.clear();
        FPage.clear();
        FFetch.reset();
        Session->CloseDatabase(FDatabase);
        FDatabase = nullptr;
        throw;
    }
    FDatabase->FDataSets.push_back(this);
}

void TDBDataSet::InternalClose()
{
    FKeys.clear();
    FKeys.shrink_to_fit();
    FRows.Cells.clear();
    FRows.Cells.shrink_to_fit();
    FPage.clear();
    FFetch.reset();
    if (FDatabase) {
        auto& v = FDatabase->FDataSets;
        v.erase(std::remove(v.begin(), v.end(), this), v.end());
        TDatabase* db = FDatabase;
        FDatabase = nullptr;
        Session->CloseDatabase(db);
    }
}

int TDBDataSet::InternalRecordCount() const
{
    return static_cast<int>(FKeyset ? FKeys.size() : FRows.size());
}

std::vector<Variant> TDBDataSet::ReadRow(std::int64_t RowId)
{
    std::vector<Variant> row(FTypes.size(), Variant::Null());
    FFetch->Reset();
    FFetch->Bind(1, Variant(static_cast<long long>(RowId)));
    if (FFetch->Step())
        for (size_t i = 0; i < FTypes.size(); ++i)
            row[i] = FFetch->ColumnAs(static_cast<int>(i), FTypes[i]);
    FFetch->Reset();
    return row;
}

void TDBDataSet::FetchPage(int Index)
{
    // Pages start at 64 records and double, up to 1024, while the cursor reads on from
    // where the last page ended (a walk through the dataset); a jump starts small again.
    constexpr int kMinPage = 64;
    constexpr int kMaxPage = 1024;
    FPageSize = (Index == FNextPageStart) ? std::min(FPageSize * 2, kMaxPage) : kMinPage;
    if (static_cast<int>(FPage.size()) > 16 * kMaxPage)
        FPage.clear();
    int start = Index;
    if (FPageSize == kMinPage)
        start = Index - Index % kMinPage;
    int end = std::min(start + FPageSize, static_cast<int>(FKeys.size()));
    // One read transaction for the whole page: the file is locked once, not per record.
    sqlite3* db = FDatabase ? FDatabase->Handle() : nullptr;
    bool wrap = db && sqlite3_get_autocommit(db) && sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
    try {
        for (int i = start; i < end; ++i) {
            std::int64_t id = FKeys[static_cast<size_t>(i)];
            if (!FPage.count(id))
                FPage.emplace(id, ReadRow(id));
        }
    } catch (...) {
        if (wrap)
            sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        throw;
    }
    if (wrap)
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    FNextPageStart = end;
}

void TDBDataSet::InternalFetch(int Index, std::vector<Variant>& Values)
{
    if (Index < 0 || Index >= InternalRecordCount())
        return;
    if (!FKeyset) {
        auto first = FRows.Cells.begin() + static_cast<std::ptrdiff_t>(static_cast<size_t>(Index) * FRows.Width);
        Values.assign(first, first + static_cast<std::ptrdiff_t>(FRows.Width));
        return;
    }
    std::int64_t id = FKeys[static_cast<size_t>(Index)];
    auto it = FPage.find(id);
    if (it == FPage.end()) {
        FetchPage(Index);
        it = FPage.find(id);
    }
    Values = it->second;
}

std::int64_t TDBDataSet::InternalRecordKey(int Index) const
{
    return FKeyset ? FKeys[static_cast<size_t>(Index)] : Index;
}

int TDBDataSet::InternalIndexOfKey(std::int64_t Key) const
{
    if (!FKeyset)
        return Key >= 0 && Key < static_cast<std::int64_t>(FRows.size()) ? static_cast<int>(Key) : -1;
    auto it = std::find(FKeys.begin(), FKeys.end(), Key);
    return it == FKeys.end() ? -1 : static_cast<int>(it - FKeys.begin());
}

int TDBDataSet::InternalPost(bool Inserting, int Index, const std::vector<Variant>& Values,
                             const std::vector<bool>& Changed)
{
    if (!CanModify())
        throw EDatabaseError("Cannot modify a read-only dataset");
    sqlite3* db = FDatabase->Handle();
    std::vector<size_t> cols;
    for (size_t i = 0; i < Values.size() && i < FColumns.size(); ++i)
        if (Changed[i])
            cols.push_back(i);
    std::int64_t rowid;
    if (!Inserting) {
        rowid = FKeys[static_cast<size_t>(Index)];
        if (cols.empty())
            return Index;
        std::string sql = "UPDATE " + FTable + " SET ";
        for (size_t k = 0; k < cols.size(); ++k)
            sql += (k ? ", " : "") + FColumns[cols[k]] + " = ?" + std::to_string(k + 1);
        sql += " WHERE rowid = ?" + std::to_string(cols.size() + 1);
        TSQLiteStatement st(db, sql);
        for (size_t k = 0; k < cols.size(); ++k)
            st.BindField(static_cast<int>(k + 1), Values[cols[k]], FTypes[cols[k]]);
        st.Bind(static_cast<int>(cols.size() + 1), Variant(static_cast<long long>(rowid)));
        st.Step();
        if (sqlite3_changes(db) == 0)
            throw EDatabaseError("Record not found or changed by another user");
        FPage.erase(rowid);
        if (FSource.NaturalOrder && ActiveFilter().empty())
            return Index;
    } else {
        std::string sql;
        if (cols.empty()) {
            sql = "INSERT INTO " + FTable + " DEFAULT VALUES";
        } else {
            std::string names, marks;
            for (size_t k = 0; k < cols.size(); ++k) {
                names += (k ? ", " : "") + FColumns[cols[k]];
                marks += (k ? ", ?" : "?") + std::to_string(k + 1);
            }
            sql = "INSERT INTO " + FTable + " (" + names + ") VALUES (" + marks + ")";
        }
        TSQLiteStatement st(db, sql);
        for (size_t k = 0; k < cols.size(); ++k)
            st.BindField(static_cast<int>(k + 1), Values[cols[k]], FTypes[cols[k]]);
        st.Step();
        rowid = sqlite3_last_insert_rowid(db);
        if (FSource.NaturalOrder && ActiveFilter().empty() && (FKeys.empty() || FKeys.back() < rowid)) {
            FKeys.push_back(rowid);
            return static_cast<int>(FKeys.size()) - 1;
        }
    }
    // The record may have moved in the cursor order: read the keyset again.
    std::vector<std::int64_t> keys;
    TRowStore rows;
    try {
        BuildList(ActiveFilter(), keys, rows);
    } catch (const EDatabaseError&) {
        // The write is done; keep the old list rather than report a failure.
        if (Inserting)
            FKeys.insert(FKeys.begin() + std::clamp<int>(Index, 0, static_cast<int>(FKeys.size())), rowid);
        return Index;
    }
    FKeys = std::move(keys);
    FPage.clear();
    int idx = InternalIndexOfKey(rowid);
    if (idx < 0) {
        // The record no longer meets the cursor's conditions; it stays where it was
        // written until the records are read again, so the user sees what was posted.
        idx = std::clamp<int>(Index, 0, static_cast<int>(FKeys.size()));
        FKeys.insert(FKeys.begin() + idx, rowid);
    }
    return idx;
}

void TDBDataSet::InternalDelete(int Index)
{
    if (!CanModify())
        throw EDatabaseError("Cannot modify a read-only dataset");
    std::int64_t rowid = FKeys[static_cast<size_t>(Index)];
    TSQLiteStatement st(FDatabase->Handle(), "DELETE FROM " + FTable + " WHERE rowid = ?1");
    st.Bind(1, Variant(static_cast<long long>(rowid)));
    st.Step();
    FKeys.erase(FKeys.begin() + Index);
    FPage.erase(rowid);
}

void TDBDataSet::InternalRefresh()
{
    std::vector<std::int64_t> keys;
    TRowStore rows;
    BuildList(ActiveFilter(), keys, rows);
    FKeys = std::move(keys);
    FRows = std::move(rows);
    FPage.clear();
}

void TDBDataSet::InternalInvalidate(int Index)
{
    if (FKeyset && Index >= 0 && Index < static_cast<int>(FKeys.size()))
        FPage.erase(FKeys[static_cast<size_t>(Index)]);
}

void TDBDataSet::InternalSetFilter(const std::string& Filter)
{
    std::vector<std::int64_t> keys;
    TRowStore rows;
    BuildList(Filter, keys, rows);  // raises on a bad filter; nothing has changed then
    FKeys = std::move(keys);
    FRows = std::move(rows);
    FPage.clear();
}

int TDBDataSet::FindFirstWhere(const std::string& Condition, const std::vector<TField*>& Fields,
                               const std::vector<Variant>& Values)
{
    if (!FKeyset) {
        // Cached results are searched in memory by the generic walk.
        return -1;
    }
    TSQLiteStatement st(FDatabase->Handle(), FSource.KeysetSQL(ActiveFilter(), Condition) + " LIMIT 1");
    BindParams(st);
    for (size_t k = 0; k < Values.size(); ++k) {
        int idx = sqlite3_bind_parameter_index(st.Handle(), (":korin_k" + std::to_string(k)).c_str());
        if (idx > 0)
            st.BindField(idx, Values[k], Fields[k]->DataType());
    }
    if (!st.Step())
        return -1;
    std::int64_t rowid = st.ColumnInt64(0);
    st.Reset();
    return InternalIndexOfKey(rowid);
}

int TDBDataSet::InternalLocate(const std::vector<TField*>& Fields, const std::vector<Variant>& Values,
                               TLocateOptions Options)
{
    if (!FKeyset)
        return TDataSet::InternalLocate(Fields, Values, Options);
    std::vector<std::string> conds;
    std::vector<Variant> binds;
    for (size_t k = 0; k < Fields.size(); ++k) {
        std::string col = QuoteIdent(Fields[k]->FieldName());
        std::string p = ":korin_k" + std::to_string(k);
        if (Values[k].IsNullOrEmpty())
            conds.push_back(col + " IS NULL");
        else if (Options == 0)
            conds.push_back(col + " = " + p);
        else
            conds.push_back("korin_match(" + col + ", " + p + ", " + std::to_string(Options & 3u) + ")");
        binds.push_back(Values[k]);
    }
    return FindFirstWhere(JoinConditions(conds), Fields, binds);
}

void TDBDataSet::ReloadKeepingPosition(bool Notify)
{
    int old = CurrentIndex();
    bool had = old >= 0;
    std::int64_t key = had ? InternalRecordKey(old) : 0;
    InternalRefresh();
    int idx = had ? InternalIndexOfKey(key) : -1;
    Reposition(idx >= 0 ? idx : std::max(old, 0), Notify);
}

// ---------------------------------------------------------------------------------------
// Index definitions

TIndexDef* TIndexDefs::Items(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw EDatabaseError("List index out of bounds (" + std::to_string(Index) + ")");
    return FItems[static_cast<size_t>(Index)].get();
}

TIndexDef* TIndexDefs::FindIndex(const std::string& Name) const
{
    for (const auto& d : FItems)
        if (SameText(d->Name(), Name))
            return d.get();
    return nullptr;
}

TIndexDef* TIndexDefs::Find(const std::string& Name) const
{
    TIndexDef* d = FindIndex(Name);
    if (!d)
        throw EDatabaseError("Index '" + Name + "' not found");
    return d;
}

void TIndexDefs::Update()
{
    if (FTable->Active()) {
        FTable->ReadIndexDefs(FTable->Database());
        return;
    }
    TDatabase* db = Session->OpenDatabase(FTable->DatabaseName());
    try {
        FTable->ReadIndexDefs(db);
    } catch (...) {
        Session->CloseDatabase(db);
        throw;
    }
    Session->CloseDatabase(db);
}

// ---------------------------------------------------------------------------------------
// Table

class TTable::TMasterLink : public TDataLink {
public:
    explicit TMasterLink(TTable* T) : FTable(T) {}
    void ActiveChanged() override { FTable->MasterChanged(); }
    void DataSetChanged() override { FTable->MasterChanged(); }
    void DataSetScrolled(int) override { FTable->MasterChanged(); }
    void RecordChanged(TField*) override {}

private:
    TTable* FTable;
};

TTable::TTable(TComponent* AOwner) : TDBDataSet(AOwner), FMasterLink(std::make_unique<TMasterLink>(this)) {}

TTable::~TTable()
{
    Close();
    FMasterLink->SetDataSource(nullptr);
}

void TTable::SetTableName(const std::string& Value)
{
    if (Value == FTableName)
        return;
    if (Active())
        throw EDatabaseError("Cannot perform this operation on an open dataset");
    FTableName = Value;
    FIndexDefs.Clear();
}

void TTable::SetReadOnly(bool Value)
{
    if (Value == FReadOnly)
        return;
    if (Active())
        throw EDatabaseError("Cannot perform this operation on an open dataset");
    FReadOnly = Value;
}

void TTable::ReadIndexDefs(TDatabase* Db)
{
    sqlite3* db = Db->Handle();
    std::vector<std::unique_ptr<TIndexDef>> items;
    {
        std::vector<std::pair<int, std::string>> pk;
        TSQLiteStatement ti(db, "SELECT name, pk FROM pragma_table_info(?1)");
        ti.Bind(1, Variant(FTableName));
        while (ti.Step())
            if (ti.ColumnInt64(1) > 0)
                pk.emplace_back(static_cast<int>(ti.ColumnInt64(1)), VarToStr(ti.Column(0)));
        std::sort(pk.begin(), pk.end());
        if (!pk.empty()) {
            std::string fields;
            for (const auto& [n, name] : pk) {
                if (!fields.empty())
                    fields += ';';
                fields += name;
            }
            items.push_back(std::make_unique<TIndexDef>("PRIMARY", fields, ixPrimary | ixUnique));
        }
    }
    std::vector<std::tuple<std::string, bool, std::string>> list;
    {
        TSQLiteStatement il(db, "SELECT name, \"unique\", origin FROM pragma_index_list(?1) ORDER BY seq DESC");
        il.Bind(1, Variant(FTableName));
        while (il.Step())
            list.emplace_back(VarToStr(il.Column(0)), il.ColumnInt64(1) != 0, VarToStr(il.Column(2)));
    }
    for (const auto& [name, unique, origin] : list) {
        if (origin == "pk")
            continue;  // the primary key is listed as PRIMARY
        TSQLiteStatement xi(db, "SELECT cid, name, \"desc\" FROM pragma_index_xinfo(?1) WHERE key = 1 ORDER BY seqno");
        xi.Bind(1, Variant(name));
        std::string fields;
        bool desc = false, usable = true;
        while (xi.Step()) {
            if (xi.ColumnInt64(0) < 0) {
                usable = false;  // an expression or the row id: not a field list
                continue;
            }
            if (!fields.empty())
                fields += ';';
            fields += VarToStr(xi.Column(1));
            desc = desc || xi.ColumnInt64(2) != 0;
        }
        if (usable && !fields.empty())
            items.push_back(std::make_unique<TIndexDef>(name, fields, (unique ? ixUnique : 0u) | (desc ? ixDescending : 0u)));
    }
    FIndexDefs.FItems = std::move(items);
}

std::vector<std::string> TTable::OrderFieldNames() const
{
    if (!FIndexFieldNames.empty())
        return SplitFieldNames(FIndexFieldNames);
    std::string name = FIndexName.empty() ? "PRIMARY" : FIndexName;
    if (TIndexDef* d = FIndexDefs.FindIndex(name))
        return SplitFieldNames(d->Fields());
    return {};
}

std::vector<std::string> TTable::DetailFieldNames() const
{
    auto master = SplitFieldNames(FMasterFields);
    if (!FIndexFieldNames.empty() || !FIndexName.empty()) {
        auto order = OrderFieldNames();
        if (order.size() >= master.size()) {
            order.resize(master.size());
            return order;
        }
    }
    return master;
}

std::string TTable::MasterCondition() const
{
    if (!FMasterLink->DataSource() || FMasterFields.empty())
        return "";
    auto detail = DetailFieldNames();
    std::vector<std::string> conds;
    for (size_t i = 0; i < detail.size(); ++i)
        conds.push_back(QuoteIdent(detail[i]) + " = :korin_m" + std::to_string(i));
    return JoinConditions(conds);
}

TDBDataSet::TSourceInfo TTable::DescribeSource()
{
    if (Trim(FTableName).empty())
        throw EDatabaseError("TableName is not set");
    ReadIndexDefs(Database());
    if (!FIndexName.empty() && !SameText(FIndexName, "PRIMARY"))
        FIndexDefs.Find(FIndexName);
    TSourceInfo info;
    std::string table = QuoteIdent(FTableName);
    info.DescribeSQL = "SELECT * FROM " + table;
    auto orderBy = [this](bool rowid) {
        auto names = OrderFieldNames();
        bool desc = FIndexFieldNames.empty() && !FIndexName.empty() && FIndexDefs.FindIndex(FIndexName) &&
                    (FIndexDefs.FindIndex(FIndexName)->Options() & ixDescending);
        std::string out;
        for (const auto& n : names) {
            if (!out.empty())
                out += ", ";
            out += QuoteIdent(n) + (desc ? " DESC" : "");
        }
        if (rowid)
            out += std::string(out.empty() ? "" : ", ") + "rowid";
        return out.empty() ? out : " ORDER BY " + out;
    };
    info.KeysetSQL = [this, table, orderBy](const std::string& filter, const std::string& extra) {
        std::string where = JoinConditions({filter, MasterCondition(), extra});
        return "SELECT rowid FROM " + table + (where.empty() ? "" : " WHERE " + where) + orderBy(true);
    };
    info.RowsSQL = [this, table, orderBy](const std::string& filter, const std::string& extra) {
        std::string where = JoinConditions({filter, MasterCondition(), extra});
        return "SELECT * FROM " + table + (where.empty() ? "" : " WHERE " + where) + orderBy(false);
    };
    info.Modifiable = !FReadOnly;
    // Ordered by the row id alone (or by an INTEGER PRIMARY KEY, which is the row id).
    auto order = OrderFieldNames();
    bool rowidOrder = order.empty();
    if (order.size() == 1 && FIndexDefs.FindIndex("PRIMARY") &&
        SameText(FIndexDefs.FindIndex("PRIMARY")->Fields(), order[0])) {
        TSQLiteStatement ti(Database()->Handle(), "SELECT type, pk FROM pragma_table_info(?1) WHERE name = ?2");
        ti.Bind(1, Variant(FTableName));
        ti.Bind(2, Variant(order[0]));
        rowidOrder = ti.Step() && UpperAscii(Trim(VarToStr(ti.Column(0)))) == "INTEGER";
    }
    info.NaturalOrder = rowidOrder && MasterCondition().empty();
    return info;
}

void TTable::BindParams(TSQLiteStatement& Statement)
{
    if (MasterCondition().empty())
        return;
    auto master = SplitFieldNames(FMasterFields);
    auto detail = DetailFieldNames();
    TDataSet* md = FMasterLink->DataSet();
    for (size_t i = 0; i < detail.size(); ++i) {
        Variant v = Variant::Null();
        if (md && md->Active() && i < master.size())
            if (TField* f = md->FindField(master[i]))
                v = f->Value();
        TField* df = FindField(detail[i]);
        int idx = sqlite3_bind_parameter_index(Statement.Handle(), (":korin_m" + std::to_string(i)).c_str());
        if (idx > 0)
            Statement.BindField(idx, v, df ? df->DataType() : ftUnknown);
    }
}

void TTable::FieldsCreated()
{
    FIndexFields.clear();
    for (const auto& n : OrderFieldNames())
        if (TField* f = FindField(n))
            FIndexFields.push_back(f);
}

bool TTable::IsFieldIndexed(const TField* Field) const
{
    return std::find(FIndexFields.begin(), FIndexFields.end(), Field) != FIndexFields.end();
}

int TTable::IndexFieldCount() const { return static_cast<int>(FIndexFields.size()); }

TField* TTable::IndexFields(int Index) const
{
    if (Index < 0 || Index >= IndexFieldCount())
        throw EDatabaseError("List index out of bounds (" + std::to_string(Index) + ")");
    return FIndexFields[static_cast<size_t>(Index)];
}

void TTable::ChangeOrder()
{
    if (!Active()) {
        FIndexFields.clear();
        return;
    }
    CheckBrowseMode();
    ReloadKeepingPosition(true);
    FieldsCreated();
}

void TTable::SetIndexName(const std::string& Value)
{
    if (Value == FIndexName && FIndexFieldNames.empty())
        return;
    if (Active() && !Value.empty() && !SameText(Value, "PRIMARY"))
        FIndexDefs.Find(Value);
    std::string oldName = FIndexName, oldFields = FIndexFieldNames;
    FIndexName = Value;
    FIndexFieldNames.clear();
    try {
        ChangeOrder();
    } catch (...) {
        FIndexName = oldName;
        FIndexFieldNames = oldFields;
        throw;
    }
}

void TTable::SetIndexFieldNames(const std::string& Value)
{
    if (Value == FIndexFieldNames && FIndexName.empty())
        return;
    if (Active())
        for (const auto& n : SplitFieldNames(Value))
            FieldByName(n);
    std::string oldName = FIndexName, oldFields = FIndexFieldNames;
    FIndexFieldNames = Value;
    FIndexName.clear();
    try {
        ChangeOrder();
    } catch (...) {
        FIndexName = oldName;
        FIndexFieldNames = oldFields;
        throw;
    }
}

void TTable::SetKey() { BeginSetKey(); }

bool TTable::GotoKey()
{
    if (State() != dsSetKey)
        throw EDatabaseError("Dataset not in set-key mode");
    std::vector<Variant> key = KeyBuffer();
    EndSetKey();
    std::vector<TField*> fields;
    std::vector<Variant> values;
    std::vector<std::string> conds;
    for (TField* f : FIndexFields) {
        const Variant& v = key[static_cast<size_t>(f->Index())];
        if (v.IsEmpty())
            break;
        std::string col = QuoteIdent(f->FieldName());
        conds.push_back(v.IsNull() ? col + " IS NULL" : col + " = :korin_k" + std::to_string(fields.size()));
        fields.push_back(f);
        values.push_back(v);
    }
    if (fields.empty())
        return false;
    int idx;
    if (IsKeysetCursor()) {
        idx = FindFirstWhere(JoinConditions(conds), fields, values);
    } else {
        idx = TDataSet::InternalLocate(fields, values, 0);
    }
    if (idx < 0)
        return false;
    Reposition(idx, true);
    return true;
}

bool TTable::FindKey(const std::vector<Variant>& KeyValues)
{
    CheckBrowseMode();
    SetKey();
    try {
        for (size_t i = 0; i < KeyValues.size() && i < FIndexFields.size(); ++i)
            FIndexFields[i]->SetValue(KeyValues[i]);
    } catch (const EDatabaseError&) {
        // A value that cannot be a key of this index finds nothing.
        Cancel();
        return false;
    }
    return GotoKey();
}

TDataSource* TTable::MasterSource() const { return FMasterLink->DataSource(); }

void TTable::SetMasterSource(TDataSource* Value)
{
    if (Value && Value->DataSet() == this)
        throw EDatabaseError("Circular datalinks are not allowed");
    if (FMasterLink->SetDataSourceFor(this, Value))
        MasterChanged();
}

void TTable::SetMasterFields(const std::string& Value)
{
    if (Value == FMasterFields)
        return;
    FMasterFields = Value;
    MasterChanged();
}

void TTable::Notification(TComponent* AComponent, TOperation Operation)
{
    TDBDataSet::Notification(AComponent, Operation);
    if (Operation == opRemove && FMasterLink && AComponent == FMasterLink->DataSource())
        FMasterLink->SetDataSource(nullptr);
}

void TTable::MasterChanged()
{
    if (!Active() || State() == dsOpening)
        return;
    CheckBrowseMode();
    InternalRefresh();
    RestartAtFirst();
}

void TTable::InitNewRecord(std::vector<Variant>& Values)
{
    if (MasterCondition().empty())
        return;
    TDataSet* md = FMasterLink->DataSet();
    if (!md || !md->Active())
        return;
    auto master = SplitFieldNames(FMasterFields);
    auto detail = DetailFieldNames();
    for (size_t i = 0; i < detail.size() && i < master.size(); ++i) {
        TField* mf = md->FindField(master[i]);
        TField* df = FindField(detail[i]);
        if (mf && df)
            Values[static_cast<size_t>(df->Index())] = df->Convert(mf->Value());
    }
}

void TTable::GetDetailLinkFields(std::vector<TField*>& MasterFields, std::vector<TField*>& DetailFields)
{
    MasterFields.clear();
    DetailFields.clear();
    TDataSet* md = FMasterLink->DataSet();
    if (!md || FMasterFields.empty())
        return;
    for (const auto& n : SplitFieldNames(FMasterFields))
        if (TField* f = md->FindField(n))
            MasterFields.push_back(f);
    for (const auto& n : DetailFieldNames())
        if (TField* f = FindField(n))
            DetailFields.push_back(f);
}

// ---------------------------------------------------------------------------------------
// Parameters

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

// ---------------------------------------------------------------------------------------
// Query

class TQuery::TParamLink : public TDataLink {
public:
    explicit TParamLink(TQuery* Q) : FQuery(Q) {}
    void ActiveChanged() override { FQuery->MasterChanged(); }
    void DataSetChanged() override { FQuery->MasterChanged(); }
    void DataSetScrolled(int) override { FQuery->MasterChanged(); }
    void RecordChanged(TField*) override {}

private:
    TQuery* FQuery;
};

TQuery::TQuery(TComponent* AOwner) : TDBDataSet(AOwner), FParamLink(std::make_unique<TParamLink>(this))
{
    FSQL.OnChange = [this](TObject*) { SQLChanged(); };
}

TQuery::~TQuery()
{
    Close();
    FParamLink->SetDataSource(nullptr);
    FSQL.OnChange = nullptr;
}

void TQuery::SQLChanged()
{
    if (Active())
        Close();
    // Remember the values given so far, then build the new list from them.
    for (int i = 0; i < FParams.Count(); ++i) {
        TParam* cur = FParams.Items(i);
        if (!cur->Bound())
            continue;
        TParam* keep = FParamValues.FindParam(cur->Name());
        if (!keep)
            keep = FParamValues.CreateParam(ftUnknown, cur->Name());
        keep->Assign(*cur);
    }
    FParams.Clear();
    for (const auto& n : TParams::ParseNames(FSQL.Text())) {
        TParam* p = FParams.CreateParam(ftUnknown, n);
        if (TParam* o = FParamValues.FindParam(n))
            p->Assign(*o);
    }
}

std::string TQuery::StatementText() const
{
    std::string s = Trim(FSQL.Text());
    while (!s.empty() && (s.back() == ';' || std::isspace(static_cast<unsigned char>(s.back()))))
        s.pop_back();
    return s;
}

TDataSource* TQuery::DataSource() const { return FParamLink->DataSource(); }

void TQuery::SetDataSource(TDataSource* Value)
{
    if (Value && Value->DataSet() == this)
        throw EDatabaseError("Circular datalinks are not allowed");
    FParamLink->SetDataSourceFor(this, Value);
}

void TQuery::GetDetailLinkFields(std::vector<TField*>& MasterFields, std::vector<TField*>& DetailFields)
{
    MasterFields.clear();
    DetailFields.clear();
    TDataSet* md = FParamLink->DataSet();
    if (!md)
        return;
    // Each parameter named like a master field links that field; the detail side is the
    // query's field of the same name, when there is one.
    for (int i = 0; i < FParams.Count(); ++i) {
        const std::string& n = FParams.Items(i)->Name();
        if (TField* mf = md->FindField(n)) {
            MasterFields.push_back(mf);
            if (TField* df = FindField(n))
                DetailFields.push_back(df);
        }
    }
}

void TQuery::Notification(TComponent* AComponent, TOperation Operation)
{
    TDBDataSet::Notification(AComponent, Operation);
    if (Operation == opRemove && FParamLink && AComponent == FParamLink->DataSource())
        FParamLink->SetDataSource(nullptr);
}

void TQuery::SetRequestLive(bool Value)
{
    if (Value == FRequestLive)
        return;
    if (Active())
        throw EDatabaseError("Cannot perform this operation on an open dataset");
    FRequestLive = Value;
}

void TQuery::FillParamsFromMaster()
{
    TDataSet* md = FParamLink->DataSet();
    if (!md || !md->Active())
        return;
    for (int i = 0; i < FParams.Count(); ++i) {
        TParam* p = FParams.Items(i);
        if (TField* f = md->FindField(p->Name())) {
            if (p->DataType() == ftUnknown)
                p->SetDataType(f->DataType());
            p->SetValue(f->Value());
        }
    }
}

void TQuery::MasterChanged()
{
    if (!Active() || State() == dsOpening)
        return;
    TDataSet* md = FParamLink->DataSet();
    if (!md || !md->Active() || md->State() == dsSetKey)
        return;
    DisableControls();
    try {
        Close();
        Open();
    } catch (...) {
        EnableControls();
        throw;
    }
    EnableControls();
}

TDBDataSet::TSourceInfo TQuery::DescribeSource()
{
    std::string sql = StatementText();
    if (sql.empty())
        throw EDatabaseError("No SQL statement available");
    {
        TSQLiteStatement check(Database()->Handle(), sql);
        if (check.HasTail())
            throw EDatabaseError("Only one SQL statement can be opened");
        if (check.ColumnCount() == 0)
            throw EDatabaseError("The SQL statement returns no result set");
        if (!check.ReadOnly())
            throw EDatabaseError("The SQL statement changes data; run it with ExecSQL");
    }
    FillParamsFromMaster();
    TSourceInfo info;
    info.DescribeSQL = sql;
    info.Modifiable = FRequestLive;
    info.RowsSQL = [sql](const std::string& filter, const std::string& extra) {
        std::string where = JoinConditions({filter, extra});
        return where.empty() ? sql : "SELECT * FROM (" + sql + ") WHERE " + where;
    };
    // A plain SELECT of one table's rows can be reached by row id.
    auto words = CodeWords(sql);
    static const char* const blockers[] = {"DISTINCT", "GROUP", "UNION", "INTERSECT", "EXCEPT", "HAVING", "WINDOW", "VALUES"};
    bool plain = !words.empty() && words[0] == "SELECT";
    for (const char* b : blockers)
        if (std::find(words.begin(), words.end(), b) != words.end())
            plain = false;
    if (plain) {
        size_t pos = std::string::npos;
        ScanCode(sql, [&](size_t i) {
            if (std::isalpha(static_cast<unsigned char>(sql[i]))) {
                pos = i;
                return false;
            }
            return true;
        });
        std::string rewritten = sql.substr(0, pos + 6) + " rowid AS korin_rowid_," + sql.substr(pos + 6);
        info.KeysetSQL = [rewritten](const std::string& filter, const std::string& extra) {
            std::string where = JoinConditions({filter, extra});
            return where.empty() ? rewritten : "SELECT korin_rowid_ FROM (" + rewritten + ") WHERE " + where;
        };
    }
    return info;
}

void TQuery::BindParams(TSQLiteStatement& Statement)
{
    for (int i = 0; i < FParams.Count(); ++i) {
        TParam* p = FParams.Items(i);
        int idx = sqlite3_bind_parameter_index(Statement.Handle(), (":" + p->Name()).c_str());
        if (idx > 0)
            Statement.BindField(idx, p->Value(), p->DataType());
    }
}

void TQuery::ExecSQL()
{
    std::string sql = StatementText();
    if (sql.empty())
        throw EDatabaseError("No SQL statement available");
    FillParamsFromMaster();
    TDatabase* db = Session->OpenDatabase(DatabaseName());
    try {
        sqlite3* h = db->Handle();
        const char* p = sql.c_str();
        const char* end = p + sql.size();
        FRowsAffected = 0;
        while (p < end) {
            const char* tail = nullptr;
            TSQLiteStatement st(h, p, static_cast<int>(end - p), &tail);
            p = tail ? tail : end;
            if (!st.Handle())
                continue;
            BindParams(st);
            while (st.Step()) {
            }
            FRowsAffected = sqlite3_changes(h);
        }
    } catch (...) {
        Session->CloseDatabase(db);
        throw;
    }
    Session->CloseDatabase(db);
}

// ---------------------------------------------------------------------------------------
// Blob stream

TBlobStream::TBlobStream(TBlobField* Field, TBlobStreamMode Mode)
{
    if (!Field)
        throw EDatabaseError("Field is not a blob field");
    if (Mode != bmRead)
        throw EDatabaseError("Blob streams can only be opened for reading");
    FData = Field->AsString();
}

int TBlobStream::Read(void* Buffer, int Count)
{
    if (Count <= 0 || FPosition >= Size())
        return 0;
    std::int64_t n = std::min<std::int64_t>(Count, Size() - FPosition);
    std::copy_n(FData.data() + FPosition, n, static_cast<char*>(Buffer));
    FPosition += n;
    return static_cast<int>(n);
}

void TBlobStream::SetPosition(std::int64_t Value) { FPosition = std::clamp<std::int64_t>(Value, 0, Size()); }

}  // namespace korin
