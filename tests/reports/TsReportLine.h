#pragma once
// A report row as the report tests compare it: code, name, texts and values.
#include <ostream>
#include <string>
#include <vector>

#include "reports/TsReportRow.h"

struct TsReportLine {
  std::string code, name;
  std::vector<std::string> texts;
  std::vector<double> values;
  bool operator==(const TsReportLine&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const TsReportLine& l) {
  out << l.code << " " << l.name;
  for (const std::string& t : l.texts) out << " '" << t << "'";
  for (double v : l.values) out << " " << v;
  return out;
}

inline std::vector<TsReportLine> TsReportLines(const std::vector<CTsReportRow>& rows) {
  std::vector<TsReportLine> lines;
  for (const CTsReportRow& r : rows) lines.push_back({r.sCode, r.sName, r.Texts, r.Values});
  return lines;
}
