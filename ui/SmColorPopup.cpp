#include "ui/SmColorPopup.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "platform/SmMessage.h"

namespace {

constexpr int kRows = 8;

QColor ToQColor(SmColorRef c) {
  return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

}  // namespace

const std::array<SmColorRef, 16>& CSmColorPopup::Palette() {
  static const std::array<SmColorRef, 16> colors = {
      0x000000, 0xFFFFFF, 0x808080, 0xC0C0C0, 0x000080, 0x0000FF, 0x008080, 0x00FFFF,
      0x008000, 0x00FF00, 0x808000, 0xFFFF00, 0x800000, 0xFF0000, 0x800080, 0xFF00FF};
  return colors;
}

const char* CSmColorPopup::ColorName(int cell) {
  static const char* const names[] = {"黑色",   "白色", "灰色", "银色",   "深红色", "红色",
                                      "橄榄色", "黄色", "绿色", "浅绿色", "深青色", "浅青色",
                                      "藏青色", "蓝色", "紫色", "紫红色"};
  return cell >= 0 && cell < 16 ? names[cell] : "";
}

CSmColorPopup::CSmColorPopup(long long current, int left, int top, int height, QWidget* parent)
    : QDialog(parent, Qt::Popup), m_left(left), m_top(top), m_controlHeight(height) {
  setObjectName("827");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  m_frame = new QWidget(this);
  m_frame->setObjectName("1002");
  m_frame->setMinimumSize(200, kRows * 20 + 8);
  m_frame->setMouseTracking(true);
  m_frame->setFocusPolicy(Qt::StrongFocus);
  m_frame->installEventFilter(this);
  layout->addWidget(m_frame);
  auto* buttons = new QHBoxLayout;
  auto* keep = new QPushButton(QStringLiteral("保持原状"), this);
  keep->setObjectName("1008");
  auto* cancel = new QPushButton(QStringLiteral("取消选择"), this);
  cancel->setObjectName("2");
  buttons->addWidget(keep);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(keep, &QPushButton::clicked, this, [this] {
    m_chosen = false;
    accept();
  });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  const auto& colors = Palette();
  for (int i = 0; i < 16; ++i) {
    if (current >= 0 && colors[i] == static_cast<SmColorRef>(current)) m_highlight = i;
  }
}

int CSmColorPopup::DoModal() {
  return exec() == QDialog::Accepted ? SM_IDOK : SM_IDCANCEL;
}

int CSmColorPopup::PlaceTop(int top, int popupHeight, int controlHeight, int screenBottom) {
  if (top + popupHeight <= screenBottom) return top;
  return top - popupHeight - controlHeight * 5 / 4;
}

void CSmColorPopup::showEvent(QShowEvent* event) {
  adjustSize();
  const QScreen* screen = QGuiApplication::screenAt(QPoint(m_left, m_top));
  if (!screen) screen = QGuiApplication::primaryScreen();
  const int bottom = screen ? screen->geometry().bottom() + 1 : m_top + height();
  move(m_left, PlaceTop(m_top, height(), m_controlHeight, bottom));
  m_frame->setFocus();
  QDialog::showEvent(event);
}

QRect CSmColorPopup::CellRect(int cell) const {
  const QRect area = m_frame->rect().adjusted(2, 4, -2, -4);
  const int rowHeight = area.height() / kRows;
  const int w = area.width();
  const int row = cell % kRows;
  const int x0 = cell < kRows ? area.x() + 4 : area.x() + w / 2 + 3;
  const int x1 = cell < kRows ? area.x() + w / 4 + 3 : area.x() + 3 * w / 4 + 1;
  const int y0 = area.y() + row * rowHeight;
  return QRect(QPoint(x0, y0), QPoint(x1, y0 + rowHeight - 1)).adjusted(1, 1, -1, -1);
}

int CSmColorPopup::CellAt(const QPoint& point) const {
  for (int i = 0; i < 16; ++i) {
    if (CellRect(i).adjusted(-1, -1, 1, 1).contains(point)) return i;
  }
  return -1;
}

void CSmColorPopup::ChooseCell(int cell) {
  if (cell < 0 || cell >= 16) return;
  m_color = Palette()[cell];
  m_chosen = true;
  accept();
}

void CSmColorPopup::SetHighlight(int cell) {
  if (cell == m_highlight) return;
  m_highlight = cell;
  m_frame->update();
}

void CSmColorPopup::PaintCells(QWidget* frame) {
  QPainter painter(frame);
  painter.fillRect(frame->rect(), palette().window());
  const auto& colors = Palette();
  for (int i = 0; i < 16; ++i) {
    const QRect cell = CellRect(i);
    painter.fillRect(cell, ToQColor(colors[i]));
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(QRect(cell.right() + 6, cell.top(), frame->width() / 4, cell.height()),
                     Qt::AlignVCenter | Qt::AlignLeft, QString::fromUtf8(ColorName(i)));
  }
  if (m_highlight >= 0) {
    painter.setPen(QPen(Qt::black, 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(CellRect(m_highlight).adjusted(-1, -1, 1, 1));
  }
}

bool CSmColorPopup::eventFilter(QObject* watched, QEvent* event) {
  if (watched != m_frame) return QDialog::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::Paint:
      PaintCells(m_frame);
      return true;
    case QEvent::MouseMove:
      SetHighlight(CellAt(static_cast<QMouseEvent*>(event)->position().toPoint()));
      return true;
    case QEvent::MouseButtonRelease: {
      const int cell = CellAt(static_cast<QMouseEvent*>(event)->position().toPoint());
      if (cell >= 0) ChooseCell(cell);
      return true;
    }
    case QEvent::KeyPress: {
      const int key = static_cast<QKeyEvent*>(event)->key();
      const int at = m_highlight < 0 ? 0 : m_highlight;
      if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
        ChooseCell(at);
      } else if (key == Qt::Key_Up || key == Qt::Key_Down) {
        const int row = (at % kRows + (key == Qt::Key_Up ? kRows - 1 : 1)) % kRows;
        SetHighlight(at / kRows * kRows + row);
      } else if (key == Qt::Key_Left || key == Qt::Key_Right) {
        SetHighlight((at + kRows) % 16);
      } else {
        return false;
      }
      return true;
    }
    default:
      return false;
  }
}
