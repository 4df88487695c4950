#pragma once
// UTF-8 text counted in code points, the unit the caret and selection of text controls
// move in.
#include <cstddef>
#include <string>
#include <vector>

namespace korin {
namespace utf8 {

// Byte offsets of every code point of a UTF-8 text, followed by the text's size.
std::vector<size_t> CodePoints(const std::string& s);
int CodePointCount(const std::string& s);
// The first N code points of a text.
std::string Prefix(const std::string& s, int n);
// Code points [From, To) of a text.
std::string Slice(const std::string& s, int from, int to);
std::string EncodeUtf8(char32_t c);
// Characters a keyboard types into text (not control characters).
bool IsTypedChar(char32_t c);

}  // namespace utf8
}  // namespace korin
