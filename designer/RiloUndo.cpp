// The edit history of a report: at most 20 undo steps with redo, each a small text (a cell's
// string, a block of cells, or lines of changed settings), and whole sheet copies only for row
// and column insertions and deletions. Recording a step moves the change flags; undoing moves
// them back.
#include <algorithm>
#include <sstream>

#include "core/SmString.h"
#include "designer/RiloDoc.h"

namespace {

template <typename T>
T& Grow(std::vector<T>& list, int index) {
  if (static_cast<size_t>(index) >= list.size()) list.resize(static_cast<size_t>(index) + 1);
  return list[static_cast<size_t>(index)];
}

template <typename T>
T ValueAt(const std::vector<T>& list, size_t index) {
  return index < list.size() ? list[index] : T{};
}

// Lines "<tag> index a b" for the entries of `now` that differ from `before`, with the values
// of `now`.
void DiffPairs(std::string& out, int tag, const std::vector<SmIntPair>& before,
               const std::vector<SmIntPair>& now) {
  for (size_t i = 0; i < std::max(before.size(), now.size()); ++i) {
    const SmIntPair value = ValueAt(now, i);
    if (value == ValueAt(before, i)) continue;
    out += FormatStr("%d %d %d %d\n", tag, static_cast<int>(i), value.first, value.second);
  }
}

void DiffInts(std::string& out, int tag, const std::vector<int>& before,
              const std::vector<int>& now, bool trailingZero) {
  for (size_t i = 0; i < std::max(before.size(), now.size()); ++i) {
    const int value = ValueAt(now, i);
    if (value == ValueAt(before, i)) continue;
    out += trailingZero ? FormatStr("%d %d %d 0\n", tag, static_cast<int>(i), value)
                        : FormatStr("%d %d %d\n", tag, static_cast<int>(i), value);
  }
}

}  // namespace

void CRiloDoc::RecordStep(SmRiloEditStep step, bool takePosition, bool forward, bool newEdit) {
  if (forward && newEdit) {
    m_redo.clear();
    m_redoSheets.clear();
  }
  if (takePosition) {
    step.caret = m_sheet.m_caret.first;
    step.column = m_sheet.m_currentCell.first;
    step.row = m_sheet.m_currentCell.second;
  }
  step.editMode = m_editMode;
  if (forward && m_undo.size() >= kMaxUndoSteps) {
    if (m_undo.front().kind == SM_RILO_STEP_STRUCTURE && !m_undoSheets.empty())
      m_undoSheets.erase(m_undoSheets.begin());
    m_undo.erase(m_undo.begin());
  }
  (forward ? m_undo : m_redo).push_back(step);
  if (step.kind == SM_RILO_STEP_STRUCTURE || m_readOnly) return;
  const int d = forward ? 1 : -1;
  const auto flag = [this](int i) -> int& { return m_changes[static_cast<size_t>(i)]; };
  const bool text = step.kind == SM_RILO_STEP_CELL || step.kind == SM_RILO_STEP_TYPING ||
                    step.kind == SM_RILO_STEP_BLOCK;
  if (text) {
    flag(step.editMode) += d;
    if (step.editMode == 0) flag(3) += d;
  }
  if (step.kind == SM_RILO_STEP_CALCULATE) {
    flag(1) += d;
    flag(m_childOpen ? 3 : 0) += d;
  } else if (step.kind == SM_RILO_STEP_AUDIT) {
    flag(2) += d;
  } else if (!text && step.kind + 1 < static_cast<int>(m_changes.size())) {
    flag(step.kind + 1) += d;  // sizes, formats, lines and number formats
  }
}

bool CRiloDoc::PopStep(bool undo, SmRiloEditStep& step) {
  std::vector<SmRiloEditStep>& stack = undo ? m_undo : m_redo;
  if (stack.empty()) return false;
  step = stack.back();
  stack.pop_back();
  return true;
}

void CRiloDoc::CloseTypingRun() {
  if (!m_undo.empty() && m_undo.back().kind == SM_RILO_STEP_TYPING)
    m_undo.back().kind = SM_RILO_STEP_CELL;
}

std::string CRiloDoc::ApplySettingsText(int kind, const std::string& text) {
  const CRiloData before = m_sheet;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    int list = 0;
    int index = 0;
    int a = 0;
    int b = 0;
    std::istringstream fields(line);
    if (!(fields >> list >> index >> a) || index < 0) continue;
    fields >> b;
    if (kind == SM_RILO_STEP_SIZES) {
      Grow(list == 0 ? m_sheet.m_colWidths : m_sheet.m_rowHeights, index) = a;
    } else if (kind == SM_RILO_STEP_FORMATS) {
      std::vector<SmIntPair>& pairs = list == 0   ? m_sheet.m_layout3
                                      : list == 1 ? m_sheet.m_layout4
                                                  : m_sheet.m_layout5;
      Grow(pairs, index) = {a, b};
    } else if (list == 2) {
      Grow(m_sheet.m_backColors, index) = a;
    } else {
      Grow(list == 0 ? m_sheet.m_lineStyles : m_sheet.m_lineColors, index) = {a, b};
    }
  }
  return SettingsUndoText(kind, before);
}

std::string CRiloDoc::SettingsUndoText(int kind, const CRiloData& before) const {
  // Every entry that changed, with the value it had.
  std::string opposite;
  if (kind == SM_RILO_STEP_SIZES) {
    DiffInts(opposite, 0, m_sheet.m_colWidths, before.m_colWidths, false);
    DiffInts(opposite, 1, m_sheet.m_rowHeights, before.m_rowHeights, false);
  } else if (kind == SM_RILO_STEP_FORMATS) {
    DiffPairs(opposite, 0, m_sheet.m_layout3, before.m_layout3);
    DiffPairs(opposite, 1, m_sheet.m_layout4, before.m_layout4);
    DiffPairs(opposite, 2, m_sheet.m_layout5, before.m_layout5);
  } else {
    DiffPairs(opposite, 0, m_sheet.m_lineStyles, before.m_lineStyles);
    DiffPairs(opposite, 1, m_sheet.m_lineColors, before.m_lineColors);
    DiffInts(opposite, 2, m_sheet.m_backColors, before.m_backColors, true);
  }
  return opposite;
}

bool CRiloDoc::ApplyStep(bool undo) {
  SmRiloEditStep step;
  if (!PopStep(undo, step)) return false;
  m_editMode = step.editMode;
  CRiloData& sheet = m_sheet;
  const int cell = CellIndex(step.column, step.row);
  switch (step.kind) {
    case SM_RILO_STEP_CELL:
    case SM_RILO_STEP_TYPING: {
      if (cell < 0) return false;
      std::swap(sheet.m_texts[static_cast<size_t>(cell)], step.text);
      sheet.m_caret = {step.caret, 0};
      sheet.m_currentCell = {step.column, step.row};
      break;
    }
    case SM_RILO_STEP_BLOCK:
    case SM_RILO_STEP_CALCULATE:
    case SM_RILO_STEP_AUDIT: {
      step.text = sheet.ApplyTextBlock(step.text, step.column, step.row);
      if (step.text.empty()) return false;
      sheet.m_currentCell = {step.column, step.row};
      sheet.m_selectRect = {step.column, step.row, step.column, step.row};
      sheet.m_caret = {};
      sheet.m_textSelect = {};
      sheet.m_selectMode = 0;
      break;
    }
    case SM_RILO_STEP_SIZES:
    case SM_RILO_STEP_FORMATS:
    case SM_RILO_STEP_LINES:
      step.text = ApplySettingsText(step.kind, step.text);
      sheet.m_currentCell = {step.column, step.row};
      sheet.m_caret = {step.caret, 0};
      break;
    case SM_RILO_STEP_NUMFORMAT:
      step.text = ApplyNumFormatText(step.text);
      if (step.text.empty()) return false;
      break;
    case SM_RILO_STEP_STRUCTURE: {
      std::vector<CRiloData>& copies = undo ? m_undoSheets : m_redoSheets;
      if (copies.empty()) return false;
      SmIntRect change;
      std::istringstream fields(step.text);
      fields >> change.left >> change.top >> change.right >> change.bottom;
      if (!undo) {
        m_structureChanges.push_back(change);
      } else if (!m_structureChanges.empty()) {
        m_structureChanges.pop_back();
      } else {
        m_structureChanges.push_back({change.left, change.top, -change.right, -change.bottom});
      }
      (undo ? m_redoSheets : m_undoSheets).push_back(sheet);
      sheet = copies.back();  // the variables stay
      copies.pop_back();
      step.caret = sheet.m_caret.first;
      step.column = sheet.m_currentCell.first;
      step.row = sheet.m_currentCell.second;
      break;
    }
    default:
      return false;
  }
  RecordStep(step, false, !undo, false);
  return true;
}
