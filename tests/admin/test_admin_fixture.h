#pragma once
// An application logged in to a yearly data file of 2016 as operator 101, on the embedded
// engine (kind 0) or as a server database (kind 2), with its work session started.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/SmApp.h"
#include "app/SmServerYearFile.h"
#include "core/SmDatabase.h"
#include "core/SmString.h"
#include "tests/common/SmTestDataFile.h"
#include "tests/core/test_server_fixture.h"

class AdminFileTest : public testing::TestWithParam<int> {
 protected:
  // Each test program keeps to its own extension on the shared server, and each test (they run
  // side by side) to an account set of its own.
  static constexpr const char* kExt = "tsa";

  void SetUp() override {
    SmResetMessages();
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    m_code = FormatStr(
        "%04zu",
        std::hash<std::string>{}(std::string(test->test_suite_name()) + test->name()) % 10000);
    m_app.m_moduleInfo.m_ext = kExt;
    if (GetParam() == 0) {
      m_path = SmCreateTestDataFile(2016);
      ASSERT_TRUE(m_app.m_env.OpenFile("", m_path, "101", true));
    } else {
      OpenServerFile();
    }
    m_db = m_app.m_env.GetDatabase();
    ASSERT_NE(m_db, nullptr);
    m_app.m_opLog.StartWork();
  }
  void TearDown() override { m_app.m_dataTypes.clear(); }

  void OpenServerFile() {
    ASSERT_FALSE(SmPgEnv("SM_PG_PORT").empty()) << "run the tests through make test";
    m_login = SmPgLogin(GetParam());
    DropServerFile(2016);
    std::string name;
    ASSERT_TRUE(SmCreateServerYearFile(m_app, GetParam(), m_login, m_code, 2016, &name));
    m_app.m_env.SetKind(GetParam());
    ASSERT_TRUE(m_app.m_env.WriteDbLogin(m_login));
    ASSERT_TRUE(m_app.m_env.OpenFile(m_login.server, name, "101", true))
        << CSmMessageService::Instance().LastText();
  }
  void DropServerFile(int year) {
    CSmDatabase master(GetParam());
    ASSERT_TRUE(master.Open("master", m_login)) << "cannot reach the test server";
    master.ExecuteSQL(
        "Drop Database If Exists " + SmServerDatabaseName(kExt, m_code, year) + " With (FORCE)", {},
        128, false);
  }
  // Rows of the log with the operation code.
  std::vector<std::string> LogNotes(int code) {
    std::vector<std::string> rows;
    m_db->QueryStrings(FormatStr("Select rtrim(sNote) From SmLog Where nTaskID=%d", code), &rows,
                       1);
    return rows;
  }

  CSmApp m_app;
  CSmDatabase* m_db = nullptr;
  std::string m_path;
  CSmConnInfo m_login;
  std::string m_code;  // the account set on the server
};
