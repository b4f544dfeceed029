#include "core/CaculateText.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/SmNumber.h"

namespace caculate_text {

namespace {

// Room for "%f" of any double: 309 integer digits, the point, six decimals and a sign.
constexpr size_t kFixedRoom = 400;

// The value as "%.6f" writes it (to_chars gives the same correctly rounded digits).
std::string_view Fixed6(double value, char (&buf)[kFixedRoom]) {
  const auto [end, ec] = std::to_chars(buf, buf + kFixedRoom, value, std::chars_format::fixed, 6);
  return ec == std::errc() ? std::string_view(buf, static_cast<size_t>(end - buf))
                           : std::string_view();
}

// A six-decimal text read back; 0 for what is no number text ("inf", "nan").
double ReadFixed6(std::string_view text) {
  if (text.empty() || !IsNumberText(text, -1, -1)) return 0;
  double value = 0;
  const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  (void)ptr;
  return ec == std::errc() ? value : 0;
}

}  // namespace

double ReadNumber(std::string_view text) {
  // strtod needs a terminated text: short ones are copied to the stack.
  char small[64];
  std::string large;
  const char* p = small;
  if (text.size() < sizeof small) {
    std::memcpy(small, text.data(), text.size());
    small[text.size()] = '\0';
  } else {
    large.assign(text);
    p = large.c_str();
  }
  char* end = nullptr;
  const double v = std::strtod(p, &end);
  return end == p ? 0.0 : v;
}

std::string PlainNumber(double value) {
  // A whole number well inside the exact range of a double prints as its digits.
  if (value != 0 && std::fabs(value) < 1e15 && value == std::trunc(value))
    return std::to_string(static_cast<long long>(value));
  // NumberToPlainText's steps without printf: round to six decimals (a nudge away from zero
  // first), read back, write again with its trailing zeros dropped; zero is the empty text.
  char buf[kFixedRoom];
  const double rounded = ReadFixed6(Fixed6(value + (value < 0 ? -1e-10 : 1e-10), buf));
  const double shown = ReadFixed6(Fixed6(rounded, buf));
  if (SignOf(shown) == 0) return {};
  std::string_view digits = Fixed6(std::fabs(shown), buf);
  while (digits.back() == '0') digits.remove_suffix(1);
  if (digits.back() == '.') digits.remove_suffix(1);
  std::string text;
  text.reserve(digits.size() + 1);
  if (shown < 0) text += '-';
  text += digits;
  return text;
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
