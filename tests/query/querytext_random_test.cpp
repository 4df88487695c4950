// The query command's statement building on thousands of random SELECT statements that
// SQLite accepts: every result must prepare and return exactly the original's rows that
// meet the condition, in the new order.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "korin/platform/core/Exception.h"
#include "korin/platform/db/DBTables.h"
#include "korin/query/QueryText.h"
#include "tests/support/TempDir.h"

using namespace korin;

namespace {

// A small fixed-seed generator (xorshift), so every run sees the same statements.
struct TRandom {
    std::uint64_t s;
    std::uint32_t Next()
    {
        s ^= s << 13;
        s ^= s >> 7;
        s ^= s << 17;
        return static_cast<std::uint32_t>(s >> 32);
    }
    std::uint32_t Below(std::uint32_t n) { return Next() % n; }
    bool Chance(std::uint32_t PerCent) { return Below(100) < PerCent; }
    template <class T>
    const T& Pick(const std::vector<T>& v) { return v[Below(static_cast<std::uint32_t>(v.size()))]; }
};

using Rows = std::vector<std::vector<std::string>>;

// A result column of a generated statement: its name and kind (i integer, r real, t text).
struct Column {
    std::string Name;
    char Kind;
};

struct Statement {
    std::string SQL;
    std::vector<Column> Columns;
    std::vector<std::string> Order;  // top-level sort keys over the result columns ("age DESC")
};

class Generator {
public:
    explicit Generator(std::uint64_t Seed) : R{Seed} {}

    Statement Next()
    {
        switch (R.Below(8)) {
        case 0: case 1: return Single();
        case 2: return Join();
        case 3: return Grouped();
        case 4: return Derived();
        case 5: return Quoted();
        case 6: return Compound();
        default: return Scalar();
        }
    }
    TRandom R;

private:
    // A blank between two words: spaces, tabs and line breaks.
    std::string S() { return R.Pick(std::vector<std::string>{" ", " ", " ", "  ", "\n", "\t", "\r\n", "\n  "}); }
    // A keyword in upper, lower or capitalised case; the words of a two-word keyword
    // are separated by any blank.
    std::string K(const std::string& Word)
    {
        const auto mode = R.Below(3);
        std::string out;
        bool start = true;
        for (char ch : Word) {
            if (ch == ' ') {
                out += S();
                start = true;
                continue;
            }
            const bool upper = mode == 0 || (mode == 2 && start);
            out += static_cast<char>(upper ? std::toupper(static_cast<unsigned char>(ch))
                                           : std::tolower(static_cast<unsigned char>(ch)));
            start = false;
        }
        return out;
    }
    std::string Num(int Lo, int Hi) { return std::to_string(Lo + static_cast<int>(R.Below(Hi - Lo + 1))); }

    // A predicate over the columns of cust (qualified with Q when not empty).
    std::string CustPredicate(const std::string& Q)
    {
        const std::string p = Q.empty() ? "" : Q + ".";
        switch (R.Below(7)) {
        case 0: return p + "age" + S() + ">" + S() + Num(20, 45);
        case 1: return p + "city" + S() + "<>" + S() + "'Paris'";
        case 2: return p + "balance" + S() + K("is not null");
        case 3: return p + "id" + S() + K("in") + S() + "(" + K("select") + S() + "cust_id" + S() + K("from") + S() +
                       "orders" + S() + K("where") + S() + "amount" + S() + ">" + S() + Num(10, 150) + ")";
        case 4: return K("exists") + S() + "(" + K("select") + " 1 " + K("from") + " orders o " + K("where") +
                       " o.cust_id = " + (Q.empty() ? "cust" : Q) + ".id)";
        case 5: return p + "name" + S() + K("like") + S() + "'%a%'";
        default: return "(" + p + "age < " + Num(30, 50) + S() + K("or") + S() + p + "city = 'Oslo')";
        }
    }
    // A condition over one result column.
    static std::string ConditionFor(TRandom& R, const Column& C)
    {
        if (C.Kind == 't') {
            static const std::vector<std::string> forms = {" <> 'Paris'", " LIKE '%o%'", " >= 'C'", " IS NOT NULL",
                                                           " <> 'it''s'"};
            return C.Name + R.Pick(forms);
        }
        static const std::vector<std::string> forms = {" > 30", " <= 100", " BETWEEN 5 AND 60", " IS NOT NULL",
                                                       " <> 3", " >= 1"};
        return C.Name + R.Pick(forms);
    }
    // An ORDER BY over some of the columns, or nothing.
    void MaybeOrder(Statement& St, int PerCent)
    {
        if (!R.Chance(PerCent))
            return;
        std::vector<std::string> keys;
        const int n = 1 + static_cast<int>(R.Below(2));
        for (int i = 0; i < n; ++i) {
            const Column& c = R.Pick(St.Columns);
            keys.push_back(c.Name + (R.Chance(30) ? " DESC" : ""));
        }
        St.Order = keys;
        St.SQL += S() + K("order by") + S();
        for (std::size_t i = 0; i < keys.size(); ++i)
            St.SQL += (i ? "," + S() : "") + keys[i];
    }
    void MaybeLimit(Statement& St, int PerCent)
    {
        if (!R.Chance(PerCent))
            return;
        St.SQL += S() + K("limit") + S() + Num(2, 12);
        if (R.Chance(50))
            St.SQL += S() + K("offset") + S() + Num(0, 4);
    }

    Statement Single()
    {
        Statement st;
        static const std::vector<Column> all = {{"id", 'i'}, {"name", 't'}, {"city", 't'}, {"age", 'i'}, {"balance", 'r'}};
        std::string list;
        if (R.Chance(30)) {
            list = "*";
            st.Columns = all;
        } else if (R.Chance(15)) {
            list = K("distinct") + S() + "city";
            st.Columns = {{"city", 't'}};
        } else {
            static const std::vector<std::pair<std::string, Column>> picks = {
                {"id", {"id", 'i'}}, {"name AS nm", {"nm", 't'}}, {"city", {"city", 't'}},
                {"age AS yrs", {"yrs", 'i'}}, {"balance", {"balance", 'r'}}, {"age * 2 AS dbl", {"dbl", 'i'}},
                {"UPPER(name) AS uname", {"uname", 't'}}};
            std::vector<bool> used(picks.size());
            const int n = 1 + static_cast<int>(R.Below(4));
            for (int i = 0; i < n; ++i) {
                const auto k = R.Below(static_cast<std::uint32_t>(picks.size()));
                if (used[k])
                    continue;
                used[k] = true;
                list += (list.empty() ? "" : "," + S()) + picks[k].first;
                st.Columns.push_back(picks[k].second);
            }
        }
        const bool alias = R.Chance(40);
        st.SQL = K("select") + S() + list + S() + K("from") + S() + "cust" + (alias ? " c" : "");
        if (R.Chance(60))
            st.SQL += S() + K("where") + S() + CustPredicate(alias ? "c" : "");
        MaybeOrder(st, 50);
        MaybeLimit(st, 20);
        return st;
    }
    Statement Join()
    {
        Statement st;
        st.Columns = {{"cid", 'i'}, {"cname", 't'}, {"amt", 'r'}, {"oid", 'i'}, {"ccity", 't'}};
        const std::string list = "c.id AS cid," + S() + "c.name AS cname, o.amount AS amt, o.id AS oid, c.city AS ccity";
        bool where = false;
        switch (R.Below(3)) {
        case 0:
            st.SQL = K("select") + S() + list + S() + K("from") + S() + "cust c" + S() + K("join") + S() +
                     "orders o" + S() + K("on") + S() + "o.cust_id = c.id";
            break;
        case 1:
            st.SQL = K("select") + S() + list + S() + K("from") + " cust " + K("as") + " c " + K("left join") +
                     " orders " + K("as") + " o " + K("on") + " o.cust_id = c.id";
            break;
        default:
            st.SQL = K("select") + S() + list + S() + K("from") + S() + "cust c, orders o" + S() + K("where") + S() +
                     "o.cust_id = c.id";
            where = true;
            break;
        }
        if (R.Chance(40))
            st.SQL += S() + K(where ? "and" : "where") + S() + "o.amount > " + Num(5, 100);
        MaybeOrder(st, 50);
        MaybeLimit(st, 15);
        return st;
    }
    Statement Grouped()
    {
        Statement st;
        st.Columns = {{"city", 't'}, {"n", 'i'}, {"total", 'r'}};
        st.SQL = K("select") + S() + "city," + S() + "COUNT(*) AS n, SUM(balance) AS total" + S() + K("from") + S() +
                 "cust";
        if (R.Chance(40))
            st.SQL += S() + K("where") + S() + CustPredicate("");
        st.SQL += S() + K("group by") + S() + "city";
        if (R.Chance(40))
            st.SQL += S() + K("having") + S() + "COUNT(*) > 1";
        MaybeOrder(st, 50);
        MaybeLimit(st, 10);
        return st;
    }
    Statement Derived()
    {
        Statement st;
        st.Columns = {{"id", 'i'}, {"name", 't'}, {"age", 'i'}};
        st.SQL = K("select") + " * " + K("from") + S() + "(" + K("select") + " id, name, age " + K("from") +
                 " cust " + K("where") + " age > " + Num(18, 30) + (R.Chance(30) ? " " + K("order by") + " name" : "") +
                 ")" + (R.Chance(50) ? " " + K("as") + " s" : " s");
        if (R.Chance(40))
            st.SQL += S() + K("where") + S() + "s.id <> " + Num(1, 8);
        MaybeOrder(st, 40);
        MaybeLimit(st, 10);
        return st;
    }
    Statement Quoted()
    {
        Statement st;
        st.Columns = {{"ono", 'i'}, {"lno", 'i'}, {"product", 't'}, {"qty", 'i'}};
        st.SQL = K("select") + S() + "\"Order No\" AS ono, l.\"Line No\" AS lno, product, qty" + S() + K("from") +
                 S() + "\"Order Lines\" l";
        if (R.Chance(50))
            st.SQL += S() + K("where") + S() + "product <> 'Nuts, Bolts'";
        MaybeOrder(st, 50);
        MaybeLimit(st, 10);
        return st;
    }
    Statement Compound()
    {
        Statement st;
        st.Columns = {{"name", 't'}, {"num", 'i'}};
        static const std::vector<std::string> parts = {"SELECT name, age AS num FROM cust",
                                                       "SELECT name, salary / 100 AS num FROM staff",
                                                       "SELECT product, qty FROM \"Order Lines\"",
                                                       "SELECT name, id FROM cust WHERE city = 'Paris'"};
        st.SQL = K("select") + " name, age AS num " + K("from") + " cust";
        const int n = 1 + static_cast<int>(R.Below(2));
        static const std::vector<std::string> ops = {"union", "union all", "intersect", "except"};
        for (int i = 0; i < n; ++i)
            st.SQL += S() + K(R.Pick(ops)) + S() + R.Pick(parts);
        MaybeOrder(st, 50);
        MaybeLimit(st, 20);
        return st;
    }
    Statement Scalar()
    {
        Statement st;
        st.Columns = {{"name", 't'}, {"n", 'i'}};
        st.SQL = K("select") + S() + "name," + S() + "(" + K("select") + " COUNT(*) " + K("from") +
                 " orders o " + K("where") + " o.cust_id = c.id) AS n" + S() + K("from") + S() + "cust c";
        if (R.Chance(40))
            st.SQL += S() + K("where") + S() + CustPredicate("c");
        MaybeOrder(st, 50);
        return st;
    }

public:
    static std::string Condition(TRandom& R, const Statement& St) { return ConditionFor(R, R.Pick(St.Columns)); }
};

class RawDb {
public:
    explicit RawDb(const std::string& Path) { sqlite3_open(Path.c_str(), &FDb); }
    ~RawDb() { sqlite3_close(FDb); }
    void Exec(const std::string& SQL) { ASSERT_EQ(sqlite3_exec(FDb, SQL.c_str(), nullptr, nullptr, nullptr), SQLITE_OK); }
    // Rows as texts ("NULL" for null) and the column names; false with the message on error.
    bool Query(const std::string& SQL, Rows& Out, std::vector<std::string>& Names, std::string& Error)
    {
        sqlite3_stmt* st = nullptr;
        Out.clear();
        Names.clear();
        if (sqlite3_prepare_v2(FDb, SQL.c_str(), static_cast<int>(SQL.size()), &st, nullptr) != SQLITE_OK) {
            Error = sqlite3_errmsg(FDb);
            return false;
        }
        for (int i = 0; i < sqlite3_column_count(st); ++i)
            Names.push_back(sqlite3_column_name(st, i));
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            std::vector<std::string> row;
            for (int i = 0; i < sqlite3_column_count(st); ++i) {
                const unsigned char* t = sqlite3_column_text(st, i);
                row.push_back(t ? reinterpret_cast<const char*>(t) : "NULL");
            }
            Out.push_back(std::move(row));
        }
        sqlite3_finalize(st);
        if (rc != SQLITE_DONE) {
            Error = sqlite3_errmsg(FDb);
            return false;
        }
        return true;
    }

private:
    sqlite3* FDb = nullptr;
};

// The values of the named columns of every row, in order.
Rows Project(const Rows& In, const std::vector<std::string>& Names, const std::vector<std::string>& Wanted)
{
    std::vector<std::size_t> idx;
    for (const auto& w : Wanted)
        for (std::size_t i = 0; i < Names.size(); ++i)
            if (Names[i] == w) {
                idx.push_back(i);
                break;
            }
    Rows out;
    for (const auto& row : In) {
        std::vector<std::string> r;
        for (std::size_t i : idx)
            r.push_back(row[i]);
        out.push_back(r);
    }
    return out;
}

std::string KeyName(const std::string& Key) { return Key.substr(0, Key.find(' ')); }

}  // namespace

TEST(QueryTextRandom, RewrittenStatementsReturnTheFilteredRowsInTheNewOrder)
{
    TTempDir dir;
    const std::string path = dir.File("random.db");
    RawDb raw(path);
    raw.Exec(R"(
CREATE TABLE cust(id INTEGER PRIMARY KEY, name TEXT, city TEXT, age INTEGER, balance REAL);
INSERT INTO cust VALUES (1,'Anna','Paris',34,120.5),(2,'Boris','Oslo',27,-5),(3,'Chen','New York',45,300),
  (4,'Dana','Paris',22,0),(5,'Emil','Oslo',51,80),(6,'Fay','New York',38,NULL),(7,'Gus','Rome',29,15),
  (8,'Hana','Paris',41,220),(9,'it''s','Cork',33,42);
CREATE TABLE orders(id INTEGER PRIMARY KEY, cust_id INTEGER, amount REAL, odate TEXT, note TEXT);
INSERT INTO orders VALUES (1,1,25.0,'2024-01-05','rush, fragile'),(2,1,140.0,'2024-02-11',NULL),
  (3,2,12.5,'2024-02-20','a-b'),(4,3,310.0,'2024-03-01','k=v <x>'),(5,3,95.0,'2024-03-15','x*y+z'),
  (6,5,60.0,'2024-04-02','it''s ok'),(7,5,7.0,'2024-05-09','rush, fragile'),(8,7,180.0,'2024-06-30','a-b'),
  (9,8,42.0,'2024-07-04','n/a'),(10,8,99.0,'2024-08-12',NULL),(11,3,3.0,'2024-09-01','order by'),
  (12,1,55.0,'2024-10-10','note (1)');
CREATE TABLE staff(id INTEGER PRIMARY KEY, name TEXT, dept TEXT, salary INTEGER);
INSERT INTO staff VALUES (1,'Anna','Sales',3000),(2,'Ivan','IT',4200),(3,'Jo','IT',3900),(4,'Kim','Sales',2800);
CREATE TABLE "Order Lines"("Order No" INTEGER, "Line No" INTEGER, product TEXT, qty INTEGER);
INSERT INTO "Order Lines" VALUES (1,1,'Nuts, Bolts',3),(1,2,'Washers',1),(2,1,'Gears',2),(4,1,'Nuts, Bolts',5),
  (4,2,'Springs',1),(5,1,'Gears',4),(8,1,'Washers',2),(10,1,'Springs',6);
)");
    // The statements are prepared the way the navigator prepares them: by a query of
    // the engine layer on a connected database.
    TOwned<TDatabase> db(new TDatabase(nullptr));
    db->SetDatabaseName(path);
    db->SetConnected(true);
    TOwned<TQuery> probe(new TQuery(nullptr));
    probe->SetDatabaseName(path);
    auto prepares = [&](const std::string& sql) {
        try {
            probe->SQL()->Clear();
            probe->SQL()->Add(sql);
            probe->Prepare();
            return true;
        } catch (const Exception&) {
            return false;
        }
    };

    Generator gen(0x5DEECE66Dull);
    int inPlace = 0, wrapped = 0;
    constexpr int Count = 2400;
    for (int n = 0; n < Count; ++n) {
        const Statement st = gen.Next();
        SCOPED_TRACE(testing::PrintToString(st.SQL));
        Rows original, result, expected, ordered;
        std::vector<std::string> names, resultNames, expectedNames, orderedNames;
        std::string error;
        ASSERT_TRUE(raw.Query(st.SQL, original, names, error)) << error;
        ASSERT_TRUE(prepares(st.SQL));

        const std::string cond = Generator::Condition(gen.R, st);
        const Column& keyCol = gen.R.Pick(st.Columns);
        const std::string key = keyCol.Name + (gen.R.Chance(30) ? " DESC" : "");
        std::string built;
        try {
            built = MergeQueryConditions(st.SQL, cond, key, prepares);
        } catch (const Exception& e) {
            FAIL() << e.Message() << " for " << cond << " / " << key;
        }
        ASSERT_TRUE(raw.Query(built, result, resultNames, error)) << built << ": " << error;

        // The rows: the original's, filtered by the condition over its result columns.
        const std::string filtered = "SELECT * FROM (" + st.SQL + ") WHERE " + cond;
        ASSERT_TRUE(raw.Query(filtered, expected, expectedNames, error)) << error;
        Rows a = Project(result, resultNames, expectedNames), b = expected;
        std::sort(a.begin(), a.end());
        std::sort(b.begin(), b.end());
        ASSERT_EQ(a, b) << built;

        // The order: the new key, after the statement's own keys when it was rewritten
        // in place (a wrapped statement is ordered by the new key alone).
        const bool isWrapped = built.rfind("SELECT * FROM (", 0) == 0 && built.find(") AS korin_query") != std::string::npos;
        (isWrapped ? wrapped : inPlace)++;
        std::vector<std::string> keys = isWrapped ? std::vector<std::string>{} : st.Order;
        keys.push_back(key);
        std::vector<std::string> keyNames;
        std::string orderBy;
        for (const auto& k : keys) {
            keyNames.push_back(KeyName(k));
            orderBy += (orderBy.empty() ? "" : ", ") + k;
        }
        ASSERT_TRUE(raw.Query(filtered + " ORDER BY " + orderBy, ordered, orderedNames, error)) << error;
        ASSERT_EQ(Project(result, resultNames, keyNames), Project(ordered, orderedNames, keyNames)) << built;
    }
    // Both ways were taken often enough to prove something.
    EXPECT_GT(inPlace, Count / 3);
    EXPECT_GT(wrapped, Count / 5);
    RecordProperty("in_place", inPlace);
    RecordProperty("wrapped", wrapped);
}

TEST(QueryTextRandom, CommentsCompoundsAndLimits)
{
    EXPECT_EQ(StripSQLComments("SELECT a -- b\nFROM t /* c */ WHERE x = '--y' AND \"/*z\" = 1"),
              "SELECT a  \nFROM t   WHERE x = '--y' AND \"/*z\" = 1");
    EXPECT_EQ(StripSQLComments("SELECT 'it''s' -- end"), "SELECT 'it''s'  ");
    EXPECT_TRUE(IsCompoundSelect("SELECT a FROM t\nunion\tSELECT a FROM u"));
    EXPECT_FALSE(IsCompoundSelect("SELECT a FROM (SELECT a FROM t UNION SELECT a FROM u) s WHERE b = 'union'"));
    EXPECT_TRUE(HasTopLevelLimit("SELECT a FROM t Limit 3"));
    EXPECT_FALSE(HasTopLevelLimit("SELECT a FROM t WHERE a IN (SELECT b FROM u LIMIT 3) AND c = 'offset'"));
    TStringList lines;
    lines.Add("SELECT a");
    lines.Add("FROM t -- note");
    EXPECT_EQ(StringListToString(lines), "SELECT a\nFROM t -- note");
    // The statement of a comment-ending line keeps its condition.
    auto any = [](const std::string&) { return true; };
    EXPECT_EQ(MergeQueryConditions(StringListToString(lines), "a > 1", "", any), "SELECT a\nFROM t WHERE (a > 1)");
    EXPECT_EQ(MergeQueryConditions("SELECT a FROM t;  ", "", "", any), "SELECT a FROM t");
    auto none = [](const std::string&) { return false; };
    try {
        MergeQueryConditions("SELECT a FROM t", "a > 1", "", none);
        ADD_FAILURE() << "no exception";
    } catch (const EQueryPrepareError& e) {
        EXPECT_EQ(e.Message(), "Can't prepare query!");
    }
}
