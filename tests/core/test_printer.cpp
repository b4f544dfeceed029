// Printer and paper helpers: the device scale, choosing a paper, and the size and margin check
// before a job starts.
#include <gtest/gtest.h>

#include <QImage>
#include <QPageSize>
#include <QPrinter>

#include "core/SmPrinter.h"
#include "platform/SmMessage.h"
#include "tests/common/SmTestMain.h"

namespace {

const std::string& LastShown() {
  static const std::string none;
  const auto& shown = CSmMessageService::Instance().Shown();
  return shown.empty() ? none : shown.back().text;
}

SmPrinterMetrics Printer(int width, int height, int border) {
  SmPrinterMetrics metrics;
  metrics.physicalWidth = width;
  metrics.physicalHeight = height;
  metrics.leftOffset = metrics.topOffset = metrics.rightMargin = metrics.bottomMargin = border;
  return metrics;
}

SmPageRequest Page(int width, int height, int left = -1, int top = -1, int right = -1,
                   int bottom = -1, bool landscape = false) {
  return {width, height, left, top, right, bottom, landscape};
}

}  // namespace

TEST(Printer, PixelsPerQuarterMillimetre) {
  QImage image(100, 100, QImage::Format_RGB32);
  EXPECT_EQ(PixelsPerQuarterMm(&image), 1);
  EXPECT_EQ(PixelsPerQuarterMm(nullptr), 1);
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setResolution(600);
  EXPECT_EQ(PixelsPerQuarterMm(&printer), 5);  // 23.6 pixels per millimetre, truncated
}

TEST(Printer, PageCheck) {
  struct Case {
    SmPageRequest request;
    SmPrinterMetrics printer;
    const char* problem;
  };
  const Case cases[] = {
      {Page(2100, 2970), Printer(2100, 2970, 50), ""},
      // a page reported crosswise still fits
      {Page(2100, 2970), Printer(2970, 2100, 50), ""},
      {Page(2100, 2970, -1, -1, -1, -1, true), Printer(2970, 2100, 50), ""},
      {Page(2105, 2961), Printer(2100, 2970, 0), ""},
      {Page(2100, 2970), Printer(2160, 2790, 0), "打印机不支持这种规格的纸张！"},
      {Page(2100, 2970), Printer(2100, 2980, 0), "打印机不支持这种规格的纸张！"},
      // margins must exceed the unprintable border, checked left, top, right, bottom
      {Page(2100, 2970, 0, 0, 0, 0), Printer(2100, 2970, 50), "左边距太小！"},
      {Page(2100, 2970, 50, 100, 100, 100), Printer(2100, 2970, 50), "左边距太小！"},
      {Page(2100, 2970, 100, 100, 100, 100), Printer(2100, 2970, 50), ""},
      {Page(2100, 2970, 100, 100, 40, 100), Printer(2100, 2970, 50), "右边距太小！"},
      {Page(2100, 2970, 100, 100, 100, 20), Printer(2100, 2970, 50), "下边距太小！"},
      // one margin set makes the unset ones fail
      {Page(2100, 2970, 100), Printer(2100, 2970, 50), "上边距太小！"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CheckPrinterPage(c.request, c.printer), c.problem)
        << c.request.width << "x" << c.request.height << " left " << c.request.left;
  }
}

TEST(Printer, PaperWithinAMillimetreBeforeACustomSize) {
  SmResetMessages();
  const std::vector<SmPaper> papers = {{"A5", QPageSize::A5, 1480, 2100},
                                       {"A4", QPageSize::A4, 2100, 2970}};
  QPageSize paper;
  ASSERT_TRUE(SelectPrinterPaper(papers, true, 2105, 2965, paper));
  EXPECT_EQ(paper.id(), QPageSize::A4);
  // No paper fits: a custom size where the printer takes one ...
  ASSERT_TRUE(SelectPrinterPaper(papers, true, 2410, 2790, paper));
  EXPECT_EQ(paper.id(), QPageSize::Custom);
  EXPECT_NEAR(paper.size(QPageSize::Millimeter).width(), 241.0, 0.01);
  EXPECT_NEAR(paper.size(QPageSize::Millimeter).height(), 279.0, 0.01);
  EXPECT_EQ(CSmMessageService::Instance().Shown().size(), 0u);
  // ... else the paper is refused.
  EXPECT_FALSE(SelectPrinterPaper(papers, false, 2410, 2790, paper));
  EXPECT_EQ(LastShown(), "该打印机不支持这种规格的纸张！");
}

TEST(Printer, SetupOfAPdfPrinter) {
  SmResetMessages();
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  SmPrinterMetrics metrics;
  ASSERT_TRUE(TestPrinterSetup(printer, Page(2100, 2970), metrics));
  EXPECT_EQ(printer.pageLayout().pageSize().id(), QPageSize::A4);
  EXPECT_EQ(metrics.physicalWidth, 2100);
  EXPECT_EQ(metrics.physicalHeight, 2970);
  EXPECT_EQ(metrics.leftOffset, 0);
  EXPECT_EQ(metrics.dpiX, printer.resolution());

  ASSERT_TRUE(TestPrinterSetup(printer, Page(2100, 2970, 100, 100, 100, 100, true), metrics));
  EXPECT_EQ(metrics.physicalWidth, 2970);
  EXPECT_EQ(metrics.physicalHeight, 2100);

  ASSERT_TRUE(TestPrinterSetup(printer, Page(2410, 2790), metrics));
  EXPECT_EQ(printer.pageLayout().pageSize().id(), QPageSize::Custom);
  EXPECT_EQ(metrics.physicalWidth, 2410);

  // Width and height -1 list the papers instead.
  EXPECT_FALSE(TestPrinterSetup(printer, Page(-1, -1), metrics));
  EXPECT_EQ(LastShown().rfind("宽×长(mm)\t名称\n", 0), 0u);
  EXPECT_NE(LastShown().find("210.0×297.0\t"), std::string::npos);
}
