#pragma once
// A driver, or transport household (DriverDir): carries cane and is paid freight. Tickets name
// their driver in gbSheet.KNO1; his money documents are the jsSheet rows of party LB '1'.
#include <functional>
#include <string>
#include <vector>

#include "core/SmRefusal.h"

class CSmDatabase;

class CTsDriverRec {
 public:
  void Clear() { *this = CTsDriverRec(); }

  std::string KNO;
  std::string NA;
  std::string PNO;  // plate number
  std::string TEL;
  std::string ADR;
  std::string NT;
  std::string WG0;  // load limits, numbers kept as text
  std::string WG1;

  bool operator==(const CTsDriverRec&) const = default;
};

// The drivers of "Select ... From DriverDir <where> <order>"; 0 when the query fails.
int TsDriverSelect(std::vector<CTsDriverRec>& list, const std::string& where,
                   const std::string& order, CSmDatabase* db);
// The number of drivers with the code; the first is copied into `rec` (left alone when none).
int TsDriverLoad(CTsDriverRec& rec, const std::string& code, CSmDatabase* db);
int TsDriverLoadAll(std::vector<CTsDriverRec>& list, CSmDatabase* db);
// False, with no message, when the code exists already.
bool TsDriverInsert(const CTsDriverRec& rec, CSmDatabase* db);
// Stores `rec` over the driver `oldCode`; a code that belongs to another driver is merged into
// it after asking (`merged` says so), the two opening balances added into one. Tickets and the
// driver's money documents follow a changed code. With `shown` (the driver as a card showed it)
// nothing is stored when another station changed or deleted him since; `alongside` stores what
// else belongs to the change in the same transaction (not on a merge). `stale` tells that the
// change was refused (and said so) for another station's change.
bool TsDriverUpdate(const CTsDriverRec& rec, const std::string& oldCode, CSmDatabase* db,
                    bool* merged = nullptr, const CTsDriverRec* shown = nullptr,
                    const std::function<bool(std::string& refusal)>& alongside = {},
                    bool* stale = nullptr);
// False, with no message, while a ticket or a money document of party '1' names the driver.
bool TsDriverDelete(const std::string& code, CSmDatabase* db);
std::string TsDriverNextCode(CSmDatabase* db);

// The fields of a driver a check names (SmRefusal::field).
enum TsDriverField : int {
  kTsDriverFieldCode,
  kTsDriverFieldName,
  kTsDriverFieldLowLimit,
  kTsDriverFieldHighLimit
};
// The checks of a driver before his card stores him, each field made plain as it passes: the
// code brought to the code length of drivers ("代码不合适，请重输！"), a name ("姓名不能为空，
// 请重输！"), load limits written with at most four decimals that are above 0 when given
// ("限载数应大于0，请重输！") and not the wrong way round ("限载数倒置，请重输！").
SmRefusal TsDriverCheck(CTsDriverRec& rec);
