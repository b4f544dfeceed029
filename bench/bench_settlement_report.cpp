// The settlement statistics for every farmer (the last level) and the bank payment report for
// the whole year on a season file (200,000 tickets, those of the first 50 days on slips of one
// farmer each, 20,000 farmers, each with a bank account here and one deduction row per slip): the
// reports' builders beside one hand-written grouped aggregate of the same ticket and deduction
// figures through the bare SQLite C API, on a copy of the same file. The builders' totals are
// checked against the bare figures.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/bench_bare.h"
#include "bench/bench_season.h"
#include "core/SmDatabase.h"
#include "reports/TsReportDoc2.h"
#include "reports/TsReportDoc8.h"

namespace {

const int kYear = 2016;

// Every farmer gets a bank account and every slip a loan and an advance deducted.
const char* const kSetup[] = {
    "Update NHDir Set BkNO='B'||KNO,BkHO='62'||KNO,BkNA=NA Where length(KNO)=8",
    "Insert Into jsSheet(LB,DB,T,TH,DH,KNO,MRY,OPR0,OPR1,MU0,MU1,MY0,MY1,MY2,MY3,MY4,MY5,MY6,"
    "MY7,MY8,MY9,MY10,MY11,MY12,MY13,MY14,FK) Select '0','0',min(JT0),'000000',JN0,min(KNO0),"
    "'',min(OPR2),'',0,0,10,20,0,0,0,0,0,0,0,0,0,0,0,0,0,0 From gbSheet Where JN0<>'' Group By "
    "JN0",
};

std::string From() {
  return TsSeasonDay(kYear, 0);
}
std::string To() {
  return TsSeasonDay(kYear, 364);
}

struct Totals {
  double slips = 0, weight = 0, amount = 0, deducted = 0;
};

// The sums of the farmer rows (eight-digit codes), regions left out.
Totals SumFarmers(const std::vector<CTsReportRow>& rows) {
  Totals totals;
  const TsSettlementItems items(0);
  for (const CTsReportRow& row : rows) {
    if (row.sCode.size() != 8) continue;
    totals.slips += row.Values[0];
    totals.weight += row.Values[1];
    totals.amount += row.Values[3];
    for (int j = 0; j < items.c11 + items.c12; ++j)
      totals.deducted += row.Values[items.FirstSlipItem() + j];
  }
  return totals;
}

double BuildSettlement(CSmDatabase& db, Totals& totals, size_t& count) {
  TsSettlementQuery q;
  q.sDateFrom = From();
  q.sDateTo = To();
  q.nLevel = 3;
  const auto start = std::chrono::steady_clock::now();
  std::vector<CTsReportRow> rows;
  CTsReportRow work(TsSettlementItems(0).ValueCount());
  FillSettlement(q, work, rows, &db);
  const double elapsed = BenchElapsed(start);
  totals = SumFarmers(rows);
  count = rows.size();
  return elapsed;
}

double BuildBank(CSmDatabase& db, Totals& totals, size_t& count) {
  const TsBankQuery q{0, From(), To(), ""};
  const auto start = std::chrono::steady_clock::now();
  std::vector<CTsReportRow> rows;
  CTsReportRow work(3, TsSettlementItems(0).ValueCount());
  FillBankPayment(q, work, rows, &db);
  const double elapsed = BenchElapsed(start);
  totals = SumFarmers(rows);
  count = rows.size();
  return elapsed;
}

// The same figures per farmer in one grouped statement over the tickets and one over the
// deduction rows (`bank` adds the unpaid condition and the farmers' accounts).
double Bare(CBenchBare& db, bool bank, Totals& totals) {
  const std::string period = "'" + From() + "' And JT0<='" + To() + "'";
  const std::string tickets =
      "Select KNO0,Count(distinct JN0),sum(MU0-MU1-MU2),sum(MY0),sum(MY1),sum(MY2),sum(MY3),"
      "sum(MY4) From gbSheet Where JT0>=" +
      period + " And JN0<>''" +
      (bank ? " And OPR2<>'' And OPR4='' And KNO0 In (Select KNO From NHDir Where BkHO<>'')" : "") +
      " Group By KNO0 Order By KNO0";
  const std::string deductions =
      "Select KNO,sum(MY0),sum(MY1),sum(MY2),sum(MY3),sum(MY4) From jsSheet Where LB='0' And "
      "DB='0' And DH<>'' And T>='" +
      From() + "' And T<='" + To() + "'" + (bank ? " And OPR1=''" : "") +
      " Group By KNO Order By KNO";
  const auto start = std::chrono::steady_clock::now();
  totals = {};
  db.Run(tickets, [&](sqlite3_stmt* s) {
    totals.slips += sqlite3_column_int(s, 1);
    totals.weight += sqlite3_column_double(s, 2);
    totals.amount += sqlite3_column_double(s, 3);
  });
  db.Run(deductions, [&](sqlite3_stmt* s) {
    for (int c = 1; c <= 5; ++c) totals.deducted += sqlite3_column_double(s, c);
  });
  return BenchElapsed(start);
}

bool Same(const Totals& a, const Totals& b) {
  auto near = [](double x, double y) {
    return std::fabs(x - y) <= 1e-6 * std::max(1.0, std::fabs(y));
  };
  return near(a.slips, b.slips) && near(a.weight, b.weight) && near(a.amount, b.amount) &&
         near(a.deducted, b.deducted);
}

}  // namespace

int main(int argc, char** argv) {
  CBenchSeason season(argc, argv, "bench_settlement_report");
  const std::string path = season.MakeFile(kYear);
  if (path.empty()) return 1;
  {
    CBenchBare setup(path);
    for (const char* sql : kSetup) {
      if (!setup.Run(sql)) {
        std::printf("bench_settlement_report: the setup failed: %s\n", sql);
        return 1;
      }
    }
  }
  const std::string bare = season.BareCopy(path);
  CSmDatabase db;
  CBenchBare engine(bare);
  if (!db.Open(path) || !engine.IsOpen()) return 1;

  int failures = 0;
  for (bool bank : {false, true}) {
    const char* name = bank ? "bank payment report" : "settlement statistics";
    double timeBuild = 1e9;
    double timeBare = 1e9;
    Totals built, plain;
    size_t rows = 0;
    // The best of three rounds each, taken in turns.
    for (int round = 0; round < 3; ++round) {
      timeBare = std::min(timeBare, Bare(engine, bank, plain));
      timeBuild =
          std::min(timeBuild, bank ? BuildBank(db, built, rows) : BuildSettlement(db, built, rows));
    }
    if (rows == 0 || !Same(built, plain)) {
      std::printf("bench_settlement_report: the %s differs from the bare figures\n", name);
      ++failures;
      continue;
    }
    std::printf(
        "bench_settlement_report: %s (%zu rows, %.0f slips): builder %.1f ms, bare SQLite "
        "aggregate %.1f ms, ratio %.2f\n",
        name, rows, built.slips, timeBuild * 1000, timeBare * 1000, timeBuild / timeBare);
  }
  return failures ? 1 : 0;
}
