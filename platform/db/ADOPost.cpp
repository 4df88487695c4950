// Writing server records: UPDATE and DELETE by the primary key, INSERT returning the
// record as the server stored it. Nothing changes client-side unless the server agreed.
#include <algorithm>

#include <libpq-fe.h>

#include "korin/platform/db/ADODB.h"

namespace korin {

std::string TCustomADODataSet::TableColumnList() const
{
    std::string list;
    for (const auto& c : FTableColumns)
        if (!c.empty())
            list += (list.empty() ? "" : ", ") + c;
    return list;
}

std::string TCustomADODataSet::KeyCondition(int Index, TPGParams& Params)
{
    // The record is found by the key it had when read.
    std::vector<Variant> old(FTableColumns.size(), Variant::Null());
    InternalFetch(Index, old);
    std::string where;
    for (int k : FKeyFields) {
        Params.Add(old[static_cast<size_t>(k)], Fields(k)->DataType());
        where += (where.empty() ? "" : " AND ") + FTableColumns[static_cast<size_t>(k)] + " = $" +
                 std::to_string(Params.Count());
    }
    return where;
}

void TCustomADODataSet::StoreRecord(int Index, bool Inserting, const std::vector<Variant>& Row)
{
    for (const Variant& v : Row)
        FRows.Append(v);
    std::uint32_t at = static_cast<std::uint32_t>(FRows.size() - 1);
    std::int64_t key;
    if (FIntegerKey) {
        key = Row[static_cast<size_t>(FKeyFields[0])].AsInteger();
    } else {
        std::string text;
        for (int k : FKeyFields) {
            text += VarToStr(Row[static_cast<size_t>(k)]);
            text += '\x1f';
        }
        auto it = FKeyIds.find(text);
        if (it == FKeyIds.end())
            it = FKeyIds.emplace(text, FNextKeyId++).first;
        key = it->second;
    }
    if (Inserting) {
        Index = std::clamp(Index, 0, static_cast<int>(FOrder.size()));
        FOrder.insert(FOrder.begin() + Index, at);
        FKeys.insert(FKeys.begin() + Index, key);
        FPosValid = false;
    } else {
        FOrder[static_cast<size_t>(Index)] = at;
        if (FKeys[static_cast<size_t>(Index)] != key) {
            FKeys[static_cast<size_t>(Index)] = key;
            FPosValid = false;
        }
    }
}

int TCustomADODataSet::InternalPost(bool Inserting, int Index, const std::vector<Variant>& Values,
                                    const std::vector<bool>& Changed)
{
    if (FTableName.empty())
        throw EDatabaseError("Cannot modify a read-only dataset");
    TADOConnection* conn = FConnection;
    if (!conn)
        throw EDatabaseError("No connection is given to the dataset");
    conn->CheckFree();
    const size_t n = FTableColumns.size();
    TPGParams params;
    std::string sql;
    if (Inserting) {
        std::string cols, vals;
        for (size_t i = 0; i < n; ++i) {
            if (!Changed[i] || FTableColumns[i].empty())
                continue;
            params.Add(Values[i], Fields(static_cast<int>(i))->DataType());
            cols += (cols.empty() ? "" : ", ") + FTableColumns[i];
            vals += (vals.empty() ? "$" : ", $") + std::to_string(params.Count());
        }
        sql = "INSERT INTO " + FTableName + (cols.empty() ? " DEFAULT VALUES" : " (" + cols + ") VALUES (" + vals + ")");
    } else {
        std::string set;
        for (size_t i = 0; i < n; ++i) {
            if (!Changed[i] || FTableColumns[i].empty())
                continue;
            params.Add(Values[i], Fields(static_cast<int>(i))->DataType());
            set += (set.empty() ? "" : ", ") + FTableColumns[i] + " = $" + std::to_string(params.Count());
        }
        if (set.empty())
            return Index;
        sql = "UPDATE " + FTableName + " SET " + set + " WHERE " + KeyCondition(Index, params);
    }
    sql += " RETURNING " + TableColumnList();
    TPGResult res = conn->Run(sql, params);
    if (res.Rows() != 1)
        throw EDatabaseError("The record was not found: another user may have deleted it");
    // The record as stored (defaults, serial numbers, the server's rounding).
    StoreRecord(Index, Inserting, StoredRow(res, Values));
    return Index;
}

// The table's columns of a result row (as RETURNING or a re-read gives them, in field
// order) put into a record; fields that are not columns of the table keep Base's values.
std::vector<Variant> TCustomADODataSet::StoredRow(const TPGResult& Res, const std::vector<Variant>& Base)
{
    TFetch back;
    for (size_t i = 0; i < FTableColumns.size(); ++i)
        if (!FTableColumns[i].empty()) {
            TFieldDesc d;
            d.Type = Fields(static_cast<int>(i))->DataType();
            back.Descs.push_back(d);
        }
    ConvertRow(Res, 0, back);
    std::vector<Variant> row = Base;
    size_t j = 0;
    for (size_t i = 0; i < FTableColumns.size(); ++i)
        if (!FTableColumns[i].empty())
            row[i] = back.Rows.Get(0, j++);
    return row;
}

void TCustomADODataSet::InternalInvalidate(int Index)
{
    if (FTableName.empty() || FFetching || !FConnection || !FConnection->Connected() || FConnection->Busy() ||
        Index < 0 || Index >= static_cast<int>(FOrder.size()))
        return;
    FConnection->CheckFree();
    TPGParams params;
    std::string where = KeyCondition(Index, params);
    TPGResult res = FConnection->Run("SELECT " + TableColumnList() + " FROM " + FTableName + " WHERE " + where, params);
    if (res.Rows() != 1)
        return;
    std::vector<Variant> base(FTableColumns.size(), Variant::Null());
    InternalFetch(Index, base);
    StoreRecord(Index, false, StoredRow(res, base));
}

void TCustomADODataSet::InternalDelete(int Index)
{
    if (FTableName.empty())
        throw EDatabaseError("Cannot modify a read-only dataset");
    TADOConnection* conn = FConnection;
    if (!conn)
        throw EDatabaseError("No connection is given to the dataset");
    conn->CheckFree();
    TPGParams params;
    conn->Run("DELETE FROM " + FTableName + " WHERE " + KeyCondition(Index, params), params);
    // A record another user deleted already is gone either way.
    FOrder.erase(FOrder.begin() + Index);
    FKeys.erase(FKeys.begin() + Index);
    FPosValid = false;
}

}  // namespace korin
