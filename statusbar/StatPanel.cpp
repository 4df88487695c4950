// The status panel as a data object: its properties and setters, the per-style resources
// (timer, gauge bitmap, lock-key watching) and the automatic width; and the panel
// collection.
#include "korin/statusbar/Statbar.h"

namespace korin {

const std::vector<std::string>& KStatusPanelStyleNames()
{
    static const std::vector<std::string> names = {
        "psNormal", "psOwnerDraw", "psCapsLock", "psNumLock", "psScrollLock", "psDateTime", "psEllipsisText",
        "psEllipsisPath", "psPercent", "psProgress", "psProgressPercent", "psProgressText", "psIndeterminate",
        "psDBName", "psDBState", "psDBNameState", "psDBRecNum", "psDBPercent", "psDBProgress",
        "psDBProgressRecNum", "psDBProgressPercent"};
    return names;
}

const std::string& LockKeyText(TKStatusPanelStyle Style)
{
    static const std::string texts[] = {" CAPS ", " NUM ", " SCROLL "};
    static const std::string none;
    return Style >= psCapsLock && Style <= psScrollLock ? texts[Style - psCapsLock] : none;
}

int LockKeyCode(TKStatusPanelStyle Style)
{
    static const int keys[] = {20, 144, 145};
    return Style >= psCapsLock && Style <= psScrollLock ? keys[Style - psCapsLock] : 0;
}

namespace {

bool IsLockKeyStyle(TKStatusPanelStyle s) { return s >= psCapsLock && s <= psScrollLock; }

}  // namespace

// ---------------------------------------------------------------- construction

TKStatusPanel::TKStatusPanel(TCollection* Collection) : TCollectionItem(Collection)
{
    if (TCustomKStatusBar* bar = GetStatusBar())
        FColor = bar->Color();
    ParentBiDiModeChanged();
}

TKStatusPanel::~TKStatusPanel()
{
    // A panel that goes leaves every list first, so that no timer or hook reaches it.
    LeaveLockKeyWatch();
    FreeTimer();
    if (TCustomKStatusBar* bar = GetStatusBar())
        if (bar->FHitPanel == this)
            bar->FHitPanel = nullptr;
}

TCustomKStatusBar* TKStatusPanel::GetStatusBar() const
{
    auto* panels = dynamic_cast<TKStatusPanels*>(Collection());
    return panels ? panels->StatusBar() : nullptr;
}

void TKStatusPanel::LeaveLockKeyWatch()
{
    RemoveLockKeyPanel(this);
    if (TCustomKStatusBar* bar = GetStatusBar())
        bar->DeregisterMainWinHook(this);
}

std::string TKStatusPanel::GetDisplayName() const
{
    return FText.empty() ? TCollectionItem::GetDisplayName() : FText;
}

// ---------------------------------------------------------------- simple setters

void TKStatusPanel::SetAlignment(TAlignment Value)
{
    if (Value == FAlignment)
        return;
    FAlignment = Value;
    Notify(false);
}

void TKStatusPanel::SetBevel(TStatusPanelBevel Value)
{
    if (Value == FBevel)
        return;
    FBevel = Value;
    Notify(false);
}

void TKStatusPanel::SetText(const std::string& Value)
{
    if (Value == FText)
        return;
    FText = Value;
    Notify(false);
}

void TKStatusPanel::SetHint(const std::string& Value)
{
    if (Value == FHint)
        return;
    FHint = Value;
    Notify(false);
}

void TKStatusPanel::SetImageIndex(int Value)
{
    if (Value == FImageIndex)
        return;
    FImageIndex = Value;
    Notify(false);
}

void TKStatusPanel::SetPanelColor(TColor Value)
{
    if (Value == FColor)
        return;
    FColor = Value;
    Notify(false);
}

void TKStatusPanel::SetTextColor(TColor Value)
{
    if (Value == FTextColor)
        return;
    FTextColor = Value;
    Notify(false);
}

void TKStatusPanel::SetSmoothProgress(bool Value)
{
    if (Value == FSmoothProgress)
        return;
    FSmoothProgress = Value;
    Notify(false);
}

void TKStatusPanel::SetDateTimeFormat(const std::string& Value)
{
    if (Value == FDateTimeFormat)
        return;
    FDateTimeFormat = Value;
    Notify(false);
}

void TKStatusPanel::SetGrayed(bool Value)
{
    if (Value == FGrayed)
        return;
    FGrayed = Value;
    Notify(false);
}

void TKStatusPanel::SetWidth(int Value)
{
    if (Value == FWidth)
        return;
    FWidth = Value;
    Notify(true);
}

void TKStatusPanel::SetBiDiMode(TBiDiMode Value)
{
    if (Value == FBiDiMode)
        return;
    FBiDiMode = Value;
    FParentBiDiMode = false;
    Notify(false);
}

void TKStatusPanel::SetParentBiDiMode(bool Value)
{
    if (Value == FParentBiDiMode)
        return;
    FParentBiDiMode = Value;
    ParentBiDiModeChanged();
}

void TKStatusPanel::ParentBiDiModeChanged()
{
    TCustomKStatusBar* bar = GetStatusBar();
    if (!FParentBiDiMode || !bar)
        return;
    SetBiDiMode(bar->BiDiMode());
    FParentBiDiMode = true;
}

bool TKStatusPanel::UseRightToLeftReading() const
{
    return SysLocale.MiddleEast && FBiDiMode != bdLeftToRight;
}

bool TKStatusPanel::UseRightToLeftAlignment() const
{
    return SysLocale.MiddleEast && FBiDiMode == bdRightToLeft;
}

void TKStatusPanel::SetSpeed(int Value)
{
    if (Value == FSpeed)
        return;
    FSpeed = Value;
    FSweepStep = Value;
}

void TKStatusPanel::SetProgressColor(TColor Value)
{
    if (Value == FProgressColor)
        return;
    FProgressColor = Value;
    if (FStyle == psIndeterminate)
        InitGaugeBitmap();
    Notify(false);
}

void TKStatusPanel::SetPopupMenu(TPopupMenu* Value)
{
    if (Value == FPopupMenu)
        return;
    FPopupMenu = Value;
    if (TCustomKStatusBar* bar = GetStatusBar())
        if (Value)
            Value->FreeNotification(bar);
    Notify(false);
}

void TKStatusPanel::SetAutoSize(bool Value)
{
    if (Value == FAutoSize)
        return;
    FAutoSize = Value;
    UpdateAutoSizeWidth();
}

void TKStatusPanel::SetBorderWidth(int Value)
{
    if (Value == FBorderWidth)
        return;
    FBorderWidth = Value;
    UpdateAutoSizeWidth();
}

// ---------------------------------------------------------------- range

void TKStatusPanel::SetMin(int Value)
{
    if (Value == FMin || Value > FMax)
        return;
    if (Value > FPosition)
        FPosition = Value;
    FMin = Value;
    Notify(false);
}

void TKStatusPanel::SetMax(int Value)
{
    if (Value == FMax || Value < FMin)
        return;
    if (Value < FPosition)
        FPosition = Value;
    FMax = Value;
    Notify(false);
}

void TKStatusPanel::SetPosition(int Value)
{
    if (Value == FPosition || Value < FMin || Value > FMax)
        return;
    FPosition = Value;
    Notify(false);
}

// ---------------------------------------------------------------- style and resources

void TKStatusPanel::SetStyle(TKStatusPanelStyle Value)
{
    if (Value == FStyle)
        return;
    FStyle = Value;
    if (IsLockKeyStyle(Value)) {
        FText = LockKeyText(Value);
        FAutoSize = true;
        SetAlignment(taCenter);
    }
    switch (Value) {
    case psDateTime:
    case psPercent:
    case psProgressPercent:
    case psDBName:
    case psDBState:
    case psDBNameState:
    case psDBRecNum:
    case psDBPercent:
    case psDBProgressRecNum:
    case psDBProgressPercent:
        SetAlignment(taCenter);
        break;
    default:
        break;
    }
    if (Value == psIndeterminate)
        FEnabled = false;
    EnabledChanged();
}

void TKStatusPanel::SetEnabled(bool Value)
{
    if (Value == FEnabled)
        return;
    FEnabled = Value;
    EnabledChanged();
    Notify(false);
}

void TKStatusPanel::EnabledChanged()
{
    TCustomKStatusBar* bar = GetStatusBar();
    if (FEnabled && IsLockKeyStyle(FStyle)) {
        FreeTimer();
        FreeGaugeBitmap();
        AddLockKeyPanel(this);
        if (bar)
            bar->RegisterMainWinHook(this);
    } else {
        if (FEnabled && FStyle == psDateTime) {
            InitTimer(1000);
            FreeGaugeBitmap();
        } else if (FEnabled && FStyle == psIndeterminate) {
            InitTimer(50);
            InitGaugeBitmap();
        } else {
            FreeTimer();
            FreeGaugeBitmap();
        }
        LeaveLockKeyWatch();
        if (!FEnabled && (IsLockKeyStyle(FStyle) || FStyle == psDateTime))
            SetGrayed(true);
    }
    if (!FEnabled) {
        FSweepOffset = 0;
        FSweepStep = FSpeed;
    }
}

void TKStatusPanel::InitTimer(int Interval)
{
    TCustomKStatusBar* bar = GetStatusBar();
    // No clock and no sweep run in the designer.
    if (bar && bar->InState(csDesigning))
        return;
    if (FTimer)
        return;
    FTimer = new TTimer(bar);
    FTimer->SetInterval(Interval);
    FTimer->OnTimer = [this](TObject* Sender) { OnTimer(Sender); };
    FTimer->SetEnabled(true);
}

void TKStatusPanel::FreeTimer()
{
    if (!FTimer)
        return;
    TTimer* t = FTimer;
    FTimer = nullptr;
    t->Free();
}

void TKStatusPanel::OnTimer(TObject*)
{
    if (FStyle == psIndeterminate) {
        FSweepOffset += FSweepStep;
        if (FSweepStep > 0 && FSweepOffset > FWidth) {
            FSweepOffset = FWidth;
            FSweepStep = -FSpeed;
        } else if (FSweepStep < 0 && FSweepOffset < 0) {
            FSweepOffset = 0;
            FSweepStep = FSpeed;
        }
        Notify(false);
    } else if (FStyle == psDateTime) {
        Notify(false);
    }
}

void TKStatusPanel::FreeGaugeBitmap()
{
    // A stopped sweep keeps its bitmap; it goes when the panel leaves the style.
    if (FStyle != psIndeterminate)
        FGaugeBitmap.reset();
}

void TKStatusPanel::UpdateAutoSizeWidth()
{
    TCustomKStatusBar* bar = GetStatusBar();
    if (FAutoSize && bar && bar->HandleAllocated()) {
        int w = bar->Canvas()->TextExtent(FText).cx + 2 + 2 * FBorderWidth + 4;
        if (TCustomImageList* images = bar->Images())
            if (FImageIndex >= 0 && FImageIndex < images->Count())
                w += images->Width();
        SetWidth(w);
    }
    Notify(true);
}

// ---------------------------------------------------------------- Assign

void TKStatusPanel::Assign(TPersistent* Source)
{
    if (auto* p = dynamic_cast<TKStatusPanel*>(Source)) {
        SetAlignment(p->FAlignment);
        SetAutoSize(p->FAutoSize);
        SetBevel(p->FBevel);
        SetBiDiMode(p->FBiDiMode);
        SetBorderWidth(p->FBorderWidth);
        SetPanelColor(p->FColor);
        SetDateTimeFormat(p->FDateTimeFormat);
        SetHint(p->FHint);
        SetEnabled(p->FEnabled);
        SetGrayed(p->FGrayed);
        SetImageIndex(p->FImageIndex);
        // The range is copied whole: through the checked setters a range that does not
        // overlap this panel's would arrive only in part (-5..-1 onto 0..0 gave -5..0).
        if (FMin != p->FMin || FMax != p->FMax || FPosition != p->FPosition) {
            FMin = p->FMin;
            FMax = p->FMax;
            FPosition = p->FPosition;
            Notify(false);
        }
        SetParentBiDiMode(p->FParentBiDiMode);
        SetPopupMenu(p->FPopupMenu);
        SetProgressColor(p->FProgressColor);
        SetSmoothProgress(p->FSmoothProgress);
        SetSpeed(p->FSpeed);
        SetStyle(p->FStyle);
        SetText(p->FText);
        SetTextColor(p->FTextColor);
        SetWidth(p->FWidth);
        OnClick = p->OnClick;
        OnDblClick = p->OnDblClick;
        OnDrawPanel = p->OnDrawPanel;
        OnHintText = p->OnHintText;
        return;
    }
    if (auto* p = dynamic_cast<TStatusPanel*>(Source)) {
        SetText(p->Text());
        SetWidth(p->Width());
        SetAlignment(p->Alignment());
        SetBevel(p->Bevel());
        SetStyle(psNormal);
        return;
    }
    TCollectionItem::Assign(Source);
}

// ---------------------------------------------------------------- TKStatusPanels

TKStatusPanels::TKStatusPanels(TCustomKStatusBar* StatusBar) : FStatusBar(StatusBar) {}

// The panels reach back into this collection and its bar while they go.
TKStatusPanels::~TKStatusPanels() { FreeItems(); }

TCollectionItem* TKStatusPanels::CreateItem() { return new TKStatusPanel(this); }

void TKStatusPanels::Update(TCollectionItem* Item)
{
    if (!FStatusBar)
        return;
    if (Item)
        FStatusBar->UpdatePanel(Item->Index(), false);
    else
        FStatusBar->UpdatePanels(true, false);
}

}  // namespace korin
