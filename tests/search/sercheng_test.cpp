// The wildcard matcher, the process-wide wildcards, upper-casing and the code-page
// conversions. The wildcards are process-wide, so every test sets the ones it uses.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "korin/search/Sercheng.h"

using namespace korin;

namespace {

class Wildcards : public testing::Test {
protected:
    void Use(const std::string& multi, char single) {
        ASSERT_TRUE(SetMultiPat(multi));
        ASSERT_TRUE(SetSinglePat(single));
    }
    void TearDown() override {
        SetMultiPat(FSavedMulti);
        SetSinglePat(FSavedSingle);
    }

private:
    std::string FSavedMulti = GetMultiPat();
    char FSavedSingle = GetSinglePat();
};

bool Match(std::string text, std::string pattern, bool caseSensitive = true, bool wild = true) {
    return CompareStrings(text, pattern, caseSensitive, wild);
}

struct Example {
    std::string text, pattern;
    bool matches;
};

// Written with "*" and "%"; Translate gives the same with other wildcards.
const std::vector<Example> Examples = {
    {"", "*", true},           {"anything at all", "*", true}, {"", "", true},
    {"a", "", false},          {"abc", "abc", true},           {"abcd", "abc", false},
    {"ab", "abc", false},      {"abc", "a%c", true},           {"ac", "a%c", false},
    {"abbc", "a%c", false},    {"a", "%%", false},             {"ab", "%%", true},
    {"ab", "ab*", true},       {"abcdef", "ab*", true},        {"xxab", "*ab", true},
    {"xxab\r\n", "*ab", true}, {"xxab\t", "*ab", true},        {"xxab z", "*ab", false},
    {"abab", "*ab", false},    {"abcd", "*b%d", true},         {"abxbcd", "*b%d", false},
    {"a*b", "a*", false},      {"a*", "a*", true},             {"xyz", "*y*", true},
    {"xyz", "*q*", false},     {"abcabc", "a*c*c", true},      {"abcabd", "a*c*c", false},
};

std::string Translate(const std::string& s, const std::string& multi, char single) {
    std::string out;
    for (char c : s) {
        if (c == '*') out += multi;
        else if (c == '%') out += single;
        else out += c;
    }
    return out;
}

}  // namespace

TEST(SerchengDeathTest, AProcessStartsWithDotDotAndAt) {
    // A fresh process (re-executed for this test alone) sees the initial wildcards.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::exit(GetMultiPat() == ".." && GetSinglePat() == '@' ? 0 : 1), testing::ExitedWithCode(0), "");
}

TEST_F(Wildcards, MatcherExamplesWithTheNavigatorWildcards) {
    Use("*", '%');
    for (const Example& e : Examples) {
        EXPECT_EQ(Match(e.text, e.pattern), e.matches) << "'" << e.text << "' ~ '" << e.pattern << "'";
    }
    // Without wildcards the whole strings must be equal.
    EXPECT_TRUE(Match("a%c", "a%c", true, false));
    EXPECT_FALSE(Match("abc", "a%c", true, false));
    EXPECT_FALSE(Match("abc", "ab", true, false));
    EXPECT_FALSE(Match("ab", "*", true, false));
}

TEST_F(Wildcards, MatcherExamplesWithTheInitialWildcards) {
    Use("..", '@');
    for (const Example& e : Examples) {
        const std::string text = Translate(e.text, "..", '@'), pattern = Translate(e.pattern, "..", '@');
        EXPECT_EQ(Match(text, pattern), e.matches) << "'" << text << "' ~ '" << pattern << "'";
    }
    EXPECT_TRUE(Match("abcz", "a..z"));
    EXPECT_TRUE(Match("a.z", "a.z"));
    EXPECT_FALSE(Match("abz", "a.z"));
    EXPECT_FALSE(IsPatternWild("a.z"));
    EXPECT_TRUE(IsPatternWild("a..z"));
    EXPECT_TRUE(IsPatternWild("x@"));
    EXPECT_FALSE(IsPatternWild("a*b%"));
}

TEST_F(Wildcards, CaseInsensitiveMatchingUpperCasesBothBuffers) {
    Use("*", '%');
    std::string text = "ABc", pattern = "a%C";
    EXPECT_TRUE(CompareStrings(text, pattern, false, true));
    EXPECT_EQ(text, "ABC");
    EXPECT_EQ(pattern, "A%C");
    EXPECT_TRUE(Match("Smith", "SMITH", false, false));
    EXPECT_FALSE(Match("Smith", "SMITH", true, false));
    EXPECT_TRUE(Match("Smith", "sm*", false, true));
}

TEST_F(Wildcards, EmptyLiteralSegmentIsFoundAtOnce) {
    Use("*", '%');
    EXPECT_TRUE(Match("a", "*%"));
    EXPECT_FALSE(Match("", "*%"));
    EXPECT_FALSE(Match("abc", "*%"));  // '%' binds at once to the first character
    EXPECT_TRUE(Match("ax", "*%x"));
    EXPECT_TRUE(Match("abc", "**"));
    EXPECT_FALSE(Match("", "**"));
}

TEST_F(Wildcards, SettingTheWildcards) {
    EXPECT_TRUE(SetMultiPat("abcdefg"));
    EXPECT_EQ(GetMultiPat(), "abcde");
    EXPECT_TRUE(SetSinglePat('?'));
    EXPECT_TRUE(Match("xQQQy", "xabcdey"));
    EXPECT_TRUE(Match("xQy", "x?y"));

    // An empty wildcard is refused and the previous one stays.
    EXPECT_FALSE(SetMultiPat(""));
    EXPECT_FALSE(SetMultiPat(std::string("\0ab", 3)));
    EXPECT_EQ(GetMultiPat(), "abcde");
    EXPECT_TRUE(SetMultiPat(std::string("ab\0cd", 5)));
    EXPECT_EQ(GetMultiPat(), "ab");
    EXPECT_FALSE(SetSinglePat('\0'));
    EXPECT_EQ(GetSinglePat(), '?');
}

TEST_F(Wildcards, LongPatternsAndTextsTakePartWhole) {
    Use("*", '%');
    std::string segment;
    for (int i = 0; i < 300; ++i) segment += static_cast<char>('b' + i % 20);
    const std::string text = std::string(500, 'a') + segment + "XEND";
    EXPECT_TRUE(Match(text, "*" + segment + "%END"));
    EXPECT_FALSE(Match(text, "*" + segment + "%%END"));
    EXPECT_FALSE(Match(text, "*" + segment + "Y%END"));
    EXPECT_TRUE(Match(text, text));
    std::string longer = text;
    longer.back() = 'd';
    EXPECT_FALSE(Match(text, longer));
    EXPECT_TRUE(Match(text, longer, false, false));
}

TEST(Sercheng, UpperCasingLatinAndCyrillic) {
    std::string latin = "abc xyz 019 !@#[]{} ABC";
    StrUpperCyr(latin);
    EXPECT_EQ(latin, "ABC XYZ 019 !@#[]{} ABC");

    std::string cyr = Utf8ToCp1251("привет, ёжик: ўїієґђѓљњќћџѕј µ№«»");
    const std::size_t length = cyr.size();
    StrUpperCyr(cyr);
    EXPECT_EQ(cyr.size(), length);
    EXPECT_EQ(Cp1251ToUtf8(cyr), "ПРИВЕТ, ЁЖИК: ЎЇІЄҐЂЃЉЊЌЋЏЅЈ µ№«»");

    // Capitals and every non-letter stay as they are.
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    std::string upper = all;
    StrUpperCyr(upper);
    std::string twice = upper;
    StrUpperCyr(twice);
    EXPECT_EQ(twice, upper);
    int changed = 0;
    for (int b = 0; b < 256; ++b) changed += upper[b] != all[b];
    EXPECT_EQ(changed, 26 + 32 + 15);
}

TEST(Sercheng, CodePageConversions) {
    EXPECT_EQ(Utf8ToCp1251("Привет"), "\xCF\xF0\xE8\xE2\xE5\xF2");
    EXPECT_EQ(Utf8ToCp1251("Ёё€№ plain"), "\xA8\xB8\x88\xB9 plain");
    EXPECT_EQ(Cp1251ToUtf8("\xCF\xF0\xA8\x88"), "ПрЁ€");
    // Outside the code page, and malformed UTF-8: one '?' per character or stray byte.
    EXPECT_EQ(Utf8ToCp1251("a中b😀c"), "a?b?c");
    EXPECT_EQ(Utf8ToCp1251("a\xFF" "b"), "a?b");
    EXPECT_EQ(Utf8ToCp1251("\xD0"), "?");
    EXPECT_EQ(Utf8ToCp1251("\xC0\x80"), "??");
    EXPECT_EQ(Utf8ToCp1251("\xED\xA0\x80"), "???");
    EXPECT_EQ(Utf8ToCp1251(std::string("a\0b", 3)), std::string("a\0b", 3));
    // Every Windows-1251 byte survives the trip to UTF-8 and back.
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(all)), all);
}

TEST_F(Wildcards, MatchingUtf8Texts) {
    Use("*", '%');
    EXPECT_TRUE(CompareUtf8Strings("Ёлка", "ё*", false, true));
    EXPECT_FALSE(CompareUtf8Strings("Ёлка", "ё*", true, true));
    EXPECT_TRUE(CompareUtf8Strings("дом", "д%м", true, true));  // '%' is one whole letter
    EXPECT_FALSE(CompareUtf8Strings("дом", "д%%м", true, true));
    EXPECT_TRUE(CompareUtf8Strings("Smith", "SMITH", false, false));
    EXPECT_TRUE(CompareUtf8Strings("Москва", "МОСКВА", false, false));
    EXPECT_TRUE(CompareUtf8Strings("x中y", "x%y", true, true));
}

TEST(Sercheng, OverlongSequencesBecomeQuestionMarks) {
    // Longer-than-needed forms of 'A', of NUL and of U+FFFF: never the character itself.
    EXPECT_EQ(Utf8ToCp1251("a\xE0\x81\x81" "b"), "a???b");
    EXPECT_EQ(Utf8ToCp1251("\xC1\x81"), "??");
    EXPECT_EQ(Utf8ToCp1251("\xE0\x80\x80"), "???");
    EXPECT_EQ(Utf8ToCp1251("\xF0\x8F\xBF\xBF"), "????");
    // A lead byte followed by another lead byte is a stray byte of its own.
    EXPECT_EQ(Utf8ToCp1251("\xD0\xD0\x90"), "?\xC0");
    // The shortest forms next to them convert.
    EXPECT_EQ(Utf8ToCp1251("\xD0\x90\xE2\x82\xAC"), "\xC0\x88");
}

TEST_F(Wildcards, ATailPatternRejectsTrailingSpaces) {
    Use("..", '@');
    EXPECT_FALSE(Match("xxab ", "..ab"));
    EXPECT_FALSE(Match("xxab  \r\n", "..ab"));
    EXPECT_TRUE(Match("xxab\r\n\t", "..ab"));
    EXPECT_TRUE(Match("xxab\x1F", "..ab"));
    // The first occurrence decides.
    EXPECT_FALSE(Match("abxxab", "..ab"));
}

TEST_F(Wildcards, Utf8MatchingComparesWholeCharacters) {
    Use("*", '%');
    // Characters outside Windows-1251 are themselves, never a stand-in '?'.
    EXPECT_FALSE(CompareUtf8Strings("中国", "日本", true, false));
    EXPECT_FALSE(CompareUtf8Strings("中国", "日本", false, true));
    EXPECT_TRUE(CompareUtf8Strings("日本語", "日本*", true, true));
    EXPECT_FALSE(CompareUtf8Strings("中国語", "日本*", true, true));
    EXPECT_TRUE(CompareUtf8Strings("東京都", "*京%", true, true));
    EXPECT_FALSE(CompareUtf8Strings("東京", "*京%", true, true));
    // A literal '?' is a question mark and nothing else.
    EXPECT_FALSE(CompareUtf8Strings("α", "?", true, false));
    EXPECT_FALSE(CompareUtf8Strings("αβγ", "?β?", false, true));
    EXPECT_TRUE(CompareUtf8Strings("?β?", "?β?", true, true));
    EXPECT_TRUE(CompareUtf8Strings("a?c", "a?*", true, true));
    EXPECT_FALSE(CompareUtf8Strings("abc", "a?*", true, true));
    // One single-character wildcard per character, whatever its UTF-8 length.
    EXPECT_TRUE(CompareUtf8Strings("a😀b", "a%b", true, true));
    EXPECT_FALSE(CompareUtf8Strings("a😀b", "a%%b", true, true));
    // A single-character wildcard that is itself '?' (the navigator's is '%').
    Use("*", '?');
    EXPECT_TRUE(CompareUtf8Strings("αβγ", "?β?", true, true));
    EXPECT_FALSE(CompareUtf8Strings("αδγ", "?β?", true, true));
}

TEST_F(Wildcards, Utf8CaseFoldingBeyondTheCodePage) {
    Use("*", '%');
    // Greek: simple case folding, final sigma included.
    EXPECT_TRUE(CompareUtf8Strings("ΑΘΗΝΑ", "αθηνα", false, false));
    EXPECT_FALSE(CompareUtf8Strings("ΑΘΗΝΑ", "αθηνα", true, false));
    EXPECT_TRUE(CompareUtf8Strings("ΟΔΥΣΣΕΥΣ", "οδυσσευς", false, false));
    EXPECT_TRUE(CompareUtf8Strings("Ελλάδα", "ελλ*", false, true));
    EXPECT_FALSE(CompareUtf8Strings("Ελλάδα", "ελλ*", true, true));
    // Accented Latin letters fold too, and stay apart from their plain letters.
    EXPECT_TRUE(CompareUtf8Strings("ÉCOLE", "école", false, false));
    EXPECT_FALSE(CompareUtf8Strings("ECOLE", "école", false, false));
    // A fold that lands in the code page meets the code page's own fold: KELVIN SIGN.
    EXPECT_TRUE(CompareUtf8Strings("\u212A", "k", false, false));
    // Within Windows-1251 the old folds stand: µ is no Greek letter, and stays itself.
    EXPECT_FALSE(CompareUtf8Strings("µ", "μ", false, false));
    EXPECT_TRUE(CompareUtf8Strings("№ Ёлка", "№ ЁЛКА", false, false));
    EXPECT_EQ(SimpleCaseFold(U'Σ'), U'σ');
    EXPECT_EQ(SimpleCaseFold(U'ς'), U'σ');
    EXPECT_EQ(SimpleCaseFold(U'\u1E9E'), U'ß');
    EXPECT_EQ(SimpleCaseFold(U'ß'), U'ß');
    EXPECT_EQ(SimpleCaseFold(U'\u0130'), U'\u0130');
    EXPECT_EQ(SimpleCaseFold(U'中'), U'中');
    EXPECT_EQ(SimpleCaseFold(U'Ա'), U'ա');
    EXPECT_EQ(SimpleCaseFold(U'\U00010400'), U'\U00010428');
}

TEST_F(Wildcards, Utf8MatchingAgreesWithTheCodePageMatcher) {
    // Every example, and every pair of short texts over a mixed alphabet, gives the
    // same answer whether matched as Windows-1251 bytes or as UTF-8 code points.
    for (const auto& [multi, single] : {std::pair<std::string, char>{"*", '%'}, {"..", '@'}}) {
        Use(multi, single);
        for (const Example& e : Examples) {
            const std::string text = Translate(e.text, multi, single), pattern = Translate(e.pattern, multi, single);
            for (bool cs : {true, false})
                for (bool wild : {true, false})
                    EXPECT_EQ(CompareUtf8Strings(Cp1251ToUtf8(text), Cp1251ToUtf8(pattern), cs, wild),
                              Match(text, pattern, cs, wild))
                        << "'" << text << "' ~ '" << pattern << "'";
        }
    }
    Use("*", '%');
    const std::string alphabet = "aA\xFF\xDF*%\xB8\xA8\xB5\r";  // a A я Я * % ё Ё µ CR, as Windows-1251
    std::vector<std::string> words{""};
    for (int len = 1; len <= 3; ++len) {
        std::vector<std::string> next;
        for (const std::string& w : words)
            if (w.size() == static_cast<std::size_t>(len - 1))
                for (char c : alphabet) next.push_back(w + c);
        words.insert(words.end(), next.begin(), next.end());
    }
    int compared = 0;
    for (std::size_t i = 0; i < words.size(); i += 7)
        for (std::size_t j = 0; j < words.size(); j += 5)
            for (bool cs : {true, false}) {
                ASSERT_EQ(CompareUtf8Strings(Cp1251ToUtf8(words[i]), Cp1251ToUtf8(words[j]), cs, true),
                          Match(words[i], words[j], cs, true))
                    << "'" << words[i] << "' ~ '" << words[j] << "'";
                ++compared;
            }
    EXPECT_GT(compared, 10000);
}

TEST_F(Wildcards, Utf8StrayBytesAreCharactersOfTheirOwn) {
    Use("*", '%');
    EXPECT_TRUE(CompareUtf8Strings("a\xFF" "b", "a\xFF" "b", true, false));
    EXPECT_FALSE(CompareUtf8Strings("a\xFE" "b", "a\xFF" "b", true, false));
    EXPECT_FALSE(CompareUtf8Strings("a\xFF" "b", "a?b", true, false));
    EXPECT_TRUE(CompareUtf8Strings("a\xFF" "b", "a%b", true, true));
    // A lead byte cut off at the end of a memo's window is one stray character.
    EXPECT_TRUE(CompareUtf8Strings("ab\xD0", "ab%", true, true));
    EXPECT_TRUE(IsUtf8PatternWild("日本*"));
    EXPECT_FALSE(IsUtf8PatternWild("日本?"));
}
