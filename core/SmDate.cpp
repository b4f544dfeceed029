#include "core/SmDate.h"

namespace {

std::string FormatTime(std::time_t time, const char* format) {
  std::tm local{};
  localtime_r(&time, &local);
  char buffer[256];
  const size_t size = std::strftime(buffer, sizeof buffer, format, &local);
  return std::string(buffer, size);
}

}  // namespace

int DaysInMonth(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return -1;
  if (month != 2) return kDays[month - 1];
  const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
  return leap ? 29 : 28;
}

std::string NowText(const char* format) {
  return FormatTime(std::time(nullptr), format);
}

std::string FormatYmd(std::time_t time) {
  return FormatTime(time, "%Y%m%d");
}

std::string DateToChineseText(std::string_view date, std::string_view mark) {
  if (date.empty()) return std::string();
  const bool marked = !mark.empty();
  std::string text(date.substr(0, 4));
  if (date.size() <= 4) return marked ? text : text + "年";
  text += marked ? std::string(mark) : "年";
  text += date.substr(4, 2);
  if (date.size() <= 6) return marked ? text : text + "月";
  text += marked ? std::string(mark) : "月";
  text += date.substr(6, 2);
  return marked ? text : text + "日";
}
