// Hints as a person meets them: a navigator button's tool tip after the pause, with
// ShowHint set on the navigator as a form file sets it; and the long hint of the control
// under the mouse on a status bar with AutoHint.
#include "korin/nav/Vdbnav.h"
#include "korin/platform/gui/ActnList.h"
#include "korin/platform/gui/HintWindow.h"
#include "korin/platform/gui/StdCtrls.h"
#include "korin/statusbar/Statbar.h"
#include "tests/support/AppFixture.h"

using namespace korin;

namespace {

class Hints : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        SetApplicationHint("");
        Form.reset(new TForm(nullptr));
        Form->SetClientWidth(480);
        Form->SetClientHeight(120);
        Nav = new TVandroDBNavigator(Form.get());
        Nav->SetParent(Form.get());
        Nav->SetBounds(8, 8, 400, 25);
        Plain = new TButton(Form.get());
        Plain->SetParent(Form.get());
        Plain->SetBounds(8, 50, 80, 25);
        Plain->SetHint("Save|Writes the record to the database");
        Bar = new TKStatusBar(Form.get());
        Bar->SetParent(Form.get());
        Bar->Panels()->Add()->SetWidth(300);
        Form->Show();
    }
    void TearDown() override
    {
        Form.reset();
        SetApplicationHint("");
        AppTest::TearDown();
    }
    bool HintShowing() const { return Application->HintWindow() && Application->HintWindow()->Active(); }

    TOwned<TForm> Form;
    TVandroDBNavigator* Nav = nullptr;
    TButton* Plain = nullptr;
    TKStatusBar* Bar = nullptr;
};

TEST_F(Hints, ANavigatorButtonShowsItsHintAfterThePause)
{
    Nav->SetShowHint(true);  // after the buttons exist, as reading a form file does
    TControl* next = Nav->Buttons(vnbNext);
    EXPECT_TRUE(next->ShowHint());
    input.MouseMove(next).AdvanceTime(Application->HintPause() - 1);
    Application->ProcessMessages();
    EXPECT_FALSE(HintShowing());
    input.AdvanceTime(1);
    Application->ProcessMessages();
    ASSERT_TRUE(HintShowing());
    EXPECT_EQ(Application->HintWindow()->Caption(), next->Hint());
    EXPECT_EQ(Application->HintWindow()->Caption().rfind("NEXT", 0), 0u);
    // Below the mouse, which rests at the button's centre.
    TPoint mouse = next->ClientToScreen(Point(next->Width() / 2, next->Height() / 2));
    EXPECT_EQ(Application->HintWindow()->Left(), mouse.x);
    EXPECT_EQ(Application->HintWindow()->Top(), mouse.y + 20);

    // Switched off on the navigator, its buttons show none.
    Nav->SetShowHint(false);
    input.MouseMove(Plain).MouseMove(Nav->Buttons(vnbPrior)).AdvanceTime(2 * Application->HintPause());
    Application->ProcessMessages();
    EXPECT_FALSE(HintShowing());
}

TEST_F(Hints, ButtonsAddedToAParentThatShowsHintsShowThemToo)
{
    Form->SetShowHint(true);
    auto* late = new TButton(Form.get());
    late->SetParent(Form.get());
    EXPECT_TRUE(late->ShowHint());
    EXPECT_TRUE(Nav->Buttons(vnbFirst)->ShowHint());
    late->SetShowHint(false);  // its own choice stays
    Form->SetShowHint(false);
    Form->SetShowHint(true);
    EXPECT_FALSE(late->ShowHint());
}

TEST_F(Hints, TheStatusBarWithAutoHintShowsTheLongHintUnderTheMouse)
{
    Bar->SetAutoHint(true);
    Plain->SetShowHint(true);
    input.MouseMove(Plain);
    Application->ProcessMessages();
    EXPECT_EQ(ApplicationHint(), "Writes the record to the database");
    EXPECT_EQ(Bar->Panels()->GetItem(0)->Text(), "Writes the record to the database");
    // The tool tip shows the short part.
    input.AdvanceTime(Application->HintPause());
    Application->ProcessMessages();
    ASSERT_TRUE(HintShowing());
    EXPECT_EQ(Application->HintWindow()->Caption(), "Save");
    // A navigator button's hint reaches the bar, ShowHint or not; the bare form empties it.
    input.MouseMove(Nav->Buttons(vnbLast));
    Application->ProcessMessages();
    EXPECT_EQ(Bar->Panels()->GetItem(0)->Text(), Nav->Buttons(vnbLast)->Hint());
    input.MouseMove(Form.get(), 470, 45);
    Application->ProcessMessages();
    EXPECT_EQ(Bar->Panels()->GetItem(0)->Text(), "");
}

}  // namespace
