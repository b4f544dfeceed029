// The new-yearly-data-file dialog reached from the log-in: a first start creates its file, and
// on the server a data source gets a new account set and its next year.
#include <gtest/gtest.h>

#include <QDir>
#include <QLineEdit>
#include <QTreeWidget>

#include "admin/SmAdminCommands.h"
#include "admin/SmNewYearFileDlg.h"
#include "app/SmOperatorDlg.h"
#include "app/SmServerYearFile.h"
#include "core/SmDatabase.h"
#include "core/SmRegKey.h"
#include "platform/SmCommandIds.h"
#include "tests/app/test_login_fixture.h"
#include "tests/core/test_server_fixture.h"

namespace {

class NewYearFileLoginTest : public testing::Test {
 protected:
  void SetUp() override { SmResetMessages(); }
  void OnModal(int id, std::function<void(QWidget*)> action) {
    OnModalOf(&m_timers, id, std::move(action));
  }
  static long Count(const std::string& file, const std::string& sql) {
    CSmDatabase db(0);
    if (!db.Open(file, CSmConnInfo(0))) return -1;
    return db.QueryInt(sql);
  }
  static void DropServerDatabase(const std::string& name) {
    CSmDatabase master(1);
    ASSERT_TRUE(master.Open("master", SmPgLogin(1))) << "cannot reach the test server";
    master.ExecuteSQL("Drop Database If Exists " + name + " With (FORCE)", {}, 128, false);
  }
  static bool ServerDatabaseExists(const std::string& name) {
    CSmDatabase master(1);
    return master.Open("master", SmPgLogin(1)) && master.DatabaseExists(name);
  }

  QObject m_timers;
};

}  // namespace

TEST_F(NewYearFileLoginTest, FirstStartCreatesAYearFileAndWorksUntilExit) {
  const std::string root = QDir::homePath().toStdString() + "/Vornel数据";
  QDir(QString::fromStdString(root)).removeRecursively();
  CSmRegKey().DeleteKeyTree(SM_HKEY_CURRENT_USER, "Software\\reduvor\\LoginFirst");
  std::string file;
  {
    LoginApp app("LoginFirst");
    SmInstallAdminCommands(app);
    OnModal(815, [&](QWidget* dlg) {
      // Nothing saved: the dialog starts on the default folder of account sets.
      EXPECT_EQ(
          Find<QTreeWidget>(dlg, CSmOpenDataFileDlg::kTree)->topLevelItem(0)->text(0).toStdString(),
          root);
      OnModal(813, [&](QWidget* create) {
        // Nothing selected: a new account set is proposed.
        EXPECT_EQ(Find<QLineEdit>(create, CSmNewYearFileDlg::kPlaceEdit)->text().toStdString(),
                  root + "/001");
        Find<QLineEdit>(create, CSmNewYearFileDlg::kYearEdit)->setText("2026");
        CSmMessageService::Instance().QueueAnswer(SM_IDYES);
        Click(create, SM_ID_OK);
      });
      Click(dlg, CSmOpenDataFileDlg::kNewButton);
      EXPECT_EQ(CSmMessageService::Instance().LastText(),
                "数据文件“" + root + "/001/2026.tsd” 创建成功！");
      SmResetMessages();
      file = SelectedFile(dlg);
      ChooseOperator(dlg, "101");
      Click(dlg, SM_ID_OK);
    });
    ASSERT_TRUE(app.InitInstance({}));
    EXPECT_EQ(file, root + "/001/2026.tsd");
    // The new file is this program's: no upgrade question.
    EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
    EXPECT_EQ(app.m_env.GetOperatorNo(), "101");
    EXPECT_NE(app.GetMainWnd()->windowTitle().toStdString().find("2026.tsd"), std::string::npos);

    // The administrator sets a password for the next start.
    OnModal(812, [](QWidget* dlg) {
      Click(dlg, SM_ID_OK);  // old password: empty
      Find<QLineEdit>(dlg, CSmPasswordDlg::kFirstEdit)->setText("Cane7");
      Find<QLineEdit>(dlg, CSmPasswordDlg::kSecondEdit)->setText("cane7");
      Click(dlg, SM_ID_OK);
    });
    app.OnPassword();
    EXPECT_TRUE(Shown("您的口令设置成功，请牢记之！"));
    app.GetMainWnd()->close();
    EXPECT_EQ(app.ExitInstance(), 0);
  }
  // One work session with its start and end, and its two rows in the log.
  EXPECT_EQ(Count(file, "Select Count(*) From SmTask Where sT1<>'' And sT2>=sT1"), 1);
  EXPECT_EQ(Count(file, "Select Count(*) From SmLog Where sNote Like '*开始工作'"), 1);
  EXPECT_EQ(Count(file, "Select Count(*) From SmLog Where sNote Like '*结束工作'"), 1);

  SmResetMessages();
  LoginApp again("LoginFirst");
  OnModal(815, [&](QWidget* dlg) {
    // The last log-in is offered again.
    EXPECT_EQ(SelectedFile(dlg), file);
    EXPECT_TRUE(
        Find<QComboBox>(dlg, CSmOpenDataFileDlg::kOperatorCombo)->currentText().startsWith("101 "));
    Find<QLineEdit>(dlg, CSmOpenDataFileDlg::kPasswordEdit)
        ->setText("CANE7");  // case does not matter
    Click(dlg, SM_ID_OK);
  });
  ASSERT_TRUE(again.InitInstance({}));
  EXPECT_EQ(again.ExitInstance(), 0);
  EXPECT_EQ(Count(file, "Select Count(*) From SmLog Where sNote Like '*开始工作'"), 2);
  EXPECT_EQ(Count(file, "Select Count(*) From SmLog Where sNote Like '*结束工作'"), 2);
  const std::string key = "Software\\reduvor\\LoginFirst\\5.0";
  std::string value;
  ASSERT_TRUE(CSmRegKey().Open(SM_HKEY_CURRENT_USER, key, "DBType", value));
  EXPECT_EQ(value, "0");
  ASSERT_TRUE(CSmRegKey().Open(SM_HKEY_CURRENT_USER, key, "Opno", value));
  EXPECT_EQ(value, "101");
  ASSERT_TRUE(CSmRegKey().Open(SM_HKEY_CURRENT_USER, key, "RootDir", value));
  EXPECT_EQ(value, root);
  ASSERT_TRUE(CSmRegKey().Open(SM_HKEY_CURRENT_USER, key, "DataDir", value));
  EXPECT_EQ(value, file);
}

TEST_F(NewYearFileLoginTest, ADataSourceGetsANewAccountSetAndItsNextYear) {
  ASSERT_FALSE(SmPgEnv("SM_PG_PORT").empty()) << "run the tests through make test";
  LoginApp app("OpenDataNewYear", "tsq");  // this test's own databases on the shared server
  SmInstallAdminCommands(app);
  ASSERT_TRUE(SmPgWriteTestDsn());
  ASSERT_TRUE(app.m_env.WriteDbLogin(SmPgLogin(1)));
  for (const char* name : {"tsq00412016", "tsq00412017"}) DropServerDatabase(name);
  auto dlg = std::make_unique<CSmOpenDataFileDlg>(CSmEnvironment(1), 1, &app);
  CBookDirTree* tree = dlg->Tree();
  QTreeWidgetItem* top = tree->topLevelItem(0);
  for (int i = 0; i < top->childCount(); ++i) {
    if (top->child(i)->text(0).toStdString() == kSmTestDsn) tree->setCurrentItem(top->child(i));
  }
  ASSERT_EQ(tree->SelectedDataSource(), kSmTestDsn);
  SmResetMessages();
  OnModalOf(&m_timers, 813, [](QWidget* create) {
    Find<QLineEdit>(create, CSmNewYearFileDlg::kPlaceEdit)->setText("41");
    Find<QLineEdit>(create, CSmNewYearFileDlg::kYearEdit)->setText("2016");
    CSmMessageService::Instance().QueueAnswer(SM_IDYES);
    Click(create, SM_ID_OK);
  });
  Click(dlg.get(), CSmOpenDataFileDlg::kNewButton);
  EXPECT_EQ(SelectedFile(dlg.get()), "tsq00412016");
  ASSERT_NE(tree->currentItem(), nullptr);
  EXPECT_EQ(tree->currentItem()->text(0).toStdString(), "2016 年");
  EXPECT_EQ(tree->currentItem()->parent()->text(0).toStdString(), "0041 ××单位");
  EXPECT_TRUE(ServerDatabaseExists("tsq00412016"));

  // With the year selected its account set is proposed; a year that exists is refused.
  std::string proposed;
  OnModalOf(&m_timers, 813, [&](QWidget* create) {
    proposed = Find<QLineEdit>(create, CSmNewYearFileDlg::kPlaceEdit)->text().toStdString();
    Find<QLineEdit>(create, CSmNewYearFileDlg::kYearEdit)->setText("2016");
    Click(create, SM_ID_OK);
    EXPECT_EQ(CSmMessageService::Instance().LastText(), "下列数据文件已存在：\ntsq00412016！");
    Find<QLineEdit>(create, CSmNewYearFileDlg::kYearEdit)->setText("2017");
    CSmMessageService::Instance().QueueAnswer(SM_IDYES);  // create
    CSmMessageService::Instance().QueueAnswer(SM_IDNO);   // no carry-over
    Click(create, SM_ID_OK);
    if (create->isVisible()) Click(create, SM_ID_CANCEL);
  });
  Click(dlg.get(), CSmOpenDataFileDlg::kNewButton);
  EXPECT_EQ(proposed, "0041");
  EXPECT_EQ(SelectedFile(dlg.get()), "tsq00412017");

  // The new file is this program's own: it opens without an upgrade question.
  SmResetMessages();
  ChooseOperator(dlg.get(), "101");
  Click(dlg.get(), SM_ID_OK);
  EXPECT_EQ(dlg->result(), QDialog::Accepted) << CSmMessageService::Instance().LastText();
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
  EXPECT_EQ(dlg->GetEnvironment().GetDataFileName(), "tsq00412017");
  for (const char* name : {"tsq00412016", "tsq00412017"}) DropServerDatabase(name);
}
