#include <gtest/gtest.h>

#include "core/SmGbk.h"
#include "core/SmString.h"

TEST(String, FormatReplaceUpper) {
  EXPECT_EQ(FormatStr("%s-%05.1lf-%d", "甘蔗", 3.14159, 7), "甘蔗-003.1-7");
  EXPECT_EQ(FormatStr("%s", std::string(5000, 'x').c_str()).size(), 5000u);
  EXPECT_EQ(ReplaceAll("aaa", "a", "aa"), "aaaaaa");  // the replacement is not searched again
  EXPECT_EQ(ReplaceAll("甘蔗,甘蔗", "甘蔗", "蔗"), "蔗,蔗");
  EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
  EXPECT_EQ(MakeUpperCopy("abc张z"), "ABC张Z");
}

TEST(String, TrimRightSetTakesTheSetInOrder) {
  struct Case {
    const char* text;
    const char* set;
    const char* expected;
  } cases[] = {
      {"a\\/", "/\\", "a"},   // backslash then slash: both go
      {"a/\\", "/\\", "a/"},  // slash then backslash: only the backslash
      {"", "/\\", ""},         {"///", "/", ""},
      {"x  \t", " \t", "x  "},  // a character earlier in the set is not looked at again
  };
  for (const Case& c : cases) EXPECT_EQ(TrimRightSet(c.text, c.set), c.expected) << c.text;
  EXPECT_EQ(TrimChars("\r\n 甘蔗 \t"), "甘蔗");
  EXPECT_EQ(TrimChars("   "), "");
}

TEST(String, SplitTextEvenlyKeepsCharactersWhole) {
  struct Case {
    int width;
    const char* text;
    const char* expected;
  } cases[] = {
      {6, "abcdefghij", "abcde\\fghij"},
      {3, "abcdefghij", "ab\\cd\\ef\\gh\\ij"},
      {0, "abcdefghij", "abcdefghij"},
      {5, "甘蔗收购统计", "甘蔗\\收购\\统计"},
      {3, "甘蔗收购统", "甘\\蔗\\收\\购\\统"},
      {2, "a甘蔗", "a\\甘\\蔗"},  // one byte over where a character would be cut
      {7, "净重(吨)", "净重\\(吨)"},
      {8, "净重(吨)", "净重(吨)"},
      {1, "", ""},
      {0, "", ""},  // an empty text with a zero width: nothing to divide
  };
  for (const Case& c : cases) {
    std::vector<std::string> pieces;
    EXPECT_EQ(SplitTextEvenly(c.width, c.text, &pieces), c.expected) << c.text << c.width;
    if (c.width < 1) continue;
    for (const std::string& piece : pieces) EXPECT_LE(GbkSize(piece), size_t(c.width) + 1);
  }
}

TEST(String, PinyinInitialsOfBothLevels) {
  struct Case {
    const char* text;
    const char* expected;
  } cases[] = {
      {"张三", "ZS"},
      {"A1甘蔗b-2", "A1GZb-2"},
      {"啊座", "AZ"},                          // first and last level-1 characters
      {"亍丌兀丐廿卅丕亘丞鬲", "CJWGNSPGCG"},  // first level-2 characters
      {"齄", "Z"},                             // last level-2 character
      {"葩丨丶禺", "PGZY"},                    // customary readings pā, gǔn, zhǔ, yú
      {"农户，甘蔗", "NHGZ"},                  // the full-width comma gives nothing
      {"（１）", ""},                          // full-width punctuation and digits
      {"們😀x", "x"},                           // outside GB2312
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(PinyinInitials(c.text), c.expected) << c.text;
}

TEST(String, CharacterClasses) {
  struct Case {
    const char* cls;
    const char* ch;
    bool expected;
  } cases[] = {
      {"NOTHING", "张", true},   {"UPPERCHAR", "A", true},   {"UPPERCHAR", "a", false},
      {"LOWERCHAR", "z", true},  {"SPACE", "\t", true},      {"DIGIT", "7", true},
      {"DIGIT", "x", false},     {"ASCII", "~", true},       {"ASCII", "张", false},
      {"CHAR_DIGIT", "5", true}, {"CHAR_DIGIT", "_", false}, {"CHAR", "q", true},
      {"CHAR", "5", false},      {"+-.", "-", true},         {"+-.", "x", false},
      {"甘蔗", "蔗", true},      {"DIGIT甘", "甘", true},    {"DIGIT", "甘", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsCharOfClass(c.cls, c.ch), c.expected) << c.cls << c.ch;

  EXPECT_EQ(MatchCharClass("DIGIT", "123"), 1);
  EXPECT_EQ(MatchCharClass("DIGIT", ""), 1);
  EXPECT_EQ(MatchCharClass("DIGIT", "ab张"), -1);
  EXPECT_EQ(MatchCharClass("DIGIT", "1a"), 0);
  EXPECT_EQ(MatchCharClass("甘蔗", "甘蔗"), 1);
}

TEST(String, FieldsWithQuotes) {
  const char* text = "a,\"b,c\",d";
  EXPECT_EQ(CountChar(text, ',', '"'), 3);
  EXPECT_EQ(CountChar(text, ',', 0), 4);
  EXPECT_EQ(GetNthField(text, 1, ',', '"'), "\"b,c\"");
  EXPECT_EQ(GetNthField(text, 2, ',', '"'), "d");
  EXPECT_EQ(GetNthField(text, 3, ',', '"'), "");
  EXPECT_EQ(GetNthField("甘\x01蔗", 1, '\x01'), "蔗");
  EXPECT_EQ(LeftOfBlank("abc def"), "abc");
  EXPECT_EQ(LeftOfBlank("abc"), "abc");
  EXPECT_EQ(LeftOfLast("a.b.c", '.'), "a.b");
  EXPECT_EQ(LeftOfLast("abc", '.'), "");
  EXPECT_TRUE(IsOneOf(3, {1, 2, 3}));
  EXPECT_FALSE(IsOneOfText("c", {"a", "b"}));
  EXPECT_EQ(ChooseText(2, {"一", "二"}), "二");
  EXPECT_EQ(ChooseText(0, {"一", "二"}), "");
  EXPECT_EQ(ChooseText(3, {"一", "二"}), "");
  EXPECT_TRUE(IsAllDigits(""));
  EXPECT_FALSE(IsAllAlpha("ab1"));

  std::string text2 = "  a b  ";
  EXPECT_FALSE(TrimAndTestEmpty(text2, 3));
  EXPECT_EQ(text2, "ab");
  text2 = " \t ";
  EXPECT_TRUE(TrimAndTestEmpty(text2, 1));
  EXPECT_EQ(text2, "");
}

TEST(String, DoubleByteTextIsNeverSplit) {
  // A text of Chinese characters cut to an odd width never ends in half a character.
  const std::string text = "甘蔗收购";
  for (size_t width = 1; width <= 9; width += 2) {
    const std::string cut = GbkCut(text, width);
    EXPECT_EQ(GbkSize(cut), width - 1);
    EXPECT_EQ(TrimBrokenDbcs(cut), cut);
  }
  EXPECT_EQ(TrimBrokenDbcs(text.substr(0, 4)), "甘");  // a broken UTF-8 tail is dropped
  EXPECT_EQ(TrimBrokenDbcs("ab"), "ab");
  EXPECT_EQ(GetDbcsByteKind("a甘b", 0), 0);
  EXPECT_EQ(GetDbcsByteKind("a甘b", 1), 1);
  EXPECT_EQ(GetDbcsByteKind("a甘b", 2), 2);
  EXPECT_EQ(GetDbcsByteKind("a甘b", 3), 0);
  EXPECT_EQ(GetDbcsByteKind("a甘b", 4), -1);
  EXPECT_EQ(GetDbcsByteKind("a甘b", -1), -1);
}

TEST(String, StringArrayAndGrid) {
  CSmStringArray a{"x", "y"};
  CSmStringArray b = a;
  a.ClearTexts();
  EXPECT_EQ(a.size(), 2u);
  EXPECT_EQ(a[0], "");
  EXPECT_EQ(b[1], "y");

  int rows = 0, columns = 0;
  GetTextGridSize("a\tb\r\nc\td\r\n", rows, columns);
  EXPECT_EQ(rows, 2);
  EXPECT_EQ(columns, 2);
  GetTextGridSize("a\tb\nc\td", rows, columns);  // the last line without its end counts
  EXPECT_EQ(rows, 2);
  GetTextGridSize("", rows, columns);
  EXPECT_EQ(rows, 1);
  EXPECT_EQ(columns, 1);
  EXPECT_EQ(GetTextGridCell("a\tb\r\nc\td\r\n", 1, 1), "d");
  EXPECT_EQ(GetTextGridCell("a\tb\rc\td", 1, 0), "c");
  EXPECT_EQ(GetTextGridCell("a\tb", 3, 0), "");
  // The grid split once reads every cell as the one-cell reader does.
  for (const char* text : {"a\tb\r\nc\td\r\n", "a\tb\rc\td", "a\tb", "\n\r\t\n", ""}) {
    const auto grid = SplitTextGrid(text);
    for (int row = -1; row < 4; ++row) {
      for (int column = -1; column < 3; ++column) {
        EXPECT_EQ(SmTextGridCell(grid, row, column), GetTextGridCell(text, row, column))
            << text << " " << row << " " << column;
      }
    }
  }
}
