// The mouse in the report view: clicks on cells and headers select, Shift extends and Ctrl adds
// areas, drags select cells or a run of text and scroll while the button is held outside the
// grid, header borders are dragged to size rows and columns, and the right button opens the
// view's menu.
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QStatusBar>
#include <functional>
#include <map>

#include "core/SmClipboard.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "designer/RiloChildFrm.h"
#include "designer/RiloView.h"
#include "res/SmResource.h"

namespace {

constexpr int kBorderBand = 3;     // pixels either side of a header border
constexpr int kScrollReach = 100;  // how far outside the pane the drag position is kept
constexpr int kArrowCursor = 0;
constexpr int kIBeamCursor = 1;

const QCursor& CursorOf(int id) {
  static std::map<int, QCursor> cursors;
  auto found = cursors.find(id);
  if (found != cursors.end()) return found->second;
  QCursor cursor = id == kArrowCursor   ? QCursor(Qt::ArrowCursor)
                   : id == kIBeamCursor ? QCursor(Qt::IBeamCursor)
                                        : SmLoadCursor(id);
  return cursors.emplace(id, cursor).first->second;
}

// The index of the cell whose [start, start + extent) holds `at`, walking from `first` at
// `origin`: -1 before `origin`, `count` at or after `limit` or past the last cell.
int WalkCells(int at, int origin, int limit, int first, int count,
              const std::function<int(int)>& extent) {
  if (at < origin) return -1;
  if (at >= limit) return count;
  int start = origin;
  for (int i = first; i < count; ++i) {
    const int e = extent(i);
    if (at >= start && at < start + e) return i;
    start += e;
  }
  return count;
}

}  // namespace

void CRiloView::SetCursorId(int id) {
  if (id == m_cursorId) return;
  m_cursorId = id;
  setCursor(CursorOf(id));
}

std::optional<SmIntPair> CRiloView::HitCell(const QPoint& logical) const {
  const CRiloData* sheet = Sheet();
  const QRect grid = GridArea();
  if (!sheet || !grid.contains(logical)) return std::nullopt;
  const int column = WalkCells(logical.x(), grid.left(), grid.left() + grid.width(), m_firstColumn,
                               sheet->m_cols, [this](int c) { return ColumnExtent(c); });
  const int row = WalkCells(logical.y(), grid.top(), grid.top() + grid.height(), m_firstRow,
                            sheet->m_rows, [this](int r) { return RowExtent(r); });
  if (column >= sheet->m_cols || row >= sheet->m_rows) return std::nullopt;
  return SmIntPair{column, row};
}

CRiloView::SmHit CRiloView::HitTestCell(const QPoint& logical) {
  SmHit hit;
  const CRiloData* sheet = Sheet();
  const QRect grid = GridArea();
  if (!sheet || (!m_buttonHeld && !grid.contains(logical))) return hit;
  hit.column = WalkCells(logical.x(), grid.left(), grid.left() + grid.width(), m_firstColumn,
                         sheet->m_cols, [this](int c) { return ColumnExtent(c); });
  hit.row = WalkCells(logical.y(), grid.top(), grid.top() + grid.height(), m_firstRow,
                      sheet->m_rows, [this](int r) { return RowExtent(r); });
  const bool inside =
      hit.column >= 0 && hit.column < sheet->m_cols && hit.row >= 0 && hit.row < sheet->m_rows;
  if (!m_buttonHeld && !inside) {
    hit.zone = 0;
    return hit;
  }
  if (inside && SmIntPair{hit.column, hit.row} == sheet->m_currentCell) {
    SetCursorId(kIBeamCursor);
    hit.zone = 11;
    return hit;
  }
  if (!grid.contains(logical)) return hit;
  SetCursorId(SM_IDC_RILO_CELL);
  hit.zone = 10;
  return hit;
}

CRiloView::SmHit CRiloView::HitTestHeader(const QPoint& logical, QPoint* track, int* offset) {
  SmHit hit;
  QPoint trackPos;
  int pressOffset = 0;
  const CRiloData* sheet = Sheet();
  if (!sheet) return hit;
  const QPoint scroll = ScrollPosition();
  const QRect client = ClientRect().translated(scroll);
  const int rowHeader = RowHeaderWidth();
  const int columnHeader = ColumnHeaderHeight();
  const auto done = [&](int zone, int cursor) {
    hit.zone = zone;
    SetCursorId(cursor);
    if (track) *track = trackPos;
    if (offset) *offset = pressOffset;
    return hit;
  };
  if (QRect(scroll, QSize(rowHeader, columnHeader)).contains(logical))
    return done(1, SM_IDC_RILO_CELL);
  // Walks the header cells of one direction; true when the point hit a cell or a border.
  const auto walk = [&](bool rows) {
    const int count = rows ? sheet->m_rows : sheet->m_cols;
    const int at = rows ? logical.y() : logical.x();
    int start = rows ? CellOrigin(0, m_firstRow).y() : CellOrigin(m_firstColumn, 0).x();
    const int end = rows ? client.bottom() + 1 : client.right() + 1;
    for (int i = rows ? m_firstRow : m_firstColumn; i < count && start < end; ++i) {
      const int e = rows ? RowExtent(i) : ColumnExtent(i);
      const int border = start + e;
      int& index = rows ? hit.row : hit.column;
      if (at >= start && at < border - kBorderBand) {
        index = i;
        return 1;
      }
      if (at >= border - kBorderBand && at < border + kBorderBand) {
        (rows ? trackPos.ry() : trackPos.rx()) = border;
        pressOffset = at - border;
        const bool hidden = i + 1 < count && (rows ? RowExtent(i + 1) : ColumnExtent(i + 1)) == 0;
        index = hidden && at >= border ? i + 1 : i;
        return hidden && at >= border ? 3 : 2;
      }
      start = border;
    }
    return 0;
  };
  if (columnHeader > 0 && logical.y() >= scroll.y() && logical.y() < scroll.y() + columnHeader &&
      logical.x() >= scroll.x() + rowHeader) {
    if (const int zone = walk(false)) {
      const int cursor = zone == 1   ? int{SM_IDC_RILO_CELL}
                         : zone == 3 ? int{SM_IDC_COLUMN_WIDTH}
                                     : int{SM_IDC_RILO_COLUMN_BORDER};
      return done(zone, cursor);
    }
  }
  if (rowHeader > 0 && logical.x() >= scroll.x() && logical.x() < scroll.x() + rowHeader &&
      logical.y() >= scroll.y() + columnHeader) {
    if (const int zone = walk(true)) {
      const int cursor = zone == 1   ? int{SM_IDC_RILO_CELL}
                         : zone == 3 ? int{SM_IDC_ROW_GAP}
                                     : int{SM_IDC_RILO_ROW_BORDER};
      return done(zone, cursor);
    }
  }
  hit = {};
  return hit;
}

// ---------------------------------------------------------------- buttons

void CRiloView::mousePressEvent(QMouseEvent* event) {
  CSmView::mousePressEvent(event);
  setFocus(Qt::MouseFocusReason);
  const QPoint at = event->position().toPoint();
  if (event->button() == Qt::LeftButton) {
    LeftButtonDown(at, event->modifiers());
    return;
  }
  if (event->button() != Qt::RightButton || !GetDocument() || !HasCells()) return;
  // Without a selection the cell under the mouse becomes current first.
  if (GetDocument()->m_sheet.m_selectMode != 0) return;
  LeftButtonDown(at, Qt::NoModifier);
  LeftButtonUp(at);
}

void CRiloView::mouseReleaseEvent(QMouseEvent* event) {
  CSmView::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton) LeftButtonUp(event->position().toPoint());
}

void CRiloView::LeftButtonDown(const QPoint& pane, Qt::KeyboardModifiers modifiers) {
  CRiloDoc* doc = GetDocument();
  if (!doc || !HasCells()) return;
  doc->CloseTypingRun();
  const QPoint logical = pane + ScrollPosition();
  SmHit hit = HitTestCell(logical);
  if (hit.zone == 0) hit = HitTestHeader(logical, &m_trackPos, &m_pressOffset);
  if (hit.zone == 0) return;
  m_hitZone = hit.zone;
  m_hitColumn = hit.column;
  m_hitRow = hit.row;
  m_lastMouse = logical;
  if (hit.zone == 2 || hit.zone == 3) {
    ShowTrackingLine(m_trackPos, false);
    ShowSizeText(m_trackPos);
  } else {
    ClickSelect(hit, logical, modifiers.testFlag(Qt::ShiftModifier),
                modifiers.testFlag(Qt::ControlModifier));
  }
  m_buttonHeld = 1;
  m_dragTimer.start();
}

void CRiloView::ClickSelect(const SmHit& hit, const QPoint& logical, bool shift, bool ctrl) {
  CRiloDoc& doc = *GetDocument();
  CRiloData& s = doc.m_sheet;
  if (doc.AddAreaOnCtrl(hit.column, hit.row, shift, ctrl)) UpdateAllPanes();
  const bool header = hit.zone == 1;
  // A header's -1 stands for every row (column) of the sheet.
  const auto spanHeader = [&](bool plain) {
    if (hit.column == -1) {
      s.m_selectRect.left = 0;
      s.m_selectRect.right = s.m_cols - 1;
    } else {
      if (plain) s.m_selectRect.left = hit.column;
      s.m_selectRect.right = hit.column;
    }
    if (hit.row == -1) {
      s.m_selectRect.top = 0;
      s.m_selectRect.bottom = s.m_rows - 1;
    } else {
      if (plain) s.m_selectRect.top = hit.row;
      s.m_selectRect.bottom = hit.row;
    }
    s.m_selectMode = 2;
    s.m_caret.first = 0;
  };
  if (!shift && !ctrl) {
    if (header) {
      spanHeader(true);
      s.m_currentCell = {std::max(hit.column, 0), std::max(hit.row, 0)};
      s.m_caret = {};
      UpdateAllPanes();
      UpdateStatusText();
      return;
    }
    s.m_selectRect = {hit.column, hit.row, hit.column, hit.row};
    if (s.m_selectMode == 2) {
      s.m_currentCell = {hit.column, hit.row};
      s.m_selectMode = 0;
      SetCurrentCell(hit.column, hit.row);
    } else {
      s.m_selectMode = 0;
      SetCurrentCell(hit.column, hit.row, &logical);
    }
    doc.ClampCurrentCell();
    return;
  }
  if (header) {
    spanHeader(false);
  } else if (hit.zone == 11 && s.m_selectMode != 2) {
    s.m_selectMode = 1;
    SetCurrentCell(hit.column, hit.row, &logical);
  } else {
    s.m_selectMode = 2;
    s.m_selectRect.right = hit.column;
    s.m_selectRect.bottom = hit.row;
  }
  UpdateAllPanes();
}

void CRiloView::LeftButtonUp(const QPoint& pane) {
  CRiloDoc* doc = GetDocument();
  const bool border = m_hitZone == 2 || m_hitZone == 3;
  if (doc && HasCells()) {
    if (border && m_buttonHeld) {
      ShowTrackingLine(pane + ScrollPosition() - QPoint(m_pressOffset, m_pressOffset), true);
      FinishBorderDrag();
    }
    if (doc->m_sheet.m_selectMode != 0 && !IsReadOnly()) doc->RefreshFormatState();
  }
  m_dragTimer.stop();
  m_buttonHeld = 0;
  m_hitZone = 0;
}

// ---------------------------------------------------------------- moving and dragging

void CRiloView::mouseMoveEvent(QMouseEvent* event) {
  CSmView::mouseMoveEvent(event);
  if (!GetDocument() || !HasCells()) {
    SetCursorId(kArrowCursor);
    return;
  }
  const QPoint logical = event->position().toPoint() + ScrollPosition();
  m_lastMouse = logical;
  if (m_buttonHeld) {
    if (m_hitZone == 2 || m_hitZone == 3) {
      ShowTrackingLine(logical - QPoint(m_pressOffset, m_pressOffset), true);
    } else if (m_hitZone != 0) {
      DragTo(logical);
    }
    return;
  }
  if (HitTestCell(logical).zone == 0 && HitTestHeader(logical).zone == 0) SetCursorId(kArrowCursor);
}

void CRiloView::DragTo(const QPoint& logical) {
  CRiloDoc* doc = GetDocument();
  if (!doc || !HasCells() || !m_buttonHeld || m_hitZone == 2 || m_hitZone == 3) return;
  CRiloData& s = doc->m_sheet;
  const SmHit hit = HitTestCell(logical);
  if (hit.zone == 11) {
    const int before = s.m_selectMode;
    s.m_selectMode = 1;
    if (before == 2) {
      s.m_selectRect.right = s.m_currentCell.first;
      s.m_selectRect.bottom = s.m_currentCell.second;
      doc->ClampCurrentCell();
      UpdateAllPanes();
      return;
    }
    SetCurrentCell(hit.column, hit.row, &logical);
    if (before == 0 && s.m_textSelect.first == s.m_textSelect.second) s.m_selectMode = 0;
    return;
  }
  if (hit.zone == 10 && m_hitZone != 1) {
    const int column = std::min(hit.column, s.m_cols - 1);
    const int row = std::min(hit.row, s.m_rows - 1);
    if (column == s.m_selectRect.right && row == s.m_selectRect.bottom && s.m_selectMode == 2)
      return;
    s.m_selectMode = 2;
    s.m_selectRect.right = column;
    s.m_selectRect.bottom = row;
    UpdateAllPanes();
    return;
  }
  s.m_selectMode = 2;
  const bool rowHeader = m_hitZone == 1 && m_hitColumn == -1 && m_hitRow >= 0;
  const bool columnHeader = m_hitZone == 1 && m_hitRow == -1 && m_hitColumn >= 0;
  if (rowHeader && hit.row >= 0 && hit.row < s.m_rows) {
    if (hit.row == s.m_selectRect.bottom) return;
    s.m_selectRect.bottom = hit.row;
    UpdateAllPanes();
    return;
  }
  if (columnHeader && hit.column >= 0 && hit.column < s.m_cols) {
    if (hit.column == s.m_selectRect.right) return;
    s.m_selectRect.right = hit.column;
    UpdateAllPanes();
    return;
  }
  const QRect client = ClientRect().translated(ScrollPosition());
  if (hit.row < 0) {
    OnVScroll(SM_SB_LINEUP);
    FollowScroll(true, false);
    m_lastMouse.setY(ScrollPosition().y() - kScrollReach);
  } else if (hit.row >= s.m_rows) {
    OnVScroll(SM_SB_LINEDOWN);
    FollowScroll(true, true);
    m_lastMouse.setY(ScrollPosition().y() + client.height() + kScrollReach);
  } else if (hit.column < 0) {
    OnHScroll(SM_SB_LINEUP);
    FollowScroll(false, false);
    m_lastMouse.setX(ScrollPosition().x() - kScrollReach);
  } else if (hit.column >= s.m_cols) {
    OnHScroll(SM_SB_LINEDOWN);
    FollowScroll(false, true);
    m_lastMouse.setX(ScrollPosition().x() + client.width() + kScrollReach);
  }
  UpdateAllPanes();
}

void CRiloView::FollowScroll(bool rows, bool forward) {
  CRiloData& s = GetDocument()->m_sheet;
  // An area of whole columns (rows) keeps spanning every row (column).
  if (m_hitZone == 1 && (rows ? m_hitRow : m_hitColumn) == -1) return;
  const QRect grid = GridArea();
  int& end = rows ? s.m_selectRect.bottom : s.m_selectRect.right;
  if (!forward) {
    end = rows ? m_firstRow : m_firstColumn;
    return;
  }
  // The last row (column) that starts inside the grid.
  const int count = rows ? s.m_rows : s.m_cols;
  const int limit = rows ? grid.top() + grid.height() : grid.left() + grid.width();
  int start = rows ? CellOrigin(0, m_firstRow).y() : CellOrigin(m_firstColumn, 0).x();
  int last = rows ? m_firstRow : m_firstColumn;
  for (int i = last; i < count && start < limit; ++i) {
    last = i;
    start += rows ? RowExtent(i) : ColumnExtent(i);
  }
  end = last;
}

// ---------------------------------------------------------------- border drags

std::optional<QLine> CRiloView::TrackingLine() const {
  if (!m_trackLine) return std::nullopt;
  const QRect client = ClientRect();
  const QPoint scroll = ScrollPosition();
  if (m_trackLine->first) {
    const int x = m_trackLine->second - scroll.x();
    return QLine(x, 0, x, client.height() - 1);
  }
  const int y = m_trackLine->second - scroll.y();
  return QLine(0, y, client.width() - 1, y);
}

void CRiloView::ShowTrackingLine(const QPoint& logical, bool move) {
  const bool vertical = !IsRowBorder();
  const int at = vertical ? logical.x() : logical.y();
  for (CRiloView* pane : Panes()) {
    const bool shares =
        vertical ? pane->m_paneColumn == m_paneColumn : pane->m_paneRow == m_paneRow;
    if (!shares) continue;
    const QRect grid = pane->GridArea();
    const bool inside = vertical ? at >= grid.left() && at <= grid.left() + grid.width()
                                 : at >= grid.top() && at <= grid.top() + grid.height();
    if (move && !inside) continue;
    pane->m_trackLine = std::make_pair(vertical, at);
    pane->update();
  }
  if (move && m_trackLine) {
    (vertical ? m_trackPos.rx() : m_trackPos.ry()) = m_trackLine->second;
    ShowSizeText(m_trackPos);
  }
}

void CRiloView::ShowSizeText(const QPoint& logical) {
  const CRiloDoc& doc = *GetDocument();
  const double zoom = doc.m_sheet.m_screenFactor * 0.01 * 10;
  if (IsRowBorder()) {
    const double size = (logical.y() - CellOrigin(0, m_hitRow).y()) / (zoom * doc.m_screenScaleY);
    SetStatusPane(0, FormatStr("%d 行高：%.1lf毫米", m_hitRow + 1, size));
  } else {
    const double size =
        (logical.x() - CellOrigin(m_hitColumn, 0).x()) / (zoom * doc.m_screenScaleX);
    SetStatusPane(0, FormatStr("%s 栏宽：%.1lf毫米", ColumnLabel(m_hitColumn).c_str(), size));
  }
}

void CRiloView::SetStatusPane(int pane, const std::string& text) {
  auto* frame = dynamic_cast<CRiloChildFrm*>(GetParentFrame());
  if (!frame || !frame->StatusBar()) return;
  if (auto* label = frame->StatusBar()->findChild<QLabel*>("pane" + QString::number(pane)))
    label->setText(QString::fromStdString(text));
}

void CRiloView::FinishBorderDrag() {
  CRiloDoc& doc = *GetDocument();
  for (CRiloView* pane : Panes()) {
    if (!pane->m_trackLine) continue;
    pane->m_trackLine.reset();
    pane->update();
  }
  SetStatusPane(0, {});
  const bool rows = IsRowBorder();
  const int index = rows ? m_hitRow : m_hitColumn;
  const auto startOf = [&](int i) { return rows ? CellOrigin(0, i).y() : CellOrigin(i, 0).x(); };
  const int track = rows ? m_trackPos.y() : m_trackPos.x();
  const int first = track - startOf(index);
  if (first == (rows ? RowExtent(index) : ColumnExtent(index))) return;
  doc.CloseTypingRun();
  const CRiloData before = doc.m_sheet;
  // A border dragged above its row's top collapses that row and the rows above it.
  int i = index;
  int size = first;
  for (; size < 0 && i >= 0; --i) {
    doc.SetSizeFromPixels(!rows, i, 0);
    if (i > 0) size = track - startOf(i - 1);
  }
  if (size >= 0 && i >= 0) doc.SetSizeFromPixels(!rows, i, size);
  doc.SetSelectedSizesFromPixels(rows ? -1 : index, rows ? index : -1, std::max(first, 0));
  for (CRiloView* pane : Panes()) pane->UpdateScrollSizes();
  RecordSettingsChange(SM_RILO_STEP_SIZES, before);
}

// ---------------------------------------------------------------- the context menu

std::unique_ptr<QMenu> CRiloView::CreateContextMenu() {
  const CRiloDoc* doc = GetDocument();
  if (!doc || !HasCells()) return nullptr;
  const CRiloData& s = doc->m_sheet;
  const bool readOnly = IsReadOnly();
  const bool extra = !s.m_areas.empty();
  auto menu = std::make_unique<QMenu>(this);
  for (const auto& [id, text] : SmMenuItems(SM_IDR_RILO_CONTEXT)) {
    if (id == 0) {
      menu->addSeparator();
      continue;
    }
    QAction* action = menu->addAction(QString::fromStdString(text));
    action->setObjectName(QString::number(id));
    connect(action, &QAction::triggered, this, [this, id = id] { OnCommand(id); });
    bool enabled = true;
    switch (id) {
      case SM_ID_EDIT_UNDO:
        enabled = !readOnly && !doc->m_undo.empty();
        break;
      case SM_ID_EDIT_REDO:
        enabled = !readOnly && !doc->m_redo.empty();
        break;
      case SM_ID_EDIT_CUT:
        enabled = !readOnly && s.m_selectMode != 0 && !extra;
        break;
      case SM_ID_EDIT_COPY:
        enabled = s.m_selectMode != 0 && !extra;
        break;
      case SM_ID_EDIT_PASTE: {
        std::string text;
        enabled = !readOnly && GetClipboardText(text);
        break;
      }
      case SM_ID_RILO_CALCULATE:
        enabled = CanRunFormulas(2);
        break;
      case SM_ID_RILO_CELL_TEXT:
        enabled = !readOnly && s.m_selectMode == 0;
        break;
      case SM_ID_RILO_FONT:
        enabled = doc->m_editMode == 0;  // only the master text keeps fonts
        break;
      default:
        break;
    }
    action->setEnabled(enabled);
  }
  return menu;
}

void CRiloView::contextMenuEvent(QContextMenuEvent* event) {
  event->accept();
  if (const std::unique_ptr<QMenu> menu = CreateContextMenu()) menu->exec(event->globalPos());
}
