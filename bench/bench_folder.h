#pragma once
// The folder of one run of a timed program: made under the temporary folder (TMPDIR) with a
// name of its own, and removed with everything in it when the run ends, so that two runs on one
// machine never empty each other's files.
#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

class CBenchFolder {
 public:
  // "<TMPDIR>/<name>-XXXXXX"; a run that cannot make it ends at once, saying so.
  explicit CBenchFolder(const std::string& name) {
    std::string pattern = (std::filesystem::temp_directory_path() / (name + "-XXXXXX")).string();
    if (!mkdtemp(pattern.data())) {
      std::perror(pattern.c_str());
      std::exit(1);
    }
    m_path = pattern;
  }
  ~CBenchFolder() {
    std::error_code ignored;
    if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
  }
  CBenchFolder(const CBenchFolder&) = delete;
  CBenchFolder& operator=(const CBenchFolder&) = delete;

  const std::filesystem::path& Path() const { return m_path; }
  // The path of `name` in the folder.
  std::string operator/(const std::string& name) const { return (m_path / name).string(); }
  // Removes what the folder holds and keeps the folder.
  void Empty() const {
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(m_path, ignored))
      std::filesystem::remove_all(entry.path(), ignored);
  }

 private:
  std::filesystem::path m_path;
};
