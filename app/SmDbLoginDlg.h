#pragma once
// "数据库用户及口令" (793): the user name and password a server data source is reached with.
#include <string>

#include "ui/SmDlg.h"

class QLineEdit;

class CSmDbLoginDlg : public CSmDlg {
  Q_OBJECT
 public:
  explicit CSmDbLoginDlg(QWidget* parent = nullptr);

  void SetUser(const std::string& user);
  void SetPassword(const std::string& password);
  std::string GetUser() const;
  std::string GetPassword() const;
  bool ValidateAndSave() override;

 private:
  QLineEdit* m_user = nullptr;
  QLineEdit* m_password = nullptr;
};
