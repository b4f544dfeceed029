#pragma once
// The part every statistical report's query shares: what the report document shows in its
// heading, sums its totals by and keeps in header variables 0 to 9 from one opening to the
// next. Each report's own query derives from it and adds its own choices; a report that has no
// use for a part leaves it as read.
#include <string>

struct TsReportQuery {
  // The report document owns its report's query through this type.
  virtual ~TsReportQuery() = default;

  // The period as eight-digit dates; a report of one cut-off date keeps it in both.
  std::string sDateFrom;
  std::string sDateTo;
  // Gross weighing and tare operators (the settlement reports: settler and payer); empty = any.
  std::string sOprCode[2];
  // Farmer, driver, place and variety code prefixes; the farmer prefix is the region of the
  // reports by region. Empty = all.
  std::string sFilter[4];
  int nRowKind = 0;     // 0 farmers, 1 drivers, 2 places, 3 varieties
  int nLevel = 0;       // zero-based code level
  int nSettleKind = 0;  // 0 cane payment, 1 freight: from the document kind, never stored
};
