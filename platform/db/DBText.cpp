#include "korin/platform/db/DBText.h"

namespace korin {

namespace {

char32_t UpperCodePoint(char32_t c)
{
    if (c >= 'a' && c <= 'z')
        return c - 32;
    if (c < 0x80)
        return c;
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7))
        return c - 32;
    if (c == 0xFF)
        return 0x178;
    if (c >= 0x100 && c <= 0x17F) {
        // Latin Extended-A pairs: mostly even upper, odd lower; 0x139..0x148 and
        // 0x179..0x17E the other way round.
        if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
            return (c % 2 == 0) ? c - 1 : c;
        if (c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F)
            return c;
        return (c % 2 == 1) ? c - 1 : c;
    }
    if (c == 0x3C2)
        return 0x3A3;  // final sigma
    if (c >= 0x3B1 && c <= 0x3C9)
        return c - 32;
    if (c >= 0x430 && c <= 0x44F)
        return c - 32;
    if (c >= 0x450 && c <= 0x45F)
        return c - 80;
    if (c == 0x4CF)
        return 0x4C0;
    if (c >= 0x4C1 && c <= 0x4CE)
        return c % 2 == 0 ? c - 1 : c;
    if (c >= 0x460 && c <= 0x4FF && c % 2 == 1 && !(c >= 0x482 && c <= 0x489))
        return c - 1;
    return c;
}

void AppendUTF8(std::string& out, char32_t c)
{
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
}

}  // namespace

std::string DBUpperCase(const std::string& Text)
{
    std::string out;
    out.reserve(Text.size());
    size_t i = 0;
    const size_t n = Text.size();
    while (i < n) {
        unsigned char b = static_cast<unsigned char>(Text[i]);
        int len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
        if (len == 0 || i + static_cast<size_t>(len) > n) {
            out += Text[i++];  // not UTF-8: keep the byte
            continue;
        }
        char32_t c = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
        bool ok = true;
        for (int k = 1; k < len; ++k) {
            unsigned char cb = static_cast<unsigned char>(Text[i + static_cast<size_t>(k)]);
            if ((cb & 0xC0) != 0x80)
                ok = false;
            c = (c << 6) | (cb & 0x3F);
        }
        if (!ok) {
            out += Text[i++];
            continue;
        }
        AppendUTF8(out, UpperCodePoint(c));
        i += static_cast<size_t>(len);
    }
    return out;
}

namespace {

// The case-insensitive comparison for a key of ASCII characters, decided without
// upper-casing copies: 1 match, 0 no match, −1 undecided (Value holds other bytes where
// it matters). Upper-casing maps ASCII to ASCII, one byte for one, and never makes a
// text longer; so a difference among leading ASCII bytes, or a Value shorter than the
// key, decides alone.
int AsciiKeyMatch(std::string_view Value, std::string_view Key, bool Partial)
{
    auto up = [](unsigned char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; };
    const size_t n = Key.size();
    if (Value.size() < n)
        return 0;
    for (size_t i = 0; i < n; ++i) {
        const auto v = static_cast<unsigned char>(Value[i]);
        if (v >= 0x80)
            return -1;
        if (up(v) != up(static_cast<unsigned char>(Key[i])))
            return 0;
    }
    if (Partial || Value.size() == n)
        return 1;
    return 0;  // every character left adds at least one byte to the upper-cased text
}

bool IsAsciiText(std::string_view S)
{
    for (char c : S)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

}  // namespace

bool DBTextMatch(std::string_view Value, std::string_view Key, bool CaseInsensitive, bool Partial)
{
    if (CaseInsensitive) {
        if (IsAsciiText(Key))
            if (int m = AsciiKeyMatch(Value, Key, Partial); m >= 0)
                return m == 1;
        return DBTextMatch(DBUpperCase(std::string(Value)), DBUpperCase(std::string(Key)), false, Partial);
    }
    if (Partial)
        return Value.substr(0, Key.size()) == Key;
    return Value == Key;
}

}  // namespace korin
