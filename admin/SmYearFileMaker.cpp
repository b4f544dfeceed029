#include "admin/SmYearFileMaker.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <filesystem>

#include "app/SmApp.h"
#include "app/SmEnvironment.h"
#include "core/SmCsRecord.h"
#include "core/SmDatabase.h"
#include "core/SmSqlDialectPg.h"
#include "core/SmString.h"
#include "ui/SmWaitWnd.h"

namespace {

constexpr long kBizMonthGroup = 4;
constexpr int kYear = kSmYearFileFieldYear;
constexpr int kPlace = kSmYearFileFieldPlace;

// A business-month value moved on by `shift` years: the year raised, month and day kept.
std::string ShiftedMonth(const std::string& value, int shift) {
  const std::string trimmed = TrimChars(value);
  if (trimmed.size() < 8 || !IsAllDigits(trimmed.substr(0, 4))) return trimmed;
  return FormatStr("%04d", std::stoi(trimmed.substr(0, 4)) + shift) +
         trimmed.substr(trimmed.size() - 4);
}

std::string FailedText(const SmYearFileJob& job) {
  return "创建下列数据文件失败：\n" + job.newFile + "！";
}

// Another workstation made the same file between this one's check and its write.
std::string TakenText(const SmYearFileJob& job) {
  return "另一工作站刚刚建立了该年度的数据文件“" + job.newFile + "”！";
}

// The name the new file is made under until it is whole.
std::string WorkName(const SmYearFileJob& job) {
  return job.newFile + (job.kind == 0 ? ".new" : "_new");
}

// What a killed try left under the work name goes; a refusal when it cannot, or while another
// workstation is making the same file.
SmRefusal RemoveLeftover(const SmYearFileJob& job) {
  const std::string work = WorkName(job);
  const CSmConnInfo login = SmYearFileLogin(job.kind, job.server);
  CSmDatabase dropper(job.kind);
  if (job.kind == 0) {
    std::error_code ec;
    if (!std::filesystem::exists(work, ec)) {
      // A journal without its file would be played into the next one of that name.
      std::filesystem::remove(work + "-journal", ec);
      return {};
    }
    if (dropper.DropDatabase(login, work)) return {};
    return SmRefusal::Stop(kYear, FailedText(job));
  }
  CSmDatabase master(job.kind);
  if (!master.Open("master", login) || !master.DatabaseExists(work)) return {};
  master.Close();
  // The other workstation's making has its work database open; a leftover has nobody on it.
  CSmDatabase leftover(job.kind);
  if (leftover.Open(work, login) && !leftover.ListDatabaseUsers(false))
    return SmRefusal::Stop(kYear, TakenText(job));
  leftover.Close();
  if (dropper.DropDatabase(login, work)) return {};
  return SmRefusal::Stop(kYear, FailedText(job));
}

// Removes the file begun and refuses with `text`, unless a full disk has said why already.
SmRefusal Abandon(const SmYearFileJob& job, CSmDatabase& db, const CSmStopAtFirstFailure& run,
                  const std::string& text, int field) {
  db.Close();
  CSmDatabase dropper(job.kind);
  dropper.DropDatabase(SmYearFileLogin(job.kind, job.server), WorkName(job));
  return SmRefusal::Stop(field, run.Stopped() ? std::string() : text);
}

// Makes the file under its work name with every table, open in `db`.
SmRefusal MakeDataFile(CSmApp& app, const SmYearFileJob& job, CSmDatabase& db,
                       const CSmStopAtFirstFailure& run) {
  CSmWaitWnd wait;
  wait.Show();
  if (job.kind == 0) QDir().mkpath(QString::fromStdString(job.folder));
  if (SmRefusal refusal = RemoveLeftover(job)) return refusal;
  if (!db.CreateDatabase(SmYearFileLogin(job.kind, job.server), WorkName(job))) {
    wait.Hide();
    const SmDbFailure why = db.LastFailure();
    // The other workstation's work database, made a moment ago, stays its own.
    if (why == SmDbFailure::Duplicate) return SmRefusal::Stop(kYear, TakenText(job));
    if (why != SmDbFailure::DiskFull && why != SmDbFailure::ReadOnly)
      return SmRefusal::Stop(kYear, FailedText(job));
    db.ReportLastFailure();  // a full disk or a read-only folder, in plain words
    return SmRefusal::Stop(kYear, {});
  }
  app.AfterOpen(&db);
  if (!run.Stopped() && db.Reopen() && db.TableExists("SYSTAB")) return {};
  wait.Hide();
  return Abandon(job, db, run, FailedText(job), kYear);
}

SmRefusal ConvertInto(const SmYearFileJob& job, CSmDatabase& db, const CSmStopAtFirstFailure& run) {
  const int sourceKind = job.kind == 0 ? 1 : 0;
  CSmDatabase source(sourceKind);
  CSmWaitWnd wait;
  wait.Show();
  if (!source.Open(job.sourceFile, SmYearFileLogin(sourceKind, job.sourceServer))) {
    wait.Hide();
    return Abandon(job, db, run, "打开源数据文件“" + job.sourceFile + "” 失败！", kPlace);
  }
  std::vector<std::string> tables;
  source.GetUserTables(&tables);
  std::string failed;
  for (const std::string& table : tables) {
    // The new file's own first rows (its stamp) give way to the source's: a copy, not a merge.
    if (db.TableExists(table)) db.ExecuteSQL("Delete From " + table);
    if (!CSmDatabase::CopyTable(&source, &db, table)) failed += table + "\n";
  }
  wait.Hide();
  // A file that lacks some of the source's rows must not pass for a whole copy.
  if (!failed.empty() || run.Stopped())
    return Abandon(job, db, run, "下列数据表转换失败：\n" + failed, kPlace);
  return {};
}

SmRefusal CopyFromPreviousYear(CSmApp& app, const SmYearFileJob& job, CSmDatabase& db,
                               const CSmStopAtFirstFailure& run) {
  CSmDatabase previous(job.kind);
  CSmWaitWnd wait;
  wait.Show();
  if (!previous.Open(job.previousFile, SmYearFileLogin(job.kind, job.server))) {
    wait.Hide();
    return Abandon(job, db, run, "打开年度文件“" + job.previousFile + "” 失败！", kYear);
  }
  if (!SmCopyPreviousYearInfo(app, &previous, &db, job.year) || run.Stopped()) {
    wait.Hide();
    return Abandon(job, db, run, "从年度文件“" + job.previousFile + "”拷贝信息失败！", kYear);
  }
  return {};
}

SmRefusal SeedFreshFile(CSmApp& app, const SmYearFileJob& job, CSmDatabase& db,
                        const CSmStopAtFirstFailure& run) {
  CSmWaitWnd wait;
  wait.Show();
  app.InsertDefaultRows(&db, job.year);
  CSmEnvironment(job.kind).CheckVersionStamp(&db, nullptr, nullptr, nullptr);
  wait.Hide();
  // The file is whole with its year's row.
  if (!run.Stopped() && db.QueryInt("Select Count(*) From SYSTAB") == 1) return {};
  return Abandon(job, db, run, FailedText(job), kYear);
}

// Closes the whole file and gives it its name, which it never takes from another's file.
SmRefusal PutInPlace(const SmYearFileJob& job, CSmDatabase& db, const CSmStopAtFirstFailure& run) {
  if (run.Stopped()) return Abandon(job, db, run, {}, kYear);
  db.Close();
  const CSmConnInfo login = SmYearFileLogin(job.kind, job.server);
  bool named = false;
  bool taken = false;
  if (job.kind == 0) {
    // The rename never replaces a file another workstation made meanwhile.
    named =
        QFile::rename(QString::fromStdString(WorkName(job)), QString::fromStdString(job.newFile));
    taken = !named && QFileInfo::exists(QString::fromStdString(job.newFile));
  } else {
    CSmDatabase master(job.kind);
    const std::string sql =
        master.Open("master", login) && master.OnPostgres()
            ? SmPgRenameDatabaseSql(WorkName(job), job.newFile)
            : "Alter Database " + WorkName(job) + " Modify Name = " + job.newFile;
    // The server may count the session closed a moment ago for a little while.
    for (int attempt = 0; attempt < 10 && !named && !taken && master.IsOpen(); ++attempt) {
      if (attempt > 0) QThread::msleep(100);
      named = master.ExecuteSQL(sql, {}, 128, false);
      taken = !named && master.LastFailure() == SmDbFailure::Duplicate;
    }
  }
  if (named) return {};
  return Abandon(job, db, run, taken ? TakenText(job) : FailedText(job), kYear);
}

}  // namespace

CSmConnInfo SmYearFileLogin(int kind, const std::string& server) {
  CSmConnInfo login(kind);
  if (kind == 0) return login;
  login.server = server;
  CSmEnvironment(kind).ReadDbLogin(login);
  return login;
}

SmRefusal SmCheckNewYearFile(const SmYearFileJob& job, bool yearly, bool* previousExists) {
  const std::string exists = "下列数据文件已存在：\n" + job.newFile + "！";
  if (job.kind == 0) {
    const QFileInfo file(QString::fromStdString(job.newFile));
    if (file.exists() && !file.isDir()) return SmRefusal::Stop(kYear, exists);
    *previousExists = yearly && QFileInfo(QString::fromStdString(job.previousFile)).isFile();
    return {};
  }
  CSmDatabase master(job.kind);
  if (!master.Open("master", SmYearFileLogin(job.kind, job.server)))
    return SmRefusal::Stop(kSmNoField, "无法连接到数据源：" + job.server + "！");
  if (master.DatabaseExists(job.newFile)) return SmRefusal::Stop(kYear, exists);
  *previousExists = yearly && master.DatabaseExists(job.previousFile);
  return {};
}

SmRefusal SmMakeYearFile(CSmApp& app, const SmYearFileJob& job, bool fromPrevious) {
  CSmDatabase db(job.kind);
  CSmStopAtFirstFailure run(db);
  if (SmRefusal refusal = MakeDataFile(app, job, db, run)) return refusal;
  SmRefusal filled = job.convert    ? ConvertInto(job, db, run)
                     : fromPrevious ? CopyFromPreviousYear(app, job, db, run)
                                    : SeedFreshFile(app, job, db, run);
  if (filled) return filled;
  return PutInPlace(job, db, run);
}

bool SmCopyPreviousYearInfo(CSmApp& app, CSmDatabase* source, CSmDatabase* target, int year) {
  std::vector<std::string> info[6];
  if (source->QueryStrings(
          "SELECT RTRIM(NA),RTRIM(KJ),RTRIM(AN),RTRIM(JT),RTRIM(T1),RTRIM(T13) FROM SYSTAB", info,
          6) < 1)
    return false;
  const long sourceYear = source->QueryInt("Select PY From SYSTAB");
  std::vector<SmDbValue> values;
  for (int k = 0; k < 3; ++k) values.push_back(SmDbValue::OfText(info[k][0]));
  values.push_back(SmDbValue::OfInt(year));
  for (int k = 3; k < 6; ++k) values.push_back(SmDbValue::OfText(info[k][0]));
  if (!target->ExecuteBound("INSERT INTO SYSTAB(NA,KJ,AN,PY,MM,JT,T1,T13) VALUES(?,?,?,?,0,?,?,?)",
                            {}, values))
    return false;
  if (!app.CopySystemTables(source, target)) return false;
  if (!target->TableExists("SysCsTab")) return true;
  CSmCsRecord record(target);
  CSmCsRecordArray months;
  record.LoadGroup(kBizMonthGroup, &months);
  const int shift = year - static_cast<int>(sourceYear);
  for (const CSmCsRecord& month : months) {
    const std::vector<SmDbValue> row = {SmDbValue::OfText(ShiftedMonth(month.CsVal, shift)),
                                        SmDbValue::OfInt(month.CsN)};
    if (!target->ExecuteBound("Update SysCsTab Set CsVal=? Where Cs=4 And CsN=?", {}, row))
      return false;
  }
  return target->ExecuteSQL("Delete From SYSCSTAB Where CS=9000") &&
         target->ExecuteSQL("Delete From SYSCSTAB Where CS=6");
}
