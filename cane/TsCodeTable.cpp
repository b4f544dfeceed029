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

long TsCountCode(CSmDatabase* db, const std::string& table, const std::string& column,
                 const std::string& code) {
  return db->QueryInt(FormatStr("Select Count(*) From %s Where %s='%s'", table.c_str(),
                                column.c_str(), db->SqlText(code).c_str()));
}

bool TsInsertUnique(CSmDatabase* db, const std::string& insert, const std::string& table,
                    const std::string& code) {
  return InTransaction(db, [&](bool& failed) {
    failed = !db->ExecuteSQL(insert, {}, 1);
    return !failed && TsCountCode(db, table, "KNO", code) == 1;
  });
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

bool TsUpdateOrMerge(CSmDatabase* db, const TsCodeChange& change, bool* merged) {
  if (merged) *merged = false;
  const bool moved = TrimRightSet(change.newCode, " ") != TrimRightSet(change.oldCode, " ");
  bool taken = false;  // the new code belongs to another row
  const bool stored = InTransaction(db, [&](bool& failed) {
    failed = !db->ExecuteSQL(change.update, {}, 1);
    if (failed) return false;
    const long rows = TsCountCode(db, change.table, "KNO", change.newCode);
    // No row: the old one is gone (or the count failed); there is nothing to store or merge.
    failed = rows < 1;
    taken = moved && rows > 1;
    if (failed || taken) return false;
    failed = moved && !RunAll(db, change.moveReferences);
    return !failed;
  });
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
