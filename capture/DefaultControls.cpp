#include "korin/capture/DefaultControls.h"

#include "korin/capture/DBAware.h"
#include "korin/capture/DBControls.h"
#include "korin/nav/Vdbnav.h"
#include "korin/platform/dbctrls/DBCGrids.h"

namespace korin {

TDefaultControlList::TDefaultControlList(TVandroDBNavigator* ANavigator) : FNavigator(ANavigator)
{
    if (!ANavigator)
        throw Exception("Navigator is NIL.");
}

TDefaultControlList::~TDefaultControlList()
{
    TDefaultControlList::Clear();
}

void TDefaultControlList::Clear()
{
    for (TDefaultControl* item : FItems)
        delete item;
    FItems.clear();
}

bool TDefaultControlList::CheckSelectable(TWinControl* Control)
{
    return Control && GetDataSource(Control) && Control->CanFocus() && Control->TabStop() && Control->Enabled() &&
           !Is<TDBCtrlPanel>(Control) && !Is<TDBCtrlGrid>(Control);
}

void TDefaultControlList::TryMakeDefault(TWinControl* Control, bool Force)
{
    TDataSource* source = GetDataSource(Control);
    if (!source)
        return;
    int index = IndexOfDataSource(source);
    if (index < 0) {
        FItems.push_back(new TDefaultControl(source, nullptr));
        index = Count() - 1;
        // An entry must not outlive its data source.
        source->FreeNotification(FNavigator);
    }
    TDefaultControl* entry = FItems[static_cast<size_t>(index)];
    if (entry->Control && !Force)
        return;
    if (CheckSelectable(Control))
        entry->Control = Control;
}

void TDefaultControlList::RemoveControl(TWinControl* Control)
{
    int index = IndexOfControl(Control);
    if (index >= 0)
        FItems[static_cast<size_t>(index)]->Control = nullptr;
}

void TDefaultControlList::RemoveComponent(const TComponent* Component)
{
    for (auto* item : FItems)
        if (item->Control && static_cast<const TComponent*>(item->Control) == Component)
            item->Control = nullptr;
}

void TDefaultControlList::RemoveDataSource(TDataSource* DataSource)
{
    for (size_t i = 0; i < FItems.size();) {
        if (FItems[i]->DataSource == DataSource) {
            delete FItems[i];
            FItems.erase(FItems.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            ++i;
        }
    }
}

void TDefaultControlList::FocusNextControl(TWinControl* Control)
{
    int count = Count();
    if (count < 2)
        return;
    int start = IndexOfDataSource(GetDataSource(Control));
    int i = start + 1 >= count ? 0 : start + 1;
    if (i == start)
        return;
    for (int visited = 0; visited < count; ++visited) {
        TDefaultControl* entry = FItems[static_cast<size_t>(i)];
        if (CheckSelectable(entry->Control)) {
            entry->Control->SetFocus();
            return;
        }
        // The default cannot take the focus: the first selectable captured control of
        // that data source becomes its default.
        TDBControlsList* registry = FNavigator->DBControls();
        for (int k = 0; registry && k < registry->Count(); ++k) {
            TWinControl* candidate = registry->Controls(k);
            if (candidate && GetDataSource(candidate) == entry->DataSource && CheckSelectable(candidate)) {
                TryMakeDefault(candidate, true);
                candidate->SetFocus();
                return;
            }
        }
        i = i + 1 >= count ? 0 : i + 1;
        if (i == start)
            return;
    }
}

int TDefaultControlList::IndexOfControl(TWinControl* Control) const
{
    for (int i = 0; i < Count(); ++i)
        if (FItems[static_cast<size_t>(i)]->Control == Control)
            return i;
    return -1;
}

int TDefaultControlList::IndexOfDataSource(TDataSource* DataSource) const
{
    for (int i = 0; i < Count(); ++i)
        if (FItems[static_cast<size_t>(i)]->DataSource == DataSource)
            return i;
    return -1;
}

}  // namespace korin
