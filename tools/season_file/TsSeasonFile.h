#pragma once
// A yearly data file as it stands at the end of a cane season, for benchmarks: the shell's and
// the cane module's tables, the master data and the weighing tickets.
#include <string>

class CSmApp;

struct TsSeasonShape {
  int farmers = 20000;  // codes of levels 1, 2, 2, 3: 2 towns x 10 villages x 10 groups x 100
  int drivers = 400;
  int places = 200;
  int varieties = 12;
  int tickets = 200000;  // spread evenly over the days, numbered from 1 in date order
  int days = 120;        // from the first day of the accounting year (1 November)
  int ticketNoLen = 6;   // integer parameter 12; width 5 holds 99,999 tickets only
};

// The first day of the season of business year `year` and the date of day `day` of it
// ("yyyymmdd").
std::string TsSeasonDay(int year, int day);

// Creates "<folder>/<year>.tsd" (replacing one that exists) through `app`, which must have the
// cane module registered, and fills it: every ticket tared and priced, those of all but the
// last ten days on cane and freight slips of twenty tickets. The path, or empty on failure.
std::string TsMakeSeasonFile(CSmApp& app, const std::string& folder, int year,
                             const TsSeasonShape& shape = {});
