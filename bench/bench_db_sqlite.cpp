// Inserts 100,000 parameter rows in one transaction through CSmDatabase::ExecuteSQL, again with
// bound values through ExecuteBound, and reads them back through CSmQuery, beside the same work
// done with the bare SQLite C API (bound values: one statement prepared once). Both sides open
// their files in the same mode, for one thread. Then a filtered read of 200,000 ticket rows
// through the query object beside the same statement stepped by hand, median of many rounds.
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_folder.h"
#include "core/SmDatabase.h"
#include "core/SmQuery.h"

namespace {

int kRows = 100000;
int kRounds = 5;
const char kCreate[] = "CREATE TABLE SYSCSTAB(CS LONG,CSN LONG,CSNA CHAR(200),CSVAL CHAR(200))";
const char kSelect[] = "Select Cs,CsN,Rtrim(CsNa),Rtrim(CsVal) From SysCsTab";
const char kCreateBound[] = "CREATE TABLE CSBOUND(CS LONG,CSN LONG,CSNA CHAR(200),CSVAL CHAR(200))";
const char kInsertBound[] = "Insert Into CsBound(Cs,CsN,CsNa,CsVal) Values(?,?,?,?)";

std::string NameText(int i) {
  return "参数" + std::to_string(i);
}
std::string ValueText(int i) {
  return "值" + std::to_string(i * 7);
}

std::string InsertText(int i) {
  return "Insert Into SysCsTab(Cs,CsN,CsNa,CsVal) Values(" + std::to_string(i % 97) + "," +
         std::to_string(i) + ",'" + NameText(i) + "','" + ValueText(i) + "')";
}

// The processor time of this process: on a loaded machine, waiting for a processor is not work.
struct CpuClock {
  using time_point = double;
  static double now() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
  }
};

double Seconds(double since) {
  return CpuClock::now() - since;
}

std::string FreshFile(const std::filesystem::path& dir, const char* name) {
  std::filesystem::path path = dir / name;
  std::filesystem::remove(path);
  return path.string();
}

struct Timing {
  double insert = 0, bound = 0, read = 0;
  long long check = 0;
};

// Each step is a function of its own, so that an instruction profiler (callgrind) counts the
// steps apart: `valgrind --tool=callgrind bench_db_sqlite 20000 1`.
[[gnu::noinline]] double InsertThrough(CSmDatabase& db) {
  const auto start = CpuClock::now();
  db.BeginTrans();
  for (int i = 0; i < kRows; ++i) db.ExecuteSQL(InsertText(i));
  db.CommitTrans();
  return Seconds(start);
}

[[gnu::noinline]] double BoundThrough(CSmDatabase& db) {
  const auto start = CpuClock::now();
  db.BeginTrans();
  for (int i = 0; i < kRows; ++i) {
    db.ExecuteBound(kInsertBound, {},
                    {SmDbValue::OfInt(i % 97), SmDbValue::OfInt(i), SmDbValue::OfText(NameText(i)),
                     SmDbValue::OfText(ValueText(i))});
  }
  db.CommitTrans();
  return Seconds(start);
}

[[gnu::noinline]] double ReadThrough(CSmDatabase& db, long long& check) {
  const auto start = CpuClock::now();
  CSmQuery q(2, 0, 2, &db);
  q.Open(kSelect);
  for (; !q.IsEOF(); q.MoveNext())
    check += q.GetInt(0) + q.GetInt(1) + q.GetString(0).size() + q.GetString(1).size();
  return Seconds(start);
}

Timing ThroughConnection(const std::string& path) {
  Timing t;
  CSmDatabase db;
  if (!db.CreateDatabase(CSmConnInfo(0), path) || !db.ExecuteSQL(kCreate) ||
      !db.ExecuteSQL(kCreateBound))
    return t;
  t.insert = InsertThrough(db);
  t.bound = BoundThrough(db);
  t.read = ReadThrough(db, t.check);
  return t;
}

[[gnu::noinline]] double BareInsert(sqlite3* db) {
  const auto start = CpuClock::now();
  sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
  for (int i = 0; i < kRows; ++i) {
    const std::string sql = InsertText(i);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr);
    sqlite3_step(stmt);
    sqlite3_finalize(stmt);
  }
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  return Seconds(start);
}

[[gnu::noinline]] double BareBound(sqlite3* db) {
  const auto start = CpuClock::now();
  sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db, kInsertBound, -1, &insert, nullptr);
  for (int i = 0; i < kRows; ++i) {
    const std::string na = NameText(i);
    const std::string val = ValueText(i);
    sqlite3_bind_int64(insert, 1, i % 97);
    sqlite3_bind_int64(insert, 2, i);
    sqlite3_bind_text(insert, 3, na.data(), static_cast<int>(na.size()), SQLITE_TRANSIENT);
    sqlite3_bind_text(insert, 4, val.data(), static_cast<int>(val.size()), SQLITE_TRANSIENT);
    sqlite3_step(insert);
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  return Seconds(start);
}

[[gnu::noinline]] double BareRead(sqlite3* db, long long& check) {
  const auto start = CpuClock::now();
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db, "Select Cs,CsN,Rtrim(CsNa),Rtrim(CsVal) From SysCsTab", -1, &stmt,
                     nullptr);
  // Every column of every row, as the query object reads them.
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    const long long cs = sqlite3_column_int64(stmt, 0);
    const long long csn = sqlite3_column_int64(stmt, 1);
    std::string na(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 2)));
    std::string val(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 3)));
    check += cs + csn + static_cast<long long>(na.size() + val.size());
  }
  sqlite3_finalize(stmt);
  return Seconds(start);
}

Timing BareApi(const std::string& path) {
  Timing t;
  sqlite3* db = nullptr;
  const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
  if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) return t;
  sqlite3_exec(db, kCreate, nullptr, nullptr, nullptr);
  sqlite3_exec(db, kCreateBound, nullptr, nullptr, nullptr);
  t.insert = BareInsert(db);
  t.bound = BareBound(db);
  t.read = BareRead(db, t.check);
  sqlite3_close(db);
  return t;
}

// ---- a filtered read of ticket rows: 250,000 tickets, 200,000 of them tared

const int kTickets = 250000;
const int kReadRounds = 21;
const char kTicketTable[] =
    "CREATE TABLE gbSheet(T CHAR(8),DH CHAR(8),OPR1 CHAR(3),KNO0 CHAR(15),KNO1 CHAR(15),"
    "MU0 Double,MU1 Double,MU2 Double,PR0 Double,MY0 Double,MY1 Double,FK LONG)";
const char kTicketRead[] =
    "Select FK,MU0,MU1,MU2,PR0,MY0,MY1,T,DH,KNO0,KNO1 From gbSheet Where OPR1<>'' And "
    "T>='20151101'";

bool FillTickets(const std::string& path) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
      SQLITE_OK)
    return false;
  sqlite3_exec(db, kTicketTable, nullptr, nullptr, nullptr);
  sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db, "Insert Into gbSheet Values(?,?,?,?,?,?,?,?,?,?,?,?)", -1, &insert,
                     nullptr);
  for (int i = 0; i < kTickets; ++i) {
    const std::string texts[] = {"201512" + std::to_string(10 + i % 20), std::to_string(100000 + i),
                                 i % 5 == 4 ? "" : "102", std::to_string(10101001 + i % 20000),
                                 std::to_string(100 + i % 400)};
    for (int c = 0; c < 5; ++c)
      sqlite3_bind_text(insert, c + 1, texts[c].c_str(), -1, SQLITE_TRANSIENT);
    for (int c = 0; c < 6; ++c) sqlite3_bind_double(insert, c + 6, 20.5 + (i + c) % 97 * 0.25);
    sqlite3_bind_int(insert, 12, i % 3);
    sqlite3_step(insert);
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  const bool ok = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
  sqlite3_close(db);
  return ok;
}

[[gnu::noinline]] double TicketsThrough(CSmDatabase& db, long long& check) {
  const auto start = CpuClock::now();
  CSmQuery q(1, 6, 4, &db);
  q.Open(kTicketRead);
  for (; !q.IsEOF(); q.MoveNext()) {
    check += q.GetInt(0) + static_cast<long long>(q.GetDouble(5)) +
             static_cast<long long>(q.GetString(1).size() + q.GetString(3).size());
  }
  return Seconds(start);
}

[[gnu::noinline]] double TicketsBare(sqlite3* db, long long& check) {
  const auto start = CpuClock::now();
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db, kTicketRead, -1, &stmt, nullptr);
  // Every column of every row into values of their own, as the query object reads them.
  long ints[1];
  double numbers[6];
  std::string texts[4];
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    ints[0] = static_cast<long>(sqlite3_column_int64(stmt, 0));
    for (int c = 0; c < 6; ++c) numbers[c] = sqlite3_column_double(stmt, 1 + c);
    for (int c = 0; c < 4; ++c) {
      const unsigned char* text = sqlite3_column_text(stmt, 7 + c);
      texts[c].assign(text ? reinterpret_cast<const char*>(text) : "");
    }
    check += ints[0] + static_cast<long long>(numbers[5]) +
             static_cast<long long>(texts[1].size() + texts[3].size());
  }
  sqlite3_finalize(stmt);
  return Seconds(start);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// The median of many rounds of the same read through the query object and through the bare
// engine, taken in turn; false when the file cannot be made or the reads differ.
bool FilteredRead(const std::string& path) {
  if (!FillTickets(path)) return false;
  CSmDatabase db;
  sqlite3* bare = nullptr;
  if (!db.Open(path) ||
      sqlite3_open_v2(path.c_str(), &bare, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) !=
          SQLITE_OK)
    return false;
  std::vector<double> ours, plain;
  long long checkOurs = 0, checkBare = 0;
  for (int round = 0; round < kReadRounds; ++round) {
    checkOurs = checkBare = 0;
    ours.push_back(TicketsThrough(db, checkOurs));
    plain.push_back(TicketsBare(bare, checkBare));
  }
  sqlite3_close(bare);
  std::printf("filtered read of %d of %d ticket rows, median of %d (CPU)\n", kTickets / 5 * 4,
              kTickets, kReadRounds);
  std::printf("read tickets             %10.4f s          %10.4f s      %6.2f\n", Median(ours),
              Median(plain), Median(ours) / Median(plain));
  return checkOurs == checkBare;
}

// The best of a few rounds of each, taken in turn: other work on the machine only slows a round.
void KeepBest(Timing& best, const Timing& t) {
  if (best.insert == 0 || t.insert < best.insert) best.insert = t.insert;
  if (best.bound == 0 || t.bound < best.bound) best.bound = t.bound;
  if (best.read == 0 || t.read < best.read) best.read = t.read;
  best.check = t.check;
}

}  // namespace

// Optional arguments: rows and rounds (a short run for a profiler).
int main(int argc, char** argv) {
  if (argc > 1) kRows = std::atoi(argv[1]);
  if (argc > 2) kRounds = std::atoi(argv[2]);
  const CBenchFolder folder("sm_bench_db_sqlite");
  const std::filesystem::path& dir = folder.Path();
  Timing ours, bare;
  for (int round = 0; round < kRounds; ++round) {
    KeepBest(ours, ThroughConnection(FreshFile(dir, "sm_bench_connection.tsd")));
    KeepBest(bare, BareApi(FreshFile(dir, "sm_bench_bare.tsd")));
  }
  std::printf(
      "%d SysCsTab rows, best of %d (CPU)  CSmDatabase/CSmQuery   bare SQLite C API   ratio\n",
      kRows, kRounds);
  std::printf("insert, one transaction  %10.3f s          %10.3f s      %6.2f\n", ours.insert,
              bare.insert, ours.insert / bare.insert);
  std::printf("insert, bound values     %10.3f s          %10.3f s      %6.2f\n", ours.bound,
              bare.bound, ours.bound / bare.bound);
  std::printf("read back                %10.3f s          %10.3f s      %6.2f\n", ours.read,
              bare.read, ours.read / bare.read);
  std::printf("checksums %s\n", ours.check == bare.check ? "match" : "DIFFER");
  const bool sameTickets = FilteredRead(FreshFile(dir, "sm_bench_tickets.tsd"));
  std::printf("ticket checksums %s\n", sameTickets ? "match" : "DIFFER");
  return ours.check == bare.check && sameTickets ? 0 : 1;
}
