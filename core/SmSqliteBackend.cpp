#include "core/SmSqliteBackend.h"
#include "core/SmString.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <random>
#include <thread>

#ifdef __unix__
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace {

int g_busyMilliseconds = 5000;

// Random whole milliseconds in [low, high].
int Jitter(int low, int high) {
  static thread_local std::minstd_rand random(std::random_device{}());
  return std::uniform_int_distribution<int>(low, high)(random);
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower((unsigned char)c));
  return out;
}

// SQLite's words `text` for a failure, with the system's reason `system` (an errno) in front
// when it is a full disk (or a file past its size limit, which SQLite calls a disk I/O error)
// or a read-only file or folder: then the text begins with the server's state for it.
std::string WithSystemReason(std::string text, int system, bool full, bool readOnly) {
  full = full || system == ENOSPC || system == EFBIG || system == EDQUOT;
  readOnly = readOnly || system == EROFS || system == EACCES || system == EPERM;
  if (!full && !readOnly) return text;
  if (system != 0) text = std::string(std::strerror(system)) + " (" + text + ")";
  return std::string(full ? kSmDiskFullState : kSmReadOnlyState) + " " + text;
}

// SQLite's words for the last failure of `db`, with the system's reason where it has one.
std::string FailureText(sqlite3* db) {
  const int code = sqlite3_extended_errcode(db) & 0xFF;
  int system = 0;
  if (code == SQLITE_IOERR || code == SQLITE_CANTOPEN || code == SQLITE_FULL ||
      code == SQLITE_READONLY) {
    // A failed write of the journal is kept by the connection, one of the data file itself
    // only by the file.
    system = sqlite3_system_errno(db);
    if (system == 0) sqlite3_file_control(db, "main", SQLITE_FCNTL_LAST_ERRNO, &system);
  }
  return WithSystemReason(sqlite3_errmsg(db), system, code == SQLITE_FULL, code == SQLITE_READONLY);
}

// Why a new data file could not be made: SQLite tries a read-only open after a refused one and
// keeps only the second reason, so the system is asked once more.
std::string WhyNotCreated(const std::string& path, const std::string& text) {
#ifdef __unix__
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd >= 0) {
    ::close(fd);
    ::unlink(path.c_str());
    return text;
  }
  return WithSystemReason(text, errno, false, false);
#else
  (void)path;
  return text;
#endif
}

// Compiles exactly one statement; a second statement in the text is refused.
StmtPtr Prepare(sqlite3* db, const std::string& sql, std::string* error) {
  sqlite3_stmt* raw = nullptr;
  const char* tail = nullptr;
  int rc = sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()) + 1, &raw, &tail);
  StmtPtr stmt(raw);
  if (rc != SQLITE_OK) {
    if (error) *error = sqlite3_errmsg(db);
    return nullptr;
  }
  for (; tail && *tail; ++tail) {
    if (std::isspace((unsigned char)*tail) || *tail == ';') continue;
    if (error) *error = "more than one statement";
    return nullptr;
  }
  if (!stmt && error) *error = "empty statement";
  return stmt;
}

class CSqliteCursor : public CSmDbCursor {
 public:
  CSqliteCursor(sqlite3* db, CSmSqliteStmtCache::Taken taken,
                std::weak_ptr<CSmSqliteStmtCache> cache)
      : m_db(db),
        m_taken(std::move(taken)),
        m_stmt(CSmSqliteStmtCache::Statement(m_taken)),
        m_cache(std::move(cache)) {}
  ~CSqliteCursor() override {
    if (auto cache = m_cache.lock()) cache->Give(std::move(m_taken));
  }
  CSqliteCursor(const CSqliteCursor&) = delete;
  CSqliteCursor& operator=(const CSqliteCursor&) = delete;

  bool Next() override {
    if (m_done) return false;
    int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW) return true;
    m_done = true;
    if (rc != SQLITE_DONE) m_error = sqlite3_errmsg(m_db);
    return false;
  }
  int ColumnCount() const override { return sqlite3_column_count(m_stmt); }
  std::string ColumnName(int c) const override {
    const char* name = sqlite3_column_name(m_stmt, c);
    return name ? name : "";
  }
  bool IsNull(int c) const override { return sqlite3_column_type(m_stmt, c) == SQLITE_NULL; }
  long long GetInt(int c) const override {
    if (sqlite3_column_type(m_stmt, c) == SQLITE_FLOAT)
      return std::llrint(sqlite3_column_double(m_stmt, c));
    return sqlite3_column_int64(m_stmt, c);
  }
  double GetDouble(int c) const override { return sqlite3_column_double(m_stmt, c); }
  // Each value is fetched once and read from there: one look-up of the column instead of one
  // per question asked of it. The connection has no mutex of its own (opened for one thread),
  // so the value needs none either.
  void GetRow(std::span<long> ints, std::span<double> doubles,
              std::span<std::string> texts) const override {
    int c = 0;
    for (long& v : ints) {
      sqlite3_value* value = sqlite3_column_value(m_stmt, c++);
      v = static_cast<long>(sqlite3_value_type(value) == SQLITE_FLOAT
                                ? std::llrint(sqlite3_value_double(value))
                                : sqlite3_value_int64(value));
    }
    for (double& v : doubles) v = sqlite3_value_double(sqlite3_column_value(m_stmt, c++));
    for (std::string& v : texts) {
      sqlite3_value* value = sqlite3_column_value(m_stmt, c++);
      const unsigned char* t = sqlite3_value_text(value);
      if (t)
        v.assign(reinterpret_cast<const char*>(t), sqlite3_value_bytes(value));
      else
        v.clear();
    }
  }
  std::string GetText(int c) const override {
    const unsigned char* t = sqlite3_column_text(m_stmt, c);
    if (!t) return {};
    return std::string(reinterpret_cast<const char*>(t), sqlite3_column_bytes(m_stmt, c));
  }
  std::vector<unsigned char> GetBlob(int c) const override {
    const auto* b = static_cast<const unsigned char*>(sqlite3_column_blob(m_stmt, c));
    return b ? std::vector<unsigned char>(b, b + sqlite3_column_bytes(m_stmt, c))
             : std::vector<unsigned char>();
  }
  const std::string& Error() const override { return m_error; }

 private:
  sqlite3* m_db;
  CSmSqliteStmtCache::Taken m_taken;  // the statement with its text
  sqlite3_stmt* m_stmt;
  std::weak_ptr<CSmSqliteStmtCache> m_cache;  // where the statement goes back when done
  bool m_done = false;
  std::string m_error;
};

// A cached statement keeps the values of its last run; a run that binds fewer must not see them.
void ClearStaleValues(sqlite3_stmt* stmt, size_t bound) {
  if (bound < static_cast<size_t>(sqlite3_bind_parameter_count(stmt))) sqlite3_clear_bindings(stmt);
}

bool Bind(sqlite3_stmt* stmt, std::span<const SmDbValue> params) {
  ClearStaleValues(stmt, params.size());
  for (size_t k = 0; k < params.size(); ++k) {
    const SmDbValue& v = params[k];
    const int at = static_cast<int>(k) + 1;
    int rc = SQLITE_OK;
    switch (v.type) {
      case SmDbValue::Null:
        rc = sqlite3_bind_null(stmt, at);
        break;
      case SmDbValue::Int:
        rc = sqlite3_bind_int64(stmt, at, v.i);
        break;
      case SmDbValue::Double:
        rc = sqlite3_bind_double(stmt, at, v.d);
        break;
      case SmDbValue::Text:
        rc = sqlite3_bind_text(stmt, at, v.text.data(), static_cast<int>(v.text.size()),
                               SQLITE_STATIC);
        break;
      case SmDbValue::Blob:
        rc = sqlite3_bind_blob(stmt, at, v.blob.data(), static_cast<int>(v.blob.size()),
                               SQLITE_STATIC);
        break;
    }
    if (rc != SQLITE_OK) return false;
  }
  return true;
}

// Column kind and text width from a declared type such as "CHAR(200)", "INTEGER", "Double".
SmDbColumn ColumnFromDeclared(const std::string& name, const std::string& declared) {
  SmDbColumn col;
  col.name = name;
  const std::string upper = MakeUpperCopy(declared);
  auto has = [&](const char* s) { return upper.find(s) != std::string::npos; };
  if (has("BLOB") || has("BINARY") || has("IMAGE")) {
    col.kind = SM_COL_BINARY;
  } else if (has("CHAR") || has("TEXT") || has("CLOB")) {
    col.kind = SM_COL_TEXT;
    size_t open = upper.find('(');
    col.width = open == std::string::npos ? 255 : std::atoi(upper.c_str() + open + 1);
  } else if (has("INT") || has("LONG") || has("SHORT") || has("BYTE")) {
    col.kind = SM_COL_INTEGER;
  } else if (has("DOUB") || has("REAL") || has("FLOA") || has("NUMERIC") || has("DECIMAL") ||
             has("SINGLE") || has("CURRENCY")) {
    col.kind = SM_COL_NUMBER;
  }
  return col;
}

}  // namespace

void StmtDeleter::operator()(sqlite3_stmt* s) const {
  sqlite3_finalize(s);
}

CSmSqliteStmtCache::Taken CSmSqliteStmtCache::Take(sqlite3* db, const std::string& sql,
                                                   std::string* error) {
  if (!m_last.empty() && m_last.key() == sql) return std::move(m_last);
  auto it = m_entries.find(sql);
  if (it != m_entries.end()) return m_entries.extract(it);
  StmtPtr stmt = Prepare(db, sql, error);
  if (!stmt) return {};
  Map fresh;
  fresh.emplace(sql, Entry{std::move(stmt), 0, SmSqlIsSchemaChange(sql)});
  return fresh.extract(fresh.begin());
}

void CSmSqliteStmtCache::Give(Taken taken) {
  if (taken.empty()) return;
  // The values bound last stay: the next user binds its own or clears them (`ClearStaleValues`).
  sqlite3_reset(Statement(taken));
  taken.mapped().lastUse = ++m_uses;
  if (!m_last.empty()) Keep(std::move(m_last));
  m_last = std::move(taken);
}

void CSmSqliteStmtCache::Keep(Taken taken) {
  if (m_entries.size() >= kCapacity) {
    auto oldest = std::min_element(m_entries.begin(), m_entries.end(), [](auto& a, auto& b) {
      return a.second.lastUse < b.second.lastUse;
    });
    m_entries.erase(oldest);
  }
  m_entries.insert(std::move(taken));  // a twin taken meanwhile stays; this one goes
}

void SmSetDataFileBusyWait(int milliseconds) {
  g_busyMilliseconds = milliseconds;
}

CSmSqliteBackend::CSmSqliteBackend() : m_busyLimitMs(g_busyMilliseconds) {}

// Another workstation holds the lock: wait in short, uneven steps, with the wait sign raised,
// until the limit has passed.
int CSmSqliteBackend::OnBusy(void* self, int count) {
  auto* backend = static_cast<CSmSqliteBackend*>(self);
  const auto now = std::chrono::steady_clock::now();
  if (count == 0) backend->m_busySince = now;
  backend->RaiseWaitSign();
  if (now - backend->m_busySince >= std::chrono::milliseconds(backend->m_busyLimitMs)) return 0;
  std::this_thread::sleep_for(std::chrono::milliseconds(Jitter(1, std::min(2 + count, 10))));
  return 1;
}

// "<data file>-wait" beside the data file: a workstation waiting for the write lock holds a
// shared lock on it. SQLite lets whoever polls first take the write lock, so a station that
// commits back to back would lock the others out; it looks at the sign before each transaction
// and makes way while another station waits.
void CSmSqliteBackend::OpenWaitSign() {
#ifdef __unix__
  m_waitFd = ::open((m_path + "-wait").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
#endif
}

void CSmSqliteBackend::CloseWaitSign() {
#ifdef __unix__
  if (m_waitFd >= 0) ::close(m_waitFd);
#endif
  m_waitFd = -1;
  m_waiting = false;
}

void CSmSqliteBackend::RaiseWaitSign() {
#ifdef __unix__
  if (m_waitFd >= 0 && !m_waiting) m_waiting = ::flock(m_waitFd, LOCK_SH | LOCK_NB) == 0;
#endif
}

void CSmSqliteBackend::LowerWaitSign() {
#ifdef __unix__
  if (m_waiting) ::flock(m_waitFd, LOCK_UN);
#endif
  m_waiting = false;
}

void CSmSqliteBackend::MakeWayForWaiting() {
#ifdef __unix__
  if (m_waitFd < 0) return;
  // Another station's turn lasts until it has the lock; ours comes back after at most 100 ms.
  for (int step = 0; step < 50; ++step) {
    if (::flock(m_waitFd, LOCK_EX | LOCK_NB) == 0) {
      ::flock(m_waitFd, LOCK_UN);
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
#endif
}

CSmSqliteBackend::~CSmSqliteBackend() {
  Close();
}

bool CSmSqliteBackend::OpenFile(const std::string& path, bool create) {
  Close();
  std::error_code ec;
  if (create == std::filesystem::exists(path, ec)) return false;
  if (!create && std::filesystem::is_directory(path, ec)) return false;
  // A connection belongs to the one thread that uses it: SQLite's own locking is not needed.
  const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
  sqlite3* db = nullptr;
  m_connectError.clear();
  if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
    if (db) m_connectError = FailureText(db);
    if (create) m_connectError = WhyNotCreated(path, m_connectError);
    sqlite3_close(db);
    return false;
  }
  m_db = db;
  m_path = path;
  sqlite3_busy_handler(m_db, &CSmSqliteBackend::OnBusy, this);
  // A file that is not a data file fails here rather than at the first statement, and gets no
  // wait sign beside it.
  if (!SmRegisterJetFunctions(m_db) || !RunPlain("PRAGMA foreign_keys=OFF") ||
      !RunPlain("SELECT count(*) FROM sqlite_master")) {
    m_connectError = FailureText(m_db);
    Close();
    return false;
  }
  OpenWaitSign();
  return true;
}

void CSmSqliteBackend::Close() {
  if (!m_db) return;
  m_statements = std::make_shared<CSmSqliteStmtCache>();  // finalizes what the old one held
  sqlite3_close_v2(m_db);
  CloseWaitSign();
  m_db = nullptr;
  m_path.clear();
  m_transDepth = 0;
  m_schemaVersion = -1;
  m_tablesLoaded = false;
  m_columnTypes.clear();
}

void CSmSqliteBackend::SetQueryTimeout(int seconds) {
  m_busyLimitMs = seconds > 0 ? seconds * 1000 : g_busyMilliseconds;
}

bool CSmSqliteBackend::RunPlain(const char* sql) {
  return m_db && sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool CSmSqliteBackend::RunTrans(const std::string& sql) {
  m_transError.clear();
  const bool ok = RunPlain(sql.c_str());
  LowerWaitSign();
  if (!ok) m_transError = m_db ? FailureText(m_db) : "not open";
  return ok;
}

bool CSmSqliteBackend::Execute(const std::string& sql, std::string* error,
                               std::span<const SmDbValue> params) {
  m_rowsChanged = 0;
  if (!m_db) {
    if (error) *error = "not open";
    return false;
  }
  std::string adapted;
  const std::string* adaptedText = AdaptedText(sql, adapted, error);
  if (!adaptedText) return false;
  const std::string& text = *adaptedText;
  // Statements with bound values run again and again: they keep their prepared form. A text
  // with its values written in is prepared for its one run.
  CSmSqliteStmtCache::Taken taken;
  StmtPtr once;
  if (params.empty()) {
    once = Prepare(m_db, text, error);
  } else {
    taken = m_statements->Take(m_db, text, error);
  }
  sqlite3_stmt* stmt = params.empty() ? once.get()
                       : taken        ? CSmSqliteStmtCache::Statement(taken)
                                      : nullptr;
  if (!stmt) return false;
  bool ok = Bind(stmt, params);
  if (ok) {
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    }
    ok = rc == SQLITE_DONE;
  }
  // The texts were bound without a copy: they do not outlive this run.
  if (!params.empty()) sqlite3_clear_bindings(stmt);
  if (ok) m_rowsChanged = sqlite3_changes64(m_db);
  LowerWaitSign();
  if (!ok && error) *error = FailureText(m_db);
  const bool schemaChange =
      taken ? CSmSqliteStmtCache::ChangesSchema(taken) : SmSqlIsSchemaChange(text);
  if (schemaChange) m_statements->Clear();
  m_statements->Give(std::move(taken));
  return ok;
}

std::unique_ptr<CSmDbCursor> CSmSqliteBackend::Query(const std::string& sql, std::string* error) {
  if (!m_db) {
    if (error) *error = "not open";
    return nullptr;
  }
  std::string adapted;
  const std::string* text = AdaptedText(sql, adapted, error);
  if (!text) return nullptr;
  CSmSqliteStmtCache::Taken taken = m_statements->Take(m_db, *text, error);
  if (!taken) return nullptr;
  ClearStaleValues(CSmSqliteStmtCache::Statement(taken), 0);
  return std::make_unique<CSqliteCursor>(m_db, std::move(taken), m_statements);
}

const std::string* CSmSqliteBackend::AdaptedText(const std::string& sql, std::string& adapted,
                                                 std::string* error) {
  // A statement run again and again (bound values) is checked once.
  if (sql == m_plainText) return &sql;
  if (!SmSqliteNeedsAdapting(sql)) {
    m_plainText = sql;
    return &sql;
  }
  m_schemaChecked = false;
  std::optional<std::string> text = SmAdaptSqlTokensForSqlite(sql, this);
  if (!text) {
    if (error) *error = SmSqlTooDeepText();
    return nullptr;
  }
  adapted = std::move(*text);
  return &adapted;
}

// Nested transactions become savepoints inside the outer one.
bool CSmSqliteBackend::BeginTrans() {
  if (!m_db) return false;
  if (sqlite3_get_autocommit(m_db)) m_transDepth = 0;
  if (m_transDepth == 0) MakeWayForWaiting();
  const std::string sql =
      m_transDepth == 0 ? "BEGIN IMMEDIATE" : "SAVEPOINT sm_trans" + std::to_string(m_transDepth);
  if (!RunTrans(sql)) return false;
  ++m_transDepth;
  return true;
}

bool CSmSqliteBackend::CommitTrans() {
  if (!m_db || sqlite3_get_autocommit(m_db)) {
    m_transDepth = 0;
    return false;
  }
  if (m_transDepth <= 1) {
    if (!RunTrans("COMMIT")) return false;
    m_transDepth = 0;
    return true;
  }
  if (!RunTrans("RELEASE sm_trans" + std::to_string(m_transDepth - 1))) return false;
  --m_transDepth;
  return true;
}

bool CSmSqliteBackend::Rollback() {
  if (!m_db || sqlite3_get_autocommit(m_db)) {
    m_transDepth = 0;
    return false;
  }
  if (m_transDepth <= 1) {
    if (!RunTrans("ROLLBACK")) return false;
    m_transDepth = 0;
    return true;
  }
  const std::string name = "sm_trans" + std::to_string(m_transDepth - 1);
  if (!RunPlain(("ROLLBACK TO " + name).c_str()) || !RunPlain(("RELEASE " + name).c_str()))
    return false;
  --m_transDepth;
  return true;
}

bool CSmSqliteBackend::GetTables(std::vector<std::string>& names, bool withSystem) {
  if (!m_db) return false;
  StmtPtr stmt =
      Prepare(m_db, "SELECT name FROM sqlite_master WHERE type='table' ORDER BY name", nullptr);
  if (!stmt) return false;
  int rc;
  while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
    const unsigned char* t = sqlite3_column_text(stmt.get(), 0);
    std::string name = t ? reinterpret_cast<const char*>(t) : "";
    if (withSystem || name.rfind("sqlite_", 0) != 0) names.push_back(name);
  }
  if (withSystem) names.push_back("sqlite_master");
  return rc == SQLITE_DONE;
}

bool CSmSqliteBackend::GetColumns(const std::string& table, std::vector<SmDbColumn>& columns) {
  if (!m_db) return false;
  std::string error;
  StmtPtr stmt = Prepare(m_db, "SELECT name, type FROM pragma_table_info(?)", &error);
  if (!stmt) return false;
  sqlite3_bind_text(stmt.get(), 1, table.c_str(), -1, SQLITE_TRANSIENT);
  bool any = false;
  while (sqlite3_step(stmt.get()) == SQLITE_ROW) {
    any = true;
    auto text = [&](int c) {
      const unsigned char* t = sqlite3_column_text(stmt.get(), c);
      return t ? std::string(reinterpret_cast<const char*>(t)) : std::string();
    };
    columns.push_back(ColumnFromDeclared(text(0), text(1)));
  }
  return any;
}

void CSmSqliteBackend::RefreshSchemaCache() {
  if (m_schemaChecked) return;
  m_schemaChecked = true;
  sqlite3_stmt* raw = nullptr;
  long long version = -1;
  if (sqlite3_prepare_v2(m_db, "PRAGMA schema_version", -1, &raw, nullptr) == SQLITE_OK) {
    StmtPtr stmt(raw);
    if (sqlite3_step(stmt.get()) == SQLITE_ROW) version = sqlite3_column_int64(stmt.get(), 0);
  }
  if (version == m_schemaVersion && version != -1) return;
  m_schemaVersion = version;
  m_columnTypes.clear();
  m_tablesLoaded = false;
}

bool CSmSqliteBackend::IsTable(std::string_view name) {
  if (!m_db) return false;
  RefreshSchemaCache();
  if (!m_tablesLoaded) {
    std::vector<std::string> names;
    GetTables(names, false);
    for (const std::string& n : names) m_columnTypes[Lower(n)];
    m_tablesLoaded = true;
  }
  return m_columnTypes.count(Lower(name)) > 0;
}

SmSqlType CSmSqliteBackend::ColumnType(std::string_view table, std::string_view column) {
  if (!IsTable(table)) return SmSqlType::Unknown;
  auto& types = m_columnTypes[Lower(table)];
  if (types.empty()) {
    std::vector<SmDbColumn> columns;
    GetColumns(std::string(table), columns);
    for (const SmDbColumn& c : columns) {
      SmSqlType t = c.kind == SM_COL_TEXT                                   ? SmSqlType::Text
                    : (c.kind == SM_COL_INTEGER || c.kind == SM_COL_NUMBER) ? SmSqlType::Number
                                                                            : SmSqlType::Unknown;
      types[Lower(c.name)] = t;
    }
  }
  auto it = types.find(Lower(column));
  return it == types.end() ? SmSqlType::Unknown : it->second;
}

bool CSmSqliteBackend::CopyFileIn(const std::string& path, std::string* error) {
  if (!m_db) return false;
  sqlite3* source = nullptr;
  if (sqlite3_open_v2(path.c_str(), &source, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    if (error) *error = source ? sqlite3_errmsg(source) : "cannot open " + path;
    sqlite3_close(source);
    return false;
  }
  sqlite3_backup* backup = sqlite3_backup_init(m_db, "main", source, "main");
  bool ok = backup != nullptr;
  if (backup) {
    ok = sqlite3_backup_step(backup, -1) == SQLITE_DONE;
    ok = sqlite3_backup_finish(backup) == SQLITE_OK && ok;
  }
  if (!ok && error) *error = FailureText(m_db);
  sqlite3_close(source);
  // Statements prepared on the old content are of no use any more.
  m_statements->Clear();
  m_schemaChecked = false;
  return ok;
}
