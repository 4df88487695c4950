// The status bar control: the status window wrapped and owner-drawn, the two-phase
// refresh of its parts, simple mode, clicks, menus and hints, fonts and colours, and
// right-to-left layout.
#include "korin/platform/gui/Forms.h"
#include "korin/statusbar/Statbar.h"

namespace korin {

// ---------------------------------------------------------------- construction

TCustomKStatusBar::TCustomKStatusBar(TComponent* AOwner) : TStatusWindow(AOwner)
{
    FPanels = std::make_unique<TKStatusPanels>(this);
    FCanvas = std::make_unique<TCanvas>();
    FImageChangeLink = std::make_unique<TChangeLink>();
    FImageChangeLink->OnChange = [this](TObject* s) { ImageListChange(s); };
    FDisabledImageChangeLink = std::make_unique<TChangeLink>();
    FDisabledImageChangeLink->OnChange = [this](TObject* s) { ImageListChange(s); };
    SetControlStyle(csAcceptsControls | csCaptureMouse | csClickEvents | csOpaque | csDoubleClicks);
    SetColor(clBtnFace);
    SetHeight(19);
    SetAlign(alBottom);
    SetParentFont(false);
    FSizeGrip = true;
    FUseSystemFont = true;
    SyncToSystemFont();
}

TCustomKStatusBar::~TCustomKStatusBar()
{
    BeforeDestruction();
    if (FImages)
        FImages->UnRegisterChanges(FImageChangeLink.get());
    if (FDisabledImages)
        FDisabledImages->UnRegisterChanges(FDisabledImageChangeLink.get());
    // The panels leave the lock-key lists and free their timers as they go.
    FPanels.reset();
    FMainWinPanels.clear();
    if (FMainWinHook) {
        Application->UnhookMainWindow(FMainWinHook);
        FMainWinHook = 0;
    }
}

void TCustomKStatusBar::CreateParams(TCreateParams& Params)
{
    InitCommonControls(ICC_BAR_CLASSES);
    TStatusWindow::CreateParams(Params);
    auto* form = dynamic_cast<TCustomForm*>(Parent());
    if (FSizeGrip && form && (form->BorderStyle() == bsSizeable || form->BorderStyle() == bsSizeToolWin))
        Params.Style |= SBARS_SIZEGRIP;
    else
        Params.Style |= CCS_TOP;
    Params.WindowClassStyle &= ~CS_HREDRAW;
}

void TCustomKStatusBar::CreateWnd()
{
    TStatusWindow::CreateWnd();
    Perform(SB_SETBKCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Color())));
    UpdatePanels(true, false);
    if (!FSimpleText.empty())
        UpdateSimpleText();
    if (FSimplePanel)
        Perform(SB_SIMPLE, 1, 0);
}

void TCustomKStatusBar::Loaded()
{
    TStatusWindow::Loaded();
    if (HandleAllocated())
        UpdatePanels(true, false);
}

// ---------------------------------------------------------------- refresh protocol

void TCustomKStatusBar::UpdatePanel(int Index, bool Repaint)
{
    if (!HandleAllocated() || Index < 0 || Index >= FPanels->Count())
        return;
    TKStatusPanel* panel = FPanels->GetItem(Index);
    if (!Repaint) {
        panel->FUpdateNeeded = true;
        TRect r;
        if (Perform(SB_GETRECT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&r)))
            InvalidateRect(Handle(), &r, true);
        return;
    }
    if (!panel->FUpdateNeeded)
        return;
    panel->FUpdateNeeded = false;
    std::uint32_t flags = 0;
    if (panel->Bevel() == pbNone)
        flags = SBT_NOBORDERS;
    else if (panel->Bevel() == pbRaised)
        flags = SBT_POPOUT;
    if (panel->UseRightToLeftReading())
        flags |= SBT_RTLREADING;
    flags |= SBT_OWNERDRAW;
    std::string s = panel->Text();
    if (panel->UseRightToLeftAlignment())
        DoRightToLeftAlignment(s, panel->Alignment(), true);
    else if (panel->Alignment() == taCenter)
        s.insert(0, "\t");
    else if (panel->Alignment() == taRightJustify)
        s.insert(0, "\t\t");
    Perform(SB_SETTEXT, static_cast<WPARAM>(Index) | flags, reinterpret_cast<LPARAM>(s.c_str()));
}

void TCustomKStatusBar::UpdatePanels(bool UpdateRects, bool UpdateText)
{
    if (!HandleAllocated())
        return;
    int count = FPanels->Count();
    if (UpdateRects) {
        if (count > 128)
            count = 128;
        if (count == 0) {
            int edge = -1;
            Perform(SB_SETPARTS, 1, reinterpret_cast<LPARAM>(&edge));
            Perform(SB_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
        } else {
            std::vector<int> edges(static_cast<size_t>(count));
            int sum = 0;
            for (int i = 0; i < count - 1; ++i) {
                sum += FPanels->GetItem(i)->Width();
                edges[static_cast<size_t>(i)] = sum;
            }
            edges.back() = -1;
            Perform(SB_SETPARTS, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(edges.data()));
        }
    }
    for (int i = 0; i < count; ++i)
        UpdatePanel(i, UpdateText);
}

void TCustomKStatusBar::WMPaint(TMessage& Message)
{
    UpdatePanels(false, true);
    TStatusWindow::WndProc(Message);
}

void TCustomKStatusBar::CNDrawItem(TMessage& Message)
{
    auto* dis = reinterpret_cast<TDrawItemStruct*>(Message.LParam);
    HDC dc = dis->hDC;
    int saved = korin::SaveDC(dc);
    FCanvas->Lock();
    try {
        FCanvas->SetHandle(dc);
        FCanvas->Font().Assign(Font());
        FCanvas->Brush().SetColor(Color());
        FCanvas->Brush().SetStyle(bsSolid);
        int index = static_cast<int>(dis->ItemID);
        if (index >= 0 && index < FPanels->Count())
            DrawPanel(FPanels->GetItem(index), dis->rcItem);
    } catch (...) {
        FCanvas->SetHandle(nullptr);
        FCanvas->Unlock();
        korin::RestoreDC(dc, saved);
        throw;
    }
    FCanvas->SetHandle(nullptr);
    FCanvas->Unlock();
    korin::RestoreDC(dc, saved);
    Message.Result = 1;
}

void TCustomKStatusBar::DrawPanel(TKStatusPanel* Panel, const TRect& Rect) { Panel->DrawPanel(Rect); }

// ---------------------------------------------------------------- simple mode

void TCustomKStatusBar::SetSimplePanel(bool Value)
{
    if (Value == FSimplePanel)
        return;
    FSimplePanel = Value;
    if (HandleAllocated())
        Perform(SB_SIMPLE, Value ? 1 : 0, 0);
}

void TCustomKStatusBar::SetSimpleText(const std::string& Value)
{
    if (Value == FSimpleText)
        return;
    FSimpleText = Value;
    UpdateSimpleText();
}

void TCustomKStatusBar::UpdateSimpleText()
{
    std::string s = FSimpleText;
    DoRightToLeftAlignment(s, taLeftJustify, UseRightToLeftAlignment());
    if (HandleAllocated())
        Perform(SB_SETTEXT, SB_SIMPLEID | (UseRightToLeftReading() ? SBT_RTLREADING : 0),
                reinterpret_cast<LPARAM>(s.c_str()));
}

void TCustomKStatusBar::DoRightToLeftAlignment(std::string& S, TAlignment AAlignment, bool ARTLAlignment) const
{
    if (ARTLAlignment) {
        if (AAlignment == taLeftJustify)
            AAlignment = taRightJustify;
        else if (AAlignment == taRightJustify)
            AAlignment = taLeftJustify;
    }
    if (AAlignment == taRightJustify)
        S.insert(0, "\t\t");
    else if (AAlignment == taCenter)
        S.insert(0, "\t");
}

// ---------------------------------------------------------------- mouse, clicks, menus

TKStatusPanel* TCustomKStatusBar::FindPanelAtPos(TPoint P)
{
    for (int i = 0; i < FPanels->Count(); ++i) {
        TRect r;
        if (Perform(SB_GETRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r)) && PtInRect(r, P))
            return FPanels->GetItem(i);
    }
    return nullptr;
}

void TCustomKStatusBar::Click()
{
    if (FHitPanel && FHitPanel->OnClick)
        FHitPanel->OnClick(FHitPanel);
    else if (OnClick)
        OnClick(this);
}

void TCustomKStatusBar::DblClick()
{
    if (FHitPanel && FHitPanel->OnDblClick)
        FHitPanel->OnDblClick(FHitPanel);
    else if (OnDblClick)
        OnDblClick(this);
}

TPopupMenu* TCustomKStatusBar::GetPopupMenu()
{
    if (FHitPanel && FHitPanel->PopupMenu()) {
        FHitPanel->PopupMenu()->SetBiDiMode(FHitPanel->BiDiMode());
        return FHitPanel->PopupMenu();
    }
    return FPopupMenu;
}

void TCustomKStatusBar::SetPopupMenu(TPopupMenu* Value)
{
    FPopupMenu = Value;
    if (Value)
        Value->FreeNotification(this);
}

// A right-button release shows the context menu, as the window system's context-menu
// request would: OnContextPopup may handle it first.
void TCustomKStatusBar::ContextPopup(TMessage& Message)
{
    TPoint local = Point(GetXParam(Message.LParam), GetYParam(Message.LParam));
    bool handled = false;
    if (OnContextPopup)
        OnContextPopup(this, local, handled);
    if (handled)
        return;
    TPopupMenu* menu = GetPopupMenu();
    if (menu && menu->AutoPopup()) {
        TPoint p = ClientToScreen(local);
        menu->SetPopupComponent(this);
        menu->Popup(p.x, p.y);
    }
}

// ---------------------------------------------------------------- hints and actions

void TCustomKStatusBar::CMHintShow(TMessage& Message)
{
    TStatusWindow::WndProc(Message);
    auto* info = reinterpret_cast<THintInfo*>(Message.LParam);
    if (!info)
        return;
    if (FHitPanel && !FHitPanel->Hint().empty())
        info->HintStr = FHitPanel->Hint();
    else
        info->HintStr = Hint();
}

bool TCustomKStatusBar::DoHint()
{
    if (OnHint) {
        OnHint(this);
        return true;
    }
    return false;
}

bool TCustomKStatusBar::ExecuteAction(TBasicAction* Action)
{
    auto* hint = dynamic_cast<THintAction*>(Action);
    if (FAutoHint && hint && !DoHint()) {
        if (FSimplePanel || FPanels->Count() == 0)
            SetSimpleText(hint->Hint());
        else
            FPanels->GetItem(0)->SetText(hint->Hint());
        return true;
    }
    return false;
}

// ---------------------------------------------------------------- fonts, colours, size

void TCustomKStatusBar::SyncToSystemFont()
{
    if (FUseSystemFont)
        Font().Assign(Screen->HintFont());
}

void TCustomKStatusBar::SetUseSystemFont(bool Value)
{
    if (Value == FUseSystemFont)
        return;
    FUseSystemFont = Value;
    if (Value) {
        if (ParentFont())
            SetParentFont(false);
        SyncToSystemFont();
    }
}

bool TCustomKStatusBar::IsFontStored() const { return !FUseSystemFont && !ParentFont(); }

void TCustomKStatusBar::SetSizeGrip(bool Value)
{
    if (Value == FSizeGrip)
        return;
    FSizeGrip = Value;
    RecreateWnd();
}

void TCustomKStatusBar::Resize()
{
    if (OnResize)
        OnResize(this);
}

void TCustomKStatusBar::SetImages(TCustomImageList* Value)
{
    if (FImages)
        FImages->UnRegisterChanges(FImageChangeLink.get());
    FImages = Value;
    if (FImages) {
        FImages->RegisterChanges(FImageChangeLink.get());
        FImages->FreeNotification(this);
    }
    Invalidate();
}

void TCustomKStatusBar::SetDisabledImages(TCustomImageList* Value)
{
    if (FDisabledImages)
        FDisabledImages->UnRegisterChanges(FDisabledImageChangeLink.get());
    FDisabledImages = Value;
    if (FDisabledImages) {
        FDisabledImages->RegisterChanges(FDisabledImageChangeLink.get());
        FDisabledImages->FreeNotification(this);
    }
    Invalidate();
}

void TCustomKStatusBar::ImageListChange(TObject*) { Invalidate(); }

void TCustomKStatusBar::Notification(TComponent* AComponent, TOperation Operation)
{
    TStatusWindow::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    if (AComponent == FImages)
        SetImages(nullptr);
    if (AComponent == FDisabledImages)
        SetDisabledImages(nullptr);
    if (auto* menu = dynamic_cast<TPopupMenu*>(AComponent)) {
        if (menu == FPopupMenu)
            FPopupMenu = nullptr;
        if (FPanels)
            for (int i = 0; i < FPanels->Count(); ++i)
                if (FPanels->GetItem(i)->PopupMenu() == menu)
                    FPanels->GetItem(i)->SetPopupMenu(nullptr);
    }
}

// ---------------------------------------------------------------- right-to-left layout

void TCustomKStatusBar::CMBiDiModeChanged(TMessage& Message)
{
    TStatusWindow::WndProc(Message);
    if (!HandleAllocated())
        return;
    if (FSimplePanel) {
        UpdateSimpleText();
        return;
    }
    for (int i = 0; i < FPanels->Count(); ++i)
        if (FPanels->GetItem(i)->ParentBiDiMode())
            FPanels->GetItem(i)->ParentBiDiModeChanged();
    UpdatePanels(true, true);
}

void TCustomKStatusBar::FlipChildren(bool)
{
    int count = FPanels->Count();
    if (!HandleAllocated() || FSimplePanel || count == 0)
        return;
    int lastWidth = ClientWidth();
    for (int i = 0; i < count - 1; ++i)
        lastWidth -= FPanels->GetItem(i)->Width();
    int firstWidth = FPanels->GetItem(0)->Width();
    {
        TKStatusPanels temp(this);
        for (int i = 0; i < count; ++i)
            temp.Add()->Assign(FPanels->GetItem(i));
        for (int i = 0; i < count; ++i)
            FPanels->GetItem(i)->Assign(temp.GetItem(count - 1 - i));
    }
    if (count > 1) {
        FPanels->GetItem(count - 1)->SetWidth(firstWidth);
        FPanels->GetItem(0)->SetWidth(lastWidth);
    }
    UpdatePanels(true, true);
}

// ---------------------------------------------------------------- messages

void TCustomKStatusBar::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        FHitPanel = FindPanelAtPos(Point(GetXParam(Message.LParam), GetYParam(Message.LParam)));
        break;
    case WM_MOUSEMOVE:
        if (ShowHint()) {
            TKStatusPanel* hit = FindPanelAtPos(Point(GetXParam(Message.LParam), GetYParam(Message.LParam)));
            if (hit != FHitPanel)
                Application->CancelHint();
            FHitPanel = hit;
        }
        break;
    case WM_RBUTTONUP:
        TStatusWindow::WndProc(Message);
        ContextPopup(Message);
        return;
    case WM_PAINT:
        WMPaint(Message);
        return;
    case CN_DRAWITEM:
        CNDrawItem(Message);
        return;
    case WM_GETTEXTLENGTH:
        Message.Result = static_cast<LRESULT>(FSimpleText.size());
        return;
    case WM_SIZE:
        if (!InState(csLoading))
            Resize();
        Repaint();
        return;
    case WM_REFRESHLOCKINDICATORS:
        for (int i = 0; i < FPanels->Count(); ++i) {
            TKStatusPanel* p = FPanels->GetItem(i);
            if (p->Style() >= psCapsLock && p->Style() <= psScrollLock)
                p->Notify(false);
        }
        return;
    case CM_HINTSHOW:
        CMHintShow(Message);
        return;
    case CM_BIDIMODECHANGED:
        CMBiDiModeChanged(Message);
        return;
    case CM_COLORCHANGED:
    case CM_SYSCOLORCHANGE:
        TStatusWindow::WndProc(Message);
        RecreateWnd();
        return;
    case CM_PARENTFONTCHANGED:
        TStatusWindow::WndProc(Message);
        if (FUseSystemFont && ParentFont())
            FUseSystemFont = false;
        return;
    case CM_SYSFONTCHANGED:
        TStatusWindow::WndProc(Message);
        SyncToSystemFont();
        return;
    case CM_WININICHANGE:
        TStatusWindow::WndProc(Message);
        if (Message.WParam == 0 || Message.WParam == 42)
            SyncToSystemFont();
        return;
    default:
        break;
    }
    TStatusWindow::WndProc(Message);
}

}  // namespace korin
