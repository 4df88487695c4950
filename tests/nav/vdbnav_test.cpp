// The navigator component: construction rules, buttons, press/hold/release on the
// virtual clock, layout arithmetic, properties, registration and form files.
#include <gtest/gtest.h>

#include "korin/nav/Vdbnav.h"
#include "korin/platform/core/FormFiles.h"
#include "korin/platform/core/Registry.h"
#include "korin/platform/gui/Forms.h"
#include "korin/platform/gui/Render.h"
#include "korin/platform/gui/StdCtrls.h"
#include "tests/support/AppFixture.h"

using namespace korin;

namespace {

// Records every dispatch and every filter/query request with the time it happened.
class TRecordingNavigator : public TVandroDBNavigator {
public:
    using TVandroDBNavigator::TVandroDBNavigator;
    struct Call {
        double At;
        TVNavigateBtn Button;
        friend bool operator==(const Call&, const Call&) = default;
    };
    std::vector<Call> Navigated;
    std::vector<double> FilterModify;
    std::function<void()> InsideFilter;
    void Navigate(TVNavigateBtn Button) override
    {
        Navigated.push_back({Application->Now(), Button});
        TVandroDBNavigator::Navigate(Button);
    }
    void ApplyFilter(TNavigatorFilterAction Action) override
    {
        if (Action == nfaModify) {
            FilterModify.push_back(Application->Now());
            if (InsideFilter)
                InsideFilter();
        }
    }
};

class TNavForm : public TForm {
public:
    using TForm::TForm;
    std::vector<TComponent*> GetChildren(TComponent* Root) const override
    {
        std::vector<TComponent*> out;
        if (Root == this)
            for (int i = 0; i < ComponentCount(); ++i)
                out.push_back(Components(i));
        return out;
    }
};

class NavTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        form = new TNavForm(nullptr);
        form->SetBounds(0, 0, 600, 400);
        form->Show();
    }
    void TearDown() override
    {
        if (form)
            form->Free();
        AppTest::TearDown();
    }
    TRecordingNavigator* MakeNav()
    {
        auto* nav = new TRecordingNavigator(form);
        nav->Loaded();
        // Without a data source every button is off after loading; the wiring tests
        // press buttons, so they switch them all on by hand.
        nav->SetEnabledButtons(TVButtonSet::FromMask(TVButtonSet::AllMask));
        return nav;
    }
    std::vector<int> Widths(TVandroDBNavigator* nav)
    {
        std::vector<int> w;
        for (TVNavigateBtn b : AllNavButtons())
            if (nav->Buttons(b)->Visible())
                w.push_back(nav->Buttons(b)->Width());
        return w;
    }
    TForm* form = nullptr;
};

std::string Refusal(const std::function<void()>& Fn)
{
    try {
        Fn();
    } catch (const EVandroDBNavError& e) {
        return e.Message();
    }
    return "(accepted)";
}

} // namespace

TEST_F(NavTest, OwnerMustBeAFormAndOnlyOneNavigatorPerForm)
{
    TVandroDBNavigator* first = MakeNav();
    first->SetVisible(ClassicVisibleButtons);
    int owned = form->ComponentCount();
    int children = form->ControlCount();

    EXPECT_EQ(Refusal([&] { new TVandroDBNavigator(form); }), "Only ONE instance may be placed on a Form!");
    EXPECT_EQ(Refusal([&] { new TVandroDBNavigator(nullptr); }), "Owner must be a TForm!");
    TWinControl panel(form);
    EXPECT_EQ(Refusal([&] { new TVandroDBNavigator(&panel); }), "Owner must be a TForm!");

    // The refused navigators left nothing behind and the first one still works.
    EXPECT_EQ(form->ComponentCount(), owned + 1);  // + the panel above
    EXPECT_EQ(form->ControlCount(), children);
    EXPECT_TRUE(first->IsAnyPreviousInstance(form) == false);
    first->SetWidth(205);
    EXPECT_EQ(first->Width(), 200);
    EXPECT_EQ(first->Buttons(vnbRefresh)->Left(), 180);
}

TEST_F(NavTest, ConstructionState)
{
    auto* nav = new TRecordingNavigator(form);
    nav->Loaded();
    EXPECT_EQ(nav->Parent(), form);
    EXPECT_EQ(nav->Caption(), "");
    EXPECT_EQ(nav->VisibleButtons(), InitialVisibleButtons);
    EXPECT_EQ(nav->VisibleCount(), 16);
    EXPECT_EQ(nav->MinBtnSize(), (TPoint{18, 18}));
    EXPECT_EQ(nav->ButtonImageSize(), bis16);
    EXPECT_EQ(nav->FocusedButton(), vnbFirst);
    EXPECT_TRUE(nav->EnabledButtons().Empty());
    EXPECT_TRUE(nav->FlatButtons());
    EXPECT_TRUE(nav->ShowShortCuts());
    EXPECT_TRUE(nav->ChangeControlFocus());
    EXPECT_FALSE(nav->ConfirmDelete());
    ASSERT_NE(nav->FindOptions(), nullptr);
    EXPECT_EQ(nav->FindOptions()->MultiCharPattern(), "*");
    EXPECT_EQ(nav->FindOptions()->SingleCharPattern(), '%');
    EXPECT_EQ(nav->MultiRowShortCuts[vnbNext], "Down");
    EXPECT_EQ(nav->SingleRowShortCuts[vnbNext], "PgDn");
    EXPECT_FALSE(nav->AutoRepeatTimer()->Enabled());
    EXPECT_EQ(nav->AutoRepeatTimer()->Interval(), 200);
    EXPECT_FALSE(nav->DropDownTimer()->Enabled());
    EXPECT_EQ(nav->DropDownTimer()->Interval(), 400);

    for (TVNavigateBtn b : AllNavButtons()) {
        TVNavButton* btn = nav->Buttons(b);
        EXPECT_EQ(btn->Index(), b);
        EXPECT_EQ(btn->Owner(), nav);
        EXPECT_EQ(btn->Visible(), Ord(b) <= Ord(vnbFindNext));
        EXPECT_EQ(btn->Glyph().Width(), 32);
        EXPECT_EQ(btn->NumGlyphs(), 2);
        bool repeats = b == vnbPrior || b == vnbNext || b == vnbPriorPage || b == vnbNextPage;
        EXPECT_EQ((btn->NavStyle() & nsAllowTimer) != 0, repeats) << Ord(b);
        EXPECT_EQ(btn->NavStyle() & nsFocusRect, 0);
    }
    EXPECT_EQ(nav->Buttons(vnbIncrementalSearch)->GroupIndex(), 1);
    EXPECT_EQ(nav->Buttons(vnbFilter)->GroupIndex(), 2);
    EXPECT_EQ(nav->Buttons(vnbQuery)->GroupIndex(), 3);
    EXPECT_TRUE(nav->Buttons(vnbQuery)->AllowAllUp());
    EXPECT_EQ(nav->Buttons(vnbFind)->GroupIndex(), 0);
}

TEST_F(NavTest, SetupModePutsEveryButtonInOneGroup)
{
    auto* nav = new TVandroDBNavigator(form, true);
    EXPECT_TRUE(nav->SetupMode());
    for (TVNavigateBtn b : AllNavButtons())
        EXPECT_EQ(nav->Buttons(b)->GroupIndex(), 1);
    nav->Buttons(vnbEdit)->SetDown(true);
    nav->Buttons(vnbPost)->SetDown(true);
    EXPECT_FALSE(nav->Buttons(vnbEdit)->Down());
    EXPECT_TRUE(nav->Buttons(vnbPost)->Down());
}

TEST_F(NavTest, HeldNextRepeatsOnBothTimers)
{
    TRecordingNavigator* nav = MakeNav();
    std::vector<double> clicks;
    nav->OnClickNavigatorButton = [&](TObject* Sender, TVNavigateBtn b) {
        EXPECT_EQ(Sender, nav);
        EXPECT_EQ(b, vnbNext);
        clicks.push_back(Application->Now());
    };
    TVNavButton* next = nav->Buttons(vnbNext);
    input.MouseDown(next).AdvanceTime(900).MouseUp(next).AdvanceTime(1000);
    Application->ProcessMessages();

    // The button clicks itself at 400 ms and every 200 ms after, and once more on the
    // release over it; the navigator dispatches NEXT every 200 ms on its own as well.
    EXPECT_EQ(clicks, (std::vector<double>{400, 600, 800, 900}));
    std::vector<double> at;
    for (auto& c : nav->Navigated) {
        EXPECT_EQ(c.Button, vnbNext);
        at.push_back(c.At);
    }
    std::sort(at.begin(), at.end());
    EXPECT_EQ(at, (std::vector<double>{200, 400, 400, 600, 600, 800, 800, 900}));
    EXPECT_FALSE(nav->AutoRepeatTimer()->Enabled());
    ASSERT_NE(next->RepeatTimer(), nullptr);
    EXPECT_FALSE(next->RepeatTimer()->Enabled());
    EXPECT_EQ(nav->FocusedButton(), vnbNext);
}

TEST_F(NavTest, DraggingOffPausesTheRepeatedClicks)
{
    TRecordingNavigator* nav = MakeNav();
    std::vector<double> clicks;
    nav->OnClickNavigatorButton = [&](TObject*, TVNavigateBtn) { clicks.push_back(Application->Now()); };
    TVNavButton* prior = nav->Buttons(vnbPriorPage);
    input.MouseDown(prior).AdvanceTime(500).MouseMove(prior, 200, 5).AdvanceTime(400);
    input.MouseMove(prior).AdvanceTime(300).MouseUp(prior, 200, 5);
    Application->ProcessMessages();
    // Clicks at 400; off the button from 500 to 900; back at 900, so 1000 and 1200; the
    // release off the button does not click.
    EXPECT_EQ(clicks, (std::vector<double>{400, 1000, 1200}));
}

TEST_F(NavTest, ButtonWithoutRepeatClicksOnceOnRelease)
{
    TRecordingNavigator* nav = MakeNav();
    std::vector<double> clicks;
    nav->OnClickNavigatorButton = [&](TObject*, TVNavigateBtn b) { clicks.push_back(Application->Now()); };
    TVNavButton* first = nav->Buttons(vnbFirst);
    input.MouseDown(first).AdvanceTime(1500).MouseUp(first);
    Application->ProcessMessages();
    EXPECT_EQ(clicks, (std::vector<double>{1500}));
    EXPECT_EQ(first->RepeatTimer(), nullptr);
    EXPECT_EQ(nav->Navigated, (std::vector<TRecordingNavigator::Call>{{1500, vnbFirst}}));
}

TEST_F(NavTest, RightButtonPressChangesNothing)
{
    TRecordingNavigator* nav = MakeNav();
    input.MouseDown(nav->Buttons(vnbNext), -1, -1, mbRight);
    Application->ProcessMessages();
    EXPECT_EQ(nav->FocusedButton(), vnbFirst);
    EXPECT_FALSE(nav->AutoRepeatTimer()->Enabled());
    EXPECT_FALSE(nav->DropDownTimer()->Enabled());
    input.MouseDown(nav->Buttons(vnbFilter), -1, -1, mbRight).AdvanceTime(1000);
    Application->ProcessMessages();
    EXPECT_TRUE(nav->FilterModify.empty());
    EXPECT_TRUE(nav->Navigated.empty());
}

TEST_F(NavTest, ClickThatRaisesStopsTheRepeat)
{
    TRecordingNavigator* nav = MakeNav();
    int clicks = 0;
    nav->OnClickNavigatorButton = [&](TObject*, TVNavigateBtn) {
        if (++clicks == 1)
            throw Exception("record is locked");
    };
    std::vector<std::string> errors;
    Application->OnException = [&](TObject*, const std::exception& e) { errors.push_back(e.what()); };
    TVNavButton* next = nav->Buttons(vnbNext);
    input.MouseDown(next).AdvanceTime(1000);
    Application->ProcessMessages();
    EXPECT_EQ(errors, std::vector<std::string>{"record is locked"});
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(next->RepeatTimer()->Enabled());
    Application->AdvanceClockTo(Application->Now() + 1000);
    EXPECT_EQ(clicks, 1);
}

TEST_F(NavTest, HeldFilterOpensItsBoxOnceWhileTheBoxIsShowing)
{
    TRecordingNavigator* nav = MakeNav();
    // The filter box is modal: its loop lets the clock run on while the mouse button is
    // still down.
    nav->InsideFilter = [&] { Application->AdvanceClockTo(Application->Now() + 2000); };
    TVNavButton* filter = nav->Buttons(vnbFilter);
    input.MouseDown(filter).AdvanceTime(3000).MouseUp(filter);
    Application->ProcessMessages();
    EXPECT_EQ(nav->FilterModify, (std::vector<double>{400}));
    // The release still clicks the button (it stays down: FILTER toggles).
    EXPECT_EQ(nav->Navigated, (std::vector<TRecordingNavigator::Call>{{3000, vnbFilter}}));
    EXPECT_TRUE(filter->Down());

    // A short click is only the FILTER button's own dispatch.
    nav->FilterModify.clear();
    input.MouseDown(filter).AdvanceTime(100).MouseUp(filter);
    Application->ProcessMessages();
    EXPECT_TRUE(nav->FilterModify.empty());
    EXPECT_EQ(nav->Navigated.back(), (TRecordingNavigator::Call{3100, vnbFilter}));
    EXPECT_FALSE(filter->Down());
}

TEST_F(NavTest, FreeStandingAndDockedWidths)
{
    TVandroDBNavigator* nav = MakeNav();
    nav->SetVisible(ClassicVisibleButtons);
    EXPECT_EQ(nav->VisibleCount(), 10);
    nav->SetWidth(205);
    EXPECT_EQ(nav->Width(), 200);
    EXPECT_EQ(nav->ButtonWidth(), 20);
    EXPECT_EQ(Widths(nav), std::vector<int>(10, 20));
    EXPECT_EQ(nav->Buttons(vnbLast)->Left(), 60);
    EXPECT_EQ(nav->Buttons(vnbFind)->Left(), nav->Width() + 1);

    form->SetClientWidth(205);
    nav->SetAlign(alTop);
    EXPECT_EQ(nav->Width(), 205);
    EXPECT_EQ(Widths(nav), (std::vector<int>{20, 21, 20, 21, 20, 21, 20, 21, 20, 21}));
    EXPECT_EQ(nav->Buttons(vnbRefresh)->Left(), 184);
}

TEST_F(NavTest, MinimumSizes)
{
    TVandroDBNavigator* nav = MakeNav();
    nav->SetBounds(0, 0, 10, 5);
    EXPECT_EQ(nav->Width(), 342);
    EXPECT_EQ(nav->Height(), 18);
    nav->SetVisible(TVButtonSet{});
    nav->SetBounds(0, 0, 1, 1);
    EXPECT_EQ(nav->Width(), 18);
    EXPECT_EQ(nav->Height(), 18);
}

TEST_F(NavTest, VerticalSwitches)
{
    TVandroDBNavigator* nav = MakeNav();
    nav->SetVisible(ClassicVisibleButtons);
    nav->SetBounds(0, 0, 320, 20);
    nav->SetVertical(true);
    EXPECT_EQ(nav->Width(), 20);
    EXPECT_EQ(nav->Height(), 320);
    EXPECT_EQ(nav->ButtonHeight(), 32);
    EXPECT_EQ(nav->Buttons(vnbPrior)->BoundsRect(), Bounds(0, 32, 20, 32));
    EXPECT_EQ(nav->Buttons(vnbRefresh)->BoundsRect(), Bounds(0, 288, 20, 32));
    // Hidden buttons wait just below the bottom edge (with the last row layout's width).
    EXPECT_EQ(nav->Buttons(vnbFind)->BoundsRect(), Bounds(0, 321, 32, 320));
    nav->SetVertical(true);
    EXPECT_EQ(nav->Width(), 20);
    EXPECT_EQ(nav->Height(), 320);
    // Back to a row: the row needs ten minimum widths, so the navigator widens to 180.
    nav->SetVertical(false);
    EXPECT_EQ(nav->Width(), 180);
    EXPECT_EQ(nav->Height(), 320);
    EXPECT_EQ(nav->Buttons(vnbPrior)->BoundsRect(), Bounds(18, 0, 18, 320));

    nav->SetVisible(InitialVisibleButtons);
    nav->SetBounds(0, 0, 342, 20);
    nav->SetVertical(true);
    EXPECT_EQ(nav->Width(), 20);
    EXPECT_EQ(nav->Height(), 342);
}

TEST_F(NavTest, ImageSizeLowersTheMinimumAndReloadsGlyphs)
{
    TVandroDBNavigator* nav = MakeNav();
    nav->SetButtonImageSize(bis10);
    EXPECT_EQ(nav->MinBtnSize(), (TPoint{10, 10}));
    EXPECT_EQ(nav->Buttons(vnbFirst)->Glyph().Width(), 20);
    EXPECT_EQ(nav->Buttons(vnbFirst)->Glyph().Height(), 7);
    nav->SetBounds(0, 0, 50, 5);
    EXPECT_EQ(nav->Width(), 190);
    EXPECT_EQ(nav->Height(), 10);
    nav->SetButtonImageSize(bis16);
    EXPECT_EQ(nav->MinBtnSize(), (TPoint{16, 16}));
    EXPECT_EQ(nav->Buttons(vnbDateTime)->Glyph().Width(), 32);
    EXPECT_EQ(nav->Width(), 304);
    EXPECT_EQ(nav->Height(), 16);
}

TEST_F(NavTest, PageRowsAndShortCutsPlaceholder)
{
    TVandroDBNavigator* nav = MakeNav();
    EXPECT_EQ(nav->PageRowsCount(), 9);
    nav->SetPageRows(-7);
    EXPECT_EQ(nav->PageRowsCount(), 6);
    nav->SetDesigning(true);
    EXPECT_EQ(nav->PageRowsCount(), 7);
    nav->SetShortCut("Ctrl+X");
    EXPECT_EQ(nav->ShortCuts(), "");
}

TEST_F(NavTest, FlatAndColourReachEveryButton)
{
    TVandroDBNavigator* nav = MakeNav();
    nav->SetFlatButtons(false);
    nav->SetButtonsColor(clRed);
    for (TVNavigateBtn b : AllNavButtons()) {
        EXPECT_FALSE(nav->Buttons(b)->Flat());
        EXPECT_EQ(nav->Buttons(b)->Color(), clRed);
    }
    EXPECT_EQ(nav->Color(), clRed);
}

TEST_F(NavTest, PaletteRegistration)
{
    Register();
    Register();
    const TPaletteEntry* e = FindPaletteEntry("TVandroDBNavigator");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->Page, "Korin");
    EXPECT_EQ(e->BitmapName, "TVANDRODBNAVIGATOR");
    EXPECT_EQ(std::count(PackageDescriptions().begin(), PackageDescriptions().end(),
                         "Korin - VandroDBNavigator, KStatusBar"),
              1);
    EXPECT_THROW(RegisterComponents("Korin", {"TNoSuchClass"}), ERegistryError);
}

TEST_F(NavTest, FormFileRoundTrip)
{
    Register();
    RegisterClass<TNavForm>("TNavForm");
    auto* nav = new TVandroDBNavigator(form);
    nav->Loaded();
    nav->SetName("Nav");
    form->SetName("NavForm");

    // A navigator with the nineteen buttons it starts with writes no VisibleButtons.
    std::string text = WriteComponentText(form);
    EXPECT_EQ(text.find("VisibleButtons"), std::string::npos) << text;

    nav->SetVisible(ClassicVisibleButtons);
    nav->SetVertical(true);
    nav->SetButtonImageSize(bis10);
    nav->SetPageRows(25);
    nav->SetConfirmDelete(true);
    text = WriteComponentText(form);
    EXPECT_NE(text.find("VisibleButtons = 16281"), std::string::npos) << text;
    EXPECT_EQ(text.find("ShortCuts"), std::string::npos) << text;
    EXPECT_NE(text.find("FindOptions.MultiCharPattern = '*'"), std::string::npos) << text;

    TOwned<TComponent> copy(CreateComponentFromText(text));
    auto* read = As<TVandroDBNavigator>(As<TComponent>(copy.get())->FindComponent("Nav"));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->VisibleButtons(), ClassicVisibleButtons);
    EXPECT_EQ(read->VisibleCount(), 10);
    EXPECT_TRUE(read->Vertical());
    EXPECT_EQ(read->ButtonImageSize(), bis10);
    EXPECT_EQ(read->StoredPageRows(), 25);
    EXPECT_TRUE(read->ConfirmDelete());
    EXPECT_EQ(read->Width(), nav->Width());
    EXPECT_EQ(read->Height(), nav->Height());
    EXPECT_EQ(read->Buttons(vnbRefresh)->BoundsRect(), nav->Buttons(vnbRefresh)->BoundsRect());
    EXPECT_EQ(WriteComponentText(copy.get()), text);
}

namespace {
int DifferingPixels(const TBitmap& A, const TBitmap& B)
{
    int n = 0;
    for (int y = 0; y < A.Height(); ++y)
        for (int x = 0; x < A.Width(); ++x)
            if (A.Pixels(x, y) != B.Pixels(x, y))
                ++n;
    return n;
}
std::unique_ptr<TBitmap> PaintButton(TControl* Button)
{
    auto bmp = std::make_unique<TBitmap>(Button->Width(), Button->Height());
    PaintControlAt(Button, bmp->Canvas(), 0, 0);
    return bmp;
}
} // namespace

TEST_F(NavTest, FocusRectangleOnlyUnderAllThreeConditions)
{
    TVandroDBNavigator* nav = MakeNav();
    auto* other = new TButton(form);
    other->SetParent(form);
    other->SetBounds(0, 100, 80, 25);
    nav->SetTabStop(true);
    TVNavButton* first = nav->Buttons(vnbFirst);
    auto plain = PaintButton(first);

    nav->SetFocus();
    ASSERT_TRUE(nav->Focused());
    // Focused navigator, focused button, but no nsFocusRect: nothing.
    EXPECT_EQ(DifferingPixels(*plain, *PaintButton(first)), 0);
    first->SetNavStyle(nsFocusRect);
    auto withRect = PaintButton(first);
    int changed = DifferingPixels(*plain, *withRect);
    EXPECT_GT(changed, 20);
    // The rectangle runs 3 pixels inside the edges.
    EXPECT_NE(plain->Pixels(first->Width() / 2, 3), withRect->Pixels(first->Width() / 2, 3));
    // Another focused button of the navigator, or the focus elsewhere: nothing.
    nav->SetFocusedButton(vnbLast);
    EXPECT_EQ(DifferingPixels(*plain, *PaintButton(first)), 0);
    nav->SetFocusedButton(vnbFirst);
    other->SetFocus();
    EXPECT_EQ(DifferingPixels(*plain, *PaintButton(first)), 0);
}

TEST_F(NavTest, PressTakesTheFocusOnlyWithTabStop)
{
    TVandroDBNavigator* nav = MakeNav();
    auto* other = new TButton(form);
    other->SetParent(form);
    other->SetBounds(0, 100, 80, 25);
    other->SetFocus();
    input.Click(nav->Buttons(vnbLast));
    Application->ProcessMessages();
    EXPECT_TRUE(other->Focused());
    EXPECT_EQ(nav->FocusedButton(), vnbLast);

    nav->SetTabStop(true);
    input.Click(nav->Buttons(vnbFirst));
    Application->ProcessMessages();
    EXPECT_TRUE(nav->Focused());
    // With the focus, a press on another button repaints the old and the new one.
    for (TVNavigateBtn b : AllNavButtons())
        nav->Buttons(b)->ClearNeedsPaint();
    input.MouseDown(nav->Buttons(vnbEdit));
    Application->ProcessMessages();
    EXPECT_TRUE(nav->Buttons(vnbFirst)->NeedsPaint());
    EXPECT_TRUE(nav->Buttons(vnbEdit)->NeedsPaint());
    EXPECT_FALSE(nav->Buttons(vnbLast)->NeedsPaint());
    input.MouseUp(nav->Buttons(vnbEdit));
    Application->ProcessMessages();
    // Losing the focus repaints the focused button (its focus rectangle goes).
    for (TVNavigateBtn b : AllNavButtons())
        nav->Buttons(b)->ClearNeedsPaint();
    other->SetFocus();
    EXPECT_TRUE(nav->Buttons(vnbEdit)->NeedsPaint());
    EXPECT_FALSE(nav->Buttons(vnbFirst)->NeedsPaint());
}

TEST_F(NavTest, PopupBesideAVerticalNavigatorNearTheRightEdge)
{
    form->SetBorderStyle(bsNone);
    form->SetBounds(0, 0, 300, 400);
    TVandroDBNavigator* nav = MakeNav();
    nav->SetVertical(true);
    nav->SetLeft(270);
    ASSERT_EQ(nav->Height(), 342);
    TOwned<TForm> box(new TForm(nullptr));
    box->SetBorderStyle(bsNone);
    TPoint origin = nav->ClientOrigin();
    box->SetBounds(origin.x, origin.y, 100, 50);
    nav->AdjustLeftTop(box.get());
    // 295 would overflow the form's right edge at 300: the box opens on the left side,
    // level with the FILTER button (the 16th of 19, 18 pixels each).
    EXPECT_EQ(box->Left(), 170);
    EXPECT_EQ(box->Top(), 270);

    nav->SetLeft(10);
    box->SetBounds(nav->ClientOrigin().x, nav->ClientOrigin().y, 100, 50);
    nav->AdjustLeftTop(box.get());
    EXPECT_EQ(box->Left(), 35);
}

TEST_F(NavTest, PopupUnderAHorizontalNavigatorTakesItsWidthAndStaysInside)
{
    form->SetBorderStyle(bsNone);
    form->SetBounds(0, 0, 400, 100);
    TVandroDBNavigator* nav = MakeNav();
    nav->SetTop(70);
    TOwned<TForm> box(new TForm(nullptr));
    box->SetBorderStyle(bsNone);
    box->SetBounds(nav->ClientOrigin().x, nav->ClientOrigin().y, 100, 50);
    nav->AdjustLeftTop(box.get());
    EXPECT_EQ(box->Width(), 342);
    EXPECT_EQ(box->Top(), 50);  // bottom edge on the form's bottom edge
}

TEST_F(NavTest, WindowCreationTurnsAVerticalNavigatorUpright)
{
    auto* nav = new TVandroDBNavigator(form);
    nav->SetLoading(true);
    nav->SetVertical(true);
    nav->SetBounds(0, 0, 342, 20);
    nav->Loaded();
    EXPECT_EQ(nav->Width(), 342);
    nav->RecreateWnd();
    nav->HandleNeeded();
    EXPECT_EQ(nav->Width(), 20);
    EXPECT_EQ(nav->Height(), 342);
}

TEST_F(NavTest, VerticalHeightsFreeStandingAndDocked)
{
    TVandroDBNavigator* nav = MakeNav();
    nav->SetVisible(ClassicVisibleButtons);
    nav->SetVertical(true);
    // Free-standing: the height shrinks to whole buttons.
    nav->SetBounds(0, 0, 20, 327);
    EXPECT_EQ(nav->Height(), 320);
    EXPECT_EQ(nav->ButtonHeight(), 32);
    EXPECT_EQ(nav->Buttons(vnbRefresh)->BoundsRect(), Bounds(0, 288, 20, 32));

    // Docked: the height stays, and the three spare pixels go one each to buttons spread
    // along the column.
    form->SetClientHeight(323);
    nav->SetAlign(alLeft);
    EXPECT_EQ(nav->Height(), 323);
    std::vector<int> heights, tops;
    for (TVNavigateBtn b : AllNavButtons())
        if (nav->Buttons(b)->Visible()) {
            heights.push_back(nav->Buttons(b)->Height());
            tops.push_back(nav->Buttons(b)->Top());
        }
    EXPECT_EQ(heights, (std::vector<int>{32, 33, 32, 32, 32, 33, 32, 32, 33, 32}));
    EXPECT_EQ(tops, (std::vector<int>{0, 32, 65, 97, 129, 161, 194, 226, 258, 291}));
    EXPECT_EQ(nav->Buttons(vnbRefresh)->Width(), nav->Width());
}
