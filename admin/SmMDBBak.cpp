#include "admin/SmMDBBak.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>

#include "app/SmApp.h"
#include "core/SmArchive.h"
#include "core/SmDatabase.h"
#include "core/SmGbk.h"
#include "core/SmQuery.h"
#include "core/SmString.h"
#include "platform/SmMessage.h"

const std::string CSmMDBBak::kMarker("\x02\x03\x06\x04\x08\x1B\x15\x10\x07", 9);

namespace {

constexpr int kMarkerTestBytes = 15;
const char* const kSideSuffix = "_restore";
// The most columns a table of a data file can have (the data file's engine takes no more).
constexpr int32_t kMaxColumns = 2000;
// The least bytes a table block takes: its name text and five counts.
constexpr int64_t kLeastTableBytes = 1 + 5 * 4;

std::string Join(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ",") + name;
  return text;
}

int EnvironmentYear() {
  CSmApp* app = SmGetApp();
  return app ? app->m_env.GetYear() : 0;
}

bool SameName(const std::string& a, const std::string& b) {
  return MakeUpperCopy(a) == MakeUpperCopy(b);
}

// The counts of one table block, as the archive gives them.
struct BlockCounts {
  int32_t total = 0;
  int32_t ints = 0;
  int32_t numbers = 0;
  int32_t texts = 0;
  int32_t rows = 0;
};

// Every count is checked on its own before any is added or used: a table has at most so many
// columns, lists at least one, and the rows fit into what is left of the file.
bool CountsFit(const BlockCounts& c, const CSmArchiveReader& in) {
  for (int32_t n : {c.total, c.ints, c.numbers, c.texts})
    if (n < 0 || n > kMaxColumns) return false;
  const int64_t listed = int64_t{c.ints} + c.numbers + c.texts;
  if (listed < 1 || listed > c.total) return false;
  const int64_t rowBytes = int64_t{c.ints} * 4 + int64_t{c.numbers} * 8 + c.texts;
  return in.CanHold(c.rows, rowBytes);
}

// "Table(a,b,c)": the table's name and its columns, as many as the counts list.
bool SplitHead(const std::string& head, size_t listed, std::string& table,
               std::vector<std::string>& columns) {
  const size_t open = head.find('(');
  if (open == std::string::npos || open == 0 || head.back() != ')') return false;
  table = head.substr(0, open);
  columns.clear();
  const std::string list = head.substr(open + 1, head.size() - open - 2);
  for (size_t start = 0;;) {
    const size_t comma = list.find(',', start);
    columns.push_back(list.substr(start, comma - start));
    if (columns.back().empty()) return false;
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return columns.size() == listed;
}

// A text kept in the literal form of the data file (quotes doubled) turned to its value.
void UnquoteText(std::string& stored) {
  if (stored.find("''") != std::string::npos) stored = ReplaceAll(stored, "''", "'");
}

// The names of an archive's table and columns as the target's own catalogue spells them:
// nothing the archive says reaches a statement. False, with a message, for a table or column
// the target does not have.
bool CatalogueNames(CSmDatabase& target, const std::vector<std::string>& tables,
                    const std::string& table, const std::vector<std::string>& columns,
                    std::string& targetTable, std::vector<std::string>& targetColumns) {
  const auto found = std::find_if(tables.begin(), tables.end(),
                                  [&](const std::string& name) { return SameName(name, table); });
  std::vector<SmDbColumn> listed;
  if (found == tables.end() || !target.Backend() || !target.Backend()->GetColumns(*found, listed)) {
    SmMessageBox("备份件中的数据表“" + table + "”在当前数据文件中没有，不能恢复！",
                 SM_MB_ICONERROR);
    return false;
  }
  targetTable = *found;
  targetColumns.clear();
  for (const std::string& column : columns) {
    const auto match = std::find_if(listed.begin(), listed.end(),
                                    [&](const SmDbColumn& c) { return SameName(c.name, column); });
    const bool twice =
        match != listed.end() &&
        std::find(targetColumns.begin(), targetColumns.end(), match->name) != targetColumns.end();
    if (match == listed.end() || twice) {
      SmMessageBox(
          "备份件中数据表“" + table + "”的列“" + column + "”在当前数据文件中没有，不能恢复！",
          SM_MB_ICONERROR);
      return false;
    }
    targetColumns.push_back(match->name);
  }
  return true;
}

// Says why a file was not written: a full disk or a read-only folder in plain words with the
// system's reason, else the text given.
void TellFileFailure(const QFileDevice& file, const std::string& otherwise) {
  const std::string plain = SmFailureMessage(SmFileFailure(file), file.errorString().toStdString());
  SmMessageBox(plain.empty() ? otherwise : plain, SM_MB_ICONERROR);
}

// The indexes of a fresh data file are dropped while its rows go in and built again after
// them, each once instead of row by row; `create` gets the statements that build them. A
// database keeps its indexes.
bool DropFileIndexes(CSmDatabase& side, std::vector<std::string>& create) {
  if (side.GetKind() != 0 || !side.Backend()) return true;
  std::vector<std::string> names;
  {
    std::unique_ptr<CSmDbCursor> rows = side.Backend()->Query(
        "Select name,sql From sqlite_master Where type='index' And sql Is Not Null", nullptr);
    if (!rows) return false;
    while (rows->Next()) {
      names.push_back(rows->GetText(0));
      create.push_back(rows->GetText(1));
    }
    if (!rows->Error().empty()) return false;
  }
  for (const std::string& name : names) {
    if (!side.ExecuteSQL("Drop Index " + name)) return false;
  }
  return true;
}

void TellDamaged() {
  SmMessageBox("备份件已损坏或不完整，不能恢复！\n当前数据文件没有任何改动。", SM_MB_ICONERROR);
}

// A text of a row whose bytes mean nothing in the code page: the rest of the archive may be
// whole, so the row is named rather than the archive called damaged.
void TellUnreadableRow(const std::string& table, int32_t row) {
  SmMessageBox(FormatStr("备份件中数据表“%s”第%d行有不能识别的文字，数据没有恢复！", table.c_str(),
                         static_cast<int>(row)),
               SM_MB_ICONERROR);
}

}  // namespace

CSmMDBBak::CSmMDBBak(CSmDatabase& db) : m_db(db) {
  m_markerRead = kMarker;
  m_dataFile = db.GetFileName(true);
  if (CSmApp* app = SmGetApp()) {
    m_moduleId = app->GetSmModuleId();
    m_year = app->m_env.GetYear();
    m_unitName = app->m_env.GetUnitName();
    m_operator = app->m_env.GetOperatorName() + "(" + app->m_env.GetOperatorNo() + ")";
  }
  m_time = QDateTime::currentDateTime().toString("yyyy年MM月dd日HH时mm分").toStdString();
  m_currentCode = db.QueryCountString("max(AN) From SysTab");
  m_archiveCode = m_currentCode;
}

int CSmMDBBak::GetTableList(std::vector<std::string>& names) {
  names.clear();
  m_db.GetUserTables(&names);
  const int count = static_cast<int>(names.size());
  for (const char* first : {"SmReportSQL", "SysCsTab", "SysTab"}) {
    const auto found = std::find_if(names.begin(), names.end(), [&](const std::string& name) {
      return MakeUpperCopy(name) == MakeUpperCopy(first);
    });
    if (found == names.end()) continue;
    names.erase(found);
    names.insert(names.begin(), first);
  }
  return count;
}

// ---- saving

bool CSmMDBBak::SaveBackup(const std::string& path) {
  QSaveFile file(QString::fromStdString(path));
  // Unbuffered: a write the disk refuses fails at once, with the system's reason.
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
    TellFileFailure(file, "无效的文件名。");
    return false;
  }
  // Every table from one snapshot: a change committed meanwhile is in all of them or none.
  if (!m_db.BeginSnapshot()) {
    file.cancelWriting();
    return false;
  }
  bool ok = false;
  bool written = false;
  {
    CSmArchiveWriter out(file);
    ok = WriteArchive(out) && out.Flush();
    written = out.Ok();
  }
  m_db.Rollback();
  // What was written so far goes: nothing half written stays behind.
  if (!ok) {
    if (!written) TellFileFailure(file, "保存文档失败。");
    file.cancelWriting();
    return false;
  }
  if (!file.commit()) {
    TellFileFailure(file, "保存文档失败。");
    return false;
  }
  return true;
}

bool CSmMDBBak::WriteArchive(CSmArchiveWriter& out) {
  std::vector<std::string> tables;
  if (GetTableList(tables) < 1) return false;
  out.WriteText(kMarker + "/" + m_currentCode);
  out.WriteText(m_dataFile);
  out.WriteInt(m_moduleId);
  out.WriteInt(m_year);
  out.WriteText(m_unitName);
  out.WriteText(m_operator);
  out.WriteText(m_time);
  out.WriteInt(static_cast<int32_t>(tables.size()));
  for (const std::string& table : tables) {
    if (!WriteTable(out, table)) return false;
  }
  return out.Ok();
}

bool CSmMDBBak::WriteTable(CSmArchiveWriter& out, const std::string& table) {
  if (!m_db.TableExists(table)) return false;
  // A column the archive has no group for cannot be kept: refuse rather than drop it.
  std::vector<SmDbColumn> listed;
  if (m_db.Backend() && m_db.Backend()->GetColumns(table, listed)) {
    for (const SmDbColumn& column : listed) {
      if (column.kind != SM_COL_OTHER) continue;
      SmMessageBox("表“" + table + "”的列“" + column.name + "”的类型不能备份！", SM_MB_ICONERROR);
      return false;
    }
  }
  std::vector<std::string> groups[4];
  std::vector<long> widths;
  const int total = m_db.GetTableColumns(table, groups, &widths);
  const int ints = static_cast<int>(groups[0].size());
  const int numbers = static_cast<int>(groups[1].size());
  const int texts = static_cast<int>(groups[2].size());
  if (total < 1 || ints + numbers + texts < 1) return false;
  std::vector<std::string> columns = groups[0];
  columns.insert(columns.end(), groups[1].begin(), groups[1].end());
  columns.insert(columns.end(), groups[2].begin(), groups[2].end());
  const std::string list = Join(columns);
  out.WriteText(table + "(" + list + ")");
  out.WriteInt(total);
  out.WriteInt(ints);
  out.WriteInt(numbers);
  out.WriteInt(texts);
  out.WriteInt(static_cast<int32_t>(m_db.QueryInt("Select COUNT(*) From " + table)));

  CSmQuery query(ints, numbers, texts, &m_db);
  long widest = 255;
  for (long width : widths) widest = std::max(widest, width);
  query.SetTextWidth(static_cast<int>(widest));
  for (int group = 0; group < 3; ++group) query.SetFieldNames(group, groups[group]);
  if (!query.Open("Select " + list + " From " + table)) return false;
  for (int32_t row = 1; !query.IsEOF(); query.MoveNext(), ++row) {
    for (int i = 0; i < ints; ++i) out.WriteInt(static_cast<int32_t>(query.GetInt(i)));
    for (int i = 0; i < numbers; ++i) out.WriteDouble(query.GetDouble(i));
    for (int i = 0; i < texts; ++i) {
      // A text left out would shift every value after it: the archive would not read back.
      if (out.WriteText(m_db.SqlText(query.GetString(i), static_cast<int>(widths[i])))) continue;
      SmMessageBox(FormatStr("数据表“%s”第%d行有不能保存的文字，备份没有完成！", table.c_str(),
                             static_cast<int>(row)),
                   SM_MB_ICONERROR);
      return false;
    }
    if (!out.Ok()) return false;
  }
  return out.Ok();
}

// ---- loading

bool CSmMDBBak::LoadBackup(const std::string& path, int mode) {
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly)) {
    SmMessageBox("打开文档失败。", SM_MB_ICONERROR);
    return false;
  }
  if (file.size() == 0) return false;
  if (mode == 0) {
    std::string head = file.read(kMarkerTestBytes).toStdString();
    if (head.size() < kMarker.size()) return false;
    head = head.substr(0, head.find('\0'));
    return head.find(kMarker) != std::string::npos;
  }
  const uchar* mapped = file.map(0, file.size());
  if (!mapped) {
    SmMessageBox("打开文档失败。", SM_MB_ICONERROR);
    return false;
  }
  CSmArchiveReader in(
      std::string_view(reinterpret_cast<const char*>(mapped), static_cast<size_t>(file.size())));
  return ReadArchive(in, mode);
}

bool CSmMDBBak::ReadHeader(CSmArchiveReader& in) {
  std::string first;
  if (!in.ReadText(first)) return false;
  const size_t slash = first.find('/');
  m_markerRead = first.substr(0, slash);
  m_archiveCode.clear();
  if (slash != std::string::npos) {
    const std::string rest = first.substr(slash + 1);
    m_archiveCode = rest.substr(0, rest.find('/'));
  }
  if (m_markerRead != kMarker) return false;
  int32_t module = 0, year = 0;
  std::string dataFile;
  if (!in.ReadText(dataFile) || !in.ReadInt(module) || !in.ReadInt(year)) return false;
  // An archive of another business year does not load, without a word.
  if (m_checkYear && year != EnvironmentYear()) return false;
  std::string unit, oper, time;
  if (!in.ReadText(unit) || !in.ReadText(oper) || !in.ReadText(time)) return false;
  m_dataFile = dataFile;
  m_moduleId = module;
  m_year = year;
  m_unitName = unit;
  m_operator = oper;
  m_time = time;
  return true;
}

bool CSmMDBBak::ReadArchive(CSmArchiveReader& in, int mode) {
  if (!ReadHeader(in)) {
    if (!in.Ok()) SmMessageBox("打开文档失败。", SM_MB_ICONERROR);
    return false;
  }
  if (mode == 1) return true;
  return Restore(in);
}

bool CSmMDBBak::Restore(CSmArchiveReader& in) {
  m_declined = false;
  m_archiveRefused = false;
  if (m_archiveCode != m_currentCode &&
      SmMessageBox(
          FormatStr("当前数据文件的标识码为：“%s”，\n备份件的标识码为：“%s”，\n两者不一致！"
                    "\n用备份件替换当前数据文件吗？",
                    m_currentCode.c_str(), m_archiveCode.c_str()),
          SM_MB_YESNOCANCEL | SM_MB_ICONQUESTION | SM_MB_DEFBUTTON2) != SM_IDYES) {
    m_declined = true;
    return false;
  }
  int32_t tables = 0;
  std::vector<std::string> names;
  if (!in.ReadInt(tables) || !in.CanHold(tables, kLeastTableBytes)) {
    TellDamaged();
    m_archiveRefused = true;
    return false;
  }
  if (tables != GetTableList(names) &&
      SmMessageBox("备份集中的表数目与当前数据文件中的表数目不一致，继续吗！",
                   SM_MB_YESNOCANCEL | SM_MB_ICONQUESTION) != SM_IDYES) {
    m_declined = true;
    return false;
  }

  // The whole archive is read once before anything is written.
  CSmArchiveReader check = in;
  for (int32_t t = 0; t < tables; ++t) {
    if (!RestoreTable(check, nullptr, nullptr)) {
      // An unreadable row has been named already.
      if (!check.Undecodable()) TellDamaged();
      m_archiveRefused = true;
      return false;
    }
  }
  if (check.Left() != 0) {
    TellDamaged();
    m_archiveRefused = true;
    return false;
  }

  const CSmConnInfo settings = m_db.GetConnInfo();
  const std::string name = m_db.GetFileName(true);
  const std::string side = name + kSideSuffix;
  // A side file or database left by an earlier failed restore goes first.
  CSmDatabase sideDb(m_db.GetKind());
  if (m_db.GetKind() == 0) {
    std::error_code ec;
    std::filesystem::remove(side, ec);
  } else {
    CSmDatabase master(m_db.GetKind());
    if (master.Open("master", settings) && master.DatabaseExists(side)) {
      master.Close();
      master.DropDatabase(settings, side);
    }
  }
  if (!sideDb.CreateDatabase(settings, side)) {
    SmMessageBox("重新创建当前年度数据文件失败！", SM_MB_ICONERROR);
    return false;
  }
  const bool filled = FillSide(in, tables, sideDb);
  sideDb.Close();
  if (!filled) {
    CSmDatabase cleaner(m_db.GetKind());
    cleaner.DropDatabase(settings, side);
    return false;
  }
  return m_db.GetKind() == 0 ? ReplaceFileWith(side) : ReplaceDatabaseWith(side);
}

bool CSmMDBBak::FillSide(CSmArchiveReader& in, int tables, CSmDatabase& side) {
  if (CSmApp* app = SmGetApp()) app->AfterOpen(&side);
  std::vector<std::string> names;
  side.GetUserTables(&names);
  if (!side.BeginTrans()) return false;
  std::vector<std::string> indexes;
  bool ok = DropFileIndexes(side, indexes);
  for (int t = 0; ok && t < tables; ++t) ok = RestoreTable(in, &side, &names);
  for (size_t i = 0; ok && i < indexes.size(); ++i) ok = side.ExecuteSQL(indexes[i]);
  if (ok) return side.CommitTrans();
  side.Rollback();
  return false;
}

bool CSmMDBBak::RestoreTable(CSmArchiveReader& in, CSmDatabase* target,
                             const std::vector<std::string>* targetTables) {
  // A name that does not read is a damaged block, not an unreadable row.
  std::string stored;
  std::string head;
  BlockCounts counts;
  if (!in.ReadRawText(stored) || !GbkToUtf8(stored, head) || !in.ReadInt(counts.total) ||
      !in.ReadInt(counts.ints) || !in.ReadInt(counts.numbers) || !in.ReadInt(counts.texts) ||
      !in.ReadInt(counts.rows) || !CountsFit(counts, in))
    return false;
  const size_t listed = static_cast<size_t>(counts.ints + counts.numbers + counts.texts);
  std::string table;
  std::vector<std::string> columns;
  if (!SplitHead(head, listed, table, columns)) return false;
  // One prepared statement for the table's rows, with the values bound: an archive's texts are
  // values and never statements.
  std::string insert;
  if (target) {
    std::string name;
    std::vector<std::string> names;
    if (!targetTables || !CatalogueNames(*target, *targetTables, table, columns, name, names))
      return false;
    // The fresh side file may hold seed rows of its own: the archive's rows replace them.
    if (!target->ExecuteSQL("Delete From " + name)) return false;
    insert = "Insert Into " + name + "(" + Join(names) + ") Values(?";
    for (size_t k = 1; k < listed; ++k) insert += ",?";
    insert += ")";
  }
  // Every row is read into the same values: a text takes the room the last row's had.
  std::vector<SmDbValue> values(listed);
  for (size_t at = 0; at < listed; ++at) {
    values[at].type = at < static_cast<size_t>(counts.ints)                    ? SmDbValue::Int
                      : at < static_cast<size_t>(counts.ints + counts.numbers) ? SmDbValue::Double
                                                                               : SmDbValue::Text;
  }
  for (int32_t row = 0; row < counts.rows; ++row) {
    size_t at = 0;
    for (int32_t i = 0; i < counts.ints; ++i, ++at) {
      int32_t value = 0;
      if (!in.ReadInt(value)) return false;
      values[at].i = value;
    }
    for (int32_t i = 0; i < counts.numbers; ++i, ++at) {
      double value = 0;
      if (!in.ReadDouble(value)) return false;
      values[at].d = std::isfinite(value) ? value : 0.0;
    }
    for (int32_t i = 0; i < counts.texts; ++i, ++at) {
      if (!in.ReadText(values[at].text)) {
        if (in.Undecodable()) TellUnreadableRow(table, row + 1);
        return false;
      }
      UnquoteText(values[at].text);
    }
    if (!target) continue;
    if (target->ExecuteBound(insert, {}, values)) continue;
    // One failed row fails the restore: the data file is not replaced.
    if (target->LastFailure() == SmDbFailure::Other)
      SmMessageBox("继续报错吗？", SM_MB_YESNOCANCEL | SM_MB_ICONQUESTION | SM_MB_DEFBUTTON2);
    return false;
  }
  return in.Ok();
}

bool CSmMDBBak::ReplaceFileWith(const std::string& sidePath) {
  const bool ok = m_db.CopyDataFileFrom(sidePath);
  std::error_code ec;
  std::filesystem::remove(sidePath, ec);
  if (!ok) SmMessageBox("重新创建当前年度数据文件失败！", SM_MB_ICONERROR);
  return ok;
}

bool CSmMDBBak::ReplaceDatabaseWith(const std::string& sideName) {
  const CSmConnInfo settings = m_db.GetConnInfo();
  const std::string name = m_db.GetFileName(true);
  // Other workstations on the database keep it: it is not swapped under them.
  if (!m_db.ListDatabaseUsers(true)) {
    CSmDatabase(m_db.GetKind()).DropDatabase(settings, sideName);
    return false;
  }
  m_db.Close();
  CSmDatabase master(m_db.GetKind());
  const std::string old = name + "_old";
  bool ok = master.Open("master", settings) &&
            master.ExecuteSQL("Alter Database " + name + " Rename To " + old);
  if (ok && !master.ExecuteSQL("Alter Database " + sideName + " Rename To " + name)) {
    master.ExecuteSQL("Alter Database " + old + " Rename To " + name);
    ok = false;
  }
  if (ok) master.ExecuteSQL("Drop Database " + old);
  master.Close();
  // A database that cannot be opened again leaves the connection closed: the caller ends.
  return m_db.Open(name, settings) && ok;
}
