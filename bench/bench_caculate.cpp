// Rate of the formula evaluator on a ticket money formula, one million evaluations each.
#include <benchmark/benchmark.h>

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
  std::string result;
  int type = 0;
  int i = 0;
  for (auto _ : state) {
    values.mz = Num(30000 + i % 977);
    values.pz = Num(10000 + i % 331);
    values.zb = "98.5";
    values.zz = Num(i % 3);
    if (!calc.Evaluate(kFormula, result, type)) state.SkipWithError("evaluation failed");
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

}  // namespace

BENCHMARK(BM_TicketFormulaThroughHooks)->Iterations(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TicketFormulaSubstituted)->Iterations(1000000)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
  std::setlocale(LC_NUMERIC, "C");
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
