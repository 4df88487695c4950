// Edit boxes, memos, check boxes, radio buttons, labels, panels and bevels, driven by
// scripted keys and clicks; pixel probes on what they paint.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "korin/platform/gui/DrawText.h"
#include "korin/platform/gui/ExtCtrls.h"
#include "korin/platform/gui/Render.h"
#include "korin/platform/gui/StdCtrls.h"
#include "tests/support/AppFixture.h"

using namespace korin;

namespace {

std::unique_ptr<TBitmap> Snapshot(TControl* c)
{
    auto b = std::make_unique<TBitmap>(c->Width(), c->Height());
    PaintControlAt(c, b->Canvas(), 0, 0);
    return b;
}

class Controls : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        form.reset(new TForm(nullptr));
        form->SetClientWidth(320);
        form->SetClientHeight(200);
    }
    template <class T>
    T* Add(int left, int top, const std::string& caption = "")
    {
        auto* c = new T(form.get());
        c->SetParent(form.get());
        c->SetLeft(left);
        c->SetTop(top);
        if (!caption.empty())
            c->SetCaption(caption);
        return c;
    }
    TOwned<TForm> form;
};

TEST_F(Controls, EditTypesAtTheCaretAndReportsEveryChange)
{
    auto* edit = Add<TEdit>(10, 10);
    std::vector<std::string> changes;
    edit->OnChange = [&](TObject*) { changes.push_back(edit->Text()); };
    form->Show();
    ASSERT_TRUE(edit->Focused());

    RunScript([](TInputScript& in) { in.Type("abc"); });
    EXPECT_EQ(edit->Text(), "abc");
    EXPECT_EQ(edit->CaretPos(), 3);
    EXPECT_TRUE(edit->Modified());
    RunScript([](TInputScript& in) { in.Key(VK_LEFT).Key(VK_LEFT).Type("X"); });
    EXPECT_EQ(edit->Text(), "aXbc");
    EXPECT_EQ(edit->CaretPos(), 2);
    RunScript([](TInputScript& in) { in.Key(VK_HOME).Key(VK_DELETE).Key(VK_END).Key(VK_BACK); });
    EXPECT_EQ(edit->Text(), "Xb");
    EXPECT_EQ(changes, (std::vector<std::string>{"a", "ab", "abc", "aXbc", "Xbc", "Xb"}));

    // Shift extends a selection, which typing then replaces; Left collapses it to its start.
    RunScript([](TInputScript& in) { in.Key(VK_LEFT, ssShift); });
    EXPECT_EQ(edit->SelText(), "b");
    EXPECT_EQ(edit->SelStart(), 1);
    RunScript([](TInputScript& in) { in.Type("YZ").Key(VK_HOME).Key(VK_RIGHT, ssShift).Key(VK_RIGHT, ssShift).Key(VK_LEFT); });
    EXPECT_EQ(edit->Text(), "XYZ");
    EXPECT_EQ(edit->SelLength(), 0);
    EXPECT_EQ(edit->CaretPos(), 0);
    // Moving the caret past either end stays at the end; keys that edit nothing change nothing.
    size_t before = changes.size();
    RunScript([](TInputScript& in) { in.Key(VK_LEFT).Key(VK_BACK).Key(VK_END).Key(VK_RIGHT).Key(VK_DELETE); });
    EXPECT_EQ(edit->CaretPos(), 3);
    EXPECT_EQ(changes.size(), before);

    // Text set from code fires OnChange too, puts the caret at the start and clears Modified.
    edit->SetText("fresh");
    EXPECT_EQ(changes.back(), "fresh");
    EXPECT_EQ(edit->CaretPos(), 0);
    EXPECT_FALSE(edit->Modified());
    edit->SetText("fresh");
    EXPECT_EQ(changes.back(), "fresh");
    EXPECT_EQ(changes.size(), before + 1);
}

TEST_F(Controls, EditReadOnlyMaxLengthAndUtf8)
{
    auto* edit = Add<TEdit>(10, 10);
    int changes = 0;
    edit->OnChange = [&](TObject*) { ++changes; };
    edit->SetText("Zäh€");
    changes = 0;
    edit->SetReadOnly(true);
    form->Show();
    // Focus selects everything; a read-only box refuses typing and deleting, but the caret moves.
    EXPECT_EQ(edit->SelLength(), 4);
    RunScript([](TInputScript& in) { in.Type("q").Key(VK_BACK).Key(VK_DELETE).Key(VK_END).Key(VK_LEFT); });
    EXPECT_EQ(edit->Text(), "Zäh€");
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(edit->CaretPos(), 3);
    EXPECT_FALSE(edit->Modified());

    // One caret step is one code point, whatever its length in bytes.
    edit->SetReadOnly(false);
    RunScript([](TInputScript& in) { in.Key(VK_BACK).Type("ö"); });
    EXPECT_EQ(edit->Text(), "Zäö€");
    EXPECT_EQ(edit->TextLength(), 4);
    EXPECT_EQ(edit->CaretPos(), 3);
    EXPECT_EQ(changes, 2);

    // MaxLength stops typing (it does not cut a text set from code).
    edit->SetMaxLength(5);
    RunScript([](TInputScript& in) { in.Type("xyz"); });
    EXPECT_EQ(edit->Text(), "Zäöx€");
    edit->SelectAll();
    RunScript([](TInputScript& in) { in.Type("k"); });
    EXPECT_EQ(edit->Text(), "k");
}

TEST_F(Controls, EditPaintsFrameBackgroundAndCaret)
{
    auto* edit = Add<TEdit>(10, 10);
    auto* other = Add<TEdit>(10, 40);
    form->Show();
    other->SetFocus();
    auto unfocused = Snapshot(edit);
    EXPECT_EQ(unfocused->Pixels(0, 0), ColorToRGB(clBtnShadow));
    EXPECT_EQ(unfocused->Pixels(1, 1), ColorToRGB(cl3DDkShadow));
    EXPECT_EQ(unfocused->Pixels(120, 20), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(unfocused->Pixels(5, 10), clWhite);
    // The caret of an empty focused box: a line at the text's left edge.
    edit->SetFocus();
    auto focused = Snapshot(edit);
    EXPECT_EQ(focused->Pixels(3, 10), ColorToRGB(clWindowText));
    EXPECT_EQ(unfocused->Pixels(3, 10), clWhite);
}

TEST_F(Controls, MemoLinesEnterAndDialogKeys)
{
    auto* memo = Add<TMemo>(10, 10);
    auto* ok = Add<TButton>(200, 10, "OK");
    ok->SetDefault(true);
    ok->SetModalResult(mrOk);
    auto* cancel = Add<TButton>(200, 40, "Cancel");
    cancel->SetCancel(true);
    cancel->SetModalResult(mrCancel);
    int changes = 0;
    memo->OnChange = [&](TObject*) { ++changes; };
    memo->SetTabOrder(0);

    // Enter breaks the line inside the memo; Esc still reaches the Cancel button.
    input.Type("ab").Key(VK_RETURN).Type("c").Key(VK_UP).Key(VK_END).Key(VK_DELETE).Key(VK_ESCAPE);
    EXPECT_EQ(form->ShowModal(), mrCancel);
    EXPECT_EQ(memo->Text(), "abc");
    EXPECT_EQ(changes, 5);
    memo->SetText("one\ntwo\r\nthree");
    EXPECT_EQ(memo->Lines(), (std::vector<std::string>{"one", "two", "three"}));
    EXPECT_EQ(memo->Text(), "one\ntwo\r\nthree");
    memo->SetLines({"x", "y"});
    EXPECT_EQ(memo->Text(), "x\r\ny");
    EXPECT_EQ(memo->LineCount(), 2);
    memo->Clear();
    EXPECT_EQ(memo->LineCount(), 0);

    // Backspace at a line's start joins it to the line above.
    memo->SetText("ab\r\ncd");
    memo->SetCaretPos(Point(0, 1));
    form->Show();
    memo->SetFocus();
    RunScript([](TInputScript& in) { in.Key(VK_BACK); });
    EXPECT_EQ(memo->Lines(), (std::vector<std::string>{"abcd"}));
    EXPECT_EQ(memo->CaretPos(), Point(2, 0));
    // Tab leaves the memo (it does not take tabs) and types nothing into it.
    RunScript([](TInputScript& in) { in.Key(VK_TAB); });
    EXPECT_TRUE(ok->Focused());
    EXPECT_EQ(memo->Text(), "abcd");
    form->Hide();

    // Without WantReturns Enter goes to the Default button; ReadOnly refuses edits.
    memo->SetWantReturns(false);
    memo->SetReadOnly(true);
    changes = 0;
    input.Type("zz").Key(VK_BACK).Key(VK_RETURN);
    EXPECT_EQ(form->ShowModal(), mrOk);
    EXPECT_EQ(memo->Text(), "abcd");
    EXPECT_EQ(changes, 0);
}

TEST_F(Controls, CheckBoxTogglesByClickSpaceAndAccelerator)
{
    auto* first = Add<TEdit>(10, 10);
    auto* box = Add<TCheckBox>(10, 40, "Case &Sensitive");
    std::vector<std::string> clicks;
    box->OnClick = [&](TObject*) { clicks.push_back(std::to_string(static_cast<int>(box->State()))); };
    form->Show();

    RunScript([&](TInputScript& in) { in.Click(box); });
    EXPECT_TRUE(box->Checked());
    EXPECT_TRUE(box->Focused());
    RunScript([](TInputScript& in) { in.Key(VK_SPACE); });
    EXPECT_FALSE(box->Checked());
    // Pressed and dragged off before the release: no toggle.
    RunScript([&](TInputScript& in) { in.MouseDown(box, 5, 5).MouseMove(box, 5, 40).MouseUp(box, 5, 40); });
    EXPECT_FALSE(box->Checked());
    box->SetAllowGrayed(true);
    RunScript([&](TInputScript& in) { in.Click(box).Click(box).Click(box); });
    EXPECT_EQ(clicks, (std::vector<std::string>{"1", "0", "1", "2", "0"}));
    // Set from code: OnClick fires once per real change.
    box->SetChecked(true);
    box->SetChecked(true);
    EXPECT_EQ(clicks.size(), 6u);
    box->SetAllowGrayed(false);
    // The accelerator reaches it from a control that does not take characters.
    RunScript([](TInputScript& in) { in.Key(VK_TAB, ssShift); });
    ASSERT_TRUE(first->Focused());
    auto* button = Add<TButton>(100, 10, "Go");
    RunScript([&](TInputScript& in) { in.Call([&] { button->SetFocus(); }).Type("s"); });
    EXPECT_EQ(box->State(), cbUnchecked);
    EXPECT_TRUE(box->Focused());

    // Painted: the tick shows in the box only while checked.
    auto off = Snapshot(box);
    box->SetChecked(true);
    auto on = Snapshot(box);
    EXPECT_EQ(off->Pixels(0, 2), ColorToRGB(clBtnShadow));
    EXPECT_EQ(off->Pixels(4, 9), clWhite);
    EXPECT_EQ(on->Pixels(4, 9), ColorToRGB(clWindowText));
}

TEST_F(Controls, RadioButtonsUncheckTheirSiblings)
{
    auto* exact = Add<TRadioButton>(10, 10, "&No Wildcards");
    auto* pattern = Add<TRadioButton>(10, 30, "&Allow Wildcards");
    auto* group = Add<TGroupBox>(10, 60, "Elsewhere");
    auto* apart = new TRadioButton(form.get());
    apart->SetParent(group);
    std::vector<std::string> clicks;
    for (TRadioButton* r : {exact, pattern, apart})
        r->OnClick = [&clicks, r](TObject*) { clicks.push_back(r->Caption()); };
    pattern->SetChecked(true);
    apart->SetChecked(true);
    EXPECT_TRUE(pattern->Checked());
    EXPECT_TRUE(pattern->TabStop());
    EXPECT_FALSE(exact->TabStop());
    form->Show();

    RunScript([&](TInputScript& in) { in.Click(exact); });
    EXPECT_TRUE(exact->Checked());
    EXPECT_FALSE(pattern->Checked());
    EXPECT_TRUE(apart->Checked());  // another parent, another group
    // Clicking the checked one changes nothing and reports nothing.
    RunScript([&](TInputScript& in) { in.Click(exact); });
    EXPECT_EQ(clicks, (std::vector<std::string>{"&Allow Wildcards", "", "&No Wildcards"}));
    RunScript([&](TInputScript& in) { in.Call([&] { pattern->SetFocus(); }).Key(VK_SPACE); });
    EXPECT_TRUE(pattern->Checked());
    EXPECT_FALSE(exact->Checked());
    // An arrow key moves the focus to the next radio button and checks it.
    RunScript([](TInputScript& in) { in.Key(VK_UP); });
    EXPECT_TRUE(exact->Focused());
    EXPECT_TRUE(exact->Checked());
    EXPECT_FALSE(pattern->Checked());
    RunScript([](TInputScript& in) { in.Key(VK_DOWN); });
    EXPECT_TRUE(pattern->Checked());
    EXPECT_EQ(clicks.size(), 6u);
    // Unchecking from code reports nothing.
    pattern->SetChecked(false);
    EXPECT_EQ(clicks.size(), 6u);

    // While a form file is read, setting Checked fires no OnClick.
    exact->SetLoading(true);
    exact->SetChecked(true);
    exact->Loaded();
    EXPECT_EQ(clicks.size(), 6u);
    EXPECT_TRUE(exact->Checked());
}

TEST_F(Controls, LabelSizesToItsTextAndFocusesByAccelerator)
{
    auto* label = Add<TLabel>(7, 10, "Text to &Find:");
    auto* edit = Add<TEdit>(80, 6);
    auto* button = Add<TButton>(80, 40, "Go");
    label->SetFocusControl(edit);
    TCanvas measure;
    TRect r = Rect(0, 0, 0, 0);
    DrawText(measure, "Text to &Find:", r, DT_CALCRECT);
    EXPECT_EQ(label->Width(), r.Width());
    EXPECT_EQ(label->Height(), r.Height());
    label->Font().SetStyle(fsBold);
    EXPECT_GT(label->Width(), r.Width());
    // Right-justified labels keep their right edge.
    int right = label->Left() + label->Width();
    label->SetAlignment(taRightJustify);
    label->SetCaption("x");
    EXPECT_EQ(label->Left() + label->Width(), right);

    label->SetCaption("&Find");
    form->Show();
    button->SetFocus();
    RunScript([](TInputScript& in) { in.Type("f"); });
    EXPECT_TRUE(edit->Focused());
    // The label forgets a focus control that goes away.
    button->SetFocus();
    edit->Free();
    EXPECT_EQ(label->FocusControl(), nullptr);
    RunScript([](TInputScript& in) { in.Type("f"); });
    EXPECT_TRUE(button->Focused());

    // Opaque labels fill their colour (the parent's); transparent ones leave what is below.
    form->SetColor(clYellow);
    EXPECT_EQ(label->Color(), clYellow);
    EXPECT_EQ(Snapshot(label)->Pixels(label->Width() - 1, 0), clYellow);
    label->SetTransparent(true);
    EXPECT_EQ(Snapshot(label)->Pixels(label->Width() - 1, 0), clWhite);
}

TEST_F(Controls, PanelBevelsAndInnerAreaForAlignedChildren)
{
    auto* panel = Add<TPanel>(0, 0);
    panel->SetBounds(0, 0, 100, 50);
    auto* child = new TPanel(form.get());
    child->SetParent(panel);
    child->SetAlign(alClient);
    EXPECT_EQ(child->BoundsRect(), Rect(1, 1, 99, 49));
    panel->SetBevelInner(bvLowered);
    panel->SetBevelWidth(2);
    panel->SetBorderWidth(3);
    EXPECT_EQ(panel->FrameWidth(), 7);
    EXPECT_EQ(panel->InnerRect(), Rect(7, 7, 93, 43));
    EXPECT_EQ(child->BoundsRect(), Rect(7, 7, 93, 43));
    child->SetVisible(false);

    auto raised = Snapshot(panel);
    EXPECT_EQ(raised->Pixels(1, 1), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(raised->Pixels(98, 48), ColorToRGB(clBtnShadow));
    EXPECT_EQ(raised->Pixels(3, 3), ColorToRGB(clBtnFace));  // the border
    EXPECT_EQ(raised->Pixels(5, 5), ColorToRGB(clBtnShadow)); // the lowered inner bevel
    EXPECT_EQ(raised->Pixels(94, 44), ColorToRGB(clBtnHighlight));
    panel->SetBevelOuter(bvLowered);
    EXPECT_EQ(Snapshot(panel)->Pixels(1, 1), ColorToRGB(clBtnShadow));
    panel->SetBevelOuter(bvNone);
    panel->SetBevelInner(bvNone);
    EXPECT_EQ(panel->InnerRect(), Rect(3, 3, 97, 47));
}

TEST_F(Controls, BevelShapesAndStyles)
{
    auto* bevel = Add<TBevel>(0, 0);
    bevel->SetBounds(0, 0, 20, 10);
    const TColor shadow = ColorToRGB(clBtnShadow), light = ColorToRGB(clBtnHighlight);
    bevel->SetShape(bsTopLine);
    auto top = Snapshot(bevel);
    EXPECT_EQ(top->Pixels(5, 0), shadow);
    EXPECT_EQ(top->Pixels(5, 1), light);
    EXPECT_EQ(top->Pixels(5, 2), clWhite);
    bevel->SetStyle(bsRaised);
    EXPECT_EQ(Snapshot(bevel)->Pixels(5, 0), light);
    bevel->SetShape(bsBottomLine);
    auto bottom = Snapshot(bevel);
    EXPECT_EQ(bottom->Pixels(5, 8), light);
    EXPECT_EQ(bottom->Pixels(5, 9), shadow);
    bevel->SetStyle(bsLowered);
    bevel->SetShape(bsBox);
    auto box = Snapshot(bevel);
    EXPECT_EQ(box->Pixels(0, 5), shadow);
    EXPECT_EQ(box->Pixels(19, 5), light);
    EXPECT_EQ(box->Pixels(5, 5), clWhite);
    bevel->SetShape(bsFrame);
    auto frame = Snapshot(bevel);
    EXPECT_EQ(frame->Pixels(0, 5), shadow);
    EXPECT_EQ(frame->Pixels(1, 5), light);
    EXPECT_EQ(frame->Pixels(19, 5), light);
    EXPECT_EQ(frame->Pixels(18, 5), shadow);
}

}  // namespace
