// The form grid: layout counts and widths, page geometry on screen and printer, scrolling by
// rows, the caret, hit testing, drawing on images and printed PDF pages, page setup.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QFocusEvent>
#include <QImage>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>
#include <cmath>
#include <map>
#include <set>
#include <tuple>

#include "core/SmClipboard.h"
#include "core/SmGbk.h"
#include "forms/SmFormView.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "res/SmResource.h"
#include "tests/common/SmModalScript.h"
#include "tests/common/SmTestPdf.h"
#include "tests/core/test_db_fixture.h"
#include "ui/SmCalcDlg.h"
#include "ui/SmPageSetupDlg.h"
#include "ui/SmPrintHooks.h"
#include "ui/SmPrinterService.h"

namespace {

// Row numbers written in capitals ("B" 1, "BA" 10): the PDF text of the CJK fonts' digits does
// not read back, and small letters may print as ligatures.
std::string Letters(int n) {
  std::string text = std::to_string(n);
  for (char& c : text) c = static_cast<char>('A' + (c - '0'));
  return text;
}

int FromLetters(const std::string& text) {
  int n = 0;
  for (char c : text) n = n * 10 + (c - 'A');
  return n;
}

// A grid over cells made up from their address ("R" and the row in letters in column 0,
// "r<row>c<col>" elsewhere),
// with texts set per cell, a head row of two notes and a foot row of one.
class GridView : public CSmFormView {
 public:
  explicit GridView(int rows = 30, int columns = 4) {
    ResetViewState();
    m_screenMargins = {10, 10, 10, 10};
    SetColumnCount(columns);
    InitLayout(rows, 1, 1, 1, 1);
    m_headCells[0] = {{0, 10}, {600, 8}};
    m_footCells[0] = {{100, 10}};
    setWindowTitle("磅单");
    resize(640, 480);
    show();
  }

  void GetCell(int row, int column, const std::string& region, std::string& text, std::string& type,
               int& limit1, int& limit2, void* /*extra*/) override {
    type = "STRING";
    limit1 = 20;
    limit2 = 0;
    if (numberColumn == column && region == "TEXT") {
      type = "NUMBER";
      limit1 = 10;
      limit2 = 2;
    }
    const auto found = texts.find({row, column, region});
    if (found != texts.end()) {
      text = found->second;
    } else if (region == "TEXT") {
      text = column == 0 ? "R" + Letters(row)
                         : "r" + std::to_string(row) + "c" + std::to_string(column);
    } else {
      text = region + std::to_string(column);
    }
  }
  void DrawCell(CSmFormDC& dc, int row, int column, const std::string& region) override {
    if (region == "TEXT") ++textCalls;
    std::string text, type;
    int limit1 = 0, limit2 = 0;
    GetCell(row, column, region, text, type, limit1, limit2, nullptr);
    DrawCellText(row, column, dc, text, "LEFT", region, 0, false);
  }
  void DrawTitle(CSmFormDC& dc) override { DrawHeaderText(0, dc, "TITLE", "MID", "TOPIC"); }
  int GetPageRows(CSmFormDC& dc) override {
    return forcedPageRows >= 0 ? forcedPageRows : CSmFormView::GetPageRows(dc);
  }
  using CSmFormView::GetPageRows;
  void AddRows(int n) override { appended += n; }
  // Moves the rows at..last down by count and blanks the rows opened.
  void InsertRows(int at, int last, int count) override {
    for (int row = last; row >= at; --row) {
      for (int c = 0; c < Columns(); ++c) texts[{row + count, c, "TEXT"}] = Text(row, c);
    }
    for (int row = at; row < at + count; ++row) {
      for (int c = 0; c < Columns(); ++c) texts[{row, c, "TEXT"}] = "";
    }
  }
  bool IsCellEditable(int row, int column, const std::string& region) override {
    return !readOnly.count({row, column, region});
  }
  bool CanAppendRow() override { return canAppend; }
  std::string Text(int row, int column, const std::string& region = "TEXT") {
    std::string text, type;
    int limit1 = 0, limit2 = 0;
    GetCell(row, column, region, text, type, limit1, limit2, nullptr);
    return text;
  }
  // The TEXT rows as "a|b|c" lines.
  std::vector<std::string> Rows() {
    std::vector<std::string> rows;
    for (int r = 0; r < TextRows(); ++r) {
      std::string line;
      for (int c = 0; c < Columns(); ++c) line += (c ? "|" : "") + Text(r, c);
      rows.push_back(line);
    }
    return rows;
  }
  void SetCell(int row, int column, const std::string& region, const std::string& text) override {
    texts[{row, column, region}] = text;
  }
  void OnCellChanged(const std::string& text, int row, int column,
                     const std::string& region) override {
    changes.push_back(region + std::to_string(row) + "," + std::to_string(column) + ":" + text);
  }

  QImage Render() {
    QImage image(size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    render(&image);
    return image;
  }
  QScrollBar* Bar(Qt::Orientation orientation) const {
    for (QScrollBar* bar : findChildren<QScrollBar*>()) {
      if (bar->orientation() == orientation) return bar;
    }
    return nullptr;
  }

  using CSmFormView::ColumnLines;
  using CSmFormView::m_anchor;
  using CSmFormView::m_bEditable;
  using CSmFormView::m_bEnterDown;
  using CSmFormView::m_blocks;
  using CSmFormView::m_bOverlay;
  using CSmFormView::m_db;
  using CSmFormView::m_footCells;
  using CSmFormView::m_headCells;
  using CSmFormView::m_nFlag;
  using CSmFormView::m_nFootRows;
  using CSmFormView::m_nFormFootLines;
  using CSmFormView::m_nFormHeadLines;
  using CSmFormView::m_nHeadRows;
  using CSmFormView::m_printInfo;
  using CSmFormView::m_scaleX;
  using CSmFormView::m_screenMargins;
  using CSmFormView::m_widths;

  std::map<std::tuple<int, int, std::string>, std::string> texts;
  std::set<std::tuple<int, int, std::string>> readOnly;
  bool canAppend = true;
  int forcedPageRows = -1;
  int textCalls = 0;
  int appended = 0;
  int numberColumn = -1;
  std::vector<std::string> changes;
};

bool IsDark(QRgb pixel) {
  return qGray(pixel) < 128;
}

int DarkPixels(const QImage& image, const QRect& rect) {
  int count = 0;
  const QRect inside = rect & image.rect();
  for (int y = inside.top(); y <= inside.bottom(); ++y) {
    for (int x = inside.left(); x <= inside.right(); ++x) count += IsDark(image.pixel(x, y));
  }
  return count;
}

void Key(QWidget& widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
         const QString& text = {}) {
  QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
  QApplication::sendEvent(&widget, &event);
}

void Commit(QWidget& widget, const QString& text) {
  QInputMethodEvent event;
  event.setCommitString(text);
  QApplication::sendEvent(&widget, &event);
}

std::string Where(const SmGridCell& cell) {
  return cell.region + std::to_string(cell.row) + "," + std::to_string(cell.column) + "@" +
         std::to_string(cell.caret);
}

QPoint Center(const QRect& rect) {
  return rect.topLeft() + QPoint(rect.width() / 2, rect.height() / 2);
}

}  // namespace

// ---------------------------------------------------------------- layout

TEST(FormView, LayoutCountsAndStoredWidths) {
  GridView view;
  view.InitLayout(0, -1, -2, -3, 2);
  EXPECT_EQ(view.TextRows(), 1);
  EXPECT_EQ(view.m_nFormHeadLines, 0);
  EXPECT_EQ(view.m_nFormFootLines, 0);
  EXPECT_EQ(view.m_nHeadRows, 0);
  EXPECT_EQ(view.m_nFootRows, 2);
  ASSERT_EQ(view.m_footCells.size(), 2u);
  EXPECT_TRUE(view.m_footCells[1].empty());

  view.m_printInfo->m_widths = {0, 5, -3};
  view.m_widths.clear();
  view.LoadWidthsFromPrintInfo();
  EXPECT_EQ(view.ColumnWidths(), (std::vector<int>{14, 5, 14}));
}

TEST(FormView, RegionsShareFontsAndColoursByGroup) {
  GridView view;
  const int heights[] = {-30, -20, -12, -16};
  const SmColorRef colors[] = {0x0000FF, 0x00FF00, 0xFF0000, 0x808080};
  for (int i = 0; i < 4; ++i) view.m_printInfo->m_fonts[i].height = heights[i];
  view.m_printInfo->TopicColor = colors[0];
  view.m_printInfo->HeadColor = colors[1];
  view.m_printInfo->TextColor = colors[2];
  view.m_printInfo->TailColor = colors[3];
  view.UpdateScrollSizes(false);
  CSmFormDC& dc = view.ScreenDC();
  const auto height = [&](const char* region) { return view.GetRegionFont(region, dc).height; };
  EXPECT_EQ(height("TAIL"), height("FOOT"));
  EXPECT_EQ(height("FORMHEAD"), height("TEXT"));
  EXPECT_EQ(height("FORMFOOT"), height("TEXT"));
  EXPECT_GT(height("TOPIC"), height("HEAD"));
  EXPECT_GT(height("FOOT"), height("TEXT"));
  EXPECT_EQ(view.GetRegionColor("TAIL"), colors[3]);
  EXPECT_EQ(view.GetRegionColor("FOOT"), colors[3]);
  EXPECT_EQ(view.GetRegionColor("FORMHEAD"), colors[2]);
  EXPECT_EQ(view.GetRegionColor("FORMFOOT"), colors[2]);
  EXPECT_EQ(view.GetRegionColor("HEAD"), colors[1]);
}

// ---------------------------------------------------------------- geometry

TEST(FormView, PageCountFollowsPageRows) {
  const struct {
    int textRows, pageRows, pages;
  } cases[] = {{1, 40, 1}, {40, 40, 1}, {41, 40, 2}, {200000, 37, 5406}, {5, 0, -1}};
  GridView view;
  for (const auto& c : cases) {
    view.InitLayout(c.textRows, 1, 1, 1, 1);
    view.forcedPageRows = c.pageRows;
    EXPECT_EQ(view.GetPageCount(), c.pages) << c.textRows << " rows at " << c.pageRows;
  }
}

TEST(FormView, PageRowsFillTheClientHeight) {
  GridView view;
  CSmFormDC& dc = view.ScreenDC();
  const int pageRows = view.GetPageRows();
  ASSERT_GT(pageRows, 0);
  const int pitch = view.GetRegionFont("TEXT", dc).height + view.GetRowGap(dc);
  const int bottom = view.GetRowY(1, dc, "FOOT") + view.m_screenMargins[3];
  EXPECT_LE(bottom, dc.clientHeight);
  EXPECT_GT(bottom + pitch, dc.clientHeight);
  // Page rows stack below the form-head lines, one pitch apart.
  EXPECT_EQ(view.GetRowY(0, dc, "TEXT"), view.GetRowY(1, dc, "FORMHEAD"));
  EXPECT_EQ(view.GetRowY(0, dc, "FORMFOOT"), view.GetRowY(pageRows, dc, "TEXT"));
}

TEST(FormView, AWideWindowStretchesTheColumnsEvenly) {
  GridView view(30, 4);
  view.m_widths = {4, 6, 9, 2};
  view.resize(1200, 480);
  view.UpdateScrollSizes(false);
  CSmFormDC& dc = view.ScreenDC();
  const int unit = view.GetRegionFont("TEXT", dc).unit;
  const std::vector<int>& lines = view.ColumnLines(dc);
  ASSERT_EQ(lines.size(), 5u);
  const int natural = 10 + unit * (1 + 5 + 7 + 10 + 3) + 10;
  const int spare = dc.clientWidth - natural;
  ASSERT_GT(spare, 4);
  EXPECT_EQ(lines[0], 10 + unit);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(lines[i + 1] - lines[i], (view.m_widths[i] + 1) * unit + spare / 4) << i;
  }
  EXPECT_EQ(lines[4] - lines[3], 3 * unit + spare / 4 + spare % 4);
  EXPECT_EQ(lines[4] + 10, dc.clientWidth);
}

TEST(FormView, PrinterColumnsShareThePrintableWidthInWholeCharacters) {
  GridView view;
  QImage page(1600, 2200, QImage::Format_RGB32);
  const std::vector<std::vector<int>> cases = {{4, 9}, {14, 14, 14}, {1, 30, 2, 7, 0}};
  for (const std::vector<int>& widths : cases) {
    view.m_widths = widths;
    CSmFormDC dc(&page, nullptr, true);
    const QMargins margins = view.GetMargins(dc);
    const double printable = view.GetPageSize(dc).width() - margins.left() - margins.right();
    const int unit = view.GetRegionFont("TEXT", dc).unit;
    int total = 1;
    for (int w : widths) total += w + 1;
    const std::vector<int>& lines = view.ColumnLines(dc);
    ASSERT_EQ(lines.size(), widths.size() + 1);
    int share = 1;
    for (size_t i = 0; i < lines.size(); ++i) {
      if (i > 0) share += widths[i - 1] + 1;
      const int expected =
          margins.left() + static_cast<int>(std::floor(printable * share / total / unit)) * unit;
      EXPECT_EQ(lines[i], expected) << "line " << i << " of " << widths.size() << " columns";
    }
    EXPECT_LT(margins.left() + printable - lines.back(), unit);
  }
}

// ---------------------------------------------------------------- scrolling and caret

TEST(FormView, ScrollsByRowsAndClamps) {
  GridView view(100);
  const int p = view.GetPageRows();
  ASSERT_GT(p, 2);
  const struct {
    SmScroll code;
    int thumb;
    int first;
  } steps[] = {{SmScroll::kLineDown, 0, 1},
               {SmScroll::kPageDown, 0, 1 + p},
               {SmScroll::kLineUp, 0, p},
               {SmScroll::kThumb, 50, 50},
               {SmScroll::kBottom, 0, 100 - p},
               {SmScroll::kLineDown, 0, 100 - p},
               {SmScroll::kThumb, 1000, 100 - p},
               {SmScroll::kPageUp, 0, 100 - 2 * p},
               {SmScroll::kTop, 0, 0},
               {SmScroll::kLineUp, 0, 0}};
  for (const auto& step : steps) {
    view.OnVScroll(step.code, step.thumb);
    EXPECT_EQ(view.GetFirstVisibleRow(), step.first) << static_cast<int>(step.code);
    EXPECT_EQ(view.Bar(Qt::Vertical)->value(), step.first);
  }
  QWheelEvent down(QPointF(50, 50), QPointF(50, 50), QPoint(), QPoint(0, -120), Qt::NoButton,
                   Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(&view, &down);
  EXPECT_EQ(view.GetFirstVisibleRow(), 1);
  QWheelEvent up(QPointF(50, 50), QPointF(50, 50), QPoint(), QPoint(0, 120), Qt::NoButton,
                 Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(&view, &up);
  EXPECT_EQ(view.GetFirstVisibleRow(), 0);

  QScrollBar* vbar = view.Bar(Qt::Vertical);
  EXPECT_EQ(vbar->maximum(), 100 - p);
  EXPECT_EQ(vbar->pageStep(), p);
  vbar->setValue(42);  // dragging the thumb
  EXPECT_EQ(view.GetFirstVisibleRow(), 42);
}

TEST(FormView, ScrollSizesWhenAllRowsFitAndWhenTheTableIsWide) {
  GridView few(3);
  few.OnVScroll(SmScroll::kBottom);
  EXPECT_EQ(few.GetFirstVisibleRow(), 0);
  few.OnVScroll(SmScroll::kLineDown);
  EXPECT_EQ(few.GetFirstVisibleRow(), 0);
  EXPECT_TRUE(few.Bar(Qt::Vertical)->isHidden());
  EXPECT_TRUE(few.Bar(Qt::Horizontal)->isHidden());

  GridView wide(30, 40);
  wide.UpdateScrollSizes(false);
  QScrollBar* hbar = wide.Bar(Qt::Horizontal);
  ASSERT_FALSE(hbar->isHidden());
  const int client = wide.ClientRect().width();
  EXPECT_EQ(hbar->pageStep(), client / 4);
  EXPECT_EQ(hbar->singleStep(), client * 3 / 4);
  EXPECT_EQ(hbar->maximum(), wide.GetPageSize(wide.ScreenDC()).width() - client);
}

TEST(FormView, CaretFollowsFocusAndTheVisibleRows) {
  GridView view(100);
  view.m_bEditable = true;
  EXPECT_FALSE(view.IsCaretVisible());
  QFocusEvent in(QEvent::FocusIn);
  QApplication::sendEvent(&view, &in);
  view.SetCurrentCell(2, 1, 2, "TEXT");
  CSmFormDC& dc = view.ScreenDC();
  ASSERT_TRUE(view.IsCaretVisible());
  const QRect caret = view.GetCaretRect();
  EXPECT_EQ(caret.width(), 2);
  EXPECT_EQ(caret.height(), view.GetRegionFont("TEXT", dc).height);
  EXPECT_EQ(caret.left(), view.GetColumnX(1, dc, "TEXT", 2) + view.GetTextWidth("r2", "TEXT", dc));
  EXPECT_EQ(caret.top(), view.GetRowY(2, dc, "TEXT"));

  view.OnVScroll(SmScroll::kThumb, 10);
  EXPECT_FALSE(view.IsCaretVisible());
  view.OnVScroll(SmScroll::kTop);
  EXPECT_TRUE(view.IsCaretVisible());
  const QImage image = view.Render();
  EXPECT_TRUE(IsDark(image.pixel(caret.left(), caret.top() + caret.height() / 2)));

  QFocusEvent out(QEvent::FocusOut);
  QApplication::sendEvent(&view, &out);
  EXPECT_FALSE(view.IsCaretVisible());
}

TEST(FormView, ACaretInsideADoubleByteCharacterMovesPastIt) {
  GridView view;
  view.texts[{1, 1, "TEXT"}] = "甲乙";
  view.SetCurrentCell(1, 1, 3, "TEXT");
  EXPECT_EQ(view.CurrentCell().caret, 4);
  view.SetCurrentCell(1, 1, 99, "TEXT");
  EXPECT_EQ(view.CurrentCell().caret, 4);
  view.SetCurrentCell(0, 0, 0, "FORMHEAD");  // not a region for the current cell
  EXPECT_EQ(view.CurrentCell().row, 1);
}

TEST(FormView, SelectionsShowInverted) {
  GridView view;
  view.m_bEditable = true;
  view.texts[{1, 1, "TEXT"}] = "甲乙丙丁";
  view.SetCurrentCell(1, 1, 6, "TEXT");
  view.m_anchor.caret = 2;
  CSmFormDC& dc = view.ScreenDC();
  const int x = view.GetColumnX(1, dc, "TEXT", 1);
  const int y = view.GetRowY(1, dc, "TEXT");
  const int height = view.GetRegionFont("TEXT", dc).height;
  const int from = x + view.GetTextWidth("甲", "TEXT", dc);
  const int to = x + view.GetTextWidth("甲乙丙", "TEXT", dc);
  const auto darkShare = [&](const QImage& image, int left, int right) {
    return DarkPixels(image, QRect(left, y, right - left, height)) * 1.0 /
           ((right - left) * height);
  };
  QImage image = view.Render();
  EXPECT_GT(darkShare(image, from + 1, to - 1), 0.5);
  EXPECT_LT(darkShare(image, to + 1, to + view.GetTextWidth("丁", "TEXT", dc)), 0.5);

  // Cells from the anchor to the current cell.
  view.SetCurrentCell(2, 0, 0, "TEXT");
  view.m_anchor = view.CurrentCell();
  view.m_anchor.row = 4;
  view.m_anchor.column = 2;
  image = view.Render();
  const QRect inside = view.GetCellRect(3, 1, "TEXT", dc).adjusted(2, 2, -2, -2);
  const QRect outside = view.GetCellRect(6, 1, "TEXT", dc).adjusted(2, 2, -2, -2);
  EXPECT_GT(DarkPixels(image, inside), inside.width() * inside.height() / 2);
  EXPECT_LT(DarkPixels(image, outside), outside.width() * outside.height() / 2);
}

// ---------------------------------------------------------------- hit testing

TEST(FormView, HitTestNamesTheZones) {
  GridView view;
  CSmFormDC& dc = view.ScreenDC();
  const QRect cell = view.GetCellRect(2, 1, "TEXT", dc);
  const int midY = Center(cell).y();
  const int lastLine = view.GetColumnLineX(4, dc, "TEXT", 0);
  const QRect formHead = view.GetCellRect(0, 1, "FORMHEAD", dc);
  const struct {
    QPoint point;
    const char* zone;
    int row, column;
  } cases[] = {
      {Center(cell), "TEXT", 2, 1},
      {QPoint(view.GetColumnLineX(0, dc, "TEXT", 2) - 1, midY), "TEXTL", 2, 0},
      {QPoint(view.GetColumnLineX(2, dc, "TEXT", 2), midY), "TEXTH", 2, 2},
      {QPoint(lastLine + 3, midY), "TEXTH", 2, 4},
      {QPoint(Center(cell).x(), view.GetRowLineY(3, dc, "TEXT")), "TEXTV", 3, 0},
      {Center(formHead), "FORMHEAD", 0, 1},
      {QPoint(view.GetColumnLineX(0, dc, "FORMHEAD", 0) - 1, Center(formHead).y()), "FORMHEADL", 0,
       0},
      {Center(view.GetCellRect(0, 1, "HEAD", dc)), "HEAD", 0, 1},
      {Center(view.GetCellRect(0, 0, "FOOT", dc)), "FOOT", 0, 0},
      {QPoint(2, 2), "OUTCLIENT", 0, 0},
  };
  for (const auto& c : cases) {
    int row = -1, column = -1;
    EXPECT_EQ(view.HitTest(c.point, row, column), c.zone) << c.zone;
    EXPECT_EQ(row, c.row) << c.zone;
    EXPECT_EQ(column, c.column) << c.zone;
  }
}

TEST(FormView, ClickBelowTheLastRowAppendsWhenItHoldsAValue) {
  GridView view(3);
  view.m_bEditable = true;
  CSmFormDC& dc = view.ScreenDC();
  const QPoint below = Center(view.GetCellRect(3, 1, "TEXT", dc));
  int row = 0, column = 0;
  EXPECT_EQ(view.HitTest(below, row, column), "TEXT");
  EXPECT_EQ(view.appended, 1);
  EXPECT_EQ(view.TextRows(), 4);
  EXPECT_EQ(row, 3);

  for (int c = 0; c < 4; ++c) view.texts[{3, c, "TEXT"}] = "";
  view.HitTest(Center(view.GetCellRect(4, 1, "TEXT", dc)), row, column);
  EXPECT_EQ(view.appended, 1);  // an empty last row is not followed by another
}

// ---------------------------------------------------------------- drawing

TEST(FormView, APageWithoutRowsDrawsNothing) {
  GridView view;
  view.forcedPageRows = 0;
  const QImage image = view.Render();
  EXPECT_EQ(view.textCalls, 0);
  EXPECT_EQ(DarkPixels(image, view.ClientRect()), 0);
}

TEST(FormView, APaintDrawsOnlyTheVisibleRows) {
  GridView view(200000, 4);
  const int p = view.GetPageRows();
  ASSERT_GT(p, 0);
  for (int first : {0, 100000, 200000 - p}) {
    view.OnVScroll(SmScroll::kThumb, first);
    view.textCalls = 0;
    view.Render();
    EXPECT_EQ(view.textCalls, p * 4) << first;
  }
  // Scrolled to the right, the columns left of the window are not drawn.
  GridView wide(200000, 40);
  wide.Bar(Qt::Horizontal)->setValue(wide.Bar(Qt::Horizontal)->maximum());
  wide.textCalls = 0;
  wide.Render();
  EXPECT_GT(wide.textCalls, 0);
  EXPECT_LT(wide.textCalls, wide.GetPageRows() * 40);
}

TEST(FormView, AMergedBlockHidesItsInnerLinesAndDrawsItsTextOnce) {
  GridView view(30, 4);
  view.m_blocks.push_back({0, 2, 1, 5});
  view.texts[{2, 0, "TEXT"}] = "合并";
  for (int r = 2; r <= 5; ++r) {
    for (int c = 0; c <= 1; ++c) {
      if (r != 2 || c != 0) view.texts[{r, c, "TEXT"}] = "XXXXXXXX";
    }
  }
  CSmFormDC& dc = view.ScreenDC();
  const auto lineX = [&](int column) { return view.GetColumnLineX(column, dc, "TEXT", 0); };
  const auto rowMid = [&](int row) { return Center(view.GetCellRect(row, 0, "TEXT", dc)).y(); };
  QImage image = view.Render();
  EXPECT_FALSE(IsDark(image.pixel(lineX(1), rowMid(3))));  // inside the block
  EXPECT_TRUE(IsDark(image.pixel(lineX(1), rowMid(8))));   // below it
  EXPECT_TRUE(IsDark(image.pixel(lineX(2), rowMid(3))));   // right of it
  const int innerX = Center(view.GetCellRect(3, 0, "TEXT", dc)).x();
  EXPECT_FALSE(IsDark(image.pixel(innerX, view.GetRowLineY(4, dc, "TEXT"))));
  EXPECT_TRUE(IsDark(image.pixel(innerX, view.GetRowLineY(7, dc, "TEXT"))));
  // The block's text stands once, in the middle of the block; its other cells stay empty.
  EXPECT_EQ(DarkPixels(image, view.GetCellRect(2, 1, "TEXT", dc)), 0);
  EXPECT_EQ(DarkPixels(image, view.GetCellRect(5, 0, "TEXT", dc)), 0);
  EXPECT_GT(
      DarkPixels(image,
                 view.GetCellRect(3, 0, "TEXT", dc).united(view.GetCellRect(4, 0, "TEXT", dc))),
      0);

  // Scrolled so that the block's first row is out of view.
  view.OnVScroll(SmScroll::kThumb, 3);
  image = view.Render();
  CSmFormDC& scrolled = view.ScreenDC();
  const int mid4 = Center(view.GetCellRect(4, 0, "TEXT", scrolled)).y();
  EXPECT_FALSE(IsDark(image.pixel(view.GetColumnLineX(1, scrolled, "TEXT", 0), mid4)));
  EXPECT_FALSE(IsDark(image.pixel(innerX, view.GetRowLineY(4, scrolled, "TEXT"))));
  for (int r = 3; r <= 5; ++r) {
    EXPECT_EQ(DarkPixels(image, view.GetCellRect(r, 1, "TEXT", scrolled)), 0) << r;
  }
}

TEST(FormView, CellTextRepaintsItsBackgroundAndPlacesPercentCells) {
  GridView view;
  QImage image(view.size(), QImage::Format_RGB32);
  image.fill(Qt::red);
  QPainter painter(&image);
  CSmFormDC dc(&view, &painter, false);
  dc.clientWidth = view.ClientRect().width();
  dc.clientHeight = view.ClientRect().height();
  view.DrawCellText(3, 1, dc, "", "LEFT", "TEXT", 0, false);
  const QRect cell = view.GetCellRect(3, 1, "TEXT", dc);
  EXPECT_EQ(image.pixel(Center(cell)), QColor(Qt::white).rgb());
  EXPECT_EQ(image.pixel(cell.right() + 3, Center(cell).y()), QColor(Qt::red).rgb());

  image.fill(Qt::white);
  view.DrawCellText(0, 500, dc, "8", "PERCENT", "HEAD", 0, false);
  painter.end();
  const QMargins margins = view.GetMargins(dc);
  const int expected =
      margins.left() + (view.GetPageSize(dc).width() - margins.left() - margins.right()) / 2;
  const int top = view.GetRowY(0, dc, "HEAD");
  int leftmost = -1;
  for (int x = 0; x < image.width() && leftmost < 0; ++x) {
    for (int y = top; y < top + view.GetRegionFont("HEAD", dc).height; ++y) {
      if (IsDark(image.pixel(x, y))) {
        leftmost = x;
        break;
      }
    }
  }
  EXPECT_GE(leftmost, expected - 1);
  EXPECT_LE(leftmost, expected + view.GetRegionFont("HEAD", dc).unit);
}

TEST(FormView, CellLinesBreakAtNewLinesAndWrapWholeCharacters) {
  const QFontMetrics metrics(QFont("Noto Sans CJK SC", 12));
  const int hanzi = metrics.horizontalAdvance(QString::fromUtf8("汉"));
  const struct {
    const char* text;
    bool wrap;
    int width;
    std::vector<std::string> lines;
  } cases[] = {
      {"", false, 100, {""}},
      {"甲\n乙\n", false, 100, {"甲", "乙", ""}},
      {"甲乙丙丁", true, hanzi * 2, {"甲乙", "丙丁"}},
      {"甲乙丙丁", true, hanzi * 2 + hanzi / 2, {"甲乙", "丙丁"}},
      {"甲乙\n丙", true, hanzi, {"甲", "乙", "丙"}},
      {"甲乙", true, 1, {"甲", "乙"}},  // a character wider than the cell keeps its own line
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SmSplitCellLines(c.text, c.wrap, c.width, metrics), c.lines) << c.text;
  }
  const std::string mixed = "ab收购磅单cd汉字xyz甘蔗";
  for (int width = hanzi; width < hanzi * 5; width += 3) {
    std::string joined;
    for (const std::string& line : SmSplitCellLines(mixed, true, width, metrics)) {
      EXPECT_EQ(QString::fromStdString(line).toStdString(), line);  // whole UTF-8 characters
      joined += line;
    }
    EXPECT_EQ(joined, mixed);
  }
}

TEST(FormView, OverlayPrintingLeavesOutLinesAndTitleOnly) {
  GridView view(30, 4);
  QImage normal(1600, 2200, QImage::Format_RGB32);
  QImage overlay(normal.size(), QImage::Format_RGB32);
  for (QImage* image : {&normal, &overlay}) {
    image->fill(Qt::white);
    QPainter painter(image);
    CSmFormDC dc(image, &painter, true);
    view.m_bOverlay = image == &overlay;
    view.OnDraw(dc);
  }
  CSmFormDC dc(&normal, nullptr, true);
  const QRect title(0, view.GetRowY(0, dc, "TOPIC"), normal.width(),
                    view.GetRegionFont("TOPIC", dc).height);
  EXPECT_GT(DarkPixels(normal, title), 0);
  EXPECT_EQ(DarkPixels(overlay, title), 0);
  const QPoint line(view.GetColumnLineX(1, dc, "TEXT", 0),
                    Center(view.GetCellRect(3, 0, "TEXT", dc)).y());
  EXPECT_TRUE(IsDark(normal.pixel(line)));
  EXPECT_FALSE(IsDark(overlay.pixel(line)));
  for (int row : {0, 7, 20}) {
    const QRect cell = view.GetCellRect(row, 2, "TEXT", dc).adjusted(2, 2, -2, -2);
    EXPECT_GT(DarkPixels(normal, cell), 0);
    EXPECT_EQ(normal.copy(cell), overlay.copy(cell)) << row;
  }
}

// ---------------------------------------------------------------- printing

class FormViewPrint : public testing::Test {
 protected:
  void SetUp() override {
    SmResetMessages();
    m_saved = SmGetPrintHooks();
    SmGetPrintHooks().writeLog = [this](int code, const std::string& note) {
      m_log.push_back(std::to_string(code) + " " + note);
    };
    CSmPrinterService::Instance().Reset();
  }
  void TearDown() override {
    SmGetPrintHooks() = m_saved;
    CSmPrinterService::Instance().Reset();
  }
  std::string Pdf(const std::string& name) { return SmQueueTestPdf(name); }
  // The row numbers printed in column 0, per page.
  static std::map<int, std::vector<int>> RowsByPage(const std::string& pdf) {
    std::map<int, std::vector<int>> rows;
    for (const SmPdfWord& word : SmPdfWords(pdf)) {
      const std::string& text = word.text;
      if (text.size() > 1 && text[0] == 'R' &&
          text.find_first_not_of("ABCDEFGHIJ", 1) == std::string::npos) {
        rows[word.page].push_back(FromLetters(word.text.substr(1)));
      }
    }
    return rows;
  }
  const std::vector<std::string>& Dialogs() { return CSmMessageService::Instance().PrintDialogs(); }

  SmPrintHooks m_saved;
  std::vector<std::string> m_log;
};

TEST_F(FormViewPrint, DirectPrintStartsEachPageAtItsFirstRow) {
  GridView view(100);
  const std::string pdf = Pdf("direct");
  EXPECT_TRUE(view.OnCommand(SM_ID_FILE_PRINT_DIRECT));
  EXPECT_EQ(std::count(Dialogs().begin(), Dialogs().end(), "打印"), 0);
  const auto rows = RowsByPage(pdf);
  ASSERT_GE(rows.size(), 2u);
  const int pageRows = *std::min_element(rows.at(2).begin(), rows.at(2).end());
  ASSERT_GT(pageRows, 0);
  EXPECT_EQ(SmPdfPages(pdf), (100 - 1) / pageRows + 1);
  for (const auto& [page, numbers] : rows) {
    EXPECT_EQ(*std::min_element(numbers.begin(), numbers.end()), (page - 1) * pageRows) << page;
    EXPECT_EQ(static_cast<int>(numbers.size()), std::min(pageRows, 100 - (page - 1) * pageRows));
  }
  EXPECT_EQ(m_log, (std::vector<std::string>{"17 打印“磅单”"}));
}

TEST_F(FormViewPrint, DialogOffersAllPagesAndOverlayKeepsThePositions) {
  GridView view(100);
  const std::string normal = Pdf("normal");
  EXPECT_TRUE(view.Print(SM_ID_FILE_PRINT));
  EXPECT_EQ(Dialogs().back(), "打印");
  const int pages = SmPdfPages(normal);
  EXPECT_GT(pages, 1);
  EXPECT_EQ(RowsByPage(normal).size(), static_cast<size_t>(pages));

  const std::string overlay = Pdf("overlay");
  EXPECT_TRUE(view.OnCommand(SM_ID_OVERLAY_PRINT));
  const std::vector<SmPdfWord> plain = SmPdfWords(normal);
  const std::vector<SmPdfWord> over = SmPdfWords(overlay);
  const auto words = [](const std::vector<SmPdfWord>& all, const std::string& text) {
    return std::count_if(all.begin(), all.end(),
                         [&](const SmPdfWord& w) { return w.text == text; });
  };
  EXPECT_EQ(words(plain, "TITLE"), pages);
  EXPECT_EQ(words(over, "TITLE"), 0);
  std::vector<SmPdfWord> cells;
  std::copy_if(plain.begin(), plain.end(), std::back_inserter(cells),
               [](const SmPdfWord& w) { return w.text != "TITLE"; });
  ASSERT_EQ(cells.size(), over.size());
  for (size_t i = 0; i < cells.size(); ++i) {
    EXPECT_EQ(cells[i].text, over[i].text);
    EXPECT_NEAR(cells[i].xMin, over[i].xMin, 0.01);
    EXPECT_NEAR(cells[i].yMin, over[i].yMin, 0.01);
  }
  EXPECT_EQ(m_log.size(), 2u);
}

TEST_F(FormViewPrint, TextWiderThanItsCellIsNarrowedNotCut) {
  GridView view(3);
  const std::string wide = "WIDETEXTWIDETEXTWIDETEXTEND";
  view.texts[{0, 1, "TEXT"}] = wide;
  view.texts[{0, 2, "TEXT"}] = "NEXT";
  const std::string pdf = Pdf("narrowed");
  EXPECT_TRUE(view.OnCommand(SM_ID_FILE_PRINT_DIRECT));
  std::map<std::string, SmPdfWord> words;
  for (const SmPdfWord& word : SmPdfWords(pdf)) words[word.text] = word;
  ASSERT_TRUE(words.count(wide) && words.count("RA") && words.count("NEXT"));
  EXPECT_GT(words[wide].xMin, words["RA"].xMax);
  EXPECT_LT(words[wide].xMax, words["NEXT"].xMin);
}

TEST_F(FormViewPrint, PreviewLogsNothingAndNoPrinterOffersThePrintDialog) {
  GridView view(10);
  const std::string preview = Pdf("preview");
  EXPECT_TRUE(view.OnCommand(SM_ID_FILE_PRINT_PREVIEW));
  EXPECT_EQ(SmPdfPages(preview), 1);
  EXPECT_TRUE(m_log.empty());

  // Without a printer even a direct print goes through the print dialog and its PDF output.
  SmGetPrintHooks().hasDefaultPrinter = [] { return false; };
  SmResetMessages();
  const std::string none = Pdf("none");
  EXPECT_TRUE(view.Print(SM_ID_FILE_PRINT_DIRECT));
  EXPECT_EQ(Dialogs(), std::vector<std::string>{"打印"});
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
  EXPECT_EQ(SmPdfPages(none), 1);
  EXPECT_EQ(m_log.size(), 1u);
}

TEST_F(FormViewPrint, NoRowOnAPageStopsPrinting) {
  GridView view(10);
  view.m_printInfo->PageRow = 3000;
  Pdf("gap");
  EXPECT_FALSE(view.Print(SM_ID_FILE_PRINT));
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "行距太大，或纸张太小！");
  EXPECT_EQ(CSmMessageService::Instance().Shown().back().flags, SM_MB_ICONERROR);
  EXPECT_TRUE(Dialogs().empty());
  EXPECT_TRUE(m_log.empty());
}

// ---------------------------------------------------------------- page setup

class FormViewPageSetup : public DataFileTest {
 protected:
  void SetUp() override {
    DataFileTest::SetUp();
    CSmPrintInfo::CreateSmFontTable(&m_db);
    CSmPrintInfo::CreateSmPageSetTable(&m_db);
    m_saved = SmGetPrintHooks();
    SmGetPrintHooks().writeLog = [this](int code, const std::string& note) {
      m_log.push_back(std::to_string(code) + " " + note);
    };
  }
  void TearDown() override { SmGetPrintHooks() = m_saved; }
  // Answers the page setup dialog: a row spacing typed and OK, or Cancel.
  static void Answer(const char* spacing) {
    QTimer::singleShot(0, [spacing] {
      auto* dlg = qobject_cast<CSmPageSetupDlg*>(QApplication::activeModalWidget());
      ASSERT_NE(dlg, nullptr);
      if (!spacing) {
        dlg->reject();
        return;
      }
      static_cast<QLineEdit*>(dlg->Control(CSmPageSetupDlg::kSpacingEdit))->setText(spacing);
      dlg->OnOK();
    });
  }

  SmPrintHooks m_saved;
  std::vector<std::string> m_log;
};

TEST_F(FormViewPageSetup, SavesTheSettingsOfTheKindAndLogsIt) {
  GridView view(30, 3);
  view.m_db = &m_db;
  view.m_nFlag = 256;
  view.m_widths = {6, 0, 11};
  Answer("3.5");
  view.OnCommand(SM_ID_FILE_PAGE_SETUP);
  EXPECT_EQ(view.PrintInfo()->PageRow, 35);
  EXPECT_EQ(view.ColumnWidths(), (std::vector<int>{6, 14, 11}));
  CSmPrintInfo stored;
  stored.Load(&m_db, 256, "0");
  EXPECT_EQ(stored.PageRow, 35);
  EXPECT_EQ(stored.m_widths, (std::vector<int>{6, 0, 11}));
  EXPECT_EQ(m_log, (std::vector<std::string>{"16 设置了“磅单”的页面属性"}));

  Answer(nullptr);
  view.OnCommand(SM_ID_FILE_PAGE_SETUP);
  EXPECT_EQ(m_log.size(), 1u);
}

TEST_F(FormViewPageSetup, CancelStoresNothing) {
  GridView view;
  view.m_db = &m_db;
  view.m_nFlag = 257;
  Answer(nullptr);
  view.OnCommand(SM_ID_FILE_PAGE_SETUP);
  EXPECT_EQ(m_db.QueryInt("SELECT COUNT(*) FROM SMPAGESET"), 0);
  EXPECT_TRUE(m_log.empty());
}

// ---------------------------------------------------------------- editing

TEST(FormViewEdit, TypingInsertsWholeCharactersThroughTheInputType) {
  GridView view;
  view.m_bEditable = true;
  view.numberColumn = 2;
  view.texts[{0, 1, "TEXT"}] = "ab";
  view.SetCurrentCell(0, 1, 1, "TEXT");
  Commit(view, "甲");
  EXPECT_EQ((view.texts[{0, 1, "TEXT"}]), "a甲b");
  EXPECT_EQ(view.CurrentCell().caret, 3);
  Key(view, Qt::Key_Backspace);
  EXPECT_EQ((view.texts[{0, 1, "TEXT"}]), "ab");
  EXPECT_EQ(view.CurrentCell().caret, 1);
  Commit(view, "。");
  EXPECT_EQ((view.texts[{0, 1, "TEXT"}]), "a。b");
  Commit(view, "😀");  // no GBK form: refused
  EXPECT_EQ((view.texts[{0, 1, "TEXT"}]), "a。b");
  Key(view, Qt::Key_Left);
  Key(view, Qt::Key_Delete);
  EXPECT_EQ((view.texts[{0, 1, "TEXT"}]), "ab");

  view.texts[{0, 2, "TEXT"}] = "12";
  view.SetCurrentCell(0, 2, 2, "TEXT");
  Commit(view, "。");
  Key(view, Qt::Key_5, Qt::NoModifier, "5");
  EXPECT_EQ((view.texts[{0, 2, "TEXT"}]), "12.5");
  Key(view, Qt::Key_X, Qt::NoModifier, "x");  // refused by the number type
  EXPECT_EQ((view.texts[{0, 2, "TEXT"}]), "12.5");
  EXPECT_EQ(view.CurrentCell().caret, 4);

  // Several cells selected: typing changes nothing.
  view.SetCurrentCell(1, 1, 0, "TEXT");
  Key(view, Qt::Key_Down, Qt::ShiftModifier);
  ASSERT_EQ(view.m_anchor.row, 1);
  Key(view, Qt::Key_A, Qt::NoModifier, "a");
  EXPECT_EQ(view.texts.count({2, 1, "TEXT"}), 0u);
  EXPECT_EQ(view.texts.count({1, 1, "TEXT"}), 0u);
}

TEST(FormViewEdit, ATextSelectionIsReplacedByTyping) {
  GridView view;
  view.m_bEditable = true;
  view.texts[{0, 1, "TEXT"}] = "甲乙丙";
  view.SetCurrentCell(0, 1, 2, "TEXT");
  Key(view, Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(view.m_anchor.caret, 2);
  EXPECT_EQ(view.CurrentCell().caret, 4);
  Commit(view, "x");
  EXPECT_EQ((view.texts[{0, 1, "TEXT"}]), "甲x丙");
}

TEST(FormViewEdit, EnterInTheLastColumnMovesDownAndAppendsOnlyAfterAValue) {
  GridView view(3);
  view.m_bEditable = true;
  view.SetCurrentCell(0, 3, 0, "TEXT");
  Key(view, Qt::Key_Return);
  EXPECT_EQ(Where(view.CurrentCell()), "TEXT1,0@0");

  view.SetCurrentCell(2, 3, 0, "TEXT");
  Key(view, Qt::Key_Return);  // the last row holds texts: a row is appended
  EXPECT_EQ(view.appended, 1);
  EXPECT_EQ(Where(view.CurrentCell()), "TEXT3,0@0");

  for (int c = 0; c < 4; ++c) view.texts[{3, c, "TEXT"}] = "";
  view.numberColumn = 1;
  view.texts[{3, 1, "TEXT"}] = "0.00";
  view.SetCurrentCell(3, 3, 0, "TEXT");
  Key(view, Qt::Key_Return);  // only a zero and empty texts: no row, on to the foot row
  EXPECT_EQ(view.appended, 1);
  EXPECT_EQ(view.TextRows(), 4);
  EXPECT_EQ(Where(view.CurrentCell()), "FOOT0,0@0");
}

TEST(FormViewEdit, KeyTable) {
  struct Case {
    const char* name;
    bool editable;
    bool enterDown;
    SmGridCell from;
    int key;
    Qt::KeyboardModifiers modifiers;
    std::string expected;
  };
  const Qt::KeyboardModifiers none = Qt::NoModifier;
  // Row 5 column 1 holds "r5c1" (4 bytes); page rows are forced to 10 of 40 rows.
  const std::vector<Case> cases = {
      {"tab", false, false, {5, 1, "TEXT", 0}, Qt::Key_Tab, none, "TEXT5,2@0"},
      {"tab at the end stays", false, false, {5, 3, "TEXT", 0}, Qt::Key_Tab, none, "TEXT5,3@0"},
      {"shift tab",
       true,
       false,
       {5, 1, "TEXT", 2},
       Qt::Key_Backtab,
       Qt::ShiftModifier,
       "TEXT5,0@0"},
      {"left inside the text", true, false, {5, 1, "TEXT", 2}, Qt::Key_Left, none, "TEXT5,1@1"},
      {"left at 0 leaves the cell",
       true,
       false,
       {5, 1, "TEXT", 0},
       Qt::Key_Left,
       none,
       "TEXT5,0@0"},
      {"left in column 0", false, false, {5, 0, "TEXT", 0}, Qt::Key_Left, none, "TEXT5,0@0"},
      {"right at the end leaves", true, false, {5, 1, "TEXT", 4}, Qt::Key_Right, none, "TEXT5,2@0"},
      {"home editing", true, false, {5, 1, "TEXT", 3}, Qt::Key_Home, none, "TEXT5,1@0"},
      {"end editing", true, false, {5, 1, "TEXT", 0}, Qt::Key_End, none, "TEXT5,1@4"},
      {"home not editing", false, false, {5, 2, "TEXT", 0}, Qt::Key_Home, none, "TEXT5,0@0"},
      {"end not editing", false, false, {5, 1, "TEXT", 0}, Qt::Key_End, none, "TEXT5,3@0"},
      {"end in a head row", false, false, {0, 0, "HEAD", 0}, Qt::Key_End, none, "HEAD0,1@0"},
      {"ctrl home",
       true,
       false,
       {25, 2, "TEXT", 1},
       Qt::Key_Home,
       Qt::ControlModifier,
       "TEXT0,0@0"},
      {"ctrl end", true, false, {5, 1, "TEXT", 1}, Qt::Key_End, Qt::ControlModifier, "TEXT39,3@0"},
      {"page down", false, false, {5, 1, "TEXT", 0}, Qt::Key_PageDown, none, "TEXT15,1@0"},
      {"page down at the end",
       false,
       false,
       {35, 1, "TEXT", 0},
       Qt::Key_PageDown,
       none,
       "TEXT39,1@0"},
      {"page up", false, false, {5, 1, "TEXT", 0}, Qt::Key_PageUp, none, "TEXT0,1@0"},
      {"page down only in TEXT",
       false,
       false,
       {0, 0, "HEAD", 0},
       Qt::Key_PageDown,
       none,
       "HEAD0,0@0"},
      {"up keeps the caret", false, false, {5, 1, "TEXT", 2}, Qt::Key_Up, none, "TEXT4,1@2"},
      {"up from row 0 to the head", false, false, {0, 3, "TEXT", 0}, Qt::Key_Up, none, "HEAD0,1@0"},
      {"up from the head stays", false, false, {0, 1, "HEAD", 0}, Qt::Key_Up, none, "HEAD0,1@0"},
      {"down from the head", false, false, {0, 1, "HEAD", 0}, Qt::Key_Down, none, "TEXT0,1@0"},
      {"up from the foot", false, false, {0, 0, "FOOT", 0}, Qt::Key_Up, none, "TEXT9,0@0"},
      {"down from the foot stays",
       false,
       false,
       {0, 0, "FOOT", 0},
       Qt::Key_Down,
       none,
       "FOOT0,0@0"},
      {"down from the last row", false, false, {39, 2, "TEXT", 0}, Qt::Key_Down, none, "FOOT0,0@0"},
      {"enter moves right", false, false, {5, 1, "TEXT", 0}, Qt::Key_Return, none, "TEXT5,2@0"},
      {"enter moves down", false, true, {5, 1, "TEXT", 0}, Qt::Key_Return, none, "TEXT6,1@0"},
  };
  for (const Case& c : cases) {
    GridView view(40);
    view.forcedPageRows = 10;
    view.m_bEditable = c.editable;
    view.m_bEnterDown = c.enterDown;
    view.SetCurrentCell(c.from.row, c.from.column, c.from.caret, c.from.region);
    Key(view, c.key, c.modifiers);
    EXPECT_EQ(Where(view.CurrentCell()), c.expected) << c.name;
  }
}

TEST(FormViewEdit, UpFromRowZeroWithoutHeadCellsChangesNothing) {
  GridView view;
  view.m_headCells[0].clear();
  view.SetCurrentCell(0, 2, 0, "TEXT");
  Key(view, Qt::Key_Up);
  EXPECT_EQ(Where(view.CurrentCell()), "TEXT0,2@0");
}

TEST(FormViewEdit, LeavingAChangedCellReportsItOnce) {
  GridView view;
  view.m_bEditable = true;
  view.SetCurrentCell(0, 1, 0, "TEXT");
  view.changes.clear();
  Key(view, Qt::Key_Right);
  Key(view, Qt::Key_Tab);  // left unchanged
  EXPECT_TRUE(view.changes.empty());
  Commit(view, "z");
  Key(view, Qt::Key_Tab);
  Key(view, Qt::Key_Tab);
  ASSERT_EQ(view.changes.size(), 1u);
  EXPECT_EQ(view.changes[0], "TEXT0,2:zr0c2");
}

TEST(FormViewEdit, AGridWithoutPageRowsIgnoresKeys) {
  GridView view;
  view.m_bEditable = true;
  view.forcedPageRows = 0;
  view.SetCurrentCell(0, 1, 0, "TEXT");
  Key(view, Qt::Key_Tab);
  Commit(view, "x");
  EXPECT_EQ(Where(view.CurrentCell()), "TEXT0,1@0");
  EXPECT_EQ(view.texts.count({0, 1, "TEXT"}), 0u);
}

// ---------------------------------------------------------------- mouse

namespace {

void Mouse(QWidget& widget, QEvent::Type type, QPoint point,
           Qt::MouseButton button = Qt::LeftButton,
           Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
  QMouseEvent event(type, point, widget.mapToGlobal(point), button, held, modifiers);
  QApplication::sendEvent(&widget, &event);
}

void Click(QWidget& widget, QPoint point, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  Mouse(widget, QEvent::MouseButtonPress, point, Qt::LeftButton, modifiers);
  Mouse(widget, QEvent::MouseButtonRelease, point, Qt::LeftButton, modifiers);
}

void Drag(QWidget& widget, QPoint from, QPoint to) {
  Mouse(widget, QEvent::MouseButtonPress, from);
  Mouse(widget, QEvent::MouseMove, to);
  Mouse(widget, QEvent::MouseButtonRelease, to);
}

std::string Selection(GridView& view) {
  return Where(view.m_anchor) + " " + Where(view.CurrentCell());
}

}  // namespace

TEST(FormViewMouse, ClicksAndHeaderZonesSelect) {
  GridView view(6);
  view.m_bEditable = true;
  for (int r = 0; r < 6; ++r) {
    for (int c = 0; c < 4; ++c) view.texts[{r, c, "TEXT"}] = "";
  }
  CSmFormDC& dc = view.ScreenDC();
  const auto cell = [&](int row, int column) {
    return Center(view.GetCellRect(row, column, "TEXT", dc));
  };
  const auto rowHeader = [&](int row) {
    return QPoint(view.GetColumnLineX(0, dc, "TEXT", row) - 1, cell(row, 0).y());
  };
  const QPoint caption = Center(view.GetCellRect(0, 2, "FORMHEAD", dc));

  // The caret lands before the character whose right edge passes the click.
  view.texts[{2, 1, "TEXT"}] = "甲乙丙";
  const int x = view.GetColumnX(1, dc, "TEXT", 2) + view.GetTextWidth("甲", "TEXT", dc) + 2;
  Click(view, QPoint(x, cell(2, 1).y()));
  EXPECT_EQ(Selection(view), "TEXT2,1@2 TEXT2,1@2");

  Click(view, rowHeader(3));
  EXPECT_EQ(Selection(view), "TEXT3,3@0 TEXT3,0@0");
  Click(view, caption);
  EXPECT_EQ(Selection(view), "TEXT5,2@0 TEXT0,2@0");
  view.OnCommand(SM_ID_EDIT_SELECT_ALL);
  EXPECT_EQ(Selection(view), "TEXT5,3@0 TEXT0,0@0");

  // Shift extends from the anchor; so does a drag, over cells or over row headers.
  Click(view, cell(1, 1));
  Click(view, cell(3, 2), Qt::ShiftModifier);
  EXPECT_EQ(Selection(view), "TEXT1,1@0 TEXT3,2@0");
  Drag(view, cell(4, 3), cell(2, 0));
  EXPECT_EQ(Selection(view), "TEXT4,3@0 TEXT2,0@0");
  Drag(view, rowHeader(1), rowHeader(4));
  EXPECT_EQ(Selection(view), "TEXT1,3@0 TEXT4,0@0");
  EXPECT_EQ(view.MouseMode(), 0);

  // A right click inside a selection keeps it; without a selection it acts as a click.
  Mouse(view, QEvent::MouseButtonPress, cell(2, 1), Qt::RightButton);
  EXPECT_EQ(Selection(view), "TEXT1,3@0 TEXT4,0@0");
  Click(view, cell(0, 0));
  Mouse(view, QEvent::MouseButtonPress, cell(5, 2), Qt::RightButton);
  EXPECT_EQ(Selection(view), "TEXT5,2@0 TEXT5,2@0");
  EXPECT_EQ(view.MouseMode(), 0);
  Mouse(view, QEvent::MouseMove, cell(3, 3), Qt::NoButton);
  EXPECT_EQ(Selection(view), "TEXT5,2@0 TEXT5,2@0");

  view.forcedPageRows = 0;  // no rows on the page: the mouse does nothing
  Click(view, cell(1, 1));
  EXPECT_EQ(Selection(view), "TEXT5,2@0 TEXT5,2@0");
}

TEST(FormViewMouse, TheCursorShowsWhatAPressWouldDo) {
  GridView view;
  CSmFormDC& dc = view.ScreenDC();
  const QRect cell = view.GetCellRect(2, 1, "TEXT", dc);
  const int midY = Center(cell).y();
  const QRect formHead = view.GetCellRect(0, 1, "FORMHEAD", dc);
  const auto image = [](const QCursor& cursor) { return cursor.pixmap().toImage(); };
  const struct {
    QPoint point;
    int cursor;  // a resource id, or a Qt cursor shape
  } cases[] = {
      {QPoint(Center(cell).x(), view.GetRowLineY(3, dc, "TEXT")), SM_IDC_ROW_GAP},
      {QPoint(view.GetColumnLineX(2, dc, "TEXT", 2), midY), SM_IDC_COLUMN_WIDTH},
      {QPoint(view.GetColumnLineX(0, dc, "TEXT", 2) - 1, midY), SM_IDC_ROW_SELECT},
      {Center(formHead), SM_IDC_COLUMN_SELECT},
      {QPoint(view.GetColumnLineX(0, dc, "FORMHEAD", 0) - 1, Center(formHead).y()),
       SM_IDC_SELECT_ALL},
      {Center(cell), Qt::IBeamCursor},
      {Center(view.GetCellRect(0, 1, "HEAD", dc)), Qt::IBeamCursor},
      {QPoint(2, 2), Qt::ArrowCursor},
  };
  for (const auto& c : cases) {
    Mouse(view, QEvent::MouseMove, c.point, Qt::NoButton);
    if (c.cursor >= SM_IDC_ROW_GAP) {
      EXPECT_EQ(view.cursor().shape(), Qt::BitmapCursor) << c.cursor;
      EXPECT_EQ(image(view.cursor()), image(SmLoadCursor(c.cursor))) << c.cursor;
    } else {
      EXPECT_EQ(view.cursor().shape(), c.cursor) << c.cursor;
    }
  }
  // The five pictures differ from each other.
  for (int a = SM_IDC_ROW_GAP; a <= SM_IDC_SELECT_ALL; ++a) {
    for (int b = a + 1; b <= SM_IDC_SELECT_ALL; ++b) {
      EXPECT_NE(image(SmLoadCursor(a)), image(SmLoadCursor(b)));
    }
  }
  // Over the selection: the arrow.
  view.SetCurrentCell(1, 1, 0, "TEXT");
  view.m_anchor.row = 3;
  Mouse(view, QEvent::MouseMove, Center(cell), Qt::NoButton);
  EXPECT_EQ(view.cursor().shape(), Qt::ArrowCursor);
}

TEST(FormViewMouse, DraggingABorderResizesTheColumnOrTheRowGap) {
  GridView view;
  CSmFormDC& dc = view.ScreenDC();
  const int unit = view.GetRegionFont("TEXT", dc).unit;
  const int midY = Center(view.GetCellRect(2, 1, "TEXT", dc)).y();
  const QPoint border(view.GetColumnLineX(2, dc, "TEXT", 2), midY);  // right of column 1

  Drag(view, border, border + QPoint(3 * unit, 0));
  EXPECT_EQ(view.ColumnWidths()[1], 17);
  const QPoint moved(view.GetColumnLineX(2, dc, "TEXT", 2), midY);
  Mouse(view, QEvent::MouseButtonPress, moved);
  EXPECT_EQ(view.MouseMode(), 2);
  Mouse(view, QEvent::MouseMove, QPoint(0, midY));
  Mouse(view, QEvent::MouseButtonRelease, QPoint(0, midY));
  EXPECT_EQ(view.ColumnWidths()[1], 0);  // never below no characters
  EXPECT_EQ(view.MouseMode(), 0);

  const int gap = view.m_printInfo->PageRow;
  const QPoint line(Center(view.GetCellRect(2, 0, "TEXT", dc)).x(),
                    view.GetRowLineY(3, dc, "TEXT"));
  Drag(view, line, line + QPoint(0, 4));
  EXPECT_EQ(view.m_printInfo->PageRow, std::lround((std::lround(gap * 0.2) + 4) / 0.2));
  const QPoint line2(line.x(), view.GetRowLineY(3, dc, "TEXT"));
  Drag(view, line2, QPoint(line2.x(), 0));
  EXPECT_EQ(view.m_printInfo->PageRow, 15);  // below 3 pixels: 3 pixels
}

// ---------------------------------------------------------------- clipboard and bulk edits

namespace {

std::string Clipboard() {
  std::string text;
  GetClipboardText(text);
  return text;
}

// A grid of `rows` rows of "a|b|c" letters: row 0 "a0|b0|c0", row 1 "a1|b1|c1" ...
struct LetterGrid : GridView {
  explicit LetterGrid(int rows, int columns = 3) : GridView(rows, columns) {
    m_bEditable = true;
    for (int r = 0; r < rows; ++r) {
      for (int c = 0; c < columns; ++c) {
        texts[{r, c, "TEXT"}] = std::string(1, static_cast<char>('a' + c)) + std::to_string(r);
      }
    }
  }
  void Select(int anchorRow, int anchorColumn, int row, int column) {
    SetCurrentCell(row, column, 0, "TEXT");
    m_anchor = CurrentCell();
    m_anchor.row = anchorRow;
    m_anchor.column = anchorColumn;
  }
};

}  // namespace

TEST(FormViewClipboard, CopiesCellsAsTabbedLinesAndTextAsItsBytes) {
  LetterGrid view(4);
  view.texts[{0, 0, "TEXT"}] = "a";
  view.texts[{0, 1, "TEXT"}] = "b";
  view.texts[{0, 2, "TEXT"}] = "c";
  view.texts[{1, 0, "TEXT"}] = "d";
  view.texts[{1, 1, "TEXT"}] = "e";
  view.texts[{1, 2, "TEXT"}] = "f";
  view.Select(1, 2, 0, 0);
  ASSERT_TRUE(view.CopyToClipboard());
  EXPECT_EQ(Clipboard(), "a\tb\tc\nd\te\tf\n");

  view.texts[{2, 1, "TEXT"}] = "甲乙丙";
  view.SetCurrentCell(2, 1, 2, "TEXT");
  Key(view, Qt::Key_Right, Qt::ShiftModifier);
  ASSERT_TRUE(view.CopyToClipboard());
  EXPECT_EQ(Clipboard(), "乙");

  SetClipboardText("keep");
  view.SetCurrentCell(3, 0, 0, "TEXT");
  EXPECT_FALSE(view.CopyToClipboard());  // nothing selected
  view.m_anchor.region = "HEAD";
  EXPECT_FALSE(view.CopyToClipboard());  // anchor and current cell in different regions
  EXPECT_EQ(Clipboard(), "keep");
}

TEST(FormViewClipboard, PastingOneCellInsertsAtTheCaret) {
  LetterGrid view(3);
  view.texts[{0, 1, "TEXT"}] = "ab";
  view.SetCurrentCell(0, 1, 1, "TEXT");
  SetClipboardText("甲\r\n");
  view.OnCommand(SM_ID_EDIT_PASTE);
  EXPECT_EQ(view.Text(0, 1), "a甲b");
  EXPECT_EQ(view.CurrentCell().caret, 3);
  ASSERT_EQ(view.UndoList().size(), 1u);

  view.numberColumn = 2;
  view.SetCurrentCell(1, 2, 0, "TEXT");
  view.texts[{1, 2, "TEXT"}] = "12";
  SetClipboardText("x");  // refused by the number type
  view.OnCommand(SM_ID_EDIT_PASTE);
  EXPECT_EQ(view.Text(1, 2), "12");

  // Over a text selection the selection is replaced; over several cells nothing is pasted.
  view.texts[{2, 0, "TEXT"}] = "abc";
  view.SetCurrentCell(2, 0, 0, "TEXT");
  Key(view, Qt::Key_Right, Qt::ShiftModifier);
  SetClipboardText("Z");
  view.OnCommand(SM_ID_EDIT_PASTE);
  EXPECT_EQ(view.Text(2, 0), "Zbc");
  view.Select(0, 0, 1, 1);
  view.OnCommand(SM_ID_EDIT_PASTE);
  EXPECT_EQ(view.Text(1, 1), "b1");
}

TEST(FormViewClipboard, PastingABlockOverwritesOrInsertsWholeRows) {
  // Not in column 0: written over the cells, cut at the table's edges, a refused value skipped.
  LetterGrid view(3);
  view.numberColumn = 2;
  view.readOnly.insert({2, 1, "TEXT"});
  view.SetCurrentCell(1, 1, 1, "TEXT");
  view.changes.clear();
  SetClipboardText("p\t7\tlost\nq\tx\n");
  view.OnCommand(SM_ID_EDIT_PASTE);
  EXPECT_EQ(view.Rows(), (std::vector<std::string>{"a0|b0|c0", "a1|p|7", "a2|b2|c2"}));
  EXPECT_EQ(view.changes, (std::vector<std::string>{"TEXT1,1:p", "TEXT1,2:7"}));
  EXPECT_EQ(view.CurrentCell().caret, 0);
  EXPECT_EQ(view.TextRows(), 3);

  // Column 0 and a clipboard as wide as the table: new rows above the current one.
  view.SetCurrentCell(1, 0, 0, "TEXT");
  SetClipboardText("n\tm\t5\r\no\tn\tbad\r\n");
  view.OnCommand(SM_ID_EDIT_PASTE);
  EXPECT_EQ(view.Rows(),
            (std::vector<std::string>{"a0|b0|c0", "n|m|5", "o||", "a1|p|7", "a2|b2|c2"}));
  EXPECT_EQ(view.appended, 2);
  EXPECT_EQ(Where(view.CurrentCell()), "TEXT3,0@0");

  view.canAppend = false;  // no rows may be added: nothing happens
  view.OnCommand(SM_ID_EDIT_PASTE);
  EXPECT_EQ(view.TextRows(), 5);
}

TEST(FormViewClipboard, DeletingWholeRowsMovesTheRowsBelowUp) {
  LetterGrid view(5);
  view.Select(1, 2, 2, 0);  // rows 1 and 2, every column
  view.OnCommand(SM_ID_GRID_DELETE);
  EXPECT_EQ(view.Rows(), (std::vector<std::string>{"a0|b0|c0", "a3|b3|c3", "a4|b4|c4"}));
  EXPECT_EQ(view.appended, -2);
  EXPECT_EQ(Where(view.CurrentCell()), "TEXT1,0@0");
  EXPECT_EQ(Where(view.m_anchor), "TEXT1,0@0");

  // A selected row with a cell that cannot be emptied keeps its place.
  LetterGrid locked(4);
  locked.readOnly.insert({1, 0, "TEXT"});
  locked.Select(0, 0, 2, 2);
  locked.OnCommand(SM_ID_GRID_DELETE);
  EXPECT_EQ(locked.Rows(), (std::vector<std::string>{"a1||", "a3|b3|c3"}));

  // All rows: one is left, empty.
  LetterGrid all(3);
  all.OnCommand(SM_ID_EDIT_SELECT_ALL);
  all.OnCommand(SM_ID_GRID_DELETE);
  EXPECT_EQ(all.Rows(), (std::vector<std::string>{"||"}));
  EXPECT_EQ(all.appended, -2);
}

TEST(FormViewClipboard, DeletingPartOfRowsEmptiesTheCells) {
  LetterGrid view(3);
  view.readOnly.insert({1, 1, "TEXT"});
  view.Select(2, 1, 0, 2);
  view.changes.clear();
  view.OnCommand(SM_ID_GRID_DELETE);
  EXPECT_EQ(view.Rows(), (std::vector<std::string>{"a0||", "a1|b1|", "a2||"}));
  EXPECT_EQ(view.changes.size(), 5u);
  EXPECT_EQ(Selection(view), "TEXT0,1@0 TEXT0,1@0");

  // Cut: copied, then deleted.
  view.texts[{2, 0, "TEXT"}] = "甲乙";
  view.SetCurrentCell(2, 0, 0, "TEXT");
  Key(view, Qt::Key_Right, Qt::ShiftModifier);
  view.OnCommand(SM_ID_EDIT_CUT);
  EXPECT_EQ(Clipboard(), "甲");
  EXPECT_EQ(view.Text(2, 0), "乙");
}

TEST(FormViewClipboard, OneValueIntoSeveralCellsOrTheWholeColumn) {
  LetterGrid view(4);
  view.numberColumn = 2;
  view.readOnly.insert({1, 1, "TEXT"});
  view.Select(0, 1, 1, 2);
  SetClipboardText("1\t2\n");  // not one cell: nothing
  view.OnCommand(SM_ID_PASTE_INTO_SELECTION);
  EXPECT_EQ(view.Text(0, 1), "b0");
  SetClipboardText("9\n");
  view.OnCommand(SM_ID_PASTE_INTO_SELECTION);
  EXPECT_EQ(view.Rows(), (std::vector<std::string>{"a0|9|9", "a1|b1|9", "a2|b2|c2", "a3|b3|c3"}));

  // The current cell's text into every row that holds something; refused in the number column.
  for (int c = 0; c < 3; ++c) view.texts[{2, c, "TEXT"}] = "";
  view.SetCurrentCell(3, 1, 0, "TEXT");
  view.OnCommand(SM_ID_PASTE_INTO_COLUMN);
  EXPECT_EQ(view.Rows(), (std::vector<std::string>{"a0|b3|9", "a1|b1|9", "||", "a3|b3|c3"}));
  view.SetCurrentCell(3, 0, 0, "TEXT");
  view.OnCommand(SM_ID_PASTE_INTO_COLUMN);
  view.SetCurrentCell(0, 2, 0, "TEXT");
  view.texts[{0, 2, "TEXT"}] = "abc";
  view.OnCommand(SM_ID_PASTE_INTO_COLUMN);
  EXPECT_EQ(view.Rows(), (std::vector<std::string>{"a3|b3|abc", "a3|b1|9", "||", "a3|b3|c3"}));
}

TEST(FormViewClipboard, BlankRowsAtOrAfterTheCurrentRow) {
  LetterGrid view(3);
  view.SetCurrentCell(1, 2, 1, "TEXT");
  view.OnCommand(SM_ID_INSERT_ROW_AT);
  EXPECT_EQ(view.Rows(), (std::vector<std::string>{"a0|b0|c0", "||", "a1|b1|c1", "a2|b2|c2"}));
  EXPECT_EQ(Where(view.CurrentCell()), "TEXT1,2@0");
  view.SetCurrentCell(3, 0, 0, "TEXT");
  view.OnCommand(SM_ID_INSERT_ROW_AFTER);
  EXPECT_EQ(view.TextRows(), 5);
  EXPECT_EQ(view.Rows().back(), "||");
  EXPECT_EQ(Where(view.CurrentCell()), "TEXT4,0@0");
  view.canAppend = false;
  view.OnCommand(SM_ID_INSERT_ROW_AT);
  EXPECT_EQ(view.TextRows(), 5);
}

TEST(FormViewClipboard, CommandsAreEnabledByTheirRules) {
  const auto enabled = [](GridView& view, int id) {
    CSmCmdUI ui(id);
    EXPECT_TRUE(view.OnUpdateCommand(id, ui)) << id;
    return ui.Enabled();
  };
  LetterGrid view(3);
  SetClipboardText("v");
  view.SetCurrentCell(1, 1, 0, "TEXT");
  Commit(view, "z");                             // one change to undo
  EXPECT_FALSE(enabled(view, SM_ID_EDIT_COPY));  // no selection
  view.Select(0, 0, 1, 1);
  const int greyed[] = {
      SM_ID_EDIT_CUT,          SM_ID_EDIT_PASTE, SM_ID_GRID_DELETE, SM_ID_PASTE_INTO_SELECTION,
      SM_ID_PASTE_INTO_COLUMN, SM_ID_EDIT_UNDO,  SM_ID_FILE_NEW};
  for (int id : greyed) EXPECT_TRUE(enabled(view, id)) << id;
  EXPECT_TRUE(enabled(view, SM_ID_EDIT_COPY));
  EXPECT_FALSE(enabled(view, SM_ID_EDIT_REDO));

  view.m_bEditable = false;  // read-only: only copy over a selection
  for (int id : greyed) EXPECT_FALSE(enabled(view, id)) << id;
  EXPECT_TRUE(enabled(view, SM_ID_EDIT_COPY));
  const std::vector<std::string> rows = view.Rows();
  view.OnCommand(SM_ID_INSERT_ROW_AT);
  view.OnCommand(SM_ID_INSERT_ROW_AFTER);
  view.OnCommand(SM_ID_EDIT_PASTE);
  view.OnCommand(SM_ID_GRID_DELETE);
  EXPECT_EQ(view.Rows(), rows);

  // 43402 needs TEXT and two rows; paste needs text on the clipboard.
  LetterGrid single(1);
  EXPECT_FALSE(enabled(single, SM_ID_PASTE_INTO_COLUMN));
  single.SetCurrentCell(0, 0, 0, "HEAD");
  single.m_anchor = single.CurrentCell();
  EXPECT_FALSE(enabled(single, SM_ID_PASTE_INTO_COLUMN));
  SetClipboardText("");
  EXPECT_FALSE(enabled(single, SM_ID_EDIT_PASTE));
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
}

// ---------------------------------------------------------------- calculator and undo

TEST(FormViewUndo, TheCalculatorAddsTheSelectedNumbersAndWritesBackIntoANumberCell) {
  LetterGrid view(2, 4);
  view.numberColumn = 3;
  view.texts[{0, 0, "TEXT"}] = "1,200";
  view.texts[{0, 1, "TEXT"}] = "";
  view.texts[{0, 2, "TEXT"}] = "abc";
  view.texts[{0, 3, "TEXT"}] = "3.5";
  view.Select(0, 0, 0, 3);
  std::string expression;
  CModalScript script;
  script.Then(800, [&](QWidget* dlg) {
    expression = Control<QLineEdit>(dlg, CSmCalcDlg::kExpression)->text().toStdString();
    Press(dlg, CSmCalcDlg::kSend);
  });
  view.OnCommand(SM_ID_CALCULATOR);
  EXPECT_TRUE(script.Done());
  EXPECT_EQ(expression, "1200+3.5");
  EXPECT_EQ(view.Text(0, 3), "1203.5");
  EXPECT_EQ(Selection(view), "TEXT0,3@0 TEXT0,3@0");

  view.OnCommand(SM_ID_EDIT_UNDO);
  EXPECT_EQ(view.Text(0, 3), "3.5");
  EXPECT_EQ(view.RedoList().size(), 1u);

  // Not a number cell: the result cannot be sent back.
  view.SetCurrentCell(1, 1, 0, "TEXT");
  bool sendEnabled = true;
  CModalScript other;
  other.Then(800, [&](QWidget* dlg) {
    sendEnabled = Control<QPushButton>(dlg, CSmCalcDlg::kSend)->isEnabled();
    Press(dlg, SM_ID_CANCEL);
  });
  view.OnCommand(SM_ID_CALCULATOR);
  EXPECT_FALSE(sendEnabled);
  EXPECT_EQ(view.Text(1, 1), "b1");
}

TEST(FormViewUndo, UndoAndRedoRestoreSingleCellChanges) {
  LetterGrid view(4);
  view.SetCurrentCell(1, 1, 2, "TEXT");
  Commit(view, "x");
  Commit(view, "y");
  ASSERT_EQ(view.UndoList().size(), 2u);
  view.OnCommand(SM_ID_EDIT_UNDO);
  EXPECT_EQ(view.Text(1, 1), "b1x");
  EXPECT_EQ(view.CurrentCell().caret, 3);
  view.OnCommand(SM_ID_EDIT_REDO);
  EXPECT_EQ(view.Text(1, 1), "b1xy");
  view.OnCommand(SM_ID_EDIT_UNDO);
  Commit(view, "w");  // a new change empties redo
  EXPECT_TRUE(view.RedoList().empty());

  // The same record before a change is kept once.
  const UndoRecord before = view.UndoList().back();
  const size_t count = view.UndoList().size();
  view.PushUndo(before);
  EXPECT_EQ(view.UndoList().size(), count);

  // Undone in another cell: the view goes there and leaving it reports the restored text.
  view.SetCurrentCell(3, 0, 0, "TEXT");
  view.changes.clear();
  view.OnCommand(SM_ID_EDIT_UNDO);
  EXPECT_EQ(Where(view.CurrentCell()), "TEXT1,1@3");
  Key(view, Qt::Key_Down);
  EXPECT_EQ(view.changes.back(), "TEXT1,1:b1x");

  // Rows removed: the records of rows that are gone are dropped.
  view.SetCurrentCell(3, 2, 0, "TEXT");
  Commit(view, "q");
  view.Select(2, 2, 3, 0);
  view.OnCommand(SM_ID_GRID_DELETE);
  ASSERT_EQ(view.TextRows(), 2);
  const std::vector<std::string> rows = view.Rows();
  const std::string at = Where(view.CurrentCell());
  view.OnCommand(SM_ID_EDIT_UNDO);
  EXPECT_EQ(view.Rows(), rows);
  EXPECT_EQ(Where(view.CurrentCell()), at);

  view.m_bEditable = false;  // read-only: undo does nothing
  const size_t left = view.UndoList().size();
  view.OnCommand(SM_ID_EDIT_UNDO);
  EXPECT_EQ(view.UndoList().size(), left);
}
