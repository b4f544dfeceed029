// The report designer at a season's scale, each part beside its floor in the same run:
// - the calculation of a 1,000 x 50 sheet through the calculation dialog, against the same
//   formulas through the evaluator alone, with the peak memory of the calculation;
// - a report of 900 rows and 60 columns, every cell with its text, fetch formula and audit
//   formula, saved into the report tables with CRiloData::SaveToDb and read back with
//   LoadFromDb; beside it the bare engine writes and reads the same cell and size rows: the
//   SQLite C API with one prepared statement in one transaction on the data file (into tables
//   without indexes, and again into tables with the report tables' indexes), and psql
//   running the same statements in one transaction on PostgreSQL. The server part needs
//   SM_PG_HOST, SM_PG_PORT, SM_PG_USER and SM_PG_PASSWORD (scripts/pg.sh prints them); without
//   them it is skipped.
#include <sqlite3.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_program.h"
#include "core/SmDatabase.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "designer/BbDataType.h"
#include "designer/RiloCalcDlg.h"
#include "designer/RiloData.h"
#include "designer/RiloDoc.h"

namespace {

const int kRows = 900;
const int kCols = 60;
const int kReport = 1;

struct StoredRow {
  int layer;  // 0 to 2: bbInfo5; 8 and 9: a row height or column width of bbInfo3
  int nx;
  int ny;
  std::string value;
};

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

double PeakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// ---------------------------------------------------------------- calculation

const int kCalcRows = 1000;
const int kCalcCols = 50;

// Column A a number of its row; every tenth column the sum of the ten cells before it; the
// others the cell to their left read with get() and the column added. References reach row
// 999 at most, so the last row reads the row above it.
std::string CalcFormula(int c, int r) {
  if (c == 0) return "row()*1.5";
  const int row = std::min(r + 1, 999);
  if (c % 10 == 0)
    return FormatStr("sum(\"%s%d:%s%d\")", ColumnLabel(c - 10).c_str(), row,
                     ColumnLabel(c - 1).c_str(), row);
  return FormatStr("get(\"%s%d\")+col()", ColumnLabel(c - 1).c_str(), row);
}

CRiloData CalcSheet() {
  CRiloData sheet;
  sheet.m_rows = kCalcRows;
  sheet.m_cols = kCalcCols;
  sheet.m_rowHeights.assign(kCalcRows, 70);
  sheet.m_colWidths.assign(kCalcCols, 300);
  sheet.m_numberFormats.assign(kCalcRows * kCalcCols, SmIntPair{2, 2});
  for (int r = 0; r < kCalcRows; ++r)
    for (int c = 0; c < kCalcCols; ++c) sheet.m_texts.push_back("0\x01" + CalcFormula(c, r));
  FindSmDataType(3)->GetDefaultVars(sheet.m_vars);
  return sheet;
}

// The dialog's run from its start to its last cell, as F5 and "开始" give it.
double TimeDesignerCalc(const CRiloDoc& doc, std::vector<std::string>& values) {
  const auto start = std::chrono::steady_clock::now();
  CRiloCalcDlg dlg(doc);
  dlg.OnCommand(1049);
  const double seconds = Seconds(start);
  if (!dlg.IsFinished()) return -1;
  values = dlg.Values();
  return seconds;
}

// The same formulas, each evaluated once in its cell's place over the values the designer's
// calculation ended with, so that every get() and sum() reads the same numbers.
double TimeEvaluatorAlone(const CRiloDoc& doc, const std::vector<std::string>& computed,
                          std::vector<std::string>& values) {
  const auto start = std::chrono::steady_clock::now();
  std::vector<std::string> formulas;
  doc.GetAllCellTexts(formulas, 1);
  CCaculateChild calc;
  RiloPrepareEvaluator(calc, doc, computed);
  values.assign(formulas.size(), {});
  for (int r = 0; r < kCalcRows; ++r) {
    for (int c = 0; c < kCalcCols; ++c) {
      const size_t i = static_cast<size_t>(c + r * kCalcCols);
      calc.m_defaultSource.m_nCol = c;
      calc.m_defaultSource.m_nRow = r;
      int type = CAC_NUMBER;
      if (!calc.Evaluate(formulas[i], values[i], type)) {
        std::printf("evaluator alone: %s fails with %s\n", formulas[i].c_str(),
                    RiloErrorText(calc).c_str());
        return -1;
      }
    }
  }
  return Seconds(start);
}

bool RunCalculation() {
  CRiloDoc doc;
  doc.m_path = "bench.QLN";
  doc.m_sheet = CalcSheet();
  doc.m_sheet.m_vars = CalcSheet().m_vars;
  std::vector<std::string> alone;
  std::vector<std::string> ours;
  const double before = PeakMegabytes();
  const double designer = TimeDesignerCalc(doc, ours);
  const double designerPeak = PeakMegabytes();
  const double floor = designer < 0 ? -1 : TimeEvaluatorAlone(doc, ours, alone);
  if (floor < 0 || designer < 0) {
    std::printf("calculation: a formula failed\n");
    return false;
  }
  std::printf("calculation %d x %d: designer %8.3f s  evaluator alone %8.3f s  ratio %6.2f\n",
              kCalcRows, kCalcCols, designer, floor, designer / floor);
  std::printf("calculation peak memory: %.0f MB with the sheet, %.0f MB after the calculation\n",
              before, designerPeak);
  std::printf("calculation check: B1 %s, K1 %s, AX1000 %s\n", ours[1].c_str(), ours[10].c_str(),
              ours.back().c_str());
  return true;
}

// ---------------------------------------------------------------- report tables

CRiloData BigSheet() {
  CRiloData sheet;
  sheet.m_rows = kRows;
  sheet.m_cols = kCols;
  sheet.m_reportName = "甘蔗收购月报";
  sheet.m_rowHeights.assign(kRows, 70);
  sheet.m_colWidths.assign(kCols, 300);
  sheet.m_texts.reserve(kRows * kCols);
  for (int r = 0; r < kRows; ++r) {
    for (int c = 0; c < kCols; ++c) {
      sheet.m_texts.push_back(FormatStr("蔗款%d栏%d\x01get(\"%d\\%d\",%d)*1.05\x01%c%d>=0", r, c, r,
                                        c, r + 1, 'A' + c % 26, r + 1));
    }
  }
  sheet.m_vars.Add(CSmVar("#a", "1", 4, ""));
  return sheet;
}

// The rows the report tables get for the cells and sizes, as the bare engine writes them.
std::vector<StoredRow> BareRows(const CRiloData& sheet) {
  std::vector<StoredRow> rows;
  for (int i = 0; i < kRows * kCols; ++i) {
    std::string rest = sheet.m_texts[static_cast<size_t>(i)];
    for (int layer = 0; layer < 3; ++layer) {
      const size_t end = rest.find('\x01');
      rows.push_back({layer, i % kCols + 1, i / kCols + 1, rest.substr(0, end)});
      rest = end == std::string::npos ? std::string() : rest.substr(end + 1);
    }
  }
  for (int r = 0; r < kRows; ++r) rows.push_back({8, r + 1, 0, "70"});
  for (int c = 0; c < kCols; ++c) rows.push_back({9, c + 1, 0, "300"});
  return rows;
}

const char kBareCreate[] =
    "Create Table bare5(nNo INT,sFlg Char(1),nx INT,ny INT,sValue char(250));"
    "Create Table bare3(nNo INT,sFlg Char(1),nxy INT,nValue INT)";
// The indexes the report tables have, for a second floor that keeps them up too.
const char kBareIndexes[] =
    "Create Index bare5_ix On bare5(nNo,sFlg,nx,ny);"
    "Create Index bare3_ix On bare3(nNo,sFlg,nxy)";

std::string BareInsert(const StoredRow& row) {
  if (row.layer >= 8)
    return FormatStr("Insert into bare3(nNo,sFlg,nxy,nValue) Values(%d,'%d',%d,%s)", kReport,
                     row.layer == 8 ? 1 : 0, row.nx, row.value.c_str());
  return FormatStr("Insert into bare5(nNo,sFlg,nx,ny,sValue) Values(%d,'%d',%d,%d,'%s')", kReport,
                   row.layer, row.nx, row.ny, row.value.c_str());
}

const char* const kBareSelects[] = {
    "Select nx,ny,rtrim(sValue) From bare5 Where nNo=1 And sFlg='0'",
    "Select nx,ny,rtrim(sValue) From bare5 Where nNo=1 And sFlg='1'",
    "Select nx,ny,rtrim(sValue) From bare5 Where nNo=1 And sFlg='2'",
    "Select nxy,nValue,rtrim(sFlg) From bare3 Where nNo=1",
};

struct Times {
  double save = 0;
  double load = 0;
};

// Loads are timed as the best of a few rounds: one round is too short to stand above the noise.
constexpr int kLoadRounds = 7;

template <class Load>
double BestOf(Load load) {
  double best = 1e30;
  for (int round = 0; round < kLoadRounds; ++round) {
    const auto start = std::chrono::steady_clock::now();
    load();
    best = std::min(best, Seconds(start));
  }
  return best;
}

bool TimeOurs(CSmDatabase& db, const CRiloData& sheet, Times& times) {
  CBbDataType().CreateTables(&db);
  db.ExecuteSQL(
      "CREATE TABLE SMVAR(nSoft Long,nNo Long,SVAR CHAR(10),SEXP CHAR(200),"
      "SNOTE CHAR(60),NTYPE Long)");
  CRiloData saved = sheet;
  saved.m_vars = sheet.m_vars;
  auto start = std::chrono::steady_clock::now();
  if (!saved.SaveToDb(kReport, {}, false, &db)) return false;
  times.save = Seconds(start);
  CRiloData loaded;
  times.load = BestOf([&] {
    loaded = CRiloData();
    loaded.LoadFromDb(kReport, {}, false, &db);
  });
  return loaded.IsTextsEqual(sheet) && loaded.IsSizesEqual(sheet);
}

bool TimeBareSqlite(const std::string& path, const std::vector<StoredRow>& rows, bool indexed,
                    Times& times) {
  std::filesystem::remove(path);
  sqlite3* raw = nullptr;
  if (sqlite3_open(path.c_str(), &raw) != SQLITE_OK) return false;
  std::unique_ptr<sqlite3, decltype(&sqlite3_close)> db(raw, sqlite3_close);
  if (sqlite3_exec(raw, kBareCreate, nullptr, nullptr, nullptr) != SQLITE_OK) return false;
  if (indexed && sqlite3_exec(raw, kBareIndexes, nullptr, nullptr, nullptr) != SQLITE_OK)
    return false;
  auto start = std::chrono::steady_clock::now();
  sqlite3_exec(raw, "Begin", nullptr, nullptr, nullptr);
  sqlite3_stmt* cells = nullptr;
  sqlite3_stmt* sizes = nullptr;
  sqlite3_prepare_v2(raw, "Insert into bare5(nNo,sFlg,nx,ny,sValue) Values(?,?,?,?,?)", -1, &cells,
                     nullptr);
  sqlite3_prepare_v2(raw, "Insert into bare3(nNo,sFlg,nxy,nValue) Values(?,?,?,?)", -1, &sizes,
                     nullptr);
  for (const StoredRow& row : rows) {
    sqlite3_stmt* st = row.layer >= 8 ? sizes : cells;
    const std::string flag = std::to_string(row.layer >= 8 ? 9 - row.layer : row.layer);
    sqlite3_bind_int(st, 1, kReport);
    sqlite3_bind_text(st, 2, flag.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int(st, 3, row.nx);
    if (row.layer >= 8) {
      sqlite3_bind_int(st, 4, std::atoi(row.value.c_str()));
    } else {
      sqlite3_bind_int(st, 4, row.ny);
      sqlite3_bind_text(st, 5, row.value.c_str(), -1, SQLITE_TRANSIENT);
    }
    if (sqlite3_step(st) != SQLITE_DONE) return false;
    sqlite3_reset(st);
  }
  sqlite3_finalize(cells);
  sqlite3_finalize(sizes);
  sqlite3_exec(raw, "Commit", nullptr, nullptr, nullptr);
  times.save = Seconds(start);

  times.load = BestOf([&] {
    std::vector<std::string> texts(kRows * kCols);
    for (const char* select : kBareSelects) {
      sqlite3_stmt* st = nullptr;
      sqlite3_prepare_v2(raw, select, -1, &st, nullptr);
      while (sqlite3_step(st) == SQLITE_ROW) {
        const int cell = (sqlite3_column_int(st, 0) - 1) + (sqlite3_column_int(st, 1) - 1) * kCols;
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, 2));
        if (cell >= 0 && cell < kRows * kCols) texts[static_cast<size_t>(cell)] += text ? text : "";
      }
      sqlite3_finalize(st);
    }
  });
  return true;
}

std::string Psql(const std::string& database, const std::string& args) {
  return "PGPASSWORD='" + Env("SM_PG_PASSWORD") + "' psql -q -X -v ON_ERROR_STOP=1 -h " +
         Env("SM_PG_HOST") + " -p " + Env("SM_PG_PORT") + " -U " + Env("SM_PG_USER") + " -d " +
         database + " " + args + " >/dev/null";
}

bool TimeBarePsql(CSmDatabase& server, const std::string& database,
                  const std::vector<StoredRow>& rows, Times& times) {
  if (!server.ExecuteSQL("Create Table bare5(nNo INT,sFlg Char(1),nx INT,ny INT,sValue "
                         "char(250))") ||
      !server.ExecuteSQL("Create Table bare3(nNo INT,sFlg Char(1),nxy INT,nValue INT)"))
    return false;
  const CBenchFolder dir("sm_bench_report_psql");
  const std::string write = dir / "sm_bench_report_write.sql";
  const std::string read = dir / "sm_bench_report_read.sql";
  {
    std::ofstream out(write);
    out << "Begin;\n";
    for (const StoredRow& row : rows) out << BareInsert(row) << ";\n";
    out << "Commit;\n";
    std::ofstream in(read);
    for (const char* select : kBareSelects) in << select << ";\n";
  }
  auto start = std::chrono::steady_clock::now();
  if (std::system(Psql(database, "-f " + write).c_str()) != 0) return false;
  times.save = Seconds(start);
  start = std::chrono::steady_clock::now();
  if (std::system(Psql(database, "-f " + read).c_str()) != 0) return false;
  times.load = Seconds(start);
  return true;
}

void Print(const char* engine, const Times& ours, const Times& bare, const char* bareName) {
  std::printf("%s  SaveToDb %8.3f s  %s %8.3f s  ratio %6.2f\n", engine, ours.save, bareName,
              bare.save, ours.save / bare.save);
  std::printf("%s  LoadFromDb %6.3f s  %s %8.3f s  ratio %6.2f\n", engine, ours.load, bareName,
              bare.load, ours.load / bare.load);
}

}  // namespace

int main(int argc, char** argv) {
  CBenchProgram program(argc, argv);
  program.App().AdoptDataType(std::make_unique<CBbDataType>())->Init();
  if (!RunCalculation()) return 1;

  const CRiloData sheet = BigSheet();
  const std::vector<StoredRow> rows = BareRows(sheet);
  std::printf("report %d x %d, %zu cell and size rows\n", kRows, kCols, rows.size());

  const CBenchFolder dir("sm_bench_report");
  const std::string filePath = dir / "sm_bench_report.tsd";
  Times ours;
  Times bare;
  {
    CSmDatabase file;
    if (!file.CreateDatabase(CSmConnInfo(0), filePath) || !TimeOurs(file, sheet, ours)) {
      std::printf("report tables: the data file run failed\n");
      return 1;
    }
  }
  const std::string barePath = dir / "sm_bench_report_bare.db";
  if (!TimeBareSqlite(barePath, rows, false, bare)) return 1;
  Print("data file ", ours, bare, "SQLite C API");
  Times indexed;
  if (!TimeBareSqlite(barePath, rows, true, indexed)) return 1;
  Print("data file ", ours, indexed, "with indexes");

  if (Env("SM_PG_PORT").empty()) {
    std::printf(
        "report tables: SM_PG_* not set (scripts/pg.sh start DIR prints them); server "
        "skipped\n");
    return 0;
  }
  CSmConnInfo login(2);
  login.server = Env("SM_PG_HOST") + "," + Env("SM_PG_PORT");
  login.user = Env("SM_PG_USER");
  login.password = Env("SM_PG_PASSWORD");
  const std::string database = "sm_bench_report";
  {
    CSmDatabase master(2);
    if (!master.Open("master", login)) {
      std::printf("report tables: cannot reach the server\n");
      return 1;
    }
    master.ExecuteSQL("Drop Database If Exists " + database + " With (FORCE)", {}, 128, false);
  }
  CSmDatabase server(2);
  if (!server.CreateDatabase(login, database) || !TimeOurs(server, sheet, ours) ||
      !TimeBarePsql(server, database, rows, bare)) {
    std::printf("report tables: the server run failed\n");
    return 1;
  }
  Print("PostgreSQL", ours, bare, "psql        ");
  return 0;
}
