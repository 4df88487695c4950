#include "korin/platform/core/TypInfo.h"

#include <cctype>
#include <map>

namespace korin {

namespace {

std::string Upper(const std::string& s)
{
    std::string u = s;
    for (char& c : u)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return u;
}

struct TRegistry {
    std::map<std::string, std::unique_ptr<TClassInfo>> ByName; // upper-cased names
    std::map<std::type_index, TClassInfo*> ByType;
};

TRegistry& Registry()
{
    static TRegistry registry;
    return registry;
}

} // namespace

const TClassInfo* TClassInfo::Parent() const
{
    return FParentName.empty() ? nullptr : GetClass(FParentName);
}

bool TClassInfo::InheritsFrom(const std::string& ClassName) const
{
    const std::string wanted = Upper(ClassName);
    // The depth bound guards against a parent chain that loops back on itself.
    int depth = 0;
    for (const TClassInfo* c = this; c && depth < 256; c = c->Parent(), ++depth)
        if (Upper(c->FName) == wanted)
            return true;
    return false;
}

TComponent* TClassInfo::Create(TComponent* Owner) const
{
    if (!FCreate)
        throw EClassError("Class " + FName + " cannot be created");
    return FCreate(Owner);
}

const TPropInfo* TClassInfo::FindProperty(const std::string& Name) const
{
    const std::string wanted = Upper(Name);
    int depth = 0;
    for (const TClassInfo* c = this; c && depth < 256; c = c->Parent(), ++depth)
        for (const TPropInfo& p : c->FProps)
            if (Upper(p.Name) == wanted)
                return &p;
    return nullptr;
}

std::vector<const TPropInfo*> TClassInfo::Properties() const
{
    std::vector<const TClassInfo*> chain;
    for (const TClassInfo* c = this; c && chain.size() < 256; c = c->Parent())
        chain.insert(chain.begin(), c);
    std::vector<const TPropInfo*> out;
    for (const TClassInfo* c : chain)
        for (const TPropInfo& p : c->FProps) {
            bool replaced = false;
            for (auto& slot : out)
                if (Upper(slot->Name) == Upper(p.Name)) {
                    slot = &p;
                    replaced = true;
                }
            if (!replaced)
                out.push_back(&p);
        }
    return out;
}

const TClassInfo* GetClass(const std::string& Name)
{
    auto& reg = Registry();
    auto it = reg.ByName.find(Upper(Name));
    return it == reg.ByName.end() ? nullptr : it->second.get();
}

const TClassInfo& FindClass(const std::string& Name)
{
    const TClassInfo* c = GetClass(Name);
    if (!c)
        throw EClassNotFound("Class " + Name + " not found");
    return *c;
}

const TClassInfo* ClassInfoOf(std::type_index Type)
{
    auto& reg = Registry();
    auto it = reg.ByType.find(Type);
    return it == reg.ByType.end() ? nullptr : it->second;
}

const TClassInfo* ClassInfoOf(const TObject* Object)
{
    return Object ? ClassInfoOf(std::type_index(typeid(*Object))) : nullptr;
}

TClassInfo* RegisterClassInfo(const std::string& Name, const std::string& ParentName, std::type_index Type,
                              bool& Added)
{
    auto& reg = Registry();
    const std::string key = Upper(Name);
    auto it = reg.ByName.find(key);
    if (it != reg.ByName.end()) {
        if (it->second->Type() != Type)
            throw EClassError("A class named " + Name + " is already registered");
        Added = false;
        return it->second.get();
    }
    if (reg.ByType.count(Type))
        throw EClassError("Class " + Name + " is already registered as " + reg.ByType[Type]->Name());
    auto info = std::make_unique<TClassInfo>(Name, ParentName, Type);
    TClassInfo* raw = info.get();
    reg.ByName.emplace(key, std::move(info));
    reg.ByType.emplace(Type, raw);
    Added = true;
    return raw;
}

}  // namespace korin
