// The clause scanner on arbitrary input: it must end, stay inside the text, refuse
// only with its known messages, and place conditions without losing any text.
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>

#include "korin/platform/core/Exception.h"
#include "korin/query/Qparser.h"

using namespace korin;

namespace {

// A small fixed-seed generator (xorshift), so every run sees the same inputs.
struct TRandom {
    std::uint64_t s;
    std::uint32_t Next() {
        s ^= s << 13;
        s ^= s >> 7;
        s ^= s << 17;
        return static_cast<std::uint32_t>(s >> 32);
    }
    std::uint32_t Below(std::uint32_t n) { return Next() % n; }
};

std::string RandomBytes(TRandom& r) {
    std::string s(r.Below(120), '\0');
    for (char& c : s) c = static_cast<char>(r.Below(256));
    return s;
}

std::string RandomTokens(TRandom& r) {
    static const char* const words[] = {
        "SELECT", "select", "FROM", "from", "WHERE", "where", "ORDER", "order", "BY", "by", "GROUP", "HAVING",
        "UNION", "(", ")", "\"", "'", ",", "*", "-", "+", "<", ">", "=", "a", "T", "1", "\n", "ORDER BY",
        "GROUP BY", " ", "  ", "x.y", "'a b'", "\"q r\"", "WHERE", "FROM"};
    constexpr std::uint32_t n = sizeof(words) / sizeof(words[0]);
    std::string s = r.Below(4) == 0 ? "" : "SELECT ";
    const std::uint32_t count = r.Below(40);
    for (std::uint32_t i = 0; i < count; ++i) {
        s += words[r.Below(n)];
        if (r.Below(3) != 0) s += ' ';
    }
    return s;
}

const std::set<std::string> KnownMessages = {"Missing BY reserved word!", "Statement does not begin with SELECT!",
                                             "Can't place the condition!", "Statement nested too deeply!"};

void Exercise(const std::string& sql) {
    const int len = static_cast<int>(sql.size());
    TQParser p(sql);
    try {
        p.ScanQuery();
    } catch (const Exception& e) {
        ASSERT_TRUE(KnownMessages.count(e.Message())) << e.Message();
    }
    for (int pos : {p.Position(), p.FromPos(), p.WhereInsertPos(), p.WhereEnd(), p.OrderByEnd(), p.TermStart()}) {
        ASSERT_GE(pos, 0);
        ASSERT_LE(pos, len);
    }

    const std::string cond = "C=1";
    std::string result;
    const bool missing = p.MissingClauses().Contains(ckWHERE);
    const int from = p.WhereInsertPos(), end = p.WhereEnd();
    try {
        p.PlaceWHERECondition(cond, result);
        // Nothing of the statement is lost or repeated.
        if (missing) {
            ASSERT_EQ(result, sql.substr(0, end) + " WHERE (" + cond + ")" + sql.substr(end));
        } else {
            ASSERT_EQ(result, sql.substr(0, from) + "(" + sql.substr(from, end - from) + ") AND (" + cond + ") " +
                                  sql.substr(end));
        }
    } catch (const Exception& e) {
        ASSERT_TRUE(KnownMessages.count(e.Message())) << e.Message();
        ASSERT_EQ(p.Text(), sql);
    }

    const std::string before = p.Text();
    try {
        p.PlaceOrderBYCondition("K", result);
        ASSERT_EQ(result.compare(0, before.size(), before), 0);
        ASSERT_TRUE(result.size() == before.size() + 2 || result.size() == before.size() + 11);
    } catch (const Exception& e) {
        ASSERT_TRUE(KnownMessages.count(e.Message())) << e.Message();
    }
    // Terms can be read from any position up to the end without running past it.
    TQParser t(sql);
    int guard = 0;
    while ((t.GetTerm(), !t.EndOfText())) ASSERT_LE(++guard, len + 1);
}

}  // namespace

TEST(QParserRandom, ArbitraryBytesAndTokenSoups) {
    TRandom r{0x9E3779B97F4A7C15ull};
    for (int i = 0; i < 4000; ++i) {
        const std::string sql = (i % 2 == 0) ? RandomBytes(r) : RandomTokens(r);
        SCOPED_TRACE(testing::PrintToString(sql));
        Exercise(sql);
        if (testing::Test::HasFatalFailure()) return;
    }
}
