// A search that walks record after record gives the application its turns and stops at
// a cancel request, back on the record where it began.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>

#include "korin/platform/db/DBTables.h"
#include "korin/platform/gui/Forms.h"
#include "korin/search/Dbsearch.h"
#include "korin/search/Sercheng.h"
#include "tests/support/TempDir.h"

using namespace korin;

TEST(SearchWalk, CancelRequestStopsTheWalkOnTheStartingRecord)
{
    TTempDir dir;
    const std::string path = dir.File("walk.db");
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &raw), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(raw,
                           "CREATE TABLE items (id INTEGER PRIMARY KEY, name TEXT);"
                           "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 3000) "
                           "INSERT INTO items SELECT x, 'item ' || x FROM c",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(raw);

    TOwned<TComponent> owner(new TComponent(nullptr));
    auto* table = new TTable(owner.get());
    table->SetDatabaseName(path);
    table->SetTableName("items");
    table->Open();
    auto* source = new TDataSource(owner.get());
    source->SetDataSet(table);
    auto* search = new TCustomdbSearch(owner.get());
    search->SetDataSource(source);
    table->SetRecNo(7);

    int turns = 0;
    SetEngineWaitProc([&] {
        if (++turns == 2)
            CancelEngineOperation();
    });
    TLocateInfo info;
    info.LocateField = "name";
    info.LocateText = "no such item";
    info.CaseSensitive = false;
    try {
        search->DoLocate(info);
        ADD_FAILURE() << "the walk was not cancelled";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Operation cancelled");
    }
    SetEngineWaitProc(nullptr);
    EXPECT_EQ(turns, 2);
    EXPECT_EQ(table->RecNo(), 7);
    EXPECT_FALSE(table->ControlsDisabled());
    EXPECT_EQ(GetCursor(), crDefault);
    EXPECT_FALSE(EngineOperationRunning());
}
