#include "korin/platform/gui/ComCtrls.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "korin/platform/core/Resources.h"
#include "korin/platform/gui/Bitmap.h"
#include "korin/platform/gui/Canvas.h"
#include "korin/platform/gui/Draw3D.h"
#include "korin/platform/gui/DropDownList.h"
#include "korin/platform/gui/Forms.h"
#include "korin/platform/gui/ImageList.h"
#include "korin/platform/gui/Popups.h"
#include "korin/platform/gui/Timers.h"

namespace korin {

namespace {

constexpr std::uint16_t VK_F4 = VK_F1 + 3;

// The sunken 2-pixel border of list and edit fields; answers the inside.
TRect SunkenField(TCanvas& c, TRect r)
{
    DrawEdge(c, r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    return r;
}

void TextInRect(TCanvas& c, const TRect& r, int x, const std::string& text)
{
    SetBkMode(c.Handle(), TRANSPARENT);
    int th = c.TextHeight("Hg");
    c.TextRect(r, x, r.Top + (r.Height() - th) / 2, text);
}

// The row a paging key moves to in a list of Count rows showing Page of them.
int MoveIndex(std::uint16_t key, int current, int count, int page)
{
    if (count <= 0)
        return -1;
    switch (key) {
    case VK_UP: return current < 0 ? 0 : std::max(0, current - 1);
    case VK_DOWN: return std::min(count - 1, current + 1);
    case VK_HOME: return 0;
    case VK_END: return count - 1;
    case VK_PRIOR: return std::max(0, (current < 0 ? 0 : current) - std::max(1, page - 1));
    case VK_NEXT: return std::min(count - 1, (current < 0 ? 0 : current) + std::max(1, page - 1));
    }
    return current;
}

bool IsPagingKey(std::uint16_t key)
{
    return key == VK_UP || key == VK_DOWN || key == VK_HOME || key == VK_END || key == VK_PRIOR || key == VK_NEXT;
}

}  // namespace

// ---------------------------------------------------------------- TListBox

TListBox::TListBox(TComponent* AOwner) : TWinControl(AOwner)
{
    SetColor(clWindow);
    SetTabStop(true);
    SetControlStyle(ControlStyle() & ~csCaptureMouse);
    SetBounds(0, 0, 121, 97);
}

void TListBox::SetItems(const std::vector<std::string>& Value)
{
    FItems = Value;
    if (FItemIndex >= Count())
        FItemIndex = -1;
    FTopIndex = 0;
    Invalidate();
}

void TListBox::AddItem(const std::string& Item)
{
    FItems.push_back(Item);
    Invalidate();
}

void TListBox::Clear()
{
    FItems.clear();
    FItemIndex = -1;
    FTopIndex = 0;
    Invalidate();
}

int TListBox::ItemIndex() const { return FItemIndex < Count() ? FItemIndex : -1; }

void TListBox::SetItemIndex(int Value)
{
    if (Value < -1 || Value >= Count())
        Value = -1;
    if (Value == FItemIndex)
        return;
    FItemIndex = Value;
    MakeVisible(Value);
    Invalidate();
}

void TListBox::SetItemHeight(int Value)
{
    if (Value > 0 && Value != FItemHeight) {
        FItemHeight = Value;
        Invalidate();
    }
}

void TListBox::SetTopIndex(int Value)
{
    Value = std::clamp(Value, 0, std::max(0, Count() - 1));
    if (Value != FTopIndex) {
        FTopIndex = Value;
        Invalidate();
    }
}

int TListBox::VisibleRows() const { return std::max(1, (Height() - 4) / FItemHeight); }

void TListBox::MakeVisible(int Index)
{
    if (Index < 0)
        return;
    if (Index < FTopIndex)
        SetTopIndex(Index);
    else if (Index >= FTopIndex + VisibleRows())
        SetTopIndex(Index - VisibleRows() + 1);
}

TRect TListBox::ItemRect(int Index) const
{
    int y = 2 + (Index - FTopIndex) * FItemHeight;
    return Rect(2, y, Width() - 2, y + FItemHeight);
}

int TListBox::ItemAtPos(TPoint Pos, bool Existing) const
{
    if (Pos.x < 2 || Pos.x >= Width() - 2 || Pos.y < 2 || Pos.y >= Height() - 2)
        return -1;
    int i = FTopIndex + (Pos.y - 2) / FItemHeight;
    if (i >= Count())
        return Existing ? -1 : Count();
    return i;
}

void TListBox::SelectFromUser(int Index)
{
    if (Index < 0 || Index == ItemIndex())
        return;
    SetItemIndex(Index);
    Click();
}

void TListBox::Paint()
{
    TCanvas& c = *Canvas();
    c.Font().Assign(Font());
    TRect inner = SunkenField(c, ClientRect());
    c.Brush().SetColor(Color());
    c.FillRect(inner);
    c.IntersectClipRect(inner);
    for (int i = FTopIndex; i < Count(); ++i) {
        TRect r = ItemRect(i);
        if (r.Top >= inner.Bottom)
            break;
        bool selected = i == ItemIndex();
        if (selected) {
            c.Brush().SetColor(clHighlight);
            c.FillRect(r);
        }
        c.Font().SetColor(selected ? clHighlightText : (Enabled() ? Font().Color() : clGrayText));
        TextInRect(c, r, r.Left + 2, FItems[static_cast<size_t>(i)]);
        if (selected && Focused())
            c.DrawFocusRect(r);
    }
}

void TListBox::KeyDown(std::uint16_t& Key, TShiftState Shift)
{
    if (!IsPagingKey(Key) || (Shift & (ssAlt | ssCtrl)))
        return;
    SelectFromUser(MoveIndex(Key, ItemIndex(), Count(), VisibleRows()));
    Key = 0;
}

void TListBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft) {
        int i = ItemAtPos(Point(X, Y));
        if (i >= 0)
            SetItemIndex(i);
        SetMouseCapture(true);
    }
    TWinControl::MouseDown(Button, Shift, X, Y);
}

void TListBox::MouseMove(TShiftState Shift, int X, int Y)
{
    // Dragging with the button held moves the selection along.
    if (MouseCapture() && (Shift & ssLeft)) {
        int i = ItemAtPos(Point(X, std::clamp(Y, 2, std::max(2, Height() - 3))));
        if (i >= 0)
            SetItemIndex(i);
    }
    TWinControl::MouseMove(Shift, X, Y);
}

void TListBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft)
        SetMouseCapture(false);
    TWinControl::MouseUp(Button, Shift, X, Y);
}

// ---------------------------------------------------------------- TComboBox

// The list a combo box drops down: its items, the hot one highlighted; a release over an
// item picks it and closes the list.
class TComboListWindow : public TDropDownList {
public:
    explicit TComboListWindow(TCustomComboBox* Combo) : TDropDownList(Combo), FCombo(Combo) {}

protected:
    int ItemCount() const override { return static_cast<int>(FCombo->Items().size()); }
    int ItemHeight() const override { return FCombo->ItemHeight(); }
    void PaintItem(TCanvas& c, const TRect& r, int Index, bool Hot) override
    {
        c.Brush().SetColor(Hot ? clHighlight : clWindow);
        c.FillRect(r);
        c.Font().SetColor(Hot ? clHighlightText : clWindowText);
        TextInRect(c, r, r.Left + 2, FCombo->Items()[static_cast<size_t>(Index)]);
    }
    void ItemPicked(int Index) override
    {
        FCombo->SelectFromUser(Index);
        FCombo->CloseUp(true);
    }
    void Dismissed() override { FCombo->CloseUp(false); }

private:
    TCustomComboBox* FCombo;
};

TCustomComboBox::TCustomComboBox(TComponent* AOwner) : TWinControl(AOwner)
{
    SetColor(clWindow);
    SetTabStop(true);
    SetControlStyle(ControlStyle() & ~(csCaptureMouse | csClickEvents));
    SetBounds(0, 0, 145, 21);
}

TCustomComboBox::~TCustomComboBox()
{
    BeforeDestruction();
    if (FList) {
        FList->Closing = true;
        ReleaseCapture();
        delete FList;
        FList = nullptr;
    }
}

TWinControl* TCustomComboBox::ListWindow() const { return FList; }

void TCustomComboBox::SetItems(const std::vector<std::string>& Value)
{
    FItems = Value;
    if (FItemIndex >= static_cast<int>(FItems.size()))
        FItemIndex = -1;
    Invalidate();
}

void TCustomComboBox::AddItem(const std::string& Item)
{
    FItems.push_back(Item);
    Invalidate();
}

void TCustomComboBox::Clear()
{
    FItems.clear();
    FItemIndex = -1;
    SetText("");
    Invalidate();
}

int TCustomComboBox::ItemIndex() const { return FItemIndex < static_cast<int>(FItems.size()) ? FItemIndex : -1; }

void TCustomComboBox::SetItemIndex(int Value)
{
    if (Value < -1 || Value >= static_cast<int>(FItems.size()))
        Value = -1;
    FItemIndex = Value;
    SetText(Value >= 0 ? FItems[static_cast<size_t>(Value)] : std::string());
    if (FList)
        FList->Track(Value);
    Invalidate();
}

void TCustomComboBox::SetStyle(TComboBoxStyle Value)
{
    FStyle = Value;
    if (Value == csDropDownList)
        SetText(ItemIndex() >= 0 ? FItems[static_cast<size_t>(ItemIndex())] : std::string());
    Invalidate();
}

void TCustomComboBox::Change()
{
    if (OnChange)
        OnChange(this);
}

void TCustomComboBox::SelectFromUser(int Index)
{
    if (Index < 0 || Index >= static_cast<int>(FItems.size()) || Index == ItemIndex())
        return;
    SetItemIndex(Index);
    Click();
    Change();
}

void TCustomComboBox::SetDroppedDown(bool Value)
{
    if (Value == DroppedDown())
        return;
    if (!Value) {
        CloseUp(true);
        return;
    }
    if (OnDropDown)
        OnDropDown(this);
    FIndexAtDrop = ItemIndex();
    FList = new TComboListWindow(this);
    int rows = std::clamp(static_cast<int>(FItems.size()), 1, FDropDownCount);
    TPoint at = ClientToScreen(Point(0, Height()));
    FList->SetBounds(at.x, at.y, Width(), rows * FItemHeight + 2);
    FList->Track(ItemIndex());
    FList->SetVisible(true);
    BringPopupToFront(FList);
    SetCaptureControl(FList);
    Invalidate();
}

void TCustomComboBox::CloseUp(bool Accept)
{
    if (!FList)
        return;
    TComboListWindow* list = FList;
    FList = nullptr;
    list->Closing = true;
    if (GetCaptureControl() == list)
        ReleaseCapture();
    delete list;
    if (!Accept && FIndexAtDrop != ItemIndex() && FIndexAtDrop < static_cast<int>(FItems.size())) {
        SetItemIndex(FIndexAtDrop);
        Change();
    }
    Invalidate();
    if (OnCloseUp)
        OnCloseUp(this);
}

LRESULT TCustomComboBox::DialogCode() const
{
    // While the list is down, Enter and Esc close it instead of reaching the dialog.
    return DLGC_WANTARROWS | DLGC_WANTCHARS | (DroppedDown() ? DLGC_WANTALLKEYS : 0);
}

void TCustomComboBox::WndProc(TMessage& m)
{
    // The list goes up, keeping the item, when the combo loses the focus, is hidden or
    // is disabled.
    if ((m.Msg == WM_KILLFOCUS || m.Msg == CM_VISIBLECHANGED || m.Msg == CM_ENABLEDCHANGED) && FList)
        CloseUp(true);
    TWinControl::WndProc(m);
}

void TCustomComboBox::KeyDown(std::uint16_t& Key, TShiftState Shift)
{
    if (Key == VK_F4 || ((Key == VK_DOWN || Key == VK_UP) && (Shift & ssAlt))) {
        SetDroppedDown(!DroppedDown());
        Key = 0;
        return;
    }
    if (DroppedDown() && (Key == VK_RETURN || Key == VK_ESCAPE)) {
        CloseUp(Key == VK_RETURN);
        Key = 0;
        return;
    }
    if (DroppedDown() && Key == VK_TAB) {
        // Tab closes the list, keeping the item, and moves on as it always does.
        CloseUp(true);
        Key = 0;
        if (TCustomForm* form = GetParentForm(this))
            form->SelectNext(this, !(Shift & ssShift), true);
        return;
    }
    if (IsPagingKey(Key) && !(Shift & (ssAlt | ssCtrl))) {
        if (FStyle != csDropDownList && (Key == VK_HOME || Key == VK_END) && !DroppedDown())
            return;  // in an editable field Home and End belong to the text
        int page = FList ? FList->Rows() : FDropDownCount;
        SelectFromUser(MoveIndex(Key, ItemIndex(), static_cast<int>(FItems.size()), page));
        Key = 0;
    }
}

void TCustomComboBox::KeyPress(char32_t& Key)
{
    if (Key == '\r' || Key == 27 || Key == '\t') {
        Key = 0;
        return;
    }
    if (FStyle == csDropDownList) {
        // A typed character selects the next item that starts with it.
        if (Key >= 0x20 && Key < 0x7F && !FItems.empty()) {
            int n = static_cast<int>(FItems.size());
            char want = static_cast<char>(std::tolower(static_cast<int>(Key)));
            for (int k = 1; k <= n; ++k) {
                int i = (ItemIndex() + k + n) % n;
                const std::string& s = FItems[static_cast<size_t>(i)];
                if (!s.empty() && std::tolower(static_cast<unsigned char>(s[0])) == want) {
                    SelectFromUser(i);
                    break;
                }
            }
        }
        Key = 0;
        return;
    }
    // The editable field: characters are appended, Backspace takes the last one back.
    std::string t = Text();
    if (Key == 8) {
        while (!t.empty() && (static_cast<unsigned char>(t.back()) & 0xC0) == 0x80)
            t.pop_back();
        if (!t.empty())
            t.pop_back();
    } else if (Key >= 0x20) {
        char32_t c = Key;
        if (c < 0x80) t += static_cast<char>(c);
        else if (c < 0x800) { t += static_cast<char>(0xC0 | (c >> 6)); t += static_cast<char>(0x80 | (c & 0x3F)); }
        else if (c < 0x10000) { t += static_cast<char>(0xE0 | (c >> 12)); t += static_cast<char>(0x80 | ((c >> 6) & 0x3F)); t += static_cast<char>(0x80 | (c & 0x3F)); }
        else { t += static_cast<char>(0xF0 | (c >> 18)); t += static_cast<char>(0x80 | ((c >> 12) & 0x3F)); t += static_cast<char>(0x80 | ((c >> 6) & 0x3F)); t += static_cast<char>(0x80 | (c & 0x3F)); }
    } else {
        return;
    }
    Key = 0;
    if (t == Text())
        return;
    SetText(t);
    auto it = std::find(FItems.begin(), FItems.end(), t);
    FItemIndex = it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
    Change();
}

void TCustomComboBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft)
        SetDroppedDown(!DroppedDown());
    TWinControl::MouseDown(Button, Shift, X, Y);
}

void TCustomComboBox::Paint()
{
    TCanvas& c = *Canvas();
    c.Font().Assign(Font());
    TRect inner = SunkenField(c, ClientRect());
    c.Brush().SetColor(Enabled() ? Color() : clBtnFace);
    c.FillRect(inner);
    // The drop-down button at the right.
    int bw = std::min(inner.Width(), 17);
    TRect button = Rect(inner.Right - bw, inner.Top, inner.Right, inner.Bottom);
    DrawButtonFace(c, button, DroppedDown());
    int cx = button.Left + button.Width() / 2 + (DroppedDown() ? 1 : 0);
    int cy = button.Top + button.Height() / 2 - 1 + (DroppedDown() ? 1 : 0);
    c.Pen().SetColor(Enabled() ? clBtnText : clGrayText);
    for (int i = 0; i < 4; ++i) {
        c.MoveTo(cx - 3 + i, cy - 1 + i);
        c.LineTo(cx + 4 - i, cy - 1 + i);
    }
    TRect text = Rect(inner.Left, inner.Top, button.Left, inner.Bottom);
    bool highlight = Focused() && FStyle == csDropDownList && !DroppedDown();
    if (highlight) {
        TRect h = text;
        InflateRect(h, -1, -1);
        c.Brush().SetColor(clHighlight);
        c.FillRect(h);
    }
    c.Font().SetColor(highlight ? clHighlightText : (Enabled() ? Font().Color() : clGrayText));
    TextInRect(c, text, text.Left + 2, Text());
    if (Focused() && FStyle != csDropDownList) {
        // The caret after the text.
        int x = text.Left + 2 + c.TextWidth(Text());
        c.Pen().SetColor(clWindowText);
        c.MoveTo(x, text.Top + 2);
        c.LineTo(x, text.Bottom - 2);
    }
}

// ---------------------------------------------------------------- TToolButton

TToolButton::TToolButton(TComponent* AOwner) : TGraphicControl(AOwner)
{
    SetBounds(0, 0, 23, 22);
}

TToolButton::~TToolButton()
{
    BeforeDestruction();
    // A button freed by its owner leaves its bar, and the others close up. (While the bar
    // itself is being destroyed it is no longer a TToolBar, and nothing is left to do.)
    if (TToolBar* bar = ToolBar()) {
        auto& b = bar->FButtons;
        b.erase(std::remove(b.begin(), b.end(), this), b.end());
        TGraphicControl::SetParent(nullptr);
        bar->LayoutButtons();
    }
}

TToolBar* TToolButton::ToolBar() const { return dynamic_cast<TToolBar*>(Parent()); }

int TToolButton::Index() const
{
    TToolBar* bar = ToolBar();
    if (!bar)
        return -1;
    auto it = std::find(bar->FButtons.begin(), bar->FButtons.end(), this);
    return it == bar->FButtons.end() ? -1 : static_cast<int>(it - bar->FButtons.begin());
}

void TToolButton::SetParent(TWinControl* AParent)
{
    if (AParent == Parent())
        return;
    if (TToolBar* old = ToolBar()) {
        auto& b = old->FButtons;
        b.erase(std::remove(b.begin(), b.end(), this), b.end());
    }
    TGraphicControl::SetParent(AParent);
    if (TToolBar* bar = ToolBar())
        bar->FButtons.push_back(this);
    if (TToolBar* bar = ToolBar())
        bar->LayoutButtons();
}

void TToolButton::SetVisible(bool Value)
{
    TGraphicControl::SetVisible(Value);
    if (TToolBar* bar = ToolBar())
        bar->LayoutButtons();
}

void TToolButton::SetImageIndex(int Value)
{
    if (Value != FImageIndex) {
        FImageIndex = Value;
        Invalidate();
    }
}

void TToolButton::SetStyle(TToolButtonStyle Value)
{
    if (Value == FStyle)
        return;
    FStyle = Value;
    if (Value == tbsSeparator || Value == tbsDivider)
        SetWidth(8);
    if (TToolBar* bar = ToolBar())
        bar->LayoutButtons();
    Invalidate();
}

void TToolButton::SetDown(bool Value)
{
    if (Value != FDown) {
        FDown = Value;
        Invalidate();
    }
}

void TToolButton::EnabledChanged()
{
    FPressed = FTracking = false;
    Invalidate();
}

void TToolButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft && Enabled() && FStyle != tbsSeparator && FStyle != tbsDivider) {
        FTracking = FPressed = true;
        Invalidate();
    }
    TGraphicControl::MouseDown(Button, Shift, X, Y);
}

void TToolButton::MouseMove(TShiftState Shift, int X, int Y)
{
    if (FTracking) {
        bool inside = PtInRect(ClientRect(), Point(X, Y));
        if (inside != FPressed) {
            FPressed = inside;
            Invalidate();
        }
    }
    TGraphicControl::MouseMove(Shift, X, Y);
}

void TToolButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft && FTracking) {
        FTracking = FPressed = false;
        if (FStyle == tbsCheck && PtInRect(ClientRect(), Point(X, Y)))
            FDown = !FDown;
        Invalidate();
    }
    TGraphicControl::MouseUp(Button, Shift, X, Y);
}

void TToolButton::Paint()
{
    TCanvas& c = *Canvas();
    TToolBar* bar = ToolBar();
    TRect r = ClientRect();
    if (FStyle == tbsSeparator || FStyle == tbsDivider) {
        if (FStyle == tbsDivider || (bar && bar->Flat())) {
            int x = r.Width() / 2 - 1;
            c.Pen().SetColor(clBtnShadow);
            c.MoveTo(x, 1);
            c.LineTo(x, r.Bottom - 1);
            c.Pen().SetColor(clBtnHighlight);
            c.MoveTo(x + 1, 1);
            c.LineTo(x + 1, r.Bottom - 1);
        }
        return;
    }
    bool flat = bar && bar->Flat();
    bool down = FPressed || FDown;
    TRect face = DrawButtonFace(c, r, down, flat, false, false, bar ? bar->Color() : clBtnFace);
    TCustomImageList* images = bar ? bar->Images() : nullptr;
    if (!Enabled() && bar && bar->DisabledImages())
        images = bar->DisabledImages();
    if (images && FImageIndex >= 0 && FImageIndex < images->Count()) {
        int x = face.Left + (face.Width() - images->Width()) / 2;
        int y = face.Top + (face.Height() - images->Height()) / 2;
        if (bar->ShowCaptions())
            y = face.Top + 2;
        images->Draw(c, x, y, FImageIndex, Enabled() || images == bar->DisabledImages());
    }
    if (bar && bar->ShowCaptions() && !Caption().empty()) {
        c.Font().Assign(bar->Font());
        c.Font().SetColor(Enabled() ? clBtnText : clGrayText);
        SetBkMode(c.Handle(), TRANSPARENT);
        int tw = c.TextWidth(Caption()), th = c.TextHeight(Caption());
        c.TextOut(face.Left + (face.Width() - tw) / 2, face.Bottom - th - 1, Caption());
    }
}

// ---------------------------------------------------------------- TToolBar

TToolBar::TToolBar(TComponent* AOwner) : TWinControl(AOwner)
{
    SetControlStyle(ControlStyle() | csAcceptsControls);
    SetBounds(0, 0, 150, 29);
    SetAlign(alTop);
}

TToolBar::~TToolBar()
{
    BeforeDestruction();
    FButtons.clear();
}

int TToolBar::ButtonCount() const { return static_cast<int>(FButtons.size()); }

TToolButton* TToolBar::Buttons(int Index) const
{
    if (Index < 0 || Index >= ButtonCount())
        throw EComponentError("Tool button index out of bounds (" + std::to_string(Index) + ")");
    return FButtons[static_cast<size_t>(Index)];
}

void TToolBar::SetButtonWidth(int Value)
{
    if (Value > 0 && Value != FButtonWidth) {
        FButtonWidth = Value;
        LayoutButtons();
    }
}

void TToolBar::SetButtonHeight(int Value)
{
    if (Value > 0 && Value != FButtonHeight) {
        FButtonHeight = Value;
        LayoutButtons();
    }
}

void TToolBar::SetFlat(bool Value)
{
    FFlat = Value;
    Invalidate();
    for (TToolButton* b : FButtons)
        b->Invalidate();
}

void TToolBar::SetWrapable(bool Value)
{
    if (Value != FWrapable) {
        FWrapable = Value;
        LayoutButtons();
    }
}

void TToolBar::SetShowCaptions(bool Value)
{
    FShowCaptions = Value;
    Invalidate();
}

void TToolBar::SetImages(TCustomImageList* Value)
{
    if (FImages)
        FImages->RemoveFreeNotification(this);
    FImages = Value;
    if (Value)
        Value->FreeNotification(this);
    Invalidate();
}

void TToolBar::SetDisabledImages(TCustomImageList* Value)
{
    if (FDisabledImages)
        FDisabledImages->RemoveFreeNotification(this);
    FDisabledImages = Value;
    if (Value)
        Value->FreeNotification(this);
    Invalidate();
}

void TToolBar::Notification(TComponent* AComponent, TOperation Operation)
{
    TWinControl::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    if (AComponent == FImages)
        FImages = nullptr;
    if (AComponent == FDisabledImages)
        FDisabledImages = nullptr;
    if (auto* b = dynamic_cast<TToolButton*>(AComponent))
        FButtons.erase(std::remove(FButtons.begin(), FButtons.end(), b), FButtons.end());
}

void TToolBar::Resize()
{
    LayoutButtons();
    TWinControl::Resize();
}

void TToolBar::LayoutButtons()
{
    if (FLayingOut)
        return;
    FLayingOut = true;
    int x = 0, y = 0, rows = 0;
    int limit = ClientWidth();
    for (TToolButton* b : FButtons) {
        b->FWrap = false;
        if (!b->Visible())
            continue;
        bool gap = b->Style() == tbsSeparator || b->Style() == tbsDivider;
        int w = gap ? b->Width() : FButtonWidth;
        if (rows == 0)
            rows = 1;
        // A button that does not fit starts the next row; a separator at the end of a
        // row is kept there instead of opening the next one.
        if (FWrapable && x > 0 && x + w > limit && !gap) {
            x = 0;
            y += FButtonHeight;
            ++rows;
            b->FWrap = true;
        }
        b->SetBounds(x, y, w, FButtonHeight);
        x += w;
    }
    FRowCount = rows;
    FLayingOut = false;
    Invalidate();
}

void TToolBar::Paint() {}

// ---------------------------------------------------------------- THotKey

THotKey::THotKey(TComponent* AOwner) : TWinControl(AOwner)
{
    SetColor(clWindow);
    SetTabStop(true);
    SetBounds(0, 0, 121, 19);
}

void THotKey::SetHotKey(TShortCut Value)
{
    FPending = 0;
    if (Value == FHotKey)
        return;
    FHotKey = Value;
    Invalidate();
}

void THotKey::Store(TShortCut Value)
{
    FPending = 0;
    if (Value == FHotKey) {
        Invalidate();
        return;
    }
    FHotKey = Value;
    Invalidate();
    if (OnChange)
        OnChange(this);
}

void THotKey::SetAutoSize(bool Value)
{
    FAutoSize = Value;
    if (Value) {
        TCanvas c;
        c.Font().Assign(Font());
        SetHeight(c.TextHeight("Hg") + 6);
    }
}

std::string THotKey::DisplayText() const
{
    if (FPending) {
        std::string s;
        if (FPending & ssShift) s += "Shift+";
        if (FPending & ssCtrl) s += "Ctrl+";
        if (FPending & ssAlt) s += "Alt+";
        return s;
    }
    if (FHotKey == 0)
        return "None";
    return ShortCutToText(FHotKey);
}

void THotKey::WndProc(TMessage& m)
{
    if (m.Msg == WM_KILLFOCUS)
        FPending = 0;
    TWinControl::WndProc(m);
}

void THotKey::KeyDown(std::uint16_t& Key, TShiftState Shift)
{
    TShiftState mods = Shift & (ssShift | ssCtrl | ssAlt);
    if (Key == VK_SHIFT || Key == VK_CONTROL || Key == VK_MENU) {
        FPending = mods;
        Invalidate();
        Key = 0;
        return;
    }
    if (Key == VK_BACK && mods == 0) {
        Store(0);
        Key = 0;
        return;
    }
    // Modifier classes that may not stand alone get the forced modifiers instead.
    int cls = ((mods & ssShift) ? 1 : 0) | ((mods & ssCtrl) ? 2 : 0) | ((mods & ssAlt) ? 4 : 0);
    static const std::uint8_t classBit[8] = {hcNone, hcShift, hcCtrl, hcShiftCtrl, hcAlt, hcShiftAlt, hcCtrlAlt, hcShiftCtrlAlt};
    if (FInvalidKeys & classBit[cls]) {
        mods = 0;
        if (FModifiers & hkShift) mods |= ssShift;
        if (FModifiers & hkCtrl) mods |= ssCtrl;
        if (FModifiers & hkAlt) mods |= ssAlt;
    }
    Store(ShortCut(Key, mods));
    Key = 0;
}

void THotKey::KeyUp(std::uint16_t& Key, TShiftState Shift)
{
    if (FPending) {
        FPending = Shift & (ssShift | ssCtrl | ssAlt);
        Invalidate();
    }
}

void THotKey::KeyPress(char32_t& Key) { Key = 0; }

void THotKey::Paint()
{
    TCanvas& c = *Canvas();
    c.Font().Assign(Font());
    TRect inner = SunkenField(c, ClientRect());
    c.Brush().SetColor(Enabled() ? Color() : clBtnFace);
    c.FillRect(inner);
    c.Font().SetColor(Enabled() ? Font().Color() : clGrayText);
    std::string text = DisplayText();
    TextInRect(c, inner, inner.Left + 1, text);
    if (Focused()) {
        int x = inner.Left + 1 + c.TextWidth(text);
        c.Pen().SetColor(clWindowText);
        c.MoveTo(x, inner.Top + 1);
        c.LineTo(x, inner.Bottom - 1);
    }
}

// ---------------------------------------------------------------- TProgressBar

TProgressBar::TProgressBar(TComponent* AOwner) : TWinControl(AOwner)
{
    SetBounds(0, 0, 150, 16);
}

void TProgressBar::SetMin(int Value)
{
    FMin = Value;
    if (FMax < FMin)
        FMax = FMin;
    SetPosition(FPosition);
    Invalidate();
}

void TProgressBar::SetMax(int Value)
{
    FMax = Value;
    if (FMin > FMax)
        FMin = FMax;
    SetPosition(FPosition);
    Invalidate();
}

void TProgressBar::SetPosition(int Value)
{
    Value = std::clamp(Value, FMin, FMax);
    if (Value != FPosition) {
        FPosition = Value;
        Invalidate();
    }
}

void TProgressBar::SetSmooth(bool Value)
{
    FSmooth = Value;
    Invalidate();
}

int TProgressBar::FilledWidth() const
{
    int inner = std::max(0, Width() - 2);
    if (FMax <= FMin)
        return 0;
    return static_cast<int>(static_cast<long long>(FPosition - FMin) * inner / (FMax - FMin));
}

void TProgressBar::Paint()
{
    TCanvas& c = *Canvas();
    TRect r = ClientRect();
    Frame3D(c, r, clBtnShadow, clBtnHighlight, 1);
    c.Brush().SetColor(clBtnFace);
    c.FillRect(r);
    int fill = FilledWidth();
    c.Brush().SetColor(clHighlight);
    if (FSmooth) {
        c.FillRect(Rect(r.Left, r.Top, r.Left + fill, r.Bottom));
        return;
    }
    // Blocks two thirds as wide as the bar is high, two pixels apart; a block is drawn
    // once the fill reaches into it, cut at the frame.
    int block = std::max(2, r.Height() * 2 / 3);
    for (int x = r.Left; x < r.Left + fill; x += block + 2)
        c.FillRect(Rect(x + 1, r.Top + 1, std::min(x + 1 + block, r.Right - 1), r.Bottom - 1));
}

// ---------------------------------------------------------------- TAnimate

TAnimate::TAnimate(TComponent* AOwner) : TWinControl(AOwner)
{
    SetBounds(0, 0, 100, 80);
    SetParentColor(true);  // transparent pixels show the parent's background
    FTimer = new TTimer(this);
    FTimer->SetEnabled(false);
    FTimer->SetInterval(FInterval);
    FTimer->OnTimer = [this](TObject*) { Tick(); };
}

TAnimate::~TAnimate() = default;

void TAnimate::LoadClip(TBitmap& Strip)
{
    int h = Strip.Height();
    if (h <= 0 || Strip.Width() < h)
        throw EAnimateError("The clip holds no frame");
    std::vector<std::unique_ptr<TBitmap>> frames;
    int n = Strip.Width() / h;
    for (int i = 0; i < n; ++i) {
        auto f = std::make_unique<TBitmap>(h, h);
        f->Canvas().CopyRect(Rect(0, 0, h, h), Strip.Canvas(), Rect(i * h, 0, i * h + h, h));
        f->SetTransparent(FTransparent);
        frames.push_back(std::move(f));
    }
    bool wasActive = FActive;
    SetActive(false);
    FFrames = std::move(frames);
    FFrameWidth = FFrameHeight = h;
    FCurrent = 0;
    if (FAutoSize)
        SetBounds(Left(), Top(), FFrameWidth, FFrameHeight);
    Invalidate();
    if (OnOpen)
        OnOpen(this);
    if (wasActive)
        SetActive(true);
}

void TAnimate::SetResName(const std::string& Value)
{
    if (Value.empty()) {
        SetActive(false);
        FFrames.clear();
        FResName.clear();
        Invalidate();
        return;
    }
    if (FResHandle != 0)
        throw EAnimateError("Cannot load the animation \"" + Value + "\": unknown resource module");
    TBitmap strip;
    try {
        strip.LoadFromResourceName(Value);
    } catch (const Exception& e) {
        throw EAnimateError("Cannot load the animation \"" + Value + "\": " + e.Message());
    }
    LoadClip(strip);
    FResName = Value;
    FFileName.clear();
}

void TAnimate::SetFileName(const std::string& Value)
{
    if (Value.empty()) {
        SetResName("");
        FFileName.clear();
        return;
    }
    std::ifstream in(Value, std::ios::binary);
    if (!in)
        throw EAnimateError("Cannot open the animation file \"" + Value + "\"");
    std::vector<unsigned char> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    TBitmap strip;
    try {
        strip.LoadFromBMP(data);
    } catch (const Exception& e) {
        throw EAnimateError("Cannot load the animation file \"" + Value + "\": " + e.Message());
    }
    LoadClip(strip);
    FFileName = Value;
    FResName.clear();
}

void TAnimate::SetActive(bool Value)
{
    // Without a clip there is nothing to play: the control stays inactive, so that a
    // panel whose clip could not be loaded goes on without an animation.
    if (Value && FFrames.empty())
        Value = false;
    if (Value == FActive)
        return;
    FActive = Value;
    FRounds = 0;
    FTimer->SetEnabled(Value);
    Invalidate();
    if (Value && OnStart)
        OnStart(this);
    if (!Value && OnStop)
        OnStop(this);
}

void TAnimate::SetFrameInterval(int Ms)
{
    FInterval = std::max(1, Ms);
    FTimer->SetInterval(FInterval);
}

void TAnimate::SetTransparent(bool Value)
{
    FTransparent = Value;
    for (auto& f : FFrames)
        f->SetTransparent(Value);
    Invalidate();
}

void TAnimate::SetAutoSize(bool Value)
{
    FAutoSize = Value;
    if (Value && !FFrames.empty())
        SetBounds(Left(), Top(), FFrameWidth, FFrameHeight);
}

void TAnimate::Seek(int Frame)
{
    SetActive(false);
    if (Frame >= 0 && Frame < FrameCount()) {
        FCurrent = Frame;
        Invalidate();
    }
}

void TAnimate::Tick()
{
    if (!FActive || FFrames.empty())
        return;
    if (FCurrent + 1 >= FrameCount()) {
        ++FRounds;
        if (FRepetitions > 0 && FRounds >= FRepetitions) {
            SetActive(false);
            return;
        }
        FCurrent = 0;
    } else {
        ++FCurrent;
    }
    Invalidate();
}

void TAnimate::Paint()
{
    if (FFrames.empty())
        return;
    int x = 0, y = 0;
    if (FCenter) {
        x = (Width() - FFrameWidth) / 2;
        y = (Height() - FFrameHeight) / 2;
    }
    Canvas()->Draw(x, y, *FFrames[static_cast<size_t>(FCurrent)]);
}

}  // namespace korin
