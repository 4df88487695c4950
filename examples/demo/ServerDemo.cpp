// The demo on a database server.
//
// The sample database's customers, orders and order lines are copied to the server once
// (with a large table of sensor readings generated there), the demo form's three tables
// are replaced by server tables on the same data sources, and a second window reads the
// large table through a server query: while its rows arrive, the navigator's status bar
// counts them and the visual-panel bar shows the percentage.
#include "ServerDemo.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "korin/nav/Vdbnav.h"
#include "korin/platform/backend/SdlBackend.h"
#include "korin/platform/core/DateUtils.h"
#include "korin/platform/core/FormFiles.h"
#include "korin/platform/db/ADODB.h"
#include "korin/platform/db/DBTables.h"
#include "korin/platform/dbctrls/DBGrids.h"
#include "korin/platform/dbctrls/KCtrls.h"
#include "korin/platform/gui/Backend.h"
#include "korin/platform/gui/Forms.h"
#include "korin/platform/gui/Input.h"
#include "korin/platform/gui/Render.h"
#include "korin/platform/gui/StdCtrls.h"
#include "korin/statusbar/Kstatbar.h"
#include "korin/statusbar/Statbar.h"

namespace korin {

namespace fs = std::filesystem;

namespace {

// The server's copy of the sample tables. Names are unquoted, so the server keeps them in
// lower case; the datasets find their fields without regard to case.
const char* const kServerSchema[] = {
    "CREATE TABLE customers("
    " custno serial PRIMARY KEY, company text NOT NULL, contact text, city text, country text, phone text,"
    " since date, creditlimit numeric(12,2) CHECK (creditlimit >= 0), active boolean NOT NULL DEFAULT true)",
    "CREATE TABLE orders("
    " orderno serial PRIMARY KEY, custno integer NOT NULL REFERENCES customers, saledate date NOT NULL,"
    " shiptime time, amount numeric(12,2) NOT NULL DEFAULT 0 CHECK (amount >= 0),"
    " status text NOT NULL DEFAULT 'New' CHECK (status IN ('New','Paid','Shipped','Cancelled')),"
    " priority integer CHECK (priority BETWEEN 1 AND 5), notes text)",
    "CREATE INDEX orders_cust ON orders(custno)",
    "CREATE TABLE items("
    " itemno serial PRIMARY KEY, orderno integer NOT NULL REFERENCES orders, description text NOT NULL,"
    " qty integer NOT NULL CHECK (qty > 0), price numeric(12,2) NOT NULL CHECK (price >= 0))",
    "CREATE INDEX items_order ON items(orderno)",
    "CREATE TABLE readings("
    " readingno integer PRIMARY KEY, station text NOT NULL, takenat timestamp NOT NULL,"
    " temperature numeric(5,2) NOT NULL, humidity integer NOT NULL)",
};

// The field captions the embedded sample shows, for the server's lower-case names.
const char* const kCaptions[] = {"CustNo", "Company", "Contact", "City", "Country", "Phone", "Since",
                                 "CreditLimit", "Active", "OrderNo", "SaleDate", "ShipTime", "Amount",
                                 "Status", "Priority", "Notes", "ItemNo", "Description", "Qty", "Price",
                                 "ReadingNo", "Station", "TakenAt", "Temperature", "Humidity"};

std::string Lower(std::string Text)
{
    for (char& c : Text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return Text;
}

// A value as an SQL literal of the server.
std::string Literal(TField* Field)
{
    if (Field->IsNull())
        return "NULL";
    switch (Field->DataType()) {
    case ftSmallint:
    case ftInteger:
    case ftLargeint:
    case ftAutoInc:
        return std::to_string(Field->AsInteger());
    case ftFloat:
    case ftCurrency:
    case ftBCD: {
        char text[64];
        std::snprintf(text, sizeof text, "%.2f", Field->AsFloat());
        return text;
    }
    case ftBoolean:
        return Field->AsBoolean() ? "true" : "false";
    case ftDate:
        return "'" + DateToISO(Field->AsDateTime()) + "'";
    case ftTime:
        return "'" + TimeToISO(Field->AsDateTime()) + "'";
    case ftDateTime:
        return "'" + DateTimeToISO(Field->AsDateTime()) + "'";
    default: {
        std::string out = "'";
        for (char c : Field->AsString()) {
            out += c;
            if (c == '\'')
                out += '\'';
        }
        return out + "'";
    }
    }
}

// Copies one table of the embedded sample to the server, 500 rows a statement.
void CopyTable(TADOConnection* Server, const std::string& SampleDb, const std::string& Name)
{
    TOwned<TTable> local(new TTable(nullptr));
    local->SetDatabaseName(SampleDb);
    local->SetTableName(Name);
    local->Open();
    std::string columns;
    for (int i = 0; i < local->FieldCount(); ++i)
        columns += (i ? "," : "") + Lower(local->Fields(i)->FieldName());
    std::string rows;
    int count = 0;
    auto flush = [&] {
        if (count)
            Server->Execute("INSERT INTO " + Name + "(" + columns + ") VALUES " + rows);
        rows.clear();
        count = 0;
    };
    for (local->First(); !local->EOF(); local->Next()) {
        std::string row = "(";
        for (int i = 0; i < local->FieldCount(); ++i)
            row += (i ? "," : "") + Literal(local->Fields(i));
        rows += (count ? "," : "") + row + ")";
        if (++count == 500)
            flush();
    }
    flush();
    // The serial columns go on after the copied numbers.
    const std::string key = Lower(local->Fields(0)->FieldName());
    Server->Execute("SELECT setval(pg_get_serial_sequence('" + Name + "', '" + key + "'), (SELECT max(" + key +
                    ") FROM " + Name + "))");
}

bool ServerHasSample(TADOConnection* Server)
{
    TOwned<TADOQuery> q(new TADOQuery(nullptr));
    q->SetConnection(Server);
    q->SQL()->Add("SELECT count(*) FROM pg_tables WHERE tablename = 'readings' AND schemaname = current_schema()");
    q->Open();
    return q->Fields(0)->AsInteger() > 0;
}

// Loads the sample onto the server unless it is there already: one transaction, so that a
// load that fails leaves nothing half made.
void LoadServerSample(TADOConnection* Server, const std::string& SampleDb)
{
    if (ServerHasSample(Server)) {
        std::printf("server: the sample tables are there already\n");
        return;
    }
    std::printf("server: loading the sample tables and %d readings...\n", kServerReadings);
    Server->Execute("BEGIN");
    try {
        for (const char* statement : kServerSchema)
            Server->Execute(statement);
        for (const char* table : {"customers", "orders", "items"})
            CopyTable(Server, SampleDb, table);
        // The readings are made by the server itself: one every minute from 2024 on, from
        // 40 stations, with values that follow the day and the station.
        Server->Execute(
            "INSERT INTO readings "
            "SELECT g, 'Station ' || lpad((g % 40 + 1)::text, 2, '0'),"
            " timestamp '2024-01-01' + g * interval '1 minute',"
            " round((12 + 8 * sin(g / 229.2) + (g % 40) / 10.0)::numeric, 2),"
            " (40 + (g::bigint * 7919) % 50)::integer "
            "FROM generate_series(1, " + std::to_string(kServerReadings) + ") AS g");
        Server->Execute("COMMIT");
        // Fresh statistics: the fetch's expected total is the planner's row estimate.
        Server->Execute("ANALYZE");
    } catch (...) {
        try {
            Server->Execute("ROLLBACK");
        } catch (...) {
        }
        throw;
    }
}

bool SameName(const std::string& A, const char* B)
{
    std::string b = B;
    if (A.size() != b.size())
        return false;
    for (std::size_t i = 0; i < A.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(A[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

void Caption(TDataSet* DataSet)
{
    for (int i = 0; i < DataSet->FieldCount(); ++i)
        for (const char* c : kCaptions)
            if (SameName(DataSet->Fields(i)->FieldName(), c))
                DataSet->Fields(i)->SetDisplayLabel(c);
}

template <class T>
T* Find(TForm* Form, const char* Name)
{
    auto* c = dynamic_cast<T*>(Form->FindComponent(Name));
    if (!c)
        throw Exception(std::string("The demo form has no ") + Name);
    return c;
}

// Puts server tables in place of the demo form's embedded ones, on the same data sources
// and with the same master-detail links.
void UseServerTables(TForm* Form, TADOConnection* Server)
{
    struct TLink {
        const char* Table;
        const char* Source;
        const char* Master;
        const char* MasterFields;
    };
    for (const TLink& l : {TLink{"Customers", "CustomersSrc", nullptr, nullptr},
                           TLink{"Orders", "OrdersSrc", "CustomersSrc", "custno"},
                           TLink{"Items", "ItemsSrc", "OrdersSrc", "orderno"}}) {
        auto* local = Find<TTable>(Form, l.Table);
        local->Close();
        local->SetName(std::string(l.Table) + "Embedded");
        auto* remote = new TADOTable(Form);
        remote->SetName(l.Table);
        remote->SetConnection(Server);
        remote->SetTableName(Lower(l.Table));
        if (l.Master) {
            remote->SetMasterSource(Find<TDataSource>(Form, l.Master));
            remote->SetMasterFields(l.MasterFields);
        }
        remote->Open();
        Caption(remote);
        Find<TDataSource>(Form, l.Source)->SetDataSet(remote);
    }
    // The amount is the sum of the order's lines: shown, never typed.
    Find<TADOTable>(Form, "Orders")->FieldByName("Amount")->SetReadOnly(true);
    // Money shows with two decimals and its thousands separated.
    for (auto [table, field] : {std::pair{"Customers", "CreditLimit"}, {"Orders", "Amount"}, {"Items", "Price"}})
        if (auto* money = dynamic_cast<TNumericField*>(Find<TADOTable>(Form, table)->FindField(field)))
            money->SetDisplayFormat("#,##0.00");
}

// The window on the large table: a grid, a navigator, the navigator's status bar and the
// visual-panel bar.
struct TReadingsWindow {
    TForm* Form = nullptr;
    TADOQuery* Readings = nullptr;
    TDataSource* Source = nullptr;
    TDBGrid* Grid = nullptr;
    TVandroDBNavigator* Navigator = nullptr;
    TKStatusBar* Bar = nullptr;
    kstatbar::TKCustomStatusBar* Visual = nullptr;
};

TReadingsWindow MakeReadingsWindow(TADOConnection* Server)
{
    TReadingsWindow w;
    w.Form = new TForm(nullptr);
    w.Form->SetName("ReadingsForm");
    w.Form->SetCaption("Korin demo - " + std::to_string(kServerReadings) + " readings on the server");
    w.Form->SetClientWidth(640);
    w.Form->SetClientHeight(420);
    w.Readings = new TADOQuery(w.Form);
    w.Readings->SetName("Readings");
    w.Readings->SetConnection(Server);
    w.Readings->SQL()->Add("SELECT * FROM readings ORDER BY readingno");
    w.Source = new TDataSource(w.Form);
    w.Source->SetName("ReadingsSrc");
    w.Source->SetDataSet(w.Readings);

    w.Visual = new kstatbar::TKCustomStatusBar(w.Form);
    w.Visual->SetParent(w.Form);
    w.Visual->SetAlign(alBottom);
    w.Visual->SetHeight(24);
    for (auto [kind, width] : {std::pair{kstatbar::kptDSInfo, 200}, {kstatbar::kptDBProgress, 200}}) {
        kstatbar::TKStatusPanel* p = w.Visual->Panels()->Add();
        p->SetKind(kind);
        p->SetWidth(width);
    }
    w.Bar = new TKStatusBar(w.Form);
    w.Bar->SetParent(w.Form);
    w.Bar->SetAlign(alBottom);
    for (auto [style, width] : {std::pair{psDBName, 90}, {psDBState, 70}, {psDBProgressRecNum, 190},
                               {psDBProgressPercent, 130}}) {
        TKStatusPanel* p = w.Bar->Panels()->Add();
        p->SetStyle(style);
        p->SetWidth(width);
    }

    w.Grid = new TDBGrid(w.Form);
    w.Grid->SetName("ReadingsGrid");
    w.Grid->SetParent(w.Form);
    w.Grid->SetBounds(8, 36, 624, 320);
    w.Grid->SetDataSource(w.Source);

    w.Navigator = new TVandroDBNavigator(w.Form);
    w.Navigator->SetName("ReadingsNavigator");
    w.Navigator->SetBounds(8, 8, 400, 22);
    w.Navigator->Loaded();  // captures the grid and attaches the first status bar
    return w;
}

// Opens the large table with the grid focused: the navigator follows it and has put its
// fetch-progress handler in place, so its status bar counts the rows as they arrive; the
// visual-panel bar hears of the same fetch through the engine's progress callback. Watch,
// when given, hears each report too (the tour takes a picture half way).
void OpenReadings(TReadingsWindow& W, const std::function<void(int Percent)>& Watch)
{
    W.Grid->SetFocus();
    Application->ProcessMessages();
    W.Visual->RegisterProgressCallBack(Session);
    CBPROGRESSDesc report{};
    std::unique_ptr<TBDECallback> watcher;
    if (Watch)
        watcher = std::make_unique<TBDECallback>(nullptr, nullptr, cbGENPROGRESS, &report,
                                                 static_cast<int>(sizeof report),
                                                 [&report, &Watch](void*) {
                                                     Watch(report.iPercentDone);
                                                     return cbrCONTINUE;
                                                 },
                                                 true);
    W.Visual->Panels()->GetItem(0)->SetCaption("Fetching the readings...");
    // This window shows the whole load on its bars and then the record count, so it
    // reads every row before Open returns; the form's other tables read in the
    // background.
    W.Readings->SetFetchInBackground(false);
    W.Readings->Open();
    watcher.reset();
    W.Visual->ResetProgressStatus();
    W.Visual->ShowProgressStatus("Records: " + std::to_string(W.Readings->RecordCount()));
    // The bar's dataset panel: the name and state of the dataset.
    kstatbar::TStatusBarEventStruct event;
    event.Event = kstatbar::sbeDSChanged;
    event.SetDataSetName(W.Readings->Name());
    event.SetDataSetState(W.Readings->State());
    W.Visual->StatusBarEvent(W.Readings, event);
    Caption(W.Readings);
    W.Readings->FieldByName("readingno")->SetDisplayLabel("No");
    if (auto* t = dynamic_cast<TNumericField*>(W.Readings->FindField("temperature")))
        t->SetDisplayFormat("0.00");
    W.Navigator->SB_DSChanged();
}

void Shot(TForm* Form, const std::string& Shots, const std::string& Name, const std::string& What)
{
    Application->ProcessMessages();
    fs::create_directories(Shots);
    const std::string path = (fs::path(Shots) / ("server-" + Name + ".png")).string();
    if (Application->Backend().IsHeadless())
        SaveWindowToPNG(Form, path);
    else
        SaveShownWindowToPNG(Form, path);
    std::printf("screenshot: %s  (%s)\n", path.c_str(), What.c_str());
}

}  // namespace

int RunServerDemo(const std::string& ConnInfo, const std::string& SampleDb, bool Touring, const std::string& Shots)
{
    TOwned<TADOConnection> server(new TADOConnection(nullptr));
    server->SetConnectionString(ConnInfo);
    server->Open();
    LoadServerSample(server.get(), SampleDb);

    TOwned<TForm> form(new TForm(nullptr));
    ReadComponentRes("DemoForm", form.get());
    form->SetCaption("Korin demo - on the server");
    UseServerTables(form.get(), server.get());
    Application->SetMainForm(form.get());
    form->Show();
    Find<TDBKGrid>(form.get(), "CustomerGrid")->SetFocus();
    Application->ProcessMessages();

    TReadingsWindow readings = MakeReadingsWindow(server.get());
    TOwned<TForm> readingsForm(readings.Form);
    readingsForm->SetLeft(form->Left() + 60);
    readingsForm->SetTop(form->Top() + 60);
    readingsForm->Show();

    if (!Touring) {
        OpenReadings(readings, nullptr);
        Application->Run();
        return 0;
    }

    Shot(form.get(), Shots, "tables", "the demo form on the server's customers, orders and lines");
    bool halfWay = false;
    OpenReadings(readings, [&](int Percent) {
        if (!halfWay && Percent >= 40) {
            halfWay = true;
            Shot(readings.Form, Shots, "fetching", std::to_string(Percent) + " % of the readings fetched");
        }
    });
    std::printf("readings: %d rows; navigator on %s\n", readings.Readings->RecordCount(),
                readings.Navigator->DataSource() ? readings.Navigator->DataSource()->Name().c_str() : "-");
    Shot(readings.Form, Shots, "fetched", "every reading fetched");
    return 0;
}

}  // namespace korin
