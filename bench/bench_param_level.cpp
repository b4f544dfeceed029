// Grows the second farmer code level from two to three characters with 20,000 farmers and
// 200,000 tickets through the parameter save (every rewrite, the parameter row, one
// transaction), beside the same statements run through the bare SQLite C API on a copy of the
// same file.
#include <QApplication>
#include <cstdio>
#include <string>

#include "app/SmApp.h"
#include "bench/bench_farmers.h"
#include "bench/bench_folder.h"
#include "cane/TsDataType.h"
#include "cane/TsParamChange.h"
#include "core/SmDatabase.h"
#include "core/SmString.h"

namespace {

const int kRounds = 3;

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
  const double seconds = BenchSeconds(start);
  grown = db.QueryInt(kGrownTickets);
  return ok ? seconds : -1;
}

double ThroughBareEngine(const std::string& path, long& grown) {
  return BenchRunBare(path, kBareGrow, kGrownTickets, grown);
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication qt(argc, argv);
  CSmApp app;
  app.AdoptDataType(std::make_unique<CTsDataType>())->Init();
  const CBenchFolder folder("sm_bench_param_level");
  const std::string source = folder / "sm_bench_param_level.tsd";
  if (!BenchFillCaneFile(source)) {
    std::printf("could not build the data file\n");
    return 1;
  }
  double ours = 0, bare = 0;
  long grownOurs = 0, grownBare = 0;
  for (int round = 0; round < kRounds; ++round) {
    BenchKeepBest(
        ours, ThroughParamSave(BenchCopyFile(source, "sm_bench_param_level_ours.tsd"), grownOurs));
    BenchKeepBest(
        bare, ThroughBareEngine(BenchCopyFile(source, "sm_bench_param_level_bare.tsd"), grownBare));
  }
  std::printf("farmer level 2 grown to 3 with 20,000 farmers, 200,000 tickets, best of %d\n",
              kRounds);
  std::printf("TsSaveParamChange %8.3f s   bare SQLite %8.3f s   ratio %6.2f\n", ours, bare,
              bare > 0 ? ours / bare : 0);
  std::printf("tickets grown: %ld and %ld\n", grownOurs, grownBare);
  return grownOurs == 200000 && grownBare == 200000 && ours > 0 ? 0 : 1;
}
