// Published properties of the glyph buttons, edit boxes, check and radio buttons, group
// boxes, panels and bevels, for the form reader and writer. The window classes they build
// on (TControl, TWinControl, TButton, …) are registered by RegisterGuiClasses first.
#include <cstdint>

#include "korin/platform/core/TypInfo.h"
#include "korin/platform/gui/Buttons.h"
#include "korin/platform/gui/ExtCtrls.h"
#include "korin/platform/gui/Registration.h"
#include "korin/platform/gui/StdCtrls.h"

namespace korin {

namespace {

template <class T>
std::function<std::int64_t(T*)> IntGetter(int (T::*Get)() const)
{
    return [Get](T* o) -> std::int64_t { return (o->*Get)(); };
}

template <class T>
std::function<void(T*, std::int64_t)> IntSetter(void (T::*Set)(int))
{
    return [Set](T* o, std::int64_t v) { (o->*Set)(static_cast<int>(v)); };
}

}  // namespace

void RegisterStandardControls()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    RegisterGuiClasses();
    // Local, not namespace-scope: this runs from a static initialiser of another file.
    const std::vector<std::string> kAlignments{"taLeftJustify", "taRightJustify", "taCenter"};
    const std::vector<std::string> kLayouts{"blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom"};

    RegisterClass<TSpeedButton>("TSpeedButton", "TGraphicControl")
        .Boolean("AllowAllUp", &TSpeedButton::AllowAllUp, &TSpeedButton::SetAllowAllUp).Default(false)
        // The group comes before Down, which needs it.
        .Integer("GroupIndex", IntGetter(&TSpeedButton::GroupIndex), IntSetter(&TSpeedButton::SetGroupIndex)).Default(0)
        .Boolean("Down", &TSpeedButton::Down, &TSpeedButton::SetDown).Default(false)
        .Boolean("Flat", &TSpeedButton::Flat, &TSpeedButton::SetFlat).Default(false)
        .Enum<TButtonLayout>("Layout", kLayouts, &TSpeedButton::Layout, &TSpeedButton::SetLayout).Default(blGlyphLeft)
        .Integer("Margin", IntGetter(&TSpeedButton::Margin), IntSetter(&TSpeedButton::SetMargin)).Default(-1)
        .Integer("NumGlyphs", IntGetter(&TSpeedButton::NumGlyphs), IntSetter(&TSpeedButton::SetNumGlyphs)).Default(1)
        .Integer("Spacing", IntGetter(&TSpeedButton::Spacing), IntSetter(&TSpeedButton::SetSpacing)).Default(4);

    RegisterClass<TBitBtn>("TBitBtn", "TButton")
        .Enum<TBitBtnKind>("Kind",
                           {"bkCustom", "bkOK", "bkCancel", "bkHelp", "bkYes", "bkNo", "bkClose", "bkAbort", "bkRetry",
                            "bkIgnore"},
                           &TBitBtn::Kind, &TBitBtn::SetKind)
        .Default(bkCustom)
        .Enum<TButtonLayout>("Layout", kLayouts, &TBitBtn::Layout, &TBitBtn::SetLayout).Default(blGlyphLeft)
        .Integer("Margin", IntGetter(&TBitBtn::Margin), IntSetter(&TBitBtn::SetMargin)).Default(-1)
        .Integer("NumGlyphs", IntGetter(&TBitBtn::NumGlyphs), IntSetter(&TBitBtn::SetNumGlyphs)).Default(1)
        .Integer("Spacing", IntGetter(&TBitBtn::Spacing), IntSetter(&TBitBtn::SetSpacing)).Default(4);

    RegisterClass<TCustomEdit>("TCustomEdit", "TWinControl")
        // An edit box stores its text as Text, not Caption.
        .String("Caption", [](TCustomEdit* e) { return e->Caption(); },
                [](TCustomEdit* e, const std::string& v) { e->SetCaption(v); })
        .NeverStored()
        .Integer("Color", [](TCustomEdit* e) -> std::int64_t { return e->Color(); },
                 [](TCustomEdit* e, std::int64_t v) { e->SetColor(static_cast<TColor>(v)); }, ColorIdents())
        .Default(static_cast<std::int64_t>(clWindow))
        .StoredWhen([](TCustomEdit* e) { return !e->ParentColor(); })
        .Boolean("TabStop", [](TCustomEdit* e) { return e->TabStop(); }, [](TCustomEdit* e, bool v) { e->SetTabStop(v); })
        .Default(true)
        .Boolean("AutoSelect", &TCustomEdit::AutoSelect, &TCustomEdit::SetAutoSelect).Default(true)
        .Integer("MaxLength", IntGetter(&TCustomEdit::MaxLength), IntSetter(&TCustomEdit::SetMaxLength)).Default(0)
        .Boolean("ReadOnly", &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly).Default(false)
        .String("Text", [](TCustomEdit* e) { return e->Text(); }, [](TCustomEdit* e, const std::string& v) { e->SetText(v); })
        .Default("")
        .Event("OnChange", &TCustomEdit::OnChange);
    RegisterClass<TEdit>("TEdit", "TCustomEdit");

    RegisterClass<TMemo>("TMemo", "TWinControl")
        .String("Caption", [](TMemo* m) { return m->Caption(); }, [](TMemo* m, const std::string& v) { m->SetCaption(v); })
        .NeverStored()
        .Integer("Color", [](TMemo* m) -> std::int64_t { return m->Color(); },
                 [](TMemo* m, std::int64_t v) { m->SetColor(static_cast<TColor>(v)); }, ColorIdents())
        .Default(static_cast<std::int64_t>(clWindow))
        .StoredWhen([](TMemo* m) { return !m->ParentColor(); })
        .Boolean("TabStop", [](TMemo* m) { return m->TabStop(); }, [](TMemo* m, bool v) { m->SetTabStop(v); }).Default(true)
        .Strings("Lines", &TMemo::Lines, &TMemo::SetLines).Default(std::vector<std::string>{})
        .Boolean("ReadOnly", &TMemo::ReadOnly, &TMemo::SetReadOnly).Default(false)
        .Boolean("WantReturns", &TMemo::WantReturns, &TMemo::SetWantReturns).Default(true)
        .Boolean("WantTabs", &TMemo::WantTabs, &TMemo::SetWantTabs).Default(false)
        .Event("OnChange", &TMemo::OnChange);

    RegisterClass<TCheckBox>("TCheckBox", "TWinControl")
        .Boolean("TabStop", [](TCheckBox* c) { return c->TabStop(); }, [](TCheckBox* c, bool v) { c->SetTabStop(v); })
        .Default(true)
        .Enum<TAlignment>("Alignment", kAlignments, &TCheckBox::Alignment, &TCheckBox::SetAlignment).Default(taRightJustify)
        .Boolean("AllowGrayed", &TCheckBox::AllowGrayed, &TCheckBox::SetAllowGrayed).Default(false)
        .Boolean("Checked", &TCheckBox::Checked, &TCheckBox::SetChecked).Default(false)
        // Checked covers the two plain states; only grayed needs State.
        .Enum<TCheckBoxState>("State", {"cbUnchecked", "cbChecked", "cbGrayed"}, &TCheckBox::State, &TCheckBox::SetState)
        .StoredWhen([](TCheckBox* c) { return c->State() == cbGrayed; });

    RegisterClass<TRadioButton>("TRadioButton", "TWinControl")
        .Enum<TAlignment>("Alignment", kAlignments, &TRadioButton::Alignment, &TRadioButton::SetAlignment)
        .Default(taRightJustify)
        .Boolean("Checked", &TRadioButton::Checked, &TRadioButton::SetChecked).Default(false)
        // A radio button is a tab stop while checked; a form file may still say otherwise.
        .Boolean("TabStop", [](TRadioButton* r) { return r->TabStop(); }, [](TRadioButton* r, bool v) { r->SetTabStop(v); })
        .StoredWhen([](TRadioButton* r) { return r->TabStop() != r->Checked(); });

    RegisterClass<TGroupBox>("TGroupBox", "TCustomControl");

    const std::vector<std::string> cuts{"bvNone", "bvLowered", "bvRaised", "bvSpace"};
    RegisterClass<TCustomPanel>("TCustomPanel", "TCustomControl")
        .Enum<TAlignment>("Alignment", kAlignments, &TCustomPanel::Alignment, &TCustomPanel::SetAlignment).Default(taCenter)
        .Enum<TBevelCut>("BevelInner", cuts, &TCustomPanel::BevelInner, &TCustomPanel::SetBevelInner).Default(bvNone)
        .Enum<TBevelCut>("BevelOuter", cuts, &TCustomPanel::BevelOuter, &TCustomPanel::SetBevelOuter).Default(bvRaised)
        .Integer("BevelWidth", IntGetter(&TCustomPanel::BevelWidth), IntSetter(&TCustomPanel::SetBevelWidth)).Default(1)
        .Integer("BorderWidth", IntGetter(&TCustomPanel::BorderWidth), IntSetter(&TCustomPanel::SetBorderWidth)).Default(0);
    RegisterClass<TPanel>("TPanel", "TCustomPanel");

    RegisterClass<TBevel>("TBevel", "TGraphicControl")
        .Enum<TBevelShape>("Shape", {"bsBox", "bsFrame", "bsTopLine", "bsBottomLine", "bsLeftLine", "bsRightLine", "bsSpacer"},
                           &TBevel::Shape, &TBevel::SetShape)
        .Default(bsBox)
        .Enum<TBevelStyle>("Style", {"bsLowered", "bsRaised"}, &TBevel::Style, &TBevel::SetStyle)
        .Default(bsLowered);
}

}  // namespace korin
