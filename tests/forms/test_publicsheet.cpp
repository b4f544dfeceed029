// The form settings sheet: what OK checks and in which order it asks the document, renumbering
// under a free form number with the print settings and the template-number entry, saving,
// the template list and the log; the defaults command and Cancel.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QTabWidget>
#include <QTimer>
#include <map>

#include "app/SmApp.h"
#include "core/SmDatabase.h"
#include "core/SmRegKey.h"
#include "core/SmString.h"
#include "forms/SmChildFrm.h"
#include "forms/SmDoc.h"
#include "forms/SmDocTemplate.h"
#include "forms/SmFormDataType.h"
#include "forms/SmPropertyPage.h"
#include "forms/SmPublicPages.h"
#include "forms/SmPublicSheet.h"
#include "forms/SmTemplateList.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "res/SmResource.h"
#include "tests/common/SmTestDataFile.h"
#include "tests/common/SmTestMain.h"
#include "tests/core/test_server_fixture.h"
#include "tests/forms/test_formapp.h"
#include "tests/forms/test_formdef_fixture.h"
#include "tests/forms/test_publicsheet_fixture.h"
#include "ui/SmPrintInfo.h"
#include "ui/SmSpinCtrl.h"

namespace {

class SheetTest : public PublicSheetTest {
 protected:
  std::unique_ptr<CSmPublicSheet> Sheet() {
    return std::make_unique<CSmPublicSheet>(m_doc, "文档属性");
  }
  static bool Accepted(const CSmPublicSheet& sheet) { return sheet.result() == QDialog::Accepted; }
  static void SetText(CSmPublicSheet& sheet, int id, const std::string& text) {
    qobject_cast<QLineEdit*>(sheet.Page1()->Control(id))->setText(QString::fromStdString(text));
  }
  long LogRows(int code) {
    return m_db->QueryInt(FormatStr("Select Count(*) From SmLog Where nTaskID=%d", code));
  }
};

TEST_F(SheetTest, RefusalsKeepTheSheetOpenWithItsEditsAndWriteNothing) {
  struct Case {
    const char* name;
    std::function<void(CSmPublicSheet&)> edit;
    std::string message;
  };
  const Case cases[] = {
      {"a title of blanks", [](CSmPublicSheet& s) { SetText(s, CSmPublicPage1::kTitle, "   "); },
       "标题名称不能为空，返回修改。"},
      {"11 header rows", [](CSmPublicSheet& s) { SetText(s, CSmPublicPage1::kHeaderRows, "11"); },
       "栏头行数不合适，返回修改。"},
      {"header rows below the blocks",
       [](CSmPublicSheet& s) {
         s.EditedDef().m_topWords.push_back({});
         s.EditedDef().m_topWords.back().Set(1, 1, 1, 3, "甲");
         s.SetActivePage(2);
         s.SetActivePage(0);
         EXPECT_EQ(s.Page1()->HeaderRowSpin()->Lower(), 3);
         SetText(s, CSmPublicPage1::kHeaderRows, "2");
       },
       "栏头行数不合适，返回修改。"},
  };
  const CSmFormDef before = Stored(255, 2);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SmResetMessages();
    auto sheet = Sheet();
    c.edit(*sheet);
    const std::string title =
        sheet->Page1()->Control(CSmPublicPage1::kTitle)->property("text").toString().toStdString();
    sheet->OnOK();
    EXPECT_FALSE(Accepted(*sheet));
    EXPECT_EQ(CSmMessageService::Instance().LastText(), c.message);
    EXPECT_EQ(
        sheet->Page1()->Control(CSmPublicPage1::kTitle)->property("text").toString().toStdString(),
        title);
    EXPECT_TRUE(Stored(255, 2) == before);
  }
  EXPECT_EQ(LogRows(15), 0);
  EXPECT_TRUE(m_doc.m_asked.empty());
}

TEST_F(SheetTest, OkWithoutAChangeWritesOnlyTheLogRow) {
  const CSmFormDef before = Stored(255, 2);
  auto sheet = Sheet();
  sheet->SetActivePage(1);
  sheet->SetActivePage(3);
  sheet->OnOK();
  EXPECT_TRUE(Accepted(*sheet));
  EXPECT_TRUE(m_doc.m_asked.empty());
  EXPECT_TRUE(Stored(255, 2) == before);
  EXPECT_EQ(LogNotes(15), std::vector<std::string>{"设置：255(2--->2)"});
  EXPECT_TRUE(Shown().empty());
}

TEST_F(SheetTest, AFreeFormNumberMovesEverythingStoredUnderTheOldOne) {
  AddPrintRows(255, "2");
  m_db->ExecuteSQL("Insert Into SysCsTab(Cs,CsN,CsNa,CsVal) Values(9000,255,'2','收购单')");
  CSmPrintInfo print;
  print.Load(m_db, 255, "2");
  auto sheet = Sheet();
  SetText(*sheet, CSmPublicPage1::kFormNumber, "7");
  SetText(*sheet, CSmPublicPage1::kTitle, "  甘蔗收购单 ");
  sheet->OnOK();
  ASSERT_TRUE(Accepted(*sheet)) << CSmMessageService::Instance().LastText();
  EXPECT_EQ(PrintRows(255, "2"), 0);

  EXPECT_EQ(m_db->QueryInt("Select Count(*) From SysCsTab Where Cs=9000 And CsN=255 And "
                           "CsNa='7'"),
            1);
  CSmFormDef gone;
  gone.Attach(m_db, 255, 2);
  EXPECT_FALSE(gone.LoadList());
  const CSmFormDef moved = Stored(255, 7);
  EXPECT_EQ(moved.sFna, "甘蔗收购单");
  EXPECT_EQ(moved.m_cols, m_doc.m_formDef.m_cols);
  // The print settings stay as they were, under the new number.
  CSmPrintInfo moved7;
  moved7.Load(m_db, 255, "7");
  EXPECT_TRUE(moved7 == print);
  EXPECT_EQ(moved7.m_widths.at(0), 12);
  // The template list shows the form under its new number, selected.
  CSmTemplateList* list = m_app.Module(16)->TemplateList();
  const int row = list->RowOf(255, 7);
  ASSERT_GE(row, 0);
  EXPECT_TRUE(list->topLevelItem(row)->isSelected());
  EXPECT_EQ(LogNotes(15), std::vector<std::string>{"设置：255(2--->7)"});
  EXPECT_EQ(m_doc.m_asked, (std::vector<std::pair<int, int>>{{-1, -1}, {5, -1}, {3, -1}}));
}

TEST_F(SheetTest, AFailedSaveKeepsTheOldDefinitionAndItsNumber) {
  AddPrintRows(255, "2");
  m_db->ExecuteSQL("Insert Into SysCsTab(Cs,CsN,CsNa,CsVal) Values(9000,255,'2','收购单')");
  ASSERT_TRUE(
      m_db->ExecuteSQL("CREATE TRIGGER NoNotes BEFORE INSERT ON SmFormHeadNote "
                       "BEGIN SELECT RAISE(ABORT,'refused'); END"));
  const CSmFormDef before = Stored(255, 2);
  auto sheet = Sheet();
  SetText(*sheet, CSmPublicPage1::kFormNumber, "7");
  SetText(*sheet, CSmPublicPage1::kTitle, "新标题");
  sheet->OnOK();
  EXPECT_FALSE(Accepted(*sheet));
  EXPECT_TRUE(Stored(255, 2) == before);
  EXPECT_EQ(PrintRows(255, "2"), 3);
  EXPECT_EQ(PrintRows(255, "7"), 0);
  EXPECT_EQ(m_db->QueryInt("Select Count(*) From SysCsTab Where Cs=9000 And CsNa='2'"), 1);
  CSmFormDef none;
  none.Attach(m_db, 255, 7);
  EXPECT_FALSE(none.LoadList());
  EXPECT_EQ(LogRows(15), 0);
}

TEST_F(SheetTest, ATakenFormNumberIsRefusedOnItsField) {
  StoreForm(255, 9, 0);                    // stored, though no kind of the list
  for (const char* number : {"1", "9"}) {  // kind 1 is listed by its template
    SCOPED_TRACE(number);
    SmResetMessages();
    auto sheet = Sheet();
    sheet->SetActivePage(3);
    SetText(*sheet, CSmPublicPage1::kFormNumber, number);
    sheet->OnOK();
    EXPECT_FALSE(Accepted(*sheet));
    ASSERT_EQ(Shown(), std::vector<std::string>{"文档模板的序号已被使用，返回修改！"});
    EXPECT_EQ(CSmMessageService::Instance().Shown()[0].flags, SM_MB_OK | SM_MB_ICONERROR);
    EXPECT_EQ(sheet->Page1()->focusWidget()->objectName(),
              QString::number(CSmPublicPage1::kFormNumber));
  }
  EXPECT_EQ(Stored(255, 2).nForm, 2);
  EXPECT_EQ(LogRows(15), 0);
}

TEST_F(SheetTest, TheFormNumberIsEditableOnlyWhereTheDocumentAllowsIt) {
  m_doc.m_numberFixed = true;
  auto sheet = Sheet();
  EXPECT_FALSE(sheet->Page1()->Control(CSmPublicPage1::kFormNumber)->isEnabled());
}

TEST_F(SheetTest, IncompleteBlocksAskBeforeSaving) {
  for (int answer : {SM_IDNO, SM_IDYES}) {
    SmResetMessages();
    auto sheet = Sheet();
    sheet->EditedDef().m_topWords.pop_back();
    CSmMessageService::Instance().QueueAnswer(answer);
    sheet->OnOK();
    ASSERT_EQ(Shown(), std::vector<std::string>{"栏头单元块未定义完备！\n存盘吗？"});
    EXPECT_EQ(Accepted(*sheet), answer == SM_IDYES);
    EXPECT_EQ(Stored(255, 2).m_topWords.size(), answer == SM_IDYES ? 3u : 4u);
  }
}

TEST_F(SheetTest, TheDocumentIsAskedPerKindOfChangeAndEachVetoKeepsTheSheetOpen) {
  auto edit = [this](CSmPublicSheet& sheet) {
    SetText(sheet, CSmPublicPage1::kFormNumber, "8");
    SetText(sheet, CSmPublicPage1::kTitle, "新标题");
    SetText(sheet, CSmPublicPage1::kHeaderRows, "3");
    qobject_cast<QAbstractButton*>(sheet.Page1()->Control(CSmPublicPage1::kPageTotal))
        ->setChecked(true);
    CSmFormDef& def = sheet.EditedDef();
    def.m_cols[2].nLess = 0;
    def.m_topWords[0].sWords = "户";
    def.m_headNotes[0].sWords = "某站";
    (void)this;
  };
  const std::vector<std::pair<int, int>> order = {{-1, -1}, {5, -1}, {3, -1}, {4, -1},
                                                  {6, -1},  {0, 2},  {1, 0},  {2, 0}};
  const CSmFormDef before = Stored(255, 2);
  for (size_t veto = 0; veto < order.size(); ++veto) {
    SCOPED_TRACE(veto);
    SmResetMessages();
    m_doc.m_asked.clear();
    m_doc.m_veto = order[veto].first;
    auto sheet = Sheet();
    edit(*sheet);
    CSmMessageService::Instance().QueueAnswer(SM_IDYES);  // the blocks do not cover 3 rows
    sheet->OnOK();
    EXPECT_FALSE(Accepted(*sheet));
    EXPECT_EQ(m_doc.m_asked, std::vector(order.begin(), order.begin() + veto + 1));
    EXPECT_EQ(sheet->EditedDef().m_headNotes[0].sWords, "某站");
    EXPECT_TRUE(Stored(255, 2) == before);
  }
  m_doc.m_veto = -99;
  m_doc.m_asked.clear();
  auto sheet = Sheet();
  edit(*sheet);
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  sheet->OnOK();
  EXPECT_TRUE(Accepted(*sheet));
  EXPECT_EQ(m_doc.m_asked, order);
  const CSmFormDef saved = Stored(255, 8);
  EXPECT_EQ(saved.sFna, "新标题");
  EXPECT_EQ(saved.nTopNum, 3);
  EXPECT_EQ(saved.bPageSum, 1);
  EXPECT_EQ(saved.m_headNotes, sheet->EditedDef().m_headNotes);
}

TEST_F(SheetTest, DefaultsGoIntoTheEditedCopyOnlyAndCancelWritesNothing) {
  const CSmFormDef before = Stored(255, 2);
  auto sheet = Sheet();
  CSmFormDef& def = sheet->EditedDef();
  def.m_cols.pop_back();
  def.m_topWords.clear();
  def.m_headNotes.clear();
  for (int page = 1; page <= 3; ++page) {
    sheet->SetActivePage(page);
    static_cast<CSmListPage*>(sheet->Page(page))->List()->OnCommand(SM_ID_FORM_DEFAULTS);
  }
  CSmFormDef defaults = before;
  EXPECT_EQ(def.m_cols, defaults.m_cols);
  EXPECT_EQ(def.m_topWords, defaults.m_topWords);
  EXPECT_EQ(def.m_headNotes, defaults.m_headNotes);
  EXPECT_EQ(static_cast<CSmListPage*>(sheet->Page(1))->List()->RowCount(), 4);
  def.sFna = "改过";
  sheet->reject();
  EXPECT_TRUE(Stored(255, 2) == before);
  EXPECT_EQ(m_doc.m_formDef.m_cols.size(), 4u);
  EXPECT_EQ(LogRows(15), 0);
}

TEST_F(SheetTest, PageHintsAreComposedByTheDocument) {
  auto sheet = Sheet();
  sheet->SetActivePage(1);
  const std::string hint = sheet->Page2()->GetStatusHint(CSmPublicPage::kColumnList);
  EXPECT_TRUE(hint.starts_with("　　按下鼠标右键，可调出操作功能菜单。<br>　　文档可用的栏"))
      << hint;
  EXPECT_EQ(sheet->Page1()->GetStatusHint(CSmPublicPage1::kTitle),
            "　　在此录入文档的标题，此标题中可<br>使用变量“#name”代表主体名称。");
  EXPECT_EQ(sheet->Page1()->GetStatusHint(CSmPublicPage1::kPageTotal), "");
}

TEST_F(SheetTest, ThePropertiesCommandsOpenTheSheet) {
  int opened = 0;
  auto closeSheet = [&opened] {
    if (auto* sheet = qobject_cast<CSmPublicSheet*>(QApplication::activeModalWidget())) {
      ++opened;
      sheet->reject();
    }
  };
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, closeSheet);
  timer.start(5);
  EXPECT_TRUE(m_doc.OnCommand(SM_ID_DOC_PROPERTIES));
  CSmDocTemplate* docTemplate = Template(255);
  docTemplate->OpenDocumentOfKind(docTemplate->m_kinds[0], 1, true, true);
  EXPECT_EQ(opened, 2);
  EXPECT_TRUE(Shown().empty());
}

// The server keeps the title in 200 bytes with the page-sum mark and the note hint in 20.
TEST_F(SheetTest, TheLongestTitleAndHintFitTheServerColumns) {
  CSmDatabase server(1);
  SmFreshServerDatabase(server, SmServerTestName("sheet"));
  m_app.CreateSystemTables(&server);
  m_doc.m_db = &server;
  m_doc.LoadFormDef();
  auto sheet = Sheet();
  const std::string title = "甘" + std::string(197, 'x');  // 199 bytes
  SetText(*sheet, CSmPublicPage1::kTitle, title + "y");
  EXPECT_EQ(
      sheet->Page1()->Control(CSmPublicPage1::kTitle)->property("text").toString().toStdString(),
      "收购单");
  SetText(*sheet, CSmPublicPage1::kTitle, title);
  qobject_cast<QAbstractButton*>(sheet->Page1()->Control(CSmPublicPage1::kPageTotal))
      ->setChecked(true);
  sheet->EditedDef().m_headNotes[0].sNote = "一二三四五六七八九十";
  sheet->OnOK();
  ASSERT_TRUE(Accepted(*sheet)) << CSmMessageService::Instance().LastText();
  CSmFormDef stored;
  stored.Attach(&server, 255, 2);
  ASSERT_TRUE(stored.LoadList());
  stored.LoadHeadNotes();
  EXPECT_EQ(stored.sFna, title);
  EXPECT_EQ(stored.bPageSum, 1);
  EXPECT_EQ(stored.m_headNotes.size(), 2u);
  EXPECT_TRUE(Shown().empty());
}

}  // namespace
