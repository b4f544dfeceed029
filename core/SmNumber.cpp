#include "core/SmNumber.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "core/SmString.h"

namespace {

const char* const kBlankAndLineChars = " \n\t\r\n";

// Integer part of a number text that passed IsNumberText, clamped to [low, high]; 0 when it has
// no digits.
long long ReadIntegerPart(std::string_view text, long long low, long long high) {
  const bool negative = text.starts_with('-');
  if (negative) text.remove_prefix(1);
  constexpr unsigned long long kCap = 1ULL << 63;  // beyond every range we clamp to
  unsigned long long magnitude = 0;
  for (char c : text) {
    if (c == '.') break;
    if (magnitude > (kCap - 9) / 10) {
      magnitude = kCap;
      break;
    }
    magnitude = magnitude * 10 + static_cast<unsigned>(c - '0');
  }
  if (negative) {
    const unsigned long long lowMagnitude = static_cast<unsigned long long>(-(low + 1)) + 1;
    return magnitude >= lowMagnitude ? low : -static_cast<long long>(magnitude);
  }
  return magnitude >= static_cast<unsigned long long>(high) ? high
                                                            : static_cast<long long>(magnitude);
}

}  // namespace

namespace {

constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// A whole number of 10^-decimals below 2^52 of them: its nearest double prints with
// `decimals` decimals as that number, and the text reads back as the same double.
bool ReadsBackAsItself(double rounded, int decimals) {
  return decimals >= 0 && decimals < static_cast<int>(std::size(kPowersOfTen)) &&
         std::fabs(rounded) * kPowersOfTen[decimals] < 0x1p52;
}

}  // namespace

// The result is what printing the nudged value with `decimals` decimals and reading the text
// back gives, bit for bit, without the text: the print rounds the exact product of the value
// and 10^decimals to the nearest integer (an exact half to the even one) and the read divides
// that integer by 10^decimals, correctly rounded, as one division of two exact doubles does.
// Products too large for a double's whole numbers, and powers of ten a double cannot hold, go
// through the text.
double RoundTo(double value, int decimals) {
  if (decimals < 0) return value;
  const double nudged = value + (value < 0 ? -1e-10 : 1e-10);
  if (decimals < static_cast<int>(std::size(kPowersOfTen))) {
    const double scale = kPowersOfTen[decimals];
    const double product = nudged * scale;
    if (std::fabs(product) < 0x1p52) {
      const double error = std::fma(nudged, scale, -product);  // product + error is exact
      const double whole = std::floor(product);
      const double fraction = product - whole;  // exact; the error is at most a quarter
      bool up = false;
      if (fraction >= 0.25) {
        const double beyondHalf = (fraction - 0.5) + error;  // its sign is exact
        up = beyondHalf > 0 || (beyondHalf == 0 && std::fmod(whole, 2) != 0);
      }
      return std::copysign((up ? whole + 1 : whole) / scale, nudged);
    }
  }
  return PrintedValue(nudged, decimals);
}

double StrToDouble(std::string_view text) {
  if (!IsNumberText(text, -1, -1)) return 0;
  double value = 0;
  const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  (void)ptr;
  return ec == std::errc() ? value : 0;
}

double PrintedValue(double value, int decimals) {
  if (value == 0) return value;  // "0.00" or "-0.00": itself
  char text[64];                 // the numbers of rows; a longer one goes the long way
  const int length = std::snprintf(text, sizeof text, "%.*lf", decimals, value);
  if (length < 0 || length >= static_cast<int>(sizeof text))
    return StrToDouble(FormatStr("%.*lf", decimals, value));
  return StrToDouble(std::string_view(text, static_cast<size_t>(length)));
}

namespace {

// The digits "%.*lf" prints for a magnitude that is a whole number of 10^-decimals (as RoundTo
// gives it), written from that whole number; empty when it is too large to be sure of it. Below
// 2^50 the product is within a quarter of the whole number, however both roundings fall.
std::string WholeUnitsDigits(double magnitude, int decimals) {
  if (decimals >= static_cast<int>(std::size(kPowersOfTen))) return {};
  const double units = magnitude * kPowersOfTen[decimals];
  if (!(units < 0x1p50)) return {};
  char buffer[24];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, std::llround(units));
  if (ec != std::errc()) return {};
  std::string digits(buffer, end);
  const auto places = static_cast<size_t>(decimals);
  if (places == 0) return digits;
  if (digits.size() <= places) digits.insert(0, places + 1 - digits.size(), '0');
  digits.insert(digits.size() - places, 1, '.');
  return digits;
}

// The magnitude with `maxDecimals` decimals, trailing zeros dropped down to `minDecimals`, and
// the number of its integer digits.
std::string DisplayDigits(double magnitude, int minDecimals, int maxDecimals, size_t& intDigits) {
  std::string digits = WholeUnitsDigits(magnitude, maxDecimals);
  if (digits.empty()) digits = FormatStr("%.*lf", maxDecimals, magnitude);
  const size_t dot = digits.find('.');
  intDigits = dot == std::string::npos ? digits.size() : dot;
  if (dot == std::string::npos) return digits;
  while (digits.size() - dot - 1 > static_cast<size_t>(minDecimals) && digits.back() == '0')
    digits.pop_back();
  if (digits.back() == '.') digits.pop_back();
  return digits;
}

// The digits with their sign fitted into `width` (0: unaligned): grouped by thousands when there
// is room, ungrouped when only that fits, "*" times the width when not even that fits.
std::string FitDigits(const std::string& digits, size_t intDigits, bool negative, int width) {
  const size_t minus = negative ? 1 : 0;
  const size_t separators = (intDigits - 1) / 3;
  const auto w = static_cast<size_t>(width);
  if (w > 0 && w < digits.size() + minus) return std::string(w, '*');
  if (w > 0 && w < digits.size() + separators + minus) {
    std::string result = FormatStr("%*s", width, digits.c_str());
    if (negative) result[result.size() - digits.size() - 1] = '-';
    return result;
  }
  std::string grouped = negative ? "-" : "";
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && i < intDigits && (intDigits - i) % 3 == 0) grouped += ',';
    grouped += digits[i];
  }
  return width > 0 ? FormatStr("%*s", width, grouped.c_str()) : grouped;
}

// The sign of the value rounded to `maxDecimals` (0 when it rounds to nothing) and, unless 0,
// its display digits and the number of their integer digits.
int RoundedDigits(double value, int minDecimals, int maxDecimals, std::string& digits,
                  size_t& intDigits) {
  minDecimals = std::max(minDecimals, 0);
  maxDecimals = std::max(maxDecimals, minDecimals);
  value = RoundTo(value, maxDecimals);
  if (!ReadsBackAsItself(value, maxDecimals)) value = PrintedValue(value, maxDecimals);
  const int sign = SignOf(value);
  if (sign != 0) digits = DisplayDigits(std::fabs(value), minDecimals, maxDecimals, intDigits);
  return sign;
}

std::string FormatNumberUnprefixed(double value, int width, int minDecimals, int maxDecimals,
                                   bool showZero) {
  if (showZero && std::fabs(value) < 1e-7) {
    return width != 0 ? FormatStr("%*.*lf", width, minDecimals, value)
                      : FormatStr("%.*lf", minDecimals, value);
  }
  width = std::abs(width);
  std::string digits;
  size_t intDigits = 0;
  const int sign = RoundedDigits(value, minDecimals, maxDecimals, digits, intDigits);
  if (sign == 0) return std::string(static_cast<size_t>(width), ' ');
  return FitDigits(digits, intDigits, sign < 0, width);
}

}  // namespace

std::string FormatNumber(double value, int width, int minDecimals, int maxDecimals, bool showZero,
                         std::string_view prefix) {
  std::string result = FormatNumberUnprefixed(value, width, minDecimals, maxDecimals, showZero);
  if (!prefix.empty() && result.find_first_not_of(kBlankAndLineChars) != std::string::npos)
    result = std::string(prefix) + TrimChars(result, kBlankAndLineChars);
  return result;
}

std::string FormatNumberPlain(double value, int minDecimals, int maxDecimals) {
  std::string digits;
  size_t intDigits = 0;
  const int sign = RoundedDigits(value, minDecimals, maxDecimals, digits, intDigits);
  if (sign < 0) digits.insert(0, 1, '-');
  return digits;
}

std::string NumberToPlainText(double value) {
  return FormatNumberPlain(value, 0, 6);
}

bool IsNumberText(std::string_view text, int maxIntDigits, int maxDecimals) {
  if (text.starts_with('-')) text.remove_prefix(1);
  const size_t dot = text.find('.');
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '.' && i == dot) continue;
    if (c < '0' || c > '9') return false;
  }
  if (dot != std::string_view::npos && maxDecimals == 0) return false;
  std::string_view whole = text.substr(0, dot);
  std::string_view decimals =
      dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
  while (whole.starts_with('0')) whole.remove_prefix(1);
  while (decimals.ends_with('0')) decimals.remove_suffix(1);
  if (maxIntDigits > 0 && whole.size() > size_t(maxIntDigits)) return false;
  if (maxDecimals > 0 && decimals.size() > size_t(maxDecimals)) return false;
  return true;
}

bool IntToFixedText(int value, std::string& text, int width, bool keepZero) {
  if (value == 0 && !keepZero) {
    text.clear();
    return false;
  }
  const long long magnitude = std::llabs(static_cast<long long>(value));
  text = std::to_string(magnitude);
  bool ok = value >= 0;
  if (width < 1) return ok;
  const auto w = static_cast<size_t>(width);
  if (text.size() > w) {
    text.erase(0, text.size() - w);
    ok = false;
  }
  text.insert(0, w - text.size(), '0');
  return ok;
}

bool FixNumberText(std::string& text, int width, bool keepZero) {
  int value = 0;
  if (std::sscanf(text.c_str(), "%d", &value) != 1) value = 0;
  return IntToFixedText(value, text, width, keepZero);
}

std::string IntToFixedStr(int value, int width) {
  std::string text;
  IntToFixedText(value, text, width, true);
  return text;
}

bool StepTrailingNumber(std::string& text, bool up) {
  size_t start = text.size();
  while (start > 0 && text[start - 1] >= '0' && text[start - 1] <= '9') --start;
  if (start == text.size()) return false;
  std::string stepped = text;
  const char wrapFrom = up ? '9' : '0';
  const char wrapTo = up ? '0' : '9';
  for (size_t i = stepped.size(); i-- > start;) {
    if (stepped[i] != wrapFrom) {
      stepped[i] = static_cast<char>(stepped[i] + (up ? 1 : -1));
      text = stepped;
      return true;
    }
    stepped[i] = wrapTo;
  }
  return false;
}

bool IsValidLevelCode(std::string_view code, int maxSeparators, char separator) {
  if (code.empty()) return true;
  int separators = 0;
  for (size_t i = 0; i < code.size(); ++i) {
    const char c = code[i];
    if (c == separator) {
      if (i == 0 || i + 1 == code.size() || code[i + 1] == separator || code[i + 1] == '0')
        return false;
      ++separators;
    } else if (c < '0' || c > '9') {
      return false;
    }
  }
  return maxSeparators < 0 || separators <= maxSeparators;
}

std::string ColumnLabel(int index) {
  if (index < 0) return std::string();
  std::string label;
  for (long n = static_cast<long>(index) + 1; n > 0; n = (n - 1) / 26)
    label.insert(label.begin(), static_cast<char>('A' + (n - 1) % 26));
  return label;
}

int ColumnIndex(std::string_view letters) {
  long index = 0;
  for (char c : letters) {
    const int digit = c >= 'A' && c <= 'Z' ? c - 'A' + 1 : 1;
    index = index * 26 + digit;
    if (index > INT_MAX) return INT_MAX;
  }
  return static_cast<int>(index - 1);
}

int SignOf(double x) {
  if (x > 0.0000001) return 1;
  if (x < -0.0000001) return -1;
  return 0;
}

void FillStringArray(std::vector<std::string>& array, const std::string& value) {
  std::fill(array.begin(), array.end(), value);
}
void FillLongArray(std::vector<long>& array, long value) {
  std::fill(array.begin(), array.end(), value);
}
void FillDoubleArray(std::vector<double>& array, double value) {
  std::fill(array.begin(), array.end(), value);
}
void FillStrings(std::string* texts, int count, const std::string& value) {
  if (texts && count > 0) std::fill(texts, texts + count, value);
}
void FillInts(int* values, int count, int value) {
  if (values && count > 0) std::fill(values, values + count, value);
}

std::string ChineseDigits(int value) {
  static const char* const kDigits[] = {"○", "一", "二", "三", "四", "五", "六", "七", "八", "九"};
  std::string text;
  for (char c : std::to_string(value)) {
    if (c >= '0' && c <= '9')
      text += kDigits[c - '0'];
    else
      text += c;
  }
  return text;
}

void CapitalNumeral(int digit, int position, std::string& text) {
  static const char* const kNumerals[] = {"", "壹", "贰", "叁", "肆", "伍", "陆", "柒", "捌", "玖"};
  static const char* const kUnits[] = {"分", "角", "元", "拾", "佰", "仟", "万",
                                       "拾", "佰", "仟", "亿", "拾", "佰", "仟"};
  text.clear();
  if (position < -2 || position > 11 || digit < 0 || digit > 9) return;
  text = kNumerals[digit];
  if (digit != 0 || position % 4 == 0) text += kUnits[position + 2];
}

std::string AmountInWords(double amount) {
  std::string words = amount < -0.009 ? "负" : "";
  const double magnitude = std::fabs(amount);
  if (magnitude < 0.005) return words + "零元整";
  // Rounded like FormatNumber so that the words never disagree with the figures shown.
  const std::string digits = ReplaceAll(FormatStr("%.2lf", RoundTo(magnitude, 2)), ".", "");
  const int n = static_cast<int>(digits.size());
  bool written = false;
  for (int i = 0; i < n; ++i) {
    const int digit = digits[i] - '0';
    if (i == 0 && digit == 0) continue;
    if (digit != 0 && i > 0 && digits[i - 1] == '0' && written) words += "零";
    std::string part;
    CapitalNumeral(digit, n - i - 3, part);
    words += part;
    written = written || !part.empty();
  }
  words = ReplaceAll(words, "亿万", "亿");
  if (digits.back() == '0') words += "整";
  return words;
}

int StrToIntDef(std::string_view text, int def) {
  const std::string trimmed = TrimChars(text, kBlankAndLineChars);
  if (trimmed.empty()) return def;
  if (!IsNumberText(trimmed, -1, -1)) return 0;
  return static_cast<int>(ReadIntegerPart(trimmed, INT_MIN, INT_MAX));
}

long StrToLongDef(std::string_view text, long def) {
  const std::string trimmed = TrimChars(text, kBlankAndLineChars);
  if (trimmed.empty()) return def;
  if (!IsNumberText(trimmed, -1, -1)) return 0;
  return static_cast<long>(ReadIntegerPart(trimmed, LONG_MIN, LONG_MAX));
}
