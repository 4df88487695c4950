#include "korin/platform/db/SQLiteEngine.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "korin/platform/db/DBText.h"

namespace korin {

namespace {

std::string Upper(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string Text(const unsigned char* t, int n) { return t ? std::string(reinterpret_cast<const char*>(t), static_cast<size_t>(n)) : std::string(); }

// korin_match(value, key, options): the text comparison of Locate, evaluated in SQL.
// options: bit 0 case-insensitive, bit 1 partial key.
void KorinMatch(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_int(ctx, 0);
        return;
    }
    // Views of the engine's own bytes: no copies for each row compared.
    auto view = [](sqlite3_value* v) {
        const unsigned char* t = sqlite3_value_text(v);
        return t ? std::string_view(reinterpret_cast<const char*>(t), static_cast<size_t>(sqlite3_value_bytes(v)))
                 : std::string_view();
    };
    const std::string_view value = view(argv[0]);
    const std::string_view key = view(argv[1]);
    int opts = sqlite3_value_int(argv[2]);
    sqlite3_result_int(ctx, DBTextMatch(value, key, (opts & 1) != 0, (opts & 2) != 0) ? 1 : 0);
}

// The read-only guard: the connection whose statements are being compiled under it, and
// the first thing it refused. Statements are compiled on the user-interface thread only.
struct TGuardState {
    sqlite3* Db = nullptr;
    bool Refused = false;
    bool Writes = false;  // the refused thing changes data (INSERT, CREATE …)
    std::string What;
};
TGuardState* gGuard = nullptr;

// PRAGMAs a user may read through a query: the ones that describe the schema or the
// file and never change anything. Those in the first list take a name as argument.
bool AllowedPragma(const std::string& Name, bool HasArgument)
{
    static const char* const named[] = {"TABLE_INFO", "TABLE_XINFO", "INDEX_LIST", "INDEX_INFO", "INDEX_XINFO",
                                        "FOREIGN_KEY_LIST", "TABLE_LIST"};
    static const char* const plain[] = {"DATABASE_LIST", "COLLATION_LIST", "FUNCTION_LIST", "MODULE_LIST",
                                        "PRAGMA_LIST", "COMPILE_OPTIONS", "PAGE_COUNT", "PAGE_SIZE",
                                        "FREELIST_COUNT", "ENCODING", "USER_VERSION", "SCHEMA_VERSION",
                                        "APPLICATION_ID", "DATA_VERSION"};
    std::string n = Upper(Name);
    for (const char* a : named)
        if (n == a)
            return true;
    // Without an argument these only read; with one most of them would set something.
    if (!HasArgument)
        for (const char* a : plain)
            if (n == a)
                return true;
    return false;
}

// Functions that reach outside the statement (files, extensions, the tokenizer table).
bool RefusedFunction(const std::string& Name)
{
    static const char* const refused[] = {"LOAD_EXTENSION", "FTS3_TOKENIZER", "READFILE", "WRITEFILE", "EDIT"};
    std::string n = Upper(Name);
    for (const char* r : refused)
        if (n == r)
            return true;
    return false;
}

int Authorize(void* User, int Action, const char* A1, const char* A2, const char* A3, const char* A4)
{
    TGuardState* g = gGuard;
    if (!g || g->Db != static_cast<sqlite3*>(User))
        return SQLITE_OK;
    auto s = [](const char* t) { return std::string(t ? t : ""); };
    std::string what;
    bool writes = false;
    switch (Action) {
    case SQLITE_SELECT:
    case SQLITE_READ:
    case SQLITE_RECURSIVE:
        return SQLITE_OK;
    case SQLITE_UPDATE:
        // Reading a table-valued function (pragma_table_info …) declares its table in
        // the schema first; a statement that really writes the schema table is not
        // read-only and is refused below.
        if (s(A1) == "sqlite_master" || s(A1) == "sqlite_temp_master")
            return SQLITE_OK;
        writes = true;
        break;
    case SQLITE_FUNCTION:
        if (!RefusedFunction(s(A2)))
            return SQLITE_OK;
        what = s(A2) + "()";
        break;
    case SQLITE_PRAGMA:
        if (AllowedPragma(s(A1), A2 != nullptr))
            return SQLITE_OK;
        what = "PRAGMA " + s(A1);
        break;
    case SQLITE_ATTACH:
        what = "ATTACH";
        break;
    case SQLITE_DETACH:
        what = "DETACH";
        break;
    case SQLITE_TRANSACTION:
        what = s(A1);
        break;
    case SQLITE_SAVEPOINT:
        what = "SAVEPOINT";
        break;
    default:
        // Writing rows, changing the schema, analysing, re-indexing.
        writes = true;
        break;
    }
    if (!g->Refused) {
        g->Refused = true;
        g->What = what;
        g->Writes = writes;
    }
    return SQLITE_DENY;
}

// Prepares under the guard when asked; raises what the guard refused, else the engine's
// error.
int Prepare(sqlite3* Db, const char* SQL, int Length, sqlite3_stmt** Stmt, const char** Tail,
            TStatementGuard Guard)
{
    CheckEngineFree(Db);
    CheckSQLText(SQL, Length < 0 ? std::strlen(SQL) : static_cast<size_t>(Length));
    TGuardState state;
    TGuardState* outer = gGuard;
    if (Guard == sgReadOnly) {
        state.Db = Db;
        gGuard = &state;
    }
    int rc = sqlite3_prepare_v2(Db, SQL, Length, Stmt, Tail);
    gGuard = outer;
    if (rc == SQLITE_OK) {
        // Statements the authorizer is not asked about (VACUUM) must still only read.
        if (Guard == sgReadOnly && *Stmt && !sqlite3_stmt_readonly(*Stmt)) {
            sqlite3_finalize(*Stmt);
            *Stmt = nullptr;
            throw EDatabaseError("The SQL statement changes data; run it with ExecSQL", SQLITE_AUTH);
        }
        return rc;
    }
    int code = sqlite3_extended_errcode(Db);
    std::string msg = sqlite3_errmsg(Db);
    sqlite3_finalize(*Stmt);
    *Stmt = nullptr;
    if (state.Refused) {
        if (state.Writes)
            throw EDatabaseError("The SQL statement changes data; run it with ExecSQL", SQLITE_AUTH);
        throw EDatabaseError(state.What + " is not allowed: the statement may only read data", SQLITE_AUTH);
    }
    throw EDatabaseError(msg, code);
}

// printf() and format() as the engine has them, except that a text that would pass the
// length limit is refused at once with "string or blob too big": the engine's own
// function first builds the text up to the limit (hundreds of megabytes, seconds of
// work in one step that nothing can interrupt) and then quietly answers NULL.
// Within the limit the engine's function does the work, on a private connection.
constexpr std::int64_t kNoLimit = std::int64_t{1} << 40;

// What a format asks for beyond its plain characters: the widths and precisions of its
// conversions, given as digits or taken from the arguments ("*").
std::int64_t RequestedLength(const std::string& Format, int Argc, sqlite3_value** Argv)
{
    std::int64_t total = 0;
    int arg = 1;
    size_t i = 0, n = Format.size();
    auto number = [&](std::int64_t& out) {
        out = 0;
        if (i < n && Format[i] == '*') {
            ++i;
            out = arg < Argc ? sqlite3_value_int64(Argv[arg]) : 0;
            ++arg;
            out = out < 0 ? (out == INT64_MIN ? kNoLimit : -out) : out;
            return;
        }
        while (i < n && std::isdigit(static_cast<unsigned char>(Format[i]))) {
            out = std::min(out * 10 + (Format[i] - '0'), kNoLimit);
            ++i;
        }
    };
    while (i < n) {
        if (Format[i++] != '%')
            continue;
        if (i < n && Format[i] == '%') {
            ++i;
            continue;
        }
        while (i < n && std::strchr("-+ #0!,", Format[i]))
            ++i;
        std::int64_t width = 0, precision = 0;
        number(width);
        if (i < n && Format[i] == '.') {
            ++i;
            number(precision);
        }
        while (i < n && Format[i] == 'l')
            ++i;
        if (i < n)
            ++i;  // the conversion takes one argument
        ++arg;
        total = std::min(total + width + precision, kNoLimit);
    }
    return total;
}

struct TFormatEngine {
    sqlite3* Db = nullptr;
    std::vector<sqlite3_stmt*> Stmts;  // "SELECT <function>(?1, …)" by argument count
    ~TFormatEngine()
    {
        for (sqlite3_stmt* st : Stmts)
            sqlite3_finalize(st);
        sqlite3_close(Db);
    }
};

void CheckedFormat(sqlite3_context* Ctx, int Argc, sqlite3_value** Argv)
{
    const char* name = static_cast<const char*>(sqlite3_user_data(Ctx));
    int limit = sqlite3_limit(sqlite3_context_db_handle(Ctx), SQLITE_LIMIT_LENGTH, -1);
    if (Argc >= 1 && sqlite3_value_type(Argv[0]) != SQLITE_NULL) {
        const unsigned char* f = sqlite3_value_text(Argv[0]);
        std::string format = f ? std::string(reinterpret_cast<const char*>(f), static_cast<size_t>(sqlite3_value_bytes(Argv[0]))) : "";
        if (RequestedLength(format, Argc, Argv) + static_cast<std::int64_t>(format.size()) > limit) {
            sqlite3_result_error_toobig(Ctx);
            return;
        }
    }
    static TFormatEngine engines[2];
    TFormatEngine& e = engines[std::strcmp(name, "printf") == 0 ? 0 : 1];
    if (!e.Db && sqlite3_open_v2(":memory:", &e.Db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_result_error_nomem(Ctx);
        return;
    }
    sqlite3_limit(e.Db, SQLITE_LIMIT_LENGTH, limit);
    if (static_cast<int>(e.Stmts.size()) <= Argc)
        e.Stmts.resize(static_cast<size_t>(Argc) + 1, nullptr);
    sqlite3_stmt*& st = e.Stmts[static_cast<size_t>(Argc)];
    if (!st) {
        std::string sql = std::string("SELECT ") + name + "(";
        for (int k = 1; k <= Argc; ++k)
            sql += (k > 1 ? ", ?" : "?") + std::to_string(k);
        if (sqlite3_prepare_v2(e.Db, (sql + ")").c_str(), -1, &st, nullptr) != SQLITE_OK) {
            sqlite3_result_error(Ctx, sqlite3_errmsg(e.Db), -1);
            return;
        }
    }
    for (int k = 0; k < Argc; ++k)
        sqlite3_bind_value(st, k + 1, Argv[k]);
    if (sqlite3_step(st) == SQLITE_ROW)
        sqlite3_result_value(Ctx, sqlite3_column_value(st, 0));
    else
        sqlite3_result_error(Ctx, sqlite3_errmsg(e.Db), -1);
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
}

}  // namespace

void RaiseEngineError(sqlite3* Db)
{
    if (!Db)
        throw EDatabaseError("out of memory", SQLITE_NOMEM);
    int code = sqlite3_extended_errcode(Db);
    std::string msg = sqlite3_errmsg(Db);
    RaiseIfStopped(Db, code);
    throw EDatabaseError(msg, code);
}

void CheckSQLText(const char* SQL, size_t Length)
{
    if (const void* nul = std::memchr(SQL, 0, Length))
        throw EDatabaseError("The SQL text contains a NUL character at position " +
                             std::to_string(static_cast<const char*>(nul) - SQL + 1));
}

void ConfigureConnection(sqlite3* Db)
{
    sqlite3_extended_result_codes(Db, 1);
    sqlite3_create_function_v2(Db, "korin_match", 3, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, KorinMatch,
                               nullptr, nullptr, nullptr);
    RegisterScanText(Db);
    for (const char* f : {"printf", "format"})
        sqlite3_create_function_v2(Db, f, -1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, const_cast<char*>(f), CheckedFormat,
                                   nullptr, nullptr, nullptr);
    sqlite3_set_authorizer(Db, Authorize, Db);
    // No statement may corrupt the file through the schema or page tables.
    sqlite3_db_config(Db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    // One value (a text or blob built by an expression) and one statement's text stay
    // far below what would exhaust memory; the engine reports "string or blob too big"
    // instead.
    sqlite3_limit(Db, SQLITE_LIMIT_LENGTH, 256 * 1024 * 1024);
    sqlite3_limit(Db, SQLITE_LIMIT_SQL_LENGTH, 16 * 1024 * 1024);
    // All the engine's memory together: a statement that would need more fails with
    // "out of memory" rather than taking the machine's.
    if (sqlite3_hard_heap_limit64(-1) == 0)
        sqlite3_hard_heap_limit64(std::int64_t{1} << 30);
}

std::string QuoteIdent(const std::string& Name)
{
    std::string out = "\"";
    for (char c : Name) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + "\"";
}

TSQLiteStatement::TSQLiteStatement(sqlite3* Db, const std::string& SQL, TStatementGuard Guard) : FDb(Db)
{
    const char* tail = nullptr;
    Prepare(Db, SQL.c_str(), static_cast<int>(SQL.size()), &FStmt, &tail, Guard);
    if (!FStmt)
        throw EDatabaseError("No SQL statement available");
    if (tail) {
        std::string rest(tail, static_cast<size_t>(SQL.c_str() + SQL.size() - tail));
        FHasTail = rest.find_first_not_of(" \t\r\n;") != std::string::npos;
    }
}

TSQLiteStatement::TSQLiteStatement(sqlite3* Db, const char* SQL, int Length, const char** Tail,
                                   TStatementGuard Guard)
    : FDb(Db)
{
    Prepare(Db, SQL, Length, &FStmt, Tail, Guard);
}

TSQLiteStatement::~TSQLiteStatement() { sqlite3_finalize(FStmt); }

bool TSQLiteStatement::Step()
{
    CheckEngineFree(FDb);
    int rc = sqlite3_step(FStmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    int code = sqlite3_extended_errcode(FDb);
    std::string msg = sqlite3_errmsg(FDb);
    sqlite3_reset(FStmt);
    RaiseIfStopped(FDb, rc);
    throw EDatabaseError(msg, code);
}

void TSQLiteStatement::Reset()
{
    sqlite3_reset(FStmt);
}

void TSQLiteStatement::Bind(int Index, const Variant& V)
{
    int rc = SQLITE_OK;
    switch (V.Type()) {
    case varEmpty:
    case varNull:
        rc = sqlite3_bind_null(FStmt, Index);
        break;
    case varBoolean:
    case varInt64:
        rc = sqlite3_bind_int64(FStmt, Index, V.AsInteger());
        break;
    case varDouble:
    case varDate:
        rc = sqlite3_bind_double(FStmt, Index, V.AsFloat());
        break;
    case varString: {
        std::string s = V.AsString();
        rc = sqlite3_bind_text(FStmt, Index, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
        break;
    }
    case varArray:
        throw EDatabaseError("An array cannot be bound as a parameter");
    }
    if (rc != SQLITE_OK)
        RaiseEngineError(FDb);
}

void TSQLiteStatement::BindField(int Index, const Variant& Value, TFieldType Type)
{
    if ((Type == ftBlob || Type == ftGraphic || Type == ftBytes || Type == ftVarBytes) && Value.Type() == varString) {
        std::string s = Value.AsString();
        if (sqlite3_bind_blob(FStmt, Index, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT) != SQLITE_OK)
            RaiseEngineError(FDb);
        return;
    }
    Bind(Index, ToStorage(Value, Type));
}

void TSQLiteStatement::BindName(const std::string& Name, const Variant& Value)
{
    int idx = sqlite3_bind_parameter_index(FStmt, (":" + Name).c_str());
    if (idx > 0)
        Bind(idx, Value);
}

int TSQLiteStatement::ColumnCount() const { return sqlite3_column_count(FStmt); }

std::string TSQLiteStatement::ColumnName(int i) const
{
    const char* n = sqlite3_column_name(FStmt, i);
    return n ? n : "";
}

std::string TSQLiteStatement::DeclType(int i) const
{
    const char* n = sqlite3_column_decltype(FStmt, i);
    return n ? n : "";
}

std::string TSQLiteStatement::OriginDatabase(int i) const
{
    const char* n = sqlite3_column_database_name(FStmt, i);
    return n ? n : "";
}

std::string TSQLiteStatement::OriginTable(int i) const
{
    const char* n = sqlite3_column_table_name(FStmt, i);
    return n ? n : "";
}

std::string TSQLiteStatement::OriginColumn(int i) const
{
    const char* n = sqlite3_column_origin_name(FStmt, i);
    return n ? n : "";
}

bool TSQLiteStatement::ColumnIsNull(int i) const { return sqlite3_column_type(FStmt, i) == SQLITE_NULL; }

std::int64_t TSQLiteStatement::ColumnInt64(int i) const { return sqlite3_column_int64(FStmt, i); }

bool TSQLiteStatement::ReadOnly() const { return sqlite3_stmt_readonly(FStmt) != 0; }

Variant TSQLiteStatement::Column(int i) const
{
    switch (sqlite3_column_type(FStmt, i)) {
    case SQLITE_INTEGER:
        return Variant(static_cast<long long>(sqlite3_column_int64(FStmt, i)));
    case SQLITE_FLOAT:
        return Variant(sqlite3_column_double(FStmt, i));
    case SQLITE_TEXT: {
        const unsigned char* t = sqlite3_column_text(FStmt, i);
        return Variant(Text(t, sqlite3_column_bytes(FStmt, i)));
    }
    case SQLITE_BLOB: {
        const void* b = sqlite3_column_blob(FStmt, i);
        int n = sqlite3_column_bytes(FStmt, i);
        return Variant(b ? std::string(static_cast<const char*>(b), static_cast<size_t>(n)) : std::string());
    }
    default:
        return Variant::Null();
    }
}

Variant TSQLiteStatement::ColumnAs(int i, TFieldType Type) const
{
    int t = sqlite3_column_type(FStmt, i);
    if (t == SQLITE_NULL)
        return Variant::Null();
    switch (Type) {
    case ftString:
    case ftWideString:
    case ftMemo:
    case ftFmtMemo:
        if (t == SQLITE_INTEGER || t == SQLITE_FLOAT || t == SQLITE_TEXT)
            return Variant(Text(sqlite3_column_text(FStmt, i), sqlite3_column_bytes(FStmt, i)));
        return Column(i);
    case ftBlob:
    case ftGraphic:
    case ftBytes:
    case ftVarBytes: {
        const void* b = sqlite3_column_blob(FStmt, i);
        int n = sqlite3_column_bytes(FStmt, i);
        return Variant(b ? std::string(static_cast<const char*>(b), static_cast<size_t>(n)) : std::string());
    }
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftLargeint:
    case ftAutoInc:
        if (t == SQLITE_INTEGER)
            return Variant(static_cast<long long>(sqlite3_column_int64(FStmt, i)));
        if (t == SQLITE_FLOAT) {
            double d = sqlite3_column_double(FStmt, i);
            if (d == std::floor(d) && std::fabs(d) < 9e18)
                return Variant(static_cast<long long>(d));
            return Variant(d);
        }
        return Column(i);
    case ftFloat:
    case ftCurrency:
    case ftBCD:
        if (t == SQLITE_INTEGER || t == SQLITE_FLOAT)
            return Variant(sqlite3_column_double(FStmt, i));
        return Column(i);
    case ftBoolean:
        if (t == SQLITE_INTEGER || t == SQLITE_FLOAT)
            return Variant(sqlite3_column_double(FStmt, i) != 0);
        {
            Variant v = Column(i);
            try {
                return Variant(v.AsBoolean());
            } catch (const EVariantError&) {
                return v;
            }
        }
    case ftDate:
    case ftTime:
    case ftDateTime:
        if (t == SQLITE_INTEGER || t == SQLITE_FLOAT)
            return Variant::FromDateTime(sqlite3_column_double(FStmt, i));
        if (t == SQLITE_TEXT) {
            std::string s = Text(sqlite3_column_text(FStmt, i), sqlite3_column_bytes(FStmt, i));
            TDateTime dt;
            if (TryISOToDateTime(s, dt))
                return Variant::FromDateTime(dt);
            return Variant(s);
        }
        return Column(i);
    default:
        return Column(i);
    }
}

TFieldType FieldTypeForDecl(const std::string& DeclType)
{
    std::string d = Upper(DeclType);
    auto has = [&](const char* s) { return d.find(s) != std::string::npos; };
    if (d.empty())
        return ftUnknown;
    if (has("BOOL"))
        return ftBoolean;
    if (has("DATETIME") || has("TIMESTAMP"))
        return ftDateTime;
    if (has("DATE"))
        return ftDate;
    if (has("TIME"))
        return ftTime;
    if (has("INT"))
        return ftInteger;
    if (has("MEMO") || has("CLOB") || has("LONGTEXT"))
        return ftMemo;
    if (has("NCHAR") || has("NVARCHAR") || has("WIDE") || has("NTEXT"))
        return ftWideString;
    if (has("CHAR") || has("TEXT") || has("STRING"))
        return ftString;
    if (has("BLOB") || has("BINARY") || has("IMAGE") || has("GRAPHIC"))
        return ftBlob;
    if (has("REAL") || has("FLOA") || has("DOUB") || has("NUM") || has("DEC") || has("MONEY") || has("CURRENCY"))
        return ftFloat;
    return ftString;
}

int FieldSizeForDecl(const std::string& DeclType)
{
    size_t open = DeclType.find('(');
    if (open == std::string::npos)
        return 0;
    int n = 0;
    for (size_t i = open + 1; i < DeclType.size() && std::isdigit(static_cast<unsigned char>(DeclType[i])); ++i) {
        n = n * 10 + (DeclType[i] - '0');
        if (n > 1000000)
            return 0;
    }
    return n;
}

Variant ToStorage(const Variant& Value, TFieldType Type)
{
    if (Value.IsNullOrEmpty())
        return Variant::Null();
    switch (Type) {
    case ftDate:
        return Value.Type() == varString ? Value : Variant(DateToISO(Value.AsDateTime()));
    case ftTime:
        return Value.Type() == varString ? Value : Variant(TimeToISO(Value.AsDateTime()));
    case ftDateTime:
        return Value.Type() == varString ? Value : Variant(DateTimeToISO(Value.AsDateTime()));
    case ftBoolean:
        return Value.Type() == varBoolean ? Variant(static_cast<long long>(Value.AsInteger())) : Value;
    default:
        if (Value.Type() == varDate)
            return Variant(Value.AsFloat());
        return Value;
    }
}

}  // namespace korin
