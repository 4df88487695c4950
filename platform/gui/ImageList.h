#pragma once
// Image lists: equally sized images drawn by index (tool buttons, status panels), with
// change links that tell their users when the list changes.
#include <vector>

#include "korin/platform/core/Component.h"
#include "korin/platform/gui/Bitmap.h"

typedef struct _cairo_surface cairo_surface_t;  // the C library's own type

namespace korin {

class TCustomImageList;

// A user's subscription to an image list's changes. The list calls Change (which fires
// OnChange with the list as sender) after every change; a link destroyed while registered
// unregisters itself, and a list being destroyed detaches its links (Sender becomes null).
class TChangeLink : public TObject {
public:
    TChangeLink() = default;
    ~TChangeLink() override;
    TCustomImageList* Sender() const { return FSender; }
    void SetSender(TCustomImageList* Value) { FSender = Value; }
    virtual void Change();
    TNotifyEvent OnChange;

private:
    TCustomImageList* FSender = nullptr;
};

class TCustomImageList : public TComponent {
public:
    explicit TCustomImageList(TComponent* AOwner, int Width = 16, int Height = 16);
    ~TCustomImageList() override;

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    // Changing the size removes every image.
    void SetWidth(int Value) { SetSize(Value, FHeight); }
    void SetHeight(int Value) { SetSize(FWidth, Value); }
    void SetSize(int Width, int Height);
    int Count() const { return static_cast<int>(FImages.size()); }

    // Adds the image, cut into Width-wide pieces when it is wider (a strip of images);
    // answers the index of the first image added. Transparency: with a Mask, its white
    // pixels; otherwise the image's transparent colour when it is Transparent.
    int Add(const TBitmap& Image, const TBitmap* Mask = nullptr);
    // Adds the image with MaskColor transparent.
    int AddMasked(const TBitmap& Image, TColor MaskColor);
    // Raises EInvalidGraphicOperation "Invalid ImageList Index" for an index out of range.
    void Delete(int Index);
    void Replace(int Index, const TBitmap& Image, const TBitmap* Mask = nullptr);
    void Clear();

    // Draws image Index with its top left at (X, Y); nothing for an index out of range.
    // A disabled image is drawn embossed: its dark pixels as a highlight offset by one pixel
    // with the shadow colour on top.
    void Draw(TCanvas& Canvas, int X, int Y, int Index, bool Enabled = true) const;
    // Sizes Image to Width x Height and draws image Index onto it (transparent pixels keep
    // what Image held there, white for new pixels).
    void GetBitmap(int Index, TBitmap& Image) const;

    void RegisterChanges(TChangeLink* Value);
    void UnRegisterChanges(TChangeLink* Value);
    // Groups changes: links hear of them once, at the outermost EndUpdate.
    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();

    TNotifyEvent OnChange;

protected:
    void Change();

private:
    cairo_surface_t* Piece(const TBitmap& Image, int Left, const TBitmap* Mask, bool UseKey, TColor Key) const;
    int AddPieces(const TBitmap& Image, const TBitmap* Mask, bool UseKey, TColor Key);
    void CheckIndex(int Index) const;

    int FWidth;
    int FHeight;
    std::vector<cairo_surface_t*> FImages; // ARGB32, transparent pixels with alpha 0
    std::vector<TChangeLink*> FLinks;
    int FUpdateCount = 0;
    bool FChanged = false;
};

class TImageList : public TCustomImageList {
public:
    using TCustomImageList::TCustomImageList;
};

}  // namespace korin
