// The log-in: first start with a new year file, passwords, program stamps, switching year
// files, the operator dialogs and a data file named on the command line. The dialogs are
// driven as a user would, through their controls, while they run modally.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <memory>

#include "app/SmApp.h"
#include "app/SmOpenDataDlg.h"
#include "app/SmOperatorDlg.h"
#include "app/SmServerYearFile.h"
#include "core/SmDatabase.h"
#include "core/SmRegKey.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "tests/app/test_login_fixture.h"
#include "tests/common/SmTestDataFile.h"
#include "tests/common/SmTestMain.h"
#include "tests/core/test_server_fixture.h"

namespace {

class LoginTest : public testing::Test {
 protected:
  void SetUp() override { SmResetMessages(); }

  void OnModal(int id, std::function<void(QWidget*)> action) {
    OnModalOf(&m_timers, id, std::move(action));
  }

  // A fresh folder of account sets under the test home.
  static std::string Root(const std::string& name) {
    const std::string root = SmTestHome() + "/" + name;
    QDir(QString::fromStdString(root)).removeRecursively();
    return root;
  }

  static long Count(const std::string& file, const std::string& sql) {
    CSmDatabase db(0);
    if (!db.Open(file, CSmConnInfo(0))) return -1;
    return db.QueryInt(sql);
  }

  static void SetAdminPassword(const std::string& file, const std::string& password) {
    CSmDatabase db(0);
    ASSERT_TRUE(db.Open(file, CSmConnInfo(0)));
    CSmOperator op("101", "管理员", password);
    ASSERT_TRUE(op.SetPassword(&db));
  }

  // Logs in to a file through the dialog with the operator and password.
  static void LogInTo(QWidget* dlg, const std::string& file, const QString& opno,
                      const QString& password) {
    ASSERT_TRUE(static_cast<CSmOpenDataFileDlg*>(dlg)->Tree()->SelectFile(file));
    ChooseOperator(dlg, opno);
    Find<QLineEdit>(dlg, CSmOpenDataFileDlg::kPasswordEdit)->setText(password);
    Click(dlg, SM_ID_OK);
  }

  QObject m_timers;
};

TEST_F(LoginTest, RefusedFilesStartNoSession) {
  const std::string root = Root("refused");
  const std::string locked = SmCreateTestDataFile(2025, root + "/001");
  const std::string newer = SmCreateTestDataFile(2026, root + "/001");
  SetAdminPassword(locked, "secret");
  {
    CSmDatabase db(0);
    ASSERT_TRUE(db.Open(newer, CSmConnInfo(0)));
    ASSERT_TRUE(db.ExecuteSQL("Update SysCsTab Set CsVal='99  1' Where Cs=9133 And CsN=1"));
  }
  LoginApp app("LoginRefused");
  app.m_env.SetRootDir(root);
  OnModal(815, [&](QWidget* dlg) {
    LogInTo(dlg, locked, "101", "wrong");
    EXPECT_TRUE(Shown("操作员口令不正确！"));
    LogInTo(dlg, newer, "101", "");
    const std::string& last = CSmMessageService::Instance().LastText();
    EXPECT_EQ(last.rfind("这是高版本软件", 0), 0u) << last;
    EXPECT_TRUE(dlg->isVisible());
    Click(dlg, SM_ID_CANCEL);
  });
  EXPECT_FALSE(app.LogIn(""));
  EXPECT_EQ(app.GetDatabase(), nullptr);
  EXPECT_EQ(Count(locked, "Select Count(*) From SmTask"), 0);
  EXPECT_EQ(Count(newer, "Select Count(*) From SmTask"), 0);
}

TEST_F(LoginTest, SwitchingEndsTheOldSessionInTheOldFile) {
  const std::string root = Root("switch");
  const std::string first = SmCreateTestDataFile(2025, root + "/001");
  const std::string second = SmCreateTestDataFile(2026, root + "/001");
  LoginApp app("LoginSwitch");
  app.m_env.SetRootDir(root);
  OnModal(815, [&](QWidget* dlg) { LogInTo(dlg, first, "101", ""); });
  ASSERT_TRUE(app.LogIn(""));
  const int oldTask = app.m_opLog.nTask;

  OnModal(815, [&](QWidget* dlg) { LogInTo(dlg, second, "101", ""); });
  ASSERT_TRUE(app.LogIn(""));
  EXPECT_EQ(app.m_env.GetDataFileName(), second);
  EXPECT_EQ(Count(first, "Select Count(*) From SmLog Where nTask=" + std::to_string(oldTask) +
                             " And sNote Like '*结束工作'"),
            1);
  EXPECT_EQ(Count(second, "Select Count(*) From SmLog Where sNote Like '*开始工作'"), 1);

  // Cancelling a switch goes on in the same file with a new session.
  OnModal(815, [](QWidget* dlg) { Click(dlg, SM_ID_CANCEL); });
  ASSERT_TRUE(app.LogIn(""));
  EXPECT_EQ(app.m_env.GetDataFileName(), second);
  EXPECT_EQ(Count(second, "Select Count(*) From SmLog Where sNote Like '*开始工作'"), 2);
  EXPECT_EQ(app.exitedWith, -1);
  app.ExitInstance();
}

TEST_F(LoginTest, OperatorDialogsRenameWithRightsAndRefuseLowNumbers) {
  const std::string root = Root("operators");
  const std::string file = SmCreateTestDataFile(2026, root + "/001");
  LoginApp app("LoginOperators");
  app.m_env.SetRootDir(root);
  OnModal(815, [&](QWidget* dlg) { LogInTo(dlg, file, "101", ""); });
  ASSERT_TRUE(app.LogIn(""));
  CSmDatabase* db = app.GetDatabase();
  ASSERT_TRUE(SetRight(true, "102", "0008", db));

  CSmOperator op;
  ASSERT_TRUE(op.LoadByCode("102", db));
  CSmOperatorEditDlg rename(&app, op, "102");
  Find<QLineEdit>(&rename, CSmOperatorEditDlg::kNumberEdit)->setText("105");
  Click(&rename, SM_ID_OK);
  EXPECT_EQ(rename.result(), QDialog::Accepted);
  EXPECT_TRUE(HasRight("105", "0008", db));
  EXPECT_FALSE(HasRight("102", "0008", db));

  struct Case {
    const char* number;
    const char* name;
    const char* message;
  };
  const Case cases[] = {{"099", "张三", "代码应不小于101，请重输！"},
                        {"100", "张三", "代码应不小于101，请重输！"},
                        {"106", "", "姓名不能为空，请重输！"}};
  for (const Case& c : cases) {
    SmResetMessages();
    CSmOperatorEditDlg add(&app, CSmOperator(), "");
    Find<QLineEdit>(&add, CSmOperatorEditDlg::kNumberEdit)->setText(c.number);
    Find<QLineEdit>(&add, CSmOperatorEditDlg::kNameEdit)->setText(QString::fromUtf8(c.name));
    Click(&add, SM_ID_OK);
    EXPECT_NE(add.result(), QDialog::Accepted) << c.number;
    EXPECT_EQ(CSmMessageService::Instance().LastText(), c.message) << c.number;
  }
  EXPECT_EQ(db->QueryInt("Select Count(*) From OPR Where Opno<'101'"), 0);
  EXPECT_EQ(Find<QLineEdit>(&rename, CSmOperatorEditDlg::kNumberEdit)->maxLength(), 3);

  // The administrator keeps his number; the list shows every operator.
  CSmOperator admin;
  ASSERT_TRUE(admin.LoadByCode("101", db));
  CSmOperatorEditDlg editAdmin(&app, admin, "101");
  EXPECT_TRUE(Find<QLineEdit>(&editAdmin, CSmOperatorEditDlg::kNumberEdit)->isReadOnly());
  CSmOperatorDlg list(&app);
  EXPECT_EQ(Find<QTreeWidget>(&list, CSmOperatorDlg::kOperatorList)->topLevelItemCount(), 2);
  app.ExitInstance();
}

TEST_F(LoginTest, PasswordDialogChecksTheOldOneAndCancelsAPassword) {
  const std::string root = Root("password");
  const std::string file = SmCreateTestDataFile(2026, root + "/001");
  SetAdminPassword(file, "old");
  LoginApp app("LoginPassword");
  app.m_env.SetRootDir(root);
  OnModal(815, [&](QWidget* dlg) { LogInTo(dlg, file, "101", "old"); });
  ASSERT_TRUE(app.LogIn(""));

  CSmPasswordDlg dlg(&app);
  Find<QLineEdit>(&dlg, CSmPasswordDlg::kFirstEdit)->setText("bad");
  Click(&dlg, SM_ID_OK);
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "老口令校验不能通过！");
  EXPECT_EQ(dlg.Step(), 0);
  Find<QLineEdit>(&dlg, CSmPasswordDlg::kFirstEdit)->setText("OLD");
  Click(&dlg, SM_ID_OK);
  ASSERT_EQ(dlg.Step(), 1);
  Find<QLineEdit>(&dlg, CSmPasswordDlg::kFirstEdit)->setText("a");
  Find<QLineEdit>(&dlg, CSmPasswordDlg::kSecondEdit)->setText("b");
  Click(&dlg, SM_ID_OK);
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "两次输入不一致！请重新确认。");
  Find<QLineEdit>(&dlg, CSmPasswordDlg::kFirstEdit)->clear();
  Find<QLineEdit>(&dlg, CSmPasswordDlg::kSecondEdit)->clear();
  Click(&dlg, SM_ID_OK);
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "您的口令已被取消!");
  CSmOperator op;
  ASSERT_TRUE(op.LoadByCode("101", app.GetDatabase()));
  EXPECT_EQ(op.StoredPassword(), "\x07");
  app.ExitInstance();
}

TEST_F(LoginTest, NamedFileIsPreselectedAndABadOneEndsTheStartWithAFailure) {
  const std::string root = Root("named");
  const std::string file = SmCreateTestDataFile(2026, root + "/002");
  {
    LoginApp app("LoginNamed");
    OnModal(815, [&](QWidget* dlg) {
      EXPECT_EQ(SelectedFile(dlg), file);
      ChooseOperator(dlg, "101");
      Click(dlg, SM_ID_OK);
    });
    ASSERT_TRUE(app.LogIn(file));
    EXPECT_EQ(app.m_env.GetDataFileName(), file);
    app.ExitInstance();
  }
  SmResetMessages();
  LoginApp app("LoginNamed");
  EXPECT_FALSE(app.InitInstance({root + "/002/1999.tsd"}));
  EXPECT_FALSE(CSmMessageService::Instance().Shown().empty());
  EXPECT_NE(app.ExitInstance(), 0);
}

TEST_F(LoginTest, ServerYearFilesAreChosenFromTheirDataSource) {
  ASSERT_FALSE(SmPgEnv("SM_PG_PORT").empty()) << "run the tests through make test";
  ASSERT_TRUE(SmPgWriteTestDsn());
  const CSmConnInfo login = SmPgLogin(1);
  LoginApp app("LoginServer", "tsn");  // this test's own databases on the shared server
  {
    CSmDatabase master(1);
    ASSERT_TRUE(master.Open("master", login));
    master.ExecuteSQL("Drop Database If Exists tsn00092016 With (FORCE)", {}, 128, false);
  }
  ASSERT_TRUE(app.m_env.WriteDbLogin(login));
  std::string name;
  ASSERT_TRUE(SmCreateServerYearFile(app, 1, login, "0009", 2016, &name));
  app.m_env.SetDatabaseKind(1);
  OnModal(815, [&](QWidget* dlg) {
    auto* tree = static_cast<CSmOpenDataFileDlg*>(dlg)->Tree();
    EXPECT_EQ(tree->topLevelItem(0)->text(0).toStdString(), "数据源");
    if (!tree->SelectFile(name)) {
      ADD_FAILURE() << name << " is not listed";
      Click(dlg, SM_ID_CANCEL);
      return;
    }
    EXPECT_EQ(tree->currentItem()->text(0).toStdString(), "2016 年");
    EXPECT_EQ(tree->currentItem()->parent()->text(0).toStdString().rfind("0009 ", 0), 0u);
    ChooseOperator(dlg, "101");
    Click(dlg, SM_ID_OK);
    if (dlg->isVisible()) Click(dlg, SM_ID_CANCEL);
  });
  ASSERT_TRUE(app.LogIn(""));
  EXPECT_EQ(app.m_env.GetDatabaseKind(), 1);
  EXPECT_EQ(app.m_env.GetDataFileName(), name);
  app.ExitInstance();
  CSmDatabase master(1);
  ASSERT_TRUE(master.Open("master", login));
  master.ExecuteSQL("Drop Database " + name + " With (FORCE)", {}, 128, false);
}

}  // namespace
