#pragma once
// Text helpers of the dataset layer: upper-casing of UTF-8 text (ASCII, Latin-1,
// Latin Extended-A, Greek and Cyrillic letters) and the text comparison of Locate.
#include <string>
#include <string_view>

namespace korin {

std::string DBUpperCase(const std::string& Text);
// Whether Value matches Key: equal texts, or (Partial) Value beginning with Key;
// CaseInsensitive compares the upper-cased texts.
bool DBTextMatch(std::string_view Value, std::string_view Key, bool CaseInsensitive, bool Partial);

}  // namespace korin
