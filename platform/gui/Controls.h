#pragma once
// Controls and windows: TControl (every visual element), TWinControl (a control with a
// window handle, focus and children), TGraphicControl and TCustomControl (controls that
// paint themselves on a canvas), window handles and the focus.
//
// Every message to a control goes through Perform(): the subclass hooks registered for
// the control (Subclass.h) see it first, then the control's WindowProc (by default its
// virtual WndProc).
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "korin/platform/core/Component.h"
#include "korin/platform/gui/Graphics.h"
#include "korin/platform/gui/Messages.h"
#include "korin/platform/gui/Types.h"

namespace korin {

class TCanvas;
class TWinControl;
class TCustomForm;
class TControlSubclass;
struct TRegionData;
using HRGN = TRegionData*;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

using TKeyEvent = std::function<void(TObject* Sender, std::uint16_t& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char32_t& Key)>;
using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
// WheelDelta: WHEEL_DELTA per notch, positive away from the user; MousePos in screen
// coordinates. Setting Handled keeps the control's own scrolling from happening.
using TMouseWheelEvent =
    std::function<void(TObject* Sender, TShiftState Shift, int WheelDelta, TPoint MousePos, bool& Handled)>;

// The lines (rows, items) one notch of the mouse wheel scrolls.
constexpr int WheelScrollLines = 3;

// Control style flags.
enum TControlStyleFlag : std::uint32_t {
    csAcceptsControls = 1u << 0,
    csCaptureMouse = 1u << 1,
    csClickEvents = 1u << 2,
    csOpaque = 1u << 3,
    csDoubleClicks = 1u << 4,
    csSetCaption = 1u << 5,
    csFramed = 1u << 6,
};

// Window styles used by CreateParams.
constexpr std::uint32_t WS_CHILD = 0x40000000;
constexpr std::uint32_t WS_VISIBLE = 0x10000000;
constexpr std::uint32_t WS_DISABLED = 0x08000000;
constexpr std::uint32_t WS_BORDER = 0x00800000;
constexpr std::uint32_t WS_POPUP = 0x80000000;
constexpr std::uint32_t WS_CAPTION = 0x00C00000;
constexpr std::uint32_t WS_EX_TOPMOST = 0x00000008;
constexpr std::uint32_t WS_EX_TOOLWINDOW = 0x00000080;
constexpr std::uint32_t WS_EX_NOACTIVATE = 0x08000000;
constexpr std::uint32_t CS_HREDRAW = 0x0002;
constexpr std::uint32_t CS_VREDRAW = 0x0001;

struct TCreateParams {
    std::string Caption;
    std::uint32_t Style = 0;
    std::uint32_t ExStyle = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
    HWND WndParent = 0;
    std::string WinClassName;
    std::uint32_t WindowClassStyle = CS_HREDRAW | CS_VREDRAW;
};

// The locale's reading order: right-to-left behaviour applies only on a Middle East
// system locale (tests and applications may switch it).
struct TSysLocale {
    bool MiddleEast = false;
};
extern TSysLocale SysLocale;

class TControl : public TComponent {
public:
    explicit TControl(TComponent* AOwner);
    ~TControl() override;

    // Parent and geometry (Left/Top relative to the parent's client area).
    TWinControl* Parent() const { return FParent; }
    virtual void SetParent(TWinControl* AParent);
    int Left() const { return FLeft; }
    int Top() const { return FTop; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    void SetLeft(int v) { SetBounds(v, FTop, FWidth, FHeight); }
    void SetTop(int v) { SetBounds(FLeft, v, FWidth, FHeight); }
    void SetWidth(int v) { SetBounds(FLeft, FTop, v, FHeight); }
    void SetHeight(int v) { SetBounds(FLeft, FTop, FWidth, v); }
    virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
    TRect BoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
    virtual TRect ClientRect() const { return Rect(0, 0, FWidth, FHeight); }
    int ClientWidth() const { return ClientRect().Width(); }
    int ClientHeight() const { return ClientRect().Height(); }
    virtual void SetClientWidth(int v) { SetWidth(v); }
    virtual void SetClientHeight(int v) { SetHeight(v); }
    // The screen position of the client area's top-left corner.
    virtual TPoint ClientOrigin() const;
    TPoint ClientToScreen(TPoint p) const;
    TPoint ScreenToClient(TPoint p) const;
    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign Value);

    bool Visible() const { return FVisible; }
    virtual void SetVisible(bool Value);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible, and every parent up to a top-level window visible too.
    bool Showing() const;
    bool Enabled() const { return FEnabled; }
    virtual void SetEnabled(bool Value);

    const std::string& Caption() const { return FText; }
    void SetCaption(const std::string& Value) { SetText(Value); }
    const std::string& Text() const { return FText; }
    virtual void SetText(const std::string& Value);
    const std::string& Hint() const { return FHint; }
    void SetHint(const std::string& Value) { FHint = Value; }
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool Value);
    bool ParentShowHint() const { return FParentShowHint; }
    void SetParentShowHint(bool Value);

    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool Value);
    TFont& Font() { return FFont; }
    const TFont& Font() const { return FFont; }
    void SetFont(const TFont& Value) { FFont.Assign(Value); }
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool Value);

    TBiDiMode BiDiMode() const { return FBiDiMode; }
    void SetBiDiMode(TBiDiMode Value);
    bool ParentBiDiMode() const { return FParentBiDiMode; }
    void SetParentBiDiMode(bool Value);
    bool UseRightToLeftAlignment() const;
    bool UseRightToLeftReading() const;

    std::uint32_t ControlStyle() const { return FControlStyle; }
    void SetControlStyle(std::uint32_t v) { FControlStyle = v; }
    int Tag() const { return FTag; }
    void SetTag(int v) { FTag = v; }

    // Painting: Invalidate marks the control for the next paint; Repaint and Refresh
    // paint it now (Update paints what is pending).
    virtual void Invalidate();
    virtual void Repaint();
    void Refresh() { Repaint(); }
    void Update();
    bool NeedsPaint() const { return FNeedsPaint; }
    void ClearNeedsPaint() { FNeedsPaint = false; }
    int PaintCount() const { return FPaintCount; }
    // Draws the control on Canvas, whose origin is the control's top-left corner.
    virtual void PaintTo(TCanvas& Canvas);
    // The canvas a control paints on while PaintTo runs (null outside painting).
    TCanvas* Canvas() const { return FCanvas; }

    // Messages.
    LRESULT Perform(std::uint32_t Msg, WPARAM WParam = 0, LPARAM LParam = 0);
    void SendMsg(TMessage& Message);
    // The control's window procedure as the platform calls it; assignable, by
    // default the virtual WndProc.
    std::function<void(TMessage&)> WindowProc;
    virtual void WndProc(TMessage& Message);
    // Default handling of a message no class handled.
    virtual void DefaultHandler(TMessage& Message) {}

    // Mouse.
    bool MouseCapture() const;
    void SetMouseCapture(bool Value);
    virtual void Click();
    virtual void DblClick();
    // Whether a point in client coordinates hits the control (window regions shape it).
    virtual bool HitTest(TPoint ClientPoint) const;

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    // The wheel turned over the control (WM_MOUSEWHEEL); what a control leaves unhandled
    // goes on to its parent.
    TMouseWheelEvent OnMouseWheel;

    // Form-file structure.
    TComponent* GetParentComponent() const override;
    bool HasParent() const override { return true; }
    void SetParentComponent(TComponent* Value) override;

    // Subclass hooks registered for this control, in registration order.
    const std::vector<TControlSubclass*>& Subclasses() const { return FSubclasses; }

protected:
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    // The wheel turned: answers whether the control used it (OnMouseWheel first; a
    // scrolling control scrolls). Unused turns pass to the parent.
    virtual bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos);
    // Whole notches in a turn, keeping the rest of finer turns for the next one.
    int WheelNotches(int WheelDelta);
    // The painting of the control itself (children are painted by PaintTo).
    virtual void Paint() {}
    virtual void Resize() {}
    virtual void TextChanged() { Invalidate(); }
    virtual void FontChanged() { Invalidate(); }
    virtual void EnabledChanged() { Invalidate(); }
    virtual void VisibleChanged();
    void ParentFontChanged();
    void ParentColorChanged();
    void ParentBiDiModeChanged();
    bool IsLoading() const { return InState(csLoading); }
    void RequestAlign();

private:
    friend class TControlSubclass;
    friend class TWinControl;
    friend class TCustomForm;
    friend void RegisterSubclass(TControl*, TControlSubclass*);
    friend void UnRegisterSubclass(TControl*, TControlSubclass*);
    void CallChain(TMessage& m, TControlSubclass* const* subs, int i);
    void HandleMouse(TMessage& m);
    void HandleWheel(TMessage& m);

    TWinControl* FParent = nullptr;
    int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
    TAlign FAlign = alNone;
    bool FVisible = true;
    bool FEnabled = true;
    std::string FText;
    std::string FHint;
    bool FShowHint = false;
    bool FParentShowHint = true;
    TColor FColor = clBtnFace;
    bool FParentColor = false;
    TFont FFont;
    bool FParentFont = true;
    TBiDiMode FBiDiMode = bdLeftToRight;
    bool FParentBiDiMode = true;
    std::uint32_t FControlStyle = csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
    int FTag = 0;
    bool FNeedsPaint = true;
    int FPaintCount = 0;
    bool FClicked = false;
    int FWheelRest = 0;
    TCanvas* FCanvas = nullptr;
    std::vector<TControlSubclass*> FSubclasses;
};

class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* AOwner);
    ~TWinControl() override;

    // The window handle, created on first use.
    HWND Handle();
    bool HandleAllocated() const { return FHandle != 0; }
    void HandleNeeded() { (void)Handle(); }
    void RecreateWnd();
    void DestroyHandle();
    const TCreateParams& WindowParams() const { return FParams; }

    int ControlCount() const { return static_cast<int>(FControls.size()); }
    TControl* Controls(int Index) const;
    void InsertControl(TControl* AControl);
    void RemoveControl(TControl* AControl);
    bool ContainsControl(const TControl* Control) const;
    // The deepest visible, enabled child at a client point (graphic controls too).
    TControl* ControlAtPos(TPoint Pos, bool AllowDisabled = false, bool AllowWinControls = true) const;

    int TabOrder() const;
    void SetTabOrder(int Value);
    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool Value) { FTabStop = Value; }
    // The parent's windowed controls in tab order, each followed by its own list.
    void GetTabOrderList(std::vector<TWinControl*>& List) const;
    TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop, bool CheckParent) const;
    void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);
    virtual bool CanFocus() const;
    bool Focused() const;
    virtual void SetFocus();

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void Realign();
    void Broadcast(TMessage& Message);

    // The window's shape: pixels outside the region are neither drawn nor hit. The
    // control owns the region from now on and deletes it when it is replaced.
    void SetWindowRgn(HRGN Region, bool Redraw);
    HRGN WindowRgn() const { return FRegion; }
    bool HitTest(TPoint ClientPoint) const override;

    void PaintTo(TCanvas& Canvas) override;
    void Invalidate() override;
    // Form files write a window's child controls inside its block.
    std::vector<TComponent*> GetChildren(TComponent* Root) const override;

    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

    void WndProc(TMessage& Message) override;

protected:
    virtual void CreateParams(TCreateParams& Params);
    virtual void CreateWnd();
    virtual void CreateWindowHandle(const TCreateParams& Params);
    virtual void DestroyWnd();
    virtual void CreateHandle();
    virtual void AlignControls(TControl* AControl, TRect& Rect);
    // Key handling: the On… events first (through the form when it previews keys),
    // then the control's own virtual.
    virtual void KeyDown(std::uint16_t& Key, TShiftState Shift) {}
    virtual void KeyUp(std::uint16_t& Key, TShiftState Shift) {}
    virtual void KeyPress(char32_t& Key) {}
    bool DoKeyDown(TMessage& Message);
    bool DoKeyUp(TMessage& Message);
    bool DoKeyPress(TMessage& Message);
    // Which keys the control handles itself (DLGC_… bits).
    virtual LRESULT DialogCode() const { return 0; }
    // Whether a mouse press on the control gives it the focus.
    virtual bool FocusOnClick() const { return false; }
    virtual void DoEnter() { if (OnEnter) OnEnter(this); }
    virtual void DoExit() { if (OnExit) OnExit(this); }
    void CNKeyDown(TMessage& Message);
    void CNChar(TMessage& Message);
    void DispatchMouseToChild(TMessage& Message);

private:
    friend class TControl;
    HWND FHandle = 0;
    TCreateParams FParams;
    std::vector<TControl*> FControls;  // z-order, bottom first
    std::vector<TWinControl*> FTabList;
    bool FTabStop = false;
    HRGN FRegion = nullptr;
    int FAlignLevel = 0;
};

// A control without a window that paints on its parent.
class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TComponent* AOwner) : TControl(AOwner) {}
};

// A windowed control that paints itself.
class TCustomControl : public TWinControl {
public:
    explicit TCustomControl(TComponent* AOwner) : TWinControl(AOwner) {}
};

// Handles and focus.
TWinControl* FindControl(HWND Handle);
HWND GetFocus();
// Moves the input focus: WM_KILLFOCUS to the old window (WParam = the new one),
// WM_SETFOCUS to the new window (WParam = the old one); the form then sends CM_EXIT and
// CM_ENTER. Returns the window that had the focus.
HWND SetFocus(HWND Window);
TCustomForm* GetParentForm(const TControl* Control);
TControl* GetCaptureControl();
void SetCaptureControl(TControl* Control);
void ReleaseCapture();

class EInvalidOperation : public Exception {
public:
    using Exception::Exception;
};

}  // namespace korin
