// The ticket detail list over a whole season (200,000 tickets, the farmer, driver, variety and
// place names joined in the statement): the report's builders (the tickets read, one row each)
// beside one hand-written join giving the same rows through the bare SQLite C API on a copy of
// the same file. Then one ticket item recomputed from its formula over the season and saved,
// beside one update statement in a transaction through the bare engine.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/bench_bare.h"
#include "bench/bench_season.h"
#include "cane/TsItems.h"
#include "core/SmDatabase.h"
#include "platform/SmMessage.h"
#include "reports/TsReportDoc7.h"

namespace {

const int kYear = 2016;

TsSlipQuery Season() {
  TsSlipQuery q;
  q.sDateFrom = TsSeasonDay(kYear, 0);
  q.sDateTo = TsSeasonDay(kYear, 365);
  return q;
}

double Build(CSmDatabase& db, std::vector<CTsReportRow>& rows) {
  const auto start = std::chrono::steady_clock::now();
  rows.clear();
  CTsReportRow work(14, TsSlipValueCount());
  ReadSlipTickets(Season(), &db, [&](const CTsgbRec& ticket, const TsSlipNames& names) {
    TsSlipDetailRow(ticket, names, work);
    rows.push_back(work);
  });
  return BenchElapsed(start);
}

double Bare(CBenchBare& db, int& rows, int& named) {
  const TsSlipQuery q = Season();
  const auto start = std::chrono::steady_clock::now();
  rows = 0;
  named = 0;
  std::string sql =
      "Select g.T,g.DH,g.KNO0,n.NA,g.KNO1,d.NA,g.KNO3,p.NA,g.KNO2,a.NA,g.OPR0,g.OPR1,g.OPR2,"
      "g.OPR3,g.OPR4,g.OPR5,g.OPR6,g.OPR7,g.MU0,g.MU1,g.MU2,g.MU3,g.PR0,g.PR1";
  for (int i = 0; i < 12; ++i) sql += ",g.MY" + std::to_string(i);
  sql +=
      " From gbSheet g Left Join NHDir n On n.KNO=g.KNO0 Left Join DriverDir d On d.KNO=g.KNO1 "
      "Left Join GP p On p.KNO=g.KNO3 Left Join AdrDir a On a.KNO=g.KNO2 Where g.T>='" +
      q.sDateFrom + "' And g.T<='" + q.sDateTo + "' Order By g.T,g.DH";
  db.Run(sql, [&](sqlite3_stmt* row) {
    ++rows;
    for (int column : {3, 5, 7, 9}) {
      if (sqlite3_column_bytes(row, column) > 0) ++named;
    }
  });
  return BenchElapsed(start);
}

int Named(const std::vector<CTsReportRow>& rows) {
  int named = 0;
  for (const CTsReportRow& row : rows) {
    named += !row.sName.empty();
    for (int text : {4, 6, 8}) named += !row.Texts[text].empty();
  }
  return named;
}

// The first cane item recomputed over the season and saved; the number of changed tickets.
double Recalculate(CSmDatabase& db, int& changed) {
  CTsReportDoc7 doc;
  doc.m_db = &db;
  doc.OnInitDocument();
  const TsSlipQuery q = Season();
  doc.query.sDateFrom = q.sDateFrom;
  doc.query.sDateTo = q.sDateTo;
  for (int kind = 0; kind < 2; ++kind) {
    for (int category = 0; category < 2; ++category) {
      doc.chosen[kind][category].assign(TsGetKindItemCount(kind, 0, category, 0), false);
    }
  }
  doc.chosen[0][0][0] = true;
  const auto start = std::chrono::steady_clock::now();
  int leftAlone = 0;
  changed = doc.RecalculateTickets(leftAlone);
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  if (!doc.Save(0)) changed = -1;
  return BenchElapsed(start);
}

double BareUpdate(CBenchBare& db, int& changed) {
  const TsSlipQuery q = Season();
  const auto start = std::chrono::steady_clock::now();
  db.Run("Begin");
  db.Run("Update gbSheet Set MY1=round(20*(MU0-MU1-MU2),2) Where T>='" + q.sDateFrom +
         "' And T<='" + q.sDateTo + "' And JN0='' And abs(MY1-round(20*(MU0-MU1-MU2),2))>=0.00001");
  changed = db.Changes();
  db.Run("Commit");
  return BenchElapsed(start);
}

}  // namespace

int main(int argc, char** argv) {
  CBenchSeason season(argc, argv, "bench_slip_detail");
  CSmDatabase db;
  std::unique_ptr<CBenchBare> bare;
  if (!season.OpenBoth(kYear, db, bare)) return 1;
  CBenchBare& engine = *bare;

  std::vector<CTsReportRow> rows;
  double timeBuild = 1e9, timeBare = 1e9;
  int bareRows = 0, bareNamed = 0;
  // The best of three rounds each, taken in turns.
  for (int round = 0; round < 3; ++round) {
    timeBare = std::min(timeBare, Bare(engine, bareRows, bareNamed));
    timeBuild = std::min(timeBuild, Build(db, rows));
  }
  const int named = Named(rows);

  // The subsidy of cane item 0 becomes 20 per ton: the unsettled tickets change once.
  auto* cane = static_cast<CTsDataType*>(season.App().FindDataType(16));
  cane->m_strParams[0] = "补助款\t0+\t20*#sl";
  cane->BuildItemTables();
  int changed = 0;
  int bareChanged = 0;
  const double timeRecalc = Recalculate(db, changed);
  const double timeBareUpdate = BareUpdate(engine, bareChanged);
  if (static_cast<int>(rows.size()) != bareRows || named != bareNamed || changed <= 0 ||
      changed != bareChanged) {
    std::printf("bench_slip_detail: rows %zu/%d, names %d/%d, changed %d/%d differ\n", rows.size(),
                bareRows, named, bareNamed, changed, bareChanged);
    return 1;
  }
  std::printf(
      "bench_slip_detail: %zu rows: builders %.1f ms, bare SQLite join %.1f ms, ratio %.2f\n",
      rows.size(), timeBuild * 1000, timeBare * 1000, timeBuild / timeBare);
  std::printf(
      "bench_slip_detail: one item recomputed and saved on %d tickets: %.1f ms, bare SQLite "
      "update %.1f ms, ratio %.2f\n",
      changed, timeRecalc * 1000, timeBareUpdate * 1000, timeRecalc / timeBareUpdate);
  return 0;
}
