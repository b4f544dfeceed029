// The server side of the open-data-file dialog and the commands of its account-set tree: new
// data sources, new yearly databases, a data source's user, deleting data sources and year
// files. Data sources live in an odbc.ini of the test home; the databases on the test server.
#include <gtest/gtest.h>

#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QSettings>
#include <QTextStream>
#include <algorithm>
#include <memory>

#include "app/SmBookStore.h"
#include "app/SmDbLoginDlg.h"
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

// Answers the data-source setup (793 with server fields) once with the server and login.
void AnswerSetup(QObject* owner, const std::string& host, const std::string& port,
                 const CSmConnInfo& login, std::string* title = nullptr) {
  OnModalOf(owner, 793, [=](QWidget* setup) {
    if (title) *title = setup->windowTitle().toStdString();
    Find<QLineEdit>(setup, CSmDbLoginDlg::kHostEdit)->setText(QString::fromStdString(host));
    Find<QLineEdit>(setup, CSmDbLoginDlg::kPortEdit)->setText(QString::fromStdString(port));
    Find<QLineEdit>(setup, CSmDbLoginDlg::kUserEdit)->setText(QString::fromStdString(login.user));
    Find<QLineEdit>(setup, CSmDbLoginDlg::kPasswordEdit)
        ->setText(QString::fromStdString(login.password));
    Click(setup, SM_ID_OK);
  });
}

// Lines of the test server's log that hold the text.
int ServerLogLines(const QString& text) {
  QFile log(QString::fromStdString(SmPgEnv("SM_PG_LOG")));
  if (!log.open(QIODevice::ReadOnly)) return -1;
  int count = 0;
  for (QTextStream in(&log); !in.atEnd();) count += in.readLine().contains(text) ? 1 : 0;
  return count;
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
  ASSERT_FALSE(SmPgEnv("SM_PG_PORT").empty()) << "run the tests through make test";
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
    std::string title;
    AnswerSetup(&m_timers, "127.0.0.1", SmPgEnv("SM_PG_PORT"), SmPgLogin(1), &title);
    Click(dlg.get(), CSmOpenDataFileDlg::kNewButton);
    EXPECT_EQ(title, "数据源“" + c.made + "”");

    std::vector<std::string> expected = c.ofDriver;
    expected.push_back(c.made);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(DataSources(), expected) << c.made;
    EXPECT_EQ(SourceNodes(tree), expected) << c.made;  // the tree was refilled
    QSettings written(QString::fromStdString(SmTestHome() + "/" + ini), QSettings::IniFormat);
    written.beginGroup(QString::fromStdString(c.made));
    EXPECT_EQ(written.value("Servername").toString(), "127.0.0.1") << c.made;
    EXPECT_EQ(written.value("Port").toString().toStdString(), SmPgEnv("SM_PG_PORT")) << c.made;
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
  AnswerSetup(&m_timers, "127.0.0.1", SmPgEnv("SM_PG_PORT"), SmPgLogin(1));
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

TEST_F(OpenDataDlgTest, ADataSourceSetUpWithHostAndPortReachesTheServerAtOnce) {
  ASSERT_FALSE(SmPgEnv("SM_PG_PORT").empty()) << "run the tests through make test";
  LoginApp app("OpenDataSetup");
  UseDataSources("setup.ini", {"Mill"});  // left pointing at a port where nothing listens
  auto dlg = Dialog(app, 1);
  CBookDirTree* tree = dlg->Tree();
  SelectSource(tree, "Mill");
  const CSmConnInfo login = SmPgLogin(1);

  // A wrong port: the driver's reason, the setup offered again as typed, and after a cancel
  // nothing is changed.
  std::string offeredAgain;
  OnModalOf(&m_timers, 793, [&](QWidget* setup) {
    Find<QLineEdit>(setup, CSmDbLoginDlg::kHostEdit)->setText("127.0.0.1");
    Find<QLineEdit>(setup, CSmDbLoginDlg::kPortEdit)->setText("1");
    Find<QLineEdit>(setup, CSmDbLoginDlg::kUserEdit)->setText(QString::fromStdString(login.user));
    Find<QLineEdit>(setup, CSmDbLoginDlg::kPasswordEdit)
        ->setText(QString::fromStdString(login.password));
    OnModalOf(&m_timers, 793, [&](QWidget* again) {
      offeredAgain = Find<QLineEdit>(again, CSmDbLoginDlg::kPortEdit)->text().toStdString();
      Click(again, SM_ID_CANCEL);
    });
    Click(setup, SM_ID_OK);
  });
  ASSERT_TRUE(tree->RunCommand(SM_ID_LIST_MODIFY));
  const std::string refused = CSmMessageService::Instance().LastText();
  EXPECT_EQ(refused.rfind("无法连接此数据源！\n", 0), 0u) << refused;
  EXPECT_NE(refused.find("port 1 failed"), std::string::npos) << refused;
  EXPECT_EQ(offeredAgain, "1");
  EXPECT_TRUE(CSmBookStore::DataSourceLogin("Mill").host.empty());

  // The right port: saved, and the data source reaches the server in this same run.
  SmResetMessages();
  AnswerSetup(&m_timers, "127.0.0.1", SmPgEnv("SM_PG_PORT"), login);
  ASSERT_TRUE(tree->RunCommand(SM_ID_LIST_MODIFY));
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty())
      << CSmMessageService::Instance().LastText();
  const SmDataSourceSetup saved = CSmBookStore::ReadSetup("Mill");
  EXPECT_EQ(saved.host, "127.0.0.1");
  EXPECT_EQ(saved.port, SmPgEnv("SM_PG_PORT"));
  EXPECT_EQ(saved.user, login.user);
  CSmDatabase reached(1);
  EXPECT_TRUE(reached.Open("master", CSmBookStore::DataSourceLogin("Mill"))) << reached.LastError();
  EXPECT_TRUE(reached.OnPostgres());

  // The setup's own checks.
  struct Case {
    const char* host;
    const char* port;
    const char* user;
    const char* message;
  };
  const Case bad[] = {
      {"", "5432", "sa", "服务器不能为空！"},
      {"db", "65536", "sa", "端口应是1到65535之间的整数！"},
      {"db", "x1", "sa", "端口应是1到65535之间的整数！"},
      {"db", "", "", "用户名不能为空！"},
  };
  CSmDbLoginDlg setup;
  setup.SetServer("", "");
  for (const Case& c : bad) {
    SmResetMessages();
    Find<QLineEdit>(&setup, CSmDbLoginDlg::kHostEdit)->setText(c.host);
    Find<QLineEdit>(&setup, CSmDbLoginDlg::kPortEdit)->setText(c.port);
    Find<QLineEdit>(&setup, CSmDbLoginDlg::kUserEdit)->setText(c.user);
    EXPECT_FALSE(setup.ValidateAndSave()) << c.message;
    EXPECT_EQ(CSmMessageService::Instance().LastText(), c.message);
  }
}

TEST_F(OpenDataDlgTest, ListingAndCreatingTryNoMissingDatabaseOnTheServer) {
  LoginApp app("OpenDataNoMaster", "tsv");
  UseTestServer(app);
  const int before = ServerLogLines("\"master\" does not exist");
  ASSERT_GE(before, 0) << "the server's log (SM_PG_LOG) cannot be read";
  DropServerDatabase("tsv00612016");
  ASSERT_TRUE(SmCreateServerYearFile(app, 1, SmPgLogin(1), "0061", 2016));
  auto dlg = Dialog(app, 1);  // lists every data source with its account sets
  EXPECT_TRUE(dlg->Tree()->SelectFile("tsv00612016", kSmTestDsn));
  for (int kind : {1, 2}) {
    std::vector<SmServerAccountSet> sets;
    EXPECT_EQ(SmListServerAccountSets(kind, SmPgLogin(kind), "tsv", sets), 1) << kind;
  }
  EXPECT_EQ(ServerLogLines("\"master\" does not exist"), before);
  DropServerDatabase("tsv00612016");
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
    offered = Find<QLineEdit>(login, CSmDbLoginDlg::kUserEdit)
                  ->text()
                  .toStdString();  // nothing saved yet
    Find<QLineEdit>(login, CSmDbLoginDlg::kUserEdit)->setText(QString::fromStdString(right.user));
    Find<QLineEdit>(login, CSmDbLoginDlg::kPasswordEdit)->setText("wrong");
    Click(login, SM_ID_OK);
  });
  ASSERT_TRUE(tree->RunCommand(SM_ID_LIST_OPEN));
  EXPECT_EQ(offered, "sa");
  // The driver's reason follows.
  const std::string refused = CSmMessageService::Instance().LastText();
  EXPECT_EQ(refused.rfind("无法连接此数据源！\n", 0), 0u) << refused;
  EXPECT_NE(refused.find("password authentication failed"), std::string::npos) << refused;
  CSmConnInfo saved(1);
  saved.server = kSmTestDsn;
  EXPECT_FALSE(app.m_env.ReadDbLogin(saved));

  SmResetMessages();
  OnModalOf(&m_timers, 793, [&](QWidget* login) {
    Find<QLineEdit>(login, CSmDbLoginDlg::kUserEdit)->clear();
    Click(login, SM_ID_OK);
    EXPECT_EQ(CSmMessageService::Instance().LastText(), "用户名不能为空！");
    EXPECT_TRUE(login->isVisible());
    Find<QLineEdit>(login, CSmDbLoginDlg::kUserEdit)->setText(QString::fromStdString(right.user));
    Find<QLineEdit>(login, CSmDbLoginDlg::kPasswordEdit)
        ->setText(QString::fromStdString(right.password));
    Click(login, SM_ID_OK);
  });
  ASSERT_TRUE(tree->RunCommand(SM_ID_LIST_OPEN));
  ASSERT_TRUE(app.m_env.ReadDbLogin(saved));
  EXPECT_EQ(saved.user, right.user);
  EXPECT_EQ(saved.password, right.password);
  EXPECT_EQ(CSmMessageService::Instance().Shown().size(), 1u);
}

TEST_F(OpenDataDlgTest, ADataSourceThatCannotBeReachedGetsNoNewYearFile) {
  LoginApp app("OpenDataNewYear", "tsq");
  UseTestServer(app);
  ASSERT_TRUE(SmConfigDataSource(SM_DSN_ADD, SmOdbcDriverName(),
                                 {"DSN=Unreachable", "Server=127.0.0.1,1"}));
  auto dlg = Dialog(app, 1);
  SelectSource(dlg->Tree(), "Unreachable");
  Click(dlg.get(), CSmOpenDataFileDlg::kNewButton);
  EXPECT_EQ(CSmMessageService::Instance().Shown().size(), 1u);
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "无法打开此数据源！");
  // Without the data-file administration the dialog is not there.
  SmResetMessages();
  SelectSource(dlg->Tree(), kSmTestDsn);
  Click(dlg.get(), CSmOpenDataFileDlg::kNewButton);
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "该功能尚未提供。");
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
  auto* password = Find<QLineEdit>(dlg.get(), CSmOpenDataFileDlg::kPasswordEdit);

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
  if (kind == 1) {
    // The server names the machine by its address.
    EXPECT_TRUE(Shown("127.0.0.1\n上述机器上的程序正在使用当前数据库文件：\n" + file +
                      "\n不能以独占方式打开它！"))
        << CSmMessageService::Instance().Shown().front().text;
  }
  app.m_env.Close();
  EXPECT_TRUE(exists());

  SmResetMessages();
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  ASSERT_TRUE(tree->RunCommand(SM_ID_LIST_DELETE));
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "下列数据文件已被删除！\n\t" + file);
  EXPECT_FALSE(exists());
  EXPECT_FALSE(tree->SelectFile(file));  // gone from the tree
}

// A data file that another workstation has open is not deleted; once it lets go, it is.
TEST_F(OpenDataDlgTest, AYearFileOpenInAnotherProcessIsNotDeleted) {
  LoginApp app("OpenDataTwoProcesses");
  const std::string root = SmTestHome() + "/twoprocesses";
  const std::string file = SmCreateTestDataFile(2026, root + "/001");
  ASSERT_FALSE(file.empty());
  QProcess other;
  other.start(SM_HOLD_DATA_FILE, {QString::fromStdString(file)});
  ASSERT_TRUE(other.waitForStarted());
  ASSERT_TRUE(other.waitForReadyRead(10000));
  ASSERT_EQ(other.readLine().trimmed().toStdString(), "open");

  auto dlg = Dialog(app, 0, root);
  ASSERT_TRUE(dlg->Tree()->SelectFile(file));
  ChooseOperator(dlg.get(), "101");
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  ASSERT_TRUE(dlg->Tree()->RunCommand(SM_ID_LIST_DELETE));
  EXPECT_EQ(CSmMessageService::Instance().LastText(),
            "删除数据文件失败，可能是别人正在使用该数据文件！");
  EXPECT_TRUE(QFile::exists(QString::fromStdString(file)));

  other.closeWriteChannel();
  ASSERT_TRUE(other.waitForFinished(10000));
  EXPECT_EQ(other.exitCode(), 0);
  SmResetMessages();
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  ASSERT_TRUE(dlg->Tree()->RunCommand(SM_ID_LIST_DELETE));
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "下列数据文件已被删除！\n\t" + file);
  EXPECT_FALSE(QFile::exists(QString::fromStdString(file)));
  EXPECT_FALSE(QFile::exists(QString::fromStdString(file + ".lock")));
}

}  // namespace
