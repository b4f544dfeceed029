#include "designer/RiloSizeDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>
#include <numeric>

#include "core/SmNumber.h"
#include "core/SmString.h"
#include "designer/RiloDlgParts.h"
#include "platform/SmMessage.h"

namespace {

struct FieldIds {
  int edit;
  int spin;
  const char* label;
};
// In field order: start row, end row, height, start column, end column, width.
using Dlg = CRiloSizeDlg;
constexpr std::array<FieldIds, 6> kFields{{{Dlg::kFirstRow, 1006, "开始行"},
                                           {Dlg::kLastRow, 1008, "终止行"},
                                           {Dlg::kRowHeight, 1010, "行高"},
                                           {Dlg::kFirstColumn, 1026, "开始栏"},
                                           {Dlg::kLastColumn, 1029, "终止栏"},
                                           {Dlg::kColumnWidth, 1031, "栏宽"}}};

constexpr double kMaxSize = 200.0;  // millimetres

QString SizeText(int tenths) {
  return QString::asprintf("%.1f", tenths * 0.1);
}

QString Total(const std::vector<int>& sizes) {
  return QString::asprintf("%.1f厘米", std::accumulate(sizes.begin(), sizes.end(), 0.0) * 0.01);
}

}  // namespace

CRiloSizeDlg::CRiloSizeDlg(const SmRiloSizeRequest& request, QWidget* parent)
    : CSmDlg(829, parent),
      m_rect(request.rect),
      m_width(request.width),
      m_height(request.height),
      m_request(request),
      m_rows(static_cast<int>(request.heights.size())),
      m_cols(static_cast<int>(request.widths.size())) {
  setObjectName("829");
  setWindowTitle(QStringLiteral("行高列宽设置"));
  auto* grid = new QGridLayout(this);
  const std::array<QString, 4> totals{QStringLiteral("总 行 数:"),
                                      QString::asprintf("%d 行", m_rows),
                                      QStringLiteral("行高合计:"), Total(request.heights)};
  const std::array<QString, 4> colTotals{QStringLiteral("总 栏 数:"),
                                         QString::asprintf("%d 栏", m_cols),
                                         QStringLiteral("栏宽合计:"), Total(request.widths)};
  for (int i = 0; i < 4; ++i) {
    grid->addWidget(new QLabel(totals[static_cast<size_t>(i)], this), i / 2, i % 2);
    grid->addWidget(new QLabel(colTotals[static_cast<size_t>(i)], this), i / 2, 4 + i % 2);
  }
  auto* letters = new QRegularExpressionValidator(QRegularExpression("[A-Za-z]{0,2}"), this);
  for (size_t f = 0; f < kFields.size(); ++f) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::number(kFields[f].edit));
    if (f == kStartCol || f == kEndCol) edit->setValidator(letters);
    edit->installEventFilter(this);
    m_edits[f] = edit;
    QWidget* spin = RiloSpinArrows(this, kFields[f].spin,
                                   [this, f](bool up) { Step(static_cast<int>(f), up); });
    m_spins[f] = spin;
    const int row = 2 + static_cast<int>(f % 3);
    const int column = f < 3 ? 0 : 4;
    auto* label = new QLabel(QString::fromUtf8(kFields[f].label), this);
    label->setBuddy(edit);
    grid->addWidget(label, row, column);
    grid->addWidget(edit, row, column + 1);
    grid->addWidget(spin, row, column + 2);
    if (f == kHeight || f == kWidth)
      grid->addWidget(new QLabel(QStringLiteral("毫米"), this), row, column + 3);
  }
  m_keepHeights = new QCheckBox(QStringLiteral("行高保持原状"), this);
  m_keepHeights->setObjectName(QString::number(kKeepHeights));
  m_keepWidths = new QCheckBox(QStringLiteral("栏宽保持原状"), this);
  m_keepWidths->setObjectName(QString::number(kKeepWidths));
  grid->addWidget(m_keepHeights, 5, 0, 1, 3);
  grid->addWidget(m_keepWidths, 5, 4, 1, 3);
  connect(m_keepHeights, &QCheckBox::toggled, this, [this](bool on) { KeepPart(false, on); });
  connect(m_keepWidths, &QCheckBox::toggled, this, [this](bool on) { KeepPart(true, on); });
  QPushButton* cancel = nullptr;
  QPushButton* ok = RiloOkCancel(this, &cancel);
  grid->addWidget(ok, 6, 4);
  grid->addWidget(cancel, 6, 5, 1, 2);
  // The parts that are not uniform start as they are, with a proposal kept in their size field.
  if (!request.heightUniform) m_height = 80;
  if (!request.widthUniform) m_width = 200;
  FillPart(false);
  FillPart(true);
  m_keepHeights->setChecked(!request.heightUniform);
  m_keepWidths->setChecked(!request.widthUniform);
  if (!request.heightUniform) Edit(kHeight)->setText(SizeText(m_height));
  if (!request.widthUniform) Edit(kWidth)->setText(SizeText(m_width));
}

void CRiloSizeDlg::FillPart(bool columns) {
  if (columns) {
    Edit(kStartCol)->setText(QString::fromStdString(ColumnLabel(m_request.rect.left)));
    Edit(kEndCol)->setText(QString::fromStdString(ColumnLabel(m_request.rect.right)));
    Edit(kWidth)->setText(SizeText(m_width));
  } else {
    Edit(kStartRow)->setText(QString::number(m_request.rect.top + 1));
    Edit(kEndRow)->setText(QString::number(m_request.rect.bottom + 1));
    Edit(kHeight)->setText(SizeText(m_height));
  }
}

void CRiloSizeDlg::KeepPart(bool columns, bool keep) {
  const int first = columns ? kStartCol : kStartRow;
  for (int f = first; f < first + 3; ++f) {
    Edit(f)->setEnabled(!keep);
    m_spins[static_cast<size_t>(f)]->setEnabled(!keep);
    if (keep) Edit(f)->clear();
  }
  if (!keep) FillPart(columns);
}

bool CRiloSizeDlg::Step(int field, bool up) {
  QLineEdit* edit = Edit(field);
  const std::string text = edit->text().toStdString();
  bool allowed = false;
  if (field == kHeight || field == kWidth) {
    const double value = StrToDouble(text);
    allowed = up ? value < kMaxSize : value > 0.00001;
    if (allowed) edit->setText(QString::asprintf("%.1f", value + (up ? 0.1 : -0.1)));
  } else if (field == kStartRow || field == kEndRow) {
    const int value = std::atoi(text.c_str());
    allowed = up ? value < m_rows : value > 1;
    if (allowed) edit->setText(QString::number(value + (up ? 1 : -1)));
  } else {
    const int value = ColumnIndex(edit->text().toUpper().toStdString());
    allowed = up ? value < m_cols - 1 : value > 0;
    if (allowed) edit->setText(QString::fromStdString(ColumnLabel(value + (up ? 1 : -1))));
  }
  if (!allowed) QApplication::beep();
  return allowed;
}

bool CRiloSizeDlg::InRange(int field) const {
  const std::string text = Edit(field)->text().toUpper().toStdString();
  if (field == kHeight || field == kWidth) {
    const double value = StrToDouble(text);
    return value >= 0 && value <= kMaxSize;
  }
  if (field == kStartRow || field == kEndRow) {
    const int value = std::atoi(text.c_str());
    return value >= 1 && value <= m_rows;
  }
  const int value = ColumnIndex(text);
  return value >= 0 && value < m_cols;
}

bool CRiloSizeDlg::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut) {
    for (size_t f = 0; f < m_edits.size(); ++f) {
      if (watched == m_edits[f] && m_edits[f]->isEnabled() && !InRange(static_cast<int>(f)))
        QApplication::beep();
    }
  }
  return CSmDlg::eventFilter(watched, event);
}

bool CRiloSizeDlg::Refuse(const char* text, int field) {
  SmMessageBox(text, SM_MB_OK | SM_MB_ICONWARNING);
  Edit(field)->setFocus();
  return false;
}

bool CRiloSizeDlg::ValidateAndSave() {
  m_applyHeights = !m_keepHeights->isChecked();
  m_applyWidths = !m_keepWidths->isChecked();
  const auto tenths = [this](int field) {
    return StrToDouble(Edit(field)->text().toStdString()) * 10;
  };
  const auto sizeOk = [](double value) { return value >= 0 && value <= kMaxSize * 10 + 1e-7; };
  if (m_applyHeights) {
    m_rect.top = std::atoi(Edit(kStartRow)->text().toStdString().c_str()) - 1;
    m_rect.bottom = std::atoi(Edit(kEndRow)->text().toStdString().c_str()) - 1;
    if (m_rect.top > m_rect.bottom || m_rect.top < 0 || m_rect.bottom > m_rows - 1)
      return Refuse("开始行或终止行不合理！", kStartRow);
  }
  if (m_applyWidths) {
    m_rect.left = ColumnIndex(Edit(kStartCol)->text().toUpper().toStdString());
    m_rect.right = ColumnIndex(Edit(kEndCol)->text().toUpper().toStdString());
    if (m_rect.left > m_rect.right || m_rect.left < 0 || m_rect.right > m_cols - 1)
      return Refuse("开始栏或终止栏不合理！", kStartCol);
  }
  const double height = tenths(kHeight);
  const double width = tenths(kWidth);
  if (m_applyHeights && m_applyWidths && (!sizeOk(height) || !sizeOk(width)))
    return Refuse("行高或栏宽不合理！", kHeight);
  if (m_applyWidths && !m_applyHeights && !sizeOk(width)) return Refuse("栏宽不合理！", kWidth);
  if (m_applyHeights && !m_applyWidths && !sizeOk(height)) return Refuse("行高不合理！", kHeight);
  // Rounded to the tenth: a typed 20.3 is 203 tenths, not 202.
  if (m_applyHeights) m_height = static_cast<int>(std::lround(height));
  if (m_applyWidths) m_width = static_cast<int>(std::lround(width));
  return true;
}
