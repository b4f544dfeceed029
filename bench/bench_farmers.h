#pragma once
// What the timed programs over a farmer directory share: the clock, the best of several
// rounds, and the codes and rows of two towns of ten villages of ten groups of farmers (level
// lengths 1, 2, 2, 3).
#include <sqlite3.h>

#include <chrono>
#include <string>

#include "core/SmDatabase.h"
#include "core/SmString.h"

inline double BenchSeconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

inline void BenchKeepBest(double& best, double seconds) {
  if (seconds >= 0 && (best == 0 || seconds < best)) best = seconds;
}

// The code of a village, of a group in it or of a farmer in the group.
inline std::string BenchFarmerCode(int village, int group = -1, int farmer = -1) {
  std::string code = FormatStr("%d%02d", village / 10 + 1, village % 10 + 1);
  if (group >= 0) code += FormatStr("%02d", group + 1);
  if (farmer >= 0) code += FormatStr("%03d", farmer + 1);
  return code;
}

inline bool BenchAddFarmer(CSmDatabase& db, const std::string& code) {
  return db.ExecuteBound(
      "Insert Into NHDir(KNO,NA,TEL,BkNO,BkHO,BkNA,NT,cs0,cs1,cs2,cs3) "
      "Values(?,?,'','','','','',0,0,0,0)",
      {}, {SmDbValue::OfText(code), SmDbValue::OfText("农户" + code)});
}

// The first column of the first row of a query through the bare SQLite C API; 0 without one.
inline long BenchBareInt(sqlite3* db, const char* sql) {
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
  const long value = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int64(stmt, 0) : 0;
  sqlite3_finalize(stmt);
  return value;
}
