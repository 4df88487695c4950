#include "korin/platform/gui/StatusWindow.h"

#include <algorithm>

#include "korin/platform/gui/Draw3D.h"
#include "korin/platform/gui/Render.h"

namespace korin {

namespace {

constexpr int PartTop = 2;     // parts start this far below the window's top
constexpr int PartGap = 2;     // space between two parts
constexpr int GripSize = 12;   // the size grip's square in the bottom-right corner

// Text of a part: leading tabs choose the alignment (one: centre, two: right).
void DrawPartText(TCanvas& Canvas, const TRect& R, const std::string& Text, bool RtlReading)
{
    std::string s = Text;
    int tabs = 0;
    while (tabs < 2 && !s.empty() && s[0] == '\t') {
        s.erase(0, 1);
        ++tabs;
    }
    int tw = Canvas.TextWidth(s);
    int x = R.Left + 2;
    if (tabs == 1)
        x = R.Left + (R.Width() - tw) / 2;
    else if (tabs == 2)
        x = R.Right - 2 - tw;
    int y = R.Top + (R.Height() - Canvas.TextHeight("H")) / 2;
    int oldFlags = Canvas.TextFlags();
    Canvas.SetTextFlags(RtlReading ? (oldFlags | ETO_RTLREADING) : (oldFlags & ~ETO_RTLREADING));
    int oldMode = SetBkMode(Canvas.Handle(), TRANSPARENT);
    Canvas.TextRect(R, x, y, s, ETO_CLIPPED);
    SetBkMode(Canvas.Handle(), oldMode);
    Canvas.SetTextFlags(oldFlags);
}

}  // namespace

bool InitCommonControls(std::uint32_t) { return true; }

void InvalidateRect(HWND Window, const TRect* Rect, bool Erase)
{
    TWinControl* c = Window ? FindControl(Window) : nullptr;
    if (!c)
        return;
    auto* s = dynamic_cast<TStatusWindow*>(c);
    if (s && Rect) {
        s->InvalidatePart(*Rect);
        return;
    }
    if (s)
        s->AddUpdateRect(c->ClientRect());
    c->Invalidate();
}

TStatusWindow::TStatusWindow(TComponent* AOwner) : TWinControl(AOwner) {}

void TStatusWindow::CreateParams(TCreateParams& Params)
{
    TWinControl::CreateParams(Params);
    Params.WinClassName = STATUSCLASSNAME;
}

void TStatusWindow::DestroyWnd()
{
    FParts.clear();
    FSimplePart = TPart{};
    FSimple = false;
    FBkColor = clBtnFace;
    FUpdateRects.clear();
    TWinControl::DestroyWnd();
}

int TStatusWindow::PartEdge(int Index) const
{
    return Index >= 0 && Index < PartCount() ? FParts[static_cast<size_t>(Index)].Edge : 0;
}

const std::string& TStatusWindow::PartText(int Index) const
{
    static const std::string none;
    if (Index == SB_SIMPLEID)
        return FSimplePart.Text;
    return Index >= 0 && Index < PartCount() ? FParts[static_cast<size_t>(Index)].Text : none;
}

std::uint32_t TStatusWindow::PartFlags(int Index) const
{
    if (Index == SB_SIMPLEID)
        return FSimplePart.Flags;
    return Index >= 0 && Index < PartCount() ? FParts[static_cast<size_t>(Index)].Flags : 0;
}

bool TStatusWindow::HasSizeGrip() const
{
    return HandleAllocated() && (WindowParams().Style & SBARS_SIZEGRIP) != 0;
}

TRect TStatusWindow::PartBox(int Index) const
{
    int w = ClientWidth();
    int right = FParts[static_cast<size_t>(Index)].Edge;
    if (right < 0 || right > w)
        right = w;
    if (Index == PartCount() - 1 && HasSizeGrip())
        right = std::min(right, w - GripSize);
    int left = Index == 0 ? 0 : FParts[static_cast<size_t>(Index) - 1].Edge + PartGap;
    if (Index > 0 && FParts[static_cast<size_t>(Index) - 1].Edge < 0)
        left = w;
    return Rect(left, PartTop, std::max(left, right), ClientHeight());
}

bool TStatusWindow::GetPartRect(int Index, TRect& R) const
{
    if (FSimple) {
        // In simple mode only the simple part exists, across the whole window.
        if (Index != 0 && Index != SB_SIMPLEID)
            return false;
        R = Rect(0, PartTop, ClientWidth(), ClientHeight());
        return true;
    }
    if (Index < 0 || Index >= PartCount())
        return false;
    R = PartBox(Index);
    return true;
}

void TStatusWindow::AddUpdateRect(const TRect& R)
{
    // A window that is never painted (no window backend) keeps no endless list: many
    // marks become one for the whole window.
    if (FUpdateRects.size() >= 256) {
        FUpdateRects.assign(1, ClientRect());
        return;
    }
    FUpdateRects.push_back(R);
}

void TStatusWindow::InvalidatePart(const TRect& R)
{
    AddUpdateRect(R);
    FMarkingPart = true;
    TWinControl::Invalidate();
    FMarkingPart = false;
}

void TStatusWindow::Invalidate()
{
    if (!FMarkingPart)
        FInvalidAll = true;
    TWinControl::Invalidate();
}

TRect TStatusWindow::InvalidRect() const
{
    if (FInvalidAll)
        return ClientRect();
    TRect box{};
    for (const TRect& r : FUpdateRects) {
        if (IsRectEmpty(r))
            continue;
        box = IsRectEmpty(box) ? r
                               : TRect{std::min(box.Left, r.Left), std::min(box.Top, r.Top), std::max(box.Right, r.Right),
                                       std::max(box.Bottom, r.Bottom)};
    }
    return box;
}

void TStatusWindow::DefaultHandler(TMessage& m)
{
    switch (m.Msg) {
    case SB_SETTEXT: {
        int index = static_cast<int>(m.WParam & 0xFF);
        std::uint32_t flags = static_cast<std::uint32_t>(m.WParam & 0xFF00);
        const char* text = reinterpret_cast<const char*>(m.LParam);
        ++FSetTextCount;
        TPart* part = index == SB_SIMPLEID ? &FSimplePart
                      : index < PartCount() ? &FParts[static_cast<size_t>(index)] : nullptr;
        if (!part) {
            m.Result = 0;
            return;
        }
        part->Text = text ? text : "";
        part->Flags = flags;
        TRect r;
        if (index == SB_SIMPLEID ? FSimple : (!FSimple && GetPartRect(index, r)))
            InvalidatePart(index == SB_SIMPLEID ? ClientRect() : r);
        else
            Invalidate();
        m.Result = 1;
        return;
    }
    case SB_GETTEXT: {
        int index = static_cast<int>(m.WParam & 0xFF);
        const std::string& t = PartText(index);
        if (auto* out = reinterpret_cast<std::string*>(m.LParam))
            *out = t;
        m.Result = static_cast<LRESULT>(t.size());
        return;
    }
    case SB_SETPARTS: {
        int count = static_cast<int>(m.WParam);
        const int* edges = reinterpret_cast<const int*>(m.LParam);
        if (count <= 0 || count > 256 || !edges) {
            m.Result = 0;
            return;
        }
        FParts.resize(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i)
            FParts[static_cast<size_t>(i)].Edge = edges[i];
        AddUpdateRect(ClientRect());
        Invalidate();
        m.Result = 1;
        return;
    }
    case SB_GETPARTS: {
        if (auto* out = reinterpret_cast<int*>(m.LParam))
            for (int i = 0; i < PartCount() && i < static_cast<int>(m.WParam); ++i)
                out[i] = FParts[static_cast<size_t>(i)].Edge;
        m.Result = PartCount();
        return;
    }
    case SB_SIMPLE:
        if (FSimple != (m.WParam != 0)) {
            FSimple = m.WParam != 0;
            AddUpdateRect(ClientRect());
            Invalidate();
        }
        m.Result = 1;
        return;
    case SB_ISSIMPLE:
        m.Result = FSimple ? 1 : 0;
        return;
    case SB_GETRECT: {
        auto* out = reinterpret_cast<TRect*>(m.LParam);
        TRect r;
        bool ok = GetPartRect(static_cast<int>(m.WParam), r);
        if (ok && out)
            *out = r;
        m.Result = ok ? 1 : 0;
        return;
    }
    case SB_SETBKCOLOR: {
        TColor old = FBkColor;
        TColor c = static_cast<TColor>(m.LParam);
        FBkColor = c == CLR_DEFAULT ? clBtnFace : c;
        Invalidate();
        m.Result = static_cast<LRESULT>(old);
        return;
    }
    case WM_PAINT:
        if (auto* canvas = reinterpret_cast<TCanvas*>(m.LParam))
            PaintParts(*canvas);
        FUpdateRects.clear();
        return;
    default:
        TWinControl::DefaultHandler(m);
    }
}

void TStatusWindow::Paint()
{
    // A window that is painted exists: its parts are laid out when it is made.
    HandleNeeded();
    Perform(WM_PAINT, 0, reinterpret_cast<LPARAM>(Canvas()));
    FInvalidAll = false;
    FUpdateRects.clear();
}

void TStatusWindow::PaintParts(TCanvas& C)
{
    C.Font().Assign(Font());
    C.Brush().SetColor(FBkColor);
    C.FillRect(ClientRect());
    if (FSimple) {
        TRect r;
        GetPartRect(SB_SIMPLEID, r);
        PaintPart(C, SB_SIMPLEID, FSimplePart, r);
    } else {
        // Repainting part of the window, only the parts that reach into it paint.
        TRect clip = PaintingArea() ? C.ClipRect() : ClientRect();
        for (int i = 0; i < PartCount(); ++i) {
            TRect r = PartBox(i), seen;
            if (r.Width() > 0 && (!PaintingArea() || IntersectRect(seen, r, clip)))
                PaintPart(C, i, FParts[static_cast<size_t>(i)], r);
        }
    }
    if (HasSizeGrip()) {
        // Three pairs of diagonal lines, highlight above shadow, in the corner.
        int w = ClientWidth(), h = ClientHeight();
        for (int k = 0; k < 3; ++k) {
            int d = 4 * k + 2;
            C.Pen().SetColor(clBtnHighlight);
            C.MoveTo(w - 1, h - d - 1);
            C.LineTo(w - d - 2, h);
            C.Pen().SetColor(clBtnShadow);
            C.MoveTo(w - 1, h - d);
            C.LineTo(w - d - 1, h);
            C.MoveTo(w - 1, h - d + 1);
            C.LineTo(w - d, h);
        }
    }
}

void TStatusWindow::PaintPart(TCanvas& C, int Index, const TPart& Part, TRect R)
{
    if (!(Part.Flags & SBT_NOBORDERS)) {
        bool raised = (Part.Flags & SBT_POPOUT) != 0;
        TRect b = R;
        Frame3D(C, b, raised ? clBtnHighlight : clBtnShadow, raised ? clBtnShadow : clBtnHighlight, 1);
    }
    InflateRect(R, -1, -1);
    if (Part.Flags & SBT_OWNERDRAW) {
        TDrawItemStruct dis;
        dis.ItemID = static_cast<unsigned>(Index);
        dis.hwndItem = HandleAllocated() ? Handle() : 0;
        dis.hDC = C.Handle();
        dis.rcItem = R;
        dis.ItemData = reinterpret_cast<std::uintptr_t>(Part.Text.c_str());
        ++FDrawItemCount;
        int saved = C.SaveDC();
        C.IntersectClipRect(R);
        Perform(CN_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
        C.RestoreDC(saved);
        return;
    }
    DrawPartText(C, R, Part.Text, (Part.Flags & SBT_RTLREADING) != 0);
}

}  // namespace korin
