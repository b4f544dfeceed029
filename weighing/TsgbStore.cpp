#include "weighing/TsgbStore.h"

#include "core/SmDatabase.h"
#include "core/SmQuery.h"
#include "core/SmString.h"
#include "weighing/TsgbRec.h"

int TsgbPriceStats(int kind, const std::string& code, std::pair<double, double>& range,
                   CSmDatabase* db) {
  range = {0, 0};
  CSmQuery query(1, 2, 0, db);
  const std::string sql =
      FormatStr("Select Count(*),Min(PR%d),Max(PR%d) From gbSheet ", kind, kind) +
      TsgbPricedWhere(kind, code, db);
  if (!query.Open(sql)) return -1;
  if (query.IsEOF()) return 0;
  const int count = static_cast<int>(query.GetInt(0));
  if (count > 0) range = {query.GetDouble(0), query.GetDouble(1)};
  return count;
}

std::string TsgbPricedWhere(int kind, const std::string& code, CSmDatabase* db) {
  return "Where OPR1<>'' And " + TsgbOpenCondition(kind) +
         FormatStr(" And KNO%d='%s'", 3 - kind, db->SqlText(code).c_str());
}
