// Renders the condition builder (with its ORDER BY panel open) and the filter box, each
// with a condition composed by clicks, on a small parts table:
// build/examples/queryshot docs/setupq.png docs/filterbox.png
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "korin/platform/backend/SdlBackend.h"
#include "korin/platform/db/DBTables.h"
#include "korin/platform/gui/Buttons.h"
#include "korin/platform/gui/ComCtrls.h"
#include "korin/platform/gui/Forms.h"
#include "korin/platform/gui/Input.h"
#include "korin/platform/gui/Render.h"
#include "korin/platform/gui/StdCtrls.h"
#include "korin/query/Sqdlg.h"
#include "korin/query/Vdbnavfed.h"

using namespace korin;

int main(int argc, char** argv)
{
    const std::string builderPng = argc > 1 ? argv[1] : "setupq.png";
    const std::string boxPng = argc > 2 ? argv[2] : "filterbox.png";
    const std::string db = (std::filesystem::temp_directory_path() / "korin-queryshot.db").string();
    std::filesystem::remove(db);
    sqlite3* raw = nullptr;
    sqlite3_open(db.c_str(), &raw);
    sqlite3_exec(raw,
                 "CREATE TABLE parts (PartNo INTEGER PRIMARY KEY, Description VARCHAR(30), Vendor VARCHAR(30),"
                 " OnHand INTEGER, Price FLOAT);"
                 "INSERT INTO parts VALUES (1, 'Bolt', 'Acme', 120, 0.25);",
                 nullptr, nullptr, nullptr);
    sqlite3_close(raw);

    TOwned<TComponent> owner(new TComponent(nullptr));
    auto* table = new TTable(owner.get());
    table->SetDatabaseName(db);
    table->SetTableName("parts");
    table->Open();
    auto* source = new TDataSource(owner.get());
    source->SetDataSet(table);
    auto item = [](TListBox* l, int i) { return l->ItemHeight() * i + 4; };

    // The builder in query mode: Price >= 10 AND Vendor = 'O''Hara', sorted by vendor.
    {
        TOwned<TSetupQ> dlg(new TSetupQ(nullptr));
        dlg->SetDataSource(source);
        dlg->SetCaption("Query setup");
        TInputScript in;
        TSetupQ* b = dlg.get();
        in.Click(b->ListBox1, 8, item(b->ListBox1, 4)).Click(b->BitBtn5).Click(b->tbGreatE);
        in.Click(b->Edit2).Type("10").Click(b->BitBtn6).Click(b->tbAnd);
        in.Click(b->ListBox1, 8, item(b->ListBox1, 2)).Click(b->BitBtn5).Click(b->ToolButton1);
        in.Call([b] { b->Edit2->SetText(""); });
        in.Click(b->Edit2).Type("O'Hara").Click(b->BitBtn6);
        in.Click(b->BitBtn7).DblClick(b->ListBox2, 8, item(b->ListBox2, 2));
        in.Click(b->ListBox1, 8, item(b->ListBox1, 2));
        in.Call([b, builderPng] {
            SaveShownWindowToPNG(b, builderPng);
            std::printf("wrote %s: %s / ORDER BY %s\n", builderPng.c_str(), b->Condition().c_str(), b->OrderBy().c_str());
        });
        in.Click(b->BitBtn2);
        dlg->ShowModal();
    }
    // The filter box, widened as the navigator widens it, with an expression typed.
    {
        TOwned<TFilterEditBox> box(new TFilterEditBox(nullptr));
        box->SetDataSource(source);
        box->SetCaption("Setup Filter");
        box->SetWidth(300);
        TInputScript in;
        in.Type("OnHand < 50 AND Vendor LIKE 'A%'");
        in.Call([&box, boxPng] {
            SaveShownWindowToPNG(box.get(), boxPng);
            std::printf("wrote %s\n", boxPng.c_str());
        });
        in.Key(VK_ESCAPE);
        box->ShowModal();
    }
    owner.reset();
    std::filesystem::remove(db);
    return 0;
}
