#include "forms/SmFormView.h"

#include <QFocusEvent>
#include <QFontMetrics>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "core/SmGbk.h"
#include "core/SmNumber.h"
#include "core/SmPrinter.h"
#include "core/SmString.h"
#include "forms/SmDoc.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "ui/SmFonts.h"
#include "ui/SmInputSpec.h"
#include "ui/SmPageSetupDlg.h"
#include "ui/SmPrintHooks.h"
#include "ui/SmPrintJob.h"
#include "ui/SmPrinterService.h"
#include "ui/SmWaitCursor.h"

namespace {

constexpr double kDotsPerTenthMmPerDpi = 0.003937824;
constexpr double kFontScalePerDpi = 0.01;
constexpr int kDefaultColumnWidth = 14;
constexpr int kCaretWidth = 2;

QColor ToQColor(SmColorRef color) {
  return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

const QColor kWindowColor = Qt::white;
const QColor kWindowTextColor = Qt::black;

bool IsTableRegion(const std::string& region) {
  return region == "FORMHEAD" || region == "TEXT" || region == "FORMFOOT";
}

bool IsHeadRegion(const std::string& region) {
  return region == "HEAD";
}
bool IsFootRegion(const std::string& region) {
  return region == "FOOT" || region == "TAIL";
}

// The start of the next character after UTF-8 offset `i`.
size_t NextChar(const std::string& text, size_t i) {
  return i + Utf8Next(text, i);
}

// The start of the character before UTF-8 offset `i`.
size_t PrevChar(const std::string& text, size_t i) {
  while (i > 0) {
    --i;
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) break;
  }
  return i;
}

QString ToQ(const std::string& text) {
  return QString::fromStdString(text);
}

}  // namespace

std::vector<std::string> SmSplitCellLines(const std::string& text, bool wrap, int width,
                                          const QFontMetrics& metrics) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (true) {
    const size_t end = text.find('\n', start);
    const std::string part = text.substr(start, end == std::string::npos ? end : end - start);
    if (!wrap) {
      lines.push_back(part);
    } else {
      std::string line;
      for (size_t i = 0; i < part.size();) {
        const size_t next = NextChar(part, i);
        const std::string longer = line + part.substr(i, next - i);
        if (!line.empty() && metrics.horizontalAdvance(ToQ(longer)) > width) {
          lines.push_back(line);
          line = part.substr(i, next - i);
        } else {
          line = longer;
        }
        i = next;
      }
      lines.push_back(line);
    }
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return lines;
}

namespace {

// Runs a view's print through the print job's page sequence.
class CSmFormPrintJob : public CSmPrintJob {
 public:
  explicit CSmFormPrintJob(CSmFormView* view) : m_view(view) {}

  bool OnPreparePrinting(CSmPrintState& state) override { return m_view->OnPreparePrinting(state); }
  void OnPrepareDC(QPainter& painter, CSmPrintState& state) override {
    CSmFormDC dc = PageDC(painter, state);
    m_view->OnPrepareDC(dc, &state);
  }
  void OnPrint(QPainter& painter, CSmPrintState& state) override {
    CSmFormDC dc = PageDC(painter, state);
    m_view->OnPrepareDC(dc, &state);
    m_view->OnDraw(dc);
  }

 private:
  static CSmFormDC PageDC(QPainter& painter, const CSmPrintState& state) {
    CSmFormDC dc(state.printer, &painter, true);
    dc.offsetX = CSmPrinterService::Instance().LeftOffset();
    dc.offsetY = CSmPrinterService::Instance().TopOffset();
    return dc;
  }

  CSmFormView* m_view;
};

}  // namespace

// ---------------------------------------------------------------- device

CSmFormDC::CSmFormDC(const QPaintDevice* device, QPainter* painter, bool printing)
    : device(device),
      painter(painter),
      printing(printing),
      dpiX(device ? device->logicalDpiX() : 96),
      dpiY(device ? device->logicalDpiY() : 96),
      lineWidth(PixelsPerQuarterMm(device)) {}

// ---------------------------------------------------------------- life

CSmFormView::CSmFormView(QWidget* parent) : CSmView(parent) {
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_InputMethodEnabled);
  setMouseTracking(true);  // the cursor follows the zone under the mouse
  m_vbar = new QScrollBar(Qt::Vertical, this);
  m_hbar = new QScrollBar(Qt::Horizontal, this);
  for (QScrollBar* bar : {m_vbar, m_hbar}) {
    bar->setFocusPolicy(Qt::NoFocus);
    bar->hide();
  }
  connect(m_vbar, &QScrollBar::valueChanged, this, [this](int row) {
    if (row != m_firstRow) OnVScroll(SmScroll::kThumb, row);
  });
  connect(m_hbar, &QScrollBar::valueChanged, this, [this] {
    if (m_screenDC) PlaceCaret(ScreenDC());
    update();
  });
}

CSmFormView::~CSmFormView() = default;

void CSmFormView::OnAddedToDocument() {
  if (auto* doc = dynamic_cast<CSmDoc*>(GetDocument())) doc->AddFormView(this);
}

void CSmFormView::ResetViewState() {
  m_columnLines.clear();
  m_pageRowsCache = 0;
  m_firstRowY = -1;
  m_caretCreated = false;
  m_bCaretShown = false;
  m_bHasFocus = false;
  m_bEditable = m_bModified = m_bEnterDown = m_bPrintDirect = false;
  m_bOverlay = m_bKeepAnchor = m_bLinesSpanNotes = false;
  m_mouseMode = 0;
  m_current = SmGridCell{};
  m_scaleX = m_scaleY = 0.7085;
  m_screenGapScale = 0.2;
  m_fontScale = 1.8;
  m_nTextRows = 1;
  m_nHeadRows = m_nFootRows = m_nFormHeadLines = m_nFormFootLines = 0;
  m_headCells.clear();
  m_footCells.clear();
  m_printMode = "0";
  m_firstRow = 0;
  ResetLayout();
  LoadEditCell();
  m_printInfo = std::make_unique<CSmPrintInfo>();
  if (m_db) {
    m_printInfo->Load(m_db, m_nFlag, m_printMode);
  } else {
    m_printInfo->LoadDefault(m_nFlag, m_printMode);
  }
  if (m_screenDC) m_screenDC->fonts = {};
  LoadWidthsFromPrintInfo();
}

void CSmFormView::ResetLayout() {
  m_columnLines.clear();
  OnLayoutReset();
}

void CSmFormView::FreeLayout() {
  m_widths.clear();
  m_blocks.clear();
  m_headCells.clear();
  m_footCells.clear();
  m_nTextRows = 1;
  m_nHeadRows = m_nFootRows = m_nFormHeadLines = m_nFormFootLines = 0;
  m_columnLines.clear();
  m_pageRowsCache = 0;
}

void CSmFormView::InitLayout(int textRows, int formHeadLines, int formFootLines, int headRows,
                             int footRows) {
  m_blocks.clear();
  m_nTextRows = std::max(textRows, 1);
  m_nFormHeadLines = std::max(formHeadLines, 0);
  m_nFormFootLines = std::max(formFootLines, 0);
  m_nHeadRows = std::max(headRows, 0);
  m_nFootRows = std::max(footRows, 0);
  m_headCells.assign(m_nHeadRows, {});
  m_footCells.assign(m_nFootRows, {});
  m_pageRowsCache = 0;
  m_columnLines.clear();
}

void CSmFormView::SetColumnCount(int columns) {
  m_widths.resize(std::max(columns, 0), kDefaultColumnWidth);
  m_columnLines.clear();
}

void CSmFormView::LoadWidthsFromPrintInfo() {
  if (!m_printInfo) return;
  const std::vector<int>& stored = m_printInfo->m_widths;
  if (m_widths.empty()) m_widths.resize(stored.size());
  for (size_t i = 0; i < m_widths.size(); ++i) {
    const int width = i < stored.size() ? stored[i] : 0;
    m_widths[i] = width > 0 ? width : kDefaultColumnWidth;
  }
  m_columnLines.clear();
}

// ---------------------------------------------------------------- cell operations

void CSmFormView::GetCell(int /*row*/, int /*column*/, const std::string& /*region*/,
                          std::string& text, std::string& type, int& limit1, int& limit2,
                          void* /*extra*/) {
  text = "派生类无值提供";
  type = "STRING";
  limit1 = 20;
  limit2 = 0;
}

SmColorRef CSmFormView::GetCellTextColor(int /*column*/, int /*row*/, const std::string& region) {
  return GetRegionColor(region);
}

void CSmFormView::AutoAppendRow() {
  if (!CanAppendRow() || !m_bEditable) return;
  bool hasValue = false;
  for (int column = 0; column < Columns() && !hasValue; ++column) {
    std::string text, type;
    int limit1 = 0, limit2 = 0;
    GetCell(m_current.row, column, "TEXT", text, type, limit1, limit2);
    if (type.find("NUMBER") != std::string::npos) {
      hasValue = SignOf(StrToDouble(text)) != 0;
    } else if (type.find("STRING") != std::string::npos) {
      hasValue = !text.empty();
    }
  }
  if (!hasValue) return;
  AddRows(1);
  ++m_nTextRows;
  UpdateScrollSizes(false);
}

// ---------------------------------------------------------------- geometry

CSmFormDC& CSmFormView::ScreenDC() {
  if (!m_screenDC) m_screenDC = std::make_unique<CSmFormDC>(this, nullptr, false);
  const QRect client = ClientRect();
  m_screenDC->clientWidth = client.width();
  m_screenDC->clientHeight = client.height();
  m_screenDC->scrollX = m_hbar->isHidden() ? 0 : m_hbar->value();
  m_screenDC->firstRow = m_firstRow;
  return *m_screenDC;
}

QRect CSmFormView::ClientRect() const {
  const int w = width() - (m_vbar->isHidden() ? 0 : m_vbar->sizeHint().width());
  const int h = height() - (m_hbar->isHidden() ? 0 : m_hbar->sizeHint().height());
  return QRect(0, 0, std::max(w, 0), std::max(h, 0));
}

int CSmFormView::RegionGroup(const std::string& region) {
  if (region == "TOPIC") return 0;
  if (region == "HEAD") return 1;
  if (IsTableRegion(region)) return 2;
  return 3;
}

const CSmFormDC::RegionFont& CSmFormView::GetRegionFont(const std::string& region, CSmFormDC& dc) {
  const int group = RegionGroup(region);
  CSmFormDC::RegionFont& font = dc.fonts[group];
  if (font.measured) return font;
  static const CSmPrintInfo defaults;
  SmLogFont logFont = (m_printInfo ? *m_printInfo : defaults).m_fonts[group];
  int height = std::abs(logFont.height);
  if (dc.printing) height = static_cast<int>(std::lround(height * m_fontScale));
  logFont.width = 0;
  font.font = SmMakeFont(logFont, std::max(height, 1));
  const QFontMetrics metrics(font.font, const_cast<QPaintDevice*>(dc.device));
  font.height = metrics.height();
  font.ascent = metrics.ascent();
  font.unit = std::max(1, metrics.horizontalAdvance(QLatin1Char('T')));
  font.measured = true;
  return font;
}

SmColorRef CSmFormView::GetRegionColor(const std::string& region) const {
  static const CSmPrintInfo defaults;
  const CSmPrintInfo& info = m_printInfo ? *m_printInfo : defaults;
  const SmColorRef colors[] = {info.TopicColor, info.HeadColor, info.TextColor, info.TailColor};
  return colors[RegionGroup(region)];
}

int CSmFormView::GetTextWidth(const std::string& text, const std::string& region, CSmFormDC& dc) {
  const QFontMetrics metrics(GetRegionFont(region, dc).font, const_cast<QPaintDevice*>(dc.device));
  return metrics.horizontalAdvance(ToQ(text));
}

QMargins CSmFormView::GetMargins(const CSmFormDC& dc) const {
  if (!dc.printing) {
    return QMargins(m_screenMargins[0], m_screenMargins[1], m_screenMargins[2], m_screenMargins[3]);
  }
  static const CSmPrintInfo defaults;
  const CSmPrintInfo& info = m_printInfo ? *m_printInfo : defaults;
  const auto scaled = [](int margin, int offset, double scale) {
    return static_cast<int>(std::lround((margin - offset) * scale));
  };
  return QMargins(
      scaled(info.PageLeft, dc.offsetX, m_scaleX), scaled(info.PageTop, dc.offsetY, m_scaleY),
      scaled(info.PageRight, dc.offsetX, m_scaleX), scaled(info.PageBottom, dc.offsetY, m_scaleY));
}

QSize CSmFormView::GetPageSize(CSmFormDC& dc) {
  if (dc.printing) {
    static const CSmPrintInfo defaults;
    const CSmPrintInfo& info = m_printInfo ? *m_printInfo : defaults;
    return QSize(static_cast<int>(std::lround((info.PageWidth - 2 * dc.offsetX) * m_scaleX)),
                 static_cast<int>(std::lround((info.PageLength - 2 * dc.offsetY) * m_scaleY)));
  }
  if (dc.clientWidth <= 0 || dc.clientHeight <= 0) return QSize(0, 0);
  const QMargins margins = GetMargins(dc);
  const int unit = GetRegionFont("TEXT", dc).unit;
  int characters = 1;
  for (int width : m_widths) characters += width + 1;
  return QSize(margins.left() + characters * unit + margins.right(), dc.clientHeight);
}

int CSmFormView::GetRowGap(const CSmFormDC& dc) const {
  const int gap = m_printInfo ? m_printInfo->PageRow : 0;
  return static_cast<int>(std::lround(gap * (dc.printing ? m_scaleY : m_screenGapScale)));
}

int CSmFormView::GetFixedHeight(CSmFormDC& dc) {
  const QMargins margins = GetMargins(dc);
  const int topic = GetRegionFont("TOPIC", dc).height;
  const int head = GetRegionFont("HEAD", dc).height;
  const int text = GetRegionFont("TEXT", dc).height;
  const int tail = GetRegionFont("TAIL", dc).height;
  return topic + m_nHeadRows * head + m_nFootRows * tail + margins.top() + margins.bottom() +
         (m_nFormHeadLines + m_nFormFootLines) * text +
         GetRowGap(dc) * (m_nFormHeadLines + m_nHeadRows + m_nFootRows + m_nFormFootLines + 2);
}

int CSmFormView::GetPageRows(CSmFormDC& dc) {
  if (!dc.printing && m_pageRowsCache > 0) return m_pageRowsCache;
  const int pageHeight = dc.printing ? GetPageSize(dc).height() : dc.clientHeight;
  const int pitch = GetRegionFont("TEXT", dc).height + GetRowGap(dc);
  const int rows = std::max((pageHeight - GetFixedHeight(dc)) / std::max(pitch, 1), 0);
  if (!dc.printing) m_pageRowsCache = rows;
  return rows;
}

int CSmFormView::GetPageCount(CSmFormDC& dc) {
  const int pageRows = GetPageRows(dc);
  if (pageRows <= 0) return -1;
  return (m_nTextRows - 1) / pageRows + 1;
}

int CSmFormView::GetRowY(int row, CSmFormDC& dc, const std::string& region) {
  const int gap = GetRowGap(dc);
  const int textPitch = GetRegionFont("TEXT", dc).height + gap;
  if (region == "TEXT" && !dc.printing && m_firstRowY >= 0) {
    return m_firstRowY + (row - dc.firstRow) * m_rowPitch;
  }
  int y = GetMargins(dc).top() + gap;
  if (region == "TOPIC") return y;
  y += GetRegionFont("TOPIC", dc).height + gap;
  const int headPitch = GetRegionFont("HEAD", dc).height + gap;
  if (region == "HEAD") return y + row * headPitch;
  y += m_nHeadRows * headPitch;
  if (region == "FORMHEAD") return y + row * textPitch;
  y += m_nFormHeadLines * textPitch;
  if (region == "TEXT") return y + (row - dc.firstRow) * textPitch;
  y += GetPageRows(dc) * textPitch;
  if (region == "FORMFOOT") return y + row * textPitch;
  y += m_nFormFootLines * textPitch;
  return y + row * (GetRegionFont("TAIL", dc).height + gap);
}

int CSmFormView::GetRowLineY(int row, CSmFormDC& dc, const std::string& region) {
  const int gap = GetRowGap(dc);
  return GetRowY(row, dc, region) - (gap + 1) / 2;
}

const std::vector<int>& CSmFormView::ColumnLines(CSmFormDC& dc) {
  const size_t count = m_widths.size() + 1;
  const int width = dc.printing ? -1 : dc.clientWidth;
  if (m_columnLines.size() == count && m_columnLinesPrinting == dc.printing &&
      m_columnLinesWidth == width) {
    return m_columnLines;
  }
  m_columnLinesPrinting = dc.printing;
  m_columnLinesWidth = width;
  m_columnLines.assign(count, 0);
  const QMargins margins = GetMargins(dc);
  const int unit = GetRegionFont("TEXT", dc).unit;
  const int columns = static_cast<int>(m_widths.size());
  if (!dc.printing) {
    int x = margins.left() + unit;
    m_columnLines[0] = x;
    for (int i = 0; i < columns; ++i) {
      x += (m_widths[i] + 1) * unit;
      m_columnLines[i + 1] = x;
    }
    const int spare = dc.clientWidth - (x + margins.right());
    if (spare <= 0 || columns == 0) return m_columnLines;
    for (int i = 1; i <= columns; ++i) m_columnLines[i] += spare / columns * i;
    m_columnLines[columns] += spare % columns;
    return m_columnLines;
  }
  // The printable width shared in proportion to width + 1, in whole characters, each
  // remainder carried into the next column.
  const double printable = GetPageSize(dc).width() - margins.left() - margins.right();
  int total = 1;
  for (int width : m_widths) total += width + 1;
  double carry = 0;
  int x = margins.left();
  for (int i = 0; i <= columns; ++i) {
    const int part = i == 0 ? 1 : m_widths[i - 1] + 1;
    const double exact = printable * part / total + carry;
    const int pixels = static_cast<int>(std::floor(exact / unit)) * unit;
    carry = exact - pixels;
    x += pixels;
    m_columnLines[i] = x;
  }
  return m_columnLines;
}

int CSmFormView::GetColumnX(int column, CSmFormDC& dc, const std::string& region, int row,
                            bool exact) {
  const QMargins margins = GetMargins(dc);
  const auto perMille = [&](int position) {
    const double printable = GetPageSize(dc).width() - margins.left() - margins.right();
    return margins.left() + static_cast<int>(std::lround(printable * position * 0.001));
  };
  if (!exact) return perMille(column);
  if (IsTableRegion(region)) {
    const std::vector<int>& lines = ColumnLines(dc);
    return lines[std::clamp(column, 0, static_cast<int>(lines.size()) - 1)];
  }
  const auto& rows = IsHeadRegion(region) ? m_headCells : m_footCells;
  if (row < 0 || row >= static_cast<int>(rows.size())) return margins.left();
  const auto& cells = rows[row];
  if (column < 0 || column >= static_cast<int>(cells.size())) return margins.left();
  return perMille(cells[column].position);
}

int CSmFormView::GetColumnLineX(int column, CSmFormDC& dc, const std::string& region, int row) {
  const int unit = GetRegionFont(region, dc).unit;
  return GetColumnX(column, dc, region, row) - (unit - 1) / 2;
}

int CSmFormView::GetCellWidth(int column, CSmFormDC& dc, const std::string& region, int row) {
  const int unit = GetRegionFont(region, dc).unit;
  if (IsTableRegion(region)) {
    const std::vector<int>& lines = ColumnLines(dc);
    if (column < 0 || column + 1 >= static_cast<int>(lines.size())) return 0;
    return lines[column + 1] - lines[column] - unit;
  }
  const auto& rows = IsHeadRegion(region) ? m_headCells : m_footCells;
  if (row < 0 || row >= static_cast<int>(rows.size())) return 0;
  if (column < 0 || column >= static_cast<int>(rows[row].size())) return 0;
  return rows[row][column].width * unit;
}

QRect CSmFormView::GetCellRect(int row, int column, const std::string& region, CSmFormDC& dc) {
  const int unit = GetRegionFont(region, dc).unit;
  const int left = GetColumnLineX(column, dc, region, row) + 1;
  int top = GetRowLineY(row, dc, region) + 1;
  const int right = left + GetCellWidth(column, dc, region, row) + unit - 1;
  int bottom = GetRowLineY(row + 1, dc, region);
  if (IsHeadRegion(region) && row == m_nHeadRows - 1) bottom -= 2;
  if (IsFootRegion(region) && row == 0) top += 2;
  return QRect(left, top, std::max(right - left, 0), std::max(bottom - top, 0));
}

const SmCellBlock* CSmFormView::FindBlock(int row, int column) const {
  for (const SmCellBlock& block : m_blocks) {
    if (row >= block.row1 && row <= block.row2 && column >= block.col1 && column <= block.col2) {
      return &block;
    }
  }
  return nullptr;
}

// ---------------------------------------------------------------- hit testing

std::string CSmFormView::HitTest(QPoint point, int& row, int& column, bool append) {
  row = column = 0;
  CSmFormDC& dc = ScreenDC();
  for (const char* region : {"HEAD", "FOOT"}) {
    const auto& rows = IsHeadRegion(region) ? m_headCells : m_footCells;
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
      for (int c = 0; c < static_cast<int>(rows[r].size()); ++c) {
        if (!GetCellRect(r, c, region, dc).contains(point)) continue;
        row = r;
        column = c;
        return region;
      }
    }
  }
  const int pageRows = GetPageRows(dc);
  const int first = dc.firstRow;
  // Editing a page with room below the data: the row below the last one may be appended.
  const int below = m_nTextRows;
  if (append && m_bEditable && below < first + pageRows &&
      point.y() >= GetRowLineY(below, dc, "TEXT") &&
      point.y() < GetRowLineY(below + 1, dc, "TEXT")) {
    const SmGridCell current = m_current;
    m_current = SmGridCell{m_nTextRows - 1, current.column, "TEXT", 0};
    AutoAppendRow();
    m_current = current;
  }
  struct Band {
    const char* region;
    int row;
  };
  std::vector<Band> bands;
  for (int r = 0; r < m_nFormHeadLines; ++r) bands.push_back({"FORMHEAD", r});
  for (int r = first; r < first + pageRows && r < m_nTextRows; ++r) bands.push_back({"TEXT", r});
  for (int r = 0; r < m_nFormFootLines; ++r) bands.push_back({"FORMFOOT", r});
  for (const Band& band : bands) {
    const int lineY = GetRowLineY(band.row, dc, band.region);
    const int nextY = GetRowLineY(band.row + 1, dc, band.region);
    if (point.y() < lineY || point.y() >= nextY) continue;
    row = band.row;
    const std::string name = band.region;
    if (point.y() == lineY) return name + "V";
    const int columns = Columns();
    if (point.x() < GetColumnLineX(0, dc, name, row) + 1) return name + "L";
    for (int c = 0; c < columns; ++c) {
      const QRect cell = GetCellRect(row, c, name, dc);
      column = c;
      if (point.x() < cell.left()) return name + "H";
      if (point.x() < cell.left() + cell.width()) return name;
    }
    column = columns;
    return name + "H";
  }
  const int bottomLine = GetRowLineY(m_nFormFootLines, dc, "FORMFOOT");
  if (point.y() == bottomLine && point.x() >= GetColumnLineX(0, dc, "FORMFOOT", 0)) {
    row = m_nFormFootLines;
    return "FORMFOOTV";
  }
  return "OUTCLIENT";
}

// ---------------------------------------------------------------- current cell and caret

void CSmFormView::LoadEditCell() {
  m_edit = m_current;
  m_anchor = m_current;
  if (!GetParentFrame()) return;
  GetCell(m_edit.row, m_edit.column, m_edit.region, m_editText, m_editType, m_editLimit1,
          m_editLimit2);
}

void CSmFormView::SetCurrentCell(int row, int column, int caret, const std::string& region,
                                 bool redraw) {
  if (region != "TEXT" && region != "HEAD" && region != "FOOT") return;
  if (region == "HEAD" && row >= m_nHeadRows) return;
  if (region == "FOOT" && row >= m_nFootRows) return;
  const SmGridCell target{row, column, region, 0};
  if (m_bEditable && !target.SameCell(m_edit)) {
    std::string text, type;
    int limit1 = 0, limit2 = 0;
    GetCell(m_edit.row, m_edit.column, m_edit.region, text, type, limit1, limit2);
    if (text != m_editText) OnCellChanged(text, m_edit.row, m_edit.column, m_edit.region);
    m_edit = target;
    GetCell(row, column, region, m_editText, m_editType, m_editLimit1, m_editLimit2);
  }
  const bool regionChanged = region != m_current.region;
  if (m_bEditable && m_bHasFocus && regionChanged) CreateCaret();
  const bool entering = !target.SameCell(m_current);
  if (entering) OnLeaveCell(m_current.row, m_current.column, m_current.region);
  std::string text, type;
  int limit1 = 0, limit2 = 0;
  GetCell(row, column, region, text, type, limit1, limit2);
  const size_t length = GbkSize(text);
  const size_t cut = std::min(static_cast<size_t>(std::max(caret, 0)), length);
  m_current = target;
  m_current.caret = static_cast<int>(GbkPosOfUtf8Offset(text, Utf8OffsetOfGbkPos(text, cut, true)));
  UpdateSelection();
  if (entering) OnEnterCell(row, column, region);
  if (m_bEditable && m_bHasFocus) m_bCaretShown = true;
  PlaceCaret(ScreenDC());
  if (redraw) update();
}

void CSmFormView::UpdateSelection() {
  if (m_bShiftHeld || m_bKeepAnchor || m_mouseMode == 1) return;
  m_anchor = m_current;
}

bool CSmFormView::HasCellSelection() const {
  return m_anchor.region == m_current.region && !m_anchor.SameCell(m_current);
}

void CSmFormView::ScrollToCellX() {
  const std::string& region = m_current.region;
  if (region != "TEXT" && region != "HEAD" && region != "FOOT") return;
  if (m_hbar->isHidden()) return;
  if (region == "TEXT" && m_current.column == Columns() - 1) {
    m_hbar->setValue(m_hbar->maximum());
    return;
  }
  if (m_current.column == 0) {
    m_hbar->setValue(0);
    return;
  }
  CSmFormDC& dc = ScreenDC();
  const int left = GetColumnX(m_current.column, dc, region, m_current.row);
  const int right = left + GetCellWidth(m_current.column, dc, region, m_current.row);
  const int scrollX = m_hbar->value();
  if (left < scrollX || right > scrollX + dc.clientWidth) m_hbar->setValue(left);
}

void CSmFormView::ScrollToCurrentCell() {
  ScrollToCellX();
  if (m_current.region != "TEXT") return;
  const int pageRows = GetPageRows();
  const int row = m_current.row;
  if (row >= m_firstRow && row < m_firstRow + pageRows) return;
  const int first = pageRows < 4 ? row - pageRows + 1 : row - pageRows + 3;
  SetScrollRow(std::clamp(first, 0, MaxScrollRow()));
}

bool CSmFormView::GetSelectionRect(SmCellBlock& block) const {
  if (m_anchor.region == "TEXT" && m_current.region == "TEXT" && !m_anchor.SameCell(m_current)) {
    block = {std::min(m_anchor.column, m_current.column), std::min(m_anchor.row, m_current.row),
             std::max(m_anchor.column, m_current.column), std::max(m_anchor.row, m_current.row)};
    return true;
  }
  block = {0, 0, Columns() - 1, m_nTextRows - 1};
  return false;
}

// ---------------------------------------------------------------- keyboard

int CSmFormView::LastCellOfRow(int row, const std::string& region) const {
  if (region == "TEXT") return Columns() - 1;
  const auto& rows = IsHeadRegion(region) ? m_headCells : m_footCells;
  if (region != "HEAD" && region != "FOOT") return -1;
  if (row < 0 || row >= static_cast<int>(rows.size())) return -1;
  return static_cast<int>(rows[row].size()) - 1;
}

bool CSmFormView::CanEditCurrentCell() {
  return m_bEditable && GetPageRows() >= 1 &&
         IsCellEditable(m_current.row, m_current.column, m_current.region);
}

bool CSmFormView::OnKeyDown(int key, Qt::KeyboardModifiers modifiers) {
  if (GetPageRows() <= 0) return false;
  m_bShiftHeld = modifiers & Qt::ShiftModifier;
  const bool ctrl = modifiers & Qt::ControlModifier;
  const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
  if (enter && m_bEnterDown) key = Qt::Key_Down;
  const int pageRows = GetPageRows();
  const SmGridCell cell = m_current;
  switch (key) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
      DeleteChar(key == Qt::Key_Backspace);
      break;
    case Qt::Key_Tab:
      CaretRight(true, false);
      break;
    case Qt::Key_Backtab:
      CaretLeft(true);
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      CaretRight(false, true);
      break;
    case Qt::Key_PageUp:
      if (cell.region != "TEXT") break;
      OnVScroll(SmScroll::kPageUp);
      SetCurrentCell(std::max(cell.row - pageRows, 0), cell.column, cell.caret, "TEXT");
      break;
    case Qt::Key_PageDown:
      if (cell.region != "TEXT") break;
      OnVScroll(SmScroll::kPageDown);
      SetCurrentCell(std::min(cell.row + pageRows, m_nTextRows - 1), cell.column, cell.caret,
                     "TEXT");
      break;
    case Qt::Key_Home:
    case Qt::Key_End:
      CaretHomeEnd(key == Qt::Key_Home, ctrl, false);
      break;
    case Qt::Key_Left:
      CaretLeft(false);
      break;
    case Qt::Key_Up:
      CaretUp();
      break;
    case Qt::Key_Right:
      CaretRight(false, false);
      break;
    case Qt::Key_Down:
      CaretDown();
      break;
    default:
      m_bShiftHeld = false;
      return false;
  }
  ScrollToCurrentCell();
  m_bShiftHeld = false;
  return true;
}

bool CSmFormView::MoveCaretInText(bool right) {
  std::string text, type;
  int limit1 = 0, limit2 = 0;
  GetCell(m_current.row, m_current.column, m_current.region, text, type, limit1, limit2);
  const size_t offset = Utf8OffsetOfGbkPos(text, m_current.caret);
  if (right ? offset >= text.size() : offset == 0) return false;
  const size_t moved = right ? NextChar(text, offset) : PrevChar(text, offset);
  SetCurrentCell(m_current.row, m_current.column, static_cast<int>(GbkPosOfUtf8Offset(text, moved)),
                 m_current.region);
  return true;
}

void CSmFormView::CaretLeft(bool tab) {
  if (m_bEditable && !tab && MoveCaretInText(false)) return;
  const std::string region = m_current.region;
  if (region != "TEXT" && region != "HEAD" && region != "FOOT") return;
  if (m_current.column <= 0) return;
  SetCurrentCell(m_current.row, m_current.column - 1, 0, region);
}

void CSmFormView::CaretRight(bool tab, bool enter) {
  if (m_bEditable && !tab && !enter && MoveCaretInText(true)) return;
  const std::string region = m_current.region;
  const int last = LastCellOfRow(m_current.row, region);
  if (last < 0) return;
  if (m_current.column < last) {
    SetCurrentCell(m_current.row, m_current.column + 1, 0, region);
    return;
  }
  if (!enter) return;
  SetCurrentCell(m_current.row, 0, 0, region);
  CaretDown();
}

void CSmFormView::CaretHomeEnd(bool home, bool ctrl, bool enter) {
  if (ctrl) {
    if (m_hbar->isVisible()) m_hbar->setValue(home ? 0 : m_hbar->maximum());
    OnVScroll(home ? SmScroll::kTop : SmScroll::kBottom);
    if (home) {
      SetCurrentCell(0, 0, 0, "TEXT");
    } else {
      SetCurrentCell(m_nTextRows - 1, std::max(Columns() - 1, 0), 0, "TEXT");
    }
    return;
  }
  if (m_bEditable && !enter) {
    SetCurrentCell(m_current.row, m_current.column, home ? 0 : std::numeric_limits<int>::max(),
                   m_current.region);
    return;
  }
  const int last = LastCellOfRow(m_current.row, m_current.region);
  if (last < 0) return;
  SetCurrentCell(m_current.row, home ? 0 : last, 0, m_current.region);
}

namespace {

// The nearest row before (step -1) or after (step 1) `row` that has cells; -1 when none.
int RowWithCells(const std::vector<std::vector<SmNoteCell>>& rows, int row, int step) {
  for (int r = row + step; r >= 0 && r < static_cast<int>(rows.size()); r += step) {
    if (!rows[r].empty()) return r;
  }
  return -1;
}

}  // namespace

void CSmFormView::CaretUp() {
  const SmGridCell cell = m_current;
  int row = -1;
  std::string region = cell.region;
  if (region == "TEXT") {
    if (cell.row > 0) {
      row = cell.row - 1;
      if (row < m_firstRow) OnVScroll(SmScroll::kLineUp);
    } else {
      row = RowWithCells(m_headCells, static_cast<int>(m_headCells.size()), -1);
      region = "HEAD";
    }
  } else if (region == "HEAD") {
    row = RowWithCells(m_headCells, cell.row, -1);
  } else if (region == "FOOT") {
    row = RowWithCells(m_footCells, cell.row, -1);
    if (row < 0) {
      region = "TEXT";
      row = std::clamp(m_firstRow + GetPageRows() - 1, 0, m_nTextRows - 1);
    }
  }
  if (row < 0) return;
  const int column = std::min(cell.column, LastCellOfRow(row, region));
  if (SmGridCell{row, column, region, 0}.SameCell(cell)) return;
  SetCurrentCell(row, column, cell.caret, region);
}

void CSmFormView::CaretDown() {
  const SmGridCell cell = m_current;
  int row = -1;
  std::string region = cell.region;
  if (region == "TEXT") {
    if (cell.row == m_nTextRows - 1) AutoAppendRow();
    if (cell.row + 1 < m_nTextRows) {
      row = cell.row + 1;
      if (row >= m_firstRow + GetPageRows()) OnVScroll(SmScroll::kLineDown);
    } else {
      row = RowWithCells(m_footCells, -1, 1);
      region = "FOOT";
    }
  } else if (region == "HEAD") {
    row = RowWithCells(m_headCells, cell.row, 1);
    if (row < 0) {
      region = "TEXT";
      row = std::min(m_firstRow, m_nTextRows - 1);
    }
  } else if (region == "FOOT") {
    row = RowWithCells(m_footCells, cell.row, 1);
  }
  if (row < 0) return;
  const int column = std::min(cell.column, LastCellOfRow(row, region));
  SetCurrentCell(row, std::max(column, 0), cell.caret, region);
}

void CSmFormView::DeleteChar(bool backspace) {
  if (!CanEditCurrentCell()) return;
  const UndoRecord before = CurrentRecord();
  std::string text, type;
  int limit1 = 0, limit2 = 0;
  GetCell(m_current.row, m_current.column, m_current.region, text, type, limit1, limit2);
  const size_t offset = Utf8OffsetOfGbkPos(text, m_current.caret);
  size_t from = offset, to = offset;
  if (backspace) {
    if (offset == 0) return;
    from = PrevChar(text, offset);
  } else {
    if (offset >= text.size()) return;
    to = NextChar(text, offset);
  }
  text.erase(from, to - from);
  SetCell(m_current.row, m_current.column, m_current.region, text);
  SetCurrentCell(m_current.row, m_current.column, static_cast<int>(GbkPosOfUtf8Offset(text, from)),
                 m_current.region);
  m_bModified = true;
  PushUndo(before);
}

void CSmFormView::TypeText(const std::string& utf8) {
  if (!CanEditCurrentCell()) return;
  if (HasCellSelection()) {
    ScrollToCurrentCell();
    return;
  }
  if (HasTextSelection()) DeleteSelectedText();
  const SmGridCell cell = m_current;
  std::string text, type;
  int limit1 = 0, limit2 = 0;
  GetCell(cell.row, cell.column, cell.region, text, type, limit1, limit2);
  const bool number = type.find("NUMBER") != std::string::npos;
  for (size_t i = 0; i < utf8.size();) {
    char32_t cp = 0;
    const size_t size = Utf8Next(utf8, i, &cp);
    std::string ch = utf8.substr(i, size);
    i += size;
    std::string gbk;
    if (cp < 0x20 || cp == 0x7F || !Utf8ToGbk(ch, gbk) || gbk.size() > 2) return;
    if (number && ch == "。") ch = ".";
    const int caret = m_current.caret;
    if (!ValidateFieldText(ch, text, caret, type, limit1, limit2)) return;
    const UndoRecord before = CurrentRecord();
    const size_t offset = Utf8OffsetOfGbkPos(text, caret);
    text.insert(offset, ch);
    SetCell(cell.row, cell.column, cell.region, text);
    SetCurrentCell(cell.row, cell.column, caret + static_cast<int>(GbkSize(ch)), cell.region);
    ScrollToCurrentCell();
    m_bModified = true;
    PushUndo(before);
  }
}

void CSmFormView::keyPressEvent(QKeyEvent* event) {
  if (OnKeyDown(event->key(), event->modifiers())) return;
  const bool command = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
  if (!command && !event->text().isEmpty()) {
    TypeText(event->text().toStdString());
    return;
  }
  CSmView::keyPressEvent(event);
}

bool CSmFormView::focusNextPrevChild(bool /*next*/) {
  return false;  // Tab and Shift+Tab move between cells
}

void CSmFormView::inputMethodEvent(QInputMethodEvent* event) {
  if (!event->commitString().isEmpty()) TypeText(event->commitString().toStdString());
  event->accept();
}

void CSmFormView::CreateCaret() {
  m_caretCreated = true;
  m_caretSize = QSize(kCaretWidth, GetRegionFont(m_current.region, ScreenDC()).height);
}

bool CSmFormView::IsCaretVisible() {
  if (!m_caretCreated || !m_bCaretShown || !m_bHasFocus) return false;
  if (m_current.region == "TEXT" &&
      (m_current.row < m_firstRow || m_current.row >= m_firstRow + GetPageRows())) {
    return false;
  }
  const int scrollX = m_hbar->isHidden() ? 0 : m_hbar->value();
  return ClientRect().contains(m_caretRect.topLeft() - QPoint(scrollX, 0));
}

namespace {

// The visible part of the current cell's text [start, end) and the caret's x in the cell.
struct SmEditLine {
  size_t start = 0;
  size_t end = 0;
  int caretX = 0;
};

SmEditLine FitEditLine(const std::string& text, int caretGbk, int width,
                       const QFontMetrics& metrics) {
  SmEditLine line{0, text.size(), 0};
  const size_t caret = Utf8OffsetOfGbkPos(text, caretGbk);
  const auto span = [&](size_t from, size_t to) {
    return metrics.horizontalAdvance(ToQ(text.substr(from, to - from)));
  };
  while (line.start < caret && span(line.start, caret) > width) {
    line.start = NextChar(text, line.start);
  }
  while (line.end > caret && span(line.start, line.end) > width) {
    line.end = PrevChar(text, line.end);
  }
  line.caretX = span(line.start, caret);
  return line;
}

}  // namespace

std::string CSmFormView::PlaceCaret(CSmFormDC& dc, size_t* start) {
  const SmGridCell& cell = m_current;
  std::string text, type;
  int limit1 = 0, limit2 = 0;
  GetCell(cell.row, cell.column, cell.region, text, type, limit1, limit2);
  const CSmFormDC::RegionFont& font = GetRegionFont(cell.region, dc);
  const QFontMetrics metrics(font.font, const_cast<QPaintDevice*>(dc.device));
  const int x = GetColumnX(cell.column, dc, cell.region, cell.row);
  const SmEditLine line =
      FitEditLine(text, cell.caret, GetCellWidth(cell.column, dc, cell.region, cell.row), metrics);
  const QSize size = m_caretSize.isValid() ? m_caretSize : QSize(kCaretWidth, font.height);
  m_caretRect = QRect(QPoint(x + line.caretX, GetRowY(cell.row, dc, cell.region)), size);
  if (start) *start = GbkPosOfUtf8Offset(text, line.start);
  return text.substr(line.start, line.end - line.start);
}

int CSmFormView::CaretAtX(int row, int column, const std::string& region, int x) {
  const std::string text = GetCellText(row, column, region);
  size_t start = 0;  // the current cell may show its text from further on
  if (SmGridCell{row, column, region, 0}.SameCell(m_current)) PlaceCaret(ScreenDC(), &start);
  CSmFormDC& dc = ScreenDC();
  const QFontMetrics metrics(GetRegionFont(region, dc).font, const_cast<QPaintDevice*>(dc.device));
  const int left = GetColumnX(column, dc, region, row);
  const size_t from = Utf8OffsetOfGbkPos(text, start);
  size_t offset = from;
  while (offset < text.size()) {
    const size_t next = NextChar(text, offset);
    if (left + metrics.horizontalAdvance(ToQ(text.substr(from, next - from))) > x) break;
    offset = next;
  }
  return static_cast<int>(GbkPosOfUtf8Offset(text, offset));
}

std::string CSmFormView::GetCellText(int row, int column, const std::string& region) {
  std::string text, type;
  int limit1 = 0, limit2 = 0;
  GetCell(row, column, region, text, type, limit1, limit2);
  return text;
}

void CSmFormView::DrawEditLine(CSmFormDC& dc) {
  if (!m_bEditable || !dc.painter) return;
  size_t start = 0;
  const std::string visible = PlaceCaret(dc, &start);
  const SmGridCell& cell = m_current;
  const CSmFormDC::RegionFont& font = GetRegionFont(cell.region, dc);
  const int x = GetColumnX(cell.column, dc, cell.region, cell.row);
  const int y = GetRowY(cell.row, dc, cell.region);
  QPainter& painter = *dc.painter;
  painter.fillRect(QRect(x, y, GetCellWidth(cell.column, dc, cell.region, cell.row), font.height),
                   kWindowColor);
  painter.setFont(font.font);
  painter.setPen(ToQColor(GetRegionColor(cell.region)));
  painter.drawText(x, y + font.ascent, ToQ(visible));
  painter.setPen(kWindowTextColor);
  if (!m_anchor.SameCell(cell) || m_anchor.caret == cell.caret) return;
  // The text selected inside the cell: between the anchor's caret and the caret, as shown.
  const QFontMetrics metrics(font.font, const_cast<QPaintDevice*>(dc.device));
  const auto xOf = [&](int caret) {
    const size_t gbk = static_cast<size_t>(std::max(caret, 0));
    const size_t offset = gbk <= start ? 0 : Utf8OffsetOfGbkPos(visible, gbk - start);
    return x + metrics.horizontalAdvance(ToQ(visible.substr(0, offset)));
  };
  const int from = xOf(std::min(m_anchor.caret, cell.caret));
  const int to = xOf(std::max(m_anchor.caret, cell.caret));
  painter.save();
  painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  painter.fillRect(QRect(from, y, to - from, font.height), Qt::white);
  painter.restore();
}

// ---------------------------------------------------------------- drawing

void CSmFormView::OnPrepareDC(CSmFormDC& dc, CSmPrintState* info) {
  if (dc.printing && info) {
    dc.firstRow = (info->currentPage - 1) * GetPageRows(dc);
  } else if (!dc.printing) {
    dc.firstRow = m_firstRow;
  }
}

void CSmFormView::OnDraw(CSmFormDC& dc) {
  if (!dc.printing) m_pageRowsCache = 0;
  m_columnLines.clear();
  ColumnLines(dc);
  m_firstRowY = -1;
  if (!dc.printing) {
    m_firstRowY = GetRowY(dc.firstRow, dc, "TEXT");
    m_rowPitch = GetRegionFont("TEXT", dc).height + GetRowGap(dc);
  }
  if (GetPageRows(dc) <= 0 || !dc.painter) {
    m_firstRowY = -1;
    return;
  }
  if (!(dc.printing && m_bOverlay)) {
    DrawGridLines(dc);
    DrawTitle(dc);
  }
  DrawHeadFootNotes(dc);
  for (int r = 0; r < static_cast<int>(m_headCells.size()); ++r) {
    for (int c = 0; c < static_cast<int>(m_headCells[r].size()); ++c) DrawCell(dc, r, c, "HEAD");
  }
  DrawTextRows(dc);
  for (int r = 0; r < static_cast<int>(m_footCells.size()); ++r) {
    for (int c = 0; c < static_cast<int>(m_footCells[r].size()); ++c) DrawCell(dc, r, c, "FOOT");
  }
  if (!dc.printing && m_current.region != "TEXT") {
    DrawEditLine(dc);
    DrawCellFrame(m_current.row, m_current.column, m_current.region, dc, true);
  }
  m_firstRowY = -1;
}

void CSmFormView::DrawTextRows(CSmFormDC& dc) {
  SmCellBlock selection;
  const bool multiple = GetSelectionRect(selection);
  const int columns = Columns();
  int firstColumn = 0;
  int lastColumn = columns - 1;
  if (!dc.printing) {
    const int left = dc.scrollX;
    const int right = dc.scrollX + dc.clientWidth;
    while (firstColumn < lastColumn && GetColumnX(firstColumn + 1, dc, "TEXT", 0) <= left) {
      ++firstColumn;
    }
    while (lastColumn > firstColumn && GetColumnX(lastColumn, dc, "TEXT", 0) >= right) {
      --lastColumn;
    }
  }
  const bool overlay = dc.printing && m_bOverlay;
  if (multiple && !overlay) DrawGridLines(dc);
  const int pageRows = GetPageRows(dc);
  const int last = std::min(dc.firstRow + pageRows, m_nTextRows);
  for (int row = dc.firstRow; row < last; ++row) {
    for (int column = firstColumn; column <= lastColumn; ++column) {
      DrawCell(dc, row, column, "TEXT");
    }
  }
  if (dc.printing) {
    if (!overlay) DrawGridLines(dc);
    return;
  }
  QPainter& painter = *dc.painter;
  if (multiple) {
    const int top = std::max(selection.row1, dc.firstRow);
    const int bottom = std::min(selection.row2, last - 1);
    if (top <= bottom) {
      const QRect first = GetCellRect(top, selection.col1, "TEXT", dc);
      const QRect end = GetCellRect(bottom, selection.col2, "TEXT", dc);
      painter.save();
      painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
      painter.fillRect(QRect(first.topLeft(), end.bottomRight()), Qt::white);
      painter.restore();
    }
  }
  if (m_current.region == "TEXT" && m_current.row >= dc.firstRow && m_current.row < last) {
    DrawEditLine(dc);
    DrawCellFrame(m_current.row, m_current.column, "TEXT", dc, true);
  }
  m_firstRowY = -1;
}

void CSmFormView::DrawGridLines(CSmFormDC& dc) {
  if (!dc.painter) return;
  QPainter& painter = *dc.painter;
  static const CSmPrintInfo defaults;
  const CSmPrintInfo& info = m_printInfo ? *m_printInfo : defaults;
  const int lw = dc.lineWidth;
  const int columns = Columns();
  const int pageRows = GetPageRows(dc);
  const int left = GetColumnLineX(0, dc, "TEXT", 0);
  const int right = GetColumnLineX(columns, dc, "TEXT", 0);
  const int formTop = GetRowLineY(0, dc, "FORMHEAD");
  const int footTop = GetRowLineY(0, dc, "FOOT");
  const int bodyTop = GetRowLineY(dc.firstRow, dc, "TEXT");
  const int bodyBottom = GetRowLineY(0, dc, "FORMFOOT");
  painter.save();
  painter.setPen(QPen(ToQColor(info.FormLine), lw, Qt::SolidLine, Qt::FlatCap));
  for (int row = dc.firstRow; row <= dc.firstRow + pageRows; ++row) {
    const int y = GetRowLineY(row, dc, "TEXT");
    painter.drawLine(left, y, right, y);
  }
  const int top = m_bLinesSpanNotes ? formTop : bodyTop;
  const int bottom = m_bLinesSpanNotes ? footTop : bodyBottom;
  for (int column = 0; column <= columns; ++column) {
    const int x = GetColumnLineX(column, dc, "TEXT", 0);
    painter.drawLine(x, top, x, bottom);
  }
  painter.drawLine(left, formTop, right, formTop);
  painter.drawLine(right, formTop, right, footTop);
  painter.drawLine(left, footTop, right, footTop);
  painter.setPen(QPen(ToQColor(info.OutBox), 3 * lw, Qt::SolidLine, Qt::SquareCap));
  painter.drawRect(QRect(QPoint(left - lw, formTop - lw), QPoint(right + lw, footTop + lw)));
  // Merged blocks read as one cell: their inner lines are painted over.
  painter.setPen(QPen(Qt::white, lw, Qt::SolidLine, Qt::FlatCap));
  const int lastRow = std::min(dc.firstRow + pageRows, m_nTextRows) - 1;
  for (const SmCellBlock& block : m_blocks) {
    const int c1 = std::max(block.col1, 0);
    const int c2 = std::min(block.col2, columns - 1);
    const int r1 = std::max(block.row1, dc.firstRow);
    const int r2 = std::min(block.row2, lastRow);
    if (c1 > c2 || r1 > r2) continue;
    const int yTop = GetRowLineY(r1, dc, "TEXT") + lw;
    const int yBottom = GetRowLineY(r2 + 1, dc, "TEXT") - lw;
    for (int column = c1 + 1; column <= c2; ++column) {
      const int x = GetColumnLineX(column, dc, "TEXT", 0);
      painter.drawLine(x, yTop, x, yBottom);
    }
    const int xLeft = GetColumnLineX(c1, dc, "TEXT", 0) + lw;
    const int xRight = GetColumnLineX(c2 + 1, dc, "TEXT", 0) - lw;
    for (int row = r1 + 1; row <= r2; ++row) {
      const int y = GetRowLineY(row, dc, "TEXT");
      painter.drawLine(xLeft, y, xRight, y);
    }
  }
  painter.restore();
}

void CSmFormView::DrawHeaderText(int row, CSmFormDC& dc, const std::string& text,
                                 const std::string& align, const std::string& region) {
  if (!dc.painter) return;
  QPainter& painter = *dc.painter;
  const CSmFormDC::RegionFont& font = GetRegionFont(region, dc);
  const QMargins margins = GetMargins(dc);
  const int printable = GetPageSize(dc).width() - margins.left() - margins.right();
  const int width = GetTextWidth(text, region, dc);
  int x = margins.left();
  if (align == "MID" && !dc.printing && Columns() > 0) {
    // On screen the table may be wider or narrower than the page: centred over the table.
    const std::vector<int>& lines = ColumnLines(dc);
    x = (lines.front() + lines.back() - width) / 2;
  } else if (align == "MID") {
    x += (printable - width) / 2;
  } else if (align != "LEFT") {
    x += printable - width;
  }
  painter.setFont(font.font);
  painter.setPen(ToQColor(GetRegionColor(region)));
  painter.drawText(x, GetRowY(row, dc, region) + font.ascent, ToQ(text));
  painter.setPen(kWindowTextColor);
}

void CSmFormView::DrawCellText(int row, int column, CSmFormDC& dc, const std::string& text,
                               const std::string& align, const std::string& region, int offsetY,
                               bool wrap) {
  if (!dc.painter) return;
  QPainter& painter = *dc.painter;
  const CSmFormDC::RegionFont& font = GetRegionFont(region, dc);
  painter.setFont(font.font);
  if (align == "PERCENT") {
    painter.setPen(ToQColor(GetRegionColor(region)));
    painter.drawText(GetColumnX(column, dc, region, row, false),
                     GetRowY(row, dc, region) + offsetY + font.ascent, ToQ(text));
    painter.setPen(kWindowTextColor);
    return;
  }
  QRect rect = GetCellRect(row, column, region, dc);
  if (region == "TEXT") {
    if (const SmCellBlock* block = FindBlock(row, column)) {
      if (block->row1 != row || block->col1 != column) return;
      const QRect end = GetCellRect(block->row2, block->col2, region, dc);
      rect = QRect(rect.topLeft(),
                   QPoint(end.left() + end.width(), end.top() + end.height()) - QPoint(1, 1));
    }
  }
  painter.setPen(ToQColor(GetCellTextColor(column, row, region)));
  const QFontMetrics metrics(font.font, const_cast<QPaintDevice*>(dc.device));
  const int unit = font.unit;
  const std::vector<std::string> lines = SmSplitCellLines(text, wrap, rect.width() - unit, metrics);
  const int count = static_cast<int>(lines.size());
  painter.save();
  for (int i = 0; i < count; ++i) {
    const int top = rect.top() + rect.height() * i / count;
    const int bottom = rect.top() + rect.height() * (i + 1) / count;
    const QRect band(rect.left(), top, rect.width(), bottom - top);
    const QString line = ToQ(lines[i]);
    const int width = metrics.horizontalAdvance(line);
    const int y = top + (band.height() - font.height) / 2 + font.ascent;
    painter.setClipRect(band);
    painter.fillRect(band, kWindowColor);
    // A line wider than its cell is drawn narrowed to the cell rather than cut: a clipped
    // amount would lose its leading digits and read as a smaller figure.
    const int room = std::max(rect.width() - unit, 1);
    if (width > room) {
      painter.save();
      painter.translate(rect.left() + unit / 2, y + offsetY);
      painter.scale(static_cast<double>(room) / width, 1.0);
      painter.drawText(0, 0, line);
      painter.restore();
      continue;
    }
    int x = rect.left() + unit / 2;
    if (align == "MID") {
      x = rect.left() + unit / 2 + (rect.width() - width - unit) / 2;
    } else if (align == "RIGHT") {
      x = rect.left() + rect.width() - width - unit + unit / 2;
    }
    painter.drawText(x, y + offsetY, line);
  }
  painter.restore();
  painter.setPen(kWindowTextColor);
}

void CSmFormView::DrawCellFrame(int row, int column, const std::string& region, CSmFormDC& dc,
                                bool on) {
  if (!dc.painter) return;
  if (region == "TEXT" && (row < dc.firstRow || row >= dc.firstRow + GetPageRows(dc))) return;
  static const CSmPrintInfo defaults;
  const CSmPrintInfo& info = m_printInfo ? *m_printInfo : defaults;
  const QRect cell = GetCellRect(row, column, region, dc);
  QPainter& painter = *dc.painter;
  painter.save();
  painter.setPen(QPen(on ? ToQColor(info.OutBox) : kWindowColor, 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(cell.adjusted(0, 0, -1, -1));
  painter.restore();
}

void CSmFormView::DrawTextBlock(CSmFormDC& dc, const std::vector<CSmFormTopWord>& blocks,
                                const std::string& region) {
  if (!dc.painter) return;
  static const CSmPrintInfo defaults;
  const CSmPrintInfo& info = m_printInfo ? *m_printInfo : defaults;
  QPainter& painter = *dc.painter;
  painter.setFont(GetRegionFont(region, dc).font);
  for (const CSmFormTopWord& block : blocks) {
    const int left = GetColumnLineX(block.nCol1 - 1, dc, region, 0);
    const int right = GetColumnLineX(block.nCol2, dc, region, 0);
    const int top = GetRowLineY(block.nRow1 - 1, dc, region);
    const int bottom = GetRowLineY(block.nRow2, dc, region);
    painter.setPen(QPen(ToQColor(info.FormLine), dc.lineWidth, Qt::SolidLine, Qt::FlatCap));
    if (left > 0) painter.drawLine(left, top, left, bottom);
    if (top > 0) painter.drawLine(left, top, right, top);
    painter.setPen(ToQColor(GetRegionColor(region)));
    DrawBlockLines(dc,
                   QRect(QPoint(left + dc.lineWidth, top + dc.lineWidth),
                         QPoint(right, bottom) - QPoint(1, 1)),
                   block.sWords, "MID");
  }
  painter.setPen(kWindowTextColor);
}

void CSmFormView::DrawBlockLines(CSmFormDC& dc, const QRect& rect, const std::string& words,
                                 const std::string& align) {
  if (!dc.painter) return;
  QPainter& painter = *dc.painter;
  std::string text = ReplaceAll(words, "\n", "\\");
  std::vector<std::string> lines;
  for (size_t start = 0;;) {
    const size_t end = text.find('\\', start);
    lines.push_back(text.substr(start, end == std::string::npos ? end : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  const QFontMetrics metrics(painter.font(), const_cast<QPaintDevice*>(dc.device));
  const int count = static_cast<int>(lines.size());
  const int lineHeight = metrics.height();
  const int spare = rect.height() - count * lineHeight;
  painter.save();
  painter.setClipRect(rect);
  for (int i = 0; i < count; ++i) {
    const int top = spare >= 0 ? rect.top() + spare * (i + 1) / (count + 1) + i * lineHeight
                               : rect.top() + rect.height() * i / count;
    const QString line = ToQ(lines[i]);
    const int width = metrics.horizontalAdvance(line);
    int x = rect.left() + 2;
    if (align == "MID") {
      x = rect.left() + (rect.width() - width) / 2;
    } else if (align != "LEFT") {
      x = rect.left() + rect.width() - 2 - width;
    }
    if (width > rect.width() - 5) x = rect.left();
    painter.drawText(x, top + metrics.ascent(), line);
  }
  painter.restore();
}

void CSmFormView::DrawBoxText(CSmFormDC& dc, const std::string& text, int col1, int row1, int col2,
                              int row2, const std::string& region, const std::string& align) {
  if (!dc.painter) return;
  QPainter& painter = *dc.painter;
  const int lw = dc.lineWidth;
  const QRect box(
      QPoint(GetColumnLineX(col1, dc, region, row1) + lw, GetRowLineY(row1, dc, region) + lw),
      QPoint(GetColumnLineX(col2 + 1, dc, region, row2) - lw - 1,
             GetRowLineY(row2 + 1, dc, region) - lw - 1));
  painter.fillRect(box, kWindowColor);
  painter.setFont(GetRegionFont(region, dc).font);
  painter.setPen(ToQColor(GetRegionColor(region)));
  DrawBlockLines(dc, box, text, align);
  painter.setPen(kWindowTextColor);
}

// ---------------------------------------------------------------- window events

void CSmFormView::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  const QRect client = ClientRect();
  painter.fillRect(rect(), palette().window());
  painter.fillRect(client, kWindowColor);
  painter.setClipRect(client);
  CSmFormDC& dc = ScreenDC();
  dc.painter = &painter;
  painter.translate(-dc.scrollX, 0);
  OnPrepareDC(dc, nullptr);
  OnDraw(dc);
  if (IsCaretVisible()) painter.fillRect(m_caretRect, kWindowTextColor);
  DrawTrackingLine(painter);
  dc.painter = nullptr;
}

void CSmFormView::resizeEvent(QResizeEvent* event) {
  CSmView::resizeEvent(event);
  UpdateScrollSizes(false);
}

void CSmFormView::wheelEvent(QWheelEvent* event) {
  OnVScroll(event->angleDelta().y() <= 0 ? SmScroll::kLineDown : SmScroll::kLineUp);
  event->accept();
}

void CSmFormView::focusInEvent(QFocusEvent* event) {
  CSmView::focusInEvent(event);
  if (m_bEditable) CreateCaret();
  m_bHasFocus = true;
  m_bCaretShown = true;
  PlaceCaret(ScreenDC());
  update();
}

void CSmFormView::focusOutEvent(QFocusEvent* event) {
  CSmView::focusOutEvent(event);
  m_bCaretShown = false;
  m_caretCreated = false;
  m_bHasFocus = false;
  update();
}

// ---------------------------------------------------------------- scrolling

int CSmFormView::MaxScrollRow() {
  return std::max(m_nTextRows - std::max(GetPageRows(), 1), 0);
}

void CSmFormView::UpdateScrollSizes(bool invalidate) {
  if (m_screenDC) m_screenDC->fonts = {};  // the settings may have new fonts
  m_columnLines.clear();
  // Showing one bar narrows the client and may call for the other: settle in a few rounds.
  for (int round = 0; round < 3; ++round) {
    m_pageRowsCache = 0;
    CSmFormDC& dc = ScreenDC();
    const bool wide = GetPageSize(dc).width() > dc.clientWidth;
    const bool tall = m_nTextRows > std::max(GetPageRows(dc), 1);
    if (wide == !m_hbar->isHidden() && tall == !m_vbar->isHidden()) break;
    m_hbar->setHidden(!wide);
    m_vbar->setHidden(!tall);
  }
  m_pageRowsCache = 0;
  CSmFormDC& dc = ScreenDC();
  const QRect client = ClientRect();
  m_vbar->setGeometry(client.width(), 0, width() - client.width(), client.height());
  m_hbar->setGeometry(0, client.height(), client.width(), height() - client.height());
  const int pageRows = std::max(GetPageRows(dc), 1);
  {
    const QSignalBlocker block(m_vbar);
    m_vbar->setRange(0, std::max(m_nTextRows - pageRows, 0));
    m_vbar->setPageStep(pageRows);
    m_vbar->setSingleStep(1);
    m_firstRow = std::clamp(m_firstRow, 0, m_vbar->maximum());
    m_vbar->setValue(m_firstRow);
  }
  {
    const QSignalBlocker block(m_hbar);
    m_hbar->setRange(0, std::max(GetPageSize(dc).width() - client.width(), 0));
    m_hbar->setPageStep(std::max(client.width() / 4, 1));
    m_hbar->setSingleStep(std::max(client.width() * 3 / 4, 1));
  }
  if (invalidate) update();
}

void CSmFormView::OnVScroll(SmScroll code, int thumbRow) {
  const int pageRows = GetPageRows();
  int row = m_firstRow;
  switch (code) {
    case SmScroll::kLineUp:
      --row;
      break;
    case SmScroll::kLineDown:
      ++row;
      break;
    case SmScroll::kPageUp:
      row -= std::max(1, pageRows);
      break;
    case SmScroll::kPageDown:
      row += std::max(1, pageRows);
      break;
    case SmScroll::kThumb:
      row = thumbRow;
      break;
    case SmScroll::kTop:
      row = 0;
      break;
    case SmScroll::kBottom:
      row = m_nTextRows - pageRows;
      break;
  }
  row = std::clamp(row, 0, std::max(m_nTextRows - pageRows, 0));
  if (row != m_firstRow) SetScrollRow(row);
}

void CSmFormView::SetScrollRow(int row) {
  m_firstRow = row;
  {
    const QSignalBlocker block(m_vbar);
    m_vbar->setValue(row);
  }
  PlaceCaret(ScreenDC());
  update();
}

// ---------------------------------------------------------------- commands and printing

bool CSmFormView::OnCommand(int id) {
  switch (id) {
    case SM_ID_FILE_PAGE_SETUP:
      OnFilePageSetup();
      return true;
    case SM_ID_FILE_PRINT:
    case SM_ID_FILE_PRINT_DIRECT:
    case SM_ID_FILE_PRINT_PREVIEW:
      Print(id);
      update();
      return true;
    case SM_ID_OVERLAY_PRINT:
      m_bOverlay = true;
      Print(SM_ID_FILE_PRINT);
      m_bOverlay = false;
      update();
      return true;
    default:
      return OnEditCommand(id) || CSmView::OnCommand(id);
  }
}

bool CSmFormView::OnUpdateCommand(int id, CSmCmdUI& ui) {
  switch (id) {
    case SM_ID_FILE_PAGE_SETUP:
    case SM_ID_FILE_PRINT:
    case SM_ID_FILE_PRINT_DIRECT:
    case SM_ID_FILE_PRINT_PREVIEW:
    case SM_ID_OVERLAY_PRINT:
      ui.Enable(true);
      return true;
    default:
      return OnUpdateEditCommand(id, ui) || CSmView::OnUpdateCommand(id, ui);
  }
}

bool CSmFormView::Print(int commandId) {
  m_printCommand = commandId;
  CSmFormPrintJob job(this);
  const bool printed = job.Print(commandId);
  m_printCommand = 0;
  m_columnLines.clear();
  return printed;
}

bool CSmFormView::OnPreparePrinting(CSmPrintState& info) {
  const CSmWaitCursor busy;
  info.direct = info.direct || m_bPrintDirect || m_printCommand == SM_ID_FILE_PRINT_DIRECT;
  if (!m_printInfo) ResetViewState();
  SmPageRequest request;
  request.landscape = m_printInfo->PageCopies == 0;
  request.width = request.landscape ? m_printInfo->PageLength : m_printInfo->PageWidth;
  request.height = request.landscape ? m_printInfo->PageWidth : m_printInfo->PageLength;
  if (!SmGetPrinterDC(request)) return false;
  QPrinter& printer = CSmPrinterService::Instance().Printer();
  m_scaleX = printer.logicalDpiX() * kDotsPerTenthMmPerDpi;
  m_scaleY = printer.logicalDpiY() * kDotsPerTenthMmPerDpi;
  m_fontScale = printer.logicalDpiY() * kFontScalePerDpi;
  PreparePagination();
  CSmFormDC dc(&printer, nullptr, true);
  dc.offsetX = CSmPrinterService::Instance().LeftOffset();
  dc.offsetY = CSmPrinterService::Instance().TopOffset();
  const int pages = GetPageCount(dc);
  m_columnLines.clear();
  if (pages < 1) {
    SmMessageBox("行距太大，或纸张太小！", SM_MB_ICONERROR);
    return false;
  }
  info.minPage = 1;
  info.maxPage = pages;
  if (!CSmPrintJob().DoPreparePrinting(info)) return false;
  if (!info.preview) SmWritePrintLog(17, FormatStr("打印“%s”", DocumentTitle().c_str()));
  return true;
}

std::string CSmFormView::DocumentTitle() const {
  return GetDocument() ? GetDocument()->GetTitle() : windowTitle().toStdString();
}

void CSmFormView::OnFilePageSetup() {
  if (!m_printInfo) ResetViewState();
  m_printInfo->m_widths = m_widths;
  CSmPrintInfo edited = *m_printInfo;
  CSmPageSetupDlg dlg(&edited, m_nFlag, this);
  const bool ok = dlg.DoModal() == SM_IDOK;
  if (ok && edited != *m_printInfo) {
    *m_printInfo = edited;
    UpdateScrollSizes(true);
  }
  if (m_bEditable) CreateCaret();
  if (!ok) return;
  LoadWidthsFromPrintInfo();
  if (m_db && !m_printInfo->Save(m_db, m_nFlag, m_printMode)) {
    SmMessageBox("页面属性未能保存到数据文件。", SM_MB_ICONERROR);
    return;
  }
  SmWritePrintLog(16, FormatStr("设置了“%s”的页面属性", DocumentTitle().c_str()));
}
