#pragma once
// The cane module registered and a new data file open with its tables: kind 0 a data file,
// kind 2 a server year file on the test cluster. Boxes are answered from the test queue.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/SmServerYearFile.h"
#include "core/SmDatabase.h"
#include "core/SmString.h"
#include "tests/cane/TsTestApp.h"
#include "tests/common/SmTestDataFile.h"
#include "tests/common/SmTestRows.h"
#include "tests/core/test_server_fixture.h"

class TsFileTest : public TsAppTest, public testing::WithParamInterface<int> {
 protected:
  void SetUp() override {
    TsAppTest::SetUp();
    SmResetMessages();
    if (GetParam() == 0) {
      const std::string path = SmCreateTestDataFile(2016);
      ASSERT_FALSE(path.empty());
      ASSERT_TRUE(m_db.Open(path));
    } else {
      ASSERT_NO_FATAL_FAILURE(CreateServerFile());
    }
  }

  void CreateServerFile() {
    ASSERT_FALSE(SmPgEnv("SM_PG_PORT").empty()) << "run the tests through make test";
    ASSERT_TRUE(SmPgWriteTestDsn());
    const CSmConnInfo login = SmPgLogin(2);
    // Tests run side by side on one server: each keeps to a database of its own.
    m_app.m_moduleInfo.m_ext = SmServerTestName("ts").substr(0, 48);
    std::string name = SmServerDatabaseName(m_app.GetDataFileExt(), "0001", 2016);
    {
      CSmDatabase master(2);
      ASSERT_TRUE(master.Open("master", login)) << "cannot reach the test server";
      master.ExecuteSQL("Drop Database If Exists " + name + " With (FORCE)", {}, 128, false);
    }
    ASSERT_TRUE(SmCreateServerYearFile(m_app, 2, login, "0001", 2016, &name));
    m_db.SetKind(2);
    ASSERT_TRUE(m_db.Open(name, login)) << m_db.LastError();
  }

  void Run(const std::vector<std::string>& statements) {
    for (const std::string& sql : statements) ASSERT_TRUE(m_db.ExecuteSQL(sql)) << sql;
  }

  // The rows of a query with one text column, trimmed, joined with "|".
  std::string Rows(const std::string& query) { return SmJoinedRows(&m_db, query); }

  // From now on every `event` (INSERT, UPDATE, DELETE) on `table` fails in the engine.
  void FailEvery(const std::string& event, const std::string& table) {
    std::string error;
    if (GetParam() == 0) {
      ASSERT_TRUE(m_db.Backend()->Execute("CREATE TRIGGER sm_fail_" + event + " BEFORE " + event +
                                              " ON " + table +
                                              " BEGIN SELECT RAISE(ABORT,'injected'); END",
                                          &error))
          << error;
      return;
    }
    ASSERT_TRUE(m_db.Backend()->Execute(
        "CREATE OR REPLACE FUNCTION sm_fail() RETURNS trigger AS $$ BEGIN RAISE EXCEPTION "
        "'injected'; END $$ LANGUAGE plpgsql",
        &error))
        << error;
    ASSERT_TRUE(m_db.Backend()->Execute("CREATE TRIGGER sm_fail_" + event + " BEFORE " + event +
                                            " ON " + table +
                                            " FOR EACH ROW EXECUTE FUNCTION sm_fail()",
                                        &error))
        << error;
  }

  // The texts of the boxes shown since the last reset.
  static std::vector<std::string> Shown() {
    std::vector<std::string> texts;
    for (const SmShownMessage& box : CSmMessageService::Instance().Shown())
      texts.push_back(box.text);
    return texts;
  }

  CSmDatabase m_db;
};

// `Fixture` (a TsFileTest) with its file opened as the program's own connection too and the
// business year read from it, for the windows that read through the program.
template <class Fixture>
class TsAppConnected : public Fixture {
 protected:
  void SetUp() override {
    Fixture::SetUp();
    if (this->HasFatalFailure()) return;
    CSmDatabase* app = this->m_app.m_env.Connection();
    ASSERT_TRUE(app->Open(this->m_db.GetFileName(), this->m_db.GetConnInfo())) << app->LastError();
    this->m_app.m_env.GetYear(true);
  }
  void TearDown() override {
    this->m_app.m_env.Close();
    Fixture::TearDown();
  }
};
