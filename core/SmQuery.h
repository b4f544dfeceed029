#pragma once
// The one way the program reads the rows of a SELECT. The caller declares how many integer,
// number and text columns the statement returns (the SELECT lists them in that order) and
// reads the current row by position within each type.
#include <memory>
#include <string>
#include <vector>

#include "core/SmDbBackend.h"

class CSmDatabase;

class CSmQuery {
 public:
  CSmQuery(int intCount, int doubleCount, int stringCount, CSmDatabase* db);
  ~CSmQuery();
  CSmQuery(const CSmQuery&) = delete;
  CSmQuery& operator=(const CSmQuery&) = delete;

  // Declares the counts (again, before the next Open) and takes the connection's kind.
  void SetColumnCounts(int intCount, int doubleCount, int stringCount, CSmDatabase* db);
  // Column names of one type (0 integer, 1 number, other text). Kept for the data file kind;
  // columns are read by position there as well, so naming is never required.
  void SetFieldName(int type, int index, const std::string& name);
  void SetFieldNames(int type, const std::vector<std::string>& names);
  // Longest text read on the server kinds (255 unless set).
  void SetTextWidth(int width) { m_textWidth = width; }

  // Runs the statement; an empty server text means the Jet text. Failures are reported.
  bool Open(const std::string& jet, const std::string& server = {});
  bool IsEOF() const { return m_eof; }
  void MoveNext();
  void Close();

  // Values of the current row; a position past the declared count is reported and gives a
  // neutral value.
  long GetInt(int pos);
  double GetDouble(int pos);
  const std::string& GetString(int pos);
  const std::vector<long>& GetIntValues() const { return m_ints; }
  const std::vector<double>& GetDoubleValues() const { return m_doubles; }
  const std::vector<std::string>& GetStringValues() const { return m_strings; }

 private:
  void ResetValues();
  bool FillRow();
  void ReportError(const std::string& translated, const std::string& engineError);

  CSmDatabase* m_db = nullptr;
  int m_kind = 0;
  int m_textWidth = 255;
  std::unique_ptr<CSmDbCursor> m_cursor;
  std::string m_translated;  // the statement as it was run
  bool m_eof = true;
  std::vector<long> m_ints;
  std::vector<double> m_doubles;
  std::vector<std::string> m_strings;
  std::vector<std::string> m_names[3];
  std::string m_empty;
};
