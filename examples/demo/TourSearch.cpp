// The tour's search steps. Screenshots go to the shots folder as search-N-name.png; a
// dialog or the balloon is drawn where it stands over the form.
#include "TourSearch.h"

#include <cstdio>
#include <filesystem>

#include "korin/capture/Scutdlg.h"
#include "korin/nav/Vdbnav.h"
#include "korin/nav/Vdbnavhint.h"
#include "korin/platform/db/DBTables.h"
#include "korin/platform/dbctrls/DBCtrls.h"
#include "korin/platform/gui/Input.h"
#include "korin/platform/gui/Region.h"
#include "korin/platform/gui/Render.h"
#include "korin/platform/gui/StdCtrls.h"
#include "korin/search/Dbslocat.h"

using namespace korin;

namespace {

namespace fs = std::filesystem;

template <class T>
T* Part(TForm* Form, const char* Name)
{
    auto* c = dynamic_cast<T*>(Form->FindComponent(Name));
    if (!c)
        throw Exception(std::string("The demo form has no ") + Name);
    return c;
}

class TSearchShots {
public:
    TSearchShots(TForm* Form, std::string Dir) : FForm(Form), FDir(std::move(Dir)) {}

    // The form, with Over (a dialog or the balloon) drawn at its place on the screen.
    void Shot(const std::string& Name, const std::string& What, TWinControl* Over = nullptr)
    {
        Application->ProcessMessages();
        std::unique_ptr<TBitmap> image = RenderWindow(FForm);
        if (Over) {
            std::unique_ptr<TBitmap> top = RenderWindow(Over);
            // The balloon is shaped: only its region is drawn.
            auto* balloon = dynamic_cast<TCustomHintWindow*>(Over);
            HRGN region = balloon ? balloon->Region() : nullptr;
            const int dx = Over->Left() - FForm->Left(), dy = Over->Top() - FForm->Top();
            for (int y = 0; y < top->Height(); ++y)
                for (int x = 0; x < top->Width(); ++x) {
                    if (region && !PtInRegion(region, x, y))
                        continue;
                    if (dx + x >= 0 && dy + y >= 0 && dx + x < image->Width() && dy + y < image->Height())
                        image->SetPixels(dx + x, dy + y, top->Pixels(x, y));
                }
        }
        std::string path = (fs::path(FDir) / ("search-" + std::to_string(++FCount) + "-" + Name + ".png")).string();
        image->SaveToPNG(path);
        std::printf("screenshot: %s  (%s)\n", path.c_str(), What.c_str());
    }

private:
    TForm* FForm;
    std::string FDir;
    int FCount = 0;
};

void Keys(const std::function<void(TInputScript&)>& Build)
{
    TInputScript input;
    Build(input);
    Application->ProcessMessages();
}

}  // namespace

void RunSearchTour(TForm* Form, const std::string& Shots)
{
    auto* customers = Part<TTable>(Form, "Customers");
    auto* company = Part<TDBEdit>(Form, "CompanyEdit");
    auto* nav = Part<TVandroDBNavigator>(Form, "Navigator");
    auto companyName = [customers] { return customers->FieldByName("Company")->AsString(); };
    TSearchShots shots(Form, Shots);

    // Incremental search: Ctrl+I in the company edit, then the letters of "Silver".
    company->SetFocus();
    Keys([](TInputScript& in) { in.Key(VK_HOME).Key('I', ssCtrl).Type("silv"); });
    std::printf("incremental search '%s': customer %s, %s (button %s)\n", nav->ISearchText().c_str(),
                customers->FieldByName("CustNo")->AsString().c_str(), companyName().c_str(),
                nav->Buttons(vnbIncrementalSearch)->Down() ? "down" : "up");
    shots.Shot("isearch", "incremental search: \"silv\" typed in the company edit, the button down");
    Keys([](TInputScript& in) { in.Key(VK_ESCAPE); });

    // FIND: the locate dialog on the company field, a wildcard pattern, Find First.
    Keys([&](TInputScript& in) {
        in.Key('Z', ssCtrl).Call([&] {
            if (!DLGLocate)
                return;
            TInputScript more;
            more.Type("*marine*").Call([&] {
                shots.Shot("find", "FIND: the locate dialog searching the company field for *marine*", DLGLocate);
            }).Key(VK_RETURN);
        });
    });
    std::printf("find *marine*: customer %s, %s\n", customers->FieldByName("CustNo")->AsString().c_str(),
                companyName().c_str());

    // A miss: a pattern no company matches ends in the balloon.
    Keys([&](TInputScript& in) {
        in.Key('Z', ssCtrl).Call([&] {
            if (!DLGLocate)
                return;
            TInputScript more;
            more.Call([] { DLGLocate->txtSearchString->SetText(""); }).Type("zebra*").Key(VK_RETURN);
        });
    });
    std::printf("find zebra*: balloon '%s', FIND NEXT %s\n",
                nav->HintWindow()->Visible() ? nav->HintWindow()->Caption().c_str() : "-",
                nav->Buttons(vnbFindNext)->Enabled() ? "on" : "off");
    shots.Shot("miss", "a pattern no company matches: the balloon \"No more matches!\"", nav->HintWindow());
    Keys([](TInputScript& in) { in.AdvanceTime(2100); });

    // The shortcut editor, on the EDIT button's single-row shortcut; closed with Cancel.
    Keys([&](TInputScript& in) {
        in.Call([nav] { nav->EditShortCuts(); });
        // Runs inside the editor's modal loop.
        in.Call([&] {
            auto* dialog = dynamic_cast<TShortCutDlg*>(Screen->ActiveForm());
            if (!dialog)
                return;
            TInputScript more;
            more.Click(dialog->scutNavigator->Buttons(vnbEdit)).Call([&shots, dialog] {
                shots.Shot("shortcuts", "the shortcut editor on the EDIT button", dialog);
            }).Click(dialog->bbCancel);
        });
    });
}
