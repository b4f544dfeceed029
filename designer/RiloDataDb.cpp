// The report sheet in the report tables of the data file.
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "app/SmApp.h"
#include "core/SmDatabase.h"
#include "core/SmGbk.h"
#include "core/SmPath.h"
#include "core/SmQuery.h"
#include "core/SmString.h"
#include "core/SmUtil.h"
#include "designer/RiloData.h"
#include "designer/RiloDb.h"
#include "ui/SmWaitCursor.h"

namespace {

constexpr int kWhite = 0xFFFFFF;
constexpr char kLayerSeparator = '\x01';
constexpr char kNoteChunkEnd = '\x0F';  // a note chunk ends in a blank and this byte
constexpr size_t kNoteChunkBytes = 27;
// Server texts of a cell can be three UTF-8 bytes per GBK character pair.
constexpr int kCellTextWidth = 1024;

constexpr SmIntPair kPlainLines{1, 1};
constexpr SmIntPair kNoColors{0, 0};
constexpr SmIntPair kNoLayout{0, 0};
constexpr SmIntPair kDefaultFormat{2, 2};

template <typename T>
T At(const std::vector<T>& list, int index, const T& fallback) {
  return index >= 0 && static_cast<size_t>(index) < list.size() ? list[static_cast<size_t>(index)]
                                                                : fallback;
}

// A cell's text where the list holds it, else the empty text.
const std::string& TextAt(const std::vector<std::string>& texts, int index) {
  static const std::string empty;
  return index >= 0 && static_cast<size_t>(index) < texts.size() ? texts[static_cast<size_t>(index)]
                                                                 : empty;
}

std::string CellName(int column, int row) {
  std::string letters;
  for (int c = column + 1; c > 0; c = (c - 1) / 26)
    letters.insert(letters.begin(), static_cast<char>('A' + (c - 1) % 26));
  return letters + std::to_string(row + 1);
}

// Layer 0 to 2 of a master cell: text, fetch formula and audit formula. A child table's value
// after them stays out of the master's layers.
std::string_view MasterLayer(std::string_view cell, int layer) {
  size_t start = 0;
  for (int k = 0; k < layer; ++k) {
    const size_t end = cell.find(kLayerSeparator, start);
    if (end == std::string_view::npos) return {};
    start = end + 1;
  }
  const size_t end = cell.find(kLayerSeparator, start);
  return cell.substr(start, end == std::string_view::npos ? end : end - start);
}

// The value of a child cell: the whole cell alone, else what follows the third separator.
std::string ChildValue(const std::string& cell, bool alone) {
  if (alone) return cell;
  size_t pos = 0;
  for (int k = 0; k < 3; ++k) {
    pos = cell.find(kLayerSeparator, pos);
    if (pos == std::string::npos) return {};
    ++pos;
  }
  return cell.substr(pos);
}

// Chunks end at the first character boundary at or past byte 27 of the GBK form.
std::vector<std::string> NoteChunks(const std::string& note) {
  std::vector<std::string> chunks;
  for (std::string_view rest = note; !rest.empty();) {
    const size_t cut = Utf8OffsetOfGbkPos(rest, kNoteChunkBytes, true);
    chunks.emplace_back(rest.substr(0, cut));
    rest.remove_prefix(std::min(cut, rest.size()));
  }
  return chunks;
}

std::string RemoveChunkEnds(const std::string& chunk) {
  return ReplaceAll(chunk, std::string(" ") + kNoteChunkEnd, "");
}

// Blank-separated whole numbers, read as "%d" reads them, except that one past the int range
// reads as the nearest end of the range (a value no stored item may hold) instead of an
// undefined one. A number that is missing leaves its value.
void ParseInts(const std::string& text, std::initializer_list<int*> values) {
  const char* at = text.c_str();
  for (int* value : values) {
    char* end = nullptr;
    const long long read = std::strtoll(at, &end, 10);
    if (end == at) return;
    *value = static_cast<int>(std::clamp<long long>(read, INT_MIN, INT_MAX));
    at = end;
  }
}

SmIntPair ParsePair(const std::string& text) {
  SmIntPair pair;
  ParseInts(text, {&pair.first, &pair.second});
  return pair;
}

SmIntRect ParseRect(const std::string& text) {
  SmIntRect rect;
  ParseInts(text, {&rect.left, &rect.top, &rect.right, &rect.bottom});
  return rect;
}

int ParseInt(const std::string& text) {
  int value = 0;
  ParseInts(text, {&value});
  return value;
}

// A stored integer column, the nearest end of the int range when it lies beyond.
int ClampedInt(long value) {
  return static_cast<int>(std::clamp<long>(value, INT_MIN, INT_MAX));
}

// The index of a stored cell (nx, ny counted from 1) or grid point, -1 outside the counts.
int StoredIndex(long nx, long ny, int cols, int rows) {
  if (nx < 1 || ny < 1 || nx > cols || ny > rows) return -1;
  return static_cast<int>((nx - 1) + (ny - 1) * cols);
}

bool Run(CSmDatabase* db, const std::string& sql) {
  return db->ExecuteSQL(sql);
}

// One insert run for many rows of a table: the statement is prepared once and each row's
// values are bound to it (the values are set in place between the runs).
class CRowInsert {
 public:
  CRowInsert(CSmDatabase* db, const char* sql, std::initializer_list<SmDbValue::Type> types)
      : m_db(db), m_sql(sql) {
    for (SmDbValue::Type type : types) m_values.emplace_back().type = type;
  }
  CRowInsert& Int(size_t k, long long value) {
    m_values[k].i = value;
    return *this;
  }
  CRowInsert& Text(size_t k, std::string_view value) {
    m_values[k].text.assign(value);
    return *this;
  }
  bool Run() { return m_db->ExecuteBound(m_sql, {}, m_values); }

 private:
  CSmDatabase* m_db;
  const char* m_sql;
  std::vector<SmDbValue> m_values;
};

}  // namespace

// ---------------------------------------------------------------- readers

bool CRiloData::ReadInfo(int nNo, CSmDatabase* db) {
  return ReadInfoRow(nNo, db) > 0;
}

int CRiloData::ReadInfoRow(int nNo, CSmDatabase* db, std::string* refusal) {
  CSmQuery query(2, 0, 4, db);
  if (!query.Open(FormatStr("Select nRowNum,nColNum,rtrim(sNa),rtrim(sCopyRight),rtrim(sWritePsd),"
                            "\t\trtrim(sReadPsd) From bbInfo Where nNo=%d",
                            nNo)) ||
      query.IsEOF())
    return 0;
  // Nothing is sized from counts the designer never makes.
  if (!FitsLimits(query.GetInt(0), query.GetInt(1))) {
    if (refusal) *refusal = LimitsText(query.GetInt(0), query.GetInt(1));
    return -1;
  }
  m_rows = static_cast<int>(query.GetInt(0));
  m_cols = static_cast<int>(query.GetInt(1));
  m_reportName = query.GetString(0);
  m_version = query.GetString(1);
  m_modifyPassword = query.GetString(2);
  m_readPassword = query.GetString(3);
  m_tableName = m_reportName;
  return 1;
}

bool CRiloData::ReadLayout(int nNo, CSmDatabase* db) {
  CSmQuery query(3, 0, 3, db);
  if (!query.Open(FormatStr("Select bIsRowFirst,nScrFact,nLpFact,rtrim(rectBound),"
                            "rtrim(rectStatic),rtrim(sizePaper) From bbInfo1 Where nNo=%d",
                            nNo)) ||
      query.IsEOF())
    return false;
  m_pageFlags = ClampedInt(query.GetInt(0));
  m_screenFactor = ClampedInt(query.GetInt(1));
  m_printFactor = ClampedInt(query.GetInt(2));
  m_margins = ParseRect(query.GetString(0));
  m_titleArea = ParseRect(query.GetString(1));
  m_paper = ParsePair(query.GetString(2));
  m_currentCell = {};
  m_caret = {};
  m_selectMode = 0;
  m_textSelect = {};
  m_selectRect = {};
  if (IsLandscape()) std::swap(m_paper.first, m_paper.second);
  return true;
}

bool CRiloData::ReadBreaks(int nNo, CSmDatabase* db) {
  m_colBreaks.clear();
  m_rowBreaks.clear();
  m_areas.clear();
  CSmQuery query(0, 0, 2, db);
  if (!query.Open(FormatStr("Select rtrim(sFlg),rtrim(sValue) From bbInfo2 Where nNo=%d", nNo)))
    return false;
  for (; !query.IsEOF(); query.MoveNext()) {
    const bool column = query.GetString(0) == "0";
    const int value = ParseInt(query.GetString(1));
    if (value < 0 || value > (column ? m_cols : m_rows)) continue;
    (column ? m_colBreaks : m_rowBreaks).push_back(value);
  }
  return true;
}

bool CRiloData::ReadSizes(int nNo, CSmDatabase* db) {
  m_rowHeights.resize(static_cast<size_t>(std::max(m_rows, 0)), 0);
  m_colWidths.resize(static_cast<size_t>(std::max(m_cols, 0)), 0);
  CSmQuery query(2, 0, 1, db);
  if (!query.Open(FormatStr("Select nxy,nValue,rtrim(sFlg) From bbInfo3 Where nNo=%d", nNo)))
    return false;
  for (; !query.IsEOF(); query.MoveNext()) {
    const long nxy = query.GetInt(0);
    const int value = ClampedInt(query.GetInt(1));
    const bool row = query.GetString(0) == "1";
    if (nxy < 1 || nxy > (row ? m_rows : m_cols)) continue;
    (row ? m_rowHeights : m_colWidths)[static_cast<size_t>(nxy - 1)] = value;
  }
  return true;
}

bool CRiloData::ReadFormats(int nNo, CSmDatabase* db) {
  const size_t cells = static_cast<size_t>(std::max(CellCount(), 0));
  const size_t points = static_cast<size_t>(std::max(PointCount(), 0));
  m_lineStyles.assign(points, kPlainLines);
  m_lineColors.assign(points, kNoColors);
  m_backColors.assign(cells, kWhite);
  m_layout3.assign(cells, kNoLayout);
  m_layout4.assign(cells, kNoLayout);
  m_layout5.assign(cells, kNoLayout);
  m_numberFormats.assign(cells, kDefaultFormat);
  m_noteText.clear();
  CSmQuery query(2, 0, 2, db);
  if (!query.Open(FormatStr("Select nx,ny,rtrim(sFlg),rtrim(sValue) From bbInfo4 "
                            "Where nNo=%d Order By nx,ny",
                            nNo)))
    return false;
  for (; !query.IsEOF(); query.MoveNext()) {
    const std::string& kind = query.GetString(0);
    const std::string& value = query.GetString(1);
    if (kind == "7") {
      m_noteText += RemoveChunkEnds(value);
      continue;
    }
    const long nx = query.GetInt(0);
    const long ny = query.GetInt(1);
    if (kind == "0" || kind == "1") {
      const int point = StoredIndex(nx, ny, m_cols + 1, m_rows + 1);
      if (point < 0) continue;
      (kind == "0" ? m_lineStyles : m_lineColors)[static_cast<size_t>(point)] = ParsePair(value);
      continue;
    }
    const int cell = StoredIndex(nx, ny, m_cols, m_rows);
    if (cell < 0) continue;
    const size_t c = static_cast<size_t>(cell);
    if (kind == "2") m_backColors[c] = ParseInt(value);
    if (kind == "3") m_layout3[c] = ParsePair(value);
    if (kind == "4") m_layout4[c] = ParsePair(value);
    if (kind == "5") m_layout5[c] = ParsePair(value);
    if (kind == "6") m_numberFormats[c] = ParsePair(value);
  }
  return true;
}

bool CRiloData::ReadTexts(int nNo, CSmDatabase* db) {
  m_texts.assign(static_cast<size_t>(std::max(CellCount(), 0)), {});
  bool ok = true;
  for (int layer = 0; layer < 3; ++layer) {
    if (layer > 0)
      for (std::string& cell : m_texts) cell += kLayerSeparator;
    if (!AppendCellRows(
            FormatStr("Select nx,ny,rtrim(sValue) From bbInfo5 Where nNo=%d And sFlg=", nNo) +
                FormatStr("'%d'", layer),
            db))
      ok = false;
  }
  return ok;
}

bool CRiloData::AppendCellRows(const std::string& sql, CSmDatabase* db) {
  CSmQuery query(2, 0, 1, db);
  query.SetTextWidth(kCellTextWidth);
  if (!query.Open(sql)) return false;
  for (; !query.IsEOF(); query.MoveNext()) {
    const int cell = StoredIndex(query.GetInt(0), query.GetInt(1), m_cols, m_rows);
    if (cell >= 0) m_texts[static_cast<size_t>(cell)] += SmReadCellText(query.GetString(0));
  }
  return true;
}

bool CRiloData::ReadChildCells(int nNo, const std::string& subNo, bool alone, CSmDatabase* db) {
  m_texts.resize(static_cast<size_t>(std::max(CellCount(), 0)));
  for (std::string& cell : m_texts) {
    if (alone)
      cell.clear();
    else
      cell += kLayerSeparator;
  }
  const bool ok = AppendCellRows(
      FormatStr("Select nx,ny,rtrim(sValue) From bbInfo6 Where nNo=%d And sSubNo='%s'", nNo,
                db->SqlText(SmChildPath(subNo)).c_str()),
      db);
  ReadCatalogEntry(nNo, subNo, db);
  return ok;
}

bool CRiloData::ReadCatalogEntry(int nNo, const std::string& subNo, CSmDatabase* db) {
  CSmQuery query(0, 0, 2, db);
  if (!query.Open(FormatStr("Select rtrim(sNa),rtrim(srptNo) From bbInfo7 Where nNo=%d And "
                            "sSubNo='%s'",
                            nNo, db->SqlText(SmChildPath(subNo)).c_str())) ||
      query.IsEOF())
    return false;
  m_tableName = query.GetString(0);
  if (subNo.empty()) m_reportName = m_tableName;
  m_reportCode = query.GetString(1);
  return true;
}

bool CRiloData::LoadFromDb(int nNo, const std::string& subNo, bool infoOnly, CSmDatabase* db) {
  if (!db) return false;
  CSmWaitCursor wait;
  // Read into a copy, so that a refused report leaves this sheet as it was.
  CRiloData read(*this);
  read.m_vars = m_vars;
  std::string refusal;
  if (read.ReadInfoRow(nNo, db, &refusal) < 0)
    return SmRefuseStore(FormatStr("数据文件中的报表%d：", nNo) + refusal + "，不能打开！");
  if (!infoOnly) {
    read.ReadLayout(nNo, db);
    read.ReadBreaks(nNo, db);
    read.ReadSizes(nNo, db);
    read.ReadFormats(nNo, db);
    read.ReadTexts(nNo, db);
  }
  if (subNo.empty())
    read.ReadCatalogEntry(nNo, subNo, db);
  else
    read.ReadChildCells(nNo, subNo, infoOnly, db);
  if (const std::string bad = infoOnly ? std::string() : read.UnreasonableValue(); !bad.empty()) {
    return SmRefuseStore(
        FormatStr("数据文件中的报表%d已损坏：%s不合理，不能打开！", nNo, bad.c_str()));
  }
  read.m_vars.m_nSoft = kSmReportModule;
  read.m_vars.m_nNo = nNo;
  if (!infoOnly) {
    read.m_vars.RemoveAll();
    read.m_vars.LoadFromDb(db);
    if (read.m_vars.GetSize() == 0) read.m_vars.SetDefaults();
  }
  // Moved, not copied: a whole report's texts are most of the time of a load.
  static_cast<SmRiloFields&>(*this) = std::move(static_cast<SmRiloFields&>(read));
  m_vars = std::move(read.m_vars);
  return true;
}

bool CRiloData::LoadRefFromDb(const std::string& reference, CSmDatabase* db) {
  std::string file;
  std::string path;
  int year = 0;
  CSmUtil util;
  if (util.ParseReportPath(reference, file, year, path) != 1) return false;
  const size_t slash = path.find('\\');
  const std::string number = path.substr(0, slash);
  int nNo = 0;
  if (!SmReportNumber(number, nNo)) return false;
  const std::string subNo = slash == std::string::npos ? std::string() : path.substr(slash + 1);
  std::unique_ptr<CSmDatabase> other;
  CSmDatabase* source = db;
  if (!file.empty()) {
    CSmApp* app = SmGetApp();
    const CSmConnInfo settings = db    ? db->GetConnInfo()
                                 : app ? app->m_env.GetConnInfo()
                                       : CSmConnInfo();
    const int kind = db ? db->GetKind() : app ? app->GetDatabaseKind() : 0;
    other = std::make_unique<CSmDatabase>(kind);
    if (!other->Open(kind == 0 ? SmOpenFilePath(file) : file, settings)) return false;
    source = other.get();
  }
  if (!source || !source->IsOpen()) return false;
  if (ReadInfoRow(nNo, source) < 0) return false;
  ReadChildCells(nNo, subNo, true, source);
  return true;  // a connection opened here closes with `other`
}

// ---------------------------------------------------------------- writers

bool CRiloData::WriteInfo(int nNo, CSmDatabase* db) const {
  if (!Run(db, FormatStr("Delete From bbInfo Where nNo=%d", nNo))) return false;
  if (!Run(db, FormatStr("Insert into bbInfo(nNo,sNa,sCopyRight,sWritePsd,\t\tsReadPsd,nRowNum,"
                         "nColNum) Values(%d,'%s','%s','%s','%s',%d,%d)",
                         nNo, db->SqlText(m_reportName).c_str(), db->SqlText(m_version).c_str(),
                         db->SqlText(m_modifyPassword).c_str(), db->SqlText(m_readPassword).c_str(),
                         m_rows, m_cols)))
    return false;
  return WriteCatalogEntry(nNo, {}, db);
}

bool CRiloData::WriteLayout(int nNo, CSmDatabase* db) const {
  if (!Run(db, FormatStr("Delete From bbInfo1 Where nNo=%d", nNo))) return false;
  const SmIntPair paper = IsLandscape() ? SmIntPair{m_paper.second, m_paper.first} : m_paper;
  return Run(
      db, FormatStr("Insert into bbInfo1(nNo,bIsRowFirst,nScrFact,nLpFact,"
                    "rectBound,rectStatic,sizePaper) Values"
                    "(%d,%d,%d,%d,'%d %d %d %d','%d %d %d %d','%d %d')",
                    nNo, m_pageFlags, m_screenFactor, m_printFactor, m_margins.left, m_margins.top,
                    m_margins.right, m_margins.bottom, m_titleArea.left, m_titleArea.top,
                    m_titleArea.right, m_titleArea.bottom, paper.first, paper.second));
}

bool CRiloData::WriteBreaks(int nNo, CSmDatabase* db) const {
  if (!Run(db, FormatStr("Delete From bbInfo2 Where nNo=%d", nNo))) return false;
  CRowInsert insert(db, "Insert into bbInfo2(nNo,sFlg,sValue) Values(?,?,?)",
                    {SmDbValue::Int, SmDbValue::Text, SmDbValue::Text});
  insert.Int(0, nNo);
  for (int value : m_colBreaks)
    if (!insert.Text(1, "0").Text(2, std::to_string(value)).Run()) return false;
  for (int value : m_rowBreaks)
    if (!insert.Text(1, "1").Text(2, std::to_string(value)).Run()) return false;
  return true;
}

bool CRiloData::WriteSizes(int nNo, CSmDatabase* db) const {
  if (!Run(db, FormatStr("Delete From bbInfo3 Where nNo=%d", nNo))) return false;
  CRowInsert insert(db, "Insert into bbInfo3(nNo,sFlg,nxy,nValue) Values(?,?,?,?)",
                    {SmDbValue::Int, SmDbValue::Text, SmDbValue::Int, SmDbValue::Int});
  insert.Int(0, nNo);
  for (int i = 0; i < m_rows; ++i)
    if (!insert.Text(1, "1").Int(2, i + 1).Int(3, At(m_rowHeights, i, 0)).Run()) return false;
  for (int i = 0; i < m_cols; ++i)
    if (!insert.Text(1, "0").Int(2, i + 1).Int(3, At(m_colWidths, i, 0)).Run()) return false;
  return true;
}

bool CRiloData::WriteFormats(int nNo, CSmDatabase* db) const {
  if (!Run(db, FormatStr("Delete From bbInfo4 Where nNo=%d", nNo))) return false;
  CRowInsert insert(
      db, "Insert into bbInfo4(nNo,sFlg,nx,ny,sValue) Values(?,?,?,?,?)",
      {SmDbValue::Int, SmDbValue::Text, SmDbValue::Int, SmDbValue::Int, SmDbValue::Text});
  insert.Int(0, nNo);
  const auto row = [&](char kind, int nx, int ny, const std::string& value) {
    return insert.Text(1, std::string_view(&kind, 1)).Int(2, nx).Int(3, ny).Text(4, value).Run();
  };
  const auto pair = [&](char kind, int nx, int ny, const SmIntPair& value, const SmIntPair& def) {
    return value == def || row(kind, nx, ny, FormatStr("%d %d", value.first, value.second));
  };
  for (int ny = 1; ny <= m_rows + 1; ++ny) {
    for (int nx = 1; nx <= m_cols + 1; ++nx) {
      const int point = (nx - 1) + (ny - 1) * (m_cols + 1);
      if (!pair('0', nx, ny, At(m_lineStyles, point, kPlainLines), kPlainLines) ||
          !pair('1', nx, ny, At(m_lineColors, point, kNoColors), kNoColors))
        return false;
      if (nx > m_cols || ny > m_rows) continue;
      const int cell = (nx - 1) + (ny - 1) * m_cols;
      const int back = At(m_backColors, cell, kWhite);
      if (back != kWhite && !row('2', nx, ny, std::to_string(back))) return false;
      if (!pair('3', nx, ny, At(m_layout3, cell, kNoLayout), kNoLayout) ||
          !pair('4', nx, ny, At(m_layout4, cell, kNoLayout), kNoLayout) ||
          !pair('5', nx, ny, At(m_layout5, cell, kNoLayout), kNoLayout) ||
          !pair('6', nx, ny, At(m_numberFormats, cell, kDefaultFormat), kDefaultFormat))
        return false;
    }
  }
  // The note keeps the data file's literal form of its text (SqlText).
  const std::vector<std::string> chunks = NoteChunks(m_noteText);
  for (size_t k = 0; k < chunks.size(); ++k) {
    if (!Run(db,
             FormatStr("Insert into bbInfo4(nNo,sFlg,nx,ny,sValue) Values(%d,'7',0,%d,'%s %c')",
                       nNo, static_cast<int>(k), db->SqlText(chunks[k]).c_str(), kNoteChunkEnd)))
      return false;
  }
  return true;
}

bool CRiloData::WriteTexts(int nNo, CSmDatabase* db) const {
  if (!Run(db, FormatStr("Delete From bbInfo5 Where nNo=%d", nNo))) return false;
  CRowInsert insert(
      db, "Insert into bbInfo5(nNo,sFlg,nx,ny,sValue) Values(?,?,?,?,?)",
      {SmDbValue::Int, SmDbValue::Text, SmDbValue::Int, SmDbValue::Int, SmDbValue::Text});
  insert.Int(0, nNo);
  // Rows go in the order of the table's index (layer, column, row), so that reading one layer
  // back walks the table in order.
  static const char* const kLayerFlags[] = {"0", "1", "2"};
  for (int layer = 0; layer < 3; ++layer) {
    insert.Text(1, kLayerFlags[layer]);
    for (int c = 0; c < m_cols; ++c) {
      for (int r = 0; r < m_rows; ++r) {
        const std::string_view text = MasterLayer(TextAt(m_texts, c + r * m_cols), layer);
        if (text.empty()) continue;
        if (!insert.Int(2, c + 1).Int(3, r + 1).Text(4, SmStoredCellText(std::string(text))).Run())
          return false;
      }
    }
  }
  return true;
}

bool CRiloData::WriteChildCells(int nNo, const std::string& subNo, bool alone,
                                CSmDatabase* db) const {
  const std::string path = SmChildPath(subNo);
  const std::string quoted = db->SqlText(path);
  if (!Run(db, FormatStr("Delete From bbInfo6 Where nNo=%d And sSubNo='%s'", nNo, quoted.c_str())))
    return false;
  CRowInsert insert(
      db, "Insert into bbInfo6(nNo,sSubNo,nx,ny,sValue) Values(?,?,?,?,?)",
      {SmDbValue::Int, SmDbValue::Text, SmDbValue::Int, SmDbValue::Int, SmDbValue::Text});
  insert.Int(0, nNo).Text(1, path);
  // In the order of the table's index, as the master's texts.
  for (int c = 0; c < m_cols; ++c) {
    for (int r = 0; r < m_rows; ++r) {
      const std::string value = ChildValue(TextAt(m_texts, c + r * m_cols), alone);
      if (value.empty()) continue;
      if (!insert.Int(2, c + 1).Int(3, r + 1).Text(4, SmStoredCellText(value)).Run()) return false;
    }
  }
  return WriteCatalogEntry(nNo, path, db);
}

bool CRiloData::WriteCatalogEntry(int nNo, const std::string& subNo, CSmDatabase* db) const {
  const std::string path = db->SqlText(SmChildPath(subNo));
  if (!Run(db, FormatStr("Delete From bbInfo7 Where nNo=%d And sSubNo='%s'", nNo, path.c_str())))
    return false;
  const std::string& name = subNo.empty() ? m_reportName : m_tableName;
  return Run(
      db, FormatStr("Insert into bbInfo7(nNo,sSubNo,sNa,srptNo) \t\tValues(%d,'%s','%s','%s')", nNo,
                    path.c_str(), db->SqlText(name).c_str(), db->SqlText(m_reportCode).c_str()));
}

// ---------------------------------------------------------------- saving

bool CRiloData::CheckStorable(const std::string& subNo, bool childAlone) const {
  if (!FitsLimits(m_rows, m_cols))
    return SmRefuseStore(LimitsText(m_rows, m_cols) + "，不能保存！");
  struct Field {
    const std::string& text;
    const char* label;
    size_t width;
  };
  const Field fields[] = {
      {m_reportName, "报表名", kSmReportNameWidth},
      {m_reportCode, "上报表号", kSmReportCodeWidth},
      {m_modifyPassword, "修改密码", kSmReportCodeWidth},
      {m_readPassword, "查看密码", kSmReportCodeWidth},
  };
  for (const Field& field : fields) {
    if (GbkSize(field.text) > field.width)
      return SmRefuseStore(FormatStr("%s超过%zu个字节，不能保存！", field.label, field.width));
  }
  if (!subNo.empty() && GbkSize(m_tableName) > kSmReportNameWidth)
    return SmRefuseStore(FormatStr("表名超过%zu个字节，不能保存！", kSmReportNameWidth));
  if (SmChildPath(subNo).size() > kSmChildNoWidth)
    return SmRefuseStore(FormatStr("子表号超过%zu个字符，不能保存！", kSmChildNoWidth));
  static const char* const kLayerNames[] = {"内容", "取数公式", "审核公式"};
  for (int i = 0; i < CellCount(); ++i) {
    const std::string& cell = TextAt(m_texts, i);
    const auto name = [&] { return CellName(i % m_cols, i / m_cols); };
    for (int layer = 0; layer < 3; ++layer) {
      if (GbkSize(MasterLayer(cell, layer)) > kSmReportCellWidth)
        return SmRefuseStore(FormatStr("单元格%s的%s超过%zu个字节，不能保存！", name().c_str(),
                                       kLayerNames[layer], kSmReportCellWidth));
    }
    if (!subNo.empty() && GbkSize(ChildValue(cell, childAlone)) > kSmReportCellWidth)
      return SmRefuseStore(FormatStr("单元格%s的子表数值超过%zu个字节，不能保存！", name().c_str(),
                                     kSmReportCellWidth));
  }
  return true;
}

bool CRiloData::WriteParts(const CRiloData* saved, int nNo, const std::string& subNo,
                           bool childAlone, CSmDatabase* db) {
  const auto changed = [&](bool equal) { return !saved || !equal; };
  if (changed(saved && IsHeaderEqual(*saved)) && !WriteInfo(nNo, db)) return false;
  if (changed(saved && IsPageEqual(*saved)) && !WriteLayout(nNo, db)) return false;
  if (changed(saved && IsBreaksEqual(*saved)) && !WriteBreaks(nNo, db)) return false;
  if (changed(saved && IsSizesEqual(*saved)) && !WriteSizes(nNo, db)) return false;
  if (changed(saved && IsFormatsEqual(*saved)) && !WriteFormats(nNo, db)) return false;
  if (changed(saved && IsTextsEqual(*saved)) && !WriteTexts(nNo, db)) return false;
  if (!subNo.empty() && !WriteChildCells(nNo, subNo, childAlone, db)) return false;
  m_vars.m_nSoft = kSmReportModule;
  m_vars.m_nNo = nNo;
  return !changed(saved && IsVarsEqual(*saved)) || m_vars.SaveToDb(db);
}

bool CRiloData::SaveToDb(int nNo, const std::string& subNo, bool childAlone, CSmDatabase* db) {
  if (!db || !CheckStorable(subNo, childAlone)) return false;
  CSmWaitCursor wait;
  return SmRunInTransaction(db, [&] { return WriteParts(nullptr, nNo, subNo, childAlone, db); });
}

bool CRiloData::SaveChangedToDb(const CRiloData& saved, bool savedValid, int nNo,
                                const std::string& subNo, CSmDatabase* db) {
  if (!db || !CheckStorable(subNo, false)) return false;
  const CRiloData* copy = savedValid ? &saved : nullptr;
  CSmWaitCursor wait;
  return SmRunInTransaction(db, [&] { return WriteParts(copy, nNo, subNo, false, db); });
}
