// Formulas read once into steps must give what reading them every time gives: the same texts,
// types, errors, messages and positions, for any variable values.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "core/Caculate.h"
#include "core/CaculateProgram.h"
#include "core/CaculateText.h"
#include "core/SmNumber.h"

namespace {

using Vars = std::map<std::string, std::pair<std::string, int>>;

struct Outcome {
  bool ok = false;
  std::string result;
  int type = 0;
  int code = 0;
  std::string message;
  int position = 0;

  bool operator==(const Outcome&) const = default;
};

// Variables from a table; nested evaluators get the same table. A nested evaluator given a
// report writes its error into it when it goes.
class CTableCaculate : public CCaculate {
 public:
  ~CTableCaculate() override {
    if (m_pFarewell) GetErrorInfo(m_pFarewell->code, m_pFarewell->message, m_pFarewell->position);
  }
  const CCaculateClass* GetRuntimeClass() const override {
    static const CCaculateClass cls{"CTableCaculate", &CreateCaculateObject<CTableCaculate>};
    return &cls;
  }
  int EvalVariable(const std::string& name, std::string& result, int& type) override {
    const auto it = m_vars->find(name);
    if (it == m_vars->end()) return CCaculate::EvalVariable(name, result, type);
    result = it->second.first;
    type = it->second.second;
    return 1;
  }
  void CopyContextTo(CCaculate& target) override {
    auto& nested = static_cast<CTableCaculate&>(target);
    nested.m_vars = m_vars;
    nested.m_pFarewell = m_pReport;
  }

  const Vars* m_vars = nullptr;
  Outcome* m_pReport = nullptr;  // for the nested evaluator

 private:
  Outcome* m_pFarewell = nullptr;
};

Outcome EvaluateWith(CCaculate& calc, const std::string& formula) {
  Outcome o;
  o.ok = calc.Evaluate(formula, o.result, o.type);
  calc.GetErrorInfo(o.code, o.message, o.position);
  return o;
}

// The formula read as nested evaluations (function arguments) read theirs, never as steps.
Outcome ReadingOnly(const Vars& vars, const std::string& formula) {
  Outcome o;
  CTableCaculate host;
  host.m_vars = &vars;
  host.m_pReport = &o;
  o.ok = host.EvalSubExpr(formula, o.result, &o.type, false, 0);
  return o;
}

std::ostream& operator<<(std::ostream& os, const Outcome& o) {
  return os << (o.ok ? "ok " : "failed ") << '"' << o.result << "\" type " << o.type << " code "
            << o.code << " \"" << o.message << "\" at " << o.position;
}

// Random formulas over what the steps take (numbers, variables, texts, every operator,
// brackets, iif) and a little of what they leave to reading (other functions, bad names,
// syntax errors).
class FormulaMaker {
 public:
  explicit FormulaMaker(unsigned seed) : m_random(seed) {}

  std::string Formula() { return Expression(0); }

 private:
  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }

  template <size_t N>
  const char* PickOf(const char* const (&items)[N]) {
    return items[Pick(static_cast<int>(N))];
  }

  std::string Expression(int depth) {
    static const char* const ops[] = {"+",  "-",  "*", "/",  "%",  "^",  ">",   "<",
                                      ">=", "<=", "=", "!=", "&&", "||", " + ", "*"};
    std::string text = Operand(depth);
    const int count = Pick(depth > 2 ? 2 : 4);
    for (int i = 0; i < count; ++i) {
      text += PickOf(ops);
      text += Operand(depth);
    }
    return text;
  }

  std::string Operand(int depth) {
    static const char* const literals[] = {"0",
                                           "1",
                                           "2",
                                           "3",
                                           "1.50",
                                           "007",
                                           ".5",
                                           "0.1",
                                           "0.2",
                                           "0.3",
                                           "98.5",
                                           "0.01",
                                           "0.0000005",
                                           "1e5",
                                           "12ab",
                                           "-",
                                           "\"ab\"",
                                           "\"中文\"",
                                           "123456789012",
                                           "999999999.9999995",
                                           "abc",
                                           "",
                                           " 4 "};
    static const char* const variables[] = {"#a", "#b", "#c", "#d", "#s", "#t", "#zz", "#u"};
    // Mostly what the steps take; a function they leave to reading or a fault now and then.
    const int kind = Pick(depth > 3 ? 3 : 20);
    switch (kind > 8 ? kind % 2 : kind) {
      case 0:
        return PickOf(literals);
      case 1:
      case 2:
        return PickOf(variables);
      case 3:
        return "(" + Expression(depth + 1) + (Pick(8) == 0 ? "]" : ")");
      case 4:
        return "iif(" + Expression(depth + 1) + "," + Expression(depth + 1) + "," +
               Expression(depth + 1) + ")";
      case 5: {
        static const char* const unary[] = {"-", "+", "!"};
        return PickOf(unary) + Operand(depth + 1);
      }
      case 6: {
        static const char* const others[] = {"abs(", "round(", "len(", "iif(1,", "iif(", "str("};
        return PickOf(others) + Expression(depth + 1) + ")";
      }
      case 7: {
        static const char* const odd[] = {"#x.y", "(", "&",         "iif(1,2)",     "\"open",
                                          "--2",  ")", "iif(0,1,)", "iif(#zz,#s,2)"};
        return PickOf(odd);
      }
      default:
        return PickOf(variables);
    }
  }

  std::mt19937 m_random;
};

// Variable values: whole numbers, money, six-decimal ties, what rounds to zero, huge and tiny
// values, texts that are no numbers, and values given as texts.
class ValueMaker {
 public:
  explicit ValueMaker(unsigned seed) : m_random(seed) {}

  Vars Values() {
    Vars vars;
    for (const char* name : {"#a", "#b", "#c", "#d", "#zz"}) vars[name] = {Number(), CAC_NUMBER};
    vars["#s"] = {Pick(2) ? "ab" : Number(), CAC_STRING};
    vars["#t"] = {Number(), Pick(4) ? CAC_NUMBER : 7};
    return vars;
  }

 private:
  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }

  std::string Number() {
    static const char* const fixed[] = {
        "",       "0",          "-0",        "1",         "2.5",        "30123",
        "10234",  "98.5",       "0.0000005", "0.0078125", "1.0000005",  "-2.4999995",
        "1e300",  "1e-300",     "abc",       "0.1",       "0.30000001", "1e16",
        "-7",     " 12",        "+3",        "inf",       "0x10",       "123456789.1234565",
        "1.5e-7", "1000000000", "-0.0000004"};
    char buf[64];
    std::uniform_real_distribution<double> unit(0, 1);
    switch (Pick(6)) {
      case 0:
        return fixed[Pick(static_cast<int>(std::size(fixed)))];
      case 1:  // a weight
        return std::to_string(Pick(60000) - 1000);
      case 2:  // a tie at the sixth decimal
        std::snprintf(buf, sizeof buf, "%.17g", (Pick(2000000) - 1000000) / 128.0);
        return buf;
      case 3:
        std::snprintf(buf, sizeof buf, "%.7f", (Pick(2000000) - 1000000) / 1e6 + 5e-7);
        return buf;
      case 4:  // any magnitude
        std::snprintf(buf, sizeof buf, "%.17g",
                      (unit(m_random) - 0.5) * std::pow(10.0, Pick(30) - 12));
        return buf;
      default:
        std::snprintf(buf, sizeof buf, "%.3f", unit(m_random) * 100000);
        return buf;
    }
  }

  std::mt19937 m_random;
};

}  // namespace

TEST(CaculateProgram, StepsGiveWhatReadingGives) {
  FormulaMaker formulas(20261210);
  ValueMaker values(777);
  int compiled = 0;
  int ranClean = 0;
  int mismatches = 0;
  constexpr int kFormulas = 4000;
  for (int f = 0; f < kFormulas && mismatches < 10; ++f) {
    const std::string formula = formulas.Formula();
    auto vars = values.Values();
    CTableCaculate cached;  // meets the formula again and again
    cached.m_vars = &vars;
    CCaculateProgramCache cache;
    CCaculateProgram* program = cache.Find(cached, formula);
    if (program) ++compiled;
    for (int v = 0; v < 30 && mismatches < 10; ++v) {
      vars = values.Values();
      const Outcome expected = ReadingOnly(vars, formula);
      const Outcome got = EvaluateWith(cached, formula);
      bool same = expected == got;
      if (program) {
        // The steps themselves: they succeed exactly when reading does, with its result.
        CTableCaculate runner;
        runner.m_vars = &vars;
        Outcome steps;
        steps.ok = program->Run(runner, steps.result, steps.type);
        ranClean += steps.ok;
        same = same && steps.ok == expected.ok &&
               (!steps.ok || (steps.result == expected.result && steps.type == expected.type));
        same = same && (!expected.ok || program->m_subject == expected.message);
      }
      if (same) continue;
      ++mismatches;
      ADD_FAILURE() << formula << " with #a=" << vars["#a"].first << " #b=" << vars["#b"].first
                    << " #zz=" << vars["#zz"].first << " #t=" << vars["#t"].first
                    << "\n  reading: " << expected << "\n  cached:  " << got;
    }
  }
  EXPECT_EQ(mismatches, 0);
  // The generator must exercise the steps, not only reading.
  EXPECT_GT(compiled, kFormulas / 2);
  EXPECT_GT(ranClean, kFormulas * 10);
}

TEST(CaculateProgram, RepeatedFormulasKeepTheirMeaning) {
  Vars vars = {{"#mz", {"30123", CAC_NUMBER}},
               {"#pz", {"10234", CAC_NUMBER}},
               {"#zb", {"98.5", CAC_NUMBER}},
               {"#zz", {"1", CAC_NUMBER}}};
  CTableCaculate calc;
  calc.m_vars = &vars;
  const std::string ticket = "iif(#zz>0,(#mz-#pz)*#zb*0.01,0)";
  struct Step {
    const char* name;
    const char* value;
    int type;
    const char* result;  // nullptr: the evaluation fails
  };
  // Each row changes one variable and evaluates the ticket formula again.
  const Step steps[] = {
      {"#zz", "1", CAC_NUMBER, "19590.665"},     {"#zz", "0", CAC_NUMBER, "0"},
      {"#zz", "2", CAC_NUMBER, "19590.665"},     {"#zb", "0.0000005", CAC_NUMBER, "0.000099"},
      {"#zb", "x", CAC_STRING, nullptr},         {"#zb", "abc", CAC_NUMBER, ""},
      {"#zb", "98.5", CAC_NUMBER, "19590.665"},  {"#pz", "1e308", CAC_NUMBER, nullptr},
      {"#pz", "10234", CAC_NUMBER, "19590.665"},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(std::string(s.name) + "=" + s.value);
    vars[s.name] = {s.value, s.type};
    for (int round = 0; round < 3; ++round) {
      std::string result;
      int type = 0;
      ASSERT_EQ(s.result != nullptr, calc.Evaluate(ticket, result, type));
      if (s.result) {
        EXPECT_EQ(s.result, result);
      }
    }
  }
  // A variable that went missing reports as reading reports it, also after many good runs.
  vars.erase("#mz");
  int code = 0;
  int position = 0;
  std::string message;
  std::string result;
  int type = 0;
  EXPECT_FALSE(calc.Evaluate(ticket, result, type));
  calc.GetErrorInfo(code, message, position);
  EXPECT_EQ(-6, code);
  EXPECT_EQ("#mz：变量名出错！", message);

  // A formula that reads no name leaves the subject of the one before, as reading does.
  for (const char* before : {"#pz 2", "#zb 2", "#pz 2"}) {
    ASSERT_TRUE(calc.Evaluate(before, result, type));
    ASSERT_TRUE(calc.Evaluate("(1)2", result, type));
    calc.GetErrorInfo(code, message, position);
    EXPECT_EQ(std::string(before).substr(0, 3), message);
  }

  // A chain longer than a program takes is read, every time.
  std::string chain = "1";
  for (int i = 1; i < 20000; ++i) chain += "+1";
  for (int round = 0; round < 2; ++round) {
    ASSERT_TRUE(calc.Evaluate(chain, result, type));
    EXPECT_EQ("20000", result);
  }
}

// The numbers the steps carry between operators are the numbers the texts read back as.
TEST(CaculateProgram, PlainValuesAreTheTextsReadBack) {
  std::mt19937_64 random(99);
  std::uniform_real_distribution<double> unit(0, 1);
  std::uniform_int_distribution<long long> whole(-1000000000000000LL, 1000000000000000LL);
  auto next = [&](int kind) {
    switch (kind) {
      case 0:
        return (unit(random) - 0.5) * std::pow(10.0, static_cast<int>(unit(random) * 34) - 12);
      case 1:  // near the edge of the short way: halves of millionths, off by a little
        return (static_cast<double>(whole(random) % 2000000000) + 0.5) / 1e6 +
               (unit(random) - 0.5) * 1e-9;
      case 2:
        return static_cast<double>(whole(random) % 128000000000LL) / 128;
      case 3:  // around 1e9, where the short way ends
        return 1e9 * (1 + (unit(random) - 0.5) * 1e-6);
      case 4:
        return static_cast<double>(whole(random)) / 1e6;
      default:
        return std::bit_cast<double>(random());
    }
  };
  int mismatches = 0;
  for (int i = 0; i < 600000 && mismatches < 10; ++i) {
    const double v = next(i % 6);
    const std::string text = NumberToPlainText(v);
    const double expected = text.empty() ? 0.0 : std::strtod(text.c_str(), nullptr);
    const double got = caculate_text::PlainValue(v);
    const double read = caculate_text::ReadNumber(text);
    if (std::bit_cast<long long>(expected) == std::bit_cast<long long>(got) &&
        std::bit_cast<long long>(expected) == std::bit_cast<long long>(read) &&
        text == caculate_text::PlainNumber(v))
      continue;
    ++mismatches;
    ADD_FAILURE() << std::hexfloat << v << ": " << text << " reads " << expected << ", got " << got
                  << " and " << read;
  }
  EXPECT_EQ(mismatches, 0);

  for (const char* text :
       {"007", "-0", "1.", ".5", "-.5", "123456789012345", "1234567890123456", "0.000000000000001",
        "9007199254740993", "-", ".", "1.2.3", " 5", "+5", "5x", "0.1", "2.675", "1e5", ""}) {
    SCOPED_TRACE(text);
    char* end = nullptr;
    const double expected = std::strtod(text, &end);
    EXPECT_EQ(std::bit_cast<long long>(end == text ? 0.0 : expected),
              std::bit_cast<long long>(caculate_text::ReadNumber(text)));
  }
}
