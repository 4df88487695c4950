#pragma once
// Shared set-up of the dataset tests: a SQLite file in a temporary folder, written and
// checked through a second, raw connection, and a data link that records its
// notifications in order.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

#include "korin/platform/db/DB.h"
#include "korin/platform/db/DBTables.h"
#include "tests/support/TempDir.h"

namespace korin {

// Runs SQL on its own connection to a file.
class TRawDb {
public:
    explicit TRawDb(const std::string& path)
    {
        if (sqlite3_open(path.c_str(), &FDb) != SQLITE_OK)
            throw std::runtime_error("cannot open test database");
    }
    ~TRawDb() { sqlite3_close(FDb); }
    void Exec(const std::string& sql)
    {
        char* err = nullptr;
        if (sqlite3_exec(FDb, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
            std::string msg = err ? err : "?";
            sqlite3_free(err);
            throw std::runtime_error(msg);
        }
    }
    // Rows as "a|b|c" lines joined with "\n"; NULL shows as "<null>".
    std::string Rows(const std::string& sql)
    {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(FDb, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(FDb));
        std::string out;
        while (sqlite3_step(st) == SQLITE_ROW) {
            if (!out.empty())
                out += "\n";
            for (int i = 0; i < sqlite3_column_count(st); ++i) {
                if (i)
                    out += "|";
                const unsigned char* t = sqlite3_column_text(st, i);
                out += t ? reinterpret_cast<const char*>(t) : "<null>";
            }
        }
        sqlite3_finalize(st);
        return out;
    }

private:
    sqlite3* FDb = nullptr;
};

// Records the notifications of a data link as short texts.
class TRecordingLink : public TDataLink {
public:
    std::vector<std::string> Events;
    void ActiveChanged() override { Events.push_back(std::string("Active:") + (Active() ? "1" : "0")); }
    void DataSetChanged() override { Events.push_back("Changed"); }
    void DataSetScrolled(int Distance) override { Events.push_back("Scrolled:" + std::to_string(Distance)); }
    void EditingChanged() override { Events.push_back(std::string("Editing:") + (Editing() ? "1" : "0")); }
    void LayoutChanged() override { Events.push_back("Layout"); }
    void RecordChanged(TField* Field) override
    {
        Events.push_back("Record:" + (Field ? Field->FieldName() : std::string("-")));
    }
    std::string Take()
    {
        std::string out;
        for (const auto& e : Events) {
            if (!out.empty())
                out += " ";
            out += e;
        }
        Events.clear();
        return out;
    }
};

// A database with customers (5 rows) and orders, and a table, source and link on
// customers.
class DbTest : public ::testing::Test {
protected:
    TTempDir Dir;
    std::string Path = Dir.File("sample.db");
    TRawDb* Raw = nullptr;

    void SetUp() override
    {
        // A locked file is waited for without sleeping: the pauses pass at once.
        SetBusyWaitProc([](int) {});
        Raw = new TRawDb(Path);
        Raw->Exec(R"(
            BEGIN;
            CREATE TABLE customers (
              id INTEGER PRIMARY KEY,
              name VARCHAR(30) NOT NULL UNIQUE,
              city VARCHAR(20),
              amount REAL CHECK (amount >= 0),
              born DATE,
              notes MEMO,
              vip BOOLEAN);
            CREATE INDEX by_city ON customers(city, name);
            INSERT INTO customers VALUES (1, 'Smith', 'Paris', 10.5, '1980-02-29', 'likes tea', 1);
            INSERT INTO customers VALUES (2, 'jones', 'Berlin', 20, NULL, NULL, 0);
            INSERT INTO customers VALUES (3, 'Smithers', 'Paris', 0, '1975-12-01', NULL, 0);
            INSERT INTO customers VALUES (4, 'Brown', NULL, 7.25, NULL, 'x', NULL);
            INSERT INTO customers VALUES (5, 'Зоя', 'Москва', 3, NULL, NULL, 1);
            CREATE TABLE orders (
              ordno INTEGER PRIMARY KEY,
              custno INTEGER NOT NULL,
              item TEXT,
              qty INTEGER);
            CREATE INDEX by_cust ON orders(custno, ordno);
            INSERT INTO orders VALUES (100, 1, 'pen', 2), (101, 2, 'ink', 1), (102, 1, 'pad', 5),
                                      (103, 3, 'cap', 1), (104, 1, 'box', 9);
            COMMIT;
        )");
    }
    void TearDown() override
    {
        delete Raw;
        SetBusyWaitProc(nullptr);
    }

    // A table on the sample file, opened.
    TTable* OpenTable(TComponent* owner, const std::string& name)
    {
        auto* t = new TTable(owner);
        t->SetDatabaseName(Path);
        t->SetTableName(name);
        t->Open();
        return t;
    }
};

}  // namespace korin
