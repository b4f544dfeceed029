#include "weighing/TsjsFrmView.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>

#include "app/SmApp.h"
#include "app/SmOpLog.h"
#include "cane/TsDriverDirDlg.h"
#include "cane/TsDriverRec.h"
#include "cane/TsFarmerDirDlg.h"
#include "cane/TsItems.h"
#include "cane/TsNH.h"
#include "cane/TsParams.h"
#include "core/SmDatabase.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "ui/SmEdit.h"
#include "ui/SmFieldFocus.h"
#include "weighing/TsSlipLayout.h"
#include "weighing/TsSlipOps.h"
#include "weighing/TsSlipPrint.h"
#include "weighing/TsgbDoc.h"
#include "weighing/TsjsDoc.h"

namespace {

using enum CTsjsFrmView::ControlId;

enum : int {
  kAbort = SM_ID_CANCEL,
  kCustomPrint = 43125,
};

// The buttons beside the picker, top to bottom.
constexpr int kButtons[] = {SM_ID_OK, kAbort, kPrint, kPayButton};

int NumberOf(const QWidget* widget) {
  bool ok = false;
  const int id = widget ? widget->objectName().toInt(&ok) : 0;
  return ok ? id : 0;
}

std::string Plain(double value, int minDecimals, int maxDecimals) {
  return ReplaceAll(
      FormatNumber(RoundTo(value, maxDecimals) + 0.0, 0, minDecimals, maxDecimals, true), ",", "");
}

}  // namespace

// ---------------------------------------------------------------- the ticket picker

CTsjsTicketList::CTsjsTicketList(QWidget* parent) : CSmListCtrl(parent) {
  setObjectName(QString::number(kPicker));
  setWindowTitle(QStringLiteral("甘蔗收购发票过磅单清单"));
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setAllColumnsShowFocus(true);
}

void CTsjsTicketList::SetKind(int kind) {
  SetColumns({80, 90, 90, 90, 100},
             {"单号", "时间", "蔗重", kind == 0 ? "蔗价" : "运价", kind == 0 ? "蔗款" : "运费"});
}

// ---------------------------------------------------------------- the form

CTsjsFrmView::CTsjsFrmView() {
  auto* label = new QLabel(QStringLiteral("&N.户号："), Form());
  label->setObjectName("1014");
  label->adjustSize();
  auto* household = new CSmEdit(Form());
  household->setObjectName(QString::number(kHousehold));
  household->resize(120, 24);
  label->setBuddy(household);
  AddButton(kPick, "&B");
  Control(kPick)->resize(28, 24);
  auto* pickerLabel = new QLabel(QStringLiteral("&L\n过\n磅\n单"), Form());
  pickerLabel->setObjectName(QString::number(kPickerLabel));
  pickerLabel->adjustSize();
  m_picker = new CTsjsTicketList(Form());
  pickerLabel->setBuddy(m_picker);
  m_picker->resize(460, 150);
  auto* number = new QLineEdit(Form());
  number->setObjectName(QString::number(kNumber));
  number->hide();
  AddButton(SM_ID_ENTER, "默认按扭");
  AddButton(SM_ID_OK, "&S.确认结算");
  AddButton(kAbort, "&X.中止");
  AddButton(kPrint, "&P.打印");
  AddButton(kPayButton, "&K.付款");
}

CTsjsDoc* CTsjsFrmView::Doc() const {
  return dynamic_cast<CTsjsDoc*>(GetDocument());
}

void CTsjsFrmView::OnInitialUpdate() {
  CTsjsDoc* doc = Doc();
  const int k = doc ? doc->Kind() : 0;
  // The deduction edits follow the kind's slip items.
  for (int item : TsjsDeductionItems(k)) {
    auto* edit = new CSmEdit(Form());
    const int id = kItemBase + item;
    edit->setObjectName(QString::number(id));
    edit->SetInputType("NUMBER", 12, 2);
    edit->resize(60, 22);
    connect(edit, &QLineEdit::textEdited, this, [this] { ReadDeductions(); });
    m_itemIds.push_back(id);
  }
  CSmCardFrmView::OnInitialUpdate();
  m_picker->SetKind(k);
  if (auto* household = dynamic_cast<CSmEdit*>(Control(kHousehold)))
    household->SetInputType(
        "STRING DIGIT", k == 1 ? TsGetIntParam(TsIntParam::DriverCodeLen) : TsGetFarmerCodeLen());
  if (doc) doc->ViewReady();
}

void CTsjsFrmView::OnUpdate(CSmView* sender, long hint) {
  if (hint == kTsHintShowRecord) return ShowSlip();
  // A slip is typed from its household on (or its tickets, while one is browsed).
  if (hint == kTsHintStartTyping) return FocusFirstField();
  if (hint == 0) CSmCardFrmView::OnUpdate(sender, hint);
}

void CTsjsFrmView::PlaceControls() {
  CTsjsDoc* doc = Doc();
  if (!doc || !Layout() || Layout()->m_items.empty()) return;
  const int k = doc->Kind();
  const int ticketItems = TsGetKindItemCount(k, 0, 0, 1) + TsGetKindItemCount(k, 0, 1, 1);
  for (size_t n = 0; n < m_itemIds.size(); ++n)
    PlaceControl(Control(m_itemIds[n]), TsSlipItemCell(k, ticketItems + static_cast<int>(n)), 2,
                 true);
  PlaceControl(Control(kNumber), 3, 2, true);
  // Below the preview: household, picker and the buttons.
  const int bottom = Layout()->GetItemRect(static_cast<int>(Layout()->m_items.size()) - 1).bottom;
  const int y = bottom + 12;
  QWidget* label = Control(1014);
  OffsetControl(label, 10, y + 4);
  OffsetControl(Control(kHousehold), 10 + label->width() + 4, y);
  OffsetControl(Control(kPick), 10 + label->width() + 128, y);
  OffsetControl(Control(kPickerLabel), 10, y + 34);
  OffsetControl(m_picker, 40, y + 34);
  const int x = 40 + m_picker->width() + 16;
  int row = y + 34;
  for (int id : kButtons) {
    Control(id)->resize(110, Control(id)->height());
    OffsetControl(Control(id), x, row);
    row += Control(id)->height() + 6;
  }
  Form()->resize(Form()->width(), std::max(Form()->height(), y + 34 + m_picker->height() + 20));
}

// ---------------------------------------------------------------- showing a slip

void CTsjsFrmView::ShowSlip() {
  CTsjsDoc* doc = Doc();
  if (!doc) return;
  LoadPicker();
  doc->Refresh();
  ShowDeductions();
  SetFieldText(kHousehold, doc->m_sums.KNO[doc->Kind()]);
  SetFieldText(kNumber, doc->Number());
  UpdateControls();
  OnUpdate(nullptr, 0);
}

void CTsjsFrmView::LoadPicker() {
  CTsjsDoc* doc = Doc();
  m_picker->clear();
  if (!doc || doc->Number().empty()) return;
  const int k = doc->Kind();
  CSmDatabase* db = doc->m_db;
  std::string where;
  if (doc->IsBrowsing()) {
    const std::string number = db->SqlText(doc->Number());
    doc->m_deductions.Clear();
    if (!doc->m_deductions.TsjsSelect(
            FormatStr("Where LB='%d' And DB='0' And DH='%s'", k, number.c_str()), db))
      doc->m_deductions.Clear();
    where = FormatStr("Where JN%d='%s'", k, number.c_str());
  } else {
    doc->m_sums.JT[k] = doc->m_date;
    if (doc->m_sums.KNO[k].empty()) return;
    where = TsSlipOpenTicketsWhere(k, doc->m_sums.KNO[k], db);
  }
  std::vector<CTsgbRec> tickets;
  CTsgbRec reader;
  reader.Select(where, "Order by DH", tickets, db);
  doc->m_tickets = static_cast<int>(tickets.size());
  bool samePrice = true;
  for (size_t i = 0; i < tickets.size(); ++i) {
    const CTsgbRec& t = tickets[i];
    m_picker->AddRow({t.DH, t.T, TsWeightText(t.GetWeight(k)), Plain(t.PR[k], 2, 4),
                      Plain(t.MY[static_cast<size_t>(6 * k)], 2, 2)});
    if (!doc->IsBrowsing()) continue;
    doc->AddTicket(t, i == 0);
    samePrice = samePrice && std::fabs(t.PR[k] - tickets[0].PR[k]) <= 1e-6;
  }
  if (doc->IsBrowsing()) {
    doc->SetSlipPrice(samePrice);
    return;
  }
  m_picker->selectAll();
  doc->m_tickets = static_cast<int>(m_picker->selectedItems().size());
}

std::vector<std::string> CTsjsFrmView::ChosenTickets() const {
  std::vector<std::string> numbers;
  for (int row = 0; row < m_picker->RowCount(); ++row) {
    QTreeWidgetItem* item = m_picker->topLevelItem(row);
    if (item->isSelected()) numbers.push_back(item->text(0).toStdString());
  }
  return numbers;
}

void CTsjsFrmView::ShowDeductions() {
  CTsjsDoc* doc = Doc();
  if (!doc) return;
  m_updating = true;
  for (int id : m_itemIds)
    SetFieldText(id, Plain(doc->m_deductions.MY[static_cast<size_t>(id - kItemBase)], 2, 2));
  m_updating = false;
}

void CTsjsFrmView::ReadDeductions() {
  CTsjsDoc* doc = Doc();
  if (!doc || m_updating) return;
  for (int id : m_itemIds)
    doc->m_deductions.MY[static_cast<size_t>(id - kItemBase)] =
        RoundTo(StrToDouble(FieldText(id)), 2);
  doc->Refresh();
  Form()->update();
}

void CTsjsFrmView::UpdateControls() {
  CTsjsDoc* doc = Doc();
  if (!doc) return;
  const bool browsing = doc->IsBrowsing();
  const int step = doc->m_step;
  auto* ok = qobject_cast<QPushButton*>(Control(SM_ID_OK));
  const char* texts[] = {"&S.确认户号", "&S.确认过磅单", "&S.结算"};
  ok->setText(QString::fromUtf8(browsing ? "浏览状态" : texts[std::clamp(step, 0, 2)]));
  ok->setEnabled(!browsing);
  const int k = doc->Kind();
  const bool payable =
      browsing && doc->m_sums.OPR[4 + k].empty() && !doc->m_sums.OPR[2 + k].empty();
  const bool pay = doc->Number().empty() ? doc->CanPayChosen() : payable;
  Control(kPayButton)->setEnabled(pay);
  Control(kAbort)->setEnabled(!browsing && step != 0);
  Control(kHousehold)->setEnabled(!browsing && step == 0);
  Control(kPick)->setEnabled(!browsing && step == 0);
  m_picker->setEnabled(browsing || step == 1);
  Control(kNumber)->setVisible(false);
  const bool deductions = !browsing && step == 2;
  for (int id : m_itemIds) {
    Control(id)->setEnabled(deductions);
    Control(id)->setVisible(deductions);
  }
}

// ---------------------------------------------------------------- the steps

bool CTsjsFrmView::CheckHousehold() {
  CTsjsDoc* doc = Doc();
  const std::string code = FieldText(kHousehold);
  if (doc->Kind() == 1) {
    CTsDriverRec driver;
    return !code.empty() && TsDriverLoad(driver, code, doc->m_db) > 0;
  }
  if (code.empty()) return false;
  CNH farmer(doc->m_db, code);
  // A code with lower levels is a region, not a farmer.
  return farmer.Load(0) == 1 && farmer.GetCount(1) == 1;
}

void CTsjsFrmView::PickHousehold() {
  CTsjsDoc* doc = Doc();
  if (!doc) return;
  const std::string code = FieldText(kHousehold);
  std::string picked;
  if (doc->Kind() == 1) {
    CTsDriverDirDlg picker(true, doc->m_db, code, this);
    if (picker.DoModal() == SM_IDOK) picked = picker.SelectedCode();
  } else {
    CTsFarmerDirDlg picker(doc->m_db, 1, code, this);
    if (picker.DoModal() == SM_IDOK) picked = picker.CurrentCode();
  }
  if (!picked.empty()) SetFieldText(kHousehold, picked);
  FocusControl(kHousehold);
}

bool CTsjsFrmView::ConfirmHousehold() {
  CTsjsDoc* doc = Doc();
  if (!CheckHousehold()) {
    FocusControl(kHousehold);
    return false;
  }
  doc->m_sums.KNO[doc->Kind()] = FieldText(kHousehold);
  doc->m_step = 1;
  LoadPicker();
  doc->Refresh();
  UpdateControls();
  OnUpdate(nullptr, 0);
  m_picker->setFocus();
  return true;
}

bool CTsjsFrmView::ConfirmTickets() {
  CTsjsDoc* doc = Doc();
  const int k = doc->Kind();
  const std::vector<std::string> chosen = ChosenTickets();
  if (chosen.empty()) return SmRefuse("未选择过磅单!", Control(kPicker));
  doc->m_tickets = static_cast<int>(chosen.size());
  bool samePrice = true;
  std::string firstPrice;
  for (size_t i = 0; i < chosen.size(); ++i) {
    CTsgbRec ticket;
    ticket.Load(FormatStr("Where DH='%s'", doc->m_db->SqlText(chosen[i]).c_str()), doc->m_db);
    doc->AddTicket(ticket, i == 0);
    const std::string price = Plain(ticket.PR[k], 2, 4);
    if (i == 0) firstPrice = price;
    samePrice = samePrice && price == firstPrice;
  }
  doc->SetSlipPrice(samePrice);
  CTsjsRec sums;
  sums.GetHouseholdSums(k, doc->m_sums.KNO[k], doc->m_db);
  doc->m_deductions.Clear();
  for (int id : m_itemIds) {
    const auto item = static_cast<size_t>(id - kItemBase);
    doc->m_deductions.MY[item] = RoundTo(-sums.MY[item], 2) + 0.0;
  }
  doc->m_step = 2;
  doc->Refresh();
  ShowDeductions();
  UpdateControls();
  OnUpdate(nullptr, 0);
  FocusControl(m_itemIds.empty() ? static_cast<int>(SM_ID_OK) : m_itemIds.front());
  return true;
}

bool CTsjsFrmView::Settle() {
  CTsjsDoc* doc = Doc();
  const int k = doc->Kind();
  CSmDatabase* db = doc->m_db;
  ReadDeductions();
  const SmRefusal refusal =
      TsjsCheckDeductions(k, doc->m_sums.KNO[k], doc->m_deductions, doc->m_sums.GetTotal(k), db);
  if (refusal) {
    const int first = m_itemIds.empty() ? static_cast<int>(SM_ID_OK) : m_itemIds.front();
    return SmShowRefusal(refusal,
                         Control(refusal.field == kSmNoField ? first : kItemBase + refusal.field));
  }
  const std::string number = TsNextDocNo(k, 0, db);
  if (number.empty()) return false;
  CTsjsRec row = doc->m_deductions;
  row.FK = 0;
  row.LB = k;
  row.DB = 0;
  row.T = doc->m_date;
  row.KNO = doc->m_sums.KNO[k];
  row.DH = number;
  row.OPR[0] = TsOperatorNo();
  CTsgbRec slip = doc->m_sums;
  slip.JN[k] = number;
  slip.JT[k] = doc->m_date;
  slip.OPR[2 + k] = row.OPR[0];
  if (!TsjsSettle(slip, k, ChosenTickets(), row, db)) {
    // Back to the ticket choice of a new slip for the same household.
    const std::string household = doc->m_sums.KNO[k];
    doc->SelectSlip({kTsNewSlip});
    SetFieldText(kHousehold, household);
    ConfirmHousehold();
    return false;
  }
  CSmOpLog(16, 6 + k, "新增：" + number);
  doc->Notify(this, kTsHintRowsStored, number);
  if (TsGetPrintWhen(1 + k) == 1) PrintSlip(false);
  doc->Notify(this, kTsHintSelectNumber, kTsNewSlip);
  FocusControl(kHousehold);
  return true;
}

void CTsjsFrmView::OnEnterButton() {
  CTsjsDoc* doc = Doc();
  if (!doc || doc->IsBrowsing() || doc->Number().empty()) return;
  switch (doc->m_step) {
    case 0:
      ConfirmHousehold();
      break;
    case 1:
      ConfirmTickets();
      break;
    default:
      Settle();
      break;
  }
}

void CTsjsFrmView::OnEnterList() {
  if (CTsjsDoc* doc = Doc()) doc->Notify(this, kTsHintShowSelection);
}

void CTsjsFrmView::OnEnterKey() {
  QWidget* focus = QApplication::focusWidget();
  if (!focus) focus = window()->focusWidget();
  int id = 0;
  for (QWidget* w = focus; w && w != Form() && id == 0; w = w->parentWidget()) id = NumberOf(w);
  if (!m_itemIds.empty() && id == m_itemIds.back()) return FocusControl(SM_ID_OK);
  switch (id) {
    case SM_ID_OK:
      return OnEnterButton();
    case kAbort:
      return OnEnterList();
    case kPicker:
      return FocusControl(SM_ID_OK);
    case kHousehold:
      if (CheckHousehold()) return FocusControl(SM_ID_OK);
      return PickHousehold();
    case kPick:
      return PickHousehold();
    default:
      break;
  }
  if (QWidget* next = SmNextTabField(Control(id), Form())) next->setFocus(Qt::TabFocusReason);
}

// ---------------------------------------------------------------- commands and printing

bool CTsjsFrmView::PrintSlip(bool customPositions) {
  CTsjsDoc* doc = Doc();
  if (!doc || !doc->IsBrowsing()) return false;
  const int k = doc->Kind();
  const std::string number = doc->Number();
  if (!TsSlipReprintCheck(k, number, doc->m_db)) return false;
  doc->Notify(this, kTsHintRowsStored, number);
  const int style = customPositions ? kTsPrintAtPositions : TsGetPrintStyle(1 + k);
  doc->Refresh();
  OnUpdate(nullptr, 0);
  return TsSlipPrint(style, doc->m_sums, k, doc->m_tickets, doc->m_deductions, doc->m_layout,
                     doc->m_db);
}

bool CTsjsFrmView::OnCommand(int id) {
  CTsjsDoc* doc = Doc();
  switch (id) {
    case kPick:
      PickHousehold();
      return true;
    case kAbort:
      OnEnterList();
      return true;
    case kPrint:
      PrintSlip(false);
      return true;
    case kCustomPrint:
      PrintSlip(true);
      return true;
    case kPayButton:
      if (doc) doc->Notify(this, kTsHintPay);
      return true;
    case kTsRefresh:
      if (doc) doc->Notify(this, kTsHintReread);
      return true;
    default:
      return CSmCardFrmView::OnCommand(id);
  }
}
