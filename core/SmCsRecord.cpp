#include "core/SmCsRecord.h"

#include <cstdlib>

#include "core/SmDatabase.h"
#include "core/SmQuery.h"
#include "platform/SmMessage.h"

namespace {

const char kNoDatabase[] = "数据库对象为空，无法执行：\n";

std::string GroupWhere(long cs, long csN) {
  return "Where Cs=" + std::to_string(cs) + " And CsN=" + std::to_string(csN);
}

// A number text as the program writes numbers: optional sign, digits, one point.
bool ReadNumber(const std::string& text, double& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return end && *end == '\0';
}

}  // namespace

CSmCsRecord& CSmCsRecord::operator=(const CSmCsRecord& other) {
  if (this != &other) Set(other.Cs, other.CsN, other.CsNa, other.CsVal);
  return *this;
}

void CSmCsRecord::Set(long cs, long csN, const std::string& csNa, const std::string& csVal) {
  Cs = cs;
  CsN = csN;
  CsNa = csNa;
  CsVal = csVal;
}

bool CSmCsRecord::ExecuteSql(const std::string& jet, const std::string& server, CSmDatabase* db,
                             int options) {
  if (!db) db = m_db;
  if (!db) {
    SmMessageBox(kNoDatabase + jet);
    return false;
  }
  return db->ExecuteSQL(jet, server, options, true);
}

bool CSmCsRecord::Delete(long cs, long csN, CSmDatabase* db) {
  return ExecuteSql("Delete From SysCsTab " + GroupWhere(cs, csN), {}, db, 0);
}

bool CSmCsRecord::DeleteGroup(long cs, CSmDatabase* db) {
  return ExecuteSql("Delete From SysCsTab Where Cs=" + std::to_string(cs), {}, db, 0);
}

bool CSmCsRecord::DeleteWhere(const std::string& jetClause, const std::string& serverClause,
                              CSmDatabase* db) {
  const std::string& server = serverClause.empty() ? jetClause : serverClause;
  return ExecuteSql("Delete From SysCsTab " + jetClause, "Delete From SysCsTab " + server, db, 0);
}

bool CSmCsRecord::Insert(CSmDatabase* db, int options) {
  if (!db) db = m_db;
  if (!db) return ExecuteSql("Insert Into SysCsTab", {}, db, options);  // reports the missing db
  const std::string sql = "Insert Into SysCsTab(Cs,CsN,CsNa,CsVal) Values(" + std::to_string(Cs) +
                          "," + std::to_string(CsN) + ",'" + db->SqlText(CsNa) + "','" +
                          db->SqlText(CsVal) + "')";
  return ExecuteSql(sql, {}, db, options);
}

int CSmCsRecord::Query(const std::string& jetWhere, const std::string& serverWhere,
                       const std::string& jetTail, const std::string& serverTail,
                       CSmCsRecordArray* rows, CSmDatabase* db) {
  if (rows) rows->clear();
  const std::string head = "Select Cs,CsN,Rtrim(CsNa),Rtrim(CsVal) From SysCsTab";
  const std::string jet = head + " " + jetWhere + " " + jetTail;
  const std::string server = head + " " + (serverWhere.empty() ? jetWhere : serverWhere) + " " +
                             (serverTail.empty() ? jetTail : serverTail);
  if (!db) db = m_db;
  if (!db) {
    SmMessageBox(kNoDatabase + jet);
    return 0;
  }
  CSmQuery query(2, 0, 2, db);
  query.SetFieldName(0, 0, "Cs");
  query.SetFieldName(0, 1, "CsN");
  if (!query.Open(jet, server)) return 0;
  int count = 0;
  for (; !query.IsEOF(); query.MoveNext()) {
    Set(query.GetInt(0), query.GetInt(1), query.GetString(0), query.GetString(1));
    if (rows) rows->push_back(*this);
    ++count;
  }
  return count;
}

bool CSmCsRecord::Load(long cs, long csN, CSmDatabase* db) {
  CSmCsRecordArray rows;
  if (Query(GroupWhere(cs, csN), {}, {}, {}, &rows, db) < 1) return false;
  *this = rows.front();
  return true;
}

std::string CSmCsRecord::LoadByName(long cs, long csN, const std::string& name, CSmDatabase* db) {
  if (!db) db = m_db;
  if (!db) return {};
  CSmCsRecordArray rows;
  const std::string where = GroupWhere(cs, csN) + " And CsNa='" + db->SqlText(name) + "'";
  if (Query(where, {}, {}, {}, &rows, db) < 1) return {};
  return rows.front().CsVal;
}

int CSmCsRecord::LoadGroup(long cs, CSmCsRecordArray* rows, CSmDatabase* db) {
  return Query("Where Cs=" + std::to_string(cs) + " Order By CsN", {}, {}, {}, rows, db);
}

int CSmCsRecord::LoadRows(long cs, long csN, CSmCsRecordArray* rows, CSmDatabase* db) {
  return Query(GroupWhere(cs, csN), {}, {}, {}, rows, db);
}

std::string CSmCsRecord::GetMaxValue(long cs, long csN) {
  if (!m_db) return {};
  return m_db->QueryCountString("Max(CsVal) FROM SysCsTab " + GroupWhere(cs, csN), {}, nullptr,
                                255);
}

double CSmCsRecord::GetMaxNumber(long cs, long csN) {
  double value = 0;
  return ReadNumber(GetMaxValue(cs, csN), value) ? value : 0;
}
