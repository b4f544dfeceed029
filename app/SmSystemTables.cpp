// The shell's tables of every data file, the rows a new data file starts with, and the
// application's operations that walk over every registered data type.
#include "app/SmSystemTables.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "app/SmApp.h"
#include "app/SmDateArray.h"
#include "app/SmOpLog.h"
#include "app/SmOperator.h"
#include "core/SmCsRecord.h"
#include "core/SmDatabase.h"
#include "core/SmString.h"
#include "platform/SmMessage.h"
#include "ui/SmPrintInfo.h"

namespace {

// Keeps the first name given for each code, in order; pairs past the shorter list are dropped.
template <class Code>
void KeepFirstOfEachCode(std::vector<Code>& codes, CSmStringList& names) {
  std::vector<Code> keptCodes;
  CSmStringList keptNames;
  for (size_t i = 0; i < codes.size() && i < names.size(); ++i) {
    if (std::find(keptCodes.begin(), keptCodes.end(), codes[i]) != keptCodes.end()) continue;
    keptCodes.push_back(codes[i]);
    keptNames.push_back(names[i]);
  }
  codes = std::move(keptCodes);
  names = std::move(keptNames);
}

// The server text of a statement: the same with "LONG"/"Long" as "INT".
std::string ServerText(std::string text) {
  for (const char* word : {"LONG", "Long"}) {
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at)) {
      text.replace(at, 4, "INT");
    }
  }
  return text;
}

void Run(CSmDatabase* db, const std::string& jet) {
  db->ExecuteSQL(jet, ServerText(jet));
}

const std::string kOperatorNameWidth = std::to_string(kSmOperatorNameWidth);
const std::string kPasswordWidth = std::to_string(kSmStoredPasswordWidth);

// Columns of older data files that are too narrow for what the program stores there; the
// data file's engine does not enforce text widths, the server kinds are widened in place.
void WidenColumn(CSmDatabase* db, const std::string& table, const std::string& column, int width) {
  if (db->GetKind() == 0) return;
  int length = 0;
  if (!db->TableExists(table) || !db->ColumnExists(table, column, &length) || length >= width) {
    return;
  }
  const std::string statement =
      FormatStr("Alter Table %s Alter Column %s Char(%d)", table.c_str(), column.c_str(), width);
  db->ExecuteSQL(statement, statement);
}

// Keys two workstations must never write twice: the engine refuses the second row, whatever
// either station counted before it wrote.
const SmUniqueKey kUniqueKeys[] = {
    {"OPR", "OPR_OPNO", "OPNO", "操作员代码"},
    {"PWR", "PWR_OPNO_PWR", "OPNO,PWR", "操作员的操作权限"},
    {"SmTask", "SmTask_nTask", "nTask", "工作段号"},
    {"SmLogOp", "SmLogOp_sOp", "sOp", "日志中的操作员"},
};

}  // namespace

void CSmApp::CreateSystemTables(CSmDatabase* db) {
  if (!db || db->TableExists("SYSTAB")) return;
  Run(db,
      "CREATE TABLE SYSTAB(NA CHAR(40),KJ CHAR(8),AN CHAR(10),PY LONG,MM LONG,JT CHAR(3),"
      "T1 CHAR(8),T13 CHAR(8))");
  Run(db, "CREATE TABLE SYSCSTAB(CS LONG,CSN LONG,CSNA CHAR(200),CSVAL CHAR(200))");
  Run(db, "CREATE Index SYSCSTAB On SysCsTab(CS)");
  Run(db, FormatStr("Insert Into SysCsTab(CS,CSN,CSNA,CSVAL) Values(9133,1,'%d','%d')",
                    db->GetKind(), GetDataVersion()));
  Run(db, "CREATE TABLE OPR(OPNO CHAR(3),NA CHAR(" + kOperatorNameWidth + "),PSD CHAR(" +
              kPasswordWidth + "))");
  Run(db, "CREATE TABLE PWR(OPNO CHAR(3),PWR CHAR(4))");
  Run(db, "CREATE INDEX PWR ON PWR(OPNO)");
  Run(db,
      "CREATE TABLE SmFormList(nFlag Long,nForm Long,sFna Char(200),nOpen Long,"
      "nTopNum Long)");
  Run(db,
      "CREATE TABLE SmFormFormula(nFlag Long,nForm Long,nCol Long,nType Long,nFact Long,"
      "nLess Long,nMore Long,sFormula Char(200))");
  Run(db,
      "CREATE TABLE SmFormTopWord(nFlag Long,nForm Long,nCol1 Long,nRow1 Long,nCol2 Long,"
      "nRow2 Long,sWords Char(100))");
  Run(db,
      "CREATE TABLE SmFormHeadNote(nFlag Long,nForm Long,bIsTail Long,nRow Long,"
      "nColPecent Long,bIsUse Long,bIsSystem Long,sNote Char(20),sWords Char(200))");
  Run(db,
      "CREATE TABLE SMVAR(nSoft Long,nNo Long,SVAR CHAR(10),SEXP CHAR(200),SNOTE CHAR(60),"
      "NTYPE Long)");
  Run(db, "Create Index SMVAR On SMVAR(nSoft,nNo)");
}

void CSmApp::AfterOpen(CSmDatabase* db) {
  if (!db) return;
  CreateSystemTables(db);
  CSmPrintInfo::CreateSmFontTable(db);
  CSmPrintInfo::CreateSmPageSetTable(db);
  CSmOpLog::CreateTables(db);
  WidenColumn(db, "OPR", "NA", kSmOperatorNameWidth);
  WidenColumn(db, "OPR", "PSD", kSmStoredPasswordWidth);
  WidenColumn(db, "SmLog", "sOp", kSmLogOperatorWidth);
  WidenColumn(db, "SmLogOp", "sOp", kSmLogOperatorWidth);
  SmEnsureUniqueKeys(db, kUniqueKeys);
  for (CSmDataType* type : m_dataTypes) type->CreateTables(db);
}

void CSmApp::InsertDefaultRows(CSmDatabase* db, int year) {
  if (!db) return;
  db->ExecuteSQL(
      FormatStr("INSERT INTO SYSTAB(NA,KJ,PY,MM,AN,JT,T1,T13) \t\tVALUES('××单位','×××',"
                "%d,0,'','031','×××','')",
                year));
  const std::pair<const char*, const char*> operators[] = {{"101", "管理员"}, {"102", "×××"}};
  for (const auto& [number, name] : operators) {
    db->ExecuteBound("Insert Into OPR(OPNO,NA,PSD) Values(?,?,?)", {},
                     {SmDbValue::OfText(number), SmDbValue::OfText(name),
                      SmDbValue::OfText(SmEncodePassword(""))});
  }
  db->ExecuteSQL("INSERT INTO PWR(OPNO,PWR) VALUES('101','0001')");
  CSmStringList codes;
  CSmStringList names;
  GetRightList(codes, names);
  for (size_t i = 1; i < codes.size(); ++i) {
    db->ExecuteSQL("INSERT INTO PWR(OPNO,PWR) VALUES('102','" + db->SqlText(codes[i], 4) + "')");
  }
  CSmDateArray::WriteDefaultBizMonths(db, year);
  for (CSmDataType* type : m_dataTypes) type->SetDefaultVariables(db, year);
}

void CSmApp::GetRightList(CSmStringList& codes, CSmStringList& names) {
  codes = {"0001", "0006", "0003", "0004", "0005", "0007"};
  names = {"系统管理",         "数据备份",     "数据关系检测",
           "数据关系主题操纵", "特殊打印设置", "SQL语言数据维护"};
  for (CSmDataType* type : m_dataTypes) type->GetExtraRights(codes, names);
  KeepFirstOfEachCode(codes, names);
  for (CSmDataType* type : m_dataTypes) {
    CSmStringList items;
    CSmStringList itemNames;
    type->GetDocumentRights(items, itemNames);
    for (size_t i = 0; i < items.size() && i < itemNames.size(); ++i) {
      codes.push_back(SmRightCode(type->m_number, items[i]));
      names.push_back(itemNames[i]);
    }
  }
}

namespace {

// The statements of every place a column's code is stored, with their conditions.
template <typename Build>
void ForEachPlace(const std::vector<CSmDataType*>& types, const std::string& column,
                  Build&& build) {
  for (CSmDataType* type : types) {
    CSmStringList tables, columns, jetConditions, serverConditions;
    type->GetCodeReferences(column, tables, columns, jetConditions, serverConditions);
    for (size_t i = 0; i < tables.size() && i < columns.size(); ++i) {
      const std::string jetCond = i < jetConditions.size() ? jetConditions[i] : std::string();
      std::string serverCond = i < serverConditions.size() ? serverConditions[i] : std::string();
      if (serverCond.empty()) serverCond = jetCond;
      if (!build(tables[i], columns[i], jetCond, serverCond)) return;
    }
  }
}

std::string WithCondition(std::string statement, const std::string& condition) {
  if (!condition.empty()) statement += " And " + condition;
  return statement;
}

}  // namespace

bool CSmApp::CountWhere(CSmDatabase* db, const std::string& column, const std::string& text,
                        const int* value) {
  if (!db) return true;
  const std::string valueText = value ? std::to_string(*value) : "'" + db->SqlText(text) + "'";
  bool unused = true;
  ForEachPlace(
      m_dataTypes, column,
      [&](const std::string& table, const std::string& col, const std::string& jetCond,
          const std::string& serverCond) {
        const std::string base =
            "SELECT COUNT(*) from " + table + " where " + col + "=" + valueText;
        if (db->QueryInt(WithCondition(base, jetCond), WithCondition(base, serverCond)) > 0) {
          unused = false;
          return false;
        }
        return true;
      });
  return unused;
}

void CSmApp::UpdateWhere(CSmDatabase* db, const std::string& column, const std::string& oldText,
                         const std::string& newText, const int* oldValue, const int* newValue) {
  if (!db) return;
  const bool numbers = oldValue && newValue;
  const std::string oldV = numbers ? std::to_string(*oldValue) : "'" + db->SqlText(oldText) + "'";
  const std::string newV = numbers ? std::to_string(*newValue) : "'" + db->SqlText(newText) + "'";
  ForEachPlace(m_dataTypes, column,
               [&](const std::string& table, const std::string& col, const std::string& jetCond,
                   const std::string& serverCond) {
                 const std::string base =
                     "update " + table + " set " + col + "=" + newV + " where " + col + "=" + oldV;
                 db->ExecuteSQL(WithCondition(base, jetCond), WithCondition(base, serverCond));
                 return true;
               });
}

bool CSmApp::CopySystemTables(CSmDatabase* source, CSmDatabase* target) {
  if (!source || !target) return false;
  bool whole = true;
  for (const char* table :
       {"OPR", "PWR", "SMFONT", "SMPAGESET", "FIELDWIDTH", "SmFormList", "SmFormFormula",
        "SmFormTopWord", "SmFormHeadNote", "SysCsTab", "SMVAR"}) {
    // A table the source has not got yet (the print tables are made on first use) has nothing
    // to give.
    if (!source->TableExists(table) || !target->TableExists(table)) continue;
    whole = CSmDatabase::CopyTable(source, target, table) && whole;
  }
  for (CSmDataType* type : m_dataTypes) type->AfterCopySystemTables(source, target);
  return whole;
}

void CSmApp::ListCarryOverItems(std::vector<int>& codes, CSmStringList& captions,
                                CSmStringList& tables) {
  codes.clear();
  captions.clear();
  tables.clear();
  for (CSmDataType* type : m_dataTypes) {
    std::vector<int> typeCodes;
    CSmStringList typeCaptions, typeTables;
    type->ListCarryOverItems(typeCodes, typeCaptions, typeTables);
    std::string seen;
    const size_t count = std::min({typeCodes.size(), typeCaptions.size(), typeTables.size()});
    for (size_t i = 0; i < count; ++i) {
      const int code = typeCodes[i];
      if (code > 99) {
        const std::string mark = FormatStr(" %d ", code % 100);
        if (seen.find(mark) != std::string::npos) continue;
        seen += mark;
      }
      codes.push_back(type->m_number * 1000 + code);
      captions.push_back(typeCaptions[i]);
      tables.push_back(typeTables[i]);
    }
  }
}

int CSmApp::GetLogTaskNames(std::vector<int>& codes, CSmStringList& names) {
  codes = {0, 1, 2, 3, 5, 6, 7, 19, 10, 11, 12, 13, 14, 15, 16, 17, 18, 27, 22, 23, 25, 26};
  names = {"操作员注册", "结束工作",       "年度文件信息",   "口令更改",   "建新年度数据文件",
           "年末转账",   "设置业务月",     "设置相关账套",   "操作员管理", "操作日志清理",
           "新建文档",   "打开文档",       "文档模板",       "文档属性",   "文档页面设置",
           "打印文档",   "自定位套打",     "保存成文本文档", "数据备份",   "数据恢复",
           "数据关系",   "SQL语言数据维护"};
  for (CSmDataType* type : m_dataTypes) type->GetLogTaskNames(codes, names);
  KeepFirstOfEachCode(codes, names);
  return static_cast<int>(codes.size());
}

bool SmCreateYearFile(CSmApp& app, const std::string& folder, int year, std::string* path) {
  const std::string ext = app.GetDataFileExt().empty() ? "tsd" : app.GetDataFileExt();
  const std::string file = FormatStr("%s/%d.%s", folder.c_str(), year, ext.c_str());
  if (path) *path = file;
  if (QFileInfo::exists(QString::fromStdString(file))) return false;
  CSmDatabase db(0);
  if (!db.CreateDatabase(CSmConnInfo(0), file)) return false;
  app.AfterOpen(&db);
  app.InsertDefaultRows(&db, year);
  const bool made = db.TableExists("SYSTAB") && db.QueryInt("Select Count(*) From SYSTAB") == 1;
  db.Close();
  if (!made) QFile::remove(QString::fromStdString(file));
  return made;
}
