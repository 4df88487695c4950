#include "korin/platform/core/Resources.h"

#include <strings.h>

namespace korin {

namespace resources {
struct Entry {
    const char* Name;
    const unsigned char* Data;
    std::size_t Size;
};
extern const Entry Table[];
}

static const resources::Entry* Lookup(const std::string& Name)
{
    for (const auto* e = resources::Table; e->Name; ++e)
        if (strcasecmp(e->Name, Name.c_str()) == 0)
            return e;
    return nullptr;
}

std::span<const unsigned char> FindResourceData(const std::string& Name)
{
    const auto* e = Lookup(Name);
    if (!e)
        throw EResNotFound("Resource " + Name + " not found");
    return {e->Data, e->Size};
}

bool ResourceExists(const std::string& Name) { return Lookup(Name) != nullptr; }

std::vector<std::string> ResourceNames()
{
    std::vector<std::string> names;
    for (const auto* e = resources::Table; e->Name; ++e)
        names.emplace_back(e->Name);
    return names;
}

}  // namespace korin
