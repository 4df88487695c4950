// The condition builder: its form file, the texts its buttons write, brackets, undo,
// the ORDER BY panel and filter mode, driven by scripted clicks and keys.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "korin/platform/gui/ExtCtrls.h"
#include "korin/platform/gui/ImageList.h"
#include "tests/query/QueryFixture.h"

using namespace korin;

namespace {

class SetupQTest : public QueryTest {
protected:
    TDataSource* PartsSrc = nullptr;
    TOwned<TSetupQ> Dlg;
    // What the script saw while the dialog was up.
    std::vector<std::string> Seen;

    void SetUp() override
    {
        QueryTest::SetUp();
        PartsSrc = new TDataSource(Form);
        PartsSrc->SetDataSet(OpenTable("PARTS"));
        Dlg.reset(new TSetupQ(nullptr));
        Dlg->SetDataSource(PartsSrc);
        RawStaticText = false;
    }
    void TearDown() override
    {
        Dlg.reset();
        QueryTest::TearDown();
    }
    // Records the condition, the caption and the enabled operator buttons.
    void Look()
    {
        input.Call([this] {
            std::string on;
            for (int i = 0; i < 15; ++i)
                on += Dlg->ActButtons->Buttons(i)->Enabled() ? '1' : '0';
            Seen.push_back(Dlg->Caption() + "|" + Dlg->Edit1->Text() + "|" + on);
        });
    }
    void Tool(TToolButton* B) { input.Click(B); }
    // Items of PARTS in the field list: PartNo, Name, Price.
    void Field(int Index) { ClickItem(Dlg->ListBox1, Index); }
};

TEST_F(SetupQTest, FormFileComponentsAndRunTimeTexts)
{
    EXPECT_EQ(Dlg->ClientWidth(), 414);
    EXPECT_EQ(Dlg->ClientHeight(), 218);
    EXPECT_EQ(Dlg->BorderStyle(), bsDialog);
    EXPECT_EQ(Dlg->Position(), poDesktopCenter);
    EXPECT_EQ(Dlg->ActiveControl(), Dlg->Edit1);
    // Run-time texts replace the design texts.
    EXPECT_EQ(Dlg->Caption(), "Query Setup");
    EXPECT_EQ(Dlg->Label1->Caption(), "Condition");
    EXPECT_EQ(Dlg->Label2->Caption(), "Select Field for Action");
    EXPECT_EQ(Dlg->Label3->Caption(), "Static Text");
    EXPECT_EQ(Dlg->Label4->Caption(), "ORDER BY:");
    for (TLabel* l : {Dlg->Label1, Dlg->Label2, Dlg->Label3, Dlg->Label4}) {
        EXPECT_EQ(l->Font().Color(), clGreen);
        EXPECT_EQ(l->Font().Style(), fsBold);
    }
    EXPECT_EQ(Dlg->BitBtn1->Hint(), "Apply Condition");
    EXPECT_EQ(Dlg->BitBtn2->Hint(), "Cancel");
    EXPECT_EQ(Dlg->BitBtn3->Hint(), "Undo Action");
    EXPECT_EQ(Dlg->BitBtn4->Hint(), "Erase All");
    EXPECT_EQ(Dlg->BitBtn5->Hint(), "Add to Query");
    EXPECT_EQ(Dlg->BitBtn6->Hint(), "Add to Query");
    EXPECT_EQ(Dlg->ListBox2->Hint(), "Double click to SELECT");
    EXPECT_EQ(Dlg->Edit3->Hint(), "Double click to UNDO");
    EXPECT_EQ(Dlg->BitBtn1->ModalResult(), mrOk);
    EXPECT_TRUE(Dlg->BitBtn1->Default());
    EXPECT_EQ(Dlg->BitBtn2->ModalResult(), mrCancel);
    EXPECT_TRUE(Dlg->BitBtn2->Cancel());
    EXPECT_TRUE(Dlg->Edit3->ReadOnly());
    EXPECT_EQ(Dlg->VisibleButtons(), AllSetupQButtons);
    EXPECT_EQ(Dlg->DialogMode(), dopQuery);

    auto bounds = [](TControl* c) {
        return std::to_string(c->Left()) + "," + std::to_string(c->Top()) + "," + std::to_string(c->Width()) + "," +
               std::to_string(c->Height());
    };
    EXPECT_EQ(bounds(Dlg->ListBox1), "9,24,121,130");
    EXPECT_EQ(bounds(Dlg->Edit1), "2,193,175,21");
    EXPECT_EQ(bounds(Dlg->Edit2), "143,133,102,21");
    EXPECT_EQ(bounds(Dlg->ActButtons), "141,12,103,99");
    EXPECT_EQ(bounds(Dlg->BitBtn1), "180,194,35,20");
    EXPECT_EQ(bounds(Dlg->BitBtn2), "218,194,35,20");
    EXPECT_EQ(bounds(Dlg->BitBtn3), "123,178,25,15");
    EXPECT_EQ(bounds(Dlg->BitBtn4), "150,178,25,15");
    EXPECT_EQ(bounds(Dlg->BitBtn5), "106,156,25,15");
    EXPECT_EQ(bounds(Dlg->BitBtn6), "220,156,25,15");
    EXPECT_EQ(bounds(Dlg->BitBtn7), "225,176,25,13");
    EXPECT_EQ(bounds(Dlg->ListBox2), "270,23,134,160");
    EXPECT_EQ(bounds(Dlg->Edit3), "272,190,134,21");
    EXPECT_EQ(bounds(Dlg->Bevel1), "256,1,2,215");
    EXPECT_EQ(bounds(Dlg->Bevel7), "264,4,148,211");

    // The operator buttons in order, with one glyph each.
    EXPECT_EQ(Dlg->ActButtons->ButtonCount(), 15);
    EXPECT_EQ(Dlg->ActButtons->Images(), Dlg->ImageList1);
    EXPECT_EQ(Dlg->ImageList1->Count(), 15);
    EXPECT_EQ(Dlg->tbSepar1->Style(), tbsSeparator);
    EXPECT_EQ(Dlg->GetToolButtonIndex(Dlg->tbGreat), sqbGreat);
    EXPECT_EQ(Dlg->GetToolButtonIndex(Dlg->tbEndTo), sqbEndTo);
    EXPECT_EQ(Dlg->GetToolButtonIndex(Dlg->ToolButton1), sqbEqual);
    EXPECT_EQ(Dlg->GetToolButtonIndex(nullptr), 15);
    TOwned<TToolButton> stranger(new TToolButton(nullptr));
    EXPECT_EQ(Dlg->GetToolButtonIndex(stranger.get()), 15);
    EXPECT_EQ(SetupQ, Dlg.get());
}

TEST_F(SetupQTest, NumericAndStringFieldsAndTheTextsTheButtonsWrite)
{
    // Price (numeric): no LIKE or patterns, static text as it is.
    Field(2);
    Look();
    input.Click(Dlg->BitBtn5);
    Tool(Dlg->tbGreatE);
    TypeInto(Dlg->Edit2, "10");
    input.Click(Dlg->BitBtn6);
    Look();
    // Name (text): everything on, static text as a quoted literal.
    Tool(Dlg->tbAnd);
    Field(1);
    input.DblClick(Dlg->ListBox1, 8, Dlg->ListBox1->ItemHeight() + 4);
    Tool(Dlg->ToolButton1);
    TypeInto(Dlg->Edit2, "O'Brien");
    input.Click(Dlg->BitBtn6);
    Look();
    input.Click(Dlg->BitBtn1);
    EXPECT_EQ(Dlg->ShowModal(), mrOk);

    ASSERT_EQ(Seen.size(), 3u);
    EXPECT_EQ(Seen[0], "Query Setup||110111111110001");
    EXPECT_EQ(Seen[1], "Query Setup| Price >= 10|110111111110001");
    EXPECT_EQ(Seen[2], "Query Setup| Price >= 10 AND  Name = 'O''Brien'|111111111111111");
    EXPECT_FALSE(RawStaticText);
    EXPECT_TRUE(Dlg->Edit1->Modified());
    // What the builder wrote is an expression the engine reads as meant.
    auto* parts = PartsSrc->DataSet();
    parts->SetFilter(Dlg->Condition());
    parts->SetFiltered(true);
    EXPECT_EQ(parts->RecordCount(), 0);
    parts->SetFilter(" Price >= 10 OR  Name = 'O''Brien'");
    EXPECT_EQ(parts->RecordCount(), 2);
}

TEST_F(SetupQTest, PatternButtonsWriteQuotedLikePatterns)
{
    Field(1);
    input.Click(Dlg->BitBtn5);
    Tool(Dlg->tbLike);
    TypeInto(Dlg->Edit2, "it's");
    Tool(Dlg->tbStartWith);
    Look();
    input.Click(Dlg->BitBtn4);  // erase all
    Tool(Dlg->tbContain);
    Look();
    input.Click(Dlg->BitBtn4);
    Tool(Dlg->tbEndTo);
    Look();
    input.Click(Dlg->BitBtn2);
    EXPECT_EQ(Dlg->ShowModal(), mrCancel);
    ASSERT_EQ(Seen.size(), 3u);
    EXPECT_EQ(Seen[0], "Query Setup| Name LIKE  'it''s%' |111111111111111");
    EXPECT_EQ(Seen[1], "Query Setup| '%it''s%' |111111111111111");
    EXPECT_EQ(Seen[2], "Query Setup| '%it''s' |111111111111111");

    // Starts with, contains and ends with mean what they say.
    auto* parts = PartsSrc->DataSet();
    parts->SetFiltered(true);
    const std::pair<const char*, int> cases[] = {{"Name LIKE 'S%'", 1}, {"Name LIKE '%ea%'", 1}, {"Name LIKE '%t'", 2}};
    for (const auto& [text, count] : cases) {
        parts->SetFilter(text);
        EXPECT_EQ(parts->RecordCount(), count) << text;
    }
}

TEST_F(SetupQTest, BracketLevelsApplyAndCancel)
{
    // One level: 'A = 1', brackets, 'B = 2', apply.
    TypeInto(Dlg->Edit1, "A = 1");
    Tool(Dlg->tbBrackets);
    Look();
    input.Call([this] { Seen.push_back(Dlg->BitBtn3->Enabled() ? "undo on" : "undo off"); });
    TypeInto(Dlg->Edit1, "B = 2");
    input.Click(Dlg->BitBtn1);
    Look();
    input.Call([this] { Seen.push_back(Dlg->Visible() ? "open" : "closed"); });
    input.Click(Dlg->BitBtn1);
    EXPECT_EQ(Dlg->ShowModal(), mrOk);
    EXPECT_EQ(Seen, (std::vector<std::string>{"(Query Setup)||111111111111111", "undo off",
                                              "Query Setup|A = 1(B = 2)|111111111111111", "open"}));
    EXPECT_EQ(BracketsCount, 0);

    // Two nested levels, and a cancel inside the inner one.
    Seen.clear();
    Dlg->SetCaption("Query Setup");
    TypeInto(Dlg->Edit1, "A = 1");
    Tool(Dlg->tbBrackets);
    TypeInto(Dlg->Edit1, "B = 2");
    Tool(Dlg->tbBrackets);
    TypeInto(Dlg->Edit1, "C = 3");
    Look();
    input.Click(Dlg->BitBtn1);
    Look();
    Tool(Dlg->tbBrackets);
    TypeInto(Dlg->Edit1, "D");
    input.Click(Dlg->BitBtn2);  // cancels the level: back to the text it started from
    Look();
    input.Click(Dlg->BitBtn1);
    Look();
    input.Click(Dlg->BitBtn1);
    EXPECT_EQ(Dlg->ShowModal(), mrOk);
    EXPECT_EQ(Seen, (std::vector<std::string>{"((Query Setup))|C = 3|111111111111111",
                                              "(Query Setup)|B = 2(C = 3)|111111111111111",
                                              "(Query Setup)|B = 2(C = 3)|111111111111111",
                                              "Query Setup|A = 1(B = 2(C = 3))|111111111111111"}));
    EXPECT_TRUE(BracketsText.empty());

    // An empty level gives its saved text back; cancel without a level closes.
    Seen.clear();
    TypeInto(Dlg->Edit1, "A = 1");
    Tool(Dlg->tbBrackets);
    input.Click(Dlg->BitBtn1);
    Look();
    input.Click(Dlg->BitBtn2);
    EXPECT_EQ(Dlg->ShowModal(), mrCancel);
    EXPECT_EQ(Seen, (std::vector<std::string>{"Query Setup|A = 1|111111111111111"}));
}

TEST_F(SetupQTest, UndoRestoresOnlyTheTextBeforeTheLastChange)
{
    Field(2);
    input.Click(Dlg->BitBtn5);
    Tool(Dlg->tbGreat);
    input.Click(Dlg->BitBtn3);  // undo
    Look();
    input.Call([this] { Seen.push_back(Dlg->BitBtn3->Enabled() ? "undo on" : "undo off"); });
    input.Click(Dlg->BitBtn3);  // disabled: nothing happens
    Look();
    input.Click(Dlg->BitBtn4);  // erase all saves undo
    Look();
    input.Click(Dlg->BitBtn3);
    Look();
    input.Click(Dlg->BitBtn2);
    EXPECT_EQ(Dlg->ShowModal(), mrCancel);
    EXPECT_EQ(Seen, (std::vector<std::string>{"Query Setup| Price|110111111110001", "undo off",
                                              "Query Setup| Price|110111111110001",
                                              "Query Setup||110111111110001",
                                              "Query Setup| Price|110111111110001"}));
    // The undo text lives on after the dialog.
    EXPECT_EQ(Undostr, " Price");
}

TEST_F(SetupQTest, OrderByPanelAndItsUndo)
{
    input.Call([this] { Seen.push_back(std::to_string(Dlg->Width()) + (Dlg->BitBtn7->Visible() ? " shown" : " hidden")); });
    input.Click(Dlg->BitBtn7);
    input.Call([this] { Seen.push_back(std::to_string(Dlg->Width())); });
    DblClickItem(Dlg->ListBox2, 1);
    DblClickItem(Dlg->ListBox2, 2);
    input.Call([this] { Seen.push_back(Dlg->Edit3->Text()); });
    input.DblClick(Dlg->Edit3);
    input.Call([this] { Seen.push_back(Dlg->Edit3->Text() + " / " + Dlg->Edit3->Hint()); });
    input.Click(Dlg->BitBtn7);
    input.Call([this] { Seen.push_back(std::to_string(Dlg->Width())); });
    input.Click(Dlg->BitBtn1);
    EXPECT_EQ(Dlg->ShowModal(), mrOk);
    EXPECT_EQ(Seen, (std::vector<std::string>{"262 shown", "422", "Name,Price", "Name / No more UNDO!", "262"}));
    EXPECT_EQ(Dlg->OrderBy(), "Name");
    EXPECT_EQ(Dlg->Condition(), "");
    EXPECT_EQ(Dlg->ListBox2->Items(), (std::vector<std::string>{"PartNo", "Name", "Price"}));
}

TEST_F(SetupQTest, FilterModeHidesTheOrderByPartAndStillQuotesText)
{
    Dlg->SetDialogMode(dopFilter);
    Dlg->SetCaption("Filter setup");
    input.Call([this] {
        Seen.push_back(std::string(Dlg->BitBtn7->Visible() ? "order shown" : "order hidden") + " " +
                       std::to_string(Dlg->ListBox1->Count()) + "/" + std::to_string(Dlg->ListBox2->Count()));
    });
    Field(1);
    input.Click(Dlg->BitBtn5);
    Tool(Dlg->ToolButton1);
    TypeInto(Dlg->Edit2, "Gear");
    input.Click(Dlg->BitBtn6);
    Look();
    input.Click(Dlg->BitBtn1);
    EXPECT_EQ(Dlg->ShowModal(), mrOk);
    // Text fields offer no LIKE or patterns in filter mode, but a text is still a literal.
    EXPECT_EQ(Seen, (std::vector<std::string>{"order hidden 3/0", "Filter setup| Name = 'Gear'|110111111110001"}));
}

TEST_F(SetupQTest, AboutShowsTheProductNotice)
{
    Dlg->Image1Click(nullptr);
    Dlg->CaptionControl1ButtonClick(nullptr, 1);
    Dlg->CaptionControl1ButtonClick(nullptr, 0);
    Run();
    const std::string box = std::string("About: ") + SetupQAboutText + " " + std::to_string(MB_OK | MB_ICONINFORMATION);
    EXPECT_EQ(Boxes, (std::vector<std::string>{box, box}));
}

TEST_F(SetupQTest, FieldNamesThatNeedQuotes)
{
    EXPECT_EQ(QuoteFieldName("Price"), "Price");
    EXPECT_EQ(QuoteFieldName("Order No"), "\"Order No\"");
    EXPECT_EQ(QuoteFieldName("2nd"), "\"2nd\"");
    EXPECT_EQ(QuoteFieldName("a\"b"), "\"a\"\"b\"");
    EXPECT_EQ(QuoteSQLString("O'Brien"), "'O''Brien'");
    EXPECT_EQ(QuoteSQLString("'); DROP TABLE t; --"), "'''); DROP TABLE t; --'");
}

}  // namespace
