// The text-editing engine through the edit box and the memo: selection by keys and by
// mouse, the clipboard keys, sideways scrolling and code-point caret steps.
#include <gtest/gtest.h>

#include <string>

#include "korin/platform/gui/Clipboard.h"
#include "korin/platform/gui/StdCtrls.h"
#include "tests/support/AppFixture.h"

using namespace korin;

namespace {

class TextEditing : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        form.reset(new TForm(nullptr));
        form->SetClientWidth(320);
        form->SetClientHeight(200);
        Clipboard().SetAsText("");
    }
    template <class T>
    T* Add(int left, int top)
    {
        auto* c = new T(form.get());
        c->SetParent(form.get());
        c->SetLeft(left);
        c->SetTop(top);
        return c;
    }
    void Run() { Application->ProcessMessages(); }
    // The x, in the control's client area, where the first N code points of Text end.
    static int XAfter(TControl* c, const std::string& Text, int Left)
    {
        TCanvas measure;
        measure.Font().Assign(c->Font());
        return Left + measure.TextWidth(Text);
    }
    TOwned<TForm> form;
};

TEST_F(TextEditing, EditSelectsByKeysAndCutsCopiesAndPastes)
{
    auto* edit = Add<TEdit>(10, 10);
    edit->SetAutoSelect(false);
    form->Show();
    input.Type("hello world").Key(VK_HOME).Key(VK_RIGHT).Key(VK_END, ssShift);
    Run();
    EXPECT_EQ(edit->SelStart(), 1);
    EXPECT_EQ(edit->SelText(), "ello world");

    input.Key('C', ssCtrl).Key(VK_HOME).Key('V', ssCtrl);
    Run();
    EXPECT_EQ(Clipboard().AsText(), "ello world");
    EXPECT_EQ(edit->Text(), "ello worldhello world");
    EXPECT_EQ(edit->CaretPos(), 10);

    input.Key('A', ssCtrl);
    Run();
    EXPECT_EQ(edit->SelLength(), 21);
    input.Key(VK_HOME).Key(VK_RIGHT, ssShift).Key(VK_RIGHT, ssShift).Key('X', ssCtrl);
    Run();
    EXPECT_EQ(Clipboard().AsText(), "el");
    EXPECT_EQ(edit->Text(), "lo worldhello world");
    EXPECT_TRUE(edit->Modified());

    // A read-only box copies but neither cuts nor pastes.
    edit->SetReadOnly(true);
    input.Key(VK_END).Key(VK_LEFT, ssShift).Key('X', ssCtrl).Key('V', ssCtrl);
    Run();
    EXPECT_EQ(edit->Text(), "lo worldhello world");
    EXPECT_EQ(Clipboard().AsText(), "el");
    input.Key(VK_INSERT, ssCtrl);
    Run();
    EXPECT_EQ(Clipboard().AsText(), "d");

    // One line takes a pasted text up to its first line break.
    edit->SetReadOnly(false);
    Clipboard().SetAsText("one\r\ntwo");
    edit->SetText("");
    input.Key(VK_INSERT, ssShift);
    Run();
    EXPECT_EQ(edit->Text(), "one");
}

TEST_F(TextEditing, EditPlacesTheCaretByClickAndSelectsByDrag)
{
    auto* edit = Add<TEdit>(10, 10);
    edit->SetWidth(200);
    edit->SetText("Grüße aus Graz");
    form->Show();
    // The text starts 3 pixels in (frame and margin); clicks land on the nearest boundary.
    int y = edit->Height() / 2;
    input.Click(edit, XAfter(edit, "Grü", 3), y);
    Run();
    EXPECT_EQ(edit->SelLength(), 0);
    EXPECT_EQ(edit->CaretPos(), 3);

    input.MouseDown(edit, XAfter(edit, "G", 3), y)
        .MouseMove(edit, XAfter(edit, "Grüße a", 3), y)
        .MouseUp(edit, XAfter(edit, "Grüße a", 3), y);
    Run();
    EXPECT_EQ(edit->SelStart(), 1);
    EXPECT_EQ(edit->SelText(), "rüße a");
    // Shift+click selects from the caret to the click.
    input.Key(VK_HOME).KeyDown(VK_SHIFT).Click(edit, XAfter(edit, "Grüße", 3), y).KeyUp(VK_SHIFT);
    Run();
    EXPECT_EQ(edit->SelStart(), 0);
    EXPECT_EQ(edit->SelText(), "Grüße");
}

TEST_F(TextEditing, EditScrollsSidewaysToKeepTheCaretInView)
{
    auto* edit = Add<TEdit>(10, 10);
    edit->SetWidth(60);
    edit->SetText("a rather long line of text");
    form->Show();
    edit->SetSelStart(0);
    EXPECT_EQ(edit->ScrollX(), 0);
    input.Key(VK_END);
    Run();
    // The text area is 54 pixels wide; the caret sits on its last pixel column.
    int total = XAfter(edit, "a rather long line of text", 0);
    EXPECT_EQ(edit->ScrollX(), total - 53);
    input.Key(VK_HOME);
    Run();
    EXPECT_EQ(edit->ScrollX(), 0);
    // A click at the right edge of a scrolled box lands on the text scrolled into view.
    input.Key(VK_END);
    Run();
    input.Click(edit, 3 + XAfter(edit, "a rather long line of te", 0) - edit->ScrollX(), 10);
    Run();
    EXPECT_EQ(edit->CaretPos(), 24);
}

TEST_F(TextEditing, MemoSelectsAcrossLinesAndClicksPlaceTheCaret)
{
    auto* memo = Add<TMemo>(10, 10);
    memo->SetText("первая\r\nвторая\r\nтретья");
    form->Show();
    memo->SetFocus();
    // Caret steps are code points: three steps right of the start is after "пер".
    input.Key(VK_RIGHT).Key(VK_RIGHT).Key(VK_RIGHT).Key(VK_DOWN, ssShift).Key(VK_END, ssShift);
    Run();
    EXPECT_EQ(memo->SelStart(), 3);
    EXPECT_EQ(memo->SelText(), "вая\r\nвторая");
    EXPECT_EQ(memo->CaretPos(), Point(6, 1));
    input.Key('C', ssCtrl).Key(VK_END, ssCtrl).Key('V', ssCtrl);
    Run();
    EXPECT_EQ(memo->Lines(), (std::vector<std::string>{"первая", "вторая", "третьявая", "вторая"}));

    // A click on the second line, after its second letter.
    TCanvas measure;
    measure.Font().Assign(memo->Font());
    int lh = measure.TextHeight("Hg");
    input.Click(memo, 3 + measure.TextWidth("вт"), 3 + lh + lh / 2);
    Run();
    EXPECT_EQ(memo->CaretPos(), Point(2, 1));
}

}  // namespace
