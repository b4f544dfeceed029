// Money items: parsing and formatting of item texts, the per-kind lists, ticket signs and
// formulas, linked parameters and the money columns of tickets.
#include <gtest/gtest.h>

#include "cane/TsItems.h"
#include "cane/TsParams.h"
#include "tests/cane/TsTestApp.h"

namespace {

std::vector<int> KindList(int kind, int itemClass, int category, int selection) {
  std::vector<int> items;
  for (int n = 0; n < TsGetKindItemCount(kind, itemClass, category, selection); ++n) {
    items.push_back(TsGetKindItemIndex(kind, itemClass, category, selection, n));
  }
  return items;
}

}  // namespace

TEST_F(TsAppTest, DefaultItemListsAndSigns) {
  struct Case {
    int kind, itemClass, category, selection;
    std::vector<int> items;
  };
  const Case cases[] = {
      {0, 0, 0, 0, {0, 1, 2}},    {0, 0, 1, 0, {3}},       {0, 0, 2, 0, {}},
      {0, 1, 0, 0, {}},           {0, 1, 1, 0, {0}},       {0, 1, 1, 1, {0}},
      {0, 1, 2, 0, {1, 2, 3, 4}}, {0, 1, 2, 1, {1, 2, 4}}, {1, 0, 0, 0, {0, 1}},
      {1, 0, 1, 0, {}},           {1, 1, 1, 0, {0, 1}},    {1, 1, 2, 1, {2, 3, 4}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(KindList(c.kind, c.itemClass, c.category, c.selection), c.items)
        << c.kind << c.itemClass << c.category << c.selection;
  }
  const std::array<std::array<int, 5>, 2> signs = {{{1, -1, -1, -1, 0}, {1, -1, 0, 0, 0}}};
  for (int kind = 0; kind < 2; ++kind) {
    for (int i = 0; i < 5; ++i) EXPECT_EQ(TsGetTicketItemSign(kind, i), signs[kind][i]);
  }
  EXPECT_EQ(TsGetTicketItemFormula(0, 3), "#sl*#ncs1");
  EXPECT_EQ(TsGetTicketItemFormula(1, 1), "iif(#sl>#xzs,(#sl-#xzs)*#djy,0)");
  EXPECT_EQ(TsGetKindItemName(0, 1, 2, 1, 2), "化肥款");
  EXPECT_EQ(TsGetKindItemFormula(0, 0, 0, 0, 0), "10*#sl");
  EXPECT_EQ(TsGetKindItemIndex(0, 1, 2, 1, 3), -1);
  EXPECT_EQ(TsGetKindItemCount(2, 0, 0, 0), 0);
  EXPECT_EQ(TsGetTicketItemSign(0, 5), 0);
}

TEST(TsItems, ParseItemTexts) {
  struct Case {
    const char* text;
    bool ok;
    int category, flag;
    const char* name;
    const char* formula;
  };
  const Case cases[] = {
      {"扣贷款\t11", true, 1, 1, "扣贷款", ""},
      {"补助款\t0+\t10*#sl", true, 0, 0, "补助款", "10*#sl"},
      {"扣义运\t0-\t#sl*#ccs1", true, 0, 1, "扣义运", "#sl*#ccs1"},
      {"扣修路费\t1-\t#sl*#ncs1", true, 1, 1, "扣修路费", "#sl*#ncs1"},
      {"蔗种款\t20", true, 2, 0, "蔗种款", ""},
      {"预付款\t21\t2", true, 2, 1, "预付款", "2"},
      {"x\t11", false, 0, 0, "", ""},      // a one-byte name
      {"扣款\t31", false, 0, 0, "", ""},   // no such category
      {"扣款\t0+x", false, 0, 0, "", ""},  // three characters without a tab
      {"扣款\t0", false, 0, 0, "", ""},
      {"扣款", false, 0, 0, "", ""},
      {"", false, 0, 0, "", ""},
  };
  for (const Case& c : cases) {
    int category = 9;
    int flag = 9;
    std::string name = "old";
    std::string formula = "old";
    EXPECT_EQ(TsParseItem(c.text, category, flag, name, formula), c.ok) << c.text;
    EXPECT_EQ(category, c.category) << c.text;
    EXPECT_EQ(flag, c.flag) << c.text;
    EXPECT_EQ(name, c.name) << c.text;
    EXPECT_EQ(formula, c.formula) << c.text;
  }
}

TEST(TsItems, FormatItemTexts) {
  EXPECT_EQ(TsFormatItem("预付款", 2, 1, ""), "预付款\t21\t");
  EXPECT_EQ(TsFormatItem("蔗种款", 2, 0, "3"), "蔗种款\t20\t3");
  EXPECT_EQ(TsFormatItem("扣义运", 0, 1, "#sl*#ccs1"), "扣义运\t0-\t#sl*#ccs1");
  EXPECT_EQ(TsFormatItem("补助款", 0, 0, "10*#sl"), "补助款\t0+\t10*#sl");
  EXPECT_EQ(TsFormatItem("扣贷款", 1, 0, ""), "扣贷款\t11\t");
  EXPECT_EQ(TsFormatItem("", 1, 1, "x"), "");
}

TEST_F(TsAppTest, OddTextsInTheTables) {
  m_type->m_strParams[10] = "x\t11";         // one-byte name: listed, yet not well formed
  m_type->m_strParams[2] = "扣款\t2-\t#sl";  // a ticket item of category 2
  m_type->m_strParams[1] = "\t0-\t#sl";      // no name: skipped
  m_type->BuildItemTables();
  EXPECT_EQ(KindList(0, 1, 1, 0), std::vector<int>{0});
  EXPECT_EQ(TsGetKindItemName(0, 1, 1, 0, 0), "x");
  EXPECT_EQ(KindList(0, 0, 0, 0), std::vector<int>{0});
  EXPECT_EQ(KindList(0, 0, 2, 1), std::vector<int>{2});
  EXPECT_EQ(TsGetTicketItemSign(0, 2), 0);
  EXPECT_EQ(TsGetTicketItemFormula(0, 2), "");
  EXPECT_EQ(TsGetTicketItemSign(0, 1), -1);  // the sign does not need a name
}

TEST_F(TsAppTest, ClassifyItemsByTheirParameterNumber) {
  struct Case {
    int index;
    bool ok, freight, slip;
    int itemNo;
    const char* name;
  };
  const Case cases[] = {
      {0, true, false, false, 0, "补助款"}, {6, true, true, false, 1, "超载扣运费"},
      {13, true, false, true, 3, "蔗种款"}, {27, true, true, true, 2, "预付款"},
      {39, false, true, true, 14, ""},      {40, false, false, false, 0, ""},
      {-1, false, false, false, 0, ""},
  };
  for (const Case& c : cases) {
    bool freight = !c.freight;
    bool slip = !c.slip;
    int category = 0, flag = 0, itemNo = -1;
    std::string name, formula;
    EXPECT_EQ(TsClassifyItem(c.index, freight, slip, category, flag, itemNo, name, formula), c.ok)
        << c.index;
    EXPECT_EQ(freight, c.freight) << c.index;
    EXPECT_EQ(slip, c.slip) << c.index;
    EXPECT_EQ(itemNo, c.itemNo) << c.index;
    EXPECT_EQ(name, c.name) << c.index;
  }
}

TEST_F(TsAppTest, LinkedParametersInUse) {
  EXPECT_EQ(TsGetLinkParamCount(0), 1);
  EXPECT_EQ(TsGetLinkParamIndex(0, 0), 0);
  EXPECT_EQ(TsGetLinkParamName(0, 0), "修路费系数(元/吨)");
  EXPECT_EQ(TsGetLinkParamCount(1), 1);
  EXPECT_EQ(TsGetLinkParamIndex(1, 0), 0);
  EXPECT_EQ(TsGetLinkParamName(1, 0), "义运系数(元/吨)");
  EXPECT_EQ(TsGetLinkParamIndex(0, 1), -1);
  EXPECT_EQ(TsGetLinkParamName(2, 0), "");

  m_type->m_strParams[40] = "";
  m_type->m_strParams[42] = "补贴";
  m_type->m_strParams[43] = "运距";
  TsBuildItemTables();
  EXPECT_EQ(TsGetLinkParamCount(0), 2);
  EXPECT_EQ(TsGetLinkParamIndex(0, 0), 2);
  EXPECT_EQ(TsGetLinkParamName(0, 1), "运距");
}

TEST(TsItems, TicketMoneyColumns) {
  const std::array<int, 3> cases[] = {{0, -1, 0}, {0, 0, 1}, {0, 4, 5},
                                      {1, -1, 6}, {1, 0, 7}, {1, 4, 11}};
  for (const auto& [kind, item, column] : cases) {
    EXPECT_EQ(TsTicketMoneyColumn(kind, item), column) << kind << item;
  }
}
