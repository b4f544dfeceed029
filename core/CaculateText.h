#pragma once
// Number texts as the formula evaluator reads and writes them.
#include <string>
#include <string_view>

namespace caculate_text {

// A text read as "%lf" reads it: leading white space skipped, the longest number prefix taken;
// 0 when no number can be read (also for the empty text).
double ReadNumber(std::string_view text);

// NumberToPlainText, with a short way for whole numbers (most results of ticket formulas).
std::string PlainNumber(double value);

// The number PlainNumber(value) reads back as, ReadNumber(PlainNumber(value)), without
// writing the text wherever the rounding to six decimals can be done on the double exactly.
double PlainValue(double value);

// A number written as "%lf" (six decimals); a negative zero is written as zero.
std::string WriteFixed6(double value);

}  // namespace caculate_text
