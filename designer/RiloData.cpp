#include "designer/RiloData.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <climits>

#include "core/SmGbk.h"
#include "core/SmNumber.h"
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

bool InRange(long long value, long long low, long long high) {
  return value >= low && value <= high;
}

// Layout codes: horizontal 0 to 7 (4 and above span columns), vertical 0 to 4 (4 spans rows).
constexpr int kMaxHorizontal = 7;
constexpr int kMaxVertical = 4;
constexpr int kSpanning = 4;
constexpr int kMaxDecimals = 6;
constexpr int kMaxLineStyle = 3;

bool IsExt(const std::string& path, const char* ext) {
  return GetPathExt(path) == ext;
}

void ShowError(const std::string& text) {
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

// ---------------------------------------------------------------- stored values

bool CRiloData::FitsLimits(long long rows, long long cols) {
  return InRange(rows, 0, kMaxRows) && InRange(cols, 0, kMaxCols);
}

std::string CRiloData::LimitsText(long long rows, long long cols) {
  return FormatStr("报表有%lld行、%lld栏，超出报表的范围（最多%d行、%d栏）", rows, cols, kMaxRows,
                   kMaxCols);
}

std::string CRiloData::UnreasonableValue() const {
  if (!FitsLimits(m_rows, m_cols)) return "行数或栏数";
  for (int r = 0; r < m_rows; ++r)
    if (!InRange(At(m_rowHeights, r, 0), 0, kMaxLength)) return FormatStr("第%d行的行高", r + 1);
  for (int c = 0; c < m_cols; ++c) {
    if (!InRange(At(m_colWidths, c, 0), 0, kMaxLength))
      return FormatStr("%s栏的栏宽", ColumnLabel(c).c_str());
  }
  const SmIntRect& m = m_margins;
  for (int length : {m.left, m.top, m.right, m.bottom})
    if (!InRange(length, 0, kMaxLength)) return "页面边距";
  if (!InRange(m_paper.first, 0, kMaxLength) || !InRange(m_paper.second, 0, kMaxLength))
    return "纸张大小";
  const SmIntRect& t = m_titleArea;
  if (!InRange(t.left, 0, kMaxCols) || !InRange(t.right, 0, kMaxCols) ||
      !InRange(t.top, 0, kMaxRows) || !InRange(t.bottom, 0, kMaxRows))
    return "固定参照行、栏";
  if (!InRange(m_printFactor, kMinFactor, kMaxFactor)) return "打印缩放比例";
  if (!InRange(m_screenFactor, kMinFactor, kMaxFactor)) return "显示比例";
  // A break may stay behind the last row or column when rows or columns are deleted.
  const auto breaksFit = [](const std::vector<int>& breaks, int limit) {
    return breaks.size() <= static_cast<size_t>(limit) + 1 &&
           std::all_of(breaks.begin(), breaks.end(),
                       [limit](int at) { return InRange(at, 0, limit); });
  };
  if (!breaksFit(m_colBreaks, kMaxCols)) return "栏分页线";
  if (!breaksFit(m_rowBreaks, kMaxRows)) return "行分页线";
  for (int i = 0; i < PointCount(); ++i) {
    const SmIntPair style = At(m_lineStyles, i, SmIntPair{1, 1});
    if (!InRange(style.first, 0, kMaxLineStyle) || !InRange(style.second, 0, kMaxLineStyle))
      return "表格线";
  }
  for (int i = 0; i < CellCount(); ++i) {
    const std::string cell = ColumnLabel(i % m_cols) + std::to_string(i / m_cols + 1);
    const SmIntPair code = At(m_layout3, i, SmIntPair{});
    const SmIntPair first = At(m_layout4, i, SmIntPair{});
    const SmIntPair last = At(m_layout5, i, SmIntPair{});
    if (!InRange(code.first, 0, kMaxHorizontal) || !InRange(code.second, 0, kMaxVertical))
      return "单元格" + cell + "的版面";
    const bool columnsFit = code.first < kSpanning || (InRange(first.first, 0, m_cols - 1) &&
                                                       InRange(last.first, 0, m_cols - 1));
    const bool rowsFit = code.second < kSpanning || (InRange(first.second, 0, m_rows - 1) &&
                                                     InRange(last.second, 0, m_rows - 1));
    if (!columnsFit || !rowsFit) return "单元格" + cell + "的跨栏、跨行范围";
    const SmIntPair format = At(m_numberFormats, i, SmIntPair{2, 2});
    if (format.first > kMaxDecimals || format.second > kMaxDecimals)
      return "单元格" + cell + "的小数位数";
  }
  return {};
}

void CRiloData::ClampCursor() {
  const auto column = [this](int c) { return std::clamp(c, 0, std::max(m_cols - 1, 0)); };
  const auto row = [this](int r) { return std::clamp(r, 0, std::max(m_rows - 1, 0)); };
  const auto inside = [&](const SmIntRect& r) {
    return SmIntRect{column(r.left), row(r.top), column(r.right), row(r.bottom)};
  };
  m_currentCell = {column(m_currentCell.first), row(m_currentCell.second)};
  m_selectRect = inside(m_selectRect);
  // More areas than cells is no selection a user made; each would be walked at every paint.
  if (m_areas.size() > static_cast<size_t>(std::max(CellCount(), 1))) m_areas.clear();
  for (SmIntRect& area : m_areas) area = inside(area);
  if (!InRange(m_selectMode, 0, 2)) m_selectMode = 0;
  const std::string text =
      At(m_texts, m_currentCell.first + m_currentCell.second * m_cols, std::string());
  const int length = static_cast<int>(GbkSize(text.substr(0, text.find('\x01'))));
  const auto position = [length](int at) { return std::clamp(at, 0, length); };
  m_caret = {position(m_caret.first), std::clamp(m_caret.second, 0, position(m_caret.first))};
  m_textSelect = {position(m_textSelect.first), position(m_textSelect.second)};
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
  if (!FitsLimits(m_rows, m_cols)) {
    ShowError(LimitsText(m_rows, m_cols) + "，不能保存！");
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
  if (!FitsLimits(rows, cols)) {
    in.Refuse(LimitsText(rows, cols) + "，不能打开！");
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
  if (const std::string bad = UnreasonableValue(); !bad.empty()) {
    in.Refuse("报表文件已损坏：" + bad + "不合理，不能打开！");
    return false;
  }
  ClampCursor();
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
  if (!in.Reason().empty()) {
    ShowError(path + "\n\n" + in.Reason());
    return false;
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
