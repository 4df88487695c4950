// Incremental search through scripted keys on real SQLite data: the text, the record it
// finds, the keys that end or empty it, and characters typed while a search runs.
#include <algorithm>
#include <string>

#include "tests/capture/PeopleFixture.h"

using namespace korin;

namespace {

// Records how deeply ISearchDoChar calls nest: a call inside another means a character
// arrived while a search was running.
class TNestingNavigator : public TVandroDBNavigator {
public:
    using TVandroDBNavigator::TVandroDBNavigator;
    void ISearchDoChar(char32_t& Key) override
    {
        ++Depth;
        MaxDepth = std::max(MaxDepth, Depth);
        Chars.push_back(Key);
        TVandroDBNavigator::ISearchDoChar(Key);
        --Depth;
    }
    int Depth = 0;
    int MaxDepth = 0;
    std::u32string Chars;
};

class ISearchTest : public PeopleTest {
protected:
    // A NAME edit and a CITY edit on people, the navigator, the focus in NAME.
    void SetUpForm()
    {
        NameEdit = AddEdit(PeopleSrc, "name");
        CityEdit = AddEdit(PeopleSrc, "city");
        NameEdit->OnKeyDown = [this](TObject*, std::uint16_t& Key, TShiftState Shift) {
            if (Key != VK_SHIFT && Key != VK_CONTROL && Key != VK_MENU)
                Seen.push_back(ShortCutToText(ShortCut(Key, Shift)));
        };
        Nav = new TNestingNavigator(Form.get());
        Nav->SetBounds(10, 660, 500, 20);
        Nav->Loaded();
        Focus(NameEdit);
    }
    void Start()
    {
        Press('I', ssCtrl);
        ASSERT_TRUE(Nav->ISearchActive());
    }
    // Types one character at a time, each handled before the next is queued.
    void TypeEach(const std::string& Text)
    {
        for (char c : Text)
            TypeAll(std::string(1, c));
    }
    bool ButtonDown() { return Nav->Buttons(vnbIncrementalSearch)->Down(); }

    TDBEdit* NameEdit = nullptr;
    TDBEdit* CityEdit = nullptr;
    TNestingNavigator* Nav = nullptr;
    std::vector<std::string> Seen;  // key-downs the NAME edit's own handler saw
};

}  // namespace

TEST_F(ISearchTest, LettersFindThePrefixInAnyCaseAndARefusedLetterChangesNothing)
{
    SetUpForm();
    Start();
    EXPECT_TRUE(ButtonDown());
    TypeEach("s");
    EXPECT_EQ(Nav->ISearchText(), "s");
    EXPECT_EQ(Name(), "smart");
    TypeEach("m");
    EXPECT_EQ(Nav->ISearchText(), "sm");
    EXPECT_EQ(Name(), "smart");
    TypeEach("i");
    EXPECT_EQ(Nav->ISearchText(), "smi");
    EXPECT_EQ(Name(), "SMILEY");
    TypeEach("x");  // no name begins with "smix"
    EXPECT_EQ(Nav->ISearchText(), "smi");
    EXPECT_EQ(Name(), "SMILEY");
    EXPECT_EQ(People->RecNo(), 5);
    // Nothing reached the edit: no editing, its text is the record's.
    EXPECT_EQ(People->State(), dsBrowse);
    EXPECT_EQ(NameEdit->Text(), "SMILEY");
}

TEST_F(ISearchTest, BackspaceSearchesAgainAndShiftOrCtrlBackspaceEmptiesWithoutMoving)
{
    SetUpForm();
    Start();
    TypeEach("smit");
    EXPECT_EQ(Name(), "Smith");
    Press(VK_BACK);
    EXPECT_EQ(Nav->ISearchText(), "smi");
    EXPECT_EQ(Name(), "SMILEY");
    Press(VK_BACK, ssShift);
    EXPECT_EQ(Nav->ISearchText(), "");
    EXPECT_EQ(Name(), "SMILEY");
    TypeEach("z");
    EXPECT_EQ(Name(), "Zola");
    Press(VK_BACK, ssCtrl);
    EXPECT_EQ(Nav->ISearchText(), "");
    EXPECT_EQ(Name(), "Zola");
    // Ctrl+Up and Shift+PgUp empty the text too; plain Up goes on to the control.
    TypeEach("b");
    Press(VK_UP, ssCtrl);
    EXPECT_EQ(Nav->ISearchText(), "");
    TypeEach("b");
    Press(VK_PRIOR, ssShift);
    EXPECT_EQ(Nav->ISearchText(), "");
    EXPECT_EQ(Name(), "Baker");
    // Backspace on an empty text searches nothing; the text down to nothing finds the
    // first record.
    Press(VK_BACK);
    EXPECT_EQ(Name(), "Baker");
    TypeEach("z");
    Press(VK_BACK);
    EXPECT_EQ(Nav->ISearchText(), "");
    EXPECT_EQ(Name(), "Adams");
    EXPECT_TRUE(Nav->ISearchActive());
}

TEST_F(ISearchTest, EscEndsTheModeAndNeitherItNorTheTypedCharactersReachTheControl)
{
    SetUpForm();
    Seen.clear();
    Start();
    Seen.clear();
    TypeEach("sm");
    Press(VK_ESCAPE);
    EXPECT_FALSE(Nav->ISearchActive());
    EXPECT_FALSE(ButtonDown());
    EXPECT_EQ(Nav->ISearchText(), "");
    // Only the keys the mode leaves to the control reach it (letters arrive as
    // characters, which the mode takes).
    EXPECT_EQ(std::count(Seen.begin(), Seen.end(), "Esc"), 0);
    EXPECT_EQ(NameEdit->Text(), "smart");
    EXPECT_EQ(People->State(), dsBrowse);
    // After the mode, a letter edits the record as usual.
    TypeEach("q");
    EXPECT_EQ(People->State(), dsEdit);
}

TEST_F(ISearchTest, NavigatorShortcutsRestWhileCtrlIEndsTheModeAndReachesTheControl)
{
    SetUpForm();
    Start();
    Seen.clear();
    Press('E', ssCtrl);  // EDIT
    Press('R', ssCtrl);  // REFRESH
    Press(VK_NEXT);      // NEXT in a single-record control
    EXPECT_EQ(People->State(), dsBrowse);
    EXPECT_EQ(People->RecNo(), 1);
    EXPECT_TRUE(Nav->ISearchActive());
    Press('I', ssCtrl);
    EXPECT_FALSE(Nav->ISearchActive());
    EXPECT_FALSE(ButtonDown());
    ASSERT_FALSE(Seen.empty());
    EXPECT_EQ(Seen.back(), "Ctrl+I");
}

TEST_F(ISearchTest, TheButtonStartsAndEndsTheModeAndAFocusChangeReleasesIt)
{
    SetUpForm();
    input.Click(Nav->Buttons(vnbIncrementalSearch));
    Run();
    EXPECT_TRUE(Nav->ISearchActive());
    EXPECT_TRUE(ButtonDown());
    input.Click(Nav->Buttons(vnbIncrementalSearch));
    Run();
    EXPECT_FALSE(Nav->ISearchActive());
    EXPECT_FALSE(ButtonDown());

    Start();
    TypeEach("sm");
    Focus(CityEdit);
    EXPECT_FALSE(Nav->ISearchActive());
    EXPECT_FALSE(ButtonDown());
    EXPECT_EQ(Nav->ISearchText(), "");
    // In the CITY edit the mode searches cities.
    Start();
    TypeEach("town2");
    EXPECT_EQ(People->FieldByName("city")->AsString(), "Town2");
    EXPECT_EQ(People->RecNo(), 3);
}

TEST_F(ISearchTest, SwitchingOnTwiceKeepsTheText)
{
    SetUpForm();
    Nav->ISearchMode(true);
    TypeEach("sm");
    Nav->ISearchMode(true);
    EXPECT_EQ(Nav->ISearchText(), "sm");
    EXPECT_TRUE(ButtonDown());
    Nav->ISearchMode(false);
    Nav->ISearchMode(false);
    EXPECT_FALSE(ButtonDown());
    EXPECT_EQ(Nav->ISearchText(), "");
}

TEST_F(ISearchTest, CharactersTypedDuringASearchAreAllAppliedInOrder)
{
    SetUpForm();
    Start();
    // One burst: "m" and "i" arrive while the search for "s" lets messages run.
    TypeAll("smi");
    EXPECT_GE(Nav->MaxDepth, 2);
    EXPECT_EQ(Nav->Chars, U"smi");
    EXPECT_EQ(Nav->ISearchText(), "smi");
    EXPECT_EQ(Name(), "SMILEY");
    // A refused character in the middle of a burst is skipped, the rest still apply.
    Press(VK_BACK, ssShift);
    TypeAll("smqy");
    EXPECT_EQ(Nav->ISearchText(), "smy");
    EXPECT_EQ(Name(), "Smythe");
    // A clearing typed within a burst waits its turn behind the characters before it.
    input.Key(VK_BACK, ssShift).Type("sm").Key(VK_BACK, ssShift).Type("z");
    Run();
    EXPECT_EQ(Nav->ISearchText(), "z");
    EXPECT_EQ(Name(), "Zola");
    // Esc and Ctrl+I within a burst: the new mode starts empty and takes what follows.
    input.Type("s").Key(VK_ESCAPE).Key('I', ssCtrl).Type("b");
    Run();
    EXPECT_TRUE(Nav->ISearchActive());
    EXPECT_EQ(Nav->ISearchText(), "b");
    EXPECT_EQ(Name(), "Baker");
    // Esc within a burst ends the mode; what follows it reaches the control.
    Press(VK_BACK, ssShift);
    input.Type("sm").Key(VK_ESCAPE).Type("q");
    Run();
    EXPECT_FALSE(Nav->ISearchActive());
    EXPECT_EQ(People->State(), dsEdit);
}

TEST_F(ISearchTest, MultiByteCharactersExtendTheTextAndOneBackspaceRemovesOne)
{
    SetUpForm();
    Start();
    TypeAll("ø");
    EXPECT_EQ(Nav->ISearchText(), "ø");
    EXPECT_EQ(Name(), "Øberg");
    TypeAll("r");
    EXPECT_EQ(Name(), "Ørsted");
    Press(VK_BACK);
    Press(VK_BACK);
    EXPECT_EQ(Nav->ISearchText(), "");
    TypeAll("日本");
    EXPECT_EQ(Nav->ISearchText(), "日本");
    EXPECT_EQ(Name(), "日本橋");
    Press(VK_BACK);
    EXPECT_EQ(Nav->ISearchText(), "日");
    EXPECT_EQ(Name(), "日本橋");
    // Control characters never extend the text.
    char32_t tab = 9, del = 127, c1 = 0x85;
    Nav->ISearchDoChar(tab);
    Nav->ISearchDoChar(del);
    Nav->ISearchDoChar(c1);
    EXPECT_EQ(Nav->ISearchText(), "日");
}

TEST_F(ISearchTest, WithoutACurrentFieldNothingIsSearched)
{
    SetUpForm();
    Nav->CurrentField = nullptr;
    Nav->ISearchMode(true);
    char32_t s = 's';
    Nav->ISearchDoChar(s);
    EXPECT_EQ(Nav->ISearchText(), "");
    EXPECT_EQ(People->RecNo(), 1);
}
