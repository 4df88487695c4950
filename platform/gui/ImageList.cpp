#include "korin/platform/gui/ImageList.h"

#include <cairo.h>

#include <algorithm>
#include <cstdint>

namespace korin {

namespace {

std::uint32_t* Row(cairo_surface_t* s, int y)
{
    return reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(s) + std::size_t(y) * cairo_image_surface_get_stride(s));
}

} // namespace

TChangeLink::~TChangeLink()
{
    if (FSender)
        FSender->UnRegisterChanges(this);
}

void TChangeLink::Change()
{
    if (OnChange)
        OnChange(FSender);
}

TCustomImageList::TCustomImageList(TComponent* AOwner, int Width, int Height)
    : TComponent(AOwner), FWidth(std::max(Width, 1)), FHeight(std::max(Height, 1))
{
}

TCustomImageList::~TCustomImageList()
{
    for (TChangeLink* l : FLinks)
        l->SetSender(nullptr);
    FLinks.clear();
    for (cairo_surface_t* s : FImages)
        cairo_surface_destroy(s);
}

void TCustomImageList::SetSize(int Width, int Height)
{
    Width = std::max(Width, 1);
    Height = std::max(Height, 1);
    if (Width == FWidth && Height == FHeight)
        return;
    FWidth = Width;
    FHeight = Height;
    for (cairo_surface_t* s : FImages)
        cairo_surface_destroy(s);
    FImages.clear();
    Change();
}

cairo_surface_t* TCustomImageList::Piece(const TBitmap& Image, int Left, const TBitmap* Mask, bool UseKey, TColor Key) const
{
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, FWidth, FHeight);
    cairo_surface_flush(s);
    TColor key = ColorToRGB(Key);
    for (int y = 0; y < FHeight; ++y) {
        std::uint32_t* dst = Row(s, y);
        for (int x = 0; x < FWidth; ++x) {
            TColor c = Image.Pixels(Left + x, y);
            bool clear = c == CLR_INVALID || (UseKey && c == key);
            if (Mask && !clear) {
                TColor m = Mask->Pixels(Left + x, y);
                clear = m == clWhite;
            }
            dst[x] = clear ? 0u
                           : 0xFF000000u | (std::uint32_t(GetRValue(c)) << 16) | (std::uint32_t(GetGValue(c)) << 8) | std::uint32_t(GetBValue(c));
        }
    }
    cairo_surface_mark_dirty(s);
    return s;
}

int TCustomImageList::AddPieces(const TBitmap& Image, const TBitmap* Mask, bool UseKey, TColor Key)
{
    if (Image.Empty())
        return -1;
    int first = Count();
    int pieces = std::max(1, Image.Width() / FWidth);
    for (int i = 0; i < pieces; ++i)
        FImages.push_back(Piece(Image, i * FWidth, Mask, UseKey, Key));
    Change();
    return first;
}

int TCustomImageList::Add(const TBitmap& Image, const TBitmap* Mask)
{
    bool key = !Mask && Image.Transparent();
    return AddPieces(Image, Mask, key, key ? Image.TransparentColor() : clNone);
}

int TCustomImageList::AddMasked(const TBitmap& Image, TColor MaskColor) { return AddPieces(Image, nullptr, true, MaskColor); }

void TCustomImageList::CheckIndex(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw EInvalidGraphicOperation("Invalid ImageList Index");
}

void TCustomImageList::Delete(int Index)
{
    CheckIndex(Index);
    cairo_surface_destroy(FImages[Index]);
    FImages.erase(FImages.begin() + Index);
    Change();
}

void TCustomImageList::Replace(int Index, const TBitmap& Image, const TBitmap* Mask)
{
    CheckIndex(Index);
    bool key = !Mask && Image.Transparent();
    cairo_surface_t* s = Piece(Image, 0, Mask, key, key ? Image.TransparentColor() : clNone);
    cairo_surface_destroy(FImages[Index]);
    FImages[Index] = s;
    Change();
}

void TCustomImageList::Clear()
{
    if (FImages.empty())
        return;
    for (cairo_surface_t* s : FImages)
        cairo_surface_destroy(s);
    FImages.clear();
    Change();
}

void TCustomImageList::Draw(TCanvas& Canvas, int X, int Y, int Index, bool Enabled) const
{
    if (Index < 0 || Index >= Count())
        return;
    HDC dc = Canvas.Handle();
    if (!dc)
        throw EInvalidGraphicOperation("Canvas does not allow drawing");
    cairo_t* cr = GetDCCairo(dc);
    cairo_surface_t* img = FImages[Index];
    cairo_save(cr);
    if (Enabled) {
        cairo_set_source_surface(cr, img, X, Y);
        cairo_rectangle(cr, X, Y, FWidth, FHeight);
        cairo_fill(cr);
    } else {
        // Emboss: the image's ink (opaque pixels that are not near white) as a mask, drawn
        // in the highlight colour one pixel down and right, then in the shadow colour.
        cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, FWidth, FHeight);
        cairo_surface_flush(mask);
        cairo_surface_flush(img);
        for (int y = 0; y < FHeight; ++y) {
            const std::uint32_t* src = Row(img, y);
            unsigned char* m = cairo_image_surface_get_data(mask) + std::size_t(y) * cairo_image_surface_get_stride(mask);
            for (int x = 0; x < FWidth; ++x) {
                std::uint32_t p = src[x];
                int lum = (int((p >> 16) & 0xFF) * 30 + int((p >> 8) & 0xFF) * 59 + int(p & 0xFF) * 11) / 100;
                m[x] = ((p >> 24) == 0xFF && lum < 224) ? 0xFF : 0;
            }
        }
        cairo_surface_mark_dirty(mask);
        for (int pass = 0; pass < 2; ++pass) {
            TColor c = ColorToRGB(pass == 0 ? clBtnHighlight : clBtnShadow);
            cairo_set_source_rgb(cr, GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0);
            cairo_mask_surface(cr, mask, X + 1 - pass, Y + 1 - pass);
        }
        cairo_surface_destroy(mask);
    }
    cairo_restore(cr);
}

void TCustomImageList::GetBitmap(int Index, TBitmap& Image) const
{
    CheckIndex(Index);
    Image.SetSize(FWidth, FHeight);
    Draw(Image.Canvas(), 0, 0, Index, true);
}

void TCustomImageList::RegisterChanges(TChangeLink* Value)
{
    if (!Value || std::find(FLinks.begin(), FLinks.end(), Value) != FLinks.end())
        return;
    if (Value->Sender() && Value->Sender() != this)
        Value->Sender()->UnRegisterChanges(Value);
    Value->SetSender(this);
    FLinks.push_back(Value);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* Value)
{
    auto it = std::find(FLinks.begin(), FLinks.end(), Value);
    if (it == FLinks.end())
        return;
    FLinks.erase(it);
    Value->SetSender(nullptr);
}

void TCustomImageList::EndUpdate()
{
    if (FUpdateCount > 0 && --FUpdateCount == 0 && FChanged)
        Change();
}

void TCustomImageList::Change()
{
    if (FUpdateCount > 0) {
        FChanged = true;
        return;
    }
    FChanged = false;
    // A handler may unregister links (its own or others): only links still registered hear.
    std::vector<TChangeLink*> links = FLinks;
    for (TChangeLink* l : links)
        if (std::find(FLinks.begin(), FLinks.end(), l) != FLinks.end())
            l->Change();
    if (OnChange)
        OnChange(this);
}

}  // namespace korin
