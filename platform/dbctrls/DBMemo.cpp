#include "korin/platform/dbctrls/DBCtrls.h"

#include <algorithm>

#include "korin/platform/core/DateUtils.h"
#include "korin/platform/dbctrls/DBCGrids.h"
#include "korin/platform/dbctrls/DBCtrlUtils.h"
#include "korin/platform/gui/Canvas.h"
#include "korin/platform/gui/Draw3D.h"
#include "korin/platform/gui/DrawText.h"
#include "korin/platform/gui/DropDownList.h"
#include "korin/platform/gui/Popups.h"
#include "korin/platform/gui/StdCtrls.h"

namespace korin {

// ---------------------------------------------------------------------------------------
// TDBMemo

TDBMemo::TDBMemo(TComponent* AOwner) : TDBEditControl(AOwner)
{
    FMultiLine = true;
    SetBounds(0, 0, 185, 89);
}

std::vector<std::string> TDBMemo::Lines() const
{
    std::vector<std::string> out;
    const std::string& t = Text();
    size_t start = 0;
    for (;;) {
        size_t p = t.find('\n', start);
        if (p == std::string::npos) {
            if (start < t.size() || out.empty())
                out.push_back(t.substr(start));
            break;
        }
        out.push_back(t.substr(start, p - start));
        start = p + 1;
    }
    return out;
}

void TDBMemo::Paint()
{
    TCanvas& c = *Canvas();
    TRect r = ClientRect();
    PaintFieldFrame(c, r, Enabled() ? Color() : clBtnFace);
    c.Font().Assign(Font());
    c.Brush().SetStyle(bsClear);
    TRect tr = r;
    InflateRect(tr, -2, -1);
    DrawText(c, Text(), tr, DT_NOPREFIX | (FWordWrap ? DT_WORDBREAK : 0u));
    if (Focused()) {
        // The caret at the end of its line.
        const std::string& t = Text();
        std::string before = t.substr(0, static_cast<size_t>(SelStart()));
        int line = static_cast<int>(std::count(before.begin(), before.end(), '\n'));
        size_t ls = before.rfind('\n');
        std::string lineText = ls == std::string::npos ? before : before.substr(ls + 1);
        int lh = c.TextHeight("Ag");
        int cx = tr.Left + c.TextWidth(lineText);
        int cy = tr.Top + line * lh;
        if (cx < tr.Right && cy < tr.Bottom) {
            c.Pen().SetColor(clWindowText);
            c.MoveTo(cx, cy);
            c.LineTo(cx, cy + lh);
        }
    }
}

}  // namespace korin
