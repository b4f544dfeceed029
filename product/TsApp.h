#pragma once
// The product's application: the cane purchasing accounting program.
#include "app/SmApp.h"

class CTsApp : public CSmApp {
 public:
  // Installs the data-file administration's dialogs.
  CTsApp();
  void GetModuleInfos(std::vector<CSmModuleInfo>& infos) override;
  void CreateDataTypes() override;
  int GetModuleNumber() override { return 15; }
  // Formula columns reach the report designer's functions and the data file.
  std::unique_ptr<CSmVarCaculate> CreateColumnEvaluator() override;
  // Removes "设置业务月 ..." and "导出标准接口数据 ..." from the System menu.
  void AdjustSystemMenu(QMenu* menu) override;
  // The Settings menu of the cane module (TsAppCommands.cpp), then the application's commands.
  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CSmCmdUI& ui) override;
};
