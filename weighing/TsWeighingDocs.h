#pragma once
// What the weighing tickets, settlement slips and money documents give the cane module, handed
// to it at start-up (CTsDataType::SetWeighingService).
#include "cane/TsWeighingService.h"

class CTsWeighingDocs : public CTsWeighingService {
 public:
  bool SlipRepair(int kind, CSmDatabase* db) override;
  int PriceStats(int kind, const std::string& code, double* lowest, double* highest,
                 CSmDatabase* db) override;
  void Reprice(bool add, int kind, double price, const std::string& code, CSmDatabase* db) override;
  bool LoadOpening(int party, const std::string& code, TsSlipAmounts& amounts,
                   CSmDatabase* db) override;
  bool SetOpening(bool add, int party, const std::string& code, const TsSlipAmounts& amounts,
                  CSmDatabase* db) override;
  bool GetChildOpenings(const std::string& parent, const std::vector<std::string>& children,
                        std::vector<TsSlipAmounts>& sums, CSmDatabase* db) override;
  bool GetDriverOpenings(const std::vector<std::string>& drivers,
                         std::vector<TsSlipAmounts>& amounts, CSmDatabase* db) override;
  bool CarryOverBalances(CSmDatabase* source, CSmDatabase* target) override;
};
