#include "app/SmVarDlg.h"

#include <QAction>
#include <QButtonGroup>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>

#include "core/SmString.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "ui/SmFieldFocus.h"

namespace {

struct TypeButton {
  int id;
  const char* text;
  int type;
};
constexpr TypeButton kTypeButtons[] = {{CSmVarNameDlg::kTextType, "字符", SM_VAR_TEXT},
                                       {CSmVarNameDlg::kNumberType, "数值", SM_VAR_NUMBER},
                                       {CSmVarNameDlg::kAnyType, "自动", SM_VAR_ANY}};

// The clipboard keeps one text per line: line feeds inside a text travel as carriage returns.
std::string ToClipboard(std::string text) {
  std::replace(text.begin(), text.end(), '\n', '\r');
  return text;
}

std::string FromClipboard(std::string text) {
  std::replace(text.begin(), text.end(), '\r', '\n');
  return text;
}

}  // namespace

std::string SmVarTypeText(int type) {
  if (type == SM_VAR_NUMBER) return "数值";
  if (type == SM_VAR_TEXT) return "字符";
  return "自动";
}

// ---------------------------------------------------------------- CSmVarListCtrl

CSmVarListCtrl::CSmVarListCtrl(QWidget* parent) : CSmListCtrl(parent) {
  setObjectName(QString::number(CSmVarDlg::kList));
  Initialize();
  connect(this, &QTreeWidget::itemSelectionChanged, this, [this] {
    if (m_changed) m_changed();
  });
}

void CSmVarListCtrl::Fill() {
  clear();
  for (int i = 0; i < m_vars.GetSize(); ++i) {
    const CSmVar var = m_vars.GetAt(i);
    AddRow({var.m_name, var.m_expression, SmVarTypeText(var.m_type), var.m_note}, 0);
  }
}

void CSmVarListCtrl::Add() {
  CSmVarNameDlg dlg("新增变量", {}, &m_vars, window());
  dlg.m_name = "#";
  // A selected variable is the quick start of a new one.
  if (const int first = FirstSelected(); first >= 0) {
    const CSmVar var = m_vars.GetAt(first);
    dlg.m_expression = var.m_expression;
    dlg.m_type = var.m_type;
    dlg.m_note = var.m_note;
  }
  if (dlg.DoModal() != SM_IDOK) return;
  m_vars.Add(CSmVar(dlg.m_name, dlg.m_expression, dlg.m_type, dlg.m_note));
  Fill();
  SelectRow(RowCount() - 1);
  Changed();
}

void CSmVarListCtrl::Modify() {
  const int row = FirstSelected();
  if (row < 0) return;
  const CSmVar var = m_vars.GetAt(row);
  CSmVarNameDlg dlg("修改变量", var.m_name, &m_vars, window());
  dlg.m_name = var.m_name;
  dlg.m_expression = var.m_expression;
  dlg.m_type = var.m_type;
  dlg.m_note = var.m_note;
  if (dlg.DoModal() != SM_IDOK) return;
  m_vars.SetAt(row, CSmVar(dlg.m_name, dlg.m_expression, dlg.m_type, dlg.m_note));
  Fill();
  SelectRow(row);
  Changed();
}

void CSmVarListCtrl::Delete() {
  std::vector<int> rows;
  for (int i = 0; i < RowCount(); ++i)
    if (topLevelItem(i)->isSelected()) rows.push_back(i);
  if (rows.empty()) return;
  for (auto it = rows.rbegin(); it != rows.rend(); ++it) m_vars.RemoveAt(*it);
  Fill();
  SelectRow(std::min(rows.front(), RowCount() - 1));
  Changed();
}

void CSmVarListCtrl::TakeDefaults() {
  if (m_vars.GetSize() > 0 && SmMessageBox("取默认值时将先清除当前变量表，继续吗？",
                                           SM_MB_YESNO | SM_MB_ICONQUESTION) != SM_IDYES)
    return;
  m_vars.RemoveAll();
  m_vars.SetDefaults();
  Fill();
  Changed();
}

bool CSmVarListCtrl::OnCommand(unsigned id) {
  if (id != SM_ID_VAR_DEFAULTS) return CSmListCtrl::OnCommand(id);
  TakeDefaults();
  return true;
}

int CSmVarListCtrl::GetClipboardRows(std::vector<std::string>& rows) const {
  rows.clear();
  for (int i = 0; i < RowCount(); ++i) {
    if (!topLevelItem(i)->isSelected()) continue;
    const CSmVar var = m_vars.GetAt(i);
    rows.push_back(ToClipboard(var.m_name));
    rows.push_back(ToClipboard(var.m_expression));
    rows.push_back(FormatStr("%d", var.m_type));
    rows.push_back(ToClipboard(var.m_note));
  }
  return static_cast<int>(rows.size());
}

void CSmVarListCtrl::InsertPastedRows(const std::vector<std::string>& rows, bool /*cut*/,
                                      bool /*sameSource*/, CSmDatabase& /*source*/) {
  if (rows.empty() || rows.size() % 4 != 0) return;
  std::vector<std::string> taken;
  for (size_t i = 0; i < rows.size(); i += 4) {
    const CSmVar var(FromClipboard(rows[i]), FromClipboard(rows[i + 1]),
                     std::atoi(rows[i + 2].c_str()), FromClipboard(rows[i + 3]));
    const int existing = IndexOf(var.m_name);
    if (existing < 0) {
      m_vars.Add(var);
    } else if (SmMessageBox(FormatStr("变量“%s”已存在，覆盖它吗？", var.m_name.c_str()),
                            SM_MB_YESNOCANCEL | SM_MB_ICONQUESTION | SM_MB_DEFBUTTON2) ==
               SM_IDYES) {
      m_vars.SetAt(existing, var);
    } else {
      continue;
    }
    taken.push_back(var.m_name);
  }
  Fill();
  SelectTexts(taken);
  Changed();
}

// "取默认值" and a separator stand where cutting would.
void CSmVarListCtrl::CustomizeContextMenu(QMenu* popup) {
  for (QAction* cut : popup->actions()) {
    if (cut->data().toUInt() != SM_ID_EDIT_CUT) continue;
    auto* defaults = new QAction(QStringLiteral("取默认值"), popup);
    defaults->setObjectName(QString::number(SM_ID_VAR_DEFAULTS));
    defaults->setData(SM_ID_VAR_DEFAULTS);
    popup->insertAction(cut, defaults);
    popup->insertSeparator(cut);
    popup->removeAction(cut);
    delete cut;
    return;
  }
}

bool CSmVarListCtrl::IsCommandAvailable(unsigned id) {
  switch (id) {
    case SM_ID_LIST_OPEN:
    case SM_ID_LIST_MODIFY:
      return selectedItems().size() == 1;
    case SM_ID_EDIT_CUT:
      return false;
    default:
      return true;
  }
}

int CSmVarListCtrl::IndexOf(const std::string& name) const {
  for (int i = 0; i < m_vars.GetSize(); ++i)
    if (m_vars.GetAt(i).m_name == name) return i;
  return -1;
}

void CSmVarListCtrl::SelectRow(int row) {
  clearSelection();
  QTreeWidgetItem* item = topLevelItem(row);
  if (!item) return;
  setCurrentItem(item);
  item->setSelected(true);
  scrollToItem(item);
}

void CSmVarListCtrl::Changed() {
  if (m_changed) m_changed();
}

// ---------------------------------------------------------------- CSmVarDlg

CSmVarDlg::CSmVarDlg(const CSmVarTable& vars, QWidget* parent)
    : CSmDlg(820, parent), m_list(new CSmVarListCtrl(this)) {
  setWindowTitle("变量的增加、修改及删除");
  m_list->m_vars = vars;
  m_list->m_changed = [this] { UpdateButtons(); };
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(m_list, 1);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(AddButton(kAdd, "&A.新增"));
  buttons->addWidget(AddButton(kModify, "&M.修改"));
  buttons->addWidget(AddButton(kDelete, "&D.删除"));
  buttons->addStretch();
  buttons->addWidget(AddButton(1, "&S.确认"));
  buttons->addWidget(AddButton(2, "&X. 取消"));
  layout->addLayout(buttons);
  resize(820, 360);
}

void CSmVarDlg::OnInitDialog() {
  m_list->SetColumns({65, 400, 50, 160}, {"变量名", "公式", "类型", "说明"});
  m_list->Fill();
  UpdateButtons();
  CSmDlg::OnInitDialog();
  m_list->setFocus();
}

bool CSmVarDlg::OnCommand(unsigned id) {
  switch (id) {
    case kAdd:
      m_list->Add();
      return true;
    case kModify:
      m_list->Modify();
      return true;
    case kDelete:
      m_list->Delete();
      return true;
    case SM_ID_OK:
      m_result = m_list->m_vars;
      EndOK();
      return true;
    default:
      return CSmDlg::OnCommand(id);
  }
}

void CSmVarDlg::UpdateButtons() {
  const auto selected = m_list->selectedItems().size();
  if (QWidget* modify = Control(kModify)) modify->setEnabled(selected == 1);
  if (QWidget* remove = Control(kDelete)) remove->setEnabled(selected > 0);
}

// ---------------------------------------------------------------- CSmVarNameDlg

CSmVarNameDlg::CSmVarNameDlg(const std::string& title, const std::string& previousName,
                             const CSmVarTable* table, QWidget* parent)
    : CSmDlg(822, parent),
      m_previousName(previousName),
      m_table(table),
      m_nameEdit(new QLineEdit(this)),
      m_expressionEdit(new QPlainTextEdit(this)),
      m_noteEdit(new QLineEdit(this)),
      m_types(new QButtonGroup(this)) {
  setWindowTitle(QString::fromStdString(title));
  m_nameEdit->setObjectName(QString::number(kName));
  m_nameEdit->setValidator(
      new QRegularExpressionValidator(QRegularExpression("[0-9A-Za-z#]*"), m_nameEdit));
  m_expressionEdit->setObjectName(QString::number(kExpression));
  m_expressionEdit->setTabChangesFocus(true);
  m_noteEdit->setObjectName(QString::number(kNote));
  auto* typeRow = new QHBoxLayout;
  for (const TypeButton& b : kTypeButtons) {
    auto* radio = new QRadioButton(QString::fromUtf8(b.text), this);
    radio->setObjectName(QString::number(b.id));
    m_types->addButton(radio, b.type);
    typeRow->addWidget(radio);
  }
  typeRow->addStretch();
  auto* form = new QFormLayout;
  form->addRow("变量名:", m_nameEdit);
  form->addRow("变量值:", m_expressionEdit);
  form->addRow("类  型:", typeRow);
  form->addRow("说  明:", m_noteEdit);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(AddButton(kConfirm, "&S.确认"));
  buttons->addWidget(AddButton(2, "&X.取消"));
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons);
  resize(460, 260);
  // Every change is taken at once.
  connect(m_nameEdit, &QLineEdit::textChanged, this,
          [this](const QString& text) { m_name = text.toStdString(); });
  connect(m_expressionEdit, &QPlainTextEdit::textChanged, this,
          [this] { m_expression = m_expressionEdit->toPlainText().toStdString(); });
  connect(m_noteEdit, &QLineEdit::textChanged, this,
          [this](const QString& text) { m_note = text.toStdString(); });
  connect(m_types, &QButtonGroup::idClicked, this, [this](int type) { m_type = type; });
}

void CSmVarNameDlg::OnInitDialog() {
  if (m_type != SM_VAR_TEXT && m_type != SM_VAR_NUMBER) m_type = SM_VAR_ANY;
  DoDataExchange(false);
  CSmDlg::OnInitDialog();
  m_nameEdit->setFocus();
  m_nameEdit->end(false);
}

void CSmVarNameDlg::DoDataExchange(bool save) {
  if (save) return;  // the values follow every change
  m_nameEdit->setText(QString::fromStdString(m_name));
  m_expressionEdit->setPlainText(QString::fromStdString(m_expression));
  m_noteEdit->setText(QString::fromStdString(m_note));
  if (QAbstractButton* button = m_types->button(m_type)) button->setChecked(true);
}

bool CSmVarNameDlg::OnCommand(unsigned id) {
  if (id != kConfirm) return CSmDlg::OnCommand(id);
  OnOK();
  return true;
}

bool CSmVarNameDlg::ValidateAndSave() {
  const bool wellFormed =
      m_name.size() > 1 && m_name[0] == '#' && std::count(m_name.begin(), m_name.end(), '#') == 1;
  std::string refusal;
  if (!wellFormed) {
    refusal = "变量名必须是以“#”开始且由“数字、字母”构\r\r成的非空字符串！“#”必须在第一位。";
  } else if (!m_previousName.empty() && m_name == m_previousName) {
    return true;
  } else if (CSmVar used; m_table && m_table->Find(m_name, used)) {
    refusal = FormatStr("变量名“%s”已被使用！", m_name.c_str());
  } else {
    return true;
  }
  return SmRefuse(refusal, m_nameEdit);
}
