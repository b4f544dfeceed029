#include <gtest/gtest.h>

#include "core/SmQuery.h"
#include "tests/core/test_db_fixture.h"

using DbQuery = DataFileTest;

TEST_F(DbQuery, ReadsByDeclaredPositionAndResetsAtEnd) {
  ASSERT_TRUE(m_db.ExecuteSQL("Create Table T(N Long,D Double,S CHAR(20),E CHAR(10))"));
  ASSERT_TRUE(m_db.ExecuteSQL("Insert Into T Values(7,2.5,'ab  ',NULL)"));
  ASSERT_TRUE(m_db.ExecuteSQL("Insert Into T(N) Values(8)"));
  CSmQuery q(1, 1, 2, &m_db);
  ASSERT_TRUE(q.Open("Select N,D,S,E From T Order By N"));
  ASSERT_FALSE(q.IsEOF());
  EXPECT_EQ(q.GetInt(0), 7);
  EXPECT_DOUBLE_EQ(q.GetDouble(0), 2.5);
  EXPECT_EQ(q.GetString(0), "ab");  // trailing blanks go
  EXPECT_EQ(q.GetString(1), "");    // null text
  q.MoveNext();
  EXPECT_EQ(q.GetInt(0), 8);
  EXPECT_DOUBLE_EQ(q.GetDouble(0), 0.0);  // null number
  EXPECT_EQ(q.GetIntValues(), std::vector<long>{8});
  q.MoveNext();
  EXPECT_TRUE(q.IsEOF());
  EXPECT_EQ(q.GetInt(0), 0);
  EXPECT_EQ(ShownCount(), 0u);

  // Reused for another layout; no rows: true at once with reset values.
  q.SetColumnCounts(2, 0, 0, &m_db);
  ASSERT_TRUE(q.Open("Select N,N From T Where N>100"));
  EXPECT_TRUE(q.IsEOF());
  EXPECT_EQ(q.GetIntValues(), (std::vector<long>{0, 0}));
}

TEST_F(DbQuery, PositionsPastTheCountAreReported) {
  CSmQuery q(1, 1, 1, &m_db);
  ASSERT_TRUE(q.Open("Select 1,2.0,'x'"));
  struct Case {
    int which;
    int pos;
    const char* text;
  };
  const Case cases[] = {{0, 1, "执行查询时，第1个整数值超界！"},
                        {1, 3, "执行查询时，第3个数值超界！"},
                        {2, 1, "执行查询时，第1个字符串值超界！"}};
  for (const Case& c : cases) {
    SmResetMessages();
    if (c.which == 0) {
      EXPECT_EQ(q.GetInt(c.pos), 0);
    } else if (c.which == 1) {
      EXPECT_EQ(q.GetDouble(c.pos), 0.0);
    } else {
      EXPECT_EQ(q.GetString(c.pos), "");
    }
    ASSERT_EQ(ShownCount(), 1u);
    EXPECT_EQ(Shown(), c.text);
    EXPECT_EQ(CSmMessageService::Instance().Shown()[0].flags & SM_MB_ICONERROR, SM_MB_ICONERROR);
  }
}

TEST_F(DbQuery, OpenFailuresAreReportedInPlainBoxes) {
  CSmQuery q(1, 0, 0, &m_db);
  EXPECT_FALSE(q.Open("Select Nothing From Nowhere"));
  // The engine's reason stands beside the statement.
  EXPECT_EQ(Shown(),
            "near \"Nothing\": syntax error\n执行下列SQL语句时出错！\nSelect Nothing From Nowhere");
  EXPECT_EQ(CSmMessageService::Instance().Shown()[0].flags, unsigned{SM_MB_OK});
  // Fewer columns than declared cannot be bound.
  SmResetMessages();
  CSmQuery two(2, 0, 1, &m_db);
  EXPECT_FALSE(two.Open("Select 1,2"));
  EXPECT_EQ(ShownCount(), 1u);
  // A closed connection.
  SmResetMessages();
  m_db.Close();
  EXPECT_FALSE(q.Open("Select 1 Where 'a' Like 'b\x07*\x08'"));
  EXPECT_EQ(Shown(), "执行下列SQL语句时数据库未打开！\nSelect 1 Where 'a' Like 'b*'");
  // Two statements in one text are refused.
  ASSERT_TRUE(m_db.Open(m_path));
  SmResetMessages();
  EXPECT_FALSE(m_db.ExecuteSQL("Delete From SysCsTab; Drop Table SysCsTab", "", 128, false));
  EXPECT_EQ(m_db.QueryInt("Select Count(*) From SysCsTab"), 0);
  EXPECT_EQ(ShownCount(), 0u);
}

TEST_F(DbQuery, NamesAreKeptButNotRequired) {
  ASSERT_TRUE(m_db.ExecuteSQL("Insert Into SysCsTab(Cs,CsN,CsNa,CsVal) Values(4,1,'a','b')"));
  CSmQuery q(2, 0, 2, &m_db);
  q.SetFieldName(0, 0, "Cs");  // reading by position either way
  ASSERT_TRUE(q.Open("Select Cs,CsN,Rtrim(CsNa),Rtrim(CsVal) From SysCsTab"));
  EXPECT_EQ(q.GetInt(0), 4);
  EXPECT_EQ(q.GetInt(1), 1);
  EXPECT_EQ(q.GetString(1), "b");
}

TEST_F(DbQuery, ARowThatCannotBeReadIsReported) {
  ASSERT_TRUE(m_db.ExecuteSQL("Insert Into SysCsTab(Cs,CsN,CsVal) Values(1,2,'abc')"));
  ASSERT_TRUE(m_db.ExecuteSQL("Insert Into SysCsTab(Cs,CsN,CsVal) Values(1,0,'abc')"));
  CSmQuery q(0, 0, 1, &m_db);
  ASSERT_TRUE(q.Open("Select Mid(CsVal,CsN) From SysCsTab"));
  EXPECT_EQ(q.GetString(0), "bc");
  EXPECT_EQ(ShownCount(), 0u);
  q.MoveNext();  // Mid from position 0 fails
  EXPECT_TRUE(q.IsEOF());
  EXPECT_EQ(Shown(),
            "Mid: invalid argument\n执行下列SQL语句时出错！\nSelect Mid(CsVal,CsN) From SysCsTab");
}

// Values are read by the declared kind whatever the engine stored; statements are kept prepared
// between runs, yet each run sees the table as it is now and the file open now.
TEST_F(DbQuery, KeptStatementsFollowTheTablesAndTheFileOpenNow) {
  const std::string select = "Select N,D,S From T";
  auto readRow = [&](long n, double d, const std::string& s) {
    CSmQuery q(1, 1, 1, &m_db);
    ASSERT_TRUE(q.Open(select));
    ASSERT_FALSE(q.IsEOF());
    EXPECT_EQ(q.GetInt(0), n);
    EXPECT_DOUBLE_EQ(q.GetDouble(0), d);
    EXPECT_EQ(q.GetString(0), s);
  };
  ASSERT_TRUE(m_db.ExecuteSQL("Create Table T(N Long,D Double,S CHAR(20))"));
  const std::string insert = "Insert Into T(N,D,S) Values(?,?,?)";
  ASSERT_TRUE(m_db.ExecuteBound(
      insert, {}, {SmDbValue::OfDouble(7.6), SmDbValue::OfText("2.5"), SmDbValue::OfInt(12)}));
  readRow(8, 2.5, "12");
  ASSERT_TRUE(m_db.ExecuteSQL("Drop Table T"));
  ASSERT_TRUE(m_db.ExecuteSQL("Create Table T(N CHAR(10),D Long,S Long)"));
  ASSERT_TRUE(m_db.ExecuteBound(
      insert, {}, {SmDbValue::OfText("x"), SmDbValue::OfInt(3), SmDbValue::OfInt(4)}));
  readRow(0, 3.0, "4");

  const std::string other = SmFreshDataFile(SmTestName() + "_other");
  m_db.Close();
  ASSERT_TRUE(m_db.Open(other));
  ASSERT_TRUE(m_db.ExecuteSQL("Create Table T(N Long,D Double,S CHAR(20))"));
  ASSERT_TRUE(m_db.ExecuteBound(
      insert, {}, {SmDbValue::OfInt(1), SmDbValue::OfDouble(1.5), SmDbValue::OfText("乙  ")}));
  readRow(1, 1.5, "乙");
  EXPECT_EQ(ShownCount(), 0u);
}
