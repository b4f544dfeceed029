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

// A whole number well inside the exact range of a double: its text is its digits.
bool IsSmallWhole(double value) {
  return value != 0 && std::fabs(value) < 1e15 && value == std::trunc(value);
}

// NumberToPlainText rounds the value, nudged away from zero, to six decimals. Below 1e9 a
// millionth is far wider than the spacing of doubles, so the rounding can be done on the value
// scaled by 1e6: the product is off by at most 1/16, and unless it lies within 0.4 of a half
// its nearest whole number is the count of millionths the digits would show. Near a half the
// digits decide (false).
bool RoundedMillionths(double value, double& millionths) {
  const double nudged = value + (value < 0 ? -1e-10 : 1e-10);
  if (!(std::fabs(nudged) < 1e9)) return false;
  const double scaled = nudged * 1e6;
  millionths = std::round(scaled);
  return std::fabs(scaled - millionths) < 0.4;
}

// The plain text of a count of millionths: trailing zeros dropped, zero as the empty text.
std::string MillionthsText(double millionths) {
  if (millionths == 0) return {};
  const auto count = static_cast<unsigned long long>(std::fabs(millionths));
  char buf[32];
  char* p = buf;
  if (millionths < 0) *p++ = '-';
  p = std::to_chars(p, buf + sizeof buf, count / 1000000).ptr;
  unsigned long long fraction = count % 1000000;
  if (fraction != 0) {
    int digits = 6;
    while (fraction % 10 == 0) {
      fraction /= 10;
      --digits;
    }
    *p++ = '.';
    char* const end = p + digits;
    for (char* d = end; d != p; fraction /= 10) *--d = static_cast<char>('0' + fraction % 10);
    p = end;
  }
  return std::string(buf, static_cast<size_t>(p - buf));
}

// Powers of ten that a double holds exactly.
constexpr double kExactPow10[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                  1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// "[-]digits[.digits]" with at most 15 digits: the digits and the power of ten are exact
// doubles, so their one division is the correctly rounded value strtod gives.
bool ReadShortDecimal(std::string_view text, double& value) {
  size_t i = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (negative) i = 1;
  unsigned long long digits = 0;
  int count = 0;
  int decimals = -1;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '.' && decimals < 0) {
      decimals = 0;
      continue;
    }
    if (c < '0' || c > '9' || ++count > 15) return false;
    digits = digits * 10 + static_cast<unsigned>(c - '0');
    if (decimals >= 0) ++decimals;
  }
  if (count == 0) return false;
  double v = static_cast<double>(digits);
  if (decimals > 0) v /= kExactPow10[decimals];
  value = negative ? -v : v;
  return true;
}

}  // namespace

double ReadNumber(std::string_view text) {
  double quick = 0;
  if (ReadShortDecimal(text, quick)) return quick;
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
  if (IsSmallWhole(value)) return std::to_string(static_cast<long long>(value));
  double millionths = 0;
  if (RoundedMillionths(value, millionths)) return MillionthsText(millionths);
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

double PlainValue(double value) {
  if (IsSmallWhole(value)) return value;
  double millionths = 0;
  // The count and 1e6 are exact doubles: their quotient is the nearest double to the digits.
  if (RoundedMillionths(value, millionths)) return millionths == 0 ? 0.0 : millionths / 1e6;
  return ReadNumber(PlainNumber(value));
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
