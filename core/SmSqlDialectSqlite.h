#pragma once
// What the embedded engine reads differently from the Jet form, in one place: the statement
// after TranslateSQL is adapted on its tokens, and the Jet functions the statements use are
// registered with every connection.
#include <optional>
#include <string>
#include <string_view>

#include "core/SmSqlDialect.h"

struct sqlite3;

// Adapts a statement in the Jet form for SQLite:
// - LIKE patterns: Jet's `*` and `?` become `%` and `_` (a literal `%` or `_` is escaped);
// - `+` between texts becomes `||` (SmRewriteConcat), Jet's `&` too;
// - calls of `Left(` and `Right(` (keywords in SQLite) go to the registered functions;
// - an index named like its table gets a derived name, in Create Index and Drop Index; Jet's
//   "Drop Index name On table" loses its On part;
// - the column type `Long` becomes INTEGER in table definitions, and CHAR columns compare
//   without regard to case (COLLATE NOCASE), as Jet compares texts.
// Nothing for a statement nested too deep to adapt (SmSqlTooDeepText).
std::optional<std::string> SmAdaptSqlForSqlite(std::string_view jetSql, CSmSqlSchema* schema);
// False when the statement holds nothing the adaptation changes (a scan without copies).
bool SmSqliteNeedsAdapting(std::string_view jetSql);
// The adaptation on the tokens, without that check first.
std::optional<std::string> SmAdaptSqlTokensForSqlite(std::string_view jetSql, CSmSqlSchema* schema);

// The name an index gets when it is named like its table.
std::string SmSqliteIndexName(std::string_view name);

// Registers Mid, Left, Right, Len, InStr, Val, CStr, UCase, LCase on the connection.
bool SmRegisterJetFunctions(sqlite3* db);
