// The business months dialog: every rule a new value must pass, what a stored change writes,
// the modules' say, and the repair of broken rows when the dialog opens.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "admin/SmBizMonthDlg.h"
#include "app/SmDateArray.h"
#include "platform/SmCommandIds.h"
#include "tests/admin/test_admin_fixture.h"

namespace {

// A module that refuses one month and records what it is told.
class MonthWatcher : public CSmDataType {
 public:
  bool CanChangeBizMonth(int month, const std::string&, const std::string&) override {
    return month != m_refused;
  }
  void OnBizMonthChanged(int month, const std::string& newValue,
                         const std::string& oldValue) override {
    m_told.push_back(std::to_string(month) + " " + oldValue + "->" + newValue);
  }
  int m_refused = 0;
  std::vector<std::string> m_told;
};

class BizMonthTest : public AdminFileTest {
 protected:
  void SetUp() override {
    AdminFileTest::SetUp();
    if (HasFatalFailure()) return;
    m_app.m_dataTypes = {&m_watcher};
    CSmDateArray::WriteDefaultBizMonths(m_db, 2016);
  }
  std::string Stored(int month) {
    return TrimChars(
        m_db->QueryCountString(FormatStr("Max(CsVal) From SysCsTab Where CS=4 And CSN=%d", month)));
  }
  CSmBizMonthList* OpenDialog(CSmBizMonthDlg& dlg) {
    dlg.show();
    return dlg.findChild<CSmBizMonthList*>(QString::number(CSmBizMonthDlg::kMonthList));
  }
  MonthWatcher m_watcher;
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Kinds, BizMonthTest, testing::Values(0, 2));

TEST_P(BizMonthTest, EachValueIsCheckedBeforeItIsStoredAndLogged) {
  const struct {
    int row;
    const char* text;
    bool stored;
    const char* message;
  } cases[] = {
      {0, "20151226", true, ""},   // January may start in the previous year
      {12, "20170105", true, ""},  // and the year end lie in the next
      {0, "20141226", false, "所设置的年份无效!"},
      {12, "20180105", false, "所设置的年份无效!"},
      {1, "20150201", false, "所设置的年份无效!"},
      {11, "20171201", false, "所设置的年份无效!"},
      {1, "20160230", false, "设置无效\n2016年2月份的有效时期范围是1日～29日"},
      {0, "20150229", false, "设置无效\n2015年2月份的有效时期范围是1日～28日"},
      {1, "20160229", true, ""},
      {1, "20160200", false, "设置无效\n2016年2月份的有效时期范围是1日～29日"},
      {3, "20161301", false, "设置无效\n月份应为01～12!"},
      {3, "2016041", false, "设置无效,时期应为8位数字!"},
      {3, "2016-4-1", false, "设置无效,时期应为8位数字!"},
      {2, "20160401", false, "设置无效\n本月份起始日已大于或等于所设置的下月起始!"},
      {2, "20160131", true, ""},  // the previous month is not compared
      {11, "20161231", false, "设置无效\n12月份起始日已大于或等于所设置的年终日!"},
      {12, "20161201", false, "设置无效\n12月结束日已小于或等于12月份起始日!"},
      {3, "20160401", false, ""},  // the same value again: nothing to do
      {14, "20160401", false, ""},
      {-1, "20160401", false, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.row) + " " + c.text);
    CSmDateArray::WriteDefaultBizMonths(m_db, 2016);
    CSmBizMonthDlg dlg(m_db, 2016);
    CSmBizMonthList* list = OpenDialog(dlg);
    ASSERT_NE(list, nullptr);
    SmResetMessages();
    const size_t logged = LogNotes(7).size();
    const int month = c.row + 1;
    const std::string old = c.row >= 0 && c.row < 13 ? list->Months()[c.row].sValue : "";

    EXPECT_EQ(list->SetMonthValue(c.row, c.text), c.stored);
    EXPECT_EQ(CSmMessageService::Instance().LastText(), c.message);
    if (c.row < 0 || c.row >= 13) continue;
    EXPECT_EQ(Stored(month), c.stored ? c.text : old);
    EXPECT_EQ(list->Months()[c.row].sValue, c.stored ? c.text : old);
    EXPECT_EQ(list->topLevelItem(c.row)->text(1).toStdString(), c.stored ? c.text : old);
    const std::vector<std::string> notes = LogNotes(7);
    ASSERT_EQ(notes.size(), logged + (c.stored ? 1 : 0));
    if (c.stored) {
      EXPECT_EQ(notes.back(), "修改业务月" + old + "为：" + c.text);
    }
  }
}

TEST_P(BizMonthTest, ModulesMayRefuseAndAreToldOnlyOfStoredChanges) {
  CSmBizMonthDlg dlg(m_db, 2016);
  CSmBizMonthList* list = OpenDialog(dlg);
  m_watcher.m_refused = 5;
  EXPECT_FALSE(list->SetMonthValue(4, "20160502"));
  EXPECT_EQ(Stored(5), "20160501");
  EXPECT_TRUE(LogNotes(7).empty());
  EXPECT_TRUE(m_watcher.m_told.empty());

  EXPECT_TRUE(list->SetMonthValue(5, "20160602"));
  EXPECT_EQ(m_watcher.m_told, std::vector<std::string>{"6 20160601->20160602"});

  // A failed write is shown and neither logged nor shown as the month's value.
  ASSERT_TRUE(m_db->ExecuteSQL("Alter Table SysCsTab Rename To SysCsOld"));
  SmResetMessages();
  EXPECT_FALSE(list->SetMonthValue(6, "20160702"));
  EXPECT_EQ(CSmMessageService::Instance().Shown().size(), 1u);
  ASSERT_TRUE(m_db->ExecuteSQL("Alter Table SysCsOld Rename To SysCsTab"));
  EXPECT_EQ(Stored(7), "20160701");
  EXPECT_EQ(list->Months()[6].sValue, "20160701");
  EXPECT_EQ(LogNotes(7).size(), 1u);
  EXPECT_EQ(m_watcher.m_told.size(), 1u);
}

TEST_P(BizMonthTest, BrokenRowsAreRestoredOnlyWhenTheUserAgrees) {
  const struct {
    int kept;    // month rows left before opening
    int answer;  // to the question, 0 when none is asked
    int rowsShown;
  } cases[] = {{5, SM_IDNO, 5}, {5, SM_IDYES, 13}, {12, SM_IDNO, 12}, {0, 0, 13}, {13, 0, 13}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kept);
    CSmDateArray::WriteDefaultBizMonths(m_db, 2016);
    m_db->ExecuteSQL(FormatStr("Delete From SysCsTab Where CS=4 And CSN>%d", c.kept));
    SmResetMessages();
    if (c.answer) CSmMessageService::Instance().QueueAnswer(c.answer);
    CSmBizMonthDlg dlg(m_db, 2016);
    CSmBizMonthList* list = OpenDialog(dlg);
    EXPECT_EQ(dlg.windowTitle().toStdString(), "设置业务月");
    EXPECT_EQ(list->RowCount(), c.rowsShown);
    EXPECT_EQ(CSmMessageService::Instance().LastText(),
              c.answer ? "警告：\n\n\t月份参数已被破坏，是否恢复默认值?" : "");
    EXPECT_EQ(m_db->QueryInt("Select Count(*) From SysCsTab Where CS=4"), c.rowsShown);
    EXPECT_EQ(list->topLevelItem(0)->text(1).toStdString(), "20160101");
    EXPECT_EQ(list->topLevelItem(c.rowsShown - 1)->text(1).toStdString(),
              c.rowsShown == 13 ? "20161231" : FormatStr("2016%02d01", c.rowsShown));
  }
}

TEST_P(BizMonthTest, EditFieldOpensOnTheSelectedRowAndClosesAfterAConfirm) {
  CSmBizMonthDlg dlg(m_db, 2016);
  CSmBizMonthList* list = OpenDialog(dlg);
  auto* edit = dlg.findChild<QLineEdit*>(QString::number(CSmBizMonthDlg::kDayEdit));
  auto* confirm = dlg.findChild<QPushButton*>(QString::number(CSmBizMonthDlg::kConfirm));
  ASSERT_TRUE(edit && confirm);
  EXPECT_FALSE(edit->isEnabled());
  list->setCurrentItem(list->topLevelItem(2));
  EXPECT_EQ(
      dlg.findChild<QLabel*>(QString::number(CSmBizMonthDlg::kMonthName))->text().toStdString(),
      "三月起始日");
  EXPECT_EQ(edit->text().toStdString(), "20160301");
  ASSERT_TRUE(list->OnCommand(SM_ID_LIST_MODIFY));
  EXPECT_TRUE(edit->isEnabled());
  EXPECT_EQ(edit->selectedText().toStdString(), "01");
  edit->setText("20160305");
  confirm->setEnabled(true);
  confirm->click();
  EXPECT_EQ(Stored(3), "20160305");
  EXPECT_FALSE(edit->isEnabled());
}
