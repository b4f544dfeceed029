#include <gtest/gtest.h>

#include <bit>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <random>

#include "core/SmGbk.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "tests/common/SmTestMain.h"

TEST(FormatNumber, DisplayRuleTable) {
  struct Case {
    double value;
    int width, minDec, maxDec;
    bool showZero;
    const char* prefix;
    const char* expected;
  } cases[] = {
      {1234567.891, 0, 2, 2, false, "", "1,234,567.89"},
      {-1234567.891, 0, 0, 2, false, "", "-1,234,567.89"},
      {-5, 6, 0, 2, false, "", "    -5"},
      {1234, 4, 0, 0, false, "", "1234"},        // no room for the separator
      {-123456, 7, 0, 0, false, "", "-123456"},  // no room: minus before the first digit
      {-1234, 6, 0, 0, false, "", "-1,234"},
      {-1234, 7, 0, 0, false, "", " -1,234"},
      {123456, 3, 0, 0, false, "", "***"},
      {-12, 2, 0, 0, false, "", "**"},
      {0, 5, 0, 2, false, "", "     "},
      {0, 0, 0, 2, false, "", ""},
      {0, 5, 2, 2, true, "", " 0.00"},
      {0, 0, 2, 2, true, "", "0.00"},
      {0.004, 5, 0, 2, true, "", "     "},  // not below 1e-7, rounds to zero: blanks
      {12.5, 0, 0, 3, false, "", "12.5"},
      {12.5, 0, 2, 3, false, "", "12.50"},
      {12.0, 0, 0, 3, false, "", "12"},
      {2.675, 0, 0, 2, false, "", "2.68"},
      {8, 6, 0, 0, false, "$", "$8"},  // the padding is dropped after a prefix
      {0, 6, 0, 0, false, "$", "      "},
      {999.999, 0, 0, 2, false, "", "1,000"},
      {100, -6, 0, 0, false, "", "   100"},  // a negative width counts by its magnitude
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatNumber(c.value, c.width, c.minDec, c.maxDec, c.showZero, c.prefix), c.expected)
        << c.value << " w" << c.width << " " << c.minDec << "/" << c.maxDec;
  }
}

TEST(FormatNumber, PlainTextHasNoSeparatorsAndZeroIsEmpty) {
  EXPECT_EQ(NumberToPlainText(1234.5), "1234.5");
  EXPECT_EQ(NumberToPlainText(-1234567.1234567), "-1234567.123457");
  EXPECT_EQ(NumberToPlainText(0), "");
  EXPECT_EQ(NumberToPlainText(0.0000004), "");
}

TEST(RoundTo, NudgesHalvesAwayFromZero) {
  struct Case {
    double value;
    int decimals;
    double expected;
  } cases[] = {
      {1.005, 2, 1.01}, {2.675, 2, 2.68}, {-2.675, 2, -2.68},     {1.2345, -1, 1.2345},
      {0.5, 0, 1},      {-0.5, 0, -1},    {1234.5678, 1, 1234.6},
  };
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(RoundTo(c.value, c.decimals), c.expected) << c.value;
}

// Rounding is arithmetic; it must give, bit for bit, what printing the nudged value and
// reading the text back gives.
double PrintedRound(double value, int decimals) {
  if (decimals < 0) return value;
  const double nudged = value + (value < 0 ? -1e-10 : 1e-10);
  return StrToDouble(FormatStr("%.*lf", decimals, nudged));
}

::testing::AssertionResult SameAsPrinted(double value, int decimals) {
  const double got = RoundTo(value, decimals);
  const double printed = PrintedRound(value, decimals);
  if (std::bit_cast<uint64_t>(got) == std::bit_cast<uint64_t>(printed))
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << FormatStr("RoundTo(%.17g, %d) = %.17g, printed %.17g", value, decimals, got, printed);
}

TEST(RoundTo, AwkwardValuesRoundAsPrinted) {
  const double awkward[] = {
      0.0, -0.0, 0.5, 1.5, 2.5, -0.5, -2.5, 0.125, 0.375, -0.125, 1.005, 1.015, 2.675, -2.675,
      8.345, 9.995, 0.045, 4.35, 1234567.125, 0.49999999999999994, 1e-10, -1e-10, 5e-11, -5e-11,
      1e-11, -1e-11, 0.004999999999, 0.005, 0.00499999999, -0.005,
      // exact halves above the nudge's reach, and the edge of a double's whole numbers
      0x1p40 + 0.5, 0x1p40 + 1.5, -(0x1p40 + 0.5), 0x1p52 - 0.5, 0x1p52 - 1.5, 0x1p52, 0x1p53,
      4503599627370495.5, 450359962737.04955, 45035996273.704955, 1e15 + 0.3, 1e17, -1e17,
      123456789.125 - 1e-10, 0.125 - 1e-10, 2.5 - 1e-10, std::nextafter(0.125 - 1e-10, 1.0),
      std::nextafter(0.125 - 1e-10, 0.0), std::numeric_limits<double>::max(),
      -std::numeric_limits<double>::max(), std::numeric_limits<double>::denorm_min(),
      std::numeric_limits<double>::min(), std::numeric_limits<double>::infinity(),
      -std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()};
  for (double value : awkward) {
    for (int decimals : {-1, 0, 1, 2, 3, 4, 6, 10, 15, 17, 22, 23, 30})
      EXPECT_TRUE(SameAsPrinted(value, decimals));
  }
  EXPECT_TRUE(std::signbit(RoundTo(-0.001, 2)));  // prints "-0.00"
}

TEST(RoundTo, MillionsOfRandomValuesRoundAsPrinted) {
  std::mt19937_64 random(20160311);
  std::uniform_int_distribution<long long> whole(-1000000000LL, 1000000000LL);
  std::uniform_int_distribution<int> places(0, 6), ulps(-3, 3), anyPlaces(0, 25);
  std::uniform_real_distribution<double> exponent(-12, 17);
  const double powers[] = {1, 10, 100, 1000, 1e4, 1e5, 1e6};
  int failures = 0;
  auto check = [&failures](double value, int decimals) {
    if (failures < 10 && !SameAsPrinted(value, decimals)) {
      ADD_FAILURE() << SameAsPrinted(value, decimals).message();
      ++failures;
    }
    // Below 2^52 units of the last place a rounded value prints and reads back as itself, which
    // spares the number display a second print.
    const double rounded = RoundTo(value, decimals);
    if (decimals > 22 || !(std::fabs(rounded) * std::pow(10.0, decimals) < 0x1p52)) return;
    const double again = StrToDouble(FormatStr("%.*lf", decimals, rounded));
    if (failures < 10 && std::bit_cast<uint64_t>(again) != std::bit_cast<uint64_t>(rounded)) {
      ADD_FAILURE() << FormatStr("%.17g with %d decimals reads back as %.17g", rounded, decimals,
                                 again);
      ++failures;
    }
  };
  for (int i = 0; i < 1000000; ++i) {
    // Halves of the last place kept, a few units of the last binary place off, and just where
    // the nudge lands on them.
    const int decimals = places(random);
    double value = (static_cast<double>(whole(random)) + 0.5) / powers[decimals];
    if (i % 2) value -= value < 0 ? -1e-10 : 1e-10;
    for (int step = ulps(random); step != 0; step += step < 0 ? 1 : -1)
      value = std::nextafter(value, step < 0 ? -INFINITY : INFINITY);
    check(value, decimals);
    // Any size, sign and number of places.
    const double magnitude = std::pow(10.0, exponent(random));
    check(i % 3 ? magnitude : -magnitude, places(random) + i % 3);
    // Any bit pattern (most of them print hundreds of digits: fewer of them).
    if (i % 50 == 0) check(std::bit_cast<double>(random()), anyPlaces(random));
  }
}

// The display digits as printing gives them: the value rounded as printed and read back,
// printed again with the most decimals, trailing zeros dropped down to the fewest; "" when it
// rounds to nothing.
std::string PrintedPlain(double value, int minDecimals, int maxDecimals) {
  const double rounded =
      StrToDouble(FormatStr("%.*lf", maxDecimals, PrintedRound(value, maxDecimals)));
  if (SignOf(rounded) == 0) return "";
  std::string digits = FormatStr("%.*lf", maxDecimals, std::fabs(rounded));
  const size_t dot = digits.find('.');
  if (dot != std::string::npos) {
    while (digits.size() - dot - 1 > static_cast<size_t>(minDecimals) && digits.back() == '0')
      digits.pop_back();
    if (digits.back() == '.') digits.pop_back();
  }
  return (rounded < 0 ? "-" : "") + digits;
}

TEST(FormatNumber, DigitsAreThoseOfThePrintedValue) {
  std::mt19937_64 random(20161101);
  std::uniform_int_distribution<long long> whole(-1000000000000LL, 1000000000000LL);
  std::uniform_int_distribution<int> places(0, 6), ulps(-3, 3), fewer(0, 2);
  std::uniform_real_distribution<double> exponent(-9, 19);
  const double powers[] = {1, 10, 100, 1000, 1e4, 1e5, 1e6};
  int failures = 0;
  auto check = [&failures](double value, int minDecimals, int maxDecimals) {
    const std::string expected = PrintedPlain(value, minDecimals, maxDecimals);
    const std::string plain = FormatNumberPlain(value, minDecimals, maxDecimals);
    const std::string grouped = FormatNumber(value, 0, minDecimals, maxDecimals);
    if (failures >= 10 || (plain == expected && ReplaceAll(grouped, ",", "") == expected)) return;
    ADD_FAILURE() << FormatStr("%.17g with %d/%d decimals: plain %s, grouped %s, printed %s", value,
                               minDecimals, maxDecimals, plain.c_str(), grouped.c_str(),
                               expected.c_str());
    ++failures;
  };
  // Where a whole number of units ends and printing takes over.
  for (int decimals = 0; decimals <= 6; ++decimals) {
    for (double units : {0x1p50 - 1, 0x1p50, 0x1p50 + 1, 0x1p52 - 1, 0x1p53})
      check(units / powers[decimals], 0, decimals);
  }
  for (int i = 0; i < 300000; ++i) {
    const int decimals = places(random);
    const int least = std::max(0, decimals - fewer(random));
    // Halves of the last place, a few units of the last binary place off.
    double value = (static_cast<double>(whole(random)) + 0.5) / powers[decimals];
    for (int step = ulps(random); step != 0; step += step < 0 ? 1 : -1)
      value = std::nextafter(value, step < 0 ? -INFINITY : INFINITY);
    check(value, least, decimals);
    // Any size and sign.
    const double magnitude = std::pow(10.0, exponent(random));
    check(i % 2 ? magnitude : -magnitude, least, decimals);
  }
}

TEST(NumberText, TestsAndReads) {
  EXPECT_TRUE(IsNumberText("-0012.500", 2, 1));
  EXPECT_FALSE(IsNumberText("1-2", -1, -1));
  EXPECT_FALSE(IsNumberText("1.5", -1, 0));
  EXPECT_FALSE(IsNumberText("123", 2, -1));
  EXPECT_FALSE(IsNumberText("1.25", -1, 1));
  EXPECT_FALSE(IsNumberText("1.2.3", -1, -1));
  EXPECT_FALSE(IsNumberText(" 1", -1, -1));
  for (const char* passes : {"", "-", "."}) EXPECT_TRUE(IsNumberText(passes, -1, -1)) << passes;

  EXPECT_DOUBLE_EQ(StrToDouble("-3.25"), -3.25);
  EXPECT_DOUBLE_EQ(StrToDouble("12abc"), 0);
  EXPECT_DOUBLE_EQ(StrToDouble("1e5"), 0);
  EXPECT_DOUBLE_EQ(StrToDouble(""), 0);
  EXPECT_DOUBLE_EQ(StrToDouble("-"), 0);
  EXPECT_DOUBLE_EQ(StrToDouble("-.5"), -0.5);
  EXPECT_DOUBLE_EQ(StrToDouble("5."), 5);
  EXPECT_DOUBLE_EQ(StrToDouble("007.50"), 7.5);
}

TEST(NumberText, StrToIntDefTable) {
  struct Case {
    const char* text;
    int def;
    int expected;
  } cases[] = {
      {"  ", 5, 5},
      {"", 7, 7},
      {"abc", 5, 0},
      {"-3", 0, -3},
      {"12.7", 0, 12},
      {" 42\r\n", 0, 42},
      {"-", 9, 0},
      {"99999999999", 0, 2147483647},
      {"-99999999999", 0, -2147483647 - 1},
      {"1 2", 3, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(StrToIntDef(c.text, c.def), c.expected) << c.text;
  EXPECT_EQ(StrToLongDef("-12345678901", 0), -12345678901L);
  EXPECT_EQ(StrToLongDef("", 4), 4);
}

TEST(NumberText, FixedWidthCodes) {
  std::string text;
  EXPECT_FALSE(IntToFixedText(12345, text, 3, false));
  EXPECT_EQ(text, "345");
  EXPECT_TRUE(IntToFixedText(7, text, 3, false));
  EXPECT_EQ(text, "007");
  EXPECT_FALSE(IntToFixedText(0, text, 3, false));
  EXPECT_EQ(text, "");
  EXPECT_TRUE(IntToFixedText(0, text, 3, true));
  EXPECT_EQ(text, "000");
  EXPECT_FALSE(IntToFixedText(-5, text, 3, true));
  EXPECT_EQ(IntToFixedStr(42, 0), "42");

  text = "12";
  EXPECT_TRUE(FixNumberText(text, 4, true));
  EXPECT_EQ(text, "0012");
  text = "x";
  EXPECT_FALSE(FixNumberText(text, 2, false));
  EXPECT_EQ(text, "");
}

TEST(NumberText, StepTrailingNumberKeepsWidth) {
  struct Case {
    const char* text;
    bool up;
    bool ok;
    const char* expected;
  } cases[] = {
      {"A09", true, true, "A10"}, {"B10", false, true, "B09"}, {"99", true, false, "99"},
      {"00", false, false, "00"}, {"AB", true, false, "AB"},   {"X199", true, true, "X200"},
      {"张3", true, true, "张4"},
  };
  for (const Case& c : cases) {
    std::string text = c.text;
    EXPECT_EQ(StepTrailingNumber(text, c.up), c.ok) << c.text;
    EXPECT_EQ(text, c.expected);
  }
}

TEST(NumberText, LevelCodesAndColumns) {
  EXPECT_TRUE(IsValidLevelCode("", -1, '.'));
  EXPECT_TRUE(IsValidLevelCode("01.2.30", -1, '.'));
  EXPECT_FALSE(IsValidLevelCode("01.02", -1, '.'));
  EXPECT_FALSE(IsValidLevelCode("1..2", -1, '.'));
  EXPECT_FALSE(IsValidLevelCode("1.2.", -1, '.'));
  EXPECT_FALSE(IsValidLevelCode(".1", -1, '.'));
  EXPECT_FALSE(IsValidLevelCode("1.a", -1, '.'));
  EXPECT_FALSE(IsValidLevelCode("1.2.3", 1, '.'));

  struct Case {
    int index;
    const char* label;
  } cases[] = {{0, "A"}, {25, "Z"}, {26, "AA"}, {27, "AB"}, {701, "ZZ"}, {702, "AAA"}};
  for (const Case& c : cases) {
    EXPECT_EQ(ColumnLabel(c.index), c.label);
    EXPECT_EQ(ColumnIndex(c.label), c.index);
  }
  EXPECT_EQ(ColumnLabel(-1), "");
  EXPECT_EQ(ColumnIndex("a"), 0);  // outside A..Z counts as A
  EXPECT_EQ(SignOf(1e-8), 0);
  EXPECT_EQ(SignOf(-2e-7), -1);
}

TEST(AmountInWords, ChequeWording) {
  struct Case {
    double amount;
    const char* words;
  } cases[] = {
      {1005.3, "壹仟零伍元叁角整"},
      {0.5, "伍角整"},
      {1.05, "壹元零伍分"},
      {100000, "壹拾万元整"},
      {-12, "负壹拾贰元整"},
      {100000000, "壹亿元整"},
      {0, "零元整"},
      {0.004, "零元整"},
      {-0.05, "负伍分"},
      {10005, "壹万零伍元整"},
      {123456789.12, "壹亿贰仟叁佰肆拾伍万陆仟柒佰捌拾玖元壹角贰分"},
      {2.675, "贰元陆角捌分"},
  };
  for (const Case& c : cases) EXPECT_EQ(AmountInWords(c.amount), c.words) << c.amount;
}

TEST(AmountInWords, NumeralsAndUnits) {
  std::string text;
  CapitalNumeral(5, 1, text);
  EXPECT_EQ(text, "伍拾");
  CapitalNumeral(0, 4, text);
  EXPECT_EQ(text, "万");
  CapitalNumeral(0, 3, text);
  EXPECT_EQ(text, "");
  CapitalNumeral(3, 12, text);
  EXPECT_EQ(text, "");
  CapitalNumeral(9, -2, text);
  EXPECT_EQ(text, "玖分");
  EXPECT_EQ(ChineseDigits(2016), "二○一六");
  EXPECT_EQ(ChineseDigits(-9), "-九");
}

// Qt sets the user's locale at start-up; the program puts the numeric part back to "C" so that
// a machine whose locale writes decimal commas still writes numbers with a point.
TEST(Locale, CommaLocaleIsUndoneAtStartUp) {
  EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
  // Build a German locale (decimal comma) of our own so the test does not depend on the
  // machine's installed locales.
  const std::string folder = SmTestHome() + "/locale";
  std::filesystem::create_directories(folder);
  const std::string build = "localedef -i de_DE -f UTF-8 " + folder + "/de_DE.UTF-8 2>/dev/null";
  if (std::system(build.c_str()) != 0 && !std::filesystem::exists(folder + "/de_DE.UTF-8"))
    GTEST_SKIP() << "localedef or the de_DE locale source is missing";
  setenv("LOCPATH", folder.c_str(), 1);
  const bool switched = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
  unsetenv("LOCPATH");
  ASSERT_TRUE(switched);
  EXPECT_EQ(FormatStr("%.1lf", 1.5), "1,5");
  SmUseCNumericLocale();
  EXPECT_EQ(FormatStr("%.1lf", 1.5), "1.5");
  EXPECT_EQ(FormatNumber(1234.5, 0, 2, 2), "1,234.50");
  EXPECT_DOUBLE_EQ(RoundTo(2.675, 2), 2.68);
}
