#pragma once
// An application with two form modules of a test's own module class (16 with the cane
// module's menu, 3 with the report module's), no updater, no engine test and a log-in that
// only shows the module pages.
#include <memory>
#include <string>

#include "app/SmApp.h"
#include "app/SmMainFrm.h"
#include "forms/SmFormDataType.h"
#include "res/SmResource.h"

// A form module of a test: number, resource and the tab label "模块<n>"; set up, it adds the
// test's templates to the application.
class SmTestFormModule : public CFormDataType {
 public:
  SmTestFormModule(int number, int resource) {
    m_number = number;
    m_resourceId = resource;
    m_tabLabel = "模块" + std::to_string(number);
  }
  void Init() override {
    Register(nullptr);
    CFormDataType::Init();
    AddTemplates(SmGetApp()->m_docManager);
  }

 protected:
  virtual void AddTemplates(CSmDocManager& manager) = 0;
};

template <class TestModule>
class SmFormTestApp : public CSmApp {
 public:
  explicit SmFormTestApp(std::string docType) : m_docType(std::move(docType)) {}
  void GetModuleInfos(std::vector<CSmModuleInfo>& infos) override {
    CSmModuleInfo info;
    info.m_id = 9;
    info.m_docType = m_docType;
    info.m_title = "甘蔗结算";
    info.m_types = " 16 3 ";
    infos.push_back(info);
  }
  void CreateDataTypes() override {
    AdoptDataType(std::make_unique<TestModule>(16, SM_IDR_CANE_SETTINGS))->Init();
    AdoptDataType(std::make_unique<TestModule>(3, SM_IDR_REPORT_MODULE))->Init();
  }
  void RunUpdater() override {}
  bool CheckDataEngine() override { return true; }
  bool LogIn(const std::string&) override {
    ShowModulePages();
    ShowTemplateBox(true);
    return true;
  }
  CSmMainFrm* Frame() const { return qobject_cast<CSmMainFrm*>(GetMainWnd()); }
  TestModule* Module(int number) const { return static_cast<TestModule*>(FindDataType(number)); }

 protected:
  bool RegisterDataFileType() override { return true; }

 private:
  std::string m_docType;
};
