#include <gtest/gtest.h>

#include <ctime>

#include "core/SmQuery.h"
#include "core/SmString.h"
#include "core/SmSystem.h"
#include "tests/core/test_server_fixture.h"

namespace {

class ServerDatabase : public testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    m_name = SmServerTestName("k" + std::to_string(GetParam()));
    ASSERT_NO_FATAL_FAILURE(SmFreshServerDatabase(m_db, m_name));
    SmResetMessages();
  }
  CSmDatabase m_db{GetParam()};
  std::string m_name;
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Kinds, ServerDatabase, testing::Values(1, 2));

TEST_P(ServerDatabase, OpensThroughTheDriverAndKnowsItsServer) {
  EXPECT_TRUE(m_db.OnPostgres());
  EXPECT_EQ(m_db.GetFileName(true), m_name);
  EXPECT_EQ(m_db.GetFileName(false), m_name);  // PostgreSQL names no file of a database
  // The server on loopback is this machine.
  EXPECT_EQ(m_db.GetServerMachineName(), GetComputerNameText());
  EXPECT_TRUE(m_db.IsServerMachine());
  const CSmConnInfo info = m_db.GetConnInfo();
  EXPECT_EQ(info.database, m_name);
  EXPECT_EQ(info.user, SmPgEnv("SM_PG_USER"));
  // A wrong password opens nothing and shows nothing.
  CSmConnInfo wrong = SmPgLogin(GetParam());
  wrong.password = "not-the-password";
  CSmDatabase other(GetParam());
  EXPECT_FALSE(other.Open(m_name, wrong));
  EXPECT_FALSE(other.IsOpen());
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
}

TEST_P(ServerDatabase, CatalogueOperations) {
  ASSERT_TRUE(
      m_db.ExecuteSQL("Create Table NHDir(KNO Char(15),NA Char(30),CS0 Numeric(12,2),"
                      "N \x07Long\x08,B Image)"));
  ASSERT_TRUE(m_db.ExecuteSQL("Create Index NHDir On NHDir(KNO)"));
  EXPECT_TRUE(m_db.TableExists("NHDir"));
  EXPECT_TRUE(m_db.TableExists("nhdir"));
  EXPECT_FALSE(m_db.TableExists("GP"));
  ASSERT_TRUE(m_db.ExecuteSQL("Create Index NHDirName On NHDir(NA)"));
  EXPECT_TRUE(m_db.IndexExists("nhdirname"));
  EXPECT_FALSE(m_db.IndexExists("Missing"));
  int length = 0;
  EXPECT_TRUE(m_db.ColumnExists("NHDir", "KNO", &length));
  EXPECT_EQ(length, 15);
  EXPECT_FALSE(m_db.ColumnExists("NHDir", "TEL"));

  std::vector<std::string> columns[4];
  std::vector<long> widths;
  EXPECT_EQ(m_db.GetTableColumns("NHDir", columns, &widths), 5);
  EXPECT_EQ(columns[0], std::vector<std::string>{"n"});
  EXPECT_EQ(columns[1], std::vector<std::string>{"cs0"});
  EXPECT_EQ(columns[2], (std::vector<std::string>{"kno", "na"}));
  EXPECT_EQ(widths, (std::vector<long>{15, 30}));
  EXPECT_EQ(columns[3], std::vector<std::string>{"b"});
  std::vector<std::string> none[4];
  EXPECT_EQ(m_db.GetTableColumns("Missing", none), 0);

  ASSERT_TRUE(m_db.ExecuteSQL("Create Table GP(KNO Char(15))"));
  std::vector<std::string> tables;
  EXPECT_EQ(m_db.GetUserTables(&tables), 2);
  EXPECT_EQ(m_db.DatabaseExists(m_name), 1);
  EXPECT_EQ(m_db.DatabaseExists(MakeUpperCopy(m_name)), 1);
  EXPECT_EQ(m_db.DatabaseExists("tsd99999999"), 0);

  // A new column is filled with its default on every row, in one change.
  ASSERT_TRUE(m_db.ExecuteSQL("Insert Into GP(KNO) Values('1')"));
  EXPECT_TRUE(m_db.AddColumn("GP", "PR", 1, 12, 2));
  EXPECT_TRUE(m_db.AddColumn("GP", "NT", 2, 60, 0, "'无'"));
  EXPECT_FALSE(m_db.AddColumn("GP", "NT", 2, 60, 0));  // exists already
  EXPECT_EQ(m_db.QueryCountString("Max(NT) From GP"), "无");
  EXPECT_EQ(m_db.QueryInt("Select Count(*) From GP Where PR=0"), 1);
  EXPECT_TRUE(m_db.ExecuteSQL("Drop Index NHDir.NHDir"));
  EXPECT_TRUE(m_db.TablesAreEmpty("NHDir"));
  EXPECT_FALSE(m_db.TablesAreEmpty("NHDir GP"));
}

TEST_P(ServerDatabase, ServerTimeIsTheServersClock) {
  // Put the server's session an hour away from local time: the time read must follow it.
  ASSERT_TRUE(m_db.ExecuteSQL("Set TIME ZONE 'UTC'"));
  std::tm utc{};
  std::time_t now = std::time(nullptr);
  gmtime_r(&now, &utc);
  char expected[16];
  std::strftime(expected, sizeof expected, "%Y%m%d%H", &utc);
  const std::string read = m_db.GetServerTime("%Y%m%d%H");
  std::time_t later = std::time(nullptr);
  gmtime_r(&later, &utc);
  char expectedLater[16];
  std::strftime(expectedLater, sizeof expectedLater, "%Y%m%d%H", &utc);
  EXPECT_TRUE(read == expected || read == expectedLater) << read;
  ASSERT_TRUE(m_db.ExecuteSQL("Set TIME ZONE 'Etc/GMT+5'"));
  now = std::time(nullptr) - 5 * 3600;
  gmtime_r(&now, &utc);
  std::strftime(expected, sizeof expected, "%Y%m%d%H", &utc);
  const std::string shifted = m_db.GetServerTime("%Y%m%d%H");
  EXPECT_TRUE(shifted == expected || shifted.substr(0, 8) == std::string(expected).substr(0, 8))
      << shifted;
  EXPECT_NE(shifted, read);
}

TEST_P(ServerDatabase, FailedStatementRollsTheWholeChangeBack) {
  ASSERT_TRUE(
      m_db.ExecuteSQL("Create Table SysCsTab(Cs Int,CsN Int,CsNa Char(200),CsVal Char(200))"));
  ASSERT_TRUE(m_db.ExecuteSQL("Insert Into SysCsTab(Cs,CsN,CsNa,CsVal) Values(1,1,'a','b')"));
  ASSERT_TRUE(m_db.BeginTrans());
  EXPECT_TRUE(m_db.ExecuteSQL("Update SysCsTab Set CsVal='c' Where Cs=1"));
  EXPECT_TRUE(m_db.ExecuteSQL("Insert Into SysCsTab(Cs,CsN,CsNa,CsVal) Values(2,1,'x','y')"));
  SmResetMessages();
  EXPECT_FALSE(m_db.ExecuteSQL("Insert Into NoSuchTable(A) Values(1)"));
  ASSERT_EQ(CSmMessageService::Instance().Shown().size(), 1u);
  // The connection says the transaction is spoiled rather than running on.
  EXPECT_FALSE(m_db.ExecuteSQL("Insert Into SysCsTab(Cs,CsN,CsNa,CsVal) Values(3,1,'x','y')", {},
                               128, false));
  EXPECT_NE(m_db.LastError().find("rolled back"), std::string::npos) << m_db.LastError();
  EXPECT_FALSE(m_db.CommitTrans());
  EXPECT_EQ(m_db.QueryInt("Select Count(*) From SysCsTab"), 1);
  EXPECT_EQ(m_db.QueryCountString("Max(CsVal) From SysCsTab"), "b");
  // The connection works on after the rollback; a clean transaction commits.
  ASSERT_TRUE(m_db.BeginTrans());
  EXPECT_TRUE(m_db.ExecuteSQL("Update SysCsTab Set CsVal='d' Where Cs=1"));
  EXPECT_TRUE(m_db.CommitTrans());
  EXPECT_EQ(m_db.QueryCountString("Max(CsVal) From SysCsTab"), "d");
  // Both kinds show the driver's diagnostics before the statement.
  SmResetMessages();
  EXPECT_FALSE(m_db.ExecuteSQL("Select * From NoSuchTable"));
  const std::string shown = CSmMessageService::Instance().LastText();
  EXPECT_NE(shown.find("执行下列SQL语句时出错！\nSelect * From NoSuchTable"), std::string::npos);
  EXPECT_NE(shown.find("[42P01]"), std::string::npos) << shown;
}

// A statement nested past the bound of the adaptation fails with its reason before it reaches
// the server: the transaction it stands in goes on.
TEST_P(ServerDatabase, StatementNestedTooDeepFailsWithItsReason) {
  ASSERT_TRUE(m_db.ExecuteSQL("Create Table T(A Char(10))"));
  ASSERT_TRUE(m_db.ExecuteSQL("Insert Into T(A) Values('a')"));
  const std::string deep = std::string(100000, '(') + "A+'x'" + std::string(100000, ')');
  ASSERT_TRUE(m_db.BeginTrans());
  SmResetMessages();
  EXPECT_FALSE(m_db.ExecuteSQL("Update T Set A=" + deep));
  ASSERT_EQ(CSmMessageService::Instance().Shown().size(), 1u);
  EXPECT_TRUE(CSmMessageService::Instance().LastText().starts_with(
      SmSqlTooDeepText() + "\n执行下列SQL语句时出错！\nUpdate T"));
  CSmQuery query(0, 0, 1, &m_db);
  EXPECT_FALSE(query.Open("Select " + deep + " From T"));
  EXPECT_TRUE(m_db.ExecuteSQL("Update T Set A=A+'y'"));
  EXPECT_TRUE(m_db.CommitTrans());
  EXPECT_EQ(m_db.QueryCountString("Max(A) From T"), "ay");
}

TEST_P(ServerDatabase, BoundValuesAndChineseTextsRoundTrip) {
  ASSERT_TRUE(m_db.ExecuteSQL("Create Table T(N Int,D Double,S Char(20),B Image)"));
  const std::vector<unsigned char> blob = {0, 1, 2, 255, 0, 7};
  ASSERT_TRUE(m_db.ExecuteBound("Insert Into T(N,D,S,B) Values(?,?,?,?)", {},
                                {SmDbValue::OfInt(-7), SmDbValue::OfDouble(1234.56),
                                 SmDbValue::OfText("王'五|x"), SmDbValue::OfBlob(blob)}));
  CSmQuery query(1, 1, 1, &m_db);
  ASSERT_TRUE(query.Open("Select N,D,rtrim(S) From T"));
  ASSERT_FALSE(query.IsEOF());
  EXPECT_EQ(query.GetInt(0), -7);
  EXPECT_DOUBLE_EQ(query.GetDouble(0), 1234.56);
  EXPECT_EQ(query.GetString(0), "王'五|x");
  EXPECT_EQ(m_db.SqlText("a|'b"), "a|''b");  // the server keeps "|"
  auto cursor = m_db.Backend()->Query("Select B From T", nullptr);
  ASSERT_TRUE(cursor && cursor->Next());
  EXPECT_EQ(cursor->GetBlob(0), blob);
}

TEST_P(ServerDatabase, DatabaseInUseIsNotDroppedAndRecreateEmptiesIt) {
  const CSmConnInfo login = SmPgLogin(GetParam());
  ASSERT_TRUE(m_db.ExecuteSQL("Create Table GP(KNO Char(15))"));
  EXPECT_TRUE(m_db.ListDatabaseUsers(true));  // only this connection
  CSmDatabase other(GetParam());
  ASSERT_TRUE(other.Open(m_name, login));
  EXPECT_FALSE(m_db.ListDatabaseUsers(true));
  EXPECT_NE(CSmMessageService::Instance().LastText().find("不能以独占方式打开它！"),
            std::string::npos);
  CSmDatabase dropper(GetParam());
  EXPECT_FALSE(dropper.DropDatabase(login, m_name));
  EXPECT_EQ(m_db.DatabaseExists(m_name), 1);
  other.Close();
  // The server ends the other connection's process after the client has left.
  for (int k = 0; k < 100 && !m_db.ListDatabaseUsers(false); ++k)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  SmResetMessages();
  // Recreating drops and makes the database again, empty.
  EXPECT_TRUE(m_db.RecreateDatabase(login)) << CSmMessageService::Instance().LastText();
  EXPECT_TRUE(m_db.IsOpen());
  EXPECT_FALSE(m_db.TableExists("GP"));
  m_db.Close();
  EXPECT_TRUE(dropper.DropDatabase(login, m_name));
  CSmDatabase master(GetParam());
  ASSERT_TRUE(master.Open("master", login));
  EXPECT_EQ(master.DatabaseExists(m_name), 0);
}

// A row another connection holds past the wait is said in plain words that speak of the
// database, with the server's reason in full; a server that cannot be reached is said in
// Chinese before the driver's own words.
TEST_P(ServerDatabase, LockAndConnectionFailuresAreSaidInChinese) {
  ASSERT_TRUE(m_db.ExecuteSQL("Create Table t(k Char(5),v Int)"));
  ASSERT_TRUE(m_db.ExecuteSQL("Insert Into t Values('a',1)"));
  CSmDatabase other(GetParam());
  ASSERT_TRUE(other.Open(m_name, SmPgLogin(GetParam())));
  ASSERT_TRUE(other.BeginTrans());
  ASSERT_TRUE(other.ExecuteSQL("Update t Set v=2"));
  EXPECT_FALSE(m_db.ExecuteSQL("Update t Set v=3"));  // gives up after the lock time-out
  other.Rollback();
  EXPECT_EQ(m_db.LastFailure(), SmDbFailure::Busy);
  EXPECT_EQ(CSmMessageService::Instance().LastText(),
            SmFailureMessage(SmDbFailure::Busy, {}, true) + "\n" + m_db.LastError() +
                "\n执行下列SQL语句时出错！\nUpdate t Set v=3");
  EXPECT_NE(m_db.LastError().find("lock timeout"), std::string::npos);
  EXPECT_EQ(SmFailureMessage(SmDbFailure::Busy, {}, true).find("数据文件"), std::string::npos);
  if (GetParam() != 2) return;

  struct Case {
    const char* what;
    std::string server;
    std::string password;
    const char* sentence;
  };
  const CSmConnInfo login = SmPgLogin(2);
  const Case cases[] = {
      {"wrong password", login.server, "not-the-password", "用户名或口令不正确。"},
      {"unknown host", "nosuchhost.invalid," + SmPgEnv("SM_PG_PORT"), login.password,
       "找不到服务器：服务器的名称不对，或网络上没有这台计算机。"},
      {"server down", "127.0.0.1,1", login.password,
       "服务器没有运行，或不接受连接：请检查服务器是否已启动、端口是否正确。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CSmConnInfo tried = login;
    tried.server = c.server;
    tried.password = c.password;
    CSmDatabase unreachable(2);
    ASSERT_FALSE(unreachable.Open(m_name, tried));
    const std::string reason = unreachable.LastError();
    EXPECT_EQ(SmConnectFailureReport("无法连接此数据源！", reason),
              std::string("无法连接此数据源！\n") + c.sentence + "\n" + TrimChars(reason));
  }
}
