#include "korin/platform/core/Utf8.h"

#include <algorithm>

namespace korin {

namespace utf8 {

std::vector<size_t> CodePoints(const std::string& s)
{
    std::vector<size_t> at;
    for (size_t i = 0; i < s.size(); ++i)
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80)
            at.push_back(i);
    at.push_back(s.size());
    return at;
}

int CodePointCount(const std::string& s) { return static_cast<int>(CodePoints(s).size()) - 1; }

std::string Prefix(const std::string& s, int n)
{
    auto at = CodePoints(s);
    n = std::clamp(n, 0, static_cast<int>(at.size()) - 1);
    return s.substr(0, at[static_cast<size_t>(n)]);
}

std::string Slice(const std::string& s, int from, int to)
{
    auto at = CodePoints(s);
    int n = static_cast<int>(at.size()) - 1;
    from = std::clamp(from, 0, n);
    to = std::clamp(to, from, n);
    return s.substr(at[static_cast<size_t>(from)], at[static_cast<size_t>(to)] - at[static_cast<size_t>(from)]);
}

std::string EncodeUtf8(char32_t c)
{
    std::string out;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

bool IsTypedChar(char32_t c) { return c >= 32 && c != 127 && !(c >= 0xD800 && c <= 0xDFFF) && c <= 0x10FFFF; }

}  // namespace utf8

}  // namespace korin
