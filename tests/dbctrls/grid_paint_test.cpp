// Grid cells drawn through the text cache: a repaint shapes no text again and shows the
// same pixels, a new font is shaped and shows as a cold paint would, and a cell's text is
// measured as it is drawn.
#include <cairo.h>

#include <string>

#include "korin/platform/dbctrls/DBCtrlUtils.h"
#include "korin/platform/dbctrls/DBGrids.h"
#include "korin/platform/gui/Render.h"
#include "korin/platform/gui/TextLayout.h"
#include "tests/dbctrls/CtrlFixture.h"

using namespace korin;

namespace {

std::string Raster(const TBitmap& B)
{
    cairo_surface_t* s = B.Surface();
    cairo_surface_flush(s);
    const unsigned char* data = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    std::string out;
    for (int y = 0; y < B.Height(); ++y)
        out.append(reinterpret_cast<const char*>(data + std::size_t(y) * stride), std::size_t(B.Width()) * 4);
    return out;
}

class GridPaint : public CtrlTest {};

TEST_F(GridPaint, ARepaintShapesNoTextAndShowsTheSamePixels)
{
    auto* grid = new TDBGrid(Form.get());
    grid->SetParent(Form.get());
    grid->SetBounds(0, 0, 600, 19 * 11 + 5);
    grid->SetDataSource(Source);
    Table->Open();
    Form->Show();
    grid->SetFocus();

    ClearTextCache();
    std::string cold = Raster(*RenderWindow(Form.get(), false));
    TTextCacheStats first = TextCacheStats();
    // Titles, ten rows of id, name, age, notes, city, dates …: every text shaped once.
    EXPECT_GT(first.Misses, 40u);
    std::string warm = Raster(*RenderWindow(Form.get(), false));
    EXPECT_EQ(TextCacheStats().Misses, first.Misses);
    EXPECT_TRUE(warm == cold);

    // Moving on repaints the rows with the texts already shaped: only the selection moved.
    Table->Next();
    Application->ProcessMessages();
    std::string moved = Raster(*RenderWindow(Form.get(), false));
    EXPECT_EQ(TextCacheStats().Misses, first.Misses);
    EXPECT_FALSE(moved == cold);

    // A bigger font: the texts are shaped again, and the picture is the one a cold cache
    // gives for that font.
    grid->Font().SetHeight(-14);
    std::string big = Raster(*RenderWindow(Form.get(), false));
    EXPECT_GT(TextCacheStats().Misses, first.Misses + 40);
    EXPECT_FALSE(big == moved);
    ClearTextCache();
    EXPECT_TRUE(Raster(*RenderWindow(Form.get(), false)) == big);
}

TEST(CellText, ARightAlignedOrCentredMemoIsPlacedByTheLineDrawn)
{
    // A memo's line break shows as a space; the text is placed by the width of what is
    // drawn, so the two cells are the same picture.
    for (TAlignment a : {taRightJustify, taCenter}) {
        for (auto [memo, shown] : {std::pair{"note 1\nsecond line", "note 1 second line"},
                                   {"note 1\r\nsecond line", "note 1  second line"}}) {
            TBitmap withBreak(160, 18), withSpace(160, 18);
            TRect r = Rect(0, 0, 160, 18);
            PaintCellText(withBreak.Canvas(), r, memo, false, a);
            PaintCellText(withSpace.Canvas(), r, shown, false, a);
            EXPECT_TRUE(Raster(withBreak) == Raster(withSpace)) << a << " " << shown;
        }
    }
}

}  // namespace
