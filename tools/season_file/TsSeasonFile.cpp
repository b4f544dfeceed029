#include "tools/season_file/TsSeasonFile.h"

#include <QDate>
#include <algorithm>
#include <filesystem>
#include <vector>

#include "app/SmApp.h"
#include "app/SmEnvironment.h"
#include "app/SmSystemTables.h"
#include "cane/TsDataType.h"
#include "cane/TsParams.h"
#include "core/SmDatabase.h"
#include "core/SmNumber.h"
#include "core/SmString.h"

namespace {

using Values = std::vector<SmDbValue>;

SmDbValue Text(std::string text) {
  return SmDbValue::OfText(std::move(text));
}

SmDbValue Number(double value) {
  return SmDbValue::OfDouble(value);
}

// Farmer n of the levels 1, 2, 2, 3: town, village, group and farmer.
std::string FarmerCode(int n) {
  return FormatStr("%d%02d%02d%03d", n / 10000 + 1, n / 1000 % 10 + 1, n / 100 % 10 + 1,
                   n % 100 + 1);
}

bool AddFarmers(CSmDatabase& db, int count) {
  const std::string sql =
      "Insert Into NHDir(KNO,NA,TEL,BkNO,BkHO,BkNA,NT,cs0,cs1,cs2,cs3) "
      "Values(?,?,'','','','','',?,0,0,0)";
  for (int n = 0; n < count; ++n) {
    const std::string code = FarmerCode(n);
    // The rows of the regions above the farmer come first.
    for (size_t len : {1, 3, 5}) {
      if (n % (len == 1 ? 10000 : len == 3 ? 1000 : 100) != 0) continue;
      const std::string region = code.substr(0, len);
      if (!db.ExecuteBound(sql, {}, {Text(region), Text("区" + region), Number(0)})) return false;
    }
    if (!db.ExecuteBound(sql, {}, {Text(code), Text("农户" + code), Number(n % 3)})) return false;
  }
  return true;
}

bool AddDirectories(CSmDatabase& db, const TsSeasonShape& shape) {
  for (int n = 1; n <= shape.drivers; ++n) {
    if (!db.ExecuteBound("Insert Into DriverDir(KNO,NA,PNO,TEL,ADR,NT,WG0,WG1) "
                         "Values(?,?,'','','','','15','30')",
                         {}, {Text(FormatStr("%03d", n)), Text(FormatStr("司机%d", n))}))
      return false;
  }
  for (int n = 1; n <= shape.places; ++n) {
    if (!db.ExecuteBound(
            "Insert Into AdrDir(KNO,NA,QY,NT,jl,ypr,cs0,cs1,cs2,cs3) "
            "Values(?,?,'','',?,20,1,0,0,0)",
            {}, {Text(FormatStr("%03d", n)), Text(FormatStr("地点%d", n)), Number(n % 40 + 1)}))
      return false;
  }
  for (int n = 1; n <= shape.varieties; ++n) {
    if (!db.ExecuteBound("Insert Into GP(KNO,NA,NT,PR) Values(?,?,'',500)", {},
                         {Text(FormatStr("1%02d", n)), Text(FormatStr("品种%d", n))}))
      return false;
  }
  return db.ExecuteBound("Insert Into GP(KNO,NA,NT,PR) Values('1','甘蔗','',0)", {}, {});
}

// The slip numbers of one kind: one slip per household and period with settled tickets,
// numbered from 1 period by period, the households of a period in their order.
class CSlipNumbers {
 public:
  CSlipNumbers(int households, int periods)
      : m_households(households), m_numbers(static_cast<size_t>(households) * periods, 0) {}
  void Mark(int period, int household) { m_numbers[Index(period, household)] = 1; }
  void Number() {
    int next = 0;
    for (int& number : m_numbers) {
      if (number != 0) number = ++next;
    }
  }
  int Of(int period, int household) const { return m_numbers[Index(period, household)]; }

 private:
  size_t Index(int period, int household) const {
    return static_cast<size_t>(period) * m_households + household;
  }
  int m_households;
  std::vector<int> m_numbers;
};

// Where ticket n stands in the season: its day, its farmer and driver (as numbers from 0), and
// the period of its slips when it is settled (else -1).
struct TicketPlace {
  int day;
  int farmer;
  int driver;
  int period;
};

TicketPlace PlaceOf(int n, const TsSeasonShape& shape) {
  TicketPlace place;
  place.day = static_cast<int>(static_cast<long long>(n) * shape.days / shape.tickets);
  place.farmer = static_cast<int>(static_cast<long long>(n) * 7919 % shape.farmers);
  place.driver = n % shape.drivers;
  place.period = place.day < shape.settledDays ? place.day / kTsSeasonSlipDays : -1;
  return place;
}

int Periods(const TsSeasonShape& shape) {
  return (shape.settledDays + kTsSeasonSlipDays - 1) / kTsSeasonSlipDays;
}

// A period's slips are dated its last day, or the last settled day in the last period.
std::string SlipDate(int year, int period, const TsSeasonShape& shape) {
  return TsSeasonDay(year, std::min((period + 1) * kTsSeasonSlipDays, shape.settledDays) - 1);
}

bool AddTicket(CSmDatabase& db, int n, int year, const TsSeasonShape& shape,
               const CSlipNumbers& cane, const CSlipNumbers& freight) {
  const TicketPlace place = PlaceOf(n, shape);
  const bool settled = place.period >= 0;
  const std::string slipDate = settled ? SlipDate(year, place.period, shape) : "";
  const auto slip = [&](const CSlipNumbers& numbers, int household) {
    return settled ? IntToFixedStr(numbers.Of(place.period, household), shape.ticketNoLen) : "";
  };
  const std::string settler = settled ? "102" : "";
  const double gross = 20 + n % 100 / 10.0;
  const double net = gross - 8 - 0.3;
  Values values = {Text(TsSeasonDay(year, place.day)),
                   Text(FormatStr("%02d%02d%02d", 6 + n % 12, n % 60, n * 7 % 60)),
                   Text(IntToFixedStr(n + 1, shape.ticketNoLen)),
                   Text("101"),
                   Text("102"),
                   Text(settler),
                   Text(settler),
                   Text(slipDate),
                   Text(slipDate),
                   Text(slip(cane, place.farmer)),
                   Text(slip(freight, place.driver)),
                   Text(FarmerCode(place.farmer)),
                   Text(FormatStr("%03d", place.driver + 1)),
                   Text(FormatStr("%03d", n % shape.places + 1)),
                   Text(FormatStr("1%02d", n % shape.varieties + 1)),
                   Number(gross),
                   Number(8),
                   Number(0.3),
                   Number(500),
                   Number(20),
                   Number(RoundTo(net * 500, 2)),
                   Number(RoundTo(net * 10, 2)),
                   Number(RoundTo((gross - 8) * 20, 2))};
  return db.ExecuteBound(
      "Insert Into gbSheet(T,TH,DH,OPR0,OPR1,OPR2,OPR3,OPR4,OPR5,OPR6,OPR7,JT0,JT1,JN0,JN1,KNO0,"
      "KNO1,KNO2,KNO3,MU0,MU1,MU2,MU3,PR0,PR1,MY0,MY1,MY2,MY3,MY4,MY5,MY6,MY7,MY8,MY9,MY10,MY11,"
      "FK,PRT0,PRT1) Values(?,?,?,?,?,?,?,'','','','',?,?,?,?,?,?,?,?,?,?,?,0,?,?,?,?,0,0,0,0,?,"
      "0,0,0,0,0,0,0,0)",
      {}, values);
}

bool AddTickets(CSmDatabase& db, int year, const TsSeasonShape& shape) {
  CSlipNumbers cane(shape.farmers, Periods(shape));
  CSlipNumbers freight(shape.drivers, Periods(shape));
  for (int n = 0; n < shape.tickets; ++n) {
    const TicketPlace place = PlaceOf(n, shape);
    if (place.period < 0) continue;
    cane.Mark(place.period, place.farmer);
    freight.Mark(place.period, place.driver);
  }
  cane.Number();
  freight.Number();
  for (int n = 0; n < shape.tickets; ++n) {
    if (!AddTicket(db, n, year, shape, cane, freight)) return false;
  }
  return true;
}

bool Fill(CSmDatabase& db, int year, const TsSeasonShape& shape) {
  if (!AddFarmers(db, shape.farmers) || !AddDirectories(db, shape) || !AddTickets(db, year, shape))
    return false;
  return db.ExecuteBound(
      "Insert Into SysCsTab(Cs,CsN,CsNa,CsVal) Values(?,12,'过磅单号长度',?)", {},
      {SmDbValue::OfInt(CTsDataType::kParamGroup), Text(std::to_string(shape.ticketNoLen))});
}

}  // namespace

std::string TsSeasonDay(int year, int day) {
  return QDate(year - 1, 11, 1).addDays(day).toString("yyyyMMdd").toStdString();
}

std::string TsMakeSeasonFile(CSmApp& app, const std::string& folder, int year,
                             const TsSeasonShape& shape) {
  std::filesystem::create_directories(folder);
  std::filesystem::remove(std::filesystem::path(folder) / (std::to_string(year) + ".tsd"));
  std::string path;
  if (!SmCreateYearFile(app, folder, year, &path)) return {};
  CSmDatabase db;
  if (!db.Open(path)) return {};
  // Stamped by the program making it, as a new yearly file is, so that it opens without asking.
  CSmEnvironment(0).CheckVersionStamp(&db, nullptr, nullptr, nullptr);
  if (!SmRunInTransaction(&db, [&] { return Fill(db, year, shape); })) return {};
  if (CTsDataType* cane = TsGetDataType()) cane->LoadParams(&db);
  return path;
}
