#pragma once
// What the report tests compare and store: a report row as its code and values, and a money row
// of jsSheet holding one amount.
#include <ostream>
#include <string>
#include <vector>

#include "core/SmString.h"

struct TsReportLine {
  std::string code;
  std::vector<double> values;
  bool operator==(const TsReportLine&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const TsReportLine& l) {
  out << l.code;
  for (double v : l.values) out << " " << v;
  return out;
}

// A jsSheet row of party `lb`, document kind `db` and number `dh` (empty: an opening row) dated
// `date`, holding `amount` in item MY`item`.
inline std::string TsMoneyRow(char lb, char db, const char* date, const char* dh, const char* kno,
                              int item, double amount, const char* reviewer) {
  std::string columns, values;
  for (int i = 0; i < 15; ++i) {
    columns += FormatStr(",MY%d", i);
    values += FormatStr(",%.2f", i == item ? amount : 0.0);
  }
  return FormatStr(
      "Insert Into jsSheet(LB,DB,T,TH,DH,KNO,MRY,OPR0,OPR1,MU0,MU1%s,FK) Values('%c','%c',"
      "'%s','000000','%s','%s','','101','%s',0,0%s,0)",
      columns.c_str(), lb, db, date, dh, kno, reviewer, values.c_str());
}
