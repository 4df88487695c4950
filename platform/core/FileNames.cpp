#include "korin/platform/core/FileNames.h"

namespace korin {

bool IsPathDelimiter(char C) { return C == '/' || C == '\\' || C == ':'; }

namespace {

size_t NameStart(const std::string& s)
{
    size_t i = s.size();
    while (i > 0 && !IsPathDelimiter(s[i - 1]))
        --i;
    return i;
}

}  // namespace

std::string ExtractFileName(const std::string& FileName) { return FileName.substr(NameStart(FileName)); }

std::string ExtractFilePath(const std::string& FileName) { return FileName.substr(0, NameStart(FileName)); }

}  // namespace korin
