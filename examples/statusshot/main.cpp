// Renders four status bars that show every panel style between them:
// build/examples/statusshot docs/statusbar.png
#include <cstdio>
#include <string>

#include "korin/platform/backend/SdlBackend.h"
#include "korin/platform/core/DateUtils.h"
#include "korin/platform/gui/Forms.h"
#include "korin/platform/gui/ImageList.h"
#include "korin/platform/gui/Keyboard.h"
#include "korin/platform/gui/Render.h"
#include "korin/platform/gui/StdCtrls.h"
#include "korin/statusbar/Statbar.h"

using namespace korin;

namespace {

struct TPanelSpec {
    TKStatusPanelStyle Style;
    int Width;
    const char* Text;
};

TKStatusBar* AddBar(TForm* Form, int Top, const char* Caption, std::initializer_list<TPanelSpec> Panels)
{
    auto* label = new TLabel(Form);
    label->SetParent(Form);
    label->SetBounds(8, Top, 600, 16);
    label->SetCaption(Caption);
    auto* bar = new TKStatusBar(Form);
    bar->SetParent(Form);
    bar->SetAlign(alNone);
    bar->SetBounds(0, Top + 18, Form->ClientWidth(), 19);
    bar->HandleNeeded();
    for (const TPanelSpec& s : Panels) {
        TKStatusPanel* p = bar->Panels()->Add();
        p->SetStyle(s.Style);
        p->SetWidth(s.Width);
        if (s.Text)
            p->SetText(s.Text);
    }
    return bar;
}

}  // namespace

int main(int argc, char** argv)
{
    Application->SetBackend(CreateBestBackend());
    std::string out = argc > 1 ? argv[1] : "statusbar.png";
    SetNowFunction([] { return EncodeDate(2026, 12, 6) + EncodeTime(14, 25, 0, 0); });
    SetKeyToggled(VK_CAPITAL, true);  // Caps Lock on, Num and Scroll Lock off
    TOwned<TForm> form(new TForm(nullptr));
    form->SetCaption("TKStatusBar: the 21 panel styles");
    form->SetBorderStyle(bsSingle);
    form->SetClientWidth(640);
    form->SetClientHeight(4 * 44 + 8);
    form->SetColor(clWindow);

    auto* images = new TImageList(form.get(), 16, 16);
    TBitmap glyph;
    glyph.LoadFromResourceName("DBN_16_FIND");
    images->AddMasked(glyph, glyph.Pixels(0, glyph.Height() - 1));

    TKStatusBar* b1 = AddBar(form.get(), 4, "psNormal (with an image), psOwnerDraw, psCapsLock, psNumLock, psScrollLock, psDateTime",
                             {{psNormal, 150, "Ready"}, {psOwnerDraw, 90, nullptr}, {psCapsLock, 50, nullptr},
                              {psNumLock, 50, nullptr}, {psScrollLock, 60, nullptr}, {psDateTime, 140, nullptr}});
    b1->SetImages(images);
    b1->Panels()->GetItem(0)->SetImageIndex(0);
    b1->OnDrawPanel = [](TCustomKStatusBar* bar, TKStatusPanel*, const TRect& R) {
        TCanvas& c = *bar->Canvas();
        const TColor colours[] = {clRed, clYellow, clLime, clAqua, clBlue, clFuchsia};
        int w = R.Width() / 6;
        for (int i = 0; i < 6; ++i) {
            c.Brush().SetColor(colours[i]);
            c.FillRect(Rect(R.Left + i * w, R.Top, i == 5 ? R.Right : R.Left + (i + 1) * w, R.Bottom));
        }
    };

    TKStatusBar* b2 = AddBar(form.get(), 48, "psEllipsisText, psEllipsisPath, psPercent, psProgress, psProgressPercent",
                             {{psEllipsisText, 130, "A text far too long for its panel"},
                              {psEllipsisPath, 170, "/home/korin/projects/shop/data/customers.db"},
                              {psPercent, 60, nullptr}, {psProgress, 120, nullptr}, {psProgressPercent, 140, nullptr}});
    for (int i = 2; i <= 4; ++i) {
        TKStatusPanel* p = b2->Panels()->GetItem(i);
        p->SetMax(200);
        p->SetPosition(50 + 40 * (i - 2));
    }
    b2->Panels()->GetItem(4)->SetSmoothProgress(true);

    TKStatusBar* b3 = AddBar(form.get(), 92, "psProgressText, psIndeterminate, psDBName, psDBState, psDBNameState",
                             {{psProgressText, 140, "Copying..."}, {psIndeterminate, 120, nullptr}, {psDBName, 90, nullptr},
                              {psDBState, 80, nullptr}, {psDBNameState, 150, nullptr}});
    b3->Panels()->GetItem(0)->SetMax(10);
    b3->Panels()->GetItem(0)->SetPosition(6);
    TKStatusPanel* sweep = b3->Panels()->GetItem(1);
    sweep->SetEnabled(true);
    for (int i = 0; i < 14; ++i)
        sweep->OnTimer(nullptr);  // the band some way along

    TKStatusBar* b4 = AddBar(form.get(), 136, "psDBRecNum, psDBPercent, psDBProgress, psDBProgressRecNum, psDBProgressPercent",
                             {{psDBRecNum, 80, nullptr}, {psDBPercent, 60, nullptr}, {psDBProgress, 120, nullptr},
                              {psDBProgressRecNum, 150, nullptr}, {psDBProgressPercent, 150, nullptr}});
    for (TKStatusBar* b : {b3, b4})
        b->SetDBInfo(TDBInfo{"Orders", dsEdit, 45, 120});
    // A lighter bar under text, so that the text stays legible.
    for (TKStatusPanel* p : {b2->Panels()->GetItem(4), b3->Panels()->GetItem(0), b4->Panels()->GetItem(3),
                             b4->Panels()->GetItem(4)})
        p->SetProgressColor(RGB(140, 185, 235));

    form->Show();
    SaveShownWindowToPNG(form.get(), out);  // from the SDL2 window with SDL_VIDEODRIVER=offscreen
    std::printf("%s\n", out.c_str());
    return 0;
}
