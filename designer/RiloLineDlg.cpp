#include "designer/RiloLineDlg.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "designer/RiloDlgParts.h"
#include "platform/SmMessage.h"
#include "ui/SmColorPopup.h"

namespace {

// Side buttons in side order: top, bottom, left, right, inner lines.
constexpr std::array<std::pair<int, const char*>, 5> kSides{
    {{CRiloLineDlg::kTopSide, "外框上边"},
     {CRiloLineDlg::kBottomSide, "外框下边"},
     {CRiloLineDlg::kLeftSide, "外框左边"},
     {CRiloLineDlg::kRightSide, "外框右边"},
     {CRiloLineDlg::kInnerLines, "网格线"}}};
// Style buttons in choice order: none, thin, thick, dashed, unchanged.
constexpr std::array<std::pair<int, const char*>, 5> kStyles{
    {{CRiloLineDlg::kNoLine, "无  线"},
     {CRiloLineDlg::kThinLine, "细实线"},
     {CRiloLineDlg::kThickLine, "粗实线"},
     {CRiloLineDlg::kDashedLine, "虚  线"},
     {CRiloLineDlg::kKeepStyle, "保持原状"}}};

QColor ToColor(SmColor color) {
  return QColor(static_cast<int>(color & 0xFF), static_cast<int>(color >> 8 & 0xFF),
                static_cast<int>(color >> 16 & 0xFF));
}

QPushButton* Button(QWidget* parent, int id, const QString& text) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(QString::number(id));
  return button;
}

}  // namespace

CRiloLineDlg::CRiloLineDlg(const SmRiloLineSettings& read, QWidget* parent)
    : CSmDlg(828, parent), m_back(static_cast<SmColor>(read.back)), m_backApply(read.backFlag) {
  setObjectName("828");
  setWindowTitle(QStringLiteral("表线设置"));
  for (size_t s = 0; s < m_choice.size(); ++s) {
    const int style = read.style[s];
    m_choice[s] = read.styleFlag[s] && style >= 0 && style <= 3 ? style : kKeep;
    m_color[s] = static_cast<SmColor>(read.color[s]);
    m_colorApply[s] = read.colorFlag[s];
  }
  auto* grid = new QGridLayout(this);
  auto* sideBox = new QGroupBox(QStringLiteral("线位"), this);
  auto* sideLayout = new QVBoxLayout(sideBox);
  for (size_t s = 0; s < kSides.size(); ++s) {
    auto* button = new QRadioButton(QString::fromUtf8(kSides[s].second), sideBox);
    button->setObjectName(QString::number(kSides[s].first));
    connect(button, &QRadioButton::clicked, this, [this, s] { ShowSide(static_cast<int>(s)); });
    sideLayout->addWidget(button);
  }
  auto* styleBox = new QGroupBox(QStringLiteral("线型"), this);
  auto* styleLayout = new QVBoxLayout(styleBox);
  for (size_t c = 0; c < kStyles.size(); ++c) {
    m_styles[c] = new QRadioButton(QString::fromUtf8(kStyles[c].second), styleBox);
    m_styles[c]->setObjectName(QString::number(kStyles[c].first));
    connect(m_styles[c], &QRadioButton::clicked, this,
            [this, c] { ChooseStyle(static_cast<int>(c)); });
    styleLayout->addWidget(m_styles[c]);
  }
  m_lineSwatch = new QWidget(this);
  m_lineSwatch->setObjectName("1014");
  m_backSwatch = new QWidget(this);
  m_backSwatch->setObjectName("1015");
  auto* previewBox = new QGroupBox(QStringLiteral("预览"), this);
  auto* previewLayout = new QVBoxLayout(previewBox);
  m_preview = new QWidget(previewBox);
  m_preview->setObjectName("1026");
  m_preview->setMinimumSize(180, 120);
  previewLayout->addWidget(m_preview);
  for (QWidget* widget : {m_lineSwatch, m_backSwatch, m_preview}) widget->installEventFilter(this);
  m_lineSwatch->setMinimumSize(80, 22);
  m_backSwatch->setMinimumSize(80, 22);
  QPushButton* lineColor = Button(this, 43003, QStringLiteral("线色(&C)"));
  QPushButton* backColor = Button(this, 1009, QStringLiteral("背景色(&B)"));
  connect(lineColor, &QPushButton::clicked, this, [this] { OpenColorPopup(false); });
  connect(backColor, &QPushButton::clicked, this, [this] { OpenColorPopup(true); });
  QPushButton* cancel = nullptr;
  QPushButton* ok = RiloOkCancel(this, &cancel);
  grid->addWidget(sideBox, 0, 0, 3, 1);
  grid->addWidget(styleBox, 0, 1, 3, 1);
  grid->addWidget(previewBox, 0, 2, 1, 2);
  grid->addWidget(lineColor, 1, 2);
  grid->addWidget(m_lineSwatch, 1, 3);
  grid->addWidget(backColor, 2, 2);
  grid->addWidget(m_backSwatch, 2, 3);
  grid->addWidget(ok, 3, 2);
  grid->addWidget(cancel, 3, 3);
  findChild<QRadioButton*>(QString::number(kSides[0].first))->setChecked(true);
  ShowSide(0);
}

void CRiloLineDlg::ShowSide(int side) {
  m_side = side;
  m_styles[static_cast<size_t>(m_choice[static_cast<size_t>(side)])]->setChecked(true);
  m_lineSwatch->update();
  m_preview->update();
}

void CRiloLineDlg::ChooseStyle(int choice) {
  m_choice[static_cast<size_t>(m_side)] = choice;
  m_preview->update();
}

void CRiloLineDlg::OpenColorPopup(bool background) {
  QWidget* swatch = background ? m_backSwatch : m_lineSwatch;
  const bool apply = background ? m_backApply : m_colorApply[static_cast<size_t>(m_side)];
  const SmColor color = background ? m_back : m_color[static_cast<size_t>(m_side)];
  const QPoint corner = swatch->mapToGlobal(QPoint(0, swatch->height()));
  CSmColorPopup popup(apply ? static_cast<long long>(color) : -1, corner.x(), corner.y(),
                      swatch->height(), this);
  popup.DoModal();
  TakePopupResult(background, popup.ColorChosen(), popup.Color());
}

void CRiloLineDlg::TakePopupResult(bool background, bool chosen, SmColor color) {
  (background ? m_backApply : m_colorApply[static_cast<size_t>(m_side)]) = chosen;
  if (chosen) (background ? m_back : m_color[static_cast<size_t>(m_side)]) = color;
  m_lineSwatch->update();
  m_backSwatch->update();
  m_preview->update();
}

bool CRiloLineDlg::ValidateAndSave() {
  m_result = {};
  for (size_t s = 0; s < m_choice.size(); ++s) {
    m_result.styleFlag[s] = m_choice[s] != kKeep;
    m_result.style[s] = m_result.styleFlag[s] ? m_choice[s] : 0;
    m_result.color[s] = static_cast<int>(m_color[s]);
    m_result.colorFlag[s] = m_colorApply[s];
  }
  m_result.back = static_cast<int>(m_back);
  m_result.backFlag = m_backApply;
  return true;
}

bool CRiloLineDlg::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::Paint) return CSmDlg::eventFilter(watched, event);
  if (watched == m_lineSwatch) {
    const size_t side = static_cast<size_t>(m_side);
    PaintSwatch(m_lineSwatch, m_colorApply[side], m_color[side]);
  } else if (watched == m_backSwatch) {
    PaintSwatch(m_backSwatch, m_backApply, m_back);
  } else if (watched == m_preview) {
    PaintPreview(m_preview);
  }
  return true;
}

void CRiloLineDlg::PaintSwatch(QWidget* swatch, bool apply, SmColor color) {
  QPainter painter(swatch);
  const QRect area = swatch->rect().adjusted(2, 2, -2, -2);
  painter.fillRect(area, apply ? ToColor(color) : QColor(Qt::white));
  if (!apply) {
    painter.setPen(Qt::black);
    painter.drawText(area, Qt::AlignCenter, QStringLiteral("保持原状"));
  }
}

void CRiloLineDlg::PaintPreview(QWidget* preview) {
  QPainter painter(preview);
  QRect area = preview->rect().adjusted(2, 2, -2, -2);
  painter.fillRect(area, preview->palette().base());
  area.adjust(20, 10, -20, -10);
  // Without a background colour to show, the inner area stays white.
  painter.fillRect(area, m_backApply ? ToColor(m_back) : QColor(Qt::white));
  const QRect box = area.adjusted(4, 4, -4, -4);
  const auto line = [&](int side, QPoint from, QPoint to) {
    const int choice = m_choice[static_cast<size_t>(side)];
    if (choice == 0) return;
    QPen pen(ToColor(m_color[static_cast<size_t>(side)]), choice == 2 ? 3 : 1,
             choice == 3 ? Qt::DotLine : Qt::SolidLine);
    if (choice == 2) {
      from -= QPoint(1, 1);
      to -= QPoint(1, 1);
    }
    painter.setPen(pen);
    painter.drawLine(from, to);
  };
  const int midX = box.center().x();
  const int midY = box.center().y();
  line(4, {midX, box.top()}, {midX, box.bottom()});
  line(4, {box.left(), midY}, {box.right(), midY});
  line(2, box.topLeft(), box.bottomLeft());
  line(0, box.topLeft(), box.topRight());
  line(3, box.topRight(), box.bottomRight());
  line(1, box.bottomLeft(), box.bottomRight());
}
