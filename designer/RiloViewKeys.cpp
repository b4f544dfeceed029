// Keyboard editing in the report view: moves over visible rows and columns, the caret inside the
// current cell's text, typing and deleting in the edited layer, undo and redo, and the
// clipboard.
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QStatusBar>
#include <algorithm>

#include "app/SmAppCommands.h"
#include "core/SmClipboard.h"
#include "core/SmGbk.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "designer/RiloChildFrm.h"
#include "designer/RiloView.h"

namespace {

// The plain position before the character that ends at `position`.
int PrevCharPos(const std::string& plain, int position) {
  size_t offset = 0;
  int last = 0;
  while (offset < plain.size()) {
    const int at = static_cast<int>(GbkPosOfUtf8Offset(plain, offset));
    if (at >= position) break;
    last = at;
    offset += Utf8Next(plain, offset);
  }
  return last;
}

int NextPos(const std::string& plain, int position) {
  const size_t offset = Utf8OffsetOfGbkPos(plain, static_cast<size_t>(position));
  if (offset >= plain.size()) return static_cast<int>(GbkSize(plain));
  return static_cast<int>(GbkPosOfUtf8Offset(plain, offset + Utf8Next(plain, offset)));
}

// Typed or pasted text without control characters (a tab and line ends stay when `grid`).
std::string Printable(const std::string& text, bool grid) {
  std::string kept;
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    const bool control = byte < 0x20 || byte == 0x7F;
    if (control && !(grid && (c == '\t' || c == '\n' || c == '\r'))) continue;
    kept += c;
  }
  return kept;
}

// The cells of the last copy with their format codes, shared by every report window.
std::string& RichCopyBuffer() {
  static std::string buffer;
  return buffer;
}

}  // namespace

bool CRiloView::focusNextPrevChild(bool /*next*/) {
  return false;  // Tab moves between cells
}

void CRiloView::keyPressEvent(QKeyEvent* event) {
  CRiloDoc* doc = GetDocument();
  if (!doc || !HasCells()) return;
  const Qt::KeyboardModifiers mods = event->modifiers();
  const bool shift = mods.testFlag(Qt::ShiftModifier);
  const bool ctrl = mods.testFlag(Qt::ControlModifier);
  switch (event->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
      DeleteChar(event->key() == Qt::Key_Backspace);
      break;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      Prepare(shift || event->key() == Qt::Key_Backtab, ctrl, true);
      MoveCell(false, 1, shift || event->key() == Qt::Key_Backtab, ctrl, false);
      break;
    case Qt::Key_Escape:
      Prepare(shift, ctrl, false);
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Down:
    case Qt::Key_Up: {
      const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
      Prepare(shift, ctrl, true);
      MoveCell(true, event->key() == Qt::Key_Up ? -1 : 1, shift, ctrl, enter);
      break;
    }
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
      Prepare(shift, ctrl, true);
      PageMove(event->key() == Qt::Key_PageDown, shift);
      break;
    case Qt::Key_Home:
    case Qt::Key_End:
      Prepare(shift, ctrl, true);
      HomeEnd(event->key() == Qt::Key_Home, shift, ctrl);
      break;
    case Qt::Key_Left:
    case Qt::Key_Right: {
      const bool right = event->key() == Qt::Key_Right;
      Prepare(shift, ctrl, true);
      if (!MoveCaret(right, shift, ctrl)) MoveCell(false, right ? 1 : -1, shift, ctrl, false);
      break;
    }
    default:
      if (!event->text().isEmpty() && !ctrl && !mods.testFlag(Qt::AltModifier))
        TypeText(event->text().toStdString());
      return;
  }
  doc->CloseTypingRun();
}

void CRiloView::inputMethodEvent(QInputMethodEvent* event) {
  if (!event->commitString().isEmpty()) TypeText(event->commitString().toStdString());
  event->accept();
}

void CRiloView::Prepare(bool shift, bool ctrl, bool navigation) {
  CRiloDoc& doc = *GetDocument();
  CRiloData& s = doc.m_sheet;
  const SmIntPair current = s.m_currentCell;
  if (doc.AddAreaOnCtrl(current.first, current.second, shift, ctrl)) UpdateAllPanes();
  const bool dropped = !shift && s.m_selectMode > 0;
  if (!shift || s.m_selectMode == 0) {
    s.m_selectRect = {current.first, current.second, current.first, current.second};
    s.m_textSelect = {s.m_caret.first, s.m_caret.first};
    s.m_selectMode = 0;
  }
  if (shift && navigation) return;
  if (!IsCellVisible(current.first, current.second)) {
    EnsureVisible(current.first, current.second);
  } else if (dropped) {
    UpdateAllPanes();
  }
}

int CRiloView::NextVisible(bool rows, int from, int step, bool toEnd) const {
  const int count = rows ? Sheet()->m_rows : Sheet()->m_cols;
  const auto extent = [&](int i) { return rows ? RowExtent(i) : ColumnExtent(i); };
  if (toEnd) {
    for (int i = step > 0 ? count - 1 : 0; i >= 0 && i < count; i -= step)
      if (extent(i) > 0) return i;
    return -1;
  }
  for (int i = from + step; i >= 0 && i < count; i += step)
    if (extent(i) > 0) return i;
  return -1;
}

bool CRiloView::IsCellVisible(int column, int row) const {
  return column >= m_firstColumn && row >= m_firstRow && GridArea().contains(CellRect(column, row));
}

void CRiloView::EnsureVisible(int column, int row) {
  const QRect grid = GridArea();
  int first = std::min(m_firstColumn, column);
  while (first < column &&
         CellOrigin(column, 0).x() - CellOrigin(first, 0).x() + ColumnExtent(column) > grid.width())
    ++first;
  if (first != m_firstColumn) SetFirstColumn(first);
  int top = std::min(m_firstRow, row);
  while (top < row &&
         CellOrigin(0, row).y() - CellOrigin(0, top).y() + RowExtent(row) > grid.height())
    ++top;
  if (top != m_firstRow) SetFirstRow(top);
}

void CRiloView::MoveCell(bool rows, int step, bool shift, bool ctrl, bool enter) {
  CRiloData& s = GetDocument()->m_sheet;
  const SmIntPair start =
      shift ? SmIntPair{s.m_selectRect.right, s.m_selectRect.bottom} : s.m_currentCell;
  const int target = NextVisible(rows, rows ? start.second : start.first, step, ctrl);
  if (target < 0) return;
  SmIntPair cell = start;
  (rows ? cell.second : cell.first) = target;
  if (shift) {
    s.m_selectMode = 2;
    s.m_selectRect.right = cell.first;
    s.m_selectRect.bottom = cell.second;
  } else if (enter) {
    s.m_caret = {0, 0};
  }
  if (!IsCellVisible(cell.first, cell.second)) {
    if (!shift) SetCurrentCell(cell.first, cell.second);
    if (ctrl) {
      EnsureVisible(cell.first, cell.second);
    } else if (rows) {
      OnVScroll(step > 0 ? SM_SB_LINEDOWN : SM_SB_LINEUP);
    } else {
      OnHScroll(step > 0 ? SM_SB_LINEDOWN : SM_SB_LINEUP);
    }
    return;
  }
  if (shift) {
    UpdateAllPanes();
  } else {
    SetCurrentCell(cell.first, cell.second);
  }
}

bool CRiloView::MoveCaret(bool right, bool shift, bool ctrl) {
  CRiloDoc& doc = *GetDocument();
  CRiloData& s = doc.m_sheet;
  if (IsReadOnly() || ctrl || s.m_selectMode == 2) return false;
  const SmIntPair cell = s.m_currentCell;
  const std::string plain =
      CRiloDoc::StripCodes(doc.GetLayerText(cell.first, cell.second, doc.m_editMode));
  int& caret = s.m_caret.first;
  if (right && caret >= static_cast<int>(GbkSize(plain))) return false;
  if (!right && caret <= 0) return false;
  caret = right ? NextPos(plain, caret) : PrevCharPos(plain, caret);
  if (shift) {
    s.m_selectMode = 1;
    s.m_textSelect.second = caret;
  }
  SetCurrentCell(cell.first, cell.second);
  return true;
}

void CRiloView::PageMove(bool down, bool shift) {
  CRiloData& s = GetDocument()->m_sheet;
  const int last = s.m_rows - 1;
  if (down ? m_firstRow >= last : m_firstRow <= 0) return;
  const int start = shift ? s.m_selectRect.bottom : s.m_currentCell.second;
  const int room = ClientRect().height() - ColumnHeaderHeight();
  int row = start;
  for (int sum = 0; down ? row < last : row > 0;) {
    if (!down) --row;
    sum += RowExtent(row);
    if (down) ++row;
    if (sum >= room) break;
  }
  if (shift) {
    s.m_selectMode = 2;
    s.m_selectRect.bottom = row;
  } else {
    s.m_currentCell.second = row;
  }
  OnVScroll(down ? SM_SB_PAGEDOWN : SM_SB_PAGEUP);
  if (shift) {
    UpdateAllPanes();
  } else {
    SetCurrentCell(s.m_currentCell.first, row);
  }
}

void CRiloView::HomeEnd(bool home, bool shift, bool ctrl) {
  CRiloDoc& doc = *GetDocument();
  CRiloData& s = doc.m_sheet;
  if (IsReadOnly() || ctrl || s.m_selectMode == 2) {
    if (ctrl) MoveCell(true, home ? -1 : 1, shift, true, false);
    MoveCell(false, home ? -1 : 1, shift, ctrl, false);
    return;
  }
  const SmIntPair cell = s.m_currentCell;
  const std::string plain =
      CRiloDoc::StripCodes(doc.GetLayerText(cell.first, cell.second, doc.m_editMode));
  s.m_caret.first = home ? 0 : static_cast<int>(GbkSize(plain));
  if (home) s.m_caret.second = 0;
  if (shift) {
    s.m_selectMode = 1;
    s.m_textSelect.second = s.m_caret.first;
  }
  SetCurrentCell(cell.first, cell.second);
}

// ---------------------------------------------------------------- typing and deleting

void CRiloView::TypeText(const std::string& typed) {
  CRiloDoc* doc = GetDocument();
  if (!doc || !HasCells() || IsReadOnly()) return;
  const std::string insert = Printable(typed, false);
  if (insert.empty()) return;
  CRiloData& s = doc->m_sheet;
  if (s.m_selectMode == 1) DeleteSelection();
  const int before = s.m_selectMode;
  Prepare(false, false, false);
  if (before == 2) return;
  const SmIntPair cell = s.m_currentCell;
  const std::string& whole = s.m_texts.at(static_cast<size_t>(cell.first + cell.second * s.m_cols));
  const bool joins = !doc->m_undo.empty() && doc->m_undo.back().kind == SM_RILO_STEP_TYPING &&
                     doc->m_undo.back().column == cell.first &&
                     doc->m_undo.back().row == cell.second &&
                     doc->m_undo.back().editMode == doc->m_editMode;
  if (!joins) doc->RecordStep({0, 0, 0, 0, SM_RILO_STEP_TYPING, whole}, true, true, true);
  std::string text = doc->GetLayerText(cell.first, cell.second, doc->m_editMode);
  CRiloDoc::InsertAtCaret(text, insert, s.m_caret.first);
  doc->SetLayerText(cell.first, cell.second, text);
  SetCurrentCell(cell.first, cell.second);
}

void CRiloView::DeleteChar(bool before) {
  CRiloDoc* doc = GetDocument();
  if (!doc || IsReadOnly()) return;
  CRiloData& s = doc->m_sheet;
  if (s.m_selectMode != 0) {
    DeleteSelection();
    return;
  }
  const SmIntPair cell = s.m_currentCell;
  const size_t index = static_cast<size_t>(cell.first + cell.second * s.m_cols);
  const std::string whole = s.m_texts.at(index);
  const int caretBefore = s.m_caret.first;
  std::string text = doc->GetLayerText(cell.first, cell.second, doc->m_editMode);
  CRiloDoc::DeleteChars(text, s.m_caret.first, before ? -1 : 1);
  doc->SetLayerText(cell.first, cell.second, text);
  if (s.m_texts[index] == whole) return;
  doc->RecordStep({caretBefore, cell.first, cell.second, 0, SM_RILO_STEP_CELL, whole}, false, true,
                  true);
  SetCurrentCell(cell.first, cell.second);
}

void CRiloView::DeleteSelection() {
  CRiloDoc& doc = *GetDocument();
  CRiloData& s = doc.m_sheet;
  const SmIntPair cell = s.m_currentCell;
  if (s.m_selectMode == 1) {
    const std::string whole =
        s.m_texts.at(static_cast<size_t>(cell.first + cell.second * s.m_cols));
    doc.RecordStep({0, 0, 0, 0, SM_RILO_STEP_CELL, whole}, true, true, true);
    std::string text = doc.GetLayerText(cell.first, cell.second, doc.m_editMode);
    CRiloDoc::CutRange(text, s.m_textSelect.first, s.m_textSelect.second);
    const int start = std::min(s.m_textSelect.first, s.m_textSelect.second);
    s.m_caret.first = start;
    s.m_textSelect = {start, start};
    s.m_selectMode = 0;
    doc.SetLayerText(cell.first, cell.second, text);
    SetCurrentCell(cell.first, cell.second);
    return;
  }
  const CRiloData before = s;
  const SmIntRect area = s.m_selectRect.Normalized();
  for (int r = area.top; r <= area.bottom; ++r)
    for (int c = area.left; c <= area.right; ++c) doc.SetLayerText(c, r, "");
  s.m_currentCell = {area.left, area.top};
  s.m_selectRect = {area.left, area.top, area.left, area.top};
  s.m_caret = {};
  s.m_textSelect = {};
  s.m_selectMode = 0;
  RecordBlockChange(before);
  SetCurrentCell(area.left, area.top);
}

void CRiloView::RecordBlockChange(const CRiloData& before) {
  CRiloDoc& doc = *GetDocument();
  SmIntRect rect;
  const std::string diff = doc.m_sheet.DiffText(before, rect);
  if (!diff.empty())
    doc.RecordStep({0, rect.left, rect.top, 0, SM_RILO_STEP_BLOCK, diff}, false, true, true);
  UpdateAllPanes();
}

// ---------------------------------------------------------------- undo, redo, clipboard

void CRiloView::ApplyHistory(bool undo) {
  CRiloDoc& doc = *GetDocument();
  setFocus();
  if (!doc.ApplyStep(undo)) return;
  for (CRiloView* pane : Panes()) pane->UpdateScrollSizes();
  const SmIntPair cell = doc.m_sheet.m_currentCell;
  EnsureVisible(cell.first, cell.second);
  Prepare(false, false, false);
  SetCurrentCell(cell.first, cell.second);
}

bool CRiloView::Copy() {
  CRiloDoc& doc = *GetDocument();
  CRiloData& s = doc.m_sheet;
  doc.ClampCurrentCell();
  if (s.m_selectMode == 0 || !s.m_areas.empty()) return false;
  std::string plain;
  if (s.m_selectMode == 2) {
    const SmIntRect area = s.m_selectRect.Normalized();
    std::string rich;
    for (int r = area.top; r <= area.bottom; ++r) {
      for (int c = area.left; c <= area.right; ++c) {
        const std::string text = doc.GetLayerText(c, r, doc.m_editMode);
        const char end = c == area.right ? '\n' : '\t';
        rich += text + end;
        plain += CRiloDoc::StripCodes(text) + end;
      }
    }
    RichCopyBuffer() = rich;
  } else {
    const SmIntPair cell = s.m_currentCell;
    const std::string text =
        CRiloDoc::StripCodes(doc.GetLayerText(cell.first, cell.second, doc.m_editMode));
    const int start = std::min(s.m_textSelect.first, s.m_textSelect.second);
    const int end = std::max(s.m_textSelect.first, s.m_textSelect.second);
    plain = GbkMid(text, static_cast<size_t>(start), static_cast<size_t>(end - start));
  }
  return !plain.empty() && SetClipboardText(plain);
}

void CRiloView::Paste() {
  CRiloDoc& doc = *GetDocument();
  CRiloData& s = doc.m_sheet;
  setFocus();
  if (IsReadOnly()) return;
  std::string text;
  if (!GetClipboardText(text)) return;
  if (s.m_selectMode == 2) {
    Prepare(false, false, false);
    return;
  }
  if (s.m_selectMode == 1) DeleteSelection();
  int rows = 0;
  int columns = 0;
  GetTextGridSize(text, rows, columns);
  if (rows == 0 || columns == 0 || text.empty()) return;
  const SmIntPair cell = s.m_currentCell;
  if (rows == 1 && columns == 1) {
    const std::string value = Printable(GetTextGridCell(text, 0, 0), false);
    const std::string whole =
        s.m_texts.at(static_cast<size_t>(cell.first + cell.second * s.m_cols));
    doc.RecordStep({0, 0, 0, 0, SM_RILO_STEP_CELL, whole}, true, true, true);
    std::string layer = doc.GetLayerText(cell.first, cell.second, doc.m_editMode);
    CRiloDoc::InsertAtCaret(layer, value, s.m_caret.first);
    doc.SetLayerText(cell.first, cell.second, layer);
    s.m_selectMode = 0;
    SetCurrentCell(cell.first, cell.second);
    return;
  }
  const CRiloData before = s;
  std::string source = RichCopyBuffer();
  if (CRiloDoc::StripCodes(source) != text) {
    RichCopyBuffer().clear();
    source = Printable(text, true);
  }
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      const int column = cell.first + c;
      const int row = cell.second + r;
      if (column >= s.m_cols || row >= s.m_rows) continue;
      doc.SetLayerText(column, row, GetTextGridCell(source, r, c));
    }
  }
  s.m_selectRect = {cell.first, cell.second, cell.first, cell.second};
  s.m_caret = {};
  s.m_textSelect = {};
  s.m_selectMode = 0;
  RecordBlockChange(before);
  SetCurrentCell(cell.first, cell.second);
}

bool CRiloView::OnHistoryCommand(int id) {
  switch (id) {
    case SM_ID_EDIT_UNDO:
    case SM_ID_EDIT_REDO:
      ApplyHistory(id == SM_ID_EDIT_UNDO);
      return true;
    case SM_ID_EDIT_COPY:
      setFocus();
      Copy();
      return true;
    case SM_ID_EDIT_CUT:
      setFocus();
      if (Copy() && !IsReadOnly()) DeleteSelection();
      return true;
    case SM_ID_EDIT_PASTE:
      Paste();
      return true;
    case SM_ID_RILO_CELL_TEXT:
      EditCellFormula();
      return true;
    default:
      return false;
  }
}

bool CRiloView::OnUpdateHistoryCommand(int id, CSmCmdUI& ui) {
  const CRiloDoc* doc = GetDocument();
  if (!doc) return false;
  const CRiloData& s = doc->m_sheet;
  const bool cells = HasCells();
  const bool writable = !IsReadOnly();
  const bool selection = s.m_selectMode != 0 && s.m_areas.empty();
  switch (id) {
    case SM_ID_EDIT_UNDO:
      ui.Enable(cells && !doc->m_undo.empty() && writable);
      return true;
    case SM_ID_EDIT_REDO:
      ui.Enable(!doc->m_redo.empty() && writable);
      return true;
    case SM_ID_EDIT_CUT:
      ui.Enable(cells && selection && writable);
      return true;
    case SM_ID_EDIT_COPY:
      ui.Enable(cells && selection);
      return true;
    case SM_ID_EDIT_PASTE: {
      std::string text;
      ui.Enable(cells && writable && GetClipboardText(text));
      return true;
    }
    case SM_ID_RILO_CELL_TEXT:
      ui.Enable(cells && writable && s.m_selectMode == 0);
      return true;
    default:
      return false;
  }
}

// ---------------------------------------------------------------- status and zoom

void CRiloView::UpdateStatusText() {
  auto* frame = dynamic_cast<CRiloChildFrm*>(GetParentFrame());
  if (!frame || !HasCells() || !frame->StatusBar()) return;
  const SmIntPair cell = GetDocument()->m_sheet.m_currentCell;
  if (QLabel* pane = frame->StatusBar()->findChild<QLabel*>("pane2")) {
    pane->setText(QString::fromStdString(
        FormatStr("%s栏,%d行", ColumnLabel(cell.first).c_str(), cell.second + 1)));
  }
}

void CRiloView::OnZoomChosen(int index) {
  CRiloDoc& doc = *GetDocument();
  setFocus();
  const int zoom = 25 * (index + 1);
  if (zoom == doc.m_sheet.m_screenFactor) return;
  doc.m_sheet.m_screenFactor = zoom;
  for (CRiloView* pane : Panes()) {
    pane->UpdateScrollSizes();
    pane->update();
  }
  const SmIntPair cell = doc.m_sheet.m_currentCell;
  EnsureVisible(cell.first, cell.second);
  ++doc.m_changes[8];
}
