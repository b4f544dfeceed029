#pragma once
// The server tests run on the PostgreSQL cluster the test script starts on loopback
// (SM_PG_HOST, SM_PG_PORT, SM_PG_USER, SM_PG_PASSWORD). A test that cannot reach it fails.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "core/SmDatabase.h"
#include "core/SmOdbcBackend.h"
#include "platform/SmMessage.h"
#include "tests/common/SmTestMain.h"

inline const char* kSmTestDsn = "SmTestPg";

inline std::string SmPgEnv(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

// The login of kind 1 (through the user data source kSmTestDsn) or kind 2 (the server by name).
inline CSmConnInfo SmPgLogin(int kind) {
  CSmConnInfo info(kind);
  info.server =
      kind == 1 ? std::string(kSmTestDsn) : SmPgEnv("SM_PG_HOST") + "," + SmPgEnv("SM_PG_PORT");
  info.user = SmPgEnv("SM_PG_USER");
  info.password = SmPgEnv("SM_PG_PASSWORD");
  return info;
}

// Writes the user data source of the test cluster into an odbc.ini of the test home (the
// driver manager finds the user's file through ODBCINI, not through HOME).
inline bool SmPgWriteTestDsn() {
  setenv("ODBCINI", (SmTestHome() + "/.odbc.ini").c_str(), 1);
  return SmConfigDataSource(
      SM_DSN_ADD, "PostgreSQL Unicode",
      {std::string("DSN=") + kSmTestDsn, "Description=SQL Server 数据源",
       "Server=" + SmPgEnv("SM_PG_HOST") + "," + SmPgEnv("SM_PG_PORT"), "DataBase=master"});
}

// A fresh, empty server database `name`, left open on `db` (of kind 1 or 2).
inline void SmFreshServerDatabase(CSmDatabase& db, const std::string& name) {
  ASSERT_FALSE(SmPgEnv("SM_PG_PORT").empty())
      << "SM_PG_* not set: run the tests through scripts/test.sh (make test)";
  ASSERT_TRUE(SmPgWriteTestDsn());
  const CSmConnInfo login = SmPgLogin(db.GetKind());
  {
    CSmDatabase master(db.GetKind());
    ASSERT_TRUE(master.Open("master", login)) << "cannot reach the test server";
    ASSERT_TRUE(master.OnPostgres());
    master.ExecuteSQL("Drop Database If Exists " + name + " With (FORCE)", {}, 128, false);
  }
  ASSERT_TRUE(db.CreateDatabase(login, name)) << db.LastError();
  ASSERT_TRUE(db.IsOpen());
}

// A server database per test, lower-case name derived from the test.
inline std::string SmServerTestName(const std::string& prefix) {
  const auto* info = testing::UnitTest::GetInstance()->current_test_info();
  std::string name = prefix + "_" + info->test_suite_name() + "_" + info->name();
  for (char& c : name) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) c = '_';
  }
  return name.substr(0, 60);
}
