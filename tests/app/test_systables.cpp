// The application's operations over every registered data type on a data file: code checks
// and cascades, table lists, log names, copying the system tables.
#include <gtest/gtest.h>

#include "app/SmApp.h"
#include "core/SmDatabase.h"
#include "platform/SmMessage.h"
#include "tests/common/SmTestDataFile.h"
#include "tests/common/SmTestMain.h"

namespace {

// A module that stores operator numbers in one table and lists some tables and log names.
class StoringType : public CSmDataType {
 public:
  StoringType(int number, std::string table) : m_table(std::move(table)) { m_number = number; }
  void CreateTables(CSmDatabase* db) override {
    if (!db->TableExists(m_table))
      db->ExecuteSQL("Create Table " + m_table + "(sOp Char(3),nK Long)");
    ++m_created;
  }
  void GetCodeReferences(const std::string& column, CSmStringList& tables, CSmStringList& columns,
                         CSmStringList& jet, CSmStringList& server) override {
    if (column != "OPNO") return;
    tables.push_back(m_table);
    columns.push_back("sOp");
    jet.push_back("nK=1");
    server.push_back("");
    ++m_asked;
  }
  void GetTables(std::vector<int>& ids, CSmStringList& names, CSmStringList& captions) override {
    ids = {1, 101, 201, 102};
    names = {"a", "b", "c", "d"};
    captions = {"A", "B", "C", "D"};
  }
  void GetLogTaskNames(std::vector<int>& codes, CSmStringList& names) override {
    codes.push_back(1);
    names.push_back("重复");
    codes.push_back(40);
    names.push_back("串口参数");
  }
  void AfterCopySystemTables(CSmDatabase*, CSmDatabase* target) override {
    target->ExecuteSQL("Delete From SysCsTab Where Cs=4161");
  }

  std::string m_table;
  int m_created = 0;
  int m_asked = 0;
};

class SystemTablesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SmResetMessages();
    m_app.m_dataTypes = {&m_first, &m_second};
    m_path = SmCreateTestDataFile(2016);
    ASSERT_TRUE(m_db.Open(m_path));
  }
  void TearDown() override { m_app.m_dataTypes.clear(); }

  StoringType m_first{16, "TsA"};
  StoringType m_second{3, "BbA"};
  CSmApp m_app;
  std::string m_path;
  CSmDatabase m_db{0};
};

TEST_F(SystemTablesTest, NewFileHasEveryModulesTablesAndAfterOpenKeepsWhatExists) {
  EXPECT_TRUE(m_db.TableExists("TsA"));
  EXPECT_TRUE(m_db.TableExists("BbA"));
  // A file with SYSTAB but without SMVAR gets no SMVAR from the shell.
  m_db.ExecuteSQL("Drop Table SMVAR");
  m_app.AfterOpen(&m_db);
  EXPECT_FALSE(m_db.TableExists("SMVAR"));
  EXPECT_EQ(m_db.QueryInt("Select Count(*) From SYSTAB"), 1);
  EXPECT_EQ(m_first.m_created, 2);
}

TEST_F(SystemTablesTest, CountWhereStopsAtTheFirstPlaceAndUpdateWhereRenames) {
  m_db.ExecuteSQL("Insert Into TsA(sOp,nK) Values('102',1)");
  m_db.ExecuteSQL("Insert Into BbA(sOp,nK) Values('102',1)");
  m_db.ExecuteSQL("Insert Into BbA(sOp,nK) Values('103',2)");
  EXPECT_FALSE(m_app.CountWhere(&m_db, "OPNO", "102"));
  EXPECT_EQ(m_first.m_asked, 1);
  EXPECT_EQ(m_second.m_asked, 0);
  // The condition of the place counts: 103 is stored only where nK is 2.
  EXPECT_TRUE(m_app.CountWhere(&m_db, "OPNO", "103"));
  EXPECT_TRUE(m_app.CountWhere(&m_db, "OPNO", "1' Or '1'='1"));

  m_app.UpdateWhere(&m_db, "OPNO", "102", "105");
  EXPECT_EQ(m_db.QueryInt("Select Count(*) From TsA Where sOp='105'"), 1);
  EXPECT_EQ(m_db.QueryInt("Select Count(*) From BbA Where sOp='105'"), 1);
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
}

TEST_F(SystemTablesTest, TableListAndLogNames) {
  std::vector<int> ids;
  CSmStringList names, captions;
  m_app.GetTableList(ids, names, captions);
  // 201 repeats 101's item 1 within its module and is dropped.
  EXPECT_EQ(ids, (std::vector<int>{16001, 16101, 16102, 3001, 3101, 3102}));
  EXPECT_EQ(names, (CSmStringList{"a", "b", "d", "a", "b", "d"}));

  std::vector<int> codes;
  CSmStringList logNames;
  const int count = m_app.GetLogTaskNames(codes, logNames);
  EXPECT_EQ(count, 23);
  EXPECT_EQ(logNames[1], "结束工作");
  EXPECT_EQ(codes.back(), 40);
  EXPECT_EQ(logNames.back(), "串口参数");
}

TEST_F(SystemTablesTest, SystemTablesAreCopiedToANewFile) {
  m_db.ExecuteSQL("Insert Into OPR(OPNO,NA,PSD) Values('103','王五','\x07')");
  m_db.ExecuteSQL("Insert Into SysCsTab(CS,CSN,CSNA,CSVAL) Values(4161,1,'x','y')");
  const std::string other = SmCreateTestDataFile(2017);
  CSmDatabase target(0);
  ASSERT_TRUE(target.Open(other));
  target.ExecuteSQL("Delete From OPR");
  target.ExecuteSQL("Delete From PWR");  // a right is held once: the key refuses a second row
  target.ExecuteSQL("Delete From SysCsTab");
  m_app.CopySystemTables(&m_db, &target);
  EXPECT_EQ(target.QueryInt("Select Count(*) From OPR"), 3);
  EXPECT_EQ(target.QueryInt("Select Count(*) From SysCsTab Where Cs=4"), 13);
  EXPECT_EQ(target.QueryInt("Select Count(*) From SysCsTab Where Cs=4161"), 0);
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
}

}  // namespace
