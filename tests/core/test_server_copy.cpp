// Table copies between the data file and a server database, both ways, and the data sources
// of the ODBC driver manager.
#include <gtest/gtest.h>

#include "core/SmQuery.h"
#include "core/SmString.h"
#include "tests/core/test_db_fixture.h"
#include "tests/core/test_server_fixture.h"

namespace {

const char* kCreate =
    "Create Table AdrDir(KNO Char(5),NA Char(40),JL \x07Numeric(12,2)\x08,N \x07Long\x08,"
    "Extra Char(4))";

std::vector<std::string> Rows(CSmDatabase& db) {
  std::vector<std::string> rows;
  CSmQuery query(1, 1, 2, &db);
  if (!query.Open("Select N,JL,rtrim(KNO),rtrim(NA) From AdrDir Order By KNO")) return rows;
  for (; !query.IsEOF(); query.MoveNext())
    rows.push_back(std::to_string(query.GetInt(0)) + "|" + FormatStr("%.2f", query.GetDouble(0)) +
                   "|" + query.GetString(0) + "|" + query.GetString(1));
  return rows;
}

class ServerCopy : public testing::TestWithParam<int> {};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Kinds, ServerCopy, testing::Values(1, 2));

TEST_P(ServerCopy, TablesCopyBetweenTheDataFileAndTheServerBothWays) {
  CSmDatabase server(GetParam());
  ASSERT_NO_FATAL_FAILURE(
      SmFreshServerDatabase(server, SmServerTestName("k" + std::to_string(GetParam()))));
  CSmDatabase file;
  ASSERT_TRUE(file.Open(SmFreshDataFile(SmServerTestName("file"))));
  ASSERT_TRUE(file.ExecuteSQL(kCreate));
  // The server's table lacks a column of the file's: it is skipped.
  ASSERT_TRUE(
      server.ExecuteSQL("Create Table AdrDir(KNO Char(5),NA Char(40),JL Numeric(12,2),N Int)"));
  ASSERT_TRUE(
      file.ExecuteSQL("Insert Into AdrDir(KNO,NA,JL,N,Extra) Values('001','东坡',12.5,3,'x')"));
  ASSERT_TRUE(
      file.ExecuteSQL("Insert Into AdrDir(KNO,NA,JL,N,Extra) Values('002','王''五',0.25,-1,'')"));
  SmResetMessages();

  long failed = -1;
  ASSERT_TRUE(CSmDatabase::CopyTable(&file, &server, "AdrDir", "", "", &failed));
  EXPECT_EQ(failed, 0);
  const std::vector<std::string> expected = {"3|12.50|001|东坡", "-1|0.25|002|王'五"};
  EXPECT_EQ(Rows(server), expected);

  // Back to a second data file, with the filter of the destination's dialect.
  CSmDatabase back;
  ASSERT_TRUE(back.Open(SmFreshDataFile(SmServerTestName("back"))));
  ASSERT_TRUE(back.ExecuteSQL(kCreate));
  ASSERT_TRUE(CSmDatabase::CopyTable(&server, &back, "AdrDir", "Where KNO Like '00*'",
                                     "Where KNO Like '00%'", &failed));
  EXPECT_EQ(Rows(back), expected);
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty())
      << CSmMessageService::Instance().LastText();

  // A row the server refuses (a code too long for its column) ends the copy: the server's
  // transaction is spoiled, so nothing of the copy stays and the row is reported.
  ASSERT_TRUE(file.ExecuteSQL("Update AdrDir Set KNO='0001234' Where KNO='002'"));
  ASSERT_TRUE(server.ExecuteSQL("Delete From AdrDir"));
  EXPECT_FALSE(CSmDatabase::CopyTable(&file, &server, "AdrDir", "", "", &failed));
  EXPECT_EQ(failed, 1);
  EXPECT_EQ(server.QueryInt("Select Count(*) From AdrDir"), 0);
  ASSERT_EQ(CSmMessageService::Instance().Shown().size(), 1u);
  EXPECT_NE(CSmMessageService::Instance().LastText().find("KNO：0001234"), std::string::npos)
      << CSmMessageService::Instance().LastText();
}

// Many rows go to the server several hundred per statement; a row refused in a later batch
// still ends the copy with nothing kept and is the row reported.
TEST(ServerCopyBatches, ManyRowsArriveWholeAndARefusedOneIsFound) {
  CSmDatabase server(2);
  ASSERT_NO_FATAL_FAILURE(SmFreshServerDatabase(server, SmServerTestName("batches")));
  CSmDatabase file;
  ASSERT_TRUE(file.Open(SmFreshDataFile(SmServerTestName("file"))));
  ASSERT_TRUE(file.ExecuteSQL(kCreate));
  ASSERT_TRUE(
      server.ExecuteSQL("Create Table AdrDir(KNO Char(5),NA Char(40),JL Numeric(12,2),N Int)"));
  const int rows = 2500;
  ASSERT_TRUE(file.BeginTrans());
  for (int i = 0; i < rows; ++i) {
    ASSERT_TRUE(file.ExecuteBound(
        "Insert Into AdrDir(KNO,NA,JL,N) Values(?,?,?,?)", {},
        {SmDbValue::OfText(FormatStr("%05d", i)), SmDbValue::OfText("地" + std::to_string(i)),
         SmDbValue::OfDouble(i * 0.25), SmDbValue::OfInt(-i)}));
  }
  ASSERT_TRUE(file.CommitTrans());
  SmResetMessages();
  long failed = -1;
  ASSERT_TRUE(CSmDatabase::CopyTable(&file, &server, "AdrDir", "", "", &failed));
  EXPECT_EQ(failed, 0);
  EXPECT_EQ(server.QueryInt("Select Count(*) From AdrDir"), rows);
  EXPECT_EQ(server.QueryInt("Select Sum(N) From AdrDir"), -rows * (rows - 1) / 2);
  EXPECT_EQ(server.QueryCountString("Max(NA) From AdrDir Where KNO='02345'"), "地2345");
  EXPECT_EQ(server.QueryCountString("Max(JL) From AdrDir Where KNO='02345'"), "586.25");
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());

  ASSERT_TRUE(server.ExecuteSQL("Delete From AdrDir"));
  ASSERT_TRUE(file.ExecuteSQL("Update AdrDir Set KNO='0001234' Where KNO='02100'"));
  EXPECT_FALSE(CSmDatabase::CopyTable(&file, &server, "AdrDir", "", "", &failed));
  EXPECT_EQ(failed, 1);
  EXPECT_EQ(server.QueryInt("Select Count(*) From AdrDir"), 0);
  ASSERT_EQ(CSmMessageService::Instance().Shown().size(), 1u);
  EXPECT_NE(CSmMessageService::Instance().LastText().find("KNO：0001234\nNA：地2100"),
            std::string::npos)
      << CSmMessageService::Instance().LastText();
}

TEST(ServerDataSources, ListedAddedConfiguredAndRemoved) {
  ASSERT_TRUE(SmPgWriteTestDsn());
  std::vector<std::string> names, drivers;
  ASSERT_GE(ListOdbcDataSources(names, drivers), 1);
  ASSERT_EQ(names.size(), drivers.size());
  std::vector<std::string> pg;
  EXPECT_GE(ListOdbcDataSourcesOfDriver(pg, "postgresql unicode"), 1);
  EXPECT_NE(std::find(pg.begin(), pg.end(), kSmTestDsn), pg.end());

  // The name of a new source follows the highest "MQIS" number.
  const std::string name = SmNewDataSourceName(pg);
  EXPECT_EQ(SmNewDataSourceName({}), "MQIS");
  EXPECT_EQ(SmNewDataSourceName({"Other"}), "MQIS1");
  EXPECT_EQ(SmNewDataSourceName({"MQIS", "MQIS7", "mqis3"}), "MQIS8");
  ASSERT_TRUE(SmConfigDataSource(SM_DSN_ADD, "PostgreSQL Unicode",
                                 {"DSN=" + name, "Description=SQL Server 数据源",
                                  "Server=" + SmPgEnv("SM_PG_HOST") + ",1", "DataBase=master"}));
  // The new source reaches nothing until it is configured with the right port.
  CSmConnInfo login = SmPgLogin(1);
  login.server = name;
  CSmDatabase db(1);
  EXPECT_FALSE(db.Open("master", login));
  ASSERT_TRUE(SmConfigDataSource(
      SM_DSN_CONFIG, "PostgreSQL Unicode",
      {"DSN=" + name, "Server=" + SmPgEnv("SM_PG_HOST") + "," + SmPgEnv("SM_PG_PORT"),
       "DataBase=master"}));
  EXPECT_TRUE(db.Open("master", login));
  db.Close();
  EXPECT_TRUE(SmConfigDataSource(SM_DSN_REMOVE, "PostgreSQL Unicode", {"DSN=" + name}));
  EXPECT_FALSE(SmConfigDataSource(SM_DSN_REMOVE, "PostgreSQL Unicode", {"DSN=" + name}));
  std::vector<std::string> left;
  ListOdbcDataSourcesOfDriver(left, "PostgreSQL Unicode");
  EXPECT_EQ(std::find(left.begin(), left.end(), name), left.end());
}
