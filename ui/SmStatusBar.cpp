#include "ui/SmStatusBar.h"

#include <QLabel>
#include <QStatusBar>
#include <QTimer>

#include "platform/SmDesktop.h"

namespace {

constexpr int kLockPollMs = 250;

std::vector<QLabel*> Panes(const QStatusBar* bar) {
  std::vector<QLabel*> panes;
  for (int i = 0;; ++i) {
    QLabel* pane = SmStatusPane(bar, i);
    if (!pane) return panes;
    panes.push_back(pane);
  }
}

void UpdateLockPanes(const QStatusBar* bar) {
  const std::vector<QLabel*> panes = Panes(bar);
  if (panes.size() < 2) return;
  const SmLockKeys keys = SmGetLockKeys();
  panes[panes.size() - 2]->setEnabled(keys.caps);
  panes.back()->setEnabled(keys.num);
}

}  // namespace

int SmCreateStatusPanes(QStatusBar* bar, const std::vector<const char*>& texts) {
  const int lockWidth = bar->fontMetrics().horizontalAdvance("数字") + 8;
  for (size_t i = 0; i < texts.size(); ++i) {
    auto* pane = new QLabel(QString::fromUtf8(texts[i]), bar);
    pane->setObjectName("pane" + QString::number(i));
    if (i == 0) {
      bar->addWidget(pane, 1);
      continue;
    }
    pane->setFrameShape(QFrame::Panel);
    pane->setFrameShadow(QFrame::Sunken);
    pane->setAlignment(Qt::AlignCenter);
    if (i + 2 >= texts.size()) pane->setMinimumWidth(lockWidth);
    bar->addPermanentWidget(pane);
  }
  return lockWidth;
}

QLabel* SmStatusPane(const QStatusBar* bar, int index) {
  return bar ? bar->findChild<QLabel*>("pane" + QString::number(index)) : nullptr;
}

void SmFollowLockKeys(QStatusBar* bar) {
  auto* timer = new QTimer(bar);
  QObject::connect(timer, &QTimer::timeout, bar, [bar] { UpdateLockPanes(bar); });
  timer->start(kLockPollMs);
  UpdateLockPanes(bar);
}
