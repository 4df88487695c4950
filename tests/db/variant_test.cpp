#include <gtest/gtest.h>

#include "korin/platform/core/DateUtils.h"
#include "korin/platform/core/StringList.h"
#include "korin/platform/core/Variant.h"

using namespace korin;

TEST(Variant, NullSemanticsOfEquality)
{
    EXPECT_TRUE(Variant::Null() == Variant::Null());
    EXPECT_FALSE(Variant::Null() != Variant::Null());
    EXPECT_TRUE(Variant::Null() != Variant(0));
    EXPECT_TRUE(Variant::Null() != Variant(""));
    EXPECT_TRUE(Variant::Null() != Variant::Unassigned());
    EXPECT_TRUE(Variant::Unassigned() == Variant());
    EXPECT_TRUE(Variant(5) == Variant(5.0));
    EXPECT_TRUE(Variant(true) == Variant(1));
    EXPECT_TRUE(Variant("42") == Variant(42));
    EXPECT_TRUE(Variant("abc") != Variant(42));
    EXPECT_TRUE(Variant("Smith") != Variant("smith"));
    EXPECT_TRUE(Variant::FromDateTime(EncodeDate(2024, 1, 31)) == Variant("2024-01-31"));
}

TEST(Variant, ConversionsAndTheirErrors)
{
    EXPECT_EQ(Variant(3.5).AsString(), "3.5");
    EXPECT_EQ(Variant(true).AsString(), "True");
    EXPECT_EQ(Variant(" 12 ").AsInteger(), 12);
    EXPECT_EQ(Variant("2.5").AsFloat(), 2.5);
    EXPECT_EQ(Variant("false").AsBoolean(), false);
    EXPECT_EQ(VarToStr(Variant::Null()), "");
    EXPECT_EQ(Variant::FromDateTime(EncodeDate(2024, 3, 1) + EncodeTime(13, 5, 0, 0)).AsString(), "2024-03-01 13:05:00");
    EXPECT_EQ(Variant::FromDateTime(EncodeTime(8, 0, 1, 0)).AsString(), "08:00:01");
    try {
        Variant("abc").AsInteger();
        FAIL();
    } catch (const EVariantError& e) {
        EXPECT_EQ(e.Message(), "Could not convert variant value 'abc' to Int64");
    }
    EXPECT_THROW(Variant::Null().AsFloat(), EVariantError);
}

TEST(Variant, ArraysHaveBoundsAndCopyOnWrite)
{
    Variant a = VarArrayCreate(0, 2);
    EXPECT_TRUE(a.IsArray());
    EXPECT_EQ(a.ArrayLowBound(), 0);
    EXPECT_EQ(a.ArrayHighBound(), 2);
    EXPECT_TRUE(a[1].IsEmpty());
    a[0] = 1;
    a[1] = "x";
    a[2] = Variant::Null();
    Variant b = a;
    b[0] = 99;
    EXPECT_EQ(a[0].AsInteger(), 1);
    EXPECT_EQ(b[0].AsInteger(), 99);
    EXPECT_TRUE(a != b);
    b[0] = 1;
    EXPECT_TRUE(a == b);
    EXPECT_THROW(a[3], EVariantError);
    a.Clear();
    EXPECT_TRUE(a.IsEmpty());
}

TEST(DateUtils, EncodingIsoTextsAndPinnedClock)
{
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDate(2000, 1, 1), 36526.0);
    EXPECT_EQ(DateToISO(EncodeDate(2024, 2, 29)), "2024-02-29");
    EXPECT_THROW(EncodeDate(2023, 2, 29), Exception);
    TDateTime v;
    ASSERT_TRUE(TryISOToDateTime("2024-02-29 23:59:59.250", v));
    EXPECT_EQ(DateTimeToISO(v), "2024-02-29 23:59:59.250");
    EXPECT_FALSE(TryISOToDateTime("2024-13-01", v));
    ASSERT_TRUE(TryISOToDateTime("1899-12-29 06:00:00", v));
    EXPECT_EQ(DateTimeToISO(v), "1899-12-29 06:00:00");
    EXPECT_EQ(DateTimeToISO(EncodeDate(1899, 12, 30) - 1e-9), "1899-12-30 00:00:00");  // rounds up to midnight
    EXPECT_FALSE(TryISOToDateTime("yesterday", v));

    SetNowFunction([] { return EncodeDate(2030, 7, 14) + EncodeTime(18, 30, 0, 0); });
    EXPECT_EQ(Date(), EncodeDate(2030, 7, 14));
    EXPECT_EQ(TimeToISO(Time()), "18:30:00");
    EXPECT_EQ(DateTimeToISO(Now()), "2030-07-14 18:30:00");
    SetNowFunction(nullptr);
    EXPECT_GT(Now(), EncodeDate(2020, 1, 1));
}

TEST(StringList, TextAndCommaText)
{
    TStringList l;
    int changes = 0;
    l.OnChange = [&](TObject*) { ++changes; };
    l.Add("SELECT *");
    l.Add("FROM t");
    EXPECT_EQ(l.Text(), "SELECT *\nFROM t\n");
    EXPECT_EQ(l.CommaText(), "\"SELECT *\",\"FROM t\"");
    l.SetCommaText("a,\"b c\",\"say \"\"hi\"\"\"");
    ASSERT_EQ(l.Count(), 3);
    EXPECT_EQ(l[1], "b c");
    EXPECT_EQ(l[2], "say \"hi\"");
    l.SetText("x\r\ny");
    EXPECT_EQ(l.Count(), 2);
    EXPECT_EQ(l[0], "x");
    EXPECT_EQ(changes, 4);
}

TEST(Variant, TextsStoredInPlaceOfEveryLengthCopyExactlyTheirBytes)
{
    // Every length up to 80 bytes, copied between guard bytes: the bytes arrive in order
    // and nothing around them changes.
    std::string source;
    for (int i = 0; i < 80; ++i)
        source += static_cast<char>('A' + i % 50);
    for (size_t len = 0; len <= 80; ++len) {
        std::string to(len + 2, '#');
        CopyBytes(&to[1], source.data(), len);
        EXPECT_EQ(to, "#" + source.substr(0, len) + "#") << len;
    }

    // A text overwritten by one of the same length, or of another: the value holds the
    // new bytes (zero bytes included), and a copy taken before keeps the old ones.
    Variant v;
    v.SetText("abcdefghij", 10);
    const Variant kept = v;
    v.SetText("0123456789", 10);
    EXPECT_EQ(v.AsString(), "0123456789");
    EXPECT_EQ(kept.AsString(), "abcdefghij");
    v.SetText(std::string("x\0y", 3).data(), 3);
    EXPECT_EQ(v.AsString(), std::string("x\0y", 3));
    v.SetInteger(123);
    v.SetText("abc", 3);
    EXPECT_EQ(v.Type(), varString);
    EXPECT_EQ(v.AsString(), "abc");
    v.SetNull();
    v.SetText("", 0);
    EXPECT_EQ(v.Type(), varString);
    EXPECT_EQ(v, Variant(""));
}
