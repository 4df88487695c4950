#include "korin/platform/core/DateFormat.h"

#include <cctype>
#include <cmath>
#include <cstdio>

namespace korin {

namespace {

const char* const ShortDayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const LongDayNames[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
const char* const ShortMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const LongMonthNames[] = {"January", "February", "March", "April", "May", "June",
                                      "July", "August", "September", "October", "November", "December"};
const char* const ShortDateFormat = "dd/mm/yyyy";
const char* const LongDateFormat = "dddd, d mmmm yyyy";
const char* const ShortTimeFormat = "hh:nn";
const char* const LongTimeFormat = "hh:nn:ss";

struct TParts {
    int Year, Month, Day, Hour, Min, Sec, MSec, DayOfWeek;
};

std::string Num(int v, int width)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*d", width, v);
    return buf;
}

bool StartsWithNoCase(const std::string& s, size_t i, const char* word)
{
    for (size_t k = 0; word[k]; ++k)
        if (i + k >= s.size() || std::tolower(static_cast<unsigned char>(s[i + k])) != word[k])
            return false;
    return true;
}

// Whether the pattern holds an am/pm mark, which turns hours to the 12-hour clock.
bool HasAmPm(const std::string& f)
{
    char quote = 0;
    for (size_t i = 0; i < f.size(); ++i) {
        char c = f[i];
        if (quote) {
            if (c == quote)
                quote = 0;
            continue;
        }
        if (c == '"' || c == '\'')
            quote = c;
        else if (StartsWithNoCase(f, i, "am/pm") || StartsWithNoCase(f, i, "a/p") || StartsWithNoCase(f, i, "ampm"))
            return true;
    }
    return false;
}

void Format(std::string& out, const std::string& f, const TParts& p, int depth)
{
    bool twelve = HasAmPm(f);
    bool lastWasHour = false;
    size_t i = 0;
    while (i < f.size()) {
        char c = f[i];
        char lc = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (c == '"' || c == '\'') {
            size_t end = f.find(c, i + 1);
            if (end == std::string::npos)
                end = f.size();
            out += f.substr(i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        size_t run = 1;
        while (i + run < f.size() && std::tolower(static_cast<unsigned char>(f[i + run])) == lc)
            ++run;
        switch (lc) {
        case 'd':
            if (run == 1)
                out += std::to_string(p.Day);
            else if (run == 2)
                out += Num(p.Day, 2);
            else if (run == 3)
                out += ShortDayNames[p.DayOfWeek];
            else if (run == 4)
                out += LongDayNames[p.DayOfWeek];
            else if (depth < 2)
                Format(out, run == 5 ? ShortDateFormat : LongDateFormat, p, depth + 1);
            if (run > 6)
                run = 6;
            lastWasHour = false;
            break;
        case 'm':
            if (lastWasHour && run <= 2) {
                out += run == 1 ? std::to_string(p.Min) : Num(p.Min, 2);
            } else {
                if (run > 4)
                    run = 4;
                if (run == 1)
                    out += std::to_string(p.Month);
                else if (run == 2)
                    out += Num(p.Month, 2);
                else if (run == 3)
                    out += ShortMonthNames[p.Month - 1];
                else
                    out += LongMonthNames[p.Month - 1];
            }
            lastWasHour = false;
            break;
        case 'y':
            out += run <= 2 ? Num(p.Year % 100, 2) : Num(p.Year, 4);
            lastWasHour = false;
            break;
        case 'h': {
            if (run > 2)
                run = 2;
            int h = p.Hour;
            if (twelve) {
                h %= 12;
                if (h == 0)
                    h = 12;
            }
            out += run == 1 ? std::to_string(h) : Num(h, 2);
            lastWasHour = true;
            break;
        }
        case 'n':
            if (run > 2)
                run = 2;
            out += run == 1 ? std::to_string(p.Min) : Num(p.Min, 2);
            lastWasHour = false;
            break;
        case 's':
            if (run > 2)
                run = 2;
            out += run == 1 ? std::to_string(p.Sec) : Num(p.Sec, 2);
            lastWasHour = false;
            break;
        case 'z':
            run = run >= 3 ? 3 : 1;
            out += run == 1 ? std::to_string(p.MSec) : Num(p.MSec, 3);
            lastWasHour = false;
            break;
        case 't':
            if (run > 2)
                run = 2;
            if (depth < 2)
                Format(out, run == 1 ? ShortTimeFormat : LongTimeFormat, p, depth + 1);
            lastWasHour = false;
            break;
        case 'c':
            run = 1;
            if (depth < 2) {
                Format(out, ShortDateFormat, p, depth + 1);
                if (p.Hour || p.Min || p.Sec || p.MSec) {
                    out += ' ';
                    Format(out, LongTimeFormat, p, depth + 1);
                }
            }
            break;
        case 'a':
            if (StartsWithNoCase(f, i, "am/pm")) {
                bool upper = std::isupper(static_cast<unsigned char>(c));
                out += p.Hour < 12 ? (upper ? "AM" : "am") : (upper ? "PM" : "pm");
                run = 5;
            } else if (StartsWithNoCase(f, i, "a/p")) {
                bool upper = std::isupper(static_cast<unsigned char>(c));
                out += p.Hour < 12 ? (upper ? "A" : "a") : (upper ? "P" : "p");
                run = 3;
            } else if (StartsWithNoCase(f, i, "ampm")) {
                out += p.Hour < 12 ? "AM" : "PM";
                run = 4;
            } else {
                out += c;
                run = 1;
            }
            break;
        case '/':
            run = 1;
            out += '/';
            break;
        case ':':
            run = 1;
            out += ':';
            break;
        default:
            run = 1;
            out += c;
        }
        i += run;
    }
}

}  // namespace

std::string FormatDateTime(const std::string& Format_, TDateTime Value)
{
    TParts p{};
    DecodeDate(Value, p.Year, p.Month, p.Day);
    DecodeTime(Value, p.Hour, p.Min, p.Sec, p.MSec);
    // Day 0 (1899-12-30) was a Saturday.
    long days = static_cast<long>(std::floor(Value));
    p.DayOfWeek = static_cast<int>(((days + 6) % 7 + 7) % 7);
    std::string out;
    Format(out, Format_.empty() ? "c" : Format_, p, 0);
    return out;
}

}  // namespace korin
