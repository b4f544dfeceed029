#include <gtest/gtest.h>

#include <QDate>
#include <bit>
#include <cmath>
#include <map>
#include <random>
#include <string>

#include "core/Caculate.h"
#include "core/CaculateText.h"
#include "core/SmNumber.h"

namespace {

struct Case {
  const char* formula;
  int error;  // 0: succeeds with result and type
  const char* result = "";
  int type = CAC_NUMBER;
};

void RunCases(const std::vector<Case>& cases, int preprocess = 0) {
  for (const Case& c : cases) {
    CCaculate calc;
    calc.m_bPreprocess = preprocess;
    std::string result;
    int type = 0;
    const bool ok = calc.Evaluate(c.formula, result, type);
    SCOPED_TRACE(c.formula);
    EXPECT_EQ(c.error, calc.GetErrorCode());
    EXPECT_EQ(c.error == 0, ok);
    if (c.error == 0 && ok) {
      EXPECT_EQ(c.result, result);
      EXPECT_EQ(c.type, type);
    }
  }
}

}  // namespace

TEST(Caculate, OperatorsAndPrecedence) {
  RunCases({
      {"", 0, ""},
      {"1+2*3", 0, "7"},
      {"2*(3+4)", 0, "14"},
      {"10-2-3", 0, "5"},
      {"2^3^2", 0, "512"},
      {"-2^2", 0, "4"},
      {"2^-1", 0, "0.5"},
      {"(1+2]", 0, "3"},
      {"1/3", 0, "0.333333"},
      {"2/3", 0, "0.666667"},
      {"1-1", 0, ""},
      {"1.50", 0, "1.50"},
      {"+1.50", 0, "1.5"},
      {"1000000*1000", 0, "1000000000"},
      {"0.0000004+0", 0, ""},
      {"7%1", 0, ""},
      {"7.9%2.5", 0, "1"},
      {"-7%3", 0, "-1"},
      {"7%-2", 0, "1"},
      {"3>2>1", 0, ""},
      {"2>1", 0, "1"},
      {"0.30000001<=0.3", 0, ""},
      {"0.30000001=0.3", 0, "1"},
      {"0.1+0.2>=0.3", 0, "1"},
      {"1!=1.00000001", 0, ""},
      {"1||0&&0", 0, ""},
      {"0&&1||1", 0, "1"},
      {"!0", 0, "1"},
      {"!5", 0, ""},
      {"1 2", 0, "1"},
      {"1+", 0, "1"},
      {"  ", 0, ""},
  });
}

TEST(Caculate, StringsAndLiterals) {
  RunCases({
      {"\"ab\"+1", 0, "ab1", CAC_STRING},
      {"\"ab\"-\"cd\"", 0, "ab-cd", CAC_STRING},
      {"\"b\">\"a\"", 0, "1"},
      {"\"a\">\"b\"", 0, "0"},
      {"\"中\">\"啊\"", 0, "1"},  // order of the system code page, not of UTF-8
      {"12ab", 0, "12ab", CAC_STRING},
      {"1.2.3", 0, "1.2.3", CAC_STRING},
      {"1e5", 0, "1e5", CAC_STRING},
      {"abc", 0, "abc", CAC_STRING},
      {"a,b", 0, "a,b", CAC_STRING},
      {"\"ab\"*2", CAC_ERR_TYPE},
      {"-\"ab\"", CAC_ERR_TYPE},
      {"\"ab\"&&1", CAC_ERR_TYPE},
  });
}

TEST(Caculate, SyntaxErrors) {
  RunCases({
      {"(1+2", CAC_ERR_BRACKET},
      {"1)", CAC_ERR_BRACKET},
      {"(1+2>", CAC_ERR_BRACKET},
      {"1/0", CAC_ERR_DIVIDE_BY_ZERO},
      {"7%0.5", CAC_ERR_DIVIDE_BY_ZERO},
      {"#a.b", CAC_ERR_NAME_CHAR},
      {"#", CAC_ERR_NAME_CHAR},
      {"1+abs(2", CAC_ERR_NO_CLOSING_BRACKET},
      {"#x", CAC_ERR_VARIABLE},
      {"foo(1)", CAC_ERR_FUNCTION},
      {"ABS(1)", CAC_ERR_FUNCTION},
      {"--2", CAC_ERR_SYMBOL},
      {"1+*2", CAC_ERR_SYMBOL},
      {"a&b", CAC_ERR_OPERATOR},
      {"a|b", CAC_ERR_OPERATOR},
      {"0^0", CAC_ERR_POWER},
      {"\"abc", CAC_ERR_QUOTE},
  });
}

TEST(Caculate, Preprocessing) {
  RunCases(
      {
          {"a//x", 0, "a", CAC_STRING},
          {"\"a//b\"", 0, "a//b", CAC_STRING},
          {"\"a//b", CAC_ERR_QUOTE},
          {"1/*x*/+2", 0, "3"},
          {"1+2/*x", 0, "3"},
          {"\"/*\"+1", 0, "/*1", CAC_STRING},
          {"//only", 0, "", CAC_NOTHING},
          {"{only}", 0, "", CAC_NOTHING},
          {" 12:5", 0, "5"},
          {"123:x", 0, "123:x", CAC_STRING},
      },
      1);

  CCaculate calc;
  calc.m_bPreprocess = 1;
  std::string result;
  int type = 0;
  ASSERT_TRUE(calc.Evaluate("1{first}+1{sum}", result, type));
  EXPECT_EQ("2", result);
  EXPECT_EQ("sum", calc.GetNote());

  ASSERT_TRUE(calc.Evaluate("3:1+1", result, type));
  EXPECT_EQ("2", result);
  EXPECT_EQ(3, calc.m_nFormulaGroup);
  EXPECT_EQ("", calc.GetNote());

  calc.m_bGroupFilter = 1;
  calc.m_nRequiredGroup = 2;
  ASSERT_TRUE(calc.Evaluate("3:1/0", result, type));
  EXPECT_EQ("", result);
  EXPECT_EQ(CAC_NUMBER, type);
  EXPECT_EQ(3, calc.m_nFormulaGroup);

  // Without preprocessing a comment is part of the formula.
  CCaculate plain;
  EXPECT_FALSE(plain.Evaluate("a//x", result, type));
  EXPECT_EQ(CAC_ERR_SYMBOL, plain.GetErrorCode());
}

TEST(Caculate, EvalDouble) {
  CCaculate calc;
  double value = 5;
  ASSERT_TRUE(calc.EvalDouble("1/4", value));
  EXPECT_DOUBLE_EQ(0.25, value);
  ASSERT_TRUE(calc.EvalDouble("1-1", value));
  EXPECT_DOUBLE_EQ(0, value);
  EXPECT_FALSE(calc.EvalDouble("\"a\"", value));
  EXPECT_EQ(CAC_ERR_TYPE, calc.GetErrorCode());
  calc.m_bPreprocess = 1;
  EXPECT_FALSE(calc.EvalDouble("//nothing", value));
  EXPECT_EQ(CAC_ERR_TYPE, calc.GetErrorCode());
}

TEST(Caculate, ErrorTexts) {
  struct Expect {
    const char* formula;
    int code;
    const char* message;
    int position;
  };
  const Expect cases[] = {
      {"1/0", -2, "除数为零！", 3},
      {"#x+1", -6, "#x：变量名出错！", 2},
      {"(1+2", -1, "括号出错！", 4},
      {"foo(1)*2", -7, "foo(1)：函数名出错！", 6},
      {"\"中文\"*2", -14, "数据类型不匹配！", 8},  // position counts GBK bytes
      {"left(#y)", -6, "#y：变量名出错！", 8},     // from inside the argument
      {"day(2016,13)", -17, "day(2016,13)：取月末日函数据的月参数出错！", 12},
      {"day(-1,2)", -16, "day(-1,2)：取月末日函数据的年参数出错！", 9},
      {"sqrt(-1)", -15, "sqrt(-1)：数学函数的定义域出错！", 8},
      {"abs(1,2)", -12, "abs(1,2)：函数参数数目过多！", 8},
      {"iif(1,2)", -11, "iif(1,2)：函数参数数目过少！", 8},
      {"a&b", -9, "a：运算符号出错！", 2},
      {"2^#", -4, "#：函数名或变量名中有非法字符！", 3},
      {"--1", -8, "符号出错！", 2},
      {"0^0", -10, "幂运算出错！", 3},
      {"1+\"x", -13, "引号不配对！", 4},
      {"abs(1", -5, "abs(1：函数无右括号！", 5},
  };
  for (const Expect& e : cases) {
    SCOPED_TRACE(e.formula);
    CCaculate calc;
    std::string result;
    int type = 0;
    EXPECT_FALSE(calc.Evaluate(e.formula, result, type));
    int code = 0;
    int position = -1;
    std::string message;
    EXPECT_EQ(1, calc.GetErrorInfo(code, message, position));
    EXPECT_EQ(e.code, code);
    EXPECT_EQ(e.message, message);
    EXPECT_EQ(e.position, position);
  }

  // A failure without a code (formatcode) reports the call alone.
  CCaculate calc;
  std::string result;
  int type = 0;
  EXPECT_FALSE(calc.Evaluate("formatcode(\"123456\",5)", result, type));
  int code = 1;
  int position = -1;
  std::string message;
  EXPECT_EQ(0, calc.GetErrorInfo(code, message, position));
  EXPECT_EQ(0, code);
  EXPECT_EQ("formatcode(\"123456\",5)", message);
  EXPECT_EQ(0, position);
}

namespace {

std::string Repeat(const std::string& part, int n) {
  std::string text;
  for (int i = 0; i < n; ++i) text += part;
  return text;
}

std::string Nested(const std::string& open, const std::string& core, const std::string& close,
                   int n) {
  return Repeat(open, n) + core + Repeat(close, n);
}

}  // namespace

// Formulas pasted or stored by users may nest far deeper than the stack takes, ask for more
// decimals or width than a value holds, or leave a function's domain: each ends in an error.
TEST(Caculate, LimitsAndDomains) {
  const std::string deepest = Nested("(", "1", ")", CAC_MAX_NESTING);
  const std::string cases[][2] = {
      // formula, expected result or "!code"
      {deepest, "1"},
      {Nested("(", "1", ")", CAC_MAX_NESTING + 1), "!-18"},
      {Nested("(", "1", ")", 16000), "!-18"},  // what the calculator field takes
      {Nested("[", "1", "]", 16000), "!-18"},
      {Nested("abs(", "1", ")", 200), "!-18"},
      {Nested("round(", "1", ")", 5000), "!-18"},
      {Nested("iif(1,", "2", ",0)", 3000), "!-18"},
      {Nested("-(", "1", ")", 10000), "!-18"},
      {Repeat("1^", 5000) + "1", "!-18"},
      {Nested("abs((", "1", "))", 60), "!-18"},  // brackets and calls count together
      {"round(1,2147483647)", "!-19"},
      {"round(1,0,10)", "!-19"},
      {"round(1,99999999999)", "!-19"},
      {"round(1.5,9)", "1.500000000"},
      {"round(1.5,-2147483647)", "2"},
      {"formatcode(\"1\",2000000000)", "!-19"},
      {"formatcode(\"1\",32768)", "!-19"},
      {"len(formatcode(\"1\",32767))", "32767"},
      {"ln(0)", "!-15"},
      {"log(0)", "!-15"},
      {"ctg(0)", "!-15"},
      {"arcsin(2)", "!-15"},
      {"arccos(-1.5)", "!-15"},
      {"exp(1000)", "!-15"},
      {"ln(1)+ctg(1)*0", ""},
      {"(0-8)^0.5", "!-10"},
      {"10^400", "!-10"},
      {"10^300*10^300", "!-3"},
      {"0-10^300*10^300", "!-3"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c[0].substr(0, 60));
    CCaculate calc;
    std::string result;
    int type = 0;
    const bool ok = calc.Evaluate(c[0], result, type);
    if (c[1].starts_with('!')) {
      EXPECT_FALSE(ok);
      EXPECT_EQ(std::stoi(c[1].substr(1)), calc.GetErrorCode());
    } else {
      EXPECT_TRUE(ok);
      EXPECT_EQ(c[1], result);
    }
  }

  // The texts say what went wrong; too deep a nesting does not quote a huge token.
  const std::pair<std::string, std::string> texts[] = {
      {Nested("abs(", "1", ")", 500), "公式嵌套层数过多！"},
      {"round(1,2147483647)", "round(1,2147483647)：函数参数超出范围！"},
      {"ln(0)", "ln(0)：数学函数的定义域出错！"},
  };
  for (const auto& [formula, text] : texts) {
    CCaculate calc;
    double value = 0;
    EXPECT_FALSE(calc.EvalDouble(formula, value));
    int code = 0;
    int position = 0;
    std::string message;
    calc.GetErrorInfo(code, message, position);
    EXPECT_EQ(text, message);
  }
}

TEST(CaculateFunctions, NumbersAndMathematics) {
  RunCases({
      {"abs(-3)", 0, "3.000000"},
      {"absz(-2)", 0, "0.000000"},
      {"absz(2.5)", 0, "2.500000"},
      {"absf(-2)", 0, "2.000000"},
      {"sign(-5)", 0, "-1.000000"},
      {"sign(0.00000001)", 0, "0.000000"},
      {"int(-2.7)", 0, "-2.000000"},
      {"int(-0.5)", 0, "0.000000"},
      {"sqrt(4)", 0, "2.000000"},
      {"sqrt(-0.0000005)", 0, "0.000000"},
      {"sqrt(-1)", CAC_ERR_DOMAIN},
      {"ln(-1)", CAC_ERR_DOMAIN},
      {"log(100)", 0, "2.000000"},
      {"exp(0)", 0, "1.000000"},
      {"arctg(0)+cos(0)", 0, "1"},
      {"abs(\"a\")", CAC_ERR_TYPE},
      {"abs()", CAC_ERR_TOO_FEW_ARGS},
      {"round(2.5)", 0, "3"},
      {"round(-2.5)", 0, "-3"},
      {"round(1.5,2)", 0, "1.50"},
      {"round(0.4)", 0, ""},
      {"round(2.675,2)", 0, "2.68"},
      {"round(1.005,2)", 0, "1.01"},
      {"round(1234567.891,0,2)", 0, "1234567.89"},
      {"round(12.5,0,3)", 0, "12.5"},
      {"round([1+2]*3)", 0, "9"},
      {"round(1,2,3,4)", CAC_ERR_TOO_MANY_ARGS},
      {"val(\"12\")", 0, "12"},
      {"val(\"1.50\")", 0, "1.5"},
      {"val(\"abc\")", 0, ""},
      {"len(\"中文\")", 0, "4"},
      {"len(1.50)", 0, "3"},
      {"len(\"\")", 0, "0"},
      {"day(2000,2)", 0, "29"},
      {"day(1900,2)", 0, "28"},
      {"day(2016,4)", 0, "30"},
      {"day(2016,13)", CAC_ERR_MONTH_END_MONTH},
      {"day(-1,1)", CAC_ERR_MONTH_END_YEAR},
  });
}

TEST(CaculateFunctions, ConditionalsAndBands) {
  RunCases({
      {"iif(1,\"a\",1/0)", 0, "a", CAC_STRING},
      {"iif(0,1/0,2)", 0, "2"},
      {"iif(0.00000001,1,2)", 0, "2"},
      {"iif(2>1,\"x,y\",\"z\")", 0, "x,y", CAC_STRING},
      {"iif(0,1)", CAC_ERR_TOO_FEW_ARGS},
      {"iif(0,1,)", CAC_ERR_TOO_FEW_ARGS},
      {"iif( ,1,2)", CAC_ERR_TOO_FEW_ARGS},
      {"iif(\"a\",1,2)", CAC_ERR_TYPE},
      {"iif(1,2,3,4)", CAC_ERR_TOO_MANY_ARGS},
      {"caseif(1500,0,1000,0.1,0.2)", 0, "200.000000"},
      {"caseif(500,0,1000,0.1,0.2)", 0, "50.000000"},
      {"caseif(1000,0,1000,0.1,0.2)", 0, "100.000000"},
      {"caseif(-5,0,1000,0.1,0.2)", 0, "-0.500000"},
      {"caseif(2500,0,1000,2000,0.1,0.2,0.3)", 0, "450.000000"},
      {"caseif(7)", 0, "7.000000"},
      {"caseif()", 0, "0"},
      {"caseif(1,2)", CAC_ERR_TOO_FEW_ARGS},
      {"caseif(1,\"a\",2)", CAC_ERR_TYPE},
      {"caseone(1500,0,1000,5,8)", 0, "8.000000"},
      {"caseone(500,0,1000,5,8)", 0, "5.000000"},
      {"caseone(1000,0,1000,5,8)", 0, "5.000000"},
      {"caseone(-5,0,1000,5,8)", 0, "5.000000"},
  });
}

TEST(CaculateFunctions, Texts) {
  RunCases({
      {"left(\"abc\")", 0, "abc", CAC_STRING},
      {"left(\"abc\",2)", 0, "ab", CAC_STRING},
      {"left(\"中文\",3)", 0, "中", CAC_STRING},
      {"left(\"a(b\")", 0, "a(b", CAC_STRING},
      {"right(\"abc\",5)", 0, "abc", CAC_STRING},
      {"right(\"abcd\",2)", 0, "cd", CAC_STRING},
      {"right(\"中文\",2)", 0, "文", CAC_STRING},
      {"str(\"abcdef\",2,3)", 0, "cde", CAC_STRING},
      {"str(\"abcdef\",2)", 0, "cdef", CAC_STRING},
      {"str(\"中文字\",2,2)", 0, "文", CAC_STRING},
      {"str(1.50)", 0, "1.5", CAC_STRING},
      {"str(\"abc\",\"x\")", CAC_ERR_TYPE},
      {"left(\"abc\",1,2)", CAC_ERR_TOO_MANY_ARGS},
      {"trim(\"  a b \t\")", 0, "a b", CAC_STRING},
      {"triml(\"  a \")", 0, "a ", CAC_STRING},
      {"trimr(\"  a \")", 0, "  a", CAC_STRING},
      {"strrepl(\"aXbX\",\"X\",\"--\")", 0, "a--b--", CAC_STRING},
      {"strrepl(\"a\", ,\"b\")", CAC_ERR_TOO_FEW_ARGS},
      {"formatcode(\"12\",5)", 0, "00012", CAC_STRING},
      {"formatcode(\"12\",5,\" \")", 0, "   12", CAC_STRING},
      {"formatcode(7,3)", 0, "007", CAC_STRING},
      {"formatcode(\"中\",4)", 0, "00中", CAC_STRING},
      {"formatcode(\"12\")", CAC_ERR_TOO_FEW_ARGS},
      {"money(1005.3)", 0, "壹仟零伍元叁角整", CAC_STRING},
      {"money(0)", 0, "零元整", CAC_STRING},
      {"money(-12)", 0, "负壹拾贰元整", CAC_STRING},
      {"money(1.05)", 0, "壹元零伍分", CAC_STRING},
      {"money(100000000)", 0, "壹亿元整", CAC_STRING},
      {"num(2016)", 0, "二○一六", CAC_STRING},
      {"num(-12.7)", 0, "-一二", CAC_STRING},
      {"changeday(\"20161219\")", 0, "2016年12月19日", CAC_STRING},
      {"changeday(20161219)", 0, "2016年12月19日", CAC_STRING},
      {"left(\"ab\"+\"cd\",3)+len(\"x\")", 0, "abc1", CAC_STRING},
  });

  // formatcode's refusals fail without an error code.
  for (const char* formula :
       {"formatcode(\"123456\",5)", "formatcode(\"1\",5,\"ab\")", "formatcode(\"1\",\"x\")"}) {
    SCOPED_TRACE(formula);
    CCaculate calc;
    std::string result;
    int type = 0;
    EXPECT_FALSE(calc.Evaluate(formula, result, type));
    EXPECT_EQ(0, calc.GetErrorCode());
  }
}

TEST(CaculateFunctions, DateIsTheLocalDate) {
  const QDate today = QDate::currentDate();
  const std::string ymd = today.toString("yyyyMMdd").toStdString();
  RunCases({
      {"date()", 0, ymd.c_str(), CAC_STRING},
      {"date(0)", 0, std::to_string(today.year()).c_str()},
      {"date(1)", 0, std::to_string(today.month()).c_str()},
      {"date(2)", 0, std::to_string(today.day()).c_str()},
      {"date(1,2)", CAC_ERR_TOO_MANY_ARGS},
  });
}

TEST(CaculateHelpers, ArgumentSplitting) {
  const std::string args = "1,\"a,b\",f(2,3),[4,5] , ";
  EXPECT_EQ(5, CCaculate::CountArgs(args));
  EXPECT_EQ(0, CCaculate::CountArgs(" \t"));
  int start = -1;
  int end = -1;
  EXPECT_EQ("\"a,b\"", CCaculate::GetArg(args, 1, start, end));
  EXPECT_EQ(2, start);
  EXPECT_EQ(7, end);
  EXPECT_EQ("f(2,3)", CCaculate::GetArg(args, 2, start, end));
  EXPECT_EQ("[4,5] ", CCaculate::GetArg(args, 3, start, end));
  EXPECT_EQ(" ", CCaculate::GetArg(args, 4, start, end));
  EXPECT_EQ("", CCaculate::GetArg(args, 5, start, end));
  EXPECT_TRUE(CCaculate::IsValidName("a_1B"));
  EXPECT_FALSE(CCaculate::IsValidName("a.b"));
  EXPECT_TRUE(CCaculate::IsMathFunction("arctg"));
  EXPECT_FALSE(CCaculate::IsMathFunction("ABS"));
}

TEST(CaculateHelpers, WholeNumbersWriteAsThePlainText) {
  for (double v : {0.0, -0.0, 1.0, -1.0, 7.0, 1234567.0, -98765432.0, 123456789012345.0,
                   999999999999999.0, 0.5, -2.25, 1e15, 1e16, 1e300}) {
    SCOPED_TRACE(v);
    EXPECT_EQ(NumberToPlainText(v), caculate_text::PlainNumber(v));
  }
  EXPECT_EQ(12, caculate_text::ReadNumber(" 12ab"));
  EXPECT_EQ(0.5, caculate_text::ReadNumber(std::string(100, ' ') + "0.5"));
  EXPECT_EQ(0, caculate_text::ReadNumber("ab"));
  EXPECT_EQ("-1.500000", caculate_text::WriteFixed6(-1.5));
  EXPECT_EQ("0.000000", caculate_text::WriteFixed6(-0.0));
}

// The evaluator writes numbers without printf; the texts are those of NumberToPlainText, over
// every range a formula meets: money, weights, tiny and huge magnitudes, six-decimal ties
// (k/128 and k/1e6 + 5e-7), values around the rounding nudge, and values that are no numbers.
TEST(CaculateHelpers, NumberTextsMatchThePrintfTextsOnMillionsOfValues) {
  std::mt19937_64 random(20261209);
  std::uniform_real_distribution<double> unit(0, 1);
  std::uniform_int_distribution<int> exponent(-12, 22);
  std::uniform_int_distribution<long long> whole(-100000000, 100000000);
  auto next = [&](int kind) {
    switch (kind) {
      case 0:  // any magnitude
        return (unit(random) - 0.5) * std::pow(10.0, exponent(random));
      case 1:  // ticket money: (gross - tare) * ratio * 0.01
        return (whole(random) % 60000 - whole(random) % 20000) * (unit(random) * 100) * 0.01;
      case 2:  // exact ties at the sixth decimal
        return static_cast<double>(whole(random)) / 128;
      case 3:
        return static_cast<double>(whole(random)) / 1e6 + 5e-7;
      case 4:  // around what rounds to zero
        return (unit(random) - 0.5) * 2e-6;
      default:  // bit patterns, infinities and NaNs among them
        return std::bit_cast<double>(random());
    }
  };
  int mismatches = 0;
  for (int i = 0; i < 2000000 && mismatches < 10; ++i) {
    const double v = next(i % 6);
    const std::string expected = NumberToPlainText(v);
    const std::string got = caculate_text::PlainNumber(v);
    if (expected == got) continue;
    ++mismatches;
    ADD_FAILURE() << std::hexfloat << v << ": " << expected << " != " << got;
  }
  EXPECT_EQ(mismatches, 0);
}

namespace {

// An evaluator of a caller: variables from a table, one function of its own, one error code
// of its own.
class CTicketCaculate : public CCaculate {
 public:
  const CCaculateClass* GetRuntimeClass() const override {
    static const CCaculateClass cls{"CTicketCaculate", &CreateCaculateObject<CTicketCaculate>};
    return &cls;
  }
  int GetErrorInfo(int& code, std::string& message, int& position) override {
    const int r = CCaculate::GetErrorInfo(code, message, position);
    if (code == -200) message += "磅单未找到！";
    return r;
  }
  int EvalVariable(const std::string& name, std::string& result, int& type) override {
    auto it = m_vars.find(name);
    if (it == m_vars.end()) return CCaculate::EvalVariable(name, result, type);
    result = it->second.first;
    type = it->second.second;
    return 1;
  }
  int EvalFunction(const std::string& name, const std::string& args, std::string& result,
                   int& type) override {
    if (name == "ticket") {
      SetError(-200);
      return 0;
    }
    if (name != "twice") return CCaculate::EvalFunction(name, args, result, type);
    if (!CheckArgCount(args, 1)) return 0;
    double value = 0;
    if (!EvalSubExpr(args, result, nullptr, true, 0)) return 0;
    value = std::stod(result.empty() ? "0" : result);
    result = std::to_string(static_cast<int>(value * 2));
    type = CAC_NUMBER;
    return 1;
  }
  void CopyContextTo(CCaculate& target) override {
    static_cast<CTicketCaculate&>(target).m_vars = m_vars;
  }

  std::map<std::string, std::pair<std::string, int>> m_vars;
};

}  // namespace

TEST(Caculate, DerivedEvaluatorHooks) {
  CTicketCaculate calc;
  calc.m_vars["#mz"] = {"30.5", CAC_NUMBER};
  calc.m_vars["#pz"] = {"10.5", CAC_NUMBER};
  calc.m_vars["#nhm"] = {"张三", CAC_STRING};
  const Case cases[] = {
      {"#mz-#pz", 0, "20"},
      {"#mz b", 0, "30.5"},
      {"twice(#mz-#pz)", 0, "40"},
      {"iif(#mz>#pz,twice(1)+#nhm,\"\")", 0, "2张三", CAC_STRING},
      {"left(#nhm,2)", 0, "张", CAC_STRING},
      {"#zz", CAC_ERR_VARIABLE},
      {"twice(#zz)", CAC_ERR_VARIABLE},
      {"twice(1,2)", CAC_ERR_TOO_MANY_ARGS},
      {"other(1)", CAC_ERR_FUNCTION},
      {"ticket(1)", -200},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.formula);
    std::string result;
    int type = 0;
    EXPECT_EQ(c.error == 0, calc.Evaluate(c.formula, result, type));
    EXPECT_EQ(c.error, calc.GetErrorCode());
    if (c.error == 0) {
      EXPECT_EQ(c.result, result);
      EXPECT_EQ(c.type, type);
    }
  }

  std::string message;
  int code = 0;
  int position = 0;
  std::string result;
  int type = 0;
  EXPECT_FALSE(calc.Evaluate("ticket(1)", result, type));
  calc.GetErrorInfo(code, message, position);
  EXPECT_EQ("ticket(1)：磅单未找到！", message);
  EXPECT_FALSE(calc.Evaluate("twice(#zz)", result, type));
  calc.GetErrorInfo(code, message, position);
  EXPECT_EQ("#zz：变量名出错！", message);
  EXPECT_STREQ("CTicketCaculate", calc.CreateObject()->GetRuntimeClass()->m_lpszClassName);
  EXPECT_EQ(1, calc.Prepare());
}
