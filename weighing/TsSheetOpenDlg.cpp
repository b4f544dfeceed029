#include "weighing/TsSheetOpenDlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "app/SmApp.h"
#include "cane/TsCaneContext.h"
#include "cane/TsFarmerDirDlg.h"
#include "cane/TsItems.h"
#include "cane/TsNH.h"
#include "cane/TsParams.h"
#include "core/SmDate.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "ui/SmEdit.h"
#include "ui/SmFieldFocus.h"

namespace {

// The kind radios of modes 1 to 6.
constexpr int kKindIds[] = {CTsSheetOpenDlg::kKindReceipt,     CTsSheetOpenDlg::kKindPayment,
                            CTsSheetOpenDlg::kKindWithholding, CTsSheetOpenDlg::kKindInterest,
                            CTsSheetOpenDlg::kKindArea,        CTsSheetOpenDlg::kKindEstimate};
const char* const kKindTexts[] = {"&1.收款", "&2.付款", "&3.代扣", "&4.计息", "&5.面积", "&6.估产"};

std::string Text(const QLineEdit* edit) {
  return edit->text().toStdString();
}

void SetText(QLineEdit* edit, const std::string& text) {
  edit->setText(QString::fromStdString(text));
}

CSmEdit* NewEdit(QWidget* parent, int id, const std::string& spec, int limit = -1) {
  auto* edit = new CSmEdit(parent);
  edit->setObjectName(QString::number(id));
  edit->SetInputType(spec, limit);
  return edit;
}

// Hidden controls keep their place, as on the dialog template.
void KeepPlace(QWidget* widget) {
  QSizePolicy policy = widget->sizePolicy();
  policy.setRetainSizeWhenHidden(true);
  widget->setSizePolicy(policy);
}

void ShowAndEnable(QWidget* widget, bool shown, bool enabled) {
  widget->setVisible(shown);
  widget->setEnabled(enabled);
}

std::string PlainNumber(double value, int decimals) {
  return ReplaceAll(FormatNumber(value, 0, 0, decimals), ",", "");
}

bool Refuse(QWidget* field, const std::string& text) {
  SmRefuse(text, field);
  if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->selectAll();
  return false;
}

}  // namespace

CTsSheetOpenDlg::CTsSheetOpenDlg(const std::string& date, QWidget* parent, CSmDatabase* db)
    : CSmDlg(960, parent),
      m_date(date),
      m_db(db ? db : GetSmDatabase()),
      m_page(new QWidget(this)) {
  setObjectName(QStringLiteral("960"));
  setWindowTitle(QStringLiteral("打开过磅单"));
  m_interestFrom = TsGetYearStartDate();
  m_interestTo = TsGetYearEndDate();
  BuildControls();
}

QWidget* CTsSheetOpenDlg::DateRow(int firstId, CSmEdit** edits) {
  auto* row = new QWidget(m_page);
  auto* box = new QHBoxLayout(row);
  box->setContentsMargins(0, 0, 0, 0);
  const char* units[] = {"年", "月", "日"};
  for (int k = 0; k < 3; ++k) {
    edits[k] = NewEdit(row, firstId + k, "STRING DIGIT", k == 0 ? 4 : 2);
    edits[k]->setMaximumWidth(k == 0 ? 60 : 40);
    box->addWidget(edits[k]);
    box->addWidget(new QLabel(QString::fromUtf8(units[k]), row));
  }
  box->addStretch();
  return row;
}

void CTsSheetOpenDlg::BuildControls() {
  auto* grid = new QGridLayout(m_page);
  auto* dateLabel = new QLabel(QStringLiteral("&R.日期："), m_page);
  QWidget* dateRow = DateRow(kYear, m_dateEdits);
  dateLabel->setBuddy(m_dateEdits[0]);
  auto* okButton = AddButton(SM_ID_OK, QStringLiteral("&S.确认"));
  auto* cancelButton = AddButton(SM_ID_CANCEL, QStringLiteral("&X.取消"));
  okButton->setParent(m_page);
  cancelButton->setParent(m_page);
  m_okButton = okButton;
  m_cancelButton = cancelButton;
  // The buttons stand beside the date row only: the dialogs that offer only the date end
  // below Cancel, above the kind group.
  grid->addWidget(dateLabel, 0, 0, Qt::AlignTop);
  grid->addWidget(dateRow, 0, 1, 1, 3, Qt::AlignTop);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(okButton);
  buttons->addWidget(cancelButton);
  grid->addLayout(buttons, 0, 4);

  auto* kindBox = new QGroupBox(QStringLiteral("单据类别"), m_page);
  auto* kindGrid = new QGridLayout(kindBox);
  m_kinds = new QButtonGroup(this);
  for (int k = 0; k < 6; ++k) {
    auto* radio = new QRadioButton(QString::fromUtf8(kKindTexts[k]), kindBox);
    radio->setObjectName(QString::number(kKindIds[k]));
    m_kinds->addButton(radio, k + 1);
    kindGrid->addWidget(radio, k / 3, k % 3);
  }
  auto* partyBox = new QGroupBox(QStringLiteral("往来单位"), m_page);
  auto* partyRow = new QHBoxLayout(partyBox);
  m_farmer = new QRadioButton(QStringLiteral("&Z.蔗农"), partyBox);
  m_farmer->setObjectName(QString::number(kFarmer));
  m_transporter = new QRadioButton(QStringLiteral("&C.车主"), partyBox);
  m_transporter->setObjectName(QString::number(kTransporter));
  partyRow->addWidget(m_farmer);
  partyRow->addWidget(m_transporter);
  grid->addWidget(kindBox, 1, 0, 1, 3);
  grid->addWidget(partyBox, 2, 0, 1, 3);

  m_items = new QComboBox(m_page);
  m_items->setObjectName(QString::number(kItems));
  auto* itemLabel = new QLabel(QStringLiteral("&B.项目："), m_page);
  itemLabel->setBuddy(m_items);
  grid->addWidget(itemLabel, 3, 0);
  grid->addWidget(m_items, 3, 1, 1, 3);

  m_perTon = NewEdit(m_page, kPerTon, "NUMBER 0");
  m_perTonLabel = new QLabel(QStringLiteral("&L.按估产预付(元／吨)："), m_page);
  m_perTonLabel->setBuddy(m_perTon);
  m_atMost = NewEdit(m_page, kAtMost, "NUMBER 0");
  m_atMostLabel = new QLabel(QStringLiteral("&D.至多预付(元／吨)："), m_page);
  m_atMostLabel->setBuddy(m_atMost);
  grid->addWidget(m_perTonLabel, 4, 0);
  grid->addWidget(m_perTon, 4, 1, 1, 3);
  grid->addWidget(m_atMostLabel, 5, 0);
  grid->addWidget(m_atMost, 5, 1, 1, 3);

  m_totalLabel = new QLabel(QStringLiteral("总额控制(元):"), m_page);
  m_totalEdits[0] = NewEdit(m_page, kTotalFrom, "NUMBER");
  m_totalDash = new QLabel(QStringLiteral("～"), m_page);
  m_totalEdits[1] = NewEdit(m_page, kTotalTo, "NUMBER");
  m_dropCentsCheck = new QCheckBox(QStringLiteral("舍弃角分"), m_page);
  m_dropCentsCheck->setObjectName(QString::number(kDropCents));
  grid->addWidget(m_totalLabel, 6, 0);
  grid->addWidget(m_totalEdits[0], 6, 1);
  grid->addWidget(m_totalDash, 6, 2);
  grid->addWidget(m_totalEdits[1], 6, 3);
  grid->addWidget(m_dropCentsCheck, 6, 4);

  m_regionLabel = new QLabel(QStringLiteral("&Q.区域："), m_page);
  m_regionEdit = NewEdit(m_page, kRegion, "STRING DIGIT", TsGetFarmerCodeLen());
  m_regionLabel->setBuddy(m_regionEdit);
  auto* picker = AddButton(kPickRegion, QStringLiteral("…"));
  picker->setParent(m_page);
  picker->setMaximumWidth(30);
  m_regionPicker = picker;
  grid->addWidget(m_regionLabel, 7, 0);
  grid->addWidget(m_regionEdit, 7, 1, 1, 3);
  grid->addWidget(picker, 7, 4);

  m_rate = NewEdit(m_page, kRate, "NUMBER");
  auto* rateLabel = new QLabel(QStringLiteral("&L.日利率：万分之"), m_page);
  rateLabel->setBuddy(m_rate);
  m_openingOnlyCheck = new QCheckBox(QStringLiteral("仅含期初余额"), m_page);
  m_openingOnlyCheck->setObjectName(QString::number(kOpeningOnly));
  grid->addWidget(rateLabel, 8, 0);
  grid->addWidget(m_rate, 8, 1, 1, 3);
  grid->addWidget(m_openingOnlyCheck, 8, 4);

  auto* interest = new QGroupBox(QStringLiteral("&J.计息时段"), m_page);
  auto* interestRow = new QHBoxLayout(interest);
  interestRow->addWidget(DateRow(kInterestFrom, m_fromEdits));
  interestRow->addWidget(new QLabel(QStringLiteral("～"), interest));
  interestRow->addWidget(DateRow(kInterestTo, m_toEdits));
  m_interestGroup = interest;
  grid->addWidget(interest, 9, 0, 1, 5);

  for (QWidget* widget : std::initializer_list<QWidget*>{
           m_regionLabel, m_regionEdit, m_regionPicker, m_perTonLabel, m_perTon, m_atMostLabel,
           m_atMost, m_totalLabel, m_totalEdits[0], m_totalDash, m_totalEdits[1], m_dropCentsCheck})
    KeepPlace(widget);

  connect(m_kinds, &QButtonGroup::idToggled, this, [this](int, bool checked) {
    if (checked) UpdateState();
  });
  connect(m_farmer, &QRadioButton::toggled, this, [this](bool checked) {
    if (checked) UpdateState();
  });
  connect(m_transporter, &QRadioButton::toggled, this, [this](bool checked) {
    if (checked) UpdateState();
  });
}

void CTsSheetOpenDlg::OnInitDialog() {
  CSmDlg::OnInitDialog();
  const auto split = [](const std::string& date, CSmEdit* const* edits) {
    SetText(edits[0], date.substr(0, 4));
    SetText(edits[1], date.size() > 4 ? date.substr(4, 2) : "");
    SetText(edits[2], date.size() > 6 ? date.substr(6, 2) : "");
  };
  const QSignalBlocker blockKinds(m_kinds);
  const QSignalBlocker blockFarmer(m_farmer);
  const QSignalBlocker blockTransporter(m_transporter);
  (m_party == 0 ? m_farmer : m_transporter)->setChecked(true);
  split(m_date, m_dateEdits);
  split(m_interestFrom, m_fromEdits);
  split(m_interestTo, m_toEdits);
  if (m_mode >= 1 && m_mode <= 6) m_kinds->button(m_mode)->setChecked(true);
  SetText(m_regionEdit, m_region);
  SetText(m_perTon, PlainNumber(m_advancePerTon, 2));
  SetText(m_atMost, PlainNumber(m_advanceAtMost, 2));
  SetText(m_totalEdits[0], m_totalFrom);
  SetText(m_totalEdits[1], m_totalTo);
  m_dropCentsCheck->setChecked(m_dropCents != 0);
  SetText(m_rate, PlainNumber(m_dailyRate, 6));
  m_openingOnlyCheck->setChecked(m_openingOnly != 0);
  UpdateState();
  if (m_item >= 0 && m_item < m_items->count()) m_items->setCurrentIndex(m_item);
}

void CTsSheetOpenDlg::FillItems(int category) {
  const int kept = m_items->currentIndex() >= 0 ? m_items->currentIndex() : m_item;
  m_items->clear();
  for (int n = 0; n < TsGetKindItemCount(m_party, 1, category, 0); ++n)
    m_items->addItem(QString::fromStdString(TsGetKindItemName(m_party, 1, category, 0, n)));
  if (m_items->count() > 0)
    m_items->setCurrentIndex(kept < 0 || kept >= m_items->count() ? 0 : kept);
}

void CTsSheetOpenDlg::UpdateState() {
  if (m_kinds->checkedId() > 0) m_mode = m_kinds->checkedId();
  const bool choosable = m_kindChoosable == 1;
  const bool voucher = m_mode >= 1 && m_mode <= 4;
  for (QAbstractButton* radio : m_kinds->buttons()) radio->setEnabled(choosable && m_mode > 0);
  m_farmer->setEnabled(choosable && voucher);
  m_transporter->setEnabled(choosable && voucher);
  if (m_mode == 5 || m_mode == 6) {
    const QSignalBlocker block(m_farmer);
    m_farmer->setChecked(true);
  }
  m_party = m_transporter->isChecked() ? 1 : 0;
  FillItems(ItemCategory());
  m_items->setEnabled(voucher && m_items->count() > 0);
  const bool farmer = m_party == 0;
  for (QWidget* widget :
       {static_cast<QWidget*>(m_regionLabel), static_cast<QWidget*>(m_regionEdit), m_regionPicker})
    ShowAndEnable(widget, m_mode > 0 && farmer, choosable);
  const bool perTon = (m_mode == 2 || m_mode == 6) && farmer;
  ShowAndEnable(m_perTonLabel, perTon, choosable);
  ShowAndEnable(m_perTon, perTon, choosable);
  if (m_mode == 2) m_perTonLabel->setText(QStringLiteral("&L.按估产预付(元／吨)："));
  if (m_mode == 6) m_perTonLabel->setText(QStringLiteral("&L.按预估面积(吨／亩)："));
  const bool advance = m_mode == 2 && farmer;
  for (QWidget* widget :
       {static_cast<QWidget*>(m_atMostLabel), static_cast<QWidget*>(m_atMost),
        static_cast<QWidget*>(m_totalLabel), static_cast<QWidget*>(m_totalEdits[0]),
        static_cast<QWidget*>(m_totalDash), static_cast<QWidget*>(m_totalEdits[1]),
        static_cast<QWidget*>(m_dropCentsCheck)})
    ShowAndEnable(widget, advance, advance && choosable);
  const bool interest = m_mode == 4;
  m_rate->setEnabled(interest);
  m_openingOnlyCheck->setEnabled(interest);
  for (int k = 0; k < 3; ++k) {
    m_fromEdits[k]->setEnabled(interest);
    m_toEdits[k]->setEnabled(interest);
  }
  CutHeight();
  setWindowTitle(QString::fromStdString(TitleOf(m_mode, m_party)));
}

void CTsSheetOpenDlg::CutHeight() {
  m_page->adjustSize();
  QWidget* last = m_mode <= 0 ? m_cancelButton : m_mode == 4 ? m_interestGroup : m_regionEdit;
  const int lastBottom = last->mapTo(m_page, QPoint(0, 0)).y() + last->height();
  int height = lastBottom + last->height() / 2;
  // The cut never shows a strip of a control of the rows below.
  for (QWidget* child : m_page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    const int childTop = child->y();
    if (!child->isHidden() && childTop >= lastBottom && childTop < height) height = childTop;
  }
  setFixedSize(m_page->width(), height);
}

std::string CTsSheetOpenDlg::TitleOf(int mode, int party) {
  const bool farmer = party == 0;
  switch (mode) {
    case -1:
      return "过磅";
    case 0:
      return farmer ? "蔗款结算" : "运费结算";
    case 1:
      return farmer ? "农户退预付款" : "运户退预付款";
    case 2:
      return farmer ? "预付农户款" : "预付运户款";
    case 3:
      return farmer ? "委托代扣农户款" : "委托代扣运户款";
    case 4:
      return farmer ? "农户预付款计息" : "运户预付款计息";
    case 5:
      return "甘蔗种植面积预估";
    case 6:
      return "甘蔗种植产量预估";
    default:
      return "打开过磅单";
  }
}

bool CTsSheetOpenDlg::OnCommand(unsigned id) {
  if (id != kPickRegion) return CSmDlg::OnCommand(id);
  CTsFarmerDirDlg picker(m_db, 2, Text(m_regionEdit), this);
  if (picker.DoModal() != SM_IDOK) return true;
  SetText(m_regionEdit, picker.CurrentCode());
  m_regionEdit->setFocus();
  return true;
}

std::string CTsSheetOpenDlg::CheckedDate(CSmEdit* const* edits, int years) {
  const int year = StrToIntDef(Text(edits[0]), 0);
  const int month = StrToIntDef(Text(edits[1]), 0);
  const int day = StrToIntDef(Text(edits[2]), 0);
  const int openYear = TsCaneContextFromApp().year;
  const int businessYear = openYear ? openYear : year;
  if (std::abs(year - businessYear) > years) return Refuse(edits[0], "年度不合理！"), std::string();
  if (month < 1 || month > 12) return Refuse(edits[1], "月份不合理！"), std::string();
  if (day < 1 || day > DaysInMonth(year, month))
    return Refuse(edits[2], "日期不合理！"), std::string();
  return FormatStr("%d", year * 10000 + month * 100 + day);
}

bool CTsSheetOpenDlg::CheckRegion() {
  m_region = Text(m_regionEdit);
  if (m_party != 0 || m_region.empty()) return true;
  // A code with nothing below it is one farmer, not a region.
  if (CNH(m_db, m_region).GetCount(1) == 1) return Refuse(m_regionEdit, "未选择一个有效区域！");
  return true;
}

bool CTsSheetOpenDlg::CheckItem() {
  if (m_mode == 5 || m_mode == 6) {
    m_item = 0;
    return true;
  }
  if (TsGetKindItemCount(m_party, 1, ItemCategory(), 0) == 0)
    return Refuse(m_items, "无此类预付或代扣款项目！");
  if (m_items->currentIndex() < 0) return Refuse(m_items, "未选择预付或代扣款项目！");
  m_item = m_items->currentIndex();
  return true;
}

void CTsSheetOpenDlg::NormaliseTotals() {
  double values[2];
  for (int k = 0; k < 2; ++k) {
    const std::string text = TrimChars(Text(m_totalEdits[k]));
    values[k] = std::fabs(StrToDouble(text));
    if (!text.empty() && values[k] >= 0.0001)
      SetText(m_totalEdits[k], FormatStr("%.2lf", values[k]));
  }
  if (values[0] > 0.0001 && values[1] > 0.0001 && values[1] < values[0]) {
    const QString first = m_totalEdits[0]->text();
    m_totalEdits[0]->setText(m_totalEdits[1]->text());
    m_totalEdits[1]->setText(first);
  }
  m_totalFrom = Text(m_totalEdits[0]);
  m_totalTo = Text(m_totalEdits[1]);
}

bool CTsSheetOpenDlg::ValidateAndSave() {
  for (int k = 1; k <= 4; ++k) {
    if (m_kinds->button(k)->isChecked()) m_mode = k;
  }
  const std::string date = CheckedDate(m_dateEdits, 1);
  if (date.empty()) return false;
  const int day = StrToIntDef(date, 0);
  if (day < StrToIntDef(TsGetYearStartDate(), 0) || day > StrToIntDef(TsGetYearEndDate(), 0))
    return Refuse(m_dateEdits[0], "时间不在此蔗年内！\n" + TsYearRangeText());
  m_date = date;
  if (m_mode <= 0) return true;
  if (!CheckRegion() || !CheckItem()) return false;
  m_advancePerTon = StrToDouble(Text(m_perTon));
  m_advanceAtMost = StrToDouble(Text(m_atMost));
  m_dropCents = m_dropCentsCheck->isChecked() ? 1 : 0;
  m_openingOnly = m_openingOnlyCheck->isChecked() ? 1 : 0;
  // The total limits of an advance are taken in the same form as the other kinds'.
  if (m_mode == 2) NormaliseTotals();
  if (m_mode <= 3) return true;
  const std::string from = CheckedDate(m_fromEdits, 10);
  if (from.empty()) return false;
  const std::string to = CheckedDate(m_toEdits, 10);
  if (to.empty()) return false;
  if (StrToIntDef(from, 0) > StrToIntDef(to, 0))
    return Refuse(m_fromEdits[0], "计息起止时间颠倒！");
  m_interestFrom = from;
  m_interestTo = to;
  m_dailyRate = StrToDouble(Text(m_rate));
  NormaliseTotals();
  return true;
}
