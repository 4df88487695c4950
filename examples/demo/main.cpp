// The demo application: customers, their orders and the order lines of the sample
// database, on a form read from its form file (resources/forms/DemoForm.form).
//
// With a display it opens a window for people to use. Without one (or with --tour) it
// runs a short scripted tour — moving through customers, shortcuts typed in the edits,
// editing and posting, the navigator following the focus from data source to data
// source, a refused post — and writes a PNG screenshot after each step, printing each
// path. With --tour and a display the tour plays in the window. The tour works on a
// fresh copy of the sample database, so the sample stays as it was.
//
// With --server CONNINFO (a libpq connection string; scripts/demo --server starts a
// private server and passes it) the demo runs on a PostgreSQL server instead: see
// ServerDemo.h.
//
//   korin_demo [--tour] [--db FILE] [--shots DIR] [--server CONNINFO]
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "SampleDb.h"
#include "ServerDemo.h"
#include "TourSearch.h"
#include "TourQuery.h"
#include "korin/nav/Vdbnav.h"
#include "korin/platform/backend/SdlBackend.h"
#include "korin/platform/core/FormFiles.h"
#include "korin/platform/db/DBTables.h"
#include "korin/platform/dbctrls/DBCGrids.h"
#include "korin/platform/dbctrls/DBCtrls.h"
#include "korin/platform/dbctrls/DBGrids.h"
#include "korin/platform/dbctrls/KCtrls.h"
#include "korin/platform/dbctrls/Registration.h"
#include "korin/platform/gui/Forms.h"
#include "korin/platform/gui/Input.h"
#include "korin/platform/gui/Render.h"
#include "korin/platform/gui/StdCtrls.h"
#include "korin/statusbar/Statbar.h"

using namespace korin;

namespace fs = std::filesystem;

namespace {

// A copy of the sample database for the tour to change, removed when the tour is over
// (with the engine's journal files, should any be left).
class TTourCopy {
public:
    explicit TTourCopy(const std::string& Sample)
    {
        FPath = (fs::temp_directory_path() / ("korin-tour-" + std::to_string(::getpid()) + ".db")).string();
        Remove();
        fs::copy_file(Sample, FPath);
    }
    ~TTourCopy() { Remove(); }
    const std::string& Path() const { return FPath; }

private:
    void Remove()
    {
        std::error_code ec;
        for (const char* tail : {"", "-journal", "-wal", "-shm"})
            fs::remove(FPath + tail, ec);
    }
    std::string FPath;
};

std::string ExeDir()
{
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::current_path().string() : exe.parent_path().string();
}

template <class T>
T* Find(TForm* Form, const char* Name)
{
    auto* c = dynamic_cast<T*>(Form->FindComponent(Name));
    if (!c)
        throw Exception(std::string("The demo form has no ") + Name);
    return c;
}

class TTour {
public:
    TTour(TForm* Form, std::string Dir) : FForm(Form), FDir(std::move(Dir)) { fs::create_directories(FDir); }

    void Shot(const std::string& Name, const std::string& What)
    {
        Application->ProcessMessages();
        ++FCount;
        std::string number = (FCount < 10 ? "0" : "") + std::to_string(FCount);
        std::string path = (fs::path(FDir) / (number + "-" + Name + ".png")).string();
        // In a window, the picture is what the window shows.
        if (Application->Backend().IsHeadless())
            SaveWindowToPNG(FForm, path);
        else
            SaveShownWindowToPNG(FForm, path);
        std::printf("screenshot: %s  (%s)\n", path.c_str(), What.c_str());
    }
    void Keys(const std::function<void(TInputScript&)>& Build)
    {
        TInputScript input;
        Build(input);
        Application->ProcessMessages();
    }

private:
    TForm* FForm;
    std::string FDir;
    int FCount = 0;
};

// Generates the sample database under a small window whose status bar sweeps and counts
// the orders written; headless, the sweep runs on the virtual clock and one screenshot is
// taken half way. False when the database was already there.
bool GenerateSampleDatabase(const std::string& dbPath, bool headless, const std::string& shots)
{
    if (fs::exists(dbPath))
        return false;
    TOwned<TForm> splash(new TForm(nullptr));
    splash->SetCaption("Korin demo - preparing the sample database");
    splash->SetBorderStyle(bsDialog);
    splash->SetPosition(poScreenCenter);
    splash->SetClientWidth(460);
    splash->SetClientHeight(56);
    auto* label = new TLabel(splash.get());
    label->SetParent(splash.get());
    label->SetBounds(12, 12, 436, 16);
    label->SetCaption("Generating customers, orders and order lines...");
    auto* bar = new TKStatusBar(splash.get());
    bar->SetParent(splash.get());
    TKStatusPanel* sweep = bar->Panels()->Add();
    sweep->SetStyle(psIndeterminate);
    sweep->SetWidth(150);
    sweep->SetEnabled(true);
    TKStatusPanel* progress = bar->Panels()->Add();
    progress->SetStyle(psProgressPercent);
    progress->SetWidth(160);
    progress->SetMax(kSampleOrders);
    TKStatusPanel* count = bar->Panels()->Add();
    splash->Show();
    bool shot = false;
    CreateSampleDatabase(dbPath, [&](int done, int total) {
        progress->SetPosition(done);
        count->SetText(std::to_string(done) + " of " + std::to_string(total) + " orders");
        if (headless)
            Application->AdvanceClockTo(Application->Now() + 200);
        Application->ProcessMessages();
        if (headless && !shot && done >= total / 2) {
            fs::create_directories(shots);
            std::string path = (fs::path(shots) / "00-generating.png").string();
            SaveWindowToPNG(splash.get(), path);
            std::printf("screenshot: %s  (the sample database being generated)\n", path.c_str());
            shot = true;
        }
    });
    return true;
}

void RunTour(TForm* form, const std::string& shots)
{
    auto* customers = Find<TTable>(form, "Customers");
    auto* orders = Find<TTable>(form, "Orders");
    auto* items = Find<TTable>(form, "Items");
    auto* customerGrid = Find<TDBKGrid>(form, "CustomerGrid");
    auto* company = Find<TDBEdit>(form, "CompanyEdit");
    auto* contact = Find<TDBEdit>(form, "ContactEdit");
    auto* limit = Find<TDBEdit>(form, "LimitEdit");
    auto* orderGrid = Find<TDBGrid>(form, "OrderGrid");
    auto* notes = Find<TDBMemo>(form, "NotesMemo");
    auto* itemGrid = Find<TDBCtrlGrid>(form, "ItemGrid");
    auto* qty = Find<TDBSpinEdit>(form, "QtySpin");
    auto* nav = Find<TVandroDBNavigator>(form, "Navigator");
    auto sourceName = [nav] { return nav->DataSource() ? nav->DataSource()->Name().c_str() : "-"; };
    auto focusedName = [] {
        TWinControl* c = FindControl(GetFocus());
        return c ? c->Name() : std::string("-");
    };

    TTour tour(form, shots);
    tour.Shot("start", "the first customer with its orders and the first order's lines");

    // The navigator follows the focused customer grid: NEXT twice, LAST, then FIRST,
    // clicked with the mouse.
    tour.Keys([&](TInputScript& in) {
        in.Click(nav->Buttons(vnbNext)).Click(nav->Buttons(vnbNext));
    });
    std::printf("navigator on %s; NEXT twice: customer %s\n", sourceName(),
                customers->FieldByName("CustNo")->AsString().c_str());
    tour.Keys([&](TInputScript& in) { in.Click(nav->Buttons(vnbLast)); });
    std::printf("navigator LAST: customer %s of %d\n", customers->FieldByName("CustNo")->AsString().c_str(),
                customers->RecordCount());
    tour.Shot("navigator", "the navigator moved the customers to the last record: FIRST and PRIOR on, NEXT and LAST off");
    tour.Keys([&](TInputScript& in) { in.Click(nav->Buttons(vnbFirst)); });

    // Move: four customers down in the customer grid (Down is the grid's own).
    customerGrid->SetFocus();
    tour.Keys([](TInputScript& in) { in.Key(VK_DOWN).Key(VK_DOWN).Key(VK_DOWN).Key(VK_DOWN); });
    std::printf("customer %s: %s, %d orders\n", customers->FieldByName("CustNo")->AsString().c_str(),
                customers->FieldByName("Company")->AsString().c_str(), orders->RecordCount());
    tour.Shot("moved", "customer grid moved down four records; orders and lines follow");

    // PgDn in an edit is the navigator's NEXT: the company edit moves to the next customer.
    company->SetFocus();
    tour.Keys([](TInputScript& in) { in.Key(VK_NEXT); });
    std::printf("PgDn in the company edit: customer %s\n", customers->FieldByName("CustNo")->AsString().c_str());
    tour.Shot("pgdn", "PgDn in the company edit moved to the next customer");

    // Ctrl+End and Ctrl+Home jump to the last and the first field of the record.
    tour.Keys([](TInputScript& in) { in.Key(VK_END, ssCtrl); });
    std::printf("Ctrl+End: focus on %s\n", focusedName().c_str());
    tour.Shot("lastfield", "Ctrl+End: the focus on the customer's last field");
    tour.Keys([](TInputScript& in) { in.Key(VK_HOME, ssCtrl); });
    std::printf("Ctrl+Home: focus on %s\n", focusedName().c_str());

    // Edit: type into the contact edit; the customer goes into edit state.
    contact->SetFocus();
    tour.Keys([](TInputScript& in) {
        for (int i = 0; i < 40; ++i)
            in.Key(VK_RIGHT);
        in.Type(" Jr.");
    });
    std::printf("editing: state %d, contact shows '%s'\n", customers->State(), contact->Text().c_str());
    tour.Shot("editing", "the contact edit typed into; the customer grid's indicator shows the edit state");

    // Post with the navigator's shortcut: the typed text goes to the database.
    tour.Keys([](TInputScript& in) { in.Key('P', ssCtrl); });
    std::printf("posted: contact is now '%s'\n", customers->FieldByName("Contact")->AsString().c_str());
    tour.Shot("posted", "the customer posted with Ctrl+P");

    // Tab from the last customer field into the orders grid: the navigator switches.
    limit->SetFocus();
    tour.Keys([](TInputScript& in) { in.Key(VK_TAB); });
    std::printf("Tab from the credit limit: focus on %s, navigator on %s\n", focusedName().c_str(), sourceName());
    tour.Shot("switched", "Tab into the orders grid: the navigator now drives the orders");

    // The order grid: two orders down, the status column; then the memo.
    tour.Keys([](TInputScript& in) { in.Key(VK_DOWN).Key(VK_DOWN).Key(VK_RIGHT).Key(VK_RIGHT).Key(VK_RIGHT).Key(VK_RIGHT); });
    std::printf("order %s selected, column %s\n", orders->FieldByName("OrderNo")->AsString().c_str(),
                orderGrid->SelectedField() ? orderGrid->SelectedField()->FieldName().c_str() : "-");
    notes->SetFocus();
    tour.Keys([](TInputScript& in) { in.Type("Checked by the tour. ").Key('P', ssCtrl); });
    tour.Shot("orders", "an order chosen in the order grid, its notes edited and posted");

    // F3: on to the default control of the next data source, the order lines.
    tour.Keys([](TInputScript& in) { in.Key(VK_F1 + 2); });
    std::printf("F3: focus on %s, navigator on %s\n", focusedName().c_str(), sourceName());
    tour.Shot("nextsource", "F3: the order lines' control grid and its data source");

    // The order lines: the spin edit of the current line, and a refused post (a quantity
    // of zero breaks the table's CHECK); the typed value stays until cancelled.
    itemGrid->SetFocus();
    tour.Keys([](TInputScript& in) { in.Key(VK_DOWN); });
    qty->SetFocus();
    tour.Keys([](TInputScript& in) {
        for (int i = 0; i < 8; ++i)
            in.Key(VK_RIGHT);
        in.Key(VK_BACK).Key(VK_BACK).Key(VK_BACK).Type("0");
    });
    try {
        items->Post();
    } catch (const std::exception& e) {
        std::printf("refused post: %s (line stays in state %d, quantity shows '%s')\n", e.what(), items->State(),
                    qty->Text().c_str());
    }
    tour.Shot("refused", "a quantity of zero refused by the database; the typed value stays");
    tour.Keys([](TInputScript& in) { in.Key(VK_ESCAPE); });
    std::printf("Esc: the line cancelled, state %d\n", items->State());
    tour.Shot("lines", "the line cancelled with Esc");

    RunSearchTour(form, shots);
    RunQueryTour(form, shots);
}

}  // namespace

int main(int argc, char** argv)
{
    bool tourWanted = false;
    std::string dbPath = (fs::path(ExeDir()) / "korin-sample.db").string();
    std::string shots = (fs::path(ExeDir()) / "demo-shots").string();
    std::string server;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--tour"))
            tourWanted = true;
        else if (!std::strcmp(argv[i], "--db") && i + 1 < argc)
            dbPath = argv[++i];
        else if (!std::strcmp(argv[i], "--shots") && i + 1 < argc)
            shots = argv[++i];
        else if (!std::strcmp(argv[i], "--server") && i + 1 < argc)
            server = argv[++i];
        else {
            std::fprintf(stderr, "usage: korin_demo [--tour] [--db FILE] [--shots DIR] [--server CONNINFO]\n");
            return 2;
        }
    }

    try {
        RegisterDbControlClasses();
        Register();  // the navigator's and the status bar's palette page and form-file classes

        std::unique_ptr<TBackend> backend = CreateBestBackend();
        bool headless = backend->IsHeadless();
        Application->SetBackend(std::move(backend));
        Application->SetTitle("Korin demo");
        // Errors of the form's handlers (a post the database refuses, say) show in an
        // error box and the demo goes on: the application's own exception handling.
        if (GenerateSampleDatabase(dbPath, headless, shots))
            std::printf("sample database created: %s\n", dbPath.c_str());
        else
            std::printf("sample database: %s\n", dbPath.c_str());
        bool touring = headless || tourWanted;
        if (!server.empty()) {
            // The embedded sample is only read: its rows are copied to the server.
            Session->AddAlias("KorinSample", dbPath);
            int code = RunServerDemo(server, dbPath, touring, shots);
            std::printf("demo finished\n");
            return code;
        }
        std::unique_ptr<TTourCopy> copy;
        if (touring) {
            copy = std::make_unique<TTourCopy>(dbPath);
            std::printf("the tour works on a copy: %s\n", copy->Path().c_str());
        }
        Session->AddAlias("KorinSample", touring ? copy->Path() : dbPath);

        TOwned<TForm> form(new TForm(nullptr));
        ReadComponentRes("DemoForm", form.get());
        // The controls sit at fixed places: the window may grow, but not hide the
        // navigator and the status bar below the grids.
        auto* nav = Find<TVandroDBNavigator>(form.get(), "Navigator");
        form->SetMinClientSize(nav->Left() + nav->Width() + 8, form->ClientHeight());
        // The amount is the sum of the order's lines: shown, never typed.
        Find<TTable>(form.get(), "Orders")->FieldByName("Amount")->SetReadOnly(true);
        // Money shows with two decimals and its thousands separated.
        for (auto [table, field] : {std::pair{"Customers", "CreditLimit"}, {"Orders", "Amount"}, {"Items", "Price"}})
            if (auto* money = dynamic_cast<TNumericField*>(Find<TTable>(form.get(), table)->FindField(field)))
                money->SetDisplayFormat("#,##0.00");
        // The navigator needs no data source: it follows the focused control.
        Application->SetMainForm(form.get());
        form->Show();
        Find<TDBKGrid>(form.get(), "CustomerGrid")->SetFocus();

        if (touring) {
            std::printf("%s: scripted tour\n", headless ? "no display" : "window");
            RunTour(form.get(), shots);
            std::printf("demo finished\n");
            return 0;
        }
        Application->Run();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "korin_demo: %s\n", e.what());
        return 1;
    }
    return 0;
}
