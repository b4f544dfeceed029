// The purchase statistics opened from its template: the query dialog first, the rows with the
// total row, the choices kept for the next opening, "刷新", and the printed page.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

#include "app/SmApp.h"
#include "cane/TsDataType.h"
#include "cane/TsDocTemplates.h"
#include "core/SmDatabase.h"
#include "core/SmString.h"
#include "forms/SmDocTemplate.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "reports/TsReportDoc1.h"
#include "reports/TsReportDoc5.h"
#include "reports/TsReportQueryDlg.h"
#include "tests/common/SmModalScript.h"
#include "tests/common/SmTestDataFile.h"
#include "tests/common/SmTestMain.h"
#include "tests/common/SmTestPdf.h"
#include "tests/common/TsCaneTestApp.h"
#include "ui/SmPrinterService.h"

namespace {

class TsReportOpenTest : public testing::Test {
 protected:
  void SetUp() override {
    SmResetMessages();
    CSmPrinterService::Instance().Reset();
    TsInstallReports();
    ASSERT_TRUE(m_app.Start(2016, "1663 1664 "));
    m_db = m_app.m_env.GetDatabase();
    Run({"Update SYSTAB Set NA='南方糖厂'", "Insert Into NHDir(KNO,NA) Values('1','东镇')",
         "Insert Into NHDir(KNO,NA) Values('101','一村')",
         "Insert Into NHDir(KNO,NA) Values('2','西镇')",
         "Insert Into NHDir(KNO,NA) Values('201','三村')", Ticket("000001", "10100001", 30),
         Ticket("000002", "10100002", 20), Ticket("000003", "20100001", 50)});
    m_app.m_env.GetUnitName(true);
  }
  void TearDown() override { m_app.Stop({257, 258, 268}); }
  void Run(const std::vector<std::string>& statements) {
    for (const std::string& sql : statements) ASSERT_TRUE(m_db->ExecuteSQL(sql)) << sql;
  }
  static std::string Ticket(const char* number, const char* farmer, double net) {
    return FormatStr(
        "Insert Into gbSheet(T,TH,DH,OPR0,OPR1,KNO0,KNO1,KNO2,KNO3,MU0,MU1,MU2,MY0,MY1,MY2,MY3,"
        "MY6,FK,PRT0,PRT1) Values('20160310','080000','%s','102','103','%s','1','012','101',%g,"
        "0,0,%g,0,0,0,0,0,0,0)",
        number, farmer, net, net * 500);
  }

  // Opens the cane (kind 0) or freight (kind 1) statistics; the query dialog is answered by
  // `answer` (OK on March 2016 at level 2 unless given).
  CTsReportView* Open(int kind, std::function<void(QWidget*)> answer = {}) {
    if (!answer) {
      answer = [](QWidget* dlg) {
        Type(dlg, CTsReportQueryDlg::kDateFrom, "2016");
        Type(dlg, CTsReportQueryDlg::kDateFromMonth, "03");
        Type(dlg, CTsReportQueryDlg::kDateFromDay, "01");
        Type(dlg, CTsReportQueryDlg::kDateTo, "2016");
        Type(dlg, CTsReportQueryDlg::kDateToMonth, "03");
        Type(dlg, CTsReportQueryDlg::kDateToDay, "31");
        Control<QComboBox>(dlg, CTsReportQueryDlg::kLevel)->setCurrentIndex(1);
        Press(dlg, SM_ID_OK);
      };
    }
    return OpenTemplate(257 + kind, 965, std::move(answer));
  }
  CTsReportView* OpenTemplate(int number, int dialog, std::function<void(QWidget*)> answer) {
    CSmChildFrame* frame = m_app.OpenFromTemplate(number, 0, 1, dialog, std::move(answer));
    return frame ? frame->findChild<CTsReportView*>() : nullptr;
  }
  static std::vector<std::string> Names(CTsReportView* view) {
    std::vector<std::string> names;
    for (const auto& row : view->ReportDoc()->m_rows) names.push_back(row[0]);
    return names;
  }

  TsCaneTestApp m_app{"ReportTest"};
  CSmDatabase* m_db = nullptr;
};

}  // namespace

TEST_F(TsReportOpenTest, QueryDialogFirstThenRowsAndTheChoicesStayForTheNextOpening) {
  CTsReportView* view = Open(0);
  ASSERT_NE(view, nullptr);
  CTsReportDoc1* doc = dynamic_cast<CTsReportDoc1*>(view->ReportDoc());
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(Names(view), (std::vector<std::string>{"东镇", "  一村", "西镇", "  三村"}));
  // The cane form shows the rate, area and output after the ticket count.
  EXPECT_EQ(doc->FindShownColumn(11), 2);
  EXPECT_EQ(doc->FindShownColumn(14), 5);
  const int weight = doc->FindShownColumn(14);
  std::vector<double> totals(doc->m_shownCount, 0.0);
  for (int row = 0; row < static_cast<int>(doc->m_rows.size()); ++row)
    view->AddRowToTotals(row, totals);
  EXPECT_DOUBLE_EQ(totals[weight], 100);
  // "刷新" reads the tickets again.
  Run({Ticket("000004", "20100001", 7)});
  EXPECT_TRUE(view->OnCommand(SM_ID_DOC_REREAD));
  EXPECT_EQ(doc->m_rows[2][weight], "57.000");
  doc->OnCloseDocument();
  QApplication::processEvents();

  // The next opening starts from the level chosen last.
  int level = -1;
  ASSERT_EQ(Open(0,
                 [&level](QWidget* dlg) {
                   level = Control<QComboBox>(dlg, CTsReportQueryDlg::kLevel)->currentIndex();
                   Cancel(dlg);
                 }),
            nullptr);
  EXPECT_EQ(level, 1);
}

TEST_F(TsReportOpenTest, FreightFormHasTheBaseColumnsOnly) {
  CTsReportView* view = Open(1, [](QWidget* dlg) {
    Control<QRadioButton>(dlg, CTsReportQueryDlg::kKindTransporter)->click();
    Press(dlg, SM_ID_OK);
  });
  ASSERT_NE(view, nullptr);
  CTsReportDoc* doc = view->ReportDoc();
  EXPECT_EQ(doc->nSettleKind, 1);
  EXPECT_EQ(doc->m_formDef.sFna, "运费统计表");
  EXPECT_EQ(doc->FindShownColumn(11), -1);
  EXPECT_EQ(doc->FindShownColumn(14), 2);
}

TEST_F(TsReportOpenTest, PrintedPageHasTheUnitPeriodPageNumberAndTotal) {
  CTsReportView* view = Open(0);
  ASSERT_NE(view, nullptr);
  for (int id : {SM_ID_FILE_PRINT_DIRECT, SM_ID_FILE_PRINT_PREVIEW}) {
    const std::string pdf = SmQueueTestPdf(FormatStr("purchase%d", id));
    EXPECT_TRUE(view->OnCommand(id));
    std::string words;
    for (const SmPdfWord& word : SmPdfWords(pdf)) words += word.text + " ";
    // pdftotext gives some characters as their radical forms (方, 页, 甘): compare around them.
    for (const char* expected : {"编表单位：南", "2016年03", "第 1", "收购统计表", "合计"}) {
      EXPECT_NE(words.find(expected), std::string::npos) << expected << ": " << words;
    }
    EXPECT_NE(words.find(" 100.000 "), std::string::npos) << words;  // the total weight
  }
}

TEST_F(TsReportOpenTest, DailyReportOpensOnOneDateKeepsItsChoicesAndPrintsItsHeadings) {
  auto answer = [](QWidget* dlg) {
    EXPECT_FALSE(Control<QWidget>(dlg, CTsReportQueryDlg::kDateTo)->isVisible());  // no end date
    Type(dlg, CTsReportQueryDlg::kDateFrom, "2016");
    Type(dlg, CTsReportQueryDlg::kDateFromMonth, "03");
    Type(dlg, CTsReportQueryDlg::kDateFromDay, "10");
    Control<QCheckBox>(dlg, CTsReportQueryDlg::kUntaredOnly)->setChecked(false);
    Type(dlg, CTsReportQueryDlg::kRangeFrom, "60");
    Type(dlg, CTsReportQueryDlg::kRangeTo, "25");  // exchanged with the lower bound
    Press(dlg, SM_ID_OK);
  };
  CTsReportView* view = OpenTemplate(268, 972, answer);
  ASSERT_NE(view, nullptr);
  auto* doc = dynamic_cast<CTsReportDoc5*>(view->ReportDoc());
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(doc->m_formDef.sFna, "甘蔗收购日报表");
  EXPECT_EQ(doc->sDateFrom, "20160310");
  // Only 张三 (30) lies within 25 to 60: 王五 (50) too, 李四 (20) not.
  const int year = doc->FindShownColumn(13);
  ASSERT_GE(year, 0);
  EXPECT_EQ(doc->m_rows[0][year], "30.000");
  EXPECT_EQ(doc->m_rows[2][year], "50.000");
  std::vector<std::string> words;
  for (const CSmFormTopWord& top : doc->m_formDef.m_topWords) words.push_back(top.sWords);
  for (const char* expected : {"入   厂   蔗   重", "蔗   款", "运   费", "本日", "本月", "本年"})
    EXPECT_NE(std::find(words.begin(), words.end(), expected), words.end()) << expected;

  const std::string pdf = SmQueueTestPdf("daily");
  EXPECT_TRUE(view->OnCommand(SM_ID_FILE_PRINT_DIRECT));
  std::string text;
  for (const SmPdfWord& word : SmPdfWords(pdf)) text += word.text + " ";
  // The spaced headings come as words of one character each.
  for (const char* expected : {"2016年 03", " 蔗 ", " 款 ", " 运 ", " 费 ", "本年", "合计"})
    EXPECT_NE(text.find(expected), std::string::npos) << expected << ": " << text;
  doc->OnCloseDocument();
  QApplication::processEvents();

  // The range and the date come back at the next opening.
  std::string lower, day;
  ASSERT_EQ(
      OpenTemplate(
          268, 972,
          [&](QWidget* dlg) {
            lower = Control<QLineEdit>(dlg, CTsReportQueryDlg::kRangeFrom)->text().toStdString();
            day = Control<QLineEdit>(dlg, CTsReportQueryDlg::kDateFromDay)->text().toStdString();
            Cancel(dlg);
          }),
      nullptr);
  EXPECT_EQ(lower, "25");
  EXPECT_EQ(day, "10");
}
