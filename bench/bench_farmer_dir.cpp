// Opens the farmer directory on a group of 1,000 of 20,000 farmers (200,000 money rows, one
// opening row per farmer) with its advance and parameter columns, beside the same two queries
// (the group's farmers and their opening sums) run through the bare SQLite C API.
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/bench_farmers.h"
#include "bench/bench_program.h"
#include "cane/TsDataType.h"
#include "cane/TsFarmerDirDlg.h"
#include "cane/TsItems.h"
#include "core/SmDatabase.h"
#include "core/SmString.h"
#include "weighing/TsWeighingDocs.h"

namespace {

const int kRounds = 5;
// One town, one village, 20 groups of 1,000 farmers; ten money rows a farmer.
const int kGroups = 20, kFarmers = 1000, kRows = 10;
const char* const kGroup = "10101";

const char* const kBare[] = {
    "Select cs0,cs1,cs2,cs3,KNO,NA,TEL,BkNO,BkHO,BkNA,NT From NHDir Where KNO LIKE '10101%' And "
    "KNO<>'10101' And Length(rtrim(KNO))=9 Order By KNO",
    "Select sum(MY0),sum(MY1),sum(MY2),sum(MY3),sum(MY4),sum(MY5),sum(MY6),sum(MY7),sum(MY8),"
    "sum(MY9),sum(MY10),sum(MY11),sum(MY12),sum(MY13),sum(MY14),substr(KNO,1,9) From jsSheet "
    "Where LB='0' And DH='' And KNO Like '10101%' And KNO<>'10101' Group By substr(KNO,1,9)",
};

bool AddFarmer(CSmDatabase& db, const std::string& code) {
  return db.ExecuteBound(
      "Insert Into NHDir(KNO,NA,TEL,BkNO,BkHO,BkNA,NT,cs0,cs1,cs2,cs3) "
      "Values(?,?,'','','','','',1.5,0,2,0)",
      {}, {SmDbValue::OfText(code), SmDbValue::OfText("农户" + code)});
}

bool Fill(CSmDatabase& db) {
  db.BeginTrans();
  bool ok = AddFarmer(db, "1") && AddFarmer(db, "101");
  for (int g = 0; g < kGroups && ok; ++g) {
    const std::string group = FormatStr("101%02d", g + 1);
    ok = AddFarmer(db, group);
    for (int f = 0; f < kFarmers && ok; ++f) {
      const std::string code = group + FormatStr("%04d", f);
      ok = AddFarmer(db, code);
      for (int r = 0; r < kRows && ok; ++r)
        ok = db.ExecuteBound(
            "Insert Into jsSheet(LB,DB,T,TH,DH,KNO,MY0,MY2) Values('0','0','20160101','',?,?,?,?)",
            {},
            {SmDbValue::OfText(r == 0 ? std::string() : FormatStr("%06d", r)),
             SmDbValue::OfText(code), SmDbValue::OfDouble(10.5 + r), SmDbValue::OfDouble(r)});
    }
  }
  return ok && db.CommitTrans();
}

double ThroughDialog(CSmDatabase* db, int& rows) {
  CTsFarmerDirDlg dlg(db, 0, {});
  dlg.SetCurrentCode(kGroup);
  dlg.SetupColumns();
  const auto start = std::chrono::steady_clock::now();
  dlg.FillList();
  const double seconds = BenchSeconds(start);
  rows = dlg.List()->RowCount();
  return seconds;
}

double ThroughBareEngine(const std::string& path, int& rows) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) !=
      SQLITE_OK)
    return -1;
  const auto start = std::chrono::steady_clock::now();
  rows = 0;
  for (const char* sql : kBare) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK) return -1;
    int count = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) ++count;
    sqlite3_finalize(stmt);
    rows = count;
  }
  const double seconds = BenchSeconds(start);
  sqlite3_close(db);
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  const CBenchFolder folder("sm_bench_farmer_dir");
  CBenchProgram program(argc, argv);
  CSmApp& app = program.App();
  auto* type = static_cast<CTsDataType*>(app.AdoptDataType(std::make_unique<CTsDataType>()));
  type->Init();
  type->SetWeighingService(std::make_unique<CTsWeighingDocs>());
  const std::string path = BenchYearFile(app, folder);
  if (path.empty()) return 1;
  CSmDatabase* db = app.m_env.Connection();
  if (!db->Open(path)) return 1;
  // Groups of up to 9,999 farmers; two advance items and two farmer parameters.
  type->m_intParams[3] = 4;
  type->m_strParams[10] = "化肥款\t21";
  type->m_strParams[12] = "种苗款\t21";
  type->m_strParams[40] = "修路费";
  type->m_strParams[42] = "补贴";
  TsBuildItemTables();
  if (!Fill(*db)) {
    std::printf("could not fill the data file\n");
    return 1;
  }
  double ours = 0, bare = 0;
  int rowsOurs = 0, rowsBare = 0;
  for (int round = 0; round < kRounds; ++round) {
    BenchKeepBest(ours, ThroughDialog(db, rowsOurs));
    BenchKeepBest(bare, ThroughBareEngine(path, rowsBare));
  }
  std::printf("farmer directory on 1,000 of 20,000 farmers, 200,000 money rows, best of %d\n",
              kRounds);
  std::printf("CTsFarmerDirDlg::FillList %8.4f s   bare SQLite %8.4f s   ratio %6.2f\n", ours, bare,
              bare > 0 ? ours / bare : 0);
  std::printf("rows: %d and %d\n", rowsOurs, rowsBare);
  return rowsOurs == kFarmers && rowsBare == kFarmers && ours > 0 ? 0 : 1;
}
