#pragma once
// The updatable one-table recordset behind CSmDatabase::CopyTable: reads the rows of a SELECT
// by column name on one connection, or adds rows to a table on another.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/SmDbBackend.h"

class CSmDatabase;

class CSmTableRecordset {
 public:
  explicit CSmTableRecordset(CSmDatabase* db) : m_db(db) {}

  // Reading: opens the statement of the connection's kind (an empty server text means the Jet
  // text); a failure shows "执行下列SQL语句时出错！" with the statement.
  bool Open(const std::string& jet, const std::string& server);
  bool IsEOF() const { return m_eof; }
  // True when the rows ended on an error rather than at their end.
  bool ReadFailed() const { return m_cursor && !m_cursor->Error().empty(); }
  void MoveNext();
  long long GetInt(const std::string& column) const;
  double GetDouble(const std::string& column) const;
  // Without trailing white space.
  std::string GetString(const std::string& column) const;
  std::vector<unsigned char> GetBinary(const std::string& column) const;
  // The same by position in the statement's column list.
  long long GetIntAt(int column) const;
  double GetDoubleAt(int column) const;
  std::string GetStringAt(int column) const;

  // Writing: rows go into `table`; only the named columns are written.
  void OpenForInsert(const std::string& table) { m_table = table; }
  bool AddNew();
  bool SetValue(const std::string& column, const SmDbValue& value);
  bool Update();

 private:
  int Column(const std::string& name) const;
  bool HasValue(int column) const;

  CSmDatabase* m_db;
  std::unique_ptr<CSmDbCursor> m_cursor;
  mutable std::map<std::string, int> m_columns;  // upper-case name: position (first of twins)
  bool m_eof = true;
  std::string m_table;
  bool m_adding = false;
  std::vector<std::pair<std::string, SmDbValue>> m_row;
};
