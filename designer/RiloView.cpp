#include "designer/RiloView.h"

#include <QFocusEvent>
#include <QGuiApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QScreen>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <functional>

#include "core/SmGbk.h"
#include "core/SmNumber.h"
#include "designer/RiloChildFrm.h"
#include "designer/RiloPageSetupDlg.h"
#include "designer/RiloPrint.h"
#include "designer/RiloRichText.h"
#include "ui/SmDlg.h"
#include "ui/SmFonts.h"
#include "ui/SmMarkup.h"

namespace {

constexpr int kThinLine = 1;
constexpr int kThickLine = 2;
constexpr int kDashedLine = 3;
constexpr int kBlinkMs = 530;
constexpr int kPageSize = 360;
constexpr int kLineX = 72;
constexpr int kLineY = 20;

SmColor ColorOf(const QColor& color) {
  return SmRgb(color.red(), color.green(), color.blue());
}

SmColor SystemColor(QPalette::ColorRole role) {
  return ColorOf(QGuiApplication::palette().color(role));
}

SmColor Selected(SmColor color, bool selected) {
  return selected ? GetPaletteColor(color, false) : color;
}

void Fill(QPainter& painter, const QRect& rect, SmColor color) {
  if (rect.width() > 0 && rect.height() > 0) painter.fillRect(rect, SmColorFromRef(color));
}

// The exclusive right and bottom edges, as the grid counts them.
int RightOf(const QRect& r) {
  return r.x() + r.width();
}
int BottomOf(const QRect& r) {
  return r.y() + r.height();
}

// A painter for measuring texts outside painting.
QPainter& MeasurePainter() {
  static QImage image(1, 1, QImage::Format_RGB32);
  static QPainter painter(&image);
  return painter;
}

// The plain position after the character at `position`.
int NextCharPos(const std::string& plain, int position) {
  const size_t offset = Utf8OffsetOfGbkPos(plain, static_cast<size_t>(position));
  if (offset >= plain.size()) return static_cast<int>(GbkSize(plain));
  return static_cast<int>(GbkPosOfUtf8Offset(plain, offset + Utf8Next(plain, offset)));
}

bool IsWordStop(char c) {
  return c == '(' || c == ')' || c == '*' || c == '+' || c == '-' || c == '/';
}

bool IsLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

}  // namespace

CRiloView::CRiloView(QWidget* parent)
    : CSmView(parent),
      m_hBar(new QScrollBar(Qt::Horizontal, this)),
      m_vBar(new QScrollBar(Qt::Vertical, this)) {
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_InputMethodEnabled);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAutoFillBackground(false);
  setMinimumSize(1, 1);
  const auto scrollCode = [](int action) {
    switch (action) {
      case QAbstractSlider::SliderSingleStepAdd:
        return SM_SB_LINEDOWN;
      case QAbstractSlider::SliderSingleStepSub:
        return SM_SB_LINEUP;
      case QAbstractSlider::SliderPageStepAdd:
        return SM_SB_PAGEDOWN;
      case QAbstractSlider::SliderPageStepSub:
        return SM_SB_PAGEUP;
      case QAbstractSlider::SliderToMinimum:
        return SM_SB_TOP;
      case QAbstractSlider::SliderToMaximum:
        return SM_SB_BOTTOM;
      case QAbstractSlider::SliderMove:
        return SM_SB_THUMBTRACK;
      default:
        return SM_SB_ENDSCROLL;
    }
  };
  // The bar's own step is replaced by a step over whole cells.
  connect(m_hBar, &QAbstractSlider::actionTriggered, this, [this, scrollCode](int action) {
    OnHScroll(scrollCode(action), m_hBar->sliderPosition());
    m_hBar->setSliderPosition(ScrollPosition().x());
  });
  connect(m_vBar, &QAbstractSlider::actionTriggered, this, [this, scrollCode](int action) {
    OnVScroll(scrollCode(action), m_vBar->sliderPosition());
    m_vBar->setSliderPosition(ScrollPosition().y());
  });
  setMouseTracking(true);
  m_dragTimer.setObjectName("dragTimer");
  m_dragTimer.setInterval(100);
  connect(&m_dragTimer, &QTimer::timeout, this, [this] { DragTo(m_lastMouse); });
  m_blink.setInterval(kBlinkMs);
  connect(&m_blink, &QTimer::timeout, this, [this] {
    m_caret.blinkOn = !m_caret.blinkOn;
    update(CaretRect());
  });
}

CRiloDoc* CRiloView::GetDocument() const {
  return dynamic_cast<CRiloDoc*>(CSmView::GetDocument());
}

const CRiloData* CRiloView::Sheet() const {
  const CRiloDoc* doc = GetDocument();
  return doc ? &doc->m_sheet : nullptr;
}

bool CRiloView::HasCells() const {
  const CRiloData* sheet = Sheet();
  return sheet && sheet->m_rows > 0 && sheet->m_cols > 0;
}

bool CRiloView::IsReadOnly() const {
  const CRiloDoc* doc = GetDocument();
  return !doc || doc->m_readOnly != 0;
}

int CRiloView::Zoom() const {
  const CRiloData* sheet = Sheet();
  return sheet ? sheet->m_screenFactor : 100;
}

void CRiloView::OnInitialUpdate() {
  CSmView::OnInitialUpdate();
  m_firstColumn = 0;
  m_firstRow = 0;
  SetScaleFactors();
  UpdateScrollSizes();
  if (auto* frame = dynamic_cast<CRiloChildFrm*>(GetParentFrame())) {
    if (frame->FormatBar()) frame->FormatBar()->FillCombos();
  }
}

void CRiloView::OnUpdate(CSmView* /*sender*/, long /*hint*/) {
  UpdateScrollSizes();
  update();
}

bool CRiloView::OnUpdateCommand(int id, CSmCmdUI& ui) {
  if (OnUpdateHistoryCommand(id, ui)) return true;
  if (OnUpdateFormatCommand(id, ui)) return true;
  if (OnUpdateFillCommand(id, ui)) return true;
  if (id == SM_ID_FILE_PRINT || id == SM_ID_FILE_PRINT_PREVIEW || id == SM_ID_FILE_PAGE_SETUP) {
    ui.Enable(HasCells());
    return true;
  }
  return CSmView::OnUpdateCommand(id, ui);
}

bool CRiloView::OnCommand(int id) {
  if (OnHistoryCommand(id)) return true;
  if (OnFormatCommand(id)) return true;
  if (OnFillCommand(id)) return true;
  if (id == SM_ID_FILE_PRINT || id == SM_ID_FILE_PRINT_PREVIEW) {
    RiloPrintReport(this, id);
    return true;
  }
  if (id == SM_ID_FILE_PAGE_SETUP) {
    RiloPageSetup(this);
    return true;
  }
  if (id != SM_ID_HELP) return CSmView::OnCommand(id);
  HelpKeyword();  // the keyword would open its help page; there are no help pages
  SmShowHelp();
  return true;
}

void CRiloView::SetScaleFactors() {
  if (CRiloDoc* doc = GetDocument()) {
    doc->m_screenScaleX = kRiloScreenScale;
    doc->m_screenScaleY = kRiloScreenScale;
  }
}

// ---------------------------------------------------------------- panes

void CRiloView::SetPanePosition(int row, int column) {
  m_paneRow = row;
  m_paneColumn = column;
}

std::vector<CRiloView*> CRiloView::Panes() {
  CSmChildFrame* frame = GetParentFrame();
  if (!frame) return {this};
  const QList<CRiloView*> views = frame->findChildren<CRiloView*>();
  return {views.begin(), views.end()};
}

void CRiloView::UpdateAllPanes() {
  for (CRiloView* pane : Panes()) pane->update();
}

// ---------------------------------------------------------------- geometry

int CRiloView::ColumnExtent(int column) const {
  const CRiloData* sheet = Sheet();
  const CRiloDoc* doc = GetDocument();
  if (!sheet || column < 0 || static_cast<size_t>(column) >= sheet->m_colWidths.size()) return 0;
  const double width = static_cast<unsigned>(sheet->m_colWidths[static_cast<size_t>(column)]);
  return static_cast<int>(width * Zoom() * doc->m_screenScaleX * 0.01);
}

int CRiloView::RowExtent(int row) const {
  const CRiloData* sheet = Sheet();
  const CRiloDoc* doc = GetDocument();
  if (!sheet || row < 0 || static_cast<size_t>(row) >= sheet->m_rowHeights.size()) return 0;
  const double height = static_cast<unsigned>(sheet->m_rowHeights[static_cast<size_t>(row)]);
  return static_cast<int>(height * Zoom() * doc->m_screenScaleY * 0.01);
}

int CRiloView::RowHeaderWidth() const {
  return m_paneColumn == 0 ? Zoom() * 30 / 100 : 0;
}

int CRiloView::ColumnHeaderHeight() const {
  return m_paneRow == 0 ? Zoom() * 20 / 100 : 0;
}

QPoint CRiloView::CellOrigin(int column, int row) const {
  int x = RowHeaderWidth();
  for (int c = 0; c < column; ++c) x += ColumnExtent(c);
  int y = ColumnHeaderHeight();
  for (int r = 0; r < row; ++r) y += RowExtent(r);
  return {x, y};
}

QRect CRiloView::CellRect(int column, int row) const {
  return QRect(CellOrigin(column, row), QSize(ColumnExtent(column), RowExtent(row)));
}

QPoint CRiloView::ScrollPosition() const {
  return CellOrigin(m_firstColumn, m_firstRow) - QPoint(RowHeaderWidth(), ColumnHeaderHeight());
}

QRect CRiloView::ClientRect() const {
  return QRect(0, 0, std::max(width() - m_vBar->sizeHint().width(), 0),
               std::max(height() - m_hBar->sizeHint().height(), 0));
}

QRect CRiloView::GridArea() const {
  const QRect client = ClientRect();
  const int left = RowHeaderWidth();
  const int top = ColumnHeaderHeight();
  return QRect(left, top, client.width() - left, client.height() - top)
      .translated(ScrollPosition());
}

// ---------------------------------------------------------------- scrolling

void CRiloView::UpdateScrollSizes() {
  const CRiloData* sheet = Sheet();
  if (!sheet) return;
  const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
  const QPoint corner = CellOrigin(sheet->m_cols, sheet->m_rows);
  const QRect client = ClientRect();
  const QPoint scroll = ScrollPosition();
  const QSignalBlocker hBlock(m_hBar);
  const QSignalBlocker vBlock(m_vBar);
  m_hBar->setRange(0, std::max(corner.x() + screen.width() - client.width(), scroll.x()));
  m_vBar->setRange(0, std::max(corner.y() + screen.height() - client.height(), scroll.y()));
  m_hBar->setPageStep(kPageSize);
  m_vBar->setPageStep(kPageSize);
  m_hBar->setSingleStep(kLineX);
  m_vBar->setSingleStep(kLineY);
  m_hBar->setValue(scroll.x());
  m_vBar->setValue(scroll.y());
}

namespace {

// The first visible column (row) after a scroll code, over cells of the given pixel extents:
// `room` is the pane's size less its header, `thumb` a pixel offset from cell 0.
int ScrollTarget(int code, int thumb, int first, int last, const std::function<int(int)>& extent,
                 int room) {
  switch (code) {
    case SM_SB_LINEUP:
      return std::max(first - 1, 0);
    case SM_SB_LINEDOWN:
      return std::min(first + 1, last);
    case SM_SB_PAGEUP: {
      // Back over as many cells as fit into the pane together.
      int used = 0;
      int steps = 0;
      for (int i = first - 1; i >= 0 && used + extent(i) <= room; --i, ++steps) used += extent(i);
      return std::max(first - std::max(steps, 1), 0);
    }
    case SM_SB_PAGEDOWN: {
      // On to the cell the pane's far edge cuts.
      int far = extent(first);
      int i = first;
      for (; i < last && far < room; far += extent(++i)) {
      }
      return std::min(std::max(i, first + 1), last);
    }
    case SM_SB_THUMBTRACK: {
      int i = 0;
      for (int far = extent(0); i < last && far <= thumb; far += extent(++i)) {
      }
      return i;
    }
    case SM_SB_TOP:
      return 0;
    case SM_SB_BOTTOM:
      return last;
    default:
      return first;
  }
}

}  // namespace

void CRiloView::OnHScroll(int code, int thumb) {
  if (!HasCells()) return;
  const int first = ScrollTarget(
      code, thumb, m_firstColumn, Sheet()->m_cols - 1, [this](int c) { return ColumnExtent(c); },
      ClientRect().width() - RowHeaderWidth());
  if (first != m_firstColumn) SetFirstColumn(first);
}

void CRiloView::OnVScroll(int code, int thumb) {
  if (!HasCells()) return;
  const int first = ScrollTarget(
      code, thumb, m_firstRow, Sheet()->m_rows - 1, [this](int r) { return RowExtent(r); },
      ClientRect().height() - ColumnHeaderHeight());
  if (first != m_firstRow) SetFirstRow(first);
}

// Panes of one splitter column scroll across together, panes of one row up and down.
void CRiloView::SetFirstColumn(int column) {
  for (CRiloView* pane : Panes()) {
    if (pane->m_paneColumn != m_paneColumn) continue;
    pane->m_firstColumn = column;
    pane->UpdateScrollSizes();
    pane->update();
  }
}

void CRiloView::SetFirstRow(int row) {
  for (CRiloView* pane : Panes()) {
    if (pane->m_paneRow != m_paneRow) continue;
    pane->m_firstRow = row;
    pane->UpdateScrollSizes();
    pane->update();
  }
}

void CRiloView::wheelEvent(QWheelEvent* event) {
  OnVScroll(event->angleDelta().y() <= 0 ? SM_SB_LINEDOWN : SM_SB_LINEUP);
  event->accept();
}

void CRiloView::resizeEvent(QResizeEvent* event) {
  CSmView::resizeEvent(event);
  const int bar = m_vBar->sizeHint().width();
  const int barHeight = m_hBar->sizeHint().height();
  m_vBar->setGeometry(width() - bar, 0, bar, std::max(height() - barHeight, 0));
  m_hBar->setGeometry(0, height() - barHeight, std::max(width() - bar, 0), barHeight);
  SetScaleFactors();
  UpdateScrollSizes();
}

// ---------------------------------------------------------------- painting

void CRiloView::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  const QRect client = ClientRect();
  painter.fillRect(QRect(client.right() + 1, client.bottom() + 1, width(), height()),
                   palette().color(QPalette::Button));
  painter.setClipRect(client);
  if (!Sheet()) {
    painter.fillRect(client, palette().color(QPalette::Base));
    return;
  }
  if (hasFocus() && HasCells() && !IsReadOnly()) {
    // The caret follows the current cell and the scroll position.
    PlaceCaret(nullptr);
  }
  painter.save();
  painter.translate(-ScrollPosition());
  DrawHeaders(painter);
  DrawGrid(painter);
  painter.restore();
  DrawCaret(painter);
  if (!HasCells() && m_paneRow == 0 && m_paneColumn == 0) DrawEmptySheetHint(painter, client);
  if (const std::optional<QLine> line = TrackingLine()) {
    // The border being dragged, inverted over whatever it crosses.
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.fillRect(QRect(line->p1(), line->p2()), Qt::white);
  }
}

void CRiloView::DrawEmptySheetHint(QPainter& painter, const QRect& client) {
  const QRect room = client.adjusted(RowHeaderWidth() + 16, ColumnHeaderHeight() + 16, -16, -16);
  painter.setPen(palette().color(QPalette::PlaceholderText));
  painter.drawText(room, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                   QString::fromUtf8(kRiloEmptySheetHint));
}

void CRiloView::DrawHeaders(QPainter& painter) {
  const CRiloData& sheet = *Sheet();
  const CRiloDoc& doc = *GetDocument();
  const QRect client = ClientRect();
  const QPoint scroll = ScrollPosition();
  const int rowHeader = RowHeaderWidth();
  const int columnHeader = ColumnHeaderHeight();
  if (m_paneRow == 0 && m_paneColumn == 0) {
    DrawHeaderCell(painter, QRect(scroll, QSize(rowHeader, columnHeader)), {},
                   doc.IsCellSelected(-1, -1));
  }
  if (columnHeader > 0) {
    int x = CellOrigin(m_firstColumn, 0).x();
    for (int c = m_firstColumn; c < sheet.m_cols && x < client.width() + scroll.x(); ++c) {
      const QRect rect(x, scroll.y(), ColumnExtent(c), columnHeader);
      DrawHeaderCell(painter, rect, QString::fromStdString(ColumnLabel(c)),
                     doc.IsCellSelected(c, -1));
      x += ColumnExtent(c);
    }
  }
  if (rowHeader > 0) {
    int y = CellOrigin(0, m_firstRow).y();
    for (int r = m_firstRow; r < sheet.m_rows && y < client.height() + scroll.y(); ++r) {
      const QRect rect(scroll.x(), y, rowHeader, RowExtent(r));
      DrawHeaderCell(painter, rect, QString::number(r + 1), doc.IsCellSelected(-1, r));
      y += RowExtent(r);
    }
  }
}

void CRiloView::DrawHeaderCell(QPainter& painter, const QRect& rect, const QString& label,
                               bool selected) {
  if (rect.width() <= 0 || rect.height() <= 0) return;
  const SmColor face = Selected(SystemColor(QPalette::Button), selected);
  const SmColor text = Selected(SystemColor(QPalette::WindowText), selected);
  const SmColor light = Selected(SystemColor(QPalette::Base), selected);
  const int right = RightOf(rect);
  const int bottom = BottomOf(rect);
  Fill(painter, QRect(rect.x(), rect.y(), 2, rect.height()), light);
  Fill(painter, QRect(rect.x(), rect.y(), rect.width(), 2), light);
  const QRect inner(QPoint(rect.x() + 2, rect.y() + 2), QPoint(right - 2, bottom - 2));
  Fill(painter, inner, face);
  if (!label.isEmpty()) {
    SmLogFont logFont = RiloDefaultState().font;
    logFont.weight = 600;
    QFont font = SmMakeFont(logFont, HeaderFontHeight());
    font.setWeight(QFont::DemiBold);
    painter.save();
    painter.setClipRect(inner, Qt::IntersectClip);
    painter.setFont(font);
    painter.setPen(SmColorFromRef(text));
    const int width = QFontMetrics(font, painter.device()).horizontalAdvance(label);
    painter.drawText(inner.x() + (inner.width() - width) / 2, bottom - 1 - 3, label);
    painter.restore();
  }
  Fill(painter, QRect(rect.x(), bottom - 1, rect.width(), 1), text);
  Fill(painter, QRect(right - 1, rect.y(), 1, rect.height()), text);
}

void CRiloView::DrawGrid(QPainter& painter) {
  const CRiloData& sheet = *Sheet();
  const QRect client = ClientRect();
  const QPoint scroll = ScrollPosition();
  const QPoint first = CellOrigin(m_firstColumn, m_firstRow);
  int y = first.y();
  int r = m_firstRow;
  int x = first.x();
  int c = m_firstColumn;
  for (; r < sheet.m_rows && y < client.height() + scroll.y(); y += RowExtent(r), ++r) {
    x = first.x();
    for (c = m_firstColumn; c < sheet.m_cols && x < client.width() + scroll.x();
         x += ColumnExtent(c), ++c) {
      const bool current = sheet.m_currentCell == SmIntPair{c, r};
      DrawCell(painter, c, r, current);
    }
  }
  const SmColor window = SystemColor(QPalette::Base);
  const QRect view = client.translated(scroll);
  const QPoint corner = CellOrigin(sheet.m_cols, sheet.m_rows);
  if (r >= sheet.m_rows) {
    Fill(painter, QRect(view.x(), corner.y() + 1, view.width(), BottomOf(view) - corner.y()),
         window);
  }
  if (c >= sheet.m_cols) {
    Fill(painter, QRect(corner.x() + 1, view.y(), RightOf(view) - corner.x(), view.height()),
         window);
  }
}

void CRiloView::DrawCell(QPainter& painter, int column, int row, bool current) {
  if (column < m_firstColumn || row < m_firstRow) return;
  if (current) {
    DrawCurrentCell(painter, column, row);
    return;
  }
  const bool selected = GetDocument()->IsCellSelected(column, row);
  painter.save();
  painter.setPen(SmColorFromRef(Selected(SystemColor(QPalette::Base), selected)));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(CellRect(column, row).adjusted(2, 2, -3, -3));
  painter.restore();
  DrawCellText(painter, column, row);
  DrawCellEdges(painter, column, row);
}

void CRiloView::DrawCellText(QPainter& painter, int column, int row) {
  if (column < 0 || row < 0) return;
  const CRiloDoc& doc = *GetDocument();
  const SmRiloCellFormat format = doc.GetCellFormat(column, row);
  const int horizontal = format.layout3.first;
  const int vertical = format.layout3.second;
  if (horizontal >= 4 || vertical == 4) {
    DrawBlockText(painter, column, row);
    return;
  }
  const bool selected = doc.IsCellSelected(column, row);
  const SmColor back = Selected(static_cast<SmColor>(format.backColor), selected);
  const QRect inside = CellInside(column, row);
  Fill(painter, inside, back);
  const std::string text = doc.GetDisplayText(column, row, true, true);
  if (text.empty()) return;
  const QRect box = inside.adjusted(5, 3, -5, -3);
  painter.setBackground(SmColorFromRef(back));
  DrawAlignedText(painter, box, box, text, horizontal, vertical, selected);
}

QRect CRiloView::CellInside(int column, int row) const {
  const SmRiloCellFormat format = GetDocument()->GetCellFormat(column, row);
  QRect rect = CellRect(column, row);
  if (format.lineStyles[0] == kThickLine) rect.setLeft(rect.left() + 1);
  if (format.lineStyles[1] == kThickLine) rect.setTop(rect.top() + 1);
  return rect;
}

SmRiloLine CRiloView::EditedLine(QPaintDevice* device, int height) const {
  const SmIntPair cell = GetDocument()->m_sheet.m_currentCell;
  const int vertical = GetDocument()->GetCellFormat(cell.first, cell.second).layout3.second;
  // A block spanning rows is centred; the edited cell keeps to its own row.
  return RiloPlaceLine(device, CellInside(cell.first, cell.second).adjusted(5, 3, -5, -3), height,
                       vertical == 4 ? 0 : vertical);
}

void CRiloView::DrawAlignedText(QPainter& painter, const QRect& box, const QRect& clip,
                                std::string text, int horizontal, int vertical, bool selected) {
  CRiloRichText engine;
  engine.m_context.zoom = Zoom();
  engine.m_context.screenScaleY = GetDocument()->m_screenScaleY;
  engine.m_context.cellSelected = selected;
  RiloDrawAlignedText(engine, painter, box, clip, std::move(text), horizontal, vertical);
}

void CRiloView::DrawBlockText(QPainter& painter, int column, int row) {
  const CRiloDoc& doc = *GetDocument();
  const SmRiloCellFormat format = doc.GetCellFormat(column, row);
  const int horizontal = format.layout3.first;
  const int vertical = format.layout3.second;
  const bool spanColumns = horizontal >= 4;
  const bool spanRows = vertical == 4;
  const int c0 = spanColumns ? format.layout4.first : column;
  const int c1 = spanColumns ? format.layout5.first : column;
  const int r0 = spanRows ? format.layout4.second : row;
  const int r1 = spanRows ? format.layout5.second : row;
  QRect cell = CellRect(column, row);
  if (spanColumns && column == c0 && format.lineStyles[0] == kThickLine)
    cell.setLeft(cell.left() + 1);
  if (spanRows && row == r0 && format.lineStyles[1] == kThickLine) cell.setTop(cell.top() + 1);
  int blockWidth = 0;
  for (int c = c0; c <= c1; ++c) blockWidth += ColumnExtent(c);
  int blockHeight = 0;
  for (int r = r0; r <= r1; ++r) blockHeight += RowExtent(r);
  const QRect block(CellOrigin(c0, r0), QSize(blockWidth, blockHeight));
  const QRect clip = GridArea().intersected(cell).intersected(block);
  const bool selected = doc.IsCellSelected(column, row);
  const SmColor back = Selected(static_cast<SmColor>(format.backColor), selected);
  Fill(painter, clip, back);
  if (clip.isEmpty()) return;
  painter.setBackground(SmColorFromRef(back));
  const QRect box = block.adjusted(5, 3, -5, -3);
  if (spanColumns && r1 - r0 < 2) {
    const std::string text = doc.GetDisplayText(c0, spanRows ? r0 : row, true, true);
    const int shownVertical = vertical == 0 || vertical == 4 ? 0 : vertical == 2 ? 2 : 1;
    if (!text.empty())
      DrawAlignedText(painter, box, clip, text, horizontal - 4, shownVertical, selected);
    return;
  }
  // One line per row of the block, the free height shared out around the lines.
  struct Line {
    std::string text;
    int height;
  };
  std::vector<Line> lines;
  int total = 0;
  CRiloRichText engine;
  engine.m_context.zoom = Zoom();
  for (int r = r0; r <= r1; ++r) {
    std::string text = doc.GetDisplayText(c0, r, true, true);
    if (text.empty()) continue;
    std::string measured = text;
    SmRiloTextState state;
    const int height = engine.RenderRichText(painter, measured, state, {}).height;
    lines.push_back({text, height});
    total += height;
  }
  if (lines.empty()) return;
  const double share =
      static_cast<double>(box.height() - total) / static_cast<double>(lines.size());
  double y = box.top();
  for (const Line& line : lines) {
    // Each line paints only its own band, so that it leaves its neighbours standing.
    const int bandTop = static_cast<int>(y);
    y += share / 2;
    const QRect lineBox(box.left(), static_cast<int>(y), box.width(), line.height);
    y += line.height + share / 2;
    const QRect band(block.left(), bandTop, block.width(), static_cast<int>(y) - bandTop);
    DrawAlignedText(painter, lineBox, clip.intersected(band), line.text, horizontal & 3, 1,
                    selected);
  }
}

void CRiloView::DrawEdge(QPainter& painter, int kind, SmColor color, QPoint from, QPoint to,
                         bool first, bool selected) {
  if (kind != kThinLine && kind != kThickLine && kind != kDashedLine) return;
  const int width = kind == kThickLine && !first ? 3 : 1;
  const QColor shown = SmColorFromRef(Selected(color, selected));
  const int shift = 2 * (width / 2);
  from -= QPoint(shift, shift);
  to -= QPoint(shift, shift);
  if (kind == kDashedLine) {
    painter.save();
    painter.setPen(QPen(shown, 1, Qt::DotLine));
    painter.drawLine(from, to.x() > from.x() ? to - QPoint(1, 0) : to - QPoint(0, 1));
    painter.restore();
    return;
  }
  const QRect line = from.x() == to.x()
                         ? QRect(from.x(), from.y(), width, to.y() - from.y() + width)
                         : QRect(from.x(), from.y(), to.x() - from.x() + width, width);
  painter.fillRect(line, shown);
}

void CRiloView::DrawCellEdges(QPainter& painter, int column, int row) {
  const CRiloDoc& doc = *GetDocument();
  const CRiloData& sheet = doc.m_sheet;
  const QRect rect = CellRect(column, row);
  const int left = rect.x();
  const int top = rect.y();
  const int right = RightOf(rect);
  const int bottom = BottomOf(rect);
  const SmColor window = SystemColor(QPalette::Base);
  const bool lastColumn = column == sheet.m_cols - 1;
  const bool lastRow = row == sheet.m_rows - 1;
  if (lastRow) {
    Fill(painter, QRect(left, bottom, rect.width() + 3, 3), window);
  } else if (lastColumn) {
    Fill(painter, QRect(right, top, 3, rect.height()), window);
  }
  const SmRiloCellFormat format = doc.GetCellFormat(column, row);
  const bool selected = doc.IsCellSelected(column, row);
  const bool drawLeft = format.layout3.first < 4 || column == format.layout4.first;
  const bool drawTop = format.layout3.second != 4 || row == format.layout4.second;
  const auto color = [&](size_t i) { return static_cast<SmColor>(format.lineColors[i]); };
  if (drawLeft) {
    DrawEdge(painter, format.lineStyles[0], color(0), {left, top}, {left, bottom},
             column == m_firstColumn, selected);
  }
  if (drawTop) {
    DrawEdge(painter, format.lineStyles[1], color(1), {left, top}, {right, top}, row == m_firstRow,
             selected);
  }
  if (lastColumn) {
    DrawEdge(painter, format.lineStyles[2], color(2), {right, top}, {right, bottom}, false,
             selected);
  }
  if (lastRow) {
    DrawEdge(painter, format.lineStyles[3], color(3), {left, bottom}, {right, bottom}, false,
             selected);
  }
}

void CRiloView::DrawBlockEdges(QPainter& painter, int column, int row) {
  const CRiloDoc& doc = *GetDocument();
  const CRiloData& sheet = doc.m_sheet;
  const SmRiloCellFormat format = doc.GetCellFormat(column, row);
  int c0 = column;
  int c1 = column;
  int r0 = row;
  int r1 = row;
  if (format.layout3.first >= 4) {
    c0 = format.layout4.first;
    c1 = format.layout5.first;
  }
  if (format.layout3.second == 4) {
    r0 = format.layout4.second;
    r1 = format.layout5.second;
  }
  c1 = std::min(c1 + 1, sheet.m_cols - 1);
  r1 = std::min(r1 + 1, sheet.m_rows - 1);
  for (int r = r0; r <= r1; ++r) {
    for (int c = std::max(c0, m_firstColumn); c <= c1; ++c) {
      if (r == r0 || r == r1 || c == c0 || c == c1) DrawCellEdges(painter, c, r);
    }
  }
}

void CRiloView::DrawCurrentCell(QPainter& painter, int column, int row) {
  const CRiloDoc& doc = *GetDocument();
  const SmRiloCellFormat format = doc.GetCellFormat(column, row);
  const bool selected = doc.IsCellSelected(column, row);
  const SmColor back = Selected(static_cast<SmColor>(format.backColor), selected);
  const QRect rect = CellRect(column, row);
  const std::string text = doc.GetLayerText(column, row, doc.m_editMode);
  // With nothing in the edited layer (a formula not written yet, or a child table value where
  // the master text stands) the cell shows what it shows when it is not current.
  const bool edited = !CRiloDoc::StripCodes(text).empty();
  if (edited) {
    Fill(painter, rect, back);
  } else {
    DrawCellText(painter, column, row);
  }
  DrawCellEdges(painter, column, row);
  painter.save();
  painter.setPen(SmColorFromRef(Selected(SystemColor(QPalette::Highlight), selected)));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(rect.adjusted(2, 2, -3, -3));
  painter.restore();
  if (!edited) return;
  const QRect inner = rect.adjusted(3, 3, -3, -3);
  KeepCaretInCell();
  CRiloRichText engine;
  engine.m_context.zoom = Zoom();
  engine.m_context.cellSelected = selected;
  if (doc.m_sheet.m_selectMode == 1) {
    engine.m_context.selStart = doc.m_sheet.m_textSelect.first;
    engine.m_context.selEnd = doc.m_sheet.m_textSelect.second;
  }
  painter.setBackground(SmColorFromRef(back));
  SmRiloTextState state;
  std::string measured = text;
  const int height = engine.RenderRichText(painter, measured, state, {}).height;
  // On the baseline the cell's text has when it is not current.
  SmRiloRenderRequest request;
  request.origin = QPoint(rect.x() + 3, EditedLine(painter.device(), height).baseline);
  request.clip = inner;
  request.startIndex = doc.m_sheet.m_caret.second;
  std::string shown = text;
  engine.RenderRichText(painter, shown, state, request);
}

// ---------------------------------------------------------------- current cell and caret

int CRiloView::EditedWidth(const std::string& text, int stop) const {
  const int first = GetDocument()->m_sheet.m_caret.second;
  if (stop <= first) return 0;
  CRiloRichText engine;
  engine.m_context.zoom = Zoom();
  SmRiloRenderRequest request;
  request.startIndex = first;
  request.stopIndex = stop;
  std::string measured = text;
  SmRiloTextState state;
  return engine.RenderRichText(MeasurePainter(), measured, state, request).width;
}

void CRiloView::KeepCaretInCell() {
  CRiloDoc& doc = *GetDocument();
  SmIntPair& caret = doc.m_sheet.m_caret;
  const SmIntPair cell = doc.m_sheet.m_currentCell;
  const std::string text = doc.GetLayerText(cell.first, cell.second, doc.m_editMode);
  if (caret.second > caret.first) caret.second = 0;
  // The text is shown 3 pixels inside the cell on either side.
  const int room = ColumnExtent(cell.first) - 6;
  const int width = EditedWidth(text, caret.first);
  if (room <= 0 || width < room) return;
  CRiloRichText engine;
  engine.m_context.zoom = Zoom();
  SmRiloRenderRequest request;
  request.startIndex = caret.second;
  request.hitX = width - room;
  std::string measured = text;
  SmRiloTextState state;
  const int hit = engine.RenderRichText(MeasurePainter(), measured, state, request).hitIndex;
  const std::string plain = CRiloDoc::StripCodes(text);
  caret.second = std::min(NextCharPos(plain, hit < 0 ? caret.second : hit), caret.first);
}

void CRiloView::PlaceCaret(const QPoint* point) {
  CRiloDoc& doc = *GetDocument();
  SmIntPair& caret = doc.m_sheet.m_caret;
  const SmIntPair cell = doc.m_sheet.m_currentCell;
  const std::string text = doc.GetLayerText(cell.first, cell.second, doc.m_editMode);
  const QRect rect = CellRect(cell.first, cell.second);
  CRiloRichText engine;
  engine.m_context.zoom = Zoom();
  std::string measured = text;
  SmRiloTextState state;
  const int height = engine.RenderRichText(MeasurePainter(), measured, state, {}).height;
  const int length = static_cast<int>(GbkSize(measured));
  caret.first = std::clamp(caret.first, 0, length);
  if (point) {
    const int x = point->x() - rect.x() - 3;
    SmRiloRenderRequest request;
    request.startIndex = std::min(caret.second, caret.first);
    request.hitX = x;
    measured = text;
    const int hit = engine.RenderRichText(MeasurePainter(), measured, state, request).hitIndex;
    caret.first = x < 0 ? request.startIndex : hit < 0 ? length : hit;
  }
  KeepCaretInCell();
  if (caret.first > 0) {
    SmRiloRenderRequest request;
    request.stopIndex = caret.first;
    measured = text;
    engine.RenderRichText(MeasurePainter(), measured, doc.m_caretState, request);
  } else {
    doc.m_caretState = RiloDefaultState();
  }
  const QPoint at(rect.x() + EditedWidth(text, caret.first) + 3,
                  EditedLine(MeasurePainter().device(), height).bottom - height);
  const bool visible = rect.contains(at) && GridArea().contains(at);
  m_caret.size = QSize(height / 15 + 1, height);
  if (m_caret.created)
    SetCaretPos(visible ? at - ScrollPosition() : QPoint(kHiddenCaret, kHiddenCaret));
  m_pendingCaret = visible ? at - ScrollPosition() : QPoint(kHiddenCaret, kHiddenCaret);
}

void CRiloView::SetCurrentCell(int column, int row, const QPoint* point, int mode) {
  CRiloDoc* doc = GetDocument();
  if (!doc || !HasCells()) return;
  const bool readOnly = IsReadOnly();
  if (!readOnly) HideCaret();
  if (mode != 1) UpdateAllPanes();
  std::optional<SmIntPair> hit;
  if (point) hit = HitCell(*point);
  if (hit) {
    doc->m_sheet.m_currentCell = *hit;
  } else if (!point) {
    doc->m_sheet.m_currentCell = {column, row};
  }
  if (!readOnly) ShowCaret();
  if (mode == 2) return;
  DestroyCaret();
  UpdateAllPanes();
  PlaceCaret(hit ? point : nullptr);
  CRiloData& sheet = doc->m_sheet;
  if (sheet.m_selectMode == 0) sheet.m_textSelect = {sheet.m_caret.first, sheet.m_caret.first};
  if (sheet.m_selectMode == 1 && hit) sheet.m_textSelect.second = sheet.m_caret.first;
  UpdateStatusText();
  if (readOnly) return;
  doc->RefreshFormatState();
  CreateCaret(m_caret.size);
  SetCaretPos(m_pendingCaret);
  ShowCaret();
}

void CRiloView::CreateCaret(QSize size) {
  if (IsReadOnly()) return;
  m_caret.created = true;
  m_caret.shown = false;
  m_caret.size = size;
}

void CRiloView::DestroyCaret() {
  if (IsReadOnly()) return;
  m_caret.created = false;
  m_caret.shown = false;
  m_blink.stop();
}

void CRiloView::ShowCaret() {
  if (IsReadOnly() || !m_caret.created) return;
  m_caret.shown = true;
  m_caret.blinkOn = true;
  m_blink.start();
}

void CRiloView::HideCaret() {
  if (IsReadOnly()) return;
  m_caret.shown = false;
}

void CRiloView::SetCaretPos(QPoint pos) {
  m_caret.pos = pos;
}

void CRiloView::DrawCaret(QPainter& painter) {
  if (!IsCaretShown() || !m_caret.blinkOn) return;
  painter.save();
  painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  painter.fillRect(CaretRect(), Qt::white);
  painter.restore();
}

void CRiloView::focusInEvent(QFocusEvent* event) {
  CSmView::focusInEvent(event);
  if (CSmChildFrame* frame = GetParentFrame()) frame->SetActiveView(this);
  if (!IsReadOnly()) {
    CreateCaret(QSize(2, 15));
    ShowCaret();
    SetCaretPos(m_savedCaret);
  }
  update();
}

void CRiloView::focusOutEvent(QFocusEvent* event) {
  CSmView::focusOutEvent(event);
  if (!IsReadOnly()) {
    m_savedCaret = m_caret.pos;
    HideCaret();
    DestroyCaret();
  }
  update();
}

// ---------------------------------------------------------------- help

std::optional<std::string> CRiloView::HelpKeyword() const {
  const CRiloDoc* doc = GetDocument();
  if (!doc || !HasCells()) return std::nullopt;
  const CRiloData& sheet = doc->m_sheet;
  if (sheet.m_selectMode == 2) return std::nullopt;
  const SmIntPair cell = sheet.m_currentCell;
  std::string text =
      CRiloDoc::StripCodes(doc->GetLayerText(cell.first, cell.second, doc->m_editMode));
  int caret = sheet.m_caret.first;
  if (sheet.m_selectMode == 1 && sheet.m_textSelect.first != sheet.m_textSelect.second) {
    const int start = std::min(sheet.m_textSelect.first, sheet.m_textSelect.second);
    const int end = std::max(sheet.m_textSelect.first, sheet.m_textSelect.second);
    text = GbkMid(text, static_cast<size_t>(start), static_cast<size_t>(end - start));
    caret -= start;
  }
  const size_t at = Utf8OffsetOfGbkPos(
      text, static_cast<size_t>(std::clamp(caret, 0, static_cast<int>(GbkSize(text)))));
  // Back from the caret to the start of the name.
  size_t start = at;
  bool found = false;
  for (; start > 0; --start) {
    const char c = text[start - 1];
    if (c == '#') return std::string("#");
    if ((c == ')' || c == '*' || c == '+' || c == '-' || c == '/') && IsLetter(text[start])) {
      found = true;
      break;
    }
  }
  if (!found) {
    start = 0;
    while (start < text.size() && !IsLetter(text[start])) ++start;
  }
  size_t end = start;
  while (end < text.size() && !IsWordStop(text[end])) ++end;
  if (end == start) return std::nullopt;
  return text.substr(start, end - start);
}
