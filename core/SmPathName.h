#pragma once
// Checks a file or folder path typed by a user, splits it into its parts, words the outcome as a
// fixed message and creates a folder with all its missing parents. "\" and "/" are read alike.
//
// Drive letters name nothing on this system: a path with a drive ("C:\data") has a root that
// does not exist, so its check gives 4 ("文件名中含有无效驱动器名！") and nothing is created there.
#include <string>

class CSmPathName {
 public:
  CSmPathName() = default;
  explicit CSmPathName(const std::string& path) { SetPath(path); }
  virtual ~CSmPathName() = default;

  // Stores the path, checks its syntax and takes its extension and title; result 1 when sound.
  void SetPath(const std::string& path);
  // The message of the current result (an unknown code leaves the text empty) and the code.
  int GetResultText(std::string& text) const;
  // Result 2 when the result is 1 and the path names an existing entry that is not a folder.
  void CheckNotFile();
  // Checks the path and creates every missing folder of it from the root down: result 1, 2 when
  // the path is an existing file, -1 for bad characters, -21 when a creation fails.
  void CreateFolderPath(const std::string& path);

  std::string path;       // as given
  std::string extension;  // behind the last "." of the name part
  std::string title;      // the name part without folders and extension
  std::string drive;      // "C:" of a local path, or the share of a network path
  std::string server;     // the server of a network path ("\\server\share\...")
  int result = 0;

 private:
  // Splits the path into the root that must exist and the relative part below it; sets result.
  void CheckSyntax(std::string& root, std::string& relative);
};

// The letter of a fixed drive other than the system's for default data folders; 0 where drives
// have no letters (Linux).
char FindNonSystemFixedDrive();
