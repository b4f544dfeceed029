// Cost of adapting statements for PostgreSQL and SQLite as their nesting deepens: 10, 100 and
// 1,000 levels of "And (" groups and of nested function calls. The time per byte should stay
// flat; the bare tokenizer pass (split and join again) runs beside it as the yardstick.
#include <benchmark/benchmark.h>

#include <string>

#include "core/SmSqlDialect.h"
#include "core/SmSqlDialectPg.h"
#include "core/SmSqlDialectSqlite.h"

namespace {

// Where NA Like 'a*' And (Len(NA+'1')>1 Or KNO=iif(...) And ( ... ) ...
std::string NestedGroups(int levels) {
  std::string sql = "Select NA From NHDir Where NA Like 'a*'";
  for (int i = 0; i < levels; ++i)
    sql += " And (Len(NA+'" + std::to_string(i) + "')>1 Or KNO=iif(NA='x','1','2')";
  sql.append(static_cast<size_t>(levels), ')');
  return sql;
}

// Select Mid(Mid(Mid(NA,1,999),1,998) ...) From NHDir
std::string NestedCalls(int levels) {
  std::string sql = "Select ";
  for (int i = 0; i < levels; ++i) sql += "Mid(";
  sql += "NA";
  for (int i = 0; i < levels; ++i) sql += ",1," + std::to_string(levels - i) + ")";
  return sql + " From NHDir";
}

std::string Bare(const std::string& sql) {
  return SmJoinSqlTokens(SmTokenizeSql(sql));
}
std::string Pg(const std::string& sql) {
  return SmAdaptSqlForPg(sql, nullptr).value_or(std::string());
}
std::string Sqlite(const std::string& sql) {
  return SmAdaptSqlForSqlite(sql, nullptr).value_or(std::string());
}

void Adapt(benchmark::State& state, std::string (*make)(int),
           std::string (*adapt)(const std::string&)) {
  const std::string sql = make(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(adapt(sql));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * sql.size()));
}

}  // namespace

BENCHMARK_CAPTURE(Adapt, GroupsBareTokens, NestedGroups, Bare)->Arg(10)->Arg(100)->Arg(1000);
BENCHMARK_CAPTURE(Adapt, GroupsPostgres, NestedGroups, Pg)->Arg(10)->Arg(100)->Arg(1000);
BENCHMARK_CAPTURE(Adapt, GroupsSqlite, NestedGroups, Sqlite)->Arg(10)->Arg(100)->Arg(1000);
BENCHMARK_CAPTURE(Adapt, CallsBareTokens, NestedCalls, Bare)->Arg(10)->Arg(100)->Arg(1000);
BENCHMARK_CAPTURE(Adapt, CallsPostgres, NestedCalls, Pg)->Arg(10)->Arg(100)->Arg(1000);
BENCHMARK_CAPTURE(Adapt, CallsSqlite, NestedCalls, Sqlite)->Arg(10)->Arg(100)->Arg(1000);

BENCHMARK_MAIN();
