#include "weighing/TsgbTicketPrint.h"

#include <QPainter>

#include "app/SmOpLog.h"
#include "app/SmOperator.h"
#include "cane/TsAdrRec.h"
#include "cane/TsDriverRec.h"
#include "cane/TsGp.h"
#include "cane/TsItems.h"
#include "cane/TsNH.h"
#include "cane/TsParams.h"
#include "core/SmDatabase.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "forms/SmCardLayout.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "ui/SmPrintHooks.h"
#include "ui/SmPrintJob.h"
#include "weighing/TsgbRec.h"
#include "weighing/TsgbTicketLayout.h"

namespace {

constexpr int kTicketPrintGroup = 9601;
constexpr int kLogGroup = 16;
constexpr int kLogTickets = 5;

// The card layout on one page.
class CLayoutPrintJob : public CSmPrintJob {
 public:
  CLayoutPrintJob(CSmCardLayout& layout, bool formMode) : m_layout(layout), m_formMode(formMode) {}
  bool OnPreparePrinting(CSmPrintState& state) override {
    return m_layout.PreparePrinting(state) && DoPreparePrinting(state);
  }
  void OnPrint(QPainter& painter, CSmPrintState& /*state*/) override {
    m_layout.Draw(painter, m_formMode);
  }

 private:
  CSmCardLayout& m_layout;
  bool m_formMode;
};

std::string Cut(const std::string& text, size_t from, size_t length = std::string::npos) {
  return from < text.size() ? text.substr(from, length) : std::string();
}

std::string Money(double value) {
  return TsgbNumberText(value, 2, 2);
}

void AddFarmer(TsPrintPairs& pairs, const std::string& code, CSmDatabase* db) {
  std::string fullName;
  std::vector<std::string> codes;
  std::vector<std::string> names;
  if (!code.empty()) CNH(db, code).GetLevelNames(fullName, codes, names);
  pairs.emplace_back("#nhh", code);
  pairs.emplace_back("#nhm", fullName);
  for (size_t level = 0; level < 5; ++level)
    pairs.emplace_back(FormatStr("#qhnh%d", static_cast<int>(level)),
                       level < names.size() ? names[level] : std::string());
}

void AddDriver(TsPrintPairs& pairs, const std::string& code, CSmDatabase* db) {
  CTsDriverRec driver;
  if (code.empty() || TsDriverLoad(driver, code, db) == 0) driver.Clear();
  pairs.emplace_back("#yhh", code);
  pairs.emplace_back("#yhm", driver.NA);
  pairs.emplace_back("#xzx", driver.WG0);
  pairs.emplace_back("#xzs", driver.WG1);
}

void AddPlaceAndVariety(TsPrintPairs& pairs, const CTsgbRec& rec, CSmDatabase* db) {
  CTsAdrRec place;
  const bool placeFound = !rec.KNO[2].empty() && TsAdrLoad(place, rec.KNO[2], db) > 0;
  pairs.emplace_back("#cdh", rec.KNO[2]);
  pairs.emplace_back("#cdm", placeFound ? place.NA : std::string());
  pairs.emplace_back("#yj", placeFound ? TsgbNumberText(place.jl, 0, 4) : std::string());
  CGp variety(db, rec.KNO[3]);
  const bool varietyFound = !rec.KNO[3].empty() && variety.Load(0) > 0;
  pairs.emplace_back("#zph", rec.KNO[3]);
  pairs.emplace_back("#zpm", varietyFound ? variety.NA : std::string());
}

void AddTimes(TsPrintPairs& pairs, const CTsgbRec& rec, CSmDatabase* db) {
  pairs.emplace_back("#dh", rec.DH);
  pairs.emplace_back("#yy", Cut(rec.T, 0, 4));
  pairs.emplace_back("#mm", Cut(rec.T, 4, 2));
  pairs.emplace_back("#dd", Cut(rec.T, 6));
  pairs.emplace_back("#HH", Cut(rec.TH, 0, 2));
  pairs.emplace_back("#MM", Cut(rec.TH, 2, 2));
  pairs.emplace_back("#SS", Cut(rec.TH, 4));
  TsAddPrintTime(pairs, db);
}

void AddWeightsAndMoney(TsPrintPairs& pairs, const CTsgbRec& rec) {
  pairs.emplace_back("#mz", TsWeightText(rec.MU[0]));
  pairs.emplace_back("#pz", TsWeightText(rec.MU[1]));
  pairs.emplace_back("#zz", TsWeightText(rec.MU[2]));
  pairs.emplace_back("#zb", TsgbNumberText(rec.MU[3], 0, 4));
  pairs.emplace_back("#sl", TsWeightText(rec.GetWeight(0)));
  pairs.emplace_back("#ysl", TsWeightText(rec.GetWeight(1)));
  pairs.emplace_back("#djz", Money(rec.PR[0]));
  pairs.emplace_back("#djy", Money(rec.PR[1]));
  const double base[2] = {rec.MY[TsTicketMoneyColumn(0, -1)], rec.MY[TsTicketMoneyColumn(1, -1)]};
  pairs.emplace_back("#jez", Money(base[0]));
  pairs.emplace_back("#dxz", AmountInWords(RoundTo(base[0], 2)));
  pairs.emplace_back("#jey", Money(base[1]));
  pairs.emplace_back("#dxy", AmountInWords(RoundTo(base[1], 2)));
  const double total[2] = {rec.GetTotal(0), rec.GetTotal(1)};
  pairs.emplace_back("#hjz", Money(total[0]));
  pairs.emplace_back("#hjdz", AmountInWords(RoundTo(total[0], 2)));
  pairs.emplace_back("#hjy", Money(total[1]));
  pairs.emplace_back("#hjdy", AmountInWords(RoundTo(total[1], 2)));
  for (int kind = 0; kind < 2; ++kind) {
    for (int item = 0; item < TsGetItemCount(0); ++item) {
      pairs.emplace_back(
          FormatStr(kind == 0 ? "#gbz%s" : "#gby%s", IntToFixedStr(item + 1, 2).c_str()),
          Money(rec.MY[TsTicketMoneyColumn(kind, item)]));
    }
  }
}

}  // namespace

void TsAddPrintOperator(TsPrintPairs& pairs, const char* codeName, const char* nameName,
                        const std::string& code, CSmDatabase* db) {
  CSmOperator op;
  const bool found = !code.empty() && op.LoadByCode(code, db);
  pairs.emplace_back(codeName, code);
  pairs.emplace_back(nameName, found ? op.Na : std::string());
}

void TsAddPrintTime(TsPrintPairs& pairs, CSmDatabase* db) {
  const std::string now = db ? db->GetServerTime("%Y%m%d%H%M%S") : std::string();
  const std::pair<const char*, size_t> parts[] = {{"#py", 0}, {"#pm", 4},  {"#pd", 6},
                                                  {"#pH", 8}, {"#pM", 10}, {"#pS", 12}};
  for (const auto& [name, from] : parts)
    pairs.emplace_back(name, Cut(now, from, from == 0 ? 4 : from == 12 ? std::string::npos : 2));
}

TsPrintPairs TsgbTicketPrintVars(const CTsgbRec& rec, CSmDatabase* db) {
  TsPrintPairs pairs;
  AddFarmer(pairs, rec.KNO[0], db);
  AddDriver(pairs, rec.KNO[1], db);
  AddPlaceAndVariety(pairs, rec, db);
  TsAddPrintOperator(pairs, "#mah", "#mam", rec.OPR[0], db);
  TsAddPrintOperator(pairs, "#pih", "#pim", rec.OPR[1], db);
  AddTimes(pairs, rec, db);
  AddWeightsAndMoney(pairs, rec);
  return pairs;
}

bool TsgbPrintByTemplate(const CTsgbRec& rec, CSmDatabase* db) {
  CSmPrintJob job(db, kTicketPrintGroup);
  for (const auto& [name, text] : TsgbTicketPrintVars(rec, db)) job.AddFieldValue(name, text);
  return job.Print(SM_ID_FILE_PRINT_DIRECT);
}

bool TsPrintCardLayout(CSmCardLayout& layout, bool formMode) {
  layout.ComputeScale();
  CLayoutPrintJob job(layout, formMode);
  return job.Print(SM_ID_FILE_PRINT_DIRECT);
}

bool TsgbPrintTicket(int style, const CTsgbRec& rec, CSmCardLayout& layout, CSmDatabase* db) {
  const char* note = "自定位打印：%s";
  bool printed = false;
  if (style == kTsPrintWhole || style == kTsPrintOnForm) {
    TsgbBuildTicketLayout(layout);
    TsgbFillTicketLayout(rec, layout, db);
    printed = TsPrintCardLayout(layout, style == kTsPrintOnForm);
    note = style == kTsPrintOnForm ? "套打：%s" : "打印：%s";
  } else {
    printed = TsgbPrintByTemplate(rec, db);
  }
  if (printed) CSmOpLog(kLogGroup, kLogTickets, FormatStr(note, rec.DH.c_str()));
  return printed;
}
