#include "korin/platform/gui/Forms.h"

#include <algorithm>
#include <cmath>

#include "korin/platform/gui/Backend.h"
#include "korin/platform/gui/Canvas.h"
#include "korin/platform/gui/HintWindow.h"
#include "korin/platform/gui/Keyboard.h"
#include "korin/platform/gui/Popups.h"
#include "korin/platform/gui/Registration.h"
#include "korin/platform/gui/StdCtrls.h"
#include "korin/platform/gui/Timers.h"

namespace korin {

// ---------------------------------------------------------------- message boxes

namespace {
// The symbol at the left of a message box: a question mark, a cross, an exclamation
// mark or an "i" in a coloured disc.
class TMessageIcon : public TGraphicControl {
public:
    TMessageIcon(TComponent* owner, std::uint32_t flags) : TGraphicControl(owner), FFlags(flags & 0xF0) {}

protected:
    void Paint() override
    {
        TCanvas& c = *Canvas();
        TColor disc = FFlags == MB_ICONERROR ? RGB(200, 30, 30) : FFlags == MB_ICONWARNING ? RGB(230, 180, 20) : RGB(30, 80, 200);
        const char* sym = FFlags == MB_ICONERROR ? "X" : FFlags == MB_ICONWARNING ? "!" : FFlags == MB_ICONQUESTION ? "?" : "i";
        c.Brush().SetColor(disc);
        c.Pen().SetColor(disc);
        c.Ellipse(0, 0, Width(), Height());
        c.Font().SetName(DefaultFontName);
        c.Font().SetHeight(-20);
        c.Font().SetStyle(fsBold);
        c.Font().SetColor(clWhite);
        SetBkMode(c.Handle(), TRANSPARENT);
        TSize e = c.TextExtent(sym);
        c.TextOut((Width() - e.cx) / 2, (Height() - e.cy) / 2, sym);
    }

private:
    std::uint32_t FFlags;
};
}  // namespace

int TApplication::MessageBox(const std::string& Text, const std::string& Caption, std::uint32_t Flags)
{
    TOwned<TForm> box(new TForm(nullptr));
    box->SetBorderStyle(bsDialog);
    box->SetPosition(poScreenCenter);
    box->SetCaption(Caption);
    if (Flags & 0xF0) {
        auto* icon = new TMessageIcon(box.get(), Flags);
        icon->SetName("Icon");
        icon->SetParent(box.get());
        icon->SetBounds(14, 14, 32, 32);
    }
    auto* label = new TLabel(box.get());
    label->SetName("Message");
    label->SetParent(box.get());
    label->SetCaption(Text);
    int textWidth = std::max(120, static_cast<int>(Text.size()) * 7);
    label->SetBounds(58, 20, textWidth, 17);

    struct TBoxButton {
        const char* Caption;
        TModalResult Result;
    };
    std::vector<TBoxButton> buttons;
    switch (Flags & 0x0F) {
    case MB_OKCANCEL: buttons = {{"OK", IDOK}, {"Cancel", IDCANCEL}}; break;
    case MB_YESNOCANCEL: buttons = {{"&Yes", IDYES}, {"&No", IDNO}, {"Cancel", IDCANCEL}}; break;
    case MB_YESNO: buttons = {{"&Yes", IDYES}, {"&No", IDNO}}; break;
    default: buttons = {{"OK", IDOK}}; break;
    }
    int bw = 75, gap = 8;
    int total = static_cast<int>(buttons.size()) * bw + (static_cast<int>(buttons.size()) - 1) * gap;
    int clientW = std::max(58 + textWidth + 20, total + 40);
    box->SetClientWidth(clientW);
    box->SetClientHeight(100);
    int x = (clientW - total) / 2;
    for (size_t i = 0; i < buttons.size(); ++i) {
        auto* b = new TButton(box.get());
        b->SetName(std::string("Button") + std::to_string(i + 1));
        b->SetParent(box.get());
        b->SetCaption(buttons[i].Caption);
        b->SetModalResult(buttons[i].Result);
        b->SetBounds(x, 62, bw, 25);
        b->SetDefault(i == 0);
        // Esc answers Cancel where there is one, else the last (safe) answer: No or OK.
        bool hasCancel = (Flags & 0x0F) == MB_OKCANCEL || (Flags & 0x0F) == MB_YESNOCANCEL;
        b->SetCancel(hasCancel ? buttons[i].Result == IDCANCEL : i + 1 == buttons.size());
        x += bw + gap;
    }
    box->SetTag(static_cast<int>(Flags));
    if (OnMessageBox)
        OnMessageBox(box.get(), Text, Caption, Flags);
    return box->ShowModal();
}

}  // namespace korin
