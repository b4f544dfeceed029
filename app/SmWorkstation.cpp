#include "app/SmWorkstation.h"

#include <QFile>
#include <QFileInfo>
#include <QNetworkInterface>
#include <algorithm>
#include <cstdlib>

#include "app/SmApp.h"
#include "core/SmGbk.h"
#include "core/SmRegKey.h"

namespace {

std::string ProgramKey() {
  CSmApp* app = SmGetApp();
  return app ? app->GetSmRegKey() : std::string("Software\\reduvor");
}

// The program file's path without its extension.
std::string ProgramStem() {
  CSmApp* app = SmGetApp();
  if (!app) return {};
  const QFileInfo info(QString::fromStdString(app->GetProgramPath()));
  return (info.absolutePath() + "/" + info.completeBaseName()).toStdString();
}

std::string DocOpenModeKey(int a, int b) {
  return ProgramKey() + "\\DocOpenMode\\" + std::to_string(a) + "\\" + std::to_string(b);
}

std::string CommKey() {
  return ProgramKey() + "\\SmComm";
}

// Not inside "SmComm": every value there is read as a port definition.
std::string CommDeviceKey() {
  return ProgramKey() + "\\SmCommDevice";
}

bool IsIndexName(const std::string& name) {
  return !name.empty() && name.size() < 10 &&
         std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::string GetDistributorText(int part) {
  QFile file(QString::fromStdString(ProgramStem() + ".smi"));
  std::string text;
  if (file.open(QIODevice::ReadOnly)) {
    const QByteArray bytes = file.readAll();
    text.assign(bytes.constData(), static_cast<size_t>(bytes.size()));
    // The file is written by hand, in UTF-8 or in the Chinese code page.
    std::string utf8;
    const bool isUtf8 = QString::fromUtf8(bytes).toUtf8() == bytes;
    if (!isUtf8 && GbkToUtf8(text, utf8)) text = utf8;
  }
  std::string result;
  const auto breaks = std::count(text.begin(), text.end(), '\n');
  if (breaks > part) {
    const size_t eol = text.find('\n');
    if (part == 1) {
      result = text.substr(eol + 1);
    } else {
      result = text.substr(0, eol);
      if (!result.empty() && result.back() == '\r') result.pop_back();
    }
  }
  if (part == 0 && result.empty()) result = "Vornel公司";
  return result;
}

bool SmInternetConnected() {
  const auto interfaces = QNetworkInterface::allInterfaces();
  return std::any_of(interfaces.begin(), interfaces.end(), [](const QNetworkInterface& i) {
    const auto flags = i.flags();
    return flags.testFlag(QNetworkInterface::IsUp) &&
           flags.testFlag(QNetworkInterface::IsRunning) &&
           !flags.testFlag(QNetworkInterface::IsLoopBack);
  });
}

bool LoadFrameBackground(int& mode, std::string& picture, std::string& page, bool connected) {
  CSmRegKey reg;
  const std::string key = ProgramKey();
  std::string value;
  if (reg.Open(SM_HKEY_CURRENT_USER, key, "BackGround", value)) mode = std::atoi(value.c_str());
  if (!reg.Open(SM_HKEY_CURRENT_USER, key, "BackGround_0", picture)) {
    picture = ProgramStem() + "_MainFrm.jpg";
  }
  // The maker's home page is not known to this program: no page without a stored address.
  reg.Open(SM_HKEY_CURRENT_USER, key, "BackGround_1", page);
  if (mode == 1) {
    if (!page.empty() && connected) return true;
    mode = 0;
  }
  const QFileInfo info(QString::fromStdString(picture));
  return info.exists() && !info.isDir();
}

bool SaveFrameBackground(int mode, const std::string& picture, const std::string& page) {
  CSmRegKey reg;
  const std::string key = ProgramKey();
  bool ok = reg.SetValue(SM_HKEY_CURRENT_USER, key, "BackGround", std::to_string(mode));
  ok = reg.SetValue(SM_HKEY_CURRENT_USER, key, "BackGround_0", picture) && ok;
  ok = reg.SetValue(SM_HKEY_CURRENT_USER, key, "BackGround_1", page) && ok;
  return ok;
}

int ReadDocOpenModes(int a, int b, std::vector<std::string>& modes) {
  modes.clear();
  std::vector<std::string> names, data;
  if (!CSmRegKey().GetValueList(SM_HKEY_CURRENT_USER, DocOpenModeKey(a, b), names, data)) return 0;
  modes.assign(names.size(), std::string());
  for (size_t i = 0; i < names.size(); ++i) {
    if (!IsIndexName(names[i])) continue;
    const size_t index = std::strtoul(names[i].c_str(), nullptr, 10);
    if (index < modes.size()) modes[index] = data[i];
  }
  return static_cast<int>(modes.size());
}

bool WriteDocOpenMode(int a, int b, const std::vector<std::string>& modes) {
  std::vector<std::string> stored;
  ReadDocOpenModes(a, b, stored);
  const std::string key = DocOpenModeKey(a, b);
  CSmRegKey reg;
  if (stored.size() != modes.size()) {
    if (CSmRegKey::KeyExists(SM_HKEY_CURRENT_USER, key)) {
      reg.DeleteKeyTree(SM_HKEY_CURRENT_USER, key);
    }
    stored.clear();
  }
  bool ok = true;
  for (size_t i = 0; i < modes.size(); ++i) {
    if (i < stored.size() && stored[i] == modes[i]) continue;
    ok = reg.SetValue(SM_HKEY_CURRENT_USER, key, std::to_string(i), modes[i]) && ok;
  }
  return ok;
}

bool DeleteDocOpenModes(int a, int b) {
  return CSmRegKey().DeleteKeyTree(SM_HKEY_CURRENT_USER, DocOpenModeKey(a, b));
}

int LoadCommPorts(std::vector<std::string>& names, std::vector<std::string>& definitions) {
  CSmRegKey().GetValueList(SM_HKEY_CURRENT_USER, CommKey(), names, definitions, 1);
  return static_cast<int>(names.size());
}

bool ReadCommPort(const std::string& name, std::string& definition) {
  if (!CSmRegKey().Open(SM_HKEY_CURRENT_USER, CommKey(), name, definition)) return false;
  if (std::count(definition.begin(), definition.end(), ',') == 6) return true;
  definition.clear();
  return false;
}

bool WriteCommPort(const std::string& name, const std::string& definition) {
  return CSmRegKey().SetValue(SM_HKEY_CURRENT_USER, CommKey(), name, definition);
}

bool DeleteCommPort(const std::string& name) {
  return CSmRegKey().DeleteValue(SM_HKEY_CURRENT_USER, CommKey(), name);
}

std::string ReadCommDevice(const std::string& name) {
  std::string device;
  CSmRegKey().Open(SM_HKEY_CURRENT_USER, CommDeviceKey(), name, device);
  return device;
}

bool WriteCommDevice(const std::string& name, const std::string& device) {
  return CSmRegKey().SetValue(SM_HKEY_CURRENT_USER, CommDeviceKey(), name, device);
}

int ReadUpdaterFlag() {
  std::string value;
  if (!CSmRegKey().Open(SM_HKEY_CURRENT_USER, ProgramKey(), "SoftUp", value)) return 3;
  return std::atoi(value.c_str());
}
