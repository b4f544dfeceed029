#pragma once
// "建立新年度数据文件" (813): a new account set or a new yearly data file of an account set
// under the root folder. After OK the root folder and the new file are offered to the caller.
#include <string>

#include "ui/SmDlg.h"

class QLineEdit;

class CSmNewYearFileDlg : public CSmAppDlg {
  Q_OBJECT
 public:
  // Mode 1 creates; `accountSet` proposes the account set (folder name under the root).
  CSmNewYearFileDlg(CSmApp* app, int mode, const std::string& rootDir,
                    const std::string& accountSet, QWidget* parent = nullptr);

  const std::string& GetRootDir() const { return m_rootDir; }
  const std::string& GetFile() const { return m_file; }
  bool ValidateAndSave() override;

 private:
  int m_mode;
  std::string m_rootDir;
  std::string m_file;
  QLineEdit* m_set = nullptr;
  QLineEdit* m_year = nullptr;
  QLineEdit* m_unit = nullptr;
};
