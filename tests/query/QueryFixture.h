#pragma once
// Shared set-up of the filter and query tests: a SQLite file in a temporary folder with
// customers, orders and parts, read back through a second raw connection, and a shown
// form with a navigator on the orders table. Dialogs are driven by scripted clicks and
// keys through the real message path.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "korin/nav/Vdbnav.h"
#include "korin/platform/db/DBTables.h"
#include "korin/platform/dbctrls/DBCtrls.h"
#include "korin/platform/gui/Buttons.h"
#include "korin/platform/gui/ComCtrls.h"
#include "korin/platform/gui/Forms.h"
#include "korin/platform/gui/StdCtrls.h"
#include "korin/query/Sqdlg.h"
#include "korin/query/Vdbnavfed.h"
#include "tests/db/DbFixture.h"
#include "tests/support/AppFixture.h"
#include "tests/support/TempDir.h"

namespace korin {

// A navigator that counts how often it shows its dialogs.
class TCountingNavigator : public TVandroDBNavigator {
public:
    using TVandroDBNavigator::TVandroDBNavigator;
    bool ShowFilterBox() override
    {
        ++FilterBoxes;
        return TVandroDBNavigator::ShowFilterBox();
    }
    bool ShowQueryBox(std::string& Where, std::string& OrderBy) override
    {
        ++QueryBoxes;
        return TVandroDBNavigator::ShowQueryBox(Where, OrderBy);
    }
    int FilterBoxes = 0;
    int QueryBoxes = 0;
};

class QueryTest : public AppTest {
protected:
    TTempDir Dir;
    std::string Path = Dir.File("shop.db");
    TRawDb* Raw = nullptr;
    TForm* Form = nullptr;
    TCountingNavigator* Nav = nullptr;
    TDataSource* Source = nullptr;  // the orders
    TTable* Orders = nullptr;
    // Every message box as "Caption: Text flags"; each is answered with Enter.
    std::vector<std::string> Boxes;

    void SetUp() override
    {
        AppTest::SetUp();
        Raw = new TRawDb(Path);
        std::string sql =
            "BEGIN;"
            "CREATE TABLE CUSTOMER (CustNo INTEGER PRIMARY KEY, Name VARCHAR(30), City VARCHAR(20));"
            "CREATE TABLE ORDERS (OrderNo INTEGER PRIMARY KEY, CustNo INTEGER, Amount FLOAT, OrderDate DATE,"
            " Note VARCHAR(40));"
            "CREATE INDEX ORDERS_CUST ON ORDERS (CustNo);"
            "CREATE TABLE PARTS (PartNo INTEGER PRIMARY KEY, Name VARCHAR(30), Price FLOAT);"
            "INSERT INTO CUSTOMER VALUES (1, 'Anna', 'Paris'), (2, 'O''Brien', 'Cork'), (3, 'Chen', 'Oslo');"
            "INSERT INTO PARTS VALUES (1, 'Bolt', 2.5), (2, 'Gear', 12), (3, 'Spring', 10), (4, 'Nut', 0.5);";
        // 20 orders: customer i % 3 + 1, amount 25 * i, dates running backwards.
        for (int i = 1; i <= 20; ++i) {
            const int day = 21 - i;
            sql += "INSERT INTO ORDERS VALUES (" + std::to_string(i) + ", " + std::to_string(i % 3 + 1) + ", " +
                   std::to_string(25 * i) + ", '2024-03-" + (day < 10 ? "0" : "") + std::to_string(day) +
                   "', 'note " + std::to_string(i) + "');";
        }
        sql += "COMMIT;";
        Raw->Exec(sql);

        Form = new TForm(nullptr);
        Form->SetBounds(100, 50, 640, 420);
        Form->Show();
        Source = new TDataSource(Form);
        Orders = OpenTable("ORDERS");
        Source->SetDataSet(Orders);
        Nav = new TCountingNavigator(Form);
        Nav->Loaded();
        Nav->SetVisibleButtons(TVButtonSet::FromMask(TVButtonSet::AllMask));
        Nav->SetBounds(10, 40, 500, 20);
        Nav->SetDataSource(Source);
        Application->OnMessageBox = [this](TCustomForm*, const std::string& Text, const std::string& Caption,
                                           std::uint32_t Flags) {
            Boxes.push_back(Caption + ": " + Text + " " + std::to_string(Flags));
            input.Key(VK_RETURN);
        };
    }
    void TearDown() override
    {
        Application->OnMessageBox = nullptr;
        if (Form)
            Form->Free();
        delete Raw;
        AppTest::TearDown();
    }

    TTable* OpenTable(const std::string& Name)
    {
        auto* t = new TTable(Form);
        t->SetDatabaseName(Path);
        t->SetTableName(Name);
        t->Open();
        return t;
    }
    void Run() { Application->ProcessMessages(); }
    // A click on a navigator button, processed like real input; Dialog queues the steps
    // taken in the dialog the click opens.
    void Click(TVNavigateBtn B, const std::function<void()>& Dialog = {})
    {
        input.Click(Nav->Buttons(B));
        if (Dialog)
            Dialog();
        Run();
    }
    // Holds a button down until the drop-down timer fires, then lets it go.
    void Hold(TVNavigateBtn B, const std::function<void()>& Dialog = {})
    {
        input.MouseDown(Nav->Buttons(B)).AdvanceTime(450);
        if (Dialog)
            Dialog();
        input.MouseUp(Nav->Buttons(B));
        Run();
    }
    // Clicks item Index of a list box (the list's rows are ItemHeight high from the top).
    void ClickItem(TListBox* List, int Index) { input.Click(List, 8, List->ItemHeight() * Index + 4); }
    void DblClickItem(TListBox* List, int Index) { input.DblClick(List, 8, List->ItemHeight() * Index + 4); }
    // Steps run inside a dialog: typed text replaces the edit's text first.
    void TypeInto(TEdit* Edit, const std::string& Text)
    {
        input.Click(Edit).Call([Edit] { Edit->SetText(""); }).Type(Text);
    }
    // The statement of a query (its one line).
    static std::string SqlOf(TQuery* Q) { return Q->SQL()->Count() == 1 ? Q->SQL()->Strings(0) : "<" + Q->SQL()->Text() + ">"; }
    // The current order's key.
    int OrderNo(TDataSet* DS = nullptr) { return static_cast<int>((DS ? DS : Source->DataSet())->FieldByName("OrderNo")->AsInteger()); }
    std::vector<int> OrderNos(TDataSet* DS)
    {
        std::vector<int> ids;
        DS->First();
        while (!DS->EOF()) {
            ids.push_back(OrderNo(DS));
            DS->Next();
        }
        return ids;
    }
    // The whole database read through the second connection: schema and every row.
    std::string Dump()
    {
        std::string out = Raw->Rows("SELECT type, name, sql FROM sqlite_master ORDER BY name") + "\n#\n";
        for (const char* t : {"CUSTOMER", "ORDERS", "PARTS"})
            out += Raw->Rows(std::string("SELECT * FROM ") + t) + "\n#\n";
        out += Raw->Rows("PRAGMA user_version") + Raw->Rows("PRAGMA journal_mode") +
               Raw->Rows("PRAGMA page_count") + Raw->Rows("PRAGMA schema_version");
        return out;
    }
};

}  // namespace korin
