#include "korin/query/QueryText.h"

#include <cctype>
#include <initializer_list>
#include <vector>

#include "korin/query/Qparser.h"

namespace korin {

namespace {

// Calls F(Index) for every character of SQL that is code: outside quoted texts and
// names ('…', "…", `…`, […]) and comments. F answers false to stop.
template <class F>
void ForEachCode(const std::string& SQL, F f)
{
    const std::size_t n = SQL.size();
    std::size_t i = 0;
    while (i < n) {
        const char c = SQL[i];
        if (c == '\'' || c == '"' || c == '`' || c == '[') {
            const char close = c == '[' ? ']' : c;
            ++i;
            while (i < n && SQL[i] != close)
                ++i;
            ++i;  // a doubled quote closes and opens again: the same as one text
            continue;
        }
        if (c == '-' && i + 1 < n && SQL[i + 1] == '-') {
            while (i < n && SQL[i] != '\n')
                ++i;
            continue;
        }
        if (c == '/' && i + 1 < n && SQL[i + 1] == '*') {
            const std::size_t e = SQL.find("*/", i + 2);
            i = e == std::string::npos ? n : e + 2;
            continue;
        }
        if (!f(i))
            return;
        ++i;
    }
}

bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$'; }

// The upper-cased words of SQL at parenthesis depth 0, outside quotes and comments.
std::vector<std::string> TopLevelWords(const std::string& SQL)
{
    std::vector<std::string> words;
    std::string cur;
    int depth = 0;
    std::size_t last = std::string::npos;
    ForEachCode(SQL, [&](std::size_t i) {
        const char c = SQL[i];
        // A quoted part or comment between two code characters ends a word too.
        if (last != std::string::npos && i != last + 1 && !cur.empty()) {
            if (depth == 0)
                words.push_back(cur);
            cur.clear();
        }
        last = i;
        if (IsWordChar(c)) {
            cur += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            return true;
        }
        if (!cur.empty() && depth == 0)
            words.push_back(cur);
        cur.clear();
        if (c == '(')
            ++depth;
        else if (c == ')')
            --depth;
        return true;
    });
    if (!cur.empty() && depth == 0)
        words.push_back(cur);
    return words;
}

bool HasTopLevelWord(const std::string& SQL, std::initializer_list<const char*> Words)
{
    for (const std::string& w : TopLevelWords(SQL))
        for (const char* x : Words)
            if (w == x)
                return true;
    return false;
}

std::string TrimStatement(const std::string& SQL)
{
    std::size_t b = 0, e = SQL.size();
    while (b < e && std::isspace(static_cast<unsigned char>(SQL[b])))
        ++b;
    while (e > b && (SQL[e - 1] == ';' || std::isspace(static_cast<unsigned char>(SQL[e - 1]))))
        --e;
    return SQL.substr(b, e - b);
}

std::string Wrapped(const std::string& SQL, const std::string& Where, const std::string& OrderBy)
{
    std::string out = "SELECT * FROM (" + SQL + ") AS korin_query";
    if (!Where.empty())
        out += " WHERE (" + Where + ")";
    if (!OrderBy.empty())
        out += " ORDER BY " + OrderBy;
    return out;
}

}  // namespace

std::string StringListToString(const TStringList& Lines)
{
    std::string out;
    for (int i = 0; i < Lines.Count(); ++i) {
        if (i)
            out += '\n';
        out += Lines[i];
    }
    return out;
}

std::string StripSQLComments(const std::string& SQL)
{
    std::string out;
    out.reserve(SQL.size());
    const std::size_t n = SQL.size();
    std::size_t i = 0;
    while (i < n) {
        const char c = SQL[i];
        if (c == '\'' || c == '"' || c == '`' || c == '[') {
            // A doubled quote closes and opens again: copied as two texts, the same text.
            const char close = c == '[' ? ']' : c;
            std::size_t k = i + 1;
            while (k < n && SQL[k] != close)
                ++k;
            k = k < n ? k + 1 : n;
            out.append(SQL, i, k - i);
            i = k;
            continue;
        }
        if (c == '-' && i + 1 < n && SQL[i + 1] == '-') {
            const std::size_t e = SQL.find('\n', i);
            out += ' ';
            i = e == std::string::npos ? n : e;  // the line break stays
            continue;
        }
        if (c == '/' && i + 1 < n && SQL[i + 1] == '*') {
            const std::size_t e = SQL.find("*/", i + 2);
            out += ' ';
            i = e == std::string::npos ? n : e + 2;
            continue;
        }
        out += c;
        ++i;
    }
    return out;
}

bool IsCompoundSelect(const std::string& SQL) { return HasTopLevelWord(SQL, {"UNION", "INTERSECT", "EXCEPT"}); }

bool HasTopLevelLimit(const std::string& SQL) { return HasTopLevelWord(SQL, {"LIMIT", "OFFSET", "FETCH"}); }

std::string MergeQueryConditions(const std::string& SQL, const std::string& Where, const std::string& OrderBy,
                                 const std::function<bool(const std::string&)>& Prepares)
{
    const std::string original = TrimStatement(StripSQLComments(SQL));
    if (Where.empty() && OrderBy.empty())
        return original;

    if (!IsCompoundSelect(original) && !HasTopLevelLimit(original)) {
        std::string text = original;
        bool placed = true;
        try {
            TQParser parser(text);
            parser.ScanQuery();
            if (!Where.empty())
                parser.PlaceWHERECondition(Where, text);
            if (!OrderBy.empty())
                parser.PlaceOrderBYCondition(OrderBy, text);
        } catch (const Exception&) {
            placed = false;  // the scanner refused the statement: try the wrapped form
        }
        if (placed && Prepares(text))
            return text;
    }
    const std::string wrapped = Wrapped(original, Where, OrderBy);
    if (Prepares(original) && Prepares(wrapped))
        return wrapped;
    throw EQueryPrepareError("Can't prepare query!");
}

}  // namespace korin
