#pragma once
// Number helpers: the display rule of every amount and weight, rounding, number texts, fixed-width
// codes, column letters and amounts in Chinese capital numerals. Numbers are written and read with
// a decimal point whatever the user's locale (the process runs with the "C" numeric locale).
#include <string>
#include <string_view>
#include <vector>

// The number display rule: `width` 0 is unaligned; decimals between `minDecimals` and
// `maxDecimals` (trailing zeros dropped down to the minimum); "," between groups of three
// integer digits when the width allows; "*" times the width when the number does not fit; a zero
// value is blank unless `showZero`; a non-blank result after a `prefix` loses its padding.
std::string FormatNumber(double value, int width, int minDecimals, int maxDecimals,
                         bool showZero = false, std::string_view prefix = {});
// FormatNumber unaligned and without the separators between digit groups.
std::string FormatNumberPlain(double value, int minDecimals, int maxDecimals);
// Up to six decimals, trailing zeros dropped, no separators; "" for a value that rounds to zero.
std::string NumberToPlainText(double value);
// Rounds half away from zero after a nudge of 1e-10; negative decimals leave the value.
double RoundTo(double value, int decimals);
// The value of a number text (`IsNumberText` without limits); 0 for any other text.
double StrToDouble(std::string_view text);
// The value "%.*lf" writes with `decimals` decimals, read back: what a number written into a
// statement that way stores, for binding in its place.
double PrintedValue(double value, int decimals);

// An optional "-" at the start, then digits with at most one "." (none when maxDecimals is 0);
// leading zeros of the integer part and trailing zeros of the decimals are not counted against
// the limits; a limit of -1 (or 0 for the integer digits) means none. "", "-" and "." pass.
bool IsNumberText(std::string_view text, int maxIntDigits, int maxDecimals);
// The decimal digits of `value` padded on the left with "0" to `width` (cut to the rightmost
// `width` digits when longer: false). 0 without keepZero gives "" and false; a negative value is
// written without its sign and gives false. A width below 1 neither pads nor cuts.
bool IntToFixedText(int value, std::string& text, int width, bool keepZero);
// Reads the text as an integer (0 when unreadable) and rewrites it with IntToFixedText.
bool FixNumberText(std::string& text, int width, bool keepZero);
std::string IntToFixedStr(int value, int width);
// Raises or lowers the number of the trailing digits by one keeping their width ("A09" -> "A10");
// false and the text unchanged without trailing digits or on overflow ("99" up, "00" down).
bool StepTrailingNumber(std::string& text, bool up);
// Digits and separators only; no doubled separator, none at either end, no group after a
// separator beginning with "0"; at most maxSeparators separators (no limit when negative).
bool IsValidLevelCode(std::string_view code, int maxSeparators, char separator);
// 0 "A" ... 25 "Z", 26 "AA"; "" for a negative index.
std::string ColumnLabel(int index);
// The inverse of ColumnLabel; a byte outside "A".."Z" counts as "A"; -1 for "".
int ColumnIndex(std::string_view letters);

inline int MaxInt(int a, int b) {
  return a > b ? a : b;
}
inline int MinInt(int a, int b) {
  return a < b ? a : b;
}
inline double MaxDouble(double a, double b) {
  return a > b ? a : b;
}
inline double MinDouble(double a, double b) {
  return a < b ? a : b;
}
inline int AbsInt(int a) {
  return a < 0 ? -a : a;
}
inline double AbsDouble(double a) {
  return a < 0 ? -a : a;
}
// 1 above 1e-7, -1 below -1e-7, else 0.
int SignOf(double x);

void FillStringArray(std::vector<std::string>& array, const std::string& value);
void FillLongArray(std::vector<long>& array, long value);
void FillDoubleArray(std::vector<double>& array, double value);
void FillStrings(std::string* texts, int count, const std::string& value);
void FillInts(int* values, int count, int value);

// The number written with "%d" and each digit a Chinese numeral ("○", "一" ... "九").
std::string ChineseDigits(int value);
// Capital numeral of a digit followed by the unit of its position (0 "元", 4 "万", 8 "亿",
// -1 "角", -2 "分" ...); a 0 digit gets a unit only at positions 0, 4 and 8; "" outside -2..11.
void CapitalNumeral(int digit, int position, std::string& text);
// The amount in capital numerals as on cheques: 1005.3 "壹仟零伍元叁角整".
std::string AmountInWords(double amount);

// Integer parsing: the text trimmed of blanks; "" gives `def`; a number text gives its integer
// part ("12.7" 12, clamped to the type's range); any other text 0.
int StrToIntDef(std::string_view text, int def);
long StrToLongDef(std::string_view text, long def);
