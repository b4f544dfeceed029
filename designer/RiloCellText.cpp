// Cell strings and their layers, the text a cell shows, and the number formats and sums of the
// selection.
#include <algorithm>
#include <cstdio>
#include <sstream>

#include "core/SmNumber.h"
#include "core/SmString.h"
#include "designer/RiloDoc.h"

namespace {

constexpr char kLayerSeparator = '\x01';
const SmIntPair kDefaultNumFormat{2, 2};

std::string Layer(std::string_view cell, int k) {
  return GetNthField(cell, k, kLayerSeparator);
}

// The master text's leading codes.
std::string LeadingCodes(std::string_view master) {
  return std::string(master.substr(0, RiloRawOffset(RiloScan(master), master.size(), 0)));
}

// A number text with at least one digit ("", "-" and "." are texts).
bool IsNumberValue(std::string_view text) {
  return IsNumberText(text, 0, -1) && text.find_first_of("0123456789") != std::string_view::npos;
}

}  // namespace

std::string CRiloDoc::GetCellLayer(std::string_view cell, int k, bool withCodes) {
  const std::string master = Layer(cell, 0);
  const std::string layer = k > 0 ? Layer(cell, k) : std::string();
  if (withCodes) return layer.empty() ? master : LeadingCodes(master) + layer;
  return layer.empty() ? StripCodes(master) : layer;
}

std::string CRiloDoc::SetCellLayer(std::string_view cell, std::string_view text, int k) {
  std::string old(cell);
  std::string value(text);
  if (k == 0 || k == 3) {
    const bool masterContent = !ReplaceAll(StripCodes(Layer(old, 0)), ",", "").empty();
    if (masterContent && k == 3) value.clear();  // a child text never covers master content
    if (masterContent && k == 0 && CountChar(old, kLayerSeparator) > 3)
      old.erase(old.rfind(kLayerSeparator));  // master text written drops the child text
  }
  if (k != 0) value = StripCodes(value);
  std::string result;
  size_t from = 0;                           // where layer k of the old string starts
  for (int layer = 0; layer < k; ++layer) {  // a missing layer is added empty
    const size_t separator =
        from == std::string::npos ? std::string::npos : old.find(kLayerSeparator, from);
    if (from != std::string::npos) result += old.substr(from, separator - from);
    result += kLayerSeparator;
    from = separator == std::string::npos ? std::string::npos : separator + 1;
  }
  result += value;
  if (from != std::string::npos) {
    const size_t next = old.find(kLayerSeparator, from);
    if (next != std::string::npos) result += old.substr(next);
  }
  return result;
}

std::string CRiloDoc::PrefixCodes(std::string_view master, std::string_view text) {
  return LeadingCodes(master) + std::string(text);
}

std::string CRiloDoc::GetLayerPlain(std::string_view cell, int k) {
  if (CountChar(cell, kLayerSeparator) <= k) return std::string();
  return StripCodes(Layer(cell, k));
}

int CRiloDoc::CellIndex(int column, int row) const {
  if (column < 0 || row < 0 || column >= m_sheet.m_cols || row >= m_sheet.m_rows) return -1;
  return column + row * m_sheet.m_cols;
}

std::string CRiloDoc::GetLayerText(int column, int row, int k) const {
  const int cell = CellIndex(column, row);
  if (cell < 0 || static_cast<size_t>(cell) >= m_sheet.m_texts.size()) return std::string();
  const std::string& text = m_sheet.m_texts[static_cast<size_t>(cell)];
  const std::string master = Layer(text, 0);
  return k == 0 ? master : PrefixCodes(master, Layer(text, k));
}

std::string CRiloDoc::GetDisplayText(int column, int row, bool withCodes,
                                     bool withNumFormat) const {
  const int cell = CellIndex(column, row);
  if (cell < 0 || static_cast<size_t>(cell) >= m_sheet.m_texts.size()) return std::string();
  const std::string shown =
      GetCellLayer(m_sheet.m_texts[static_cast<size_t>(cell)], m_editMode, withCodes);
  const SmIntPair format = NumFormatAt(cell);
  if (!withNumFormat || format.first < 0) return shown;
  const std::string lead = LeadingCodes(shown);
  const std::string body = shown.substr(lead.size());
  if (!IsNumberValue(body)) return shown;
  double value = 0;
  std::sscanf(body.c_str(), "%lf", &value);
  return lead + ReplaceAll(FormatNumber(value, 0, format.first, format.second), ",", "");
}

void CRiloDoc::SetLayerText(int column, int row, const std::string& text) {
  const int cell = CellIndex(column, row);
  if (cell < 0) return;
  if (static_cast<size_t>(cell) >= m_sheet.m_texts.size())
    m_sheet.m_texts.resize(static_cast<size_t>(cell) + 1);
  std::string& stored = m_sheet.m_texts[static_cast<size_t>(cell)];
  stored = SetCellLayer(stored, text, m_editMode);
}

void CRiloDoc::GetAllCellTexts(std::vector<std::string>& texts, int k) const {
  const size_t count = static_cast<size_t>(std::max(m_sheet.m_rows * m_sheet.m_cols, 0));
  texts.assign(count, std::string());
  for (size_t i = 0; i < count && i < m_sheet.m_texts.size(); ++i)
    texts[i] = GetLayerPlain(m_sheet.m_texts[i], k);
}

void CRiloDoc::ApplyCellTexts(const std::vector<std::string>& texts, int k) {
  const size_t count = static_cast<size_t>(std::max(m_sheet.m_rows * m_sheet.m_cols, 0));
  if (texts.size() != count) return;
  if (m_sheet.m_texts.size() < count) m_sheet.m_texts.resize(count);
  for (size_t i = 0; i < count; ++i) {
    std::string& stored = m_sheet.m_texts[i];
    // A cell that already reads the text keeps its string, format codes inside the text too.
    const std::string current =
        k == 1 || k == 2 ? GetLayerPlain(stored, k) : GetCellLayer(stored, k, false);
    if (current == texts[i]) continue;
    const std::string text = k == 0 ? PrefixCodes(Layer(stored, 0), texts[i]) : texts[i];
    stored = SetCellLayer(stored, text, k);
  }
}

// ---------------------------------------------------------------- the selection

std::vector<SmIntPair> CRiloDoc::AreaCells() const {
  std::vector<SmIntRect> areas = m_sheet.m_areas;
  areas.push_back(m_sheet.m_selectRect);
  std::vector<SmIntPair> cells;
  for (const SmIntRect& area : areas) {
    const SmIntRect r = area.Normalized();
    for (int row = r.top; row <= r.bottom; ++row) {
      for (int column = r.left; column <= r.right; ++column) {
        if (CellIndex(column, row) >= 0) cells.push_back({column, row});
      }
    }
  }
  return cells;
}

std::vector<SmIntPair> CRiloDoc::SelectedCells() const {
  if (m_sheet.m_selectMode == 2) return AreaCells();
  const SmIntPair& current = m_sheet.m_currentCell;
  if (CellIndex(current.first, current.second) < 0) return {};
  return {current};
}

SmIntPair CRiloDoc::NumFormatAt(int cell) const {
  if (cell < 0 || static_cast<size_t>(cell) >= m_sheet.m_numberFormats.size())
    return kDefaultNumFormat;
  return m_sheet.m_numberFormats[static_cast<size_t>(cell)];
}

void CRiloDoc::SetNumFormatAt(int cell, const SmIntPair& format) {
  if (cell < 0) return;
  if (static_cast<size_t>(cell) >= m_sheet.m_numberFormats.size())
    m_sheet.m_numberFormats.resize(static_cast<size_t>(cell) + 1, kDefaultNumFormat);
  m_sheet.m_numberFormats[static_cast<size_t>(cell)] = format;
}

void CRiloDoc::GetSelectionNumFormat(SmIntPair& format, bool& uniform) const {
  const SmIntPair& current = m_sheet.m_currentCell;
  format = NumFormatAt(CellIndex(current.first, current.second));
  uniform = true;
  const std::vector<SmIntPair> cells = SelectedCells();
  for (const SmIntPair& cell : cells) {
    if (!(NumFormatAt(CellIndex(cell.first, cell.second)) ==
          NumFormatAt(CellIndex(cells.front().first, cells.front().second))))
      uniform = false;
  }
}

std::string CRiloDoc::SetSelectionNumFormat(int minimum, int maximum, int apply) {
  if (!apply) return std::string();
  const SmIntPair wanted{minimum, maximum};
  std::string undo;
  for (const SmIntPair& cell : SelectedCells()) {
    const int index = CellIndex(cell.first, cell.second);
    const SmIntPair old = NumFormatAt(index);
    if (old == wanted) continue;
    undo += FormatStr("%d %d %d %d\n", cell.first, cell.second, old.first, old.second);
    SetNumFormatAt(index, wanted);
  }
  return undo;
}

std::string CRiloDoc::ApplyNumFormatText(const std::string& text) {
  std::string reverse;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    int column = 0;
    int row = 0;
    SmIntPair wanted = kDefaultNumFormat;
    if (std::sscanf(line.c_str(), "%d%d%d%d", &column, &row, &wanted.first, &wanted.second) < 2)
      continue;
    const int index = CellIndex(column, row);
    if (index < 0) continue;
    const SmIntPair old = NumFormatAt(index);
    if (old == wanted) continue;
    reverse += FormatStr("%d %d %d %d\n", column, row, old.first, old.second);
    SetNumFormatAt(index, wanted);
  }
  return reverse;
}

std::string CRiloDoc::SelectionSumText() const {
  if (m_sheet.m_selectMode == 0) return std::string();
  std::string sum;
  for (const SmIntPair& cell : AreaCells()) {
    const int index = CellIndex(cell.first, cell.second);
    if (static_cast<size_t>(index) >= m_sheet.m_texts.size()) continue;
    std::string text = GetLayerPlain(m_sheet.m_texts[static_cast<size_t>(index)], m_editMode);
    if (TrimAndTestEmpty(text, 3) || !IsNumberValue(text)) continue;
    sum += (sum.empty() ? "" : "+") + text;
  }
  return sum;
}
