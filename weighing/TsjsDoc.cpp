#include "weighing/TsjsDoc.h"

#include <QMenu>
#include <cmath>

#include "app/SmApp.h"
#include "app/SmOpLog.h"
#include "cane/TsDocTemplates.h"
#include "cane/TsDriverRec.h"
#include "cane/TsNH.h"
#include "cane/TsParams.h"
#include "core/SmDatabase.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "forms/SmChildFrm.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "res/SmResource.h"
#include "weighing/TsSheetOpenDlg.h"
#include "weighing/TsSlipLayout.h"
#include "weighing/TsSlipOps.h"
#include "weighing/TsgbDoc.h"
#include "weighing/TsjsFrmView.h"

namespace {

constexpr int kSlipTemplate = 256;
constexpr int kLogGroup = 16;

// The working date last chosen, offered at the next opening while the program runs.
std::string& RememberedDate() {
  static std::string date;
  return date;
}

// Right x of the slips of the kind: 1 make, 2 delete, 3 pay, 4 review, 5 print again.
bool HasSlipRight(int kind, int x) {
  return HasSmRight(16, FormatStr("%d", 30 + 10 * kind + x));
}

std::string HouseholdName(int kind, const std::string& code, CSmDatabase* db) {
  if (code.empty()) return {};
  if (kind == 1) {
    CTsDriverRec driver;
    return TsDriverLoad(driver, code, db) > 0 ? driver.NA : std::string();
  }
  CNH farmer(db, code);
  return farmer.Load(0) > 0 ? farmer.NA : std::string();
}

}  // namespace

// ---------------------------------------------------------------- CTsjsDoc

void CTsjsDoc::OnInitDocument() {
  m_layout.m_screenMargins = {10, 20, 10, 100};
  if (CSmFrameWnd* main = CSmFrameWnd::Main()) {
    const QWidget* client = main->centralWidget() ? main->centralWidget() : main;
    m_layout.m_cardWidth = client->width() * 5 / 6;
    m_layout.m_cardHeight = client->height() * 6 / 7;
  }
  // Today, or the working date chosen before; either within the open file's year.
  if (RememberedDate().empty()) RememberedDate() = TsProposedWorkDate();
  m_date = TsNearestYearDay(RememberedDate());
  m_step = 0;
}

bool CTsjsDoc::LoadRows(int /*openMode*/) {
  CTsSheetOpenDlg dlg(m_date, nullptr, m_db);
  dlg.m_mode = 0;
  dlg.m_party = Kind();
  if (dlg.DoModal() != SM_IDOK) return false;
  RememberedDate() = dlg.m_date;
  m_date = dlg.m_date;
  return true;
}

std::string CTsjsDoc::GetCardTitle(int /*mode*/) {
  return Kind() == 1 ? "运费结算单" : "云南省甘蔗收购发票";
}

void CTsjsDoc::Refresh() {
  TsSlipBuildLayout(Kind(), m_layout);
  TsSlipFillLayout(m_sums, Kind(), m_tickets, m_deductions, m_layout, m_db);
}

void CTsjsDoc::SelectSlip(const std::vector<std::string>& numbers) {
  m_sums.Clear();
  m_deductions.Clear();
  m_tickets = 0;
  m_step = 0;
  m_chosen = numbers.size();
  if (numbers.size() == 1) m_sums.JN[Kind()] = numbers[0];
}

bool CTsjsDoc::CanPayChosen() const {
  return HasSlipRight(Kind(), 3) && m_chosen > 0;
}

void CTsjsDoc::AddTicket(const CTsgbRec& ticket, bool first) {
  const int k = Kind();
  if (first) {
    const CTsgbRec slip = m_sums;
    m_sums.Clear();
    m_sums.JN[k] = slip.JN[k];
    m_sums.JT[k] = slip.JT[k];
    m_sums.KNO[k] = slip.KNO[k];
  }
  if (IsBrowsing()) {
    m_sums.KNO[k] = ticket.KNO[k];
    m_sums.JT[k] = ticket.JT[k];
    for (int op : {2, 4, 6}) m_sums.OPR[op + k] = ticket.OPR[op + k];
  }
  for (int i = 0; i < 3; ++i) m_sums.MU[i] += ticket.MU[i];
  for (int i = 6 * k; i < 6 * k + 6; ++i)
    m_sums.MY[static_cast<size_t>(i)] += ticket.MY[static_cast<size_t>(i)];
  if (first) m_sums.PR[k] = ticket.PR[k];
}

void CTsjsDoc::SetSlipPrice(bool samePrice) {
  const int k = Kind();
  if (samePrice) return;  // the first ticket's price stands
  const double weight = m_sums.GetWeight(k);
  m_sums.PR[k] =
      std::fabs(weight) <= 1e-6 ? 0.0 : RoundTo(m_sums.MY[static_cast<size_t>(6 * k)] / weight, 2);
}

// ---------------------------------------------------------------- the slip operations

bool TsjsSettle(const CTsgbRec& slip, int kind, const std::vector<std::string>& tickets,
                CTsjsRec& deductions, CSmDatabase* db) {
  return TsSlipMakeCheck(slip, kind, tickets, db, [&](std::string& refusal) {
           const int written = deductions.Insert(1, db);
           if (written < 0) return false;
           // The slip's number is new to the tickets; a deduction row of it already stored belongs
           // to a slip made under the same number elsewhere.
           const long rows = db->QueryInt(
               FormatStr("Select Count(*) From jsSheet Where LB='%d' And DB='0' And DH='%s'", kind,
                         db->SqlText(deductions.DH).c_str()));
           if (rows == written) return true;
           refusal = "结算单号重号！";
           return false;
         }) == 1;
}

bool TsjsSetSlipStep(int kind, int step, bool cancel, const std::string& number, bool& changed,
                     CSmDatabase* db) {
  return TsjsSetSlipStep(kind, step, cancel, number, TsOperatorNo(), changed, db);
}

bool TsjsSetSlipStep(int kind, int step, bool cancel, const std::string& number,
                     const std::string& operatorNo, bool& changed, CSmDatabase* db) {
  changed = false;
  return SmRunInTransaction(db, [&] {
    long long rows = 0;
    const bool ok = cancel ? TsSlipClearStep(kind, step, number, operatorNo, db, &rows)
                           : TsSlipSetStep(kind, step, number, operatorNo, db, &rows);
    if (!ok) return false;
    changed = rows > 0;
    if (!changed || step != 0) return true;
    return cancel ? CTsjsRec::CancelReview(kind, 0, number, operatorNo, db)
                  : CTsjsRec::Review(kind, 0, number, operatorNo, db);
  });
}

bool TsjsCancelSlip(int kind, const std::string& number, CSmDatabase* db) {
  return SmRunInTransaction(db, [&] {
    return TsSlipCancel(kind, number, db) == 1 && CTsjsRec::DeleteDocument(kind, 0, number, db);
  });
}

// ---------------------------------------------------------------- CTsjsListView

CTsjsDoc* CTsjsListView::Doc() const {
  return dynamic_cast<CTsjsDoc*>(GetDocument());
}

void CTsjsListView::OnInitialUpdate() {
  if (CTsjsDoc* doc = Doc()) SetDatabase(doc->m_db);
  CSmListView::OnInitialUpdate();
  List()->setSelectionMode(QAbstractItemView::ExtendedSelection);
  List()->setSelectionBehavior(QAbstractItemView::SelectRows);
  if (CTsjsDoc* doc = Doc()) doc->ViewReady();
}

void CTsjsListView::GetColumns(std::vector<int>& widths, std::vector<std::string>& captions) {
  widths = {56, 60, 40, 90, 40, 70};
  captions = {"单号", "结算人", "操作", "付款", "复核", "打印次数"};
}

void CTsjsListView::LoadRows() {
  CTsjsDoc* doc = Doc();
  if (!doc) return;
  const QSignalBlocker quiet(List());
  List()->clear();
  const int k = doc->Kind();
  std::vector<TsSlipLine> slips;
  TsSlipList(k, doc->m_date, slips, doc->m_db);
  for (const TsSlipLine& s : slips) {
    const int icon = (s.payer.empty() ? 0 : 1) + (s.prints > 0 ? 2 : 0);
    SetItems({s.number, HouseholdName(k, s.household, doc->m_db), s.settler, s.payer, s.reviewer,
              FormatStr("%d", s.prints)},
             icon);
  }
  if (HasSlipRight(k, 1)) SetItems({kTsNewSlip, "", "", "", "", "0"}, 0);
}

void CTsjsListView::CustomizeContextMenu(QMenu* popup) {
  QAction* remove = nullptr;
  for (QAction* action : popup->actions()) {
    const int id = CSmCommandManager::CommandId(action);
    if (id == SM_ID_LIST_DELETE) remove = action;
  }
  CSmCommandManager& commands = CSmCommandManager::Instance();
  popup->insertAction(remove, commands.Register(SM_ID_SLIP_PAY, "付款"));
  popup->insertAction(remove, commands.Register(SM_ID_SLIP_PAY_CANCEL, "取消付款"));
  popup->insertSeparator(remove);
  popup->insertAction(remove, commands.Register(SM_ID_REVIEW, "复核"));
  popup->insertAction(remove, commands.Register(SM_ID_REVIEW_CANCEL, "取消复核"));
  popup->insertSeparator(remove);
  popup->insertAction(remove, commands.Register(kTsRefresh, "刷新\tF5"));
  for (QAction* action : popup->actions()) {
    const int id = CSmCommandManager::CommandId(action);
    if (id == SM_ID_LIST_ADD || id == SM_ID_LIST_OPEN || id == SM_ID_LIST_MODIFY ||
        id == SM_ID_EDIT_CUT || id == SM_ID_EDIT_COPY || id == SM_ID_EDIT_PASTE)
      popup->removeAction(action);
  }
}

bool CTsjsListView::IsCommandAvailable(unsigned id) {
  CTsjsDoc* doc = Doc();
  if (!doc) return false;
  const int k = doc->Kind();
  std::vector<std::string> numbers;
  GetSelectedTexts(numbers);
  switch (id) {
    case SM_ID_LIST_DELETE: {
      if (!HasSlipRight(k, 2) || numbers.size() != 1) return false;
      const int row = List()->FirstSelected();
      return row >= 0 && List()->topLevelItem(row)->text(3).isEmpty();
    }
    case SM_ID_SLIP_PAY:
    case SM_ID_SLIP_PAY_CANCEL:
      return HasSlipRight(k, 3) && !numbers.empty();
    case SM_ID_REVIEW:
    case SM_ID_REVIEW_CANCEL:
      return HasSlipRight(k, 4) && !numbers.empty();
    default:
      return true;
  }
}

void CTsjsListView::Delete() {
  CTsjsDoc* doc = Doc();
  if (!doc || !IsCommandAvailable(SM_ID_LIST_DELETE)) return;
  std::vector<std::string> numbers;
  GetSelectedTexts(numbers);
  const std::string number = numbers[0];
  if (number == kTsNewSlip) return;
  const int k = doc->Kind();
  const int row = List()->FirstSelected();
  const char* question =
      k == 0 ? "真的要删除第%s号蔗款结算单吗？" : "真的要删除第%s号运费结算单吗？";
  if (SmMessageBox(FormatStr(question, number.c_str()), SM_MB_YESNO | SM_MB_ICONQUESTION) !=
      SM_IDYES)
    return;
  if (!TsjsCancelSlip(k, number, doc->m_db)) return;
  CSmOpLog(kLogGroup, 6 + k, "删除：" + number);
  LoadRows();
  SelectRow(std::min(row, List()->RowCount() - 1));
}

void CTsjsListView::SetStep(int step, bool cancel) {
  CTsjsDoc* doc = Doc();
  if (!doc) return;
  const int k = doc->Kind();
  if (!HasSlipRight(k, 3 + step)) return;
  std::vector<std::string> numbers;
  GetSelectedTexts(numbers);
  std::vector<std::string> changed;
  std::string untouched;
  const char* what = step == 0 ? "付款" : "复核";
  const std::string operatorNo = TsOperatorNo();
  for (auto n = numbers.rbegin(); n != numbers.rend(); ++n) {
    if (*n == kTsNewSlip) continue;
    bool marked = false;
    if (!TsjsSetSlipStep(k, step, cancel, *n, operatorNo, marked, doc->m_db)) continue;
    if (!marked) {
      // The list showed the slip ready for the step: another station got there first.
      if (ShownReadyFor(*n, step, cancel)) untouched += (untouched.empty() ? "" : "、") + *n;
      continue;
    }
    CSmOpLog(kLogGroup, 6 + k, FormatStr(cancel ? "取消%s：%s" : "%s：%s", what, n->c_str()));
    changed.push_back(*n);
  }
  if (changed.empty() && untouched.empty()) return;
  LoadRows();
  SelectTexts(changed.empty() ? numbers : changed);
  OnSelectionChanged();
  if (!untouched.empty())
    SmMessageBox(FormatStr("下列结算单已不能%s%s（可能已被另一工作站处理），没有修改，"
                           "请看刷新后的列表：\n%s",
                           cancel ? "取消" : "", what, untouched.c_str()),
                 SM_MB_ICONWARNING);
}

bool CTsjsListView::ShownReadyFor(const std::string& number, int step, bool cancel) {
  for (int row = 0; row < List()->RowCount(); ++row) {
    QTreeWidgetItem* item = List()->topLevelItem(row);
    if (item->text(0).toStdString() != number) continue;
    const bool paid = !item->text(3).isEmpty();
    const bool reviewed = !item->text(4).isEmpty();
    if (step == 0) return cancel ? paid && !reviewed : !paid;
    return cancel ? reviewed : paid && !reviewed;
  }
  return false;
}

void CTsjsListView::OnSelectionChanged() {
  CTsjsDoc* doc = Doc();
  if (!doc) return;
  std::vector<std::string> numbers;
  GetSelectedTexts(numbers);
  doc->SelectSlip(numbers);
  doc->Notify(this, kTsHintShowRecord);
}

void CTsjsListView::OnUpdate(CSmView* sender, long hint) {
  if (hint == kTsHintPay) {
    OnCommand(SM_ID_SLIP_PAY);
    return;
  }
  CTsCardListView::OnUpdate(sender, hint);
}

bool CTsjsListView::OnCommand(int id) {
  switch (id) {
    case kTsRefresh:
      Refresh();
      return true;
    case SM_ID_SLIP_PAY:
    case SM_ID_SLIP_PAY_CANCEL:
    case SM_ID_REVIEW:
    case SM_ID_REVIEW_CANCEL:
      if (IsCommandAvailable(static_cast<unsigned>(id)))
        SetStep(id == SM_ID_SLIP_PAY || id == SM_ID_SLIP_PAY_CANCEL ? 0 : 1,
                id == SM_ID_SLIP_PAY_CANCEL || id == SM_ID_REVIEW_CANCEL);
      return true;
    default:
      return CTsCardListView::OnCommand(id);
  }
}

// ---------------------------------------------------------------- installation

void TsInstallSettlementCard() {
  TsSetDocClasses(kSlipTemplate, {[] { return std::make_unique<CTsjsDoc>(); },
                                  [] { return new CTsCardChildFrm(7); },
                                  [](CSmDocument*, CSmChildFrame* frame) {
                                    frame->SetContent(new CTsjsListView);
                                    return new CTsjsFrmView;
                                  }});
}
