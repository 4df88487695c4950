#pragma once
// Internal to platform/db: a thin RAII layer over the SQLite C API and the conversions
// between field values and stored values. Nothing outside platform/db includes this.
#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <vector>

#include "korin/platform/db/DB.h"

namespace korin {

// A prepared statement. Errors raise EDatabaseError with the engine's message.
class TSQLiteStatement {
public:
    TSQLiteStatement(sqlite3* Db, const std::string& SQL);
    // Prepares the first statement of a text and tells where the rest begins; Handle()
    // is null when the text holds only blanks or comments.
    TSQLiteStatement(sqlite3* Db, const char* SQL, int Length, const char** Tail);
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
// Raises EDatabaseError with the connection's last message.
[[noreturn]] void RaiseEngineError(sqlite3* Db);
// Registers the functions datasets use in SQL (korin_match) on a connection.
void RegisterEngineFunctions(sqlite3* Db);

}  // namespace korin
