#include "weighing/TsSlipOps.h"

#include <string>
#include <vector>

#include "core/SmDatabase.h"
#include "core/SmString.h"

bool TsSlipRepair(int kind, CSmDatabase* db) {
  const int k = kind;
  std::vector<std::string> slips[5];
  const std::string select = FormatStr(
      "Select rtrim(JN%d),max(KNO%d),max(OPR%d),max(OPR%d),max(OPR%d) From gbSheet \t\tWhere "
      "JN%d<>'' Group By rtrim(JN%d) Having min(FK)<>max(FK) Or min(KNO%d)<>max(KNO%d) Or "
      "\t\tmin(OPR%d)<>max(OPR%d) Or min(OPR%d)<>max(OPR%d) Or min(OPR%d)<>max(OPR%d)",
      k, k, 2 + k, 4 + k, 6 + k, k, k, k, k, 2 + k, 2 + k, 4 + k, 4 + k, 6 + k, 6 + k);
  const int count = db->QueryStrings(select, slips, 5);
  for (int n = 0; n < count; ++n) {
    std::string values[5];
    for (int c = 0; c < 5; ++c) values[c] = db->SqlText(slips[c][n]);
    const std::string update = FormatStr(
        "Update gbSheet Set FK='0',KNO%d='%s',OPR%d='%s',OPR%d='%s',OPR%d='%s' Where JN%d='%s'", k,
        values[1].c_str(), 2 + k, values[2].c_str(), 4 + k, values[3].c_str(), 6 + k,
        values[4].c_str(), k, values[0].c_str());
    if (!db->ExecuteSQL(update)) return false;
  }
  return true;
}

int TsSlipGetPrintCount(int kind, const std::string& number, CSmDatabase* db) {
  return static_cast<int>(db->QueryCountInt(FormatStr("max(PRT%d) From gbSheet Where JN%d='%s'",
                                                      kind, kind, db->SqlText(number).c_str())));
}

bool TsSlipIncPrintCount(int kind, const std::string& number, CSmDatabase* db) {
  return db->ExecuteSQL(FormatStr("Update gbSheet Set PRT%d=1+PRT%d Where JN%d='%s'", kind, kind,
                                  kind, db->SqlText(number).c_str()));
}
