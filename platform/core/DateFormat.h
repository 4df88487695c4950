#pragma once
// FormatDateTime: a date-time value as text by a pattern of the usual picture language.
//
//   d dd        day without / with a leading zero     ddd dddd  short / long day name
//   m mm        month (minutes right after h or hh)  mmm mmmm  short / long month name
//   yy yyyy     two- / four-digit year                h hh      hour (12-hour with am/pm)
//   n nn        minutes                               s ss      seconds
//   z zzz       milliseconds                          am/pm a/p ampm  12-hour clock marks
//   c           short date and long time              ddddd dddddd  short / long date
//   t tt        short / long time                     /  :      the date and time separators
//   "text" 'text'  copied as it is; any other character is copied too.
// Letters compare without regard to case. Names and separators are those of the English
// locale the platform formats with ("/" and ":", "dd/mm/yyyy", "hh:nn:ss").
#include <string>

#include "korin/platform/core/DateUtils.h"

namespace korin {

std::string FormatDateTime(const std::string& Format, TDateTime Value);

}  // namespace korin
