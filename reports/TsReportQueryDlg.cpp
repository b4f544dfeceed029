#include "reports/TsReportQueryDlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayoutItem>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cmath>
#include <utility>

#include "app/SmApp.h"
#include "app/SmOperator.h"
#include "cane/TsCaneContext.h"
#include "cane/TsDriverDirDlg.h"
#include "cane/TsFarmerDirDlg.h"
#include "cane/TsParams.h"
#include "cane/TsPlaceDirDlg.h"
#include "cane/TsVarietyDirDlg.h"
#include "core/SmDate.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "ui/SmEdit.h"

namespace {

using Dlg = CTsReportQueryDlg;
constexpr int kDateIds[2] = {Dlg::kDateFrom, Dlg::kDateTo};
constexpr int kOperatorIds[2] = {Dlg::kGrossOperator, Dlg::kTareOperator};
constexpr int kFilterIds[4] = {Dlg::kFarmerFilter, Dlg::kTransporterFilter, Dlg::kPlaceFilter,
                               Dlg::kVarietyFilter};
constexpr int kPickerIds[4] = {Dlg::kPickFarmer, Dlg::kPickTransporter, Dlg::kPickPlace,
                               Dlg::kPickVariety};
constexpr int kKindIds[4] = {Dlg::kKindFarmer, Dlg::kKindTransporter, Dlg::kKindPlace,
                             Dlg::kKindVariety};
constexpr int kRangeIds[2] = {Dlg::kRangeFrom, Dlg::kRangeTo};

const char* const kKindTexts[4] = {"&N.农户", "&Y.运户", "&K.砍运地", "&P.甘蔗品种"};
const char* const kFilterLabels[4] = {"农户：", "运户：", "砍运地：", "品种："};
const char* const kOperatorLabels[2] = {"&G.过磅：", "&Z.除皮："};

std::string Text(const QLineEdit* edit) {
  return edit->text().toStdString();
}

void SetText(QLineEdit* edit, const std::string& text) {
  edit->setText(QString::fromStdString(text));
}

CSmEdit* NewEdit(QWidget* parent, int id, const std::string& spec, int limit) {
  auto* edit = new CSmEdit(parent);
  edit->setObjectName(QString::number(id));
  edit->SetInputType(spec, limit);
  return edit;
}

bool Refuse(QWidget* field, const std::string& text) {
  SmMessageBox(text, SM_MB_OK | SM_MB_ICONERROR);
  field->setFocus();
  if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->selectAll();
  return false;
}

int FilterCodeLength(int which) {
  switch (which) {
    case 0:
      return TsGetFarmerCodeLen();
    case 1:
      return TsGetIntParam(TsIntParam::DriverCodeLen);
    case 2:
      return TsGetIntParam(TsIntParam::PlaceCodeLen);
    default:
      return TsGetVarietyCodeLen();
  }
}

// The daily report's query: its start date is the date.
TsPurchaseQuery SingleDate(TsPurchaseQuery q) {
  q.sDateTo = q.sDateFrom;
  return q;
}

}  // namespace

TsPurchaseQuery TsMakePurchaseQuery(int settleKind, const std::string& dateFrom,
                                    const std::string& dateTo, const std::string (&oprCode)[2],
                                    const std::string (&filter)[4], int rowKind, int level,
                                    int untaredOnly, const std::string& qtyFrom,
                                    const std::string& qtyTo) {
  TsPurchaseQuery q;
  q.nSettleKind = settleKind;
  q.sDateFrom = dateFrom;
  q.sDateTo = dateTo;
  for (int k = 0; k < 2; ++k) q.sOprCode[k] = oprCode[k];
  for (int k = 0; k < 4; ++k) q.sFilter[k] = filter[k];
  q.nRowKind = rowKind;
  q.nLevel = level;
  q.bUntaredOnly = untaredOnly;
  q.sQtyRange[0] = qtyFrom;
  q.sQtyRange[1] = qtyTo;
  return q;
}

std::string PlainBound(const std::string& text) {
  const double value = StrToDouble(text);
  if (std::fabs(value) < 1e-7) return "0";
  return ReplaceAll(FormatNumber(value, 0, 0, 6), ",", "");
}

void NormalizeRange(std::string& lower, std::string& upper) {
  if (!lower.empty()) lower = PlainBound(lower);
  if (!upper.empty()) upper = PlainBound(upper);
  if (!lower.empty() && !upper.empty() && StrToDouble(lower) > StrToDouble(upper))
    std::swap(lower, upper);
}

void TsHideLayoutItem(QLayoutItem* item) {
  if (QWidget* widget = item->widget()) widget->hide();
  if (QLayout* layout = item->layout()) {
    for (int i = 0; i < layout->count(); ++i) TsHideLayoutItem(layout->itemAt(i));
  }
}

void TsRelabelBuddy(QWidget* dlg, int buddyId, const char* text) {
  QWidget* buddy = dlg->findChild<QWidget*>(QString::number(buddyId));
  for (QLabel* label : dlg->findChildren<QLabel*>()) {
    if (buddy && label->buddy() == buddy) label->setText(QString::fromUtf8(text));
  }
}

// ---------------------------------------------------------------- CTsReportQueryDlg

CTsReportQueryDlg::CTsReportQueryDlg(CSmDatabase* db, const std::string& title,
                                     const std::string& dateFrom, const std::string& dateTo,
                                     const std::string (&oprCode)[2],
                                     const std::string (&filter)[4], int rowKind, int level,
                                     int skipEmpty, unsigned templateId, QWidget* parent)
    : CSmAppDlg(templateId, nullptr, parent),
      m_dateFrom(dateFrom),
      m_dateTo(dateTo),
      m_rowKind(rowKind),
      m_level(level),
      m_skipEmpty(skipEmpty),
      m_db(db) {
  for (int k = 0; k < 2; ++k) m_oprCode[k] = oprCode[k];
  for (int k = 0; k < 4; ++k) m_filter[k] = filter[k];
  setObjectName(QString::number(templateId));
  setWindowTitle(QString::fromStdString("打开" + title));
  BuildControls();
}

CTsReportQueryDlg::~CTsReportQueryDlg() = default;

void CTsReportQueryDlg::BuildControls() {
  auto* grid = new QGridLayout(this);
  const char* dateLabels[2] = {"&B.起始日期：", "&E.终止日期："};
  const char* units[3] = {"年", "月", "日"};
  for (int d = 0; d < 2; ++d) {
    auto* row = new QHBoxLayout;
    for (int k = 0; k < 3; ++k) {
      m_dateEdits[d][k] = NewEdit(this, kDateIds[d] + k, "STRING DIGIT", k == 0 ? 4 : 2);
      m_dateEdits[d][k]->setMaximumWidth(k == 0 ? 60 : 40);
      row->addWidget(m_dateEdits[d][k]);
      row->addWidget(new QLabel(QString::fromUtf8(units[k]), this));
    }
    row->addStretch();
    auto* label = new QLabel(QString::fromUtf8(dateLabels[d]), this);
    label->setBuddy(m_dateEdits[d][0]);
    if (d == 1) {
      m_endDateWidgets.push_back(label);
      for (int i = 0; i < row->count(); ++i) {
        if (QWidget* widget = row->itemAt(i)->widget()) m_endDateWidgets.push_back(widget);
      }
    }
    grid->addWidget(label, d, 0);
    grid->addLayout(row, d, 1, 1, 3);
  }
  for (int k = 0; k < 2; ++k) {
    m_operators[k] = new QComboBox(this);
    m_operators[k]->setObjectName(QString::number(kOperatorIds[k]));
    auto* label = new QLabel(QString::fromUtf8(kOperatorLabels[k]), this);
    label->setBuddy(m_operators[k]);
    grid->addWidget(label, 2, k * 2);
    grid->addWidget(m_operators[k], 2, k * 2 + 1);
  }
  for (int k = 0; k < 4; ++k) {
    m_filterEdits[k] = NewEdit(this, kFilterIds[k], "STRING DIGIT", 15);
    auto* row = new QHBoxLayout;
    row->addWidget(m_filterEdits[k]);
    QPushButton* picker = AddButton(kPickerIds[k], QStringLiteral("…"));
    picker->setParent(this);
    picker->setMaximumWidth(28);
    picker->setAutoDefault(false);
    row->addWidget(picker);
    auto* label = new QLabel(QString::fromUtf8(kFilterLabels[k]), this);
    label->setBuddy(m_filterEdits[k]);
    grid->addWidget(label, 3 + k / 2, k % 2 * 2);
    grid->addLayout(row, 3 + k / 2, k % 2 * 2 + 1);
  }
  auto* kindBox = new QGroupBox(QStringLiteral("统计对象"), this);
  auto* kindRow = new QHBoxLayout(kindBox);
  auto* kinds = new QButtonGroup(this);
  for (int k = 0; k < 4; ++k) {
    m_kinds[k] = new QRadioButton(QString::fromUtf8(kKindTexts[k]), kindBox);
    m_kinds[k]->setObjectName(QString::number(kKindIds[k]));
    kinds->addButton(m_kinds[k], k);
    kindRow->addWidget(m_kinds[k]);
  }
  connect(kinds, &QButtonGroup::idClicked, this, [this](int) { OnRowKind(); });
  grid->addWidget(kindBox, 5, 0, 1, 4);
  m_levels = new QComboBox(this);
  m_levels->setObjectName(QString::number(kLevel));
  auto* levelLabel = new QLabel(QStringLiteral("&C.统计级次："), this);
  levelLabel->setBuddy(m_levels);
  grid->addWidget(levelLabel, 6, 0);
  grid->addWidget(m_levels, 6, 1);
  m_skip = new QCheckBox(QStringLiteral("&D.去空行"), this);
  m_skip->setObjectName(QString::number(kSkipEmpty));
  grid->addWidget(m_skip, 6, 2, 1, 2);
  m_ownRow = new QWidget(this);
  grid->addWidget(m_ownRow, 7, 0, 1, 4);
  auto* buttons = new QVBoxLayout;
  QPushButton* ok = AddButton(SM_ID_OK, QStringLiteral("&O.打开"));
  QPushButton* cancel = AddButton(SM_ID_CANCEL, QStringLiteral("&X.取消"));
  ok->setParent(this);
  cancel->setParent(this);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  buttons->addStretch();
  grid->addLayout(buttons, 0, 4, 8, 1);
}

void CTsReportQueryDlg::OnInitDialog() {
  CSmAppDlg::OnInitDialog();
  ShowDates();
  for (int k = 0; k < 4; ++k) m_filterEdits[k]->SetInputType("STRING DIGIT", FilterCodeLength(k));
  std::vector<std::pair<std::string, std::string>> operators;
  CSmOperatorArray rows;
  CSmOperator::Query("", "Order By Opno", m_db, &rows);
  for (const CSmOperator& op : rows) operators.emplace_back(op.Opno, op.Na);
  for (int k = 0; k < 2; ++k) FillOperatorCombo(m_operators[k], operators, m_oprCode[k], true);
  m_levels->clear();
  for (int level = 1; level <= 5; ++level)
    m_levels->addItem(QString::fromStdString(FormatStr("%d 级", level)));
  DoDataExchange(false);
  m_levels->setEnabled(m_rowKind == 0 || m_rowKind == 3);
  m_dateEdits[0][0]->setFocus();
}

void CTsReportQueryDlg::ShowDates() {
  for (int d = 0; d < 2; ++d) {
    const std::string& date = d == 0 ? m_dateFrom : m_dateTo;
    SetText(m_dateEdits[d][0], date.substr(0, std::min<size_t>(4, date.size())));
    SetText(m_dateEdits[d][1], date.size() > 4 ? date.substr(4, 2) : std::string());
    SetText(m_dateEdits[d][2], date.size() > 6 ? date.substr(6) : std::string());
  }
}

void CTsReportQueryDlg::EnableDates(bool enable) {
  for (auto& edits : m_dateEdits) {
    for (CSmEdit* edit : edits) edit->setEnabled(enable);
  }
}

void CTsReportQueryDlg::DoDataExchange(bool save) {
  if (save) {
    for (int k = 0; k < 4; ++k) m_filter[k] = Text(m_filterEdits[k]);
    for (int k = 0; k < 4; ++k)
      if (m_kinds[k]->isChecked()) m_rowKind = k;
    m_level = m_levels->currentIndex();
    m_skipEmpty = m_skip->isChecked() ? 1 : 0;
    return;
  }
  for (int k = 0; k < 4; ++k) SetText(m_filterEdits[k], m_filter[k]);
  if (m_rowKind >= 0 && m_rowKind < 4) m_kinds[m_rowKind]->setChecked(true);
  m_levels->setCurrentIndex(m_level >= 0 && m_level < 5 ? m_level : -1);
  m_skip->setChecked(m_skipEmpty != 0);
}

void CTsReportQueryDlg::OnRowKind() {
  DoDataExchange(true);
  m_levels->setEnabled(m_rowKind == 0 || m_rowKind == 3);
}

void CTsReportQueryDlg::Pick(int which) {
  DoDataExchange(true);
  const std::string code = m_filter[which];
  std::string picked;
  bool chosen = false;
  if (which == 0 || which == 3) {
    std::unique_ptr<CTsCodeDirDlg> picker;
    if (which == 0) {
      picker = std::make_unique<CTsFarmerDirDlg>(m_db, 2, code, this);
    } else {
      picker = std::make_unique<CTsVarietyDirDlg>(m_db, 2, code, this);
    }
    chosen = picker->DoModal() == SM_IDOK;
    if (chosen) picked = picker->CurrentCode();
  } else {
    std::unique_ptr<CTsRecordDirDlg> picker;
    if (which == 1) {
      picker = std::make_unique<CTsDriverDirDlg>(true, m_db, code, this);
    } else {
      picker = std::make_unique<CTsPlaceDirDlg>(true, m_db, code, this);
    }
    chosen = picker->DoModal() == SM_IDOK;
    if (chosen) picked = picker->SelectedCode();
  }
  if (chosen) m_filter[which] = picked;
  DoDataExchange(false);
  m_filterEdits[which]->setFocus();
}

bool CTsReportQueryDlg::OnCommand(unsigned id) {
  for (int k = 0; k < 4; ++k) {
    if (id != static_cast<unsigned>(kPickerIds[k])) continue;
    Pick(k);
    return true;
  }
  return CSmAppDlg::OnCommand(id);
}

bool CTsReportQueryDlg::CheckDate(int which) {
  CSmEdit* const* edits = m_dateEdits[which];
  const int year = StrToIntDef(Text(edits[0]), 0);
  const int month = StrToIntDef(Text(edits[1]), 0);
  const int day = StrToIntDef(Text(edits[2]), 0);
  const int openYear = TsCaneContextFromApp().year;
  const int fileYear = openYear ? openYear : year;
  const std::string outOfYear = "年度超界！\n" + TsYearRangeText();
  if (std::abs(year - fileYear) >= 2) return Refuse(edits[0], outOfYear);
  if (month < 1 || month > 12) return Refuse(edits[1], "月份不合理！");
  if (day < 1 || day > DaysInMonth(year, month)) return Refuse(edits[2], "日期不合理！");
  const std::string date = FormatStr("%d", year * 10000 + month * 100 + day);
  if (date < TsGetYearStartDate() || date > TsGetYearEndDate()) return Refuse(edits[0], outOfYear);
  (which == 0 ? m_dateFrom : m_dateTo) = date;
  return true;
}

void CTsReportQueryDlg::UseSingleDate() {
  for (QWidget* widget : m_endDateWidgets) widget->hide();
  m_dateTo = m_dateFrom;
}

bool CTsReportQueryDlg::CheckRange() {
  if (m_dateFrom > m_dateTo) return Refuse(m_dateEdits[0][0], "起止时间倒置！");
  return true;
}

bool CTsReportQueryDlg::CheckLevel() {
  DoDataExchange(true);
  if (m_level >= 0 || m_rowKind == 1 || m_rowKind == 2) return true;
  return Refuse(m_levels, "未选择有效级次！");
}

void CTsReportQueryDlg::KeepRegionAndLevel(bool dates, const char* regionLabel) {
  auto* grid = qobject_cast<QGridLayout*>(layout());
  if (!grid) return;
  for (int i = 0; i < grid->count(); ++i) {
    int row = 0, column = 0, rows = 0, columns = 0;
    grid->getItemPosition(i, &row, &column, &rows, &columns);
    const bool region = row == 3 && column < 2;
    const bool buttons = column == 4;
    if (row < 6 && !region && !buttons && !(dates && row < 2)) TsHideLayoutItem(grid->itemAt(i));
  }
  TsRelabelBuddy(this, kFilterIds[0], regionLabel);
}

void CTsReportQueryDlg::EnableRegionForFarmers() {
  const bool farmers = m_rowKind == 0;
  for (QWidget* control :
       {static_cast<QWidget*>(m_filterEdits[0]),
        findChild<QWidget*>(QString::number(kPickerIds[0])), static_cast<QWidget*>(m_levels)}) {
    if (control) control->setEnabled(farmers);
  }
}

bool CTsReportQueryDlg::RefuseAt(QWidget* field, const char* text) {
  return Refuse(field, text);
}

bool CTsReportQueryDlg::ValidateBase() {
  if (!CheckDate(0)) return false;
  for (int k = 0; k < 2; ++k) GetSelectedOperator(m_operators[k], m_oprCode[k], true);
  return CheckLevel();
}

bool CTsReportQueryDlg::ValidateAndSave() {
  return CheckDate(1) && ValidateBase() && CheckRange();
}

void CTsReportQueryDlg::HideCommon(const std::function<bool(int row, int column)>& hide) {
  auto* grid = qobject_cast<QGridLayout*>(layout());
  if (!grid) return;
  for (int i = 0; i < grid->count(); ++i) {
    int row = 0, column = 0, rows = 0, columns = 0;
    grid->getItemPosition(i, &row, &column, &rows, &columns);
    if (row < 7 && column < 4 && hide(row, column)) TsHideLayoutItem(grid->itemAt(i));
  }
}

// ---------------------------------------------------------------- CTsReportQueryDlg1

CTsReportQueryDlg1::CTsReportQueryDlg1(CSmDatabase* db, const std::string& title,
                                       const std::string& dateFrom, const std::string& dateTo,
                                       const std::string (&oprCode)[2],
                                       const std::string (&filter)[4], int rowKind, int level,
                                       int skipEmpty, int untaredOnly,
                                       const std::string (&qtyRange)[2], QWidget* parent)
    : CTsReportQueryDlg1(db, title, dateFrom, dateTo, oprCode, filter, rowKind, level, skipEmpty,
                         untaredOnly, qtyRange, 965, parent) {}

CTsReportQueryDlg1::CTsReportQueryDlg1(CSmDatabase* db, const std::string& title,
                                       const std::string& dateFrom, const std::string& dateTo,
                                       const std::string (&oprCode)[2],
                                       const std::string (&filter)[4], int rowKind, int level,
                                       int skipEmpty, int untaredOnly,
                                       const std::string (&qtyRange)[2], unsigned templateId,
                                       QWidget* parent)
    : CTsReportQueryDlg1(db, title,
                         TsMakePurchaseQuery(0, dateFrom, dateTo, oprCode, filter, rowKind, level,
                                             untaredOnly, qtyRange[0], qtyRange[1]),
                         skipEmpty, templateId, parent) {}

CTsReportQueryDlg1::CTsReportQueryDlg1(CSmDatabase* db, const std::string& title,
                                       const TsPurchaseQuery& q, int skipEmpty, QWidget* parent)
    : CTsReportQueryDlg1(db, title, q, skipEmpty, 965, parent) {}

CTsReportQueryDlg1::CTsReportQueryDlg1(CSmDatabase* db, const std::string& title,
                                       const TsPurchaseQuery& q, int skipEmpty, unsigned templateId,
                                       QWidget* parent)
    : CTsReportQueryDlg(db, title, q.sDateFrom, q.sDateTo, q.sOprCode, q.sFilter, q.nRowKind,
                        q.nLevel, skipEmpty, templateId, parent),
      m_query(q) {
  auto* row = new QHBoxLayout(OwnRow());
  row->setContentsMargins(0, 0, 0, 0);
  m_untared = new QCheckBox(QStringLiteral("&W.仅含未除皮"), OwnRow());
  m_untared->setObjectName(QString::number(kUntaredOnly));
  row->addWidget(m_untared);
  auto* label = new QLabel(QStringLiteral("&L.数量范围："), OwnRow());
  row->addWidget(label);
  for (int k = 0; k < 2; ++k) {
    m_rangeEdits[k] = new CSmEdit(OwnRow());
    m_rangeEdits[k]->setObjectName(QString::number(kRangeIds[k]));
    m_rangeEdits[k]->SetInputType("NUMBER 0", 10, 6);
    row->addWidget(m_rangeEdits[k]);
    if (k == 0) row->addWidget(new QLabel(QStringLiteral("到"), OwnRow()));
  }
  label->setBuddy(m_rangeEdits[0]);
  row->addStretch();
  DoDataExchange(false);
}

void CTsReportQueryDlg1::DoDataExchange(bool save) {
  CTsReportQueryDlg::DoDataExchange(save);
  if (save) {
    m_query = TsMakePurchaseQuery(m_query.nSettleKind, m_dateFrom, m_dateTo, m_oprCode, m_filter,
                                  m_rowKind, m_level, m_untared->isChecked() ? 1 : 0,
                                  Text(m_rangeEdits[0]), Text(m_rangeEdits[1]));
    return;
  }
  m_untared->setChecked(m_query.bUntaredOnly != 0);
  for (int k = 0; k < 2; ++k) SetText(m_rangeEdits[k], m_query.sQtyRange[k]);
}

bool CTsReportQueryDlg1::ValidateAndSave() {
  if (!CTsReportQueryDlg::ValidateAndSave()) return false;
  DoDataExchange(true);
  NormalizeRange(m_query.sQtyRange[0], m_query.sQtyRange[1]);
  DoDataExchange(false);
  return true;
}

// ---------------------------------------------------------------- CTsReportQueryDlg5

CTsReportQueryDlg5::CTsReportQueryDlg5(CSmDatabase* db, const std::string& title,
                                       const std::string& date, const std::string (&oprCode)[2],
                                       const std::string (&filter)[4], int rowKind, int level,
                                       int skipEmpty, int untaredOnly,
                                       const std::string (&qtyRange)[2], QWidget* parent)
    : CTsReportQueryDlg5(db, title,
                         TsMakePurchaseQuery(0, date, date, oprCode, filter, rowKind, level,
                                             untaredOnly, qtyRange[0], qtyRange[1]),
                         skipEmpty, parent) {}

CTsReportQueryDlg5::CTsReportQueryDlg5(CSmDatabase* db, const std::string& title,
                                       const TsPurchaseQuery& q, int skipEmpty, QWidget* parent)
    : CTsReportQueryDlg1(db, title, SingleDate(q), skipEmpty, 972, parent) {
  UseSingleDate();
  const char* filterLabels[4] = {"&1.农  户：", "&2.运  户：", "&3.砍运地：", "&4.品  种："};
  for (int k = 0; k < 4; ++k) TsRelabelBuddy(this, kFilterIds[k], filterLabels[k]);
  TsRelabelBuddy(this, kRangeIds[0], "&T.数量范围：");
}

bool CTsReportQueryDlg5::ValidateAndSave() {
  if (!ValidateBase()) return false;
  m_dateTo = m_dateFrom;
  DoDataExchange(true);
  NormalizeRange(m_query.sQtyRange[0], m_query.sQtyRange[1]);
  DoDataExchange(false);
  return true;
}
