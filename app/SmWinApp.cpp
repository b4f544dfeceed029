#include "app/SmWinApp.h"

#include <QCoreApplication>
#include <QDir>
#include <array>

#include "ui/SmPrinterService.h"

namespace {
CSmWinApp* g_current = nullptr;

// Flags begin with "-" (and on Windows also with "/", which elsewhere begins a path).
bool IsFlag(const std::string& arg) {
#ifdef _WIN32
  if (arg.size() > 1 && arg[0] == '/') return true;
#endif
  return arg.size() > 1 && arg[0] == '-';
}

std::string LowerFlagName(const std::string& arg) {
  std::string name = arg.substr(arg[1] == '-' ? 2 : 1);
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return name;
}
}  // namespace

SmShellCommand SmParseCommandLine(const std::vector<std::string>& args, std::string& file) {
  static const std::array<const char*, 9> kOther = {"p",           "pt",        "dde",
                                                    "automation",  "embedding", "unregister",
                                                    "unregserver", "register",  "regserver"};
  file.clear();
  bool other = false;
  for (const std::string& arg : args) {
    if (!IsFlag(arg)) {
      if (file.empty()) file = arg;
      continue;
    }
    const std::string name = LowerFlagName(arg);
    for (const char* flag : kOther) other = other || name == flag;
  }
  if (other) return SM_SHELL_OTHER;
  return file.empty() ? SM_SHELL_FILE_NEW : SM_SHELL_FILE_OPEN;
}

CSmWinApp::CSmWinApp() {
  g_current = this;
  CSmCommandManager::Instance().SetAppTarget(this);
}

CSmWinApp::~CSmWinApp() {
  CSmCommandManager& commands = CSmCommandManager::Instance();
  if (commands.AppTarget() == this) commands.SetAppTarget(nullptr);
  // Documents and their frames go before the main window.
  m_docManager.CloseAllDocuments();
  m_mainWnd.reset();
  if (g_current == this) g_current = nullptr;
}

bool CSmWinApp::GetPrinterDC(const SmPageRequest& request) {
  return CSmPrinterService::Instance().Prepare(request);
}

CSmWinApp* CSmWinApp::Current() {
  return g_current;
}

void CSmWinApp::SetMainWnd(std::unique_ptr<CSmFrameWnd> frame) {
  m_mainWnd = std::move(frame);
  if (m_mainWnd) m_mainWnd->MakeMain();
}

std::string CSmWinApp::GetProgramPath() const {
  return QCoreApplication::applicationFilePath().toStdString();
}

std::string CSmWinApp::GetProgramFolder() const {
  return QDir::cleanPath(QCoreApplication::applicationDirPath()).toStdString();
}
