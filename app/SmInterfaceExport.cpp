#include "app/SmInterfaceExport.h"

#include <QApplication>
#include <QDir>

#include "app/SmApp.h"
#include "core/SmTextFile.h"
#include "platform/SmMessage.h"
#include "ui/SmWaitCursor.h"

namespace {

// Makes a folder the current directory and puts the previous one back at the end of the scope.
class CSmCurrentDir {
 public:
  explicit CSmCurrentDir(const QString& folder) : m_previous(QDir::currentPath()) {
    QDir::setCurrent(folder);
  }
  ~CSmCurrentDir() { QDir::setCurrent(m_previous); }
  CSmCurrentDir(const CSmCurrentDir&) = delete;
  CSmCurrentDir& operator=(const CSmCurrentDir&) = delete;

 private:
  QString m_previous;
};

std::string WithoutTrailingSeparators(std::string folder) {
  while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
  return folder;
}

}  // namespace

bool SmExportInterfaceData(CSmApp& app, const std::string& folder) {
  const std::string dir = WithoutTrailingSeparators(folder);
  CSmCurrentDir current(QString::fromStdString(dir));
  const std::string text = app.GetFormatText();
  CSmTextFile file;
  if (!file.Open(dir + "/" + app.GetFormatFileName(),
                 CSmTextFile::modeCreate | CSmTextFile::modeWrite | CSmTextFile::typeText, true)) {
    SmMessageBox("创建格式文件失败！", SM_MB_OK | SM_MB_ICONERROR);
    return false;
  }
  file.WriteString(text, true);
  for (CSmDataType* type : app.m_dataTypes) type->ExportData();
  return true;
}

void SmRunInterfaceExport(CSmApp& app) {
  const std::string folder = SmGetExistingDirectory("文件夹浏览", {});
  if (folder.empty()) return;
  CSmWaitCursor busy;
  SmExportInterfaceData(app, folder);
}
