// The window shows what RenderWindow draws, pixel for pixel: one form with every standard
// and data-aware control, the navigator and a status bar, through the SDL2 backend; and
// the backend repaints and copies to the screen only what changed.
#include <sqlite3.h>

#include "korin/nav/Vdbnav.h"
#include "korin/platform/db/DBTables.h"
#include "korin/platform/dbctrls/DBCGrids.h"
#include "korin/platform/dbctrls/DBCtrls.h"
#include "korin/platform/dbctrls/DBGrids.h"
#include "korin/platform/dbctrls/KCtrls.h"
#include "korin/platform/gui/Buttons.h"
#include "korin/platform/gui/ComCtrls.h"
#include "korin/platform/gui/ExtCtrls.h"
#include "korin/platform/gui/Keyboard.h"
#include "korin/platform/gui/StdCtrls.h"
#include "korin/statusbar/Statbar.h"
#include "tests/support/TempDir.h"
#include "tests/window/WindowFixture.h"

using namespace korin;

namespace {

class OneDrawingPath : public SdlWindowTest {
protected:
    template <class T>
    T* Place(TWinControl* Parent, int L, int T0, int W, int H)
    {
        auto* c = new T(Form.get());
        c->SetParent(Parent);
        c->SetBounds(L, T0, W, H);
        return c;
    }
    template <class T>
    T* PlaceData(TWinControl* Parent, const char* Field, int L, int T0, int W, int H)
    {
        T* c = Place<T>(Parent, L, T0, W, H);
        c->SetDataSource(Source);
        c->SetDataField(Field);
        return c;
    }

    void BuildForm()
    {
        std::string path = Dir.File("shop.db");
        sqlite3* db = nullptr;
        sqlite3_open(path.c_str(), &db);
        sqlite3_exec(db,
                     "CREATE TABLE kinds(id INTEGER PRIMARY KEY, kname TEXT);"
                     "INSERT INTO kinds VALUES (1,'Tea'),(2,'Coffee'),(3,'Cocoa');"
                     "CREATE TABLE goods(id INTEGER PRIMARY KEY, name TEXT, qty INTEGER, fresh BOOLEAN,"
                     " notes MEMO, size TEXT, kind INTEGER);"
                     "INSERT INTO goods VALUES (1,'Assam',12,1,'strong\nmalty','M',1),"
                     "(2,'Mocha',5,0,'from Yemen','L',2),(3,'Criollo',0,1,'','S',3);",
                     nullptr, nullptr, nullptr);
        sqlite3_close(db);

        Form.reset(new TForm(nullptr));
        Form->SetCaption("Every control");
        Form->SetClientWidth(760);
        Form->SetClientHeight(520);
        auto* goods = new TTable(Form.get());
        goods->SetDatabaseName(path);
        goods->SetTableName("goods");
        Source = new TDataSource(Form.get());
        Source->SetDataSet(goods);
        auto* kinds = new TTable(Form.get());
        kinds->SetDatabaseName(path);
        kinds->SetTableName("kinds");
        auto* kindSource = new TDataSource(Form.get());
        kindSource->SetDataSet(kinds);

        TForm* f = Form.get();
        Place<TLabel>(f, 8, 8, 60, 16)->SetCaption("&Name:");
        Place<TEdit>(f, 70, 6, 150, 22)->SetText("Smith & Sons");
        auto* combo = Place<TComboBox>(f, 70, 32, 150, 22);
        combo->SetItems({"Browse", "Edit"});
        combo->SetItemIndex(1);
        Place<TMemo>(f, 8, 58, 212, 48)->SetLines({"A memo", "two lines"});
        auto* list = Place<TListBox>(f, 8, 110, 100, 56);
        list->SetItems({"One", "Two", "Three"});
        list->SetItemIndex(1);
        auto* group = Place<TGroupBox>(f, 112, 108, 108, 80);
        group->SetCaption("Options");
        auto* check = Place<TCheckBox>(group, 6, 16, 96, 18);
        check->SetCaption("Case");
        check->SetChecked(true);
        auto* r1 = Place<TRadioButton>(group, 6, 36, 96, 18);
        r1->SetCaption("Wildcards");
        r1->SetChecked(true);
        Place<TRadioButton>(group, 6, 56, 96, 18)->SetCaption("Exact");
        auto* panel = Place<TPanel>(f, 8, 192, 212, 30);
        panel->SetCaption("TPanel");
        Place<TBevel>(f, 8, 226, 212, 4)->SetShape(TBevelShape::bsTopLine);
        auto* speed = Place<TSpeedButton>(f, 8, 234, 26, 26);
        speed->Glyph().LoadFromResourceName("DBN_16_FILTER");
        speed->SetNumGlyphs(2);
        Place<THotKey>(f, 40, 236, 180, 22)->SetHotKey(TextToShortCut("Shift+Ctrl+D"));
        Place<TProgressBar>(f, 8, 264, 212, 16)->SetPosition(60);
        Place<TBitBtn>(f, 8, 286, 100, 27)->SetKind(TBitBtnKind::bkOK);
        auto* button = Place<TButton>(f, 120, 286, 100, 27);
        button->SetCaption("Default");
        button->SetDefault(true);

        auto* name = PlaceData<TDBEdit>(f, "name", 240, 6, 120, 22);
        PlaceData<TDBSpinEdit>(f, "qty", 240, 32, 120, 22);
        PlaceData<TDBCheckBox>(f, "fresh", 240, 58, 120, 18)->SetCaption("Fresh");
        PlaceData<TDBMemo>(f, "notes", 240, 80, 120, 48);
        auto* dbList = PlaceData<TDBListBox>(f, "size", 240, 132, 120, 50);
        dbList->SetItems({"S", "M", "L"});
        auto* radios = PlaceData<TDBRadioGroup>(f, "size", 370, 6, 120, 90);
        radios->SetName("Radios");
        radios->SetCaption("Size");
        radios->SetItems({"Small", "Medium", "Large"});
        radios->SetValues({"S", "M", "L"});
        auto* dbCombo = PlaceData<TDBComboBox>(f, "size", 370, 100, 120, 22);
        dbCombo->SetItems({"S", "M", "L"});
        auto* kCombo = PlaceData<TKDBComboBox>(f, "size", 370, 126, 120, 22);
        kCombo->SetItems({"S", "M", "L"});
        auto* lookupList = PlaceData<TDBLookupListBox>(f, "kind", 500, 6, 120, 56);
        lookupList->SetListSource(kindSource);
        lookupList->SetKeyField("id");
        lookupList->SetListField("kname");
        auto* lookupCombo = PlaceData<TDBLookupComboBox>(f, "kind", 500, 66, 120, 22);
        lookupCombo->SetListSource(kindSource);
        lookupCombo->SetKeyField("id");
        lookupCombo->SetListField("kname");
        PlaceData<TDBImage>(f, "notes", 630, 6, 120, 80);
        auto* grid = Place<TDBGrid>(f, 240, 190, 250, 110);
        grid->SetDataSource(Source);
        auto* kGrid = Place<TDBKGrid>(f, 500, 100, 250, 110);
        kGrid->SetDataSource(kindSource);
        auto* ctrlGrid = Place<TDBCtrlGrid>(f, 500, 220, 250, 120);
        ctrlGrid->SetDataSource(Source);
        ctrlGrid->SetRowCount(3);
        auto* inPanel = new TDBEdit(Form.get());
        inPanel->SetParent(ctrlGrid->Panel());
        inPanel->SetBounds(4, 4, 100, 22);
        inPanel->SetDataSource(Source);
        inPanel->SetDataField("name");

        Nav = new TVandroDBNavigator(Form.get());
        Nav->SetParent(f);
        Nav->SetBounds(8, 350, 480, 25);
        Nav->SetDataSource(Source);
        Bar = new TKStatusBar(Form.get());
        Bar->SetParent(f);
        Text = Bar->Panels()->Add();
        Text->SetWidth(200);
        Text->SetText("Ready");
        Sweep = Bar->Panels()->Add();
        Sweep->SetStyle(psProgress);
        Sweep->SetWidth(150);
        Sweep->SetMax(100);
        Sweep->SetPosition(30);
        Bar->Panels()->Add()->SetText("third");

        goods->Open();
        kinds->Open();
        Form->Show();
        name->SetFocus();
    }

    // Lets the window system's events (shown, exposed) arrive and be painted.
    void Settle()
    {
        for (int i = 0; i < 3; ++i) {
            Application->ProcessMessages();
            Sdl->PaintWindows();
        }
    }

    TTempDir Dir;
    TDataSource* Source = nullptr;
    TVandroDBNavigator* Nav = nullptr;
    TKStatusBar* Bar = nullptr;
    TKStatusPanel* Text = nullptr;
    TKStatusPanel* Sweep = nullptr;
};

TEST_F(OneDrawingPath, TheWindowShowsEveryPixelRenderWindowDraws)
{
    BuildForm();
    Settle();
    int fullRenders = Sdl->PaintStats(Form.get()).FullRenders;
    auto shown = Sdl->WindowImage(Form.get());
    ASSERT_TRUE(shown);
    auto drawn = RenderWindow(Form.get(), false);
    EXPECT_EQ(FirstDifference(*shown, *drawn), "");
    // A picture with the frame shows the same client area.
    auto framed = RenderWindow(Form.get(), true);
    int inset = Form->FrameWidth();
    EXPECT_EQ(FirstDifference(*shown, *framed, inset, inset + Form->CaptionHeight()), "");

    // After typing, moving and changing the bar only the changed parts are repainted,
    // and the window still matches a whole render.
    input.Key(VK_END).Type("x").Key(VK_TAB);
    Application->ProcessMessages();
    Text->SetText("Edited");
    Sdl->PaintWindows();
    shown = Sdl->WindowImage(Form.get());
    drawn = RenderWindow(Form.get(), false);
    EXPECT_EQ(FirstDifference(*shown, *drawn), "");
    EXPECT_EQ(Sdl->PaintStats(Form.get()).FullRenders, fullRenders);
}

TEST_F(OneDrawingPath, RadioCaptionsHaveNoBoxBehindThem)
{
    BuildForm();
    Settle();
    auto shown = Sdl->WindowImage(Form.get());
    TControl* radios = Form->FindComponent("Radios") ? static_cast<TControl*>(Form->FindComponent("Radios")) : nullptr;
    ASSERT_TRUE(radios);
    // White belongs to the marks' circles only (12 pixels wide at the items' left); the
    // captions start 16 pixels on, on the group's own background.
    TColor white = ColorToRGB(clWindow);
    int firstWhite = -1, whiteBeyondMarks = 0;
    for (int x = radios->Left(); x < radios->Left() + radios->Width() - 3; ++x)  // not the frame
        for (int y = radios->Top() + 12; y < radios->Top() + radios->Height() - 2; ++y)
            if (shown->Pixels(x, y) == white) {
                if (firstWhite < 0)
                    firstWhite = x;
                else if (x >= firstWhite + 13)
                    ++whiteBeyondMarks;
            }
    EXPECT_GE(firstWhite, 0);
    EXPECT_EQ(whiteBeyondMarks, 0);
}

TEST_F(OneDrawingPath, AChangedPanelIsTheOnlyRectangleCopiedAndNoChangeCopiesNothing)
{
    BuildForm();
    Settle();
    auto before = Sdl->PaintStats(Form.get());

    Sweep->SetPosition(70);
    Sdl->PaintWindows();
    auto after = Sdl->PaintStats(Form.get());
    TRect part;
    ASSERT_TRUE(Bar->GetPartRect(1, part));
    OffsetRect(part, Bar->Left(), Bar->Top());
    EXPECT_EQ(after.Presents, before.Presents + 1);
    EXPECT_EQ(after.LastPresented, part);
    EXPECT_EQ(after.FullRenders, before.FullRenders);
    auto drawn = RenderWindow(Form.get(), false);
    auto shown = Sdl->WindowImage(Form.get());
    EXPECT_EQ(FirstDifference(*shown, *drawn), "");

    // Nothing marked: nothing painted. Marked but the same pixels: nothing copied.
    Sdl->PaintWindows();
    EXPECT_EQ(Sdl->PaintStats(Form.get()).AreaRenders, after.AreaRenders);
    Text->SetText("Ready");
    Bar->Invalidate();
    Sdl->PaintWindows();
    EXPECT_EQ(Sdl->PaintStats(Form.get()).AreaRenders, after.AreaRenders + 1);
    EXPECT_EQ(Sdl->PaintStats(Form.get()).Presents, after.Presents);
}

TEST_F(OneDrawingPath, ScriptedInputPlaysInAWindow)
{
    BuildForm();
    TKStatusPanel* text = Text;
    input.Type("zz").Key(VK_ESCAPE).Call([text] { text->SetText("typed"); });
    Application->ProcessMessages();
    EXPECT_EQ(Text->Text(), "typed");
    EXPECT_EQ(Sdl->PendingInput(), 0);
    auto shown = Sdl->WindowImage(Form.get());
    Sdl->PaintWindows();
    shown = Sdl->WindowImage(Form.get());
    EXPECT_EQ(FirstDifference(*shown, *RenderWindow(Form.get(), false)), "");
}

}  // namespace
