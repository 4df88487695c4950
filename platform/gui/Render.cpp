#include "korin/platform/gui/Render.h"

#include <cairo.h>

#include <algorithm>

#include "korin/platform/gui/Canvas.h"
#include "korin/platform/gui/Forms.h"
#include "korin/platform/gui/Region.h"
#include "korin/platform/gui/StatusWindow.h"

namespace korin {

namespace {

bool g_paintingArea = false;

void ClipToRegion(cairo_t* cr, HRGN region)
{
    cairo_new_path(cr);
    for (const TRect& r : RegionRects(region))
        cairo_rectangle(cr, r.Left, r.Top, r.Width(), r.Height());
    cairo_clip(cr);
}

// Paints the form's frame and caption bar. With ClientCovered the client area is left
// to the window, which paints all of it in its own colour straight after.
void DrawFrame(TCustomForm* form, TCanvas& c, bool ClientCovered)
{
    int f = form->FrameWidth(), cap = form->CaptionHeight();
    int w = form->Width(), h = form->Height();
    c.Brush().SetColor(clBtnFace);
    if (ClientCovered) {
        TRect client = form->ClientRect();
        OffsetRect(client, f, f + cap);
        c.FillRect(Rect(0, 0, w, client.Top));
        c.FillRect(Rect(0, client.Top, client.Left, client.Bottom));
        c.FillRect(Rect(client.Right, client.Top, w, client.Bottom));
        c.FillRect(Rect(0, client.Bottom, w, h));
    } else {
        c.FillRect(Rect(0, 0, w, h));
    }
    // Outer edge: light top-left, dark bottom-right.
    c.Pen().SetColor(clBtnHighlight);
    c.MoveTo(0, h - 1);
    c.LineTo(0, 0);
    c.LineTo(w - 1, 0);
    c.Pen().SetColor(cl3DDkShadow);
    c.LineTo(w - 1, h - 1);
    c.LineTo(-1, h - 1);
    if (cap > 0) {
        TRect bar = Rect(f, f, w - f, f + cap - 1);
        c.Brush().SetColor(clActiveCaption);
        c.FillRect(bar);
        TFont font;
        font.SetName(DefaultFontName);
        font.SetHeight(cap > 18 ? -12 : -11);
        font.SetStyle(fsBold);
        font.SetColor(clCaptionText);
        c.Font().Assign(font);
        int th = c.TextHeight("Hg");
        SetBkMode(c.Handle(), TRANSPARENT);
        c.TextOut(bar.Left + 5, bar.Top + (bar.Height() - th) / 2, form->Caption());
        // The close box.
        int s = cap - 6;
        TRect box = Rect(bar.Right - s - 3, bar.Top + 2, bar.Right - 3, bar.Top + 2 + s);
        c.Brush().SetColor(clBtnFace);
        c.FillRect(box);
        c.Pen().SetColor(clBtnText);
        c.MoveTo(box.Left + 3, box.Top + 3);
        c.LineTo(box.Right - 3, box.Bottom - 3);
        c.MoveTo(box.Right - 4, box.Top + 3);
        c.LineTo(box.Left + 2, box.Bottom - 3);
    }
}

}  // namespace

void TWinControl::PaintTo(TCanvas& Canvas)
{
    HDC dc = Canvas.Handle();
    cairo_t* cr = dc ? GetDCCairo(dc) : nullptr;
    int saved = Canvas.SaveDC();
    if (cr) {
        cairo_new_path(cr);
        TRect client = ClientRect();
        cairo_rectangle(cr, 0, 0, client.Width(), client.Height());
        cairo_clip(cr);
        if (FRegion)
            ClipToRegion(cr, FRegion);
    }
    // Erase the background in the window's colour, then the window paints itself.
    Canvas.Brush().SetColor(Color());
    Canvas.FillRect(ClientRect());
    TControl::PaintTo(Canvas);
    for (TControl* child : FControls) {
        if (!child->Visible())
            continue;
        int s = Canvas.SaveDC();
        if (cr) {
            cairo_translate(cr, child->Left(), child->Top());
            cairo_new_path(cr);
            cairo_rectangle(cr, 0, 0, child->Width(), child->Height());
            cairo_clip(cr);
            // Repainting part of a window, a child wholly outside that part stays as it is.
            double x1, y1, x2, y2;
            cairo_clip_extents(cr, &x1, &y1, &x2, &y2);
            if (g_paintingArea && (x2 <= x1 || y2 <= y1)) {
                Canvas.RestoreDC(s);
                continue;
            }
        }
        child->PaintTo(Canvas);
        Canvas.RestoreDC(s);
    }
    Canvas.RestoreDC(saved);
}

void PaintControlAt(TControl* Control, TCanvas& Canvas, int X, int Y)
{
    HDC dc = Canvas.Handle();
    cairo_t* cr = dc ? GetDCCairo(dc) : nullptr;
    int s = Canvas.SaveDC();
    if (cr) {
        cairo_translate(cr, X, Y);
        cairo_new_path(cr);
        cairo_rectangle(cr, 0, 0, Control->Width(), Control->Height());
        cairo_clip(cr);
    }
    Control->PaintTo(Canvas);
    Canvas.RestoreDC(s);
}

std::unique_ptr<TBitmap> RenderWindow(TWinControl* Window, bool WithFrame)
{
    auto* form = dynamic_cast<TCustomForm*>(Window);
    bool frame = WithFrame && form && form->BorderStyle() != bsNone && !form->Parent();
    int w = frame ? form->Width() : Window->ClientWidth();
    int h = frame ? form->Height() : Window->ClientHeight();
    // A window paints its whole client area in its colour before anything else, unless a
    // window region leaves part of it out; the frame covers the rest. Then the image needs
    // no white background of its own.
    bool covered = !Window->WindowRgn() && Window->ClientWidth() > 0 && Window->ClientHeight() > 0;
    auto bmp = covered ? TBitmap::CreateUnpainted(w, h) : std::make_unique<TBitmap>(w > 0 ? w : 1, h > 0 ? h : 1);
    TCanvas& c = bmp->Canvas();
    if (frame) {
        // The frame leaves the canvas as it found it: the client area paints the same
        // pixels with or without it (a window on screen shows it without).
        TFont font;
        font.Assign(c.Font());
        TPen pen;
        pen.Assign(c.Pen());
        TBrush brush;
        brush.Assign(c.Brush());
        int saved = c.SaveDC();
        DrawFrame(form, c, covered);
        c.RestoreDC(saved);
        c.Font().Assign(font);
        c.Pen().Assign(pen);
        c.Brush().Assign(brush);
        PaintControlAt(Window, c, form->FrameWidth(), form->FrameWidth() + form->CaptionHeight());
    } else {
        PaintControlAt(Window, c, 0, 0);
    }
    return bmp;
}

namespace {

// Adds to Area what the marked controls under Control cover; Origin is Control's place
// in the window, Visible the part of the window that shows Control.
void CollectInvalidated(TControl* Control, TPoint Origin, const TRect& Visible, TRect& Area)
{
    auto add = [&Area](const TRect& r) {
        if (IsRectEmpty(r))
            return;
        if (IsRectEmpty(Area)) {
            Area = r;
            return;
        }
        Area = TRect{std::min(Area.Left, r.Left), std::min(Area.Top, r.Top), std::max(Area.Right, r.Right),
                     std::max(Area.Bottom, r.Bottom)};
    };
    auto* w = dynamic_cast<TWinControl*>(Control);
    if (Control->NeedsPaint()) {
        TRect part = Visible;
        if (auto* s = dynamic_cast<TStatusWindow*>(Control)) {
            TRect marked = s->InvalidRect();
            OffsetRect(marked, Origin.x, Origin.y);
            if (!IntersectRect(part, marked, Visible))
                part = TRect{};
        }
        add(part);
        return;
    }
    if (!w)
        return;
    for (int i = 0; i < w->ControlCount(); ++i) {
        TControl* c = w->Controls(i);
        if (!c->Visible())
            continue;
        TPoint o = Point(Origin.x + c->Left(), Origin.y + c->Top());
        TRect vis;
        if (IntersectRect(vis, Bounds(o.x, o.y, c->Width(), c->Height()), Visible))
            CollectInvalidated(c, o, vis, Area);
    }
}

}  // namespace

TRect InvalidatedArea(TWinControl* Window)
{
    TRect area{};
    if (Window->Visible())
        CollectInvalidated(Window, Point(0, 0), Rect(0, 0, Window->ClientWidth(), Window->ClientHeight()), area);
    return area;
}

bool PaintingArea() { return g_paintingArea; }

void RenderWindowArea(TWinControl* Window, TBitmap& Target, const TRect& Area)
{
    TRect r;
    if (!IntersectRect(r, Area, Rect(0, 0, Target.Width(), Target.Height())))
        return;
    TCanvas& c = Target.Canvas();
    int saved = c.SaveDC();
    c.IntersectClipRect(r);
    g_paintingArea = true;
    try {
        PaintControlAt(Window, c, 0, 0);
    } catch (...) {
        g_paintingArea = false;
        c.RestoreDC(saved);
        throw;
    }
    g_paintingArea = false;
    c.RestoreDC(saved);
}

void SaveWindowToPNG(TWinControl* Window, const std::string& Path, bool WithFrame)
{
    RenderWindow(Window, WithFrame)->SaveToPNG(Path);
}

}  // namespace korin
