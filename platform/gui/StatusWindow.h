#pragma once
// TStatusWindow: the native status window ("msctls_statusbar32") of the platform. It keeps
// parts with right edges, a text and flags per part, and a simple part (index 255) shown
// across the whole window in simple mode; it paints the parts' bevels, their text and the
// size grip itself, and asks for owner-drawn parts to be drawn with CN_DRAWITEM (LParam: a
// TDrawItemStruct with the part index and its rectangle inside the bevel).
//
// It answers the status-window messages by their numbers, as a control that subclasses it
// passes them on (SendMessage or Perform). Part geometry: parts sit 2 pixels below the
// window's top edge and reach its bottom; consecutive parts are 2 pixels apart; each part
// has a 1-pixel bevel, so the drawing rectangle of a part in a 19-pixel window is 15 high.
#include <cstdint>
#include <string>
#include <vector>

#include "korin/platform/core/Collections.h"
#include "korin/platform/gui/Canvas.h"
#include "korin/platform/gui/Controls.h"

namespace korin {

constexpr const char* STATUSCLASSNAME = "msctls_statusbar32";

// Messages (numbers as sent).
constexpr std::uint32_t SB_SETTEXT = 0x0401;     // WParam: part | flags; LParam: const char*
constexpr std::uint32_t SB_GETTEXT = 0x0402;     // answers the part's text length; LParam: std::string* (may be 0)
constexpr std::uint32_t SB_SETPARTS = 0x0404;    // WParam: count (at most 256); LParam: const int* right edges
constexpr std::uint32_t SB_GETPARTS = 0x0406;    // WParam: room; LParam: int* edges (may be 0); answers the count
constexpr std::uint32_t SB_SIMPLE = 0x0409;      // WParam: 1 on, 0 off
constexpr std::uint32_t SB_GETRECT = 0x040A;     // WParam: part; LParam: TRect*; answers 1 when the part exists
constexpr std::uint32_t SB_ISSIMPLE = 0x040E;
constexpr std::uint32_t SB_SETBKCOLOR = 0x2001;  // LParam: RGB colour or CLR_DEFAULT; answers the old one

constexpr int SB_SIMPLEID = 255;
// Part flags of SB_SETTEXT (in WParam, above the part index).
constexpr std::uint32_t SBT_NOBORDERS = 0x0100;
constexpr std::uint32_t SBT_POPOUT = 0x0200;
constexpr std::uint32_t SBT_RTLREADING = 0x0400;
constexpr std::uint32_t SBT_OWNERDRAW = 0x1000;
// Window styles.
constexpr std::uint32_t CCS_TOP = 0x0001;
constexpr std::uint32_t SBARS_SIZEGRIP = 0x0100;
constexpr std::uint32_t CLR_DEFAULT = 0xFF000000;

// Common-controls initialisation: the platform's controls need none; kept so that callers
// can state what they use.
constexpr std::uint32_t ICC_BAR_CLASSES = 4;
bool InitCommonControls(std::uint32_t Classes);

// The owner-draw request (LParam of CN_DRAWITEM).
struct TDrawItemStruct {
    unsigned CtlType = 0;
    unsigned CtlID = 0;
    unsigned ItemID = 0;  // the part index
    unsigned ItemAction = 1;
    unsigned ItemState = 0;
    HWND hwndItem = 0;
    HDC hDC = nullptr;
    TRect rcItem;
    std::uintptr_t ItemData = 0;  // the part's text (const char*)
};

// The bevel of a status part.
enum TStatusPanelBevel { pbNone, pbLowered, pbRaised };

// A plain status panel as a collection item: a text with its width, alignment and bevel
// (what a status part holds, for code that copies such descriptions into richer panels).
class TStatusPanel : public TCollectionItem {
public:
    explicit TStatusPanel(TCollection* Collection) : TCollectionItem(Collection) {}
    const std::string& Text() const { return FText; }
    void SetText(const std::string& Value) { FText = Value; Changed(false); }
    int Width() const { return FWidth; }
    void SetWidth(int Value) { FWidth = Value; Changed(true); }
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value) { FAlignment = Value; Changed(false); }
    TStatusPanelBevel Bevel() const { return FBevel; }
    void SetBevel(TStatusPanelBevel Value) { FBevel = Value; Changed(false); }

private:
    std::string FText;
    int FWidth = 50;
    TAlignment FAlignment = taLeftJustify;
    TStatusPanelBevel FBevel = pbLowered;
};

// Marks a rectangle of a window's client area for repainting; Rect null means all of it.
// Status windows keep the rectangles until their next paint (UpdateRects).
void InvalidateRect(HWND Window, const TRect* Rect, bool Erase);

class TStatusWindow : public TWinControl {
public:
    explicit TStatusWindow(TComponent* AOwner);

    // What the window holds (read by tests and by painting).
    int PartCount() const { return static_cast<int>(FParts.size()); }
    int PartEdge(int Index) const;
    const std::string& PartText(int Index) const;
    std::uint32_t PartFlags(int Index) const;
    bool Simple() const { return FSimple; }
    const std::string& SimplePartText() const { return FSimplePart.Text; }
    std::uint32_t SimplePartFlags() const { return FSimplePart.Flags; }
    TColor BkColor() const { return FBkColor; }
    bool HasSizeGrip() const;
    // The part rectangle including its bevel, as SB_GETRECT answers it.
    bool GetPartRect(int Index, TRect& Rect) const;
    // Rectangles invalidated since the last paint, and how many SB_SETTEXT calls arrived.
    const std::vector<TRect>& UpdateRects() const { return FUpdateRects; }
    void ClearUpdateRects() { FUpdateRects.clear(); }
    int SetTextCount() const { return FSetTextCount; }
    // Owner-draw requests sent so far (one per owner-drawn part per paint).
    int DrawItemCount() const { return FDrawItemCount; }

    void AddUpdateRect(const TRect& R);
    // Marks one rectangle for repainting (what InvalidateRect does to a status window);
    // Invalidate marks the whole window.
    void InvalidatePart(const TRect& R);
    void Invalidate() override;
    // The box around what is marked for repainting: the whole client area after
    // Invalidate, else the rectangles of the parts marked since the last paint.
    TRect InvalidRect() const;

protected:
    void CreateParams(TCreateParams& Params) override;
    // A window that goes forgets its parts, as a new one starts without any.
    void DestroyWnd() override;
    // The window's own handling of the status-window messages and of WM_PAINT.
    void DefaultHandler(TMessage& Message) override;
    // Painting goes through WM_PAINT (LParam: the canvas), so that a subclass sees it.
    void Paint() override;

private:
    struct TPart {
        int Edge = -1;
        std::string Text;
        std::uint32_t Flags = 0;
    };
    void PaintParts(TCanvas& Canvas);
    void PaintPart(TCanvas& Canvas, int Index, const TPart& Part, TRect R);
    TRect PartBox(int Index) const;

    std::vector<TPart> FParts;
    TPart FSimplePart;
    bool FSimple = false;
    TColor FBkColor = clBtnFace;
    std::vector<TRect> FUpdateRects;
    bool FInvalidAll = true;
    bool FMarkingPart = false;
    int FSetTextCount = 0;
    int FDrawItemCount = 0;
};

}  // namespace korin
