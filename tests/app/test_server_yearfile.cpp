// A yearly data file as a server database: made, listed, logged into and worked in as the
// data file is.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/SmApp.h"
#include "app/SmOpLog.h"
#include "app/SmOperator.h"
#include "app/SmServerYearFile.h"
#include "app/SmSystemTables.h"
#include "core/SmString.h"
#include "tests/core/test_server_fixture.h"

namespace {

std::vector<std::string> Strings(CSmDatabase* db, const std::string& sql) {
  std::vector<std::string> rows;
  db->QueryStrings(sql, &rows, 1);
  return rows;
}

// The tables of a database (upper case, sorted) with their row counts.
std::vector<std::string> TablesAndCounts(CSmDatabase* db) {
  std::vector<std::string> tables, out;
  db->GetUserTables(&tables);
  for (const std::string& t : tables)
    out.push_back(MakeUpperCopy(t) + ":" +
                  std::to_string(db->QueryInt("Select Count(*) From " + t)));
  std::sort(out.begin(), out.end());
  return out;
}

// The work session of operator 101 and its log rows, as texts.
std::vector<std::string> WorkSession(CSmApp& app) {
  app.m_opLog.StartWork();
  CSmOpLog(10, "增加操作员：103(王五)");
  app.m_opLog.EndWork();
  CSmDatabase* db = app.m_env.GetDatabase();
  std::vector<std::string> rows =
      Strings(db,
              "Select Cast(nTask As Char(4))+' '+Cast(nTaskID As Char(4))+' '+rtrim(sOp)+' '+"
              "rtrim(sNote) From SmLog Order By nTaskID");
  for (std::string& r : rows) r = TrimChars(r);
  return rows;
}

class ServerYearFile : public testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    SmResetMessages();
    // Tests run side by side on one server: each kind and test keeps to its own extension.
    m_ext = GetParam() == 1 ? "tsd" : "tse";
    m_app.m_moduleInfo.m_ext = m_ext;
    ASSERT_FALSE(SmPgEnv("SM_PG_PORT").empty()) << "run the tests through make test";
    ASSERT_TRUE(SmPgWriteTestDsn());
    m_login = SmPgLogin(GetParam());
    CSmDatabase master(GetParam());
    ASSERT_TRUE(master.Open("master", m_login)) << "cannot reach the test server";
  }
  // Tests of one kind run side by side too: each drops only the databases of its own
  // extension.
  void DropYearFiles(const std::string& ext) {
    CSmDatabase master(GetParam());
    ASSERT_TRUE(master.Open("master", m_login)) << "cannot reach the test server";
    for (const char* name : {"00012016", "00012017", "00022016"})
      master.ExecuteSQL("Drop Database If Exists " + ext + name + " With (FORCE)", {}, 128, false);
  }
  std::string ListExt() const { return GetParam() == 1 ? "tsl" : "tsm"; }
  std::string m_ext;
  CSmApp m_app;
  CSmConnInfo m_login;
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Kinds, ServerYearFile, testing::Values(1, 2));

// What a fresh yearly file holds and what one work session of operator 101 writes to it, read
// through the application's open file (the running application is `app`).
std::vector<std::vector<std::string>> FileAndSession(CSmApp& app) {
  CSmDatabase* db = app.m_env.GetDatabase();
  std::vector<std::vector<std::string>> out = {TablesAndCounts(db)};
  const char* seeds[] = {
      "Select Cast(CS As Char(5))+' '+Cast(CSN As Char(4))+' '+rtrim(CSNA)+' '+rtrim(CSVAL) From "
      "SysCsTab Where CS<>9133 Order By CS,CSN",
      "Select rtrim(OPNO)+' '+rtrim(NA)+' '+rtrim(PSD) From OPR Order By OPNO",
      "Select rtrim(OPNO)+' '+rtrim(PWR) From PWR Order By OPNO,PWR",
      "Select rtrim(NA)+' '+Cast(PY As Char(4))+' '+rtrim(JT) From SYSTAB"};
  for (const char* sql : seeds) {
    std::vector<std::string> rows = Strings(db, sql);
    for (std::string& r : rows) {
      r = TrimChars(r);
      for (size_t p; (p = r.find("  ")) != std::string::npos;) r.erase(p, 1);
    }
    out.push_back(rows);
  }
  out.push_back(WorkSession(app));
  return out;
}

TEST_P(ServerYearFile, MadeLoggedIntoAndWorkedInAsTheDataFile) {
  DropYearFiles(m_ext);
  std::string name;
  ASSERT_TRUE(SmCreateServerYearFile(m_app, GetParam(), m_login, "0001", 2016, &name));
  EXPECT_EQ(name, m_ext + "00012016");
  EXPECT_FALSE(SmCreateServerYearFile(m_app, GetParam(), m_login, "0001", 2016));  // exists

  m_app.m_env.SetKind(GetParam());
  ASSERT_TRUE(m_app.m_env.WriteDbLogin(m_login));
  ASSERT_TRUE(m_app.m_env.OpenFile(m_login.server, name, "101", true))
      << CSmMessageService::Instance().LastText();
  CSmDatabase* db = m_app.m_env.GetDatabase();
  ASSERT_NE(db, nullptr);
  EXPECT_EQ(db->GetKind(), GetParam());
  // The program stamp names the back end; made by this program, the file asks nothing about
  // an upgrade from another.
  EXPECT_EQ(TrimChars(db->QueryCountString("Max(CSNA) From SysCsTab Where CS=9133")),
            std::to_string(GetParam()));
  EXPECT_TRUE(m_app.m_env.CheckFileStamp(db));
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty())
      << CSmMessageService::Instance().LastText();
  const auto onServer = FileAndSession(m_app);
  ASSERT_EQ(onServer.back().size(), 3u);
  // The server file has its unique keys: a second row of one operator is refused as such.
  EXPECT_FALSE(db->ExecuteSQL("Insert Into OPR(OPNO,NA,PSD) Values('101','x','')", {}, 128, false));
  EXPECT_EQ(db->LastFailure(), SmDbFailure::Duplicate) << db->LastError();
  CSmOperator twin("101", "又一个", "");
  EXPECT_FALSE(twin.Insert(db));
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "操作员代码重复！");
  SmResetMessages();

  // The same on the embedded engine.
  std::string path;
  const std::string folder = SmTestHome() + "/server-twin" + std::to_string(GetParam());
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  ASSERT_TRUE(SmCreateYearFile(m_app, folder, 2016, &path));
  CSmApp local;
  local.m_moduleInfo.m_ext = m_ext;
  ASSERT_TRUE(local.m_env.OpenFile("", path, "101", true));
  // The server file carries the program's stamp from its making; the data file gets it here.
  ASSERT_TRUE(local.m_env.CheckVersionStamp(nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(onServer, FileAndSession(local));
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty())
      << CSmMessageService::Instance().LastText();
}

TEST_P(ServerYearFile, AccountSetsAndYearsAreListedFromTheServer) {
  DropYearFiles(ListExt());
  m_app.m_moduleInfo.m_ext = ListExt();
  ASSERT_TRUE(SmCreateServerYearFile(m_app, GetParam(), m_login, "0001", 2016));
  ASSERT_TRUE(SmCreateServerYearFile(m_app, GetParam(), m_login, "0001", 2017));
  ASSERT_TRUE(SmCreateServerYearFile(m_app, GetParam(), m_login, "0002", 2016));
  {
    CSmDatabase db(GetParam());
    ASSERT_TRUE(db.Open(ListExt() + "00012017", m_login));
    ASSERT_TRUE(db.ExecuteSQL("Update SysTab Set NA='第一糖厂'"));
    ASSERT_TRUE(db.Open(ListExt() + "00022016", m_login));
    ASSERT_TRUE(db.ExecuteSQL("Update SysTab Set NA=''"));  // a set without a name is dropped
  }
  std::vector<SmServerAccountSet> sets;
  ASSERT_EQ(SmListServerAccountSets(GetParam(), m_login, ListExt(), sets), 1);
  EXPECT_EQ(sets[0].code, "0001");
  EXPECT_EQ(sets[0].name, "第一糖厂");
  EXPECT_EQ(sets[0].years, (std::vector<int>{2016, 2017}));
  CSmConnInfo wrong = m_login;
  wrong.password = "wrong";
  std::vector<SmServerAccountSet> none;
  EXPECT_EQ(SmListServerAccountSets(GetParam(), wrong, ListExt(), none), -1);
}
