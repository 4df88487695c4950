// The demo's sample database: made once, the same everywhere, linked master to detail,
// and guarded by the engine's constraints.
#include <gtest/gtest.h>

#include <filesystem>

#include "examples/demo/SampleDb.h"
#include "korin/platform/db/DBTables.h"
#include "tests/dbctrls/CtrlFixture.h"

using namespace korin;

TEST(SampleDatabase, IsMadeOnceWithTheSameRowsEverywhere)
{
    TTempDir dir;
    // A folder that is not there is a mistyped path: reported, nothing made.
    std::string missing = dir.File("sub/sample.db");
    try {
        CreateSampleDatabase(missing);
        ADD_FAILURE() << "no error for a missing folder";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Cannot create the sample database " + missing + ": there is no folder " + dir.File("sub"));
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("sub")));

    std::string path = dir.File("sample.db");
    ASSERT_TRUE(CreateSampleDatabase(path));
    EXPECT_FALSE(CreateSampleDatabase(path));  // already there: left alone
    TRawSql raw(path);
    EXPECT_EQ(raw.Value("SELECT count(*) FROM customers"), "200");
    EXPECT_EQ(raw.Value("SELECT count(*) FROM orders"), "2000");
    int items = std::stoi(raw.Value("SELECT count(*) FROM items"));
    EXPECT_GE(items, 2000);
    EXPECT_LE(items, 10000);
    // Fixed values from the fixed sequence.
    EXPECT_EQ(raw.Value("SELECT Company FROM customers WHERE CustNo=5"), "Blue Trading 5");
    EXPECT_EQ(raw.Value("SELECT count(*) FROM orders WHERE CustNo=5"), "10");
    // Every order belongs to a customer and its amount is the sum of its lines.
    EXPECT_EQ(raw.Value("SELECT count(*) FROM orders WHERE CustNo NOT IN (SELECT CustNo FROM customers)"), "0");
    EXPECT_EQ(raw.Value("SELECT count(*) FROM orders o WHERE abs(o.Amount - "
                        "(SELECT sum(Qty * Price) FROM items i WHERE i.OrderNo = o.OrderNo)) > 0.006"),
              "0");
    EXPECT_EQ(raw.Value("SELECT count(DISTINCT Status) FROM orders"), "4");
    EXPECT_NE(raw.Value("SELECT count(*) FROM orders WHERE Notes IS NOT NULL"), "0");

    TTempDir other;
    ASSERT_TRUE(CreateSampleDatabase(other.File("sample.db")));
    TRawSql again(other.File("sample.db"));
    const char* digest = "SELECT group_concat(OrderNo || ':' || CustNo || ':' || SaleDate || ':' || ShipTime || ':' || "
                         "Amount || ':' || Status, ',') FROM orders";
    EXPECT_EQ(raw.Value(digest), again.Value(digest));
}

TEST(SampleDatabase, TablesLinkMasterToDetailAndRefuseBadValues)
{
    TTempDir dir;
    std::string path = dir.File("sample.db");
    CreateSampleDatabase(path);
    TOwned<TComponent> owner(new TComponent(nullptr));
    auto* customers = new TTable(owner.get());
    customers->SetDatabaseName(path);
    customers->SetTableName("customers");
    auto* custSrc = new TDataSource(owner.get());
    custSrc->SetDataSet(customers);
    auto* orders = new TTable(owner.get());
    orders->SetDatabaseName(path);
    orders->SetTableName("orders");
    orders->SetIndexFieldNames("CustNo");
    orders->SetMasterSource(custSrc);
    orders->SetMasterFields("CustNo");
    customers->Open();
    orders->Open();

    EXPECT_FALSE(customers->FieldByName("CustNo")->CanModify());  // auto-increment
    EXPECT_EQ(orders->FieldByName("SaleDate")->DataType(), ftDate);
    EXPECT_EQ(orders->FieldByName("ShipTime")->DataType(), ftTime);
    EXPECT_EQ(orders->FieldByName("Notes")->DataType(), ftMemo);
    EXPECT_EQ(customers->FieldByName("Active")->DataType(), ftBoolean);

    customers->MoveBy(4);
    EXPECT_EQ(orders->RecordCount(), 10);
    for (orders->First(); !orders->EOF(); orders->Next())
        EXPECT_EQ(orders->FieldByName("CustNo")->AsInteger(), 5);

    orders->First();
    orders->Edit();
    orders->FieldByName("Status")->SetAsString("Lost");
    EXPECT_THROW(orders->Post(), EDatabaseError);
    EXPECT_EQ(orders->State(), dsEdit);
    orders->Cancel();
}
