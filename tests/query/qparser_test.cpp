// The clause scanner: its terms, the positions it finds and the statements it writes.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "korin/platform/core/Exception.h"
#include "korin/query/Qparser.h"

using namespace korin;

namespace {

std::vector<std::string> RawTerms(const std::string& sql) {
    TQParser p(sql);
    std::vector<std::string> terms;
    for (;;) {
        std::string t = p.GetTerm();
        if (p.EndOfText()) break;
        terms.push_back(t);
    }
    return terms;
}

std::string ExceptionText(const std::function<void()>& f) {
    try {
        f();
    } catch (const Exception& e) {
        return e.Message();
    }
    return "<no exception>";
}

struct Placed {
    std::string afterWhere, afterOrder;
};

// Runs the query command's sequence: scan, then the condition, then the sort keys.
Placed Place(const std::string& sql, const std::string& cond, const std::string& order) {
    TQParser p(sql);
    p.ScanQuery();
    Placed r;
    if (!cond.empty()) p.PlaceWHERECondition(cond, r.afterWhere);
    if (!order.empty()) p.PlaceOrderBYCondition(order, r.afterOrder);
    EXPECT_EQ(p.Text(), order.empty() ? r.afterWhere : r.afterOrder);
    return r;
}

}  // namespace

TEST(QParserTerms, SeparatorsAfterAWordAreConsumedWithoutBeingReturned) {
    EXPECT_EQ(RawTerms("SELECT Name,City FROM Cust WHERE Age>30"),
              (std::vector<std::string>{"SELECT", "Name", "City", "FROM", "Cust", "WHERE", "Age", "30"}));
    // A separator that starts a term is the term.
    EXPECT_EQ(RawTerms("COUNT(*) - (a)"), (std::vector<std::string>{"COUNT", "*", ")", "-", "(", "a"}));
    EXPECT_EQ(RawTerms("a = b <> c"), (std::vector<std::string>{"a", "=", "b", "<", ">", "c"}));
}

TEST(QParserTerms, QuotesLineBreaksAndParentheses) {
    // Double quotes group a term and are dropped; separators inside them are ordinary.
    EXPECT_EQ(RawTerms("SELECT \"Order Lines\" FROM T"),
              (std::vector<std::string>{"SELECT", "Order Lines", "FROM", "T"}));
    TQParser q("\"a,(b)\" x");
    EXPECT_EQ(q.GetTerm(), "a,(b)");
    EXPECT_EQ(q.ParenDepth(), 0);
    // Single quotes are ordinary: a separator inside a literal ends a term and a
    // parenthesis inside one is counted.
    TQParser s("N='a b(' x");
    EXPECT_EQ(s.GetTerm(), "N");
    EXPECT_EQ(s.GetTerm(), "'a");
    EXPECT_EQ(s.GetTerm(), "b");
    EXPECT_EQ(s.ParenDepth(), 1);
    EXPECT_EQ(s.Position(), 7);
    // Line breaks and tabs separate terms like spaces; inside double quotes they stay.
    EXPECT_EQ(RawTerms("SELECT\nA\tB\r\n  C"), (std::vector<std::string>{"SELECT", "A", "B", "C"}));
    EXPECT_EQ(RawTerms("\"a\tb\"\nFROM"), (std::vector<std::string>{"a\tb", "FROM"}));
    // The last term is returned without the end flag; the next call sets it.
    TQParser e("  ab  ");
    EXPECT_EQ(e.GetTerm(), "ab");
    EXPECT_FALSE(e.EndOfText());
    EXPECT_EQ(e.GetTerm(), "");
    EXPECT_TRUE(e.EndOfText());
    EXPECT_EQ(e.Position(), 6);
}

TEST(QParserTerms, OrderByAndGroupByAreJoined) {
    TQParser p("x order by y Group  By z By");
    EXPECT_EQ(p.GetNextTerm(), "x");
    EXPECT_EQ(p.GetNextTerm(), "order BY");
    EXPECT_EQ(p.GetNextTerm(), "y");
    EXPECT_EQ(p.GetNextTerm(), "Group BY");
    EXPECT_EQ(p.GetNextTerm(), "z");
    EXPECT_EQ(p.GetNextTerm(), "By");

    EXPECT_EQ(ExceptionText([] { TQParser("ORDER X").GetNextTerm(); }), "Missing BY reserved word!");
    EXPECT_EQ(ExceptionText([] { TQParser("group").GetNextTerm(); }), "Missing BY reserved word!");
    EXPECT_EQ(ExceptionText([] { TQParser("order group by").GetNextTerm(); }), "Missing BY reserved word!");
    std::string run;
    for (int i = 0; i < 200000; ++i) run += "order ";
    EXPECT_EQ(ExceptionText([&] { TQParser(run + "by").GetNextTerm(); }), "Missing BY reserved word!");
    EXPECT_EQ(ExceptionText([] {
                  TQParser p("SELECT * FROM T ORDER X");
                  p.ScanQuery();
              }),
              "Missing BY reserved word!");
}

TEST(QParserTerms, ClauseKinds) {
    TQParser p("");
    EXPECT_EQ(p.IsATerm("SeLeCt"), ckSELECT);
    EXPECT_EQ(p.IsATerm("from"), ckFROM);
    EXPECT_EQ(p.IsATerm("WHERE"), ckWHERE);
    EXPECT_EQ(p.IsATerm("union"), ckUNION);
    EXPECT_EQ(p.IsATerm("Order BY"), ckORDERBY);
    EXPECT_EQ(p.IsATerm("group by"), ckGROUPBY);
    EXPECT_EQ(p.IsATerm("HAVING"), ckOther);
    EXPECT_EQ(p.IsATerm("order"), ckOther);
    EXPECT_EQ(p.IsATerm("selects"), ckOther);
    EXPECT_EQ(p.IsATerm(""), ckOther);
}

TEST(QParserScan, PositionsOfTheTopLevelClauses) {
    const std::string sql = "SELECT * FROM T WHERE A IN (SELECT B FROM U WHERE C=1 GROUP BY B ORDER BY B) ORDER BY A";
    TQParser p(sql);
    p.ScanQuery();
    // The subquery after WHERE moves no position.
    EXPECT_EQ(p.FromPos(), 14);
    EXPECT_EQ(p.WhereInsertPos(), 22);
    // The WHERE end is the term start, before the spaces that lead to ORDER.
    EXPECT_EQ(p.WhereEnd(), static_cast<int>(sql.rfind("ORDER BY A") - 1));
    EXPECT_EQ(p.OrderByEnd(), static_cast<int>(sql.rfind("ORDER BY A") + 9));
    EXPECT_FALSE(p.MissingClauses().Contains(ckWHERE));
    EXPECT_EQ(p.ParenDepth(), 0);
    EXPECT_EQ(p.SelectNesting(), 0);

    TQParser plain("SELECT * FROM T WHERE A IN (1) ORDER BY A");
    plain.ScanQuery();
    EXPECT_EQ(plain.FromPos(), 14);
    EXPECT_EQ(plain.WhereInsertPos(), 22);
    EXPECT_EQ(plain.WhereEnd(), 30);

    // Without WHERE and ORDER BY both ends are the text length.
    TQParser bare("SELECT a, b FROM t");
    bare.ScanQuery();
    EXPECT_EQ(bare.FromPos(), 17);
    EXPECT_EQ(bare.WhereInsertPos(), 17);
    EXPECT_EQ(bare.WhereEnd(), 18);
    EXPECT_EQ(bare.OrderByEnd(), 18);
    EXPECT_EQ(bare.MissingClauses(), (TMissingClauses{ckWHERE, ckORDERBY}));

    // GROUP BY ends the WHERE clause; a later ORDER BY does not move that end.
    TQParser grouped("SELECT a FROM t WHERE b=1 GROUP BY a ORDER BY a");
    grouped.ScanQuery();
    EXPECT_EQ(grouped.WhereEnd(), 26);
    EXPECT_EQ(grouped.OrderByEnd(), 46);
}

TEST(QParserScan, StatementsThatAreNotScanned) {
    for (const char* sql : {"UPDATE T SET A=1", "WITH x AS (SELECT 1) SELECT * FROM x", "", "    ", "(SELECT 1)"}) {
        TQParser p(sql);
        p.ScanQuery();
        EXPECT_EQ(p.FromPos(), 0) << sql;
        EXPECT_EQ(p.WhereEnd(), 0) << sql;
        EXPECT_EQ(p.OrderByEnd(), 0) << sql;
        std::string result = "kept";
        EXPECT_EQ(ExceptionText([&] { p.PlaceWHERECondition("X>2", result); }),
                  "Statement does not begin with SELECT!")
            << sql;
        EXPECT_EQ(ExceptionText([&] { p.PlaceOrderBYCondition("X", result); }),
                  "Statement does not begin with SELECT!")
            << sql;
        EXPECT_EQ(result, "kept");
        EXPECT_EQ(p.Text(), sql);
    }
}

TEST(QParserScan, UnbalancedParenthesesEndTheScan) {
    TQParser p("SELECT * FROM T WHERE (A=1 ORDER BY B");
    p.ScanQuery();
    EXPECT_EQ(p.WhereInsertPos(), 22);
    EXPECT_EQ(p.WhereEnd(), 37);  // the ORDER BY inside the open parenthesis is not seen
    EXPECT_EQ(p.ParenDepth(), 1);
    EXPECT_TRUE(p.EndOfText());
}

TEST(QParserScan, ScanFromReadsUpToWhere) {
    TQParser p("SELECT A FROM T, U WHERE B=1");
    p.ScanQuery();
    p.Scan_FROM();
    EXPECT_EQ(p.FromPos(), 14);
    EXPECT_EQ(p.Position(), 25);  // just after "WHERE "

    TQParser fresh("x y where z");
    fresh.SetPosition(2);
    fresh.Scan_FROM();
    EXPECT_EQ(fresh.FromPos(), 2);
    EXPECT_EQ(fresh.Position(), 10);
}

TEST(QParserScan, ReverseScanFindsTheLastOccurrenceButNeverAtIndexZero) {
    TQParser p("WHERE a WHERE b WHERE");
    EXPECT_EQ(p.ReverseScan("WHERE"), 16);
    EXPECT_EQ(p.ReverseScan("where"), -1);
    EXPECT_EQ(p.ReverseScan("a WHERE b"), 6);
    EXPECT_EQ(p.ReverseScan("WHERE a"), -1);
    EXPECT_EQ(p.ReverseScan(""), -1);
    EXPECT_EQ(TQParser("ORDER BY").ReverseScan("ORDER BY"), -1);
    EXPECT_EQ(TQParser(" ORDER BY").ReverseScan("ORDER BY"), 1);
}

TEST(QParserPlace, ConditionAndSortKeys) {
    EXPECT_EQ(Place("SELECT * FROM T WHERE A=1 ORDER BY B", "X>2", "").afterWhere,
              "SELECT * FROM T WHERE (A=1 ) AND (X>2) ORDER BY B");
    EXPECT_EQ(Place("SELECT * FROM T", "X>2", "").afterWhere, "SELECT * FROM T WHERE (X>2)");

    // A detail table's query with a condition and a sort key.
    Placed md = Place("SELECT * FROM ORDERS WHERE (CustNo=:CustNo)", "Amount>100", "OrderDate");
    EXPECT_EQ(md.afterWhere, "SELECT * FROM ORDERS WHERE ((CustNo=:CustNo)) AND (Amount>100) ");
    EXPECT_EQ(md.afterOrder, "SELECT * FROM ORDERS WHERE ((CustNo=:CustNo)) AND (Amount>100)  ORDER BY OrderDate");

    // The sort keys extend an existing ORDER BY.
    EXPECT_EQ(Place("SELECT * FROM T WHERE A=1 ORDER BY B", "X>2", "C DESC").afterOrder,
              "SELECT * FROM T WHERE (A=1 ) AND (X>2) ORDER BY B,C DESC");
    // ORDER BY is found in any case and spacing: the keys extend it.
    EXPECT_EQ(Place("select * from t order by x", "", "y").afterOrder, "select * from t order by x,y");
    EXPECT_EQ(Place("select * from t Order\n\tBy x", "a=1", "y").afterOrder,
              "select * from t  WHERE (a=1)Order\n\tBy x,y");
    // ... but only as whole words of the top level: not in a longer name, a quoted text
    // or a subquery.
    EXPECT_EQ(Place("SELECT reorder by1 FROM t", "", "y").afterOrder, "SELECT reorder by1 FROM t ORDER BY y");
    EXPECT_EQ(Place("SELECT * FROM t WHERE n <> 'x ORDER BY z'", "", "y").afterOrder,
              "SELECT * FROM t WHERE n <> 'x ORDER BY z' ORDER BY y");
    EXPECT_EQ(Place("SELECT * FROM t WHERE a IN (SELECT b FROM u ORDER BY b LIMIT 3)", "", "y").afterOrder,
              "SELECT * FROM t WHERE a IN (SELECT b FROM u ORDER BY b LIMIT 3) ORDER BY y");
    // An ORDER BY inside a derived table is followed by the new WHERE.
    EXPECT_EQ(Place("SELECT * FROM (SELECT * FROM T ORDER BY A) s", "s.B=1", "s.C").afterOrder,
              "SELECT * FROM (SELECT * FROM T ORDER BY A) s WHERE (s.B=1) ORDER BY s.C");
}

TEST(QParserPlace, NewWhereClauseKeepsTheWholeFromClause) {
    EXPECT_EQ(Place("SELECT * FROM Cust c, Orders o ORDER BY c.Name", "o.Amount>1", "").afterWhere,
              "SELECT * FROM Cust c, Orders o  WHERE (o.Amount>1)ORDER BY c.Name");
    EXPECT_EQ(Place("SELECT c.Name FROM Cust c JOIN Orders o ON o.CustNo = c.CustNo", "o.Amount>1", "").afterWhere,
              "SELECT c.Name FROM Cust c JOIN Orders o ON o.CustNo = c.CustNo WHERE (o.Amount>1)");
    EXPECT_EQ(Place("SELECT City, COUNT(*) FROM \"Cust Table\" GROUP BY City", "Age>3", "City").afterOrder,
              "SELECT City, COUNT(*) FROM \"Cust Table\"  WHERE (Age>3)GROUP BY City ORDER BY City");
    // A top-level UNION loses nothing; the new clause belongs to its last SELECT.
    EXPECT_EQ(Place("SELECT A FROM T UNION SELECT A FROM U", "A>1", "").afterWhere,
              "SELECT A FROM T UNION SELECT A FROM U WHERE (A>1)");
}

TEST(QParserPlace, LimitOffsetAndFetchStayLast) {
    // The condition and the sort keys go before a top-level LIMIT, never into it.
    EXPECT_EQ(Place("SELECT * FROM t LIMIT 10", "a>1", "id").afterOrder,
              "SELECT * FROM t  WHERE (a>1) ORDER BY id LIMIT 10");
    EXPECT_EQ(Place("SELECT * FROM t WHERE b=2 ORDER BY c limit 10 offset 5", "a>1", "id").afterOrder,
              "SELECT * FROM t WHERE (b=2 ) AND (a>1) ORDER BY c,id limit 10 offset 5");
    EXPECT_EQ(Place("SELECT * FROM t ORDER BY c LIMIT 10,1", "", "id").afterOrder,
              "SELECT * FROM t ORDER BY c,id LIMIT 10,1");
    EXPECT_EQ(Place("SELECT * FROM t\nWHERE b=2\nOFFSET 2 ROWS FETCH NEXT 3 ROWS ONLY", "a>1", "").afterWhere,
              "SELECT * FROM t\nWHERE (b=2\n) AND (a>1) OFFSET 2 ROWS FETCH NEXT 3 ROWS ONLY");
    // A LIMIT inside a subquery is not the statement's.
    EXPECT_EQ(Place("SELECT * FROM (SELECT * FROM t LIMIT 5) s", "a>1", "").afterWhere,
              "SELECT * FROM (SELECT * FROM t LIMIT 5) s WHERE (a>1)");
}

TEST(QParserPlace, TextGrowsAsNeeded) {
    std::string cond = "X IN (";
    for (int i = 0; i < 2000; ++i) cond += std::to_string(i) + ",";
    cond += "0)";
    Placed r = Place("SELECT * FROM T WHERE A=1", cond, "B");
    EXPECT_EQ(r.afterOrder, "SELECT * FROM T WHERE (A=1) AND (" + cond + ")  ORDER BY B");
}

TEST(QParserPlace, BlanksBeforeALimitStaySoThePositionsStayInsideTheText) {
    // The sort key goes right after the last term; the tabs and line breaks before OFFSET
    // stay, so the text never shrinks under positions read from it (found by the fuzzer).
    const std::string blanks = "\t\t\r\t\t\r\t\t\t\r\t\t\t\t\t\t\t\t\t\t";
    TQParser p("SELECT * FROM t" + blanks + "OFFSET 5");
    p.ScanQuery();
    std::string result;
    p.PlaceOrderBYCondition("K", result);
    EXPECT_EQ(result, "SELECT * FROM t ORDER BY K" + blanks + "OFFSET 5");
    EXPECT_LE(p.Position(), static_cast<int>(p.Text().size()));

    // A condition, a sort key, then the FROM clause read again over many line breaks.
    const std::string lines(40, '\n');
    TQParser q("SELECT a" + lines + "FROM t" + lines + "\r\rFETCH\r FIRST 1 ROWS ONLY");
    q.ScanQuery();
    q.PlaceWHERECondition("C=1", result);
    q.PlaceOrderBYCondition("K", result);
    q.SetPosition(0);
    q.Scan_FROM();
    EXPECT_LE(q.Position(), static_cast<int>(q.Text().size()));
}

TEST(QParserPlace, MalformedStatementsFailCleanly) {
    // A clause end found before the WHERE would repeat part of the text.
    TQParser p("SELECT a FROM t SELECT b GROUP BY b FROM u FROM v WHERE z");
    p.ScanQuery();
    std::string result = "kept";
    EXPECT_EQ(ExceptionText([&] { p.PlaceWHERECondition("X>2", result); }), "Can't place the condition!");
    EXPECT_EQ(result, "kept");
    EXPECT_EQ(p.Text(), "SELECT a FROM t SELECT b GROUP BY b FROM u FROM v WHERE z");

    // After a scan that raised, nothing is placed.
    TQParser failed("SELECT * FROM T ORDER X");
    EXPECT_EQ(ExceptionText([&] { failed.ScanQuery(); }), "Missing BY reserved word!");
    EXPECT_EQ(ExceptionText([&] { failed.PlaceWHERECondition("X>2", result); }), "Can't place the condition!");
    EXPECT_EQ(ExceptionText([&] { failed.PlaceOrderBYCondition("X", result); }), "Can't place the condition!");
    EXPECT_EQ(result, "kept");
    EXPECT_EQ(failed.Text(), "SELECT * FROM T ORDER X");

    // A very long chain of unparenthesised SELECTs is refused instead of exhausting the stack.
    std::string chain = "SELECT 1";
    for (int i = 0; i < 5000; ++i) chain += " UNION SELECT 1";
    TQParser deep(chain);
    EXPECT_EQ(ExceptionText([&] { deep.ScanQuery(); }), "Statement nested too deeply!");
    std::string shallow = "SELECT 1";
    for (int i = 0; i < 100; ++i) shallow += " UNION SELECT 1";
    EXPECT_EQ(Place(shallow, "1=1", "").afterWhere, shallow + " WHERE (1=1)");
}

TEST(QParserScan, AThousandNestedSelectsAreTheLimit) {
    auto chain = [](int selects) {
        std::string sql = "SELECT 1";
        for (int i = 1; i < selects; ++i) sql += " UNION SELECT 1";
        return sql;
    };
    TQParser thousand(chain(1000));
    EXPECT_EQ(ExceptionText([&] { thousand.ScanQuery(); }), "<no exception>");
    std::string result;
    thousand.PlaceWHERECondition("1=1", result);
    EXPECT_EQ(result, chain(1000) + " WHERE (1=1)");
    TQParser more(chain(1001));
    EXPECT_EQ(ExceptionText([&] { more.ScanQuery(); }), "Statement nested too deeply!");
    EXPECT_EQ(ExceptionText([&] { more.PlaceWHERECondition("1=1", result); }), "Can't place the condition!");
}

TEST(QParserScan, AnExistingWhereWithNothingInIt) {
    TQParser p("SELECT * FROM T WHERE ORDER BY B");
    p.ScanQuery();
    EXPECT_EQ(p.WhereInsertPos(), 22);
    EXPECT_EQ(p.WhereEnd(), 22);
    EXPECT_EQ(p.OrderByEnd(), 31);
    EXPECT_FALSE(p.MissingClauses().Contains(ckWHERE));
    std::string result;
    p.PlaceWHERECondition("X>2", result);
    EXPECT_EQ(result, "SELECT * FROM T WHERE () AND (X>2) ORDER BY B");
}

TEST(QParserScan, ANestedSelectMeetingASecondFrom) {
    // The nested statement ends at its second FROM; back at the top, that FROM's place
    // is where the new WHERE would go.
    TQParser one("SELECT a FROM t SELECT b FROM u FROM v WHERE z");
    one.ScanQuery();
    EXPECT_EQ(one.FromPos(), 37);
    EXPECT_EQ(one.WhereInsertPos(), 45);
    EXPECT_EQ(one.WhereEnd(), 46);
    EXPECT_EQ(one.SelectNesting(), 0);
    std::string result;
    one.PlaceWHERECondition("X>2", result);
    EXPECT_EQ(result, "SELECT a FROM t SELECT b FROM u FROM v WHERE (z) AND (X>2) ");

    // Two levels down, the second FROM only closes the inner level.
    TQParser two("SELECT a FROM t SELECT b FROM u SELECT c FROM w FROM x WHERE z");
    two.ScanQuery();
    EXPECT_EQ(two.FromPos(), 14);
    EXPECT_EQ(two.WhereInsertPos(), 14);
    EXPECT_EQ(two.SelectNesting(), 1);
    EXPECT_TRUE(two.MissingClauses().Contains(ckWHERE));

    TQParser three("SELECT a FROM t SELECT b FROM u SELECT c FROM w FROM x FROM y WHERE z");
    three.ScanQuery();
    EXPECT_EQ(three.FromPos(), 60);
    EXPECT_EQ(three.WhereInsertPos(), 68);
    EXPECT_EQ(three.SelectNesting(), 0);
}
