// Tool bars and their buttons.
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

}  // namespace korin
