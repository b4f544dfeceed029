#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "core/SmQuery.h"
#include "tests/core/test_server_fixture.h"

namespace {

std::string Unescape(std::string s) {
  const std::pair<const char*, const char*> marks[] = {
      {"{07}", "\x07"}, {"{08}", "\x08"}, {"\\t", "\t"}};
  for (auto [from, to] : marks)
    for (size_t p = 0; (p = s.find(from, p)) != std::string::npos; p += 1)
      s.replace(p, std::string(from).size(), to);
  return s;
}

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

bool IsSelect(const std::string& sql) {
  return sql.size() > 6 && (sql.compare(0, 6, "Select") == 0 || sql.compare(0, 6, "SELECT") == 0 ||
                            sql.compare(0, 6, "select") == 0);
}

class ServerCorpus : public testing::TestWithParam<int> {};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Kinds, ServerCorpus, testing::Values(1, 2));

// The statement shapes of the data file's corpus run on the server with the same results.
TEST_P(ServerCorpus, EveryStatementRunsOnTheServer) {
  CSmDatabase db(GetParam());
  ASSERT_NO_FATAL_FAILURE(
      SmFreshServerDatabase(db, SmServerTestName("k" + std::to_string(GetParam()))));
  std::ifstream in(std::filesystem::path(__FILE__).parent_path() / "data" / "sql_corpus.txt");
  ASSERT_TRUE(in.good());
  SmResetMessages();
  std::string line;
  int lineNo = 0;
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
    const std::string jet = Unescape(line);
    const std::string server = ServerText(jet);
    SCOPED_TRACE("line " + std::to_string(lineNo) + ": " + line);
    if (IsSelect(jet)) {
      CSmQuery query(0, 0, 1, &db);
      ASSERT_TRUE(query.Open(jet, server)) << CSmMessageService::Instance().LastText();
      if (expect) {
        ASSERT_FALSE(query.IsEOF());
        EXPECT_EQ(query.GetString(0), expected);
      }
    } else {
      ASSERT_TRUE(db.ExecuteSQL(jet, server)) << CSmMessageService::Instance().LastText();
    }
    ASSERT_EQ(CSmMessageService::Instance().Shown().size(), 0u)
        << CSmMessageService::Instance().LastText();
  }
}
