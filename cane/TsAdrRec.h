#pragma once
// A cutting/transport place (AdrDir): where a delivery was cut and carried from, with its
// distance, freight price and the four place-linked parameters cs0-cs3. Tickets name their
// place in gbSheet.KNO2.
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "core/SmRefusal.h"

class CSmDatabase;

class CTsAdrRec {
 public:
  void Clear() { *this = CTsAdrRec(); }

  std::string KNO;
  std::string NA;
  std::string QY;  // region: a farmer code, usually of an upper level
  std::string NT;
  double jl = 0;   // distance
  double ypr = 0;  // freight price per ton
  std::array<double, 4> cs{};
};

// The places of "Select ... From AdrDir <where> <order>" (either may be empty); 0 when the
// query fails.
int TsAdrSelect(std::vector<CTsAdrRec>& list, const std::string& where, const std::string& order,
                CSmDatabase* db);
// The number of places with the code; the first is copied into `rec` (left alone when none).
int TsAdrLoad(CTsAdrRec& rec, const std::string& code, CSmDatabase* db);
int TsAdrLoadAll(std::vector<CTsAdrRec>& list, CSmDatabase* db);
// False, with no message, when the code exists already.
bool TsAdrInsert(const CTsAdrRec& rec, CSmDatabase* db);
// Stores `rec` over the place `oldCode`; a code that belongs to another place is merged into it
// after asking (`merged` says so). The tickets follow a changed code. With `shown` (the place as
// a card showed it) nothing is stored when another station changed or deleted the place since;
// that is said, and `stale` tells it.
bool TsAdrUpdate(const CTsAdrRec& rec, const std::string& oldCode, CSmDatabase* db,
                 bool* merged = nullptr, const CTsAdrRec* shown = nullptr, bool* stale = nullptr);
// Whether two places hold the same values.
bool TsAdrSame(const CTsAdrRec& a, const CTsAdrRec& b);
// False, with no message, while a ticket names the place.
bool TsAdrDelete(const std::string& code, CSmDatabase* db);
std::string TsAdrNextCode(CSmDatabase* db);

// Lowest and highest value of the n-th place-linked parameter over the places of `codes` that
// exist; 0 and 0 when none does.
void TsAdrLinkParamRange(int n, const std::vector<std::string>& codes,
                         std::pair<double, double>& range, CSmDatabase* db);
// Sets the n-th place-linked parameter of every place of `codes` to `value` in one transaction;
// a failing statement is reported and nothing is changed (false).
bool TsAdrSetLinkParam(int n, const std::vector<std::string>& codes, double value, CSmDatabase* db);

// The fields of a place a check names (SmRefusal::field).
enum TsAdrField : int { kTsAdrFieldCode, kTsAdrFieldName, kTsAdrFieldRegion };
// The checks of a place before its card stores it: the code brought to the code length of
// places ("代码不合适，请重输！"), a name ("名称不能为空，请重输！"), and a region that
// exists when one is given ("所在区域不存在，请重输！").
SmRefusal TsAdrCheck(CTsAdrRec& rec, CSmDatabase* db);
