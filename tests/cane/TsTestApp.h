#pragma once
// An application with the cane module registered as data type 16, its parameters at their
// defaults.
#include <gtest/gtest.h>

#include "app/SmApp.h"
#include "app/SmServerYearFile.h"
#include "cane/TsDataType.h"
#include "core/SmDatabase.h"
#include "tests/common/SmTestDataFile.h"
#include "tests/core/test_server_fixture.h"

class TsAppTest : public testing::Test {
 protected:
  void SetUp() override {
    m_type = static_cast<CTsDataType*>(m_app.AdoptDataType(std::make_unique<CTsDataType>()));
    m_type->Init();
  }
  void TearDown() override { m_app.m_dataTypes.clear(); }

  CSmApp m_app;
  CTsDataType* m_type = nullptr;
};

// A new yearly file with the module's tables, open on m_db: kind 0 a data file, kind 2 a
// server year file.
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

  CSmDatabase m_db;
};
