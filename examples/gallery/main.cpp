// Renders a form with one of each standard control: build/examples/gallery docs/controls.png
#include <cstdio>
#include <string>

#include "korin/platform/backend/SdlBackend.h"
#include "korin/platform/gui/Buttons.h"
#include "korin/platform/gui/ComCtrls.h"
#include "korin/platform/gui/ExtCtrls.h"
#include "korin/platform/gui/HintWindow.h"
#include "korin/platform/gui/Forms.h"
#include "korin/platform/gui/ImageList.h"
#include "korin/platform/gui/Keyboard.h"
#include "korin/platform/gui/Render.h"
#include "korin/platform/gui/StdCtrls.h"

using namespace korin;

template <class T>
static T* Place(TWinControl* parent, int l, int t, int w, int h)
{
    auto* c = new T(GetParentForm(parent) ? static_cast<TComponent*>(GetParentForm(parent)) : parent);
    c->SetParent(parent);
    c->SetBounds(l, t, w, h);
    return c;
}

int main(int argc, char** argv)
{
    Application->SetBackend(CreateBestBackend());
    std::string out = argc > 1 ? argv[1] : "controls.png";
    TOwned<TForm> form(new TForm(nullptr));
    form->SetCaption("Standard controls");
    form->SetBorderStyle(bsDialog);
    form->SetClientWidth(520);
    form->SetClientHeight(330);

    auto* bar = Place<TToolBar>(form.get(), 0, 0, 520, 26);
    bar->SetFlat(true);
    auto* images = new TImageList(form.get(), 16, 16);
    for (const char* g : {"DBN_16_FIRST", "DBN_16_PRIOR", "DBN_16_NEXT", "DBN_16_LAST", "DBN_16_INSERT", "DBN_16_FIND"}) {
        TBitmap b;
        b.LoadFromResourceName(g);
        images->AddMasked(b, b.Pixels(0, b.Height() - 1));
    }
    bar->SetImages(images);
    for (int i = 0; i < 6; ++i) {
        auto* tb = new TToolButton(form.get());
        tb->SetParent(bar);
        tb->SetImageIndex(i * 2);  // each glyph strip holds the normal and the disabled image
    }

    auto* l = Place<TLabel>(form.get(), 12, 38, 80, 16);
    l->SetCaption("&Name:");
    auto* e = Place<TEdit>(form.get(), 90, 34, 160, 22);
    e->SetText("Smith & Sons");
    auto* combo = Place<TComboBox>(form.get(), 90, 62, 160, 22);
    combo->SetItems({"Browse", "Edit", "Insert"});
    combo->SetItemIndex(1);
    auto* memo = Place<TMemo>(form.get(), 12, 92, 238, 58);
    memo->SetLines({"A memo with", "two lines"});
    auto* list = Place<TListBox>(form.get(), 12, 158, 120, 64);
    list->SetItems({"Customers", "Orders", "Order lines"});
    list->SetItemIndex(1);
    auto* group = Place<TGroupBox>(form.get(), 140, 154, 110, 70);
    group->SetCaption("Options");
    auto* check = Place<TCheckBox>(group, 8, 16, 96, 18);
    check->SetCaption("Case");
    check->SetChecked(true);
    auto* radio = Place<TRadioButton>(group, 8, 40, 96, 18);
    radio->SetCaption("Wildcards");
    radio->SetChecked(true);

    auto* panel = Place<TPanel>(form.get(), 270, 34, 238, 60);
    panel->SetCaption("TPanel");
    panel->SetBevelInner(TBevelCut::bvLowered);
    auto* bevel = Place<TBevel>(form.get(), 270, 102, 238, 4);
    bevel->SetShape(TBevelShape::bsTopLine);
    auto* sb1 = Place<TSpeedButton>(form.get(), 270, 114, 26, 26);
    sb1->Glyph().LoadFromResourceName("DBN_16_FILTER");
    sb1->SetNumGlyphs(2);
    sb1->SetGroupIndex(1);
    sb1->SetAllowAllUp(true);
    sb1->SetDown(true);
    auto* sb2 = Place<TSpeedButton>(form.get(), 298, 114, 26, 26);
    sb2->Glyph().LoadFromResourceName("DBN_16_QUERY");
    sb2->SetNumGlyphs(2);
    auto* hot = Place<THotKey>(form.get(), 334, 116, 174, 22);
    hot->SetHotKey(TextToShortCut("Shift+Ctrl+D"));
    auto* progress = Place<TProgressBar>(form.get(), 270, 148, 238, 18);
    progress->SetPosition(60);
    auto* anim = Place<TAnimate>(form.get(), 270, 176, 32, 32);
    anim->SetResName("FLYAVI");
    auto* bit = Place<TBitBtn>(form.get(), 310, 180, 95, 27);
    bit->SetKind(TBitBtnKind::bkOK);
    auto* cancel = Place<TButton>(form.get(), 413, 180, 95, 27);
    cancel->SetCaption("&Cancel");
    auto* def = Place<TButton>(form.get(), 413, 290, 95, 27);
    def->SetCaption("Default");
    def->SetDefault(true);

    form->Show();
    e->SetFocus();
    SaveShownWindowToPNG(form.get(), out);  // from the SDL2 window with SDL_VIDEODRIVER=offscreen
    std::printf("%s\n", out.c_str());
    return 0;
}
