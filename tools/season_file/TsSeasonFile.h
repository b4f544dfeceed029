#pragma once
// A yearly data file as it stands in the middle of a cane season, for benchmarks and for trying
// the program: the shell's and the cane module's tables, the master data and the weighing
// tickets, kept as the program keeps them (every slip one household's), so that the file opens
// without any repair.
#include <string>

class CSmApp;

struct TsSeasonShape {
  int farmers = 20000;  // codes of levels 1, 2, 2, 3: 2 towns x 10 villages x 10 groups x 100
  int drivers = 400;
  int places = 200;
  int varieties = 12;
  int tickets = 200000;  // spread evenly over the days, numbered from 1 in date order
  int days = 120;        // from the first day of the accounting year (1 November)
  int settledDays = 50;  // the tickets of these first days are on slips, the later ones open
  int ticketNoLen = 6;   // integer parameter 12; width 5 holds 99,999 tickets only
};

// Days a slip gathers a household's tickets of: the slips of a period are dated its last day.
constexpr int kTsSeasonSlipDays = 10;
// The most farmers the codes of the season hold (nine towns).
constexpr int kTsSeasonMaxFarmers = 90000;

// The first day of the season of business year `year` and the date of day `day` of it
// ("yyyymmdd").
std::string TsSeasonDay(int year, int day);

// Creates "<folder>/<year>.tsd" (replacing one that exists) through `app`, which must have the
// cane module registered, and fills it: every ticket tared and priced. The tickets of the first
// `settledDays` days are on cane slips, one per farmer and period of kTsSeasonSlipDays days, and
// on freight slips, one per driver and period, settled by operator 102 and not yet paid; the
// later tickets are on none. The path, or empty on failure.
std::string TsMakeSeasonFile(CSmApp& app, const std::string& folder, int year,
                             const TsSeasonShape& shape = {});
