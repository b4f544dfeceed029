#include "tests/common/SmTestMain.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

#include "core/SmGbk.h"
#include "core/SmWiring.h"
#include "platform/SmMessage.h"

namespace {
QTemporaryDir* g_home = nullptr;

// A part of the program asked for but never loaded fails the test that asked.
void FailWiring(const std::string& what) {
  ADD_FAILURE() << "wiring fault: " << what;
}
}  // namespace

std::string SmTestHome() {
  return g_home->path().toStdString();
}

void SmResetMessages() {
  CSmMessageService::Instance().Clear();
}

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QTemporaryDir home;
  // SM_TEST_KEEP_HOME=1 keeps the printed pages and data files of a run for looking at them.
  if (std::getenv("SM_TEST_KEEP_HOME")) {
    home.setAutoRemove(false);
    std::fprintf(stderr, "test home kept: %s\n", home.path().toUtf8().constData());
  }
  g_home = &home;
  const std::string path = home.path().toStdString();
  setenv("HOME", path.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (path + "/.config").c_str(), 1);
  setenv("XDG_DATA_HOME", (path + "/.local/share").c_str(), 1);
  QApplication app(argc, argv);
  SmUseCNumericLocale();
  CSmMessageService::Instance().SetTestMode(true);
  SmSetWiringFaultHandler(FailWiring);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
