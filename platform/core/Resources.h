#pragma once
// Resources compiled into the library from resources/ and found by name (the file name
// without its extension, compared without regard to case): glyph bitmaps "DBN__FIRST",
// palette bitmaps "TVANDRODBNAVIGATOR", dialog form files "TDLGLocate", …
#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "korin/platform/core/Exception.h"

namespace korin {

// The bytes of the named resource; throws EResNotFound when there is none.
std::span<const unsigned char> FindResourceData(const std::string& Name);
bool ResourceExists(const std::string& Name);
std::vector<std::string> ResourceNames();

class EResNotFound : public Exception {
public:
    using Exception::Exception;
};

}  // namespace korin
