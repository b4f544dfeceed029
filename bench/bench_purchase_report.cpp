// The purchase statistics of a whole season (200,000 tared tickets, 20,000 farmers on the
// default code levels) built at the farmers' last level and at level 1: the report's builder
// (directory rows, ticket and estimate aggregates, roll-up, rates) beside one hand-written
// aggregate of the same ticket figures through the bare SQLite C API, on a copy of the same
// file. The builder's rows are checked against rolling every ticket row into every directory
// row one pair at a time.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/bench_bare.h"
#include "bench/bench_season.h"
#include "core/SmDatabase.h"
#include "core/SmQuery.h"
#include "reports/TsReportDoc1.h"

namespace {

const int kYear = 2016;

TsPurchaseQuery Query(int level) {
  TsPurchaseQuery q;
  q.sDateFrom = TsSeasonDay(kYear, 0);
  q.sDateTo = TsSeasonDay(kYear, 364);
  q.nLevel = level;
  return q;
}

double Build(const TsPurchaseQuery& q, CSmDatabase& db, std::vector<CTsReportRow>& rows) {
  const auto start = std::chrono::steady_clock::now();
  rows.clear();
  CTsReportRow work(TsPurchaseValueCount(0));
  FillPurchase(q, work, rows, &db);
  return BenchElapsed(start);
}

double Bare(CBenchBare& db, const TsPurchaseQuery& q, int length, int& groups) {
  const std::string key = "substr(KNO0,1," + std::to_string(length) + ")";
  const std::string sql =
      "Select " + key +
      ",Count(DH),sum(MU0-MU1-MU2),sum(MY0),sum(MY1),sum(MY2),sum(MY3) From gbSheet Where T>='" +
      q.sDateFrom + "' And T<='" + q.sDateTo + "' And OPR1<>'' Group By " + key + " Order By " +
      key;
  const auto start = std::chrono::steady_clock::now();
  groups = 0;
  db.Run(sql, [&](sqlite3_stmt*) { ++groups; });
  return BenchElapsed(start);
}

// The rows as every directory row collecting every ticket row whose code it begins.
bool SameAsPairwise(const TsPurchaseQuery& q, CSmDatabase& db,
                    const std::vector<CTsReportRow>& built) {
  const std::array<int, 5> lengths = TsGetLevelLengths(false);
  CTsReportRow work(TsPurchaseValueCount(0));
  std::vector<CTsReportRow> rows;
  work.LoadNames(0, lengths, q.nLevel, "", rows, &db);
  CSmQuery query(1, 5, 1, &db);
  if (!query.Open("Select Count(DH),sum(MU0-MU1-MU2),sum(MY0),sum(MY1),sum(MY2),sum(MY3),"
                  "Left(KNO0," +
                  std::to_string(lengths[q.nLevel]) + ") From gbSheet Where T>='" + q.sDateFrom +
                  "' And T<='" + q.sDateTo + "' And OPR1<>'' Group By Left(KNO0," +
                  std::to_string(lengths[q.nLevel]) + ")"))
    return false;
  for (; !query.IsEOF(); query.MoveNext()) {
    work.Clear();
    work.Values[0] = query.GetInt(0);
    work.Values[4] = query.GetDouble(0);
    work.Values[6] = query.GetDouble(1);
    for (int i = 0; i < 3; ++i) work.Values[7 + i] = query.GetDouble(2 + i);
    work.sCode = query.GetString(0);
    for (CTsReportRow& row : rows) row.AddChild(work);
  }
  for (CTsReportRow& row : rows) ComputeRates(row, 0);
  if (rows.size() != built.size()) return false;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].sCode != built[i].sCode) return false;
    for (size_t v = 0; v < rows[i].Values.size(); ++v) {
      // The builder also adds the estimates, which the season file does not have.
      if (std::fabs(rows[i].Values[v] - built[i].Values[v]) > 1e-6) return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  CBenchSeason season(argc, argv, "bench_purchase_report");
  const std::string path = season.MakeFile(kYear);
  if (path.empty()) return 1;
  const std::string bare = season.BareCopy(path);
  CSmDatabase db;
  CBenchBare engine(bare);
  if (!db.Open(path) || !engine.IsOpen()) return 1;

  const std::array<int, 5> lengths = TsGetLevelLengths(false);
  int failures = 0;
  for (int level : {3, 0}) {
    const TsPurchaseQuery q = Query(level);
    std::vector<CTsReportRow> rows;
    double timeBuild = 1e9;
    double timeBare = 1e9;
    int groups = 0;
    // The best of three rounds each, taken in turns.
    for (int round = 0; round < 3; ++round) {
      timeBare = std::min(timeBare, Bare(engine, q, lengths[level], groups));
      timeBuild = std::min(timeBuild, Build(q, db, rows));
    }
    if (rows.empty() || !SameAsPairwise(q, db, rows)) {
      std::printf("bench_purchase_report: level %d rows differ from the pairwise roll-up\n",
                  level + 1);
      ++failures;
      continue;
    }
    std::printf(
        "bench_purchase_report: level %d (%zu rows, %d ticket groups): builder %.1f ms, bare "
        "SQLite aggregate %.1f ms, ratio %.2f\n",
        level + 1, rows.size(), groups, timeBuild * 1000, timeBare * 1000, timeBuild / timeBare);
  }
  return failures ? 1 : 0;
}
