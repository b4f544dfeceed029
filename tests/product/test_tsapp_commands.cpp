// The cane module's Settings menu: each command under its right, the maintenance commands greyed
// while a document window is open, and where each goes, also from a settlement card whose list
// has commands of its own.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

#include "app/SmMainFrm.h"
#include "app/SmTemplateBox.h"
#include "cane/TsDataType.h"
#include "core/SmDatabase.h"
#include "forms/SmDocTemplate.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "product/TsApp.h"
#include "tests/common/SmModalScript.h"
#include "tests/common/SmTestDataFile.h"
#include "tests/common/SmTestMain.h"
#include "tests/common/SmTestRows.h"
#include "weighing/TsSheetOpenDlg.h"
#include "weighing/TsgbRec.h"
#include "weighing/TsjsDoc.h"

namespace {

class SettingsApp : public CTsApp {
 public:
  bool InitInstance(const std::vector<std::string>&) override { return true; }
};

class TsSettingsTest : public testing::Test {
 protected:
  void SetUp() override {
    SmResetMessages();
    app.SetMainWnd(std::make_unique<CSmFrameWnd>());
    // The dialogs read the cane module's parameters.
    app.AdoptDataType(std::make_unique<CTsDataType>())->Init();
  }
  void SetDocumentOpen(bool open) {
    for (QMdiSubWindow* child : app.GetMainWnd()->MdiArea()->subWindowList()) delete child;
    if (!open) return;
    auto* child = new CSmChildFrame;
    child->setWidget(new QWidget);
    app.GetMainWnd()->AddChild(child);
  }
  SettingsApp app;
};

TEST_F(TsSettingsTest, EachCommandNeedsItsRightAndSomeNeedNoDocumentWindow) {
  struct Case {
    int id;
    const char* right;
    bool greyedByDocument;
  };
  const Case cases[] = {
      {SM_ID_SYS_PARAMS, "1601", true},   {SM_ID_FARMER_DIR, "1602", false},
      {SM_ID_PLACE_DIR, "1603", false},   {SM_ID_DRIVER_DIR, "1604", false},
      {SM_ID_VARIETY_DIR, "1605", false}, {SM_ID_COMM_PORTS, "0008", true},
  };
  const std::string all = "1601 1602 1603 1604 1605 0008 ";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    const std::string right = std::string(c.right) + " ";
    std::string others = all;
    others.erase(others.find(right), right.size());
    for (const bool document : {false, true}) {
      SetDocumentOpen(document);
      app.m_env.SetOperatorNo("101");  // the administrator holds only what he was given
      app.m_env.SetRights(others);
      EXPECT_FALSE(CSmCommandManager::Instance().Update(c.id));
      app.m_env.SetOperatorNo("102");
      app.m_env.SetRights(right);
      EXPECT_EQ(CSmCommandManager::Instance().Update(c.id), !(document && c.greyedByDocument))
          << document;
    }
  }
  // The application's own commands still answer behind the product's.
  SetDocumentOpen(true);
  EXPECT_FALSE(CSmCommandManager::Instance().Update(SM_ID_LOGIN));
}

TEST_F(TsSettingsTest, CommandsOpenTheirDialogs) {
  SetDocumentOpen(false);
  app.m_env.SetRights("1601 1602 1603 1604 1605 0008 ");
  const std::pair<int, const char*> dialogs[] = {
      {SM_ID_COMM_PORTS, "806"},  {SM_ID_SYS_PARAMS, "950"}, {SM_ID_FARMER_DIR, "952"},
      {SM_ID_VARIETY_DIR, "963"}, {SM_ID_PLACE_DIR, "954"},  {SM_ID_DRIVER_DIR, "956"}};
  for (const auto& [id, templateId] : dialogs) {
    std::string shown;
    QTimer::singleShot(0, [&shown] {
      QWidget* modal = QApplication::activeModalWidget();
      if (!modal) return;
      shown = modal->objectName().toStdString();
      modal->close();
    });
    EXPECT_TRUE(SmExecuteCommand(id));
    EXPECT_EQ(shown, templateId) << id;
  }
}

// The whole program on a data file of the tests, logged in without the log-in dialog.
class CardsApp : public CTsApp {
 public:
  bool LogIn(const std::string&) override { return true; }
  void RunUpdater() override {}
  bool CheckDataEngine() override { return true; }

 protected:
  bool RegisterDataFileType() override { return true; }
};

// A cane settlement card on 20160315 with slip 00001 settled and paid, not reviewed.
class TsSettingsInCardTest : public testing::Test {
 protected:
  void SetUp() override {
    SmResetMessages();
    ASSERT_TRUE(m_app.InitInstance({}));
    ASSERT_TRUE(m_app.m_env.OpenFile("", SmCreateTestDataFile(2016), "101", true));
    m_app.m_env.SetRights("1605 1630 1634 ");
    m_app.m_opLog.m_enabled = 1;
    // The cane page is chosen in the template box, as when the clerk opens its documents.
    m_app.ShowTemplateBox(true);
    CSmMainFrm::TemplateBoxOf(m_app.GetMainWnd())->SelectPage(0);
    m_db = m_app.m_env.GetDatabase();
    CTsgbRec ticket;
    ticket.T = "20160315";
    ticket.TH = "080000";
    ticket.DH = "00001";
    ticket.KNO[0] = "10102001";
    ticket.MU[0] = 30;
    ticket.MU[1] = 10;
    ticket.OPR[0] = "102";
    ticket.OPR[1] = "103";
    ticket.JN[0] = "00001";
    ticket.JT[0] = "20160315";
    ticket.OPR[2] = "101";  // settled
    ticket.OPR[4] = "101";  // and paid
    ASSERT_EQ(ticket.Insert(m_db), 1);
  }
  void TearDown() override {
    m_app.m_docManager.CloseAllDocuments();
    QApplication::processEvents();
    m_app.ExitInstance();
  }
  CTsjsListView* OpenSettlementCard() {
    for (const auto& registered : m_app.m_docManager.Templates()) {
      auto* found = dynamic_cast<CSmDocTemplate*>(registered.get());
      if (!found || found->m_number != 256) continue;
      QObject timers;
      OnModalOf(&timers, 960, [](QWidget* dlg) {
        Type(dlg, CTsSheetOpenDlg::kYear, "2016");
        Type(dlg, CTsSheetOpenDlg::kMonth, "03");
        Type(dlg, CTsSheetOpenDlg::kDay, "15");
        Press(dlg, SM_ID_OK);
      });
      CSmChildFrame* frame = found->OpenDocumentOfKind(found->m_kinds[0], 0, true, false);
      QApplication::processEvents();
      return frame ? frame->findChild<CTsjsListView*>() : nullptr;
    }
    return nullptr;
  }
  // The Settings menu on the main window's menu bar.
  QMenu* SettingsMenu() {
    for (QAction* action : m_app.GetMainWnd()->menuBar()->actions()) {
      if (action->menu() && action->text().startsWith("设置")) return action->menu();
    }
    return nullptr;
  }
  std::string Rows(const std::string& query) { return SmJoinedRows(m_db, query); }

  CardsApp m_app;
  CSmDatabase* m_db = nullptr;
};

// The list's 复核 is no Settings item: after the list's menu was built, 甘蔗品种目录 keeps its
// text and, with the clerk in the list on a slip, opens the directory and reviews nothing.
TEST_F(TsSettingsInCardTest, TheVarietyItemOpensItsDirectoryAndOnlyTheListReviews) {
  CTsjsListView* list = OpenSettlementCard();
  ASSERT_NE(list, nullptr);
  list->SelectNumber("00001");
  QApplication::setActiveWindow(list->window());
  list->List()->setFocus();
  QApplication::processEvents();
  ASSERT_TRUE(list->List()->hasFocus());
  const auto listMenu = list->List()->CreateContextMenu();

  QMenu* settings = SettingsMenu();
  ASSERT_NE(settings, nullptr);
  emit settings->aboutToShow();
  QAction* variety = nullptr;
  for (QAction* action : settings->actions()) {
    if (CSmCommandManager::CommandId(action) == SM_ID_VARIETY_DIR) variety = action;
  }
  ASSERT_NE(variety, nullptr);
  EXPECT_EQ(variety->text().toStdString(), "甘蔗品种目录 ...");
  ASSERT_TRUE(variety->isEnabled());
  std::string shown;
  QObject timers;
  OnModalOf(&timers, 963, [&shown](QWidget* dlg) {
    shown = dlg->objectName().toStdString();
    dlg->close();
  });
  variety->trigger();
  EXPECT_EQ(shown, "963");
  EXPECT_EQ(Rows("Select OPR6 From gbSheet"), "");
  EXPECT_EQ(Rows("Select count(*) From SmLog Where nTaskID=1606"), "0");

  QAction* review = nullptr;
  for (QAction* action : listMenu->actions()) {
    if (action->text() == "复核") review = action;
  }
  ASSERT_NE(review, nullptr);
  ASSERT_TRUE(review->isEnabled());
  review->trigger();
  EXPECT_EQ(Rows("Select OPR6 From gbSheet"), "101");
  EXPECT_EQ(Rows("Select sNote From SmLog Where nTaskID=1606"), "复核：00001");
}

}  // namespace
