#include "ui/SmListView.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QVBoxLayout>

#include "platform/SmCommandIds.h"
#include "ui/SmListPrint.h"

namespace {

// Commands of the view with their update handlers.
constexpr int kViewCommands[] = {
    SM_ID_LIST_ADD,
    SM_ID_LIST_OPEN,
    SM_ID_LIST_MODIFY,
    SM_ID_LIST_DELETE,
    SM_ID_LIST_INVERT_SELECTION,
    SM_ID_EDIT_SELECT_ALL,
    SM_ID_FILE_PRINT,
    SM_ID_FILE_PAGE_SETUP,
    SM_ID_EDIT_FIND,
    SM_ID_EDIT_REPEAT,
};
// The menu items a view leaves out, from the twelfth on.
constexpr int kFirstLeftOut = 11;
constexpr int kLeftOutCount = 7;

// The wait cursor while rows are reloaded.
class WaitCursor {
 public:
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

// ---------------------------------------------------------------- the list inside

CSmListViewCtrl::CSmListViewCtrl(CSmListView* view, QWidget* parent)
    : CSmListCtrl(parent), m_view(view) {
  SetFindColumn(0);
  setRootIsDecorated(false);
  setAllColumnsShowFocus(true);
  connect(this, &QTreeWidget::itemDoubleClicked, this, [this] { m_view->Open(); });
  connect(this, &QTreeWidget::itemSelectionChanged, this, [this] { m_view->OnSelectionChanged(); });
}

int CSmListViewCtrl::GetSelectedTexts(std::vector<std::string>& texts) const {
  return m_view->GetSelectedTexts(texts);
}
bool CSmListViewCtrl::CopyToClipboard(bool cut) {
  return m_view->CopyToClipboard(cut);
}
int CSmListViewCtrl::GetClipboardRows(std::vector<std::string>& rows) const {
  return m_view->GetClipboardRows(rows);
}
int CSmListViewCtrl::ReadClipboard(std::vector<std::string>& rows, bool& cut, bool& sameSource,
                                   CSmDatabase& source) {
  return m_view->ReadClipboard(rows, cut, sameSource, source);
}
void CSmListViewCtrl::InsertPastedRows(const std::vector<std::string>& rows, bool cut,
                                       bool sameSource, CSmDatabase& source) {
  m_view->InsertPastedRows(rows, cut, sameSource, source);
}
bool CSmListViewCtrl::IsCommandAvailable(unsigned id) {
  return m_view->IsCommandAvailable(id);
}
bool CSmListViewCtrl::IsCommandEnabled(unsigned id) {
  return m_view->IsCommandEnabled(id);
}
unsigned CSmListViewCtrl::GetClipboardFormat() {
  return m_view->GetClipboardFormat();
}
Qt::Alignment CSmListViewCtrl::GetColumnFormat(int column) {
  return m_view->GetColumnFormat(column);
}
std::vector<unsigned> CSmListViewCtrl::GetIconIds() {
  return m_view->GetIconIds();
}
bool CSmListViewCtrl::GetPrintInfo(int& key, std::string& title) {
  return m_view->GetPrintInfo(key, title);
}
void CSmListViewCtrl::Add() {
  m_view->Add();
}
void CSmListViewCtrl::Open() {
  m_view->Open();
}
void CSmListViewCtrl::Modify() {
  m_view->Modify();
}
void CSmListViewCtrl::Delete() {
  m_view->Delete();
}
void CSmListViewCtrl::Cut() {
  m_view->Cut();
}
void CSmListViewCtrl::Copy() {
  m_view->Copy();
}
void CSmListViewCtrl::Paste() {
  m_view->Paste();
}
int CSmListViewCtrl::InvertSelection() {
  return m_view->InvertSelection();
}

void CSmListViewCtrl::Print() {
  int key = 0;
  std::string title;
  if (m_view->GetPrintInfo(key, title)) SmPrintList(this, Database(), key, title);
}

void CSmListViewCtrl::PageSetup() {
  int key = 0;
  std::string title;
  if (m_view->GetPrintInfo(key, title)) SmListPageSetup(this, Database(), key, title);
}

void CSmListViewCtrl::CustomizeContextMenu(QMenu* popup) {
  const QList<QAction*> actions = popup->actions();
  for (int i = kFirstLeftOut; i < kFirstLeftOut + kLeftOutCount && i < actions.size(); ++i) {
    popup->removeAction(actions[i]);
  }
  m_view->CustomizeContextMenu(popup);
}

void CSmListViewCtrl::keyPressEvent(QKeyEvent* event) {
  const bool ctrl = event->modifiers() & Qt::ControlModifier;
  const int key = event->key();
  if (!ctrl && (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_F12)) {
    QTreeWidget::keyPressEvent(event);
    return;
  }
  if (ctrl && key == Qt::Key_A) {
    SmList_SelectAll(this);
    return;
  }
  const QString text = event->text();
  if (!ctrl && !text.isEmpty() && text.at(0).isPrint()) {
    QTreeWidget::keyPressEvent(event);  // no typed search
    return;
  }
  CSmListCtrl::keyPressEvent(event);
}

// ---------------------------------------------------------------- the view

CSmListView::CSmListView(QWidget* parent)
    : CSmView(parent), m_list(new CSmListViewCtrl(this, this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(m_list);
  setFocusProxy(m_list);
}

void CSmListView::OnAddedToDocument() {
  if (auto* host = dynamic_cast<CSmListViewHost*>(GetDocument())) host->SetListView(this);
}

void CSmListView::OnInitialUpdate() {
  CSmView::OnInitialUpdate();
  m_list->Initialize();
  std::vector<int> widths;
  std::vector<std::string> captions;
  GetColumns(widths, captions);
  m_list->SetColumns(widths, captions);
  LoadRows();
}

void CSmListView::GetColumns(std::vector<int>& widths, std::vector<std::string>& captions) {
  widths = {80, 150, 200};
  captions = {"代码", "名称", "地址"};
}

bool CSmListView::IsCommandEnabled(unsigned id) {
  if (id == SM_ID_FILE_PRINT || id == SM_ID_FILE_PAGE_SETUP) {
    int key = 0;
    std::string title;
    return GetPrintInfo(key, title) && IsCommandAvailable(id);
  }
  return m_list->BaseIsCommandEnabled(id);
}

void CSmListView::SetItems(const std::vector<std::string>& texts, int image) {
  m_list->AddRow(texts, image);
}

void CSmListView::Refresh() {
  WaitCursor wait;
  std::vector<std::string> selected;
  GetSelectedTexts(selected);
  LoadRows();
  SelectTexts(selected);
}

bool CSmListView::OnCommand(int id) {
  if (id == SM_ID_LIST_OPEN) {
    Open();
    return true;
  }
  if (id >= SM_ID_VIEW_LARGEICON && id <= SM_ID_VIEW_DETAILS) return m_list->OnCommand(id);
  for (int command : kViewCommands) {
    if (command == id) return m_list->OnCommand(static_cast<unsigned>(id));
  }
  return false;
}

bool CSmListView::OnUpdateCommand(int id, CSmCmdUI& ui) {
  for (int command : kViewCommands) {
    if (command != id) continue;
    ui.Enable(IsCommandEnabled(static_cast<unsigned>(id)));
    return true;
  }
  return false;
}
