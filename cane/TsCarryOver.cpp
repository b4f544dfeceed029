// The cane module's part of the year-end carry-over: its five items, the check that the old
// year's business is closed, and the copy of one item from the old file into the new one.
#include "cane/TsCaneContext.h"
#include "cane/TsDataType.h"
#include "cane/TsItems.h"
#include "cane/TsNH.h"
#include "cane/TsWeighingService.h"
#include "core/SmDatabase.h"
#include "core/SmString.h"

namespace {

enum CarryItem { kFarmers, kPlaces, kDrivers, kVarieties, kBalances, kItemCount };

struct CarryItemDef {
  const char* caption;
  const char* table;
};
const CarryItemDef kItems[kItemCount] = {
    {"农户目录", "NHDir"},  {"甘蔗砍运地目录", "AdrDir"}, {"驾驶员目录", "DriverDir"},
    {"甘蔗品种目录", "GP"}, {"预付款余额", "jsSheet"},
};

const char* SideName(char lb) {
  return lb == '0' ? "农户" : lb == '1' ? "运户" : "";
}

const char* DocumentName(char db) {
  static const char* const kNames[] = {"收款", "付款", "代扣款", "计息", "面积", "估产"};
  return db >= '1' && db <= '6' ? kNames[db - '1'] : "";
}

// The queries that find business of the old year still open: the first offending document
// as date-number (money documents: side and type digits first) and the message.
struct OpenBusiness {
  const char* query;
  const char* message;
};
const OpenBusiness kOpenBusiness[] = {
    {"Min(T+'-'+DH) From gbSheet Where OPR1=''", "还有未除皮的过磅单，如：%s"},
    {"Min(T+'-'+DH) From gbSheet Where OPR1<>'' And OPR2=''", "还有未结蔗款的过磅单，如：%s"},
    {"Min(T+'-'+DH) From gbSheet Where KNO1<>'' And OPR1<>'' And OPR3=''",
     "还有未结运费的过磅单，如：%s"},
    {"Min(JT0+'-'+JN0) From gbSheet Where OPR2<>'' And OPR4=''", "还有未付蔗款的结算单，如：%s"},
    {"Min(JT1+'-'+JN1) From gbSheet Where OPR3<>'' And OPR5=''", "还有未付运费的结算单，如：%s"},
    {"Min(JT0+'-'+JN0) From gbSheet Where OPR4<>'' And OPR6=''", "还有未复核的蔗款结算单，如：%s"},
    {"Min(JT1+'-'+JN1) From gbSheet Where OPR5<>'' And OPR7=''", "还有未复核的运费结算单，如：%s"},
    {"Min(LB+DB+T+'-'+DH) From jsSheet Where DB>'0' And OPR1=''", nullptr},
};

void AddLine(std::string& message, const std::string& line) {
  message += (message.empty() ? "" : "\n") + line;
}

// Appends a line for every query that finds open business; false when one did.
bool CheckBusinessClosed(CSmDatabase* source, std::string& message) {
  bool closed = true;
  for (const OpenBusiness& check : kOpenBusiness) {
    long count = 0;
    const std::string first = TrimChars(source->QueryCountString(check.query, {}, &count));
    if (count < 1) continue;
    closed = false;
    if (check.message) {
      AddLine(message, FormatStr(check.message, first.c_str()));
      continue;
    }
    const char lb = first.empty() ? '\0' : first[0];
    const char db = first.size() > 1 ? first[1] : '\0';
    AddLine(message, FormatStr("还有未复核的%s%s单，如：%s", SideName(lb), DocumentName(db),
                               first.size() > 2 ? first.c_str() + 2 : ""));
  }
  return closed;
}

// The line of one advance item: which item takes its balance. False for a formula that names
// no advance item of the kind or is no item number at all.
bool AppendMappingLine(int kind, int n, std::string& message) {
  const int item = TsGetKindItemIndex(kind, 1, 2, 0, n);
  const std::string name = TsGetKindItemName(kind, 1, 2, 0, n);
  std::string formula;
  int number = 0;
  std::string targetNumber, targetName = "定义错误";
  const bool digits = TsGetAdvanceCarryNumber(kind, n, formula, number);
  bool valid = false;
  if (digits) {
    targetNumber = formula.empty() ? std::to_string(number) : formula;
    targetName = "无效的项目号";
    const int count = TsGetKindItemCount(kind, 1, 2, 0);
    for (int m = 0; m < count && !valid; ++m) {
      if (TsGetKindItemIndex(kind, 1, 2, 0, m) + 1 != number) continue;
      targetName = TsGetKindItemName(kind, 1, 2, 0, m);
      valid = true;
    }
  }
  message += FormatStr("\n%d.%s ---> %s.%s", item + 1, name.c_str(), targetNumber.c_str(),
                       targetName.c_str());
  return valid;
}

// The mapping of the advance items of both kinds, with the current parameters; false when an
// item's balance has nowhere to go.
bool AppendMapping(std::string& message) {
  bool valid = true;
  for (int kind = 0; kind < 2; ++kind) {
    const int count = TsGetKindItemCount(kind, 1, 2, 0);
    if (count == 0) continue;
    message += FormatStr("\n%s预付款余额结转对应关系：", kind == 0 ? "农户" : "运户");
    for (int n = 0; n < count; ++n) valid = AppendMappingLine(kind, n, message) && valid;
  }
  return valid;
}

// The whole directory in code order, each farmer as the card would insert it: regions before
// their farmers, and what the new file already holds (places, balances) names its own farmers,
// so that no parent takes anything over from its first child.
bool CarryFarmers(CSmDatabase* source, CSmDatabase* target) {
  std::vector<CNH> farmers;
  CNH(source, {}).Select(farmers, 1);
  std::vector<SmDbValue> values;
  for (CNH& farmer : farmers) {
    farmer.m_db = target;
    farmer.GetValues(values);
    if (!farmer.InsertCopy(values, true)) return false;
  }
  return true;
}

}  // namespace

void CTsDataType::ReloadAppParams() {
  CSmDatabase* db = TsCaneContextFromApp().db;
  if (!db || !db->IsOpen()) return;
  SetDefaultParams();
  LoadParams(db);
}

void CTsDataType::ListCarryOverItems(std::vector<int>& codes, CSmStringList& captions,
                                     CSmStringList& tables) {
  for (int item = 0; item < kItemCount; ++item) {
    codes.push_back(item);
    captions.emplace_back(kItems[item].caption);
    tables.emplace_back(kItems[item].table);
  }
}

int CTsDataType::CanCarryOver(int subCode, int item, const std::string& caption,
                              const std::string& tables, CSmDatabase* source, CSmDatabase* target,
                              std::string& message) {
  int result = CFormDataType::CanCarryOver(subCode, item, caption, tables, source, target, message);
  if (item != kBalances || !source) return result;
  if (!CheckBusinessClosed(source, message)) return -1;
  // The mapping is that of the old year's item definitions, which the carry will use.
  if (result == 0) result = 1;
  SetDefaultParams();
  LoadParams(source);
  if (!AppendMapping(message)) result = -1;
  ReloadAppParams();
  return result;
}

bool CTsDataType::CarryOver(int /*subCode*/, int item, CSmDatabase* source, CSmDatabase* target,
                            QLabel* /*status*/) {
  if (!source || !target || item < 0 || item >= kItemCount) return false;
  // One item goes in whole or not at all, so that a failed item can be carried again.
  return SmRunInTransaction(target, [&] {
    switch (item) {
      case kFarmers:
        return CarryFarmers(source, target);
      case kBalances: {
        CTsWeighingService* weighing = WeighingService();
        return weighing && weighing->CarryOverBalances(source, target);
      }
      default:
        return CSmDatabase::CopyTable(source, target, kItems[item].table);
    }
  });
}
