#pragma once
// What the cane module asks of the weighing tickets, settlement slips and money documents. They
// live in the layer above the module, which implements this interface; the application hands
// the implementation to the module at start-up (CTsDataType::SetWeighingService). Kinds are
// 0 cane and 1 freight; parties 0 farmer and 1 driver.
#include <array>
#include <string>
#include <vector>

class CSmDatabase;

// The amounts of the 15 slip items of one money document (jsSheet MY0-MY14).
using TsSlipAmounts = std::array<double, 15>;

class CTsWeighingService {
 public:
  virtual ~CTsWeighingService() = default;

  // Makes the tickets of each settlement slip of the kind agree on the bank batch mark, the
  // household and the operators. False when a change failed (it has been reported).
  virtual bool SlipRepair(int kind, CSmDatabase* db) = 0;
  // Count, lowest and highest price of the tared tickets not yet settled in the kind whose
  // variety (kind 0) or place (kind 1) is `code`: 0 when there is none, -1 when the tickets
  // cannot be read.
  virtual int PriceStats(int kind, const std::string& code, double* lowest, double* highest,
                         CSmDatabase* db) = 0;
  // Sets (or with `add` raises by `price`) the price of those tickets and works their amounts
  // out again, each ticket in a transaction of its own.
  virtual void Reprice(bool add, int kind, double price, const std::string& code,
                       CSmDatabase* db) = 0;

  // Opening balances of the advance items, as positive amounts; `amounts` is left as it was
  // when the party has no opening row. False when the rows cannot be read.
  virtual bool LoadOpening(int party, const std::string& code, TsSlipAmounts& amounts,
                           CSmDatabase* db) = 0;
  // Replaces the party's opening row (after asking when `add` finds one already); all-zero
  // advances leave no row. False when declined or failed, with nothing changed.
  virtual bool SetOpening(bool add, int party, const std::string& code,
                          const TsSlipAmounts& amounts, CSmDatabase* db) = 0;
  // Per child code of `parent`, the summed farmer openings of its subtree.
  virtual bool GetChildOpenings(const std::string& parent, const std::vector<std::string>& children,
                                std::vector<TsSlipAmounts>& sums, CSmDatabase* db) = 0;
  // Per driver code, its opening amounts.
  virtual bool GetDriverOpenings(const std::vector<std::string>& drivers,
                                 std::vector<TsSlipAmounts>& amounts, CSmDatabase* db) = 0;
  // Writes the summed item balances of every household as opening rows of the new year.
  virtual bool CarryOverBalances(CSmDatabase* source, CSmDatabase* target) = 0;
};

// The implementation handed to the module, null while there is none.
CTsWeighingService* TsGetWeighingService();
