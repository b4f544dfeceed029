// The report sheet in memory: a new sheet, copies that leave the variables alone, text blocks
// applied and undone, differences between two sheets and the comparisons.
#include <gtest/gtest.h>

#include "designer/RiloData.h"

namespace {

// A sheet of the given size whose cell texts are "<column><row>" (A1, B1 ...).
CRiloData Grid(int cols, int rows) {
  CRiloData s;
  s.m_cols = cols;
  s.m_rows = rows;
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < cols; ++c)
      s.m_texts.push_back(std::string(1, 'A' + c) + std::to_string(r + 1));
  }
  return s;
}

TEST(RiloData, NewSheetDefaults) {
  const CRiloData s;
  EXPECT_EQ(s.m_lineStyles, (std::vector<SmIntPair>{{1, 1}}));
  EXPECT_EQ(s.m_lineColors, (std::vector<SmIntPair>{{0xC0C0C0, 0xC0C0C0}}));
  EXPECT_TRUE(s.m_texts.empty());
  EXPECT_EQ(s.m_rows + s.m_cols, 0);
  EXPECT_EQ(s.m_margins, (SmIntRect{200, 250, 200, 200}));
  EXPECT_EQ(s.m_paper, (SmIntPair{2100, 2970}));
  EXPECT_EQ(s.m_screenFactor, 100);
  EXPECT_EQ(s.m_printFactor, 100);
  EXPECT_EQ(s.m_titleArea, (SmIntRect{1, 2, 1, 1}));
  EXPECT_EQ(s.m_version, "Rilo-> 1.0");
  EXPECT_EQ(s.m_vars.GetSize(), 0);
  EXPECT_EQ(s.m_vars.m_nSoft, 3);
}

TEST(RiloData, AssignmentCopiesEverythingButTheVariables) {
  CRiloData source = Grid(2, 2);
  source.m_reportName = "资产负债表";
  source.m_rowBreaks = {0};
  source.m_vars.Add(CSmVar("#s", "1", SM_VAR_NUMBER, ""));
  CRiloData target;
  target.m_vars.Add(CSmVar("#t", "2", SM_VAR_NUMBER, ""));
  target = source;
  EXPECT_TRUE(target.IsHeaderEqual(source));
  EXPECT_TRUE(target.IsTextsEqual(source));
  EXPECT_TRUE(target.IsBreaksEqual(source));
  ASSERT_EQ(target.m_vars.GetSize(), 1);
  EXPECT_EQ(target.m_vars.GetAt(0).m_name, "#t");
  source.m_texts[0] = "changed";
  EXPECT_EQ(target.m_texts[0], "A1");
}

TEST(RiloData, ApplyTextBlockAndItsUndo) {
  struct Case {
    const char* what;
    std::string block;
    int column;
    int row;
    std::string previous;  // the block returned
    std::vector<std::string> after;
  };
  const Case cases[] = {
      {"one cell", "x\n", 1, 1, "B2\n", {"A1", "B1", "C1", "A2", "x", "C2"}},
      {"a 2x2 block", "p\tq\nr\ts\n", 0, 0, "A1\tB1\nA2\tB2\n", {"p", "q", "C1", "r", "s", "C2"}},
      {"0x03 keeps its cell", "\x03\tq\n", 0, 1, "\x03\tB2\n", {"A1", "B1", "C1", "A2", "q", "C2"}},
      {"the same text gives 0x03",
       "A1\tz\n",
       0,
       0,
       "\x03\tB1\n",
       {"A1", "z", "C1", "A2", "B2", "C2"}},
      {"cut at the right and the bottom",
       "1\t2\t3\n4\t5\t6\n",
       1,
       1,
       "B2\tC2\n",
       {"A1", "B1", "C1", "A2", "1", "2"}},
      {"outside the sheet", "x\n", 3, 0, "", {"A1", "B1", "C1", "A2", "B2", "C2"}},
      {"empty block", "", 0, 0, "", {"A1", "B1", "C1", "A2", "B2", "C2"}},
      {"negative start", "x\n", -1, 0, "", {"A1", "B1", "C1", "A2", "B2", "C2"}},
      {"control bytes kept",
       "\x1bO2\x1c\x01sum()\n",
       2,
       0,
       "C1\n",
       {"A1", "B1", "\x1bO2\x1c\x01sum()", "A2", "B2", "C2"}},
  };
  for (const Case& c : cases) {
    CRiloData sheet = Grid(3, 2);
    EXPECT_EQ(sheet.ApplyTextBlock(c.block, c.column, c.row), c.previous) << c.what;
    EXPECT_EQ(sheet.m_texts, c.after) << c.what;
    sheet.ApplyTextBlock(c.previous, c.column, c.row);
    EXPECT_TRUE(sheet.IsTextsEqual(Grid(3, 2))) << c.what;
  }
}

TEST(RiloData, DiffTextOverTheCommonArea) {
  struct Case {
    const char* what;
    CRiloData other;
    std::string diff;
    SmIntRect rect;
  };
  const auto edited = [](int cols, int rows, std::vector<std::pair<int, std::string>> cells) {
    CRiloData s = Grid(cols, rows);
    for (auto& [index, text] : cells) s.m_texts[static_cast<size_t>(index)] = text;
    return s;
  };
  const Case cases[] = {
      {"identical", Grid(3, 2), "", {2, 1, 0, 0}},
      {"one cell", edited(3, 2, {{4, "x"}}), "x\n", {1, 1, 1, 1}},
      {"two corners",
       edited(3, 2, {{0, "p"}, {5, "q"}}),
       "p\t\x03\t\x03\n\x03\t\x03\tq\n",
       {0, 0, 2, 1}},
      {"larger sheet: only the common area",
       edited(4, 3, {{1, "b"}, {3, "outside"}, {8, "out"}}),
       "b\n",
       {1, 0, 1, 0}},
      {"smaller sheet", edited(2, 1, {{0, "a"}}), "a\n", {0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SmIntRect rect{-9, -9, -9, -9};
    const CRiloData mine = Grid(3, 2);
    EXPECT_EQ(mine.DiffText(c.other, rect), c.diff) << c.what;
    if (!c.diff.empty()) {
      EXPECT_EQ(rect, c.rect) << c.what;
      // The block of differences, applied at its corner, makes the texts the other sheet's.
      CRiloData applied = mine;
      applied.ApplyTextBlock(c.diff, rect.left, rect.top);
      SmIntRect none;
      EXPECT_EQ(applied.DiffText(c.other, none), "") << c.what;
    }
  }
  SmIntRect rect;
  EXPECT_EQ(CRiloData().DiffText(Grid(2, 2), rect), "");
}

TEST(RiloData, EachComparisonSeesItsOwnPart) {
  struct Case {
    const char* what;
    void (*change)(CRiloData&);
    int unequal;  // index of the one comparison that must find the change
  };
  const Case cases[] = {
      {"read password", [](CRiloData& s) { s.m_readPassword = "r"; }, 0},
      {"report name", [](CRiloData& s) { s.m_reportName = "表"; }, 0},
      {"landscape", [](CRiloData& s) { s.m_pageFlags = 2; }, 1},
      {"title area", [](CRiloData& s) { s.m_titleArea.bottom = 0; }, 1},
      {"row break", [](CRiloData& s) { s.m_rowBreaks.push_back(1); }, 2},
      {"column width", [](CRiloData& s) { s.m_colWidths[1] = 1; }, 3},
      {"line colour", [](CRiloData& s) { s.m_lineColors[3].second = 5; }, 4},
      {"number format",
       [](CRiloData& s) {
         s.m_numberFormats[0] = {-1, 0};
       },
       4},
      {"note text", [](CRiloData& s) { s.m_noteText = "汇总"; }, 4},
      {"cell text", [](CRiloData& s) { s.m_texts[2] = "A1\x01"; }, 5},
      {"variable note", [](CRiloData& s) { s.m_vars.SetAt(0, CSmVar("#a", "1", 4, "注")); }, 6},
  };
  const auto base = [] {
    CRiloData s = Grid(2, 2);
    s.m_colWidths = {300, 300};
    s.m_rowHeights = {70, 70};
    s.m_lineStyles.assign(9, {1, 1});
    s.m_lineColors.assign(9, {0, 0});
    s.m_numberFormats.assign(4, {2, 2});
    s.m_vars.Add(CSmVar("#a", "1", 4, ""));
    return s;
  };
  for (const Case& c : cases) {
    const CRiloData a = base();
    CRiloData b = base();
    b.m_vars = a.m_vars;
    c.change(b);
    const bool equal[] = {a.IsHeaderEqual(b), a.IsPageEqual(b),    a.IsBreaksEqual(b),
                          a.IsSizesEqual(b),  a.IsFormatsEqual(b), a.IsTextsEqual(b),
                          a.IsVarsEqual(b)};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(equal[i], i != c.unequal) << c.what << " " << i;
  }
}

}  // namespace
