#pragma once
// Scroll bars: TScrollBarPart, the bar's geometry, painting and mouse handling, which
// scrolling controls (grids, list boxes, memos, drop-down lists) draw along their right
// edge; and TScrollBar, the standard control made of one such part.
//
// A bar has two arrow buttons and a track between them with a thumb. A press on an arrow
// scrolls a line (SmallChange) and repeats while held; a press on the track beside the
// thumb scrolls a page (LargeChange) and repeats too; dragging the thumb scrolls as it
// moves (scTrack) and ends with scPosition where it is released. Positions run from Min
// to Max − PageSize + 1 (to Max when PageSize is 0); the thumb is as long, against the
// track, as PageSize against Max − Min + 1 (a square when PageSize is 0).
#include <functional>

#include "korin/platform/gui/Canvas.h"
#include "korin/platform/gui/Controls.h"

namespace korin {

class TTimer;

enum TScrollBarKind { sbHorizontal, sbVertical };
enum TScrollCode { scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom, scEndScroll };
// The part of a bar under a point.
enum TScrollBarHit { shNone, shLineUp, shLineDown, shPageUp, shPageDown, shThumb };

// The breadth of a bar: the width of a vertical one, the height of a horizontal one.
constexpr int ScrollBarSize = 16;

using TScrollEvent = std::function<void(TObject* Sender, TScrollCode ScrollCode, int& ScrollPos)>;

class TScrollBarPart {
public:
    TScrollBarPart() = default;
    ~TScrollBarPart();
    TScrollBarPart(const TScrollBarPart&) = delete;
    TScrollBarPart& operator=(const TScrollBarPart&) = delete;

    TScrollBarKind Kind = sbVertical;
    // Where the bar lies in its control's client coordinates.
    TRect Bounds;
    int Min = 0;
    int Max = 100;
    int PageSize = 0;
    int SmallChange = 1;
    int LargeChange = 1;

    int Position() const { return FPosition; }
    // Moves the thumb (kept within the range) without telling anyone.
    void SetPosition(int Value);
    // The highest position the thumb reaches.
    int MaxPosition() const;
    // Whether there is anything to scroll.
    bool CanScroll() const { return MaxPosition() > Min; }

    // Every scroll the user makes: ScrollPos is where the bar would go (within the
    // range) and may be changed; the bar then takes it.
    std::function<void(TScrollCode Code, int& ScrollPos)> OnScroll;
    // Asked to repaint the bar (the thumb moved, a button went down or up).
    std::function<void()> OnInvalidate;

    TRect LineUpRect() const;
    TRect LineDownRect() const;
    TRect ThumbRect() const;  // empty when there is nothing to scroll
    TScrollBarHit HitTest(TPoint P) const;

    // Mouse input in the control's client coordinates. MouseDown answers whether the
    // press was on the bar (it then keeps the following moves and the release).
    // Arrow and page presses repeat while held on a timer (first after 400 ms, then
    // every 100 ms), as long as the pointer stays on the part pressed.
    bool MouseDown(TPoint P);
    void MouseMove(TPoint P);
    void MouseUp(TPoint P);
    // A press on the bar is held.
    bool Pressed() const { return FPressed != shNone; }
    TScrollBarHit PressedPart() const { return FPressed; }

    // Scrolls as the user would: a line or page up or down, to the top or bottom, or to a
    // position (scPosition, scTrack); then scEndScroll.
    void Scroll(TScrollCode Code, int Pos = 0);

    void Paint(TCanvas& Canvas, bool Enabled) const;

private:
    int Along(TPoint P) const { return Kind == sbVertical ? P.y : P.x; }
    int ArrowSize() const;
    // The track between the arrows, as start and end along the bar.
    int TrackStart() const;
    int TrackEnd() const;
    int ThumbLength() const;
    int ThumbStart() const;
    void Step();
    void StopRepeat();

    int FPosition = 0;
    TScrollBarHit FPressed = shNone;
    bool FOnPressed = false;  // the pointer is over the part pressed
    int FGrab = 0;            // where along the thumb it was grabbed
    TPoint FLastPoint{};
    TTimer* FRepeat = nullptr;
};

// The standard scroll bar control.
class TScrollBar : public TCustomControl {
public:
    explicit TScrollBar(TComponent* AOwner);
    ~TScrollBar() override;

    // Changing the kind turns the control: width and height swap.
    TScrollBarKind Kind() const { return FBar.Kind; }
    void SetKind(TScrollBarKind Value);
    int Min() const { return FBar.Min; }
    void SetMin(int Value) { SetParams(Position(), Value, Max()); }
    int Max() const { return FBar.Max; }
    void SetMax(int Value) { SetParams(Position(), Min(), Value); }
    // Kept within the range; a change fires OnChange.
    int Position() const { return FBar.Position(); }
    void SetPosition(int Value) { SetParams(Value, Min(), Max()); }
    int PageSize() const { return FBar.PageSize; }
    void SetPageSize(int Value);
    int SmallChange() const { return FBar.SmallChange; }
    void SetSmallChange(int Value) { FBar.SmallChange = Value < 1 ? 1 : Value; }
    int LargeChange() const { return FBar.LargeChange; }
    void SetLargeChange(int Value) { FBar.LargeChange = Value < 1 ? 1 : Value; }
    // All three at once; Max below Min raises EInvalidOperation "Scroll bar property out
    // of range" and changes nothing.
    void SetParams(int APosition, int AMin, int AMax);
    const TScrollBarPart& Bar() const { return FBar; }

    // After every change of Position.
    TNotifyEvent OnChange;
    // Each scroll the user makes, before the position changes; ScrollPos may be changed.
    TScrollEvent OnScroll;

protected:
    void Paint() override;
    void Resize() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyDown(std::uint16_t& Key, TShiftState Shift) override;
    LRESULT DialogCode() const override { return DLGC_WANTARROWS; }
    bool FocusOnClick() const override { return true; }
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
    virtual void Change();

private:
    TScrollBarPart FBar;
};

}  // namespace korin
