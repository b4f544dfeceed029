#include "tests/common/SmTestMain.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <cstdlib>

#include "core/SmGbk.h"
#include "platform/SmMessage.h"

namespace {
QTemporaryDir* g_home = nullptr;
}

std::string SmTestHome() {
  return g_home->path().toStdString();
}

void SmResetMessages() {
  CSmMessageService::Instance().Clear();
}

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QTemporaryDir home;
  g_home = &home;
  const std::string path = home.path().toStdString();
  setenv("HOME", path.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (path + "/.config").c_str(), 1);
  setenv("XDG_DATA_HOME", (path + "/.local/share").c_str(), 1);
  QApplication app(argc, argv);
  SmUseCNumericLocale();
  CSmMessageService::Instance().SetTestMode(true);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
