#include <gtest/gtest.h>

#include "tests/core/test_db_fixture.h"
#include "tests/core/test_sql_corpus_runner.h"

// Every statement shape of the program that reaches the data file runs after translation and
// adaptation; the concatenations among them give Jet's texts.
TEST(SqlCorpus, EveryStatementRunsOnTheDataFile) {
  const std::string path = SmFreshDataFile("corpus");
  CSmDatabase db;
  ASSERT_TRUE(db.Open(path));
  int statements = 0;
  ASSERT_NO_FATAL_FAILURE(SmRunSqlCorpus(
      db, [](const std::string&) { return std::string(); }, &statements));
  EXPECT_GT(statements, 300);
}
