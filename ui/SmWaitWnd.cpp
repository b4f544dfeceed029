#include "ui/SmWaitWnd.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace {
constexpr unsigned kWaitTemplate = 802;
}  // namespace

CSmWaitWnd::CSmWaitWnd() : m_wnd(std::make_unique<QDialog>(QApplication::activeWindow())) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  m_wnd->setObjectName(QString::number(kWaitTemplate));
  // The note only shows that work goes on: like a tip it floats above the window it came from
  // and never takes the keyboard from it, so that the focus is where it was when the work ends.
  m_wnd->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint);
  auto* picture = new QLabel(QStringLiteral("请稍候..."), m_wnd.get());
  picture->setObjectName(QStringLiteral("1001"));
  picture->setMargin(12);
  auto* layout = new QVBoxLayout(m_wnd.get());
  layout->addWidget(picture);
  m_wnd->adjustSize();
  if (const QScreen* screen = QApplication::primaryScreen()) {
    m_wnd->move(screen->geometry().center() - m_wnd->rect().center());
  }
  Show();
}

CSmWaitWnd::~CSmWaitWnd() {
  m_wnd.reset();
  QApplication::restoreOverrideCursor();
}

void CSmWaitWnd::Show() {
  m_wnd->show();
  m_wnd->repaint();
}

void CSmWaitWnd::Hide() {
  m_wnd->hide();
  if (QWidget* below = m_wnd->parentWidget()) below->repaint();
}
