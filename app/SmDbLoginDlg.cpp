#include "app/SmDbLoginDlg.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "ui/SmFieldFocus.h"

namespace {
constexpr unsigned kDbLoginTemplate = 793;
}  // namespace

CSmDbLoginDlg::CSmDbLoginDlg(QWidget* parent) : CSmDlg(kDbLoginTemplate, parent) {
  setWindowTitle(QStringLiteral("数据库用户及口令"));
  m_host = new QLineEdit(this);
  m_host->setObjectName(QString::number(kHostEdit));
  m_port = new QLineEdit(this);
  m_port->setObjectName(QString::number(kPortEdit));
  m_port->setMaxLength(5);
  m_user = new QLineEdit(this);
  m_user->setObjectName(QString::number(kUserEdit));
  m_password = new QLineEdit(this);
  m_password->setObjectName(QString::number(kPasswordEdit));
  m_password->setEchoMode(QLineEdit::Password);
  auto* form = new QFormLayout;
  m_form = form;
  form->addRow(QStringLiteral("服务器："), m_host);
  form->addRow(QStringLiteral("端  口："), m_port);
  form->addRow(QStringLiteral("用户名："), m_user);
  form->addRow(QStringLiteral("口  令："), m_password);
  for (QLineEdit* server : {m_host, m_port}) form->setRowVisible(server, false);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(AddButton(SM_ID_OK, QStringLiteral("&O.确定")));
  buttons->addWidget(AddButton(SM_ID_CANCEL, QStringLiteral("&X.取消")));
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons);
}

void CSmDbLoginDlg::SetServer(const std::string& host, const std::string& port) {
  m_host->setText(QString::fromStdString(host));
  m_port->setText(QString::fromStdString(port));
  for (QLineEdit* server : {m_host, m_port}) m_form->setRowVisible(server, true);
}

std::string CSmDbLoginDlg::GetHost() const {
  return m_host->text().trimmed().toStdString();
}

std::string CSmDbLoginDlg::GetPort() const {
  return m_port->text().trimmed().toStdString();
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
  if (m_host->isVisibleTo(this) && GetHost().empty()) return SmRefuse("服务器不能为空！", m_host);
  bool number = false;
  const int port = m_port->text().trimmed().toInt(&number);
  if (m_port->isVisibleTo(this) && !GetPort().empty() && (!number || port < 1 || port > 65535))
    return SmRefuse("端口应是1到65535之间的整数！", m_port);
  if (m_user->text().trimmed().isEmpty()) return SmRefuse("用户名不能为空！", m_user);
  return true;
}
