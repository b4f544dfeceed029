#include "designer/RiloData.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <climits>

#include "core/SmPath.h"
#include "core/SmString.h"
#include "platform/SmMessage.h"
#include "ui/SmWaitCursor.h"

namespace {

constexpr int kNoLineColor = 0xC0C0C0;
constexpr int kWhite = 0xFFFFFF;
constexpr char kKeep[] = "\x03";  // a block cell that leaves its cell alone

// The least bytes one item of the whole report file takes.
constexpr size_t kCellFormatBytes = 3 * 8 + 4 + 8;  // three layout pairs, colour, format
constexpr size_t kPointBytes = 2 * 8;               // line styles and colours
constexpr size_t kAreaBytes = 16;
constexpr size_t kVariableBytes = 1 + 1 + 4 + 1;  // three empty texts and the type

// An element of a list that may be shorter than the sheet's counts.
template <typename T>
T At(const std::vector<T>& list, int index, const T& fallback) {
  return index >= 0 && static_cast<size_t>(index) < list.size() ? list[static_cast<size_t>(index)]
                                                                : fallback;
}

bool IsExt(const std::string& path, const char* ext) {
  return GetPathExt(path) == ext;
}

void ShowError(const char* text) {
  SmMessageBox(text, SM_MB_OK | SM_MB_ICONERROR);
}

// Reads a count and sizes `list` to it after checking that the bytes are there; a count of 0
// or less empties the list.
template <typename T>
bool ReadCountedList(CRiloReader& in, std::vector<T>& list, size_t itemBytes) {
  int count = 0;
  if (!in.ReadInt(count)) return false;
  list.clear();
  if (count <= 0) return true;
  if (!in.CanHold(count, itemBytes)) return false;
  list.resize(static_cast<size_t>(count));
  return true;
}

}  // namespace

CRiloData::CRiloData() {
  m_version = kVersion;
  m_lineStyles.insert(m_lineStyles.begin(), SmIntPair{1, 1});
  m_lineColors.insert(m_lineColors.begin(), SmIntPair{kNoLineColor, kNoLineColor});
  m_vars.m_nSoft = 3;
  m_vars.RemoveAll();
}

CRiloData::CRiloData(const CRiloData& other) : CRiloData() {
  *this = other;
}

CRiloData& CRiloData::operator=(const CRiloData& other) {
  static_cast<SmRiloFields&>(*this) = other;
  return *this;
}

// ---------------------------------------------------------------- text blocks

std::string CRiloData::ApplyTextBlock(const std::string& text, int column, int row) {
  if (text.empty() || column < 0 || row < 0) return {};
  int rows = 0;
  int columns = 0;
  GetTextGridSize(text, rows, columns);
  if (rows == 0 && columns == 0) return {};
  if (m_texts.size() < static_cast<size_t>(CellCount())) m_texts.resize(CellCount());
  std::string result;
  for (int i = row; i < row + rows && i < m_rows; ++i) {
    for (int j = column; j < column + columns && j < m_cols; ++j) {
      std::string& cell = m_texts[static_cast<size_t>(j + i * m_cols)];
      const std::string old = cell;
      std::string block = GetTextGridCell(text, i - row, j - column);
      if (block != kKeep) cell = std::move(block);
      result += cell == old ? std::string(kKeep) : old;
      result += j < column + columns - 1 && j < m_cols - 1 ? '\t' : '\n';
    }
  }
  return result;
}

std::string CRiloData::DiffText(const CRiloData& other, SmIntRect& rect) const {
  const int rows = std::min(m_rows, other.m_rows);
  const int cols = std::min(m_cols, other.m_cols);
  if (rows <= 0 || cols <= 0) return {};
  const std::string empty;
  // Each sheet is indexed by its own column count.
  const auto mine = [&](int c, int r) { return At(m_texts, c + r * m_cols, empty); };
  const auto theirs = [&](int c, int r) { return At(other.m_texts, c + r * other.m_cols, empty); };
  rect = {cols - 1, rows - 1, 0, 0};
  bool differs = false;
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < cols; ++c) {
      if (mine(c, r) == theirs(c, r)) continue;
      differs = true;
      rect = {std::min(rect.left, c), std::min(rect.top, r), std::max(rect.right, c),
              std::max(rect.bottom, r)};
    }
  }
  if (!differs) return {};
  std::string result;
  for (int r = rect.top; r <= rect.bottom; ++r) {
    for (int c = rect.left; c <= rect.right; ++c) {
      const std::string text = theirs(c, r);
      result += text == mine(c, r) ? std::string(kKeep) : text;
      result += c < rect.right ? '\t' : '\n';
    }
  }
  return result;
}

// ---------------------------------------------------------------- comparisons

bool CRiloData::IsHeaderEqual(const CRiloData& other) const {
  return m_reportName == other.m_reportName && m_reportCode == other.m_reportCode &&
         m_version == other.m_version && m_modifyPassword == other.m_modifyPassword &&
         m_readPassword == other.m_readPassword && m_rows == other.m_rows && m_cols == other.m_cols;
}

bool CRiloData::IsPageEqual(const CRiloData& other) const {
  return m_pageFlags == other.m_pageFlags && m_screenFactor == other.m_screenFactor &&
         m_printFactor == other.m_printFactor && m_margins == other.m_margins &&
         m_titleArea == other.m_titleArea && m_paper == other.m_paper;
}

bool CRiloData::IsBreaksEqual(const CRiloData& other) const {
  return m_colBreaks == other.m_colBreaks && m_rowBreaks == other.m_rowBreaks;
}

bool CRiloData::IsSizesEqual(const CRiloData& other) const {
  return m_rowHeights == other.m_rowHeights && m_colWidths == other.m_colWidths;
}

bool CRiloData::IsFormatsEqual(const CRiloData& other) const {
  return m_rows == other.m_rows && m_cols == other.m_cols && m_lineStyles == other.m_lineStyles &&
         m_lineColors == other.m_lineColors && m_backColors == other.m_backColors &&
         m_layout3 == other.m_layout3 && m_layout4 == other.m_layout4 &&
         m_layout5 == other.m_layout5 && m_numberFormats == other.m_numberFormats &&
         m_noteText == other.m_noteText;
}

bool CRiloData::IsTextsEqual(const CRiloData& other) const {
  return m_rows == other.m_rows && m_cols == other.m_cols && m_texts == other.m_texts;
}

// ---------------------------------------------------------------- file items

void CRiloData::WriteHeader(CRiloWriter& out) const {
  out.WriteText(kVersion);
  out.WriteText(m_modifyPassword);
  out.WriteText(m_readPassword);
}

bool CRiloData::ReadHeader(CRiloReader& in) {
  if (!in.ReadText(m_version)) return false;
  if (m_version != kVersion) {
    ShowError("非Vornel报表软件！");
    return false;
  }
  return in.ReadText(m_modifyPassword) && in.ReadText(m_readPassword);
}

bool CRiloData::WriteCells(CRiloWriter& out) const {
  if (m_rows < 0 || m_cols < 0) {
    ShowError("空文件，不予存盘");
    return false;
  }
  out.WriteInt(m_cols);
  out.WriteInt(m_rows);
  const std::string empty;
  for (int i = 0; i < CellCount(); ++i) out.WriteText(At(m_texts, i, empty));
  return true;
}

bool CRiloData::ReadCells(CRiloReader& in) {
  int cols = 0;
  int rows = 0;
  if (!in.ReadInt(cols)) return false;
  if (cols <= 0) {
    ShowError("空文件！");
    return false;
  }
  if (!in.ReadInt(rows)) return false;
  if (rows <= 0) {
    ShowError("空文件！");
    return false;
  }
  // Every text takes at least its one-byte prefix.
  const long long cells = static_cast<long long>(rows) * cols;
  if (!in.CanHold(cells > INT_MAX ? -1 : cells, 1)) return false;
  m_cols = cols;
  m_rows = rows;
  m_texts.assign(static_cast<size_t>(cells), {});
  for (std::string& text : m_texts) {
    if (!in.ReadText(text)) return false;
  }
  return true;
}

bool CRiloData::WriteAll(CRiloWriter& out) const {
  WriteHeader(out);
  if (!WriteCells(out)) return false;
  const int cells = CellCount();
  for (int i = 0; i < cells; ++i) {
    out.WritePair(At(m_layout3, i, {}));
    out.WritePair(At(m_layout4, i, {}));
    out.WritePair(At(m_layout5, i, {}));
  }
  for (int i = 0; i < cells; ++i) out.WriteInt(At(m_backColors, i, kWhite));
  for (int i = 0; i < cells; ++i) out.WritePair(At(m_numberFormats, i, SmIntPair{2, 2}));
  const int points = PointCount();
  for (int i = 0; i < points; ++i) out.WritePair(At(m_lineStyles, i, SmIntPair{1, 1}));
  for (int i = 0; i < points; ++i) {
    out.WritePair(At(m_lineColors, i, SmIntPair{kNoLineColor, kNoLineColor}));
  }
  for (int i = 0; i < m_cols; ++i) out.WriteInt(At(m_colWidths, i, 0));
  for (int i = 0; i < m_rows; ++i) out.WriteInt(At(m_rowHeights, i, 0));
  out.WriteInt(m_printFactor);
  out.WriteInt(m_screenFactor);
  out.WritePair(m_currentCell);
  out.WritePair(m_caret);
  out.WriteInt(m_selectMode);
  out.WritePair(m_textSelect);
  out.WritePair({m_selectRect.left, m_selectRect.top});
  out.WritePair({m_selectRect.right, m_selectRect.bottom});
  out.WriteInt(static_cast<int>(m_areas.size()));
  for (const SmIntRect& area : m_areas) out.WriteRect(area);
  out.WriteRect(m_margins);
  out.WriteRect(m_titleArea);
  out.WritePair(IsLandscape() ? SmIntPair{m_paper.second, m_paper.first} : m_paper);
  for (const std::vector<int>* breaks : {&m_colBreaks, &m_rowBreaks}) {
    out.WriteInt(static_cast<int>(breaks->size()));
    for (int at : *breaks) out.WriteInt(at);
  }
  out.WriteInt(m_pageFlags);
  out.WriteInt(m_vars.GetSize());
  for (int i = 0; i < m_vars.GetSize(); ++i) {
    const CSmVar var = m_vars.GetAt(i);
    out.WriteText(var.m_name);
    out.WriteText(var.m_expression);
    out.WriteInt(var.m_type);
    out.WriteText(var.m_note);
  }
  return true;
}

bool CRiloData::ReadAll(CRiloReader& in) {
  if (!ReadHeader(in) || !ReadCells(in)) return false;
  const size_t cells = static_cast<size_t>(CellCount());
  if (!in.CanHold(static_cast<long long>(cells), kCellFormatBytes)) return false;
  for (auto* list : {&m_layout3, &m_layout4, &m_layout5, &m_numberFormats}) list->resize(cells);
  m_backColors.resize(cells);
  for (size_t i = 0; i < cells; ++i) {
    in.ReadPair(m_layout3[i]);
    in.ReadPair(m_layout4[i]);
    in.ReadPair(m_layout5[i]);
  }
  for (int& color : m_backColors) in.ReadInt(color);
  for (SmIntPair& format : m_numberFormats) in.ReadPair(format);

  const long long points = static_cast<long long>(m_rows + 1LL) * (m_cols + 1LL);
  if (!in.CanHold(points, kPointBytes)) return false;
  m_lineStyles.resize(static_cast<size_t>(points));
  m_lineColors.resize(static_cast<size_t>(points));
  for (SmIntPair& style : m_lineStyles) in.ReadPair(style);
  for (SmIntPair& color : m_lineColors) in.ReadPair(color);
  if (!in.CanHold(static_cast<long long>(m_rows) + m_cols, 4)) return false;
  m_colWidths.resize(static_cast<size_t>(m_cols));
  m_rowHeights.resize(static_cast<size_t>(m_rows));
  for (int& width : m_colWidths) in.ReadInt(width);
  for (int& height : m_rowHeights) in.ReadInt(height);

  SmIntPair anchor;
  SmIntPair far;
  in.ReadInt(m_printFactor);
  in.ReadInt(m_screenFactor);
  in.ReadPair(m_currentCell);
  in.ReadPair(m_caret);
  in.ReadInt(m_selectMode);
  in.ReadPair(m_textSelect);
  in.ReadPair(anchor);
  in.ReadPair(far);
  m_selectRect = {anchor.first, anchor.second, far.first, far.second};
  if (!ReadCountedList(in, m_areas, kAreaBytes)) return false;
  for (SmIntRect& area : m_areas) in.ReadRect(area);
  in.ReadRect(m_margins);
  in.ReadRect(m_titleArea);
  in.ReadPair(m_paper);
  for (std::vector<int>* breaks : {&m_colBreaks, &m_rowBreaks}) {
    if (!ReadCountedList(in, *breaks, 4)) return false;
    for (int& at : *breaks) in.ReadInt(at);
  }
  in.ReadInt(m_pageFlags);

  std::vector<CSmVar> vars;
  if (!ReadCountedList(in, vars, kVariableBytes)) return false;
  m_vars.RemoveAll();
  for (CSmVar& var : vars) {
    in.ReadText(var.m_name);
    in.ReadText(var.m_expression);
    in.ReadInt(var.m_type);
    in.ReadText(var.m_note);
    m_vars.Add(var);
  }
  if (in.Bad()) return false;
  if (m_vars.GetSize() == 0) m_vars.SetDefaults();
  if (IsLandscape()) std::swap(m_paper.first, m_paper.second);
  return true;
}

// ---------------------------------------------------------------- files

bool CRiloData::LoadFile(const std::string& path, bool headerOnly) {
  CSmWaitCursor wait;
  QFile file(QString::fromStdString(SmNativePath(path)));
  if (!file.open(QIODevice::ReadOnly)) {
    ShowError("打开文档失败。");
    return false;
  }
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    ShowError("打开文档失败。");
    return false;
  }
  if (bytes.isEmpty()) return false;
  const bool whole = IsExt(path, "QLN");
  if (!headerOnly && !whole && !IsExt(path, "BSJ")) return false;

  // Read into a copy so that a refused file leaves this sheet as it was.
  CRiloData read(*this);
  read.m_vars = m_vars;
  CRiloReader in(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
  bool ok = false;
  if (headerOnly) {
    ok = read.ReadHeader(in);
  } else {
    ok = whole ? read.ReadAll(in) : read.ReadCells(in);
  }
  if (in.Bad()) {
    ShowError("打开文档失败。");
    return false;
  }
  if (!ok) return false;
  *this = read;
  m_vars = read.m_vars;
  return true;
}

bool CRiloData::SaveFile(const std::string& path) const {
  CSmWaitCursor wait;
  const bool whole = IsExt(path, "QLN");
  if (!whole && !IsExt(path, "BSJ")) {
    ShowError("无效的文件名。");
    return false;
  }
  QSaveFile file(QString::fromStdString(SmNativePath(path)));
  if (!file.open(QIODevice::WriteOnly)) {
    ShowError("无效的文件名。");
    return false;
  }
  // What is not committed is discarded: the old file stays as it was.
  CRiloWriter out(file);
  // A refused sheet has said why.
  if (!(whole ? WriteAll(out) : WriteCells(out))) return false;
  if (!out.Flush() || !file.commit()) {
    ShowError("保存文档失败。");
    return false;
  }
  return true;
}
