#pragma once
// Menu items and popup menus.
//
// TPopupMenu::Popup shows the menu's items as a small topmost list at a screen point and
// returns at once; the list then holds the mouse capture and watches the keyboard through
// the thread's keyboard hook, so the focus stays where it was. Releasing the mouse over
// an item, or Enter on the highlighted one, closes the menu and fires the item's OnClick;
// Up and Down move the highlight, an item's accelerator key picks it, Esc or a press
// outside the list closes the menu.
#include <string>
#include <vector>

#include "korin/platform/core/Component.h"
#include "korin/platform/gui/Controls.h"
#include "korin/platform/gui/Keyboard.h"

namespace korin {

class TPopupListWindow;

class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* AOwner);
    ~TMenuItem() override;

    // "-" makes the item a separator line.
    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& Value) { FCaption = Value; }
    bool IsLine() const { return FCaption == "-"; }
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value) { FEnabled = Value; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value) { FVisible = Value; }
    bool Checked() const { return FChecked; }
    void SetChecked(bool Value) { FChecked = Value; }
    const std::string& Hint() const { return FHint; }
    void SetHint(const std::string& Value) { FHint = Value; }
    int Tag() const { return FTag; }
    void SetTag(int Value) { FTag = Value; }

    // Sub-items (a popup menu's Items is the root item holding the menu's entries). An
    // item frees its sub-items with it.
    int Count() const { return static_cast<int>(FItems.size()); }
    TMenuItem* Items(int Index) const;
    void Add(TMenuItem* Item);
    void Insert(int Index, TMenuItem* Item);
    void Remove(TMenuItem* Item);
    void Delete(int Index);
    void Clear();
    int IndexOf(const TMenuItem* Item) const;
    TMenuItem* Parent() const { return FParent; }

    // Fires OnClick when the item is enabled.
    virtual void Click();
    TNotifyEvent OnClick;

private:
    std::string FCaption;
    bool FEnabled = true;
    bool FVisible = true;
    bool FChecked = false;
    std::string FHint;
    int FTag = 0;
    std::vector<TMenuItem*> FItems;
    TMenuItem* FParent = nullptr;
};

class TPopupMenu : public TComponent {
public:
    explicit TPopupMenu(TComponent* AOwner);
    ~TPopupMenu() override;

    TMenuItem* Items() const { return FItems; }
    // Right-to-left menus open to the left of the point and align their text right.
    TBiDiMode BiDiMode() const { return FBiDiMode; }
    void SetBiDiMode(TBiDiMode Value) { FBiDiMode = Value; }
    bool AutoPopup() const { return FAutoPopup; }
    void SetAutoPopup(bool Value) { FAutoPopup = Value; }
    // The control the menu was last shown for (set by whoever shows it).
    TComponent* PopupComponent() const { return FPopupComponent; }
    void SetPopupComponent(TComponent* Value) { FPopupComponent = Value; }

    // Shows the menu with its corner at the screen point (its top-left corner, or its
    // top-right one for a right-to-left menu). OnPopup runs first.
    virtual void Popup(int X, int Y);
    // Closes the menu without picking an item.
    void CloseMenu();
    bool IsShowing() const { return FWindow != nullptr; }
    // The list window while the menu is showing, else null.
    TWinControl* Window() const;
    // The highlighted entry (index into Items) while showing, -1 for none.
    int HighlightedIndex() const;

    TNotifyEvent OnPopup;

private:
    friend class TPopupListWindow;
    void Pick(int Index);
    bool HandleKey(std::uint16_t Key, bool Up);
    void Unhook();
    TMenuItem* FItems;
    TBiDiMode FBiDiMode = bdLeftToRight;
    bool FAutoPopup = true;
    TComponent* FPopupComponent = nullptr;
    TPopupListWindow* FWindow = nullptr;
    HHOOK FHook = 0;
};

}  // namespace korin
