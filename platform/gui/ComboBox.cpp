#include "korin/platform/gui/ComCtrls.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "korin/platform/core/Resources.h"
#include "korin/platform/gui/Bitmap.h"
#include "korin/platform/gui/Canvas.h"
#include "korin/platform/gui/ControlParts.h"
#include "korin/platform/gui/Draw3D.h"
#include "korin/platform/gui/DropDownList.h"
#include "korin/platform/gui/Forms.h"
#include "korin/platform/gui/ImageList.h"
#include "korin/platform/gui/Popups.h"
#include "korin/platform/gui/Timers.h"

namespace korin {

using namespace ctlparts;

namespace {

constexpr std::uint16_t VK_F4 = VK_F1 + 3;

}  // namespace

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

}  // namespace korin
