#include "forms/SmDatePeriod.h"

#include "core/SmDate.h"
#include "core/SmString.h"

namespace {

struct Ymd {
  int year = 0;
  int month = 0;
  int day = 0;
  std::string y, m, d;  // the parts as written
};

bool IsDateLength(const std::string& text) {
  return IsAllDigits(text) && (text.size() == 4 || text.size() == 6 || text.size() == 8);
}

Ymd Split(const std::string& date) {
  Ymd v;
  v.y = date.substr(0, 4);
  v.m = date.substr(4, 2);
  v.d = date.substr(6, 2);
  v.year = std::atoi(v.y.c_str());
  v.month = std::atoi(v.m.c_str());
  v.day = std::atoi(v.d.c_str());
  return v;
}

// Days since a fixed day of the proleptic Gregorian calendar.
long DayNumber(int year, int month, int day) {
  const int y = month <= 2 ? year - 1 : year;
  const long era = (y >= 0 ? y : y - 399) / 400;
  const long yoe = y - era * 400;
  const long doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe;
}

// Whole months count 30 days: the count runs from the start day in the end's month (or the
// month before, when the end day is earlier in its month).
int ThirtyDayCount(const Ymd& a, const Ymd& b) {
  int refYear = b.year;
  int refMonth = b.month;
  int refDay = a.day;
  if (b.day < a.day) {
    if (--refMonth == 0) {
      refMonth = 12;
      --refYear;
    }
    refDay = std::min(refDay, DaysInMonth(refYear, refMonth));
  }
  const int months = (refYear - a.year) * 12 + refMonth - a.month;
  return DaysBetweenDates(refYear, refMonth, refDay, b.year, b.month, b.day) + 30 * months;
}

std::string Caption(const std::string& format, std::initializer_list<std::string> parts) {
  std::string text;
  auto part = parts.begin();
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == 's' && part != parts.end()) {
      text += *part++;
      ++i;
    } else {
      text += format[i];
    }
  }
  return text;
}

std::string CompactCaption(const Ymd& a, const Ymd& b, const std::string& sep) {
  const bool marked = !sep.empty();
  const bool wholeMonths = a.day == 1 && b.day == DaysInMonth(b.year, b.month);
  const bool sameYear = a.y == b.y;
  const bool sameMonth = sameYear && a.m == b.m;
  if (a.y == b.y && a.m == b.m && a.d == b.d) {
    return marked ? Caption("%s%s%s%s%s", {a.y, sep, a.m, sep, a.d})
                  : Caption("%s年%s月%s日", {a.y, a.m, a.d});
  }
  if (wholeMonths) {
    if (sameMonth)
      return marked ? Caption("%s%s%s", {a.y, sep, a.m}) : Caption("%s年%s月", {a.y, a.m});
    const bool wholeYears = a.month == 1 && b.month == 12;
    if (sameYear && wholeYears) return marked ? a.y : a.y + "年";
    if (sameYear) {
      return marked ? Caption("%s%s%s～%s", {a.y, sep, a.m, b.m})
                    : Caption("%s年%s月～%s月", {a.y, a.m, b.m});
    }
    if (wholeYears) return marked ? a.y + "～" + b.y : a.y + "年～" + b.y + "年";
    return marked ? Caption("%s%s%s～%s%s%s", {a.y, sep, a.m, b.y, sep, b.m})
                  : Caption("%s年%s月～%s年%s月", {a.y, a.m, b.y, b.m});
  }
  if (sameMonth) {
    return marked ? Caption("%s%s%s%s%s～%s", {a.y, sep, a.m, sep, a.d, b.d})
                  : Caption("%s年%s月%s日～%s日", {a.y, a.m, a.d, b.d});
  }
  if (sameYear) {
    return marked ? Caption("%s%s%s%s%s～%s%s%s", {a.y, sep, a.m, sep, a.d, b.m, sep, b.d})
                  : Caption("%s年%s月%s日～%s月%s日", {a.y, a.m, a.d, b.m, b.d});
  }
  return marked
             ? Caption("%s%s%s%s%s～%s%s%s%s%s", {a.y, sep, a.m, sep, a.d, b.y, sep, b.m, sep, b.d})
             : Caption("%s年%s月%s日～%s年%s月%s日", {a.y, a.m, a.d, b.y, b.m, b.d});
}

}  // namespace

bool CompletePeriod(std::string& from, std::string& to) {
  if (!IsAllDigits(from) || !IsAllDigits(to)) return false;
  if (from.size() == 4) from += "01";
  if (from.size() == 6) from += "01";
  if (to.size() == 4) to += "12";
  if (to.size() == 6) {
    const int days =
        DaysInMonth(std::atoi(to.substr(0, 4).c_str()), std::atoi(to.substr(4).c_str()));
    if (days < 0) return false;
    to += FormatStr("%02d", days);
  }
  return from.size() == 8 && to.size() == 8;
}

int DaysBetweenDates(int year1, int month1, int day1, int year2, int month2, int day2) {
  return static_cast<int>(DayNumber(year2, month2, day2) - DayNumber(year1, month1, day1));
}

int DaysBetween(const std::string& from, const std::string& to, bool thirtyDays) {
  std::string start = from;
  std::string end = to;
  if (!CompletePeriod(start, end)) return -1;
  if (start == end) return 0;
  if (start > end) return -DaysBetween(end, start, thirtyDays);
  const Ymd a = Split(start);
  const Ymd b = Split(end);
  if (thirtyDays) return ThirtyDayCount(a, b);
  return DaysBetweenDates(a.year, a.month, a.day, b.year, b.month, b.day);
}

std::string FormatPeriodCaption(const std::string& from, const std::string& to,
                                const std::string& separator, bool compact) {
  std::string start = from;
  std::string end = to.empty() ? from : to;
  if (!IsDateLength(start) || !IsDateLength(end)) return {};
  if (!compact) {
    std::string text = DateToChineseText(start, separator);
    if (end != start) text += "～" + DateToChineseText(end, separator);
    return text;
  }
  if (!CompletePeriod(start, end)) return {};
  return CompactCaption(Split(start), Split(end), separator);
}
