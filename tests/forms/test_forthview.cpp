// The application grid: totals on screen and per printed page, computed columns on the total
// row, refused cells in blue with their drop list on Enter, re-reading the rows, and closing
// and reopening the document's kind.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <map>

#include "app/SmApp.h"
#include "app/SmMainFrm.h"
#include "core/SmRegKey.h"
#include "forms/SmChildFrm.h"
#include "forms/SmDoc.h"
#include "forms/SmDocTemplate.h"
#include "forms/SmFormDataType.h"
#include "forms/SmForthView.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "res/SmResource.h"
#include "tests/common/SmTestDataFile.h"
#include "tests/common/SmTestMain.h"
#include "tests/common/SmTestPdf.h"
#include "tests/forms/test_formapp.h"
#include "ui/SmPrintHooks.h"
#include "ui/SmPrinterService.h"

namespace {

// Name, weight and a computed column "weight + 1000" whose total row takes the formula.
// A name "坏" is refused.
class TotalsDoc : public CSmDoc {
 public:
  TotalsDoc() {
    nFlag = 261;
    m_kind.nNumber = 1;
    m_kind.sName = "收购明细";
  }
  void DefineTitle(CSmFormDef& def) override {
    def.sFna = "收购明细";
    def.nTopNum = 1;
  }
  void DefineColumns(CSmFormDef& def) override {
    def.InsertCol(0, 101, 1010, 0, 0, "户名/STRING/LEFT");
    def.InsertCol(1, 102, 1010, 0, 0, "重量/NUMBER/RIGHT");
    def.InsertCol(2, 103, 1010, 0, 0, "计算/NUMBER/RIGHT/022/0/#c2+1000");
  }
  bool IsReadOnly() override { return false; }
  bool ValidateCell(int, int column, const std::string& text, std::string&) override {
    return column != 0 || text != "坏";
  }
  // Rows whose weights are 1 to n; re-reading takes `m_source` rows.
  void Fill(int rows) {
    m_rows.clear();
    m_rowFlags.clear();
    for (int i = 0; i < rows; ++i) {
      AppendRow();
      m_rows.back()[0] = "户";
      m_rows.back()[1] = std::to_string(i + 1);
    }
    ComputeFormulaColumns();
  }
  void Refresh() override { Fill(m_source); }
  void Open(int rows) {
    InitDocument();
    LoadFormDef();
    Fill(rows);
  }
  int m_source = 0;
};

// Prints 20 rows a page in a font whose digits read back from the PDF, and keeps what the
// total rows were given.
class TotalsView : public CForthView {
 public:
  TotalsView(TotalsDoc& doc, int totalRows) {
    doc.AddView(this);
    ResetViewState();
    m_nFormFootLines = totalRows;
    ResetLayout();
    for (auto& font : m_printInfo->m_fonts) font.faceName = "DejaVu Sans";
    resize(700, 500);
    show();
    UpdateScrollSizes(false);
  }
  int GetPageRows(CSmFormDC& dc) override { return dc.printing ? 20 : CForthView::GetPageRows(dc); }
  using CForthView::GetPageRows;
  bool GetDropListItems(QSize&, int, int column, const std::string&) override {
    if (column != 0) return false;
    DropList()->addItem("户 农户");
    return true;
  }
  void DrawTotalRow(int first, int last, const std::vector<std::string>& values,
                    CSmFormDC& dc) override {
    m_totals.push_back({first, last, values[1], values[2]});
    CForthView::DrawTotalRow(first, last, values, dc);
  }
  void DrawColumnFootLines(int column, CSmFormDC& dc) override {
    ++m_footLines;
    CForthView::DrawColumnFootLines(column, dc);
  }

  struct Total {
    int first, last;
    std::string weight, computed;
    bool operator==(const Total&) const = default;
  };
  std::vector<Total> m_totals;
  int m_footLines = 0;
  using CForthView::m_current;
};

class ForthViewTest : public testing::Test {
 protected:
  void SetUp() override {
    SmResetMessages();
    m_saved = SmGetPrintHooks();
    SmGetPrintHooks().writeLog = [](int, const std::string&) {};
    CSmPrinterService::Instance().Reset();
    ASSERT_TRUE(m_app.m_env.OpenFile("", SmCreateTestDataFile(2016), "101", true));
  }
  void TearDown() override {
    SmGetPrintHooks() = m_saved;
    CSmPrinterService::Instance().Reset();
  }
  // The words of each page, joined by blanks.
  static std::map<int, std::string> Pages(const std::string& pdf) {
    std::map<int, std::string> pages;
    for (const SmPdfWord& word : SmPdfWords(pdf)) pages[word.page] += word.text + " ";
    return pages;
  }
  static std::map<int, std::string> Print(TotalsView& view, const std::string& name) {
    const std::string pdf = SmQueueTestPdf(name);
    EXPECT_TRUE(view.OnCommand(SM_ID_FILE_PRINT_DIRECT));
    return Pages(pdf);
  }
  static bool Has(const std::string& words, const std::string& word) {
    return (" " + words).find(" " + word + " ") != std::string::npos;
  }

  SmPrintHooks m_saved;
  CSmApp m_app;
};

}  // namespace

TEST_F(ForthViewTest, ScreenTotalSumsEveryRowAndComputesTheFormulaColumn) {
  TotalsDoc doc;
  doc.Open(45);
  doc.m_rows[44][0] = "坏";
  EXPECT_FALSE(doc.SetCellValue(44, 0, "坏"));
  TotalsView view(doc, 2);
  view.grab();
  // 1 + ... + 45, the refused row too; the computed column is the formula of the sum.
  ASSERT_FALSE(view.m_totals.empty());
  EXPECT_EQ(view.m_totals.back(), (TotalsView::Total{0, 1, "1035", "2035"}));
  EXPECT_EQ(view.m_totals.size(), 1u);
  EXPECT_EQ(view.GetCellTextColor(0, 44, "TEXT"), 0xFF0000u);
  EXPECT_NE(view.GetCellTextColor(0, 43, "TEXT"), 0xFF0000u);
  EXPECT_GT(view.m_footLines, 0);
}

TEST_F(ForthViewTest, PrintedTotalsPerPage) {
  const struct {
    const char* name;
    int totalRows;
    int pageSum;
    int rows;
    std::vector<std::string> page2;  // labels and values printed on page 2
    std::vector<std::string> absent;
  } cases[] = {
      {"page total and running total",
       2,
       0,
       45,
       {"合计", "610", "1,610", "累计", "820", "1,820"},
       {}},
      {"one total row runs from the first row",
       1,
       0,
       45,
       {"累计", "820", "1,820"},
       {"合计", "610"}},
      {"the page alone", 1, 1, 45, {"合计", "610", "1,610"}, {"累计", "820"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TotalsDoc doc;
    doc.Open(c.rows);
    doc.m_pageSum = c.pageSum;
    TotalsView view(doc, c.totalRows);
    const std::map<int, std::string> pages = Print(view, "forth_totals");
    ASSERT_EQ(pages.size(), 3u);
    const std::string& words = pages.at(2);
    for (const std::string& word : c.page2)
      EXPECT_TRUE(Has(words, word)) << word << " in " << words;
    for (const std::string& word : c.absent) EXPECT_FALSE(Has(words, word)) << word;
    EXPECT_FALSE(Has(words, "20,610"));  // never the sum of the computed cells
  }
}

TEST_F(ForthViewTest, OnePageAndNoTotalRows) {
  TotalsDoc doc;
  doc.Open(10);
  {
    TotalsView view(doc, 2);
    const std::map<int, std::string> pages = Print(view, "forth_one_page");
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_TRUE(Has(pages.at(1), "合计"));
    EXPECT_TRUE(Has(pages.at(1), "55"));
    EXPECT_TRUE(Has(pages.at(1), "1,055"));
    EXPECT_FALSE(Has(pages.at(1), "累计"));
  }
  TotalsView plain(doc, 0);
  plain.grab();
  const std::map<int, std::string> pages = Print(plain, "forth_no_totals");
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_FALSE(Has(pages.at(1), "合计"));
  EXPECT_TRUE(plain.m_totals.empty());
  EXPECT_EQ(plain.m_footLines, 0);
}

namespace {

// Notes for the pre-printed form and for the plain page, both page numbers, and a title.
class NotedDoc : public TotalsDoc {
 public:
  void DefineTitle(CSmFormDef& def) override {
    def.sFna = "LEDGER";
    def.nTopNum = 1;
  }
  void DefineHeadNotes(CSmFormDef& def) override {
    def.m_headNotes.resize(4);
    def.m_headNotes[0].Set(0, 0, 1000, 1, 0, "甲", "KEEP");
    def.m_headNotes[1].Set(0, 0, 1050, 0, 0, "乙", "DROP");
    def.m_headNotes[2].Set(1, 0, 1000, 0, 0, "页码", "PAGE#pp");
    def.m_headNotes[3].Set(1, 0, 1050, 1, 0, "套打页码", "FORM#pp");
  }
};

}  // namespace

TEST_F(ForthViewTest, OverlayPreviewShowsOnlyWhatGoesOntoThePreprintedForm) {
  NotedDoc doc;
  doc.Open(10);
  TotalsView view(doc, 1);
  const std::string pdf = SmQueueTestPdf("forth_overlay_preview");
  ASSERT_TRUE(view.OnCommand(SM_ID_OVERLAY_PREVIEW));
  EXPECT_EQ(CSmMessageService::Instance().PrintDialogs(), std::vector<std::string>{"打印预览"});
  std::map<int, std::string> pages = Pages(pdf);
  ASSERT_EQ(pages.size(), 1u);
  for (const char* word : {"KEEP", "FORM1", "55"}) EXPECT_TRUE(Has(pages.at(1), word)) << word;
  for (const char* word : {"DROP", "PAGE1", "LEDGER"}) EXPECT_FALSE(Has(pages.at(1), word)) << word;
  // After the preview the page prints whole again.
  pages = Print(view, "forth_after_preview");
  ASSERT_EQ(pages.size(), 1u);
  for (const char* word : {"KEEP", "DROP", "PAGE1", "LEDGER"})
    EXPECT_TRUE(Has(pages.at(1), word)) << word;
  EXPECT_FALSE(Has(pages.at(1), "FORM1"));
}

TEST_F(ForthViewTest, EnterOnARefusedCellOpensItsListAndEditsReachTheDocument) {
  TotalsDoc doc;
  doc.Open(3);
  TotalsView view(doc, 1);
  view.setFocus();
  view.SetCurrentCell(1, 0, 2, "TEXT");
  view.TypeText("好");
  view.SetCurrentCell(1, 1, 0, "TEXT");  // leaving the cell checks it
  EXPECT_EQ(doc.m_rows[1][0], "户好");
  EXPECT_EQ(doc.m_rowFlags[1][0], '0');

  doc.m_rows[2][0] = "坏";
  view.SetCurrentCell(2, 0, 0, "TEXT");
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(&view, &enter);
  EXPECT_TRUE(view.DropList()->isVisible());
  EXPECT_EQ(doc.m_rowFlags[2][0], '1');
  EXPECT_EQ(view.GetCellTextColor(0, 2, "TEXT"), 0xFF0000u);
  EXPECT_EQ(view.m_current.row, 2);  // the caret stays on the refused cell

  view.HideDropList(false);
  view.SetCurrentCell(1, 0, 0, "TEXT");
  QApplication::sendEvent(&view, &enter);
  EXPECT_FALSE(view.DropList()->isVisible());
}

TEST_F(ForthViewTest, RereadTakesTheRowsAgainAndComputesThem) {
  TotalsDoc doc;
  doc.Open(30);
  TotalsView view(doc, 1);
  view.SetCurrentCell(25, 1, 0, "TEXT");
  doc.m_source = 5;
  ASSERT_TRUE(view.OnCommand(SM_ID_DOC_REREAD));
  EXPECT_EQ(view.TextRows(), 5);
  EXPECT_EQ(view.m_current.row, 4);
  EXPECT_EQ(doc.m_rows[4][2], "1005");
  doc.m_source = 0;  // nothing read: one empty row
  view.OnCommand(SM_ID_DOC_REREAD);
  EXPECT_EQ(view.TextRows(), 1);
  EXPECT_EQ(doc.m_rows.size(), 1u);
}

// ---------------------------------------------------------------- new and open of the kind

namespace {

int g_saves = 0;

class KindDoc : public TotalsDoc {
 public:
  bool GetSavePrompt(std::string& prompt) override {
    prompt.clear();
    return true;
  }
  bool Save(int) override {
    ++g_saves;
    return true;
  }
};

class KindModule : public SmTestFormModule {
 public:
  using SmTestFormModule::SmTestFormModule;
  void AddTemplates(CSmDocManager& manager) override {
    if (m_number != 16) return;
    auto made = std::make_unique<CSmDocTemplate>(
        SM_IDR_EMPTY_MENU, [] { return std::make_unique<KindDoc>(); },
        [] { return new CFormChildFrm; },
        [](CSmDocument*, CSmChildFrame*) { return new CForthView; }, 261, 0);
    made->m_module = 16;
    made->AddKind(1, "收购明细", "", 0, "1601", 1, 0);
    made->AddKind(2, "收购汇总", "", 1, "1602", 1, 0);
    manager.AddDocTemplate(std::move(made));
  }
};

class ReopenTest : public testing::Test {
 protected:
  void SetUp() override {
    SmResetMessages();
    g_saves = 0;
    CSmRegKey().DeleteKeyTree(SM_HKEY_CURRENT_USER, "Software\\reduvor\\ForthTest");
    ASSERT_TRUE(m_app.InitInstance({}));
    ASSERT_TRUE(m_app.m_env.OpenFile("", SmCreateTestDataFile(2016), "101", true));
    m_app.m_env.SetRights("1601 1602 ");
    m_app.Module(16)->RefreshPage();
    QApplication::processEvents();
  }
  void TearDown() override {
    m_app.m_docManager.CloseAllDocuments();
    QApplication::processEvents();
    m_app.ExitInstance();
  }
  CSmDocTemplate* Template() {
    for (const auto& t : m_app.m_docManager.Templates()) {
      auto* found = dynamic_cast<CSmDocTemplate*>(t.get());
      if (found && found->m_number == 261) return found;
    }
    return nullptr;
  }
  CForthView* Open(int kind, int openMode) {
    CSmChildFrame* frame =
        Template()->OpenDocumentOfKind(Template()->m_kinds[kind], openMode, true, false);
    QApplication::processEvents();
    return frame ? frame->findChild<CForthView*>() : nullptr;
  }
  std::vector<CSmDoc*> Docs() {
    std::vector<CSmDoc*> docs;
    for (const auto& doc : Template()->Documents())
      docs.push_back(dynamic_cast<CSmDoc*>(doc.get()));
    return docs;
  }

  SmFormTestApp<KindModule> m_app{"ForthTest"};
};

}  // namespace

TEST_F(ReopenTest, OpenClosesAfterAskingAndOpensTheKindAgain) {
  CForthView* view = Open(0, 0);
  ASSERT_NE(view, nullptr);
  CSmDoc* first = Docs().front();
  first->SetModifiedFlag(true);
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  view->OnCommand(SM_ID_FILE_OPEN);
  QApplication::processEvents();
  EXPECT_EQ(g_saves, 1);
  ASSERT_EQ(Docs().size(), 1u);
  EXPECT_EQ(Docs().front()->m_kind.nNumber, 1);
  EXPECT_EQ(Docs().front()->m_openMode, 1);
}

TEST_F(ReopenTest, NewOfAnOpenOnlyKindOnlyCloses) {
  CForthView* view = Open(1, 1);
  ASSERT_NE(view, nullptr);
  view->OnCommand(SM_ID_FILE_NEW);
  QApplication::processEvents();
  EXPECT_TRUE(Docs().empty());
}
