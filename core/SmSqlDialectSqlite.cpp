#include "core/SmSqlDialectSqlite.h"

#include <sqlite3.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "core/SmGbk.h"
#include "core/SmString.h"

namespace {

using Tokens = std::vector<SmSqlToken>;

bool IsName(const SmSqlToken& t) {
  return t.kind == SmSqlTokenKind::Name || t.kind == SmSqlTokenKind::QuotedName;
}

std::string BareName(const std::string& name) {
  if (name.size() >= 2 && (name[0] == '[' || name[0] == '"' || name[0] == '`'))
    return name.substr(1, name.size() - 2);
  return name;
}

// Jet wildcards in a LIKE pattern literal; `%` and `_` that Jet reads as plain characters are
// escaped with '\'. Returns true when an ESCAPE clause is needed.
bool AdaptLikePattern(std::string& literal) {
  std::string out;
  bool escaped = false;
  for (size_t i = 0; i < literal.size(); ++i) {
    const char c = literal[i];
    const bool inside = i > 0 && i + 1 < literal.size();
    if (inside && c == '*') {
      out += '%';
    } else if (inside && c == '?') {
      out += '_';
    } else if (inside && (c == '%' || c == '_' || c == '\\')) {
      out += '\\';
      out += c;
      escaped = true;
    } else {
      out += c;
    }
  }
  literal = std::move(out);
  return escaped;
}

// The pattern after LIKE runs to the next keyword, comma or closing bracket of its level; it is
// mostly one literal, but may be built with `+` from literals and names.
size_t PatternEnd(const Tokens& tokens, size_t from) {
  int depth = 0;
  for (size_t k = from; k < tokens.size(); ++k) {
    const SmSqlToken& t = tokens[k];
    if (t.text == "(") ++depth;
    if (t.text == ")" && --depth < 0) return k;
    if (depth > 0) continue;
    if (t.text == ",") return k;
    if (t.kind == SmSqlTokenKind::Name &&
        (SmSqlTokenIs(t, "and") || SmSqlTokenIs(t, "or") || SmSqlTokenIs(t, "order") ||
         SmSqlTokenIs(t, "group") || SmSqlTokenIs(t, "having") || SmSqlTokenIs(t, "then") ||
         SmSqlTokenIs(t, "else") || SmSqlTokenIs(t, "end") || SmSqlTokenIs(t, "when") ||
         SmSqlTokenIs(t, "escape") || SmSqlTokenIs(t, "union")))
      return k;
  }
  return tokens.size();
}

void AdaptLike(Tokens& tokens) {
  for (size_t i = 0; i < tokens.size(); ++i) {
    if (!SmSqlTokenIs(tokens[i], "like")) continue;
    const size_t end = PatternEnd(tokens, i + 1);
    bool escaped = false;
    size_t last = i;
    for (size_t k = i + 1; k < end; ++k) {
      if (tokens[k].kind != SmSqlTokenKind::Space) last = k;
      if (tokens[k].kind == SmSqlTokenKind::String && AdaptLikePattern(tokens[k].text))
        escaped = true;
    }
    if (escaped) tokens[last].text += " ESCAPE '\\'";
  }
}

void RenameKeywordCalls(Tokens& tokens) {
  for (size_t i = 0; i < tokens.size(); ++i) {
    if (tokens[i].kind != SmSqlTokenKind::Name) continue;
    size_t next = SmSqlNextSolid(tokens, i);
    if (next >= tokens.size() || tokens[next].text != "(") continue;
    if (SmSqlSameName(tokens[i].text, "left")) tokens[i].text = "jet_left";
    if (SmSqlSameName(tokens[i].text, "right")) tokens[i].text = "jet_right";
  }
}

size_t FirstSolid(const Tokens& tokens) {
  size_t i = 0;
  while (i < tokens.size() && tokens[i].kind == SmSqlTokenKind::Space) ++i;
  return i;
}

// Create [Unique] Index name On table(...) / Drop Index name [On table]
void AdaptIndexNames(Tokens& tokens) {
  size_t i = FirstSolid(tokens);
  if (i >= tokens.size()) return;
  const bool create = SmSqlTokenIs(tokens[i], "create");
  const bool drop = SmSqlTokenIs(tokens[i], "drop");
  if (!create && !drop) return;
  i = SmSqlNextSolid(tokens, i);
  if (create && i < tokens.size() && SmSqlTokenIs(tokens[i], "unique"))
    i = SmSqlNextSolid(tokens, i);
  if (i >= tokens.size() || !SmSqlTokenIs(tokens[i], "index")) return;
  const size_t nameAt = SmSqlNextSolid(tokens, i);
  if (nameAt >= tokens.size() || !IsName(tokens[nameAt])) return;
  const size_t onAt = SmSqlNextSolid(tokens, nameAt);
  const size_t tableAt = SmSqlNextSolid(tokens, onAt);
  if (tableAt >= tokens.size() || !SmSqlTokenIs(tokens[onAt], "on")) return;
  if (SmSqlSameName(BareName(tokens[nameAt].text), BareName(tokens[tableAt].text)))
    tokens[nameAt].text = SmSqliteIndexName(BareName(tokens[nameAt].text));
  if (drop) tokens.erase(tokens.begin() + nameAt + 1, tokens.end());
}

// Long is the Jet name of a 32-bit integer column and LongBinary of a binary one; SQLite gives
// them no fitting affinity. Text
// columns compare as Jet compares them, without regard to case.
void AdaptColumnTypes(Tokens& tokens) {
  size_t i = FirstSolid(tokens);
  if (i >= tokens.size()) return;
  if (!SmSqlTokenIs(tokens[i], "create") && !SmSqlTokenIs(tokens[i], "alter")) return;
  size_t what = SmSqlNextSolid(tokens, i);
  if (what >= tokens.size() || !SmSqlTokenIs(tokens[what], "table")) return;
  for (size_t k = what; k < tokens.size(); ++k) {
    size_t prev = k;
    while (prev > 0 && tokens[--prev].kind == SmSqlTokenKind::Space) {
    }
    if (!IsName(tokens[prev]) || SmSqlTokenIs(tokens[prev], "table")) continue;
    if (SmSqlTokenIs(tokens[k], "long")) tokens[k].text = "INTEGER";
    if (SmSqlTokenIs(tokens[k], "longbinary") || SmSqlTokenIs(tokens[k], "binary") ||
        SmSqlTokenIs(tokens[k], "image"))
      tokens[k].text = "BLOB";
    if (!SmSqlTokenIs(tokens[k], "char") && !SmSqlTokenIs(tokens[k], "varchar")) continue;
    // Jet compares texts without regard to case.
    size_t close = SmSqlNextSolid(tokens, k);
    if (close < tokens.size() && tokens[close].text == "(") {
      while (close < tokens.size() && tokens[close].text != ")") ++close;
    } else {
      close = k;
    }
    if (close < tokens.size()) tokens[close].text += " COLLATE NOCASE";
  }
}

// --- Jet functions; texts are counted in characters -----------------------------------

std::string ArgText(sqlite3_value* v) {
  const unsigned char* t = sqlite3_value_text(v);
  return t ? std::string(reinterpret_cast<const char*>(t), sqlite3_value_bytes(v)) : std::string();
}

bool AnyNull(int argc, sqlite3_value** argv) {
  for (int k = 0; k < argc; ++k)
    if (sqlite3_value_type(argv[k]) == SQLITE_NULL) return true;
  return false;
}

// Byte offsets of the characters of a UTF-8 text, with the text's size at the end.
std::vector<size_t> CharStarts(const std::string& s) {
  std::vector<size_t> starts;
  for (size_t i = 0; i < s.size(); i += Utf8Next(s, i)) starts.push_back(i);
  starts.push_back(s.size());
  return starts;
}

void ResultText(sqlite3_context* ctx, const std::string& s) {
  sqlite3_result_text(ctx, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}

// Characters [from, from + count) of the text, 0-based, clipped to the text.
std::string CharSlice(const std::string& s, long long from, long long count) {
  std::vector<size_t> starts = CharStarts(s);
  const long long chars = static_cast<long long>(starts.size()) - 1;
  if (from < 0) from = 0;
  if (from >= chars || count <= 0) return {};
  long long to = count > chars - from ? chars : from + count;
  return s.substr(starts[from], starts[to] - starts[from]);
}

void FnMid(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
  const std::string s = ArgText(argv[0]);
  const long long start = sqlite3_value_int64(argv[1]);
  const long long count = argc > 2 ? sqlite3_value_int64(argv[2]) : (1LL << 40);
  if (start < 1 || count < 0) return sqlite3_result_error(ctx, "Mid: invalid argument", -1);
  ResultText(ctx, CharSlice(s, start - 1, count));
}

void FnLeft(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
  const long long count = sqlite3_value_int64(argv[1]);
  if (count < 0) return sqlite3_result_error(ctx, "Left: invalid argument", -1);
  ResultText(ctx, CharSlice(ArgText(argv[0]), 0, count));
}

void FnRight(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
  const std::string s = ArgText(argv[0]);
  const long long count = sqlite3_value_int64(argv[1]);
  if (count < 0) return sqlite3_result_error(ctx, "Right: invalid argument", -1);
  const long long chars = static_cast<long long>(CharStarts(s).size()) - 1;
  ResultText(ctx, CharSlice(s, chars - std::min(count, chars), count));
}

void FnLen(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
  sqlite3_result_int64(ctx, static_cast<long long>(CharStarts(ArgText(argv[0])).size()) - 1);
}

std::string AsciiLower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower((unsigned char)c));
  return s;
}

// InStr([start,] text, find[, compare]): 1-based character position of find, 0 when absent;
// compare 0 matches letter case exactly, otherwise case is ignored.
void FnInStr(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
  const int first = argc >= 3 ? 1 : 0;
  const long long start = argc >= 3 ? sqlite3_value_int64(argv[0]) : 1;
  if (start < 1) return sqlite3_result_error(ctx, "InStr: invalid argument", -1);
  const bool exact = argc == 4 && sqlite3_value_int64(argv[3]) == 0;
  const std::string s = exact ? ArgText(argv[first]) : AsciiLower(ArgText(argv[first]));
  const std::string find = exact ? ArgText(argv[first + 1]) : AsciiLower(ArgText(argv[first + 1]));
  std::vector<size_t> starts = CharStarts(s);
  for (size_t c = static_cast<size_t>(start - 1);
       c + 1 < starts.size() || (find.empty() && c + 1 == starts.size()); ++c) {
    if (s.compare(starts[c], find.size(), find) == 0)
      return sqlite3_result_int64(ctx, static_cast<long long>(c) + 1);
  }
  sqlite3_result_int64(ctx, 0);
}

// Val: the number at the head of the text (blanks skipped), 0 when there is none.
void FnVal(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
  std::string s;
  for (char c : ArgText(argv[0]))
    if (c != ' ' && c != '\t') s += c;
  const char* begin = s.c_str();
  char* stop = nullptr;
  double value = std::strtod(begin, &stop);
  if (stop == begin || (s.size() > 1 && (s[1] == 'x' || s[1] == 'X'))) value = 0;
  if (!std::isfinite(value)) value = 0;
  sqlite3_result_double(ctx, value);
}

// Stuff(text, start, length, insert): the text with `length` characters from `start` replaced.
void FnStuff(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
  const std::string s = ArgText(argv[0]);
  const long long start = sqlite3_value_int64(argv[1]);
  const long long count = sqlite3_value_int64(argv[2]);
  const long long chars = static_cast<long long>(CharStarts(s).size()) - 1;
  if (start < 1 || start > chars || count < 0) return sqlite3_result_null(ctx);
  ResultText(
      ctx, CharSlice(s, 0, start - 1) + ArgText(argv[3]) + CharSlice(s, start - 1 + count, chars));
}

void FnCStr(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
  if (sqlite3_value_type(argv[0]) == SQLITE_FLOAT) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", sqlite3_value_double(argv[0]));
    return ResultText(ctx, buf);
  }
  ResultText(ctx, ArgText(argv[0]));
}

void FnUCase(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
  ResultText(ctx, MakeUpperCopy(ArgText(argv[0])));
}

void FnLCase(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
  ResultText(ctx, AsciiLower(ArgText(argv[0])));
}

}  // namespace

std::string SmSqliteIndexName(std::string_view name) {
  return std::string(name) + "_ix";
}

namespace {

bool IsLetter(char c) {
  const char lower = static_cast<char>(c | 0x20);
  return lower >= 'a' && lower <= 'z';
}

bool IsWordChar(char c) {
  return IsLetter(c) || (c >= '0' && c <= '9') || c == '_' || static_cast<unsigned char>(c) >= 0x80;
}

// The run of word bytes at `i`.
std::string_view WordAt(std::string_view sql, size_t i) {
  size_t end = i;
  while (end < sql.size() && IsWordChar(sql[end])) ++end;
  return sql.substr(i, end - i);
}

// like, left and right: most words of a statement are told apart by their length alone.
bool IsRewrittenWord(std::string_view word) {
  if (word.size() == 4) return SmSqlSameName(word, "like") || SmSqlSameName(word, "left");
  return word.size() == 5 && SmSqlSameName(word, "right");
}

}  // namespace

bool SmSqliteNeedsAdapting(std::string_view jetSql) {
  // One pass over the bytes, literals skipped as the tokenizer skips them; it may answer yes
  // where the adaptation then changes nothing, never no where it would change something.
  const size_t first = jetSql.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return false;
  const std::string_view head = WordAt(jetSql, first);
  if (SmSqlSameName(head, "create") || SmSqlSameName(head, "drop") || SmSqlSameName(head, "alter"))
    return true;
  for (size_t i = first; i < jetSql.size(); ++i) {
    const char c = jetSql[i];
    if (c == '+' || c == '&') return true;
    if (c == '\'' || c == '"' || c == '[' || c == '`') {
      // '...' with '' inside is skipped as two literals; the quoted names end at their mark.
      const char close = c == '[' ? ']' : c;
      const size_t end = jetSql.find(close, i + 1);
      if (end == std::string_view::npos) return false;
      i = end;
      continue;
    }
    if (!IsLetter(c) || (i > 0 && IsLetter(jetSql[i - 1]))) continue;
    const std::string_view word = WordAt(jetSql, i);
    if (IsRewrittenWord(word)) return true;
    i += word.size() - 1;
  }
  return false;
}

std::optional<std::string> SmAdaptSqlForSqlite(std::string_view jetSql, CSmSqlSchema* schema) {
  if (!SmSqliteNeedsAdapting(jetSql)) return std::string(jetSql);
  return SmAdaptSqlTokensForSqlite(jetSql, schema);
}

std::optional<std::string> SmAdaptSqlTokensForSqlite(std::string_view jetSql,
                                                     CSmSqlSchema* schema) {
  Tokens tokens = SmTokenizeSql(jetSql);
  AdaptLike(tokens);
  if (!SmRewriteConcat(tokens, schema)) return std::nullopt;
  RenameKeywordCalls(tokens);
  AdaptIndexNames(tokens);
  AdaptColumnTypes(tokens);
  return SmJoinSqlTokens(tokens);
}

bool SmRegisterJetFunctions(sqlite3* db) {
  struct Fn {
    const char* name;
    int args;
    void (*call)(sqlite3_context*, int, sqlite3_value**);
  };
  static const Fn kFunctions[] = {
      {"Mid", 2, FnMid},         {"Mid", 3, FnMid},     {"jet_left", 2, FnLeft},
      {"jet_right", 2, FnRight}, {"Len", 1, FnLen},     {"InStr", 2, FnInStr},
      {"InStr", 3, FnInStr},     {"InStr", 4, FnInStr}, {"stuff", 4, FnStuff},
      {"Val", 1, FnVal},         {"CStr", 1, FnCStr},   {"UCase", 1, FnUCase},
      {"LCase", 1, FnLCase},
  };
  for (const Fn& f : kFunctions) {
    if (sqlite3_create_function(db, f.name, f.args, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                f.call, nullptr, nullptr) != SQLITE_OK)
      return false;
  }
  return true;
}
