#pragma once
// The report passwords: asking for one on opening, setting both, and confirming new ones.
// A password is at most 20 letters and digits, compared with case.
#include <string>

#include "ui/SmDlg.h"

class QLineEdit;

// The caption of the password boxes.
inline constexpr const char* kRiloPwdCaption = "Vornel软件";

// Ends with OK only when the user typed the password given.
class CRiloPwdDlg : public CSmDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls).
  enum ControlId : int { kPrompt = 1013, kPassword = 1045 };

  CRiloPwdDlg(const std::string& reportName, const std::string& password,
              QWidget* parent = nullptr);

 protected:
  bool ValidateAndSave() override;

 private:
  std::string m_password;
  QLineEdit* m_edit;
};

// Sets the modify and the read-only password. After OK the two results hold the new ones;
// a read-only password is never left without a modify password.
class CRiloPwdSetDlg : public CSmDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls).
  enum ControlId : int {
    kName = 1013,
    kModifyPassword = 1045,
    kReadPassword = 1054,
    kConfirm = 1055
  };

  CRiloPwdSetDlg(const std::string& reportName, const std::string& readPassword,
                 const std::string& modifyPassword, QWidget* parent = nullptr);

  std::string m_newReadPassword;
  std::string m_newModifyPassword;

  bool OnCommand(unsigned id) override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void OnConfirm();

  std::string m_readPassword;
  std::string m_modifyPassword;
  QLineEdit* m_modifyEdit;
  QLineEdit* m_readEdit;
};

// Ends with OK only when the user retyped both passwords; an empty one needs no retyping.
class CRiloPwdConfirmDlg : public CSmDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls).
  enum ControlId : int { kModifyPassword = 1045, kReadPassword = 1057 };

  CRiloPwdConfirmDlg(const std::string& readPassword, const std::string& modifyPassword,
                     QWidget* parent = nullptr);

 protected:
  bool ValidateAndSave() override;

 private:
  std::string m_readPassword;
  std::string m_modifyPassword;
  QLineEdit* m_modifyEdit;
  QLineEdit* m_readEdit;
};
