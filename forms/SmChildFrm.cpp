#include "forms/SmChildFrm.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <algorithm>
#include <iterator>

#include "app/SmApp.h"
#include "app/SmDataType.h"
#include "app/SmMainFrm.h"
#include "platform/SmCommandIds.h"

namespace {

int FirstCommand(const QMenu* menu) {
  if (!menu || menu->actions().isEmpty()) return 0;
  return CSmCommandManager::CommandId(menu->actions().constFirst());
}

// The main menu's View popup with the frame's own toolbar and status-bar commands.
void UseFrameBarCommands(QMenu* view) {
  CSmCommandManager& commands = CSmCommandManager::Instance();
  for (QAction* action : view->actions()) {
    const int id = CSmCommandManager::CommandId(action);
    QAction* replacement = nullptr;
    if (id == SM_ID_SHOW_TOOLBAR) replacement = commands.Register(SM_ID_VIEW_TOOLBAR, "工具栏(&G)");
    if (id == SM_ID_SHOW_STATUS_BAR) {
      replacement = commands.Register(SM_ID_VIEW_STATUS_BAR, "状态栏(&S)");
    }
    if (!replacement) continue;
    replacement->setCheckable(true);
    view->insertAction(action, replacement);
    view->removeAction(action);
  }
}

// Whether Tab stops on the widget now.
bool TakesTab(const QWidget* widget) {
  return (widget->focusPolicy() & Qt::TabFocus) != 0 && !widget->focusProxy() &&
         widget->isVisible() && widget->isEnabled();
}

// The fields of a pane in their tab order. A widget holding fields (the scrolled surface of a
// card) is not a field itself.
std::vector<QWidget*> TabStops(QWidget* pane) {
  std::vector<QWidget*> stops;
  QWidget* widget = pane->nextInFocusChain();
  for (int guard = 0; widget && widget != pane && guard < 10000; ++guard) {
    if (pane->isAncestorOf(widget) && TakesTab(widget)) stops.push_back(widget);
    widget = widget->nextInFocusChain();
  }
  std::vector<QWidget*> fields;
  std::copy_if(stops.begin(), stops.end(), std::back_inserter(fields), [&stops](QWidget* stop) {
    return std::none_of(stops.begin(), stops.end(), [stop](const QWidget* other) {
      return other != stop && stop->isAncestorOf(other);
    });
  });
  return fields;
}

// The pane's field the focus goes to: its first or its last, else the pane (its focus proxy).
QWidget* PaneField(QWidget* pane, bool last) {
  const std::vector<QWidget*> stops = TabStops(pane);
  if (stops.empty()) return pane;
  return last ? stops.back() : stops.front();
}

}  // namespace

// ---------------------------------------------------------------- CSmChildFrm

void CSmChildFrm::ActivateFrame() {
  showMaximized();
  if (QMdiArea* area = mdiArea()) area->setActiveSubWindow(this);
}

// ---------------------------------------------------------------- CFormChildFrm

bool CFormChildFrm::Create() {
  m_inner = new QMainWindow;
  m_inner->setWindowFlags(Qt::Widget);  // a main window makes itself a window otherwise
  setWidget(m_inner);
  m_toolBar = new QToolBar(m_inner);
  m_toolBar->setObjectName(QString::number(SM_ID_VIEW_TOOLBAR));
  m_toolBar->setMovable(true);
  m_toolBar->setIconSize(QSize(16, 16));
  m_toolBar->setAllowedAreas(Qt::AllToolBarAreas);
  if (!CSmMainFrm::LoadToolBar(m_toolBar, m_resourceId)) return false;
  m_inner->addToolBar(Qt::TopToolBarArea, m_toolBar);
  QStatusBar* bar = m_inner->statusBar();
  bar->setObjectName(QString::number(SM_ID_VIEW_STATUS_BAR));
  CSmMainFrm::CreateStatusPanes(bar);
  if (CSmApp* app = SmGetApp()) {
    const CSmEnvironment& env = app->m_env;
    bar->findChild<QLabel*>("pane1")->setText(
        QString::fromStdString("操作：" + env.GetOperatorNo() + "," + env.GetOperatorName()));
  }
  m_accelerators = SmLoadAccelerators(m_resourceId);
  qApp->installEventFilter(this);
  return true;
}

QStatusBar* CFormChildFrm::StatusBar() const {
  return m_inner ? m_inner->statusBar() : nullptr;
}

void CFormChildFrm::SetContent(QWidget* content) {
  if (!m_inner) {
    CSmChildFrm::SetContent(content);
    return;
  }
  m_inner->setCentralWidget(content);
}

// The keys of the frame's resource are taken before the focused control sees them.
bool CFormChildFrm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
  auto* widget = static_cast<QWidget*>(watched);
  if (widget != this && !isAncestorOf(widget)) return false;
  return PreTranslateMessage(static_cast<QKeyEvent*>(event));
}

bool CFormChildFrm::PreTranslateMessage(QKeyEvent* event) {
  const int id = SmAcceleratorCommand(m_accelerators, *event);
  if (id == 0) return false;
  CSmCommandManager::Instance().Execute(id);
  return true;
}

void CFormChildFrm::LoadMenus() {
  const std::vector<QMenu*> form = SmLoadMenu(SM_IDR_FORM_MENU, this);
  const std::vector<QMenu*> main = SmLoadMenu(SM_IDR_MAINFRAME, this);
  if (form.size() < 3 || main.size() < 4) return;
  form[0]->setTitle("文件(&F)");
  form[1]->setTitle("编辑(&E)");
  form[2]->setTitle("窗口(&W)");
  main[2]->setTitle("查看(&V)");
  main[3]->setTitle("帮助(&H)");
  UseFrameBarCommands(main[2]);
  m_menus = {form[0], form[1], main[2], form[2], main[3]};
}

void CFormChildFrm::OnUpdateFrameMenu(QMenuBar* bar) {
  if (!bar->actions().isEmpty() &&
      FirstCommand(bar->actions().constFirst()->menu()) == SM_ID_LOGIN) {
    return;
  }
  if (m_menus.empty()) LoadMenus();
  if (m_menus.empty()) return;
  bar->clear();
  bar->addMenu(m_menus[0]);
  bar->addMenu(m_menus[1]);
  CSmDataType* module = GetActiveSmModule();
  if (QMenu* settings = module ? module->GetContextMenu() : nullptr) {
    // Alt+S is the documents' 确认 (S.确认, 确认(S)): the menu takes T here.
    settings->setTitle("设置(&T)");
    bar->addMenu(settings);
  }
  for (size_t i = 2; i < m_menus.size(); ++i) bar->addMenu(m_menus[i]);
  bar->update();
}

bool CFormChildFrm::OnCommand(int id) {
  if (id == SM_ID_VIEW_TOOLBAR && m_toolBar) {
    m_toolBar->setVisible(m_toolBar->isHidden());
    return true;
  }
  if (id == SM_ID_VIEW_STATUS_BAR && m_inner) {
    m_inner->statusBar()->setVisible(m_inner->statusBar()->isHidden());
    return true;
  }
  return CSmChildFrm::OnCommand(id);
}

bool CFormChildFrm::OnUpdateCommand(int id, CSmCmdUI& ui) {
  if (id == SM_ID_VIEW_TOOLBAR && m_toolBar) {
    ui.SetCheck(m_toolBar->isHidden() ? 0 : 1);
    return true;
  }
  if (id == SM_ID_VIEW_STATUS_BAR && m_inner) {
    ui.SetCheck(m_inner->statusBar()->isHidden() ? 0 : 1);
    return true;
  }
  return CSmChildFrm::OnUpdateCommand(id, ui);
}

// ---------------------------------------------------------------- CFormChildFrm1

bool CFormChildFrm1::Create() {
  if (!CFormChildFrm::Create()) return false;
  m_splitter = new QSplitter(Qt::Horizontal);
  CFormChildFrm::SetContent(m_splitter);
  // Commands go to the side the clerk works in.
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget* /*old*/, QWidget* now) {
    for (QWidget* w = now; w; w = w->parentWidget()) {
      auto* view = qobject_cast<CSmView*>(w);
      if (!view) continue;
      if (isAncestorOf(view)) SetActiveView(view);
      return;
    }
  });
  return true;
}

void CFormChildFrm1::SetContent(QWidget* content) {
  if (!m_splitter) {
    CFormChildFrm::SetContent(content);
    return;
  }
  m_splitter->addWidget(content);
}

bool CFormChildFrm1::PreTranslateMessage(QKeyEvent* event) {
  const int key = event->key();
  const Qt::KeyboardModifiers modifiers = event->modifiers();
  if ((key == Qt::Key_Tab || key == Qt::Key_Backtab) &&
      !(modifiers & (Qt::ControlModifier | Qt::AltModifier)))
    return CrossPane(key == Qt::Key_Tab && !(modifiers & Qt::ShiftModifier));
  if (key == Qt::Key_Delete) return false;
  if (modifiers & Qt::ControlModifier) {
    for (int edit : {Qt::Key_X, Qt::Key_C, Qt::Key_V, Qt::Key_Z, Qt::Key_Insert}) {
      if (key == edit) return false;
    }
  }
  if ((modifiers & Qt::ShiftModifier) && key == Qt::Key_Insert) return false;
  return CFormChildFrm::PreTranslateMessage(event);
}

bool CFormChildFrm1::OnCommand(int id) {
  if (id == SM_ID_NEXT_PANE || id == SM_ID_PREV_PANE) {
    FocusNextPane(id == SM_ID_NEXT_PANE);
    return true;
  }
  return CFormChildFrm::OnCommand(id);
}

std::vector<QWidget*> CFormChildFrm1::Panes() const {
  std::vector<QWidget*> panes;
  if (!m_splitter) return panes;
  for (int i = 0; i < m_splitter->count(); ++i) {
    QWidget* pane = m_splitter->widget(i);
    if (pane->isVisible() && pane->width() > 0 && pane->isEnabled()) panes.push_back(pane);
  }
  return panes;
}

int CFormChildFrm1::PaneOf(const QWidget* widget) const {
  const std::vector<QWidget*> panes = Panes();
  for (size_t i = 0; i < panes.size(); ++i) {
    if (panes[i] == widget || panes[i]->isAncestorOf(widget)) return static_cast<int>(i);
  }
  return -1;
}

bool CFormChildFrm1::FocusNextPane(bool forward) {
  const std::vector<QWidget*> panes = Panes();
  const int count = static_cast<int>(panes.size());
  const int at = PaneOf(QApplication::focusWidget());
  if (count == 0 || (count == 1 && at == 0)) return false;
  QWidget* pane = panes[static_cast<size_t>(at < 0 ? 0 : (at + (forward ? 1 : count - 1)) % count)];
  // Back where the clerk left the pane, while that field still takes the focus.
  QWidget* field = pane->focusWidget();
  if (!field || !pane->isAncestorOf(field) || !field->isVisible() || !field->isEnabled())
    field = PaneField(pane, false);
  field->setFocus(Qt::OtherFocusReason);
  return true;
}

bool CFormChildFrm1::CrossPane(bool forward) {
  QWidget* focus = QApplication::focusWidget();
  const std::vector<QWidget*> panes = Panes();
  const int count = static_cast<int>(panes.size());
  const int at = PaneOf(focus);
  if (at < 0 || count < 2) return false;
  const std::vector<QWidget*> stops = TabStops(panes[static_cast<size_t>(at)]);
  if (!stops.empty() && focus != (forward ? stops.back() : stops.front())) return false;
  QWidget* pane = panes[static_cast<size_t>((at + (forward ? 1 : count - 1)) % count)];
  PaneField(pane, !forward)->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
  return true;
}
