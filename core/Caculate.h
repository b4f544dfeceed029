#pragma once
// The formula evaluator: turns one formula text into one value. Values are texts with a type
// (number, string, nothing); numbers travel as their text with at most six decimals and zero
// as the empty text. Variables ("#name") and functions that are not built in reach a derived
// class through virtual hooks.
#include <memory>
#include <string>

class CCaculate;
class CCaculateCompiler;
class CCaculateProgramCache;

// Frees the formulas an evaluator keeps read into steps.
struct CCaculateProgramCacheDeleter {
  void operator()(CCaculateProgramCache* cache) const;
};

// Value types of a formula result.
constexpr int CAC_NUMBER = 4;
constexpr int CAC_STRING = 5;
constexpr int CAC_NOTHING = 100;  // a formula that preprocessing left empty

// The evaluator's error codes (GetErrorCode); CacErrorText holds the message of each.
enum CacError : int {
  CAC_ERR_NONE = 0,
  CAC_ERR_BRACKET = -1,
  CAC_ERR_DIVIDE_BY_ZERO = -2,
  CAC_ERR_NUMBER = -3,
  CAC_ERR_NAME_CHAR = -4,
  CAC_ERR_NO_CLOSING_BRACKET = -5,
  CAC_ERR_VARIABLE = -6,
  CAC_ERR_FUNCTION = -7,
  CAC_ERR_SYMBOL = -8,
  CAC_ERR_OPERATOR = -9,
  CAC_ERR_POWER = -10,
  CAC_ERR_TOO_FEW_ARGS = -11,
  CAC_ERR_TOO_MANY_ARGS = -12,
  CAC_ERR_QUOTE = -13,
  CAC_ERR_TYPE = -14,
  CAC_ERR_DOMAIN = -15,
  CAC_ERR_MONTH_END_YEAR = -16,
  CAC_ERR_MONTH_END_MONTH = -17,
  // Beyond the classic table: brackets, powers and nested calls deeper than the evaluator
  // takes, and a function argument (decimals, width) beyond what a value can hold.
  CAC_ERR_NESTING = -18,
  CAC_ERR_ARG_RANGE = -19,
};

// The message of an error code; nullptr for 0 and codes outside the table.
const char* CacErrorText(int code);
// Deepest nesting of brackets, powers and function calls that one formula may use.
constexpr int CAC_MAX_NESTING = 100;

// Run-time class record: the class name and a factory that makes a fresh object of the class.
// Nested evaluations create their evaluator through it, so they run in the caller's own class.
struct CCaculateClass {
  const char* m_lpszClassName;
  std::unique_ptr<CCaculate> (*m_pfnCreateObject)();
};

template <class T>
std::unique_ptr<CCaculate> CreateCaculateObject() {
  return std::make_unique<T>();
}

class CCaculate {
 public:
  CCaculate() = default;
  CCaculate(const CCaculate&) = delete;
  CCaculate& operator=(const CCaculate&) = delete;

  // Virtual operations; a derived evaluator overrides them.
  virtual const CCaculateClass* GetRuntimeClass() const;
  virtual ~CCaculate() = default;
  // Code, message (prefixed with the subject) and position of the last failure; 1 for a
  // negative code, else 0.
  virtual int GetErrorInfo(int& code, std::string& message, int& position);
  // `name` includes its leading "#". Nonzero with result and type (4 or 5) set, or an error.
  virtual int EvalVariable(const std::string& name, std::string& result, int& type);
  // `args` is the argument text without the brackets.
  virtual int EvalFunction(const std::string& name, const std::string& args, std::string& result,
                           int& type);
  // Copies what nested evaluations need (variables, data sources) into a fresh evaluator.
  virtual void CopyContextTo(CCaculate& target);
  virtual void TakeErrorFrom(const CCaculate& other);
  // Run by users of a derived evaluator before an evaluation; the evaluator never calls it.
  virtual int Prepare() { return 1; }

  // Text services for callers that prepare formulas themselves. Comments are removed outside
  // quoted text; false on an unpaired quote or (block comments: kind 0 "/*...*/", 1 "{...}")
  // an unterminated comment. A leading "n:" of one or two digits is taken off and returned.
  static bool StripLineComments(std::string& text);
  static bool StripBlockComments(std::string& text, int kind);
  static int TakeGroupPrefix(std::string& text);

  std::unique_ptr<CCaculate> CreateObject() const { return GetRuntimeClass()->m_pfnCreateObject(); }

  bool Evaluate(const std::string& formula, std::string& result, int& type);
  bool EvalDouble(const std::string& formula, double& value);
  // Nested evaluation in a fresh evaluator of this class (arguments of functions).
  bool EvalSubExpr(const std::string& text, std::string& result, int* type, bool wantNumber,
                   int preprocess);
  std::string GetNote() const { return m_sNote; }
  int GetErrorCode() const { return m_nError; }
  const std::string& GetSubject() const { return m_sSubject; }

  // Helpers of the built-in functions.
  static int CountArgs(const std::string& args);
  static std::string GetArg(const std::string& args, int n, int& start, int& end);
  bool CheckArgCount(const std::string& args, int n);
  // For functions answered outside the evaluator (the application's, the modules').
  void SetErrorCode(int code) { SetError(code); }
  bool CheckArgRange(const std::string& args, int min, int max);
  static bool IsNotBlank(const std::string& text);
  static bool IsValidName(const std::string& name);
  static bool IsMathFunction(const std::string& name);

  // Set by the caller before `Evaluate`: remove comments and take a group prefix "n:".
  int m_bPreprocess = 0;
  // With the filter on, a formula whose group differs from the required one gives empty.
  int m_bGroupFilter = 0;
  int m_nRequiredGroup = 0;
  // Group of the last evaluated formula (0 without a prefix or without preprocessing).
  int m_nFormulaGroup = 0;

 protected:
  void SetError(int code) { m_nError = code; }
  bool CallFunction(std::string& result, int& type);

  int m_nError = 0;
  std::string m_sSubject;  // last name or function-call token read
  std::string m_sNote;     // last "{...}" comment of the formula

 private:
  friend class CCaculateCompiler;

  bool Preprocess(std::string& text);
  // Evaluates the text with the steps it was read into before, when it has them.
  bool RunProgram(const std::string& text, std::string& result, int& type);
  bool NextToken();
  bool ParseLogic(std::string& value, int& type);
  bool ParseCompare(std::string& value, int& type);
  bool ParseAdditive(std::string& value, int& type);
  bool ParseMultiplicative(std::string& value, int& type);
  bool ParsePower(std::string& value, int& type);
  bool ParseUnary(std::string& value, int& type);
  bool ParsePrimary(std::string& value, int& type);
  bool EvalName(std::string& value, int& type);
  bool ApplyBinary(const std::string& op, std::string& left, int& leftType,
                   const std::string& right, int rightType);
  bool IsOperator(const char* op) const;
  bool EnterNesting();

  // Built-in functions.
  bool CallMath(const std::string& name, const std::string& args, std::string& result);
  bool CallIif(const std::string& args, std::string& result, int& type);
  bool EvalCaseFunction(bool tiered, const std::string& args, std::string& result);
  bool CallStrRepl(const std::string& args, std::string& result, int& type);
  bool CallFormatCode(const std::string& args, std::string& result, int& type);
  bool CallRound(const std::string& args, std::string& result);
  bool CallLenVal(bool isLen, const std::string& args, std::string& result);
  bool CallSubText(const std::string& name, const std::string& args, std::string& result,
                   int& type);
  bool CallTrim(const std::string& name, const std::string& args, std::string& result, int& type);
  bool CallDate(const std::string& args, std::string& result, int& type);
  bool CallDay(const std::string& args, std::string& result);
  bool CallWords(const std::string& name, const std::string& args, std::string& result, int& type);
  bool ArgValue(const std::string& args, int n, std::string& value, int& type);
  bool ArgNumber(const std::string& args, int n, double& value);
  bool TextNumber(const std::string& arg, double& value);
  bool ArgInt(const std::string& args, int n, int& value);

  // Scan state of the evaluation under way.
  std::string m_sExpr;   // expression buffer
  size_t m_nPos = 0;     // read position in it
  std::string m_sToken;  // current token
  int m_nTokenKind = 0;  // 1 operator, 2 name, 3 function call, 4 number, 5 string
  int m_nDepth = 0;      // bracket depth
  int m_nErrorPos = 0;   // read position when the last failure was noticed
  int m_nLevel = 0;      // nesting of brackets, powers and calls, counted across nested objects
  std::unique_ptr<CCaculateProgramCache, CCaculateProgramCacheDeleter> m_pPrograms;
};
