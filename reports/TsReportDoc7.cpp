#include "reports/TsReportDoc7.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "app/SmApp.h"
#include "app/SmOpLog.h"
#include "app/SmOperator.h"
#include "cane/TsCaneContext.h"
#include "cane/TsItems.h"
#include "cane/TsParams.h"
#include "core/SmDatabase.h"
#include "core/SmNumber.h"
#include "core/SmQuery.h"
#include "core/SmString.h"
#include "forms/SmChildFrm.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "ui/SmEdit.h"
#include "ui/SmProgressDlg.h"
#include "ui/SmWaitWnd.h"

namespace {

constexpr int kTextCount = 14;
constexpr int kFixedValues = 18;
constexpr int kTicketNumberCode = 12;
constexpr int kFarmerNameCode = 2;
constexpr double kAmountTolerance = 0.00001;
constexpr size_t kTicketAmounts = TsRecomputedTicket::kAmounts;
// Per kind and category the field codes of the items' total and of the running amount after
// them; the last running amount of each kind.
constexpr int kTotalCodes[2][2][2] = {{{37, 38}, {39, 40}}, {{53, 54}, {55, 56}}};
constexpr int kLastRunningCodes[2] = {40, 56};

int ItemCount(int kind, int category) {
  return TsGetKindItemCount(kind, 0, category, 0);
}

int ItemMoneyColumn(int kind, int category, int n) {
  return TsTicketMoneyColumn(kind, TsGetKindItemIndex(kind, 0, category, 0, n));
}

int ItemFieldCode(int kind, int category, int n) {
  return 60 + 20 * kind + 10 * category + n;
}

std::string OperatorOrBlanks(const std::string& code) {
  return code.empty() ? std::string("   ") : code;
}

// Recomputes the chosen items of the kinds the ticket is not settled in.
void RecomputeChosen(CTsgbRec& ticket, const TsChosenItems& chosen, CTsgbItemCalc& calc) {
  for (int kind = 0; kind < 2; ++kind) {
    if (!ticket.JN[kind].empty()) continue;
    for (int category = 0; category < 2; ++category) {
      const std::vector<bool>& flags = chosen[kind][category];
      for (int n = 0; n < ItemCount(kind, category) && n < static_cast<int>(flags.size()); ++n) {
        if (flags[n]) calc.Compute(ticket, kind, TsGetKindItemIndex(kind, 0, category, 0, n));
      }
    }
  }
}

// Whether an amount of the ticket moved from its stored one.
bool AmountsDiffer(const CTsgbRec& ticket, const std::array<double, kTicketAmounts>& stored) {
  for (size_t column = 0; column < ticket.MY.size() && column < kTicketAmounts; ++column) {
    if (std::fabs(ticket.MY[column] - stored[column]) >= kAmountTolerance) return true;
  }
  return false;
}

// What a recomputed ticket that changed keeps of itself.
TsRecomputedTicket Recomputed(const CTsgbRec& t, const std::array<double, kTicketAmounts>& stored) {
  TsRecomputedTicket kept;
  kept.DH = t.DH;
  std::copy_n(t.MU, kept.MU.size(), kept.MU.begin());
  std::copy_n(t.PR, kept.PR.size(), kept.PR.begin());
  std::copy_n(t.MY.begin(), std::min(t.MY.size(), kTicketAmounts), kept.MY.begin());
  kept.storedMY = stored;
  return kept;
}

// `t` with the weights, prices and amounts of its recomputed ticket.
void ApplyRecomputed(const TsRecomputedTicket& kept, CTsgbRec& t) {
  std::copy(kept.MU.begin(), kept.MU.end(), t.MU);
  std::copy(kept.PR.begin(), kept.PR.end(), t.PR);
  if (t.MY.size() < kTicketAmounts) t.MY.resize(kTicketAmounts);
  std::copy(kept.MY.begin(), kept.MY.end(), t.MY.begin());
}

// The key of a ticket number among the open rows.
uint32_t NumberHash(std::string_view number) {
  return static_cast<uint32_t>(std::hash<std::string_view>()(number));
}

constexpr int kCaneModule = 16;

// The progress of a batch over many tickets, drawn a hundred times at most: every step of the
// bar paints the dialog at once.
class CTsBatchProgress {
 public:
  explicit CTsBatchProgress(size_t count) : m_chunk(std::max<size_t>(1, count / 100)) {
    m_dlg.Create(static_cast<int>((count + m_chunk - 1) / m_chunk), CSmFrameWnd::Main());
    m_dlg.Show();
  }
  void Step() {
    if (++m_done % m_chunk == 0) m_dlg.Step();
  }

 private:
  CSmProgressDlg m_dlg;
  size_t m_chunk;
  size_t m_done = 0;
};

}  // namespace

// ---------------------------------------------------------------- tickets and rows

namespace {

std::string PeriodCondition(const TsSlipQuery& q, CSmDatabase* db) {
  return FormatStr("Where T>='%s' And T<='%s'", db->SqlText(q.sDateFrom).c_str(),
                   db->SqlText(q.sDateTo).c_str());
}

}  // namespace

std::string TsSlipConditions(const TsSlipQuery& q, CSmDatabase* db) {
  std::string sql = PeriodCondition(q, db);
  for (int column : kTsSlipOperatorOrder) {
    if (q.sOperator[column].empty()) continue;
    sql += FormatStr(" And OPR%d='%s'", column, db->SqlText(q.sOperator[column]).c_str());
  }
  if (q.nWeighState == 0) sql += " And OPR1=''";
  if (q.nWeighState == 1) sql += " And OPR1<>''";
  for (int k = 0; k < 2; ++k) {
    switch (q.nSettleState[k]) {
      case 0:
        sql += " And " + TsgbOpenCondition(k);
        break;
      case 1:
        sql += FormatStr(" And OPR%d<>'' And OPR%d=''", 2 + k, 4 + k);
        break;
      case 2:
        sql += FormatStr(" And OPR%d<>'' And OPR%d=''", 4 + k, 6 + k);
        break;
      case 3:
        sql += FormatStr(" And OPR%d<>''", 6 + k);
        break;
      default:
        break;
    }
  }
  for (int f = 0; f < 4; ++f) sql += TsPrefixCondition(FormatStr("KNO%d", f), q.sFilter[f], db);
  for (int b = 0; b < 2; ++b) {
    if (q.sQtyRange[b].empty()) continue;
    sql +=
        FormatStr(" And MU0-MU1-MU2%c=%s", b == 0 ? '>' : '<', PlainBound(q.sQtyRange[b]).c_str());
  }
  return sql;
}

namespace {

// The tickets with the names of their four codes, each directory grouped by code once: a code
// kept twice names its ticket once. In date and number order.
std::string SlipTicketsText(const std::string& conditions) {
  static const char* const kDirectories[4] = {"NHDir", "DriverDir", "AdrDir", "GP"};
  std::string names;
  std::string joins;
  for (int j = 0; j < 4; ++j) {
    names += FormatStr(",n%d.NA", j);
    joins += FormatStr(
        " Left Join (Select KNO,Max(NA) As NA From %s Group By KNO) n%d On n%d.KNO=gbSheet.KNO%d",
        kDirectories[j], j, j, j);
  }
  return "Select " + CTsgbRec::ColumnList() + names + " From gbSheet" + joins + " " + conditions +
         " Order By T,DH";
}

// Each ticket read, to be changed or moved away by the handler.
using TicketHandler = std::function<void(CTsgbRec&, const TsSlipNames&)>;

int ReadTickets(const std::string& conditions, CSmDatabase* db, const TicketHandler& onTicket) {
  CSmQuery query(3, 18, 23, db);
  if (!query.Open(SlipTicketsText(conditions))) return 0;
  CTsgbRec ticket;  // every field read again on each row
  TsSlipNames names;
  int count = 0;
  for (; !query.IsEOF(); query.MoveNext()) {
    ticket.ReadRow(query);
    for (int j = 0; j < 4; ++j) names[j] = query.GetString(19 + j);
    onTicket(ticket, names);
    ++count;
  }
  return count;
}

// Whether some item of the kind is chosen.
bool KindChosen(const TsChosenItems& chosen, int kind) {
  for (int category = 0; category < 2; ++category) {
    const std::vector<bool>& flags = chosen[kind][category];
    for (int n = 0; n < ItemCount(kind, category) && n < static_cast<int>(flags.size()); ++n) {
      if (flags[n]) return true;
    }
  }
  return false;
}

// Whether a chosen kind of a ticket is open ("rtrim(JN0)='' Or rtrim(JN1)=''" with both kinds
// chosen), or with `onNoSlip` whether no chosen kind is on a slip, an empty slip number counting
// as none ("(rtrim(JN0)='' Or JN0 Is Null) And ..."); empty when no item is chosen.
std::string ChosenKindsTest(const TsChosenItems& chosen, bool onNoSlip) {
  std::string test;
  for (int kind = 0; kind < 2; ++kind) {
    if (!KindChosen(chosen, kind)) continue;
    const std::string open = TsgbOpenCondition(kind);
    if (onNoSlip) {
      test += FormatStr("%s(%s Or JN%d Is Null)", test.empty() ? "" : " And ", open.c_str(), kind);
    } else {
      test += (test.empty() ? "" : " Or ") + open;
    }
  }
  return test;
}

// The money column and kind of each chosen item.
struct ChosenColumn {
  int column;
  int kind;
};

std::vector<ChosenColumn> ChosenColumns(const TsChosenItems& chosen) {
  std::vector<ChosenColumn> columns;
  for (int kind = 0; kind < 2; ++kind) {
    for (int category = 0; category < 2; ++category) {
      const std::vector<bool>& flags = chosen[kind][category];
      for (int n = 0; n < ItemCount(kind, category) && n < static_cast<int>(flags.size()); ++n) {
        if (flags[n]) columns.push_back({ItemMoneyColumn(kind, category, n), kind});
      }
    }
  }
  return columns;
}

// The update of the chosen items of `count` tickets, each item written only while its kind is
// not on a slip and where it differs from the stored amount: per item column and ticket the
// ticket number and the amount twice, then the ticket numbers.
std::string ItemUpdateText(const std::vector<ChosenColumn>& columns, size_t count) {
  std::string sets;
  for (const ChosenColumn& c : columns) {
    std::string amounts;
    for (size_t i = 0; i < count; ++i) {
      amounts += FormatStr(" When ? Then Case When abs(MY%d-?)>=0.00001 Then ? Else MY%d End",
                           c.column, c.column);
    }
    sets +=
        FormatStr("%sMY%d=Case When JN%d='' Then Case DH%s Else MY%d End Else MY%d End",
                  sets.empty() ? "" : ",", c.column, c.kind, amounts.c_str(), c.column, c.column);
  }
  std::string numbers(2 * count - 1, '?');
  for (size_t i = 1; i < numbers.size(); i += 2) numbers[i] = ',';
  return "Update gbSheet Set " + sets + " Where DH In (" + numbers + ")";
}

}  // namespace

int ReadSlipTickets(const TsSlipQuery& q, CSmDatabase* db,
                    const std::function<void(const CTsgbRec&, const TsSlipNames&)>& onTicket) {
  return ReadTickets(TsSlipConditions(q, db), db, onTicket);
}

int LoadSlipTickets(const TsSlipQuery& q, std::vector<CTsgbRec>& tickets,
                    std::vector<TsSlipNames>& names, CSmDatabase* db) {
  tickets.clear();
  names.clear();
  return ReadSlipTickets(q, db, [&](const CTsgbRec& ticket, const TsSlipNames& ticketNames) {
    tickets.push_back(ticket);
    names.push_back(ticketNames);
  });
}

int TsSlipValueCount() {
  int count = kFixedValues;
  for (int kind = 0; kind < 2; ++kind) count += ItemCount(kind, 0) + ItemCount(kind, 1);
  return count;
}

namespace {

// The ticket items of each kind and category in their order, with their money columns and
// signs, looked up once for many rows.
struct SlipItems {
  struct Item {
    int money;
    int sign;
  };
  SlipItems() {
    for (int kind = 0; kind < 2; ++kind) {
      for (int category = 0; category < 2; ++category) {
        for (int n = 0; n < ItemCount(kind, category); ++n) {
          const int item = TsGetKindItemIndex(kind, 0, category, 0, n);
          items[kind][category].push_back(
              {TsTicketMoneyColumn(kind, item), TsGetTicketItemSign(kind, item)});
        }
      }
    }
  }
  // As CTsgbRec::SumItems adds them.
  double Sum(const CTsgbRec& t, int kind, int category) const {
    double sum = 0;
    for (const Item& item : items[kind][category]) sum += item.sign * t.MY[item.money];
    return sum;
  }

  std::vector<Item> items[2][2];
};

void DetailRow(const CTsgbRec& t, const TsSlipNames& names, const SlipItems& items,
               CTsReportRow& work) {
  work.Clear();
  work.sCode = t.KNO[0];
  work.sName = names[0];
  std::vector<std::string>& x = work.Texts;
  x[0] = TsTextPart(t.T, 4, 2);
  x[1] = TsTextPart(t.T, 6, 2);
  x[2] = t.DH;
  x[3] = t.KNO[1];
  x[4] = names[1];
  x[5] = t.KNO[3];
  x[6] = names[3];
  x[7] = t.KNO[2];
  x[8] = names[2];
  x[9] = t.OPR[0];
  x[10] = t.OPR[1];
  for (int step = 0; step < 3; ++step) {
    x[11 + step] =
        OperatorOrBlanks(t.OPR[2 + 2 * step]) + "-" + OperatorOrBlanks(t.OPR[3 + 2 * step]);
  }
  std::vector<double>& v = work.Values;
  for (int i = 0; i < 4; ++i) v[i] = t.MU[i];
  for (int kind = 0; kind < 2; ++kind) {
    double* part = v.data() + (kind == 0 ? 4 : 11);
    part[0] = t.GetWeight(kind);
    part[1] = t.PR[kind];
    part[2] = t.MY[TsTicketMoneyColumn(kind, -1)];
    part[3] = items.Sum(t, kind, 0);
    part[4] = part[2] + part[3];
    part[5] = items.Sum(t, kind, 1);
    part[6] = part[4] + part[5];
  }
  size_t k = kFixedValues;
  for (int kind = 0; kind < 2; ++kind) {
    for (int category = 0; category < 2; ++category) {
      for (const SlipItems::Item& item : items.items[kind][category]) {
        if (k < v.size()) v[k++] = t.MY[item.money];
      }
    }
  }
}

}  // namespace

void TsSlipDetailRow(const CTsgbRec& t, const TsSlipNames& names, CTsReportRow& work) {
  DetailRow(t, names, SlipItems(), work);
}

// ---------------------------------------------------------------- CTsReportDoc7

CTsReportDoc7::CTsReportDoc7() : CTsReportDoc(std::make_unique<TsSlipQuery>()) {}

void CTsReportDoc7::OnInitDocument() {
  const bool fresh = m_openModes.size() != kTsReportVarCount;
  CTsReportDoc::OnInitDocument();
  if (fresh) m_openModes[16].clear();
  bSkipEmpty = 0;
  for (int b = 0; b < 2; ++b) query.sQtyRange[b] = m_openModes[11 + b];
  query.nWeighState = StrToIntDef(m_openModes[13], 2);
  if (query.nWeighState < 0 || query.nWeighState > 2) query.nWeighState = 2;
  for (int k = 0; k < 2; ++k) {
    int& state = query.nSettleState[k];
    state = StrToIntDef(m_openModes[14 + k], 4);
    if (state < 0 || state > 4) state = 4;
  }
  for (int i = 0; i < 8; ++i) query.sOperator[kTsSlipOperatorOrder[i]] = m_openModes[16 + i];
  for (int kind = 0; kind < 2; ++kind) {
    for (int category = 0; category < 2; ++category) {
      const std::string& digits = m_openModes[24 + 2 * kind + category];
      std::vector<bool>& flags = chosen[kind][category];
      flags.assign(static_cast<size_t>(ItemCount(kind, category)), false);
      for (size_t n = 0; n < flags.size() && n < digits.size(); ++n)
        flags[n] = StrToIntDef(digits.substr(n, 1), 0) != 0;
    }
  }
  bReload = 1;
  nChanged = 0;
}

void CTsReportDoc7::OnCloseDocument() {
  m_openModes.resize(kTsReportVarCount);
  for (int b = 0; b < 2; ++b) m_openModes[11 + b] = query.sQtyRange[b];
  m_openModes[13] = FormatStr("%d", query.nWeighState);
  for (int k = 0; k < 2; ++k) m_openModes[14 + k] = FormatStr("%d", query.nSettleState[k]);
  for (int i = 0; i < 8; ++i) m_openModes[16 + i] = query.sOperator[kTsSlipOperatorOrder[i]];
  for (int kind = 0; kind < 2; ++kind) {
    for (int category = 0; category < 2; ++category) {
      std::string digits;
      for (bool flag : chosen[kind][category]) digits += FormatStr("%d", flag ? 1 : 0);
      m_openModes[24 + 2 * kind + category] = digits;
    }
  }
  CTsReportDoc::OnCloseDocument();  // may destroy this document
}

void CTsReportDoc7::DefineTitle(CSmFormDef& def) {
  def.sFna = "过榜单明细表";
  def.nOpen = 0;
  def.nTopNum = 3;
}

void CTsReportDoc7::DefineColumns(CSmFormDef& def) {
  const int qty = TsGetQtyPrecision();
  def.m_cols.clear();
  auto add = [&def](int type, int fact, int less, int more, const std::string& spec) {
    def.InsertCol(static_cast<int>(def.m_cols.size()), type, fact, less, more, spec);
  };
  // The items of a kind with, per category, their total and the running amount after them.
  auto addItems = [&](int kind, const char* const(&totals)[2][2]) {
    for (int category = 0; category < 2; ++category) {
      const int count = ItemCount(kind, category);
      for (int n = 0; n < count; ++n) {
        const std::string name = TsGetKindItemName(kind, 0, category, 0, n);
        add(100 + ItemFieldCode(kind, category, n), 909, 2, 2,
            SplitTextEvenly(7, name) + "/NUMBER/RIGHT");
      }
      const int totalCode = kTotalCodes[kind][category][0];
      const int runningCode = kTotalCodes[kind][category][1];
      // Of the totals only the freight withholdings start shown.
      if (count > 1) add(totalCode == 55 ? 155 : totalCode, 1010, 2, 2, totals[category][0]);
      if (count >= 1) add(100 + runningCode, 1010, 2, 2, totals[category][1]);
    }
  };
  add(110, 303, 0, 0, "月/STRING/MID");
  add(111, 303, 0, 0, "日/STRING/MID");
  add(112, 707, 0, 0, "单号/STRING/MID");
  add(1, 1010, 0, 0, "蔗\\户\\码/STRING/MID");
  add(2, 707, 0, 0, "蔗户/STRING/LEFT");
  add(130, 606, 0, qty, "毛\\重/NUMBER/RIGHT");
  add(131, 606, 0, qty, "皮\\重/NUMBER/RIGHT");
  add(132, 606, 0, qty, "扣\\杂/NUMBER/RIGHT");
  add(33, 606, 0, 4, "杂\\质\\比/NUMBER/RIGHT/00");
  add(134, 606, 0, qty, "净\\重/NUMBER/RIGHT");
  add(135, 606, 0, 4, "单\\价/NUMBER/RIGHT/00");
  add(136, 1010, 2, 2, "蔗  款/NUMBER/RIGHT");
  addItems(0, {{"扣蔗户\\款合计/NUMBER/RIGHT", "应付\\蔗款/NUMBER/RIGHT"},
               {"代扣蔗\\款合计/NUMBER/RIGHT", "可结\\蔗款/NUMBER/RIGHT"}});
  add(13, 404, 0, 0, "运\\户\\码/STRING/MID");
  add(114, 707, 0, 0, "运户/STRING/LEFT");
  if (TsGetFreightNetOfImpurity() == 1) add(150, 606, 0, qty, "含杂\\净重/NUMBER/RIGHT");
  add(151, 606, 0, 4, "运\\价/NUMBER/RIGHT/00");
  add(152, 1010, 2, 2, "运  费/NUMBER/RIGHT");
  addItems(1, {{"扣运户\\款合计/NUMBER/RIGHT", "应付\\运费/NUMBER/RIGHT"},
               {"代扣运\\费合计/NUMBER/RIGHT", "可结\\运费/NUMBER/RIGHT"}});
  add(15, 404, 0, 0, "品\\种\\码/STRING/MID");
  add(16, 1010, 0, 0, "甘蔗品种/STRING/LEFT");
  add(17, 404, 0, 0, "砍运\\地码/STRING/MID");
  add(18, 1010, 0, 0, "砍运地/STRING/LEFT");
  add(119, 404, 0, 0, "称\\毛\\重/STRING/MID");
  add(120, 404, 0, 0, "除\\皮/STRING/MID");
  add(121, 808, 0, 0, "结\\算\\员/STRING/MID");
  add(122, 808, 0, 0, "付\\款\\员/STRING/MID");
  add(123, 808, 0, 0, "复\\核\\员/STRING/MID");
  ApplyColumnVisibility(def);
}

bool CTsReportDoc7::LoadRows(int /*openMode*/) {
  CTsReportQueryDlg7 dlg(m_db, m_kind.sName, query, CSmFrameWnd::Main());
  if (dlg.DoModal() != SM_IDOK) return false;
  query = dlg.m_query;
  bSkipEmpty = 0;
  nChanged = 0;
  bReload = 1;
  return true;
}

void CTsReportDoc7::ForgetTickets() {
  tickets.clear();
  m_ticketRows.clear();
  m_renewRows = false;
}

bool CTsReportDoc7::FindTicketRows() {
  const int number = FindShownColumn(kTicketNumberCode);
  if (number < 0) return false;
  return FindOpenTicketRows(number) || ScanTicketRows(number);
}

bool CTsReportDoc7::FindOpenTicketRows(int number) {
  m_ticketRows.assign(tickets.size(), kNoRow);
  std::vector<bool> taken(m_rows.size());
  for (size_t i = 0; i < tickets.size(); ++i) {
    const std::string& dh = tickets[i].DH;
    const uint32_t hash = NumberHash(dh);
    auto candidate =
        std::lower_bound(m_openRows.begin(), m_openRows.end(), std::make_pair(hash, uint32_t{0}));
    for (; candidate != m_openRows.end() && candidate->first == hash; ++candidate) {
      const size_t row = candidate->second;
      if (row < m_rows.size() && m_rows[row][number] == dh) break;
    }
    if (candidate == m_openRows.end() || candidate->first != hash) return false;
    if (taken[candidate->second]) return false;
    taken[candidate->second] = true;
    m_ticketRows[i] = candidate->second;
  }
  return true;
}

bool CTsReportDoc7::ScanTicketRows(int number) {
  m_ticketRows.assign(tickets.size(), kNoRow);
  std::unordered_map<std::string_view, size_t> recomputed;
  recomputed.reserve(tickets.size());
  for (size_t i = 0; i < tickets.size(); ++i) recomputed.emplace(tickets[i].DH, i);
  size_t found = 0;
  for (size_t row = 0; row < m_rows.size() && found < tickets.size(); ++row) {
    const auto ticket = recomputed.find(m_rows[row][number]);
    if (ticket == recomputed.end() || m_ticketRows[ticket->second] != kNoRow) continue;
    m_ticketRows[ticket->second] = row;
    ++found;
  }
  return found == tickets.size();
}

void CTsReportDoc7::Refresh() {
  CSmWaitWnd busy;
  std::vector<int> textCodes;
  for (int code = 10; code <= 23; ++code) textCodes.push_back(code);
  std::vector<int> valueCodes;
  for (int code = 20; code <= 30; ++code) valueCodes.push_back(code);
  for (int code = 40; code <= 46; ++code) valueCodes.push_back(code);
  for (int kind = 0; kind < 2; ++kind) {
    for (int category = 0; category < 2; ++category) {
      for (int n = 0; n < ItemCount(kind, category); ++n)
        valueCodes.push_back(ItemFieldCode(kind, category, n) - 10);
    }
  }
  CTsReportRow work(kTextCount, static_cast<int>(valueCodes.size()));
  const RowColumns columns = FindRowColumns(textCodes, valueCodes);
  const SlipItems items;
  if (bReload) ForgetTickets();
  if (std::exchange(m_renewRows, false) && !bReload && m_rowsAsStored && FindTicketRows()) {
    // Right after a recalculation only the values of the changed tickets' rows are made
    // again: their texts do not change.
    CTsgbRec ticket;
    for (size_t i = 0; i < tickets.size(); ++i) {
      ApplyRecomputed(tickets[i], ticket);
      DetailRow(ticket, {}, items, work);
      const size_t row = m_ticketRows[i];
      FillRowValues(columns, work, m_rows[row]);
      m_rowFlags[row].assign(m_rowFlags[row].size(), '0');
    }
    m_rowsAsStored = false;
    MarkChangedCells();
    return;
  }
  // The rows come straight from the statement, the recomputed tickets in place of theirs.
  std::unordered_map<std::string_view, size_t> recomputed;
  for (size_t i = 0; i < tickets.size(); ++i) recomputed.emplace(tickets[i].DH, i);
  m_ticketRows.assign(tickets.size(), kNoRow);
  m_openRows.clear();
  m_rows.clear();
  m_rowFlags.clear();
  // Room for all the tickets of the period, counted on the date index alone: the rows are not
  // moved as they come, and the room no row takes is never touched.
  const auto inPeriod = static_cast<size_t>(
      std::max(m_db->QueryInt("Select Count(*) From gbSheet " + PeriodCondition(query, m_db)), 0L));
  m_rows.reserve(inPeriod);
  m_rowFlags.reserve(inPeriod);
  CTsgbRec shown;
  ReadSlipTickets(query, m_db, [&](const CTsgbRec& ticket, const TsSlipNames& names) {
    const auto found = recomputed.find(ticket.DH);
    if (found == recomputed.end()) {
      DetailRow(ticket, names, items, work);
    } else {
      shown = ticket;
      ApplyRecomputed(tickets[found->second], shown);
      DetailRow(shown, names, items, work);
    }
    const size_t row = m_rows.size();
    AppendFromRow(columns, work);
    if (m_rows.size() == row) return;
    if (found != recomputed.end()) m_ticketRows[found->second] = row;
    if (ticket.JN[0].empty() || ticket.JN[1].empty())
      m_openRows.emplace_back(NumberHash(ticket.DH), static_cast<uint32_t>(row));
  });
  std::sort(m_openRows.begin(), m_openRows.end());
  m_rowsAsStored = tickets.empty();
  if (!bReload) MarkChangedCells();
}

void CTsReportDoc7::MarkChangedCells() {
  struct Item {
    int money;
    std::vector<int> cells;  // shown columns marked when the item changed
  };
  std::vector<Item> items;
  for (int kind = 0; kind < 2; ++kind) {
    for (int category = 0; category < 2; ++category) {
      for (int n = 0; n < ItemCount(kind, category); ++n) {
        const int own = FindShownColumn(ItemFieldCode(kind, category, n));
        if (own < 0) continue;
        Item item{ItemMoneyColumn(kind, category, n), {own}};
        for (int code : {kTotalCodes[kind][category][0], kTotalCodes[kind][category][1],
                         kLastRunningCodes[kind], kTicketNumberCode, kFarmerNameCode}) {
          const int column = FindShownColumn(code);
          if (column >= 0) item.cells.push_back(column);
        }
        items.push_back(std::move(item));
      }
    }
  }
  for (size_t i = 0; i < tickets.size() && i < m_ticketRows.size(); ++i) {
    if (m_ticketRows[i] >= m_rowFlags.size()) continue;
    std::string& flags = m_rowFlags[m_ticketRows[i]];
    for (const Item& item : items) {
      const auto money = static_cast<size_t>(item.money);
      if (money >= kTicketAmounts) continue;
      if (std::fabs(tickets[i].MY[money] - tickets[i].storedMY[money]) < kAmountTolerance) continue;
      for (int column : item.cells) {
        if (column < static_cast<int>(flags.size())) flags[column] = '1';
      }
    }
  }
}

bool CTsReportDoc7::IsReadOnly() {
  return !(bReload == 0 && nChanged > 0);
}

bool CTsReportDoc7::GetSavePrompt(std::string& prompt) {
  prompt.clear();
  return nChanged > 0;
}

std::string CTsReportDoc7::GetCountText() {
  if (IsEmptyDoc()) return {};
  return FormatStr("%d户", static_cast<int>(m_rows.size()));
}

int CTsReportDoc7::RecalculateTickets(int& leftAlone) {
  nChanged = 0;
  bReload = 1;
  ForgetTickets();
  leftAlone = 0;
  const std::string open = ChosenKindsTest(chosen, false);
  if (!open.empty()) {
    // Only the tickets open in a chosen kind can change; those on a slip in one are counted as
    // all of them less those on none.
    const std::string conditions = TsSlipConditions(query, m_db);
    const std::string count = "(Select Count(*) From gbSheet " + conditions;
    CSmQuery counts(3, 0, 0, m_db);
    if (!counts.Open("Select " + count + ")," + count + " And (" + open + "))," + count + " And (" +
                     ChosenKindsTest(chosen, true) + "))") ||
        counts.IsEOF())
      return 0;
    leftAlone = static_cast<int>(counts.GetInt(0) - counts.GetInt(2));
    const auto openCount = static_cast<size_t>(std::max(counts.GetInt(1), 0L));
    CTsBatchProgress progress(openCount);
    // Room for all of them at once: only the room the changed tickets take is ever touched.
    tickets.reserve(openCount);
    std::array<double, kTicketAmounts> stored{};
    CTsgbItemCalc calc(TsCaneContextFromApp(m_db));
    // Read in the order the open tickets are found fastest, without the names: the list finds
    // their rows by number, and the names shown on them do not change.
    auto recompute = [&](CTsgbRec& ticket) {
      progress.Step();
      std::copy_n(ticket.MY.begin(), std::min(ticket.MY.size(), kTicketAmounts), stored.begin());
      RecomputeChosen(ticket, chosen, calc);
      if (!AmountsDiffer(ticket, stored)) return;
      tickets.push_back(Recomputed(ticket, stored));
    };
    CTsgbRec().ReadEach(conditions + " And (" + open + ")", {}, recompute, m_db);
  }
  nChanged = static_cast<int>(tickets.size());
  if (nChanged > 0) {
    bReload = 0;
    m_renewRows = true;
  } else {
    ForgetTickets();
  }
  UpdateReadOnly();
  return nChanged;
}

bool CTsReportDoc7::Recalculate() {
  CTsRecalcItemsDlg dlg(chosen, CSmFrameWnd::Main());
  if (dlg.DoModal() != SM_IDOK) return false;
  chosen = dlg.m_chosen;
  int leftAlone = 0;
  RecalculateTickets(leftAlone);
  const std::string settled =
      leftAlone > 0 ? FormatStr("\n另有%d个过磅单已结算，其项目未重新计算。", leftAlone) : "";
  if (nChanged == 0) {
    SmMessageBox("重新计算后，所有过磅单数据没有变化！" + settled, SM_MB_ICONINFORMATION);
    return false;
  }
  SmMessageBox(FormatStr("重新计算后，有%d个过磅单数据发生了变化，请先核对数据是否正确，然后"
                         "选择“保存”功能，更新数据！",
                         nChanged) +
                   settled,
               SM_MB_ICONINFORMATION);
  return true;
}

bool CTsReportDoc7::Save(int /*saveAs*/) {
  if (bReload || nChanged <= 0) return true;
  if (SmMessageBox("真的要保存重新计算的结果吗？", SM_MB_YESNOCANCEL | SM_MB_ICONQUESTION) !=
      SM_IDYES)
    return true;
  // Many tickets to a statement; a batch that misses a ticket is written again ticket by
  // ticket to name the one gone.
  constexpr size_t kBatch = 32;
  const std::vector<ChosenColumn> columns = ChosenColumns(chosen);
  const std::string batchUpdate = ItemUpdateText(columns, kBatch);
  std::vector<SmDbValue> values;
  auto write = [&](size_t first, size_t count) {
    values.clear();
    for (const ChosenColumn& c : columns) {
      for (size_t i = first; i < first + count; ++i) {
        values.push_back(SmDbValue::OfText(tickets[i].DH));
        values.push_back(SmDbValue::OfDouble(tickets[i].MY[c.column]));
        values.push_back(values.back());
      }
    }
    for (size_t i = first; i < first + count; ++i)
      values.push_back(SmDbValue::OfText(tickets[i].DH));
    return m_db->ExecuteBound(count == kBatch ? batchUpdate : ItemUpdateText(columns, count), {},
                              values);
  };
  const bool written = SmRunInTransaction(m_db, [&] {
    CTsBatchProgress progress(tickets.size());
    for (size_t first = 0; first < tickets.size(); first += kBatch) {
      const size_t count = std::min(kBatch, tickets.size() - first);
      if (!write(first, count)) return false;
      if (m_db->RowsChanged() != static_cast<long long>(count)) {
        for (size_t i = first; i < first + count; ++i) {
          if (!write(i, 1)) return false;
          if (m_db->RowsChanged() > 0) continue;
          SmMessageBox(FormatStr("<%s>号单据已不存在，修改失败！", tickets[i].DH.c_str()),
                       SM_MB_ICONINFORMATION);
          return false;
        }
      }
      for (size_t i = 0; i < count; ++i) progress.Step();
    }
    return true;
  });
  if (!written) {
    SmMessageBox("重新计算的结果没有保存，过磅单均未修改！", SM_MB_ICONERROR);
    return false;
  }
  CSmOpLog(kCaneModule, 5, FormatStr("成批修改了%d张过磅单", nChanged));
  nChanged = 0;
  UpdateReadOnly();
  UpdateAllViews(nullptr, kTsReportReread);
  return true;
}

// ---------------------------------------------------------------- CTsReportView7

void CTsReportView7::ResetLayout() {
  CTsReportView::ResetLayout();
  m_bTotalsNoGrouping = true;  // the rows show money as every report does
}

void CTsReportView7::AddContextMenuItems(QMenu& menu) {
  CTsReportView::AddContextMenuItems(menu);
  auto* action = new QAction(QStringLiteral("重新计算"), &menu);
  action->setObjectName(QString::number(kTsGenerateAdvances));
  action->setData(kTsGenerateAdvances);
  connect(action, &QAction::triggered, this, [this] { OnRecalculate(); });
  QAction* cut = TsFindMenuAction(menu, SM_ID_EDIT_CUT);
  menu.insertAction(cut, action);
  menu.insertSeparator(cut);
}

bool CTsReportView7::OnCommand(int id) {
  if (id != kTsGenerateAdvances) return CTsReportView::OnCommand(id);
  OnRecalculate();
  return true;
}

bool CTsReportView7::OnUpdateCommand(int id, CSmCmdUI& ui) {
  if (id != kTsGenerateAdvances) return CTsReportView::OnUpdateCommand(id, ui);
  ui.Enable(GetFormDoc() != nullptr);
  return true;
}

void CTsReportView7::OnRecalculate() {
  auto* doc = dynamic_cast<CTsReportDoc7*>(GetFormDoc());
  if (!doc) return;
  if (!HasSmRight(kCaneModule, "25")) {
    SmMessageBox("你无此权限，再见！", SM_MB_ICONERROR);
    return;
  }
  const std::string warning =
      "成批修改过磅单，虽方便，但风险也大，建议先做数据备份。"
      "执行此功能前，请仔细检查当前筛选出来的单据是否多了、或漏了；"
      "往下请正确选择要重算的项目；重算后，请仔细检查重算结果是否正确；"
      "最后别忘了保存重算结果。\n\t\t\t继续吗？";
  if (SmMessageBox(warning, SM_MB_YESNOCANCEL | SM_MB_ICONQUESTION) != SM_IDYES) return;
  const bool pending = doc->nChanged > 0;
  if (doc->Recalculate() || pending) OnCommand(SM_ID_DOC_REREAD);
}

// ---------------------------------------------------------------- CTsRecalcItemsDlg

CTsRecalcItemsDlg::CTsRecalcItemsDlg(const TsChosenItems& chosen, QWidget* parent)
    : CSmDlg(975, parent), m_chosen(chosen) {
  setObjectName(QStringLiteral("975"));
  setWindowTitle(QStringLiteral("选择需要重新计算的项目"));
  auto* grid = new QGridLayout(this);
  grid->setHorizontalSpacing(24);
  const char* labels[2] = {"应补(扣)蔗款项目：", "应补(扣)运费项目："};
  const int labelIds[2] = {1129, 1130};
  for (int kind = 0; kind < 2; ++kind) {
    auto* label = new QLabel(QString::fromUtf8(labels[kind]), this);
    label->setObjectName(QString::number(labelIds[kind]));
    grid->addWidget(label, 0, kind);
    int row = 1;
    for (int category = 0; category < 2; ++category) {
      std::vector<bool>& flags = m_chosen[kind][category];
      flags.resize(static_cast<size_t>(ItemCount(kind, category)), false);
      for (int n = 0; n < ItemCount(kind, category); ++n) {
        auto* box =
            new QCheckBox(QString::fromStdString(TsGetKindItemName(kind, 0, category, 0, n)), this);
        box->setFocusPolicy(Qt::StrongFocus);
        grid->addWidget(box, row++, kind);
        m_boxes[kind][category].push_back(box);
      }
    }
  }
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  for (auto [id, text] : {std::pair{SM_ID_OK, "&S.确定"}, std::pair{SM_ID_CANCEL, "&X.取消"}}) {
    QPushButton* button = AddButton(id, QString::fromUtf8(text));
    button->setParent(this);
    buttons->addWidget(button);
  }
  grid->setRowStretch(grid->rowCount(), 1);
  grid->addLayout(buttons, grid->rowCount(), 0, 1, 2);
}

void CTsRecalcItemsDlg::OnInitDialog() {
  CSmDlg::OnInitDialog();
  QCheckBox* first = nullptr;
  for (int kind = 0; kind < 2; ++kind) {
    for (int category = 0; category < 2; ++category) {
      const std::vector<QCheckBox*>& boxes = m_boxes[kind][category];
      for (size_t n = 0; n < boxes.size(); ++n) {
        boxes[n]->setChecked(m_chosen[kind][category][n]);
        if (!first) first = boxes[n];
      }
    }
  }
  if (first) first->setFocus();
}

bool CTsRecalcItemsDlg::ValidateAndSave() {
  TsChosenItems chosen = m_chosen;
  bool any = false;
  for (int kind = 0; kind < 2; ++kind) {
    for (int category = 0; category < 2; ++category) {
      const std::vector<QCheckBox*>& boxes = m_boxes[kind][category];
      for (size_t n = 0; n < boxes.size(); ++n) {
        chosen[kind][category][n] = boxes[n]->isChecked();
        any = any || boxes[n]->isChecked();
      }
    }
  }
  if (!any) {
    SmMessageBox("没有选择需要重新计算的项目！", SM_MB_ICONERROR);
    return false;
  }
  m_chosen = chosen;
  return true;
}

// ---------------------------------------------------------------- CTsReportQueryDlg7

namespace {

constexpr int kQtyRangeIds[2] = {CTsReportQueryDlg::kRangeFrom, CTsReportQueryDlg::kRangeTo};
// Per group: the radios of the states in state order, then the operator columns and their
// combos with their labels.
struct StateGroup {
  const char* title;
  std::vector<std::pair<int, const char*>> states;
  std::vector<std::pair<int, int>> operators;  // OPR column, combo id
  std::vector<const char*> labels;
};

const StateGroup& Group(int g) {
  using D = CTsReportQueryDlg7;
  static const StateGroup groups[3] = {
      {"&G.过磅",
       {{D::kUntared, "未除皮"}, {D::kTared, "已除皮"}, {D::kWeighAll, "全部"}},
       {{0, D::kWeigher}, {1, D::kTarer}},
       {"过磅：", "除皮："}},
      {"&Z.蔗款结算",
       {{D::kCaneUnsettled, "未结"},
        {D::kCaneUnpaid, "已结未付"},
        {D::kCaneUnreviewed, "已付未核"},
        {D::kCaneReviewed, "已复核"},
        {D::kCaneAll, "全部"}},
       {{2, D::kCaneSettler}, {4, D::kCanePayer}, {6, D::kCaneReviewer}},
       {"结算：", "付款：", "复核："}},
      {"&Y.运费结算",
       {{D::kFreightUnsettled, "未结"},
        {D::kFreightUnpaid, "已结未付"},
        {D::kFreightUnreviewed, "已付未核"},
        {D::kFreightReviewed, "已复核"},
        {D::kFreightAll, "全部"}},
       {{3, D::kFreightSettler}, {5, D::kFreightPayer}, {7, D::kFreightReviewer}},
       {"结算：", "付款：", "复核："}},
  };
  return groups[g];
}

int& GroupState(TsSlipQuery& q, int g) {
  return g == 0 ? q.nWeighState : q.nSettleState[g - 1];
}

void ForgetName(QLayoutItem* item) {
  if (QWidget* widget = item->widget()) {
    widget->setObjectName(QString());
    for (QWidget* child : widget->findChildren<QWidget*>()) child->setObjectName(QString());
  }
  if (QLayout* layout = item->layout()) {
    for (int i = 0; i < layout->count(); ++i) ForgetName(layout->itemAt(i));
  }
}

}  // namespace

CTsReportQueryDlg7::CTsReportQueryDlg7(CSmDatabase* db, const std::string& title,
                                       const TsSlipQuery& q, QWidget* parent)
    : CTsReportQueryDlg(db, title, q.sDateFrom, q.sDateTo, {}, q.sFilter, 0, 0, 0, 974, parent),
      m_query(q) {
  setWindowTitle(QStringLiteral("打开过磅单明细表"));
  for (int g = 0; g < 3; ++g) {
    int& state = GroupState(m_query, g);
    if (state < 0 || state >= static_cast<int>(Group(g).states.size()))
      state = static_cast<int>(Group(g).states.size()) - 1;
  }
  // Of the common controls the dates and the code filters stay; the others are hidden and
  // give up their ids to this dialog's own.
  if (auto* grid = qobject_cast<QGridLayout*>(layout())) {
    for (int i = 0; i < grid->count(); ++i) {
      int row = 0, column = 0, rows = 0, columns = 0;
      grid->getItemPosition(i, &row, &column, &rows, &columns);
      if (row != 2 && row != 5 && row != 6) continue;
      TsHideLayoutItem(grid->itemAt(i));
      ForgetName(grid->itemAt(i));
    }
  }
  const std::pair<int, const char*> labels[] = {
      {kDateFrom, "&F.从："},         {kDateTo, "&T.到："},
      {kFarmerFilter, "&1.农  户："}, {kTransporterFilter, "&2.运  户："},
      {kPlaceFilter, "&3.砍运地："},  {kVarietyFilter, "&4.品  种："}};
  for (const auto& [id, text] : labels) TsRelabelBuddy(this, id, text);
  BuildGroups();
  DoDataExchange(false);
}

void CTsReportQueryDlg7::BuildGroups() {
  auto* own = new QVBoxLayout(OwnRow());
  own->setContentsMargins(0, 0, 0, 0);
  auto* range = new QHBoxLayout;
  auto* rangeLabel = new QLabel(QStringLiteral("&L.数量范围："), OwnRow());
  range->addWidget(rangeLabel);
  for (int b = 0; b < 2; ++b) {
    m_rangeEdits[b] = new CSmEdit(OwnRow());
    m_rangeEdits[b]->setObjectName(QString::number(kQtyRangeIds[b]));
    range->addWidget(m_rangeEdits[b]);
    if (b == 0) range->addWidget(new QLabel(QStringLiteral("到"), OwnRow()));
  }
  rangeLabel->setBuddy(m_rangeEdits[0]);
  range->addStretch();
  own->addLayout(range);
  auto* groups = new QHBoxLayout;
  for (int g = 0; g < 3; ++g) {
    const StateGroup& group = Group(g);
    auto* box = new QGroupBox(QString::fromUtf8(group.title), OwnRow());
    auto* grid = new QGridLayout(box);
    int row = 0;
    for (const auto& [id, text] : group.states) {
      auto* radio = new QRadioButton(QString::fromUtf8(text), box);
      radio->setObjectName(QString::number(id));
      grid->addWidget(radio, row++, 0, 1, 2);
      m_states[g].push_back(radio);
    }
    for (size_t k = 0; k < group.operators.size(); ++k) {
      const auto [column, id] = group.operators[k];
      m_operators[column] = new QComboBox(box);
      m_operators[column]->setObjectName(QString::number(id));
      auto* label = new QLabel(QString::fromUtf8(group.labels[k]), box);
      label->setBuddy(m_operators[column]);
      grid->addWidget(label, row, 0);
      grid->addWidget(m_operators[column], row++, 1);
    }
    grid->setRowStretch(row, 1);
    groups->addWidget(box);
  }
  own->addLayout(groups);
}

void CTsReportQueryDlg7::OnInitDialog() {
  CTsReportQueryDlg::OnInitDialog();
  for (int b = 0; b < 2; ++b) m_rangeEdits[b]->SetInputType("NUMBER 0", 10, 6);
  std::vector<std::pair<std::string, std::string>> operators;
  CSmOperatorArray rows;
  CSmOperator::Query("", "Order By Opno", GetSmDatabase(), &rows);
  for (const CSmOperator& op : rows) operators.emplace_back(op.Opno, op.Na);
  for (int column = 0; column < 8; ++column)
    FillOperatorCombo(m_operators[column], operators, m_query.sOperator[column], true);
  DoDataExchange(false);
}

void CTsReportQueryDlg7::DoDataExchange(bool save) {
  CTsReportQueryDlg::DoDataExchange(save);
  if (save) {
    for (int b = 0; b < 2; ++b) m_query.sQtyRange[b] = m_rangeEdits[b]->text().toStdString();
    for (int g = 0; g < 3; ++g) {
      int& state = GroupState(m_query, g);
      state = static_cast<int>(m_states[g].size()) - 1;
      for (size_t k = 0; k < m_states[g].size(); ++k) {
        if (m_states[g][k]->isChecked()) state = static_cast<int>(k);
      }
    }
    return;
  }
  for (int b = 0; b < 2; ++b)
    m_rangeEdits[b]->setText(QString::fromStdString(m_query.sQtyRange[b]));
  for (int g = 0; g < 3; ++g) m_states[g][GroupState(m_query, g)]->setChecked(true);
}

bool CTsReportQueryDlg7::AdjustConflicts() {
  TsSlipQuery& q = m_query;
  bool adjusted = false;
  auto turn = [&adjusted](int& state, int all) {
    adjusted = true;
    state = all;
  };
  if (!q.sOperator[1].empty() && q.nWeighState == 0) turn(q.nWeighState, 2);
  for (int k = 0; k < 2; ++k) {
    int& state = q.nSettleState[k];
    // The latest state each operator excludes: a settlement needs at least "已结未付", a
    // payment "已付未核", a review "已复核".
    const bool settler = !q.sOperator[2 + k].empty() && state == 0;
    const bool payer = !q.sOperator[4 + k].empty() && state <= 1;
    const bool reviewer = !q.sOperator[6 + k].empty() && state <= 2;
    if (settler || payer || reviewer) turn(state, 4);
    if (q.nWeighState == 0 && state >= 1 && state <= 3) turn(state, 4);
  }
  return adjusted;
}

bool CTsReportQueryDlg7::ValidateAndSave() {
  DoDataExchange(true);
  NormalizeRange(m_query.sQtyRange[0], m_query.sQtyRange[1]);
  for (int column : kTsSlipOperatorOrder) {
    if (!GetSelectedOperator(m_operators[column], m_query.sOperator[column], true)) return false;
  }
  if (!CheckDate(0) || !CheckDate(1) || !CheckRange()) return false;
  m_query.sDateFrom = m_dateFrom;
  m_query.sDateTo = m_dateTo;
  for (int f = 0; f < 4; ++f) m_query.sFilter[f] = m_filter[f];
  const bool adjusted = AdjustConflicts();
  DoDataExchange(false);
  if (!adjusted) return true;
  SmMessageBox("选择项间有冲突，软件已作调整，请重新配置过滤条件！", SM_MB_ICONERROR);
  return false;
}
