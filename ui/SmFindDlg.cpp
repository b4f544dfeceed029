#include "ui/SmFindDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/SmCsRecord.h"
#include "core/SmDatabase.h"
#include "core/SmRegKey.h"
#include "platform/SmCommandIds.h"
#include "ui/SmDlgPosStore.h"

CSmListFindDlg::CSmListFindDlg(int column, QWidget* parent)
    : CSmDlg(803, parent), m_column(column) {
  setWindowTitle(QStringLiteral("在列表框中查找"));
  auto* grid = new QGridLayout(this);
  m_combo = new QComboBox(this);
  m_combo->setObjectName(QString::number(kTextCombo));
  m_combo->setEditable(true);
  m_combo->setInsertPolicy(QComboBox::NoInsert);
  m_note = new QLabel(this);
  m_note->setObjectName(QString::number(kNote));
  grid->addWidget(new QLabel(QStringLiteral("查找目标"), this), 0, 0);
  grid->addWidget(m_combo, 0, 1);
  grid->addWidget(m_note, 1, 0, 1, 2);
  grid->addWidget(AddButton(SM_ID_OK, QStringLiteral("确认(&S)")), 2, 1);
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

CSmFindDlg::CSmFindDlg(CSmFindView* view, bool findOnly, QWidget* parent)
    : CSmDlg(851, parent),
      m_view(view),
      m_db(view ? view->FindDatabase() : nullptr),
      m_findOnly(findOnly) {
  setWindowTitle(findOnly ? QStringLiteral("查找") : QStringLiteral("替换"));
  if (m_view) m_findText = m_view->GetSelectedText();
  if (!m_findOnly) m_replaceText = m_findText;
  auto* grid = new QGridLayout(this);
  m_findCombo = new QComboBox(this);
  m_findCombo->setObjectName(QString::number(kFindCombo));
  m_replaceCombo = new QComboBox(this);
  m_replaceCombo->setObjectName(QString::number(kReplaceCombo));
  m_replaceLabel = new QLabel(QStringLiteral("替 换 成"), this);
  m_replaceLabel->setObjectName(QString::number(kReplaceLabel));
  m_wholeCell = new QCheckBox(QStringLiteral("全部匹配"), this);
  m_wholeCell->setObjectName(QString::number(kWholeCell));
  grid->addWidget(new QLabel(QStringLiteral("查找目标"), this), 0, 0);
  grid->addWidget(m_findCombo, 0, 1);
  grid->addWidget(m_replaceLabel, 1, 0);
  grid->addWidget(m_replaceCombo, 1, 1);
  grid->addWidget(m_wholeCell, 2, 1);
  grid->addWidget(AddButton(SM_ID_OK, QStringLiteral("确认(&S)")), 3, 0);
  grid->addWidget(AddButton(SM_ID_CANCEL, QStringLiteral("取消(&X)")), 3, 1);
}

std::vector<std::string> CSmFindDlg::History(int group) const {
  std::vector<std::string> texts;
  if (!m_db) return texts;
  CSmCsRecordArray rows;
  CSmCsRecord(m_db).LoadGroup(group, &rows);
  for (const CSmCsRecord& row : rows) texts.push_back(row.CsVal);
  return texts;
}

void CSmFindDlg::FillCombo(QComboBox* combo, int group, const std::string& start) {
  combo->setEditable(true);
  combo->setInsertPolicy(QComboBox::NoInsert);
  for (const std::string& text : History(group)) combo->addItem(QString::fromStdString(text));
  if (start.empty() && combo->count() > 0) combo->setCurrentIndex(0);
  combo->lineEdit()->setMaxLength(200);
}

void CSmFindDlg::OnInitDialog() {
  CSmDlg::OnInitDialog();
  if (m_findOnly) {
    FillCombo(m_findCombo, 1000, m_findText);
    m_replaceCombo->hide();
    m_replaceLabel->hide();
  } else {
    FillCombo(m_findCombo, 1001, m_findText);
    FillCombo(m_replaceCombo, 1002, m_replaceText);
  }
  CSmCsRecord flag(m_db);
  m_wholeCell->setChecked(m_db && flag.Load(1003, 0) && flag.CsVal == "1");
  CSmDlgPosStore::Current().Restore(851, this);
  if (!m_findText.empty()) m_findCombo->setEditText(QString::fromStdString(m_findText));
  if (!m_replaceText.empty()) m_replaceCombo->setEditText(QString::fromStdString(m_replaceText));
}

void CSmFindDlg::DoDataExchange(bool save) {
  if (!save) return;
  m_findText = m_findCombo->currentText().toStdString();
  m_replaceText = m_replaceCombo->currentText().toStdString();
}

void CSmFindDlg::AddHistory(QComboBox* combo, int group, const std::string& text) {
  if (!m_db || combo->findText(QString::fromStdString(text), Qt::MatchExactly) >= 0) return;
  const std::string cs = std::to_string(group);
  m_db->ExecuteSQL("Update SysCsTab Set CsN=CsN+1 Where Cs=" + cs);
  m_db->ExecuteSQL("Delete From SysCsTab Where Cs=" + cs + " And CsN>" +
                   std::to_string(kMaxHistoryNumber));
  CSmCsRecord row(m_db);
  row.Set(group, 0, {}, text);
  row.Insert();
}

bool CSmFindDlg::ValidateAndSave() {
  DoDataExchange(true);
  if (m_findText.empty()) return false;
  const bool whole = m_wholeCell->isChecked();
  AddHistory(m_findCombo, m_findOnly ? 1000 : 1001, m_findText);
  if (!m_findOnly) AddHistory(m_replaceCombo, 1002, m_replaceText);
  if (m_view) m_view->SetFindState(m_findOnly, m_findText, m_replaceText, whole);
  if (m_db) {
    CSmCsRecord flag(m_db);
    flag.Delete(1003, 0);
    flag.Set(1003, 0, {}, whole ? "1" : "0");
    flag.Insert();
  }
  CSmDlgPosStore::Current().Remember(851, this);
  return true;
}
