#pragma once
// Internal to platform/db: a thin RAII layer over the SQLite C API and the conversions
// between field values and stored values. Nothing outside platform/db includes this.
#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <vector>

#include "korin/platform/db/DB.h"

namespace korin {

class TDatabase;

// How far a statement's text is trusted. Text that comes from users (a query opened as a
// dataset, a filter, a search condition) is compiled under the read-only guard: the
// engine's authorizer refuses, while the statement is compiled, everything but reading,
// so that nothing the text asks for takes effect (some PRAGMAs act during compilation).
enum TStatementGuard { sgNone, sgReadOnly };

// A prepared statement. Errors raise EDatabaseError with the engine's message and its
// extended result code. Text holding a NUL character is refused before the engine sees
// it (the engine would stop reading there and silently drop the rest).
class TSQLiteStatement {
public:
    TSQLiteStatement(sqlite3* Db, const std::string& SQL, TStatementGuard Guard = sgNone);
    // Prepares the first statement of a text and tells where the rest begins; Handle()
    // is null when the text holds only blanks or comments.
    TSQLiteStatement(sqlite3* Db, const char* SQL, int Length, const char** Tail,
                     TStatementGuard Guard = sgNone);
    ~TSQLiteStatement();
    TSQLiteStatement(const TSQLiteStatement&) = delete;
    TSQLiteStatement& operator=(const TSQLiteStatement&) = delete;

    // True while a row is available; false when done. Resets the statement on error.
    bool Step();
    void Reset();
    // Binds a stored value (see ToStorage) at a 1-based position, or by ":name" (ignored
    // when the statement has no such parameter).
    void Bind(int Index, const Variant& Value);
    void BindName(const std::string& Name, const Variant& Value);
    // Binds a field value in its stored form (blobs as blobs).
    void BindField(int Index, const Variant& Value, TFieldType Type);

    int ColumnCount() const;
    std::string ColumnName(int i) const;
    std::string DeclType(int i) const;
    std::string OriginDatabase(int i) const;
    std::string OriginTable(int i) const;
    std::string OriginColumn(int i) const;
    bool ColumnIsNull(int i) const;
    std::int64_t ColumnInt64(int i) const;
    // The stored value as a Variant (integer, double, string, blob bytes as a string, Null).
    Variant Column(int i) const;
    // The stored value converted for a field of the given type.
    Variant ColumnAs(int i, TFieldType Type) const;
    bool ReadOnly() const;
    bool HasTail() const { return FHasTail; }
    sqlite3_stmt* Handle() const { return FStmt; }

private:
    sqlite3* FDb;
    sqlite3_stmt* FStmt = nullptr;
    bool FHasTail = false;
};

// The field type for a declared column type ("VARCHAR(20)", "DATE", "INTEGER" …);
// ftUnknown when nothing is declared.
TFieldType FieldTypeForDecl(const std::string& DeclType);
// The length in a declared type ("VARCHAR(30)": 30); 0 when there is none.
int FieldSizeForDecl(const std::string& DeclType);
// A field value in the form the database stores: dates and times as ISO texts,
// Booleans as 0/1, blobs as bytes; Null stays Null.
Variant ToStorage(const Variant& Value, TFieldType Type);
// Quotes an identifier for SQL ("name" with doubled inner quotes).
std::string QuoteIdent(const std::string& Name);
// Raises EDatabaseError with the connection's last message and extended result code.
[[noreturn]] void RaiseEngineError(sqlite3* Db);
// Raises EDatabaseError when SQL text holds a NUL character.
void CheckSQLText(const char* SQL, size_t Length);
inline void CheckSQLText(const std::string& SQL) { CheckSQLText(SQL.data(), SQL.size()); }
// Sets a new connection up: the functions datasets use in SQL (korin_match), the
// read-only guard's authorizer, extended result codes and the engine's size limits.
void ConfigureConnection(sqlite3* Db);
// Registers korin_scan_text(value, test) on a connection: 1 when the test (a pointer bound
// by TDBDataSet::ScanText) accepts the value's text or the value is a blob, else 0.
void RegisterScanText(sqlite3* Db);

// While it lives, statements running on the connection give the application's wait
// procedure a turn every few thousand engine steps and stop at a cancel request
// (CancelEngineOperation) with EDatabaseError "Operation cancelled". Scopes nest.
class TEngineWaitScope {
public:
    explicit TEngineWaitScope(sqlite3* Db);
    ~TEngineWaitScope();
    TEngineWaitScope(const TEngineWaitScope&) = delete;
    TEngineWaitScope& operator=(const TEngineWaitScope&) = delete;

private:
    sqlite3* FDb;
};
// Holds the connection's own mutex while it lives (there is none in single-thread mode).
// A read of many rows makes several engine calls a value, each of which takes that mutex:
// held around the whole read, each call re-enters it (it is recursive) instead of taking
// it anew, and no other thread sharing the connection comes in between the rows.
class TConnectionLock {
public:
    explicit TConnectionLock(sqlite3* Db) : FMutex(sqlite3_db_mutex(Db)) { sqlite3_mutex_enter(FMutex); }
    ~TConnectionLock() { sqlite3_mutex_leave(FMutex); }
    TConnectionLock(const TConnectionLock&) = delete;
    TConnectionLock& operator=(const TConnectionLock&) = delete;

private:
    sqlite3_mutex* FMutex;
};
// Makes the connection wait for a locked file up to the database's BusyTimeout (see
// SetBusyWaitProc).
void InstallBusyWait(sqlite3* Db, const TDatabase* Database);
// True while the connection is inside the application's wait procedure: a statement of
// it is half-way, so nothing else may use the connection until it returns.
bool EngineWaiting(sqlite3* Db);
// Raises when the connection may not be used now (see EngineWaiting).
void CheckEngineFree(sqlite3* Db);
// After a step failed: raises what stopped the statement when it was the wait
// procedure's exception or a cancel request; returns otherwise.
void RaiseIfStopped(sqlite3* Db, int ResultCode);

}  // namespace korin
