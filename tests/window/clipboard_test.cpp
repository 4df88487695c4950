// Cut, copy and paste through the desktop's clipboard (SDL2, off-screen driver): what an
// edit, a memo, a data edit and a grid's editor put there is what SDL hands other
// programs, and what another program put there is what they paste.
#include <sqlite3.h>

#include "korin/platform/db/DBTables.h"
#include "korin/platform/dbctrls/DBCtrls.h"
#include "korin/platform/dbctrls/DBGrids.h"
#include "korin/platform/gui/Clipboard.h"
#include "korin/platform/gui/StdCtrls.h"
#include "tests/support/TempDir.h"
#include "tests/window/WindowFixture.h"

#ifdef KORIN_HAVE_SDL2
#include <SDL.h>
#endif

using namespace korin;

namespace {

#ifdef KORIN_HAVE_SDL2
std::string Desktop()
{
    char* s = SDL_GetClipboardText();
    std::string out = s ? s : "";
    SDL_free(s);
    return out;
}
#endif

class SystemClipboard : public SdlWindowTest {
protected:
    template <class T>
    T* Add(int Top)
    {
        auto* c = new T(Form.get());
        c->SetParent(Form.get());
        c->SetBounds(10, Top, 200, 24);
        return c;
    }
    void Run() { Application->ProcessMessages(); }
};

#ifdef KORIN_HAVE_SDL2
TEST_F(SystemClipboard, EditAndMemoRoundTripThroughTheDesktop)
{
    Form.reset(new TForm(nullptr));
    auto* edit = Add<TEdit>(10);
    auto* memo = Add<TMemo>(40);
    memo->SetHeight(80);
    Form->Show();
    edit->SetFocus();
    input.Type("Grüße").Key(VK_HOME, ssShift).Key('C', ssCtrl);
    Run();
    EXPECT_EQ(Desktop(), "Grüße");
    EXPECT_EQ(Clipboard().AsText(), "Grüße");

    // Another program copies two lines; the memo pastes them with Shift+Ins.
    SDL_SetClipboardText("first\r\nsecond");
    memo->SetFocus();
    input.Key(VK_INSERT, ssShift);
    Run();
    EXPECT_EQ(memo->Lines(), (std::vector<std::string>{"first", "second"}));
    // Shift+Del cuts the selection to the desktop; Ctrl+Ins copies.
    input.Key(VK_HOME).Key(VK_END, ssShift).Key(VK_DELETE, ssShift);
    Run();
    EXPECT_EQ(Desktop(), "second");
    EXPECT_EQ(memo->Lines(), (std::vector<std::string>{"first", ""}));
    input.Key(VK_UP).Key(VK_HOME).Key(VK_END, ssShift).Key(VK_INSERT, ssCtrl);
    Run();
    EXPECT_EQ(Desktop(), "first");
    // Ctrl+X and Ctrl+V in the edit.
    edit->SetFocus();
    input.Key(VK_HOME).Key(VK_RIGHT, ssShift).Key(VK_RIGHT, ssShift).Key('X', ssCtrl).Key(VK_END).Key('V', ssCtrl);
    Run();
    EXPECT_EQ(Desktop(), "Gr");
    EXPECT_EQ(edit->Text(), "üßeGr");
}

TEST_F(SystemClipboard, DataEditAndGridEditorCutAndPaste)
{
    TTempDir dir;
    std::string path = dir.File("c.db");
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_exec(db, "CREATE TABLE t(id INTEGER PRIMARY KEY, name TEXT); INSERT INTO t VALUES (1,'Anna'),(2,'Bert');",
                 nullptr, nullptr, nullptr);
    sqlite3_close(db);
    Form.reset(new TForm(nullptr));
    Form->SetClientWidth(400);
    Form->SetClientHeight(200);
    auto* table = new TTable(Form.get());
    table->SetDatabaseName(path);
    table->SetTableName("t");
    auto* source = new TDataSource(Form.get());
    source->SetDataSet(table);
    auto* edit = Add<TDBEdit>(10);
    edit->SetDataSource(source);
    edit->SetDataField("name");
    auto* grid = Add<TDBGrid>(40);
    grid->SetHeight(120);
    grid->SetDataSource(source);
    table->Open();
    Form->Show();

    edit->SetFocus();
    input.Key(VK_HOME).Key(VK_END, ssShift).Key('X', ssCtrl);
    Run();
    EXPECT_EQ(Desktop(), "Anna");
    EXPECT_EQ(edit->Text(), "");
    EXPECT_EQ(table->State(), dsEdit);
    input.Key('V', ssCtrl).Key('V', ssCtrl);
    Run();
    EXPECT_EQ(edit->Text(), "AnnaAnna");
    table->Post();

    // The grid's editor on the name column of the second record.
    grid->SetFocus();
    input.Key(VK_DOWN).Key(VK_RIGHT).Key(VK_F1 + 1);
    Run();
    ASSERT_TRUE(grid->EditorMode());
    input.Key(VK_HOME).Key(VK_END, ssShift).Key('C', ssCtrl);
    Run();
    EXPECT_EQ(Desktop(), "Bert");
    SDL_SetClipboardText("Carl");
    input.Key(VK_HOME).Key(VK_END, ssShift).Key('V', ssCtrl).Key(VK_RETURN);
    Run();
    EXPECT_EQ(table->FieldByName("name")->AsString(), "Carl");
}
#endif

}  // namespace
