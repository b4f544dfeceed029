// The settlement statistics on settled fixture tickets and slip deduction rows: which slips
// count under the settler, payer and unpaid-only choices, regions and levels, the payable and
// the paid amount, the freight report's flat drivers, and the report window's columns and
// dialog.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>

#include "cane/TsDataType.h"
#include "cane/TsItems.h"
#include "core/SmString.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "reports/TsReportDoc1.h"
#include "reports/TsReportDoc2.h"
#include "reports/TsReportQueryDlg.h"
#include "tests/cane/TsFileTest.h"
#include "tests/common/SmModalScript.h"
#include "tests/common/TsCaneTestApp.h"
#include "tests/reports/TsReportDirs.h"
#include "tests/reports/TsRowLine.h"
#include "tests/reports/TsSettlementFixture.h"

namespace {

using Line = TsRowLine;
using V = std::vector<double>;

class TsSettlementReportTest : public TsFileTest {
 protected:
  void SetUp() override {
    TsFileTest::SetUp();
    if (HasFatalFailure()) return;
    Run(TsReportDirectoryRows());
    Run(TsSettlementRows());
  }

  static TsSettlementQuery Query(int kind, const char* settler, const char* payer, int unpaid,
                                 const char* region = "", int level = 0) {
    TsSettlementQuery q;
    q.nSettleKind = kind;
    q.sDateFrom = "20160301";
    q.sDateTo = "20160331";
    q.sOprCode[0] = settler;
    q.sOprCode[1] = payer;
    q.bUnpaidOnly = unpaid;
    q.sFilter[0] = region;
    q.nLevel = level;
    return q;
  }

  std::vector<Line> Fill(const TsSettlementQuery& q) {
    CTsReportRow work(TsSettlementItems(q.nSettleKind).ValueCount());
    std::vector<CTsReportRow> rows;
    const int count = FillSettlement(q, work, rows, &m_db);
    EXPECT_EQ(count, static_cast<int>(rows.size()));
    return TsRowLines(rows);
  }
};

INSTANTIATE_TEST_SUITE_P(Engines, TsSettlementReportTest, testing::Values(0, 2));

// Cane values: slips, weight, price, amount, 补助款 +, 扣义运 -, 扣限载 -, payable, 扣修路费,
// 扣贷款, 预付款, 周转金, 蔗种款, 化肥款, paid.
const V kEast = {2, 45, 500, 22500, 20, 5, 0, 22515, 3, 50, 130, 0, 0, 0, 22332};
const V kZhang = {1, 30, 500, 15000, 20, 5, 0, 15015, 3, 50, 100, 0, 0, 0, 14862};
const V kLi = {1, 15, 500, 7500, 0, 0, 0, 7500, 0, 0, 30, 0, 0, 0, 7470};
const V kWest = {1, 60, 500, 30000, 0, 0, 100, 29900, 0, 0, 0, 200, 0, 0, 29700};
const V kNone = V(15, 0.0);

}  // namespace

TEST_P(TsSettlementReportTest, SlipsCountBySettlerPayerAndUnpaidOnly) {
  const struct {
    const char* settler;
    const char* payer;
    int unpaid;
    std::vector<Line> lines;
  } cases[] = {
      {"", "", 0, {{"1", "东镇", {}, kEast}, {"2", "西镇", {}, kWest}}},
      // unpaid only overrides the payer: 李四's paid slip is out
      {"", "103", 1, {{"1", "东镇", {}, kZhang}, {"2", "西镇", {}, kWest}}},
      {"", "103", 0, {{"1", "东镇", {}, kLi}, {"2", "西镇", {}, kNone}}},
      {"104", "", 0, {{"1", "东镇", {}, kNone}, {"2", "西镇", {}, kWest}}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Fill(Query(0, c.settler, c.payer, c.unpaid)), c.lines)
        << c.settler << "/" << c.payer << "/" << c.unpaid;
  }
}

TEST_P(TsSettlementReportTest, RegionAndLevelGiveTheFarmersBelow) {
  EXPECT_EQ(Fill(Query(0, "", "", 0, "101", 3)),
            (std::vector<Line>{{"101", "  一村", {}, kEast},
                               {"10101", "    一组", {}, kEast},
                               {"10101001", "      张三", {}, kZhang},
                               {"10101002", "      李四", {}, kLi}}));
}

// Freight values: slips, weight, price, amount, 放空补助 +, 超载扣运费 -, payable, 养路费,
// 修车费, 预付款, 油款, 修理费, paid. Drivers are flat: 乙车 (12) is not added into 甲车 (1),
// whatever the region and level.
TEST_P(TsSettlementReportTest, FreightListsEveryDriverIgnoringRegionAndLevel) {
  const std::vector<Line> expected = {
      {"1", "甲车", {}, V(13, 0.0)},
      {"12", "乙车", {}, V{1, 20, 20, 400, 10, 0, 410, 8, 0, 0, 0, 0, 402}}};
  EXPECT_EQ(Fill(Query(1, "", "", 0)), expected);
  EXPECT_EQ(Fill(Query(1, "", "", 0, "2", 3)), expected);
}

TEST_P(TsSettlementReportTest, WithoutCategoryZeroItemsThePaidIsTheAmountLessEveryItem) {
  for (int i : {0, 1, 2}) m_type->m_strParams[i] = "";
  TsBuildItemTables();
  // slips, weight, price, amount, 扣修路费, 扣贷款, 预付款, 周转金, 蔗种款, 化肥款, paid
  EXPECT_EQ(
      Fill(Query(0, "", "", 0, "1", 0)),
      (std::vector<Line>{{"1", "东镇", {}, V{2, 45, 500, 22500, 3, 50, 130, 0, 0, 0, 22317}}}));
}

// ---------------------------------------------------------------- the report window

namespace {

class TsSettlementOpenTest : public testing::Test {
 protected:
  void SetUp() override {
    SmResetMessages();
    TsInstallReports();
    ASSERT_TRUE(m_app.Start(2016, "1665 1666 "));
    CSmDatabase* db = m_app.m_env.GetDatabase();
    for (const std::string& sql : TsReportDirectoryRows()) ASSERT_TRUE(db->ExecuteSQL(sql)) << sql;
    for (const std::string& sql : TsSettlementRows()) ASSERT_TRUE(db->ExecuteSQL(sql)) << sql;
  }
  void TearDown() override { m_app.Stop({257, 258, 259, 263}); }

  CTsReportDoc2* Open(int templateNumber, std::function<void(QWidget*)> answer) {
    CSmChildFrame* frame = m_app.OpenFromTemplate(templateNumber, 0, 1, 966, std::move(answer));
    auto* view = frame ? frame->findChild<CTsReportView*>() : nullptr;
    return view ? dynamic_cast<CTsReportDoc2*>(view->ReportDoc()) : nullptr;
  }

  static std::vector<std::string> Specs(const CTsReportDoc2& doc) {
    std::vector<std::string> specs;
    for (const auto& col : doc.m_formDef.m_cols) specs.push_back(col.sFormula);
    return specs;
  }

  TsCaneTestApp m_app{"ReportTest"};
};

}  // namespace

TEST_F(TsSettlementOpenTest, CaneColumnsCaptionsAndValuesStandWhereTheRowPutsThem) {
  bool unpaidShown = false;
  CTsReportDoc2* doc = Open(259, [&unpaidShown](QWidget* dlg) {
    unpaidShown = Control<QCheckBox>(dlg, CTsReportQueryDlg2::kUnpaidOnly)->isVisible() &&
                  !Control<QWidget>(dlg, CTsReportQueryDlg::kTransporterFilter)->isVisible() &&
                  Control<QWidget>(dlg, CTsReportQueryDlg::kFarmerFilter)->isEnabled();
    Control<QComboBox>(dlg, CTsReportQueryDlg::kLevel)->setCurrentIndex(0);
    for (int id : {CTsReportQueryDlg::kDateFrom, CTsReportQueryDlg::kDateTo})
      Control<QLineEdit>(dlg, id)->setText("2016");
    for (int id : {CTsReportQueryDlg::kDateFromMonth, CTsReportQueryDlg::kDateToMonth})
      Control<QLineEdit>(dlg, id)->setText("3");
    Control<QLineEdit>(dlg, CTsReportQueryDlg::kDateFromDay)->setText("1");
    Control<QLineEdit>(dlg, CTsReportQueryDlg::kDateToDay)->setText("31");
    Press(dlg, SM_ID_OK);
  });
  ASSERT_NE(doc, nullptr);
  EXPECT_TRUE(unpaidShown);
  EXPECT_EQ(doc->m_formDef.sFna, "甘蔗结算统计表");
  EXPECT_EQ(Specs(*doc),
            (std::vector<std::string>{
                "代码/STRING/LEFT", "名称/STRING/LEFT", "单\\据\\数/NUMBER/MID",
                "蔗重/NUMBER/RIGHT", "平均\\单价/NUMBER/RIGHT/00/0", "价款/NUMBER/RIGHT",
                "补助款/NUMBER/RIGHT", "扣义运/NUMBER/RIGHT", "扣限载/NUMBER/RIGHT",
                "应付款/NUMBER/RIGHT", "扣修\\路费/NUMBER/RIGHT", "扣贷款/NUMBER/RIGHT",
                "扣预\\付款/NUMBER/RIGHT", "扣周\\转金/NUMBER/RIGHT", "扣蔗\\种款/NUMBER/RIGHT",
                "扣化\\肥款/NUMBER/RIGHT", "实付款/NUMBER/RIGHT"}));
  ASSERT_EQ(doc->m_rows.size(), 2u);
  const std::vector<std::string>& east = doc->m_rows[0];
  // every value in the column of its position: 10 slips, 14 weight, 16 amount, 17 + i items
  for (const auto& [code, text] : std::vector<std::pair<int, std::string>>{{10, "2"},
                                                                           {14, "45.000"},
                                                                           {16, "22500.00"},
                                                                           {17, "20.00"},
                                                                           {20, "22515.00"},
                                                                           {21, "3.00"},
                                                                           {22, "50.00"},
                                                                           {23, "130.00"},
                                                                           {27, "22332.00"}}) {
    EXPECT_EQ(east[doc->FindShownColumn(code)], text) << code;
  }
}

TEST_F(TsSettlementOpenTest, FreightDialogDisablesRegionAndLevelAndTheFlagIsKept) {
  bool disabled = false;
  CTsReportDoc2* doc = Open(263, [&disabled](QWidget* dlg) {
    disabled = !Control<QWidget>(dlg, CTsReportQueryDlg::kFarmerFilter)->isEnabled() &&
               !Control<QWidget>(dlg, CTsReportQueryDlg::kLevel)->isEnabled() &&
               !Control<QWidget>(dlg, CTsReportQueryDlg::kPickFarmer)->isEnabled();
    Control<QCheckBox>(dlg, CTsReportQueryDlg2::kUnpaidOnly)->setChecked(true);
    Press(dlg, SM_ID_OK);
  });
  ASSERT_NE(doc, nullptr);
  EXPECT_TRUE(disabled);
  EXPECT_EQ(doc->m_formDef.sFna, "运费结算统计表");
  EXPECT_EQ(doc->nRowKind, 1);
  EXPECT_EQ(doc->query.bUnpaidOnly, 1);
  EXPECT_EQ(doc->m_rows.size(), 1u);  // 甲车 has nothing: an empty row
  doc->OnCloseDocument();
  QApplication::processEvents();
  bool checked = false;
  EXPECT_EQ(Open(263,
                 [&checked](QWidget* dlg) {
                   checked = Control<QCheckBox>(dlg, CTsReportQueryDlg2::kUnpaidOnly)->isChecked();
                   Cancel(dlg);
                 }),
            nullptr);
  EXPECT_TRUE(checked);
}
