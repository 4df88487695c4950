#pragma once
// The published-property registry: per class its name, its parent class (whose
// properties it inherits), a factory that creates an instance with an owner, and its
// published properties with their accessors, stored defaults and storage rules. The
// form reader and writer (FormFiles.h) work through it alone.
//
// Registration, typically once from a static initialiser or a setup function:
//
//     RegisterClass<TButton>("TButton", "TControl")
//         .String("Caption", &TButton::Caption, &TButton::SetCaption)
//         .Boolean("Default", &TButton::Default, &TButton::SetDefault).Default(false)
//         .Event("OnClick", &TButton::OnClick);
//
// Class and property names compare without regard to case. Registering a class name a
// second time for the same C++ type is ignored (the first registration stands, and the
// builder returned discards what is added to it); registering it for another type
// raises EClassError.
#include <any>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <typeindex>
#include <utility>
#include <variant>
#include <vector>

#include "korin/platform/core/Component.h"
#include "korin/platform/core/Exception.h"

namespace korin {

class EFilerError : public Exception {
public:
    using Exception::Exception;
};
// A form file was refused; the message starts with "line N: ".
class EReadError : public EFilerError {
public:
    using EFilerError::EFilerError;
};
class EWriteError : public EFilerError {
public:
    using EFilerError::EFilerError;
};
class EClassNotFound : public EFilerError {
public:
    using EFilerError::EFilerError;
};
class EClassError : public EFilerError {
public:
    using EFilerError::EFilerError;
};

enum TPropKind {
    pkInteger,    // 32-bit integer; may have identifier names (clBtnFace, mrOk)
    pkString,     // text
    pkBoolean,    // True / False
    pkEnum,       // one identifier of a list; held as its ordinal
    pkSet,        // [a, b] over an identifier list; held as a mask with bit i for ordinal i
    pkStrings,    // a string list, written `Items.Strings = ( 'a' 'b' )`
    pkBinary,     // bytes, written { hex }
    pkObject,     // a sub-object whose own properties are reached by a dotted path (Font.Name)
    pkCollection, // items written < item … end >, each with its item class's properties
    pkComponent,  // a reference to a component by name, resolved after the whole file is read
    pkMethod,     // an event, bound to a method that the root registered (TComponent::RegisterMethod)
};

// The value of a property as the reader and writer handle it: integers, ordinals and
// set masks are int64_t.
using TPropValue = std::variant<std::monostate, std::int64_t, bool, std::string, std::vector<std::string>,
                                std::vector<std::uint8_t>, TComponent*>;

enum TPropStored {
    psDefault, // written unless it holds its stored default
    psAlways,  // always written
    psNever,   // never written
};

// Identifier names of an integer property's values (colours, modal results, cursors).
using TIdentMap = std::vector<std::pair<std::string, std::int64_t>>;
using TIdentMapPtr = std::shared_ptr<const TIdentMap>;

struct TPropInfo {
    std::string Name;
    TPropKind Kind = pkInteger;
    std::vector<std::string> EnumNames; // pkEnum, pkSet
    bool SetAsInteger = false;          // pkSet: written as its integer mask
    TIdentMapPtr Idents;                // pkInteger
    std::string ClassName;              // pkObject: the sub-object's class; pkCollection: the item class

    // Scalar kinds, string lists, binaries and references.
    std::function<TPropValue(TObject*)> Get;
    std::function<void(TObject*, const TPropValue&)> Set;

    std::optional<TPropValue> Default;
    TPropStored Stored = psDefault;
    std::function<bool(TObject*)> StoredIf; // when set, written only while it answers true

    // pkObject
    std::function<TObject*(TObject*)> GetObject;
    // pkCollection
    std::function<int(TObject*)> Count;
    std::function<TObject*(TObject*, int)> Item;
    std::function<TObject*(TObject*)> Add;
    std::function<void(TObject*)> Clear;
    // pkComponent: whether a component may be assigned (its class fits)
    std::function<bool(const TComponent*)> Accepts;
    // pkMethod
    std::function<bool(const std::any&)> AcceptsHandler;
    std::function<void(TObject*, const std::string&, const std::any&)> Bind;
    std::function<std::string(TObject*)> BoundName; // "" when not bound to a named method
    std::function<std::any(TObject*)> GetHandler;
    std::function<void(TObject*, const std::any&)> SetHandler;
};

class TClassInfo {
public:
    TClassInfo(std::string Name, std::string ParentName, std::type_index Type)
        : FName(std::move(Name)), FParentName(std::move(ParentName)), FType(Type) {}

    const std::string& Name() const { return FName; }
    const std::string& ParentName() const { return FParentName; }
    std::type_index Type() const { return FType; }
    // The registered parent class, or nullptr.
    const TClassInfo* Parent() const;
    // Whether this class is ClassName or descends from it (through registered parents).
    bool InheritsFrom(const std::string& ClassName) const;
    bool IsInstance(const TObject* Object) const { return FIsInstance && FIsInstance(Object); }
    bool CanCreate() const { return static_cast<bool>(FCreate); }
    // Creates an instance owned by Owner; raises EClassError for classes without a factory.
    TComponent* Create(TComponent* Owner) const;

    // The property of that name, the class's own first, then its ancestors'.
    const TPropInfo* FindProperty(const std::string& Name) const;
    // Every property in writing order: ancestors' first; a property redeclared by a
    // descendant keeps its ancestor's place.
    std::vector<const TPropInfo*> Properties() const;
    const std::vector<TPropInfo>& OwnProperties() const { return FProps; }

    // Registration internals, used by TClassBuilder.
    std::vector<TPropInfo>& MutableProperties() { return FProps; }
    void SetFactory(std::function<TComponent*(TComponent*)> Create) { FCreate = std::move(Create); }
    void SetInstanceTest(std::function<bool(const TObject*)> Test) { FIsInstance = std::move(Test); }

private:
    std::string FName, FParentName;
    std::type_index FType;
    std::function<TComponent*(TComponent*)> FCreate;
    std::function<bool(const TObject*)> FIsInstance;
    std::vector<TPropInfo> FProps;
};

// The registered class of that name, or nullptr.
const TClassInfo* GetClass(const std::string& Name);
// The registered class of that name; raises EClassNotFound ("Class TFoo not found").
const TClassInfo& FindClass(const std::string& Name);
// The registration of the object's own (most derived) C++ class, or nullptr.
const TClassInfo* ClassInfoOf(const TObject* Object);
const TClassInfo* ClassInfoOf(std::type_index Type);
// Adds a class; see the head of this file for a repeated name. Used by RegisterClass<T>.
TClassInfo* RegisterClassInfo(const std::string& Name, const std::string& ParentName, std::type_index Type,
                              bool& Added);

// A handler bound by the form reader: the method's name travels with the handler, so the
// writer can write it back, and a handler assigned in code is simply not written.
template <class F>
struct TNamedHandler;
template <class R, class... A>
struct TNamedHandler<std::function<R(A...)>> {
    std::string Name;
    std::function<R(A...)> Fn;
    R operator()(A... Args) const { return Fn(std::forward<A>(Args)...); }
};

// The method name an event holds when the form reader bound it, else "".
template <class F>
std::string BoundMethodName(const F& Event)
{
    const auto* named = Event.template target<TNamedHandler<F>>();
    return named ? named->Name : std::string();
}

template <class T>
class TClassBuilder {
public:
    explicit TClassBuilder(TClassInfo* Info, bool Discard)
    {
        if (Discard)
            FScratch = std::make_unique<TClassInfo>(Info->Name(), Info->ParentName(), Info->Type());
        FInfo = Discard ? FScratch.get() : Info;
    }

    TClassBuilder& Integer(const std::string& Name, std::function<std::int64_t(T*)> Get,
                           std::function<void(T*, std::int64_t)> Set, TIdentMapPtr Idents = nullptr)
    {
        TPropInfo& p = Add(Name, pkInteger);
        p.Idents = std::move(Idents);
        p.Get = [Get](TObject* o) { return TPropValue(Get(Self(o))); };
        p.Set = [Set](TObject* o, const TPropValue& v) { Set(Self(o), std::get<std::int64_t>(v)); };
        return *this;
    }
    TClassBuilder& String(const std::string& Name, std::function<std::string(T*)> Get,
                          std::function<void(T*, const std::string&)> Set)
    {
        TPropInfo& p = Add(Name, pkString);
        p.Get = [Get](TObject* o) { return TPropValue(Get(Self(o))); };
        p.Set = [Set](TObject* o, const TPropValue& v) { Set(Self(o), std::get<std::string>(v)); };
        return *this;
    }
    TClassBuilder& Boolean(const std::string& Name, std::function<bool(T*)> Get, std::function<void(T*, bool)> Set)
    {
        TPropInfo& p = Add(Name, pkBoolean);
        p.Get = [Get](TObject* o) { return TPropValue(Get(Self(o))); };
        p.Set = [Set](TObject* o, const TPropValue& v) { Set(Self(o), std::get<bool>(v)); };
        return *this;
    }
    // An enumeration; Names[i] is the identifier of ordinal i.
    template <class E>
    TClassBuilder& Enum(const std::string& Name, std::vector<std::string> Names, std::function<E(T*)> Get,
                        std::function<void(T*, E)> Set)
    {
        TPropInfo& p = Add(Name, pkEnum);
        p.EnumNames = std::move(Names);
        p.Get = [Get](TObject* o) { return TPropValue(static_cast<std::int64_t>(Get(Self(o)))); };
        p.Set = [Set](TObject* o, const TPropValue& v) { Set(Self(o), static_cast<E>(std::get<std::int64_t>(v))); };
        return *this;
    }
    // A set over Names (at most 64), held as a mask with bit i for Names[i].
    TClassBuilder& SetOf(const std::string& Name, std::vector<std::string> Names, std::function<std::uint64_t(T*)> Get,
                         std::function<void(T*, std::uint64_t)> Set, bool WriteAsInteger = false)
    {
        if (Names.size() > 64)
            throw EClassError("Set property " + Name + " has more than 64 members");
        TPropInfo& p = Add(Name, pkSet);
        p.EnumNames = std::move(Names);
        p.SetAsInteger = WriteAsInteger;
        p.Get = [Get](TObject* o) { return TPropValue(static_cast<std::int64_t>(Get(Self(o)))); };
        p.Set = [Set](TObject* o, const TPropValue& v) {
            Set(Self(o), static_cast<std::uint64_t>(std::get<std::int64_t>(v)));
        };
        return *this;
    }
    TClassBuilder& Strings(const std::string& Name, std::function<std::vector<std::string>(T*)> Get,
                           std::function<void(T*, const std::vector<std::string>&)> Set)
    {
        TPropInfo& p = Add(Name, pkStrings);
        p.Get = [Get](TObject* o) { return TPropValue(Get(Self(o))); };
        p.Set = [Set](TObject* o, const TPropValue& v) { Set(Self(o), std::get<std::vector<std::string>>(v)); };
        return *this;
    }
    TClassBuilder& Binary(const std::string& Name, std::function<std::vector<std::uint8_t>(T*)> Get,
                          std::function<void(T*, const std::vector<std::uint8_t>&)> Set)
    {
        TPropInfo& p = Add(Name, pkBinary);
        p.Get = [Get](TObject* o) { return TPropValue(Get(Self(o))); };
        p.Set = [Set](TObject* o, const TPropValue& v) { Set(Self(o), std::get<std::vector<std::uint8_t>>(v)); };
        return *this;
    }
    // A sub-object of the registered class ClassName, owned by the instance.
    TClassBuilder& SubObject(const std::string& Name, const std::string& ClassName, std::function<TObject*(T*)> Get)
    {
        TPropInfo& p = Add(Name, pkObject);
        p.ClassName = ClassName;
        p.GetObject = [Get](TObject* o) { return Get(Self(o)); };
        return *this;
    }
    // A collection of items of the registered class ItemClass.
    TClassBuilder& Collection(const std::string& Name, const std::string& ItemClass, std::function<int(T*)> Count,
                              std::function<TObject*(T*, int)> Item, std::function<TObject*(T*)> AddItem,
                              std::function<void(T*)> Clear)
    {
        TPropInfo& p = Add(Name, pkCollection);
        p.ClassName = ItemClass;
        p.Count = [Count](TObject* o) { return Count(Self(o)); };
        p.Item = [Item](TObject* o, int i) { return Item(Self(o), i); };
        p.Add = [AddItem](TObject* o) { return AddItem(Self(o)); };
        p.Clear = [Clear](TObject* o) { Clear(Self(o)); };
        return *this;
    }
    // A reference to a component of class C (or a descendant).
    template <class C = TComponent>
    TClassBuilder& Reference(const std::string& Name, std::function<C*(T*)> Get, std::function<void(T*, C*)> Set)
    {
        TPropInfo& p = Add(Name, pkComponent);
        p.Get = [Get](TObject* o) { return TPropValue(static_cast<TComponent*>(Get(Self(o)))); };
        p.Set = [Set](TObject* o, const TPropValue& v) { Set(Self(o), dynamic_cast<C*>(std::get<TComponent*>(v))); };
        p.Accepts = [](const TComponent* c) { return c == nullptr || dynamic_cast<const C*>(c) != nullptr; };
        return *this;
    }
    // An event held in a std::function member (of T or of a base of T).
    template <class F, class C>
    TClassBuilder& Event(const std::string& Name, F C::*Member)
    {
        static_assert(std::is_base_of_v<C, T>, "the event must be a member of the class or of a base");
        TPropInfo& p = Add(Name, pkMethod);
        p.AcceptsHandler = [](const std::any& h) { return h.type() == typeid(F); };
        p.Bind = [Member](TObject* o, const std::string& MethodName, const std::any& h) {
            Self(o)->*Member = F(TNamedHandler<F>{MethodName, std::any_cast<F>(h)});
        };
        p.BoundName = [Member](TObject* o) { return BoundMethodName(Self(o)->*Member); };
        p.GetHandler = [Member](TObject* o) { return std::any(Self(o)->*Member); };
        p.SetHandler = [Member](TObject* o, const std::any& h) { Self(o)->*Member = std::any_cast<F>(h); };
        return *this;
    }

    // Modifiers of the property added last.
    template <class V>
    TClassBuilder& Default(V Value)
    {
        TPropInfo& p = Last();
        if constexpr (std::is_same_v<V, bool>)
            p.Default = TPropValue(Value);
        else if constexpr (std::is_integral_v<V> || std::is_enum_v<V>)
            p.Default = TPropValue(static_cast<std::int64_t>(Value));
        else if constexpr (std::is_convertible_v<V, std::string>)
            p.Default = TPropValue(std::string(Value));
        else
            p.Default = TPropValue(std::move(Value));
        return *this;
    }
    TClassBuilder& AlwaysStored()
    {
        Last().Stored = psAlways;
        return *this;
    }
    TClassBuilder& NeverStored()
    {
        Last().Stored = psNever;
        return *this;
    }
    TClassBuilder& StoredWhen(std::function<bool(T*)> Test)
    {
        Last().StoredIf = [Test](TObject* o) { return Test(Self(o)); };
        return *this;
    }

private:
    static T* Self(TObject* o) { return static_cast<T*>(o); }
    TPropInfo& Add(const std::string& Name, TPropKind Kind)
    {
        auto& props = FInfo->MutableProperties();
        props.push_back(TPropInfo{});
        props.back().Name = Name;
        props.back().Kind = Kind;
        return props.back();
    }
    TPropInfo& Last()
    {
        auto& props = FInfo->MutableProperties();
        if (props.empty())
            throw EClassError("No property to modify on " + FInfo->Name());
        return props.back();
    }

    TClassInfo* FInfo = nullptr;
    std::unique_ptr<TClassInfo> FScratch;
};

// Registers T under Name with its registered parent class ParentName ("" for none).
// Components constructible from an owner get a factory; other classes (fonts,
// collection items) are registered for their properties only.
template <class T>
TClassBuilder<T> RegisterClass(const std::string& Name, const std::string& ParentName = "")
{
    static_assert(std::is_base_of_v<TObject, T>, "registered classes derive from TObject");
    bool added = false;
    TClassInfo* info = RegisterClassInfo(Name, ParentName, std::type_index(typeid(T)), added);
    if (added) {
        info->SetInstanceTest([](const TObject* o) { return dynamic_cast<const T*>(o) != nullptr; });
        if constexpr (std::is_base_of_v<TComponent, T> && !std::is_abstract_v<T> &&
                      std::is_constructible_v<T, TComponent*>)
            info->SetFactory([](TComponent* Owner) -> TComponent* { return new T(Owner); });
    }
    return TClassBuilder<T>(info, !added);
}

}  // namespace korin
