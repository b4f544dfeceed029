#include "reports/TsReportDoc5.h"

#include <algorithm>

#include "cane/TsParams.h"
#include "core/SmDatabase.h"
#include "core/SmNumber.h"
#include "core/SmQuery.h"
#include "core/SmString.h"
#include "forms/SmChildFrm.h"
#include "platform/SmMessage.h"
#include "reports/TsReportQueryDlg.h"
#include "ui/SmWaitWnd.h"

namespace {

constexpr int kDailyValueCount = 10;
const char* const kPeriodWords[3] = {"日", "月", "年"};

// The day, month and year selectors multiplied into each sum: the data file holds one
// business year, so the year takes every ticket up to the date.
std::array<std::string, 3> PeriodSelectors(const std::string& date, CSmDatabase* db) {
  const std::string day = db->SqlText(date);
  const std::string month = day.substr(0, std::min<size_t>(6, day.size()));
  if (db->GetKind() == 0) {
    return {FormatStr("*iif(T='%s',1,0)", day.c_str()),
            FormatStr("*iif(Left(T,6)='%s',1,0)", month.c_str()), ""};
  }
  return {FormatStr("*case when T='%s' then 1 else 0 end", day.c_str()),
          FormatStr("*case when Left(T,6)='%s' then 1 else 0 end", month.c_str()), ""};
}

std::string DailyStatement(const TsPurchaseQuery& q, const std::string& key, CSmDatabase* db) {
  const std::array<std::string, 3> periods = PeriodSelectors(q.sDateFrom, db);
  std::string sql = "Select Count(DH)";
  for (const std::string& p : periods) sql += FormatStr(",sum((MU0-MU1-MU2)%s)", p.c_str());
  for (const std::string& p : periods) sql += FormatStr(",sum(MY0%s)", p.c_str());
  for (const std::string& p : periods) sql += FormatStr(",sum(MY%d%s)", 6, p.c_str());
  sql += FormatStr(",%s From gbSheet Where T<='%s'", key.c_str(), db->SqlText(q.sDateFrom).c_str());
  return sql + TsTicketConditions(q, key, "-MU2", db);
}

}  // namespace

int FillDaily(const TsPurchaseQuery& q, CTsReportRow& work, std::vector<CTsReportRow>& rows,
              CSmDatabase* db) {
  const int kind = q.nRowKind;
  const bool levelled = kind == 0 || kind == 3;
  const std::string key = TsLoadReportNames(q, work, rows, db);

  CTsRollUp rollUp(rows, CTsRollUp::Daily, !levelled);
  CSmQuery tickets(1, 9, 1, db);
  if (!tickets.Open(DailyStatement(q, key, db))) return 0;
  for (; !tickets.IsEOF(); tickets.MoveNext()) {
    work.Clear();
    work.Values[0] = static_cast<double>(tickets.GetInt(0));
    for (int v = 0; v < 9; ++v) work.Values[1 + v] = tickets.GetDouble(v);
    work.sCode = tickets.GetString(0);
    rollUp.Add(work);
  }
  return static_cast<int>(rows.size());
}

// ---------------------------------------------------------------- CTsReportDoc5

void CTsReportDoc5::DefineTitle(CSmFormDef& def) {
  def.sFna = "甘蔗收购日报表";
  def.nOpen = 0;
  def.nTopNum = 3;
}

void CTsReportDoc5::DefineColumns(CSmFormDef& def) {
  def.m_cols.clear();
  auto add = [&def](int type, int fact, int less, int more, const std::string& spec) {
    def.InsertCol(static_cast<int>(def.m_cols.size()), type, fact, less, more, spec);
  };
  add(1, 606, 0, 0, "代码/STRING/LEFT");
  add(2, 1515, 0, 0, "名称/STRING/LEFT");
  add(110, 606, 0, 0, "单\\据\\数/NUMBER/RIGHT");
  const char* measures[3] = {"本%s蔗重/NUMBER/RIGHT", "本%s蔗款/NUMBER/RIGHT",
                             "本%s运费/NUMBER/RIGHT"};
  const int widths[3] = {1111, 1515, 1313};
  for (int m = 0; m < 3; ++m) {
    for (int p = 0; p < 3; ++p) {
      add(111 + m * 3 + p, widths[m], m == 0 ? 0 : 2, m == 0 ? TsGetQtyPrecision() : 2,
          FormatStr(measures[m], kPeriodWords[p]));
    }
  }
  ApplyColumnVisibility(def);
}

void CTsReportDoc5::MakeDefaultTopWords(CSmFormDef& def) {
  if (def.nTopNum < 2) {
    CSmDoc::MakeDefaultTopWords(def);
    return;
  }
  def.m_topWords.clear();
  for (int code : {1, 2, 10}) AddFullTopWord(def, code);
  const char* headings[3] = {"入%*s厂%*s蔗%*s重", "蔗%*s款", "运%*s费"};
  for (int m = 0; m < 3; ++m) {
    const int first = 11 + m * 3;
    AddGroupTopWords(def, {first, first + 1, first + 2}, headings[m], 1,
                     [](int code) { return FormatStr("本%s", kPeriodWords[(code - 11) % 3]); });
  }
}

bool CTsReportDoc5::LoadRows(int /*openMode*/) {
  bPeriodCaption = 0;
  CTsReportQueryDlg5 dlg(m_db, m_kind.sName, query, bSkipEmpty, CSmFrameWnd::Main());
  if (dlg.DoModal() != SM_IDOK) return false;
  TakeChoices(dlg);
  return true;
}

void CTsReportDoc5::Refresh() {
  CSmWaitWnd busy;
  std::vector<int> valueCodes(kDailyValueCount);
  for (int i = 0; i < kDailyValueCount; ++i) valueCodes[static_cast<size_t>(i)] = i;
  CTsReportRow work(kDailyValueCount);
  std::vector<CTsReportRow> rows;
  FillDaily(query, work, rows, m_db);
  FillFromRows({}, valueCodes, rows);
}
