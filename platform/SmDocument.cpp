#include "platform/SmDocument.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMenu>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <algorithm>

#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"

// ---------------------------------------------------------------- CSmDocument

CSmDocument::~CSmDocument() {
  for (CSmView* view : m_views) view->m_document = nullptr;
}

bool CSmDocument::OnOpenDocument(const std::string& path) {
  SetPathName(path);
  m_modified = false;
  return true;
}

bool CSmDocument::OnSaveDocument(const std::string& path) {
  SetPathName(path);
  m_modified = false;
  return true;
}

bool CSmDocument::SaveModified() {
  if (!IsModified()) return true;
  const int answer =
      SmMessageBox("是否保存对“" + m_title + "”的修改？", SM_MB_YESNOCANCEL | SM_MB_ICONQUESTION);
  if (answer == SM_IDCANCEL) return false;
  if (answer == SM_IDNO) return true;
  return OnSaveDocument(m_pathName);
}

bool CSmDocument::CanCloseFrame(CSmChildFrame* /*frame*/) {
  return SaveModified();
}

void CSmDocument::OnCloseDocument() {
  if (m_closing) return;
  m_closing = true;
  const std::vector<CSmView*> views = m_views;
  for (CSmView* view : views) {
    CSmChildFrame* frame = view->GetParentFrame();
    RemoveView(view);
    if (frame) frame->close();
  }
  if (m_template) {
    m_template->RemoveDocument(this);  // destroys this document
    return;
  }
  m_closing = false;
}

void CSmDocument::SetTitle(const std::string& title) {
  m_title = title;
  for (CSmView* view : m_views) {
    if (CSmChildFrame* frame = view->GetParentFrame()) {
      frame->setWindowTitle(QString::fromStdString(title));
    }
  }
}

void CSmDocument::SetPathName(const std::string& path) {
  m_pathName = path;
  const size_t slash = path.find_last_of("/\\");
  SetTitle(slash == std::string::npos ? path : path.substr(slash + 1));
}

void CSmDocument::AddView(CSmView* view) {
  if (!view || view->m_document == this) return;
  if (view->m_document) view->m_document->RemoveView(view);
  view->m_document = this;
  m_views.push_back(view);
  view->OnAddedToDocument();
}

void CSmDocument::RemoveView(CSmView* view) {
  auto found = std::find(m_views.begin(), m_views.end(), view);
  if (found == m_views.end()) return;
  m_views.erase(found);
  view->m_document = nullptr;
  OnViewRemoved(view);
}

void CSmDocument::UpdateAllViews(CSmView* sender, long hint) {
  for (CSmView* view : m_views) {
    if (view != sender) view->OnUpdate(sender, hint);
  }
}

// ---------------------------------------------------------------- CSmView

CSmView::~CSmView() {
  CSmDocument* doc = m_document;
  if (!doc) return;
  doc->RemoveView(this);
  // The last view gone takes its document with it.
  if (doc->Views().empty()) doc->OnCloseDocument();
}

CSmChildFrame* CSmView::GetParentFrame() const {
  for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
    if (auto* frame = qobject_cast<CSmChildFrame*>(w)) return frame;
  }
  return nullptr;
}

void CSmView::AppendRoute(std::vector<CSmCmdTarget*>& route) {
  route.push_back(this);
  if (m_document) route.push_back(m_document);
}

// ---------------------------------------------------------------- CSmChildFrame

CSmChildFrame::CSmChildFrame(QWidget* parent) : QMdiSubWindow(parent) {
  setAttribute(Qt::WA_DeleteOnClose);
  // Tab goes through the views' fields; the frame around them shows no focus.
  setFocusPolicy(Qt::NoFocus);
  // Ctrl+F4 is the main window's key for every document window (see CSmFrameWnd); the system
  // menu's own close key would be a second owner of it.
  if (QMenu* menu = systemMenu()) {
    for (QAction* action : menu->actions()) action->setShortcuts({});
  }
  // The clerk's field: not the ones Qt gives the focus to while it hides the window to
  // rearrange the area, or while it activates the window, before it is the area's active one.
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget* /*old*/, QWidget* now) {
    if (now && isAncestorOf(now) && isVisible() && mdiArea() &&
        mdiArea()->activeSubWindow() == this)
      m_lastField = now;
  });
}

CSmView* CSmChildFrame::GetActiveView() const {
  if (m_activeView) return m_activeView;
  if (auto* view = qobject_cast<CSmView*>(widget())) return view;
  return widget() ? widget()->findChild<CSmView*>() : nullptr;
}

CSmDocument* CSmChildFrame::GetActiveDocument() const {
  CSmView* view = GetActiveView();
  return view ? view->GetDocument() : nullptr;
}

void CSmChildFrame::ActivateFrame() {
  show();
  if (QMdiArea* area = mdiArea()) area->setActiveSubWindow(this);
}

void CSmChildFrame::AppendRoute(std::vector<CSmCmdTarget*>& route) {
  if (CSmView* view = GetActiveView()) view->AppendRoute(route);
  route.push_back(this);
}

void CSmChildFrame::closeEvent(QCloseEvent* event) {
  CSmDocument* doc = GetActiveDocument();
  if (!doc) {
    QMdiSubWindow::closeEvent(event);
    return;
  }
  // Only the document's last frame asks; other frames just close their views.
  const auto others = std::count_if(doc->Views().begin(), doc->Views().end(),
                                    [this](CSmView* v) { return v->GetParentFrame() != this; });
  if (others == 0 && !doc->CanCloseFrame(this)) {
    event->ignore();
    return;
  }
  QMdiSubWindow::closeEvent(event);
  if (!event->isAccepted()) return;
  if (others == 0) {
    doc->OnCloseDocument();
    return;
  }
  for (CSmView* view : findChildren<CSmView*>()) {
    if (view->GetDocument() == doc) doc->RemoveView(view);
  }
}

// ---------------------------------------------------------------- CSmMultiDocTemplate

CSmMultiDocTemplate::CSmMultiDocTemplate(int resourceId, DocumentFactory document, ViewFactory view,
                                         FrameFactory frame)
    : m_resourceId(resourceId),
      m_documentFactory(std::move(document)),
      m_viewFactory(std::move(view)),
      m_frameFactory(std::move(frame)) {}

CSmMultiDocTemplate::~CSmMultiDocTemplate() {
  // Views must not reach back into documents that are going away.
  for (auto& doc : m_documents) {
    doc->m_template = nullptr;
    doc->m_closing = true;
  }
}

std::unique_ptr<CSmDocument> CSmMultiDocTemplate::CreateNewDocument() {
  return m_documentFactory ? m_documentFactory() : nullptr;
}

CSmDocument* CSmMultiDocTemplate::OpenDocumentFile(const std::string& path, bool visible) {
  std::unique_ptr<CSmDocument> owned = CreateNewDocument();
  if (!owned) return nullptr;
  owned->m_template = this;
  const bool ok = path.empty() ? owned->OnNewDocument() : owned->OnOpenDocument(path);
  if (!ok) return nullptr;
  CSmDocument* doc = AddDocument(std::move(owned));
  if (!visible) return doc;
  CSmChildFrame* frame = CreateNewFrame(doc);
  if (!frame) {
    RemoveDocument(doc);
    return nullptr;
  }
  InitialUpdateFrame(frame, doc, visible);
  return doc;
}

CSmChildFrame* CSmMultiDocTemplate::CreateNewFrame(CSmDocument* doc) {
  return AttachFrame(MakeFrame(), doc);
}

CSmChildFrame* CSmMultiDocTemplate::MakeFrame() const {
  return m_frameFactory ? m_frameFactory() : new CSmChildFrame;
}

CSmChildFrame* CSmMultiDocTemplate::AttachFrame(CSmChildFrame* frame, CSmDocument* doc) {
  if (!frame) return nullptr;
  std::unique_ptr<CSmChildFrame> owned(frame);
  if (!frame->Create()) return nullptr;
  QWidget* content = m_viewFactory ? m_viewFactory(doc, frame) : nullptr;
  if (!content) return nullptr;
  frame->SetContent(content);
  for (CSmView* view : frame->findChildren<CSmView*>()) doc->AddView(view);
  frame->setWindowTitle(QString::fromStdString(doc->GetTitle()));
  frame = owned.release();  // the MDI area (or the caller without a main frame) owns it
  if (CSmFrameWnd* main = CSmFrameWnd::Main()) main->AddChild(frame);
  return frame;
}

void CSmMultiDocTemplate::InitialUpdateFrame(CSmChildFrame* frame, CSmDocument* doc, bool visible) {
  for (CSmView* view : frame->findChildren<CSmView*>()) {
    if (view->GetDocument() == doc) view->OnInitialUpdate();
  }
  if (!visible) return;
  // The field a view chose to start in keeps the focus once the window shows, rather than the
  // first view of the window.
  const QPointer<QWidget> start = frame->focusWidget();
  frame->ActivateFrame();
  if (start && start->isVisible() && start->isEnabled()) start->setFocus(Qt::OtherFocusReason);
}

CSmDocument* CSmMultiDocTemplate::AddDocument(std::unique_ptr<CSmDocument> doc) {
  if (!doc) return nullptr;
  doc->m_template = this;
  m_documents.push_back(std::move(doc));
  return m_documents.back().get();
}

void CSmMultiDocTemplate::RemoveDocument(CSmDocument* doc) {
  auto found = std::find_if(m_documents.begin(), m_documents.end(),
                            [doc](const auto& owned) { return owned.get() == doc; });
  if (found == m_documents.end()) return;
  std::unique_ptr<CSmDocument> owned = std::move(*found);
  m_documents.erase(found);
}

bool CSmMultiDocTemplate::SaveAllModified() {
  return std::all_of(m_documents.begin(), m_documents.end(),
                     [](const auto& doc) { return doc->SaveModified(); });
}

void CSmMultiDocTemplate::CloseAllDocuments() {
  while (!m_documents.empty()) m_documents.front()->OnCloseDocument();
}

// ---------------------------------------------------------------- CSmDocManager

void CSmDocManager::AddDocTemplate(std::unique_ptr<CSmMultiDocTemplate> docTemplate) {
  if (docTemplate) m_templates.push_back(std::move(docTemplate));
}

CSmMultiDocTemplate* CSmDocManager::FindTemplate(int resourceId) const {
  for (const auto& t : m_templates) {
    if (t->GetResourceId() == resourceId) return t.get();
  }
  return nullptr;
}

bool CSmDocManager::SaveAllModified() {
  return std::all_of(m_templates.begin(), m_templates.end(),
                     [](const auto& t) { return t->SaveAllModified(); });
}

void CSmDocManager::CloseAllDocuments() {
  for (const auto& t : m_templates) t->CloseAllDocuments();
}

int CSmDocManager::DocumentCount() const {
  int count = 0;
  for (const auto& t : m_templates) count += static_cast<int>(t->Documents().size());
  return count;
}

// ---------------------------------------------------------------- CSmFrameWnd

namespace {
QPointer<CSmFrameWnd> g_mainFrame;
}

CSmFrameWnd::CSmFrameWnd(QWidget* parent) : QMainWindow(parent), m_mdiArea(new QMdiArea(this)) {
  // The documents' fields take the focus; the empty area behind them shows none.
  m_mdiArea->setFocusPolicy(Qt::NoFocus);
  setCentralWidget(m_mdiArea);
}

CSmFrameWnd::~CSmFrameWnd() {
  CSmCommandManager& commands = CSmCommandManager::Instance();
  if (commands.MainTarget() == this) commands.SetMainTarget(nullptr);
}

CSmFrameWnd* CSmFrameWnd::Main() {
  return g_mainFrame;
}

void CSmFrameWnd::MakeMain() {
  g_mainFrame = this;
  CSmCommandManager::Instance().SetMainTarget(this);
  // The document windows' keys are taken before any window's own keys and shortcuts.
  qApp->removeEventFilter(this);
  qApp->installEventFilter(this);
}

CSmChildFrame* CSmFrameWnd::GetActiveChild() const {
  QMdiSubWindow* active = m_mdiArea->activeSubWindow();
  if (!active) active = m_mdiArea->currentSubWindow();
  return qobject_cast<CSmChildFrame*>(active);
}

void CSmFrameWnd::AddChild(CSmChildFrame* child) {
  m_mdiArea->addSubWindow(child);
  m_mdiArea->setActiveSubWindow(child);
}

bool CSmFrameWnd::ActivateNextChild(bool forward) {
  QList<QMdiSubWindow*> children = m_mdiArea->subWindowList(QMdiArea::CreationOrder);
  children.removeIf([](const QMdiSubWindow* child) { return child->isHidden(); });
  const auto count = children.size();
  if (count == 0) return false;
  QMdiSubWindow* active = m_mdiArea->activeSubWindow();
  const qsizetype at = children.indexOf(active);
  // From outside the document windows (the template box) the key goes back to the active one.
  const bool inside = active && active->isAncestorOf(QApplication::focusWidget());
  if (inside && count == 1) return false;
  const qsizetype next = at < 0 ? 0 : !inside ? at : (at + (forward ? 1 : count - 1)) % count;
  QMdiSubWindow* child = children[next];
  if (child->isMinimized()) child->showNormal();
  m_mdiArea->setActiveSubWindow(child);
  FocusActiveChild();
  return true;
}

void CSmFrameWnd::FocusActiveChild() {
  QMdiSubWindow* child = m_mdiArea->activeSubWindow();
  if (!child) return;
  const auto takesFocus = [child](const QWidget* field) {
    return field && child->isAncestorOf(field) && field->isVisible() && field->isEnabled();
  };
  // The window takes the focus back where the clerk left it. Qt takes the focus out of a
  // window it deactivates and gives its first field the focus when it activates it again.
  auto* frame = qobject_cast<CSmChildFrame*>(child);
  if (QWidget* field = frame ? frame->LastField() : nullptr; takesFocus(field)) {
    field->setFocus(Qt::OtherFocusReason);
    return;
  }
  if (child->isAncestorOf(QApplication::focusWidget())) return;
  QWidget* last = child->widget() ? child->widget()->focusWidget() : nullptr;
  if (takesFocus(last)) {
    last->setFocus(Qt::OtherFocusReason);
  } else if (frame && frame->GetActiveView()) {
    frame->GetActiveView()->setFocus(Qt::OtherFocusReason);
  } else {
    child->setFocus(Qt::OtherFocusReason);
  }
}

namespace {

// The document windows that can be arranged: every one not hidden, in the order asked for.
QList<QMdiSubWindow*> ArrangedChildren(QMdiArea* area,
                                       QMdiArea::WindowOrder order = QMdiArea::CreationOrder) {
  QList<QMdiSubWindow*> children;
  for (QMdiSubWindow* child : area->subWindowList(order)) {
    if (child->isHidden()) continue;
    // A maximised or minimised window is put back to its normal state first.
    if (child->isMaximized() || child->isMinimized()) child->showNormal();
    children.push_back(child);
  }
  return children;
}

// Side by side (vertical) or one above the other (horizontal), each the full other way.
void TileChildren(QMdiArea* area, bool sideBySide) {
  const QList<QMdiSubWindow*> children = ArrangedChildren(area);
  if (children.isEmpty()) return;
  const QRect room = area->viewport()->rect();
  const int count = static_cast<int>(children.size());
  const int step = (sideBySide ? room.width() : room.height()) / count;
  for (int i = 0; i < count; ++i) {
    const QRect place = sideBySide ? QRect(room.left() + i * step, room.top(), step, room.height())
                                   : QRect(room.left(), room.top() + i * step, room.width(), step);
    children[i]->setGeometry(place);
  }
}

// Each window one title bar lower and further right than the one behind it, the front one
// last, so that every title shows. All take the same size: the area less the offsets, never
// less than two thirds of it; when there are more windows than offsets fit, the rows start
// again at the top left.
void CascadeChildren(QMdiArea* area) {
  const QList<QMdiSubWindow*> children = ArrangedChildren(area, QMdiArea::StackingOrder);
  if (children.isEmpty()) return;
  QMdiSubWindow* first = children.front();
  QStyleOptionTitleBar option;
  option.initFrom(first);
  QStyle* style = first->style();
  const int step = style->pixelMetric(QStyle::PM_TitleBarHeight, &option, first) +
                   style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, first);
  const QRect room = area->viewport()->rect();
  const int spareWidth = room.width() - room.width() * 2 / 3;
  const int spareHeight = room.height() - room.height() * 2 / 3;
  const int fitting = std::max(1, std::min(spareWidth, spareHeight) / std::max(step, 1));
  const int offsets = std::min(static_cast<int>(children.size()) - 1, fitting);
  const QSize size(room.width() - offsets * step, room.height() - offsets * step);
  for (int i = 0; i < children.size(); ++i) {
    const int shift = (i % (offsets + 1)) * step;
    children[i]->setGeometry(QRect(room.topLeft() + QPoint(shift, shift), size));
    children[i]->raise();
  }
}

constexpr const char* kWindowItem = "smWindowItem";

// The keys of the document windows.
enum class MdiKey { kNone, kClose, kNext, kPrevious };

MdiKey MdiKeyOf(const QKeyEvent& key) {
  const Qt::KeyboardModifiers modifiers =
      key.modifiers() &
      (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier | Qt::MetaModifier);
  if (key.key() == Qt::Key_F4 && modifiers == Qt::ControlModifier) return MdiKey::kClose;
  if (key.key() != Qt::Key_F6) return MdiKey::kNone;
  if (modifiers == Qt::ControlModifier) return MdiKey::kNext;
  if (modifiers == (Qt::ControlModifier | Qt::ShiftModifier)) return MdiKey::kPrevious;
  return MdiKey::kNone;
}

}  // namespace

// The frame's own window and its floating panes (the template box), not its dialogs.
bool CSmFrameWnd::OwnsWindowOf(const QWidget* widget) const {
  const QWidget* window = widget->window();
  return window == this ||
         (qobject_cast<const QDockWidget*>(window) && window->parentWidget() == this);
}

bool CSmFrameWnd::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget || !OwnsWindowOf(widget) || QApplication::activePopupWidget() ||
      QApplication::activeModalWidget())
    return false;
  const MdiKey key = MdiKeyOf(*static_cast<QKeyEvent*>(event));
  if (key == MdiKey::kNone || m_mdiArea->subWindowList().isEmpty()) return false;
  // Taken here, so that no shortcut of a menu or of the window's own system menu runs as well.
  event->accept();
  if (event->type() == QEvent::ShortcutOverride) return true;
  if (key == MdiKey::kClose) {
    CSmCommandManager::Instance().Execute(SM_ID_FILE_CLOSE);
  } else {
    ActivateNextChild(key == MdiKey::kNext);
  }
  return true;
}

bool CSmFrameWnd::OnCommand(int id) {
  switch (id) {
    case SM_ID_WINDOW_CASCADE:
      CascadeChildren(m_mdiArea);
      return true;
    case SM_ID_WINDOW_TILE_HORZ:
    case SM_ID_WINDOW_TILE_VERT:
      TileChildren(m_mdiArea, id == SM_ID_WINDOW_TILE_VERT);
      return true;
    case SM_ID_FILE_CLOSE:
      if (CSmChildFrame* child = GetActiveChild()) child->close();
      return true;
    default:
      return false;
  }
}

bool CSmFrameWnd::OnUpdateCommand(int id, CSmCmdUI& ui) {
  switch (id) {
    case SM_ID_WINDOW_CASCADE:
    case SM_ID_WINDOW_TILE_HORZ:
    case SM_ID_WINDOW_TILE_VERT:
    case SM_ID_FILE_CLOSE:
      ui.Enable(!m_mdiArea->subWindowList().isEmpty());
      return true;
    default:
      return false;
  }
}

void CSmFrameWnd::ListWindows(QMenu* menu) {
  for (QAction* action : menu->actions()) {
    if (action->property(kWindowItem).toBool()) delete action;
  }
  const QList<QMdiSubWindow*> children = m_mdiArea->subWindowList();
  if (children.isEmpty()) return;
  QAction* separator = menu->addSeparator();
  separator->setProperty(kWindowItem, true);
  QMdiSubWindow* active = m_mdiArea->activeSubWindow();
  int number = 0;
  for (QMdiSubWindow* child : children) {
    ++number;
    const QString title = child->windowTitle().replace('&', "&&");
    const QString text = number < 10 ? QString("&%1 %2").arg(number).arg(title)
                                     : QString("%1 %2").arg(number).arg(title);
    QAction* item = menu->addAction(text);
    item->setProperty(kWindowItem, true);
    item->setCheckable(true);
    item->setChecked(child == active);
    QPointer<QMdiSubWindow> target = child;
    connect(item, &QAction::triggered, this, [this, target] {
      if (!target) return;
      if (target->isMinimized()) target->showNormal();
      m_mdiArea->setActiveSubWindow(target);
    });
  }
}

void CSmFrameWnd::AppendRoute(std::vector<CSmCmdTarget*>& route) {
  if (CSmChildFrame* child = GetActiveChild()) child->AppendRoute(route);
  route.push_back(this);
}
