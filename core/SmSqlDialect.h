#pragma once
// The neutral SQL dialect: statements are written once in the Jet form with a few marked
// tokens; TranslateSQL turns them into the form of the target engine. Engine adaptations
// (SmSqlDialectSqlite.h, a server module beside it) work on the tokens below, so that quoted
// literals are never touched by accident.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Translation behind CSmDatabase::TranslateSQL: `server` false for the data file (Jet form),
// true for the server kinds.
std::string SmTranslateSql(bool server, std::string text);

enum class SmSqlTokenKind {
  Space,       // blanks, tabs, line breaks
  String,      // '...' with '' inside
  QuotedName,  // "...", [...] or `...`
  Number,      // 12, 1.5, 1e3
  Name,        // words: keywords, names, functions (bytes above 0x7F count as letters)
  Symbol,      // operators and punctuation; <>, <=, >=, !=, || are one token
};

struct SmSqlToken {
  SmSqlTokenKind kind;
  std::string text;
};

// One token of `sql` beginning at `start` (< sql.size()), as a view of the text.
struct SmSqlTokenView {
  SmSqlTokenKind kind;
  std::string_view text;
};
SmSqlTokenView SmNextSqlToken(std::string_view sql, size_t start);

std::vector<SmSqlToken> SmTokenizeSql(std::string_view sql);
// True for a statement that changes the schema (Create, Alter, Drop).
bool SmSqlIsSchemaChange(std::string_view sql);
std::string SmJoinSqlTokens(const std::vector<SmSqlToken>& tokens);

// Case-insensitive comparison of ASCII words.
bool SmSqlSameName(std::string_view a, std::string_view b);
// True when the token is a name equal to `word` (case-insensitive) or the symbol `word`.
bool SmSqlTokenIs(const SmSqlToken& token, std::string_view word);
// Index of the next token after `i` that is not a blank; tokens.size() when none.
size_t SmSqlNextSolid(const std::vector<SmSqlToken>& tokens, size_t i);

// What an expression holds, as far as the statement and the schema tell.
enum class SmSqlType { Unknown, Number, Text };

// The schema of the open database, as the `+` rewrite needs it.
class CSmSqlSchema {
 public:
  virtual ~CSmSqlSchema() = default;
  virtual bool IsTable(std::string_view name) = 0;
  // Type of a column of a table; Unknown when the table has no such column.
  virtual SmSqlType ColumnType(std::string_view table, std::string_view column) = 0;
};

// Brackets, calls and signs nested in one another deeper than this are refused by the rewrite
// below, which follows them recursively; the engines refuse far less deep statements anyway.
constexpr int kSmSqlMaxNesting = 1000;
// The reason a statement nested too deep is refused with.
std::string SmSqlTooDeepText();

// Jet and the server write `+` between texts for concatenation; engines that read `+` as a
// number operator need `||`. Rewrites every `+` whose operands are both texts, or a text and
// something unknown (string literals, text functions, CHAR columns of the statement's tables);
// a `+` with a number on either side stays. Jet's `&` always becomes `||`. False, with the
// tokens not all rewritten, for a statement nested deeper than kSmSqlMaxNesting.
bool SmRewriteConcat(std::vector<SmSqlToken>& tokens, CSmSqlSchema* schema);
