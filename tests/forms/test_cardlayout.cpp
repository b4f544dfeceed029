// Card layouts: scales and cell rectangles, captions set as lines, drawing on an image and on
// a printed page (plain and onto pre-printed forms), the stored page setup and the print scales.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <cmath>
#include <set>

#include "forms/SmCardLayout.h"
#include "tests/common/SmTestPdf.h"
#include "tests/core/test_db_fixture.h"
#include "ui/SmListPageSetup.h"
#include "ui/SmListPrint.h"
#include "ui/SmPrintJob.h"
#include "ui/SmPrinterService.h"

namespace {

CSmCardItem Cell(const std::string& text, CSmCardRect rect) {
  CSmCardItem item;
  item.Set(text, rect.left, rect.top, rect.right, rect.bottom, 1, 1, 0, 0, true, 1, 1,
           kSmCardAlignCenter, 0, 2, 2, true);
  return item;
}

CSmCardLayout Layout(int width, int height, int titleHeight, std::vector<CSmCardRect> cells) {
  CSmCardLayout layout;
  layout.m_cardWidth = width;
  layout.m_cardHeight = height;
  layout.m_title.SetTitle(titleHeight, "卡片");
  for (const CSmCardRect& rect : cells) layout.m_items.push_back(Cell("", rect));
  layout.ComputeScale();
  return layout;
}

QImage WhiteImage(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(Qt::white);
  return image;
}

CSmCardDC Context(QPainter& painter) {
  CSmCardDC dc;
  dc.painter = &painter;
  dc.font = SmDefaultLogFont("宋体", 12);
  return dc;
}

bool Dark(const QImage& image, int x, int y) {
  return qGray(image.pixel(x, y)) < 128;
}

// Rows of the image below the top rule, within the columns, that hold ink.
std::set<int> InkRows(const QImage& image, int fromX, int toX) {
  std::set<int> rows;
  for (int y = 1; y < image.height(); ++y) {
    for (int x = fromX; x < toX; ++x) {
      if (Dark(image, x, y)) rows.insert(y);
    }
  }
  return rows;
}

}  // namespace

TEST(CardItem, DefaultsSetAndTitle) {
  const CSmCardItem fresh;
  EXPECT_EQ(fresh.rcItem, (CSmCardRect{0, 0, 0, 0}));
  EXPECT_EQ(fresh.nLineLeft + fresh.nLineTop, 2);
  EXPECT_EQ(fresh.nLineRight + fresh.nLineBottom, 0);
  EXPECT_EQ(fresh.nAlign, kSmCardAlignCenter);
  EXPECT_TRUE(fresh.bNoIndent && fresh.bIsUse);
  EXPECT_EQ(std::vector<int>({fresh.nOpt1, fresh.nOpt2, fresh.nOpt3, fresh.nOpt4, fresh.nOpt5}),
            std::vector<int>({1, 1, 0, 2, 2}));

  // Set takes its values in its own order: rules, the print flag, two options, the
  // alignment, three options, the indent flag.
  CSmCardItem item;
  item.Set("毛重", 1, 2, 3, 4, 2, 0, 1, 2, false, 11, 12, kSmCardAlignRight, 13, 14, 15, false);
  EXPECT_EQ(item.rcItem, (CSmCardRect{1, 2, 3, 4}));
  EXPECT_EQ(std::vector<int>({item.nLineLeft, item.nLineTop, item.nLineRight, item.nLineBottom}),
            std::vector<int>({2, 0, 1, 2}));
  EXPECT_FALSE(item.bIsUse);
  EXPECT_EQ(std::vector<int>({item.nOpt1, item.nOpt2, item.nOpt3, item.nOpt4, item.nOpt5}),
            std::vector<int>({11, 12, 13, 14, 15}));
  EXPECT_EQ(item.nAlign, kSmCardAlignRight);
  EXPECT_FALSE(item.bNoIndent);

  item.SetTitle(30, "过磅单");
  EXPECT_EQ(item.sText, "过磅单");
  EXPECT_EQ(item.rcItem, (CSmCardRect{0, 0, 0, 30}));
  EXPECT_EQ(item.nLineLeft + item.nLineTop + item.nLineRight + item.nLineBottom, 0);
  EXPECT_FALSE(item.bIsUse);
  EXPECT_EQ(item.nOpt1, 0);
  EXPECT_EQ(item.nOpt4, 2);
  EXPECT_TRUE(item.bNoIndent);
}

TEST(CardLayout, ScalesAndCellRectanglesFollowTheCardSize) {
  struct Case {
    const char* name;
    int width, height, titleHeight;
    std::vector<CSmCardRect> cells;
    double scaleX, scaleY;
    CSmCardRect title;
    int index;
    CSmCardRect cell;
  } cases[] = {
      // 400 × 300 pixels inside the margins over 200 × (50 + 100) units.
      {"grid",
       420,
       320,
       50,
       {{0, 0, 100, 40}, {100, 0, 200, 40}, {0, 40, 200, 100}},
       2.0,
       2.0,
       {10, 10, 410, 110},
       1,
       {210, 110, 410, 190}},
      {"grid, lower cell",
       420,
       320,
       50,
       {{0, 0, 100, 40}, {100, 0, 200, 40}, {0, 40, 200, 100}},
       2.0,
       2.0,
       {10, 10, 410, 110},
       2,
       {10, 190, 410, 310}},
      // Cells away from the origin are moved to it; no title.
      {"offset",
       420,
       320,
       0,
       {{50, 20, 150, 60}},
       4.0,
       7.5,
       {10, 10, 410, 10},
       0,
       {10, 10, 410, 310}},
      // Products are truncated: 90 / 7 per unit.
      {"truncated",
       110,
       110,
       0,
       {{0, 0, 7, 3}, {0, 0, 1, 1}},
       90.0 / 7,
       30.0,
       {10, 10, 100, 10},
       1,
       {10, 10, 22, 40}},
      // Without cells, and with cells of no size, an extent of 0 counts as 1.
      {"no cells", 420, 320, 30, {}, 400.0, 10.0, {10, 10, 10, 310}, 0, {}},
      {"cell of no size",
       420,
       320,
       0,
       {{5, 5, 5, 5}},
       400.0,
       300.0,
       {10, 10, 10, 10},
       0,
       {10, 10, 10, 10}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const CSmCardLayout layout = Layout(c.width, c.height, c.titleHeight, c.cells);
    EXPECT_DOUBLE_EQ(layout.m_screenScaleX, c.scaleX);
    EXPECT_DOUBLE_EQ(layout.m_screenScaleY, c.scaleY);
    EXPECT_EQ(layout.GetItemRect(0, true), c.title);
    EXPECT_EQ(layout.GetItemRect(c.index), c.cell);
  }
}

TEST(CardItem, CaptionsAreSetAsLines) {
  struct Case {
    const char* text;
    bool noIndent;
    int innerWidth;  // the letter "T" is 10 wide
    std::vector<std::string> lines;
  } cases[] = {
      {"毛重\\皮重", true, 100, {"毛重", "皮重"}},
      {"毛重", true, 20, {"毛重"}},  // drawn as it stands, however narrow
      // Ten characters fit, six bytes are used; a cut never splits a Chinese character.
      {"甲乙", false, 100, {"    甲", "乙"}},
      {"甲乙丙丁戊己", false, 100, {"    甲", "乙丙丁", "戊己"}},
      {"ABCDEFGH", false, 100, {"    A", "BCDEF", "GH"}},
      {"    AB", false, 100, {"    AB"}},  // already indented
      {"甲\\    乙", false, 100, {"    甲", "    乙"}},
      // Fewer than six characters fit: two bytes a line.
      {"甲乙", false, 50, {" ", " ", " ", " ", "甲", "乙"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    CSmCardItem item;
    item.sText = c.text;
    item.bNoIndent = c.noIndent;
    EXPECT_EQ(item.Lines(c.innerWidth, 10), c.lines);
  }
}

TEST(CardItem, TwoLinesStandCentredInTwoEqualBands) {
  QImage image = WhiteImage(200, 101);
  QPainter painter(&image);
  CSmCardItem item;
  item.sText = "AB\\CD";
  CSmCardDC dc = Context(painter);
  item.Draw(dc, {0, 0, 200, 101});
  painter.end();
  // Rules on the left and the top; the inner rectangle starts at 1, 1 (100 high: bands of 50).
  EXPECT_TRUE(Dark(image, 0, 60));
  EXPECT_TRUE(Dark(image, 100, 0));
  const std::set<int> rows = InkRows(image, 2, 200);
  ASSERT_FALSE(rows.empty());
  std::vector<int> upper, lower;
  for (int y : rows) (y < 51 ? upper : lower).push_back(y);
  ASSERT_FALSE(upper.empty());
  ASSERT_FALSE(lower.empty());
  // The text block of each line is 12 high and centred in its band.
  EXPECT_NEAR((upper.front() + upper.back()) / 2.0, 26, 4);
  EXPECT_NEAR((lower.front() + lower.back()) / 2.0, 76, 4);
  EXPECT_GE(upper.front(), 1 + (50 - 12) / 2 - 1);
  EXPECT_LE(lower.back(), 51 + (50 - 12) / 2 + 12 + 1);
}

TEST(CardItem, FormModeTakesEffectOnlyOnPaper) {
  // On an image (the screen) form mode changes nothing: rules and a text not for forms.
  QImage image = WhiteImage(120, 60);
  QPainter painter(&image);
  CSmCardItem item;
  item.sText = "AB";
  item.bIsUse = false;
  CSmCardDC dc = Context(painter);
  dc.formMode = true;
  item.Draw(dc, {0, 0, 120, 60});
  painter.end();
  EXPECT_TRUE(Dark(image, 0, 30));
  EXPECT_FALSE(InkRows(image, 2, 120).empty());

  // Told it prints, the same call draws no rules and, for a cell not for forms, no text.
  QImage paper = WhiteImage(120, 60);
  QPainter onPaper(&paper);
  dc.painter = &onPaper;
  dc.printing = true;
  item.Draw(dc, {0, 0, 120, 60});
  item.bIsUse = true;
  item.Draw(dc, {0, 0, 120, 60});
  onPaper.end();
  EXPECT_FALSE(Dark(paper, 0, 30));
  EXPECT_FALSE(Dark(paper, 60, 0));
  EXPECT_FALSE(InkRows(paper, 2, 120).empty());  // the cell for forms prints its text
}

class CardLayoutPrint : public DataFileTest {
 protected:
  void SetUp() override {
    DataFileTest::SetUp();
    CSmPrinterService::Instance().Reset();
    m_pdf = SmTestHome() + "/card_layout.pdf";
    QFile::remove(QString::fromStdString(m_pdf));
  }
  void TearDown() override { CSmPrinterService::Instance().Reset(); }

  // Two cells side by side: "AAA" for forms, "XYZ" not.
  CSmCardLayout TwoCells() {
    CSmCardLayout layout;
    layout.LoadPageSetup(&m_db, 2561, 30, "TITLE");
    CSmCardItem forForms = Cell("AAA", {0, 0, 100, 50});
    CSmCardItem notForForms = Cell("XYZ", {100, 0, 200, 50});
    notForForms.bIsUse = false;
    notForForms.nLineRight = 1;
    notForForms.nLineBottom = 1;
    layout.m_items = {forForms, notForForms};
    layout.ComputeScale();
    return layout;
  }
  // Prints the layout onto the application's printer into the PDF.
  void PrintPdf(CSmCardLayout& layout, bool formMode) {
    CSmPrintState state;
    ASSERT_TRUE(layout.PreparePrinting(state));
    EXPECT_EQ(state.maxPage, 1);
    QPrinter& printer = CSmPrinterService::Instance().Printer();
    printer.setOutputFileName(QString::fromStdString(m_pdf));
    QPainter painter(&printer);
    layout.Draw(painter, formMode);
  }
  std::set<std::string> Words() {
    std::set<std::string> words;
    for (const SmPdfWord& word : SmPdfWords(m_pdf)) words.insert(word.text);
    return words;
  }
  // Dark pixels of the page rendered at 50 dpi.
  int DarkPixels() {
    const QString base = QDir::temp().filePath("issue_card_page");
    QProcess::execute("pdftoppm",
                      {"-r", "50", "-png", "-singlefile", QString::fromStdString(m_pdf), base});
    const QImage page(base + ".png");
    int dark = 0;
    for (int y = 0; y < page.height(); ++y) {
      for (int x = 0; x < page.width(); ++x) dark += Dark(page, x, y) ? 1 : 0;
    }
    return dark;
  }

  std::string m_pdf;
};

TEST_F(CardLayoutPrint, PaperInFormModeHasNoRulesAndOnlyTheTextsForForms) {
  CSmCardLayout layout = TwoCells();
  PrintPdf(layout, false);
  EXPECT_EQ(Words(), (std::set<std::string>{"TITLE", "AAA", "XYZ"}));
  const int ruled = DarkPixels();

  PrintPdf(layout, true);
  EXPECT_EQ(Words(), (std::set<std::string>{"AAA"}));
  const int formOnly = DarkPixels();
  // The rules are long lines across the page: far more ink than three short words.
  EXPECT_GT(ruled, 2 * formOnly + 200);
}

TEST_F(CardLayoutPrint, AStoredSetupFillsTheLayoutAndAZeroCardSizeKeepsTheDefault) {
  CSmListPageSetup stored;
  stored.key = 2561;
  stored.margins = {150, 160, 170, 180};
  stored.landscape = 1;
  stored.paperWidth = 2970;  // as it lies
  stored.paperLength = 2100;
  ASSERT_TRUE(stored.Save(&m_db));
  CSmCardLayout layout;
  layout.LoadPageSetup(&m_db, 2561, 40, "过磅单");
  EXPECT_EQ(layout.nSetupKey, 2561);
  EXPECT_EQ(layout.m_title.sText, "过磅单");  // no stored title: the default
  EXPECT_EQ(layout.m_title.rcItem.Height(), 40);
  EXPECT_EQ(layout.m_cardWidth, 790);
  EXPECT_EQ(layout.m_cardHeight, 470);
  EXPECT_EQ(layout.m_printMargins, (CSmCardRect{150, 160, 170, 180}));
  EXPECT_TRUE(layout.bLandscape);
  EXPECT_EQ(layout.m_paperWidth, 2100);  // kept upright
  EXPECT_EQ(layout.m_paperHeight, 2970);
  EXPECT_EQ(layout.m_titleFont.faceName, "黑体");
  EXPECT_EQ(layout.m_bodyFont.faceName, "宋体");

  stored.title = "磅单";
  stored.screenWidth = 600;
  stored.screenHeight = 400;
  ASSERT_TRUE(stored.Save(&m_db));
  layout.LoadPageSetup(&m_db, 2561, 40, "过磅单");
  EXPECT_EQ(layout.m_title.sText, "磅单");
  EXPECT_EQ(layout.m_cardWidth, 600);
  EXPECT_EQ(layout.m_cardHeight, 400);
}

TEST_F(CardLayoutPrint, LandscapeSwapsThePaperInThePrintScales) {
  CSmCardLayout layout = TwoCells();  // 200 × (30 + 50) units, margins 200, A4
  CSmPrintState state;
  ASSERT_TRUE(layout.PreparePrinting(state));
  const SmPrinterMetrics& metrics = CSmPrinterService::Instance().Metrics();
  ASSERT_GT(metrics.dpiX, 0);
  const double unitsX = metrics.dpiX * 0.003937824;
  const double unitsY = metrics.dpiY * 0.003937824;
  EXPECT_DOUBLE_EQ(layout.m_printScaleX, 1700.0 / 200 * unitsX);
  EXPECT_DOUBLE_EQ(layout.m_printScaleY, 2570.0 / 80 * unitsY);
  EXPECT_DOUBLE_EQ(layout.m_printFontFactor, metrics.dpiY * 0.01);

  layout.bLandscape = true;
  ASSERT_TRUE(layout.PreparePrinting(state));
  EXPECT_DOUBLE_EQ(layout.m_printScaleX, 2570.0 / 200 * unitsX);
  EXPECT_DOUBLE_EQ(layout.m_printScaleY, 1700.0 / 80 * unitsY);
  EXPECT_EQ(CSmPrinterService::Instance().Metrics().physicalWidth, 2970);
}
