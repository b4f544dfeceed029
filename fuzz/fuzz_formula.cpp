// Formulas as the evaluator reads them from cells, report files and the calculator field: every
// formula ends in a value or in one of the evaluator's errors with its text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/Caculate.h"
#include "fuzz/SmFuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string formula(reinterpret_cast<const char*>(data), size);
  CCaculate calc;
  std::string result;
  int type = 0;
  // Some failures carry no code by design (formatcode's): every one gives its text.
  if (!calc.Evaluate(formula, result, type)) {
    int code = 0;
    int position = 0;
    std::string message;
    calc.GetErrorInfo(code, message, position);
  }
  double value = 0;
  calc.EvalDouble(formula, value);
  SmFuzzResetMessages();
  return 0;
}
