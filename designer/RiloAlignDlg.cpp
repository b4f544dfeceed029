#include "designer/RiloAlignDlg.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "designer/RiloDlgParts.h"

namespace {

constexpr std::array<const char*, 12> kTexts{
    "居左(&A)",     "居右(&B)",     "居中(&C)", "分散(&D)", "跨栏居左(&E)", "跨栏居右(&F)",
    "跨栏居中(&G)", "跨栏分散(&H)", "居中(&I)", "靠下(&J)", "靠上(&K)",     "跨行(&L)"};
// The code of each button; the vertical ones follow the eight horizontal ones.
constexpr std::array<int, 12> kCodes{0, 1, 2, 3, 4, 5, 6, 7, 0, 1, 2, 4};

}  // namespace

CRiloAlignDlg::CRiloAlignDlg(int horizontal, bool hUniform, int vertical, bool vUniform,
                             bool noSpanning, QWidget* parent)
    : CSmDlg(826, parent),
      m_horizontal(hUniform ? horizontal : -1),
      m_vertical(vUniform ? vertical : -1),
      m_applyH(hUniform),
      m_applyV(vUniform) {
  setObjectName("826");
  setWindowTitle(QStringLiteral("对齐格式"));
  auto* layout = new QGridLayout(this);
  auto* hBox = new QGroupBox(QStringLiteral("水平对齐"), this);
  auto* vBox = new QGroupBox(QStringLiteral("垂直对齐"), this);
  auto* hGrid = new QGridLayout(hBox);
  auto* vGrid = new QVBoxLayout(vBox);
  auto* hGroup = new QButtonGroup(this);
  auto* vGroup = new QButtonGroup(this);
  for (size_t i = 0; i < m_buttons.size(); ++i) {
    auto* button = new QRadioButton(QString::fromUtf8(kTexts[i]), this);
    button->setObjectName(QString::number(kLeft + static_cast<int>(i)));
    m_buttons[i] = button;
    const bool spanning = (i >= 4 && i <= 7) || i == 11;
    button->setEnabled(!(noSpanning && spanning));
    if (i < 8) {
      hGroup->addButton(button);
      hGrid->addWidget(button, static_cast<int>(i % 4), static_cast<int>(i / 4));
    } else {
      vGroup->addButton(button);
      vGrid->addWidget(button);
    }
  }
  if (m_horizontal >= 0)
    m_buttons[static_cast<size_t>(std::min(m_horizontal, 7))]->setChecked(true);
  if (m_vertical >= 0)
    m_buttons[static_cast<size_t>(8 + std::min(m_vertical, 3))]->setChecked(true);
  layout->addWidget(hBox, 0, 0, 1, 2);
  layout->addWidget(vBox, 0, 2);
  QPushButton* cancel = nullptr;
  QPushButton* ok = RiloOkCancel(this, &cancel);
  layout->addWidget(ok, 1, 1);
  layout->addWidget(cancel, 1, 2);
}

bool CRiloAlignDlg::ValidateAndSave() {
  for (size_t i = 0; i < m_buttons.size(); ++i) {
    if (!m_buttons[i]->isChecked()) continue;
    if (i < 8) {
      m_horizontal = kCodes[i];
      m_applyH = true;
    } else {
      m_vertical = kCodes[i];
      m_applyV = true;
    }
  }
  return true;
}
