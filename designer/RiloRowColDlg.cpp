#include "designer/RiloRowColDlg.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include "core/SmNumber.h"
#include "designer/RiloDlgParts.h"
#include "platform/SmMessage.h"
#include "ui/SmEdit.h"

namespace {

constexpr int kMaxRows = 900;
constexpr int kMaxColumns = 60;
constexpr const char* kCaption = "Vornel软件";

struct FieldIds {
  int edit;
  int spin;
};
// In field order: start row, start column, row count, column count.
constexpr std::array<FieldIds, 4> kFields{{{CRiloRowColDlg::kStartRowEdit, 1026},
                                           {CRiloRowColDlg::kStartColumnEdit, 1028},
                                           {CRiloRowColDlg::kRowCountEdit, 1030},
                                           {CRiloRowColDlg::kColumnCountEdit, 1032}}};

}  // namespace

CRiloRowColDlg::CRiloRowColDlg(int mode, QWidget* parent) : CSmDlg(825, parent), m_mode(mode) {
  setObjectName("825");
  setWindowTitle(QStringLiteral("行、栏操作"));
  auto* grid = new QGridLayout(this);
  auto* digits = new QRegularExpressionValidator(QRegularExpression("[0-9]{0,4}"), this);
  for (size_t f = 0; f < kFields.size(); ++f) {
    QLineEdit* edit = nullptr;
    if (f == kStartColumn) {
      auto* letters = new CSmEdit(this);
      letters->SetInputType("STRING CHAR");
      edit = letters;
    } else {
      edit = new QLineEdit(this);
      edit->setValidator(digits);
    }
    edit->setObjectName(QString::number(kFields[f].edit));
    m_edits[f] = edit;
    QWidget* spin = RiloSpinArrows(this, kFields[f].spin,
                                   [this, f](bool up) { Step(static_cast<int>(f), up); });
    const int row = f == kStartRow || f == kRowCount ? 0 : 1;
    const int column = f < kRowCount ? 1 : 4;
    grid->addWidget(edit, row, column);
    grid->addWidget(spin, row, column + 1);
  }
  const bool insert = m_mode == 1;
  auto* rowLabel =
      new QLabel(insert ? QStringLiteral("行处开始增加") : QStringLiteral("行处开始删除"), this);
  rowLabel->setObjectName(QString::number(kRowLabel));
  auto* columnLabel =
      new QLabel(insert ? QStringLiteral("栏处开始增加") : QStringLiteral("栏处开始删除"), this);
  columnLabel->setObjectName(QString::number(kColumnLabel));
  grid->addWidget(new QLabel(QStringLiteral("从第"), this), 0, 0);
  grid->addWidget(new QLabel(QStringLiteral("从第"), this), 1, 0);
  grid->addWidget(rowLabel, 0, 3);
  grid->addWidget(columnLabel, 1, 3);
  grid->addWidget(new QLabel(QStringLiteral("行"), this), 0, 6);
  grid->addWidget(new QLabel(QStringLiteral("栏"), this), 1, 6);
  QPushButton* cancel = nullptr;
  QPushButton* ok = RiloOkCancel(this, &cancel);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  grid->addLayout(buttons, 2, 0, 1, 7);
}

void CRiloRowColDlg::OnInitDialog() {
  CSmDlg::OnInitDialog();
  Edit(kStartRow)->setText(QString::number(m_currentRow + 1));
  Edit(kStartColumn)->setText(QString::fromStdString(ColumnLabel(m_currentColumn)));
  Edit(kRowCount)->setText("0");
  Edit(kColumnCount)->setText("0");
}

int CRiloRowColDlg::Number(int field) const {
  if (field == kStartColumn) return ColumnIndex(Edit(field)->text().toUpper().toStdString());
  return std::atoi(Edit(field)->text().toStdString().c_str());
}

bool CRiloRowColDlg::Step(int field, bool up) {
  const int value = Number(field);
  const int first = field == kStartRow ? 1 : 0;
  const int last = field == kStartRow      ? m_rows
                   : field == kStartColumn ? m_cols - 1
                   : field == kRowCount    ? kMaxRows - m_rows
                                           : kMaxColumns - m_cols;
  const int next = value + (up ? 1 : -1);
  if (next < first || next > last) {
    QApplication::beep();
    return false;
  }
  Edit(field)->setText(field == kStartColumn ? QString::fromStdString(ColumnLabel(next))
                                             : QString::number(next));
  return true;
}

bool CRiloRowColDlg::Refuse(const char* text, int field) {
  SmMessageBox(text, SM_MB_OK | SM_MB_ICONWARNING, kCaption);
  Edit(field)->setFocus();
  return false;
}

bool CRiloRowColDlg::ValidateAndSave() {
  m_startRow = Number(kStartRow) - 1;
  m_startColumn = Number(kStartColumn);
  m_rowCount = Number(kRowCount);
  m_columnCount = Number(kColumnCount);
  if (m_startRow < 0 || m_startRow > m_rows) return Refuse("开始行不合理！", kStartRow);
  if (m_startColumn < 0 || m_startColumn > m_cols) return Refuse("开始栏不合理！", kStartColumn);
  if (m_mode == 1) {
    if (m_rowCount < 0 || m_rowCount > kMaxRows - m_rows)
      return Refuse("企图增加的行数太多！", kRowCount);
    if (m_columnCount < 0 || m_columnCount > kMaxColumns - m_cols)
      return Refuse("企图增加的栏数太多！", kColumnCount);
    return true;
  }
  if (m_rowCount < 0 || m_rowCount > m_rows - m_startRow)
    return Refuse("企图删除的行数太多！", kRowCount);
  if (m_columnCount < 0 || m_columnCount > m_cols - m_startColumn)
    return Refuse("企图删除的栏数太多！", kColumnCount);
  return true;
}
