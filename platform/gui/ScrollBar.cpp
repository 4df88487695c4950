#include "korin/platform/gui/ScrollBar.h"

#include <algorithm>
#include <cstdlib>

#include "korin/platform/gui/Draw3D.h"
#include "korin/platform/gui/Timers.h"

namespace korin {

namespace {

constexpr int kMinThumb = 8;
constexpr int kRepeatDelay = 400;
constexpr int kRepeatInterval = 100;

// A small filled triangle pointing along the bar: up/left (Back) or down/right.
void PaintArrow(TCanvas& c, const TRect& r, bool Vertical, bool Back, bool Down, bool Enabled)
{
    int cx = r.Left + r.Width() / 2 - (Vertical ? 0 : 1) + (Down ? 1 : 0);
    int cy = r.Top + r.Height() / 2 - (Vertical ? 1 : 0) + (Down ? 1 : 0);
    c.Pen().SetColor(Enabled ? clBtnText : clGrayText);
    for (int i = 0; i < 4; ++i) {
        // Row i of the triangle, from its tip outwards.
        int d = Back ? -1 + i : 2 - i;
        if (Vertical) {
            c.MoveTo(cx - i, cy + d);
            c.LineTo(cx + i + 1, cy + d);
        } else {
            c.MoveTo(cx + d, cy - i);
            c.LineTo(cx + d, cy + i + 1);
        }
    }
}

}  // namespace

// ---------------------------------------------------------------- TScrollBarPart

TScrollBarPart::~TScrollBarPart() { delete FRepeat; }

int TScrollBarPart::MaxPosition() const
{
    int top = PageSize > 0 ? Max - PageSize + 1 : Max;
    return std::max(Min, top);
}

void TScrollBarPart::SetPosition(int Value)
{
    Value = std::clamp(Value, Min, MaxPosition());
    if (Value == FPosition)
        return;
    FPosition = Value;
    if (OnInvalidate)
        OnInvalidate();
}

int TScrollBarPart::ArrowSize() const
{
    int breadth = Kind == sbVertical ? Bounds.Width() : Bounds.Height();
    int length = Kind == sbVertical ? Bounds.Height() : Bounds.Width();
    return std::max(0, std::min(breadth, length / 2));
}

int TScrollBarPart::TrackStart() const { return (Kind == sbVertical ? Bounds.Top : Bounds.Left) + ArrowSize(); }
int TScrollBarPart::TrackEnd() const { return (Kind == sbVertical ? Bounds.Bottom : Bounds.Right) - ArrowSize(); }

int TScrollBarPart::ThumbLength() const
{
    int track = TrackEnd() - TrackStart();
    if (!CanScroll() || track < kMinThumb)
        return 0;
    if (PageSize <= 0)
        return std::min(track, std::max(kMinThumb, ArrowSize()));
    long long range = static_cast<long long>(Max) - Min + 1;
    long long len = track * static_cast<long long>(PageSize) / range;
    return static_cast<int>(std::clamp<long long>(len, kMinThumb, track));
}

int TScrollBarPart::ThumbStart() const
{
    int free = TrackEnd() - TrackStart() - ThumbLength();
    int span = MaxPosition() - Min;
    if (span <= 0)
        return TrackStart();
    return TrackStart() + static_cast<int>(static_cast<long long>(free) * (FPosition - Min) / span);
}

TRect TScrollBarPart::LineUpRect() const
{
    int a = ArrowSize();
    return Kind == sbVertical ? Rect(Bounds.Left, Bounds.Top, Bounds.Right, Bounds.Top + a)
                              : Rect(Bounds.Left, Bounds.Top, Bounds.Left + a, Bounds.Bottom);
}

TRect TScrollBarPart::LineDownRect() const
{
    int a = ArrowSize();
    return Kind == sbVertical ? Rect(Bounds.Left, Bounds.Bottom - a, Bounds.Right, Bounds.Bottom)
                              : Rect(Bounds.Right - a, Bounds.Top, Bounds.Right, Bounds.Bottom);
}

TRect TScrollBarPart::ThumbRect() const
{
    int len = ThumbLength();
    if (len <= 0)
        return TRect();
    int s = ThumbStart();
    return Kind == sbVertical ? Rect(Bounds.Left, s, Bounds.Right, s + len) : Rect(s, Bounds.Top, s + len, Bounds.Bottom);
}

TScrollBarHit TScrollBarPart::HitTest(TPoint P) const
{
    if (!PtInRect(Bounds, P))
        return shNone;
    if (PtInRect(LineUpRect(), P))
        return shLineUp;
    if (PtInRect(LineDownRect(), P))
        return shLineDown;
    TRect thumb = ThumbRect();
    if (thumb.Width() <= 0)
        return shNone;
    if (PtInRect(thumb, P))
        return shThumb;
    return Along(P) < Along(TPoint{thumb.Left, thumb.Top}) ? shPageUp : shPageDown;
}

void TScrollBarPart::Scroll(TScrollCode Code, int Pos)
{
    int target = FPosition;
    switch (Code) {
    case scLineUp: target = FPosition - SmallChange; break;
    case scLineDown: target = FPosition + SmallChange; break;
    case scPageUp: target = FPosition - LargeChange; break;
    case scPageDown: target = FPosition + LargeChange; break;
    case scTop: target = Min; break;
    case scBottom: target = MaxPosition(); break;
    case scPosition:
    case scTrack: target = Pos; break;
    case scEndScroll: break;
    }
    target = std::clamp(target, Min, MaxPosition());
    if (OnScroll)
        OnScroll(Code, target);
    SetPosition(target);
}

void TScrollBarPart::Step()
{
    switch (FPressed) {
    case shLineUp: Scroll(scLineUp); break;
    case shLineDown: Scroll(scLineDown); break;
    case shPageUp:
    case shPageDown: {
        // Paging stops once the thumb has reached the pointer.
        TRect thumb = ThumbRect();
        if (thumb.Width() <= 0)
            break;
        int at = Along(FLastPoint);
        int ts = Kind == sbVertical ? thumb.Top : thumb.Left;
        int te = Kind == sbVertical ? thumb.Bottom : thumb.Right;
        if (FPressed == shPageUp && at < ts)
            Scroll(scPageUp);
        else if (FPressed == shPageDown && at >= te)
            Scroll(scPageDown);
        break;
    }
    default: break;
    }
}

bool TScrollBarPart::MouseDown(TPoint P)
{
    TScrollBarHit hit = HitTest(P);
    if (hit == shNone)
        return PtInRect(Bounds, P);
    FPressed = hit;
    FOnPressed = true;
    FLastPoint = P;
    if (hit == shThumb) {
        TRect thumb = ThumbRect();
        FGrab = Along(P) - (Kind == sbVertical ? thumb.Top : thumb.Left);
    } else {
        Step();
        if (!FRepeat) {
            FRepeat = new TTimer(nullptr);
            FRepeat->OnTimer = [this](TObject*) {
                FRepeat->SetInterval(kRepeatInterval);
                if (FOnPressed)
                    Step();
            };
        }
        FRepeat->SetEnabled(false);
        FRepeat->SetInterval(kRepeatDelay);
        FRepeat->SetEnabled(true);
    }
    if (OnInvalidate)
        OnInvalidate();
    return true;
}

void TScrollBarPart::MouseMove(TPoint P)
{
    if (FPressed == shNone)
        return;
    FLastPoint = P;
    if (FPressed != shThumb) {
        bool on = HitTest(P) == FPressed || ((FPressed == shPageUp || FPressed == shPageDown) && PtInRect(Bounds, P) &&
                                             HitTest(P) != shLineUp && HitTest(P) != shLineDown);
        if (on != FOnPressed) {
            FOnPressed = on;
            if (OnInvalidate)
                OnInvalidate();
        }
        return;
    }
    int free = TrackEnd() - TrackStart() - ThumbLength();
    int span = MaxPosition() - Min;
    if (free <= 0 || span <= 0)
        return;
    int offset = std::clamp(Along(P) - FGrab - TrackStart(), 0, free);
    // The nearest position to where the thumb's start is now.
    int pos = Min + static_cast<int>((static_cast<long long>(offset) * span + free / 2) / free);
    if (pos != FPosition)
        Scroll(scTrack, pos);
}

void TScrollBarPart::MouseUp(TPoint P)
{
    if (FPressed == shNone)
        return;
    TScrollBarHit was = FPressed;
    StopRepeat();
    FPressed = shNone;
    if (was == shThumb)
        Scroll(scPosition, FPosition);
    Scroll(scEndScroll);
    if (OnInvalidate)
        OnInvalidate();
}

void TScrollBarPart::StopRepeat()
{
    if (FRepeat)
        FRepeat->SetEnabled(false);
}

void TScrollBarPart::Paint(TCanvas& c, bool Enabled) const
{
    if (Bounds.Width() <= 0 || Bounds.Height() <= 0)
        return;
    bool vertical = Kind == sbVertical;
    bool active = Enabled && CanScroll();
    // The track: a light face, darker where a held page press is working.
    c.Brush().SetColor(clScrollBar);
    c.FillRect(Bounds);
    TRect thumb = ThumbRect();
    if (active && FOnPressed && (FPressed == shPageUp || FPressed == shPageDown) && thumb.Width() > 0) {
        TRect held = Bounds;
        if (vertical) {
            held.Top = FPressed == shPageUp ? TrackStart() : thumb.Bottom;
            held.Bottom = FPressed == shPageUp ? thumb.Top : TrackEnd();
        } else {
            held.Left = FPressed == shPageUp ? TrackStart() : thumb.Right;
            held.Right = FPressed == shPageUp ? thumb.Left : TrackEnd();
        }
        c.Brush().SetColor(cl3DDkShadow);
        c.FillRect(held);
    }
    TRect up = LineUpRect(), down = LineDownRect();
    bool upDown = FOnPressed && FPressed == shLineUp;
    bool downDown = FOnPressed && FPressed == shLineDown;
    if (up.Width() > 0) {
        DrawButtonFace(c, up, upDown);
        PaintArrow(c, up, vertical, true, upDown, active);
    }
    if (down.Width() > 0) {
        DrawButtonFace(c, down, downDown);
        PaintArrow(c, down, vertical, false, downDown, active);
    }
    if (active && thumb.Width() > 0)
        DrawButtonFace(c, thumb, false);
}

// ---------------------------------------------------------------- TScrollBar

TScrollBar::TScrollBar(TComponent* AOwner) : TCustomControl(AOwner)
{
    SetTabStop(true);
    SetColor(clScrollBar);
    FBar.Kind = sbHorizontal;
    FBar.OnInvalidate = [this] { Invalidate(); };
    FBar.OnScroll = [this](TScrollCode Code, int& Pos) {
        int old = FBar.Position();
        if (OnScroll)
            OnScroll(this, Code, Pos);
        Pos = std::clamp(Pos, FBar.Min, FBar.MaxPosition());
        if (Pos != old) {
            FBar.SetPosition(Pos);
            Change();
        }
    };
    SetBounds(0, 0, 121, ScrollBarSize);
}

TScrollBar::~TScrollBar()
{
    BeforeDestruction();
    FBar.OnScroll = nullptr;
    FBar.OnInvalidate = nullptr;
}

void TScrollBar::SetKind(TScrollBarKind Value)
{
    if (Value == FBar.Kind)
        return;
    FBar.Kind = Value;
    if (!InState(csLoading))
        SetBounds(Left(), Top(), Height(), Width());
    Resize();
    Invalidate();
}

void TScrollBar::SetParams(int APosition, int AMin, int AMax)
{
    if (AMax < AMin)
        throw EInvalidOperation("Scroll bar property out of range");
    int old = FBar.Position();
    bool rangeChanged = AMin != FBar.Min || AMax != FBar.Max;
    FBar.Min = AMin;
    FBar.Max = AMax;
    FBar.SetPosition(APosition);
    if (rangeChanged)
        Invalidate();
    if (FBar.Position() != old)
        Change();
}

void TScrollBar::SetPageSize(int Value)
{
    Value = std::max(0, Value);
    if (Value == FBar.PageSize)
        return;
    int old = FBar.Position();
    FBar.PageSize = Value;
    FBar.SetPosition(old);
    Invalidate();
    if (FBar.Position() != old)
        Change();
}

void TScrollBar::Change()
{
    if (OnChange)
        OnChange(this);
}

void TScrollBar::Resize()
{
    FBar.Bounds = ClientRect();
    TCustomControl::Resize();
}

void TScrollBar::Paint()
{
    FBar.Bounds = ClientRect();
    FBar.Paint(*Canvas(), Enabled());
    if (Focused() && FBar.ThumbRect().Width() > 0) {
        TRect f = FBar.ThumbRect();
        InflateRect(f, -3, -3);
        Canvas()->DrawFocusRect(f);
    }
}

void TScrollBar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button == mbLeft) {
        FBar.Bounds = ClientRect();
        FBar.MouseDown(Point(X, Y));
    }
}

void TScrollBar::MouseMove(TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseMove(Shift, X, Y);
    FBar.MouseMove(Point(X, Y));
}

void TScrollBar::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft)
        FBar.MouseUp(Point(X, Y));
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TScrollBar::KeyDown(std::uint16_t& Key, TShiftState Shift)
{
    switch (Key) {
    case VK_UP:
    case VK_LEFT: FBar.Scroll(scLineUp); break;
    case VK_DOWN:
    case VK_RIGHT: FBar.Scroll(scLineDown); break;
    case VK_PRIOR: FBar.Scroll(scPageUp); break;
    case VK_NEXT: FBar.Scroll(scPageDown); break;
    case VK_HOME: FBar.Scroll(scTop); break;
    case VK_END: FBar.Scroll(scBottom); break;
    default: return;
    }
    FBar.Scroll(scEndScroll);
    Key = 0;
}

bool TScrollBar::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos)
{
    if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos))
        return true;
    int lines = WheelNotches(WheelDelta) * WheelScrollLines;
    for (int i = 0; i < std::abs(lines); ++i)
        FBar.Scroll(lines > 0 ? scLineUp : scLineDown);
    if (lines)
        FBar.Scroll(scEndScroll);
    return true;
}

}  // namespace korin
