#include "designer/RiloDlgParts.h"

#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/SmDlg.h"

QWidget* RiloSpinArrows(QWidget* parent, int id, const std::function<void(bool up)>& step) {
  auto* spin = new QWidget(parent);
  spin->setObjectName(QString::number(id));
  auto* arrows = new QVBoxLayout(spin);
  arrows->setContentsMargins(0, 0, 0, 0);
  arrows->setSpacing(0);
  for (bool up : {true, false}) {
    auto* arrow = new QToolButton(spin);
    arrow->setArrowType(up ? Qt::UpArrow : Qt::DownArrow);
    arrow->setFocusPolicy(Qt::NoFocus);
    arrow->setFixedSize(16, 11);
    arrow->setAutoRepeat(true);
    QObject::connect(arrow, &QToolButton::clicked, spin, [step, up] { step(up); });
    arrows->addWidget(arrow);
  }
  return spin;
}

QPushButton* RiloOkCancel(CSmDlg* dialog, QPushButton** cancel) {
  auto* ok = new QPushButton(QStringLiteral("确认(&S)"), dialog);
  ok->setObjectName("1");
  *cancel = new QPushButton(QStringLiteral("取消(&X)"), dialog);
  (*cancel)->setObjectName("2");
  // One width for both, whatever room the dialog's layout gives each.
  const int width = std::max(ok->sizeHint().width(), (*cancel)->sizeHint().width());
  ok->setFixedWidth(width);
  (*cancel)->setFixedWidth(width);
  QObject::connect(ok, &QPushButton::clicked, dialog, [dialog] { dialog->OnOK(); });
  QObject::connect(*cancel, &QPushButton::clicked, dialog, [dialog] { dialog->OnCancel(); });
  dialog->SetDefaultButton(1);
  return ok;
}
