#pragma once
// Three data-aware controls of the Korin control set: a combo box, a spin edit for whole
// numbers and a data grid.
#include <cstdint>

#include "korin/platform/dbctrls/DBCtrls.h"
#include "korin/platform/dbctrls/DBGrids.h"

namespace korin {

// A data-aware combo box that, while AutoDropDown is set, drops its list down as soon as
// the user types into it.
class TKDBComboBox : public TDBComboBox {
public:
    explicit TKDBComboBox(TComponent* AOwner) : TDBComboBox(AOwner) {}
    bool AutoDropDown() const { return FAutoDropDown; }
    void SetAutoDropDown(bool Value) { FAutoDropDown = Value; }

protected:
    void KeyPress(char32_t& Key) override;

private:
    bool FAutoDropDown = false;
};

// A data-aware edit of a whole number with up and down buttons: Up and Down (or a click
// on a button) add or subtract Increment, kept within MinValue..MaxValue when MaxValue is
// above MinValue; the dataset goes into edit state first.
class TDBSpinEdit : public TDBEditControl {
public:
    explicit TDBSpinEdit(TComponent* AOwner);
    std::int64_t Increment() const { return FIncrement; }
    void SetIncrement(std::int64_t Value) { FIncrement = Value; }
    std::int64_t MinValue() const { return FMinValue; }
    void SetMinValue(std::int64_t Value) { FMinValue = Value; }
    std::int64_t MaxValue() const { return FMaxValue; }
    void SetMaxValue(std::int64_t Value) { FMaxValue = Value; }
    // The number shown (0 for an empty or non-numeric text).
    std::int64_t Value() const;
    // Shows a number as the user would enter it (the dataset goes into edit state).
    void SetValue(std::int64_t Value);
    void Step(int Direction);

protected:
    void KeyDown(std::uint16_t& Key, TShiftState Shift) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool IsValidChar(char32_t Ch) const override;
    void Paint() override;

private:
    std::int64_t FIncrement = 1;
    std::int64_t FMinValue = 0;
    std::int64_t FMaxValue = 0;
};

// A data grid of the Korin control set; it alternates the colour of its data rows while
// Striped is set.
class TDBKGrid : public TCustomDBGrid {
public:
    explicit TDBKGrid(TComponent* AOwner) : TCustomDBGrid(AOwner) {}
    bool Striped() const { return FStriped; }
    void SetStriped(bool Value) { FStriped = Value; Invalidate(); }

protected:
    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;

private:
    bool FStriped = false;
};

}  // namespace korin
