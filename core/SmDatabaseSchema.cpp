// Catalogue and schema operations of the connection.
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "core/SmDatabase.h"
#include "core/SmQuery.h"
#include "core/SmSqlDialectPg.h"
#include "core/SmString.h"
#include "platform/SmMessage.h"

namespace {

bool SameName(const std::string& a, const std::string& b) {
  return MakeUpperCopy(a) == MakeUpperCopy(b);
}

// Folder and title (file name without extension) of a path written with "\" or "/".
void SplitPath(const std::string& path, std::string& folder, std::string& title) {
  const size_t slash = path.find_last_of("\\/");
  folder = slash == std::string::npos ? std::string() : path.substr(0, slash);
  title = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = title.rfind('.');
  if (dot != std::string::npos) title.erase(dot);
}

bool IsEngineTable(const std::string& name) {
  return MakeUpperCopy(name).rfind("SQLITE_", 0) == 0;
}

}  // namespace

int CSmDatabase::TableExists(const std::string& name) {
  // PostgreSQL's catalogue is read through the ODBC catalogue functions, as the data file's.
  switch (OnPostgres() ? 0 : m_kind) {
    case 0: {
      std::vector<std::string> tables;
      if (!IsOpen() || !m_backend->GetTables(tables, true)) return 0;
      return std::any_of(tables.begin(), tables.end(),
                         [&](const std::string& t) { return SameName(t, name); });
    }
    case 1:
    case 2:
    default:
      return QueryInt("Select Count(*) From sysobjects Where name='" + SqlText(name) +
                      "' And xtype='U'");
  }
}

bool CSmDatabase::ColumnExists(const std::string& table, const std::string& column, int* length) {
  if (!TableExists(table)) return false;
  switch (OnPostgres() ? 0 : m_kind) {
    case 0: {
      std::vector<SmDbColumn> columns;
      if (!m_backend->GetColumns(table, columns)) return false;
      for (const SmDbColumn& c : columns) {
        if (!SameName(c.name, column)) continue;
        if (length)
          *length = c.kind == SM_COL_TEXT      ? c.width
                    : c.kind == SM_COL_INTEGER ? 4
                    : c.kind == SM_COL_NUMBER  ? 8
                                               : 0;
        return true;
      }
      return false;
    }
    case 1:
    case 2:
    default: {
      long size = QueryCountInt("max(length) From syscolumns Where name='" + SqlText(column) +
                                "' And id in (Select ID From sysobjects Where name='" +
                                SqlText(table) + "' And xtype='U')");
      if (length) *length = static_cast<int>(size);
      return size > 0;
    }
  }
}

bool CSmDatabase::TablesAreEmpty(const std::string& list) {
  for (std::string name; const std::string& field : SplitFields(list)) {
    name = TrimChars(field);
    if (name.empty()) continue;
    CSmQuery query(1, 0, 0, this);
    // A table that cannot be counted is not known to be empty (the query reports why).
    if (!query.Open("Select Count(*) From " + name)) return false;
    if (!query.IsEOF() && query.GetInt(0) > 0) return false;
  }
  return true;
}

std::vector<std::string> CSmDatabase::SplitFields(const std::string& list) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (size_t blank; (blank = list.find(' ', start)) != std::string::npos; start = blank + 1)
    fields.push_back(list.substr(start, blank - start));
  fields.push_back(list.substr(start));
  return fields;
}

int CSmDatabase::IndexExists(const std::string& name) {
  if (!IsOpen()) return 0;
  switch (m_kind) {
    case 0:
      return QueryInt("Select Count(*) From sqlite_master Where type='index' And name='" +
                      SqlText(name) + "' COLLATE NOCASE");
    case 1:
    case 2:
    default:
      if (OnPostgres()) return QueryInt(SmPgIndexExistsSql(SqlText(name)));
      return QueryInt("Select Count(*) From sysindexes Where name='" + SqlText(name) + "'");
  }
}

int CSmDatabase::DatabaseExists(const std::string& name) {
  switch (m_kind) {
    case 0: {
      std::error_code ec;
      return std::filesystem::exists(name, ec) && !std::filesystem::is_directory(name, ec);
    }
    case 1:
    case 2:
    default:
      if (OnPostgres()) return QueryInt(SmPgDatabaseExistsSql(SqlText(name)));
      return QueryInt("Select Count(*) From master.dbo.sysdatabases Where name='" + SqlText(name) +
                      "'");
  }
}

int CSmDatabase::GetTableColumns(const std::string& table, std::vector<std::string>* arrays,
                                 std::vector<long>* lengths) {
  auto total = [&] {
    size_t n = 0;
    for (int k = 0; k < 4; ++k) n += arrays[k].size();
    return static_cast<int>(n);
  };
  switch (OnPostgres() ? 0 : m_kind) {
    case 0: {
      std::vector<SmDbColumn> columns;
      if (!IsOpen() || IsEngineTable(table) || !m_backend->GetColumns(table, columns)) return 0;
      for (const SmDbColumn& c : columns) {
        if (c.kind == SM_COL_OTHER) return 0;
        arrays[c.kind].push_back(c.name);
        if (c.kind == SM_COL_TEXT && lengths) lengths->push_back(c.width);
      }
      return columns.empty() ? 0 : total();
    }
    case 1:
    case 2:
    default: {
      CSmQuery query(2, 0, 1, this);
      const std::string sql =
          "Select usertype,length,name From syscolumns Where id in \t\t\t(Select ID From "
          "sysobjects Where name='" +
          SqlText(table) + "' And xtype='U')";
      if (!query.Open(sql)) return 0;
      bool any = false;
      for (; !query.IsEOF(); query.MoveNext(), any = true) {
        const long type = query.GetInt(0);
        const int at = type == 7 ? 0 : type == 10 ? 1 : type == 1 ? 2 : type == 20 ? 3 : -1;
        if (at < 0) return 0;
        arrays[at].push_back(query.GetString(0));
        if (at == 2 && lengths) lengths->push_back(query.GetInt(1));
      }
      return any ? total() : 0;
    }
  }
}

int CSmDatabase::GetUserTables(std::vector<std::string>* names) {
  if (!IsOpen()) return 0;
  std::vector<std::string> tables;
  if (m_kind == 0 || OnPostgres()) {
    m_backend->GetTables(tables, false);
  } else {
    CSmQuery query(0, 0, 1, this);
    if (!query.Open("Select name From sysobjects Where xtype='U'")) return 0;
    for (; !query.IsEOF(); query.MoveNext()) tables.push_back(query.GetString(0));
  }
  for (const std::string& name : tables)
    if (m_kind == 0 || (!SameName(name, "dtproperties") && !SameName(name, "mentab")))
      names->push_back(name);
  return static_cast<int>(names->size());
}

namespace {

// One row per client program on the database `name`: host, program, lowest and highest process
// number, connection count.
void QueryDatabaseUsers(CSmDatabase& master, const std::string& name,
                        std::vector<std::string> (&rows)[5]) {
  for (std::vector<std::string>& column : rows) column.clear();
  if (master.OnPostgres()) {
    master.QueryStrings(SmPgDatabaseUsersSql(master.SqlText(name)), rows, 5);
    return;
  }
  master.QueryStrings(
      "Select rtrim(hostname),rtrim(program_name),Cast(min(hostprocess) As Char(10)),"
      "Cast(max(hostprocess) As Char(10)),Cast(Count(*) As Char(10)) From sysprocesses Where "
      "hostname<>'' And dbid in (Select dbid From sysdatabases Where Upper(name)='" +
          master.SqlText(MakeUpperCopy(name)) + "') Group By hostname,program_name",
      rows, 5);
}

}  // namespace

bool CSmDatabase::ListDatabaseUsers(bool report) {
  switch (m_kind) {
    case 0:
      return true;
    case 1:
    case 2:
    default:
      break;
  }
  if (!IsOpen()) return false;
  CSmDatabase master(m_kind);
  if (!master.Open("master", m_settings)) return false;
  std::vector<std::string> rows[5];
  const auto onlyThisConnection = [&rows] {
    const size_t n = rows[0].size();
    return n == 0 || (n == 1 && (TrimChars(rows[4][0]) == "1" ||
                                 TrimChars(rows[2][0]) == TrimChars(rows[3][0])));
  };
  // A connection closed a moment ago is still listed until its server process has ended, so
  // others are looked for again for about a second before they count.
  for (int attempt = 0; attempt < 10; ++attempt) {
    if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    QueryDatabaseUsers(master, GetFileName(true), rows);
    if (onlyThisConnection()) return true;
  }
  const size_t n = rows[0].size();
  std::string text;
  // A program that gives no name is shown by its host alone.
  for (size_t k = 0; k < n; ++k)
    text +=
        TrimChars(rows[1][k]).empty() ? rows[0][k] + "\n" : rows[0][k] + "、" + rows[1][k] + "\n";
  text +=
      "上述机器上的程序正在使用当前数据库文件：\n" + GetFileName(true) + "\n不能以独占方式打开它！";
  if (report) SmMessageBox(text, SM_MB_ICONERROR);
  return false;
}

bool CSmDatabase::CreateDatabase(const CSmConnInfo& settings, const std::string& name) {
  Close();
  switch (m_kind) {
    case 0: {
      std::unique_ptr<CSmDbBackend> backend = SmCreateDbBackend(0);
      if (!backend || !HoldDataFile(name)) return false;
      if (!backend->Create(name)) {
        NoteFailure(backend->ConnectError());
        m_inUse.Unlock();
        return false;
      }
      m_backend = std::move(backend);
      m_settings = settings;
      return true;
    }
    case 1:
    case 2:
    default: {
      if (!Open("master", settings)) return false;
      std::string folder, title;
      SplitPath(name, folder, title);
      std::string sql = "Create Database " + title;
      // PostgreSQL places its databases itself.
      if (!folder.empty() && !OnPostgres())
        sql += " ON PRIMARY (NAME=" + title + ",FILENAME='" + folder + "\\" + title +
               ".MDF') LOG ON (NAME=" + title + "_Log,FILENAME='" + folder + "\\" + title +
               "_Log.LDF')";
      const bool ok = ExecuteSQL(sql, {}, 128, false);
      // A database of the name that another workstation made meanwhile is the caller's to tell.
      if (!ok && m_lastFailure != SmDbFailure::Duplicate) ReportLastFailure();
      Close();
      return ok && Open(title, settings);
    }
  }
}

bool CSmDatabase::DropDatabase(const CSmConnInfo& settings, const std::string& name) {
  Close();
  switch (m_kind) {
    case 0: {
      std::error_code ec;
      if (!std::filesystem::is_regular_file(name, ec)) return false;
      // Every session that has the file open holds its lock: the file is deleted only when
      // none does, here or on another workstation.
      CSmFileLock alone;
      const std::string lock = SmDataFileLockPath(name);
      if (!alone.Lock(lock, true) && std::filesystem::exists(lock, ec)) return false;
      if (!std::filesystem::remove(name, ec)) return false;
      // A journal left behind by a crash would be played into a new file of the same name.
      for (const char* suffix : {"-journal", "-wal", "-shm", "-wait"})
        std::filesystem::remove(name + suffix, ec);
      return true;
    }
    case 1:
    case 2:
    default: {
      // A refused drop leaves no connection behind on the database (it would hold it in use).
      if (!Open(name, settings) || !ListDatabaseUsers(true) || !Open("master", settings)) {
        Close();
        return false;
      }
      // The connection that looked for other users has just closed; until its server process
      // has ended the server still counts it, so a refused drop is tried again for a second.
      bool ok = false;
      for (int attempt = 0; attempt < 10 && !ok; ++attempt) {
        if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ok = ExecuteSQL("Drop Database " + name, {}, 128, attempt == 9);
      }
      Close();
      return ok;
    }
  }
}

bool CSmDatabase::RecreateDatabase(const CSmConnInfo& settings) {
  if (!IsOpen()) return false;
  const std::string file = GetFileName(false);
  std::string drop = file;
  if (m_kind != 0) {
    std::string folder;
    SplitPath(file, folder, drop);
  }
  return DropDatabase(settings, drop) && CreateDatabase(settings, file);
}

bool CSmDatabase::SetDatabasePassword(const std::string& oldPassword,
                                      const std::string& newPassword) {
  (void)oldPassword;
  (void)newPassword;
  switch (m_kind) {
    case 0:
      SmMessageBox("数据文件不设口令，口令没有改变。", SM_MB_ICONINFORMATION);
      return false;
    case 1:
    case 2:
    default:
      return true;
  }
}

bool CSmDatabase::AddColumn(const std::string& table, const std::string& column, int type,
                            int width, int decimals, const std::string& defaultText) {
  if (ColumnExists(table, column) || !TableExists(table)) return false;
  std::string alter = "Alter Table " + table + " Add " + column + " ";
  std::string update = "Update " + table + " Set " + column + "=";
  std::string value = defaultText;
  switch (type) {
    case 0:
      alter += m_kind == 0 ? "Long" : "INT";
      if (value.empty()) value = "0";
      break;
    case 1:
      if (width < 1 || decimals < 0 || width < decimals - 1) return false;
      alter += m_kind == 0 ? std::string("Double") : FormatStr("Numeric(%d,%d)", width, decimals);
      if (value.empty()) value = "0";
      break;
    case 2:
      if (width < 1) return false;
      alter += FormatStr("Char(%d)", width);
      if (value.empty()) value = "''";
      break;
    default:
      return false;
  }
  // The column and its filling come together or not at all.
  const bool inTransaction = BeginTrans();
  if (ExecuteSQL(alter, {}, 128, true) && ExecuteSQL(update + value, {}, 128, true)) {
    return !inTransaction || CommitTrans();
  }
  if (inTransaction) Rollback();
  return false;
}

void SmEnsureUniqueKeys(CSmDatabase* db, std::span<const SmUniqueKey> keys) {
  for (const SmUniqueKey& key : keys) {
    if (!db->TableExists(key.table) || db->IndexExists(key.index)) continue;
    const std::string create =
        FormatStr("Create Unique Index %s On %s(%s)", key.index, key.table, key.columns);
    if (db->ExecuteSQL(create, {}, 128, false)) continue;
    const std::string columns = key.columns;
    const std::string first = columns.substr(0, columns.find(','));
    std::vector<std::string> twice;
    db->QueryStrings(FormatStr("Select rtrim(%s) From %s Group By %s Having Count(*)>1",
                               first.c_str(), key.table, key.columns),
                     &twice, 1);
    if (twice.empty()) continue;  // refused for another reason: tried again next time
    std::string values;
    for (const std::string& value : twice) values += (values.empty() ? "" : "、") + value;
    SmMessageBox(FormatStr("表%s中有重复的%s：%s\n请删去重复的行，以免两个工作站再写入重复的行。",
                           key.table, key.what, values.c_str()),
                 SM_MB_OK | SM_MB_ICONWARNING);
  }
}
