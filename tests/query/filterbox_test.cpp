// The filter edit box: its keys, its layout when shown, and the condition builder it
// opens in filter mode.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/query/QueryFixture.h"

using namespace korin;

namespace {

class FilterBoxTest : public QueryTest {
protected:
    TOwned<TFilterEditBox> Box;
    std::vector<std::string> Seen;

    void SetUp() override
    {
        QueryTest::SetUp();
        Box.reset(new TFilterEditBox(nullptr));
        Box->SetDataSource(Source);
        Box->Edit->SetText("OrderNo > 3");
        RawStaticText = false;
    }
    void TearDown() override
    {
        Box.reset();
        QueryTest::TearDown();
    }
};

TEST_F(FilterBoxTest, FormFileAndLayoutWhenShown)
{
    EXPECT_EQ(Box->BorderStyle(), bsToolWindow);
    EXPECT_EQ(Box->ClientWidth(), 202);
    EXPECT_EQ(Box->ClientHeight(), 20);
    EXPECT_EQ(Box->ActiveControl(), Box->Edit);
    EXPECT_EQ(Box->FBBtn->Hint(), "Start Filter builder");
    EXPECT_EQ(Box->Edit->Hint(), "Enter valid filter!");
    EXPECT_EQ(Box->FBBtn->Left(), 186);
    EXPECT_EQ(Box->FBBtn->Width(), 16);
    EXPECT_FALSE(Box->FBBtn->Glyph().Empty());
    // The opener may widen the box; the edit and the button follow when it shows.
    Box->SetWidth(400);
    input.Call([this] { Seen.push_back(std::to_string(Box->Edit->Width()) + "," + std::to_string(Box->FBBtn->Left())); });
    input.Key(VK_ESCAPE);
    EXPECT_EQ(Box->ShowModal(), mrCancel);
    EXPECT_EQ(Seen, (std::vector<std::string>{"374,376"}));
}

TEST_F(FilterBoxTest, EnterAcceptsEscapeAndF10Discard)
{
    TypeInto(Box->Edit, "Amount > 100");
    input.Key(VK_RETURN);
    EXPECT_EQ(Box->ShowModal(), mrOk);
    EXPECT_EQ(Box->Edit->Text(), "Amount > 100");

    for (std::uint16_t key : {VK_ESCAPE, VK_F10}) {
        input.Type(" AND 1").Key(key);
        EXPECT_EQ(Box->ShowModal(), mrCancel) << key;
    }
}

TEST_F(FilterBoxTest, TheBuilderInFilterModeReplacesTheTextAndCloses)
{
    input.Click(Box->FBBtn);
    input.Call([this] {
        TSetupQ* b = SetupQ;
        ASSERT_NE(b, nullptr);
        std::string on;
        for (int i = 0; i < 15; ++i)
            on += b->ActButtons->Buttons(i)->Enabled() ? '1' : '0';
        Seen.push_back(b->Caption() + " " + on + (b->BitBtn7->Visible() ? " order" : " no order") + " " +
                       std::to_string(b->ListBox2->Count()));
        // Compose " Amount > 100" by clicks.
        input.Click(b->ListBox1, 8, b->ListBox1->ItemHeight() * 2 + 4).Click(b->BitBtn5).Click(b->tbGreat);
        input.Click(b->Edit2).Type("100").Click(b->BitBtn6).Click(b->BitBtn1);
    });
    // The box closes with OK as soon as the builder does.
    EXPECT_EQ(Box->ShowModal(), mrOk);
    EXPECT_EQ(Seen, (std::vector<std::string>{"Filter setup 110110011011111 no order 0"}));
    EXPECT_EQ(Box->Edit->Text(), " Amount > 100");
    EXPECT_EQ(SetupQ, nullptr);
}

TEST_F(FilterBoxTest, CancellingTheBuilderLeavesTheBoxOpen)
{
    input.Click(Box->FBBtn);
    input.Call([this] {
        ASSERT_NE(SetupQ, nullptr);
        input.Click(SetupQ->ListBox1, 8, 4).Click(SetupQ->BitBtn5).Click(SetupQ->BitBtn2);
        input.Call([this] { Seen.push_back((Box->Visible() ? "open: " : "closed: ") + Box->Edit->Text()); });
        input.Key(VK_ESCAPE);
    });
    EXPECT_EQ(Box->ShowModal(), mrCancel);
    EXPECT_EQ(Seen, (std::vector<std::string>{"open: OrderNo > 3"}));
}

}  // namespace
