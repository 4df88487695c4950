#include "korin/platform/core/DateUtils.h"

#include <cmath>
#include <cstdio>
#include <ctime>

#include "korin/platform/core/Exception.h"

namespace korin {

namespace {

std::function<TDateTime()>& Clock()
{
    static std::function<TDateTime()> clock;
    return clock;
}

// Days from 1970-01-01 to the given civil date (proleptic Gregorian calendar).
long long DaysFromCivil(long long y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& y, int& m, int& d)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long yy = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yy + (m <= 2));
}

constexpr long long kUnixEpochDays = 25569;  // 1970-01-01 as days since 1899-12-30

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

// Milliseconds since the start of the day. The day is floor(value) and the time of day
// value − floor(value), also before 1899-12-30, so that date + time always adds up.
long long TotalMs(TDateTime value)
{
    double frac = value - std::floor(value);
    return std::llround(frac * 86400000.0);
}

}  // namespace

void SetNowFunction(std::function<TDateTime()> clock) { Clock() = std::move(clock); }

TDateTime Now()
{
    if (Clock())
        return Clock()();
    std::timespec ts{};
    std::timespec_get(&ts, TIME_UTC);
    std::tm local{};
    time_t t = ts.tv_sec;
    localtime_r(&t, &local);
    return EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) +
           EncodeTime(local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(ts.tv_nsec / 1000000));
}

TDateTime Date() { return std::floor(Now()); }

TDateTime Time()
{
    TDateTime n = Now();
    return n - std::floor(n);
}

TDateTime EncodeDate(int year, int month, int day)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        throw Exception("Invalid argument to date encode");
    return static_cast<double>(DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) +
                               kUnixEpochDays);
}

TDateTime EncodeTime(int hour, int min, int sec, int msec)
{
    if (hour < 0 || hour > 23 || min < 0 || min > 59 || sec < 0 || sec > 59 || msec < 0 || msec > 999)
        throw Exception("Invalid argument to time encode");
    return (((hour * 60.0 + min) * 60.0 + sec) * 1000.0 + msec) / 86400000.0;
}

void DecodeDate(TDateTime value, int& year, int& month, int& day)
{
    // A time that rounds up to midnight belongs to the next day.
    long long days = static_cast<long long>(std::floor(value));
    if (TotalMs(value) >= 86400000)
        ++days;
    CivilFromDays(days - kUnixEpochDays, year, month, day);
}

void DecodeTime(TDateTime value, int& hour, int& min, int& sec, int& msec)
{
    long long ms = TotalMs(value) % 86400000;
    msec = static_cast<int>(ms % 1000);
    ms /= 1000;
    sec = static_cast<int>(ms % 60);
    ms /= 60;
    min = static_cast<int>(ms % 60);
    hour = static_cast<int>(ms / 60);
}

std::string DateToISO(TDateTime value)
{
    int y, m, d;
    DecodeDate(value, y, m, d);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, m, d);
    return buf;
}

std::string TimeToISO(TDateTime value)
{
    int h, mi, s, ms;
    DecodeTime(value, h, mi, s, ms);
    char buf[32];
    if (ms)
        std::snprintf(buf, sizeof buf, "%02d:%02d:%02d.%03d", h, mi, s, ms);
    else
        std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", h, mi, s);
    return buf;
}

std::string DateTimeToISO(TDateTime value) { return DateToISO(value) + " " + TimeToISO(value); }

namespace {

bool ParseDigits(const std::string& s, size_t& pos, int count, int& out)
{
    out = 0;
    for (int i = 0; i < count; ++i, ++pos) {
        if (pos >= s.size() || s[pos] < '0' || s[pos] > '9')
            return false;
        out = out * 10 + (s[pos] - '0');
    }
    return true;
}

bool ParseTime(const std::string& s, size_t& pos, double& out)
{
    int h, mi, sec = 0, ms = 0;
    if (!ParseDigits(s, pos, 2, h) || pos >= s.size() || s[pos++] != ':' || !ParseDigits(s, pos, 2, mi))
        return false;
    if (pos < s.size() && s[pos] == ':') {
        ++pos;
        if (!ParseDigits(s, pos, 2, sec))
            return false;
        if (pos < s.size() && s[pos] == '.') {
            ++pos;
            int scale = 100, digits = 0;
            while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9') {
                ms += (s[pos] - '0') * scale;
                scale /= 10;
                ++pos;
                ++digits;
            }
            if (!digits)
                return false;
        }
    }
    if (h > 23 || mi > 59 || sec > 59)
        return false;
    out = EncodeTime(h, mi, sec, ms);
    return true;
}

}  // namespace

bool TryISOToDateTime(const std::string& text, TDateTime& value)
{
    size_t b = text.find_first_not_of(' ');
    size_t e = text.find_last_not_of(' ');
    if (b == std::string::npos)
        return false;
    std::string s = text.substr(b, e - b + 1);
    size_t pos = 0;
    if (s.size() >= 5 && s[2] == ':') {
        double t;
        if (!ParseTime(s, pos, t) || pos != s.size())
            return false;
        value = t;
        return true;
    }
    int y, m, d;
    if (!ParseDigits(s, pos, 4, y) || pos >= s.size() || s[pos++] != '-' || !ParseDigits(s, pos, 2, m) ||
        pos >= s.size() || s[pos++] != '-' || !ParseDigits(s, pos, 2, d))
        return false;
    if (y < 1 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m))
        return false;
    double date = EncodeDate(y, m, d);
    if (pos == s.size()) {
        value = date;
        return true;
    }
    if (s[pos] != ' ' && s[pos] != 'T')
        return false;
    ++pos;
    double t;
    if (!ParseTime(s, pos, t) || pos != s.size())
        return false;
    value = date + t;
    return true;
}

}  // namespace korin
