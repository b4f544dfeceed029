#include "weighing/TsWeighingDocs.h"

#include <algorithm>

#include "weighing/TsSlipOps.h"
#include "weighing/TsgbRec.h"
#include "weighing/TsgbStore.h"
#include "weighing/TsjsRec.h"

namespace {

TsSlipAmounts Amounts(const CTsjsRec& rec) {
  TsSlipAmounts amounts{};
  std::copy_n(rec.MY.begin(), std::min(rec.MY.size(), amounts.size()), amounts.begin());
  return amounts;
}

std::vector<TsSlipAmounts> AllAmounts(const std::vector<CTsjsRec>& records) {
  std::vector<TsSlipAmounts> all;
  for (const CTsjsRec& rec : records) all.push_back(Amounts(rec));
  return all;
}

CTsjsRec Record(const TsSlipAmounts& amounts) {
  CTsjsRec rec;
  rec.MY.assign(amounts.begin(), amounts.end());
  return rec;
}

}  // namespace

bool CTsWeighingDocs::SlipRepair(int kind, CSmDatabase* db) {
  return TsSlipRepair(kind, db);
}

int CTsWeighingDocs::PriceStats(int kind, const std::string& code, double* lowest, double* highest,
                                CSmDatabase* db) {
  std::pair<double, double> range;
  const int count = TsgbPriceStats(kind, code, range, db);
  if (lowest) *lowest = range.first;
  if (highest) *highest = range.second;
  return count;
}

void CTsWeighingDocs::Reprice(bool add, int kind, double price, const std::string& code,
                              CSmDatabase* db) {
  CTsgbRec::Reprice(add, kind, price, code, db);
}

bool CTsWeighingDocs::LoadOpening(int party, const std::string& code, TsSlipAmounts& amounts,
                                  CSmDatabase* db) {
  CTsjsRec rec = Record(amounts);
  if (!rec.LoadOpening(party, code, db)) return false;
  amounts = Amounts(rec);
  return true;
}

bool CTsWeighingDocs::SetOpening(bool add, int party, const std::string& code,
                                 const TsSlipAmounts& amounts, CSmDatabase* db) {
  return Record(amounts).SetOpening(add, party, code, TsOperatorNo(), db);
}

bool CTsWeighingDocs::GetChildOpenings(const std::string& parent,
                                       const std::vector<std::string>& children,
                                       std::vector<TsSlipAmounts>& sums, CSmDatabase* db) {
  std::vector<CTsjsRec> openings;
  const bool ok = CTsjsRec::GetChildOpenings(parent, children, openings, db);
  sums = AllAmounts(openings);
  return ok;
}

bool CTsWeighingDocs::GetDriverOpenings(const std::vector<std::string>& drivers,
                                        std::vector<TsSlipAmounts>& amounts, CSmDatabase* db) {
  std::vector<CTsjsRec> openings;
  const bool ok = CTsjsRec::GetDriverOpenings(drivers, openings, db);
  amounts = AllAmounts(openings);
  return ok;
}

bool CTsWeighingDocs::CarryOverBalances(CSmDatabase* source, CSmDatabase* target) {
  return CTsjsRec::CarryOverBalances(source, target);
}
