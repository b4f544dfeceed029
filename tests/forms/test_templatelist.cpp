// The template list of a form module: rows and check marks from the operator's rights, user
// forms from the data file, the availability of its commands, acting on the selection, the
// list style, and adding, deleting and pasting user forms within one data file and between two.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <set>

#include "app/SmApp.h"
#include "app/SmMainFrm.h"
#include "core/SmDatabase.h"
#include "core/SmRegKey.h"
#include "core/SmString.h"
#include "forms/SmChildFrm.h"
#include "forms/SmDoc.h"
#include "forms/SmDocTemplate.h"
#include "forms/SmFormDataType.h"
#include "forms/SmFormDef.h"
#include "forms/SmTemplateList.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "res/SmResource.h"
#include "tests/common/SmTestDataFile.h"
#include "tests/common/SmTestMain.h"
#include "tests/forms/test_formapp.h"
#include "tests/forms/test_listmodule.h"
#include "ui/SmPrintInfo.h"

namespace {

void Click(QWidget* widget, QPoint at) {
  for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
    QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(widget, &event);
  }
}

void Key(QWidget* widget, int key) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
  QApplication::sendEvent(widget, &press);
}

class TemplateListTest : public testing::Test {
 protected:
  void SetUp() override {
    SmResetMessages();
    CSmRegKey().DeleteKeyTree(SM_HKEY_CURRENT_USER, "Software\\reduvor\\ListTest");
    ASSERT_TRUE(m_app.InitInstance({}));
    m_file = SmCreateTestDataFile(2016);
    ASSERT_TRUE(m_app.m_env.OpenFile("", m_file, "101", true));
    m_app.m_env.SetRights("1601 1602 1603 ");
    m_app.m_opLog.m_enabled = 1;
    m_db = m_app.m_env.GetDatabase();
    m_module = m_app.Module(16);
    m_list = m_module->TemplateList();
    ASSERT_NE(m_list, nullptr);
    m_list->Refresh();
  }
  void TearDown() override {
    m_app.m_docManager.CloseAllDocuments();
    QApplication::processEvents();
    m_app.ExitInstance();
  }
  void Select(const std::vector<std::pair<int, int>>& kinds) {
    m_list->clearSelection();
    for (const auto& [templateNumber, kindNumber] : kinds) {
      const int row = m_list->RowOf(templateNumber, kindNumber);
      ASSERT_GE(row, 0) << templateNumber << "-" << kindNumber;
      m_list->topLevelItem(row)->setSelected(true);
    }
  }
  std::vector<std::pair<int, int>> SelectedKinds() const {
    std::vector<std::pair<int, int>> kinds;
    for (int row : m_list->SelectedRows()) {
      kinds.emplace_back(m_list->TemplateOfRow(row), m_list->KindOfRow(row));
    }
    return kinds;
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (int row = 0; row < m_list->RowCount(); ++row) {
      names.push_back(m_list->topLevelItem(row)->text(0).toStdString());
    }
    return names;
  }
  std::vector<std::string> LogNotes() {
    std::vector<std::string> notes;
    m_db->QueryStrings("Select sNote From SmLog Where nTaskID=14", &notes, 1);
    return notes;
  }
  std::vector<std::string> Shown() {
    std::vector<std::string> texts;
    for (const auto& box : CSmMessageService::Instance().Shown()) texts.push_back(box.text);
    return texts;
  }
  std::string Title(int templateNumber, int kindNumber) {
    CSmFormDef def;
    def.Attach(m_db, templateNumber, kindNumber);
    return def.LoadList() ? def.sFna : "(none)";
  }

  ListApp m_app{"ListTest"};
  std::string m_file;
  CSmDatabase* m_db = nullptr;
  ListModule* m_module = nullptr;
  CSmTemplateList* m_list = nullptr;
};

TEST_F(TemplateListTest, RowsShowKindsUserFormsAndRightsThatClicksCannotChange) {
  StoreForm(m_db, 257, 2, "\n农户月报表");
  StoreForm(m_db, 257, 3, "停用表", 30, 0);   // not open: not listed
  StoreForm(m_db, 255, 4, "收购单二");        // its template takes no user forms
  StoreForm(m_db, 257, 1, "月报表（已改）");  // a program kind keeps its own row
  m_list->Refresh();
  EXPECT_EQ(m_list->objectName(), QString::number(CSmTemplateList::kControlId));
  EXPECT_EQ(Names(),
            (std::vector<std::string>{"收购单", "过磅单", "统计表", "月报表", "农户月报表"}));
  QTreeWidgetItem* second = m_list->topLevelItem(1);
  EXPECT_EQ(second->text(1), "255");
  EXPECT_EQ(second->text(2), "1");
  EXPECT_EQ(second->text(3), "过磅单查询");
  CSmDocKind userForm;
  ASSERT_NE(m_module->FindKind(257, 2, userForm), nullptr);
  EXPECT_TRUE(userForm.bUserForm);
  EXPECT_EQ(userForm.sRight, "1603");  // as the template's first kind

  // The right shows as the row's look, with no check box to click.
  const std::vector<bool> marks = {true, true, true, false, true};
  const QColor grey = m_list->palette().color(QPalette::Disabled, QPalette::Text);
  for (int row = 0; row < m_list->RowCount(); ++row) {
    SCOPED_TRACE(row);
    QTreeWidgetItem* item = m_list->topLevelItem(row);
    EXPECT_EQ(m_list->HasRight(row), marks[row]);
    EXPECT_FALSE(item->data(0, Qt::CheckStateRole).isValid());
    EXPECT_EQ(item->foreground(0).color() == grey, !marks[row]);
    EXPECT_FALSE(item->icon(0).isNull());
  }

  // Clicks along the start of a row and the space bar leave every right as it was.
  m_list->SetViewMode(1);
  m_list->show();
  QApplication::processEvents();
  for (int row : {0, 3}) {
    const QRect rect = m_list->visualItemRect(m_list->topLevelItem(row));
    for (int x = rect.left() + 1; x < rect.left() + 40; x += 3) {
      Click(m_list->viewport(), QPoint(x, rect.center().y()));
    }
    Key(m_list, Qt::Key_Space);
    EXPECT_EQ(m_list->HasRight(row), marks[row]);
    EXPECT_FALSE(m_list->topLevelItem(row)->data(0, Qt::CheckStateRole).isValid());
  }
  // Another operator with other rights sees other rights.
  m_app.m_env.SetRights("1604 ");
  m_list->Refresh();
  EXPECT_EQ(m_list->HasRight(0), false);
  EXPECT_EQ(m_list->HasRight(3), true);
}

TEST_F(TemplateListTest, ActsOnOneSelectedRowOnly) {
  struct Case {
    std::vector<std::pair<int, int>> selected;
    void (CFormDataType::*act)();
    int documents;
  };
  const Case cases[] = {
      {{{255, 0}, {257, 0}}, &CFormDataType::NewSelectedKind, 0},
      {{{255, 0}, {257, 0}}, &CFormDataType::OpenSelectedKind, 0},
      {{{255, 0}, {257, 0}}, &CFormDataType::EditSelectedKind, 0},
      {{{255, 1}}, &CFormDataType::NewSelectedKind, 0},   // open only
      {{{257, 1}}, &CFormDataType::OpenSelectedKind, 0},  // no right
      {{{255, 1}}, &CFormDataType::OpenSelectedKind, 1},
      {{{255, 0}}, &CFormDataType::NewSelectedKind, 2},
  };
  for (const Case& c : cases) {
    Select(c.selected);
    (m_module->*c.act)();
    QApplication::processEvents();
    EXPECT_EQ(m_app.m_docManager.DocumentCount(), c.documents);
  }
  EXPECT_EQ(Shown(), std::vector<std::string>{});
  // Enter opens the selected kind through the list.
  Select({{255, 1}});
  Key(m_list, Qt::Key_Return);
  EXPECT_EQ(m_app.m_docManager.DocumentCount(), 3);
}

// The list always shows the focus on a chosen row that Enter opens: the first row when it is
// filled afresh, the row chosen before after a document closed.
TEST_F(TemplateListTest, EnterOpensTheChosenRowAgainAfterTheDocumentClosed) {
  ASSERT_EQ(m_list->SelectedRows(), std::vector<int>{0});
  EXPECT_EQ(m_list->currentItem(), m_list->topLevelItem(0));
  Select({{255, 1}});
  const std::vector<int> chosen = m_list->SelectedRows();
  Key(m_list, Qt::Key_Return);
  ASSERT_EQ(m_app.m_docManager.DocumentCount(), 1);
  m_app.m_docManager.CloseAllDocuments();
  QApplication::processEvents();
  EXPECT_EQ(m_list->SelectedRows(), chosen);
  EXPECT_TRUE(m_list->currentItem() && m_list->currentItem()->isSelected());
  Key(m_list, Qt::Key_Return);
  EXPECT_EQ(m_app.m_docManager.DocumentCount(), 1);
}

TEST_F(TemplateListTest, ListStyleIsStoredAndRestoredPerModule) {
  CFormDataType* other = m_app.Module(3);
  EXPECT_EQ(m_list->ViewMode(), 0);
  m_list->SetViewMode(1);
  m_module->SaveListStyle();
  m_list->SetViewMode(3);
  m_module->LoadListStyle();
  EXPECT_EQ(m_list->ViewMode(), 1);
  EXPECT_FALSE(m_list->header()->isHidden());
  // The list's own view command is what gets stored.
  m_list->OnCommand(SM_ID_VIEW_LIST);
  m_module->SaveListStyle();
  m_list->SetViewMode(0);
  m_module->LoadListStyle();
  EXPECT_EQ(m_list->ViewMode(), 3);
  other->LoadListStyle();  // nothing stored: the default view stays
  EXPECT_EQ(other->TemplateList()->ViewMode(), 0);
}

TEST_F(TemplateListTest, CommandAvailabilityFollowsTheSelection) {
  StoreForm(m_db, 257, 2, "复件_月报表");
  m_list->Refresh();
  enum { kNew, kOpen, kDelete, kProperties, kAdd, kExport, kImport, kCopy, kCut };
  const unsigned ids[] = {SM_ID_LIST_ADD,         SM_ID_LIST_OPEN,    SM_ID_LIST_DELETE,
                          SM_ID_DOC_PROPERTIES,   SM_ID_ADD_TEMPLATE, SM_ID_EXPORT_STRUCTURE,
                          SM_ID_IMPORT_STRUCTURE, SM_ID_EDIT_COPY,    SM_ID_EDIT_CUT};
  struct Case {
    const char* what;
    std::vector<std::pair<int, int>> selected;
    std::string enabled;  // one digit per command above
  };
  const Case cases[] = {
      {"nothing", {}, "000000100"},
      {"program kind", {{255, 0}}, "110101110"},
      {"open-only kind", {{255, 1}}, "010101110"},
      {"kind without right, user forms allowed", {{257, 1}}, "000011100"},
      {"user form", {{257, 2}}, "011111110"},
      {"two program kinds", {{255, 0}, {257, 0}}, "011101110"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Select(c.selected);
    std::string enabled;
    for (unsigned id : ids) enabled += m_list->IsCommandEnabled(id) ? '1' : '0';
    EXPECT_EQ(enabled, c.enabled);
  }
  // The module may refuse any command: the list and its menu grey it.
  Select({{255, 0}});
  m_module->refused = {SM_ID_EDIT_COPY};
  EXPECT_FALSE(m_list->IsCommandEnabled(SM_ID_EDIT_COPY));
  std::unique_ptr<QMenu> menu = m_list->CreateContextMenu();
  std::vector<std::string> texts;
  for (QAction* action : menu->actions()) {
    const unsigned id = action->data().toUInt();
    if (id == SM_ID_EDIT_COPY || id == SM_ID_LIST_ADD) {
      EXPECT_EQ(action->isEnabled(), id == SM_ID_LIST_ADD);
    }
    if (!action->isSeparator()) texts.push_back(action->text().toStdString());
  }
  const std::vector<std::string> around(texts.begin() + 2, texts.begin() + 9);
  EXPECT_EQ(around, (std::vector<std::string>{
                        "删除(&R)\tDelete", "增加文档模板(&A)", "文档属性 ...", "卸出文档结构 ...",
                        "载入文档结构 ...", "修改模块标签标题 ...", "关闭文档模板框(&X)"}));
  EXPECT_EQ(texts[9], "复制(&C)\tCtrl+C");
}

TEST_F(TemplateListTest, AddTemplateCopiesTheLastKindOfTheTemplate) {
  StoreForm(m_db, 257, 1, "月报表", 44);
  for (int round = 0; round < 2; ++round) {
    Select({{257, 0}});
    m_list->AddTemplate();
    if (round == 0) {
      // A definition stored at the next number by another kind keeps its number.
      StoreForm(m_db, 257, 3, "别的表", 30, 0);
    }
  }
  EXPECT_EQ(Title(257, 2), "复件_月报表");
  EXPECT_EQ(Title(257, 3), "别的表");
  EXPECT_EQ(Title(257, 4), "复件_月报表");
  EXPECT_EQ(m_db->QueryInt("Select Count(*) From SmFormList Where nFlag=257 And nForm=3"), 1);
  EXPECT_EQ(SelectedKinds(), (std::vector<std::pair<int, int>>{{257, 4}}));

  CSmFormDef source, copy;
  source.Attach(m_db, 257, 1);
  copy.Attach(m_db, 257, 4);
  for (CSmFormDef* def : {&source, &copy}) {
    def->LoadList();
    def->LoadCols();
    def->LoadTopWords();
    def->LoadHeadNotes();
  }
  EXPECT_EQ(copy.m_cols, source.m_cols);
  EXPECT_EQ(copy.m_topWords, source.m_topWords);
  EXPECT_EQ(copy.m_headNotes, source.m_headNotes);
  CSmPrintInfo print;
  print.Load(m_db, 257, "4");
  EXPECT_EQ(print.PageRow, 44);
  EXPECT_EQ(print.m_widths, (std::vector<int>{120, 80}));
  EXPECT_EQ(LogNotes(),
            (std::vector<std::string>{"增加文档模板：复件_月报表", "增加文档模板：复件_月报表"}));

  // Without a stored definition of the last kind nothing happens.
  for (int kind : {1, 2, 4}) ASSERT_TRUE(DeleteFormDef(257, kind, m_db));
  m_list->Refresh();
  Select({{257, 0}});
  m_list->AddTemplate();
  EXPECT_EQ(m_db->QueryInt("Select Count(*) From SmFormList Where nFlag=257"), 1);
}

TEST_F(TemplateListTest, DeleteRemovesOnlyUserFormsAndKeepsTheOthersSelected) {
  StoreForm(m_db, 257, 2, "复件_月报表");
  StoreForm(m_db, 257, 3, "复件_统计表");
  StoreForm(m_db, 257, 1, "月报表");
  m_list->Refresh();
  ASSERT_EQ(StoredRows(m_db, 257, 2), 12);

  Select({{255, 1}, {257, 2}, {257, 3}});
  CSmMessageService::Instance().QueueAnswer(SM_IDNO);
  Key(m_list, Qt::Key_Delete);
  EXPECT_EQ(Shown(), std::vector<std::string>{"真的要删除文档模扳吗？"});
  EXPECT_EQ(m_list->RowCount(), 6);

  Select({{255, 1}, {257, 2}, {257, 1}});
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  m_list->Delete();
  EXPECT_EQ(StoredRows(m_db, 257, 2), 0);
  EXPECT_EQ(StoredRows(m_db, 257, 1), 12);
  EXPECT_EQ(Names(),
            (std::vector<std::string>{"收购单", "过磅单", "统计表", "月报表", "复件_统计表"}));
  EXPECT_EQ(SelectedKinds(), (std::vector<std::pair<int, int>>{{255, 1}, {257, 1}}));
  EXPECT_EQ(LogNotes(), std::vector<std::string>{"删除文档模板：复件_月报表"});
}

TEST_F(TemplateListTest, PasteIntoTheSameDataFileMakesANewKind) {
  StoreForm(m_db, 257, 1, "月报表", 36);
  Select({{257, 1}});
  m_list->Copy();
  StoreForm(m_db, 257, 2, "其他", 30, 0);  // a definition another kind keeps
  m_list->Paste();
  EXPECT_EQ(Title(257, 3), "复件_月报表");
  EXPECT_EQ(Title(257, 2), "其他");
  CSmPrintInfo print;
  print.Load(m_db, 257, "3");
  EXPECT_EQ(print.PageRow, 36);
  EXPECT_EQ(SelectedKinds(), (std::vector<std::pair<int, int>>{{257, 3}}));
  CSmDatabase source(0);
  ASSERT_TRUE(source.Open(m_file));
  EXPECT_EQ(LogNotes(),
            std::vector<std::string>{"从" + source.GetFileName() + "粘贴文档模板：复件_月报表"});
}

TEST_F(TemplateListTest, PasteFromAnotherDataFileKeepsNumbersAndSkipsRefusedRows) {
  const std::string otherFile = SmCreateTestDataFile(2017, m_file + ".dir");
  CSmDatabase other(0);
  ASSERT_TRUE(other.Open(otherFile));
  StoreForm(m_db, 257, 1, "月报表", 30);
  StoreForm(&other, 257, 1, "月报表（二）", 52);
  StoreForm(&other, 257, 9, "农户'年报'表");
  StoreForm(&other, 300, 0, "报表");
  StoreForm(&other, 255, 5, "收购单五");
  SmCopyRowsToClipboard(CSmTemplateList::kClipboardFormat, SmSourceOf(&other), false,
                        {"257 1", "257 7", "300 0", "255 5", "257 9"});

  CSmMessageService::Instance().QueueAnswer(SM_IDNO);
  m_list->Paste();
  EXPECT_EQ(Title(257, 1), "月报表");
  EXPECT_EQ(Shown(),
            (std::vector<std::string>{
                "〔月报表〕已存在，覆盖吗？", "源文档模板(257-7)尚未存在盘，无法粘帖！",
                "系统不能接受该种文档模扳：300-0！", "系统不能产生该种文档模扳(255-5)的复件！"}));
  EXPECT_EQ(Title(257, 9), "农户'年报'表");
  EXPECT_EQ(SelectedKinds(), (std::vector<std::pair<int, int>>{{257, 9}}));

  SmResetMessages();
  SmCopyRowsToClipboard(CSmTemplateList::kClipboardFormat, SmSourceOf(&other), false, {"257 1"});
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  m_list->Paste();
  EXPECT_EQ(Title(257, 1), "月报表（二）");
  EXPECT_EQ(m_db->QueryInt("Select Count(*) From SmFormList Where nFlag=257 And nForm=1"), 1);
  CSmPrintInfo print;
  print.Load(m_db, 257, "1");
  EXPECT_EQ(print.PageRow, 52);
  const std::string from = "从" + other.GetFileName() + "粘贴文档模板：";
  EXPECT_EQ(LogNotes(), (std::vector<std::string>{from + "农户'年报'表", from + "月报表（二）"}));
}

}  // namespace
