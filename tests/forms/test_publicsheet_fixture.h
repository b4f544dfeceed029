#pragma once
// A form module whose template 255 has the listed kind 1 and user forms, and a document of
// its user form 2 with four columns (the last a formula column), two system notes and a
// record of what the settings sheet asked it.
#include <gtest/gtest.h>

#include <QApplication>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/SmApp.h"
#include "core/SmDatabase.h"
#include "core/SmRegKey.h"
#include "core/SmString.h"
#include "forms/SmChildFrm.h"
#include "forms/SmDoc.h"
#include "forms/SmDocTemplate.h"
#include "forms/SmFormDataType.h"
#include "platform/SmMessage.h"
#include "res/SmResource.h"
#include "tests/common/SmTestDataFile.h"
#include "tests/common/SmTestMain.h"
#include "tests/forms/test_formapp.h"
#include "tests/forms/test_formdef_fixture.h"

class SheetDoc : public CSmDoc {
 public:
  void DefineTitle(CSmFormDef& def) override {
    def.sFna = "收购单";
    def.nTopNum = 1;
    def.nOpen = 1;
  }
  void DefineColumns(CSmFormDef& def) override {
    def.InsertCol(0, 101, 1208, 0, 0, "户名/STRING/LEFT");
    def.InsertCol(1, 102, 1010, 2, 2, "重量/NUMBER/RIGHT/010/0");
    def.InsertCol(2, 103, 1210, 2, 2, "金额/NUMBER/RIGHT/010/0");
    def.InsertCol(3, 100, 1010, 2, 2, "单价/NUMBER/RIGHT/021/0/#c3/#c2");
  }
  int GetColumnVisibility(const CSmFormDef& /*def*/, int column) override {
    const auto found = m_forced.find(column);
    return found == m_forced.end() ? 2 : found->second;
  }
  void DefineHeadNotes(CSmFormDef& def) override {
    def.m_headNotes.resize(2);
    def.m_headNotes[0].Set(0, 0, 1200, 1, 1, "单位", "甘蔗收购站");
    def.m_headNotes[1].Set(0, 0, 1060, 1, 1, "日期", "#日期");
  }
  bool AllowFormChange(int change, int index, const CSmFormDef& /*before*/,
                       const CSmFormDef& /*after*/) override {
    m_asked.emplace_back(change, index);
    return change != m_veto;
  }
  bool AllowFormNumberChange() override { return !m_numberFixed; }

  std::map<int, int> m_forced;
  std::vector<std::pair<int, int>> m_asked;
  int m_veto = -99;
  bool m_numberFixed = false;
};

class SheetModule : public SmTestFormModule {
 public:
  using SmTestFormModule::SmTestFormModule;
  void AddTemplates(CSmDocManager& manager) override {
    if (m_number != 16) return;
    auto made = std::make_unique<CSmDocTemplate>(
        SM_IDR_EMPTY_MENU, [] { return std::make_unique<SheetDoc>(); },
        [] { return new CFormChildFrm; }, [](CSmDocument*, CSmChildFrame*) { return new CSmView; },
        255, 1);
    made->m_module = 16;
    made->AddKind(1, "收购单", "", 0, "1601", 1, 0);
    manager.AddDocTemplate(std::move(made));
  }
};

using SheetApp = SmFormTestApp<SheetModule>;

class PublicSheetTest : public testing::Test {
 protected:
  void SetUp() override {
    SmResetMessages();
    CSmRegKey().DeleteKeyTree(SM_HKEY_CURRENT_USER, "Software\\reduvor\\SheetTest");
    ASSERT_TRUE(m_app.InitInstance({}));
    ASSERT_TRUE(m_app.m_env.OpenFile("", SmCreateTestDataFile(2016), "101", true));
    m_app.m_env.SetRights("1601 ");
    m_app.m_opLog.m_enabled = 1;
    m_db = m_app.m_env.GetDatabase();
    SmCreatePrintTables(*m_db);
    m_doc.m_db = m_db;
    m_doc.m_module = 16;
    m_doc.nFlag = 255;
    m_doc.m_kind.nNumber = 2;
    m_doc.m_kind.sName = "收购单";
    m_doc.m_kind.bUserForm = true;
    m_doc.LoadFormDef();
    m_app.Module(16)->RefreshPage();
    SmResetMessages();
  }
  void TearDown() override {
    m_app.m_docManager.CloseAllDocuments();
    QApplication::processEvents();
    m_app.ExitInstance();
  }

  CSmFormDef Stored(int flag, int form) {
    CSmFormDef def;
    def.Attach(m_db, flag, form);
    def.LoadList();
    def.LoadCols();
    def.LoadTopWords();
    def.LoadHeadNotes();
    return def;
  }
  void StoreForm(int flag, int form, int open) {
    CSmFormDef def = Stored(255, 2);
    def.Attach(m_db, flag, form);
    def.nOpen = open;
    ASSERT_TRUE(def.Save());
  }
  void AddPrintRows(int flag, const std::string& mode) { SmAddPrintRows(*m_db, flag, mode); }
  long PrintRows(int flag, const std::string& mode) { return SmPrintRows(*m_db, flag, mode); }
  std::vector<std::string> LogNotes(int code) {
    std::vector<std::string> notes;
    m_db->QueryStrings(FormatStr("Select sNote From SmLog Where nTaskID=%d", code), &notes, 1);
    return notes;
  }
  std::vector<std::string> Shown() {
    std::vector<std::string> texts;
    for (const auto& box : CSmMessageService::Instance().Shown()) texts.push_back(box.text);
    return texts;
  }
  CSmDocTemplate* Template(int number) {
    for (const auto& t : m_app.m_docManager.Templates()) {
      auto* found = dynamic_cast<CSmDocTemplate*>(t.get());
      if (found && found->m_number == number) return found;
    }
    return nullptr;
  }

  SheetApp m_app{"SheetTest"};
  CSmDatabase* m_db = nullptr;
  SheetDoc m_doc;
};
