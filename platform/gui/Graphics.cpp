#include "korin/platform/gui/Graphics.h"

#include <cmath>

namespace korin {

TColor ColorToRGB(TColor Color)
{
    if ((Color & 0xFF000000) != clSystemColor)
        return Color & 0x00FFFFFF;
    // A fixed, light system palette so that every machine paints the same pixels.
    static const TColor system[] = {
        RGB(200, 200, 200), RGB(0, 128, 128), RGB(10, 36, 106), RGB(128, 128, 128),   // 0-3
        RGB(212, 208, 200), RGB(255, 255, 255), RGB(0, 0, 0), RGB(0, 0, 0),           // 4-7
        RGB(0, 0, 0), RGB(255, 255, 255), RGB(212, 208, 200), RGB(212, 208, 200),     // 8-11
        RGB(128, 128, 128), RGB(10, 36, 106), RGB(255, 255, 255), RGB(212, 208, 200), // 12-15
        RGB(128, 128, 128), RGB(128, 128, 128), RGB(0, 0, 0), RGB(212, 208, 200),     // 16-19
        RGB(255, 255, 255), RGB(64, 64, 64), RGB(212, 208, 200), RGB(0, 0, 0),        // 20-23
        RGB(255, 255, 225),                                                           // 24
    };
    unsigned n = Color & 0xFF;
    return n < sizeof(system) / sizeof(system[0]) ? system[n] : RGB(0, 0, 0);
}

int TFont::Size() const
{
    return FHeight < 0 ? static_cast<int>(std::lround(-FHeight * 72.0 / 96.0)) : static_cast<int>(std::lround(FHeight * 72.0 / 96.0));
}

void TFont::SetSize(int points) { SetHeight(-static_cast<int>(std::lround(points * 96.0 / 72.0))); }

void TFont::Assign(const TFont& other)
{
    bool changed = !(*this == other);
    FName = other.FName;
    FHeight = other.FHeight;
    FStyle = other.FStyle;
    FColor = other.FColor;
    if (changed)
        Changed();
}

}  // namespace korin
