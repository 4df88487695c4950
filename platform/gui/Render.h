#pragma once
// Painting windows: a window paints its background in its Color, then itself (Paint), then
// its children in z-order, each translated to its place and clipped to its bounds and its
// window region. Any top-level window (a form, a hint window) renders to a bitmap or a
// PNG file with one call.
#include <memory>
#include <string>

#include "korin/platform/gui/Bitmap.h"
#include "korin/platform/gui/Controls.h"

namespace korin {

// The whole window as shown on screen: for a form with a border, the frame and caption
// bar too.
std::unique_ptr<TBitmap> RenderWindow(TWinControl* Window, bool WithFrame = true);
void SaveWindowToPNG(TWinControl* Window, const std::string& Path, bool WithFrame = true);
// Paints a control and everything on it onto Canvas at (X, Y).
void PaintControlAt(TControl* Control, TCanvas& Canvas, int X, int Y);

// The box, in Window's client coordinates, around what the controls of Window marked for
// repainting cover: a status window's invalidated parts, any other marked window as a
// whole (clipped to what shows of it). Empty when nothing needs painting.
TRect InvalidatedArea(TWinControl* Window);
// Repaints Area of Target, an image of Window's client area as RenderWindow(Window, false)
// makes it, with the same pixels; only the controls that reach into Area paint.
void RenderWindowArea(TWinControl* Window, TBitmap& Target, const TRect& Area);
// True while RenderWindowArea paints: a control may then leave out what lies outside
// its canvas's clip.
bool PaintingArea();

}  // namespace korin
