#pragma once
// What the timed programs over a farmer directory share: the clock, the best of several
// rounds, and the codes and rows of two towns of ten villages of ten groups of farmers (level
// lengths 1, 2, 2, 3).
#include <sqlite3.h>

#include <chrono>
#include <filesystem>
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

// A data file of 20,000 farmers in that directory, each with ten tickets and one money
// document (200,000 tickets), and one place in a village.
inline bool BenchFillCaneFile(const std::string& path) {
  const int villages = 20, groups = 10, farmers = 100, tickets = 10;
  const char* const create[] = {
      "CREATE TABLE NHDir(KNO CHAR(15),NA CHAR(30),TEL CHAR(20),BkNO CHAR(30),BkHO CHAR(30),"
      "BkNA CHAR(30),NT CHAR(60),cs0 Double,cs1 Double,cs2 Double,cs3 Double)",
      "CREATE INDEX NHDir ON NHDir(KNO)",
      "CREATE TABLE AdrDir(KNO CHAR(5),NA CHAR(40),QY CHAR(15),NT CHAR(60),jl Double,ypr Double,"
      "cs0 Double,cs1 Double,cs2 Double,cs3 Double)",
      "CREATE TABLE gbSheet(T CHAR(8),DH CHAR(8),OPR1 CHAR(3),KNO0 CHAR(15),KNO3 CHAR(15),MU0 "
      "Double)",
      "CREATE INDEX gbSheet1 ON gbSheet(KNO0)",
      "CREATE TABLE jsSheet(LB CHAR(1),DB CHAR(1),T CHAR(8),DH CHAR(8),KNO CHAR(15),MY0 Double)",
      "CREATE INDEX jsSheet1 ON jsSheet(KNO)",
      "CREATE TABLE SYSCSTAB(CS LONG,CSN LONG,CSNA CHAR(200),CSVAL CHAR(200))",
  };
  CSmDatabase db;
  if (!db.CreateDatabase(CSmConnInfo(0), path)) return false;
  for (const char* sql : create)
    if (!db.ExecuteSQL(sql)) return false;
  db.BeginTrans();
  bool ok = BenchAddFarmer(db, "1") && BenchAddFarmer(db, "2");
  for (int v = 0; v < villages && ok; ++v) {
    ok = BenchAddFarmer(db, BenchFarmerCode(v));
    for (int g = 0; g < groups && ok; ++g) {
      ok = BenchAddFarmer(db, BenchFarmerCode(v, g));
      for (int f = 0; f < farmers && ok; ++f) {
        const std::string code = BenchFarmerCode(v, g, f);
        ok = BenchAddFarmer(db, code) &&
             db.ExecuteBound(
                 "Insert Into jsSheet(LB,DB,T,DH,KNO,MY0) Values('0','0','20160101',"
                 "'000001',?,0)",
                 {}, {SmDbValue::OfText(code)});
        for (int t = 0; t < tickets && ok; ++t)
          ok = db.ExecuteBound(
              "Insert Into gbSheet(T,DH,OPR1,KNO0,KNO3,MU0) Values('20160101',"
              "?,'101',?,'1',1.5)",
              {}, {SmDbValue::OfText(std::to_string(t)), SmDbValue::OfText(code)});
      }
    }
  }
  ok = ok && db.ExecuteSQL(
                 "Insert Into AdrDir(KNO,NA,QY,NT,jl,ypr,cs0,cs1,cs2,cs3) "
                 "Values('001','河边','10101','',0,0,0,0,0,0)");
  return ok && db.CommitTrans();
}

// A copy of the file beside it under `name`.
inline std::string BenchCopyFile(const std::string& from, const char* name) {
  const std::filesystem::path to = std::filesystem::path(from).parent_path() / name;
  std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
  return to.string();
}

// Runs the statements through the bare SQLite C API and times them; `counted` is the answer
// of `count` afterwards. -1 when a statement failed.
template <size_t N>
double BenchRunBare(const std::string& path, const char* const (&statements)[N], const char* count,
                    long& counted) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) !=
      SQLITE_OK)
    return -1;
  const auto start = std::chrono::steady_clock::now();
  bool ok = true;
  for (const char* sql : statements) {
    sqlite3_stmt* stmt = nullptr;
    ok = ok && sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) == SQLITE_OK;
    while (ok && sqlite3_step(stmt) == SQLITE_ROW) {
    }
    sqlite3_finalize(stmt);
  }
  const double seconds = BenchSeconds(start);
  counted = BenchBareInt(db, count);
  sqlite3_close(db);
  return ok ? seconds : -1;
}
