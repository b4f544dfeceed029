// The checks of a new slip's deductions.
#include "cane/TsItems.h"
#include "core/SmString.h"
#include "weighing/TsSlipOps.h"
#include "weighing/TsjsRec.h"

namespace {

// The name of the n-th deduction item of the kind (TsjsDeductionItems order).
std::string DeductionName(int kind, size_t n) {
  const int first = TsGetKindItemCount(kind, 1, 1, 1);
  const int i = static_cast<int>(n);
  return i < first ? TsGetKindItemName(kind, 1, 1, 1, i)
                   : TsGetKindItemName(kind, 1, 2, 1, i - first);
}

}  // namespace

std::vector<int> TsjsDeductionItems(int kind) {
  std::vector<int> items;
  for (int category = 1; category <= 2; ++category) {
    for (int n = 0; n < TsGetKindItemCount(kind, 1, category, 1); ++n)
      items.push_back(TsGetKindItemIndex(kind, 1, category, 1, n));
  }
  return items;
}

SmRefusal TsjsCheckDeductions(int kind, const std::string& household, const CTsjsRec& deductions,
                              double slipTotal, CSmDatabase* db) {
  const std::vector<int> items = TsjsDeductionItems(kind);
  for (int item : items) {
    if (deductions.MY[static_cast<size_t>(item)] < 0) return SmRefusal::Stop(item, "数据不正确！");
  }
  CTsjsRec sums;
  sums.GetHouseholdSums(kind, household, db);
  for (size_t n = 0; n < items.size(); ++n) {
    const auto item = static_cast<size_t>(items[n]);
    const double deducted = deductions.MY[item];
    if (deducted >= 1e-6 && !(deducted < -sums.MY[item] + 1e-6))
      return SmRefusal::Stop(items[n], FormatStr("“%s”扣多了！", DeductionName(kind, n).c_str()));
  }
  if (deductions.GetTotal() - 1e-7 > slipTotal)
    return SmRefusal::Stop(kSmNoField, "实付款不能为负数！");
  return {};
}
