#include "fuzz/SmFuzzSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/SmApp.h"
#include "app/SmSystemTables.h"
#include "core/SmGbk.h"
#include "platform/SmMessage.h"

namespace {

QTemporaryDir& Home() {
  static QTemporaryDir home;
  return home;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  const std::string home = SmFuzzHome();
  setenv("HOME", home.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
  setenv("XDG_DATA_HOME", (home + "/.local/share").c_str(), 1);
  setenv("XDG_RUNTIME_DIR", home.c_str(), 1);
  // QApplication keeps references to its arguments for its whole life.
  static int argc = 1;
  static char name[] = "fuzz";
  static char* argv[] = {name, nullptr};
  // Never destroyed: from the exit handlers its clean-up would reach Qt globals already gone once
  // a window has been shown.
  [[maybe_unused]] static QApplication& app = *new QApplication(argc, argv);
  SmUseCNumericLocale();
  CSmMessageService::Instance().SetTestMode(true);
  return 0;
}

std::string SmFuzzHome() {
  return Home().path().toStdString();
}

std::string SmFuzzWriteFile(const std::string& name, std::string_view bytes) {
  const std::string path = SmFuzzHome() + "/" + name;
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
      file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
          static_cast<qint64>(bytes.size()))
    SmFuzzFail("cannot write " + path);
  return path;
}

std::string SmFuzzOpenDataFile(CSmApp& app, int year) {
  const std::string folder = SmFuzzHome() + "/data";
  QDir().mkpath(QString::fromStdString(folder));
  QFile::remove(QString::fromStdString(folder + "/" + std::to_string(year) + ".tsd"));
  std::string path;
  if (!SmCreateYearFile(app, folder, year, &path)) SmFuzzFail("cannot make the data file");
  if (!app.m_env.OpenFile("", path, "101", true)) SmFuzzFail("cannot log in to " + path);
  SmFuzzResetMessages();
  return path;
}

void SmFuzzResetMessages() {
  CSmMessageService::Instance().Clear();
}

void SmFuzzFail(const std::string& what) {
  std::fprintf(stderr, "fuzz property broken: %s\n", what.c_str());
  std::abort();
}
