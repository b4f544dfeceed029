// Moves a village holding 1,000 of 20,000 farmers (200,000 tickets, one money document per
// farmer) to a new code through CNH::ChangeCode, beside the same statements run through the
// bare SQLite C API on a copy of the same file, each in one transaction.
#include <sqlite3.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "app/SmApp.h"
#include "bench/bench_farmers.h"
#include "cane/TsDataType.h"
#include "cane/TsNH.h"
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
};

// The statements of the move in the engine's own words.
const char* const kBareMove[] = {
    "BEGIN IMMEDIATE",
    "Select CS0,CS1,CS2,CS3,KNO,NA,TEL,BkNO,BkHO,BkNA,NT From NHDir Where KNO='101' Order By KNO",
    "Select Count(*),Max(Length(rtrim(KNO))) From NHDir Where KNO LIKE '101%'",
    "Delete From NHDir Where KNO='101'",
    "Select Count(*) From NHDir Where KNO='111'",
    "Insert Into NHDir(CS0,CS1,CS2,CS3,KNO,NA,TEL,BkNO,BkHO,BkNA,NT) Values (0.0000,0.0000,"
    "0.0000,0.0000,'111','北村','','','','','')",
    "Select CS0,CS1,CS2,CS3,KNO,NA,TEL,BkNO,BkHO,BkNA,NT From NHDir Where KNO='111' Order By KNO",
    "Update NHDir Set KNO='111'||substr(KNO,4,30) Where KNO LIKE '101%'",
    "Update gbSheet Set KNO0='111'||substr(KNO0,4,30) Where KNO0 Like '101%'",
    "Update jsSheet Set KNO='111'||substr(KNO,4,30) Where LB='0' And KNO Like '101%'",
    "Update AdrDir Set QY='111'||substr(QY,4,30) Where QY Like '101%'",
    "COMMIT",
};

bool Fill(const std::string& path) {
  CSmDatabase db;
  if (!db.CreateDatabase(CSmConnInfo(0), path)) return false;
  for (const char* sql : kCreate)
    if (!db.ExecuteSQL(sql)) return false;
  db.BeginTrans();
  bool ok = BenchAddFarmer(db, "1") && BenchAddFarmer(db, "2");
  for (int v = 0; v < kVillages && ok; ++v) {
    ok = BenchAddFarmer(db, BenchFarmerCode(v));
    for (int g = 0; g < kGroups && ok; ++g) {
      ok = BenchAddFarmer(db, BenchFarmerCode(v, g));
      for (int f = 0; f < kFarmers && ok; ++f) {
        const std::string code = BenchFarmerCode(v, g, f);
        ok = BenchAddFarmer(db, code) &&
             db.ExecuteBound(
                 "Insert Into jsSheet(LB,DB,T,DH,KNO,MY0) Values('0','0','20160101',"
                 "'000001',?,0)",
                 {}, {SmDbValue::OfText(code)});
        for (int t = 0; t < kTickets && ok; ++t)
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

std::string Copy(const std::string& from, const char* name) {
  const std::filesystem::path to = std::filesystem::path(from).parent_path() / name;
  std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
  return to.string();
}

double ThroughRecord(const std::string& path, long& moved) {
  CSmDatabase db;
  if (!db.Open(path)) return -1;
  CNH village(&db, "101");
  village.Load(0);
  CNH target = village;
  target.KNO = "111";
  target.NA = "北村";
  const auto start = std::chrono::steady_clock::now();
  const bool ok = target.ChangeCode(village, true);
  const double seconds = BenchSeconds(start);
  moved = db.QueryInt("Select Count(*) From gbSheet Where KNO0 Like '111\x07*\x08'");
  return ok ? seconds : -1;
}

double ThroughBareEngine(const std::string& path, long& moved) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) !=
      SQLITE_OK)
    return -1;
  const auto start = std::chrono::steady_clock::now();
  bool ok = true;
  for (const char* sql : kBareMove) {
    sqlite3_stmt* stmt = nullptr;
    ok = ok && sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) == SQLITE_OK;
    while (ok && sqlite3_step(stmt) == SQLITE_ROW) {
    }
    sqlite3_finalize(stmt);
  }
  const double seconds = BenchSeconds(start);
  moved = BenchBareInt(db, "Select Count(*) From gbSheet Where KNO0 Like '111%'");
  sqlite3_close(db);
  return ok ? seconds : -1;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication qt(argc, argv);
  CSmApp app;
  app.AdoptDataType(std::make_unique<CTsDataType>())->Init();  // level lengths 1, 2, 2, 3
  const std::string source =
      (std::filesystem::temp_directory_path() / "sm_bench_coderec.tsd").string();
  std::filesystem::remove(source);
  if (!Fill(source)) {
    std::printf("could not build the data file\n");
    return 1;
  }
  double ours = 0, bare = 0;
  long movedOurs = 0, movedBare = 0;
  for (int round = 0; round < kRounds; ++round) {
    BenchKeepBest(ours, ThroughRecord(Copy(source, "sm_bench_coderec_ours.tsd"), movedOurs));
    BenchKeepBest(bare, ThroughBareEngine(Copy(source, "sm_bench_coderec_bare.tsd"), movedBare));
  }
  std::printf("move of a village with 1,000 of 20,000 farmers, 200,000 tickets, best of %d\n",
              kRounds);
  std::printf("CNH::ChangeCode %8.3f s   bare SQLite %8.3f s   ratio %6.2f\n", ours, bare,
              bare > 0 ? ours / bare : 0);
  std::printf("tickets moved: %ld and %ld\n", movedOurs, movedBare);
  return movedOurs == 10000 && movedBare == 10000 && ours > 0 ? 0 : 1;
}
