#include "korin/platform/gui/Bitmap.h"

#include <cairo.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "korin/platform/core/Resources.h"

namespace korin {

namespace {

cairo_surface_t* NewSurface(int w, int h)
{
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        throw EInvalidGraphic("Out of memory for a bitmap of " + std::to_string(w) + " x " + std::to_string(h) + " pixels");
    }
    return s;
}

std::uint32_t* Row(cairo_surface_t* s, int y)
{
    return reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(s) + std::size_t(y) * cairo_image_surface_get_stride(s));
}

std::uint32_t Argb(TColor c)
{
    c = ColorToRGB(c);
    return 0xFF000000u | (std::uint32_t(GetRValue(c)) << 16) | (std::uint32_t(GetGValue(c)) << 8) | std::uint32_t(GetBValue(c));
}

// Reads little-endian fields, refusing any read past the end of the data.
struct Reader {
    std::span<const unsigned char> D;
    void Need(std::size_t off, std::size_t n) const
    {
        if (off > D.size() || n > D.size() - off)
            throw EInvalidGraphic("Bitmap image is not valid: the data ends inside its header");
    }
    std::uint32_t U16(std::size_t off) const { Need(off, 2); return D[off] | (D[off + 1] << 8); }
    std::uint32_t U32(std::size_t off) const
    {
        Need(off, 4);
        return std::uint32_t(D[off]) | (std::uint32_t(D[off + 1]) << 8) | (std::uint32_t(D[off + 2]) << 16) | (std::uint32_t(D[off + 3]) << 24);
    }
    std::int32_t I32(std::size_t off) const { return static_cast<std::int32_t>(U32(off)); }
};

[[noreturn]] void Invalid(const std::string& why) { throw EInvalidGraphic("Bitmap image is not valid: " + why); }

} // namespace

TBitmap::TBitmap() : TBitmap(0, 0) {}

TBitmap::TBitmap(int Width, int Height)
{
    FCanvas = std::make_unique<TCanvas>();
    Width = std::max(Width, 0);
    Height = std::max(Height, 0);
    cairo_surface_t* s = NewSurface(Width, Height);
    cairo_t* cr = cairo_create(s);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_destroy(cr);
    ReplaceSurface(s, Width, Height);
}

std::unique_ptr<TBitmap> TBitmap::CreateUnpainted(int Width, int Height)
{
    if (Width <= 0 || Height <= 0)
        return std::make_unique<TBitmap>(Width, Height);
    auto bmp = std::make_unique<TBitmap>(0, 0);
    // The surface draws on memory of its own (malloc'ed, not cleared), freed with it.
    static cairo_user_data_key_t key;
    int stride = cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, Width);
    void* data = stride > 0 ? std::malloc(std::size_t(stride) * std::size_t(Height)) : nullptr;
    cairo_surface_t* s = data ? cairo_image_surface_create_for_data(static_cast<unsigned char*>(data), CAIRO_FORMAT_ARGB32,
                                                                    Width, Height, stride)
                              : nullptr;
    if (!s || cairo_surface_status(s) != CAIRO_STATUS_SUCCESS ||
        cairo_surface_set_user_data(s, &key, data, std::free) != CAIRO_STATUS_SUCCESS) {
        if (s)
            cairo_surface_destroy(s);
        std::free(data);
        throw EInvalidGraphic("Out of memory for a bitmap of " + std::to_string(Width) + " x " + std::to_string(Height) +
                              " pixels");
    }
    bmp->ReplaceSurface(s, Width, Height);
    return bmp;
}

TBitmap::~TBitmap()
{
    FCanvas->SetHandle(nullptr);
    DeleteDC(FDC);
    cairo_surface_destroy(FSurface);
}

void TBitmap::ReplaceSurface(cairo_surface_t* Surface, int Width, int Height)
{
    FCanvas->SetHandle(nullptr);
    if (FDC)
        DeleteDC(FDC);
    if (FSurface)
        cairo_surface_destroy(FSurface);
    FSurface = Surface;
    FWidth = Width;
    FHeight = Height;
    cairo_t* cr = cairo_create(FSurface);
    FDC = CreateDC(cr);
    cairo_destroy(cr);
    FCanvas->SetHandle(FDC);
}

void TBitmap::SetSize(int Width, int Height)
{
    Width = std::max(Width, 0);
    Height = std::max(Height, 0);
    if (Width == FWidth && Height == FHeight)
        return;
    cairo_surface_t* s = NewSurface(Width, Height);
    cairo_t* cr = cairo_create(s);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_set_source_surface(cr, FSurface, 0, 0);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_rectangle(cr, 0, 0, std::min(Width, FWidth), std::min(Height, FHeight));
    cairo_fill(cr);
    cairo_destroy(cr);
    ReplaceSurface(s, Width, Height);
    Changed();
}

TCanvas& TBitmap::Canvas() { return *FCanvas; }

void TBitmap::Assign(const TBitmap& Source)
{
    if (&Source == this)
        return;
    cairo_surface_flush(Source.FSurface);
    cairo_surface_t* s = NewSurface(Source.FWidth, Source.FHeight);
    cairo_t* cr = cairo_create(s);
    cairo_set_source_surface(cr, Source.FSurface, 0, 0);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_destroy(cr);
    ReplaceSurface(s, Source.FWidth, Source.FHeight);
    FTransparent = Source.FTransparent;
    FTransparentMode = Source.FTransparentMode;
    FTransparentColor = Source.FTransparentColor;
    Changed();
}

void TBitmap::LoadFromBMP(std::span<const unsigned char> Data)
{
    Reader rd{Data};
    if (Data.size() < 14 || Data[0] != 'B' || Data[1] != 'M')
        Invalid("the data does not start with a bitmap file header");
    std::uint32_t offBits = rd.U32(10);
    std::uint32_t hdrSize = rd.U32(14);
    std::int64_t width, height;
    std::uint32_t planes, bpp, compression = 0, clrUsed = 0;
    std::size_t entry = 4;
    if (hdrSize == 12) {
        width = rd.U16(18);
        height = rd.U16(20);
        planes = rd.U16(22);
        bpp = rd.U16(24);
        entry = 3;
    } else if (hdrSize >= 40) {
        rd.Need(14, hdrSize);
        width = rd.I32(18);
        height = rd.I32(22);
        planes = rd.U16(26);
        bpp = rd.U16(28);
        compression = rd.U32(30);
        clrUsed = rd.U32(46);
    } else {
        Invalid("unknown header size " + std::to_string(hdrSize));
    }
    if (planes != 1)
        Invalid("plane count " + std::to_string(planes));
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32)
        Invalid(std::to_string(bpp) + " bits per pixel are not supported");
    if (compression == 3 && bpp == 32) {
        // Bit fields: only the usual 8-8-8 layout.
        if (rd.U32(54) != 0x00FF0000 || rd.U32(58) != 0x0000FF00 || rd.U32(62) != 0x000000FF)
            Invalid("unsupported colour masks");
    } else if (compression != 0) {
        Invalid("compressed bitmaps are not supported");
    }
    bool topDown = height < 0;
    if (topDown)
        height = -height;
    if (width <= 0 || height <= 0 || width > 32767 || height > 32767 || width * height > (std::int64_t(1) << 26))
        Invalid("size " + std::to_string(width) + " x " + std::to_string(height));
    const int w = int(width), h = int(height);

    // Palette.
    std::uint32_t palette[256] = {};
    std::uint32_t colours = 0;
    if (bpp <= 8) {
        std::uint32_t max = 1u << bpp;
        colours = clrUsed ? clrUsed : max;
        if (colours > max)
            Invalid("palette of " + std::to_string(colours) + " colours for " + std::to_string(bpp) + " bits per pixel");
        std::size_t at = 14 + hdrSize;
        if (at + colours * entry > Data.size())
            Invalid("the palette is truncated");
        for (std::uint32_t i = 0; i < colours; ++i) {
            const unsigned char* p = Data.data() + at + i * entry;
            palette[i] = 0xFF000000u | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[1]) << 8) | p[0];
        }
    }

    std::size_t stride = ((std::size_t(w) * bpp + 31) / 32) * 4;
    if (offBits > Data.size() || stride * std::size_t(h) > Data.size() - offBits)
        Invalid("the pixel data is truncated");

    cairo_surface_t* s = NewSurface(w, h);
    cairo_surface_flush(s);
    try {
        for (int y = 0; y < h; ++y) {
            const unsigned char* src = Data.data() + offBits + stride * std::size_t(topDown ? y : h - 1 - y);
            std::uint32_t* dst = Row(s, y);
            for (int x = 0; x < w; ++x) {
                if (bpp <= 8) {
                    std::uint32_t bit = std::uint32_t(x) * bpp;
                    std::uint32_t idx = (src[bit / 8] >> (8 - bpp - bit % 8)) & ((1u << bpp) - 1);
                    if (idx >= colours)
                        Invalid("colour index " + std::to_string(idx) + " lies outside the palette");
                    dst[x] = palette[idx];
                } else {
                    const unsigned char* p = src + std::size_t(x) * (bpp / 8);
                    dst[x] = 0xFF000000u | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[1]) << 8) | p[0];
                }
            }
        }
    } catch (...) {
        cairo_surface_destroy(s);
        throw;
    }
    cairo_surface_mark_dirty(s);
    ReplaceSurface(s, w, h);
    Changed();
}

void TBitmap::LoadFromResourceName(const std::string& Name) { LoadFromBMP(FindResourceData(Name)); }

void TBitmap::SaveToPNG(const std::string& Path) const
{
    cairo_surface_flush(FSurface);
    if (Empty())
        throw EInvalidGraphic("Cannot write an empty bitmap to " + Path);
    cairo_status_t st = cairo_surface_write_to_png(FSurface, Path.c_str());
    if (st != CAIRO_STATUS_SUCCESS)
        throw EInvalidGraphic("Cannot write " + Path + ": " + cairo_status_to_string(st));
}

TColor TBitmap::Pixels(int X, int Y) const
{
    if (X < 0 || Y < 0 || X >= FWidth || Y >= FHeight)
        return CLR_INVALID;
    cairo_surface_flush(FSurface);
    std::uint32_t p = Row(FSurface, Y)[X];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

void TBitmap::SetPixels(int X, int Y, TColor Color)
{
    if (X < 0 || Y < 0 || X >= FWidth || Y >= FHeight)
        return;
    cairo_surface_flush(FSurface);
    Row(FSurface, Y)[X] = Argb(Color);
    cairo_surface_mark_dirty_rectangle(FSurface, X, Y, 1, 1);
}

void TBitmap::SetTransparent(bool Value)
{
    if (Value != FTransparent) {
        FTransparent = Value;
        Changed();
    }
}

TColor TBitmap::TransparentColor() const
{
    if (FTransparentMode == tmFixed)
        return FTransparentColor;
    return Empty() ? clDefault : Pixels(0, FHeight - 1);
}

void TBitmap::SetTransparentColor(TColor Value)
{
    FTransparentColor = Value;
    FTransparentMode = tmFixed;
    Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode Value)
{
    if (Value != FTransparentMode) {
        FTransparentMode = Value;
        Changed();
    }
}

cairo_surface_t* TBitmap::CreateDrawSurface() const
{
    cairo_surface_flush(FSurface);
    if (!FTransparent || Empty())
        return cairo_surface_reference(FSurface);
    std::uint32_t key = Argb(TransparentColor());
    cairo_surface_t* s = NewSurface(FWidth, FHeight);
    cairo_surface_flush(s);
    for (int y = 0; y < FHeight; ++y) {
        const std::uint32_t* src = Row(FSurface, y);
        std::uint32_t* dst = Row(s, y);
        for (int x = 0; x < FWidth; ++x)
            dst[x] = src[x] == key ? 0 : src[x];
    }
    cairo_surface_mark_dirty(s);
    return s;
}

}  // namespace korin
