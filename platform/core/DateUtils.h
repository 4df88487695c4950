#pragma once
// Date-time values: days since 1899-12-30 as a double; the integral part is the date, the
// fraction the time of day. Date(), Time() and Now() read the local clock through a
// replaceable clock function so that tests can pin "now".
#include <functional>
#include <string>

namespace korin {

using TDateTime = double;

// Current local date and time. Tests replace the clock with SetNowFunction; passing an
// empty function restores the system clock.
TDateTime Now();
TDateTime Date();  // today, time part zero
TDateTime Time();  // time of day, date part zero
void SetNowFunction(std::function<TDateTime()> clock);

TDateTime EncodeDate(int year, int month, int day);  // raises Exception on an invalid date
TDateTime EncodeTime(int hour, int min, int sec, int msec);
void DecodeDate(TDateTime value, int& year, int& month, int& day);
void DecodeTime(TDateTime value, int& hour, int& min, int& sec, int& msec);

// ISO texts, the form datasets store in the database: "YYYY-MM-DD", "HH:MM:SS" and
// "YYYY-MM-DD HH:MM:SS"; milliseconds are added as ".mmm" when not zero.
std::string DateToISO(TDateTime value);
std::string TimeToISO(TDateTime value);
std::string DateTimeToISO(TDateTime value);
// Parses any of the forms above (a 'T' may separate date and time). False when the text is
// not a valid date, time or date-time.
bool TryISOToDateTime(const std::string& text, TDateTime& value);

}  // namespace korin
