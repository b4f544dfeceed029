#pragma once
// The start every timed program that drives windows shares: Qt offscreen, messages answered
// without a box, and the application; plus a fresh yearly data file in the run's own folder.
#include <QApplication>
#include <cstdio>
#include <string>

#include "app/SmApp.h"
#include "app/SmSystemTables.h"
#include "bench/bench_folder.h"
#include "platform/SmMessage.h"

class CBenchProgram {
 public:
  CBenchProgram(int& argc, char** argv) : m_qt(Offscreen(argc), argv) {}
  CBenchProgram(const CBenchProgram&) = delete;
  CBenchProgram& operator=(const CBenchProgram&) = delete;

  CSmApp& App() { return m_app; }

 private:
  static int& Offscreen(int& argc) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return argc;
  }
  static bool Quiet() {
    CSmMessageService::Instance().SetTestMode(true);
    return true;
  }

  QApplication m_qt;
  bool m_quiet = Quiet();  // before the application, which may already ask something
  CSmApp m_app;
};

// Creates the data file of business year 2016 in `folder`; its path, or empty after saying so.
inline std::string BenchYearFile(CSmApp& app, const CBenchFolder& folder) {
  std::string path;
  if (!SmCreateYearFile(app, folder.Path().string(), 2016, &path)) {
    std::printf("could not create the data file\n");
    return {};
  }
  return path;
}
