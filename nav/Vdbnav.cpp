#include "korin/nav/Vdbnav.h"
#include "korin/capture/DBControls.h"
#include "korin/capture/DefaultControls.h"
#include "korin/nav/Vdbnavbuf.h"
#include "korin/nav/Vdbnavhint.h"

#include <climits>
#include <cstdlib>
#include <utility>

#include "korin/platform/core/Resources.h"
#include "korin/platform/gui/Forms.h"
#include "korin/search/Dbsearch.h"
#include "korin/statusbar/Statbar.h"

namespace korin {

std::string NavGlyphName(TVNavigateBtn Button, TButtonImageSize Size)
{
    return (Size == bis16 ? "DBN_16" : "DBN_") + std::string(BtnTypeName[Button]);
}

// ---- data link -------------------------------------------------------------------------

TVandroNavDataLink::TVandroNavDataLink(TVandroDBNavigator* ANav) : FNavigator(ANav)
{
    SetVisualControl(true);
}

TVandroNavDataLink::~TVandroNavDataLink()
{
    FNavigator = nullptr;
}

void TVandroNavDataLink::ActiveChanged()
{
    if (FNavigator)
        FNavigator->ActiveChanged();
}

void TVandroNavDataLink::DataSetChanged()
{
    if (FNavigator)
        FNavigator->DataSetChanged();
}

void TVandroNavDataLink::DataSetScrolled(int Distance)
{
    TDataLink::DataSetScrolled(Distance);
    if (FNavigator)
        FNavigator->DataSetScrolled();
}

void TVandroNavDataLink::EditingChanged()
{
    if (FNavigator)
        FNavigator->EditingChanged();
}

// ---- construction and destruction ----------------------------------------------------

TVandroDBNavigator::TVandroDBNavigator(TComponent* AOwner, bool ASetupMode)
    : TCustomPanel(AOwner), FSetupMode(ASetupMode)
{
    // A refused navigator throws before it owns anything: only the panel base, which its
    // own destructor takes apart again, has been built.
    if (!Is<TForm>(AOwner))
        throw EVandroDBNavError("Owner must be a TForm!");
    if (IsAnyPreviousInstance(AOwner))
        throw EVandroDBNavError("Only ONE instance may be placed on a Form!");

    SetVisible(true);
    SetCaption("");
    SetWidth(320);
    SetHeight(20);
    SetParent(As<TWinControl>(AOwner));

    // The search engine; its wildcards are process-wide: "*" for any run, "%" for one
    // character.
    FFindOptions.reset(new TCustomdbSearch(nullptr));
    FFindOptions->SetMultiCharPattern("*");
    FFindOptions->SetSingleCharPattern('%');
    FDBControls = new TDBControlsList(this);
    FDefaultControls = new TDefaultControlList(this);
    FCopyBuffer = std::make_unique<TRecordBuffer>();
    FDittoBuffer = std::make_unique<TRecordBuffer>();

    MultiRowShortCuts = DefaultShortCuts;
    SingleRowShortCuts = DefaultSShortCuts;

    FAutoRepeatTimer = new TTimer(this);
    FDropDownTimer = new TTimer(this);
    FAutoRepeatTimer->SetEnabled(false);
    FDropDownTimer->SetEnabled(false);
    FDropDownTimer->SetInterval(400);
    FAutoRepeatTimer->SetInterval(200);
    FAutoRepeatTimer->OnTimer = [this](TObject* Sender) { AutoRepeatTimerExpired(Sender); };
    FDropDownTimer->OnTimer = [this](TObject* Sender) { DropDownTimerExpired(Sender); };

    FDataLink = std::make_unique<TVandroNavDataLink>(this);
    LinkFetchProgress(true);
    FHintWindow = new TCustomHintWindow(this);

    InitButtons();

    if (!InState(csDesigning) && !FSetupMode)
        HookSession();
    SetCaption("");
}

TVandroDBNavigator::~TVandroDBNavigator()
{
    // Free() has taken the navigator apart already; a navigator deleted directly gets
    // this class's own releases here.
    BeforeDestruction();
    ReleaseFetchProgress(nullptr);
    LinkFetchProgress(false);
    FButtonsCreated = false;
    if (FAutoRepeatTimer) {
        TTimer* t = std::exchange(FAutoRepeatTimer, nullptr);
        t->Free();
    }
    FFindOptions.reset();
    FDataLink.reset();
    // The default controls go first; freeing the registry gives every captured control
    // back its window procedure route and handlers, last captured first.
    delete std::exchange(FDefaultControls, nullptr);
    delete std::exchange(FDBControls, nullptr);
    CurrentControl = nullptr;
    CurrentField = nullptr;
    FCopyBuffer.reset();
    FDittoBuffer.reset();
    // The buttons and the drop-down timer go with the owned components.
}

void TVandroDBNavigator::BeforeDestruction()
{
    if (!InState(csDestroying)) {
        AttachStatusBar(nullptr);
        UnhookSession();
        ApplyQuery(nqaRelease);
        ApplyFilter(nfaRelease);
        // No dataset may call a navigator that is gone: the followed server dataset gets
        // its own fetch-progress handler back.
        ReleaseFetchProgress(nullptr);
    }
    TCustomPanel::BeforeDestruction();
}

bool TVandroDBNavigator::IsAnyPreviousInstance(TComponent* AOwner) const
{
    if (!AOwner)
        return false;
    for (int i = 0; i < AOwner->ComponentCount(); ++i) {
        TComponent* c = AOwner->Components(i);
        if (c != this && Is<TVandroDBNavigator>(c))
            return true;
    }
    return false;
}

void TVandroDBNavigator::InitButtons()
{
    int y = 0;
    for (TVNavigateBtn b : AllNavButtons()) {
        auto* btn = new TVNavButton(this);
        btn->SetFlat(FFlatButtons);
        btn->SetColor(FButtonsColor);
        btn->SetIndex(b);
        btn->SetVisible(FVisibleButtons.Contains(b));
        btn->SetEnabled(true);
        btn->SetBounds(0, y, FMinBtnSize.x, FMinBtnSize.y);
        y += FMinBtnSize.y;
        btn->OnClick = [this](TObject* Sender) { ClickHandler(Sender); };
        btn->OnMouseDown = [this](TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y) {
            BtnMouseDown(Sender, Button, Shift, X, Y);
        };
        btn->OnMouseUp = [this](TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y) {
            BtnMouseUp(Sender, Button, Shift, X, Y);
        };
        btn->SetParent(this);
        if (FSetupMode) {
            btn->SetGroupIndex(1);
        } else if (b == vnbQuery || b == vnbIncrementalSearch || b == vnbFilter) {
            btn->SetGroupIndex(b == vnbQuery ? 3 : b == vnbIncrementalSearch ? 1 : 2);
            btn->SetAllowAllUp(true);
        }
        FButtons[b] = btn;
    }
    FButtonsCreated = true;
    LoadButtonImages();
    InitHints();
    for (TVNavigateBtn b : {vnbPrior, vnbNext, vnbNextPage, vnbPriorPage})
        FButtons[b]->SetNavStyle(FButtons[b]->NavStyle() | nsAllowTimer);
}

void TVandroDBNavigator::LoadButtonImages()
{
    if (!FButtonsCreated)
        return;
    for (TVNavigateBtn b : AllNavButtons()) {
        TVNavButton* btn = FButtons[b];
        btn->Glyph().LoadFromResourceName(NavGlyphName(b, FButtonImageSize));
        btn->SetNumGlyphs(2);
        btn->Invalidate();
    }
}

// ---- lifecycle -------------------------------------------------------------------------

void TVandroDBNavigator::Loaded()
{
    TCustomPanel::Loaded();
    if (!InState(csDesigning) && !FSetupMode)
        LoadDBControls();
    SetCaption("");
    int w = Width(), h = Height();
    AdjustSize_N(w, h);
}

void TVandroDBNavigator::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomPanel::Notification(AComponent, Operation);
    if (Operation != opRemove || !AComponent)
        return;
    FKindCache = TControlKind();
    QueryNotification(AComponent);
    if (AComponent == static_cast<TComponent*>(FFetchProgressDataSet)) {
        FFetchProgressDataSet = nullptr;
        FSavedFetchProgress = nullptr;
    }
    if (AComponent == CurrentControl) {
        CurrentControl = nullptr;
        CurrentField = nullptr;
    }
    if (auto* source = As<TDataSource>(AComponent)) {
        if (FDefaultControls)
            FDefaultControls->RemoveDataSource(source);
        return;
    }
    // The attached bar goes, however it was freed.
    if (FStatusBar && AComponent == static_cast<TComponent*>(FStatusBar))
        AttachStatusBar(nullptr);
    auto* control = As<TWinControl>(AComponent);
    if (!control) {
        // Deleted without Free(): only its TComponent part is left, and with the rest of
        // it its window procedure route went too. Its link is dropped untouched.
        if (FDBControls)
            FDBControls->ForgetDBControl(AComponent);
        if (FDefaultControls)
            FDefaultControls->RemoveComponent(AComponent);
        return;
    }
    if (FDBControls)
        FDBControls->RemoveDBControl(control);
    if (FDefaultControls)
        FDefaultControls->RemoveControl(control);
    if (IsStatusBar(control))
        AttachStatusBar(nullptr);
}

void TVandroDBNavigator::ReInitialize()
{
    LoadDBControls();
}

// ---- properties ------------------------------------------------------------------------

TDataSource* TVandroDBNavigator::FGetDataSource() const
{
    return FDataLink ? FDataLink->DataSource() : nullptr;
}

void TVandroDBNavigator::FSetDataSource(TDataSource* Value)
{
    if (FDataLink)
        FDataLink->SetDataSourceFor(this, Value);
}

int TVandroDBNavigator::FGetPageRows() const
{
    if (InState(csDesigning))
        return FPageRows;
    // A multi-row current control pages by the rows it shows.
    int n = GetDBControlEntity(CurrentControl) == oeSingleRow ? FPageRows : GetControlRowCount(CurrentControl);
    return n > 1 ? n - 1 : n;
}

void TVandroDBNavigator::SetPageRows(int Value)
{
    // The size of a negative value; the one negative int without a positive counterpart
    // (a form file may hold it) becomes the largest page there is.
    FPageRows = Value == INT_MIN ? INT_MAX : std::abs(Value);
}

void TVandroDBNavigator::SetFlatButtons(bool Value)
{
    FFlatButtons = Value;
    if (FButtonsCreated)
        for (TVNavigateBtn b : AllNavButtons())
            FButtons[b]->SetFlat(Value);
    Repaint();
}

void TVandroDBNavigator::SetButtonsColor(TColor Value)
{
    if (Value == FButtonsColor)
        return;
    FButtonsColor = Value;
    if (FButtonsCreated)
        for (TVNavigateBtn b : AllNavButtons())
            FButtons[b]->SetColor(Value);
    SetColor(Value);
    Repaint();
}

void TVandroDBNavigator::CreateWindowHandle(const TCreateParams& Params)
{
    SetCaption("");
    TCustomPanel::CreateWindowHandle(Params);
    SetCaption("");
    if (FVertical && Height() < Width())
        SetBounds(Left(), Top(), Height(), Width());
}

// ---- layout ----------------------------------------------------------------------------

void TVandroDBNavigator::AdjustSize_N(int& W, int& H)
{
    if (InState(csLoading))
        return;
    if (FVertical)
        VertAdjustSize(W, H);
    else
        HorzAdjustSize(W, H);
}

// The visible buttons share the width equally. A free-standing navigator shrinks to a
// whole multiple of the button width; a docked one keeps its width and the remaining
// pixels go one each to buttons spread evenly along the row (an error accumulator that
// starts at half the count).
void TVandroDBNavigator::HorzAdjustSize(int& W, int& H)
{
    if (!FButtonsCreated)
        return;
    int count = 0;
    for (TVNavigateBtn b : AllNavButtons())
        if (FButtons[b]->Visible())
            ++count;
    if (count == 0)
        count = 1;
    W = std::max(W, count * FMinBtnSize.x);
    H = std::max(H, FMinBtnSize.y);
    FButtonWidth = W / count;
    if (Align() == alNone)
        W = count * FButtonWidth;
    int remain = W - count * FButtonWidth;
    int temp = count / 2;
    int x = 0;
    for (TVNavigateBtn b : AllNavButtons()) {
        TVNavButton* btn = FButtons[b];
        if (btn->Visible()) {
            int space = 0;
            if (remain != 0) {
                temp -= remain;
                if (temp < 0) {
                    temp += count;
                    space = 1;
                }
            }
            btn->SetBounds(x, 0, FButtonWidth + space, Height());
            x += FButtonWidth + space;
        } else {
            // Parked just outside the right edge.
            btn->SetBounds(Width() + 1, 0, FButtonWidth, Height());
        }
    }
}

void TVandroDBNavigator::VertAdjustSize(int& W, int& H)
{
    if (!FButtonsCreated)
        return;
    int count = 0;
    for (TVNavigateBtn b : AllNavButtons())
        if (FButtons[b]->Visible())
            ++count;
    if (count == 0)
        count = 1;
    H = std::max(H, count * FMinBtnSize.y);
    W = std::max(W, FMinBtnSize.x);
    FButtonHeight = H / count;
    if (Align() == alNone)
        H = count * FButtonHeight;
    int remain = H - count * FButtonHeight;
    int temp = count / 2;
    int y = 0;
    for (TVNavigateBtn b : AllNavButtons()) {
        TVNavButton* btn = FButtons[b];
        if (btn->Visible()) {
            int space = 0;
            if (remain != 0) {
                temp -= remain;
                if (temp < 0) {
                    temp += count;
                    space = 1;
                }
            }
            btn->SetBounds(0, y, Width(), FButtonHeight + space);
            y += FButtonHeight + space;
        } else {
            // Parked just below the bottom edge.
            btn->SetBounds(0, Height() + 1, FButtonWidth, Height());
        }
    }
}

void TVandroDBNavigator::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    int w = AWidth, h = AHeight;
    AdjustSize_N(w, h);
    TCustomPanel::SetBounds(ALeft, ATop, w, h);
}

void TVandroDBNavigator::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_SIZE:
        WMSize(Message);
        return;
    case WM_SETFOCUS:
        WMSetFocus(Message);
        return;
    case WM_KILLFOCUS:
        WMKillFocus(Message);
        return;
    default:
        TCustomPanel::WndProc(Message);
    }
}

void TVandroDBNavigator::WMSize(TMessage& Message)
{
    TCustomPanel::WndProc(Message);
    int w = Width(), h = Height();
    AdjustSize_N(w, h);
    if (w != Width() || h != Height())
        TCustomPanel::SetBounds(Left(), Top(), w, h);
    Message.Result = 0;
}

void TVandroDBNavigator::SetVisible(TVButtonSet Value)
{
    FVisibleButtons = Value;
    FVisibleCount = 0;
    if (FButtonsCreated) {
        for (TVNavigateBtn b : AllNavButtons()) {
            FButtons[b]->SetVisible(Value.Contains(b));
            if (FButtons[b]->Visible())
                ++FVisibleCount;
        }
    }
    int w = Width(), h = Height();
    AdjustSize_N(w, h);
    if (w != Width() || h != Height())
        TCustomPanel::SetBounds(Left(), Top(), w, h);
    Repaint();
}

void TVandroDBNavigator::SetButtonImageSize(TButtonImageSize Value)
{
    if (Value == FButtonImageSize)
        return;
    FButtonImageSize = Value;
    FMinBtnSize = Value == bis10 ? TPoint{10, 10} : TPoint{16, 16};
    SetBounds(Left(), Top(), Width(), Height());
    LoadButtonImages();
}

void TVandroDBNavigator::SetVertical(bool Value)
{
    FVertical = Value;
    int w = Width(), h = Height();
    // Only the switch to a column turns a wide navigator upright. Switching back keeps
    // the size and lays a row out in it: the navigator does not remember the width its
    // row had, and a form that set both sizes itself must not see them swapped.
    if (Value && w > h)
        std::swap(w, h);
    SetWidth(w);
    SetHeight(h);
    AdjustSize_N(w, h);
}

void TVandroDBNavigator::AdjustLeftTop(TWinControl* Control)
{
    if (!Control || !Parent())
        return;
    TPoint o = Parent()->ClientOrigin();
    if (!FVertical) {
        Control->SetWidth(Width());
        if (o.y + Parent()->Height() < Control->Top() + Control->Height())
            Control->SetTop(Control->Top() - (Control->Top() + Control->Height() - o.y - Parent()->Height()));
    } else {
        Control->SetLeft(Control->Left() + Width() + 5);
        if (o.x + Parent()->Width() < Control->Left() + Control->Width())
            Control->SetLeft(Control->Left() - Width() - 5 - Control->Width());
        Control->SetTop(Control->Top() + FButtons[vnbFilter]->Top());
    }
}

// ---- buttons ---------------------------------------------------------------------------

void TVandroDBNavigator::ClickHandler(TObject* Sender)
{
    if (OnClickNavigatorButton)
        OnClickNavigatorButton(this, FFocusedButton);
    Navigate(FFocusedButton);
}

void TVandroDBNavigator::BtnMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button != mbLeft)
        return;
    auto* btn = As<TVNavButton>(Sender);
    if (!btn)
        return;
    TVNavigateBtn old = FFocusedButton;
    FFocusedButton = btn->Index();
    if (FFocusedButton == vnbPrior || FFocusedButton == vnbNext)
        FAutoRepeatTimer->SetEnabled(true);
    if (FFocusedButton == vnbFilter || FFocusedButton == vnbQuery)
        FDropDownTimer->SetEnabled(true);
    if (TabStop()) {
        if (!Focused() && CanFocus()) {
            SetFocus();
        } else if (Focused() && old != FFocusedButton) {
            FButtons[old]->Repaint();
            FButtons[FFocusedButton]->Repaint();
        }
    }
}

void TVandroDBNavigator::BtnMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)
{
    FAutoRepeatTimer->SetEnabled(false);
    FDropDownTimer->SetEnabled(false);
}

void TVandroDBNavigator::AutoRepeatTimerExpired(TObject* Sender)
{
    Navigate(FFocusedButton);
}

void TVandroDBNavigator::DropDownTimerExpired(TObject* Sender)
{
    // Stopped before the action: the action opens a modal dialog, whose loop would
    // otherwise let the timer fire again and open a second one, since the release that
    // normally stops the timer may never reach the button.
    FDropDownTimer->SetEnabled(false);
    if (FFocusedButton == vnbFilter)
        ApplyFilter(nfaModify);
    else if (FFocusedButton == vnbQuery && DataSource())
        ApplyQuery(nqaModify);
}

void TVandroDBNavigator::RepaintFocusedButton()
{
    if (FButtonsCreated)
        FButtons[FFocusedButton]->Repaint();
}

void TVandroDBNavigator::WMSetFocus(TMessage& Message)
{
    TCustomPanel::WndProc(Message);
    RepaintFocusedButton();
}

void TVandroDBNavigator::WMKillFocus(TMessage& Message)
{
    TCustomPanel::WndProc(Message);
    RepaintFocusedButton();
}

// ---- data-link notifications ------------------------------------------------------------

void TVandroDBNavigator::ActiveChanged()
{
    AdjustButtonStates();
}

void TVandroDBNavigator::DataSetChanged()
{
    AdjustButtonStates();
    SB_DSChanged();
}

void TVandroDBNavigator::EditingChanged()
{
    AdjustButtonStates();
    SB_DSChanged();
}

void TVandroDBNavigator::DataSetScrolled()
{
    AdjustButtonStates();
}

}  // namespace korin
