#include <gtest/gtest.h>

#include "korin/platform/gui/Buttons.h"
#include "korin/platform/gui/HintWindow.h"
#include "tests/support/AppFixture.h"

using namespace korin;

namespace {

class AppHints : public AppTest {};

class TProbeButton : public TSpeedButton {
public:
    using TSpeedButton::TSpeedButton;
    std::vector<std::string> log;
    void WndProc(TMessage& m) override
    {
        if (m.Msg == CM_MOUSEENTER) log.push_back("enter");
        if (m.Msg == CM_MOUSELEAVE) log.push_back("leave");
        if (m.Msg == CM_HINTSHOW) {
            auto* info = reinterpret_cast<THintInfo*>(m.LParam);
            info->HintStr += " (Ctrl+E)";
        }
        TSpeedButton::WndProc(m);
    }
};

TEST_F(AppHints, HoverShowsTheHintAfterThePauseAndLeavingHidesIt)
{
    TOwned<TForm> form(new TForm(nullptr));
    auto* a = new TProbeButton(form.get());
    a->SetParent(form.get());
    a->SetBounds(10, 10, 25, 25);
    a->SetHint("EDIT");
    a->SetShowHint(true);
    auto* b = new TProbeButton(form.get());
    b->SetParent(form.get());
    b->SetBounds(40, 10, 25, 25);
    form->Show();

    input.MouseMove(a).AdvanceTime(499);
    Application->ProcessMessages();
    EXPECT_EQ(a->log, (std::vector<std::string>{"enter"}));
    ASSERT_TRUE(!Application->HintWindow() || !Application->HintWindow()->Active());
    input.AdvanceTime(1);
    Application->ProcessMessages();
    ASSERT_NE(Application->HintWindow(), nullptr);
    EXPECT_TRUE(Application->HintWindow()->Active());
    EXPECT_EQ(Application->HintWindow()->Caption(), "EDIT (Ctrl+E)");
    EXPECT_FALSE(Application->HintWindow()->Focused());

    input.MouseMove(b);
    Application->ProcessMessages();
    EXPECT_EQ(a->log, (std::vector<std::string>{"enter", "leave"}));
    EXPECT_EQ(b->log, (std::vector<std::string>{"enter"}));
    EXPECT_FALSE(Application->HintWindow()->Active());
    input.AdvanceTime(1000);  // b has no hint
    Application->ProcessMessages();
    EXPECT_FALSE(Application->HintWindow()->Active());

    // A press cancels a pending hint.
    input.MouseMove(a).MouseDown(a).AdvanceTime(600).MouseUp(a);
    Application->ProcessMessages();
    EXPECT_FALSE(Application->HintWindow()->Active());
}

}  // namespace
