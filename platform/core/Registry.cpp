#include "korin/platform/core/Registry.h"

#include <algorithm>
#include <cctype>

#include "korin/platform/core/Resources.h"
#include "korin/platform/core/TypInfo.h"

namespace korin {

namespace {
std::vector<TPaletteEntry>& Entries()
{
    static std::vector<TPaletteEntry> entries;
    return entries;
}
std::vector<std::string>& Descriptions()
{
    static std::vector<std::string> descriptions;
    return descriptions;
}
std::string Upper(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}
} // namespace

void RegisterComponents(const std::string& Page, const std::vector<std::string>& ClassNames,
                        const std::vector<std::string>& BitmapNames)
{
    std::vector<TPaletteEntry> add;
    for (std::size_t i = 0; i < ClassNames.size(); ++i) {
        const std::string& name = ClassNames[i];
        const TClassInfo* info = GetClass(name);
        if (!info || !info->CanCreate())
            throw ERegistryError("Class " + name + " is not registered");
        std::string bitmap = i < BitmapNames.size() ? BitmapNames[i] : Upper(name);
        if (!ResourceExists(bitmap))
            throw ERegistryError("Palette bitmap " + bitmap + " not found");
        if (!FindPaletteEntry(name))
            add.push_back(TPaletteEntry{Page, info->Name(), bitmap});
    }
    Entries().insert(Entries().end(), add.begin(), add.end());
}

void RegisterPackageDescription(const std::string& Description)
{
    auto& d = Descriptions();
    if (std::find(d.begin(), d.end(), Description) == d.end())
        d.push_back(Description);
}

const std::vector<TPaletteEntry>& PaletteEntries()
{
    return Entries();
}

const TPaletteEntry* FindPaletteEntry(const std::string& ClassName)
{
    for (const TPaletteEntry& e : Entries())
        if (Upper(e.ClassName) == Upper(ClassName))
            return &e;
    return nullptr;
}

const std::vector<std::string>& PackageDescriptions()
{
    return Descriptions();
}

}  // namespace korin
