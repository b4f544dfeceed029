#include "ui/SmButton.h"

#include <qdrawutil.h>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

namespace {
QPointer<CSmButton> g_hot;
}

CSmButton::CSmButton(QWidget* parent) : QToolButton(parent) {
  setFocusPolicy(Qt::TabFocus);
}

CSmButton::~CSmButton() {
  if (g_hot == this) g_hot = nullptr;
}

CSmButton* CSmButton::HotButton() {
  return g_hot;
}

void CSmButton::SetIcon(const QIcon& icon, int width, int height) {
  m_icon = icon;
  m_iconSize = QSize(width, height);
  setIcon(icon);
  setIconSize(m_iconSize);
  update();
}

void CSmButton::SetHot(bool hot) {
  if (hot) {
    if (g_hot == this) return;
    if (g_hot) g_hot->update();
    g_hot = this;
  } else if (g_hot == this) {
    g_hot = nullptr;
  }
  update();
}

void CSmButton::enterEvent(QEnterEvent* event) {
  QToolButton::enterEvent(event);
  if (!m_pressed) SetHot(true);
}

void CSmButton::leaveEvent(QEvent* event) {
  QToolButton::leaveEvent(event);
  SetHot(false);
}

void CSmButton::mousePressEvent(QMouseEvent* event) {
  m_pressed = true;
  SetHot(false);
  QToolButton::mousePressEvent(event);
}

void CSmButton::mouseReleaseEvent(QMouseEvent* event) {
  m_pressed = false;
  QToolButton::mouseReleaseEvent(event);
  if (rect().contains(event->position().toPoint())) SetHot(true);
}

void CSmButton::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  const QPalette& pal = palette();
  const QRect box = rect();
  painter.fillRect(box, pal.button());
  const bool sunk = isDown();
  QRect iconRect = box;
  if (sunk && underMouse()) iconRect.translate(1, 1);
  if (m_flat) {
    if (sunk) {
      qDrawShadeRect(&painter, box, pal, true, 1);
    } else if (g_hot == this) {
      qDrawShadeRect(&painter, box, pal, false, 1);
    }
  } else {
    qDrawWinButton(&painter, box, pal, sunk);
  }
  if (!m_icon.isNull()) {
    m_icon.paint(&painter, iconRect.adjusted(1, 1, -1, -1), Qt::AlignCenter,
                 isEnabled() ? QIcon::Normal : QIcon::Disabled);
  }
}
