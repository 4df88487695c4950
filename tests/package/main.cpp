// Uses the installed package: a form with a table, a data-aware grid and the
// navigator on a fresh SQLite file, rendered headless to a PNG. Prints what it saw.
#include <cstdio>
#include <filesystem>

#include <korin/nav/Vdbnav.h>
#include <korin/platform/backend/SdlBackend.h>
#include <korin/platform/db/DBTables.h>
#include <korin/platform/dbctrls/DBGrids.h>
#include <korin/platform/gui/Render.h>

int main(int argc, char** argv)
try {
    namespace fs = std::filesystem;
    const fs::path dir = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path();
    const std::string db = (dir / "consumer.db").string();
    fs::remove(db);

    korin::Application->SetBackend(std::make_unique<korin::THeadlessBackend>());
    korin::TOwned<korin::TForm> form(new korin::TForm(nullptr));
    form->SetClientWidth(400);
    form->SetClientHeight(200);

    auto* database = new korin::TDatabase(form.get());
    database->SetDatabaseName(db);
    database->SetCreateIfMissing(true);
    database->Execute("CREATE TABLE customers (id INTEGER PRIMARY KEY, name TEXT)");
    database->Execute("INSERT INTO customers (name) VALUES ('Ada'), ('Grace')");

    auto* table = new korin::TTable(form.get());
    table->SetDatabaseName(db);
    table->SetTableName("customers");
    auto* source = new korin::TDataSource(form.get());
    source->SetDataSet(table);
    auto* grid = new korin::TDBGrid(form.get());
    grid->SetParent(form.get());
    grid->SetAlign(korin::alClient);
    grid->SetDataSource(source);
    auto* nav = new korin::TVandroDBNavigator(form.get());
    nav->SetAlign(korin::alBottom);
    nav->SetDataSource(source);
    table->Open();
    table->Last();
    korin::SaveWindowToPNG(form.get(), (dir / "consumer.png").string());
    std::printf("%d records, last is %s\n", table->RecordCount(),
                table->FieldByName("name")->AsString().c_str());
    return 0;
} catch (const korin::Exception& e) {
    std::fprintf(stderr, "%s\n", e.Message().c_str());
    return 1;
}
