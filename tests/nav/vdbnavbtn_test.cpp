// The button tables, the button set and the glyph resources.
#include <gtest/gtest.h>

#include "korin/nav/Vdbnav.h"
#include "korin/nav/Vdbnavbtn.h"
#include "korin/platform/core/Resources.h"
#include "korin/platform/gui/Bitmap.h"

using namespace korin;

TEST(NavButtonSet, StoredMasksDecode)
{
    TVButtonSet classic = TVButtonSet::FromMask(16281);
    std::vector<TVNavigateBtn> members;
    for (TVNavigateBtn b : AllNavButtons())
        if (classic.Contains(b))
            members.push_back(b);
    EXPECT_EQ(members, (std::vector<TVNavigateBtn>{vnbFirst, vnbPrior, vnbNext, vnbLast, vnbInsert, vnbDelete,
                                                    vnbEdit, vnbPost, vnbCancel, vnbRefresh}));
    EXPECT_EQ(classic, ClassicVisibleButtons);

    TVButtonSet nineteen = TVButtonSet::FromMask(524287);
    EXPECT_EQ(nineteen.Count(), 19);
    EXPECT_TRUE(nineteen.Contains(vnbFindNext));
    EXPECT_FALSE(nineteen.Contains(vnbDittoCopyField));
    EXPECT_EQ(nineteen, TVButtonSet::Range(vnbFirst, vnbFindNext));
    EXPECT_EQ(InitialVisibleButtons.Mask(), 524287u);

    // Bits 25 to 31 name no button.
    EXPECT_EQ(TVButtonSet::FromMask(0xFFFFFFFFu).Mask(), 0x01FFFFFFu);
    EXPECT_EQ((TVButtonSet{vnbDateTime} + vnbFirst).Mask(), (1u << 24) | 1u);
    EXPECT_EQ((nineteen - vnbFirst).Count(), 18);
}

TEST(NavButtonTables, TextsAndShortcuts)
{
    EXPECT_STREQ(BtnTypeName[vnbDittoCopyField], "_DITTOFLD");
    EXPECT_STREQ(BtnTypeName[vnbGotoNextDSControl], "_GOTONEXTDSCONTROL");
    EXPECT_STREQ(BtnHintText[vnbPriorPage], "PRIORPAGE");
    EXPECT_STREQ(BtnHintText[vnbLastField], "LAST FIELD");
    EXPECT_STREQ(BtnHintText[vnbGotoNextDSControl], "NEXT DATA SOURCE CONTROL");
    EXPECT_STREQ(BtnHintText[vnbDateTime], "DATE/TIME");
    EXPECT_EQ(DefaultShortCuts[vnbDittoCopyRecord], "Shift+Ctrl+D");
    EXPECT_EQ(DefaultShortCuts[vnbFindNext], "Ctrl+Alt+Z");
    // The two tables differ only for PRIOR and NEXT.
    for (TVNavigateBtn b : AllNavButtons()) {
        if (b == vnbPrior || b == vnbNext)
            continue;
        EXPECT_EQ(DefaultShortCuts[b], DefaultSShortCuts[b]) << Ord(b);
    }
    EXPECT_EQ(DefaultShortCuts[vnbPrior], "Up");
    EXPECT_EQ(DefaultSShortCuts[vnbPrior], "PgUp");
    EXPECT_EQ(DefaultShortCuts[vnbNext], "Down");
    EXPECT_EQ(DefaultSShortCuts[vnbNext], "PgDn");
}

TEST(NavGlyphs, NamesAndImagesAtBothSizes)
{
    EXPECT_EQ(NavGlyphName(vnbDittoCopyField, bis16), "DBN_16_DITTOFLD");
    EXPECT_EQ(NavGlyphName(vnbDittoCopyField, bis10), "DBN__DITTOFLD");
    EXPECT_EQ(NavGlyphName(vnbFirst, bis10), "DBN__FIRST");
    for (TVNavigateBtn b : AllNavButtons()) {
        for (TButtonImageSize size : {bis10, bis16}) {
            SCOPED_TRACE(NavGlyphName(b, size));
            TBitmap bmp;
            bmp.LoadFromResourceName(NavGlyphName(b, size));
            EXPECT_EQ(bmp.Width(), size == bis16 ? 32 : 20);
            EXPECT_EQ(bmp.Height(), size == bis16 ? 16 : 7);
            // The bottom-left pixel is the transparent olive, and it is used nowhere in
            // the drawing itself; the disabled half is drawn (not empty).
            TColor bg = bmp.Pixels(0, bmp.Height() - 1);
            EXPECT_EQ(bg, TColor(0x008080));
            int inked[2] = {0, 0};
            for (int y = 0; y < bmp.Height(); ++y)
                for (int x = 0; x < bmp.Width(); ++x)
                    if (bmp.Pixels(x, y) != bg)
                        ++inked[x < bmp.Width() / 2 ? 0 : 1];
            EXPECT_GT(inked[0], 4);
            EXPECT_GT(inked[1], 4);
        }
    }
    for (const char* name : {"TVANDRODBNAVIGATOR", "TKSTATUSBAR"}) {
        TBitmap bmp;
        bmp.LoadFromResourceName(name);
        EXPECT_EQ(bmp.Width(), 24);
        EXPECT_EQ(bmp.Height(), 24);
        EXPECT_EQ(FindResourceData(name)[28], 4) << "4 bits per pixel";
    }
}
