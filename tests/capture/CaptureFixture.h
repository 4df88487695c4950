#pragma once
// A shown form over a real SQLite file with customers (30 rows) and orders (40 rows,
// both tables with an id and a name), data sources for both, helpers that place
// data-aware controls, and a navigator created last and loaded like one read from a
// form file. Input goes through TInputScript and the real message path.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "korin/capture/DBAware.h"
#include "korin/capture/DBControls.h"
#include "korin/capture/DefaultControls.h"
#include "korin/nav/Vdbnav.h"
#include "korin/nav/Vdbnavbuf.h"
#include "korin/platform/db/DBTables.h"
#include "korin/platform/dbctrls/DBCGrids.h"
#include "korin/platform/dbctrls/DBCtrls.h"
#include "korin/platform/dbctrls/DBGrids.h"
#include "korin/platform/dbctrls/KCtrls.h"
#include "korin/platform/gui/Forms.h"
#include "tests/dbctrls/CtrlFixture.h"
#include "tests/support/AppFixture.h"
#include "tests/support/TempDir.h"

namespace korin {

// A navigator that records the filter and query releases it is asked for.
class TTrackedNavigator : public TVandroDBNavigator {
public:
    using TVandroDBNavigator::TVandroDBNavigator;
    void ApplyFilter(TNavigatorFilterAction Action) override { Calls.push_back(Action == nfaRelease ? "filter release" : "filter"); }
    void ApplyQuery(TNavigatorQueryAction Action) override { Calls.push_back(Action == nqaRelease ? "query release" : "query"); }
    std::vector<std::string> Calls;
};

class CaptureTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        Path = Dir.File("shop.db");
        TRawSql raw(Path);
        std::string sql =
            "BEGIN;"
            "CREATE TABLE customers(id INTEGER PRIMARY KEY, name TEXT, city TEXT, joined DATE);"
            "CREATE TABLE orders(id INTEGER PRIMARY KEY, cust INTEGER, name TEXT, qty INTEGER, shipped DATE);";
        for (int i = 1; i <= 30; ++i)
            sql += "INSERT INTO customers VALUES (" + std::to_string(i) + ",'C" + std::to_string(i) + "','City" +
                   std::to_string(i % 4) + "','2001-01-0" + std::to_string(i % 9 + 1) + "');";
        for (int i = 1; i <= 40; ++i)
            sql += "INSERT INTO orders VALUES (" + std::to_string(i) + "," + std::to_string(i % 30 + 1) + ",'O" +
                   std::to_string(i) + "'," + std::to_string(i * 2) + ",'2002-03-0" + std::to_string(i % 9 + 1) +
                   "');";
        sql += "COMMIT;";
        raw.Exec(sql);

        Form.reset(new TForm(nullptr));
        Form->SetBounds(20, 20, 900, 700);
        Cust = OpenTable("customers");
        Ord = OpenTable("orders");
        CustSrc = new TDataSource(Form.get());
        CustSrc->SetDataSet(Cust);
        OrdSrc = new TDataSource(Form.get());
        OrdSrc->SetDataSet(Ord);
        Form->Show();
    }
    void TearDown() override
    {
        Form.reset();
        AppTest::TearDown();
    }

    TTable* OpenTable(const std::string& Name)
    {
        auto* t = new TTable(Form.get());
        t->SetDatabaseName(Path);
        t->SetTableName(Name);
        t->Open();
        return t;
    }
    TDBEdit* AddEdit(TDataSource* Source, const std::string& Field, TWinControl* Parent = nullptr)
    {
        auto* e = new TDBEdit(Form.get());
        e->SetParent(Parent ? Parent : Form.get());
        e->SetBounds(10 + 130 * (FPlaced % 6), 400 + 30 * (FPlaced / 6), 120, 24);
        ++FPlaced;
        e->SetDataSource(Source);
        e->SetDataField(Field);
        return e;
    }
    TDBGrid* AddGrid(TDataSource* Source, int Left, int Top, int Width = 280, int Height = 200)
    {
        auto* g = new TDBGrid(Form.get());
        g->SetParent(Form.get());
        g->SetBounds(Left, Top, Width, Height);
        g->SetDataSource(Source);
        return g;
    }
    // The navigator, created after the controls and loaded (the controls are captured).
    TTrackedNavigator* MakeNav()
    {
        Nav = new TTrackedNavigator(Form.get());
        Nav->SetBounds(10, 660, 500, 20);
        Nav->Loaded();
        return Nav;
    }
    void Run() { Application->ProcessMessages(); }
    void Press(std::uint16_t Key, TShiftState Shift = 0)
    {
        input.Key(Key, Shift);
        Run();
    }
    void Focus(TWinControl* Control)
    {
        input.Call([Control] { Control->SetFocus(); });
        Run();
    }
    TWinControl* Focused() { return FindControl(GetFocus()); }
    std::string CustName() { return Cust->FieldByName("name")->AsString(); }

    TTempDir Dir;
    std::string Path;
    TOwned<TForm> Form;
    TTable* Cust = nullptr;
    TTable* Ord = nullptr;
    TDataSource* CustSrc = nullptr;
    TDataSource* OrdSrc = nullptr;
    TTrackedNavigator* Nav = nullptr;

private:
    int FPlaced = 0;
};

}  // namespace korin
