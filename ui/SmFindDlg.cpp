#include "ui/SmFindDlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "core/SmRegKey.h"

CSmListFindDlg::CSmListFindDlg(int column, QWidget* parent)
    : CSmDlg(803, parent), m_column(column) {
  setWindowTitle(QStringLiteral("在列表框中查找"));
  auto* grid = new QGridLayout(this);
  m_combo = new QComboBox(this);
  m_combo->setObjectName("1000");
  m_combo->setEditable(true);
  m_combo->setInsertPolicy(QComboBox::NoInsert);
  m_note = new QLabel(this);
  m_note->setObjectName("1003");
  grid->addWidget(new QLabel(QStringLiteral("查找目标"), this), 0, 0);
  grid->addWidget(m_combo, 0, 1);
  grid->addWidget(m_note, 1, 0, 1, 2);
  grid->addWidget(AddButton(1, QStringLiteral("确认(&S)")), 2, 1);
}

std::string CSmListFindDlg::HistoryKey() const {
  const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
  const QString caption = owner ? owner->windowTitle() : QString();
  const std::string name = caption.isEmpty() ? std::string("Vornel列表框") : caption.toStdString();
  return "Software\\reduvor\\SmListCtrl\\" + name;
}

std::vector<std::string> CSmListFindDlg::ReadHistory() const {
  std::vector<std::string> names, data;
  CSmRegKey().GetValueList(SM_HKEY_CURRENT_USER, HistoryKey(), names, data, 2);
  return data;
}

void CSmListFindDlg::OnInitDialog() {
  CSmDlg::OnInitDialog();
  m_note->setText(QStringLiteral("注：在第 %1 栏中查找").arg(m_column + 1));
  for (const std::string& entry : ReadHistory()) m_combo->addItem(QString::fromStdString(entry));
  DoDataExchange(false);
}

void CSmListFindDlg::DoDataExchange(bool save) {
  if (save)
    m_text = m_combo->currentText().toStdString();
  else
    m_combo->setEditText(QString::fromStdString(m_text));
}

bool CSmListFindDlg::ValidateAndSave() {
  DoDataExchange(true);
  if (m_text.empty()) return false;
  if (m_combo->findText(QString::fromStdString(m_text), Qt::MatchExactly) >= 0) return true;
  std::vector<std::string> entries = ReadHistory();
  entries.push_back(m_text);
  CSmRegKey reg;
  for (int i = 0; i < kMaxHistory && i < static_cast<int>(entries.size()); ++i)
    if (!reg.SetValue(SM_HKEY_CURRENT_USER, HistoryKey(), std::to_string(i + 1), entries[i])) break;
  return true;
}
