// Renders the locate dialog and the shortcut editor as shown to the user, read back from
// their windows on the SDL2 backend (SDL_VIDEODRIVER=offscreen needs no display):
// SDL_VIDEODRIVER=offscreen build/examples/searchshot docs/find-dialog.png docs/shortcut-editor.png
#include <cstdio>
#include <string>

#include "korin/capture/Scutdlg.h"
#include "korin/nav/Vdbnav.h"
#include "korin/platform/backend/SdlBackend.h"
#include "korin/platform/gui/ComCtrls.h"
#include "korin/platform/gui/Forms.h"
#include "korin/platform/gui/Render.h"
#include "korin/platform/gui/StdCtrls.h"
#include "korin/search/Dbsearch.h"
#include "korin/search/Dbslocat.h"

using namespace korin;

int main(int argc, char** argv)
{
    std::string findPng = argc > 1 ? argv[1] : "find-dialog.png";
    std::string editorPng = argc > 2 ? argv[2] : "shortcut-editor.png";
    Register();

    // The locate dialog as FIND opens it from the company field: the navigator's
    // wildcards, a pattern typed.
    TOwned<TCustomdbSearch> search(new TCustomdbSearch(nullptr));
    search->SetMultiCharPattern("*");
    search->SetSingleCharPattern('%');
    TOwned<TDLGLocate> locate(new TDLGLocate(nullptr));
    locate->SetCreator(search.get());
    locate->AddLocateField("Company");
    TLocateInfo info;
    info.LocateField = "Company";
    info.LocateText = "*marine*";
    locate->SetLocateInfo(info);
    locate->Show();
    Application->ProcessMessages();
    SaveShownWindowToPNG(locate.get(), findPng);
    std::printf("%s\n", findPng.c_str());

    // The shortcut editor with the factory tables, the EDIT button chosen.
    TOwned<TShortCutDlg> editor(new TShortCutDlg(nullptr));
    editor->SingleRowShortCuts = DefaultSShortCuts;
    editor->MultiRowShortCuts = DefaultShortCuts;
    editor->Show();
    editor->scutNavigator->Buttons(vnbEdit)->SetDown(true);
    editor->NavClick(editor->scutNavigator, vnbEdit);
    Application->ProcessMessages();
    SaveShownWindowToPNG(editor.get(), editorPng);
    std::printf("%s\n", editorPng.c_str());
    return 0;
}
