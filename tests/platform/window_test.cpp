#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "korin/platform/gui/Backend.h"
#include "korin/platform/gui/Keyboard.h"
#include "korin/platform/gui/StdCtrls.h"
#include "korin/platform/gui/Subclass.h"
#include "korin/platform/gui/Timers.h"
#include "tests/support/AppFixture.h"

using namespace korin;

namespace {

// A focusable windowed control that records the messages its window procedure gets.
class TProbe : public TWinControl {
public:
    TProbe(TComponent* owner, TWinControl* parent, const std::string& name, std::vector<std::string>* log = nullptr)
        : TWinControl(owner), FLog(log)
    {
        SetName(name);
        SetParent(parent);
        SetBounds(0, 0, 80, 20);
        SetTabStop(true);
    }
    void WndProc(TMessage& m) override
    {
        if (FLog) {
            switch (m.Msg) {
            case WM_KILLFOCUS: FLog->push_back(Name() + ":KILLFOCUS:" + Who(m.WParam)); break;
            case WM_SETFOCUS: FLog->push_back(Name() + ":SETFOCUS:" + Who(m.WParam)); break;
            case CM_ENTER: FLog->push_back(Name() + ":ENTER"); break;
            case CM_EXIT: FLog->push_back(Name() + ":EXIT"); break;
            case WM_KEYDOWN: FLog->push_back(Name() + ":KEYDOWN:" + std::to_string(LoWord(m.WParam))); break;
            case WM_CHAR: FLog->push_back(Name() + ":CHAR:" + std::to_string(m.WParam)); break;
            case WM_KEYUP: FLog->push_back(Name() + ":KEYUP:" + std::to_string(LoWord(m.WParam))); break;
            }
        }
        TWinControl::WndProc(m);
    }
    static std::string Who(WPARAM h)
    {
        TWinControl* c = FindControl(h);
        return c ? c->Name() : "0";
    }
    std::vector<std::string>* FLog;

protected:
    LRESULT DialogCode() const override { return DLGC_WANTCHARS; }
    bool FocusOnClick() const override { return true; }
};

class Window : public AppTest {};

TEST_F(Window, FocusMovesWithKillSetEnterInOrder)
{
    std::vector<std::string> log;
    TOwned<TForm> form(new TForm(nullptr));
    auto* a = new TProbe(form.get(), form.get(), "A", &log);
    auto* b = new TProbe(form.get(), form.get(), "B", &log);
    form->Show();
    EXPECT_EQ(GetFocus(), a->Handle());  // showing focuses the first control in tab order
    log.clear();
    b->SetFocus();
    EXPECT_EQ(log, (std::vector<std::string>{"A:KILLFOCUS:B", "B:SETFOCUS:A", "A:EXIT", "B:ENTER"}));
    EXPECT_EQ(form->ActiveControl(), b);
    EXPECT_EQ(GetParentForm(b), form.get());
    EXPECT_EQ(FindControl(b->Handle()), b);
}

TEST_F(Window, TabAndShiftTabFollowTabOrderAcrossNestedPanels)
{
    TOwned<TForm> form(new TForm(nullptr));
    auto* e1 = new TProbe(form.get(), form.get(), "E1");
    auto* panel = new TWinControl(form.get());
    panel->SetParent(form.get());
    panel->SetBounds(0, 30, 200, 100);
    auto* e2 = new TProbe(form.get(), panel, "E2");
    auto* e3 = new TProbe(form.get(), panel, "E3");
    auto* e4 = new TProbe(form.get(), form.get(), "E4");
    e3->SetTabOrder(0);  // E3 before E2 inside the panel
    std::vector<TWinControl*> order;
    form->GetTabOrderList(order);
    EXPECT_EQ(order, (std::vector<TWinControl*>{e1, panel, e3, e2, e4}));

    form->Show();
    std::vector<std::string> seen;
    for (int i = 0; i < 5; ++i) {
        input.Key(VK_TAB);
        Application->ProcessMessages();
        seen.push_back(FindControl(GetFocus())->Name());
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"E3", "E2", "E4", "E1", "E3"}));
    seen.clear();
    for (int i = 0; i < 3; ++i) {
        input.Key(VK_TAB, ssShift);
        Application->ProcessMessages();
        seen.push_back(FindControl(GetFocus())->Name());
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"E1", "E4", "E2"}));
}

// A hook that turns Enter into Tab and swallows the letter 'x'.
class TRewriter : public TControlSubclass {
public:
    void BeforeWndProc(TMessage& m) override
    {
        seen.push_back(Control()->Name());
        if ((m.Msg == WM_KEYDOWN || m.Msg == CN_KEYDOWN || m.Msg == WM_KEYUP) && LoWord(m.WParam) == VK_RETURN)
            m.WParam = VK_TAB;
        if (m.Msg == WM_CHAR && m.WParam == 'x')
            m = TMessage{};
    }
    std::vector<std::string> seen;
};

TEST_F(Window, SubclassHookRewritesAndEmptiesMessages)
{
    std::vector<std::string> log;
    TOwned<TForm> form(new TForm(nullptr));
    auto* a = new TProbe(form.get(), form.get(), "A", &log);
    auto* b = new TProbe(form.get(), form.get(), "B", &log);
    std::string typed;
    a->OnKeyPress = [&](TObject*, char32_t& k) { typed += static_cast<char>(k); };
    TRewriter hook;
    RegisterSubclass(a, &hook);
    RegisterSubclass(b, &hook);
    form->Show();

    input.Type("axb");
    Application->ProcessMessages();
    EXPECT_EQ(typed, "ab");  // the emptied 'x' never reached the control

    input.Key(VK_RETURN);
    Application->ProcessMessages();
    EXPECT_EQ(GetFocus(), b->Handle());  // Enter became Tab
    EXPECT_EQ(hook.seen.back(), "B");    // one hook object, and it knows the control

    UnRegisterSubclass(a, &hook);
    hook.seen.clear();
    a->SetFocus();
    typed.clear();
    input.Type("x");
    Application->ProcessMessages();
    EXPECT_EQ(typed, "x");
    for (auto& n : hook.seen)
        EXPECT_NE(n, "A");
    EXPECT_EQ(a->Subclasses().size(), 0u);
}

TEST_F(Window, KeyPressArrivesAsKeyDownCharKeyUpWithShiftInLParam)
{
    std::vector<std::string> log;
    TOwned<TForm> form(new TForm(nullptr));
    auto* a = new TProbe(form.get(), form.get(), "A", &log);
    form->Show();
    TShiftState shiftSeen = 0;
    LPARAM downData = 0, upData = 0;
    a->OnKeyDown = [&](TObject*, std::uint16_t&, TShiftState s) { shiftSeen = s; };
    struct Spy : TControlSubclass {
        LPARAM* down;
        LPARAM* up;
        void BeforeWndProc(TMessage& m) override
        {
            if (m.Msg == WM_KEYDOWN && LoWord(m.WParam) == 'D') *down = m.LParam;
            if (m.Msg == WM_KEYUP && LoWord(m.WParam) == 'D') *up = m.LParam;
        }
    } s;
    s.down = &downData;
    s.up = &upData;
    RegisterSubclass(a, &s);
    log.clear();
    input.Key('D', ssShift | ssCtrl);
    Application->ProcessMessages();
    std::vector<std::string> keys;
    for (auto& l : log)
        if (l.find(":16") == std::string::npos && l.find(":17") == std::string::npos)
            keys.push_back(l);
    // Ctrl+D produces the control character 4.
    EXPECT_EQ(keys, (std::vector<std::string>{"A:KEYDOWN:68", "A:CHAR:4", "A:KEYUP:68"}));
    EXPECT_EQ(shiftSeen, ssShift | ssCtrl);
    EXPECT_EQ(KeyDataToShiftState(downData), ssShift | ssCtrl);
    EXPECT_EQ(downData & KF_REPEATMASK, 1);
    EXPECT_EQ(downData & KF_PREVDOWNBIT, 0);
    EXPECT_EQ(downData & KF_UPBIT, 0);
    EXPECT_NE(upData & KF_UPBIT, 0);
    EXPECT_NE(upData & KF_PREVDOWNBIT, 0);
}

TEST_F(Window, KillMessageRemovesExactlyOneMatchingMessage)
{
    TOwned<TForm> form(new TForm(nullptr));
    auto* a = new TProbe(form.get(), form.get(), "A");
    auto* b = new TProbe(form.get(), form.get(), "B");
    PostMessage(a->Handle(), WM_KEYUP, 1, 0);
    PostMessage(b->Handle(), WM_CHAR, 2, 0);
    PostMessage(a->Handle(), WM_CHAR, 3, 0);
    PostMessage(a->Handle(), WM_CHAR, 4, 0);
    EXPECT_TRUE(KillMessage(a->Handle(), WM_CHAR));
    TMsg m;
    std::vector<WPARAM> left;
    while (Application->PeekMessage(m, 0, 0, 0, true))
        left.push_back(m.wParam);
    EXPECT_EQ(left, (std::vector<WPARAM>{1, 2, 4}));
    EXPECT_FALSE(KillMessage(a->Handle(), WM_CHAR));
}

TEST_F(Window, TimerRepeatsOnVirtualClockAndHandlerMayRetune)
{
    TOwned<TComponent> owner(new TComponent(nullptr));
    auto* t = new TTimer(owner.get());
    t->SetEnabled(false);
    std::vector<double> ticks;
    t->OnTimer = [&](TObject*) {
        ticks.push_back(Application->Now());
        t->SetInterval(200);
        if (ticks.size() == 4)
            t->SetEnabled(false);
    };
    t->SetInterval(400);
    t->SetEnabled(true);
    input.AdvanceTime(800);
    Application->ProcessMessages();
    EXPECT_EQ(ticks, (std::vector<double>{400, 600, 800}));
    input.AdvanceTime(1000);
    Application->ProcessMessages();
    EXPECT_EQ(ticks, (std::vector<double>{400, 600, 800, 1000}));  // disabled by its handler
    EXPECT_EQ(Application->Now(), 1800);
}

TEST_F(Window, MessageBoxIsAModalFormAnsweredByKeysAndClicks)
{
    std::string caption;
    std::vector<std::string> buttons;
    TForm* box = nullptr;
    Application->OnMessageBox = [&](TCustomForm* b, const std::string&, const std::string& c, std::uint32_t) {
        caption = c;
        box = static_cast<TForm*>(b);
        buttons.clear();
        for (int i = 0; i < b->ControlCount(); ++i)
            if (auto* btn = dynamic_cast<TButton*>(b->Controls(i)))
                buttons.push_back(btn->Caption());
    };
    input.Key('Y');
    EXPECT_EQ(Application->MessageBox("Record will be deleted. Continue?", "WARNING", MB_YESNO | MB_ICONQUESTION), IDYES);
    EXPECT_EQ(caption, "WARNING");
    EXPECT_EQ(buttons, (std::vector<std::string>{"&Yes", "&No"}));
    input.Key('N');
    EXPECT_EQ(Application->MessageBox("Continue?", "WARNING", MB_YESNO), IDNO);
    input.Key(VK_RETURN);
    EXPECT_EQ(Application->MessageBox("Continue?", "WARNING", MB_YESNO), IDYES);
    input.Key(VK_ESCAPE);
    EXPECT_EQ(Application->MessageBox("Continue?", "WARNING", MB_YESNO), IDNO);
    input.Call([&] { input.Click(box->FindComponent("Button2") ? static_cast<TControl*>(box->FindComponent("Button2")) : nullptr); });
    EXPECT_EQ(Application->MessageBox("Continue?", "WARNING", MB_YESNO), IDNO);
    input.Key(VK_RETURN);
    EXPECT_EQ(Application->MessageBox("Boom", "Error", MB_OK | MB_ICONERROR), IDOK);
    // A box nobody answers fails loudly instead of hanging.
    EXPECT_THROW(Application->MessageBox("?", "x", MB_OK), EScriptExhausted);
    EXPECT_EQ(Application->ModalLevel(), 0);
}

TEST_F(Window, ModalFormNestedInsideAnotherRestoresFocus)
{
    TOwned<TForm> main(new TForm(nullptr));
    auto* edit = new TProbe(main.get(), main.get(), "Edit");
    main->Show();
    ASSERT_EQ(GetFocus(), edit->Handle());

    TOwned<TForm> outer(new TForm(nullptr));
    auto* open = new TButton(outer.get());
    open->SetParent(outer.get());
    open->SetCaption("Open");
    auto* ok = new TButton(outer.get());
    ok->SetParent(outer.get());
    ok->SetLeft(100);
    ok->SetModalResult(mrOk);
    ok->SetDefault(true);
    TOwned<TForm> inner(new TForm(nullptr));
    auto* cancel = new TButton(inner.get());
    cancel->SetParent(inner.get());
    cancel->SetCancel(true);
    cancel->SetModalResult(mrCancel);
    std::vector<std::string> events;
    inner->OnShow = [&](TObject*) { events.push_back("inner shows at level " + std::to_string(Application->ModalLevel())); };
    open->OnClick = [&](TObject*) { events.push_back("inner answers " + std::to_string(inner->ShowModal())); };
    input.Click(open).Key(VK_ESCAPE).Call([&] { ok->SetFocus(); }).Key(VK_RETURN);
    EXPECT_EQ(outer->ShowModal(), mrOk);
    EXPECT_EQ(events, (std::vector<std::string>{"inner shows at level 2", "inner answers 2"}));
    EXPECT_FALSE(outer->Visible());
    EXPECT_FALSE(inner->Visible());
    EXPECT_EQ(GetFocus(), edit->Handle());
}

TEST_F(Window, ShortcutTextsRoundTrip)
{
    const char* texts[] = {"Home",   "Ctrl+PgUp", "Ctrl+Home", "Up",           "Down",       "PgUp",       "PgDn",
                           "Ctrl+End", "Ctrl+PgDn", "End",    "Ins",          "Ctrl+Del",   "Ctrl+E",     "Ctrl+P",
                           "Esc",    "Ctrl+R",    "Ctrl+I",    "Ctrl+F",       "Ctrl+Q",     "Ctrl+Z",     "Ctrl+Alt+Z",
                           "Ctrl+D", "Shift+Ctrl+D", "F3",     "Ctrl+Alt+C",   "Ctrl+Alt+V", "Ctrl+F1"};
    for (const char* t : texts) {
        TShortCut sc = TextToShortCut(t);
        EXPECT_NE(sc, 0) << t;
        EXPECT_EQ(ShortCutToText(sc), t);
    }
    EXPECT_EQ(TextToShortCut("Ctrl+PgUp"), scCtrl | VK_PRIOR);
    EXPECT_EQ(ShortCutToText(ShortCut('D', ssCtrl | ssShift)), "Shift+Ctrl+D");
    EXPECT_EQ(ShortCutToText(ShortCut(VK_RETURN, 0)), "Enter");
    EXPECT_EQ(ShortCutToText(ShortCut(VK_BACK, ssAlt)), "Alt+BkSp");
    EXPECT_EQ(ShortCutToText(ShortCut(VK_SPACE, 0)), "Space");
    EXPECT_EQ(ShortCutToText(ShortCut(VK_TAB, 0)), "Tab");
    EXPECT_EQ(ShortCutToText(ShortCut(VK_F12, 0)), "F12");
    EXPECT_EQ(ShortCutToText(ShortCut(0x91, ssCtrl)), "");  // Scroll Lock has no name
    EXPECT_EQ(TextToShortCut("ctrl+shift+d"), scCtrl | scShift | 'D');
    EXPECT_EQ(TextToShortCut("Ctrl+"), 0);
    EXPECT_EQ(TextToShortCut(""), 0);
}

TEST_F(Window, LockKeysToggleAndKeyboardHookSeesAndDiscards)
{
    TOwned<TForm> form(new TForm(nullptr));
    std::vector<std::string> log;
    new TProbe(form.get(), form.get(), "A", &log);
    form->Show();
    std::vector<std::pair<WPARAM, bool>> seen;
    HHOOK h = SetWindowsHookEx(WH_KEYBOARD, [&](int code, WPARAM vk, LPARAM flags) -> LRESULT {
        seen.emplace_back(vk, (flags & KF_UPBIT) != 0);
        if (vk == 'Q')
            return 1;  // discarded
        return CallNextHookEx(h, code, vk, flags);
    }, 0, GetCurrentThreadId());
    ASSERT_NE(h, 0u);
    EXPECT_EQ(GetKeyState(VK_CAPITAL) & 1, 0);
    input.Key(VK_CAPITAL).Key('Q');
    Application->ProcessMessages();
    EXPECT_EQ(GetKeyState(VK_CAPITAL) & 1, 1);
    EXPECT_GE(GetKeyState(VK_CAPITAL), 0);  // toggled on, no longer held
    EXPECT_EQ(seen, (std::vector<std::pair<WPARAM, bool>>{{VK_CAPITAL, false}, {VK_CAPITAL, true}, {'Q', false}, {'Q', true}}));
    for (auto& l : log)
        EXPECT_EQ(l.find(":81"), std::string::npos) << l;  // 'Q' never reached the control
    EXPECT_TRUE(UnhookWindowsHookEx(h));
    input.Key(VK_CAPITAL);
    Application->ProcessMessages();
    EXPECT_EQ(GetKeyState(VK_CAPITAL) & 1, 0);
    EXPECT_EQ(seen.size(), 4u);
}

TEST_F(Window, MainWindowHookSeesActivateApp)
{
    std::vector<WPARAM> activations;
    int id = Application->HookMainWindow([&](TMessage& m) {
        if (m.Msg == WM_ACTIVATEAPP)
            activations.push_back(m.WParam);
        return false;
    });
    input.ActivateApp(false).ActivateApp(true);
    Application->ProcessMessages();
    EXPECT_EQ(activations, (std::vector<WPARAM>{0, 1}));
    Application->UnhookMainWindow(id);
    input.ActivateApp(true);
    Application->ProcessMessages();
    EXPECT_EQ(activations.size(), 2u);
}

TEST_F(Window, ClientOriginAndAlignment)
{
    TOwned<TForm> form(new TForm(nullptr));
    form->SetBorderStyle(bsDialog);
    form->SetBounds(100, 50, 0, 0);
    form->SetClientWidth(300);
    form->SetClientHeight(200);
    EXPECT_EQ(form->ClientWidth(), 300);
    EXPECT_EQ(form->ClientHeight(), 200);
    auto* bar = new TWinControl(form.get());
    bar->SetParent(form.get());
    bar->SetHeight(19);
    bar->SetAlign(alBottom);
    EXPECT_EQ(bar->BoundsRect(), Rect(0, 181, 300, 200));
    auto* child = new TProbe(form.get(), bar, "C");
    child->SetBounds(10, 2, 20, 10);
    TPoint o = form->ClientOrigin();
    EXPECT_EQ(child->ClientOrigin(), Point(o.x + 10, o.y + 183));
    form->SetClientHeight(300);
    EXPECT_EQ(bar->Top(), 281);
}

}  // namespace

namespace {

class Params : public AppTest {};

class TStyled : public TWinControl {
public:
    explicit TStyled(TComponent* o) : TWinControl(o) {}
    std::uint32_t extra = 0;
    int creations = 0;

protected:
    void CreateParams(TCreateParams& P) override
    {
        TWinControl::CreateParams(P);
        P.Style |= extra;
        P.WinClassName = "msctls_statusbar32";
    }
    void CreateWindowHandle(const TCreateParams& P) override
    {
        ++creations;
        TWinControl::CreateWindowHandle(P);
    }
};

TEST_F(Params, RecreateWndMakesANewWindowFromFreshParams)
{
    TOwned<TForm> form(new TForm(nullptr));
    auto* c = new TStyled(form.get());
    c->SetParent(form.get());
    c->SetTabStop(true);
    EXPECT_FALSE(c->HandleAllocated());
    HWND first = c->Handle();
    EXPECT_TRUE(c->HandleAllocated());
    EXPECT_EQ(c->WindowParams().WinClassName, "msctls_statusbar32");
    EXPECT_EQ(c->WindowParams().Style & WS_CHILD, WS_CHILD);
    form->Show();
    c->SetFocus();
    c->extra = 0x0100;
    c->RecreateWnd();
    EXPECT_NE(c->Handle(), first);
    EXPECT_EQ(FindControl(first), nullptr);
    EXPECT_EQ(FindControl(c->Handle()), c);
    EXPECT_EQ(c->WindowParams().Style & 0x0100, 0x0100u);
    EXPECT_EQ(c->creations, 2);
    EXPECT_EQ(GetFocus(), c->Handle());  // the focus stays with the new window
}

}  // namespace

namespace {

class FocusedFree : public AppTest {};

TEST_F(FocusedFree, FreeingTheFocusedControlLeavesNoDanglingFocus)
{
    std::vector<std::string> log;
    TOwned<TForm> form(new TForm(nullptr));
    auto* panel = new TWinControl(form.get());
    panel->SetParent(form.get());
    auto* a = new TProbe(form.get(), panel, "A", &log);
    auto* b = new TProbe(form.get(), form.get(), "B", &log);
    form->Show();
    a->SetFocus();
    panel->Free();  // takes the focused A with it
    EXPECT_EQ(GetFocus(), 0u);
    EXPECT_EQ(form->ActiveControl(), nullptr);
    log.clear();
    b->SetFocus();
    EXPECT_EQ(log, (std::vector<std::string>{"B:SETFOCUS:0", "B:ENTER"}));
}

}  // namespace

namespace {

class Accelerators : public AppTest {};

TEST_F(Accelerators, AltLetterClicksTheButtonWithThatAccelerator)
{
    TOwned<TForm> form(new TForm(nullptr));
    std::vector<std::string> log;
    auto* edit = new TProbe(form.get(), form.get(), "Edit", &log);
    auto* find = new TButton(form.get());
    find->SetParent(form.get());
    find->SetCaption("&Find First");
    find->SetModalResult(mrOk);
    input.Key('F', ssAlt);
    EXPECT_EQ(form->ShowModal(), mrOk);
    EXPECT_EQ(GetFocus(), 0u);
    for (auto& l : log)
        EXPECT_EQ(l.find(":CHAR:"), std::string::npos) << l;  // the edit got no character
    (void)edit;
}

}  // namespace

namespace {

class RunLoop : public AppTest {};

TEST_F(RunLoop, HeadlessRunPlaysTheScriptAndReturns)
{
    TOwned<TForm> form(new TForm(nullptr));
    std::vector<std::string> log;
    new TProbe(form.get(), form.get(), "A", &log);
    form->Show();
    Application->SetMainForm(form.get());
    input.Type("ok").AdvanceTime(100);
    Application->Run();
    int chars = 0;
    for (auto& l : log)
        chars += l.find(":CHAR:") != std::string::npos;
    EXPECT_EQ(chars, 2);
    EXPECT_EQ(Application->Now(), 100);
    EXPECT_FALSE(Application->Terminated());
}

}  // namespace
