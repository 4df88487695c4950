#include "korin/platform/gui/Controls.h"

#include <algorithm>
#include <unordered_map>

#include "korin/platform/gui/Forms.h"
#include "korin/platform/gui/Keyboard.h"
#include "korin/platform/gui/Region.h"
#include "korin/platform/gui/Subclass.h"

namespace korin {

TSysLocale SysLocale;

namespace {
std::unordered_map<HWND, TWinControl*> g_handles;
HWND g_nextHandle = 0x100;
TWinControl* g_focus = nullptr;
TControl* g_capture = nullptr;

TShiftState MouseShift(WPARAM w)
{
    TShiftState s = 0;
    if (w & MK_SHIFT)
        s |= ssShift;
    if (w & MK_CONTROL)
        s |= ssCtrl;
    if (w & MK_LBUTTON)
        s |= ssLeft;
    if (w & MK_RBUTTON)
        s |= ssRight;
    if (w & MK_MBUTTON)
        s |= ssMiddle;
    if (GetKeyState(VK_MENU) < 0)
        s |= ssAlt;
    return s;
}
}  // namespace

// ---------------------------------------------------------------- TControl

TControl::TControl(TComponent* AOwner) : TComponent(AOwner)
{
    WindowProc = [this](TMessage& m) { WndProc(m); };
}

TControl::~TControl()
{
    BeforeDestruction();
    if (g_capture == this)
        g_capture = nullptr;
    Application->ControlDestroyed(this);
    while (!FSubclasses.empty())
        UnRegisterSubclass(this, FSubclasses.back());
    if (FParent)
        FParent->RemoveControl(this);
}

void TControl::SetParent(TWinControl* AParent)
{
    if (AParent == FParent)
        return;
    if (AParent == this)
        throw EInvalidOperation("A control cannot have itself as its parent");
    if (FParent)
        FParent->RemoveControl(this);
    if (AParent)
        AParent->InsertControl(this);
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    if (AWidth < 0)
        AWidth = 0;
    if (AHeight < 0)
        AHeight = 0;
    if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight)
        return;
    bool resized = AWidth != FWidth || AHeight != FHeight;
    if (FParent)
        FParent->Invalidate();
    FLeft = ALeft;
    FTop = ATop;
    FWidth = AWidth;
    FHeight = AHeight;
    Invalidate();
    if (resized) {
        if (auto* w = dynamic_cast<TWinControl*>(this)) {
            // Windowed controls hear of their new size as the window system tells them.
            w->Perform(WM_SIZE, 0, MakeLParam(ClientWidth(), ClientHeight()));
        } else {
            Resize();
        }
    }
    RequestAlign();
}

void TControl::RequestAlign()
{
    if (FParent && FAlign != alNone && !IsLoading())
        FParent->Realign();
}

void TControl::SetAlign(TAlign Value)
{
    if (Value == FAlign)
        return;
    FAlign = Value;
    RequestAlign();
}

TPoint TControl::ClientOrigin() const
{
    if (!FParent)
        return Point(FLeft, FTop);
    TPoint p = FParent->ClientOrigin();
    return Point(p.x + FLeft, p.y + FTop);
}

TPoint TControl::ClientToScreen(TPoint p) const
{
    TPoint o = ClientOrigin();
    return Point(p.x + o.x, p.y + o.y);
}

TPoint TControl::ScreenToClient(TPoint p) const
{
    TPoint o = ClientOrigin();
    return Point(p.x - o.x, p.y - o.y);
}

void TControl::SetVisible(bool Value)
{
    if (Value == FVisible)
        return;
    FVisible = Value;
    VisibleChanged();
}

void TControl::VisibleChanged()
{
    Perform(CM_VISIBLECHANGED, FVisible ? 1 : 0, 0);
    if (!FVisible && g_focus) {
        auto* self = dynamic_cast<TWinControl*>(this);
        if (self && (g_focus == self || self->ContainsControl(g_focus)))
            korin::SetFocus(0);
    }
    if (FParent) {
        FParent->Invalidate();
        if (FAlign != alNone)
            FParent->Realign();
    }
    Invalidate();
}

bool TControl::Showing() const
{
    if (!FVisible)
        return false;
    return FParent ? FParent->Showing() : true;
}

void TControl::SetEnabled(bool Value)
{
    if (Value == FEnabled)
        return;
    FEnabled = Value;
    Perform(CM_ENABLEDCHANGED, 0, 0);
    EnabledChanged();
}

void TControl::SetText(const std::string& Value)
{
    if (Value == FText)
        return;
    FText = Value;
    Perform(CM_TEXTCHANGED, 0, 0);
    TextChanged();
}

void TControl::SetShowHint(bool Value)
{
    FShowHint = Value;
    FParentShowHint = false;
}

void TControl::SetParentShowHint(bool Value)
{
    FParentShowHint = Value;
    if (Value && FParent)
        FShowHint = FParent->ShowHint();
}

void TControl::SetColor(TColor Value)
{
    if (Value == FColor)
        return;
    FColor = Value;
    FParentColor = false;
    Perform(CM_COLORCHANGED, 0, 0);
    Invalidate();
    if (auto* w = dynamic_cast<TWinControl*>(this))
        for (int i = 0; i < w->ControlCount(); ++i)
            w->Controls(i)->ParentColorChanged();
}

void TControl::SetParentColor(bool Value)
{
    FParentColor = Value;
    if (Value)
        ParentColorChanged();
}

void TControl::ParentColorChanged()
{
    if (FParentColor && FParent) {
        FColor = FParent->Color();
        Invalidate();
    }
}

void TControl::SetParentFont(bool Value)
{
    if (Value == FParentFont)
        return;
    FParentFont = Value;
    if (Value)
        ParentFontChanged();
}

void TControl::ParentFontChanged()
{
    if (FParentFont && FParent) {
        FFont.Assign(FParent->Font());
        FParentFont = true;
    }
    Perform(CM_PARENTFONTCHANGED, 0, 0);
}

void TControl::SetBiDiMode(TBiDiMode Value)
{
    FParentBiDiMode = false;
    if (Value == FBiDiMode)
        return;
    FBiDiMode = Value;
    Perform(CM_BIDIMODECHANGED, 0, 0);
    Invalidate();
}

void TControl::SetParentBiDiMode(bool Value)
{
    if (Value == FParentBiDiMode)
        return;
    FParentBiDiMode = Value;
    if (Value)
        ParentBiDiModeChanged();
}

void TControl::ParentBiDiModeChanged()
{
    if (FParentBiDiMode && FParent && FParent->BiDiMode() != FBiDiMode) {
        FBiDiMode = FParent->BiDiMode();
        Perform(CM_BIDIMODECHANGED, 0, 0);
    }
}

bool TControl::UseRightToLeftAlignment() const
{
    return SysLocale.MiddleEast && FBiDiMode == bdRightToLeft;
}

bool TControl::UseRightToLeftReading() const
{
    return SysLocale.MiddleEast && FBiDiMode != bdLeftToRight;
}

void TControl::Invalidate()
{
    FNeedsPaint = true;
    if (FParent && !dynamic_cast<TWinControl*>(this))
        FParent->Invalidate();
}

void TControl::Repaint()
{
    Invalidate();
    Update();
}

void TControl::Update()
{
    // Windowed backends paint top-level windows when idle; Update asks for it now.
    const TControl* top = this;
    while (top->FParent)
        top = top->FParent;
    if (auto* form = dynamic_cast<const TCustomForm*>(top))
        if (form->Showing())
            ++const_cast<TControl*>(static_cast<const TControl*>(form))->FPaintCount;
}

void TControl::PaintTo(TCanvas& Canvas)
{
    FCanvas = &Canvas;
    try {
        Paint();
    } catch (...) {
        FCanvas = nullptr;
        throw;
    }
    FCanvas = nullptr;
    FNeedsPaint = false;
    ++FPaintCount;
}

LRESULT TControl::Perform(std::uint32_t Msg, WPARAM WParam, LPARAM LParam)
{
    TMessage m{Msg, WParam, LParam, 0};
    SendMsg(m);
    return m.Result;
}

void TControl::SendMsg(TMessage& Message)
{
    if (FSubclasses.empty()) {
        WindowProc(Message);
        return;
    }
    auto subs = FSubclasses;  // a hook may unregister itself while it runs
    CallChain(Message, subs, static_cast<int>(subs.size()) - 1);
}

void TControl::CallChain(TMessage& m, const std::vector<TControlSubclass*>& subs, int i)
{
    if (i < 0) {
        WindowProc(m);
        return;
    }
    TControlSubclass* s = subs[static_cast<size_t>(i)];
    TControl* saved = s->FControl;
    s->FControl = this;
    struct Restore {
        TControlSubclass* s;
        TControl* c;
        ~Restore() { s->FControl = c; }
    } restore{s, saved};
    s->BeforeWndProc(m);
    CallChain(m, subs, i - 1);
    s->FControl = this;
    s->AfterWndProc(m);
}

void TControl::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MOUSEMOVE:
        HandleMouse(m);
        return;
    case CM_HITTEST:
        m.Result = HitTest(Point(GetXParam(m.LParam), GetYParam(m.LParam))) ? 1 : 0;
        return;
    default:
        DefaultHandler(m);
    }
}

void TControl::HandleMouse(TMessage& m)
{
    int x = GetXParam(m.LParam), y = GetYParam(m.LParam);
    TShiftState shift = MouseShift(m.WParam);
    switch (m.Msg) {
    case WM_LBUTTONDBLCLK:
        if (FControlStyle & csDoubleClicks) {
            DblClick();
            MouseDown(mbLeft, shift | ssDouble, x, y);
            return;
        }
        [[fallthrough]];
    case WM_LBUTTONDOWN:
        if (FControlStyle & csCaptureMouse)
            SetMouseCapture(true);
        if (FControlStyle & csClickEvents)
            FClicked = true;
        MouseDown(mbLeft, shift, x, y);
        return;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        MouseDown(mbRight, shift, x, y);
        return;
    case WM_MBUTTONDOWN:
        MouseDown(mbMiddle, shift, x, y);
        return;
    case WM_LBUTTONUP:
        if (FControlStyle & csCaptureMouse)
            SetMouseCapture(false);
        if (FClicked) {
            FClicked = false;
            if (PtInRect(ClientRect(), Point(x, y)))
                Click();
        }
        MouseUp(mbLeft, shift, x, y);
        return;
    case WM_RBUTTONUP:
        MouseUp(mbRight, shift, x, y);
        return;
    case WM_MBUTTONUP:
        MouseUp(mbMiddle, shift, x, y);
        return;
    case WM_MOUSEMOVE:
        MouseMove(shift, x, y);
        return;
    }
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (OnMouseDown)
        OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (OnMouseUp)
        OnMouseUp(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y)
{
    if (OnMouseMove)
        OnMouseMove(this, Shift, X, Y);
}

bool TControl::MouseCapture() const { return g_capture == this; }

void TControl::SetMouseCapture(bool Value)
{
    if (Value)
        SetCaptureControl(this);
    else if (g_capture == this)
        SetCaptureControl(nullptr);
}

void TControl::Click()
{
    if (OnClick)
        OnClick(this);
}

void TControl::DblClick()
{
    if (OnDblClick)
        OnDblClick(this);
}

bool TControl::HitTest(TPoint p) const { return PtInRect(ClientRect(), p); }

TComponent* TControl::GetParentComponent() const { return FParent; }

void TControl::SetParentComponent(TComponent* Value)
{
    if (auto* w = dynamic_cast<TWinControl*>(Value))
        SetParent(w);
}

// ---------------------------------------------------------------- TWinControl

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {}

TWinControl::~TWinControl()
{
    BeforeDestruction();
    // A window takes its child windows with it, whoever owns them.
    while (!FControls.empty()) {
        TControl* c = FControls.back();
        RemoveControl(c);
        c->Free();
    }
    if (g_focus == this)
        g_focus = nullptr;
    DestroyHandle();
    if (FRegion)
        DeleteObject(FRegion);
}

HWND TWinControl::Handle()
{
    if (!FHandle) {
        if (Parent())
            Parent()->HandleNeeded();
        CreateHandle();
    }
    return FHandle;
}

void TWinControl::CreateHandle()
{
    if (!FHandle)
        CreateWnd();
}

void TWinControl::CreateParams(TCreateParams& P)
{
    P = TCreateParams{};
    P.Caption = Text();
    P.Style = Parent() ? WS_CHILD : WS_POPUP;
    if (Visible())
        P.Style |= WS_VISIBLE;
    if (!Enabled())
        P.Style |= WS_DISABLED;
    P.X = Left();
    P.Y = Top();
    P.Width = Width();
    P.Height = Height();
    P.WndParent = Parent() && Parent()->HandleAllocated() ? Parent()->FHandle : 0;
    P.WinClassName = ClassName();
}

void TWinControl::CreateWnd()
{
    TCreateParams p;
    CreateParams(p);
    CreateWindowHandle(p);
}

void TWinControl::CreateWindowHandle(const TCreateParams& Params)
{
    FParams = Params;
    FHandle = g_nextHandle++;
    g_handles[FHandle] = this;
}

void TWinControl::DestroyWnd()
{
    if (FHandle) {
        g_handles.erase(FHandle);
        FHandle = 0;
    }
}

void TWinControl::DestroyHandle() { DestroyWnd(); }

void TWinControl::RecreateWnd()
{
    if (!FHandle)
        return;
    bool hadFocus = g_focus == this;
    DestroyWnd();
    CreateHandle();
    if (hadFocus)
        g_focus = this;
}

TControl* TWinControl::Controls(int Index) const
{
    if (Index < 0 || Index >= ControlCount())
        throw EComponentError("Control index out of bounds (" + std::to_string(Index) + ")");
    return FControls[static_cast<size_t>(Index)];
}

void TWinControl::InsertControl(TControl* c)
{
    c->FParent = this;
    FControls.push_back(c);
    if (auto* w = dynamic_cast<TWinControl*>(c))
        FTabList.push_back(w);
    if (c->FParentFont)
        c->FFont.Assign(Font());
    if (c->FParentColor)
        c->FColor = Color();
    if (c->FParentShowHint)
        c->FShowHint = ShowHint();
    c->ParentBiDiModeChanged();
    Invalidate();
    if (c->FAlign != alNone && !c->IsLoading())
        Realign();
}

void TWinControl::RemoveControl(TControl* c)
{
    if (g_capture == c)
        g_capture = nullptr;
    if (auto* w = dynamic_cast<TWinControl*>(c)) {
        if (g_focus && (g_focus == w || w->ContainsControl(g_focus)))
            g_focus = nullptr;
        FTabList.erase(std::remove(FTabList.begin(), FTabList.end(), w), FTabList.end());
        if (auto* form = GetParentForm(this))
            form->DefocusControl(w);
    }
    FControls.erase(std::remove(FControls.begin(), FControls.end(), c), FControls.end());
    c->FParent = nullptr;
    Invalidate();
    if (c->FAlign != alNone)
        Realign();
}

bool TWinControl::ContainsControl(const TControl* Control) const
{
    for (const TControl* p = Control; p; p = p->FParent)
        if (p == this)
            return true;
    return false;
}

TControl* TWinControl::ControlAtPos(TPoint Pos, bool AllowDisabled, bool AllowWinControls) const
{
    for (size_t i = FControls.size(); i-- > 0;) {
        TControl* c = FControls[i];
        if (!c->Visible() || (!c->Enabled() && !AllowDisabled))
            continue;
        if (!AllowWinControls && dynamic_cast<TWinControl*>(c))
            continue;
        TPoint local = Point(Pos.x - c->Left(), Pos.y - c->Top());
        if (local.x < 0 || local.y < 0 || local.x >= c->Width() || local.y >= c->Height())
            continue;
        if (!c->HitTest(local))
            continue;
        return c;
    }
    return nullptr;
}

int TWinControl::TabOrder() const
{
    if (!Parent())
        return -1;
    const auto& t = Parent()->FTabList;
    auto it = std::find(t.begin(), t.end(), this);
    return it == t.end() ? -1 : static_cast<int>(it - t.begin());
}

void TWinControl::SetTabOrder(int Value)
{
    if (!Parent())
        return;
    auto& t = Parent()->FTabList;
    t.erase(std::remove(t.begin(), t.end(), this), t.end());
    if (Value < 0 || Value > static_cast<int>(t.size()))
        Value = static_cast<int>(t.size());
    t.insert(t.begin() + Value, this);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List) const
{
    for (TWinControl* c : FTabList) {
        List.push_back(c);
        c->GetTabOrderList(List);
    }
}

TWinControl* TWinControl::FindNextControl(TWinControl* Cur, bool GoForward, bool CheckTabStop, bool CheckParent) const
{
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    if (list.empty())
        return nullptr;
    int n = static_cast<int>(list.size());
    auto it = std::find(list.begin(), list.end(), Cur);
    int start = it == list.end() ? (GoForward ? n - 1 : 0) : static_cast<int>(it - list.begin());
    int i = start;
    for (int step = 0; step < n; ++step) {
        i = GoForward ? (i + 1) % n : (i - 1 + n) % n;
        TWinControl* c = list[static_cast<size_t>(i)];
        if (c == Cur && it != list.end())
            break;
        if (c->CanFocus() && (!CheckTabStop || c->TabStop()) && (!CheckParent || c->Parent() == this))
            return c;
    }
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* Cur, bool GoForward, bool CheckTabStop)
{
    if (TWinControl* next = FindNextControl(Cur, GoForward, CheckTabStop, !CheckTabStop))
        next->SetFocus();
}

bool TWinControl::CanFocus() const
{
    const TCustomForm* form = GetParentForm(this);
    if (!form)
        return false;
    for (const TControl* c = this; c; c = c->Parent())
        if (!c->Visible() || !c->Enabled())
            return false;
    return true;
}

bool TWinControl::Focused() const { return g_focus == this; }

void TWinControl::SetFocus()
{
    if (!CanFocus())
        throw EInvalidOperation("Cannot focus a disabled or invisible window");
    korin::SetFocus(Handle());
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    bool resized = AWidth != Width() || AHeight != Height();
    TControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    if (resized)
        Realign();
}

void TWinControl::Realign()
{
    if (FAlignLevel > 0 || IsLoading())
        return;
    ++FAlignLevel;
    TRect r = ClientRect();
    AlignControls(nullptr, r);
    --FAlignLevel;
}

void TWinControl::AlignControls(TControl*, TRect& r)
{
    // Top and bottom first, then left and right, then the client: each takes its strip
    // of what remains, in z-order.
    for (TAlign a : {alTop, alBottom, alLeft, alRight, alClient}) {
        for (TControl* c : FControls) {
            if (c->FAlign != a || !c->Visible())
                continue;
            switch (a) {
            case alTop:
                c->SetBounds(r.Left, r.Top, r.Width(), c->Height());
                r.Top += c->Height();
                break;
            case alBottom:
                c->SetBounds(r.Left, r.Bottom - c->Height(), r.Width(), c->Height());
                r.Bottom -= c->Height();
                break;
            case alLeft:
                c->SetBounds(r.Left, r.Top, c->Width(), r.Height());
                r.Left += c->Width();
                break;
            case alRight:
                c->SetBounds(r.Right - c->Width(), r.Top, c->Width(), r.Height());
                r.Right -= c->Width();
                break;
            case alClient:
                c->SetBounds(r.Left, r.Top, r.Width(), r.Height());
                break;
            default:
                break;
            }
        }
    }
}

void TWinControl::Broadcast(TMessage& Message)
{
    auto controls = FControls;
    for (TControl* c : controls) {
        if (std::find(FControls.begin(), FControls.end(), c) == FControls.end())
            continue;
        c->SendMsg(Message);
        if (Message.Result != 0)
            return;
    }
}

void TWinControl::Invalidate() { TControl::Invalidate(); }

std::vector<TComponent*> TWinControl::GetChildren(TComponent* Root) const
{
    // The root first writes what it owns that sits on no parent (non-visual components).
    std::vector<TComponent*> out;
    if (Root == this)
        out = TComponent::GetChildren(Root);
    for (TControl* c : FControls)
        if (c->Owner() == Root)
            out.push_back(c);
    return out;
}

bool TWinControl::DoKeyDown(TMessage& m)
{
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && form->DoKeyDown(m))
        return true;
    std::uint16_t key = LoWord(m.WParam);
    TShiftState shift = KeyDataToShiftState(m.LParam);
    if (OnKeyDown)
        OnKeyDown(this, key, shift);
    m.WParam = (m.WParam & ~WPARAM(0xFFFF)) | key;
    if (key == 0)
        return true;
    KeyDown(key, shift);
    m.WParam = (m.WParam & ~WPARAM(0xFFFF)) | key;
    return key == 0;
}

bool TWinControl::DoKeyUp(TMessage& m)
{
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && form->DoKeyUp(m))
        return true;
    std::uint16_t key = LoWord(m.WParam);
    TShiftState shift = KeyDataToShiftState(m.LParam);
    if (OnKeyUp)
        OnKeyUp(this, key, shift);
    if (key == 0)
        return true;
    KeyUp(key, shift);
    return key == 0;
}

bool TWinControl::DoKeyPress(TMessage& m)
{
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && form->DoKeyPress(m))
        return true;
    char32_t ch = static_cast<char32_t>(m.WParam);
    if (OnKeyPress)
        OnKeyPress(this, ch);
    m.WParam = ch;
    if (ch == 0)
        return true;
    KeyPress(ch);
    m.WParam = ch;
    return ch == 0;
}

void TWinControl::CNKeyDown(TMessage& m)
{
    m.Result = 1;
    std::uint16_t key = LoWord(m.WParam);
    LRESULT mask = 0;
    switch (key) {
    case VK_TAB:
        mask = DLGC_WANTTAB;
        break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
        mask = DLGC_WANTARROWS;
        break;
    case VK_RETURN:
    case VK_EXECUTE:
    case VK_ESCAPE:
    case VK_CANCEL:
        mask = DLGC_WANTALLKEYS;
        break;
    }
    if (mask != 0 && (Perform(WM_GETDLGCODE, 0, 0) & (mask | DLGC_WANTALLKEYS)) == 0) {
        if (TCustomForm* form = GetParentForm(this))
            if (form->Perform(CM_DIALOGKEY, key, m.LParam) != 0)
                return;
    }
    m.Result = 0;
}

void TWinControl::CNChar(TMessage& m)
{
    m.Result = 1;
    if ((Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS) == 0)
        if (TCustomForm* form = GetParentForm(this))
            if (form->Perform(CM_DIALOGCHAR, m.WParam, m.LParam) != 0)
                return;
    m.Result = 0;
}

void TWinControl::DispatchMouseToChild(TMessage& m)
{
    // Graphic controls have no window: their parent hands them their mouse messages.
    TControl* target = nullptr;
    TControl* cap = GetCaptureControl();
    if (cap && cap != this && cap->Parent() == this)
        target = cap;
    else if (!cap) {
        TControl* c = ControlAtPos(Point(GetXParam(m.LParam), GetYParam(m.LParam)), false, false);
        if (c && !dynamic_cast<TWinControl*>(c))
            target = c;
    }
    if (target) {
        TMessage fwd = m;
        fwd.LParam = MakeLParam(GetXParam(m.LParam) - target->Left(), GetYParam(m.LParam) - target->Top());
        target->SendMsg(fwd);
        m.Result = fwd.Result;
        return;
    }
    if ((m.Msg == WM_LBUTTONDOWN || m.Msg == WM_LBUTTONDBLCLK) && FocusOnClick() && CanFocus() && !Focused())
        SetFocus();
    TControl::WndProc(m);
}

void TWinControl::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_SETFOCUS:
        if (TCustomForm* form = GetParentForm(this))
            if (form != this)
                form->SetFocusedControl(this);
        Invalidate();
        return;
    case WM_KILLFOCUS:
        Invalidate();
        return;
    case CM_ENTER:
        DoEnter();
        return;
    case CM_EXIT:
        DoExit();
        return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        DoKeyDown(m);
        return;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        DoKeyUp(m);
        return;
    case WM_CHAR:
        DoKeyPress(m);
        return;
    case CN_KEYDOWN:
    case CN_SYSKEYDOWN:
        CNKeyDown(m);
        return;
    case CN_CHAR:
        CNChar(m);
        return;
    case CN_SYSCHAR:
        // Alt+letter: the form's controls answer their accelerators.
        if (TCustomForm* form = GetParentForm(this))
            m.Result = form->Perform(CM_DIALOGCHAR, m.WParam, m.LParam);
        return;
    case WM_GETDLGCODE:
        m.Result = DialogCode();
        return;
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR:
        Broadcast(m);
        return;
    case WM_SIZE:
        Resize();
        return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MOUSEMOVE:
        DispatchMouseToChild(m);
        return;
    default:
        TControl::WndProc(m);
    }
}

void TWinControl::SetWindowRgn(HRGN Region, bool Redraw)
{
    if (FRegion && FRegion != Region)
        DeleteObject(FRegion);
    FRegion = Region;
    if (Redraw)
        Invalidate();
}

bool TWinControl::HitTest(TPoint p) const
{
    if (!TControl::HitTest(p))
        return false;
    return !FRegion || PtInRegion(FRegion, p.x, p.y);
}


// ---------------------------------------------------------------- free functions

TWinControl* FindControl(HWND Handle)
{
    auto it = g_handles.find(Handle);
    return it == g_handles.end() ? nullptr : it->second;
}

HWND GetFocus() { return g_focus ? g_focus->Handle() : 0; }

HWND SetFocus(HWND Window)
{
    TWinControl* next = Window ? FindControl(Window) : nullptr;
    TWinControl* old = g_focus;
    HWND oldHandle = old ? old->Handle() : 0;
    if (next == old)
        return oldHandle;
    HWND newHandle = next ? next->Handle() : 0;
    if (old)
        old->Perform(WM_KILLFOCUS, newHandle, 0);
    g_focus = next;
    if (next)
        next->Perform(WM_SETFOCUS, oldHandle, 0);
    return oldHandle;
}

TCustomForm* GetParentForm(const TControl* Control)
{
    const TControl* c = Control;
    while (c && c->Parent())
        c = c->Parent();
    return const_cast<TCustomForm*>(dynamic_cast<const TCustomForm*>(c));
}

TControl* GetCaptureControl() { return g_capture; }

void SetCaptureControl(TControl* Control)
{
    if (Control == g_capture)
        return;
    TControl* old = g_capture;
    g_capture = Control;
    if (old)
        old->Perform(WM_CAPTURECHANGED, 0, 0);
}

void ReleaseCapture() { SetCaptureControl(nullptr); }

}  // namespace korin
