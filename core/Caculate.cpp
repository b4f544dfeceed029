#include "core/Caculate.h"

#include <cmath>
#include <cstring>

#include "core/CaculateProgram.h"
#include "core/CaculateText.h"
#include "core/CaculateTokens.h"
#include "core/SmGbk.h"
#include "core/SmNumber.h"

using caculate_text::PlainNumber;
using caculate_text::ReadNumber;

namespace {

using namespace caculate_tokens;

bool IsBlankChar(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// A set of bytes as a table, for the scan's many membership tests.
class CharSet {
 public:
  constexpr explicit CharSet(const char* set) {
    for (; *set; ++set) m_in[static_cast<unsigned char>(*set)] = true;
  }
  constexpr bool Has(char c) const { return m_in[static_cast<unsigned char>(c)]; }

 private:
  bool m_in[256] = {};
};

constexpr CharSet kOperatorChars("+-/%*()[]^&|!=<>");
constexpr CharSet kPairFirstChars("!<&|>");
constexpr CharSet kNumberEndChars(" \t+-*/%()[]^!<&|>=");
constexpr CharSet kNameEndChars(" \t+-*/)]^!=<&|>\"");

int CountQuotes(const std::string& text) {
  int n = 0;
  for (char c : text)
    if (c == '"') ++n;
  return n;
}

// Removes comments that begin with `open` and end with `close` (an empty `close` runs to the
// end of the text) outside string literals. With `note` the last comment's content goes there.
// With `closed` a comment without its end fails.
bool StripComments(std::string& text, const std::string& open, const std::string& close,
                   std::string* note, bool closed = false) {
  std::string kept;
  size_t from = 0;
  for (;;) {
    const size_t at = text.find(open, from);
    if (at == std::string::npos) {
      kept.append(text, from, std::string::npos);
      break;
    }
    kept.append(text, from, at - from);
    if (CountQuotes(kept) % 2 != 0) {
      const size_t quote = text.find('"', at + open.size());
      if (quote == std::string::npos) return false;
      kept.append(text, at, quote + 1 - at);
      from = quote + 1;
      continue;
    }
    const size_t end = close.empty() ? std::string::npos : text.find(close, at + open.size());
    const size_t contentEnd = end == std::string::npos ? text.size() : end;
    if (note) *note = text.substr(at + open.size(), contentEnd - at - open.size());
    if (end == std::string::npos) {
      if (closed && !close.empty()) return false;
      break;
    }
    from = end + close.size();
  }
  text = std::move(kept);
  return true;
}

// Leading white space goes; a prefix of one or two digits and ":" gives the formula group.
int TakeGroupPrefix(std::string& text) {
  size_t first = 0;
  while (first < text.size() && IsBlankChar(text[first])) ++first;
  text.erase(0, first);
  const size_t colon = text.find(':');
  if (colon != 1 && colon != 2) return 0;
  for (size_t i = 0; i < colon; ++i)
    if (text[i] < '0' || text[i] > '9') return 0;
  const int group = std::stoi(text.substr(0, colon));
  text.erase(0, colon + 1);
  return group;
}

// Counts one level of nesting for as long as it lives.
class NestingScope {
 public:
  explicit NestingScope(int& level) : m_level(level) { ++m_level; }
  ~NestingScope() { --m_level; }
  NestingScope(const NestingScope&) = delete;
  NestingScope& operator=(const NestingScope&) = delete;

 private:
  int& m_level;
};

bool IsNumberOp(const std::string& op) {
  return op == "*" || op == "/" || op == "%" || op == "^" || op == "&&" || op == "||";
}

}  // namespace

void CCaculateProgramCacheDeleter::operator()(CCaculateProgramCache* cache) const {
  delete cache;
}

const CCaculateClass* CCaculate::GetRuntimeClass() const {
  static const CCaculateClass cls{"CCaculate", &CreateCaculateObject<CCaculate>};
  return &cls;
}

const char* CacErrorText(int code) {
  static const char* const texts[] = {
      "括号出错！",
      "除数为零！",
      "数字出错！",
      "函数名或变量名中有非法字符！",
      "函数无右括号！",
      "变量名出错！",
      "函数名出错！",
      "符号出错！",
      "运算符号出错！",
      "幂运算出错！",
      "函数参数数目过少！",
      "函数参数数目过多！",
      "引号不配对！",
      "数据类型不匹配！",
      "数学函数的定义域出错！",
      "取月末日函数据的年参数出错！",
      "取月末日函数据的月参数出错！",
      "公式嵌套层数过多！",
      "函数参数超出范围！",
  };
  return code <= CAC_ERR_BRACKET && code >= CAC_ERR_ARG_RANGE ? texts[-code - 1] : nullptr;
}

int CCaculate::GetErrorInfo(int& code, std::string& message, int& position) {
  code = m_nError;
  position = 0;
  message.clear();
  if (code == 0) {
    message = m_sSubject;
    return 0;
  }
  // Too deep a nesting is about the whole formula, not the (possibly huge) token last read.
  if (!m_sSubject.empty() && code != CAC_ERR_NESTING) message = m_sSubject + "：";
  if (const char* text = CacErrorText(code)) message += text;
  if (code >= 0) return 0;
  position = m_nErrorPos;
  return 1;
}

bool CCaculate::StripLineComments(std::string& text) {
  return StripComments(text, "//", "", nullptr);
}

bool CCaculate::StripBlockComments(std::string& text, int kind) {
  return kind == 0 ? StripComments(text, "/*", "*/", nullptr, true)
                   : StripComments(text, "{", "}", nullptr, true);
}

int CCaculate::TakeGroupPrefix(std::string& text) {
  return ::TakeGroupPrefix(text);
}

int CCaculate::EvalVariable(const std::string&, std::string&, int&) {
  SetError(CAC_ERR_VARIABLE);
  return 0;
}

int CCaculate::EvalFunction(const std::string&, const std::string&, std::string&, int&) {
  SetError(CAC_ERR_FUNCTION);
  return 0;
}

void CCaculate::CopyContextTo(CCaculate&) {}

void CCaculate::TakeErrorFrom(const CCaculate& other) {
  m_nError = other.m_nError;
  if (!other.m_sSubject.empty()) m_sSubject = other.m_sSubject;
  if (!other.m_sNote.empty()) m_sNote = other.m_sNote;
}

bool CCaculate::Preprocess(std::string& text) {
  if (!StripComments(text, "//", "", nullptr) || !StripComments(text, "/*", "*/", nullptr) ||
      !StripComments(text, "{", "}", &m_sNote)) {
    SetError(CAC_ERR_QUOTE);
    m_nErrorPos = 0;
    return false;
  }
  m_nFormulaGroup = TakeGroupPrefix(text);
  return true;
}

bool CCaculate::Evaluate(const std::string& formula, std::string& result, int& type) {
  type = CAC_NUMBER;
  result.clear();
  m_sNote.clear();
  m_nFormulaGroup = 0;
  if (formula.empty()) return true;
  std::string preprocessed;
  if (m_bPreprocess) {
    preprocessed = formula;
    if (!Preprocess(preprocessed)) return false;
    if (m_bGroupFilter && m_nFormulaGroup != m_nRequiredGroup) return true;
  }
  const std::string& text = m_bPreprocess ? preprocessed : formula;
  if (text.empty()) {
    type = CAC_NOTHING;
    return true;
  }
  // Nested evaluations (function arguments) are read: their texts differ from call to call.
  if (m_nLevel == 0 && RunProgram(text, result, type)) return true;
  m_sExpr = text;
  m_nPos = 0;
  m_sToken.clear();
  m_nError = 0;
  m_nTokenKind = 0;
  m_nDepth = 0;
  m_nErrorPos = 0;
  const bool ok = NextToken() && ParseLogic(result, type);
  if (!ok) m_nErrorPos = static_cast<int>(GbkPosOfUtf8Offset(m_sExpr, m_nPos));
  m_sExpr.clear();
  m_sToken.clear();
  return ok;
}

bool CCaculate::RunProgram(const std::string& text, std::string& result, int& type) {
  if (!m_pPrograms) m_pPrograms.reset(new CCaculateProgramCache);
  CCaculateProgram* program = m_pPrograms->Find(*this, text);
  if (!program) return false;
  m_nError = 0;
  if (!program->Run(*this, result, type)) {
    // Reading the formula again gives the error with its subject and position.
    result.clear();
    type = CAC_NUMBER;
    return false;
  }
  m_nErrorPos = 0;
  if (!program->m_keepSubject) m_sSubject = program->m_subject;
  return true;
}

bool CCaculate::EvalDouble(const std::string& formula, double& value) {
  value = 0;
  std::string result;
  int type = CAC_NUMBER;
  if (!Evaluate(formula, result, type)) return false;
  if (type != CAC_NUMBER) {
    SetError(CAC_ERR_TYPE);
    return false;
  }
  value = ReadNumber(result);
  return true;
}

bool CCaculate::EvalSubExpr(const std::string& text, std::string& result, int* type,
                            bool wantNumber, int preprocess) {
  if (m_nLevel >= CAC_MAX_NESTING) {
    SetError(CAC_ERR_NESTING);
    return false;
  }
  std::unique_ptr<CCaculate> nested = CreateObject();
  CopyContextTo(*nested);
  nested->m_bPreprocess = preprocess;
  nested->m_nLevel = m_nLevel + 1;
  bool ok = false;
  if (wantNumber) {
    double value = 0;
    ok = nested->EvalDouble(text, value);
    result = PlainNumber(value);
    if (type) *type = CAC_NUMBER;
  } else {
    int localType = CAC_NUMBER;
    ok = nested->Evaluate(text, result, type ? *type : localType);
  }
  if (!ok) TakeErrorFrom(*nested);
  return ok;
}

bool CCaculate::EnterNesting() {
  if (m_nLevel <= CAC_MAX_NESTING) return true;
  SetError(CAC_ERR_NESTING);
  return false;
}

bool CCaculate::IsOperator(const char* op) const {
  // Operator tokens have one or two bytes.
  if (m_nTokenKind != kTokOperator || m_sToken[0] != op[0]) return false;
  return m_sToken.size() == 1 ? op[1] == '\0' : op[1] == m_sToken[1] && op[2] == '\0';
}

bool CCaculate::NextToken() {
  const std::string& s = m_sExpr;
  const size_t n = s.size();
  size_t p = m_nPos;
  while (p < n && IsBlankChar(s[p])) ++p;
  m_sToken.clear();
  if (p >= n) {
    m_nPos = p;
    m_nTokenKind = kTokName;
    m_sSubject.clear();
    return true;
  }
  const char c = s[p];
  if (kOperatorChars.Has(c)) {
    m_nTokenKind = kTokOperator;
    m_sToken = c;
    ++p;
    m_nPos = p;
    if (c == '(' || c == '[') ++m_nDepth;
    if (c == ')' || c == ']') {
      if (--m_nDepth < 0) {
        SetError(CAC_ERR_BRACKET);
        return false;
      }
    }
    if (kPairFirstChars.Has(c) && p < n) {
      const char pair[3] = {c, s[p], '\0'};
      if (!std::strcmp(pair, "!=") || !std::strcmp(pair, ">=") || !std::strcmp(pair, "<=") ||
          !std::strcmp(pair, "||") || !std::strcmp(pair, "&&")) {
        m_sToken = pair;
        m_nPos = ++p;
        return true;
      }
    }
    if (c == '&' || c == '|') {
      SetError(CAC_ERR_OPERATOR);
      return false;
    }
    return true;
  }
  if (c == '"') {
    const size_t close = s.find('"', p + 1);
    if (close == std::string::npos) {
      m_nPos = n;
      SetError(CAC_ERR_QUOTE);
      return false;
    }
    m_nTokenKind = kTokString;
    m_sToken.assign(s, p + 1, close - p - 1);
    m_nPos = close + 1;
    return true;
  }
  if ((c >= '0' && c <= '9') || c == '.') {
    size_t e = p;
    while (e < n && !kNumberEndChars.Has(s[e])) ++e;
    m_sToken.assign(s, p, e - p);
    m_nTokenKind = IsNumberText(m_sToken, -1, -1) ? kTokNumber : kTokString;
    m_nPos = e;
    return true;
  }
  size_t e = p;
  m_nTokenKind = kTokName;
  while (e < n && !kNameEndChars.Has(s[e])) {
    if (s[e] == '(' || s[e] == '[') {
      m_nTokenKind = kTokFunction;
      int depth = 0;
      bool quoted = false;
      for (; e < n; ++e) {
        const char ch = s[e];
        if (ch == '"') quoted = !quoted;
        if (quoted) continue;
        if (ch == '(' || ch == '[') ++depth;
        if ((ch == ')' || ch == ']') && --depth == 0) break;
      }
      if (e >= n) {
        m_nPos = n;
        m_sSubject.assign(s, p, n - p);
        SetError(CAC_ERR_NO_CLOSING_BRACKET);
        return false;
      }
      ++e;
      break;
    }
    ++e;
  }
  m_sToken.assign(s, p, e - p);
  m_sSubject = m_sToken;
  m_nPos = e;
  return true;
}

bool CCaculate::ParseLogic(std::string& value, int& type) {
  if (!ParseCompare(value, type)) return false;
  while (IsOperator("||") || IsOperator("&&")) {
    const std::string op = m_sToken;
    std::string right;
    int rightType = CAC_NUMBER;
    if (!NextToken() || !ParseCompare(right, rightType)) return false;
    if (!ApplyBinary(op, value, type, right, rightType)) return false;
  }
  return true;
}

bool CCaculate::ParseCompare(std::string& value, int& type) {
  if (!ParseAdditive(value, type)) return false;
  while (IsOperator(">") || IsOperator("<") || IsOperator(">=") || IsOperator("<=") ||
         IsOperator("=") || IsOperator("!=")) {
    const std::string op = m_sToken;
    std::string right;
    int rightType = CAC_NUMBER;
    if (!NextToken() || !ParseAdditive(right, rightType)) return false;
    if (!ApplyBinary(op, value, type, right, rightType)) return false;
  }
  return true;
}

bool CCaculate::ParseAdditive(std::string& value, int& type) {
  if (!ParseMultiplicative(value, type)) return false;
  while (IsOperator("+") || IsOperator("-")) {
    const std::string op = m_sToken;
    std::string right;
    int rightType = CAC_NUMBER;
    if (!NextToken() || !ParseMultiplicative(right, rightType)) return false;
    if (!ApplyBinary(op, value, type, right, rightType)) return false;
  }
  return true;
}

bool CCaculate::ParseMultiplicative(std::string& value, int& type) {
  if (!ParsePower(value, type)) return false;
  while (IsOperator("*") || IsOperator("/") || IsOperator("%")) {
    const std::string op = m_sToken;
    std::string right;
    int rightType = CAC_NUMBER;
    if (!NextToken() || !ParsePower(right, rightType)) return false;
    const double divisor = ReadNumber(right);
    // A remainder needs a divisor that is not zero once truncated to a whole number.
    if ((op == "/" && std::fabs(divisor) < kTolerance) || (op == "%" && std::fabs(divisor) < 1)) {
      SetError(CAC_ERR_DIVIDE_BY_ZERO);
      return false;
    }
    if (!ApplyBinary(op, value, type, right, rightType)) return false;
  }
  return true;
}

bool CCaculate::ParsePower(std::string& value, int& type) {
  if (!ParseUnary(value, type)) return false;
  if (!IsOperator("^")) return true;
  std::string right;
  int rightType = CAC_NUMBER;
  const NestingScope scope(m_nLevel);
  if (!EnterNesting() || !NextToken() || !ParsePower(right, rightType)) return false;
  if (std::fabs(ReadNumber(value)) < kTolerance && std::fabs(ReadNumber(right)) < kTolerance) {
    SetError(CAC_ERR_POWER);
    return false;
  }
  return ApplyBinary("^", value, type, right, rightType);
}

bool CCaculate::ParseUnary(std::string& value, int& type) {
  if (!(IsOperator("+") || IsOperator("-") || IsOperator("!"))) return ParsePrimary(value, type);
  const char op = m_sToken[0];
  if (!NextToken() || !ParsePrimary(value, type)) return false;
  if (type != CAC_NUMBER) {
    SetError(CAC_ERR_TYPE);
    return false;
  }
  double x = ReadNumber(value);
  if (op == '-') x = -x;
  if (op == '!') x = std::fabs(x) <= kTolerance ? 1 : 0;
  value = PlainNumber(x);
  return true;
}

bool CCaculate::ParsePrimary(std::string& value, int& type) {
  if (m_nTokenKind == kTokOperator) {
    if (!IsOperator("(") && !IsOperator("[")) {
      SetError(CAC_ERR_SYMBOL);
      return false;
    }
    const NestingScope scope(m_nLevel);
    if (!EnterNesting() || !NextToken() || !ParseLogic(value, type)) return false;
    if (!IsOperator(")") && !IsOperator("]")) {
      SetError(CAC_ERR_BRACKET);
      return false;
    }
    return NextToken();
  }
  switch (m_nTokenKind) {
    case kTokNumber:
    case kTokString:
      value = m_sToken;
      type = m_nTokenKind;
      break;
    case kTokName:
      if (!EvalName(value, type)) return false;
      break;
    default:
      if (!CallFunction(value, type)) return false;
      break;
  }
  return NextToken();
}

bool CCaculate::EvalName(std::string& value, int& type) {
  if (m_sToken.empty()) {
    value.clear();
    type = CAC_NUMBER;
    return true;
  }
  if (m_sToken[0] != '#') {
    value = m_sToken;
    type = CAC_STRING;
    return true;
  }
  if (!IsValidName(m_sToken.substr(1))) {
    SetError(CAC_ERR_NAME_CHAR);
    return false;
  }
  return EvalVariable(m_sToken, value, type) != 0;
}

bool CCaculate::ApplyBinary(const std::string& op, std::string& left, int& leftType,
                            const std::string& right, int rightType) {
  if (leftType == CAC_STRING || rightType == CAC_STRING) {
    if (IsNumberOp(op)) {
      SetError(CAC_ERR_TYPE);
      return false;
    }
    if (op == "+") {
      left += right;
    } else if (op == "-") {
      left += "-";
      left += right;
    } else {
      const int cmp = GbkCompare(left, right);
      bool yes = false;
      if (op == ">") yes = cmp > 0;
      if (op == "<") yes = cmp < 0;
      if (op == ">=") yes = cmp >= 0;
      if (op == "<=") yes = cmp <= 0;
      if (op == "=") yes = cmp == 0;
      if (op == "!=") yes = cmp != 0;
      left = yes ? "1" : "0";
      leftType = CAC_NUMBER;
      return true;
    }
    leftType = CAC_STRING;
    return true;
  }
  const double a = ReadNumber(left);
  const double b = ReadNumber(right);
  double r = 0;
  if (op == "+") r = a + b;
  if (op == "-") r = a - b;
  if (op == "*") r = a * b;
  if (op == "/") r = a / b;
  if (op == "%") r = std::fmod(std::trunc(a), std::trunc(b));
  if (op == "^") r = std::pow(a, b);
  if (op == "=") r = std::fabs(a - b) < kTolerance;
  if (op == "!=") r = std::fabs(a - b) > kTolerance;
  if (op == ">") r = a - b > kTolerance;
  if (op == "<") r = a - b < -kTolerance;
  if (op == ">=") r = a - b >= 0;
  if (op == "<=") r = a - b <= 0;
  if (op == "&&") r = std::fabs(a) > kTolerance && std::fabs(b) > kTolerance;
  if (op == "||") r = std::fabs(a) > kTolerance || std::fabs(b) > kTolerance;
  // An overflow or a power without a real value would later read as 0: refuse it here.
  if (!std::isfinite(r)) {
    SetError(op == "^" ? CAC_ERR_POWER : CAC_ERR_NUMBER);
    return false;
  }
  left = PlainNumber(r);
  leftType = CAC_NUMBER;
  return true;
}

int CCaculate::CountArgs(const std::string& args) {
  if (!IsNotBlank(args)) return 0;
  int count = 1;
  int depth = 0;
  bool quoted = false;
  for (char c : args) {
    if (c == '"') quoted = !quoted;
    if (quoted) continue;
    if (c == '(' || c == '[') ++depth;
    if (c == ')' || c == ']') --depth;
    if (c == ',' && depth == 0) ++count;
  }
  return count;
}

std::string CCaculate::GetArg(const std::string& args, int n, int& start, int& end) {
  int index = 0;
  int depth = 0;
  bool quoted = false;
  size_t from = 0;
  for (size_t i = 0; i <= args.size(); ++i) {
    const char c = i < args.size() ? args[i] : ',';
    const bool last = i == args.size();
    if (!last && c == '"') quoted = !quoted;
    if (!last && quoted) continue;
    if (c == '(' || c == '[') ++depth;
    if (c == ')' || c == ']') --depth;
    if (c != ',' || (depth != 0 && !last)) continue;
    if (index == n) {
      start = static_cast<int>(from);
      end = static_cast<int>(i);
      return args.substr(from, i - from);
    }
    ++index;
    from = i + 1;
  }
  start = end = static_cast<int>(args.size());
  return "";
}

bool CCaculate::CheckArgCount(const std::string& args, int n) {
  return CheckArgRange(args, n, n);
}

bool CCaculate::CheckArgRange(const std::string& args, int min, int max) {
  const int count = CountArgs(args);
  if (count < min) SetError(CAC_ERR_TOO_FEW_ARGS);
  if (count > max) SetError(CAC_ERR_TOO_MANY_ARGS);
  return count >= min && count <= max;
}

bool CCaculate::IsNotBlank(const std::string& text) {
  for (char c : text)
    if (!IsBlankChar(c)) return true;
  return false;
}

bool CCaculate::IsValidName(const std::string& name) {
  if (name.empty()) return false;
  for (unsigned char c : name)
    if (!std::isalnum(c) && c != '_') return false;
  return true;
}
