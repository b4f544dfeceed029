// The advance balances and movements: opening, advanced, taken back and closing amounts of one
// item or of all advance items over a period, reviewed documents only or all, farmer regions
// and flat transporter codes; the query dialog's item list and checks; the report opened from
// its template.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>

#include "app/SmApp.h"
#include "cane/TsItems.h"
#include "cane/TsParams.h"
#include "core/SmString.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "reports/TsReportDoc1.h"
#include "reports/TsReportDoc4.h"
#include "reports/TsReportQueryDlg.h"
#include "tests/cane/TsFileTest.h"
#include "tests/common/SmDialogChecks.h"
#include "tests/common/SmModalScript.h"
#include "tests/common/TsCaneTestApp.h"
#include "tests/reports/TsReportDirs.h"
#include "tests/reports/TsReportLines.h"

namespace {

using Line = TsReportLine;

constexpr auto Money = TsMoneyRow;

// Farmer slip items: MY0 扣贷款 (withholding), MY1 预付款, MY2 周转金, MY3 蔗种款, MY4 化肥款.
std::vector<std::string> Fixture() {
  std::vector<std::string> rows = TsReportDirectoryRows();
  const std::vector<std::string> money = {
      Money('0', '2', "20151201", "", "10101001", 1, -100, "101"),       // opening
      Money('0', '2', "20160220", "000001", "10101001", 1, -10, "101"),  // before the period
      Money('0', '2', "20160301", "000002", "10101001", 1, -50, "101"),  // its first day
      Money('0', '2', "20160305", "000003", "10101001", 2, -5, "101"),
      Money('0', '2', "20160306", "000004", "10101001", 1, -7, ""),  // unreviewed
      Money('0', '1', "20160310", "000001", "10101001", 1, 30, "101"),
      Money('0', '0', "20160315", "000001", "10101001", 1, 20, "101"),
      Money('0', '2', "20160401", "000005", "10101001", 1, -999, "101"),  // after the period
      Money('0', '2', "20151201", "", "10101002", 1, -40, ""),            // unreviewed opening
      Money('0', '3', "20160305", "000001", "20101001", 0, -12.34, "101"),
      Money('1', '2', "20160305", "000006", "12", 2, -40, "101"),
  };
  rows.insert(rows.end(), money.begin(), money.end());
  return rows;
}

class TsMovementReportTest : public TsFileTest {
 protected:
  void SetUp() override {
    TsFileTest::SetUp();
    if (HasFatalFailure()) return;
    Run(Fixture());
  }

  std::vector<Line> Fill(const TsMovementQuery& q) {
    CTsReportRow work(4);
    std::vector<CTsReportRow> rows;
    const int count = FillAdvanceMovement(q, work, rows, &m_db);
    EXPECT_EQ(count, static_cast<int>(rows.size()));
    std::vector<Line> lines;
    for (const CTsReportRow& r : rows) lines.push_back({r.sCode, r.Values});
    return lines;
  }

  static TsMovementQuery Query(int kind, int category, int index, const char* region, int level,
                               int unreviewed) {
    TsMovementQuery q;
    q.nSettleKind = kind;
    q.nItemCategory = category;
    q.nItemIndex = index;
    q.sDateFrom = "20160301";
    q.sDateTo = "20160331";
    q.sFilter[0] = region;
    q.nLevel = level;
    q.bIncludeUnreviewed = unreviewed;
    return q;
  }
};

INSTANTIATE_TEST_SUITE_P(Engines, TsMovementReportTest, testing::Values(0, 2));

}  // namespace

TEST_P(TsMovementReportTest, EachDocumentCountsInTheColumnOfItsDateAndKind) {
  using V = std::vector<double>;
  struct Case {
    TsMovementQuery query;
    std::vector<Line> lines;
  } cases[] = {
      // 预付款, reviewed only: 张三 opening 100 + 10 (before the period), advanced 50 (the first
      // day), taken back 30 + 20; 李四's unreviewed opening and the April advance left out.
      {Query(0, 2, 0, "1", 4, 0),
       {{"1", V{110, 50, 50, 110}},
        {"101", V{110, 50, 50, 110}},
        {"10101", V{110, 50, 50, 110}},
        {"10101001", V{110, 50, 50, 110}},
        {"10101002", V{0, 0, 0, 0}}}},
      // With unreviewed documents: 张三's advance of 7 and 李四's opening-only balance.
      {Query(0, 2, 0, "101", 4, 1),
       {{"101", V{150, 57, 50, 157}},
        {"10101", V{150, 57, 50, 157}},
        {"10101001", V{110, 57, 50, 117}},
        {"10101002", V{40, 0, 0, 40}}}},
      // All advance items together take 周转金 in too.
      {Query(0, 2, 4, "", 0, 0), {{"1", V{110, 55, 50, 115}}, {"2", V{0, 0, 0, 0}}}},
      // The withholding item 扣贷款.
      {Query(0, 1, 0, "", 0, 0), {{"1", V{0, 0, 0, 0}}, {"2", V{0, 12.34, 0, 12.34}}}},
      // Transporters ignore region and level; code 12 does not add into code 1.
      {Query(1, 2, 0, "2", 0, 0), {{"1", V{0, 0, 0, 0}}, {"12", V{0, 40, 0, 40}}}},
  };
  for (const Case& c : cases) EXPECT_EQ(Fill(c.query), c.lines) << c.query.sFilter[0];
}

// ---------------------------------------------------------------- the query dialog

namespace {

class TsMovementDlgTest : public TsAppConnected<TsMovementReportTest> {
 protected:
  std::unique_ptr<CTsReportQueryDlg4> Open(int kind, int category, int index) {
    auto dlg = std::make_unique<CTsReportQueryDlg4>(&m_db, "余额及发生额表", "20160301", "20160331",
                                                    "1", kind, 2, 1, category, index, 0);
    dlg->show();
    return dlg;
  }
  static std::vector<std::string> Items(QWidget* dlg) {
    std::vector<std::string> items;
    auto* combo = Control<QComboBox>(dlg, CTsReportQueryDlg4::kItemCombo);
    for (int i = 0; i < combo->count(); ++i) items.push_back(combo->itemText(i).toStdString());
    return items;
  }
};

INSTANTIATE_TEST_SUITE_P(DataFile, TsMovementDlgTest, testing::Values(0));

}  // namespace

TEST_P(TsMovementDlgTest, ItemListEndsWithTheSumOfAdvancesOnlyWhenThereAreTwo) {
  auto farmers = Open(0, 2, 4);
  EXPECT_EQ(Items(farmers.get()), (std::vector<std::string>{"扣贷款", "预付款", "周转金", "蔗种款",
                                                            "化肥款", "预付款合计"}));
  EXPECT_EQ(Control<QComboBox>(farmers.get(), CTsReportQueryDlg4::kItemCombo)->currentIndex(), 5);
  EXPECT_TRUE(Control<QLineEdit>(farmers.get(), CTsReportQueryDlg::kFarmerFilter)->isEnabled());
  Control<QComboBox>(farmers.get(), CTsReportQueryDlg4::kItemCombo)->setCurrentIndex(0);
  EXPECT_EQ(Confirm(*farmers), std::make_pair(std::string(), true));
  EXPECT_EQ(std::make_pair(farmers->m_query.nItemCategory, farmers->m_query.nItemIndex),
            std::make_pair(1, 0));

  // Transporters with one advance item (油款 and 修理费 undefined): no sum to offer.
  for (int i : {28, 29}) TsGetDataType()->m_strParams[i].clear();
  TsBuildItemTables();
  auto drivers = Open(1, 2, 0);
  EXPECT_EQ(Items(drivers.get()), (std::vector<std::string>{"养路费", "修车费", "预付款"}));
  EXPECT_EQ(Control<QComboBox>(drivers.get(), CTsReportQueryDlg4::kItemCombo)->currentIndex(), 2);
  EXPECT_FALSE(Control<QLineEdit>(drivers.get(), CTsReportQueryDlg::kFarmerFilter)->isEnabled());
  EXPECT_EQ(Confirm(*drivers), std::make_pair(std::string(), true));
  EXPECT_EQ(std::make_pair(drivers->m_query.nItemCategory, drivers->m_query.nItemIndex),
            std::make_pair(2, 0));
}

TEST_P(TsMovementDlgTest, WithoutAnItemChosenOkSaysSoAndFocusesTheList) {
  auto dlg = Open(0, 0, 0);  // no choice saved yet
  EXPECT_EQ(Control<QComboBox>(dlg.get(), CTsReportQueryDlg4::kItemCombo)->currentIndex(), -1);
  EXPECT_EQ(Confirm(*dlg), std::make_pair(std::string("未选择款项项目！"), false));
  EXPECT_EQ(Focused(*dlg), IdName(CTsReportQueryDlg4::kItemCombo));
  TypeDate(dlg.get(), CTsReportQueryDlg::kDateTo, "2016", "02", "01");
  EXPECT_EQ(Confirm(*dlg), std::make_pair(std::string("起止时间倒置！"), false));
}

// ---------------------------------------------------------------- the report window

namespace {

class TsMovementOpenTest : public testing::Test {
 protected:
  void SetUp() override {
    SmResetMessages();
    TsInstallReports();
    ASSERT_TRUE(m_app.Start(2016, "1669 1670 "));
    CSmDatabase* db = m_app.m_env.GetDatabase();
    for (const std::string& sql : Fixture()) ASSERT_TRUE(db->ExecuteSQL(sql)) << sql;
  }
  void TearDown() override { m_app.Stop({257, 258, 266, 267, 268, 269, 270}); }

  CTsReportView* Open(int templateNumber, std::function<void(QWidget*)> answer) {
    CSmChildFrame* frame = m_app.OpenFromTemplate(templateNumber, 0, 1, 968, std::move(answer));
    return frame ? frame->findChild<CTsReportView*>() : nullptr;
  }

  TsCaneTestApp m_app{"ReportTest"};
};

}  // namespace

TEST_F(TsMovementOpenTest, TheChosenItemHeadsTheReportAndComesBackNextTime) {
  CTsReportView* view = Open(266, [](QWidget* dlg) {
    TypeDate(dlg, CTsReportQueryDlg::kDateFrom, "2016", "03", "01");
    TypeDate(dlg, CTsReportQueryDlg::kDateTo, "2016", "03", "31");
    Control<QComboBox>(dlg, CTsReportQueryDlg4::kItemCombo)->setCurrentIndex(5);
    Control<QComboBox>(dlg, CTsReportQueryDlg::kLevel)->setCurrentIndex(0);
    Press(dlg, SM_ID_OK);
  });
  ASSERT_NE(view, nullptr);
  CTsReportDoc* doc = view->ReportDoc();
  EXPECT_EQ(doc->m_formDef.sFna, "农户预付(代扣)款余额及发生额表");
  EXPECT_EQ(doc->sHeading[0], "款项：预付款合计");
  ASSERT_EQ(doc->m_rows.size(), 1u);  // 西镇 has nothing and empty rows are dropped
  EXPECT_EQ(doc->m_rows[0][doc->FindShownColumn(13)], "115.00");
  doc->OnCloseDocument();
  QApplication::processEvents();

  int chosen = -1;
  ASSERT_EQ(Open(266,
                 [&chosen](QWidget* dlg) {
                   chosen = Control<QComboBox>(dlg, CTsReportQueryDlg4::kItemCombo)->currentIndex();
                   Cancel(dlg);
                 }),
            nullptr);
  EXPECT_EQ(chosen, 5);
}

TEST_F(TsMovementOpenTest, WithoutWithholdingOrAdvanceItemsNothingOpens) {
  for (int i = 25; i < 40; ++i) TsGetDataType()->m_strParams[i].clear();
  TsBuildItemTables();
  bool asked = false;
  EXPECT_EQ(Open(267,
                 [&asked](QWidget* dlg) {
                   asked = true;
                   Cancel(dlg);
                 }),
            nullptr);
  EXPECT_FALSE(asked);
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "未定义代扣款或预付款项目！");
}
