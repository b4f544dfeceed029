#include "reports/TsReportDoc3.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <unordered_set>

#include "app/SmApp.h"
#include "app/SmOpLog.h"
#include "app/SmWorkstation.h"
#include "cane/TsItems.h"
#include "cane/TsParams.h"
#include "core/SmDatabase.h"
#include "core/SmNumber.h"
#include "core/SmQuery.h"
#include "core/SmString.h"
#include "platform/SmMessage.h"
#include "ui/SmEdit.h"
#include "ui/SmWaitWnd.h"
#include "weighing/TsSheetOpenDlg.h"
#include "weighing/TsYfDoc.h"
#include "weighing/TsgbRec.h"
#include "weighing/TsjsRec.h"

namespace {

constexpr int kFreightTemplate = 265;
constexpr int kModule = 16;
constexpr int kVoucherLog = 8;
constexpr int kAdvanceVoucher = 2;
constexpr int kGroupIds[kTsItemGroups] = {
    CTsReportQueryDlg3::kFirstGroup, CTsReportQueryDlg3::kFirstGroup + 1,
    CTsReportQueryDlg3::kFirstGroup + 2, CTsReportQueryDlg3::kFirstGroup + 3};
constexpr int kIncludeUnpaid = 1039;

// The item set of each group: item class (0 ticket, 1 slip), category and selection.
struct GroupItems {
  int itemClass, category, selection;
};
constexpr GroupItems kGroupItems[kTsItemGroups] = {{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 2, 1}};
const char* const kGroupCaptions[kTsItemGroups] = {"应扣(补)款", "应代扣款", "应代扣款余额",
                                                   "预付款余额"};
const char* const kGroupHeadings[kTsItemGroups] = {"应%*s扣%*s(补)%*s款", "应%*s代%*s扣%*s款",
                                                   "应%*s代%*s扣%*s款%*s余%*s额",
                                                   "预%*s付%*s款%*s余%*s额"};
const char* const kGroupChecks[kTsItemGroups] = {"&1.含应扣(补)项目", "&2.含动态代扣项目",
                                                 "&3.含静态代扣项目", "&4.含扣预付款项目"};

int GroupCount(int kind, int g) {
  const GroupItems& s = kGroupItems[g];
  return TsGetKindItemCount(kind, s.itemClass, s.category, s.selection);
}

int GroupItem(int kind, int g, int i) {
  const GroupItems& s = kGroupItems[g];
  return TsGetKindItemIndex(kind, s.itemClass, s.category, s.selection, i);
}

std::string GroupItemName(int kind, int g, int i) {
  const GroupItems& s = kGroupItems[g];
  return TsGetKindItemName(kind, s.itemClass, s.category, s.selection, i);
}

// Position in a row's values of item i of group g (i = count: its subtotal).
size_t ValueAt(const TsGroupLayout& layout, int g, int i) {
  return static_cast<size_t>(4 + layout.start[static_cast<size_t>(g)] + i);
}

// What a shown group adds to the payable: its subtotal, or its one item times `sign`.
double GroupFigure(const TsGroupLayout& layout, const std::vector<double>& v, int g, int sign) {
  const size_t k = static_cast<size_t>(g);
  if (layout.size[k] == 0 || layout.count[k] == 0) return 0;
  if (layout.subtotal[k]) return v[ValueAt(layout, g, layout.count[k])];
  return sign * v[ValueAt(layout, g, 0)];
}

// Puts the amounts of a shown group into the row, from `first` of the query's numbers, with
// the subtotal of the items each times its sign.
template <class Sign>
void PutGroup(const TsGroupLayout& layout, int g, CSmQuery& query, int first, Sign sign,
              std::vector<double>& v) {
  const size_t k = static_cast<size_t>(g);
  if (layout.size[k] == 0) return;
  double sum = 0;
  for (int i = 0; i < layout.count[k]; ++i) {
    const double amount = query.GetDouble(first + i);
    v[ValueAt(layout, g, i)] = amount;
    sum += sign(i) * amount;
  }
  if (layout.subtotal[k]) v[ValueAt(layout, g, layout.count[k])] = sum;
}

std::string TicketStatement(const TsUnsettledQuery& q, const std::string& key, CSmDatabase* db) {
  const int kind = q.nSettleKind;
  const char* net = kind == 0 || TsGetFreightNetOfImpurity() ? "-MU2" : "";
  std::string sql =
      FormatStr("Select Count(DH),sum(MU0-MU1%s),sum(MY%d),", net, TsTicketMoneyColumn(kind, -1));
  for (int g : {0, 1}) {
    for (int i = 0; i < GroupCount(kind, g); ++i)
      sql += FormatStr("sum(MY%d),", TsTicketMoneyColumn(kind, GroupItem(kind, g, i)));
  }
  const std::string date = db->SqlText(q.sDateFrom);
  const std::string unpaid = q.bIncludeUnpaid ? FormatStr(" Or OPR%d=''", kind + 4) : "";
  sql += FormatStr("%s From gbSheet Where T<='%s' And OPR1<>'' And (JN%d='' Or JT%d>'%s'%s)",
                   key.c_str(), date.c_str(), kind, kind, date.c_str(), unpaid.c_str());
  if (kind == 0) sql += TsPrefixCondition("KNO0", q.sFilter[0], db);
  return sql + FormatStr(" Group By %s Order By %s", key.c_str(), key.c_str());
}

std::string BalanceStatement(const TsUnsettledQuery& q, CSmDatabase* db) {
  const int kind = q.nSettleKind;
  std::string sql = "Select ";
  for (int g : {2, 3}) {
    for (int i = 0; i < GroupCount(kind, g); ++i)
      sql += FormatStr("-sum(MY%d),", GroupItem(kind, g, i));
  }
  sql += FormatStr("KNO From jsSheet Where lb='%d' And T<='%s'", kind,
                   db->SqlText(q.sDateFrom).c_str());
  // Unpaid slips count as unsettled: their deduction rows are not yet taken off the balances.
  if (q.bIncludeUnpaid) sql += " And (db<>'0' Or OPR1<>'')";
  if (kind == 0) sql += TsPrefixCondition("KNO", q.sFilter[0], db);
  return sql + " Group By KNO Order By KNO";
}

// The cash payable of a household row: the amount with the shown ticket items, less the shown
// balances when they are owed, never below zero, times the cash percentage.
double CashPayable(const TsUnsettledQuery& q, const TsGroupLayout& layout,
                   const std::vector<double>& v) {
  const int kind = q.nSettleKind;
  double payable = v[3];
  payable += GroupFigure(layout, v, 0, TsGetTicketItemSign(kind, GroupItem(kind, 0, 0)));
  payable -= GroupFigure(layout, v, 1, 1);
  const double balance = GroupFigure(layout, v, 2, 1) + GroupFigure(layout, v, 3, 1);
  if (balance > 0.000001) payable -= balance;
  if (payable < 0.000001) return 0;
  return RoundTo(q.dCashPercent * payable * 0.01, 2);
}

// The codes of the households that may take an advance: every driver, or the farmers that
// are listed once and have no sub-entries.
std::unordered_set<std::string> Households(int kind, CSmDatabase* db) {
  std::vector<std::string> codes[1];
  db->QueryStrings(FormatStr("Select rtrim(KNO) From %s", kind == 1 ? "DriverDir" : "NHDir"), codes,
                   1);
  std::vector<std::string>& all = codes[0];
  for (std::string& code : all) code = TrimRightSet(code, " ");
  if (kind == 1) return {all.begin(), all.end()};
  std::sort(all.begin(), all.end());
  std::unordered_set<std::string> leaves;
  for (size_t i = 0; i < all.size(); ++i) {
    const bool twice = i > 0 && all[i - 1] == all[i];
    const bool parent = i + 1 < all.size() && all[i + 1].starts_with(all[i]);
    if (!twice && !parent) leaves.insert(all[i]);
  }
  return leaves;
}

}  // namespace

TsGroupLayout GetGroupLayout(int kind, const std::array<int, kTsItemGroups>& shown) {
  TsGroupLayout layout;
  for (size_t g = 0; g < kTsItemGroups; ++g) {
    layout.count[g] = GroupCount(kind, static_cast<int>(g));
    layout.subtotal[g] = layout.count[g] > 1 ? 1 : 0;
    layout.start[g] = layout.total;
    layout.size[g] = shown[g] ? layout.count[g] + layout.subtotal[g] : 0;
    layout.total += layout.size[g];
  }
  return layout;
}

int FillUnsettled(const TsUnsettledQuery& q, CTsReportRow& work, std::vector<CTsReportRow>& rows,
                  CSmDatabase* db) {
  const int kind = q.nSettleKind;
  const TsGroupLayout layout = GetGroupLayout(kind, q.bGroups);
  const int n0 = layout.count[0];
  const std::string key = FormatStr("rtrim(KNO%d)", kind);

  std::vector<CTsReportRow> households;
  std::unordered_map<std::string, size_t> byCode;
  CSmQuery tickets(1, n0 + layout.count[1] + 2, 1, db);
  if (!tickets.Open(TicketStatement(q, key, db))) return 0;
  for (; !tickets.IsEOF(); tickets.MoveNext()) {
    work.Clear();
    std::vector<double>& v = work.Values;
    v[0] = static_cast<double>(tickets.GetInt(0));
    v[1] = tickets.GetDouble(0);
    v[3] = tickets.GetDouble(1);
    PutGroup(
        layout, 0, tickets, 2,
        [kind](int i) { return TsGetTicketItemSign(kind, GroupItem(kind, 0, i)); }, v);
    PutGroup(
        layout, 1, tickets, 2 + n0, [](int) { return 1; }, v);
    work.sCode = TrimRightSet(tickets.GetString(0), " ");
    byCode[work.sCode] = households.size();
    households.push_back(work);
  }

  const bool balances = (layout.size[2] > 0) || (layout.size[3] > 0);
  if (balances) {
    CSmQuery query(0, layout.count[2] + layout.count[3], 1, db);
    if (!query.Open(BalanceStatement(q, db))) return 0;
    for (; !query.IsEOF(); query.MoveNext()) {
      // The stored code is padded to its column's width.
      const auto found = byCode.find(TrimRightSet(query.GetString(0), " "));
      if (found == byCode.end()) continue;
      std::vector<double>& v = households[found->second].Values;
      PutGroup(
          layout, 2, query, 0, [](int) { return 1; }, v);
      PutGroup(
          layout, 3, query, layout.count[2], [](int) { return 1; }, v);
    }
  }
  for (CTsReportRow& household : households)
    household.Values[static_cast<size_t>(4 + layout.total)] =
        CashPayable(q, layout, household.Values);

  work.LoadNames(kind, TsGetLevelLengths(false), std::clamp(q.nLevel, 0, 4),
                 kind == 0 ? q.sFilter[0] : std::string(), rows, db);
  {
    // Transporter codes are flat: a code that begins another is another household.
    CTsRollUp rollUp(rows, CTsRollUp::Qty, kind == 1);
    for (const CTsReportRow& household : households) rollUp.Add(household);
  }
  for (CTsReportRow& row : rows) {
    std::vector<double>& v = row.Values;
    v[2] = v[1] != 0 ? RoundTo(v[3] / v[1], 2) : 0;
  }
  return static_cast<int>(rows.size());
}

std::vector<CTsjsRec> TsAdvanceRows(const CTsjsRec& voucher, int item,
                                    const std::vector<std::pair<std::string, double>>& payables,
                                    CSmDatabase* db) {
  std::vector<CTsjsRec> rows;
  if (item < 0 || item >= CTsjsRec::kItemCount) return rows;
  const std::unordered_set<std::string> households = Households(voucher.LB, db);
  CTsjsRec row = voucher;
  for (const auto& [code, amount] : payables) {
    if (std::fabs(amount) < 0.000001 || !households.contains(code)) continue;
    row.KNO = code;
    row.MY.assign(CTsjsRec::kItemCount, 0);
    row.MY[static_cast<size_t>(item)] = -amount;
    rows.push_back(row);
  }
  return rows;
}

// ---------------------------------------------------------------- CTsReportDoc3

CTsReportDoc3::CTsReportDoc3() : CTsReportDoc(std::make_unique<TsUnsettledQuery>()) {}

void CTsReportDoc3::OnInitDocument() {
  nSettleKind = nFlag == kFreightTemplate ? 1 : 0;
  // The choices are kept under the first form; a window opened again from this one starts
  // from them too.
  if (m_kind.nNumber != 0) {
    m_kind.nNumber = 0;
    ReadDocOpenModes(nFlag, 0, m_openModes);
  }
  CTsReportDoc::OnInitDocument();
  for (size_t g = 0; g < kTsItemGroups; ++g) query.bGroups[g] = StrToIntDef(m_openModes[11 + g], 0);
  query.bIncludeUnpaid = StrToIntDef(m_openModes[15], 0);
  query.dCashPercent = StrToDouble(m_openModes[16]);
  for (int k = 1; k < 4; ++k) sFilter[k].clear();
  sDateTo = sDateFrom;
  bPeriodCaption = 0;
  nRowKind = nSettleKind;
}

void CTsReportDoc3::OnCloseDocument() {
  m_kind.nNumber = 0;
  m_openModes.resize(kTsReportVarCount);
  for (size_t g = 0; g < kTsItemGroups; ++g) m_openModes[11 + g] = std::to_string(query.bGroups[g]);
  m_openModes[15] = std::to_string(query.bIncludeUnpaid);
  m_openModes[16] = FormatStr("%.2lf", query.dCashPercent);
  CTsReportDoc::OnCloseDocument();  // may destroy this document
}

void CTsReportDoc3::DefineTitle(CSmFormDef& def) {
  def.sFna = nSettleKind == 1 ? "未结运费统计表" : "未结蔗款统计表";
  def.nOpen = 0;
  def.nTopNum = 3;
}

TsGroupLayout CTsReportDoc3::Layout() const {
  return GetGroupLayout(nSettleKind, query.bGroups);
}

void CTsReportDoc3::DefineColumns(CSmFormDef& def) {
  DefineBaseColumns(def);
  def.m_cols.resize(6);  // code, name, count, weight, average price, amount
  const TsGroupLayout layout = Layout();
  auto add = [&def](int fact, const std::string& spec) {
    AppendColumn(def, 111 + static_cast<int>(def.m_cols.size()), fact, 2, 2, spec);
  };
  for (int g = 0; g < kTsItemGroups; ++g) {
    const size_t k = static_cast<size_t>(g);
    if (layout.size[k] == 0) continue;
    for (int i = 0; i < layout.count[k]; ++i)
      add(1212, GroupItemName(nSettleKind, g, i) + "/NUMBER/RIGHT");
    if (layout.subtotal[k]) add(1212, std::string(kGroupCaptions[g]) + "合计/NUMBER/RIGHT");
  }
  add(1515, "应付\\现款/NUMBER/RIGHT");
  ApplyColumnVisibility(def);
}

void CTsReportDoc3::MakeDefaultTopWords(CSmFormDef& def) {
  if (def.nTopNum < 2) {
    CSmDoc::MakeDefaultTopWords(def);
    return;
  }
  def.m_topWords.clear();
  const TsGroupLayout layout = Layout();
  for (int code : {1, 2, 10, 14, 15, 16, layout.total + 17}) AddFullTopWord(def, code);
  for (int g = 0; g < kTsItemGroups; ++g) {
    const size_t k = static_cast<size_t>(g);
    std::vector<int> codes;
    for (int i = 0; i < layout.size[k]; ++i) codes.push_back(17 + layout.start[k] + i);
    const int first = 17 + layout.start[k];
    AddGroupTopWords(def, codes, kGroupHeadings[g], g < 2 ? 2 : 1, [&](int code) {
      const int i = code - first;
      return i < layout.count[k] ? GroupItemName(nSettleKind, g, i) : std::string("合计");
    });
  }
}

bool CTsReportDoc3::LoadRows(int /*openMode*/) {
  CTsReportQueryDlg3 dlg(m_db, m_kind.sName, query, bSkipEmpty, CSmFrameWnd::Main());
  if (dlg.DoModal() != SM_IDOK) return false;
  query = dlg.m_query;
  bSkipEmpty = dlg.m_skipEmpty;
  const std::array<int, kTsItemGroups>& bGroups = query.bGroups;
  // Each combination of shown groups has a form definition of its own.
  m_kind.nNumber = bGroups[0] + 2 * bGroups[1] + 4 * bGroups[2] + 8 * bGroups[3];
  return true;
}

void CTsReportDoc3::Refresh() {
  CSmWaitWnd busy;
  const int count = Layout().total + 5;
  std::vector<int> valueCodes(static_cast<size_t>(count));
  for (int v = 1; v < count; ++v) valueCodes[static_cast<size_t>(v)] = v + 3;
  CTsReportRow work(count);
  std::vector<CTsReportRow> rows;
  FillUnsettled(query, work, rows, m_db);
  FillFromRows({}, valueCodes, rows);
}

bool CTsReportDoc3::OnCommand(int id) {
  if (id != kTsGenerateAdvances) return CTsReportDoc::OnCommand(id);
  OnGenerateAdvance();
  return true;
}

void CTsReportDoc3::OnGenerateAdvance() {
  if (!HasSmRight(kModule, "52")) {
    SmMessageBox("你无预付业务之权限！", SM_MB_OK | SM_MB_ICONERROR);
    return;
  }
  const int cash = FindShownColumn(Layout().total + 17);
  if (cash < 0) {
    SmMessageBox("无实付款栏！", SM_MB_OK | SM_MB_ICONERROR);
    return;
  }
  CTsSheetOpenDlg dlg(sDateFrom, CSmFrameWnd::Main(), m_db);
  dlg.m_mode = kAdvanceVoucher;
  dlg.m_party = nSettleKind;
  dlg.m_kindChoosable = 0;
  if (dlg.DoModal() != SM_IDOK) return;

  CTsjsRec voucher;
  voucher.LB = nSettleKind;
  voucher.DB = kAdvanceVoucher;
  voucher.OPR[0] = TsOperatorNo();
  voucher.T = dlg.m_date;
  std::vector<std::pair<std::string, double>> payables;
  for (const std::vector<std::string>& cells : m_rows) {
    if (cells.size() <= static_cast<size_t>(m_shownCount)) continue;
    payables.emplace_back(cells[static_cast<size_t>(m_shownCount)],
                          StrToDouble(cells[static_cast<size_t>(cash)]));
  }
  std::vector<CTsjsRec> rows =
      TsAdvanceRows(voucher, TsGetKindItemIndex(nSettleKind, 1, 2, 0, dlg.m_item), payables, m_db);
  if (rows.empty()) {
    SmMessageBox("没有生成有效单据！", SM_MB_OK | SM_MB_ICONINFORMATION);
    return;
  }
  const std::string number = TsNextDocNo(nSettleKind, kAdvanceVoucher, m_db);
  if (number.empty() || !TsWriteVoucher(nSettleKind, kAdvanceVoucher, false, number, rows, m_db))
    return;
  SmMessageBox(FormatStr("已成功地生成第%s号单据！", number.c_str()),
               SM_MB_OK | SM_MB_ICONINFORMATION);
  CSmOpLog(kModule, kVoucherLog, FormatStr("自动生成预付款单s：%s", number.c_str()));
  // The paid households' balances changed: the report shows them at once, so that a second
  // generation does not pay them again.
  if (Views().empty()) {
    Refresh();
  } else {
    UpdateAllViews(nullptr, kTsReportReread);
  }
}

// ---------------------------------------------------------------- CTsReportQueryDlg3

CTsReportQueryDlg3::CTsReportQueryDlg3(CSmDatabase* db, const std::string& title,
                                       const std::string& date, const std::string& region,
                                       int rowKind, int level, int skipEmpty,
                                       const std::array<int, kTsItemGroups>& groups,
                                       int includeUnpaid, double cashPercent, QWidget* parent)
    : CTsReportQueryDlg3(
          db, title,
          [&] {
            TsUnsettledQuery q;
            q.sDateFrom = q.sDateTo = date;
            q.sFilter[0] = region;
            q.nRowKind = q.nSettleKind = rowKind;
            q.nLevel = level;
            q.bGroups = groups;
            q.bIncludeUnpaid = includeUnpaid;
            q.dCashPercent = cashPercent;
            return q;
          }(),
          skipEmpty, parent) {}

CTsReportQueryDlg3::CTsReportQueryDlg3(CSmDatabase* db, const std::string& title,
                                       const TsUnsettledQuery& q, int skipEmpty, QWidget* parent)
    : CTsReportQueryDlg(db, title, q.sDateFrom, q.sDateFrom, {}, {q.sFilter[0], {}, {}, {}},
                        q.nSettleKind, q.nLevel, skipEmpty, 967, parent),
      m_query(q),
      m_percentText(FormatStr("%.2f", q.dCashPercent)) {
  KeepRegionAndLevel(true, "&Q.区    域：");
  UseSingleDate();
  TsRelabelBuddy(this, kDateFrom, "&T.截止时间：");
  auto* grid = new QGridLayout(OwnRow());
  grid->setContentsMargins(0, 0, 0, 0);
  for (int g = 0; g < kTsItemGroups; ++g) {
    m_groupChecks[g] = new QCheckBox(QString::fromUtf8(kGroupChecks[g]), OwnRow());
    m_groupChecks[g]->setObjectName(QString::number(kGroupIds[g]));
    grid->addWidget(m_groupChecks[g], g / 2, g % 2 * 2, 1, 2);
  }
  m_unpaid = new QCheckBox(QStringLiteral("含已结未付款单据"), OwnRow());
  m_unpaid->setObjectName(QString::number(kIncludeUnpaid));
  grid->addWidget(m_unpaid, 2, 0, 1, 2);
  auto* label = new QLabel(QStringLiteral("付现百分比："), OwnRow());
  grid->addWidget(label, 2, 2);
  auto* percentRow = new QHBoxLayout;
  m_percent = new CSmEdit(OwnRow());
  m_percent->setObjectName(QString::number(kCashPercent));
  m_percent->setMaximumWidth(80);
  label->setBuddy(m_percent);
  percentRow->addWidget(m_percent);
  percentRow->addWidget(new QLabel(QStringLiteral("％"), OwnRow()));
  percentRow->addStretch();
  grid->addLayout(percentRow, 2, 3);
}

void CTsReportQueryDlg3::OnInitDialog() {
  CTsReportQueryDlg::OnInitDialog();
  m_percent->SetInputType("NUMBER 0", 6, 2);
  DoDataExchange(false);
  EnableRegionForFarmers();
}

void CTsReportQueryDlg3::DoDataExchange(bool save) {
  CTsReportQueryDlg::DoDataExchange(save);
  if (save) {
    for (size_t g = 0; g < kTsItemGroups; ++g)
      m_query.bGroups[g] = m_groupChecks[g]->isChecked() ? 1 : 0;
    m_query.bIncludeUnpaid = m_unpaid->isChecked() ? 1 : 0;
    m_query.sDateFrom = m_dateFrom;
    m_query.sDateTo = m_dateFrom;
    m_query.sFilter[0] = m_filter[0];
    m_query.nLevel = m_level;
    m_percentText = m_percent->text().toStdString();
    return;
  }
  for (size_t g = 0; g < kTsItemGroups; ++g) m_groupChecks[g]->setChecked(m_query.bGroups[g] != 0);
  m_unpaid->setChecked(m_query.bIncludeUnpaid != 0);
  m_percent->setText(QString::fromStdString(m_percentText));
}

bool CTsReportQueryDlg3::ValidateAndSave() {
  DoDataExchange(true);
  const double percent = RoundTo(StrToDouble(m_percentText), 2);
  if (percent < 0.00001 || percent > 100.00001) return RefuseAt(m_percent, "付现百分比超界！");
  if (!ValidateBase()) return false;
  m_query.dCashPercent = percent;
  m_query.sDateFrom = m_dateFrom;
  m_query.sDateTo = m_dateFrom;
  m_dateTo = m_dateFrom;
  return true;
}
