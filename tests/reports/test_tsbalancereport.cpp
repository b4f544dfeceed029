// The households with their advance balances: farmer regions counting their households and
// those who delivered, opening and closing balances with and without unreviewed documents,
// flat transporter codes and load ranges; then the report opened from its template.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>

#include "app/SmApp.h"
#include "cane/TsDataType.h"
#include "cane/TsDocTemplates.h"
#include "core/SmString.h"
#include "forms/SmDocTemplate.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "reports/TsReportDoc1.h"
#include "reports/TsReportDoc6.h"
#include "reports/TsReportQueryDlg.h"
#include "tests/cane/TsFileTest.h"
#include "tests/common/SmModalScript.h"
#include "tests/common/SmTestDataFile.h"
#include "tests/common/SmTestPdf.h"
#include "tests/common/TsCaneTestApp.h"
#include "tests/reports/TsRowLine.h"
#include "ui/SmPrinterService.h"

namespace {

using Line = TsRowLine;

std::string Ticket(const char* number, const char* farmer, const char* driver) {
  return FormatStr(
      "Insert Into gbSheet(T,TH,DH,OPR0,OPR1,OPR2,OPR3,OPR4,OPR5,OPR6,OPR7,JT0,JT1,JN0,JN1,"
      "KNO0,KNO1,KNO2,KNO3,MU0,MU1,MU2,MU3,PR0,PR1,MY0,MY1,MY2,MY3,MY4,MY5,MY6,MY7,MY8,MY9,"
      "MY10,MY11,FK,PRT0,PRT1) Values('20160301','080000','%s','102','103','','','','','','',"
      "'','','','','%s','%s','012','101',30,10,0,0,500,20,10000,0,0,0,0,0,400,0,0,0,0,0,0,0,0)",
      number, farmer, driver);
}

// A money row of a household: `item` (an MY column) holds `amount`.
std::string Money(char lb, const char* dh, const char* kno, int item, double amount,
                  const char* reviewer) {
  std::string columns, values;
  for (int i = 0; i < 15; ++i) {
    columns += FormatStr(",MY%d", i);
    values += FormatStr(",%.2f", i == item ? amount : 0.0);
  }
  return FormatStr(
      "Insert Into jsSheet(LB,DB,T,TH,DH,KNO,MRY,OPR0,OPR1,MU0,MU1%s,FK) Values('%c','3',"
      "'20160305','000000','%s','%s','','101','%s',0,0%s,0)",
      columns.c_str(), lb, dh, kno, reviewer, values.c_str());
}

const std::vector<std::string> kFixture = {
    "Insert Into NHDir(KNO,NA,TEL,NT) Values('1','东镇','','')",
    "Insert Into NHDir(KNO,NA,TEL,NT) Values('101','一村','','')",
    "Insert Into NHDir(KNO,NA,TEL,NT) Values('10101','一组','','')",
    "Insert Into NHDir(KNO,NA,TEL,NT,cs0,cs1,cs2,cs3) "
    "Values('10101001','张三','13800001111','老户',1.2345,1.2345,1.2345,1.2345)",
    "Insert Into NHDir(KNO,NA,TEL,NT) Values('10101002','李四','','')",
    "Insert Into NHDir(KNO,NA,TEL,NT) Values('2','西镇','','')",
    "Insert Into NHDir(KNO,NA,TEL,NT) Values('201','三村','','')",
    "Insert Into NHDir(KNO,NA,TEL,NT) Values('20101','三组','','')",
    "Insert Into NHDir(KNO,NA,TEL,NT) Values('20101001','王五','','')",
    "Insert Into DriverDir(KNO,NA,PNO,TEL,ADR,NT,WG0,WG1) "
    "Values('1','甲车','桂A1','','','','','30')",
    "Insert Into DriverDir(KNO,NA,PNO,TEL,ADR,NT,WG0,WG1) "
    "Values('12','乙车','桂A2','139','北村','新车','10','20')",
    Ticket("000001", "10101001", "12"),
    Ticket("000002", "10101001", "12"),
    Ticket("000003", "20101001", "12"),
    // farmers: an opening balance, a reviewed and an unreviewed advance of 张三, one of 王五
    Money('0', "", "10101001", 1, -100, "101"),
    Money('0', "000001", "10101001", 1, -50, "101"),
    Money('0', "000002", "10101001", 2, -30, ""),
    Money('0', "000003", "20101001", 1, -20, "101"),
    // transporters: only 乙车 (code 12, beginning with 甲车's code 1) has advances
    Money('1', "000004", "12", 2, -40, "101"),
};

class TsBalanceReportTest : public TsFileTest {
 protected:
  void SetUp() override {
    TsFileTest::SetUp();
    if (HasFatalFailure()) return;
    Run(kFixture);
  }

  std::vector<Line> Fill(const TsBalanceQuery& q) {
    const int kind = q.nRowKind;
    CTsReportRow work(TsBalanceTextCount(kind), TsBalanceValueCount(kind));
    std::vector<CTsReportRow> rows;
    const int count = FillHouseholdBalance(q, work, rows, &m_db);
    EXPECT_EQ(count, static_cast<int>(rows.size()));
    return TsRowLines(rows);
  }

  static TsBalanceQuery Query(int kind, int type, int unreviewed, const char* region, int level) {
    TsBalanceQuery q;
    q.nRowKind = kind;
    q.nBalanceType = type;
    q.bIncludeUnreviewed = unreviewed;
    q.sFilter[0] = region;
    q.nLevel = level;
    return q;
  }
};

INSTANTIATE_TEST_SUITE_P(Engines, TsBalanceReportTest, testing::Values(0, 2));

}  // namespace

// Farmer values: households, delivering households, the linked parameter, the four advance items
// (预付款, 周转金, 蔗种款, 化肥款) and their sum.
TEST_P(TsBalanceReportTest, FarmerRegionsCountHouseholdsAndSumTheBalancesOfEachType) {
  using V = std::vector<double>;
  using T = std::vector<std::string>;
  // Closing, reviewed only: 张三 150 (opening 100 + 50), 王五 20.
  EXPECT_EQ(Fill(Query(0, 1, 0, "", 0)),
            (std::vector<Line>{{"1", "东镇", T{"", ""}, V{2, 1, 0, 150, 0, 0, 0, 150}},
                               {"2", "西镇", T{"", ""}, V{1, 1, 0, 20, 0, 0, 0, 20}}}));
  // Opening: only the rows without a number.
  EXPECT_EQ(Fill(Query(0, 0, 0, "", 0)),
            (std::vector<Line>{{"1", "东镇", T{"", ""}, V{2, 1, 0, 100, 0, 0, 0, 100}},
                               {"2", "西镇", T{"", ""}, V{1, 1, 0, 0, 0, 0, 0, 0}}}));
  // Closing with the unreviewed advance of 周转金.
  EXPECT_EQ(Fill(Query(0, 1, 1, "1", 0)),
            (std::vector<Line>{{"1", "东镇", T{"", ""}, V{2, 1, 0, 150, 30, 0, 0, 180}}}));
  // The last level under a region: a farmer row counts no households; its linked parameter
  // keeps its four decimals.
  EXPECT_EQ(Fill(Query(0, 1, 0, "101", 4)),
            (std::vector<Line>{{"101", "  一村", T{"", ""}, V{2, 1, 0, 150, 0, 0, 0, 150}},
                               {"10101", "    一组", T{"", ""}, V{2, 1, 0, 150, 0, 0, 0, 150}},
                               {"10101001", "      张三", T{"13800001111", "老户"},
                                V{0, 1, 1.2345, 150, 0, 0, 0, 150}},
                               {"10101002", "      李四", T{"", ""}, V{0, 0, 0, 0, 0, 0, 0, 0}}}));
}

// Transporter values: household, delivering, 预付款, 油款, 修理费 and their sum.
TEST_P(TsBalanceReportTest, TransportersAreFlatWhateverTheRegionAndLevel) {
  using V = std::vector<double>;
  using T = std::vector<std::string>;
  EXPECT_EQ(Fill(Query(1, 1, 0, "2", 0)),
            (std::vector<Line>{{"1", "甲车", T{"桂A1", "", "", "～30", ""}, V{1, 0, 0, 0, 0, 0}},
                               {"12", "乙车", T{"桂A2", "139", "北村", "10～20", "新车"},
                                V{1, 1, 40, 0, 0, 40}}}));
}

// ---------------------------------------------------------------- the report window

namespace {

class TsBalanceOpenTest : public testing::Test {
 protected:
  void SetUp() override {
    SmResetMessages();
    CSmPrinterService::Instance().Reset();
    TsInstallReports();
    ASSERT_TRUE(m_app.Start(2016, "1672 1673 "));
    CSmDatabase* db = m_app.m_env.GetDatabase();
    for (const std::string& sql : kFixture) ASSERT_TRUE(db->ExecuteSQL(sql)) << sql;
  }
  void TearDown() override { m_app.Stop({257, 258, 269, 270}); }

  CTsReportView* Open(int templateNumber, std::function<void(QWidget*)> answer) {
    CSmChildFrame* frame = m_app.OpenFromTemplate(templateNumber, 0, 1, 973, std::move(answer));
    return frame ? frame->findChild<CTsReportView*>() : nullptr;
  }

  TsCaneTestApp m_app{"ReportTest"};
};

}  // namespace

TEST_F(TsBalanceOpenTest, FarmerReportOpensFromItsDialogAndPrintsTheKindOfBalance) {
  bool shown = false;
  CTsReportView* view = Open(269, [&shown](QWidget* dlg) {
    shown = Control<QWidget>(dlg, CTsReportQueryDlg::kFarmerFilter)->isEnabled() &&
            !Control<QWidget>(dlg, CTsReportQueryDlg::kDateFrom)->isVisible() &&
            Control<QWidget>(dlg, SM_ID_OK)->isVisible() &&
            Control<QWidget>(dlg, SM_ID_CANCEL)->isVisible();
    Control<QRadioButton>(dlg, CTsReportQueryDlg6::kClosingBalance)->click();
    Control<QComboBox>(dlg, CTsReportQueryDlg::kLevel)->setCurrentIndex(0);
    Press(dlg, SM_ID_OK);
  });
  ASSERT_NE(view, nullptr);
  EXPECT_TRUE(shown);
  auto* doc = dynamic_cast<CTsReportDoc6*>(view->ReportDoc());
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(doc->m_formDef.sFna, "农户及其预付款余额表");
  EXPECT_EQ(doc->sHeading[0], "报表类别：期末余额表");
  ASSERT_EQ(doc->m_rows.size(), 2u);
  EXPECT_EQ(doc->m_rows[0][doc->FindShownColumn(60)], "150.00");
  for (const CSmFormHeadNote& note : doc->m_formDef.m_headNotes) EXPECT_NE(note.sNote, "报告期");

  const std::string pdf = SmQueueTestPdf("balances");
  EXPECT_TRUE(view->OnCommand(SM_ID_FILE_PRINT_PREVIEW));
  std::string words;
  for (const SmPdfWord& word : SmPdfWords(pdf)) words += word.text + " ";
  EXPECT_NE(words.find("期末余额表"), std::string::npos) << words;
  EXPECT_EQ(words.find("报告期"), std::string::npos) << words;
}

TEST_F(TsBalanceOpenTest, TransporterDialogDisablesRegionAndLevelAndKeepsTheChoices) {
  bool disabled = false;
  CTsReportView* view = Open(270, [&disabled](QWidget* dlg) {
    disabled = !Control<QWidget>(dlg, CTsReportQueryDlg::kFarmerFilter)->isEnabled() &&
               !Control<QWidget>(dlg, CTsReportQueryDlg::kLevel)->isEnabled() &&
               !Control<QWidget>(dlg, CTsReportQueryDlg::kPickFarmer)->isEnabled();
    Control<QRadioButton>(dlg, CTsReportQueryDlg6::kOpeningBalance)->click();
    Press(dlg, SM_ID_OK);
  });
  ASSERT_NE(view, nullptr);
  EXPECT_TRUE(disabled);
  CTsReportDoc* doc = view->ReportDoc();
  EXPECT_EQ(doc->sHeading[0], "报表类别：期初余额表");
  EXPECT_EQ(doc->m_rows.size(), 2u);
  EXPECT_GE(doc->FindShownColumn(60), 0);  // three advance items have a sum
  doc->OnCloseDocument();
  QApplication::processEvents();
  int type = -1;
  ASSERT_EQ(Open(270,
                 [&type](QWidget* dlg) {
                   type =
                       Control<QRadioButton>(dlg, CTsReportQueryDlg6::kOpeningBalance)->isChecked()
                           ? 0
                           : 1;
                   Cancel(dlg);
                 }),
            nullptr);
  EXPECT_EQ(type, 0);
}
