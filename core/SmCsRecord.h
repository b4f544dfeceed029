#pragma once
// Rows of the parameter table SysCsTab: group (Cs), number in the group (CsN), name (CsNa)
// and value (CsVal). A record is a row buffer bound to a connection; operations that take a
// database use the record's own when given none.
#include <string>
#include <vector>

class CSmDatabase;
class CSmCsRecord;
using CSmCsRecordArray = std::vector<CSmCsRecord>;

class CSmCsRecord {
 public:
  CSmCsRecord() = default;
  explicit CSmCsRecord(CSmDatabase* db) : m_db(db) {}
  // Copies take the four values; a copy has no database, an assigned record keeps its own.
  CSmCsRecord(const CSmCsRecord& other)
      : Cs(other.Cs), CsN(other.CsN), CsNa(other.CsNa), CsVal(other.CsVal) {}
  CSmCsRecord& operator=(const CSmCsRecord& other);

  void Set(long cs, long csN, const std::string& csNa, const std::string& csVal);
  void Clear() { Set(0, 0, {}, {}); }
  CSmDatabase* Database() const { return m_db; }

  bool ExecuteSql(const std::string& jet, const std::string& server, CSmDatabase* db, int options);
  bool Delete(long cs, long csN, CSmDatabase* db = nullptr);
  bool DeleteGroup(long cs, CSmDatabase* db = nullptr);
  bool DeleteWhere(const std::string& jetClause, const std::string& serverClause,
                   CSmDatabase* db = nullptr);
  // Name and value are inserted as they stand: the caller makes them safe (SqlText).
  bool Insert(CSmDatabase* db = nullptr, int options = 0);

  int Query(const std::string& jetWhere, const std::string& serverWhere, const std::string& jetTail,
            const std::string& serverTail, CSmCsRecordArray* rows, CSmDatabase* db = nullptr);
  bool Load(long cs, long csN, CSmDatabase* db = nullptr);
  // The name is inserted as it stands: the caller makes it safe.
  std::string LoadByName(long cs, long csN, const std::string& name, CSmDatabase* db = nullptr);
  int LoadGroup(long cs, CSmCsRecordArray* rows, CSmDatabase* db = nullptr);
  int LoadRows(long cs, long csN, CSmCsRecordArray* rows, CSmDatabase* db = nullptr);
  std::string GetMaxValue(long cs, long csN);
  double GetMaxNumber(long cs, long csN);

  long Cs = 0;
  long CsN = 0;
  std::string CsNa;
  std::string CsVal;

 private:
  CSmDatabase* m_db = nullptr;
};
