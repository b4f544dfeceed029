// New advance and interest vouchers on a season's data file (20,000 farmers, 200,000 money
// rows): filling every farmer's line with his balance and proposed advance, and with his
// interest, beside hand-written statements reading the same sums and interest rows through the
// bare SQLite C API on a copy of the same file.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "bench/bench_bare.h"
#include "bench/bench_season.h"
#include "cane/TsItems.h"
#include "core/SmDatabase.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "weighing/TsYfDoc.h"

namespace {

const int kYear = 2016;
const int kRounds = 3;
const TsSeasonShape kShape;

std::string Day(int day) {
  return TsSeasonDay(kYear, day);
}

// Ten money rows per farmer: an opening balance, output and area estimates, four advances, two
// returns and a withholding, on vouchers of a hundred farmers each.
bool AddMoneyRows(CBenchBare& db) {
  struct Row {
    int kind;
    int day;
    bool opening;
    double my0, my1, mu0, mu1;
  };
  const Row rows[] = {{2, 0, true, 0, -500, 0, 0},   {6, 5, false, 0, 0, 0, 20},
                      {5, 5, false, 0, 0, 3, 0},     {2, 10, false, 0, -100, 0, 0},
                      {2, 30, false, 0, -100, 0, 0}, {2, 50, false, 0, -100, 0, 0},
                      {2, 70, false, 0, -100, 0, 0}, {1, 60, false, 0, 50, 0, 0},
                      {1, 80, false, 0, 50, 0, 0},   {3, 40, false, -30, 0, 0, 0}};
  if (!db.Run("BEGIN")) return false;
  int farmer = 0;
  for (int town = 1; town <= 2; ++town) {
    for (int village = 1; village <= 10; ++village) {
      for (int group = 1; group <= 10; ++group) {
        for (int n = 1; n <= 100; ++n, ++farmer) {
          const std::string code = FormatStr("%d%02d%02d%03d", town, village, group, n);
          for (int r = 0; r < 10; ++r) {
            const Row& row = rows[r];
            const std::string number =
                row.opening ? "" : FormatStr("%06d", r * 1000 + farmer / 100 + 1);
            const std::string sql = FormatStr(
                "Insert Into jsSheet(FK,MY0,MY1,MY2,MY3,MY4,MY5,MY6,MY7,MY8,MY9,MY10,MY11,MY12,"
                "MY13,MY14,MU0,MU1,LB,DB,T,DH,KNO,MRY,OPR0,OPR1,TH) Values(0,%.2f,%.2f,0,0,0,0,0,"
                "0,0,0,0,0,0,0,0,%.4f,%.4f,'0','%d','%s','%s','%s','','101','','080000')",
                row.my0, row.my1, row.mu0, row.mu1, row.kind, Day(row.day).c_str(), number.c_str(),
                code.c_str());
            if (!db.Run(sql)) return false;
          }
        }
      }
    }
  }
  return db.Run("COMMIT");
}

// A new voucher of the kind for every farmer, filled as the document fills it.
double FillThroughDoc(CSmDatabase& db, int kind, long& filled) {
  CTsYfDoc doc;
  doc.nFlag = 260;
  doc.m_module = 16;
  doc.InitDocument();
  doc.m_db = &db;
  doc.m_party = 0;
  doc.m_voucherKind = kind;
  doc.m_kind.nNumber = kind;
  doc.m_region.clear();
  doc.m_date = Day(100);
  doc.m_rate1 = 100;
  doc.m_rate2 = 150;
  doc.m_whole = true;
  doc.m_lower.clear();
  doc.m_upper.clear();
  doc.m_item = 0;
  doc.m_interestFrom = Day(0);
  doc.m_interestTo = Day(100);
  doc.m_dailyRate = 4;
  doc.m_openingOnly = false;
  doc.LoadFormDef();
  const auto start = std::chrono::steady_clock::now();
  doc.AppendBlankRow();
  const double seconds = BenchElapsed(start);
  filled = 0;
  for (int row = 0; row < static_cast<int>(doc.m_rows.size()); ++row) {
    for (int g = 0; g < CTsYfDoc::kGroups; ++g) {
      const CTsYfDoc::GroupColumns group = doc.Group(g);
      if (group.Usable() && !doc.m_rows[row][group.amount].empty()) ++filled;
    }
  }
  return seconds;
}

// The last-level farmers in code order.
std::vector<std::string> Farmers(CBenchBare& db) {
  std::vector<std::string> codes;
  db.Run("Select rtrim(KNO),NA From NHDir Order By KNO", [&](sqlite3_stmt* s) {
    const std::string code = CBenchBare::Column(s, 0);
    if (!codes.empty() && code.starts_with(codes.back()))
      codes.back() = code;
    else
      codes.push_back(code);
  });
  return codes;
}

double AdvanceThroughBare(CBenchBare& db, long& filled) {
  const auto start = std::chrono::steady_clock::now();
  const std::vector<std::string> farmers = Farmers(db);
  std::map<std::string, std::pair<double, double>> sums;  // output, balance
  db.Run(
      "Select sum(MU1),sum(MY1)+sum(MY2)+sum(MY3)+sum(MY4),rtrim(KNO) From jsSheet Where "
      "LB='0' And T<='" +
          Day(100) + "' Group By KNO",
      [&](sqlite3_stmt* s) {
        sums[CBenchBare::Column(s, 2)] = {sqlite3_column_double(s, 0),
                                          -sqlite3_column_double(s, 1)};
      });
  filled = 0;
  std::vector<std::string> amounts;
  for (const std::string& code : farmers) {
    const auto found = sums.find(code);
    if (found == sums.end()) continue;
    const auto [output, balance] = found->second;
    double a = RoundTo(100 * output, 2);
    const double cap = RoundTo(150 * output, 2);
    if (cap < a + balance) a = cap - balance;
    a = a < 0.0001 ? 0 : std::trunc(a);
    amounts.push_back(a ? FormatStr("%g", a) : "");
    if (a) ++filled;
  }
  return BenchElapsed(start);
}

long DayNumber(const std::string& date) {
  int y = std::stoi(date.substr(0, 4)), m = std::stoi(date.substr(4, 2));
  const int d = std::stoi(date.substr(6, 2));
  if (m < 3) --y, m += 12;
  return 365L * y + y / 4 - y / 100 + y / 400 + (153 * (m - 3) + 2) / 5 + d;
}

double InterestThroughBare(CBenchBare& db, long& filled) {
  const auto start = std::chrono::steady_clock::now();
  const std::vector<std::string> farmers = Farmers(db);
  const std::string from = Day(0), to = Day(100);
  filled = 0;
  for (const std::string& code : farmers) {
    double balance = 0, interest = 0;
    std::string last;
    const auto accrue = [&](const std::string& date) {
      if (date < from) return;
      if (last < from) last = from;
      if (balance > 1e-7) interest += (DayNumber(date) - DayNumber(last)) * balance * 4 * 0.0001;
    };
    db.Run("Select MY1,T From jsSheet Where LB='0' And KNO='" + code + "' And T<'" + to +
               "' Order By T",
           [&](sqlite3_stmt* s) {
             const std::string date = CBenchBare::Column(s, 1);
             accrue(date);
             balance -= sqlite3_column_double(s, 0);
             last = date;
           });
    accrue(to);
    if (RoundTo(interest, 2) != 0) ++filled;
  }
  return BenchElapsed(start);
}

}  // namespace

int main(int argc, char** argv) {
  CBenchSeason season(argc, argv, "bench_advance_doc");
  const std::string path = season.MakeFile(kYear, kShape);
  if (path.empty()) return 1;
  {
    CBenchBare filler(path);
    if (!filler.IsOpen() || !AddMoneyRows(filler)) {
      std::printf("bench_advance_doc: the money rows could not be written\n");
      return 1;
    }
  }
  const std::string bare = season.BareCopy(path);
  CSmDatabase db;
  CBenchBare engine(bare);
  if (!db.Open(path) || !engine.IsOpen()) return 1;

  double docAdvance = 0, bareAdvance = 0, docInterest = 0, bareInterest = 0;
  long filled[4] = {0, 0, 0, 0};
  for (int round = 0; round < kRounds; ++round) {
    const double times[4] = {
        FillThroughDoc(db, 2, filled[0]), AdvanceThroughBare(engine, filled[1]),
        FillThroughDoc(db, 4, filled[2]), InterestThroughBare(engine, filled[3])};
    double* best[4] = {&docAdvance, &bareAdvance, &docInterest, &bareInterest};
    for (int k = 0; k < 4; ++k) {
      if (*best[k] == 0 || times[k] < *best[k]) *best[k] = times[k];
    }
  }
  if (filled[0] != filled[1] || filled[2] != filled[3] || filled[0] == 0 || filled[2] == 0) {
    std::printf("bench_advance_doc: the fillings differ (%ld/%ld advances, %ld/%ld interests)\n",
                filled[0], filled[1], filled[2], filled[3]);
    return 1;
  }
  std::printf("bench_advance_doc (%d farmers, %ld money rows):\n", kShape.farmers,
              engine.Count("Select Count(*) From jsSheet"));
  std::printf(
      "  new advance voucher, %ld proposals: document %.0f ms, bare SQLite %.0f ms, "
      "ratio %.2f\n",
      filled[0], docAdvance * 1000, bareAdvance * 1000, docAdvance / bareAdvance);
  std::printf(
      "  new interest voucher, %ld interests: document %.0f ms, bare SQLite %.0f ms, "
      "ratio %.2f\n",
      filled[2], docInterest * 1000, bareInterest * 1000, docInterest / bareInterest);
  return 0;
}
