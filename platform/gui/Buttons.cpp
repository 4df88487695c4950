#include "korin/platform/gui/Buttons.h"

#include <cairo.h>

#include <algorithm>
#include <cstring>

#include "korin/platform/gui/Draw3D.h"
#include "korin/platform/gui/DrawText.h"
#include "korin/platform/gui/ImageList.h"

namespace korin {

// ---------------------------------------------------------------- glyph helpers

void LayoutGlyphAndCaption(const TRect& Client, TSize GlyphSize, TSize TextSize, TButtonLayout Layout, int Margin,
                           int Spacing, TPoint& GlyphPos, TRect& TextRect)
{
    bool horizontal = Layout == blGlyphLeft || Layout == blGlyphRight;
    int avail = horizontal ? Client.Width() : Client.Height();
    int g = horizontal ? GlyphSize.cx : GlyphSize.cy;
    int t = horizontal ? TextSize.cx : TextSize.cy;
    if (g == 0 || t == 0)
        Spacing = 0;
    int margin = Margin;
    int spacing = Spacing;
    if (margin < 0) {
        if (spacing < 0) {
            spacing = std::max(0, (avail - g - t) / 3);
            margin = spacing;
        } else {
            margin = (avail - g - t - spacing) / 2;
        }
    } else if (spacing < 0) {
        spacing = std::max(0, (avail - margin - g - t) / 2);
    }
    // Offsets along the main axis, measured from the glyph's side.
    int glyphAt = margin;
    int textAt = margin + g + spacing;
    if (Layout == blGlyphRight || Layout == blGlyphBottom) {
        glyphAt = avail - margin - g;
        textAt = glyphAt - spacing - t;
    }
    if (horizontal) {
        GlyphPos = Point(Client.Left + glyphAt, Client.Top + (Client.Height() - GlyphSize.cy) / 2);
        int ty = Client.Top + (Client.Height() - TextSize.cy) / 2;
        TextRect = Rect(Client.Left + textAt, ty, Client.Left + textAt + TextSize.cx, ty + TextSize.cy);
    } else {
        GlyphPos = Point(Client.Left + (Client.Width() - GlyphSize.cx) / 2, Client.Top + glyphAt);
        int tx = Client.Left + (Client.Width() - TextSize.cx) / 2;
        TextRect = Rect(tx, Client.Top + textAt, tx + TextSize.cx, Client.Top + textAt + TextSize.cy);
    }
}

int GlyphIndexForState(TButtonState State, int NumGlyphs)
{
    switch (State) {
    case bsDisabled: return NumGlyphs >= 2 ? 1 : 0;
    case bsDown: return NumGlyphs >= 3 ? 2 : 0;
    case bsExclusive: return NumGlyphs >= 4 ? 3 : 0;
    default: return 0;
    }
}

void TGlyphImages::Draw(TCanvas& Canvas, const TBitmap& Glyph, int NumGlyphs, int Index, int X, int Y, bool Emboss)
{
    if (Glyph.Empty() || NumGlyphs < 1 || Glyph.Width() / NumGlyphs <= 0) {
        DrawGlyphImage(Canvas, Glyph, NumGlyphs, Index, X, Y, Emboss);
        return;
    }
    cairo_surface_t* s = Glyph.Surface();
    cairo_surface_flush(s);
    const unsigned char* data = cairo_image_surface_get_data(s);
    std::size_t bytes = std::size_t(cairo_image_surface_get_stride(s)) * std::size_t(Glyph.Height());
    bool same = FImages && FWidth == Glyph.Width() && FHeight == Glyph.Height() && FNumGlyphs == NumGlyphs &&
                FPixels.size() == bytes && std::memcmp(FPixels.data(), data, bytes) == 0;
    if (!same) {
        int w = Glyph.Width() / NumGlyphs;
        // An image list cut from the glyph strip does the transparent and embossed drawing.
        TOwned<TImageList> images(new TImageList(nullptr, w, Glyph.Height()));
        images->AddMasked(Glyph, Glyph.Pixels(0, Glyph.Height() - 1));
        FImages = std::move(images);
        FPixels.assign(data, data + bytes);
        FWidth = Glyph.Width();
        FHeight = Glyph.Height();
        FNumGlyphs = NumGlyphs;
        ++FBuilds;
    }
    FImages->Draw(Canvas, X, Y, Index, !Emboss);
}

void DrawGlyphImage(TCanvas& Canvas, const TBitmap& Glyph, int NumGlyphs, int Index, int X, int Y, bool Emboss)
{
    if (Glyph.Empty() || NumGlyphs < 1)
        return;
    int w = Glyph.Width() / NumGlyphs;
    if (w <= 0)
        return;
    // An image list cut from the glyph strip does the transparent and embossed drawing.
    TOwned<TImageList> images(new TImageList(nullptr, w, Glyph.Height()));
    images->AddMasked(Glyph, Glyph.Pixels(0, Glyph.Height() - 1));
    images->Draw(Canvas, X, Y, Index, !Emboss);
}

namespace {

TSize CaptionExtent(TCanvas& c, const std::string& caption, unsigned flags)
{
    if (caption.empty())
        return TSize{};
    TRect r = Rect(0, 0, 0, 0);
    DrawText(c, caption, r, flags | DT_CALCRECT | DT_SINGLELINE);
    return TSize{r.Width(), r.Height()};
}

// A caption in the font colour, or embossed grey when the button is disabled.
void DrawCaption(TCanvas& c, const std::string& caption, TRect r, bool enabled, unsigned flags)
{
    if (caption.empty())
        return;
    c.Brush().SetStyle(bsClear);
    flags |= DT_SINGLELINE | DT_NOCLIP;
    if (!enabled) {
        TColor saved = c.Font().Color();
        OffsetRect(r, 1, 1);
        c.Font().SetColor(clBtnHighlight);
        DrawText(c, caption, r, flags);
        OffsetRect(r, -1, -1);
        c.Font().SetColor(clBtnShadow);
        DrawText(c, caption, r, flags);
        c.Font().SetColor(saved);
        return;
    }
    DrawText(c, caption, r, flags);
}

int ClampGlyphs(int n) { return std::clamp(n, 1, 4); }

// The face of a group button that stays down: a lighter shade between face and highlight.
TColor ExclusiveFace(TColor face)
{
    TColor a = ColorToRGB(face), b = ColorToRGB(clBtnHighlight);
    return RGB((GetRValue(a) + GetRValue(b)) / 2, (GetGValue(a) + GetGValue(b)) / 2, (GetBValue(a) + GetBValue(b)) / 2);
}

}  // namespace

// ---------------------------------------------------------------- TSpeedButton

TSpeedButton::TSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner)
{
    // The button captures the mouse and clicks itself: the group rules run before the click.
    SetControlStyle(csSetCaption);
    SetBounds(0, 0, 23, 22);
    FGlyph.OnChange = [this](TObject*) { Invalidate(); };
}

void TSpeedButton::RestState()
{
    if (!Enabled())
        FState = bsDisabled;
    else
        FState = FDown ? bsExclusive : bsUp;
}

void TSpeedButton::UpdateExclusive()
{
    if (FGroupIndex == 0 || !Parent())
        return;
    TWinControl* p = Parent();
    for (int i = 0; i < p->ControlCount(); ++i) {
        auto* b = dynamic_cast<TSpeedButton*>(p->Controls(i));
        if (!b || b == this || b->FGroupIndex != FGroupIndex)
            continue;
        if (FDown && b->FDown) {
            b->FDown = false;
            if (!b->FDragging)
                b->RestState();
            b->Invalidate();
        }
        b->FAllowAllUp = FAllowAllUp;
    }
}

void TSpeedButton::SetGroupIndex(int Value)
{
    if (Value == FGroupIndex)
        return;
    FGroupIndex = Value;
    if (FGroupIndex == 0 && FDown) {
        FDown = false;
        RestState();
        Invalidate();
    }
    UpdateExclusive();
}

void TSpeedButton::SetAllowAllUp(bool Value)
{
    FAllowAllUp = Value;
    UpdateExclusive();
}

void TSpeedButton::SetDown(bool Value)
{
    if (FGroupIndex == 0)
        Value = false;
    if (Value == FDown)
        return;
    if (FDown && !FAllowAllUp)
        return;
    FDown = Value;
    if (!FDragging)
        RestState();
    Invalidate();
    if (Value)
        UpdateExclusive();
}

void TSpeedButton::SetFlat(bool Value)
{
    if (Value == FFlat)
        return;
    FFlat = Value;
    Invalidate();
}

void TSpeedButton::SetGlyph(const TBitmap& Value)
{
    FGlyph.Assign(Value);
    Invalidate();
}

void TSpeedButton::SetNumGlyphs(int Value)
{
    Value = ClampGlyphs(Value);
    if (Value == FNumGlyphs)
        return;
    FNumGlyphs = Value;
    Invalidate();
}

void TSpeedButton::EnabledChanged()
{
    if (!Enabled() && FDragging) {
        FDragging = false;
        SetMouseCapture(false);
    }
    if (!Enabled())
        FMouseInControl = false;
    RestState();
    Invalidate();
}

void TSpeedButton::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case CM_MOUSEENTER:
        if (Enabled() && !FMouseInControl) {
            FMouseInControl = true;
            if (FFlat)
                Invalidate();
        }
        break;
    case CM_MOUSELEAVE:
        if (FMouseInControl) {
            FMouseInControl = false;
            if (FFlat)
                Invalidate();
        }
        break;
    case WM_CAPTURECHANGED:
        // Someone else took the mouse (a modal form opening): the press is over, no click.
        if (FDragging) {
            FDragging = false;
            RestState();
            Invalidate();
        }
        break;
    case WM_LBUTTONDBLCLK:
        // A double click on a group button that is down is a double click; anywhere else
        // it is one more press.
        if (FGroupIndex != 0 && FDown)
            DblClick();
        break;
    }
    TGraphicControl::WndProc(m);
}

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft || !Enabled())
        return;
    if (!FDown) {
        FState = bsDown;
        Invalidate();
    }
    FDragging = true;
    SetMouseCapture(true);
}

void TSpeedButton::MouseMove(TShiftState Shift, int X, int Y)
{
    TGraphicControl::MouseMove(Shift, X, Y);
    if (!FDragging)
        return;
    TButtonState next = FDown ? bsExclusive : bsUp;
    if (PtInRect(ClientRect(), Point(X, Y)) && !FDown)
        next = bsDown;
    if (next != FState) {
        FState = next;
        Invalidate();
    }
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TGraphicControl::MouseUp(Button, Shift, X, Y);
    if (Button != mbLeft || !FDragging)
        return;
    FDragging = false;
    bool click = PtInRect(ClientRect(), Point(X, Y));
    if (FGroupIndex != 0 && click)
        SetDown(!FDown);
    RestState();
    Invalidate();
    SetMouseCapture(false);
    if (click)
        Click();
}

void TSpeedButton::Paint()
{
    TCanvas& c = *Canvas();
    TRect client = ClientRect();
    bool down = FState == bsDown || FState == bsExclusive;
    bool hot = FFlat && Enabled() && (FMouseInControl || FDragging);
    TRect inside = DrawButtonFace(c, client, down, FFlat, hot, false, Color());
    if (FState == bsExclusive) {
        TRect face = client;
        InflateRect(face, FFlat ? -1 : -2, FFlat ? -1 : -2);
        c.Brush().SetColor(ExclusiveFace(Color()));
        c.FillRect(face);
    }

    c.Font().Assign(Font());
    unsigned prefix = FShowAccelChar ? 0 : DT_NOPREFIX;
    TSize textSize = CaptionExtent(c, Caption(), prefix);
    TSize glyphSize{};
    if (!FGlyph.Empty())
        glyphSize = TSize{FGlyph.Width() / FNumGlyphs, FGlyph.Height()};
    TPoint glyphAt;
    TRect textRect;
    LayoutGlyphAndCaption(inside, glyphSize, textSize, FLayout, FMargin, FSpacing, glyphAt, textRect);
    if (glyphSize.cx > 0)
        FGlyphImages.Draw(c, FGlyph, FNumGlyphs, GlyphIndexForState(FState, FNumGlyphs), glyphAt.x, glyphAt.y,
                       FState == bsDisabled && FNumGlyphs < 2);
    DrawCaption(c, Caption(), textRect, Enabled(), prefix);
}

// ---------------------------------------------------------------- TBitBtn

TBitBtn::TBitBtn(TComponent* AOwner) : TButton(AOwner)
{
    FGlyph.OnChange = [this](TObject*) { Invalidate(); };
}

void TBitBtn::SetGlyph(const TBitmap& Value)
{
    FGlyph.Assign(Value);
    Invalidate();
}

void TBitBtn::SetNumGlyphs(int Value)
{
    FNumGlyphs = ClampGlyphs(Value);
    Invalidate();
}

void TBitBtn::SetKind(TBitBtnKind Value)
{
    FKind = Value;
    struct KindInfo {
        const char* Caption;
        TModalResult Result;
        bool Default;
        bool Cancel;
    };
    static const KindInfo info[] = {
        {nullptr, mrNone, false, false},  // bkCustom keeps what the button has
        {"OK", mrOk, true, false},         {"Cancel", mrCancel, false, true}, {"&Help", mrNone, false, false},
        {"&Yes", mrYes, true, false},      {"&No", mrNo, false, true},        {"&Close", mrNone, false, false},
        {"Abort", mrAbort, false, true},   {"&Retry", mrRetry, false, false}, {"&Ignore", mrIgnore, false, false},
    };
    const KindInfo& k = info[static_cast<int>(Value)];
    // A form file holds the caption and results it wants; the kind only names the look.
    if (!k.Caption || IsLoading())
        return;
    SetCaption(k.Caption);
    SetModalResult(k.Result);
    if (k.Default)
        SetDefault(true);
    if (k.Cancel)
        SetCancel(true);
}

void TBitBtn::Click()
{
    if (FKind == bkClose) {
        if (TCustomForm* form = GetParentForm(this)) {
            form->Close();
            TWinControl::Click();
            return;
        }
    }
    TButton::Click();
}

void TBitBtn::PaintContent(TCanvas& c, const TRect& Inside)
{
    TSize textSize = CaptionExtent(c, Caption(), 0);
    TSize glyphSize{};
    if (!FGlyph.Empty())
        glyphSize = TSize{FGlyph.Width() / FNumGlyphs, FGlyph.Height()};
    TPoint glyphAt;
    TRect textRect;
    LayoutGlyphAndCaption(Inside, glyphSize, textSize, FLayout, FMargin, FSpacing, glyphAt, textRect);
    TButtonState state = !Enabled() ? bsDisabled : (Pressed() ? bsDown : bsUp);
    if (glyphSize.cx > 0)
        FGlyphImages.Draw(c, FGlyph, FNumGlyphs, GlyphIndexForState(state, FNumGlyphs), glyphAt.x, glyphAt.y,
                       state == bsDisabled && FNumGlyphs < 2);
    DrawCaption(c, Caption(), textRect, Enabled(), 0);
}

}  // namespace korin
