// The unsettled payables: tared tickets not settled by the cut-off date per household with the
// chosen item groups, the balances taken off and the cash share of the rest; the query
// dialog's percentage; a form of its own per combination of groups with its printed headings;
// the advance voucher generated from the report.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include "app/SmApp.h"
#include "cane/TsItems.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "reports/TsReportDoc1.h"
#include "reports/TsReportDoc3.h"
#include "reports/TsReportQueryDlg.h"
#include "tests/cane/TsFileTest.h"
#include "tests/common/SmDialogChecks.h"
#include "tests/common/SmModalScript.h"
#include "tests/common/SmTestPdf.h"
#include "tests/common/SmTestRows.h"
#include "tests/common/TsCaneTestApp.h"
#include "tests/reports/TsReportDirs.h"
#include "tests/reports/TsReportLines.h"
#include "weighing/TsgbRec.h"

namespace {

using Line = TsReportLine;

// A ticket weighed on `date` (untared without `tare`), on slip `slip` of `slipDate` (none when
// empty) paid by `payer`, 30 - 10 - `impurity` net, with the amounts MY0 to MY4 and freight MY6.
struct Ticket {
  const char* dh;
  const char* date;
  const char* tare;
  const char* slip;
  const char* slipDate;
  const char* payer;
  const char* farmer;
  const char* driver;
  double my[5];
  double freight;
};

std::string Insert(const Ticket& t) {
  return FormatStr(
      "Insert Into gbSheet(T,TH,DH,OPR0,OPR1,OPR2,OPR3,OPR4,OPR5,OPR6,OPR7,JT0,JT1,JN0,JN1,"
      "KNO0,KNO1,KNO2,KNO3,MU0,MU1,MU2,MU3,PR0,PR1,MY0,MY1,MY2,MY3,MY4,MY5,MY6,MY7,MY8,MY9,"
      "MY10,MY11,FK,PRT0,PRT1) Values('%s','080000','%s','102','%s','','','%s','','','',"
      "'%s','','%s','','%s','%s','012','101',30,10,0,0,500,20,%.2f,%.2f,%.2f,%.2f,%.2f,0,%.2f,"
      "0,0,0,0,0,0,0,0)",
      t.date, t.dh, t.tare, t.payer, t.slipDate, t.slip, t.farmer, t.driver, t.my[0], t.my[1],
      t.my[2], t.my[3], t.my[4], t.freight);
}

std::string Money(char lb, char db, const char* dh, const char* kno, int item, double amount,
                  const char* reviewer) {
  return TsMoneyRow(lb, db, "20160301", dh, kno, item, amount, reviewer);
}

// Cane ticket items: MY1 补助款 (+), MY2 扣义运 (-), MY3 扣限载 (-), MY4 扣修路费 (withheld).
// Farmer slip items: MY0 扣贷款 (withholding), MY1 预付款, MY2 周转金, MY4 化肥款 (advances).
std::vector<std::string> Fixture() {
  std::vector<std::string> rows = TsReportDirectoryRows();
  const Ticket tickets[] = {
      {"000001", "20160301", "103", "", "", "", "10101001", "12", {10000, 100, 50, 30, 20}, 400},
      // settled after the cut-off date: unsettled for it
      {"000002", "20160302", "103", "000001", "20160315", "", "10101001", "1", {5000}, 0},
      // settled and paid before it
      {"000003", "20160302", "103", "000002", "20160305", "101", "10101001", "1", {7000}, 0},
      // settled before it, not paid
      {"000004", "20160303", "103", "000003", "20160305", "", "10101002", "1", {3000}, 0},
      {"000005", "20160301", "", "", "", "", "20101001", "1", {900}, 0},             // untared
      {"000006", "20160320", "103", "", "", "", "20101001", "1", {900}, 0},          // later
      {"000007", "20160301", "103", "", "", "", "20101001", "1", {100, 0, 200}, 0},  // owes
  };
  for (const Ticket& t : tickets) rows.push_back(Insert(t));
  const std::vector<std::string> money = {
      Money('0', '2', "", "10101001", 1, -1000, "101"),
      Money('0', '3', "000001", "10101001", 0, -500, "101"),
      Money('0', '2', "", "10101002", 1, -800, "101"),
      // the deduction row of 李四's unpaid slip
      Money('0', '0', "000003", "10101002", 1, 300, ""),
      // a driver's balance under its code padded to the column's width
      Money('1', '2', "000002", "12   ", 2, -150, "101"),
  };
  rows.insert(rows.end(), money.begin(), money.end());
  return rows;
}

TsUnsettledQuery Query(int kind, std::array<int, 4> groups, int unpaid, double percent, int level) {
  TsUnsettledQuery q;
  q.nSettleKind = kind;
  q.bGroups = groups;
  q.bIncludeUnpaid = unpaid;
  q.dCashPercent = percent;
  q.sDateFrom = "20160310";
  q.nLevel = level;
  return q;
}

class TsUnsettledReportTest : public TsFileTest {
 protected:
  void SetUp() override {
    TsFileTest::SetUp();
    if (HasFatalFailure()) return;
    Run(Fixture());
  }

  std::vector<Line> Fill(const TsUnsettledQuery& q) {
    CTsReportRow work(GetGroupLayout(q.nSettleKind, q.bGroups).total + 5);
    std::vector<CTsReportRow> rows;
    const int count = FillUnsettled(q, work, rows, &m_db);
    EXPECT_EQ(count, static_cast<int>(rows.size()));
    std::vector<Line> lines;
    for (const CTsReportRow& r : rows) {
      if (r.sCode.size() == 8 || q.nSettleKind == 1) lines.push_back({r.sCode, r.Values});
    }
    return lines;
  }
};

INSTANTIATE_TEST_SUITE_P(Engines, TsUnsettledReportTest, testing::Values(0, 2));

}  // namespace

TEST_P(TsUnsettledReportTest, GroupsShownDecideTheColumnsAndWhatIsTakenOffThePayable) {
  using V = std::vector<double>;
  struct Case {
    TsUnsettledQuery query;
    std::vector<Line> lines;  // the households
  } cases[] = {
      // Every group: 张三 has tickets 1 and 2 (15000, items 补助款 100, 扣义运 50, 扣限载 30 and
      // their subtotal 20, 扣修路费 20 alone), 扣贷款 500, 预付款 1000 (周转金, 化肥款 none):
      // 15000 + 20 - 20 - 1500. 王五's ticket owes more than it earns: nothing in cash.
      {Query(0, {1, 1, 1, 1}, 0, 100, 4),
       {{"10101001", V{2, 40, 375, 15000, 100, 50, 30, 20, 20, 500, 1000, 0, 0, 1000, 13500}},
        {"10101002", V{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"20101001", V{1, 20, 5, 100, 0, 200, 0, -200, 0, 0, 0, 0, 0, 0, 0}}}},
      // No group: the percentage of the amount.
      {Query(0, {0, 0, 0, 0}, 0, 50, 4),
       {{"10101001", V{2, 40, 375, 15000, 7500}},
        {"10101002", V{0, 0, 0, 0, 0}},
        {"20101001", V{1, 20, 5, 100, 50}}}},
      // The one withheld ticket item alone, without a subtotal.
      {Query(0, {0, 1, 0, 0}, 0, 100, 4),
       {{"10101001", V{2, 40, 375, 15000, 20, 14980}},
        {"10101002", V{0, 0, 0, 0, 0, 0}},
        {"20101001", V{1, 20, 5, 100, 0, 100}}}},
      // Settled but unpaid slips: 李四's ticket counts and his unpaid deduction row does not.
      {Query(0, {0, 0, 1, 1}, 1, 100, 4),
       {{"10101001", V{2, 40, 375, 15000, 500, 1000, 0, 0, 1000, 13500}},
        {"10101002", V{1, 20, 150, 3000, 0, 800, 0, 0, 800, 2200}},
        {"20101001", V{1, 20, 5, 100, 0, 0, 0, 0, 0, 100}}}},
      // Transporters by whole code: 12 is not under 1; its padded balance row is found.
      {Query(1, {0, 0, 0, 1}, 0, 100, 0),
       {{"1", V{4, 80, 0, 0, 0, 0, 0, 0, 0}}, {"12", V{1, 20, 20, 400, 150, 0, 0, 150, 250}}}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Fill(c.query), c.lines)
        << c.query.bGroups[0] << c.query.bGroups[1] << c.query.bGroups[2] << c.query.bGroups[3];
  }
}

TEST_P(TsUnsettledReportTest, RegionsSumTheirHouseholdsCashPayables) {
  const TsUnsettledQuery q = Query(0, {0, 0, 0, 1}, 1, 33.33, 2);
  CTsReportRow work(GetGroupLayout(0, q.bGroups).total + 5);
  std::vector<CTsReportRow> rows;
  FillUnsettled(q, work, rows, &m_db);
  std::vector<std::pair<std::string, double>> cash;
  for (const CTsReportRow& r : rows) cash.emplace_back(r.sCode, r.Values.back());
  // 张三 14000 and 李四 2200 at 33.33 %: 4666.20 and 733.26.
  EXPECT_EQ(cash, (std::vector<std::pair<std::string, double>>{{"1", 5399.46},
                                                               {"101", 5399.46},
                                                               {"10101", 5399.46},
                                                               {"2", 33.33},
                                                               {"201", 33.33},
                                                               {"20101", 33.33}}));
}

// ---------------------------------------------------------------- the query dialog

namespace {

class TsUnsettledDlgTest : public TsAppConnected<TsUnsettledReportTest> {};

INSTANTIATE_TEST_SUITE_P(DataFile, TsUnsettledDlgTest, testing::Values(0));

}  // namespace

TEST_P(TsUnsettledDlgTest, CashPercentageLiesAboveZeroUpToAHundred) {
  struct Case {
    const char* text;
    bool accepted;
    double percent;
  } cases[] = {{"0", false, 0},    {"", false, 0},       {"100.01", false, 0},
               {"100", true, 100}, {"0.01", true, 0.01}, {"33.5", true, 33.5}};
  for (const Case& c : cases) {
    CTsReportQueryDlg3 dlg(&m_db, "未结蔗款统计表", "20160310", "", 0, 2, 1, {1, 0, 0, 1}, 0, 100);
    dlg.show();
    Type(&dlg, CTsReportQueryDlg3::kCashPercent, c.text);
    const auto [message, closed] = Confirm(dlg);
    EXPECT_EQ(message, c.accepted ? "" : "付现百分比超界！") << c.text;
    EXPECT_EQ(closed, c.accepted) << c.text;
    if (c.accepted) {
      EXPECT_DOUBLE_EQ(dlg.m_query.dCashPercent, c.percent) << c.text;
    } else {
      EXPECT_EQ(Focused(dlg), IdName(CTsReportQueryDlg3::kCashPercent)) << c.text;
    }
  }
  CTsReportQueryDlg3 freight(&m_db, "未结运费统计表", "20160310", "", 1, 2, 1, {}, 0, 100);
  freight.show();
  EXPECT_FALSE(Control<QLineEdit>(&freight, CTsReportQueryDlg::kFarmerFilter)->isEnabled());
  EXPECT_EQ(Control<QLineEdit>(&freight, CTsReportQueryDlg3::kCashPercent)->text().toStdString(),
            "100.00");
}

// ---------------------------------------------------------------- the report window

namespace {

class TsUnsettledOpenTest : public testing::Test {
 protected:
  void SetUp() override {
    SmResetMessages();
    CSmPrinterService::Instance().Reset();
    TsInstallReports();
    ASSERT_TRUE(m_app.Start(2016, "1667 1668 1652 "));
    CSmDatabase* db = m_app.m_env.GetDatabase();
    for (const std::string& sql : Fixture()) ASSERT_TRUE(db->ExecuteSQL(sql)) << sql;
  }
  void TearDown() override { m_app.Stop({257, 258, 264, 265, 266, 267, 268, 269, 270}); }

  // The report of cane payments with the groups, the level and the percentage chosen.
  CTsReportDoc3* Open(std::array<int, 4> groups, int level, const char* percent = "100.00") {
    CSmChildFrame* frame = m_app.OpenFromTemplate(264, 0, 1, 967, [=](QWidget* dlg) {
      TypeDate(dlg, CTsReportQueryDlg::kDateFrom, "2016", "03", "10");
      for (int g = 0; g < 4; ++g)
        Control<QCheckBox>(dlg, CTsReportQueryDlg3::kFirstGroup + g)->setChecked(groups[g] != 0);
      Control<QComboBox>(dlg, CTsReportQueryDlg::kLevel)->setCurrentIndex(level);
      Type(dlg, CTsReportQueryDlg3::kCashPercent, percent);
      Press(dlg, SM_ID_OK);
    });
    CTsReportView* view = frame ? frame->findChild<CTsReportView*>() : nullptr;
    m_view = view;
    return view ? dynamic_cast<CTsReportDoc3*>(view->ReportDoc()) : nullptr;
  }
  void Close(CTsReportDoc3* doc) {
    doc->OnCloseDocument();
    QApplication::processEvents();
  }
  // Generates through the view's command, the voucher's dialog confirmed as it opens.
  std::string Generate() {
    SmResetMessages();
    QObject timers;
    OnModalOf(&timers, 960, [](QWidget* dlg) { Press(dlg, SM_ID_OK); });
    m_view->OnCommand(kTsGenerateAdvances);
    return CSmMessageService::Instance().LastText();
  }
  std::string Rows(const std::string& sql) { return SmJoinedRows(m_app.m_env.GetDatabase(), sql); }

  TsCaneTestApp m_app{"ReportTest"};
  CTsReportView* m_view = nullptr;
};

}  // namespace

TEST_F(TsUnsettledOpenTest, EachCombinationOfGroupsKeepsItsOwnFormAndPrintsItsHeadings) {
  CTsReportDoc3* doc = Open({1, 0, 0, 0}, 4, "50");
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(doc->m_kind.nNumber, 1);
  EXPECT_EQ(doc->m_formDef.sFna, "未结蔗款统计表");
  EXPECT_EQ(doc->m_formDef.m_cols.size(), 11u);  // six, three items, their subtotal, the cash
  Close(doc);

  std::array<int, 4> shown{};
  std::string percent;
  CSmChildFrame* frame = m_app.OpenFromTemplate(264, 0, 1, 967, [&](QWidget* dlg) {
    for (int g = 0; g < 4; ++g)
      shown[g] = Control<QCheckBox>(dlg, CTsReportQueryDlg3::kFirstGroup + g)->isChecked();
    percent = Control<QLineEdit>(dlg, CTsReportQueryDlg3::kCashPercent)->text().toStdString();
    for (int g = 0; g < 4; ++g)
      Control<QCheckBox>(dlg, CTsReportQueryDlg3::kFirstGroup + g)->setChecked(true);
    Press(dlg, SM_ID_OK);
  });
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(shown, (std::array<int, 4>{1, 0, 0, 0}));
  EXPECT_EQ(percent, "50.00");
  auto* view = frame->findChild<CTsReportView*>();
  doc = dynamic_cast<CTsReportDoc3*>(view->ReportDoc());
  EXPECT_EQ(doc->m_kind.nNumber, 15);
  EXPECT_EQ(doc->m_formDef.m_cols.size(), 17u);
  const std::string pdf = SmQueueTestPdf("unsettled");
  EXPECT_TRUE(view->OnCommand(SM_ID_FILE_PRINT_PREVIEW));
  std::string words;
  for (const SmPdfWord& word : SmPdfWords(pdf)) words += word.text + " ";
  for (const char* expected :
       {"(补)", "扣义运", "扣修路费", "扣贷款", "预付款", "合计", "余", "2016年", "6,750.00"}) {
    EXPECT_NE(words.find(expected), std::string::npos) << expected << " in " << words;
  }
  Close(doc);

  doc = Open({1, 0, 0, 0}, 4);
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(doc->m_formDef.m_cols.size(), 11u);
}

TEST_F(TsUnsettledOpenTest, GeneratedVoucherPaysEachHouseholdOnceAndTheReportShowsIt) {
  CTsReportDoc3* doc = Open({1, 1, 1, 1}, 4);
  ASSERT_NE(doc, nullptr);
  m_app.m_env.SetRights("1667 ");
  EXPECT_EQ(Generate(), "你无预付业务之权限！");
  m_app.m_env.SetRights("1667 1652 ");

  const std::string number = TsNextDocNo(0, 2, m_app.m_env.GetDatabase());
  EXPECT_EQ(Generate(), "已成功地生成第" + number + "号单据！");
  EXPECT_EQ(Rows("Select KNO From jsSheet Where DB='2' And DH='" + number +
                 "' And LB='0' And MY1=-13500 And OPR0='101' And T='20160310'"),
            "10101001");
  EXPECT_EQ(Rows("Select Count(*) From jsSheet Where DH='" + number + "' And DB='2'"), "1");
  EXPECT_EQ(Rows("Select sNote From SmLog Where nTaskID=1608"), "自动生成预付款单s：" + number);
  // The report shows the new balance at once: nothing is left to pay twice.
  const int cash = doc->FindShownColumn(doc->Layout().total + 17);
  ASSERT_GE(cash, 0);
  for (const std::vector<std::string>& row : doc->m_rows)
    EXPECT_EQ(StrToDouble(row[static_cast<size_t>(cash)]), 0) << row[0];
  EXPECT_EQ(Generate(), "没有生成有效单据！");
  EXPECT_EQ(Rows("Select Count(*) From jsSheet Where DB='2' And DH<>'' And LB='0'"), "1");
}

TEST_F(TsUnsettledOpenTest, RegionsAndAHiddenCashColumnGenerateNothing) {
  CTsReportDoc3* doc = Open({0, 0, 0, 0}, 0);  // the two towns only
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(Generate(), "没有生成有效单据！");
  const int column = doc->FindColumn(17);
  ASSERT_GE(column, 0);
  CSmFormCol& cash = doc->m_formDef.m_cols[static_cast<size_t>(column)];
  cash.nType = cash.FieldCode();
  ASSERT_TRUE(doc->m_formDef.Save());
  Close(doc);
  doc = Open({0, 0, 0, 0}, 4);
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(Generate(), "无实付款栏！");
  EXPECT_EQ(Rows("Select Count(*) From jsSheet Where DB='2' And DH<>'' And LB='0'"), "0");
}
