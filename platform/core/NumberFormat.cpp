#include "korin/platform/core/NumberFormat.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace korin {

namespace {

// The sections of a format, split at ';' outside quoted text.
std::vector<std::string> Sections(const std::string& Format)
{
    std::vector<std::string> out(1);
    char quote = 0;
    for (char ch : Format) {
        if (quote) {
            if (ch == quote)
                quote = 0;
        } else if (ch == '"' || ch == '\'') {
            quote = ch;
        } else if (ch == ';') {
            out.emplace_back();
            continue;
        }
        out.back() += ch;
    }
    return out;
}

// A non-negative number as decimal digits: the integer digits (no leading zeros, empty
// for zero) and the fraction digits, rounded half away from zero to Decimals places.
// The number is first written with 15 significant digits, so that it rounds as it reads.
void Digits(double Value, int Decimals, std::string& Int, std::string& Frac)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", Value);
    // "d.dddddddddddddde±x"
    std::string mant;
    for (const char* p = buf; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            mant += *p;
    const char* e = std::strchr(buf, 'e');
    int exp = e ? std::atoi(e + 1) : 0;
    // The digits with the decimal point after position point (may be <= 0 or past them).
    int point = exp + 1;
    std::string all = mant;
    if (point <= 0) {
        all = std::string(static_cast<size_t>(-point), '0') + all;
        point = 0;
    } else if (point > static_cast<int>(all.size())) {
        all += std::string(static_cast<size_t>(point) - all.size(), '0');
    }
    // Round at point + Decimals.
    size_t keep = static_cast<size_t>(point + Decimals);
    if (keep < all.size()) {
        bool up = all[keep] >= '5';
        all.resize(keep);
        if (up) {
            int i = static_cast<int>(keep) - 1;
            for (; i >= 0; --i) {
                if (all[static_cast<size_t>(i)] == '9') {
                    all[static_cast<size_t>(i)] = '0';
                } else {
                    ++all[static_cast<size_t>(i)];
                    break;
                }
            }
            if (i < 0) {
                all.insert(all.begin(), '1');
                ++point;
            }
        }
    } else {
        all += std::string(keep - all.size(), '0');
    }
    Int = all.substr(0, static_cast<size_t>(point));
    Frac = all.substr(static_cast<size_t>(point));
    size_t nz = Int.find_first_not_of('0');
    Int = nz == std::string::npos ? std::string() : Int.substr(nz);
}

struct TSectionInfo {
    int IntPlaces = 0;  // digit places before the decimal point
    int MinInt = 0;     // of them, from the first '0' on
    int DecPlaces = 0;  // digit places after it
    int MinDec = 0;     // up to the last '0' after it
    bool Point = false;
    bool Thousands = false;
};

TSectionInfo Describe(const std::string& S)
{
    TSectionInfo info;
    char quote = 0;
    bool seenZero = false;
    for (char ch : S) {
        if (quote) {
            if (ch == quote)
                quote = 0;
            continue;
        }
        if (ch == '"' || ch == '\'') {
            quote = ch;
        } else if (ch == '.' && !info.Point) {
            info.Point = true;
        } else if (ch == ',' && !info.Point) {
            info.Thousands = true;
        } else if (ch == '0' || ch == '#') {
            if (!info.Point) {
                ++info.IntPlaces;
                if (ch == '0')
                    seenZero = true;
                if (seenZero)
                    ++info.MinInt;
            } else {
                ++info.DecPlaces;
                if (ch == '0')
                    info.MinDec = info.DecPlaces;
            }
        }
    }
    return info;
}

std::string Apply(const std::string& S, const TSectionInfo& info, std::string Int, std::string Frac)
{
    while (static_cast<int>(Int.size()) < info.MinInt)
        Int.insert(Int.begin(), '0');
    while (static_cast<int>(Frac.size()) > info.MinDec && !Frac.empty() && Frac.back() == '0')
        Frac.pop_back();
    const int n = static_cast<int>(Int.size());
    std::string out;
    // Emits the integer digit that is p places from the right, with its separator.
    auto digit = [&](int p) {
        out += Int[static_cast<size_t>(n - 1 - p)];
        if (info.Thousands && p > 0 && p % 3 == 0)
            out += ',';
    };
    char quote = 0;
    bool point = false;
    int intPlace = 0;  // integer places passed
    int decPlace = 0;
    for (char ch : S) {
        if (quote) {
            if (ch == quote)
                quote = 0;
            else
                out += ch;
            continue;
        }
        if (ch == '"' || ch == '\'') {
            quote = ch;
        } else if (ch == '.' && !point) {
            point = true;
            if (!Frac.empty())
                out += '.';
        } else if (ch == ',' && !point) {
            // Separators go where the digits say, not where the format shows them.
        } else if ((ch == '0' || ch == '#') && !point) {
            int p = info.IntPlaces - 1 - intPlace;  // this place, from the right
            if (intPlace == 0)
                for (int q = n - 1; q > p; --q)
                    digit(q);  // digits beyond the places the format has
            if (p < n)
                digit(p);
            ++intPlace;
        } else if (ch == '0' || ch == '#') {
            if (decPlace < static_cast<int>(Frac.size()))
                out += Frac[static_cast<size_t>(decPlace)];
            ++decPlace;
        } else {
            out += ch;
        }
    }
    // A format without integer places still shows a whole number's digits.
    if (info.IntPlaces == 0 && n > 0) {
        std::string lead;
        for (int q = n - 1; q >= 0; --q) {
            lead += Int[static_cast<size_t>(n - 1 - q)];
            if (info.Thousands && q > 0 && q % 3 == 0)
                lead += ',';
        }
        size_t at = out.find('.');
        if (at == std::string::npos)
            at = out.size();
        out.insert(at, lead);
    }
    return out;
}

}  // namespace

std::string FormatFloat(const std::string& Format, double Value)
{
    if (std::isnan(Value))
        return "NAN";
    if (std::isinf(Value))
        return Value < 0 ? "-INF" : "INF";
    if (Format.empty()) {
        char buf[64];
        for (int precision = 1; precision <= 17; ++precision) {
            std::snprintf(buf, sizeof buf, "%.*g", precision, Value);
            if (std::strtod(buf, nullptr) == Value)
                break;
        }
        return buf;
    }
    std::vector<std::string> sections = Sections(Format);
    const std::string& positive = sections[0];
    bool negative = std::signbit(Value) && Value != 0;
    const std::string* section = &positive;
    bool ownNegative = negative && sections.size() > 1 && !sections[1].empty();
    if (ownNegative)
        section = &sections[1];
    TSectionInfo info = Describe(*section);
    std::string intDigits, fracDigits;
    Digits(std::fabs(Value), info.DecPlaces, intDigits, fracDigits);
    bool zero = intDigits.empty() && fracDigits.find_first_not_of('0') == std::string::npos;
    if (zero && sections.size() > 2 && !sections[2].empty()) {
        info = Describe(sections[2]);
        Digits(0.0, info.DecPlaces, intDigits, fracDigits);
        return Apply(sections[2], info, intDigits, fracDigits);
    }
    std::string text = Apply(*section, info, intDigits, fracDigits);
    if (negative && !ownNegative && !zero)
        text.insert(text.begin(), '-');
    return text;
}

}  // namespace korin
