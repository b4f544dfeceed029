// The drop list of a cell's choices: filled by the application view, opened under the cell,
// narrowed while the user types (by pinyin initials for letters), taken with Enter or a click.
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>

#include "core/SmString.h"
#include "forms/SmThirdView.h"

namespace {

constexpr int kListWidth = 150;
constexpr int kListHeight = 200;

bool AllLetters(const std::string& text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); });
}

}  // namespace

QListWidget* CThirdView::DropList() {
  if (m_dropList) return m_dropList;
  m_dropList = new QListWidget(this);
  m_dropList->setObjectName("1200");
  m_dropList->setGeometry(0, 0, kListWidth, kListHeight);
  m_dropList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  m_dropList->installEventFilter(this);
  m_dropList->hide();
  connect(m_dropList, &QListWidget::itemClicked, this, [this] { TakeDropItem(); });
  return m_dropList;
}

bool CThirdView::ShowDropList(int row, int column, const std::string& region) {
  if (!m_bEditable || !IsCellEditable(row, column, region)) return false;
  QListWidget* list = DropList();
  list->clear();
  QSize size(kListWidth, kListHeight);
  if (!GetDropListItems(size, row, column, region)) {
    HideDropList(false);
    return false;
  }
  CSmFormDC& dc = ScreenDC();
  const QRect cell = GetCellRect(row, column, region, dc).translated(-dc.scrollX, 0);
  const QRect client = ClientRect();
  int x = cell.left();
  int y = cell.top() + cell.height();
  if (x + size.width() > client.right()) x = client.right() - size.width();
  if (y + size.height() > client.bottom()) y = cell.top() - size.height();
  list->setGeometry(x, y, size.width(), size.height());
  list->setEnabled(true);
  list->show();
  list->raise();
  const QString text = QString::fromStdString(GetCellText(row, column, region));
  if (!text.isEmpty()) {
    for (int i = 0; i < list->count(); ++i) {
      if (!list->item(i)->text().startsWith(text, Qt::CaseInsensitive)) continue;
      list->setCurrentRow(i);
      break;
    }
  }
  return true;
}

void CThirdView::HideDropList(bool focusView) {
  if (!m_dropList || m_dropList->isHidden()) return;
  m_dropList->setEnabled(false);
  m_dropList->hide();
  if (focusView) setFocus();
}

void CThirdView::ShowDropListAtCurrent() {
  ShowDropList(m_current.row, m_current.column, m_current.region);
}

bool CThirdView::ValidateCurrentCell() {
  if (!GetCellText(m_current.row, m_current.column, m_current.region).empty()) return false;
  return ShowDropList(m_current.row, m_current.column, m_current.region);
}

bool CThirdView::SetCurrentCellText(int /*index*/, const std::string& text) {
  if (!CanEditCurrentCell()) return false;
  const SmGridCell cell = m_current;
  WriteCell(cell.row, cell.column, cell.region, LeftOfBlank(text));
  m_bModified = true;
  SetCurrentCell(cell.row, cell.column, 0, cell.region);
  return true;
}

void CThirdView::TakeDropItem() {
  if (!m_dropList) return;
  const int index = m_dropList->currentRow();
  QListWidgetItem* item = m_dropList->currentItem();
  const std::string text = item ? item->text().toStdString() : std::string();
  HideDropList(true);
  if (item) SetCurrentCellText(index, text);
}

void CThirdView::OnEnterCell(int row, int column, const std::string& region) {
  CSmFormView::OnEnterCell(row, column, region);
  if (GetCellText(row, column, region).empty()) ShowDropList(row, column, region);
}

void CThirdView::OnLeaveCell(int row, int column, const std::string& region) {
  HideDropList(false);
  CSmFormView::OnLeaveCell(row, column, region);
}

void CThirdView::NarrowDropList() {
  if (!m_dropList || m_dropList->isHidden()) return;
  const std::string typed =
      MakeUpperCopy(GetCellText(m_current.row, m_current.column, m_current.region));
  if (typed.empty()) return;
  const bool initials = AllLetters(typed);
  int front = 0;
  for (int i = 0; i < m_dropList->count(); ++i) {
    const std::string item = m_dropList->item(i)->text().toStdString();
    const std::string key = initials ? PinyinInitials(item) : MakeUpperCopy(item);
    if (key.find(typed) == std::string::npos) continue;
    m_dropList->insertItem(front++, m_dropList->takeItem(i));
  }
  if (front > 0) m_dropList->setCurrentRow(0);
}

bool CThirdView::DropListKey(int key) {
  if (!m_dropList || m_dropList->isHidden()) return false;
  switch (key) {
    case Qt::Key_Down:
      m_dropList->setFocus();
      if (m_dropList->currentRow() < 0 && m_dropList->count() > 0) m_dropList->setCurrentRow(0);
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      TakeDropItem();
      return true;
    case Qt::Key_Escape:
      HideDropList(true);
      return true;
    default:
      return false;
  }
}

bool CThirdView::eventFilter(QObject* watched, QEvent* event) {
  if (watched != m_dropList || event->type() != QEvent::KeyPress) {
    return CSmFormView::eventFilter(watched, event);
  }
  const int key = static_cast<QKeyEvent*>(event)->key();
  const bool left = key == Qt::Key_Left && m_current.column > 0;
  const bool right =
      key == Qt::Key_Right && m_current.column < LastCellOfRow(m_current.row, m_current.region);
  if (left || right) {
    // The list goes and the grid moves.
    HideDropList(true);
    OnKeyDown(key, Qt::NoModifier);
    return true;
  }
  if (key == Qt::Key_Left || key == Qt::Key_Right) return true;
  if (key == Qt::Key_Down || key == Qt::Key_Up) return false;  // the list's own moves
  return DropListKey(key);
}

void CThirdView::inputMethodEvent(QInputMethodEvent* event) {
  CSmFormView::inputMethodEvent(event);
  NarrowDropList();
}

void CThirdView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) ShowDropListAtCurrent();
  event->accept();
}

void CThirdView::wheelEvent(QWheelEvent* event) {
  HideDropList(false);
  CSmFormView::wheelEvent(event);
}

void CThirdView::resizeEvent(QResizeEvent* event) {
  HideDropList(false);
  CSmFormView::resizeEvent(event);
}
