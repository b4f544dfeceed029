#include "designer/RiloRptEntry.h"

#include "core/SmDatabase.h"
#include "core/SmGbk.h"
#include "core/SmQuery.h"
#include "core/SmString.h"
#include "designer/RiloData.h"
#include "designer/RiloDb.h"
#include "platform/SmMessage.h"
#include "ui/SmWaitCursor.h"

namespace {

constexpr char kCopyPrefix[] = "复件_";

int Refuse(const char* text) {
  SmMessageBox(text, SM_MB_OK);
  return 0;
}

// The condition that selects a child number and its descendants.
std::string SubtreeCondition(CSmDatabase* db, const std::string& subNo) {
  const std::string quoted = db->SqlText(subNo);
  return FormatStr("(sSubNo='%s' Or Left(sSubNo,%d+1)='%s\\')", quoted.c_str(),
                   static_cast<int>(subNo.size()), quoted.c_str());
}

bool MoveSubtree(CSmDatabase* db, int nNo, const std::string& from, const std::string& to) {
  const std::string newPrefix = db->SqlText(to);
  const std::string oldPath = db->SqlText(from);
  const int oldLength = static_cast<int>(from.size());
  return db->ExecuteSQL(FormatStr("Update bbInfo6 Set sSubNo='%s'+Mid(sSubNo,%d,15) Where nNo=%d "
                                  "And %s",
                                  newPrefix.c_str(), oldLength + 1, nNo,
                                  SubtreeCondition(db, from).c_str())) &&
         db->ExecuteSQL(FormatStr("Update bbInfo7 Set sSubNo='%s'+Mid(sSubNo,%d,15) Where nNo=%d "
                                  "And Left(sSubNo,%d+1)='%s\\'",
                                  newPrefix.c_str(), oldLength + 1, nNo, oldLength,
                                  oldPath.c_str()));
}

}  // namespace

bool CRiloRptEntry::Load(int nNo, const std::string& subNo, CSmDatabase* db) {
  CSmQuery query(0, 0, 2, db);
  if (!query.Open(FormatStr("Select rtrim(sNa),rtrim(srptNo) From bbInfo7 Where nNo=%d And "
                            "sSubNo='%s'",
                            nNo, db->SqlText(subNo).c_str())) ||
      query.IsEOF())
    return false;
  m_nNo = nNo;
  m_subNo = subNo;
  m_name = query.GetString(0);
  m_code = query.GetString(1);
  return true;
}

int CRiloRptEntry::List(const std::string& where, std::vector<CRiloRptEntry>& entries,
                        CSmDatabase* db) {
  CSmQuery query(1, 0, 3, db);
  if (!query.Open("Select nNo,rtrim(sSubNo),rtrim(sNa),rtrim(srptNo) From bbInfo7 " + where))
    return 0;
  for (; !query.IsEOF(); query.MoveNext()) {
    entries.emplace_back(static_cast<int>(query.GetInt(0)), query.GetString(0), query.GetString(1),
                         query.GetString(2));
  }
  return static_cast<int>(entries.size());
}

bool CRiloRptEntry::HasChildCells(int nNo, CSmDatabase* db) {
  return db->QueryCountInt(FormatStr("Count(*) From bbInfo6 Where nNo=%d", nNo)) > 0;
}

bool CRiloRptEntry::CheckStorable() const {
  if (GbkSize(m_name) > kSmReportNameWidth)
    return SmRefuseStore(FormatStr("名称超过%zu个字节，不能保存！", kSmReportNameWidth));
  if (GbkSize(m_code) > kSmReportCodeWidth)
    return SmRefuseStore(FormatStr("上报表号超过%zu个字节，不能保存！", kSmReportCodeWidth));
  if (m_subNo.size() > kSmChildNoWidth)
    return SmRefuseStore(FormatStr("子表号超过%zu个字符，不能保存！", kSmChildNoWidth));
  return true;
}

int CRiloRptEntry::Update(const CRiloRptEntry& old, CSmDatabase* db) const {
  if (*this == old) return 1;
  if (!m_subNo.empty() && !old.m_subNo.empty() && m_nNo == old.m_nNo)
    return CheckStorable() ? UpdateChild(old, db) : 0;
  if (m_subNo.empty() && old.m_subNo.empty()) return CheckStorable() ? UpdateMaster(old, db) : 0;
  return 0;
}

int CRiloRptEntry::UpdateChild(const CRiloRptEntry& old, CSmDatabase* db) const {
  if (m_subNo.starts_with(old.m_subNo + "\\")) return Refuse("子表不能移到它自己的下级！");
  int result = 0;
  SmRunInTransaction(db, [&] {
    if (!db->ExecuteSQL(FormatStr("Update bbInfo7 Set sSubNo='%s',sNa='%s',srptNo='%s' \t\t\t"
                                  "Where nNo=%d And sSubNo='%s'",
                                  db->SqlText(m_subNo).c_str(), db->SqlText(m_name).c_str(),
                                  db->SqlText(m_code).c_str(), m_nNo,
                                  db->SqlText(old.m_subNo).c_str())))
      return false;
    if (db->QueryCountInt(FormatStr("Count(*) From bbInfo7 Where nNo=%d And sSubNo='%s'", m_nNo,
                                    db->SqlText(m_subNo).c_str())) != 1)
      return Refuse("该子表已存在！") != 0;
    const int oldLength = static_cast<int>(old.m_subNo.size());
    long longest =
        db->QueryCountInt(FormatStr("max(Len(Rtrim(sSubNo))) From bbInfo7 Where nNo=%d "
                                    "And %s",
                                    m_nNo, SubtreeCondition(db, old.m_subNo).c_str()));
    if (longest < 1) longest = oldLength;
    if (static_cast<long>(m_subNo.size()) + longest - oldLength >
        static_cast<long>(kSmChildNoWidth))
      return Refuse("修改成目标表号后表号超长！") != 0;
    if (m_subNo != old.m_subNo && !MoveSubtree(db, m_nNo, old.m_subNo, m_subNo)) return false;
    result = 1;
    return true;
  });
  return result;
}

int CRiloRptEntry::UpdateMaster(const CRiloRptEntry& old, CSmDatabase* db) const {
  int result = 0;
  SmRunInTransaction(db, [&] {
    if (!db->ExecuteSQL(FormatStr("Update bbInfo Set nNo=%d,sNa='%s' Where nNo=%d", m_nNo,
                                  db->SqlText(m_name).c_str(), old.m_nNo),
                        {}, 1))
      return false;
    if (db->QueryCountInt(FormatStr("Count(*) From bbInfo Where nNo=%d", m_nNo)) != 1)
      return Refuse("该报表已存在！") != 0;
    if (!db->ExecuteSQL(FormatStr("Update bbInfo7 Set sNa='%s',srptNo='%s' Where nNo=%d And "
                                  "sSubNo=''",
                                  db->SqlText(m_name).c_str(), db->SqlText(m_code).c_str(),
                                  old.m_nNo)))
      return false;
    if (m_nNo != old.m_nNo) {
      for (int table = 1; table <= 7; ++table) {
        if (!db->ExecuteSQL(
                FormatStr("Update bbInfo%d Set nNo=%d Where nNo=%d", table, m_nNo, old.m_nNo)))
          return false;
      }
      if (!db->ExecuteSQL(FormatStr("Update SMVAR Set nNo=%d Where nSoft=%d And nNo=%d", m_nNo,
                                    kSmReportModule, old.m_nNo)))
        return false;
    }
    result = 1;
    return true;
  });
  return result;
}

bool CRiloRptEntry::Delete(int nNo, const std::string& subNo, CSmDatabase* db) {
  return SmRunInTransaction(db, [&] {
    if (!subNo.empty()) {
      const std::string where = SubtreeCondition(db, subNo);
      return db->ExecuteSQL(
                 FormatStr("Delete From bbInfo6 Where nNo=%d And %s", nNo, where.c_str())) &&
             db->ExecuteSQL(
                 FormatStr("Delete From bbInfo7 Where nNo=%d And %s", nNo, where.c_str()));
    }
    for (const char* suffix : {"", "1", "2", "3", "4", "5", "6", "7"}) {
      if (!db->ExecuteSQL(FormatStr("Delete From bbInfo%s Where nNo=%d", suffix, nNo)))
        return false;
    }
    return db->ExecuteSQL(
        FormatStr("Delete From SMVAR Where nSoft=%d And nNo=%d", kSmReportModule, nNo));
  });
}

bool CRiloRptEntry::CopyReport(int sourceNo, int& newNo, CSmDatabase* target, CSmDatabase* source) {
  if (source->QueryCountInt(FormatStr("Count(*) From bbInfo Where nNo=%d", sourceNo)) < 1)
    return false;
  CSmWaitCursor wait;
  CRiloData sheet;
  if (!sheet.LoadFromDb(sourceNo, {}, false, source)) return false;
  std::vector<std::string> children;
  source->QueryStrings(
      FormatStr("Select rtrim(sSubNo) From bbInfo7 Where nNo=%d And sSubNo<>''", sourceNo),
      &children, 1);
  int number = sourceNo;
  if (CRiloRptEntry().Load(sourceNo, {}, target)) {
    number = static_cast<int>(target->QueryCountInt("max(nNo) From bbInfo")) + 1;
    if (!sheet.m_reportName.starts_with(kCopyPrefix))
      sheet.m_reportName = GbkCut(kCopyPrefix + sheet.m_reportName, kSmReportNameWidth);
  }
  const bool copied = SmRunInTransaction(target, [&] {
    if (!sheet.SaveToDb(number, {}, false, target)) return false;
    for (const std::string& child : children) {
      sheet.ReadChildCells(sourceNo, child, true, source);
      if (!sheet.WriteChildCells(number, child, true, target)) return false;
    }
    return true;
  });
  if (copied) newNo = number;
  return copied;
}

int CRiloRptEntry::CopyChildStructure(int sourceNo, const std::string& sourceSubNo, int targetNo,
                                      const std::string& targetSubNo, CSmDatabase* target,
                                      CSmDatabase* source) {
  std::vector<CRiloRptEntry> entries;
  const std::string where =
      sourceSubNo.empty()
          ? FormatStr("Where nNo=%d And sSubNo<>''", sourceNo)
          : FormatStr("Where nNo=%d And Left(sSubNo,%d+1)='%s\\'", sourceNo,
                      static_cast<int>(sourceSubNo.size()), source->SqlText(sourceSubNo).c_str());
  List(where, entries, source);
  const std::string joint = !targetSubNo.empty() && sourceSubNo.empty() ? "\\" : "";
  const size_t cut = sourceSubNo.size() + (targetSubNo.empty() && !sourceSubNo.empty() ? 1 : 0);
  return SmRunInTransaction(target,
                            [&] {
                              for (const CRiloRptEntry& entry : entries) {
                                CRiloRptEntry copy(targetNo,
                                                   targetSubNo + joint + entry.m_subNo.substr(cut),
                                                   entry.m_name, entry.m_code);
                                if (copy.m_subNo.size() > kSmChildNoWidth) continue;
                                CRiloRptEntry stored;
                                if (stored.Load(copy.m_nNo, copy.m_subNo, target)) {
                                  if (!copy.Update(stored, target)) return false;
                                  continue;
                                }
                                if (!copy.CheckStorable() ||
                                    !target->ExecuteSQL(FormatStr(
                                        "Insert into bbInfo7(nNo,sSubNo,sNa,srptNo) \t\t\t\t"
                                        "Values(%d,'%s','%s','%s')",
                                        copy.m_nNo, target->SqlText(copy.m_subNo).c_str(),
                                        target->SqlText(copy.m_name).c_str(),
                                        target->SqlText(copy.m_code).c_str())))
                                  return false;
                              }
                              return true;
                            })
             ? 1
             : 0;
}
