// The data relation check: which subjects a run checks and the states it gives them, states
// following subject numbers, the subject dialog's numbering rule, paste, delete, rights, the
// default variables of module 0 and the log lines.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <algorithm>

#include "admin/SmDataCheckDlg.h"
#include "app/SmDateArray.h"
#include "app/SmVar.h"
#include "core/SmDate.h"
#include "platform/SmCommandIds.h"
#include "tests/admin/test_admin_fixture.h"

namespace {

class DataCheckTest : public AdminFileTest {
 protected:
  void SetUp() override {
    AdminFileTest::SetUp();
    if (HasFatalFailure()) return;
    m_app.m_env.SetRights("0003 0004 ");
    for (const char* row : {"(9005,1,'甲','0.05')", "(9005,2,'乙','-0.1')", "(9005,3,'丙','(1')"})
      ASSERT_TRUE(
          m_db->ExecuteSQL(std::string("Insert Into SysCsTab(Cs,CsN,CsNa,CsVal) Values") + row));
    m_dlg = std::make_unique<CSmDataCheckDlg>(m_app);
    m_dlg->show();
    m_list = m_dlg->List();
    SmResetMessages();
  }
  void Select(std::initializer_list<int> rows) {
    m_list->clearSelection();
    for (int row : rows) m_list->topLevelItem(row)->setSelected(true);
  }
  std::vector<std::string> Column(int column) {
    std::vector<std::string> texts;
    for (int i = 0; i < m_list->RowCount(); ++i)
      texts.push_back(m_list->topLevelItem(i)->text(column).toStdString());
    return texts;
  }
  CSmMessageService& Boxes() { return CSmMessageService::Instance(); }

  std::unique_ptr<CSmDataCheckDlg> m_dlg;
  CSmCheckSubjectList* m_list = nullptr;
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Kinds, DataCheckTest, testing::Values(0, 2));

TEST_P(DataCheckTest, RunsGiveStatesThatFollowTheNumbers) {
  EXPECT_EQ(m_dlg->MonthBox()->count(), 12);
  EXPECT_EQ(m_dlg->MonthBox()->itemText(0).toStdString(), "1  月");
  EXPECT_EQ(m_dlg->m_states, (std::vector<int>{0, 0, 0}));

  // Two selected: only those change.
  Select({0, 2});
  EXPECT_FALSE(m_dlg->RunCheck());
  EXPECT_EQ(m_dlg->m_states, (std::vector<int>{SM_CHECK_PASSED, 0, SM_CHECK_ERROR}));
  EXPECT_EQ(m_list->SelectedRows(), (std::vector<int>{0, 2}));
  // None selected: every one; -0.1 fails.
  m_list->clearSelection();
  m_dlg->RunCheck();
  EXPECT_EQ(m_dlg->m_states, (std::vector<int>{SM_CHECK_PASSED, SM_CHECK_FAILED, SM_CHECK_ERROR}));
  EXPECT_EQ(LogNotes(25), (std::vector<std::string>{"执行数据检测", "执行数据检测"}));

  // Subject 3 renumbered to 7 is unchecked again; the others keep their states.
  CSmCheckSubjectDlg modify(false, 3, m_db);
  modify.SetFields("7", "丙丁", "1");
  ASSERT_TRUE(modify.SaveSubject());
  m_list->Refill(false);
  EXPECT_EQ(Column(0), (std::vector<std::string>{"1", "2", "7"}));
  EXPECT_EQ(Column(1), (std::vector<std::string>{"甲", "乙", "丙丁"}));
  EXPECT_EQ(m_dlg->m_states, (std::vector<int>{SM_CHECK_PASSED, SM_CHECK_FAILED, 0}));
  EXPECT_EQ(LogNotes(25).back(), "修改主题：3(丙)(1 ---> 7(丙丁)1");

  // To a number that exists: refused, nothing changes.
  CSmCheckSubjectDlg clash(false, 7, m_db);
  clash.SetFields("1", "x", "0");
  SmResetMessages();
  EXPECT_FALSE(clash.SaveSubject());
  EXPECT_EQ(Boxes().LastText(), "此序号的主题已存在！");
  CSmCheckSubjectDlg missing(false, 99, m_db);
  EXPECT_FALSE(missing.SaveSubject());
  m_list->Refill(false);
  EXPECT_EQ(Column(0), (std::vector<std::string>{"1", "2", "7"}));

  // A new subject takes the next number. Each label's letter leads to its own edit, so none
  // shows its "&".
  CSmCheckSubjectDlg add(true, 0, m_db);
  std::vector<QString> buddies;
  for (QLabel* label : add.findChildren<QLabel*>()) {
    ASSERT_NE(label->buddy(), nullptr) << label->text().toStdString();
    buddies.push_back(label->buddy()->objectName());
  }
  std::sort(buddies.begin(), buddies.end());
  EXPECT_EQ(buddies, (std::vector<QString>{QString::number(CSmCheckSubjectDlg::kNumberEdit),
                                           QString::number(CSmCheckSubjectDlg::kSubjectEdit),
                                           QString::number(CSmCheckSubjectDlg::kFormulaEdit)}));
  add.SetFields("8", "丁", "0");
  ASSERT_TRUE(add.SaveSubject());
  EXPECT_EQ(add.Number(), 8);
  EXPECT_EQ(LogNotes(25).back(), "增加主题：8(丁)0");
}

// "检测" from the list (Ctrl+O) with no row selected checks every subject, as the button does;
// with no subject at all the run says why nothing was checked and logs nothing.
TEST_P(DataCheckTest, NoSelectionChecksEverySubjectAndNoSubjectIsSaid) {
  m_list->clearSelection();
  ASSERT_TRUE(m_list->IsCommandEnabled(SM_ID_LIST_OPEN));
  QKeyEvent check(QEvent::KeyPress, Qt::Key_O, Qt::ControlModifier);
  QApplication::sendEvent(m_list, &check);
  EXPECT_EQ(m_dlg->m_states, (std::vector<int>{SM_CHECK_PASSED, SM_CHECK_FAILED, SM_CHECK_ERROR}));
  EXPECT_TRUE(Boxes().Shown().empty());
  EXPECT_EQ(LogNotes(25), std::vector<std::string>{"执行数据检测"});

  ASSERT_TRUE(m_db->ExecuteSQL("Delete From SysCsTab Where Cs=9005"));
  m_list->Refill(false);
  EXPECT_FALSE(m_dlg->RunCheck());
  ASSERT_EQ(Boxes().Shown().size(), 1u);
  EXPECT_EQ(Boxes().LastText(), "没有检测主题，请先新增主题！");
  QApplication::sendEvent(m_list, &check);
  EXPECT_EQ(Boxes().Shown().size(), 2u);
  EXPECT_EQ(Boxes().LastText(), "没有检测主题，请先新增主题！");
  EXPECT_EQ(LogNotes(25).size(), 1u);
}

TEST_P(DataCheckTest, PasteDeleteAndRights) {
  // An odd number of texts pastes nothing; pairs become subjects after the highest number.
  SmCopyRowsToClipboard(537, m_list->Source(), false, {"a", "1", "b"});
  m_list->Paste();
  EXPECT_EQ(m_list->RowCount(), 3);
  SmCopyRowsToClipboard(537, m_list->Source(), false, {"x'y", "0", "z", "1-1"});
  m_list->Paste();
  EXPECT_EQ(Column(0), (std::vector<std::string>{"1", "2", "3", "4", "5"}));
  EXPECT_EQ(Column(1).back(), "z");
  EXPECT_EQ(Column(1)[3], "x'y");
  EXPECT_EQ(m_list->SelectedRows(), (std::vector<int>{3, 4}));
  EXPECT_EQ(LogNotes(25), (std::vector<std::string>{"粘贴主题：4(x'y)0", "粘贴主题：5(z)1-1"}));

  // Copy gives subject and formula of each selected row.
  std::vector<std::string> copied;
  m_list->GetClipboardRows(copied);
  EXPECT_EQ(copied, (std::vector<std::string>{"x'y", "0", "z", "1-1"}));

  // Deleting the last row selects the new last one.
  Select({4});
  Boxes().QueueAnswer(SM_IDYES);
  m_list->Delete();
  EXPECT_EQ(Boxes().LastText(), "真的以删除此主题吗？");
  EXPECT_EQ(m_list->RowCount(), 4);
  EXPECT_EQ(m_list->SelectedRows(), std::vector<int>{3});
  EXPECT_EQ(LogNotes(25).back(), "删除主题：5(z)1-1");

  Select({0});
  EXPECT_TRUE(m_list->IsCommandEnabled(SM_ID_LIST_MODIFY));
  EXPECT_FALSE(m_list->IsCommandEnabled(SM_ID_EDIT_CUT));
  m_app.m_env.SetRights("0003 ");
  for (unsigned id : {SM_ID_LIST_ADD, SM_ID_LIST_MODIFY, SM_ID_LIST_DELETE})
    EXPECT_FALSE(m_list->IsCommandEnabled(id)) << id;
  EXPECT_TRUE(m_list->IsCommandEnabled(SM_ID_LIST_OPEN));
  m_app.m_env.SetRights("0004 ");
  EXPECT_FALSE(m_list->IsCommandEnabled(SM_ID_LIST_OPEN));
  EXPECT_TRUE(m_list->IsCommandEnabled(SM_ID_LIST_ADD));
}

TEST_P(DataCheckTest, AFileWithoutModuleVariablesGetsTheDefaults) {
  ASSERT_TRUE(m_db->ExecuteSQL("Delete From SmVar Where nSoft=0"));
  CSmDataCheckDlg dlg(m_app);
  dlg.show();
  CSmVarTable vars;
  ASSERT_TRUE(vars.LoadFromDb(m_db));
  CSmVar z;
  EXPECT_TRUE(vars.Find("#z", z));
  EXPECT_TRUE(vars.Find("#y", z));
  // "#y" is the business month that holds today, "#y1" the months up to it.
  CSmDateArray months;
  months.Load(m_db);
  const int month = months.MonthOf(NowText("%Y%m%d"));
  ASSERT_GE(month, 1);
  const std::string check = FormatStr("#y-%d+iif(#y1=\"1:%d\",0,1)", month, month);
  ASSERT_TRUE(m_db->ExecuteSQL("Insert Into SysCsTab(Cs,CsN,CsNa,CsVal) Values(9005,4,'月','" +
                               check + "')"));
  dlg.List()->Refill(false);
  dlg.RunCheck();
  EXPECT_EQ(dlg.m_states.back(), SM_CHECK_PASSED) << dlg.m_reasons.back();
}

// A formula or a variable that cannot be evaluated shows why in the list.
TEST_P(DataCheckTest, EveryFailingFormulaShowsItsReason) {
  CSmVarTable vars;
  ASSERT_TRUE(vars.LoadFromDb(m_db));
  vars.Add(CSmVar("#q", "nofunc(1)", SM_VAR_NUMBER, "坏变量"));
  ASSERT_TRUE(vars.SaveToDb(m_db));
  for (const char* row : {"(9005,4,'丁','#q+1')", "(9005,5,'戊','pzt(2)')"})
    ASSERT_TRUE(
        m_db->ExecuteSQL(std::string("Insert Into SysCsTab(Cs,CsN,CsNa,CsVal) Values") + row));
  m_list->Refill(false);
  m_dlg->RunCheck();
  EXPECT_EQ(m_dlg->m_states, (std::vector<int>{SM_CHECK_PASSED, SM_CHECK_FAILED, SM_CHECK_ERROR,
                                               SM_CHECK_ERROR, SM_CHECK_ERROR}));
  EXPECT_EQ(Column(3),
            (std::vector<std::string>{"", "", "括号出错！", "变量#q：nofunc(1)：函数名出错！",
                                      "pzt(2)：函数参数超出范围！"}));
  // The reasons stay with their subjects when the list is read again.
  m_list->Refill(true);
  EXPECT_EQ(Column(3)[3], "变量#q：nofunc(1)：函数名出错！");
  // Pointing at any column of the row shows it, the reason column being out of view.
  EXPECT_EQ(m_list->topLevelItem(3)->toolTip(1).toStdString(), "变量#q：nofunc(1)：函数名出错！");
}
