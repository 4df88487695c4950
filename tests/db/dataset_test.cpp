#include "tests/db/DbFixture.h"

using namespace korin;

namespace {

// A table on customers with a data source and a recording link.
class DataSetTest : public DbTest {
protected:
    TOwned<TComponent> Owner{new TComponent(nullptr)};
    TTable* T = nullptr;
    TDataSource* DS = nullptr;
    TRecordingLink Link;

    void SetUp() override
    {
        DbTest::SetUp();
        T = new TTable(Owner.get());
        T->SetName("Customers");
        T->SetDatabaseName(Path);
        T->SetTableName("customers");
        DS = new TDataSource(Owner.get());
        DS->SetDataSet(T);
        Link.SetDataSource(DS);
    }
    void TearDown() override
    {
        Link.SetDataSource(nullptr);
        Owner.reset();
        DbTest::TearDown();
    }
    std::string Name() { return T->FieldByName("name")->AsString(); }
};

}  // namespace

TEST_F(DataSetTest, OpenCloseAndReopenNotifyTheLink)
{
    EXPECT_EQ(T->State(), dsInactive);
    EXPECT_EQ(T->RecNo(), 0);
    EXPECT_EQ(T->RecordCount(), 0);
    T->Open();
    EXPECT_EQ(Link.Take(), "Active:1");
    EXPECT_TRUE(Link.Active());
    EXPECT_EQ(T->State(), dsBrowse);
    EXPECT_TRUE(T->BOF());
    EXPECT_FALSE(T->EOF());
    EXPECT_EQ(T->RecNo(), 1);
    EXPECT_EQ(T->RecordCount(), 5);
    EXPECT_TRUE(T->IsKeysetCursor());
    EXPECT_EQ(T->Name(), "Customers");
    EXPECT_EQ(T->ClassName(), "TTable");
    TField* name = T->FieldByName("name");
    T->SetActive(false);
    EXPECT_EQ(Link.Take(), "Active:0");
    EXPECT_TRUE(name->IsNull());
    T->SetActive(true);
    EXPECT_EQ(Link.Take(), "Active:1");
    // The same field object serves the re-opened dataset.
    EXPECT_EQ(T->FieldByName("name"), name);
    EXPECT_EQ(name->AsString(), "Smith");
}

TEST_F(DataSetTest, FieldsDescribeTheColumns)
{
    T->Open();
    ASSERT_EQ(T->FieldCount(), 7);
    EXPECT_EQ(T->Fields(0)->FieldName(), "id");
    EXPECT_EQ(T->Fields(0)->DataType(), ftAutoInc);
    EXPECT_EQ(T->Fields(1)->DataType(), ftString);
    EXPECT_EQ(T->Fields(3)->DataType(), ftFloat);
    EXPECT_EQ(T->Fields(4)->DataType(), ftDate);
    EXPECT_EQ(T->Fields(5)->DataType(), ftMemo);
    EXPECT_EQ(T->Fields(6)->DataType(), ftBoolean);
    EXPECT_TRUE(Is<TMemoField>(T->Fields(5)));
    EXPECT_EQ(T->Fields().Count(), 7);
    EXPECT_EQ(T->Fields()[6], T->FieldByName("vip"));
    EXPECT_TRUE(Is<TBlobField>(T->Fields(5)));
    EXPECT_TRUE(T->Fields(1)->Required());
    EXPECT_EQ(T->FindField("NAME"), T->Fields(1));
    EXPECT_EQ(T->FindField("nope"), nullptr);
    try {
        T->FieldByName("nope");
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Customers: Field 'nope' not found");
    }
    EXPECT_EQ(T->Fields(1)->Size(), 30);
    EXPECT_EQ(T->Fields(1)->DisplayWidth(), 30);
    EXPECT_EQ(T->Fields(4)->DisplayWidth(), 10);
    EXPECT_EQ(T->Fields(2)->DisplayLabel(), "city");
    T->Fields(2)->SetDisplayLabel("Town");
    EXPECT_EQ(T->Fields(2)->DisplayLabel(), "Town");
    T->Fields(2)->SetVisible(false);
    EXPECT_EQ(Link.Take(), "Active:1 Layout Layout");
    EXPECT_FALSE(T->Fields(0)->CanModify());  // auto-increment
    EXPECT_TRUE(T->Fields(1)->CanModify());
    T->Fields(1)->SetReadOnly(true);
    EXPECT_FALSE(T->Fields(1)->CanModify());

    EXPECT_EQ(T->FieldByName("born")->Text(), "1980-02-29");
    EXPECT_EQ(T->FieldByName("amount")->AsString(), "10.5");
    EXPECT_EQ(T->FieldByName("vip")->Text(), "True");
    EXPECT_EQ(T->FieldByName("id")->Value().Type(), varInt64);
    EXPECT_EQ(T->FieldByName("born")->Value().Type(), varDate);
    EXPECT_EQ(T->FieldByName("born")->AsDateTime(), EncodeDate(1980, 2, 29));
    Variant v = T->FieldValues("id;name");
    ASSERT_TRUE(v.IsArray());
    EXPECT_EQ(v[0].AsInteger(), 1);
    EXPECT_EQ(v[1].AsString(), "Smith");
    EXPECT_TRUE(T->FieldValues("city").AsString() == "Paris");
}

TEST_F(DataSetTest, CursorStopsAtBothEndsAndScrollsOnlyWhenMoving)
{
    T->Open();
    Link.Take();
    T->Prior();  // already at the beginning
    EXPECT_TRUE(T->BOF());
    EXPECT_EQ(Link.Take(), "");
    T->Next();
    EXPECT_EQ(Link.Take(), "Scrolled:1");
    EXPECT_FALSE(T->BOF());
    EXPECT_EQ(T->RecNo(), 2);
    EXPECT_EQ(T->MoveBy(10), 3);
    EXPECT_EQ(Link.Take(), "Scrolled:3");
    EXPECT_TRUE(T->EOF());
    EXPECT_EQ(T->RecNo(), 5);
    T->Next();
    EXPECT_EQ(Link.Take(), "");
    EXPECT_EQ(T->RecNo(), 5);
    EXPECT_EQ(T->MoveBy(-2), -2);
    EXPECT_EQ(Link.Take(), "Scrolled:-2");
    EXPECT_FALSE(T->EOF());
    EXPECT_EQ(T->MoveBy(-100), -2);
    EXPECT_TRUE(T->BOF());
    EXPECT_EQ(Link.Take(), "Scrolled:-2");
    T->Last();
    EXPECT_EQ(Link.Take(), "Changed");
    EXPECT_TRUE(T->EOF());
    EXPECT_FALSE(T->BOF());
    EXPECT_EQ(Name(), "Зоя");
    T->First();
    EXPECT_EQ(Link.Take(), "Changed");
    EXPECT_TRUE(T->BOF());
    T->SetRecNo(4);
    EXPECT_EQ(Name(), "Brown");
    EXPECT_EQ(Link.Take(), "Changed");
}

TEST_F(DataSetTest, EmptyDatasetIsAtBothEnds)
{
    Raw->Exec("DELETE FROM customers");
    T->Open();
    EXPECT_TRUE(T->BOF());
    EXPECT_TRUE(T->EOF());
    EXPECT_TRUE(T->IsEmpty());
    EXPECT_EQ(T->RecNo(), 0);
    EXPECT_EQ(T->RecordCount(), 0);
    T->Next();
    T->Last();
    EXPECT_TRUE(T->BOF());
    EXPECT_TRUE(T->EOF());
    EXPECT_TRUE(T->FieldByName("name")->IsNull());
    try {
        T->Delete();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Cannot perform this operation on an empty dataset");
    }
    // Edit on an empty dataset starts a new record.
    T->Edit();
    EXPECT_EQ(T->State(), dsInsert);
}

TEST_F(DataSetTest, EditPostWritesTheRecordAndNotifiesInOrder)
{
    T->Open();
    T->Next();
    Link.Take();
    T->Edit();
    EXPECT_EQ(T->State(), dsEdit);
    EXPECT_EQ(Link.Take(), "Editing:1 Record:-");
    EXPECT_TRUE(Link.Editing());
    EXPECT_FALSE(T->Modified());
    T->SetFieldValues("city", Variant("Rome"));
    T->FieldByName("born")->SetValue(Variant::FromDateTime(EncodeDate(1990, 5, 6) + 0.75));
    T->FieldByName("amount")->SetAsString("12.25");
    EXPECT_EQ(Link.Take(), "Record:city Record:born Record:amount");
    EXPECT_TRUE(T->Modified());
    EXPECT_EQ(T->RecNo(), 2);
    // Nothing reaches the file before Post.
    EXPECT_EQ(Raw->Rows("SELECT city FROM customers WHERE id = 2"), "Berlin");
    T->Post();
    EXPECT_EQ(Link.Take(), "Editing:0 Changed");
    EXPECT_EQ(T->State(), dsBrowse);
    EXPECT_EQ(T->RecNo(), 2);
    EXPECT_EQ(Raw->Rows("SELECT id, name, city, amount, born FROM customers WHERE id = 2"),
              "2|jones|Rome|12.25|1990-05-06");
    EXPECT_EQ(T->FieldByName("city")->AsString(), "Rome");

    // A post without changes writes nothing; Cancel leaves the file alone.
    T->Edit();
    T->Post();
    T->Edit();
    T->FieldByName("city")->SetValue("Oslo");
    T->Cancel();
    EXPECT_EQ(T->FieldByName("city")->AsString(), "Rome");
    EXPECT_EQ(Raw->Rows("SELECT city FROM customers WHERE id = 2"), "Rome");

    // Writes outside the editing states are refused.
    try {
        T->FieldByName("city")->SetValue("X");
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Dataset not in edit or insert mode");
    }
    T->Edit();
    try {
        T->FieldByName("id")->SetValue(77);
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Field 'id' cannot be modified");
    }
    try {
        T->FieldByName("amount")->SetValue("lots");
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "'lots' is not a valid floating point value for field 'amount'");
    }
    EXPECT_EQ(T->FieldByName("amount")->AsFloat(), 12.25);
}

TEST_F(DataSetTest, ScrollingWhileEditingPostsFirst)
{
    T->Open();
    T->Edit();
    T->FieldByName("city")->SetValue("Lyon");
    Link.Take();
    T->Next();
    EXPECT_EQ(Link.Take(), "Editing:0 Changed Scrolled:1");
    EXPECT_EQ(Raw->Rows("SELECT city FROM customers WHERE id = 1"), "Lyon");
}

TEST_F(DataSetTest, InsertAppendCancelAndDeleteKeepCountsRight)
{
    T->Open();
    T->Next();
    Link.Take();
    T->Insert();
    EXPECT_EQ(Link.Take(), "Editing:1 Changed");
    EXPECT_EQ(T->State(), dsInsert);
    EXPECT_EQ(T->RecNo(), -1);
    EXPECT_EQ(T->RecordCount(), 5);
    EXPECT_TRUE(T->FieldByName("name")->IsNull());
    T->Cancel();
    EXPECT_EQ(Link.Take(), "Editing:0 Changed");
    EXPECT_EQ(T->RecNo(), 2);
    EXPECT_EQ(T->RecordCount(), 5);
    EXPECT_EQ(Name(), "jones");

    T->Append();
    T->FieldByName("name")->SetValue("Adams");
    T->FieldByName("vip")->SetValue(true);
    T->Post();
    EXPECT_EQ(T->RecordCount(), 6);
    EXPECT_EQ(T->RecNo(), 6);
    EXPECT_EQ(T->FieldByName("id")->AsInteger(), 6);  // assigned by the engine
    EXPECT_EQ(Raw->Rows("SELECT id, name, city, vip FROM customers WHERE name = 'Adams'"), "6|Adams|<null>|1");

    T->SetRecNo(3);
    Link.Take();
    T->Delete();
    EXPECT_EQ(Link.Take(), "Changed");
    EXPECT_EQ(T->RecordCount(), 5);
    EXPECT_EQ(T->RecNo(), 3);
    EXPECT_EQ(Name(), "Brown");
    EXPECT_EQ(Raw->Rows("SELECT count(*) FROM customers WHERE id = 3"), "0");
    T->Last();
    T->Delete();
    EXPECT_EQ(T->RecNo(), 4);
    EXPECT_EQ(Name(), "Зоя");
    EXPECT_EQ(Raw->Rows("SELECT group_concat(id) FROM (SELECT id FROM customers ORDER BY id)"), "1,2,4,5");
}

TEST_F(DataSetTest, RejectedPostKeepsStateAndValues)
{
    T->Open();
    // NOT NULL
    T->Append();
    T->FieldByName("city")->SetValue("Nowhere");
    try {
        T->Post();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "NOT NULL constraint failed: customers.name");
    }
    EXPECT_EQ(T->State(), dsInsert);
    EXPECT_EQ(T->FieldByName("city")->AsString(), "Nowhere");
    EXPECT_TRUE(T->Modified());
    T->Cancel();
    // UNIQUE
    T->Next();
    T->Edit();
    T->FieldByName("name")->SetValue("Smith");
    T->FieldByName("city")->SetValue("Dublin");
    try {
        T->Post();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "UNIQUE constraint failed: customers.name");
    }
    EXPECT_EQ(T->State(), dsEdit);
    EXPECT_EQ(Name(), "Smith");
    EXPECT_EQ(T->FieldByName("city")->AsString(), "Dublin");
    // CHECK
    T->FieldByName("name")->SetValue("Jones");
    T->FieldByName("amount")->SetValue(-1);
    EXPECT_THROW(T->Post(), EDatabaseError);
    EXPECT_EQ(T->State(), dsEdit);
    EXPECT_EQ(T->FieldByName("amount")->AsFloat(), -1.0);
    // Fixing the value lets the same record post.
    T->FieldByName("amount")->SetValue(1);
    T->Post();
    EXPECT_EQ(Raw->Rows("SELECT name, city, amount FROM customers WHERE id = 2"), "Jones|Dublin|1.0");
}

TEST_F(DataSetTest, LockedDatabaseRaisesAndChangesNothing)
{
    T->Open();
    T->Edit();
    T->FieldByName("city")->SetValue("Lisbon");
    Raw->Exec("BEGIN EXCLUSIVE");
    try {
        T->Post();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "database is locked");
    }
    EXPECT_EQ(T->State(), dsEdit);
    EXPECT_EQ(T->FieldByName("city")->AsString(), "Lisbon");
    Raw->Exec("ROLLBACK");
    T->Post();
    EXPECT_EQ(Raw->Rows("SELECT city FROM customers WHERE id = 1"), "Lisbon");
}

TEST_F(DataSetTest, ReadOnlyDatabaseCannotBeModified)
{
    TDatabase* db = new TDatabase(Owner.get());
    db->SetDatabaseName("ro");
    db->SetAliasName("sample");
    Session->AddAlias("sample", Path);
    db->SetReadOnly(true);
    T->SetDatabaseName("ro");
    T->Open();
    EXPECT_EQ(T->Database(), db);
    EXPECT_TRUE(db->ReadOnly());
    EXPECT_FALSE(T->CanModify());
    EXPECT_FALSE(T->FieldByName("name")->CanModify());
    try {
        T->Edit();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Cannot modify a read-only dataset");
    }
    EXPECT_THROW(T->Insert(), EDatabaseError);
    EXPECT_THROW(T->Delete(), EDatabaseError);
    EXPECT_EQ(T->State(), dsBrowse);
    EXPECT_EQ(Raw->Rows("SELECT count(*) FROM customers"), "5");
    T->Close();
    Session->DeleteAlias("sample");
}

TEST_F(DataSetTest, LocateWithEveryOptionCombination)
{
    T->Open();
    Link.Take();
    EXPECT_FALSE(T->Locate("name", Variant("smith"), 0));
    EXPECT_EQ(T->RecNo(), 1);
    EXPECT_EQ(Link.Take(), "");
    EXPECT_TRUE(T->Locate("name", Variant("JONES"), loCaseInsensitive));
    EXPECT_EQ(T->RecNo(), 2);
    EXPECT_EQ(Link.Take(), "Changed");
    EXPECT_FALSE(T->Locate("name", Variant("Smi"), 0));
    EXPECT_FALSE(T->Locate("name", Variant("smi"), loPartialKey));
    EXPECT_TRUE(T->Locate("name", Variant("Smi"), loPartialKey));
    EXPECT_EQ(T->RecNo(), 1);  // the first in cursor order
    EXPECT_TRUE(T->Locate("name", Variant("smithe"), loCaseInsensitive | loPartialKey));
    EXPECT_EQ(Name(), "Smithers");
    EXPECT_TRUE(T->Locate("name", Variant("зо"), loCaseInsensitive | loPartialKey));
    EXPECT_EQ(T->RecNo(), 5);
    EXPECT_TRUE(T->Locate("id", Variant("4"), 0));  // converted to the field's type
    EXPECT_EQ(Name(), "Brown");
    EXPECT_FALSE(T->Locate("id", Variant("four"), 0));
    EXPECT_EQ(Name(), "Brown");

    Variant key = VarArrayCreate(0, 1);
    key[0] = "Paris";
    key[1] = "Smithers";
    EXPECT_TRUE(T->Locate("city;name", key, 0));
    EXPECT_EQ(T->RecNo(), 3);
    key[1] = "Brown";
    EXPECT_FALSE(T->Locate("city;name", key, 0));
    key[0] = Variant::Null();
    EXPECT_TRUE(T->Locate("city;name", key, 0));  // Null matches the empty city
    EXPECT_EQ(T->RecNo(), 4);
    EXPECT_TRUE(T->Locate("born", Variant::FromDateTime(EncodeDate(1975, 12, 1)), 0));
    EXPECT_EQ(T->RecNo(), 3);
    EXPECT_THROW(T->Locate("city;name", Variant("Paris"), 0), EDatabaseError);
    EXPECT_THROW(T->Locate("town", Variant("Paris"), 0), EDatabaseError);
}

TEST_F(DataSetTest, BookmarksSurviveScrollsAndDetectDeletedRecords)
{
    T->Open();
    T->MoveBy(2);
    TBookmark b = T->GetBookmark();
    EXPECT_TRUE(b.Valid);
    T->Last();
    T->Prior();
    Link.Take();
    T->GotoBookmark(b);
    EXPECT_EQ(Link.Take(), "Changed");
    EXPECT_EQ(T->RecNo(), 3);
    EXPECT_EQ(Name(), "Smithers");
    EXPECT_TRUE(T->BookmarkValid(b));
    T->Delete();
    EXPECT_FALSE(T->BookmarkValid(b));
    try {
        T->GotoBookmark(b);
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Record not found");
    }
    T->FreeBookmark(b);
    EXPECT_FALSE(b.Valid);
    T->GotoBookmark(b);  // an empty bookmark does nothing
    EXPECT_EQ(T->RecNo(), 3);
}

TEST_F(DataSetTest, FilterNarrowsAndABadFilterChangesNothing)
{
    T->Open();
    T->SetFilter("city = 'Paris'");
    EXPECT_EQ(T->RecordCount(), 5);  // not yet in force
    Link.Take();
    T->SetFiltered(true);
    EXPECT_EQ(Link.Take(), "Changed");
    EXPECT_EQ(T->RecordCount(), 2);
    EXPECT_TRUE(T->BOF());
    T->Next();
    EXPECT_EQ(Name(), "Smithers");
    try {
        T->SetFilter("city = = 'Paris'");
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "near \"=\": syntax error");
    }
    EXPECT_EQ(T->Filter(), "city = 'Paris'");
    EXPECT_EQ(T->RecordCount(), 2);
    EXPECT_EQ(T->RecNo(), 2);
    EXPECT_EQ(Name(), "Smithers");
    EXPECT_EQ(Link.Take(), "Scrolled:1");
    EXPECT_THROW(T->SetFilter("nosuchfield > 1"), EDatabaseError);
    EXPECT_THROW(T->SetFilter("1) OR (1"), EDatabaseError);
    EXPECT_THROW(T->SetFilter("1; DELETE FROM customers"), EDatabaseError);
    EXPECT_EQ(Raw->Rows("SELECT count(*) FROM customers"), "5");
    EXPECT_EQ(T->RecordCount(), 2);

    T->SetFilter("amount > 5 AND name LIKE 's%'");
    EXPECT_EQ(T->RecordCount(), 1);
    EXPECT_EQ(Name(), "Smith");
    T->SetFiltered(false);
    EXPECT_EQ(T->RecordCount(), 5);

    // A filter set while closed is checked when the dataset opens.
    T->Close();
    T->SetFilter("city = = 1");
    T->SetFiltered(true);
    EXPECT_THROW(T->Open(), EDatabaseError);
    EXPECT_FALSE(T->Active());
}

TEST_F(DataSetTest, DisabledControlsHearOneChangeAtTheLastEnable)
{
    T->Open();
    Link.Take();
    T->DisableControls();
    T->DisableControls();
    EXPECT_TRUE(T->ControlsDisabled());
    T->Next();
    T->Edit();
    T->FieldByName("city")->SetValue("Kyiv");
    T->Post();
    T->Last();
    T->EnableControls();
    EXPECT_EQ(Link.Take(), "");
    T->EnableControls();
    EXPECT_FALSE(T->ControlsDisabled());
    EXPECT_EQ(Link.Take(), "Changed");
    // A state change hidden by the disabling is reported before the data change.
    T->DisableControls();
    T->Edit();
    T->EnableControls();
    EXPECT_EQ(Link.Take(), "Editing:1 Changed");
    T->Cancel();
    T->DisableControls();
    T->Close();
    T->EnableControls();
    EXPECT_EQ(Link.Take(), "Editing:0 Changed Active:0");
}

TEST_F(DataSetTest, DataSourceAndLinkLifetimes)
{
    T->Open();
    int stateChanges = 0;
    DS->OnStateChange = [&](TObject*) { ++stateChanges; };
    T->Edit();
    T->Cancel();
    EXPECT_EQ(stateChanges, 2);
    EXPECT_EQ(DS->State(), dsBrowse);
    EXPECT_EQ(Link.DataSet(), T);
    Link.Take();

    // A data source that goes detaches its links.
    TRecordingLink other;
    auto* src = new TDataSource(nullptr);
    src->SetDataSet(T);
    other.SetDataSource(src);
    EXPECT_EQ(other.Take(), "Active:1");
    src->Free();
    EXPECT_EQ(other.DataSource(), nullptr);
    EXPECT_EQ(other.Take(), "Active:0");

    // A dataset that goes leaves its sources empty and their links inactive.
    T->Free();
    T = nullptr;
    EXPECT_EQ(DS->DataSet(), nullptr);
    EXPECT_EQ(DS->State(), dsInactive);
    EXPECT_FALSE(Link.Active());
    EXPECT_EQ(Link.Take(), "Active:0");
}

TEST_F(DataSetTest, RefreshSeesOtherWritersAndKeepsTheRecord)
{
    T->Open();
    T->MoveBy(2);
    EXPECT_EQ(T->FieldByName("city")->AsString(), "Paris");
    Raw->Exec("UPDATE customers SET city = 'Nice' WHERE id = 3; DELETE FROM customers WHERE id = 1");
    EXPECT_EQ(T->FieldByName("city")->AsString(), "Paris");  // the page read before
    Link.Take();
    T->Refresh();
    EXPECT_EQ(Link.Take(), "Changed");
    EXPECT_EQ(T->RecordCount(), 4);
    EXPECT_EQ(Name(), "Smithers");
    EXPECT_EQ(T->RecNo(), 2);
    EXPECT_EQ(T->FieldByName("city")->AsString(), "Nice");
    Raw->Exec("UPDATE customers SET city = 'Metz' WHERE id = 3");
    T->Resync(0);
    EXPECT_EQ(T->FieldByName("city")->AsString(), "Metz");
    // Edit starts from the record as it is in the file.
    Raw->Exec("UPDATE customers SET city = 'Albi' WHERE id = 3");
    T->Edit();
    EXPECT_EQ(T->FieldByName("city")->AsString(), "Albi");
    T->Cancel();
    T->UpdateCursorPos();
    EXPECT_EQ(T->RecNo(), 2);
}

TEST_F(DataSetTest, MemoReadThroughBlobStream)
{
    std::string big(1000, 'a');
    big[700] = 'Z';
    Raw->Exec("UPDATE customers SET notes = '" + big + "' WHERE id = 4");
    T->Open();
    ASSERT_TRUE(T->Locate("id", 4, 0));
    TBlobStream s(As<TBlobField>(T->FieldByName("notes")), bmRead);
    EXPECT_EQ(s.Size(), 1000);
    std::string got;
    char buf[255];
    int n, chunks = 0;
    while ((n = s.Read(buf, sizeof buf)) > 0) {
        got.append(buf, static_cast<size_t>(n));
        ++chunks;
    }
    EXPECT_EQ(chunks, 4);
    EXPECT_EQ(got, big);
    EXPECT_EQ(s.Read(buf, 10), 0);
    EXPECT_THROW(TBlobStream(As<TBlobField>(T->FieldByName("notes")), bmWrite), EDatabaseError);
}
