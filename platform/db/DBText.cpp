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

bool DBTextMatch(const std::string& Value, const std::string& Key, bool CaseInsensitive, bool Partial)
{
    if (CaseInsensitive)
        return DBTextMatch(DBUpperCase(Value), DBUpperCase(Key), false, Partial);
    if (Partial)
        return Value.compare(0, Key.size(), Key) == 0;
    return Value == Key;
}

}  // namespace korin
