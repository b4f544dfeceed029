// Formula columns and rescaling of a 200,000-row table document, beside the same formula run
// 200,000 times through the evaluator alone. The ratio of the two is the document's overhead.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "core/SmVarCaculate.h"
#include "forms/SmDoc.h"
#include "platform/SmMessage.h"

namespace {

constexpr int kRows = 200000;
constexpr const char* kExpanded = "(#c1+#c2+#c3)*#c4/100";

// Three amounts, a rate and a computed total "#c1:3*#c4/100" shown in thousands.
class BenchDoc : public CSmDoc {
 public:
  BenchDoc() {
    nFlag = 990;
    m_kind.nNumber = 1;
  }
  void DefineColumns(CSmFormDef& def) override {
    def.InsertCol(0, 101, 1010, 0, 2, "甲/NUMBER/RIGHT");
    def.InsertCol(1, 102, 1010, 0, 2, "乙/NUMBER/RIGHT");
    def.InsertCol(2, 103, 1010, 0, 2, "丙/NUMBER/RIGHT");
    def.InsertCol(3, 104, 1010, 0, 2, "率/NUMBER/RIGHT/000");
    def.InsertCol(4, 100, 1010, 0, 2, "合计/NUMBER/RIGHT/012/-3/#c1:3*#c4/100");
  }
  void Fill() {
    m_rows.clear();
    m_rowFlags.clear();
    AddRows(kRows);
    for (int r = 0; r < kRows; ++r) {
      std::vector<std::string>& cells = m_rows[r];
      cells[0] = "1," + std::to_string(100 + r % 900) + ".5";
      cells[1] = std::to_string(r % 97);
      cells[2] = std::to_string(r % 13) + ".25";
      cells[3] = "12";
    }
  }
};

std::vector<std::vector<std::string>> RowValues() {
  BenchDoc doc;
  doc.LoadFormDef();
  doc.Fill();
  std::vector<std::vector<std::string>> rows;
  for (const auto& cells : doc.m_rows) {
    std::string first = cells[0];
    first.erase(1, 1);  // the comma, as the document takes it off
    rows.push_back({first, cells[1], cells[2], cells[3]});
  }
  return rows;
}

void BM_DocumentFormulaColumns(benchmark::State& state) {
  BenchDoc doc;
  doc.LoadFormDef();  // no connection: the built-in default, not stored
  for (auto _ : state) {
    state.PauseTiming();
    doc.Fill();
    state.ResumeTiming();
    doc.ComputeFormulaColumns();
    doc.RescaleNumberColumns();
    benchmark::DoNotOptimize(doc.m_rows.back()[4]);
  }
}

void BM_BareEvaluator(benchmark::State& state) {
  const auto rows = RowValues();
  for (auto _ : state) {
    CSmVarCaculate calc;
    for (int k = 1; k <= 5; ++k) calc.DeclareVariable("#c" + std::to_string(k), "", CAC_NUMBER);
    std::string result;
    int type = CAC_NUMBER;
    for (const auto& values : rows) {
      for (int k = 0; k < 4; ++k) calc.SetVariableValue(k, values[k]);
      calc.Evaluate(kExpanded, result, type);
      benchmark::DoNotOptimize(result);
    }
  }
}

BENCHMARK(BM_DocumentFormulaColumns)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_BareEvaluator)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  CSmMessageService::Instance().SetTestMode(true);  // the default cannot be stored: no boxes
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
