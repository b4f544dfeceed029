#include "admin/SmNewYearFileDlg.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>

#include "admin/SmCarryOver.h"
#include "app/SmApp.h"
#include "app/SmEnvironment.h"
#include "app/SmOpLog.h"
#include "app/SmServerYearFile.h"
#include "cane/TsParams.h"
#include "core/SmCsRecord.h"
#include "core/SmDatabase.h"
#include "core/SmDate.h"
#include "core/SmNumber.h"
#include "core/SmSqlDialectPg.h"
#include "core/SmString.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "ui/SmEdit.h"
#include "ui/SmFolderDlg.h"
#include "ui/SmWaitWnd.h"

namespace {

constexpr unsigned kNewYearFileTemplate = 813;
constexpr int kYearLabel = 1091;
constexpr int kPlaceLabel = 1092;
constexpr int kPlaceEdit = 1155;
constexpr int kYearEdit = 1105;
constexpr int kBrowseButton = 1074;
constexpr int kPathLimit = 260;
constexpr int kLogCode = 5;
constexpr long kBizMonthGroup = 4;

std::string TrimSlashes(std::string path) {
  while (path.size() > 1 && (path.back() == '/' || path.back() == '\\')) path.pop_back();
  return path;
}

bool IsDigits(const std::string& text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The business year that holds today by the cane module's start month: under the default
// start (1 November of the year before) a first file made in November or December is the next
// calendar year's. A program without the cane module counts calendar years.
std::string ThisYear() {
  const std::string xmm = TsGetDataType() ? TsGetYearStartParam() : std::string();
  return std::to_string(TsBusinessYearOf(NowText("%Y%m%d"), xmm));
}

// A business-month value moved on by `shift` years: the year raised, month and day kept.
std::string ShiftedMonth(const std::string& value, int shift) {
  const std::string trimmed = TrimChars(value);
  if (trimmed.size() < 8 || !IsDigits(trimmed.substr(0, 4))) return trimmed;
  return FormatStr("%04d", std::stoi(trimmed.substr(0, 4)) + shift) +
         trimmed.substr(trimmed.size() - 4);
}

}  // namespace

CSmNewYearFileDlg::CSmNewYearFileDlg(CSmApp& app, int mode, int kind, const std::string& dataFile,
                                     const std::string& server, QWidget* parent)
    : CSmAppDlg(kNewYearFileTemplate, &app, parent),
      m_app(app),
      m_mode(mode),
      m_kind(kind),
      m_dataFile(dataFile),
      m_server(server) {
  setWindowTitle(QStringLiteral("建立新年度数据文件"));
  m_placeLabel = new QLabel(this);
  m_placeLabel->setObjectName(QString::number(kPlaceLabel));
  m_place = new CSmEdit(this);
  m_place->setObjectName(QString::number(kPlaceEdit));
  m_browse = AddButton(kBrowseButton, QStringLiteral("&B"));
  auto* yearLabel = new QLabel(
      m_app.HasYearFiles() ? QStringLiteral("&F.年  度：") : QStringLiteral("&F.文件名："), this);
  yearLabel->setObjectName(QString::number(kYearLabel));
  m_year = new CSmEdit(this);
  m_year->setObjectName(QString::number(kYearEdit));
  m_placeLabel->setBuddy(m_place);
  yearLabel->setBuddy(m_year);

  auto* fields = new QGridLayout;
  fields->addWidget(m_placeLabel, 0, 0);
  fields->addWidget(m_place, 0, 1);
  fields->addWidget(m_browse, 0, 2);
  fields->addWidget(yearLabel, 1, 0);
  fields->addWidget(m_year, 1, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(AddButton(SM_ID_OK, QStringLiteral("&S.确认")));
  buttons->addWidget(AddButton(SM_ID_CANCEL, QStringLiteral("&X.关闭")));
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addLayout(buttons);
  resize(420, 140);
  connect(qobject_cast<QPushButton*>(m_browse), &QPushButton::clicked, this,
          [this] { OnBrowse(); });

  if (m_app.HasYearFiles()) {
    m_year->SetInputType("STRING DIGIT", 4);
    m_year->setMaxLength(4);
  } else {
    m_year->SetInputType("MDBSTRING", kPathLimit);
    m_year->setMaxLength(kPathLimit);
  }
  if (m_kind == 0) {
    InitAccessFields();
  } else {
    InitServerFields();
  }
}

void CSmNewYearFileDlg::SetConversion(const std::string& sourceServer,
                                      const std::string& sourceFile) {
  m_convert = true;
  m_sourceServer = sourceServer;
  m_sourceFile = sourceFile;
  if (m_kind == 0) {
    InitAccessFields();
  } else {
    InitServerFields();
  }
}

std::string CSmNewYearFileDlg::Ext() const {
  return m_app.GetDataFileExt().empty() ? "tsd" : m_app.GetDataFileExt();
}

CSmConnInfo CSmNewYearFileDlg::Login(int kind, const std::string& server) const {
  CSmConnInfo login(kind);
  if (kind == 0) return login;
  login.server = server;
  CSmEnvironment(kind).ReadDbLogin(login);
  return login;
}

void CSmNewYearFileDlg::InitAccessFields() {
  m_placeLabel->setText(QStringLiteral("&P.位  置："));
  m_place->SetInputType("MDBSTRING", kPathLimit);
  m_place->setMaxLength(kPathLimit);
  const QFileInfo current(QString::fromStdString(m_dataFile));
  // The current file's folder, or the folder itself (also one still to be made).
  const bool isFile = current.isFile() || current.suffix().compare(QString::fromStdString(Ext()),
                                                                   Qt::CaseInsensitive) == 0;
  const std::string folder =
      m_dataFile.empty() || !isFile ? m_dataFile : current.absolutePath().toStdString();
  m_place->setText(QString::fromStdString(TrimSlashes(folder)));
  const bool yearly = m_app.HasYearFiles();
  if (yearly) {
    const std::string year =
        m_convert ? (m_sourceFile.size() >= 4 ? m_sourceFile.substr(m_sourceFile.size() - 4) : "")
                  : NextAccessYear(folder);
    m_year->setText(QString::fromStdString(year));
  } else if (current.isFile()) {
    m_year->setText(current.completeBaseName());
  }
  m_year->setEnabled(!(yearly && m_convert));
}

void CSmNewYearFileDlg::InitServerFields() {
  m_placeLabel->setText(QStringLiteral("&P.序  号："));
  m_place->SetInputType("STRING DIGIT", 4);
  m_place->setMaxLength(4);
  m_browse->setEnabled(false);
  m_browse->hide();
  const bool yearly = m_app.HasYearFiles();
  m_year->setEnabled(yearly && !m_convert);
  const std::string ext = Ext();
  const bool sameSet = yearly && m_dataFile.size() >= ext.size() + 4 &&
                       MakeUpperCopy(m_dataFile.substr(0, ext.size())) == MakeUpperCopy(ext);
  const std::string sequence = sameSet ? m_dataFile.substr(ext.size(), 4) : NextServerSequence();
  m_place->setText(QString::fromStdString(sequence));
  if (!yearly) return;
  const std::string year =
      m_convert ? QFileInfo(QString::fromStdString(m_sourceFile)).completeBaseName().toStdString()
                : NextServerYear(sequence);
  m_year->setText(QString::fromStdString(year));
}

std::string CSmNewYearFileDlg::NextAccessYear(const std::string& folder) const {
  const QDir dir(QString::fromStdString(TrimSlashes(folder)));
  int newest = -1;
  const QStringList names = dir.entryList({QString::fromStdString("*." + Ext())}, QDir::Files);
  for (const QString& name : names) {
    const std::string title = QFileInfo(name).completeBaseName().toStdString();
    if (!IsDigits(title)) continue;
    newest = std::max(newest, StrToIntDef(title, 0));
  }
  return newest < 0 ? ThisYear() : std::to_string(newest + 1);
}

std::string CSmNewYearFileDlg::NextServerSequence() const {
  std::vector<SmServerAccountSet> sets;
  if (SmListServerAccountSets(m_kind, Login(m_kind, m_server), Ext(), sets, m_app.HasYearFiles()) <
      0)
    return {};
  int newest = 0;
  for (const SmServerAccountSet& set : sets) newest = std::max(newest, StrToIntDef(set.code, 0));
  return FormatStr("%04d", newest + 1);
}

std::string CSmNewYearFileDlg::NextServerYear(const std::string& sequence) const {
  std::vector<SmServerAccountSet> sets;
  if (SmListServerAccountSets(m_kind, Login(m_kind, m_server), Ext(), sets) < 0) return {};
  for (const SmServerAccountSet& set : sets) {
    if (set.code == sequence && !set.years.empty()) return FormatStr("%04d", set.years.back() + 1);
  }
  return ThisYear();
}

void CSmNewYearFileDlg::OnBrowse() {
  CSmFolderDlg dlg(m_place->text().toStdString(), this);
  if (dlg.DoModal() != SM_IDOK) return;
  m_place->setText(QString::fromStdString(TrimSlashes(dlg.GetFolder())));
}

bool CSmNewYearFileDlg::Refuse(const std::string& text, QWidget* field) {
  SmMessageBox(text, SM_MB_OK | SM_MB_ICONERROR);
  if (field) field->setFocus();
  return false;
}

bool CSmNewYearFileDlg::BuildNames(int* year) {
  const bool yearly = m_app.HasYearFiles();
  std::string yearText = m_year->text().trimmed().toStdString();
  *year = QDate::currentDate().year();
  if (yearly) {
    *year = StrToIntDef(yearText, 0);
    if (*year < 1900) return Refuse("年度有误！", m_year);
    yearText = FormatStr("%04d", *year);
    m_year->setText(QString::fromStdString(yearText));
  } else if (yearText.empty()) {
    return Refuse("文件名有误！", m_year);
  }
  const std::string previousText = FormatStr("%04d", *year - 1);
  if (m_kind != 0) {
    const int sequence = StrToIntDef(m_place->text().trimmed().toStdString(), 0);
    if (sequence < 1) return Refuse("序号有误！", m_place);
    const std::string code = FormatStr("%04d", sequence);
    m_place->setText(QString::fromStdString(code));
    m_newFile = Ext() + code + (yearly ? yearText : std::string());
    m_previousFile = Ext() + code + previousText;
    m_folder.clear();
    return true;
  }
  m_folder = TrimSlashes(m_place->text().trimmed().toStdString());
  if (m_folder.empty()) return Refuse("位置有误！", m_place);
  m_newFile = m_folder + "/" + yearText + "." + Ext();
  m_previousFile = m_folder + "/" + previousText + "." + Ext();
  return true;
}

bool CSmNewYearFileDlg::CreateDataFile() {
  if (m_mode == 0) return false;
  int year = 0;
  if (!BuildNames(&year)) return false;
  const bool yearly = m_app.HasYearFiles();
  if (m_kind == 0) {
    const QFileInfo file(QString::fromStdString(m_newFile));
    if (file.exists() && !file.isDir())
      return Refuse("下列数据文件已存在：\n" + m_newFile + "！", m_year);
    m_previousExists = yearly && QFileInfo(QString::fromStdString(m_previousFile)).isFile();
  } else {
    CSmDatabase master(m_kind);
    if (!master.Open("master", Login(m_kind, m_server)))
      return Refuse("无法连接到数据源：" + m_server + "！", nullptr);
    if (master.DatabaseExists(m_newFile))
      return Refuse("下列数据文件已存在：\n" + m_newFile + "！", m_year);
    m_previousExists = yearly && master.DatabaseExists(m_previousFile);
  }
  if (!m_convert &&
      SmMessageBox("真的要创建吗？", SM_MB_YESNOCANCEL | SM_MB_ICONQUESTION) != SM_IDYES)
    return false;

  // The file is made whole under a work name and only then takes its own: a kill on the way
  // leaves no file of the year, and a full disk stops the making at its first failed write.
  {
    CSmDatabase db(m_kind);
    CSmStopAtFirstFailure run(db);
    if (!MakeDataFile(db, run)) return false;
    const bool filled = m_convert          ? ConvertInto(db, run)
                        : m_previousExists ? CopyFromPreviousYear(db, run, year)
                                           : SeedFreshFile(db, run, year);
    if (!filled || !PutInPlace(db, run)) return false;
  }
  if (m_convert) {
    SmMessageBox("转换完毕！", SM_MB_OK | SM_MB_ICONINFORMATION);
  } else if (m_previousExists) {
    OfferCarryOver(year);
  } else {
    SmMessageBox("数据文件“" + m_newFile + "” 创建成功！", SM_MB_OK | SM_MB_ICONINFORMATION);
  }
  if (m_app.GetDatabase()) CSmOpLog(kLogCode, "建立数据文件：" + m_newFile);
  return true;
}

std::string CSmNewYearFileDlg::WorkName() const {
  return m_newFile + (m_kind == 0 ? ".new" : "_new");
}

bool CSmNewYearFileDlg::RemoveLeftover() {
  const std::string work = WorkName();
  const CSmConnInfo login = Login(m_kind, m_server);
  CSmDatabase dropper(m_kind);
  if (m_kind == 0) {
    std::error_code ec;
    if (!std::filesystem::exists(work, ec)) {
      // A journal without its file would be played into the next one of that name.
      std::filesystem::remove(work + "-journal", ec);
      return true;
    }
    return dropper.DropDatabase(login, work);
  }
  CSmDatabase master(m_kind);
  if (!master.Open("master", login) || !master.DatabaseExists(work)) return true;
  master.Close();
  return dropper.DropDatabase(login, work);
}

bool CSmNewYearFileDlg::Abandon(CSmDatabase& db, const CSmStopAtFirstFailure& run,
                                const std::string& text, QWidget* field) {
  db.Close();
  CSmDatabase dropper(m_kind);
  dropper.DropDatabase(Login(m_kind, m_server), WorkName());
  // A run stopped by a full disk or a read-only folder has said why already.
  if (run.Stopped()) {
    if (field) field->setFocus();
    return false;
  }
  return Refuse(text, field);
}

bool CSmNewYearFileDlg::MakeDataFile(CSmDatabase& db, const CSmStopAtFirstFailure& run) {
  CSmWaitWnd wait;
  wait.Show();
  const std::string failed = "创建下列数据文件失败：\n" + m_newFile + "！";
  // What a killed try left under the work name goes first; while another workstation is
  // making the same file, it stays and this try fails.
  if (m_kind == 0) QDir().mkpath(QString::fromStdString(m_folder));
  if (!RemoveLeftover()) {
    wait.Hide();
    return Refuse(failed, m_year);
  }
  if (!db.CreateDatabase(Login(m_kind, m_server), WorkName())) {
    wait.Hide();
    const SmDbFailure why = db.LastFailure();
    if (why != SmDbFailure::DiskFull && why != SmDbFailure::ReadOnly) return Refuse(failed, m_year);
    db.ReportLastFailure();  // a full disk or a read-only folder, in plain words
    m_year->setFocus();
    return false;
  }
  m_app.AfterOpen(&db);
  if (!run.Stopped() && db.Reopen() && db.TableExists("SYSTAB")) return true;
  wait.Hide();
  return Abandon(db, run, failed, m_year);
}

bool CSmNewYearFileDlg::PutInPlace(CSmDatabase& db, const CSmStopAtFirstFailure& run) {
  if (run.Stopped()) return Abandon(db, run, {}, m_year);
  db.Close();
  const CSmConnInfo login = Login(m_kind, m_server);
  bool named = false;
  if (m_kind == 0) {
    // The rename never replaces a file another workstation made meanwhile.
    named = QFile::rename(QString::fromStdString(WorkName()), QString::fromStdString(m_newFile));
  } else {
    CSmDatabase master(m_kind);
    const std::string sql = master.Open("master", login) && master.OnPostgres()
                                ? SmPgRenameDatabaseSql(WorkName(), m_newFile)
                                : "Alter Database " + WorkName() + " Modify Name = " + m_newFile;
    // The server may count the session closed a moment ago for a little while.
    for (int attempt = 0; attempt < 10 && !named && master.IsOpen(); ++attempt) {
      if (attempt > 0) QThread::msleep(100);
      named = master.ExecuteSQL(sql, {}, 128, false);
    }
  }
  if (named) return true;
  return Abandon(db, run, "创建下列数据文件失败：\n" + m_newFile + "！", m_year);
}

bool CSmNewYearFileDlg::ConvertInto(CSmDatabase& db, const CSmStopAtFirstFailure& run) {
  const int sourceKind = m_kind == 0 ? 1 : 0;
  CSmDatabase source(sourceKind);
  CSmWaitWnd wait;
  wait.Show();
  if (!source.Open(m_sourceFile, Login(sourceKind, m_sourceServer))) {
    wait.Hide();
    return Abandon(db, run, "打开源数据文件“" + m_sourceFile + "” 失败！", m_place);
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
    return Abandon(db, run, "下列数据表转换失败：\n" + failed, m_place);
  return true;
}

bool CSmNewYearFileDlg::CopyFromPreviousYear(CSmDatabase& db, const CSmStopAtFirstFailure& run,
                                             int year) {
  CSmDatabase previous(m_kind);
  CSmWaitWnd wait;
  wait.Show();
  if (!previous.Open(m_previousFile, Login(m_kind, m_server))) {
    wait.Hide();
    return Abandon(db, run, "打开年度文件“" + m_previousFile + "” 失败！", m_year);
  }
  if (!CopyPreviousYearInfo(&previous, &db, year) || run.Stopped()) {
    wait.Hide();
    return Abandon(db, run, "从年度文件“" + m_previousFile + "”拷贝信息失败！", m_year);
  }
  return true;
}

void CSmNewYearFileDlg::OfferCarryOver(int year) {
  const std::string question = FormatStr("年度文件“%s” 创建成功！\n\n要执行%d─→%d年数据结转吗？",
                                         m_newFile.c_str(), year - 1, year);
  if (SmMessageBox(question, SM_MB_YESNOCANCEL | SM_MB_ICONQUESTION) != SM_IDYES) return;
  const CSmConnInfo login = Login(m_kind, m_server);
  CSmDatabase previous(m_kind);
  CSmDatabase made(m_kind);
  if (!previous.Open(m_previousFile, login)) {
    Refuse("打开年度文件“" + m_previousFile + "” 失败！", m_year);
    return;
  }
  if (!made.Open(m_newFile, login)) {
    Refuse("打开年度文件“" + m_newFile + "” 失败！", m_year);
    return;
  }
  SmCarryOverAll(m_app, &previous, &made);
}

bool CSmNewYearFileDlg::SeedFreshFile(CSmDatabase& db, const CSmStopAtFirstFailure& run, int year) {
  CSmWaitWnd wait;
  wait.Show();
  m_app.InsertDefaultRows(&db, year);
  CSmEnvironment(m_kind).CheckVersionStamp(&db, nullptr, nullptr, nullptr);
  wait.Hide();
  // The file is whole with its year's row.
  if (!run.Stopped() && db.QueryInt("Select Count(*) From SYSTAB") == 1) return true;
  return Abandon(db, run, "创建下列数据文件失败：\n" + m_newFile + "！", m_year);
}

bool CSmNewYearFileDlg::CopyPreviousYearInfo(CSmDatabase* source, CSmDatabase* target, int year) {
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
  if (!m_app.CopySystemTables(source, target)) return false;
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

bool SmRunNewYearFileDlg(CSmApp& app, const SmNewYearFileRequest& request, QWidget* parent,
                         SmNewYearFileResult* result) {
  CSmNewYearFileDlg dlg(app, 1, request.kind, request.dataFile, request.server, parent);
  if (request.convert) dlg.SetConversion(request.sourceServer, request.sourceFile);
  if (dlg.DoModal() != SM_IDOK) return false;
  if (result) *result = {dlg.GetFolder(), dlg.GetNewFile()};
  return true;
}
