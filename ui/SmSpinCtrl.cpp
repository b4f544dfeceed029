#include "ui/SmSpinCtrl.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "core/SmNumber.h"

CSmSpinCtrl::CSmSpinCtrl(QLineEdit* buddy, QWidget* parent) : QWidget(parent), m_buddy(buddy) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  const std::pair<Qt::ArrowType, int> arrows[] = {{Qt::UpArrow, 1}, {Qt::DownArrow, -1}};
  for (const auto& [arrow, delta] : arrows) {
    auto* button = new QToolButton(this);
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setFixedSize(16, 11);
    connect(button, &QToolButton::clicked, this, [this, step = delta] { Step(step); });
    layout->addWidget(button);
  }
  m_buddy->installEventFilter(this);
}

void CSmSpinCtrl::SetRange(int lower, int upper) {
  m_lower = lower;
  m_upper = upper;
}

void CSmSpinCtrl::SetPos(int value) {
  m_buddy->setText(QString::number(std::clamp(value, m_lower, std::max(m_lower, m_upper))));
}

int CSmSpinCtrl::Value(int fallback) const {
  return StrToIntDef(m_buddy->text().trimmed().toStdString(), fallback);
}

void CSmSpinCtrl::Step(int delta) {
  if (!m_buddy->isEnabled()) return;
  SetPos(Value(m_lower) + delta);
  m_buddy->selectAll();
}

bool CSmSpinCtrl::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_buddy && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
      Step(key == Qt::Key_Up ? 1 : -1);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}
