// Image lists: strips cut into images, masked drawing, and change links.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "korin/platform/gui/ImageList.h"

using namespace korin;

namespace {

// Two 4 x 4 images side by side on a fuchsia background: a navy dot at (1, 1) in the
// first, a green one at (2, 2) in the second.
void Strip(TBitmap& s)
{
    s.SetSize(8, 4);
    s.Canvas().Brush().SetColor(clFuchsia);
    s.Canvas().FillRect(Rect(0, 0, 8, 4));
    s.SetPixels(1, 1, clNavy);
    s.SetPixels(4 + 2, 2, clGreen);
}

TEST(ImageList, AddCutsStripsAndDrawsMasked)
{
    TImageList list(nullptr, 4, 4);
    TBitmap strip;
    Strip(strip);
    EXPECT_EQ(list.AddMasked(strip, clFuchsia), 0);
    EXPECT_EQ(list.Count(), 2);
    strip.SetTransparent(true); // bottom-left pixel: fuchsia
    EXPECT_EQ(list.Add(strip), 2);
    EXPECT_EQ(list.Count(), 4);

    TBitmap d(10, 10);
    d.Canvas().Brush().SetColor(clSilver);
    d.Canvas().FillRect(Rect(0, 0, 10, 10));
    list.Draw(d.Canvas(), 3, 3, 1);
    EXPECT_EQ(d.Pixels(5, 5), clGreen);
    EXPECT_EQ(d.Pixels(3, 3), clSilver); // masked
    EXPECT_EQ(d.Pixels(4, 4), clSilver); // the other image's dot is not here
    list.Draw(d.Canvas(), 0, 0, 4); // out of range: nothing
    list.Draw(d.Canvas(), 0, 0, -1);
    EXPECT_EQ(d.Pixels(0, 0), clSilver);

    // Disabled: the dot embossed, highlight one pixel down-right under the shadow colour.
    list.Draw(d.Canvas(), 0, 0, 0, false);
    EXPECT_EQ(d.Pixels(1, 1), ColorToRGB(clBtnShadow));
    EXPECT_EQ(d.Pixels(2, 2), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(d.Pixels(0, 0), clSilver);

    TBitmap one;
    list.GetBitmap(2, one);
    EXPECT_EQ(one.Width(), 4);
    EXPECT_EQ(one.Pixels(1, 1), clNavy);
    EXPECT_EQ(one.Pixels(0, 0), clWhite);

    try {
        list.Delete(4);
        FAIL();
    } catch (const EInvalidGraphicOperation& e) {
        EXPECT_EQ(e.Message(), "Invalid ImageList Index");
    }
    list.Delete(0);
    EXPECT_EQ(list.Count(), 3);
    list.Draw(d.Canvas(), 3, 3, 0);
    EXPECT_EQ(d.Pixels(5, 5), clGreen); // the former image 1
    // A new size empties the list.
    list.SetWidth(8);
    EXPECT_EQ(list.Count(), 0);
}

TEST(ImageList, ChangeLinksHearChangesInOrder)
{
    std::vector<std::string> log;
    auto* list = new TImageList(nullptr, 4, 4);
    TChangeLink a, b;
    a.OnChange = [&](TObject* s) { log.push_back(s == list ? "a" : "a?"); };
    b.OnChange = [&](TObject* s) { log.push_back(s == list ? "b" : "b?"); };
    list->OnChange = [&](TObject*) { log.push_back("list"); };
    list->RegisterChanges(&a);
    list->RegisterChanges(&b);
    list->RegisterChanges(&a); // registering twice changes nothing
    EXPECT_EQ(a.Sender(), list);

    TBitmap strip;
    Strip(strip);
    list->Add(strip);
    EXPECT_EQ(log, (std::vector<std::string>{"a", "b", "list"}));

    // Grouped changes are heard once.
    log.clear();
    list->BeginUpdate();
    list->Add(strip);
    list->Delete(0);
    EXPECT_TRUE(log.empty());
    list->EndUpdate();
    EXPECT_EQ(log, (std::vector<std::string>{"a", "b", "list"}));

    // A handler that unregisters the next link keeps it from hearing this change.
    log.clear();
    a.OnChange = [&](TObject*) {
        log.push_back("a");
        list->UnRegisterChanges(&b);
    };
    list->Clear();
    EXPECT_EQ(log, (std::vector<std::string>{"a", "list"}));
    EXPECT_EQ(b.Sender(), nullptr);

    // A link destroyed while registered leaves; the list's destruction detaches the rest.
    {
        TChangeLink c;
        list->RegisterChanges(&c);
    }
    log.clear();
    list->Add(strip);
    EXPECT_EQ(log, (std::vector<std::string>{"a", "list"}));
    list->Free();
    EXPECT_EQ(a.Sender(), nullptr);
}

TEST(ImageList, OwnerFreesTheList)
{
    TChangeLink link;
    {
        TOwned<TComponent> owner(new TComponent(nullptr));
        auto* list = new TImageList(owner.get(), 16, 16);
        EXPECT_EQ(list->Owner(), owner.get());
        EXPECT_EQ(list->ClassName(), "TImageList");
        list->RegisterChanges(&link);
    }
    EXPECT_EQ(link.Sender(), nullptr);
}

} // namespace
