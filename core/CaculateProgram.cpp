#include "core/CaculateProgram.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>

#include "core/Caculate.h"
#include "core/CaculateText.h"
#include "core/CaculateTokens.h"
#include "core/SmGbk.h"

using caculate_text::PlainNumber;
using caculate_text::PlainValue;
using caculate_text::ReadNumber;

namespace {

using namespace caculate_tokens;

// Deepest nesting of brackets, powers and function arguments a program takes; well inside the
// limit of the reading evaluator, so that the steps never meet its nesting error.
constexpr int kMaxProgramNesting = 40;
// Longest program: a long chain of operators is evaluated by recursion over its steps, so very
// long formulas are left to reading, which loops.
constexpr size_t kMaxProgramSteps = 256;

using Op = CCaculateProgram::Op;
using Kind = CCaculateProgram::Kind;

const std::string kOneText = "1";
const std::string kZeroText = "0";

// The number the reading evaluator reads from the value's text.
double NumberOf(const CCaculateValue& value) {
  return value.computed ? PlainValue(value.raw) : ReadNumber(*value.text);
}

std::string TextOf(const CCaculateValue& value) {
  return value.computed ? PlainNumber(value.raw) : *value.text;
}

bool IsNumberOp(Op op) {
  return op == Op::Mul || op == Op::Div || op == Op::Mod || op == Op::Pow || op == Op::And ||
         op == Op::Or;
}

CCaculateValue Computed(double raw) {
  return {CAC_NUMBER, true, raw, nullptr};
}

}  // namespace

// Reads a formula into steps with the reading evaluator's own scanner, so that both see the
// same tokens; fails wherever the steps would not give what reading gives.
class CCaculateCompiler {
 public:
  CCaculateCompiler(CCaculate& calc, CCaculateProgram& program,
                    std::vector<CCaculateScanTexts>& spare)
      : m_calc(calc), m_program(program), m_spare(spare) {
    m_spare.reserve(kMaxProgramNesting + 2);
  }

  bool Compile(const std::string& text) {
    m_program.Clear();
    return Formula(text, 0, text.size(), m_program.m_root, &m_program);
  }

 private:
  // A whole formula (`size` bytes of `source` from `from`) as one evaluation reads it: what
  // follows the expression is scanned and ignored. The scan state of the formula around it is
  // kept aside meanwhile, its text in the spare texts of this depth; its token is read again
  // (a call's arguments: see Function). With `top`, the formula is the evaluator's own: its
  // subject text is kept aside too, and the program learns the one the scan leaves behind.
  bool Formula(const std::string& source, size_t from, size_t size, int& node,
               CCaculateProgram* top) {
    const size_t level = m_level;
    if (m_spare.size() <= level) m_spare.resize(level + 1);
    std::swap(m_spare[level].expr, m_calc.m_sExpr);
    if (top) std::swap(m_spare[level].subject, m_calc.m_sSubject);
    const size_t pos = m_calc.m_nPos;
    const int kind = m_calc.m_nTokenKind;
    const int depth = m_calc.m_nDepth;
    const int error = m_calc.m_nError;
    m_calc.m_sExpr.assign(source, from, size);
    m_calc.m_nPos = 0;
    m_calc.m_sToken.clear();
    m_calc.m_nTokenKind = 0;
    m_calc.m_nDepth = 0;
    // No token the scan reads begins with a double-quote character: a subject that still
    // does after the scan was never touched, and a run leaves the evaluator's subject alone.
    if (top) m_calc.m_sSubject.assign(1, '"');
    ++m_level;
    const bool ok = m_calc.NextToken() && Logic(node);
    --m_level;
    if (ok && top) {
      top->m_keepSubject = m_calc.m_sSubject.starts_with('"');
      top->m_subject = top->m_keepSubject ? std::string() : m_calc.m_sSubject;
    }
    std::swap(m_spare[level].expr, m_calc.m_sExpr);
    if (top) std::swap(m_spare[level].subject, m_calc.m_sSubject);
    m_calc.m_sToken.clear();
    m_calc.m_nPos = pos;
    m_calc.m_nTokenKind = kind;
    m_calc.m_nDepth = depth;
    m_calc.m_nError = error;
    return ok;
  }

  bool Is(const char* op) const { return m_calc.IsOperator(op); }

  // A new step at the end of the program; the reference lasts until the next new step.
  CCaculateProgram::Step& NewStep(Kind kind, int& index) {
    index = static_cast<int>(m_program.m_size);
    CCaculateProgram::Step& step = m_program.AddStep();
    step.kind = kind;
    return step;
  }

  int AddBinary(Op op, int left, int right) {
    int index = -1;
    CCaculateProgram::Step& step = NewStep(Kind::Binary, index);
    step.op = op;
    step.a = left;
    step.b = right;
    return index;
  }

  // One more level of nesting for as long as it lives; false beyond what a program takes.
  class Nesting {
   public:
    explicit Nesting(int& depth) : m_depth(depth) { ++m_depth; }
    ~Nesting() { --m_depth; }
    Nesting(const Nesting&) = delete;
    Nesting& operator=(const Nesting&) = delete;
    bool Allowed() const { return m_depth <= kMaxProgramNesting; }

   private:
    int& m_depth;
  };

  // A loop of one binary level: operators of `ops` with their steps, operands from `next`.
  template <size_t N>
  bool Level(int& node, const std::pair<const char*, Op> (&ops)[N],
             bool (CCaculateCompiler::*next)(int&)) {
    if (!(this->*next)(node)) return false;
    for (;;) {
      if (m_calc.m_nTokenKind != kTokOperator) return true;
      const auto found = std::find_if(std::begin(ops), std::end(ops),
                                      [&](const auto& candidate) { return Is(candidate.first); });
      if (found == std::end(ops)) return true;
      int right = -1;
      if (!m_calc.NextToken() || !(this->*next)(right)) return false;
      node = AddBinary(found->second, node, right);
    }
  }

  bool Logic(int& node) {
    static const std::pair<const char*, Op> ops[] = {{"||", Op::Or}, {"&&", Op::And}};
    return Level(node, ops, &CCaculateCompiler::Compare);
  }

  bool Compare(int& node) {
    static const std::pair<const char*, Op> ops[] = {{">", Op::Gt},  {"<", Op::Lt}, {">=", Op::Ge},
                                                     {"<=", Op::Le}, {"=", Op::Eq}, {"!=", Op::Ne}};
    return Level(node, ops, &CCaculateCompiler::Additive);
  }

  bool Additive(int& node) {
    static const std::pair<const char*, Op> ops[] = {{"+", Op::Add}, {"-", Op::Sub}};
    return Level(node, ops, &CCaculateCompiler::Multiplicative);
  }

  bool Multiplicative(int& node) {
    static const std::pair<const char*, Op> ops[] = {
        {"*", Op::Mul}, {"/", Op::Div}, {"%", Op::Mod}};
    return Level(node, ops, &CCaculateCompiler::Power);
  }

  bool Power(int& node) {
    if (!Unary(node)) return false;
    if (!Is("^")) return true;
    const Nesting nesting(m_depth);
    int right = -1;
    if (!nesting.Allowed() || !m_calc.NextToken() || !Power(right)) return false;
    node = AddBinary(Op::Pow, node, right);
    return true;
  }

  bool Unary(int& node) {
    if (!(Is("+") || Is("-") || Is("!"))) return Primary(node);
    const char unary = m_calc.m_sToken[0];
    int operand = -1;
    if (!m_calc.NextToken() || !Primary(operand)) return false;
    CCaculateProgram::Step& step = NewStep(Kind::Unary, node);
    step.unary = unary;
    step.a = operand;
    return true;
  }

  bool Primary(int& node) {
    if (m_program.m_size >= kMaxProgramSteps) return false;
    if (m_calc.m_nTokenKind == kTokOperator) {
      if (!Is("(") && !Is("[")) return false;
      const Nesting nesting(m_depth);
      if (!nesting.Allowed() || !m_calc.NextToken() || !Logic(node)) return false;
      if (!Is(")") && !Is("]")) return false;
      return m_calc.NextToken();
    }
    const bool ok = m_calc.m_nTokenKind == kTokFunction ? Function(node) : Operand(node);
    return ok && m_calc.NextToken();
  }

  // A literal, a bare word (a string), the empty name (an empty number) or a variable.
  bool Operand(int& node) {
    const std::string& token = m_calc.m_sToken;
    int type = m_calc.m_nTokenKind;
    Kind kind = Kind::Literal;
    if (type == kTokName) {
      type = token.empty() ? CAC_NUMBER : CAC_STRING;
      if (!token.empty() && token[0] == '#') {
        if (!CCaculate::IsValidName(token.substr(1))) return false;
        kind = Kind::Variable;
      }
    }
    CCaculateProgram::Step& step = NewStep(kind, node);
    step.type = type;
    step.text = token;
    return true;
  }

  // iif is taken; every other function is left to reading.
  bool Function(int& node) {
    // The token stays in the spare texts of this depth while its arguments are read (the
    // room reserved for every depth keeps the reference valid).
    if (m_spare.size() <= m_level) m_spare.resize(m_level + 1);
    std::string& token = m_spare[m_level].call;
    token = m_calc.m_sToken;
    const size_t open = token.find_first_of("([");
    if (token.compare(0, open, "iif") != 0) return false;
    // The arguments lie between the first bracket and the one that closes the token.
    size_t from[3] = {open + 1, 0, 0};
    size_t to[3] = {0, 0, token.size() - 1};
    if (!SplitThree(token, from, to)) return false;
    int parts[3] = {-1, -1, -1};
    for (int i = 0; i < 3; ++i) {
      const std::string_view arg(token.data() + from[i], to[i] - from[i]);
      const Nesting nesting(m_depth);
      if (!HasNonBlank(arg) || !nesting.Allowed() ||
          !Formula(token, from[i], to[i] - from[i], parts[i], nullptr))
        return false;
    }
    // The arguments were read apart; the scan of this formula goes on behind the call, whose
    // token is the subject.
    m_calc.m_sSubject = token;
    CCaculateProgram::Step& step = NewStep(Kind::Iif, node);
    step.a = parts[0];
    step.b = parts[1];
    step.c = parts[2];
    return true;
  }

  // Splits the argument text from[0]..to[2] into exactly three arguments at its top-level
  // commas, as CountArgs and GetArg count them: commas between double-quote characters or
  // inside brackets do not count.
  static bool SplitThree(const std::string& text, size_t (&from)[3], size_t (&to)[3]) {
    int commas = 0;
    int depth = 0;
    bool quoted = false;
    for (size_t i = from[0]; i < to[2]; ++i) {
      const char c = text[i];
      if (c == '"') quoted = !quoted;
      if (quoted) continue;
      if (c == '(' || c == '[') ++depth;
      if (c == ')' || c == ']') --depth;
      if (c != ',' || depth != 0) continue;
      if (++commas > 2) return false;
      to[commas - 1] = i;
      from[commas] = i + 1;
    }
    return commas == 2;
  }

  // Not blank, as IsNotBlank tests it.
  static bool HasNonBlank(std::string_view text) {
    return text.find_first_not_of(" \t\r\n") != std::string_view::npos;
  }

  CCaculate& m_calc;
  CCaculateProgram& m_program;
  std::vector<CCaculateScanTexts>& m_spare;
  size_t m_level = 0;  // formulas being read, one within another
  int m_depth = 0;
};

void CCaculateProgram::Clear() {
  m_size = 0;
  m_root = -1;
  m_subject.clear();
  m_keepSubject = false;
}

CCaculateProgram::Step& CCaculateProgram::AddStep() {
  if (m_size == m_steps.size()) m_steps.emplace_back();
  Step& step = m_steps[m_size++];
  step.op = Op::Add;
  step.unary = 0;
  step.type = 0;
  step.a = step.b = step.c = -1;
  step.text.clear();
  return step;
}

bool CCaculateProgram::Run(CCaculate& calc, std::string& result, int& type) {
  CCaculateValue value;
  if (!Eval(calc, m_root, value)) return false;
  if (value.computed)
    result = PlainNumber(value.raw);
  else
    result = *value.text;
  type = value.type;
  return true;
}

bool CCaculateProgram::Eval(CCaculate& calc, int index, CCaculateValue& value) {
  Step& step = m_steps[static_cast<size_t>(index)];
  switch (step.kind) {
    case Kind::Literal:
      value = {step.type, false, 0, &step.text};
      return true;
    case Kind::Variable: {
      // As reading does: the hook starts from an empty number.
      step.scratch.clear();
      int type = CAC_NUMBER;
      if (!calc.EvalVariable(step.text, step.scratch, type)) return false;
      value = {type, false, 0, &step.scratch};
      return true;
    }
    case Kind::Unary: {
      if (!Eval(calc, step.a, value) || value.type != CAC_NUMBER) return false;
      double x = NumberOf(value);
      if (step.unary == '-') x = -x;
      if (step.unary == '!') x = std::fabs(x) <= kTolerance ? 1 : 0;
      value = Computed(x);
      return true;
    }
    case Kind::Iif: {
      // The condition goes through a number wanted: read, written and read again.
      if (!Eval(calc, step.a, value) || value.type != CAC_NUMBER) return false;
      const double condition = PlainValue(NumberOf(value));
      return Eval(calc, std::fabs(condition) > kTolerance ? step.b : step.c, value);
    }
    case Kind::Binary:
      break;
  }
  CCaculateValue right;
  if (!Eval(calc, step.a, value) || !Eval(calc, step.b, right)) return false;
  if (step.op == Op::Div && std::fabs(NumberOf(right)) < kTolerance) return false;
  if (step.op == Op::Mod && std::fabs(NumberOf(right)) < 1) return false;
  if (step.op == Op::Pow && std::fabs(NumberOf(value)) < kTolerance &&
      std::fabs(NumberOf(right)) < kTolerance)
    return false;
  return EvalBinary(step, value, right);
}

bool CCaculateProgram::EvalBinary(Step& step, CCaculateValue& left, const CCaculateValue& right) {
  if (left.type == CAC_STRING || right.type == CAC_STRING) {
    if (IsNumberOp(step.op)) return false;
    if (step.op == Op::Add || step.op == Op::Sub) {
      step.scratch = TextOf(left);
      if (step.op == Op::Sub) step.scratch += '-';
      step.scratch += TextOf(right);
      left = {CAC_STRING, false, 0, &step.scratch};
      return true;
    }
    const int cmp = GbkCompare(TextOf(left), TextOf(right));
    bool yes = false;
    if (step.op == Op::Gt) yes = cmp > 0;
    if (step.op == Op::Lt) yes = cmp < 0;
    if (step.op == Op::Ge) yes = cmp >= 0;
    if (step.op == Op::Le) yes = cmp <= 0;
    if (step.op == Op::Eq) yes = cmp == 0;
    if (step.op == Op::Ne) yes = cmp != 0;
    left = {CAC_NUMBER, false, 0, yes ? &kOneText : &kZeroText};
    return true;
  }
  const double a = NumberOf(left);
  const double b = NumberOf(right);
  double r = 0;
  switch (step.op) {
    case Op::Add:
      r = a + b;
      break;
    case Op::Sub:
      r = a - b;
      break;
    case Op::Mul:
      r = a * b;
      break;
    case Op::Div:
      r = a / b;
      break;
    case Op::Mod:
      r = std::fmod(std::trunc(a), std::trunc(b));
      break;
    case Op::Pow:
      r = std::pow(a, b);
      break;
    case Op::Eq:
      r = std::fabs(a - b) < kTolerance;
      break;
    case Op::Ne:
      r = std::fabs(a - b) > kTolerance;
      break;
    case Op::Gt:
      r = a - b > kTolerance;
      break;
    case Op::Lt:
      r = a - b < -kTolerance;
      break;
    case Op::Ge:
      r = a - b >= 0;
      break;
    case Op::Le:
      r = a - b <= 0;
      break;
    case Op::And:
      r = std::fabs(a) > kTolerance && std::fabs(b) > kTolerance;
      break;
    case Op::Or:
      r = std::fabs(a) > kTolerance || std::fabs(b) > kTolerance;
      break;
  }
  if (!std::isfinite(r)) return false;
  left = Computed(r);
  return true;
}

CCaculateProgram* CCaculateProgramCache::Find(CCaculate& calc, std::string_view text) {
  const size_t hash = std::hash<std::string_view>{}(text);
  ++m_clock;
  for (Entry& entry : m_entries) {
    if (entry.hash != hash || entry.text != text) continue;
    entry.lastUse = m_clock;
    return entry.usable ? &entry.program : nullptr;
  }
  Entry* slot = nullptr;
  if (m_entries.size() < kCapacity)
    slot = &m_entries.emplace_back();
  else
    slot = &*std::min_element(m_entries.begin(), m_entries.end(),
                              [](const Entry& x, const Entry& y) { return x.lastUse < y.lastUse; });
  slot->hash = hash;
  slot->text.assign(text);
  slot->lastUse = m_clock;
  slot->usable = CCaculateCompiler(calc, slot->program, m_spare).Compile(slot->text);
  return slot->usable ? &slot->program : nullptr;
}
