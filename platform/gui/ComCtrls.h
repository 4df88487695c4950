#pragma once
// List, combo, tool bar, hot-key, progress and animation controls. Each paints itself on
// its canvas and handles its own keys and mouse.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "korin/platform/gui/Controls.h"
#include "korin/platform/gui/ScrollBar.h"
#include "korin/platform/gui/Keyboard.h"

namespace korin {

class TBitmap;
class TCustomImageList;
class TTimer;
class TComboListWindow;

// ---------------------------------------------------------------- TListBox

// A single-selection list of strings. ItemIndex is -1 when nothing is selected. A click
// selects the item under the pointer and fires OnClick on release; Up, Down, Home, End,
// PgUp and PgDn move the selection and fire OnClick when it changes; a double click fires
// OnDblClick. With more items than fit, a scroll bar runs along the right edge; it and
// the mouse wheel scroll the items without changing the selection.
class TListBox : public TWinControl {
public:
    explicit TListBox(TComponent* AOwner);

    // The items; after changing them through this reference call Invalidate (the
    // selection is kept only while it stays in range).
    std::vector<std::string>& Items() { return FItems; }
    const std::vector<std::string>& Items() const { return FItems; }
    void SetItems(const std::vector<std::string>& Value);
    void AddItem(const std::string& Item);
    void Clear();
    int Count() const { return static_cast<int>(FItems.size()); }

    int ItemIndex() const;
    // Selects an item (-1 for none); out-of-range values select nothing.
    void SetItemIndex(int Value);
    int ItemHeight() const { return FItemHeight; }
    void SetItemHeight(int Value);
    // The first item shown.
    int TopIndex() const { return FTopIndex; }
    void SetTopIndex(int Value);
    // The item at a client point, or -1.
    int ItemAtPos(TPoint Pos, bool Existing = true) const;
    TRect ItemRect(int Index) const;
    // The scroll bar as it stands (brought up to date when painted or pressed); whether
    // it shows.
    const TScrollBarPart& ScrollBar() const { return FBar; }
    bool ScrollBarVisible() const { return Count() > VisibleRows(); }

protected:
    void Paint() override;
    void KeyDown(std::uint16_t& Key, TShiftState Shift) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    LRESULT DialogCode() const override { return DLGC_WANTARROWS | DLGC_WANTCHARS; }
    bool FocusOnClick() const override { return true; }
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;

private:
    int VisibleRows() const;
    void MakeVisible(int Index);
    void SelectFromUser(int Index);
    // The right end of the items: the scroll bar's left edge when it shows.
    int ItemsRight() const;
    void SyncBar();
    std::vector<std::string> FItems;
    int FItemIndex = -1;
    int FItemHeight = 16;
    int FTopIndex = 0;
    TScrollBarPart FBar;
};

// ---------------------------------------------------------------- TComboBox

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList };

// A text field with a list that drops down below it. The list is a popup window
// (Popups.h) that captures the mouse while it is down: a click on an item picks it, a
// click elsewhere closes the list. Alt+Down or F4 drops it down, Enter closes it keeping
// the item, Esc closes it restoring the item it showed before; Up and Down change the
// item whether the list is down or not. Changing the item fires OnClick and OnChange.
class TCustomComboBox : public TWinControl {
public:
    explicit TCustomComboBox(TComponent* AOwner);
    ~TCustomComboBox() override;

    std::vector<std::string>& Items() { return FItems; }
    const std::vector<std::string>& Items() const { return FItems; }
    void SetItems(const std::vector<std::string>& Value);
    void AddItem(const std::string& Item);
    void Clear();
    int ItemIndex() const;
    // Selects an item and shows its text (-1 for none); fires no event.
    void SetItemIndex(int Value);
    TComboBoxStyle Style() const { return FStyle; }
    void SetStyle(TComboBoxStyle Value);
    int DropDownCount() const { return FDropDownCount; }
    void SetDropDownCount(int Value) { FDropDownCount = Value < 1 ? 1 : Value; }
    int ItemHeight() const { return FItemHeight; }

    bool DroppedDown() const { return FList != nullptr; }
    void SetDroppedDown(bool Value);
    // The dropped-down list window while the list is down (null otherwise).
    TWinControl* ListWindow() const;

    TNotifyEvent OnChange;
    TNotifyEvent OnDropDown;
    TNotifyEvent OnCloseUp;

protected:
    void Paint() override;
    void KeyDown(std::uint16_t& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    LRESULT DialogCode() const override;
    bool FocusOnClick() const override { return true; }
    void WndProc(TMessage& Message) override;
    virtual void Change();

private:
    friend class TComboListWindow;
    void SelectFromUser(int Index);
    void CloseUp(bool Accept);
    std::vector<std::string> FItems;
    int FItemIndex = -1;
    TComboBoxStyle FStyle = csDropDown;
    int FDropDownCount = 8;
    int FItemHeight = 16;
    int FIndexAtDrop = -1;
    TComboListWindow* FList = nullptr;
};

class TComboBox : public TCustomComboBox {
public:
    explicit TComboBox(TComponent* AOwner) : TCustomComboBox(AOwner) {}
};

// ---------------------------------------------------------------- TToolBar

enum TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };

class TToolBar;

// A button of a tool bar: an image of the bar's image list, or a separator gap. The
// click fires when the mouse is released over the button.
class TToolButton : public TGraphicControl {
public:
    explicit TToolButton(TComponent* AOwner);
    ~TToolButton() override;
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value);
    TToolButtonStyle Style() const { return FStyle; }
    void SetStyle(TToolButtonStyle Value);
    bool Down() const { return FDown; }
    void SetDown(bool Value);
    // Whether the button starts a new row (set by the bar's layout when it wraps).
    bool Wrap() const { return FWrap; }
    // The button's position in its tool bar, or -1.
    int Index() const;
    TToolBar* ToolBar() const;
    bool Pressed() const { return FPressed; }

    void SetParent(TWinControl* AParent) override;
    void SetVisible(bool Value) override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void EnabledChanged() override;

private:
    friend class TToolBar;
    int FImageIndex = -1;
    TToolButtonStyle FStyle = tbsButton;
    bool FDown = false;
    bool FWrap = false;
    bool FPressed = false;
    bool FTracking = false;
};

// A row of tool buttons, laid out left to right in the order they were added. With
// Wrapable set, a button that does not fit in the rest of the row starts the next row.
class TToolBar : public TWinControl {
public:
    explicit TToolBar(TComponent* AOwner);
    ~TToolBar() override;

    int ButtonCount() const;
    TToolButton* Buttons(int Index) const;
    int ButtonWidth() const { return FButtonWidth; }
    void SetButtonWidth(int Value);
    int ButtonHeight() const { return FButtonHeight; }
    void SetButtonHeight(int Value);
    bool Flat() const { return FFlat; }
    void SetFlat(bool Value);
    bool Wrapable() const { return FWrapable; }
    void SetWrapable(bool Value);
    bool ShowCaptions() const { return FShowCaptions; }
    void SetShowCaptions(bool Value);
    // The images the buttons show (not owned; the bar forgets them when they are freed).
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    TCustomImageList* DisabledImages() const { return FDisabledImages; }
    void SetDisabledImages(TCustomImageList* Value);
    // The number of rows of the last layout.
    int RowCount() const { return FRowCount; }
    // Places the buttons again (called by the bar itself on every change).
    void LayoutButtons();

    void Notification(TComponent* AComponent, TOperation Operation) override;

protected:
    void Paint() override;
    void Resize() override;

private:
    friend class TToolButton;
    std::vector<TToolButton*> FButtons;
    int FButtonWidth = 23;
    int FButtonHeight = 22;
    bool FFlat = false;
    bool FWrapable = true;
    bool FShowCaptions = false;
    TCustomImageList* FImages = nullptr;
    TCustomImageList* FDisabledImages = nullptr;
    int FRowCount = 0;
    bool FLayingOut = false;
};

// ---------------------------------------------------------------- THotKey

// Modifier combinations for THotKey::InvalidKeys.
enum THKInvalidKey : std::uint8_t {
    hcNone = 1 << 0, hcShift = 1 << 1, hcCtrl = 1 << 2, hcAlt = 1 << 3,
    hcShiftCtrl = 1 << 4, hcShiftAlt = 1 << 5, hcCtrlAlt = 1 << 6, hcShiftCtrlAlt = 1 << 7,
};
using THKInvalidKeys = std::uint8_t;
enum THKModifier : std::uint8_t { hkShift = 1, hkCtrl = 2, hkAlt = 4, hkExt = 8 };
using THKModifiers = std::uint8_t;

// Shows a key combination as its shortcut text ("Shift+Ctrl+X"; "None" when empty) and
// captures the combination the user types: a key pressed with any modifiers becomes the
// HotKey. Backspace alone clears it; Tab, Enter and Esc are left to the dialog. A
// combination whose modifiers are in InvalidKeys gets the Modifiers instead.
class THotKey : public TWinControl {
public:
    explicit THotKey(TComponent* AOwner);
    TShortCut HotKey() const { return FHotKey; }
    void SetHotKey(TShortCut Value);
    THKInvalidKeys InvalidKeys() const { return FInvalidKeys; }
    void SetInvalidKeys(THKInvalidKeys Value) { FInvalidKeys = Value; }
    THKModifiers Modifiers() const { return FModifiers; }
    void SetModifiers(THKModifiers Value) { FModifiers = Value; }
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);
    // What the field shows now ("Shift+Ctrl+" while only modifiers are held).
    std::string DisplayText() const;
    TNotifyEvent OnChange;

protected:
    void Paint() override;
    void KeyDown(std::uint16_t& Key, TShiftState Shift) override;
    void KeyUp(std::uint16_t& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;
    LRESULT DialogCode() const override { return DLGC_WANTARROWS | DLGC_WANTCHARS; }
    bool FocusOnClick() const override { return true; }
    void WndProc(TMessage& Message) override;

private:
    void Store(TShortCut Value);
    TShortCut FHotKey = 0;
    THKInvalidKeys FInvalidKeys = hcNone | hcShift;
    THKModifiers FModifiers = hkAlt;
    bool FAutoSize = true;
    TShiftState FPending = 0;
};

// ---------------------------------------------------------------- TProgressBar

// A bar filled from the left in proportion to (Position - Min) / (Max - Min): in blocks,
// or in one piece when Smooth.
class TProgressBar : public TWinControl {
public:
    explicit TProgressBar(TComponent* AOwner);
    int Min() const { return FMin; }
    void SetMin(int Value);
    int Max() const { return FMax; }
    void SetMax(int Value);
    // Kept within Min..Max.
    int Position() const { return FPosition; }
    void SetPosition(int Value);
    bool Smooth() const { return FSmooth; }
    void SetSmooth(bool Value);
    int Step() const { return FStep; }
    void SetStep(int Value) { FStep = Value; }
    void StepIt() { SetPosition(FPosition + FStep); }
    void StepBy(int Delta) { SetPosition(FPosition + Delta); }
    // The pixel width of the filled part within the bar's frame.
    int FilledWidth() const;

protected:
    void Paint() override;

private:
    int FMin = 0;
    int FMax = 100;
    int FPosition = 0;
    bool FSmooth = false;
    int FStep = 10;
};

// ---------------------------------------------------------------- TAnimate

// Plays a looping clip. A clip is a bitmap holding its frames side by side, each frame
// as wide as the bitmap is high (a 128 x 16 bitmap holds eight 16 x 16 frames); it comes
// from a named bitmap resource (ResName, "FLYAVI") or a BMP file (FileName). Frames
// advance every FrameInterval ms on the application's clock while Active. With
// Transparent, the colour of each frame's bottom-left pixel is left undrawn; with
// AutoSize, opening a clip sizes the control to one frame.
class EAnimateError : public Exception {
public:
    using Exception::Exception;
};

class TAnimate : public TWinControl {
public:
    explicit TAnimate(TComponent* AOwner);
    ~TAnimate() override;

    bool Active() const { return FActive; }
    // Starts or stops playing; without a clip the control stays inactive.
    void SetActive(bool Value);
    const std::string& ResName() const { return FResName; }
    // Opens the named clip resource; an unknown or unreadable one raises EAnimateError
    // and leaves the control as it was. The empty name closes the clip.
    void SetResName(const std::string& Value);
    // The module the resource comes from; 0 is the package's own resources.
    std::uintptr_t ResHandle() const { return FResHandle; }
    void SetResHandle(std::uintptr_t Value) { FResHandle = Value; }
    const std::string& FileName() const { return FFileName; }
    // Opens a clip from a BMP file (EAnimateError when it cannot be read).
    void SetFileName(const std::string& Value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);
    bool Center() const { return FCenter; }
    void SetCenter(bool Value) { FCenter = Value; Invalidate(); }
    // 0 plays forever; otherwise the clip stops after that many rounds.
    int Repetitions() const { return FRepetitions; }
    void SetRepetitions(int Value) { FRepetitions = Value < 0 ? 0 : Value; }
    int FrameInterval() const { return FInterval; }
    void SetFrameInterval(int Ms);
    bool Open() const { return !FFrames.empty(); }
    int FrameCount() const { return static_cast<int>(FFrames.size()); }
    int FrameWidth() const { return FFrameWidth; }
    int FrameHeight() const { return FFrameHeight; }
    int CurrentFrame() const { return FCurrent; }
    // Shows one frame (stops playing).
    void Seek(int Frame);
    void Play() { SetActive(true); }
    void Stop() { SetActive(false); }

    TNotifyEvent OnOpen;
    TNotifyEvent OnStart;
    TNotifyEvent OnStop;

protected:
    void Paint() override;

private:
    void LoadClip(TBitmap& Strip);
    void Tick();
    std::vector<std::unique_ptr<TBitmap>> FFrames;
    int FFrameWidth = 0;
    int FFrameHeight = 0;
    int FCurrent = 0;
    int FRounds = 0;
    bool FActive = false;
    std::string FResName;
    std::uintptr_t FResHandle = 0;
    std::string FFileName;
    bool FTransparent = false;
    bool FAutoSize = true;
    bool FCenter = true;
    int FRepetitions = 0;
    int FInterval = 100;
    TTimer* FTimer = nullptr;
};

}  // namespace korin
