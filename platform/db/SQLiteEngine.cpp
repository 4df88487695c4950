#include "korin/platform/db/SQLiteEngine.h"

#include <algorithm>
#include <cctype>
#include <cmath>

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
    std::string value = Text(sqlite3_value_text(argv[0]), sqlite3_value_bytes(argv[0]));
    std::string key = Text(sqlite3_value_text(argv[1]), sqlite3_value_bytes(argv[1]));
    int opts = sqlite3_value_int(argv[2]);
    sqlite3_result_int(ctx, DBTextMatch(value, key, (opts & 1) != 0, (opts & 2) != 0) ? 1 : 0);
}

}  // namespace

void RaiseEngineError(sqlite3* Db) { throw EDatabaseError(Db ? sqlite3_errmsg(Db) : "out of memory"); }

void RegisterEngineFunctions(sqlite3* Db)
{
    sqlite3_create_function_v2(Db, "korin_match", 3, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, KorinMatch,
                               nullptr, nullptr, nullptr);
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

TSQLiteStatement::TSQLiteStatement(sqlite3* Db, const std::string& SQL) : FDb(Db)
{
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(Db, SQL.c_str(), static_cast<int>(SQL.size()), &FStmt, &tail) != SQLITE_OK) {
        std::string msg = sqlite3_errmsg(Db);
        sqlite3_finalize(FStmt);
        FStmt = nullptr;
        throw EDatabaseError(msg);
    }
    if (!FStmt)
        throw EDatabaseError("No SQL statement available");
    if (tail) {
        std::string rest(tail);
        FHasTail = rest.find_first_not_of(" \t\r\n;") != std::string::npos;
    }
}

TSQLiteStatement::TSQLiteStatement(sqlite3* Db, const char* SQL, int Length, const char** Tail) : FDb(Db)
{
    if (sqlite3_prepare_v2(Db, SQL, Length, &FStmt, Tail) != SQLITE_OK) {
        std::string msg = sqlite3_errmsg(Db);
        sqlite3_finalize(FStmt);
        FStmt = nullptr;
        throw EDatabaseError(msg);
    }
}

TSQLiteStatement::~TSQLiteStatement() { sqlite3_finalize(FStmt); }

bool TSQLiteStatement::Step()
{
    int rc = sqlite3_step(FStmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    std::string msg = sqlite3_errmsg(FDb);
    sqlite3_reset(FStmt);
    throw EDatabaseError(msg);
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
            } catch (const Exception&) {
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
