#pragma once
// The start the timed programs over a season file share: the program with the cane data types,
// a folder of the run's own named after the benchmark, the season file in it and a copy of that
// file for the bare engine.
#include <filesystem>
#include <memory>
#include <string>

#include "bench/bench_bare.h"
#include "bench/bench_program.h"
#include "cane/TsDataType.h"
#include "core/SmDatabase.h"
#include "tools/season_file/TsSeasonFile.h"

class CBenchSeason : public CBenchProgram {
 public:
  CBenchSeason(int& argc, char** argv, const char* name)
      : CBenchProgram(argc, argv), m_name(name), m_folder(name) {
    static_cast<CTsDataType*>(App().AdoptDataType(std::make_unique<CTsDataType>()))->Init();
  }

  // The run's folder, removed with what it holds at the end of the run.
  const CBenchFolder& Folder() const { return m_folder; }

  // The season file of business year `year`; empty after saying so.
  std::string MakeFile(int year, const TsSeasonShape& shape = {}) {
    std::string path = TsMakeSeasonFile(App(), m_folder.Path().string(), year, shape);
    if (path.empty()) std::printf("%s: the season file could not be made\n", m_name.c_str());
    return path;
  }

  // The season file of `year` opened in `db` and a copy of it in the bare engine; false when
  // either cannot be made or opened.
  bool OpenBoth(int year, CSmDatabase& db, std::unique_ptr<CBenchBare>& bare) {
    const std::string path = MakeFile(year);
    if (path.empty()) return false;
    bare = std::make_unique<CBenchBare>(BareCopy(path));
    return db.Open(path) && bare->IsOpen();
  }

  // A copy of the season file at `path` beside it, for the bare engine.
  std::string BareCopy(const std::string& path) const {
    const std::string bare = m_folder / "bare.tsd";
    std::filesystem::copy_file(path, bare, std::filesystem::copy_options::overwrite_existing);
    return bare;
  }

 private:
  std::string m_name;
  CBenchFolder m_folder;
};
