#pragma once
// An application with the cane module only, for opening report documents from their
// templates on a data file of the tests.
#include <memory>
#include <string>
#include <vector>

#include "app/SmApp.h"
#include "cane/TsDataType.h"

class TsReportTestApp : public CSmApp {
 public:
  void GetModuleInfos(std::vector<CSmModuleInfo>& infos) override {
    CSmModuleInfo info;
    info.m_id = 9;
    info.m_docType = "ReportTest";
    info.m_title = "甘蔗结算";
    info.m_types = " 16 ";
    infos.push_back(info);
  }
  void CreateDataTypes() override { AdoptDataType(std::make_unique<CTsDataType>())->Init(); }
  void RunUpdater() override {}
  bool CheckDataEngine() override { return true; }
  bool LogIn(const std::string&) override { return true; }

 protected:
  bool RegisterDataFileType() override { return true; }
};
