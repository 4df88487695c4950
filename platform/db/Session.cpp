#include "korin/platform/db/DBTables.h"

#include <algorithm>

#include "korin/platform/db/SQLText.h"
#include "korin/platform/db/SQLiteEngine.h"

namespace korin {

using namespace dbsql;

bool dbsql::gSessionAlive = false;

static TSession gDefaultSession(nullptr);
TSession* Session = &gDefaultSession;

TSession::TSession(TComponent* AOwner) : TComponent(AOwner)
{
    if (this == &gDefaultSession)
        gSessionAlive = true;
}

TSession::~TSession()
{
    std::vector<TDatabase*> dbs = FDatabases;
    for (TDatabase* db : dbs) {
        db->Close();
        if (db->Temporary())
            db->Free();
    }
    FDatabases.clear();
    if (this == &gDefaultSession)
        gSessionAlive = false;
}

namespace {

std::vector<TBDEInitProc>& InitProcs()
{
    static std::vector<TBDEInitProc> procs;
    return procs;
}

}  // namespace

void RegisterBDEInitProc(TBDEInitProc InitProc)
{
    if (InitProc)
        InitProcs().push_back(std::move(InitProc));
}

void TSession::SetActive(bool Value)
{
    if (Value == FActive)
        return;
    FActive = Value;
    if (FActive) {
        if (OnStartup)
            OnStartup(this);
        std::vector<TBDEInitProc> procs = InitProcs();
        for (auto& p : procs)
            p(this);
    } else {
        std::vector<TDatabase*> dbs = FDatabases;
        for (TDatabase* db : dbs)
            db->Close();
    }
}

void TSession::AddAlias(const std::string& Name, const std::string& Path)
{
    if (Name.empty())
        throw EDatabaseError("Alias name missing");
    FAliases[UpperAscii(Name)] = Path;
    FAliasNames[UpperAscii(Name)] = Name;
}

void TSession::DeleteAlias(const std::string& Name)
{
    FAliases.erase(UpperAscii(Name));
    FAliasNames.erase(UpperAscii(Name));
}

bool TSession::IsAlias(const std::string& Name) const { return FAliases.count(UpperAscii(Name)) != 0; }

std::string TSession::GetAliasPath(const std::string& Name) const
{
    auto it = FAliases.find(UpperAscii(Name));
    if (it == FAliases.end())
        throw EDatabaseError("Unknown alias: " + Name);
    return it->second;
}

void TSession::GetAliasNames(std::vector<std::string>& List) const
{
    List.clear();
    for (const auto& [k, v] : FAliasNames)
        List.push_back(v);
}

void TSession::GetDatabaseNames(std::vector<std::string>& List) const
{
    GetAliasNames(List);
    for (TDatabase* db : FDatabases)
        if (!db->Temporary() && !db->DatabaseName().empty() &&
            std::find(List.begin(), List.end(), db->DatabaseName()) == List.end())
            List.push_back(db->DatabaseName());
}

TDatabase* TSession::Databases(int Index) const
{
    if (Index < 0 || Index >= DatabaseCount())
        throw EDatabaseError("List index out of bounds (" + std::to_string(Index) + ")");
    return FDatabases[static_cast<size_t>(Index)];
}

TDatabase* TSession::FindDatabase(const std::string& DatabaseName) const
{
    for (TDatabase* db : FDatabases)
        if (SameText(db->DatabaseName(), DatabaseName))
            return db;
    return nullptr;
}

TDatabase* TSession::OpenDatabase(const std::string& DatabaseName)
{
    if (Trim(DatabaseName).empty())
        throw EDatabaseError("Database name missing");
    TDatabase* db = FindDatabase(DatabaseName);
    if (!db) {
        db = new TDatabase(this);
        db->FDatabaseName = DatabaseName;
        db->FTemporary = true;
        db->FKeepConnection = false;
    }
    try {
        db->Open();
    } catch (...) {
        if (db->Temporary() && db->FRefCount == 0)
            db->Free();
        throw;
    }
    ++db->FRefCount;
    return db;
}

void TSession::CloseDatabase(TDatabase* Database)
{
    if (!Database)
        return;
    if (Database->FRefCount > 0)
        --Database->FRefCount;
    if (Database->FRefCount > 0)
        return;
    if (Database->Temporary())
        Database->Free();
    else if (!Database->KeepConnection())
        Database->Close();
}

}  // namespace korin
