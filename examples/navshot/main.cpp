// Draws the navigator in a row and in a column at both glyph sizes, all 25 buttons, in the
// browse state (the buttons that only make sense while editing are disabled), and writes
// the picture to the PNG file named on the command line (docs/navigator.png). Each
// navigator is read back from its SDL2 window when the program runs on the SDL2 backend
// (SDL_VIDEODRIVER=offscreen needs no display).
#include <cstdio>
#include <memory>
#include <string>

#include "korin/nav/Vdbnav.h"
#include "korin/platform/backend/SdlBackend.h"
#include "korin/platform/gui/Forms.h"
#include "korin/platform/gui/Render.h"

using namespace korin;

namespace {

std::unique_ptr<TBitmap> Shot(bool Vertical, TButtonImageSize Size, bool Flat = true,
                              TVButtonSet Visible = TVButtonSet::FromMask(TVButtonSet::AllMask))
{
    TOwned<TForm> form(new TForm(nullptr));
    form->SetBorderStyle(bsNone);
    auto* nav = new TVandroDBNavigator(form.get());
    nav->Loaded();
    nav->SetVisible(Visible);
    nav->SetFlatButtons(Flat);
    nav->SetButtonImageSize(Size);
    int extent = Size == bis16 ? 24 : 16, thick = Size == bis16 ? 24 : 16;
    if (Vertical) {
        nav->SetVertical(true);
        nav->SetBounds(0, 0, thick, 25 * extent);
    } else {
        nav->SetBounds(0, 0, Visible.Count() * extent, thick);
    }
    // The browse state: editing buttons off.
    const TVButtonSet browse = TVButtonSet::FromMask(6809599);
    for (TVNavigateBtn b : AllNavButtons())
        nav->Buttons(b)->SetEnabled(browse.Contains(b));
    form->SetBounds(0, 0, nav->Width(), nav->Height());
    form->Show();
    return ShownWindowImage(form.get());
}

} // namespace

int main(int argc, char** argv)
{
    std::string out = argc > 1 ? argv[1] : "navigator.png";
    auto h16 = Shot(false, bis16), h10 = Shot(false, bis10);
    auto v16 = Shot(true, bis16), v10 = Shot(true, bis10);
    auto raised = Shot(false, bis16, false, ClassicVisibleButtons);
    const int pad = 12;
    int w = pad + std::max(h16->Width(), h10->Width()) + pad + v16->Width() + pad + v10->Width() + pad;
    int h = pad + std::max(v16->Height(), v10->Height()) + pad;
    TBitmap sheet(w, h);
    TCanvas& c = sheet.Canvas();
    c.Brush().SetColor(clWhite);
    c.FillRect(Rect(0, 0, w, h));
    c.Font().SetColor(clBlack);
    c.TextOut(pad, pad, "Horizontal, 16-pixel glyphs (ButtonImageSize = bis16)");
    c.Draw(pad, pad + 22, *h16);
    c.TextOut(pad, pad + 70, "Horizontal, 10-pixel glyphs (bis10)");
    c.Draw(pad, pad + 92, *h10);
    c.TextOut(pad, pad + 140, "The ten classic buttons, FlatButtons = False");
    c.Draw(pad, pad + 162, *raised);
    int vx = pad + std::max(h16->Width(), h10->Width()) + pad;
    c.Draw(vx, pad, *v16);
    c.Draw(vx + v16->Width() + pad, pad, *v10);
    sheet.SaveToPNG(out);
    std::printf("wrote %s (%d x %d)\n", out.c_str(), w, h);
    return 0;
}
