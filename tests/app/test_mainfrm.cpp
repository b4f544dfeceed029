// The main frame: menus, template box pages and the Settings menu, title, the state kept at
// close and restored at the next start, the client-area context menu and the About box.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>

#include "app/SmAboutDlg.h"
#include "app/SmApp.h"
#include "app/SmMainFrm.h"
#include "app/SmTemplateBox.h"
#include "core/SmRegKey.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "res/SmResource.h"
#include "tests/common/SmTestMain.h"

namespace {

std::vector<std::string> g_saved;

// A module with a page, and with a Settings menu when it has a menu resource.
class PageType : public CSmDataType {
 public:
  PageType(int number, int resource, const std::string& label, bool printVars = false)
      : m_printVars(printVars) {
    m_number = number;
    m_resourceId = resource;
    m_tabLabel = label;
  }
  void Init() override {
    Register(nullptr);
    CSmDataType::Init();
  }
  bool CreatePage(CSmTemplateBox* box) override {
    if (m_failPage) return false;
    m_page = new QListWidget(box->PageParent());
    m_page->setObjectName(QString::fromStdString("page" + std::to_string(m_number)));
    return true;
  }
  QMenu* GetContextMenu() override {
    if (m_resourceId != SM_IDR_CANE_SETTINGS) return nullptr;
    if (!m_settings) m_settings.reset(SmLoadMenu(m_resourceId, nullptr).front());
    return m_settings.get();
  }
  void GetPrintVariables(int, CSmPrintVarList& rows) override {
    if (m_printVars) rows.push_back({"9601", "过磅单", ""});
  }
  void SaveListStyle() override { g_saved.push_back(std::to_string(m_number)); }

  bool m_failPage = false;

 private:
  bool m_printVars;
  std::unique_ptr<QMenu> m_settings;
};

class FrameApp : public CSmApp {
 public:
  std::string types = " 16 3 ";
  bool yearFiles = true;
  bool failPage = false;
  bool printVars = true;
  std::vector<std::string> adjusted;

  void GetModuleInfos(std::vector<CSmModuleInfo>& infos) override {
    CSmModuleInfo info;
    info.m_id = 9;
    info.m_docType = "FrameTest";
    info.m_title = "甘蔗结算";
    info.m_types = types;
    infos.push_back(info);
  }
  void CreateDataTypes() override {
    auto cane = std::make_unique<PageType>(16, SM_IDR_CANE_SETTINGS, "甘蔗结算", printVars);
    cane->m_failPage = failPage;
    AdoptDataType(std::move(cane))->Init();
    AdoptDataType(std::make_unique<PageType>(3, SM_IDR_REPORT_MODULE, "报表"))->Init();
  }
  bool HasYearFiles() override { return yearFiles; }
  void AdjustSystemMenu(QMenu* menu) override { adjusted.push_back(menu->title().toStdString()); }
  void RunUpdater() override {}
  bool CheckDataEngine() override { return true; }
  // The frame's part of a log-in, without a data file to choose.
  bool LogIn(const std::string&) override {
    ShowModulePages();
    ApplyTemplateBoxState();
    ShowTemplateBox(true);
    return true;
  }

  CSmMainFrm* Frame() const { return qobject_cast<CSmMainFrm*>(GetMainWnd()); }
  CSmTemplateBox* Box() const { return Frame()->TemplateBox(); }

 protected:
  bool RegisterDataFileType() override { return true; }
};

std::vector<std::string> MenuTitles(CSmMainFrm* frame) {
  std::vector<std::string> titles;
  for (QAction* action : frame->menuBar()->actions())
    titles.push_back(action->text().toStdString());
  return titles;
}

std::vector<int> Commands(QMenu* menu) {
  std::vector<int> ids;
  for (QAction* action : menu->actions()) ids.push_back(CSmCommandManager::CommandId(action));
  return ids;
}

bool Has(const std::vector<int>& ids, int id) {
  return std::find(ids.begin(), ids.end(), id) != ids.end();
}

std::string Reg(const std::string& name) {
  std::string value;
  CSmRegKey().Open(SM_HKEY_CURRENT_USER, "Software\\reduvor\\FrameTest\\5.0", name, value);
  return value;
}

void SetReg(const std::string& name, const std::string& value) {
  CSmRegKey().SetValue(SM_HKEY_CURRENT_USER, "Software\\reduvor\\FrameTest\\5.0", name, value);
}

class MainFrmTest : public testing::Test {
 protected:
  void SetUp() override {
    SmResetMessages();
    g_saved.clear();
    CSmRegKey().DeleteKeyTree(SM_HKEY_CURRENT_USER, "Software\\reduvor\\FrameTest");
  }
  void Start(FrameApp& app) {
    ASSERT_TRUE(app.InitInstance({}));
    // What a log-in leaves in the data environment.
    app.m_env.SetFileInfo("红河糖厂", "", "", "");
    app.m_env.SetDataFileName("2026.tsd");
    app.m_env.SetOperatorNo("101");
    app.m_env.SetOperatorName("管理员");
    app.Frame()->UpdateTitle();
    QApplication::processEvents();
  }
};

TEST_F(MainFrmTest, StartUpShowsTheMaximisedFrameWithMenusPagesAndTitle) {
  FrameApp app;
  Start(app);
  CSmMainFrm* frame = app.Frame();
  ASSERT_NE(frame, nullptr);
  EXPECT_TRUE(frame->isMaximized());
  EXPECT_EQ(frame->windowTitle().toStdString(), "甘蔗结算(A5.0)：红河糖厂(2026.tsd)");
  EXPECT_EQ(frame->StatusPane(1)->text().toStdString(), "操作：101,管理员");
  // The lock keys read as in the report windows.
  EXPECT_EQ(frame->StatusPane(2)->text().toStdString(), "大写");
  EXPECT_EQ(frame->StatusPane(3)->text().toStdString(), "数字");
  EXPECT_FALSE(frame->windowIcon().isNull());
  EXPECT_EQ(frame->windowIcon().cacheKey(), SmProgramIcon().cacheKey());
  EXPECT_EQ(frame->windowIcon().availableSizes(), QList<QSize>{QSize(32, 32)});
  EXPECT_EQ(MenuTitles(frame),
            (std::vector<std::string>{"文件(&F)", "设置(&S)", "系统(&X)", "查看(&V)", "帮助(&H)"}));
  EXPECT_EQ(frame->ToolBar()->objectName(), "59392");

  CSmTemplateBox* box = app.Box();
  EXPECT_TRUE(box->isVisible());
  EXPECT_EQ(box->windowTitle().toStdString(), "文档模板目录");
  EXPECT_EQ(box->DockBarId(), SM_DOCKBAR_LEFT);
  QTabWidget* tabs = box->TabControl();
  ASSERT_EQ(tabs->count(), 2);
  EXPECT_EQ(tabs->tabText(0).toStdString(), "甘蔗结算");
  EXPECT_EQ(tabs->tabText(1).toStdString(), "报表");
  EXPECT_EQ(box->GetSelectedPage(), 0);
  EXPECT_EQ(GetActiveSmModule(), FindSmDataType(16));
  EXPECT_TRUE(FindSmDataType(16)->m_page->isVisible());
  EXPECT_FALSE(FindSmDataType(3)->m_page->isVisible());
  EXPECT_FALSE(FindSmDataType(3)->m_page->isEnabled());
  app.ExitInstance();
}

TEST_F(MainFrmTest, APageThatCannotBeMadeFailsTheFrameAndTheStartUp) {
  FrameApp app;
  app.failPage = true;
  EXPECT_FALSE(app.InitInstance({}));
  EXPECT_EQ(app.GetMainWnd(), nullptr);
}

TEST_F(MainFrmTest, SettingsMenuFollowsThePageAndTheDocumentWindows) {
  FrameApp app;
  Start(app);
  CSmMainFrm* frame = app.Frame();
  CSmTemplateBox* box = app.Box();

  box->TabControl()->setCurrentIndex(1);  // the report module has no Settings menu
  EXPECT_EQ(box->GetSelectedPage(), 1);
  EXPECT_EQ(MenuTitles(frame).size(), 4u);
  EXPECT_EQ(MenuTitles(frame)[1], "系统(&X)");

  SmExecuteCommand(SM_ID_SELECT_PAGE_FIRST);  // back to the cane module
  ASSERT_EQ(MenuTitles(frame).size(), 5u);
  EXPECT_EQ(MenuTitles(frame)[1], "设置(&S)");
  QMenu* settings = frame->menuBar()->actions()[1]->menu();
  EXPECT_EQ(Commands(settings),
            (std::vector<int>{SM_ID_SYS_PARAMS, 0, SM_ID_FARMER_DIR, SM_ID_PLACE_DIR,
                              SM_ID_DRIVER_DIR, SM_ID_VARIETY_DIR, 0, SM_ID_COMM_PORTS}));

  // A document window takes it away, also when the page is chosen again meanwhile.
  auto* child = new CSmChildFrame;
  child->setWidget(new QWidget);
  frame->AddChild(child);
  child->show();
  QApplication::processEvents();
  EXPECT_TRUE(IsSmDocumentOpen());
  EXPECT_EQ(MenuTitles(frame).size(), 4u);
  box->SelectPage(0);
  EXPECT_EQ(MenuTitles(frame).size(), 4u);
  EXPECT_EQ(MenuTitles(frame)[1], "系统(&X)");

  // The last document window closing brings it back.
  frame->MdiArea()->removeSubWindow(child);
  delete child;
  QApplication::processEvents();
  EXPECT_FALSE(IsSmDocumentOpen());
  box->SelectPage(0);
  EXPECT_EQ(MenuTitles(frame)[1], "设置(&S)");
  app.ExitInstance();
}

TEST_F(MainFrmTest, FileAndSystemMenusLoseWhatTheProductDoesNotOffer) {
  struct Case {
    bool printVars;
    bool yearFiles;
    bool special, carry, months;
  };
  for (const Case& c :
       {Case{true, true, true, true, true}, Case{false, false, false, false, false}}) {
    FrameApp app;
    app.yearFiles = c.yearFiles;
    app.printVars = c.printVars;
    Start(app);
    const std::vector<int> file = Commands(app.Frame()->FileMenu());
    const std::vector<int> system = Commands(app.Frame()->SystemMenu());
    EXPECT_EQ(Has(file, SM_ID_SPECIAL_PRINT), c.special);
    EXPECT_EQ(Has(system, SM_ID_CARRY_OVER), c.carry);
    EXPECT_EQ(Has(system, SM_ID_BIZ_MONTHS), c.months);
    EXPECT_TRUE(Has(system, SM_ID_BACKUP));
    // The product's own adjustment always reaches the System menu itself.
    ASSERT_FALSE(app.adjusted.empty());
    EXPECT_EQ(app.adjusted.back(), "系统(&X)");
    app.ExitInstance();
  }
}

TEST_F(MainFrmTest, ClosingStoresTheBoxAndThePageAndTheNextStartRestoresThem) {
  {
    FrameApp app;
    Start(app);
    CSmMainFrm* frame = app.Frame();
    frame->resize(1200, 900);
    app.Box()->DockAt(SM_DOCKBAR_RIGHT);
    app.Box()->SelectPage(1);
    QApplication::processEvents();
    frame->resizeDocks({app.Box()}, {300}, Qt::Horizontal);
    QApplication::processEvents();
    const int width = app.Box()->width();
    ASSERT_TRUE(frame->close());
    EXPECT_EQ(Reg("TemplateIndex"), "1");
    EXPECT_EQ(
        Reg("TemplateBoxState"),
        std::to_string(width) + " " + std::to_string(app.Box()->m_vertSize.height()) + " 59421");
    EXPECT_EQ(g_saved, (std::vector<std::string>{"16", "3"}));
    app.ExitInstance();
  }
  FrameApp next;
  Start(next);
  EXPECT_EQ(next.Box()->GetSelectedPage(), 1);
  EXPECT_EQ(next.Box()->DockBarId(), SM_DOCKBAR_RIGHT);
  const QSize client(next.Frame()->width(),
                     next.Frame()->height() - next.Frame()->menuBar()->height());
  SetReg("TemplateBoxState",
         std::to_string(client.width() / 3) + " " + std::to_string(client.height() / 2) + " 59421");
  next.ApplyTemplateBoxState();
  QApplication::processEvents();
  EXPECT_EQ(next.Box()->m_vertSize, QSize(client.width() / 3, client.height() / 2));
  EXPECT_EQ(next.Box()->width(), client.width() / 3);
  EXPECT_EQ(MenuTitles(next.Frame()).size(), 4u);
  next.ExitInstance();
}

TEST_F(MainFrmTest, SavedStateAndIndexOutsideTheirRangesFallBack) {
  FrameApp app;
  SetReg("TemplateIndex", "2");  // equal to the tab count
  Start(app);
  EXPECT_EQ(app.Box()->GetSelectedPage(), 0);

  struct Case {
    std::string state;
    QSize size;
    int dockBar;
  };
  const QSize client(1200, 600);
  const std::vector<Case> cases = {
      {"300 200 59421", {300, 200}, SM_DOCKBAR_RIGHT},
      {"200 100 59419", {200, 100}, SM_DOCKBAR_TOP},    // exactly one sixth is kept
      {"1000 200 59420", {250, 150}, SM_DOCKBAR_LEFT},  // five sixths is too wide
      {"300 50 59422", {250, 150}, SM_DOCKBAR_BOTTOM},  // too low
      {"300 200 59423", {300, 200}, SM_DOCKBAR_FLOAT},
  };
  for (const Case& c : cases) {
    app.Box()->ApplyState(c.state, client);
    EXPECT_EQ(app.Box()->m_horzSize, c.size) << c.state;
    EXPECT_EQ(app.Box()->DockBarId(), c.dockBar) << c.state;
  }
  app.ExitInstance();
}

TEST_F(MainFrmTest, FloatingBoxStoresItsVerticalPair) {
  FrameApp app;
  Start(app);
  app.Box()->setFloating(true);
  QApplication::processEvents();
  app.Box()->m_vertSize = QSize(260, 310);
  app.Box()->m_horzSize = QSize(500, 120);
  EXPECT_EQ(app.Box()->StateText(), "260 310 59423");
  app.ExitInstance();
}

TEST_F(MainFrmTest, ContextMenuOffersThePagesOnlyWhenThereAreSeveral) {
  FrameApp app;
  Start(app);
  std::unique_ptr<QMenu> menu = app.Frame()->CreateContextMenu();
  std::vector<int> ids = Commands(menu.get());
  EXPECT_EQ(ids, (std::vector<int>{SM_ID_CALCULATOR, SM_ID_LOGIN, SM_ID_TEMPLATE_BOX,
                                   SM_ID_SELECT_PAGE_FIRST, SM_ID_SELECT_PAGE_FIRST + 1, 0,
                                   SM_ID_SHOW_TOOLBAR, SM_ID_SHOW_STATUS_BAR, 0, SM_ID_HELP}));
  EXPECT_TRUE(SmCommandAction(SM_ID_SELECT_PAGE_FIRST)->isChecked());
  EXPECT_FALSE(SmCommandAction(SM_ID_SELECT_PAGE_FIRST + 1)->isChecked());
  EXPECT_EQ(SmCommandAction(SM_ID_SELECT_PAGE_FIRST + 1)->text().toStdString(), "报表");
  EXPECT_TRUE(SmCommandAction(SM_ID_SHOW_TOOLBAR)->isChecked());

  app.types = " 16 ";
  app.SelectModuleInfo();
  app.ShowModulePages();
  menu = app.Frame()->CreateContextMenu();
  ids = Commands(menu.get());
  EXPECT_EQ(ids, (std::vector<int>{SM_ID_CALCULATOR, SM_ID_LOGIN, SM_ID_TEMPLATE_BOX,
                                   SM_ID_SHOW_TOOLBAR, SM_ID_SHOW_STATUS_BAR, 0, SM_ID_HELP}));
  app.ExitInstance();
}

TEST_F(MainFrmTest, ViewCommandsShowAndHideTheBars) {
  FrameApp app;
  Start(app);
  CSmMainFrm* frame = app.Frame();
  SmExecuteCommand(SM_ID_SHOW_TOOLBAR);
  EXPECT_FALSE(frame->ToolBar()->isVisible());
  SmExecuteCommand(SM_ID_SHOW_STATUS_BAR);
  EXPECT_FALSE(frame->statusBar()->isVisible());
  SmExecuteCommand(SM_ID_PANE_HIDE);
  EXPECT_FALSE(app.Box()->isVisible());
  SmExecuteCommand(SM_ID_TEMPLATE_BOX);
  EXPECT_TRUE(app.Box()->isVisible());
  SmExecuteCommand(SM_ID_HELP);
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "本系统没有帮助文件。");
  app.ExitInstance();
}

TEST_F(MainFrmTest, RenameAsksForTheModulesNameAndKeepsIt) {
  FrameApp app;
  Start(app);
  const auto answer = [](const char* name, int button) {
    QTimer::singleShot(0, [name, button] {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      EXPECT_EQ(dialog->objectName(), "818");
      EXPECT_EQ(dialog->findChild<QLineEdit*>(QString::number(CSmTemplateBox::kModuleNameEdit))
                    ->text()
                    .toStdString(),
                "甘蔗结算");
      dialog->findChild<QLineEdit*>(QString::number(CSmTemplateBox::kModuleNameEdit))
          ->setText(QString::fromUtf8(name));
      dialog->findChild<QPushButton*>(QString::number(button))->click();
    });
  };
  answer("不改", SM_ID_CANCEL);
  SmExecuteCommand(SM_ID_RENAME_PAGE);
  EXPECT_EQ(app.Box()->TabControl()->tabText(0).toStdString(), "甘蔗结算");
  EXPECT_EQ(Reg("tablabel_16"), "");

  answer("甘蔗", SM_ID_OK);
  SmExecuteCommand(SM_ID_RENAME_PAGE);
  EXPECT_EQ(app.Box()->TabControl()->tabText(0).toStdString(), "甘蔗");
  EXPECT_EQ(FindSmDataType(16)->m_tabLabel, "甘蔗");
  EXPECT_EQ(Reg("tablabel_16"), "甘蔗");
  app.ExitInstance();
}

TEST_F(MainFrmTest, RenamedTabKeepsItsNameAfterCloseAndRestart) {
  {
    FrameApp app;
    Start(app);
    app.Box()->RenamePage("甘蔗");
    ASSERT_TRUE(app.Frame()->close());
    app.ExitInstance();
  }
  FrameApp next;
  Start(next);
  EXPECT_EQ(next.Box()->TabControl()->tabText(0).toStdString(), "甘蔗");
  EXPECT_EQ(next.Box()->TabControl()->tabText(1).toStdString(), "报表");
  next.ExitInstance();
}

TEST_F(MainFrmTest, ClosedTemplateBoxComesBackWithNewOpenAndTheViewMenu) {
  FrameApp app;
  Start(app);
  QMenu* view = nullptr;
  for (QAction* action : app.Frame()->menuBar()->actions()) {
    if (action->text() == "查看(&V)") view = action->menu();
  }
  ASSERT_NE(view, nullptr);
  EXPECT_TRUE(Has(Commands(view), SM_ID_TEMPLATE_BOX));
  EXPECT_TRUE(app.IsTemplateBoxVisible());
  for (const int id : std::vector<int>{SM_ID_FILE_NEW, SM_ID_FILE_OPEN, SM_ID_TEMPLATE_BOX}) {
    SmExecuteCommand(SM_ID_PANE_HIDE);
    EXPECT_FALSE(app.IsTemplateBoxVisible()) << id;
    SmExecuteCommand(id);
    EXPECT_TRUE(app.IsTemplateBoxVisible()) << id;
    EXPECT_TRUE(app.Box()->isVisible()) << id;
  }
  app.ExitInstance();
}

TEST_F(MainFrmTest, PagesLieInsideTheTabControlForEachPlace) {
  FrameApp app;
  Start(app);
  CSmTemplateBox* box = app.Box();
  for (int dockBar : {SM_DOCKBAR_LEFT, SM_DOCKBAR_TOP, SM_DOCKBAR_FLOAT}) {
    box->DockAt(dockBar);
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
    const QRect tabs = box->TabControl()->geometry();
    const QRect page = box->CurrentPage()->geometry();
    EXPECT_TRUE(box->Client()->rect().contains(tabs)) << dockBar;
    EXPECT_TRUE(tabs.contains(page)) << dockBar;
    EXPECT_EQ(page.topLeft() - tabs.topLeft(), QPoint(3, 3)) << dockBar;
  }
  app.ExitInstance();
}

// ---------------------------------------------------------------- About box

class AboutTest : public testing::Test {
 protected:
  void SetUp() override {
    QDir().mkpath(QString::fromStdString(SmTestHome() + "/about"));
    QFile::remove(QString::fromStdString(Stem() + ".smi"));
    QFile program(QString::fromStdString(Program()));
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
  }
  static std::string Stem() { return SmTestHome() + "/about/canemill"; }
  static std::string Program() { return Stem() + ".exe"; }

  class AboutApp : public FrameApp {
   public:
    std::string GetProgramPath() const override { return Program(); }
  };
};

std::string LabelText(QDialog& dialog, int id) {
  auto* label = dialog.findChild<QLabel*>(QString::number(id));
  return label ? label->text().toStdString() : "-";
}

TEST_F(AboutTest, ShowsTheVersionAndTheMakersTextWithTheProgramsDate) {
  AboutApp app;
  app.SelectModuleInfo();
  CSmAboutDlg dialog(&app);
  dialog.show();
  EXPECT_EQ(dialog.windowTitle().toStdString(), "关于甘蔗结算");
  EXPECT_EQ(LabelText(dialog, CSmAboutDlg::kTitle), "甘蔗结算");
  EXPECT_EQ(LabelText(dialog, CSmAboutDlg::kVersion), "(A5.0.5版)");
  const QString time =
      QFileInfo(QString::fromStdString(Program())).lastModified().toString("yyyy-MM-dd hh:mm:ss");
  EXPECT_EQ(LabelText(dialog, CSmAboutDlg::kInfo),
            CSmAboutDlg::TemplateText() + "\n\n最后修改时间：" + time.toStdString());
}

TEST_F(AboutTest, DistributorFileReplacesTheMakersText) {
  QFile file(QString::fromStdString(Stem() + ".smi"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("南方糖业\n地址：南宁\n电话：0771-1234567\n");
  file.close();
  AboutApp app;
  app.SelectModuleInfo();
  CSmAboutDlg dialog(&app);
  dialog.show();
  EXPECT_EQ(LabelText(dialog, CSmAboutDlg::kInfo), "地址：南宁\n电话：0771-1234567\n");
}

}  // namespace
