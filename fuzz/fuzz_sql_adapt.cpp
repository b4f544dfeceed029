// Statements as the engines' adaptations read them: the neutral dialect's marked tokens, the
// SQLite and PostgreSQL forms. Tokens join back to the statement; a statement the quick check
// passes over comes out of the SQLite adaptation unchanged; a refusal is for nesting alone.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/SmSqlDialect.h"
#include "core/SmSqlDialectPg.h"
#include "core/SmSqlDialectSqlite.h"
#include "fuzz/SmFuzzSupport.h"

namespace {

// The ticket table's code column is a text, its weight a number.
class CFuzzSchema : public CSmSqlSchema {
 public:
  bool IsTable(std::string_view name) override { return SmSqlSameName(name, "gbSheet"); }
  SmSqlType ColumnType(std::string_view table, std::string_view column) override {
    if (!IsTable(table)) return SmSqlType::Unknown;
    if (SmSqlSameName(column, "KNO")) return SmSqlType::Text;
    if (SmSqlSameName(column, "JZ")) return SmSqlType::Number;
    return SmSqlType::Unknown;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string sql(reinterpret_cast<const char*>(data), size);
  if (SmJoinSqlTokens(SmTokenizeSql(sql)) != sql) SmFuzzFail("the tokens do not join to the text");
  CFuzzSchema schema;
  for (const bool server : {false, true}) {
    const std::string translated = SmTranslateSql(server, sql);
    const auto sqlite = SmAdaptSqlTokensForSqlite(translated, &schema);
    if (!SmSqliteNeedsAdapting(translated) && sqlite != translated)
      SmFuzzFail("the quick check passes over a statement the adaptation changes");
    const auto pg = SmAdaptSqlForPg(translated, &schema);
    if (!sqlite != !pg) SmFuzzFail("one engine refuses a statement the other takes");
  }
  return 0;
}
