#include "tests/capture/CaptureFixture.h"

#include <random>

using namespace korin;

namespace {

using RegistryTest = CaptureTest;

std::string Raised(const std::function<void()>& Fn)
{
    try {
        Fn();
    } catch (const Exception& e) {
        return e.Message();
    }
    return "(nothing)";
}

bool Hooked(TControl* Control, TVandroDBNavigator* Nav)
{
    auto& subs = Control->Subclasses();
    return Nav && std::count(subs.begin(), subs.end(), Nav->DBControls()->SubClass()) == 1;
}

}  // namespace

TEST_F(RegistryTest, SixLinksOneGridLinkAndOnlyTheRightEventsTaken)
{
    TDBGrid* grid = AddGrid(CustSrc, 10, 10);
    auto* ctrlGrid = new TDBCtrlGrid(Form.get());
    ctrlGrid->SetParent(Form.get());
    ctrlGrid->SetBounds(300, 10, 300, 240);
    ctrlGrid->SetDataSource(OrdSrc);
    TDBEdit* e1 = AddEdit(OrdSrc, "name", ctrlGrid->Panel());
    TDBEdit* e2 = AddEdit(OrdSrc, "qty", ctrlGrid->Panel());
    auto* lookup = new TDBLookupComboBox(Form.get());
    lookup->SetParent(Form.get());
    lookup->SetBounds(10, 300, 120, 24);
    lookup->SetDataSource(OrdSrc);
    lookup->SetDataField("cust");

    // The application's own handlers, set before loading.
    std::vector<std::string> calls;
    auto keyHandler = [&](const char* who) {
        return [&calls, who](TObject*, std::uint16_t& Key, TShiftState) { calls.push_back(std::string(who) + ":" + std::to_string(Key)); };
    };
    lookup->OnKeyDown = keyHandler("lookup");
    e1->OnKeyDown = keyHandler("edit");
    grid->OnKeyDown = keyHandler("grid");
    grid->OnColEnter = [&](TObject* Sender) { calls.push_back(Sender == grid ? "colenter" : "colenter?"); };
    lookup->OnKeyPress = [&](TObject*, char32_t& Key) { calls.push_back("press:" + std::to_string(Key)); };

    MakeNav();
    TDBControlsList* reg = Nav->DBControls();
    ASSERT_EQ(reg->Count(), 6);
    std::vector<TWinControl*> order;
    int gridLinks = 0;
    for (int i = 0; i < reg->Count(); ++i) {
        order.push_back(reg->Controls(i));
        gridLinks += Is<TGridControlLink>(reg->Items(i)) ? 1 : 0;
        EXPECT_TRUE(reg->Items(i)->Captured());
        EXPECT_TRUE(Hooked(reg->Controls(i), Nav));
    }
    // Depth first in z-order: the control grid, its panel, then the panel's edits.
    EXPECT_EQ(order, (std::vector<TWinControl*>{grid, ctrlGrid, ctrlGrid->Panel(), e1, e2, lookup}));
    EXPECT_EQ(gridLinks, 1);
    EXPECT_EQ(reg->IndexOfControl(lookup), 5);
    EXPECT_EQ(reg->Controls(6), nullptr);
    EXPECT_EQ(reg->Controls(-1), nullptr);

    // Ctrl+R (REFRESH) through each control's OnKeyDown: only the lookup combo box's
    // handler is the navigator's, which swallows the shortcut; the edit and the grid still
    // have the application's own.
    for (TWinControl* c : std::vector<TWinControl*>{lookup, e1, grid}) {
        std::uint16_t key = 'R';
        c->OnKeyDown(c, key, ssCtrl);
    }
    EXPECT_EQ(calls, (std::vector<std::string>{"edit:82", "grid:82"}));
    calls.clear();
    // A plain key reaches the application's handler through the navigator.
    std::uint16_t key = 'A';
    lookup->OnKeyDown(lookup, key, 0);
    char32_t ch = U'a';
    lookup->OnKeyPress(lookup, ch);
    // Only the data-aware grid's OnColEnter is the navigator's: it makes the grid current.
    grid->OnColEnter(grid);
    EXPECT_EQ(calls, (std::vector<std::string>{"lookup:65", "press:97", "colenter"}));
    EXPECT_EQ(Nav->CurrentControl, grid);

    // Rebuilding captures again on top of the application's handlers, not of the
    // navigator's: each still runs exactly once.
    Nav->ReInitialize();
    ASSERT_EQ(Nav->DBControls()->Count(), 6);
    calls.clear();
    lookup->OnKeyDown(lookup, key, 0);
    grid->OnColEnter(grid);
    EXPECT_EQ(calls, (std::vector<std::string>{"lookup:65", "colenter"}));
    EXPECT_EQ(lookup->Subclasses().size(), 1u);

    // Freeing the navigator gives everything back: the shortcut now reaches the
    // application's handler, and no message passes a hook any more.
    Nav->Free();
    Nav = nullptr;
    calls.clear();
    key = 'R';
    lookup->OnKeyDown(lookup, key, ssCtrl);
    grid->OnColEnter(grid);
    EXPECT_EQ(calls, (std::vector<std::string>{"lookup:82", "colenter"}));
    for (TWinControl* c : order)
        EXPECT_TRUE(c->Subclasses().empty());
}

TEST_F(RegistryTest, ConstructorRefusalsAddNothing)
{
    MakeNav();
    TDBControlsList* reg = Nav->DBControls();
    TDBEdit* edit = AddEdit(CustSrc, "name");
    EXPECT_EQ(Raised([&] { TWinControlLink link(nullptr, reg); }), "Control is NIL.");
    EXPECT_EQ(Raised([&] { TWinControlLink link(edit, nullptr); }), "Owner is NIL.");
    EXPECT_EQ(Raised([&] { TGridControlLink link(edit, reg); }), "Control must be TCustomDBGrid");
    EXPECT_EQ(Raised([&] { TGridControlLink link(nullptr, nullptr); }), "Control must be TCustomDBGrid");
    EXPECT_EQ(Raised([&] { TDBControlsList list(nullptr); }), "Navigator is NIL.");
    EXPECT_EQ(Raised([&] { TDefaultControlList list(nullptr); }), "Navigator is NIL.");
    EXPECT_EQ(Raised([&] { reg->AddDBControl(nullptr, true); }), "Control is NIL.");
    EXPECT_EQ(reg->Count(), 0);
    EXPECT_EQ(reg->RemoveDBControl(edit), -1);
    EXPECT_TRUE(edit->Subclasses().empty());
}

TEST_F(RegistryTest, HandlersSetAfterLoadingAreOverwrittenOnRelease)
{
    auto* combo = new TDBComboBox(Form.get());
    combo->SetParent(Form.get());
    combo->SetDataSource(CustSrc);
    combo->SetDataField("city");
    int before = 0, after = 0;
    combo->OnKeyDown = [&](TObject*, std::uint16_t&, TShiftState) { ++before; };
    MakeNav();
    combo->OnKeyDown = [&](TObject*, std::uint16_t&, TShiftState) { ++after; };
    Nav->LoadDBControls();  // uncaptures (putting back the saved handler), then captures
    std::uint16_t key = 'A';
    combo->OnKeyDown(combo, key, 0);
    EXPECT_EQ(before, 1);
    EXPECT_EQ(after, 0);
}

TEST_F(RegistryTest, DestroyedControlsLeaveAndLateControlsWaitForReInitialize)
{
    TDBEdit* a = AddEdit(CustSrc, "name");
    TDBEdit* b = AddEdit(CustSrc, "city");
    MakeNav();
    ASSERT_EQ(Nav->DefaultControls()->Count(), 1);
    EXPECT_EQ(Nav->DefaultControls()->Items(0)->Control, a);
    Focus(a);
    EXPECT_EQ(Nav->CurrentControl, a);

    a->Free();
    EXPECT_EQ(Nav->DBControls()->Count(), 1);
    EXPECT_EQ(Nav->DBControls()->Controls(0), b);
    EXPECT_EQ(Nav->DefaultControls()->Items(0)->Control, nullptr);
    EXPECT_EQ(Nav->CurrentControl, nullptr);
    EXPECT_EQ(Nav->CurrentField, nullptr);

    // A control deleted without Free() is dropped too, without being touched.
    TDBEdit* c = AddEdit(CustSrc, "joined");
    Nav->ReInitialize();
    ASSERT_EQ(Nav->DBControls()->Count(), 2);
    delete c;
    EXPECT_EQ(Nav->DBControls()->Count(), 1);

    TDBEdit* late = AddEdit(OrdSrc, "name");
    EXPECT_EQ(Nav->DBControls()->IndexOfControl(late), -1);
    Focus(late);
    EXPECT_NE(Nav->DataSource(), OrdSrc);
    Nav->ReInitialize();
    EXPECT_EQ(Nav->DBControls()->IndexOfControl(late), 1);
    Focus(b);
    Focus(late);
    EXPECT_EQ(Nav->DataSource(), OrdSrc);
}

TEST_F(RegistryTest, FieldLookupsKeepToTheFieldsDataset)
{
    // Both tables have "name": the customer edit comes first in the registry.
    TDBEdit* custName = AddEdit(CustSrc, "name");
    TDBEdit* ordName = AddEdit(OrdSrc, "NAME");
    MakeNav();
    EXPECT_EQ(Nav->FindControlWithDataField(Ord->FieldByName("name")), ordName);
    EXPECT_EQ(Nav->FindControlWithDataField(Cust->FieldByName("name")), custName);
    EXPECT_EQ(Nav->FindControlWithDataField(Ord->FieldByName("qty")), nullptr);
    EXPECT_EQ(Nav->FindControlWithDataField(nullptr), nullptr);

    auto* ctrlGrid = new TDBCtrlGrid(Form.get());
    ctrlGrid->SetParent(Form.get());
    ctrlGrid->SetDataSource(OrdSrc);
    TDBEdit* first = AddEdit(OrdSrc, "qty", ctrlGrid->Panel());
    TDBEdit* second = AddEdit(OrdSrc, "Qty", ctrlGrid->Panel());
    // Children are looked at from the last; they need not be captured, and the field's
    // dataset is not compared.
    EXPECT_EQ(Nav->FindInParentControlWithDataField(ctrlGrid->Panel(), Ord->FieldByName("qty")), second);
    EXPECT_EQ(Nav->FindInParentControlWithDataField(ctrlGrid->Panel(), Cust->FieldByName("name")), nullptr);
    EXPECT_EQ(Nav->FindInParentControlWithDataField(nullptr, Ord->FieldByName("qty")), nullptr);
    EXPECT_NE(first, second);
}

TEST_F(RegistryTest, LoadingSetsTheButtonsFromTheDataSource)
{
    MakeNav();
    // No data source: every button off, and the enabled set says so.
    EXPECT_TRUE(Nav->EnabledButtons().Empty());
    for (TVNavigateBtn b : AllNavButtons())
        EXPECT_FALSE(Nav->Buttons(b)->Enabled()) << korin::Ord(b);
    Cust->Close();
    Nav->SetDataSource(CustSrc);
    input.Click(Nav->Buttons(vnbFirst));
    EXPECT_NO_THROW(Run());
    EXPECT_FALSE(Cust->Active());

    Cust->Open();
    Nav->SetEnabledButtons(TVButtonSet{vnbDateTime});
    Nav->ReInitialize();
    for (TVNavigateBtn b : AllNavButtons())
        EXPECT_EQ(Nav->Buttons(b)->Enabled(), Nav->EnabledButtons().Contains(b)) << korin::Ord(b);
    EXPECT_FALSE(Nav->EnabledButtons().Contains(vnbDateTime));
    EXPECT_TRUE(Nav->EnabledButtons().Contains(vnbNext));
}

// Controls come and go, the navigator captures, rebuilds and is freed and made again, in
// a seeded random order; after every step each live control is hooked exactly when it is
// in the live navigator's registry, and its handlers behave as the application's own
// (or as the navigator's, for captured combo boxes).
TEST_F(RegistryTest, RandomLifecyclesNeverLeaveAStaleHandlerOrRoute)
{
    std::mt19937 rng(20261206);
    struct Live {
        TWinControl* Control;
        int Keys = 0;
        int Cols = 0;
    };
    std::vector<std::unique_ptr<Live>> live;
    auto add = [&](int kind) {
        TWinControl* c = nullptr;
        TDataSource* src = rng() % 2 ? CustSrc : OrdSrc;
        if (kind == 0) {
            c = AddEdit(src, "name");
        } else if (kind == 1) {
            auto* combo = new TDBComboBox(Form.get());
            combo->SetParent(Form.get());
            combo->SetDataSource(src);
            combo->SetDataField("name");
            c = combo;
        } else {
            c = AddGrid(src, 10, 10, 100, 80);
        }
        auto entry = std::make_unique<Live>();
        Live* l = entry.get();
        l->Control = c;
        c->OnKeyDown = [l](TObject* Sender, std::uint16_t&, TShiftState) { l->Keys += Sender == l->Control ? 1 : 100; };
        if (auto* g = As<TDBGrid>(c))
            g->OnColEnter = [l](TObject* Sender) { l->Cols += Sender == l->Control ? 1 : 100; };
        live.push_back(std::move(entry));
    };
    auto check = [&](int step) {
        for (auto& l : live) {
            TWinControl* c = l->Control;
            bool inRegistry = Nav && Nav->DBControls()->IndexOfControl(c) >= 0;
            ASSERT_EQ(Hooked(c, Nav), inRegistry) << "step " << step;
            if (!inRegistry)
                ASSERT_TRUE(c->Subclasses().empty()) << "step " << step;
            // Ctrl+R: swallowed by the navigator in a captured combo box, else the
            // application's handler runs once.
            int keys = l->Keys;
            std::uint16_t key = 'R';
            c->OnKeyDown(c, key, ssCtrl);
            bool swallowed = inRegistry && IsACustomControl(c);
            ASSERT_EQ(l->Keys, keys + (swallowed ? 0 : 1)) << "step " << step;
            if (auto* g = As<TDBGrid>(c)) {
                int cols = l->Cols;
                g->OnColEnter(g);
                ASSERT_EQ(l->Cols, cols + 1) << "step " << step;
                if (inRegistry)
                    ASSERT_EQ(Nav->CurrentControl, g) << "step " << step;
            }
        }
        if (Nav)
            for (int i = 0; i < Nav->DBControls()->Count(); ++i)
                ASSERT_NE(Nav->DBControls()->Controls(i), nullptr);
    };

    int navsMade = 0, freed = 0;
    for (int step = 0; step < 1200; ++step) {
        int op = static_cast<int>(rng() % 10);
        if (op <= 2 && live.size() < 12) {
            add(static_cast<int>(rng() % 3));
        } else if (op <= 4 && !live.empty()) {
            size_t i = rng() % live.size();
            TWinControl* c = live[i]->Control;
            live.erase(live.begin() + static_cast<std::ptrdiff_t>(i));
            c->Free();
            ++freed;
        } else if (op <= 6) {
            if (!Nav) {
                MakeNav();
                ++navsMade;
            } else {
                Nav->ReInitialize();
            }
        } else if (op == 7 && Nav) {
            Nav->Free();
            Nav = nullptr;
        } else if (op == 8 && !live.empty()) {
            Focus(live[rng() % live.size()]->Control);
        } else if (Nav && !live.empty()) {
            // A captured control moved elsewhere and back is still the same control.
            TWinControl* c = live[rng() % live.size()]->Control;
            Nav->DBControls()->RemoveDBControl(c);
        }
        check(step);
        if (HasFatalFailure())
            return;
    }
    EXPECT_GT(navsMade, 10);
    EXPECT_GT(freed, 100);
    if (Nav)
        Nav->Free();
    Nav = nullptr;
    check(-1);
}
