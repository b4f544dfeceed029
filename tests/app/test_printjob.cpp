// The print-field job of a print group on a data file: fields from the modules' print
// variables, the variables' texts at the fields' positions in a PDF, and the print tables and
// printer setup of the application.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QFile>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <regex>

#include "app/SmApp.h"
#include "core/SmCsRecord.h"
#include "core/SmDatabase.h"
#include "platform/SmCommand.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "tests/common/SmTestDataFile.h"
#include "tests/common/SmTestMain.h"
#include "tests/common/SmTestPdf.h"
#include "ui/SmListCtrl.h"
#include "ui/SmPrintJob.h"
#include "ui/SmPrintSetDlg.h"
#include "ui/SmPrinterService.h"

namespace {

// A module with one print group and its default fields.
class TicketType : public CSmDataType {
 public:
  TicketType() { m_number = 16; }
  void GetPrintVariables(int group, CSmPrintVarList& rows) override {
    if (group == -1) {
      rows.push_back({"9601", "过磅单", ""});
      rows.push_back({"9602", "蔗款结算单", ""});
    } else if (group == 9601) {
      rows.push_back({"农户", "(#nhh)#nhm", "300 500 14 400 0 0 宋体"});
      rows.push_back({"毛重", "复核#x吨/#x吨", "1200 800 14 700 0 0 黑体"});
      rows.push_back({"备注", "#bz", ""});  // the settings of the row before
    }
  }
};

using Word = SmPdfWord;
const auto PdfWords = SmPdfWords;
const auto PdfPages = SmPdfPages;

constexpr double kPointsPerTenthMm = 72.0 / 254.0;

class PrintJobTest : public testing::Test {
 protected:
  void SetUp() override {
    SmResetMessages();
    CSmPrinterService::Instance().Reset();
    m_app.m_dataTypes = {&m_type};
    m_path = SmCreateTestDataFile(2016);
    ASSERT_TRUE(m_db.Open(m_path));
    m_pdf = SmTestHome() + "/ticket.pdf";
    QFile::remove(QString::fromStdString(m_pdf));
  }
  void TearDown() override {
    m_app.m_dataTypes.clear();
    CSmPrinterService::Instance().Reset();
  }

  TicketType m_type;
  CSmApp m_app;
  CSmDatabase m_db;
  std::string m_path;
  std::string m_pdf;
};

}  // namespace

TEST_F(PrintJobTest, FieldsOfANewGroupPrintWithTheirVariablesAtTheirPositions) {
  CSmPrintJob job(&m_db, 9601);
  job.AddFieldValue("#nhh", "0012");
  job.AddFieldValue("#nhm", "张三");
  job.AddFieldValue("#x", "12.5");
  CSmMessageService::Instance().QueuePrintFile(m_pdf);
  ASSERT_TRUE(job.Print(SM_ID_FILE_PRINT));
  EXPECT_EQ(CSmMessageService::Instance().PrintDialogs(), std::vector<std::string>{"打印"});
  EXPECT_EQ(CSmMessageService::Instance().Shown().size(), 0u);

  // The group was filled from the module: its caption in row 0 and three fields.
  CSmCsRecord row(&m_db);
  ASSERT_TRUE(row.Load(9601, 0));
  EXPECT_EQ(row.CsNa, "过磅单");
  ASSERT_TRUE(row.Load(9601, 3));
  EXPECT_EQ(row.CsNa, "备注\a#bz");
  EXPECT_EQ(row.CsVal, "1200 800 14 700 0 0 黑体");

  EXPECT_EQ(PdfPages(m_pdf), 1);
  const std::vector<Word> words = PdfWords(m_pdf);
  const auto at = [&](const std::string& text) -> const Word* {
    for (const Word& w : words) {
      if (w.text == text) return &w;
    }
    return nullptr;
  };
  const Word* farmer = at("(0012)张三");
  ASSERT_NE(farmer, nullptr) << "words: " << words.size();
  EXPECT_NEAR(farmer->xMin, 300 * kPointsPerTenthMm, 2.83);
  EXPECT_NEAR(farmer->yMin, 500 * kPointsPerTenthMm, 2.83);
  // A variable named twice is replaced twice; one that no pair names stays.
  const Word* weight = at("复核12.5吨/12.5吨");
  ASSERT_NE(weight, nullptr) << [&] {
    std::string all;
    for (const Word& w : words) all += w.text + "|";
    return all;
  }();
  EXPECT_NEAR(weight->xMin, 1200 * kPointsPerTenthMm, 2.83);
  EXPECT_NEAR(weight->yMin, 800 * kPointsPerTenthMm, 2.83);
  EXPECT_NE(at("#bz"), nullptr);
}

TEST_F(PrintJobTest, AGroupWithOnlyItsPaperRowPrintsNothing) {
  CSmCsRecord row(&m_db);
  row.Set(9602, 0, "纸张尺寸", "2100 1400");
  ASSERT_TRUE(row.Insert());
  CSmPrintJob job(&m_db, 9602);
  CSmMessageService::Instance().QueuePrintFile(m_pdf);
  EXPECT_FALSE(job.Print(SM_ID_FILE_PRINT));
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "未定义打印字域！");
  EXPECT_FALSE(QFile::exists(QString::fromStdString(m_pdf)));
  EXPECT_TRUE(CSmMessageService::Instance().PrintDialogs().empty());
}

TEST_F(PrintJobTest, PaperSizeOfAGroupSavedAndPrintedOn) {
  std::vector<CSmPrintField> fields;
  ASSERT_EQ(CSmPrintField::LoadGroup(9601, fields, &m_db), 3);
  CSmPrintJob job(&m_db, 9601);
  job.m_paperWidth = 2410;
  job.m_paperLength = 1400;
  ASSERT_TRUE(job.SavePaperSize(9601, &m_db));
  ASSERT_TRUE(job.SavePaperSize(9601, &m_db));
  EXPECT_EQ(m_db.QueryInt("Select Count(*) From SysCsTab Where Cs=9601 And CsN=0"), 1);
  CSmPrintJob direct(&m_db, 9601);
  CSmMessageService::Instance().QueuePrintFile(m_pdf);
  ASSERT_TRUE(direct.Print(SM_ID_FILE_PRINT_DIRECT)) << CSmMessageService::Instance().LastText();
  EXPECT_TRUE(CSmMessageService::Instance().PrintDialogs().empty());  // no dialog
  EXPECT_EQ(direct.m_paperWidth, 2410);
  QProcess run;
  run.start("pdfinfo", {QString::fromStdString(m_pdf)});
  run.waitForFinished();
  const std::string info = run.readAllStandardOutput().toStdString();
  EXPECT_NE(info.find("683 x 397 pts"), std::string::npos) << info;
}

TEST_F(PrintJobTest, ANewDataFileHoldsThePrintTables) {
  for (const char* table : {"SMFONT", "SMPAGESET", "FIELDWIDTH"}) {
    EXPECT_TRUE(m_db.TableExists(table)) << table;
  }
}

TEST_F(PrintJobTest, PrinterSetupFromTheMenuAndFromAList) {
  ASSERT_TRUE(SmExecuteCommand(SM_ID_FILE_PRINT_SETUP));
  CSmListCtrl list;
  list.PrinterSetup();
  EXPECT_EQ(CSmMessageService::Instance().PrintDialogs(),
            (std::vector<std::string>{"打印设置", "打印设置"}));
  EXPECT_EQ(CSmMessageService::Instance().Shown().size(), 0u);
}

TEST_F(PrintJobTest, SpecialPrintSettingsOpenOnTheApplicationsConnection) {
  ASSERT_TRUE(m_app.m_env.OpenFile("", m_path.substr(0, m_path.size() - 4), "", false));
  m_app.m_env.SetOperatorNo("102");
  m_app.m_env.SetRights("0005 ");
  std::string opened;
  int groups = -1;
  QTimer::singleShot(0, [&] {
    auto* dlg = qobject_cast<CSmPrintSetDlg*>(QApplication::activeModalWidget());
    if (!dlg) return;
    opened = dlg->objectName().toStdString();
    groups = static_cast<QComboBox*>(dlg->Control(CSmPrintSetDlg::kGroups))->count();
    dlg->reject();
  });
  SmResetMessages();
  EXPECT_TRUE(SmExecuteCommand(SM_ID_SPECIAL_PRINT));
  EXPECT_EQ(opened, "819");
  EXPECT_EQ(groups, 2);  // the module's two print groups
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
  m_app.m_env.Close();
}

TEST_F(PrintJobTest, EachJobProposesAFileNamedAfterItsDocumentAndReadsBackItsIdeographs) {
  QMainWindow main;
  main.setWindowTitle("甘蔗收购结算管理系统 - 一个很长的主窗口标题用来检查截断");
  auto* area = new QMdiArea(&main);
  main.setCentralWidget(area);
  QMdiSubWindow* report = area->addSubWindow(new QWidget);
  report->setWindowTitle("收购统计表");
  QMdiSubWindow* voucher = area->addSubWindow(new QWidget);
  voucher->setWindowTitle("预付款凭证[*]");
  main.show();
  const QString date = QDate::currentDate().toString("yyyy-MM-dd");

  // Printed with a file queued, the job writes it; without, the dialog is cancelled and the
  // printer keeps the file it proposed.
  auto print = [&](QMdiSubWindow* window, const std::string& pdf) {
    area->setActiveSubWindow(window);
    CSmPrintJob job(&m_db, 9601);
    job.AddFieldValue("#bz", "第1页 户主");
    if (!pdf.empty()) CSmMessageService::Instance().QueuePrintFile(pdf);
    return job.Print(SM_ID_FILE_PRINT);
  };
  auto proposal = [] { return CSmPrinterService::Instance().Printer().outputFileName(); };
  const QString home = QString::fromStdString(SmTestHome());

  EXPECT_FALSE(print(report, ""));
  EXPECT_TRUE(proposal().endsWith("/收购统计表 " + date + ".pdf")) << proposal().toStdString();
  EXPECT_EQ(CSmPrinterService::Instance().Printer().docName(), "收购统计表 " + date);
  const QString reportPdf = home + "/收购统计表 " + date + ".pdf";
  QFile::remove(reportPdf);
  ASSERT_TRUE(print(report, reportPdf.toStdString()));

  // The next job proposes its own document's name beside the file the last one wrote; the
  // report printed again gets a new name, never the file its first job wrote.
  EXPECT_FALSE(print(voucher, ""));
  EXPECT_EQ(proposal(), home + "/预付款凭证 " + date + ".pdf");
  EXPECT_FALSE(print(report, ""));
  EXPECT_EQ(proposal(), home + "/收购统计表 " + date + " (2).pdf");
  ASSERT_TRUE(print(voucher, m_pdf));

  // The PDF's text gives the ideographs back, not the radicals of the same shape.
  std::vector<std::string> texts;
  for (const Word& word : PdfWords(m_pdf)) texts.push_back(word.text);
  for (const char* expected : {"第1页", "户主"}) {
    EXPECT_NE(std::find(texts.begin(), texts.end(), expected), texts.end()) << expected;
  }
}
