// The cane module as data type 16: lookup, code references of operator numbers and the system
// tables copied into another data file.
#include <gtest/gtest.h>

#include "cane/TsParams.h"
#include "core/SmCsRecord.h"
#include "core/SmDatabase.h"
#include "tests/cane/TsTestApp.h"
#include "tests/common/SmTestDataFile.h"
#include "tests/common/SmTestMain.h"

TEST_F(TsAppTest, LookupFindsTheModuleWithItsLabel) {
  EXPECT_EQ(FindSmDataType(16), m_type);
  EXPECT_EQ(TsGetDataType(), m_type);
  EXPECT_EQ(m_type->m_tabLabel, "甘蔗结算");
}

TEST_F(TsAppTest, OperatorNumbersAreStoredInTicketsSlipsAndBankBatches) {
  CSmStringList tables, columns, jet, server;
  m_type->GetCodeReferences("OPR", tables, columns, jet, server);
  const std::vector<std::array<std::string, 3>> expected = {
      {"gbSheet", "OPR0", ""}, {"jsSheet", "OPR0", ""}, {"SysCsTab", "CsVal", "Cs=4160"},
      {"gbSheet", "OPR1", ""}, {"jsSheet", "OPR1", ""}, {"SysCsTab", "CsVal", "Cs=4161"},
      {"gbSheet", "OPR2", ""}, {"gbSheet", "OPR3", ""}, {"gbSheet", "OPR4", ""},
      {"gbSheet", "OPR5", ""}, {"gbSheet", "OPR6", ""}, {"gbSheet", "OPR7", ""}};
  ASSERT_EQ(tables.size(), expected.size());
  ASSERT_EQ(server.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(tables[i], expected[i][0]) << i;
    EXPECT_EQ(columns[i], expected[i][1]) << i;
    EXPECT_EQ(jet[i], expected[i][2]) << i;
    EXPECT_EQ(server[i], "") << i;
  }

  for (const char* other : {"NH", "opr", ""}) {
    CSmStringList t{"x"}, c{"y"}, j, s;
    m_type->GetCodeReferences(other, t, c, j, s);
    EXPECT_EQ(t, CSmStringList{"x"}) << other;
    EXPECT_EQ(c, CSmStringList{"y"}) << other;
    EXPECT_TRUE(j.empty() && s.empty()) << other;
  }
}

TEST_F(TsAppTest, CopiedSystemTablesLoseTheBankBatches) {
  CSmDatabase source;
  CSmDatabase target;
  ASSERT_TRUE(source.Open(SmCreateTestDataFile(2016, SmTestHome() + "/copy_from")));
  ASSERT_TRUE(target.Open(SmCreateTestDataFile(2017, SmTestHome() + "/copy_to")));
  for (const char* row : {"4160,1,'批','101'", "4161,2,'批','102'", "9130,12,'长','6'"}) {
    ASSERT_TRUE(source.ExecuteSQL(std::string("Insert Into SysCsTab (Cs,CsN,CsNa,CsVal) Values (") +
                                  row + ")"));
  }
  m_app.CopySystemTables(&source, &target);
  EXPECT_EQ(target.QueryInt("Select Count(*) From SysCsTab Where Cs=4160 Or Cs=4161"), 0);
  EXPECT_EQ(target.QueryInt("Select Count(*) From SysCsTab Where Cs=9130 And CsN=12"), 1);
  EXPECT_EQ(source.QueryInt("Select Count(*) From SysCsTab Where Cs=4160 Or Cs=4161"), 2);
}
