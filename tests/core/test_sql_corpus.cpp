#include <gtest/gtest.h>

#include <fstream>

#include "core/SmQuery.h"
#include "tests/core/test_db_fixture.h"

namespace {

std::string Unescape(std::string s) {
  const std::pair<const char*, const char*> marks[] = {
      {"{07}", "\x07"}, {"{08}", "\x08"}, {"\\t", "\t"}};
  for (auto [from, to] : marks)
    for (size_t p = 0; (p = s.find(from, p)) != std::string::npos; p += 1)
      s.replace(p, std::string(from).size(), to);
  return s;
}

bool IsSelect(const std::string& sql) {
  return sql.size() > 6 && (sql.compare(0, 6, "Select") == 0 || sql.compare(0, 6, "SELECT") == 0 ||
                            sql.compare(0, 6, "select") == 0);
}

}  // namespace

// Every statement shape of the program that reaches the data file runs after translation and
// adaptation; the concatenations among them give Jet's texts.
TEST(SqlCorpus, EveryStatementRunsOnTheDataFile) {
  const std::string path = SmFreshDataFile("corpus");
  CSmDatabase db;
  ASSERT_TRUE(db.Open(path));
  std::ifstream in(std::filesystem::path(__FILE__).parent_path() / "data" / "sql_corpus.txt");
  ASSERT_TRUE(in.good());
  SmResetMessages();
  std::string line;
  int lineNo = 0, statements = 0;
  while (std::getline(in, line)) {
    ++lineNo;
    if (line.empty() || line[0] == '#') continue;
    std::string expected;
    bool expect = false;
    if (size_t arrow = line.find(" ==> "); arrow != std::string::npos) {
      expected = line.substr(arrow + 5);
      line.erase(arrow);
      expect = true;
    }
    const std::string sql = Unescape(line);
    SCOPED_TRACE("line " + std::to_string(lineNo) + ": " + line);
    ++statements;
    if (IsSelect(sql)) {
      CSmQuery query(0, 0, 1, &db);
      ASSERT_TRUE(query.Open(sql)) << db.LastError();
      if (expect) {
        ASSERT_FALSE(query.IsEOF());
        EXPECT_EQ(query.GetString(0), expected);
      }
    } else {
      ASSERT_TRUE(db.ExecuteSQL(sql)) << db.LastError();
    }
    ASSERT_EQ(CSmMessageService::Instance().Shown().size(), 0u)
        << CSmMessageService::Instance().LastText();
  }
  EXPECT_GT(statements, 300);
}
