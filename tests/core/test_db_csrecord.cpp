#include <gtest/gtest.h>

#include "core/SmCsRecord.h"
#include "tests/core/test_db_fixture.h"

using DbCsRecord = DataFileTest;

TEST_F(DbCsRecord, InsertLoadAndGroups) {
  CSmCsRecord rec(&m_db);
  for (long n : {3, 1, 2}) {
    rec.Set(9130, n, "参数" + std::to_string(n), "值'" + std::to_string(n));
    ASSERT_TRUE(rec.Insert());
  }
  rec.Set(9130, 2, "dup", "second");
  ASSERT_TRUE(rec.Insert());
  rec.Set(9130, 4, "x' Or 'a'='a", "quoted");  // values are escaped, never pasted as SQL
  ASSERT_TRUE(rec.Insert());

  CSmCsRecord loaded(&m_db);
  ASSERT_TRUE(loaded.Load(9130, 1));
  EXPECT_EQ(loaded.CsNa, "参数1");
  EXPECT_EQ(loaded.CsVal, "值'1");
  loaded.Set(1, 2, "keep", "keep");
  EXPECT_FALSE(loaded.Load(9130, 99));
  EXPECT_EQ(loaded.CsNa, "keep");

  CSmCsRecordArray rows;
  EXPECT_EQ(loaded.LoadGroup(9130, &rows), 5);
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0].CsN, 1);
  EXPECT_EQ(rows[3].CsN, 3);
  EXPECT_EQ(loaded.CsN, 4);  // left with the last row
  EXPECT_EQ(rows[0].Database(), nullptr);
  EXPECT_EQ(loaded.LoadRows(9130, 2, &rows), 2);
  EXPECT_EQ(loaded.LoadByName(9130, 2, "dup"), "second");
  EXPECT_EQ(loaded.LoadByName(9130, 2, "none"), "");
  EXPECT_EQ(loaded.LoadByName(9130, 4, "x' Or 'a'='a"), "quoted");
  EXPECT_EQ(loaded.LoadByName(9130, 2, "x' Or 'a'='a"), "");
  EXPECT_EQ(ShownCount(), 0u);
}

TEST_F(DbCsRecord, MaxValuesDeletesAndWideValues) {
  CSmCsRecord rec(&m_db);
  EXPECT_EQ(rec.GetMaxValue(4, 1), "");
  EXPECT_EQ(rec.GetMaxNumber(4, 1), 0.0);
  const std::string wide(200, 'x');
  for (const char* v : {"20250101", "20251231", "abc"}) {
    rec.Set(4, 1, "m", v);
    ASSERT_TRUE(rec.Insert());
  }
  EXPECT_EQ(rec.GetMaxValue(4, 1), "abc");
  EXPECT_EQ(rec.GetMaxNumber(4, 1), 0.0);
  ASSERT_TRUE(rec.DeleteWhere("Where Cs=4 And CsVal='abc'", ""));
  EXPECT_DOUBLE_EQ(rec.GetMaxNumber(4, 1), 20251231.0);
  rec.Set(5, 1, "w", wide);
  ASSERT_TRUE(rec.Insert());
  CSmCsRecord back(&m_db);
  ASSERT_TRUE(back.Load(5, 1));
  EXPECT_EQ(back.CsVal, wide);
  ASSERT_TRUE(rec.Delete(4, 1));
  EXPECT_EQ(rec.GetMaxValue(4, 1), "");
  ASSERT_TRUE(rec.DeleteGroup(5));
  EXPECT_FALSE(back.Load(5, 1));
  EXPECT_EQ(ShownCount(), 0u);
}

TEST_F(DbCsRecord, WithoutDatabaseNothingRuns) {
  CSmCsRecord rec;
  EXPECT_FALSE(rec.Delete(1, 1));
  EXPECT_EQ(Shown(), "数据库对象为空，无法执行：\nDelete From SysCsTab Where Cs=1 And CsN=1");
  EXPECT_EQ(rec.LoadGroup(1, nullptr), 0);
  EXPECT_EQ(ShownCount(), 2u);
  // A copy has no database; an assigned record keeps its own.
  CSmCsRecord bound(&m_db);
  bound.Set(1, 2, "a", "b");
  CSmCsRecord copy(bound);
  EXPECT_EQ(copy.Database(), nullptr);
  EXPECT_EQ(copy.CsVal, "b");
  CSmCsRecord other(&m_db);
  other = rec;
  EXPECT_EQ(other.Database(), &m_db);
}
