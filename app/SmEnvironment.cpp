#include "app/SmEnvironment.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include "app/SmApp.h"
#include "app/SmKeyring.h"
#include "app/SmOperator.h"
#include "core/SmCsRecord.h"
#include "core/SmDatabase.h"
#include "core/SmGbk.h"
#include "core/SmQuery.h"
#include "core/SmRegKey.h"
#include "core/SmString.h"
#include "platform/SmMessage.h"

namespace {

constexpr long kStampGroup = 9133;
constexpr long kLogSwitchGroup = 0;

// A password kept in the settings store: the same substitution as the operators'.
std::string StorePassword(const std::string& plain) {
  return SmEncodePassword(plain);
}
std::string ReadStoredPassword(const std::string& stored) {
  return SmIsEncodedPassword(stored) ? SmDecodePassword(stored) : stored;
}

std::string DefaultRootDir() {
#ifdef Q_OS_WIN
  // The last fixed disk that does not hold the system folder.
  const QString system = QDir::rootPath();
  QString letter = "C";
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    const QString root = volume.rootPath();
    if (root.size() >= 2 && root[1] == ':' && !root.startsWith(system.left(2)))
      letter = root.left(1);
  }
  return (letter + ":\\Vornel数据\\").toStdString();
#else
  return (QDir::homePath() + "/Vornel数据/").toStdString();
#endif
}

bool AllDigits(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

}  // namespace

namespace {

// How an open message takes the caller's extra text: not at all, on a line of its own when
// there is one, right after the message (which ends in a line break), or in its place (%s).
enum class ExtraText { None, OwnLine, Appended, Inside };

struct OpenErrorMessage {
  const char* text;
  ExtraText extra;
};

// By -code - 1.
const OpenErrorMessage kFileOpenMessages[] = {
    {"该文件不存在！", ExtraText::None},
    {"文件名为空！", ExtraText::None},
    {"不是Vornel账务数据文件！", ExtraText::None},
    {"Vornel账务数据文件不能是文件夹！", ExtraText::None},
    {"Vornel账务数据文件不能是只读文件！", ExtraText::OwnLine},
    {"Vornel账务数据文件不能是系统文件！", ExtraText::None},
    {"Vornel账务数据文件不能是隐藏文件！", ExtraText::None},
    {"文件名不是由有效年度构成！", ExtraText::None},
    {"无环境信息！", ExtraText::None},
    {"文件名中的年度与实际账务年度不相符！\n", ExtraText::Appended},
    {"本账套无操作员！", ExtraText::None},
    {"无此操作员！", ExtraText::None},
    {"无法打开此文件！", ExtraText::None},
    {"数据文件“%s”已损坏，请新建一套账，然后从备份件中恢复数据！", ExtraText::Inside},
};

const OpenErrorMessage kServerOpenMessages[] = {
    {"数据库名长度不合适！", ExtraText::None},
    {"打开数据库失败！", ExtraText::OwnLine},
    {"打开系统参数表失败！", ExtraText::None},
    {"系统参数表中无记录！", ExtraText::None},
    {"数据库名中的年度与系统参数表中的年度不符！\n", ExtraText::Appended},
    {"打开操作员表失败！", ExtraText::None},
    {"数据库中无操作员！", ExtraText::None},
    {"无此操作员！", ExtraText::None},
};

template <size_t N>
std::string OpenMessage(const OpenErrorMessage (&table)[N], int code, const std::string& ext) {
  if (code > -1 || code < -static_cast<int>(N)) return "无法识别的错误码！";
  const OpenErrorMessage& message = table[-code - 1];
  const std::string text = message.text;
  if (message.extra == ExtraText::Appended) return text + ext;
  if (message.extra == ExtraText::Inside) return FormatStr(message.text, ext.c_str());
  if (message.extra == ExtraText::OwnLine && !ext.empty()) return text + "\n" + ext;
  return text;
}

// The code of the database kind: a data file's, or a server database's.
int OpenCode(int kind, SmFileOpenError file, SmServerOpenError server) {
  return kind == 0 ? static_cast<int>(file) : static_cast<int>(server);
}

}  // namespace

std::string SmOpenErrorText(int kind, int code, const std::string& ext) {
  if (kind == 0) return OpenMessage(kFileOpenMessages, code, ext);
  if (kind == 1 || kind == 2) return OpenMessage(kServerOpenMessages, code, ext);
  return "无法识别的数据库类型！";
}

CSmEnvironment::CSmEnvironment() : m_db(std::make_unique<CSmDatabase>(0)) {
  Reset();
}

CSmEnvironment::CSmEnvironment(int kind) : CSmEnvironment() {
  SetKind(kind);
}

CSmEnvironment::CSmEnvironment(const CSmEnvironment& other)
    : m_db(std::make_unique<CSmDatabase>(0)) {
  CopyFrom(other);
}

CSmEnvironment& CSmEnvironment::operator=(const CSmEnvironment& other) {
  if (this != &other) CopyFrom(other);
  return *this;
}

void CSmEnvironment::CopyFrom(const CSmEnvironment& other) {
  m_rootDir = other.m_rootDir;
  m_dbKind = other.m_dbKind;
  m_db->SetKind(other.m_db->GetKind());
  m_settings = other.m_settings;
  m_dataFolder = other.m_dataFolder;
  m_dataFile = other.m_dataFile;
  m_unitName = other.m_unitName;
  m_supervisor = other.m_supervisor;
  m_year = other.m_year;
  m_month = other.m_month;
  m_operatorNo = other.m_operatorNo;
  m_operatorName = other.m_operatorName;
  m_idCode = other.m_idCode;
  m_operatorPassword = other.m_operatorPassword;
  m_rights = other.m_rights;
  m_jt = other.m_jt;
  m_t1 = other.m_t1;
  m_t13 = other.m_t13;
  m_logOn = other.m_logOn;
  m_sysTabRead = other.m_sysTabRead;
}

CSmEnvironment::~CSmEnvironment() {
  Close();
}

void CSmEnvironment::Reset() {
  SetKind(0);
  m_settings.SetDefaults(0);
  m_rootDir = DefaultRootDir();
  m_dataFolder.clear();
  m_dataFile.clear();
  m_idCode.clear();
  m_operatorPassword.clear();
  m_rights.clear();
  m_unitName.clear();
  m_supervisor.clear();
  m_operatorNo.clear();
  m_operatorName.clear();
  m_jt.clear();
  m_t1.clear();
  m_t13.clear();
  m_sysTabRead.clear();
  m_year = 0;
  m_month = 0;
  m_logOn = 1;
}

void CSmEnvironment::SetKind(int kind) {
  m_dbKind = kind;
  if (m_db->GetKind() != kind) {
    m_db->Close();
    m_db->SetKind(kind);
  }
}

CSmDatabase* CSmEnvironment::GetDatabase() const {
  return m_db->IsOpen() ? m_db.get() : nullptr;
}

void CSmEnvironment::Close() {
  if (m_db && m_db->IsOpen()) m_db->Close();
}

std::string CSmEnvironment::DataFileExt() const {
  CSmApp* app = SmGetApp();
  return app && !app->GetDataFileExt().empty() ? app->GetDataFileExt() : "tsd";
}

bool CSmEnvironment::YearFiles() const {
  CSmApp* app = SmGetApp();
  return app ? app->HasYearFiles() : true;
}

bool CSmEnvironment::ReportOpenError(int code, bool show, const std::string& given) const {
  if (!show) return false;
  std::string extra = given;
  if (code == SM_FILE_YEAR_MISMATCH && m_dbKind == 0) {
    extra = FormatStr("文件名应当改为：“%d.%s”", m_year, DataFileExt().c_str());
  }
  SmMessageBox(SmOpenErrorText(m_dbKind, code, extra), SM_MB_OK | SM_MB_ICONERROR);
  return false;
}

// ---------------------------------------------------------------- opening

bool CSmEnvironment::CheckAccessFile(const std::string& path, std::string* folder, int* year,
                                     bool show, std::string* fullPath) {
  if (path.empty()) return ReportOpenError(SM_FILE_NO_NAME, show);
  const std::string ext = DataFileExt();
  std::string file = path;
  const size_t dot = file.rfind('.');
  const size_t slash = file.find_last_of("/\\");
  const bool hasDot = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  if (!hasDot) {
    file += "." + ext;
  } else if (dot + 1 == file.size()) {
    file += ext;
  } else if (QString::fromStdString(file.substr(dot + 1))
                 .compare(QString::fromStdString(ext), Qt::CaseInsensitive) != 0) {
    return false;
  }
  const QFileInfo info(QString::fromStdString(file));
  if (!info.exists()) return ReportOpenError(SM_FILE_MISSING, show);
  if (info.isDir() || info.fileName() == "." || info.fileName() == "..") {
    return ReportOpenError(SM_FILE_IS_FOLDER, show);
  }
  if (!info.isWritable()) return ReportOpenError(SM_FILE_READ_ONLY, show);
  // Every change writes a journal beside the file: its folder must take new files.
  if (!QFileInfo(info.absolutePath()).isWritable())
    return ReportOpenError(SM_FILE_READ_ONLY, show,
                           "数据文件所在的文件夹不能写入：" + info.absolutePath().toStdString());
  // A file of the system is not known here; hidden files are those the platform hides.
  if (info.isHidden()) return ReportOpenError(SM_FILE_HIDDEN, show);
  int fileYear = 0;
  if (YearFiles()) {
    const std::string title = info.completeBaseName().toStdString();
    if (!AllDigits(title) || title.size() > 9 || std::stoi(title) < 1990) {
      return ReportOpenError(SM_FILE_NAME_NO_YEAR, show);
    }
    fileYear = std::stoi(title);
  }
  if (year) *year = fileYear;
  if (folder) *folder = info.absolutePath().toStdString();
  if (fullPath) *fullPath = info.absoluteFilePath().toStdString();
  return true;
}

bool CSmEnvironment::CheckServerName(const std::string& name, int* year, bool show) {
  const size_t base = DataFileExt().size() + 4;
  const size_t expected = base + (YearFiles() ? 4 : 0);
  if (name.size() != expected) return ReportOpenError(SM_SERVER_NAME_LENGTH, show);
  *year = 0;
  if (YearFiles()) {
    const std::string digits = name.substr(base);
    *year = AllDigits(digits) ? std::stoi(digits) : 0;
  }
  return true;
}

namespace {

// The engine's check reads every page of the file, and one log-in opens the file up to three
// times: a file that passed unchanged (same size and time of its last write) is not read again.
bool PagesAreWhole(CSmDatabase& db, const std::string& path) {
  struct Checked {
    QString path;
    qint64 size = -1;
    QDateTime written;
  };
  static Checked lastWhole;
  const QFileInfo info(QString::fromStdString(path));
  const Checked now{info.absoluteFilePath(), info.size(), info.lastModified()};
  if (db.GetKind() == 0 && now.path == lastWhole.path && now.size == lastWhole.size &&
      now.written == lastWhole.written)
    return true;
  if (!db.PagesAreWhole()) return false;
  if (db.GetKind() == 0) lastWhole = now;
  return true;
}

}  // namespace

bool CSmEnvironment::Open(bool show) {
  return OpenWith(m_settings, m_dataFile, m_operatorNo, show);
}

bool CSmEnvironment::OpenFile(const std::string& dataSource, const std::string& file,
                              const std::string& operatorNo, bool show) {
  CSmConnInfo settings = m_settings;
  if (m_dbKind != 0) {
    settings.SetDefaults(m_dbKind);
    settings.server = dataSource;
    ReadDbLogin(settings);
  }
  return OpenWith(settings, file, operatorNo, show);
}

bool CSmEnvironment::OpenWith(const CSmConnInfo& settings, const std::string& file,
                              const std::string& opno, bool show) {
  int year = 0;
  std::string folder;
  std::string target = file;
  if (m_dbKind == 0) {
    if (!CheckAccessFile(file, &folder, &year, show, &target)) return false;
  } else if (!CheckServerName(file, &year, show)) {
    return false;
  }
  m_year = year;
  m_db->Close();
  if (!m_db->Open(target, settings)) {
    // The file passed its checks but does not open: say so rather than speak of an empty name.
    if (m_dbKind == 0) {
      const bool damaged = SmClassifyDbError(m_db->LastError()) == SmDbFailure::Damaged;
      return ReportOpenError(damaged ? SM_FILE_DAMAGED : SM_FILE_CANNOT_OPEN, show, target);
    }
    std::string why = SmConnectFailureReport({}, m_db->LastError());
    if (!why.empty()) why.erase(0, 1);  // the line break after the empty headline
    return ReportOpenError(SM_SERVER_OPEN_FAILED, show, why);
  }
  // A damaged page is found before anything is read from or written to the file: the statement
  // that met it would tell only the engine's words.
  if (!PagesAreWhole(*m_db, target)) {
    m_db->Close();
    return ReportOpenError(SM_FILE_DAMAGED, show, target);
  }
  // A file that fails the checks below is not left open as if it were the open data file.
  if (m_dbKind == 0) m_dataFolder = folder;
  m_operatorNo = opno;
  if (!ReadSysTab(show)) {
    m_db->Close();
    return false;
  }
  CSmOperator op;
  if (!op.LoadByCode(m_operatorNo, m_db.get())) {
    CSmOperatorArray all;
    if (LoadOperatorList(&all, m_db.get(), true) == 0) {
      m_db->Close();
      return false;
    }
    op = all.front();
  }
  m_operatorNo = op.Opno;
  m_operatorName = op.Na;
  m_operatorPassword = op.StoredPassword();
  ReadLogSwitch();
  m_dataFile = target;
  m_settings = settings;
  return true;
}

// ---------------------------------------------------------------- SYSTAB

namespace {

const char kSysTabSelect[] =
    "SELECT PY,MM,rtrim(NA),rtrim(KJ),rtrim(AN),rtrim(JT),rtrim(T1),rtrim(T13) FROM SYSTAB";

// The row of the query as texts, to tell whether it changed.
std::vector<std::string> SysTabRow(CSmQuery& query) {
  std::vector<std::string> row = {std::to_string(query.GetInt(0)), std::to_string(query.GetInt(1))};
  for (int k = 0; k < 6; ++k) row.push_back(query.GetString(k));
  return row;
}

// The stored row; empty when none can be read.
std::vector<std::string> ReadSysTabRow(CSmDatabase* db) {
  CSmQuery query(2, 0, 6, db);
  if (!query.Open(kSysTabSelect) || query.IsEOF()) return {};
  return SysTabRow(query);
}

}  // namespace

bool CSmEnvironment::ReadSysTab(bool show) {
  CSmQuery query(2, 0, 6, m_db.get());
  // A file without the table is no data file of ours: say so without a statement error.
  const bool open = m_db->IsOpen() && m_db->TableExists("SYSTAB") && query.Open(kSysTabSelect);
  const int notFound = OpenCode(m_dbKind, SM_FILE_NO_ENVIRONMENT, SM_SERVER_SYSTAB_EMPTY);
  const int notOpen = OpenCode(m_dbKind, SM_FILE_NO_ENVIRONMENT, SM_SERVER_NO_SYSTAB);
  if (!open || query.IsEOF()) return ReportOpenError(open ? notFound : notOpen, show);
  m_sysTabRead = SysTabRow(query);
  const int py = static_cast<int>(query.GetInt(0));
  if (YearFiles()) {
    if (py != m_year) {
      m_year = py;
      return ReportOpenError(OpenCode(m_dbKind, SM_FILE_YEAR_MISMATCH, SM_SERVER_YEAR_MISMATCH),
                             show);
    }
  } else {
    m_year = 0;
  }
  m_month = static_cast<int>(query.GetInt(1));
  m_unitName = query.GetString(0);
  m_supervisor = query.GetString(1);
  m_idCode = query.GetString(2);
  m_jt = query.GetString(3);
  m_t1 = query.GetString(4);
  m_t13 = query.GetString(5);
  return true;
}

bool CSmEnvironment::WriteSysTab() {
  CSmDatabase* db = GetDatabase();
  if (!db) return false;
  if (!db->BeginTrans()) return false;
  // Another workstation may have saved the row since it was read here: its change would be
  // lost unseen. The update takes the row's lock on a server before the row is compared.
  if (!m_sysTabRead.empty()) {
    const bool locked = db->ExecuteSQL("Update SYSTAB Set PY=PY");  // reports its failure
    if (!locked || ReadSysTabRow(db) != m_sysTabRead) {
      db->Rollback();
      if (locked)
        SmMessageBox("文件信息已被另一工作站修改，本次修改没有保存！\n请重新读取文件信息后再修改。",
                     SM_MB_OK | SM_MB_ICONERROR);
      return false;
    }
  }
  const bool ok =
      db->ExecuteSQL("Delete From SysTab") &&
      db->ExecuteBound(
          "INSERT INTO SYSTAB(NA,KJ,PY,MM,AN,JT,T1,T13) VALUES(?,?,?,?,?,?,?,?)", {},
          {SmDbValue::OfText(GbkCut(m_unitName, 40)), SmDbValue::OfText(GbkCut(m_supervisor, 8)),
           SmDbValue::OfInt(m_year), SmDbValue::OfInt(m_month),
           SmDbValue::OfText(GbkCut(m_idCode, 10)), SmDbValue::OfText(GbkCut(m_jt, 3)),
           SmDbValue::OfText(GbkCut(m_t1, 8)), SmDbValue::OfText(GbkCut(m_t13, 8))});
  if (!ok) {
    db->Rollback();
    return false;
  }
  if (!db->CommitTrans()) return false;
  m_sysTabRead = ReadSysTabRow(db);
  return true;
}

std::string CSmEnvironment::GetUnitName(bool fresh) {
  if (fresh) ReadSysTab(false);
  return m_unitName;
}
std::string CSmEnvironment::GetSupervisor(bool fresh) {
  if (fresh) ReadSysTab(false);
  return m_supervisor;
}
std::string CSmEnvironment::GetIdCode(bool fresh) {
  if (fresh) ReadSysTab(false);
  return m_idCode;
}
std::string CSmEnvironment::GetSysTabT1(bool fresh) {
  if (fresh) ReadSysTab(false);
  return m_t1;
}
std::string CSmEnvironment::GetSysTabT13(bool fresh) {
  if (fresh) ReadSysTab(false);
  return m_t13;
}
int CSmEnvironment::GetYear(bool fresh) {
  if (fresh) ReadSysTab(false);
  return m_year;
}

void CSmEnvironment::SetFileInfo(const std::string& na, const std::string& kj,
                                 const std::string& t1, const std::string& t13) {
  m_unitName = na;
  m_supervisor = kj;
  m_t1 = t1;
  m_t13 = t13;
}

// ---------------------------------------------------------------- rights and log switch

bool CSmEnvironment::LoadRights() {
  m_rights.clear();
  CSmDatabase* db = GetDatabase();
  if (!db) return false;
  CSmQuery query(0, 0, 1, db);
  if (!query.Open("select rtrim(pwr) from pwr where opno = '" + db->SqlText(m_operatorNo, 3) +
                  "'")) {
    return false;
  }
  for (; !query.IsEOF(); query.MoveNext()) m_rights += query.GetString(0) + " ";
  return true;
}

void CSmEnvironment::ReadLogSwitch() {
  CSmCsRecord row(GetDatabase());
  m_logOn = 1;
  if (GetDatabase() && row.Load(kLogSwitchGroup, 0)) {
    m_logOn = static_cast<int>(std::strtol(row.CsVal.c_str(), nullptr, 10));
  }
}

bool CSmEnvironment::SaveLogSwitch() {
  CSmDatabase* db = GetDatabase();
  if (!db) return false;
  CSmCsRecord row(db);
  row.Delete(kLogSwitchGroup, 0);
  row.Set(kLogSwitchGroup, 0, "日志开关", std::to_string(m_logOn));
  return row.Insert();
}

// ---------------------------------------------------------------- program stamp

namespace {

std::string StampName(int backEnd) {
  CSmApp* app = SmGetApp();
  return std::to_string(backEnd + (app ? app->GetSmModuleId() : 0) * 10);
}
int ProductNumber() {
  CSmApp* app = SmGetApp();
  return app ? app->GetDataVersion() : 8;
}
int VersionNumber() {
  CSmApp* app = SmGetApp();
  return app ? app->GetModuleNumber() : 5;
}
std::string StampTitle() {
  CSmApp* app = SmGetApp();
  if (!app) return {};
  return app->GetProductTitle() + "（" + app->GetProgramKeyText() + "版）";
}

// Product and version of a stamp value "%-4d%d"; false when it does not read.
bool ParseStampValue(const std::string& value, int* product, int* version) {
  const std::string head = TrimChars(value.substr(0, std::min<size_t>(4, value.size())));
  const std::string tail = value.size() > 4 ? TrimChars(value.substr(4)) : std::string();
  if (!AllDigits(head) || !AllDigits(tail) || head.size() > 9 || tail.size() > 9) return false;
  *product = std::stoi(head);
  *version = std::stoi(tail);
  return true;
}

}  // namespace

bool CSmEnvironment::CheckVersionStamp(CSmDatabase* db, int* backEnd, int* productNo,
                                       int* versionNo) {
  if (!db) db = m_db.get();
  if (!db->IsOpen()) return false;
  const int kind = db->GetKind();
  if (backEnd) *backEnd = kind;
  if (productNo) *productNo = 0;
  if (versionNo) *versionNo = 0;
  const int product = ProductNumber();
  const int version = VersionNumber();
  CSmCsRecord row(db);
  bool same = row.Load(kStampGroup, 1) && row.CsNa == StampName(kind);
  if (same) {
    int readProduct = 0;
    int readVersion = 0;
    same = ParseStampValue(row.CsVal, &readProduct, &readVersion);
    if (productNo) *productNo = readProduct;
    if (versionNo) *versionNo = readVersion;
    same = same && readProduct == product && readVersion == version;
  }
  if (!same) {
    row.Delete(kStampGroup, 1);
    row.Set(kStampGroup, 1, StampName(kind), FormatStr("%-4d%d", product, version));
    row.Insert();
  }
  const std::string title = StampTitle();
  if (!row.Load(kStampGroup, 2) || row.CsVal != title) {
    row.Delete(kStampGroup, 2);
    row.Set(kStampGroup, 2, "", GbkCut(title, 200));
    row.Insert();
  }
  return true;
}

int CSmEnvironment::ReadVersionStamp(CSmDatabase* db, int* backEnd, int* productNo,
                                     int* versionNo) {
  if (!db) db = m_db.get();
  if (!db->IsOpen()) return 0;
  CSmCsRecord record(db);
  CSmCsRecordArray rows;
  record.LoadRows(kStampGroup, 1, &rows);
  long best = -1;
  int bestBackEnd = 0;
  for (const CSmCsRecord& row : rows) {
    int product = 0;
    int version = 0;
    if (!ParseStampValue(row.CsVal, &product, &version)) continue;
    const long combined = product * 10000L + version;
    if (combined <= best) continue;
    best = combined;
    bestBackEnd = static_cast<int>(std::strtol(row.CsNa.c_str(), nullptr, 10) % 10);
  }
  // Without a stamp every number is -1.
  if (backEnd) *backEnd = best < 0 ? -1 : bestBackEnd;
  if (productNo) *productNo = best < 0 ? -1 : static_cast<int>(best / 10000);
  if (versionNo) *versionNo = best < 0 ? -1 : static_cast<int>(best % 10000);
  return static_cast<int>(rows.size());
}

bool CSmEnvironment::CheckFileStamp(CSmDatabase* db) {
  if (!db) db = m_db.get();
  if (!db->IsOpen()) return false;
  int backEnd = -1;
  int product = -1;
  int version = -1;
  ReadVersionStamp(db, &backEnd, &product, &version);
  CSmCsRecord row(db);
  const std::string title = row.Load(kStampGroup, 2) ? row.CsVal : std::string();
  const long file = product * 10000L + version;
  const long running = ProductNumber() * 10000L + VersionNumber();
  if (product >= 0 && file > running) {
    SmMessageBox("这是高版本软件“" + title + "”创建的数据文件,不能打开！",
                 SM_MB_OK | SM_MB_ICONERROR);
    return false;
  }
  if (product < 0 || file < running) {
    const std::string question = "这是低版本软件“" + title + "”创建的数据文件，要升级数据吗？";
    if (SmMessageBox(question, SM_MB_YESNO | SM_MB_ICONQUESTION) != SM_IDYES) return false;
  }
  if (backEnd != -1 && backEnd != db->GetKind()) {
    SmMessageBox(std::string("此文件中的数据原来是") + (backEnd != 0 ? "SQL Server" : "Access") +
                     "数据库格式的，用此版软件打开后，需要手工修改部份公式，方可正常使用！",
                 SM_MB_OK | SM_MB_ICONINFORMATION);
  }
  return true;
}

// ---------------------------------------------------------------- settings store

namespace {

std::string ProgramKey() {
  CSmApp* app = SmGetApp();
  return app ? app->GetSmRegKey() : "Software\\reduvor\\Sm\\5.0";
}

bool ReadValue(const std::string& key, const std::string& name, std::string& value) {
  CSmRegKey reg;
  return reg.Open(SM_HKEY_CURRENT_USER, key, name, value);
}

bool WriteValue(const std::string& key, const std::string& name, const std::string& value) {
  CSmRegKey reg;
  return reg.SetValue(SM_HKEY_CURRENT_USER, key, name, value);
}

}  // namespace

bool CSmEnvironment::LoadFromRegistry(int* moduleId) {
  const std::string key = ProgramKey();
  std::string flag, type, opno, root, dsn;
  if (!ReadValue(key, "SoftwareFlg", flag) || !ReadValue(key, "DBType", type) ||
      !ReadValue(key, "Opno", opno)) {
    return false;
  }
  if (moduleId) *moduleId = static_cast<int>(std::strtol(flag.c_str(), nullptr, 10));
  if (!ReadValue(key, "RootDir", root) || !ReadValue(key, "DSN", dsn)) return false;
  std::string file;
  if (std::strtol(type.c_str(), nullptr, 10) != 0) {
    if (!ReadValue(key, "DATABASE", file)) return false;
    CSmConnInfo settings(1);
    settings.server = dsn;
    if (!ReadDbLogin(settings)) return false;
    settings.database = file;
    m_settings = settings;
    SetKind(1);
  } else {
    if (!ReadValue(key, "DataDir", file)) return false;
    SetKind(0);
  }
  m_rootDir = root;
  m_dataFile = file;
  m_operatorNo = opno;
  return true;
}

bool CSmEnvironment::SaveToRegistry(int moduleId) {
  const std::string key = ProgramKey();
  if (!WriteValue(key, "SoftwareFlg", std::to_string(moduleId)) ||
      !WriteValue(key, "DBType", std::to_string(m_dbKind)) ||
      !WriteValue(key, "Opno", m_operatorNo) || !WriteValue(key, "RootDir", m_rootDir) ||
      !WriteValue(key, "DSN", m_settings.server)) {
    return false;
  }
  if (m_dbKind != 0) {
    return WriteValue(key, "DATABASE", m_dataFile) && WriteDbLogin(m_settings);
  }
  return WriteValue(key, "DataDir", m_dataFile);
}

// The server password lives in the desktop's keyring where one runs ("PWDKeyring" is then
// "1" and "PWD" empty); else in "PWD", in a settings file only the user can read.
bool CSmEnvironment::ReadDbLogin(CSmConnInfo& settings) {
  const std::string key = ProgramKey() + "\\" + settings.server;
  std::string user, password, inKeyring;
  if (!ReadValue(key, "UID", user) || !ReadValue(key, "PWD", password)) return false;
  settings.user = user;
  std::string host;
  if (ReadValue(key, "Server", host)) settings.host = host;  // set by this program's setup
  if (ReadValue(key, "PWDKeyring", inKeyring) && inKeyring == "1") {
    SmKeyringRead(key, settings.password);  // a keyring gone since asks for it again
    return true;
  }
  settings.password = ReadStoredPassword(password);
  return true;
}

bool CSmEnvironment::WriteDbLogin(const CSmConnInfo& settings) {
  const std::string key = ProgramKey() + "\\" + settings.server;
  if (!WriteValue(key, "UID", settings.user) || !WriteValue(key, "Server", settings.host))
    return false;
  if (SmKeyringWrite(key, settings.password))
    return WriteValue(key, "PWD", "") && WriteValue(key, "PWDKeyring", "1");
  const bool ok = WriteValue(key, "PWD", StorePassword(settings.password)) &&
                  WriteValue(key, "PWDKeyring", "0");
  return SmRestrictSettingsFile() && ok;
}
