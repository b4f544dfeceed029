#pragma once
// The cane module on a data file that is also the application's connection (so that the
// operation log is written), farmer levels 1, 2, 2, 3, variety levels 2, 2, two cane advance
// items, two farmer-linked and one place-linked parameter, and a stand-in for the weighing
// documents that keeps opening balances in memory, reads ticket prices from gbSheet and records
// re-pricing calls.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "app/SmApp.h"
#include "cane/TsDataType.h"
#include "cane/TsItems.h"
#include "cane/TsWeighingService.h"
#include "core/SmDatabase.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "tests/cane/TsTestApp.h"
#include "tests/common/SmModalScript.h"
#include "tests/common/SmTestDataFile.h"
#include "tests/common/SmTestMain.h"
#include "tests/common/SmTestRows.h"

struct TsRepriceCall {
  bool add;
  int kind;
  double price;
  std::string code;
};

class CStandInWeighing : public CTsWeighingService {
 public:
  bool SlipRepair(int, CSmDatabase*) override { return true; }
  int PriceStats(int kind, const std::string& code, double* lowest, double* highest,
                 CSmDatabase* db) override {
    const std::string where = FormatStr(" From gbSheet Where OPR1<>'' And JN%d='' And KNO%d='%s'",
                                        kind, 3 - kind, code.c_str());
    const long count = db->QueryInt("Select Count(*)" + where);
    std::vector<std::string> rows[2];
    db->QueryStrings(
        "Select Min(PR" + std::to_string(kind) + "),Max(PR" + std::to_string(kind) + ")" + where,
        rows, 2);
    if (count > 0) {
      *lowest = StrToDouble(rows[0].front());
      *highest = StrToDouble(rows[1].front());
    }
    return static_cast<int>(count);
  }
  bool LoadOpening(int, const std::string& code, TsSlipAmounts& amounts, CSmDatabase*) override {
    if (openings.count(code)) amounts = openings[code];
    return true;
  }
  bool SetOpening(bool, int, const std::string& code, const TsSlipAmounts& amounts,
                  CSmDatabase*) override {
    openings[code] = amounts;
    return true;
  }
  bool GetChildOpenings(const std::string&, const std::vector<std::string>& children,
                        std::vector<TsSlipAmounts>& sums, CSmDatabase*) override {
    sums.assign(children.size(), TsSlipAmounts{});
    for (size_t c = 0; c < children.size(); ++c) {
      for (const auto& [code, amounts] : openings) {
        if (code.compare(0, children[c].size(), children[c]) != 0) continue;
        for (size_t i = 0; i < amounts.size(); ++i) sums[c][i] += amounts[i];
      }
    }
    return true;
  }
  bool GetDriverOpenings(const std::vector<std::string>&, std::vector<TsSlipAmounts>&,
                         CSmDatabase*) override {
    return true;
  }
  bool CarryOverBalances(CSmDatabase*, CSmDatabase*) override { return true; }
  void Reprice(bool add, int kind, double price, const std::string& code, CSmDatabase*) override {
    reprices.push_back({add, kind, price, code});
  }

  std::map<std::string, TsSlipAmounts> openings;
  std::vector<TsRepriceCall> reprices;
};

class TsDirTest : public TsAppTest {
 protected:
  void SetUp() override {
    TsAppTest::SetUp();
    SmResetMessages();
    const std::string path = SmCreateTestDataFile(2016);
    ASSERT_FALSE(path.empty());
    m_db = m_app.m_env.Connection();
    ASSERT_TRUE(m_db->Open(path));
    m_app.m_env.SetLogOn(1);
    m_app.m_opLog.m_enabled = 1;
    m_app.m_env.SetOperatorNo("102");
    m_app.m_env.SetRights("1602 1605 ");
    const int levels[] = {1, 2, 2, 3, 0, 0, 0, 2, 2, 0, 0, 0};
    for (int i = 0; i < 12; ++i) m_type->m_intParams[i] = levels[i];
    for (int i = 10; i < 52; ++i) m_type->m_strParams[i].clear();
    m_type->m_strParams[10] = "化肥款\t21";
    m_type->m_strParams[12] = "种苗款\t21";
    m_type->m_strParams[11] = "水费\t11";
    m_type->m_strParams[40] = "修路费";
    m_type->m_strParams[42] = "补贴";
    m_type->m_strParams[45] = "运距";
    TsBuildItemTables();
    auto weighing = std::make_unique<CStandInWeighing>();
    m_weighing = weighing.get();
    m_type->SetWeighingService(std::move(weighing));
  }
  void TearDown() override {
    m_db->Close();
    TsAppTest::TearDown();
  }

  void Run(const std::vector<std::string>& statements) {
    for (const std::string& sql : statements) ASSERT_TRUE(m_db->ExecuteSQL(sql)) << sql;
  }
  // Farmers (code, name, cs0) without the record's protocol.
  void AddFarmers(const std::vector<std::pair<std::string, std::string>>& rows) {
    for (const auto& [code, name] : rows)
      Run({"Insert Into NHDir(KNO,NA,TEL,BkNO,BkHO,BkNA,NT,cs0,cs1,cs2,cs3) Values('" + code +
           "','" + name + "','','','','','',0,0,0,0)"});
  }
  // Two regions, a village, a group and two farmers.
  void AddSampleFarmers() {
    AddFarmers({{"1", "东区"},
                {"101", "一村"},
                {"10101", "一组"},
                {"10101001", "张三"},
                {"10101002", "李四"},
                {"2", "西区"}});
  }
  void AddVarieties(const std::vector<std::pair<std::string, double>>& rows) {
    for (const auto& [code, price] : rows)
      Run({FormatStr("Insert Into GP(KNO,NA,NT,pr) Values('%s','品种%s','',%.2f)", code.c_str(),
                     code.c_str(), price)});
  }
  std::string Rows(const std::string& query) { return SmJoinedRows(m_db, query); }
  // The notes logged under the code, in order.
  std::string Logged(int code) {
    return Rows(FormatStr("Select sNote From SmLog Where nTaskID=%d", code));
  }

  CSmDatabase* m_db = nullptr;
  CStandInWeighing* m_weighing = nullptr;
};
