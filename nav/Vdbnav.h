#pragma once
// TVandroDBNavigator: the navigator component, a panel carrying the 25 navigator buttons
// that drives the dataset of its current data source; its data link; its registration.
//
// At most one navigator may sit on a form, and its owner must be a form. The buttons are
// laid out in one row (or one column when Vertical) of equal buttons that fill the
// navigator exactly; see HorzAdjustSize for the arithmetic.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "korin/capture/DBAware.h"
#include "korin/nav/NavPlatform.h"
#include "korin/nav/Vdbnavbtn.h"
#include "korin/platform/core/Exception.h"
#include "korin/platform/db/ADODB.h"
#include "korin/platform/gui/Controls.h"
#include "korin/platform/gui/Timers.h"
#include "korin/search/Dbsearch.h"

namespace korin {

class TVandroDBNavigator;
class TField;
// Parts of the navigator that are built elsewhere; the navigator holds them by pointer.
class TKStatusBar;          // the status bar it feeds (statusbar/)
class TCustomHintWindow;    // the balloon hint ("No more matches!")
class TRecordBuffer;        // the copied records behind COPY, PASTE and DITTO
class TDBControlsList;      // the captured data-aware controls (capture/)
class TDefaultControlList;  // one default control per data source (capture/)
class TQuery;               // the internal query of the query command
struct TNavFetchLink;       // ties the navigator's fetch-progress handlers to it

// Errors raised by the navigator ("Owner must be a TForm!", …).
class EVandroDBNavError : public Exception {
public:
    using Exception::Exception;
};

enum TButtonImageSize { bis10, bis16 };

enum TNavigatorFilterAction { nfaApply, nfaRelease, nfaChange, nfaModify };
enum TNavigatorQueryAction { nqaApply, nqaRelease, nqaChange, nqaModify };

using TClickNavigatorButton = std::function<void(TObject* Sender, TVNavigateBtn Button)>;
using TVNavigatorAction = std::function<void(TObject* Sender, TVNavigateBtn Button, bool& doAction)>;
using TVNavigatorFocusChange = std::function<void(TObject* OldSender, TWinControl* NewSender)>;
using TVDBNDataSourceChanged =
    std::function<void(TObject* Sender, TDataSource* OldDataSource, TDataSource* NewDataSource)>;

// The navigator's link to its data source: forwards the dataset's notifications.
class TVandroNavDataLink : public TDataLink {
public:
    explicit TVandroNavDataLink(TVandroDBNavigator* ANav);
    ~TVandroNavDataLink() override;

protected:
    void ActiveChanged() override;
    void DataSetChanged() override;
    void DataSetScrolled(int Distance) override;
    void EditingChanged() override;

private:
    TVandroDBNavigator* FNavigator = nullptr;
};

// The glyph resource of a button in a glyph set: "DBN__FIRST", "DBN_16_FIRST".
std::string NavGlyphName(TVNavigateBtn Button, TButtonImageSize Size);

// The set shown after construction: FIRST … FIND NEXT (19 buttons, mask 524287).
constexpr TVButtonSet InitialVisibleButtons = TVButtonSet::Range(vnbFirst, vnbFindNext);
// The declared default of VisibleButtons: the ten classic buttons (mask 16281).
constexpr TVButtonSet ClassicVisibleButtons = {vnbFirst, vnbPrior, vnbNext, vnbLast, vnbInsert,
                                               vnbDelete, vnbEdit, vnbPost, vnbCancel, vnbRefresh};

// The buttons a browsing dataset enables (mask 6809599) and those an editing or inserting
// one enables (mask 24656639), before the per-record corrections of AdjustButtonStates.
constexpr TVButtonSet NavBrowseButtons = {
    vnbFirst, vnbPriorPage, vnbFirstField, vnbPrior, vnbNext, vnbLastField, vnbNextPage, vnbLast,
    vnbInsert, vnbDelete, vnbEdit, vnbRefresh, vnbIncrementalSearch, vnbFilter, vnbQuery, vnbFind,
    vnbFindNext, vnbGotoNextDSControl, vnbCopyRec};
constexpr TVButtonSet NavEditButtons = {
    vnbFirst, vnbPriorPage, vnbFirstField, vnbPrior, vnbNext, vnbLastField, vnbNextPage, vnbLast,
    vnbDelete, vnbPost, vnbCancel, vnbRefresh, vnbDittoCopyField, vnbDittoCopyRecord,
    vnbGotoNextDSControl, vnbCopyRec, vnbDateTime};

class TVandroDBNavigator : public TCustomPanel {
public:
    // ASetupMode builds the navigator the shortcut editor shows: all buttons in one
    // radio group, no captured controls, no session hook.
    explicit TVandroDBNavigator(TComponent* AOwner, bool ASetupMode = false);
    ~TVandroDBNavigator() override;

    // Whether AOwner already owns another navigator.
    bool IsAnyPreviousInstance(TComponent* AOwner) const;

    // Component lifecycle.
    void Loaded() override;
    // Detaches the status bar and releases an applied query and filter while the whole
    // object, a derived class's part included, still exists.
    void BeforeDestruction() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void WndProc(TMessage& Message) override;
    // Captures the form's data-aware controls again after they changed at run time.
    void ReInitialize();

    // Published properties.
    bool ConfirmDelete() const { return FConfirmDelete; }
    void SetConfirmDelete(bool Value) { FConfirmDelete = Value; }
    TColor ButtonsColor() const { return FButtonsColor; }
    void SetButtonsColor(TColor Value);
    TCustomdbSearch* FindOptions() const { return FFindOptions.get(); }
    bool FlatButtons() const { return FFlatButtons; }
    void SetFlatButtons(bool Value);
    bool ChangeControlFocus() const { return FChangeControlFocus; }
    void SetChangeControlFocus(bool Value) { FChangeControlFocus = Value; }
    bool ShowShortCuts() const { return FShowShortCuts; }
    void SetShowShortCuts(bool Value) { FShowShortCuts = Value; }
    bool Vertical() const { return FVertical; }
    void SetVertical(bool Value);
    // A placeholder through which a designer can offer the shortcut editor: reads as ""
    // and ignores what is written.
    std::string GetShortCut() const { return std::string(); }
    void SetShortCut(const std::string&) {}
    std::string ShortCuts() const { return GetShortCut(); }
    void SetShortCuts(const std::string& Value) { SetShortCut(Value); }
    int PageRowsCount() const { return FGetPageRows(); }
    int FGetPageRows() const;
    // The stored page size, as written to form files.
    int StoredPageRows() const { return FPageRows; }
    void SetPageRows(int Value);
    void SetPageRowsCount(int Value) { SetPageRows(Value); }
    TVButtonSet VisibleButtons() const { return FVisibleButtons; }
    // The writer of VisibleButtons.
    void SetVisible(TVButtonSet Value);
    void SetVisibleButtons(TVButtonSet Value) { SetVisible(Value); }
    using TCustomPanel::SetVisible;
    TButtonImageSize ButtonImageSize() const { return FButtonImageSize; }
    void SetButtonImageSize(TButtonImageSize Value);
    TKStatusBar* StatusBar() const { return FStatusBar; }
    void SetStatusBar(TKStatusBar* Value) { AttachStatusBar(Value); }

    TClickNavigatorButton OnClickNavigatorButton;
    TVNavigatorAction BeforeAction;
    TVNavigatorFocusChange BeforeFocusChanged;
    TVNavigatorFocusChange AfterFocusChanged;
    TVDBNDataSourceChanged DataSourceChanged;
    TKeyEvent OnEnterKeyDown;

    // Public state.
    TDataSource* DataSource() const { return FGetDataSource(); }
    void SetDataSource(TDataSource* Value) { FSetDataSource(Value); }
    TDataSource* FGetDataSource() const;
    void FSetDataSource(TDataSource* Value);
    bool SetupMode() const { return FSetupMode; }
    TVNavButton* Buttons(TVNavigateBtn Button) const { return FButtons[Button]; }
    TVNavigateBtn FocusedButton() const { return FFocusedButton; }
    void SetFocusedButton(TVNavigateBtn Value) { FFocusedButton = Value; }
    TVButtonSet EnabledButtons() const { return FEnabledButtons; }
    int VisibleCount() const { return FVisibleCount; }
    TPoint MinBtnSize() const { return FMinBtnSize; }
    int ButtonWidth() const { return FButtonWidth; }
    int ButtonHeight() const { return FButtonHeight; }
    TTimer* AutoRepeatTimer() const { return FAutoRepeatTimer; }
    TTimer* DropDownTimer() const { return FDropDownTimer; }
    TCustomHintWindow* HintWindow() const { return FHintWindow; }
    bool FindActive() const { return FFindActive; }
    void SetFindActive(bool Value) { FFindActive = Value; }
    // The shortcut tables the keyboard dispatch looks keys up in: the single-row table
    // while the current control shows one record, the multi-row table otherwise (also
    // the table the button hints show). The setters replace a whole table; an empty
    // entry means the button has no shortcut.
    TShortCutArray MultiRowShortCuts;
    TShortCutArray SingleRowShortCuts;
    void SetMultiRowShortCuts(const TShortCutArray& Value)
    {
        MultiRowShortCuts = Value;
        InitHints();
    }
    void SetSingleRowShortCuts(const TShortCutArray& Value) { SingleRowShortCuts = Value; }
    // Shows the shortcut editor filled with both tables and takes them back on OK (the
    // result); Cancel changes nothing. Form files keep a table that differs from the
    // factory one (published as SingleRowShortCuts and MultiRowShortCuts).
    bool EditShortCuts();
    // The captured control that last received the focus, and its field then (a grid's:
    // the field of its selected column). Both go back to null when they are destroyed.
    TWinControl* CurrentControl = nullptr;
    TField* CurrentField = nullptr;
    // Incremental search: whether the mode is on, and the text accepted so far (UTF-8).
    bool ISearchActive() const { return FISearchActive; }
    const std::string& ISearchText() const { return FISearchText; }
    TDBControlsList* DBControls() const { return FDBControls; }
    TDefaultControlList* DefaultControls() const { return FDefaultControls; }
    TRecordBuffer* DittoBuffer() const { return FDittoBuffer.get(); }
    TRecordBuffer* CopyBuffer() const { return FCopyBuffer.get(); }

    // Layout: W and H are the proposed size; on return they hold the size the navigator
    // should take, and the buttons have been placed.
    void AdjustSize_N(int& W, int& H);
    // Places a pop-up (the filter box) beside the navigator; the caller has put its Left
    // and Top at the navigator's client origin in screen coordinates.
    void AdjustLeftTop(TWinControl* Control);

    // Glyphs of the current image size for every button.
    void LoadButtonImages();

    // The dispatcher every button press ends in: no data source, no dataset, disabled
    // controls, a veto of BeforeAction or a disabled button end it silently; otherwise it
    // runs the button's action, whose errors pass on to the caller.
    virtual void Navigate(TVNavigateBtn Button);
    // The actions behind the buttons (DS is the data source's dataset).
    void NavigateFirst(TDataSet* DS);
    void NavigatePriorPage(TDataSet* DS);
    void NavigateFirstField(TDataSet* DS);
    void NavigatePrior(TDataSet* DS);
    void NavigateNext(TDataSet* DS);
    void NavigateLastField(TDataSet* DS);
    void NavigateNextPage(TDataSet* DS);
    void NavigateLast(TDataSet* DS);
    void NavigateInsert(TDataSet* DS);
    void NavigateDelete(TDataSet* DS);
    void NavigateEdit(TDataSet* DS);
    void NavigatePost(TDataSet* DS);
    void NavigateCancel(TDataSet* DS);
    void NavigateRefresh(TDataSet* DS);
    void NavigateIncrementalSearch();
    void NavigateFilter(TDataSet* DS);
    void NavigateQuery(TDataSet* DS);
    void NavigateFind();
    void NavigateFindNext(TDataSet* DS);
    void NavigateDittoCopyField(TDataSet* DS);
    void NavigateDittoCopyRecord(TDataSet* DS);
    void NavigateGotoNextDSControl();
    void NavigateCopyRec(TDataSet* DS);
    void NavigatePasteRec(TDataSet* DS);
    void NavigateDateTime(TDataSet* DS);
    // The key of DataSet's current record: every field name joined with ";" and their
    // values (one value for a one-field dataset, else an array 0..FieldCount-1).
    void SaveDataSetPosition(TDataSet* DataSet, std::string& KeyFields, Variant& KeyValues);

    // Button states: recomputed from the dataset on every data-link notification.
    void AdjustButtonStates();
    // Enables exactly the buttons of Value and remembers the set.
    void SetEnabledButtons(TVButtonSet Value);
    // Switches one button on or off (and in EnabledButtons) and repaints it at once.
    void ChangeButtonState(TVNavigateBtn Button, bool State);
    // Ends a find: FIND NEXT goes off.
    void ResetFind();
    // Forgets the copied record: PASTE RECORD goes off.
    void ClearCopyRecBuffer();

    // Button hints: the hint text, and " - " with the multi-row shortcut when
    // ShowShortCuts is set ("FIRST - Home"). Not virtual: the constructor composes the
    // hints, and a call from a constructor could never reach a derived class's version.
    void InitHints();
    // Shows the balloon "No more matches!" beside the last visible button.
    virtual void DoCustomHint();

    // Incremental search. ISearchMode switches the mode (the text empties on every
    // change, and the INCREMENTAL SEARCH button shows pressed exactly while it is on).
    // ISearchDoChar takes one typed character: a printable one extends the text,
    // backspace (#8) takes off its last character, and the dataset moves to the first
    // record whose current field begins with the new text in any case; a text that
    // would match no record is refused. ISearchDoKey sees every key-down while the mode
    // is on: Esc ends the mode, Shift or Ctrl with Backspace, PgUp or Up empties the
    // text; Key 0 on return keeps the key from the control.
    virtual void ISearchMode(bool Value);
    virtual void ISearchDoChar(char32_t& Key);
    virtual void ISearchDoKey(std::uint16_t& Key, TShiftState& Shift);

    // ---- filter and query (VdbnavQuery.cpp) ----
    // FILTER sets the dataset's own filter from the text typed in the filter edit box;
    // QUERY opens an internal query built from the dataset's SQL or table with the
    // condition and sort order composed in the condition builder, in place of the
    // dataset. Both are toggles (Change), can be forced on or off (Apply, Release) or
    // changed through their dialog (Modify). Neither lets an error escape: a rejected
    // filter or query leaves the dataset as it was. Text typed by the user only reads.
    virtual void ApplyFilter(TNavigatorFilterAction Action);
    virtual void ApplyQuery(TNavigatorQueryAction Action);
    // Shows the filter edit box against the navigator; on OK FilterText takes its text.
    virtual bool ShowFilterBox();
    // Shows the condition builder in query mode; true on OK with a condition or a sort
    // order, which Where and OrderBy then hold.
    virtual bool ShowQueryBox(std::string& Where, std::string& OrderBy);
    const std::string& FilterText() const { return FFilterText; }
    void SetFilterText(const std::string& Value) { FFilterText = Value; }
    bool FilterActive() const { return FFilterActive; }
    // The data source whose dataset the filter was set on (null when setting it failed).
    TDataSource* FilterDataSource() const { return FFilterDataSource; }
    bool QueryActive() const { return FQueryActive; }
    // The query built by the last query command, owned by the navigator: a TQuery on the
    // embedded engine, a TADOQuery on a server (the other accessor gives null).
    TQuery* InternalQuery() const;
    TADOQuery* InternalADOQuery() const;
    TDataSet* InternalDataSet() const { return FInternalQuery; }
    // The data source whose dataset the internal query replaced, and that dataset.
    TDataSource* QueryDataSource() const { return FQueryDataSource; }
    TDataSet* SourceDataSet() const { return FSourceDataSet; }
    // The status bar link: attach a bar (null detaches), and tell it about the dataset.
    void AttachStatusBar(TKStatusBar* Value);
    void SB_DSChanged();
    // The navigator's fetch-progress handler, installed on the server dataset it follows:
    // the bar shows the rows fetched so far against the expected total. EventStatus is
    // left as it is, and the dataset's own handler is not called meanwhile.
    void OnFetchProgress(TDataSet* DataSet, int Progress, int MaxProgress, TEventStatus& EventStatus);
    // The handler the followed server dataset had before the navigator installed its own
    // (empty when none is saved), and that dataset (null when none carries the
    // navigator's handler).
    const TFetchProgressEvent& SavedFetchProgress() const { return FSavedFetchProgress; }
    TCustomADODataSet* FetchProgressDataSet() const { return FFetchProgressDataSet; }
    // Whether Handler is a fetch-progress handler this navigator installed.
    bool IsOwnFetchProgress(const TFetchProgressEvent& Handler) const;

    // ---- control tracking ----
    // Rebuilds the registry: every data-aware control of the form is captured and every
    // data source it shows gets a default control; attaches the form's first status bar
    // when none is set; recomputes the button states.
    // The navigator's handler of the default session's start-up event: runs the handler
    // that was there before.
    void OnSessionActivate(TObject* Sender);
    void LoadDBControls();
    // Every message of a captured control passes here before the control sees it: key
    // messages run the shortcuts, focus messages follow the focus.
    void BeforeWndProc(TMessage& Message);
    void AfterWndProc(TMessage& Message) {}
    // The first captured control (registry order) whose field has Field's name (without
    // regard to case) and belongs to the same dataset as Field; null when none.
    TWinControl* FindControlWithDataField(TField* Field);
    // The last direct child of Parent (a control grid's panel) whose field has Field's
    // name, without regard to case.
    TWinControl* FindInParentControlWithDataField(TWinControl* Parent, TField* Field);
    // The current record of the current dataset by its index fields, as Locate takes it.
    void GetIndexInfo(std::string& KeyFields, Variant& KeyValues);
    // A captured control received the focus (CM_ENTER): it becomes the current control
    // and, when it shows another data source, the navigator switches to that one.
    void ControlEnter(TObject* Sender);
    // OnColEnter of every captured data-aware grid.
    virtual void ColumnEnter(TObject* Sender);

    // ---- keyboard ----
    // A key typed in a captured control (also the OnKeyDown of captured combo boxes):
    // a shortcut runs its button and the key is swallowed (Key 0).
    void CKeyDown(TObject* Sender, std::uint16_t& Key, TShiftState Shift);
    void CKeyPress(TObject* Sender, char32_t& Key);
    // Focuses the next control in Sender's tab order that shows the navigator's data
    // source, wrapping around.
    void DBControlKeyDown(TObject* Sender);
    // Moves a TDBGrid to its next cell; after the last column to the next record
    // (appending at the end).
    void DBGrKeyDown(TObject* Sender);
    // Focus the control of the first (last) field of Control's record; in a grid, select
    // its first (last) visible column.
    void DoFirstField(TWinControl* Control);
    void DoLastField(TWinControl* Control);
    // Called before an insert; does nothing.
    void NavigatorBeforeInsert() {}

    // Data-link notifications.
    virtual void EditingChanged();
    virtual void DataSetChanged();
    virtual void ActiveChanged();
    void DataSetScrolled();

    // Button wiring (public so that tests and the keyboard code can drive it).
    void ClickHandler(TObject* Sender);
    void BtnMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void BtnMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void AutoRepeatTimerExpired(TObject* Sender);
    virtual void DropDownTimerExpired(TObject* Sender);

protected:
    void CreateWindowHandle(const TCreateParams& Params) override;
    // Creates the 25 buttons; run by the constructor, hence not virtual.
    void InitButtons();
    void HorzAdjustSize(int& W, int& H);
    void VertAdjustSize(int& W, int& H);
    void WMSize(TMessage& Message);
    void WMSetFocus(TMessage& Message);
    void WMKillFocus(TMessage& Message);

private:
    void RepaintFocusedButton();
    void HookSession();
    void DoFieldJump(TWinControl* Control, bool Forward);
    // Neutralises a key message: removes the pending key messages of the current control
    // from the queue and empties the record.
    void KillKeyMessage(TMessage& Message);
    // The fetch-progress handler of a server dataset: given back to the dataset that
    // carries the navigator's handler when the navigator leaves its data source or goes,
    // installed on the dataset of the data source it takes.
    void ReleaseFetchProgress(TDataSource* OldSource);
    void HookFetchProgress(TDataSource* NewSource);
    // Ties the navigator's fetch-progress handlers to it (On), or cuts them off (the
    // navigator goes).
    void LinkFetchProgress(bool On);
    // A handler that runs this navigator's OnFetchProgress while the navigator lives.
    TFetchProgressEvent FetchProgressHandler() const;
    TFetchProgressEvent FSavedFetchProgress;
    TCustomADODataSet* FFetchProgressDataSet = nullptr;
    std::shared_ptr<TNavFetchLink> FFetchLink;
    // CurrentField when it still belongs to the current control's dataset, else null.
    TField* LiveCurrentField() const;
    // What the key dispatch asks of a control on every key: whether the navigator holds
    // its key events and whether it shows one record or several. Class tests are costly
    // and a control's class never changes, so the answer for the last control asked is
    // kept while its parent stays the same; it is forgotten when any component goes.
    struct TControlKind {
        TWinControl* Control = nullptr;
        TWinControl* Parent = nullptr;
        bool EventsHeld = false;
        TDBObjectEntity Entity = oeSingleRow;
    };
    const TControlKind& KindOf(TWinControl* Control);
    TControlKind FKindCache;
    void UnhookSession();

    std::unique_ptr<TVandroNavDataLink> FDataLink;
    TDBControlsList* FDBControls = nullptr;
    TDefaultControlList* FDefaultControls = nullptr;
    bool FVertical = false;
    bool FShowShortCuts = true;
    TTimer* FAutoRepeatTimer = nullptr;
    TTimer* FDropDownTimer = nullptr;
    int FPageRows = 10;
    bool FFlatButtons = true;
    TOwned<TCustomdbSearch> FFindOptions;
    bool FFindActive = false;
    TCustomHintWindow* FHintWindow = nullptr;
    bool FConfirmDelete = false;
    TPoint FMinBtnSize{18, 18};
    int FButtonWidth = 0;
    int FButtonHeight = 0;
    TVButtonSet FVisibleButtons = InitialVisibleButtons;
    int FVisibleCount = 16;
    bool FISearchActive = false;
    std::string FISearchText;
    // Characters (and text clearings, ISearchClear) that arrived while a search was
    // running; the running call applies them in order when its own search is done.
    std::vector<char32_t> FISearchQueue;
    bool FISearchBusy = false;
    // Counts the mode's changes, so that a search learns the mode ended (and perhaps
    // began again) while it let messages run.
    unsigned FISearchEpoch = 0;
    void ISearchApply(char32_t Key);
    // Points the search object at the data source and Field before a find.
    void PrepareFind(TField* Field);
    bool FChangeControlFocus = true;
    std::unique_ptr<TRecordBuffer> FDittoBuffer;
    std::unique_ptr<TRecordBuffer> FCopyBuffer;
    TColor FButtonsColor = clBtnFace;
    TButtonImageSize FButtonImageSize = bis16;
    bool FSetupMode = false;
    TVButtonSet FEnabledButtons;
    TNavButtonTable<TVNavButton*> FButtons{};
    TKStatusBar* FStatusBar = nullptr;
    // Filter and query state (VdbnavQuery.cpp). The components are watched with free
    // notifications and forgotten when they go.
    std::string FFilterText;
    bool FFilterActive = false;
    TDataSource* FFilterDataSource = nullptr;
    bool FQueryActive = false;
    TDataSet* FInternalQuery = nullptr;
    TDataSource* FQueryDataSource = nullptr;
    TDataSet* FSourceDataSet = nullptr;
    void SetFilterDataSource(TDataSource* Value);
    void SetQueryDataSource(TDataSource* Value);
    void SetSourceDataSet(TDataSet* Value);
    // Builds InternalQuery from the current dataset with Where and OrderBy merged in;
    // false (after the message box) when no statement could be prepared.
    bool BuildInternalQuery(const std::string& Where, const std::string& OrderBy);
    void ActivateQuery();
    // The SQL lines of the internal query, whichever kind it is; null without one.
    TStringList* InternalSQL() const;
    void ReleaseQuery();
    // Forgets the filter and query components that go; run by Notification.
    void QueryNotification(TComponent* AComponent);
    // The session start-up handler this navigator replaced, shared with the handler it
    // installed (which outlives the navigator when later hooks chained onto it).
    std::shared_ptr<struct TNavSessionHook> FSessionHook;
    TVNavigateBtn FFocusedButton = vnbFirst;
    bool FButtonsCreated = false;
    bool FDropDownRunning = false;
};

// Registers the package's components on the palette page "Korin" and makes them known
// to the form reader. Safe to call more than once.
void Register();

}  // namespace korin
