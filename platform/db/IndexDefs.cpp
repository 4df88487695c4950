#include "korin/platform/db/DBTables.h"

#include "korin/platform/db/SQLText.h"
#include "korin/platform/db/SQLiteEngine.h"

namespace korin {

using namespace dbsql;

TIndexDef* TIndexDefs::Items(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw EDatabaseError("List index out of bounds (" + std::to_string(Index) + ")");
    return FItems[static_cast<size_t>(Index)].get();
}

TIndexDef* TIndexDefs::FindIndex(const std::string& Name) const
{
    for (const auto& d : FItems)
        if (SameText(d->Name(), Name))
            return d.get();
    return nullptr;
}

TIndexDef* TIndexDefs::Find(const std::string& Name) const
{
    TIndexDef* d = FindIndex(Name);
    if (!d)
        throw EDatabaseError("Index '" + Name + "' not found");
    return d;
}

void TIndexDefs::Update()
{
    if (FTable->Active()) {
        FTable->ReadIndexDefs(FTable->Database());
        return;
    }
    TDatabase* db = Session->OpenDatabase(FTable->DatabaseName());
    try {
        FTable->ReadIndexDefs(db);
    } catch (...) {
        Session->CloseDatabase(db);
        throw;
    }
    Session->CloseDatabase(db);
}

}  // namespace korin
