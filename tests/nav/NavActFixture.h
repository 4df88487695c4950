#pragma once
// Shared set-up of the navigator action tests: a SQLite file in a temporary folder with 25
// items, checked through a second raw connection, and a shown form carrying a navigator
// bound to a table on it.
#include <gtest/gtest.h>

#include <string>

#include "korin/nav/Vdbnav.h"
#include "korin/nav/Vdbnavbuf.h"
#include "korin/platform/db/DB.h"
#include "korin/platform/db/DBTables.h"
#include "korin/platform/gui/Forms.h"
#include "tests/db/DbFixture.h"
#include "tests/support/AppFixture.h"
#include "tests/support/TempDir.h"

namespace korin {

class NavActTest : public AppTest {
protected:
    TTempDir Dir;
    std::string Path = Dir.File("items.db");
    TRawDb* Raw = nullptr;
    TForm* form = nullptr;
    TVandroDBNavigator* nav = nullptr;
    TDataSource* source = nullptr;
    TTable* table = nullptr;

    void SetUp() override
    {
        AppTest::SetUp();
        Raw = new TRawDb(Path);
        std::string sql =
            "BEGIN;"
            "CREATE TABLE items (id INTEGER PRIMARY KEY, name VARCHAR(30), qty INTEGER CHECK (qty >= 0),"
            " born DATE, at TIME, stamp DATETIME);"
            "CREATE TABLE empty (id INTEGER PRIMARY KEY, name VARCHAR(30));"
            "CREATE TABLE single (id INTEGER PRIMARY KEY, name VARCHAR(30));"
            "INSERT INTO single VALUES (1, 'only');";
        for (int i = 1; i <= 25; ++i)
            sql += "INSERT INTO items VALUES (" + std::to_string(i) + ", 'item" + std::to_string(i) + "', "
                   + std::to_string(i * 10) + ", '2000-01-" + (i < 10 ? "0" : "") + std::to_string(i)
                   + "', '10:00:00', NULL);";
        sql += "COMMIT;";
        Raw->Exec(sql);

        form = new TForm(nullptr);
        form->SetBounds(100, 50, 600, 400);
        form->Show();
        nav = new TVandroDBNavigator(form);
        nav->Loaded();
        nav->SetVisibleButtons(TVButtonSet::FromMask(TVButtonSet::AllMask));
        nav->SetBounds(10, 40, 500, 20);
        source = new TDataSource(form);
        table = OpenTable("items");
        source->SetDataSet(table);
        nav->SetDataSource(source);
    }
    void TearDown() override
    {
        form->Free();
        delete Raw;
        AppTest::TearDown();
    }

    TTable* OpenTable(const std::string& Name)
    {
        auto* t = new TTable(form);
        t->SetDatabaseName(Path);
        t->SetTableName(Name);
        t->Open();
        return t;
    }
    // Shows another dataset through the navigator's data source (closing the link in
    // between, so that the navigator hears of the change even when both are open).
    void UseDataSet(TDataSet* DataSet)
    {
        source->SetDataSet(nullptr);
        source->SetDataSet(DataSet);
    }
    // Mouse click on a button, processed like real input.
    void ClickButton(TVNavigateBtn B)
    {
        input.Click(nav->Buttons(B));
        Application->ProcessMessages();
    }
    std::string Row(int Id) { return Raw->Rows("SELECT * FROM items WHERE id = " + std::to_string(Id)); }
};

}  // namespace korin
