// TEMPORARY stand-in, compiled only while platform/db/DB.h does not exist.
#if !__has_include("platform/db/DB.h")
#include "nav/standin/DataLink.h"

#include <algorithm>

TDataSource::~TDataSource()
{
    BeforeDestruction();
    for (TDataLink* l : std::vector<TDataLink*>(FLinks))
        l->SetDataSource(nullptr);
}

TDataLink::~TDataLink()
{
    SetDataSource(nullptr);
}

void TDataLink::SetDataSource(TDataSource* Value)
{
    if (Value == FDataSource)
        return;
    if (FDataSource)
        std::erase(FDataSource->FLinks, this);
    FDataSource = Value;
    if (FDataSource)
        FDataSource->FLinks.push_back(this);
    ActiveChanged();
}
#endif
