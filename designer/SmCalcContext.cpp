#include "designer/SmCalcContext.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/SmApp.h"
#include "core/SmNumber.h"
#include "core/SmPath.h"
#include "core/SmString.h"
#include "designer/RiloData.h"
#include "designer/RiloDoc.h"

namespace {

const std::vector<std::string> kNoCells;

// An optional "-", digits and at most one ".".
bool IsPlainNumber(const std::string& text) {
  return IsNumberText(text, 0, -1);
}

double ReadDouble(const std::string& text) {
  double value = 0;
  if (std::sscanf(text.c_str(), "%lf", &value) != 1) return 0;
  return value;
}

}  // namespace

void CSmCalcContext::SetSource(const std::string& name, int rows, int cols,
                               const std::vector<std::string>& cells) {
  m_bLoaded = 1;
  m_sName = name;
  m_nCol = 0;
  m_nRow = 0;
  m_nRows = rows;
  m_nCols = cols;
  m_cells = std::make_shared<std::vector<std::string>>(cells);
}

bool CSmCalcContext::OpenReportFile(const std::string& name) {
  const std::string ext = GetPathExt(name);
  CRiloData sheet;
  if (ext == "QLN" || ext == "BSJ") {
    if (!sheet.LoadFile(SmOpenFilePath(name))) return false;
  } else if (ext.empty()) {
    CSmApp* app = SmGetApp();
    if (!sheet.LoadRefFromDb(name, app ? app->GetDatabase() : nullptr)) return false;
  } else {
    return false;
  }
  sheet.m_texts.resize(static_cast<size_t>(std::max(sheet.m_rows * sheet.m_cols, 0)));
  SetSource(name, sheet.m_rows, sheet.m_cols, sheet.m_texts);
  return true;
}

void CSmCalcContext::CheckSource(std::string& text) const {
  if (GetPathExt(m_sName) != "QLN") return;
  const size_t layerEnd = text.find('\x01');
  if (layerEnd != std::string::npos) text.resize(layerEnd);
  text = CRiloDoc::StripCodes(text);
}

std::string CSmCalcContext::GetCellText(int col, int row) const {
  if (col < 0 || row < 0 || col >= m_nCols || row >= m_nRows) return std::string();
  const size_t index = static_cast<size_t>(row) * static_cast<size_t>(m_nCols) + col;
  const std::vector<std::string>& cells = Cells();
  if (index >= cells.size()) return std::string();
  std::string text = cells[index];
  CheckSource(text);
  return text;
}

void CSmCalcContext::SetCellText(int col, int row, const std::string& text) {
  if (col < 0 || row < 0 || col >= m_nCols || row >= m_nRows || !m_cells) return;
  const size_t index = static_cast<size_t>(row) * static_cast<size_t>(m_nCols) + col;
  if (index >= m_cells->size()) return;
  if (m_cells.use_count() > 1) m_cells = std::make_shared<std::vector<std::string>>(*m_cells);
  (*m_cells)[index] = text;
}

const std::vector<std::string>& CSmCalcContext::Cells() const {
  return m_cells ? *m_cells : kNoCells;
}

void CSmCalcContext::Merge(const CSmCalcContext& other, const std::vector<SmIntPair>& flags,
                           int scale, int decimals) {
  if (!m_bLoaded) {
    *this = other;
    return;
  }
  if (!other.m_bLoaded) return;  // nothing to add: the totals so far stay
  std::vector<std::string> cells = Cells();
  cells.resize(static_cast<size_t>(m_nRows) * static_cast<size_t>(std::max(m_nCols, 0)));
  const std::vector<std::string>& theirs = other.Cells();
  const double factor = std::pow(10.0, -scale);
  for (int r = 0; r < std::min(m_nRows, other.m_nRows); ++r) {
    for (int c = 0; c < std::min(m_nCols, other.m_nCols); ++c) {
      const size_t at = static_cast<size_t>(r) * other.m_nCols + c;
      if (at < flags.size() && flags[at].first < 0) continue;
      const std::string add = at < theirs.size() ? theirs[at] : std::string();
      std::string& mine = cells[static_cast<size_t>(r) * m_nCols + c];
      if (!IsPlainNumber(add) || !IsPlainNumber(mine)) continue;
      const double sum = ReadDouble(mine) + ReadDouble(add) * factor;
      if (!std::isfinite(sum)) continue;  // past a double's range: no number to write
      mine = ReplaceAll(FormatNumber(sum, 0, 0, decimals, true), ",", "");
    }
  }
  m_cells = std::make_shared<std::vector<std::string>>(std::move(cells));
}
