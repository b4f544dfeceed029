#include "cane/TsCodeTable.h"

#include "core/SmDatabase.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "platform/SmMessage.h"

const char* const kTsDataFailText = "数据操作失败！";

namespace {

bool Failed(CSmDatabase* db) {
  db->Rollback();
  SmMessageBox(kTsDataFailText, SM_MB_ICONERROR);
  return false;
}

bool Commit(CSmDatabase* db) {
  if (db->CommitTrans()) return true;
  SmMessageBox(kTsDataFailText, SM_MB_ICONERROR);
  return false;
}

bool RunAll(CSmDatabase* db, const std::vector<std::string>& statements) {
  for (const std::string& sql : statements)
    if (!db->ExecuteSQL(sql)) return false;
  return true;
}

bool Merge(CSmDatabase* db, const TsCodeChange& change) {
  if (!db->BeginTrans()) return false;
  if (change.beforeMerge && !change.beforeMerge()) return Failed(db);
  const std::string remove = FormatStr("Delete From %s Where KNO='%s'", change.table.c_str(),
                                       db->SqlText(change.oldCode).c_str());
  if (!db->ExecuteSQL(remove) || !RunAll(db, change.moveReferences)) return Failed(db);
  return Commit(db);
}

}  // namespace

long TsCountCode(CSmDatabase* db, const std::string& table, const std::string& column,
                 const std::string& code) {
  return db->QueryInt(FormatStr("Select Count(*) From %s Where %s='%s'", table.c_str(),
                                column.c_str(), db->SqlText(code).c_str()));
}

bool TsInsertUnique(CSmDatabase* db, const std::string& insert, const std::string& table,
                    const std::string& code) {
  if (!db->BeginTrans()) return false;
  if (!db->ExecuteSQL(insert, {}, 1)) return Failed(db);
  if (TsCountCode(db, table, "KNO", code) != 1) {
    db->Rollback();
    return false;
  }
  return Commit(db);
}

bool TsDeleteUnreferenced(CSmDatabase* db, const std::string& remove,
                          const std::vector<std::string>& references) {
  if (!db->BeginTrans()) return false;
  if (!db->ExecuteSQL(remove, {}, 1)) return Failed(db);
  for (const std::string& count : references) {
    if (db->QueryInt(count) < 1) continue;
    db->Rollback();
    return false;
  }
  return Commit(db);
}

bool TsUpdateOrMerge(CSmDatabase* db, const TsCodeChange& change, bool* merged) {
  if (merged) *merged = false;
  const bool moved = TrimRightSet(change.newCode, " ") != TrimRightSet(change.oldCode, " ");
  if (!db->BeginTrans()) return false;
  if (!db->ExecuteSQL(change.update, {}, 1)) return Failed(db);
  const long rows = TsCountCode(db, change.table, "KNO", change.newCode);
  // One row, or an unchanged code: the row was stored in place.
  if (rows == 1 || (!moved && rows > 1)) {
    if (moved && !RunAll(db, change.moveReferences)) return Failed(db);
    return Commit(db);
  }
  // No row: the old one is gone (or the count failed), there is nothing to merge.
  if (rows < 1) return Failed(db);
  db->Rollback();
  const std::string question =
      FormatStr(change.question, change.oldCode.c_str(), change.newCode.c_str());
  if (SmMessageBox(question, SM_MB_YESNO | SM_MB_ICONQUESTION | SM_MB_DEFBUTTON2) != SM_IDYES)
    return false;
  if (!Merge(db, change)) return false;
  if (merged) *merged = true;
  return true;
}

std::string TsNextCode(CSmDatabase* db, const std::string& table, int width) {
  const std::string highest = db->QueryCountString("Max(KNO) From " + table);
  std::string code;
  IntToFixedText(StrToIntDef(highest, 0) + 1, code, width, true);
  return code;
}
