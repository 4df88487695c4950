// The navigator's status bar link: attaching a bar, telling it about the dataset and
// about a server dataset's fetch, and the navigator's place in the default session's
// start-up event.
#include "korin/nav/Vdbnav.h"
#include "korin/platform/db/ADODB.h"
#include "korin/platform/db/DBTables.h"
#include "korin/statusbar/Statbar.h"

namespace korin {

// What the navigator installed as the session's start-up handler. The handler holds it
// too, so a navigator that goes first leaves a handler that still runs the one it
// replaced.
struct TNavSessionHook {
    TVandroDBNavigator* Navigator = nullptr;
    TNotifyEvent Saved;
};

void TVandroDBNavigator::AttachStatusBar(TKStatusBar* Value)
{
    if (Value == FStatusBar)
        return;
    if (FStatusBar)
        FStatusBar->RemoveFreeNotification(this);
    FStatusBar = Value;
    // The bar tells the navigator when it goes, whoever owns it.
    if (FStatusBar)
        FStatusBar->FreeNotification(this);
}

void TVandroDBNavigator::SB_DSChanged()
{
    TDataSet* ds = FDataLink ? FDataLink->DataSet() : nullptr;
    if (!ds || !FStatusBar)
        return;
    TDBInfo info;
    if (ds->Active()) {
        info.DataSetName = ds->Name();
        info.RecNo = ds->RecNo();
        info.RecordCount = ds->RecordCount();
    } else {
        info.DataSetName = "<NA>";
    }
    info.State = ds->State();
    FStatusBar->SetDBInfo(info);
}

// The navigator's fetch-progress handlers hold this, never the navigator itself: the
// navigator empties it when it goes, so a handler left behind somewhere (copied by the
// application, say) runs nothing instead of a freed navigator.
struct TNavFetchLink {
    TVandroDBNavigator* Navigator = nullptr;
};

namespace {

// The navigator's fetch-progress handler. A named type, so that a dataset's handler can
// be recognised as the navigator's (std::function::target) although handlers cannot be
// compared.
struct TNavFetchProgress {
    std::shared_ptr<TNavFetchLink> Link;
    void operator()(TDataSet* DataSet, int Progress, int MaxProgress, TEventStatus& EventStatus) const
    {
        if (Link && Link->Navigator)
            Link->Navigator->OnFetchProgress(DataSet, Progress, MaxProgress, EventStatus);
    }
};

}  // namespace

void TVandroDBNavigator::LinkFetchProgress(bool On)
{
    if (On) {
        FFetchLink = std::make_shared<TNavFetchLink>();
        FFetchLink->Navigator = this;
    } else if (FFetchLink) {
        FFetchLink->Navigator = nullptr;
    }
}

TFetchProgressEvent TVandroDBNavigator::FetchProgressHandler() const
{
    return TNavFetchProgress{FFetchLink};
}

bool TVandroDBNavigator::IsOwnFetchProgress(const TFetchProgressEvent& Handler) const
{
    const auto* own = Handler.target<TNavFetchProgress>();
    return own && FFetchLink && own->Link == FFetchLink;
}

void TVandroDBNavigator::OnFetchProgress(TDataSet*, int Progress, int MaxProgress, TEventStatus&)
{
    TDataSet* ds = FDataLink ? FDataLink->DataSet() : nullptr;
    if (!ds || !FStatusBar)
        return;
    TDBInfo info;
    info.DataSetName = ds->Active() ? ds->Name() : "<NA>";
    info.State = ds->State();
    info.RecNo = Progress;
    info.RecordCount = MaxProgress;
    FStatusBar->SetDBInfo(info);
}

void TVandroDBNavigator::HookSession()
{
    if (!Session)
        return;
    FSessionHook = std::make_shared<TNavSessionHook>();
    FSessionHook->Navigator = this;
    FSessionHook->Saved = Session->OnStartup;
    std::shared_ptr<TNavSessionHook> hook = FSessionHook;
    Session->OnStartup = [hook](TObject* Sender) {
        if (hook->Navigator)
            hook->Navigator->OnSessionActivate(Sender);
        else if (hook->Saved)
            hook->Saved(Sender);
    };
}

void TVandroDBNavigator::UnhookSession()
{
    if (!FSessionHook)
        return;
    FSessionHook->Navigator = nullptr;
    FSessionHook.reset();
}

void TVandroDBNavigator::OnSessionActivate(TObject* Sender)
{
    if (FSessionHook && FSessionHook->Saved)
        FSessionHook->Saved(Sender);
}

}  // namespace korin
