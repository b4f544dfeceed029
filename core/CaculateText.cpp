#include "core/CaculateText.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "core/SmNumber.h"

namespace caculate_text {

double ReadNumber(std::string_view text) {
  const std::string s(text);
  const char* p = s.c_str();
  char* end = nullptr;
  const double v = std::strtod(p, &end);
  return end == p ? 0.0 : v;
}

std::string PlainNumber(double value) {
  // A whole number well inside the exact range of a double prints as its digits.
  if (value != 0 && std::fabs(value) < 1e15 && value == std::trunc(value))
    return std::to_string(static_cast<long long>(value));
  return NumberToPlainText(value);
}

std::string WriteFixed6(double value) {
  if (value == 0) value = 0;
  char buf[400];
  const int n = std::snprintf(buf, sizeof buf, "%f", value);
  if (n >= 0 && n < static_cast<int>(sizeof buf)) return std::string(buf, static_cast<size_t>(n));
  std::string big(static_cast<size_t>(n) + 1, '\0');
  std::snprintf(big.data(), big.size(), "%f", value);
  big.resize(static_cast<size_t>(n));
  return big;
}

}  // namespace caculate_text
