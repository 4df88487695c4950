#pragma once
// TVandroDBNavigator: the navigator component, a panel carrying the 25 navigator buttons
// that drives the dataset of its current data source; its data link; its registration.
//
// At most one navigator may sit on a form, and its owner must be a form. The buttons are
// laid out in one row (or one column when Vertical) of equal buttons that fill the
// navigator exactly; see HorzAdjustSize for the arithmetic.
#include <functional>
#include <string>

#include "nav/NavPlatform.h"
#include "nav/Vdbnavbtn.h"
#include "platform/core/Exception.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Timers.h"

class TVandroDBNavigator;
class TField;
// Parts of the navigator that are built elsewhere; the navigator holds them by pointer.
class TKStatusBar;          // the status bar it feeds (statusbar/)
class TCustomdbSearch;      // the search engine behind FIND (search/)
class TCustomHintWindow;    // the balloon hint ("No more matches!")
class TRecordBuffer;        // the copied records behind COPY, PASTE and DITTO
class TDBControlsList;      // the captured data-aware controls (capture/)
class TDefaultControlList;  // one default control per data source (capture/)

// Errors raised by the navigator ("Owner must be a TForm!", …).
class EVandroDBNavError : public Exception {
public:
    using Exception::Exception;
};

enum class TButtonImageSize { bis10, bis16 };
using enum TButtonImageSize;

enum class TNavigatorFilterAction { nfaApply, nfaRelease, nfaChange, nfaModify };
using enum TNavigatorFilterAction;
enum class TNavigatorQueryAction { nqaApply, nqaRelease, nqaChange, nqaModify };
using enum TNavigatorQueryAction;

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
    TCustomdbSearch* FindOptions() const { return FFindOptions; }
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
    void SetStatusBar(TKStatusBar* Value) { FStatusBar = Value; }

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
    TShortCutArray MultiRowShortCuts;
    TShortCutArray SingleRowShortCuts;
    TWinControl* CurrentControl = nullptr;
    TField* CurrentField = nullptr;
    TRecordBuffer* DittoBuffer() const { return FDittoBuffer; }
    TRecordBuffer* CopyBuffer() const { return FCopyBuffer; }

    // Layout: W and H are the proposed size; on return they hold the size the navigator
    // should take, and the buttons have been placed.
    void AdjustSize_N(int& W, int& H);
    // Places a pop-up (the filter box) beside the navigator; the caller has put its Left
    // and Top at the navigator's client origin in screen coordinates.
    void AdjustLeftTop(TWinControl* Control);

    // Glyphs of the current image size for every button.
    void LoadButtonImages();

    // The dispatcher every button press ends in.
    virtual void Navigate(TVNavigateBtn Button);
    // Operations built with the button-state rules, hints, filter and query, the status
    // bar link and control tracking. Until those land they do nothing.
    void AdjustButtonStates();
    virtual void InitHints();
    virtual void DoCustomHint();
    virtual void ISearchMode(bool Value);
    virtual void ApplyFilter(TNavigatorFilterAction Action);
    virtual void ApplyQuery(TNavigatorQueryAction Action);
    void AttachStatusBar(TKStatusBar* Value);
    void SB_DSChanged();
    void LoadDBControls();
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
    virtual void InitButtons();
    void HorzAdjustSize(int& W, int& H);
    void VertAdjustSize(int& W, int& H);
    void WMSize(TMessage& Message);
    void WMSetFocus(TMessage& Message);
    void WMKillFocus(TMessage& Message);

private:
    void RepaintFocusedButton();
    void HookSession();

    TVandroNavDataLink* FDataLink = nullptr;
    TDBControlsList* FDBControls = nullptr;
    TDefaultControlList* FDefaultControls = nullptr;
    bool FVertical = false;
    bool FShowShortCuts = true;
    TTimer* FAutoRepeatTimer = nullptr;
    TTimer* FDropDownTimer = nullptr;
    int FPageRows = 10;
    bool FFlatButtons = true;
    TCustomdbSearch* FFindOptions = nullptr;
    bool FFindActive = false;
    TCustomHintWindow* FHintWindow = nullptr;
    bool FConfirmDelete = false;
    TPoint FMinBtnSize{18, 18};
    int FButtonWidth = 0;
    int FButtonHeight = 0;
    TVButtonSet FVisibleButtons = InitialVisibleButtons;
    int FVisibleCount = 16;
    bool FISearchActive = false;
    bool FChangeControlFocus = true;
    TRecordBuffer* FDittoBuffer = nullptr;
    TRecordBuffer* FCopyBuffer = nullptr;
    TColor FButtonsColor = clBtnFace;
    TButtonImageSize FButtonImageSize = bis16;
    bool FSetupMode = false;
    TVButtonSet FEnabledButtons;
    TNavButtonTable<TVNavButton*> FButtons{};
    TKStatusBar* FStatusBar = nullptr;
    TVNavigateBtn FFocusedButton = vnbFirst;
    bool FButtonsCreated = false;
    bool FDropDownRunning = false;
};

// Registers the package's components on the palette page "Korin" and makes them known
// to the form reader. Safe to call more than once.
void Register();
