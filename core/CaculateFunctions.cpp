// The functions every formula can call without a derived evaluator.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "core/Caculate.h"
#include "core/CaculateText.h"
#include "core/SmDate.h"
#include "core/SmGbk.h"
#include "core/SmNumber.h"
#include "core/SmString.h"

using caculate_text::PlainNumber;
using caculate_text::ReadNumber;
using caculate_text::WriteFixed6;

namespace {

const char* const kMathNames[] = {"abs",    "absz",   "absf",  "sign", "sqrt", "exp",
                                  "ln",     "log",    "sin",   "cos",  "tg",   "ctg",
                                  "arcsin", "arccos", "arctg", "int"};

// The value of a mathematical function; false when x lies outside its domain.
bool MathValue(const std::string& name, double x, double& r) {
  const bool belowZero = x < -0.000001;
  if (name == "abs") r = std::fabs(x);
  if (name == "absz") r = (x + std::fabs(x)) / 2;
  if (name == "absf") r = (std::fabs(x) - x) / 2;
  if (name == "sign") r = SignOf(x);
  if (name == "sqrt") {
    if (belowZero) return false;
    r = std::sqrt(std::max(x, 0.0));  // a tiny negative inside the tolerance counts as zero
  }
  if (name == "exp") r = std::exp(x);
  if (name == "ln" || name == "log") {
    if (belowZero) return false;
    r = name == "ln" ? std::log(x) : std::log10(x);
  }
  if (name == "sin") r = std::sin(x);
  if (name == "cos") r = std::cos(x);
  if (name == "tg") r = std::tan(x);
  if (name == "ctg") r = 1 / std::tan(x);
  if (name == "arcsin") r = std::asin(x);
  if (name == "arccos") r = std::acos(x);
  if (name == "arctg") r = std::atan(x);
  if (name == "int") r = std::trunc(x);
  // ln(0), ctg(0), arcsin(2) and overflows have no finite value.
  return std::isfinite(r);
}

// A whole number of int range, truncated toward zero.
int ClampToInt(double x) {
  if (!(x > -2147483648.0)) return x < 0 ? -2147483647 - 1 : 0;
  if (x >= 2147483647.0) return 2147483647;
  return static_cast<int>(x);
}

// A number text read as a whole number, clamped to int: 0 when none can be read.
int ReadInt(const std::string& text) {
  long long value = 0;
  if (std::sscanf(text.c_str(), "%lld", &value) != 1) return 0;
  return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

// The most decimals rounding gives exactly (it nudges by 1e-10 against binary fractions);
// beyond them a round would only build long, wrong texts.
constexpr int kMaxDecimals = 9;
// The widest text a field takes.
constexpr long kMaxTextWidth = 32767;

}  // namespace

bool CCaculate::IsMathFunction(const std::string& name) {
  for (const char* math : kMathNames)
    if (name == math) return true;
  return false;
}

bool CCaculate::ArgValue(const std::string& args, int n, std::string& value, int& type) {
  int start = 0;
  int end = 0;
  return EvalSubExpr(GetArg(args, n, start, end), value, &type, false, 0);
}

bool CCaculate::ArgNumber(const std::string& args, int n, double& value) {
  int start = 0;
  int end = 0;
  return TextNumber(GetArg(args, n, start, end), value);
}

bool CCaculate::TextNumber(const std::string& arg, double& value) {
  std::string text;
  if (!EvalSubExpr(arg, text, nullptr, true, 0)) return false;
  value = ReadNumber(text);
  return true;
}

bool CCaculate::ArgInt(const std::string& args, int n, int& value) {
  int start = 0;
  int end = 0;
  std::string text;
  if (!EvalSubExpr(GetArg(args, n, start, end), text, nullptr, true, 0)) return false;
  value = ReadInt(text);
  return true;
}

bool CCaculate::CallFunction(std::string& result, int& type) {
  type = CAC_NUMBER;
  result.clear();
  const std::string& token = m_sToken;
  const size_t open = token.find_first_of("([");
  const std::string name = token.substr(0, open);
  // The token ends with the bracket that closes the first one.
  const std::string args = token.substr(open + 1, token.size() - open - 2);
  if (!IsValidName(name)) {
    SetError(CAC_ERR_NAME_CHAR);
    return false;
  }
  if (IsMathFunction(name)) return CallMath(name, args, result);
  if (name == "iif") return CallIif(args, result, type);
  if (name == "caseif" || name == "caseone")
    return EvalCaseFunction(name == "caseif", args, result);
  if (name == "strrepl") return CallStrRepl(args, result, type);
  if (name == "formatcode") return CallFormatCode(args, result, type);
  if (name == "round") return CallRound(args, result);
  if (name == "len" || name == "val") return CallLenVal(name == "len", args, result);
  if (name == "str" || name == "left" || name == "right")
    return CallSubText(name, args, result, type);
  if (name == "trim" || name == "triml" || name == "trimr")
    return CallTrim(name, args, result, type);
  if (name == "date") return CallDate(args, result, type);
  if (name == "day") return CallDay(args, result);
  if (name == "money" || name == "num" || name == "changeday")
    return CallWords(name, args, result, type);
  return EvalFunction(name, args, result, type) != 0;
}

bool CCaculate::CallMath(const std::string& name, const std::string& args, std::string& result) {
  double x = 0;
  if (!CheckArgCount(args, 1) || !ArgNumber(args, 0, x)) return false;
  double r = 0;
  if (!MathValue(name, x, r)) {
    SetError(CAC_ERR_DOMAIN);
    return false;
  }
  result = WriteFixed6(r);
  return true;
}

bool CCaculate::CallIif(const std::string& args, std::string& result, int& type) {
  if (!CheckArgCount(args, 3)) return false;
  int start = 0;
  int end = 0;
  const std::string conditionText = GetArg(args, 0, start, end);
  if (!IsNotBlank(conditionText)) {
    SetError(CAC_ERR_TOO_FEW_ARGS);
    return false;
  }
  double condition = 0;
  if (!TextNumber(conditionText, condition)) return false;
  const std::string chosen = GetArg(args, std::fabs(condition) > 0.0000001 ? 1 : 2, start, end);
  if (!IsNotBlank(chosen)) {
    SetError(CAC_ERR_TOO_FEW_ARGS);
    return false;
  }
  return EvalSubExpr(chosen, result, &type, false, 0);
}

bool CCaculate::EvalCaseFunction(bool tiered, const std::string& args, std::string& result) {
  const int count = CountArgs(args);
  if (count == 0) {
    result.assign(1, '0');
    return true;
  }
  if (count % 2 == 0) {
    SetError(CAC_ERR_TOO_FEW_ARGS);
    return false;
  }
  std::vector<double> v(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i)
    if (!ArgNumber(args, i, v[static_cast<size_t>(i)])) return false;
  const double x = v[0];
  const size_t k = static_cast<size_t>(count - 1) / 2;
  auto t = [&](size_t i) { return v[i]; };      // threshold i, from 1
  auto r = [&](size_t i) { return v[k + i]; };  // rate i, from 1
  double value = x;
  if (k > 0) {
    value = 0;
    for (size_t i = 1; i <= k; ++i) {
      if (i == k) {
        value = tiered ? value + (x - t(k)) * r(k) : r(k);
        break;
      }
      if (tiered) value += (std::min(x, t(i + 1)) - t(i)) * r(i);
      if (!(x > t(i + 1))) {
        if (!tiered) value = r(i);
        break;
      }
    }
  }
  result = WriteFixed6(value);
  return true;
}

bool CCaculate::CallStrRepl(const std::string& args, std::string& result, int& type) {
  if (!CheckArgCount(args, 3)) return false;
  int start = 0;
  int end = 0;
  if (!IsNotBlank(GetArg(args, 1, start, end))) {
    SetError(CAC_ERR_TOO_FEW_ARGS);
    return false;
  }
  std::string text;
  std::string search;
  std::string replacement;
  int t = 0;
  if (!ArgValue(args, 0, text, t) || !ArgValue(args, 1, search, t) ||
      !ArgValue(args, 2, replacement, t))
    return false;
  result = ReplaceAll(text, search, replacement);
  type = CAC_STRING;
  return true;
}

// Fails without an error code on a text wider than the width, a pad that is not one byte
// wide, or a width that is not a number.
bool CCaculate::CallFormatCode(const std::string& args, std::string& result, int& type) {
  if (!CheckArgRange(args, 2, 3)) return false;
  std::string text;
  std::string widthText;
  std::string pad = "0";
  int t = 0;
  int widthType = 0;
  if (!ArgValue(args, 0, text, t) || !ArgValue(args, 1, widthText, widthType)) return false;
  if (CountArgs(args) == 3 && !ArgValue(args, 2, pad, t)) return false;
  if (widthType != CAC_NUMBER || GbkSize(pad) != 1) return false;
  const long width = ClampToInt(ReadNumber(widthText));
  if (width > kMaxTextWidth) {
    SetError(CAC_ERR_ARG_RANGE);
    return false;
  }
  const long size = static_cast<long>(GbkSize(text));
  if (size > width) return false;
  result.clear();
  for (long i = size; i < width; ++i) result += pad;
  result += text;
  type = CAC_STRING;
  return true;
}

bool CCaculate::CallRound(const std::string& args, std::string& result) {
  if (!CheckArgRange(args, 1, 3)) return false;
  const int count = CountArgs(args);
  double x = 0;
  int minDec = 0;
  if (!ArgNumber(args, 0, x)) return false;
  if (count > 1 && !ArgInt(args, 1, minDec)) return false;
  int maxDec = minDec;
  if (count > 2 && !ArgInt(args, 2, maxDec)) return false;
  if (minDec > kMaxDecimals || maxDec > kMaxDecimals) {
    SetError(CAC_ERR_ARG_RANGE);
    return false;
  }
  result = ReplaceAll(FormatNumber(x, 0, minDec, maxDec, false, ""), ",", "");
  return true;
}

bool CCaculate::CallLenVal(bool isLen, const std::string& args, std::string& result) {
  std::string value;
  int type = 0;
  if (!CheckArgCount(args, 1) || !ArgValue(args, 0, value, type)) return false;
  if (!isLen) {
    result = PlainNumber(ReadNumber(value));
    return true;
  }
  if (type == CAC_NUMBER) value = PlainNumber(ReadNumber(value));
  result = std::to_string(GbkSize(value));
  return true;
}

// str, left and right; positions and lengths count bytes of the system code page.
bool CCaculate::CallSubText(const std::string& name, const std::string& args, std::string& result,
                            int& type) {
  if (!CheckArgRange(args, 1, name == "str" ? 3 : 2)) return false;
  const int count = CountArgs(args);
  std::string text;
  int textType = 0;
  if (!ArgValue(args, 0, text, textType)) return false;
  type = CAC_STRING;
  if (count == 1) {
    result = name == "str" && textType == CAC_NUMBER ? PlainNumber(ReadNumber(text)) : text;
    return true;
  }
  int first = 0;
  if (!ArgInt(args, 1, first)) return false;
  const size_t size = GbkSize(text);
  const size_t n = static_cast<size_t>(std::max(first, 0));
  if (name == "left") {
    result = GbkCut(text, n);
  } else if (name == "right") {
    result = n >= size ? text : GbkMid(text, size - n);
  } else {
    int countBytes = -1;
    if (count == 3 && !ArgInt(args, 2, countBytes)) return false;
    if (count == 3 && countBytes < 0) countBytes = 0;
    result = countBytes < 0 ? GbkMid(text, n) : GbkMid(text, n, static_cast<size_t>(countBytes));
  }
  return true;
}

bool CCaculate::CallTrim(const std::string& name, const std::string& args, std::string& result,
                         int& type) {
  std::string text;
  int t = 0;
  if (!CheckArgCount(args, 1) || !ArgValue(args, 0, text, t)) return false;
  static const char* const kBlanks = " \t\r\n";
  if (name == "trim") {
    result = TrimChars(text, " \n\t\r\n");
  } else if (name == "triml") {
    const size_t first = text.find_first_not_of(kBlanks);
    result = first == std::string::npos ? "" : text.substr(first);
  } else {
    const size_t last = text.find_last_not_of(kBlanks);
    result = last == std::string::npos ? "" : text.substr(0, last + 1);
  }
  type = CAC_STRING;
  return true;
}

// Today in local time: "yyyymmdd" without an argument, else its year (0), month (1) or day.
bool CCaculate::CallDate(const std::string& args, std::string& result, int& type) {
  if (!CheckArgRange(args, 0, 1)) return false;
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  const int year = local.tm_year + 1900;
  const int month = local.tm_mon + 1;
  if (CountArgs(args) == 0) {
    result = std::to_string(year * 10000 + month * 100 + local.tm_mday);
    type = CAC_STRING;
    return true;
  }
  double n = 0;
  if (!ArgNumber(args, 0, n)) return false;
  const int part = ClampToInt(n);
  result = std::to_string(part == 0 ? year : part == 1 ? month : local.tm_mday);
  return true;
}

bool CCaculate::CallDay(const std::string& args, std::string& result) {
  int year = 0;
  int month = 0;
  if (!CheckArgCount(args, 2) || !ArgInt(args, 0, year) || !ArgInt(args, 1, month)) return false;
  if (year < 0) {
    SetError(CAC_ERR_MONTH_END_YEAR);
    return false;
  }
  if (month < 1 || month > 12) {
    SetError(CAC_ERR_MONTH_END_MONTH);
    return false;
  }
  result = std::to_string(DaysInMonth(year, month));
  return true;
}

// money, num and changeday: amounts, numerals and dates in Chinese.
bool CCaculate::CallWords(const std::string& name, const std::string& args, std::string& result,
                          int& type) {
  std::string value;
  int t = 0;
  if (!CheckArgCount(args, 1) || !ArgValue(args, 0, value, t)) return false;
  if (name == "money") result = AmountInWords(StrToDouble(value));
  if (name == "num") result = ChineseDigits(ClampToInt(ReadNumber(value)));
  if (name == "changeday") result = DateToChineseText(value, "");
  type = CAC_STRING;
  return true;
}
