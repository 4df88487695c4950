// The program shown in the README, built so that it stays true.
#include <cstdio>

#include <korin/nav/Vdbnav.h>
#include <korin/platform/backend/SdlBackend.h>
#include <korin/platform/db/DBTables.h>
#include <korin/platform/dbctrls/DBGrids.h>

using namespace korin;

int main()
try {
    Application->SetBackend(CreateBestBackend());   // an SDL2 window, or headless
    TOwned<TForm> form(new TForm(nullptr));         // owns everything below
    form->SetCaption("Customers");
    form->SetClientWidth(600);
    form->SetClientHeight(400);

    auto* table = new TTable(form.get());
    table->SetDatabaseName("customers.db");         // a SQLite file, or a session alias
    table->SetTableName("customers");
    auto* source = new TDataSource(form.get());
    source->SetDataSet(table);

    auto* grid = new TDBGrid(form.get());
    grid->SetParent(form.get());
    grid->SetAlign(alClient);
    grid->SetDataSource(source);

    auto* nav = new TVandroDBNavigator(form.get()); // at most one per form
    nav->SetAlign(alBottom);
    nav->SetDataSource(source);
    nav->SetConfirmDelete(true);                    // "Record will be deleted. Continue?"

    table->Open();
    Application->SetMainForm(form.get());
    form->Show();
    Application->Run();
    return 0;
} catch (const Exception& e) {                      // e.g. the engine's own message
    std::fprintf(stderr, "%s\n", e.Message().c_str());
    return 1;
}
