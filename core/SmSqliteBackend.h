#pragma once
// Kind 0: the yearly data file, an SQLite file. Statements arrive in the Jet form and are
// adapted by SmSqlDialectSqlite before they run.
#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>

#include "core/SmDbBackend.h"
#include "core/SmSqlDialectSqlite.h"

struct sqlite3;
struct sqlite3_stmt;

struct StmtDeleter {
  void operator()(sqlite3_stmt* s) const;
};
using StmtPtr = std::unique_ptr<sqlite3_stmt, StmtDeleter>;

// The prepared statements of one connection, keyed by the text SQLite runs; a statement in use
// is taken out (with its key) and given back when done. The least recently used goes when full.
class CSmSqliteStmtCache {
  struct Entry {
    StmtPtr stmt;
    unsigned long long lastUse = 0;
    bool schemaChange = false;  // CREATE, ALTER or DROP: the other statements go when it runs
  };
  using Map = std::unordered_map<std::string, Entry>;

 public:
  using Taken = Map::node_type;
  // The cached statement of the text, else one newly prepared (empty with `error` set when it
  // cannot be prepared).
  Taken Take(sqlite3* db, const std::string& sql, std::string* error);
  static sqlite3_stmt* Statement(const Taken& taken) { return taken.mapped().stmt.get(); }
  static bool ChangesSchema(const Taken& taken) { return taken.mapped().schemaChange; }
  void Give(Taken taken);
  void Clear() {
    m_last = {};
    m_entries.clear();
  }

 private:
  void Keep(Taken taken);

  static constexpr size_t kCapacity = 32;
  // The statement given back last, outside the map: a statement run again and again is taken
  // and given back without hashing its text.
  Taken m_last;
  Map m_entries;
  unsigned long long m_uses = 0;
};

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
               std::span<const SmDbValue> params = {}) override;
  long long RowsChanged() const override { return m_rowsChanged; }
  std::unique_ptr<CSmDbCursor> Query(const std::string& sql, std::string* error) override;

  bool BeginTrans() override;
  bool CommitTrans() override;
  bool Rollback() override;
  bool CopyFileIn(const std::string& path, std::string* error) override;
  std::string TransError() const override { return m_transError; }
  std::string ConnectError() const override { return m_connectError; }

  bool GetTables(std::vector<std::string>& names, bool withSystem) override;
  bool GetColumns(const std::string& table, std::vector<SmDbColumn>& columns) override;

  // The statement as SQLite runs it (for tests and error reports).
  std::string Adapt(const std::string& sql) {
    m_schemaChecked = false;
    return SmAdaptSqlForSqlite(sql, this);
  }

 private:
  // `sql` itself when it runs unchanged, else the adapted text, kept in `adapted`.
  const std::string& AdaptedText(const std::string& sql, std::string& adapted);
  bool IsTable(std::string_view name) override;
  SmSqlType ColumnType(std::string_view table, std::string_view column) override;
  void RefreshSchemaCache();
  bool RunPlain(const char* sql);
  bool RunTrans(const std::string& sql);
  static int OnBusy(void* self, int count);
  void OpenWaitSign();
  void CloseWaitSign();
  void RaiseWaitSign();
  void LowerWaitSign();
  void MakeWayForWaiting();

  sqlite3* m_db = nullptr;
  long long m_rowsChanged = 0;
  std::shared_ptr<CSmSqliteStmtCache> m_statements = std::make_shared<CSmSqliteStmtCache>();
  std::string m_path;
  std::string m_plainText;  // the last statement that runs as it is written
  int m_transDepth = 0;
  std::string m_transError;
  std::string m_connectError;
  // Waiting for another workstation's lock: how long at most and since when; the descriptor of
  // the wait sign beside the data file and whether this connection holds it up.
  int m_busyLimitMs;
  std::chrono::steady_clock::time_point m_busySince;
  int m_waitFd = -1;
  bool m_waiting = false;
  // Column types of the tables, read once per table and dropped when the schema changes.
  long long m_schemaVersion = -1;
  bool m_tablesLoaded = false;
  bool m_schemaChecked = false;  // the version was compared during the current adaptation
  std::map<std::string, std::map<std::string, SmSqlType>> m_columnTypes;  // lower-case names
};
