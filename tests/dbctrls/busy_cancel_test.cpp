// Esc while a Post waits for a database that another connection has locked: the wait
// stops, the Post fails with "database is locked", and the record stays in edit with the
// typed value; once the lock goes the same Post writes it. The pauses of the wait run on
// the virtual clock through a busy-wait procedure that never sleeps.
#include "korin/platform/dbctrls/DBCtrls.h"
#include "korin/platform/dbctrls/EngineWait.h"
#include "tests/dbctrls/CtrlFixture.h"

using namespace korin;

namespace {

class BusyCancel : public CtrlTest {
protected:
    void SetUp() override
    {
        CtrlTest::SetUp();
        InstallApplicationEngineWait();
        Edit = new TDBEdit(Form.get());
        Edit->SetParent(Form.get());
        Edit->SetDataSource(Source);
        Edit->SetDataField("name");
        Table->Open();
        Form->Show();
        Edit->SetFocus();
        // Each pause moves the virtual clock by its length; EscAt scripts Esc after
        // that many pauses.
        SetBusyWaitProc([this](int ms) {
            Pauses.push_back(ms);
            input.AdvanceTime(ms);
            if (static_cast<int>(Pauses.size()) == EscAt)
                input.Key(VK_ESCAPE);
            if (static_cast<int>(Pauses.size()) == ReleaseAt)
                Other->Exec("COMMIT");
        });
    }
    void TearDown() override
    {
        SetBusyWaitProc(nullptr);
        Other.reset();
        CtrlTest::TearDown();
    }
    // Posts from a scripted step, as a click on a button would; the error text, or "".
    std::string PostInScript()
    {
        std::string error = "none";
        RunScript([&](TInputScript& s) {
            s.Call([&] {
                try {
                    Table->Post();
                    error = "";
                } catch (const EDatabaseError& e) {
                    error = e.Message();
                }
            });
        });
        return error;
    }

    TDBEdit* Edit = nullptr;
    std::unique_ptr<TRawSql> Other;
    std::vector<int> Pauses;
    int EscAt = -1;
    int ReleaseAt = -1;
};

TEST_F(BusyCancel, EscStopsTheWaitAndTheTypedValueStaysUntilThePostSucceeds)
{
    input.Key(VK_END).Type("x");
    Run();
    ASSERT_EQ(Table->State(), dsEdit);
    Other = std::make_unique<TRawSql>(Path);
    Other->Exec("BEGIN IMMEDIATE; UPDATE people SET city = 'Oslo' WHERE id = 2");

    double start = Application->Now();
    EscAt = 3;
    EXPECT_EQ(PostInScript(), "database is locked");
    // Three pauses, then Esc in the application's next turn: no further pause.
    EXPECT_EQ(Pauses, (std::vector<int>{1, 2, 5}));
    EXPECT_EQ(Application->Now() - start, 8);
    // The Esc went to the wait, not to the edit or the dataset: nothing was cancelled.
    EXPECT_EQ(Table->State(), dsEdit);
    EXPECT_EQ(Table->FieldByName("name")->AsString(), "P1x");
    EXPECT_EQ(Edit->Text(), "P1x");
    EXPECT_EQ(Stored("SELECT name FROM people WHERE id = 1"), "P1");
    EXPECT_FALSE(EngineOperationRunning());

    // The request ended with that wait: the next Post waits again, and goes through when
    // the other connection commits during its second pause.
    Pauses.clear();
    EscAt = -1;
    ReleaseAt = 2;
    EXPECT_EQ(PostInScript(), "");
    EXPECT_EQ(Pauses, (std::vector<int>{1, 2}));
    EXPECT_EQ(Table->State(), dsBrowse);
    EXPECT_EQ(Stored("SELECT name FROM people WHERE id = 1"), "P1x");
    EXPECT_EQ(Stored("SELECT city FROM people WHERE id = 2"), "Oslo");
}

TEST_F(BusyCancel, EscBeforeAnyWaitCancelsNothingLater)
{
    // Esc pressed while nothing waits goes to the edit as usual and leaves no request
    // behind that would stop a later wait at once.
    input.Key(VK_END).Type("y").Key(VK_ESCAPE);
    Run();
    Table->Edit();
    Table->FieldByName("name")->SetAsString("Q1");
    Other = std::make_unique<TRawSql>(Path);
    Other->Exec("BEGIN IMMEDIATE");
    ReleaseAt = 4;
    EXPECT_EQ(PostInScript(), "");
    EXPECT_EQ(Pauses, (std::vector<int>{1, 2, 5, 10}));
    EXPECT_EQ(Stored("SELECT name FROM people WHERE id = 1"), "Q1");
}

}  // namespace
