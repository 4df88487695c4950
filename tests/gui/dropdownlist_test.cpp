// The drop-down list window shared by the combo boxes: row geometry, scrolling to the hot
// row, which rows it paints, and which mouse actions pick a row or dismiss the list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "korin/platform/gui/Bitmap.h"
#include "korin/platform/gui/DropDownList.h"
#include "korin/platform/gui/Popups.h"
#include "tests/support/AppFixture.h"

using namespace korin;

namespace {

class TTestList : public TDropDownList {
public:
    TTestList(TControl* Source, int Count, std::vector<std::string>& Log)
        : TDropDownList(Source), FCount(Count), FLog(Log)
    {
    }

protected:
    int ItemCount() const override { return FCount; }
    int ItemHeight() const override { return 16; }
    void PaintItem(TCanvas&, const TRect& R, int Index, bool Hot) override
    {
        FLog.push_back("paint " + std::to_string(Index) + " at " + std::to_string(R.Top) + "-" +
                       std::to_string(R.Bottom) + (Hot ? " hot" : ""));
    }
    void ItemPicked(int Index) override { FLog.push_back("picked " + std::to_string(Index)); }
    void Dismissed() override { FLog.push_back("dismissed"); }

private:
    int FCount;
    std::vector<std::string>& FLog;
};

class DropDownList : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        form.reset(new TForm(nullptr));
        form->SetBorderStyle(bsNone);
        form->SetBounds(100, 100, 400, 300);
        form->Show();
    }
    void TearDown() override
    {
        DropList();
        form.reset();
        AppTest::TearDown();
    }
    // Drops a list of Count rows, four of them showing, holding the mouse.
    TTestList* Drop(int Count)
    {
        list = new TTestList(form.get(), Count, log);
        list->SetBounds(120, 150, 100, 4 * 16 + 2);
        list->SetVisible(true);
        BringPopupToFront(list);
        SetCaptureControl(list);
        return list;
    }
    void DropList()
    {
        if (!list)
            return;
        list->Closing = true;
        if (GetCaptureControl() == list)
            ReleaseCapture();
        delete list;
        list = nullptr;
    }
    TOwned<TForm> form;
    TTestList* list = nullptr;
    std::vector<std::string> log;
};

TEST_F(DropDownList, RowsScrollToTheHotRowAndOnlyVisibleRowsArePainted)
{
    Drop(10);
    EXPECT_TRUE(IsPopupWindow(list));
    EXPECT_EQ(list->Rows(), 4);
    EXPECT_EQ(list->HotIndex(), -1);
    // Rows start inside the 1-pixel frame; the frame itself is no row.
    EXPECT_EQ(list->ItemAt(0), -1);
    EXPECT_EQ(list->ItemAt(1), 0);
    EXPECT_EQ(list->ItemAt(16), 0);
    EXPECT_EQ(list->ItemAt(17), 1);
    EXPECT_EQ(list->ItemAt(4 * 16), 3);
    EXPECT_EQ(list->ItemAt(4 * 16 + 1), -1);

    list->Track(6);  // below the window: scrolled so that it is the last row shown
    EXPECT_EQ(list->HotIndex(), 6);
    EXPECT_EQ(list->TopIndex(), 3);
    EXPECT_EQ(list->ItemAt(1), 3);
    list->Track(4);  // already visible: no scrolling
    EXPECT_EQ(list->TopIndex(), 3);
    list->Track(1);  // above: becomes the first row shown
    EXPECT_EQ(list->TopIndex(), 1);
    list->Track(-1);  // none hot keeps the place
    EXPECT_EQ(list->TopIndex(), 1);
    list->Track(2);

    TBitmap bmp(100, 66);
    list->PaintTo(bmp.Canvas());
    EXPECT_EQ(log, (std::vector<std::string>{"paint 1 at 1-17", "paint 2 at 17-33 hot", "paint 3 at 33-49",
                                             "paint 4 at 49-65"}));

    // A short list paints only the rows it has, and past its end there is no row.
    DropList();
    log.clear();
    Drop(2);
    TBitmap small(100, 66);
    list->PaintTo(small.Canvas());
    EXPECT_EQ(log, (std::vector<std::string>{"paint 0 at 1-17", "paint 1 at 17-33"}));
    EXPECT_EQ(list->ItemAt(40), -1);
}

TEST_F(DropDownList, OnlyAReleaseAfterAPressOrAMoveInsidePicks)
{
    Drop(10);
    // The release of the press that dropped the list down picks nothing.
    RunScript([&](TInputScript& s) { s.MouseUp(list, 20, 1 + 16 + 8); });
    EXPECT_TRUE(log.empty());
    // A release over the frame or outside picks nothing either.
    RunScript([&](TInputScript& s) { s.MouseDown(list, 20, 1 + 8).MouseUp(list, 20, 0); });
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(list->HotIndex(), 0);  // the press made its row hot
    RunScript([&](TInputScript& s) { s.Click(list, 20, 1 + 2 * 16 + 8); });
    EXPECT_EQ(log, (std::vector<std::string>{"picked 2"}));

    // Dragged into the list from the control below the pointer, the release picks.
    DropList();
    log.clear();
    Drop(10);
    RunScript([&](TInputScript& s) { s.MouseMove(list, 20, 1 + 3 * 16 + 8).MouseUp(list, 20, 1 + 3 * 16 + 8); });
    EXPECT_EQ(list->HotIndex(), 3);
    EXPECT_EQ(log, (std::vector<std::string>{"picked 3"}));
}

TEST_F(DropDownList, APressOutsideOrALostCaptureDismissesUnlessClosing)
{
    Drop(10);
    RunScript([&](TInputScript& s) { s.MouseDown(form.get(), 300, 250); });
    EXPECT_EQ(log, (std::vector<std::string>{"dismissed"}));

    DropList();
    log.clear();
    Drop(10);
    ReleaseCapture();  // someone else takes the mouse
    EXPECT_EQ(log, (std::vector<std::string>{"dismissed"}));

    // The owner closing the list releases the capture without a dismissal.
    log.clear();
    SetCaptureControl(list);
    DropList();
    EXPECT_TRUE(log.empty());
}

}  // namespace
