#pragma once
// Reads of the weighing tickets (gbSheet) that the master data need.
#include <string>
#include <utility>

class CSmDatabase;

// Count of the tared tickets not yet settled in the kind (0 cane: variety KNO3, 1 freight:
// place KNO2) whose variety or place is `code`, with their lowest and highest price PR<kind>
// in `range` (0 and 0 when there is none); -1 when the tickets cannot be read.
int TsgbPriceStats(int kind, const std::string& code, std::pair<double, double>& range,
                   CSmDatabase* db);
// "Where ..." of those tickets: tared, not yet on a slip of the kind, of the variety (kind 0) or
// place (kind 1) `code`; the tickets a new price of that code reaches.
std::string TsgbPricedWhere(int kind, const std::string& code, CSmDatabase* db);
