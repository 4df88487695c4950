#include "korin/platform/dbctrls/DBCtrlUtils.h"

#include <algorithm>

#include "korin/platform/gui/Draw3D.h"

namespace korin {

TDataSetRows::TDataSetRows(TDataSet* DataSet) : FDataSet(DataSet)
{
    if (FDataSet && FDataSet->Active())
        FCount = FDataSet->RecordCount();
}

Variant TDataSetRows::Value(int Row, const TField* Field)
{
    if (Row < 0 || Row >= FCount || !Field)
        return Variant::Null();
    return FDataSet->ValueAt(Row + 1, Field);
}

void PaintFieldFrame(TCanvas& Canvas, TRect& R, TColor Fill)
{
    DrawEdge(Canvas, R, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    Canvas.Brush().SetColor(Fill);
    Canvas.FillRect(R);
}

void PaintCellText(TCanvas& Canvas, const TRect& R, const std::string& Text, bool Selected, TAlignment Alignment)
{
    if (Selected) {
        Canvas.Brush().SetColor(clHighlight);
        Canvas.FillRect(R);
        Canvas.Font().SetColor(clHighlightText);
    }
    Canvas.Brush().SetStyle(bsClear);
    // One line only: a memo's line breaks show as spaces. The line is measured as it is
    // drawn, so measuring and drawing share one shaped layout of the canvas's text cache
    // (and a right-aligned memo ends at the margin).
    std::string line = Text;
    std::replace(line.begin(), line.end(), '\n', ' ');
    std::replace(line.begin(), line.end(), '\r', ' ');
    int th = Canvas.TextHeight("Ag");
    int w = Alignment == taLeftJustify ? 0 : Canvas.TextWidth(line);
    int x = R.Left + 2;
    if (Alignment == taRightJustify)
        x = R.Right - 2 - w;
    else if (Alignment == taCenter)
        x = R.Left + (R.Width() - w) / 2;
    Canvas.TextRect(R, x, R.Top + (R.Height() - th) / 2, line);
    if (Selected)
        Canvas.Font().SetColor(clWindowText);
}

void PaintDropButton(TCanvas& Canvas, const TRect& R, bool Down)
{
    TRect face = DrawButtonFace(Canvas, R, Down);
    int cx = (face.Left + face.Right) / 2, cy = (face.Top + face.Bottom) / 2;
    Canvas.Pen().SetColor(clBtnText);
    for (int i = 0; i < 4; ++i) {
        Canvas.MoveTo(cx - 3 + i, cy - 1 + i);
        Canvas.LineTo(cx + 4 - i, cy - 1 + i);
    }
}

void PaintCheckMark(TCanvas& Canvas, const TRect& Box, bool Checked, bool Grayed, bool Flat)
{
    TRect r = Box;
    DrawEdge(Canvas, r, Flat ? EDGE_SUNKEN : EDGE_SUNKEN, BF_RECT | BF_ADJUST | (Flat ? BF_FLAT : 0u));
    Canvas.Brush().SetColor(Grayed ? clBtnFace : clWindow);
    Canvas.FillRect(r);
    if (Checked || Grayed) {
        Canvas.Pen().SetColor(Grayed ? clBtnShadow : clWindowText);
        for (int i = 0; i < 2; ++i) {
            Canvas.MoveTo(r.Left + 1, r.Top + 3 + i);
            Canvas.LineTo(r.Left + 3, r.Top + 5 + i);
            Canvas.LineTo(r.Left + 8, r.Top + i);
        }
    }
}

void PaintRadioMark(TCanvas& Canvas, const TRect& Box, bool Checked)
{
    Canvas.Brush().SetColor(clWindow);
    Canvas.Pen().SetColor(clBtnShadow);
    Canvas.Ellipse(Box);
    if (Checked) {
        Canvas.Brush().SetColor(clWindowText);
        Canvas.Pen().SetColor(clWindowText);
        TRect dot = Box;
        InflateRect(dot, -3, -3);
        Canvas.Ellipse(dot);
    }
}

std::string EncodeUtf8(char32_t c)
{
    std::string s;
    if (c < 0x80) {
        s += static_cast<char>(c);
    } else if (c < 0x800) {
        s += static_cast<char>(0xC0 | (c >> 6));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        s += static_cast<char>(0xE0 | (c >> 12));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | (c >> 18));
        s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
    return s;
}

}  // namespace korin
