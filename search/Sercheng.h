#pragma once
// Sercheng: the wildcard matcher of the find engine.
//
// A pattern may hold a multi-character wildcard (a string of 1 to 5 bytes standing for
// any run of characters, the empty run included) and a single-character wildcard (one
// byte standing for exactly one character). The wildcards are process-wide state,
// shared by every search object and navigator: ".." and "@" until someone sets others
// (the navigator sets "*" and "%").
//
// The matcher is non-backtracking: each multi-character wildcard binds to the first
// occurrence of the literal text that follows it, and no other binding is tried.
//
// Two forms of the matcher share these rules. CompareStrings and MatchWild work on
// single-byte Windows-1251 strings (Latin and Cyrillic, one byte per character) and
// compare bytes. CompareUtf8Strings works on UTF-8 texts, the form every field text has
// here, and compares code points, so that every character is itself: "日本" never
// matches "中国" and a literal '?' matches only '?'. Strings are taken whole, of any
// length; a NUL byte is an ordinary byte here, so callers that hold C strings cut them at
// their terminator. The wildcards themselves are Windows-1251 bytes.
#include <cstddef>
#include <string>
#include <string_view>

namespace korin {

// Longest multi-character wildcard; SetMultiPat keeps at most this many bytes.
inline constexpr std::size_t MaxMultiPatLength = 5;

// True when S contains the multi-character wildcard as a substring or the
// single-character wildcard anywhere.
bool IsPatternWild(std::string_view S);

// Whether Text matches Pattern. CaseSensitive false upper-cases both strings in place
// (StrUpperCyr) before comparing, so pass copies you may lose. Wild false compares the
// whole strings for equality; Wild true runs MatchWild.
bool CompareStrings(std::string& Text, std::string& Pattern, bool CaseSensitive, bool Wild);

// The wildcard match itself, without any case folding. Rules, applied on the remainders
// of text T and pattern P until one of them decides:
//  1. P is exactly the multi-character wildcard: match.
//  2. T is empty: match when P is empty too.
//  3. P does not begin with the multi-character wildcard:
//     a. a run of single-character wildcards consumes one text character each (the text
//        running out first fails);
//     b. else the longest common run of equal bytes is consumed (a wildcard character
//        equal to the text character counts as a literal there);
//     c. else no match.
//  4. P begins with the multi-character wildcard; R is the rest of P:
//     a. R holds a wildcard: the literal L before R's first wildcard must occur in T;
//        continue after its first occurrence with R from that wildcard on (an empty L is
//        found at once);
//     b. R is plain: its first occurrence in T must end the text, or be followed only by
//        control characters (codes below 32).
bool MatchWild(std::string_view T, std::string_view P);

// Sets the multi-character wildcard to the first MaxMultiPatLength bytes of P (P is
// read up to its first NUL). An empty wildcard cannot be matched and is refused: the
// previous one stays and the result is false. True when stored.
bool SetMultiPat(std::string_view P);
std::string GetMultiPat();
// Sets the single-character wildcard. NUL is refused (the previous one stays, result
// false). True when stored.
bool SetSinglePat(char C);
char GetSinglePat();

// Upper-cases Latin and Cyrillic letters of a Windows-1251 string in place; every other
// byte stays, and the length never changes.
void StrUpperCyr(std::string& S);

// UTF-8 → Windows-1251 for matching. Characters outside the code page, and bytes that
// are not valid UTF-8, become '?'. The result is a new string: the caller's text is
// never touched.
std::string Utf8ToCp1251(std::string_view S);
// Windows-1251 → UTF-8. Every byte has a character (0x98, unassigned, is U+0098), so a
// Windows-1251 string survives the trip to UTF-8 and back unchanged.
std::string Cp1251ToUtf8(std::string_view S);

// Whether Text matches Pattern, both UTF-8, compared code point by code point with the
// rules of MatchWild (a single-character wildcard stands for one whole character).
// CaseSensitive false folds both first: characters of Windows-1251 as StrUpperCyr folds
// them (so texts within that code page match exactly as with CompareStrings), every other
// character by Unicode simple case folding. A byte that is not valid UTF-8 is a character
// of its own, equal only to the same byte. The arguments are not modified.
bool CompareUtf8Strings(std::string_view Text, std::string_view Pattern, bool CaseSensitive, bool Wild);
// A pattern prepared once for testing many texts (a search through a whole table): the
// same answers as CompareUtf8Strings(Text, Pattern, CaseSensitive, Wild), without decoding
// the pattern again for every text. The wildcards in force when it is made are the ones
// used. Not for use by two threads at once.
class TUtf8Matcher {
public:
    TUtf8Matcher(std::string_view Pattern, bool CaseSensitive, bool Wild);
    bool Matches(std::string_view Text) const;

private:
    std::u32string FPattern;
    std::u32string FMulti;
    char32_t FSingle;
    bool FFold;
    bool FWild;
    mutable std::u32string FText;  // the text decoded, kept to reuse its memory
};

// IsPatternWild for a UTF-8 pattern.
bool IsUtf8PatternWild(std::string_view S);

// The Unicode simple case folding of C (C itself when it has none).
char32_t SimpleCaseFold(char32_t C);

}  // namespace korin
