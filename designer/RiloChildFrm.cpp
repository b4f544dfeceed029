#include "designer/RiloChildFrm.h"

#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <algorithm>

#include "app/SmApp.h"
#include "app/SmDataType.h"
#include "app/SmMainFrm.h"
#include "designer/RiloDb.h"
#include "designer/RiloView.h"
#include "platform/SmCommandIds.h"
#include "platform/SmDesktop.h"
#include "ui/SmFonts.h"
#include "ui/SmStatusBar.h"

namespace {

constexpr int kDropDownHeight = 200;
constexpr int kPaneRows = 2;

}  // namespace

// ---------------------------------------------------------------- CRiloFormatBar

CRiloFormatBar::CRiloFormatBar(QWidget* parent) : QToolBar(parent) {}

bool CRiloFormatBar::Create() {
  const std::vector<int> ids = SmToolBarCommands(SM_IDR_RILO_FORMAT_BAR);
  if (ids.empty()) return false;
  SmLogFont logFont;
  logFont.faceName = "宋体";
  logFont.weight = 400;
  logFont.charSet = 134;  // GB2312
  logFont.pitchAndFamily = 32;
  m_font = SmMakeFont(logFont, 12);
  CSmCommandManager& commands = CSmCommandManager::Instance();
  for (int id : ids) {
    if (id == 0) {
      addSeparator();
    } else if (id == SM_ID_RILO_FACE_COMBO) {
      m_face = AddCombo(id, 110, true, true);
    } else if (id == SM_ID_RILO_SIZE_COMBO) {
      m_size = AddCombo(id, 47, true, false);
    } else if (id == SM_ID_RILO_ZOOM_COMBO) {
      m_zoom = AddCombo(id, 55, false, false);
    } else {
      const QStringList prompt = QString::fromStdString(SmLoadString(id)).split('\n');
      QAction* action = commands.Action(id);
      action->setText(prompt.last());
      action->setToolTip(prompt.last());
      action->setStatusTip(prompt.first());
      action->setIcon(SmLoadIcon(id));
      action->setCheckable(id < SM_ID_RILO_LINES_FIRST || id > SM_ID_RILO_LINES_LAST);
      addAction(action);
    }
  }
  if (!m_face || !m_size || !m_zoom) return false;
  commands.AttachToolBar(this);
  return true;
}

QComboBox* CRiloFormatBar::AddCombo(int id, int width, bool editable, bool sorted) {
  auto* combo = new QComboBox(this);
  combo->setObjectName(QString::number(id));
  combo->setEditable(editable);
  combo->setInsertPolicy(sorted ? QComboBox::InsertAlphabetically : QComboBox::InsertAtBottom);
  combo->setFixedWidth(width);
  combo->setFont(m_font);
  combo->setFocusPolicy(Qt::StrongFocus);
  combo->setMaxVisibleItems(std::max(kDropDownHeight / (QFontMetrics(m_font).height() + 4), 1));
  const QString tip = QString::fromStdString(SmLoadString(id)).section('\n', 1);
  combo->setToolTip(tip);
  combo->setStatusTip(tip);
  addWidget(combo);
  return combo;
}

void CRiloFormatBar::FillCombos() {
  if (m_face && m_face->count() == 0) {
    QStringList families = QFontDatabase::families();
    families.sort();
    m_face->addItems(families);
    m_face->setCurrentText("宋体");
  }
  if (m_size && m_size->count() == 0) {
    for (int size : {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72})
      m_size->addItem(QString::number(size));
    m_size->setCurrentText("12");
  }
  if (m_zoom && m_zoom->count() == 0) {
    for (int step = 0; step < 8; ++step) m_zoom->addItem(QString("%1%").arg(step * 25 + 25, 3));
    m_zoom->setCurrentIndex(3);  // 100%
  }
}

// ---------------------------------------------------------------- CRiloSplitter

CRiloSplitter::CRiloSplitter(QWidget* parent) : QSplitter(Qt::Vertical, parent) {
  setChildrenCollapsible(true);
  for (int r = 0; r < kPaneRows; ++r) {
    auto* row = new QSplitter(Qt::Horizontal, this);
    row->setChildrenCollapsible(true);
    for (int c = 0; c < kPaneRows; ++c) {
      auto* view = new CRiloView(row);
      view->SetPanePosition(r, c);
      row->addWidget(view);
    }
    row->setSizes({1, 0});
    addWidget(row);
    m_rows.push_back(row);
  }
  setSizes({1, 0});
  // The panes of a column keep one width.
  for (int r = 0; r < kPaneRows; ++r) {
    QSplitter* row = m_rows[static_cast<size_t>(r)];
    QSplitter* other = m_rows[static_cast<size_t>(1 - r)];
    connect(row, &QSplitter::splitterMoved, other, [this, row, other] {
      other->setSizes(row->sizes());
      UpdatePaneStops();
    });
  }
  connect(this, &QSplitter::splitterMoved, this, [this] { UpdatePaneStops(); });
  UpdatePaneStops();
}

bool CRiloSplitter::PaneIsOpen(int row, int column) const {
  const int rowHeight = sizes().value(row);
  const int width = Row(row)->sizes().value(column);
  return rowHeight > 1 && width > 1;
}

void CRiloSplitter::resizeEvent(QResizeEvent* event) {
  QSplitter::resizeEvent(event);
  UpdatePaneStops();
}

void CRiloSplitter::UpdatePaneStops() {
  for (int r = 0; r < kPaneRows; ++r) {
    for (int c = 0; c < kPaneRows; ++c)
      Pane(r, c)->setFocusPolicy(PaneIsOpen(r, c) ? Qt::StrongFocus : Qt::NoFocus);
  }
}

CRiloView* CRiloSplitter::Pane(int row, int column) const {
  return static_cast<CRiloView*>(Row(row)->widget(column));
}

// ---------------------------------------------------------------- CRiloChildFrm

CRiloChildFrm::~CRiloChildFrm() = default;

bool CRiloChildFrm::Create() {
  m_inner = new QMainWindow;
  m_inner->setWindowFlags(Qt::Widget);  // a main window makes itself a window otherwise
  setWidget(m_inner);
  if (!CreateStatusBar() || !CreateToolBar() || !CreateFormatBar()) return false;
  m_accelerators = SmLoadAccelerators(m_resourceId);
  qApp->installEventFilter(this);
  return true;
}

void CRiloChildFrm::ActivateFrame() {
  CSmChildFrm::ActivateFrame();
  if (CSmView* view = GetActiveView()) view->setFocus(Qt::OtherFocusReason);
}

bool CRiloChildFrm::CreateStatusBar() {
  QStatusBar* bar = m_inner->statusBar();
  bar->setObjectName(QString::number(SM_ID_VIEW_STATUS_BAR));
  const int lockWidth = SmCreateStatusPanes(bar, {"就绪", "", "", "大写", "数字"});
  SmStatusPane(bar, 2)->setFixedWidth(lockWidth * 5 / 2);
  SmFollowLockKeys(bar);
  return true;
}

bool CRiloChildFrm::CreateToolBar() {
  m_toolBar = new QToolBar(m_inner);
  m_toolBar->setObjectName(QString::number(SM_ID_VIEW_TOOLBAR));
  m_toolBar->setMovable(true);
  m_toolBar->setIconSize(QSize(16, 16));
  m_toolBar->setAllowedAreas(Qt::AllToolBarAreas);
  if (!CSmMainFrm::LoadToolBar(m_toolBar, m_resourceId)) return false;
  m_inner->addToolBar(Qt::TopToolBarArea, m_toolBar);
  return true;
}

bool CRiloChildFrm::CreateFormatBar() {
  m_formatBar = new CRiloFormatBar(m_inner);
  // The View menu's "对话栏(&D)" shows and hides the bar by this identifier.
  m_formatBar->setObjectName(QString::number(SM_ID_RILO_FORMAT_BAR));
  m_formatBar->setMovable(true);
  m_formatBar->setIconSize(QSize(16, 16));
  m_formatBar->setAllowedAreas(Qt::AllToolBarAreas);
  if (!m_formatBar->Create()) return false;
  m_inner->addToolBar(Qt::TopToolBarArea, m_formatBar);
  connect(m_formatBar->ZoomCombo(), &QComboBox::activated, this, [this](int index) {
    if (auto* view = qobject_cast<CRiloView*>(GetActiveView())) view->OnZoomChosen(index);
  });
  connect(m_formatBar->FaceCombo(), &QComboBox::textActivated, this, [this](const QString& face) {
    if (auto* view = qobject_cast<CRiloView*>(GetActiveView()))
      view->OnFaceChosen(face.toStdString());
  });
  connect(m_formatBar->SizeCombo(), &QComboBox::textActivated, this, [this](const QString& size) {
    if (auto* view = qobject_cast<CRiloView*>(GetActiveView()))
      view->OnSizeChosen(size.toStdString());
  });
  return true;
}

QWidget* CRiloChildFrm::CreateClient() {
  m_splitter = new CRiloSplitter;
  return m_splitter;
}

void CRiloChildFrm::SetContent(QWidget* content) {
  if (!m_inner) {
    CSmChildFrm::SetContent(content);
    return;
  }
  m_inner->setCentralWidget(content);
  if (m_splitter) {
    CRiloView* first = m_splitter->Pane(0, 0);
    m_inner->setFocusProxy(first);
    SetActiveView(first);
  }
}

QStatusBar* CRiloChildFrm::StatusBar() const {
  return m_inner ? m_inner->statusBar() : nullptr;
}

// The keys of resource 304 become commands before the view sees them; the format bar's lists
// keep their own keys.
bool CRiloChildFrm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
  auto* widget = static_cast<QWidget*>(watched);
  if (widget != this && !isAncestorOf(widget)) return false;
  if (m_formatBar && m_formatBar->isAncestorOf(widget)) return false;
  const int id = SmAcceleratorCommand(m_accelerators, *static_cast<QKeyEvent*>(event));
  if (id == 0) return false;
  CSmCommandManager::Instance().Execute(id);
  return true;
}

void CRiloChildFrm::OnUpdateFrameMenu(QMenuBar* bar) {
  if (m_menus.empty()) m_menus = SmLoadMenu(m_resourceId, this);
  if (m_menus.empty()) return;
  const QList<QAction*> shown = bar->actions();
  if (!shown.isEmpty() && shown.constFirst()->menu() == m_menus.front()) return;
  bar->clear();
  for (QMenu* menu : m_menus) bar->addMenu(menu);
  bar->update();
}

QWidget* CRiloChildFrm::BarOf(int id) const {
  if (id == SM_ID_VIEW_TOOLBAR) return m_toolBar;
  if (id == SM_ID_VIEW_STATUS_BAR) return StatusBar();
  if (id == SM_ID_RILO_FORMAT_BAR) return m_formatBar;
  return nullptr;
}

// F6 and Shift+F6: the next or previous open pane, in reading order.
void CRiloChildFrm::FocusNextPane(bool forward) {
  if (!m_splitter) return;
  std::vector<CRiloView*> open;
  for (int r = 0; r < 2; ++r) {
    for (int c = 0; c < 2; ++c) {
      if (m_splitter->PaneIsOpen(r, c)) open.push_back(m_splitter->Pane(r, c));
    }
  }
  if (open.empty()) return;
  const auto at = std::find(open.begin(), open.end(), GetActiveView());
  const int count = static_cast<int>(open.size());
  const int index = at == open.end() ? 0 : static_cast<int>(at - open.begin());
  CRiloView* next = open[static_cast<size_t>((index + (forward ? 1 : count - 1)) % count)];
  SetActiveView(next);
  next->setFocus(Qt::OtherFocusReason);
}

bool CRiloChildFrm::OnCommand(int id) {
  if (id == SM_ID_NEXT_PANE || id == SM_ID_PREV_PANE) {
    FocusNextPane(id == SM_ID_NEXT_PANE);
    return true;
  }
  // A report window's 打开 opens the report chosen in the report tree, whichever page of the
  // template box is showing.
  if (id == SM_ID_FILE_OPEN) {
    if (CSmDataType* reports = FindSmDataType(kSmReportModule)) reports->OnFileOpen();
    return true;
  }
  // 关闭 and Ctrl+F4 close the report window as its close button does, asking to save first.
  if (id == SM_ID_FILE_CLOSE) {
    close();
    return true;
  }
  QWidget* bar = BarOf(id);
  if (!bar) return CSmChildFrm::OnCommand(id);
  bar->setVisible(bar->isHidden());
  return true;
}

bool CRiloChildFrm::OnUpdateCommand(int id, CSmCmdUI& ui) {
  QWidget* bar = BarOf(id);
  if (!bar) return CSmChildFrm::OnUpdateCommand(id, ui);
  ui.SetCheck(bar->isHidden() ? 0 : 1);
  return true;
}
