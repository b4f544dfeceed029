#include "ui/SmWordCB.h"

#include <QContextMenuEvent>
#include <QMenu>

#include "core/SmCsRecord.h"
#include "core/SmDatabase.h"
#include "core/SmGbk.h"
#include "platform/SmCommandIds.h"

CSmWordCB::CSmWordCB(QWidget* parent) : QComboBox(parent) {
  setEditable(true);
  setInsertPolicy(QComboBox::NoInsert);
}

void CSmWordCB::SetWordStore(CSmDatabase* db, int group, int subNumber) {
  m_db = db;
  m_group = group;
  m_subNumber = subNumber;
  LoadWords();
}

std::string CSmWordCB::WordWhere() const {
  return "Where Cs=" + std::to_string(kWordTable) + " And CsN=" + std::to_string(m_group) +
         " And CsNa='" + std::to_string(m_subNumber) + "'";
}

int CSmWordCB::LoadWords() {
  const QString typed = currentText();
  clear();
  if (!m_db) return 0;
  CSmCsRecordArray rows;
  CSmCsRecord(m_db).Query(WordWhere(), {}, {}, {}, &rows);
  for (const CSmCsRecord& row : rows) {
    const QString word = QString::fromStdString(row.CsVal);
    if (findText(word, Qt::MatchExactly | Qt::MatchCaseSensitive) < 0) addItem(word);
  }
  setEditText(typed);
  return count();
}

void CSmWordCB::OnSaveWord() {
  if (!m_db) return;
  const std::string word = GbkCut(currentText().toStdString(), kMaxWordBytes);
  if (word.empty()) return;
  const QString text = QString::fromStdString(word);
  if (findText(text, Qt::MatchStartsWith) >= 0) return;
  CSmCsRecord row(m_db);
  row.Set(kWordTable, m_group, std::to_string(m_subNumber), word);
  if (!row.Insert()) return;
  addItem(text);
  setCurrentIndex(count() - 1);
}

void CSmWordCB::OnDeleteWord() {
  if (!m_db) return;
  const QString text = currentText();
  const int index = findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (index < 0) return;
  const std::string where = WordWhere() + " And CsVal='" + m_db->SqlText(text.toStdString()) + "'";
  if (!CSmCsRecord(m_db).DeleteWhere(where, {})) return;
  removeItem(index);
}

bool CSmWordCB::OnCommand(unsigned id) {
  switch (id) {
    case SM_ID_WORD_SAVE:
      OnSaveWord();
      return true;
    case SM_ID_WORD_DELETE:
      OnDeleteWord();
      return true;
    default:
      return false;
  }
}

std::unique_ptr<QMenu> CSmWordCB::CreateContextMenu() {
  auto menu = std::make_unique<QMenu>(QStringLiteral("具有存词功能的组合框"));
  menu->setObjectName(QString::number(SM_IDR_WORD_MENU));
  const std::pair<unsigned, const char*> items[] = {
      {SM_ID_WORD_SAVE, "保存词语"},
      {SM_ID_WORD_DELETE, "删除词条"},
  };
  for (const auto& [id, text] : items) {
    QAction* action = menu->addAction(QString::fromUtf8(text));
    action->setObjectName(QString::number(id));
    action->setData(id);
    action->setEnabled(m_db != nullptr);
    connect(action, &QAction::triggered, this, [this, command = id] { OnCommand(command); });
  }
  return menu;
}

void CSmWordCB::contextMenuEvent(QContextMenuEvent* event) {
  CreateContextMenu()->exec(event->globalPos());
}
