// Special print settings: numbering, changing and deleting the fields of a print group with
// their log lines, restoring defaults, the paper of a group and the coordinate chart.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QLineEdit>

#include "core/SmCsRecord.h"
#include "platform/SmCommandIds.h"
#include "tests/common/SmTestPdf.h"
#include "tests/core/test_db_fixture.h"
#include "ui/SmPrintHooks.h"
#include "ui/SmPrintSetDlg.h"
#include "ui/SmPrinterService.h"

namespace {

class PrintSetTest : public DataFileTest {
 protected:
  void SetUp() override {
    DataFileTest::SetUp();
    m_saved = SmGetPrintHooks();
    SmPrintHooks& hooks = SmGetPrintHooks();
    hooks.getPrintVariables = [](int group, CSmPrintVarList& rows) {
      if (group == -1) rows.push_back({"9601", "过磅单", ""});
      if (group == 9601) {
        rows.push_back({"农户", "#nhm", "300 500 14 400 0 0 宋体"});
        rows.push_back({"毛重", "#mz", "1200 800 14 700 0 0 黑体"});
      }
      return static_cast<int>(rows.size());
    };
    hooks.writeLog = [this](int code, const std::string& note) {
      m_log.push_back(std::to_string(code) + " " + note);
    };
    CSmPrinterService::Instance().Reset();
  }
  void TearDown() override {
    SmGetPrintHooks() = m_saved;
    CSmPrinterService::Instance().Reset();
  }
  void Insert(int group, int number) {
    CSmCsRecord row(&m_db);
    row.Set(group, number, "字域\a#x", "10 10 14 400 0 0 宋体");
    ASSERT_TRUE(row.Insert(&m_db));
  }
  static void Type(CSmDlg& dlg, int id, const char* text) {
    static_cast<QLineEdit*>(dlg.Control(id))->setText(QString::fromUtf8(text));
  }
  long Rows(int group) {
    return m_db.QueryInt("SELECT COUNT(*) FROM SysCsTab WHERE Cs=" + std::to_string(group));
  }

  SmPrintHooks m_saved;
  std::vector<std::string> m_log;
};

}  // namespace

TEST_F(PrintSetTest, NewFieldsAreNumberedFromOneThousand) {
  Insert(9701, 12);
  EXPECT_EQ(CSmPrintFieldDlg::NextNumber(&m_db, 9701), 1000);
  Insert(9702, 1003);
  EXPECT_EQ(CSmPrintFieldDlg::NextNumber(&m_db, 9702), 1004);
  CSmPrintFieldDlg dlg(&m_db, 9702, 0, true);
  EXPECT_EQ(static_cast<QLineEdit*>(dlg.Control(CSmPrintFieldDlg::kNumber))->text(), "1004");
}

TEST_F(PrintSetTest, AddingAndChangingFieldsCheckTheirNumbersAndLogThem) {
  Insert(9701, 1);
  {
    CSmPrintFieldDlg add(&m_db, 9701, 0, true);
    add.show();
    Type(add, CSmPrintFieldDlg::kNumber, "999");
    add.OnCommand(SM_ID_OK);
    EXPECT_EQ(CSmMessageService::Instance().LastText(), "用户自定义字域的序号应不小于1000！");
    EXPECT_TRUE(add.isVisible());
    Type(add, CSmPrintFieldDlg::kNumber, "1000");
    Type(add, CSmPrintFieldDlg::kName, "车号");
    Type(add, CSmPrintFieldDlg::kContent, "#ch");
    add.OnCommand(SM_ID_OK);
    EXPECT_EQ(add.result(), QDialog::Accepted);
  }
  {
    // Keeping its number is no duplicate; the new position is stored.
    CSmPrintFieldDlg change(&m_db, 9701, 1000, false);
    EXPECT_EQ(static_cast<QLineEdit*>(change.Control(CSmPrintFieldDlg::kName))->text(), "车号");
    Type(change, CSmPrintFieldDlg::kX, "250");
    Type(change, CSmPrintFieldDlg::kY, "90");
    change.OnCommand(SM_ID_OK);
    EXPECT_EQ(change.result(), QDialog::Accepted);
  }
  CSmPrintField moved;
  ASSERT_TRUE(moved.Load(9701, 1000, &m_db));
  EXPECT_EQ(moved.m_x, 250);
  EXPECT_EQ(moved.m_y, 90);
  {
    SmResetMessages();
    CSmPrintFieldDlg taken(&m_db, 9701, 1000, false);
    taken.show();
    Type(taken, CSmPrintFieldDlg::kNumber, "1");
    taken.OnCommand(SM_ID_OK);
    EXPECT_EQ(CSmMessageService::Instance().LastText(), "字域序号重复！");
    EXPECT_TRUE(taken.isVisible());
  }
  EXPECT_EQ(Rows(9701), 2);
  EXPECT_EQ(m_log, (std::vector<std::string>{"18 增加：9701(1000)", "18 修改：9701(1000-->1000)"}));

  // A quote in a field's texts is stored as typed.
  CSmPrintField quoted;
  quoted.m_number = 1001;
  quoted.m_name = "O'Brien";
  quoted.m_content = "#x'";
  ASSERT_TRUE(quoted.Save(9701, &m_db));
  ASSERT_TRUE(quoted.Load(9701, 1001, &m_db));
  EXPECT_EQ(quoted.m_name, "O'Brien");
  EXPECT_EQ(quoted.m_content, "#x'");

  SmResetMessages();
  CSmPrintFieldDlg missing(&m_db, 9701, 5, false);
  EXPECT_TRUE(missing.Missing());
}

TEST_F(PrintSetTest, DeletingTheLastFieldSelectsTheNewLastRow) {
  CSmPrintSetDlg dlg(&m_db);
  EXPECT_EQ(dlg.Group(), 9601);
  CSmPrintFieldList* list = dlg.FieldList();
  ASSERT_EQ(list->RowCount(), 2);  // the group's defaults
  EXPECT_EQ(list->topLevelItem(1)->text(3), "(1200,800)");
  list->SelectField(2);
  dlg.DeleteField();
  ASSERT_EQ(list->RowCount(), 1);
  EXPECT_EQ(list->FirstSelected(), 0);
  EXPECT_EQ(m_log, std::vector<std::string>{"18 删除：9601(2)"});

  // Restoring the defaults answered no changes nothing; yes brings the field back.
  CSmMessageService::Instance().QueueAnswer(SM_IDNO);
  dlg.RestoreDefaults();
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "真的要恢复默认值值？");
  EXPECT_EQ(list->RowCount(), 1);
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  dlg.RestoreDefaults();
  EXPECT_EQ(list->RowCount(), 2);
}

TEST_F(PrintSetTest, EnterNeverClosesTheDialog) {
  CSmPrintSetDlg dlg(&m_db);
  dlg.show();
  dlg.FieldList()->clearSelection();
  dlg.accept();
  EXPECT_TRUE(dlg.isVisible());
}

TEST_F(PrintSetTest, ThePaperOfAGroupNeedsWidthAndLength) {
  CSmPrintSetDlg dlg(&m_db);
  dlg.show();
  auto* paper = static_cast<QComboBox*>(dlg.Control(CSmPrintSetDlg::kPaper));
  EXPECT_EQ(paper->currentText(), "2100 x 2970 A4纸");
  dlg.OnCommand(CSmPrintSetDlg::kPaperButton);
  ASSERT_TRUE(dlg.EditingPaper());
  EXPECT_FALSE(dlg.FieldList()->isEnabled());
  for (const char* text : {"2100", " 自定义"}) {
    paper->setEditText(QString::fromUtf8(text));
    dlg.OnCommand(CSmPrintSetDlg::kPaperButton);
    EXPECT_TRUE(dlg.EditingPaper()) << text;
  }
  EXPECT_EQ(CSmMessageService::Instance().Shown().at(0).text, "纸张太小！");
  EXPECT_EQ(CSmMessageService::Instance().Shown().at(1).text, "未录入有效的纸张宽度！");
  paper->setEditText("1840 x 2600");
  dlg.OnCommand(CSmPrintSetDlg::kPaperButton);
  EXPECT_FALSE(dlg.EditingPaper());
  EXPECT_EQ(paper->currentText(), "1840 x 2600 16开");
  CSmPrintJob stored;
  stored.LoadPaperSize(9601, &m_db);
  EXPECT_EQ(stored.m_paperWidth, 1840);
  EXPECT_EQ(stored.m_paperLength, 2600);
}

TEST_F(PrintSetTest, TheCoordinateChartPrintsOnePage) {
  const std::string pdf = SmTestHome() + "/chart.pdf";
  QFile::remove(QString::fromStdString(pdf));
  CSmMessageService::Instance().QueuePrintFile(pdf);
  CSmPrintSetDlg dlg(&m_db);
  dlg.PrintChart();
  EXPECT_EQ(SmPdfPages(pdf), 1);
  bool numbered = false;
  for (const SmPdfWord& word : SmPdfWords(pdf)) numbered = numbered || word.text == "2400";
  EXPECT_TRUE(numbered);
}
