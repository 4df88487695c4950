#pragma once
// Internal to platform/db: small helpers the engine-layer sources share for reading and
// building SQL text. Nothing outside platform/db includes this.
#include <cctype>
#include <string>
#include <vector>

namespace korin {
namespace dbsql {

inline std::string UpperAscii(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

inline bool SameText(const std::string& a, const std::string& b) { return UpperAscii(a) == UpperAscii(b); }

inline std::string Trim(const std::string& s)
{
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos)
        return "";
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

// Joins non-empty SQL conditions with AND, each in parentheses; "" when none.
inline std::string JoinConditions(const std::vector<std::string>& conds)
{
    std::string out;
    for (const auto& c : conds) {
        if (c.empty())
            continue;
        if (!out.empty())
            out += " AND ";
        out += "(" + c + ")";
    }
    return out;
}

// Scans SQL text outside quotes and comments; calls f(position) for each such char.
template <class F>
void ScanCode(const std::string& sql, F f)
{
    size_t i = 0;
    const size_t n = sql.size();
    while (i < n) {
        char c = sql[i];
        if (c == '\'' || c == '"' || c == '`' || c == '[') {
            char close = c == '[' ? ']' : c;
            ++i;
            while (i < n) {
                if (sql[i] == close) {
                    if (close != ']' && i + 1 < n && sql[i + 1] == close) {
                        i += 2;
                        continue;
                    }
                    break;
                }
                ++i;
            }
            ++i;
            continue;
        }
        if (c == '-' && i + 1 < n && sql[i + 1] == '-') {
            while (i < n && sql[i] != '\n')
                ++i;
            continue;
        }
        if (c == '/' && i + 1 < n && sql[i + 1] == '*') {
            size_t e = sql.find("*/", i + 2);
            i = e == std::string::npos ? n : e + 2;
            continue;
        }
        if (!f(i))
            return;
        ++i;
    }
}

// Upper-cased words of the SQL text outside quotes and comments.
inline std::vector<std::string> CodeWords(const std::string& sql)
{
    std::vector<std::string> words;
    std::string cur;
    ScanCode(sql, [&](size_t i) {
        char c = sql[i];
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '_') {
            cur += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        } else if (!cur.empty()) {
            words.push_back(cur);
            cur.clear();
        }
        return true;
    });
    if (!cur.empty())
        words.push_back(cur);
    return words;
}

// Whether the default session exists (it is a static object: databases made or freed
// outside its lifetime do not register with it).
extern bool gSessionAlive;

}  // namespace dbsql
}  // namespace korin
