// Speed buttons, glyph buttons and push buttons: group rules, the press-drag-release cycle
// driven by scripted mouse input, modal answers by Enter and Esc, and pixel probes on the
// painted faces.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "korin/platform/gui/Buttons.h"
#include "korin/platform/gui/Render.h"
#include "tests/support/AppFixture.h"

using namespace korin;

namespace {

std::unique_ptr<TBitmap> Snapshot(TControl* c)
{
    auto b = std::make_unique<TBitmap>(c->Width(), c->Height());
    PaintControlAt(c, b->Canvas(), 0, 0);
    return b;
}

// A glyph strip of 10 x 7 images on olive, the colour left undrawn: a black square
// (normal) and, with two images, a red one (disabled).
void MakeGlyph(TBitmap& g, int images)
{
    g.SetSize(10 * images, 7);
    g.Canvas().Brush().SetColor(clOlive);
    g.Canvas().FillRect(Rect(0, 0, 10 * images, 7));
    g.Canvas().Brush().SetColor(clBlack);
    g.Canvas().FillRect(Rect(2, 1, 8, 6));
    g.Canvas().Brush().SetColor(clRed);
    if (images > 1)
        g.Canvas().FillRect(Rect(12, 1, 18, 6));
}

class Buttons : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        form.reset(new TForm(nullptr));
        form->SetClientWidth(300);
        form->SetClientHeight(120);
    }
    TSpeedButton* AddSpeed(int left, int group, std::vector<std::string>* log = nullptr, const std::string& name = "")
    {
        auto* b = new TSpeedButton(form.get());
        b->SetParent(form.get());
        b->SetBounds(left, 10, 23, 22);
        b->SetGroupIndex(group);
        if (log) {
            b->OnClick = [log, name](TObject*) { log->push_back(name + ":click"); };
            b->OnMouseDown = [log, name](TObject*, TMouseButton, TShiftState, int, int) { log->push_back(name + ":down"); };
            b->OnMouseUp = [log, name](TObject*, TMouseButton, TShiftState, int, int) { log->push_back(name + ":up"); };
        }
        return b;
    }
    TOwned<TForm> form;
};

TEST_F(Buttons, GroupKeepsOneButtonDownAndAllowAllUpReleasesTheLast)
{
    std::vector<std::string> log;
    auto* a = AddSpeed(10, 1, &log, "a");
    auto* b = AddSpeed(40, 1, &log, "b");
    auto* other = AddSpeed(70, 2, &log, "other");
    other->SetDown(true);
    form->Show();

    RunScript([&](TInputScript& in) { in.Click(a); });
    EXPECT_TRUE(a->Down());
    EXPECT_EQ(a->State(), bsExclusive);
    RunScript([&](TInputScript& in) { in.Click(b); });
    EXPECT_FALSE(a->Down());
    EXPECT_EQ(a->State(), bsUp);
    EXPECT_TRUE(b->Down());
    EXPECT_TRUE(other->Down());  // another group is left alone

    // Without AllowAllUp a second click keeps the button down, but it still clicks.
    RunScript([&](TInputScript& in) { in.Click(b); });
    EXPECT_TRUE(b->Down());
    b->SetDown(false);
    EXPECT_TRUE(b->Down());
    EXPECT_EQ(log, (std::vector<std::string>{"a:down", "a:up", "a:click", "b:down", "b:up", "b:click", "b:down", "b:up",
                                             "b:click"}));

    // AllowAllUp is shared by the group; then the last one can go up.
    a->SetAllowAllUp(true);
    EXPECT_TRUE(b->AllowAllUp());
    EXPECT_FALSE(other->AllowAllUp());
    RunScript([&](TInputScript& in) { in.Click(b); });
    EXPECT_FALSE(a->Down());
    EXPECT_FALSE(b->Down());
    EXPECT_EQ(b->State(), bsUp);

    // Down set from code follows the same rules; a button outside any group never stays down.
    a->SetDown(true);
    b->SetDown(true);
    EXPECT_FALSE(a->Down());
    EXPECT_TRUE(b->Down());
    auto* plain = AddSpeed(100, 0);
    plain->SetDown(true);
    EXPECT_FALSE(plain->Down());
    RunScript([&](TInputScript& in) { in.Click(plain); });
    EXPECT_FALSE(plain->Down());
    EXPECT_EQ(plain->State(), bsUp);
    // Leaving the group puts a down button up.
    b->SetGroupIndex(0);
    EXPECT_FALSE(b->Down());
}

TEST_F(Buttons, HeldButtonDraggedOffShowsUpAndClicksOnlyOnReleaseOverIt)
{
    std::vector<std::string> log;
    auto* b = AddSpeed(10, 0, &log, "b");
    form->Show();

    RunScript([&](TInputScript& in) { in.MouseDown(b, 5, 5); });
    EXPECT_EQ(b->State(), bsDown);
    EXPECT_TRUE(b->MouseCapture());
    RunScript([&](TInputScript& in) { in.MouseMove(b, 40, 5); });
    EXPECT_EQ(b->State(), bsUp);
    RunScript([&](TInputScript& in) { in.MouseMove(b, 5, 5); });
    EXPECT_EQ(b->State(), bsDown);
    RunScript([&](TInputScript& in) { in.MouseMove(b, 5, 30).MouseUp(b, 5, 30); });
    EXPECT_EQ(b->State(), bsUp);
    EXPECT_FALSE(b->MouseCapture());
    EXPECT_EQ(log, (std::vector<std::string>{"b:down", "b:up"}));

    // Held without moving: nothing until the release, then exactly one click after MouseUp.
    log.clear();
    RunScript([&](TInputScript& in) { in.MouseDown(b).AdvanceTime(2000); });
    EXPECT_EQ(log, (std::vector<std::string>{"b:down"}));
    RunScript([&](TInputScript& in) { in.MouseUp(b); });
    EXPECT_EQ(log, (std::vector<std::string>{"b:down", "b:up", "b:click"}));

    // A group button dragged off and released stays as it was.
    b->SetGroupIndex(3);
    RunScript([&](TInputScript& in) { in.MouseDown(b).MouseMove(b, 50, 5).MouseUp(b, 50, 5); });
    EXPECT_FALSE(b->Down());

    // Losing the capture (a modal form opening) ends the press without a click.
    log.clear();
    RunScript([&](TInputScript& in) { in.MouseDown(b).Call([] { ReleaseCapture(); }).MouseUp(b); });
    EXPECT_EQ(b->State(), bsUp);
    EXPECT_EQ(log, (std::vector<std::string>{"b:down", "b:up"}));

    // A disabled button takes no press at all.
    b->SetEnabled(false);
    EXPECT_EQ(b->State(), bsDisabled);
    RunScript([&](TInputScript& in) { in.Click(b); });
    EXPECT_EQ(log.size(), 2u);
    b->SetEnabled(true);
    EXPECT_EQ(b->State(), bsUp);
}

// A descendant adds its own behaviour around the inherited press and release.
class TRecordingButton : public TSpeedButton {
public:
    using TSpeedButton::TSpeedButton;
    std::vector<std::string> Log;

protected:
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override
    {
        TSpeedButton::MouseDown(Button, Shift, X, Y);
        Log.push_back(std::string("pressed:") + (State() == bsDown && MouseCapture() ? "down+capture" : "?"));
    }
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override
    {
        TSpeedButton::MouseUp(Button, Shift, X, Y);
        Log.push_back(std::string("released:") + (MouseCapture() ? "capture" : "free"));
    }
    void Click() override
    {
        Log.push_back("click");
        TSpeedButton::Click();
    }
};

TEST_F(Buttons, DescendantsWrapPressReleaseAndClick)
{
    auto* b = new TRecordingButton(form.get());
    b->SetParent(form.get());
    form->Show();
    RunScript([&](TInputScript& in) { in.Click(b); });
    EXPECT_EQ(b->Log, (std::vector<std::string>{"pressed:down+capture", "click", "released:free"}));
}

TEST_F(Buttons, PaintedSpeedButtonShowsStateAndGlyphHalves)
{
    auto* b = AddSpeed(10, 0);
    MakeGlyph(b->Glyph(), 2);
    b->SetNumGlyphs(2);
    form->Show();
    const TColor face = ColorToRGB(clBtnFace);

    // Up: raised edge, image 0 centred (10 x 7 at (6, 7)), its olive ground left undrawn.
    auto up = Snapshot(b);
    EXPECT_EQ(up->Pixels(0, 0), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(up->Pixels(22, 21), ColorToRGB(cl3DDkShadow));
    EXPECT_EQ(up->Pixels(10, 10), clBlack);
    EXPECT_EQ(up->Pixels(6, 7), face);

    // Held down: sunken edge, glyph moved one pixel right and down.
    RunScript([&](TInputScript& in) { in.MouseDown(b); });
    auto down = Snapshot(b);
    EXPECT_EQ(down->Pixels(0, 0), ColorToRGB(clBtnShadow));
    EXPECT_EQ(down->Pixels(8, 8), face);
    EXPECT_EQ(down->Pixels(9, 9), clBlack);
    RunScript([&](TInputScript& in) { in.MouseUp(b); });

    // Disabled: image 1 of the strip.
    b->SetEnabled(false);
    auto disabled = Snapshot(b);
    EXPECT_EQ(disabled->Pixels(10, 10), clRed);
    EXPECT_EQ(disabled->Pixels(0, 0), ColorToRGB(clBtnHighlight));
    // With one image the disabled look is the image embossed in the shadow colour.
    b->SetNumGlyphs(1);
    MakeGlyph(b->Glyph(), 1);
    EXPECT_EQ(Snapshot(b)->Pixels(10, 10), ColorToRGB(clBtnShadow));
    b->SetEnabled(true);

    // A group button that stays down: sunken, with a lighter face.
    b->SetGroupIndex(1);
    b->SetDown(true);
    auto exclusive = Snapshot(b);
    EXPECT_EQ(exclusive->Pixels(0, 0), ColorToRGB(clBtnShadow));
    EXPECT_NE(exclusive->Pixels(3, 3), face);
    EXPECT_NE(exclusive->Pixels(3, 3), up->Pixels(3, 3));
}

TEST_F(Buttons, FlatButtonShowsAFrameOnlyWhenHotOrDown)
{
    auto* b = AddSpeed(10, 0);
    b->SetFlat(true);
    form->Show();
    const TColor face = ColorToRGB(clBtnFace);
    EXPECT_EQ(Snapshot(b)->Pixels(22, 21), face);
    b->Perform(CM_MOUSEENTER, 0, 0);
    EXPECT_TRUE(b->MouseInControl());
    EXPECT_EQ(Snapshot(b)->Pixels(22, 21), ColorToRGB(clBtnShadow));
    b->Perform(CM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(Snapshot(b)->Pixels(22, 21), face);
    RunScript([&](TInputScript& in) { in.MouseDown(b); });
    auto held = Snapshot(b);
    EXPECT_EQ(held->Pixels(0, 0), ColorToRGB(clBtnShadow));
    EXPECT_EQ(held->Pixels(22, 21), ColorToRGB(clBtnHighlight));
    RunScript([&](TInputScript& in) { in.MouseUp(b); });
}

TEST_F(Buttons, EnterAndEscAnswerTheDefaultAndCancelButtons)
{
    auto* ok = new TButton(form.get());
    ok->SetParent(form.get());
    ok->SetCaption("&OK");
    ok->SetDefault(true);
    ok->SetModalResult(mrOk);
    auto* cancel = new TBitBtn(form.get());
    cancel->SetParent(form.get());
    cancel->SetLeft(90);
    cancel->SetKind(bkCancel);
    EXPECT_EQ(cancel->Caption(), "Cancel");
    EXPECT_TRUE(cancel->Cancel());
    EXPECT_EQ(cancel->ModalResult(), mrCancel);
    auto* edit = new TEdit(form.get());
    edit->SetParent(form.get());
    edit->SetTop(40);
    edit->SetTabOrder(0);

    input.Type("abc").Key(VK_RETURN);
    EXPECT_EQ(form->ShowModal(), mrOk);
    EXPECT_EQ(edit->Text(), "abc");
    input.Key(VK_ESCAPE);
    EXPECT_EQ(form->ShowModal(), mrCancel);
    // The focused button takes Enter itself.
    input.Call([&] { cancel->SetFocus(); }).Key(VK_RETURN);
    EXPECT_EQ(form->ShowModal(), mrCancel);
    input.Click(ok);
    EXPECT_EQ(form->ShowModal(), mrOk);

    // The default button wears a dark frame while focus is not on another button.
    form->Show();
    edit->SetFocus();
    EXPECT_EQ(Snapshot(ok)->Pixels(0, 0), ColorToRGB(clWindowFrame));
    EXPECT_EQ(Snapshot(cancel)->Pixels(0, 0), ColorToRGB(clBtnHighlight));
    cancel->SetFocus();
    EXPECT_EQ(Snapshot(ok)->Pixels(0, 0), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(Snapshot(cancel)->Pixels(0, 0), ColorToRGB(clWindowFrame));
}

TEST_F(Buttons, BitBtnKindsAndGlyphBesideCaption)
{
    auto* close = new TBitBtn(form.get());
    close->SetParent(form.get());
    close->SetKind(bkClose);
    EXPECT_EQ(close->Caption(), "&Close");
    auto* yes = new TBitBtn(form.get());
    yes->SetKind(bkYes);
    EXPECT_TRUE(yes->Default());
    EXPECT_EQ(yes->ModalResult(), mrYes);
    input.Click(close);
    EXPECT_EQ(form->ShowModal(), mrCancel);

    // Glyph left of the caption, the pair centred: the glyph starts left of the middle.
    auto* b = new TBitBtn(form.get());
    b->SetParent(form.get());
    b->SetBounds(0, 40, 100, 25);
    b->SetCaption("Find");
    MakeGlyph(b->Glyph(), 2);
    b->SetNumGlyphs(2);
    TPoint glyphAt;
    TRect textAt;
    LayoutGlyphAndCaption(Rect(2, 2, 98, 23), TSize{10, 7}, TSize{24, 13}, blGlyphLeft, -1, 4, glyphAt, textAt);
    EXPECT_EQ(glyphAt, Point(31, 9));
    EXPECT_EQ(textAt, Rect(45, 6, 69, 19));
    TCanvas measure;
    LayoutGlyphAndCaption(Rect(2, 2, 98, 23), TSize{10, 7}, measure.TextExtent("Find"), blGlyphLeft, -1, 4, glyphAt, textAt);
    EXPECT_LT(glyphAt.x, 45);
    auto shot = Snapshot(b);
    EXPECT_EQ(shot->Pixels(glyphAt.x + 4, glyphAt.y + 3), clBlack);
    b->SetEnabled(false);
    EXPECT_EQ(Snapshot(b)->Pixels(glyphAt.x + 4, glyphAt.y + 3), clRed);
}

}  // namespace

namespace {

bool SamePixels(const TBitmap& a, const TBitmap& b)
{
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return false;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.Pixels(x, y) != b.Pixels(x, y))
                return false;
    return true;
}

}  // namespace

TEST_F(Buttons, GlyphStaysRightAcrossEnabledTogglesAndGlyphChanges)
{
    auto* b = AddSpeed(10, 0);
    MakeGlyph(b->Glyph(), 2);
    b->SetNumGlyphs(2);
    form->Show();
    auto up = Snapshot(b);
    b->SetEnabled(false);
    auto disabled = Snapshot(b);
    EXPECT_EQ(disabled->Pixels(10, 10), clRed);
    for (int i = 0; i < 3; ++i) {
        b->SetEnabled(true);
        EXPECT_TRUE(SamePixels(*Snapshot(b), *up)) << "enabled, pass " << i;
        b->SetEnabled(false);
        EXPECT_TRUE(SamePixels(*Snapshot(b), *disabled)) << "disabled, pass " << i;
    }

    // Drawn on through the glyph's canvas (which fires no change): the new ink shows.
    b->Glyph().Canvas().Brush().SetColor(clBlue);
    b->Glyph().Canvas().FillRect(Rect(12, 1, 18, 6));
    EXPECT_EQ(Snapshot(b)->Pixels(10, 10), clBlue);
    b->SetEnabled(true);
    EXPECT_TRUE(SamePixels(*Snapshot(b), *up));
    // One pixel set: it shows at once (image 0 at (6, 7), its pixel (3, 2) at (9, 9)).
    b->Glyph().SetPixels(3, 2, clLime);
    EXPECT_EQ(Snapshot(b)->Pixels(9, 9), clLime);

    // Another glyph of the same size assigned, then a one-image strip of the same pixels:
    // the disabled look follows the image count (embossed image 0, not the red half).
    TBitmap other;
    MakeGlyph(other, 2);
    b->SetGlyph(other);
    EXPECT_TRUE(SamePixels(*Snapshot(b), *up));
    b->SetNumGlyphs(1);
    b->SetEnabled(false);
    auto whole = Snapshot(b);
    int red = 0;
    for (int y = 0; y < whole->Height(); ++y)
        for (int x = 0; x < whole->Width(); ++x) {
            red += whole->Pixels(x, y) == clRed;
        }
    EXPECT_EQ(red, 0);
    // ... and looks as a new button's with that glyph does.
    auto* fresh = AddSpeed(40, 0);
    fresh->SetGlyph(other);
    fresh->SetNumGlyphs(1);
    fresh->SetEnabled(false);
    EXPECT_TRUE(SamePixels(*whole, *Snapshot(fresh)));
    b->SetNumGlyphs(2);
    EXPECT_TRUE(SamePixels(*Snapshot(b), *disabled));
}

TEST_F(Buttons, GlyphImagesAreCutOnceAndAgainOnlyWhenTheGlyphDiffers)
{
    TBitmap glyph;
    MakeGlyph(glyph, 2);
    TGlyphImages images;
    TBitmap target(40, 10);
    TBitmap fresh(40, 10);
    images.Draw(target.Canvas(), glyph, 2, 0, 0, 0, false);
    images.Draw(target.Canvas(), glyph, 2, 1, 12, 0, false);
    images.Draw(target.Canvas(), glyph, 2, 0, 24, 0, true);
    EXPECT_EQ(images.Builds(), 1);
    // The kept images draw what images cut afresh draw.
    DrawGlyphImage(fresh.Canvas(), glyph, 2, 0, 0, 0, false);
    DrawGlyphImage(fresh.Canvas(), glyph, 2, 1, 12, 0, false);
    DrawGlyphImage(fresh.Canvas(), glyph, 2, 0, 24, 0, true);
    EXPECT_TRUE(SamePixels(target, fresh));

    glyph.SetPixels(0, 0, clWhite);
    images.Draw(target.Canvas(), glyph, 2, 0, 0, 0, false);
    EXPECT_EQ(images.Builds(), 2);
    images.Draw(target.Canvas(), glyph, 1, 0, 0, 0, false);
    EXPECT_EQ(images.Builds(), 3);
    glyph.SetSize(30, 7);
    images.Draw(target.Canvas(), glyph, 1, 0, 0, 0, false);
    EXPECT_EQ(images.Builds(), 4);
    images.Draw(target.Canvas(), glyph, 1, 0, 0, 0, false);
    EXPECT_EQ(images.Builds(), 4);
    // An empty glyph draws nothing and keeps nothing.
    TBitmap empty;
    images.Draw(target.Canvas(), empty, 1, 0, 0, 0, false);
    EXPECT_EQ(images.Builds(), 4);
}
