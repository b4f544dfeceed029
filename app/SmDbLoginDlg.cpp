#include "app/SmDbLoginDlg.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"

namespace {
constexpr unsigned kDbLoginTemplate = 793;
constexpr int kUserEdit = 1087;
constexpr int kPasswordEdit = 1088;
}  // namespace

CSmDbLoginDlg::CSmDbLoginDlg(QWidget* parent) : CSmDlg(kDbLoginTemplate, parent) {
  setWindowTitle(QStringLiteral("数据库用户及口令"));
  m_user = new QLineEdit(this);
  m_user->setObjectName(QString::number(kUserEdit));
  m_password = new QLineEdit(this);
  m_password->setObjectName(QString::number(kPasswordEdit));
  m_password->setEchoMode(QLineEdit::Password);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("用户名："), m_user);
  form->addRow(QStringLiteral("口  令："), m_password);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(AddButton(SM_ID_OK, QStringLiteral("&O.确定")));
  buttons->addWidget(AddButton(SM_ID_CANCEL, QStringLiteral("&X.取消")));
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons);
}

void CSmDbLoginDlg::SetUser(const std::string& user) {
  m_user->setText(QString::fromStdString(user));
}

void CSmDbLoginDlg::SetPassword(const std::string& password) {
  m_password->setText(QString::fromStdString(password));
}

std::string CSmDbLoginDlg::GetUser() const {
  return m_user->text().toStdString();
}

std::string CSmDbLoginDlg::GetPassword() const {
  return m_password->text().toStdString();
}

bool CSmDbLoginDlg::ValidateAndSave() {
  if (m_user->text().trimmed().isEmpty()) {
    SmMessageBox("用户名不能为空！", SM_MB_OK | SM_MB_ICONERROR);
    m_user->setFocus();
    return false;
  }
  return true;
}
