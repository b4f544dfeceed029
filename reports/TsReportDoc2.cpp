#include "reports/TsReportDoc2.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <algorithm>

#include "cane/TsItems.h"
#include "cane/TsParams.h"
#include "core/SmDatabase.h"
#include "core/SmNumber.h"
#include "core/SmQuery.h"
#include "core/SmString.h"
#include "forms/SmChildFrm.h"
#include "platform/SmMessage.h"
#include "ui/SmWaitWnd.h"

namespace {

constexpr int kFreightTemplate = 263;

std::string TicketStatement(const TsSettlementQuery& q, const std::string& group,
                            const std::string& region, CSmDatabase* db) {
  const int k = q.nSettleKind;
  const std::string net = k == 0 || TsGetFreightNetOfImpurity() ? "-MU2" : "";
  std::string sql =
      FormatStr("Select Count(distinct JN%d),sum(MU0-MU1%s),", k, net.c_str()) +
      TsSettlementTicketSums(k) + group +
      FormatStr(" From gbSheet Where JT%d>='%s' And JT%d<='%s' And JN%d<>''", k,
                db->SqlText(q.sDateFrom).c_str(), k, db->SqlText(q.sDateTo).c_str(), k);
  if (!q.sOprCode[0].empty())
    sql += FormatStr(" And OPR%d='%s'", k + 2, db->SqlText(q.sOprCode[0]).c_str());
  if (q.bUnpaidOnly) {
    sql += FormatStr(" And OPR%d=''", k + 4);
  } else if (!q.sOprCode[1].empty()) {
    sql += FormatStr(" And OPR%d='%s'", k + 4, db->SqlText(q.sOprCode[1]).c_str());
  }
  sql += TsPrefixCondition("KNO0", region, db);
  return sql + FormatStr(" Group By %s Order By %s", group.c_str(), group.c_str());
}

std::string SlipStatement(const TsSettlementQuery& q, const std::string& group,
                          const std::string& region, CSmDatabase* db) {
  std::string sql =
      "Select " + TsSettlementSlipSums(q.nSettleKind) + group +
      FormatStr(
          " From jsSheet Where lb='%d' And DB='0' And DH<>'' And T>='%s' And "
          "T<='%s'",
          q.nSettleKind, db->SqlText(q.sDateFrom).c_str(), db->SqlText(q.sDateTo).c_str());
  sql += TsPrefixCondition("KNO", region, db);
  if (!q.sOprCode[0].empty()) sql += " And OPR0='" + db->SqlText(q.sOprCode[0]) + "'";
  if (q.bUnpaidOnly) {
    sql += " And OPR1=''";
  } else if (!q.sOprCode[1].empty()) {
    sql += " And OPR1='" + db->SqlText(q.sOprCode[1]) + "'";
  }
  return sql + FormatStr(" Group By %s Order By %s", group.c_str(), group.c_str());
}

}  // namespace

TsSettlementItems::TsSettlementItems(int kind)
    : c00(TsGetKindItemCount(kind, 0, 0, 0)),
      c01(TsGetKindItemCount(kind, 0, 1, 0)),
      c11(TsGetKindItemCount(kind, 1, 1, 0)),
      c12(TsGetKindItemCount(kind, 1, 2, 0)) {}

std::string TsSettlementTicketSums(int kind) {
  std::string sql = FormatStr("sum(MY%d),", TsTicketMoneyColumn(kind, -1));
  for (int category = 0; category < 2; ++category) {
    for (int n = 0; n < TsGetKindItemCount(kind, 0, category, 0); ++n) {
      const int item = TsGetKindItemIndex(kind, 0, category, 0, n);
      sql += FormatStr("sum(MY%d),", TsTicketMoneyColumn(kind, item));
    }
  }
  return sql;
}

std::string TsSettlementSlipSums(int kind) {
  std::string sql;
  for (int category = 1; category < 3; ++category) {
    for (int n = 0; n < TsGetKindItemCount(kind, 1, category, 0); ++n)
      sql += FormatStr("sum(MY%d),", TsGetKindItemIndex(kind, 1, category, 0, n));
  }
  return sql;
}

void TsReadSettlementTicket(CSmQuery& query, const TsSettlementItems& items, CTsReportRow& work) {
  work.Clear();
  work.Values[0] = static_cast<double>(query.GetInt(0));
  work.Values[1] = query.GetDouble(0);
  work.Values[3] = query.GetDouble(1);
  for (int i = 0; i < items.c00; ++i) work.Values[4 + i] = query.GetDouble(2 + i);
  for (int i = 0; i < items.c01; ++i)
    work.Values[items.FirstLaterItem() + i] = query.GetDouble(2 + items.c00 + i);
  work.sCode = query.GetString(0);
}

void TsReadSettlementSlip(CSmQuery& query, const TsSettlementItems& items, CTsReportRow& work) {
  work.Clear();
  for (int j = 0; j < items.c11 + items.c12; ++j)
    work.Values[items.FirstSlipItem() + j] = query.GetDouble(j);
  work.sCode = query.GetString(0);
}

int FillSettlement(const TsSettlementQuery& q, CTsReportRow& work, std::vector<CTsReportRow>& rows,
                   CSmDatabase* db) {
  const int k = q.nSettleKind;
  const TsSettlementItems items(k);
  const std::array<int, 5> lengths = TsGetLevelLengths(false);
  const int level = std::clamp(q.nLevel, 0, 4);
  // Drivers have flat codes: the freight report ignores the region and the level.
  const std::string region = k == 0 ? q.sFilter[0] : std::string();
  work.LoadNames(k, lengths, level, region, rows, db);
  CTsRollUp rollUp(rows, CTsRollUp::Qty, k == 1);

  const std::string group = k == 1 ? "rtrim(KNO1)" : FormatStr("Left(KNO0,%d)", lengths[level]);
  CSmQuery tickets(1, items.c00 + items.c01 + 2, 1, db);
  if (!tickets.Open(TicketStatement(q, group, region, db))) return 0;
  for (; !tickets.IsEOF(); tickets.MoveNext()) {
    TsReadSettlementTicket(tickets, items, work);
    rollUp.Add(work);
  }

  const std::string slipGroup = k == 1 ? "KNO" : FormatStr("Left(KNO,%d)", lengths[level]);
  CSmQuery slips(0, items.c11 + items.c12, 1, db);
  if (!slips.Open(SlipStatement(q, slipGroup, region, db))) return 0;
  for (; !slips.IsEOF(); slips.MoveNext()) {
    TsReadSettlementSlip(slips, items, work);
    rollUp.Add(work);
  }
  for (CTsReportRow& row : rows) ComputeSettlementTotals(row, k);
  return static_cast<int>(rows.size());
}

void ComputeSettlementTotals(CTsReportRow& row, int kind) {
  const TsSettlementItems items(kind);
  std::vector<double>& v = row.Values;
  if (static_cast<int>(v.size()) < items.ValueCount()) return;
  v[2] = v[1] != 0 ? RoundTo(v[3] / v[1], 2) : 0;
  double payable = v[3];
  for (int i = 0; i < items.c00; ++i)
    payable += TsGetTicketItemSign(kind, TsGetKindItemIndex(kind, 0, 0, 0, i)) * v[4 + i];
  payable = RoundTo(payable, 2);
  if (items.c00 > 0) v[4 + items.c00] = payable;
  const int last = items.ValueCount() - 1;
  double paid = payable;
  for (int p = items.FirstLaterItem(); p < last; ++p) paid -= v[p];
  v[last] = RoundTo(paid, 2);
}

// ---------------------------------------------------------------- CTsReportDoc2

CTsReportDoc2::CTsReportDoc2() : CTsReportDoc2(std::make_unique<TsSettlementQuery>()) {}

CTsReportDoc2::CTsReportDoc2(std::unique_ptr<TsSettlementQuery> query)
    : CTsReportDoc(std::move(query)) {}

void CTsReportDoc2::OnInitDocument() {
  nSettleKind = nFlag == kFreightTemplate ? 1 : 0;
  CTsReportDoc::OnInitDocument();
  for (int f = 1; f < 4; ++f) sFilter[f].clear();
  nRowKind = nSettleKind;
  query.bUnpaidOnly = StrToIntDef(m_openModes[11], 0);
}

void CTsReportDoc2::DefineTitle(CSmFormDef& def) {
  def.sFna = nSettleKind == 1 ? "运费结算统计表" : "甘蔗结算统计表";
  def.nOpen = 0;
  def.nTopNum = 3;
}

void CTsReportDoc2::DefineSettlementColumns(CSmFormDef& def) {
  DefineBaseColumns(def);
  auto add = [&def](int fact, const std::string& spec) {
    const int column = static_cast<int>(def.m_cols.size());
    def.InsertCol(column, column + 111, fact, 2, 2, spec);
  };
  auto addItems = [&](int itemClass, int category) {
    for (int n = 0; n < TsGetKindItemCount(nSettleKind, itemClass, category, 0); ++n) {
      std::string name = TsGetKindItemName(nSettleKind, itemClass, category, 0, n);
      if (category == 2 && !name.starts_with("扣")) name = "扣" + name;
      add(1212, SplitTextEvenly(6, name) + "/NUMBER/RIGHT");
    }
  };
  addItems(0, 1);
  addItems(1, 1);
  addItems(1, 2);
  add(1515, "实付款/NUMBER/RIGHT");
}

void CTsReportDoc2::DefineColumns(CSmFormDef& def) {
  DefineSettlementColumns(def);
  ApplyColumnVisibility(def);
}

std::vector<int> CTsReportDoc2::SettlementValueCodes() const {
  std::vector<int> codes(static_cast<size_t>(TsSettlementItems(nSettleKind).ValueCount()));
  for (size_t v = 1; v < codes.size(); ++v) codes[v] = static_cast<int>(v) + 3;
  return codes;
}

bool CTsReportDoc2::LoadRows(int /*openMode*/) {
  CTsReportQueryDlg2 dlg(m_db, m_kind.sName, query, bSkipEmpty, CSmFrameWnd::Main());
  if (dlg.DoModal() != SM_IDOK) return false;
  query = dlg.m_query;
  bSkipEmpty = dlg.m_skipEmpty;
  m_openModes[11] = std::to_string(query.bUnpaidOnly);
  return true;
}

void CTsReportDoc2::Refresh() {
  CSmWaitWnd busy;
  const std::vector<int> valueCodes = SettlementValueCodes();
  CTsReportRow work(static_cast<int>(valueCodes.size()));
  std::vector<CTsReportRow> rows;
  FillSettlement(query, work, rows, m_db);
  FillFromRows({}, valueCodes, rows);
}

// ---------------------------------------------------------------- CTsReportQueryDlg2

CTsReportQueryDlg2::CTsReportQueryDlg2(CSmDatabase* db, const std::string& title,
                                       const std::string& dateFrom, const std::string& dateTo,
                                       const std::string (&oprCode)[2],
                                       const std::string (&filter)[4], int rowKind, int level,
                                       int skipEmpty, int unpaidOnly, QWidget* parent)
    : CTsReportQueryDlg2(
          db, title,
          [&] {
            TsSettlementQuery q;
            q.sDateFrom = dateFrom;
            q.sDateTo = dateTo;
            q.sOprCode[0] = oprCode[0];
            q.sOprCode[1] = oprCode[1];
            q.sFilter[0] = filter[0];
            q.nRowKind = q.nSettleKind = rowKind;
            q.nLevel = level;
            q.bUnpaidOnly = unpaidOnly;
            return q;
          }(),
          skipEmpty, parent) {}

CTsReportQueryDlg2::CTsReportQueryDlg2(CSmDatabase* db, const std::string& title,
                                       const TsSettlementQuery& q, int skipEmpty, QWidget* parent)
    : CTsReportQueryDlg(db, title, q.sDateFrom, q.sDateTo, q.sOprCode, {q.sFilter[0], {}, {}, {}},
                        q.nSettleKind, q.nLevel, skipEmpty, 966, parent),
      m_query(q) {
  // The region of farmers stays of the code filters; the rows follow the report.
  HideCommon([](int row, int column) { return (row == 3 && column >= 2) || row == 4 || row == 5; });
  TsRelabelBuddy(this, kGrossOperator, "&1.操作：");
  TsRelabelBuddy(this, kTareOperator, "&2.复核：");
  TsRelabelBuddy(this, kFarmerFilter, "&Q.区域：");
  auto* row = new QHBoxLayout(OwnRow());
  row->setContentsMargins(0, 0, 0, 0);
  m_unpaid = new QCheckBox(QStringLiteral("&W.仅含未付款单据"), OwnRow());
  m_unpaid->setObjectName(QString::number(kUnpaidOnly));
  row->addWidget(m_unpaid);
  row->addStretch();
  DoDataExchange(false);
}

void CTsReportQueryDlg2::OnInitDialog() {
  CTsReportQueryDlg::OnInitDialog();
  EnableRegionForFarmers();
}

void CTsReportQueryDlg2::DoDataExchange(bool save) {
  CTsReportQueryDlg::DoDataExchange(save);
  if (save) {
    m_query.sDateFrom = m_dateFrom;
    m_query.sDateTo = m_dateTo;
    for (int i = 0; i < 2; ++i) m_query.sOprCode[i] = m_oprCode[i];
    m_query.sFilter[0] = m_filter[0];
    m_query.nLevel = m_level;
    m_query.bUnpaidOnly = m_unpaid->isChecked() ? 1 : 0;
    return;
  }
  m_unpaid->setChecked(m_query.bUnpaidOnly != 0);
}

bool CTsReportQueryDlg2::ValidateAndSave() {
  if (!CTsReportQueryDlg::ValidateAndSave()) return false;
  DoDataExchange(true);
  return true;
}
