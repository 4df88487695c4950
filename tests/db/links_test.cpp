#include "korin/platform/db/DBText.h"
#include "tests/db/DbFixture.h"

using namespace korin;

namespace {

class LinksTest : public DbTest {
protected:
    TOwned<TComponent> Owner{new TComponent(nullptr)};
    TTable* T = nullptr;
    TDataSource* DS = nullptr;

    void SetUp() override
    {
        DbTest::SetUp();
        T = OpenTable(Owner.get(), "customers");
        DS = new TDataSource(Owner.get());
        DS->SetDataSet(T);
    }
    void TearDown() override
    {
        Owner.reset();
        DbTest::TearDown();
    }
};

// Appends its name and the event to a shared log.
class TNamedLink : public TDataLink {
public:
    TNamedLink(std::string name, std::vector<std::string>& log) : FName(std::move(name)), FLog(log) {}
    void DataSetScrolled(int d) override { FLog.push_back(FName + ":scroll" + std::to_string(d)); }
    void DataSetChanged() override { FLog.push_back(FName + ":changed"); }
    void UpdateData() override
    {
        FLog.push_back(FName + ":update");
        if (!Pending.empty())
            DataSet()->FieldByName("city")->SetValue(Pending);
    }
    std::string Pending;

private:
    std::string FName;
    std::vector<std::string>& FLog;
};

}  // namespace

TEST_F(LinksTest, ControlsHearEventsBeforeOtherLinksAndPushEditsOnPost)
{
    std::vector<std::string> log;
    TNamedLink nav("nav", log), edit("edit", log);
    nav.SetDataSource(DS);
    edit.SetVisualControl(true);
    edit.SetDataSource(DS);
    T->Next();
    EXPECT_EQ(log, (std::vector<std::string>{"edit:scroll1", "nav:scroll1"}));
    log.clear();

    // A control whose text was typed writes it into the field when the record posts.
    EXPECT_TRUE(edit.Edit());
    edit.Pending = "Graz";
    T->Post();
    EXPECT_EQ(log, (std::vector<std::string>{"edit:update", "nav:update", "edit:changed", "nav:changed"}));
    EXPECT_EQ(Raw->Rows("SELECT city FROM customers WHERE id = 2"), "Graz");

    // Scrolling away from a record being edited posts what the control holds.
    edit.Edit();
    edit.Pending = "Bonn";
    T->Next();
    EXPECT_EQ(T->State(), dsBrowse);
    EXPECT_EQ(Raw->Rows("SELECT city FROM customers WHERE id = 2"), "Bonn");
    EXPECT_EQ(T->RecNo(), 3);

    // A read-only link never starts editing; neither does a source without AutoEdit.
    edit.Pending.clear();
    edit.SetReadOnly(true);
    EXPECT_FALSE(edit.Edit());
    EXPECT_EQ(T->State(), dsBrowse);
    edit.SetReadOnly(false);
    DS->SetAutoEdit(false);
    EXPECT_FALSE(edit.Edit());
    EXPECT_EQ(T->State(), dsBrowse);
    nav.SetDataSource(nullptr);
    edit.SetDataSource(nullptr);
}

TEST_F(LinksTest, DataSourceEventsAndDisabledSource)
{
    std::vector<std::string> log;
    DS->OnDataChange = [&](TObject*, TField* f) { log.push_back("data:" + (f ? f->FieldName() : std::string("-"))); };
    DS->OnStateChange = [&](TObject*) { log.push_back(std::string("state:") + std::to_string(DS->State())); };
    T->Edit();
    T->FieldByName("city")->SetValue("Riga");
    T->Cancel();
    EXPECT_EQ(log, (std::vector<std::string>{"state:2", "data:-", "data:city", "state:1", "data:-"}));
    log.clear();

    TRecordingLink link;
    link.SetDataSource(DS);
    EXPECT_EQ(link.Take(), "Active:1");
    DS->SetEnabled(false);
    EXPECT_EQ(link.Take(), "Active:0");
    T->Next();
    EXPECT_EQ(link.Take(), "");
    EXPECT_TRUE(log.empty());
    DS->SetEnabled(true);
    EXPECT_EQ(link.Take(), "Active:1");

    // Switching the source to another open dataset: the links see one go, the other come.
    TTable* other = OpenTable(Owner.get(), "orders");
    log.clear();
    DS->SetDataSet(other);
    EXPECT_EQ(link.Take(), "Active:0 Active:1");
    EXPECT_EQ(link.DataSet(), other);
    EXPECT_EQ(log, (std::vector<std::string>{"state:0", "state:1"}));
    T->Next();
    EXPECT_EQ(link.Take(), "");
    link.SetDataSource(nullptr);
    DS->OnStateChange = nullptr;
    DS->OnDataChange = nullptr;
}

TEST_F(LinksTest, MoreStateTransitions)
{
    TRecordingLink link;
    link.SetDataSource(DS);
    link.Take();
    // Delete while editing leaves the editing state first.
    T->Edit();
    T->Delete();
    EXPECT_EQ(link.Take(), "Editing:1 Record:- Editing:0 Changed");
    EXPECT_EQ(T->RecordCount(), 4);
    // Delete of a record being inserted just cancels it.
    T->Insert();
    T->FieldByName("name")->SetValue("Temp");
    T->Delete();
    EXPECT_EQ(T->RecordCount(), 4);
    EXPECT_EQ(Raw->Rows("SELECT count(*) FROM customers"), "4");
    link.Take();
    // Closing while editing discards the record.
    T->Edit();
    T->FieldByName("city")->SetValue("Lost");
    T->Close();
    EXPECT_EQ(link.Take(), "Editing:1 Record:- Record:city Active:0 Editing:0");
    EXPECT_EQ(Raw->Rows("SELECT count(*) FROM customers WHERE city = 'Lost'"), "0");
    // Insert in the middle, then post: the record takes its place in the order.
    T->Open();
    T->Next();
    T->Insert();
    EXPECT_EQ(T->RecNo(), -1);
    T->FieldByName("name")->SetValue("Aaron");
    T->Post();
    EXPECT_EQ(T->RecNo(), 5);
    EXPECT_EQ(T->FieldByName("name")->AsString(), "Aaron");
    link.SetDataSource(nullptr);
}

TEST_F(LinksTest, DatasetEventsAndStreamedActive)
{
    std::vector<std::string> log;
    T->BeforePost = [&](TDataSet*) { log.push_back("BeforePost"); };
    T->AfterPost = [&](TDataSet*) { log.push_back("AfterPost"); };
    T->OnNewRecord = [&](TDataSet* d) {
        log.push_back("NewRecord");
        d->FieldByName("city")->SetValue("Default");
    };
    T->Append();
    EXPECT_FALSE(T->Modified());
    EXPECT_EQ(T->FieldByName("city")->AsString(), "Default");
    T->FieldByName("name")->SetValue("Neo");
    T->Post();
    EXPECT_EQ(log, (std::vector<std::string>{"NewRecord", "BeforePost", "AfterPost"}));
    EXPECT_EQ(Raw->Rows("SELECT city FROM customers WHERE name = 'Neo'"), "Default");

    // A failing new-record handler leaves the dataset browsing.
    T->OnNewRecord = [](TDataSet*) { throw EDatabaseError("no new records today"); };
    EXPECT_THROW(T->Insert(), EDatabaseError);
    EXPECT_EQ(T->State(), dsBrowse);
    EXPECT_EQ(T->RecordCount(), 6);

    // Active set while a form is being read opens the dataset once reading is done.
    auto* t2 = new TTable(Owner.get());
    t2->SetLoading(true);
    t2->SetDatabaseName(Path);
    t2->SetTableName("orders");
    t2->SetActive(true);
    EXPECT_FALSE(t2->Active());
    t2->SetLoading(false);
    t2->Loaded();
    EXPECT_TRUE(t2->Active());
}

TEST_F(LinksTest, FieldConversionsAndDateAssignment)
{
    T->Edit();
    TField* born = T->FieldByName("born");
    born->SetAsDateTime(EncodeDate(2001, 9, 9) + EncodeTime(17, 0, 0, 0));
    EXPECT_EQ(born->AsDateTime(), EncodeDate(2001, 9, 9));  // a date field keeps the date
    EXPECT_EQ(born->Text(), "2001-09-09");
    born->SetText("");
    EXPECT_TRUE(born->IsNull());
    try {
        born->SetText("31/12/2001");
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "'31/12/2001' is not a valid date for field 'born'");
    }
    TField* vip = T->FieldByName("vip");
    vip->SetText("false");
    EXPECT_EQ(vip->Value(), Variant(false));
    EXPECT_THROW(vip->SetText("maybe"), EDatabaseError);
    // Writing an equal value still counts as a change; FieldValues reads what was written.
    T->SetFieldValues("amount", Variant(10.5));
    EXPECT_TRUE(T->FieldValues("amount") == Variant(10.5));
    Variant both = VarArrayCreate(0, 1);
    both[0] = "Tours";
    both[1] = Variant::Null();
    T->SetFieldValues("city;notes", both);
    EXPECT_TRUE(T->FieldValues("notes").IsNull());
    EXPECT_TRUE(T->FieldValues("notes") == Variant::Null());
    T->Post();
    EXPECT_EQ(Raw->Rows("SELECT city, amount, born, notes, vip FROM customers WHERE id = 1"), "Tours|10.5|<null>|<null>|0");
}

TEST(DBText, UpperCaseAndMatching)
{
    EXPECT_EQ(DBUpperCase("smith é ж ё ß"), "SMITH É Ж Ё ß");
    EXPECT_EQ(DBUpperCase("ӂ Ӂ ς ł"), "Ӂ Ӂ Σ Ł");
    EXPECT_TRUE(DBTextMatch("Smithers", "SMITH", true, true));
    EXPECT_FALSE(DBTextMatch("Smithers", "SMITH", false, true));
    EXPECT_FALSE(DBTextMatch("Smithers", "smith", true, false));
    EXPECT_TRUE(DBTextMatch("Москва", "мос", true, true));
}

TEST(Params, NamesAreFoundOutsideQuotesAndComments)
{
    auto names = TParams::ParseNames(
        "SELECT ':no', \"a:b\" FROM t /* :c */ WHERE x = :Cust AND y = :cust -- :d\n AND z::int = :z_1");
    EXPECT_EQ(names, (std::vector<std::string>{"Cust", "z_1"}));
    TParams p;
    p.CreateParam(ftInteger, "a")->SetValue(5);
    TParams q;
    q.Assign(p);
    EXPECT_EQ(q.ParamByName("A")->AsInteger(), 5);
    EXPECT_EQ(q.Items(0)->DataType(), ftInteger);
    try {
        q.ParamByName("b");
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Parameter 'b' not found");
    }
}

namespace {

class LinkSwitch : public DbTest {};

// A link moved from one open dataset to another tells its follower, so that a navigator
// recomputes its buttons and a control reloads its field.
TEST_F(LinkSwitch, MovingALinkBetweenOpenDatasetsIsAnActiveChange)
{
    TOwned<TComponent> owner(new TComponent(nullptr));
    TTable* customers = OpenTable(owner.get(), "customers");
    TTable* orders = OpenTable(owner.get(), "orders");
    auto* a = new TDataSource(owner.get());
    a->SetDataSet(customers);
    auto* b = new TDataSource(owner.get());
    b->SetDataSet(orders);
    TRecordingLink link;
    link.SetDataSource(a);
    EXPECT_EQ(link.Take(), "Active:1");
    link.SetDataSource(b);
    EXPECT_EQ(link.Take(), "Active:1");
    EXPECT_EQ(link.DataSet(), orders);
    link.SetDataSource(nullptr);
    EXPECT_EQ(link.Take(), "Active:0");
}

}  // namespace
