#pragma once
// File-name parts. Paths on this platform use "/" as the directory separator; "\" and the
// drive mark ":" of paths written elsewhere delimit the parts as well.
#include <string>

namespace korin {

// Whether C separates a path's parts ("/", "\" or ":").
bool IsPathDelimiter(char C);
// The name after the last delimiter ("/home/a/b.txt" gives "b.txt").
std::string ExtractFileName(const std::string& FileName);
// Everything up to and including the last delimiter ("/home/a/"), "" without one.
std::string ExtractFilePath(const std::string& FileName);

}  // namespace korin
