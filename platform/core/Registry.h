#pragma once
// The designer's component palette: packages register their components on named pages,
// each with the name of its palette bitmap resource, and describe themselves with one
// line of text. A registered component class must be known to the published-property
// registry (TypInfo.h), so that the form reader can create it from a form file.
#include <string>
#include <vector>

#include "korin/platform/core/Exception.h"

namespace korin {

struct TPaletteEntry {
    std::string Page;        // "Korin"
    std::string ClassName;   // "TVandroDBNavigator"
    std::string BitmapName;  // the palette bitmap resource, "TVANDRODBNAVIGATOR"
};

class ERegistryError : public Exception {
public:
    using Exception::Exception;
};

// Puts the classes on the palette page Page, in order; BitmapNames[i] names the bitmap of
// ClassNames[i] (missing entries default to the upper-cased class name). Raises
// ERegistryError, registering nothing, when a class is not in the property registry or a
// bitmap resource does not exist. A class already on the palette keeps its entry.
void RegisterComponents(const std::string& Page, const std::vector<std::string>& ClassNames,
                        const std::vector<std::string>& BitmapNames = {});
// Records the description of the package that registers components ("Korin - …").
void RegisterPackageDescription(const std::string& Description);

const std::vector<TPaletteEntry>& PaletteEntries();
// The entry of a class, or nullptr.
const TPaletteEntry* FindPaletteEntry(const std::string& ClassName);
const std::vector<std::string>& PackageDescriptions();

}  // namespace korin
