#include <gtest/gtest.h>

#include <fstream>

#include "core/SmQuery.h"
#include "tests/common/SmStations.h"
#include "tests/core/test_db_fixture.h"

using DbConnection = DataFileTest;

TEST_F(DbConnection, ExecuteFailureReportsTranslatedStatementOnlyWhenAsked) {
  const std::string bad = "Update NoSuchTable Set X=1 Where NA Like 'a\x07*\x08'";
  EXPECT_FALSE(m_db.ExecuteSQL(bad, "", 128, true));
  ASSERT_EQ(ShownCount(), 1u);
  EXPECT_EQ(Shown(),
            "no such table: NoSuchTable\n执行下列SQL语句时出错！\nUpdate NoSuchTable Set X=1 Where "
            "NA Like 'a*'");
  EXPECT_EQ(CSmMessageService::Instance().Shown()[0].flags & SM_MB_ICONERROR, SM_MB_ICONERROR);
  SmResetMessages();
  EXPECT_FALSE(m_db.ExecuteSQL(bad, "", 128, false));
  EXPECT_EQ(ShownCount(), 0u);
  EXPECT_FALSE(m_db.LastError().empty());
}

TEST_F(DbConnection, OneValueQueries) {
  EXPECT_EQ(m_db.QueryInt("Select Count(*) From SysCsTab"), 0);
  long count = -1;
  EXPECT_EQ(m_db.QueryCountInt("Max(CsN) From SysCsTab Where Cs=5", "", &count), 0);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(m_db.QueryCountString("Max(CsVal) From SysCsTab Where Cs=5", "", &count), "");
  EXPECT_EQ(count, 0);
  for (int n : {3, 7, 5})
    ASSERT_TRUE(m_db.ExecuteSQL("Insert Into SysCsTab(Cs,CsN,CsNa,CsVal) Values(5," +
                                std::to_string(n) + ",'n" + std::to_string(n) + "','值" +
                                std::to_string(n) + "')"));
  EXPECT_EQ(m_db.QueryInt("Select Count(*) From SysCsTab"), 3);
  EXPECT_EQ(m_db.QueryCountInt("Max(CsN) From SysCsTab Where Cs=5", "", &count), 7);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(m_db.QueryCountString("Min(CsVal) From SysCsTab Where Cs=5", "", &count), "值3");
  std::vector<std::string> arrays[2];
  EXPECT_EQ(m_db.QueryStrings("Select CsNa,CsVal From SysCsTab Order By CsN", arrays, 2), 3);
  EXPECT_EQ(arrays[0], (std::vector<std::string>{"n3", "n5", "n7"}));
  EXPECT_EQ(arrays[1], (std::vector<std::string>{"值3", "值5", "值7"}));
  EXPECT_EQ(ShownCount(), 0u);
  // A failing one-value query reports through the query and answers 0.
  EXPECT_EQ(m_db.QueryInt("Select Count(*) From Missing"), 0);
  EXPECT_EQ(Shown(),
            "no such table: Missing\n执行下列SQL语句时出错！\nSelect Count(*) From Missing");
}

TEST_F(DbConnection, SqlTextQuotesBarsAndGbkCut) {
  struct Case {
    int kind;
    const char* text;
    int max;
    const char* expected;
  };
  const Case cases[] = {
      {0, "O'Neil|x", -1, "O''Neil｜x"},
      {1, "O'Neil|x", -1, "O''Neil|x"},
      {2, "O'Neil|x", -1, "O''Neil|x"},
      {0, "ab甘蔗", 3, "ab"},  // the cut falls inside 甘: it goes whole
      {0, "ab甘蔗", 4, "ab甘"},
      {0, "''''", 2, "''''"},  // doubled after the cut: may exceed the maximum
      {0, "a|b", 0, ""},
  };
  for (const Case& c : cases) {
    CSmDatabase db(c.kind);
    EXPECT_EQ(db.SqlText(c.text, c.max), c.expected) << c.kind << " " << c.text;
  }
}

TEST_F(DbConnection, TextsRoundTripUnchanged) {
  const std::string texts[] = {"甘蔗结算：第一榨季", "O'Neil said \"hi\"", "a|b", "  lead", "%_*?"};
  int n = 0;
  for (const std::string& t : texts) {
    ASSERT_TRUE(m_db.ExecuteSQL("Insert Into SysCsTab(Cs,CsN,CsNa,CsVal) Values(1," +
                                std::to_string(n++) + ",'k','" + m_db.SqlText(t, 200) + "')"));
  }
  CSmQuery q(0, 0, 1, &m_db);
  ASSERT_TRUE(q.Open("Select CsVal From SysCsTab Order By CsN"));
  std::vector<std::string> read;
  for (; !q.IsEOF(); q.MoveNext()) read.push_back(q.GetString(0));
  EXPECT_EQ(read, (std::vector<std::string>{"甘蔗结算：第一榨季", "O'Neil said \"hi\"", "a｜b",
                                            "  lead", "%_*?"}));
  // A Chinese text finds itself again through a Like pattern and an equality.
  EXPECT_EQ(m_db.QueryInt("Select Count(*) From SysCsTab Where CsVal Like '甘蔗\x07*\x08'"), 1);
  EXPECT_EQ(m_db.QueryInt("Select Count(*) From SysCsTab Where CsVal='甘蔗结算：第一榨季'"), 1);
}

TEST_F(DbConnection, TransactionsCommitRollbackAndNest) {
  ASSERT_TRUE(m_db.BeginTrans());
  ASSERT_TRUE(m_db.ExecuteSQL("Insert Into SysCsTab(Cs,CsN) Values(1,1)"));
  // A failing statement leaves the transaction open for the caller.
  EXPECT_FALSE(m_db.ExecuteSQL("Insert Into Missing Values(1)", "", 128, false));
  ASSERT_TRUE(m_db.Rollback());
  EXPECT_EQ(m_db.QueryInt("Select Count(*) From SysCsTab"), 0);

  ASSERT_TRUE(m_db.BeginTrans());
  ASSERT_TRUE(m_db.ExecuteSQL("Insert Into SysCsTab(Cs,CsN) Values(1,1)"));
  ASSERT_TRUE(m_db.BeginTrans());
  ASSERT_TRUE(m_db.ExecuteSQL("Insert Into SysCsTab(Cs,CsN) Values(1,2)"));
  ASSERT_TRUE(m_db.Rollback());
  ASSERT_TRUE(m_db.CommitTrans());
  EXPECT_EQ(m_db.QueryInt("Select Count(*) From SysCsTab"), 1);
  EXPECT_FALSE(m_db.CommitTrans());
  EXPECT_FALSE(m_db.Rollback());
  EXPECT_EQ(ShownCount(), 0u);
}

TEST_F(DbConnection, OpenReopenAndKinds) {
  EXPECT_TRUE(m_db.IsOpen());
  EXPECT_EQ(m_db.GetFileName(false), m_path);
  // Opening another file closes this one first; a missing file or a stranger fails quietly.
  CSmDatabase other;
  EXPECT_FALSE(other.Open(m_path + ".missing"));
  const std::string junk = m_path + ".junk";
  std::ofstream(junk) << "this is not a data file, nor anything like one at all";
  EXPECT_FALSE(other.Open(junk));
  EXPECT_FALSE(other.IsOpen());
  EXPECT_TRUE(m_db.Reopen());
  EXPECT_EQ(m_db.QueryInt("Select Count(*) From SysCsTab"), 0);
  m_db.Close();
  EXPECT_FALSE(m_db.Reopen());
  EXPECT_FALSE(m_db.ExecuteSQL("Delete From SysCsTab", "", 128, false));
  // A server that cannot be reached (no data source "MQIS", no login "sa" on "(local)"): opening
  // fails without a message.
  setenv("ODBCINI", (SmTestHome() + "/.odbc.ini").c_str(), 1);
  for (int kind : {1, 2}) {
    CSmDatabase server(kind);
    EXPECT_FALSE(server.Open("cane", CSmConnInfo(kind)));
    EXPECT_FALSE(server.IsOpen());
    EXPECT_TRUE(server.Reopen());
  }
  EXPECT_EQ(ShownCount(), 0u);
  CSmDatabase local;
  EXPECT_EQ(local.GetServerTime("%Y").size(), 4u);
}

// The lock file beside a data file lives while a session has the file open, and no longer: a
// file that is not there or not a data file gets none (nor a wait sign), and the last session
// out takes it (and the wait sign) with it.
TEST_F(DbConnection, LockFilesLiveOnlyWhileTheFileIsOpen) {
  auto exists = [](const std::string& path) { return std::filesystem::exists(path); };
  const std::string lock = SmDataFileLockPath(m_path);
  EXPECT_TRUE(exists(lock));
  const std::string missing = m_path + ".missing";
  const std::string junk = m_path + ".junk";
  std::ofstream(junk) << "this is not a data file, nor anything like one at all";
  for (const std::string& path : {missing, junk, SmTestHome()}) {
    CSmDatabase other;
    EXPECT_FALSE(other.Open(path));
    EXPECT_FALSE(exists(SmDataFileLockPath(path))) << path;
    EXPECT_FALSE(exists(path + "-wait")) << path;
  }
  {
    CSmDatabase second;
    ASSERT_TRUE(second.Open(m_path));
    m_db.Close();
    EXPECT_TRUE(exists(lock));  // the second session still holds it
    ASSERT_TRUE(second.ExecuteSQL("Delete From SysCsTab"));
  }
  EXPECT_FALSE(exists(lock));
  EXPECT_FALSE(exists(m_path + "-wait"));
  // A file made and never finished leaves nothing beside it either.
  CSmDatabase made;
  ASSERT_TRUE(made.CreateDatabase(CSmConnInfo(0), m_path + ".new"));
  made.Close();
  EXPECT_FALSE(exists(m_path + ".new.lock"));
  // Sessions opening and closing at once never lock each other out for good.
  const std::vector<int> opened = SmRunStations(4, [&](int, const std::function<bool()>& go) {
    if (!go()) return 99;
    int failures = 0;
    for (int round = 0; round < 200; ++round) {
      CSmDatabase station;
      failures += station.Open(m_path) ? 0 : 1;
    }
    return failures;
  });
  EXPECT_EQ(opened, (std::vector<int>{0, 0, 0, 0}));
  EXPECT_FALSE(exists(lock));
}

TEST(DbConnectString, BuildAndParse) {
  CSmConnInfo info(1);
  info.password = "pw";
  info.database = "cane";
  const std::string odbc = CSmDatabase::BuildConnectString(info, 1);
  EXPECT_EQ(odbc, "DSN=MQIS;UID=sa;PWD=pw;DATABASE=cane");
  CSmConnInfo back = CSmDatabase::ParseConnectString(odbc, 1);
  EXPECT_EQ(back.server, "MQIS");
  EXPECT_EQ(back.database, "cane");
  info.server = "(local)";
  const std::string ado = CSmDatabase::BuildConnectString(info, 2);
  EXPECT_EQ(ado,
            "Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;PassWord=pw;"
            "Initial Catalog=cane;Data Source=(local)");
  back = CSmDatabase::ParseConnectString(ado, 2);
  EXPECT_EQ(back.user, "sa");
  EXPECT_EQ(back.password, "pw");
  EXPECT_EQ(back.server, "(local)");
  EXPECT_EQ(CSmDatabase::GetConnectValue("dsn=A;uid=b", "UID"), "b");
  EXPECT_EQ(CSmDatabase::GetConnectValue("dsn=A", "PWD"), "");
  EXPECT_EQ(CSmConnInfo(0).server, "");
  EXPECT_EQ(CSmConnInfo(3).server, "(local)");
}

TEST_F(DbConnection, ReusedStatementsForgetTheValuesOfTheirLastRun) {
  const std::string insert = "Insert Into SysCsTab(Cs,CsN,CsNa,CsVal) Values(?,?,?,?)";
  ASSERT_TRUE(m_db.ExecuteBound(insert, {},
                                {SmDbValue::OfInt(1), SmDbValue::OfInt(10), SmDbValue::OfText("甲"),
                                 SmDbValue::OfText("值")}));
  // Fewer values than marks: the rest are empty, not the values of the run before.
  ASSERT_TRUE(m_db.ExecuteBound(insert, {}, {SmDbValue::OfInt(2), SmDbValue::OfInt(20)}));
  EXPECT_EQ(m_db.QueryInt("Select Count(*) From SysCsTab Where Cs=2 And CsNa Is Null And CsVal "
                          "Is Null"),
            1);
  // A query of the same text as a bound statement reads its marks as empty.
  const std::string select = "Select Count(*) From SysCsTab Where CsN=?";
  ASSERT_TRUE(m_db.ExecuteBound(select, {}, {SmDbValue::OfInt(10)}));
  EXPECT_EQ(m_db.QueryInt(select), 0);
}

// The engines' reasons by the kind of failure the program acts on, and what the clerk reads:
// a sentence of the kind, the reason and the statement; a lost connection alone.
TEST(DbFailure, KindsAndTheirReports) {
  const std::pair<const char*, SmDbFailure> reasons[] = {
      {"database is locked", SmDbFailure::Busy},
      {"[55P03] ERROR: canceling statement due to lock timeout", SmDbFailure::Busy},
      {"[40P01] ERROR: deadlock detected", SmDbFailure::Busy},
      {"UNIQUE constraint failed: NHDir.KNO", SmDbFailure::Duplicate},
      {"[23505] ERROR: duplicate key value violates unique constraint", SmDbFailure::Duplicate},
      {"[57P01] FATAL: terminating connection due to administrator command",
       SmDbFailure::LostConnection},
      {"[57P02] FATAL: terminating connection because of crash of another server process",
       SmDbFailure::LostConnection},
      {"[57P03] FATAL: the database system is starting up", SmDbFailure::LostConnection},
      {"[08S01] SQLExecDirectW unable due to the connection lost", SmDbFailure::LostConnection},
      {"[08006] server closed the connection unexpectedly", SmDbFailure::LostConnection},
      {"[42P01] ERROR: relation \"x\" does not exist", SmDbFailure::Other},
      {"", SmDbFailure::None},
  };
  for (const auto& [reason, failure] : reasons)
    EXPECT_EQ(SmClassifyDbError(reason), failure) << reason;

  EXPECT_EQ(SmFailureMessage(SmDbFailure::Busy, {}, false), kSmBusyText);
  EXPECT_NE(SmFailureMessage(SmDbFailure::Busy, {}, true), kSmBusyText);
  EXPECT_EQ(SmFailureMessage(SmDbFailure::Other, {}, true), "");
  EXPECT_EQ(
      SmDbFailureReport(SmDbFailure::Busy, false, "database is locked", "Delete From t"),
      std::string(kSmBusyText) + "\ndatabase is locked\n执行下列SQL语句时出错！\nDelete From t");
  EXPECT_EQ(SmDbFailureReport(SmDbFailure::Other, false, "", "Delete From t"),
            "执行下列SQL语句时出错！\nDelete From t");
  const std::string lost =
      SmDbFailureReport(SmDbFailure::LostConnection, true, "[08S01] lost", "Delete From t");
  EXPECT_EQ(lost, SmFailureMessage(SmDbFailure::LostConnection, {}, true));
  EXPECT_EQ(lost.find("Delete"), std::string::npos);

  EXPECT_EQ(SmConnectFailureText("[08001] connection to server at \"127.0.0.1\", port 5432 failed: "
                                 "timeout expired"),
            "连接服务器超时：网络不通，或服务器没有应答。");
  EXPECT_EQ(SmConnectFailureText("[08001] FATAL: database \"tsd00012016\" does not exist"),
            "服务器上没有这个数据库。");
  EXPECT_EQ(SmConnectFailureReport("无法连接此数据源！", ""), "无法连接此数据源！");
}
