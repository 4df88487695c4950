#pragma once
// TPersistent (objects that copy themselves with Assign) and the collection pair
// TCollection / TCollectionItem: an owned, ordered list of items of one class, which tell
// their collection when they change so that the collection's owner can react (a status
// bar repaints one panel, or lays out all of them).
#include <string>
#include <vector>

#include "korin/platform/core/Exception.h"
#include "korin/platform/core/Object.h"

namespace korin {

// Raised by Assign for a source the target cannot copy.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

class TPersistent : public TObject {
public:
    // Copies Source; the base raises EConvertError "Cannot assign a TSource to a TTarget"
    // ("nil" for a null source).
    virtual void Assign(TPersistent* Source);
    // The object that owns this one (for names shown in a designer); null by default.
    virtual TPersistent* GetOwner() const { return nullptr; }
};

class TCollection;

class TCollectionItem : public TPersistent {
public:
    // Joins Collection at its end when one is given.
    explicit TCollectionItem(TCollection* Collection);
    // Leaves the collection.
    ~TCollectionItem() override;

    TCollection* Collection() const { return FCollection; }
    // Moves the item to another collection (null: none).
    void SetCollection(TCollection* Value);
    // The position in the collection, -1 without one.
    int Index() const;
    void SetIndex(int Value);
    // A number unique within the collection, given when the item joined it.
    int ID() const { return FID; }
    // The name a designer lists: the class name unless a descendant knows better.
    virtual std::string GetDisplayName() const { return ClassName(); }
    TPersistent* GetOwner() const override;

protected:
    // Tells the collection: AllItems false for a change of this item alone, true for a
    // change that concerns every item (a width that moves the others).
    void Changed(bool AllItems);

private:
    friend class TCollection;
    TCollection* FCollection = nullptr;
    int FID = 0;
};

class TCollection : public TPersistent {
public:
    TCollection() = default;
    ~TCollection() override;  // frees every item, last first

    int Count() const { return static_cast<int>(FItems.size()); }
    // Raises EListError-style Exception "List index out of bounds (N)" when out of range.
    TCollectionItem* Items(int Index) const;
    // Creates a new item at the end (through CreateItem).
    TCollectionItem* Add();
    TCollectionItem* Insert(int Index);
    void Delete(int Index);
    // Frees every item.
    void Clear();
    TCollectionItem* FindItemID(int ID) const;

    // Groups changes: Update runs once, with null, at the outermost EndUpdate.
    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }

    // Copies another collection: clears this one, then adds one item per source item and
    // Assigns it.
    void Assign(TPersistent* Source) override;

protected:
    // Makes an item of the collection's item class, already in this collection.
    virtual TCollectionItem* CreateItem() = 0;
    // A change of Item (null: of the whole collection). Not called while updates are held.
    virtual void Update(TCollectionItem* Item) {}
    // The item changed; calls Update unless updates are held.
    void Changed(TCollectionItem* Item);
    // Frees every item without telling Update; a descendant whose items reach back into
    // it calls this from its own destructor, while it is still whole.
    void FreeItems();

private:
    friend class TCollectionItem;
    void InsertItem(TCollectionItem* Item);
    void RemoveItem(TCollectionItem* Item);
    std::vector<TCollectionItem*> FItems;
    int FNextID = 0;
    int FUpdateCount = 0;
    bool FDestroying = false;
};

}  // namespace korin
