#pragma once
// A data file (kind 0) or a server year database (kind 2) with the report tables, opened by an
// application that has the report designer registered.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/SmApp.h"
#include "core/SmDatabase.h"
#include "core/SmString.h"
#include "designer/BbDataType.h"
#include "platform/SmMessage.h"
#include "tests/common/SmTestDataFile.h"
#include "tests/core/test_server_fixture.h"

class ReportDbApp : public CSmApp {
 public:
  ReportDbApp() { AdoptDataType(std::make_unique<CBbDataType>())->Init(); }
};

class ReportDbTest : public testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    SmResetMessages();
    m_app.m_env.SetKind(GetParam());
    m_db = m_app.m_env.Connection();
    ASSERT_NO_FATAL_FAILURE(OpenFresh(*m_db, "rpt", 2026));
  }

  // A second data file or server database of the same kind, for copies between them.
  void OpenFresh(CSmDatabase& db, const std::string& prefix, int year) {
    if (GetParam() == 0) {
      ASSERT_TRUE(db.Open(SmCreateTestDataFile(year)));
    } else {
      ASSERT_NO_FATAL_FAILURE(SmFreshServerDatabase(db, SmServerTestName(prefix)));
      m_app.AfterOpen(&db);
    }
    SmResetMessages();
  }

  long Count(const std::string& sql) { return m_db->QueryCountInt(sql); }
  // The first column of every row, in query order.
  std::vector<std::string> Strings(const std::string& sql, CSmDatabase* db = nullptr) {
    std::vector<std::string> rows;
    (db ? db : m_db)->QueryStrings(sql, &rows, 1);
    return rows;
  }
  bool Run(const std::string& sql) { return m_db->ExecuteSQL(sql); }
  std::vector<std::string> ShownTexts() {
    std::vector<std::string> texts;
    for (const SmShownMessage& m : CSmMessageService::Instance().Shown()) texts.push_back(m.text);
    return texts;
  }

  // The box of a failed statement: the engine's reason, then our text and the statement.
  static bool IsSqlError(const std::string& text) {
    return text.find("执行下列SQL语句时出错！") != std::string::npos;
  }

  ReportDbApp m_app;
  CSmDatabase* m_db = nullptr;
};
