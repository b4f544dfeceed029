// The printed page of a table document: title and notes with their variables, page numbers in
// plain and overlay printing, odd and even pages, the right-click menu, the tips balloon.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QMouseEvent>
#include <algorithm>
#include <ctime>
#include <map>

#include "app/SmApp.h"
#include "core/SmClipboard.h"
#include "core/SmDate.h"
#include "core/SmString.h"
#include "forms/SmDoc.h"
#include "forms/SmThirdView.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "tests/common/SmTestMain.h"
#include "tests/common/SmTestPdf.h"
#include "ui/SmPrintHooks.h"
#include "ui/SmPrinterService.h"
#include "ui/SmToolTip.h"

namespace {

// A document of `rows` rows under a form "#name收购表" with printed head notes for the unit,
// supervisor, operator and date, foot notes for both page-number variables, and one editable
// head note.
class NoteDoc : public CSmDoc {
 public:
  explicit NoteDoc(int rows) {
    CSmFormDef& def = m_formDef;
    def.nForm = 7;
    def.sFna = "#name收购表";
    def.nTopNum = 1;
    def.InsertCol(0, 101, 1010, 0, 0, "户名/STRING/LEFT");
    def.InsertCol(1, 102, 1010, 0, 0, "品种/STRING/LEFT");
    def.m_headNotes.resize(7);
    def.m_headNotes[0].Set(0, 0, 1000, 1, 0, "主体名", "");
    def.m_headNotes[1].Set(0, 0, 1040, 0, 0, "主管名", "");
    def.m_headNotes[2].Set(0, 1, 1000, 0, 0, "操作员", "");
    def.m_headNotes[3].Set(0, 1, 1040, 0, 0, "当前时间", "#yy年#mm月#dd日");
    def.m_headNotes[4].Set(0, 1, 1070, 1, 1, "磅单号", "");
    def.m_headNotes[5].Set(1, 0, 1000, 0, 0, "页码", "第 #pp 页 共 #pt 页");
    def.m_headNotes[6].Set(1, 0, 1060, 1, 0, "套打页码", "");
    m_shownCount = 2;
    m_rows.assign(rows, {"", ""});
  }
};

// Row numbers in capital letters ("B" 1, "BA" 10): digits of the grid's font do not read back
// from the PDF.
std::string Letters(int n) {
  std::string text = std::to_string(n);
  for (char& c : text) c = static_cast<char>('A' + (c - '0'));
  return text;
}

// Column 0 holds "ROW" and the row in letters, and the page rows are forced when printing.
class NoteView : public CThirdView {
 public:
  explicit NoteView(NoteDoc& doc) {
    doc.AddView(this);
    ResetViewState();
    m_screenMargins = {10, 10, 10, 10};
    resize(700, 500);
    show();
    UpdateScrollSizes(false);
  }
  void GetCell(int row, int column, const std::string& region, std::string& text, std::string& type,
               int& limit1, int& limit2, void* /*extra*/) override {
    type = "STRING";
    limit1 = 20;
    limit2 = 0;
    text = region == "TEXT" && column == 0 ? "ROW" + Letters(row) : "";
  }
  void DrawCell(CSmFormDC& dc, int row, int column, const std::string& region) override {
    std::string text, type;
    int limit1 = 0, limit2 = 0;
    GetCell(row, column, region, text, type, limit1, limit2, nullptr);
    DrawCellText(row, column, dc, text, "LEFT", region, 0, false);
  }
  int GetPageRows(CSmFormDC& dc) override { return dc.printing ? 20 : CThirdView::GetPageRows(dc); }
  using CThirdView::GetPageRows;
  std::string GetCellHint(int row, int /*column*/, const std::string& region) override {
    return region == "TEXT" && row == 1 ? "农户的编号" : "";
  }

  using CThirdView::m_anchor;
  using CThirdView::m_bEditable;
  using CThirdView::m_bOverlay;
  using CThirdView::m_footCells;
  using CThirdView::m_headCells;
  using CThirdView::m_printMode;
};

class ThirdViewTest : public testing::Test {
 protected:
  void SetUp() override {
    SmResetMessages();
    m_saved = SmGetPrintHooks();
    m_app = std::make_unique<CSmApp>();
    SmGetPrintHooks() = m_saved;  // print as the other grid tests do, without a log
    SmGetPrintHooks().writeLog = [](int, const std::string&) {};
    CSmPrinterService::Instance().Reset();
    CSmEnvironment& env = m_app->m_env;
    env.SetFileInfo("兴宾糖厂", "李主管", "", "");
    env.SetOperatorNo("102");
    env.SetOperatorName("王五");
  }
  void TearDown() override {
    m_app.reset();
    SmGetPrintHooks() = m_saved;
    CSmPrinterService::Instance().Reset();
  }
  std::string Pdf(const std::string& name) { return SmQueueTestPdf(name); }
  // The words printed per page, each page's words joined by blanks. The PDF text gives some
  // characters as the radicals of the same shape; they are read back as the characters.
  static std::map<int, std::string> Pages(const std::string& pdf) {
    std::map<int, std::string> pages;
    for (const SmPdfWord& word : SmPdfWords(pdf)) {
      std::string text = word.text;
      for (const auto& [radical, character] :
           {std::pair{"⼚", "厂"}, {"⽉", "月"}, {"⽇", "日"}, {"⻚", "页"}}) {
        text = ReplaceAll(text, radical, character);
      }
      pages[word.page] += text + " ";
    }
    return pages;
  }
  // The first row printed on each page.
  static std::vector<int> FirstRows(const std::string& pdf) {
    std::map<int, int> first;
    for (const SmPdfWord& word : SmPdfWords(pdf)) {
      if (word.text.rfind("ROW", 0) != 0) continue;
      int row = 0;
      for (char c : word.text.substr(3)) row = row * 10 + (c - 'A');
      if (!first.count(word.page) || row < first[word.page]) first[word.page] = row;
    }
    std::vector<int> rows;
    for (const auto& [page, row] : first) rows.push_back(row);
    return rows;
  }

  SmPrintHooks m_saved;
  std::unique_ptr<CSmApp> m_app;
};

}  // namespace

TEST_F(ThirdViewTest, EditableNotesBecomeHeadAndFootCells) {
  NoteDoc doc(45);
  NoteView view(doc);
  EXPECT_EQ(view.TextRows(), 45);
  EXPECT_EQ(view.Columns(), 2);
  EXPECT_EQ(view.m_printMode, "7");
  ASSERT_EQ(view.m_headCells.size(), 2u);
  EXPECT_TRUE(view.m_headCells[0].empty());
  ASSERT_EQ(view.m_headCells[1].size(), 1u);
  EXPECT_EQ(view.m_headCells[1][0].position, 700);
  EXPECT_EQ(view.m_headCells[1][0].width, 10);
  ASSERT_EQ(view.m_footCells.size(), 1u);
  EXPECT_TRUE(view.m_footCells[0].empty());
}

TEST_F(ThirdViewTest, PrintsTheTitleNotesAndPageNumbers) {
  NoteDoc doc(45);
  NoteView view(doc);
  const std::string pdf = Pdf("third_plain");
  ASSERT_TRUE(view.OnCommand(SM_ID_FILE_PRINT_DIRECT));
  const std::map<int, std::string> pages = Pages(pdf);
  ASSERT_EQ(pages.size(), 3u);
  const std::string today = NowText("%Y年%m月%d日");
  for (const auto& [page, words] : pages) {
    SCOPED_TRACE(page);
    EXPECT_NE(words.find("兴宾糖厂收购表"), std::string::npos);
    EXPECT_NE(words.find("李主管"), std::string::npos);
    EXPECT_EQ(words.find("李主管"), words.rfind("李主管"));  // each note drawn once
    EXPECT_NE(words.find("王五(102)"), std::string::npos);
    EXPECT_NE(words.find(today), std::string::npos);
    EXPECT_NE(words.find("第 " + std::to_string(page) + " 页 共 3 页"), std::string::npos);
  }
  EXPECT_EQ(FirstRows(pdf), (std::vector<int>{0, 20, 40}));

  // Onto pre-printed forms: only the notes marked for it, the page number as "#pp".
  const std::string overlay = Pdf("third_overlay");
  ASSERT_TRUE(view.OnCommand(SM_ID_OVERLAY_PRINT));
  const std::map<int, std::string> over = Pages(overlay);
  ASSERT_EQ(over.size(), 3u);
  EXPECT_EQ(over.at(2).find("收购表"), std::string::npos);
  EXPECT_NE(over.at(2).find("兴宾糖厂"), std::string::npos);
  EXPECT_EQ(over.at(2).find("李主管"), std::string::npos);
  EXPECT_EQ(over.at(2).find("第"), std::string::npos);
  EXPECT_NE(over.at(2).find("ROWCA "), std::string::npos);
  EXPECT_NE(over.at(2).find(" 2 "), std::string::npos);
}

TEST_F(ThirdViewTest, PageNumbersShowOnlyWhenPrinting) {
  NoteDoc doc(45);
  NoteView view(doc);
  CSmFormHeadNote page = doc.m_formDef.m_headNotes[5];
  CSmFormHeadNote overlay = doc.m_formDef.m_headNotes[6];
  CSmFormDC screen(&view, nullptr, false);
  view.ExpandVariables(screen, page);
  view.ExpandVariables(screen, overlay);
  EXPECT_EQ(page.sWords, "");
  EXPECT_EQ(overlay.sWords, "");

  QImage image(800, 1000, QImage::Format_RGB32);
  CSmFormDC printer(&image, nullptr, true);
  printer.firstRow = 20;
  page = doc.m_formDef.m_headNotes[5];
  overlay = doc.m_formDef.m_headNotes[6];
  view.ExpandVariables(printer, page);
  view.ExpandVariables(printer, overlay);
  EXPECT_EQ(page.sWords, "第 2 页 共 3 页");
  EXPECT_EQ(overlay.sWords, "");  // only onto pre-printed forms
  view.m_bOverlay = true;
  page = doc.m_formDef.m_headNotes[5];
  overlay = doc.m_formDef.m_headNotes[6];
  view.ExpandVariables(printer, page);
  view.ExpandVariables(printer, overlay);
  view.m_bOverlay = false;
  EXPECT_EQ(page.sWords, "");
  EXPECT_EQ(overlay.sWords, "2");
}

TEST_F(ThirdViewTest, OddOrEvenPagesOfTheRange) {
  NoteDoc doc(100);  // five pages of 20 rows
  NoteView view(doc);
  const struct {
    int command;
    int mode;
    std::vector<int> firstRows;
  } cases[] = {
      {SM_ID_PRINT_ODD_PAGES, 1, {0, 40, 80}},
      {SM_ID_PRINT_EVEN_PAGES, 2, {20, 60}},
      {SM_ID_PRINT_EVEN_PAGES, 0, {0, 20, 40, 60, 80}},  // chosen again: all pages
  };
  for (const auto& c : cases) {
    view.OnCommand(c.command);
    EXPECT_EQ(view.OddEvenMode(), c.mode);
    const std::string pdf = Pdf("third_pages" + std::to_string(c.mode));
    ASSERT_TRUE(view.OnCommand(SM_ID_FILE_PRINT_DIRECT));
    EXPECT_EQ(FirstRows(pdf), c.firstRows) << c.mode;
    EXPECT_EQ(SmPdfPages(pdf), static_cast<int>(c.firstRows.size())) << c.mode;
  }
}

TEST_F(ThirdViewTest, TheContextMenuFollowsTheEnablingRules) {
  NoteDoc doc(3);
  NoteView view(doc);
  const auto state = [&view] {
    std::map<int, std::string> items;
    const std::unique_ptr<QMenu> menu = view.CreateContextMenu();
    for (QAction* action : menu->actions()) {
      if (action->isSeparator()) continue;
      items[action->data().toInt()] =
          std::string(action->isEnabled() ? "on" : "off") + (action->isChecked() ? "+" : "");
    }
    return items;
  };
  SetClipboardText("");
  std::map<int, std::string> items = state();
  ASSERT_EQ(items.size(), 14u);
  // Read-only, no selection, nothing on the clipboard, no find yet.
  for (int id : std::initializer_list<int>{
           SM_ID_EDIT_CUT, SM_ID_EDIT_COPY, SM_ID_EDIT_PASTE, SM_ID_PASTE_INTO_SELECTION,
           SM_ID_PASTE_INTO_COLUMN, SM_ID_INSERT_ROW_AT, SM_ID_INSERT_ROW_AFTER, SM_ID_GRID_DELETE,
           SM_ID_EDIT_REPEAT, SM_ID_EDIT_REPLACE}) {
    EXPECT_EQ(items[id], "off") << id;
  }
  for (int id : std::initializer_list<int>{SM_ID_PRINT_ODD_PAGES, SM_ID_PRINT_EVEN_PAGES,
                                           SM_ID_EDIT_SELECT_ALL, SM_ID_EDIT_FIND}) {
    EXPECT_EQ(items[id], "on") << id;
  }

  // Editing, text on the clipboard, two cells selected, odd pages chosen.
  view.m_bEditable = true;
  SetClipboardText("v");
  view.SetCurrentCell(1, 1, 0, "TEXT");
  view.m_anchor.row = 0;
  view.OnCommand(SM_ID_PRINT_ODD_PAGES);
  items = state();
  for (int id : std::initializer_list<int>{SM_ID_EDIT_CUT, SM_ID_EDIT_COPY, SM_ID_EDIT_PASTE,
                                           SM_ID_PASTE_INTO_SELECTION, SM_ID_PASTE_INTO_COLUMN,
                                           SM_ID_INSERT_ROW_AT, SM_ID_INSERT_ROW_AFTER,
                                           SM_ID_GRID_DELETE, SM_ID_EDIT_REPLACE}) {
    EXPECT_EQ(items[id], "on") << id;
  }
  EXPECT_EQ(items[SM_ID_PRINT_ODD_PAGES], "on+");
  EXPECT_EQ(items[SM_ID_PRINT_EVEN_PAGES], "on");

  // In a head cell: the TEXT-only items are greyed; the anchor left in TEXT greys delete.
  view.SetCurrentCell(1, 0, 0, "HEAD");
  view.m_anchor.region = "TEXT";
  view.OnCommand(SM_ID_PRINT_EVEN_PAGES);
  items = state();
  for (int id :
       std::initializer_list<int>{SM_ID_PASTE_INTO_SELECTION, SM_ID_PASTE_INTO_COLUMN,
                                  SM_ID_INSERT_ROW_AT, SM_ID_INSERT_ROW_AFTER, SM_ID_EDIT_REPLACE,
                                  SM_ID_GRID_DELETE, SM_ID_EDIT_COPY, SM_ID_EDIT_CUT}) {
    EXPECT_EQ(items[id], "off") << id;
  }
  EXPECT_EQ(items[SM_ID_PRINT_ODD_PAGES], "on");
  EXPECT_EQ(items[SM_ID_PRINT_EVEN_PAGES], "on+");
  SetClipboardText("");
}

TEST_F(ThirdViewTest, TipsOverTheTitleAndHintsOverCells) {
  NoteDoc doc(3);
  NoteView view(doc);
  view.OnInitialUpdate();
  CSmToolTip* tips = view.Tips();
  ASSERT_NE(tips, nullptr);
  ASSERT_EQ(tips->ToolCount(), 2);
  const std::string& text = tips->Tool(1).text;
  EXPECT_EQ(text.rfind("<al_c>提示<br><hr=100%><br><al_l>⒈使用“文件/文档属性”菜单，可以：<br>", 0),
            0u);
  for (const char* point : {"⒉", "⒊", "⒋", "⒌", "⒍", "⒎", "⒏", "⒐"}) {
    EXPECT_NE(text.find(std::string("<br>") + point), std::string::npos) << point;
  }
  EXPECT_NE(text.find("<br>⒑在录入、操作文档时，请注意使用快捷键。"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 3), "。");
  CSmFormDC& dc = view.ScreenDC();
  EXPECT_EQ(tips->Tool(1).hotRect, QRect(0, 0, 10000, view.GetRowY(0, dc, "HEAD")));

  const auto move = [&view](QPoint point) {
    QMouseEvent event(QEvent::MouseMove, point, view.mapToGlobal(point), Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
    QApplication::sendEvent(&view, &event);
  };
  const QPoint hinted = view.GetCellRect(1, 0, "TEXT", dc).center();
  move(hinted);
  EXPECT_EQ(tips->Tool(0).text, "<al_c>提示<br><hr=100%><br><al_l>农户的编号");
  EXPECT_EQ(tips->Tool(0).hotRect, QRect(hinted - QPoint(10, 10), QSize(20, 20)));
  move(view.GetCellRect(2, 0, "TEXT", dc).center());  // no hint: out of reach
  EXPECT_EQ(tips->Tool(0).hotRect.topLeft(), QPoint(10000, 10000));
}
