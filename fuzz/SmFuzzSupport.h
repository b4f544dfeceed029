#pragma once
// Shared by the fuzz targets, and linked into each: LLVMFuzzerInitialize sets up a QApplication on
// the offscreen platform, the message service in test mode (no box waits for a click), the "C"
// numeric locale, and a private home folder. scripts/fuzz.sh starts each target in a scratch folder
// of its own, so that whatever an input makes the program write under a relative name stays there.
#include <string>
#include <string_view>

class CSmApp;

// The private home folder of this run.
std::string SmFuzzHome();
// Writes the bytes to the file `name` in the home folder and returns its path.
std::string SmFuzzWriteFile(const std::string& name, std::string_view bytes);
// Makes a new yearly data file with the tables of the application's data types and logs in to
// it as operator 101; returns its path.
std::string SmFuzzOpenDataFile(CSmApp& app, int year = 2026);
// Forgets the boxes shown and the answers and file names queued.
void SmFuzzResetMessages();
// Stops the run the way libFuzzer reports a crash, with the text on the error stream: for
// properties of the result that an input broke.
[[noreturn]] void SmFuzzFail(const std::string& what);
