// Hostile filter texts and conditions through the real FILTER and QUERY commands: none
// may change the database, its folder or the connection, crash or hang, and the dataset
// is usable afterwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/query/QueryFixture.h"

using namespace korin;

namespace {

// The folder's files with their sizes and contents, so that a new, grown or rewritten
// file shows.
std::string FolderState(const std::string& Dir)
{
    std::vector<std::string> entries;
    for (const auto& e : std::filesystem::directory_iterator(Dir)) {
        std::ifstream in(e.path(), std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        entries.push_back(e.path().filename().string() + " " + std::to_string(bytes.str().size()) + " " +
                          std::to_string(std::hash<std::string>{}(bytes.str())));
    }
    std::sort(entries.begin(), entries.end());
    std::string out;
    for (const auto& s : entries)
        out += s + "\n";
    return out;
}

std::vector<std::string> HostileTexts(const std::string& Dir)
{
    std::vector<std::string> t = {
        // statement stacking
        "1=1; DROP TABLE ORDERS",
        "Amount > 0); DROP TABLE ORDERS; --",
        "1=1; DELETE FROM ORDERS",
        "1=1) ; INSERT INTO ORDERS(OrderNo) VALUES (999); SELECT (1",
        "1=1; UPDATE ORDERS SET Amount = 0",
        "1=1; CREATE TABLE pwn(x)",
        "1=1; CREATE TEMP TRIGGER t AFTER INSERT ON ORDERS BEGIN DELETE FROM ORDERS; END",
        "1=1; BEGIN EXCLUSIVE",
        "1=1; SAVEPOINT a",
        "1=1; ANALYZE",
        "1=1; REINDEX",
        "1 = 1 -- \n ; DELETE FROM ORDERS",
        "sqlite_version() = sqlite_version(); REPLACE INTO ORDERS(OrderNo) VALUES (1)",
        // comments
        "1=1 --",
        "1=1 /*",
        "*/ DELETE FROM ORDERS /*",
        "Amount > 0 /* ; DROP TABLE ORDERS */",
        // closing the expression early
        "Amount > 0) OR (1=1",
        "0) UNION SELECT * FROM sqlite_master --",
        "Amount > 0 UNION ALL SELECT sql FROM sqlite_master",
        "1=1 ORDER BY 1; DROP TABLE ORDERS",
        // CTEs with data changes
        "EXISTS (WITH x AS (DELETE FROM ORDERS RETURNING 1) SELECT 1)",
        "OrderNo IN (WITH d AS (SELECT 1) DELETE FROM ORDERS)",
        "OrderNo IN (WITH RECURSIVE r(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM r WHERE n < 5) SELECT n FROM r)",
        // other files and the connection
        "1=1; ATTACH DATABASE '" + Dir + "/evil.db' AS evil",
        "1=1; DETACH DATABASE main",
        "1=1; VACUUM INTO '" + Dir + "/copy.db'",
        "1=1; VACUUM",
        "load_extension('libevil.so') IS NULL",
        "load_extension('/lib/x86_64-linux-gnu/libc.so.6') IS NULL",
        "OrderNo = (SELECT writefile('" + Dir + "/pwn.txt', 'x'))",
        "readfile('/etc/passwd') IS NOT NULL",
        // pragmas
        "1=1; PRAGMA writable_schema = ON",
        "1=1; PRAGMA journal_mode = WAL",
        "1=1; PRAGMA user_version = 7",
        "1=1; PRAGMA query_only = 0",
        "(SELECT count(*) FROM pragma_table_info('ORDERS')) > 0",
        "EXISTS (SELECT * FROM pragma_journal_mode('wal'))",
        // quotes and brackets that do not close
        "'unbalanced",
        "Note = 'O'Brien'",
        "Note = \"unclosed",
        "`Note`) OR 1=1 --",
        "[Note] = 1; DROP TABLE ORDERS",
        "((((((((((",
        "))))) OR 1=1",
        // NUL bytes and bad text
        std::string("Amount > 1\0; DROP TABLE ORDERS", 30),
        std::string("\0", 1),
        "\xff\xfe\xfd invalid",
        "x'00' = x'00'; DROP TABLE ORDERS",
        // very long and very deep texts, heavy work
        "randomblob(1000000000) IS NULL",
    };
    std::string longText;
    for (int i = 0; i < 4000; ++i)
        longText += "Amount > 0 AND ";
    t.push_back(longText + "1");
    t.push_back(std::string(5000, '(') + "1" + std::string(5000, ')'));
    t.push_back(std::string(20000, 'x'));
    return t;
}

class InjectionTest : public QueryTest {};

TEST_F(InjectionTest, HostileTextsChangeNothing)
{
    const std::vector<std::string> texts = HostileTexts(Dir.Path());
    ASSERT_GE(texts.size(), 40u);
    const std::string dump = Dump();
    const std::string folder = FolderState(Dir.Path());
    Orders->MoveBy(5);
    int modifications = 0;
    int n = 0;
    for (const std::string& text : texts) {
        SCOPED_TRACE("text " + std::to_string(n++) + ": " + text.substr(0, 80));
        Orders->Locate("OrderNo", Variant(6LL), 0);
        // FILTER through the filter box (held down, so that the box always opens).
        Hold(vnbFilter, [&] {
            input.Call([text] {
                ASSERT_NE(FilterEditBox, nullptr);
                FilterEditBox->Edit->SetText(text);
            });
            input.Key(VK_RETURN);
        });
        ASSERT_EQ(Application->ModalLevel(), 0);
        if (Nav->FilterActive())
            Click(vnbFilter);
        else
            EXPECT_EQ(OrderNo(), 6);  // refused: the dataset is as it was
        EXPECT_FALSE(Orders->Filtered());
        EXPECT_EQ(Orders->RecordCount(), 20);

        // QUERY through the condition builder.
        Orders->Locate("OrderNo", Variant(6LL), 0);
        Hold(vnbQuery, [&] {
            input.Call([this, text] {
                ASSERT_NE(SetupQ, nullptr);
                SetupQ->Edit1->SetText(text);
                input.Click(SetupQ->BitBtn1);
            });
        });
        ASSERT_EQ(Application->ModalLevel(), 0);
        if (Nav->QueryActive())
            Click(vnbQuery);
        else
            EXPECT_EQ(OrderNo(), 6);
        EXPECT_EQ(Source->DataSet(), Orders);
        EXPECT_EQ(Orders->RecordCount(), 20);

        if (Dump() != dump || FolderState(Dir.Path()) != folder)
            ++modifications;
    }
    EXPECT_EQ(modifications, 0);
    // Every text went through both dialogs.
    EXPECT_EQ(Nav->FilterBoxes, static_cast<int>(texts.size()));
    EXPECT_EQ(Nav->QueryBoxes, static_cast<int>(texts.size()));
    RecordProperty("refused_queries", static_cast<int>(Boxes.size()));
    EXPECT_EQ(Dump(), dump);
    EXPECT_EQ(FolderState(Dir.Path()), folder);
    // Every refused query said so; the filters were refused silently.
    for (const std::string& box : Boxes)
        EXPECT_TRUE(box == "Parser error: Can't prepare query! 0" || box == "SQL ERROR: Can not apply Query! 16") << box;
    // The connection still works for the user's own changes.
    Orders->Edit();
    Orders->FieldByName("Note")->SetAsString("kept");
    Orders->Post();
    EXPECT_EQ(Raw->Rows("SELECT Note FROM ORDERS WHERE OrderNo = 6"), "kept");
}

}  // namespace
