#pragma once
// Helpers shared by the data-aware controls: reading a dataset's rows without moving its
// cursor, UTF-8 text input, and the small painting pieces (field frames, cell texts,
// drop-down buttons, check and radio marks).
#include <string>
#include <vector>

#include "korin/platform/db/DB.h"
#include "korin/platform/gui/Canvas.h"
#include "korin/platform/gui/Controls.h"

namespace korin {

// The records of an open dataset as its engine holds them, in cursor order, read without
// moving the cursor or telling its links (grids and lookup lists show many rows while the
// dataset stays on its current record). Rows are 0-based; RecNo() − 1 is the current one.
class TDataSetRows {
public:
    explicit TDataSetRows(TDataSet* DataSet);
    int Count() const { return FCount; }
    // The stored value of Field in row Row (Null outside the rows).
    Variant Value(int Row, const TField* Field);

private:
    TDataSet* FDataSet;
    int FCount = 0;
};

// The UTF-8 bytes of one character.
std::string EncodeUtf8(char32_t Ch);

// A sunken field frame filled with Fill; R becomes the inside.
void PaintFieldFrame(TCanvas& Canvas, TRect& R, TColor Fill);
// One line of text in a cell, clipped, vertically centred, 2 pixels in from the side;
// a selected cell is filled with the highlight colour.
void PaintCellText(TCanvas& Canvas, const TRect& R, const std::string& Text, bool Selected, TAlignment Alignment);
// The button with a down arrow at the right of a combo box.
void PaintDropButton(TCanvas& Canvas, const TRect& R, bool Down);
void PaintCheckMark(TCanvas& Canvas, const TRect& Box, bool Checked, bool Grayed, bool Flat);
void PaintRadioMark(TCanvas& Canvas, const TRect& Box, bool Checked);

}  // namespace korin
