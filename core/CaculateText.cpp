#include "core/CaculateText.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace caculate_text {

namespace {

std::string Printf(const char* format, int decimals, double value) {
  char buf[400];
  const int n = std::snprintf(buf, sizeof buf, format, decimals, value);
  if (n >= 0 && n < static_cast<int>(sizeof buf)) return std::string(buf, n);
  std::string big(static_cast<size_t>(n) + 1, '\0');
  std::snprintf(big.data(), big.size(), format, decimals, value);
  big.resize(static_cast<size_t>(n));
  return big;
}

std::string PadLeft(const std::string& text, int width) {
  if (static_cast<int>(text.size()) >= width) return text;
  return std::string(static_cast<size_t>(width) - text.size(), ' ') + text;
}

}  // namespace

double ReadNumber(std::string_view text) {
  std::string s(text);
  const char* p = s.c_str();
  char* end = nullptr;
  const double v = std::strtod(p, &end);
  return end == p ? 0.0 : v;
}

std::string WriteFixed6(double value) {
  if (value == 0) value = 0;  // no "-0.000000"
  return Printf("%.*f", 6, value);
}

int SignOf(double value) {
  if (value > 0.0000001) return 1;
  if (value < -0.0000001) return -1;
  return 0;
}

bool IsNumberText(std::string_view text) {
  size_t i = 0;
  if (!text.empty() && text[0] == '-') i = 1;
  bool point = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '.') {
      if (point) return false;
      point = true;
    } else if (c < '0' || c > '9') {
      return false;
    }
  }
  return true;
}

double StrToDouble(std::string_view text) {
  return IsNumberText(text) ? ReadNumber(text) : 0.0;
}

double RoundTo(double value, int decimals) {
  if (decimals < 0) return value;
  value += value < 0 ? -1e-10 : 1e-10;
  return ReadNumber(Printf("%.*f", decimals, value));
}

std::string FormatNumber(double value, int width, int minDec, int maxDec, bool showZero,
                         const std::string& prefix) {
  std::string result;
  if (showZero && std::fabs(value) < 1e-7) {
    result = Printf("%.*f", minDec, value);
    if (width != 0) result = PadLeft(result, std::abs(width));
  } else {
    width = std::abs(width);
    if (minDec < 0) minDec = 0;
    if (maxDec < minDec) maxDec = minDec;
    value = StrToDouble(Printf("%.*f", maxDec, RoundTo(value, maxDec)));
    const int sign = SignOf(value);
    if (sign == 0) {
      result = std::string(static_cast<size_t>(width), ' ');
    } else {
      std::string text = Printf("%.*f", maxDec, std::fabs(value));
      const size_t point = text.find('.');
      const int intDigits = static_cast<int>(point == std::string::npos ? text.size() : point);
      int shown = maxDec;
      while (shown > minDec && text.back() == '0') {
        text.pop_back();
        --shown;
      }
      if (!text.empty() && text.back() == '.') text.pop_back();
      const int minus = sign < 0 ? 1 : 0;
      const int separators = (intDigits - 1) / 3;
      const int len = static_cast<int>(text.size());
      if (width > 0 && width < len + minus) {
        result = std::string(static_cast<size_t>(width), '*');
      } else if (width > 0 && width < len + separators + minus) {
        result = PadLeft(text, width);
        if (minus) result[result.size() - text.size() - 1] = '-';
      } else {
        std::string grouped = minus ? "-" : "";
        for (int i = 0; i < len; ++i) {
          const int after = intDigits - i;
          if (i > 0 && i < intDigits && after % 3 == 0) grouped += ',';
          grouped += text[static_cast<size_t>(i)];
        }
        result = PadLeft(grouped, width);
      }
    }
  }
  if (!prefix.empty() && !TrimChars(result).empty()) result = prefix + TrimChars(result);
  return result;
}

std::string NumberToPlainText(double value) {
  std::string text = FormatNumber(value, 0, 0, 6, false, "");
  std::string out;
  out.reserve(text.size());
  for (char c : text)
    if (c != ',') out += c;
  return out;
}

std::string TrimChars(std::string_view text, std::string_view set) {
  const size_t first = text.find_first_not_of(set);
  if (first == std::string_view::npos) return "";
  const size_t last = text.find_last_not_of(set);
  return std::string(text.substr(first, last - first + 1));
}

std::string ReplaceAll(std::string text, const std::string& search, const std::string& repl) {
  if (search.empty()) return text;
  for (size_t pos = text.find(search); pos != std::string::npos;
       pos = text.find(search, pos + repl.size()))
    text.replace(pos, search.size(), repl);
  return text;
}

int DaysInMonth(int year, int month) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return -1;
  if (month == 2 && year % 4 == 0 && (year % 100 != 0 || year % 400 == 0)) return 29;
  return days[month - 1];
}

namespace {

std::string CapitalNumeral(int digit, int position) {
  static const char* const digits[] = {"", "壹", "贰", "叁", "肆", "伍", "陆", "柒", "捌", "玖"};
  static const char* const units[] = {"分", "角", "元", "拾", "佰", "仟", "万",
                                      "拾", "佰", "仟", "亿", "拾", "佰", "仟"};
  if (position < -2 || position > 11 || digit < 0 || digit > 9) return "";
  std::string text = digits[digit];
  if (digit != 0 || position % 4 == 0) text += units[position + 2];
  return text;
}

}  // namespace

std::string AmountInWords(double amount) {
  std::string result = amount < -0.009 ? "负" : "";
  const double magnitude = std::fabs(amount);
  if (magnitude < 0.005) return "零元整";
  std::string digits = Printf("%.*f", 2, magnitude);
  digits.erase(digits.find('.'), 1);
  const int n = static_cast<int>(digits.size());
  bool written = false;
  bool zeroBefore = false;
  for (int i = 0; i < n; ++i) {
    const int digit = digits[static_cast<size_t>(i)] - '0';
    if (digit == 0 && !written) continue;
    if (digit != 0 && zeroBefore && written) result += "零";
    result += CapitalNumeral(digit, n - i - 3);
    written = true;
    zeroBefore = digit == 0;
  }
  result = ReplaceAll(result, "亿万", "亿");
  if (digits.back() == '0') result += "整";
  return result;
}

std::string ChineseDigits(int value) {
  static const char* const names[] = {"○", "一", "二", "三", "四", "五", "六", "七", "八", "九"};
  std::string result;
  for (char c : std::to_string(value))
    result += std::isdigit(static_cast<unsigned char>(c)) ? names[c - '0'] : std::string(1, c);
  return result;
}

std::string DateToChineseText(const std::string& date) {
  if (date.empty()) return "";
  std::string result = date.substr(0, 4) + "年";
  if (date.size() > 4) result += date.substr(4, 2) + "月";
  if (date.size() > 6) result += date.substr(6) + "日";
  return result;
}

}  // namespace caculate_text
