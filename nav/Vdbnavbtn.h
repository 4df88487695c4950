#pragma once
// The navigator's buttons: the enumeration that names them, their constant tables
// (glyph resource stem, hint caption, default shortcuts), the set and array types built
// on the enumeration, and the button control itself.
//
// The order of TVNavigateBtn is part of the stored format: a set of buttons is written
// to form files as an integer whose bit i stands for the button of ordinal i.
#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>

#include "korin/nav/NavPlatform.h"
#include "korin/platform/gui/Timers.h"

namespace korin {

enum TVNavigateBtn : int {
    vnbFirst, vnbPriorPage, vnbFirstField, vnbPrior, vnbNext, vnbLastField, vnbNextPage, vnbLast,
    vnbInsert, vnbDelete, vnbEdit, vnbPost, vnbCancel, vnbRefresh, vnbIncrementalSearch, vnbFilter,
    vnbQuery, vnbFind, vnbFindNext, vnbDittoCopyField, vnbDittoCopyRecord, vnbGotoNextDSControl,
    vnbCopyRec, vnbPasteRec, vnbDateTime,
};

constexpr int NavButtonCount = 25;
constexpr int Ord(TVNavigateBtn B) { return static_cast<int>(B); }
// The button of ordinal I (0 … 24).
constexpr TVNavigateBtn NavBtn(int I) { return static_cast<TVNavigateBtn>(I); }
// Every button in enumeration order, for range loops.
std::array<TVNavigateBtn, NavButtonCount> AllNavButtons();

// A set of buttons, held as a 32-bit mask with bit i for the button of ordinal i.
class TVButtonSet {
public:
    constexpr TVButtonSet() = default;
    constexpr TVButtonSet(std::initializer_list<TVNavigateBtn> Buttons)
    {
        for (TVNavigateBtn b : Buttons)
            FMask |= Bit(b);
    }
    // The set a stored mask stands for; bits 25 to 31 name no button and are dropped.
    static constexpr TVButtonSet FromMask(std::uint32_t Mask)
    {
        TVButtonSet s;
        s.FMask = Mask & AllMask;
        return s;
    }
    // The buttons from First to Last inclusive.
    static constexpr TVButtonSet Range(TVNavigateBtn First, TVNavigateBtn Last)
    {
        TVButtonSet s;
        for (int i = Ord(First); i <= Ord(Last); ++i)
            s.FMask |= 1u << i;
        return s;
    }
    constexpr std::uint32_t Mask() const { return FMask; }
    constexpr bool Contains(TVNavigateBtn B) const { return (FMask & Bit(B)) != 0; }
    constexpr bool Empty() const { return FMask == 0; }
    int Count() const;
    constexpr void Include(TVNavigateBtn B) { FMask |= Bit(B); }
    constexpr void Exclude(TVNavigateBtn B) { FMask &= ~Bit(B); }
    constexpr TVButtonSet operator+(TVNavigateBtn B) const { return FromMask(FMask | Bit(B)); }
    constexpr TVButtonSet operator-(TVNavigateBtn B) const { return FromMask(FMask & ~Bit(B)); }
    constexpr TVButtonSet operator+(TVButtonSet S) const { return FromMask(FMask | S.FMask); }
    constexpr TVButtonSet operator-(TVButtonSet S) const { return FromMask(FMask & ~S.FMask); }
    constexpr TVButtonSet operator*(TVButtonSet S) const { return FromMask(FMask & S.FMask); }
    friend constexpr bool operator==(TVButtonSet, TVButtonSet) = default;

    static constexpr std::uint32_t AllMask = (1u << NavButtonCount) - 1;

private:
    static constexpr std::uint32_t Bit(TVNavigateBtn B) { return 1u << Ord(B); }
    std::uint32_t FMask = 0;
};

// One entry per button, indexed by the enumeration.
template <class T>
struct TNavButtonTable : std::array<T, NavButtonCount> {
    using std::array<T, NavButtonCount>::operator[];
    T& operator[](TVNavigateBtn B) { return (*this)[static_cast<std::size_t>(Ord(B))]; }
    const T& operator[](TVNavigateBtn B) const { return (*this)[static_cast<std::size_t>(Ord(B))]; }
};

// One shortcut text per button ("Ctrl+E", "" for none).
using TShortCutArray = TNavButtonTable<std::string>;

// nsAllowTimer: the button clicks itself repeatedly while held; nsFocusRect: it draws a
// focus rectangle while it is the navigator's focused button and the navigator has the
// input focus.
enum TVNavButtonStyleFlag : std::uint8_t { nsAllowTimer = 1, nsFocusRect = 2 };
using TVNavButtonStyle = std::uint8_t;

// The glyph resource stem of each button ("_FIRST"): the glyphs are "DBN_" + stem (10-pixel
// set) and "DBN_16" + stem (16-pixel set).
extern const TNavButtonTable<const char*> BtnTypeName;
// The hint caption of each button ("FIRST FIELD").
extern const TNavButtonTable<const char*> BtnHintText;
// Factory shortcuts for multi-row and other controls, and for single-row controls.
extern TShortCutArray DefaultShortCuts;
extern TShortCutArray DefaultSShortCuts;

class TVandroDBNavigator;

// A navigator button: a speed button that knows which button it is, may repeat its click
// while held, and may draw a focus rectangle.
class TVNavButton : public TSpeedButton {
public:
    explicit TVNavButton(TComponent* AOwner);
    ~TVNavButton() override;

    TVNavigateBtn Index() const { return FIndex; }
    void SetIndex(TVNavigateBtn Value) { FIndex = Value; }
    TVNavButtonStyle NavStyle() const { return FNavStyle; }
    void SetNavStyle(TVNavButtonStyle Value) { FNavStyle = Value; }
    // The repeat timer, created on the first press of a repeating button (null before).
    TTimer* RepeatTimer() const { return FRepeatTimer; }

    // The repeat timer's handler: from now on every 200 ms; clicks only while the button
    // is down and holds the mouse capture. A click that raises stops the repeat.
    void TimerExpired(TObject* Sender);

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    TVNavigateBtn FIndex = vnbFirst;
    TVNavButtonStyle FNavStyle = 0;
    TTimer* FRepeatTimer = nullptr;
};

}  // namespace korin
