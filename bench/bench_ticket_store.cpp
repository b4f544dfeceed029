// The ticket store on a season's data file (200,000 tickets, 20,000 farmers): saving a new
// ticket (next number, insert, count of the number) and loading one day's tickets, beside the
// same statements run through the bare SQLite C API on a copy of the same file.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_bare.h"
#include "bench/bench_season.h"
#include "cane/TsParams.h"
#include "core/SmDatabase.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "weighing/TsgbRec.h"

namespace {

const int kYear = 2016;
const int kSaves = 200;
const int kDays = 20;

CTsgbRec NewTicket() {
  CTsgbRec rec;
  rec.T = TsSeasonDay(kYear, 119);
  rec.OPR[0] = "101";
  rec.KNO[0] = "10101001";
  rec.KNO[1] = "001";
  rec.KNO[2] = "001";
  rec.MU[0] = 31.5;
  return rec;
}

// --- through the program

double SaveThroughStore(CSmDatabase& db) {
  const auto start = std::chrono::steady_clock::now();
  for (int n = 0; n < kSaves; ++n) {
    CTsgbRec rec = NewTicket();
    rec.DH = TsNextDocNo(0, -1, &db);
    if (rec.DH.empty() || rec.Insert(&db) != 1) return -1;
  }
  return BenchElapsed(start);
}

double LoadThroughStore(CSmDatabase& db, long& rows) {
  const auto start = std::chrono::steady_clock::now();
  CTsgbRec rec;
  std::vector<CTsgbRec> list;
  for (int day = 0; day < kDays; ++day)
    rows += rec.Select("Where T='" + TsSeasonDay(kYear, 40 + day) + "'", "Order by DH", list, &db);
  return BenchElapsed(start);
}

// --- through the bare engine

double SaveThroughBare(CBenchBare& db) {
  const CTsgbRec rec = NewTicket();
  const auto start = std::chrono::steady_clock::now();
  for (int n = 0; n < kSaves; ++n) {
    long max = 0;
    long count = 0;
    db.Run("Select Max(DH) From gbSheet",
           [&](sqlite3_stmt* s) { max = StrToLongDef(CBenchBare::Column(s, 0), 0); });
    const std::string dh = IntToFixedStr(static_cast<int>(max + 1), TsGetTicketNoLen());
    const std::string insert = FormatStr(
        "Insert Into gbSheet(%s) Values(0,0,0,%.4lf,0.0000,0.0000,0.0000,0.00,0.00,%s,'%s','%s',"
        "'%s','','','','','','','','','','','','%s','%s','%s','','%s')",
        CTsgbRec::ColumnList().c_str(), rec.MU[0], rec.ItemValueList().c_str(), rec.T.c_str(),
        dh.c_str(), rec.OPR[0].c_str(), rec.KNO[0].c_str(), rec.KNO[1].c_str(), rec.KNO[2].c_str(),
        "083000");
    const bool ok = db.Run("BEGIN IMMEDIATE") && db.Run(insert) &&
                    db.Run("Select Count(*) From gbSheet Where DH='" + dh + "'",
                           [&](sqlite3_stmt* s) { count = sqlite3_column_int(s, 0); }) &&
                    count == 1 && db.Run("COMMIT");
    if (!ok) return -1;
  }
  return BenchElapsed(start);
}

double LoadThroughBare(CBenchBare& db, long& rows) {
  const auto start = std::chrono::steady_clock::now();
  std::vector<CTsgbRec> list;
  for (int day = 0; day < kDays; ++day) {
    list.clear();
    db.Run("Select " + CTsgbRec::ColumnList() + " From gbSheet Where T='" +
               TsSeasonDay(kYear, 40 + day) + "' Order by DH",
           [&](sqlite3_stmt* s) {
             CTsgbRec& rec = list.emplace_back();
             rec.PRT[0] = sqlite3_column_int(s, 0);
             rec.PRT[1] = sqlite3_column_int(s, 1);
             rec.FK = sqlite3_column_int(s, 2);
             for (int i = 0; i < 4; ++i) rec.MU[i] = sqlite3_column_double(s, 3 + i);
             rec.PR[0] = sqlite3_column_double(s, 7);
             rec.PR[1] = sqlite3_column_double(s, 8);
             for (int i = 0; i < 12; ++i) rec.MY[i] = sqlite3_column_double(s, 9 + i);
             std::string* texts[] = {&rec.T,      &rec.DH,     &rec.OPR[0], &rec.OPR[1],
                                     &rec.OPR[2], &rec.OPR[3], &rec.OPR[4], &rec.OPR[5],
                                     &rec.OPR[6], &rec.OPR[7], &rec.JT[0],  &rec.JT[1],
                                     &rec.JN[0],  &rec.JN[1],  &rec.KNO[0], &rec.KNO[1],
                                     &rec.KNO[2], &rec.KNO[3], &rec.TH};
             for (int i = 0; i < 19; ++i) *texts[i] = CBenchBare::Column(s, 21 + i);
           });
    rows += static_cast<long>(list.size());
  }
  return BenchElapsed(start);
}

void ShowPlans(CBenchBare& db) {
  for (const char* sql :
       {"Select Count(*) From gbSheet Where DH='000001'", "Select Max(DH) From gbSheet"}) {
    std::string plan;
    db.Run(std::string("EXPLAIN QUERY PLAN ") + sql,
           [&](sqlite3_stmt* s) { plan += (plan.empty() ? "" : "; ") + CBenchBare::Column(s, 3); });
    std::printf("  plan of %s: %s\n", sql, plan.c_str());
  }
}

}  // namespace

int main(int argc, char** argv) {
  CBenchSeason season(argc, argv, "bench_ticket_store");
  const auto made = std::chrono::steady_clock::now();
  const std::string path = season.MakeFile(kYear);
  if (path.empty()) return 1;
  std::printf("bench_ticket_store: season file made in %.1f s (ticket number length %d)\n",
              BenchElapsed(made), TsGetTicketNoLen());
  const std::string bare = season.BareCopy(path);

  CSmDatabase db;
  CBenchBare engine(bare);
  if (!db.Open(path) || !engine.IsOpen()) return 1;
  ShowPlans(engine);

  const double saveBare = SaveThroughBare(engine);
  const double saveStore = SaveThroughStore(db);
  // The best of three rounds each, taken in turns.
  long rowsBare = 0;
  long rowsStore = 0;
  double loadBare = 1e9;
  double loadStore = 1e9;
  for (int round = 0; round < 3; ++round) {
    rowsBare = rowsStore = 0;
    loadBare = std::min(loadBare, LoadThroughBare(engine, rowsBare));
    loadStore = std::min(loadStore, LoadThroughStore(db, rowsStore));
  }
  if (saveBare < 0 || saveStore < 0 || rowsBare != rowsStore) {
    std::printf("bench_ticket_store: a run failed (%ld and %ld rows)\n", rowsBare, rowsStore);
    return 1;
  }
  std::printf("  save a new ticket:  store %.3f ms, bare SQLite %.3f ms, ratio %.2f\n",
              saveStore * 1000 / kSaves, saveBare * 1000 / kSaves, saveStore / saveBare);
  std::printf("  load a day (%ld tickets): store %.2f ms, bare SQLite %.2f ms, ratio %.2f\n",
              rowsStore / kDays, loadStore * 1000 / kDays, loadBare * 1000 / kDays,
              loadStore / loadBare);
  return 0;
}
