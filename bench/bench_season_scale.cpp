// A clerk's season at two sizes (20,000 tickets of 2,000 farmers and 200,000 tickets of 20,000
// farmers, from the season maker, most tickets still open): every farmer-level report, the
// ticket detail list and its recalculation, the bank batch, the open tickets of 500 farmers as
// the settlement card lists them, 500 open tickets rewritten as the weighing card saves them, a
// slip for each of 500 farmers, backup, restore and the new year's carry-over, each beside its
// floor through the bare SQLite C API on a copy of the same file in the same run, as a ratio; the
// peak memory of the detail list; and, when the test cluster is given (SM_PG_HOST, SM_PG_PORT,
// SM_PG_USER, SM_PG_PASSWORD, as scripts/pg.sh prints them), the statements each report sends to
// PostgreSQL at both sizes and the plans it chooses for the statements that look open tickets
// up. A first argument "small" runs the small size only.
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "admin/SmMDBBak.h"
#include "app/SmSystemTables.h"
#include "bench/bench_bare.h"
#include "bench/bench_season.h"
#include "cane/TsItems.h"
#include "core/SmDatabase.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "platform/SmMessage.h"
#include "reports/TsReportDoc1.h"
#include "reports/TsReportDoc2.h"
#include "reports/TsReportDoc3.h"
#include "reports/TsReportDoc4.h"
#include "reports/TsReportDoc6.h"
#include "reports/TsReportDoc7.h"
#include "reports/TsReportDoc8.h"
#include "weighing/TsSlipOps.h"
#include "weighing/TsWeighingDocs.h"
#include "weighing/TsgbRec.h"
#include "weighing/TsgbStore.h"

namespace {

const int kYear = 2016;
const int kLevel = 3;  // the farmers' own level of the codes 1, 2, 2, 3

// ---------------------------------------------------------------- figures

struct Figure {
  std::string name;
  double ours = 0;
  double floor = 0;
  double goal = 0;
};

void Print(const Figure& f) {
  const double ratio = f.floor > 0 ? f.ours / f.floor : 0;
  std::printf("  %-34s %10.1f ms %10.1f ms %7.2f   %s\n", f.name.c_str(), f.ours * 1000,
              f.floor * 1000, ratio, ratio <= f.goal ? "within the goal" : "ABOVE THE GOAL");
  std::fflush(stdout);
}

// The best of `rounds` rounds of each, taken in turns.
Figure Best(const std::string& name, double goal, int rounds, const std::function<double()>& ours,
            const std::function<double()>& floor) {
  Figure f{name, 1e9, 1e9, goal};
  for (int r = 0; r < rounds; ++r) {
    f.floor = std::min(f.floor, floor());
    f.ours = std::min(f.ours, ours());
  }
  Print(f);
  return f;
}

template <class F>
double Timed(F work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return BenchElapsed(start);
}

// The resident set's high-water mark and size of this process, in kB.
long ProcKb(const char* key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.starts_with(key)) return std::atol(line.c_str() + std::strlen(key));
  }
  return 0;
}

// Starts a new high-water mark at the present size; the size.
long ResetPeak() {
  malloc_trim(0);  // what earlier steps freed leaves the present size
  std::ofstream("/proc/self/clear_refs") << "5";
  return ProcKb("VmRSS:");
}

// ---------------------------------------------------------------- the bare floor

// Runs the statements and reads every column of every row; the rows read.
long ReadAll(CBenchBare& db, const std::vector<std::string>& statements) {
  long rows = 0;
  std::string text;
  double sum = 0;
  for (const std::string& sql : statements) {
    const bool ok = db.Run(sql, [&](sqlite3_stmt* s) {
      ++rows;
      for (int c = 0; c < sqlite3_column_count(s); ++c) {
        if (sqlite3_column_type(s, c) == SQLITE_TEXT) {
          text = CBenchBare::Column(s, c);
        } else {
          sum += sqlite3_column_double(s, c);
        }
      }
    });
    if (!ok) std::printf("the floor statement failed: %s\n", sql.c_str());
  }
  return rows;
}

std::string Directory(const char* extra = "") {
  return FormatStr(
      "Select substr(KNO,1,8),rtrim(NA)%s From NHDir Where length(rtrim(KNO))<=8 Order By "
      "substr(KNO,1,8)",
      extra);
}

std::string Sums(const char* first, int from, int to) {
  std::string list;
  for (int i = from; i <= to; ++i) list += FormatStr(",sum(%s%d)", first, i);
  return list;
}

// ---------------------------------------------------------------- one size

class CSeasonRun {
 public:
  CSeasonRun(CBenchSeason& season, const TsSeasonShape& shape) : m_season(season), m_shape(shape) {}

  bool Run();

 private:
  bool Prepare();
  void Reports();
  void DetailList();
  void Recalculation();
  void BankBatch();
  // The farmers with open tickets, each with the numbers of those tickets.
  std::map<std::string, std::vector<std::string>> OpenTicketsByFarmer();
  void OpenTickets();
  void Rewrites();
  void Slips();
  void BackupAndRestore();
  void CarryOver();
  void ServerStatements();
  void ServerPlans(CSmDatabase& server);

  std::string From() const { return TsSeasonDay(kYear, 0); }
  std::string To() const { return TsSeasonDay(kYear, 364); }
  std::string LastDay() const { return TsSeasonDay(kYear, m_shape.days - 1); }
  // The ticket detail list on `db` over the whole season, ready to refresh.
  void SetUpDetailList(CTsReportDoc7& doc, CSmDatabase& db) const;

  // The reports at the farmers' level on `db`: name and builder.
  std::vector<std::pair<std::string, std::function<size_t(CSmDatabase&)>>> Builders() const;

  CBenchSeason& m_season;
  TsSeasonShape m_shape;
  std::string m_path;
  std::string m_barePath;
  CSmDatabase m_db;
  std::unique_ptr<CBenchBare> m_bare;
};

// Every farmer gets a bank account, every slip a loan and an advance deducted, every farmer a
// reviewed advance of 100 at the start of the season.
bool CSeasonRun::Prepare() {
  m_path = m_season.MakeFile(kYear, m_shape);
  if (m_path.empty()) return false;
  std::string amounts;
  for (int i = 0; i < 15; ++i) amounts += i == 1 ? ",-100" : ",0";
  const std::string columns = ",MY0,MY1,MY2,MY3,MY4,MY5,MY6,MY7,MY8,MY9,MY10,MY11,MY12,MY13,MY14";
  const std::string setup[] = {
      "Update NHDir Set BkNO='B'||KNO,BkHO='62'||KNO,BkNA=NA Where length(KNO)=8",
      "Insert Into jsSheet(LB,DB,T,TH,DH,KNO,MRY,OPR0,OPR1,MU0,MU1,MY0,MY1,MY2,MY3,MY4,MY5,MY6,"
      "MY7,MY8,MY9,MY10,MY11,MY12,MY13,MY14,FK) Select '0','0',min(JT0),'000000',JN0,min(KNO0),"
      "'',min(OPR2),'',0,0,10,20,0,0,0,0,0,0,0,0,0,0,0,0,0,0 From gbSheet Where JN0<>'' Group By "
      "JN0",
      "Insert Into jsSheet(LB,DB,T,TH,DH,KNO,MRY,OPR0,OPR1,MU0,MU1" + columns +
          ",FK) Select '0','2','" + From() + "','000000','',KNO,'','101','101',0,0" + amounts +
          ",0 From NHDir Where length(KNO)=8",
  };
  {
    CBenchBare seed(m_path);
    for (const std::string& sql : setup) {
      if (!seed.Run(sql)) {
        std::printf("the setup failed: %s\n", sql.c_str());
        return false;
      }
    }
  }
  m_barePath = m_season.BareCopy(m_path);
  m_bare = std::make_unique<CBenchBare>(m_barePath);
  return m_db.Open(m_path) && m_bare->IsOpen();
}

std::vector<std::pair<std::string, std::function<size_t(CSmDatabase&)>>> CSeasonRun::Builders()
    const {
  const std::string from = From(), to = To(), last = LastDay();
  auto run = [](auto fill, CTsReportRow work) {
    return [fill, work](CSmDatabase& db) {
      std::vector<CTsReportRow> rows;
      CTsReportRow row = work;
      fill(row, rows, &db);
      return rows.size();
    };
  };
  TsPurchaseQuery purchase;
  purchase.sDateFrom = from;
  purchase.sDateTo = to;
  purchase.nLevel = kLevel;
  TsSettlementQuery settlement;
  settlement.sDateFrom = from;
  settlement.sDateTo = to;
  settlement.nLevel = kLevel;
  TsUnsettledQuery unsettled;
  unsettled.bGroups = {1, 1, 1, 1};
  unsettled.bIncludeUnpaid = 1;
  unsettled.dCashPercent = 80;
  unsettled.sDateFrom = last;
  unsettled.nLevel = kLevel;
  TsMovementQuery movement;
  movement.nItemCategory = 2;
  movement.nItemIndex = TsGetKindItemCount(0, 2, 0, 0);  // every advance item
  movement.sDateFrom = from;
  movement.sDateTo = to;
  movement.nLevel = kLevel;
  TsBalanceQuery balance;
  balance.nLevel = kLevel;
  const TsBankQuery bank{0, from, to, ""};
  return {
      {"purchase statistics",
       run([purchase](CTsReportRow& w, auto& rows,
                      CSmDatabase* db) { FillPurchase(purchase, w, rows, db); },
           CTsReportRow(TsPurchaseValueCount(0)))},
      {"settlement statistics",
       run([settlement](CTsReportRow& w, auto& rows,
                        CSmDatabase* db) { FillSettlement(settlement, w, rows, db); },
           CTsReportRow(TsSettlementItems(0).ValueCount()))},
      {"unsettled payables",
       run([unsettled](CTsReportRow& w, auto& rows,
                       CSmDatabase* db) { FillUnsettled(unsettled, w, rows, db); },
           CTsReportRow(GetGroupLayout(0, unsettled.bGroups).total + 5))},
      {"advance balances and movements",
       run([movement](CTsReportRow& w, auto& rows,
                      CSmDatabase* db) { FillAdvanceMovement(movement, w, rows, db); },
           CTsReportRow(4))},
      {"households with balances",
       run([balance](CTsReportRow& w, auto& rows,
                     CSmDatabase* db) { FillHouseholdBalance(balance, w, rows, db); },
           CTsReportRow(TsBalanceTextCount(0), TsBalanceValueCount(0)))},
      {"bank-paid cane payments",
       run([bank](CTsReportRow& w, auto& rows,
                  CSmDatabase* db) { FillBankPayment(bank, w, rows, db); },
           CTsReportRow(3, TsSettlementItems(0).ValueCount()))},
  };
}

// The floors: the directory rows and the grouped aggregates that give the same figures.
void CSeasonRun::Reports() {
  const std::string period = "'" + From() + "' And '" + To() + "'";
  const std::string last = "'" + LastDay() + "'";
  const std::string tickets = "Select substr(KNO0,1,8),Count(DH),sum(MU0-MU1-MU2)" +
                              Sums("MY", 0, 11) + " From gbSheet Where ";
  const std::string money = "Select KNO" + Sums("MY", 0, 14) + " From jsSheet Where LB='0' And ";
  const std::vector<std::vector<std::string>> floors = {
      {Directory(), tickets + "T Between " + period + " And OPR1<>'' Group By 1 Order By 1"},
      {Directory(), tickets + "JT0 Between " + period + " And JN0<>'' Group By 1 Order By 1",
       money + "DB='0' And DH<>'' And T Between " + period + " Group By KNO Order By KNO"},
      {Directory(),
       tickets + "T<=" + last + " And OPR1<>'' And (JN0='' Or JT0>" + last +
           " Or OPR4='') Group By 1 Order By 1",
       money + "T<=" + last + " And (DB<>'0' Or OPR1<>'') Group By KNO Order By KNO"},
      {Directory(), money + "T<'" + From() + "' And OPR1<>'' Group By KNO Order By KNO",
       money + "T Between " + period + " And OPR1<>'' Group By KNO Order By KNO"},
      {Directory(",TEL,NT,cs0"), "Select Distinct rtrim(KNO0) From gbSheet",
       money + "OPR1<>'' Group By KNO Order By KNO"},
      {Directory(",BkNO,BkHO,BkNA"),
       tickets + "JT0 Between " + period +
           " And JN0<>'' And OPR2<>'' And OPR4='' And KNO0 In (Select KNO From NHDir Where "
           "BkHO<>'') Group By 1 Order By 1",
       money + "DB='0' And DH<>'' And OPR1='' And T Between " + period +
           " Group By KNO Order By KNO"},
  };
  const auto builders = Builders();
  for (size_t i = 0; i < builders.size(); ++i) {
    size_t rows = 0;
    Best(
        builders[i].first, 2.5, 3, [&] { return Timed([&] { rows = builders[i].second(m_db); }); },
        [&] { return Timed([&] { ReadAll(*m_bare, floors[i]); }); });
    if (rows == 0) std::printf("  (the %s has no rows)\n", builders[i].first.c_str());
  }
}

// The whole season listed as a clerk opens it, beside one join of its tables.
void CSeasonRun::SetUpDetailList(CTsReportDoc7& doc, CSmDatabase& db) const {
  doc.nFlag = 271;
  doc.m_kind.nNumber = 1;
  doc.m_db = &db;
  doc.OnInitDocument();
  doc.LoadFormDef();
  doc.query.sDateFrom = From();
  doc.query.sDateTo = To();
}

void CSeasonRun::DetailList() {
  std::string join =
      "Select g.T,g.DH,g.KNO0,n.NA,g.KNO1,d.NA,g.KNO3,p.NA,g.KNO2,a.NA,g.OPR0,g.OPR1,g.OPR2,"
      "g.OPR3,g.OPR4,g.OPR5,g.OPR6,g.OPR7,g.JN0,g.JN1,g.MU0,g.MU1,g.MU2,g.MU3,g.PR0,g.PR1";
  for (int i = 0; i < 12; ++i) join += FormatStr(",g.MY%d", i);
  join +=
      " From gbSheet g Left Join NHDir n On n.KNO=g.KNO0 Left Join DriverDir d On d.KNO=g.KNO1 "
      "Left Join GP p On p.KNO=g.KNO3 Left Join AdrDir a On a.KNO=g.KNO2 Where g.T>='" +
      From() + "' And g.T<='" + To() + "' Order By g.T,g.DH";
  long peak = 0;
  size_t rows = 0;
  // The first opening takes its memory fresh from the system (the peak is counted there); an
  // opening again finds the memory the last list gave back.
  bool first = true;
  auto open = [&] {
    CTsReportDoc7 doc;
    SetUpDetailList(doc, m_db);
    const long base = first ? ResetPeak() : 0;
    const double seconds = Timed([&] { doc.Refresh(); });
    if (std::exchange(first, false)) peak = ProcKb("VmHWM:") - base;
    rows = doc.m_rows.size();
    return seconds;
  };
  auto floor = [&] { return Timed([&] { ReadAll(*m_bare, {join}); }); };
  Best("ticket detail list, first opening", 2.5, 1, open, floor);
  Best("ticket detail list, opened again", 2.5, 3, open, floor);
  std::printf("  the detail list of %zu tickets: peak memory %.1f MB above the program before it\n",
              rows, peak / 1024.0);
}

// The subsidy of cane item 0 becomes 20, 21 and 22 per ton in turn: every open ticket changes
// each time. Recomputed, shown again with its marks and saved, beside one UPDATE computing the
// item; the best of the three rounds on each side.
void CSeasonRun::Recalculation() {
  auto* cane = static_cast<CTsDataType*>(m_season.App().FindDataType(16));
  int changed = 0;
  long bareChanged = 0;
  long peak = 0;
  Figure f{"recalculation of an item", 1e9, 1e9, 4};
  for (int subsidy = 20; subsidy <= 22; ++subsidy) {
    const std::string perTon = std::to_string(subsidy);
    cane->m_strParams[0] = "补助款\t0+\t" + perTon + "*#sl";
    cane->BuildItemTables();
    f.floor = std::min(f.floor, Timed([&] {
                         m_bare->Run("Begin");
                         m_bare->Run("Update gbSheet Set MY1=round(" + perTon +
                                     "*(MU0-MU1-MU2),2) Where T>='" + From() + "' And T<='" + To() +
                                     "' And JN0='' And abs(MY1-round(" + perTon +
                                     "*(MU0-MU1-MU2),2))>=0.00001");
                         bareChanged = m_bare->Changes();
                         m_bare->Run("Commit");
                       }));
    CTsReportDoc7 doc;
    SetUpDetailList(doc, m_db);
    doc.Refresh();
    for (int kind = 0; kind < 2; ++kind) {
      for (int category = 0; category < 2; ++category)
        doc.chosen[kind][category].assign(TsGetKindItemCount(kind, 0, category, 0), false);
    }
    doc.chosen[0][0][0] = true;
    const long base = ResetPeak();
    f.ours = std::min(f.ours, Timed([&] {
                        int leftAlone = 0;
                        changed = doc.RecalculateTickets(leftAlone);
                        doc.Refresh();
                        CSmMessageService::Instance().QueueAnswer(SM_IDYES);
                        if (!doc.Save(0)) changed = -1;
                      }));
    peak = std::max(peak, ProcKb("VmHWM:") - base);
  }
  Print(f);
  std::printf("  recalculated %d tickets (bare %ld): peak memory %.1f MB above the list\n", changed,
              bareChanged, peak / 1024.0);
  cane->m_strParams[0].clear();
  cane->BuildItemTables();
}

// Tickets and money rows of the season paid through bank batch 1.
void CSeasonRun::BankBatch() {
  int batch = 0;
  long marked = 0;
  Figure f{"bank batch of the season", 0, 0, 2.5};
  const std::string period = " Between '" + From() + "' And '" + To() + "'";
  f.floor = Timed([&] {
    m_bare->Run("Begin Immediate");
    m_bare->Count("Select Max(CsN) From SysCsTab Where Cs=4160");
    m_bare->Run("Update gbSheet Set FK=1,OPR4='101' Where OPR2<>'' And OPR4='' And JT0" + period +
                " And KNO0 In (Select KNO From NHDir Where BkHO<>'')");
    marked = m_bare->Changes();
    m_bare->Run(
        "Update jsSheet Set FK=1,OPR1='101' Where LB='0' And DB='0' And DH<>'' And "
        "OPR1='' And T" +
        period + " And KNO In (Select KNO From NHDir Where BkHO<>'')");
    m_bare->Run("Insert Into SysCsTab(Cs,CsN,CsNa,CsVal) Values(4160,1,'','101')");
    m_bare->Run("Commit");
  });
  f.ours = Timed([&] { batch = TsRecordBankBatch(From(), To(), "", &m_db); });
  Print(f);
  std::printf("  batch %d, %ld tickets paid\n", batch, marked);
}

std::map<std::string, std::vector<std::string>> CSeasonRun::OpenTicketsByFarmer() {
  std::map<std::string, std::vector<std::string>> open;
  m_bare->Run(
      "Select KNO0,DH From gbSheet Where OPR1<>'' And JN0='' Order By KNO0,DH",
      [&](sqlite3_stmt* s) { open[CBenchBare::Column(s, 0)].push_back(CBenchBare::Column(s, 1)); });
  return open;
}

// The bare floor's plan of a statement, its steps joined by "; ".
std::string BarePlan(CBenchBare& db, const std::string& sql) {
  std::string plan;
  db.Run("EXPLAIN QUERY PLAN " + sql,
         [&](sqlite3_stmt* s) { plan += (plan.empty() ? "" : "; ") + CBenchBare::Column(s, 3); });
  return plan;
}

// The farmers whose open tickets are listed and whose slips are made, and the tickets rewritten.
const size_t kTimed = 500;

// The open tickets of 500 farmers listed as the settlement card lists them for a new slip,
// beside the same statement on the farmer's index.
void CSeasonRun::OpenTickets() {
  std::vector<std::string> farmers;
  for (const auto& [farmer, tickets] : OpenTicketsByFarmer()) farmers.push_back(farmer);
  // The last farmers: the slips below take the first.
  farmers.erase(farmers.begin(), farmers.end() - std::min(farmers.size(), kTimed));
  const auto bareText = [](const std::string& farmer) {
    return "Select " + CTsgbRec::ColumnList() + " From gbSheet Where KNO0='" + farmer +
           "' And OPR1<>'' And rtrim(JN0)='' Order by DH";
  };
  size_t rows = 0;
  Best(
      "a farmer's open tickets (500 farmers)", 1.5, 3,
      [&] {
        return Timed([&] {
          rows = 0;
          CTsgbRec reader;
          std::vector<CTsgbRec> tickets;
          for (const std::string& farmer : farmers) {
            rows += reader.Select(TsSlipOpenTicketsWhere(0, farmer, &m_db), "Order by DH", tickets,
                                  &m_db);
          }
        });
      },
      [&] {
        return Timed([&] {
          for (const std::string& farmer : farmers) ReadAll(*m_bare, {bareText(farmer)});
        });
      });
  std::printf("  %zu open tickets; the floor: %s\n", rows,
              BarePlan(*m_bare, bareText(farmers.front())).c_str());
}

// The bare floor of rewriting a ticket, with the statements the weighing card's store runs: the
// stored ticket read by its number, its codes looked up, the old row deleted while it is on no
// slip, the row inserted again and its number counted, in one write transaction.
class CBareRewrite {
 public:
  explicit CBareRewrite(CBenchBare& db) : m_db(db) {
    std::string marks = "?";
    for (int i = 1; i < 40; ++i) marks += ",?";
    sqlite3_prepare_v2(
        db.Handle(),
        ("Insert Into gbSheet(" + CTsgbRec::ColumnList() + ") Values(" + marks + ")").c_str(), -1,
        &m_insert, nullptr);
  }
  ~CBareRewrite() { sqlite3_finalize(m_insert); }
  CBareRewrite(const CBareRewrite&) = delete;
  CBareRewrite& operator=(const CBareRewrite&) = delete;

  static std::string DeleteText(const std::string& dh) {
    return "Delete From gbSheet Where DH='" + dh + "' And rtrim(JN0)='' And rtrim(JN1)=''";
  }

  bool Run(const std::string& dh) {
    std::string codes[4];
    bool ok = m_db.Run("Begin Immediate");
    ok = ok && m_db.Run("Select " + CTsgbRec::ColumnList() + " From gbSheet Where DH='" + dh + "'",
                        [&](sqlite3_stmt* s) {
                          for (int i = 0; i < 4; ++i) codes[i] = CBenchBare::Column(s, 35 + i);
                          for (int c = 0; c < 40; ++c)
                            sqlite3_bind_value(m_insert, c + 1, sqlite3_column_value(s, c));
                        });
    const char* const tables[] = {"NHDir", "DriverDir", "AdrDir", "GP"};
    for (int k = 0; k < 4 && ok; ++k) {
      ok = m_db.Run(FormatStr("Select * From %s Where KNO='%s'", tables[k], codes[k].c_str()));
      if (k == 0 || k == 3)
        ok = ok && m_db.Count(FormatStr("Select Count(*) From %s Where KNO Like '%s%%'", tables[k],
                                        codes[k].c_str())) == 1;
    }
    ok = ok && m_db.Run(DeleteText(dh)) && m_db.Changes() == 1;
    ok = ok && sqlite3_step(m_insert) == SQLITE_DONE;
    sqlite3_reset(m_insert);
    ok = ok && m_db.Count("Select Count(*) From gbSheet Where DH='" + dh + "'") == 1;
    return m_db.Run(ok ? "Commit" : "Rollback") && ok;
  }

 private:
  CBenchBare& m_db;
  sqlite3_stmt* m_insert = nullptr;
};

// 500 open tickets rewritten as the weighing card saves a changed ticket, beside the same
// statements on the ticket number's index.
void CSeasonRun::Rewrites() {
  std::vector<std::string> open;
  for (const auto& [farmer, tickets] : OpenTicketsByFarmer())
    open.insert(open.end(), tickets.begin(), tickets.end());
  std::vector<std::string> chosen;
  const size_t step = std::max<size_t>(open.size() / kTimed, 1);
  for (size_t i = 0; i < open.size() && chosen.size() < kTimed; i += step)
    chosen.push_back(open[i]);
  int stored = 0;
  Figure f{"rewriting a ticket (500 tickets)", 1e9, 1e9, 1.5};
  CBareRewrite bare(*m_bare);
  for (int round = 0; round < 2; ++round) {
    f.floor = std::min(f.floor, Timed([&] {
                         for (const std::string& dh : chosen) bare.Run(dh);
                       }));
    // The card holds the ticket as it was selected, and the clerk changed its impurity.
    std::vector<CTsgbRec> selected(chosen.size());
    for (size_t i = 0; i < chosen.size(); ++i)
      selected[i].Load("Where DH='" + chosen[i] + "'", &m_db);
    f.ours = std::min(f.ours, Timed([&] {
                        stored = 0;
                        for (const CTsgbRec& old : selected) {
                          CTsgbRec ticket = old;
                          ticket.MU[2] += 0.1;
                          stored += ticket.Rewrite(old, true, &m_db);
                        }
                      }));
  }
  Print(f);
  std::printf("  %d tickets rewritten; the floor's delete: %s\n", stored,
              BarePlan(*m_bare, CBareRewrite::DeleteText(chosen.front())).c_str());
}

// One cane slip for each of 500 farmers with open tickets, with all of them, as the settlement
// card makes it; the floor runs the same statements on the ticket number's index.
void CSeasonRun::Slips() {
  const std::map<std::string, std::vector<std::string>> open = OpenTicketsByFarmer();
  const std::string date = LastDay();
  int n = 0;
  auto number = [&](int base, int i) { return IntToFixedStr(base + i, m_shape.ticketNoLen); };
  const auto assign = [&](const std::string& dh, const std::string& jn) {
    return "Update gbSheet Set FK=0,JT0='" + date + "',JN0='" + jn + "',OPR2='104' Where DH='" +
           dh + "' And OPR1<>'' And rtrim(JN0)=''";
  };
  Figure f{"a slip for each of 500 farmers", 0, 0, 1.5};
  f.floor = Timed([&] {
    size_t i = 0;
    for (const auto& [farmer, tickets] : open) {
      if (i >= kTimed) break;
      const std::string jn = number(700000, static_cast<int>(i++));
      m_bare->Run("Begin Immediate");
      for (const std::string& dh : tickets) m_bare->Run(assign(dh, jn));
      m_bare->Count("Select Count(*) From gbSheet Where JN0='" + jn + "'");
      m_bare->Run("Commit");
    }
  });
  f.ours = Timed([&] {
    for (const auto& [farmer, tickets] : open) {
      if (static_cast<size_t>(n) >= kTimed) break;
      CTsgbRec slip;
      slip.JN[0] = number(700000, n++);
      slip.JT[0] = date;
      slip.OPR[2] = "104";
      if (TsSlipMakeCheck(slip, 0, tickets, &m_db) != 1) break;
    }
  });
  Print(f);
  std::printf("  %zu farmers with open tickets, %d slips made; the floor: %s\n", open.size(), n,
              BarePlan(*m_bare, assign(open.begin()->second.front(), "799999")).c_str());
}

void CSeasonRun::BackupAndRestore() {
  const std::filesystem::path folder = m_season.Folder().Path();
  const std::string archive = (folder / "season.bak").string();
  const std::string copy = (folder / "vacuum.tsd").string();
  Best(
      "backup", 3, 2, [&] { return Timed([&] { CSmMDBBak(m_db).SaveBackup(archive); }); },
      [&] {
        std::filesystem::remove(copy);
        return Timed([&] { m_bare->Run("Vacuum Into '" + copy + "'"); });
      });
  // The floor: the tables made in a fresh file, every row copied by one INSERT ... SELECT a
  // table, then the indexes built.
  std::vector<std::string> tables, indexes;
  m_bare->Run("Select type,name,sql From sqlite_master Where sql Is Not Null",
              [&](sqlite3_stmt* s) {
                const std::string type = CBenchBare::Column(s, 0);
                if (type == "table") tables.push_back(CBenchBare::Column(s, 1));
                if (type == "index") indexes.push_back(CBenchBare::Column(s, 2));
              });
  const std::string fresh = (folder / "fresh.tsd").string();
  Best(
      "restore", 5, 2, [&] { return Timed([&] { CSmMDBBak(m_db).LoadBackup(archive, 2); }); },
      [&] {
        std::filesystem::remove(fresh);
        std::ofstream{fresh};  // an empty file is an empty database to attach
        CBenchBare source(copy);
        return Timed([&] {
          source.Run("Attach '" + fresh + "' As fresh");
          source.Run("Begin");
          for (const std::string& table : tables) {
            std::string create;
            source.Run("Select sql From sqlite_master Where name='" + table + "'",
                       [&](sqlite3_stmt* s) { create = CBenchBare::Column(s, 0); });
            source.Run("Create Table fresh." + table + create.substr(create.find('(')));
            source.Run("Insert Into fresh." + table + " Select * From main." + table);
          }
          for (std::string index : indexes) {
            index.insert(index.find("INDEX ") + 6, "fresh.");
            source.Run(index);
          }
          source.Run("Commit");
        });
      });
  CBenchBare restored(fresh);
  std::printf("  tickets restored %ld and %ld\n", m_db.QueryInt("Select Count(*) From gbSheet"),
              restored.Count("Select Count(*) From gbSheet"));
}

void CSeasonRun::CarryOver() {
  auto* cane = static_cast<CTsDataType*>(m_season.App().FindDataType(16));
  const std::string folder = m_season.Folder() / "next";
  auto fresh = [&] {
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::string path;
    SmCreateYearFile(m_season.App(), folder, kYear + 1, &path);
    return path;
  };
  Best(
      "new year's carry-over", 5, 2,
      [&] {
        CSmDatabase target;
        if (!target.Open(fresh())) return 0.0;
        return Timed([&] {
          for (int item = 0; item < 5; ++item) cane->CarryOver(0, item, &m_db, &target, nullptr);
        });
      },
      [&] {
        const std::string path = fresh();
        CBenchBare target(path);
        return Timed([&] {
          target.Run("Attach '" + m_barePath + "' As old");
          target.Run("Begin");
          for (const char* table : {"NHDir", "AdrDir", "DriverDir", "GP"})
            target.Run(FormatStr("Insert Into main.%s Select * From old.%s", table, table));
          target.Run("Insert Into jsSheet(LB,DB,T,DH,KNO,MRY,OPR0,OPR1,TH,FK,MU0,MU1" +
                     std::string(",MY0,MY1,MY2,MY3,MY4,MY5,MY6,MY7,MY8,MY9,MY10,MY11,MY12,MY13,"
                                 "MY14) Select LB,'2','20161101','',KNO,'','101','101','',0,0,0") +
                     Sums("MY", 0, 14) + " From old.jsSheet Group By LB,KNO");
          target.Run("Commit");
        });
      });
  CBenchBare carried(folder + "/" + std::to_string(kYear + 1) + ".tsd");
  std::printf("  farmers and balances carried by the floor: %ld and %ld\n",
              carried.Count("Select Count(*) From NHDir"),
              carried.Count("Select Count(*) From jsSheet"));
}

// The plans PostgreSQL chooses, with the statistics of the copied season, for the statements
// that look open tickets up by ticket, farmer, variety, place or date.
void CSeasonRun::ServerPlans(CSmDatabase& server) {
  server.ExecuteSQL("Analyze gbSheet");
  const std::string dh = m_db.QueryCountString("Max(DH) From gbSheet Where JN0=''");
  const std::string farmer = m_db.QueryCountString("Max(KNO0) From gbSheet Where JN0=''");
  CTsgbRec slip;
  slip.JN[0] = "999999";
  slip.JT[0] = LastDay();
  slip.OPR[2] = "104";
  TsSlipQuery week;
  week.sDateFrom = TsSeasonDay(kYear, m_shape.days - 7);
  week.sDateTo = LastDay();
  week.nSettleState[0] = 0;
  const std::pair<const char*, std::string> statements[] = {
      {"a slip takes a ticket", TsSlipAssignText(slip, 0, dh, &server)},
      {"a farmer's open tickets",
       "Select * From gbSheet " + TsSlipOpenTicketsWhere(0, farmer, &server) + " Order by DH"},
      {"a ticket rewritten", TsgbDeleteText(2, dh, &server)},
      {"the prices of a variety",
       "Select Count(*) From gbSheet " + TsgbPricedWhere(0, "101", &server)},
      {"the freight prices of a place",
       "Select Count(*) From gbSheet " + TsgbPricedWhere(1, "001", &server)},
      {"a week's open tickets", "Select * From gbSheet " + TsSlipConditions(week, &server)},
  };
  for (const auto& [name, sql] : statements) {
    std::vector<std::string> lines[1];
    server.QueryStrings("Explain " + sql, lines, 1);
    std::string plan;
    for (std::string line : lines[0]) {
      const size_t cost = line.find("  (cost=");
      if (cost != std::string::npos) line.erase(cost, line.find(')', cost) + 1 - cost);
      if (line.find("Scan") != std::string::npos)
        plan += (plan.empty() ? "" : "; ") + line.substr(line.find_first_not_of(" ->"));
    }
    std::printf("  on PostgreSQL: plan of %-29s %s\n", (std::string(name) + ":").c_str(),
                plan.c_str());
  }
}

// The statements each report sends on PostgreSQL: the season copied to a database of the test
// cluster, each report built once.
void CSeasonRun::ServerStatements() {
  const auto env = [](const char* name) {
    const char* value = std::getenv(name);
    return std::string(value ? value : "");
  };
  if (env("SM_PG_PORT").empty()) {
    std::printf(
        "  on PostgreSQL: SM_PG_* not set (scripts/pg.sh start DIR prints them); skipped\n");
    return;
  }
  CSmConnInfo login(2);
  login.server = env("SM_PG_HOST") + "," + env("SM_PG_PORT");
  login.user = env("SM_PG_USER");
  login.password = env("SM_PG_PASSWORD");
  const std::string name = FormatStr("sm_bench_season_%d", m_shape.tickets);
  {
    CSmDatabase master(2);
    if (!master.Open("master", login)) {
      std::printf("  the test cluster cannot be reached\n");
      return;
    }
    master.ExecuteSQL("Drop Database If Exists " + name + " With (FORCE)", {}, 128, false);
  }
  CSmDatabase server(2);
  if (!server.CreateDatabase(login, name)) return;
  m_season.App().AfterOpen(&server);
  bool copied = true;
  for (const char* table : {"NHDir", "GP", "AdrDir", "DriverDir", "gbSheet", "jsSheet"}) {
    server.ExecuteSQL(FormatStr("Delete From %s", table));
    copied = CSmDatabase::CopyTable(&m_db, &server, table) && copied;
  }
  if (!copied) std::printf("  the season could not be copied to the server\n");
  ServerPlans(server);
  for (const auto& [report, build] : Builders()) {
    const long long before = server.StatementsSent();
    size_t rows = 0;
    const double seconds = Timed([&] { rows = build(server); });
    std::printf("  on PostgreSQL: %-30s %6lld statements, %zu rows, %.1f ms\n", report.c_str(),
                server.StatementsSent() - before, rows, seconds * 1000);
  }
  CTsReportDoc7 doc;
  SetUpDetailList(doc, server);
  const long long before = server.StatementsSent();
  const double seconds = Timed([&] { doc.Refresh(); });
  std::printf("  on PostgreSQL: %-30s %6lld statements, %zu rows, %.1f ms\n", "ticket detail list",
              server.StatementsSent() - before, doc.m_rows.size(), seconds * 1000);
  server.Close();
  CSmDatabase master(2);
  if (master.Open("master", login))
    master.ExecuteSQL("Drop Database If Exists " + name + " With (FORCE)", {}, 128, false);
}

bool CSeasonRun::Run() {
  std::printf("\n%d tickets, %d farmers                    program      bare SQLite   ratio\n",
              m_shape.tickets, m_shape.farmers);
  if (!Prepare()) return false;
  Reports();
  DetailList();
  ServerStatements();
  Recalculation();
  BankBatch();
  OpenTickets();
  Rewrites();
  Slips();
  BackupAndRestore();
  CarryOver();
  std::printf("  peak memory of the whole run so far: %.1f MB\n", ProcKb("VmHWM:") / 1024.0);
  m_db.Close();
  m_bare.reset();
  m_season.Folder().Empty();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const bool smallOnly = argc > 1 && std::string(argv[1]) == "small";
  CBenchSeason season(argc, argv, "bench_season_scale");
  auto* cane = static_cast<CTsDataType*>(season.App().FindDataType(16));
  cane->SetWeighingService(std::make_unique<CTsWeighingDocs>());
  TsSeasonShape small;
  small.tickets = 20000;
  small.farmers = 2000;
  small.drivers = 100;
  small.places = 60;
  if (!CSeasonRun(season, small).Run()) return 1;
  if (!smallOnly && !CSeasonRun(season, TsSeasonShape{}).Run()) return 1;
  return 0;
}
