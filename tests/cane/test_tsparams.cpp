// System parameters: defaults, stored rows, names, code levels, accounting-year dates and print
// settings.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "cane/TsCaneContext.h"
#include "cane/TsDataType.h"
#include "cane/TsItems.h"
#include "cane/TsParams.h"
#include "core/SmCsRecord.h"
#include "core/SmDatabase.h"
#include "core/SmString.h"
#include "core/SmWiring.h"
#include "tests/cane/TsTestApp.h"
#include "tests/common/SmTestDataFile.h"

namespace {

const std::vector<int> kDefaultInts = {1, 2, 2, 3, 0, 3, 3, 1, 2, 0, 0, 0, 5, 3, 0, 0};

class TsParamsTest : public TsAppTest {
 protected:
  void SetUp() override {
    TsAppTest::SetUp();
    ASSERT_TRUE(m_db.Open(SmCreateTestDataFile(2016)));
  }
  void Store(long csN, const std::string& value) {
    CSmCsRecord row(&m_db);
    row.Set(CTsDataType::kParamGroup, csN, "参数", value);
    ASSERT_TRUE(row.Insert());
  }
  void Reload() {
    m_type->SetDefaultParams();
    m_type->LoadParams(&m_db);
  }

  CSmDatabase m_db;
};

}  // namespace

TEST_F(TsParamsTest, AFileWithoutRowsGivesTheDefaults) {
  m_type->m_intParams[0] = 9;
  m_type->m_strParams[48] = "105";
  Reload();
  EXPECT_EQ(m_type->m_intParams, kDefaultInts);
  EXPECT_EQ(m_type->m_dblParams, (std::vector<double>{0, 0}));
  ASSERT_EQ(m_type->m_strParams.size(), 52u);
  const std::map<int, std::string> texts = {{0, "补助款\t0+\t10*#sl"},
                                            {4, ""},
                                            {13, "蔗种款\t20"},
                                            {29, "修理费\t21"},
                                            {30, ""},
                                            {40, "修路费系数(元/吨)"},
                                            {41, ""},
                                            {44, "义运系数(元/吨)"},
                                            {48, "011"},
                                            {49, "00"},
                                            {50, "00"},
                                            {51, "00"}};
  for (const auto& [index, text] : texts) EXPECT_EQ(m_type->m_strParams[index], text) << index;
  int filled = 0;
  for (const std::string& text : m_type->m_strParams) filled += text.empty() ? 0 : 1;
  EXPECT_EQ(filled, 22);
}

TEST_F(TsParamsTest, StoredRowsOverlayTheDefaultsWithinTheArrays) {
  Store(0, "4");
  Store(12, "abc");  // nothing read: the default stays
  Store(13, " 2");
  Store(16, "9");  // past the integers
  Store(101, "1.5");
  Store(102, "7");  // past the numbers
  Store(213, "种子款\t21");
  Store(252, "x");  // past the texts
  Store(300, "y");
  Reload();
  std::vector<int> ints = kDefaultInts;
  ints[0] = 4;
  ints[13] = 2;
  EXPECT_EQ(m_type->m_intParams, ints);
  EXPECT_EQ(m_type->m_dblParams, (std::vector<double>{0, 1.5}));
  EXPECT_EQ(m_type->m_strParams.size(), 52u);
  EXPECT_EQ(TsGetStrParam(TsStrParam::SlipCaneItem1 + 3), "种子款\t21");
  // The item tables follow the loaded texts: the seed item is now repaid this year.
  EXPECT_EQ(TsGetKindItemCount(0, 1, 2, 1), 4);
}

TEST_F(TsAppTest, ParameterNamesInOrder) {
  CSmStringList ints, numbers, texts;
  m_type->GetParamNames(ints, numbers, texts);
  ASSERT_EQ(ints.size(), 16u);
  ASSERT_EQ(numbers.size(), 2u);
  ASSERT_EQ(texts.size(), 52u);
  const std::map<int, std::string> intNames = {{0, "农户1级代码长度"},
                                               {4, "农户5级代码长度"},
                                               {5, "驾驶员代码长度"},
                                               {6, "甘蔗砍运地代码长度"},
                                               {7, "甘蔗品种1级代码长度"},
                                               {11, "甘蔗品种5级代码长度"},
                                               {12, "过磅单号长度"},
                                               {13, "数量精度"},
                                               {14, "运费计价重量去杂吗(0否、1是)"},
                                               {15, "过磅单的毛、皮员可相同吗(0否、1是)"}};
  for (const auto& [i, name] : intNames) EXPECT_EQ(ints[i], name) << i;
  EXPECT_EQ(numbers, (CSmStringList{"浮动蔗价(元/吨)", "浮动运费(元/吨)"}));
  const std::map<int, std::string> textNames = {{0, "按过磅单计算的蔗款项目1"},
                                                {5, "按过磅单计算的运费项目1"},
                                                {9, "按过磅单计算的运费项目5"},
                                                {10, "按结算单清算的蔗款项目1"},
                                                {24, "按结算单清算的蔗款项目15"},
                                                {25, "按结算单清算的运费项目1"},
                                                {39, "按结算单清算的运费项目15"},
                                                {40, "与农户关联的参数1名称"},
                                                {47, "与砍运地关联的参数4名称"},
                                                {48, "年初月(xmm,x取0为上年,1为本年,mm为月份)"},
                                                {49, "过磅单打印"},
                                                {50, "农户结算单打印"},
                                                {51, "运费结算单打印"}};
  for (const auto& [i, name] : textNames) EXPECT_EQ(texts[i], name) << i;
}

TEST_F(TsAppTest, CodeLevelsFollowTheLevelLengths) {
  struct Case {
    std::vector<int> levels;
    std::string code;
    int level;
  };
  const Case cases[] = {
      {{1, 2, 2, 3, 0}, "", 0},           {{1, 2, 2, 3, 0}, "1", 1},
      {{1, 2, 2, 3, 0}, "12", 0},         {{1, 2, 2, 3, 0}, "123", 2},
      {{1, 2, 2, 3, 0}, "12345", 3},      {{1, 2, 2, 3, 0}, "12345678", 4},
      {{1, 2, 2, 3, 0}, "123456789", 0},  {{2, 2, 2, 2, 2}, "12345678", 4},
      {{2, 2, 2, 2, 2}, "1234567890", 0},
  };
  for (const Case& c : cases) {
    std::copy(c.levels.begin(), c.levels.end(), m_type->m_intParams.begin());
    std::copy(c.levels.begin(), c.levels.end(), m_type->m_intParams.begin() + 7);
    EXPECT_EQ(TsGetFarmerCodeLevel(c.code), c.level) << c.code;
    EXPECT_EQ(TsGetVarietyCodeLevel(c.code), c.level) << c.code;
  }
  m_type->SetDefaultParams();
  EXPECT_EQ(TsGetFarmerCodeLen(), 8);
  EXPECT_EQ(TsGetFarmerLevelCount(), 4);
  EXPECT_EQ(TsGetVarietyCodeLen(), 3);
  EXPECT_EQ(TsGetVarietyLevelCount(), 2);
  m_type->m_intParams[8] = -1;  // a negative level ends the hierarchy too
  EXPECT_EQ(TsGetVarietyLevelCount(), 1);
  for (int i = 7; i < 12; ++i) m_type->m_intParams[i] = 1;
  EXPECT_EQ(TsGetVarietyLevelCount(), 5);
}

TEST(TsYearDates, StartAndEndOfTheAccountingYear) {
  struct Case {
    int year;
    const char* xmm;
    const char* start;
    const char* end;
  };
  const Case cases[] = {
      {2016, "011", "20151101", "20161031"}, {2016, "001", "20150101", "20151231"},
      {2016, "101", "20160101", "20161231"}, {2016, "003", "20150301", "20160229"},
      {2015, "003", "20140301", "20150228"}, {2000, "003", "19990301", "20000229"},
      {2100, "103", "21000301", "21010228"}, {2016, "112", "20161201", "20171130"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TsYearStartDate(c.year, c.xmm), c.start) << c.year << c.xmm;
    EXPECT_EQ(TsYearEndDate(c.year, c.xmm), c.end) << c.year << c.xmm;
  }
}

// The business year a day belongs to under each start month a clerk can choose: the year's
// first and last day, the days around the start month and 31 December.
TEST(TsYearDates, TheBusinessYearThatHoldsADay) {
  struct Case {
    const char* xmm;
    const char* day;
    int year;
  };
  const Case cases[] = {
      {"011", "20151101", 2016},
      {"011", "20161031", 2016},
      {"011", "20161101", 2017},
      {"011", "20161231", 2017},
      {"011", "20160101", 2016},
      {"101", "20160101", 2016},
      {"101", "20161231", 2016},
      {"001", "20160101", 2017},
      {"001", "20161231", 2017},
      {"112", "20161130", 2015},
      {"112", "20161201", 2016},
      {"003", "20160229", 2016},
      {"003", "20160301", 2017},
      {"010", "20160930", 2016},
      {"010", "20161001", 2017},
      // No start month, or one a clerk cannot choose: the calendar year.
      {"", "20161231", 2016},
      {"013", "20161231", 2016},
      {"211", "20161231", 2016},
      {"0a1", "20160101", 2016},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TsBusinessYearOf(c.day, c.xmm), c.year) << c.xmm << " " << c.day;
  // Whatever the start month, the year found holds the day between its first and last day.
  for (const char x : {'0', '1'}) {
    for (int mm = 1; mm <= 12; ++mm) {
      const std::string xmm = x + FormatStr("%02d", mm);
      for (const char* day : {"20160101", "20160228", "20160229", "20160301", "20160531",
                              "20160601", "20161031", "20161101", "20161130", "20161231"}) {
        const int year = TsBusinessYearOf(day, xmm);
        EXPECT_LE(TsYearStartDate(year, xmm), day) << xmm << " " << day;
        EXPECT_GE(TsYearEndDate(year, xmm), day) << xmm << " " << day;
      }
    }
  }
}

TEST_F(TsAppTest, PrintSettingsAndSimpleAccessors) {
  const std::pair<std::string, std::array<int, 2>> cases[] = {
      {"12", {1, 2}}, {"", {0, 0}}, {"1", {1, 0}}, {"02", {0, 2}}};
  for (const auto& [setting, expected] : cases) {
    m_type->m_strParams[50] = setting;
    EXPECT_EQ(TsGetPrintWhen(1), expected[0]) << setting;
    EXPECT_EQ(TsGetPrintStyle(1), expected[1]) << setting;
  }
  EXPECT_EQ(TsGetPrintWhen(0), 0);
  EXPECT_EQ(TsGetTicketNoLen(), 5);
  EXPECT_EQ(TsGetQtyPrecision(), 3);
  EXPECT_EQ(TsGetFreightNetOfImpurity(), 0);
  EXPECT_EQ(TsGetYearStartParam(), "011");
  EXPECT_EQ(TsGetItemCount(0), 5);
  EXPECT_EQ(TsGetItemCount(1), 15);
}

TEST_F(TsAppTest, IndexesOutOfRangeReadZeroOrEmpty) {
  EXPECT_EQ(TsGetIntParam(-1), 0);
  EXPECT_EQ(TsGetIntParam(CTsDataType::kIntParamCount), 0);
  EXPECT_EQ(TsGetDblParam(CTsDataType::kDblParamCount), 0);
  EXPECT_EQ(TsGetStrParam(CTsDataType::kStrParamCount), "");
  EXPECT_EQ(TsGetStrParam(-1), "");
  EXPECT_EQ(TsGetPrintWhen(3), 0);
  EXPECT_EQ(TsGetPrintStyle(-1), 0);
}

// With no cane module a read is a wiring fault (the tests fail, debug builds stop); the clerk's
// program reads 0 or the empty text and goes on.
TEST_F(TsAppTest, ParamsReadWithNoModuleAreAWiringFault) {
  static std::vector<std::string> faults;
  faults.clear();
  const SmWiringFaultHandler before =
      SmSetWiringFaultHandler([](const std::string& what) { faults.push_back(what); });
  m_app.m_dataTypes.clear();  // no cane module
  EXPECT_EQ(TsGetDataType(), nullptr);
  EXPECT_EQ(TsGetIntParam(TsIntParam::TicketNoLen), 0);
  EXPECT_EQ(TsGetStrParam(TsStrParam::YearStartMonth), "");
  EXPECT_EQ(TsGetDblParam(TsDblParam::FloatingCanePrice), 0);
  EXPECT_EQ(TsGetFarmerCodeLevel("1"), 0);
  EXPECT_EQ(TsGetIntParam(TsCaneContext{}, TsIntParam::QtyPrecision), 0);
  SmSetWiringFaultHandler(before);
  ASSERT_FALSE(faults.empty());
  EXPECT_EQ(faults[0], "cane parameters read with no cane module loaded");
  // A module that is loaded reads without a fault.
  faults.clear();
  SmSetWiringFaultHandler([](const std::string& what) { faults.push_back(what); });
  CTsDataType type;
  type.SetDefaultParams();
  TsCaneContext context;
  context.params = &type;
  EXPECT_EQ(TsGetIntParam(context, TsIntParam::TicketNoLen), 5);
  EXPECT_EQ(TsGetStrParam(context, TsStrParam::YearStartMonth), "011");
  SmSetWiringFaultHandler(before);
  EXPECT_TRUE(faults.empty());
}
