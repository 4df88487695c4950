// A result read whole (a join) keeps every value as it was read: Nulls, blobs with NUL
// bytes, long texts, numbers, dates, Booleans and untyped columns.
#include "tests/db/DbFixture.h"

using namespace korin;

TEST_F(DbTest, CachedResultKeepsNullsBlobsLongTextsAndTypes)
{
    Raw->Exec("CREATE TABLE kinds (k INTEGER PRIMARY KEY, t TEXT, b BLOB, r REAL, d DATE, f BOOLEAN, u);"
              "INSERT INTO kinds VALUES (1, NULL, x'00ff0041', 2.5, '2024-02-29', 1, 7),"
              " (2, printf('%.*c', 300000, 'y') || 'Ω', NULL, NULL, NULL, 0, 'seven'),"
              " (3, '', x'', -0.0, '1999-12-31', NULL, NULL);");
    TOwned<TQuery> q(new TQuery(nullptr));
    q->SetDatabaseName(Path);
    q->SQL()->Add("SELECT k.k, k.t, k.b, k.r, k.d, k.f, k.u, c.name FROM kinds k LEFT JOIN customers c ON c.id = k.k "
                  "ORDER BY k.k");
    q->Open();
    ASSERT_FALSE(q->IsKeysetCursor());
    ASSERT_EQ(q->RecordCount(), 3);
    EXPECT_EQ(q->FieldByName("u")->DataType(), ftInteger);  // from its first value

    q->First();
    EXPECT_EQ(q->FieldByName("k")->AsInteger(), 1);
    EXPECT_TRUE(q->FieldByName("t")->IsNull());
    EXPECT_EQ(q->FieldByName("b")->AsString(), std::string("\0\xff\0A", 4));
    EXPECT_EQ(q->FieldByName("r")->AsFloat(), 2.5);
    EXPECT_EQ(q->FieldByName("d")->AsString(), "2024-02-29");
    EXPECT_TRUE(q->FieldByName("f")->AsBoolean());
    EXPECT_EQ(q->FieldByName("u")->AsInteger(), 7);
    EXPECT_EQ(q->FieldByName("name")->AsString(), "Smith");

    q->Next();
    EXPECT_EQ(q->FieldByName("t")->AsString().size(), 300002u);
    EXPECT_EQ(q->FieldByName("t")->AsString().substr(299998), "yyΩ");
    EXPECT_TRUE(q->FieldByName("b")->IsNull());
    EXPECT_TRUE(q->FieldByName("r")->IsNull());
    EXPECT_TRUE(q->FieldByName("d")->IsNull());
    EXPECT_FALSE(q->FieldByName("f")->AsBoolean());
    EXPECT_FALSE(q->FieldByName("f")->IsNull());
    EXPECT_EQ(q->FieldByName("name")->AsString(), "jones");

    q->Next();
    EXPECT_EQ(q->FieldByName("t")->Value().Type(), varString);
    EXPECT_EQ(q->FieldByName("t")->AsString(), "");
    EXPECT_EQ(q->FieldByName("b")->AsString(), "");
    EXPECT_EQ(q->FieldByName("r")->AsFloat(), 0.0);
    EXPECT_EQ(q->FieldByName("d")->AsString(), "1999-12-31");
    EXPECT_TRUE(q->FieldByName("f")->IsNull());
    EXPECT_TRUE(q->FieldByName("u")->IsNull());

    // Values read without moving, Locate and a filter on the cached rows.
    EXPECT_EQ(q->ValueAt(1, q->FieldByName("b")).AsString(), std::string("\0\xff\0A", 4));
    EXPECT_TRUE(q->Locate("d", Variant("2024-02-29"), 0));
    EXPECT_EQ(q->RecNo(), 1);
    EXPECT_TRUE(q->Locate("t", Variant("YYY"), loPartialKey | loCaseInsensitive));
    EXPECT_EQ(q->RecNo(), 2);
    q->SetFilter("k > 1");
    q->SetFiltered(true);
    EXPECT_EQ(q->RecordCount(), 2);
    q->First();
    EXPECT_EQ(q->FieldByName("t")->AsString().size(), 300002u);
    q->Close();
    q->Open();
    EXPECT_EQ(q->RecordCount(), 2);
}
