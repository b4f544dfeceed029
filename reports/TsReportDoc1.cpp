#include "reports/TsReportDoc1.h"

#include "app/SmApp.h"
#include "cane/TsDocTemplates.h"
#include "cane/TsItems.h"
#include "cane/TsParams.h"
#include "core/SmDatabase.h"
#include "core/SmNumber.h"
#include "core/SmQuery.h"
#include "core/SmString.h"
#include "platform/SmMessage.h"
#include "reports/TsBookDoc.h"
#include "reports/TsReportDoc2.h"
#include "reports/TsReportDoc3.h"
#include "reports/TsReportDoc4.h"
#include "reports/TsReportDoc5.h"
#include "reports/TsReportDoc6.h"
#include "reports/TsReportDoc7.h"
#include "reports/TsReportDoc8.h"
#include "reports/TsReportQueryDlg.h"
#include "res/SmResource.h"
#include "ui/SmWaitWnd.h"

namespace {

constexpr int kFreightTemplate = 258;

int ItemCount(int kind) {
  return TsGetKindItemCount(kind, 0, 0, 0);
}

int ItemColumn(int kind, int i) {
  return TsTicketMoneyColumn(kind, TsGetKindItemIndex(kind, 0, 0, 0, i));
}

std::string TicketStatement(const TsPurchaseQuery& q, const std::string& key,
                            const std::string& net, CSmDatabase* db) {
  const int k = q.nSettleKind;
  std::string sql = FormatStr("Select Count(DH),sum(MU0-MU1%s),sum(MY%d)", net.c_str(),
                              TsTicketMoneyColumn(k, -1));
  for (int i = 0; i < ItemCount(k); ++i) sql += FormatStr(",sum(MY%d)", ItemColumn(k, i));
  sql += FormatStr(",%s From gbSheet Where T>='%s' And T<='%s'", key.c_str(),
                   db->SqlText(q.sDateFrom).c_str(), db->SqlText(q.sDateTo).c_str());
  return sql + TsTicketConditions(q, key, net, db);
}

std::string EstimateStatement(const TsPurchaseQuery& q, const std::string& key, CSmDatabase* db) {
  std::string sql = FormatStr(
      "Select sum(MU0),sum(MU1),%s From jsSheet Where T>='%s' And "
      "T<='%s' And LB='0'",
      key.c_str(), db->SqlText(q.sDateFrom).c_str(), db->SqlText(q.sDateTo).c_str());
  if (!q.sOprCode[0].empty()) sql += " And OPR0='" + db->SqlText(q.sOprCode[0]) + "'";
  sql += TsPrefixCondition("KNO", q.sFilter[0], db);
  return sql + FormatStr(" Group By %s Order By %s", key.c_str(), key.c_str());
}

}  // namespace

std::string TsLoadReportNames(const TsPurchaseQuery& q, CTsReportRow& work,
                              std::vector<CTsReportRow>& rows, CSmDatabase* db) {
  const int kind = q.nRowKind;
  const bool levelled = kind == 0 || kind == 3;
  const std::array<int, 5> lengths = TsGetLevelLengths(kind == 3);
  const int level = std::clamp(q.nLevel, 0, 4);
  const bool range = !q.sQtyRange[0].empty() || !q.sQtyRange[1].empty();
  work.LoadNames(kind, lengths, level, q.sFilter[kind], rows, db);
  return levelled && !range ? FormatStr("Left(KNO%d,%d)", kind, lengths[level])
                            : FormatStr("rtrim(KNO%d)", kind);
}

std::string TsTicketConditions(const TsPurchaseQuery& q, const std::string& key,
                               const std::string& net, CSmDatabase* db) {
  std::string sql;
  if (!q.sOprCode[0].empty()) sql += " And OPR0='" + db->SqlText(q.sOprCode[0]) + "'";
  if (q.bUntaredOnly) {
    sql += " And OPR1=''";
  } else if (!q.sOprCode[1].empty()) {
    sql += " And OPR1='" + db->SqlText(q.sOprCode[1]) + "'";
  } else {
    sql += " And OPR1<>''";
  }
  for (int f = 0; f < 4; ++f) sql += TsPrefixCondition(FormatStr("KNO%d", f), q.sFilter[f], db);
  sql += " Group By " + key;
  const char* joins[2] = {" Having", " And"};
  int bounds = 0;
  for (int b = 0; b < 2; ++b) {
    if (q.sQtyRange[b].empty()) continue;
    sql += FormatStr("%s sum(MU0-MU1%s)%c=%s", joins[bounds++], net.c_str(), b == 0 ? '>' : '<',
                     PlainBound(q.sQtyRange[b]).c_str());
  }
  return sql + " Order By " + key;
}

int TsPurchaseValueCount(int kind) {
  const int items = ItemCount(kind);
  return 7 + items + (items >= 1 ? 1 : 0);
}

int FillPurchase(const TsPurchaseQuery& q, CTsReportRow& work, std::vector<CTsReportRow>& rows,
                 CSmDatabase* db) {
  const int k = q.nSettleKind;
  const int kind = q.nRowKind;
  const bool levelled = kind == 0 || kind == 3;
  const std::string key = TsLoadReportNames(q, work, rows, db);
  const std::string net = k == 0 || TsGetFreightNetOfImpurity() ? "-MU2" : "";
  const int items = ItemCount(k);

  CTsRollUp rollUp(rows, CTsRollUp::Purchase, !levelled);
  CSmQuery tickets(1, items + 2, 1, db);
  if (!tickets.Open(TicketStatement(q, key, net, db))) return 0;
  for (; !tickets.IsEOF(); tickets.MoveNext()) {
    work.Clear();
    work.Values[0] = static_cast<double>(tickets.GetInt(0));
    work.Values[4] = tickets.GetDouble(0);
    work.Values[6] = tickets.GetDouble(1);
    for (int i = 0; i < items; ++i) work.Values[7 + i] = tickets.GetDouble(2 + i);
    work.sCode = tickets.GetString(0);
    rollUp.Add(work);
  }

  if (k == 0 && kind == 0) {
    CSmQuery estimates(0, 2, 1, db);
    if (!estimates.Open(EstimateStatement(q, ReplaceAll(key, "KNO0", "KNO"), db))) return 0;
    work.Clear();
    for (; !estimates.IsEOF(); estimates.MoveNext()) {
      work.Values[2] = estimates.GetDouble(0);
      work.Values[3] = estimates.GetDouble(1);
      work.sCode = estimates.GetString(0);
      rollUp.Add(work);
    }
  }
  for (CTsReportRow& row : rows) ComputeRates(row, k);
  return static_cast<int>(rows.size());
}

void ComputeRates(CTsReportRow& row, int kind) {
  std::vector<double>& v = row.Values;
  if (v.size() < 7) return;
  v[1] = 0;
  v[5] = 0;
  if (v[3] != 0) v[1] = RoundTo(v[4] * 100 / v[3] - 100, 2);
  if (v[4] != 0) v[5] = RoundTo(v[6] / v[4], 2);
  const int items = ItemCount(kind);
  if (items < 1 || v.size() < static_cast<size_t>(8 + items)) return;
  double payable = v[6];
  for (int i = 0; i < items; ++i) {
    payable += TsGetTicketItemSign(kind, TsGetKindItemIndex(kind, 0, 0, 0, i)) * v[7 + i];
  }
  v[7 + items] = RoundTo(payable, 2);
}

// ---------------------------------------------------------------- CTsReportDoc1

CTsReportDoc1::CTsReportDoc1() : CTsReportDoc(std::make_unique<TsPurchaseQuery>()) {}

void CTsReportDoc1::OnInitDocument() {
  nSettleKind = nFlag == kFreightTemplate ? 1 : 0;
  CTsReportDoc::OnInitDocument();
  query.bUntaredOnly = StrToIntDef(m_openModes[11], 0);
  query.sQtyRange[0] = m_openModes[12];
  query.sQtyRange[1] = m_openModes[13];
}

void CTsReportDoc1::DefineTitle(CSmFormDef& def) {
  def.sFna = nSettleKind == 1 ? "运费统计表" : "甘蔗收购统计表";
  def.nOpen = 0;
  def.nTopNum = 3;
}

void CTsReportDoc1::DefineColumns(CSmFormDef& def) {
  DefineBaseColumns(def);
  if (nSettleKind == 0) {
    def.InsertCol(3, 111, 707, 0, 0, "超计\\划率\\(％)/NUMBER/RIGHT/00/0");
    def.InsertCol(4, 112, 707, 0, 4, "估产\\面积/NUMBER/RIGHT");
    def.InsertCol(5, 113, 707, 0, TsGetQtyPrecision(), "预估\\产量/NUMBER/RIGHT");
  }
  ApplyColumnVisibility(def);
}

bool CTsReportDoc1::LoadRows(int /*openMode*/) {
  CTsReportQueryDlg1 dlg(m_db, m_kind.sName, query, bSkipEmpty, CSmFrameWnd::Main());
  if (dlg.DoModal() != SM_IDOK) return false;
  TakeChoices(dlg);
  return true;
}

void CTsReportDoc1::TakeChoices(const CTsReportQueryDlg1& dlg) {
  query = dlg.m_query;
  bSkipEmpty = dlg.m_skipEmpty;
  m_openModes[11] = std::to_string(query.bUntaredOnly);
  m_openModes[12] = query.sQtyRange[0];
  m_openModes[13] = query.sQtyRange[1];
}

void CTsReportDoc1::Refresh() {
  CSmWaitWnd busy;
  const int count = TsPurchaseValueCount(nSettleKind);
  std::vector<int> valueCodes(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) valueCodes[static_cast<size_t>(i)] = i;
  CTsReportRow work(count);
  std::vector<CTsReportRow> rows;
  FillPurchase(query, work, rows, m_db);
  FillFromRows({}, valueCodes, rows);
}

// ---------------------------------------------------------------- installation

namespace {

template <class Doc, class View = CTsReportView>
void InstallReport(int templateNumber) {
  TsSetDocClasses(templateNumber, {[] { return std::make_unique<Doc>(); }, nullptr,
                                   [](CSmDocument*, CSmChildFrame*) { return new View; }});
}

}  // namespace

void TsInstallReports() {
  for (int templateNumber : {257, kFreightTemplate}) InstallReport<CTsReportDoc1>(templateNumber);
  for (int templateNumber : {259, 263}) InstallReport<CTsReportDoc2>(templateNumber);
  for (int templateNumber : {264, 265}) InstallReport<CTsReportDoc3>(templateNumber);
  for (int templateNumber : {266, 267}) InstallReport<CTsReportDoc4>(templateNumber);
  InstallReport<CTsReportDoc5>(268);
  for (int templateNumber : {269, 270}) InstallReport<CTsReportDoc6>(templateNumber);
  InstallReport<CTsReportDoc7, CTsReportView7>(271);
  InstallReport<CTsReportDoc8>(272);
  for (int templateNumber : {261, 262}) InstallReport<CTsBookDoc, CTsBookView>(templateNumber);
}
