#pragma once
// Formulas read once into a tree of steps and evaluated again with other variable values.
// The steps give the same texts, types and numbers as reading the formula: a number is kept as
// a double, and where the reading evaluator writes it as text and reads it back, the steps
// take the double that text reads as. Whatever the steps do not cover is left to the reading
// evaluator: a formula they cannot take is never read into steps, and an evaluation that
// fails is evaluated again by reading, which gives the error, its subject and its position.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CCaculate;

// What one step of a formula yields: a text with its type, or a number written by an operator,
// whose text is its plain number text.
struct CCaculateValue {
  int type = 0;
  bool computed = false;
  double raw = 0;                     // a computed number before it is written as text
  const std::string* text = nullptr;  // the text otherwise
};

class CCaculateProgram {
 public:
  enum class Kind : std::uint8_t { Literal, Variable, Binary, Unary, Iif };
  enum class Op : std::uint8_t { Add, Sub, Mul, Div, Mod, Pow, Eq, Ne, Gt, Lt, Ge, Le, And, Or };

  struct Step {
    Kind kind = Kind::Literal;
    Op op = Op::Add;
    char unary = 0;  // '+', '-' or '!'
    int type = 0;    // of a literal
    int a = -1, b = -1, c = -1;
    std::string text;     // a literal's text or a variable's name
    std::string scratch;  // a variable's value or a joined text, during one evaluation
  };

  // False when the evaluation needs the reading evaluator (an error or a case not covered).
  bool Run(CCaculate& calc, std::string& result, int& type);
  // Empties the program, keeping its room for the next formula.
  void Clear();

  // Adds a step (reusing the room of an earlier program's step) and returns it.
  Step& AddStep();

  std::vector<Step> m_steps;  // the first m_size are this program's
  size_t m_size = 0;
  int m_root = -1;
  std::string m_subject;       // the subject text a successful reading leaves behind
  bool m_keepSubject = false;  // reading reads no name: the subject stays as it was

 private:
  bool Eval(CCaculate& calc, int index, CCaculateValue& value);
  bool EvalBinary(Step& step, CCaculateValue& left, const CCaculateValue& right);
};

// The texts of the evaluator's scan, kept aside while a formula is read into steps.
struct CCaculateScanTexts {
  std::string expr, subject, call;
};

// The programs of the formulas an evaluator met last, the least recently used replaced first.
// Programs do not depend on the evaluator's class or its data: every variable is asked of the
// hook at every evaluation, and functions that are not built in keep a formula from being
// read into steps, so a program stays right for as long as its text is the same.
class CCaculateProgramCache {
 public:
  // The program of the text, or nullptr when the steps cannot take it.
  CCaculateProgram* Find(CCaculate& calc, std::string_view text);

 private:
  struct Entry {
    size_t hash = 0;
    std::string text;
    bool usable = false;
    CCaculateProgram program;
    std::uint64_t lastUse = 0;
  };
  static constexpr size_t kCapacity = 16;
  std::vector<Entry> m_entries;
  std::uint64_t m_clock = 0;
  std::vector<CCaculateScanTexts> m_spare;  // kept, so that their room is reused
};
