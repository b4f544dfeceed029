// The money arithmetic of a ticket: net weights, base amounts, the ticket items by their
// formulas, totals, and the re-pricing of the open tickets of a variety or a place.
#include <cmath>
#include <memory>

#include "cane/TsAdrRec.h"
#include "cane/TsCaneContext.h"
#include "cane/TsDriverRec.h"
#include "cane/TsItems.h"
#include "cane/TsNH.h"
#include "cane/TsParams.h"
#include "core/SmDatabase.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "core/SmVarCaculate.h"
#include "ui/SmWaitWnd.h"
#include "weighing/TsgbRec.h"
#include "weighing/TsgbStore.h"

namespace {

// A load limit as the driver card stores it; the open end of an empty one.
std::string LoadLimit(const std::string& stored, const char* open) {
  const std::string text = TrimChars(stored);
  return text.empty() ? open : text;
}

void ReplaceLinkParams(std::string& text, const char* prefix, const double (&cs)[4]) {
  for (int j = 0; j < 4; ++j)
    text = ReplaceAll(text, FormatStr("%s%d", prefix, j + 1), FormatStr("%.4lf", cs[j]));
}

// The record of `code` in `cache`, loaded the first time it is asked for; none when it is not
// on file.
template <class Rec, class Load>
const Rec* Cached(std::unordered_map<std::string, std::optional<Rec>>& cache,
                  const std::string& code, Load load) {
  auto [found, added] = cache.try_emplace(code);
  if (added) found->second = load();
  return found->second ? &*found->second : nullptr;
}

}  // namespace

double CTsgbRec::GetWeight(int kind) const {
  if (kind == 1 && TsGetFreightNetOfImpurity() != 1) return MU[0] - MU[1];
  return MU[0] - MU[1] - MU[2];
}

double CTsgbRec::GetTotal(int kind) const {
  double total = MY[TsTicketMoneyColumn(kind, -1)];
  for (int i = 0; i < TsGetItemCount(0); ++i)
    total += TsGetTicketItemSign(kind, i) * MY[TsTicketMoneyColumn(kind, i)];
  return total;
}

double CTsgbRec::SumItems(int kind, int category) const {
  double sum = 0;
  for (int n = 0; n < TsGetKindItemCount(kind, 0, category, 0); ++n) {
    const int item = TsGetKindItemIndex(kind, 0, category, 0, n);
    sum += TsGetTicketItemSign(kind, item) * MY[TsTicketMoneyColumn(kind, item)];
  }
  return sum;
}

double CTsgbRec::BaseAmount(int kind) const {
  return RoundTo(GetWeight(kind) * PR[kind], 2);
}

void CTsgbRec::SetBaseAmounts(bool tare) {
  for (int k = 0; k < 2; ++k) MY[TsTicketMoneyColumn(k, -1)] = tare ? BaseAmount(k) : 0;
}

bool CTsgbRec::Recompute(const CTsgbRec& before, bool tare, CSmDatabase* db) {
  const auto moved = [](double a, double b) { return std::fabs(a - b) > 1e-7; };
  if (moved(MU[3], before.MU[3]))
    MU[2] = RoundTo((MU[0] - MU[1]) * MU[3] * 0.01, TsGetQtyPrecision());
  SetBaseAmounts(tare);
  bool changed = false;
  for (int k = 0; k < 4; ++k) changed = changed || moved(MU[k], before.MU[k]);
  for (int k = 0; k < 2; ++k) {
    const int base = TsTicketMoneyColumn(k, -1);
    changed = changed || moved(PR[k], before.PR[k]) || moved(MY[base], before.MY[base]);
  }
  if (changed && tare) ComputeItems(db);
  return changed;
}

void CTsgbRec::SetPrice(bool add, int kind, double price, CSmDatabase* db) {
  PR[kind] = add ? PR[kind] + price : price;
  MY[TsTicketMoneyColumn(kind, -1)] = BaseAmount(kind);
  // The items of a kind already on a slip are what the slip paid: they stay.
  CTsgbItemCalc calc(TsCaneContextFromApp(db));
  for (int k = 0; k < 2; ++k) {
    if (!JN[k].empty()) continue;
    for (int item = 0; item < TsGetItemCount(0); ++item) calc.Compute(*this, k, item);
  }
}

void CTsgbRec::ComputeItems(CSmDatabase* db) {
  ComputeItems(TsCaneContextFromApp(db));
}

void CTsgbRec::ComputeItems(const TsCaneContext& context) {
  CTsgbItemCalc calc(context);
  for (int kind = 0; kind < 2; ++kind)
    for (int item = 0; item < TsGetItemCount(0); ++item) calc.Compute(*this, kind, item);
}

void CTsgbRec::ComputeItem(int kind, int item, CSmDatabase* db) {
  CTsgbItemCalc(TsCaneContextFromApp(db)).Compute(*this, kind, item);
}

// ---------------------------------------------------------------- CTsgbItemCalc

CTsgbItemCalc::CTsgbItemCalc(const TsCaneContext& context)
    : m_db(context.db), m_evaluator(context.NewEvaluator()) {
  m_evaluator->m_db = context.db;
  for (int kind = 0; kind < 2; ++kind) {
    for (int item = 0; item < kItemFormulas; ++item)
      m_formulas[kind][item] = TsGetTicketItemFormula(kind, item);
  }
}

CTsgbItemCalc::~CTsgbItemCalc() = default;

void CTsgbItemCalc::Compute(CTsgbRec& rec, int kind, int item) {
  if (kind < 0 || kind > 1 || item < 0 || item >= kItemFormulas) return;
  const std::string& formula = m_formulas[kind][item];
  if (formula.empty()) return;
  double value = 0;
  if (!m_evaluator->EvalDouble(FormulaText(rec, formula), value)) return;
  rec.MY[TsTicketMoneyColumn(kind, item)] = RoundTo(value, 2);
}

std::string CTsgbItemCalc::FormulaText(const CTsgbRec& rec, const std::string& formula) {
  std::string text = formula;
  const int qty = TsGetQtyPrecision();
  struct Variable {
    const char* name;
    int decimals;
    double value;
  };
  const Variable variables[] = {
      {"#mz", qty, rec.MU[0]}, {"#pz", qty, rec.MU[1]},      {"#zz", 4, rec.MU[2]},
      {"#zb", 4, rec.MU[3]},   {"#sl", 4, rec.GetWeight(0)}, {"#ysl", 4, rec.GetWeight(1)},
      {"#djz", 2, rec.PR[0]},  {"#djy", 2, rec.PR[1]},       {"#jez", 2, rec.MY[0]},
      {"#jey", 2, rec.MY[6]},
  };
  // Only the variables the formula uses are written out.
  for (const Variable& v : variables) {
    if (text.find(v.name) != std::string::npos)
      text = ReplaceAll(text, v.name, FormatStr("%.*lf", v.decimals, v.value));
  }
  if (text.find("#ncs") != std::string::npos && !rec.KNO[0].empty()) {
    if (const Farmer* farmer = FindFarmer(rec.KNO[0])) ReplaceLinkParams(text, "#ncs", farmer->cs);
  }
  const bool limits =
      text.find("#xzx") != std::string::npos || text.find("#xzs") != std::string::npos;
  if (limits && !rec.KNO[1].empty()) {
    if (const Driver* driver = FindDriver(rec.KNO[1])) {
      text = ReplaceAll(text, "#xzx", driver->low);
      text = ReplaceAll(text, "#xzs", driver->high);
    }
  }
  const bool place =
      text.find("#ccs") != std::string::npos || text.find("#yj") != std::string::npos;
  if (place && !rec.KNO[2].empty()) {
    if (const Place* adr = FindPlace(rec.KNO[2])) {
      ReplaceLinkParams(text, "#ccs", adr->cs);
      text = ReplaceAll(text, "#yj", FormatStr("%.4lf", adr->jl));
    }
  }
  return text;
}

const CTsgbItemCalc::Farmer* CTsgbItemCalc::FindFarmer(const std::string& code) {
  return Cached(m_farmers, code, [&]() -> std::optional<Farmer> {
    CNH farmer(m_db, code);
    if (farmer.Load(0) <= 0) return std::nullopt;
    return Farmer{{farmer.cs[0], farmer.cs[1], farmer.cs[2], farmer.cs[3]}};
  });
}

const CTsgbItemCalc::Driver* CTsgbItemCalc::FindDriver(const std::string& code) {
  return Cached(m_drivers, code, [&]() -> std::optional<Driver> {
    CTsDriverRec driver;
    if (TsDriverLoad(driver, code, m_db) <= 0) return std::nullopt;
    return Driver{LoadLimit(driver.WG0, "-1000000000"), LoadLimit(driver.WG1, "1000000000")};
  });
}

const CTsgbItemCalc::Place* CTsgbItemCalc::FindPlace(const std::string& code) {
  return Cached(m_places, code, [&]() -> std::optional<Place> {
    CTsAdrRec adr;
    if (TsAdrLoad(adr, code, m_db) <= 0) return std::nullopt;
    return Place{{adr.cs[0], adr.cs[1], adr.cs[2], adr.cs[3]}, adr.jl};
  });
}

void CTsgbRec::Reprice(bool add, int kind, double price, const std::string& code, CSmDatabase* db) {
  CSmWaitWnd wait;
  CTsgbRec scratch;
  std::vector<CTsgbRec> tickets;
  scratch.Select(TsgbPricedWhere(kind, code, db), {}, tickets, db);
  for (CTsgbRec& ticket : tickets) {
    // Delete and insert stand or fall together: a failed insert leaves the ticket as it was,
    // and a ticket another station removed meanwhile is not brought back.
    SmRunInTransaction(db, [&] {
      if (!TsgbDelete(3, ticket.DH, db) || db->RowsChanged() == 0) return false;
      ticket.SetPrice(add, kind, price, db);
      return ticket.Insert(db) == 1;
    });
  }
}
