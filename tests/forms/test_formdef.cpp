// Form definitions in memory: spec strings, header block checks, note rows and the title's
// page-sum mark.
#include <gtest/gtest.h>

#include "forms/SmFormDef.h"

namespace {

struct SpecCase {
  const char* name;
  const char* spec;
  CSmColSpec expected;
};

CSmColSpec Spec(const char* caption, const char* type, const char* align, int kind,
                const char* formula, int scale, int total, int wrap) {
  return {caption, type, align, kind, formula, scale, total, wrap};
}

TEST(FormColSpec, ParsesEveryPart) {
  const SpecCase cases[] = {
      {"number column without total", "平均\\单价/NUMBER/RIGHT/00/0",
       Spec("平均\\单价", "NUMBER", "RIGHT", 0, "", 0, 0, 0)},
      {"a number keeps the default total", "合计/NUMBER/RIGHT",
       Spec("合计", "NUMBER", "RIGHT", 0, "", 0, 1, 0)},
      {"a string has no total", "名称/STRING/LEFT", Spec("名称", "STRING", "LEFT", 0, "", 0, 0, 0)},
      {"no marker: all caption", "备注", Spec("备注", "MDBSTRING", "LEFT", 0, "", 0, 0, 0)},
      {"slash inside the caption", "金额/元/NUMBER/RIGHT/011/-2",
       Spec("金额/元", "NUMBER", "RIGHT", 1, "", -2, 1, 0)},
      {"/NUMBER is tried before /STRING", "名称/STRING/LEFT/002/0/#c1/NUMBER",
       Spec("名称/STRING/LEFT/002/0/#c1", "NUMBER", "LEFT", 0, "", 0, 1, 0)},
      {"one digit sets the kind only", "数/NUMBER/RIGHT/2",
       Spec("数", "NUMBER", "RIGHT", 2, "", 0, 1, 0)},
      {"three digits: wrap, total, kind", "数/NUMBER/MID/102/3",
       Spec("数", "NUMBER", "MID", 2, "", 3, 0, 1)},
      {"of four digits the last two count", "数/NUMBER/MID/1121",
       Spec("数", "NUMBER", "MID", 1, "", 0, 2, 0)},
      {"empty parts keep defaults", "数/NUMBER///", Spec("数", "NUMBER", "LEFT", 0, "", 0, 1, 0)},
      {"the formula keeps its slashes", "单价/NUMBER/RIGHT/012/0/#c3/#c2//注",
       Spec("单价", "NUMBER", "RIGHT", 2, "#c3/#c2//注", 0, 1, 0)},
      {"other words pass as type", "率/STRINGX/RIGHT/012",
       Spec("率", "STRINGX", "RIGHT", 2, "", 0, 0, 0)},
      {"a word that is no marker stays in the caption", "率/PERCENT/RIGHT/012",
       Spec("率/PERCENT/RIGHT/012", "MDBSTRING", "LEFT", 0, "", 0, 0, 0)},
  };
  for (const SpecCase& c : cases) {
    EXPECT_EQ(CSmFormCol::ParseSpec(c.spec), c.expected) << c.name;
  }
}

TEST(FormColSpec, BuildsAndParsesBack) {
  struct BuildCase {
    const char* name;
    const char* type;
    const char* align;
    int total, kind;
    const char* expected;
    int fieldCodeAfter;
  };
  const BuildCase cases[] = {
      {"fixed number column", "NUMBER", "RIGHT", 1, 0, "金额/NUMBER/RIGHT/010/-3/x", 107},
      {"kind out of range becomes fixed", "NUMBER", "RIGHT", 1, 5, "金额/NUMBER/RIGHT/010/-3/x",
       107},
      {"a string column writes no total", "STRING", "LEFT", 1, 0, "金额/STRING/LEFT/000/-3/x", 107},
      {"empty type and alignment", "", "", 0, 0, "金额/STRING/LEFT/000/-3/x", 107},
      {"a computed column loses its field", "NUMBER", "MID", 2, 2, "金额/NUMBER/MID/022/-3/x", 100},
  };
  for (const BuildCase& c : cases) {
    CSmFormCol col;
    col.Set(107, 1010, 0, 2, "");
    col.BuildSpec("金额", c.type, c.align, 0, c.total, c.kind, -3, "x");
    EXPECT_EQ(col.sFormula, c.expected) << c.name;
    EXPECT_EQ(col.nType, c.fieldCodeAfter) << c.name;
    EXPECT_EQ(col.GetCaption(), "金额") << c.name;
  }
}

CSmFormDef ThreeShownColumns(int topRows) {
  CSmFormDef def;
  def.nTopNum = topRows;
  def.InsertCol(0, 101, 1010, 0, 0, "a/STRING");
  def.InsertCol(1, 2, 1010, 0, 0, "hidden/STRING");
  def.InsertCol(2, 103, 1010, 0, 0, "b/STRING");
  def.InsertCol(3, 100, 1010, 0, 0, "c/NUMBER");
  return def;
}

TEST(FormDefTopWords, CheckGivesEachMessage) {
  struct Block {
    int c1, r1, c2, r2;
  };
  struct Case {
    const char* name;
    std::vector<Block> blocks;
    bool ok;
    const char* message;
  };
  const Case cases[] = {
      {"two rows over three columns", {{1, 1, 3, 1}, {1, 2, 1, 2}, {2, 2, 3, 2}}, true, ""},
      {"reversed rectangle",
       {{1, 1, 3, 1}, {3, 2, 2, 2}},
       false,
       "栏头单元格定义存在不合适的矩形块\n左上角(3,2)，右下角(2,2)！"},
      {"a shared unit cell",
       {{1, 1, 3, 1}, {1, 1, 1, 2}, {2, 2, 3, 2}},
       false,
       "栏头单元格定义存在重复矩形块！"},
      {"five of six unit cells", {{1, 1, 3, 1}, {1, 2, 2, 2}}, false, "栏头单元块未定义完备！"},
  };
  for (const Case& c : cases) {
    CSmFormDef def = ThreeShownColumns(2);
    for (const Block& b : c.blocks) {
      def.m_topWords.emplace_back();
      def.m_topWords.back().Set(b.c1, b.r1, b.c2, b.r2, "字");
    }
    std::string message = "old";
    EXPECT_EQ(def.CheckTopWords(message), c.ok) << c.name;
    EXPECT_EQ(message, c.message) << c.name;
  }
}

TEST(FormDefNotes, RowCountPerSide) {
  CSmFormDef def;
  EXPECT_EQ(def.GetNoteRowCount(0, true), 0);
  def.m_headNotes.resize(3);
  def.m_headNotes[0].Set(0, 0, 510, 1, 0, "", "");
  def.m_headNotes[1].Set(0, 2, 540, 0, 0, "", "");
  def.m_headNotes[2].Set(1, 4, 0, 1, 0, "", "");
  EXPECT_EQ(def.GetNoteRowCount(0, true), 3);
  EXPECT_EQ(def.GetNoteRowCount(0, false), 1);  // the row-2 note is not printed on forms
  EXPECT_EQ(def.GetNoteRowCount(1, false), 5);
}

TEST(FormDefTitle, TabMarksPageSums) {
  CSmFormDef def;
  def.SetTitle("\t收购统计表");
  EXPECT_EQ(def.bPageSum, 1);
  EXPECT_EQ(def.sFna, "收购统计表");
  EXPECT_EQ(def.GetStoredTitle(), "\t收购统计表");
  def.SetTitle("日报");
  EXPECT_EQ(def.bPageSum, 0);
  EXPECT_EQ(def.GetStoredTitle(), "日报");
}

TEST(FormDefEquality, EveryPartCounts) {
  const CSmFormDef base = ThreeShownColumns(1);
  CSmFormDef other = base;
  EXPECT_TRUE(other == base);
  other.bPageSum = 1;
  EXPECT_FALSE(other == base);
  other = base;
  other.m_cols[2].nMore = 3;
  EXPECT_FALSE(other == base);
  other = base;
  other.m_headNotes.emplace_back();
  EXPECT_FALSE(other == base);
}

}  // namespace
