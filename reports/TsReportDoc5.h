#pragma once
// The daily purchase report (template 268, "甘蔗收购日报表"): for one report date, per farmer,
// driver, place or variety, the net cane weight, the cane payment and the freight of the day,
// of the month up to the day and of the year up to the day, beside the number of tickets up to
// the day.
#include <vector>

#include "reports/TsReportDoc1.h"

// Appends to `rows` the directory rows of the query's row kind and level, each holding the
// ticket count and the nine period sums of its tickets up to `q.sDateFrom`, with `work` (ten
// values) as the template row. The number of rows; 0 when the query cannot run.
int FillDaily(const TsPurchaseQuery& q, CTsReportRow& work, std::vector<CTsReportRow>& rows,
              CSmDatabase* db);

// The untared-only flag and the quantity range are the purchase statistics' own; the report
// date is the start date.
class CTsReportDoc5 : public CTsReportDoc1 {
 public:
  void DefineTitle(CSmFormDef& def) override;
  void DefineColumns(CSmFormDef& def) override;
  // The cane weights of the day, the month and the year.
  std::vector<int> WeightCodes() const override { return {11, 12, 13}; }
  void MakeDefaultTopWords(CSmFormDef& def) override;
  // The query dialog; Cancel leaves the report unopened.
  bool LoadRows(int openMode) override;
  void Refresh() override;
};
