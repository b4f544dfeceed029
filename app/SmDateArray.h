#pragma once
// The business months of a yearly data file: SysCsTab group 4 holds the start day of each of
// the twelve months (numbers 1 to 12) and the last day of the year (13), as yyyymmdd.
#include <string>
#include <vector>

class CSmDatabase;

struct CSmDateRecord {
  int nMonth = 0;
  std::string sName;
  std::string sValue;
};

class CSmDateArray : public std::vector<CSmDateRecord> {
 public:
  // Empties the array and reads the month rows in month order.
  void Load(CSmDatabase* db);
  // The business month (1 to 12) whose days hold `day` ("yyyymmdd"): the last month whose
  // start day is not after it; 1 before the year, 12 after it; 0 without month rows.
  int MonthOf(const std::string& day) const;
  // Replaces the month rows with the defaults of the year.
  static void WriteDefaultBizMonths(CSmDatabase* db, int year);
  // Writes the defaults again, without asking, when the rows are not 13 valid dates.
  static void CheckBizMonths(CSmDatabase* db, int year);
};
