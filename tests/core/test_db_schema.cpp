#include <gtest/gtest.h>

#include <fstream>

#include "core/SmQuery.h"
#include "tests/core/test_db_fixture.h"

using DbSchema = DataFileTest;

TEST_F(DbSchema, TablesAndColumnsOfTheCatalogue) {
  ASSERT_TRUE(m_db.ExecuteSQL(
      "Create Table K(N \x07Long\x08,D Double,S CHAR(12),X \x07Numeric(12,2)\x08,B LongBinary)"));
  EXPECT_TRUE(m_db.TableExists("k"));
  EXPECT_TRUE(m_db.TableExists("SYSCSTAB"));
  EXPECT_TRUE(m_db.TableExists("sqlite_master"));  // the engine's own tables too
  EXPECT_FALSE(m_db.TableExists("Missing"));
  ASSERT_TRUE(m_db.ExecuteSQL("Create Index KByS On K(S)"));
  EXPECT_TRUE(m_db.IndexExists("kbys"));
  EXPECT_FALSE(m_db.IndexExists("K"));
  int length = 0;
  EXPECT_TRUE(m_db.ColumnExists("K", "s", &length));
  EXPECT_EQ(length, 12);
  EXPECT_TRUE(m_db.ColumnExists("SysCsTab", "CsVal", &length));
  EXPECT_EQ(length, 200);
  EXPECT_FALSE(m_db.ColumnExists("K", "Z"));
  EXPECT_FALSE(m_db.ColumnExists("Missing", "S"));

  std::vector<std::string> arrays[4] = {{"before"}, {}, {}, {}};
  std::vector<long> lengths;
  EXPECT_EQ(m_db.GetTableColumns("K", arrays, &lengths), 6);  // not emptied first
  EXPECT_EQ(arrays[0], (std::vector<std::string>{"before", "N"}));
  EXPECT_EQ(arrays[1], (std::vector<std::string>{"D", "X"}));
  EXPECT_EQ(arrays[2], (std::vector<std::string>{"S"}));
  EXPECT_EQ(arrays[3], (std::vector<std::string>{"B"}));
  EXPECT_EQ(lengths, std::vector<long>{12});

  // A column of another kind gives 0; the columns before it are still appended.
  ASSERT_TRUE(m_db.ExecuteSQL("Create Table W(A Long,T DateTime,C CHAR(3))"));
  std::vector<std::string> w[4];
  EXPECT_EQ(m_db.GetTableColumns("W", w), 0);
  EXPECT_EQ(w[0], std::vector<std::string>{"A"});
  EXPECT_TRUE(w[2].empty());
  std::vector<std::string> none[4];
  EXPECT_EQ(m_db.GetTableColumns("Missing", none), 0);
  EXPECT_EQ(m_db.GetTableColumns("sqlite_master", none), 0);

  std::vector<std::string> tables{"x"};
  EXPECT_EQ(m_db.GetUserTables(&tables), 4);
  EXPECT_EQ(tables, (std::vector<std::string>{"x", "K", "SYSCSTAB", "W"}));
  EXPECT_EQ(ShownCount(), 0u);
}

TEST_F(DbSchema, TablesAreEmptyCountsEveryNamedTable) {
  ASSERT_TRUE(m_db.ExecuteSQL("Create Table A(N Long)"));
  ASSERT_TRUE(m_db.ExecuteSQL("Create Table B(N Long)"));
  EXPECT_TRUE(m_db.TablesAreEmpty(""));
  EXPECT_TRUE(m_db.TablesAreEmpty("   "));
  EXPECT_TRUE(m_db.TablesAreEmpty("A  B SysCsTab"));
  ASSERT_TRUE(m_db.ExecuteSQL("Insert Into B Values(1)"));
  EXPECT_FALSE(m_db.TablesAreEmpty("A  B"));
  EXPECT_TRUE(m_db.TablesAreEmpty("A"));
  EXPECT_EQ(ShownCount(), 0u);
  // A table that cannot be counted is not taken for empty, and the failure shows.
  EXPECT_FALSE(m_db.TablesAreEmpty("A Missing"));
  EXPECT_EQ(Shown(),
            "no such table: Missing\n执行下列SQL语句时出错！\nSelect Count(*) From Missing");
}

TEST_F(DbSchema, AddColumnFillsEveryRow) {
  ASSERT_TRUE(m_db.ExecuteSQL("Create Table T(N Long)"));
  for (int n = 1; n <= 3; ++n)
    ASSERT_TRUE(m_db.ExecuteSQL("Insert Into T Values(" + std::to_string(n) + ")"));
  EXPECT_TRUE(m_db.AddColumn("T", "M", 1, 10, 2));
  EXPECT_TRUE(m_db.AddColumn("T", "S", 2, 8, 0));
  EXPECT_TRUE(m_db.AddColumn("T", "I", 0, 0, 0, "7"));
  CSmQuery q(1, 1, 1, &m_db);
  ASSERT_TRUE(q.Open("Select I,M,S From T Where M Is Not Null And S Is Not Null"));
  int rows = 0;
  for (; !q.IsEOF(); q.MoveNext(), ++rows) {
    EXPECT_EQ(q.GetInt(0), 7);
    EXPECT_EQ(q.GetDouble(0), 0.0);
    EXPECT_EQ(q.GetString(0), "");
  }
  EXPECT_EQ(rows, 3);
  std::vector<std::string> arrays[4];
  std::vector<long> lengths;
  EXPECT_EQ(m_db.GetTableColumns("T", arrays, &lengths), 4);
  EXPECT_EQ(arrays[1], std::vector<std::string>{"M"});
  EXPECT_EQ(lengths, std::vector<long>{8});
  // Refused: an existing column, a missing table, bad sizes, an unknown type; nothing runs.
  EXPECT_FALSE(m_db.AddColumn("T", "m", 1, 10, 2));
  EXPECT_FALSE(m_db.AddColumn("Missing", "X", 0, 0, 0));
  EXPECT_FALSE(m_db.AddColumn("T", "X", 1, 0, 0));
  EXPECT_FALSE(m_db.AddColumn("T", "X", 1, 2, 4));
  EXPECT_TRUE(m_db.AddColumn("T", "Y", 1, 2, 3));  // a width of decimals - 1 passes
  EXPECT_FALSE(m_db.AddColumn("T", "X", 2, 0, 0));
  EXPECT_FALSE(m_db.AddColumn("T", "X", 5, 1, 0));
  EXPECT_FALSE(m_db.ColumnExists("T", "X"));
  // A default the column cannot take leaves no column behind.
  EXPECT_FALSE(m_db.AddColumn("T", "Z", 0, 0, 0, "NoSuchColumn"));
  EXPECT_EQ(ShownCount(), 1u);
  EXPECT_FALSE(m_db.ColumnExists("T", "Z"));
}

TEST(DbFiles, CreateDropRecreateAndPassword) {
  SmResetMessages();
  const std::string path = SmFreshDataFile("files");
  std::filesystem::remove(path);
  CSmDatabase db;
  EXPECT_FALSE(db.DatabaseExists(path));
  ASSERT_TRUE(db.CreateDatabase(CSmConnInfo(0), path));
  EXPECT_TRUE(db.IsOpen());
  EXPECT_TRUE(db.DatabaseExists(path));
  EXPECT_FALSE(db.DatabaseExists(SmTestHome()));  // a folder is no data file
  ASSERT_TRUE(db.ExecuteSQL("Create Table A(N Long)"));
  ASSERT_TRUE(db.ExecuteSQL("Insert Into A Values(1)"));
  EXPECT_TRUE(db.ListDatabaseUsers(true));

  CSmDatabase other;
  EXPECT_FALSE(other.CreateDatabase(CSmConnInfo(0), path));  // it exists already
  EXPECT_FALSE(other.IsOpen());

  ASSERT_TRUE(db.RecreateDatabase(CSmConnInfo(0)));
  EXPECT_TRUE(db.IsOpen());
  EXPECT_FALSE(db.TableExists("A"));

  EXPECT_FALSE(db.SetDatabasePassword("", "secret"));
  ASSERT_EQ(CSmMessageService::Instance().Shown().size(), 1u);
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "数据文件不设口令，口令没有改变。");
  EXPECT_TRUE(db.IsOpen());

  std::ofstream(path + "-journal") << "left by a crash";
  EXPECT_TRUE(db.DropDatabase(CSmConnInfo(0), path));
  EXPECT_FALSE(std::filesystem::exists(path + "-journal"));
  EXPECT_FALSE(db.IsOpen());
  EXPECT_FALSE(db.DatabaseExists(path));
  EXPECT_FALSE(db.DropDatabase(CSmConnInfo(0), path));
  EXPECT_FALSE(db.RecreateDatabase(CSmConnInfo(0)));  // closed
}
