#include "ui/SmTreeCtrl.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

#include "core/SmDatabase.h"
#include "platform/SmCommandIds.h"
#include "ui/SmCalcDlg.h"
#include "ui/SmDlg.h"
#include "ui/SmListCtrl.h"

namespace {

struct MenuItem {
  int id;  // 0 for a separator
  const char* text;
};

constexpr MenuItem kTreeMenu[] = {
    {SM_ID_LIST_ADD, "新增(&N)...\tCtrl+N"},
    {SM_ID_LIST_OPEN, "打开(&O)...\tCtrl+O"},
    {SM_ID_LIST_MODIFY, "修改(&S)...\tCtrl+M"},
    {SM_ID_LIST_DELETE, "删除(&R)\tDelete"},
    {0, nullptr},
    {SM_ID_EDIT_CUT, "剪切(&T)\tCtrl+X"},
    {SM_ID_EDIT_COPY, "复制(&C)\tCtrl+C"},
    {SM_ID_EDIT_PASTE, "粘贴(&P)\tCtrl+V"},
    {0, nullptr},
    {SM_ID_HELP, "帮助(&H)\tF1"},
    {SM_ID_CALCULATOR, "计算器(&B)\tF12"},
};

}  // namespace

CSmTreeCtrl::CSmTreeCtrl(CSmDatabase* db, QWidget* parent) : QTreeWidget(parent), m_db(db) {
  setHeaderHidden(true);
  connect(this, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
    if (column == 0 && (item->flags() & Qt::ItemIsUserCheckable)) {
      OnCheckChanged(item, item->checkState(0) == Qt::Checked);
    }
  });
}

void CSmTreeCtrl::Initialize() {
  m_clipboardFormat = GetClipboardFormat();
}

std::unique_ptr<QMenu> CSmTreeCtrl::CreateContextMenu() {
  auto menu = std::make_unique<QMenu>(QStringLiteral("树视右键菜单"));
  for (const MenuItem& item : kTreeMenu) {
    if (item.id == 0) {
      menu->addSeparator();
      continue;
    }
    QAction* action = menu->addAction(QString::fromUtf8(item.text));
    action->setData(item.id);
  }
  CustomizeContextMenu(menu.get());
  for (QAction* action : menu->actions()) {
    if (!action->isSeparator()) action->setEnabled(IsCommandEnabled(action->data().toInt()));
  }
  return menu;
}

bool CSmTreeCtrl::IsCommandEnabled(int id) {
  switch (id) {
    case SM_ID_LIST_OPEN:
    case SM_ID_LIST_MODIFY:
    case SM_ID_LIST_DELETE:
    case SM_ID_EDIT_COPY:
    case SM_ID_EDIT_CUT:
      if (!currentItem()) return false;
      break;
    case SM_ID_EDIT_PASTE:
      if (!SmClipboardHasRows(m_clipboardFormat)) return false;
      break;
    default:
      break;
  }
  return IsCommandAvailable(id);
}

bool CSmTreeCtrl::RunCommand(int id) {
  if (!IsCommandEnabled(id)) return false;
  switch (id) {
    case SM_ID_CALCULATOR:
      ShowCalculator();
      return true;
    case SM_ID_LIST_ADD:
      Add();
      return true;
    case SM_ID_LIST_OPEN:
      Open();
      return true;
    case SM_ID_LIST_MODIFY:
      Modify();
      return true;
    case SM_ID_LIST_DELETE:
      Delete();
      return true;
    case SM_ID_EDIT_COPY:
      Copy();
      return true;
    case SM_ID_EDIT_CUT:
      Cut();
      return true;
    case SM_ID_EDIT_PASTE:
      Paste();
      return true;
    case SM_ID_HELP:
      SmShowHelp();
      return true;
    default:
      return OnCommand(id);
  }
}

void CSmTreeCtrl::ShowCalculator() {
  CSmCalcDlg calc(false, {});
  calc.DoModal();
}

int CSmTreeCtrl::GetSiblingTexts(std::vector<std::string>& texts,
                                 const QTreeWidgetItem* item) const {
  texts.clear();
  if (!item) item = currentItem();
  if (!item) return 0;
  const QTreeWidgetItem* parent = item->parent();
  const int count = parent ? parent->childCount() : topLevelItemCount();
  auto* self = const_cast<QTreeWidgetItem*>(item);  // Qt's index look-ups take no const item
  const int first = parent ? parent->indexOfChild(self) : indexOfTopLevelItem(self);
  for (int i = first; i < count; ++i) {
    const QTreeWidgetItem* sibling = parent ? parent->child(i) : topLevelItem(i);
    texts.insert(texts.begin(), sibling->text(0).toStdString());
  }
  return static_cast<int>(texts.size());
}

int CSmTreeCtrl::GetClipboardRows(std::vector<std::string>& rows) const {
  return GetSiblingTexts(rows);
}

bool CSmTreeCtrl::CopyToClipboard(bool cut) {
  std::vector<std::string> rows;
  GetClipboardRows(rows);
  SmCopyRowsToClipboard(m_clipboardFormat, SmSourceOf(m_db), cut, rows);
  return true;
}

int CSmTreeCtrl::ReadClipboard(std::vector<std::string>& rows, bool& cut, bool& sameSource,
                               CSmDatabase& source) {
  SmListSource from;
  const int count =
      SmParseClipboardRows(m_clipboardFormat, SmSourceOf(m_db), rows, cut, sameSource, from);
  if (count > 0) SmOpenClipboardSource(from, source);
  return count;
}

void CSmTreeCtrl::Paste() {
  std::vector<std::string> rows;
  bool cut = false;
  bool same = true;
  CSmDatabase from(0);
  if (ReadClipboard(rows, cut, same, from) > 0) InsertPastedRows(rows, cut, same, from);
}

bool CSmTreeCtrl::GetCaretText(std::string& text) const {
  const QTreeWidgetItem* item = currentItem();
  if (!item) return false;
  text = item->text(0).toStdString();
  return true;
}

void CSmTreeCtrl::OnCheckChanged(QTreeWidgetItem* item, bool checked) {
  SetDescendantsCheck(item, checked);
}

void CSmTreeCtrl::SetDescendantsCheck(QTreeWidgetItem* item, bool checked) {
  for (int i = 0; i < item->childCount(); ++i) {
    QTreeWidgetItem* child = item->child(i);
    child->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
    SetDescendantsCheck(child, checked);
  }
}

int CSmTreeCtrl::CommandOfKey(const QKeyEvent* event) {
  const bool ctrl = event->modifiers() & Qt::ControlModifier;
  const bool shift = event->modifiers() & Qt::ShiftModifier;
  switch (event->key()) {
    case Qt::Key_Delete:
      return shift ? static_cast<int>(SM_ID_EDIT_CUT) : static_cast<int>(SM_ID_LIST_DELETE);
    case Qt::Key_Home:
      return ctrl    ? static_cast<int>(SM_ID_EDIT_COPY)
             : shift ? static_cast<int>(SM_ID_EDIT_PASTE)
                     : 0;
    case Qt::Key_M:
      return ctrl ? SM_ID_LIST_MODIFY : 0;
    case Qt::Key_N:
      return ctrl ? SM_ID_LIST_ADD : 0;
    case Qt::Key_O:
      return ctrl ? SM_ID_LIST_OPEN : 0;
    case Qt::Key_C:
      return ctrl ? SM_ID_EDIT_COPY : 0;
    case Qt::Key_V:
      return ctrl ? SM_ID_EDIT_PASTE : 0;
    case Qt::Key_X:
      return ctrl ? SM_ID_EDIT_CUT : 0;
    case Qt::Key_F12:
      return SM_ID_CALCULATOR;
    case Qt::Key_F1:
      return SM_ID_HELP;  // answered here, not again by the dialog around the tree
    default:
      return 0;
  }
}

bool CSmTreeCtrl::OpenOrToggleSelected() {
  QTreeWidgetItem* item = currentItem();
  if (!item) return false;
  if (item->childCount() > 0) {
    item->setExpanded(!item->isExpanded());
    return true;
  }
  RunCommand(SM_ID_LIST_OPEN);
  return true;
}

void CSmTreeCtrl::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (enter && !(event->modifiers() & ~Qt::KeypadModifier) && OpenOrToggleSelected()) {
    event->accept();  // the dialog around the tree does not see this Enter
    return;
  }
  // A key that ran a command is done: the view's own handling would move the selection
  // (Ctrl+Home) or put the item's text on the clipboard over the rows (Ctrl+C).
  if (const int id = CommandOfKey(event); id && RunCommand(id)) {
    event->accept();
    return;
  }
  QTreeWidget::keyPressEvent(event);
}

void CSmTreeCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
  QTreeWidget::mouseDoubleClickEvent(event);
  const QTreeWidgetItem* item = currentItem();
  if (item && item->childCount() == 0 && itemAt(event->position().toPoint()) == item)
    RunCommand(SM_ID_LIST_OPEN);
}

void CSmTreeCtrl::contextMenuEvent(QContextMenuEvent* event) {
  if (QTreeWidgetItem* item = itemAt(viewport()->mapFromGlobal(event->globalPos()))) {
    setCurrentItem(item);
  }
  std::unique_ptr<QMenu> menu = CreateContextMenu();
  QAction* chosen = menu->exec(event->globalPos());
  if (chosen) RunCommand(chosen->data().toInt());
}
