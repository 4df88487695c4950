#pragma once
// Statbar: a status bar whose parts are all drawn by the component itself. The platform's
// status window lays the parts out and asks for each to be drawn; each part is a
// TKStatusPanel of the bar's TKStatusPanels, and its Style decides what it shows: its text,
// a lock-key indicator, a running clock, shortened text or paths, a percentage, a progress
// bar, an endless sweep, or database information fed by the navigator (SetDBInfo).
//
// Panels tell their bar of every change that must be seen; the bar marks the part for
// repainting and re-sends the text of every waiting panel once, at the next paint, where
// the panel draws itself (two phases, so that several changes cost one repaint).
//
// The panel model lives in StatPanel.cpp, painting in StatPaint.cpp, the bar in
// StatBar.cpp, lock-key watching in StatLockKeys.cpp, database panels in StatDB.cpp and
// registration in StatReg.cpp.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "korin/platform/core/Collections.h"
#include "korin/platform/db/DB.h"
#include "korin/platform/gui/ActnList.h"
#include "korin/platform/gui/Bitmap.h"
#include "korin/platform/gui/ImageList.h"
#include "korin/platform/gui/Menus.h"
#include "korin/platform/gui/StatusWindow.h"
#include "korin/platform/gui/Timers.h"

namespace korin {

class TCustomKStatusBar;
class TKStatusPanel;
class TKStatusPanels;

enum TKStatusPanelStyle {
    psNormal, psOwnerDraw, psCapsLock, psNumLock, psScrollLock, psDateTime, psEllipsisText,
    psEllipsisPath, psPercent, psProgress, psProgressPercent, psProgressText, psIndeterminate,
    psDBName, psDBState, psDBNameState, psDBRecNum, psDBPercent, psDBProgress,
    psDBProgressRecNum, psDBProgressPercent
};
// The value names as form files store them, by ordinal.
const std::vector<std::string>& KStatusPanelStyleNames();

using TDrawPanelEvent = std::function<void(TCustomKStatusBar* StatusBar, TKStatusPanel* Panel, const TRect& Rect)>;
using TOnDrawPanelEvent = TDrawPanelEvent;
using TPanelHintTextEvent = std::function<void(TCustomKStatusBar* StatusBar, TKStatusPanel* Panel, std::string& Hint)>;
using TContextPopupEvent = std::function<void(TObject* Sender, TPoint MousePos, bool& Handled)>;

// What the navigator tells the bar about its dataset.
struct TDBInfo {
    std::string DataSetName;  // the dataset's Name, or "<NA>" when it is not active
    TDataSetState State = dsInactive;
    int RecNo = 0;            // -1 or less: a new record
    int RecordCount = 0;
};

// The lock-key texts (" CAPS ", " NUM ", " SCROLL ") and virtual keys (20, 144, 145).
const std::string& LockKeyText(TKStatusPanelStyle Style);
int LockKeyCode(TKStatusPanelStyle Style);
// "Inactive", "Browse", "Edit", … by the state's ordinal.
const std::string& DataSetStateName(TDataSetState State);
// 0 when Total or Part is 0, else Round(Part / Total * 100) (halves to even).
int RatioPercent(int Total, int Part);
// "0%" when Max - Min is 0, else Round((Position - Min) * 100 / (Max - Min)) and "%".
std::string PercentText(int Min, int Max, int Position);
// S shortened to MaxWidth pixels on Canvas: cut at the end and closed with "...".
std::string MinimizeText(const std::string& S, TCanvas& Canvas, int MaxWidth);
// A path shortened to MaxWidth: the file name stays whole and the directory part is cut
// and closed with "..." in front of the last separator ("/" or "\", whichever the path
// uses).
std::string MinimizePath(const std::string& S, TCanvas& Canvas, int MaxWidth);

class TKStatusPanel : public TCollectionItem {
public:
    explicit TKStatusPanel(TCollection* Collection);
    ~TKStatusPanel() override;

    // Copies another TKStatusPanel (its range exactly) or a plain TStatusPanel.
    void Assign(TPersistent* Source) override;
    // Text, or the class name while Text is empty.
    std::string GetDisplayName() const override;

    // Properties.
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);
    TStatusPanelBevel Bevel() const { return FBevel; }
    void SetBevel(TStatusPanelBevel Value);
    TBiDiMode BiDiMode() const { return FBiDiMode; }
    void SetBiDiMode(TBiDiMode Value);
    int BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int Value);
    const std::string& Hint() const { return FHint; }
    void SetHint(const std::string& Value);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value);
    bool ParentBiDiMode() const { return FParentBiDiMode; }
    void SetParentBiDiMode(bool Value);
    TKStatusPanelStyle Style() const { return FStyle; }
    void SetStyle(TKStatusPanelStyle Value);
    TPopupMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TPopupMenu* Value);
    const std::string& Text() const { return FText; }
    void SetText(const std::string& Value);
    int Width() const { return FWidth; }
    void SetWidth(int Value);
    TColor Color() const { return FColor; }
    void SetPanelColor(TColor Value);
    void SetColor(TColor Value) { SetPanelColor(Value); }
    TColor TextColor() const { return FTextColor; }
    void SetTextColor(TColor Value);
    int Speed() const { return FSpeed; }
    void SetSpeed(int Value);
    TColor ProgressColor() const { return FProgressColor; }
    void SetProgressColor(TColor Value);
    bool SmoothProgress() const { return FSmoothProgress; }
    void SetSmoothProgress(bool Value);
    int Min() const { return FMin; }
    void SetMin(int Value);
    int Max() const { return FMax; }
    void SetMax(int Value);
    int Position() const { return FPosition; }
    void SetPosition(int Value);
    const std::string& DateTimeFormat() const { return FDateTimeFormat; }
    void SetDateTimeFormat(const std::string& Value);
    bool Grayed() const { return FGrayed; }
    void SetGrayed(bool Value);

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TDrawPanelEvent OnDrawPanel;
    TPanelHintTextEvent OnHintText;

    bool IsBiDiModeStored() const { return !FParentBiDiMode; }
    // Takes the bar's BiDiMode while ParentBiDiMode is set.
    void ParentBiDiModeChanged();
    bool UseRightToLeftReading() const;
    bool UseRightToLeftAlignment() const;
    TCustomKStatusBar* GetStatusBar() const;

    // State the panel keeps for itself.
    bool UpdateNeeded() const { return FUpdateNeeded; }
    int SweepOffset() const { return FSweepOffset; }
    int SweepStep() const { return FSweepStep; }
    TBitmap* GaugeBitmap() const { return FGaugeBitmap.get(); }
    TTimer* PanelTimer() const { return FTimer; }

    // The panel timer of the clock and the sweep (never in the designer).
    void InitTimer(int Interval);
    void FreeTimer();
    void OnTimer(TObject* Sender);
    // The 16-column gradient the sweep band is cut from.
    void InitGaugeBitmap();
    void FreeGaugeBitmap();

    // Sizes the panel to its text and image (AutoSize, with a bar that has a window).
    virtual void UpdateAutoSizeWidth();
    // Brings the timer, the gauge bitmap and lock-key watching in line with Style and
    // Enabled.
    virtual void EnabledChanged();
    // Draws the panel into Rect of the bar's canvas by its style.
    virtual void DrawPanel(const TRect& Rect);
    void DrawPanelText(const TRect& Rect);
    void DrawProgress(const TRect& Rect);
    void DrawIndeterminate(const TRect& Rect);
    // Tells the bar that the panel changed (AllItems: the layout of all panels too).
    void Notify(bool AllItems) { Changed(AllItems); }

private:
    friend class TCustomKStatusBar;
    // Leaves the lock-key lists; used when the style changes and when the panel goes.
    void LeaveLockKeyWatch();

    bool FAutoSize = false;
    int FBorderWidth = 0;
    std::string FText;
    std::string FHint;
    int FImageIndex = -1;
    TPopupMenu* FPopupMenu = nullptr;
    int FWidth = 50;
    TColor FColor = clBtnFace;
    TAlignment FAlignment = taLeftJustify;
    TStatusPanelBevel FBevel = pbLowered;
    TBiDiMode FBiDiMode = bdLeftToRight;
    bool FParentBiDiMode = true;
    TKStatusPanelStyle FStyle = psNormal;
    bool FUpdateNeeded = false;
    bool FEnabled = true;
    TColor FTextColor = clBlack;
    int FSpeed = 3;
    TColor FProgressColor = clHighlight;
    bool FSmoothProgress = false;
    int FMin = 0;
    int FMax = 0;
    int FPosition = 0;
    std::string FDateTimeFormat = "dd/mm/yyyy hh:nn:ss";
    int FSweepOffset = 0;
    int FSweepStep = 3;
    std::unique_ptr<TBitmap> FGaugeBitmap;
    TTimer* FTimer = nullptr;
    bool FGrayed = false;
};

class TKStatusPanels : public TCollection {
public:
    explicit TKStatusPanels(TCustomKStatusBar* StatusBar);
    ~TKStatusPanels() override;
    TCustomKStatusBar* StatusBar() const { return FStatusBar; }
    TKStatusPanel* Add() { return static_cast<TKStatusPanel*>(TCollection::Add()); }
    TKStatusPanel* GetItem(int Index) const { return static_cast<TKStatusPanel*>(Items(Index)); }
    TKStatusPanel* operator[](int Index) const { return GetItem(Index); }
    void SetItem(int Index, TKStatusPanel* Value) { GetItem(Index)->Assign(Value); }

protected:
    TCollectionItem* CreateItem() override;
    // One panel changed: repaint its part; null: lay out and repaint all parts.
    void Update(TCollectionItem* Item) override;

private:
    TCustomKStatusBar* FStatusBar;
};

// The bar's private message: refresh the lock-key panels after the application was
// activated again.
constexpr std::uint32_t WM_REFRESHLOCKINDICATORS = 0x8141;

class TCustomKStatusBar : public TStatusWindow, public TActionTarget {
public:
    explicit TCustomKStatusBar(TComponent* AOwner);
    ~TCustomKStatusBar() override;

    TKStatusPanels* Panels() const { return FPanels.get(); }
    void SetPanels(TKStatusPanels* Value) { FPanels->Assign(Value); }
    // The bar's own canvas, handed to the panels while they draw (and measure).
    TCanvas* Canvas() const { return FCanvas.get(); }
    const std::string& SimpleText() const { return FSimpleText; }
    void SetSimpleText(const std::string& Value);
    bool SimplePanel() const { return FSimplePanel; }
    void SetSimplePanel(bool Value);
    bool SizeGrip() const { return FSizeGrip; }
    void SetSizeGrip(bool Value);
    bool UseSystemFont() const { return FUseSystemFont; }
    void SetUseSystemFont(bool Value);
    bool AutoHint() const { return FAutoHint; }
    void SetAutoHint(bool Value) { FAutoHint = Value; }
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    TCustomImageList* DisabledImages() const { return FDisabledImages; }
    void SetDisabledImages(TCustomImageList* Value);
    TPopupMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TPopupMenu* Value);
    int BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int Value) { FBorderWidth = Value; }
    bool IsFontStored() const;

    TOnDrawPanelEvent OnDrawPanel;
    TNotifyEvent OnHint;
    TNotifyEvent OnResize;
    TContextPopupEvent OnContextPopup;

    // The refresh protocol: UpdatePanel(i, false) marks part i for repainting; at the
    // paint, UpdatePanels(false, true) re-sends the text of every waiting panel.
    void UpdatePanel(int Index, bool Repaint);
    void UpdatePanels(bool UpdateRects, bool UpdateText);
    TKStatusPanel* FindPanelAtPos(TPoint P);
    // The panel under the mouse at the last press (or move, while ShowHint is on).
    TKStatusPanel* HitPanel() const { return FHitPanel; }
    // Writes the navigator's dataset information into the database panels.
    void SetDBInfo(const TDBInfo& DBInfo);

    // Lock-key watching through the application's main window.
    void RegisterMainWinHook(TKStatusPanel* Panel);
    void DeregisterMainWinHook(TKStatusPanel* Panel);
    bool AppWinHook(TMessage& Message);
    bool MainWinHooked() const { return FMainWinHook != 0; }
    int MainWinHookPanelCount() const { return static_cast<int>(FMainWinPanels.size()); }

    void SyncToSystemFont();
    void UpdateSimpleText();
    void DoRightToLeftAlignment(std::string& S, TAlignment AAlignment, bool ARTLAlignment) const;
    // Mirrors the panels: their order and the widths they show.
    virtual void FlipChildren(bool AllLevels);
    bool ExecuteAction(TBasicAction* Action) override;
    virtual bool DoHint();
    // The menu a right click shows: the hit panel's, else the bar's.
    virtual TPopupMenu* GetPopupMenu();

    void Click() override;
    void DblClick() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Loaded() override;
    void WndProc(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    virtual void DrawPanel(TKStatusPanel* Panel, const TRect& Rect);
    void Resize() override;

private:
    void CNDrawItem(TMessage& Message);
    void WMPaint(TMessage& Message);
    void CMHintShow(TMessage& Message);
    void CMBiDiModeChanged(TMessage& Message);
    void ContextPopup(TMessage& Message);
    void ImageListChange(TObject* Sender);
    friend class TKStatusPanel;

    std::vector<TKStatusPanel*> FMainWinPanels;
    int FMainWinHook = 0;
    std::unique_ptr<TKStatusPanels> FPanels;
    std::unique_ptr<TCanvas> FCanvas;
    std::string FSimpleText;
    bool FSimplePanel = false;
    bool FSizeGrip = true;
    bool FUseSystemFont = true;
    bool FAutoHint = false;
    TCustomImageList* FImages = nullptr;
    std::unique_ptr<TChangeLink> FImageChangeLink;
    TCustomImageList* FDisabledImages = nullptr;
    std::unique_ptr<TChangeLink> FDisabledImageChangeLink;
    TKStatusPanel* FHitPanel = nullptr;
    TPopupMenu* FPopupMenu = nullptr;
    int FBorderWidth = 0;
};

// The published status bar, on the palette page "Korin".
class TKStatusBar : public TCustomKStatusBar {
public:
    explicit TKStatusBar(TComponent* AOwner) : TCustomKStatusBar(AOwner) {}
};

// Lock-key watching shared by every bar of the process: a keyboard hook of the
// user-interface thread, installed while any enabled lock-key panel exists.
void AddLockKeyPanel(TKStatusPanel* Panel);
void RemoveLockKeyPanel(TKStatusPanel* Panel);
int LockKeyPanelCount();
bool LockKeyHookInstalled();

// Registers TKStatusBar (palette bitmap "TKSTATUSBAR") and its panels for form files.
void RegisterStatusBar();

}  // namespace korin
