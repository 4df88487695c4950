#include "korin/platform/gui/Registration.h"

#include <algorithm>

#include "korin/platform/gui/Buttons.h"
#include "korin/platform/gui/ComCtrls.h"
#include "korin/platform/gui/ExtCtrls.h"
#include "korin/platform/gui/Forms.h"
#include "korin/platform/gui/ImageList.h"
#include "korin/platform/gui/ScrollBar.h"
#include "korin/platform/gui/StdCtrls.h"

namespace korin {

TIdentMapPtr ColorIdents()
{
    static TIdentMapPtr map = std::make_shared<TIdentMap>(TIdentMap{
        {"clBlack", clBlack}, {"clMaroon", clMaroon}, {"clGreen", clGreen}, {"clOlive", clOlive},
        {"clNavy", clNavy}, {"clPurple", clPurple}, {"clTeal", clTeal}, {"clGray", clGray},
        {"clSilver", clSilver}, {"clRed", clRed}, {"clLime", clLime}, {"clYellow", clYellow},
        {"clBlue", clBlue}, {"clFuchsia", clFuchsia}, {"clAqua", clAqua}, {"clWhite", clWhite},
        {"clNone", clNone}, {"clDefault", clDefault}, {"clScrollBar", clScrollBar},
        {"clBackground", clBackground}, {"clActiveCaption", clActiveCaption}, {"clWindow", clWindow},
        {"clWindowText", clWindowText}, {"clHighlight", clHighlight}, {"clHighlightText", clHighlightText},
        {"clBtnFace", clBtnFace}, {"clBtnShadow", clBtnShadow}, {"clGrayText", clGrayText},
        {"clBtnText", clBtnText}, {"clBtnHighlight", clBtnHighlight}, {"cl3DDkShadow", cl3DDkShadow},
        {"cl3DLight", cl3DLight}, {"clInfoText", clInfoText}, {"clInfoBk", clInfoBk},
    });
    return map;
}

TIdentMapPtr ModalResultIdents()
{
    static TIdentMapPtr map = std::make_shared<TIdentMap>(TIdentMap{
        {"mrNone", mrNone}, {"mrOk", mrOk}, {"mrCancel", mrCancel}, {"mrAbort", mrAbort},
        {"mrRetry", mrRetry}, {"mrIgnore", mrIgnore}, {"mrYes", mrYes}, {"mrNo", mrNo},
    });
    return map;
}

static void RegisterCommonControls();

void RegisterGuiClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;

    RegisterClass<TFont>("TFont")
        .String("Name", &TFont::Name, &TFont::SetName).Default(DefaultFontName)
        .Integer("Height", [](TFont* f) -> std::int64_t { return f->Height(); },
                 [](TFont* f, std::int64_t v) { f->SetHeight(static_cast<int>(v)); }).Default(-11)
        .Integer("Color", [](TFont* f) -> std::int64_t { return f->Color(); },
                 [](TFont* f, std::int64_t v) { f->SetColor(static_cast<TColor>(v)); }, ColorIdents())
        .Default(static_cast<std::int64_t>(clWindowText))
        .SetOf("Style", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"},
               [](TFont* f) -> std::uint64_t { return f->Style(); },
               [](TFont* f, std::uint64_t v) { f->SetStyle(static_cast<TFontStyles>(v)); }).Default(0);

    auto intProp = [](auto get, auto set) { return std::make_pair(get, set); };
    (void)intProp;

    RegisterClass<TControl>("TControl", "TComponent")
        .Integer("Left", [](TControl* c) -> std::int64_t { return c->Left(); },
                 [](TControl* c, std::int64_t v) { c->SetLeft(static_cast<int>(v)); })
        .Integer("Top", [](TControl* c) -> std::int64_t { return c->Top(); },
                 [](TControl* c, std::int64_t v) { c->SetTop(static_cast<int>(v)); })
        .Integer("Width", [](TControl* c) -> std::int64_t { return c->Width(); },
                 [](TControl* c, std::int64_t v) { c->SetWidth(static_cast<int>(v)); })
        .Integer("Height", [](TControl* c) -> std::int64_t { return c->Height(); },
                 [](TControl* c, std::int64_t v) { c->SetHeight(static_cast<int>(v)); })
        .String("Caption", [](TControl* c) { return c->Caption(); },
                [](TControl* c, const std::string& v) { c->SetCaption(v); }).Default("")
        .Enum<TAlign>("Align", {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"},
                      [](TControl* c) { return c->Align(); }, [](TControl* c, TAlign v) { c->SetAlign(v); })
        .Default(alNone)
        .Boolean("Visible", [](TControl* c) { return c->Visible(); }, [](TControl* c, bool v) { c->SetVisible(v); })
        .Default(true)
        .Boolean("Enabled", [](TControl* c) { return c->Enabled(); }, [](TControl* c, bool v) { c->SetEnabled(v); })
        .Default(true)
        .String("Hint", [](TControl* c) { return c->Hint(); }, [](TControl* c, const std::string& v) { c->SetHint(v); })
        .Default("")
        .Boolean("ShowHint", [](TControl* c) { return c->ShowHint(); }, [](TControl* c, bool v) { c->SetShowHint(v); })
        .StoredWhen([](TObject* o) { return !static_cast<TControl*>(o)->ParentShowHint(); })
        .Boolean("ParentShowHint", [](TControl* c) { return c->ParentShowHint(); },
                 [](TControl* c, bool v) { c->SetParentShowHint(v); }).Default(true)
        .Integer("Color", [](TControl* c) -> std::int64_t { return c->Color(); },
                 [](TControl* c, std::int64_t v) { c->SetColor(static_cast<TColor>(v)); }, ColorIdents())
        .Default(static_cast<std::int64_t>(clBtnFace))
        .StoredWhen([](TObject* o) { return !static_cast<TControl*>(o)->ParentColor(); })
        .Boolean("ParentColor", [](TControl* c) { return c->ParentColor(); },
                 [](TControl* c, bool v) { c->SetParentColor(v); }).Default(false)
        .SubObject("Font", "TFont", [](TControl* c) -> TObject* { return &c->Font(); })
        .Boolean("ParentFont", [](TControl* c) { return c->ParentFont(); },
                 [](TControl* c, bool v) { c->SetParentFont(v); }).Default(true)
        .Integer("Tag", [](TControl* c) -> std::int64_t { return c->Tag(); },
                 [](TControl* c, std::int64_t v) { c->SetTag(static_cast<int>(v)); }).Default(0)
        .Event("OnClick", &TControl::OnClick)
        .Event("OnDblClick", &TControl::OnDblClick)
        .Event("OnMouseDown", &TControl::OnMouseDown)
        .Event("OnMouseUp", &TControl::OnMouseUp)
        .Event("OnMouseMove", &TControl::OnMouseMove);

    RegisterClass<TWinControl>("TWinControl", "TControl")
        .Integer("TabOrder", [](TWinControl* c) -> std::int64_t { return c->TabOrder(); },
                 [](TWinControl* c, std::int64_t v) { c->SetTabOrder(static_cast<int>(v)); })
        .StoredWhen([](TObject* o) { return static_cast<TWinControl*>(o)->Parent() != nullptr; })
        .Boolean("TabStop", [](TWinControl* c) { return c->TabStop(); },
                 [](TWinControl* c, bool v) { c->SetTabStop(v); }).Default(false)
        .Event("OnKeyDown", &TWinControl::OnKeyDown)
        .Event("OnKeyUp", &TWinControl::OnKeyUp)
        .Event("OnKeyPress", &TWinControl::OnKeyPress)
        .Event("OnEnter", &TWinControl::OnEnter)
        .Event("OnExit", &TWinControl::OnExit);
    RegisterClass<TGraphicControl>("TGraphicControl", "TControl");
    RegisterClass<TCustomControl>("TCustomControl", "TWinControl");

    RegisterClass<TCustomForm>("TCustomForm", "TWinControl")
        .Boolean("Visible", [](TCustomForm* f) { return f->Visible(); }, [](TCustomForm* f, bool v) { f->SetVisible(v); })
        .Default(false)
        .Boolean("ParentFont", [](TCustomForm* f) { return f->ParentFont(); },
                 [](TCustomForm* f, bool v) { f->SetParentFont(v); }).Default(false)
        .Enum<TFormBorderStyle>("BorderStyle",
                                {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"},
                                [](TCustomForm* f) { return f->BorderStyle(); },
                                [](TCustomForm* f, TFormBorderStyle v) { f->SetBorderStyle(v); })
        .Default(bsSizeable)
        .Enum<TPosition>("Position",
                         {"poDesigned", "poDefault", "poScreenCenter", "poDesktopCenter", "poMainFormCenter",
                          "poOwnerFormCenter"},
                         [](TCustomForm* f) { return f->Position(); }, [](TCustomForm* f, TPosition v) { f->SetPosition(v); })
        .Default(poDesigned)
        .Integer("ClientWidth", [](TCustomForm* f) -> std::int64_t { return f->ClientWidth(); },
                 [](TCustomForm* f, std::int64_t v) { f->SetClientWidth(static_cast<int>(v)); })
        .Integer("ClientHeight", [](TCustomForm* f) -> std::int64_t { return f->ClientHeight(); },
                 [](TCustomForm* f, std::int64_t v) { f->SetClientHeight(static_cast<int>(v)); })
        .Boolean("KeyPreview", [](TCustomForm* f) { return f->KeyPreview(); },
                 [](TCustomForm* f, bool v) { f->SetKeyPreview(v); }).Default(false)
        .Reference<TWinControl>("ActiveControl", [](TCustomForm* f) { return f->ActiveControl(); },
                                [](TCustomForm* f, TWinControl* c) { f->SetActiveControl(c); })
        .Event("OnShow", &TCustomForm::OnShow)
        .Event("OnHide", &TCustomForm::OnHide)
        .Event("OnCreate", &TCustomForm::OnCreate)
        .Event("OnActivate", &TCustomForm::OnActivate)
        .Event("OnClose", &TCustomForm::OnClose)
        .Event("OnCloseQuery", &TCustomForm::OnCloseQuery);
    RegisterClass<TForm>("TForm", "TCustomForm");

    RegisterClass<TButton>("TButton", "TWinControl")
        .Boolean("TabStop", [](TButton* b) { return b->TabStop(); }, [](TButton* b, bool v) { b->SetTabStop(v); })
        .Default(true)
        .Boolean("Default", [](TButton* b) { return b->Default(); }, [](TButton* b, bool v) { b->SetDefault(v); })
        .Default(false)
        .Boolean("Cancel", [](TButton* b) { return b->Cancel(); }, [](TButton* b, bool v) { b->SetCancel(v); })
        .Default(false)
        .Integer("ModalResult", [](TButton* b) -> std::int64_t { return b->ModalResult(); },
                 [](TButton* b, std::int64_t v) { b->SetModalResult(static_cast<TModalResult>(v)); }, ModalResultIdents())
        .Default(0);
    RegisterClass<TLabel>("TLabel", "TGraphicControl")
        .Boolean("ParentColor", [](TLabel* c) { return c->ParentColor(); }, [](TLabel* c, bool v) { c->SetParentColor(v); })
        .Default(true)
        .Enum<TAlignment>("Alignment", {"taLeftJustify", "taRightJustify", "taCenter"},
                          [](TLabel* l) { return l->Alignment(); }, [](TLabel* l, TAlignment v) { l->SetAlignment(v); })
        .Default(taLeftJustify)
        .Boolean("WordWrap", [](TLabel* l) { return l->WordWrap(); }, [](TLabel* l, bool v) { l->SetWordWrap(v); })
        .Default(false)
        .Boolean("Transparent", [](TLabel* l) { return l->Transparent(); },
                 [](TLabel* l, bool v) { l->SetTransparent(v); }).Default(false);
    RegisterCommonControls();
    RegisterStandardControls();
}

static void RegisterCommonControls()
{
    using I = std::int64_t;

    RegisterClass<TListBox>("TListBox", "TWinControl")
        .Strings("Items", [](TListBox* l) { return l->Items(); },
                 [](TListBox* l, const std::vector<std::string>& v) { l->SetItems(v); })
        .Integer("ItemHeight", [](TListBox* l) -> I { return l->ItemHeight(); },
                 [](TListBox* l, I v) { l->SetItemHeight(static_cast<int>(v)); })
        .Boolean("TabStop", [](TListBox* c) { return c->TabStop(); }, [](TListBox* c, bool v) { c->SetTabStop(v); })
        .Default(true);
    RegisterClass<TCustomComboBox>("TCustomComboBox", "TWinControl")
        .Strings("Items", [](TCustomComboBox* c) { return c->Items(); },
                 [](TCustomComboBox* c, const std::vector<std::string>& v) { c->SetItems(v); })
        .String("Text", [](TCustomComboBox* c) { return c->Text(); },
                [](TCustomComboBox* c, const std::string& v) { c->SetText(v); }).Default("")
        .Enum<TComboBoxStyle>("Style", {"csDropDown", "csSimple", "csDropDownList"}, &TCustomComboBox::Style,
                              &TCustomComboBox::SetStyle)
        .Default(TComboBoxStyle::csDropDown)
        .Integer("DropDownCount", [](TCustomComboBox* c) -> I { return c->DropDownCount(); },
                 [](TCustomComboBox* c, I v) { c->SetDropDownCount(static_cast<int>(v)); }).Default(8)
        .Boolean("TabStop", [](TCustomComboBox* c) { return c->TabStop(); },
                 [](TCustomComboBox* c, bool v) { c->SetTabStop(v); }).Default(true)
        .Event("OnChange", &TCustomComboBox::OnChange);
    RegisterClass<TComboBox>("TComboBox", "TCustomComboBox");

    RegisterClass<TImageList>("TImageList", "TComponent");
    RegisterClass<TToolBar>("TToolBar", "TWinControl")
        .Enum<TAlign>("Align", {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"},
                      [](TToolBar* c) { return c->Align(); }, [](TToolBar* c, TAlign v) { c->SetAlign(v); })
        .Default(alTop)
        .Integer("ButtonWidth", [](TToolBar* t) -> I { return t->ButtonWidth(); },
                 [](TToolBar* t, I v) { t->SetButtonWidth(static_cast<int>(v)); })
        .Integer("ButtonHeight", [](TToolBar* t) -> I { return t->ButtonHeight(); },
                 [](TToolBar* t, I v) { t->SetButtonHeight(static_cast<int>(v)); })
        .Boolean("Flat", &TToolBar::Flat, &TToolBar::SetFlat).Default(false)
        .Boolean("Wrapable", &TToolBar::Wrapable, &TToolBar::SetWrapable).Default(true)
        .Boolean("ShowCaptions", &TToolBar::ShowCaptions, &TToolBar::SetShowCaptions).Default(false)
        .Reference<TCustomImageList>("Images", &TToolBar::Images, &TToolBar::SetImages)
        .Reference<TCustomImageList>("DisabledImages", &TToolBar::DisabledImages, &TToolBar::SetDisabledImages);
    RegisterClass<TToolButton>("TToolButton", "TGraphicControl")
        .Integer("ImageIndex", [](TToolButton* b) -> I { return b->ImageIndex(); },
                 [](TToolButton* b, I v) { b->SetImageIndex(static_cast<int>(v)); }).Default(-1)
        .Enum<TToolButtonStyle>("Style", {"tbsButton", "tbsCheck", "tbsDropDown", "tbsSeparator", "tbsDivider"},
                                &TToolButton::Style, &TToolButton::SetStyle)
        .Default(TToolButtonStyle::tbsButton)
        .Boolean("Down", &TToolButton::Down, &TToolButton::SetDown).Default(false);
    RegisterClass<THotKey>("THotKey", "TWinControl")
        .Integer("HotKey", [](THotKey* h) -> I { return h->HotKey(); },
                 [](THotKey* h, I v) { h->SetHotKey(static_cast<TShortCut>(v)); }).Default(0)
        .Integer("InvalidKeys", [](THotKey* h) -> I { return h->InvalidKeys(); },
                 [](THotKey* h, I v) { h->SetInvalidKeys(static_cast<THKInvalidKeys>(v)); })
        .Integer("Modifiers", [](THotKey* h) -> I { return h->Modifiers(); },
                 [](THotKey* h, I v) { h->SetModifiers(static_cast<THKModifiers>(v)); })
        .Boolean("AutoSize", &THotKey::AutoSize, &THotKey::SetAutoSize).Default(true)
        .Boolean("TabStop", [](THotKey* c) { return c->TabStop(); }, [](THotKey* c, bool v) { c->SetTabStop(v); }).Default(true)
        .Event("OnChange", &THotKey::OnChange);
    RegisterClass<TProgressBar>("TProgressBar", "TWinControl")
        .Integer("Min", [](TProgressBar* p) -> I { return p->Min(); }, [](TProgressBar* p, I v) { p->SetMin(static_cast<int>(v)); })
        .Default(0)
        .Integer("Max", [](TProgressBar* p) -> I { return p->Max(); }, [](TProgressBar* p, I v) { p->SetMax(static_cast<int>(v)); })
        .Default(100)
        .Integer("Position", [](TProgressBar* p) -> I { return p->Position(); },
                 [](TProgressBar* p, I v) { p->SetPosition(static_cast<int>(v)); }).Default(0)
        .Boolean("Smooth", &TProgressBar::Smooth, &TProgressBar::SetSmooth).Default(false);
    // The range before the position, so that a position read from a file fits it.
    RegisterClass<TScrollBar>("TScrollBar", "TWinControl")
        .Boolean("TabStop", [](TScrollBar* c) { return c->TabStop(); }, [](TScrollBar* c, bool v) { c->SetTabStop(v); })
        .Default(true)
        .Enum<TScrollBarKind>("Kind", {"sbHorizontal", "sbVertical"}, [](TScrollBar* s) { return s->Kind(); },
                              [](TScrollBar* s, TScrollBarKind v) { s->SetKind(v); })
        .Default(sbHorizontal)
        .Integer("Min", [](TScrollBar* s) -> I { return s->Min(); },
                 [](TScrollBar* s, I v) { s->SetParams(s->Position(), static_cast<int>(v), std::max(s->Max(), static_cast<int>(v))); })
        .Default(0)
        .Integer("Max", [](TScrollBar* s) -> I { return s->Max(); },
                 [](TScrollBar* s, I v) { s->SetParams(s->Position(), std::min(s->Min(), static_cast<int>(v)), static_cast<int>(v)); })
        .Default(100)
        .Integer("PageSize", [](TScrollBar* s) -> I { return s->PageSize(); },
                 [](TScrollBar* s, I v) { s->SetPageSize(static_cast<int>(v)); }).Default(0)
        .Integer("Position", [](TScrollBar* s) -> I { return s->Position(); },
                 [](TScrollBar* s, I v) { s->SetPosition(static_cast<int>(v)); }).Default(0)
        .Integer("SmallChange", [](TScrollBar* s) -> I { return s->SmallChange(); },
                 [](TScrollBar* s, I v) { s->SetSmallChange(static_cast<int>(v)); }).Default(1)
        .Integer("LargeChange", [](TScrollBar* s) -> I { return s->LargeChange(); },
                 [](TScrollBar* s, I v) { s->SetLargeChange(static_cast<int>(v)); }).Default(1)
        .Event("OnChange", &TScrollBar::OnChange)
        .Event("OnScroll", &TScrollBar::OnScroll);
}

// Registered as soon as the window layer is linked in.
static const bool g_guiRegistered = (RegisterGuiClasses(), true);

}  // namespace korin
