#include "core/SmPrinter.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPaintDevice>
#include <QPrinter>
#include <QPrinterInfo>
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/SmString.h"
#include "platform/SmMessage.h"

namespace {

void ShowStop(const std::string& text) {
  SmMessageBox(text, SM_MB_OK | SM_MB_ICONERROR);
}

bool WritesPdf(const QPrinter& printer) {
  return printer.outputFormat() == QPrinter::PdfFormat;
}

SmPaper PaperOf(const QPageSize& size) {
  const QSizeF mm = size.size(QPageSize::Millimeter);
  return {size.name().toStdString(), static_cast<int>(size.id()),
          static_cast<int>(std::lround(mm.width() * 10)),
          static_cast<int>(std::lround(mm.height() * 10))};
}

SmPrinterArea AreaOf(double full, double startMargin, double endMargin) {
  SmPrinterArea area;
  area.physical = static_cast<int>(full * 1000);
  area.start = static_cast<int>(startMargin * 1000);
  area.printable = static_cast<int>((full - startMargin - endMargin) * 1000);
  area.end = std::max(area.physical - area.start - area.printable, 0);
  return area;
}

bool Near(int a, int b) {
  return std::abs(a - b) < 10;
}

}  // namespace

int PixelsPerQuarterMm(const QPaintDevice* device) {
  if (!device || device->devType() != QInternal::Printer || device->widthMM() <= 0) return 1;
  return std::max(1, device->width() / (4 * device->widthMM()));
}

void GetPrinterArea(const QPrinter& printer, SmPrinterArea& horizontal, SmPrinterArea& vertical) {
  QPageLayout layout = printer.pageLayout();
  layout.setUnits(QPageLayout::Millimeter);
  const QRectF full = layout.fullRect(QPageLayout::Millimeter);
  const QMarginsF border = layout.minimumMargins();
  horizontal = AreaOf(full.width(), border.left(), border.right());
  vertical = AreaOf(full.height(), border.top(), border.bottom());
}

std::vector<SmPaper> GetPrinterPapers(const QPrinter& printer) {
  std::vector<SmPaper> papers;
  if (WritesPdf(printer)) {
    for (int id = 0; id <= QPageSize::LastPageSize; ++id) {
      if (id != QPageSize::Custom) papers.push_back(PaperOf(QPageSize(QPageSize::PageSizeId(id))));
    }
    return papers;
  }
  for (const QPageSize& size : QPrinterInfo(printer).supportedPageSizes()) {
    papers.push_back(PaperOf(size));
  }
  return papers;
}

void ListPrinterPapers(const QPrinter& printer) {
  std::string text = "宽×长(mm)\t名称\n";
  for (const SmPaper& paper : GetPrinterPapers(printer)) {
    text +=
        FormatStr("%.1lf×%.1lf\t%s\n", paper.width / 10.0, paper.height / 10.0, paper.name.c_str());
  }
  SmMessageBox(text, SM_MB_OK | SM_MB_ICONINFORMATION);
}

bool SelectPrinterPaper(const std::vector<SmPaper>& papers, bool customAllowed, int width,
                        int height, QPageSize& paper) {
  const QPageSize custom(QSizeF(width / 10.0, height / 10.0), QPageSize::Millimeter,
                         QStringLiteral("Vornel自定义纸"), QPageSize::ExactMatch);
  for (const SmPaper& listed : papers) {
    if (listed.id == QPageSize::Custom) {
      paper = custom;
      return true;
    }
    if (Near(listed.width, width) && Near(listed.height, height)) {
      paper = QPageSize(QPageSize::PageSizeId(listed.id));
      return true;
    }
  }
  if (!customAllowed) {
    ShowStop("该打印机不支持这种规格的纸张！");
    return false;
  }
  paper = custom;
  return true;
}

bool CreatePrinterDC(QPrinter& printer, const QPageSize& paper, bool landscape,
                     SmPrinterMetrics& metrics) {
  printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
  if (!printer.setPageSize(paper)) {
    ShowStop("设置纸张格式失败！");
    return false;
  }
  // Drawing starts at the printable area's corner, as on the printer itself.
  printer.setFullPage(false);
  QPageLayout layout = printer.pageLayout();
  layout.setUnits(QPageLayout::Millimeter);
  printer.setPageMargins(layout.minimumMargins(), QPageLayout::Millimeter);
  SmPrinterArea h;
  SmPrinterArea v;
  GetPrinterArea(printer, h, v);
  metrics = {h.physical / 100,      v.physical / 100,     h.printable / 100, v.printable / 100,
             h.start / 100,         v.start / 100,        h.end / 100,       v.end / 100,
             printer.logicalDpiX(), printer.logicalDpiY()};
  return true;
}

std::string CheckPrinterPage(const SmPageRequest& request, const SmPrinterMetrics& metrics) {
  int width = request.width;
  int height = request.height;
  if (request.landscape) std::swap(width, height);
  const bool straight = Near(metrics.physicalWidth, width) && Near(metrics.physicalHeight, height);
  const bool crosswise = Near(metrics.physicalWidth, height) && Near(metrics.physicalHeight, width);
  if (!straight && !crosswise) return "打印机不支持这种规格的纸张！";
  const bool marginsSet =
      request.left != -1 || request.top != -1 || request.right != -1 || request.bottom != -1;
  if (!marginsSet) return {};
  const struct {
    int margin;
    int border;
    const char* side;
  } sides[] = {{request.left, metrics.leftOffset, "左"},
               {request.top, metrics.topOffset, "上"},
               {request.right, metrics.rightMargin, "右"},
               {request.bottom, metrics.bottomMargin, "下"}};
  for (const auto& side : sides) {
    if (side.margin <= side.border) return FormatStr("%s边距太小！", side.side);
  }
  return {};
}

bool TestPrinterSetup(QPrinter& printer, const SmPageRequest& request, SmPrinterMetrics& metrics) {
  if (!WritesPdf(printer) && !printer.isValid()) {
    ShowStop(FormatStr("测试打印机“%s”失败！", printer.printerName().toStdString().c_str()));
    return false;
  }
  if (request.width == -1 && request.height == -1) {
    ListPrinterPapers(printer);
    return false;
  }
  const bool customAllowed = WritesPdf(printer) || QPrinterInfo(printer).supportsCustomPageSizes();
  QPageSize paper;
  if (!SelectPrinterPaper(GetPrinterPapers(printer), customAllowed, request.width, request.height,
                          paper)) {
    return false;
  }
  if (!CreatePrinterDC(printer, paper, request.landscape, metrics)) return false;
  const std::string problem = CheckPrinterPage(request, metrics);
  if (problem.empty()) return true;
  ShowStop(problem);
  return false;
}
