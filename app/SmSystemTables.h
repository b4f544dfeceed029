#pragma once
// A new yearly data file: "%s/%d.%s" of the folder, the year and the data-file extension,
// with the shell's and every data type's tables and the rows a new file starts with.
#include <string>

class CSmApp;

// Creates the file (which must not exist yet) through `app`'s broadcasts; `path` receives the
// file's path. False when the file exists or cannot be made; nothing is left behind then.
bool SmCreateYearFile(CSmApp& app, const std::string& folder, int year,
                      std::string* path = nullptr);
