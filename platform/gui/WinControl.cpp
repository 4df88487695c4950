#include "korin/platform/gui/Controls.h"

#include <algorithm>

#include "korin/platform/gui/Forms.h"
#include "korin/platform/gui/Keyboard.h"
#include "korin/platform/gui/Region.h"
#include "korin/platform/gui/Subclass.h"
#include "korin/platform/gui/WindowTable.h"

namespace korin {

using namespace wintable;

// ---------------------------------------------------------------- TWinControl

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {}

TWinControl::~TWinControl()
{
    BeforeDestruction();
    // A window takes its child windows with it, whoever owns them.
    while (!FControls.empty()) {
        TControl* c = FControls.back();
        RemoveControl(c);
        // Free(), not delete: the removal notifications go out while the child is still
        // whole, so a receiver (a navigator, a data link) can still ask what it is.
        c->Free();
    }
    if (g_focus == this)
        g_focus = nullptr;
    // Leave the parent while still a window, so that the form forgets it as its
    // focused and active control (TControl's destructor sees only a TControl).
    if (Parent())
        Parent()->RemoveControl(this);
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

}  // namespace korin
