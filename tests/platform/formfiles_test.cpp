#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "korin/platform/core/Component.h"
#include "korin/platform/core/FormFiles.h"
#include "korin/platform/core/Resources.h"
#include "korin/platform/core/TypInfo.h"

using namespace korin;

namespace {

std::vector<std::string> g_loaded;

using TTestKeyEvent = std::function<void(TObject* Sender, std::uint16_t& Key, std::uint32_t Shift)>;

enum class TTestFontStyle { fsBold, fsItalic, fsUnderline };
enum class TTestAlign { alNone, alTop, alClient };
enum class TTestPanelStyle { psText, psClock };
enum TTestNavButton { nbFirst, nbPrior, nbNext, nbLast };

class TTestFont : public TObject {
public:
    std::string Name = "DejaVu Sans";
    int Height = -11;
    std::uint64_t Style = 0;
    int Color = 0;
};

class TTestPanelItem : public TObject {
public:
    int Width = 50;
    std::string Text;
    TTestPanelStyle Style = TTestPanelStyle::psText;
};

class TTestSource : public TComponent {
public:
    using TComponent::TComponent;
    bool Enabled = true;
    void Loaded() override
    {
        TComponent::Loaded();
        g_loaded.push_back(Name());
    }
};

// A control sits on a parent control; the parent writes the children it holds.
class TTestControl : public TComponent {
public:
    explicit TTestControl(TComponent* AOwner) : TComponent(AOwner) {}
    ~TTestControl() override
    {
        for (TTestControl* c : FControls)
            c->FParent = nullptr;
        SetParent(nullptr);
    }

    int Left = 0, Top = 0, Width = 0, Height = 0;
    std::string Caption;
    bool Visible = true;
    TTestAlign Align = TTestAlign::alNone;
    TTestFont Font;
    TNotifyEvent OnClick;
    bool LoadingSeenByLoaded = false;

    TTestControl* Parent() const { return FParent; }
    void SetParent(TTestControl* P)
    {
        if (FParent)
            FParent->FControls.erase(std::find(FParent->FControls.begin(), FParent->FControls.end(), this));
        FParent = P;
        if (P)
            P->FControls.push_back(this);
    }
    const std::vector<TTestControl*>& Controls() const { return FControls; }

    TComponent* GetParentComponent() const override { return FParent; }
    bool HasParent() const override { return FParent != nullptr; }
    void SetParentComponent(TComponent* Value) override { SetParent(dynamic_cast<TTestControl*>(Value)); }
    std::vector<TComponent*> GetChildren(TComponent* Root) const override
    {
        std::vector<TComponent*> out;
        for (TTestControl* c : FControls)
            if (c->Owner() == Root)
                out.push_back(c);
        if (Root == this)
            for (TComponent* c : TComponent::GetChildren(Root))
                out.push_back(c);
        return out;
    }
    void Loaded() override
    {
        LoadingSeenByLoaded = InState(csLoading);
        TComponent::Loaded();
        g_loaded.push_back(Name());
    }

private:
    TTestControl* FParent = nullptr;
    std::vector<TTestControl*> FControls;
};

class TTestList : public TTestControl {
public:
    explicit TTestList(TComponent* AOwner) : TTestControl(AOwner) {}
    ~TTestList() override { SetSource(nullptr); }
    std::vector<std::string> Items;
    std::vector<std::unique_ptr<TTestPanelItem>> Panels;
    // Starts with every button while its stored default names two of them.
    std::uint64_t Buttons = 0xF;
    std::vector<std::uint8_t> Data;
    TTestSource* Source() const { return FSource; }
    void SetSource(TTestSource* S)
    {
        if (FSource)
            RemoveFreeNotification(FSource);
        FSource = S;
        if (S)
            FreeNotification(S);
    }
    void Notification(TComponent* c, TOperation op) override
    {
        TTestControl::Notification(c, op);
        if (op == opRemove && c == FSource)
            FSource = nullptr;
    }

private:
    TTestSource* FSource = nullptr;
};

class TTestForm : public TTestControl {
public:
    explicit TTestForm(TComponent* AOwner) : TTestControl(AOwner)
    {
        RegisterMethod("ButtonClick", TNotifyEvent([this](TObject* s) { Clicks.push_back(As<TComponent>(s)->Name()); }));
        RegisterMethod("FormKeyDown", TTestKeyEvent([this](TObject*, std::uint16_t& Key, std::uint32_t) {
                           Clicks.push_back("key " + std::to_string(Key));
                           Key = 0;
                       }));
    }
    bool KeyPreview = false;
    TTestControl* ActiveControl = nullptr;
    TTestKeyEvent OnKeyDown;
    std::vector<std::string> Clicks;
};

// A form class that registers no properties of its own.
class TTestDialog : public TTestForm {
public:
    using TTestForm::TTestForm;
};

// A control whose setter refuses a value; it tests that a failure while assigning undoes everything.
class TTestPicky : public TTestControl {
public:
    using TTestControl::TTestControl;
    void SetTag(std::int64_t v)
    {
        if (v < 0)
            throw Exception("Tag must not be negative");
        if (v == 0 && RestoreFault == 1)
            throw Exception("Tag cannot go back");
        if (v == 0 && RestoreFault == 2)
            throw std::bad_alloc();
        Tag = v;
    }
    // How putting Tag back to 0 fails: 0 not at all, 1 refused, 2 out of memory.
    static inline int RestoreFault = 0;
    std::int64_t Tag = 0;
    std::string Hint;
};

void RegisterTestClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    auto colours = std::make_shared<const TIdentMap>(TIdentMap{{"clBlack", 0}, {"clNavy", 0x800000}});
    RegisterClass<TTestFont>("TTestFont")
        .String("Name", [](TTestFont* f) { return f->Name; }, [](TTestFont* f, const std::string& v) { f->Name = v; })
        .Default("DejaVu Sans")
        .Integer("Height", [](TTestFont* f) { return f->Height; }, [](TTestFont* f, std::int64_t v) { f->Height = int(v); })
        .Default(-11)
        .Integer("Color", [](TTestFont* f) { return f->Color; }, [](TTestFont* f, std::int64_t v) { f->Color = int(v); }, colours)
        .Default(0)
        .SetOf("Style", {"fsBold", "fsItalic", "fsUnderline"}, [](TTestFont* f) { return f->Style; },
               [](TTestFont* f, std::uint64_t v) { f->Style = v; })
        .Default(0);
    RegisterClass<TTestPanelItem>("TTestPanelItem")
        .Integer("Width", [](TTestPanelItem* p) { return p->Width; }, [](TTestPanelItem* p, std::int64_t v) { p->Width = int(v); })
        .Default(50)
        .String("Text", [](TTestPanelItem* p) { return p->Text; }, [](TTestPanelItem* p, const std::string& v) { p->Text = v; })
        .Default("")
        .Enum<TTestPanelStyle>("Style", {"psText", "psClock"}, [](TTestPanelItem* p) { return p->Style; },
                               [](TTestPanelItem* p, TTestPanelStyle v) { p->Style = v; })
        .Default(TTestPanelStyle::psText);
    RegisterClass<TTestSource>("TTestSource")
        .Boolean("Enabled", [](TTestSource* s) { return s->Enabled; }, [](TTestSource* s, bool v) { s->Enabled = v; })
        .Default(true);
    RegisterClass<TTestControl>("TTestControl")
        .Integer("Left", [](TTestControl* c) { return c->Left; }, [](TTestControl* c, std::int64_t v) { c->Left = int(v); })
        .Integer("Top", [](TTestControl* c) { return c->Top; }, [](TTestControl* c, std::int64_t v) { c->Top = int(v); })
        .Integer("Width", [](TTestControl* c) { return c->Width; }, [](TTestControl* c, std::int64_t v) { c->Width = int(v); })
        .Integer("Height", [](TTestControl* c) { return c->Height; }, [](TTestControl* c, std::int64_t v) { c->Height = int(v); })
        .Enum<TTestAlign>("Align", {"alNone", "alTop", "alClient"}, [](TTestControl* c) { return c->Align; },
                          [](TTestControl* c, TTestAlign v) { c->Align = v; })
        .Default(TTestAlign::alNone)
        .String("Caption", [](TTestControl* c) { return c->Caption; }, [](TTestControl* c, const std::string& v) { c->Caption = v; })
        .Default("")
        .SubObject("Font", "TTestFont", [](TTestControl* c) { return &c->Font; })
        .Boolean("Visible", [](TTestControl* c) { return c->Visible; }, [](TTestControl* c, bool v) { c->Visible = v; })
        .Default(true)
        .Event("OnClick", &TTestControl::OnClick);
    RegisterClass<TTestList>("TTestList", "TTestControl")
        .Strings("Items", [](TTestList* l) { return l->Items; }, [](TTestList* l, const std::vector<std::string>& v) { l->Items = v; })
        .Collection(
            "Panels", "TTestPanelItem", [](TTestList* l) { return int(l->Panels.size()); },
            [](TTestList* l, int i) -> TObject* { return l->Panels[size_t(i)].get(); },
            [](TTestList* l) -> TObject* {
                l->Panels.push_back(std::make_unique<TTestPanelItem>());
                return l->Panels.back().get();
            },
            [](TTestList* l) { l->Panels.clear(); })
        .SetOf("Buttons", {"nbFirst", "nbPrior", "nbNext", "nbLast"}, [](TTestList* l) { return l->Buttons; },
               [](TTestList* l, std::uint64_t v) { l->Buttons = v; }, true)
        .Default((1 << nbFirst) | (1 << nbLast))
        .AlwaysStored()
        .Binary("Data", [](TTestList* l) { return l->Data; }, [](TTestList* l, const std::vector<std::uint8_t>& v) { l->Data = v; })
        .Reference<TTestSource>("Source", &TTestList::Source, &TTestList::SetSource);
    RegisterClass<TTestForm>("TTestForm", "TTestControl")
        .Boolean("KeyPreview", [](TTestForm* f) { return f->KeyPreview; }, [](TTestForm* f, bool v) { f->KeyPreview = v; })
        .Default(false)
        .Reference<TTestControl>("ActiveControl", [](TTestForm* f) { return f->ActiveControl; },
                                 [](TTestForm* f, TTestControl* c) { f->ActiveControl = c; })
        .Event("OnKeyDown", &TTestForm::OnKeyDown);
    RegisterClass<TTestDialog>("TTestDialog", "TTestForm");
    RegisterClass<TTestPicky>("TTestPicky", "TTestControl")
        .Integer("Tag", [](TTestPicky* p) { return p->Tag; }, &TTestPicky::SetTag)
        .Default(0)
        .String("Hint", [](TTestPicky* p) { return p->Hint; }, [](TTestPicky* p, const std::string& v) { p->Hint = v; })
        .StoredWhen([](TTestPicky* p) { return p->Tag > 0; });
}

// A form file as the writer writes it: defaults left out, two spaces per level.
const char* const kForm = R"(object MainForm: TTestForm
  Left = 10
  Top = -20
  Width = 320
  Height = 200
  Caption = 'It''s a form'#13#10'two lines'
  Font.Name = 'Arial'
  Font.Color = clNavy
  Font.Style = [fsBold, fsUnderline]
  KeyPreview = True
  ActiveControl = Edit1
  OnKeyDown = FormKeyDown
  object Panel1: TTestControl
    Left = 0
    Top = 0
    Width = 320
    Height = 40
    Align = alTop
    object Edit1: TTestControl
      Left = 4
      Top = 4
      Width = 100
      Height = 21
      OnClick = ButtonClick
    end
  end
  object List1: TTestList
    Left = 0
    Top = 40
    Width = 320
    Height = 160
    Visible = False
    Items.Strings = (
      'one'
      'two')
    Panels = <
      item
        Text = 'Ready'
      end
      item
        Width = 80
        Style = psClock
      end>
    Buttons = 5
    Data = {
      00FF10}
    Source = Source1
  end
  object Source1: TTestSource
    Enabled = False
  end
end
)";

class FormFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterTestClasses();
        g_loaded.clear();
    }
};

TEST_F(FormFiles, ReadsWritesBackWithDefaultsLeftOutAndReadsAgain)
{
    TOwned<TTestForm> form(new TTestForm(nullptr));
    ReadComponentText(kForm, form.get());

    EXPECT_EQ(form->Name(), "MainForm");
    EXPECT_EQ(form->Top, -20);
    EXPECT_EQ(form->Caption, "It's a form\r\ntwo lines");
    EXPECT_EQ(form->Font.Name, "Arial");
    EXPECT_EQ(form->Font.Height, -11);
    EXPECT_EQ(form->Font.Color, 0x800000);
    EXPECT_EQ(form->Font.Style, 0b101u);
    EXPECT_TRUE(form->KeyPreview);
    ASSERT_EQ(form->ComponentCount(), 4);
    auto* panel = As<TTestControl>(form->FindComponent("Panel1"));
    auto* edit = As<TTestControl>(form->FindComponent("Edit1"));
    auto* list = As<TTestList>(form->FindComponent("List1"));
    auto* source = As<TTestSource>(form->FindComponent("Source1"));
    ASSERT_TRUE(panel && edit && list && source);
    // Everything is owned by the root; nesting gives the parent.
    EXPECT_EQ(edit->Owner(), form.get());
    EXPECT_EQ(edit->Parent(), panel);
    EXPECT_EQ(panel->Parent(), form.get());
    EXPECT_EQ(panel->Align, TTestAlign::alTop);
    EXPECT_FALSE(list->Visible);
    EXPECT_EQ(list->Items, (std::vector<std::string>{"one", "two"}));
    ASSERT_EQ(list->Panels.size(), 2u);
    EXPECT_EQ(list->Panels[0]->Width, 50);
    EXPECT_EQ(list->Panels[0]->Text, "Ready");
    EXPECT_EQ(list->Panels[1]->Width, 80);
    EXPECT_EQ(list->Panels[1]->Style, TTestPanelStyle::psClock);
    EXPECT_EQ(list->Buttons, 5u);
    EXPECT_EQ(list->Data, (std::vector<std::uint8_t>{0x00, 0xFF, 0x10}));
    // References to components read later in the file are resolved.
    EXPECT_EQ(list->Source(), source);
    EXPECT_EQ(form->ActiveControl, edit);
    EXPECT_FALSE(source->Enabled);

    // Written back, the text is the same: defaults (Font.Height, Panels[0].Width, Enabled of a
    // fresh list…) are left out, the always-stored Buttons is written as its integer mask.
    const std::string written = WriteComponentText(form.get());
    EXPECT_EQ(written, kForm);

    TOwned<TComponent> again(CreateComponentFromText(written));
    ASSERT_TRUE(Is<TTestForm>(again.get()));
    EXPECT_EQ(WriteComponentText(again.get()), written);
    EXPECT_EQ(again->ComponentCount(), 4);
}

TEST_F(FormFiles, LoadedRunsOncePerComponentAfterReferencesRootLast)
{
    TOwned<TTestForm> form(new TTestForm(nullptr));
    ReadComponentText(kForm, form.get());
    EXPECT_EQ(g_loaded, (std::vector<std::string>{"Panel1", "Edit1", "List1", "Source1", "MainForm"}));
    auto* list = As<TTestList>(form->FindComponent("List1"));
    EXPECT_TRUE(list->LoadingSeenByLoaded);
    EXPECT_TRUE(form->LoadingSeenByLoaded);
    for (int i = 0; i < form->ComponentCount(); ++i)
        EXPECT_FALSE(form->Components(i)->InState(csLoading));
    EXPECT_FALSE(form->InState(csLoading));
}

TEST_F(FormFiles, EventsBindToTheRootsMethodsAndKeepTheirNames)
{
    TOwned<TTestForm> form(new TTestForm(nullptr));
    ReadComponentText(kForm, form.get());
    auto* edit = As<TTestControl>(form->FindComponent("Edit1"));
    ASSERT_TRUE(edit->OnClick);
    edit->OnClick(edit);
    std::uint16_t key = 13;
    form->OnKeyDown(form.get(), key, 0);
    EXPECT_EQ(key, 0);
    EXPECT_EQ(form->Clicks, (std::vector<std::string>{"Edit1", "key 13"}));
    EXPECT_EQ(BoundMethodName(edit->OnClick), "ButtonClick");

    // A handler assigned in code has no method name and is not written.
    edit->OnClick = [](TObject*) {};
    EXPECT_EQ(WriteComponentText(form.get()).find("OnClick"), std::string::npos);
}

// Reading into a form that already exists: the text is refused and the form keeps its
// components, its property values and its name.
struct TRefusal {
    const char* Text;
    const char* Message;
};

TEST_F(FormFiles, RefusedFilesNameTheLineAndLeaveNothingBehind)
{
    const TRefusal cases[] = {
        {"object F: TTestForm\n  Left = 1\n  object B: TTestButon\n  end\nend\n", "line 3: unknown class 'TTestButon'"},
        {"object F: TTestForm\n  object B: TTestControl\n    Captoin = 'x'\n  end\nend\n",
         "line 3: unknown property 'Captoin' of TTestControl"},
        {"object F: TTestForm\n  Font.Nme = 'x'\nend\n", "line 2: unknown property 'Font.Nme' of TTestForm"},
        {"object F: TTestForm\n  Left = 1\n  Top 2\nend\n", "line 3: expected '=' after 'Top' but found number 2"},
        {"object F: TTestForm\n  Align = alBottom\nend\n", "line 2: unknown value 'alBottom' for property 'Align' of TTestForm"},
        {"object F: TTestForm\n  Font.Style = [fsBold, fsWide]\nend\n",
         "line 2: unknown value 'fsWide' for property 'Font.Style' of TTestForm"},
        {"object F: TTestForm\n  Left = 'ten'\nend\n", "line 2: expected an integer for property 'Left' of TTestForm"},
        {"object F: TTestForm\n  Visible = 1\nend\n", "line 2: expected True or False for property 'Visible' of TTestForm"},
        {"object F: TTestForm\n  Left = 4294967296\nend\n", "line 2: integer out of range for property 'Left' of TTestForm"},
        {"object F: TTestForm\n  Caption = 'open\nend\n", "line 2: unterminated string"},
        {"object F: TTestForm\n  Left = 1.5\nend\n", "line 2: malformed number '1.5'"},
        {"object F: TTestForm\n  object B: TTestControl\n  end\n", "line 4: unexpected end of file, 'end' expected"},
        {"object F: TTestForm\nend\nend\n", "line 3: unexpected 'end' after the final 'end'"},
        {"object F: TTestForm\n  object B: TTestControl\n  end\n  object B: TTestList\n  end\nend\n",
         "line 4: a component named B already exists"},
        {"object F: TTestList\nend\n", "line 1: the form file describes TTestList, not TTestForm"},
        // Failures found only while building: everything created is freed again.
        {"object F: TTestForm\n  Left = 99\n  object B: TTestControl\n    OnClick = NoSuchClick\n  end\nend\n",
         "line 4: unknown method 'NoSuchClick' for property 'OnClick' of TTestControl"},
        {"object F: TTestForm\n  Left = 99\n  object B: TTestControl\n    OnClick = FormKeyDown\n  end\nend\n",
         "line 4: method 'FormKeyDown' does not fit property 'OnClick' of TTestControl"},
        {"object F: TTestForm\n  Left = 99\n  Font.Name = 'Mono'\n  object L: TTestList\n    Source = Nobody\n  end\nend\n",
         "line 5: unknown component 'Nobody' for property 'Source' of TTestList"},
        {"object F: TTestForm\n  ActiveControl = S\n  object S: TTestSource\n  end\nend\n",
         "line 2: component 'S' does not fit property 'ActiveControl' of TTestForm"},
        {"object F: TTestForm\n  Left = 99\n  object P: TTestPicky\n    Tag = -1\n  end\nend\n",
         "line 4: Tag must not be negative"},
    };
    for (const TRefusal& c : cases) {
        SCOPED_TRACE(c.Text);
        g_loaded.clear();
        TOwned<TTestForm> form(new TTestForm(nullptr));
        new TTestSource(form.get()); // one component the form had before
        form->Left = 7;
        form->Font.Name = "Serif";
        try {
            ReadComponentText(c.Text, form.get());
            ADD_FAILURE() << "accepted";
        } catch (const EReadError& e) {
            EXPECT_EQ(e.Message(), c.Message);
        }
        EXPECT_EQ(form->ComponentCount(), 1);
        EXPECT_EQ(form->Left, 7);
        EXPECT_EQ(form->Font.Name, "Serif");
        EXPECT_EQ(form->Name(), "");
        EXPECT_EQ(form->ActiveControl, nullptr);
        EXPECT_FALSE(form->InState(csLoading));
        EXPECT_TRUE(g_loaded.empty());
    }
}

TEST_F(FormFiles, UndoingARefusedReadSwallowsRefusalsButNotOutOfMemory)
{
    const char* text = "object P: TTestPicky\n  Tag = 5\n  object B: TTestControl\n    OnClick = Missing\n  end\nend\n";
    TOwned<TTestPicky> root(new TTestPicky(nullptr));
    // A setter refusing its old value back: the read's own error is what the caller sees.
    TTestPicky::RestoreFault = 1;
    EXPECT_THROW(ReadComponentText(text, root.get()), EReadError);
    EXPECT_EQ(root->ComponentCount(), 0);
    // Running out of memory on the way back is not swallowed.
    TTestPicky::RestoreFault = 2;
    root->Tag = 0;
    EXPECT_THROW(ReadComponentText(text, root.get()), std::bad_alloc);
    EXPECT_EQ(root->ComponentCount(), 0);
    TTestPicky::RestoreFault = 0;
    root->Tag = 0;
    EXPECT_THROW(ReadComponentText(text, root.get()), EReadError);
    EXPECT_EQ(root->Tag, 0);
}

TEST_F(FormFiles, CreatingFromARefusedFileLeavesTheOwnerAsItWas)
{
    TOwned<TTestSource> owner(new TTestSource(nullptr));
    try {
        CreateComponentFromText("object F: TTestForm\n  object B: TTestControl\n    OnClick = Missing\n  end\nend\n",
                                owner.get());
        ADD_FAILURE() << "accepted";
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), "line 3: unknown method 'Missing' for property 'OnClick' of TTestControl");
    }
    EXPECT_EQ(owner->ComponentCount(), 0);
    EXPECT_THROW(CreateComponentFromText("object F: TTestNothing\nend\n", owner.get()), EReadError);
    EXPECT_EQ(owner->ComponentCount(), 0);
}

TEST_F(FormFiles, ReadsIntoADescendantWhoseHeaderNamesTheAncestor)
{
    TOwned<TTestDialog> dialog(new TTestDialog(nullptr));
    ReadComponentText("object Dlg: TTestForm\n  KeyPreview = True\nend\n", dialog.get());
    EXPECT_TRUE(dialog->KeyPreview);
    EXPECT_EQ(WriteComponentText(dialog.get()),
              "object Dlg: TTestDialog\n  Left = 0\n  Top = 0\n  Width = 0\n  Height = 0\n  KeyPreview = True\nend\n");
}

TEST_F(FormFiles, StringsJoinAcrossLinesAndQuoteOnTheWayBack)
{
    TOwned<TTestForm> form(new TTestForm(nullptr));
    ReadComponentText("object F: TTestForm\n  Caption = 'a''b' +\n    #9'c' + #$41\nend\n", form.get());
    EXPECT_EQ(form->Caption, "a'b\tcA");
    EXPECT_NE(WriteComponentText(form.get()).find("  Caption = 'a''b'#9'cA'\n"), std::string::npos);
}

TEST_F(FormFiles, RegistryLooksUpClassesAndInheritedProperties)
{
    EXPECT_EQ(GetClass("ttestlist"), &FindClass("TTestList"));
    EXPECT_EQ(GetClass("TTestMissing"), nullptr);
    try {
        FindClass("TTestMissing");
        ADD_FAILURE();
    } catch (const EClassNotFound& e) {
        EXPECT_EQ(e.Message(), "Class TTestMissing not found");
    }
    const TClassInfo& list = FindClass("TTestList");
    EXPECT_TRUE(list.InheritsFrom("TTestControl"));
    EXPECT_FALSE(list.InheritsFrom("TTestForm"));
    ASSERT_NE(list.FindProperty("caption"), nullptr);
    EXPECT_EQ(list.FindProperty("Caption")->Kind, pkString);
    EXPECT_FALSE(FindClass("TTestFont").CanCreate());
    // Registering the same class again is ignored; another type under the name is refused.
    RegisterClass<TTestList>("TTestList", "TTestControl").Integer("Extra", nullptr, nullptr);
    EXPECT_EQ(list.FindProperty("Extra"), nullptr);
    EXPECT_THROW(RegisterClass<TTestPicky>("TTestList"), EClassError);
}

TEST_F(FormFiles, AlwaysStoredPropertyHoldingItsDefaultSurvivesTheRoundTrip)
{
    // The list starts with all four buttons while its stored default names two: left out
    // when it holds the default, the read-back list would show four again.
    TOwned<TTestForm> form(new TTestForm(nullptr));
    auto* list = new TTestList(form.get());
    list->SetName("List1");
    list->SetParent(form.get());
    list->Buttons = (1 << nbFirst) | (1 << nbLast);
    const std::string text = WriteComponentText(form.get());
    EXPECT_NE(text.find("    Buttons = 9\n"), std::string::npos);
    TOwned<TComponent> again(CreateComponentFromText(text));
    EXPECT_EQ(As<TTestList>(again->FindComponent("List1"))->Buttons, 9u);
    // Sets are also read as their member names.
    ReadComponentText("object F: TTestForm\n  object L2: TTestList\n    Buttons = [nbPrior, nbNext]\n  end\nend\n",
                      form.get());
    EXPECT_EQ(As<TTestList>(form->FindComponent("L2"))->Buttons, 6u);
}

TEST_F(FormFiles, StorageTestDecidesWhetherAPropertyIsWritten)
{
    TOwned<TTestForm> form(new TTestForm(nullptr));
    auto* picky = new TTestPicky(form.get());
    picky->SetName("P");
    picky->Hint = "h";
    const std::string hidden = WriteComponentText(form.get());
    EXPECT_EQ(hidden.find("Hint"), std::string::npos);
    picky->Tag = 3;
    EXPECT_NE(WriteComponentText(form.get()).find("    Tag = 3\n    Hint = 'h'\n"), std::string::npos);
}

TEST_F(FormFiles, DeepNestingIsRefusedInsteadOfExhaustingTheStack)
{
    std::string text;
    for (int i = 0; i < 5000; ++i)
        text += "object C" + std::to_string(i) + ": TTestControl\n";
    TOwned<TTestSource> owner(new TTestSource(nullptr));
    try {
        CreateComponentFromText(text, owner.get());
        ADD_FAILURE() << "accepted";
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), "line 202: nesting too deep");
    }
    EXPECT_EQ(owner->ComponentCount(), 0);
    EXPECT_THROW(CreateComponentFromText("object F: TTestForm\n  Caption = " + std::string(5000, '(') + "\nend\n"),
                 EReadError);
}

TEST_F(FormFiles, FilesAndResources)
{
    TOwned<TTestForm> form(new TTestForm(nullptr));
    ReadComponentText(kForm, form.get());
    const std::string path = ::testing::TempDir() + "formfiles_test.form";
    WriteComponentResFile(path, form.get());
    TOwned<TTestForm> again(new TTestForm(nullptr));
    ReadComponentResFile(path, again.get());
    EXPECT_EQ(WriteComponentText(again.get()), kForm);
    std::remove(path.c_str());
    EXPECT_THROW(ReadComponentResFile(path, again.get()), EFilerError);
    try {
        ReadComponentRes("TTestNoSuchDialog", again.get());
        ADD_FAILURE();
    } catch (const EResNotFound& e) {
        EXPECT_EQ(e.Message(), "Resource TTestNoSuchDialog not found");
    }
    EXPECT_EQ(again->ComponentCount(), 4);
}

} // namespace
