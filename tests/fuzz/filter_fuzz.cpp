// libFuzzer target for dataset filters: any bytes as the filter text of an open table.
// Whatever the text, the filter is applied or refused with EDatabaseError, the table
// keeps its records, and neither the file nor the connection's settings change.
// Statements that keep the engine busy for long are cancelled through the wait
// procedure, as a user's Esc would. Built and run by scripts/fuzz-filter; the
// sanitizers report faults.
#include <sqlite3.h>
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "korin/platform/db/DBTables.h"

// The fuzzer is built without the embedded resources: an empty table.
namespace korin::resources {
struct Entry {
    const char* Name;
    const unsigned char* Data;
    std::size_t Size;
};
extern const Entry Table[];
const Entry Table[] = {{nullptr, nullptr, 0}};
}  // namespace korin::resources

using namespace korin;

namespace {

sqlite3* gRaw = nullptr;
TTable* gTable = nullptr;
int gTurns = 0;

std::string Value(sqlite3* Db, const char* SQL)
{
    sqlite3_stmt* st = nullptr;
    std::string out;
    if (sqlite3_prepare_v2(Db, SQL, -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW &&
        sqlite3_column_text(st, 0))
        out = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    sqlite3_finalize(st);
    return out;
}

// The connection's settings that a statement could change, and whether another
// connection has seen a write.
std::string State()
{
    sqlite3* db = gTable->Database()->Handle();
    return Value(db, "PRAGMA query_only") + Value(db, "PRAGMA ignore_check_constraints") +
           Value(db, "PRAGMA locking_mode") + Value(db, "PRAGMA max_page_count") +
           Value(db, "PRAGMA foreign_keys") + Value(db, "PRAGMA writable_schema") +
           Value(db, "SELECT count(*) FROM pragma_database_list") + Value(gRaw, "PRAGMA data_version") +
           std::to_string(sqlite3_get_autocommit(db));
}

void Setup()
{
    char dir[] = "/tmp/korin-fuzz-filter-XXXXXX";
    if (!mkdtemp(dir))
        __builtin_trap();
    std::string path = std::string(dir) + "/fuzz.db";
    sqlite3_open(path.c_str(), &gRaw);
    sqlite3_exec(gRaw,
                 "CREATE TABLE t (id INTEGER PRIMARY KEY, name TEXT NOT NULL, qty INTEGER CHECK (qty >= 0), "
                 "born DATE, data BLOB);"
                 "CREATE TABLE u (k INTEGER, v TEXT);"
                 "INSERT INTO t VALUES (1, 'Smith', 3, '1980-02-29', x'00ff'), (2, 'jones', 0, NULL, NULL),"
                 "(3, 'Зоя', 7, '2001-01-01', x''); INSERT INTO u VALUES (1, 'a'), (2, 'b');",
                 nullptr, nullptr, nullptr);
    gTable = new TTable(nullptr);
    gTable->SetDatabaseName(path);
    gTable->SetTableName("t");
    gTable->Open();
    SetEngineWaitProc([] {
        if (++gTurns == 4)
            CancelEngineOperation();
    });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = (Setup(), true);
    (void)ready;
    static const std::string before = State();
    const std::string filter(reinterpret_cast<const char*>(data), size);
    gTurns = 0;
    try {
        gTable->SetFilter(filter);
        gTable->SetFiltered(true);
        gTable->First();
        while (!gTable->EOF())
            gTable->Next();
    } catch (const EDatabaseError&) {
        if (gTable->Filtered())
            __builtin_trap();  // a refused filter must leave the table unfiltered
    }
    gTable->SetFiltered(false);
    if (gTable->RecordCount() != 3 || State() != before)
        __builtin_trap();
    return 0;
}
