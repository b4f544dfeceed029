// Report summing: the settings and program kept in the note text, the program's reading and its
// runs over data files and server databases, the summing dialog and the view's command.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "designer/RiloSumProgram.h"

namespace {

// Runs the program with a runner that records each block as "key=value@line;..." and adds no
// reference; returns the error.
std::string Blocks(const std::string& program, std::vector<std::string>& blocks) {
  std::vector<std::string> refs;
  return RiloRunSumProgram(
      program,
      [&blocks](const SmRiloSumBlock& block, std::vector<std::string>&) {
        std::string text;
        for (size_t k = 0; k < 5; ++k)
          if (!block.values[k].empty() || block.lines[k])
            text += std::to_string(k) + "=" + block.values[k] + "@" +
                    std::to_string(block.lines[k]) + ";";
        blocks.push_back(text);
        return std::string();
      },
      refs);
}

}  // namespace

TEST(RiloSumNote, SettingsPrefixOnlyWhenNotTheDefaults) {
  EXPECT_EQ(RiloSumNote({0, 2, 1}, "开始"), "开始");
  EXPECT_EQ(RiloSumNote({3, 0, 1}, "开始"), "301\x1B开始");
  EXPECT_EQ(RiloSumNote({0, 2, 0}, ""), "020\x1B");

  SmRiloSumSettings settings;
  std::string program;
  RiloReadSumNote("301\x1B开始\r\n结束", settings, program);
  EXPECT_EQ(settings.scale, 3);
  EXPECT_EQ(settings.decimals, 0);
  EXPECT_EQ(settings.clear, 1);
  EXPECT_EQ(program, "开始\r\n结束");
  // The escape byte elsewhere: the program still starts after it, the settings stay default.
  RiloReadSumNote("31\x1Bxyz", settings, program);
  EXPECT_TRUE(settings.IsDefault());
  EXPECT_EQ(program, "xyz");
  RiloReadSumNote("开始 文件 tsd", settings, program);
  EXPECT_TRUE(settings.IsDefault());
  EXPECT_EQ(program, "开始 文件 tsd");
}

TEST(RiloSumProgram, TemplateNamesTheTypeCodeAndReadsAsOneEmptyBlock) {
  const std::string program = RiloSumProgramTemplate("tsd");
  EXPECT_EQ(program.substr(0, program.find("//")), "开始\r\n  文件 tsd ");
  std::vector<std::string> blocks;
  EXPECT_EQ(Blocks(program, blocks), "");
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_EQ(blocks[0], "0=TSD@2;1=@3;2=@4;3=@5;4=@6;");
}

TEST(RiloSumProgram, ValuesRunOverLinesAndCommentsAreSkipped) {
  std::vector<std::string> blocks;
  const std::string program =
      "/* 两个\r块 */开始 年度 2014:\r\n  2016 // 年份\n\t母表号 9:10 子表号 a\\#xh;.\n结束\r"
      "开始 文件 abc 结束\n账套 d:/x";  // a key outside a block, and an unclosed block: dropped
  EXPECT_EQ(Blocks(program, blocks), "");
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[0], "2=2014:2016@2;3=9:10@4;4=A\\#XH;.@4;");
  EXPECT_EQ(blocks[1], "0=ABC@6;");
}

TEST(RiloSumProgram, ErrorsGiveTheLineAndKeepTheReferencesFound) {
  struct Case {
    const char* program;
    const char* error;
    size_t refs;
  } const cases[] = {
      {"开始 结束\r\n\r\nx", "第3行错误：\n\n无先导词！", 1},
      {"开始 结束\n\n结束", "第3行错误：\n\n“结束”无“开始”配对！", 1},
      {"开始\n/* 注释\n*/ 开始", "第3行错误：\n\n“开始”无“”配对！", 0},
  };
  for (const Case& c : cases) {
    std::vector<std::string> refs;
    const std::string error = RiloRunSumProgram(
        c.program,
        [](const SmRiloSumBlock&, std::vector<std::string>& found) {
          found.push_back("甲\\1\\a");
          found.push_back("甲\\1\\A");  // the same without regard to case
          return std::string();
        },
        refs);
    EXPECT_EQ(error, c.error) << c.program;
    EXPECT_EQ(refs.size(), c.refs) << c.program;
  }
  // A block's own error ends the run too.
  std::vector<std::string> refs;
  EXPECT_EQ(RiloRunSumProgram(
                "开始 结束 开始 结束",
                [](const SmRiloSumBlock&, std::vector<std::string>& found) {
                  found.push_back("x");
                  return found.size() > 1 ? std::string("停") : std::string();
                },
                refs),
            "停");
  EXPECT_EQ(refs.size(), 1u);  // "x" twice is one reference
}

TEST(RiloSumProgram, ChildPatternsAndTheSourceList) {
  EXPECT_EQ(RiloSumChildPattern(" . ", "1\\02"), "1\\02");
  EXPECT_EQ(RiloSumChildPattern("9\\#XH%", "1\\02"), "9\\02%");
  EXPECT_EQ(RiloSumChildPattern("#XH", "7"), "7");
  // A line keeps the blanks before its end; the last line is trimmed with the text.
  const std::vector<std::string> expected = {"a.BSJ", "b b ", "c"};
  EXPECT_EQ(RiloSplitSumList("\r\n  a.BSJ\r\n\r\n\tb b \rA.bsj\n c \n"), expected);
  EXPECT_TRUE(RiloSplitSumList(" \r\n\t").empty());
}
