#include "designer/RiloPwdDlg.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "platform/SmMessage.h"

namespace {

constexpr int kPasswordMax = 20;

QLineEdit* AddPasswordEdit(QWidget* parent, int id) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QString::number(id));
  edit->setEchoMode(QLineEdit::Password);
  edit->setMaxLength(kPasswordMax);
  edit->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9A-Za-z]*"), edit));
  return edit;
}

QLabel* AddLabel(QWidget* parent, const QString& text, QWidget* buddy = nullptr) {
  auto* label = new QLabel(text, parent);
  if (buddy) label->setBuddy(buddy);
  return label;
}

QHBoxLayout* ButtonRow(QPushButton* ok, QPushButton* cancel) {
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(ok);
  row->addWidget(cancel);
  return row;
}

std::string TextOf(const QLineEdit* edit) {
  return edit->text().toStdString();
}

void Stop(const std::string& text, QLineEdit* focus) {
  SmMessageBox(text, SM_MB_OK | SM_MB_ICONERROR, kRiloPwdCaption);
  focus->setFocus();
}

}  // namespace

// ---------------------------------------------------------------- CRiloPwdDlg

CRiloPwdDlg::CRiloPwdDlg(const std::string& reportName, const std::string& password,
                         QWidget* parent)
    : CSmDlg(835, parent), m_password(password), m_edit(AddPasswordEdit(this, kPassword)) {
  setWindowTitle("密码");
  SetEnterMovesFocus(false);
  auto* prompt = AddLabel(this, QString::fromStdString("“" + reportName + "”有密码保护"));
  prompt->setObjectName(QString::number(kPrompt));
  prompt->setWordWrap(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(prompt);
  auto* form = new QFormLayout;
  form->addRow(AddLabel(this, "密码(&P):", m_edit), m_edit);
  layout->addLayout(form);
  layout->addLayout(ButtonRow(AddButton(1, "确认"), AddButton(2, "取消")));
  m_edit->setFocus();
}

bool CRiloPwdDlg::ValidateAndSave() {
  const std::string typed = TextOf(m_edit);
  if (typed.empty()) {
    Stop("请输入密码以进行验证。密码应区分大小写字母。", m_edit);
    return false;
  }
  if (typed != m_password) {
    Stop("输入的密码不正确。密码应区分大小写字母。", m_edit);
    return false;
  }
  return true;
}

// ---------------------------------------------------------------- CRiloPwdSetDlg

CRiloPwdSetDlg::CRiloPwdSetDlg(const std::string& reportName, const std::string& readPassword,
                               const std::string& modifyPassword, QWidget* parent)
    : CSmDlg(836, parent),
      m_readPassword(readPassword),
      m_modifyPassword(modifyPassword),
      m_modifyEdit(AddPasswordEdit(this, kModifyPassword)),
      m_readEdit(AddPasswordEdit(this, kReadPassword)) {
  setWindowTitle("密码设置");
  auto* layout = new QVBoxLayout(this);
  auto* name = AddLabel(this, QString::fromStdString(reportName));
  name->setObjectName(QString::number(kName));
  name->setWordWrap(true);
  auto* file = new QHBoxLayout;
  file->addWidget(AddLabel(this, "文件:"));
  file->addWidget(name, 1);
  layout->addLayout(file);
  layout->addWidget(AddLabel(this, "设置密码可以确保文件的所有权"));
  auto* form = new QFormLayout;
  form->addRow(AddLabel(this, "&M.修改权限密码:", m_modifyEdit), m_modifyEdit);
  form->addRow(AddLabel(this, "&R.只读权限密码:", m_readEdit), m_readEdit);
  layout->addLayout(form);
  layout->addLayout(ButtonRow(AddButton(kConfirm, "确认"), AddButton(2, "取消")));
  m_modifyEdit->setText(QString::fromStdString(modifyPassword));
  m_readEdit->setText(QString::fromStdString(readPassword));
  m_modifyEdit->setFocus();
}

bool CRiloPwdSetDlg::OnCommand(unsigned id) {
  if (id != 1055) return CSmDlg::OnCommand(id);
  OnConfirm();
  return true;
}

// Enter never closes the dialog: it moves on from either edit, and from the read-only edit
// it also makes "确认" the button that Enter presses.
void CRiloPwdSetDlg::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  QWidget* focus = focusWidget();
  if (enter && (focus == m_modifyEdit || focus == m_readEdit)) {
    if (focus == m_readEdit) SetDefaultButton(kConfirm);
    focusNextChild();
    return;
  }
  CSmDlg::keyPressEvent(event);
}

void CRiloPwdSetDlg::OnConfirm() {
  std::string newRead = TextOf(m_readEdit);
  std::string newModify = TextOf(m_modifyEdit);
  if (newRead == m_readPassword && newModify == m_modifyPassword) {
    OnCancel();
    return;
  }
  const bool hadPassword = !m_readPassword.empty() || !m_modifyPassword.empty();
  if (hadPassword && newRead.empty() && newModify.empty()) {
    m_newReadPassword.clear();
    m_newModifyPassword.clear();
    EndOK();
    return;
  }
  if (!newRead.empty() && newModify.empty()) {
    const int answer =
        SmMessageBox(std::string("    设置了只读权限密码必须同时设置修改权密码。\r\r") +
                         "若您坚持不设置修改权限密码，则本系统自动为您设\r\r" +
                         "置修改权限密码与只读权限密码一样样。\r\r\r您愿意这样做吗？",
                     SM_MB_YESNO | SM_MB_ICONWARNING | SM_MB_DEFBUTTON2, "黄牌警告：");
    if (answer != SM_IDYES) {
      m_modifyEdit->setFocus();
      return;
    }
  }
  CRiloPwdConfirmDlg confirm(newRead != m_readPassword ? newRead : std::string(),
                             newModify != m_modifyPassword ? newModify : std::string(), this);
  if (confirm.DoModal() != SM_IDOK) return;
  SmMessageBox(std::string("请牢记密码。存盘时，系统将提示“其他设置”已改变，\r\r") +
                   "您应确保其他设置被选中并存盘，否则设置无效。",
               SM_MB_OK | SM_MB_ICONINFORMATION, kRiloPwdCaption);
  if (newModify.empty()) newModify = newRead;
  m_newReadPassword = newRead;
  m_newModifyPassword = newModify;
  EndOK();
}

// ---------------------------------------------------------------- CRiloPwdConfirmDlg

CRiloPwdConfirmDlg::CRiloPwdConfirmDlg(const std::string& readPassword,
                                       const std::string& modifyPassword, QWidget* parent)
    : CSmDlg(837, parent),
      m_readPassword(readPassword),
      m_modifyPassword(modifyPassword),
      m_modifyEdit(AddPasswordEdit(this, kModifyPassword)),
      m_readEdit(AddPasswordEdit(this, kReadPassword)) {
  setWindowTitle("确认密码");
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  form->addRow(AddLabel(this, "&M.确认修改权限密码:", m_modifyEdit), m_modifyEdit);
  form->addRow(AddLabel(this, "&R.确认只读权限密码:", m_readEdit), m_readEdit);
  layout->addLayout(form);
  auto* warning = AddLabel(this,
                           "    警告：设置了密码之后，必须保存文件一次，以便使所设置的密码有效。"
                           "并且要牢牢记住密码，一旦忘记了密码，将永远无法打开这个文件。");
  warning->setWordWrap(true);
  layout->addWidget(warning);
  layout->addLayout(ButtonRow(AddButton(1, "确认"), AddButton(2, "取消")));
  m_modifyEdit->setEnabled(!modifyPassword.empty());
  m_readEdit->setEnabled(!readPassword.empty());
  (modifyPassword.empty() ? m_readEdit : m_modifyEdit)->setFocus();
}

bool CRiloPwdConfirmDlg::ValidateAndSave() {
  const bool modifyMatches = TextOf(m_modifyEdit) == m_modifyPassword;
  const bool readMatches = TextOf(m_readEdit) == m_readPassword;
  if (!modifyMatches && !readMatches) {
    Stop("确认的密码与先前输入的不一致。", m_modifyEdit);
    return false;
  }
  if (!modifyMatches) {
    Stop("确认的修改密码与先前输入的不一致。", m_modifyEdit);
    return false;
  }
  if (!readMatches) {
    Stop("确认的只读密码与先前输入的不一致。", m_readEdit);
    return false;
  }
  return true;
}
