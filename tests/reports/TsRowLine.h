#pragma once
// A report row as the report tests compare it with its name and texts: code, name, texts and
// values.
#include <ostream>
#include <string>
#include <vector>

#include "reports/TsReportRow.h"

struct TsRowLine {
  std::string code, name;
  std::vector<std::string> texts;
  std::vector<double> values;
  bool operator==(const TsRowLine&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const TsRowLine& l) {
  out << l.code << " " << l.name;
  for (const std::string& t : l.texts) out << " '" << t << "'";
  for (double v : l.values) out << " " << v;
  return out;
}

inline std::vector<TsRowLine> TsRowLines(const std::vector<CTsReportRow>& rows) {
  std::vector<TsRowLine> lines;
  for (const CTsReportRow& r : rows) lines.push_back({r.sCode, r.sName, r.Texts, r.Values});
  return lines;
}
