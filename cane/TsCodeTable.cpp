#include "cane/TsCodeTable.h"

#include "core/SmDatabase.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "platform/SmMessage.h"

const char* const kTsDataFailText = "数据操作失败！";

namespace {

// Runs `work` in one transaction. A failing statement (the work sets `failed`) has shown its
// box; kTsDataFailText follows it. Any other false answer is a refusal without a message.
bool InTransaction(CSmDatabase* db, const std::function<bool(bool& failed)>& work) {
  bool failed = false;
  if (SmRunInTransaction(db, [&] { return work(failed); })) return true;
  if (failed) SmMessageBox(kTsDataFailText, SM_MB_ICONERROR);
  return false;
}

bool RunAll(CSmDatabase* db, const std::vector<std::string>& statements) {
  for (const std::string& sql : statements)
    if (!db->ExecuteSQL(sql)) return false;
  return true;
}

bool Merge(CSmDatabase* db, const TsCodeChange& change) {
  const std::string remove = FormatStr("Delete From %s Where KNO='%s'", change.table.c_str(),
                                       db->SqlText(change.oldCode).c_str());
  return InTransaction(db, [&](bool& failed) {
    failed = (change.beforeMerge && !change.beforeMerge()) || !db->ExecuteSQL(remove) ||
             !RunAll(db, change.moveReferences);
    return !failed;
  });
}

}  // namespace

std::string TsChangedElsewhereText(const std::string& code, bool deleted) {
  return deleted ? FormatStr("“%s”已被另一工作站删除，本次修改没有保存！", code.c_str())
                 : FormatStr("“%s”已被另一工作站修改，本次修改没有保存！\n请重新打开后再修改。",
                             code.c_str());
}

long TsCountCode(CSmDatabase* db, const std::string& table, const std::string& column,
                 const std::string& code) {
  return db->QueryInt(FormatStr("Select Count(*) From %s Where %s='%s'", table.c_str(),
                                column.c_str(), db->SqlText(code).c_str()));
}

bool TsInsertUnique(CSmDatabase* db, const std::string& insert, const std::string& table,
                    const std::string& code) {
  return InTransaction(db, [&](bool& failed) {
    bool duplicate = false;
    failed = !TsExecuteKeyed(db, insert, duplicate) && !duplicate;
    return !failed && !duplicate && TsCountCode(db, table, "KNO", code) == 1;
  });
}

bool TsExecuteKeyed(CSmDatabase* db, const std::string& sql, bool& duplicate) {
  duplicate = false;
  if (db->ExecuteSQL(sql, {}, 1, false)) return true;
  duplicate = db->LastFailure() == SmDbFailure::Duplicate;
  if (!duplicate) db->ReportLastFailure();
  return false;
}

bool TsDeleteUnreferenced(CSmDatabase* db, const std::string& remove,
                          const std::vector<std::string>& references) {
  return InTransaction(db, [&](bool& failed) {
    failed = !db->ExecuteSQL(remove, {}, 1);
    if (failed) return false;
    for (const std::string& count : references)
      if (db->QueryInt(count) > 0) return false;
    return true;
  });
}

bool TsUpdateOrMerge(CSmDatabase* db, const TsCodeChange& change, bool* merged, bool* stale) {
  if (merged) *merged = false;
  const bool moved = TrimRightSet(change.newCode, " ") != TrimRightSet(change.oldCode, " ");
  bool taken = false;  // the new code belongs to another row
  std::string refusal;
  const bool stored = InTransaction(db, [&](bool& failed) {
    const std::string old = "Where KNO='" + db->SqlText(change.oldCode) + "'";
    failed = !db->LockRows(change.table, "KNO", old);
    if (failed || (change.stillAsShown && !change.stillAsShown(refusal))) return false;
    bool duplicate = false;
    failed = !TsExecuteKeyed(db, change.update, duplicate) && !duplicate;
    if (failed) return false;
    // The table's key refuses the new code of another row; without the key it is counted.
    const long rows = duplicate ? 2 : TsCountCode(db, change.table, "KNO", change.newCode);
    // No row: the old one is gone (or the count failed); there is nothing to store or merge.
    failed = rows < 1;
    taken = moved && rows > 1;
    if (failed || taken) return false;
    failed = moved && !RunAll(db, change.moveReferences);
    if (failed || !change.alongside || change.alongside(refusal)) return !failed;
    failed = refusal.empty();
    return false;
  });
  if (stale) *stale = !refusal.empty();
  if (!refusal.empty()) SmMessageBox(refusal, SM_MB_ICONERROR);
  if (stored || !taken) return stored;
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
