#include <gtest/gtest.h>

#include <regex>

#include "tests/core/test_server_fixture.h"
#include "tests/core/test_sql_corpus_runner.h"

namespace {

// The server text of a corpus line: the program writes its LIKE patterns with the server's
// wildcards where it gives a server text of its own.
std::string ServerText(const std::string& jet) {
  static const std::regex like("([Ll][Ii][Kk][Ee] ')([^']*)'");
  std::string out;
  auto begin = std::sregex_iterator(jet.begin(), jet.end(), like);
  size_t last = 0;
  for (auto it = begin; it != std::sregex_iterator(); ++it) {
    const std::smatch& m = *it;
    out += jet.substr(last, m.position(0) - last) + m[1].str();
    std::string pattern = m[2].str();
    // A marked wildcard ("\x07*\x08") is the translation's to change.
    for (size_t k = 0; k < pattern.size(); ++k)
      if (k == 0 || pattern[k - 1] != '\x07')
        pattern[k] = pattern[k] == '*' ? '%' : pattern[k] == '?' ? '_' : pattern[k];
    out += pattern + "'";
    last = m.position(0) + m.length(0);
  }
  return out + jet.substr(last);
}

class ServerCorpus : public testing::TestWithParam<int> {};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Kinds, ServerCorpus, testing::Values(1, 2));

// The statement shapes of the data file's corpus run on the server with the same results.
TEST_P(ServerCorpus, EveryStatementRunsOnTheServer) {
  CSmDatabase db(GetParam());
  ASSERT_NO_FATAL_FAILURE(
      SmFreshServerDatabase(db, SmServerTestName("k" + std::to_string(GetParam()))));
  int statements = 0;
  ASSERT_NO_FATAL_FAILURE(SmRunSqlCorpus(db, ServerText, &statements));
}
