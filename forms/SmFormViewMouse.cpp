// The form grid's mouse: clicking and dragging to select, selecting rows, columns or the whole
// table from the header zones, the cursor over each zone, and resizing a column or the row gap.
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

#include "forms/SmFormView.h"
#include "res/SmResource.h"

namespace {

bool IsCellRegion(const std::string& zone) {
  return zone == "TEXT" || zone == "HEAD" || zone == "FOOT";
}

bool IsHeaderZone(const std::string& zone) {
  return zone == "TEXTL" || zone == "FORMHEAD" || zone == "FORMHEADL";
}

constexpr int kMinGapPixels = 3;

}  // namespace

QPoint CSmFormView::ToViewPoint(QPoint client) const {
  return client + QPoint(m_hbar->isHidden() ? 0 : m_hbar->value(), 0);
}

bool CSmFormView::SelectByHeader(int row, int column, const std::string& zone) {
  const int lastRow = m_nTextRows - 1;
  const int lastColumn = std::max(Columns() - 1, 0);
  SmGridCell anchor{lastRow, lastColumn, "TEXT", 0};
  SmGridCell target{0, 0, "TEXT", 0};
  if (zone == "TEXTL") {
    anchor.row = target.row = std::clamp(row, 0, lastRow);
  } else if (zone == "FORMHEAD") {
    anchor.column = target.column = std::clamp(column, 0, lastColumn);
  } else if (zone != "FORMHEADL") {
    return false;
  }
  if (m_mouseMode == 0 && !m_bShiftHeld) m_anchor = anchor;
  m_bKeepAnchor = true;
  SetCurrentCell(target.row, target.column, 0, "TEXT");
  m_bKeepAnchor = false;
  if (zone == "FORMHEAD" && m_firstRow > 0) update();
  return true;
}

bool CSmFormView::IsInSelection(int row, int column, const std::string& zone) const {
  if (!HasSelection() || zone != m_current.region) return false;
  const SmCellBlock block = SelectionBlock();
  return row >= block.row1 && row <= block.row2 && column >= block.col1 && column <= block.col2;
}

void CSmFormView::OnLButtonDown(QPoint point, Qt::KeyboardModifiers modifiers) {
  if (GetPageRows() <= 0) return;
  const QPoint at = ToViewPoint(point);
  int row = 0, column = 0;
  const std::string zone = HitTest(at, row, column);
  m_bShiftHeld = modifiers & Qt::ShiftModifier;
  if (!SelectByHeader(row, column, zone) && IsCellRegion(zone)) {
    SetCurrentCell(row, column, CaretAtX(row, column, zone, at.x()), zone);
  }
  m_bShiftHeld = false;
  m_mouseMode = 1;
  if (zone != "TEXTH" && zone != "TEXTV") return;
  m_mouseMode = 2;
  m_resizeZone = zone;
  m_resizeColumn = std::clamp(column - 1, 0, std::max(Columns() - 1, 0));
  m_resizeStart = m_trackPoint = LimitTrackPoint(at);
  update();
}

void CSmFormView::OnMouseMove(QPoint point) {
  if (GetPageRows() <= 0) return;
  const QPoint at = ToViewPoint(point);
  if (m_mouseMode == 2) {
    m_trackPoint = LimitTrackPoint(at);
    update();
    return;
  }
  int row = 0, column = 0;
  // Only a drag may append a row below the last one; passing over it does not.
  const std::string zone = HitTest(at, row, column, m_mouseMode == 1);
  if (m_mouseMode == 0) {
    SetMouseCursor(zone, row, column);
  } else if (IsHeaderZone(zone)) {
    SelectByHeader(row, column, zone);
  } else if (IsCellRegion(zone)) {
    SetCurrentCell(row, column, CaretAtX(row, column, zone, at.x()), zone);
  }
}

void CSmFormView::OnLButtonUp(QPoint point) {
  if (m_mouseMode == 2) FinishResize(LimitTrackPoint(ToViewPoint(point)));
  m_mouseMode = 0;
  m_resizeZone.clear();
}

void CSmFormView::OnRButtonDown(QPoint point, Qt::KeyboardModifiers modifiers) {
  if (GetPageRows() <= 0 || HasSelection()) return;  // the context menu acts on the selection
  // A left click without the drag that follows it: no button stays held.
  OnLButtonDown(point, modifiers);
  m_mouseMode = 0;
  m_resizeZone.clear();
}

void CSmFormView::SetMouseCursor(const std::string& zone, int row, int column) {
  if (IsInSelection(row, column, zone)) {
    setCursor(Qt::ArrowCursor);
    return;
  }
  if (zone == "TEXTV" || zone == "FORMFOOTV") {
    setCursor(SmLoadCursor(SM_IDC_ROW_GAP));
  } else if (zone == "TEXTH") {
    setCursor(SmLoadCursor(SM_IDC_COLUMN_WIDTH));
  } else if (zone == "TEXTL") {
    setCursor(SmLoadCursor(SM_IDC_ROW_SELECT));
  } else if (zone == "FORMHEAD") {
    setCursor(SmLoadCursor(SM_IDC_COLUMN_SELECT));
  } else if (zone == "FORMHEADL") {
    setCursor(SmLoadCursor(SM_IDC_SELECT_ALL));
  } else if (IsCellRegion(zone)) {
    setCursor(Qt::IBeamCursor);
  } else {
    setCursor(Qt::ArrowCursor);
  }
}

// ---------------------------------------------------------------- resizing

QPoint CSmFormView::LimitTrackPoint(QPoint point) {
  CSmFormDC& dc = ScreenDC();
  return QPoint(std::max(point.x(), GetColumnLineX(0, dc, "TEXT", 0)),
                std::max(point.y(), GetRowLineY(0, dc, "FORMHEAD")));
}

void CSmFormView::DrawTrackingLine(QPainter& painter) {
  if (m_mouseMode != 2) return;
  CSmFormDC& dc = ScreenDC();
  QRect line;
  if (m_resizeZone == "TEXTH") {
    const int top = GetRowLineY(0, dc, "FORMHEAD");
    line = QRect(m_trackPoint.x(), top, 1, GetRowLineY(0, dc, "FOOT") - top);
  } else {
    const int left = GetColumnLineX(0, dc, "TEXT", 0);
    line = QRect(left, m_trackPoint.y(), GetColumnLineX(Columns(), dc, "TEXT", 0) - left, 1);
  }
  painter.save();
  painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  painter.fillRect(line, Qt::white);
  painter.restore();
}

void CSmFormView::FinishResize(QPoint point) {
  CSmFormDC& dc = ScreenDC();
  if (m_resizeZone == "TEXTH") {
    const int moved = point.x() - m_resizeStart.x();
    if (moved == 0 || m_resizeColumn >= Columns()) return;
    const int unit = GetRegionFont("TEXT", dc).unit;
    int& width = m_widths[m_resizeColumn];
    width = std::max((width * unit + moved) / unit, 0);
    m_columnLines.clear();
    UpdateScrollSizes(true);
    return;
  }
  const int moved = point.y() - m_resizeStart.y();
  if (moved == 0 || !m_printInfo) return;
  int pixels = GetRowGap(dc) + moved;
  if (pixels < kMinGapPixels) pixels = kMinGapPixels;
  int gap = static_cast<int>(std::lround(pixels / m_screenGapScale));
  if (std::lround(gap * m_screenGapScale) < kMinGapPixels) {
    gap = static_cast<int>(std::lround(kMinGapPixels / m_screenGapScale));
  }
  if (gap == m_printInfo->PageRow) return;
  m_printInfo->PageRow = gap;
  UpdateScrollSizes(false);
  SetScrollRow(0);
  UpdateScrollSizes(true);
}

// ---------------------------------------------------------------- events

void CSmFormView::mousePressEvent(QMouseEvent* event) {
  const QPoint point = event->position().toPoint();
  if (event->button() == Qt::LeftButton) {
    OnLButtonDown(point, event->modifiers());
  } else if (event->button() == Qt::RightButton) {
    OnRButtonDown(point, event->modifiers());
  }
  event->accept();
}

void CSmFormView::mouseMoveEvent(QMouseEvent* event) {
  OnMouseMove(event->position().toPoint());
  event->accept();
}

void CSmFormView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) OnLButtonUp(event->position().toPoint());
  event->accept();
}
