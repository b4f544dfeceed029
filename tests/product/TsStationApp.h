#pragma once
// The product without its main window: the descriptor and the data types, as at start-up. The
// station process and the tests that watch it work on files of the same application.
#include "product/TsApp.h"

class TsStationApp : public CTsApp {
 public:
  TsStationApp() {
    SelectModuleInfo();
    CreateDataTypes();
  }
  void RunUpdater() override {}
};
