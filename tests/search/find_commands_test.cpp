// The navigator's find commands through scripted keys and clicks on real SQLite data:
// the dialog opened on the focused field, go-to commands, find-next, and every failure
// ending in the balloon "No more matches!" with FIND NEXT off.
#include <functional>
#include <string>

#include "korin/nav/Vdbnavhint.h"
#include "korin/platform/gui/Buttons.h"
#include "korin/platform/gui/StdCtrls.h"
#include "korin/search/Dbslocat.h"
#include "korin/search/Sercheng.h"
#include "tests/capture/PeopleFixture.h"

using namespace korin;

namespace {

class FindTest : public PeopleTest {
protected:
    void SetUpForm()
    {
        NameEdit = AddEdit(PeopleSrc, "name");
        CityEdit = AddEdit(PeopleSrc, "city");
        MakeNav();
        Focus(NameEdit);
    }
    // Opens the dialog with FIND's shortcut and, once it is up, runs Steps in it.
    void Find(const std::function<void()>& Steps)
    {
        input.Key('Z', ssCtrl);
        input.Call([this, Steps] {
            DialogSeen = DLGLocate != nullptr;
            if (DLGLocate)
                Wildcards = DLGLocate->rbPatternMatch->Caption();
            Steps();
        });
        Run();
    }
    void FindText(const std::string& Text)
    {
        Find([this, Text] {
            input.Key('A', ssCtrl);
            input.Type(Text).Key(VK_RETURN);
        });
    }
    void Click(TButton* TDLGLocate::*Button)
    {
        Find([this, Button] { input.Click(DLGLocate->*Button); });
    }
    void FindNextClick()
    {
        input.Click(Nav->Buttons(vnbFindNext));
        Run();
    }
    int Id() { return static_cast<int>(People->FieldByName("id")->AsInteger()); }
    bool FindNextOn() { return Nav->Buttons(vnbFindNext)->Enabled(); }
    bool Balloon() { return Nav->HintWindow()->Visible() && Nav->HintWindow()->Caption() == "No more matches!"; }
    void HideBalloon()
    {
        input.AdvanceTime(2100);
        Run();
        ASSERT_FALSE(Nav->HintWindow()->Visible());
    }

    TDBEdit* NameEdit = nullptr;
    TDBEdit* CityEdit = nullptr;
    bool DialogSeen = false;
    std::string Wildcards;
};

}  // namespace

TEST_F(FindTest, FindSearchesTheFocusedFieldAndFindNextWalksOnToTheBalloon)
{
    SetUpForm();
    EXPECT_FALSE(FindNextOn());
    FindText("sm*");
    EXPECT_TRUE(DialogSeen);
    EXPECT_EQ(Wildcards, "Allow Wildcards(%,*)");
    EXPECT_EQ(Name(), "smart");
    EXPECT_TRUE(Nav->FindActive());
    EXPECT_TRUE(FindNextOn());
    EXPECT_EQ(Nav->FindOptions()->SearchField(), "name");
    EXPECT_EQ(Nav->FindOptions()->DefaultFieldName(), "name");

    std::vector<std::string> found;
    for (int i = 0; i < 3; ++i) {
        FindNextClick();
        found.push_back(Name());
    }
    EXPECT_EQ(found, (std::vector<std::string>{"Smythe", "SMILEY", "Smith"}));
    EXPECT_FALSE(Balloon());
    FindNextClick();  // no further match: the record stays, the balloon shows
    EXPECT_EQ(Name(), "Smith");
    EXPECT_TRUE(Balloon());
    EXPECT_FALSE(Nav->FindActive());
    EXPECT_FALSE(FindNextOn());
    EXPECT_EQ(People->State(), dsBrowse);
}

TEST_F(FindTest, CancellingTheDialogChangesNothingAndTurnsFindNextOff)
{
    SetUpForm();
    People->MoveBy(3);
    FindText("Smith");
    ASSERT_TRUE(FindNextOn());
    People->First();
    People->MoveBy(2);
    Find([this] { input.Key(VK_ESCAPE); });
    EXPECT_TRUE(DialogSeen);
    EXPECT_EQ(Id(), 3);
    EXPECT_FALSE(Nav->FindActive());
    EXPECT_FALSE(FindNextOn());
    EXPECT_FALSE(Balloon());
    // The dialog offers the last text again.
    std::string offered;
    Find([this, &offered] {
        offered = DLGLocate->txtSearchString->Text();
        input.Click(DLGLocate->CancelBtn);
    });
    EXPECT_EQ(offered, "Smith");
}

TEST_F(FindTest, GoToTopAndEndMoveAndLeaveFindNextOn)
{
    SetUpForm();
    People->MoveBy(4);
    Click(&TDLGLocate::GoToEndButton);
    EXPECT_EQ(Id(), 10);
    EXPECT_TRUE(FindNextOn());
    Click(&TDLGLocate::GoToTopButton);
    EXPECT_EQ(Id(), 1);
    EXPECT_TRUE(Nav->FindActive());
    EXPECT_TRUE(FindNextOn());
}

TEST_F(FindTest, FindNextSearchesTheFieldThatHasTheFocusNow)
{
    SetUpForm();
    FindText("*o*");  // NAME: Zola
    EXPECT_EQ(Id(), 9);
    People->First();
    // The focus moves to CITY: entering another control ends the find (FIND NEXT off)...
    Focus(CityEdit);
    EXPECT_FALSE(FindNextOn());
    // ...and a find-next searches the city with the last text: "Town1", record 2.
    Nav->NavigateFindNext(People);
    EXPECT_EQ(Id(), 2);
    EXPECT_EQ(Nav->FindOptions()->SearchField(), "city");
    EXPECT_FALSE(Balloon());
    // Back in NAME, from record 2 the next name with an "o" is Zola again.
    Focus(NameEdit);
    Nav->NavigateFindNext(People);
    EXPECT_EQ(Id(), 9);
}

TEST_F(FindTest, AFieldNotAmongTheSearchFieldsEndsInTheBalloon)
{
    SetUpForm();
    Nav->FindOptions()->SearchFields()->Add("city");
    People->MoveBy(2);
    std::string chosen = "?";
    Find([this, &chosen] {
        chosen = DLGLocate->cbxFields->Text();
        input.Type("Smith").Key(VK_RETURN);
    });
    EXPECT_EQ(chosen, "");
    EXPECT_EQ(Id(), 3);
    EXPECT_TRUE(Balloon());
    EXPECT_FALSE(FindNextOn());
    EXPECT_FALSE(Nav->FindActive());
}

TEST_F(FindTest, MissesOfEveryKindShowTheBalloon)
{
    SetUpForm();
    People->MoveBy(1);
    FindText("nobody");
    EXPECT_EQ(Id(), 2);
    EXPECT_TRUE(Balloon());
    EXPECT_FALSE(FindNextOn());
    HideBalloon();
    // Characters outside any single-byte code page are matched as themselves.
    FindText("中*");
    EXPECT_TRUE(Balloon());
    EXPECT_EQ(Id(), 2);
    HideBalloon();
    FindText("日本*");
    EXPECT_EQ(Id(), 10);
    EXPECT_FALSE(Balloon());
}

TEST_F(FindTest, WithoutAFocusedFieldTheCommandsDoNothing)
{
    NameEdit = AddEdit(PeopleSrc, "name");
    MakeNav();
    Nav->SetDataSource(PeopleSrc);
    ASSERT_EQ(Nav->CurrentField, nullptr);
    bool shown = false;
    input.Call([&shown] {
        if (DLGLocate) {
            shown = true;
            DLGLocate->SetModalResult(mrCancel);
        }
    });
    Nav->NavigateFind();
    Run();
    EXPECT_FALSE(shown);
    EXPECT_FALSE(Nav->FindActive());
    Nav->NavigateFindNext(People);
    Run();
    EXPECT_FALSE(shown);
    EXPECT_EQ(Id(), 1);
}
