// The injection corpora: every filter and query text of tests/db/corpus meets its
// expected outcome, and all of them together modify no file of the database's folder and
// no setting of the connection.
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "tests/db/DbFixture.h"

using namespace korin;

namespace {

struct TCorpusCase {
    int Line;
    std::string Expect;  // "rows N" or "error <message>"
    std::string Text;
};

std::vector<TCorpusCase> ReadCorpus(const std::string& name)
{
    std::ifstream in(std::string(KORIN_DB_CORPUS_DIR) + "/" + name);
    if (!in)
        throw std::runtime_error("cannot read corpus " + name);
    std::vector<TCorpusCase> out;
    std::string line;
    for (int n = 1; std::getline(in, line); ++n) {
        if (line.empty() || line[0] == '#')
            continue;
        size_t tab = line.find('\t');
        if (tab == std::string::npos)
            throw std::runtime_error(name + ":" + std::to_string(n) + ": no tab");
        std::string text = line.substr(tab + 1);
        for (size_t p; (p = text.find("\\0")) != std::string::npos;)
            text.replace(p, 2, std::string(1, '\0'));
        out.push_back({n, line.substr(0, tab), text});
    }
    return out;
}

// Every file and folder below a folder: its name, and the size and a hash of its
// contents.
std::map<std::string, std::string> Snapshot(const std::string& dir)
{
    std::map<std::string, std::string> files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir)) {
        if (e.is_directory()) {
            files[e.path().string()] = "folder";
            continue;
        }
        std::ifstream f(e.path(), std::ios::binary);
        std::ostringstream s;
        s << f.rdbuf();
        files[e.path().string()] = std::to_string(s.str().size()) + " bytes, hash " +
                                   std::to_string(std::hash<std::string>()(s.str()));
    }
    return files;
}

// The settings of a connection that a statement could change, as one text.
std::string Settings(sqlite3* db)
{
    static const char* const pragmas[] = {
        "ignore_check_constraints", "query_only", "locking_mode", "max_page_count", "journal_mode",
        "foreign_keys", "writable_schema", "synchronous", "cache_size", "user_version", "application_id",
        "recursive_triggers", "defer_foreign_keys", "temp_store", "busy_timeout", "automatic_index",
        "reverse_unordered_selects", "cell_size_check", "trusted_schema", "secure_delete"};
    std::string out;
    for (const char* p : pragmas) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, (std::string("PRAGMA ") + p).c_str(), -1, &st, nullptr);
        out += std::string(p) + "=";
        if (st && sqlite3_step(st) == SQLITE_ROW && sqlite3_column_text(st, 0))
            out += reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        out += ";";
        sqlite3_finalize(st);
    }
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "SELECT count(*) FROM pragma_database_list", -1, &st, nullptr);
    if (st && sqlite3_step(st) == SQLITE_ROW)
        out += "databases=" + std::to_string(sqlite3_column_int(st, 0));
    sqlite3_finalize(st);
    return out + (sqlite3_get_autocommit(db) ? "" : " in a transaction");
}

class CorpusTest : public DbTest {
protected:
    TOwned<TComponent> Owner{new TComponent(nullptr)};
    int Turns = 0;

    void SetUp() override
    {
        DbTest::SetUp();
        // A statement that needs more than a few turns of the wait procedure (about a
        // million engine steps) is taken for one that would not end.
        SetEngineWaitProc([this] {
            if (++Turns == 4)
                CancelEngineOperation();
        });
    }
    void TearDown() override
    {
        SetEngineWaitProc(nullptr);
        Owner.reset();
        DbTest::TearDown();
    }
    static std::string Show(const TCorpusCase& c)
    {
        std::string t = c.Text;
        for (size_t p; (p = t.find('\0')) != std::string::npos;)
            t.replace(p, 1, "\\0");
        return "line " + std::to_string(c.Line) + ": " + t;
    }
};

}  // namespace

TEST_F(CorpusTest, FiltersAndQueriesMeetTheirOutcomesAndChangeNothing)
{
    TTable* customers = OpenTable(Owner.get(), "customers");
    sqlite3* conn = customers->Database()->Handle();
    const auto filesBefore = Snapshot(Dir.Path());
    const std::string settingsBefore = Settings(conn);
    const std::string rowsBefore = Raw->Rows("SELECT * FROM customers") + Raw->Rows("SELECT * FROM orders");

    auto filters = ReadCorpus("filters.txt");
    EXPECT_GE(filters.size(), 60u);
    for (const auto& c : filters) {
        SCOPED_TRACE(Show(c));
        customers->Last();
        Turns = 0;
        std::string outcome;
        try {
            customers->SetFilter(c.Text);
            customers->SetFiltered(true);
            outcome = "rows " + std::to_string(customers->RecordCount());
        } catch (const EDatabaseError& e) {
            outcome = "error " + e.Message();
            // A refused filter leaves the table as it was.
            EXPECT_FALSE(customers->Filtered());
            EXPECT_EQ(customers->RecordCount(), 5);
            EXPECT_EQ(customers->RecNo(), 5);
        }
        EXPECT_EQ(outcome, c.Expect);
        customers->SetFiltered(false);
    }

    auto queries = ReadCorpus("queries.txt");
    EXPECT_GE(queries.size(), 40u);
    for (const auto& c : queries) {
        SCOPED_TRACE(Show(c));
        auto* q = new TQuery(Owner.get());
        q->SetDatabaseName(Path);
        q->SQL()->Add(c.Text);
        Turns = 0;
        std::string outcome;
        try {
            q->Open();
            outcome = "rows " + std::to_string(q->RecordCount());
        } catch (const EDatabaseError& e) {
            outcome = "error " + e.Message();
            EXPECT_FALSE(q->Active());
        }
        EXPECT_EQ(outcome, c.Expect);
        q->Free();
    }

    // Zero modifications: the same files with the same bytes, the same rows seen from a
    // second connection, the same connection settings.
    EXPECT_EQ(Snapshot(Dir.Path()), filesBefore);
    EXPECT_EQ(Raw->Rows("SELECT * FROM customers") + Raw->Rows("SELECT * FROM orders"), rowsBefore);
    EXPECT_EQ(Settings(conn), settingsBefore);
    EXPECT_EQ(Raw->Rows("PRAGMA integrity_check"), "ok");
}
