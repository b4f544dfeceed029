// The bank payment report and its batches: who is listed (bank account, directory), the
// deductions of listed farmers, batch numbers, overlapping batches, the marks a batch makes
// and takes back in one transaction; then the report window: columns, printing, the export
// that records a batch, and the rules of deleting and reviewing batches in its dialog.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <set>

#include "app/SmApp.h"
#include "core/SmCsRecord.h"
#include "core/SmGbk.h"
#include "core/SmString.h"
#include "forms/SmSaveAsText.h"
#include "platform/SmCommand.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "reports/TsReportDoc1.h"
#include "reports/TsReportDoc8.h"
#include "reports/TsReportQueryDlg.h"
#include "tests/cane/TsFileTest.h"
#include "tests/common/SmModalScript.h"
#include "tests/common/SmStations.h"
#include "tests/common/SmTestPdf.h"
#include "tests/common/TsCaneTestApp.h"
#include "tests/reports/TsReportDirs.h"
#include "tests/reports/TsRowLine.h"
#include "tests/reports/TsSettlementFixture.h"
#include "ui/SmPrinterService.h"

namespace {

// 张三 and 王五 have bank accounts; 李四 has none but an unpaid slip of March; 30101001, not
// in the directory, has one too.
std::vector<std::string> BankRows() {
  std::vector<std::string> rows = TsReportDirectoryRows();
  for (const std::string& row : TsSettlementRows()) rows.push_back(row);
  rows.push_back("Update NHDir Set BkNO='B01',BkHO='6222001',BkNA='张三户' Where KNO='10101001'");
  rows.push_back("Update NHDir Set BkNO='',BkHO='6222003',BkNA='' Where KNO='20101001'");
  rows.push_back(TsSettledTicketRow({"000007", "10101002", "1", 20, 10, 4000, 0, 0, 0, 0,
                                     "20160320", "000005", "102", "", 0, 0, ""}));
  rows.push_back(TsSettledTicketRow({"000008", "30101001", "1", 20, 10, 4000, 0, 0, 0, 0,
                                     "20160320", "000006", "102", "", 0, 0, ""}));
  rows.push_back(TsDeductionRow(0, "000005", "10101002", "20160320", "102", "", 1, 40));
  return rows;
}

using Line = TsRowLine;

using V = std::vector<double>;
using T = std::vector<std::string>;
// slips, weight, price, amount, 补助款, 扣义运, 扣限载, payable, 扣修路费, 扣贷款, 预付款, 周转金,
// 蔗种款, 化肥款, paid
const Line kZhang = {"10101001", "张三", T{"B01", "6222001", "张三户"},
                     V{1, 30, 500, 15000, 20, 5, 0, 15015, 3, 50, 100, 0, 0, 0, 14862}};
const Line kWang = {"20101001", "王五", T{"", "6222003", ""},
                    V{1, 60, 500, 30000, 0, 0, 100, 29900, 0, 0, 0, 200, 0, 0, 29700}};

class TsBankReportTest : public TsFileTest {
 protected:
  void SetUp() override {
    TsFileTest::SetUp();
    if (HasFatalFailure()) return;
    m_app.m_env.SetOperatorNo("101");
    Run(BankRows());
  }

  std::vector<Line> Fill(int batch, const char* region) {
    TsBankQuery q{batch, "20160301", "20160331", region};
    CTsReportRow work(3, TsSettlementItems(0).ValueCount());
    std::vector<CTsReportRow> rows;
    const int count = FillBankPayment(q, work, rows, &m_db);
    EXPECT_EQ(count, static_cast<int>(rows.size()));
    return TsRowLines(rows);
  }

  void AddBatchRow(int batch) {
    Run(
        {FormatStr("Insert Into SysCsTab(Cs,CsN,CsNa,CsVal) Values(4160,%d,'2016010120160102',"
                   "'101')",
                   batch)});
  }
};

INSTANTIATE_TEST_SUITE_P(Engines, TsBankReportTest, testing::Values(0, 2));

}  // namespace

TEST_P(TsBankReportTest, OnlyFarmersWithABankAccountAreListedWithTheirOwnDeductions) {
  EXPECT_EQ(Fill(0, ""), (std::vector<Line>{kZhang, kWang}));
  EXPECT_EQ(Fill(0, "1"), (std::vector<Line>{kZhang}));
  EXPECT_EQ(Fill(0, "201"), (std::vector<Line>{kWang}));
}

TEST_P(TsBankReportTest, ABatchPaysTheListedTicketsAndRowsAndListsThemUnderItsNumber) {
  ASSERT_EQ(TsRecordBankBatch("20160301", "20160331", "1", &m_db), 1);
  EXPECT_EQ(Rows("Select rtrim(DH) From gbSheet Where FK=1 And OPR4='101' Order By DH"),
            "000001|000002");
  EXPECT_EQ(Rows("Select rtrim(DH) From jsSheet Where FK=1 And OPR1='101' And DH<>'' Order By "
                 "MY0"),
            "000001|000001");
  EXPECT_EQ(Rows("Select rtrim(CsNa) From SysCsTab Where Cs=4160"), "20160301201603311");
  EXPECT_EQ(Rows("Select rtrim(CsVal) From SysCsTab Where Cs=4160"), "101");
  EXPECT_EQ(Fill(1, ""), (std::vector<Line>{kZhang}));
  EXPECT_EQ(Fill(0, ""), (std::vector<Line>{kWang}));
  // 王五 in the next batch; nothing of batch 1 moves
  ASSERT_EQ(TsRecordBankBatch("20160301", "20160331", "", &m_db), 2);
  EXPECT_EQ(Fill(1, ""), (std::vector<Line>{kZhang}));
  EXPECT_EQ(Fill(2, ""), (std::vector<Line>{kWang}));
  EXPECT_EQ(Fill(0, ""), (std::vector<Line>{}));
}

TEST_P(TsBankReportTest, TheNextNumberFollowsTheLargestBatchLeft) {
  const struct {
    std::vector<int> batches;
    int next;
  } cases[] = {{{}, 1}, {{1, 3}, 4}, {{1, 2}, 3}};
  for (const auto& c : cases) {
    Run({"Delete From SysCsTab Where Cs=4160"});
    for (int batch : c.batches) AddBatchRow(batch);
    EXPECT_EQ(TsRecordBankBatch("20160401", "20160402", "", &m_db), c.next);
  }
}

TEST_P(TsBankReportTest, AFailedDeductionMarkLeavesNothingMarkedAndNoBatch) {
  FailEvery("UPDATE", "jsSheet");
  SmResetMessages();
  EXPECT_EQ(TsRecordBankBatch("20160301", "20160331", "", &m_db), 0);
  EXPECT_EQ(Rows("Select rtrim(DH) From gbSheet Where FK<>0 Or OPR4='101'"), "");
  EXPECT_EQ(Rows("Select rtrim(CsNa) From SysCsTab Where Cs=4160"), "");
}

// Two stations record batches of two regions at once: each takes its own number inside its
// transaction and pays its own farmer.
TEST_P(TsBankReportTest, TwoStationsRecordingAtOnceGetTwoNumbers) {
  if (GetParam() != 0) {
    // The marking lingers, so that the second station reads the numbers while the first holds
    // its transaction open.
    Run(SmPgLingerAfter("UPDATE", "gbSheet", "STATEMENT"));
  }
  // Both stations connect, then record together and exit with their batch number.
  const char* const regions[] = {"1", "2"};
  const std::vector<int> results = SmRunStations(2, [&](int n, const std::function<bool()>& go) {
    CSmDatabase db(GetParam());
    if (!db.Open(m_db.GetFileName(), SmPgLogin(2))) return 99;
    if (!go()) return 98;
    return TsRecordBankBatch("20160301", "20160331", regions[n], &db);
  });
  ASSERT_EQ((std::set<int>(results.begin(), results.end())), (std::set<int>{1, 2}));
  const int first = results[0];
  EXPECT_EQ(Fill(first, ""), (std::vector<Line>{kZhang}));
  EXPECT_EQ(Fill(3 - first, ""), (std::vector<Line>{kWang}));
}

TEST(TsBankBatchOverlap, RegionsByPrefixEitherWayAndPeriodsThatTouch) {
  const struct {
    const char* batch;  // from, to, region as stored
    const char* from;
    const char* to;
    const char* region;
    bool overlaps;
  } cases[] = {
      {"201603012016033101", "20160301", "20160331", "0102", true},
      {"201603012016033101", "20160301", "20160331", "0", true},
      {"201603012016033101", "20160301", "20160331", "02", false},
      {"2016030120160331", "20160301", "20160331", "02", true},
      {"201603012016033101", "20160301", "20160331", "", true},
      {"201603012016033101", "20160331", "20160415", "01", true},
      {"201603012016033101", "20160215", "20160301", "01", true},
      {"201603012016033101", "20160401", "20160415", "01", false},
      {"201603012016033101", "20160201", "20160229", "01", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TsBankBatchOverlaps(c.batch, c.from, c.to, c.region), c.overlaps)
        << c.batch << " " << c.from << "-" << c.to << " " << c.region;
  }
}

// ---------------------------------------------------------------- the report window

namespace {

class TsBankOpenTest : public testing::Test {
 protected:
  void SetUp() override {
    SmResetMessages();
    CSmPrinterService::Instance().Reset();
    TsInstallReports();
    ASSERT_TRUE(m_app.Start(2016, "1633 1634 "));
    m_db = m_app.m_env.GetDatabase();
    for (const std::string& sql : BankRows()) ASSERT_TRUE(m_db->ExecuteSQL(sql)) << sql;
  }
  void TearDown() override { m_app.Stop({257, 258, 272}); }

  CTsReportDoc8* Open(std::function<void(QWidget*)> answer) {
    CSmChildFrame* frame = m_app.OpenFromTemplate(272, 0, 1, 976, std::move(answer));
    auto* view = frame ? frame->findChild<CTsReportView*>() : nullptr;
    return view ? dynamic_cast<CTsReportDoc8*>(view->ReportDoc()) : nullptr;
  }

  // The March report of a region.
  static void NewReport(QWidget* dlg, const char* region) {
    Control<QComboBox>(dlg, CTsReportQueryDlg8::kBatchList)->setCurrentIndex(0);
    static_cast<CTsReportQueryDlg8*>(dlg)->OnBatchCloseUp();
    using D = CTsReportQueryDlg8;
    for (const auto& [id, text] :
         std::vector<std::pair<int, const char*>>{{D::kDateFrom, "2016"},
                                                  {D::kDateFromMonth, "3"},
                                                  {D::kDateFromDay, "1"},
                                                  {D::kDateTo, "2016"},
                                                  {D::kDateToMonth, "3"},
                                                  {D::kDateToDay, "31"},
                                                  {D::kFarmerFilter, region}}) {
      Control<QLineEdit>(dlg, id)->setText(QString::fromUtf8(text));
    }
    Press(dlg, SM_ID_OK);
  }

  // Exports the document through the wizard with the first `columns` columns and the last one
  // to `path`; `start` starts the wizard (the document's command by default).
  static void Export(CTsReportDoc8* doc, const std::string& path, int columns,
                     const std::function<void()>& start = {}) {
    CModalScript script;
    script.Then(847, [&](QWidget* dlg) {
      auto* sheet = static_cast<CSaveAsTextSheet*>(dlg);
      CSaveAsTextColList* list = sheet->Page1()->List();
      for (int row = 0; row < list->RowCount(); ++row)
        list->SetCheck(row, row < columns || row == list->RowCount() - 1);
      Click(dlg, CSaveAsTextSheet::kNext);
      Click(dlg, CSaveAsTextSheet::kNext);
      Control<QLineEdit>(dlg, CSaveAsTextSheet::kFileName)->setText(QString::fromStdString(path));
      Click(dlg, CSaveAsTextSheet::kFinish);
      if (dlg->isVisible()) Click(dlg, SM_ID_CANCEL);
    });
    if (start) {
      start();
    } else {
      doc->SaveAsText();
    }
    EXPECT_TRUE(script.Done());
  }

  std::vector<std::string> Notes() {
    std::vector<std::string> notes;
    m_db->QueryStrings("Select rtrim(sNote) From SmLog Where nTaskID=1606", &notes, 1);
    return notes;
  }
  std::string Marks() {
    std::vector<std::string> rows[1];
    m_db->QueryStrings(
        "Select rtrim(DH)||':'||FK||':'||rtrim(OPR4)||':'||rtrim(OPR6) From gbSheet Where FK<>0 "
        "Order By DH",
        rows, 1);
    std::string text;
    for (const std::string& row : rows[0]) text += row + " ";
    return text;
  }

  TsCaneTestApp m_app{"ReportTest"};
  CSmDatabase* m_db = nullptr;
  QTemporaryDir m_dir;
};

}  // namespace

TEST_F(TsBankOpenTest, TheReportShowsAndPrintsTheBankColumnsAndCountsHouseholds) {
  CTsReportDoc8* doc = Open([](QWidget* dlg) { NewReport(dlg, ""); });
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(doc->m_formDef.sFna, "银行代付蔗款报表");
  std::vector<std::string> specs;
  for (const auto& col : doc->m_formDef.m_cols) specs.push_back(col.sFormula);
  ASSERT_GE(specs.size(), 6u);
  EXPECT_EQ(std::vector<std::string>(specs.begin(), specs.begin() + 6),
            (std::vector<std::string>{"代码/STRING/LEFT", "名称/STRING/LEFT",
                                      "银行\\户码/STRING/MID", "银行\\账号/STRING/MID",
                                      "银行\\户名/STRING/LEFT", "单\\据\\数/NUMBER/MID"}));
  ASSERT_EQ(doc->m_rows.size(), 2u);
  EXPECT_EQ(doc->m_rows[0][doc->FindShownColumn(4)], "6222001");
  EXPECT_EQ(doc->m_rows[1][doc->FindShownColumn(27)], "29700.00");
  EXPECT_EQ(doc->m_rows[0][doc->FindShownColumn(14)], "30.000");  // the weight as on the slip
  EXPECT_EQ(doc->GetCountText(), "2户");

  const std::string pdf = SmQueueTestPdf("bank");
  CTsReportView* view = doc->FindViewOfClass<CTsReportView>();
  ASSERT_NE(view, nullptr);
  EXPECT_TRUE(view->OnCommand(SM_ID_FILE_PRINT_PREVIEW));
  std::string words;
  for (const SmPdfWord& word : SmPdfWords(pdf)) words += word.text + " ";
  for (const char* text : {"6222001", "6222003", "合计2", " 30.000 ", " 15,000.00 "})
    EXPECT_NE(words.find(text), std::string::npos) << text << ": " << words;
}

// The wizard of the text file for the bank lists the columns by their captions in words, where
// the grid breaks a heading into lines, and the weight with the quantity decimals.
TEST_F(TsBankOpenTest, TheTextFileWizardNamesTheColumnsInWords) {
  CTsReportDoc8* doc = Open([](QWidget* dlg) { NewReport(dlg, ""); });
  ASSERT_NE(doc, nullptr);
  std::vector<std::string> captions;
  std::string weightDecimals;
  CModalScript script;
  script.Then(847, [&](QWidget* dlg) {
    CSaveAsTextColList* list = static_cast<CSaveAsTextSheet*>(dlg)->Page1()->List();
    for (int row = 0; row < list->RowCount(); ++row) {
      const QTreeWidgetItem* item = list->topLevelItem(row);
      captions.push_back(item->text(1).toStdString());
      if (item->text(1) == "蔗重") weightDecimals = item->text(8).toStdString();
    }
    Click(dlg, SM_ID_CANCEL);
  });
  doc->SaveAsText();
  EXPECT_TRUE(script.Done());
  EXPECT_EQ(captions, (std::vector<std::string>{
                          "名称", "银行 户码", "银行 账号", "银行 户名", "单 据 数", "蔗重",
                          "平均 单价", "价款", "补助款", "扣义运", "扣限载", "应付款", "扣修 路费",
                          "扣贷款", "扣预 付款", "扣周 转金", "扣蔗 种款", "扣化 肥款", "实付款"}));
  EXPECT_EQ(weightDecimals, "3");
}

TEST_F(TsBankOpenTest, ExportRecordsABatchWritesTheFileAndTheBatchReopensAsSaved) {
  CTsReportDoc8* doc = Open([](QWidget* dlg) { NewReport(dlg, "1"); });
  ASSERT_NE(doc, nullptr);
  const std::string path = m_dir.filePath("银行.txt").toStdString();
  Export(doc, path, 4);  // name, the three bank columns and the paid amount
  EXPECT_EQ(doc->bankQuery.nBatch, 1);
  EXPECT_EQ(Marks(), "000001:1:101: 000002:1:101: ");
  EXPECT_EQ(m_db->QueryInt("Select Count(*) From jsSheet Where FK=1 And OPR1='101' And DH<>''"), 2);
  EXPECT_EQ(Notes(), (std::vector<std::string>{"报给银行付款数据：1-->1(20160301～20160331)"}));
  std::string expected;
  ASSERT_TRUE(Utf8ToGbk("张三\tB01\t6222001\t张三户\t14862.00\r\n", expected));
  QFile file(QString::fromStdString(path));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll().toStdString(), expected);
  ASSERT_EQ(doc->m_rows.size(), 1u);  // refreshed: the rows of batch 1
  doc->OnCloseDocument();
  QApplication::processEvents();

  bool datesLocked = false;
  std::string line;
  doc = Open([&](QWidget* dlg) {
    auto* list = Control<QComboBox>(dlg, CTsReportQueryDlg8::kBatchList);
    line = list->currentText().toStdString();
    datesLocked = !Control<QWidget>(dlg, CTsReportQueryDlg::kDateFrom)->isEnabled() &&
                  !Control<QWidget>(dlg, CTsReportQueryDlg::kDateToDay)->isEnabled() &&
                  !Control<QWidget>(dlg, CTsReportQueryDlg::kFarmerFilter)->isEnabled();
    Press(dlg, SM_ID_OK);
  });
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(line, "1    --- 101");
  EXPECT_TRUE(datesLocked);
  EXPECT_EQ(doc->sFilter[0], "1");
  ASSERT_EQ(doc->m_rows.size(), 1u);
  EXPECT_EQ(doc->m_rows[0][doc->FindShownColumn(4)], "6222001");
}

// The clerk records a batch from the window's 文件 menu and the grid's context menu; both need
// the right to pay cane slips.
TEST_F(TsBankOpenTest, TheBatchIsRecordedFromTheFileMenuAndTheContextMenu) {
  CTsReportDoc8* doc = Open([](QWidget* dlg) { NewReport(dlg, "1"); });
  ASSERT_NE(doc, nullptr);
  CTsReportView* view = doc->FindViewOfClass<CTsReportView>();
  ASSERT_NE(view, nullptr);
  QMenu* file = nullptr;
  for (QAction* action : m_app.GetMainWnd()->menuBar()->actions()) {
    if (action->menu() && action->text() == "文件(&F)") file = action->menu();
  }
  ASSERT_NE(file, nullptr);
  const QList<QAction*> items = file->actions();
  const auto saveAs = std::find_if(items.begin(), items.end(), [](QAction* a) {
    return CSmCommandManager::CommandId(a) == SM_ID_FILE_SAVE_AS;
  });
  ASSERT_TRUE(saveAs != items.end() && saveAs + 1 != items.end());
  QAction* saveText = *(saveAs + 1);
  ASSERT_EQ(CSmCommandManager::CommandId(saveText), SM_ID_DOC_SAVE_AS_TEXT);
  EXPECT_EQ(saveText->text().toStdString(), "保存为文本文档 ...");

  // Without the right the command stays disabled and the context menu does not offer it.
  m_app.m_env.SetRights("1634 ");
  emit file->aboutToShow();
  EXPECT_FALSE(saveText->isEnabled());
  EXPECT_EQ(TsFindMenuAction(*view->CreateContextMenu(), SM_ID_DOC_SAVE_AS_TEXT), nullptr);

  m_app.m_env.SetRights("1633 1634 ");
  emit file->aboutToShow();
  ASSERT_TRUE(saveText->isEnabled());
  const std::string path = m_dir.filePath("菜单.txt").toStdString();
  Export(doc, path, 4, [&] { saveText->trigger(); });
  EXPECT_EQ(doc->bankQuery.nBatch, 1);
  EXPECT_EQ(Marks(), "000001:1:101: 000002:1:101: ");
  EXPECT_EQ(m_db->QueryInt("Select Count(*) From SysCsTab Where Cs=4160 And CsN=1 And "
                           "CsNa='20160301201603311' And CsVal='101'"),
            1);
  std::string expected;
  ASSERT_TRUE(Utf8ToGbk("张三\tB01\t6222001\t张三户\t14862.00\r\n", expected));
  QFile written(QString::fromStdString(path));
  ASSERT_TRUE(written.open(QIODevice::ReadOnly));
  EXPECT_EQ(written.readAll().toStdString(), expected);

  // 王五 of region 2 goes into the next batch from the context menu of a new report.
  doc->OnCloseDocument();
  QApplication::processEvents();
  doc = Open([](QWidget* dlg) { NewReport(dlg, "2"); });
  ASSERT_NE(doc, nullptr);
  view = doc->FindViewOfClass<CTsReportView>();
  ASSERT_NE(view, nullptr);
  const std::unique_ptr<QMenu> menu = view->CreateContextMenu();
  QAction* fromMenu = TsFindMenuAction(*menu, SM_ID_DOC_SAVE_AS_TEXT);
  ASSERT_NE(fromMenu, nullptr);
  EXPECT_TRUE(fromMenu->isEnabled());
  Export(doc, m_dir.filePath("右键.txt").toStdString(), 4, [&] { fromMenu->trigger(); });
  EXPECT_EQ(doc->bankQuery.nBatch, 2);
  EXPECT_EQ(Marks(), "000001:1:101: 000002:1:101: 000004:2:101: ");
}

TEST_F(TsBankOpenTest, EveryOverlappingBatchAsksAndAnythingButYesWritesNothing) {
  for (const char* sql : {"Insert Into SysCsTab(Cs,CsN,CsNa,CsVal) "
                          "Values(4160,1,'20160201201603011','102')",
                          "Insert Into SysCsTab(Cs,CsN,CsNa,CsVal) "
                          "Values(4160,2,'20160301201603312','102')",
                          "Insert Into SysCsTab(Cs,CsN,CsNa,CsVal) "
                          "Values(4160,3,'2016033120160415','102')"}) {
    ASSERT_TRUE(m_db->ExecuteSQL(sql));
  }
  CTsReportDoc8* doc = Open([](QWidget* dlg) { NewReport(dlg, "101"); });
  ASSERT_NE(doc, nullptr);
  for (int refusal : {SM_IDNO, SM_IDCANCEL}) {
    SmResetMessages();
    CSmMessageService::Instance().QueueAnswer(SM_IDYES);
    CSmMessageService::Instance().QueueAnswer(refusal);
    EXPECT_FALSE(doc->SaveBankBatch());
    std::vector<std::string> asked;
    for (const SmShownMessage& m : CSmMessageService::Instance().Shown()) asked.push_back(m.text);
    EXPECT_EQ(asked, (std::vector<std::string>{"当前报表与第1期报表有重合部份，还要保存吧？",
                                               "当前报表与第3期报表有重合部份，还要保存吧？"}));
    EXPECT_EQ(Marks(), "");
    EXPECT_EQ(m_db->QueryInt("Select Count(*) From SysCsTab Where Cs=4160"), 3);
  }
  SmResetMessages();
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  EXPECT_TRUE(doc->SaveBankBatch());
  EXPECT_EQ(doc->bankQuery.nBatch, 4);
  EXPECT_EQ(Marks(), "000001:4:101: 000002:4:101: ");
}

TEST_F(TsBankOpenTest, AnEmptyReportRecordsNothing) {
  CTsReportDoc8* doc = Open([](QWidget* dlg) { NewReport(dlg, "3"); });
  ASSERT_NE(doc, nullptr);
  SmResetMessages();
  EXPECT_FALSE(doc->SaveBankBatch());
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "空文档！");
  EXPECT_EQ(m_db->QueryInt("Select Count(*) From SysCsTab Where Cs=4160"), 0);
}

TEST_F(TsBankOpenTest, DeleteAndReviewFollowTheMakerTheReviewerAndTheRights) {
  m_app.m_env.SetOperatorNo("101");
  ASSERT_EQ(TsRecordBankBatch("20160301", "20160331", "1", m_db), 1);
  ASSERT_TRUE(m_db->ExecuteSQL(
      "Insert Into SysCsTab(Cs,CsN,CsNa,CsVal) Values(4160,2,'2016040120160430','102')"));
  ASSERT_TRUE(m_db->ExecuteSQL(
      "Insert Into SysCsTab(Cs,CsN,CsNa,CsVal) Values(4160,3,'2016050120160531','101')"));
  ASSERT_TRUE(m_db->ExecuteSQL("Insert Into SysCsTab(Cs,CsN,CsNa,CsVal) Values(4161,3,'','103')"));
  struct State {
    bool del, review;
    std::string caption, message;
    bool operator==(const State&) const = default;
  };
  std::vector<State> states;
  std::vector<std::string> lines;
  CTsReportDoc8* doc = Open([&](QWidget* w) {
    auto* dlg = static_cast<CTsReportQueryDlg8*>(w);
    auto* list = Control<QComboBox>(w, CTsReportQueryDlg8::kBatchList);
    auto state = [&] {
      states.push_back(
          {Control<QPushButton>(w, CTsReportQueryDlg8::kDeleteBatch)->isEnabled(),
           Control<QPushButton>(w, CTsReportQueryDlg8::kReviewBatch)->isEnabled(),
           Control<QPushButton>(w, CTsReportQueryDlg8::kReviewBatch)->text().toStdString(),
           CSmMessageService::Instance().LastText()});
      SmResetMessages();
    };
    auto choose = [&](int index) {
      list->setCurrentIndex(index);
      dlg->OnBatchCloseUp();
    };
    for (int i = 0; i < list->count(); ++i) lines.push_back(list->itemText(i).toStdString());
    choose(2);  // another's batch
    dlg->OnDeleteBatch();
    state();
    choose(3);  // reviewed by another
    dlg->OnReviewBatch();
    state();
    dlg->OnDeleteBatch();
    state();
    choose(1);  // own batch: review it, then delete is refused until the review is taken back
    state();
    dlg->OnReviewBatch();
    state();
    dlg->OnDeleteBatch();
    state();
    dlg->OnReviewBatch();
    state();
    dlg->OnDeleteBatch();
    state();
    m_app.m_env.SetRights("1633 ");
    choose(2);
    choose(1);
    state();
    lines.push_back(list->currentText().toStdString());
    Cancel(w);
  });
  EXPECT_EQ(doc, nullptr);
  EXPECT_EQ(lines, (std::vector<std::string>{"新单", "1    --- 101", "2    --- 102",
                                             "3    --- 101 --- 103", "2    --- 102"}));
  EXPECT_EQ(states, (std::vector<State>{
                        {false, true, "&R.复核", "非你所作单据，不能删除！"},
                        {false, false, "&R.删核", "非你所核单据，不能由你取消复核！"},
                        {false, false, "&R.删核", "该单据已被复核！"},
                        {true, true, "&R.复核", ""},
                        {false, true, "&R.删核", ""},
                        {false, true, "&R.删核", "该单据已被复核！"},
                        {true, true, "&R.复核", ""},
                        {false, true, "&R.复核", ""},
                        {false, false, "&R.复核", ""},
                    }));
  EXPECT_EQ(Marks(), "");
  EXPECT_EQ(m_db->QueryInt("Select Count(*) From jsSheet Where FK<>0 Or OPR1='101'"), 0);
  EXPECT_EQ(Notes(), (std::vector<std::string>{"复核银行付款数据：1-->1(20160301～20160331)",
                                               "取消复核银行付款数据：1-->1(20160301～20160331)",
                                               "删除银行付款数据：1-->1(20160301～20160331)"}));
}

// A step of deleting or reviewing that fails takes back what the steps before it did; a saved
// batch written again pays nothing more.
TEST_F(TsBankOpenTest, AFailedDeleteOrReviewChangesNothingAndASavedBatchIsNotRecordedAgain) {
  m_app.m_env.SetOperatorNo("101");
  ASSERT_EQ(TsRecordBankBatch("20160301", "20160331", "1", m_db), 1);
  const struct {
    const char* event;
    void (CTsReportQueryDlg8::*action)();
    const char* message;
  } cases[] = {{"DELETE", &CTsReportQueryDlg8::OnDeleteBatch, "删除单据失败！"},
               {"INSERT", &CTsReportQueryDlg8::OnReviewBatch, "操作单据失败！"}};
  for (const auto& c : cases) {
    const std::string trigger = std::string("sm_fail_") + c.event;
    ASSERT_TRUE(m_db->ExecuteSQL("CREATE TRIGGER " + trigger + " BEFORE " + c.event +
                                 " ON SysCsTab BEGIN SELECT RAISE(ABORT,'injected'); END"));
    SmResetMessages();
    std::string message;
    EXPECT_EQ(Open([&](QWidget* w) {
                Control<QComboBox>(w, CTsReportQueryDlg8::kBatchList)->setCurrentIndex(1);
                static_cast<CTsReportQueryDlg8*>(w)->OnBatchCloseUp();
                (static_cast<CTsReportQueryDlg8*>(w)->*c.action)();
                message = CSmMessageService::Instance().LastText();
                Cancel(w);
              }),
              nullptr);
    EXPECT_EQ(message, c.message);
    EXPECT_EQ(Marks(), "000001:1:101: 000002:1:101: ") << c.event;
    ASSERT_TRUE(m_db->ExecuteSQL("DROP TRIGGER " + trigger));
  }
  CTsReportDoc8* doc = Open([](QWidget* w) {
    Control<QComboBox>(w, CTsReportQueryDlg8::kBatchList)->setCurrentIndex(1);
    static_cast<CTsReportQueryDlg8*>(w)->OnBatchCloseUp();
    Press(w, SM_ID_OK);
  });
  ASSERT_NE(doc, nullptr);
  ASSERT_EQ(doc->bankQuery.nBatch, 1);
  const std::string path = m_dir.filePath("again.txt").toStdString();
  Export(doc, path, 4);
  EXPECT_EQ(doc->bankQuery.nBatch, 1);
  EXPECT_EQ(m_db->QueryInt("Select Count(*) From SysCsTab Where Cs=4160"), 1);
  EXPECT_TRUE(QFile::exists(QString::fromStdString(path)));
}
