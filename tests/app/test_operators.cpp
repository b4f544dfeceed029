// The operators and rights dialog (810): the rights each operator is offered, the operator
// list's commands, and renames and deletions that keep operators and rights together.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTreeWidget>

#include "app/SmApp.h"
#include "app/SmOperator.h"
#include "app/SmOperatorDlg.h"
#include "core/SmDatabase.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "tests/app/test_login_fixture.h"
#include "tests/common/SmTestDataFile.h"
#include "tests/common/SmTestMain.h"

namespace {

class OperatorsTest : public testing::Test {
 protected:
  void SetUp() override {
    SmResetMessages();
    m_app.m_moduleInfo.m_ext = "tsd";
    const std::string path = SmCreateTestDataFile(2016);
    ASSERT_TRUE(m_app.m_env.OpenFile("", path, "101", true));
    m_db = m_app.m_env.GetDatabase();
    ASSERT_NE(m_db, nullptr);
  }

  std::vector<std::string> Strings(const std::string& sql) {
    std::vector<std::string> rows;
    m_db->QueryStrings(sql, &rows, 1);
    return rows;
  }
  std::vector<std::string> Operators() {
    return Strings("Select rtrim(Opno) From OPR Order By Opno");
  }
  // "number right" of every PWR row.
  std::vector<std::string> Rights() {
    std::vector<std::string> columns[2];
    m_db->QueryStrings("Select rtrim(OPNO),rtrim(PWR) From PWR Order By OPNO,PWR", columns, 2);
    std::vector<std::string> rows;
    for (size_t i = 0; i < columns[0].size(); ++i)
      rows.push_back(columns[0][i] + " " + columns[1][i]);
    return rows;
  }

  CSmApp m_app;
  CSmDatabase* m_db = nullptr;
  QObject m_timers;
};

// The codes of the rights the dialog shows for the selected operator under the tab.
std::vector<std::string> ShownRights(CSmOperatorDlg& dlg) {
  std::vector<std::string> codes;
  auto* rights = Find<QTreeWidget>(&dlg, CSmOperatorDlg::kRightList);
  for (int i = 0; i < rights->topLevelItemCount(); ++i) {
    const QTreeWidgetItem* item = rights->topLevelItem(i);
    codes.push_back(item->data(0, Qt::UserRole).toString().toStdString() +
                    (item->checkState(0) == Qt::Checked ? "+" : "-"));
  }
  return codes;
}

void Key(QWidget* w, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QKeyEvent press(QEvent::KeyPress, key, modifiers);
  QApplication::sendEvent(w, &press);
}

void DoubleClick(QTreeWidget* list, QTreeWidgetItem* item) {
  const QPoint at = list->visualItemRect(item).center();
  const QPointF global = list->viewport()->mapToGlobal(at);
  for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                            QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
    QMouseEvent event(type, at, global, Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &event);
  }
}

}  // namespace

TEST_F(OperatorsTest, SystemAdministrationIsTheAdministratorsAlone) {
  CSmOperatorDlg dlg(&m_app);
  CSmOperatorList* list = dlg.OperatorList();
  ASSERT_EQ(list->FindText("101", false), 0);
  EXPECT_EQ(ShownRights(dlg), std::vector<std::string>{"0001+"});
  list->clearSelection();
  ASSERT_EQ(list->FindText("102", false), 1);
  const std::vector<std::string> shown = ShownRights(dlg);
  EXPECT_FALSE(shown.empty());
  for (const std::string& code : shown) EXPECT_NE(code.substr(0, 4), "0001");
  EXPECT_TRUE(Find<QLabel>(&dlg, CSmOperatorDlg::kRightLabel)
                  ->text()
                  .endsWith(QStringLiteral("的操作权限：")));
}

TEST_F(OperatorsTest, OperatorListAnswersTheListCommands) {
  CSmOperatorDlg dlg(&m_app);
  dlg.show();
  CSmOperatorList* list = dlg.OperatorList();

  // Ctrl+N proposes the next number and adds the operator.
  OnModalOf(&m_timers, 811, [](QWidget* edit) {
    EXPECT_EQ(Find<QLineEdit>(edit, CSmOperatorEditDlg::kNumberEdit)->text(), "103");
    Find<QLineEdit>(edit, CSmOperatorEditDlg::kNameEdit)->setText(QString::fromUtf8("王五"));
    Click(edit, SM_ID_OK);
  });
  Key(list, Qt::Key_N, Qt::ControlModifier);
  EXPECT_EQ(Operators(), (std::vector<std::string>{"101", "102", "103"}));
  EXPECT_EQ(dlg.SelectedOperator(), "103");

  // A double-click modifies the row under the mouse.
  OnModalOf(&m_timers, 811, [](QWidget* edit) {
    EXPECT_EQ(Find<QLineEdit>(edit, CSmOperatorEditDlg::kNameEdit)->text().toStdString(), "王五");
    Find<QLineEdit>(edit, CSmOperatorEditDlg::kNameEdit)->setText(QString::fromUtf8("王五六"));
    Click(edit, SM_ID_OK);
  });
  DoubleClick(list, list->topLevelItem(2));
  EXPECT_EQ(Strings("Select rtrim(Na) From OPR Where Opno='103'"),
            std::vector<std::string>{"王五六"});

  // Delete removes the selected operator, never the administrator.
  list->clearSelection();
  list->FindText("101", false);
  EXPECT_FALSE(list->IsCommandEnabled(SM_ID_LIST_DELETE));
  Key(list, Qt::Key_Delete);
  list->clearSelection();
  list->FindText("103", false);
  Key(list, Qt::Key_Delete);
  EXPECT_EQ(Operators(), (std::vector<std::string>{"101", "102"}));

  // Two operators selected: nothing to modify or delete; there is no paste.
  list->SelectAll();
  EXPECT_FALSE(list->IsCommandEnabled(SM_ID_LIST_MODIFY));
  EXPECT_FALSE(list->IsCommandEnabled(SM_ID_LIST_DELETE));
  EXPECT_FALSE(list->IsCommandAvailable(SM_ID_EDIT_PASTE));
  EXPECT_TRUE(list->IsCommandEnabled(SM_ID_EDIT_FIND));
  EXPECT_EQ(Find<QPushButton>(&dlg, SM_ID_LIST_ADD), nullptr);
}

TEST_F(OperatorsTest, RightsRowsChangeWithTheOperatorOrNotAtAll) {
  const std::vector<std::string> operators = Operators();
  const std::vector<std::string> rights = Rights();
  ASSERT_FALSE(rights.empty());

  // A failure on the rights rows rolls the operator row back as well.
  ASSERT_TRUE(m_db->ExecuteSQL(
      "Create Trigger PwrLocked Before Update On PWR Begin Select Raise(Abort,'locked'); End"));
  ASSERT_TRUE(m_db->ExecuteSQL(
      "Create Trigger PwrKept Before Delete On PWR Begin Select Raise(Abort,'kept'); End"));
  CSmOperator op;
  ASSERT_TRUE(op.LoadByCode("102", m_db));
  op.Opno = "105";
  EXPECT_FALSE(op.Update("102", m_db));
  EXPECT_FALSE(DeleteOperator("102", m_db));
  EXPECT_EQ(Operators(), operators);
  EXPECT_EQ(Rights(), rights);

  // Without the failure they move (and go) together.
  ASSERT_TRUE(m_db->ExecuteSQL("Drop Trigger PwrLocked"));
  ASSERT_TRUE(m_db->ExecuteSQL("Drop Trigger PwrKept"));
  ASSERT_TRUE(op.Update("102", m_db));
  EXPECT_EQ(Strings("Select Count(*) From PWR Where OPNO='102'"), std::vector<std::string>{"0"});
  EXPECT_EQ(Strings("Select Count(*) From PWR Where OPNO='105'").at(0),
            std::to_string(rights.size() - 1));  // every right but the administrator's
  ASSERT_TRUE(DeleteOperator("105", m_db));
  EXPECT_EQ(Strings("Select Count(*) From PWR Where OPNO='105'"), std::vector<std::string>{"0"});
}
