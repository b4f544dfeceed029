#pragma once
// The data environment of one log-in. This is the part the shell needs before the full
// environment (back end, data file, SYSTAB values, registry persistence) is built here: the
// database kind, the logged-in operator and his rights string, and the connection.
#include <string>

class CSmDatabase;

class CSmEnvironment {
 public:
  // The open connection, or null while no data file is open.
  CSmDatabase* GetDatabase() const { return m_db; }
  // 0 Access/Jet file, 1 ODBC data source, 2 server by name.
  int GetDatabaseKind() const { return m_dbKind; }
  void SetDatabaseKind(int kind) { m_dbKind = kind; }

  const std::string& GetOperator() const { return m_operator; }
  void SetOperator(const std::string& number) { m_operator = number; }
  // The operator's right codes, each followed by one blank.
  const std::string& GetRights() const { return m_rights; }
  void SetRights(const std::string& rights) { m_rights = rights; }

  // Closes the connection (shutdown).
  void Close() { m_db = nullptr; }

 private:
  CSmDatabase* m_db = nullptr;
  int m_dbKind = 0;
  std::string m_operator;
  std::string m_rights;
};
