// Parameters and filters are read the way the server reads SQL: quotes, dollar quotes,
// comments and casts hide what looks like a parameter or a separator.
#include <gtest/gtest.h>

#include "korin/platform/db/ADOText.h"
#include "korin/platform/db/DB.h"

using namespace korin;

TEST(ServerSQLText, ParametersAreNumberedOutsideQuotesCommentsAndCasts)
{
    std::vector<std::string> names;
    EXPECT_EQ(adosql::NumberParameters("SELECT * FROM t WHERE a = :A AND b::text = :b OR c = :a", names),
              "SELECT * FROM t WHERE a = $1 AND b::text = $2 OR c = $1");
    EXPECT_EQ(names, (std::vector<std::string>{"A", "b"}));
    const std::string hidden = "SELECT ':x', E'\\':y', \":z\", $$ :w $$, $q$ :v $q$ -- :u\n/* :t /* :s */ */ , :r";
    EXPECT_EQ(adosql::NumberParameters(hidden, names),
              "SELECT ':x', E'\\':y', \":z\", $$ :w $$, $q$ :v $q$ -- :u\n/* :t /* :s */ */ , $1");
    EXPECT_EQ(names, std::vector<std::string>{"r"});
    // A text left open hides the rest; $1 stays as written.
    EXPECT_EQ(adosql::NumberParameters("SELECT $1, 'open :p", names), "SELECT $1, 'open :p");
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(adosql::StatementText("  SELECT 1 ;; \n"), "SELECT 1");
}

TEST(ServerSQLText, AFilterIsOneExpression)
{
    for (const char* ok : {"a = 1", "(a = 1) OR (b = ';')", "name = ')' -- ;", "x = $$;($$"})
        EXPECT_NO_THROW(adosql::CheckFilter(ok)) << ok;
    for (const char* bad : {"a = 1; DELETE FROM t", "1) OR (1", "(a = 1", "a = 1)"}) {
        try {
            adosql::CheckFilter(bad);
            ADD_FAILURE() << bad;
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(e.Message(), std::string("Invalid filter expression: ") + bad);
        }
    }
}
