#include "app/SmTemplateBox.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>

#include "app/SmApp.h"
#include "app/SmMainFrm.h"
#include "core/SmRegKey.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "res/SmResource.h"
#include "ui/SmDlg.h"

namespace {

constexpr int kSettingsPosition = 1;
constexpr int kMenuCountWithSettings = 5;

// The pages' scroll bars: a light groove and a darker, bordered handle, so the handle reads as
// the raised part wherever it stands.
const char* const kScrollBarStyle = R"(
QScrollBar { background: palette(base); border: 1px solid palette(mid); }
QScrollBar:vertical { width: 15px; margin: 15px 0 15px 0; }
QScrollBar:horizontal { height: 15px; margin: 0 15px 0 15px; }
QScrollBar::handle { background: palette(mid); border: 1px solid palette(dark); border-radius: 3px; }
QScrollBar::handle:hover, QScrollBar::handle:pressed { background: palette(dark); }
QScrollBar::handle:vertical { min-height: 24px; margin: 1px; }
QScrollBar::handle:horizontal { min-width: 24px; margin: 1px; }
QScrollBar::add-line, QScrollBar::sub-line {
  background: palette(button); border: 1px solid palette(mid); subcontrol-origin: margin; }
QScrollBar::sub-line:vertical { height: 15px; subcontrol-position: top; }
QScrollBar::add-line:vertical { height: 15px; subcontrol-position: bottom; }
QScrollBar::sub-line:horizontal { width: 15px; subcontrol-position: left; }
QScrollBar::add-line:horizontal { width: 15px; subcontrol-position: right; }
QScrollBar::add-page, QScrollBar::sub-page { background: none; }
)";

// Dialog 818: the new name of a module's tab.
class CSmModuleNameDlg : public CSmDlg {
 public:
  CSmModuleNameDlg(const std::string& name, QWidget* parent) : CSmDlg(818, parent) {
    setWindowTitle("修改软件模块名称");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("软件模块名称：", this));
    m_edit = new QLineEdit(QString::fromStdString(name), this);
    m_edit->setObjectName(QString::number(CSmTemplateBox::kModuleNameEdit));
    layout->addWidget(m_edit);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(AddButton(SM_ID_OK, "&S.确认"));
    buttons->addWidget(AddButton(SM_ID_CANCEL, "&X.取消"));
    layout->addLayout(buttons);
  }
  std::string Name() const { return m_edit->text().toStdString(); }

 private:
  QLineEdit* m_edit;
};

QAction* FindCommand(QMenu* menu, int id) {
  for (QAction* action : menu->actions()) {
    if (CSmCommandManager::CommandId(action) == id) return action;
  }
  return nullptr;
}

void RemoveCommand(QMenu* menu, int id) {
  if (QAction* action = FindCommand(menu, id)) menu->removeAction(action);
}

}  // namespace

CSmTemplateBox::CSmTemplateBox(QWidget* parent) : CSmBar(parent) {}

bool CSmTemplateBox::Create(CSmMainFrm* frame) {
  if (!CSmBar::Create(frame, SM_ID_TEMPLATE_BOX, "文档模板目录", 250, 200)) return false;
  Client()->setStyleSheet(kScrollBarStyle);
  m_tabs = new QTabWidget(Client());
  m_tabs->setObjectName(QString::number(kTabControl));
  m_tabs->setTabPosition(QTabWidget::South);
  m_tabs->setIconSize(QSize(16, 16));
  connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) {
    if (index >= 0 && index != m_page) SelectPage(index);
  });
  CSmApp* app = SmGetApp();
  if (!app) return true;
  for (CSmDataType* type : app->m_dataTypes) {
    if (!type->CreatePage(this)) return false;
    // A page shows once the log-in has built the tabs and selected it.
    if (type->m_page) type->m_page->hide();
  }
  return true;
}

int CSmTemplateBox::GetPageCount() const {
  return m_tabs ? m_tabs->count() : 0;
}

void CSmTemplateBox::RebuildTabs() {
  const QSignalBlocker block(m_tabs);
  while (m_tabs->count() > 0) {
    QWidget* placeholder = m_tabs->widget(0);
    m_tabs->removeTab(0);
    delete placeholder;
  }
  m_page = -1;
  m_current = nullptr;
  CSmApp* app = SmGetApp();
  if (!app) return;
  for (CSmDataType* type : app->m_dataTypes) {
    if (type->m_pageCount > 0) AddPage(type);
  }
  m_tabs->setFont(QFont());
  app->OnTemplateBoxRebuilt(this);
  OnLayout();
}

void CSmTemplateBox::AddPage(CSmDataType* type) {
  m_current = type->m_page;
  const int index = m_tabs->count();
  // The tab holds an empty stand-in; the data type's page window lies over the tab's area.
  auto* stand = new QWidget;
  m_tabs->addTab(stand, SmLoadIcon(type->m_resourceId & 0xFFFF),
                 QString::fromStdString(type->m_tabLabel));
  if (!type->m_page) return;
  if (type->m_page->parentWidget() != Client()) type->m_page->setParent(Client());
  if (index > 0) {
    type->m_page->setEnabled(false);
    type->m_page->hide();
  }
}

void CSmTemplateBox::SelectPage(int page) {
  CSmApp* app = SmGetApp();
  if (!app) return;
  CSmDataType* selected = nullptr;
  int n = 0;
  for (CSmDataType* type : app->m_dataTypes) {
    if (type->m_pageCount <= 0) continue;
    if (n++ == page) {
      selected = type;
      continue;
    }
    if (type->m_page) {
      type->m_page->hide();
      type->m_page->setEnabled(false);
    }
  }
  m_current = selected ? selected->m_page : nullptr;
  m_page = page;
  {
    const QSignalBlocker block(m_tabs);
    m_tabs->setCurrentIndex(page);
  }
  if (m_current) {
    m_current->setEnabled(true);
    m_current->show();
    m_current->raise();
  }
  OnLayout();
  RebuildMenu(selected);
}

void CSmTemplateBox::RebuildMenu(CSmDataType* type) {
  auto* frame = qobject_cast<CSmMainFrm*>(parentWidget());
  CSmApp* app = SmGetApp();
  if (!frame || !app) return;
  QMenuBar* bar = frame->menuBar();
  if (bar->actions().size() == kMenuCountWithSettings) {
    bar->removeAction(bar->actions().at(kSettingsPosition));
  }
  if (!IsSmDocumentOpen() && type) {
    if (QMenu* settings = type->GetContextMenu()) {
      settings->setTitle("设置(&S)");
      bar->insertMenu(bar->actions().at(kSettingsPosition), settings);
    }
  }
  if (QMenu* file = frame->FileMenu()) {
    CSmPrintVarList rows;
    if (app->GetPrintVariables(-1, rows) == 0) RemoveCommand(file, SM_ID_SPECIAL_PRINT);
  }
  // The System menu itself, wherever the Settings menu left it.
  if (QMenu* system = frame->SystemMenu()) {
    if (!app->HasYearFiles()) {
      RemoveCommand(system, SM_ID_CARRY_OVER);
      RemoveCommand(system, SM_ID_BIZ_MONTHS);
    }
    app->AdjustSystemMenu(system);
  }
  bar->update();
}

void CSmTemplateBox::FocusPage() {
  show();
  if (isFloating()) {
    raise();
    activateWindow();
  }
  QWidget* page = m_current ? m_current.data() : static_cast<QWidget*>(m_tabs);
  if (!page) return;
  page->setFocus(Qt::ShortcutFocusReason);
  // A list without a chosen row gets one, so that Enter opens it straight away.
  auto* list = qobject_cast<QAbstractItemView*>(page);
  if (!list || !list->model() || !list->selectionModel() || list->selectionModel()->hasSelection())
    return;
  const QModelIndex current = list->currentIndex();
  const QModelIndex row = current.isValid() ? current : list->model()->index(0, 0);
  if (row.isValid()) list->setCurrentIndex(row);
}

bool CSmTemplateBox::HasFocusInside() const {
  const QWidget* focus = QApplication::focusWidget();
  return focus && (focus == this || isAncestorOf(focus));
}

void CSmTemplateBox::OnRenamePage() {
  CSmApp* app = SmGetApp();
  CSmDataType* type = app ? app->DataTypeOfPage(m_page) : nullptr;
  if (!type) return;
  CSmModuleNameDlg dialog(type->m_tabLabel, window());
  if (dialog.DoModal() != SM_IDOK) return;
  RenamePage(dialog.Name());
}

void CSmTemplateBox::RenamePage(const std::string& label) {
  CSmApp* app = SmGetApp();
  CSmDataType* type = app ? app->DataTypeOfPage(m_page) : nullptr;
  if (!type) return;
  type->m_tabLabel = label;
  if (m_current) m_current->hide();
  m_tabs->setTabText(m_page, QString::fromStdString(label));
  if (m_current) m_current->show();
  type->SaveTabLabel();
}

void CSmTemplateBox::OnLayout() {
  if (!m_tabs) return;
  const int cx = Client()->width();
  const int cy = Client()->height();
  QRect tabs;
  QRect page;
  const int dockBar = DockBarId();
  if (dockBar == SM_DOCKBAR_TOP || dockBar == SM_DOCKBAR_BOTTOM) {
    tabs = QRect(5, 5, cx - 10, cy - 7);
    page = QRect(8, 8, cx - 16, cy - 34);
  } else if (dockBar == SM_DOCKBAR_FLOAT) {
    tabs = QRect(17, 5, cx - 25, cy - 17);
    page = QRect(20, 8, cx - 31, cy - 44);
  } else {
    // The caption strip above the client holds the gripper and buttons here.
    tabs = QRect(5, 3, cx - 17, cy - 14);
    page = QRect(8, 6, cx - 23, cy - 41);
  }
  m_tabs->setGeometry(tabs);
  // The page ends above the tabs, however high the font makes them.
  page.setBottom(std::min(page.bottom(), tabs.bottom() - m_tabs->tabBar()->sizeHint().height()));
  if (m_current) {
    m_current->setGeometry(page);
    m_current->raise();
  }
}

std::string CSmTemplateBox::StateText() const {
  const int dockBar = DockBarId();
  QSize size = IsHorizontal() ? m_horzSize : m_vertSize;
  if (dockBar != SM_DOCKBAR_FLOAT) {
    // The live size along the docking axis is the one the user left it at.
    if (IsHorizontal()) {
      size.setHeight(height());
    } else {
      size.setWidth(width());
    }
  }
  char text[64];
  std::snprintf(text, sizeof text, "%d %d %d", size.width(), size.height(), dockBar);
  return text;
}

void CSmTemplateBox::ApplyState(const std::string& state, QSize clientSize) {
  int width = 250;
  int height = 150;
  int dockBar = SM_DOCKBAR_LEFT;
  std::sscanf(state.c_str(), "%d%d%d", &width, &height, &dockBar);
  const auto inside = [](int value, int whole) {
    return value * 6 >= whole && value * 6 < whole * 5;
  };
  if (!inside(width, clientSize.width()) || !inside(height, clientSize.height())) {
    width = 250;
    height = 150;
  }
  DockAt(dockBar & 0xE81F);
  m_horzSize = m_vertSize = m_floatSize = QSize(width, height);
  ApplyRememberedSize();
}

// ---------------------------------------------------------------- the application's side

void CSmApp::ShowModulePages() {
  CSmTemplateBox* box = CSmMainFrm::TemplateBoxOf(GetMainWnd());
  for (CSmDataType* type : m_dataTypes) {
    type->m_pageCount = m_moduleInfo.ShowsType(type->m_number) ? 1 : 0;
  }
  if (!box) return;
  int page = box->GetSelectedPage();
  box->RebuildTabs();
  if (m_dataTypes.empty() || page < 0 || page >= box->GetPageCount()) {
    std::string saved;
    page = 0;
    if (CSmRegKey().Open(SM_HKEY_CURRENT_USER, GetSmRegKey(), "TemplateIndex", saved)) {
      page = std::atoi(saved.c_str());
    }
    if (page < 0 || page >= box->GetPageCount()) page = 0;
  }
  box->SelectPage(page);
  // The clerk starts from the list of the page shown.
  if (CSmDataType* type = DataTypeOfPage(page); type && type->m_page) type->m_page->setFocus();
  if (auto* frame = dynamic_cast<CSmMainFrm*>(GetMainWnd())) frame->UpdateTitle(true);
}

int CSmApp::GetSelectedPage() const {
  CSmTemplateBox* box = CSmMainFrm::TemplateBoxOf(GetMainWnd());
  return box ? box->GetSelectedPage() : -1;
}

void CSmApp::ShowTemplateBox(bool show) {
  if (CSmTemplateBox* box = CSmMainFrm::TemplateBoxOf(GetMainWnd())) box->setVisible(show);
}

void CSmApp::FocusTemplateBox() {
  ShowTemplateBox(true);
  if (CSmTemplateBox* box = CSmMainFrm::TemplateBoxOf(GetMainWnd())) box->FocusPage();
}

// Whether the box is shown, or would be once the main window is (closed boxes are hidden).
bool CSmApp::IsTemplateBoxVisible() const {
  CSmTemplateBox* box = CSmMainFrm::TemplateBoxOf(GetMainWnd());
  return box && !box->isHidden();
}

void CSmApp::ApplyTemplateBoxState() {
  auto* frame = dynamic_cast<CSmMainFrm*>(GetMainWnd());
  if (!frame || !frame->TemplateBox()) return;
  std::string state;
  if (!CSmRegKey().Open(SM_HKEY_CURRENT_USER, GetSmRegKey(), "TemplateBoxState", state)) return;
  // The frame's client area: everything below its menu.
  const QSize client(frame->width(), frame->height() - frame->menuBar()->height());
  frame->TemplateBox()->ApplyState(state, client);
}
