// Rate of the formula evaluator on a ticket money formula, one million evaluations each, beside
// the floor of reading the formula once and the bare std::to_chars of one number. Through hooks
// the evaluator meets the same text again (its steps are kept); substituted, every text is new.
#include <benchmark/benchmark.h>

#include <charconv>
#include <clocale>
#include <cstdio>
#include <string>

#include "core/Caculate.h"

namespace {

constexpr const char* kFormula = "iif(#zz>0,(#mz-#pz)*#zb*0.01,0)";

// Ticket values: gross, tare, weight ratio, impurity; nested evaluators share them.
struct TicketValues {
  std::string mz, pz, zb, zz;
};

class CTicketCaculate : public CCaculate {
 public:
  const CCaculateClass* GetRuntimeClass() const override {
    static const CCaculateClass cls{"CTicketCaculate", &CreateCaculateObject<CTicketCaculate>};
    return &cls;
  }
  int EvalVariable(const std::string& name, std::string& result, int& type) override {
    if (!m_values) return CCaculate::EvalVariable(name, result, type);
    type = CAC_NUMBER;
    if (name == "#mz")
      result = m_values->mz;
    else if (name == "#pz")
      result = m_values->pz;
    else if (name == "#zb")
      result = m_values->zb;
    else if (name == "#zz")
      result = m_values->zz;
    else
      return CCaculate::EvalVariable(name, result, type);
    return 1;
  }
  void CopyContextTo(CCaculate& target) override {
    static_cast<CTicketCaculate&>(target).m_values = m_values;
  }

  const TicketValues* m_values = nullptr;
};

std::string Num(int n) {
  return std::to_string(n);
}

// Variables reach the evaluator through its hook, as on a weighing ticket.
void BM_TicketFormulaThroughHooks(benchmark::State& state) {
  TicketValues values;
  CTicketCaculate calc;
  calc.m_values = &values;
  const std::string formula = kFormula;  // callers keep their formulas as texts
  std::string result;
  int type = 0;
  int i = 0;
  for (auto _ : state) {
    values.mz = Num(30000 + i % 977);
    values.pz = Num(10000 + i % 331);
    values.zb = "98.5";
    values.zz = Num(i % 3);
    if (!calc.Evaluate(formula, result, type)) state.SkipWithError("evaluation failed");
    benchmark::DoNotOptimize(result);
    ++i;
  }
  state.SetItemsProcessed(state.iterations());
}

// The same formula with the values written into its text.
void BM_TicketFormulaSubstituted(benchmark::State& state) {
  CCaculate calc;
  std::string result;
  int type = 0;
  int i = 0;
  char formula[128];
  for (auto _ : state) {
    std::snprintf(formula, sizeof formula, "iif(%d>0,(%d-%d)*98.5*0.01,0)", i % 3, 30000 + i % 977,
                  10000 + i % 331);
    if (!calc.Evaluate(formula, result, type)) state.SkipWithError("evaluation failed");
    benchmark::DoNotOptimize(result);
    ++i;
  }
  state.SetItemsProcessed(state.iterations());
}

// The floor of an evaluator that reads the formula once: the same arithmetic on doubles and
// the result written as text with std::to_chars.
void BM_TicketFormulaParsedOnceFloor(benchmark::State& state) {
  int i = 0;
  char buf[64];
  for (auto _ : state) {
    const double zz = i % 3, mz = 30000 + i % 977, pz = 10000 + i % 331, zb = 98.5;
    const double r = zz > 0 ? (mz - pz) * zb * 0.01 : 0;
    const auto end = std::to_chars(buf, buf + sizeof buf, r, std::chars_format::fixed, 6).ptr;
    benchmark::DoNotOptimize(end);
    benchmark::DoNotOptimize(buf);
    ++i;
  }
  state.SetItemsProcessed(state.iterations());
}

// One number written with std::to_chars, as the evaluator writes each result.
void BM_BareToChars(benchmark::State& state) {
  int i = 0;
  char buf[64];
  for (auto _ : state) {
    const double r = (20000 + i % 977) * 0.985;
    const auto end = std::to_chars(buf, buf + sizeof buf, r, std::chars_format::fixed, 6).ptr;
    benchmark::DoNotOptimize(end);
    benchmark::DoNotOptimize(buf);
    ++i;
  }
  state.SetItemsProcessed(state.iterations());
}

}  // namespace

BENCHMARK(BM_TicketFormulaParsedOnceFloor)->Iterations(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BareToChars)->Iterations(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TicketFormulaThroughHooks)->Iterations(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TicketFormulaSubstituted)->Iterations(1000000)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
  std::setlocale(LC_NUMERIC, "C");
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
