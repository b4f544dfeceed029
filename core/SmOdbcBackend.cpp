#include "core/SmOdbcBackend.h"

#include <odbcinst.h>
#include <sql.h>
#include <sqlext.h>

#include <QString>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "core/SmRegKey.h"
#include "core/SmSqlDialectPg.h"

namespace {

// --- Texts: the driver manager speaks UTF-16 (SQLWCHAR), the program UTF-8.
std::u16string Wide(const std::string& s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())).toStdU16String();
}
SQLWCHAR* W(std::u16string& s) {
  return reinterpret_cast<SQLWCHAR*>(s.data());
}
std::string Narrow(const SQLWCHAR* s, size_t chars) {
  return QString::fromUtf16(reinterpret_cast<const char16_t*>(s), static_cast<qsizetype>(chars))
      .toStdString();
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower((unsigned char)c));
  return out;
}

bool Ok(SQLRETURN r) {
  return r == SQL_SUCCESS || r == SQL_SUCCESS_WITH_INFO;
}

// The diagnostics of a handle: "[state] message" per record, one a line.
std::string Diagnostics(SQLSMALLINT type, SQLHANDLE handle) {
  std::string text;
  for (SQLSMALLINT k = 1; handle; ++k) {
    SQLWCHAR state[6] = {};
    SQLWCHAR message[1024] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    if (!Ok(SQLGetDiagRecW(type, handle, k, state, &native, message, 1024, &length))) break;
    if (!text.empty()) text += "\n";
    text += "[" + Narrow(state, 5) + "] " +
            Narrow(message, static_cast<size_t>(std::min<SQLSMALLINT>(length, 1023)));
  }
  return text;
}

// One statement handle, freed with its owner.
class CStmt {
 public:
  explicit CStmt(SQLHDBC dbc) {
    if (!Ok(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &m_h))) m_h = nullptr;
  }
  ~CStmt() {
    if (m_h) SQLFreeHandle(SQL_HANDLE_STMT, m_h);
  }
  CStmt(const CStmt&) = delete;
  CStmt& operator=(const CStmt&) = delete;
  SQLHSTMT Get() const { return m_h; }
  std::string Error() const { return Diagnostics(SQL_HANDLE_STMT, m_h); }

 private:
  SQLHSTMT m_h = nullptr;
};

bool IsFloatType(SQLSMALLINT t) {
  return t == SQL_DOUBLE || t == SQL_FLOAT || t == SQL_REAL;
}
bool IsBinaryType(SQLSMALLINT t) {
  return t == SQL_BINARY || t == SQL_VARBINARY || t == SQL_LONGVARBINARY;
}

// A floating-point value as the data file shows it ("12.5", "3414.0").
std::string FloatText(const std::string& text) {
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (end == text.c_str()) return text;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", v);
  std::string s = buf;
  if (s.find_first_of(".eEn") == std::string::npos) s += ".0";
  return s;
}

class CSmOdbcCursor : public CSmDbCursor {
 public:
  explicit CSmOdbcCursor(std::unique_ptr<CStmt> stmt) : m_stmt(std::move(stmt)) {
    SQLSMALLINT n = 0;
    SQLNumResultCols(m_stmt->Get(), &n);
    for (SQLSMALLINT c = 1; c <= n; ++c) {
      SQLWCHAR name[256] = {};
      SQLSMALLINT nameLength = 0, type = 0, decimals = 0, nullable = 0;
      SQLULEN size = 0;
      SQLDescribeColW(m_stmt->Get(), c, name, 256, &nameLength, &type, &size, &decimals, &nullable);
      m_names.push_back(Narrow(name, static_cast<size_t>(std::min<SQLSMALLINT>(nameLength, 255))));
      m_types.push_back(type);
    }
    m_values.resize(m_names.size());
    m_nulls.resize(m_names.size());
  }

  bool Next() override {
    const SQLRETURN r = SQLFetch(m_stmt->Get());
    if (r == SQL_NO_DATA) return false;
    if (!Ok(r)) {
      m_error = m_stmt->Error();
      if (m_error.empty()) m_error = "the row could not be read";
      return false;
    }
    for (size_t c = 0; c < m_names.size(); ++c)
      if (!ReadColumn(static_cast<SQLUSMALLINT>(c + 1), c)) return false;
    return true;
  }
  int ColumnCount() const override { return static_cast<int>(m_names.size()); }
  std::string ColumnName(int column) const override { return m_names[column]; }
  bool IsNull(int column) const override { return m_nulls[column]; }
  long long GetInt(int column) const override {
    const std::string& v = m_values[column];
    if (v.find_first_of(".eE") != std::string::npos)
      return static_cast<long long>(std::strtod(v.c_str(), nullptr));
    return std::strtoll(v.c_str(), nullptr, 10);
  }
  double GetDouble(int column) const override {
    return std::strtod(m_values[column].c_str(), nullptr);
  }
  std::string GetText(int column) const override {
    return IsFloatType(m_types[column]) ? FloatText(m_values[column]) : m_values[column];
  }
  std::vector<unsigned char> GetBlob(int column) const override {
    const std::string& v = m_values[column];
    return std::vector<unsigned char>(v.begin(), v.end());
  }
  const std::string& Error() const override { return m_error; }

 private:
  // Reads the whole value of one column: binary columns as bytes, the rest as text.
  bool ReadColumn(SQLUSMALLINT column, size_t at) {
    const bool binary = IsBinaryType(m_types[at]);
    std::string bytes;
    std::u16string wide;
    m_nulls[at] = false;
    for (;;) {
      char buf[4096];
      SQLLEN got = 0;
      const SQLRETURN r = SQLGetData(m_stmt->Get(), column, binary ? SQL_C_BINARY : SQL_C_WCHAR,
                                     buf, sizeof buf, &got);
      if (r == SQL_NO_DATA) break;
      if (!Ok(r)) {
        m_error = m_stmt->Error();
        return false;
      }
      if (got == SQL_NULL_DATA) {
        m_nulls[at] = true;  // reads as 0, 0.0 or an empty text
        break;
      }
      const size_t room = binary ? sizeof buf : sizeof buf - sizeof(SQLWCHAR);
      const size_t n =
          got == SQL_NO_TOTAL || static_cast<size_t>(got) > room ? room : static_cast<size_t>(got);
      if (binary)
        bytes.append(buf, n);
      else
        wide.append(reinterpret_cast<const char16_t*>(buf), n / sizeof(char16_t));
      if (r == SQL_SUCCESS) break;  // SQL_SUCCESS_WITH_INFO: more to come
    }
    m_values[at] = binary ? bytes : QString::fromStdU16String(wide).toStdString();
    return true;
  }

  std::unique_ptr<CStmt> m_stmt;
  std::vector<std::string> m_names;
  std::vector<SQLSMALLINT> m_types;
  std::vector<std::string> m_values;
  std::vector<bool> m_nulls;
  std::string m_error;
};

// A value of a connection string, in braces when it holds a separator.
std::string ConnValue(const std::string& v) {
  if (v.find_first_of(";{}") == std::string::npos) return v;
  std::string s = "{";
  for (char c : v) s += c == '}' ? std::string("}}") : std::string(1, c);
  return s + "}";
}

// "host,port" or "host:port"; "(local)" and "." are this machine.
void SplitServer(const std::string& server, std::string& host, std::string& port) {
  const size_t sep = server.find_first_of(",:");
  host = sep == std::string::npos ? server : server.substr(0, sep);
  port = sep == std::string::npos ? std::string() : server.substr(sep + 1);
  if (host.empty() || Lower(host) == "(local)" || host == ".") host = "localhost";
}

bool IsPgDriver(const std::string& driver) {
  return Lower(driver).find("postgres") != std::string::npos;
}

// The server of a connection string: "SERVER=host;PORT=port" for PostgreSQL's driver,
// "SERVER=host,port" for others.
std::string ServerAttributes(const std::string& driver, const std::string& server) {
  std::string host, port;
  SplitServer(server, host, port);
  if (port.empty()) return "SERVER=" + ConnValue(host);
  if (IsPgDriver(driver)) return "SERVER=" + ConnValue(host) + ";PORT=" + ConnValue(port);
  return "SERVER=" + ConnValue(host + "," + port);
}

std::string& SettingsKey() {
  static std::string key = "Software\\reduvor";
  return key;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Connection

CSmOdbcBackend::~CSmOdbcBackend() {
  Close();
}

std::string CSmOdbcBackend::Driver() const {
  return m_kind == 1 ? SmDataSourceDriver(m_settings.server) : SmOdbcDriverName();
}

std::string CSmOdbcBackend::ConnectionString(const std::string& name) const {
  const CSmConnInfo& s = m_settings;
  if (m_kind == 1) {
    std::string text = "DSN=" + ConnValue(s.server) + ";UID=" + ConnValue(s.user) +
                       ";PWD=" + ConnValue(s.password) + ";DATABASE=" + ConnValue(name);
    return s.host.empty() ? text : text + ";" + ServerAttributes(Driver(), s.host);
  }
  return "DRIVER={" + SmOdbcDriverName() + "};" + ServerAttributes(SmOdbcDriverName(), s.server) +
         ";DATABASE=" + ConnValue(name) + ";UID=" + ConnValue(s.user) +
         ";PWD=" + ConnValue(s.password);
}

bool CSmOdbcBackend::Connect(const std::string& name) {
  Close();
  SQLHENV env = nullptr;
  if (!Ok(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env))) return false;
  SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  SQLHDBC dbc = nullptr;
  if (!Ok(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc))) {
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return false;
  }
  SQLSetConnectAttr(dbc, SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(15), 0);
  std::string text = ConnectionString(name);
  // A failed statement spoils the whole transaction here (Refused): the PostgreSQL driver
  // need not guard every statement with a savepoint of its own, a round trip each.
  if (m_kind != 1 && IsPgDriver(SmOdbcDriverName())) text += ";Protocol=7.4-1";
  std::u16string connect = Wide(text);
  const SQLRETURN r = SQLDriverConnectW(dbc, nullptr, W(connect), SQL_NTS, nullptr, 0, nullptr,
                                        SQL_DRIVER_NOPROMPT);
  if (!Ok(r)) {
    m_connectError = Diagnostics(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return false;
  }
  m_env = env;
  m_dbc = dbc;
  m_name = name;
  SQLWCHAR dbms[128] = {};
  SQLSMALLINT length = 0;
  if (Ok(SQLGetInfoW(dbc, SQL_DBMS_NAME, dbms, sizeof dbms, &length)))
    m_dbms = Narrow(dbms, static_cast<size_t>(length) / sizeof(SQLWCHAR));
  return true;
}

bool CSmOdbcBackend::Open(const std::string& name) {
  // "master" is SQL Server's: on PostgreSQL it is not tried at all (each try would leave a
  // failed connection in the server's log).
  if (Lower(name) == "master" && IsPgDriver(Driver())) {
    if (!Connect(kSmPgMaintenanceDb)) return false;
    m_name = name;
    return true;
  }
  if (Connect(name)) return true;
  // "master" is SQL Server's; PostgreSQL's maintenance database stands in for it.
  if (Lower(name) != "master" || !Connect(kSmPgMaintenanceDb)) return false;
  if (SmIsPostgres(m_dbms)) {
    m_name = name;
    return true;
  }
  Close();
  return false;
}

bool CSmOdbcBackend::Create(const std::string& name) {
  if (!Open("master")) return false;
  std::string error;
  const bool created = Execute("Create Database " + name, &error);
  Close();
  if (!created) {
    m_connectError = error;
    return false;
  }
  return Open(name);
}

void CSmOdbcBackend::Close() {
  DropPrepared();
  if (m_dbc) {
    if (m_transDepth > 0) SQLEndTran(SQL_HANDLE_DBC, m_dbc, SQL_ROLLBACK);
    SQLDisconnect(m_dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, m_dbc);
  }
  if (m_env) SQLFreeHandle(SQL_HANDLE_ENV, m_env);
  m_dbc = m_env = nullptr;
  m_name.clear();
  m_dbms.clear();
  m_transDepth = 0;
  m_transFailed = false;
  m_tablesLoaded = false;
  m_tables.clear();
  m_columnTypes.clear();
}

// ---------------------------------------------------------------------------------------
// Statements

std::string CSmOdbcBackend::Adapt(const std::string& sql) {
  if (!SmIsPostgres(m_dbms)) return sql;
  return SmAdaptSqlForPg(sql, this);
}

bool CSmOdbcBackend::Refused(std::string* error) const {
  if (!m_dbc) {
    if (error) *error = "the database is not open";
    return true;
  }
  if (!m_transFailed) return false;
  if (error)
    *error = "an earlier statement of the transaction failed; the transaction must be rolled back";
  return true;
}

void CSmOdbcBackend::Failed() {
  if (m_transDepth > 0) m_transFailed = true;
}

void CSmOdbcBackend::DropPrepared() {
  if (m_prepared) SQLFreeHandle(SQL_HANDLE_STMT, static_cast<SQLHSTMT>(m_prepared));
  m_prepared = nullptr;
  m_preparedText.clear();
}

void* CSmOdbcBackend::PreparedFor(const std::string& text, std::string* error) {
  if (m_prepared && m_preparedText == text) {
    SQLFreeStmt(static_cast<SQLHSTMT>(m_prepared), SQL_RESET_PARAMS);
    return m_prepared;
  }
  DropPrepared();
  SQLHSTMT stmt = nullptr;
  if (!Ok(SQLAllocHandle(SQL_HANDLE_STMT, static_cast<SQLHDBC>(m_dbc), &stmt))) return nullptr;
  std::u16string wide = Wide(text);
  if (!Ok(SQLPrepareW(stmt, W(wide), SQL_NTS))) {
    if (error) *error = Diagnostics(SQL_HANDLE_STMT, stmt);
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    Failed();
    return nullptr;
  }
  m_prepared = stmt;
  m_preparedText = text;
  return stmt;
}

bool CSmOdbcBackend::Execute(const std::string& sql, std::string* error,
                             std::span<const SmDbValue> params) {
  m_rowsChanged = 0;
  if (Refused(error)) return false;
  const std::string text = Adapt(sql);
  if (SmSqlIsSchemaChange(text)) {
    m_tablesLoaded = false;
    m_columnTypes.clear();
    DropPrepared();
  }
  // Inside a transaction a statement with bound values keeps its prepared form for the next
  // values; any other statement is prepared for its one run.
  const bool kept = !params.empty() && m_transDepth > 0;
  std::unique_ptr<CStmt> once;
  SQLHSTMT stmt = nullptr;
  if (kept) {
    stmt = static_cast<SQLHSTMT>(PreparedFor(text, error));
  } else {
    once = std::make_unique<CStmt>(static_cast<SQLHDBC>(m_dbc));
    stmt = once->Get();
  }
  if (!stmt) return false;
  if (m_timeout > 0)
    SQLSetStmtAttr(stmt, SQL_ATTR_QUERY_TIMEOUT,
                   reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(m_timeout)), 0);
  // Bound values live until the statement has run.
  std::vector<std::u16string> texts(params.size());
  std::vector<SQLLEN> lengths(params.size());
  for (size_t k = 0; k < params.size(); ++k) {
    const SmDbValue& v = params[k];
    const auto n = static_cast<SQLUSMALLINT>(k + 1);
    SQLLEN& length = lengths[k];
    SQLRETURN r = SQL_SUCCESS;
    switch (v.type) {
      case SmDbValue::Null:
        length = SQL_NULL_DATA;
        r = SQLBindParameter(stmt, n, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 1, 0, nullptr, 0,
                             &length);
        break;
      case SmDbValue::Int:
        r = SQLBindParameter(stmt, n, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0,
                             const_cast<long long*>(&v.i), 0, nullptr);
        break;
      case SmDbValue::Double:
        r = SQLBindParameter(stmt, n, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 0, 0,
                             const_cast<double*>(&v.d), 0, nullptr);
        break;
      case SmDbValue::Text:
        texts[k] = Wide(v.text);
        length = static_cast<SQLLEN>(texts[k].size() * sizeof(char16_t));
        r = SQLBindParameter(stmt, n, SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR,
                             std::max<SQLULEN>(texts[k].size(), 1), 0, W(texts[k]), length,
                             &length);
        break;
      case SmDbValue::Blob:
        length = static_cast<SQLLEN>(v.blob.size());
        r = SQLBindParameter(stmt, n, SQL_PARAM_INPUT, SQL_C_BINARY, SQL_LONGVARBINARY,
                             std::max<SQLULEN>(v.blob.size(), 1), 0,
                             const_cast<unsigned char*>(v.blob.data()), length, &length);
        break;
    }
    if (!Ok(r)) {
      if (error) *error = Diagnostics(SQL_HANDLE_STMT, stmt);
      Failed();
      return false;
    }
  }
  std::u16string wide = kept ? std::u16string() : Wide(text);
  const SQLRETURN r = kept ? SQLExecute(stmt) : SQLExecDirectW(stmt, W(wide), SQL_NTS);
  if (r == SQL_NO_DATA) return true;
  if (Ok(r)) {
    SQLLEN rows = 0;
    if (Ok(SQLRowCount(stmt, &rows)) && rows > 0) m_rowsChanged = rows;
    return true;
  }
  if (error) *error = Diagnostics(SQL_HANDLE_STMT, stmt);
  Failed();
  return false;
}

std::unique_ptr<CSmDbCursor> CSmOdbcBackend::Query(const std::string& sql, std::string* error) {
  if (Refused(error)) return nullptr;
  auto stmt = std::make_unique<CStmt>(static_cast<SQLHDBC>(m_dbc));
  if (!stmt->Get()) return nullptr;
  if (m_timeout > 0)
    SQLSetStmtAttr(stmt->Get(), SQL_ATTR_QUERY_TIMEOUT,
                   reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(m_timeout)), 0);
  std::u16string wide = Wide(Adapt(sql));
  const SQLRETURN r = SQLExecDirectW(stmt->Get(), W(wide), SQL_NTS);
  if (!Ok(r)) {
    if (error) *error = stmt->Error();
    Failed();
    return nullptr;
  }
  return std::make_unique<CSmOdbcCursor>(std::move(stmt));
}

// ---------------------------------------------------------------------------------------
// Transactions

bool CSmOdbcBackend::BeginTrans() {
  if (!m_dbc) return false;
  if (m_transDepth == 0) {
    if (!Ok(SQLSetConnectAttr(static_cast<SQLHDBC>(m_dbc), SQL_ATTR_AUTOCOMMIT,
                              reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0)))
      return false;
    m_transFailed = false;
  }
  ++m_transDepth;
  return true;
}

bool CSmOdbcBackend::CommitTrans() {
  if (!m_dbc || m_transDepth == 0) return false;
  if (--m_transDepth > 0) return !m_transFailed;
  const bool spoiled = m_transFailed;
  DropPrepared();
  const SQLRETURN r =
      SQLEndTran(SQL_HANDLE_DBC, static_cast<SQLHDBC>(m_dbc), spoiled ? SQL_ROLLBACK : SQL_COMMIT);
  SQLSetConnectAttr(static_cast<SQLHDBC>(m_dbc), SQL_ATTR_AUTOCOMMIT,
                    reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0);
  m_transFailed = false;
  if (spoiled) {
    m_tablesLoaded = false;  // a rolled-back change may have been a schema change
    m_columnTypes.clear();
  }
  return Ok(r) && !spoiled;
}

bool CSmOdbcBackend::Rollback() {
  if (!m_dbc || m_transDepth == 0) return false;
  // A nested rollback spoils the whole transaction: the outermost commit rolls back.
  if (--m_transDepth > 0) {
    m_transFailed = true;
    return true;
  }
  DropPrepared();
  const SQLRETURN r = SQLEndTran(SQL_HANDLE_DBC, static_cast<SQLHDBC>(m_dbc), SQL_ROLLBACK);
  SQLSetConnectAttr(static_cast<SQLHDBC>(m_dbc), SQL_ATTR_AUTOCOMMIT,
                    reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0);
  m_transFailed = false;
  m_tablesLoaded = false;
  m_columnTypes.clear();
  return Ok(r);
}

// ---------------------------------------------------------------------------------------
// Catalogue through the ODBC catalogue functions

bool CSmOdbcBackend::GetTables(std::vector<std::string>& names, bool withSystem) {
  if (!m_dbc || m_transFailed) return false;
  CStmt stmt(static_cast<SQLHDBC>(m_dbc));
  std::u16string types = Wide(withSystem ? "TABLE,SYSTEM TABLE" : "TABLE");
  std::u16string all = Wide("%");
  if (!stmt.Get() ||
      !Ok(SQLTablesW(stmt.Get(), nullptr, 0, nullptr, 0, W(all), SQL_NTS, W(types), SQL_NTS)))
    return false;
  // Column 3 of the result is the table name.
  while (Ok(SQLFetch(stmt.Get()))) {
    SQLWCHAR name[256] = {};
    SQLLEN got = 0;
    if (Ok(SQLGetData(stmt.Get(), 3, SQL_C_WCHAR, name, sizeof name, &got)) && got > 0)
      names.push_back(Narrow(name, static_cast<size_t>(got) / sizeof(SQLWCHAR)));
  }
  return true;
}

bool CSmOdbcBackend::GetColumns(const std::string& table, std::vector<SmDbColumn>& columns) {
  if (!m_dbc || m_transFailed) return false;
  CStmt stmt(static_cast<SQLHDBC>(m_dbc));
  // Unquoted names are folded to lower case by PostgreSQL.
  std::u16string name = Wide(SmIsPostgres(m_dbms) ? Lower(table) : table);
  std::u16string all = Wide("%");
  if (!stmt.Get() ||
      !Ok(SQLColumnsW(stmt.Get(), nullptr, 0, nullptr, 0, W(name), SQL_NTS, W(all), SQL_NTS)))
    return false;
  while (Ok(SQLFetch(stmt.Get()))) {
    SQLWCHAR column[256] = {};
    SQLLEN got = 0;
    SQLSMALLINT type = 0;
    SQLINTEGER size = 0;
    SQLLEN ind = 0;
    if (!Ok(SQLGetData(stmt.Get(), 4, SQL_C_WCHAR, column, sizeof column, &got)) || got <= 0)
      continue;
    SQLGetData(stmt.Get(), 5, SQL_C_SSHORT, &type, 0, &ind);
    SQLGetData(stmt.Get(), 7, SQL_C_SLONG, &size, 0, &ind);
    SmDbColumn c;
    c.name = Narrow(column, static_cast<size_t>(got) / sizeof(SQLWCHAR));
    switch (type) {
      case SQL_INTEGER:
      case SQL_SMALLINT:
      case SQL_TINYINT:
      case SQL_BIGINT:
        c.kind = SM_COL_INTEGER;
        break;
      case SQL_DOUBLE:
      case SQL_FLOAT:
      case SQL_REAL:
      case SQL_NUMERIC:
      case SQL_DECIMAL:
        c.kind = SM_COL_NUMBER;
        break;
      case SQL_CHAR:
      case SQL_VARCHAR:
      case SQL_WCHAR:
      case SQL_WVARCHAR:
        c.kind = SM_COL_TEXT;
        c.width = size;
        break;
      case SQL_BINARY:
      case SQL_VARBINARY:
      case SQL_LONGVARBINARY:
        c.kind = SM_COL_BINARY;
        break;
      default:
        c.kind = SM_COL_OTHER;
        break;
    }
    columns.push_back(c);
  }
  return true;
}

bool CSmOdbcBackend::IsTable(std::string_view name) {
  if (!m_tablesLoaded) {
    m_tables.clear();
    m_tablesLoaded = GetTables(m_tables, false);
  }
  for (const std::string& t : m_tables)
    if (SmSqlSameName(t, name)) return true;
  return false;
}

SmSqlType CSmOdbcBackend::ColumnType(std::string_view table, std::string_view column) {
  const std::string key = Lower(table);
  auto it = m_columnTypes.find(key);
  if (it == m_columnTypes.end()) {
    std::vector<SmDbColumn> columns;
    std::map<std::string, SmSqlType> types;
    if (GetColumns(std::string(table), columns))
      for (const SmDbColumn& c : columns)
        types[Lower(c.name)] = c.kind == SM_COL_TEXT ? SmSqlType::Text
                               : c.kind == SM_COL_INTEGER || c.kind == SM_COL_NUMBER
                                   ? SmSqlType::Number
                                   : SmSqlType::Unknown;
    it = m_columnTypes.emplace(key, std::move(types)).first;
  }
  auto c = it->second.find(Lower(column));
  return c == it->second.end() ? SmSqlType::Unknown : c->second;
}

// ---------------------------------------------------------------------------------------
// Workstation setting and data sources

void SmSetOdbcSettingsKey(const std::string& programKey) {
  SettingsKey() = programKey;
}

std::string SmOdbcDriverName() {
  CSmRegKey key;
  std::string driver;
  if (key.Open(SM_HKEY_CURRENT_USER, SettingsKey(), "OdbcDriver", driver) && !driver.empty())
    return driver;
  return "PostgreSQL Unicode";
}

int ListOdbcDataSources(std::vector<std::string>& names, std::vector<std::string>& drivers) {
  SQLHENV env = nullptr;
  if (!Ok(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env))) return -1;
  SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  int count = 0;
  for (SQLUSMALLINT direction = SQL_FETCH_FIRST;; direction = SQL_FETCH_NEXT) {
    SQLWCHAR name[SQL_MAX_DSN_LENGTH + 1] = {};
    SQLWCHAR driver[255] = {};
    SQLSMALLINT nameLength = 0, driverLength = 0;
    if (!Ok(SQLDataSourcesW(env, direction, name, SQL_MAX_DSN_LENGTH + 1, &nameLength, driver, 255,
                            &driverLength)))
      break;
    names.push_back(
        Narrow(name, static_cast<size_t>(std::min<SQLSMALLINT>(nameLength, SQL_MAX_DSN_LENGTH))));
    drivers.push_back(
        Narrow(driver, static_cast<size_t>(std::min<SQLSMALLINT>(driverLength, 254))));
    ++count;
  }
  SQLFreeHandle(SQL_HANDLE_ENV, env);
  return count;
}

std::string SmDataSourceDriver(const std::string& name) {
  std::vector<std::string> names, drivers;
  ListOdbcDataSources(names, drivers);
  for (size_t k = 0; k < names.size(); ++k)
    if (Lower(names[k]) == Lower(name)) return drivers[k];
  return {};
}

int ListOdbcDataSourcesOfDriver(std::vector<std::string>& names, const std::string& driver) {
  std::vector<std::string> all, drivers;
  if (ListOdbcDataSources(all, drivers) < 0) return -1;
  int count = 0;
  for (size_t k = 0; k < all.size(); ++k) {
    if (Lower(drivers[k]) != Lower(driver)) continue;
    names.push_back(all[k]);
    ++count;
  }
  return count;
}

bool SmConfigDataSource(SmDsnRequest request, const std::string& driver,
                        const std::vector<std::string>& attributes) {
  std::string dsn;
  std::vector<std::pair<std::string, std::string>> pairs;
  for (const std::string& a : attributes) {
    const size_t eq = a.find('=');
    if (eq == std::string::npos) continue;
    std::string key = a.substr(0, eq), value = a.substr(eq + 1);
    if (Lower(key) == "dsn") {
      dsn = value;
      continue;
    }
    if (!IsPgDriver(driver)) {
      pairs.emplace_back(key, value);
      continue;
    }
    // The keys of the PostgreSQL driver.
    if (Lower(key) == "server") {
      std::string host, port;
      SplitServer(value, host, port);
      pairs.emplace_back("Servername", host);
      if (!port.empty()) pairs.emplace_back("Port", port);
    } else if (Lower(key) == "database" && Lower(value) == "master") {
      pairs.emplace_back("Database", kSmPgMaintenanceDb);
    } else {
      pairs.emplace_back(key, value);
    }
  }
  if (dsn.empty() || dsn.size() > SQL_MAX_DSN_LENGTH) return false;
  SQLSetConfigMode(ODBC_USER_DSN);
  bool ok = true;
  if (request == SM_DSN_REMOVE) {
    std::vector<std::string> names, drivers;
    ListOdbcDataSources(names, drivers);
    bool known = false;
    for (const std::string& n : names) known = known || Lower(n) == Lower(dsn);
    ok = known && SQLRemoveDSNFromIni(dsn.c_str());
  } else {
    if (request == SM_DSN_ADD) ok = SQLWriteDSNToIni(dsn.c_str(), driver.c_str());
    for (const auto& [key, value] : pairs)
      ok = ok && SQLWritePrivateProfileString(dsn.c_str(), key.c_str(), value.c_str(), "ODBC.INI");
  }
  SQLSetConfigMode(ODBC_BOTH_DSN);
  return ok;
}

std::string SmNewDataSourceName(const std::vector<std::string>& names) {
  if (names.empty()) return "MQIS";
  int largest = 0;
  for (const std::string& n : names) {
    if (n.size() < 4 || Lower(n.substr(0, 4)) != "mqis") continue;
    largest = std::max(largest, std::atoi(n.c_str() + 4));
  }
  return "MQIS" + std::to_string(largest + 1);
}
