// Copies 200,000 ticket-sized rows from a data file to PostgreSQL through CSmDatabase::CopyTable,
// beside `psql \copy` of the same rows from a CSV file; and times 20,000 inserts on the server
// through ExecuteSQL and through ExecuteBound, each in one transaction. Reads the test cluster
// from SM_PG_HOST, SM_PG_PORT, SM_PG_USER and SM_PG_PASSWORD (scripts/pg.sh prints them);
// without them it says so and does nothing.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/bench_folder.h"
#include "core/SmDatabase.h"
#include "core/SmQuery.h"
#include "core/SmString.h"

namespace {

const int kRows = 200000;
const int kInserts = 20000;

// A weighing ticket's shape: codes and names, weights, prices and money items.
const char kColumns[] =
    "KNO Char(15),CNO Char(10),NA Char(40),CAR Char(12),T1 Char(14),T2 Char(14),OP Char(20),"
    "NOTE Char(60),N0 INT,N1 INT,N2 INT,N3 INT,N4 INT,N5 INT,MZ Numeric(12,2),"
    "PZ Numeric(12,2),ZB Numeric(12,2),KZ Numeric(12,2),JZ Numeric(12,2),PR Numeric(12,4),"
    "MY0 Numeric(14,2),MY1 Numeric(14,2),MY2 Numeric(14,2),MY3 Numeric(14,2),MY4 Numeric(14,2),"
    "MY5 Numeric(14,2),MY6 Numeric(14,2),MY7 Numeric(14,2)";
const char kList[] =
    "KNO,CNO,NA,CAR,T1,T2,OP,NOTE,N0,N1,N2,N3,N4,N5,MZ,PZ,ZB,KZ,JZ,PR,MY0,MY1,MY2,MY3,MY4,MY5,"
    "MY6,MY7";

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Processor time of this process: the copy's own share of its wall time, the rest being the
// driver's wait for the server.
double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

std::vector<SmDbValue> TicketValues(int i) {
  const double gross = 30000 + i % 977;
  const double tare = 10000 + i % 331;
  std::vector<SmDbValue> v = {SmDbValue::OfText(FormatStr("%015d", i)),
                              SmDbValue::OfText(FormatStr("C%05d", i % 5000)),
                              SmDbValue::OfText("蔗农" + std::to_string(i % 5000)),
                              SmDbValue::OfText(FormatStr("桂A%05d", i % 9000)),
                              SmDbValue::OfText("20261209080000"),
                              SmDbValue::OfText("20261209081500"),
                              SmDbValue::OfText("过磅员(101)"),
                              SmDbValue::OfText(i % 7 == 0 ? "扣杂" : "")};
  for (int k = 0; k < 6; ++k) v.push_back(SmDbValue::OfInt((i + k) % 11));
  for (double x : {gross, tare, 98.5, (i % 5) * 10.0, (gross - tare) * 0.985, 0.4825})
    v.push_back(SmDbValue::OfDouble(x));
  for (int k = 0; k < 8; ++k) v.push_back(SmDbValue::OfDouble((gross - tare) * 0.4825 / (k + 1)));
  return v;
}

bool FillDataFile(CSmDatabase& file, const std::string& path) {
  std::filesystem::remove(path);
  if (!file.CreateDatabase(CSmConnInfo(0), path)) return false;
  if (!file.ExecuteSQL(std::string("Create Table TICKET(") + kColumns + ")")) return false;
  const std::string insert = std::string("Insert Into TICKET(") + kList +
                             ") Values(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)";
  file.BeginTrans();
  for (int i = 0; i < kRows; ++i)
    if (!file.ExecuteBound(insert, {}, TicketValues(i))) return false;
  return file.CommitTrans();
}

// The same rows as psql reads them.
bool WriteCsv(CSmDatabase& file, const std::string& path) {
  std::ofstream out(path);
  CSmQuery q(6, 14, 8, &file);
  if (!q.Open("Select N0,N1,N2,N3,N4,N5,MZ,PZ,ZB,KZ,JZ,PR,MY0,MY1,MY2,MY3,MY4,MY5,MY6,MY7,"
              "KNO,CNO,NA,CAR,T1,T2,OP,NOTE From TICKET"))
    return false;
  for (; !q.IsEOF(); q.MoveNext()) {
    for (int k = 0; k < 8; ++k) out << q.GetString(k) << ',';
    for (int k = 0; k < 6; ++k) out << q.GetInt(k) << ',';
    for (int k = 0; k < 14; ++k) out << FormatStr("%.4f", q.GetDouble(k)) << (k < 13 ? ',' : '\n');
  }
  return static_cast<bool>(out);
}

double PsqlCopy(const std::string& database, const std::string& csv) {
  const std::string command = "PGPASSWORD='" + Env("SM_PG_PASSWORD") + "' psql -q -h " +
                              Env("SM_PG_HOST") + " -p " + Env("SM_PG_PORT") + " -U " +
                              Env("SM_PG_USER") + " -d " + database + " -c \"\\copy TICKET(" +
                              kList + ") From '" + csv + "' With (Format csv)\"";
  const auto start = std::chrono::steady_clock::now();
  if (std::system(command.c_str()) != 0) return -1;
  return Seconds(start);
}

// Inserts through ExecuteSQL (values in the text) or ExecuteBound, in one transaction.
double TimeInserts(CSmDatabase& server, bool bound) {
  server.ExecuteSQL("Delete From TICKET");
  const auto start = std::chrono::steady_clock::now();
  server.BeginTrans();
  for (int i = 0; i < kInserts; ++i) {
    if (bound) {
      server.ExecuteBound("Insert Into TICKET(KNO,N0,MZ) Values(?,?,?)", {},
                          {SmDbValue::OfText(std::to_string(i)), SmDbValue::OfInt(i),
                           SmDbValue::OfDouble(i * 0.5)});
    } else {
      server.ExecuteSQL(
          FormatStr("Insert Into TICKET(KNO,N0,MZ) Values('%d',%d,%lf)", i, i, i * 0.5));
    }
  }
  server.CommitTrans();
  return Seconds(start);
}

}  // namespace

int main() {
  if (Env("SM_PG_PORT").empty()) {
    std::printf("server copy: SM_PG_* not set (scripts/pg.sh start DIR prints them); skipped\n");
    return 0;
  }
  CSmConnInfo login(2);
  login.server = Env("SM_PG_HOST") + "," + Env("SM_PG_PORT");
  login.user = Env("SM_PG_USER");
  login.password = Env("SM_PG_PASSWORD");
  const std::string database = "sm_bench_copy";
  {
    CSmDatabase master(2);
    if (!master.Open("master", login)) {
      std::printf("server copy: cannot reach the server\n");
      return 1;
    }
    master.ExecuteSQL("Drop Database If Exists " + database + " With (FORCE)", {}, 128, false);
  }
  CSmDatabase server(2);
  if (!server.CreateDatabase(login, database) ||
      !server.ExecuteSQL(std::string("Create Table TICKET(") + kColumns + ")"))
    return 1;

  const CBenchFolder dir("sm_bench_copy");
  const std::string filePath = dir / "sm_bench_copy.tsd";
  const std::string csvPath = dir / "sm_bench_copy.csv";
  CSmDatabase file;
  if (!FillDataFile(file, filePath) || !WriteCsv(file, csvPath)) return 1;

  const double cpuStart = CpuSeconds();
  auto start = std::chrono::steady_clock::now();
  const bool copied = CSmDatabase::CopyTable(&file, &server, "TICKET");
  const double ours = Seconds(start);
  const double ourCpu = CpuSeconds() - cpuStart;
  const long count = server.QueryInt("Select Count(*) From TICKET");
  server.ExecuteSQL("Delete From TICKET");
  const double psql = PsqlCopy(database, csvPath);
  const long psqlCount = server.QueryInt("Select Count(*) From TICKET");
  if (!copied || count != kRows || psql < 0 || psqlCount != kRows) {
    std::printf("server copy: failed (%ld and %ld rows)\n", count, psqlCount);
    return 1;
  }
  std::printf(
      "%d ticket rows to PostgreSQL   CopyTable %8.3f s   psql \\copy %8.3f s   ratio %6.2f   "
      "(CopyTable's own processor time %.3f s)\n",
      kRows, ours, psql, ours / psql, ourCpu);

  const double plain = TimeInserts(server, false);
  const double bound = TimeInserts(server, true);
  std::printf(
      "%d server inserts            ExecuteSQL %7.3f s   ExecuteBound %6.3f s   ratio %6.2f\n",
      kInserts, plain, bound, bound / plain);
  return 0;
}
