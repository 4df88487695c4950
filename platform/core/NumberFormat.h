#pragma once
// Numbers shown through a format string, as display formats of numeric fields use them.
#include <string>

namespace korin {

// Formats Value by a format string of up to three sections separated by ';' — for
// positive numbers, negative numbers and zero:
//   0   a digit, shown even when it is a leading or trailing zero;
//   #   a digit, left out when it is a leading or trailing zero;
//   .   the decimal point (the first one; digits after it give the decimals);
//   ,   anywhere among the integer digits: thousands separated by ",";
//   "…" or '…'  text shown as it is; any other character is shown as it is too.
// Values are rounded half away from zero to the decimals the section has (as written in
// decimal, "2.675" gives "2.68" with "0.00"). Without a negative section a negative
// number gets a leading "-" (none when it rounds to zero); an empty negative or zero
// section stands for the first. An empty format gives the shortest text that reads
// back as the same number. Not-a-number and infinities show as "NAN", "INF" and "-INF".
std::string FormatFloat(const std::string& Format, double Value);

}  // namespace korin
