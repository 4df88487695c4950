// The program shown in the README, built so that it stays true.
#include <cstdio>
#include <filesystem>

#include <korin/nav/Vdbnav.h>
#include <korin/platform/backend/SdlBackend.h>
#include <korin/platform/db/DBTables.h>
#include <korin/platform/dbctrls/DBGrids.h>

using namespace korin;

int main()
try {
    const char* path = "products.db";               // in the current folder
    if (!std::filesystem::exists(path)) {
        TOwned<TDatabase> db(new TDatabase(nullptr));
        db->SetDatabaseName(path);
        db->SetCreateIfMissing(true);
        db->Open();
        db->Execute("CREATE TABLE products(Id INTEGER PRIMARY KEY, Name TEXT NOT NULL,"
                    " Price REAL NOT NULL CHECK (Price >= 0));"
                    "INSERT INTO products(Name, Price) VALUES ('Tea', 3.5), ('Coffee', 4.25), ('Cocoa', 2.8);");
        std::printf("created %s: a table of three products\n", path);
    }

    Application->SetBackend(CreateBestBackend());   // an SDL2 window, or headless
    Application->SetTitle("Products");              // the caption of error boxes
    TOwned<TForm> form(new TForm(nullptr));         // owns everything below
    form->SetCaption("Products");
    form->SetClientWidth(600);
    form->SetClientHeight(400);

    auto* table = new TTable(form.get());
    table->SetDatabaseName(path);                   // a SQLite file, or a session alias
    table->SetTableName("products");
    auto* source = new TDataSource(form.get());
    source->SetDataSet(table);

    auto* grid = new TDBGrid(form.get());
    grid->SetParent(form.get());
    grid->SetAlign(alClient);
    grid->SetDataSource(source);

    auto* nav = new TVandroDBNavigator(form.get()); // at most one per form
    nav->SetParent(form.get());
    nav->SetAlign(alBottom);
    nav->SetDataSource(source);
    nav->SetConfirmDelete(true);                    // "Record will be deleted. Continue?"

    table->Open();
    Application->SetMainForm(form.get());
    form->Show();
    if (Application->Backend().IsHeadless())
        std::printf("no display: %s has %d products; run it where a display is to edit them\n", path,
                    table->RecordCount());
    // A handler's error (a negative price refused by the table's CHECK) shows in an
    // error box and the program goes on.
    Application->Run();
    return 0;
} catch (const Exception& e) {                      // e.g. a database that cannot be opened
    std::fprintf(stderr, "%s\n", e.Message().c_str());
    return 1;
}
