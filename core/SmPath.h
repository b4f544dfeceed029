#pragma once
// Parts of a path written as text. Every helper reads "\" and "/" alike; a path it returns uses
// the separator of this system ("/" on Linux, "\" on Windows).
#include <string>
#include <string_view>

// The text with every "\" and "/" turned into this system's separator.
std::string SmNativePath(std::string_view path);
// The text with every "/" turned into "\" (the form the helpers reason on).
std::string SmBackslashPath(std::string_view path);
// The path a file is opened by: this system's separators, "." and "name\.." removed from the
// text alone (as Windows does), so "a\2016.tsd\..\2015.tsd" names the sibling file.
std::string SmOpenFilePath(std::string_view path);

// Full path of the running program file.
std::string GetModulePath();
// True when the path text begins with the folder text (upper-cased, trailing separators removed):
// a test on text, so C:\AB lies in C:\A and every path lies in an empty folder.
bool IsSubPath(std::string_view folder, std::string_view path);
// The upper-cased text after the last "."; "" when there is none or it lies in a folder name.
std::string GetPathExt(std::string_view path);
// The file name without folders and extension.
std::string GetPathTitle(std::string_view path);
// The text before the last separator (one trailing separator ignored); "" when there is none or
// the result would end with a separator.
std::string GetPathFolder(std::string_view path);
