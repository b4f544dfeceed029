#pragma once
// "建立新年度数据文件" (813): a new account set or a new yearly data file of an account set
// under the root folder, or on a server a yearly database of an account set (its four-digit
// sequence number) reached through a data source. After OK the root folder (or the data
// source) and the new file (or database) are offered to the caller.
#include <string>

#include "core/SmConnInfo.h"
#include "ui/SmDlg.h"

class QLineEdit;
class CSmDatabase;

class CSmNewYearFileDlg : public CSmAppDlg {
  Q_OBJECT
 public:
  // Mode 1 creates; `accountSet` proposes the account set (folder name under the root).
  CSmNewYearFileDlg(CSmApp* app, int mode, const std::string& rootDir,
                    const std::string& accountSet, QWidget* parent = nullptr);
  // Server kind `kind` (1 or 2): the database is made with `login`; `code` proposes the
  // account set's sequence number.
  CSmNewYearFileDlg(CSmApp* app, int mode, int kind, const CSmConnInfo& login,
                    const std::string& code, QWidget* parent = nullptr);

  const std::string& GetRootDir() const { return m_rootDir; }
  const std::string& GetFile() const { return m_file; }
  const std::string& GetDataSource() const { return m_login.server; }
  bool ValidateAndSave() override;

 private:
  void BuildControls(const QString& setLabel, const std::string& set);
  bool ReadYear(int* year);
  bool CreateServerFile();
  // Stamps the new file as this program's and gives it the typed unit name.
  void FinishNewFile(CSmDatabase& db);

  int m_mode;
  int m_kind = 0;
  CSmConnInfo m_login;
  std::string m_rootDir;
  std::string m_file;
  QLineEdit* m_set = nullptr;
  QLineEdit* m_year = nullptr;
  QLineEdit* m_unit = nullptr;
};
