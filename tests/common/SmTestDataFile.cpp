#include "tests/common/SmTestDataFile.h"

#include <QDir>
#include <QFile>
#include <atomic>
#include <memory>

#include "app/SmApp.h"
#include "app/SmSystemTables.h"
#include "tests/common/SmTestMain.h"

std::string SmCreateTestDataFile(int year, const std::string& folder) {
  static std::atomic<int> serial{0};
  std::string dir = folder;
  if (dir.empty()) dir = SmTestHome() + "/data/set" + std::to_string(++serial);
  if (!QDir().mkpath(QString::fromStdString(dir))) return {};
  QFile::remove(QString::fromStdString(dir + "/" + std::to_string(year) + ".tsd"));
  // The running application's data types take part; without one, the shell's own tables.
  std::unique_ptr<CSmApp> local;
  CSmApp* app = SmGetApp();
  if (!app) {
    local = std::make_unique<CSmApp>();
    app = local.get();
  }
  std::string path;
  return SmCreateYearFile(*app, dir, year, &path) ? path : std::string();
}
