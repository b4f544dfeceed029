// The server side of the open-data-file dialog and the commands of its account-set tree: new
// data sources, new yearly databases, a data source's user, deleting data sources and year
// files. Data sources live in an odbc.ini of the test home; the databases on the test server.
#include <gtest/gtest.h>

#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QSettings>
#include <algorithm>
#include <memory>

#include "app/SmOpenDataDlg.h"
#include "app/SmServerYearFile.h"
#include "core/SmDatabase.h"
#include "core/SmOdbcBackend.h"
#include "platform/SmCommandIds.h"
#include "tests/app/test_login_fixture.h"
#include "tests/common/SmTestDataFile.h"
#include "tests/core/test_server_fixture.h"

namespace {

constexpr int kConvert = 43161;
constexpr int kNewButton = 1075;

// Points the driver manager at a fresh user odbc.ini holding the data sources named, each of
// `driver` and on a port where nothing listens.
void UseDataSources(const std::string& file, const std::vector<std::string>& names,
                    const std::string& driver = SmOdbcDriverName()) {
  const std::string path = SmTestHome() + "/" + file;
  QFile::remove(QString::fromStdString(path));
  setenv("ODBCINI", path.c_str(), 1);
  for (const std::string& name : names)
    ASSERT_TRUE(SmConfigDataSource(SM_DSN_ADD, driver,
                                   {"DSN=" + name, "Server=127.0.0.1,1", "DataBase=other"}));
}

std::vector<std::string> DataSources() {
  std::vector<std::string> names;
  ListOdbcDataSourcesOfDriver(names, SmOdbcDriverName());
  std::sort(names.begin(), names.end());
  return names;
}

// The texts of the nodes under the top node.
std::vector<std::string> SourceNodes(CBookDirTree* tree) {
  std::vector<std::string> texts;
  QTreeWidgetItem* top = tree->topLevelItem(0);
  for (int i = 0; i < top->childCount(); ++i) texts.push_back(top->child(i)->text(0).toStdString());
  std::sort(texts.begin(), texts.end());
  return texts;
}

void SelectSource(CBookDirTree* tree, const std::string& name) {
  QTreeWidgetItem* top = tree->topLevelItem(0);
  for (int i = 0; i < top->childCount(); ++i) {
    if (top->child(i)->text(0).toStdString() == name) tree->setCurrentItem(top->child(i));
  }
  ASSERT_EQ(tree->SelectedDataSource(), name);
}

bool ServerDatabaseExists(const std::string& name) {
  CSmDatabase master(1);
  return master.Open("master", SmPgLogin(1)) && master.DatabaseExists(name);
}

void DropServerDatabase(const std::string& name) {
  CSmDatabase master(1);
  ASSERT_TRUE(master.Open("master", SmPgLogin(1))) << "cannot reach the test server";
  master.ExecuteSQL("Drop Database If Exists " + name + " With (FORCE)", {}, 128, false);
}

class OpenDataDlgTest : public testing::Test {
 protected:
  void SetUp() override { SmResetMessages(); }

  // The dialog on the server kind (1) or on Access files under `root` (0).
  std::unique_ptr<CSmOpenDataFileDlg> Dialog(LoginApp& app, int kind,
                                             const std::string& root = {}) {
    CSmEnvironment env(kind);
    env.SetRootDir(root);
    return std::make_unique<CSmOpenDataFileDlg>(env, 1, &app);
  }

  // The test server's data source with its saved login.
  static void UseTestServer(LoginApp& app) {
    ASSERT_FALSE(SmPgEnv("SM_PG_PORT").empty()) << "run the tests through make test";
    ASSERT_TRUE(SmPgWriteTestDsn());
    ASSERT_TRUE(app.m_env.WriteDbLogin(SmPgLogin(1)));
  }

  QObject m_timers;
};

TEST_F(OpenDataDlgTest, NewDataSourcesAreNamedAfterTheDriversOthers) {
  struct Case {
    std::vector<std::string> ofDriver;
    std::vector<std::string> ofOtherDriver;
    std::string made;
  };
  const Case cases[] = {
      {{}, {}, "MQIS"},
      {{"MQIS", "MQIS3", "MQIS7"}, {}, "MQIS8"},
      {{"Weighbridge"}, {}, "MQIS1"},
      {{}, {"MQIS9"}, "MQIS"},  // another driver's sources do not count
  };
  LoginApp app("OpenDataNames");
  int n = 0;
  for (const Case& c : cases) {
    SmResetMessages();
    const std::string ini = "names" + std::to_string(++n) + ".ini";
    UseDataSources(ini, c.ofDriver);
    for (const std::string& other : c.ofOtherDriver)
      ASSERT_TRUE(SmConfigDataSource(SM_DSN_ADD, "PostgreSQL ANSI", {"DSN=" + other}));
    auto dlg = Dialog(app, 1);
    CBookDirTree* tree = dlg->Tree();
    EXPECT_EQ(SourceNodes(tree), c.ofDriver) << c.made;
    tree->setCurrentItem(tree->topLevelItem(0));
    Click(dlg.get(), kNewButton);

    std::vector<std::string> expected = c.ofDriver;
    expected.push_back(c.made);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(DataSources(), expected) << c.made;
    EXPECT_EQ(SourceNodes(tree), expected) << c.made;  // the tree was refilled
    QSettings written(QString::fromStdString(SmTestHome() + "/" + ini), QSettings::IniFormat);
    written.beginGroup(QString::fromStdString(c.made));
    EXPECT_EQ(written.value("Servername").toString(), "localhost") << c.made;
    EXPECT_EQ(written.value("Database").toString(), "postgres") << c.made;
    EXPECT_TRUE(CSmMessageService::Instance().Shown().empty()) << c.made;
  }
}

TEST_F(OpenDataDlgTest, TreeCommandsOnADataSourceConfigureAndDeleteIt) {
  LoginApp app("OpenDataSourceCommands");
  UseDataSources("commands.ini", {"MQIS3", "Scale"});
  auto dlg = Dialog(app, 1);
  CBookDirTree* tree = dlg->Tree();
  tree->setCurrentItem(tree->topLevelItem(0));
  for (int id : {SM_ID_LIST_OPEN, SM_ID_LIST_MODIFY, SM_ID_LIST_DELETE})
    EXPECT_FALSE(tree->IsCommandEnabled(id)) << id;
  EXPECT_TRUE(tree->IsCommandEnabled(SM_ID_LIST_ADD));
  SelectSource(tree, "MQIS3");
  for (int id : {SM_ID_LIST_OPEN, SM_ID_LIST_MODIFY, SM_ID_LIST_DELETE})
    EXPECT_TRUE(tree->IsCommandEnabled(id)) << id;
  for (int id : {kConvert, static_cast<int>(SM_ID_EDIT_FIND), static_cast<int>(SM_ID_EDIT_COPY)})
    EXPECT_FALSE(tree->IsCommandEnabled(id)) << id;
  const std::unique_ptr<QMenu> menu = tree->CreateContextMenu();
  bool configure = false;
  for (QAction* action : menu->actions())
    configure = configure || action->text() == QStringLiteral("配置(&M)\tCtrl+M");
  EXPECT_TRUE(configure);

  // Configuring points the data source at the server's maintenance database.
  ASSERT_TRUE(tree->RunCommand(SM_ID_LIST_MODIFY));
  QSettings written(QString::fromStdString(SmTestHome() + "/commands.ini"), QSettings::IniFormat);
  EXPECT_EQ(written.value("MQIS3/Database").toString(), "postgres");
  EXPECT_EQ(tree->SelectedDataSource(), "MQIS3");  // the refill keeps the selection

  CSmMessageService::Instance().QueueAnswer(SM_IDNO);
  ASSERT_TRUE(tree->RunCommand(SM_ID_LIST_DELETE));
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "真的要删除“MQIS3”这个数据库连接吗？");
  EXPECT_EQ(DataSources(), (std::vector<std::string>{"MQIS3", "Scale"}));

  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  ASSERT_TRUE(tree->RunCommand(SM_ID_LIST_DELETE));
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "已成功删除数据库连接！");
  EXPECT_EQ(DataSources(), std::vector<std::string>{"Scale"});
  EXPECT_EQ(SourceNodes(tree), std::vector<std::string>{"Scale"});
}

TEST_F(OpenDataDlgTest, TheUserOfADataSourceIsSavedOnlyWhenItConnects) {
  ASSERT_FALSE(SmPgEnv("SM_PG_PORT").empty()) << "run the tests through make test";
  ASSERT_TRUE(SmPgWriteTestDsn());
  LoginApp app("OpenDataUser");
  auto dlg = Dialog(app, 1);
  CBookDirTree* tree = dlg->Tree();
  SelectSource(tree, kSmTestDsn);
  const CSmConnInfo right = SmPgLogin(1);
  std::string offered;
  OnModalOf(&m_timers, 793, [&](QWidget* login) {
    offered = Find<QLineEdit>(login, 1087)->text().toStdString();  // nothing saved yet
    Find<QLineEdit>(login, 1087)->setText(QString::fromStdString(right.user));
    Find<QLineEdit>(login, 1088)->setText("wrong");
    Click(login, 1);
  });
  ASSERT_TRUE(tree->RunCommand(SM_ID_LIST_OPEN));
  EXPECT_EQ(offered, "sa");
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "无法连接此数据源！");
  CSmConnInfo saved(1);
  saved.server = kSmTestDsn;
  EXPECT_FALSE(app.m_env.ReadDbLogin(saved));

  SmResetMessages();
  OnModalOf(&m_timers, 793, [&](QWidget* login) {
    Find<QLineEdit>(login, 1087)->clear();
    Click(login, 1);
    EXPECT_EQ(CSmMessageService::Instance().LastText(), "用户名不能为空！");
    EXPECT_TRUE(login->isVisible());
    Find<QLineEdit>(login, 1087)->setText(QString::fromStdString(right.user));
    Find<QLineEdit>(login, 1088)->setText(QString::fromStdString(right.password));
    Click(login, 1);
  });
  ASSERT_TRUE(tree->RunCommand(SM_ID_LIST_OPEN));
  ASSERT_TRUE(app.m_env.ReadDbLogin(saved));
  EXPECT_EQ(saved.user, right.user);
  EXPECT_EQ(saved.password, right.password);
  EXPECT_EQ(CSmMessageService::Instance().Shown().size(), 1u);
}

TEST_F(OpenDataDlgTest, NewServerYearFileIsMadeInTheSelectedDataSourceAndSelected) {
  LoginApp app("OpenDataNewYear", "tsq");  // this test's own databases on the shared server
  UseTestServer(app);
  for (const char* name : {"tsq00412016", "tsq00412017"}) DropServerDatabase(name);
  ASSERT_TRUE(SmConfigDataSource(SM_DSN_ADD, SmOdbcDriverName(),
                                 {"DSN=Unreachable", "Server=127.0.0.1,1"}));
  auto dlg = Dialog(app, 1);
  CBookDirTree* tree = dlg->Tree();

  // A data source whose server cannot be reached gets no new file.
  SelectSource(tree, "Unreachable");
  bool asked = false;
  {
    QObject watch;
    OnModalOf(&watch, 813, [&](QWidget* create) {
      asked = true;
      Click(create, 2);
    });
    Click(dlg.get(), kNewButton);
  }
  EXPECT_FALSE(asked);
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "无法打开此数据源！");

  SmResetMessages();
  SelectSource(tree, kSmTestDsn);
  OnModalOf(&m_timers, 813, [](QWidget* create) {
    Find<QLineEdit>(create, 1003)->setText("41");
    Find<QLineEdit>(create, 1004)->setText("2016");
    Find<QLineEdit>(create, 1005)->setText("第四糖厂");
    Click(create, 1);
  });
  Click(dlg.get(), kNewButton);
  EXPECT_EQ(SelectedFile(dlg.get()), "tsq00412016");
  ASSERT_NE(tree->currentItem(), nullptr);
  EXPECT_EQ(tree->currentItem()->text(0).toStdString(), "2016 年");
  EXPECT_EQ(tree->currentItem()->parent()->text(0).toStdString(), "0041 第四糖厂");
  EXPECT_TRUE(ServerDatabaseExists("tsq00412016"));

  // With the year selected its account set is proposed; a year that exists is refused.
  std::string proposed;
  OnModalOf(&m_timers, 813, [&](QWidget* create) {
    proposed = Find<QLineEdit>(create, 1003)->text().toStdString();
    Find<QLineEdit>(create, 1004)->setText("2016");
    Click(create, 1);
    EXPECT_EQ(CSmMessageService::Instance().LastText(), "下列数据文件已存在：\ntsq00412016！");
    Find<QLineEdit>(create, 1004)->setText("2017");
    Click(create, 1);
    if (create->isVisible()) Click(create, 2);
  });
  Click(dlg.get(), kNewButton);
  EXPECT_EQ(proposed, "0041");
  EXPECT_EQ(SelectedFile(dlg.get()), "tsq00412017");

  // The new file is this program's own: it opens without an upgrade question.
  SmResetMessages();
  ChooseOperator(dlg.get(), "101");
  Click(dlg.get(), 1);
  EXPECT_EQ(dlg->result(), QDialog::Accepted) << CSmMessageService::Instance().LastText();
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
  EXPECT_EQ(dlg->GetEnvironment().GetDataFileName(), "tsq00412017");
  for (const char* name : {"tsq00412016", "tsq00412017"}) DropServerDatabase(name);
}

// Deleting a year file: operator 101 with his password, a confirmation, and never the file the
// running session has open. Access files and server databases alike.
class DeleteYearFileTest : public OpenDataDlgTest, public testing::WithParamInterface<int> {};

INSTANTIATE_TEST_SUITE_P(Kinds, DeleteYearFileTest, testing::Values(0, 1));

TEST_P(DeleteYearFileTest, NeedsTheAdministratorsPasswordAndConfirmation) {
  const int kind = GetParam();
  LoginApp app("OpenDataDelete", kind == 0 ? "tsd" : "tsr");
  const std::string root = SmTestHome() + "/delete";
  std::string file;
  std::string source;
  if (kind == 0) {
    file = SmCreateTestDataFile(2026, root + "/001");
    ASSERT_FALSE(file.empty());
  } else {
    UseTestServer(app);
    DropServerDatabase("tsr00512016");
    source = kSmTestDsn;
    ASSERT_TRUE(SmCreateServerYearFile(app, 1, SmPgLogin(1), "0051", 2016, &file));
  }
  const auto exists = [&] {
    return kind == 0 ? QFile::exists(QString::fromStdString(file)) : ServerDatabaseExists(file);
  };
  {
    CSmDatabase db(kind);
    ASSERT_TRUE(db.Open(file, kind == 0 ? CSmConnInfo(0) : SmPgLogin(1)));
    ASSERT_TRUE(CSmOperator("101", "管理员", "adm").SetPassword(&db));
  }
  auto dlg = Dialog(app, kind, root);
  CBookDirTree* tree = dlg->Tree();
  ASSERT_TRUE(tree->SelectFile(file));
  EXPECT_TRUE(tree->IsCommandEnabled(SM_ID_LIST_DELETE));
  EXPECT_FALSE(tree->IsCommandEnabled(SM_ID_LIST_MODIFY));
  auto* password = Find<QLineEdit>(dlg.get(), 1049);

  struct Step {
    const char* opno;
    const char* password;
    int answer;  // to the question, 0 when none is asked
    std::string message;
  };
  const Step refused[] = {
      {"102", "adm", 0, "请选择系统管理操作员“101”，并输入其口令！"},
      {"101", "wrong", 0, "系统操作员口令有误，请重输！"},
      {"101", "ADM", SM_IDNO, "真的要删除下列数据文件吗？\n\t" + file},
  };
  for (const Step& step : refused) {
    SmResetMessages();
    ChooseOperator(dlg.get(), step.opno);
    password->setText(step.password);
    if (step.answer) CSmMessageService::Instance().QueueAnswer(step.answer);
    ASSERT_TRUE(tree->RunCommand(SM_ID_LIST_DELETE));
    EXPECT_EQ(CSmMessageService::Instance().LastText(), step.message) << step.password;
    EXPECT_TRUE(exists()) << step.password;
  }

  // The file the running session has open stays.
  SmResetMessages();
  app.m_env.SetKind(kind);
  ASSERT_TRUE(app.m_env.OpenFile(source, file, "101", true));
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  ASSERT_TRUE(tree->RunCommand(SM_ID_LIST_DELETE));
  EXPECT_EQ(CSmMessageService::Instance().LastText(),
            "删除数据文件失败，可能是别人正在使用该数据文件！");
  app.m_env.Close();
  EXPECT_TRUE(exists());

  SmResetMessages();
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  ASSERT_TRUE(tree->RunCommand(SM_ID_LIST_DELETE));
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "下列数据文件已被删除！\n\t" + file);
  EXPECT_FALSE(exists());
  EXPECT_FALSE(tree->SelectFile(file));  // gone from the tree
}

}  // namespace
