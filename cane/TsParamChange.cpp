#include "cane/TsParamChange.h"

#include "app/SmOpLog.h"
#include "cane/TsDataType.h"
#include "cane/TsItems.h"
#include "core/SmCsRecord.h"
#include "core/SmDatabase.h"
#include "core/SmString.h"

namespace {

constexpr int kParamModule = 16;
constexpr int kParamLogItem = 0;

bool RunRewrite(CSmDatabase* db, const std::string& jet) {
  return db->ExecuteSQL(jet, ReplaceAll(jet, "Mid(", "Substring("));
}

// Deletes the parameter's row and inserts it anew with the name and value.
bool SaveRow(CSmDatabase* db, long csN, const std::string& name, const std::string& value) {
  CSmCsRecord record(db);
  record.Set(CTsDataType::kParamGroup, csN, name, value);
  return record.Delete(CTsDataType::kParamGroup, csN) && record.Insert();
}

// Level statements of one column: cut `oldLen - newLen` characters after the prefix, or put
// zeros there, in every value longer than the prefix.
std::string LevelRewrite(const char* table, const std::string& column, const char* condition,
                         int prefix, int oldLen, int newLen) {
  const char* c = column.c_str();
  if (newLen < oldLen) {
    return FormatStr("Update %s Set %s=Left(%s,%d)+Mid(%s,%d,30) Where %sLen(rtrim(%s))>%d", table,
                     c, c, prefix, c, prefix + oldLen - newLen + 1, condition, c, prefix);
  }
  const std::string zeros(static_cast<size_t>(newLen - oldLen), '0');
  return FormatStr("Update %s Set %s=Left(%s,%d)+'%s'+Mid(%s,%d,30) Where %sLen(rtrim(%s))>%d",
                   table, c, c, prefix, zeros.c_str(), c, prefix + 1, condition, c, prefix);
}

}  // namespace

bool TsSaveParamChange(CSmDatabase* db, const CTsParamChange& change) {
  return SmRunInTransaction(db, [&] {
    for (const std::string& jet : change.rewrites) {
      if (!RunRewrite(db, jet)) return false;
    }
    if (change.emptiedNumber >= 0 && !SaveRow(db, 200 + change.emptiedNumber, {}, {})) return false;
    CSmOpLog(kParamModule, kParamLogItem, change.logNote);
    return SaveRow(db, change.number + 100L * change.kind, change.name, change.value);
  });
}

std::vector<std::string> TsLevelLengthRewrites(bool farmer, int prefix, int oldLen, int newLen) {
  if (oldLen == newLen) return {};
  std::vector<std::string> rewrites{
      LevelRewrite(farmer ? "NHDir" : "GP", "KNO", "", prefix, oldLen, newLen),
      LevelRewrite("gbSheet", farmer ? "KNO0" : "KNO3", "", prefix, oldLen, newLen)};
  if (!farmer) return rewrites;
  rewrites.push_back(LevelRewrite("jsSheet", "KNO", "LB='0' And ", prefix, oldLen, newLen));
  // The places' regions are farmer codes too.
  rewrites.push_back(LevelRewrite("AdrDir", "QY", "", prefix, oldLen, newLen));
  return rewrites;
}

std::vector<CTsCodeColumn> TsCodeLengthColumns(int param) {
  switch (param) {
    case 5:
      return {{"DriverDir", "KNO", "", true},
              {"gbSheet", "KNO1", "", false},
              {"jsSheet", "KNO", "And LB='1'", false}};
    case 6:
      return {{"AdrDir", "KNO", "", true}, {"gbSheet", "KNO2", "", false}};
    case 12:
      return {{"gbSheet", "DH", "", true},
              {"gbSheet", "JN0", "", true},
              {"gbSheet", "JN1", "", true},
              {"jsSheet", "DH", "", true}};
    default:
      return {};
  }
}

std::vector<std::string> TsCodeLengthRewrites(int param, int oldLen, int newLen) {
  std::vector<std::string> rewrites;
  if (oldLen == newLen) return rewrites;
  const std::string zeros(static_cast<size_t>(newLen > oldLen ? newLen - oldLen : 0), '0');
  for (const CTsCodeColumn& c : TsCodeLengthColumns(param)) {
    if (newLen < oldLen) {
      rewrites.push_back(FormatStr("Update %s Set %s=Mid(%s,1+%d,30) Where %s<>'' %s", c.table,
                                   c.column, c.column, oldLen - newLen, c.column, c.condition));
    } else {
      rewrites.push_back(FormatStr("Update %s Set %s='%s'+%s Where %s<>'' %s", c.table, c.column,
                                   zeros.c_str(), c.column, c.column, c.condition));
    }
  }
  return rewrites;
}

std::vector<std::string> TsStartMonthRewrites(const std::string& firstDay) {
  std::vector<std::string> rewrites;
  for (const char* sheet : {"gb", "js"})
    rewrites.push_back(FormatStr("Update %sSheet Set T='%s' Where DH=''", sheet, firstDay.c_str()));
  return rewrites;
}

CTsItemColumn TsItemColumn(bool slip, int kind, int itemNo) {
  return {slip, kind, slip ? itemNo : TsTicketMoneyColumn(kind, itemNo)};
}

std::string TsItemColumnCountSql(const CTsItemColumn& column) {
  if (!column.slip) return FormatStr("Select Count(*) From gbSheet Where MY%d<>0", column.my);
  return FormatStr("Select Count(*) From jsSheet Where LB='%d' And MY%d<>0", column.kind,
                   column.my);
}

std::string TsItemMoveRewrite(const CTsItemColumn& from, const CTsItemColumn& to) {
  if (!from.slip) {
    return FormatStr("Update gbSheet Set MY%d=MY%d,MY%d=0", to.my, from.my, from.my);
  }
  return FormatStr("Update jsSheet Set MY%d=MY%d,MY%d=0 Where LB='%d'", to.my, from.my, from.my,
                   from.kind);
}

std::string TsLinkParamTable(bool place) {
  return place ? "AdrDir" : "NHDir";
}

std::string TsLinkParamMoveRewrite(bool place, int from, int to) {
  return FormatStr("Update %s Set CS%d=CS%d,CS%d=0", TsLinkParamTable(place).c_str(), to, from,
                   from);
}

int TsSignificantLength(const std::string& value) {
  const std::string trimmed = TrimChars(value);
  const size_t first = trimmed.find_first_not_of('0');
  return first == std::string::npos ? 0 : static_cast<int>(trimmed.size() - first);
}
