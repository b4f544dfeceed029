#pragma once
// Answering the report's password dialogs in a modal script.
#include <QString>
#include <QWidget>
#include <functional>

#include "designer/RiloPwdDlg.h"
#include "platform/SmCommandIds.h"
#include "tests/common/SmModalScript.h"

// The password box and the retyping box ask for the password in fields of one id.
static_assert(static_cast<int>(CRiloPwdDlg::kPassword) ==
              static_cast<int>(CRiloPwdConfirmDlg::kModifyPassword));

// Types the password into the password dialog (or the modify password into the retyping
// dialog) and confirms it.
inline std::function<void(QWidget*)> GivePassword(const QString& password) {
  return [password](QWidget* dlg) {
    Type(dlg, CRiloPwdDlg::kPassword, password);
    Press(dlg, SM_ID_OK);
  };
}
