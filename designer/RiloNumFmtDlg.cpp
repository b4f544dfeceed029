#include "designer/RiloNumFmtDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/SmNumber.h"
#include "designer/RiloDlgParts.h"

namespace {

constexpr const char* kSample = "123.1234567";

}  // namespace

CRiloNumFmtDlg::CRiloNumFmtDlg(int minimum, int maximum, bool uniform, QWidget* parent)
    : CSmDlg(833, parent), m_minimum(minimum), m_maximum(maximum), m_text(minimum < 0) {
  if (m_text) m_minimum = m_maximum = 0;
  setObjectName("833");
  setWindowTitle(QStringLiteral("Vornel软件"));
  auto* grid = new QGridLayout(this);
  auto* title = new QLabel(QStringLiteral("单 元 数 据 格 式"), this);
  grid->addWidget(title, 0, 0, 1, 3, Qt::AlignHCenter);
  m_keepBox = new QCheckBox(QStringLiteral("保持原状"), this);
  m_keepBox->setObjectName(QString::number(kKeepFormats));
  m_numeric = new QRadioButton(QStringLiteral("&N.数值型"), this);
  m_numeric->setObjectName(QString::number(kNumeric));
  m_textButton = new QRadioButton(QStringLiteral("&C.文字型"), this);
  m_textButton->setObjectName(QString::number(kText));
  grid->addWidget(m_keepBox, 1, 0);
  grid->addWidget(m_numeric, 1, 1);
  grid->addWidget(m_textButton, 1, 2);
  auto* range = new QGroupBox(QStringLiteral("小数范围"), this);
  auto* rangeGrid = new QGridLayout(range);
  m_minEdit = new QLineEdit(range);
  m_minEdit->setObjectName(QString::number(kMinDecimals));
  m_maxEdit = new QLineEdit(range);
  m_maxEdit->setObjectName(QString::number(kMaxDecimals));
  for (QLineEdit* edit : {m_minEdit, m_maxEdit}) {
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::NoFocus);  // the edits only show the spin buttons' values
  }
  m_minSpin = RiloSpinArrows(range, kMinSpin, [this](bool up) { Step(false, up); });
  m_maxSpin = RiloSpinArrows(range, kMaxSpin, [this](bool up) { Step(true, up); });
  rangeGrid->addWidget(new QLabel(QStringLiteral("至少保留"), range), 0, 0);
  rangeGrid->addWidget(m_minEdit, 0, 1);
  rangeGrid->addWidget(m_minSpin, 0, 2);
  rangeGrid->addWidget(new QLabel(QStringLiteral("最多保留"), range), 1, 0);
  rangeGrid->addWidget(m_maxEdit, 1, 1);
  rangeGrid->addWidget(m_maxSpin, 1, 2);
  grid->addWidget(range, 2, 0, 1, 3);
  auto* previewBox = new QGroupBox(QStringLiteral("格式预览"), this);
  auto* previewLayout = new QVBoxLayout(previewBox);
  m_preview = new QWidget(previewBox);
  m_preview->setObjectName(QString::number(kPreview));
  m_preview->setMinimumSize(220, 100);
  m_preview->installEventFilter(this);
  previewLayout->addWidget(m_preview);
  grid->addWidget(previewBox, 3, 0, 1, 3);
  QPushButton* cancel = nullptr;
  QPushButton* ok = RiloOkCancel(this, &cancel);
  grid->addWidget(ok, 4, 1);
  grid->addWidget(cancel, 4, 2);

  (m_text ? m_textButton : m_numeric)->setChecked(true);
  m_keepBox->setChecked(!uniform);
  if (uniform) ShowValues();
  UpdateSpins();
  connect(m_keepBox, &QCheckBox::toggled, this, [this](bool keep) {
    if (!keep) ShowValues();
    UpdateSpins();
  });
  for (QRadioButton* button : {m_numeric, m_textButton}) {
    connect(button, &QRadioButton::toggled, this, [this] {
      m_text = m_textButton->isChecked();
      UpdateSpins();
    });
  }
}

void CRiloNumFmtDlg::ShowValues() {
  m_minEdit->setText(QString::asprintf("%d 位小数", m_minimum));
  m_maxEdit->setText(QString::asprintf("%d 位小数", m_maximum));
  m_preview->update();
}

void CRiloNumFmtDlg::UpdateSpins() {
  const bool on = !m_text && !m_keepBox->isChecked();
  m_minSpin->setEnabled(on);
  m_maxSpin->setEnabled(on);
  m_preview->update();
}

bool CRiloNumFmtDlg::Step(bool maximum, bool up) {
  int& value = maximum ? m_maximum : m_minimum;
  bool allowed = false;
  if (maximum)
    allowed = up ? m_maximum <= 5 : m_minimum < m_maximum;
  else
    allowed = up ? m_minimum <= 5 && m_minimum < m_maximum : m_minimum > 0;
  if (!allowed) {
    QApplication::beep();
    return false;
  }
  value += up ? 1 : -1;
  ShowValues();
  return true;
}

std::vector<std::string> CRiloNumFmtDlg::PreviewLines(int minimum, int maximum, bool text) {
  if (text) return {"Vornel软件公司"};
  const auto format = [&](double value) { return FormatNumber(value, 0, minimum, maximum, true); };
  const auto line = [&](int n) {
    const std::string part = std::string(kSample).substr(0, static_cast<size_t>(n));
    return part + "-->" + format(StrToDouble(part));
  };
  std::vector<std::string> lines{"123 --> " + format(123)};
  if (minimum == 0 && maximum == 0) {
    lines.push_back("123.1 --> " + format(123.1));
  } else if (minimum == maximum) {
    lines.insert(lines.end(), {line(minimum + 4), line(minimum + 5)});
  } else if (minimum > 0 && maximum == minimum + 1) {
    lines.insert(lines.end(), {line(minimum + 4), line(maximum + 4), line(maximum + 5)});
  } else if (minimum > 0) {
    lines.insert(lines.end(),
                 {line(minimum + 4), line(minimum + 5), line(maximum + 4), line(maximum + 5)});
  } else {
    lines.insert(lines.end(), {line(maximum + 4), line(maximum + 5)});
  }
  return lines;
}

bool CRiloNumFmtDlg::ValidateAndSave() {
  m_keep = m_keepBox->isChecked();
  if (!m_keep && m_text) {
    m_minimum = -1;
    m_maximum = 0;
  }
  return true;
}

bool CRiloNumFmtDlg::eventFilter(QObject* watched, QEvent* event) {
  if (watched != m_preview || event->type() != QEvent::Paint)
    return CSmDlg::eventFilter(watched, event);
  QPainter painter(m_preview);
  QRect area = m_preview->rect().adjusted(2, 2, -2, -2);
  painter.fillRect(area, m_preview->palette().base());
  area.adjust(2, 1, -2, -1);
  const int lineHeight = area.height() / 5;
  int y = area.top();
  painter.setPen(m_preview->palette().text().color());
  for (const std::string& text : PreviewLines(m_minimum, m_maximum, m_text)) {
    painter.drawText(QRect(area.left(), y, area.width(), lineHeight),
                     Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(text));
    y += lineHeight;
  }
  return true;
}
