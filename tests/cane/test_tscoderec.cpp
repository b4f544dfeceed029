// The farmer and variety directories on both engines: every change is checked in every table
// that refers to the codes.
#include <gtest/gtest.h>

#include "cane/TsGp.h"
#include "cane/TsItems.h"
#include "cane/TsNH.h"
#include "cane/TsParams.h"
#include "core/SmString.h"
#include "tests/cane/TsFileTest.h"

namespace {

// Level lengths 1, 2, 2, 3: region 1 > village 101 > group 10101 > farmer 10101001.
class TsCodeRecTest : public TsFileTest {
 protected:
  void SetUp() override {
    TsFileTest::SetUp();
    if (HasFatalFailure()) return;
    const char* farmers[][3] = {
        {"1", "城关镇", ""},         {"101", "东村", ""},         {"10101", "一组", ""},
        {"10101001", "张三", "111"}, {"10101002", "李四", "222"}, {"10102", "二组", ""},
        {"10102001", "王五", "333"}, {"102", "西村", ""},         {"2", "新区", ""},
        {"201", "南村", ""},         {"20101", "一组", ""},       {"20101001", "赵六", ""},
    };
    for (auto& f : farmers)
      Run(
          FormatStr("Insert Into NHDir(KNO,NA,TEL,BkNO,BkHO,BkNA,NT,cs0,cs1,cs2,cs3) "
                    "Values('%s','%s','%s','','','','',0,0,0,0)",
                    f[0], f[1], f[2]));
    // Tickets of farmers 10101001 and 10102001 and of the village 102; a money document and a
    // place region of 10102001.
    Run("Insert Into gbSheet(T,DH,OPR1,KNO0,KNO3) "
        "Values('20160101','00000001','101','10101001','1')");
    Run("Insert Into gbSheet(T,DH,OPR1,KNO0,KNO3) "
        "Values('20160101','00000002','101','10102001','1')");
    Run("Insert Into gbSheet(T,DH,OPR1,KNO0,KNO3) Values('20160101','00000003','101','102','2')");
    Run("Insert Into jsSheet(LB,DB,T,DH,KNO) Values('0','0','20160102','000001','10102001')");
    Run("Insert Into jsSheet(LB,DB,T,DH,KNO) Values('1','0','20160102','000002','10102001')");
    Run("Insert Into AdrDir(KNO,NA,QY,NT,jl,ypr,cs0,cs1,cs2,cs3) "
        "Values('001','河边','10102001','',0,0,0,0,0,0)");
    SmResetMessages();
  }

  void Run(const std::string& sql) { ASSERT_TRUE(m_db.ExecuteSQL(sql)) << sql; }

  std::string Rows(const std::string& query, int columns) {
    std::vector<std::string> rows[4];
    m_db.QueryStrings(query, rows, columns);
    std::string text;
    for (size_t r = 0; r < rows[0].size(); ++r) {
      for (int c = 0; c < columns; ++c) text += (c ? " " : "") + TrimChars(rows[c][r]);
      text += "|";
    }
    return text;
  }
  std::string Farmers() { return Rows("Select KNO,NA,TEL From NHDir Order By KNO", 3); }
  std::string Tickets() { return Rows("Select DH,KNO0,KNO3 From gbSheet Order By DH", 3); }
  std::string Documents() { return Rows("Select LB,DH,KNO From jsSheet Order By DH", 3); }
  std::string Places() { return Rows("Select KNO,QY From AdrDir Order By KNO", 2); }
  std::string Varieties() {
    std::vector<CGp> list;
    CGp(&m_db, "").Select(list, 1);
    std::string text;
    for (const CGp& v : list) text += FormatStr("%s %s %g|", v.KNO.c_str(), v.NA.c_str(), v.PR);
    return text;
  }
  // Everything the directories touch.
  std::string Everything() {
    return Farmers() + "\n" + Tickets() + "\n" + Documents() + "\n" + Places() + "\n" + Varieties();
  }
  std::vector<std::string> Boxes() {
    std::vector<std::string> texts;
    for (const SmShownMessage& box : CSmMessageService::Instance().Shown())
      texts.push_back(box.text);
    SmResetMessages();
    return texts;
  }

  CNH Farmer(const std::string& code) {
    CNH rec(&m_db, code);
    rec.Load(0);
    return rec;
  }
};

INSTANTIATE_TEST_SUITE_P(Engines, TsCodeRecTest, testing::Values(0, 2));

}  // namespace

TEST_P(TsCodeRecTest, ReadsCountsAndNamesLevels) {
  CNH rec(&m_db, "");
  EXPECT_EQ(rec.GetParentCode(""), "");
  EXPECT_EQ(rec.GetParentCode("10101001"), "10101");
  EXPECT_EQ(rec.GetParentCode("1"), "");
  std::vector<CNH> list;
  EXPECT_EQ(rec.Select(list, 2), 2);  // the top level
  EXPECT_EQ(list[1].KNO, "2");
  rec.KNO = "101";
  EXPECT_EQ(rec.GetCount(1), 6);
  EXPECT_EQ(rec.GetCount(2), 2);
  EXPECT_EQ(rec.GetMaxCodeLength(), 8);

  std::string out;
  std::vector<std::string> codes, names;
  CNH farmer(&m_db, "10101002");
  EXPECT_EQ(farmer.GetLevelNames(out, codes, names), 1);
  EXPECT_EQ(out, "城关镇/东村/一组/李四");
  EXPECT_EQ(codes, (std::vector<std::string>{"1", "101", "10101", "10101002"}));
  EXPECT_EQ(farmer.TEL, "222");
  CNH none(&m_db, "");
  EXPECT_EQ(none.GetLevelNames(out, codes, names), 0);
}

TEST_P(TsCodeRecTest, DeletingAnUnreferencedRegionDeletesItsSubtree) {
  const std::string before = Everything();
  CNH region(&m_db, "2");
  EXPECT_TRUE(region.Delete(true));
  EXPECT_EQ(Everything(), ReplaceAll(before, "2 新区 |201 南村 |20101 一组 |20101001 赵六 |", ""));
  EXPECT_TRUE(Boxes().empty());
}

TEST_P(TsCodeRecTest, ReferencedFarmerWithASiblingIsNotDeleted) {
  const std::string before = Everything();
  CNH farmer(&m_db, "10101001");
  EXPECT_FALSE(farmer.Delete(false));
  EXPECT_TRUE(Boxes().empty());
  EXPECT_FALSE(farmer.Delete(true));
  EXPECT_EQ(Boxes(), std::vector<std::string>{"“10101001”已被引用，不能删除！"});
  EXPECT_EQ(Everything(), before);
}

TEST_P(TsCodeRecTest, ReferencedOnlyChildTakesOverItsRegion) {
  CNH farmer(&m_db, "10102001");
  EXPECT_TRUE(farmer.Delete(true));
  EXPECT_EQ(farmer.KNO, "10102");
  EXPECT_EQ(Farmers(),
            "1 城关镇 |101 东村 |10101 一组 |10101001 张三 111|10101002 李四 222|10102 二组 333|"
            "102 西村 |2 新区 |201 南村 |20101 一组 |20101001 赵六 |");
  EXPECT_EQ(Tickets(), "00000001 10101001 1|00000002 10102 1|00000003 102 2|");
  EXPECT_EQ(Documents(), "0 000001 10102|1 000002 10102001|");
  EXPECT_EQ(Places(), "001 10102|");
  EXPECT_TRUE(Boxes().empty());
}

TEST_P(TsCodeRecTest, FirstFarmerTakesOverTheReferencesOfItsRegion) {
  CNH group(&m_db, "10201");
  group.NA = "三组";
  EXPECT_TRUE(group.Insert(true));
  EXPECT_EQ(Tickets(), "00000001 10101001 1|00000002 10102001 1|00000003 10201 2|");
  // A second child finds nothing left to take over.
  CNH second(&m_db, "10202");
  second.NA = "四组";
  EXPECT_TRUE(second.Insert(true));
  EXPECT_EQ(Tickets(), "00000001 10101001 1|00000002 10102001 1|00000003 10201 2|");
  EXPECT_TRUE(Boxes().empty());
}

TEST_P(TsCodeRecTest, MovingAVillageTakesItsSubtreeAndReferences) {
  CNH village = Farmer("101");
  CNH moved = village;
  moved.KNO = "103";
  moved.NA = "北村";
  EXPECT_TRUE(moved.ChangeCode(village, true));
  EXPECT_EQ(Farmers(),
            "1 城关镇 |102 西村 |103 北村 |10301 一组 |10301001 张三 111|10301002 李四 222|"
            "10302 二组 |10302001 王五 333|2 新区 |201 南村 |20101 一组 |20101001 赵六 |");
  EXPECT_EQ(Tickets(), "00000001 10301001 1|00000002 10302001 1|00000003 102 2|");
  EXPECT_EQ(Documents(), "0 000001 10302001|1 000002 10102001|");
  EXPECT_EQ(Places(), "001 10302001|");
}

TEST_P(TsCodeRecTest, NameOnlyChangeTouchesNoOtherTable) {
  const std::string before = Everything();
  CNH farmer = Farmer("10101001");
  CNH renamed = farmer;
  renamed.NA = "张三丰";
  EXPECT_TRUE(renamed.ChangeCode(farmer, true));
  EXPECT_EQ(Everything(), ReplaceAll(before, "张三 111", "张三丰 111"));
}

TEST_P(TsCodeRecTest, RefusalsChangeNothingAndSpeakOnlyWhenAsked) {
  const std::string before = Everything();
  CNH farmer = Farmer("10101001");
  struct Case {
    std::string code, name, oldCode, box;
  } cases[] = {
      {"10101002", "张三", "10101001", "目标代码“10101002”产生重码，不能修改！"},
      {"10101003", "张三", "10101009", "源对象“10101009”已不存在，不能修改！"},
      {"1011", "东村", "101", "源对象“101”修改成“1011”后代码超长，不能修改！"},
      {"10201", "西村", "102", "源对象“102”不能修改成它自己的下级“10201”！"},
      {"10101001", "", "10101001", "“名称”不能为空！"},
      {"a", "张三", "10101001", "代码 ：“a”不合适！"},
  };
  for (const Case& c : cases) {
    CNH old(&m_db, c.oldCode);
    old.Load(0);  // as a card shows it
    CNH changed = farmer;
    changed.KNO = c.code;
    changed.NA = c.name;
    EXPECT_FALSE(changed.ChangeCode(old, false)) << c.box;
    EXPECT_TRUE(Boxes().empty()) << c.box;
    EXPECT_FALSE(changed.ChangeCode(old, true)) << c.box;
    EXPECT_EQ(Boxes(), std::vector<std::string>{c.box});
    EXPECT_EQ(Everything(), before) << c.box;
  }
  CNH target(&m_db, "10101002");
  EXPECT_FALSE(target.Paste(farmer, true));
  EXPECT_EQ(Boxes(), std::vector<std::string>{"目标对象“10101002”已存在，不能覆盖！"});
  CNH empty(&m_db, "10101005");
  EXPECT_FALSE(empty.Insert(true));
  EXPECT_EQ(Boxes(), std::vector<std::string>{"“名称”不能为空！"});
  EXPECT_EQ(Everything(), before);
}

TEST_P(TsCodeRecTest, PastingOntoItselfMakesOneCopySibling) {
  CNH farmer = Farmer("10101002");
  CNH target(&m_db, "10101002");
  EXPECT_TRUE(target.Paste(farmer, true));
  EXPECT_EQ(target.KNO, "10101003");
  CNH copy = Farmer("10101003");
  EXPECT_EQ(copy.NA, "复件：李四");
  EXPECT_EQ(copy.TEL, "222");
  CNH again(&m_db, "10101003");
  EXPECT_TRUE(again.Paste(copy, true));
  EXPECT_EQ(Farmer("10101004").NA, "复件：李四");

  // A whole group pasted to a new code brings its farmers along.
  CNH group(&m_db, "10102");
  CNH newGroup(&m_db, "10103");
  EXPECT_TRUE(newGroup.Paste(group, true));
  EXPECT_EQ(Farmer("10103").NA, "二组");
  EXPECT_EQ(Farmer("10103001").NA, "王五");
  EXPECT_TRUE(Boxes().empty());
}

TEST_P(TsCodeRecTest, NextCodePastNineIsADuplicate) {
  for (const char* code : {"0", "3", "4", "5", "6", "7", "8", "9"})
    Run(
        FormatStr("Insert Into NHDir(KNO,NA,TEL,BkNO,BkHO,BkNA,NT,cs0,cs1,cs2,cs3) "
                  "Values('%s','镇','','','','','',0,0,0,0)",
                  code));
  CNH top(&m_db, "");
  const std::string next = top.GetNextCode();
  EXPECT_EQ(next, "0");
  CNH rec(&m_db, next);
  rec.NA = "新镇";
  EXPECT_FALSE(rec.Insert(true));
  EXPECT_EQ(Boxes(), std::vector<std::string>{"产生重码，不能插入！"});
  EXPECT_EQ(rec.GetCount(0), 1);
  CNH group(&m_db, "10101");
  EXPECT_EQ(group.GetNextCode(), "10101003");
}

TEST_P(TsCodeRecTest, LinkedParameterOverTheLeaves) {
  m_type->m_strParams[40] = "亩数";
  m_type->m_strParams[42] = "距离";
  TsBuildItemTables();
  CNH rec(&m_db, "");
  ASSERT_TRUE(rec.SetParam(1, {"101"}, 2.5));  // the second named one: cs2
  EXPECT_EQ(Rows("Select KNO From NHDir Where cs2=2.5 Order By KNO", 1),
            "10101001|10101002|10102001|");
  EXPECT_EQ(m_db.QueryInt("Select Count(*) From NHDir Where cs0<>0 Or cs1<>0 Or cs3<>0"), 0);
  Run("Update NHDir Set cs2=4 Where KNO='10102001'");
  double range[2] = {-1, -1};
  EXPECT_EQ(rec.GetParamRange(1, {"101", "102"}, range), 4);  // 102 is a leaf itself
  EXPECT_EQ(range[0], 0);
  EXPECT_EQ(range[1], 4);
  EXPECT_EQ(rec.GetParamRange(1, {"101"}, range), 3);
  EXPECT_EQ(range[0], 2.5);
  EXPECT_EQ(range[1], 4);
  EXPECT_EQ(rec.GetParamRange(1, {"9"}, range), 0);
  EXPECT_EQ(range[0], 0);
  EXPECT_EQ(range[1], 0);
}

// A statement that fails in the middle of a change leaves every table as it was.
TEST_P(TsCodeRecTest, FailedChangeLeavesEverythingAsItWas) {
  Run("Drop Table AdrDir");
  const std::string before = Farmers() + Tickets() + Documents();
  CNH village = Farmer("101");
  CNH moved = village;
  moved.KNO = "103";
  EXPECT_FALSE(moved.ChangeCode(village, false));
  CNH onlyChild(&m_db, "10102001");
  EXPECT_FALSE(onlyChild.Delete(false));
  EXPECT_EQ(onlyChild.KNO, "10102001");
  CNH first(&m_db, "10201");
  first.NA = "三组";
  EXPECT_FALSE(first.Insert(false));
  EXPECT_EQ(Farmers() + Tickets() + Documents(), before);
  // Only the engine's own error boxes were shown.
  for (const std::string& box : Boxes())
    EXPECT_NE(box.find("执行下列SQL语句时出错！"), std::string::npos) << box;
}

TEST_P(TsCodeRecTest, FirstSubVarietyTakesTheTicketsAndThePrice) {
  Run("Insert Into GP(KNO,NA,NT,pr) Values('1','桂糖','',300)");
  Run("Insert Into GP(KNO,NA,NT,pr) Values('2','新台糖','',280)");
  CGp sub(&m_db, "101");
  sub.NA = "桂糖11号";
  sub.PR = 320;
  EXPECT_TRUE(sub.Insert(true));
  EXPECT_EQ(Tickets(), "00000001 10101001 101|00000002 10102001 101|00000003 102 2|");
  CGp parent(&m_db, "1");
  parent.Load(0);
  EXPECT_EQ(parent.PR, 0);
  CGp reread(&m_db, "101");
  reread.Load(0);
  EXPECT_EQ(reread.PR, 320);

  // With levels 1, 2 a referenced variety is never deleted.
  const std::string before = Everything();
  for (const char* code : {"101", "2"}) {
    CGp variety(&m_db, code);
    EXPECT_FALSE(variety.Delete(true)) << code;
    EXPECT_EQ(Boxes(), std::vector<std::string>{FormatStr("“%s”已被引用，不能删除！", code)});
  }
  EXPECT_EQ(Everything(), before);

  // A failed first child leaves the parent priced and its tickets where they were.
  Run("Drop Table gbSheet");
  CGp failed(&m_db, "201");
  failed.NA = "台糖";
  EXPECT_FALSE(failed.Insert(false));
  EXPECT_EQ(Varieties(), "1 桂糖 0|101 桂糖11号 320|2 新台糖 280|");
}
