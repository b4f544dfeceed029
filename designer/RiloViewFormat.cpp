// The format commands of the report view: fonts and font attributes, table lines and
// backgrounds, cell layout, number formats, row heights and column widths.
#include "app/SmAppCommands.h"
#include "core/SmString.h"
#include "designer/RiloAlignDlg.h"
#include "designer/RiloLineDlg.h"
#include "designer/RiloNumFmtDlg.h"
#include "designer/RiloRowColDlg.h"
#include "designer/RiloSizeDlg.h"
#include "designer/RiloView.h"
#include "platform/SmMessage.h"
#include "ui/SmFontDlg.h"

namespace {

// Layout button ids with their codes: 0 to 7 horizontal, 10 to 14 vertical.
constexpr std::array<std::pair<int, int>, 12> kLayoutButtons{{
    {SM_ID_RILO_ALIGN_LEFT, 0},
    {SM_ID_RILO_ALIGN_RIGHT, 1},
    {SM_ID_RILO_ALIGN_CENTER, 2},
    {SM_ID_RILO_DISTRIBUTE, 3},
    {SM_ID_RILO_SPAN_LEFT, 4},
    {SM_ID_RILO_SPAN_RIGHT, 5},
    {SM_ID_RILO_SPAN_CENTER, 6},
    {SM_ID_RILO_SPAN_DISTRIBUTE, 7},
    {SM_ID_RILO_VERTICAL_CENTER, 10},
    {SM_ID_RILO_ROWS_BOTTOM, 11},
    {SM_ID_RILO_ROWS_TOP, 12},
    {SM_ID_RILO_ROWS_CENTER, 14},
}};

std::optional<int> LayoutCode(int id) {
  for (const auto& [button, code] : kLayoutButtons) {
    if (button == id) return code;
  }
  return std::nullopt;
}

// The line preset of a command id, 0 to 8.
std::optional<int> LinePreset(int id) {
  if (id >= SM_ID_RILO_LINES_FIRST && id <= SM_ID_RILO_LINES_LAST)
    return id - SM_ID_RILO_LINES_FIRST;
  if (id == SM_ID_RILO_NO_BORDER) return 8;
  return std::nullopt;
}

std::string EscCode(char letter) {
  const bool value = letter == 'O' || letter == 'P' || letter == 'Q';
  return value ? std::string{kRiloEsc, letter, kRiloFs} : std::string{kRiloEsc, letter};
}

// The font dialog's codes as a code set: the face, size and colour codes ended like values.
std::string CodeSet(const std::string& codes) {
  std::string set;
  for (size_t i = 0; i + 1 < codes.size(); ++i) {
    if (codes[i] != kRiloEsc) continue;
    set += EscCode(codes[i + 1]);
  }
  return set;
}

}  // namespace

bool CRiloView::OnUpdateFormatCommand(int id, CSmCmdUI& ui) {
  const CRiloDoc* doc = GetDocument();
  if (!doc) return false;
  const bool e2 = HasCells();
  const bool e1 = e2 && !IsReadOnly();
  // Character formats live in the master text alone: formulas and child table values are
  // stored and saved without them.
  const bool masterText = doc->m_editMode == 0;
  if (const std::optional<int> code = LayoutCode(id)) {
    const int shown = *code < 10 ? doc->m_layoutCodes.first : doc->m_layoutCodes.second;
    ui.SetCheck(shown == *code % 10 ? 1 : 0);
    return true;
  }
  if (LinePreset(id)) {
    ui.Enable(e1);
    return true;
  }
  switch (id) {
    case SM_ID_RILO_BOLD:
    case SM_ID_RILO_ITALIC:
    case SM_ID_RILO_UNDERLINE: {
      const size_t attribute = id == SM_ID_RILO_BOLD ? 0 : id == SM_ID_RILO_ITALIC ? 1 : 2;
      ui.Enable(masterText);
      ui.SetCheck(doc->m_fontStates[attribute]);
      return true;
    }
    case SM_ID_RILO_FONT:
      ui.Enable(e1 && masterText);
      return true;
    case SM_ID_RILO_LINES:
    case SM_ID_RILO_CELL_LAYOUT:
    case SM_ID_RILO_NUM_FORMAT:
    case SM_ID_RILO_DELETE:
      ui.Enable(e1);
      return true;
    case SM_ID_RILO_SIZES:
      ui.Enable(e2);
      return true;
    case SM_ID_RILO_INSERT:
      // An empty sheet gets its first rows and columns here.
      ui.Enable(Sheet() && Sheet()->m_rows < 900 && Sheet()->m_cols < 60 && !IsReadOnly());
      return true;
    default:
      return false;
  }
}

bool CRiloView::OnFormatCommand(int id) {
  if (const std::optional<int> code = LayoutCode(id)) {
    ApplyLayout(*code);
    return true;
  }
  if (const std::optional<int> preset = LinePreset(id)) {
    ApplyLines(RiloLinePreset(*preset));
    return true;
  }
  switch (id) {
    case SM_ID_RILO_BOLD:
      ToggleFontAttribute(0);
      return true;
    case SM_ID_RILO_ITALIC:
      ToggleFontAttribute(1);
      return true;
    case SM_ID_RILO_UNDERLINE:
      ToggleFontAttribute(2);
      return true;
    case SM_ID_RILO_FONT: {
      if (!HasCells() || IsReadOnly()) return true;
      SmRiloTextState state;
      std::string mixed;
      GetDocument()->GetCurrentFormat(state, mixed);
      CSmFontDlg dialog(state.font, state.color, mixed, this);
      if (dialog.DoModal() != SM_IDOK) return true;
      std::string codes;
      dialog.GetLogFont(state.font, state.color, codes);
      ApplyFormat(state, CodeSet(codes));
      return true;
    }
    case SM_ID_RILO_LINES: {
      CRiloDoc* doc = GetDocument();
      SmRiloLineSettings read;
      if (!doc || IsReadOnly() || !doc->GetSelectionLines(read)) return true;
      CRiloLineDlg dialog(read, this);
      if (dialog.DoModal() == SM_IDOK) ApplyLines(dialog.m_result);
      return true;
    }
    case SM_ID_RILO_CELL_LAYOUT:
      ApplyLayout(-1);
      return true;
    case SM_ID_RILO_NUM_FORMAT:
      ChangeNumFormat();
      return true;
    case SM_ID_RILO_SIZES:
      ChangeSizes();
      return true;
    case SM_ID_RILO_INSERT:
    case SM_ID_RILO_DELETE:
      ChangeRowsColumns(id == SM_ID_RILO_INSERT);
      return true;
    default:
      return false;
  }
}

void CRiloView::ApplyFormat(const SmRiloTextState& state, const std::string& codes) {
  CRiloDoc* doc = GetDocument();
  if (!doc || !HasCells() || IsReadOnly() || codes.empty() || doc->m_editMode != 0) return;
  doc->CloseTypingRun();
  doc->ApplyFormatToSelection(state, codes);
  doc->RefreshFormatState();
  UpdateAllPanes();
}

void CRiloView::ToggleFontAttribute(int attribute) {
  CRiloDoc* doc = GetDocument();
  setFocus();
  if (!doc || !HasCells() || IsReadOnly()) return;
  SmRiloTextState state;
  std::string mixed;
  doc->GetCurrentFormat(state, mixed);
  static constexpr std::array<std::array<char, 2>, 3> kCodes{{{'G', 'H'}, {'A', 'B'}, {'C', 'D'}}};
  const char on = kCodes[static_cast<size_t>(attribute)][0];
  const bool now = attribute == 0   ? state.font.weight == 700
                   : attribute == 1 ? state.font.italic
                                    : state.font.underline;
  // Uniformly set turns off; mixed or unset turns on.
  const bool set = !(now && !CRiloDoc::HasCode(mixed, on));
  if (attribute == 0) state.font.weight = set ? 700 : 400;
  if (attribute == 1) state.font.italic = set;
  if (attribute == 2) state.font.underline = set;
  doc->m_fontStates[static_cast<size_t>(attribute)] = set;
  ApplyFormat(state, EscCode(kCodes[static_cast<size_t>(attribute)][set ? 0 : 1]));
}

void CRiloView::OnFaceChosen(const std::string& face) {
  CRiloDoc* doc = GetDocument();
  setFocus();
  if (!doc || face.empty()) return;
  SmRiloTextState state;
  std::string mixed;
  doc->GetCurrentFormat(state, mixed);
  state.font.faceName = face;
  ApplyFormat(state, EscCode('O'));
}

void CRiloView::OnSizeChosen(const std::string& size) {
  CRiloDoc* doc = GetDocument();
  setFocus();
  const int points = std::atoi(size.c_str());
  if (!doc || points <= 0) return;
  SmRiloTextState state;
  std::string mixed;
  doc->GetCurrentFormat(state, mixed);
  state.font.height = points;
  ApplyFormat(state, EscCode('P'));
}

void CRiloView::RecordSettingsChange(int kind, const CRiloData& before) {
  CRiloDoc& doc = *GetDocument();
  const std::string undo = doc.SettingsUndoText(kind, before);
  if (!undo.empty()) doc.RecordStep({0, 0, 0, 0, kind, undo}, true, true, true);
  UpdateAllPanes();
}

void CRiloView::ApplyLines(const SmRiloLineSettings& settings) {
  CRiloDoc* doc = GetDocument();
  SmRiloLineSettings read;
  if (!doc || IsReadOnly() || !doc->GetSelectionLines(read)) return;
  doc->CloseTypingRun();
  const CRiloData before = doc->m_sheet;
  doc->SetSelectionLines(settings);
  RecordSettingsChange(SM_RILO_STEP_LINES, before);
}

void CRiloView::ApplyLayout(int code) {
  CRiloDoc* doc = GetDocument();
  if (!doc || !HasCells() || IsReadOnly()) return;
  SmIntPair codes;
  bool hUniform = true;
  bool vUniform = true;
  bool noSpanning = false;
  doc->GetSelectionLayout(codes, hUniform, vUniform, noSpanning);
  int horizontal = code;
  int vertical = code % 10;
  bool applyH = code >= 0 && code < 10;
  bool applyV = code >= 10;
  if (code < 0) {
    CRiloAlignDlg dialog(codes.first, hUniform, codes.second, vUniform, noSpanning, this);
    if (dialog.DoModal() != SM_IDOK) return;
    horizontal = dialog.m_horizontal;
    vertical = dialog.m_vertical;
    applyH = dialog.m_applyH;
    applyV = dialog.m_applyV;
  } else if (applyV ? vUniform && codes.second == vertical : hUniform && codes.first == code) {
    return;
  }
  doc->CloseTypingRun();
  const CRiloData before = doc->m_sheet;
  doc->SetSelectionLayout(horizontal, vertical, applyH, applyV);
  if (applyH) doc->m_layoutCodes.first = horizontal;
  if (applyV) doc->m_layoutCodes.second = vertical;
  RecordSettingsChange(SM_RILO_STEP_FORMATS, before);
}

void CRiloView::ChangeNumFormat() {
  CRiloDoc* doc = GetDocument();
  if (!doc || !HasCells() || IsReadOnly()) return;
  SmIntPair format;
  bool uniform = true;
  doc->GetSelectionNumFormat(format, uniform);
  CRiloNumFmtDlg dialog(format.first, format.second, uniform, this);
  if (dialog.DoModal() != SM_IDOK || dialog.m_keep) return;
  doc->CloseTypingRun();
  const std::string undo = doc->SetSelectionNumFormat(dialog.m_minimum, dialog.m_maximum, 1);
  if (undo.empty()) return;
  doc->RecordStep({0, 0, 0, 0, SM_RILO_STEP_NUMFORMAT, undo}, true, true, true);
  UpdateAllPanes();
}

void CRiloView::ChangeSizes() {
  CRiloDoc* doc = GetDocument();
  if (!doc || !HasCells()) return;
  const CRiloData& sheet = doc->m_sheet;
  SmRiloSizeRequest request;
  request.rect = doc->SelectionRect();
  request.rect.right = std::min(request.rect.right, sheet.m_cols - 1);
  request.rect.bottom = std::min(request.rect.bottom, sheet.m_rows - 1);
  request.widths = sheet.m_colWidths;
  request.heights = sheet.m_rowHeights;
  request.widths.resize(static_cast<size_t>(sheet.m_cols));
  request.heights.resize(static_cast<size_t>(sheet.m_rows));
  const SmIntRect& r = request.rect;
  request.width = request.widths[static_cast<size_t>(r.left)];
  request.height = request.heights[static_cast<size_t>(r.top)];
  for (int c = r.left; c <= r.right; ++c)
    request.widthUniform =
        request.widthUniform && request.widths[static_cast<size_t>(c)] == request.width;
  for (int row = r.top; row <= r.bottom; ++row)
    request.heightUniform =
        request.heightUniform && request.heights[static_cast<size_t>(row)] == request.height;
  CRiloSizeDlg dialog(request, this);
  if (dialog.DoModal() != SM_IDOK || IsReadOnly()) return;
  doc->CloseTypingRun();
  const CRiloData before = doc->m_sheet;
  CRiloData& target = doc->m_sheet;
  const auto grow = [](std::vector<int>& sizes, int index) -> int& {
    if (static_cast<size_t>(index) >= sizes.size()) sizes.resize(static_cast<size_t>(index) + 1);
    return sizes[static_cast<size_t>(index)];
  };
  if (dialog.m_applyHeights) {
    for (int row = dialog.m_rect.top; row <= dialog.m_rect.bottom; ++row)
      grow(target.m_rowHeights, row) = dialog.m_height;
  }
  if (dialog.m_applyWidths) {
    for (int c = dialog.m_rect.left; c <= dialog.m_rect.right; ++c)
      grow(target.m_colWidths, c) = dialog.m_width;
  }
  for (CRiloView* pane : Panes()) pane->UpdateScrollSizes();
  EnsureVisible(target.m_currentCell.first, target.m_currentCell.second);
  RecordSettingsChange(SM_RILO_STEP_SIZES, before);
}

void CRiloView::ChangeRowsColumns(bool insert) {
  CRiloDoc* doc = GetDocument();
  if (!doc || IsReadOnly() || (!insert && !HasCells())) return;
  CRiloData& sheet = doc->m_sheet;
  if (insert && (sheet.m_rows >= 900 || sheet.m_cols >= 60)) return;
  CRiloRowColDlg dialog(insert ? 1 : 0, this);
  dialog.m_rows = sheet.m_rows;
  dialog.m_cols = sheet.m_cols;
  dialog.m_currentRow = sheet.m_currentCell.second;
  dialog.m_currentColumn = sheet.m_currentCell.first;
  if (dialog.DoModal() != SM_IDOK) return;
  doc->CloseTypingRun();
  const int sign = insert ? 1 : -1;
  const SmIntRect change{dialog.m_startColumn, dialog.m_startRow, sign * dialog.m_columnCount,
                         sign * dialog.m_rowCount};
  // The whole sheet goes aside for undo; children replay the change when the report is saved.
  doc->m_undoSheets.push_back(sheet);
  doc->m_structureChanges.push_back(change);
  doc->RecordStep({0, 0, 0, 0, SM_RILO_STEP_STRUCTURE,
                   FormatStr("%d %d %d %d ", change.left, change.top, change.right, change.bottom)},
                  true, true, true);
  if (insert) {
    sheet.InsertColumns(dialog.m_startColumn, dialog.m_columnCount);
    sheet.InsertRows(dialog.m_startRow, dialog.m_rowCount);
  } else {
    sheet.DeleteRowsColumns(dialog.m_startColumn, dialog.m_startRow, dialog.m_columnCount,
                            dialog.m_rowCount);
  }
  for (CRiloView* pane : Panes()) {
    pane->m_firstColumn = std::min(pane->m_firstColumn, std::max(sheet.m_cols - 1, 0));
    pane->m_firstRow = std::min(pane->m_firstRow, std::max(sheet.m_rows - 1, 0));
    pane->UpdateScrollSizes();
    pane->update();
  }
  SetCurrentCell(sheet.m_currentCell.first, sheet.m_currentCell.second);
}
