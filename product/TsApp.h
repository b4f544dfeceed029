#pragma once
// The product's application: the cane purchasing accounting program.
#include "app/SmApp.h"

class CTsApp : public CSmApp {
 public:
  void GetModuleInfos(std::vector<CSmModuleInfo>& infos) override;
  void CreateDataTypes() override;
  int GetModuleNumber() override { return 15; }
  // Removes "设置业务月 ..." and "导出标准接口数据 ..." from the System menu.
  void AdjustSystemMenu(QMenu* menu) override;
};
