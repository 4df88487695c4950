#include "korin/platform/gui/Menus.h"

#include <algorithm>

#include "korin/platform/gui/Canvas.h"
#include "korin/platform/gui/DrawText.h"
#include "korin/platform/gui/Forms.h"
#include "korin/platform/gui/Popups.h"
#include "korin/platform/gui/StdCtrls.h"

namespace korin {

// ---------------------------------------------------------------- TMenuItem

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {}

TMenuItem::~TMenuItem()
{
    BeforeDestruction();
    while (!FItems.empty()) {
        TMenuItem* sub = FItems.back();
        FItems.pop_back();
        sub->FParent = nullptr;
        sub->Free();
    }
    if (FParent)
        FParent->Remove(this);
}

TMenuItem* TMenuItem::Items(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw EComponentError("Menu index out of bounds (" + std::to_string(Index) + ")");
    return FItems[static_cast<size_t>(Index)];
}

void TMenuItem::Add(TMenuItem* Item) { Insert(Count(), Item); }

void TMenuItem::Insert(int Index, TMenuItem* Item)
{
    if (!Item)
        return;
    if (Item->FParent)
        throw EComponentError("Menu item is already inserted");
    Index = std::clamp(Index, 0, Count());
    FItems.insert(FItems.begin() + Index, Item);
    Item->FParent = this;
}

void TMenuItem::Remove(TMenuItem* Item)
{
    auto it = std::find(FItems.begin(), FItems.end(), Item);
    if (it == FItems.end())
        return;
    FItems.erase(it);
    Item->FParent = nullptr;
}

void TMenuItem::Delete(int Index) { Remove(Items(Index)); }

void TMenuItem::Clear()
{
    while (!FItems.empty())
        FItems.back()->Free();
}

int TMenuItem::IndexOf(const TMenuItem* Item) const
{
    auto it = std::find(FItems.begin(), FItems.end(), Item);
    return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

void TMenuItem::Click()
{
    if (FEnabled && OnClick)
        OnClick(this);
}

// ---------------------------------------------------------------- the list window

namespace {
constexpr int ItemHeight = 20;
constexpr int LineHeight = 8;
constexpr int Margin = 2;  // frame and padding around the rows
}  // namespace

class TPopupListWindow : public TCustomControl {
public:
    explicit TPopupListWindow(TPopupMenu* Menu) : TCustomControl(nullptr), FMenu(Menu)
    {
        SetVisible(false);
        SetControlStyle(0);
        SetColor(clMenu);
        RegisterPopupWindow(this);
    }
    ~TPopupListWindow() override
    {
        BeforeDestruction();
        UnregisterPopupWindow(this);
    }

    int Hot = -1;
    bool Closing = false;

    TRect RowRect(int Index) const
    {
        int y = Margin;
        TMenuItem* root = FMenu->Items();
        for (int i = 0; i < root->Count(); ++i) {
            TMenuItem* item = root->Items(i);
            if (!item->Visible())
                continue;
            int h = item->IsLine() ? LineHeight : ItemHeight;
            if (i == Index)
                return Rect(Margin, y, Width() - Margin, y + h);
            y += h;
        }
        return Rect(0, 0, 0, 0);
    }
    int ItemAt(TPoint p) const
    {
        TMenuItem* root = FMenu->Items();
        for (int i = 0; i < root->Count(); ++i)
            if (root->Items(i)->Visible() && PtInRect(RowRect(i), p))
                return i;
        return -1;
    }
    static bool Selectable(TMenuItem* item) { return item->Visible() && !item->IsLine() && item->Enabled(); }
    void Move(bool Down)
    {
        TMenuItem* root = FMenu->Items();
        int n = root->Count();
        if (n == 0)
            return;
        int i = Hot;
        for (int step = 0; step < n; ++step) {
            i = Down ? (i + 1 + n) % n : (i <= 0 ? n - 1 : i - 1);
            if (Selectable(root->Items(i))) {
                Hot = i;
                Invalidate();
                return;
            }
        }
    }

protected:
    void CreateParams(TCreateParams& P) override
    {
        TCustomControl::CreateParams(P);
        P.Style = WS_POPUP | WS_BORDER;
        P.ExStyle |= WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
    }
    void Paint() override
    {
        TCanvas& c = *Canvas();
        TRect r = ClientRect();
        c.Pen().SetColor(clBtnShadow);
        c.Brush().SetColor(clBtnShadow);
        c.FrameRect(r);
        c.Font().Assign(Screen->HintFont());
        c.Font().SetHeight(-11);
        bool rtl = FMenu->BiDiMode() != bdLeftToRight;
        SetBkMode(c.Handle(), TRANSPARENT);
        TMenuItem* root = FMenu->Items();
        for (int i = 0; i < root->Count(); ++i) {
            TMenuItem* item = root->Items(i);
            if (!item->Visible())
                continue;
            TRect row = RowRect(i);
            if (item->IsLine()) {
                int y = row.Top + LineHeight / 2 - 1;
                c.Pen().SetColor(clBtnShadow);
                c.MoveTo(row.Left + 2, y);
                c.LineTo(row.Right - 2, y);
                c.Pen().SetColor(clBtnHighlight);
                c.MoveTo(row.Left + 2, y + 1);
                c.LineTo(row.Right - 2, y + 1);
                continue;
            }
            bool hot = i == Hot && item->Enabled();
            if (hot) {
                c.Brush().SetColor(clHighlight);
                c.FillRect(row);
            }
            c.Font().SetColor(!item->Enabled() ? clGrayText : hot ? clHighlightText : clMenuText);
            TRect text = Rect(row.Left + 20, row.Top, row.Right - 20, row.Bottom);
            unsigned flags = DT_SINGLELINE | DT_VCENTER | (rtl ? DT_RIGHT | DT_RTLREADING : DT_LEFT);
            DrawText(c, item->Caption(), text, flags);
            if (item->Checked()) {
                int x = rtl ? row.Right - 14 : row.Left + 6, y = row.Top + row.Height() / 2;
                c.Pen().SetColor(c.Font().Color());
                c.MoveTo(x, y);
                c.LineTo(x + 3, y + 3);
                c.LineTo(x + 9, y - 3);
            }
        }
    }
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override
    {
        if (!PtInRect(ClientRect(), Point(X, Y))) {
            FMenu->CloseMenu();  // a press outside the menu closes it
            return;
        }
        FArmed = true;
        Track(ItemAt(Point(X, Y)));
    }
    void MouseMove(TShiftState Shift, int X, int Y) override
    {
        int i = PtInRect(ClientRect(), Point(X, Y)) ? ItemAt(Point(X, Y)) : -1;
        if (i >= 0)
            FArmed = true;
        Track(i);
    }
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override
    {
        // The release of the press that opened the menu picks nothing unless the pointer
        // went over an item first.
        if (!FArmed || !PtInRect(ClientRect(), Point(X, Y)))
            return;
        int i = ItemAt(Point(X, Y));
        if (i >= 0 && Selectable(FMenu->Items()->Items(i)))
            FMenu->Pick(i);
    }
    void WndProc(TMessage& m) override
    {
        if (m.Msg == WM_CAPTURECHANGED && !Closing) {
            FMenu->CloseMenu();
            return;
        }
        TCustomControl::WndProc(m);
    }

private:
    void Track(int i)
    {
        if (i >= 0 && !Selectable(FMenu->Items()->Items(i)))
            i = -1;
        if (i != Hot) {
            Hot = i;
            Invalidate();
        }
    }
    TPopupMenu* FMenu;
    bool FArmed = false;
};

// ---------------------------------------------------------------- TPopupMenu

TPopupMenu::TPopupMenu(TComponent* AOwner) : TComponent(AOwner), FItems(new TMenuItem(nullptr)) {}

TPopupMenu::~TPopupMenu()
{
    BeforeDestruction();
    CloseMenu();
    FItems->Free();
}

TWinControl* TPopupMenu::Window() const { return FWindow; }

int TPopupMenu::HighlightedIndex() const { return FWindow ? FWindow->Hot : -1; }

void TPopupMenu::Popup(int X, int Y)
{
    CloseMenu();
    if (OnPopup)
        OnPopup(this);
    TCanvas measure;
    measure.Font().Assign(Screen->HintFont());
    measure.Font().SetHeight(-11);
    int textWidth = 0, height = 2 * Margin;
    for (int i = 0; i < FItems->Count(); ++i) {
        TMenuItem* item = FItems->Items(i);
        if (!item->Visible())
            continue;
        height += item->IsLine() ? LineHeight : ItemHeight;
        if (!item->IsLine())
            textWidth = std::max(textWidth, measure.TextWidth(StripAccel(item->Caption())));
    }
    if (height == 2 * Margin)
        return;  // nothing to show
    int width = textWidth + 40 + 2 * Margin;
    int left = FBiDiMode == bdLeftToRight ? X : X - width;
    // Keep the menu on the screen.
    left = std::clamp(left, 0, std::max(0, Screen->Width() - width));
    int top = std::clamp(Y, 0, std::max(0, Screen->Height() - height));
    FWindow = new TPopupListWindow(this);
    FWindow->SetBounds(left, top, width, height);
    FWindow->HandleNeeded();
    FWindow->SetVisible(true);
    BringPopupToFront(FWindow);
    SetCaptureControl(FWindow);
    FHook = SetWindowsHookEx(
        WH_KEYBOARD,
        [this](int Code, WPARAM W, LPARAM L) -> LRESULT {
            HHOOK self = FHook;
            if (Code >= 0 && FWindow && HandleKey(LoWord(W), (L & KF_UPBIT) != 0))
                return 1;
            return CallNextHookEx(self, Code, W, L);
        },
        0, GetCurrentThreadId());
}

void TPopupMenu::Unhook()
{
    if (FHook) {
        UnhookWindowsHookEx(FHook);
        FHook = 0;
    }
}

void TPopupMenu::CloseMenu()
{
    Unhook();
    if (!FWindow)
        return;
    TPopupListWindow* w = FWindow;
    FWindow = nullptr;
    w->Closing = true;
    if (GetCaptureControl() == w)
        ReleaseCapture();
    delete w;
}

void TPopupMenu::Pick(int Index)
{
    CloseMenu();
    if (Index >= 0 && Index < FItems->Count())
        FItems->Items(Index)->Click();
}

bool TPopupMenu::HandleKey(std::uint16_t Key, bool Up)
{
    // Modifier keys pass, so that the key state stays true; every other key belongs to
    // the menu while it is showing.
    if (Key == VK_SHIFT || Key == VK_CONTROL || Key == VK_MENU)
        return false;
    if (Up)
        return true;
    switch (Key) {
    case VK_UP:
    case VK_DOWN:
        FWindow->Move(Key == VK_DOWN);
        return true;
    case VK_ESCAPE:
        CloseMenu();
        return true;
    case VK_RETURN:
        if (FWindow->Hot >= 0)
            Pick(FWindow->Hot);
        else
            CloseMenu();
        return true;
    }
    if ((Key >= 'A' && Key <= 'Z') || (Key >= '0' && Key <= '9')) {
        for (int i = 0; i < FItems->Count(); ++i) {
            TMenuItem* item = FItems->Items(i);
            if (TPopupListWindow::Selectable(item) && IsAccel(static_cast<char32_t>(Key), item->Caption())) {
                Pick(i);
                break;
            }
        }
    }
    return true;
}

}  // namespace korin
