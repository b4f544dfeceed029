// Rows and columns inserted into and deleted from a sheet. Cell lists are row-major over the
// cells, line lists over the grid points (one more a row and a column). New rows and columns
// copy the formats of a reference row or column; texts and number formats start empty.
#include <QGuiApplication>
#include <QPalette>
#include <algorithm>

#include "core/SmSystem.h"
#include "designer/RiloData.h"

namespace {

constexpr int kNewHeight = 70;
constexpr int kNewWidth = 300;
constexpr SmIntPair kThinLines{1, 1};
constexpr SmIntPair kNoLayout{0, 0};
constexpr SmIntPair kNewNumFormat{2, 2};

SmIntPair GreyLines() {
  const int grey = static_cast<int>(SmRgb(192, 192, 192));
  return {grey, grey};
}

int WindowColor() {
  const QColor color = QGuiApplication::palette().color(QPalette::Base);
  return static_cast<int>(SmRgb(color.red(), color.green(), color.blue()));
}

size_t Index(int column, int row, int width) {
  return static_cast<size_t>(column) + static_cast<size_t>(row) * static_cast<size_t>(width);
}

// Inserts n rows at row `at` of a grid `width` wide, each a copy of row `ref` (none: `fill`).
template <typename T>
void InsertGridRows(std::vector<T>& grid, int width, int at, int n, int ref, const T& fill) {
  std::vector<T> block;
  block.reserve(static_cast<size_t>(width) * static_cast<size_t>(n));
  for (int i = 0; i < n; ++i)
    for (int c = 0; c < width; ++c) block.push_back(ref >= 0 ? grid[Index(c, ref, width)] : fill);
  grid.insert(grid.begin() + static_cast<std::ptrdiff_t>(Index(0, at, width)), block.begin(),
              block.end());
}

// Inserts n columns at column `at` of a grid of `width` x `height`, each entry a copy of the
// same row's entry in column `ref` (none: `fill`).
template <typename T>
void InsertGridColumns(std::vector<T>& grid, int width, int height, int at, int n, int ref,
                       const T& fill) {
  std::vector<T> out;
  out.reserve(static_cast<size_t>(width + n) * static_cast<size_t>(height));
  for (int r = 0; r < height; ++r) {
    for (int c = 0; c <= width; ++c) {
      if (c == at)
        out.insert(out.end(), static_cast<size_t>(n), ref >= 0 ? grid[Index(ref, r, width)] : fill);
      if (c < width) out.push_back(grid[Index(c, r, width)]);
    }
  }
  grid = std::move(out);
}

template <typename T>
void EraseGridRows(std::vector<T>& grid, int width, int from, int n) {
  const auto first = grid.begin() + static_cast<std::ptrdiff_t>(Index(0, from, width));
  grid.erase(first, first + static_cast<std::ptrdiff_t>(Index(0, n, width)));
}

template <typename T>
void EraseGridColumns(std::vector<T>& grid, int width, int height, int from, int n) {
  std::vector<T> out;
  out.reserve(static_cast<size_t>(width - n) * static_cast<size_t>(height));
  for (int r = 0; r < height; ++r)
    for (int c = 0; c < width; ++c)
      if (c < from || c >= from + n) out.push_back(grid[Index(c, r, width)]);
  grid = std::move(out);
}

template <typename T>
void EraseRange(std::vector<T>& list, int from, int n) {
  const auto first = list.begin() + from;
  list.erase(first, first + n);
}

// One coordinate of a span after n columns (rows) were deleted from `from`. An end inside the
// deleted block moves before it, a start inside it to the first cell after it.
int SpanAfterDelete(int value, int from, int n, bool end) {
  if (value >= from + n) return value - n;
  if (value >= from) return end ? from - 1 : from;
  return value;
}

// A cell coordinate after the deletion, kept in the sheet.
int CellAfterDelete(int value, int from, int n, int count) {
  if (value >= from + n) {
    value -= n;
  } else if (value > from) {
    value = from;
  }
  return std::clamp(value, 0, std::max(count - 1, 0));
}

}  // namespace

void CRiloData::FitLists() {
  const auto fit = [](auto& list, int count) {
    list.resize(static_cast<size_t>(std::max(count, 0)));
  };
  fit(m_rowHeights, m_rows);
  fit(m_colWidths, m_cols);
  fit(m_lineStyles, PointCount());
  fit(m_lineColors, PointCount());
  fit(m_backColors, CellCount());
  fit(m_layout3, CellCount());
  fit(m_layout4, CellCount());
  fit(m_layout5, CellCount());
  fit(m_numberFormats, CellCount());
  fit(m_texts, CellCount());
}

void CRiloData::InsertRows(int start, int n) {
  if (n <= 0) return;
  FitLists();
  const int rows = m_rows;
  const int cols = m_cols;
  if (start < 0 || start > rows) start = rows;
  const int ref = start < rows ? start : rows - 1;
  for (int i = 0; i < CellCount(); ++i) {
    const auto cell = static_cast<size_t>(i);
    if (m_layout3[cell].second <= 3) continue;
    if (m_layout4[cell].second > ref) m_layout4[cell].second += n;
    if (m_layout5[cell].second >= ref) m_layout5[cell].second += n;
  }
  const int height = ref >= 0 ? m_rowHeights[static_cast<size_t>(ref)] : kNewHeight;
  m_rowHeights.insert(m_rowHeights.begin() + start, static_cast<size_t>(n), height);
  InsertGridRows(m_lineStyles, cols + 1, ref + 1, n, ref, kThinLines);
  InsertGridRows(m_lineColors, cols + 1, ref + 1, n, ref, GreyLines());
  InsertGridRows(m_backColors, cols, ref + 1, n, ref, WindowColor());
  InsertGridRows(m_layout3, cols, ref + 1, n, ref, kNoLayout);
  InsertGridRows(m_layout4, cols, ref + 1, n, ref, kNoLayout);
  InsertGridRows(m_layout5, cols, ref + 1, n, ref, kNoLayout);
  InsertGridRows(m_numberFormats, cols, start, n, -1, kNewNumFormat);
  InsertGridRows(m_texts, cols, start, n, -1, std::string());
  m_rows += n;
}

void CRiloData::InsertColumns(int start, int n) {
  if (n <= 0) return;
  FitLists();
  const int rows = m_rows;
  const int cols = m_cols;
  if (start < 0 || start > cols) start = cols;
  const int ref = start < cols ? start : cols - 1;
  for (int i = 0; i < CellCount(); ++i) {
    const auto cell = static_cast<size_t>(i);
    if (m_layout3[cell].first <= 3) continue;
    if (m_layout4[cell].first > ref) m_layout4[cell].first += n;
    if (m_layout5[cell].first >= ref) m_layout5[cell].first += n;
  }
  const int width = ref >= 0 ? m_colWidths[static_cast<size_t>(ref)] : kNewWidth;
  m_colWidths.insert(m_colWidths.begin() + start, static_cast<size_t>(n), width);
  InsertGridColumns(m_lineStyles, cols + 1, rows + 1, ref + 1, n, ref, kThinLines);
  InsertGridColumns(m_lineColors, cols + 1, rows + 1, ref + 1, n, ref, GreyLines());
  InsertGridColumns(m_backColors, cols, rows, ref + 1, n, ref, WindowColor());
  InsertGridColumns(m_layout3, cols, rows, ref + 1, n, ref, kNoLayout);
  InsertGridColumns(m_layout4, cols, rows, ref + 1, n, ref, kNoLayout);
  InsertGridColumns(m_layout5, cols, rows, ref + 1, n, ref, kNoLayout);
  InsertGridColumns(m_numberFormats, cols, rows, start, n, -1, kNewNumFormat);
  InsertGridColumns(m_texts, cols, rows, start, n, -1, std::string());
  m_cols += n;
}

void CRiloData::DeleteRowsColumns(int column, int row, int columnCount, int rowCount) {
  if (columnCount < 0 || rowCount < 0 || (columnCount == 0 && rowCount == 0)) return;
  if (column < 0 || row < 0 || (column >= m_cols && row >= m_rows)) return;
  if (column + columnCount > m_cols || row + rowCount > m_rows) return;
  FitLists();
  const auto eraseCells = [&](auto&& erase) {
    erase(m_backColors);
    erase(m_layout3);
    erase(m_layout4);
    erase(m_layout5);
    erase(m_numberFormats);
    erase(m_texts);
  };
  if (rowCount > 0) {
    eraseCells([&](auto& list) { EraseGridRows(list, m_cols, row, rowCount); });
    EraseGridRows(m_lineStyles, m_cols + 1, row, rowCount);
    EraseGridRows(m_lineColors, m_cols + 1, row, rowCount);
    EraseRange(m_rowHeights, row, rowCount);
    m_rows -= rowCount;
  }
  if (columnCount > 0) {
    eraseCells([&](auto& list) { EraseGridColumns(list, m_cols, m_rows, column, columnCount); });
    EraseGridColumns(m_lineStyles, m_cols + 1, m_rows + 1, column, columnCount);
    EraseGridColumns(m_lineColors, m_cols + 1, m_rows + 1, column, columnCount);
    EraseRange(m_colWidths, column, columnCount);
    m_cols -= columnCount;
  }
  for (int i = 0; i < CellCount(); ++i) {
    const auto cell = static_cast<size_t>(i);
    SmIntPair& code = m_layout3[cell];
    SmIntPair& first = m_layout4[cell];
    SmIntPair& last = m_layout5[cell];
    if (code.first > 3) {
      first.first = SpanAfterDelete(first.first, column, columnCount, false);
      last.first = SpanAfterDelete(last.first, column, columnCount, true);
      if (first.first >= last.first) code.first %= 4;
    }
    if (code.second > 3) {
      first.second = SpanAfterDelete(first.second, row, rowCount, false);
      last.second = SpanAfterDelete(last.second, row, rowCount, true);
      if (first.second >= last.second) code.second %= 4;
    }
  }
  const auto moveCell = [&](int& c, int& r) {
    c = CellAfterDelete(c, column, columnCount, m_cols);
    r = CellAfterDelete(r, row, rowCount, m_rows);
  };
  moveCell(m_currentCell.first, m_currentCell.second);
  moveCell(m_selectRect.left, m_selectRect.top);
  moveCell(m_selectRect.right, m_selectRect.bottom);
}
