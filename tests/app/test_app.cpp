// The application object: start-up order, descriptor, derived texts, data types, broadcasts
// and rights.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QThread>

#include "app/SmApp.h"
#include "core/SmRegKey.h"
#include "platform/SmMessage.h"
#include "tests/common/SmTestMain.h"

namespace {

std::vector<std::string> g_calls;

// Records every hook it is called with, answers as it is told.
class RecordingType : public CSmDataType {
 public:
  RecordingType(int number, bool agree = true, int functionAnswer = 0)
      : m_agree(agree), m_functionAnswer(functionAnswer) {
    m_number = number;
  }
  void Init() override {
    Register(nullptr);
    CSmDataType::Init();
  }
  void OnNotify(int flag, const std::string& text, void*) override {
    Record("notify " + std::to_string(flag) + " " + text);
  }
  bool CheckText(int, const std::string&, const std::string&) override {
    Record("check");
    return m_agree;
  }
  int CallFunction(CCaculate*, const std::string&, const std::string&, std::string& result,
                   int& type) override {
    Record("function");
    if (m_functionAnswer == 0) return 0;
    result = std::to_string(m_number);
    type = 5;
    return m_functionAnswer;
  }
  void GetPrintVariables(int, CSmPrintVarList& rows) override {
    rows.push_back({std::to_string(m_number), "", ""});
  }
  std::string GetFormatText() override { return "[" + std::to_string(m_number) + "]"; }
  void OnBusyHook(int, const std::string&) override { Record("busy"); }

 private:
  void Record(const std::string& what) { g_calls.push_back(std::to_string(m_number) + " " + what); }
  bool m_agree;
  int m_functionAnswer;
};

// An application whose start-up steps are recorded and whose outside world is a test folder.
class TestApp : public CSmApp {
 public:
  std::vector<std::string> steps;
  std::vector<CSmModuleInfo> infos;
  std::vector<std::unique_ptr<CSmDataType>> typesToCreate;
  std::string engineFolder = SmTestHome() + "/engine";
  std::string programPath = SmTestHome() + "/bin/canemill";
  bool logInResult = true;
  std::vector<std::string> tablesWithRows;

  void GetModuleInfos(std::vector<CSmModuleInfo>& out) override {
    out.insert(out.end(), infos.begin(), infos.end());
  }
  void CreateDataTypes() override {
    steps.push_back("data types");
    for (auto& type : typesToCreate) AdoptDataType(std::move(type))->Init();
    typesToCreate.clear();
  }
  bool LogIn(const std::string& file) override {
    steps.push_back("log-in " + file);
    return logInResult;
  }
  void RunUpdater() override { steps.push_back("updater"); }
  bool CheckDataEngine() override {
    steps.push_back("engine");
    return CSmApp::CheckDataEngine();
  }
  std::string GetEngineTestFolder() override { return engineFolder; }
  std::string GetProgramPath() const override { return programPath; }
  bool TableHasRows(CSmDatabase*, const std::string& table) override {
    return std::find(tablesWithRows.begin(), tablesWithRows.end(), table) != tablesWithRows.end();
  }

 protected:
  void ShowSplash() override {
    steps.push_back("splash");
    CSmApp::ShowSplash();
  }
  void LoadDialogPositions() override { steps.push_back("dialog positions"); }
  void SaveDialogPositions() override { steps.push_back("save dialog positions"); }
  std::unique_ptr<CSmFrameWnd> CreateMainFrame() override {
    steps.push_back("main frame " + GetProductTitle());
    return CSmApp::CreateMainFrame();
  }
  void ShowMainWindow() override {
    steps.push_back("show");
    CSmApp::ShowMainWindow();
  }
  bool RegisterDataFileType() override {
    steps.push_back("associate");
    return true;
  }
};

CSmModuleInfo Descriptor(int id, const std::string& title) {
  CSmModuleInfo info;
  info.m_id = id;
  info.m_docType = "Test" + std::to_string(id);
  info.m_title = title;
  return info;
}

class AppTest : public testing::Test {
 protected:
  void SetUp() override {
    g_calls.clear();
    SmResetMessages();
    QDir(QString::fromStdString(SmTestHome() + "/engine")).removeRecursively();
    app.infos = {Descriptor(4, "第一"), Descriptor(9, "第九")};
  }
  // The engine folder is the test home's, shared with the other tests of this program: a test
  // database spoilt on purpose must not stay behind.
  void TearDown() override {
    QDir(QString::fromStdString(SmTestHome() + "/engine")).removeRecursively();
  }
  TestApp app;
};

TEST_F(AppTest, StartUpRunsInItsOrderAndEndsWithTheLogIn) {
  app.typesToCreate.push_back(std::make_unique<RecordingType>(16));
  ASSERT_TRUE(app.InitInstance({"/data/2026.tsd"}));
  const std::vector<std::string> expected = {
      "splash",  "data types", "dialog positions", "main frame 第一",      "show",
      "updater", "associate",  "engine",           "log-in /data/2026.tsd"};
  EXPECT_EQ(app.steps, expected);
  ASSERT_NE(app.GetMainWnd(), nullptr);
  EXPECT_EQ(CSmFrameWnd::Main(), app.GetMainWnd());
  EXPECT_EQ(CSmCommandManager::Instance().AppTarget(), &app);
  EXPECT_EQ(app.m_opLog.m_enabled, 1);

  app.steps.clear();
  app.ExitInstance();
  EXPECT_EQ(app.steps, std::vector<std::string>{"save dialog positions"});
}

TEST_F(AppTest, StartUpStopsAtACommandLineThatAsksForSomethingElse) {
  EXPECT_FALSE(app.InitInstance({"-p", "a.tsd"}));
  EXPECT_EQ(app.steps.back(), "main frame 第一");
}

TEST_F(AppTest, FailedLogInFailsStartUp) {
  app.logInResult = false;
  EXPECT_FALSE(app.InitInstance({}));
  EXPECT_EQ(app.steps.back(), "log-in ");
}

TEST_F(AppTest, CommandLineIsAPlainStartOrAnOpenRequest) {
  struct Case {
    std::vector<std::string> args;
    SmShellCommand kind;
    std::string file;
  };
  const Case cases[] = {
      {{}, SM_SHELL_FILE_NEW, ""},
      {{"/home/甘蔗/2026.tsd"}, SM_SHELL_FILE_OPEN, "/home/甘蔗/2026.tsd"},
      {{"-style=fusion", "x.tsd"}, SM_SHELL_FILE_OPEN, "x.tsd"},
      {{"-p", "x.tsd"}, SM_SHELL_OTHER, "x.tsd"},
      {{"-Embedding"}, SM_SHELL_OTHER, ""},
      {{"--unregister"}, SM_SHELL_OTHER, ""},
  };
  for (const Case& c : cases) {
    std::string file;
    EXPECT_EQ(SmParseCommandLine(c.args, file), c.kind) << testing::PrintToString(c.args);
    EXPECT_EQ(file, c.file);
  }
}

TEST_F(AppTest, DescriptorOfTheCurrentModuleIdElseTheFirst) {
  app.SelectModuleInfo();
  EXPECT_EQ(app.GetSmModuleId(), 4);  // id 0 matches none
  app.m_moduleInfo.m_id = 9;
  app.SelectModuleInfo();
  EXPECT_EQ(app.GetProductTitle(), "第九");
  app.infos.clear();
  app.SelectModuleInfo();
  EXPECT_EQ(app.GetSmModuleId(), 9);  // nothing to choose from: unchanged
}

TEST_F(AppTest, TypeListAndShownTypes) {
  CSmModuleInfo info;
  info.SetTypes({16, 3});
  EXPECT_EQ(info.m_types, " 16 3 ");
  EXPECT_TRUE(info.ShowsType(3));
  EXPECT_TRUE(info.ShowsType(16));
  EXPECT_FALSE(info.ShowsType(1));
  EXPECT_FALSE(info.ShowsType(6));
  CSmModuleInfo copy = info;
  EXPECT_EQ(copy.m_types, info.m_types);
}

TEST_F(AppTest, DerivedTextsFollowTheBackEndAndTheModuleNumber) {
  app.m_moduleInfo = Descriptor(9, "t");
  app.m_moduleInfo.m_docType = "Zorv";
  EXPECT_EQ(app.GetVersionText(), "A5.0.5");  // a product that overrides nothing
  EXPECT_EQ(app.GetProgramKeyText(), "A5.0");
  EXPECT_EQ(app.GetSmRegKey(), "Software\\reduvor\\Zorv\\5.0");
  app.m_env.SetDatabaseKind(1);
  app.m_moduleInfo.m_suffix = "X";
  EXPECT_EQ(app.GetVersionText(), "S5.0.5X");
  EXPECT_EQ(app.GetProgramKeyText(), "S5.0X");
  EXPECT_EQ(app.BuildUpdaterParameters("/opt/cane", 3),
            "\n/opt/cane\nZorv\nt\nS\n5.0\nS5.0X\n5\n3");
}

TEST_F(AppTest, BroadcastsReachEveryTypeInRegistrationOrder) {
  app.typesToCreate.push_back(std::make_unique<RecordingType>(16, false, 0));
  app.typesToCreate.push_back(std::make_unique<RecordingType>(3, true, 2));
  app.typesToCreate.push_back(std::make_unique<RecordingType>(7, true, 1));
  app.CreateDataTypes();
  ASSERT_EQ(app.m_dataTypes.size(), 3u);

  app.NotifyTypes(300, "x", nullptr);
  EXPECT_EQ(g_calls,
            (std::vector<std::string>{"16 notify 300 x", "3 notify 300 x", "7 notify 300 x"}));
  g_calls.clear();
  EXPECT_FALSE(app.AllTypesAgree(1, "a", "b"));
  EXPECT_EQ(g_calls, std::vector<std::string>{"16 check"});  // stops at the first refusal
  g_calls.clear();
  std::string result;
  int type = 0;
  EXPECT_EQ(app.CallFunction(nullptr, "F", "", result, type), 2);
  EXPECT_EQ(result, "3");
  EXPECT_EQ(g_calls, (std::vector<std::string>{"16 function", "3 function"}));
  g_calls.clear();
  app.RunTypesBusy(1, "");
  EXPECT_EQ(g_calls, (std::vector<std::string>{"16 busy", "3 busy", "7 busy"}));

  CSmPrintVarList rows;
  EXPECT_EQ(app.GetPrintVariables(-1, rows), 3);
  EXPECT_EQ(rows[0][0], "16");
  EXPECT_EQ(rows[2][0], "7");
  EXPECT_EQ(app.GetFormatText(), "[16][3][7]");
  EXPECT_EQ(app.GetFormatFileName(), "GSSM.TXT");
}

TEST_F(AppTest, DataTypesAreFoundByNumberAndByTemplateBoxPage) {
  app.typesToCreate.push_back(std::make_unique<RecordingType>(16));
  app.typesToCreate.push_back(std::make_unique<RecordingType>(5));
  app.typesToCreate.push_back(std::make_unique<RecordingType>(3));
  app.CreateDataTypes();
  app.m_dataTypes[1]->m_pageCount = 0;  // not shown by the descriptor: no tab
  EXPECT_EQ(FindSmDataType(3), app.m_dataTypes[2]);
  EXPECT_EQ(FindSmDataType(99), nullptr);
  EXPECT_EQ(app.DataTypeOfPage(0)->m_number, 16);
  EXPECT_EQ(app.DataTypeOfPage(1)->m_number, 3);
  EXPECT_EQ(app.DataTypeOfPage(2), nullptr);
  EXPECT_EQ(app.DataTypeOfPage(-1), nullptr);
  EXPECT_EQ(GetActiveSmModule(), nullptr);  // no template box: no page selected
}

TEST_F(AppTest, DataTypeDefaults) {
  CSmDataType type;
  EXPECT_EQ(type.m_number, -1);
  EXPECT_EQ(type.m_resourceId, 0);
  EXPECT_EQ(type.m_pageCount, 1);
  EXPECT_TRUE(type.m_tabLabel.empty());
  EXPECT_TRUE(type.CreatePage(nullptr));
  EXPECT_TRUE(type.CheckText(0, "", ""));
  EXPECT_FALSE(type.OpenLogView());
  EXPECT_EQ(type.GetContextMenu(), nullptr);
  std::string result;
  int kind = 0;
  EXPECT_EQ(type.CallFunction(nullptr, "F", "1,2", result, kind), 0);
}

TEST_F(AppTest, CarryOverIsRefusedWhileATableHasRows) {
  CSmDataType type;
  std::string message = "old";
  EXPECT_EQ(type.CanCarryOver("甘蔗", "gbSheet jsSheet", nullptr, message), 0);
  EXPECT_EQ(message, "");
  app.tablesWithRows = {"jsSheet"};
  EXPECT_EQ(type.CanCarryOver("甘蔗", "gbSheet  jsSheet", nullptr, message), -1);
  EXPECT_EQ(message, "甘蔗：已有记录，不能结转！");
}

TEST_F(AppTest, RenamedTabLabelSurvivesARestart) {
  app.m_moduleInfo = Descriptor(9, "t");
  {
    RecordingType type(21);
    type.m_tabLabel = "原名";
    type.LoadTabLabel();
    EXPECT_EQ(type.m_tabLabel, "原名");  // nothing stored: the label set by the module stays
    type.m_tabLabel = "改名";
    EXPECT_TRUE(type.SaveTabLabel());
  }
  std::string stored;
  EXPECT_TRUE(CSmRegKey().Open(SM_HKEY_CURRENT_USER, app.GetSmRegKey(), "tablabel_21", stored));
  RecordingType again(21);
  again.m_tabLabel = "原名";
  again.LoadTabLabel();
  EXPECT_EQ(again.m_tabLabel, "改名");
}

TEST_F(AppTest, RightCodesAndTheOperatorsRights) {
  struct Case {
    int module;
    std::string item;
    std::string code;
  };
  const Case cases[] = {{16, "01", "1601"},
                        {16, "02", "1602"},
                        {3, "05", "0305"},
                        {0, "08", "0008"},
                        {16, "73", "1673"}};
  for (const Case& c : cases) EXPECT_EQ(SmRightCode(c.module, c.item), c.code);

  app.m_env.SetRights("1601 0008 ");
  EXPECT_TRUE(HasSmRight(16, "01"));
  EXPECT_FALSE(HasSmRight(16, "02"));
  EXPECT_TRUE(HasSmRightCode("0008"));
  EXPECT_TRUE(app.HasRightCode("1601"));
  for (const char* partial : {"", "160", "01", "1 00", " "}) {
    EXPECT_FALSE(HasSmRightCode(partial)) << '"' << partial << '"';
  }
}

TEST_F(AppTest, DocumentOpenFollowsTheMainFramesChildren) {
  ASSERT_TRUE(app.InitInstance({}));
  EXPECT_FALSE(IsSmDocumentOpen());
  auto* child = new CSmChildFrame;
  child->setWidget(new QWidget);
  app.GetMainWnd()->AddChild(child);
  EXPECT_TRUE(IsSmDocumentOpen());
}

// ---------------------------------------------------------------- engine test

std::string DaoJetValue(TestApp& app) {
  std::string value;
  CSmRegKey().Open(SM_HKEY_CURRENT_USER, app.GetSmRegKey(), "DaoJet", value);
  return value;
}

TEST_F(AppTest, FirstStartCreatesTheTestDatabaseAndMarksTheEngineGood) {
  app.SelectModuleInfo();
  CSmRegKey().DeleteValue(SM_HKEY_CURRENT_USER, app.GetSmRegKey(), "DaoJet");
  EXPECT_TRUE(app.CheckDataEngine());
  EXPECT_TRUE(QFile::exists(QString::fromStdString(app.engineFolder + "/DaoJet.MDB")));
  EXPECT_EQ(DaoJetValue(app), "1");
  // A start after a failed one tests again and marks the engine good.
  CSmRegKey().SetValue(SM_HKEY_CURRENT_USER, app.GetSmRegKey(), "DaoJet", "0");
  EXPECT_TRUE(app.CheckDataEngine());
  EXPECT_EQ(DaoJetValue(app), "1");
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
}

TEST_F(AppTest, DamagedTestDatabaseIsMadeAnew) {
  app.SelectModuleInfo();
  QDir().mkpath(QString::fromStdString(app.engineFolder));
  QFile file(QString::fromStdString(app.engineFolder + "/DaoJet.MDB"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(QByteArray(4096, 'x'));
  file.close();
  EXPECT_TRUE(app.CheckDataEngine());
  EXPECT_EQ(DaoJetValue(app), "1");
}

TEST_F(AppTest, EngineThatCannotWriteItsTestDatabaseEndsStartUp) {
  app.SelectModuleInfo();
  // The test database's name taken by a folder: the engine cannot create or open it.
  QDir().mkpath(QString::fromStdString(app.engineFolder + "/DaoJet.MDB/x"));
  EXPECT_FALSE(app.InitInstance({}));
  EXPECT_EQ(app.steps.back(), "engine");
  EXPECT_EQ(DaoJetValue(app), "0");
  ASSERT_EQ(CSmMessageService::Instance().Shown().size(), 1u);
  EXPECT_EQ(CSmMessageService::Instance().LastText(),
            "Access数据库引擎无法正常工作，请重新启动软件，系统会为您自动配置！");
  EXPECT_EQ(CSmMessageService::Instance().Shown()[0].flags & SM_MB_ICONERROR, SM_MB_ICONERROR);
}

}  // namespace

namespace {

// ---------------------------------------------------------------- updater

class UpdaterApp : public CSmApp {
 public:
  bool InitInstance(const std::vector<std::string>&) override { return true; }
  std::string GetProgramFolder() const override { return SmTestHome() + "/up/bin"; }
};

#ifndef Q_OS_WIN
TEST(Updater, StartsFromTheFolderAboveTheProgramWithItsParameterText) {
  UpdaterApp app;
  app.m_moduleInfo.m_docType = "Zorv";
  app.m_moduleInfo.m_title = "甘蔗";
  const QString up = QString::fromStdString(SmTestHome() + "/up");
  ASSERT_TRUE(QDir().mkpath(up + "/bin"));
  QFile script(up + "/QlnUp");
  ASSERT_TRUE(script.open(QIODevice::WriteOnly));
  script.write("#!/bin/sh\nprintf '%s' \"$1\" > args.tmp && mv args.tmp args.txt\n");
  script.close();
  script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  CSmRegKey().SetValue(SM_HKEY_CURRENT_USER, app.GetSmRegKey(), "SoftUp", "2");

  app.RunUpdater();
  EXPECT_EQ(QDir::currentPath(), up + "/bin");  // left at the program folder
  QFile args(up + "/args.txt");                 // written in the updater's working folder
  for (int i = 0; i < 500 && !args.exists(); ++i) QThread::msleep(20);
  ASSERT_TRUE(args.open(QIODevice::ReadOnly));
  EXPECT_EQ(args.readAll().toStdString(),
            app.BuildUpdaterParameters((up + "/bin").toStdString(), 2));
}
#endif

TEST(Updater, MissingUpdaterIsNotReported) {
  SmResetMessages();
  UpdaterApp app;
  QDir(QString::fromStdString(SmTestHome() + "/up")).removeRecursively();
  QDir().mkpath(QString::fromStdString(SmTestHome() + "/up/bin"));
  app.RunUpdater();
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
}

}  // namespace
