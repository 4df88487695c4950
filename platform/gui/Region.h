#pragma once
// Regions: sets of whole pixels, held by handle (HRGN) like the host's region objects.
//
// Pixel rule: a region built from a shape holds pixel (x, y) exactly when the pixel's
// centre (x + 0.5, y + 0.5) lies inside the shape or on its outline. A rectangle region
// (l, t, r, b) therefore holds the pixels l <= x < r, t <= y < b; an elliptic region holds
// the pixels whose centres lie in the ellipse inscribed in its rectangle. The tests are
// done in integer arithmetic, so membership never depends on rounding.
//
// Coordinates are limited to +-2^27 and corner ellipses to 2^17 pixels, so that no
// argument can make a region exhaust memory.
//
// A region is stored as horizontal bands (runs of rows with the same spans), so that a
// large rectangle costs one band and an ellipse one band per distinct row.
#include <vector>

#include "korin/platform/gui/Types.h"

namespace korin {

struct TRegionData;
using HRGN = TRegionData*;

// CombineRgn modes.
constexpr int RGN_AND = 1;
constexpr int RGN_OR = 2;
constexpr int RGN_XOR = 3;
constexpr int RGN_DIFF = 4;
constexpr int RGN_COPY = 5;

// Region kinds answered by CombineRgn, OffsetRgn and GetRgnBox.
constexpr int RGN_ERROR = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;

HRGN CreateRectRgn(int Left, int Top, int Right, int Bottom);
HRGN CreateRectRgnIndirect(const TRect& R);
// The ellipse inscribed in the rectangle.
HRGN CreateEllipticRgn(int Left, int Top, int Right, int Bottom);
// The rectangle with its corners cut by an ellipse of CornerWidth x CornerHeight (clamped to
// the rectangle's size); given the rectangle's full size it is the inscribed ellipse.
HRGN CreateRoundRectRgn(int Left, int Top, int Right, int Bottom, int CornerWidth, int CornerHeight);
// Dest := A op B (B is ignored for RGN_COPY). Dest may be A or B. Answers the kind of the
// result, or RGN_ERROR for a missing region or an unknown mode (Dest then is unchanged).
int CombineRgn(HRGN Dest, HRGN A, HRGN B, int Mode);
bool PtInRegion(HRGN Rgn, int X, int Y);
bool RectInRegion(HRGN Rgn, const TRect& R);
bool EqualRgn(HRGN A, HRGN B);
int OffsetRgn(HRGN Rgn, int DX, int DY);
// The smallest rectangle holding the region (empty for an empty region).
int GetRgnBox(HRGN Rgn, TRect* Box);
// Frees the region; false for a null handle.
bool DeleteObject(HRGN Rgn);

// The region as disjoint rectangles, top to bottom and left to right (for clipping and for
// shaping a window).
std::vector<TRect> RegionRects(HRGN Rgn);
// A new region holding the same pixels.
HRGN CopyRgn(HRGN Rgn);

}  // namespace korin
