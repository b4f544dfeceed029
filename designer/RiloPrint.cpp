#include "designer/RiloPrint.h"

#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <array>

#include "core/SmPrinter.h"
#include "designer/RiloChildFrm.h"
#include "designer/RiloDoc.h"
#include "designer/RiloRichText.h"
#include "designer/RiloView.h"
#include "platform/SmCommandIds.h"
#include "ui/SmFonts.h"
#include "ui/SmMarkup.h"
#include "ui/SmPrintHooks.h"
#include "ui/SmPrintJob.h"
#include "ui/SmPrinterService.h"

namespace {

constexpr int kThinLine = 1;
constexpr int kThickLine = 2;
constexpr int kDashedLine = 3;
constexpr int kWhite = 0xFFFFFF;
// The gap between a cell's lines and its text, tenths of a millimetre.
constexpr int kTextGapX = 13;
constexpr int kTextGapY = 8;

bool Contains(const std::vector<int>& list, int index) {
  return std::find(list.begin(), list.end(), index) != list.end();
}

int Length(const std::vector<int>& lengths, int index) {
  if (index < 0 || static_cast<size_t>(index) >= lengths.size()) return 0;
  return lengths[static_cast<size_t>(index)];
}

}  // namespace

// ---------------------------------------------------------------- pagination

int CRiloPager::WidthSum(int c0, int c1) const {
  int sum = 0;
  for (int c = c0; c < c1; ++c) sum += Length(m_sheet.m_colWidths, c);
  return sum;
}

int CRiloPager::HeightSum(int r0, int r1) const {
  int sum = 0;
  for (int r = r0; r < r1; ++r) sum += Length(m_sheet.m_rowHeights, r);
  return sum;
}

bool CRiloPager::BodyRange(SmRiloPageRange& body) const {
  const SmIntRect& titles = m_sheet.m_titleArea;
  body = {titles.left, titles.top, m_sheet.m_cols - titles.right, m_sheet.m_rows - titles.bottom};
  return body.c0 >= 0 && body.r0 >= 0 && body.c0 < body.c1 && body.r0 < body.r1;
}

SmIntPair CRiloPager::OrientedPaper() const {
  const SmIntPair paper = m_sheet.m_paper;
  return m_sheet.m_pageFlags / 2 != 0 ? SmIntPair{paper.second, paper.first} : paper;
}

bool CRiloPager::AvailableSpace(int scale, int& width, int& height) const {
  width = 0;
  height = 0;
  if (scale <= 0) return false;
  const SmIntPair paper = OrientedPaper();
  const SmIntRect& margins = m_sheet.m_margins;
  width = (paper.first - margins.left - margins.right) * 100 / scale;
  height = (paper.second - margins.top - margins.bottom) * 100 / scale;
  SmRiloPageRange body;
  if (BodyRange(body)) {
    width -= WidthSum(0, body.c0) + WidthSum(body.c1, m_sheet.m_cols);
    height -= HeightSum(0, body.r0) + HeightSum(body.r1, m_sheet.m_rows);
  }
  return width > 0 && height > 0;
}

std::vector<int> CRiloPager::Cuts(bool rows, int available) const {
  SmRiloPageRange body;
  BodyRange(body);
  const int first = rows ? body.r0 : body.c0;
  const int end = rows ? body.r1 : body.c1;
  const int count = rows ? m_sheet.m_rows : m_sheet.m_cols;
  const bool strips = rows ? m_byRow : m_byColumn;
  const int titles = !strips ? 0
                     : rows  ? HeightSum(0, first) + HeightSum(end, count)
                             : WidthSum(0, first) + WidthSum(end, count);
  const auto length = [&](int i) {
    return Length(rows ? m_sheet.m_rowHeights : m_sheet.m_colWidths, i) + titles;
  };
  const auto isBreak = [&](int i) { return rows ? IsRowBreak(i) : IsColumnBreak(i); };
  std::vector<int> cuts{first};
  int sum = 0;
  // A page that ends at the last body column (row) is not followed by an empty one.
  for (int i = first; i + 1 < end; ++i) {
    sum += length(i);
    const bool full = sum + length(i + 1) >= available || sum >= available;
    const bool manual = !strips && i > 0 && isBreak(i - 1);
    if (!full && !manual) continue;
    cuts.push_back(i + 1);
    sum = 0;
  }
  cuts.push_back(end);
  return cuts;
}

void CRiloPager::PageCounts(int scale, int& across, int& down) const {
  across = 0;
  down = 0;
  int width = 0;
  int height = 0;
  SmRiloPageRange body;
  if (!AvailableSpace(scale, width, height) || !BodyRange(body)) return;
  across = static_cast<int>(Cuts(false, width).size()) - 1;
  down = static_cast<int>(Cuts(true, height).size()) - 1;
}

SmRiloPageRange CRiloPager::PageRange(int scale, int across, int down) const {
  int width = 0;
  int height = 0;
  SmRiloPageRange body;
  if (!AvailableSpace(scale, width, height) || !BodyRange(body)) return {};
  const std::vector<int> columns = Cuts(false, width);
  const std::vector<int> rows = Cuts(true, height);
  if (across < 0 || down < 0 || static_cast<size_t>(across) + 1 >= columns.size() ||
      static_cast<size_t>(down) + 1 >= rows.size()) {
    return {};
  }
  const auto a = static_cast<size_t>(across);
  const auto d = static_cast<size_t>(down);
  return {columns[a], rows[d], columns[a + 1], rows[d + 1]};
}

bool CRiloPager::IsColumnBreak(int column) const {
  return Contains(m_sheet.m_colBreaks, column);
}

bool CRiloPager::IsRowBreak(int row) const {
  return Contains(m_sheet.m_rowBreaks, row);
}

// ---------------------------------------------------------------- one page

namespace {

// Draws cell blocks of the sheet on the printer at the print scale.
class CRiloPagePainter {
 public:
  CRiloPagePainter(QPainter& painter, const CRiloDoc& doc, int pageNo, int pageCount)
      : m_painter(painter), m_doc(doc), m_sheet(doc.m_sheet) {
    const QPaintDevice* device = painter.device();
    m_fx = device->logicalDpiX() / 254.0;
    m_fy = device->logicalDpiY() / 254.0;
    m_engine.m_context.printing = true;
    m_engine.m_context.printFactor = m_sheet.m_printFactor;
    m_engine.m_context.screenScaleY = doc.m_screenScaleY;
    m_engine.m_context.printerScaleY = m_fy;
    m_engine.m_context.pageNo = pageNo;
    m_engine.m_context.pageCount = pageCount;
  }

  int ColumnExtent(int c) const {
    return static_cast<int>(Length(m_sheet.m_colWidths, c) * m_sheet.m_printFactor * m_fx * 0.01);
  }
  int RowExtent(int r) const {
    return static_cast<int>(Length(m_sheet.m_rowHeights, r) * m_sheet.m_printFactor * m_fy * 0.01);
  }
  int ColumnsExtent(int c0, int c1) const {
    int sum = 0;
    for (int c = c0; c < c1; ++c) sum += ColumnExtent(c);
    return sum;
  }
  int RowsExtent(int r0, int r1) const {
    int sum = 0;
    for (int r = r0; r < r1; ++r) sum += RowExtent(r);
    return sum;
  }

  // The cells [c0, c1) x [r0, r1) with their top-left corner at `at`; a block marked last in
  // a direction closes it with its right (bottom) lines.
  void DrawBlock(QPoint at, const SmRiloPageRange& block, bool lastColumn, bool lastRow);

 private:
  void DrawCell(const QRect& cell, const QRect& blockRect, const SmRiloPageRange& block, int c,
                int r, bool closeRight, bool closeBottom);
  void DrawText(const QRect& box, const QRect& clip, std::string text, int horizontal, int vertical,
                SmColor back);
  void DrawLine(int kind, int color, QPoint from, QPoint to);
  int LinePixels(int kind) const {
    return std::max(1, static_cast<int>((kind == kThickLine ? 5 : 2) * m_fx));
  }

  QPainter& m_painter;
  const CRiloDoc& m_doc;
  const CRiloData& m_sheet;
  double m_fx = 1;
  double m_fy = 1;
  CRiloRichText m_engine;
};

void CRiloPagePainter::DrawBlock(QPoint at, const SmRiloPageRange& block, bool lastColumn,
                                 bool lastRow) {
  const QRect blockRect(at,
                        QSize(ColumnsExtent(block.c0, block.c1), RowsExtent(block.r0, block.r1)));
  if (blockRect.isEmpty()) return;
  int y = at.y();
  for (int r = block.r0; r < block.r1; y += RowExtent(r), ++r) {
    if (RowExtent(r) == 0) continue;
    int x = at.x();
    for (int c = block.c0; c < block.c1; x += ColumnExtent(c), ++c) {
      if (ColumnExtent(c) == 0) continue;
      const QRect cell(x, y, ColumnExtent(c), RowExtent(r));
      DrawCell(cell, blockRect, block, c, r, lastColumn && c == block.c1 - 1,
               lastRow && r == block.r1 - 1);
    }
  }
}

void CRiloPagePainter::DrawCell(const QRect& cell, const QRect& blockRect,
                                const SmRiloPageRange& block, int c, int r, bool closeRight,
                                bool closeBottom) {
  const SmRiloCellFormat format = m_doc.GetCellFormat(c, r);
  const auto back = static_cast<SmColor>(format.backColor);
  if (format.backColor != kWhite) m_painter.fillRect(cell, SmColorFromRef(back));
  const int horizontal = format.layout3.first;
  const int vertical = format.layout3.second;
  const bool spanColumns = horizontal >= 4;
  const bool spanRows = vertical == 4;
  // A spanning block's text is drawn once per cell block, from its first cell in sight.
  const int textColumn = spanColumns ? format.layout4.first : c;
  const int textRow = spanRows ? format.layout4.second : r;
  const bool textHere = c == std::max(textColumn, block.c0) && r == std::max(textRow, block.r0);
  if (textHere) {
    const int lastColumn = spanColumns ? format.layout5.first : c;
    const int lastRow = spanRows ? format.layout5.second : r;
    const int left = cell.left() - ColumnsExtent(textColumn, c);
    const int top = cell.top() - RowsExtent(textRow, r);
    const QRect span(left, top, ColumnsExtent(textColumn, lastColumn + 1),
                     RowsExtent(textRow, lastRow + 1));
    const int gapX = static_cast<int>(kTextGapX * m_sheet.m_printFactor * m_fx * 0.01);
    const int gapY = static_cast<int>(kTextGapY * m_sheet.m_printFactor * m_fy * 0.01);
    const QRect box = span.adjusted(gapX, gapY, -gapX, -gapY);
    const std::string text = m_doc.GetDisplayText(textColumn, textRow, true, true);
    const int shownVertical = spanRows ? 0 : vertical;
    if (!text.empty())
      DrawText(box, blockRect.intersected(span), text, horizontal & 3, shownVertical, back);
  }
  const QPoint topLeft = cell.topLeft();
  const QPoint topRight(cell.left() + cell.width(), cell.top());
  const QPoint bottomLeft(cell.left(), cell.top() + cell.height());
  const QPoint bottomRight(topRight.x(), bottomLeft.y());
  const bool drawLeft = !spanColumns || c == format.layout4.first || c == block.c0;
  const bool drawTop = !spanRows || r == format.layout4.second || r == block.r0;
  if (drawLeft) DrawLine(format.lineStyles[0], format.lineColors[0], topLeft, bottomLeft);
  if (drawTop) DrawLine(format.lineStyles[1], format.lineColors[1], topLeft, topRight);
  if (closeRight) DrawLine(format.lineStyles[2], format.lineColors[2], topRight, bottomRight);
  if (closeBottom) DrawLine(format.lineStyles[3], format.lineColors[3], bottomLeft, bottomRight);
}

void CRiloPagePainter::DrawText(const QRect& box, const QRect& clip, std::string text,
                                int horizontal, int vertical, SmColor back) {
  m_painter.save();
  m_painter.setClipRect(clip);
  m_painter.setBackground(SmColorFromRef(back));
  RiloDrawAlignedText(m_engine, m_painter, box, clip, std::move(text), horizontal, vertical);
  m_painter.restore();
}

void CRiloPagePainter::DrawLine(int kind, int color, QPoint from, QPoint to) {
  if (kind != kThinLine && kind != kThickLine && kind != kDashedLine) return;
  QPen pen(SmColorFromRef(static_cast<SmColor>(color)), LinePixels(kind));
  pen.setCapStyle(Qt::SquareCap);
  if (kind == kDashedLine) pen.setStyle(Qt::DotLine);
  m_painter.save();
  m_painter.setPen(pen);
  m_painter.drawLine(from, to);
  m_painter.restore();
}

// The bands of one direction: titles before, the page's body, titles after.
struct Band {
  int first;
  int end;
};

class CRiloPrintJob : public CSmPrintJob {
 public:
  explicit CRiloPrintJob(CRiloDoc& doc)
      : m_doc(doc), m_pager(doc.m_sheet, doc.m_printByRow != 0, doc.m_printByColumn != 0) {}

  bool OnPreparePrinting(CSmPrintState& state) override;
  void OnPrint(QPainter& painter, CSmPrintState& state) override;

 private:
  // The page's rectangle less the margins, in printer pixels; empty when none is left.
  QRect PrintableRect(const QPainter& painter) const;
  void DrawPlain(CRiloPagePainter& page, const QRect& area, const SmRiloPageRange& range);
  void DrawStrips(CRiloPagePainter& page, const QRect& area, const SmRiloPageRange& range,
                  bool rows);

  CRiloDoc& m_doc;
  CRiloPager m_pager;
  int m_across = 0;
  int m_down = 0;
};

bool CRiloPrintJob::OnPreparePrinting(CSmPrintState& state) {
  const CRiloData& sheet = m_doc.m_sheet;
  // The printer preparation takes the paper in portrait terms with the orientation apart.
  SmPageRequest request;
  request.width = sheet.m_paper.first;
  request.height = sheet.m_paper.second;
  request.left = sheet.m_margins.left;
  request.top = sheet.m_margins.top;
  request.right = sheet.m_margins.right;
  request.bottom = sheet.m_margins.bottom;
  request.landscape = sheet.m_pageFlags / 2 != 0;
  if (!SmGetPrinterDC(request)) return false;
  m_pager.PageCounts(sheet.m_printFactor, m_across, m_down);
  if (m_across * m_down <= 0) return false;
  state.minPage = 1;
  state.maxPage = m_across * m_down;
  return DoPreparePrinting(state);
}

QRect CRiloPrintJob::PrintableRect(const QPainter& painter) const {
  const CRiloData& sheet = m_doc.m_sheet;
  const SmIntPair paper = m_pager.OrientedPaper();
  const SmIntRect& margins = sheet.m_margins;
  const int width = paper.first - margins.left - margins.right;
  const int height = paper.second - margins.top - margins.bottom;
  if (width <= 0 || height <= 0) return {};
  const double fx = painter.device()->logicalDpiX() / 254.0;
  const double fy = painter.device()->logicalDpiY() / 254.0;
  const CSmPrinterService& printer = CSmPrinterService::Instance();
  return QRect(static_cast<int>((margins.left - printer.LeftOffset()) * fx),
               static_cast<int>((margins.top - printer.TopOffset()) * fy),
               static_cast<int>(width * fx), static_cast<int>(height * fy));
}

void CRiloPrintJob::OnPrint(QPainter& painter, CSmPrintState& state) {
  const QRect area = PrintableRect(painter);
  SmRiloPageRange body;
  if (area.isEmpty() || !m_pager.BodyRange(body)) return;
  const int index = state.currentPage - 1;
  const bool acrossFirst = (m_doc.m_sheet.m_pageFlags & 1) != 0;
  const int across = acrossFirst ? index % m_across : index / m_down;
  const int down = acrossFirst ? index / m_across : index % m_down;
  const SmRiloPageRange range = m_pager.PageRange(m_doc.m_sheet.m_printFactor, across, down);
  CRiloPagePainter page(painter, m_doc, state.currentPage, m_across * m_down);
  if (m_doc.m_printByColumn != 0) {
    DrawStrips(page, area, range, false);
  } else if (m_doc.m_printByRow != 0) {
    DrawStrips(page, area, range, true);
  } else {
    DrawPlain(page, area, range);
  }
}

std::array<Band, 3> ColumnBands(const CRiloData& sheet, int c0, int c1) {
  return {Band{0, sheet.m_titleArea.left}, Band{c0, c1},
          Band{sheet.m_cols - sheet.m_titleArea.right, sheet.m_cols}};
}

std::array<Band, 3> RowBands(const CRiloData& sheet, int r0, int r1) {
  return {Band{0, sheet.m_titleArea.top}, Band{r0, r1},
          Band{sheet.m_rows - sheet.m_titleArea.bottom, sheet.m_rows}};
}

// The index of the last band with any extent; -1 none.
template <class Extent>
int LastBand(const std::array<Band, 3>& bands, Extent extent) {
  for (int i = 2; i >= 0; --i) {
    if (extent(bands[static_cast<size_t>(i)].first, bands[static_cast<size_t>(i)].end) > 0)
      return i;
  }
  return -1;
}

void CRiloPrintJob::DrawPlain(CRiloPagePainter& page, const QRect& area,
                              const SmRiloPageRange& range) {
  const auto columns = ColumnBands(m_doc.m_sheet, range.c0, range.c1);
  const auto rows = RowBands(m_doc.m_sheet, range.r0, range.r1);
  const int lastColumn = LastBand(columns, [&](int a, int b) { return page.ColumnsExtent(a, b); });
  const int lastRow = LastBand(rows, [&](int a, int b) { return page.RowsExtent(a, b); });
  int y = area.top();
  for (size_t i = 0; i < rows.size(); ++i) {
    int x = area.left();
    for (size_t j = 0; j < columns.size(); ++j) {
      const SmRiloPageRange block{columns[j].first, rows[i].first, columns[j].end, rows[i].end};
      page.DrawBlock({x, y}, block, static_cast<int>(j) == lastColumn,
                     static_cast<int>(i) == lastRow);
      x += page.ColumnsExtent(columns[j].first, columns[j].end);
    }
    y += page.RowsExtent(rows[i].first, rows[i].end);
  }
}

void CRiloPrintJob::DrawStrips(CRiloPagePainter& page, const QRect& area,
                               const SmRiloPageRange& range, bool rows) {
  const CRiloData& sheet = m_doc.m_sheet;
  // The bands across the strips stay whole; each strip holds one body column (row).
  const auto fixed =
      rows ? ColumnBands(sheet, range.c0, range.c1) : RowBands(sheet, range.r0, range.r1);
  const auto fixedExtent = [&](int a, int b) {
    return rows ? page.ColumnsExtent(a, b) : page.RowsExtent(a, b);
  };
  const auto stripExtent = [&](int a, int b) {
    return rows ? page.RowsExtent(a, b) : page.ColumnsExtent(a, b);
  };
  const int lastFixed = LastBand(fixed, fixedExtent);
  int fixedPos = rows ? area.left() : area.top();
  for (size_t i = 0; i < fixed.size(); ++i) {
    int pos = rows ? area.top() : area.left();
    const int first = rows ? range.r0 : range.c0;
    const int end = rows ? range.r1 : range.c1;
    for (int s = first; s < end; ++s) {
      const auto strip = rows ? RowBands(sheet, s, s + 1) : ColumnBands(sheet, s, s + 1);
      const int lastStrip = LastBand(strip, stripExtent);
      for (size_t j = 0; j < strip.size(); ++j) {
        const bool lastHere = static_cast<int>(j) == lastStrip;
        const bool lastThere = static_cast<int>(i) == lastFixed;
        if (rows) {
          page.DrawBlock({fixedPos, pos},
                         {fixed[i].first, strip[j].first, fixed[i].end, strip[j].end}, lastThere,
                         lastHere);
        } else {
          page.DrawBlock({pos, fixedPos},
                         {strip[j].first, fixed[i].first, strip[j].end, fixed[i].end}, lastHere,
                         lastThere);
        }
        pos += stripExtent(strip[j].first, strip[j].end);
      }
    }
    fixedPos += fixedExtent(fixed[i].first, fixed[i].end);
  }
}

}  // namespace

bool RiloPrintReport(CRiloView* view, int commandId) {
  CRiloDoc* doc = view ? view->GetDocument() : nullptr;
  if (!doc || doc->m_sheet.m_rows <= 0 || doc->m_sheet.m_cols <= 0) return false;
  CRiloPrintJob job(*doc);
  const bool preview = commandId == SM_ID_FILE_PRINT_PREVIEW;
  auto* frame = dynamic_cast<CRiloChildFrm*>(view->GetParentFrame());
  QWidget* formatBar = frame ? frame->FormatBar() : nullptr;
  const bool barShown = formatBar && formatBar->isVisible();
  if (preview && barShown) formatBar->hide();
  const bool printed = job.Print(commandId);
  if (preview && barShown) formatBar->show();
  return printed;
}
