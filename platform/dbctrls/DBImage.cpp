#include "korin/platform/dbctrls/DBCtrls.h"

#include <algorithm>

#include "korin/platform/core/DateUtils.h"
#include "korin/platform/dbctrls/DBCGrids.h"
#include "korin/platform/dbctrls/DBCtrlUtils.h"
#include "korin/platform/gui/Canvas.h"
#include "korin/platform/gui/Draw3D.h"
#include "korin/platform/gui/DrawText.h"
#include "korin/platform/gui/DropDownList.h"
#include "korin/platform/gui/Popups.h"
#include "korin/platform/gui/StdCtrls.h"

namespace korin {

// ---------------------------------------------------------------------------------------
// TDBImage

TDBImage::TDBImage(TComponent* AOwner) : TDBFieldControl<TCustomControl>(AOwner)
{
    SetTabStop(true);
    SetColor(clWindow);
    SetBounds(0, 0, 105, 105);
    FDataLink.OnDataChange = [this](TObject*) { DataChange(this); };
}

void TDBImage::DataChange(TObject*)
{
    FPicture.SetSize(0, 0);
    if (TField* f = Field()) {
        std::string bytes = f->AsString();
        if (!bytes.empty()) {
            try {
                FPicture.LoadFromBMP(std::span<const unsigned char>(
                    reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()));
            } catch (const EInvalidGraphic&) {
                // A damaged image shows as none; the field keeps its bytes.
                FPicture.SetSize(0, 0);
            }
        }
    }
    Invalidate();
}

void TDBImage::Paint()
{
    TCanvas& c = *Canvas();
    TRect r = ClientRect();
    PaintFieldFrame(c, r, Color());
    if (FPicture.Empty())
        return;
    if (FStretch)
        c.StretchDraw(r, FPicture);
    else
        c.Draw(r.Left, r.Top, FPicture);
}

}  // namespace korin
