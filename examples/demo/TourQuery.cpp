#include "TourQuery.h"

#include <cstdio>
#include <filesystem>
#include <functional>

#include "korin/nav/Vdbnav.h"
#include "korin/platform/db/DBTables.h"
#include "korin/platform/dbctrls/DBGrids.h"
#include "korin/platform/gui/ComCtrls.h"
#include "korin/platform/gui/Forms.h"
#include "korin/platform/gui/Input.h"
#include "korin/platform/gui/Render.h"
#include "korin/platform/gui/StdCtrls.h"
#include "korin/query/Sqdlg.h"
#include "korin/query/Vdbnavfed.h"

namespace korin {

namespace {

namespace fs = std::filesystem;

class TQueryTour {
public:
    TQueryTour(TForm* Form, std::string Dir) : FForm(Form), FDir(std::move(Dir)) { fs::create_directories(FDir); }
    void Shot(TWinControl* Window, const std::string& Name, const std::string& What)
    {
        std::string path = (fs::path(FDir) / ("query-" + std::to_string(++FCount) + "-" + Name + ".png")).string();
        SaveWindowToPNG(Window, path);
        std::printf("screenshot: %s  (%s)\n", path.c_str(), What.c_str());
    }
    void Shot(const std::string& Name, const std::string& What)
    {
        Application->ProcessMessages();
        Shot(FForm, Name, What);
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

// Item Index of a list box, clicked or double-clicked.
void ClickItem(TInputScript& In, TListBox* List, int Index) { In.Click(List, 8, List->ItemHeight() * Index + 4); }
void DblClickItem(TInputScript& In, TListBox* List, int Index) { In.DblClick(List, 8, List->ItemHeight() * Index + 4); }

int IndexOf(TListBox* List, const std::string& Item)
{
    for (int i = 0; i < List->Count(); ++i)
        if (List->Items()[i] == Item)
            return i;
    return 0;
}

}  // namespace

void RunQueryTour(TForm* Form, const std::string& Shots)
{
    auto* nav = dynamic_cast<TVandroDBNavigator*>(Form->FindComponent("Navigator"));
    auto* orderGrid = dynamic_cast<TDBGrid*>(Form->FindComponent("OrderGrid"));
    if (!nav || !orderGrid)
        return;
    TQueryTour tour(Form, Shots);
    auto count = [nav] { return nav->DataSource() && nav->DataSource()->DataSet() ? nav->DataSource()->DataSet()->RecordCount() : 0; };

    // The orders grid takes the focus: the navigator drives the orders.
    tour.Keys([&](TInputScript& in) { in.Click(orderGrid, 40, 30); });
    const int all = count();

    // FILTER: the box opens against the navigator; the expression is typed and Enter
    // applies it.
    tour.Keys([&](TInputScript& in) {
        in.Click(nav->Buttons(vnbFilter));
        in.Type("Amount > 1000");
        in.Call([&] { tour.Shot(FilterEditBox, "filter-box", "FILTER: the filter box with an expression typed"); });
        in.Key(VK_RETURN);
    });
    std::printf("filter %s: %d of %d orders\n", nav->FilterActive() ? "on" : "off", count(), all);
    tour.Shot("filtered", "the customer's orders over 1000; the FILTER button stays down");
    tour.Keys([&](TInputScript& in) { in.Click(nav->Buttons(vnbFilter)); });
    std::printf("filter released: %d orders\n", count());
    tour.Shot("filter-released", "FILTER clicked again: every order of the customer, on the same order");

    // QUERY: the condition and the sort order composed by clicks in the builder.
    tour.Keys([&](TInputScript& in) {
        in.Click(nav->Buttons(vnbQuery));
        in.Call([&] {
            TSetupQ* b = SetupQ;
            if (!b)
                return;
            ClickItem(in, b->ListBox1, IndexOf(b->ListBox1, "Status"));
            in.Click(b->BitBtn5).Click(b->ToolButton1).Click(b->Edit2).Type("Paid").Click(b->BitBtn6);
            in.Click(b->tbOr);
            ClickItem(in, b->ListBox1, IndexOf(b->ListBox1, "Status"));
            in.Click(b->BitBtn5).Click(b->ToolButton1).Call([b] { b->Edit2->SetText(""); });
            in.Click(b->Edit2).Type("Shipped").Click(b->BitBtn6);
            in.Click(b->BitBtn7);
            DblClickItem(in, b->ListBox2, IndexOf(b->ListBox2, "Amount"));
            in.Call([&] { tour.Shot(SetupQ, "builder", "QUERY: the condition builder with a condition and ORDER BY Amount"); });
            in.Click(b->BitBtn1);
        });
    });
    if (nav->InternalQuery())
        std::printf("query %s: %s\n", nav->QueryActive() ? "on" : "off", nav->InternalQuery()->SQL()->Strings(0).c_str());
    tour.Shot("query", "the paid and shipped orders of the customer by amount; the QUERY button stays down");
    tour.Keys([&](TInputScript& in) { in.Click(nav->Buttons(vnbQuery)); });
    std::printf("query released: %d orders\n", count());
    tour.Shot("query-released", "QUERY clicked again: the orders table is back on the same order");
}

}  // namespace korin
