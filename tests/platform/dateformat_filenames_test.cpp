// FormatDateTime's pattern language, file-name parts and collections.
#include <gtest/gtest.h>

#include "korin/platform/core/Collections.h"
#include "korin/platform/core/DateFormat.h"
#include "korin/platform/core/FileNames.h"

using namespace korin;

TEST(FormatDateTime, CommonPatterns)
{
    TDateTime v = EncodeDate(2026, 3, 7) + EncodeTime(14, 5, 9, 42);
    EXPECT_EQ(FormatDateTime("dd/mm/yyyy hh:nn:ss", v), "07/03/2026 14:05:09");
    EXPECT_EQ(FormatDateTime("d/m/yy h:n:s", v), "7/3/26 14:5:9");
    EXPECT_EQ(FormatDateTime("ddd dddd mmm mmmm", v), "Sat Saturday Mar March");
    EXPECT_EQ(FormatDateTime("hh:mm", v), "14:05");  // mm after hh is minutes
    EXPECT_EQ(FormatDateTime("h:nn am/pm", v), "2:05 pm");
    EXPECT_EQ(FormatDateTime("hh:nn:ss.zzz", v), "14:05:09.042");
    EXPECT_EQ(FormatDateTime("'at' hh \"o'clock\"", v), "at 14 o'clock");
    EXPECT_EQ(FormatDateTime("c", v), "07/03/2026 14:05:09");
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd", EncodeDate(1999, 12, 31)), "1999-12-31");
    EXPECT_EQ(FormatDateTime("h AM/PM", EncodeTime(0, 30, 0, 0)), "12 AM");
}

TEST(FileNames, SlashBackslashAndDriveDelimitTheParts)
{
    EXPECT_EQ(ExtractFileName("/home/a/b.txt"), "b.txt");
    EXPECT_EQ(ExtractFilePath("/home/a/b.txt"), "/home/a/");
    EXPECT_EQ(ExtractFileName("C:\\data\\x.db"), "x.db");
    EXPECT_EQ(ExtractFilePath("C:\\data\\x.db"), "C:\\data\\");
    EXPECT_EQ(ExtractFilePath("C:x.db"), "C:");
    EXPECT_EQ(ExtractFileName("plain"), "plain");
    EXPECT_EQ(ExtractFilePath("plain"), "");
}

namespace {
class TItem : public TCollectionItem {
public:
    using TCollectionItem::TCollectionItem;
    int Value = 0;
    void Touch(bool All) { Changed(All); }
    void Assign(TPersistent* Source) override { Value = static_cast<TItem*>(Source)->Value; }
};
class TItems : public TCollection {
public:
    std::vector<TCollectionItem*> Updates;
    TCollectionItem* CreateItem() override { return new TItem(this); }
    void Update(TCollectionItem* Item) override { Updates.push_back(Item); }
};
}  // namespace

TEST(Collection, ItemsTellTheirCollectionAndUpdatesGroup)
{
    TItems c;
    auto* a = static_cast<TItem*>(c.Add());
    auto* b = static_cast<TItem*>(c.Add());
    EXPECT_EQ(c.Count(), 2);
    EXPECT_EQ(b->Index(), 1);
    c.Updates.clear();
    a->Touch(false);
    b->Touch(true);
    EXPECT_EQ(c.Updates, (std::vector<TCollectionItem*>{a, nullptr}));
    c.Updates.clear();
    c.BeginUpdate();
    a->Touch(false);
    c.Delete(1);
    c.EndUpdate();
    EXPECT_EQ(c.Updates, (std::vector<TCollectionItem*>{nullptr}));
    EXPECT_EQ(c.Count(), 1);
    a->Value = 7;
    TItems copy;
    copy.Assign(&c);
    ASSERT_EQ(copy.Count(), 1);
    EXPECT_EQ(static_cast<TItem*>(copy.Items(0))->Value, 7);
    EXPECT_THROW(c.Items(5), Exception);
    EXPECT_THROW(a->TPersistent::Assign(nullptr), EConvertError);
}
