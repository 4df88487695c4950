// Registration of the package's components: the palette page "Korin" and the published
// properties the form reader and writer use.
#include <algorithm>
#include <string>
#include <vector>

#include "korin/nav/Vdbnav.h"
#include "korin/platform/core/Registry.h"
#include "korin/platform/core/TypInfo.h"
#include "korin/platform/gui/Registration.h"
#include "korin/statusbar/Statbar.h"

namespace korin {

namespace {

std::vector<std::string> ButtonNames()
{
    return {"vnbFirst", "vnbPriorPage", "vnbFirstField", "vnbPrior", "vnbNext", "vnbLastField",
            "vnbNextPage", "vnbLast", "vnbInsert", "vnbDelete", "vnbEdit", "vnbPost", "vnbCancel",
            "vnbRefresh", "vnbIncrementalSearch", "vnbFilter", "vnbQuery", "vnbFind", "vnbFindNext",
            "vnbDittoCopyField", "vnbDittoCopyRecord", "vnbGotoNextDSControl", "vnbCopyRec",
            "vnbPasteRec", "vnbDateTime"};
}

std::vector<std::string> TableToList(const TShortCutArray& Table)
{
    return std::vector<std::string>(Table.begin(), Table.end());
}

// A stored table holds one entry per button, in button order; anything else is refused
// and the navigator keeps the table it had.
TShortCutArray ListToTable(const std::vector<std::string>& List, const char* Property)
{
    TShortCutArray table{};
    if (List.size() != table.size())
        throw EReadError(std::string(Property) + ": a shortcut table holds " + std::to_string(table.size()) +
                         " entries, not " + std::to_string(List.size()));
    std::copy(List.begin(), List.end(), table.begin());
    return table;
}

void RegisterNavigatorClass()
{
    using N = TVandroDBNavigator;
    // Its geometry, Align, Enabled, Visible, ShowHint, TabOrder, TabStop and the other control
    // properties come from the window classes; the panel's own (bevels, alignment of the
    // caption) are not published by the navigator.
    RegisterGuiClasses();
    RegisterClass<N>("TVandroDBNavigator", "TCustomControl")
        // The navigator's own properties.
        .Boolean("ConfirmDelete", &N::ConfirmDelete, &N::SetConfirmDelete)
        .Default(false)
        .Integer("ButtonsColor", [](N* n) { return std::int64_t(n->ButtonsColor()); },
                 [](N* n, std::int64_t v) { n->SetButtonsColor(TColor(v)); }, ColorIdents())
        .Default(std::int64_t(clBtnFace))
        .SubObject("FindOptions", "TCustomdbSearch", [](N* n) -> TObject* { return n->FindOptions(); })
        .Boolean("FlatButtons", &N::FlatButtons, &N::SetFlatButtons)
        .Default(true)
        .Boolean("ChangeControlFocus", &N::ChangeControlFocus, &N::SetChangeControlFocus)
        .Default(true)
        .Boolean("ShowShortCuts", &N::ShowShortCuts, &N::SetShowShortCuts)
        .Default(true)
        .Boolean("Vertical", &N::Vertical, &N::SetVertical)
        .Default(false)
        .String("ShortCuts", [](N* n) { return n->GetShortCut(); },
                [](N* n, const std::string& v) { n->SetShortCut(v); })
        .Default("")
        // Tables changed with the shortcut editor; written only when they differ from
        // the factory tables, so form files of navigators that keep those read and
        // write exactly as before.
        .Strings("SingleRowShortCuts", [](N* n) { return TableToList(n->SingleRowShortCuts); },
                 [](N* n, const std::vector<std::string>& v) {
                     n->SetSingleRowShortCuts(ListToTable(v, "SingleRowShortCuts"));
                 })
        .StoredWhen([](N* n) { return n->SingleRowShortCuts != DefaultSShortCuts; })
        .Strings("MultiRowShortCuts", [](N* n) { return TableToList(n->MultiRowShortCuts); },
                 [](N* n, const std::vector<std::string>& v) {
                     n->SetMultiRowShortCuts(ListToTable(v, "MultiRowShortCuts"));
                 })
        .StoredWhen([](N* n) { return n->MultiRowShortCuts != DefaultShortCuts; })
        .Integer("PageRowsCount", [](N* n) { return n->StoredPageRows(); },
                 [](N* n, std::int64_t v) { n->SetPageRows(int(v)); })
        .Default(10)
        // Written whenever it differs from the set a new navigator starts with (19
        // buttons); declaring the ten-button set as the default would lose a navigator
        // that really shows those ten, since reading starts from the nineteen.
        .SetOf("VisibleButtons", ButtonNames(), [](N* n) { return std::uint64_t(n->VisibleButtons().Mask()); },
               [](N* n, std::uint64_t v) { n->SetVisible(TVButtonSet::FromMask(std::uint32_t(v))); },
               /*WriteAsInteger=*/true)
        .Default(std::int64_t(InitialVisibleButtons.Mask()))
        .Enum<TButtonImageSize>("ButtonImageSize", {"bis10", "bis16"}, &N::ButtonImageSize, &N::SetButtonImageSize)
        .Default(bis16)
        .Event("OnClickNavigatorButton", &N::OnClickNavigatorButton)
        .Event("BeforeAction", &N::BeforeAction)
        .Event("BeforeFocusChanged", &N::BeforeFocusChanged)
        .Event("AfterFocusChanged", &N::AfterFocusChanged)
        .Event("DataSourceChanged", &N::DataSourceChanged)
        .Event("OnEnterKeyDown", &N::OnEnterKeyDown)
        .Reference<TKStatusBar>("StatusBar", &N::StatusBar, &N::SetStatusBar);
}

} // namespace

void Register()
{
    RegisterNavigatorClass();
    RegisterStatusBar();
    RegisterPackageDescription("Korin - VandroDBNavigator, KStatusBar");
    RegisterComponents("Korin", {"TVandroDBNavigator", "TKStatusBar"}, {"TVANDRODBNAVIGATOR", "TKSTATUSBAR"});
}

}  // namespace korin
