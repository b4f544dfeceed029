#include <gtest/gtest.h>

#include "core/SmQuery.h"
#include "tests/core/test_db_fixture.h"

namespace {

class DbCopy : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_from.Open(SmFreshDataFile(SmTestName() + "_from")));
    ASSERT_TRUE(m_to.Open(SmFreshDataFile(SmTestName() + "_to")));
    SmResetMessages();
  }
  const std::vector<SmShownMessage>& Shown() { return CSmMessageService::Instance().Shown(); }
  CSmDatabase m_from, m_to;
};

}  // namespace

TEST_F(DbCopy, CopiesByNameSkippingColumnsTheTargetLacks) {
  ASSERT_TRUE(
      m_from.ExecuteSQL("Create Table GP(KNO CHAR(15),NA CHAR(60),NT CHAR(60),PR Double,"
                        "N Long,OLD CHAR(5),B LongBinary)"));
  ASSERT_TRUE(
      m_to.ExecuteSQL("Create Table GP(PR Double,NA CHAR(60),KNO CHAR(15),N Long,"
                      "B LongBinary,EXTRA CHAR(2))"));
  ASSERT_TRUE(
      m_from.ExecuteSQL("Insert Into GP Values('101  ','新台糖','x',450.25,7,'old',X'00FF10')"));
  ASSERT_TRUE(m_from.ExecuteSQL(
      "Insert Into GP Values('102','O''Neil',NULL,1234567890123456789.0,-3,'',NULL)"));
  long failed = -1;
  EXPECT_TRUE(CSmDatabase::CopyTable(&m_from, &m_to, "gp", "", "", &failed));
  EXPECT_EQ(failed, 0);
  EXPECT_TRUE(Shown().empty());

  CSmQuery q(1, 1, 3, &m_to);
  ASSERT_TRUE(q.Open("Select N,PR,KNO,NA,hex(B) From GP Order By KNO"));
  EXPECT_EQ(q.GetInt(0), 7);
  EXPECT_DOUBLE_EQ(q.GetDouble(0), 450.25);
  EXPECT_EQ(q.GetString(0), "101");
  EXPECT_EQ(q.GetString(1), "新台糖");
  EXPECT_EQ(q.GetString(2), "00FF10");
  q.MoveNext();
  EXPECT_EQ(q.GetInt(0), -3);
  EXPECT_DOUBLE_EQ(q.GetDouble(0), 1234567890123456789.0);  // exactly, not 0
  EXPECT_EQ(q.GetString(1), "O'Neil");
  EXPECT_EQ(m_to.QueryInt("Select Count(*) From GP Where B Is Null"), 1);  // empty binary
  q.MoveNext();
  EXPECT_TRUE(q.IsEOF());
}

TEST_F(DbCopy, EmptyAndMissingTables) {
  ASSERT_TRUE(m_from.ExecuteSQL("Create Table A(N Long)"));
  EXPECT_FALSE(CSmDatabase::CopyTable(&m_from, &m_to, "A"));  // only in the source
  ASSERT_TRUE(m_to.ExecuteSQL("Create Table A(N Long)"));
  EXPECT_TRUE(CSmDatabase::CopyTable(&m_from, &m_to, "A"));
  EXPECT_FALSE(CSmDatabase::CopyTable(&m_from, &m_to, "Missing"));
  EXPECT_TRUE(Shown().empty());
}

TEST_F(DbCopy, FailedRowsAreReportedUntilNoAndCounted) {
  ASSERT_TRUE(m_from.ExecuteSQL("Create Table S(K CHAR(3),V Long)"));
  ASSERT_TRUE(m_to.ExecuteSQL("Create Table S(K CHAR(3) Not Null Unique,V Long)"));
  ASSERT_TRUE(m_to.ExecuteSQL("Insert Into S Values('b',0)"));
  for (const char* row : {"('a',1)", "('b',2)", "(NULL,3)", "(NULL,4)", "('c',5)", "('b',6)"})
    ASSERT_TRUE(m_from.ExecuteSQL(std::string("Insert Into S Values") + row));
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  CSmMessageService::Instance().QueueAnswer(SM_IDNO);
  long failed = 0;
  EXPECT_FALSE(CSmDatabase::CopyTable(&m_from, &m_to, "S", "Order By V", "", &failed));
  EXPECT_EQ(failed, 3);
  ASSERT_EQ(Shown().size(), 2u);  // the third failure is silent after No
  EXPECT_EQ(Shown()[0].text, "复制表[S]出错！\nV：2\nK：b\n继续报错吗？");
  EXPECT_EQ(Shown()[0].flags, unsigned{SM_MB_YESNOCANCEL | SM_MB_ICONQUESTION | SM_MB_DEFBUTTON2});
  EXPECT_EQ(Shown()[1].text, "复制表[S]出错！\nV：4\nK：\n继续报错吗？");
  // A null text arrives as an empty text, so the second one collides with the first.
  EXPECT_EQ(m_to.QueryInt("Select Count(*) From S"), 4);
  EXPECT_EQ(m_to.QueryInt("Select Sum(V) From S"), 9);
}

TEST_F(DbCopy, SourceThatFailsPartWayIsNoSuccess) {
  for (CSmDatabase* db : {&m_from, &m_to})
    ASSERT_TRUE(db->ExecuteSQL("Create Table S(K CHAR(3),V Long)"));
  ASSERT_TRUE(m_from.ExecuteSQL("Insert Into S Values('a',1)"));
  ASSERT_TRUE(m_from.ExecuteSQL("Insert Into S Values('b',0)"));  // Mid from 0 fails
  EXPECT_FALSE(CSmDatabase::CopyTable(&m_from, &m_to, "S", "Where Mid(K,V)<>'x'"));
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0].text,
            "复制表[S]出错！\n执行下列SQL语句时出错！\nSelect V,K From S Where Mid(K,V)<>'x'");
  EXPECT_EQ(m_to.QueryInt("Select Count(*) From S"), 0);  // nothing half copied
}
