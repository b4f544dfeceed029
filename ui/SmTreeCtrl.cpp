#include "ui/SmTreeCtrl.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>

#include "platform/SmCommandIds.h"
#include "ui/SmCalcDlg.h"
#include "ui/SmDlg.h"

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
      return false;  // no tree of the program takes pasted rows
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

void CSmTreeCtrl::keyPressEvent(QKeyEvent* event) {
  const bool ctrl = event->modifiers() & Qt::ControlModifier;
  const bool shift = event->modifiers() & Qt::ShiftModifier;
  int id = 0;
  switch (event->key()) {
    case Qt::Key_Delete:
      id = shift ? static_cast<int>(SM_ID_EDIT_CUT) : static_cast<int>(SM_ID_LIST_DELETE);
      break;
    case Qt::Key_M:
      if (ctrl) id = SM_ID_LIST_MODIFY;
      break;
    case Qt::Key_N:
      if (ctrl) id = SM_ID_LIST_ADD;
      break;
    case Qt::Key_O:
      if (ctrl) id = SM_ID_LIST_OPEN;
      break;
    case Qt::Key_C:
      if (ctrl) id = SM_ID_EDIT_COPY;
      break;
    case Qt::Key_X:
      if (ctrl) id = SM_ID_EDIT_CUT;
      break;
    case Qt::Key_F12:
      id = SM_ID_CALCULATOR;
      break;
    case Qt::Key_F1:
      RunCommand(SM_ID_HELP);
      return;  // answered here, not again by the dialog around the tree
    default:
      break;
  }
  if (id != 0) RunCommand(id);
  QTreeWidget::keyPressEvent(event);
}

void CSmTreeCtrl::contextMenuEvent(QContextMenuEvent* event) {
  if (QTreeWidgetItem* item = itemAt(viewport()->mapFromGlobal(event->globalPos()))) {
    setCurrentItem(item);
  }
  std::unique_ptr<QMenu> menu = CreateContextMenu();
  QAction* chosen = menu->exec(event->globalPos());
  if (chosen) RunCommand(chosen->data().toInt());
}
