// The farmers with their closing advance balances on a whole season (200,000 tickets, 20,000
// farmers on the default code levels, one reviewed advance for each farmer) at the last level:
// the report's builder (directory rows, household counts, delivering households, balances and
// their roll-up) beside hand-written statements for the same directory rows, delivering
// households and balances through the bare SQLite C API, on a copy of the same file.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/bench_bare.h"
#include "bench/bench_season.h"
#include "core/SmDatabase.h"
#include "reports/TsReportDoc6.h"

namespace {

const int kYear = 2016;

double Build(CSmDatabase& db, std::vector<CTsReportRow>& rows) {
  TsBalanceQuery q;
  q.nLevel = 4;
  const auto start = std::chrono::steady_clock::now();
  rows.clear();
  CTsReportRow work(TsBalanceTextCount(0), TsBalanceValueCount(0));
  FillHouseholdBalance(q, work, rows, &db);
  return BenchElapsed(start);
}

double Bare(CBenchBare& db, int& farmers, int& delivering, double& balance) {
  const auto start = std::chrono::steady_clock::now();
  farmers = 0;
  delivering = 0;
  balance = 0;
  db.Run("Select KNO,NA,TEL,NT,cs0 From NHDir Order By KNO", [&](sqlite3_stmt*) { ++farmers; });
  db.Run("Select Distinct rtrim(KNO0) From gbSheet", [&](sqlite3_stmt*) { ++delivering; });
  db.Run(
      "Select -sum(MY1),-sum(MY2),-sum(MY3),-sum(MY4),rtrim(KNO) From jsSheet Where LB='0' And "
      "OPR1<>'' Group By KNO Order By KNO",
      [&](sqlite3_stmt* row) { balance += sqlite3_column_double(row, 0); });
  return BenchElapsed(start);
}

}  // namespace

int main(int argc, char** argv) {
  CBenchSeason season(argc, argv, "bench_balance_report");
  const std::string path = season.MakeFile(kYear);
  if (path.empty()) return 1;
  {
    CBenchBare seed(path);
    std::string amounts;
    for (int i = 0; i < 15; ++i) amounts += i == 1 ? ",-100" : ",0";
    const std::string columns = ",MY0,MY1,MY2,MY3,MY4,MY5,MY6,MY7,MY8,MY9,MY10,MY11,MY12,MY13,MY14";
    if (!seed.Run("Insert Into jsSheet(LB,DB,T,TH,DH,KNO,MRY,OPR0,OPR1,MU0,MU1" + columns +
                      ",FK) Select '0','3','20160305','000000','',KNO,'','101','101',0,0" +
                      amounts + ",0 From NHDir",
                  [](sqlite3_stmt*) {}))
      return 1;
  }
  const std::string bare = season.BareCopy(path);
  CSmDatabase db;
  CBenchBare engine(bare);
  if (!db.Open(path) || !engine.IsOpen()) return 1;

  std::vector<CTsReportRow> rows;
  double timeBuild = 1e9;
  double timeBare = 1e9;
  int farmers = 0;
  int delivering = 0;
  double balance = 0;
  // The best of three rounds each, taken in turns.
  for (int round = 0; round < 3; ++round) {
    timeBare = std::min(timeBare, Bare(engine, farmers, delivering, balance));
    timeBuild = std::min(timeBuild, Build(db, rows));
  }
  // The top-level rows hold every farmer's delivery and balance.
  double builtDelivering = 0;
  double builtBalance = 0;
  const size_t top = rows.empty() ? 0 : rows[0].sCode.size();
  for (const CTsReportRow& row : rows) {
    if (row.sCode.size() != top) continue;
    builtDelivering += row.Values[1];
    builtBalance += row.Values[3];
  }
  if (static_cast<int>(rows.size()) != farmers || builtDelivering != delivering ||
      builtBalance != balance) {
    std::printf("bench_balance_report: rows %zu/%d, delivering %g/%d, balance %g/%g differ\n",
                rows.size(), farmers, builtDelivering, delivering, builtBalance, balance);
    return 1;
  }
  std::printf(
      "bench_balance_report: %zu rows, %d delivering: builder %.1f ms, bare SQLite statements "
      "%.1f ms, ratio %.2f\n",
      rows.size(), delivering, timeBuild * 1000, timeBare * 1000, timeBuild / timeBare);
  return 0;
}
