// Registration of the status bar: its published properties and those of its panels for
// form files, and its place on the palette page "Korin".
#include "korin/platform/core/Registry.h"
#include "korin/platform/gui/Registration.h"
#include "korin/statusbar/Statbar.h"

namespace korin {

namespace {

using I = std::int64_t;

void RegisterPanel()
{
    using P = TKStatusPanel;
    RegisterClass<P>("TKStatusPanel")
        .Enum<TAlignment>("Alignment", {"taLeftJustify", "taRightJustify", "taCenter"}, &P::Alignment, &P::SetAlignment)
        .Default(taLeftJustify)
        .Boolean("AutoSize", &P::AutoSize, &P::SetAutoSize)
        .AlwaysStored()
        .Enum<TStatusPanelBevel>("Bevel", {"pbNone", "pbLowered", "pbRaised"}, &P::Bevel, &P::SetBevel)
        .Default(pbLowered)
        .Enum<TBiDiMode>("BiDiMode",
                         {"bdLeftToRight", "bdRightToLeft", "bdRightToLeftNoAlign", "bdRightToLeftReadingOnly"},
                         &P::BiDiMode, &P::SetBiDiMode)
        .StoredWhen([](P* p) { return p->IsBiDiModeStored(); })
        .AlwaysStored()
        .Integer("BorderWidth", [](P* p) -> I { return p->BorderWidth(); },
                 [](P* p, I v) { p->SetBorderWidth(static_cast<int>(v)); })
        .Default(0)
        .String("Hint", [](P* p) { return p->Hint(); }, [](P* p, const std::string& v) { p->SetHint(v); })
        .AlwaysStored()
        .Boolean("Enabled", &P::Enabled, &P::SetEnabled)
        .AlwaysStored()
        .Integer("ImageIndex", [](P* p) -> I { return p->ImageIndex(); },
                 [](P* p, I v) { p->SetImageIndex(static_cast<int>(v)); })
        .Default(-1)
        .Boolean("ParentBiDiMode", &P::ParentBiDiMode, &P::SetParentBiDiMode)
        .Default(true)
        .Enum<TKStatusPanelStyle>("Style", KStatusPanelStyleNames(), &P::Style, &P::SetStyle)
        .AlwaysStored()
        .Reference<TPopupMenu>("PopupMenu", [](P* p) { return p->PopupMenu(); },
                               [](P* p, TPopupMenu* v) { p->SetPopupMenu(v); })
        .String("Text", [](P* p) { return p->Text(); }, [](P* p, const std::string& v) { p->SetText(v); })
        .AlwaysStored()
        .Integer("Width", [](P* p) -> I { return p->Width(); }, [](P* p, I v) { p->SetWidth(static_cast<int>(v)); })
        .AlwaysStored()
        .Integer("Color", [](P* p) -> I { return p->Color(); },
                 [](P* p, I v) { p->SetPanelColor(static_cast<TColor>(v)); }, ColorIdents())
        .AlwaysStored()
        .Integer("TextColor", [](P* p) -> I { return p->TextColor(); },
                 [](P* p, I v) { p->SetTextColor(static_cast<TColor>(v)); }, ColorIdents())
        .AlwaysStored()
        .Integer("Speed", [](P* p) -> I { return p->Speed(); }, [](P* p, I v) { p->SetSpeed(static_cast<int>(v)); })
        .AlwaysStored()
        .Integer("ProgressColor", [](P* p) -> I { return p->ProgressColor(); },
                 [](P* p, I v) { p->SetProgressColor(static_cast<TColor>(v)); }, ColorIdents())
        .AlwaysStored()
        .Boolean("SmoothProgress", &P::SmoothProgress, &P::SetSmoothProgress)
        .AlwaysStored()
        .Integer("Min", [](P* p) -> I { return p->Min(); }, [](P* p, I v) { p->SetMin(static_cast<int>(v)); })
        .AlwaysStored()
        .Integer("Max", [](P* p) -> I { return p->Max(); }, [](P* p, I v) { p->SetMax(static_cast<int>(v)); })
        .AlwaysStored()
        .Integer("Position", [](P* p) -> I { return p->Position(); },
                 [](P* p, I v) { p->SetPosition(static_cast<int>(v)); })
        .AlwaysStored()
        .String("DateTimeFormat", [](P* p) { return p->DateTimeFormat(); },
                [](P* p, const std::string& v) { p->SetDateTimeFormat(v); })
        .AlwaysStored()
        .Boolean("Grayed", &P::Grayed, &P::SetGrayed)
        .AlwaysStored()
        .Event("OnClick", &P::OnClick)
        .Event("OnDblClick", &P::OnDblClick)
        .Event("OnDrawPanel", &P::OnDrawPanel)
        .Event("OnHintText", &P::OnHintText);
}

void RegisterBar()
{
    using B = TCustomKStatusBar;
    RegisterClass<B>("TCustomKStatusBar", "TWinControl");
    RegisterClass<TKStatusBar>("TKStatusBar", "TCustomKStatusBar")
        .Boolean("AutoHint", [](TKStatusBar* b) { return b->AutoHint(); }, [](TKStatusBar* b, bool v) { b->SetAutoHint(v); })
        .Default(false)
        .Enum<TAlign>("Align", {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"},
                      [](TKStatusBar* b) { return b->Align(); }, [](TKStatusBar* b, TAlign v) { b->SetAlign(v); })
        .Default(alBottom)
        .Enum<TBiDiMode>("BiDiMode",
                         {"bdLeftToRight", "bdRightToLeft", "bdRightToLeftNoAlign", "bdRightToLeftReadingOnly"},
                         [](TKStatusBar* b) { return b->BiDiMode(); }, [](TKStatusBar* b, TBiDiMode v) { b->SetBiDiMode(v); })
        .StoredWhen([](TKStatusBar* b) { return !b->ParentBiDiMode(); })
        .AlwaysStored()
        .Integer("BorderWidth", [](TKStatusBar* b) -> I { return b->BorderWidth(); },
                 [](TKStatusBar* b, I v) { b->SetBorderWidth(static_cast<int>(v)); })
        .Default(0)
        .SubObject("Font", "TFont", [](TKStatusBar* b) -> TObject* { return &b->Font(); })
        .StoredWhen([](TKStatusBar* b) { return b->IsFontStored(); })
        .Reference<TCustomImageList>("Images", [](TKStatusBar* b) { return b->Images(); },
                                     [](TKStatusBar* b, TCustomImageList* v) { b->SetImages(v); })
        .Reference<TCustomImageList>("DisabledImages", [](TKStatusBar* b) { return b->DisabledImages(); },
                                     [](TKStatusBar* b, TCustomImageList* v) { b->SetDisabledImages(v); })
        .Collection(
            "Panels", "TKStatusPanel", [](TKStatusBar* b) { return b->Panels()->Count(); },
            [](TKStatusBar* b, int i) -> TObject* { return b->Panels()->GetItem(i); },
            [](TKStatusBar* b) -> TObject* { return b->Panels()->Add(); }, [](TKStatusBar* b) { b->Panels()->Clear(); })
        .Boolean("ParentBiDiMode", [](TKStatusBar* b) { return b->ParentBiDiMode(); },
                 [](TKStatusBar* b, bool v) { b->SetParentBiDiMode(v); })
        .Default(true)
        .Boolean("ParentFont", [](TKStatusBar* b) { return b->ParentFont(); },
                 [](TKStatusBar* b, bool v) { b->SetParentFont(v); })
        .Default(false)
        .Reference<TPopupMenu>("PopupMenu", [](TKStatusBar* b) { return b->PopupMenu(); },
                               [](TKStatusBar* b, TPopupMenu* v) { b->SetPopupMenu(v); })
        .Boolean("SimplePanel", [](TKStatusBar* b) { return b->SimplePanel(); },
                 [](TKStatusBar* b, bool v) { b->SetSimplePanel(v); })
        .Default(false)
        .String("SimpleText", [](TKStatusBar* b) { return b->SimpleText(); },
                [](TKStatusBar* b, const std::string& v) { b->SetSimpleText(v); })
        .Default("")
        .Boolean("SizeGrip", [](TKStatusBar* b) { return b->SizeGrip(); }, [](TKStatusBar* b, bool v) { b->SetSizeGrip(v); })
        .Default(true)
        .Boolean("UseSystemFont", [](TKStatusBar* b) { return b->UseSystemFont(); },
                 [](TKStatusBar* b, bool v) { b->SetUseSystemFont(v); })
        .Default(true)
        .Event("OnContextPopup", &B::OnContextPopup)
        .Event("OnHint", &B::OnHint)
        .Event("OnDrawPanel", &B::OnDrawPanel)
        .Event("OnResize", &B::OnResize);
}

}  // namespace

void RegisterStatusBar()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    RegisterGuiClasses();
    RegisterPanel();
    RegisterBar();
    RegisterComponents("Korin", {"TKStatusBar"}, {"TKSTATUSBAR"});
}

}  // namespace korin
