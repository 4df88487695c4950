#include "korin/search/Sercheng.h"

#include <algorithm>
#include <cstdint>

namespace korin {

namespace {

// The process-wide wildcards. Everything runs on the user-interface thread.
std::string MultiPat = "..";
char SinglePat = '@';

// Windows-1251 bytes 0x80..0xFF as Unicode code points. 0x98 has no character in the
// code page; it is carried as U+0098 so that every byte converts both ways.
constexpr char16_t HighHalf[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
    // C0..FF: А..я, U+0410..U+044F
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A, 0x041B,
    0x041C, 0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F, 0x0430, 0x0431, 0x0432, 0x0433,
    0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447, 0x0448, 0x0449, 0x044A, 0x044B,
    0x044C, 0x044D, 0x044E, 0x044F,
};

// Upper case of every Windows-1251 byte.
struct TUpperTable {
    unsigned char map[256];
    constexpr TUpperTable() : map() {
        for (int i = 0; i < 256; ++i) map[i] = static_cast<unsigned char>(i);
        for (int c = 'a'; c <= 'z'; ++c) map[c] = static_cast<unsigned char>(c - 'a' + 'A');
        for (int c = 0xE0; c <= 0xFF; ++c) map[c] = static_cast<unsigned char>(c - 0x20);  // а..я
        // The letters of the upper half outside А..я: small → capital.
        constexpr unsigned char pairs[][2] = {
            {0xB8, 0xA8},  // ё Ё
            {0x90, 0x80},  // ђ Ђ
            {0x83, 0x81},  // ѓ Ѓ
            {0x9A, 0x8A},  // љ Љ
            {0x9C, 0x8C},  // њ Њ
            {0x9D, 0x8D},  // ќ Ќ
            {0x9E, 0x8E},  // ћ Ћ
            {0x9F, 0x8F},  // џ Џ
            {0xA2, 0xA1},  // ў Ў
            {0xBC, 0xA3},  // ј Ј
            {0xB4, 0xA5},  // ґ Ґ
            {0xBA, 0xAA},  // є Є
            {0xB3, 0xB2},  // і І
            {0xBF, 0xAF},  // ї Ї
            {0xBE, 0xBD},  // ѕ Ѕ
        };
        for (const auto& p : pairs) map[p[0]] = p[1];
    }
};
constexpr TUpperTable UpperTable;

int Cp1251FromCodePoint(char32_t cp) {
    if (cp < 0x80) return static_cast<int>(cp);
    if (cp >= 0x0410 && cp <= 0x044F) return static_cast<int>(cp - 0x0410 + 0xC0);
    for (int i = 0; i < 64; ++i) {
        if (HighHalf[i] == cp) return 0x80 + i;
    }
    return -1;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes one UTF-8 sequence at S[i]; advances i. Returns -1 (advancing one byte) for a
// byte that does not start a valid, shortest-form sequence.
long DecodeUtf8(std::string_view S, std::size_t& i) {
    const unsigned char b0 = static_cast<unsigned char>(S[i]);
    int extra;
    char32_t cp, min;
    if (b0 < 0x80) {
        ++i;
        return b0;
    } else if (b0 >= 0xC2 && b0 <= 0xDF) {
        extra = 1, cp = b0 & 0x1F, min = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        extra = 2, cp = b0 & 0x0F, min = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        extra = 3, cp = b0 & 0x07, min = 0x10000;
    } else {
        ++i;
        return -1;
    }
    if (S.size() - i <= static_cast<std::size_t>(extra)) {
        ++i;
        return -1;
    }
    for (int k = 1; k <= extra; ++k) {
        const unsigned char b = static_cast<unsigned char>(S[i + k]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return -1;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return -1;
    }
    i += extra + 1;
    return static_cast<long>(cp);
}

// The matcher works alike on single-byte strings and on code points.
template <class C>
bool IsWild(std::basic_string_view<C> S, std::basic_string_view<C> Multi, C Single)
{
    if (S.find(Multi) != std::basic_string_view<C>::npos)
        return true;
    return S.find(Single) != std::basic_string_view<C>::npos;
}

template <class C>
bool Match(std::basic_string_view<C> T, std::basic_string_view<C> P, std::basic_string_view<C> multi, C single)
{
    using View = std::basic_string_view<C>;
    // Each pass consumes pattern or decides, so the loop ends within |P| passes.
    for (;;) {
        if (P == multi) return true;
        if (T.empty()) return P.empty();

        if (!P.starts_with(multi)) {
            if (!P.empty() && P.front() == single) {
                while (!P.empty() && P.front() == single) {
                    if (T.empty()) return false;
                    T.remove_prefix(1);
                    P.remove_prefix(1);
                }
                continue;
            }
            if (!P.empty() && P.front() == T.front()) {
                std::size_t k = 0;
                while (k < P.size() && k < T.size() && P[k] == T[k]) ++k;
                T.remove_prefix(k);
                P.remove_prefix(k);
                continue;
            }
            return false;
        }

        const View rest = P.substr(multi.size());
        if (IsWild(rest, multi, single)) {
            const std::size_t next = std::min(rest.find(multi), rest.find(single));
            const View literal = rest.substr(0, next);
            const std::size_t at = T.find(literal);
            if (at == View::npos) return false;
            T.remove_prefix(at + literal.size());
            P = rest.substr(next);
            continue;
        }
        const std::size_t at = T.find(rest);
        if (at == View::npos) return false;
        const View after = T.substr(at + rest.size());
        return std::all_of(after.begin(), after.end(), [](C c) { return static_cast<std::uint32_t>(c) < 32; });
    }
}

// A byte that is no part of a valid UTF-8 sequence stands for itself as a code point
// no character has (a lone low surrogate, U+DC80..U+DCFF): it equals only the same
// stray byte and never a letter, a '?' or a wildcard.
constexpr char32_t StrayByte(unsigned char B) { return 0xDC00 + B; }

char32_t Cp1251ToCodePoint(unsigned char B) { return B < 0x80 ? char32_t(B) : char32_t(HighHalf[B - 0x80]); }

// Case folding of one code point. Characters of Windows-1251 fold exactly as
// StrUpperCyr folds their bytes (Latin and Cyrillic letters to capitals, everything else
// to itself), so texts within the code page match as they always did. Every other
// character takes its Unicode simple case folding; when that lands in the code page
// (KELVIN SIGN → 'k'), the code page's fold follows, so all forms of a letter meet.
char32_t FoldCodePoint(char32_t C)
{
    if (C < 0x80)
        return C >= 'a' && C <= 'z' ? C - 'a' + 'A' : C;
    if (C >= 0xDC80 && C <= 0xDCFF)
        return C;  // a stray byte
    int b = Cp1251FromCodePoint(C);
    if (b < 0) {
        C = SimpleCaseFold(C);
        b = Cp1251FromCodePoint(C);
        if (b < 0)
            return C;
    }
    return Cp1251ToCodePoint(UpperTable.map[b]);
}

void DecodeForMatch(std::string_view S, bool Fold, std::u32string& out)
{
    out.clear();
    out.reserve(S.size());
    std::size_t i = 0;
    while (i < S.size()) {
        const unsigned char b = static_cast<unsigned char>(S[i]);
        if (b < 0x80) {  // ASCII, the common case, without the decoder
            out += Fold && b >= 'a' && b <= 'z' ? char32_t(b - 'a' + 'A') : char32_t(b);
            ++i;
            continue;
        }
        const std::size_t at = i;
        const long cp = DecodeUtf8(S, i);
        char32_t c = cp < 0 ? StrayByte(static_cast<unsigned char>(S[at])) : static_cast<char32_t>(cp);
        out += Fold ? FoldCodePoint(c) : c;
    }
}

std::u32string DecodeForMatch(std::string_view S, bool Fold)
{
    std::u32string out;
    DecodeForMatch(S, Fold, out);
    return out;
}

// The process-wide wildcards as code points (they are Windows-1251 bytes).
std::u32string WildcardCodePoints(std::string_view Bytes)
{
    std::u32string out;
    for (char c : Bytes) out += Cp1251ToCodePoint(static_cast<unsigned char>(c));
    return out;
}

}  // namespace

bool IsPatternWild(std::string_view S) { return IsWild(S, std::string_view(MultiPat), SinglePat); }

bool MatchWild(std::string_view T, std::string_view P) { return Match(T, P, std::string_view(MultiPat), SinglePat); }

bool CompareStrings(std::string& Text, std::string& Pattern, bool CaseSensitive, bool Wild) {
    if (!CaseSensitive) {
        StrUpperCyr(Text);
        StrUpperCyr(Pattern);
    }
    if (!Wild) return Text == Pattern;
    return MatchWild(Text, Pattern);
}

bool SetMultiPat(std::string_view P) {
    const std::string_view cut = P.substr(0, std::min(P.find('\0'), MaxMultiPatLength));
    if (cut.empty()) return false;
    MultiPat.assign(cut);
    return true;
}

std::string GetMultiPat() { return MultiPat; }

bool SetSinglePat(char C) {
    if (C == '\0') return false;
    SinglePat = C;
    return true;
}

char GetSinglePat() { return SinglePat; }

void StrUpperCyr(std::string& S) {
    for (char& c : S) c = static_cast<char>(UpperTable.map[static_cast<unsigned char>(c)]);
}

std::string Utf8ToCp1251(std::string_view S) {
    std::string out;
    out.reserve(S.size());
    std::size_t i = 0;
    while (i < S.size()) {
        const long cp = DecodeUtf8(S, i);
        const int b = cp < 0 ? -1 : Cp1251FromCodePoint(static_cast<char32_t>(cp));
        out += b < 0 ? '?' : static_cast<char>(b);
    }
    return out;
}

std::string Cp1251ToUtf8(std::string_view S) {
    std::string out;
    out.reserve(S.size() * 2);
    for (char c : S) {
        const unsigned char b = static_cast<unsigned char>(c);
        AppendUtf8(out, b < 0x80 ? char32_t(b) : char32_t(HighHalf[b - 0x80]));
    }
    return out;
}

bool IsUtf8PatternWild(std::string_view S)
{
    const std::u32string multi = WildcardCodePoints(MultiPat);
    return IsWild(std::u32string_view(DecodeForMatch(S, false)), std::u32string_view(multi),
                  Cp1251ToCodePoint(static_cast<unsigned char>(SinglePat)));
}

bool CompareUtf8Strings(std::string_view Text, std::string_view Pattern, bool CaseSensitive, bool Wild)
{
    const std::u32string text = DecodeForMatch(Text, !CaseSensitive);
    const std::u32string pattern = DecodeForMatch(Pattern, !CaseSensitive);
    if (!Wild)
        return text == pattern;
    const std::u32string multi = WildcardCodePoints(MultiPat);
    return Match(std::u32string_view(text), std::u32string_view(pattern), std::u32string_view(multi),
                 Cp1251ToCodePoint(static_cast<unsigned char>(SinglePat)));
}

TUtf8Matcher::TUtf8Matcher(std::string_view Pattern, bool CaseSensitive, bool Wild)
    : FPattern(DecodeForMatch(Pattern, !CaseSensitive)),
      FMulti(WildcardCodePoints(MultiPat)),
      FSingle(Cp1251ToCodePoint(static_cast<unsigned char>(SinglePat))),
      FFold(!CaseSensitive),
      FWild(Wild)
{
}

bool TUtf8Matcher::Matches(std::string_view Text) const
{
    DecodeForMatch(Text, FFold, FText);
    if (!FWild)
        return FText == FPattern;
    return Match(std::u32string_view(FText), std::u32string_view(FPattern), std::u32string_view(FMulti), FSingle);
}

}  // namespace korin
