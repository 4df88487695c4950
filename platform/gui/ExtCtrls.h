#pragma once
// Panels and bevels.
#include "korin/platform/gui/Controls.h"

namespace korin {

// How a panel's bevel is cut: not at all, sunk into the surface, raised from it, or as
// empty space of the bevel's width.
enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

// A container with an outer bevel, a border, an inner bevel and a centred caption. Bars
// and toolbars derive from it: they override Paint (calling PaintBevels for the frame) and
// lay out children inside InnerRect.
class TCustomPanel : public TCustomControl {
public:
    explicit TCustomPanel(TComponent* AOwner);

    TBevelCut BevelInner() const { return FBevelInner; }
    void SetBevelInner(TBevelCut Value);
    TBevelCut BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut Value);
    int BevelWidth() const { return FBevelWidth; }
    // At least 1.
    void SetBevelWidth(int Value);
    int BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int Value);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);

    // The client area inside both bevels and the border.
    TRect InnerRect() const;
    // Pixels taken by bevels and border on each side.
    int FrameWidth() const;

protected:
    // Draws the bevels and the border (the background is already erased in Color) and then
    // the caption.
    void Paint() override;
    // Draws the outer bevel, the border and the inner bevel inside Rect; Rect becomes the
    // rectangle inside them.
    void PaintBevels(TRect& Rect);
    // Draws the caption, single line, centred vertically and aligned by Alignment.
    virtual void PaintCaption(const TRect& Rect);
    // Aligned children fill what is inside the bevels and the border.
    void AlignControls(TControl* AControl, TRect& Rect) override;

private:
    void FrameChanged();

    TBevelCut FBevelInner = bvNone;
    TBevelCut FBevelOuter = bvRaised;
    int FBevelWidth = 1;
    int FBorderWidth = 0;
    TAlignment FAlignment = taCenter;
};

class TPanel : public TCustomPanel {
public:
    explicit TPanel(TComponent* AOwner);
};

enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
enum TBevelStyle { bsLowered, bsRaised };

// A box, an etched frame or a line, lowered into the surface or raised from it.
class TBevel : public TGraphicControl {
public:
    explicit TBevel(TComponent* AOwner);
    TBevelShape Shape() const { return FShape; }
    void SetShape(TBevelShape Value) { FShape = Value; Invalidate(); }
    TBevelStyle Style() const { return FStyle; }
    void SetStyle(TBevelStyle Value) { FStyle = Value; Invalidate(); }

protected:
    void Paint() override;

private:
    TBevelShape FShape = bsBox;
    TBevelStyle FStyle = bsLowered;
};

}  // namespace korin
