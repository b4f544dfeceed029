#pragma once
// Runs every statement of tests/core/data/sql_corpus.txt on one connection. A line is one
// statement in the neutral dialect ("{07}"/"{08}" stand for the dialect marks, "\t" for a tab);
// " ==> text" after a Select gives the first column of its first row.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "core/SmDatabase.h"
#include "core/SmQuery.h"
#include "platform/SmMessage.h"
#include "tests/common/SmTestMain.h"

inline std::string SmUnescapeCorpusLine(std::string s) {
  const std::pair<const char*, const char*> marks[] = {
      {"{07}", "\x07"}, {"{08}", "\x08"}, {"\\t", "\t"}};
  for (auto [from, to] : marks)
    for (size_t p = 0; (p = s.find(from, p)) != std::string::npos; p += 1)
      s.replace(p, std::string(from).size(), to);
  return s;
}

inline bool SmIsSelect(const std::string& sql) {
  return sql.size() > 6 && (sql.compare(0, 6, "Select") == 0 || sql.compare(0, 6, "SELECT") == 0 ||
                            sql.compare(0, 6, "select") == 0);
}

// `serverText` gives the server text that goes with a statement's Jet text (empty: the same).
inline void SmRunSqlCorpus(CSmDatabase& db,
                           const std::function<std::string(const std::string&)>& serverText,
                           int* statements) {
  std::ifstream in(std::filesystem::path(SM_CORE_TEST_DATA) / "sql_corpus.txt");
  ASSERT_TRUE(in.good());
  SmResetMessages();
  std::string line;
  int lineNo = 0;
  *statements = 0;
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
    const std::string jet = SmUnescapeCorpusLine(line);
    const std::string server = serverText(jet);
    SCOPED_TRACE("line " + std::to_string(lineNo) + ": " + line);
    ++*statements;
    if (SmIsSelect(jet)) {
      CSmQuery query(0, 0, 1, &db);
      ASSERT_TRUE(query.Open(jet, server))
          << db.LastError() << CSmMessageService::Instance().LastText();
      if (expect) {
        ASSERT_FALSE(query.IsEOF());
        EXPECT_EQ(query.GetString(0), expected);
      }
    } else {
      ASSERT_TRUE(db.ExecuteSQL(jet, server))
          << db.LastError() << CSmMessageService::Instance().LastText();
    }
    ASSERT_EQ(CSmMessageService::Instance().Shown().size(), 0u)
        << CSmMessageService::Instance().LastText();
  }
}
