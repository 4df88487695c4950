#pragma once
// The statement the navigator's query command opens: a dataset's SQL with the condition
// and sort order composed in the condition builder merged in.
//
// The clause scanner (Qparser.h) places the condition and the sort keys into the
// statement itself. Its result is used only when it prepares on the database; when it
// does not while the original does, when the scanner refuses the statement, and when
// the statement is a compound SELECT (UNION, INTERSECT, EXCEPT) or ends in LIMIT or
// OFFSET (where a condition placed inside would change which rows the limit keeps), the
// statement becomes "SELECT * FROM (original) AS korin_query WHERE (condition) ORDER BY
// sort keys": the original's rows, filtered, in the new order. Only when that does not
// prepare either is the statement refused.
#include <functional>
#include <string>

#include "korin/platform/core/Exception.h"
#include "korin/platform/core/StringList.h"

namespace korin {

// Joins the lines of a string list into one text, a line break between two lines.
std::string StringListToString(const TStringList& Lines);

// The text with its SQL comments ("-- …" to the end of the line, "/* … */") replaced by
// one space each, so that text appended after them is not commented out; quoted texts
// and names are left alone.
std::string StripSQLComments(const std::string& SQL);

// Whether the statement, at its top level (outside parentheses, quotes and comments),
// joins SELECTs with UNION, INTERSECT or EXCEPT, or limits its rows with LIMIT, OFFSET
// or FETCH.
bool IsCompoundSelect(const std::string& SQL);
bool HasTopLevelLimit(const std::string& SQL);

// Raised when neither the rewritten nor the wrapped statement prepares.
class EQueryPrepareError : public Exception {
public:
    using Exception::Exception;
};

// Where and OrderBy merged into SQL (either may be empty). Prepares tells whether a
// statement compiles on the database the query will run on (it must not run it).
// Raises EQueryPrepareError when nothing usable can be built.
std::string MergeQueryConditions(const std::string& SQL, const std::string& Where, const std::string& OrderBy,
                                 const std::function<bool(const std::string&)>& Prepares);

}  // namespace korin
