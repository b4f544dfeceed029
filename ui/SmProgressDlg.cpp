#include "ui/SmProgressDlg.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QPainter>
#include <QVBoxLayout>
#include <algorithm>

CSmProgressDlg::CSmProgressDlg() : QDialog(nullptr) {
  setObjectName("801");
  auto* layout = new QVBoxLayout(this);
  m_area = new QLabel(this);
  m_area->setObjectName("1000");
  m_area->setMinimumSize(260, 22);
  layout->addWidget(m_area);
}

bool CSmProgressDlg::Create(int steps, QWidget* parent) {
  m_steps = std::max(1, steps);
  setParent(parent, Qt::Dialog);
  setModal(false);
  adjustSize();
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (!qobject_cast<QMainWindow*>(w)) continue;
    const QRect main = w->frameGeometry();
    move(main.left() + (main.width() - width()) / 2, main.bottom() - 2 * height());
    break;
  }
  return true;
}

void CSmProgressDlg::Show() {
  m_pos = 1;
  show();
  update();
}

void CSmProgressDlg::Step() {
  repaint();
  m_pos = std::min(m_pos + 1, m_steps);
}

void CSmProgressDlg::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  QPainter painter(this);
  DrawBar(painter);
}

void CSmProgressDlg::DrawBar(QPainter& painter) {
  const QRect area = m_area->geometry().adjusted(2, 2, -2, -2);
  const int filled = area.width() * std::min(m_pos, m_steps) / m_steps;
  const QRect done(area.left(), area.top(), filled, area.height());
  const QRect rest(area.left() + filled, area.top(), area.width() - filled, area.height());
  const QString text = QStringLiteral("%1％").arg(Percent());
  const QRect textRect(area.center().x() - 16, area.top(), area.width(), area.height());
  const QPalette& pal = palette();
  painter.fillRect(done, m_barColor);
  painter.fillRect(rest, pal.color(QPalette::Window));
  painter.save();
  painter.setClipRect(done);
  painter.setPen(pal.color(QPalette::Window));
  painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, text);
  painter.setClipRect(rest);
  painter.setPen(pal.color(QPalette::WindowText));
  painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, text);
  painter.restore();
}
