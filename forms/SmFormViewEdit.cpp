// The form grid's edits of several characters or cells at once: copy, cut and paste through
// the clipboard's tab-separated text, deleting a selection, pasting one value into several
// cells or a whole column, blank rows, the calculator, and undo and redo of single-cell changes.
#include <algorithm>

#include "core/SmClipboard.h"
#include "core/SmGbk.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "forms/SmFormView.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "ui/SmCalcDlg.h"
#include "ui/SmInputSpec.h"

namespace {

// Every character has a one- or two-byte GBK form (what a cell can store).
bool HasGbkForm(const std::string& utf8) {
  std::string gbk;
  return Utf8ToGbk(utf8, gbk) && gbk.size() == GbkSize(utf8);
}

bool ClipboardText(std::string& text) {
  return GetClipboardText(text) && !text.empty();
}

}  // namespace

// ---------------------------------------------------------------- selection

bool CSmFormView::HasSelection() const {
  return m_anchor.region == m_current.region &&
         (!m_anchor.SameCell(m_current) || m_anchor.caret != m_current.caret);
}

bool CSmFormView::HasTextSelection() const {
  return m_anchor.SameCell(m_current) && m_anchor.caret != m_current.caret;
}

SmCellBlock CSmFormView::SelectionBlock() const {
  return {std::min(m_anchor.column, m_current.column), std::min(m_anchor.row, m_current.row),
          std::max(m_anchor.column, m_current.column), std::max(m_anchor.row, m_current.row)};
}

bool CSmFormView::CellExists(int row, int column, const std::string& region) const {
  if (row < 0 || column < 0) return false;
  if (region == "TEXT") return row < m_nTextRows && column < Columns();
  if (region != "HEAD" && region != "FOOT") return false;
  return column <= LastCellOfRow(row, region);
}

// ---------------------------------------------------------------- cell writes

void CSmFormView::WriteCell(int row, int column, const std::string& region,
                            const std::string& text) {
  SetCell(row, column, region, text);
  OnCellChanged(text, row, column, region);
  // Reported already: leaving the cell must not report it again.
  if (SmGridCell{row, column, region, 0}.SameCell(m_edit)) m_editText = text;
}

bool CSmFormView::WriteCheckedCell(int row, int column, const std::string& region,
                                   const std::string& value) {
  if (!CellExists(row, column, region) || !IsCellEditable(row, column, region)) return false;
  std::string text, type;
  int limit1 = 0, limit2 = 0;
  GetCell(row, column, region, text, type, limit1, limit2);
  if (!HasGbkForm(value) || !ValidateFieldText(value, "", 0, type, limit1, limit2)) return false;
  WriteCell(row, column, region, value);
  return true;
}

// ---------------------------------------------------------------- clipboard

bool CSmFormView::CopyToClipboard() {
  if (!HasSelection()) return false;
  std::string clip;
  if (m_anchor.SameCell(m_current)) {
    const std::string text = GetCellText(m_current.row, m_current.column, m_current.region);
    const size_t from = Utf8OffsetOfGbkPos(text, std::min(m_anchor.caret, m_current.caret));
    const size_t to = Utf8OffsetOfGbkPos(text, std::max(m_anchor.caret, m_current.caret));
    clip = text.substr(from, to - from);
  } else {
    const SmCellBlock block = SelectionBlock();
    const std::string& region = m_current.region;
    for (int row = block.row1; row <= block.row2; ++row) {
      for (int column = block.col1; column <= block.col2; ++column) {
        if (CellExists(row, column, region)) clip += GetCellText(row, column, region);
        clip += column == block.col2 ? "\n" : "\t";
      }
    }
  }
  return SetClipboardText(clip);
}

void CSmFormView::CutToClipboard() {
  if (m_bEditable && CopyToClipboard()) OnCommand(SM_ID_GRID_DELETE);
}

void CSmFormView::PasteFromClipboard() {
  std::string clip;
  if (!m_bEditable || !ClipboardText(clip)) return;
  if (HasCellSelection()) {
    ScrollToCurrentCell();
    return;
  }
  if (HasTextSelection()) DeleteSelectedText();
  int rows = 0, columns = 0;
  GetTextGridSize(clip, rows, columns);
  if (rows == 1 && columns == 1) {
    if (!CanEditCurrentCell()) return;
    const std::string value = GetTextGridCell(clip, 0, 0);
    const UndoRecord before = CurrentRecord();
    std::string text, type;
    int limit1 = 0, limit2 = 0;
    const SmGridCell cell = m_current;
    GetCell(cell.row, cell.column, cell.region, text, type, limit1, limit2);
    if (!HasGbkForm(value) || !ValidateFieldText(value, text, cell.caret, type, limit1, limit2)) {
      return;
    }
    text.insert(Utf8OffsetOfGbkPos(text, cell.caret), value);
    SetCell(cell.row, cell.column, cell.region, text);
    SetCurrentCell(cell.row, cell.column, cell.caret + static_cast<int>(GbkSize(value)),
                   cell.region);
    m_bModified = true;
    PushUndo(before);
    return;
  }
  if (m_current.region != "TEXT") return;
  if (m_current.column != 0 || columns < Columns()) {
    PasteBlock(clip, rows, columns);
  } else {
    PasteRows(clip, rows);
  }
  m_bModified = true;
}

void CSmFormView::PasteBlock(const std::string& clip, int rows, int columns) {
  const SmGridCell cell = m_current;
  const std::vector<std::vector<std::string>> grid = SplitTextGrid(clip);
  for (int r = 0; r < rows && cell.row + r < m_nTextRows; ++r) {
    for (int c = 0; c < columns && cell.column + c < Columns(); ++c) {
      WriteCheckedCell(cell.row + r, cell.column + c, "TEXT", SmTextGridCell(grid, r, c));
    }
  }
  m_current.caret = m_anchor.caret = 0;
  PlaceCaret(ScreenDC());
  update();
}

void CSmFormView::PasteRows(const std::string& clip, int rows) {
  if (!CanAppendRow()) return;
  const int at = m_current.row;
  const int oldLast = m_nTextRows - 1;
  AddRows(rows);
  m_nTextRows += rows;
  InsertRows(at, oldLast, rows);
  const std::vector<std::vector<std::string>> grid = SplitTextGrid(clip);
  for (int r = 0; r < rows; ++r) {
    for (int column = 0; column < Columns(); ++column) {
      WriteCheckedCell(at + r, column, "TEXT", SmTextGridCell(grid, r, column));
    }
  }
  m_current = SmGridCell{std::clamp(at + rows, 0, m_nTextRows - 1), 0, "TEXT", 0};
  LoadEditCell();
  UpdateScrollSizes(false);
  ScrollToCurrentCell();
  PlaceCaret(ScreenDC());
  update();
}

// ---------------------------------------------------------------- deleting

void CSmFormView::DeleteSelectedText() {
  if (!HasTextSelection()) {
    DeleteChar(false);
    return;
  }
  if (!CanEditCurrentCell()) return;
  const UndoRecord before = CurrentRecord();
  const SmGridCell cell = m_current;
  std::string text = GetCellText(cell.row, cell.column, cell.region);
  const int caret = std::min(m_anchor.caret, cell.caret);
  const size_t from = Utf8OffsetOfGbkPos(text, caret);
  const size_t to = Utf8OffsetOfGbkPos(text, std::max(m_anchor.caret, cell.caret));
  text.erase(from, to - from);
  SetCell(cell.row, cell.column, cell.region, text);
  SetCurrentCell(cell.row, cell.column, caret, cell.region);
  m_bModified = true;
  PushUndo(before);
}

void CSmFormView::DeleteSelection() {
  if (!m_bEditable || m_anchor.region != m_current.region) return;
  if (m_anchor.SameCell(m_current)) {
    DeleteSelectedText();
    return;
  }
  const SmCellBlock block = SelectionBlock();
  const std::string region = m_current.region;
  if (region == "TEXT" && block.col1 == 0 && block.col2 == Columns() - 1) {
    DeleteWholeRows(block);
  } else {
    for (int row = block.row1; row <= block.row2; ++row) {
      for (int column = block.col1; column <= block.col2; ++column) {
        if (CellExists(row, column, region) && IsCellEditable(row, column, region)) {
          WriteCell(row, column, region, "");
        }
      }
    }
    SetCurrentCell(block.row1, block.col1, 0, region);
    m_anchor = m_current;
    update();
  }
  m_bModified = true;
}

void CSmFormView::DeleteWholeRows(const SmCellBlock& block) {
  // Rows below the selection move up over the rows that are emptied; a selected row keeps its
  // place when one of its cells cannot be emptied.
  int target = block.row1;
  int currentRow = m_current.row;
  for (int row = block.row1; row < m_nTextRows; ++row) {
    if (row == block.row2 + 1) currentRow = target;
    bool kept = false;
    for (int column = 0; column < Columns(); ++column) {
      if (row <= block.row2 && IsCellEditable(row, column, "TEXT")) {
        WriteCell(row, column, "TEXT", "");
        continue;
      }
      kept = true;
      if (target != row) WriteCell(target, column, "TEXT", GetCellText(row, column, "TEXT"));
    }
    if (kept) ++target;
  }
  const int removed = std::min(m_nTextRows - target, m_nTextRows - 1);
  if (removed > 0) {
    AddRows(-removed);
    m_nTextRows -= removed;
  }
  m_current = SmGridCell{std::clamp(currentRow, 0, m_nTextRows - 1), 0, "TEXT", 0};
  LoadEditCell();
  UpdateScrollSizes(false);
  ScrollToCurrentCell();
  PlaceCaret(ScreenDC());
  update();
}

// ---------------------------------------------------------------- bulk edits

void CSmFormView::PasteIntoSelection() {
  std::string clip;
  if (!m_bEditable || m_anchor.region != m_current.region || !ClipboardText(clip)) return;
  int rows = 0, columns = 0;
  GetTextGridSize(clip, rows, columns);
  if (rows != 1 || columns != 1) return;
  const std::string value = GetTextGridCell(clip, 0, 0);
  const SmCellBlock block = SelectionBlock();
  for (int row = block.row1; row <= block.row2; ++row) {
    for (int column = block.col1; column <= block.col2; ++column) {
      WriteCheckedCell(row, column, m_current.region, value);
    }
  }
  m_current.caret = m_anchor.caret = 0;
  m_bModified = true;
  PlaceCaret(ScreenDC());
  update();
}

void CSmFormView::PasteIntoColumn() {
  if (!m_bEditable || m_current.region != "TEXT" || m_nTextRows < 2) return;
  const int column = m_current.column;
  const std::string value = GetCellText(m_current.row, column, "TEXT");
  for (int row = 0; row < m_nTextRows; ++row) {
    bool empty = true;
    for (int c = 0; c < Columns() && empty; ++c) empty = GetCellText(row, c, "TEXT").empty();
    if (!empty) WriteCheckedCell(row, column, "TEXT", value);
  }
  m_current.caret = m_anchor.caret = 0;
  m_bModified = true;
  PlaceCaret(ScreenDC());
  update();
}

void CSmFormView::InsertBlankRow(bool after) {
  if (!CanAppendRow() || !m_bEditable || m_current.region != "TEXT") return;
  const int oldLast = m_nTextRows - 1;
  AddRows(1);
  InsertRows(after ? m_current.row + 1 : m_current.row, oldLast, 1);
  if (after) ++m_current.row;
  m_current.caret = 0;
  ++m_nTextRows;
  LoadEditCell();
  UpdateScrollSizes(true);
  PlaceCaret(ScreenDC());
}

void CSmFormView::ShowCalculator() {
  std::string text, type;
  int limit1 = 0, limit2 = 0;
  const SmGridCell cell = m_current;
  GetCell(cell.row, cell.column, cell.region, text, type, limit1, limit2);
  const bool number = type.find("NUMBER") != std::string::npos;
  const bool writeBack = CanEditCurrentCell() && number;
  std::string expression;
  if (HasCellSelection()) {
    const SmCellBlock block = SelectionBlock();
    for (int row = block.row1; row <= block.row2; ++row) {
      for (int column = block.col1; column <= block.col2; ++column) {
        if (!CellExists(row, column, cell.region)) continue;
        std::string value = GetCellText(row, column, cell.region);
        std::erase(value, ',');
        if (TrimAndTestEmpty(value, 3) || !IsNumberText(value, 0, -1)) continue;
        expression += value + "+";
      }
    }
    if (!expression.empty()) expression.pop_back();
  } else if (HasTextSelection() && number) {
    expression = text;
  }
  const UndoRecord before = CurrentRecord();
  CSmCalcDlg dlg(writeBack, expression, this);
  if (dlg.DoModal() != SM_IDOK || !writeBack) return;
  const std::string& result = dlg.ResultText();
  if (!HasGbkForm(result) || !ValidateFieldText(result, "", 0, type, limit1, limit2)) return;
  SetCell(cell.row, cell.column, cell.region, result);
  m_anchor.caret = 0;
  SetCurrentCell(cell.row, cell.column, 0, cell.region);
  ScrollToCurrentCell();
  m_bModified = true;
  PushUndo(before);
}

// ---------------------------------------------------------------- undo

UndoRecord CSmFormView::CurrentRecord() {
  return {m_current.caret, m_current.row, m_current.column, m_current.region,
          GetCellText(m_current.row, m_current.column, m_current.region)};
}

void CSmFormView::PushUndo(const UndoRecord& before) {
  if (CurrentRecord() == before) return;
  if (!m_undo.empty() && m_undo.back() == before) return;
  m_undo.push_back(before);
  m_redo.clear();
}

void CSmFormView::UndoRedo(bool undo) {
  std::vector<UndoRecord>& from = undo ? m_undo : m_redo;
  std::vector<UndoRecord>& to = undo ? m_redo : m_undo;
  if (!m_bEditable || from.empty()) return;
  const UndoRecord record = from.back();
  from.pop_back();
  if (!CellExists(record.row, record.column, record.region)) return;
  const SmGridCell cell{record.row, record.column, record.region, 0};
  const bool current = cell.SameCell(m_current);
  const UndoRecord present{current ? m_current.caret : 0, record.row, record.column, record.region,
                           GetCellText(record.row, record.column, record.region)};
  if (record == present) return;
  to.push_back(present);
  // Entered before the write, so that leaving the cell reports the restored text.
  if (!current) SetCurrentCell(record.row, record.column, 0, record.region);
  SetCell(record.row, record.column, record.region, record.text);
  SetCurrentCell(record.row, record.column, record.caret, record.region);
  ScrollToCurrentCell();
  m_bModified = true;
}

// ---------------------------------------------------------------- commands

bool CSmFormView::OnEditCommand(int id) {
  switch (id) {
    case SM_ID_EDIT_SELECT_ALL:
      SelectByHeader(0, 0, "FORMHEADL");
      return true;
    case SM_ID_EDIT_COPY:
      CopyToClipboard();
      return true;
    case SM_ID_EDIT_CUT:
      CutToClipboard();
      return true;
    case SM_ID_EDIT_PASTE:
      PasteFromClipboard();
      return true;
    case SM_ID_GRID_DELETE:
      DeleteSelection();
      return true;
    case SM_ID_PASTE_INTO_SELECTION:
      PasteIntoSelection();
      return true;
    case SM_ID_PASTE_INTO_COLUMN:
      PasteIntoColumn();
      return true;
    case SM_ID_INSERT_ROW_AT:
    case SM_ID_INSERT_ROW_AFTER:
      InsertBlankRow(id == SM_ID_INSERT_ROW_AFTER);
      return true;
    case SM_ID_CALCULATOR:
      ShowCalculator();
      return true;
    case SM_ID_EDIT_UNDO:
    case SM_ID_EDIT_REDO:
      UndoRedo(id == SM_ID_EDIT_UNDO);
      return true;
    default:
      return false;
  }
}

bool CSmFormView::OnUpdateEditCommand(int id, CSmCmdUI& ui) {
  std::string clip;
  switch (id) {
    case SM_ID_EDIT_COPY:
      ui.Enable(HasSelection());
      return true;
    case SM_ID_EDIT_CUT:
      ui.Enable(m_bEditable && HasSelection());
      return true;
    case SM_ID_EDIT_PASTE:
      ui.Enable(m_bEditable && ClipboardText(clip));
      return true;
    case SM_ID_GRID_DELETE:
      ui.Enable(m_bEditable && m_anchor.region == m_current.region);
      return true;
    case SM_ID_PASTE_INTO_SELECTION:
      ui.Enable(m_bEditable && m_anchor.region == m_current.region && ClipboardText(clip));
      return true;
    case SM_ID_PASTE_INTO_COLUMN:
      ui.Enable(m_bEditable && m_current.region == "TEXT" && m_nTextRows > 1);
      return true;
    case SM_ID_EDIT_UNDO:
      ui.Enable(m_bEditable && !m_undo.empty());
      return true;
    case SM_ID_EDIT_REDO:
      ui.Enable(m_bEditable && !m_redo.empty());
      return true;
    case SM_ID_FILE_NEW:
      ui.Enable(m_bEditable);
      return true;
    default:
      return false;
  }
}
