#pragma once
// Bevels and button faces for the standard controls.
#include "korin/platform/gui/Canvas.h"

namespace korin {

// Draws Width nested 1-pixel frames: top and left edges in TopColor, bottom and right in
// BottomColor (which also takes the top-right and bottom-left corner pixels). Rect shrinks
// by Width on every side.
void Frame3D(TCanvas& Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, int Width);

// Edge kinds: outer and inner, raised or sunken.
constexpr unsigned BDR_RAISEDOUTER = 0x1;
constexpr unsigned BDR_SUNKENOUTER = 0x2;
constexpr unsigned BDR_RAISEDINNER = 0x4;
constexpr unsigned BDR_SUNKENINNER = 0x8;
constexpr unsigned EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
constexpr unsigned EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
constexpr unsigned EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER;
constexpr unsigned EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;
// Sides and options.
constexpr unsigned BF_LEFT = 0x1;
constexpr unsigned BF_TOP = 0x2;
constexpr unsigned BF_RIGHT = 0x4;
constexpr unsigned BF_BOTTOM = 0x8;
constexpr unsigned BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM;
constexpr unsigned BF_MIDDLE = 0x800;  // fill the inside with clBtnFace
constexpr unsigned BF_ADJUST = 0x2000; // shrink Rect to the inside
constexpr unsigned BF_FLAT = 0x4000;   // one shadow-coloured frame instead of a bevel

// Draws a two-level bevel on the chosen sides of R. Colours: raised outer clBtnHighlight /
// cl3DDkShadow, raised inner cl3DLight / clBtnShadow, sunken outer clBtnShadow /
// clBtnHighlight, sunken inner cl3DDkShadow / cl3DLight (top-left / bottom-right).
// With BF_ADJUST, R becomes the rectangle inside the edges.
void DrawEdge(TCanvas& Canvas, TRect& R, unsigned Edge, unsigned Flags);

// Paints a push or speed button's face: the face colour with a raised bevel (up), a sunken
// one (down), or for a flat button nothing around the face unless the pointer is over it
// (a thin raised frame) or it is down (a thin sunken frame). A default button gets a
// 1-pixel clWindowFrame border outside its bevel. Answers the rectangle for the glyph and
// caption, moved 1 pixel right and down when the button is down.
TRect DrawButtonFace(TCanvas& Canvas, const TRect& Client, bool IsDown, bool IsFlat = false, bool IsHot = false,
                     bool IsDefault = false, TColor FaceColor = clBtnFace);

}  // namespace korin
