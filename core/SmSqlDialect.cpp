#include "core/SmSqlDialect.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "core/SmString.h"

namespace {

const char kMarkOpen = '\x07';
const char kMarkClose = '\x08';

std::string Marked(std::string_view name) {
  std::string s(1, kMarkOpen);
  s += name;
  s += kMarkClose;
  return s;
}

bool IsDigit(unsigned char c) {
  return c >= '0' && c <= '9';
}

char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c | 0x20) : c;
}

bool IsWordByte(unsigned char c) {
  // ASCII tests of our own: the C library's consult the locale on every byte.
  const unsigned char lower = c | 0x20;
  return (c >= '0' && c <= '9') || (lower >= 'a' && lower <= 'z') || c == '_' || c >= 0x80;
}

// Marks the bytes of the text that stand inside a quoted literal ('...' or "...").
std::vector<bool> QuotedBytes(const std::string& text) {
  std::vector<bool> quoted(text.size(), false);
  char quote = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (quote) {
      quoted[i] = true;
      if (c == quote) quote = 0;  // a doubled quote closes and reopens at once
    } else if (c == '\'' || c == '"') {
      quote = c;
      quoted[i] = true;
    }
  }
  return quoted;
}

// The conditional rewrite of the Jet form: `case when a then b else c end` becomes
// `iif(a,b,c)`. Only outside literals and on whole words, so that a literal or a column named
// like `endno` is left alone; nothing happens unless all four words are there.
void RewriteCaseForJet(std::string& text) {
  struct Pattern {
    std::string_view find, put;
  };
  static const std::array<Pattern, 4> kPatterns = {
      {{"case when ", "iif("}, {" then ", ","}, {" else ", ","}, {" end", ")"}}};
  if (text.find("case when ") == std::string::npos) return;
  const std::vector<bool> quoted = QuotedBytes(text);
  auto matchAt = [&](size_t i, std::string_view find) {
    if (text.compare(i, find.size(), find) != 0) return false;
    for (size_t k = i; k < i + find.size(); ++k)
      if (quoted[k]) return false;
    if (find.front() != ' ' && i > 0 && IsWordByte(text[i - 1])) return false;
    size_t after = i + find.size();
    if (find.back() != ' ' && after < text.size() && IsWordByte(text[after])) return false;
    return true;
  };
  std::array<bool, 4> found{};
  for (size_t i = 0; i < text.size(); ++i)
    for (size_t p = 0; p < kPatterns.size(); ++p)
      if (!found[p] && matchAt(i, kPatterns[p].find)) found[p] = true;
  if (!std::all_of(found.begin(), found.end(), [](bool f) { return f; })) return;
  std::string out;
  for (size_t i = 0; i < text.size();) {
    bool replaced = false;
    for (const Pattern& p : kPatterns) {
      if (!matchAt(i, p.find)) continue;
      out += p.put;
      i += p.find.size();
      replaced = true;
      break;
    }
    if (!replaced) out += text[i++];
  }
  text = std::move(out);
}

}  // namespace

std::string SmTranslateSql(bool server, std::string text) {
  // Most statements hold no marked token: one search spares the passes below.
  const bool marked = text.find(kMarkOpen) != std::string::npos;
  if (marked) {
    text = ReplaceAll(text, Marked("*"), server ? "%" : "*");
    text = ReplaceAll(text, Marked("?"), server ? "_" : "?");
    text = ReplaceAll(text, Marked("Mid"), server ? "Substring" : "Mid");
    text = ReplaceAll(text, Marked("Long"), server ? "INT" : "Long");
  }
  if (!server) RewriteCaseForJet(text);
  if (!marked) return text;
  const std::string numeric = std::string(1, kMarkOpen) + "Numeric";
  for (;;) {
    size_t v = text.find(numeric);
    size_t w = text.find(kMarkClose);
    if (v == std::string::npos || w == std::string::npos || w <= v) break;
    std::string middle = server ? text.substr(v + 1, w - v - 1) : std::string("Double");
    text = text.substr(0, v) + middle + text.substr(w + 1);
  }
  return text;
}

// ---------------------------------------------------------------------------------------
// Tokens

SmSqlTokenView SmNextSqlToken(std::string_view sql, size_t start) {
  size_t i = start;
  const size_t n = sql.size();
  const unsigned char c = static_cast<unsigned char>(sql[i]);
  SmSqlTokenKind kind = SmSqlTokenKind::Symbol;
  if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
    while (i < n && (sql[i] == ' ' || sql[i] == '\t' || sql[i] == '\r' || sql[i] == '\n')) ++i;
    kind = SmSqlTokenKind::Space;
  } else if (c == '\'') {
    for (++i; i < n; ++i) {
      if (sql[i] != '\'') continue;
      if (i + 1 < n && sql[i + 1] == '\'') {
        ++i;
        continue;
      }
      ++i;
      break;
    }
    kind = SmSqlTokenKind::String;
  } else if (c == '"' || c == '[' || c == '`') {
    const char close = c == '[' ? ']' : static_cast<char>(c);
    i = sql.find(close, i + 1);
    i = i == std::string_view::npos ? n : i + 1;
    kind = SmSqlTokenKind::QuotedName;
  } else if (IsDigit(c) || (c == '.' && i + 1 < n && IsDigit(sql[i + 1]))) {
    while (i < n && (IsDigit(sql[i]) || sql[i] == '.')) ++i;
    if (i < n && (sql[i] == 'e' || sql[i] == 'E')) {
      size_t j = i + 1;
      if (j < n && (sql[j] == '+' || sql[j] == '-')) ++j;
      if (j < n && IsDigit(sql[j])) {
        i = j;
        while (i < n && IsDigit(sql[i])) ++i;
      }
    }
    kind = SmSqlTokenKind::Number;
  } else if (IsWordByte(c)) {
    while (i < n && IsWordByte(static_cast<unsigned char>(sql[i]))) ++i;
    kind = SmSqlTokenKind::Name;
  } else {
    static const std::array<std::string_view, 5> kPairs = {"<>", "<=", ">=", "!=", "||"};
    i += 1;
    if (c == '<' || c == '>' || c == '!' || c == '|') {
      for (std::string_view p : kPairs)
        if (sql.substr(start, 2) == p) i = start + 2;
    }
  }
  return {kind, sql.substr(start, i - start)};
}

std::vector<SmSqlToken> SmTokenizeSql(std::string_view sql) {
  std::vector<SmSqlToken> tokens;
  for (size_t i = 0; i < sql.size();) {
    const SmSqlTokenView t = SmNextSqlToken(sql, i);
    tokens.push_back({t.kind, std::string(t.text)});
    i += t.text.size();
  }
  return tokens;
}

bool SmSqlIsSchemaChange(std::string_view sql) {
  const size_t i = sql.find_first_not_of(" \t\r\n");
  if (i == std::string_view::npos) return false;
  const char first = static_cast<char>(sql[i] | 0x20);
  if (first != 'c' && first != 'a' && first != 'd') return false;
  const std::string_view head = SmNextSqlToken(sql, i).text;
  return SmSqlSameName(head, "create") || SmSqlSameName(head, "alter") ||
         SmSqlSameName(head, "drop");
}

std::string SmJoinSqlTokens(const std::vector<SmSqlToken>& tokens) {
  std::string out;
  for (const SmSqlToken& t : tokens) out += t.text;
  return out;
}

bool SmSqlSameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return AsciiLower(x) == AsciiLower(y);
         });
}

bool SmSqlTokenIs(const SmSqlToken& token, std::string_view word) {
  if (token.kind == SmSqlTokenKind::Symbol) return token.text == word;
  return token.kind == SmSqlTokenKind::Name && SmSqlSameName(token.text, word);
}

size_t SmSqlNextSolid(const std::vector<SmSqlToken>& tokens, size_t i) {
  for (++i; i < tokens.size(); ++i)
    if (tokens[i].kind != SmSqlTokenKind::Space) return i;
  return tokens.size();
}

// ---------------------------------------------------------------------------------------
// Concatenation

namespace {

bool InList(std::string_view name, std::initializer_list<std::string_view> list) {
  return std::any_of(list.begin(), list.end(),
                     [&](std::string_view w) { return SmSqlSameName(name, w); });
}

bool IsKeyword(std::string_view name) {
  return InList(name, {"select", "from",   "where",   "and",    "or",     "not",    "set",
                       "as",     "like",   "between", "is",     "in",     "on",     "order",
                       "group",  "by",     "having",  "when",   "then",   "else",   "end",
                       "case",   "values", "into",    "insert", "update", "delete", "distinct",
                       "top",    "union",  "all",     "asc",    "desc",   "join",   "inner",
                       "left",   "right",  "outer",   "exists", "create", "table",  "index",
                       "alter",  "add",    "drop",    "column", "escape", "mod",    "null"});
}

SmSqlType TypeOfTypeName(std::string_view name) {
  const std::string upper = MakeUpperCopy(name);
  for (std::string_view t : {"CHAR", "TEXT", "CLOB", "STRING", "MEMO"})
    if (upper.find(t) != std::string::npos) return SmSqlType::Text;
  for (std::string_view t : {"INT", "LONG", "DOUB", "REAL", "FLOA", "NUMERIC", "DECIMAL", "MONEY",
                             "CURRENCY", "BYTE", "SHORT", "SINGLE", "BIT"})
    if (upper.find(t) != std::string::npos) return SmSqlType::Number;
  return SmSqlType::Unknown;
}

SmSqlType Combine(SmSqlType a, SmSqlType b) {
  if (a == SmSqlType::Number || b == SmSqlType::Number) return SmSqlType::Number;
  if (a == SmSqlType::Text || b == SmSqlType::Text) return SmSqlType::Text;
  return SmSqlType::Unknown;
}

// A small expression walker over the tokens of one statement. It types every operand chain
// and turns the `+` of text chains into `||`.
class CConcatRewriter {
 public:
  CConcatRewriter(std::vector<SmSqlToken>& tokens, CSmSqlSchema* schema)
      : m_tokens(tokens), m_schema(schema) {}

  // False when the statement is nested too deep to be walked.
  bool Run() {
    const bool any = std::any_of(m_tokens.begin(), m_tokens.end(), [](const SmSqlToken& t) {
      return t.kind == SmSqlTokenKind::Symbol && (t.text == "+" || t.text == "&");
    });
    if (!any) return true;
    MatchBrackets();
    size_t i = Solid(0);
    Walk(i, m_tokens.size());
    return !m_tooDeep;
  }

 private:
  // One level of nesting (a bracket, the brackets of a call, a sign) for as long as it lives.
  // Every recursion of the walk enters one. Past the bound the walk stops: each place that
  // enters a level gives up at once and moves to the end of what it was given (TooDeep), so
  // every caller ends its loop.
  class CLevel {
   public:
    explicit CLevel(CConcatRewriter& walk) : m_walk(walk) {
      if (++m_walk.m_depth > kSmSqlMaxNesting) m_walk.m_tooDeep = true;
    }
    ~CLevel() { --m_walk.m_depth; }
    CLevel(const CLevel&) = delete;
    CLevel& operator=(const CLevel&) = delete;

   private:
    CConcatRewriter& m_walk;
  };
  bool TooDeep(size_t& i, size_t end) const {
    if (m_tooDeep) i = std::max(i, end);
    return m_tooDeep;
  }

  static bool IsNameToken(const SmSqlToken& t) {
    return t.kind == SmSqlTokenKind::Name || t.kind == SmSqlTokenKind::QuotedName;
  }
  static std::string Bare(const std::string& name) {
    if (name.size() >= 2 && (name[0] == '[' || name[0] == '"' || name[0] == '`'))
      return name.substr(1, name.size() - 2);
    return name;
  }

  size_t Solid(size_t i) const {
    while (i < m_tokens.size() && m_tokens[i].kind == SmSqlTokenKind::Space) ++i;
    return i;
  }
  bool Is(size_t i, size_t end, std::string_view word) const {
    return i < end && SmSqlTokenIs(m_tokens[i], word);
  }
  // The ")" that closes the "(" at `open`, or `end` when it is not closed before `end`.
  size_t Matching(size_t open, size_t end) const {
    const size_t close = m_close[open];
    return close < end ? close : end;
  }
  // Where every "(" closes, found once, so that nested brackets cost no more than their length.
  void MatchBrackets() {
    m_close.assign(m_tokens.size(), m_tokens.size());
    std::vector<size_t> open;
    for (size_t i = 0; i < m_tokens.size(); ++i) {
      if (SmSqlTokenIs(m_tokens[i], "(")) open.push_back(i);
      if (SmSqlTokenIs(m_tokens[i], ")") && !open.empty()) {
        m_close[open.back()] = i;
        open.pop_back();
      }
    }
  }

  bool StartsOperand(size_t i, size_t end) const {
    if (i >= end) return false;
    const SmSqlToken& t = m_tokens[i];
    switch (t.kind) {
      case SmSqlTokenKind::String:
      case SmSqlTokenKind::Number:
      case SmSqlTokenKind::QuotedName:
        return true;
      case SmSqlTokenKind::Name:
        return !IsKeyword(t.text) || SmSqlSameName(t.text, "null") ||
               ((SmSqlSameName(t.text, "left") || SmSqlSameName(t.text, "right")) &&
                Is(Solid(i + 1), end, "("));
      case SmSqlTokenKind::Symbol:
        return t.text == "(" || t.text == "-" || t.text == "+";
      default:
        return false;
    }
  }

  // Visits every operand chain between i and end at this level and below.
  void Walk(size_t& i, size_t end) {
    while (i < end && !TooDeep(i, end)) WalkOne(i, end);
  }

  // Visits the operand chain, bracket or single token at i and moves past it.
  void WalkOne(size_t& i, size_t end) {
    if (StartsOperand(i, end)) {
      Chain(i, end);
    } else if (Is(i, end, "(")) {
      CLevel level(*this);
      if (TooDeep(i, end)) return;
      size_t close = Matching(i, end);
      size_t inner = Solid(i + 1);
      Walk(inner, close);
      i = Solid(close + 1);
    } else {
      if (Is(i, end, "&")) m_tokens[i].text = "||";
      i = Solid(i + 1);
    }
  }

  // Chain: term (('+' | '-' | '&') term)*
  SmSqlType Chain(size_t& i, size_t end) {
    SmSqlType acc = Term(i, end);
    // `+` between operands of unknown type waits for the rest of the chain: a chain that ends
    // up a text was a concatenation from its start (a+b+'-' is (a+b)+'-').
    std::vector<size_t> pending;
    for (;;) {
      if (!(Is(i, end, "+") || Is(i, end, "-") || Is(i, end, "&"))) return acc;
      const size_t op = i;
      i = Solid(i + 1);
      if (!StartsOperand(i, end)) return acc;
      SmSqlType next = Term(i, end);
      if (m_tokens[op].text == "-") {
        acc = SmSqlType::Number;
      } else if (m_tokens[op].text == "&") {
        m_tokens[op].text = "||";
        acc = SmSqlType::Text;
      } else {
        acc = Combine(acc, next);
        pending.push_back(op);
      }
      if (acc == SmSqlType::Number) pending.clear();
      if (acc != SmSqlType::Text) continue;
      for (size_t p : pending) m_tokens[p].text = "||";
      pending.clear();
    }
  }

  SmSqlType Term(size_t& i, size_t end) {
    SmSqlType first = Factor(i, end);
    bool product = false;
    while (Is(i, end, "*") || Is(i, end, "/") || Is(i, end, "\\") || Is(i, end, "%") ||
           Is(i, end, "mod")) {
      i = Solid(i + 1);
      if (!StartsOperand(i, end)) break;
      Factor(i, end);
      product = true;
    }
    return product ? SmSqlType::Number : first;
  }

  SmSqlType Factor(size_t& i, size_t end) {
    const SmSqlToken& t = m_tokens[i];
    if (Is(i, end, "-") || Is(i, end, "+")) {
      CLevel level(*this);
      if (TooDeep(i, end)) return SmSqlType::Unknown;
      i = Solid(i + 1);
      if (StartsOperand(i, end)) Factor(i, end);
      return SmSqlType::Number;
    }
    if (t.kind == SmSqlTokenKind::String) {
      i = Solid(i + 1);
      return SmSqlType::Text;
    }
    if (t.kind == SmSqlTokenKind::Number) {
      i = Solid(i + 1);
      return SmSqlType::Number;
    }
    if (Is(i, end, "(")) return Parenthesised(i, end);
    if (Is(i, end, "null")) {
      i = Solid(i + 1);
      return SmSqlType::Unknown;
    }
    const size_t next = Solid(i + 1);
    if (t.kind == SmSqlTokenKind::Name && Is(next, end, "(")) return Call(i, next, end);
    // A column, perhaps qualified: a.b
    std::string column = Bare(t.text);
    i = next;
    while (Is(i, end, ".") && Solid(i + 1) < end && IsNameToken(m_tokens[Solid(i + 1)])) {
      column = Bare(m_tokens[Solid(i + 1)].text);
      i = Solid(Solid(i + 1) + 1);
    }
    return ColumnType(column);
  }

  // The tables the statement names, found when a column first needs its type.
  void FindTables() {
    m_tablesFound = true;
    if (!m_schema) return;
    for (const SmSqlToken& t : m_tokens)
      if (IsNameToken(t) && !IsKeyword(t.text) && m_schema->IsTable(Bare(t.text)))
        m_tables.push_back(Bare(t.text));
  }

  SmSqlType ColumnType(const std::string& column) {
    if (!m_tablesFound) FindTables();
    SmSqlType type = SmSqlType::Unknown;
    bool found = false;
    for (const std::string& table : m_tables) {
      SmSqlType t = m_schema->ColumnType(table, column);
      if (t == SmSqlType::Unknown) continue;
      if (found && t != type) return SmSqlType::Unknown;
      type = t;
      found = true;
    }
    return type;
  }

  // ( chain ) or ( select ... )
  SmSqlType Parenthesised(size_t& i, size_t end) {
    CLevel level(*this);
    if (TooDeep(i, end)) return SmSqlType::Unknown;
    const size_t close = Matching(i, end);
    size_t inner = Solid(i + 1);
    SmSqlType type = SmSqlType::Unknown;
    if (StartsOperand(inner, close)) {
      type = Chain(inner, close);
      if (inner < close) type = SmSqlType::Unknown;  // more than one expression inside
    }
    Walk(inner, close);
    i = Solid(close + 1);
    return type;
  }

  // Arguments of a call, each typed when it is one whole expression.
  std::vector<SmSqlType> Arguments(size_t open, size_t close, size_t* asPos) {
    std::vector<SmSqlType> types;
    size_t i = Solid(open + 1);
    while (i < close) {
      SmSqlType type = SmSqlType::Unknown;
      if (StartsOperand(i, close)) type = Chain(i, close);
      bool whole = i >= close || Is(i, close, ",");
      if (Is(i, close, "as") && asPos) *asPos = i;
      while (i < close && !Is(i, close, ",")) {
        if (Is(i, close, "as") && asPos) *asPos = i;
        size_t before = i;
        WalkOne(i, close);
        if (i == before) i = Solid(i + 1);
        whole = false;
      }
      types.push_back(whole ? type : SmSqlType::Unknown);
      if (Is(i, close, ",")) i = Solid(i + 1);
    }
    return types;
  }

  SmSqlType Call(size_t& i, size_t open, size_t end) {
    CLevel level(*this);
    if (TooDeep(i, end)) return SmSqlType::Unknown;
    const std::string name = m_tokens[i].text;
    const size_t close = Matching(open, end);
    size_t asPos = close;
    std::vector<SmSqlType> args = Arguments(open, close, &asPos);
    i = Solid(close + 1);
    auto arg = [&](size_t k) { return k < args.size() ? args[k] : SmSqlType::Unknown; };
    if (SmSqlSameName(name, "cast")) {
      std::string typeName;
      for (size_t k = asPos + 1; k < close; ++k)
        if (m_tokens[k].kind == SmSqlTokenKind::Name) typeName += m_tokens[k].text;
      return TypeOfTypeName(typeName);
    }
    if (SmSqlSameName(name, "convert")) {
      size_t first = Solid(open + 1);
      return first < close ? TypeOfTypeName(m_tokens[first].text) : SmSqlType::Unknown;
    }
    if (InList(name, {"mid",    "left",     "right",     "ltrim",  "rtrim",   "trim",
                      "ucase",  "lcase",    "upper",     "lower",  "cstr",    "str",
                      "chr",    "space",    "string",    "format", "replace", "substring",
                      "substr", "jet_left", "jet_right", "char",   "nchar"}))
      return SmSqlType::Text;
    if (InList(name, {"len", "length", "instr", "val", "count", "sum", "avg", "abs", "int", "fix",
                      "round", "cint", "clng", "cdbl", "sgn", "sqr", "year", "month", "day"}))
      return SmSqlType::Number;
    if (InList(name, {"min", "max", "first", "last"})) return arg(0);
    if (InList(name, {"iif"})) return Combine(arg(1), arg(2));
    if (InList(name, {"nz", "isnull", "ifnull", "coalesce"})) return Combine(arg(0), arg(1));
    return SmSqlType::Unknown;
  }

  std::vector<SmSqlToken>& m_tokens;
  CSmSqlSchema* m_schema;
  std::vector<std::string> m_tables;
  bool m_tablesFound = false;
  std::vector<size_t> m_close;  // by token index of "("
  int m_depth = 0;
  bool m_tooDeep = false;
};

}  // namespace

std::string SmSqlTooDeepText() {
  return FormatStr("语句中的括号、函数或正负号嵌套超过%d层，不能执行！", kSmSqlMaxNesting);
}

bool SmRewriteConcat(std::vector<SmSqlToken>& tokens, CSmSqlSchema* schema) {
  return CConcatRewriter(tokens, schema).Run();
}
