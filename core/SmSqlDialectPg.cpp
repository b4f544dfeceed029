#include "core/SmSqlDialectPg.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <vector>

#include "core/SmSqlDialectSqlite.h"

namespace {

using Tokens = std::vector<SmSqlToken>;

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower((unsigned char)c));
  return out;
}

bool IsSymbol(const SmSqlToken& t, std::string_view s) {
  return t.kind == SmSqlTokenKind::Symbol && t.text == s;
}

// Where each "(" closes and which "(" each top-level comma of a call belongs to, found in one
// pass; npos where a bracket is not closed or a comma stands outside every bracket.
struct Brackets {
  std::vector<size_t> close;   // by token index of "("
  std::vector<size_t> owner;   // by token index of ","
  std::vector<size_t> commas;  // by token index of "(": its own commas
};

Brackets MatchBrackets(const Tokens& tokens) {
  constexpr size_t npos = std::string::npos;
  Brackets b{std::vector<size_t>(tokens.size(), npos), std::vector<size_t>(tokens.size(), npos),
             std::vector<size_t>(tokens.size(), 0)};
  std::vector<size_t> open;
  for (size_t i = 0; i < tokens.size(); ++i) {
    if (IsSymbol(tokens[i], "(")) open.push_back(i);
    if (IsSymbol(tokens[i], ")") && !open.empty()) {
      b.close[open.back()] = i;
      open.pop_back();
    }
    if (IsSymbol(tokens[i], ",") && !open.empty()) {
      b.owner[i] = open.back();
      ++b.commas[open.back()];
    }
  }
  return b;
}

// How a call is written for PostgreSQL: the prefix, the first argument, `afterFirst`, then
// each further argument behind its comma (or behind `commas[k - 1]` in place of the comma
// before argument k), then `close`. Every argument is written once, where it stands, so that
// nested calls cost no more than their length.
struct CallForm {
  std::string prefix, afterFirst;
  std::vector<std::string> commas;
  std::string close;
};

// The form of `name` with `count` arguments; nullopt when the call needs no change.
std::optional<CallForm> FormOfCall(const std::string& name, size_t count) {
  const std::string text = " AS text)";
  if (count == 0) {
    if (name == "getdate") return CallForm{"LOCALTIMESTAMP", "", {}, ""};
    return std::nullopt;
  }
  if (name == "len") return CallForm{"length(CAST(", text, {}, ")"};
  if (name == "mid" || name == "substring") return CallForm{"substr(CAST(", text, {}, ")"};
  if (name == "left" || name == "right" || name == "rtrim" || name == "ltrim")
    return CallForm{name + "(CAST(", text, {}, ")"};
  if (name == "ucase" || name == "upper") return CallForm{"upper(CAST(", text, {}, ")"};
  if (name == "lcase" || name == "lower") return CallForm{"lower(CAST(", text, {}, ")"};
  if (name == "cstr") return CallForm{"CAST(", text, {}, ""};
  if (name == "instr" && count == 2) return CallForm{"strpos(CAST(", text, {",CAST("}, text + ")"};
  // Instr(start, text, find[, compare]): the position counted from the text's beginning.
  if (name == "instr" && (count == 3 || count == 4))
    return CallForm{
        "(SELECT CASE WHEN strpos(substr(sm_instr.s,sm_instr.f),sm_instr.t)=0 THEN 0 "
        "ELSE strpos(substr(sm_instr.s,sm_instr.f),sm_instr.t)+sm_instr.f-1 END FROM "
        "(SELECT ",
        " AS f",
        {",CAST(", text + " AS s,CAST(", text + " AS t,"},
        count == 3 ? text + " AS t) sm_instr)" : " AS c) sm_instr)"};
  if (name == "val")
    return CallForm{"COALESCE(CAST(substring(CAST(",
                    text,
                    {},
                    " from '^ *([-+]?[0-9]*\\.?[0-9]+)') AS double precision),0)"};
  if (name == "iif" && count == 3)
    return CallForm{"(CASE WHEN ", "", {" THEN ", " ELSE "}, " END)"};
  if (name == "isnull" && count == 2) return CallForm{"COALESCE(", "", {","}, ")"};
  // stuff(text, start, length, insert): PostgreSQL's overlay takes its arguments in another
  // order, so they are named once in a scalar subquery and used there.
  if (name == "stuff" && count == 4)
    return CallForm{
        "(SELECT overlay(sm_stuff.s placing sm_stuff.r from sm_stuff.f for sm_stuff.n) "
        "FROM (SELECT CAST(",
        text + " AS s",
        {",", " AS f,", " AS n,"},
        " AS r) sm_stuff)"};
  return std::nullopt;
}

size_t ArgumentCount(const Brackets& b, size_t open) {
  return b.close[open] == open + 1 ? 0 : b.commas[open] + 1;
}

// Writes the tokens, calls in their PostgreSQL form, in one pass over the tokens.
std::string Emit(const Tokens& tokens) {
  const Brackets b = MatchBrackets(tokens);
  struct Call {
    size_t open, close, argument;
    CallForm form;
  };
  std::vector<Call> calls;  // the rewritten calls being written, innermost last
  std::string out;
  out.reserve(tokens.size() * 8);
  for (size_t i = 0; i < tokens.size(); ++i) {
    const SmSqlToken& t = tokens[i];
    if (!calls.empty() && i == calls.back().close) {
      const Call& c = calls.back();
      if (c.argument == 0) out += c.form.afterFirst;
      out += c.form.close;
      calls.pop_back();
      continue;
    }
    if (!calls.empty() && b.owner[i] == calls.back().open) {
      Call& c = calls.back();
      if (c.argument == 0) out += c.form.afterFirst;
      out += c.argument < c.form.commas.size() ? c.form.commas[c.argument] : t.text;
      ++c.argument;
      continue;
    }
    if (t.kind == SmSqlTokenKind::Name) {
      const size_t open = SmSqlNextSolid(tokens, i);
      if (open < tokens.size() && IsSymbol(tokens[open], "(") &&
          b.close[open] != std::string::npos) {
        std::optional<CallForm> form = FormOfCall(Lower(t.text), ArgumentCount(b, open));
        if (form) {
          out += form->prefix;
          calls.push_back({open, b.close[open], 0, std::move(*form)});
          i = open;
          continue;
        }
      }
    }
    out += t.text;
  }
  return out;
}

size_t FirstSolid(const Tokens& tokens) {
  return tokens.empty() || tokens[0].kind != SmSqlTokenKind::Space ? 0 : SmSqlNextSolid(tokens, 0);
}

std::string BareName(const std::string& name) {
  if (name.size() >= 2 && (name[0] == '[' || name[0] == '"'))
    return name.substr(1, name.size() - 2);
  return name;
}

// Create [Unique] Index X On T(...), Drop Index X On T, Drop Index T.X.
void AdaptIndexNames(Tokens& tokens) {
  size_t i = FirstSolid(tokens);
  if (i >= tokens.size()) return;
  const bool create = SmSqlTokenIs(tokens[i], "create");
  if (!create && !SmSqlTokenIs(tokens[i], "drop")) return;
  size_t k = SmSqlNextSolid(tokens, i);
  if (create && k < tokens.size() &&
      (SmSqlTokenIs(tokens[k], "unique") || SmSqlTokenIs(tokens[k], "clustered") ||
       SmSqlTokenIs(tokens[k], "nonclustered")))
    k = SmSqlNextSolid(tokens, k);
  if (k >= tokens.size() || !SmSqlTokenIs(tokens[k], "index")) return;
  const size_t nameAt = SmSqlNextSolid(tokens, k);
  if (nameAt >= tokens.size()) return;
  size_t next = SmSqlNextSolid(tokens, nameAt);
  // Drop Index table.name
  if (!create && next < tokens.size() && IsSymbol(tokens[next], ".")) {
    const size_t index = SmSqlNextSolid(tokens, next);
    if (index >= tokens.size()) return;
    const std::string table = BareName(tokens[nameAt].text);
    std::string name = BareName(tokens[index].text);
    if (SmSqlSameName(name, table)) name = SmSqliteIndexName(name);
    tokens.erase(tokens.begin() + nameAt + 1, tokens.begin() + index + 1);
    tokens[nameAt] = {SmSqlTokenKind::Name, name};
    return;
  }
  if (next >= tokens.size() || !SmSqlTokenIs(tokens[next], "on")) return;
  const size_t tableAt = SmSqlNextSolid(tokens, next);
  if (tableAt >= tokens.size()) return;
  const std::string name = BareName(tokens[nameAt].text);
  if (SmSqlSameName(name, BareName(tokens[tableAt].text)))
    tokens[nameAt] = {SmSqlTokenKind::Name, SmSqliteIndexName(name)};
  if (!create) tokens.erase(tokens.begin() + nameAt + 1, tokens.end());
}

void AdaptColumnTypes(Tokens& tokens) {
  size_t i = FirstSolid(tokens);
  if (i >= tokens.size()) return;
  if (!SmSqlTokenIs(tokens[i], "create") && !SmSqlTokenIs(tokens[i], "alter")) return;
  const size_t what = SmSqlNextSolid(tokens, i);
  if (what >= tokens.size() || !SmSqlTokenIs(tokens[what], "table")) return;
  for (size_t k = what + 1; k < tokens.size(); ++k) {
    SmSqlToken& t = tokens[k];
    if (t.kind != SmSqlTokenKind::Name) continue;
    const size_t next = SmSqlNextSolid(tokens, k);
    if (next < tokens.size() && IsSymbol(tokens[next], "(")) continue;  // a call or a width
    if (SmSqlTokenIs(t, "long")) t.text = "integer";
    if (SmSqlTokenIs(t, "double")) t.text = "double precision";
    if (SmSqlTokenIs(t, "longbinary") || SmSqlTokenIs(t, "image")) t.text = "bytea";
  }
}

// Alter Table T Alter Column C Char(n): PostgreSQL names the new type after TYPE.
void AdaptAlterColumn(Tokens& tokens) {
  const char* const words[] = {"alter", "table", nullptr, "alter", "column", nullptr};
  size_t i = FirstSolid(tokens);
  for (const char* word : words) {  // nullptr: a name
    if (i >= tokens.size() || (word && !SmSqlTokenIs(tokens[i], word))) return;
    i = SmSqlNextSolid(tokens, i);
  }
  if (i >= tokens.size() || SmSqlTokenIs(tokens[i], "type")) return;
  tokens[i].text = "TYPE " + tokens[i].text;
}

// A LIKE pattern has no escape character on SQL Server unless the statement names one.
void AdaptLike(Tokens& tokens) {
  for (size_t i = 0; i < tokens.size(); ++i) {
    if (!SmSqlTokenIs(tokens[i], "like")) continue;
    const size_t pattern = SmSqlNextSolid(tokens, i);
    if (pattern >= tokens.size() || tokens[pattern].kind != SmSqlTokenKind::String) continue;
    const size_t after = SmSqlNextSolid(tokens, pattern);
    if (after < tokens.size() && SmSqlTokenIs(tokens[after], "escape")) continue;
    tokens[pattern].text += " ESCAPE ''";  // in place: no insertion, whatever the LIKE count
  }
}

}  // namespace

bool SmIsPostgres(std::string_view dbmsName) {
  return Lower(dbmsName).find("postgres") != std::string::npos;
}

std::string SmAdaptSqlForPg(std::string_view sql, CSmSqlSchema* schema) {
  Tokens tokens = SmTokenizeSql(sql);
  AdaptIndexNames(tokens);
  AdaptColumnTypes(tokens);
  AdaptAlterColumn(tokens);
  AdaptLike(tokens);
  SmRewriteConcat(tokens, schema);
  return Emit(tokens);
}

std::string SmPgServerTimeSql() {
  return "Select to_char(LOCALTIMESTAMP,'YYYYMMDDHH24MISS')";
}

std::string SmPgDatabaseExistsSql(const std::string& quotedName) {
  return "Select Count(*) From pg_database Where lower(datname)=lower('" + quotedName + "')";
}

std::string SmPgRenameDatabaseSql(const std::string& from, const std::string& to) {
  return "Alter Database " + from + " Rename To " + to;
}

std::string SmPgIndexExistsSql(const std::string& quotedName) {
  return "Select Count(*) From pg_indexes Where lower(indexname)=lower('" + quotedName + "')";
}

std::string SmPgDatabaseUsersSql(const std::string& quotedName) {
  return "Select COALESCE(host(client_addr),'local'),COALESCE(application_name,''),"
         "Cast(min(pid) As text),Cast(max(pid) As text),Cast(Count(*) As text) From "
         "pg_stat_activity Where lower(datname)=lower('" +
         quotedName + "') Group By 1,2";
}

std::string SmPgServerAddressSql() {
  return "Select CASE WHEN inet_server_addr() Is Null Or host(inet_server_addr()) In "
         "('127.0.0.1','::1') THEN '' ELSE host(inet_server_addr()) END";
}

std::string SmPgDatabaseNamesSql(const std::string& quotedPrefix, int length) {
  return "Select datname From pg_database Where lower(Left(datname," +
         std::to_string(quotedPrefix.size()) + "))=lower('" + quotedPrefix +
         "') And length(datname)=" + std::to_string(length) + " Order By datname";
}
