#include "app/SmOperatorDlg.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cstdio>

#include "app/SmApp.h"
#include "app/SmMainFrm.h"
#include "app/SmOpLog.h"
#include "core/SmDatabase.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "ui/SmEdit.h"
#include "ui/SmFieldFocus.h"

namespace {

constexpr unsigned kOperatorTemplate = 810;
constexpr unsigned kOperatorEditTemplate = 811;
constexpr unsigned kPasswordTemplate = 812;
constexpr int kLogPassword = 3;
const char* const kAdmin = "101";

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  return Q(a).compare(Q(b), Qt::CaseInsensitive) == 0;
}

}  // namespace

// ---------------------------------------------------------------- 810

CSmOperatorList::CSmOperatorList(CSmOperatorDlg* dlg, QWidget* parent)
    : CSmListCtrl(parent), m_dlg(dlg) {}

bool CSmOperatorList::IsCommandAvailable(unsigned id) {
  switch (id) {
    case SM_ID_EDIT_PASTE:
      return false;
    case SM_ID_LIST_OPEN:
    case SM_ID_LIST_MODIFY:
      return !m_dlg->SelectedOperator().empty();
    case SM_ID_LIST_DELETE: {
      const std::string opno = m_dlg->SelectedOperator();
      return !opno.empty() && opno != kAdmin;
    }
    default:
      return true;
  }
}

void CSmOperatorList::Add() {
  m_dlg->AddOperator();
}

void CSmOperatorList::Open() {
  m_dlg->ModifyOperator();
}

void CSmOperatorList::Modify() {
  m_dlg->ModifyOperator();
}

void CSmOperatorList::Delete() {
  m_dlg->DeleteOperator();
}

CSmOperatorDlg::CSmOperatorDlg(CSmApp* app, QWidget* parent)
    : CSmAppDlg(kOperatorTemplate, app, parent) {
  setWindowTitle(QStringLiteral("操作员及其操作权限表"));
  m_tabs = new QTabBar(this);
  m_tabs->setObjectName(QString::number(kTabs));
  m_tabs->addTab(QStringLiteral("共享权限"));
  m_prefixes.push_back("00");
  if (app) {
    for (CSmDataType* type : app->m_dataTypes) {
      m_tabs->addTab(
          Q(type->m_tabLabel.empty() ? std::to_string(type->m_number) : type->m_tabLabel));
      m_prefixes.push_back(std::to_string(type->m_number + 100).substr(1, 2));
    }
  }
  m_operators = new CSmOperatorList(this, this);
  m_operators->setObjectName(QString::number(kOperatorList));
  m_operators->SetDatabase(Db());
  m_operators->Initialize();
  m_operators->SetColumns({60, 120}, {"代码", "姓  名"});
  m_rights = new QTreeWidget(this);
  m_rights->setObjectName(QString::number(kRightList));
  m_rights->setHeaderLabels({QStringLiteral("操作权限")});
  m_rights->setRootIsDecorated(false);
  m_rights->setSelectionMode(QAbstractItemView::ExtendedSelection);
  m_rights->setContextMenuPolicy(Qt::CustomContextMenu);
  m_label = new QLabel(this);
  m_label->setObjectName(QString::number(kRightLabel));

  auto* lists = new QHBoxLayout;
  lists->addWidget(m_operators);
  auto* right = new QVBoxLayout;
  right->addWidget(m_label);
  right->addWidget(m_rights);
  lists->addLayout(right);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(AddButton(SM_ID_CANCEL, QStringLiteral("&X.关闭")));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_tabs);
  layout->addLayout(lists);
  layout->addLayout(buttons);
  resize(560, 380);

  connect(m_tabs, &QTabBar::currentChanged, this, [this] { LoadRights(); });
  connect(m_operators, &QTreeWidget::itemSelectionChanged, this, [this] { LoadRights(); });
  connect(m_rights, &QTreeWidget::itemChanged, this,
          [this](QTreeWidgetItem* item) { OnRightChanged(item); });
  connect(m_rights, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    QMenu menu;
    QAction* toggle = menu.addAction(QStringLiteral("收授操作权"));
    if (menu.exec(m_rights->viewport()->mapToGlobal(at)) == toggle) ToggleSelectedRights();
  });
  LoadOperators();
  m_operators->setFocus();
}

CSmDatabase* CSmOperatorDlg::Db() const {
  return App() ? App()->GetDatabase() : nullptr;
}

std::string CSmOperatorDlg::SelectedOperator() const {
  const QList<QTreeWidgetItem*> selected = m_operators->selectedItems();
  return selected.size() == 1 ? selected.front()->text(0).toStdString() : std::string();
}

void CSmOperatorDlg::LoadOperators(const std::string& select) {
  m_operators->clear();
  CSmOperatorArray rows;
  LoadOperatorList(&rows, Db(), true);
  // Plain rows: the operator list has no check boxes.
  for (const CSmOperator& op : rows) new QTreeWidgetItem(m_operators, {Q(op.Opno), Q(op.Na)});
  if (m_operators->RowCount() == 0) {
    LoadRights();
    return;
  }
  if (select.empty() || m_operators->FindText(select, false) < 0) {
    m_operators->setCurrentItem(m_operators->topLevelItem(0));
  }
  LoadRights();
}

void CSmOperatorDlg::LoadRights() {
  m_filling = true;
  m_rights->clear();
  const std::string opno = SelectedOperator();
  const QList<QTreeWidgetItem*> selected = m_operators->selectedItems();
  m_label->setText(opno.empty() ? QString()
                                : selected.front()->text(1) + QStringLiteral("的操作权限："));
  CSmStringList codes;
  CSmStringList names;
  if (App()) App()->GetRightList(codes, names);
  const int tab = m_tabs->currentIndex();
  if (!opno.empty() && tab >= 0 && tab < static_cast<int>(m_prefixes.size())) {
    for (size_t i = 0; i < codes.size(); ++i) {
      // The first right (system administration) is the administrator's alone: it is all he is
      // shown, and it is never offered to anyone else.
      const bool admin = opno == kAdmin;
      if (admin != (i == 0)) continue;
      if (codes[i].rfind(m_prefixes[tab], 0) != 0) continue;
      auto* item = new QTreeWidgetItem(m_rights, {Q(i < names.size() ? names[i] : codes[i])});
      item->setData(0, Qt::UserRole, Q(codes[i]));
      item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
      const bool held = admin || HasRight(opno, codes[i], Db());
      item->setCheckState(0, held ? Qt::Checked : Qt::Unchecked);
    }
  }
  m_filling = false;
}

void CSmOperatorDlg::OnRightChanged(QTreeWidgetItem* item) {
  if (m_filling) return;
  const std::string opno = SelectedOperator();
  const std::string code = item->data(0, Qt::UserRole).toString().toStdString();
  const bool grant = item->checkState(0) == Qt::Checked;
  // The administrator's rights are fixed; a failed change shows what is stored.
  if (opno == kAdmin || !SetRight(grant, opno, code, Db())) LoadRights();
}

void CSmOperatorDlg::ToggleSelectedRights() {
  for (QTreeWidgetItem* item : m_rights->selectedItems()) {
    item->setCheckState(0, item->checkState(0) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
  }
}

void CSmOperatorDlg::AddOperator() {
  int largest = 0;
  for (int i = 0; i < m_operators->topLevelItemCount(); ++i) {
    largest = std::max(largest, m_operators->topLevelItem(i)->text(0).toInt());
  }
  char number[16];
  std::snprintf(number, sizeof number, "%03d", largest + 1);
  CSmOperatorEditDlg dlg(App(), CSmOperator(number, "", ""), "", this);
  if (dlg.DoModal() == SM_IDOK) LoadOperators(dlg.Operator().Opno);
}

void CSmOperatorDlg::ModifyOperator() {
  const std::string opno = SelectedOperator();
  CSmOperator op;
  if (opno.empty() || !op.LoadByCode(opno, Db())) return;
  CSmOperatorEditDlg dlg(App(), op, opno, this);
  if (dlg.DoModal() != SM_IDOK) return;
  if (App() && opno == App()->m_env.GetOperatorNo()) {
    App()->m_env.SetOperatorNo(dlg.Operator().Opno);
    App()->m_env.SetOperatorName(dlg.Operator().Na);
    if (auto* frame = dynamic_cast<CSmMainFrm*>(App()->GetMainWnd())) frame->UpdateTitle(true);
  }
  LoadOperators(dlg.Operator().Opno);
}

void CSmOperatorDlg::DeleteOperator() {
  const std::string opno = SelectedOperator();
  if (opno.empty() || opno == kAdmin) return;
  if (::DeleteOperator(opno, Db())) LoadOperators();
}

// ---------------------------------------------------------------- 811

CSmOperatorEditDlg::CSmOperatorEditDlg(CSmApp* app, const CSmOperator& op,
                                       const std::string& oldNumber, QWidget* parent)
    : CSmAppDlg(kOperatorEditTemplate, app, parent), m_op(op), m_oldNumber(oldNumber) {
  setWindowTitle(oldNumber.empty() ? QStringLiteral("增加操作员...")
                                   : QStringLiteral("修改操作员..."));
  m_number = new QLineEdit(Q(op.Opno), this);
  m_number->setObjectName(QString::number(kNumberEdit));
  m_number->setMaxLength(3);
  m_number->setReadOnly(oldNumber == kAdmin);
  m_name = new CSmEdit(this);
  m_name->setObjectName(QString::number(kNameEdit));
  m_name->SetInputType("STRING NOT |[]'\"", kSmOperatorNameWidth);
  m_name->setText(Q(op.Na));
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("代码："), m_number);
  form->addRow(QStringLiteral("姓名："), m_name);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(AddButton(SM_ID_OK, QStringLiteral("&S.保存")));
  buttons->addWidget(AddButton(SM_ID_CANCEL, QStringLiteral("&X.取消")));
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons);
}

bool CSmOperatorEditDlg::ValidateAndSave() {
  CSmOperator op = m_op;
  op.Opno = m_number->text().trimmed().toStdString();
  op.Na = m_name->text().trimmed().toStdString();
  if (!IsValidOperatorNumber(op.Opno)) return SmRefuse("代码应不小于101，请重输！", m_number);
  if (op.Na.empty()) return SmRefuse("姓名不能为空，请重输！", m_name);
  CSmDatabase* db = App() ? App()->GetDatabase() : nullptr;
  if (!m_oldNumber.empty() && op.Opno == m_op.Opno && op.Na == m_op.Na) return true;
  const bool saved = m_oldNumber.empty() ? op.Insert(db) : op.Update(m_oldNumber, db);
  if (!saved) return false;
  m_op = op;
  return true;
}

// ---------------------------------------------------------------- 812

CSmPasswordDlg::CSmPasswordDlg(CSmApp* app, QWidget* parent)
    : CSmAppDlg(kPasswordTemplate, app, parent) {
  setWindowTitle(QStringLiteral("操作员口令设置"));
  m_label = new QLabel(QStringLiteral("输入老口令："), this);
  m_label->setObjectName(QString::number(kPromptLabel));
  m_first = new QLineEdit(this);
  m_first->setObjectName(QString::number(kFirstEdit));
  m_second = new QLineEdit(this);
  m_second->setObjectName(QString::number(kSecondEdit));
  for (QLineEdit* edit : {m_first, m_second}) {
    edit->setMaxLength(kSmPasswordMaxLength);
    edit->setEchoMode(QLineEdit::Password);
  }
  m_second->setEnabled(false);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(AddButton(SM_ID_OK, QStringLiteral("&O.确定")));
  buttons->addWidget(AddButton(SM_ID_CANCEL, QStringLiteral("&X.取消")));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_label);
  layout->addWidget(m_first);
  layout->addWidget(m_second);
  layout->addLayout(buttons);
}

bool CSmPasswordDlg::ValidateAndSave() {
  if (!App() || !App()->GetDatabase()) return false;
  CSmEnvironment& env = App()->m_env;
  CSmOperator op;
  if (!op.LoadByCode(env.GetOperatorNo(), App()->GetDatabase())) return false;
  const std::string first = m_first->text().toStdString();
  if (m_step == 0) {
    if (!op.CheckPassword(first, App()->GetDatabase()))
      return SmRefuse("老口令校验不能通过！", m_first);
    m_step = 1;
    m_oldPassword = first;
    m_label->setText(QStringLiteral("输入口令："));
    m_first->clear();
    m_second->clear();
    m_second->setEnabled(true);
    m_first->setFocus();
    return false;
  }
  if (!SameIgnoringCase(first, m_second->text().toStdString()))
    return SmRefuse("两次输入不一致！请重新确认。", m_first);
  if (first == m_oldPassword) return true;
  op.Psd = first;
  if (!op.SetPassword(App()->GetDatabase())) return false;
  env.SetOperatorPassword(op.StoredPassword());
  CSmOpLog(kLogPassword, "操作员(" + op.Opno + ")");
  SmMessageBox(first.empty() ? "您的口令已被取消!" : "您的口令设置成功，请牢记之！",
               SM_MB_OK | SM_MB_ICONINFORMATION);
  return true;
}

// ---------------------------------------------------------------- the System menu's commands

void CSmApp::OnOperators() {
  if (!GetDatabase()) return;
  CSmOperatorDlg dlg(this, GetMainWnd());
  dlg.DoModal();
}

void CSmApp::OnPassword() {
  if (!GetDatabase()) return;
  CSmPasswordDlg dlg(this, GetMainWnd());
  dlg.DoModal();
}
