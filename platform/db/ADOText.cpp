#include "korin/platform/db/ADOText.h"

#include <algorithm>
#include <cctype>

#include "korin/platform/db/DB.h"

namespace korin {

namespace adosql {

namespace {

bool IdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_' || (c & 0x80); }
bool IdentChar(char c) { return IdentStart(c) || std::isdigit(static_cast<unsigned char>(c)); }

std::string UpperAscii(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// When a quoted text or identifier, a dollar-quoted text or a comment starts at I: the
// index just past it; else I.
size_t SkipNonCode(const std::string& SQL, size_t i)
{
    const size_t n = SQL.size();
    char c = SQL[i];
    if (c == '\'') {
        // E'...' strings take backslash escapes; '' is a quote in every string.
        bool escapes = i > 0 && (SQL[i - 1] == 'E' || SQL[i - 1] == 'e') && (i < 2 || !IdentChar(SQL[i - 2]));
        size_t j = i + 1;
        while (j < n) {
            if (escapes && SQL[j] == '\\') {
                j += 2;
                continue;
            }
            if (SQL[j] == '\'') {
                if (j + 1 < n && SQL[j + 1] == '\'') {
                    j += 2;
                    continue;
                }
                break;
            }
            ++j;
        }
        return std::min(j + 1, n);
    }
    if (c == '"') {
        size_t j = i + 1;
        while (j < n && !(SQL[j] == '"' && !(j + 1 < n && SQL[j + 1] == '"')))
            j += SQL[j] == '"' ? 2 : 1;
        return std::min(j + 1, n);
    }
    if (c == '-' && i + 1 < n && SQL[i + 1] == '-') {
        size_t j = SQL.find('\n', i);
        return j == std::string::npos ? n : j;
    }
    if (c == '/' && i + 1 < n && SQL[i + 1] == '*') {
        // Block comments nest.
        size_t j = i + 2;
        int depth = 1;
        while (j < n && depth > 0) {
            if (SQL[j] == '/' && j + 1 < n && SQL[j + 1] == '*') {
                ++depth;
                j += 2;
            } else if (SQL[j] == '*' && j + 1 < n && SQL[j + 1] == '/') {
                --depth;
                j += 2;
            } else {
                ++j;
            }
        }
        return std::min(j, n);
    }
    if (c == '$' && (i == 0 || !IdentChar(SQL[i - 1]))) {
        // $tag$ ... $tag$ (a tag never starts with a digit: $1 is a parameter).
        size_t j = i + 1;
        if (j < n && SQL[j] != '$' && !IdentStart(SQL[j]))
            return i;
        while (j < n && SQL[j] != '$' && IdentChar(SQL[j]))
            ++j;
        if (j >= n || SQL[j] != '$')
            return i;
        std::string tag = SQL.substr(i, j - i + 1);
        size_t close = SQL.find(tag, j + 1);
        return close == std::string::npos ? n : close + tag.size();
    }
    return i;
}

}  // namespace

std::string NumberParameters(const std::string& SQL, std::vector<std::string>& Names)
{
    Names.clear();
    std::vector<std::string> upper;
    std::string out;
    out.reserve(SQL.size() + 8);
    const size_t n = SQL.size();
    size_t i = 0;
    while (i < n) {
        size_t skip = SkipNonCode(SQL, i);
        if (skip != i) {
            out.append(SQL, i, skip - i);
            i = skip;
            continue;
        }
        char c = SQL[i];
        if (c == ':' && i + 1 < n && SQL[i + 1] == ':') {
            out += "::";
            i += 2;
            continue;
        }
        if (c == ':' && i + 1 < n && IdentStart(SQL[i + 1]) && !(SQL[i + 1] & 0x80)) {
            size_t j = i + 1;
            while (j < n && IdentChar(SQL[j]))
                ++j;
            std::string name = SQL.substr(i + 1, j - i - 1);
            std::string key = UpperAscii(name);
            size_t k = 0;
            while (k < upper.size() && upper[k] != key)
                ++k;
            if (k == upper.size()) {
                upper.push_back(key);
                Names.push_back(name);
            }
            out += "$" + std::to_string(k + 1);
            i = j;
            continue;
        }
        out += c;
        ++i;
    }
    return out;
}

void CheckFilter(const std::string& Filter)
{
    // One expression: no statement separators, balanced parentheses. (A quote or comment
    // left open makes the server refuse the statement it is put into.)
    int depth = 0;
    bool bad = false;
    const size_t n = Filter.size();
    for (size_t i = 0; i < n && !bad;) {
        size_t skip = SkipNonCode(Filter, i);
        if (skip != i) {
            i = skip;
            continue;
        }
        char c = Filter[i++];
        if (c == ';')
            bad = true;
        else if (c == '(')
            ++depth;
        else if (c == ')' && --depth < 0)
            bad = true;
    }
    if (bad || depth != 0)
        throw EDatabaseError("Invalid filter expression: " + Filter);
}

std::string StatementText(const std::string& SQL)
{
    size_t b = 0, e = SQL.size();
    while (b < e && std::isspace(static_cast<unsigned char>(SQL[b])))
        ++b;
    while (e > b && (SQL[e - 1] == ';' || std::isspace(static_cast<unsigned char>(SQL[e - 1]))))
        --e;
    return SQL.substr(b, e - b);
}

}  // namespace adosql

}  // namespace korin
