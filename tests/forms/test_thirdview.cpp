// The printed page of a table document: title and notes with their variables, page numbers in
// plain and overlay printing, odd and even pages, the right-click menu, the tips balloon.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <algorithm>
#include <ctime>
#include <map>

#include "app/SmApp.h"
#include "core/SmClipboard.h"
#include "core/SmCsRecord.h"
#include "core/SmDate.h"
#include "core/SmString.h"
#include "forms/SmDoc.h"
#include "forms/SmThirdView.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "tests/common/SmModalScript.h"
#include "tests/common/SmTestMain.h"
#include "tests/common/SmTestPdf.h"
#include "tests/core/test_db_fixture.h"
#include "ui/SmFindDlg.h"
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

// ---------------------------------------------------------------- find, replace, text files

namespace {

// A grid of `rows` rows of "a0|b0|c0" ... without a document; column 2 holds numbers.
class InputView : public CThirdView {
 public:
  explicit InputView(int rows) {
    ResetViewState();
    m_screenMargins = {10, 10, 10, 10};
    SetColumnCount(3);
    InitLayout(rows, 1, 0, 0, 0);
    m_bEditable = true;
    for (int r = 0; r < rows; ++r) {
      for (int c = 0; c < 3; ++c) texts[{r, c}] = std::string(1, 'a' + c) + std::to_string(r);
    }
    resize(600, 400);
    show();
  }
  void GetCell(int row, int column, const std::string& region, std::string& text, std::string& type,
               int& limit1, int& limit2, void* /*extra*/) override {
    type = column == 2 ? "NUMBER" : "STRING";
    limit1 = 10;
    limit2 = 2;
    text = region == "TEXT" && texts.count({row, column}) ? texts[{row, column}] : "";
  }
  void SetCell(int row, int column, const std::string& region, const std::string& text) override {
    if (region == "TEXT") texts[{row, column}] = text;
  }
  void OnCellChanged(const std::string& text, int row, int column,
                     const std::string& /*region*/) override {
    changes.push_back(std::to_string(row) + "," + std::to_string(column) + ":" + text);
  }
  void InsertRows(int at, int last, int count) override {
    for (int row = last; row >= at; --row) {
      for (int c = 0; c < 3; ++c) texts[{row + count, c}] = texts[{row, c}];
    }
    for (int row = at; row < at + count; ++row) {
      for (int c = 0; c < 3; ++c) texts[{row, c}] = "";
    }
  }
  std::vector<std::string> Rows() {
    std::vector<std::string> rows;
    for (int r = 0; r < TextRows(); ++r)
      rows.push_back(texts[{r, 0}] + "|" + texts[{r, 1}] + "|" + texts[{r, 2}]);
    return rows;
  }
  std::string Current() const {
    return CurrentCell().region + std::to_string(CurrentCell().row) + "," +
           std::to_string(CurrentCell().column);
  }
  void Select(int anchorRow, int anchorColumn, int row, int column) {
    SetCurrentCell(row, column, 0, "TEXT");
    m_anchor = CurrentCell();
    m_anchor.row = anchorRow;
    m_anchor.column = anchorColumn;
  }

  using CThirdView::m_anchor;
  using CThirdView::m_bEditable;
  using CThirdView::m_db;
  using CThirdView::ShortcutCommand;

  std::map<std::pair<int, int>, std::string> texts;
  std::vector<std::string> changes;
};

void AnswerFind(CModalScript& script, const QString& find, const QString& replace = {},
                bool whole = false) {
  script.Then(851, [=](QWidget* dlg) {
    Control<QComboBox>(dlg, CSmFindDlg::kFindCombo)->setEditText(find);
    if (!replace.isNull()) Control<QComboBox>(dlg, CSmFindDlg::kReplaceCombo)->setEditText(replace);
    Control<QCheckBox>(dlg, CSmFindDlg::kWholeCell)->setChecked(whole);
    Press(dlg, SM_ID_OK);
  });
}

}  // namespace

TEST(ThirdViewInput, FindGoesThroughTheRangeAndStopsAtTheStart) {
  InputView view(3);
  view.texts[{0, 0}] = "x1";
  view.texts[{2, 2}] = "x";
  view.SetCurrentCell(2, 2, 0, "TEXT");  // the last cell: the search goes on at the first
  view.SetFindState(true, "x", "", false);
  view.OnCommand(SM_ID_EDIT_REPEAT);
  EXPECT_EQ(view.Current(), "TEXT0,0");
  view.OnCommand(SM_ID_EDIT_REPEAT);
  EXPECT_EQ(view.Current(), "TEXT2,2");
  view.SetFindState(true, "x", "", true);  // whole cells: only "x"
  view.OnCommand(SM_ID_EDIT_REPEAT);
  EXPECT_EQ(view.Current(), "TEXT2,2");
  view.SetFindState(true, "none", "", false);
  view.OnCommand(SM_ID_EDIT_REPEAT);
  EXPECT_EQ(view.Current(), "TEXT2,2");

  // Find asks for the text and searches the selected rectangle only.
  view.texts[{1, 0}] = "key";
  view.texts[{1, 2}] = "key";
  view.Select(0, 1, 1, 2);
  CModalScript script;
  AnswerFind(script, "key");
  view.OnCommand(SM_ID_EDIT_FIND);
  EXPECT_TRUE(script.Done());
  EXPECT_EQ(view.FindText(), "key");
  EXPECT_EQ(view.Current(), "TEXT1,2");
}

TEST(ThirdViewInput, ReplaceWorksOnlyOverASelectedRectangle) {
  InputView view(3);
  view.SetCurrentCell(1, 1, 0, "TEXT");
  {
    CModalScript none;
    AnswerFind(none, "1", "z");
    view.OnCommand(SM_ID_EDIT_REPLACE);  // no rectangle: no dialog, no change
    EXPECT_FALSE(none.Done());
    EXPECT_EQ((view.texts[{1, 1}]), "b1");
  }

  view.Select(0, 0, 1, 2);
  view.changes.clear();
  CModalScript script;
  AnswerFind(script, "1", "z");
  view.OnCommand(SM_ID_EDIT_REPLACE);
  EXPECT_TRUE(script.Done());
  // "c1" → "cz" is refused by the number column and stays; row 2 lies outside.
  EXPECT_EQ(view.Rows(), (std::vector<std::string>{"a0|b0|c0", "az|bz|c1", "a2|b2|c2"}));
  EXPECT_EQ(view.changes, (std::vector<std::string>{"1,0:az", "1,1:bz"}));

  view.texts[{0, 0}] = "a";
  view.texts[{0, 1}] = "ab";
  CModalScript whole;
  AnswerFind(whole, "a", "q", true);
  view.OnCommand(SM_ID_EDIT_REPLACE);
  EXPECT_EQ((view.texts[{0, 0}]), "q");
  EXPECT_EQ((view.texts[{0, 1}]), "ab");
}

class ThirdViewLoad : public DataFileTest {
 protected:
  std::string WriteFile(const std::string& name, const std::string& bytes) {
    const std::string path = SmTestHome() + "/" + name;
    QFile file(QString::fromStdString(path));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    return path;
  }
};

TEST_F(ThirdViewLoad, LinesOfEveryEndingBecomeRowsAtTheCurrentRow) {
  for (const char* end : {"\r\n", "\n\r", "\n"}) {
    SCOPED_TRACE(testing::PrintToString(std::string(end)));
    InputView view(2);
    view.m_db = &m_db;
    view.SetCurrentCell(1, 1, 0, "TEXT");
    const std::string e = end;
    const std::string path =
        WriteFile("rows.txt", "p\tq\t1" + e + "r\ts\tbad" + e + "t\tu\t2.5" + e);
    CSmMessageService::Instance().QueueFileName(path);
    view.OnCommand(SM_ID_DOC_LOAD_TEXT);
    EXPECT_EQ(view.Rows(),
              (std::vector<std::string>{"a0|b0|c0", "p|q|1", "r|s|", "t|u|2.5", "a1|b1|c1"}));
    EXPECT_EQ(view.Current(), "TEXT4,0");
  }
  CSmCsRecord folder(&m_db);
  ASSERT_TRUE(folder.Load(9139, 1));
  EXPECT_EQ(folder.CsVal, SmTestHome());
  EXPECT_EQ(m_db.QueryInt("Select Count(*) From SysCsTab Where Cs=9139"), 1);
}

TEST_F(ThirdViewLoad, AFileThatCannotBeOpenedIsNamedAndChangesNothing) {
  InputView view(2);
  view.m_db = &m_db;
  const std::string path = SmTestHome() + "/missing.txt";
  CSmMessageService::Instance().QueueFileName(path);
  view.OnCommand(SM_ID_DOC_LOAD_TEXT);
  EXPECT_EQ(Shown(), "无法打开文件“" + path + "”。");
  EXPECT_EQ(view.TextRows(), 2);

  view.m_bEditable = false;  // read-only: no dialog
  CSmMessageService::Instance().QueueFileName(path);
  view.OnCommand(SM_ID_DOC_LOAD_TEXT);
  EXPECT_EQ(ShownCount(), 1u);
}

TEST(ThirdViewInput, AnEmptyCellTakesTheNearestTextOfItsColumn) {
  const struct {
    int row;
    std::vector<std::string> column;  // column 1 from row 0
    std::string expected;
  } cases[] = {
      {2, {"x", "y", "", "z"}, "y"},  // above first
      {0, {"", "", "w", "v"}, "w"},   // first row: below only
      {1, {"", "", "", ""}, ""},      // an empty column: nothing
      {1, {"x", "keep", "", ""}, "keep"},
  };
  for (const auto& c : cases) {
    InputView view(4);
    for (int r = 0; r < 4; ++r) view.texts[{r, 1}] = c.column[r];
    view.SetCurrentCell(c.row, 1, 0, "TEXT");
    view.FillFromColumn();
    EXPECT_EQ((view.texts[{c.row, 1}]), c.expected) << c.row;
  }
}

TEST(ThirdViewInput, Shortcuts) {
  const Qt::KeyboardModifiers none = Qt::NoModifier, shift = Qt::ShiftModifier,
                              ctrl = Qt::ControlModifier;
  const struct {
    int key;
    Qt::KeyboardModifiers modifiers;
    int command;
  } cases[] = {
      {Qt::Key_Delete, none, SM_ID_GRID_DELETE},
      {Qt::Key_F3, none, SM_ID_EDIT_REPEAT},
      {Qt::Key_Return, none, 0},
      {Qt::Key_Insert, shift, SM_ID_EDIT_PASTE},
      {Qt::Key_Delete, shift, SM_ID_EDIT_CUT},
      {Qt::Key_Insert, ctrl, SM_ID_EDIT_COPY},
      {Qt::Key_C, ctrl, SM_ID_EDIT_COPY},
      {Qt::Key_A, ctrl, SM_ID_EDIT_SELECT_ALL},
      {Qt::Key_F, ctrl, SM_ID_EDIT_FIND},
      {Qt::Key_H, ctrl, SM_ID_EDIT_REPLACE},
      {Qt::Key_V, ctrl, SM_ID_EDIT_PASTE},
      {Qt::Key_X, ctrl, SM_ID_EDIT_CUT},
      {Qt::Key_Y, ctrl, SM_ID_EDIT_REDO},
      {Qt::Key_Z, ctrl, SM_ID_EDIT_UNDO},
      {Qt::Key_Z, ctrl | Qt::AltModifier, 0},
      {Qt::Key_Left, none, 0},
  };
  InputView view(2);
  for (const auto& c : cases) {
    EXPECT_EQ(view.ShortcutCommand(c.key, c.modifiers), c.command) << c.key;
  }
  view.m_bEditable = false;
  EXPECT_EQ(view.ShortcutCommand(Qt::Key_C, ctrl), 0);

  // Delete through the key: the selected cells are emptied.
  view.m_bEditable = true;
  view.Select(0, 1, 1, 2);
  QKeyEvent key(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
  QApplication::sendEvent(&view, &key);
  EXPECT_EQ(view.Rows(), (std::vector<std::string>{"a0||", "a1||"}));
}

// ---------------------------------------------------------------- drop list

namespace {

// Column 1 offers farmers as "code name"; the other columns have no list.
class ListView : public InputView {
 public:
  explicit ListView(int rows) : InputView(rows) {}
  bool GetDropListItems(QSize& size, int /*row*/, int column,
                        const std::string& /*region*/) override {
    if (column != 1) return false;
    for (const char* item : {"101 李四", "102 张三", "103 王五", "104 赵顺"}) {
      DropList()->addItem(QString::fromUtf8(item));
    }
    size = listSize;
    return true;
  }
  std::vector<std::string> Items() {
    std::vector<std::string> items;
    for (int i = 0; i < DropList()->count(); ++i) {
      items.push_back(DropList()->item(i)->text().toStdString());
    }
    return items;
  }
  QSize listSize{150, 200};
};

void SendKey(QWidget* widget, int key) {
  QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
  QApplication::sendEvent(widget, &event);
}

}  // namespace

TEST(ThirdViewList, AnEmptyCellOpensItsListAndEnterTakesTheCode) {
  ListView view(3);
  view.activateWindow();
  view.setFocus();
  view.texts[{1, 1}] = "";
  view.SetCurrentCell(1, 1, 0, "TEXT");  // entering an empty cell opens the list
  QListWidget* list = view.DropList();
  ASSERT_TRUE(list->isVisible());
  const QRect cell = view.GetCellRect(1, 1, "TEXT", view.ScreenDC());
  EXPECT_EQ(list->geometry().topLeft(), QPoint(cell.left(), cell.top() + cell.height()));
  SendKey(&view, Qt::Key_Down);
  EXPECT_EQ(list->currentRow(), 0);
  SendKey(list, Qt::Key_Down);
  SendKey(list, Qt::Key_Return);
  EXPECT_FALSE(list->isVisible());
  EXPECT_EQ((view.texts[{1, 1}]), "102");
  EXPECT_EQ(view.changes.back(), "1,1:102");

  // Esc hides it; Enter on an empty cell opens it again, on a filled one it does not.
  view.texts[{1, 1}] = "";
  view.ShowDropListAtCurrent();
  SendKey(list, Qt::Key_Escape);
  EXPECT_FALSE(list->isVisible());
  SendKey(&view, Qt::Key_Return);
  EXPECT_TRUE(list->isVisible());
  SendKey(list, Qt::Key_Escape);
  view.texts[{1, 1}] = "x";
  SendKey(&view, Qt::Key_Return);
  EXPECT_FALSE(list->isVisible());
  EXPECT_EQ(view.Current(), "TEXT1,2");

  // A cell without a list, and a read-only grid, open none.
  EXPECT_FALSE(view.ShowDropList(1, 0, "TEXT"));
  view.m_bEditable = false;
  EXPECT_FALSE(view.ShowDropList(1, 1, "TEXT"));
}

TEST(ThirdViewList, TypedLettersBringTheirPinyinInitialsForward) {
  ListView view(3);
  view.texts[{0, 1}] = "";
  view.SetCurrentCell(0, 1, 0, "TEXT");
  ASSERT_TRUE(view.DropList()->isVisible());
  SendKey(&view, Qt::Key_Z);  // no text: the key table only
  QKeyEvent z(QEvent::KeyPress, Qt::Key_Z, Qt::NoModifier, "z");
  QApplication::sendEvent(&view, &z);
  QKeyEvent s(QEvent::KeyPress, Qt::Key_S, Qt::NoModifier, "s");
  QApplication::sendEvent(&view, &s);
  EXPECT_EQ((view.texts[{0, 1}]), "zs");
  EXPECT_EQ(view.Items(),
            (std::vector<std::string>{"102 张三", "104 赵顺", "101 李四", "103 王五"}));
  EXPECT_EQ(view.DropList()->currentRow(), 0);
}

TEST(ThirdViewList, TheListStaysInsideTheWindowAndSidewaysKeysMoveTheGrid) {
  ListView view(30);
  view.listSize = QSize(150, 200);
  CSmFormDC& dc = view.ScreenDC();
  const int last = std::min(view.TextRows(), view.GetPageRows()) - 1;
  view.texts[{last, 1}] = "";
  view.SetCurrentCell(last, 1, 0, "TEXT");
  const QRect cell = view.GetCellRect(last, 1, "TEXT", dc);
  EXPECT_EQ(view.DropList()->geometry().bottom(), cell.top() - 1);  // above the cell
  view.listSize = QSize(view.width(), 100);
  view.ShowDropListAtCurrent();
  EXPECT_LE(view.DropList()->geometry().right(), view.ClientRect().right());

  SendKey(view.DropList(), Qt::Key_Right);  // not the last column: the grid moves on
  EXPECT_FALSE(view.DropList()->isVisible());
  EXPECT_EQ(view.Current(), "TEXT" + std::to_string(last) + ",2");
}
