// Makes a yearly data file in the middle of a cane season, to try the program with a season of
// data (or to measure it):
//
//   season_file FOLDER YEAR TICKETS FARMERS
//
// writes FOLDER/YEAR.tsd as the program makes a new yearly file, with FARMERS farmers, one
// driver to 50 farmers and one place to 100 (at most 999 each), twelve varieties and TICKETS
// tickets over the first 120 days of the business year; the tickets of the first 50 days are on
// slips, the later ones open. A file that exists already is left alone. Made in a folder of the
// program's account sets (~/Vornel数据/001 for the first), it is listed in the log-in dialog.
#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "core/SmDatabase.h"
#include "core/SmGbk.h"
#include "platform/SmMessage.h"
#include "product/TsApp.h"
#include "tools/season_file/TsSeasonFile.h"

namespace {

// A whole number in [low, high] from `text`, or -1.
long Argument(const char* text, long low, long high) {
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  return *text && !*end && value >= low && value <= high ? value : -1;
}

// The ticket-number width that holds twice the tickets: room for the rest of the season.
int NumberWidth(int tickets) {
  return std::clamp(static_cast<int>(std::to_string(2L * tickets).size()), 4, 8);
}

int Usage() {
  std::fprintf(stderr,
               "usage: season_file FOLDER YEAR TICKETS FARMERS\n"
               "  YEAR 2000-2099, TICKETS 1-40000000, FARMERS 1-%d\n",
               kTsSeasonMaxFarmers);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) return Usage();
  const long year = Argument(argv[2], 2000, 2099);
  const long tickets = Argument(argv[3], 1, 40000000);
  const long farmers = Argument(argv[4], 1, kTsSeasonMaxFarmers);
  if (year < 0 || tickets < 0 || farmers < 0) return Usage();
  const std::filesystem::path folder = std::filesystem::absolute(argv[1]);
  const std::filesystem::path file = folder / (std::to_string(year) + ".tsd");
  if (std::filesystem::exists(file)) {
    std::fprintf(stderr, "%s exists already; it is left as it is\n", file.c_str());
    return 1;
  }

  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication qt(argc, argv);
  SmUseCNumericLocale();
  CSmMessageService::Instance().SetTestMode(true);  // a failure is printed, never waited on
  CTsApp app;
  app.SelectModuleInfo();
  app.CreateDataTypes();

  TsSeasonShape shape;
  shape.tickets = static_cast<int>(tickets);
  shape.farmers = static_cast<int>(farmers);
  shape.drivers = std::clamp(shape.farmers / 50, 1, 999);  // three-digit codes
  shape.places = std::clamp(shape.farmers / 100, 1, 999);
  shape.ticketNoLen = NumberWidth(shape.tickets);
  const std::string path = TsMakeSeasonFile(app, folder.string(), static_cast<int>(year), shape);
  if (path.empty()) {
    std::fprintf(stderr, "%s could not be made: %s\n", file.c_str(),
                 CSmMessageService::Instance().LastText().c_str());
    return 1;
  }
  CSmDatabase db;
  const long open = db.Open(path) ? db.QueryInt("Select Count(*) From gbSheet Where JN0=''") : -1;
  std::printf(
      "%s: %d tickets of %d farmers, %ld not yet on a cane slip.\n"
      "Log in as operator 102 (no password) to work with them; 101, the administrator, holds\n"
      "the system rights only.\n",
      path.c_str(), shape.tickets, shape.farmers, open);
  return 0;
}
