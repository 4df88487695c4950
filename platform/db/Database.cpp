#include "korin/platform/db/DBTables.h"

#include <algorithm>

#include "korin/platform/db/SQLText.h"
#include "korin/platform/db/SQLiteEngine.h"

namespace korin {

using namespace dbsql;

TDatabase::TDatabase(TComponent* AOwner) : TComponent(AOwner)
{
    if (gSessionAlive)
        Session->FDatabases.push_back(this);
}

TDatabase::~TDatabase()
{
    BeforeDestruction();
    Close();
    if (gSessionAlive) {
        auto& v = Session->FDatabases;
        v.erase(std::remove(v.begin(), v.end(), this), v.end());
    }
}

void TDatabase::CheckInactive() const
{
    if (Connected())
        throw EDatabaseError("Cannot perform this operation on an open database");
}

void TDatabase::SetDatabaseName(const std::string& Value)
{
    if (Value == FDatabaseName)
        return;
    CheckInactive();
    FDatabaseName = Value;
}

void TDatabase::SetAliasName(const std::string& Value)
{
    if (Value == FAliasName)
        return;
    CheckInactive();
    FAliasName = Value;
}

void TDatabase::SetReadOnly(bool Value)
{
    if (Value == FReadOnly)
        return;
    CheckInactive();
    FReadOnly = Value;
}

std::string TDatabase::FileName() const
{
    if (!FAliasName.empty())
        return Session->GetAliasPath(FAliasName);
    if (Session->IsAlias(FDatabaseName))
        return Session->GetAliasPath(FDatabaseName);
    return FDatabaseName;
}

TDBDataSet* TDatabase::DataSets(int Index) const
{
    if (Index < 0 || Index >= DataSetCount())
        throw EDatabaseError("List index out of bounds (" + std::to_string(Index) + ")");
    return FDataSets[static_cast<size_t>(Index)];
}

void TDatabase::SetConnected(bool Value)
{
    if (Value == Connected())
        return;
    if (Value) {
        if (BeforeConnect)
            BeforeConnect(this);
        std::string path = FileName();
        if (Trim(path).empty())
            throw EDatabaseError("Database name missing");
        Session->SetActive(true);
        int flags = FReadOnly ? SQLITE_OPEN_READONLY : (SQLITE_OPEN_READWRITE | (FCreateIfMissing ? SQLITE_OPEN_CREATE : 0));
        sqlite3* h = nullptr;
        int rc = sqlite3_open_v2(path.c_str(), &h, flags, nullptr);
        // Reading the schema already waits for a file another connection has locked.
        if (rc == SQLITE_OK) {
            InstallBusyWait(h, this);
            rc = sqlite3_exec(h, "PRAGMA schema_version", nullptr, nullptr, nullptr);
        }
        if (rc != SQLITE_OK) {
            std::string msg = h ? sqlite3_errmsg(h) : "out of memory";
            int code = h ? sqlite3_extended_errcode(h) : SQLITE_NOMEM;
            sqlite3_close_v2(h);
            InstallBusyWait(nullptr, this);
            RaiseIfStopped(nullptr, code);
            throw EDatabaseError("Cannot open database '" + path + "': " + msg, code);
        }
        ConfigureConnection(h);
        FReadOnlyFile = sqlite3_db_readonly(h, "main") == 1;
        FHandle = h;
        if (AfterConnect)
            AfterConnect(this);
    } else {
        if (BeforeDisconnect)
            BeforeDisconnect(this);
        // Keep this object alive while its datasets let go of it.
        ++FRefCount;
        std::vector<TDBDataSet*> sets = FDataSets;
        for (TDBDataSet* d : sets)
            d->Close();
        FRefCount = 0;
        FVersionStatements.clear();
        sqlite3_close_v2(FHandle);
        InstallBusyWait(nullptr, this);
        FHandle = nullptr;
        FReadOnlyFile = false;
        if (AfterDisconnect)
            AfterDisconnect(this);
    }
}

struct TDatabase::TVersionStatements {
    TSQLiteStatement Data, Schema;
    TVersionStatements(sqlite3* Db, const std::string& Name)
        : Data(Db, "PRAGMA " + Name + ".data_version"), Schema(Db, "PRAGMA " + Name + ".schema_version")
    {
    }
};

void TDatabase::ReadVersions(const std::string& Schema, std::int64_t& DataVersion, std::int64_t& SchemaVersion)
{
    if (!FHandle)
        throw EDatabaseError("Database is not connected");
    auto it = FVersionStatements.find(Schema);
    if (it == FVersionStatements.end())
        it = FVersionStatements.emplace(Schema, std::make_unique<TVersionStatements>(FHandle, Schema)).first;
    TVersionStatements& v = *it->second;
    // Each is reset after its row so that no read is left open on the file; a statement
    // that fails resets itself.
    auto read = [](TSQLiteStatement& st, std::int64_t& out) {
        if (!st.Step())
            throw EDatabaseError("No version");
        out = st.ColumnInt64(0);
        st.Reset();
    };
    read(v.Data, DataVersion);
    read(v.Schema, SchemaVersion);
}

int TDatabase::Execute(const std::string& SQL)
{
    // Nothing runs when any part of the text is damaged.
    CheckSQLText(SQL);
    if (!Connected())
        Open();
    CheckEngineFree(FHandle);
    const char* p = SQL.c_str();
    const char* end = p + SQL.size();
    int changes = 0;
    while (p < end) {
        const char* tail = nullptr;
        TSQLiteStatement st(FHandle, p, static_cast<int>(end - p), &tail);
        // The engine always moves on; should it not, stop rather than spin.
        if (!tail || tail <= p)
            break;
        p = tail;
        if (!st.Handle())
            continue;
        while (st.Step()) {
        }
        changes = sqlite3_changes(FHandle);
    }
    return changes;
}

void TDatabase::StartTransaction() { Execute("BEGIN"); }
void TDatabase::Commit() { Execute("COMMIT"); }
void TDatabase::Rollback() { Execute("ROLLBACK"); }
bool TDatabase::InTransaction() const { return FHandle && sqlite3_get_autocommit(FHandle) == 0; }

}  // namespace korin
