#pragma once
// Number and text helpers of the formula evaluator.
#include <string>
#include <string_view>

namespace caculate_text {

// A text read as "%lf" reads it: leading white space skipped, the longest number prefix taken;
// 0 when no number can be read (also for the empty text).
double ReadNumber(std::string_view text);

// A number written as "%lf" (six decimals).
std::string WriteFixed6(double value);

// At most six decimals, trailing zeros dropped, no separators, empty for zero.
std::string NumberToPlainText(double value);

// Number display rule: width, minimum and maximum decimals, zero shown or blank, prefix.
std::string FormatNumber(double value, int width, int minDec, int maxDec, bool showZero,
                         const std::string& prefix);
double RoundTo(double value, int decimals);
int SignOf(double value);
// Optional leading "-", digits, at most one "."; "", "-" and "." pass.
bool IsNumberText(std::string_view text);
// 0 unless the text is a number text; then its value.
double StrToDouble(std::string_view text);
std::string TrimChars(std::string_view text, std::string_view set = " \n\t\r\n");
std::string ReplaceAll(std::string text, const std::string& search, const std::string& repl);
int DaysInMonth(int year, int month);
std::string AmountInWords(double amount);
std::string ChineseDigits(int value);
// "yyyymmdd" as "2016年12月19日".
std::string DateToChineseText(const std::string& date);

}  // namespace caculate_text
