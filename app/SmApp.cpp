#include "app/SmApp.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QProcess>
#include <QScreen>
#include <QVBoxLayout>
#include <cstdio>

#include "app/SmDateArray.h"
#include "app/SmMainFrm.h"
#include "app/SmWorkstation.h"
#include "core/Caculate.h"
#include "core/SmDatabase.h"
#include "core/SmDate.h"
#include "core/SmNumber.h"
#include "core/SmRegKey.h"
#include "core/SmShell.h"
#include "platform/SmDesktop.h"
#include "platform/SmMessage.h"
#include "res/SmResource.h"
#include "ui/SmDlg.h"
#include "ui/SmPrintInfo.h"
#include "ui/SmWaitCursor.h"

namespace {

constexpr int kSplashTemplate = 805;
constexpr int kSplashPicture = 1001;

std::string Format(const char* format, auto... args) {
  const int size = std::snprintf(nullptr, 0, format, args...);
  std::string text(static_cast<size_t>(size), '\0');
  std::snprintf(text.data(), text.size() + 1, format, args...);
  return text;
}

}  // namespace

CSmApp::CSmApp() {
  m_opLog.m_enabled = 1;
  // The print code reaches the current application through these.
  SmPrintHooks& hooks = SmGetPrintHooks();
  hooks.getPrinterDC = [](const SmPageRequest& request) {
    CSmWinApp* app = CSmWinApp::Current();
    return app && app->GetPrinterDC(request);
  };
  hooks.getPrintVariables = [](int group, CSmPrintVarList& rows) {
    CSmWinApp* app = CSmWinApp::Current();
    return app ? app->GetPrintVariables(group, rows) : 0;
  };
  hooks.notifyTypes = [](int flag, const std::string& mode, CSmPrintInfo* info) {
    if (CSmApp* app = SmGetApp()) app->NotifyTypes(flag, mode, info);
  };
  hooks.writeLog = [](int code, const std::string& note) { CSmOpLog(code, note); };
}

CSmApp::~CSmApp() {
  if (&CSmDlgPosStore::Current() == &m_dlgPos) CSmDlgPosStore::SetCurrent(nullptr);
  if (SmRunningApp() == this) SmSetRunningApp(nullptr);
}

// ---------------------------------------------------------------- start-up and shutdown

bool CSmApp::InitInstance(const std::vector<std::string>& args) {
  SmSetRunningApp(this);
  SmLoadQtTranslation();
  SmUseIconTheme();
  QApplication::setWindowIcon(SmProgramIcon());
  ShowSplash();
  CreateDataTypes();
  SelectModuleInfo();
  for (CSmDataType* type : m_dataTypes) type->LoadTabLabel();
  LoadDialogPositions();
  std::unique_ptr<CSmFrameWnd> frame = CreateMainFrame();
  if (!frame) return false;
  SetMainWnd(std::move(frame));
  std::string file;
  if (SmParseCommandLine(args, file) == SM_SHELL_OTHER) return false;
  ShowMainWindow();
  RunUpdater();
  RegisterDataFileType();
  if (!CheckDataEngine()) return false;
  return LogIn(file);
}

int CSmApp::ExitInstance() {
  SaveDialogPositions();
  m_opLog.EndWork();
  m_env.Close();
  const int code = CSmWinApp::ExitInstance();
  return m_exitCode != 0 ? m_exitCode : code;
}

void CSmApp::ShowSplash() {
  // Only the program's picture is shown; without one there is no splash window at all.
  const QPixmap pixmap(":/res/splash.png");
  if (pixmap.isNull()) return;
  auto splash = std::make_unique<QDialog>(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint);
  splash->setObjectName(QString::number(kSplashTemplate));
  auto* picture = new QLabel(splash.get());
  picture->setObjectName(QString::number(kSplashPicture));
  picture->setPixmap(pixmap);
  auto* layout = new QVBoxLayout(splash.get());
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(picture);
  splash->setFixedSize(pixmap.size());
  splash->show();
  m_splash = std::move(splash);
}

void CSmApp::HideSplash() {
  m_splash.reset();
}

std::unique_ptr<CSmFrameWnd> CSmApp::CreateMainFrame() {
  auto frame = std::make_unique<CSmMainFrm>();
  frame->setWindowTitle(QString::fromStdString(GetProductTitle()));
  if (!frame->Create()) return nullptr;
  return frame;
}

void CSmApp::ShowMainWindow() {
  if (m_mainWnd) {
    // Without a window manager a maximise request is ignored: start at the screen's size.
    if (QScreen* screen = m_mainWnd->screen()) m_mainWnd->setGeometry(screen->availableGeometry());
    m_mainWnd->showMaximized();
  }
  HideSplash();
}

bool CSmApp::RegisterDataFileType() {
  return RegisterFileType(GetDataFileExt(), GetDataFileCaption(), GetProgramPath());
}

// ---------------------------------------------------------------- updater

std::string CSmApp::BuildUpdaterParameters(const std::string& programFolder, int updaterFlag) {
  return Format("\n%s\n%s\n%s\n%s\n%s\n%s\n%d\n%d", programFolder.c_str(), GetDocType().c_str(),
                GetProductTitle().c_str(), GetBackEndLetter().c_str(), GetVersion().c_str(),
                GetProgramKeyText().c_str(), GetModuleNumber(), updaterFlag);
}

void CSmApp::RunUpdater() {
  const int flag = ReadUpdaterFlag();
  const QString folder = QString::fromStdString(GetProgramFolder());
  if (folder.isEmpty() || !QDir::setCurrent(folder)) return;
#ifdef Q_OS_WIN
  const QString updater = "QlnUp.exe";
#else
  const QString updater = "QlnUp";
#endif
  const QString parent = QFileInfo(folder + "/..").canonicalFilePath();
  if (parent.isEmpty() || !QFileInfo(parent + "/" + updater).isFile()) return;
  // Started and not waited for; nothing is reported when it does not start.
  QProcess::startDetached(
      parent + "/" + updater,
      {QString::fromStdString(BuildUpdaterParameters(folder.toStdString(), flag))}, parent);
}

// ---------------------------------------------------------------- engine test

std::string CSmApp::GetEngineTestFolder() {
  return GetUserDataFolder();
}

bool CSmApp::CheckDataEngine() {
  const std::string folder = GetEngineTestFolder();
  if (folder.empty() || !QDir().mkpath(QString::fromStdString(folder))) return true;
  CSmRegKey reg;
  std::string value;
  const bool had = reg.Open(SM_HKEY_CURRENT_USER, GetSmRegKey(), "DaoJet", value);
  if (TestDataEngine(folder + "/DaoJet.MDB")) {
    // Nothing is copied or registered here: a value "0" from a failed start is simply tested
    // again and set back when the engine works.
    if (!had || value != "1") reg.SetValue(SM_HKEY_CURRENT_USER, GetSmRegKey(), "DaoJet", "1");
    return true;
  }
  reg.SetValue(SM_HKEY_CURRENT_USER, GetSmRegKey(), "DaoJet", "0");
  SmMessageBox("Access数据库引擎无法正常工作，请重新启动软件，系统会为您自动配置！",
               SM_MB_OK | SM_MB_ICONERROR);
  return false;
}

bool CSmApp::TestDataEngine(const std::string& path) {
  // Opens (or creates) the test file and writes to it; a damaged test file is ours to
  // replace, so it is made anew once before the engine is called failed.
  auto attempt = [&path] {
    CSmDatabase db(0);
    if (!QFile::exists(QString::fromStdString(path)) && !db.CreateDatabase({}, path)) return false;
    if (!db.Open(path)) return false;
    const bool ok = db.TableExists("EngineTest") ||
                    db.ExecuteSQL("Create Table EngineTest (nNo Long)", {}, 128, false);
    // The write is taken back: a launch that changes nothing waits for no disk.
    if (!ok || !db.BeginTrans()) return false;
    const bool wrote = db.ExecuteSQL("Delete From EngineTest", {}, 128, false);
    return db.Rollback() && wrote;
  };
  if (attempt()) return true;
  QFile::remove(QString::fromStdString(path));
  return attempt();
}

// ---------------------------------------------------------------- texts

std::string CSmApp::GetBackEndLetter() {
  return GetDatabaseKind() == 0 ? "A" : "S";
}

std::string CSmApp::GetProgramKeyText() {
  return GetBackEndLetter() + GetVersion() + GetSuffixText();
}

std::string CSmApp::GetVersionText() {
  return GetBackEndLetter() + GetVersion() + "." + std::to_string(GetModuleNumber()) +
         GetSuffixText();
}

std::string CSmApp::GetSmRegKey() {
  return "Software\\reduvor\\" + GetDocType() + "\\" + GetVersion();
}

// ---------------------------------------------------------------- descriptor and data types

void CSmApp::SelectModuleInfo() {
  std::vector<CSmModuleInfo> infos;
  GetModuleInfos(infos);
  if (infos.empty()) return;
  const CSmModuleInfo* chosen = &infos.front();
  for (const CSmModuleInfo& info : infos) {
    if (info.m_id != m_moduleInfo.m_id) continue;
    chosen = &info;
    break;
  }
  m_moduleInfo = *chosen;
  // Message boxes carry the product's title; the user's files go to the product's own folder.
  CSmMessageService::Instance().SetDefaultCaption(GetProductTitle());
  SetUserDataFolderName(GetDocType());
}

CSmDataType* CSmApp::AdoptDataType(std::unique_ptr<CSmDataType> type) {
  m_ownedTypes.push_back(std::move(type));
  return m_ownedTypes.back().get();
}

CSmDataType* CSmApp::FindDataType(int number) const {
  for (CSmDataType* type : m_dataTypes) {
    if (type->m_number == number) return type;
  }
  return nullptr;
}

CSmDataType* CSmApp::DataTypeOfPage(int page) const {
  if (page < 0) return nullptr;
  int pages = 0;
  for (CSmDataType* type : m_dataTypes) {
    pages += type->m_pageCount;
    if (type->m_pageCount > 0 && page < pages) return type;
  }
  return nullptr;
}

bool CSmApp::HasRightCode(const std::string& code) const {
  // The rights string holds each code followed by one blank; only a whole code matches, so
  // that an empty or partial code grants nothing.
  if (code.empty() || code.find(' ') != std::string::npos) return false;
  return (" " + m_env.GetRights()).find(" " + code + " ") != std::string::npos;
}

// ---------------------------------------------------------------- broadcasts

int CSmApp::GetPrintVariables(int group, CSmPrintVarList& rows) {
  for (CSmDataType* type : m_dataTypes) type->GetPrintVariables(group, rows);
  return static_cast<int>(rows.size());
}

void CSmApp::NotifyTypes(int flag, const std::string& text, void* data) {
  for (CSmDataType* type : m_dataTypes) type->OnNotify(flag, text, data);
}

bool CSmApp::AllTypesAgree(int kind, const std::string& text, const std::string& other) {
  for (CSmDataType* type : m_dataTypes) {
    if (!type->CheckText(kind, text, other)) return false;
  }
  return true;
}

void CSmApp::NotifyTypesText(int kind, const std::string& text, const std::string& other) {
  for (CSmDataType* type : m_dataTypes) type->OnNotifyText(kind, text, other);
}

bool CSmApp::CanChangeBizMonth(int month, const std::string& newValue,
                               const std::string& oldValue) {
  for (CSmDataType* type : m_dataTypes) {
    if (!type->CanChangeBizMonth(month, newValue, oldValue)) return false;
  }
  return true;
}

void CSmApp::OnBizMonthChanged(int month, const std::string& newValue,
                               const std::string& oldValue) {
  for (CSmDataType* type : m_dataTypes) type->OnBizMonthChanged(month, newValue, oldValue);
}

int CSmApp::CallFunction(CCaculate* calc, const std::string& name, const std::string& args,
                         std::string& result, int& type) {
  if (name == "pzt") return CallBusinessMonth(calc, args, result, type);
  for (CSmDataType* dataType : m_dataTypes) {
    const int answer = dataType->CallFunction(calc, name, args, result, type);
    if (answer != 0) return answer;
  }
  return 0;
}

int CSmApp::CallBusinessMonth(CCaculate* calc, const std::string& args, std::string& result,
                              int& type) {
  std::string value;
  int valueType = CAC_NUMBER;
  if (!calc->CheckArgCount(args, 1) || !calc->EvalSubExpr(args, value, &valueType, true, 0))
    return -1;
  CSmDateArray months;
  months.Load(GetDatabase());
  const int month = months.MonthOf(NowText("%Y%m%d"));
  // pzt(1): the business month that holds today.
  if (StrToDouble(value) != 1 || month == 0) {
    calc->SetErrorCode(CAC_ERR_ARG_RANGE);
    return -1;
  }
  result = std::to_string(month);
  type = CAC_NUMBER;
  return 1;
}

void CSmApp::RunTypesBusy(int kind, const std::string& text) {
  CSmWaitCursor wait;
  for (CSmDataType* type : m_dataTypes) type->OnBusyHook(kind, text);
}

std::string CSmApp::GetFormatText() {
  std::string text;
  for (CSmDataType* type : m_dataTypes) text += type->GetFormatText();
  return text;
}

// ---------------------------------------------------------------- free accessors

CSmApp* SmGetApp() {
  return dynamic_cast<CSmApp*>(CSmWinApp::Current());
}

CSmDatabase* GetSmDatabase() {
  CSmApp* app = SmGetApp();
  return app ? app->GetDatabase() : nullptr;
}

CSmDataType* GetActiveSmModule() {
  CSmApp* app = SmGetApp();
  return app ? app->DataTypeOfPage(app->GetSelectedPage()) : nullptr;
}

CSmDataType* FindSmDataType(int number) {
  CSmApp* app = SmGetApp();
  return app ? app->FindDataType(number) : nullptr;
}

int GetSmModuleId() {
  CSmApp* app = SmGetApp();
  return app ? app->GetSmModuleId() : 0;
}

bool IsSmDocumentOpen() {
  CSmFrameWnd* frame = CSmFrameWnd::Main();
  return frame && frame->GetActiveChild() != nullptr;
}

std::string SmRightCode(int module, const std::string& item) {
  const std::string code = std::to_string(module + 100) + item;
  return code.size() > 4 ? code.substr(code.size() - 4) : code;
}

bool HasSmRight(int module, const std::string& item) {
  return HasSmRightCode(SmRightCode(module, item));
}

bool HasSmRightCode(const std::string& code) {
  CSmApp* app = SmGetApp();
  return app && app->HasRightCode(code);
}
