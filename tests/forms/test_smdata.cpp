// The generic code-table record, through a small derived record over a table of its own, on the
// data file and on the server.
#include <gtest/gtest.h>

#include "core/SmDatabase.h"
#include "forms/SmData.h"
#include "tests/common/SmTestDataFile.h"
#include "tests/core/test_server_fixture.h"

namespace {

// Integer, number and text columns of CodeTab; the names carry the marks under test.
class CCodeRec : public CSmData {
 public:
  explicit CCodeRec(std::vector<std::string> names = {"|LEV", "AMT", " #-#KNO ", "?NA"})
      : m_names(std::move(names)) {
    m_ints.resize(1);
    m_dbls.resize(1);
    m_strs.resize(2);
  }
  std::unique_ptr<CSmData> CreateObject() const override {
    return std::make_unique<CCodeRec>(m_names);
  }
  void DefineTable(std::string& table, std::vector<std::string>& names) const override {
    table = "CodeTab";
    names = m_names;
  }
  void GetRefTables(std::vector<std::string>& jet,
                    std::vector<std::string>& server) const override {
    jet.push_back("RefTab Where CODE Like '" + m_strs[0] + "\x07*\x08'");
    server.emplace_back();
  }
  CCodeRec& Code(const std::string& code) {
    m_strs[0] = code;
    return *this;
  }

  std::vector<std::string> m_names;
};

// Kind 0: a data file; kind 2: a server database.
class SmDataTest : public testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    SmResetMessages();
    if (GetParam() == 0) {
      const std::string path = SmCreateTestDataFile(2016);
      ASSERT_FALSE(path.empty());
      ASSERT_TRUE(m_db.Open(path));
    } else {
      m_db.SetKind(2);
      ASSERT_NO_FATAL_FAILURE(SmFreshServerDatabase(m_db, SmServerTestName("sd")));
    }
    ASSERT_TRUE(
        m_db.ExecuteSQL("Create Table CodeTab(LEV Long,AMT Double,KNO Char(15),NA Char(30))"));
    ASSERT_TRUE(m_db.ExecuteSQL("Create Table RefTab(CODE Char(15))"));
    const char* rows[][2] = {{"1", "01"},     {"2", "01-10"}, {"2", "01-2"},
                             {"3", "01-2-1"}, {"1", "02"},    {"2", "02-1"}};
    for (auto& row : rows)
      ASSERT_TRUE(m_db.ExecuteSQL(std::string("Insert Into CodeTab(LEV,AMT,KNO,NA) Values(") +
                                  row[0] + ",0,'" + row[1] + "','n" + row[1] + "')"));
    m_rec.m_db = &m_db;
  }

  std::vector<std::string> Codes(std::vector<std::unique_ptr<CSmData>>& list) {
    std::vector<std::string> codes;
    for (auto& rec : list) codes.push_back(rec->m_strs[0]);
    return codes;
  }

  CSmDatabase m_db;
  CCodeRec m_rec;
};

INSTANTIATE_TEST_SUITE_P(Kinds, SmDataTest, testing::Values(0, 2));

}  // namespace

TEST(SmData, MarksGiveKeyCodeNameAndLevelColumns) {
  CCodeRec rec({"|LEV", "#AMT", " #-#KNO ", "#NA"});
  CSmDataColumns c = rec.DescribeColumns();
  EXPECT_EQ(c.sTable, "CodeTab");
  EXPECT_EQ(c.names, (std::vector<std::string>{"LEV", "AMT", "KNO", "NA"}));
  EXPECT_EQ(c.keys, (std::vector<int>{0, 1, 1, 1}));
  EXPECT_EQ(c.nCodeCol, 0);
  EXPECT_EQ(c.sSeparator, "-");
  EXPECT_EQ(c.nLevelCol, 0);
  EXPECT_EQ(c.nNameCol, -1);

  c = CCodeRec().DescribeColumns();
  EXPECT_EQ(c.names, (std::vector<std::string>{"LEV", "AMT", "KNO", "NA"}));
  EXPECT_EQ(c.keys, (std::vector<int>{0, 0, 1, 0}));
  EXPECT_EQ(c.nNameCol, 1);
  EXPECT_EQ(CSmData::GetColumnList(c.names), "LEV,AMT,KNO,NA");
}

TEST(SmData, WhereOfAnEmptyCodeByMode) {
  CCodeRec rec;
  const CSmDataColumns c = rec.DescribeColumns();
  EXPECT_EQ(rec.BuildWhere(c, 1), "");  // the whole table
  EXPECT_EQ(rec.BuildWhere(c, 2), "Where LEV=1");
  rec.Code("01");
  EXPECT_EQ(rec.BuildWhere(c, 0), "Where KNO='01'");
  EXPECT_EQ(rec.BuildWhere(c, 1), "Where (KNO='01' Or KNO Like '01-*')");
  EXPECT_EQ(rec.BuildWhere(c, 2), "Where KNO Like '01-*' And  LEV=2");
}

TEST(SmData, NumberKeysWithinTheToleranceAreTheSameKey) {
  CCodeRec a({"LEV", "#AMT", "#-#KNO", "NA"}), b({"LEV", "#AMT", "#-#KNO", "NA"});
  a.m_dbls[0] = 2.5;
  b.m_dbls[0] = 2.5 + 1e-8;
  EXPECT_TRUE(a.IsSameKey(b));
  b.m_dbls[0] = 2.5 + 1e-6;
  EXPECT_FALSE(a.IsSameKey(b));
  b.m_dbls[0] = 2.5;
  b.Code("01");
  EXPECT_FALSE(a.IsSameKey(b));
  b.m_ints[0] = 7;  // not a key column
  a.Code("01");
  EXPECT_TRUE(a.IsSameKey(b));
}

TEST_P(SmDataTest, ChildrenComeInTheNumericOrderOfTheirOwnLevel) {
  std::vector<std::unique_ptr<CSmData>> list;
  m_rec.Code("01");
  EXPECT_EQ(m_rec.Select(list, 2, {}, {}, {}, {}), 2);
  EXPECT_EQ(Codes(list), (std::vector<std::string>{"01-2", "01-10"}));

  // Without a level column the grandchildren are left out by their second separator.
  CCodeRec flat({"LEV", "AMT", "#-#KNO", "NA"});
  flat.m_db = &m_db;
  list.clear();
  EXPECT_EQ(flat.Code("01").Select(list, 2, {}, {}, {}, {}), 2);
  EXPECT_EQ(Codes(list), (std::vector<std::string>{"01-2", "01-10"}));
  list.clear();
  EXPECT_EQ(flat.Code("").Select(list, 2, {}, {}, {}, {}), 2);
  EXPECT_EQ(Codes(list), (std::vector<std::string>{"01", "02"}));
}

TEST_P(SmDataTest, SelectAppendsAndLoadTakesTheFirstRow) {
  std::vector<std::unique_ptr<CSmData>> list;
  for (int k = 0; k < 3; ++k) list.push_back(std::make_unique<CCodeRec>());
  EXPECT_EQ(m_rec.Code("02").Select(list, 1, {}, {}, {}, {}), 5);
  EXPECT_EQ(list[3]->m_strs, (std::vector<std::string>{"02", "n02"}));
  EXPECT_EQ(list[4]->m_strs[0], "02-1");
  EXPECT_NE(dynamic_cast<CCodeRec*>(list[4].get()), nullptr);

  EXPECT_EQ(m_rec.Code("").Load(1), 6);
  EXPECT_EQ(m_rec.m_strs[0], "01");
  EXPECT_EQ(m_rec.Code("09").Load(0), 0);
  EXPECT_EQ(m_rec.m_strs[0], "09");
}

TEST_P(SmDataTest, CanDeleteAnswersByReferencesAndSiblings) {
  std::string message;
  EXPECT_EQ(m_rec.Code("01").CanDelete(message), 1);  // nothing refers to it

  ASSERT_TRUE(m_db.ExecuteSQL("Insert Into RefTab(CODE) Values('01-2-1')"));
  ASSERT_TRUE(m_db.ExecuteSQL("Insert Into RefTab(CODE) Values('02-1')"));
  ASSERT_TRUE(m_db.ExecuteSQL("Insert Into RefTab(CODE) Values('05-1')"));
  EXPECT_EQ(m_rec.Code("01-2").CanDelete(message), 0);  // 01-10 beside it
  EXPECT_EQ(message, "“01-2”已被引用，不能删除！");
  EXPECT_EQ(m_rec.Code("01-2-1").CanDelete(message), 2);  // alone under 01-2
  EXPECT_EQ(m_rec.Code("02-1").CanDelete(message), 2);
  EXPECT_EQ(m_rec.Code("05-1").CanDelete(message), 0);
  EXPECT_EQ(message, "“05-1”已不存在！");
  EXPECT_EQ(m_rec.Code("01").CanDelete(message), 0);  // 02 beside it at the top

  EXPECT_TRUE(m_rec.Code("02").IsReferenced());
  EXPECT_FALSE(m_rec.IsReferencedExcept({"REFTAB"}));
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
}
