// The grid's input aids: find, find next and replace over the TEXT cells, loading rows from a
// tab-separated text file, filling an empty cell from its column, and the keyboard shortcuts.
#include <QFileInfo>
#include <QKeyEvent>
#include <algorithm>
#include <vector>

#include "app/SmApp.h"
#include "core/SmCsRecord.h"
#include "core/SmDatabase.h"
#include "core/SmGbk.h"
#include "core/SmString.h"
#include "core/SmTextFile.h"
#include "forms/SmDoc.h"
#include "forms/SmThirdView.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "ui/SmInputSpec.h"

namespace {

constexpr int kFolderGroup = 9139;  // SysCsTab: the folder of the last text file loaded

bool Matches(const std::string& text, const std::string& find, bool wholeCell) {
  return wholeCell ? text == find : text.find(find) != std::string::npos;
}

// The file's lines joined by "\n". A file with "\n\r" line ends reads as lines that start with
// the "\r" of the line end before; it is dropped, and so is the empty line left at the end.
bool ReadTextGrid(const std::string& path, std::string& text) {
  CSmTextFile file;
  if (!file.Open(path, CSmTextFile::modeRead | CSmTextFile::typeText)) return false;
  std::vector<std::string> lines;
  bool carried = false;
  std::string line;
  while (file.ReadString(line)) {
    if (!line.empty() && line.front() == '\r') {
      line.erase(0, 1);
      carried = true;
    }
    lines.push_back(line);
  }
  if (carried && !lines.empty() && lines.back().empty()) lines.pop_back();
  for (const std::string& each : lines) text += each + "\n";
  return true;
}

}  // namespace

// ---------------------------------------------------------------- find and replace

std::string CThirdView::GetSelectedText() {
  const std::string text = GetCellText(m_current.row, m_current.column, m_current.region);
  if (!HasTextSelection()) return text;
  const size_t from = Utf8OffsetOfGbkPos(text, std::min(m_anchor.caret, m_current.caret));
  const size_t to = Utf8OffsetOfGbkPos(text, std::max(m_anchor.caret, m_current.caret));
  return text.substr(from, to - from);
}

CSmDatabase* CThirdView::FindDatabase() {
  CSmDoc* doc = GetFormDoc();
  if (doc && doc->m_db) return doc->m_db;
  return m_db ? m_db : GetSmDatabase();
}

void CThirdView::SetFindState(bool /*findOnly*/, const std::string& findText,
                              const std::string& replaceText, bool wholeCell) {
  m_findText = findText;
  m_replaceText = replaceText;
  m_wholeCell = wholeCell;
}

void CThirdView::Find(bool next) {
  SmCellBlock range;
  GetSelectionRect(range);
  if (!next) {
    CSmFindDlg dlg(this, true, this);
    if (dlg.DoModal() != SM_IDOK) return;
    m_findRange = range;
    m_hasFindRange = true;
  }
  if (m_findText.empty()) return;
  if (!m_hasFindRange) m_findRange = range;
  const SmCellBlock& r = m_findRange;
  if (r.col2 < r.col1 || r.row2 < r.row1) return;
  // From the current cell when it lies in the range, else from the range's first cell on.
  int row = m_current.row;
  int column = m_current.column;
  const bool inside = m_current.region == "TEXT" && row >= r.row1 && row <= r.row2 &&
                      column >= r.col1 && column <= r.col2;
  if (!inside) {
    row = r.row2;
    column = r.col2;
  }
  const long cells = static_cast<long>(r.row2 - r.row1 + 1) * (r.col2 - r.col1 + 1);
  for (long step = 0; step < (inside ? cells - 1 : cells); ++step) {
    if (++column > r.col2) {
      column = r.col1;
      if (++row > r.row2) row = r.row1;
    }
    if (!Matches(GetCellText(row, column, "TEXT"), m_findText, m_wholeCell)) continue;
    SetCurrentCell(row, column, 0, "TEXT");
    ScrollToCurrentCell();
    update();
    return;
  }
}

void CThirdView::Replace() {
  SmCellBlock block;
  if (!GetSelectionRect(block)) return;
  CSmFindDlg dlg(this, false, this);
  if (dlg.DoModal() != SM_IDOK || m_findText.empty()) return;
  bool changed = false;
  for (int row = block.row1; row <= block.row2; ++row) {
    for (int column = block.col1; column <= block.col2; ++column) {
      if (!IsCellEditable(row, column, "TEXT")) continue;
      std::string text, type;
      int limit1 = 0, limit2 = 0;
      GetCell(row, column, "TEXT", text, type, limit1, limit2);
      if (!Matches(text, m_findText, m_wholeCell)) continue;
      const std::string result = ReplaceAll(text, m_findText, m_replaceText);
      if (!ValidateFieldText(result, "", 0, type, limit1, limit2)) continue;
      WriteCell(row, column, "TEXT", result);
      changed = true;
    }
  }
  if (!changed) return;
  m_bModified = true;
  update();
}

// ---------------------------------------------------------------- text files

void CThirdView::LoadTextFile() {
  if (!m_bEditable) return;
  CSmDatabase* db = FindDatabase();
  CSmCsRecord stored(db);
  const std::string folder = db && stored.Load(kFolderGroup, 1) ? stored.CsVal : std::string();
  const std::string path = SmGetOpenFileName("从文本文档中载入", folder, "文本文档 (*.TXT *.txt)");
  if (path.empty()) return;
  if (db) {
    const std::string chosen = QFileInfo(QString::fromStdString(path)).absolutePath().toStdString();
    SmRunInTransaction(db, [&] {
      CSmCsRecord row(db);
      row.Set(kFolderGroup, 1, {}, chosen);
      return row.Delete(kFolderGroup, 1) && row.Insert();
    });
  }
  std::string text;
  if (!ReadTextGrid(path, text)) {
    SmMessageBox(FormatStr("无法打开文件“%s”。", path.c_str()), SM_MB_ICONERROR);
    return;
  }
  if (!CanAppendRow()) return;
  int rows = 0, columns = 0;
  GetTextGridSize(text, rows, columns);
  if (m_current.region != "TEXT") m_current = SmGridCell{};
  PasteRows(text, rows);
  m_bModified = true;
}

void CThirdView::FillFromColumn() {
  if (m_current.region != "TEXT" || !CanEditCurrentCell()) return;
  const int row = m_current.row;
  const int column = m_current.column;
  if (!GetCellText(row, column, "TEXT").empty()) return;
  std::string found;
  for (int r = row - 1; r >= 0 && found.empty(); --r) found = GetCellText(r, column, "TEXT");
  for (int r = row + 1; r < m_nTextRows && found.empty(); ++r) {
    found = GetCellText(r, column, "TEXT");
  }
  if (found.empty()) return;
  WriteCell(row, column, "TEXT", found);
  OnEnterCell(row, column, "TEXT");
  m_bModified = true;
  update();
}

void CThirdView::CopyCellFromAbove() {
  if (m_current.region != "TEXT" || !CanEditCurrentCell()) return;
  const int row = m_current.row;
  const int column = m_current.column;
  std::string found;
  for (int r = row - 1; r >= 0 && found.empty(); --r) found = GetCellText(r, column, "TEXT");
  if (found.empty() || found == GetCellText(row, column, "TEXT")) return;
  const UndoRecord before = CurrentRecord();
  WriteCell(row, column, "TEXT", found);
  SetCurrentCell(row, column, 0, "TEXT");
  m_bModified = true;
  PushUndo(before);
  update();
}

// ---------------------------------------------------------------- shortcuts

int CThirdView::ShortcutCommand(int key, Qt::KeyboardModifiers modifiers) const {
  if (!m_bEditable || (modifiers & Qt::AltModifier)) return 0;
  const bool shift = modifiers & Qt::ShiftModifier;
  const bool ctrl = modifiers & Qt::ControlModifier;
  if (!shift && !ctrl) {
    if (key == Qt::Key_Delete) return SM_ID_GRID_DELETE;
    if (key == Qt::Key_F3) return SM_ID_EDIT_REPEAT;
    return 0;
  }
  if (shift && !ctrl) {
    if (key == Qt::Key_Insert) return SM_ID_EDIT_PASTE;
    if (key == Qt::Key_Delete) return SM_ID_EDIT_CUT;
    return 0;
  }
  if (shift) return 0;
  switch (key) {
    case Qt::Key_Insert:
    case Qt::Key_C:
      return SM_ID_EDIT_COPY;
    case Qt::Key_A:
      return SM_ID_EDIT_SELECT_ALL;
    case Qt::Key_F:
      return SM_ID_EDIT_FIND;
    case Qt::Key_H:
      return SM_ID_EDIT_REPLACE;
    case Qt::Key_V:
      return SM_ID_EDIT_PASTE;
    case Qt::Key_X:
      return SM_ID_EDIT_CUT;
    case Qt::Key_Y:
      return SM_ID_EDIT_REDO;
    case Qt::Key_Z:
      return SM_ID_EDIT_UNDO;
    default:
      return 0;
  }
}

void CThirdView::keyPressEvent(QKeyEvent* event) {
  const Qt::KeyboardModifiers modifiers = event->modifiers();
  if (modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) {
    HideDropList(false);
  } else if (DropListKey(event->key())) {
    event->accept();
    return;
  }
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (enter && m_bEditable && !(modifiers & Qt::AltModifier) && ValidateCurrentCell()) {
    event->accept();
    return;
  }
  const int id = ShortcutCommand(event->key(), modifiers);
  if (id != 0) {
    OnCommand(id);
    event->accept();
    return;
  }
  CSmFormView::keyPressEvent(event);
  NarrowDropList();
}
