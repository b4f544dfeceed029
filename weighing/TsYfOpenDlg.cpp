#include "weighing/TsYfOpenDlg.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/SmApp.h"
#include "app/SmOpLog.h"
#include "cane/TsParams.h"
#include "core/SmDatabase.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "ui/SmFieldFocus.h"
#include "ui/SmMenuCommands.h"
#include "weighing/TsgbRec.h"
#include "weighing/TsjsRec.h"

namespace {

constexpr unsigned kTemplate = 962;
constexpr int kKindIds[] = {CTsYfOpenDlg::kReceiptId,  CTsYfOpenDlg::kPaymentId,
                            CTsYfOpenDlg::kWithheldId, CTsYfOpenDlg::kInterestId,
                            CTsYfOpenDlg::kAreaId,     CTsYfOpenDlg::kEstimateId};
constexpr const char* kKindTexts[] = {"&1.收款", "&2.付款", "&3.代扣",
                                      "&4.计息", "&5.面积", "&6.估产"};
constexpr int kVoucherLog = 1608;
constexpr int kUnreviewedIcon = 630;
constexpr int kReviewedIcon = 631;

bool MayChange() {
  return HasSmRight(16, "52");
}

bool MayReview() {
  return HasSmRight(16, "54");
}

template <class Button>
Button* Named(Button* button, int id) {
  button->setObjectName(QString::number(id));
  return button;
}

}  // namespace

// ---------------------------------------------------------------- the list

CTsYfSheetList::CTsYfSheetList(CTsYfOpenDlg* dlg, QWidget* parent)
    : CSmListCtrl(parent), m_dlg(dlg) {}

bool CTsYfSheetList::OnCommand(unsigned id) {
  if (id != CTsYfOpenDlg::kReview && id != CTsYfOpenDlg::kCancelReview)
    return CSmListCtrl::OnCommand(id);
  m_dlg->OnReview(id == CTsYfOpenDlg::kCancelReview);
  return true;
}

void CTsYfSheetList::CustomizeContextMenu(QMenu* popup) {
  QAction* cut = nullptr;
  for (QAction* action : popup->actions()) {
    if (action->data().toUInt() == SM_ID_EDIT_CUT) cut = action;
  }
  const std::pair<unsigned, const char*> items[] = {{CTsYfOpenDlg::kReview, "复核"},
                                                    {CTsYfOpenDlg::kCancelReview, "取消复核"}};
  for (const auto& [id, text] : items) {
    auto* action = new QAction(QString::fromUtf8(text), popup);
    action->setObjectName(QString::number(id));
    action->setData(id);
    popup->insertAction(cut, action);
  }
  popup->insertSeparator(cut);
  SmRemoveMenuCommands(popup, {SM_ID_LIST_ADD, SM_ID_LIST_MODIFY, SM_ID_EDIT_CUT, SM_ID_EDIT_COPY,
                               SM_ID_EDIT_PASTE});
}

bool CTsYfSheetList::IsCommandAvailable(unsigned id) {
  return m_dlg->IsListCommandEnabled(id);
}

std::vector<unsigned> CTsYfSheetList::GetIconIds() {
  return {kUnreviewedIcon, kReviewedIcon};
}

void CTsYfSheetList::Open() {
  m_dlg->OnOK();
}

void CTsYfSheetList::Delete() {
  m_dlg->OnDelete();
}

// ---------------------------------------------------------------- the dialog

CTsYfOpenDlg::CTsYfOpenDlg(int party, int kind, bool unreviewedOnly, bool reviewedOnly,
                           const std::string& month, const std::vector<std::string>& numbers,
                           CSmDatabase* db, QWidget* parent)
    : CSmDlg(kTemplate, parent),
      m_party(party),
      m_kind(kind),
      m_unreviewedOnly(unreviewedOnly),
      m_reviewedOnly(reviewedOnly),
      m_month(month),
      m_numbers(numbers),
      m_db(db),
      m_list(new CTsYfSheetList(this, this)),
      m_kinds(new QButtonGroup(this)),
      m_parties(new QButtonGroup(this)),
      m_unreviewed(Named(new QCheckBox(QStringLiteral("&W.未核"), this), kUnreviewedId)),
      m_reviewed(Named(new QCheckBox(QStringLiteral("&Y.已核"), this), kReviewedId)),
      m_months(Named(new QComboBox(this), kMonthId)) {
  setObjectName(QString::number(kTemplate));
  m_list->setObjectName(QString::number(kListId));
  m_list->SetDatabase(db);
  m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  auto* page = new QHBoxLayout(this);
  page->addWidget(m_list, 1);
  page->addWidget(BuildChoices());
  resize(620, 400);
}

QWidget* CTsYfOpenDlg::BuildChoices() {
  auto* side = new QWidget(this);
  auto* column = new QVBoxLayout(side);
  auto* kinds = new QGridLayout;
  for (int n = 0; n < 6; ++n) {
    auto* button = Named(new QRadioButton(QString::fromUtf8(kKindTexts[n]), side), kKindIds[n]);
    m_kinds->addButton(button, n + 1);
    kinds->addWidget(button, n / 2, n % 2);
  }
  column->addLayout(kinds);
  auto* parties = new QHBoxLayout;
  const std::pair<int, const char*> partyButtons[] = {{kFarmersId, "&Z.蔗农"},
                                                      {kDriversId, "&C.车主"}};
  for (int p = 0; p < 2; ++p) {
    auto* button = Named(new QRadioButton(QString::fromUtf8(partyButtons[p].second), side),
                         partyButtons[p].first);
    m_parties->addButton(button, p);
    parties->addWidget(button);
  }
  column->addLayout(parties);
  auto* filters = new QHBoxLayout;
  filters->addWidget(m_unreviewed);
  filters->addWidget(m_reviewed);
  column->addLayout(filters);
  column->addWidget(m_months);
  column->addStretch();
  column->addWidget(AddButton(SM_ID_OK, QStringLiteral("&O.打开")));
  column->addWidget(AddButton(SM_ID_CANCEL, QStringLiteral("&X.关闭")));
  connect(m_kinds, &QButtonGroup::idClicked, this, [this] { OnChange(); });
  connect(m_parties, &QButtonGroup::idClicked, this, [this] { OnChange(); });
  connect(m_unreviewed, &QCheckBox::clicked, this, [this] { OnChange(); });
  connect(m_reviewed, &QCheckBox::clicked, this, [this] { OnChange(); });
  connect(m_months, &QComboBox::activated, this, [this] { OnChange(); });
  return side;
}

void CTsYfOpenDlg::OnInitDialog() {
  CSmDlg::OnInitDialog();
  FillMonths();
  if (QAbstractButton* kind = m_kinds->button(m_kind)) kind->setChecked(true);
  m_parties->button(m_party == 1 ? 1 : 0)->setChecked(true);
  m_unreviewed->setChecked(m_unreviewedOnly);
  m_reviewed->setChecked(m_reviewedOnly);
  setWindowTitle(QString::fromStdString(Caption()));
  m_list->Initialize();
  m_list->setAllColumnsShowFocus(true);
  m_list->SetColumns({70, 80, 70, 70}, {"单号", "时间", "操作员", "复核员"});
  FillList();
  m_list->SelectTexts(m_numbers);
  m_list->setFocus();
}

void CTsYfOpenDlg::FillMonths() {
  // The months of the accounting year, the first after the start month, the start month last.
  const std::string start = TsGetYearStartDate();
  const int first = start.size() >= 6 ? StrToIntDef(start.substr(4, 2), 1) : 1;
  m_months->addItem(QString());
  for (int n = 1; n <= 12; ++n)
    m_months->addItem(QString::fromStdString(FormatStr("%02d月", (first - 1 + n) % 12 + 1)));
  int chosen = 0;
  for (int i = 1; !m_month.empty() && i < m_months->count(); ++i) {
    if (m_months->itemText(i).startsWith(QString::fromStdString(m_month))) chosen = i;
  }
  m_months->setCurrentIndex(chosen);
}

void CTsYfOpenDlg::OnChange() {
  m_kind = m_kinds->checkedId() > 0 ? m_kinds->checkedId() : m_kind;
  m_party = m_kind >= 5 ? 0 : m_parties->checkedId();
  m_parties->button(m_party)->setChecked(true);
  // Checking one review filter clears the other; any other change clears "未核".
  if (m_unreviewed->isChecked()) (m_unreviewedOnly ? m_unreviewed : m_reviewed)->setChecked(false);
  m_unreviewedOnly = m_unreviewed->isChecked();
  m_reviewedOnly = m_reviewed->isChecked();
  m_month = m_months->currentText().left(2).toStdString();
  setWindowTitle(QString::fromStdString(Caption()));
  FillList();
}

std::string CTsYfOpenDlg::Caption() const {
  static const char* const kCaptions[][2] = {
      {"打开农户退预付款单", "打开运户退预付款单"},
      {"打开预付农户款单", "打开预付运户款单"},
      {"打开委托代扣农户款单", "打开委托代扣运户款单"},
      {"打开农户预付款计息单", "打开运户预付款计息单"},
      {"打开甘蔗种植面积预估单", "打开甘蔗种植面积预估单"},
      {"打开甘蔗种植产量预估单", "打开甘蔗种植产量预估单"},
  };
  if (m_kind < 1 || m_kind > 6) return "打开预付款单据";
  return kCaptions[m_kind - 1][m_party == 1 ? 1 : 0];
}

std::string CTsYfOpenDlg::LogName() const {
  return QString::fromStdString(Caption()).mid(2).toStdString();
}

void CTsYfOpenDlg::FillList() {
  m_list->clear();
  CTsjsRec rec;
  std::vector<CTsjsRec> vouchers;
  rec.QueryDocumentList(m_month, m_party, m_kind, m_unreviewedOnly, m_reviewedOnly, vouchers, m_db);
  for (const CTsjsRec& v : vouchers)
    m_list->AddRow({v.DH, v.T, v.OPR[0], v.OPR[1]}, v.OPR[1].empty() ? 0 : 1);
}

int CTsYfOpenDlg::OnlySelected() const {
  return m_list->selectedItems().size() == 1 ? m_list->FirstSelected() : -1;
}

std::string CTsYfOpenDlg::Cell(int row, int column) const {
  return m_list->topLevelItem(row)->text(column).toStdString();
}

void CTsYfOpenDlg::SelectRow(int row) {
  m_list->clearSelection();
  if (row < 0 || row >= m_list->RowCount()) return;
  QTreeWidgetItem* item = m_list->topLevelItem(row);
  m_list->setCurrentItem(item);
  m_list->scrollToItem(item);
}

bool CTsYfOpenDlg::IsListCommandEnabled(unsigned id) {
  const int row = OnlySelected();
  switch (id) {
    case SM_ID_LIST_DELETE:
      return MayChange() && row >= 0 && Cell(row, 3).empty() && Cell(row, 2) == TsOperatorNo();
    case kReview:
      return MayReview() && row >= 0 && Cell(row, 3).empty();
    case kCancelReview:
      return MayReview() && row >= 0 && Cell(row, 3) == TsOperatorNo();
    case SM_ID_LIST_ADD:
    case SM_ID_LIST_MODIFY:
    case SM_ID_EDIT_COPY:
    case SM_ID_EDIT_CUT:
    case SM_ID_EDIT_PASTE:
      return false;
    default:
      return true;
  }
}

void CTsYfOpenDlg::OnDelete() {
  const int row = OnlySelected();
  if (row < 0 || !MayChange()) return;
  if (SmMessageBox("真的要删除吗？", SM_MB_YESNO | SM_MB_ICONQUESTION) != SM_IDYES) return;
  const std::string number = Cell(row, 0);
  if (!CTsjsRec::DeleteDocument(m_party, m_kind, number, m_db)) {
    FillList();  // show the voucher as it now stands
    return;
  }
  FillList();
  SelectRow(row < m_list->RowCount() ? row : m_list->RowCount() - 1);
  CSmOpLog(kVoucherLog, FormatStr("修改%s：%s", LogName().c_str(), number.c_str()));
}

void CTsYfOpenDlg::OnReview(bool cancel) {
  if (m_list->FirstSelected() < 0 || !MayReview()) return;
  std::vector<std::string> done;
  const std::string operatorNo = TsOperatorNo();
  for (int row = m_list->RowCount() - 1; row >= 0; --row) {
    if (!m_list->topLevelItem(row)->isSelected()) continue;
    const std::string number = Cell(row, 0);
    const bool ok = cancel ? CTsjsRec::CancelReview(m_party, m_kind, number, operatorNo, m_db)
                           : CTsjsRec::Review(m_party, m_kind, number, operatorNo, m_db);
    // Another station may have been first: only a voucher that changed is done.
    if (!ok || m_db->RowsChanged() == 0) continue;
    done.push_back(number);
    CSmOpLog(kVoucherLog, FormatStr(cancel ? "取消复核%s：%s" : "复核%s：%s", LogName().c_str(),
                                    number.c_str()));
  }
  FillList();
  m_list->SelectTexts(done);
}

void CTsYfOpenDlg::OnOK() {
  std::vector<std::string> chosen;
  for (int row = 0; row < m_list->RowCount(); ++row) {
    if (m_list->topLevelItem(row)->isSelected()) chosen.push_back(Cell(row, 0));
  }
  if (chosen.empty()) {
    SmRefuse("未选择单据！", m_list);
    return;
  }
  m_numbers = chosen;
  EndOK();
}
