#include "app/SmOpLog.h"

#include <QDateTime>
#include <QThread>
#include <algorithm>

#include "app/SmApp.h"
#include "core/SmDatabase.h"
#include "core/SmGbk.h"
#include "core/SmQuery.h"
#include "core/SmString.h"
#include "core/SmSystem.h"

namespace {

constexpr int kCodeLogIn = 0;
constexpr int kCodeEndWork = 1;
// A session number taken by another workstation at the same moment is taken again, this often.
constexpr int kTaskAttempts = 5;

// Listing one session of a season's log reads its rows through this index.
constexpr const char* kSessionIndex = "SmLogTask";

void CreateSessionIndex(CSmDatabase* db) {
  db->ExecuteSQL(std::string("Create Index ") + kSessionIndex + " On SmLog(nTask)");
}

std::string Now() {
  return QDateTime::currentDateTime().toString("yyyyMMddHHmmss").toStdString();
}

CSmDatabase* AppDatabase() {
  return GetSmDatabase();
}

bool LogIsOn() {
  CSmApp* app = SmGetApp();
  return app && app->m_env.IsLogOn() && app->m_opLog.m_enabled != 0;
}

int CurrentThreadNumber() {
  return static_cast<int>(reinterpret_cast<quintptr>(QThread::currentThreadId()) & 0x7fffffff);
}

// The operator text registered once in SmLogOp.
void RegisterOperatorText(CSmDatabase* db, const std::string& text) {
  if (!db->BeginTrans()) return;
  const std::vector<SmDbValue> params = {SmDbValue::OfText(text)};
  if (!db->ExecuteBound("Insert Into SmLogOp(sOp) Values(?)", {}, params, false)) {
    // Registered already (the key refuses a second row): nothing to say.
    if (db->LastFailure() != SmDbFailure::Duplicate) db->ReportLastFailure();
    db->Rollback();
    return;
  }
  if (db->QueryInt("Select Count(*) From SmLogOp Where sOp='" + db->SqlText(text) + "'") >= 2) {
    db->Rollback();
    return;
  }
  db->CommitTrans();
}

}  // namespace

std::string SmOperatorText() {
  CSmApp* app = SmGetApp();
  if (!app) return {};
  return GbkCut(app->m_env.GetOperatorName() + "(" + app->m_env.GetOperatorNo() + ")",
                kSmLogOperatorWidth);
}

std::string GetOperationName(int code) {
  CSmApp* app = SmGetApp();
  if (!app) return {};
  std::vector<int> codes;
  CSmStringList names;
  if (code / 100 != 0) {
    CSmDataType* type = app->FindDataType(code / 100);
    if (!type) return {};
    type->GetItemNames(codes, names);
  } else {
    app->GetLogTaskNames(codes, names);
  }
  for (size_t i = 0; i < codes.size() && i < names.size(); ++i) {
    if (codes[i] == code % 100) return names[i];
  }
  return {};
}

std::string SmLogNote(int code, const std::string& note) {
  const std::string text = note.empty() ? GetOperationName(code) : note;
  if (GbkSize(text) <= static_cast<size_t>(kSmLogNoteMax)) return text;
  return GbkCut(text, kSmLogNoteMax) + "...";
}

CSmOpLog::CSmOpLog(int code, const std::string& note) {
  Write(code, note);
}

CSmOpLog::CSmOpLog(int group, int item, const std::string& note) {
  Write(group * 100 + item, note);
}

void CSmOpLog::CopyFrom(const CSmOpLog& other) {
  nTask = other.nTask;
  nThreadID = other.nThreadID;
  sT1 = other.sT1;
  sT2 = other.sT2;
  sComputer = other.sComputer;
  sUser = other.sUser;
}

void CSmOpLog::Write(int code, const std::string& note) {
  CSmDatabase* db = AppDatabase();
  if (!db || !LogIsOn()) return;
  const int task = SmGetApp()->m_opLog.nTask;
  db->ExecuteBound(
      "Insert Into SmLog(nTask,sOp,sT,nTaskID,sNote) Values(?,?,?,?,?)", {},
      {SmDbValue::OfInt(task), SmDbValue::OfText(SmOperatorText()), SmDbValue::OfText(Now()),
       SmDbValue::OfInt(code), SmDbValue::OfText(SmLogNote(code, note))});
}

void CSmOpLog::StartWork() {
  CSmDatabase* db = AppDatabase();
  if (!db || !LogIsOn()) return;
  const std::string op = SmOperatorText();
  sComputer = GbkCut(GetComputerNameText(), 240);
  sUser = GbkCut(GetUserNameText(), 240);
  nThreadID = CurrentThreadNumber();
  sT1 = Now();
  sT2 = sT1;
  InsertTask(db);
  Write(kCodeLogIn, "操作员：" + op + " 开始工作");
  RegisterOperatorText(db, op);
}

void CSmOpLog::InsertTask(CSmDatabase* db) {
  const std::string where =
      FormatStr(" Where nThreadID=%d And sT1='%s'", nThreadID, db->SqlText(sT1, 14).c_str());
  const long stored = db->QueryCountInt("max(nTask) FROM SmTask" + where);
  if (stored != 0) {
    nTask = static_cast<int>(stored);
    return;
  }
  // Another workstation may take the same number at the same moment: the later one rolls back
  // and takes the next free number, so that its log rows never point at the other's session.
  int taken = 0;
  for (int attempt = 0; attempt < kTaskAttempts; ++attempt) {
    // A number another workstation holds is not tried again even before its row is visible.
    nTask = std::max(static_cast<int>(db->QueryCountInt("Max(nTask) FROM SmTask")), taken) + 1;
    if (!db->BeginTrans()) return;
    const bool inserted = db->ExecuteBound(
        "Insert into SmTask(nTask,nThreadID,sT1,sT2,sComputer,sUser) \t\tValues(?,?,?,?,?,?)", {},
        {SmDbValue::OfInt(nTask), SmDbValue::OfInt(nThreadID), SmDbValue::OfText(sT1),
         SmDbValue::OfText(sT2), SmDbValue::OfText(sComputer), SmDbValue::OfText(sUser)},
        false);
    const bool duplicate = !inserted && db->LastFailure() == SmDbFailure::Duplicate;
    if (!inserted && !duplicate) {
      db->ReportLastFailure();
      db->Rollback();
      return;
    }
    if (duplicate) {  // the key refused a number another workstation took first
      db->Rollback();
      taken = nTask;
      continue;
    }
    if (db->QueryInt(FormatStr("Select Count(*) From SmTask Where nTask=%d", nTask)) <= 1) {
      db->CommitTrans();
      return;
    }
    db->Rollback();
    taken = nTask;
  }
}

void CSmOpLog::ResumeWork() {
  CSmDatabase* db = AppDatabase();
  if (!db || !LogIsOn() || sT1.empty()) return;
  // A file restored from a backup made in this session still holds the session's row; the
  // time alone does not tell it, as two sessions may begin within one second.
  const long stored = db->QueryInt(
      FormatStr("Select Count(*) From SmTask Where nTask=%d And nThreadID=%d And sT1='%s'", nTask,
                nThreadID, db->SqlText(sT1, 14).c_str()));
  if (stored == 0) InsertTask(db);
  RegisterOperatorText(db, SmOperatorText());
}

void CSmOpLog::EndWork() {
  CSmDatabase* db = AppDatabase();
  if (!db) return;
  if (!sT1.empty()) {
    const std::string where = FormatStr(" Where nTask=%d And nThreadID=%d And sT1='%s'", nTask,
                                        nThreadID, db->SqlText(sT1, 14).c_str());
    if (db->QueryInt("Select Count(*) From SmTask" + where) > 0) {
      db->ExecuteSQL("Update SmTask Set sT2='" + Now() + "'" + where);
    } else {
      db->ExecuteSQL("Delete From SmTask" + where);
    }
  }
  Write(kCodeEndWork, "操作员：" + SmOperatorText() + " 结束工作");
}

void CSmOpLog::CreateTables(CSmDatabase* db) {
  if (!db) return;
  if (db->TableExists("SmTask")) {
    // Files made before the index existed get it when they are opened.
    if (db->TableExists("SmLog") && !db->IndexExists(kSessionIndex)) CreateSessionIndex(db);
    return;
  }
  const std::string width = std::to_string(kSmLogOperatorWidth);
  const std::string statements[] = {
      "Create Table SmTask(nTask Long,nThreadID Long,sT1 Char(14),sT2 Char(14),"
      "sComputer Char(240),sUser Char(240))",
      "Create Table SmLog(nTask Long,sOp Char(" + width +
          "),sT Char(14),nTaskID Long,sNote Char(240))",
      "Create Table SmLogOp(sOp Char(" + width + "))"};
  for (const std::string& jet : statements) {
    std::string server = jet;
    for (size_t at = server.find("Long"); at != std::string::npos; at = server.find("Long", at)) {
      server.replace(at, 4, "INT");
    }
    db->ExecuteSQL(jet, server);
  }
  CreateSessionIndex(db);
}

bool CSmOpLog::DeleteTask(int task, CSmDatabase* db) {
  if (!db) return false;
  return SmRunInTransaction(db, [db, task] {
    return db->ExecuteSQL(FormatStr("Delete From SmTask Where nTask=%d", task)) &&
           db->ExecuteSQL(FormatStr("Delete From SmLog Where nTask=%d", task));
  });
}

int CSmOpLog::QueryTasks(const std::string& where, const std::string& order, CSmDatabase* db,
                         CSmOpLogArray* rows) {
  rows->clear();
  if (!db) return 0;
  CSmQuery query(2, 0, 4, db);
  if (!query.Open("SELECT nThreadID,nTask,rtrim(sT1),rtrim(sT2),rtrim(sComputer),rtrim(sUser) "
                  "From SmTask " +
                  where + " " + order)) {
    return 0;
  }
  for (; !query.IsEOF(); query.MoveNext()) {
    CSmOpLog row;
    row.nThreadID = static_cast<int>(query.GetInt(0));
    row.nTask = static_cast<int>(query.GetInt(1));
    row.sT1 = query.GetString(0);
    row.sT2 = query.GetString(1);
    row.sComputer = query.GetString(2);
    row.sUser = query.GetString(3);
    rows->push_back(row);
  }
  return static_cast<int>(rows->size());
}

bool CSmOpLog::LoadTask(int task, CSmDatabase* db) {
  CSmOpLogArray rows;
  if (QueryTasks(FormatStr("Where nTask=%d", task), "", db, &rows) == 0) return false;
  CopyFrom(rows.front());
  return true;
}

int CSmLogRow::Query(const std::string& where, const std::string& order, CSmDatabase* db,
                     CSmLogRowArray* rows) {
  rows->clear();
  if (!db) return 0;
  CSmQuery query(2, 0, 3, db);
  if (!query.Open("SELECT nTask,nTaskID,rtrim(sOp),rtrim(sT),rtrim(sNote) From SmLog " + where +
                  " " + order)) {
    return 0;
  }
  for (; !query.IsEOF(); query.MoveNext()) {
    CSmLogRow row;
    row.nTask = static_cast<int>(query.GetInt(0));
    row.nTaskID = static_cast<int>(query.GetInt(1));
    row.sOp = query.GetString(0);
    row.sT = query.GetString(1);
    row.sNote = query.GetString(2);
    rows->push_back(row);
  }
  return static_cast<int>(rows->size());
}

int CSmLogRow::QueryTask(int task, CSmDatabase* db, CSmLogRowArray* rows) {
  return Query(FormatStr("Where nTask = %d", task), "Order By sT,-1*nTaskID", db, rows);
}

int CSmLogRow::ListTaskNumbers(const std::string& condition, std::string& out, CSmDatabase* db) {
  if (condition.empty()) {
    out = "all";
    return -1;
  }
  out.clear();
  CSmLogRowArray rows;
  const int count = Query(condition, "", db, &rows);
  for (const CSmLogRow& row : rows) out += FormatStr(" %d ", row.nTask);
  return count;
}

int FillLogOperationNames(std::vector<std::string>* names, CSmDatabase* db) {
  names->clear();
  if (!db) return 0;
  db->QueryStrings("SELECT RTrim(sOp) From SmLogOp", names, 1);
  return static_cast<int>(names->size());
}

int FillLogComputerNames(std::vector<std::string>* names, CSmDatabase* db) {
  names->clear();
  if (!db) return 0;
  db->QueryStrings("SELECT distinct rtrim(sComputer) From SmTask", names, 1);
  return static_cast<int>(names->size());
}
