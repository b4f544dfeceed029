#pragma once
// Kinds 1 and 2: a server database through the ODBC C API. Kind 1 connects through a data
// source ("DSN=%s;UID=%s;PWD=%s;DATABASE=%s", and the data source's server when the login
// names one); kind 2 names the server and an ODBC driver
// (the workstation setting "OdbcDriver"). Statements arrive in the server form; when the
// driver says the server is PostgreSQL they are adapted by SmSqlDialectPg.
#include <map>
#include <string>
#include <vector>

#include "core/SmConnInfo.h"
#include "core/SmDbBackend.h"
#include "core/SmSqlDialect.h"

class CSmOdbcBackend : public CSmDbBackend, private CSmSqlSchema {
 public:
  explicit CSmOdbcBackend(int kind) : m_kind(kind) {}
  ~CSmOdbcBackend() override;
  CSmOdbcBackend(const CSmOdbcBackend&) = delete;
  CSmOdbcBackend& operator=(const CSmOdbcBackend&) = delete;

  void SetConnInfo(const CSmConnInfo& settings) override { m_settings = settings; }
  // Connects to database `name`. "master" is the server's maintenance database (on
  // PostgreSQL "postgres").
  bool Open(const std::string& name) override;
  // Creates the database from a connection to the maintenance database, then opens it.
  bool Create(const std::string& name) override;
  void Close() override;
  bool IsOpen() const override { return m_dbc != nullptr; }
  std::string Name() const override { return m_name; }
  std::string DbmsName() const override { return m_dbms; }
  void SetQueryTimeout(int seconds) override { m_timeout = seconds; }

  bool Execute(const std::string& sql, std::string* error,
               std::span<const SmDbValue> params = {}) override;
  long long RowsChanged() const override { return m_rowsChanged; }
  std::unique_ptr<CSmDbCursor> Query(const std::string& sql, std::string* error) override;

  // A failed statement inside a transaction spoils it (PostgreSQL aborts it): later
  // statements are refused and the commit rolls back and fails.
  bool BeginTrans() override;
  bool CommitTrans() override;
  bool Rollback() override;

  bool GetTables(std::vector<std::string>& names, bool withSystem) override;
  bool GetColumns(const std::string& table, std::vector<SmDbColumn>& columns) override;

  // The statement as the server runs it.
  std::string Adapt(const std::string& sql);
  // The ODBC connection string for database `name` (the password included).
  std::string ConnectionString(const std::string& name) const;
  // The last connection failure's diagnostics.
  std::string ConnectError() const override { return m_connectError; }

 private:
  bool Connect(const std::string& name);
  // The ODBC driver the connection goes through (kind 1: the data source's).
  std::string Driver() const;
  bool IsTable(std::string_view name) override;
  SmSqlType ColumnType(std::string_view table, std::string_view column) override;
  bool Refused(std::string* error) const;
  void Failed();
  // The prepared statement of `text`, kept while a transaction lasts: a statement run again and
  // again with other values is prepared once. Null with `error` set when it cannot be prepared.
  void* PreparedFor(const std::string& text, std::string* error);
  void DropPrepared();

  int m_kind;
  CSmConnInfo m_settings;
  void* m_env = nullptr;
  void* m_dbc = nullptr;
  std::string m_name;
  std::string m_dbms;
  std::string m_connectError;
  int m_timeout = 0;
  int m_transDepth = 0;
  long long m_rowsChanged = 0;
  bool m_transFailed = false;
  void* m_prepared = nullptr;
  std::string m_preparedText;
  // Column types of the tables for the `+` rewrite, dropped when the schema changes.
  bool m_tablesLoaded = false;
  std::vector<std::string> m_tables;
  std::map<std::string, std::map<std::string, SmSqlType>> m_columnTypes;  // lower-case names
};

// The ODBC driver of kind 2, from the workstation setting "OdbcDriver" under the program key
// (default "PostgreSQL Unicode").
std::string SmOdbcDriverName();
// The program key the setting is read under (the application sets it at start-up).
void SmSetOdbcSettingsKey(const std::string& programKey);

// Data sources of the ODBC driver manager: names and driver descriptions; -1 when no
// environment can be allocated.
int ListOdbcDataSources(std::vector<std::string>& names, std::vector<std::string>& drivers);
// The driver of a data source, or empty when there is no such data source.
std::string SmDataSourceDriver(const std::string& name);
// The names of the data sources of `driver` (compared without regard to case).
int ListOdbcDataSourcesOfDriver(std::vector<std::string>& names, const std::string& driver);

// The installer's requests on a user data source.
enum SmDsnRequest { SM_DSN_ADD = 1, SM_DSN_CONFIG = 2, SM_DSN_REMOVE = 3 };
// Adds, reconfigures or removes a user data source of `driver`. `attributes` are "key=value"
// pairs in the form of the installer ("DSN=%s" names the source; "Server" may carry
// "host,port"; "(local)" is this machine). Written to the user's odbc.ini through the
// installer API, with the keys the driver reads.
bool SmConfigDataSource(SmDsnRequest request, const std::string& driver,
                        const std::vector<std::string>& attributes);
// The name of a new data source: "MQIS" when `names` holds none, else "MQIS%d" of one more than
// the largest number following "MQIS" in the names beginning with it (0 when none has one).
std::string SmNewDataSourceName(const std::vector<std::string>& names);
