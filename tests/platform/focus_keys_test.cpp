// Focus bookkeeping of forms and controls, and the keyboard services: the cases where a
// control must hear nothing, forms that show, hide and lose controls, shortcut values out
// of range, repeat counts, held lock keys and the order of keyboard hooks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "korin/platform/gui/Keyboard.h"
#include "korin/platform/gui/StdCtrls.h"
#include "tests/support/AppFixture.h"

using namespace korin;

namespace {

// A focusable control that logs its focus messages as "Name:MESSAGE".
class TFocusProbe : public TWinControl {
public:
    TFocusProbe(TComponent* Owner, TWinControl* Parent, const std::string& Name, std::vector<std::string>* Log)
        : TWinControl(Owner), FLog(Log)
    {
        SetName(Name);
        SetParent(Parent);
        SetBounds(0, 0, 80, 20);
        SetTabStop(true);
    }
    void WndProc(TMessage& m) override
    {
        switch (m.Msg) {
        case WM_KILLFOCUS: FLog->push_back(Name() + ":KILLFOCUS"); break;
        case WM_SETFOCUS: FLog->push_back(Name() + ":SETFOCUS"); break;
        case CM_ENTER: FLog->push_back(Name() + ":ENTER"); break;
        case CM_EXIT: FLog->push_back(Name() + ":EXIT"); break;
        }
        TWinControl::WndProc(m);
    }

private:
    std::vector<std::string>* FLog;
};

using Log = std::vector<std::string>;

class Focus : public AppTest {
protected:
    std::string Focused()
    {
        TWinControl* c = FindControl(GetFocus());
        return c ? c->Name() : "none";
    }
    void Tab()
    {
        input.Key(VK_TAB);
        Application->ProcessMessages();
    }
    Log log;
};

}  // namespace

TEST_F(Focus, FocusingTheFocusedControlAgainSendsNothing)
{
    TOwned<TForm> form(new TForm(nullptr));
    auto* a = new TFocusProbe(form.get(), form.get(), "A", &log);
    new TFocusProbe(form.get(), form.get(), "B", &log);
    form->Show();
    ASSERT_EQ(Focused(), "A");
    log.clear();
    a->SetFocus();
    SetFocus(a->Handle());
    form->SetActiveControl(a);
    EXPECT_EQ(log, Log{});
}

TEST_F(Focus, AnInvisibleControlTakesNoFocusAndTabPassesIt)
{
    TOwned<TForm> form(new TForm(nullptr));
    new TFocusProbe(form.get(), form.get(), "A", &log);
    auto* b = new TFocusProbe(form.get(), form.get(), "B", &log);
    new TFocusProbe(form.get(), form.get(), "C", &log);
    form->Show();
    b->SetVisible(false);
    EXPECT_FALSE(b->CanFocus());
    EXPECT_THROW(b->SetFocus(), EInvalidOperation);
    EXPECT_EQ(Focused(), "A");
    Tab();
    EXPECT_EQ(Focused(), "C");
    Tab();
    EXPECT_EQ(Focused(), "A");

    // Inside an invisible panel it is out of reach too.
    b->SetVisible(true);
    auto* panel = new TWinControl(form.get());
    panel->SetParent(form.get());
    b->SetParent(panel);
    panel->SetVisible(false);
    EXPECT_FALSE(b->CanFocus());
    Tab();
    Tab();
    EXPECT_EQ(Focused(), "A");
}

TEST_F(Focus, ShowingAFormFocusesItsActiveControlAndHidingItDropsTheFocus)
{
    TOwned<TForm> form(new TForm(nullptr));
    new TFocusProbe(form.get(), form.get(), "A", &log);
    auto* b = new TFocusProbe(form.get(), form.get(), "B", &log);
    form->SetActiveControl(b);
    EXPECT_EQ(GetFocus(), 0u);  // not shown: nothing takes the focus yet
    form->Show();
    EXPECT_EQ(Focused(), "B");
    EXPECT_EQ(log, (Log{"B:SETFOCUS", "B:ENTER"}));

    log.clear();
    form->Hide();
    EXPECT_EQ(GetFocus(), 0u);
    EXPECT_EQ(log, Log{"B:KILLFOCUS"});

    // Shown again, B gets the focus back; for the form it never left B.
    log.clear();
    form->Show();
    EXPECT_EQ(log, Log{"B:SETFOCUS"});
}

TEST_F(Focus, ActiveControlOfAnInactiveFormLeavesTheFocusAlone)
{
    TOwned<TForm> first(new TForm(nullptr));
    new TFocusProbe(first.get(), first.get(), "A1", &log);
    auto* b1 = new TFocusProbe(first.get(), first.get(), "B1", &log);
    TOwned<TForm> second(new TForm(nullptr));
    new TFocusProbe(second.get(), second.get(), "A2", &log);
    first->Show();
    second->Show();
    ASSERT_EQ(Focused(), "A2");
    EXPECT_FALSE(first->Active());

    log.clear();
    first->SetActiveControl(b1);
    EXPECT_EQ(Focused(), "A2");
    EXPECT_EQ(log, Log{});
    EXPECT_EQ(first->ActiveControl(), b1);
    // Back on the first form, the control chosen meanwhile has the focus.
    second->Hide();
    first->Hide();
    first->Show();
    EXPECT_EQ(Focused(), "B1");
}

TEST_F(Focus, AControlThatLeftTheFormIsForgottenByIt)
{
    TOwned<TForm> form(new TForm(nullptr));
    auto* a = new TFocusProbe(form.get(), form.get(), "A", &log);
    auto* b = new TFocusProbe(form.get(), form.get(), "B", &log);
    TOwned<TForm> other(new TForm(nullptr));
    form->Show();
    ASSERT_EQ(Focused(), "A");

    // A leaves while it has the focus: the form forgets it.
    a->SetParent(other.get());
    EXPECT_EQ(form->ActiveControl(), nullptr);
    EXPECT_EQ(GetFocus(), 0u);

    // A comes back and takes the focus: a full entry.
    a->SetParent(form.get());
    log.clear();
    a->SetFocus();
    EXPECT_EQ(log, (Log{"A:SETFOCUS", "A:ENTER"}));
    log.clear();
    b->SetFocus();
    EXPECT_EQ(log, (Log{"A:KILLFOCUS", "B:SETFOCUS", "A:EXIT", "B:ENTER"}));

    // A leaves inside a panel while it has the focus: the form forgets it too, and when
    // the panel comes back, focusing A is a full entry again.
    auto* panel = new TWinControl(form.get());
    panel->SetParent(form.get());
    a->SetParent(panel);
    a->SetFocus();
    panel->SetParent(nullptr);
    EXPECT_EQ(GetFocus(), 0u);
    EXPECT_EQ(form->ActiveControl(), nullptr);
    panel->SetParent(form.get());
    log.clear();
    a->SetFocus();
    EXPECT_EQ(log, (Log{"A:SETFOCUS", "A:ENTER"}));

    // Freed after leaving, it hears nothing more.
    panel->SetParent(nullptr);
    a->Free();
    log.clear();
    b->SetFocus();
    EXPECT_EQ(log, (Log{"B:SETFOCUS", "B:ENTER"}));
    panel->Free();
}

namespace {
class Keys : public AppTest {};
}  // namespace

TEST_F(Keys, CodesAboveAByteAreRefused)
{
    EXPECT_EQ(ShortCut(0x100, 0), scNone);
    EXPECT_EQ(ShortCut(0x141, ssCtrl), scNone);
    EXPECT_EQ(ShortCut(0xFF00 | 'A', ssShift), scNone);
    EXPECT_EQ(ShortCut(0xFF, 0), 0xFF);  // the last byte is a key
    // Key state: nothing outside 0..255 is ever down or toggled.
    SetKeyDown(0x100 | VK_SHIFT, true);
    SetKeyToggled(0x100 | VK_CAPITAL, true);
    EXPECT_EQ(GetKeyState(0x100 | VK_SHIFT), 0);
    EXPECT_EQ(GetKeyState(VK_SHIFT), 0);
    EXPECT_EQ(GetKeyState(VK_CAPITAL), 0);
    EXPECT_EQ(GetKeyState(-1), 0);
    SetKeyDown(255, true);
    EXPECT_LT(GetKeyState(255), 0);
    SetKeyDown(255, false);
}

TEST_F(Keys, RepeatCountsAboveAByteSurviveInLParam)
{
    LPARAM d = MakeKeyData(ssCtrl, false, true, 300);
    EXPECT_EQ(d & KF_REPEATMASK, 300);
    EXPECT_EQ(KeyDataToShiftState(d), ssCtrl);
    EXPECT_NE(d & KF_PREVDOWNBIT, 0);
    EXPECT_EQ(MakeKeyData(0, false, false, 65535) & KF_REPEATMASK, 65535);
    // More than the field holds does not spill into the flags.
    EXPECT_EQ(KeyDataToShiftState(MakeKeyData(0, false, false, 0x7FFFFFFF)), 0);
    EXPECT_EQ(MakeKeyData(0, false, false, 0x7FFFFFFF) & (KF_UPBIT | KF_PREVDOWNBIT), 0);
}

TEST_F(Keys, AHeldLockKeyTogglesOnce)
{
    TOwned<TForm> form(new TForm(nullptr));
    form->Show();
    input.KeyDown(VK_NUMLOCK).KeyDown(VK_NUMLOCK).KeyDown(VK_NUMLOCK).KeyUp(VK_NUMLOCK);
    Application->ProcessMessages();
    EXPECT_EQ(GetKeyState(VK_NUMLOCK), 1);
    input.KeyDown(VK_SCROLL).KeyDown(VK_SCROLL).KeyUp(VK_SCROLL).KeyDown(VK_SCROLL).KeyUp(VK_SCROLL);
    Application->ProcessMessages();
    EXPECT_EQ(GetKeyState(VK_SCROLL), 0);  // two presses: off again
    // Other keys never toggle.
    input.Key('A').Key('A');
    Application->ProcessMessages();
    EXPECT_EQ(GetKeyState('A'), 0);
    ResetKeyState();
}

TEST_F(Keys, HooksRunNewestFirstAndTheChainEnds)
{
    std::vector<std::string> order;
    HHOOK first = 0, second = 0, third = 0;
    first = SetWindowsHookEx(WH_KEYBOARD, [&](int c, WPARAM w, LPARAM l) -> LRESULT {
        order.push_back("first");
        return CallNextHookEx(first, c, w, l);
    }, 0, GetCurrentThreadId());
    second = SetWindowsHookEx(WH_KEYBOARD, [&](int c, WPARAM w, LPARAM l) -> LRESULT {
        order.push_back("second");
        return CallNextHookEx(second, c, w, l);
    }, 0, GetCurrentThreadId());
    third = SetWindowsHookEx(WH_KEYBOARD, [&](int c, WPARAM w, LPARAM l) -> LRESULT {
        order.push_back("third");
        return CallNextHookEx(third, c, w, l);
    }, 0, GetCurrentThreadId());
    EXPECT_EQ(KeyboardHookCount(), 3);
    EXPECT_FALSE(CallKeyboardHooks('A', 0));
    EXPECT_EQ(order, (std::vector<std::string>{"third", "second", "first"}));

    // Without the middle one the chain closes up.
    order.clear();
    EXPECT_TRUE(UnhookWindowsHookEx(second));
    EXPECT_FALSE(UnhookWindowsHookEx(second));
    EXPECT_FALSE(CallKeyboardHooks('A', 0));
    EXPECT_EQ(order, (std::vector<std::string>{"third", "first"}));
    EXPECT_TRUE(UnhookWindowsHookEx(third));
    EXPECT_TRUE(UnhookWindowsHookEx(first));
    EXPECT_EQ(KeyboardHookCount(), 0);
    EXPECT_EQ(SetWindowsHookEx(WH_KEYBOARD + 1, [](int, WPARAM, LPARAM) -> LRESULT { return 0; }, 0, 0), 0u);
}
