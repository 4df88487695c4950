// Panel painting: what each style draws into its part, on the bar's canvas (which carries
// the bar's font and a solid brush in the bar's colour while a part is drawn).
#include <algorithm>
#include <cmath>

#include "korin/platform/core/DateFormat.h"
#include "korin/platform/core/FileNames.h"
#include "korin/platform/gui/Keyboard.h"
#include "korin/statusbar/Statbar.h"

namespace korin {

namespace {

// Round to the nearest integer, halves to the even neighbour.
int RoundEven(double v) { return static_cast<int>(std::nearbyint(v)); }

// Removes the whole UTF-8 character that ends just before byte Pos.
void EraseCharBefore(std::string& s, size_t Pos)
{
    size_t start = Pos - 1;
    while (start > 0 && (static_cast<unsigned char>(s[start]) & 0xC0) == 0x80)
        --start;
    s.erase(start, Pos - start);
}

bool DrawsBarFirst(TKStatusPanelStyle s)
{
    return s == psProgressPercent || s == psProgressText || s == psDBProgressRecNum || s == psDBProgressPercent;
}

}  // namespace

std::string PercentText(int Min, int Max, int Position)
{
    if (Max - Min == 0)
        return "0%";
    return std::to_string(RoundEven(static_cast<double>(Position - Min) * 100.0 / (Max - Min))) + "%";
}

std::string MinimizeText(const std::string& S, TCanvas& Canvas, int MaxWidth)
{
    std::string r = S;
    if (Canvas.TextWidth(r) <= MaxWidth)
        return r;
    r += "...";
    while (Canvas.TextWidth(r) > MaxWidth && r != "...")
        EraseCharBefore(r, r.size() - 3);
    return r;
}

std::string MinimizePath(const std::string& S, TCanvas& Canvas, int MaxWidth)
{
    std::string name = ExtractFileName(S);
    std::string dir = ExtractFilePath(S);
    // The separator the path itself uses ("/" here, "\" in paths written elsewhere).
    char sep = '\\';
    size_t last = S.find_last_of("/\\");
    if (last != std::string::npos)
        sep = S[last];
    if (name != S)
        name.insert(name.begin(), sep);
    dir = MinimizeText(dir, Canvas, MaxWidth - Canvas.TextWidth(name));
    std::string r = dir + name;
    for (size_t i = 0; i + 1 < r.size(); ++i)
        if (r[i] == sep && r[i + 1] == sep)
            r.erase(i + 1, 1);
    return r;
}

void TKStatusPanel::DrawPanel(const TRect& Rect)
{
    TCustomKStatusBar* bar = GetStatusBar();
    if (!bar)
        return;
    switch (FStyle) {
    case psOwnerDraw:
        if (OnDrawPanel)
            OnDrawPanel(bar, this, Rect);
        else if (bar->OnDrawPanel)
            bar->OnDrawPanel(bar, this, Rect);
        break;
    case psCapsLock:
    case psNumLock:
    case psScrollLock:
        FGrayed = (GetKeyState(LockKeyCode(FStyle)) & 1) == 0;
        DrawPanelText(Rect);
        break;
    case psDateTime:
        SetText(FormatDateTime(FDateTimeFormat, Now()));
        DrawPanelText(Rect);
        break;
    case psPercent:
        FText = PercentText(FMin, FMax, FPosition);
        DrawPanelText(Rect);
        break;
    case psProgress:
    case psDBProgress:
        DrawProgress(Rect);
        break;
    case psProgressPercent:
        DrawProgress(Rect);
        FText = PercentText(FMin, FMax, FPosition);
        DrawPanelText(Rect);
        break;
    case psProgressText:
    case psDBProgressRecNum:
    case psDBProgressPercent:
        DrawProgress(Rect);
        DrawPanelText(Rect);
        break;
    case psIndeterminate:
        DrawIndeterminate(Rect);
        break;
    default:  // psNormal, the ellipsis styles and the database text styles
        DrawPanelText(Rect);
        break;
    }
}

void TKStatusPanel::DrawPanelText(const TRect& R)
{
    TCustomKStatusBar* bar = GetStatusBar();
    if (!bar)
        return;
    TCanvas& C = *bar->Canvas();
    bool rightFirst = FAlignment == taRightJustify || (FAlignment == taCenter && UseRightToLeftAlignment());
    TCustomImageList* list = FEnabled ? bar->Images() : bar->DisabledImages();
    int imgW = 0;
    if (list && FImageIndex >= 0 && FImageIndex < list->Count())
        imgW = list->Width();
    int tw = C.TextWidth(FText);
    int x;
    if (FAlignment == taLeftJustify)
        x = R.Left + 1;
    else if (FAlignment == taRightJustify)
        x = R.Right - 1 - imgW;
    else if (UseRightToLeftAlignment())
        x = std::max(R.Left, ((tw + imgW) + (R.Right - R.Left)) / 2 + R.Left - imgW);
    else
        x = std::max(R.Left, ((R.Right - R.Left) - (tw + imgW)) / 2 + R.Left);
    if (!DrawsBarFirst(FStyle)) {
        C.Brush().SetColor(FColor);
        C.FillRect(R);
    }
    if (imgW > 0) {
        int y = (R.Bottom - R.Top - list->Height()) / 2 + R.Top;
        list->Draw(C, x, y, FImageIndex, true);
        x = rightFirst ? x - 2 : x + imgW + 2;
    }
    if (rightFirst)
        x -= tw;
    int y = (R.Bottom - R.Top - C.TextHeight("H")) / 2 + R.Top;
    if (UseRightToLeftReading())
        C.SetTextFlags(C.TextFlags() | ETO_RTLREADING);
    else
        C.SetTextFlags(C.TextFlags() & ~ETO_RTLREADING);
    std::string s = FText;
    if (FStyle == psEllipsisText)
        s = MinimizeText(FText, C, FWidth - (x - R.Left) - 3);
    else if (FStyle == psEllipsisPath)
        s = MinimizePath(FText, C, FWidth - (x - R.Left) - 3);
    int oldMode = SetBkMode(C.Handle(), TRANSPARENT);
    if (FGrayed) {
        C.Font().SetColor(clWhite);
        C.TextOut(x + 1, y + 1, s);
        C.Font().SetColor(clGrayText);
        C.TextOut(x, y, s);
    } else {
        C.Font().SetColor(FTextColor);
        C.TextOut(x, y, s);
    }
    SetBkMode(C.Handle(), oldMode);
}

void TKStatusPanel::DrawProgress(const TRect& R)
{
    TCustomKStatusBar* bar = GetStatusBar();
    if (!bar)
        return;
    TCanvas& C = *bar->Canvas();
    C.Brush().SetColor(FColor);
    C.FillRect(R);
    int filled = 0;
    if (FMax - FMin >= 1)
        filled = RoundEven(static_cast<double>(FPosition - FMin) / (FMax - FMin) * (FWidth - 2));
    C.Brush().SetColor(FProgressColor);
    bool rtl = UseRightToLeftAlignment();
    if (FSmoothProgress) {
        C.FillRect(rtl ? Rect(R.Right - filled + 1, R.Top + 1, R.Right, R.Bottom - 1)
                       : Rect(R.Left + 1, R.Top + 1, R.Left + filled, R.Bottom - 1));
    } else {
        int blockW = RoundEven((R.Bottom - R.Top) * 0.8);
        int gap = static_cast<int>(blockW / 10.0);
        int count = blockW > 0 ? RoundEven(static_cast<double>(filled) / blockW) : 0;
        for (int i = 0; i < count; ++i)
            C.FillRect(rtl ? Rect(R.Right - (i + 1) * blockW + gap + 1, R.Top + 1, R.Right - i * blockW, R.Bottom - 1)
                           : Rect(R.Left + 1 + i * blockW, R.Top + 1, R.Left + (i + 1) * blockW - gap, R.Bottom - 1));
    }
    C.Brush().SetColor(FColor);
}

void TKStatusPanel::DrawIndeterminate(const TRect& R)
{
    TCustomKStatusBar* bar = GetStatusBar();
    if (!bar)
        return;
    TCanvas& C = *bar->Canvas();
    C.Brush().SetColor(FColor);
    C.FillRect(R);
    if (!FEnabled || !FGaugeBitmap)
        return;
    int gw = FGaugeBitmap->Width(), gh = FGaugeBitmap->Height();
    int bandW = std::min(RoundEven((FWidth - 2) * 0.3), 3 * gw);
    TRect inner = R;
    InflateRect(inner, -1, -1);
    int l = inner.Left;
    if (FSweepStep > 0)
        C.CopyRect(Rect(l + FSweepOffset - bandW, inner.Top, l + FSweepOffset, inner.Bottom), FGaugeBitmap->Canvas(),
                   Rect(0, 0, gw, gh));
    else
        C.CopyRect(Rect(l + FSweepOffset, inner.Top, l + FSweepOffset + bandW, inner.Bottom), FGaugeBitmap->Canvas(),
                   Rect(gw, 0, 0, gh));
}

void TKStatusPanel::InitGaugeBitmap()
{
    TCustomKStatusBar* bar = GetStatusBar();
    TColor c1 = ColorToRGB(FColor), c2 = ColorToRGB(FProgressColor);
    int h = std::max(1, bar ? bar->Height() : 19);
    if (!FGaugeBitmap)
        FGaugeBitmap = std::make_unique<TBitmap>(16, h);
    else
        FGaugeBitmap->SetSize(16, h);
    TCanvas& g = FGaugeBitmap->Canvas();
    g.Brush().SetColor(TColor(0x0000FF));
    g.FillRect(Rect(0, 0, 16, h));
    for (int i = 0; i < 16; ++i) {
        double f = i / 15.0;
        auto mix = [f](int a, int b) { return static_cast<int>(a + (b - a) * f); };
        g.Pen().SetColor(RGB(mix(GetRValue(c1), GetRValue(c2)), mix(GetGValue(c1), GetGValue(c2)),
                             mix(GetBValue(c1), GetBValue(c2))));
        g.MoveTo(i, 0);
        g.LineTo(i, h);
    }
}

}  // namespace korin
