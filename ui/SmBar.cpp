#include "ui/SmBar.h"

#include <qdrawutil.h>
#include <QMainWindow>
#include <QPainter>
#include <QResizeEvent>
#include <QTimer>

#include "ui/SmButton.h"

namespace {
constexpr int kHideId = 43020;
constexpr int kFloatId = 43021;
constexpr int kCaptionExtent = 17;  // height of the caption strip, or its width when vertical
constexpr int kButtonSize = 12;
constexpr int kImageSize = 13;

int DockBarOfArea(Qt::DockWidgetArea area) {
  switch (area) {
    case Qt::TopDockWidgetArea:
      return SM_DOCKBAR_TOP;
    case Qt::LeftDockWidgetArea:
      return SM_DOCKBAR_LEFT;
    case Qt::RightDockWidgetArea:
      return SM_DOCKBAR_RIGHT;
    case Qt::BottomDockWidgetArea:
      return SM_DOCKBAR_BOTTOM;
    default:
      return SM_DOCKBAR_FLOAT;
  }
}

Qt::DockWidgetArea AreaOfDockBar(int id) {
  switch (id) {
    case SM_DOCKBAR_TOP:
      return Qt::TopDockWidgetArea;
    case SM_DOCKBAR_RIGHT:
      return Qt::RightDockWidgetArea;
    case SM_DOCKBAR_BOTTOM:
      return Qt::BottomDockWidgetArea;
    case SM_DOCKBAR_LEFT:
      return Qt::LeftDockWidgetArea;
    default:
      return Qt::NoDockWidgetArea;
  }
}

bool IsTopOrBottom(int id) {
  return id == SM_DOCKBAR_TOP || id == SM_DOCKBAR_BOTTOM;
}
}  // namespace

// The caption strip: the gripper lines and the two caption buttons while docked, the title
// while floating. Mouse presses fall through to the pane (drag to move, double click to dock or
// float).
class CSmBar::Caption : public QWidget {
 public:
  explicit Caption(CSmBar* bar) : QWidget(bar), m_bar(bar) {
    for (int id : {kHideId, kFloatId}) {
      auto* button = new CSmButton(this);
      button->setObjectName(QString::number(id));
      button->setToolTip(id == kHideId ? "Hide Docked Window" : "Minimize Docked Window");
      button->resize(kButtonSize, kButtonSize);
      connect(button, &QToolButton::clicked, bar, [bar, id] { bar->OnCommand(id); });
    }
  }

  CSmButton* Button(int id) const { return findChild<CSmButton*>(QString::number(id)); }
  bool Docked() const { return !m_bar->IsFloating(); }

  QSize sizeHint() const override { return {kCaptionExtent, kCaptionExtent}; }
  QSize minimumSizeHint() const override { return sizeHint(); }

  void Arrange() {
    const bool docked = Docked();
    const bool topOrBottom = IsTopOrBottom(m_bar->DockBarId());
    CSmButton* hide = Button(kHideId);
    CSmButton* flt = Button(kFloatId);
    hide->setVisible(docked);
    flt->setVisible(docked);
    if (!docked) {
      update();
      return;
    }
    if (topOrBottom) {
      hide->move(2, 3);
      flt->move(2, 3 + 14);
    } else {
      flt->move(width() - 31, 3);
      hide->move(width() - 31 + 14, 3);
    }
    const std::vector<QIcon>& images = m_bar->m_images;
    if (images.size() > 0) hide->SetIcon(images[0], kImageSize, kImageSize);
    const size_t floatImage = topOrBottom ? 2 : 1;
    if (images.size() > floatImage) flt->SetIcon(images[floatImage], kImageSize, kImageSize);
    update();
  }

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QWidget::resizeEvent(event);
    Arrange();
  }

  void paintEvent(QPaintEvent* /*event*/) override {
    QPainter painter(this);
    painter.fillRect(rect(), palette().button());
    if (!Docked()) {
      painter.drawText(rect().adjusted(4, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft,
                       m_bar->windowTitle());
      return;
    }
    // Two raised lines, 3 pixels wide and 4 apart, beside the buttons.
    if (IsTopOrBottom(m_bar->DockBarId())) {
      const int top = 30;
      const int bottom = height() - 1;
      for (int x : {3, 7}) {
        qDrawShadePanel(&painter, QRect(x, top, 3, bottom - top), palette(), false, 1);
      }
    } else {
      const int right = width() - 30;
      for (int y : {4, 8}) {
        qDrawShadePanel(&painter, QRect(2, y, right - 2, 3), palette(), false, 1);
      }
    }
  }

 private:
  CSmBar* m_bar;
};

CSmBar::CSmBar(QWidget* parent)
    : QDockWidget(parent), m_client(new QWidget(this)), m_caption(new Caption(this)) {
  setWidget(m_client);
  setTitleBarWidget(m_caption);
  setMinimumSize(m_minSize);
  m_client->setMinimumSize(1, 1);
  m_client->installEventFilter(this);
  connect(this, &QDockWidget::dockLocationChanged, this, [this] { OnPlaceChanged(); });
  connect(this, &QDockWidget::topLevelChanged, this, [this] { OnPlaceChanged(); });
}

CSmBar::~CSmBar() = default;

bool CSmBar::Create(QMainWindow* frame, int id, const QString& title, int width, int height) {
  if (!frame) return false;
  setParent(frame);
  setObjectName(QString::number(id));
  setWindowTitle(title);
  m_horzSize = m_vertSize = m_floatSize = QSize(width, height);
  return true;
}

std::vector<QIcon> CSmBar::SetImageList(std::vector<QIcon> images) {
  std::swap(images, m_images);
  m_caption->Arrange();
  return images;
}

CSmButton* CSmBar::CaptionButton(int id) const {
  return m_caption->Button(id);
}

bool CSmBar::HasGripper() const {
  return !IsFloating();
}

QMainWindow* CSmBar::Frame() const {
  return qobject_cast<QMainWindow*>(parentWidget());
}

int CSmBar::DockBarId() const {
  if (isFloating()) return SM_DOCKBAR_FLOAT;
  QMainWindow* frame = Frame();
  return frame ? DockBarOfArea(frame->dockWidgetArea(const_cast<CSmBar*>(this))) : SM_DOCKBAR_FLOAT;
}

bool CSmBar::IsHorizontal() const {
  return IsTopOrBottom(DockBarId());
}

void CSmBar::DockAt(int dockBarId) {
  QMainWindow* frame = Frame();
  const Qt::DockWidgetArea area = AreaOfDockBar(dockBarId);
  if (!frame || area == Qt::NoDockWidgetArea) {
    setFloating(true);
    resize(m_floatSize);
    return;
  }
  frame->addDockWidget(area, this);
  setFloating(false);
  OnPlaceChanged();
}

void CSmBar::OnPlaceChanged() {
  if (m_inPlaceChange || DockBarId() == m_lastDockBar) return;
  m_inPlaceChange = true;
  // The size it had at the old place (once shown there) is remembered for that place.
  if (!m_shownOnce || !isVisible()) {
    // Not laid out yet: nothing to remember.
  } else if (m_lastDockBar == SM_DOCKBAR_FLOAT) {
    m_floatSize = size();
  } else if (IsTopOrBottom(m_lastDockBar)) {
    m_horzSize.setHeight(height());
  } else if (m_lastDockBar != 0) {
    m_vertSize.setWidth(width());
  }
  m_lastDockBar = DockBarId();
  setFeatures(IsTopOrBottom(m_lastDockBar) ? features() | DockWidgetVerticalTitleBar
                                           : features() & ~DockWidgetVerticalTitleBar);
  ApplyRememberedSize();
  m_caption->Arrange();
  m_inPlaceChange = false;
}

void CSmBar::ApplyRememberedSize() {
  QMainWindow* frame = Frame();
  if (m_lastDockBar == SM_DOCKBAR_FLOAT) {
    resize(m_floatSize);
  } else if (frame && IsTopOrBottom(m_lastDockBar)) {
    frame->resizeDocks({this}, {std::max(m_horzSize.height(), m_minSize.height())}, Qt::Vertical);
  } else if (frame) {
    frame->resizeDocks({this}, {std::max(m_vertSize.width(), m_minSize.width())}, Qt::Horizontal);
  }
}

bool CSmBar::OnCommand(int id) {
  if (id == kHideId) {
    hide();
    return true;
  }
  if (id == kFloatId) {
    setFloating(!isFloating());
    return true;
  }
  return false;
}

void CSmBar::resizeEvent(QResizeEvent* event) {
  QDockWidget::resizeEvent(event);
  OnLayout();
}

bool CSmBar::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_client && event->type() == QEvent::Resize) OnLayout();
  return QDockWidget::eventFilter(watched, event);
}

bool CSmBar::event(QEvent* event) {
  const bool handled = QDockWidget::event(event);
  if (event->type() == QEvent::Show && !m_shownOnce) {
    // The frame lays its docks out only once it is shown: the remembered size applies now.
    m_shownOnce = true;
    QTimer::singleShot(0, this, [this] { ApplyRememberedSize(); });
  }
  if (event->type() == QEvent::Show || event->type() == QEvent::LayoutRequest) OnLayout();
  return handled;
}
