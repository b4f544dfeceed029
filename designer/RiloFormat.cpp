// Formats of the selection: character formats of the selected texts, the cell layout with its
// spanning blocks, and the table lines and backgrounds of the selected rectangle.
#include <algorithm>

#include "core/SmGbk.h"
#include "designer/RiloDoc.h"

namespace {

template <typename T>
T& GrowTo(std::vector<T>& list, size_t index) {
  if (index >= list.size()) list.resize(index + 1);
  return list[index];
}

template <typename T>
T ValueOf(const std::vector<T>& list, size_t index) {
  return index < list.size() ? list[index] : T{};
}

// Adds to the set what turns each part of the plain range [start, end) of the text into `state`.
void CollectRangeCodes(std::string_view text, int start, int end, const SmRiloTextState& state,
                       std::string& codeSet) {
  SmRiloTextState current = RiloDefaultState();
  for (const SmRiloPiece& piece : RiloScan(text)) {
    if (piece.IsCode()) {
      RiloApplyCode(piece, current);
      continue;
    }
    if (piece.plainPos >= start && piece.plainPos < end)
      CRiloDoc::AddMissingCodes(codeSet, CRiloDoc::CodesBetween(current, state));
  }
}

int PlainSize(std::string_view text) {
  return static_cast<int>(GbkSize(CRiloDoc::StripCodes(text)));
}

}  // namespace

// ---------------------------------------------------------------- character formats

void CRiloDoc::GetCurrentFormat(SmRiloTextState& state, std::string& mixedCodes) const {
  // In area selection the anchor cell of the area being dragged.
  SmIntPair current = m_sheet.m_currentCell;
  if (m_sheet.m_selectMode == 2 && m_sheet.m_rows > 0 && m_sheet.m_cols > 0) {
    current = {std::clamp(m_sheet.m_selectRect.left, 0, m_sheet.m_cols - 1),
               std::clamp(m_sheet.m_selectRect.top, 0, m_sheet.m_rows - 1)};
  }
  const std::string text = GetLayerText(current.first, current.second, m_editMode);
  int position = 0;
  if (m_sheet.m_selectMode == 1)
    position = std::min(m_sheet.m_textSelect.first, m_sheet.m_textSelect.second);
  else if (m_sheet.m_selectMode == 0)
    position = m_sheet.m_caret.first;
  state = StateAt(text, position);
  mixedCodes.clear();
  CollectChangeCodes(state, mixedCodes);
}

void CRiloDoc::RefreshFormatState() {
  SmRiloTextState state;
  std::string mixed;
  GetCurrentFormat(state, mixed);
  m_fontStates = {state.font.weight == 700 && !HasCode(mixed, 'G'),
                  state.font.italic && !HasCode(mixed, 'A'),
                  state.font.underline && !HasCode(mixed, 'C')};
  SmIntPair codes;
  bool hUniform = true;
  bool vUniform = true;
  bool noSpanning = false;
  GetSelectionLayout(codes, hUniform, vUniform, noSpanning);
  m_layoutCodes = {hUniform ? codes.first : -1, vUniform ? codes.second : -1};
}

void CRiloDoc::CollectChangeCodes(const SmRiloTextState& state, std::string& codeSet) const {
  codeSet.clear();
  if (m_sheet.m_selectMode == 2) {
    for (const SmIntPair& cell : AreaCells()) {
      const std::string text = GetLayerText(cell.first, cell.second, m_editMode);
      if (!text.empty()) CollectRangeCodes(text, 0, PlainSize(text), state, codeSet);
    }
    return;
  }
  if (m_sheet.m_selectMode != 1) return;
  const auto [start, end] = std::minmax(m_sheet.m_textSelect.first, m_sheet.m_textSelect.second);
  if (start == end) return;
  const SmIntPair& current = m_sheet.m_currentCell;
  CollectRangeCodes(GetLayerText(current.first, current.second, m_editMode), start, end, state,
                    codeSet);
}

SmRiloEditStep CRiloDoc::PushAreaUndo() const {
  SmRiloEditStep step;
  const SmIntPair& current = m_sheet.m_currentCell;
  step.caret = m_sheet.m_caret.first;
  step.column = current.first;
  step.row = current.second;
  step.editMode = m_editMode;
  if (m_sheet.m_selectMode != 2) {
    step.kind = SM_RILO_STEP_CELL;
    step.text = ValueOf(m_sheet.m_texts,
                        static_cast<size_t>(std::max(CellIndex(current.first, current.second), 0)));
    return step;
  }
  // The whole strings of the cells, so that undoing never drops the layers not being edited.
  SmIntRect box = m_sheet.m_selectRect.Normalized();
  for (const SmIntRect& area : m_sheet.m_areas) {
    const SmIntRect r = area.Normalized();
    box = {std::min(box.left, r.left), std::min(box.top, r.top), std::max(box.right, r.right),
           std::max(box.bottom, r.bottom)};
  }
  box.right = std::min(box.right, m_sheet.m_cols - 1);
  box.bottom = std::min(box.bottom, m_sheet.m_rows - 1);
  step.kind = SM_RILO_STEP_BLOCK;
  step.column = box.left;
  step.row = box.top;
  for (int row = box.top; row <= box.bottom; ++row) {
    for (int column = box.left; column <= box.right; ++column) {
      step.text += ValueOf(m_sheet.m_texts, static_cast<size_t>(CellIndex(column, row)));
      step.text += column < box.right ? '\t' : '\n';
    }
  }
  return step;
}

bool CRiloDoc::ApplyFormatToSelection(const SmRiloTextState& state, const std::string& codes) {
  if (m_sheet.m_rows <= 0 || m_sheet.m_cols <= 0) return false;
  const SmRiloEditStep step = PushAreaUndo();
  const std::vector<std::string> before = m_sheet.m_texts;
  const bool area = m_sheet.m_selectMode == 2;
  if (area) {
    for (const SmIntPair& cell : AreaCells()) {
      const std::string text = GetLayerText(cell.first, cell.second, m_editMode);
      SetLayerText(cell.first, cell.second,
                   NormalizeCodes(FormatCellText(text, 0, PlainSize(text), state, codes)));
    }
  } else {
    const SmIntPair& current = m_sheet.m_currentCell;
    SmIntPair range = m_sheet.m_selectMode == 1
                          ? m_sheet.m_textSelect
                          : SmIntPair{m_sheet.m_caret.first, m_sheet.m_caret.first};
    const std::string text = GetLayerText(current.first, current.second, m_editMode);
    SetLayerText(current.first, current.second,
                 FormatCellText(text, range.first, range.second, state, codes));
  }
  if (m_sheet.m_texts != before) RecordStep(step, false, true, true);
  return area;
}

// ---------------------------------------------------------------- cell layout

void CRiloDoc::GetSelectionLayout(SmIntPair& codes, bool& hUniform, bool& vUniform,
                                  bool& noSpanning) const {
  codes = {0, 0};
  hUniform = vUniform = true;
  noSpanning = false;
  if (m_sheet.m_rows <= 0 || m_sheet.m_cols <= 0) return;
  noSpanning = m_sheet.m_selectMode == 2 && !m_sheet.m_areas.empty();
  if (m_sheet.m_selectMode != 2) {
    const SmIntPair& current = m_sheet.m_currentCell;
    codes = ValueOf(m_sheet.m_layout3,
                    static_cast<size_t>(std::max(CellIndex(current.first, current.second), 0)));
    hUniform = codes.first <= 3;
    vUniform = codes.second <= 3;
    return;
  }
  SmIntRect anchor = m_sheet.m_selectRect;
  anchor.left = std::clamp(anchor.left, 0, m_sheet.m_cols - 1);
  anchor.top = std::clamp(anchor.top, 0, m_sheet.m_rows - 1);
  codes = ValueOf(m_sheet.m_layout3, static_cast<size_t>(CellIndex(anchor.left, anchor.top)));
  for (const SmIntPair& cell : AreaCells()) {
    const SmIntPair code =
        ValueOf(m_sheet.m_layout3, static_cast<size_t>(CellIndex(cell.first, cell.second)));
    hUniform = hUniform && code.first == codes.first;
    vUniform = vUniform && code.second == codes.second;
    if (!hUniform && !vUniform) return;
  }
}

bool CRiloDoc::SetSelectionLayout(int horizontal, int vertical, bool applyH, bool applyV) {
  if (m_sheet.m_rows <= 0 || m_sheet.m_cols <= 0) return false;
  if (m_sheet.m_selectMode != 2) {
    const SmIntPair& current = m_sheet.m_currentCell;
    const int cell = CellIndex(current.first, current.second);
    if (cell < 0) return false;
    const SmIntPair old = ValueOf(m_sheet.m_layout3, static_cast<size_t>(cell));
    const SmIntPair codes{applyH ? horizontal % 4 : old.first, applyV ? vertical % 4 : old.second};
    if (codes == old) return false;
    ClearBlock(current.first, current.second, applyH, applyV);
    GrowTo(m_sheet.m_layout3, static_cast<size_t>(cell)) = codes;
    return true;
  }
  if (!m_sheet.m_areas.empty() && ((applyH && horizontal > 3) || (applyV && vertical > 3)))
    return false;
  std::vector<SmIntRect> areas = m_sheet.m_areas;
  areas.push_back(m_sheet.m_selectRect);
  for (const SmIntRect& area : areas) {
    SmIntRect r = area.Normalized();
    r.right = std::min(r.right, m_sheet.m_cols - 1);
    r.bottom = std::min(r.bottom, m_sheet.m_rows - 1);
    ClearSpansInRect(r, applyH, applyV);
    ApplyLayoutRect(horizontal, vertical, r, applyH, applyV);
  }
  return true;
}

void CRiloDoc::ClearSpansInRect(const SmIntRect& rect, bool applyH, bool applyV) {
  for (int row = rect.top; row <= rect.bottom; ++row) {
    for (int column = rect.left; column <= rect.right; ++column) {
      const SmIntPair code =
          ValueOf(m_sheet.m_layout3, static_cast<size_t>(std::max(CellIndex(column, row), 0)));
      if ((applyH && code.first > 3) || (applyV && code.second > 3))
        ClearBlock(column, row, applyH, applyV);
    }
  }
}

void CRiloDoc::ClearBlock(int column, int row, bool applyH, bool applyV) {
  const int cell = CellIndex(column, row);
  if (cell < 0 || (!applyH && !applyV)) return;
  const size_t index = static_cast<size_t>(cell);
  const SmIntPair code = ValueOf(m_sheet.m_layout3, index);
  if (code.first < 4) return;
  const SmIntPair first = ValueOf(m_sheet.m_layout4, index);
  const SmIntPair last = ValueOf(m_sheet.m_layout5, index);
  const int top = code.second == 4 ? first.second : row;
  const int bottom = code.second == 4 ? last.second : row;
  for (int r = top; r <= bottom; ++r) {
    for (int c = first.first; c <= last.first; ++c) {
      const int i = CellIndex(c, r);
      if (i < 0) continue;
      SmIntPair& layout = GrowTo(m_sheet.m_layout3, static_cast<size_t>(i));
      SmIntPair& from = GrowTo(m_sheet.m_layout4, static_cast<size_t>(i));
      SmIntPair& to = GrowTo(m_sheet.m_layout5, static_cast<size_t>(i));
      if (applyH) layout.first = from.first = to.first = 0;
      if (applyV) layout.second = from.second = to.second = 0;
    }
  }
}

void CRiloDoc::ApplyLayoutRect(int horizontal, int vertical, const SmIntRect& rect, bool applyH,
                               bool applyV) {
  for (int row = rect.top; row <= rect.bottom; ++row) {
    for (int column = rect.left; column <= rect.right; ++column) {
      const int i = CellIndex(column, row);
      if (i < 0) continue;
      SmIntPair& layout = GrowTo(m_sheet.m_layout3, static_cast<size_t>(i));
      SmIntPair& from = GrowTo(m_sheet.m_layout4, static_cast<size_t>(i));
      SmIntPair& to = GrowTo(m_sheet.m_layout5, static_cast<size_t>(i));
      if (applyH) {
        layout.first = horizontal;
        from.first = horizontal >= 4 ? rect.left : 0;
        to.first = horizontal >= 4 ? rect.right : 0;
      }
      if (applyV) {
        layout.second = vertical;
        from.second = vertical >= 4 ? rect.top : 0;
        to.second = vertical >= 4 ? rect.bottom : 0;
      }
    }
  }
}

// ---------------------------------------------------------------- table lines

namespace {

enum { kTop = 0, kBottom = 1, kLeft = 2, kRight = 3, kInner = 4 };

// The side a node's line belongs to (node row r, column c; vertical or horizontal line); -1
// when it lies outside the rectangle.
int SideOf(const SmIntRect& rect, int r, int c, bool vertical) {
  if (vertical) {
    if (r < rect.top || r > rect.bottom || c < rect.left || c > rect.right + 1) return -1;
    return c == rect.left ? kLeft : c == rect.right + 1 ? kRight : kInner;
  }
  if (c < rect.left || c > rect.right || r < rect.top || r > rect.bottom + 1) return -1;
  return r == rect.top ? kTop : r == rect.bottom + 1 ? kBottom : kInner;
}

int LinePart(const SmIntPair& pair, bool vertical) {
  return vertical ? pair.first : pair.second;
}

}  // namespace

SmIntRect CRiloDoc::SelectionRect() const {
  if (m_sheet.m_selectMode == 2) return m_sheet.m_selectRect.Normalized();
  const SmIntPair& current = m_sheet.m_currentCell;
  return {current.first, current.second, current.first, current.second};
}

bool CRiloDoc::GetSelectionLines(SmRiloLineSettings& settings) const {
  if (m_sheet.m_rows <= 0 || m_sheet.m_cols <= 0) return false;
  if (m_sheet.m_selectMode == 2 && !m_sheet.m_areas.empty()) return false;
  const SmIntRect rect = SelectionRect();
  const int stride = m_sheet.m_cols + 1;
  const auto node = [&](int r, int c) { return static_cast<size_t>(c + r * stride); };
  const auto style = [&](int r, int c, bool v) {
    return LinePart(ValueOf(m_sheet.m_lineStyles, node(r, c)), v);
  };
  const auto color = [&](int r, int c, bool v) {
    return LinePart(ValueOf(m_sheet.m_lineColors, node(r, c)), v);
  };
  settings = {};
  settings.styleFlag.fill(true);
  settings.colorFlag.fill(true);
  settings.backFlag = true;
  const std::array<std::array<int, 3>, 4> samples{{{rect.top, rect.left, 0},
                                                   {rect.bottom + 1, rect.right, 0},
                                                   {rect.top, rect.left, 1},
                                                   {rect.bottom, rect.right + 1, 1}}};
  for (int side = kTop; side <= kRight; ++side) {
    const auto& [r, c, v] = samples[static_cast<size_t>(side)];
    settings.style[side] = style(r, c, v);
    settings.color[side] = color(r, c, v);
  }
  const int height = rect.bottom - rect.top + 1;
  const int width = rect.right - rect.left + 1;
  if (height < 3 && width < 3) {
    settings.style[kInner] = 1;
    settings.color[kInner] = 0xC0C0C0;
    settings.styleFlag[kInner] = settings.colorFlag[kInner] = false;
  } else if (height >= 3) {
    settings.style[kInner] = style(rect.top + 1, rect.left, false);
    settings.color[kInner] = color(rect.top + 1, rect.left, false);
  } else {
    settings.style[kInner] = style(rect.top, rect.left + 1, true);
    settings.color[kInner] = color(rect.top, rect.left + 1, true);
  }
  const bool innerSampled = settings.styleFlag[kInner];
  for (int r = rect.top; r <= rect.bottom + 1; ++r) {
    for (int c = rect.left; c <= rect.right + 1; ++c) {
      for (bool v : {true, false}) {
        const int side = SideOf(rect, r, c, v);
        if (side < 0 || (side == kInner && !innerSampled)) continue;
        if (style(r, c, v) != settings.style[side]) settings.styleFlag[side] = false;
        if (color(r, c, v) != settings.color[side]) settings.colorFlag[side] = false;
      }
    }
  }
  settings.back =
      ValueOf(m_sheet.m_backColors, static_cast<size_t>(CellIndex(rect.left, rect.top)));
  for (int r = rect.top; r <= rect.bottom; ++r) {
    for (int c = rect.left; c <= rect.right; ++c) {
      if (ValueOf(m_sheet.m_backColors, static_cast<size_t>(CellIndex(c, r))) != settings.back)
        settings.backFlag = false;
    }
  }
  return true;
}

void CRiloDoc::SetSelectionLines(const SmRiloLineSettings& settings) {
  if (m_sheet.m_rows <= 0 || m_sheet.m_cols <= 0) return;
  if (m_sheet.m_selectMode == 2 && !m_sheet.m_areas.empty()) return;
  SmIntRect rect = SelectionRect();
  rect.right = std::min(rect.right, m_sheet.m_cols - 1);
  rect.bottom = std::min(rect.bottom, m_sheet.m_rows - 1);
  const int stride = m_sheet.m_cols + 1;
  for (int r = rect.top; r <= rect.bottom + 1; ++r) {
    for (int c = rect.left; c <= rect.right + 1; ++c) {
      const size_t node = static_cast<size_t>(c + r * stride);
      for (bool v : {true, false}) {
        const int side = SideOf(rect, r, c, v);
        if (side < 0) continue;
        if (settings.styleFlag[side]) {
          SmIntPair& pair = GrowTo(m_sheet.m_lineStyles, node);
          (v ? pair.first : pair.second) = settings.style[side];
        }
        if (settings.colorFlag[side]) {
          SmIntPair& pair = GrowTo(m_sheet.m_lineColors, node);
          (v ? pair.first : pair.second) = settings.color[side];
        }
      }
    }
  }
  if (!settings.backFlag) return;
  for (int r = rect.top; r <= rect.bottom; ++r) {
    for (int c = rect.left; c <= rect.right; ++c)
      GrowTo(m_sheet.m_backColors, static_cast<size_t>(CellIndex(c, r))) = settings.back;
  }
}

SmRiloLineSettings RiloLinePreset(int preset) {
  constexpr int kKeep = -1;
  // Outer style, outer colour set, inner style.
  constexpr std::array<std::array<int, 3>, 9> kPresets{{{2, 1, 1},
                                                        {2, 1, 0},
                                                        {1, 1, 1},
                                                        {2, 1, kKeep},
                                                        {1, 1, kKeep},
                                                        {kKeep, 0, 2},
                                                        {kKeep, 0, 1},
                                                        {kKeep, 0, 0},
                                                        {0, 0, 0}}};
  const auto& [outer, outerColor, inner] = kPresets[static_cast<size_t>(std::clamp(preset, 0, 8))];
  SmRiloLineSettings settings;
  for (int side = kTop; side <= kRight; ++side) {
    settings.style[side] = std::max(outer, 0);
    settings.styleFlag[side] = outer != kKeep;
    settings.colorFlag[side] = outerColor != 0;
  }
  settings.style[kInner] = std::max(inner, 0);
  settings.styleFlag[kInner] = settings.colorFlag[kInner] = inner != kKeep;
  return settings;
}

// ---------------------------------------------------------------- sizes from the mouse

void CRiloDoc::SetSizeFromPixels(bool column, int index, int pixels) {
  if (index < 0) return;
  const double scale = column ? m_screenScaleX : m_screenScaleY;
  const int size = static_cast<int>(pixels / (m_sheet.m_screenFactor * scale * 0.01));
  GrowTo(column ? m_sheet.m_colWidths : m_sheet.m_rowHeights, static_cast<size_t>(index)) = size;
}

void CRiloDoc::SetSelectedSizesFromPixels(int column, int row, int pixels) {
  if (m_sheet.m_selectMode != 2 || !m_sheet.m_areas.empty()) return;
  const SmIntRect r = m_sheet.m_selectRect.Normalized();
  if (column < 0) {
    if (row < r.top || row > r.bottom) return;
    for (int i = r.top; i <= r.bottom; ++i) SetSizeFromPixels(false, i, pixels);
    return;
  }
  if (column < r.left || column > r.right) return;
  for (int i = r.left; i <= r.right; ++i) SetSizeFromPixels(true, i, pixels);
}
