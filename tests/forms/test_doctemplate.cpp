// Document templates, form child frames and the form data type: the opening order and its
// failures, the main frame's bars and menus while document windows are open, the frame keys,
// the lookups over a module's kinds and the acting on the kind selected in the template list.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <map>

#include "app/SmApp.h"
#include "app/SmMainFrm.h"
#include "app/SmTemplateBox.h"
#include "app/SmWorkstation.h"
#include "core/SmDatabase.h"
#include "core/SmRegKey.h"
#include "forms/SmChildFrm.h"
#include "forms/SmDoc.h"
#include "forms/SmDocTemplate.h"
#include "forms/SmFormDataType.h"
#include "forms/SmPublicSheet.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "res/SmResource.h"
#include "tests/common/SmTestDataFile.h"
#include "tests/common/SmTestMain.h"
#include "tests/forms/test_formapp.h"

namespace {

struct Behaviour {
  bool loadRows = true;
  bool newDocument = true;
};
Behaviour g_behave;

class TestDoc : public CSmDoc {
 public:
  void DefineTitle(CSmFormDef& def) override {
    def.sFna = m_kind.sName;
    def.nTopNum = 1;
  }
  void DefineColumns(CSmFormDef& def) override {
    def.InsertCol(0, 101, 1010, 0, 0, "户号/STRING/LEFT");
    def.InsertCol(1, 102, 1010, 0, 2, "重量/NUMBER/RIGHT");
  }
  bool LoadRows(int) override { return g_behave.loadRows; }
  bool OnNewDocument() override { return g_behave.newDocument; }
};

// A view with one edit field, where the frame keys are tried.
class TestView : public CSmView {
 public:
  TestView() {
    auto* layout = new QVBoxLayout(this);
    m_edit = new QLineEdit(this);
    layout->addWidget(m_edit);
    m_edit->installEventFilter(this);
  }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == m_edit && event->type() == QEvent::KeyPress) m_keysSeen++;
    return false;
  }
  QLineEdit* m_edit;
  int m_keysSeen = 0;
};

// Closes every settings sheet that opens modally, counting them.
struct SheetCloser {
  SheetCloser() {
    QObject::connect(&timer, &QTimer::timeout, [this] {
      auto* sheet = qobject_cast<CSmPublicSheet*>(QApplication::activeModalWidget());
      if (!sheet) return;
      ++closed;
      sheet->reject();
    });
    timer.start(5);
  }
  QTimer timer;
  int closed = 0;
};

class RefusingFrame : public CFormChildFrm {
 public:
  bool Create() override { return false; }
};

template <class Frame>
std::unique_ptr<CSmDocTemplate> MakeTemplate(int module, int number) {
  auto made = std::make_unique<CSmDocTemplate>(
      SM_IDR_EMPTY_MENU, [] { return std::make_unique<TestDoc>(); }, [] { return new Frame; },
      [](CSmDocument*, CSmChildFrame*) { return new TestView; }, number, 0);
  made->m_module = module;
  return made;
}

// Module 16: template 255 (kinds 1, 2 and the disabled 3) in form frames and 256 (kind 1, open
// only) in list-and-card frames; module 3: template 257 whose frames refuse to be made.
class TestModule : public SmTestFormModule {
 public:
  using SmTestFormModule::SmTestFormModule;
  void AddTemplates(CSmDocManager& manager) override {
    if (m_number == 16) {
      auto first = MakeTemplate<CFormChildFrm>(16, 255);
      first->AddKind(1, "收购单", "", 0, "1601", 1, 0);
      first->AddKind(2, "结算单", "结算", 0, "1602", 1, 0);
      first->AddKind(3, "停用单", "", 0, "1603", 1, 0);
      first->m_kinds.back().bEnabled = false;
      auto second = MakeTemplate<CFormChildFrm1>(16, 256);
      second->AddKind(1, "农户卡片", "", 1, "1604", 2, 0);
      manager.AddDocTemplate(std::move(first));
      manager.AddDocTemplate(std::move(second));
      return;
    }
    auto refusing = MakeTemplate<RefusingFrame>(3, 257);
    refusing->AddKind(1, "报表", "", 0, "0301", 1, 0);
    manager.AddDocTemplate(std::move(refusing));
  }
  bool CreatePage(CSmTemplateBox* box) override {
    auto* list = new QListWidget(box->PageParent());
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    for (int i = 0; i < 4; ++i) list->addItem(QString::number(i));
    m_page = list;
    return true;
  }
  QListWidget* List() const { return qobject_cast<QListWidget*>(m_page.data()); }
};

using FormApp = SmFormTestApp<TestModule>;

std::vector<std::string> MenuTitles(CSmMainFrm* frame) {
  std::vector<std::string> titles;
  for (QAction* action : frame->menuBar()->actions()) {
    titles.push_back(action->text().toStdString());
  }
  return titles;
}

class DocTemplateTest : public testing::Test {
 protected:
  void SetUp() override {
    SmResetMessages();
    g_behave = {};
    CSmRegKey().DeleteKeyTree(SM_HKEY_CURRENT_USER, "Software\\reduvor\\FormTest");
    ASSERT_TRUE(m_app.InitInstance({}));
    ASSERT_TRUE(m_app.m_env.OpenFile("", SmCreateTestDataFile(2016), "101", true));
    m_app.m_env.SetOperatorName("管理员");
    m_app.m_opLog.m_enabled = 1;
    m_db = m_app.m_env.GetDatabase();
    QApplication::processEvents();
  }
  void TearDown() override {
    m_app.m_docManager.CloseAllDocuments();
    QApplication::processEvents();
    m_app.ExitInstance();
  }
  CSmDocTemplate* Template(int number) {
    for (const auto& t : m_app.m_docManager.Templates()) {
      auto* found = dynamic_cast<CSmDocTemplate*>(t.get());
      if (found && found->m_number == number) return found;
    }
    return nullptr;
  }
  CSmChildFrame* Open(int templateNumber, int kindIndex, int openMode) {
    CSmDocTemplate* docTemplate = Template(templateNumber);
    CSmChildFrame* frame =
        docTemplate->OpenDocumentOfKind(docTemplate->m_kinds[kindIndex], openMode, true, false);
    QApplication::processEvents();
    return frame;
  }
  void Close(CSmChildFrame* frame) {
    frame->close();
    QApplication::processEvents();
  }
  int Documents() const { return m_app.m_docManager.DocumentCount(); }
  int Windows() const { return m_app.Frame()->MdiArea()->subWindowList().size(); }
  std::vector<std::string> LogNotes() {
    std::vector<std::string> notes;
    for (int code : {13, 14}) {
      std::vector<std::string> texts;
      m_db->QueryStrings("Select sNote From SmLog Where nTaskID=" + std::to_string(code), &texts,
                         1);
      for (const std::string& text : texts) notes.push_back(std::to_string(code) + " " + text);
    }
    return notes;
  }
  std::vector<std::string> Shown() {
    std::vector<std::string> texts;
    for (const auto& box : CSmMessageService::Instance().Shown()) texts.push_back(box.text);
    return texts;
  }

  FormApp m_app{"FormTest"};
  CSmDatabase* m_db = nullptr;
};

TEST_F(DocTemplateTest, KindsAndLookupsOverTheModuleTemplates) {
  CSmDocTemplate* first = Template(255);
  EXPECT_EQ(first->m_kinds[0].sShortName, "收购单");  // an empty short name takes the name
  EXPECT_EQ(first->m_kinds[1].sShortName, "结算");
  EXPECT_EQ(first->m_kinds[0].sRight, "1601");

  // Two form modules registered the log template once.
  int logTemplates = 0;
  for (const auto& t : m_app.m_docManager.Templates()) {
    auto* found = dynamic_cast<CSmDocTemplate*>(t.get());
    if (found && found->m_module == 0) ++logTemplates;
  }
  ASSERT_EQ(logTemplates, 1);
  CSmDocTemplate* log = Template(kSmLogTemplate);
  ASSERT_EQ(log->m_kinds.size(), 1u);
  EXPECT_EQ(log->m_kinds[0].sName, "操作日志");
  EXPECT_TRUE(log->m_kinds[0].bOpenOnly);

  TestModule* cane = m_app.Module(16);
  TestModule* report = m_app.Module(3);
  EXPECT_EQ(cane->FindTemplate(256), Template(256));
  EXPECT_EQ(cane->FindTemplate(257), nullptr);  // another module's
  EXPECT_EQ(report->FindTemplate(257), Template(257));
  EXPECT_EQ(cane->FindTemplate(kSmLogTemplate), nullptr);

  CSmDocKind kind;
  EXPECT_EQ(cane->FindKind(255, 2, kind), first);
  EXPECT_EQ(kind.sName, "结算单");
  EXPECT_EQ(cane->FindKind(255, 9, kind), nullptr);

  struct Line {
    int index;
    int templateNumber;  // 0: none
    int kindNumber;
  };
  const Line lines[] = {{0, 255, 1}, {2, 255, 3}, {3, 256, 1}, {4, 0, 0}, {-1, 0, 0}};
  for (const Line& line : lines) {
    SCOPED_TRACE(line.index);
    int number = 0;
    CSmDocKind found;
    CSmDocTemplate* owner = cane->KindByIndex(line.index, number, found);
    if (line.templateNumber == 0) {
      EXPECT_EQ(owner, nullptr);
      continue;
    }
    ASSERT_NE(owner, nullptr);
    EXPECT_EQ(number, line.templateNumber);
    EXPECT_EQ(found.nNumber, line.kindNumber);
    EXPECT_EQ(cane->IndexOfKind(line.templateNumber, line.kindNumber), line.index);
  }
  EXPECT_EQ(cane->IndexOfKind(257, 1), -1);
  EXPECT_EQ(report->IndexOfKind(257, 1), 0);
}

TEST_F(DocTemplateTest, OpeningLogsNewAndOpenedDocumentsAndRefusalsLeaveNothing) {
  g_behave.loadRows = false;
  EXPECT_EQ(Open(255, 0, 1), nullptr);
  g_behave.loadRows = true;
  CSmDocTemplate* first = Template(255);
  SheetCloser sheets;
  EXPECT_EQ(first->OpenDocumentOfKind(first->m_kinds[0], 1, true, true), nullptr);
  EXPECT_EQ(sheets.closed, 1);  // the properties sheet
  EXPECT_TRUE(Shown().empty());
  EXPECT_EQ(Documents(), 0);
  EXPECT_EQ(Windows(), 0);
  EXPECT_TRUE(LogNotes().empty());

  CSmChildFrame* created = Open(255, 0, 0);
  ASSERT_NE(created, nullptr);
  CSmChildFrame* opened = Open(255, 1, 1);
  ASSERT_NE(opened, nullptr);
  EXPECT_EQ(LogNotes(), (std::vector<std::string>{"13 新建文档：收购单", "14 打开文档：结算单"}));
  EXPECT_EQ(Documents(), 2);
  EXPECT_EQ(opened->windowTitle().toStdString(), "结算单");
  auto* doc = dynamic_cast<CSmDoc*>(opened->GetActiveDocument());
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(doc->nFlag, 255);
  EXPECT_EQ(doc->m_module, 16);
  EXPECT_EQ(doc->m_rows.size(), 1u);
}

TEST_F(DocTemplateTest, FramesOrDocumentsThatFailLeaveNoDocument) {
  // A frame that cannot be made.
  CSmDocTemplate* refusing = Template(257);
  EXPECT_EQ(refusing->OpenDocumentOfKind(refusing->m_kinds[0], 0, true, false), nullptr);
  EXPECT_EQ(Shown(), std::vector<std::string>{kSmFailedToCreateDoc});
  // A document that refuses its opening.
  g_behave.newDocument = false;
  EXPECT_EQ(Open(255, 0, 0), nullptr);
  EXPECT_EQ(Documents(), 0);
  EXPECT_EQ(Windows(), 0);
  EXPECT_TRUE(LogNotes().empty());
  EXPECT_FALSE(m_app.Frame()->ToolBar()->isHidden());
}

TEST_F(DocTemplateTest, FaultyHeaderBlocksAskToRestoreTheDefault) {
  Close(Open(255, 0, 0));  // stores the default definition
  const char* count = "Select Count(*) From SmFormTopWord Where nFlag=255 And nForm=1";
  ASSERT_EQ(m_db->QueryInt(count), 2);
  struct Case {
    int answer;
    int stored;  // blocks stored afterwards
  };
  for (const Case& c : {Case{SM_IDNO, 1}, Case{SM_IDYES, 2}}) {
    SCOPED_TRACE(c.answer);
    ASSERT_TRUE(
        m_db->ExecuteSQL("Delete From SmFormTopWord Where nFlag=255 And nForm=1 And nCol1=1"));
    SmResetMessages();
    CSmMessageService::Instance().QueueAnswer(c.answer);
    CSmChildFrame* frame = Open(255, 0, 1);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(Shown(), std::vector<std::string>{"栏头单元块未定义完备！\n要恢复默认栏头吗？"});
    auto* doc = dynamic_cast<CSmDoc*>(frame->GetActiveDocument());
    EXPECT_EQ(doc->m_formDef.m_topWords.size(), static_cast<size_t>(c.stored));
    EXPECT_EQ(m_db->QueryInt(count), c.stored);
    Close(frame);
  }
}

TEST_F(DocTemplateTest, DocumentWindowsTakeTheMainBarsAndMenus) {
  CSmMainFrm* main = m_app.Frame();
  const std::vector<std::string> formMenus = {"文件(&F)", "编辑(&E)", "设置(&T)",
                                              "查看(&V)", "窗口(&W)", "帮助(&H)"};
  CSmChildFrame* first = Open(255, 0, 0);
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(first->isMaximized());
  EXPECT_TRUE(main->ToolBar()->isHidden());
  EXPECT_TRUE(main->statusBar()->isHidden());
  EXPECT_EQ(MenuTitles(main), formMenus);
  QMenu* view = main->menuBar()->actions()[3]->menu();
  std::map<int, std::string> viewItems;
  for (QAction* action : view->actions()) {
    viewItems[CSmCommandManager::CommandId(action)] = action->text().toStdString();
  }
  EXPECT_EQ(viewItems[SM_ID_VIEW_TOOLBAR], "工具栏(&G)");
  EXPECT_EQ(viewItems[SM_ID_VIEW_STATUS_BAR], "状态栏(&S)");
  EXPECT_EQ(viewItems.count(SM_ID_SHOW_TOOLBAR) + viewItems.count(SM_ID_SHOW_STATUS_BAR), 0u);
  auto* form = qobject_cast<CFormChildFrm*>(first);
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->StatusBar()->findChild<QLabel*>("pane1")->text().toStdString(),
            "操作：101,管理员");

  // A second window leaves the hidden bars hidden; switching back and forth adds nothing twice.
  main->ToolBar()->show();  // as if the user showed it again meanwhile
  CSmChildFrame* second = Open(256, 0, 1);
  ASSERT_NE(second, nullptr);
  EXPECT_FALSE(main->ToolBar()->isHidden());
  for (CSmChildFrame* frame : {first, second, first}) {
    main->MdiArea()->setActiveSubWindow(frame);
    QApplication::processEvents();
    EXPECT_TRUE(frame->isMaximized());
    EXPECT_EQ(MenuTitles(main), formMenus);
  }

  // The frame's own bars answer the View menu.
  SmExecuteCommand(SM_ID_VIEW_STATUS_BAR);
  EXPECT_TRUE(form->StatusBar()->isHidden());

  // Closing the last window brings back the bars, the template box on its page, the menus.
  main->ToolBar()->hide();
  m_app.ShowTemplateBox(false);
  Close(second);
  EXPECT_TRUE(main->ToolBar()->isHidden());
  Close(first);
  EXPECT_FALSE(main->ToolBar()->isHidden());
  EXPECT_FALSE(main->statusBar()->isHidden());
  EXPECT_FALSE(main->TemplateBox()->isHidden());
  EXPECT_EQ(MenuTitles(main),
            (std::vector<std::string>{"文件(&F)", "设置(&S)", "系统(&X)", "查看(&V)", "帮助(&H)"}));
}

TEST_F(DocTemplateTest, EditingKeysOfAListAndCardFrameReachTheFocusedField) {
  CSmChildFrame* form = Open(255, 0, 0);
  CSmChildFrame* card = Open(256, 0, 1);
  ASSERT_NE(form, nullptr);
  ASSERT_NE(card, nullptr);
  struct Case {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    bool cardField;  // reaches the field of a list-and-card frame
  };
  const Case cases[] = {
      {Qt::Key_Delete, Qt::NoModifier, true},    {Qt::Key_X, Qt::ControlModifier, true},
      {Qt::Key_C, Qt::ControlModifier, true},    {Qt::Key_V, Qt::ControlModifier, true},
      {Qt::Key_Z, Qt::ControlModifier, true},    {Qt::Key_Insert, Qt::ControlModifier, true},
      {Qt::Key_Insert, Qt::ShiftModifier, true}, {Qt::Key_S, Qt::ControlModifier, false},
      {Qt::Key_A, Qt::ControlModifier, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(QKeySequence(c.key | c.modifiers).toString().toStdString());
    for (CSmChildFrame* frame : {form, card}) {
      auto* view = frame->findChild<TestView*>();
      ASSERT_NE(view, nullptr);
      view->m_keysSeen = 0;
      QKeyEvent press(QEvent::KeyPress, c.key, c.modifiers);
      QApplication::sendEvent(view->m_edit, &press);
      EXPECT_EQ(view->m_keysSeen, frame == card && c.cardField ? 1 : 0);
    }
  }
}

TEST_F(DocTemplateTest, OpenModesWrittenOnCloseAreReadAtTheNextOpening) {
  CSmChildFrame* frame = Open(255, 1, 0);
  auto* doc = dynamic_cast<CSmDoc*>(frame->GetActiveDocument());
  doc->m_openModes = {"2016-01-01", "2016-01-31"};
  Close(frame);
  std::vector<std::string> stored;
  EXPECT_EQ(ReadDocOpenModes(255, 2, stored), 2);
  frame = Open(255, 1, 1);
  doc = dynamic_cast<CSmDoc*>(frame->GetActiveDocument());
  EXPECT_EQ(doc->m_openModes, (std::vector<std::string>{"2016-01-01", "2016-01-31"}));
}

TEST_F(DocTemplateTest, TheSelectedKindIsActedOnOnlyWhenItMayBe) {
  TestModule* cane = m_app.Module(16);
  QListWidget* list = cane->List();
  ASSERT_NE(list, nullptr);
  struct Case {
    const char* name;
    std::vector<int> rows;
    int command;  // 0 new, 1 open, 2 properties
    int documents;
    int boxes;
  };
  const Case cases[] = {
      {"two selected", {0, 1}, 1, 0, 0},
      {"none selected", {}, 0, 0, 0},
      {"a disabled kind", {2}, 1, 0, 0},
      {"new of an open-only kind", {3}, 0, 0, 0},
      {"properties", {0}, 2, 0, 0},
      {"open of an open-only kind", {3}, 1, 1, 0},
      {"new", {1}, 0, 2, 0},
  };
  SheetCloser sheets;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SmResetMessages();
    list->clearSelection();
    for (int row : c.rows) list->item(row)->setSelected(true);
    m_app.OpeningTemplates = "x";
    if (c.command == 0) cane->OnFileNew();
    if (c.command == 1) cane->OnFileOpen();
    if (c.command == 2) cane->EditSelectedKind();
    QApplication::processEvents();
    EXPECT_EQ(Documents(), c.documents);
    EXPECT_EQ(Shown().size(), static_cast<size_t>(c.boxes));
  }
  EXPECT_EQ(sheets.closed, 1);
  EXPECT_TRUE(m_app.OpeningTemplates.empty());
  EXPECT_TRUE(m_app.Frame()->TemplateBox()->isHidden());
  // The System menu's command opens the log template's kind, refused with the log switch off.
  SmResetMessages();
  m_app.m_env.SetLogOn(0);
  SmExecuteCommand(SM_ID_VIEW_LOG);
  EXPECT_EQ(Shown(), std::vector<std::string>{"日志开关未打开！"});
  EXPECT_EQ(Documents(), 2);
}

}  // namespace
