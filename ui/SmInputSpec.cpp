#include "ui/SmInputSpec.h"

#include <cstdlib>

#include "core/SmDate.h"
#include "core/SmGbk.h"
#include "core/SmNumber.h"
#include "core/SmString.h"

namespace {

bool StartsWith(const std::string& s, const std::string& head) {
  return s.rfind(head, 0) == 0;
}

std::string TrimLeft(const std::string& s) {
  const size_t i = s.find_first_not_of(" \t");
  return i == std::string::npos ? std::string() : s.substr(i);
}

std::string RemoveAll(std::string s, char c) {
  std::erase(s, c);
  return s;
}

// Every character of `text` is in `cls` and none is one of `excluded`.
bool CharsAllowed(const std::string& text, const std::string& cls, const std::string& excluded) {
  if (MatchCharClass(cls, text) != 1) return false;
  return excluded.empty() || MatchCharClass(excluded, text) == -1;
}

bool ValidNumber(const std::string& text, const std::string& bounds, int limit1, int limit2) {
  if (!IsNumberText(text, limit1, limit2)) return false;
  const std::string rest = TrimLeft(bounds);
  if (rest.empty()) return true;
  const size_t blank = rest.find(' ');
  const std::string lower = rest.substr(0, blank);
  const std::string upper =
      blank == std::string::npos ? std::string() : RemoveAll(rest.substr(blank), ' ');
  const double value = std::atof(text.c_str());
  if (lower != "-") {
    const double lo = std::atof(lower.c_str());
    if (lo >= -0.0000001) {
      if (value < 0 || StartsWith(text, "-")) return false;
    } else if (value < lo) {
      return false;
    }
  }
  if (!upper.empty() && upper != "-") {
    const double hi = std::atof(upper.c_str());
    if (hi < 0 && value > 0.000001) return false;
    if (hi > 0 && value > hi) return false;
  }
  return true;
}

// A date part of `width` digits typed only as far as `typed` is accepted when some way of
// finishing it lies within [lo, hi]; a complete part must lie within them. Parts are digits of
// equal width, so text order is number order.
bool PartFits(const std::string& typed, size_t width, const std::string& lo,
              const std::string& hi) {
  const size_t missing = width - typed.size();
  return typed + std::string(missing, '9') >= lo && typed + std::string(missing, '0') <= hi;
}

// The digits of `text` from `at`, at most `width` of them (empty past the end).
std::string DatePart(const std::string& text, size_t at, size_t width) {
  return text.size() > at ? text.substr(at, width) : std::string();
}

// A date of digits, year, month and day as `parts` asks (hundreds, tens, units). A date typed key
// by key is accepted at every step: each part is checked as far as it is typed.
bool ValidDate(const std::string& text, int parts) {
  const bool hasYear = (parts / 100) % 10 != 0;
  const bool hasMonth = (parts / 10) % 10 != 0;
  const bool hasDay = parts % 10 != 0;
  const size_t maxDigits = (hasYear ? 4 : 0) + (hasMonth ? 2 : 0) + (hasDay ? 2 : 0);
  if (text.size() > maxDigits || !IsNumberText(text, static_cast<int>(maxDigits), 0)) return false;
  if (StartsWith(text, "-")) return false;
  size_t at = 0;
  int year = 2000;
  if (hasYear) {
    const std::string y = DatePart(text, at, 4);
    if (!y.empty() && !PartFits(y, 4, "1990", "9999")) return false;
    if (y.size() == 4) year = std::atoi(y.c_str());
    at += 4;
  }
  std::string month;
  if (hasMonth) {
    month = DatePart(text, at, 2);
    if (!month.empty() && !PartFits(month, 2, "01", "12")) return false;
    at += 2;
  }
  const std::string day = hasDay ? DatePart(text, at, 2) : std::string();
  if (day.empty()) return true;
  std::string lastDay = "31";
  if (month.size() == 2) {
    lastDay = std::to_string(DaysInMonth(year, std::atoi(month.c_str())));
    if (lastDay.size() < 2) lastDay.insert(0, "0");
  }
  return PartFits(day, 2, "01", lastDay);
}

}  // namespace

bool ValidateFieldText(const std::string& insertedIn, const std::string& base, int pos,
                       const std::string& specIn, int limit1, int limit2) {
  std::string spec = TrimLeft(specIn);
  std::string inserted = insertedIn;
  if (StartsWith(spec, "DOUBLE")) {
    spec = "NUMBER" + spec.substr(6);
    inserted = RemoveAll(inserted, ',');
  }
  if (inserted.empty()) return true;
  if (spec == "MDBSTRING") spec = "STRING NOT |[]'";
  if (spec.empty()) return true;

  const size_t cut = Utf8OffsetOfGbkPos(base, pos < 0 ? 0 : static_cast<size_t>(pos));
  std::string text = base.substr(0, cut) + inserted + base.substr(cut);

  if (StartsWith(spec, "NUMBER")) return ValidNumber(text, spec.substr(6), limit1, limit2);
  if (StartsWith(spec, "TIMESTRING")) return ValidDate(text, limit1);
  if (StartsWith(spec, "CLASSNOSTRING")) {
    if (limit2 > 0 && GbkSize(text) > static_cast<size_t>(limit2)) return false;
    const std::string words = RemoveAll(spec.substr(13), ' ');
    const char separator = words.empty() ? '-' : words[0];
    if (cut >= base.size()) text += "1";  // a separator may be the last character typed
    return IsValidLevelCode(text, limit1, separator);
  }
  if (StartsWith(spec, "STRING")) {
    if (limit1 > 0 && GbkSize(text) > static_cast<size_t>(limit1)) return false;
    const std::string words = TrimLeft(spec.substr(6));
    if (words.empty()) return true;
    const size_t blank = words.find(' ');
    const std::string cls = words.substr(0, blank);
    const std::string excluded =
        blank == std::string::npos ? std::string() : words.substr(blank + 1);
    return CharsAllowed(inserted, cls, excluded);
  }
  return true;
}
