// The application's commands: which operator may use them, when a document window greys them,
// where they go, and the export of the standard interface data.
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMenu>

#include "app/SmApp.h"
#include "app/SmInterfaceExport.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "tests/common/SmTestMain.h"

namespace {

std::vector<std::string> g_calls;

// A module that says what it was asked to do.
class ModuleType : public CSmDataType {
 public:
  ModuleType(int number, bool opensLog) : m_opensLog(opensLog) { m_number = number; }
  void Init() override {
    Register(nullptr);
    CSmDataType::Init();
  }
  void OnFileNew() override { Record("new"); }
  void OnFileOpen() override { Record("open"); }
  bool OpenLogView() override {
    Record("log");
    return m_opensLog;
  }
  std::string GetFormatText() override {
    return "模块" + std::to_string(m_number) + "\r一\n二\r\n";
  }
  void ExportData() override {
    Record("export in " + QDir::current().dirName().toStdString());
    QFile file(QString("m%1.txt").arg(m_number));
    if (file.open(QIODevice::WriteOnly)) file.write("x");
  }

 private:
  void Record(const std::string& what) { g_calls.push_back(std::to_string(m_number) + " " + what); }
  bool m_opensLog;
};

class CommandApp : public CSmApp {
 public:
  bool boxVisible = true;
  std::vector<std::string> logIns;

  bool LogIn(const std::string& file) override {
    logIns.push_back(file);
    return true;
  }
  bool IsTemplateBoxVisible() const override { return boxVisible; }
  void ShowTemplateBox(bool show) override {
    g_calls.push_back(show ? "show box" : "hide box");
    boxVisible = show;
  }
  int GetSelectedPage() const override { return 0; }
  void OnOperators() override { g_calls.push_back("operators"); }
  void OnPassword() override { g_calls.push_back("password"); }
};

class AppCommandsTest : public testing::Test {
 protected:
  void SetUp() override {
    g_calls.clear();
    SmResetMessages();
    app.SetMainWnd(std::make_unique<CSmFrameWnd>());
    app.AdoptDataType(std::make_unique<ModuleType>(16, false))->Init();
    app.AdoptDataType(std::make_unique<ModuleType>(3, true))->Init();
  }
  void Login(const std::string& number, const std::string& rights) {
    app.m_env.SetOperatorNo(number);
    app.m_env.SetRights(rights);
  }
  void OpenDocumentWindow() {
    auto* child = new CSmChildFrame;
    child->setWidget(new QWidget);
    app.GetMainWnd()->AddChild(child);
  }
  static bool Enabled(int id) { return CSmCommandManager::Instance().Update(id); }

  CommandApp app;
};

TEST_F(AppCommandsTest, EnablingFollowsRightsAdministratorAndOpenDocuments) {
  struct Case {
    int id;
    const char* oper;
    const char* rights;
    bool document;
    bool enabled;
  };
  const Case cases[] = {
      {SM_ID_LOGIN, "102", "", false, true},
      {SM_ID_LOGIN, "101", "", true, false},
      {SM_ID_PASSWORD, "102", "", true, true},
      {SM_ID_FILE_NEW, "102", "", true, true},
      {SM_ID_FILE_OPEN, "102", "", true, true},
      {SM_ID_CALCULATOR, "102", "", true, true},
      {SM_ID_FILE_PRINT_SETUP, "102", "", true, true},
      {SM_ID_HELP, "102", "", true, true},
      {SM_ID_APP_ABOUT, "102", "", true, true},
      {SM_ID_DATA_CHECK, "102", "0003 ", false, true},
      {SM_ID_DATA_CHECK, "102", "0004 ", true, true},
      {SM_ID_DATA_CHECK, "101", "0001 ", false, false},
      {SM_ID_SPECIAL_PRINT, "102", "0005 ", true, true},
      {SM_ID_SPECIAL_PRINT, "101", "0001 ", false, false},
      {SM_ID_YEAR_FILE_INFO, "101", "", true, true},
      {SM_ID_YEAR_FILE_INFO, "102", "0001 0003 0004 0005 0006 0007 ", false, false},
      {SM_ID_NEW_YEAR_FILE, "101", "", false, true},
      {SM_ID_NEW_YEAR_FILE, "102", "0001 ", false, false},
      {SM_ID_CARRY_OVER, "101", "", false, true},
      {SM_ID_CARRY_OVER, "102", "", false, false},
      {SM_ID_BIZ_MONTHS, "101", "", false, true},
      {SM_ID_BIZ_MONTHS, "102", "", false, false},
      {SM_ID_OPERATORS, "101", "", false, true},
      {SM_ID_OPERATORS, "102", "", false, false},
      {SM_ID_VIEW_LOG, "101", "", true, true},
      {SM_ID_VIEW_LOG, "102", "", false, false},
      {SM_ID_RESTORE, "101", "", false, true},
      {SM_ID_RESTORE, "102", "0006 ", false, false},
      {SM_ID_EXPORT_INTERFACE, "101", "", false, true},
      {SM_ID_EXPORT_INTERFACE, "102", "", false, false},
      // The administrator needs no right code for backup and SQL maintenance, but no one gets
      // them with a document window open.
      {SM_ID_BACKUP, "101", "", false, true},
      {SM_ID_BACKUP, "102", "0006 ", false, true},
      {SM_ID_BACKUP, "102", "0007 ", false, false},
      {SM_ID_BACKUP, "101", "0006 ", true, false},
      {SM_ID_SQL_MAINTENANCE, "101", "", false, true},
      {SM_ID_SQL_MAINTENANCE, "102", "0007 ", false, true},
      {SM_ID_SQL_MAINTENANCE, "102", "0006 ", false, false},
      {SM_ID_SQL_MAINTENANCE, "101", "0007 ", true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.id) + " " + c.oper + " '" + c.rights + "'" +
                 (c.document ? " with a document" : ""));
    app.m_docManager.CloseAllDocuments();
    for (QMdiSubWindow* child : app.GetMainWnd()->MdiArea()->subWindowList()) delete child;
    if (c.document) OpenDocumentWindow();
    ASSERT_EQ(IsSmDocumentOpen(), c.document);
    Login(c.oper, c.rights);
    EXPECT_EQ(Enabled(c.id), c.enabled);
    EXPECT_EQ(SmCommandAction(c.id)->isEnabled(), c.enabled);
  }
}

TEST_F(AppCommandsTest, MenuShowsGreyedCommandsOfAnOperatorWithoutTheRight) {
  Login("102", "0003 ");
  QMenu menu;
  for (int id : std::initializer_list<int>{SM_ID_DATA_CHECK, SM_ID_SPECIAL_PRINT, SM_ID_OPERATORS})
    menu.addAction(SmCommandAction(id));
  SmCommandAction(SM_ID_DATA_CHECK)->setEnabled(false);
  SmCommandAction(SM_ID_SPECIAL_PRINT)->setEnabled(true);
  SmCommandAction(SM_ID_OPERATORS)->setEnabled(true);
  CSmCommandManager::Instance().AttachMenu(&menu);
  menu.popup(QPoint(0, 0));
  EXPECT_TRUE(SmCommandAction(SM_ID_DATA_CHECK)->isEnabled());
  EXPECT_FALSE(SmCommandAction(SM_ID_SPECIAL_PRINT)->isEnabled());
  EXPECT_FALSE(SmCommandAction(SM_ID_OPERATORS)->isEnabled());
  menu.close();
  // A greyed command does not run from its key either.
  EXPECT_FALSE(SmExecuteCommand(SM_ID_OPERATORS));
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
}

TEST_F(AppCommandsTest, NewAndOpenShowAHiddenTemplateBoxOrGoToTheSelectedModule) {
  app.boxVisible = false;
  EXPECT_TRUE(SmExecuteCommand(SM_ID_FILE_NEW));
  EXPECT_EQ(g_calls, std::vector<std::string>{"show box"});
  g_calls.clear();
  EXPECT_TRUE(SmExecuteCommand(SM_ID_FILE_NEW));
  EXPECT_TRUE(SmExecuteCommand(SM_ID_FILE_OPEN));
  EXPECT_EQ(g_calls, (std::vector<std::string>{"16 new", "16 open"}));
}

TEST_F(AppCommandsTest, CommandsGoWhereTheyBelong) {
  Login("101", "");
  EXPECT_TRUE(SmExecuteCommand(SM_ID_LOGIN));
  EXPECT_EQ(app.logIns, std::vector<std::string>{""});
  // The log view is offered in registration order until a module opens it.
  EXPECT_TRUE(SmExecuteCommand(SM_ID_VIEW_LOG));
  EXPECT_EQ(g_calls, (std::vector<std::string>{"16 log", "3 log"}));
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
  g_calls.clear();
  EXPECT_TRUE(SmExecuteCommand(SM_ID_OPERATORS));
  EXPECT_TRUE(SmExecuteCommand(SM_ID_PASSWORD));
  EXPECT_EQ(g_calls, (std::vector<std::string>{"operators", "password"}));

  // Functions that are not part of the program yet say so.
  for (int id :
       std::initializer_list<int>{SM_ID_NEW_YEAR_FILE, SM_ID_CARRY_OVER, SM_ID_BIZ_MONTHS}) {
    app.m_env.SetRights("0003 ");
    SmResetMessages();
    EXPECT_TRUE(SmExecuteCommand(id)) << id;
    EXPECT_EQ(CSmMessageService::Instance().LastText(), "该功能尚未提供。") << id;
  }
  EXPECT_EQ(app.logIns.size(), 1u);  // none of them logs in again

  // An installed dialog takes the command's place.
  int backups = 0;
  app.SetCommandHook(SM_ID_BACKUP, [&](CSmApp&) { ++backups; });
  SmResetMessages();
  EXPECT_TRUE(SmExecuteCommand(SM_ID_BACKUP));
  EXPECT_EQ(backups, 1);
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
}

class ExportTest : public AppCommandsTest {
 protected:
  void SetUp() override {
    AppCommandsTest::SetUp();
    Login("101", "");
    folder = QString::fromStdString(SmTestHome()) + "/export";
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    start = QDir::currentPath();
  }
  static std::string Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string("-");
  }
  QString folder;
  QString start;
};

TEST_F(ExportTest, FormatFileIsUtf16WithCrLfAndModulesWriteIntoTheFolder) {
  CSmMessageService::Instance().QueueFileName((folder + "/").toStdString());
  EXPECT_TRUE(SmExecuteCommand(SM_ID_EXPORT_INTERFACE));
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
  const std::u16string text = u"模块16\r\n一\r\n二\r\n模块3\r\n一\r\n二\r\n";
  std::string expected = "\xFF\xFE";
  for (char16_t unit : text) {
    expected.push_back(static_cast<char>(unit & 0xFF));
    expected.push_back(static_cast<char>(unit >> 8));
  }
  EXPECT_EQ(Bytes(folder + "/GSSM.TXT"), expected);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"16 export in export", "3 export in export"}));
  EXPECT_TRUE(QFile::exists(folder + "/m16.txt"));
  EXPECT_TRUE(QFile::exists(folder + "/m3.txt"));
  EXPECT_EQ(QDir::currentPath(), start);
}

TEST_F(ExportTest, CancelledOrUncreatableFileExportsNothing) {
  EXPECT_TRUE(SmExecuteCommand(SM_ID_EXPORT_INTERFACE));  // folder dialog cancelled
  EXPECT_TRUE(g_calls.empty());
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());

  QDir().mkpath(folder + "/GSSM.TXT");  // the file's name is taken by a folder
  EXPECT_FALSE(SmExportInterfaceData(app, folder.toStdString()));
  ASSERT_EQ(CSmMessageService::Instance().Shown().size(), 1u);
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "创建格式文件失败！");
  EXPECT_EQ(CSmMessageService::Instance().Shown()[0].flags & SM_MB_ICONERROR, SM_MB_ICONERROR);
  EXPECT_TRUE(g_calls.empty());
  EXPECT_EQ(QDir::currentPath(), start);
}

}  // namespace
