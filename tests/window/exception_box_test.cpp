// What the application does with an exception a handler raises: an error box answered by
// the user, OnException in its place, standard error when nothing can answer; and the
// README's program refusing a negative price without closing.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "korin/nav/Vdbnav.h"
#include "korin/platform/db/DBTables.h"
#include "korin/platform/dbctrls/DBGrids.h"
#include "korin/platform/gui/StdCtrls.h"
#include "korin/platform/gui/Timers.h"
#include "tests/support/AppFixture.h"
#include "tests/support/TempDir.h"

using namespace korin;

namespace {

struct TBoxSeen {
    std::string Text, Caption;
    std::uint32_t Flags = 0;
    bool HasIcon = false;
    int ClicksBefore = 0;
};

class ExceptionBox : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        Application->SetTitle("");
        Form.reset(new TForm(nullptr));
        Form->SetBounds(0, 0, 300, 200);
        Button = new TButton(Form.get());
        Button->SetParent(Form.get());
        Button->SetBounds(10, 10, 80, 25);
        Button->OnClick = [this](TObject*) {
            ++Clicks;
            if (Clicks == 1)
                throw Exception("CHECK constraint failed: Price >= 0");
        };
        Form->Show();
        Application->OnMessageBox = [this](TCustomForm* box, const std::string& text, const std::string& caption,
                                           std::uint32_t flags) {
            Boxes.push_back({text, caption, flags, box->FindComponent("Icon") != nullptr, Clicks});
        };
    }
    void TearDown() override
    {
        Form.reset();
        AppTest::TearDown();
    }

    TOwned<TForm> Form;
    TButton* Button = nullptr;
    int Clicks = 0;
    std::vector<TBoxSeen> Boxes;
};

TEST_F(ExceptionBox, ShowsTheMessageWithAnErrorIconAndTheTitleAndTheLoopGoesOn)
{
    Application->SetTitle("Price list");
    input.Click(Button).Key(VK_RETURN).Click(Button);
    Application->ProcessMessages();
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, "CHECK constraint failed: Price >= 0");
    EXPECT_EQ(Boxes[0].Caption, "Price list");
    EXPECT_EQ(Boxes[0].Flags, static_cast<std::uint32_t>(MB_OK | MB_ICONERROR));
    EXPECT_TRUE(Boxes[0].HasIcon);
    EXPECT_EQ(Boxes[0].ClicksBefore, 1);
    EXPECT_EQ(Clicks, 2);  // the Enter answered the box (not the button), then the second click
    EXPECT_EQ(Application->ModalForm(), nullptr);
    EXPECT_TRUE(Form->Visible());
    EXPECT_EQ(Application->PendingMessageCount(), 0);
}

TEST_F(ExceptionBox, WithoutATitleTheBoxNamesTheProgram)
{
    input.Click(Button).Key(VK_RETURN);
    Application->ProcessMessages();
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Caption, "test_window");
}

TEST_F(ExceptionBox, OnExceptionTakesThePlaceOfTheBox)
{
    std::vector<std::string> seen;
    TObject* sender = nullptr;
    Application->OnException = [&](TObject* s, const std::exception& e) {
        seen.push_back(e.what());
        sender = s;
    };
    input.Click(Button).Click(Button);
    Application->ProcessMessages();
    EXPECT_EQ(seen, std::vector<std::string>{"CHECK constraint failed: Price >= 0"});
    EXPECT_EQ(sender, &*Application);
    EXPECT_TRUE(Boxes.empty());
    EXPECT_EQ(Clicks, 2);
}

TEST_F(ExceptionBox, HeadlessWithNothingLeftToAnswerTheMessageGoesToStandardError)
{
    input.Click(Button);
    testing::internal::CaptureStderr();
    Application->ProcessMessages();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "CHECK constraint failed: Price >= 0\n");
    EXPECT_TRUE(Boxes.empty());
    input.Click(Button);
    Application->ProcessMessages();
    EXPECT_EQ(Clicks, 2);
}

TEST_F(ExceptionBox, ATimerThatRaisesIsReportedAndKeepsTicking)
{
    std::vector<std::string> seen;
    Application->OnException = [&](TObject*, const std::exception& e) { seen.push_back(e.what()); };
    auto* timer = new TTimer(Form.get());
    timer->SetInterval(100);
    int ticks = 0;
    timer->OnTimer = [&](TObject*) {
        if (++ticks == 1)
            throw Exception("first tick fails");
    };
    timer->SetEnabled(true);
    input.AdvanceTime(250);
    Application->ProcessMessages();
    EXPECT_EQ(ticks, 2);
    EXPECT_EQ(seen, std::vector<std::string>{"first tick fails"});
}

// The README's program on a products table whose prices may not be negative.
class ReadmeProgram : public ExceptionBox {
protected:
    void SetUp() override
    {
        ExceptionBox::SetUp();
        std::string path = Dir.File("products.db");
        sqlite3* db = nullptr;
        sqlite3_open(path.c_str(), &db);
        sqlite3_exec(db,
                     "CREATE TABLE products(Id INTEGER PRIMARY KEY, Name TEXT NOT NULL,"
                     " Price REAL NOT NULL CHECK (Price >= 0));"
                     "INSERT INTO products VALUES (1, 'Tea', 3.5), (2, 'Coffee', 4.25);",
                     nullptr, nullptr, nullptr);
        sqlite3_close(db);
        Table = new TTable(Form.get());
        Table->SetDatabaseName(path);
        Table->SetTableName("products");
        auto* source = new TDataSource(Form.get());
        source->SetDataSet(Table);
        Grid = new TDBGrid(Form.get());
        Grid->SetParent(Form.get());
        Grid->SetAlign(alClient);
        Grid->SetDataSource(source);
        Nav = new TVandroDBNavigator(Form.get());
        Nav->SetParent(Form.get());
        Nav->SetAlign(alBottom);
        Nav->SetDataSource(source);
        Table->Open();
    }
    TTempDir Dir;
    TTable* Table = nullptr;
    TDBGrid* Grid = nullptr;
    TVandroDBNavigator* Nav = nullptr;
};

TEST_F(ReadmeProgram, ANegativePricePostedShowsTheEnginesMessageAndKeepsTheValue)
{
    Application->SetTitle("Products");
    Table->Edit();
    Table->FieldByName("Price")->SetAsString("-2");
    input.Click(Nav->Buttons(vnbPost)).Key(VK_RETURN);
    Application->ProcessMessages();
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, "CHECK constraint failed: Price >= 0");
    EXPECT_EQ(Boxes[0].Caption, "Products");
    EXPECT_TRUE(Form->Visible());
    EXPECT_EQ(Table->State(), dsEdit);
    EXPECT_EQ(Table->FieldByName("Price")->AsString(), "-2");
    // The user mends the price and posts again.
    Table->FieldByName("Price")->SetAsString("2");
    input.Click(Nav->Buttons(vnbPost));
    Application->ProcessMessages();
    EXPECT_EQ(Table->State(), dsBrowse);
    EXPECT_EQ(Boxes.size(), 1u);
}

}  // namespace
