#include "core/SmShell.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include "core/SmRegKey.h"

bool RegisterComServer(const std::string& /*path*/) {
  return false;
}

bool UnregisterComServer(const std::string& /*path*/) {
  return false;
}

namespace {

// The long, native form of an existing folder; empty when it does not exist.
std::string ExistingFolder(const QString& path) {
  if (path.isEmpty()) return {};
  const QFileInfo info(path);
  if (!info.isDir()) return {};
  return QDir::toNativeSeparators(info.canonicalFilePath()).toStdString();
}

QString WindowsFolder(const char* variable, const char* below = nullptr) {
#ifdef Q_OS_WIN
  QString path = qEnvironmentVariable(variable);
  if (!path.isEmpty() && below) path += QString("/") + below;
  return path;
#else
  (void)variable;
  (void)below;
  return {};
#endif
}

QString Standard(QStandardPaths::StandardLocation location) {
  return QStandardPaths::writableLocation(location);
}

// Writes one value unless it holds that text already (a write syncs the store to disk).
bool SetValueIfChanged(const std::string& subkey, const std::string& text) {
  CSmRegKey reg;
  std::string now;
  if (reg.Open(SM_HKEY_CLASSES_ROOT, subkey, "", now) && now == text) return true;
  return reg.SetValue(SM_HKEY_CLASSES_ROOT, subkey, "", text);
}

#ifndef Q_OS_WIN
// Writes the file unless it holds the text already; `changed` tells which happened.
bool WriteTextFile(const QString& path, const QString& text, bool* changed = nullptr) {
  const QByteArray bytes = text.toUtf8();
  QFile old(path);
  if (old.open(QIODevice::ReadOnly) && old.readAll() == bytes) return true;
  if (changed) *changed = true;
  if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  return file.write(bytes) == bytes.size();
}

// A MIME type for "*.ext" and a desktop entry that opens such files with the program.
bool RegisterDesktopFileType(const QString& ext, const QString& description,
                             const QString& program) {
  const QString data = Standard(QStandardPaths::GenericDataLocation);
  if (data.isEmpty()) return false;
  const QString mimeType = "application/x-" + ext.toLower();
  const QString mime = QString(
                           "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                           "<mime-info xmlns=\"http://www.freedesktop.org/standards/"
                           "shared-mime-info\">\n"
                           "  <mime-type type=\"%1\">\n"
                           "    <comment>%2</comment>\n"
                           "    <glob pattern=\"*.%3\"/>\n"
                           "  </mime-type>\n"
                           "</mime-info>\n")
                           .arg(mimeType, description.toHtmlEscaped(), ext);
  const QString entry = QString(
                            "[Desktop Entry]\n"
                            "Type=Application\n"
                            "Name=%1\n"
                            "Exec=\"%2\" %f\n"
                            "MimeType=%3;\n"
                            "NoDisplay=true\n")
                            .arg(description, program, mimeType);
  bool mimeChanged = false;
  bool ok = WriteTextFile(data + "/mime/packages/" + ext + "File.xml", mime, &mimeChanged);
  ok = WriteTextFile(data + "/applications/" + ext + "File.desktop", entry) && ok;
  if (!ok || !mimeChanged) return ok;
  // The desktop's caches are rebuilt when its tools are installed; without them the files
  // still take effect at the desktop's next scan.
  const QString updateMime = QStandardPaths::findExecutable("update-mime-database");
  if (!updateMime.isEmpty()) QProcess::execute(updateMime, {data + "/mime"});
  return ok;
}
#endif

}  // namespace

namespace {
std::string& UserDataFolderName() {
  static std::string name;
  return name;
}
}  // namespace

void SetUserDataFolderName(const std::string& name) {
  UserDataFolderName() = name;
}

std::string GetUserDataFolder() {
  const QString data = Standard(QStandardPaths::GenericDataLocation);
  if (data.isEmpty()) return {};
  const QString parent = data + "/reduvor";
  QString folder = parent;
  if (!UserDataFolderName().empty()) folder += "/" + QString::fromStdString(UserDataFolderName());
  if (!QDir().mkpath(folder)) return {};
  const auto ownerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
  QFile::setPermissions(parent, ownerOnly);
  QFile::setPermissions(folder, ownerOnly);
  return folder.toStdString();
}

std::string GetSpecialFolder(int kind) {
  switch (kind) {
    case SM_FOLDER_WINDOWS:
      return ExistingFolder(WindowsFolder("SystemRoot"));
    case SM_FOLDER_SYSTEM:
      return ExistingFolder(WindowsFolder("SystemRoot", "System32"));
    case SM_FOLDER_PROGRAM_FILES:
      return ExistingFolder(WindowsFolder("ProgramFiles"));
    case SM_FOLDER_DESKTOP:
      return ExistingFolder(Standard(QStandardPaths::DesktopLocation));
    case SM_FOLDER_START_MENU:
    case SM_FOLDER_PROGRAMS:
      return ExistingFolder(Standard(QStandardPaths::ApplicationsLocation));
    case SM_FOLDER_TEMP: {
      const std::string temp = ExistingFolder(QDir::tempPath());
      return temp.empty() ? temp : temp + QDir::separator().toLatin1();
    }
    case SM_FOLDER_CURRENT:
      return ExistingFolder(QDir::currentPath());
    case SM_FOLDER_COMMON_FILES:
      return ExistingFolder(WindowsFolder("CommonProgramFiles"));
    default:
      return {};
  }
}

bool RegisterFileType(const std::string& ext, const std::string& description,
                      const std::string& programPath) {
  // Launches after the first find everything registered already and write nothing.
  const std::string type = ext + "File";
  bool ok = SetValueIfChanged("." + ext, type);
  ok = SetValueIfChanged(type, description) && ok;
  ok = SetValueIfChanged(type + "\\DefaultIcon", programPath + ",1") && ok;
  ok = SetValueIfChanged(type + "\\shell\\open\\command", programPath + " \"%1\"") && ok;
#ifndef Q_OS_WIN
  ok = RegisterDesktopFileType(QString::fromStdString(ext), QString::fromStdString(description),
                               QString::fromStdString(programPath)) &&
       ok;
#endif
  return ok;
}
