#include "cane/TsBatchParamDlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <cmath>

#include "app/SmOpLog.h"
#include "cane/TsAdrRec.h"
#include "cane/TsItems.h"
#include "cane/TsNH.h"
#include "core/SmDatabase.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "ui/SmEdit.h"
#include "ui/SmFieldFocus.h"
#include "ui/SmWaitWnd.h"

namespace {

constexpr size_t kLogLineLimit = 237;

}  // namespace

CTsBatchParamDlg::CTsBatchParamDlg(int kind, const std::vector<std::string>& codes, CSmDatabase* db,
                                   QWidget* parent)
    : CSmDlg(969, parent),
      m_kind(kind),
      m_codes(codes),
      m_db(db),
      m_combo(new QComboBox(this)),
      m_value(new CSmEdit(this)),
      m_noteText(new QLabel(QStringLiteral("注："), this)) {
  setObjectName(QStringLiteral("969"));
  setWindowTitle(QStringLiteral("成批修改参数"));
  m_combo->setObjectName(QString::number(kCombo));
  m_value->setObjectName(QString::number(kValue));
  m_value->SetInputType("NUMBER", 16, 6);
  m_noteText->setObjectName(QString::number(kNote));
  auto* grid = new QGridLayout(this);
  auto* comboLabel = new QLabel(QStringLiteral("&1.参  数："), this);
  comboLabel->setBuddy(m_combo);
  auto* valueLabel = new QLabel(QStringLiteral("&2.参数值："), this);
  valueLabel->setBuddy(m_value);
  grid->addWidget(comboLabel, 0, 0);
  grid->addWidget(m_combo, 0, 1);
  grid->addWidget(valueLabel, 1, 0);
  grid->addWidget(m_value, 1, 1);
  grid->addWidget(m_noteText, 2, 0, 1, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(AddButton(SM_ID_OK, QStringLiteral("&S.确认")));
  buttons->addWidget(AddButton(SM_ID_CANCEL, QStringLiteral("&X.取消")));
  grid->addLayout(buttons, 3, 0, 1, 2);
  connect(m_combo, qOverload<int>(&QComboBox::activated), this, [this] { RefreshNote(); });
}

void CTsBatchParamDlg::OnInitDialog() {
  CSmDlg::OnInitDialog();
  for (int n = 0; n < TsGetLinkParamCount(m_kind); ++n)
    m_combo->addItem(QString::fromStdString(TsGetLinkParamName(m_kind, n)));
  if (m_combo->count() > 0) m_combo->setCurrentIndex(0);
  RefreshNote();
}

void CTsBatchParamDlg::RefreshNote() {
  m_param = m_combo->currentIndex();
  if (m_param < 0 || (!m_note.empty() && m_param == m_noteParam)) return;
  m_noteParam = m_param;
  if (m_kind == 1) {
    std::pair<double, double> range;
    TsAdrLinkParamRange(m_param, m_codes, range, m_db);
    m_range[0] = range.first;
    m_range[1] = range.second;
  } else {
    CNH(m_db, {}).GetParamRange(m_param, m_codes, m_range);
  }
  m_note = "注：当前参数值 " + NumberToPlainText(m_range[0]);
  if (std::fabs(m_range[1] - m_range[0]) >= 0.0000001)
    m_note += "～" + NumberToPlainText(m_range[1]);
  m_noteText->setText(QString::fromStdString(m_note));
}

std::string CTsBatchParamDlg::LogLine(const std::string& name, const std::string& value,
                                      const std::vector<std::string>& codes) {
  std::string line = "<" + name + ">成批改成：" + value + "，涉及";
  for (size_t k = 0; k < codes.size(); ++k) {
    const std::string part = (k == 0 ? "" : ",") + codes[k];
    if (line.size() + part.size() >= kLogLineLimit) {
      line += "等";
      break;
    }
    line += part;
  }
  return line;
}

bool CTsBatchParamDlg::SetParam(int n, double value) {
  if (m_kind == 0) return CNH(m_db, {}).SetParam(n, m_codes, value);
  return TsAdrSetLinkParam(n, m_codes, value, m_db);
}

bool CTsBatchParamDlg::ValidateAndSave() {
  m_param = m_combo->currentIndex();
  const std::string text = m_value->text().toStdString();
  const double value = StrToDouble(text);
  if (std::fabs(m_range[1] - m_range[0]) < 0.000001 && std::fabs(value - m_range[0]) < 0.000001)
    return true;
  if (m_param < 0) return SmRefuse("未选择要要修改的参数！", m_combo);
  if (SmMessageBox("真的要修改吗？", SM_MB_YESNOCANCEL | SM_MB_ICONQUESTION) != SM_IDYES)
    return false;
  bool stored = false;
  {
    CSmWaitWnd wait;
    stored = SetParam(m_param, value);
  }
  // A failed change was rolled back and has been reported: nothing to log.
  if (!stored) return false;
  CSmOpLog(m_kind == 0 ? 1601 : 1602, LogLine(TsGetLinkParamName(m_kind, m_param), text, m_codes));
  return true;
}
