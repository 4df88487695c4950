#include "korin/platform/db/ADOText.h"

#include <cctype>

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

}  // namespace

std::string NumberParameters(const std::string& SQL, std::vector<std::string>& Names)
{
    Names.clear();
    std::vector<std::string> upper;
    std::string out;
    out.reserve(SQL.size() + 8);
    const size_t n = SQL.size();
    size_t i = 0;
    auto copyTo = [&](size_t End) {
        End = End > n ? n : End;
        out.append(SQL, i, End - i);
        i = End;
    };
    while (i < n) {
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
            copyTo(j + 1);
        } else if (c == '"') {
            size_t j = i + 1;
            while (j < n && !(SQL[j] == '"' && !(j + 1 < n && SQL[j + 1] == '"')))
                j += SQL[j] == '"' ? 2 : 1;
            copyTo(j + 1);
        } else if (c == '-' && i + 1 < n && SQL[i + 1] == '-') {
            size_t j = SQL.find('\n', i);
            copyTo(j == std::string::npos ? n : j);
        } else if (c == '/' && i + 1 < n && SQL[i + 1] == '*') {
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
            copyTo(j);
        } else if (c == '$' && (i == 0 || !IdentChar(SQL[i - 1]))) {
            // $tag$ ... $tag$ (a tag never starts with a digit: $1 is a parameter).
            size_t j = i + 1;
            if (j < n && SQL[j] != '$' && !IdentStart(SQL[j])) {
                copyTo(j);
                continue;
            }
            while (j < n && SQL[j] != '$' && IdentChar(SQL[j]))
                ++j;
            if (j >= n || SQL[j] != '$') {
                copyTo(j);
                continue;
            }
            std::string tag = SQL.substr(i, j - i + 1);
            size_t close = SQL.find(tag, j + 1);
            copyTo(close == std::string::npos ? n : close + tag.size());
        } else if (c == ':') {
            if (i + 1 < n && SQL[i + 1] == ':') {
                copyTo(i + 2);
                continue;
            }
            if (i + 1 < n && IdentStart(SQL[i + 1]) && !(SQL[i + 1] & 0x80)) {
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
            copyTo(i + 1);
        } else {
            copyTo(i + 1);
        }
    }
    return out;
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
