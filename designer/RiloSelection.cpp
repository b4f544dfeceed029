// Which cells and headers the area selection covers, and the mouse's rule for several areas.
#include <algorithm>

#include "designer/RiloDoc.h"

namespace {

bool SpansColumns(const SmIntRect& r, int cols) {
  return r.left <= 0 && r.right >= cols - 1;
}

bool SpansRows(const SmIntRect& r, int rows) {
  return r.top <= 0 && r.bottom >= rows - 1;
}

bool HasColumn(const SmIntRect& r, int column) {
  return column >= r.left && column <= r.right;
}

bool HasRow(const SmIntRect& r, int row) {
  return row >= r.top && row <= r.bottom;
}

}  // namespace

bool CRiloDoc::IsCellSelected(int column, int row) const {
  const CRiloData& sheet = m_sheet;
  if (sheet.m_selectMode != 2) return false;
  std::vector<SmIntRect> areas = sheet.m_areas;
  areas.push_back(sheet.m_selectRect);
  return std::any_of(areas.begin(), areas.end(), [&](const SmIntRect& area) {
    const SmIntRect r = area.Normalized();
    if (column == -1 && row == -1)
      return SpansColumns(r, sheet.m_cols) && SpansRows(r, sheet.m_rows);
    if (column == -1) return HasRow(r, row) && SpansColumns(r, sheet.m_cols);
    if (row == -1) return HasColumn(r, column) && SpansRows(r, sheet.m_rows);
    return HasColumn(r, column) && HasRow(r, row);
  });
}

bool CRiloDoc::AddAreaOnCtrl(int column, int row, bool shift, bool ctrl) {
  CRiloData& sheet = m_sheet;
  if (shift) return false;
  if (!ctrl) {
    const bool had = !sheet.m_areas.empty();
    sheet.m_areas.clear();
    return had;
  }
  sheet.m_selectMode = 2;
  sheet.m_areas.push_back(sheet.m_selectRect.Normalized());
  sheet.m_selectRect = {column, row, column, row};
  return false;
}

void CRiloDoc::ClampCurrentCell() {
  CRiloData& sheet = m_sheet;
  const auto clamp = [](int& value, int count) {
    value = std::clamp(value, 0, std::max(count - 1, 0));
  };
  clamp(sheet.m_selectRect.left, sheet.m_cols);
  clamp(sheet.m_selectRect.right, sheet.m_cols);
  clamp(sheet.m_selectRect.top, sheet.m_rows);
  clamp(sheet.m_selectRect.bottom, sheet.m_rows);
}
