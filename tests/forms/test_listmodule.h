#pragma once
// A form module for the template list's tests: its templates and kinds, and forms stored under
// its kinds with every part a form has (columns, a header block, a note, print settings).
#include <gtest/gtest.h>

#include <QMenu>
#include <memory>
#include <set>
#include <string>

#include "app/SmApp.h"
#include "core/SmDatabase.h"
#include "core/SmString.h"
#include "forms/SmChildFrm.h"
#include "forms/SmDoc.h"
#include "forms/SmDocTemplate.h"
#include "forms/SmFormDataType.h"
#include "forms/SmFormDef.h"
#include "res/SmResource.h"
#include "tests/forms/test_formapp.h"
#include "ui/SmPrintInfo.h"

class ListDoc : public CSmDoc {
 public:
  void DefineTitle(CSmFormDef& def) override {
    def.sFna = m_kind.sName;
    def.nTopNum = 1;
  }
  void DefineColumns(CSmFormDef& def) override {
    def.InsertCol(0, 101, 1010, 0, 0, "户号/STRING/LEFT");
  }
};

inline std::unique_ptr<CSmDocTemplate> MakeTemplate(int module, int number, int userForms) {
  auto made = std::make_unique<CSmDocTemplate>(
      SM_IDR_EMPTY_MENU, [] { return std::make_unique<ListDoc>(); },
      [] { return new CFormChildFrm; }, [](CSmDocument*, CSmChildFrame*) { return new CSmView; },
      number, userForms);
  made->m_module = module;
  return made;
}

// Module 16: template 255 (no user forms) with a new-able kind 0 and an open-only kind 1;
// template 257 (user forms) with kinds 0 and 1. Module 3: template 300 with one kind.
class ListModule : public SmTestFormModule {
 public:
  using SmTestFormModule::SmTestFormModule;
  void AddTemplates(CSmDocManager& manager) override {
    if (m_number != 16) {
      auto other = MakeTemplate(3, 300, 1);
      other->AddKind(0, "报表", "", 0, "0301", 1, 0);
      manager.AddDocTemplate(std::move(other));
      return;
    }
    auto first = MakeTemplate(16, 255, 0);
    first->AddKind(0, "收购单", "", 0, "1601", 659, 0);
    first->AddKind(1, "过磅单", "过磅单查询", 1, "1602", 629, 0);
    auto second = MakeTemplate(16, 257, 1);
    second->AddKind(0, "统计表", "", 1, "1603", 642, 0);
    second->AddKind(1, "月报表", "", 1, "1604", 661, 0);
    manager.AddDocTemplate(std::move(first));
    manager.AddDocTemplate(std::move(second));
  }
  bool IsListCommandEnabled(int id) override { return refused.count(id) == 0; }
  std::set<int> refused;
};

using ListApp = SmFormTestApp<ListModule>;

// Every stored row of a kind, over the seven tables that hold a form.
inline int StoredRows(CSmDatabase* db, int templateNumber, int kindNumber) {
  int rows = 0;
  for (const char* table : {"SmFormList", "SmFormFormula", "SmFormTopWord", "SmFormHeadNote"}) {
    rows += db->QueryInt(FormatStr("Select Count(*) From %s Where nFlag=%d And nForm=%d", table,
                                   templateNumber, kindNumber));
  }
  for (const char* table : {"SMPAGESET", "SMFONT", "FIELDWIDTH"}) {
    rows += db->QueryInt(FormatStr("Select Count(*) From %s Where nFlag=%d And SFIELDMODE='%d'",
                                   table, templateNumber, kindNumber));
  }
  return rows;
}

// A form with two columns, a header block, a note and print settings, under a kind.
inline void StoreForm(CSmDatabase* db, int templateNumber, int kindNumber, const std::string& title,
                      int pageRow = 30, int open = 1) {
  CSmFormDef def;
  def.Attach(db, templateNumber, kindNumber);
  def.sFna = title;
  def.nOpen = open;
  def.nTopNum = 1;
  def.InsertCol(0, 101, 1010, 0, 0, "户名/STRING/LEFT");
  def.InsertCol(1, 102, 1210, 0, 2, "金额/NUMBER/RIGHT/010/0/#c1*2");
  def.m_topWords.resize(1);
  def.m_topWords[0].Set(1, 1, 2, 1, "合计");
  def.m_headNotes.resize(1);
  def.m_headNotes[0].Set(0, 0, 1050, 1, 0, "单位", "甘蔗收购站");
  ASSERT_TRUE(def.Save());
  CSmPrintInfo print;
  print.PageRow = pageRow;
  print.m_widths = {120, 80};
  ASSERT_TRUE(print.Save(db, templateNumber, std::to_string(kindNumber)));
}
