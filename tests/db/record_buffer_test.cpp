// The current record's buffer, refilled in place as the cursor moves: values kept by
// callers, texts of every length, Nulls and blobs changing from record to record, edits
// cancelled, a read that fails, and the in-place stores of Variant they rest on.
#include "tests/db/DbFixture.h"

using namespace korin;

namespace {

std::string Show(const Variant& v)
{
    return std::to_string(static_cast<int>(v.Type())) + ":" + (v.IsNullOrEmpty() ? "" : v.AsString());
}

class RecordBufferTest : public DbTest {
protected:
    TOwned<TComponent> Owner{new TComponent(nullptr)};
    std::string Long = std::string(200, 'L') + "end";

    void SetUp() override
    {
        DbTest::SetUp();
        // A text column whose values change length and kind from row to row, an
        // integer column with Nulls, a blob with a zero byte, and an untyped column
        // holding a different storage class in each row. 150 rows: the walk crosses
        // pages of 64.
        std::string sql = "BEGIN; CREATE TABLE things (id INTEGER PRIMARY KEY, txt VARCHAR(300), num INTEGER, "
                          "pic BLOB, any);";
        for (int i = 1; i <= 150; ++i) {
            std::string txt = i % 4 == 0 ? "NULL" : i % 4 == 1 ? "'" + Long + std::to_string(i) + "'"
                                                   : i % 4 == 2 ? "'s" + std::to_string(i) + "'"
                                                                : "''";
            std::string num = i % 3 == 0 ? "NULL" : std::to_string(i * 1000);
            std::string pic = i % 5 == 0 ? "NULL" : "x'00ff" + std::string(static_cast<size_t>(i % 3) * 2, 'a') + "'";
            std::string any = i % 3 == 0 ? "'t" + std::to_string(i) + "'" : i % 3 == 1 ? std::to_string(i) : "NULL";
            sql += "INSERT INTO things VALUES (" + std::to_string(i) + ", " + txt + ", " + num + ", " + pic + ", " +
                   any + ");";
        }
        Raw->Exec(sql + "COMMIT;");
    }
    void TearDown() override
    {
        Owner.reset();
        DbTest::TearDown();
    }

    // What row I holds, field by field, as Show prints it.
    std::string Expected(int i) const
    {
        std::string txt = i % 4 == 0   ? "1:"
                          : i % 4 == 1 ? "5:" + Long + std::to_string(i)
                          : i % 4 == 2 ? "5:s" + std::to_string(i)
                                       : "5:";
        std::string num = i % 3 == 0 ? "1:" : "3:" + std::to_string(i * 1000);
        std::string pic = i % 5 == 0 ? "1:" : "5:" + std::to_string(2 + (i % 3));
        return "3:" + std::to_string(i) + "|" + txt + "|" + num + "|" + pic;
    }
    static std::string Current(TDataSet* d)
    {
        const Variant& pic = d->Fields(3)->Value();
        return Show(d->Fields(0)->Value()) + "|" + Show(d->Fields(1)->Value()) + "|" + Show(d->Fields(2)->Value()) +
               "|" + (pic.IsNull() ? "1:" : "5:" + std::to_string(pic.AsString().size()));
    }
};

}  // namespace

TEST_F(RecordBufferTest, WalkingBothWaysShowsEachRecordWhole)
{
    auto* t = OpenTable(Owner.get(), "things");
    int i = 1;
    for (t->First(); !t->EOF(); t->Next(), ++i)
        ASSERT_EQ(Current(t), Expected(i)) << "record " << i;
    EXPECT_EQ(i, 151);
    for (t->Last(), i = 150; !t->BOF(); t->Prior(), --i)
        ASSERT_EQ(Current(t), Expected(i)) << "record " << i;
    EXPECT_EQ(i, 0);
    // The blob keeps its zero byte; the untyped column shows whatever each row stores.
    t->SetRecNo(2);
    EXPECT_EQ(t->FieldByName("pic")->AsString(), std::string("\0\xff\xaa\xaa", 4));
    EXPECT_TRUE(t->FieldByName("any")->IsNull());
    t->SetRecNo(3);
    EXPECT_EQ(t->FieldByName("any")->AsString(), "t3");
    t->SetRecNo(4);
    EXPECT_EQ(t->FieldByName("any")->AsString(), "4");
    // Records shown to another control by position agree with the cursor's.
    for (int k : {1, 64, 65, 150}) {
        const std::string e = Expected(k);
        const size_t from = e.find('|') + 1;
        EXPECT_EQ(Show(t->ValueAt(k, t->FieldByName("txt"))), e.substr(from, e.find('|', from) - from));
    }
}

TEST_F(RecordBufferTest, ValuesKeptByTheCallerDoNotFollowTheCursor)
{
    auto* t = OpenTable(Owner.get(), "things");
    TField* txt = t->FieldByName("txt");
    TField* num = t->FieldByName("num");
    t->First();
    const Variant keptText = txt->Value();  // a long text (held on the heap)
    const Variant keptNum = num->Value();
    const std::string keptString = txt->AsString();
    t->Next();  // a short text
    EXPECT_EQ(Show(txt->Value()), "5:s2");
    t->Next();  // an empty text
    EXPECT_EQ(Show(txt->Value()), "5:");
    t->Next();  // Null, Null
    EXPECT_EQ(Show(txt->Value()), "1:");
    EXPECT_EQ(Show(num->Value()), "3:4000");
    t->SetRecNo(150);  // another page
    EXPECT_EQ(Show(keptText), "5:" + Long + "1");
    EXPECT_EQ(keptString, Long + "1");
    EXPECT_EQ(Show(keptNum), "3:1000");
    // Field values gathered into an array are copies too.
    t->First();
    Variant both = t->FieldValues("id;txt");
    t->Last();
    EXPECT_EQ(Show(both[0]), "3:1");
    EXPECT_EQ(Show(both[1]), "5:" + Long + "1");
}

TEST_F(RecordBufferTest, CancelledEditsAndPostsAcrossAPageShowTheStoredRecord)
{
    auto* t = OpenTable(Owner.get(), "things");
    TDataSource src(nullptr);
    src.SetDataSet(t);
    TRecordingLink link;
    link.SetDataSource(&src);
    TField* txt = t->FieldByName("txt");

    t->SetRecNo(65);  // a long text, the first record of the second page
    link.Take();
    t->Edit();
    txt->SetAsString("short");
    t->FieldByName("num")->Clear();
    const Variant during = txt->Value();
    EXPECT_EQ(Show(during), "5:short");
    t->Cancel();
    EXPECT_EQ(link.Take(), "Editing:1 Record:- Record:txt Record:num Editing:0 Changed");
    EXPECT_EQ(Current(t), Expected(65));
    EXPECT_EQ(Show(during), "5:short");
    EXPECT_EQ(Raw->Rows("SELECT length(txt), num FROM things WHERE id = 65"), "205|65000");

    // A Null replaced by a long text and posted on the last record of the first page,
    // then the cursor moves over the boundary and back.
    t->SetRecNo(64);
    t->Edit();
    txt->SetAsString(Long);
    t->Next();
    EXPECT_EQ(Current(t), Expected(65));
    t->Prior();
    EXPECT_EQ(Show(txt->Value()), "5:" + Long);
    EXPECT_EQ(Raw->Rows("SELECT length(txt) FROM things WHERE id = 64"), "203");

    // Set back to Null and cancelled: the long text stays.
    t->Edit();
    txt->Clear();
    EXPECT_TRUE(txt->IsNull());
    t->Cancel();
    EXPECT_EQ(Show(txt->Value()), "5:" + Long);
    link.SetDataSource(nullptr);
}

TEST_F(RecordBufferTest, ARecordWhoseReadFailsIsReadAgainLater)
{
    auto* t = OpenTable(Owner.get(), "things");
    t->First();
    EXPECT_EQ(Current(t), Expected(1));
    // The table goes away under the cursor: records not read yet cannot be shown.
    Raw->Exec("ALTER TABLE things RENAME TO gone");
    t->SetRecNo(130);
    EXPECT_THROW(t->Fields(1)->Value(), EDatabaseError);
    // Back again: the same record is read whole, not left empty or half filled.
    Raw->Exec("ALTER TABLE gone RENAME TO things");
    EXPECT_EQ(Current(t), Expected(130));
    t->First();
    EXPECT_EQ(Current(t), Expected(1));
}

TEST(VariantStore, InPlaceStoresReplaceKindAndValueWhole)
{
    Variant v(std::string(100, 'x'));
    v.SetInteger(7);
    EXPECT_EQ(Show(v), "3:7");
    EXPECT_TRUE(v == Variant(7));
    EXPECT_TRUE(v == Variant("7"));
    Variant copy = v;  // carries no trace of the earlier text
    EXPECT_EQ(Show(copy), "3:7");
    v.SetText("ab", 2);
    EXPECT_EQ(Show(v), "5:ab");
    v.SetText("a\0b", 3);
    EXPECT_EQ(v.AsString(), std::string("a\0b", 3));
    v.SetNull();
    EXPECT_TRUE(v.IsNull());
    EXPECT_EQ(v.AsString(), "");
    EXPECT_TRUE(v == Variant::Null());
    v.SetFloat(2.5);
    EXPECT_EQ(Show(v), "4:2.5");
    v.SetDateTime(45000.5);
    EXPECT_EQ(v.Type(), varDate);
    EXPECT_EQ(v.AsString(), "2023-03-15 12:00:00");
    v.SetBoolean(true);
    EXPECT_EQ(Show(v), "2:True");
    v.SetText("", 0);
    EXPECT_EQ(Show(v), "5:");
    EXPECT_FALSE(v.IsNull());

    // An array shared by two copies: storing into one leaves the other its elements.
    Variant a = VarArrayCreate(0, 1);
    a[0] = "first";
    a[1] = 2;
    Variant b = a;
    a.SetText("plain", 5);
    EXPECT_EQ(Show(a), "5:plain");
    ASSERT_TRUE(b.IsArray());
    EXPECT_EQ(Show(b[0]), "5:first");
    EXPECT_EQ(Show(b[1]), "3:2");
    b.SetNull();
    EXPECT_TRUE(b.IsNull());
}
