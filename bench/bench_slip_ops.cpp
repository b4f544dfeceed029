// Settlement slips on a season's data file (200,000 tickets, 20,000 farmers): making a slip of
// 30 tickets in one write transaction and listing one day's slips, beside the same statements
// run through the bare SQLite C API on a copy of the same file.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_bare.h"
#include "bench/bench_season.h"
#include "core/SmDatabase.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "weighing/TsSlipOps.h"
#include "weighing/TsgbRec.h"

namespace {

const int kYear = 2016;
const int kSlips = 20;
const int kTicketsPerSlip = 30;
const int kDays = 20;
const TsSeasonShape kShape;

// Tickets of the last days are not on slips yet; slip s takes 30 of them.
std::vector<std::string> SlipTickets(int slip, int firstBase) {
  std::vector<std::string> tickets;
  for (int n = 0; n < kTicketsPerSlip; ++n)
    tickets.push_back(IntToFixedStr(firstBase + slip * kTicketsPerSlip + n, kShape.ticketNoLen));
  return tickets;
}

std::string SlipNumber(int slip) {
  return IntToFixedStr(900000 + slip, kShape.ticketNoLen);
}

std::string SlipDate() {
  return TsSeasonDay(kYear, kShape.days - 1);
}

double MakeThroughStore(CSmDatabase& db, int firstTicket) {
  const auto start = std::chrono::steady_clock::now();
  for (int s = 0; s < kSlips; ++s) {
    CTsgbRec slip;
    slip.JN[0] = SlipNumber(s);
    slip.JT[0] = SlipDate();
    slip.OPR[2] = "104";
    if (TsSlipMakeCheck(slip, 0, SlipTickets(s, firstTicket), &db) != 1) return -1;
  }
  return BenchElapsed(start);
}

// The statements the store runs: one guarded update per ticket that must change one row, then
// the slip counted.
double MakeThroughBare(CBenchBare& db, int firstTicket) {
  const auto start = std::chrono::steady_clock::now();
  for (int s = 0; s < kSlips; ++s) {
    const std::string number = SlipNumber(s);
    const std::string count = "Select Count(*) From gbSheet Where JN0='" + number + "'";
    bool ok = db.Run("BEGIN IMMEDIATE");
    const std::vector<std::string> tickets = SlipTickets(s, firstTicket);
    for (const std::string& dh : tickets) {
      ok = ok &&
           db.Run("Update gbSheet Set FK=0,JT0='" + SlipDate() + "',JN0='" + number +
                  "',OPR2='104' Where DH='" + dh + "' And OPR1<>'' And rtrim(JN0)=''") &&
           db.Changes() == 1;
    }
    ok = ok && db.Count(count) == static_cast<long>(tickets.size()) && db.Run("COMMIT");
    if (!ok) return -1;
  }
  return BenchElapsed(start);
}

// The check counted per ticket: the ticket open, the slip before and after the update.
double MakeThroughBarePerTicket(CBenchBare& db, int firstTicket) {
  const auto start = std::chrono::steady_clock::now();
  for (int s = 0; s < kSlips; ++s) {
    const std::string number = SlipNumber(kSlips + s);
    const std::string count = "Select Count(*) From gbSheet Where JN0='" + number + "'";
    bool ok = db.Run("BEGIN IMMEDIATE");
    for (const std::string& dh : SlipTickets(s, firstTicket)) {
      ok = ok && db.Count("Select Count(*) From gbSheet Where DH='" + dh +
                          "' And OPR1<>'' And rtrim(JN0)=''") >= 1;
      const long before = ok ? db.Count(count) : -1;
      ok = ok &&
           db.Run("Update gbSheet Set FK=0,JT0='" + SlipDate() + "',JN0='" + number +
                  "',OPR2='104' Where DH='" + dh + "'") &&
           db.Count(count) == before + 1;
    }
    ok = ok && db.Run("COMMIT");
    if (!ok) return -1;
  }
  return BenchElapsed(start);
}

double ListThroughStore(CSmDatabase& db, long& slips) {
  const auto start = std::chrono::steady_clock::now();
  std::vector<TsSlipLine> lines;
  for (int day = 0; day < kDays; ++day)
    slips += TsSlipList(0, TsSeasonDay(kYear, 40 + day), lines, &db);
  return BenchElapsed(start);
}

double ListThroughBare(CBenchBare& db, long& slips) {
  const auto start = std::chrono::steady_clock::now();
  for (int day = 0; day < kDays; ++day) {
    std::vector<TsSlipLine> lines;
    db.Run(
        "Select min(FK),max(PRT0),rtrim(JN0),max(KNO0),max(OPR2),max(OPR4),max(OPR6) From "
        "gbSheet Where JT0='" +
            TsSeasonDay(kYear, 40 + day) + "' Group By rtrim(JN0) Order By rtrim(JN0)",
        [&](sqlite3_stmt* s) {
          TsSlipLine& line = lines.emplace_back();
          const int batch = sqlite3_column_int(s, 0);
          line.prints = sqlite3_column_int(s, 1);
          line.number = CBenchBare::Column(s, 2);
          line.household = CBenchBare::Column(s, 3);
          line.settler = CBenchBare::Column(s, 4);
          line.payer = CBenchBare::Column(s, 5) + (batch > 0 ? FormatStr("(银付%d)", batch) : "");
          line.reviewer = CBenchBare::Column(s, 6);
        });
    slips += static_cast<long>(lines.size());
  }
  return BenchElapsed(start);
}

}  // namespace

int main(int argc, char** argv) {
  CBenchSeason season(argc, argv, "bench_slip_ops");
  const std::string path = season.MakeFile(kYear, kShape);
  if (path.empty()) return 1;
  const std::string bare = season.BareCopy(path);
  CSmDatabase db;
  CBenchBare engine(bare);
  if (!db.Open(path) || !engine.IsOpen()) return 1;

  // Open tickets: those of the last nine days.
  const int firstOpen = kShape.tickets - kShape.tickets / kShape.days * 9;
  const double makeBare = MakeThroughBare(engine, firstOpen);
  const double makeStore = MakeThroughStore(db, firstOpen);
  const double makePerTicket =
      MakeThroughBarePerTicket(engine, firstOpen + kSlips * kTicketsPerSlip);
  long slipsBare = 0;
  long slipsStore = 0;
  double listBare = 1e9;
  double listStore = 1e9;
  for (int round = 0; round < 3; ++round) {
    slipsBare = slipsStore = 0;
    listBare = std::min(listBare, ListThroughBare(engine, slipsBare));
    listStore = std::min(listStore, ListThroughStore(db, slipsStore));
  }
  if (makeBare < 0 || makeStore < 0 || makePerTicket < 0 || slipsBare != slipsStore) {
    std::printf("bench_slip_ops: a run failed (%ld and %ld slips)\n", slipsBare, slipsStore);
    return 1;
  }
  std::printf("bench_slip_ops (%d tickets):\n", kShape.tickets);
  std::printf("  make a slip of %d tickets: store %.2f ms, bare SQLite %.2f ms, ratio %.2f\n",
              kTicketsPerSlip, makeStore * 1000 / kSlips, makeBare * 1000 / kSlips,
              makeStore / makeBare);
  std::printf("  the same slip counted per ticket, bare SQLite %.2f ms, ratio %.2f to the store\n",
              makePerTicket * 1000 / kSlips, makePerTicket / makeStore);
  std::printf("  list a day's slips (%ld): store %.2f ms, bare SQLite %.2f ms, ratio %.2f\n",
              slipsStore / kDays, listStore * 1000 / kDays, listBare * 1000 / kDays,
              listStore / listBare);
  return 0;
}
