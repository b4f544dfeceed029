#pragma once
// Periods of reports and vouchers: two date texts of four ("yyyy"), six ("yyyymm") or eight
// ("yyyymmdd") digits, completed to whole days, counted in days and written as captions.
#include <string>

// A "yyyy" or "yyyymm" start becomes the first day of the year or month, an end the last day;
// true when both are then eight digits.
bool CompletePeriod(std::string& from, std::string& to);
// Days from the start to the end of the completed period (negative when the end is earlier);
// with `thirtyDays` every whole month counts 30 days. -1 when the period cannot be completed.
int DaysBetween(const std::string& from, const std::string& to, bool thirtyDays);
// Exact days between two calendar dates (negative when the second is earlier).
int DaysBetweenDates(int year1, int month1, int day1, int year2, int month2, int day2);
// The period as a caption; `separator` goes between the parts of a date in place of 年, 月
// and 日. The compact form writes whole months and years short ("2016年01月～06月").
std::string FormatPeriodCaption(const std::string& from, const std::string& to,
                                const std::string& separator, bool compact);
