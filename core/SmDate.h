#pragma once
// Date helpers: month lengths, the time now as text, and dates written in Chinese.
#include <ctime>
#include <string>
#include <string_view>

// Days of a month in the Gregorian calendar; -1 for a month outside 1..12.
int DaysInMonth(int year, int month);
// The local date and time now with strftime codes ("%Y%m%d%H%M%S" for log times).
std::string NowText(const char* format);
// The local date of a time as "%Y%m%d".
std::string FormatYmd(std::time_t time);
// "yyyymmdd" as year, month and day each followed by `mark`; with an empty mark by "年", "月",
// "日" ("2016年12月19日"); a non-empty mark is not left at the end ("2016-12-19").
std::string DateToChineseText(std::string_view date, std::string_view mark);
