// Table copies between the data file and a server database, both ways, and the data sources
// of the ODBC driver manager.
#include <gtest/gtest.h>

#include <climits>

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

// Many rows go to the server in batches; a row refused in a batch still ends the copy with
// nothing kept and is the row reported.
TEST(ServerCopyBatches, ManyRowsArriveWholeAndARefusedOneIsFound) {
  CSmDatabase server(2);
  ASSERT_NO_FATAL_FAILURE(SmFreshServerDatabase(server, SmServerTestName("batches")));
  CSmDatabase file;
  ASSERT_TRUE(file.Open(SmFreshDataFile(SmServerTestName("file"))));
  ASSERT_TRUE(file.ExecuteSQL(kCreate));
  ASSERT_TRUE(
      server.ExecuteSQL("Create Table AdrDir(KNO Char(5),NA Char(40),JL Numeric(12,2),N Int)"));
  // Rows `from` to `to`: code i, name 地i, JL i/4, N -i.
  auto addRows = [&](int from, int to) {
    bool ok = file.BeginTrans();
    for (int i = from; ok && i < to; ++i) {
      ok = file.ExecuteBound(
          "Insert Into AdrDir(KNO,NA,JL,N) Values(?,?,?,?)", {},
          {SmDbValue::OfText(FormatStr("%05d", i)), SmDbValue::OfText("地" + std::to_string(i)),
           SmDbValue::OfDouble(i * 0.25), SmDbValue::OfInt(-i)});
    }
    return file.CommitTrans() && ok;
  };
  const int rows = 2500;
  ASSERT_TRUE(addRows(0, rows));
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

  // A source that breaks off after whole batches have gone keeps nothing either: the filter
  // fails on the row whose N is -5500.
  ASSERT_TRUE(file.ExecuteSQL("Update AdrDir Set KNO='02100' Where KNO='0001234'"));
  ASSERT_TRUE(addRows(rows, 6000));
  SmResetMessages();
  EXPECT_FALSE(CSmDatabase::CopyTable(&file, &server, "AdrDir", "Where Mid(NA,N+5500)<>'x'"));
  EXPECT_EQ(server.QueryInt("Select Count(*) From AdrDir"), 0);
  ASSERT_EQ(CSmMessageService::Instance().Shown().size(), 1u);
  EXPECT_NE(CSmMessageService::Instance().LastText().find("执行下列SQL语句时出错！"),
            std::string::npos)
      << CSmMessageService::Instance().LastText();
}

// Values that are awkward to pass in bulk arrive exactly as the row-by-row copy stores them.
// The same rows go to two server databases: one table as the bulk copy takes it, and one with
// a binary column as well, which the copy writes row by row.
TEST_P(ServerCopy, AwkwardValuesArriveAsTheRowByRowCopyStoresThem) {
  const char* columns =
      "ID Int,N Int,B BigInt,JL Numeric(12,2),P Numeric(14,4),F Float,R Real,NA Char(40),"
      "T VarChar(250),D Char(10)";
  const std::string kind = std::to_string(GetParam());
  CSmDatabase file;
  ASSERT_TRUE(file.Open(SmFreshDataFile(SmServerTestName("f" + kind))));
  ASSERT_TRUE(file.ExecuteSQL(
      "Create Table Odd(ID Long,N Long,B Long,JL Numeric(12,2),P Numeric(14,4),F Double,R Double,"
      "NA Char(40),T VarChar(250),D Char(10),BIN Blob)"));
  struct Row {
    long long n, b;
    double jl, p, f;
    const char *na, *t, *d;
  };
  const std::string chinese = "广西壮族自治区来宾市兴宾区凤凰镇蔗农张三李四王五赵六";
  const Row rows[] = {
      {0, 0, 0.0, 0.0, 0.0, "", "", ""},
      {-1, 9007199254740993LL, 0.12499999999999999, 0.00004999999999999999, 0.1 + 0.2, "a\"b",
       "back\\slash\\", "2026-12-10"},
      {2147483647, LLONG_MIN, 2.675, 1.00005, 1e-300, "{brace}", "a,b,\"c\"", "2027-01-31"},
      {-2147483647 - 1, LLONG_MAX, 1.005, -123456.78905, 1.7976931348623157e308, "NULL", "null",
       "1999-02-28"},
      {7, 1, -0.0, -0.0, -0.0, "'单引号'", chinese.c_str(), "十二月十日"},
      {42, 2, 9999999999.99, 999999999.99995, 5e-324, " lead", "tab\there", "\\"},
      {3, -3, -0.005, 0.00005, -2.2250738585072014e-308, "\\\"", "{}", "NULL,"},
      {5, 5, 123.456, 1.23456789, 123456789.12345679, "trailing  ", "\"\"", "{\"x\"}"},
  };
  ASSERT_TRUE(file.BeginTrans());
  for (size_t id = 0; id < std::size(rows); ++id) {
    const Row& r = rows[id];
    ASSERT_TRUE(file.ExecuteBound(
        "Insert Into Odd(ID,N,B,JL,P,F,R,NA,T,D,BIN) Values(?,?,?,?,?,?,?,?,?,?,?)", {},
        {SmDbValue::OfInt(static_cast<long long>(id)), SmDbValue::OfInt(r.n), SmDbValue::OfInt(r.b),
         SmDbValue::OfDouble(r.jl), SmDbValue::OfDouble(r.p), SmDbValue::OfDouble(r.f),
         SmDbValue::OfDouble(r.p), SmDbValue::OfText(r.na), SmDbValue::OfText(r.t),
         SmDbValue::OfText(r.d), SmDbValue::OfBlob({1, 2})}));
  }
  ASSERT_TRUE(file.CommitTrans());

  CSmDatabase bulk(GetParam()), byRow(GetParam());
  ASSERT_NO_FATAL_FAILURE(SmFreshServerDatabase(bulk, SmServerTestName("b" + kind)));
  ASSERT_NO_FATAL_FAILURE(SmFreshServerDatabase(byRow, SmServerTestName("r" + kind)));
  ASSERT_TRUE(bulk.ExecuteSQL(std::string("Create Table Odd(") + columns + ")"));
  ASSERT_TRUE(byRow.ExecuteSQL(std::string("Create Table Odd(") + columns + ",BIN Bytea)"));
  SmResetMessages();
  ASSERT_TRUE(CSmDatabase::CopyTable(&file, &bulk, "Odd"));
  ASSERT_TRUE(CSmDatabase::CopyTable(&file, &byRow, "Odd"));
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty())
      << CSmMessageService::Instance().LastText();

  // Each row as the server prints it: every digit of the numbers and every byte of the texts.
  auto dump = [](CSmDatabase& db) {
    std::vector<std::string> out;
    CSmQuery q(0, 0, 1, &db);
    if (!q.Open("Select Cast((ID,N,B,JL,P,F,R,NA,T,D) As Text) From Odd Order By ID")) return out;
    for (; !q.IsEOF(); q.MoveNext()) out.push_back(q.GetString(0));
    return out;
  };
  const std::vector<std::string> copied = dump(bulk);
  ASSERT_EQ(copied.size(), std::size(rows));
  EXPECT_EQ(copied, dump(byRow));
  EXPECT_EQ(bulk.QueryCountString("Max(T) From Odd Where ID=4"), chinese);
  EXPECT_EQ(bulk.QueryCountString("Max(T) From Odd Where ID=2"), "a,b,\"c\"");
  EXPECT_EQ(bulk.QueryCountString("Max(NA) From Odd Where ID=3"), "NULL");
  EXPECT_EQ(bulk.QueryInt("Select Count(*) From Odd Where T Is Null Or NA Is Null"), 0);
  EXPECT_EQ(bulk.QueryCountString("Max(B) From Odd Where ID=1"), "9007199254740993");
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
