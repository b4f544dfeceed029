// Command routing, update handlers and the document/view layer over the MDI area.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QToolBar>

#include "platform/SmCommand.h"
#include "platform/SmCommandIds.h"
#include "platform/SmDocument.h"
#include "platform/SmMessage.h"
#include "tests/common/SmTestMain.h"

namespace {

constexpr int kDocOnly = 50001;    // handled by the document and the frame
constexpr int kFrameOnly = 50002;  // handled by the main frame only
constexpr int kAppOnly = 50003;    // handled by the application only
constexpr int kDisabled = 50004;   // the document's update handler disables it
constexpr int kChecked = 50005;    // the view checks it and renames it

// Records which target handled what.
struct Log {
  std::vector<std::string> handled;
};

class TestTarget : public CSmCmdTarget {
 public:
  TestTarget(std::string name, std::vector<int> ids, Log& log)
      : m_name(std::move(name)), m_ids(std::move(ids)), m_log(log) {}
  bool OnCommand(int id) override {
    if (std::find(m_ids.begin(), m_ids.end(), id) == m_ids.end()) return false;
    m_log.handled.push_back(m_name + ":" + std::to_string(id));
    return true;
  }

 private:
  std::string m_name;
  std::vector<int> m_ids;
  Log& m_log;
};

Log g_log;

class TestDoc : public CSmDocument {
 public:
  bool OnCommand(int id) override {
    if (id != kDocOnly && id != kDisabled) return false;
    g_log.handled.push_back("doc:" + std::to_string(id));
    return true;
  }
  bool OnUpdateCommand(int id, CSmCmdUI& ui) override {
    if (id != kDisabled) return false;
    ui.Enable(false);
    return true;
  }
  bool OnSaveDocument(const std::string& path) override {
    g_log.handled.push_back("save");
    return CSmDocument::OnSaveDocument(path);
  }
  static int s_alive;
  TestDoc() { ++s_alive; }
  ~TestDoc() override { --s_alive; }
};
int TestDoc::s_alive = 0;

class TestView : public CSmView {
 public:
  bool OnUpdateCommand(int id, CSmCmdUI& ui) override {
    if (id != kChecked) return false;
    ui.SetCheck(1);
    ui.SetText("已选中");
    return true;
  }
  void OnInitialUpdate() override { ++initialUpdates; }
  int initialUpdates = 0;
};

class MainFrame : public CSmFrameWnd {
 public:
  bool OnCommand(int id) override {
    if (id != kDocOnly && id != kFrameOnly) return false;
    g_log.handled.push_back("frame:" + std::to_string(id));
    return true;
  }
};

class CommandTest : public testing::Test {
 protected:
  void SetUp() override {
    g_log.handled.clear();
    SmResetMessages();
    frame = std::make_unique<MainFrame>();
    frame->MakeMain();
    CSmCommandManager::Instance().SetAppTarget(&app);
    docTemplate = std::make_unique<CSmMultiDocTemplate>(
        900, [] { return std::make_unique<TestDoc>(); },
        [](CSmDocument*, CSmChildFrame*) { return new TestView; });
  }
  void TearDown() override {
    docTemplate.reset();
    frame.reset();
    CSmCommandManager::Instance().Reset();
  }
  CSmDocument* Open() {
    CSmDocument* doc = docTemplate->OpenDocumentFile("");
    frame->MdiArea()->setActiveSubWindow(frame->MdiArea()->subWindowList().back());
    return doc;
  }

  TestTarget app{"app", {kAppOnly, kFrameOnly}, g_log};
  std::unique_ptr<MainFrame> frame;
  std::unique_ptr<CSmMultiDocTemplate> docTemplate;
};

TEST_F(CommandTest, ActionCarriesItsIdAndMenuText) {
  QAction* action = CSmCommandManager::Instance().Register(SM_ID_CALCULATOR, "计算器(D)...\tF12");
  EXPECT_EQ(action, SmCommandAction(SM_ID_CALCULATOR));
  EXPECT_EQ(action->objectName(), "43002");
  EXPECT_EQ(action->text().toStdString(), "计算器(D)...");
  EXPECT_EQ(action->shortcut(), QKeySequence("F12"));
  EXPECT_EQ(CSmCommandManager::CommandId(action), SM_ID_CALCULATOR);
  // The status-bar prompt shows no mnemonic marks.
  action = CSmCommandManager::Instance().Register(SM_ID_FILE_OPEN, "打开(&O)...\tCtrl+O");
  EXPECT_EQ(action->statusTip().toStdString(), "打开(O)...");
  EXPECT_EQ(SmStripMnemonics("R&&D &x&").toStdString(), "R&D x&");
}

TEST_F(CommandTest, RouteGoesViewDocumentChildFrameMainFrameApplication) {
  CSmDocument* doc = Open();
  ASSERT_NE(doc, nullptr);
  const std::vector<CSmCmdTarget*> route = CSmCommandManager::Instance().Route();
  ASSERT_EQ(route.size(), 5u);
  CSmChildFrame* child = frame->GetActiveChild();
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(route[0], child->GetActiveView());
  EXPECT_EQ(route[1], doc);
  EXPECT_EQ(route[2], child);
  EXPECT_EQ(route[3], frame.get());
  EXPECT_EQ(route[4], &app);
}

TEST_F(CommandTest, FirstTargetOnTheRouteWins) {
  struct Case {
    bool withDocument;
    int id;
    std::string handledBy;  // empty: nobody
  };
  const Case cases[] = {
      {true, kDocOnly, "doc:50001"},
      {false, kDocOnly, "frame:50001"},
      {true, kFrameOnly, "frame:50002"},
      {true, kAppOnly, "app:50003"},
      {false, 59999, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    g_log.handled.clear();
    if (c.withDocument && frame->MdiArea()->subWindowList().isEmpty()) Open();
    if (!c.withDocument) docTemplate->CloseAllDocuments();
    // Through the action, as a menu click would.
    SmCommandAction(c.id)->trigger();
    if (c.handledBy.empty()) {
      EXPECT_TRUE(g_log.handled.empty());
    } else {
      EXPECT_EQ(g_log.handled, std::vector<std::string>{c.handledBy});
    }
  }
}

TEST_F(CommandTest, UpdateHandlerGreysMenuItemAndBlocksTheCommand) {
  Open();
  QMenu menu;
  menu.addAction(SmCommandAction(kDisabled));
  menu.addAction(SmCommandAction(kChecked));
  menu.addAction(SmCommandAction(kAppOnly));
  CSmCommandManager::Instance().AttachMenu(&menu);
  SmCommandAction(kDisabled)->setEnabled(true);
  menu.popup(QPoint(0, 0));  // the menu runs its update as it opens
  ASSERT_TRUE(menu.isVisible());
  menu.hide();
  EXPECT_FALSE(SmCommandAction(kDisabled)->isEnabled());
  EXPECT_TRUE(SmCommandAction(kAppOnly)->isEnabled());
  EXPECT_TRUE(SmCommandAction(kChecked)->isChecked());
  EXPECT_EQ(SmCommandAction(kChecked)->text().toStdString(), "已选中");
  EXPECT_FALSE(SmExecuteCommand(kDisabled));
  EXPECT_TRUE(g_log.handled.empty());

  // With the document closed the command is enabled again on the next update.
  docTemplate->CloseAllDocuments();
  emit menu.aboutToShow();
  EXPECT_TRUE(SmCommandAction(kDisabled)->isEnabled());
}

TEST_F(CommandTest, ScopedTargetGoesFirstUntilItsScopeEnds) {
  Open();
  TestTarget dialog{"dialog", {kDocOnly}, g_log};
  {
    CSmRouteScope scope(&dialog);
    EXPECT_EQ(CSmCommandManager::Instance().Route().front(), &dialog);
    EXPECT_TRUE(SmExecuteCommand(kDocOnly));
    EXPECT_TRUE(SmExecuteCommand(kAppOnly));  // what the dialog leaves goes on as usual
  }
  EXPECT_TRUE(SmExecuteCommand(kDocOnly));
  EXPECT_EQ(g_log.handled, (std::vector<std::string>{"dialog:50001", "app:50003", "doc:50001"}));
}

TEST_F(CommandTest, ToolBarTimerUpdatesItsActions) {
  Open();
  QToolBar bar;
  bar.addAction(SmCommandAction(kDisabled));
  SmCommandAction(kDisabled)->setEnabled(true);
  CSmCommandManager::Instance().AttachToolBar(&bar);
  CSmCommandManager::Instance().UpdateToolBars();
  EXPECT_FALSE(SmCommandAction(kDisabled)->isEnabled());
}

TEST_F(CommandTest, TemplateMakesFrameAndViewAndInitialUpdateRunsOnce) {
  CSmDocument* doc = Open();
  ASSERT_EQ(doc->Views().size(), 1u);
  auto* view = dynamic_cast<TestView*>(doc->Views().front());
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->initialUpdates, 1);
  EXPECT_EQ(view->GetDocument(), doc);
  EXPECT_EQ(view->GetParentFrame(), frame->GetActiveChild());
  EXPECT_EQ(frame->MdiArea()->subWindowList().size(), 1);
}

TEST_F(CommandTest, ClosingModifiedDocumentAsksAndCancelKeepsIt) {
  struct Case {
    int answer;
    bool closed;
    bool saved;
  };
  const Case cases[] = {
      {SM_IDCANCEL, false, false}, {SM_IDNO, true, false}, {SM_IDYES, true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    g_log.handled.clear();
    SmResetMessages();
    CSmDocument* doc = Open();
    doc->SetTitle("过磅单");
    doc->SetModifiedFlag();
    CSmCommandManager::Instance().Reset();  // closing needs no route
    CSmMessageService::Instance().QueueAnswer(c.answer);
    CSmChildFrame* child = frame->GetActiveChild();
    child->close();
    QApplication::processEvents();
    ASSERT_EQ(CSmMessageService::Instance().Shown().size(), 1u);
    EXPECT_EQ(CSmMessageService::Instance().LastText(), "是否保存对“过磅单”的修改？");
    EXPECT_EQ(docTemplate->Documents().empty(), c.closed);
    EXPECT_EQ(!g_log.handled.empty(), c.saved);
    docTemplate->CloseAllDocuments();
    frame->MakeMain();
  }
  EXPECT_EQ(TestDoc::s_alive, 0);
}

TEST_F(CommandTest, UnmodifiedDocumentClosesWithoutQuestion) {
  Open();
  frame->GetActiveChild()->close();
  QApplication::processEvents();
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
  EXPECT_TRUE(docTemplate->Documents().empty());
  EXPECT_TRUE(frame->MdiArea()->subWindowList().isEmpty());
}

// Document windows whose views ask for next to no room, as a report's do before it has rows.
TEST_F(CommandTest, CascadeShowsEveryTitleAndGivesEachWindowMostOfTheArea) {
  frame->resize(1000, 700);
  frame->show();
  for (const int count : {3, 15}) {
    SCOPED_TRACE(count);
    docTemplate->CloseAllDocuments();
    for (int i = 0; i < count; ++i) Open();
    QMdiArea* area = frame->MdiArea();
    area->subWindowList().front()->showMaximized();
    QMdiSubWindow* front = area->subWindowList()[1];
    area->setActiveSubWindow(front);
    ASSERT_TRUE(frame->CSmFrameWnd::OnCommand(SM_ID_WINDOW_CASCADE));
    QApplication::processEvents();

    const QRect room = area->viewport()->rect();
    const QList<QMdiSubWindow*> stack = area->subWindowList(QMdiArea::StackingOrder);
    EXPECT_EQ(stack.back(), front);
    EXPECT_EQ(area->activeSubWindow(), front);
    for (int i = 0; i < stack.size(); ++i) {
      const QRect place = stack[i]->geometry();
      EXPECT_FALSE(stack[i]->isMaximized());
      EXPECT_TRUE(room.contains(place)) << i;
      EXPECT_GE(place.width(), room.width() * 2 / 3) << i;
      EXPECT_GE(place.height(), room.height() * 2 / 3) << i;
      EXPECT_EQ(place.size(), stack.front()->size()) << i;
    }
    // The first windows step down and right by a whole title bar, so each title shows above
    // the window in front of it.
    const int title = stack[0]->widget()->y();
    ASSERT_GT(title, 10);
    for (int i = 1; i < 3; ++i) {
      const QPoint step = stack[i]->pos() - stack[i - 1]->pos();
      EXPECT_EQ(step.x(), step.y()) << i;
      EXPECT_GE(step.y(), title) << i;
    }
  }
}

}  // namespace

namespace {

class RefusingDoc : public CSmDocument {
 public:
  bool OnOpenDocument(const std::string&) override { return false; }
};

TEST(DocTemplate, RefusedOpeningLeavesNoDocumentAndNoFrame) {
  CSmFrameWnd frame;
  frame.MakeMain();
  CSmMultiDocTemplate refusing(
      901, [] { return std::make_unique<RefusingDoc>(); },
      [](CSmDocument*, CSmChildFrame*) { return new CSmView; });
  EXPECT_EQ(refusing.OpenDocumentFile("/data/x.tsd"), nullptr);
  EXPECT_TRUE(refusing.Documents().empty());
  EXPECT_TRUE(frame.MdiArea()->subWindowList().isEmpty());

  // A document opened without a frame is kept until it is closed.
  CSmMultiDocTemplate plain(
      902, [] { return std::make_unique<CSmDocument>(); },
      [](CSmDocument*, CSmChildFrame*) { return new CSmView; });
  CSmDocument* doc = plain.OpenDocumentFile("/data/2026.tsd", false);
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(doc->GetTitle(), "2026.tsd");
  EXPECT_EQ(doc->GetDocTemplate(), &plain);
  EXPECT_TRUE(frame.MdiArea()->subWindowList().isEmpty());
  doc->OnCloseDocument();
  EXPECT_TRUE(plain.Documents().empty());
  CSmCommandManager::Instance().Reset();
}

TEST(DocTemplate, SecondFrameOfADocumentClosesWithoutAskingAndKeepsIt) {
  CSmFrameWnd frame;
  frame.MakeMain();
  CSmMultiDocTemplate docTemplate(
      903, [] { return std::make_unique<CSmDocument>(); },
      [](CSmDocument*, CSmChildFrame*) { return new CSmView; });
  CSmDocument* doc = docTemplate.OpenDocumentFile("");
  ASSERT_NE(doc, nullptr);
  CSmChildFrame* second = docTemplate.CreateNewFrame(doc);
  docTemplate.InitialUpdateFrame(second, doc);
  ASSERT_EQ(doc->Views().size(), 2u);
  doc->SetModifiedFlag();
  SmResetMessages();
  second->close();
  QApplication::processEvents();
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
  EXPECT_EQ(docTemplate.Documents().size(), 1u);
  EXPECT_EQ(doc->Views().size(), 1u);
  CSmCommandManager::Instance().Reset();
}

}  // namespace
