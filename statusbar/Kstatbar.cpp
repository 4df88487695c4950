#include "korin/statusbar/Kstatbar.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

#include "korin/platform/gui/Forms.h"

namespace korin::kstatbar {

namespace {

// Every existing bar, so that a session starting later registers all of them.
std::vector<TKCustomStatusBar*>& Bars()
{
    static std::vector<TKCustomStatusBar*> bars;
    return bars;
}

void RegisterInitProcOnce()
{
    static bool done = false;
    if (!done) {
        done = true;
        RegisterBDEInitProc([](TSession* Session) { InitBDEProc(Session); });
    }
}

TComponent* CheckOwner(TComponent* AOwner)
{
    if (AOwner && !dynamic_cast<TCustomForm*>(AOwner))
        throw Exception("TKStatusBar: Owner must be a form!");
    return AOwner;
}

// The decimal number at the start of Text after leading blanks, the whole rest being
// digits; false for anything else.
bool ParseInteger(const std::string& Text, int& Value)
{
    size_t i = 0;
    while (i < Text.size() && Text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < Text.size() && (Text[i] == '-' || Text[i] == '+'))
        negative = Text[i++] == '-';
    if (i == Text.size())
        return false;
    long long v = 0;
    for (; i < Text.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(Text[i])))
            return false;
        v = v * 10 + (Text[i] - '0');
        if (v > 2147483648LL)
            return false;
    }
    v = negative ? -v : v;
    if (v > 2147483647LL)
        return false;
    Value = static_cast<int>(v);
    return true;
}

}  // namespace

// --- the event record ---

std::string TStatusBarEventStruct::DataSetName() const
{
    size_t length = std::min<size_t>(DataSet.Name[0], 20);
    return std::string(reinterpret_cast<const char*>(DataSet.Name + 1), length);
}

void TStatusBarEventStruct::SetDataSetName(const std::string& Value)
{
    size_t length = std::min<size_t>(Value.size(), 20);
    std::memset(DataSet.Name, 0, sizeof DataSet.Name);
    DataSet.Name[0] = static_cast<std::uint8_t>(length);
    std::memcpy(DataSet.Name + 1, Value.data(), length);
}

std::string DSSToStr(TDataSetState State)
{
    switch (State) {
    case dsBrowse: return "Browse";
    case dsEdit: return "Edit";
    case dsInsert: return "Insert";
    case dsFilter: return "Filter";
    default: return "Inactive";
    }
}

// --- the visual panel ---

TKVisualStatusPanel::TKVisualStatusPanel(TComponent* AOwner) : TCustomPanel(AOwner)
{
    SetBevelInner(bvLowered);
    SetBevelOuter(bvNone);
    SetWidth(60);
}

TKVisualStatusPanel::~TKVisualStatusPanel()
{
    FreeProgressBar();
    FreeAnimate();
}

void TKVisualStatusPanel::CreateParams(TCreateParams& Params)
{
    TCustomPanel::CreateParams(Params);
    if (Parent()) {
        Params.Height = Parent()->Height();
        Params.Y = 0;
    }
}

void TKVisualStatusPanel::CreateHandle()
{
    TCustomPanel::CreateHandle();
    if (!dynamic_cast<TKCustomStatusBar*>(Parent()))
        throw Exception("Parent must be TKCustomStatusBar!");
}

void TKVisualStatusPanel::SetKind(TKPanelType Value)
{
    if (Value == FKind)
        return;
    FKind = Value;
    FreeProgressBar();
    FreeAnimate();
    if (FKind == kptDBProgress) {
        CreateAnimate();
        CreateProgressBar();
    }
}

void TKVisualStatusPanel::CreateAnimate()
{
    if (FAnimate)
        return;
    FBusy = true;
    FAnimate = new TAnimate(this);
    FAnimate->SetVisible(false);
    InsertControl(FAnimate);
    try {
        FAnimate->SetResHandle(0);
        FAnimate->SetResName("FLYAVI");
    } catch (const Exception&) {
        if (!InState(csDesigning))
            ShowMessage("Can't load AVI");
    }
    FAnimate->SetAutoSize(false);
    FAnimate->SetAlign(alLeft);
    FAnimate->SetTransparent(true);
    FLabel = new TLabel(this);
    FLabel->SetVisible(false);
    FLabel->SetLeft(FAnimate->Left() + FAnimate->Width() + 3);
    FLabel->SetCaption("");
    FBusy = false;
}

void TKVisualStatusPanel::CreateProgressBar()
{
    if (FProgressBar)
        return;
    FBusy = true;
    FProgressBar = new TProgressBar(this);
    FProgressBar->SetVisible(false);
    InsertControl(FProgressBar);
    FProgressBar->SetAlign(alClient);
    FBusy = false;
}

void TKVisualStatusPanel::FreeAnimate()
{
    if (!FAnimate)
        return;
    RemoveControl(FAnimate);
    FAnimate->Free();
    FAnimate = nullptr;
    if (FLabel)
        FLabel->Free();
    FLabel = nullptr;
}

void TKVisualStatusPanel::FreeProgressBar()
{
    if (!FProgressBar)
        return;
    RemoveControl(FProgressBar);
    FProgressBar->Free();
    FProgressBar = nullptr;
}

void TKVisualStatusPanel::DoPercentProgress(int Value)
{
    if (!FProgressBar)
        return;
    if (!FProgressBar->Visible()) {
        if (FAnimate) {
            FAnimate->SetActive(false);
            FAnimate->SetVisible(false);
        }
        FProgressBar->SetVisible(true);
    }
    FProgressBar->SetPosition(Value);
    Repaint();
}

void TKVisualStatusPanel::DoRecNumProgress(int Value)
{
    SetCaption("Records: " + std::to_string(Value));
    Repaint();
}

void TKVisualStatusPanel::ResetProgressStatus()
{
    ShowProgressStatus("");
}

void TKVisualStatusPanel::ShowProgressStatus(const std::string& S)
{
    if (FAnimate) {
        FAnimate->SetActive(false);
        FAnimate->SetVisible(false);
    }
    if (FProgressBar)
        FProgressBar->SetVisible(false);
    SetCaption(S);
    Repaint();
}

void TKVisualStatusPanel::Animate(bool Active)
{
    if (FProgressBar)
        FProgressBar->SetVisible(false);
    if (FAnimate) {
        FAnimate->SetVisible(Active);
        FAnimate->SetActive(Active);
    }
}

// --- a panel of the collection ---

TKStatusPanel::TKStatusPanel(TCollection* Collection) : TCollectionItem(Collection)
{
    auto* panels = dynamic_cast<TKStatusPanels*>(Collection);
    if (!panels)
        return;
    TKCustomStatusBar* bar = panels->Bar();
    FPanel = new TKVisualStatusPanel(bar);
    FPanel->SetBounds(0, 0, FPanel->Width(), bar->ClientHeight());
    FPanel->SetParent(bar);
    int index = Index();
    if (index > 0) {
        TKVisualStatusPanel* previous = panels->GetItem(index - 1)->FPanel;
        if (previous)
            FPanel->SetLeft(previous->Left() + previous->Width() + 5);
    }
}

TKStatusPanel::~TKStatusPanel()
{
    if (FPanel) {
        FPanel->SetParent(nullptr);
        FPanel->Free();
        FPanel = nullptr;
    }
}

TKCustomStatusBar* TKStatusPanel::Bar() const
{
    auto* panels = dynamic_cast<TKStatusPanels*>(Collection());
    return panels ? panels->Bar() : nullptr;
}

TKPanelType TKStatusPanel::Kind() const { return FPanel ? FPanel->Kind() : kptRecNum; }
void TKStatusPanel::SetKind(TKPanelType Value)
{
    if (FPanel)
        FPanel->SetKind(Value);
}

int TKStatusPanel::Width() const { return FPanel ? FPanel->Width() : 0; }
void TKStatusPanel::SetWidth(int Value)
{
    if (FPanel && Value > 30)
        FPanel->SetWidth(Value);
    Changed(true);
}

int TKStatusPanel::Left() const { return FPanel ? FPanel->Left() : 0; }
void TKStatusPanel::SetLeft(int Value)
{
    if (FPanel)
        FPanel->SetLeft(Value);
    if (TKCustomStatusBar* bar = Bar(); bar && bar->HandleAllocated())
        bar->RecreateWnd();
}

int TKStatusPanel::Top() const { return FPanel ? FPanel->Top() : 0; }
void TKStatusPanel::SetTop(int Value)
{
    if (FPanel)
        FPanel->SetTop(Value);
    if (TKCustomStatusBar* bar = Bar(); bar && bar->HandleAllocated())
        bar->RecreateWnd();
}

int TKStatusPanel::Height() const { return FPanel ? FPanel->Height() : 0; }
void TKStatusPanel::SetHeight(int Value)
{
    if (FPanel && Value != FPanel->Height()) {
        FPanel->SetHeight(Value);
        FPanel->Invalidate();
    }
}

std::string TKStatusPanel::Caption() const { return FPanel ? FPanel->Caption() : std::string(); }
void TKStatusPanel::SetCaption(const std::string& Value)
{
    if (!FPanel)
        return;
    FPanel->SetCaption(Value);
    FPanel->Invalidate();
}

TBevelCut TKStatusPanel::BevelInner() const { return FPanel ? FPanel->BevelInner() : bvNone; }
void TKStatusPanel::SetBevelInner(TBevelCut Value)
{
    if (!FPanel)
        return;
    FPanel->SetBevelInner(Value);
    FPanel->Refresh();
}

TBevelCut TKStatusPanel::BevelOuter() const { return FPanel ? FPanel->BevelOuter() : bvNone; }
void TKStatusPanel::SetBevelOuter(TBevelCut Value)
{
    if (!FPanel)
        return;
    FPanel->SetBevelOuter(Value);
    FPanel->Refresh();
}

void TKStatusPanel::DoProgress(int Value, bool IsPercent)
{
    if (!FPanel)
        return;
    if (IsPercent)
        FPanel->DoPercentProgress(Value);
    else
        FPanel->DoRecNumProgress(Value);
}

void TKStatusPanel::ResetProgressStatus()
{
    if (FPanel)
        FPanel->ResetProgressStatus();
}

void TKStatusPanel::ShowProgressStatus(const std::string& S)
{
    if (FPanel)
        FPanel->ShowProgressStatus(S);
}

void TKStatusPanel::Animate(bool Active)
{
    if (FPanel)
        FPanel->Animate(Active);
}

// --- the collection ---

TKStatusPanels::~TKStatusPanels()
{
    // The panels free their visual panels, which are children of the bar: free them while
    // this collection is still whole.
    FreeItems();
}

TKStatusPanel* TKStatusPanels::Add()
{
    // A new panel stands 5 pixels after the previous one: the collection's change
    // report for the addition does not pack the panels.
    FAdding = true;
    TKStatusPanel* item = nullptr;
    try {
        item = static_cast<TKStatusPanel*>(TCollection::Add());
    } catch (...) {
        FAdding = false;
        throw;
    }
    FAdding = false;
    item->SetIndex(Count() - 1);
    return item;
}


void TKStatusPanels::Update(TCollectionItem* Item)
{
    TCollection::Update(Item);
    if (Item || FAdding || Count() == 0)
        return;
    GetItem(0)->VisualPanel()->SetLeft(0);
    for (int i = 1; i < Count(); ++i) {
        TKVisualStatusPanel* previous = GetItem(i - 1)->VisualPanel();
        GetItem(i)->VisualPanel()->SetLeft(previous->Left() + previous->Width());
    }
}

// --- the bar ---

TKCustomStatusBar::TKCustomStatusBar(TComponent* AOwner) : TCustomPanel(CheckOwner(AOwner))
{
    FPanels = std::make_unique<TKStatusPanels>(this);
    SetBevelInner(bvLowered);
    SetBevelOuter(bvNone);
    SetAlign(alBottom);
    SetHeight(19);
    RegisterInitProcOnce();
    Bars().push_back(this);
}

TKCustomStatusBar::~TKCustomStatusBar()
{
    *FAlive = false;
    auto& bars = Bars();
    bars.erase(std::remove(bars.begin(), bars.end(), this), bars.end());
    FCallback.reset();
    FPanels.reset();
}

void TKCustomStatusBar::CreateParams(TCreateParams& Params)
{
    TCustomPanel::CreateParams(Params);
    Params.Caption.clear();
    Params.WindowClassStyle &= ~CS_HREDRAW;
}

void TKCustomStatusBar::Loaded()
{
    TCustomPanel::Loaded();
    if (Session && Session->Active())
        RegisterProgressCallBack(Session);
}

void TKCustomStatusBar::Resize()
{
    TCustomPanel::Resize();
    for (int i = 0; FPanels && i < FPanels->Count(); ++i)
        FPanels->GetItem(i)->SetHeight(ClientHeight());
}

void TKCustomStatusBar::Paint()
{
    TCustomPanel::Paint();
    TCanvas& c = *Canvas();
    const int R = Width() - 2;
    const int B = Height() - 2;
    c.Pen().SetStyle(psSolid);
    c.Pen().SetWidth(1);
    struct Line {
        TColor Color;
        int X1, Y1, X2, Y2;
    };
    const TColor gray = static_cast<TColor>(0x808080);
    const TColor white = static_cast<TColor>(0xFFFFFF);
    const Line lines[] = {
        {gray, R - 3, B, R, B - 3},   {white, R, B - 5, R - 5, B},  {gray, R, B - 7, R - 7, B},
        {white, R - 9, B, R, B - 9},  {gray, R, B - 11, R - 11, B}, {white, R - 13, B, R, B - 13},
    };
    for (const Line& l : lines) {
        c.Pen().SetColor(l.Color);
        c.MoveTo(l.X1, l.Y1);
        c.LineTo(l.X2, l.Y2);
    }
}

void TKCustomStatusBar::StatusBarEvent(TObject*, const TStatusBarEventStruct& Event)
{
    if (Event.Event == sbeDSChanged)
        ShowDSInfo(Event);
    else if (Event.Event == sbeDSRecNum)
        ShowRecordNum(Event);
}

void TKCustomStatusBar::ShowDSInfo(const TStatusBarEventStruct& Event)
{
    for (int i = 0; i < FPanels->Count(); ++i) {
        TKStatusPanel* p = FPanels->GetItem(i);
        if (p->Kind() == kptRecNum) {
            p->SetCaption(Event.RecNo == -1 ? "<NA>" : std::to_string(Event.RecNo));
        } else if (p->Kind() == kptDSInfo) {
            std::string name = (Event.DataSetName() + " ").substr(0, 21);
            p->SetCaption(name + DSSToStr(Event.DataSetState()));
        }
    }
}

void TKCustomStatusBar::ShowRecordNum(const TStatusBarEventStruct& Event)
{
    for (int i = 0; i < FPanels->Count(); ++i) {
        TKStatusPanel* p = FPanels->GetItem(i);
        if (p->Kind() != kptRecNum)
            continue;
        p->SetCaption(Event.RecNo == -1
                          ? "<NA>"
                          : std::to_string(Event.Record.RecPos) + ":" + std::to_string(Event.Record.RecCount));
    }
}

void TKCustomStatusBar::DoProgress(int Value, bool IsPercent)
{
    // Handling messages may free this bar (its form closed meanwhile) or its panels: the
    // loop stops once the bar is gone and re-reads the panel count on every round.
    std::shared_ptr<bool> alive = FAlive;
    for (int i = 0; *alive && i < FPanels->Count(); ++i) {
        TKStatusPanel* p = FPanels->GetItem(i);
        if (p->Kind() != kptDBProgress)
            continue;
        p->DoProgress(Value, IsPercent);
        Application->ProcessMessages();
    }
}

void TKCustomStatusBar::ResetProgressStatus()
{
    for (int i = 0; i < FPanels->Count(); ++i)
        if (FPanels->GetItem(i)->Kind() == kptDBProgress)
            FPanels->GetItem(i)->ResetProgressStatus();
}

void TKCustomStatusBar::ShowProgressStatus(const std::string& S)
{
    for (int i = 0; i < FPanels->Count(); ++i)
        if (FPanels->GetItem(i)->Kind() == kptDBProgress)
            FPanels->GetItem(i)->ShowProgressStatus(S);
}

void TKCustomStatusBar::Animate(bool Active)
{
    for (int i = 0; i < FPanels->Count(); ++i)
        if (FPanels->GetItem(i)->Kind() == kptDBProgress)
            FPanels->GetItem(i)->Animate(Active);
}

TCBRType TKCustomStatusBar::ProgressCallBack(void* CBInfo)
{
    try {
        const auto* info = static_cast<const std::uint8_t*>(CBInfo ? CBInfo : FCBBuffer);
        std::int16_t percent;
        std::memcpy(&percent, info, sizeof percent);
        if (percent >= 0) {
            DoProgress(percent, true);
        } else {
            const char* text = reinterpret_cast<const char*>(info + 2);
            std::string message(text, strnlen(text, 128));
            size_t colon = message.find(':');
            message.erase(0, colon == std::string::npos ? 1 : colon + 2);
            int count = 0;
            if (ParseInteger(message, count))
                DoProgress(count, false);
        }
    } catch (...) {
        // A report the bar cannot show never stops the engine.
    }
    return cbrCONTINUE;
}

void TKCustomStatusBar::RegisterProgressCallBack(TSession*)
{
    if (FCallback || InState(csDesigning))
        return;
    FCallback = std::make_unique<TBDECallback>(this, nullptr, cbGENPROGRESS, FCBBuffer, int(sizeof FCBBuffer),
                                               [this](void* CBInfo) { return ProgressCallBack(CBInfo); }, true);
}

void InitBDEProc(TSession* Session)
{
    std::vector<TKCustomStatusBar*> bars = Bars();
    for (TKCustomStatusBar* bar : bars)
        bar->RegisterProgressCallBack(Session);
}

}  // namespace korin::kstatbar
