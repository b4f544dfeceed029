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
    // The year is checked once all four digits are there, so that 199x can be typed.
    if (text.size() >= 4) {
      if (text.substr(0, 4) < "1990") return false;
      year = std::atoi(text.substr(0, 4).c_str());
    }
    at = 4;
  }
  std::string month;
  if (hasMonth) {
    if (text.size() > at) {
      month = text.substr(at, 2);
      if (month < "01" || month > "12") return false;
    }
    at += 2;
  }
  if (hasDay && text.size() > at) {
    const std::string day = text.substr(at, 2);
    if (day < "01" || day > "31") return false;
    if (month.size() == 2 && day.size() == 2) {
      const int d = std::atoi(day.c_str());
      if (d < 1 || d > DaysInMonth(year, std::atoi(month.c_str()))) return false;
    }
  }
  return true;
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
