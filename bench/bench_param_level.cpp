// Grows the second farmer code level from two to three characters with 20,000 farmers and
// 200,000 tickets through the parameter save (every rewrite, the parameter row, one
// transaction), beside the same statements run through the bare SQLite C API on a copy of the
// same file.
#include <sqlite3.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "app/SmApp.h"
#include "cane/TsDataType.h"
#include "cane/TsParamChange.h"
#include "core/SmDatabase.h"
#include "core/SmString.h"

namespace {

const int kRounds = 3;
// Two towns of ten villages of ten groups of 100 farmers; ten tickets a farmer.
const int kVillages = 20, kGroups = 10, kFarmers = 100, kTickets = 10;

const char* const kCreate[] = {
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

// The statements of the change in the engine's own words.
const char* const kBareGrow[] = {
    "BEGIN IMMEDIATE",
    "Update NHDir Set KNO=substr(KNO,1,1)||'0'||substr(KNO,2,30) Where length(rtrim(KNO))>1",
    "Update gbSheet Set KNO0=substr(KNO0,1,1)||'0'||substr(KNO0,2,30) Where "
    "length(rtrim(KNO0))>1",
    "Update jsSheet Set KNO=substr(KNO,1,1)||'0'||substr(KNO,2,30) Where LB='0' And "
    "length(rtrim(KNO))>1",
    "Update AdrDir Set QY=substr(QY,1,1)||'0'||substr(QY,2,30) Where length(rtrim(QY))>1",
    "Delete From SysCsTab Where Cs=9130 And CsN=1",
    "Insert Into SysCsTab(Cs,CsN,CsNa,CsVal) Values(9130,1,'农户2级代码长度','3')",
    "COMMIT",
};

const char* const kGrownTickets = "Select Count(*) From gbSheet Where length(rtrim(KNO0))=9";

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

std::string Code(int village, int group = -1, int farmer = -1) {
  std::string code = FormatStr("%d%02d", village / 10 + 1, village % 10 + 1);
  if (group >= 0) code += FormatStr("%02d", group + 1);
  if (farmer >= 0) code += FormatStr("%03d", farmer + 1);
  return code;
}

bool AddFarmer(CSmDatabase& db, const std::string& code) {
  return db.ExecuteBound(
      "Insert Into NHDir(KNO,NA,TEL,BkNO,BkHO,BkNA,NT,cs0,cs1,cs2,cs3) "
      "Values(?,?,'','','','','',0,0,0,0)",
      {}, {SmDbValue::OfText(code), SmDbValue::OfText("农户" + code)});
}

bool AddTickets(CSmDatabase& db, const std::string& code) {
  bool ok = db.ExecuteBound(
      "Insert Into jsSheet(LB,DB,T,DH,KNO,MY0) Values('0','0','20160101','000001',?,0)", {},
      {SmDbValue::OfText(code)});
  for (int t = 0; t < kTickets && ok; ++t)
    ok = db.ExecuteBound(
        "Insert Into gbSheet(T,DH,OPR1,KNO0,KNO3,MU0) Values('20160101',?,'101',?,'1',1.5)", {},
        {SmDbValue::OfText(std::to_string(t)), SmDbValue::OfText(code)});
  return ok;
}

bool Fill(const std::string& path) {
  CSmDatabase db;
  if (!db.CreateDatabase(CSmConnInfo(0), path)) return false;
  for (const char* sql : kCreate)
    if (!db.ExecuteSQL(sql)) return false;
  db.BeginTrans();
  bool ok = AddFarmer(db, "1") && AddFarmer(db, "2");
  for (int v = 0; v < kVillages && ok; ++v) {
    ok = AddFarmer(db, Code(v));
    for (int g = 0; g < kGroups && ok; ++g) {
      ok = AddFarmer(db, Code(v, g));
      for (int f = 0; f < kFarmers && ok; ++f)
        ok = AddFarmer(db, Code(v, g, f)) && AddTickets(db, Code(v, g, f));
    }
  }
  ok = ok && db.ExecuteSQL(
                 "Insert Into AdrDir(KNO,NA,QY,NT,jl,ypr,cs0,cs1,cs2,cs3) "
                 "Values('001','河边','10101','',0,0,0,0,0,0)");
  return ok && db.CommitTrans();
}

std::string Copy(const std::string& from, const char* name) {
  const std::filesystem::path to = std::filesystem::path(from).parent_path() / name;
  std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
  return to.string();
}

double ThroughParamSave(const std::string& path, long& grown) {
  CSmDatabase db;
  if (!db.Open(path)) return -1;
  CTsParamChange change;
  change.kind = 0;
  change.number = 1;
  change.name = "农户2级代码长度";
  change.value = "3";
  change.logNote = "修改农户2级代码长度：2 --> 3";
  const auto start = std::chrono::steady_clock::now();
  change.rewrites = TsLevelLengthRewrites(true, 1, 2, 3);
  const bool ok = TsSaveParamChange(&db, change);
  const double seconds = Seconds(start);
  grown = db.QueryInt(kGrownTickets);
  return ok ? seconds : -1;
}

double ThroughBareEngine(const std::string& path, long& grown) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) !=
      SQLITE_OK)
    return -1;
  const auto start = std::chrono::steady_clock::now();
  bool ok = true;
  for (const char* sql : kBareGrow) {
    sqlite3_stmt* stmt = nullptr;
    ok = ok && sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) == SQLITE_OK;
    while (ok && sqlite3_step(stmt) == SQLITE_ROW) {
    }
    sqlite3_finalize(stmt);
  }
  const double seconds = Seconds(start);
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db, kGrownTickets, -1, &stmt, nullptr);
  grown = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int(stmt, 0) : 0;
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  return ok ? seconds : -1;
}

void KeepBest(double& best, double seconds) {
  if (seconds >= 0 && (best == 0 || seconds < best)) best = seconds;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication qt(argc, argv);
  CSmApp app;
  app.AdoptDataType(std::make_unique<CTsDataType>())->Init();
  const std::string source =
      (std::filesystem::temp_directory_path() / "sm_bench_param_level.tsd").string();
  std::filesystem::remove(source);
  if (!Fill(source)) {
    std::printf("could not build the data file\n");
    return 1;
  }
  double ours = 0, bare = 0;
  long grownOurs = 0, grownBare = 0;
  for (int round = 0; round < kRounds; ++round) {
    KeepBest(ours, ThroughParamSave(Copy(source, "sm_bench_param_level_ours.tsd"), grownOurs));
    KeepBest(bare, ThroughBareEngine(Copy(source, "sm_bench_param_level_bare.tsd"), grownBare));
  }
  std::printf("farmer level 2 grown to 3 with 20,000 farmers, 200,000 tickets, best of %d\n",
              kRounds);
  std::printf("TsSaveParamChange %8.3f s   bare SQLite %8.3f s   ratio %6.2f\n", ours, bare,
              bare > 0 ? ours / bare : 0);
  std::printf("tickets grown: %ld and %ld\n", grownOurs, grownBare);
  return grownOurs == 200000 && grownBare == 200000 && ours > 0 ? 0 : 1;
}
