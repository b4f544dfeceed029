// The unsettled payables on a whole season (200,000 tickets, 20,000 farmers on the default code
// levels, one reviewed advance for each farmer, settled but unpaid slips counted) for every
// farmer with all item groups shown, and the advance voucher generated from it (one row per
// farmer, one transaction): the report's builder and the voucher's making and writing beside
// hand-written statements for the same figures and a prepared insert of the same rows through
// the bare SQLite C API, on a copy of the same file.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "bench/bench_bare.h"
#include "bench/bench_season.h"
#include "cane/TsItems.h"
#include "core/SmDatabase.h"
#include "core/SmNumber.h"
#include "reports/TsReportDoc3.h"
#include "weighing/TsYfDoc.h"
#include "weighing/TsgbRec.h"

namespace {

const int kYear = 2016;

TsUnsettledQuery Query(const std::string& date) {
  TsUnsettledQuery q;
  q.bGroups = {1, 1, 1, 1};
  q.bIncludeUnpaid = 1;
  q.dCashPercent = 80;
  q.sDateFrom = date;
  q.nLevel = 4;
  return q;
}

double Build(const TsUnsettledQuery& q, CSmDatabase& db, std::vector<CTsReportRow>& rows) {
  const auto start = std::chrono::steady_clock::now();
  rows.clear();
  CTsReportRow work(GetGroupLayout(0, q.bGroups).total + 5);
  FillUnsettled(q, work, rows, &db);
  return BenchElapsed(start);
}

double Generate(const std::vector<CTsReportRow>& report, const std::string& date, CSmDatabase& db,
                size_t& written) {
  const auto start = std::chrono::steady_clock::now();
  std::vector<std::pair<std::string, double>> payables;
  for (const CTsReportRow& row : report) payables.emplace_back(row.sCode, row.Values.back());
  CTsjsRec voucher;
  voucher.DB = 2;
  voucher.OPR[0] = "101";
  voucher.T = date;
  std::vector<CTsjsRec> rows = TsAdvanceRows(voucher, 1, payables, &db);
  const std::string number = TsNextDocNo(0, 2, &db);
  written = TsWriteVoucher(0, 2, false, number, rows, &db) ? rows.size() : 0;
  return BenchElapsed(start);
}

struct BareFigures {
  size_t households = 0;
  double cash = 0;
};

// The same statements as the builder's, the cash payables worked out beside them, and the
// voucher of the households' payables written with one prepared statement.
double Bare(CBenchBare& db, const std::string& date, BareFigures& f, size_t& written) {
  const auto start = std::chrono::steady_clock::now();
  struct Household {
    double amount = 0, items = 0, withheld = 0, balance = 0;
  };
  std::map<std::string, Household> households;
  db.Run(
      "Select Count(DH),sum(MU0-MU1-MU2),sum(MY0),sum(MY1),sum(MY2),sum(MY3),sum(MY4),"
      "rtrim(KNO0) From gbSheet Where T<='" +
          date + "' And OPR1<>'' And (JN0='' Or JT0>'" + date +
          "' Or OPR4='') Group By rtrim(KNO0) Order By rtrim(KNO0)",
      [&](sqlite3_stmt* row) {
        Household& h = households[CBenchBare::Column(row, 7)];
        h.amount = sqlite3_column_double(row, 2);
        h.items = sqlite3_column_double(row, 3) - sqlite3_column_double(row, 4) -
                  sqlite3_column_double(row, 5);
        h.withheld = sqlite3_column_double(row, 6);
      });
  db.Run("Select -sum(MY0),-sum(MY1),-sum(MY2),-sum(MY4),KNO From jsSheet Where LB='0' And T<='" +
             date + "' And (DB<>'0' Or OPR1<>'') Group By KNO Order By KNO",
         [&](sqlite3_stmt* row) {
           auto found = households.find(CBenchBare::Column(row, 4));
           if (found == households.end()) return;
           for (int i = 0; i < 4; ++i) found->second.balance += sqlite3_column_double(row, i);
         });
  db.Run("Select rtrim(KNO),rtrim(NA) From NHDir Order By KNO");
  f = {};
  std::vector<std::pair<std::string, double>> payables;
  for (const auto& [code, h] : households) {
    double payable = h.amount + h.items - h.withheld;
    if (h.balance > 0.000001) payable -= h.balance;
    const double cash = payable < 0.000001 ? 0 : RoundTo(80 * payable * 0.01, 2);
    ++f.households;
    f.cash += cash;
    if (cash != 0) payables.emplace_back(code, cash);
  }
  const long number = db.Count("Select Max(DH) From jsSheet Where DB='2'") + 1;
  char dh[16];
  std::snprintf(dh, sizeof dh, "%06ld", number);
  db.Run("Begin");
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db.Handle(),
                     "Insert Into jsSheet(FK,MY0,MY1,MY2,MY3,MY4,MY5,MY6,MY7,MY8,MY9,MY10,MY11,"
                     "MY12,MY13,MY14,MU0,MU1,LB,DB,T,DH,KNO,MRY,OPR0,OPR1,TH) Values(0,0,?,0,0,0,"
                     "0,0,0,0,0,0,0,0,0,0,0,0,'0','2',?,?,?,'','101','','000000')",
                     -1, &insert, nullptr);
  written = 0;
  for (const auto& [code, cash] : payables) {
    sqlite3_bind_double(insert, 1, -cash);
    sqlite3_bind_text(insert, 2, date.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(insert, 3, dh, -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(insert, 4, code.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(insert) == SQLITE_DONE) ++written;
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  db.Run("Commit");
  return BenchElapsed(start);
}

}  // namespace

int main(int argc, char** argv) {
  CBenchSeason season(argc, argv, "bench_unsettled_report");
  const std::string path = season.MakeFile(kYear);
  if (path.empty()) return 1;
  const std::string date = TsSeasonDay(kYear, TsSeasonShape{}.days - 1);
  {
    CBenchBare seed(path);
    std::string amounts;
    for (int i = 0; i < 15; ++i) amounts += i == 1 ? ",-100" : ",0";
    const std::string columns = ",MY0,MY1,MY2,MY3,MY4,MY5,MY6,MY7,MY8,MY9,MY10,MY11,MY12,MY13,MY14";
    if (!seed.Run("Insert Into jsSheet(LB,DB,T,TH,DH,KNO,MRY,OPR0,OPR1,MU0,MU1" + columns +
                  ",FK) Select '0','2','" + TsSeasonDay(kYear, 0) +
                  "','000000','',KNO,'','101','101',0,0" + amounts + ",0 From NHDir"))
      return 1;
  }
  const std::string bare = season.BareCopy(path);
  CSmDatabase db;
  CBenchBare engine(bare);
  if (!db.Open(path) || !engine.IsOpen()) return 1;
  TsBuildItemTables();

  const TsUnsettledQuery q = Query(date);
  std::vector<CTsReportRow> rows;
  double timeBuild = 1e9, timeWrite = 1e9, timeBare = 1e9;
  BareFigures figures;
  size_t written = 0, bareWritten = 0;
  // The best of three rounds each, taken in turns; each voucher is taken out again after it.
  for (int round = 0; round < 3; ++round) {
    timeBare = std::min(timeBare, Bare(engine, date, figures, bareWritten));
    engine.Run("Delete From jsSheet Where DB='2' And DH<>''");
    timeBuild = std::min(timeBuild, Build(q, db, rows));
    timeWrite = std::min(timeWrite, Generate(rows, date, db, written));
    db.ExecuteSQL("Delete From jsSheet Where DB='2' And DH<>''");
  }
  size_t households = 0;
  double cash = 0;
  for (const CTsReportRow& row : rows) {
    if (row.sCode.size() != 8) continue;
    ++households;
    cash += row.Values.back();
  }
  if (households != figures.households || std::fabs(cash - figures.cash) > 0.005 ||
      written != bareWritten || written == 0) {
    std::printf("bench_unsettled_report: households %zu/%zu, cash %.2f/%.2f, rows %zu/%zu differ\n",
                households, figures.households, cash, figures.cash, written, bareWritten);
    return 1;
  }
  std::printf(
      "bench_unsettled_report: %zu households, cash %.2f: report %.1f ms and voucher of %zu rows "
      "%.1f ms, bare SQLite statements and insert %.1f ms, ratio %.2f\n",
      households, cash, timeBuild * 1000, written, timeWrite * 1000, timeBare * 1000,
      (timeBuild + timeWrite) / timeBare);
  return 0;
}
