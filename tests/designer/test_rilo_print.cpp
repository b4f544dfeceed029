// Printing reports across and down pages: page counts and ranges, and the pages written to PDF.
#include <gtest/gtest.h>

#include "core/SmString.h"
#include "designer/RiloPrint.h"
#include "tests/common/SmTestPdf.h"
#include "tests/designer/rilo_view_fixture.h"
#include "ui/SmPrinterService.h"

namespace {

void SetText(CRiloData& sheet, int column, int row, const std::string& text) {
  sheet.m_texts[static_cast<size_t>(column + row * sheet.m_cols)] = text;
}

struct CountCase {
  const char* name;
  int cols;
  int scale;
  int pageFlags;
  std::vector<int> colBreaks;
  bool byColumn;
  bool byRow;
  int across;
  int down;
};

}  // namespace

// A4 less margins leaves 1300 across and 2310 down for the 20 mm x 7 mm body cells once the
// default titles (one column each side, two rows on top, one below) are taken off.
TEST(RiloPagerTest, PageCountsFollowScaleOrientationBreaksAndPrintOrder) {
  const CountCase cases[] = {
      {"body columns fill the page", 8, 100, 0, {}, false, false, 1, 2},
      {"scale 100", 14, 100, 0, {}, false, false, 2, 2},
      {"scale 50", 14, 50, 0, {}, false, false, 1, 1},
      {"landscape", 14, 100, 2, {}, false, false, 2, 2},
      {"landscape across first", 14, 100, 3, {}, false, false, 2, 2},
      {"column break", 14, 100, 0, {2}, false, false, 3, 2},
      {"column break under column order", 14, 100, 0, {2}, true, false, 6, 2},
      {"row order", 14, 100, 0, {}, false, true, 2, 5},
  };
  for (const CountCase& c : cases) {
    CRiloData sheet = Sheet(c.cols, 40);
    sheet.m_printFactor = c.scale;
    sheet.m_pageFlags = c.pageFlags;
    sheet.m_colBreaks = c.colBreaks;
    int across = -1;
    int down = -1;
    CRiloPager(sheet, c.byRow, c.byColumn).PageCounts(c.scale, across, down);
    EXPECT_EQ(across, c.across) << c.name;
    EXPECT_EQ(down, c.down) << c.name;
  }
}

TEST(RiloPagerTest, PageRangesCutTheBodyAndAWideLastColumnAddsNoEmptyPage) {
  CRiloData sheet = Sheet(14, 40);
  const CRiloPager pager(sheet, false, false);
  EXPECT_EQ(pager.PageRange(100, 0, 0), (SmRiloPageRange{1, 2, 7, 34}));
  EXPECT_EQ(pager.PageRange(100, 1, 1), (SmRiloPageRange{7, 34, 13, 39}));
  EXPECT_EQ(pager.PageRange(100, 2, 0), SmRiloPageRange{});

  // A column wider than the page stands alone; being last it is not followed by a title page.
  CRiloData wide = Sheet(4, 5);
  wide.m_colWidths[2] = 2000;
  int across = 0;
  int down = 0;
  CRiloPager(wide, false, false).PageCounts(100, across, down);
  EXPECT_EQ(across, 2);
  EXPECT_EQ(CRiloPager(wide, false, false).PageRange(100, 1, 0), (SmRiloPageRange{2, 2, 3, 4}));

  // Titles taking every row, or paper no larger than its margins: nothing to print.
  CRiloData titlesOnly = Sheet(4, 3);
  CRiloPager(titlesOnly, false, false).PageCounts(100, across, down);
  EXPECT_EQ(across * down, 0);
  CRiloData noPaper = Sheet(4, 5);
  noPaper.m_paper = {400, 2970};
  CRiloPager(noPaper, false, false).PageCounts(100, across, down);
  EXPECT_EQ(across * down, 0);
}

class RiloPrintTest : public RiloViewTest {
 protected:
  void SetUp() override {
    RiloViewTest::SetUp();
    CSmPrinterService::Instance().Reset();
  }
  void TearDown() override {
    RiloViewTest::TearDown();
    CSmPrinterService::Instance().Reset();
  }
  std::string Print(const std::string& name, int command = SM_ID_FILE_PRINT) {
    const std::string pdf = SmQueueTestPdf(name);
    m_view->OnCommand(command);
    return pdf;
  }
  // How often each page holds the word. The PDF text gives some characters as the radicals of
  // the same shape; they are read back as the characters.
  static std::vector<int> Counts(const std::string& pdf, const std::string& word) {
    std::vector<int> counts(static_cast<size_t>(SmPdfPages(pdf)), 0);
    for (const SmPdfWord& w : SmPdfWords(pdf)) {
      std::string text = w.text;
      for (const auto& [radical, character] :
           {std::pair{"⻚", "页"}, {"⼾", "户"}, {"⽬", "目"}, {"⽂", "文"}, {"⻆", "角"}})
        text = ReplaceAll(text, radical, character);
      if (text == word && w.page >= 1 && static_cast<size_t>(w.page) <= counts.size())
        ++counts[static_cast<size_t>(w.page - 1)];
    }
    return counts;
  }
};

TEST_F(RiloPrintTest, BodyThatFitsPrintsOnePageWithItsTitles) {
  CRiloData sheet = Sheet(5, 6);
  SetText(sheet, 0, 0, "左上题");
  SetText(sheet, 2, 1, "栏目名");
  SetText(sheet, 2, 3, "正文甲");
  SetText(sheet, 4, 5, "右下题");
  Open(sheet);
  const std::string pdf = Print("fits");
  ASSERT_EQ(SmPdfPages(pdf), 1);
  for (const char* word : {"左上题", "栏目名", "正文甲", "右下题"})
    EXPECT_EQ(Counts(pdf, word), std::vector<int>{1}) << word;
}

TEST_F(RiloPrintTest, PageNumberAndCountAndTitlesOnEveryPage) {
  CRiloData sheet = Sheet(10, 5);
  sheet.m_colWidths[0] = 400;
  SetText(sheet, 0, 0, "第\x14页共\x15页");
  SetText(sheet, 0, 2, "户名");
  SetText(sheet, 9, 2, "合计");
  SetText(sheet, 8, 2, "末栏");
  Open(sheet);
  const std::string pdf = Print("numbers");
  ASSERT_EQ(SmPdfPages(pdf), 2);
  EXPECT_EQ(Counts(pdf, "第1页共2页"), (std::vector<int>{1, 0}));
  EXPECT_EQ(Counts(pdf, "第2页共2页"), (std::vector<int>{0, 1}));
  EXPECT_EQ(Counts(pdf, "户名"), (std::vector<int>{1, 1}));
  EXPECT_EQ(Counts(pdf, "合计"), (std::vector<int>{1, 1}));
  EXPECT_EQ(Counts(pdf, "末栏"), (std::vector<int>{0, 1}));
}

TEST_F(RiloPrintTest, RowOrderPrintsEachRowBetweenItsOwnTitleRows) {
  CRiloData sheet = Sheet(4, 8);
  SetText(sheet, 1, 0, "上题");
  SetText(sheet, 1, 7, "下题");
  SetText(sheet, 0, 0, "角题");
  Open(sheet);
  m_doc->m_printByRow = 1;
  const std::string pdf = Print("rows");
  EXPECT_EQ(Counts(pdf, "上题"), std::vector<int>{5});
  EXPECT_EQ(Counts(pdf, "下题"), std::vector<int>{5});
  // Under the column order a column break does nothing.
  m_doc->m_printByRow = 0;
  m_doc->m_printByColumn = 1;
  m_doc->m_sheet.m_colBreaks = {0};
  EXPECT_EQ(Counts(Print("columns"), "角题"), std::vector<int>{2});
}

TEST_F(RiloPrintTest, LandscapeKeepsItsNumberingOrder) {
  CRiloData sheet = Sheet(14, 40);
  sheet.m_pageFlags = 2;
  SetText(sheet, 1, 22, "甲");  // the first column of pages, their second row
  Open(sheet);
  const std::string pdf = Print("down first");
  EXPECT_EQ(Counts(pdf, "甲"), (std::vector<int>{0, 1, 0, 0}));
  // The pages are laid out on the paper turned, not cut off at the portrait width.
  QProcess info;
  info.start("pdfinfo", {QString::fromStdString(pdf)});
  info.waitForFinished();
  EXPECT_TRUE(info.readAllStandardOutput().contains("Page size:       842 x 595"));
  m_doc->m_sheet.m_pageFlags = 3;
  EXPECT_EQ(Counts(Print("across first"), "甲"), (std::vector<int>{0, 0, 1, 0}));
}

TEST_F(RiloPrintTest, PreviewShowsEveryPageAndGivesTheFormatBarBack) {
  CRiloData sheet = Sheet(14, 40);
  SetText(sheet, 0, 0, "表头");
  Open(sheet);
  CSmCmdUI ui(SM_ID_FILE_PRINT_PREVIEW);
  ASSERT_TRUE(m_view->OnUpdateCommand(SM_ID_FILE_PRINT_PREVIEW, ui));
  EXPECT_TRUE(ui.Enabled());
  // The format bar is hidden once for the preview and shown again when it closes.
  struct HideCounter : QObject {
    int hides = 0;
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
      if (event->type() == QEvent::Hide) ++hides;
      return false;
    }
  } counter;
  m_childFrame->FormatBar()->installEventFilter(&counter);
  const std::string pdf = Print("preview", SM_ID_FILE_PRINT_PREVIEW);
  EXPECT_EQ(Counts(pdf, "表头"), (std::vector<int>{1, 1, 1, 1}));
  EXPECT_EQ(CSmMessageService::Instance().PrintDialogs().back(), "打印预览");
  EXPECT_EQ(counter.hides, 1);
  EXPECT_TRUE(m_childFrame->FormatBar()->isVisible());
  EXPECT_EQ(SmPdfPages(Print("printed")), 4);
  EXPECT_EQ(counter.hides, 1);  // printing leaves the bar alone
  m_childFrame->FormatBar()->removeEventFilter(&counter);
}
