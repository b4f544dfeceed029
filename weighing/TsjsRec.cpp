#include "weighing/TsjsRec.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "app/SmApp.h"
#include "cane/TsDataType.h"
#include "cane/TsItems.h"
#include "cane/TsParams.h"
#include "core/SmDatabase.h"
#include "core/SmNumber.h"
#include "core/SmQuery.h"
#include "core/SmString.h"
#include "platform/SmMessage.h"
#include "weighing/TsgbRec.h"

namespace {

std::string ItemList(const char* format) {
  std::string text;
  for (int i = 0; i < CTsjsRec::kItemCount; ++i) text += (i ? "," : "") + FormatStr(format, i);
  return text;
}

// The amounts of a row of sums, negated: the balances.
void ReadBalances(CSmQuery& query, CTsjsRec& rec) {
  for (int i = 0; i < CTsjsRec::kItemCount; ++i) rec.MY[i] = -query.GetDouble(i);
}

// For each row of `query` (15 sums and a code), the balances go to the first entry of `codes`
// with that code.
bool ReadOpeningSums(CSmQuery& query, const std::string& sql, const std::vector<std::string>& codes,
                     std::vector<CTsjsRec>& openings) {
  openings.assign(codes.size(), CTsjsRec());
  if (!query.Open(sql)) return false;
  for (; !query.IsEOF(); query.MoveNext()) {
    const std::string& code = query.GetString(0);
    for (size_t n = 0; n < codes.size(); ++n) {
      if (codes[n] != code) continue;
      ReadBalances(query, openings[n]);
      break;
    }
  }
  return true;
}

}  // namespace

std::string TsjsItemColumns() {
  return ItemList("MY%d");
}

std::string TsjsSumColumnList() {
  return ItemList("sum(MY%d)");
}

void CTsjsRec::Clear() {
  LB = DB = FK = 0;
  for (std::string* text : {&T, &TH, &DH, &KNO, &MRY, &OPR[0], &OPR[1]}) text->clear();
  MU[0] = MU[1] = 0;
  MY.assign(kItemCount, 0);
}

std::string CTsjsRec::ColumnList() {
  return "FK," + TsjsItemColumns() + ",MU0,MU1,LB,DB,T,DH,KNO,MRY,OPR0,OPR1,TH";
}

std::string CTsjsRec::TsjsItemValues(double sign) const {
  std::string text;
  for (size_t i = 0; i < MY.size(); ++i)
    text += FormatStr("%s%.2lf", i ? "," : "", MY[i] * sign + 0.0);  // no "-0.00"
  return text;
}

void CTsjsRec::BindColumns(CSmQuery& query) {
  query.SetFieldNames(0, {"FK"});
  std::vector<std::string> numbers;
  for (int i = 0; i < kItemCount; ++i) numbers.push_back(FormatStr("MY%d", i));
  numbers.insert(numbers.end(), {"MU0", "MU1"});
  query.SetFieldNames(1, numbers);
  query.SetFieldNames(2, {"LB", "DB", "T", "DH", "KNO", "MRY", "OPR0", "OPR1", "TH"});
}

void CTsjsRec::ReadRow(CSmQuery& query) {
  FK = static_cast<int>(query.GetInt(0));
  MY.assign(kItemCount, 0);
  for (int i = 0; i < kItemCount; ++i) MY[i] = query.GetDouble(i);
  MU[0] = query.GetDouble(kItemCount);
  MU[1] = query.GetDouble(kItemCount + 1);
  LB = StrToIntDef(query.GetString(0), 0);
  DB = StrToIntDef(query.GetString(1), 0);
  T = query.GetString(2);
  DH = query.GetString(3);
  KNO = query.GetString(4);
  MRY = query.GetString(5);
  OPR[0] = query.GetString(6);
  OPR[1] = query.GetString(7);
  TH = query.GetString(8);
}

bool CTsjsRec::HasAdvance(int party) const {
  const int count = TsGetKindItemCount(party, 1, 2, 0);
  for (int n = 0; n < count; ++n) {
    const int item = TsGetKindItemIndex(party, 1, 2, 0, n);
    if (item >= 0 && item < static_cast<int>(MY.size()) && std::fabs(MY[item]) > 0.000001)
      return true;
  }
  return false;
}

bool CTsjsRec::SetOpening(bool ask, int party, const std::string& code, CSmDatabase* db) {
  return SetOpening(ask, party, code, TsOperatorNo(), db);
}

bool CTsjsRec::SetOpening(bool ask, int party, const std::string& code,
                          const std::string& operatorNo, CSmDatabase* db) {
  const std::string rows = FormatStr("From jsSheet Where LB='%d' And KNO='%s' And DH=''", party,
                                     db->SqlText(code).c_str());
  if (ask && db->QueryInt("Select Count(*) " + rows) > 0 &&
      SmMessageBox("此户异常：增加前已有预付款期初余额，要清除原余额吗？",
                   SM_MB_YESNOCANCEL | SM_MB_ICONQUESTION) != SM_IDYES)
    return false;
  return SmRunInTransaction(db, [&] {
    if (!db->ExecuteSQL("Delete " + rows)) return false;
    if (!HasAdvance(party)) return true;
    const std::string opr = db->SqlText(operatorNo, 3);
    return db->ExecuteSQL(FormatStr(
        "Insert Into jsSheet(%s) Values(0,%s,0,0,'%d','2','%s','','%s','','%s','%s','%s')",
        ColumnList().c_str(), TsjsItemValues(-1).c_str(), party, TsGetYearStartDate().c_str(),
        db->SqlText(code, 15).c_str(), opr.c_str(), opr.c_str(),
        db->GetServerTime("%H%M%S").c_str()));
  });
}

bool CTsjsRec::LoadOpening(int party, const std::string& code, CSmDatabase* db) {
  CSmQuery query(0, kItemCount, 0, db);
  const std::string sql = FormatStr("Select %s From jsSheet Where DH='' And LB='%d' And KNO='%s'",
                                    TsjsItemColumns().c_str(), party, db->SqlText(code).c_str());
  if (!query.Open(sql)) return false;
  if (!query.IsEOF()) ReadBalances(query, *this);
  return true;
}

bool CTsjsRec::GetChildOpenings(const std::string& code, const std::vector<std::string>& children,
                                std::vector<CTsjsRec>& openings, CSmDatabase* db) {
  const int level = TsGetFarmerCodeLevel(code);
  const int length = static_cast<int>(code.size()) +
                     (level < 5 ? TsGetIntParam(TsIntParam::FarmerLevel1Len + level) : 1);
  const std::string c = db->SqlText(code);
  CSmQuery query(0, kItemCount, 1, db);
  const std::string sql = FormatStr(
      "Select %s,Left(KNO,%d) From jsSheet Where LB='0' And DH='' And KNO Like '%s\a*\b' And "
      "KNO<>'%s' Group By Left(KNO,%d)",
      TsjsSumColumnList().c_str(), length, c.c_str(), c.c_str(), length);
  return ReadOpeningSums(query, sql, children, openings);
}

bool CTsjsRec::GetDriverOpenings(const std::vector<std::string>& drivers,
                                 std::vector<CTsjsRec>& openings, CSmDatabase* db) {
  CSmQuery query(0, kItemCount, 1, db);
  const std::string sql = "Select " + TsjsSumColumnList() +
                          ",rtrim(KNO) From jsSheet Where LB='1' And DH='' Group By KNO";
  return ReadOpeningSums(query, sql, drivers, openings);
}

bool CTsjsRec::IsZero() const {
  const auto zero = [](double value) { return std::fabs(value) <= 0.000001; };
  return std::all_of(MY.begin(), MY.end(), zero) && zero(MU[0]) && zero(MU[1]);
}

int CTsjsRec::Insert(int /*option*/, CSmDatabase* db) {
  TH = db->GetServerTime("%H%M%S");
  if (IsZero()) return 0;
  // One prepared statement for every row, bound to the values a written-out row would store:
  // amounts with two decimals, areas with four, texts cut to their columns.
  static const std::string sql = [] {
    std::string marks = "?";
    for (int i = 1; i < kItemCount + 12; ++i) marks += ",?";
    return "Insert Into jsSheet(" + ColumnList() + ") Values(" + marks + ")";
  }();
  std::vector<SmDbValue> values;
  values.reserve(kItemCount + 12);
  values.push_back(SmDbValue::OfInt(FK));
  for (double amount : MY) values.push_back(SmDbValue::OfDouble(PrintedValue(amount + 0.0, 2)));
  for (double area : MU) values.push_back(SmDbValue::OfDouble(PrintedValue(area, 4)));
  values.push_back(SmDbValue::OfText(std::to_string(LB)));
  values.push_back(SmDbValue::OfText(std::to_string(DB)));
  const std::pair<const std::string*, int> texts[] = {
      {&T, 8}, {&DH, 8}, {&KNO, 15}, {&MRY, 40}, {&OPR[0], 3}, {&OPR[1], 3}, {&TH, 6}};
  for (const auto& [text, width] : texts)
    values.push_back(SmDbValue::OfText(db->StoredText(*text, width)));
  return db->ExecuteBound(sql, {}, values) ? 1 : -1;
}

void CTsjsRec::MoveAdvancesForCarry() {
  const std::vector<double> sums = MY;
  MY.assign(kItemCount, 0);
  const int count = TsGetKindItemCount(LB, 1, 2, 0);
  for (int n = 0; n < count; ++n) {
    const int item = TsGetKindItemIndex(LB, 1, 2, 0, n);
    std::string formula;
    int number = 0;
    // A number outside the items would write past them: such an item is not carried.
    if (!TsGetAdvanceCarryNumber(LB, n, formula, number) || number < 1 || number > kItemCount)
      continue;
    MY[number - 1] += sums[item];
  }
}

bool CTsjsRec::CarryOverBalances(CSmDatabase* source, CSmDatabase* target) {
  CTsDataType* type = TsGetDataType();
  if (!type || !source || !target) return false;
  type->SetDefaultParams();
  type->LoadParams(source);
  const int year = static_cast<int>(target->QueryCountInt("Max(PY) From SysTab"));
  const std::string opening = TsYearStartDate(year, TsGetYearStartParam());
  CSmQuery query(1, kItemCount + 2, 9, source);
  BindColumns(query);
  // The new file gets every household's opening row or none.
  const bool ok = SmRunInTransaction(target, [&] {
    if (!query.Open(FormatStr("Select 0,%s,0,0,rtrim(LB),'2','%s','',rtrim(KNO),'','101',"
                              "'101','' From jsSheet Group By LB,KNO ",
                              TsjsSumColumnList().c_str(), opening.c_str())))
      return false;
    for (CTsjsRec rec; !query.IsEOF(); query.MoveNext()) {
      rec.ReadRow(query);
      rec.MoveAdvancesForCarry();
      const bool carried = std::any_of(rec.MY.begin(), rec.MY.end(),
                                       [](double value) { return std::fabs(value) > 0.0001; });
      if (carried && rec.Insert(0, target) != 1) return false;
    }
    return true;
  });
  type->ReloadAppParams();
  return ok;
}
