#pragma once
// TEMPORARY stand-in for the platform's speed button (platform/gui/Buttons.h), used only
// until that header lands; see nav/NavPlatform.h. It offers just what the navigator uses:
// flat look, colour, group index with all-up, the down state, a glyph holding several
// images, press / drag / release with the click on release over the button.
#include "platform/gui/Bitmap.h"
#include "platform/gui/Controls.h"

enum class TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };
using enum TButtonState;

class TSpeedButton : public TGraphicControl {
public:
    explicit TSpeedButton(TComponent* AOwner);

    bool Flat() const { return FFlat; }
    void SetFlat(bool Value);
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int Value) { FGroupIndex = Value; }
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool Value) { FAllowAllUp = Value; }
    bool Down() const { return FDown; }
    void SetDown(bool Value);
    TBitmap& Glyph() { return FGlyph; }
    int NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(int Value);
    TButtonState State() const { return FState; }

    void Click() override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void EnabledChanged() override;

    TButtonState FState = bsUp;

private:
    void UpdateExclusive();
    bool FFlat = false;
    int FGroupIndex = 0;
    bool FAllowAllUp = false;
    bool FDown = false;
    bool FDragging = false;
    TBitmap FGlyph;
    int FNumGlyphs = 1;
};
