#pragma once
// Colours and fonts. (Canvas, bitmaps, image lists and regions: Canvas.h.)
#include <cstdint>
#include <functional>
#include <string>

#include "korin/platform/core/Object.h"

namespace korin {

// 0x00BBGGRR for plain colours; 0xFF0000nn for the system colour number nn.
using TColor = std::uint32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

constexpr TColor clSystemColor = 0xFF000000;
constexpr TColor clScrollBar = clSystemColor | 0;
constexpr TColor clBackground = clSystemColor | 1;
constexpr TColor clActiveCaption = clSystemColor | 2;
constexpr TColor clInactiveCaption = clSystemColor | 3;
constexpr TColor clMenu = clSystemColor | 4;
constexpr TColor clWindow = clSystemColor | 5;
constexpr TColor clWindowFrame = clSystemColor | 6;
constexpr TColor clMenuText = clSystemColor | 7;
constexpr TColor clWindowText = clSystemColor | 8;
constexpr TColor clCaptionText = clSystemColor | 9;
constexpr TColor clActiveBorder = clSystemColor | 10;
constexpr TColor clInactiveBorder = clSystemColor | 11;
constexpr TColor clAppWorkSpace = clSystemColor | 12;
constexpr TColor clHighlight = clSystemColor | 13;
constexpr TColor clHighlightText = clSystemColor | 14;
constexpr TColor clBtnFace = clSystemColor | 15;
constexpr TColor clBtnShadow = clSystemColor | 16;
constexpr TColor clGrayText = clSystemColor | 17;
constexpr TColor clBtnText = clSystemColor | 18;
constexpr TColor clInactiveCaptionText = clSystemColor | 19;
constexpr TColor clBtnHighlight = clSystemColor | 20;
constexpr TColor cl3DDkShadow = clSystemColor | 21;
constexpr TColor cl3DLight = clSystemColor | 22;
constexpr TColor clInfoText = clSystemColor | 23;
constexpr TColor clInfoBk = clSystemColor | 24;

// The RGB value (0x00BBGGRR) of a colour, system colours resolved.
TColor ColorToRGB(TColor Color);
inline TColor RGB(int r, int g, int b) { return TColor(r & 0xFF) | (TColor(g & 0xFF) << 8) | (TColor(b & 0xFF) << 16); }
inline int GetRValue(TColor c) { return int(c & 0xFF); }
inline int GetGValue(TColor c) { return int((c >> 8) & 0xFF); }
inline int GetBValue(TColor c) { return int((c >> 16) & 0xFF); }

enum TFontStyle : std::uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = std::uint8_t;

// The default font: DejaVu Sans, so that text metrics are the same on every machine.
inline const char* const DefaultFontName = "DejaVu Sans";

class TFont : public TObject {
public:
    TFont() = default;
    const std::string& Name() const { return FName; }
    void SetName(const std::string& v) { if (v != FName) { FName = v; Changed(); } }
    // Height in pixels; negative means character height without internal leading, as
    // the host's form files store it. Size is in points (96 dpi).
    int Height() const { return FHeight; }
    void SetHeight(int v) { if (v != FHeight) { FHeight = v; Changed(); } }
    int Size() const;
    void SetSize(int points);
    TFontStyles Style() const { return FStyle; }
    void SetStyle(TFontStyles v) { if (v != FStyle) { FStyle = v; Changed(); } }
    TColor Color() const { return FColor; }
    void SetColor(TColor v) { if (v != FColor) { FColor = v; Changed(); } }
    void Assign(const TFont& other);
    bool operator==(const TFont& o) const { return FName == o.FName && FHeight == o.FHeight && FStyle == o.FStyle && FColor == o.FColor; }

    TNotifyEvent OnChange;

private:
    void Changed() { if (OnChange) OnChange(this); }
    std::string FName = DefaultFontName;
    int FHeight = -11;
    TFontStyles FStyle = 0;
    TColor FColor = clWindowText;
};

}  // namespace korin
