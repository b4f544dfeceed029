#include "core/SmDatabase.h"

#include <QFileDevice>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <ctime>
#include <filesystem>

#include "core/SmGbk.h"
#include "core/SmOdbcBackend.h"
#include "core/SmQuery.h"
#include "core/SmSqlDialect.h"
#include "core/SmSqlDialectPg.h"
#include "core/SmSqliteBackend.h"
#include "core/SmString.h"
#include "core/SmSystem.h"
#include "platform/SmMessage.h"

namespace {

std::string FormatTime(const std::tm& tm, const std::string& format) {
  if (format.empty()) return {};
  char buf[256];
  size_t n = std::strftime(buf, sizeof buf, format.c_str(), &tm);
  return std::string(buf, n);
}

}  // namespace

const char* const kSmBusyText = "数据文件正被另一工作站使用，本次修改没有保存，请稍后再试！";
const char* const kSmReconnectedText = "与数据库服务器的连接曾经断开，现已重新连接，可以继续工作。";

namespace {

bool Has(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

}  // namespace

// The engines' own words: SQLite's messages, the server's SQLSTATE in "[state] message".
SmDbFailure SmClassifyDbError(const std::string& error) {
  if (error.empty()) return SmDbFailure::None;
  if (Has(error, "database is locked") || Has(error, "database table is locked") ||
      Has(error, "[55P03]") || Has(error, "[40P01]") || Has(error, "[HYT00]") ||
      Has(error, "[40001]") || Has(error, "lock timeout"))
    return SmDbFailure::Busy;
  // A key that holds the value already, or a database of the name that exists already.
  if (Has(error, "UNIQUE constraint failed") || Has(error, "[23505]") || Has(error, "[42P04]") ||
      (Has(error, "[23000]") && (Has(error, "duplicate") || Has(error, "UNIQUE"))) ||
      (Has(error, "[42000]") && Has(error, "already exists")))
    return SmDbFailure::Duplicate;
  if (Has(error, "database disk image is malformed")) return SmDbFailure::Damaged;
  if (Has(error, kSmDiskFullState)) return SmDbFailure::DiskFull;
  if (Has(error, kSmReadOnlyState)) return SmDbFailure::ReadOnly;
  // Connection exceptions, and the server ending the session (shut down, crashed, terminated).
  if (Has(error, "[08") || Has(error, "[57P01]") || Has(error, "[57P02]") ||
      Has(error, "[57P03]") || Has(error, "connection lost") ||
      Has(error, "connection has been lost"))
    return SmDbFailure::LostConnection;
  return SmDbFailure::Other;
}

namespace {

// Failures that no retry and no other statement can get past: a run of writes stops at them.
bool EndsTheRun(SmDbFailure failure) {
  return failure == SmDbFailure::DiskFull || failure == SmDbFailure::ReadOnly;
}

// The engine's text without the state it begins with.
std::string ReasonOf(const std::string& error) {
  if (error.size() < 8 || error[0] != '[' || error[6] != ']') return error;
  return error.substr(error[7] == ' ' ? 8 : 7);
}

}  // namespace

std::string SmFailureMessage(SmDbFailure failure, const std::string& reason, bool server) {
  std::string text;
  switch (failure) {
    case SmDbFailure::Busy:
      text = server ? "数据库中的这些数据正被另一工作站使用，本次修改没有保存，请稍后再试！"
                    : kSmBusyText;
      break;
    case SmDbFailure::Duplicate:
      text = "已有相同代码的记录，本次修改没有保存！";
      break;
    case SmDbFailure::DiskFull:
      text = "磁盘已满，数据没有写入！";
      break;
    case SmDbFailure::ReadOnly:
      text = "文件或文件夹是只读的，数据没有写入！";
      break;
    case SmDbFailure::Damaged:
      text = "数据文件已损坏，本次操作没有完成，请从备份件中恢复数据！";
      break;
    case SmDbFailure::LostConnection:
      // The driver's words mean nothing to the clerk when the server is gone.
      return "与数据库服务器的连接已断开，本次操作没有完成，所做的修改没有保存！\n"
             "请检查服务器和网络，稍后再试。";
    default:
      return {};
  }
  return reason.empty() ? text : text + "\n" + reason;
}

std::string SmDbFailureReport(SmDbFailure failure, bool server, const std::string& error,
                              const std::string& statement) {
  // A lost connection is said in its sentence alone, without the statement.
  if (failure == SmDbFailure::LostConnection) return SmFailureMessage(failure, {}, server);
  std::string shown = SmFailureMessage(failure, error, server);
  if (shown.empty()) shown = error;
  if (!shown.empty()) shown += "\n";
  return shown + "执行下列SQL语句时出错！\n" + statement;
}

std::string SmConnectFailureText(const std::string& reason) {
  const std::string text = MakeUpperCopy(reason);
  const auto has = [&](const char* part) { return Has(text, part); };
  if (has("[28P01]") || has("[28000]") || has("PASSWORD AUTHENTICATION FAILED") ||
      has("LOGIN FAILED"))
    return "用户名或口令不正确。";
  if (has("COULD NOT TRANSLATE HOST NAME") || has("NAME OR SERVICE NOT KNOWN") ||
      has("UNKNOWN HOST") || has("TEMPORARY FAILURE IN NAME RESOLUTION"))
    return "找不到服务器：服务器的名称不对，或网络上没有这台计算机。";
  if (has("CONNECTION REFUSED") || has("NO SUCH FILE OR DIRECTORY") ||
      has("THE DATABASE SYSTEM IS STARTING UP") || has("THE DATABASE SYSTEM IS SHUTTING DOWN"))
    return "服务器没有运行，或不接受连接：请检查服务器是否已启动、端口是否正确。";
  if (has("TIMEOUT") || has("TIMED OUT") || has("[HYT00]") || has("[HYT01]"))
    return "连接服务器超时：网络不通，或服务器没有应答。";
  if (has("[3D000]") || (has("DATABASE \"") && has("DOES NOT EXIST")))
    return "服务器上没有这个数据库。";
  return {};
}

std::string SmConnectFailureReport(const std::string& headline, const std::string& reason) {
  std::string text = headline;
  for (const std::string& part : {SmConnectFailureText(reason), TrimChars(reason)})
    if (!part.empty()) text += "\n" + part;
  return text;
}

SmDbFailure SmFileFailure(const QFileDevice& file) {
  if (file.error() == QFileDevice::NoError) return SmDbFailure::None;
  // The device keeps the system's reason only as its text.
  const QString reason = file.errorString();
  for (int code : {ENOSPC, EFBIG, EDQUOT})
    if (reason == qt_error_string(code)) return SmDbFailure::DiskFull;
  for (int code : {EROFS, EACCES, EPERM})
    if (reason == qt_error_string(code)) return SmDbFailure::ReadOnly;
  return SmDbFailure::Other;
}

void CSmDbCursor::GetRow(std::span<long> ints, std::span<double> doubles,
                         std::span<std::string> texts) const {
  int column = 0;
  for (long& v : ints) v = static_cast<long>(GetInt(column++));
  for (double& v : doubles) v = GetDouble(column++);
  for (std::string& v : texts) v = GetText(column++);
}

std::unique_ptr<CSmDbBackend> SmCreateDbBackend(int kind) {
  if (kind == 0) return std::make_unique<CSmSqliteBackend>();
  return std::make_unique<CSmOdbcBackend>(kind);
}

CSmDatabase::CSmDatabase(int kind) : m_settings(0), m_kind(kind) {}

CSmDatabase::~CSmDatabase() {
  Close();
}

std::string CSmDatabase::TranslateSQL(bool server, std::string text) {
  return SmTranslateSql(server, std::move(text));
}

std::unique_ptr<CSmDbBackend> CSmDatabase::OpenBackend(const std::string& name,
                                                       const CSmConnInfo& settings) {
  std::unique_ptr<CSmDbBackend> backend = SmCreateDbBackend(m_kind);
  if (!backend) return nullptr;
  backend->SetConnInfo(settings);
  if (!backend->Open(name)) {
    m_lastError = backend->ConnectError();
    return nullptr;
  }
  // A row another session keeps locked fails the statement after a while instead of freezing.
  if (SmIsPostgres(backend->DbmsName())) backend->Execute("SET lock_timeout = 5000", nullptr);
  return backend;
}

bool CSmDatabase::Open(const std::string& name, const CSmConnInfo& settings) {
  Close();
  m_lastError.clear();
  // A data file that is not there gets no lock file; one that is being deleted is not opened;
  // one whose folder takes no lock file is.
  if (m_kind == 0) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(name, ec)) return false;
    if (!HoldDataFile(name)) return false;
  }
  m_backend = OpenBackend(name, settings);
  if (!m_backend) {
    m_inUse.Unlock();
    return false;
  }
  m_settings = settings;
  m_lost = false;
  switch (m_kind) {
    case 0:
      break;
    case 1:
    case 2:
    default:
      m_settings.database = name;
      break;
  }
  return true;
}

bool CSmDatabase::HoldDataFile(const std::string& path) {
  const std::string lock = SmDataFileLockPath(path);
  if (m_inUse.Lock(lock, false)) return true;
  std::error_code ec;
  // Held by another alone, or the lock file could not be made beside the data file.
  return !std::filesystem::exists(lock, ec);
}

void CSmDatabase::Close() {
  m_lost = false;
  if (!m_backend) return;
  const std::string path = m_kind == 0 ? m_backend->Name() : std::string();
  m_backend->Close();
  m_backend.reset();
  // The last session out takes the companions of the data file with it: nobody can open it
  // between (opening takes the lock shared first).
  if (!path.empty() && m_inUse.TakeAlone()) {
    std::error_code ec;
    std::filesystem::remove(path + "-wait", ec);
  }
  m_inUse.Unlock();
}

bool CSmDatabase::IsOpen() const {
  return m_backend && m_backend->IsOpen();
}

bool CSmDatabase::Reopen() {
  switch (m_kind) {
    case 0: {
      if (!IsOpen()) return false;
      const std::string path = m_backend->Name();
      Close();
      return Open(path, CSmConnInfo(0));
    }
    case 1:
    case 2:
    default:
      return true;
  }
}

CSmConnInfo CSmDatabase::GetConnInfo() {
  switch (m_kind) {
    case 0:
      return CSmConnInfo(0);
    case 1:
    case 2:
    default: {
      if (!IsOpen()) return CSmConnInfo(m_kind);
      CSmConnInfo info = m_settings;
      return info;
    }
  }
}

std::string CSmDatabase::GetFileName(bool nameOnly) {
  if (!IsOpen()) return {};
  switch (m_kind) {
    case 0:
      return m_backend->Name();
    case 1:
    case 2:
    default: {
      const std::string name = m_backend->Name();
      // A PostgreSQL database has no file of its own to name: the database is its file.
      if (nameOnly || OnPostgres()) return name;
      return QueryCountString("max(filename) from sysfiles where name='" + SqlText(name) + "'", {},
                              nullptr, 300);
    }
  }
}

bool CSmDatabase::ExecuteSQL(const std::string& jet, const std::string& server, int options,
                             bool report) {
  (void)options;  // every statement of the data file fails as a whole
  return ExecuteBound(jet, server, std::span<const SmDbValue>(), report);
}

template <class Attempt>
bool CSmDatabase::RunStatement(Attempt&& attempt) {
  const bool reopened = m_lost && MayReopen();
  if (reopened) ReopenLost();
  m_lastError.clear();
  bool ok = false;
  if (IsOpen()) {
    ++m_statementsSent;
    ok = attempt(&m_lastError);
  } else {
    m_lastError = "the database is not open";
  }
  NoteFailure(ok ? std::string() : m_lastError);
  if (m_lastFailure == SmDbFailure::LostConnection) {
    m_lost = true;
    if (!reopened && MayReopen() && ReopenLost()) {
      m_lastError.clear();
      ok = attempt(&m_lastError);
      NoteFailure(ok ? std::string() : m_lastError);
    }
  }
  if (m_backend && m_backend->TransDepth() > 0) ++m_transStatements;
  return ok;
}

bool CSmDatabase::ExecuteBound(std::string_view jet, std::string_view server,
                               std::span<const SmDbValue> params, bool report) {
  // A run stopped by a full disk or a read-only file writes nothing more.
  if (m_stopped) return false;
  const std::string_view text = server.empty() ? jet : server;
  const std::string_view source = m_kind == 0 ? jet : text;
  // A statement run again and again with other values is translated once. Otherwise it is
  // translated in the room of the last statement: no allocation per statement.
  if (!m_lastUntranslated || source != m_lastStatement) {
    m_lastStatement.assign(source);
    m_lastStatement = TranslateSQL(m_kind != 0, std::move(m_lastStatement));
    m_lastUntranslated = m_lastStatement == source;
  }
  SetQueryTimeout(0);
  const bool ok = RunStatement(
      [&](std::string* error) { return m_backend->Execute(m_lastStatement, error, params); });
  if (ok || !report) return ok;
  ReportLastFailure();
  return false;
}

std::unique_ptr<CSmDbCursor> CSmDatabase::OpenCursor(const std::string& translated) {
  // A read that succeeds leaves the last failed statement's reason to be reported.
  const std::string error = m_lastError;
  const SmDbFailure failure = m_lastFailure;
  std::unique_ptr<CSmDbCursor> cursor;
  RunStatement([&](std::string* reason) {
    cursor = m_backend->Query(translated, reason);
    return cursor != nullptr;
  });
  if (cursor) {
    m_lastError = error;
    m_lastFailure = failure;
  }
  return cursor;
}

bool CSmDatabase::MayReopen() const {
  // A transaction that has run no statement yet has sent nothing to the server.
  return m_kind != 0 && m_backend && (m_backend->TransDepth() == 0 || m_transStatements == 0);
}

bool CSmDatabase::ReopenLost() {
  const std::string reason = m_lastError;
  std::unique_ptr<CSmDbBackend> fresh = OpenBackend(m_backend->Name(), m_settings);
  // Still unreachable: the dropped connection stays, to be tried again by the next statement.
  if (!fresh) {
    m_lastError = reason.empty() ? m_lastError : reason;
    return false;
  }
  for (int depth = m_backend->TransDepth(); depth > 0; --depth) fresh->BeginTrans();
  m_backend = std::move(fresh);
  m_lost = false;
  m_lastError.clear();
  SmMessageBox(kSmReconnectedText, SM_MB_OK | SM_MB_ICONINFORMATION);
  return true;
}

void CSmDatabase::ReportLastFailure() const {
  // A stopped run says once why it stopped; what failed after the stop failed for want of what
  // the run left unmade.
  if (m_stopped) {
    if (m_stopReported) return;
    m_stopReported = true;
    SmMessageBox(
        SmFailureMessage(SmClassifyDbError(m_stopError), ReasonOf(m_stopError), m_kind != 0),
        SM_MB_ICONERROR);
    return;
  }
  if (EndsTheRun(m_lastFailure)) {
    SmMessageBox(SmFailureMessage(m_lastFailure, ReasonOf(m_lastError), m_kind != 0),
                 SM_MB_ICONERROR);
    return;
  }
  // The engine's reason stands beside the statement on every kind.
  SmMessageBox(SmDbFailureReport(m_lastFailure, m_kind != 0, m_lastError, m_lastStatement),
               SM_MB_ICONERROR);
}

void CSmDatabase::NoteFailure(const std::string& error) {
  m_lastError = error;
  m_lastFailure = SmClassifyDbError(error);
  if (m_stopRuns > 0 && !m_stopped && EndsTheRun(m_lastFailure)) {
    m_stopped = true;
    m_stopError = error;
  }
}

bool CSmDatabase::ReportBusy() const {
  SmMessageBox(SmFailureMessage(m_lastFailure, m_lastError, m_kind != 0), SM_MB_ICONERROR);
  return false;
}

bool CSmDatabase::TransStep(bool (CSmDbBackend::*step)()) {
  if (!IsOpen()) return false;
  const bool ok = (m_backend.get()->*step)();
  NoteFailure(ok ? std::string() : m_backend->TransError());
  if (m_lastFailure == SmDbFailure::LostConnection) m_lost = true;
  return ok;
}

void CSmDatabase::SetQueryTimeout(short seconds) {
  if (IsOpen()) m_backend->SetQueryTimeout(seconds);
}

bool CSmDatabase::BeginTrans() {
  if (m_stopped || !IsOpen()) return false;
  const bool outermost = m_backend->TransDepth() == 0;
  if (outermost && m_lost && !ReopenLost()) {
    // Still unreachable: nothing is begun, and the user reads why.
    m_lastFailure = SmDbFailure::LostConnection;
    return ReportBusy();
  }
  if (outermost) m_transStatements = 0;
  if (TransStep(&CSmDbBackend::BeginTrans)) return true;
  return m_lastFailure == SmDbFailure::Busy ? ReportBusy() : false;
}

bool CSmDatabase::CommitTrans() {
  if (!m_stopped && TransStep(&CSmDbBackend::CommitTrans)) return true;
  if (!IsOpen()) return false;
  const std::string error = m_lastError;
  const SmDbFailure failure = m_lastFailure;
  m_backend->Rollback();  // a transaction that cannot commit must not stay open
  m_lastError = error;
  m_lastFailure = failure;
  if (!m_stopped &&
      (m_lastFailure == SmDbFailure::Busy || m_lastFailure == SmDbFailure::LostConnection))
    return ReportBusy();
  // The commit is where a full disk often shows first.
  if (m_stopped || EndsTheRun(m_lastFailure)) ReportLastFailure();
  return false;
}

bool CSmDatabase::Rollback() {
  return TransStep(&CSmDbBackend::Rollback);
}

bool CSmDatabase::LockSeries(const std::string& name) {
  if (m_kind == 0) return true;
  const std::string quoted = SqlText(name);
  return OnPostgres() ? ExecuteSQL(SmPgSeriesLockSql(quoted))
                      : ExecuteSQL("exec sp_getapplock @Resource='" + quoted +
                                   "',@LockMode='Exclusive',@LockOwner='Transaction'");
}

bool CSmDatabase::LockRows(const std::string& table, const std::string& column,
                           const std::string& where) {
  if (m_kind == 0) return true;
  return ExecuteSQL("Update " + table + " Set " + column + "=" + column + " " + where);
}

bool CSmDatabase::BeginSnapshot() {
  if (!BeginTrans()) return false;
  if (m_kind == 0) return true;
  const char* isolation = OnPostgres()
                              ? "SET TRANSACTION ISOLATION LEVEL REPEATABLE READ, READ ONLY"
                              : "SET TRANSACTION ISOLATION LEVEL SNAPSHOT";
  if (ExecuteSQL(isolation)) return true;
  Rollback();
  return false;
}

bool CSmDatabase::CopyDataFileFrom(const std::string& path) {
  m_lastError.clear();
  if (!IsOpen() || m_kind != 0) return false;
  return m_backend->CopyFileIn(path, &m_lastError);
}

long CSmDatabase::QueryInt(const std::string& jet, const std::string& server) {
  CSmQuery query(1, 0, 0, this);
  if (!query.Open(jet, server.empty() ? jet : server) || query.IsEOF()) return 0;
  return query.GetInt(0);
}

long CSmDatabase::QueryCountInt(const std::string& jet, const std::string& server, long* count) {
  if (count) *count = 0;
  CSmQuery query(2, 0, 0, this);
  const std::string& serverText = server.empty() ? jet : server;
  if (!query.Open("Select Count(*)," + jet, "Select Count(*)," + serverText) || query.IsEOF())
    return 0;
  const long rows = query.GetInt(0);
  if (count) *count = rows;
  return rows >= 1 ? query.GetInt(1) : 0;
}

std::string CSmDatabase::QueryCountString(const std::string& jet, const std::string& server,
                                          long* count, int textWidth) {
  if (count) *count = 0;
  CSmQuery query(1, 0, 1, this);
  query.SetTextWidth(textWidth);
  const std::string& serverText = server.empty() ? jet : server;
  if (!query.Open("Select Count(*)," + jet, "Select Count(*)," + serverText) || query.IsEOF())
    return {};
  const long rows = query.GetInt(0);
  if (count) *count = rows;
  return rows >= 1 ? query.GetString(0) : std::string();
}

int CSmDatabase::QueryStrings(const std::string& text, std::vector<std::string>* arrays, int n) {
  for (int k = 0; k < n; ++k) arrays[k].clear();
  CSmQuery query(0, 0, n, this);
  if (!query.Open(text, text)) return 0;
  for (; !query.IsEOF(); query.MoveNext())
    for (int k = 0; k < n; ++k) arrays[k].push_back(query.GetString(k));
  return n > 0 ? static_cast<int>(arrays[0].size()) : 0;
}

std::string CSmDatabase::SqlText(const std::string& text, int maxBytes) const {
  return ReplaceAll(StoredText(text, maxBytes), "'", "''");
}

std::string CSmDatabase::StoredText(const std::string& text, int maxBytes) const {
  std::string s = text;
  if (m_kind == 0) s = ReplaceAll(s, "|", "｜");
  if (maxBytes >= 0) s = GbkCut(s, static_cast<size_t>(maxBytes));
  return s;
}

std::string CSmDatabase::GetServerTime(const std::string& format) {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  switch (m_kind) {
    case 0:
      break;
    case 1:
    case 2:
    default: {
      if (!IsOpen()) break;
      CSmQuery query(0, 0, 1, this);
      const std::string sql =
          OnPostgres() ? SmPgServerTimeSql()
                       : "Select convert(char(8),getdate(),112) + convert(char(8),getdate(),108)";
      if (!query.Open(sql, sql) || query.IsEOF()) break;
      std::string t = query.GetString(0);
      t.erase(std::remove(t.begin(), t.end(), ':'), t.end());
      if (t.size() < 14) break;
      auto num = [&](size_t at, size_t len) { return std::atoi(t.substr(at, len).c_str()); };
      std::tm server{};
      server.tm_year = num(0, 4) - 1900;
      server.tm_mon = num(4, 2) - 1;
      server.tm_mday = num(6, 2);
      server.tm_hour = num(8, 2);
      server.tm_min = num(10, 2);
      server.tm_sec = num(12, 2);
      server.tm_isdst = -1;
      std::mktime(&server);
      tm = server;
      break;
    }
  }
  return FormatTime(tm, format);
}

bool CSmDatabase::OnPostgres() const {
  return m_backend && SmIsPostgres(m_backend->DbmsName());
}

bool CSmDatabase::PagesAreWhole() {
  if (m_kind != 0 || !IsOpen()) return true;
  std::string error;
  std::unique_ptr<CSmDbCursor> rows = m_backend->Query("PRAGMA quick_check(1)", &error);
  if (rows && rows->Next()) {
    const std::string found = rows->GetText(0);
    if (found == "ok") return true;
    NoteFailure(found);
    m_lastFailure = SmDbFailure::Damaged;
    return false;
  }
  // A page the check cannot even read is damaged as well; a lock another workstation holds
  // tells nothing either way.
  NoteFailure(rows ? rows->Error() : error);
  return m_lastFailure != SmDbFailure::Damaged;
}

std::string CSmDatabase::GetServerMachineName() {
  if (m_kind == 0 || !IsOpen()) return {};
  CSmQuery query(0, 0, 1, this);
  const std::string sql = OnPostgres()
                              ? SmPgServerAddressSql()
                              : "Select Cast(SERVERPROPERTY('MachineName') As varchar(128))";
  if (!query.Open(sql) || query.IsEOF()) return {};
  const std::string name = query.GetString(0);
  // PostgreSQL names no machine: a server reached on this machine is this machine.
  if (!name.empty() || !OnPostgres()) return name;
  return GetComputerNameText();
}

bool CSmDatabase::IsServerMachine() {
  if (m_kind == 0) return true;
  const std::string server = GetServerMachineName();
  return !server.empty() && MakeUpperCopy(server) == MakeUpperCopy(GetComputerNameText());
}

std::string CSmDatabase::BuildConnectString(const CSmConnInfo& s, int kind) {
  if (kind == 1)
    return "DSN=" + s.server + ";UID=" + s.user + ";PWD=" + s.password + ";DATABASE=" + s.database;
  return "Provider=SQLOLEDB.1;Persist Security Info=False;User ID=" + s.user +
         ";PassWord=" + s.password + ";Initial Catalog=" + s.database + ";Data Source=" + s.server;
}

std::string CSmDatabase::GetConnectValue(const std::string& connect, const std::string& key) {
  const size_t at = MakeUpperCopy(connect).find(MakeUpperCopy(key) + "=");
  if (at == std::string::npos) return {};
  const size_t from = at + key.size() + 1;
  const size_t to = connect.find(';', from);
  return connect.substr(from, to == std::string::npos ? std::string::npos : to - from);
}

CSmConnInfo CSmDatabase::ParseConnectString(const std::string& connect, int kind) {
  const bool odbc = kind == 1;
  CSmConnInfo info(kind);
  info.server = GetConnectValue(connect, odbc ? "DSN" : "Data Source");
  info.user = GetConnectValue(connect, odbc ? "UID" : "User ID");
  info.password = GetConnectValue(connect, odbc ? "PWD" : "PassWord");
  info.database = GetConnectValue(connect, odbc ? "DATABASE" : "Initial Catalog");
  return info;
}

CSmStopAtFirstFailure::~CSmStopAtFirstFailure() {
  if (--m_db.m_stopRuns > 0) return;
  m_db.m_stopped = false;
  m_db.m_stopReported = false;
  m_db.m_stopError.clear();
}

bool CSmStopAtFirstFailure::Stopped() const {
  if (m_db.m_stopped) m_db.ReportLastFailure();
  return m_db.m_stopped;
}

bool SmRunInTransaction(CSmDatabase* db, const std::function<bool()>& work) {
  if (!db->BeginTrans()) return false;
  if (!work()) {
    db->Rollback();
    return false;
  }
  return db->CommitTrans();
}
