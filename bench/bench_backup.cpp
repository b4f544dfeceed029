// Backup and restore of a data file with 200,000 weighbridge tickets and 20,000 farmers through
// the backup archive, beside the bare SQLite C API reading the same rows (what a backup must at
// least do) and inserting them into a fresh file in one transaction with a prepared statement
// (what a restore must at least do). The restore also checks the whole archive first, fills a
// side file and copies it over the data file. Best of a few rounds, taken in turn.
#include <sqlite3.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "admin/SmMDBBak.h"
#include "app/SmApp.h"
#include "app/SmSystemTables.h"
#include "bench/bench_folder.h"
#include "core/SmDatabase.h"
#include "platform/SmMessage.h"

namespace {

const int kTickets = 200000;
const int kFarmers = 20000;
const int kRounds = 3;
const char kTicketTable[] =
    "Create Table Ticket(TicketNo Long,FarmerNo Char(10),Gross Double,Tare Double,Net Double,"
    "Price Double,Amount Double,WeighDate Char(8),WeighTime Char(6),Vehicle Char(12),"
    "Clerk Char(10),Note Char(40))";
const char kFarmerTable[] =
    "Create Table Farmer(FarmerNo Char(10),Name Char(20),Village Char(30),Bank Char(30),"
    "Account Char(20),Area Double)";
const char kTicketInsert[] =
    "Insert Into Ticket(TicketNo,FarmerNo,Gross,Tare,Net,Price,Amount,WeighDate,WeighTime,"
    "Vehicle,Clerk,Note) Values(?,?,?,?,?,?,?,?,?,?,?,?)";
const char kFarmerInsert[] =
    "Insert Into Farmer(FarmerNo,Name,Village,Bank,Account,Area) Values(?,?,?,?,?,?)";

class BenchApp : public CSmApp {
 public:
  bool InitInstance(const std::vector<std::string>&) override { return true; }
};

class CaneTables : public CSmDataType {
 public:
  void CreateTables(CSmDatabase* db) override {
    if (!db->TableExists("Ticket")) db->ExecuteSQL(kTicketTable);
    if (!db->TableExists("Farmer")) db->ExecuteSQL(kFarmerTable);
  }
};

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

std::string FarmerNo(int i) {
  return "F" + std::to_string(100000 + i % kFarmers);
}

std::vector<SmDbValue> TicketRow(int i) {
  const double gross = 20.0 + (i % 97) * 0.013;
  const double tare = 6.5 + (i % 13) * 0.01;
  return {SmDbValue::OfInt(i + 1),
          SmDbValue::OfText(FarmerNo(i)),
          SmDbValue::OfDouble(gross),
          SmDbValue::OfDouble(tare),
          SmDbValue::OfDouble(gross - tare),
          SmDbValue::OfDouble(520.0),
          SmDbValue::OfDouble((gross - tare) * 520.0),
          SmDbValue::OfText("20161207"),
          SmDbValue::OfText("103015"),
          SmDbValue::OfText("桂A" + std::to_string(10000 + i % 5000)),
          SmDbValue::OfText("过磅员" + std::to_string(i % 7)),
          SmDbValue::OfText(i % 10 == 0 ? "扣杂2%，含泥较多" : "")};
}

std::vector<SmDbValue> FarmerRow(int i) {
  return {SmDbValue::OfText(FarmerNo(i)),
          SmDbValue::OfText("蔗农" + std::to_string(i)),
          SmDbValue::OfText("第" + std::to_string(i % 40) + "村民小组"),
          SmDbValue::OfText("农村信用合作社"),
          SmDbValue::OfText("6228" + std::to_string(10000000 + i)),
          SmDbValue::OfDouble(3.5 + (i % 50) * 0.25)};
}

bool FillDataFile(CSmDatabase& db) {
  if (!db.BeginTrans()) return false;
  for (int i = 0; i < kTickets; ++i) {
    if (!db.ExecuteBound(kTicketInsert, {}, TicketRow(i))) return false;
  }
  for (int i = 0; i < kFarmers; ++i) {
    if (!db.ExecuteBound(kFarmerInsert, {}, FarmerRow(i))) return false;
  }
  return db.CommitTrans();
}

// ---- the bare engine

struct Cell {
  int type = SQLITE_NULL;
  sqlite3_int64 number = 0;
  double real = 0;
  std::string text;
};
using Rows = std::vector<std::vector<Cell>>;

Rows ReadAll(sqlite3* db, const char* table) {
  Rows rows;
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db, (std::string("Select * From ") + table).c_str(), -1, &stmt, nullptr);
  const int columns = sqlite3_column_count(stmt);
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    std::vector<Cell>& row = rows.emplace_back(static_cast<size_t>(columns));
    for (int c = 0; c < columns; ++c) {
      Cell& cell = row[static_cast<size_t>(c)];
      cell.type = sqlite3_column_type(stmt, c);
      if (cell.type == SQLITE_INTEGER) cell.number = sqlite3_column_int64(stmt, c);
      if (cell.type == SQLITE_FLOAT) cell.real = sqlite3_column_double(stmt, c);
      if (cell.type == SQLITE_TEXT)
        cell.text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
    }
  }
  sqlite3_finalize(stmt);
  return rows;
}

void InsertAll(sqlite3* db, const char* insert, const Rows& rows) {
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db, insert, -1, &stmt, nullptr);
  for (const std::vector<Cell>& row : rows) {
    for (size_t c = 0; c < row.size(); ++c) {
      const int at = static_cast<int>(c) + 1;
      const Cell& cell = row[c];
      if (cell.type == SQLITE_INTEGER) sqlite3_bind_int64(stmt, at, cell.number);
      if (cell.type == SQLITE_FLOAT) sqlite3_bind_double(stmt, at, cell.real);
      if (cell.type == SQLITE_TEXT)
        sqlite3_bind_text(stmt, at, cell.text.data(), static_cast<int>(cell.text.size()),
                          SQLITE_STATIC);
      if (cell.type == SQLITE_NULL) sqlite3_bind_null(stmt, at);
    }
    sqlite3_step(stmt);
    sqlite3_reset(stmt);
  }
  sqlite3_finalize(stmt);
}

struct Timing {
  double read = 0, insert = 0;
  size_t rows = 0;
};

Timing BareEngine(const std::string& path, const std::string& copy) {
  Timing t;
  sqlite3* source = nullptr;
  sqlite3_open_v2(path.c_str(), &source, SQLITE_OPEN_READONLY, nullptr);
  auto start = std::chrono::steady_clock::now();
  const Rows tickets = ReadAll(source, "Ticket");
  const Rows farmers = ReadAll(source, "Farmer");
  t.read = Seconds(start);
  sqlite3_close(source);
  t.rows = tickets.size() + farmers.size();

  std::filesystem::remove(copy);
  sqlite3* target = nullptr;
  sqlite3_open_v2(copy.c_str(), &target, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  sqlite3_exec(target, kTicketTable, nullptr, nullptr, nullptr);
  sqlite3_exec(target, kFarmerTable, nullptr, nullptr, nullptr);
  start = std::chrono::steady_clock::now();
  sqlite3_exec(target, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
  InsertAll(target, kTicketInsert, tickets);
  InsertAll(target, kFarmerInsert, farmers);
  sqlite3_exec(target, "COMMIT", nullptr, nullptr, nullptr);
  t.insert = Seconds(start);
  sqlite3_close(target);
  return t;
}

// ---- the archive

Timing Archive(CSmDatabase& db, const std::string& archive) {
  Timing t;
  auto start = std::chrono::steady_clock::now();
  if (!CSmMDBBak(db).SaveBackup(archive)) return t;
  t.read = Seconds(start);
  start = std::chrono::steady_clock::now();
  if (!CSmMDBBak(db).LoadBackup(archive, 2)) return t;
  t.insert = Seconds(start);
  t.rows = static_cast<size_t>(db.QueryInt("Select Count(*) From Ticket") +
                               db.QueryInt("Select Count(*) From Farmer"));
  return t;
}

void KeepBest(Timing& best, const Timing& t) {
  if (best.read == 0 || t.read < best.read) best.read = t.read;
  if (best.insert == 0 || t.insert < best.insert) best.insert = t.insert;
  best.rows = t.rows;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication qt(argc, argv);
  CSmMessageService::Instance().SetTestMode(true);  // no box may wait for a hand here
  const CBenchFolder dir("sm_bench_backup");

  BenchApp app;
  app.m_moduleInfo.m_ext = "tsd";
  CaneTables cane;
  app.m_dataTypes = {&cane};
  std::string path;
  CSmDatabase db(0);
  if (!SmCreateYearFile(app, dir.Path().string(), 2016, &path) || !db.Open(path) ||
      !FillDataFile(db)) {
    std::printf("cannot build the data file: %s\n",
                CSmMessageService::Instance().LastText().c_str());
    return 1;
  }
  Timing ours, bare;
  for (int round = 0; round < kRounds; ++round) {
    KeepBest(ours, Archive(db, dir / "data.bak"));
    KeepBest(bare, BareEngine(path, dir / "bare.tsd"));
  }
  app.m_dataTypes.clear();
  std::printf("%d tickets + %d farmers, best of %d   backup archive   bare SQLite C API   ratio\n",
              kTickets, kFarmers, kRounds);
  std::printf("backup  / bare read of the rows     %8.3f s        %8.3f s      %6.2f\n", ours.read,
              bare.read, ours.read / bare.read);
  std::printf("restore / bare insert of the rows   %8.3f s        %8.3f s      %6.2f\n",
              ours.insert, bare.insert, ours.insert / bare.insert);
  const bool same = ours.rows == bare.rows && ours.rows == kTickets + kFarmers;
  std::printf("rows %s\n", same ? "match" : "DIFFER");
  return same ? 0 : 1;
}
