#include "reports/TsBookDoc.h"

#include <QAction>
#include <QMenu>
#include <algorithm>
#include <cmath>
#include <set>

#include "cane/TsDriverDirDlg.h"
#include "cane/TsDriverRec.h"
#include "cane/TsFarmerDirDlg.h"
#include "cane/TsItems.h"
#include "cane/TsNH.h"
#include "cane/TsParams.h"
#include "core/SmDatabase.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "forms/SmChildFrm.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "reports/TsReportDoc.h"
#include "ui/SmWaitWnd.h"
#include "weighing/TsgbRec.h"
#include "weighing/TsjsRec.h"

namespace {

constexpr int kFarmerLedger = 261;
constexpr const char* kEntryPrefixes[] = {"", "过", "结", "退", "付", "代", "息"};

struct LedgerNote {
  int tail;
  int position;
  const char* name;
  const char* words;
};

constexpr LedgerNote kLedgerNotes[] = {
    {0, 1, "户名", "系统生成"},       {0, 90, "页码", "第 #pp 页"},  {0, 91, "套打页码", "#pp"},
    {1, 0, "主管前导", "会计主管："}, {1, 10, "主管名", "系统生成"},
};

std::string EntryPrefix(int tag) {
  const int at = tag + 2;
  return at >= 0 && at < static_cast<int>(std::size(kEntryPrefixes)) ? kEntryPrefixes[at] : "";
}

// Where the row's advance total is: its own column with two or more advance items, the one
// advance item's column, or nowhere (-1).
int AdvanceTotalAt(const TsLedgerLayout& l) {
  if (l.bAdvanceTotal) return l.P7;
  return l.nAdvanceItems == 1 ? l.P6 : -1;
}

double Item(const std::vector<double>& amounts, int index) {
  return index >= 0 && index < static_cast<int>(amounts.size()) ? amounts[index] : 0.0;
}

// Inserted before the first row dated after it.
void InsertByDate(std::vector<CTsReportRow>& rows, CTsReportRow row) {
  const auto at = std::find_if(rows.begin(), rows.end(),
                               [&row](const CTsReportRow& r) { return r.sDate > row.sDate; });
  rows.insert(at, std::move(row));
}

CTsReportRow TicketRow(const TsLedgerLayout& l, const CTsgbRec& ticket) {
  const int k = l.nKind;
  CTsReportRow row(l.Count());
  row.nTag = kTsLedgerTicket;
  row.sDate = TrimRightSet(ticket.T, " ");
  row.sCode = TrimRightSet(ticket.DH, " ");
  const std::string settled = TrimRightSet(ticket.JN[k], " ");
  const char* what = k == 0 ? "交蔗" : "运蔗";
  row.sName = settled.empty() ? FormatStr("%s(未结)", what)
                              : FormatStr("%s(已结%s)", what, settled.c_str());
  std::vector<double>& v = row.Values;
  v[0] = ticket.GetWeight(k);
  v[1] = ticket.PR[k];
  v[2] = Item(ticket.MY, 6 * k);
  auto item = [&](int category, int n) {
    return Item(ticket.MY, 6 * k + TsGetKindItemIndex(k, 0, category, 0, n) + 1);
  };
  for (int i = 0; i < l.nTicketItems; ++i) v[l.P0 + i] = item(0, i);
  if (l.bPayable) v[l.P1] = RoundTo(v[2] + ticket.SumItems(k, 0), 2);
  for (int i = 0; i < l.nTicketHeld; ++i) v[l.P2 + i] = item(1, i);
  return row;
}

// What a settlement deduction row withheld and deducted, into a settlement row.
void AddDeductions(const TsLedgerLayout& l, const CTsjsRec& voucher, std::vector<double>& v) {
  const int k = l.nKind;
  for (int i = 0; i < l.nSlipHeld; ++i) {
    const double amount = Item(voucher.MY, TsGetKindItemIndex(k, 1, 1, 0, i));
    v[l.P3 + i] = amount;
    v[l.P5] -= amount;
  }
  for (int i = 0; i < l.nAdvanceItems; ++i) {
    const double amount = Item(voucher.MY, TsGetKindItemIndex(k, 1, 2, 0, i));
    v[l.P6 + i] = -amount;
    v[l.P5] -= amount;
    if (l.bAdvanceDeducted) v[l.P4] += amount;
    if (l.bAdvanceTotal) v[l.P7] -= amount;
  }
}

CTsReportRow SettlementRow(const TsLedgerLayout& l, const std::string& number,
                           const std::vector<CTsgbRec>& tickets, std::vector<CTsjsRec>& vouchers) {
  const int k = l.nKind;
  CTsReportRow row(l.Count());
  row.nTag = kTsLedgerSettlement;
  row.sCode = number;
  int count = 0;
  for (const CTsgbRec& ticket : tickets) {
    if (TrimRightSet(ticket.JN[k], " ") != number) continue;
    row.Values[l.P5] += ticket.GetTotal(k);
    row.sDate = TrimRightSet(ticket.T, " ");
    ++count;
  }
  const auto deduction = std::find_if(vouchers.begin(), vouchers.end(), [&](const CTsjsRec& r) {
    return r.DB == 0 && TrimRightSet(r.DH, " ") == number;
  });
  if (deduction != vouchers.end()) {
    AddDeductions(l, *deduction, row.Values);
    vouchers.erase(deduction);
  }
  for (double& value : row.Values) value = RoundTo(value, 2);
  row.sName = FormatStr("结%d张过磅单", count);
  return row;
}

// A money document of the household; false when it is not listed (an estimate, or an orphaned
// settlement deduction the user deleted).
bool VoucherRow(const TsLedgerLayout& l, const CTsjsRec& voucher, CTsReportRow& row,
                CSmDatabase* db) {
  const int k = l.nKind;
  row = CTsReportRow(l.Count());
  std::vector<double>& v = row.Values;
  row.nTag = voucher.DB;
  row.sDate = TrimRightSet(voucher.T, " ");
  row.sCode = TrimRightSet(voucher.DH, " ");
  const std::string note = TrimRightSet(voucher.MRY, " ");
  const std::string noted = note.empty() ? std::string() : FormatStr("(%s)", note.c_str());
  for (int i = 0; i < l.nAdvanceItems; ++i) {
    const double amount = Item(voucher.MY, TsGetKindItemIndex(k, 1, 2, 0, i));
    v[l.P6 + i] = -amount;
    if (l.bAdvanceTotal) v[l.P7] -= amount;
  }
  const int total = AdvanceTotalAt(l);
  if (row.sCode.empty()) {
    row.nTag = kTsLedgerBalance;
    row.sName = "年初余额";
    v[l.P8] = total >= 0 ? -v[total] : 0.0;
    return true;
  }
  switch (voucher.DB) {
    case 0: {
      const int answer = SmMessageBox(
          FormatStr("数据异常：结算单%s的过磅单信息已被删除，但预付款内容仍存在！要删除它吗？",
                    row.sCode.c_str()),
          SM_MB_YESNOCANCEL | SM_MB_ICONQUESTION);
      if (answer == SM_IDYES &&
          db->ExecuteSQL(FormatStr("Delete From jsSheet Where LB='%d' And DB='0' And DH='%s'", k,
                                   db->SqlText(row.sCode).c_str())))
        return false;
      row.sName = "异常记录";
      return true;
    }
    case 1:
      row.sName = "退预付款" + noted;
      return true;
    case 2:
      row.sName = "预付款" + noted;
      return true;
    case 4:
      row.sName = "预付款计息" + noted;
      return true;
    default:
      return false;
  }
}

CTsReportRow YearTotal(const TsLedgerLayout& l, const std::vector<CTsReportRow>& rows) {
  CTsReportRow total(l.Count());
  std::vector<double>& t = total.Values;
  for (const CTsReportRow& row : rows) {
    for (int p = 0; p < l.P8; ++p) {
      if (p != 1) t[p] += row.Values[p];
    }
  }
  double unpaid = l.bPayable ? t[l.P1] : t[2];
  for (int p = l.P2; p < l.P4; ++p) unpaid -= t[p];
  if (l.bAdvanceDeducted) unpaid -= t[l.P4];
  unpaid -= t[l.P5];
  if (AdvanceTotalAt(l) >= 0) unpaid -= t[AdvanceTotalAt(l)];
  t[l.P8] = unpaid;
  if (std::fabs(t[0]) > 1e-6) t[1] = t[2] / t[0];
  for (int p = 0; p <= l.P8; ++p) {
    if (p != 0 && p != 1) t[p] = RoundTo(t[p], 2);
  }
  total.nTag = kTsLedgerBalance;
  total.sDate = TsGetYearEndDate();
  total.sName = "本年累计";
  return total;
}

}  // namespace

TsLedgerLayout::TsLedgerLayout(int kind)
    : nKind(kind),
      nTicketItems(TsGetKindItemCount(kind, 0, 0, 0)),
      nTicketHeld(TsGetKindItemCount(kind, 0, 1, 0)),
      nSlipHeld(TsGetKindItemCount(kind, 1, 1, 0)),
      nAdvanceItems(TsGetKindItemCount(kind, 1, 2, 0)),
      bPayable(nTicketItems > 0),
      bAdvanceDeducted(nAdvanceItems > 0),
      bAdvanceTotal(nAdvanceItems > 1) {
  P1 = P0 + nTicketItems;
  P2 = P1 + (bPayable ? 1 : 0);
  P3 = P2 + nTicketHeld;
  P4 = P3 + nSlipHeld;
  P5 = P4 + (bAdvanceDeducted ? 1 : 0);
  P6 = P5 + 1;
  P7 = P6 + nAdvanceItems;
  P8 = P7 + (bAdvanceTotal ? 1 : 0);
}

int FillLedger(int kind, const std::string& code, std::vector<CTsReportRow>& rows,
               CSmDatabase* db) {
  rows.clear();
  const TsLedgerLayout l(kind);
  const std::string household = db->SqlText(code);
  std::vector<CTsgbRec> tickets;
  CTsgbRec().Select(FormatStr("Where KNO%d='%s'", kind, household.c_str()), "Order By T,DH",
                    tickets, db);
  std::vector<std::string> settlements;
  for (const CTsgbRec& ticket : tickets) {
    rows.push_back(TicketRow(l, ticket));
    const std::string number = TrimRightSet(ticket.JN[kind], " ");
    if (!number.empty() &&
        std::find(settlements.begin(), settlements.end(), number) == settlements.end())
      settlements.push_back(number);
  }
  std::vector<CTsjsRec> vouchers;
  CTsjsRec().Query(FormatStr("Where LB='%d' And KNO='%s' And DB<>'3'", kind, household.c_str()),
                   "Order By T,DB,DH", vouchers, db);
  for (const std::string& number : settlements)
    InsertByDate(rows, SettlementRow(l, number, tickets, vouchers));
  for (const CTsjsRec& voucher : vouchers) {
    CTsReportRow row;
    if (VoucherRow(l, voucher, row, db)) InsertByDate(rows, std::move(row));
  }
  if (rows.size() > 1) rows.push_back(YearTotal(l, rows));
  return static_cast<int>(rows.size());
}

// ---------------------------------------------------------------- CTsBookDoc

void CTsBookDoc::OnInitDocument() {
  nLedgerKind = nFlag == kFarmerLedger ? 0 : 1;
  if (m_openModes.size() != 1) m_openModes.assign(1, std::string());
  sHouseCode = m_openModes[0];
}

void CTsBookDoc::DefineTitle(CSmFormDef& def) {
  def.sFna = nLedgerKind == 1 ? "运户明细账" : "农户明细账";
  def.nOpen = 0;
  def.nTopNum = 2;
}

void CTsBookDoc::AdjustFormDef(CSmFormDef& def) {
  TsShowWeightColumns(def, {10});
}

void CTsBookDoc::DefineColumns(CSmFormDef& def) {
  const TsLedgerLayout l(nLedgerKind);
  const int k = nLedgerKind;
  def.m_cols.clear();
  def.m_cols.reserve(static_cast<size_t>(4 + l.Count()));
  auto add = [&def](int type, int fact, int less, int more, const std::string& spec) {
    def.InsertCol(static_cast<int>(def.m_cols.size()), type, fact, less, more, spec);
  };
  auto items = [&](int itemClass, int category, int first, int count) {
    for (int i = 0; i < count; ++i) {
      add(110 + first + i, 909, 2, 2,
          TsGetKindItemName(k, itemClass, category, 0, i) + "/NUMBER/RIGHT");
    }
  };
  add(101, 303, 0, 0, "月/STRING/MID");
  add(102, 303, 0, 0, "日/STRING/MID");
  add(103, 707, 0, 0, "单号/STRING/LEFT");
  add(104, 1616, 0, 0, "摘要/STRING/LEFT");
  add(110, 1010, 0, TsGetQtyPrecision(), "蔗重\\(吨)/NUMBER/RIGHT");
  add(111, 1010, 2, 2, "单价\\(元／吨)/NUMBER/RIGHT");
  add(112, 1010, 2, 2, "价款/NUMBER/RIGHT");
  items(0, 0, l.P0, l.nTicketItems);
  if (l.bPayable) add(110 + l.P1, 1010, 2, 2, "应付款/NUMBER/RIGHT");
  items(0, 1, l.P2, l.nTicketHeld);
  items(1, 1, l.P3, l.nSlipHeld);
  if (l.bAdvanceDeducted) add(110 + l.P4, 1010, 2, 2, "扣预付款/NUMBER/RIGHT");
  add(110 + l.P5, 1010, 2, 2, "实付款/NUMBER/RIGHT");
  items(1, 2, l.P6, l.nAdvanceItems);
  if (l.bAdvanceTotal) add(110 + l.P7, 1010, 2, 2, "预付款合计/NUMBER/RIGHT");
  add(110 + l.P8, 1010, 2, 2, "未付款/NUMBER/RIGHT");
  ApplyColumnVisibility(def);
}

int CTsBookDoc::GetColumnVisibility(const CSmFormDef& def, int column) {
  if (column < 0 || column >= static_cast<int>(def.m_cols.size())) return 2;
  return def.m_cols[column].FieldCode() < 10 ? 1 : 2;
}

void CTsBookDoc::DefineHeadNotes(CSmFormDef& def) {
  def.m_headNotes.resize(std::size(kLedgerNotes));
  for (size_t i = 0; i < std::size(kLedgerNotes); ++i) {
    const LedgerNote& note = kLedgerNotes[i];
    def.m_headNotes[i].Set(note.tail, 0, note.position, 1, 0, note.name, note.words);
  }
}

int CTsBookDoc::ApplyParams(const std::vector<std::string>& params) {
  if (params.size() != 1 || params[0].empty()) return 0;
  sHouseCode = params[0];
  return 1;
}

bool CTsBookDoc::LoadRows(int /*openMode*/) {
  std::string picked;
  if (nLedgerKind == 1) {
    CTsDriverDirDlg picker(true, m_db, sHouseCode, CSmFrameWnd::Main());
    if (picker.DoModal() != SM_IDOK) return false;
    picked = picker.Driver().KNO;
  } else {
    CTsFarmerDirDlg picker(m_db, 1, sHouseCode, CSmFrameWnd::Main());
    if (picker.DoModal() != SM_IDOK) return false;
    picked = picker.CurrentCode();
  }
  sHouseCode = TrimRightSet(picked, " ");
  m_openModes.assign(1, sHouseCode);
  return true;
}

void CTsBookDoc::Refresh() {
  CSmWaitWnd busy;
  if (nLedgerKind == 1) {
    CTsDriverRec driver;
    TsDriverLoad(driver, sHouseCode, m_db);
    sHouseName = FormatStr("驾驶员：%s", driver.NA.c_str());
  } else {
    CNH farmer(m_db, sHouseCode);
    std::string names;
    std::vector<std::string> codes, levelNames;
    farmer.GetLevelNames(names, codes, levelNames);
    sHouseName = FormatStr("农户：%s", names.c_str());
  }
  m_rows.clear();
  m_rowFlags.clear();
  const TsLedgerLayout l(nLedgerKind);
  int textColumns[4];
  for (int c = 0; c < 4; ++c) textColumns[c] = FindShownColumn(c + 1);
  std::vector<int> valueColumns(static_cast<size_t>(l.Count()));
  for (int p = 0; p < l.Count(); ++p)
    valueColumns[static_cast<size_t>(p)] = FindShownColumn(10 + p);
  std::vector<CTsReportRow> rows;
  FillLedger(nLedgerKind, sHouseCode, rows, m_db);
  for (const CTsReportRow& row : rows) {
    std::vector<std::string> cells;
    std::string flags;
    NewRow(cells, flags);
    const std::string texts[4] = {row.sDate.substr(std::min<size_t>(4, row.sDate.size()), 2),
                                  row.sDate.substr(std::min<size_t>(6, row.sDate.size()), 2),
                                  EntryPrefix(row.nTag) + row.sCode, row.sName};
    for (int c = 0; c < 4; ++c) {
      if (textColumns[c] >= 0) cells[static_cast<size_t>(textColumns[c])] = texts[c];
    }
    for (size_t p = 0; p < valueColumns.size() && p < row.Values.size(); ++p) {
      const int k = valueColumns[p];
      if (k < 0) continue;
      const Column& column = m_columns[static_cast<size_t>(m_shownColumns[static_cast<size_t>(k)])];
      cells[static_cast<size_t>(k)] =
          ReplaceAll(FormatNumber(row.Values[p], 0, column.less, column.more), ",", "");
    }
    m_rows.push_back(std::move(cells));
    m_rowFlags.push_back(std::move(flags));
  }
}

void CTsBookDoc::MakeDefaultTopWords(CSmFormDef& def) {
  const int rows = def.nTopNum;
  if (rows < 2) {
    CSmDoc::MakeDefaultTopWords(def);
    return;
  }
  def.m_topWords.clear();
  const TsLedgerLayout l(nLedgerKind);
  const int k = nLedgerKind;
  auto block = [&def](int code, int row1, int row2, const std::string& words) {
    def.m_topWords.emplace_back();
    def.m_topWords.back().Set(code, row1, code, row2, words);
  };
  auto full = [&](int code) {
    const int shown = FindShownColumn(code, &def);
    const int index = FindColumn(code, &def);
    if (shown >= 0 && index >= 0) block(shown + 1, 1, rows, def.m_cols[index].GetCaption());
  };
  for (int code : {1, 2, 3, 4, 10 + l.P5, 10 + l.P8}) full(code);
  if (l.bAdvanceDeducted) full(10 + l.P4);
  // A group of positions [first, last) under one caption, each column with its sub-caption.
  auto group = [&](const char* caption, int first, int last, auto subCaption) {
    std::vector<int> shown;
    for (int p = first; p < last; ++p) {
      if (FindShownColumn(10 + p, &def) >= 0) shown.push_back(p);
    }
    if (shown.size() <= 1) {
      for (int p : shown) full(10 + p);
      return;
    }
    const int left = FindShownColumn(10 + shown.front(), &def) + 1;
    const int right = FindShownColumn(10 + shown.back(), &def) + 1;
    def.m_topWords.emplace_back();
    def.m_topWords.back().Set(left, 1, right, rows / 2,
                              TsSpreadCaption(caption, 2 * static_cast<int>(shown.size())));
    for (int p : shown) block(FindShownColumn(10 + p, &def) + 1, rows / 2 + 1, rows, subCaption(p));
  };
  if (l.nAdvanceItems > 0) {
    group("预%*s付%*s款", l.P6, l.P8, [&](int p) {
      return p == l.P7 && l.bAdvanceTotal ? std::string("合计")
                                          : TsGetKindItemName(k, 1, 2, 0, p - l.P6);
    });
  }
  group("应%*s付%*s款", 0, l.P2, [&](int p) {
    static const char* const kBasics[3] = {"数量", "单价", "价款"};
    if (p < 3) return std::string(kBasics[p]);
    if (l.bPayable && p == l.P1) return std::string("合计");
    return TsGetKindItemName(k, 0, 0, 0, p - l.P0);
  });
  group("代%*s扣%*s款", l.P2, l.P4, [&](int p) {
    return p < l.P3 ? TsGetKindItemName(k, 0, 1, 0, p - l.P2)
                    : TsGetKindItemName(k, 1, 1, 0, p - l.P3);
  });
}

// ---------------------------------------------------------------- CTsBookView

void CTsBookView::GetNoteValue(CSmFormHeadNote& note) {
  auto* doc = dynamic_cast<CTsBookDoc*>(GetFormDoc());
  if (doc && note.sNote == "户名") note.sWords = doc->sHouseName;
}

void CTsBookView::AddContextMenuItems(QMenu& menu) {
  auto* action = new QAction(QStringLiteral("刷新"), &menu);
  action->setObjectName(QString::number(SM_ID_DOC_REREAD));
  action->setData(SM_ID_DOC_REREAD);
  connect(action, &QAction::triggered, this, [this] { OnCommand(SM_ID_DOC_REREAD); });
  menu.insertAction(TsFindMenuAction(menu, SM_ID_EDIT_SELECT_ALL), action);
}
