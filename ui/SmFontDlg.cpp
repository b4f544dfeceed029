#include "ui/SmFontDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTabBar>

#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "ui/SmColorPopup.h"
#include "ui/SmFonts.h"

namespace {

const char* const kSizes[] = {"8",  "9",  "10", "11", "12", "14", "16", "18",
                              "20", "22", "24", "26", "28", "36", "48", "72"};
// The on and off codes of bold, italic, underline and strike-out.
constexpr char kOn[] = {'G', 'A', 'C', 'E'};
constexpr char kOff[] = {'H', 'B', 'D', 'F'};

QColor ToQColor(SmColorRef c) {
  return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

std::string Code(char letter) {
  return std::string{kSmFormatEsc, letter};
}

}  // namespace

bool SmHasFormatCode(const std::string& codes, char letter) {
  for (size_t i = 0; i + 1 < codes.size(); ++i) {
    if (codes[i] != kSmFormatEsc) continue;
    const char code = codes[++i];
    if (code == letter) return true;
    if (code == 'O' || code == 'P' || code == 'Q') {
      const size_t end = codes.find(kSmFormatValueEnd, i + 1);
      if (end == std::string::npos) return false;
      i = end;
    }
  }
  return false;
}

CSmFontDlg::CSmFontDlg(const SmLogFont& font, SmColorRef color, const std::string& mixedCodes,
                       QWidget* parent)
    : CSmDlg(830, parent),
      m_font(font),
      m_inColor(color),
      m_color(color),
      m_codes(mixedCodes),
      m_colorNotKept(!SmHasFormatCode(mixedCodes, 'Q')) {
  setObjectName("830");
  setWindowTitle(QStringLiteral("字体"));
  const bool flags[] = {font.weight == 700, font.italic, font.underline, font.strikeOut};
  for (int s = 0; s < 4; ++s) {
    const bool mixed = SmHasFormatCode(mixedCodes, kOn[s]) || SmHasFormatCode(mixedCodes, kOff[s]);
    m_choice[s] = mixed ? kKeep : (flags[s] ? kApply : kRemove);
  }

  auto* grid = new QGridLayout(this);
  m_face = new QComboBox(this);
  m_face->setObjectName(QString::number(kFace));
  m_size = new QComboBox(this);
  m_size->setObjectName(QString::number(kSize));
  auto* faceLabel = new QLabel(QStringLiteral("字体(&F)"), this);
  faceLabel->setBuddy(m_face);
  auto* sizeLabel = new QLabel(QStringLiteral("字号(&Z)"), this);
  sizeLabel->setBuddy(m_size);
  grid->addWidget(faceLabel, 0, 0);
  grid->addWidget(m_face, 0, 1, 1, 3);
  grid->addWidget(sizeLabel, 1, 0);
  grid->addWidget(m_size, 1, 1);

  m_tabs = new QTabBar(this);
  m_tabs->setObjectName(QString::number(kStyleTabs));
  grid->addWidget(m_tabs, 2, 0, 1, 4);
  const char* const captions[] = {"需要", "不需要", "保持原状"};
  for (int i = 0; i < 3; ++i) {
    m_checks[i] = new QCheckBox(QString::fromUtf8(captions[i]), this);
    m_checks[i]->setObjectName(QString::number(kApplyCheck + i));
    grid->addWidget(m_checks[i], 3, i);
    connect(m_checks[i], &QCheckBox::clicked, this, [this, i] { OnCommand(kApplyCheck + i); });
  }

  auto* colorButton = AddButton(kColorButton, QStringLiteral("颜色(&C)..."));
  grid->addWidget(colorButton, 4, 0);
  m_swatch = new QWidget(this);
  m_swatch->setObjectName(QString::number(kSwatch));
  m_swatch->setMinimumSize(90, 24);
  m_swatch->installEventFilter(this);
  grid->addWidget(m_swatch, 4, 1, 1, 3);

  m_preview = new QWidget(this);
  m_preview->setObjectName(QString::number(kPreview));
  m_preview->setMinimumSize(320, 80);
  m_preview->installEventFilter(this);
  grid->addWidget(m_preview, 5, 0, 1, 4);

  grid->addWidget(AddButton(SM_ID_OK, QStringLiteral("确认(&S)")), 6, 2);
  grid->addWidget(AddButton(SM_ID_CANCEL, QStringLiteral("取消(&X)")), 6, 3);

  // The lists and the choices are filled now, so the dialog answers before it is shown.
  QStringList families;
  for (const QString& family : QFontDatabase::families()) {
    if (!families.contains(family)) families << family;
  }
  const QString face = QString::fromStdString(m_font.faceName);
  if (!face.isEmpty() && !families.contains(face)) families.prepend(face);
  m_face->addItems(families);
  for (const char* size : kSizes) m_size->addItem(size);
  m_face->setCurrentIndex(SmHasFormatCode(mixedCodes, 'O') ? -1 : m_face->findText(face));
  m_size->setCurrentIndex(SmHasFormatCode(mixedCodes, 'P')
                              ? -1
                              : m_size->findText(QString::number(std::abs(m_font.height))));
  for (const char* tab : {"加粗", "斜体", "下划线", "删除线"})
    m_tabs->addTab(QString::fromUtf8(tab));
  RefreshChecks();

  connect(m_face, &QComboBox::activated, this, [this] { m_faceChosen = true; });
  connect(m_size, &QComboBox::activated, this, [this] {
    m_sizeChosen = true;
    m_colorChanged = true;
  });
  connect(m_face, &QComboBox::currentIndexChanged, m_preview, qOverload<>(&QWidget::update));
  connect(m_size, &QComboBox::currentIndexChanged, m_preview, qOverload<>(&QWidget::update));
  connect(m_tabs, &QTabBar::currentChanged, this, [this] { RefreshChecks(); });
}

void CSmFontDlg::OnInitDialog() {
  CSmDlg::OnInitDialog();
  m_face->setFocus();
}

bool CSmFontDlg::OnCommand(unsigned id) {
  switch (id) {
    case kApplyCheck:
    case kRemoveCheck:
    case kKeepCheck:
      SetChoice(static_cast<Choice>(id - kApplyCheck));
      return true;
    case kColorButton:
      OpenColorPopup();
      return true;
    default:
      return CSmDlg::OnCommand(id);
  }
}

void CSmFontDlg::SetChoice(Choice choice) {
  const int tab = std::max(0, m_tabs->currentIndex());
  m_choice[tab] = choice;
  RefreshChecks();
  m_preview->update();
}

void CSmFontDlg::RefreshChecks() {
  const int tab = std::max(0, m_tabs->currentIndex());
  for (int i = 0; i < 3; ++i) m_checks[i]->setChecked(m_choice[tab] == i);
}

void CSmFontDlg::OpenColorPopup() {
  const QPoint corner = m_swatch->mapToGlobal(QPoint(0, m_swatch->height()));
  CSmColorPopup popup(m_colorNotKept ? static_cast<long long>(m_color) : -1, corner.x(), corner.y(),
                      m_swatch->height(), this);
  const bool ok = popup.DoModal() == SM_IDOK;
  TakePopupResult(ok, popup.ColorChosen(), popup.Color());
}

void CSmFontDlg::TakePopupResult(bool ok, bool chosen, SmColorRef color) {
  if (ok) {
    m_colorNotKept = chosen;
    if (chosen) {
      m_color = color;
      m_colorChanged = true;
    }
  }
  if (!m_colorNotKept) m_color = 0xFFFFFF;
  m_swatch->update();
  m_preview->update();
}

QFont CSmFontDlg::PreviewFont() const {
  SmLogFont font = m_font;
  if (m_face->currentIndex() >= 0) font.faceName = m_face->currentText().toStdString();
  if (m_size->currentIndex() >= 0) font.height = m_size->currentText().toInt();
  if (m_choice[kBold] != kKeep) font.weight = m_choice[kBold] == kApply ? 700 : 400;
  if (m_choice[kItalic] != kKeep) font.italic = m_choice[kItalic] == kApply;
  if (m_choice[kUnderline] != kKeep) font.underline = m_choice[kUnderline] == kApply;
  if (m_choice[kStrikeOut] != kKeep) font.strikeOut = m_choice[kStrikeOut] == kApply;
  // Sizes are points: shown at the screen's resolution.
  return SmMakeFont(font, std::abs(font.height) * logicalDpiY() / 72);
}

void CSmFontDlg::PaintSwatch(QWidget* swatch) {
  QPainter painter(swatch);
  const QRect area = swatch->rect();
  painter.fillRect(area, ToQColor(SwatchColor()));
  painter.setPen(Qt::black);
  painter.drawRect(area.adjusted(0, 0, -1, -1));
  if (!m_colorNotKept)
    painter.drawText(area.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop, SwatchText());
}

void CSmFontDlg::PaintPreview(QWidget* preview) {
  QPainter painter(preview);
  QRect area = preview->rect().adjusted(2, 2, -2, -2);
  painter.fillRect(area, preview->palette().base());
  area.adjust(2, 2, -2, -2);
  painter.setClipRect(area);
  painter.setFont(PreviewFont());
  painter.setPen(ToQColor(m_colorNotKept ? m_color : m_inColor));
  painter.drawText(area, Qt::AlignLeft | Qt::AlignBottom, QStringLiteral("Vornel软件Good 598"));
}

bool CSmFontDlg::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Paint && watched == m_swatch) {
    PaintSwatch(m_swatch);
    return true;
  }
  if (event->type() == QEvent::Paint && watched == m_preview) {
    PaintPreview(m_preview);
    return true;
  }
  return CSmDlg::eventFilter(watched, event);
}

void CSmFontDlg::GetLogFont(SmLogFont& font, SmColorRef& color, std::string& codes) const {
  font = m_font;
  color = m_inColor;
  codes.clear();
  if (m_faceChosen && m_face->currentIndex() >= 0) {
    font.faceName = m_face->currentText().toStdString();
    codes += Code('O');
  }
  if (m_sizeChosen && m_size->currentIndex() >= 0) {
    font.height = m_size->currentText().toInt();
    codes += Code('P');
  }
  if (m_colorChanged && m_colorNotKept) {
    color = m_color;
    codes += Code('Q');
  }
  if (m_choice[kBold] != kKeep) {
    font.weight = m_choice[kBold] == kApply ? 700 : 400;
    codes += Code(m_choice[kBold] == kApply ? 'G' : 'H');
  }
  bool* const flags[] = {nullptr, &font.italic, &font.underline, &font.strikeOut};
  for (int s = kItalic; s <= kStrikeOut; ++s) {
    if (m_choice[s] == kKeep) continue;
    *flags[s] = m_choice[s] == kApply;
    codes += Code(m_choice[s] == kApply ? kOn[s] : kOff[s]);
  }
}
