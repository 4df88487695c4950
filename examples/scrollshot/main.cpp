// Renders a data grid of 200 records with its scroll bar, scrolled by the wheel, a grid
// with more columns than fit and its horizontal bar, and an open drop-down list with its
// own bar, read back from the SDL2 windows (SDL_VIDEODRIVER=offscreen needs no display):
// SDL_VIDEODRIVER=offscreen build/examples/scrollshot docs/scrolling.png
#include <cstdio>
#include <string>

#include "korin/platform/backend/SdlBackend.h"
#include "korin/platform/db/DBTables.h"
#include "korin/platform/dbctrls/DBGrids.h"
#include "korin/platform/gui/Bitmap.h"
#include "korin/platform/gui/ComCtrls.h"
#include "korin/platform/gui/Forms.h"
#include "korin/platform/gui/Input.h"
#include "korin/platform/gui/Render.h"
#include "korin/platform/gui/ScrollBar.h"

using namespace korin;

int main(int argc, char** argv)
{
    std::string out = argc > 1 ? argv[1] : "scrolling.png";
    std::string db = out + ".db";
    std::remove(db.c_str());
    try {
        TOwned<TForm> form(new TForm(nullptr));
        form->SetCaption("Scroll bars: a grid of 200 orders and an open drop-down list");
        form->SetBorderStyle(bsSingle);
        form->SetClientWidth(560);
        form->SetClientHeight(372);

        auto* database = new TDatabase(form.get());
        database->SetDatabaseName(db);
        database->SetCreateIfMissing(true);
        database->Execute(
            "CREATE TABLE orders(OrderNo INTEGER PRIMARY KEY, Customer VARCHAR(20), Amount REAL);"
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200) "
            "INSERT INTO orders SELECT 1000 + i, 'Customer ' || (i % 37 + 1), (i * 7919 % 100000) / 7.0 FROM n;");
        auto* orders = new TTable(form.get());
        orders->SetDatabaseName(db);
        orders->SetTableName("orders");
        auto* source = new TDataSource(form.get());
        source->SetDataSet(orders);
        auto* grid = new TDBGrid(form.get());
        grid->SetParent(form.get());
        grid->SetBounds(8, 8, 330, 11 * 21 + 2);
        grid->SetDataSource(source);
        orders->Open();
        dynamic_cast<TNumericField*>(orders->FieldByName("Amount"))->SetDisplayFormat("#,##0.00");

        auto* combo = new TComboBox(form.get());
        combo->SetParent(form.get());
        combo->SetBounds(350, 8, 200, 21);
        for (int i = 1; i <= 24; ++i)
            combo->AddItem("Shipping zone " + std::to_string(i));
        auto* bar = new TScrollBar(form.get());
        bar->SetParent(form.get());
        bar->SetBounds(350, 220, 200, ScrollBarSize);
        bar->SetParams(30, 0, 100);
        bar->SetPageSize(20);

        // Every column of the orders, three times over: wider than the grid.
        auto* wide = new TStringGrid(form.get());
        wide->SetParent(form.get());
        wide->SetBounds(8, 252, 544, 112);
        wide->SetColCount(13);
        wide->SetRowCount(5);
        wide->SetColWidths(0, 24);
        const char* titles[] = {"OrderNo", "Customer", "Amount"};
        for (int c = 1; c < 13; ++c) {
            wide->SetCells(c, 0, titles[(c - 1) % 3]);
            for (int r = 1; r < 5; ++r) {
                std::string text = std::to_string(r * 125) + ".00";
                if ((c - 1) % 3 == 0)
                    text = std::to_string(1000 + r);
                else if ((c - 1) % 3 == 1)
                    text = "Customer " + std::to_string(r);
                wide->SetCells(c, r, text);
            }
        }

        form->Show();
        // Five notches of the wheel over the grid, then the list dropped down and scrolled.
        RunScript([&](TInputScript& s) {
            s.Click(grid, 60, 40).Wheel(grid, -5 * WHEEL_DELTA);
            s.KeyDown(VK_SHIFT).Wheel(wide, -3 * WHEEL_DELTA).KeyUp(VK_SHIFT).Click(combo);
        });
        auto* list = combo->ListWindow();
        RunScript([&](TInputScript& s) { s.Wheel(list, -2 * WHEEL_DELTA).MouseMove(list, 40, 1 + 16 * 2 + 8); });

        // The form's window and the list's own window, put where the list stands.
        auto picture = ShownWindowImage(form.get());
        auto drop = ShownWindowImage(list);
        TPoint at = form->ScreenToClient(list->ClientToScreen(Point(0, 0)));
        picture->Canvas().Draw(at.x, at.y, *drop);
        picture->SaveToPNG(out);
        combo->SetDroppedDown(false);
        orders->Close();
        database->Close();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "scrollshot: %s\n", e.what());
        std::remove(db.c_str());
        return 1;
    }
    std::remove(db.c_str());
    std::printf("%s\n", out.c_str());
    return 0;
}
