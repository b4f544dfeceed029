#pragma once
// "数据库用户及口令" (793): the user name and password a server data source is reached with;
// when a data source is set up, also the server's host and port.
#include <string>

#include "ui/SmDlg.h"

class QFormLayout;
class QLineEdit;

class CSmDbLoginDlg : public CSmDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls).
  enum ControlId : int {
    kHostEdit = 1085,
    kPortEdit = 1086,
    kUserEdit = 1087,
    kPasswordEdit = 1088,
  };

  explicit CSmDbLoginDlg(QWidget* parent = nullptr);

  // Shows the host and port fields with these values.
  void SetServer(const std::string& host, const std::string& port);
  std::string GetHost() const;
  std::string GetPort() const;
  void SetUser(const std::string& user);
  void SetPassword(const std::string& password);
  std::string GetUser() const;
  std::string GetPassword() const;
  bool ValidateAndSave() override;

 private:
  QFormLayout* m_form = nullptr;
  QLineEdit* m_host = nullptr;
  QLineEdit* m_port = nullptr;
  QLineEdit* m_user = nullptr;
  QLineEdit* m_password = nullptr;
};
