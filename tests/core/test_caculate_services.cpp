// The evaluator's text services for callers that prepare formulas, and the evaluator with a
// variable table.
#include <gtest/gtest.h>

#include "core/SmVarCaculate.h"

namespace {

TEST(CaculateServices, StripCommentsAndTakeGroups) {
  struct Case {
    const char* name;
    const char* text;
    bool ok;
    const char* stripped;
    int group;
  } const cases[] = {
      {"line comment", "2:#c1+1 // 注", true, "#c1+1 ", 2},
      {"both block kinds", "#c1/*a*/+{b}#c2", true, "#c1+#c2", 0},
      {"comment marks inside quotes stay", "\"/*x*/\"+#c1", true, "\"/*x*/\"+#c1", 0},
      {"unterminated block", "#c1 /* 未完", false, "", 0},
      {"unterminated brace", "#c1 {注", false, "", 0},
      {"three digits are no group", "123:#c1", true, "123:#c1", 0},
  };
  for (const Case& c : cases) {
    std::string text = c.text;
    const bool ok = CCaculate::StripLineComments(text) && CCaculate::StripBlockComments(text, 0) &&
                    CCaculate::StripBlockComments(text, 1);
    EXPECT_EQ(ok, c.ok) << c.name;
    if (!ok) continue;
    EXPECT_EQ(CCaculate::TakeGroupPrefix(text), c.group) << c.name;
    EXPECT_EQ(text, c.stripped) << c.name;
  }
}

TEST(VarCaculate, VariablesByName) {
  CSmVarCaculate calc;
  const int a = calc.DeclareVariable("#c1", "", CAC_NUMBER);
  calc.DeclareVariable("#c2", "\"红\"", CAC_STRING);
  calc.SetVariableValue(a, "2.5");
  std::string result;
  int type = 0;
  ASSERT_TRUE(calc.Evaluate("#C1*2", result, type));
  EXPECT_EQ(result, "5");
  ASSERT_TRUE(calc.Evaluate("#c2+\"糖\"", result, type));
  EXPECT_EQ(result, "红糖");
  EXPECT_EQ(type, CAC_STRING);
  EXPECT_EQ(calc.DeclareVariable("#C1", "1", CAC_NUMBER), a);
  // Nested evaluations (function arguments) see the same variables.
  double value = 0;
  ASSERT_TRUE(calc.EvalDouble("abs(#c1*-3)", value));
  EXPECT_DOUBLE_EQ(value, 3);
  EXPECT_FALSE(calc.Evaluate("#c9", result, type));
}

}  // namespace
