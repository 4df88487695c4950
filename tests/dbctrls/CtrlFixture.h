#pragma once
// A form over a real SQLite file: table people (30 rows, a CHECK that refuses long names)
// and table countries for lookups, opened through TTable and checked through a second,
// raw connection.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <stdexcept>
#include <string>

#include "korin/platform/db/DBTables.h"
#include "korin/platform/gui/Forms.h"
#include "tests/support/AppFixture.h"
#include "tests/support/TempDir.h"

namespace korin {

class TRawSql {
public:
    explicit TRawSql(const std::string& Path)
    {
        if (sqlite3_open(Path.c_str(), &FDb) != SQLITE_OK)
            throw std::runtime_error("cannot open test database");
    }
    ~TRawSql() { sqlite3_close(FDb); }
    void Exec(const std::string& Sql)
    {
        char* err = nullptr;
        if (sqlite3_exec(FDb, Sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
            std::string msg = err ? err : "?";
            sqlite3_free(err);
            throw std::runtime_error(msg);
        }
    }
    // The first column of the first row as text ("<null>" for NULL, "" for no row).
    std::string Value(const std::string& Sql)
    {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(FDb, Sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(FDb));
        std::string out;
        if (sqlite3_step(st) == SQLITE_ROW) {
            const unsigned char* t = sqlite3_column_text(st, 0);
            out = t ? reinterpret_cast<const char*>(t) : "<null>";
        }
        sqlite3_finalize(st);
        return out;
    }

private:
    sqlite3* FDb = nullptr;
};

class CtrlTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        Path = Dir.File("people.db");
        TRawSql raw(Path);
        raw.Exec(
            "CREATE TABLE countries(id INTEGER PRIMARY KEY, cname TEXT);"
            "INSERT INTO countries VALUES (1,'Austria'),(2,'Belgium'),(3,'Chile');"
            "CREATE TABLE people(id INTEGER PRIMARY KEY, name TEXT CHECK(length(name) < 12), age INTEGER,"
            " active BOOLEAN, notes MEMO, city TEXT, country INTEGER, born DATE);");
        std::string sql = "BEGIN;";
        const char* cities[] = {"Graz", "Ghent", "Lima"};
        for (int i = 1; i <= 30; ++i)
            sql += "INSERT INTO people VALUES (" + std::to_string(i) + ",'P" + std::to_string(i) + "'," +
                   std::to_string(20 + i) + "," + std::to_string(i % 2) + ",'note " + std::to_string(i) +
                   "\nsecond line','" + cities[i % 3] + "'," + std::to_string(i % 3 + 1) + ",'2001-02-" +
                   (i % 28 + 1 < 10 ? "0" : "") + std::to_string(i % 28 + 1) + "');";
        sql += "COMMIT;";
        raw.Exec(sql);

        Form.reset(new TForm(nullptr));
        Form->SetBounds(0, 0, 640, 480);
        Table = new TTable(Form.get());
        Table->SetDatabaseName(Path);
        Table->SetTableName("people");
        Source = new TDataSource(Form.get());
        Source->SetDataSet(Table);
    }
    void TearDown() override
    {
        Form.reset();
        AppTest::TearDown();
    }
    std::string Stored(const std::string& Sql) { return TRawSql(Path).Value(Sql); }
    void Run() { Application->ProcessMessages(); }

    TTempDir Dir;
    std::string Path;
    TOwned<TForm> Form;
    TTable* Table = nullptr;
    TDataSource* Source = nullptr;
};

}  // namespace korin
