// The report row: sizing and clearing, the roll-up with its rounding, and the name lists of the
// four directories.
#include <gtest/gtest.h>

#include "core/SmString.h"
#include "reports/TsReportRow.h"
#include "tests/cane/TsFileTest.h"

namespace {

CTsReportRow Row(const std::string& code, std::vector<double> values) {
  CTsReportRow row(static_cast<int>(values.size()));
  row.sCode = code;
  row.Values = std::move(values);
  return row;
}

class TsReportRowTest : public TsAppTest {};

}  // namespace

TEST_F(TsReportRowTest, ResizingOrSizingClearsTheWholeRow) {
  CTsReportRow row(2, 3);
  row.nTag = 4;
  row.sDate = "20161203";
  row.sCode = "01";
  row.sName = "张三";
  row.Texts = {"a", "b"};
  row.Values = {1, 2, 3};
  CTsReportRow copy = row;
  row.SetValueCount(5);
  EXPECT_EQ(row.Values, std::vector<double>(5, 0.0));
  EXPECT_EQ(row.Texts, (std::vector<std::string>{"", ""}));
  EXPECT_EQ(row.nTag, 0);
  EXPECT_TRUE(row.sDate.empty() && row.sCode.empty() && row.sName.empty());
  EXPECT_EQ(copy.Values, (std::vector<double>{1, 2, 3}));
  copy.SetSizes(1, 2);
  EXPECT_EQ(copy.Texts.size(), 1u);
  EXPECT_EQ(copy.Values, std::vector<double>(2, 0.0));
}

TEST_F(TsReportRowTest, ChildrenRollUpIntoParentsWhoseCodeIsTheirPrefix) {
  struct Case {
    std::string parent, child;
    bool wholeCode, added;
  } cases[] = {
      {"01", "0101", false, true},  {"0101", "0101", false, true}, {"10", "0101", false, false},
      {"0101", "01", false, false}, {"", "0101", false, true},     {"1", "12", false, true},
      {"1", "12", true, false},     {"12 ", "12", true, true},     {"", "12", true, true},
      {"12", "1", true, false},
  };
  for (const Case& c : cases) {
    CTsReportRow parent = Row(c.parent, {1, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(parent.AddChild(Row(c.child, {1, 0, 0, 0, 5, 0, 0}), c.wholeCode), c.added)
        << c.parent << " <- " << c.child;
    EXPECT_EQ(parent.Values[4], c.added ? 5 : 0) << c.parent << " <- " << c.child;
  }
  CTsReportRow parent = Row("", {1, 2});
  EXPECT_FALSE(parent.AddChild(Row("01", {1, 2, 3})));
  EXPECT_EQ(parent.Values, (std::vector<double>{1, 2}));
}

TEST_F(TsReportRowTest, EachMemberRoundsItsOwnPositions) {
  m_type->m_intParams[13] = 0;  // quantity precision
  const CTsReportRow child = Row("01", {1.4, 1.23456, 2.123456, 10.4, 10.4, 3.456, 1.005});
  CTsReportRow purchase = Row("0", std::vector<double>(7, 0.0));
  purchase.AddChild(child);
  purchase.AddChild(child);
  EXPECT_EQ(purchase.Values, (std::vector<double>{2, 2.46912, 4.247, 20, 20, 6.92, 2.02}));
  CTsReportRow qty = Row("", std::vector<double>(4, 0.0));
  qty.AddChildQty(Row("01", {1.4, 10.4, 1.005, 2.344}));
  EXPECT_EQ(qty.Values, (std::vector<double>{1, 10, 1.01, 2.34}));
  CTsReportRow money = Row("", std::vector<double>(2, 0.0));
  money.AddChildMoney(Row("01", {1.4, 10.444}));
  EXPECT_EQ(money.Values, (std::vector<double>{1.4, 10.44}));
}

TEST_F(TsReportRowTest, TheIndexedRollUpAddsLikeEveryPairInTurn) {
  std::vector<CTsReportRow> skeleton;
  for (const char* code : {"", "1", "101", "10101", "10101001", "10101002", "2", "12"})
    skeleton.push_back(Row(code, std::vector<double>(7, 0.0)));
  std::vector<CTsReportRow> pairwise = skeleton;
  const std::vector<CTsReportRow> children = {Row("10101001", {1, 0, 0, 0, 2.5, 0, 10}),
                                              Row("10101002", {2, 0, 0, 0, 1.25, 0, 4}),
                                              Row("1210", {1, 0, 0, 0, 1, 0, 1})};
  CTsRollUp rollUp(skeleton, CTsRollUp::Purchase, false);
  for (const CTsReportRow& child : children) {
    rollUp.Add(child);
    for (CTsReportRow& row : pairwise) row.AddChild(child);
  }
  for (size_t i = 0; i < skeleton.size(); ++i)
    EXPECT_EQ(skeleton[i].Values, pairwise[i].Values) << skeleton[i].sCode;
  EXPECT_EQ(skeleton[1].Values[4], 4.75);
  EXPECT_EQ(skeleton[6].Values[4], 0);
}

class TsLoadNamesTest : public TsFileTest {
 protected:
  void SetUp() override {
    TsFileTest::SetUp();
    Run({"Insert Into NHDir(KNO,NA) Values('1','东区')",
         "Insert Into NHDir(KNO,NA) Values('101','一村')",
         "Insert Into NHDir(KNO,NA) Values('10101','一组')",
         "Insert Into NHDir(KNO,NA) Values('10101001','张三')",
         "Insert Into NHDir(KNO,NA) Values('2','西区')",
         "Insert Into DriverDir(KNO,NA) Values('12','王五')",
         "Insert Into DriverDir(KNO,NA) Values('1','赵六')",
         "Insert Into AdrDir(KNO,NA) Values('003','河边')"});
  }

  std::string Names(int kind, int level, const std::string& filter) {
    CTsReportRow templ(1, 3);
    templ.sName = "old";
    std::vector<CTsReportRow> rows;
    const int count =
        templ.LoadNames(kind, TsGetLevelLengths(kind == 3), level, filter, rows, &m_db);
    std::string text;
    for (const CTsReportRow& row : rows) {
      EXPECT_EQ(row.Values.size(), 3u);
      EXPECT_EQ(row.Texts.size(), 1u);
      text += row.sCode + "=" + row.sName + "|";
    }
    EXPECT_EQ(count, static_cast<int>(rows.size()));
    return text;
  }
};

TEST_P(TsLoadNamesTest, FarmersDownToTheLevelAreIndentedAndFiltered) {
  EXPECT_EQ(Names(0, 2, ""), "1=东区|101=  一村|10101=    一组|2=西区|");
  EXPECT_EQ(Names(0, 3, "101"), "101=  一村|10101=    一组|10101001=      张三|");
  EXPECT_EQ(Names(0, 0, "x'"), "");
}

TEST_P(TsLoadNamesTest, DriversAndPlacesAreFlatWhateverTheLevel) {
  EXPECT_EQ(Names(1, 0, ""), "1=赵六|12=王五|");
  EXPECT_EQ(Names(2, 4, ""), "003=河边|");
}

INSTANTIATE_TEST_SUITE_P(Engines, TsLoadNamesTest, testing::Values(0, 2));
