#include "core/SmSqlDialectPg.h"

#include <algorithm>
#include <cctype>

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

// Index of the ")" that closes the "(" at `open`; tokens.size() when none.
size_t Closing(const Tokens& tokens, size_t open) {
  int depth = 0;
  for (size_t i = open; i < tokens.size(); ++i) {
    if (IsSymbol(tokens[i], "(")) ++depth;
    if (IsSymbol(tokens[i], ")") && --depth == 0) return i;
  }
  return tokens.size();
}

// Arguments of the call whose "(" is at `open` and ")" at `close`, as token ranges.
std::vector<std::pair<size_t, size_t>> Arguments(const Tokens& tokens, size_t open, size_t close) {
  std::vector<std::pair<size_t, size_t>> args;
  int depth = 0;
  size_t start = open + 1;
  for (size_t i = open + 1; i < close; ++i) {
    if (IsSymbol(tokens[i], "(")) ++depth;
    if (IsSymbol(tokens[i], ")")) --depth;
    if (depth == 0 && IsSymbol(tokens[i], ",")) {
      args.emplace_back(start, i);
      start = i + 1;
    }
  }
  if (start < close || !args.empty()) args.emplace_back(start, close);
  return args;
}

std::string Emit(const Tokens& tokens, size_t from, size_t to);

// The call `name(args)` written for PostgreSQL; empty when the function needs no change.
std::string EmitCall(const std::string& name, const Tokens& tokens, size_t open, size_t close) {
  const auto args = Arguments(tokens, open, close);
  std::vector<std::string> a;
  for (auto [b, e] : args) a.push_back(Emit(tokens, b, e));
  auto asText = [](const std::string& x) { return "CAST(" + x + " AS text)"; };
  auto rest = [&](size_t k) {
    std::string s;
    for (; k < a.size(); ++k) s += "," + a[k];
    return s;
  };
  if (a.empty()) {
    if (name == "getdate") return "LOCALTIMESTAMP";
    return {};
  }
  if (name == "len") return "length(" + asText(a[0]) + ")";
  if (name == "mid" || name == "substring") return "substr(" + asText(a[0]) + rest(1) + ")";
  if (name == "left" || name == "right" || name == "rtrim" || name == "ltrim")
    return name + "(" + asText(a[0]) + rest(1) + ")";
  if (name == "ucase" || name == "upper") return "upper(" + asText(a[0]) + ")";
  if (name == "lcase" || name == "lower") return "lower(" + asText(a[0]) + ")";
  if (name == "cstr") return asText(a[0]);
  if (name == "instr" && a.size() == 2) return "strpos(" + asText(a[0]) + "," + asText(a[1]) + ")";
  if (name == "val")
    return "COALESCE(CAST(substring(" + asText(a[0]) +
           " from '^ *([-+]?[0-9]*\\.?[0-9]+)') AS double precision),0)";
  if (name == "iif" && a.size() == 3)
    return "(CASE WHEN " + a[0] + " THEN " + a[1] + " ELSE " + a[2] + " END)";
  if (name == "isnull" && a.size() == 2) return "COALESCE(" + a[0] + "," + a[1] + ")";
  return {};
}

std::string Emit(const Tokens& tokens, size_t from, size_t to) {
  std::string out;
  for (size_t i = from; i < to; ++i) {
    const SmSqlToken& t = tokens[i];
    if (t.kind == SmSqlTokenKind::Name) {
      const size_t open = SmSqlNextSolid(tokens, i);
      if (open < to && IsSymbol(tokens[open], "(")) {
        const size_t close = std::min(Closing(tokens, open), to);
        if (close < to) {
          const std::string call = EmitCall(Lower(t.text), tokens, open, close);
          if (!call.empty()) {
            out += call;
            i = close;
            continue;
          }
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

// A LIKE pattern has no escape character on SQL Server unless the statement names one.
void AdaptLike(Tokens& tokens) {
  for (size_t i = 0; i < tokens.size(); ++i) {
    if (!SmSqlTokenIs(tokens[i], "like")) continue;
    const size_t pattern = SmSqlNextSolid(tokens, i);
    if (pattern >= tokens.size() || tokens[pattern].kind != SmSqlTokenKind::String) continue;
    const size_t after = SmSqlNextSolid(tokens, pattern);
    if (after < tokens.size() && SmSqlTokenIs(tokens[after], "escape")) continue;
    tokens.insert(tokens.begin() + pattern + 1, {{SmSqlTokenKind::Space, " "},
                                                 {SmSqlTokenKind::Name, "ESCAPE"},
                                                 {SmSqlTokenKind::Space, " "},
                                                 {SmSqlTokenKind::String, "''"}});
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
  AdaptLike(tokens);
  SmRewriteConcat(tokens, schema);
  return Emit(tokens, 0, tokens.size());
}

std::string SmPgServerTimeSql() {
  return "Select to_char(LOCALTIMESTAMP,'YYYYMMDDHH24MISS')";
}

std::string SmPgDatabaseExistsSql(const std::string& quotedName) {
  return "Select Count(*) From pg_database Where lower(datname)=lower('" + quotedName + "')";
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
