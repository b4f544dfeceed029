#pragma once
// What the log-in and the System menu hand to the new-yearly-data-file dialog, which belongs
// to the data-file administration above this layer, and what it hands back.
#include <functional>
#include <string>

class QWidget;
class CSmApp;

struct SmNewYearFileRequest {
  int kind = 0;          // back end of the new file: 0 data file, 1 or 2 server
  std::string dataFile;  // where it goes: a data file or its folder, or a database name
  std::string server;    // server kinds: the data source or server
  bool convert = false;  // copies `sourceFile` of the other back end into the new file
  std::string sourceServer;
  std::string sourceFile;
};

// The folder (data files) and the file or database made.
struct SmNewYearFileResult {
  std::string folder;
  std::string file;
};

// True after a file was made (or converted).
using SmNewYearFileHook = std::function<bool(CSmApp&, const SmNewYearFileRequest&, QWidget* parent,
                                             SmNewYearFileResult* result)>;
