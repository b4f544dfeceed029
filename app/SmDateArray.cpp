#include "app/SmDateArray.h"

#include <algorithm>

#include "core/SmCsRecord.h"
#include "core/SmDatabase.h"
#include "core/SmString.h"

namespace {

constexpr long kMonthGroup = 4;
constexpr const char* kNumerals[] = {"一", "二", "三", "四", "五",   "六",
                                     "七", "八", "九", "十", "十一", "十二"};

}  // namespace

void CSmDateArray::Load(CSmDatabase* db) {
  clear();
  if (!db) return;
  CSmCsRecord record(db);
  CSmCsRecordArray rows;
  record.Query("Where CS=4", "", "Order By CSN", "", &rows);
  for (const CSmCsRecord& row : rows) {
    push_back({static_cast<int>(row.CsN), row.CsNa, row.CsVal});
  }
}

int CSmDateArray::MonthOf(const std::string& day) const {
  int month = 0;
  for (const CSmDateRecord& row : *this) {
    if (row.nMonth < 1 || row.nMonth > 12) continue;
    if (month == 0 || TrimChars(row.sValue) <= day) month = std::max(month, row.nMonth);
  }
  return month;
}

void CSmDateArray::WriteDefaultBizMonths(CSmDatabase* db, int year) {
  if (!db) return;
  db->ExecuteSQL("Delete From SysCsTab Where CS=4");
  for (int i = 1; i <= 12; ++i) {
    db->ExecuteSQL(
        FormatStr("Insert Into SysCsTab(CS,CSN,CSNA,CSVAL) Values(%ld,%d,'%s月起始日','%d01')",
                  kMonthGroup, i, kNumerals[i - 1], year * 100 + i));
  }
  db->ExecuteSQL(
      FormatStr("Insert Into SysCsTab(CS,CSN,CSNA,CSVAL) Values(%ld,13,'十二月结束日','%d1231')",
                kMonthGroup, year));
}

void CSmDateArray::CheckBizMonths(CSmDatabase* db, int year) {
  if (!db) return;
  if (db->QueryInt("Select Count(*) From SysCsTab Where CS=4 And Len(RTrim(CsVal))=8") != 13) {
    WriteDefaultBizMonths(db, year);
  }
}
