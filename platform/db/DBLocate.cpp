// Finding records in a database dataset inside the engine: Locate's conditions, the
// ranges an index can answer for them, and the check that an index really serves.
#include "korin/platform/db/DBTables.h"

#include <algorithm>

#include "korin/platform/db/SQLText.h"
#include "korin/platform/db/SQLiteEngine.h"

namespace korin {

using namespace dbsql;

namespace {

// Leaves a statement kept for later use reset (no read transaction held) and without
// the values bound this time, however its use ends. While a statement of the connection
// is paused (the application's wait procedure runs, and may Locate again) the kept
// statement may be the paused one: it is refused before anything touches it.
struct TStatementUse {
    TSQLiteStatement& St;
    TStatementUse(sqlite3* Db, TSQLiteStatement& S) : St(S)
    {
        CheckEngineFree(Db);
        sqlite3_clear_bindings(St.Handle());
    }
    ~TStatementUse()
    {
        St.Reset();
        sqlite3_clear_bindings(St.Handle());
    }
};

}  // namespace

TDBDataSet::TLocatePlan& TDBDataSet::LocatePlan(const std::string& SQL)
{
    auto it = FLocatePlans.find(SQL);
    if (it != FLocatePlans.end())
        return it->second;
    // Keys of other shapes (other fields, options, lengths of prefix bounds) make other
    // texts; a few are kept.
    if (FLocatePlans.size() >= 16)
        FLocatePlans.clear();
    return FLocatePlans[SQL];
}

int TDBDataSet::FindFirstWhere(const std::string& Condition, const std::vector<TField*>& Fields,
                               const std::vector<Variant>& Values)
{
    if (!FKeyset) {
        // Cached results are searched in memory by the generic walk.
        return -1;
    }
    TEngineWaitScope wait(FDatabase->Handle());
    const std::string sql = FSource.KeysetSQL(ActiveFilter(), Condition) + " LIMIT 1";
    TLocatePlan& plan = LocatePlan(sql);
    if (!plan.Statement)
        plan.Statement = std::make_unique<TSQLiteStatement>(FDatabase->Handle(), sql, sgReadOnly);
    TSQLiteStatement& st = *plan.Statement;
    TStatementUse use(FDatabase->Handle(), st);
    BindParams(st);
    for (size_t k = 0; k < Values.size(); ++k) {
        int idx = sqlite3_bind_parameter_index(st.Handle(), (":korin_k" + std::to_string(k)).c_str());
        if (idx > 0)
            st.BindField(idx, Values[k], Fields[k]->DataType());
    }
    if (!st.Step())
        return -1;
    std::int64_t rowid = st.ColumnInt64(0);
    st.Reset();
    return InternalIndexOfKey(rowid);
}

int TDBDataSet::InternalLocate(const std::vector<TField*>& Fields, const std::vector<Variant>& Values,
                               TLocateOptions Options)
{
    if (!FKeyset)
        return TDataSet::InternalLocate(Fields, Values, Options);
    // conds: the comparison itself. ranges: conditions every matching record also meets
    // and that an index can answer (a text range for a prefix, an equality or a range
    // under NOCASE or on upper() for a key without case), bound from rangeTexts.
    std::vector<std::string> conds, ranges;
    std::vector<std::pair<std::string, std::string>> rangeTexts;
    std::vector<Variant> binds;
    for (size_t k = 0; k < Fields.size(); ++k) {
        std::string col = QuoteIdent(Fields[k]->FieldName());
        std::string p = ":korin_k" + std::to_string(k);
        binds.push_back(Values[k]);
        if (Values[k].IsNullOrEmpty()) {
            conds.push_back(col + " IS NULL");
            continue;
        }
        if (Options == 0) {
            conds.push_back(col + " = " + p);
            continue;
        }
        conds.push_back("korin_match(" + col + ", " + p + ", " + std::to_string(Options & 3u) + ")");
        size_t fi = static_cast<size_t>(Fields[k]->Index());
        if (fi >= FTextColumns.size() || !FTextColumns[fi])
            continue;  // numbers compared as texts: no index order serves them
        AddLocateRanges(col, k, Values[k].AsString(), Options, ranges, rangeTexts);
    }
    if (!ranges.empty() && FSource.CandidatesSQL) {
        sqlite3* db = FDatabase->Handle();
        TEngineWaitScope wait(db);
        std::vector<std::string> all = ranges;
        all.insert(all.end(), conds.begin(), conds.end());
        const std::string sql = FSource.CandidatesSQL(ActiveFilter(), JoinConditions(all));
        CheckEngineFree(db);
        TLocatePlan& plan = LocatePlan(sql);
        if (!plan.Checked) {
            plan.IndexServes = IndexServes(sql);
            plan.Checked = true;
        }
        if (plan.IndexServes) {
            // The candidates come from the index; the first of them in cursor order is the
            // one with the lowest position in the keyset.
            if (!plan.Statement)
                plan.Statement = std::make_unique<TSQLiteStatement>(db, sql, sgReadOnly);
            TSQLiteStatement& st = *plan.Statement;
            TStatementUse use(db, st);
            BindParams(st);
            for (size_t k = 0; k < Values.size(); ++k) {
                int idx = sqlite3_bind_parameter_index(st.Handle(), (":korin_k" + std::to_string(k)).c_str());
                if (idx > 0)
                    st.BindField(idx, binds[k], Fields[k]->DataType());
            }
            for (const auto& [name, text] : rangeTexts)
                st.BindName(name.substr(1), Variant(text));
            int best = -1;
            while (st.Step()) {
                int idx = InternalIndexOfKey(st.ColumnInt64(0));
                if (idx >= 0 && (best < 0 || idx < best))
                    best = idx;
            }
            return best;
        }
    }
    return FindFirstWhere(JoinConditions(conds), Fields, binds);
}

namespace {

// The first text after every text that begins with Prefix in byte order; empty when
// there is none (nothing but 0xFF bytes).
std::string PrefixEnd(std::string Prefix)
{
    while (!Prefix.empty() && static_cast<unsigned char>(Prefix.back()) == 0xFF)
        Prefix.pop_back();
    if (!Prefix.empty())
        Prefix.back() = static_cast<char>(static_cast<unsigned char>(Prefix.back()) + 1);
    return Prefix;
}

bool IsAscii(const std::string& S)
{
    for (char c : S)
        if (static_cast<unsigned char>(c) >= 0x80 || c == '\0')
            return false;
    return true;
}

std::string LowerAscii(std::string S)
{
    for (char& c : S)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return S;
}

}  // namespace

void TDBDataSet::AddLocateRanges(const std::string& Column, size_t K, const std::string& Key, TLocateOptions Options,
                                 std::vector<std::string>& Ranges,
                                 std::vector<std::pair<std::string, std::string>>& Texts) const
{
    if (Key.empty() || Key.find('\0') != std::string::npos)
        return;
    const std::string n = std::to_string(K);
    const bool partial = (Options & loPartialKey) != 0;
    if (!(Options & loCaseInsensitive)) {
        // A prefix in byte order: [Key, PrefixEnd(Key)).
        if (!partial)
            return;
        Ranges.push_back(Column + " COLLATE BINARY >= :korin_lo" + n);
        Texts.emplace_back(":korin_lo" + n, Key);
        std::string end = PrefixEnd(Key);
        if (!end.empty()) {
            Ranges.push_back(Column + " COLLATE BINARY < :korin_hi" + n);
            Texts.emplace_back(":korin_hi" + n, end);
        }
        return;
    }
    // Without case, the comparison folds Latin, Cyrillic, Greek and more; the engine's
    // NOCASE and upper() fold ASCII letters only. For a key of ASCII characters they
    // agree: a value matches only when its first characters are ASCII and equal to the
    // key's after folding ASCII case (no other letter folds to an ASCII one). Keys with
    // other characters are compared by the scan alone.
    if (!IsAscii(Key))
        return;
    const std::string lower = LowerAscii(Key), upper = UpperAscii(Key);
    if (partial) {
        Ranges.push_back(Column + " COLLATE NOCASE >= :korin_lo" + n);
        Ranges.push_back(Column + " COLLATE NOCASE < :korin_hi" + n);
        Ranges.push_back("upper(" + Column + ") >= :korin_ulo" + n);
        Ranges.push_back("upper(" + Column + ") < :korin_uhi" + n);
        Texts.emplace_back(":korin_lo" + n, lower);
        Texts.emplace_back(":korin_hi" + n, PrefixEnd(lower));
        Texts.emplace_back(":korin_ulo" + n, upper);
        Texts.emplace_back(":korin_uhi" + n, PrefixEnd(upper));
    } else {
        Ranges.push_back(Column + " COLLATE NOCASE = :korin_lo" + n);
        Ranges.push_back("upper(" + Column + ") = :korin_ulo" + n);
        Texts.emplace_back(":korin_lo" + n, lower);
        Texts.emplace_back(":korin_ulo" + n, upper);
    }
}

bool TDBDataSet::IndexServes(const std::string& SQL) const
{
    // The engine's plan says whether it searches an index or scans the table; only a
    // search of an index (not of the row ids) keeps the candidates few.
    try {
        TSQLiteStatement plan(FDatabase->Handle(), "EXPLAIN QUERY PLAN " + SQL, sgReadOnly);
        bool search = false;
        while (plan.Step()) {
            std::string detail = VarToStr(plan.Column(3));
            if (detail.rfind("SCAN", 0) == 0)
                return false;
            if (detail.rfind("SEARCH", 0) == 0 && detail.find("INDEX") != std::string::npos &&
                detail.find("INTEGER PRIMARY KEY") == std::string::npos)
                search = true;
        }
        return search;
    } catch (const EDatabaseError&) {
        return false;
    }
}

}  // namespace korin
