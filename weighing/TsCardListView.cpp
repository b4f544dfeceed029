#include "weighing/TsCardListView.h"

#include <QSignalBlocker>
#include <QSplitter>
#include <QTreeWidgetItem>
#include <vector>

#include "platform/SmCommandIds.h"
#include "platform/SmDocument.h"
#include "res/SmResource.h"
#include "ui/SmWaitWnd.h"

namespace {

bool IsCardPrintCommand(int id) {
  return id == SM_ID_FILE_PRINT || id == SM_ID_FILE_PRINT_DIRECT ||
         id == SM_ID_FILE_PRINT_PREVIEW || id == SM_ID_FILE_PAGE_SETUP;
}

}  // namespace

void CTsCardDoc::Notify(CSmView* sender, TsCardHint hint, const std::string& number) {
  m_hintNumber = number;
  UpdateAllViews(sender, hint);
}

void CTsCardDoc::ViewReady() {
  if (++m_viewsReady != 2) return;
  Notify(nullptr, kTsHintSelectLastRow);
  Notify(nullptr, kTsHintStartTyping);
}

void CTsCardListView::OnUpdate(CSmView* /*sender*/, long hint) {
  auto* doc = dynamic_cast<CTsCardDoc*>(GetDocument());
  if (!doc) return;
  switch (hint) {
    case kTsHintRowsStored: {
      const std::string number = doc->m_hintNumber;
      LoadRows();
      SelectNumber(number);
      break;
    }
    case kTsHintSelectNumber:
      SelectNumber(std::string(doc->m_hintNumber));
      break;
    case kTsHintSelectLastRow:
      SelectRow(List()->RowCount() - 1);
      break;
    case kTsHintReread:
      Refresh();
      break;
    case kTsHintShowSelection:
      OnSelectionChanged();
      break;
    case kTsHintFocusList:
      setFocus();
      break;
    default:
      break;
  }
}

bool CTsCardListView::OnCommand(int id) {
  return !IsCardPrintCommand(id) && CSmListView::OnCommand(id);
}

bool CTsCardListView::OnUpdateCommand(int id, CSmCmdUI& ui) {
  return !IsCardPrintCommand(id) && CSmListView::OnUpdateCommand(id, ui);
}

void CTsCardListView::Refresh() {
  CSmWaitWnd busy;
  std::vector<std::string> selected;
  GetSelectedTexts(selected);
  LoadRows();
  SelectTexts(selected);
  OnSelectionChanged();
}

void CTsCardListView::SelectRow(int row) {
  CSmListCtrl* list = List();
  {
    const QSignalBlocker quiet(list);
    list->clearSelection();
    if (row >= 0 && row < list->RowCount()) {
      QTreeWidgetItem* item = list->topLevelItem(row);
      list->setCurrentItem(item);
      item->setSelected(true);
      list->scrollToItem(item);
    }
  }
  OnSelectionChanged();
}

void CTsCardListView::SelectNumber(const std::string& number) {
  for (int row = 0; row < List()->RowCount(); ++row) {
    if (List()->topLevelItem(row)->text(0).toStdString() == number) return SelectRow(row);
  }
  SelectRow(List()->RowCount() - 1);
}

bool CTsCardChildFrm::Create() {
  m_resourceId = SM_IDR_EMPTY_MENU;
  return CFormChildFrm1::Create();
}

void CTsCardChildFrm::SetContent(QWidget* content) {
  CFormChildFrm1::SetContent(content);
  if (!Splitter() || Splitter()->count() < 2) return;
  const int width = CSmFrameWnd::Main() ? CSmFrameWnd::Main()->width() : 1000;
  Splitter()->setSizes({width / m_parts, width * (m_parts - 1) / m_parts});
}
