#pragma once
// The backup archive of the data-file administration, which lives above this layer: the
// program installs it on the application at start-up, and the form modules carry their form
// definitions between data files through it.
#include <functional>
#include <string>

class CSmDatabase;

struct SmArchiveHook {
  // Writes every table of the connection to the file; false (reported) when it cannot.
  std::function<bool(CSmDatabase& db, const std::string& path)> save;
  // Replaces the content of the connection with the file's in full; `anyYear` accepts an
  // archive of another business year too.
  std::function<bool(CSmDatabase& db, const std::string& path, bool anyYear)> restore;
};
