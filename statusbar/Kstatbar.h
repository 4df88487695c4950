#pragma once
// Kstatbar: a second, simpler status bar built from ordinary child panels. Each panel of
// the bar owns a real panel control placed on it; a panel of the kind kptDBProgress
// carries a small looping animation ("FLYAVI") and a progress bar. The bar shows dataset
// information from an event record the host fills (StatusBarEvent) and the progress of
// long engine operations through the engine's progress callback, which every bar
// registers.
//
// Its panel classes are named like those of Statbar but are different classes, so they
// live in the nested namespace korin::kstatbar.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "korin/platform/core/Collections.h"
#include "korin/platform/db/DB.h"
#include "korin/platform/db/DBTables.h"
#include "korin/platform/gui/ComCtrls.h"
#include "korin/platform/gui/ExtCtrls.h"
#include "korin/platform/gui/StdCtrls.h"

namespace korin::kstatbar {

class TKCustomStatusBar;
class TKStatusPanels;

enum TKPanelType { kptRecNum, kptDSInfo, kptDBProgress };

enum TStatusBarEvent { sbeDSChanged, sbeDSRecNum };

// The 32-byte record a host fills to tell the bar about its dataset. For sbeDSChanged the
// name (a length byte and at most 20 single-byte characters) and the state are read; for
// sbeDSRecNum the count and position, which overlay the name. RecNo (-1: none) serves
// both.
struct TStatusBarEventStruct {
    std::uint8_t Event = sbeDSChanged;  // a TStatusBarEvent
    std::uint8_t Reserved1[3] = {};
    union {
        struct {
            std::uint8_t Name[21];  // Name[0] is the length
            std::uint8_t State;     // a TDataSetState
            std::uint8_t Reserved[2];
        } DataSet;
        struct {
            std::int32_t RecCount;
            std::int32_t RecPos;
        } Record;
    };
    std::int32_t RecNo = -1;

    TStatusBarEventStruct() : DataSet{} {}
    // The name as stored; a length byte above 20 counts as 20, so nothing outside the
    // record is read.
    std::string DataSetName() const;
    // Stores at most the first 20 bytes of Value.
    void SetDataSetName(const std::string& Value);
    TDataSetState DataSetState() const { return static_cast<TDataSetState>(DataSet.State); }
    void SetDataSetState(TDataSetState Value) { DataSet.State = static_cast<std::uint8_t>(Value); }
};
static_assert(sizeof(TStatusBarEventStruct) == 32);
static_assert(offsetof(TStatusBarEventStruct, DataSet) == 4);
static_assert(offsetof(TStatusBarEventStruct, RecNo) == 28);

// "Browse", "Edit", "Insert", "Filter"; every other state "Inactive".
std::string DSSToStr(TDataSetState State);

// The control a panel shows on the bar: its caption, or the animation and progress bar of
// a kptDBProgress panel (at most one of the two visible).
class TKVisualStatusPanel : public TCustomPanel {
public:
    explicit TKVisualStatusPanel(TComponent* AOwner);
    ~TKVisualStatusPanel() override;

    TKPanelType Kind() const { return FKind; }
    // A new kind drops the animation and progress bar; kptDBProgress makes both.
    void SetKind(TKPanelType Value);
    virtual void SetIndex(int Value) { FIndex = Value; }

    TAnimate* Animation() const { return FAnimate; }
    TProgressBar* ProgressBar() const { return FProgressBar; }

    // Shows the progress bar in place of the animation at Value.
    void DoPercentProgress(int Value);
    // Caption "Records: <Value>".
    void DoRecNumProgress(int Value);
    // Neither animation nor progress bar, and no caption.
    void ResetProgressStatus();
    // Neither animation nor progress bar; the caption S.
    void ShowProgressStatus(const std::string& S);
    // Plays (and shows) or stops (and hides) the animation; the progress bar goes.
    void Animate(bool Active);

protected:
    void CreateParams(TCreateParams& Params) override;
    // Raises "Parent must be TKCustomStatusBar!" on any other parent.
    void CreateHandle() override;

private:
    void CreateAnimate();
    void FreeAnimate();
    void CreateProgressBar();
    void FreeProgressBar();

    TKPanelType FKind = kptRecNum;
    int FIndex = 0;
    TAnimate* FAnimate = nullptr;
    TProgressBar* FProgressBar = nullptr;
    TLabel* FLabel = nullptr;
    bool FBusy = false;
};

// One panel of the bar; every property is a view of its visual panel.
class TKStatusPanel : public TCollectionItem {
public:
    explicit TKStatusPanel(TCollection* Collection);
    ~TKStatusPanel() override;

    TKVisualStatusPanel* VisualPanel() const { return FPanel; }

    TKPanelType Kind() const;
    void SetKind(TKPanelType Value);
    int Width() const;
    // Widths of 30 and less are ignored; the panels are packed again in any case.
    void SetWidth(int Value);
    int Left() const;
    void SetLeft(int Value);
    int Top() const;
    void SetTop(int Value);
    int Height() const;
    void SetHeight(int Value);
    std::string Caption() const;
    void SetCaption(const std::string& Value);
    TBevelCut BevelInner() const;
    void SetBevelInner(TBevelCut Value);
    TBevelCut BevelOuter() const;
    void SetBevelOuter(TBevelCut Value);

    void DoProgress(int Value, bool IsPercent);
    void ResetProgressStatus();
    void ShowProgressStatus(const std::string& S);
    void Animate(bool Active);

private:
    TKCustomStatusBar* Bar() const;
    TKVisualStatusPanel* FPanel = nullptr;
};

class TKStatusPanels : public TCollection {
public:
    explicit TKStatusPanels(TKCustomStatusBar* Owner) : FOwner(Owner) {}
    ~TKStatusPanels() override;

    TKStatusPanel* Add();
    TKStatusPanel* GetItem(int Index) const { return static_cast<TKStatusPanel*>(Items(Index)); }
    TKCustomStatusBar* Bar() const { return FOwner; }

protected:
    TCollectionItem* CreateItem() override { return new TKStatusPanel(this); }
    // A change of all panels packs them from the left with no gap.
    void Update(TCollectionItem* Item) override;

private:
    TKCustomStatusBar* FOwner;
    bool FAdding = false;
};

// The bar: a panel along the bottom of a form with a size grip. Its owner must be a form.
class TKCustomStatusBar : public TCustomPanel {
public:
    // Raises "TKStatusBar: Owner must be a form!" for an owner that is not a form.
    explicit TKCustomStatusBar(TComponent* AOwner);
    ~TKCustomStatusBar() override;

    TKStatusPanels* Panels() const { return FPanels.get(); }

    void Loaded() override;
    // sbeDSChanged → ShowDSInfo, sbeDSRecNum → ShowRecordNum.
    void StatusBarEvent(TObject* Sender, const TStatusBarEventStruct& Event);
    void ShowDSInfo(const TStatusBarEventStruct& Event);
    void ShowRecordNum(const TStatusBarEventStruct& Event);
    // Every kptDBProgress panel shows Value (a percentage or a record count); the
    // application's messages are handled after each panel. A bar freed meanwhile stops.
    virtual void DoProgress(int Value, bool IsPercent);
    void ResetProgressStatus();
    void ShowProgressStatus(const std::string& S);
    void Animate(bool Active);
    // Answers the engine's progress callback from the record in CBInfo: a signed 16-bit
    // percentage, or -1 and a message ending in a record count. Always "continue".
    TCBRType ProgressCallBack(void* CBInfo);
    // Registers the bar for the engine's progress reports (once; never in the designer).
    void RegisterProgressCallBack(TSession* Session);
    bool ProgressRegistered() const { return FCallback != nullptr; }

protected:
    void CreateParams(TCreateParams& Params) override;
    void Paint() override;
    void Resize() override;

private:
    std::unique_ptr<TKStatusPanels> FPanels;
    std::unique_ptr<TBDECallback> FCallback;
    std::uint8_t FCBBuffer[130] = {};
    std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};

// Registers every existing bar for the engine's progress reports; runs when the engine
// starts a session.
void InitBDEProc(TSession* Session);

}  // namespace korin::kstatbar
