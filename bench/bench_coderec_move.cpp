// Moves a village holding 1,000 of 20,000 farmers (200,000 tickets, one money document per
// farmer) to a new code through CNH::ChangeCode, beside the same statements run through the
// bare SQLite C API on a copy of the same file, each in one transaction.
#include <QApplication>
#include <chrono>
#include <cstdio>
#include <string>

#include "app/SmApp.h"
#include "bench/bench_farmers.h"
#include "bench/bench_folder.h"
#include "cane/TsDataType.h"
#include "cane/TsNH.h"
#include "core/SmDatabase.h"
#include "core/SmString.h"

namespace {

const int kRounds = 3;

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
  return BenchRunBare(path, kBareMove, "Select Count(*) From gbSheet Where KNO0 Like '111%'",
                      moved);
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication qt(argc, argv);
  CSmApp app;
  app.AdoptDataType(std::make_unique<CTsDataType>())->Init();  // level lengths 1, 2, 2, 3
  const CBenchFolder folder("sm_bench_coderec");
  const std::string source = folder / "sm_bench_coderec.tsd";
  if (!BenchFillCaneFile(source)) {
    std::printf("could not build the data file\n");
    return 1;
  }
  double ours = 0, bare = 0;
  long movedOurs = 0, movedBare = 0;
  for (int round = 0; round < kRounds; ++round) {
    BenchKeepBest(ours,
                  ThroughRecord(BenchCopyFile(source, "sm_bench_coderec_ours.tsd"), movedOurs));
    BenchKeepBest(bare,
                  ThroughBareEngine(BenchCopyFile(source, "sm_bench_coderec_bare.tsd"), movedBare));
  }
  std::printf("move of a village with 1,000 of 20,000 farmers, 200,000 tickets, best of %d\n",
              kRounds);
  std::printf("CNH::ChangeCode %8.3f s   bare SQLite %8.3f s   ratio %6.2f\n", ours, bare,
              bare > 0 ? ours / bare : 0);
  std::printf("tickets moved: %ld and %ld\n", movedOurs, movedBare);
  return movedOurs == 10000 && movedBare == 10000 && ours > 0 ? 0 : 1;
}
