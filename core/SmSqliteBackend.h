#pragma once
// Kind 0: the yearly data file, an SQLite file. Statements arrive in the Jet form and are
// adapted by SmSqlDialectSqlite before they run.
#include <chrono>
#include <map>
#include <string>

#include "core/SmDbBackend.h"
#include "core/SmSqlDialectSqlite.h"

struct sqlite3;

// How long a statement of the data file waits for another workstation's lock before it fails
// with "database is locked" (5 seconds unless set; tests shorten it).
void SmSetDataFileBusyWait(int milliseconds);

class CSmSqliteBackend : public CSmDbBackend, private CSmSqlSchema {
 public:
  CSmSqliteBackend();
  ~CSmSqliteBackend() override;
  CSmSqliteBackend(const CSmSqliteBackend&) = delete;
  CSmSqliteBackend& operator=(const CSmSqliteBackend&) = delete;

  // Opens an existing data file; `create` makes a new one (which must not exist yet).
  bool OpenFile(const std::string& path, bool create);

  bool Open(const std::string& name) override { return OpenFile(name, false); }
  bool Create(const std::string& name) override { return OpenFile(name, true); }
  void Close() override;
  bool IsOpen() const override { return m_db != nullptr; }
  std::string Name() const override { return m_path; }
  void SetQueryTimeout(int seconds) override;

  bool Execute(const std::string& sql, std::string* error,
               const std::vector<SmDbValue>& params = {}) override;
  std::unique_ptr<CSmDbCursor> Query(const std::string& sql, std::string* error) override;

  bool BeginTrans() override;
  bool CommitTrans() override;
  bool Rollback() override;
  std::string TransError() const override { return m_transError; }

  bool GetTables(std::vector<std::string>& names, bool withSystem) override;
  bool GetColumns(const std::string& table, std::vector<SmDbColumn>& columns) override;

  // The statement as SQLite runs it (for tests and error reports).
  std::string Adapt(const std::string& sql) {
    m_schemaChecked = false;
    return SmAdaptSqlForSqlite(sql, this);
  }

 private:
  bool IsTable(std::string_view name) override;
  SmSqlType ColumnType(std::string_view table, std::string_view column) override;
  void RefreshSchemaCache();
  bool RunPlain(const char* sql);
  bool RunTrans(const std::string& sql);
  static int OnBusy(void* self, int count);
  void YieldAfterContention();

  sqlite3* m_db = nullptr;
  std::string m_path;
  int m_transDepth = 0;
  std::string m_transError;
  // Waiting for another workstation's lock: how long at most, since when, and whether another
  // workstation was met during the current transaction (then the next one first lets it in).
  int m_busyLimitMs;
  std::chrono::steady_clock::time_point m_busySince;
  bool m_contended = false;
  // Column types of the tables, read once per table and dropped when the schema changes.
  long long m_schemaVersion = -1;
  bool m_tablesLoaded = false;
  bool m_schemaChecked = false;  // the version was compared during the current adaptation
  std::map<std::string, std::map<std::string, SmSqlType>> m_columnTypes;  // lower-case names
};
