#pragma once
// An application with the cane module only, for opening cane documents and reports from their
// templates on a data file of the tests.
#include <QApplication>
#include <QObject>

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/SmApp.h"
#include "app/SmServerYearFile.h"
#include "cane/TsDataType.h"
#include "cane/TsDocTemplates.h"
#include "forms/SmDocTemplate.h"
#include "tests/common/SmModalScript.h"
#include "tests/common/SmTestDataFile.h"
#include "tests/core/test_server_fixture.h"
#include "ui/SmPrinterService.h"

class TsCaneTestApp : public CSmApp {
 public:
  explicit TsCaneTestApp(std::string docType) : m_testDocType(std::move(docType)) {}

  void GetModuleInfos(std::vector<CSmModuleInfo>& infos) override {
    CSmModuleInfo info;
    info.m_id = 9;
    info.m_docType = m_testDocType;
    info.m_title = "甘蔗结算";
    info.m_types = " 16 ";
    infos.push_back(info);
  }
  void CreateDataTypes() override { AdoptDataType(std::make_unique<CTsDataType>())->Init(); }
  void RunUpdater() override {}
  bool CheckDataEngine() override { return true; }
  bool LogIn(const std::string&) override { return true; }

  // Starts the application and opens a new test data file of `year` as clerk 101 with
  // `rights`.
  // `rights`. Kind 2: a year file of its own on the test server instead of a data file.
  bool Start(int year, const std::string& rights, int kind = 0) {
    if (!InitInstance({})) return false;
    if (kind == 0) {
      m_dataFile = SmCreateTestDataFile(year);
    } else if (!CreateServerYearFile(year, kind)) {
      return false;
    }
    const std::string server = kind == 0 ? std::string() : SmPgLogin(kind).server;
    if (!m_env.OpenFile(server, m_dataFile, "101", true)) return false;
    m_env.SetRights(rights);
    return true;
  }
  // The data file's path, or the server database's name.
  const std::string& DataFile() const { return m_dataFile; }
  // Closes every window, ends the application and takes the document classes of the
  // `templates` off again.
  void Stop(std::initializer_list<int> templates) {
    m_docManager.CloseAllDocuments();
    QApplication::processEvents();
    ExitInstance();
    for (int number : templates) TsSetDocClasses(number, {});
    CSmPrinterService::Instance().Reset();
  }
  // Opens kind `kind` of template `number` in `openMode`; the dialog `dialogId` it shows first
  // is answered by `answer`.
  CSmChildFrame* OpenFromTemplate(int number, size_t kind, int openMode, int dialogId,
                                  std::function<void(QWidget*)> answer) {
    for (const auto& t : m_docManager.Templates()) {
      auto* found = dynamic_cast<CSmDocTemplate*>(t.get());
      if (!found || found->m_number != number) continue;
      QObject timers;
      OnModalOf(&timers, dialogId, std::move(answer));
      CSmChildFrame* frame = found->OpenDocumentOfKind(found->m_kinds[kind], openMode, true, false);
      QApplication::processEvents();
      return frame;
    }
    return nullptr;
  }

 protected:
  bool RegisterDataFileType() override { return true; }

 private:
  // Tests run side by side on one server: each keeps to a database of its own.
  bool CreateServerYearFile(int year, int kind) {
    if (SmPgEnv("SM_PG_PORT").empty() || !SmPgWriteTestDsn()) return false;
    const CSmConnInfo login = SmPgLogin(kind);
    m_moduleInfo.m_ext = SmServerTestName("ts").substr(0, 48);
    m_dataFile = SmServerDatabaseName(GetDataFileExt(), "0001", year);
    {
      CSmDatabase master(kind);
      if (!master.Open("master", login)) return false;
      master.ExecuteSQL("Drop Database If Exists " + m_dataFile + " With (FORCE)", {}, 128, false);
    }
    if (!SmCreateServerYearFile(*this, kind, login, "0001", year, &m_dataFile)) return false;
    m_env.SetKind(kind);
    return m_env.WriteDbLogin(login);
  }

  std::string m_testDocType;
  std::string m_dataFile;
};
