#include "app/SmMainFrm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <cstdio>

#include "app/SmAboutDlg.h"
#include "app/SmApp.h"
#include "app/SmTemplateBox.h"
#include "app/SmWorkstation.h"
#include "core/SmRegKey.h"
#include "platform/SmCommandIds.h"
#include "platform/SmDesktop.h"
#include "platform/SmMessage.h"
#include "res/SmResource.h"
#include "ui/SmDlg.h"
#include "ui/SmStatusBar.h"

namespace {

constexpr int kStatusBarId = 59393;
constexpr int kToolBarId = 59392;
constexpr int kImageWidth = 13;

std::string Utf8Format(const char* format, const std::string& a, const std::string& b) {
  const int size = std::snprintf(nullptr, 0, format, a.c_str(), b.c_str());
  std::string text(static_cast<size_t>(size), '\0');
  std::snprintf(text.data(), text.size() + 1, format, a.c_str(), b.c_str());
  return text;
}

}  // namespace

CSmMainFrm::CSmMainFrm() {
  m_titleTimer.setSingleShot(true);
  m_titleTimer.setInterval(0);
  connect(&m_titleTimer, &QTimer::timeout, this, [this] { UpdateTitle(); });
}

CSmMainFrm::~CSmMainFrm() = default;

CSmTemplateBox* CSmMainFrm::TemplateBoxOf(CSmFrameWnd* frame) {
  auto* main = qobject_cast<CSmMainFrm*>(frame);
  return main ? main->m_templateBox : nullptr;
}

bool CSmMainFrm::Create() {
  // Every window without an icon of its own (document windows, dialogs) shows the program's.
  QApplication::setWindowIcon(SmProgramIcon());
  setWindowIcon(QApplication::windowIcon());
  // The menus stay in the window, where document windows put theirs in place of the frame's; a
  // desktop's global menu bar would also be looked for over the session bus on every start.
  QCoreApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
  const std::vector<QMenu*> popups = SmLoadMenu(SM_IDR_MAINFRAME, this);
  if (popups.size() != 4) return false;
  for (QMenu* popup : popups) menuBar()->addMenu(popup);
  m_menus = popups;
  m_fileMenu = popups[0];
  m_systemMenu = popups[1];
  connect(MdiArea(), &QMdiArea::subWindowActivated, this, &CSmMainFrm::OnChildActivated);
  return CreateStatusBar() && CreateToolBar() && CreateTemplateBox() && CreateClient();
}

// A document window takes the Settings menu away (or puts menus of its own in place of the
// frame's); the last one closing brings the frame's menus back.
void CSmMainFrm::OnChildActivated() {
  QMenuBar* bar = menuBar();
  if (bar->actions().isEmpty() || bar->actions().constFirst()->menu() != m_fileMenu) {
    bar->clear();
    for (QMenu* popup : m_menus) bar->addMenu(popup);
  }
  if (m_templateBox && m_templateBox->GetSelectedPage() >= 0) {
    m_templateBox->SelectPage(m_templateBox->GetSelectedPage());
  }
  if (CSmChildFrame* child = GetActiveChild()) child->OnUpdateFrameMenu(bar);
  // The title follows once the window that closed is gone: its going restores the frame's own.
  // The timer is a member, so that no window going with the frame reaches a frame half gone.
  const auto later = static_cast<void (QTimer::*)()>(&QTimer::start);
  for (QMdiSubWindow* each : MdiArea()->subWindowList())
    connect(each, &QObject::destroyed, &m_titleTimer, later, Qt::UniqueConnection);
  m_titleTimer.start();
}

void CSmMainFrm::HideOwnBars() {
  if (m_barsHidden) return;
  m_barsHidden = true;
  m_toolBarWasShown = m_toolBar && !m_toolBar->isHidden();
  m_statusBarWasShown = !statusBar()->isHidden();
  if (m_toolBar) m_toolBar->hide();
  statusBar()->hide();
}

void CSmMainFrm::RestoreOwnBars() {
  if (!m_barsHidden) return;
  m_barsHidden = false;
  if (m_toolBar && m_toolBarWasShown) m_toolBar->show();
  if (m_statusBarWasShown) statusBar()->show();
}

bool CSmMainFrm::CreateStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName(QString::number(kStatusBarId));
  CreateStatusPanes(bar);
  SmFollowLockKeys(bar);
  return true;
}

void CSmMainFrm::CreateStatusPanes(QStatusBar* bar) {
  const int narrow = SmCreateStatusPanes(bar, {"就绪", "", "大写", "数字"});
  SmStatusPane(bar, 1)->setMinimumWidth(narrow * 5);
}

QLabel* CSmMainFrm::StatusPane(int index) const {
  return SmStatusPane(statusBar(), index);
}

bool CSmMainFrm::CreateToolBar() {
  m_toolBar = new QToolBar(QString::fromUtf8("工具栏"), this);
  m_toolBar->setObjectName(QString::number(kToolBarId));
  m_toolBar->setMovable(true);
  m_toolBar->setIconSize(QSize(16, 16));
  m_toolBar->setAllowedAreas(Qt::AllToolBarAreas);
  LoadToolBar(m_toolBar, SM_IDR_MAINFRAME);
  addToolBar(Qt::TopToolBarArea, m_toolBar);
  return true;
}

bool CSmMainFrm::LoadToolBar(QToolBar* bar, int resourceId) {
  const std::vector<int> ids = SmToolBarCommands(resourceId);
  if (ids.empty()) return false;
  CSmCommandManager& commands = CSmCommandManager::Instance();
  for (int id : ids) {
    if (id == 0) {
      bar->addSeparator();
      continue;
    }
    QAction* action = commands.Action(id);
    action->setIcon(SmLoadIcon(id));
    bar->addAction(action);
  }
  commands.AttachToolBar(bar);
  return true;
}

bool CSmMainFrm::CreateTemplateBox() {
  auto* box = new CSmTemplateBox(this);
  m_templateBox = box;
  box->SetImageList(SmLoadImageList(SM_IDB_PANE_BUTTONS, kImageWidth));
  if (!box->Create(this)) return false;
  box->setAllowedAreas(Qt::AllDockWidgetAreas);
  box->DockAt(SM_DOCKBAR_LEFT);
  box->show();
  return true;
}

bool CSmMainFrm::CreateClient() {
  CSmApp* app = SmGetApp();
  if (app) m_docType = app->GetDocType();
  int mode = 0;
  std::string picture;
  std::string page;
  if (!LoadFrameBackground(mode, picture, page)) return true;
  m_mdiClient = std::make_unique<CMdiClient>();
  m_mdiClient->SubclassWindow(MdiArea());
  if (mode == 1) {
    m_mdiClient->Browser()->Navigate(page);
    return true;
  }
  const QString url = QUrl::fromLocalFile(QString::fromStdString(picture)).toString();
  m_mdiClient->m_text = Utf8Format("<html><body background=\"%s\"></body></html>",
                                   url.toHtmlEscaped().toStdString(), "");
  m_mdiClient->Browser()->LoadHtml(m_mdiClient->m_text);
  return true;
}

void CSmMainFrm::UpdateTitle(bool /*refresh*/) {
  CSmApp* app = SmGetApp();
  if (!app) return;
  CSmEnvironment& env = app->m_env;
  QString title =
      QString::fromStdString(app->GetProductTitle() + "(" + app->GetProgramKeyText() + ")：" +
                             env.GetUnitName() + "(" + env.GetDataFileName() + ")");
  // A maximised document window shows its name in the frame's title, as it does when it is
  // maximised (the window that took its place when a maximised one closed shows it too).
  if (QMdiSubWindow* child = MdiArea()->activeSubWindow(); child && child->isMaximized())
    title += QStringLiteral(" - [%1]").arg(child->windowTitle());
  // Before the first log-in the frame keeps the product's name.
  if (!env.GetDataFileName().empty()) setWindowTitle(title);
  if (QLabel* pane = StatusPane(1)) {
    pane->setText(
        QString::fromStdString("操作：" + env.GetOperatorNo() + "," + env.GetOperatorName()));
  }
}

std::unique_ptr<QMenu> CSmMainFrm::CreateContextMenu() {
  auto holder = std::make_unique<QMenu>();
  const std::vector<QMenu*> popups = SmLoadMenu(SM_IDR_FRAME_CONTEXT, holder.get());
  if (popups.empty()) return nullptr;
  QMenu* menu = popups.front();
  menu->setParent(nullptr);
  std::unique_ptr<QMenu> result(menu);
  CSmCommandManager& commands = CSmCommandManager::Instance();
  CSmApp* app = SmGetApp();
  const int pages = m_templateBox ? m_templateBox->GetPageCount() : 0;
  if (app && pages > 1) {
    QAction* before = commands.Action(SM_ID_SHOW_TOOLBAR);
    for (int page = 0; page < pages; ++page) {
      CSmDataType* type = app->DataTypeOfPage(page);
      QAction* item = commands.Register(SM_ID_SELECT_PAGE_FIRST + page, type->m_tabLabel);
      item->setCheckable(true);
      item->setChecked(page == m_templateBox->GetSelectedPage());
      menu->insertAction(before, item);
    }
    menu->insertSeparator(before);
  }
  for (int id : {SM_ID_SHOW_TOOLBAR, SM_ID_SHOW_STATUS_BAR}) {
    QAction* action = commands.Action(id);
    action->setCheckable(true);
    action->setChecked(id == SM_ID_SHOW_TOOLBAR ? m_toolBar->isVisible()
                                                : statusBar()->isVisible());
  }
  return result;
}

void CSmMainFrm::contextMenuEvent(QContextMenuEvent* event) {
  const QRect client(MdiArea()->mapTo(this, QPoint(0, 0)), MdiArea()->size());
  if (!client.contains(event->pos())) {
    CSmFrameWnd::contextMenuEvent(event);
    return;
  }
  std::unique_ptr<QMenu> menu = CreateContextMenu();
  if (menu) menu->exec(event->globalPos());
}

bool CSmMainFrm::OnCommand(int id) {
  CSmApp* app = SmGetApp();
  if (id >= SM_ID_SELECT_PAGE_FIRST && id <= SM_ID_SELECT_PAGE_LAST) {
    const int page = id - SM_ID_SELECT_PAGE_FIRST;
    if (m_templateBox && page < m_templateBox->GetPageCount()) m_templateBox->SelectPage(page);
    return true;
  }
  switch (id) {
    case SM_ID_SHOW_TOOLBAR:
      m_toolBar->setVisible(!m_toolBar->isVisible());
      return true;
    case SM_ID_SHOW_STATUS_BAR:
      statusBar()->setVisible(!statusBar()->isVisible());
      return true;
    case SM_ID_TEMPLATE_BOX:
      // The box comes with the focus; from inside it the key closes it again and goes back to
      // the document window.
      if (!m_templateBox->isVisible() || !m_templateBox->HasFocusInside()) {
        m_templateBox->FocusPage();
        return true;
      }
      m_templateBox->hide();
      FocusActiveChild();
      return true;
    case SM_ID_RENAME_PAGE:
      m_templateBox->OnRenamePage();
      return true;
    case SM_ID_PANE_HIDE:
    case SM_ID_PANE_FLOAT:
      return m_templateBox->OnCommand(id);
    case SM_ID_HOME_PAGE: {
      int mode = 1;
      std::string picture;
      std::string page;
      LoadFrameBackground(mode, picture, page, true);
      if (page.empty()) {
        SmMessageBox("没有设置主页地址。", SM_MB_OK | SM_MB_ICONINFORMATION);
      } else {
        QDesktopServices::openUrl(QUrl::fromUserInput(QString::fromStdString(page)));
      }
      return true;
    }
    case SM_ID_HELP:
      SmShowHelp();
      return true;
    case SM_ID_APP_ABOUT: {
      CSmAboutDlg dialog(app, this);
      dialog.DoModal();
      return true;
    }
    case SM_ID_APP_EXIT:
      close();
      return true;
    case SM_ID_OK:
      return SmExecuteCommand(SM_ID_FILE_OPEN);
    default:
      return CSmFrameWnd::OnCommand(id);
  }
}

bool CSmMainFrm::OnUpdateCommand(int id, CSmCmdUI& ui) {
  switch (id) {
    case SM_ID_SHOW_TOOLBAR:
      ui.SetCheck(m_toolBar->isVisible() ? 1 : 0);
      return true;
    case SM_ID_SHOW_STATUS_BAR:
      ui.SetCheck(statusBar()->isVisible() ? 1 : 0);
      return true;
    case SM_ID_TEMPLATE_BOX:
      ui.SetCheck(m_templateBox->isVisible() ? 1 : 0);
      return true;
    default:
      if (id >= SM_ID_SELECT_PAGE_FIRST && id <= SM_ID_SELECT_PAGE_LAST) {
        ui.SetCheck(m_templateBox->GetSelectedPage() == id - SM_ID_SELECT_PAGE_FIRST ? 1 : 0);
        return true;
      }
      return CSmFrameWnd::OnUpdateCommand(id, ui);
  }
}

void CSmMainFrm::SaveState() {
  CSmApp* app = SmGetApp();
  if (!app || !m_templateBox) return;
  CSmRegKey reg;
  const std::string key = app->GetSmRegKey();
  reg.SetValue(SM_HKEY_CURRENT_USER, key, "TemplateBoxState", m_templateBox->StateText());
  int page = m_templateBox->GetSelectedPage();
  if (page < 0 || page >= m_templateBox->GetPageCount()) page = 0;
  reg.SetValue(SM_HKEY_CURRENT_USER, key, "TemplateIndex", std::to_string(page));
  for (CSmDataType* type : app->m_dataTypes) type->SaveListStyle();
}

void CSmMainFrm::closeEvent(QCloseEvent* event) {
  SaveState();
  CSmWinApp* app = SmGetWinApp();
  if (app && !app->m_docManager.SaveAllModified()) {
    event->ignore();
    return;
  }
  if (app) app->m_docManager.CloseAllDocuments();
  CSmFrameWnd::closeEvent(event);
}
