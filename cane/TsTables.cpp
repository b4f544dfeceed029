#include "cane/TsTables.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "cane/TsDataType.h"
#include "cane/TsWeighingService.h"
#include "core/SmDatabase.h"
#include "core/SmString.h"
#include "platform/SmMessage.h"

const char* const kTsOldFormatText =
    "这个数据文件是最早的格式（过磅单在TsSheet表中，没有甘蔗品种表GP），本系统不能转换它，"
    "数据文件没有任何改动。\n请改用新格式的数据文件！";

namespace {

// One statement in the data file's form and the server's (empty: the same text).
struct Sql {
  std::string jet;
  std::string server;
};

bool RunAll(CSmDatabase* db, const std::vector<Sql>& statements) {
  return std::all_of(statements.begin(), statements.end(),
                     [db](const Sql& s) { return db->ExecuteSQL(s.jet, s.server); });
}

// ",MY0 Double,MY1 Double..." of `format` for n = 0 .. count - 1.
std::string Columns(const char* format, int count) {
  std::string text;
  for (int n = 0; n < count; ++n) text += FormatStr(format, n);
  return text;
}

bool CreateNHDir(CSmDatabase* db) {
  const std::string head =
      "CREATE TABLE NHDir(KNO CHAR(15),NA CHAR(30),TEL CHAR(20),BkNO CHAR(30),BkHO CHAR(30),"
      "BkNA CHAR(30),NT CHAR(60),";
  return RunAll(db, {{head + "cs0 Double,cs1 Double,cs2 Double,cs3 Double)",
                      head + "cs0 Numeric(10,4),cs1 Numeric(10,4),cs2 Numeric(10,4),"
                             "cs3 Numeric(10,4))"},
                     {"CREATE INDEX NHDir ON NHDir(KNO)", {}}});
}

bool CreateAdrDir(CSmDatabase* db) {
  const std::string head =
      "CREATE TABLE AdrDir(KNO CHAR(5),NA CHAR(40),\t\t\tQY CHAR(15),NT CHAR(60),";
  return RunAll(
      db, {{head + "jl Double,ypr Double,\t\t\tcs0 Double,cs1 Double,cs2 Double,cs3 Double)",
            head + "jl Numeric(10,4),ypr Numeric(10,2),\t\t\tcs0 Numeric(10,4),cs1 Numeric(10,4),"
                   "cs2 Numeric(10,4),cs3 Numeric(10,4))"},
           {"CREATE INDEX AdrDir ON AdrDir(KNO)", {}}});
}

bool CreateDriverDir(CSmDatabase* db) {
  return RunAll(db, {{"CREATE TABLE DriverDir(KNO CHAR(5),NA CHAR(40),PNO CHAR(10),\t\tTEL "
                      "CHAR(20),ADR CHAR(40),NT CHAR(60),WG0 CHAR(10),WG1 CHAR(10))",
                      {}},
                     {"CREATE INDEX DriverDir ON DriverDir(KNO)", {}}});
}

bool CreateAll(CSmDatabase* db) {
  return CreateNHDir(db) && CreateAdrDir(db) && CreateDriverDir(db) && TsCreateGpTable(db) &&
         TsCreateSheetTables(db) && TsCreateJsTable(db);
}

// --- Upgrade steps of older files, in the order they were introduced.

std::vector<Sql> NoteBecomesNt() {
  std::vector<Sql> statements;
  for (const char* table : {"NHDir", "AdrDir", "DriverDir", "GP"}) {
    const std::string t = table;
    statements.push_back({"Alter Table " + t + " Add NT CHAR(60)", {}});
    statements.push_back({"Update " + t + " Set NT=NOTE", {}});
    statements.push_back({"Alter Table " + t + " Drop Column NOTE", {}});
  }
  return statements;
}

std::vector<Sql> SummaryAndMoreSlipItems() {
  std::vector<Sql> statements = {{"Alter Table jsSheet Add MRY CHAR(40)", {}},
                                 {"Update jsSheet Set MRY=''", {}}};
  for (int n = 10; n <= 14; ++n) {
    statements.push_back({FormatStr("Alter Table jsSheet Add MY%d Double", n),
                          FormatStr("Alter Table jsSheet Add MY%d Numeric(12,2)", n)});
    statements.push_back({FormatStr("Update jsSheet Set MY%d=0", n), {}});
  }
  // Slip items grow from 10 to 15 per kind: the freight items (from 230) move by 10, the
  // cane items from 220 on by 5; the higher rows first, so that none moves twice by mistake.
  statements.push_back({"Update SysCsTab Set CsN=CsN+5 Where Cs=9130 And CsN>=230", {}});
  statements.push_back({"Update SysCsTab Set CsN=CsN+5 Where Cs=9130 And CsN>=220", {}});
  // The advance documents' stored form no longer fits; it is rebuilt from the default.
  statements.push_back({"Delete From SmFormList WHERE nFlag=260", {}});
  return statements;
}

std::vector<Sql> ContactColumns() {
  return {{"Alter Table NHDir Add TEL CHAR(20)", {}},
          {"Alter Table NHDir Add NT CHAR(60)", {}},
          {"Update NHDir Set TEL='',NT=''", {}},
          {"Alter Table AdrDir Add QY CHAR(15)", {}},
          {"Alter Table AdrDir Add NT CHAR(60)", {}},
          {"Update AdrDir Set QY='',NT=''", {}},
          {"Alter Table DriverDir Add TEL CHAR(20)", {}},
          {"Alter Table DriverDir Add ADR CHAR(40)", {}},
          {"Alter Table DriverDir Add NT CHAR(60)", {}},
          {"Update DriverDir Set TEL='',ADR='',NT=''", {}}};
}

std::vector<Sql> VarietyNote() {
  return {{"Alter Table GP Add NT CHAR(60)", {}}, {"Update GP Set NT=''", {}}};
}

std::vector<Sql> BankColumns() {
  return {{"Alter Table NHDir Add BkNO CHAR(30)", {}},
          {"Alter Table NHDir Add BkHO CHAR(30)", {}},
          {"Alter Table NHDir Add BkNA CHAR(30)", {}},
          {"Update NHDir Set BkNO='',BkHO='',BkNA=NA", {}}};
}

std::vector<Sql> PaymentBatchMarks() {
  return {{"Alter Table gbSheet Add FK Long", "Alter Table gbSheet Add FK INT"},
          {"Alter Table jsSheet Add FK Long", "Alter Table jsSheet Add FK INT"},
          {"Update gbSheet Set FK=0", {}},
          {"Update jsSheet Set FK=0", {}}};
}

std::vector<Sql> PrintMarks() {
  return {{"Alter Table gbSheet Add PRT0 Long", "Alter Table gbSheet Add PRT0 INT"},
          {"Alter Table gbSheet Add PRT1 Long", "Alter Table gbSheet Add PRT1 INT"},
          {"Update gbSheet Set PRT0=0,PRT1=0", {}}};
}

// A step runs when its column's presence in its table is `runWhenPresent`.
struct UpgradeStep {
  const char* table;
  const char* column;
  bool runWhenPresent;
  const char* info;
  std::vector<Sql> (*statements)();
};

const UpgradeStep kUpgradeSteps[] = {
    {"NHDir", "NOTE", true, "数据升级：A、S版本字段一致性！", NoteBecomesNt},
    {"jsSheet", "MRY", false, "数据升级：增加预付款摘要及项目！", SummaryAndMoreSlipItems},
    {"NHDir", "TEL", false, "数据升级：为农户、运户、砍运地增加项目！", ContactColumns},
    {"GP", "NT", false, "数据升级：为甘蔗品种增加备注！", VarietyNote},
    {"NHDir", "BkNO", false, "数据升级：为农户增加银行接口信息！", BankColumns},
    {"gbSheet", "FK", false, "数据升级：为结算单增加银行接口单据信息！", PaymentBatchMarks},
    {"gbSheet", "PRT0", false, "数据升级：为结算单增加打印标志！", PrintMarks},
};

// The box first, then the statements as one change. A failed statement has shown itself; the
// step is rolled back whole, so that it runs whole at the next log-in.
bool RunStep(CSmDatabase* db, const UpgradeStep& step) {
  SmMessageBox(step.info, SM_MB_ICONINFORMATION);
  return SmRunInTransaction(db, [&] { return RunAll(db, step.statements()); });
}

// The tickets of every cane slip, then of every freight slip, made to agree with their slip.
// Without the weighing documents no slip can have been made, so there is nothing to repair.
bool RepairSlips(CTsWeighingService* service, CSmDatabase* db) {
  if (!service) return true;
  return SmRunInTransaction(
      db, [&] { return service->SlipRepair(0, db) && service->SlipRepair(1, db); });
}

bool AddTimeColumns(CSmDatabase* db) {
  if (db->ColumnExists("gbSheet", "TH")) return true;
  return SmRunInTransaction(db, [db] {
    return db->AddColumn("gbSheet", "TH", 2, 6, 0) &&
           (db->ColumnExists("jsSheet", "TH") || db->AddColumn("jsSheet", "TH", 2, 6, 0));
  });
}

// Two stations adding one code at once: the engine keeps the second out.
const SmUniqueKey kCodeKeys[] = {
    {"NHDir", "NHDir_KNO", "KNO", "农户代码"},
    {"GP", "GP_KNO", "KNO", "甘蔗品种代码"},
    {"AdrDir", "AdrDir_KNO", "KNO", "甘蔗砍运地代码"},
    {"DriverDir", "DriverDir_KNO", "KNO", "驾驶员代码"},
};

// Indexes that later versions added: the ticket number (numbered and counted while the other
// stations wait to save theirs) and the slip numbers that making, cancelling, paying and
// reviewing a slip look its tickets and money rows up by. Files made before get them quietly.
struct AddedIndex {
  const char* name;
  const char* statement;
};
const AddedIndex kAddedIndexes[] = {
    {"gbSheet7", "CREATE INDEX gbSheet7 ON gbSheet(DH)"},
    {"gbSheet8", "CREATE INDEX gbSheet8 ON gbSheet(JN0)"},
    {"gbSheet9", "CREATE INDEX gbSheet9 ON gbSheet(JN1)"},
    {"jsSheet2", "CREATE INDEX jsSheet2 ON jsSheet(DH)"},
};

void AddLaterIndexes(CSmDatabase* db) {
  for (const AddedIndex& index : kAddedIndexes) {
    if (!db->IndexExists(index.name)) db->ExecuteSQL(index.statement);
  }
}

}  // namespace

bool TsCreateGpTable(CSmDatabase* db) {
  const std::string head = "CREATE TABLE GP(KNO CHAR(15),NA CHAR(60),NT CHAR(60),PR ";
  return RunAll(db,
                {{head + "Double)", head + "Numeric(12,2))"}, {"CREATE INDEX GP ON GP(KNO)", {}}});
}

bool TsCreateSheetTables(CSmDatabase* db) {
  const std::string head =
      "CREATE TABLE gbSheet(T CHAR(8),TH CHAR(6),DH CHAR(8),"
      "OPR0 CHAR(3),OPR1 CHAR(3),OPR2 CHAR(3),OPR3 CHAR(3),OPR4 CHAR(3),OPR5 CHAR(3),OPR6 "
      "CHAR(3),OPR7 CHAR(3),"
      "JT0 CHAR(8),JT1 CHAR(8),JN0 CHAR(8),JN1 CHAR(8),"
      "KNO0 CHAR(15),KNO1 CHAR(5),KNO2 CHAR(5),KNO3 CHAR(15),";
  const std::string jet = head +
                          "MU0 Double,MU1 Double,MU2 Double,MU3 Double,"
                          "PR0 Double,PR1 Double" +
                          Columns(",MY%d Double", 12) + ",FK Long,PRT0 Long,PRT1 Long)";
  const std::string server = head +
                             "MU0 Numeric(12,4),MU1 Numeric(12,4),MU2 Numeric(12,4),"
                             "MU3 Numeric(12,4),"
                             "PR0 Numeric(12,2),PR1 Numeric(12,2)" +
                             Columns(",MY%d Numeric(12,2)", 12) + ",FK INT,PRT0 INT,PRT1 INT)";
  std::vector<Sql> statements = {{jet, server}};
  const char* const indexed[] = {"T",   "KNO0", "KNO1", "KNO2", "KNO3",
                                 "JT0", "JT1",  "DH",   "JN0",  "JN1"};
  for (int n = 0; n < 10; ++n)
    statements.push_back({FormatStr("CREATE INDEX gbSheet%d ON gbSheet(%s)", n, indexed[n]), {}});
  return RunAll(db, statements);
}

bool TsCreateJsTable(CSmDatabase* db) {
  const std::string head =
      "CREATE TABLE jsSheet(LB CHAR(1),DB CHAR(1),T CHAR(8),TH CHAR(6),DH CHAR(8),"
      "KNO CHAR(15),MRY CHAR(40),OPR0 CHAR(3),OPR1 CHAR(3),";
  return RunAll(db, {{head + "MU0 Double,MU1 Double" + Columns(",MY%d Double", 15) + ",FK Long)",
                      head + "MU0 Numeric(12,4),MU1 Numeric(12,4)" +
                          Columns(",MY%d Numeric(12,2)", 15) + ",FK INT)"},
                     {"CREATE INDEX jsSheet0 ON jsSheet(T)", {}},
                     {"CREATE INDEX jsSheet1 ON jsSheet(KNO)", {}},
                     {"CREATE INDEX jsSheet2 ON jsSheet(DH)", {}}});
}

void CTsDataType::CreateTables(CSmDatabase* db) {
  SetDefaultParams();
  LoadParams(db);
  if (!db) return;
  // A new file runs on the default parameters: it gets the tables and no parameter rows.
  if (!db->TableExists("NHDir")) {
    SmRunInTransaction(db, [db] { return CreateAll(db); });
    SmEnsureUniqueKeys(db, kCodeKeys);
    return;
  }
  if (!db->TableExists("GP")) {
    SmMessageBox(kTsOldFormatText, SM_MB_ICONERROR);
    SetDefaultParams();  // the old layout's rows mean other parameters
    return;
  }
  for (const UpgradeStep& step : kUpgradeSteps) {
    if (db->ColumnExists(step.table, step.column) != step.runWhenPresent) continue;
    if (!RunStep(db, step)) return;
  }
  SetDefaultParams();
  LoadParams(db);
  if (!RepairSlips(WeighingService(), db)) return;
  AddTimeColumns(db);
  AddLaterIndexes(db);
  SmEnsureUniqueKeys(db, kCodeKeys);
}
