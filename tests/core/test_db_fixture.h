#pragma once
// A fresh data file per test, opened on a kind 0 connection.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/SmDatabase.h"
#include "core/SmSqliteBackend.h"
#include "platform/SmMessage.h"
#include "tests/common/SmTestMain.h"

inline std::string SmFreshDataFile(const std::string& name) {
  std::filesystem::path dir = std::filesystem::path(SmTestHome()) / "data";
  std::filesystem::create_directories(dir);
  std::filesystem::path path = dir / (name + ".tsd");
  std::filesystem::remove(path);
  CSmDatabase db;
  EXPECT_TRUE(db.CreateDatabase(CSmConnInfo(0), path.string()));
  return path.string();
}

inline std::string SmTestName() {
  const auto* info = testing::UnitTest::GetInstance()->current_test_info();
  return std::string(info->test_suite_name()) + "_" + info->name();
}

class DataFileTest : public testing::Test {
 protected:
  void SetUp() override {
    m_path = SmFreshDataFile(SmTestName());
    ASSERT_TRUE(m_db.Open(m_path));
    ASSERT_TRUE(
        m_db.ExecuteSQL("CREATE TABLE SYSCSTAB(CS LONG,CSN LONG,CSNA CHAR(200),CSVAL CHAR(200))"));
    ASSERT_TRUE(m_db.ExecuteSQL("CREATE Index SYSCSTAB On SysCsTab(CS)"));
    SmResetMessages();
  }
  const std::string& Shown(size_t k = 0) {
    static const std::string none = "<no message>";
    const auto& shown = CSmMessageService::Instance().Shown();
    return k < shown.size() ? shown[k].text : none;
  }
  size_t ShownCount() const { return CSmMessageService::Instance().Shown().size(); }

  std::string m_path;
  CSmDatabase m_db;
};
