// Carries 20,000 farmers (with their 222 upper levels) and the advance balances of 20,000
// households over 200,000 money rows from one yearly data file into a new one through the cane
// module's carry-over, beside the same copy through the bare SQLite C API: the farmer rows
// read and inserted, the balances summed per household and inserted, each in one transaction.
#include <sqlite3.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "app/SmApp.h"
#include "bench/bench_farmers.h"
#include "bench/bench_folder.h"
#include "cane/TsDataType.h"
#include "core/SmDatabase.h"
#include "core/SmString.h"
#include "weighing/TsWeighingDocs.h"
#include "weighing/TsjsRec.h"

namespace {

const int kRounds = 3;
// Two towns of ten villages of ten groups of 100 farmers; ten money rows a farmer.
const int kVillages = 20, kGroups = 10, kFarmers = 100, kRows = 10;

bool MakeFile(CSmApp& app, const std::string& path, int year) {
  std::filesystem::remove(path);
  CSmDatabase db;
  if (!db.CreateDatabase(CSmConnInfo(0), path)) return false;
  app.AfterOpen(&db);
  app.InsertDefaultRows(&db, year);
  return db.TableExists("jsSheet") && db.TableExists("NHDir");
}

bool AddMoney(CSmDatabase& db, const std::string& code, int row) {
  // Advances, returns and withholdings: items 0 to 4 (1 to 4 are advances).
  const int item = row % 5;
  const double amount = row % 3 == 0 ? 25.5 : -40.25;
  return db.ExecuteBound(
      FormatStr("Insert Into jsSheet(LB,DB,T,TH,DH,KNO,MRY,OPR0,OPR1,MU0,MU1,MY%d,FK) "
                "Values('0','2','20151101','000000',?,?,'','101','101',0,0,?,0)",
                item),
      {},
      {SmDbValue::OfText(FormatStr("%06d", row)), SmDbValue::OfText(code),
       SmDbValue::OfDouble(amount)});
}

bool Fill(CSmApp& app, const std::string& path) {
  if (!MakeFile(app, path, 2015)) return false;
  CSmDatabase db;
  if (!db.Open(path)) return false;
  db.BeginTrans();
  bool ok = BenchAddFarmer(db, "1") && BenchAddFarmer(db, "2");
  for (int v = 0; v < kVillages && ok; ++v) {
    ok = BenchAddFarmer(db, BenchFarmerCode(v));
    for (int g = 0; g < kGroups && ok; ++g) {
      ok = BenchAddFarmer(db, BenchFarmerCode(v, g));
      for (int f = 0; f < kFarmers && ok; ++f) {
        const std::string code = BenchFarmerCode(v, g, f);
        ok = BenchAddFarmer(db, code);
        for (int r = 0; r < kRows && ok; ++r) ok = AddMoney(db, code, r);
      }
    }
  }
  return ok && db.CommitTrans();
}

// The whole carry; `farmers` receives the part the farmer directory took.
double ThroughModule(CTsDataType& type, const std::string& source, const std::string& target,
                     long& rows, double& farmers) {
  CSmDatabase from, to;
  if (!from.Open(source) || !to.Open(target)) return -1;
  const auto start = std::chrono::steady_clock::now();
  bool ok = type.CarryOver(0, 0, &from, &to, nullptr);
  farmers = BenchSeconds(start);
  ok = ok && type.CarryOver(0, 4, &from, &to, nullptr);
  const double seconds = BenchSeconds(start);
  rows = to.QueryInt("Select Count(*) From NHDir") + to.QueryInt("Select Count(*) From jsSheet");
  return ok ? seconds : -1;
}

bool Step(sqlite3_stmt* stmt) {
  const int rc = sqlite3_step(stmt);
  sqlite3_reset(stmt);
  return rc == SQLITE_DONE;
}

double ThroughBareEngine(const std::string& source, const std::string& target, long& rows) {
  sqlite3 *from = nullptr, *to = nullptr;
  if (sqlite3_open_v2(source.c_str(), &from, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK ||
      sqlite3_open_v2(target.c_str(), &to, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
    return -1;
  const auto start = std::chrono::steady_clock::now();
  sqlite3_exec(to, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
  sqlite3_stmt *read = nullptr, *write = nullptr;
  bool ok = true;
  sqlite3_prepare_v2(from,
                     "Select KNO,NA,TEL,BkNO,BkHO,BkNA,NT,cs0,cs1,cs2,cs3 From NHDir Order By KNO",
                     -1, &read, nullptr);
  sqlite3_prepare_v2(to,
                     "Insert Into NHDir(KNO,NA,TEL,BkNO,BkHO,BkNA,NT,cs0,cs1,cs2,cs3) "
                     "Values(?,?,?,?,?,?,?,?,?,?,?)",
                     -1, &write, nullptr);
  while (ok && sqlite3_step(read) == SQLITE_ROW) {
    for (int c = 0; c < 11; ++c) sqlite3_bind_value(write, c + 1, sqlite3_column_value(read, c));
    ok = Step(write);
  }
  sqlite3_finalize(read);
  sqlite3_finalize(write);
  const std::string sums = TsjsSumColumnList();
  sqlite3_prepare_v2(from, ("Select " + sums + ",LB,KNO From jsSheet Group By LB,KNO").c_str(), -1,
                     &read, nullptr);
  sqlite3_prepare_v2(
      to,
      ("Insert Into jsSheet(FK," + TsjsItemColumns() +
       ",MU0,MU1,LB,DB,T,DH,KNO,MRY,OPR0,OPR1,TH) Values(0,?,?,?,?,?,?,?,?,?,?,?,?,?,?,"
       "?,0,0,?,'2','20160101','',?,'','101','101','000000')")
          .c_str(),
      -1, &write, nullptr);
  while (ok && sqlite3_step(read) == SQLITE_ROW) {
    for (int c = 0; c < 17; ++c) sqlite3_bind_value(write, c + 1, sqlite3_column_value(read, c));
    ok = Step(write);
  }
  sqlite3_finalize(read);
  sqlite3_finalize(write);
  sqlite3_exec(to, ok ? "COMMIT" : "ROLLBACK", nullptr, nullptr, nullptr);
  const double seconds = BenchSeconds(start);
  rows = BenchBareInt(to, "Select (Select Count(*) From NHDir)+(Select Count(*) From jsSheet)");
  sqlite3_close(from);
  sqlite3_close(to);
  return ok ? seconds : -1;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication qt(argc, argv);
  CSmApp app;
  auto* type = static_cast<CTsDataType*>(app.AdoptDataType(std::make_unique<CTsDataType>()));
  type->Init();
  type->SetWeighingService(std::make_unique<CTsWeighingDocs>());
  const CBenchFolder folder("sm_bench_carry");
  const std::string source = folder / "sm_bench_carry_2015.tsd";
  if (!Fill(app, source)) {
    std::printf("could not build the data file\n");
    return 1;
  }
  double ours = 0, bare = 0, farmers = 0;
  long rowsOurs = 0, rowsBare = 0;
  for (int round = 0; round < kRounds; ++round) {
    const std::string target = folder / "sm_bench_carry_2016.tsd";
    if (!MakeFile(app, target, 2016)) return 1;
    double farmerPart = 0;
    const double seconds = ThroughModule(*type, source, target, rowsOurs, farmerPart);
    if (seconds >= 0 && (ours == 0 || seconds < ours)) farmers = farmerPart;
    BenchKeepBest(ours, seconds);
    if (!MakeFile(app, target, 2016)) return 1;
    BenchKeepBest(bare, ThroughBareEngine(source, target, rowsBare));
  }
  std::printf(
      "carry of 20,222 farmers and the balances of 20,000 households (200,000 rows), "
      "best of %d\n",
      kRounds);
  std::printf("cane carry-over %8.3f s   bare SQLite %8.3f s   ratio %6.2f\n", ours, bare,
              bare > 0 ? ours / bare : 0);
  std::printf("of which the farmers %8.3f s, the balances %8.3f s\n", farmers, ours - farmers);
  std::printf("rows written: %ld and %ld\n", rowsOurs, rowsBare);
  return rowsOurs == rowsBare && rowsOurs == 40222 && ours > 0 ? 0 : 1;
}
