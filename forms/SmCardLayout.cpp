#include "forms/SmCardLayout.h"

#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "core/SmGbk.h"
#include "core/SmPrinter.h"
#include "ui/SmFonts.h"
#include "ui/SmListPageSetup.h"
#include "ui/SmListPrint.h"
#include "ui/SmPrintHooks.h"
#include "ui/SmPrintJob.h"
#include "ui/SmPrinterService.h"

namespace {

constexpr double kDotsPerTenthMmPerDpi = 0.003937824;
const std::string kIndent = "    ";

QColor ColorOf(SmColorRef c) {
  return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

// A divisor taken from cells: an extent of 0 (no cells, or cells without size) counts as 1.
double Extent(int extent) {
  return extent == 0 ? 1.0 : extent;
}

std::vector<std::string> SplitAtBackslashes(const std::string& text) {
  std::vector<std::string> lines(1);
  for (char c : text) {
    if (c == '\\') {
      lines.emplace_back();
      continue;
    }
    lines.back() += c;
  }
  return lines;
}

// Draws the rules of the cell; the inner rectangle left inside them.
CSmCardRect DrawRules(QPainter& painter, const CSmCardItem& item, const CSmCardRect& r, int w) {
  CSmCardRect inner = r;
  painter.setPen(QPen(Qt::black, w, Qt::SolidLine, Qt::FlatCap));
  for (int i = 0; i < item.nLineLeft && i < 2; ++i) {
    painter.drawLine(r.left + i * w, r.top, r.left + i * w, r.bottom);
    ++inner.left;
  }
  for (int i = 0; i < item.nLineTop && i < 2; ++i) {
    painter.drawLine(r.left, r.top + i * w, r.right, r.top + i * w);
    ++inner.top;
  }
  for (int i = 0; i < item.nLineRight && i < 2; ++i) {
    painter.drawLine(r.right + i * w, r.top, r.right + i * w, r.bottom + w);
  }
  for (int i = 0; i < item.nLineBottom && i < 2; ++i) {
    painter.drawLine(r.left, r.bottom + i * w, r.right + w, r.bottom + i * w);
  }
  return inner;
}

int TextX(int align, const CSmCardRect& inner, int w) {
  if (align == kSmCardAlignLeft) return inner.left + 2 * w + 3;
  if (align == kSmCardAlignRight) return inner.right - 5;
  return (inner.left + inner.right) / 2;
}

}  // namespace

// ---------------------------------------------------------------- CSmCardItem

void CSmCardItem::Set(const std::string& text, int left, int top, int right, int bottom,
                      int lineLeft, int lineTop, int lineRight, int lineBottom, bool isUse,
                      int opt1, int opt2, int align, int opt3, int opt4, int opt5, bool noIndent) {
  sText = text;
  rcItem = {left, top, right, bottom};
  nLineLeft = lineLeft;
  nLineTop = lineTop;
  nLineRight = lineRight;
  nLineBottom = lineBottom;
  bIsUse = isUse;
  nOpt1 = opt1;
  nOpt2 = opt2;
  nAlign = align;
  nOpt3 = opt3;
  nOpt4 = opt4;
  nOpt5 = opt5;
  bNoIndent = noIndent;
}

void CSmCardItem::SetTitle(int height, std::string text) {
  *this = CSmCardItem();
  sText = std::move(text);
  rcItem.bottom = rcItem.top + height;
  nLineLeft = nLineTop = nLineRight = nLineBottom = 0;
  bIsUse = false;
  nOpt1 = 0;
}

std::vector<std::string> CSmCardItem::Lines(int innerWidth, int charWidth) const {
  std::vector<std::string> lines = SplitAtBackslashes(sText);
  if (bNoIndent) return lines;
  for (std::string& line : lines) {
    if (!line.starts_with(kIndent)) line.insert(0, kIndent);
  }
  const int fits = charWidth > 0 ? innerWidth / charWidth : 0;
  const size_t capacity = fits >= 6 ? fits - 4 : 2;
  std::vector<std::string> wrapped;
  for (std::string line : lines) {
    // Cut at the first character boundary from one byte short of the capacity on.
    while (GbkSize(line) > capacity) {
      const size_t at = std::min(capacity - 1, GbkSize(line) - 1);
      const size_t cut = Utf8OffsetOfGbkPos(line, at, true);
      wrapped.push_back(line.substr(0, cut));
      line.erase(0, cut);
    }
    wrapped.push_back(std::move(line));
  }
  return wrapped;
}

void CSmCardItem::Draw(CSmCardDC& dc, const CSmCardRect& rect) const {
  QPainter& painter = *dc.painter;
  const int w = PixelsPerQuarterMm(painter.device());
  const bool formMode = dc.formMode && dc.printing;
  painter.save();
  const CSmCardRect inner = formMode ? rect : DrawRules(painter, *this, rect, w);
  if (formMode && !bIsUse) {
    painter.restore();
    return;
  }
  const int fontHeight = std::abs(dc.font.height);
  const QFont font = SmMakeFont(dc.font, std::max(1, fontHeight));
  const QFontMetrics metrics(font, painter.device());
  painter.setFont(font);
  painter.setPen(dc.textColor);
  const std::vector<std::string> lines =
      Lines(inner.Width(), metrics.horizontalAdvance(QLatin1Char('T')));
  const int x = TextX(nAlign, inner, w);
  const int count = static_cast<int>(lines.size());
  const int height = inner.Height();
  for (int i = 0; i < count; ++i) {
    const int bandTop = inner.top + i * height / count;
    const int bandBottom = inner.top + (i + 1) * height / count;
    const int y = bandTop + (bandBottom - fontHeight - bandTop) / 2;
    const QRect clip(QPoint(inner.left + 2 * w - 2, bandTop + 2 * w - 2),
                     QPoint(inner.right - 2 * w + 2 - 1, bandBottom - 1));
    painter.setClipRect(clip);
    painter.fillRect(clip, dc.background);
    const QString text = QString::fromStdString(lines[static_cast<size_t>(i)]);
    const int width = metrics.horizontalAdvance(text);
    const int left = nAlign == kSmCardAlignLeft    ? x
                     : nAlign == kSmCardAlignRight ? x - width
                                                   : x - width / 2;
    painter.drawText(left, y + metrics.ascent(), text);
  }
  painter.restore();
}

// ---------------------------------------------------------------- CSmCardLayout

CSmCardLayout::CSmCardLayout()
    : m_titleFont(SmDefaultLogFont("黑体", 24)), m_bodyFont(SmDefaultLogFont("宋体", 12)) {}

void CSmCardLayout::LoadPageSetup(CSmDatabase* db, int key, int titleHeight,
                                  const std::string& defaultTitle) {
  nSetupKey = key;
  CSmListPageSetup setup;
  setup.key = key;
  if (db) setup.LoadFromCsTab(db);
  m_title.SetTitle(titleHeight, setup.title.empty() ? defaultTitle : setup.title);
  if (setup.screenWidth != 0 && setup.screenHeight != 0) {
    m_cardWidth = setup.screenWidth;
    m_cardHeight = setup.screenHeight;
  }
  TakePrintSetup(setup);
}

void CSmCardLayout::TakePrintSetup(const CSmListPageSetup& setup) {
  const auto& m = setup.margins;
  m_printMargins = {m[0], m[1], m[2], m[3]};
  bLandscape = setup.landscape != 0;
  // The setup holds the paper as it lies; the layout keeps it upright.
  m_paperWidth = bLandscape ? setup.paperLength : setup.paperWidth;
  m_paperHeight = bLandscape ? setup.paperWidth : setup.paperLength;
  m_titleColor = setup.titleColor;
  m_bodyColor = setup.bodyColor;
  m_titleFont = setup.titleFont;
  m_bodyFont = setup.bodyFont;
}

void CSmCardLayout::ComputeScale() {
  if (!m_items.empty()) {
    m_bounds = m_items.front().rcItem;
    for (const CSmCardItem& item : m_items) {
      m_bounds.left = std::min(m_bounds.left, item.rcItem.left);
      m_bounds.top = std::min(m_bounds.top, item.rcItem.top);
      m_bounds.right = std::max(m_bounds.right, item.rcItem.right);
      m_bounds.bottom = std::max(m_bounds.bottom, item.rcItem.bottom);
    }
  }
  const CSmCardRect& s = m_screenMargins;
  m_screenScaleX = (m_cardWidth - s.left - s.right) / Extent(m_bounds.Width());
  m_screenScaleY =
      (m_cardHeight - s.top - s.bottom) / Extent(m_title.rcItem.Height() + m_bounds.Height());
}

CSmCardRect CSmCardLayout::ScaleCell(const CSmCardRect& cell, double scaleX, double scaleY, int x0,
                                     int y0) const {
  const auto x = [&](int v) { return static_cast<int>((v - m_bounds.left) * scaleX) + x0; };
  const auto y = [&](int v) { return static_cast<int>((v - m_bounds.top) * scaleY) + y0; };
  return {x(cell.left), y(cell.top), x(cell.right), y(cell.bottom)};
}

CSmCardRect CSmCardLayout::GetItemRect(int index, bool titleOnly) const {
  const int left = m_screenMargins.left;
  const int top = m_screenMargins.top;
  const CSmCardRect title{left, top, left + static_cast<int>(m_bounds.Width() * m_screenScaleX),
                          top + static_cast<int>(m_title.rcItem.Height() * m_screenScaleY)};
  if (titleOnly) return title;
  if (index < 0 || index >= static_cast<int>(m_items.size())) return {};
  return ScaleCell(m_items[static_cast<size_t>(index)].rcItem, m_screenScaleX, m_screenScaleY, left,
                   title.bottom);
}

void CSmCardLayout::Draw(QPainter& painter, bool formMode, const QColor& background) const {
  const bool printing = painter.device()->devType() == QInternal::Printer;
  CSmCardRect margins = m_screenMargins;
  SmLogFont titleFont = m_titleFont;
  SmLogFont bodyFont = m_bodyFont;
  double scaleX = m_screenScaleX;
  double scaleY = m_screenScaleY;
  int x0 = margins.left;
  int y0 = margins.top;
  if (printing) {
    // The printer draws from the corner of its printable area.
    const int leftOffset = CSmPrinterService::Instance().LeftOffset();
    const int topOffset = CSmPrinterService::Instance().TopOffset();
    margins = {m_printMargins.left - leftOffset, m_printMargins.top - topOffset,
               m_printMargins.right - leftOffset, m_printMargins.bottom - topOffset};
    titleFont.height = static_cast<int>(std::lround(titleFont.height * m_printFontFactor));
    bodyFont.height = static_cast<int>(std::lround(bodyFont.height * m_printFontFactor));
    scaleX = m_printScaleX;
    scaleY = m_printScaleY;
    x0 = static_cast<int>(margins.left * m_unitsPerTenthMmX);
    y0 = static_cast<int>(margins.top * m_unitsPerTenthMmY);
  }
  const CSmCardRect band{x0, y0, x0 + static_cast<int>(m_bounds.Width() * scaleX),
                         y0 + static_cast<int>(m_title.rcItem.Height() * scaleY)};
  CSmCardDC dc{&painter, titleFont, ColorOf(m_titleColor), background, printing, formMode};
  m_title.Draw(dc, band);
  dc.font = bodyFont;
  dc.textColor = ColorOf(m_bodyColor);
  for (const CSmCardItem& item : m_items) {
    item.Draw(dc, ScaleCell(item.rcItem, scaleX, scaleY, x0, band.bottom));
  }
}

bool CSmCardLayout::PageSetup(CSmDatabase* db, QWidget* parent) {
  CSmListPageSetup setup;
  setup.key = nSetupKey;
  setup.title = m_title.sText;
  setup.margins = {m_printMargins.left, m_printMargins.top, m_printMargins.right,
                   m_printMargins.bottom};
  setup.screenWidth = m_cardWidth;
  setup.screenHeight = m_cardHeight;
  setup.landscape = bLandscape ? 1 : 0;
  setup.paperWidth = bLandscape ? m_paperHeight : m_paperWidth;
  setup.paperLength = bLandscape ? m_paperWidth : m_paperHeight;
  setup.titleColor = m_titleColor;
  setup.bodyColor = m_bodyColor;
  setup.titleFont = m_titleFont;
  setup.bodyFont = m_bodyFont;
  CSmListPageSetupDlg dlg(&setup, db, parent);
  if (dlg.DoModal() != 1) return false;
  if (!setup.title.empty()) m_title.sText = setup.title;
  m_cardWidth = setup.screenWidth;
  m_cardHeight = setup.screenHeight;
  TakePrintSetup(setup);
  return true;
}

bool CSmCardLayout::PreparePrinting(CSmPrintState& state) {
  const CSmCardRect& m = m_printMargins;
  SmPageRequest request;
  request.width = m_paperWidth;
  request.height = m_paperHeight;
  request.left = m.left;
  request.top = m.top;
  request.right = m.right;
  request.bottom = m.bottom;
  request.landscape = bLandscape;
  if (!SmGetPrinterDC(request)) return false;
  const int paperWidth = bLandscape ? m_paperHeight : m_paperWidth;
  const int paperHeight = bLandscape ? m_paperWidth : m_paperHeight;
  m_printScaleX = (paperWidth - m.left - m.right) / Extent(m_bounds.Width());
  m_printScaleY =
      (paperHeight - m.top - m.bottom) / Extent(m_title.rcItem.Height() + m_bounds.Height());
  // The printer's resolutions across and down the page as it lies.
  const SmPrinterMetrics& metrics = CSmPrinterService::Instance().Metrics();
  m_unitsPerTenthMmX = metrics.dpiX * kDotsPerTenthMmPerDpi;
  m_unitsPerTenthMmY = metrics.dpiY * kDotsPerTenthMmPerDpi;
  m_printScaleX *= m_unitsPerTenthMmX;
  m_printScaleY *= m_unitsPerTenthMmY;
  m_printFontFactor = metrics.dpiY * 0.01;
  state.minPage = 1;
  state.maxPage = 1;
  return true;
}
