// Print fields read from their rows, lines cut by GBK bytes, and the print variables replaced.
#include <gtest/gtest.h>

#include "core/SmCsRecord.h"
#include "ui/SmPrintJob.h"

namespace {

CSmPrintField Read(const std::string& name, const std::string& value) {
  CSmCsRecord row;
  row.Set(9601, 3, name, value);
  CSmPrintField field;
  field.ReadCsRecord(row);
  return field;
}

}  // namespace

TEST(PrintLines, CutByGbkBytesWithoutSplittingACharacter) {
  struct Case {
    const char* text;
    int width;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"甘蔗款", 4, {"甘蔗", "款"}},
      {"甘蔗款", 3, {"甘", "蔗", "款"}},
      {"甘蔗款", 0, {"甘蔗款"}},
      {"甘蔗款", -2, {"甘蔗款"}},
      {"甘蔗款", 1, {"甘", "蔗", "款"}},  // a width of 1 counts as 2
      {"ab甘cd", 3, {"ab", "甘c", "d"}},
      {"abcdef", 4, {"abcd", "ef"}},
      {"", 4, {""}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SplitPrintLines(c.text, c.width), c.lines) << c.text << " " << c.width;
  }
}

TEST(PrintField, ReadFromItsRow) {
  struct Case {
    const char* value;
    int x, y, height, weight, width, underline;
    const char* face;
  };
  const Case cases[] = {
      {"300 500 14 400 0 161 宋体", 300, 500, 14, 400, 16, 1, "宋体"},
      {"300 500 20 700 1 0   黑体", 300, 500, 20, 700, 0, 0, "黑体"},
      // two numbers each followed by a blank: x and y, the rest the defaults
      {"300 500 ", 300, 500, 14, 400, 0, 0, "宋体"},
      // the last number without a blank after it is not read
      {"300 500", 300, 0, 14, 400, 0, 0, "宋体"},
      {"", 0, 0, 14, 400, 0, 0, "宋体"},
      {"300 500 14 400 0 10", 300, 500, 14, 400, 0, 0, "宋体"},
  };
  for (const Case& c : cases) {
    const CSmPrintField f = Read("农户\a(#nhh)#nhm", c.value);
    EXPECT_EQ(f.m_x, c.x) << c.value;
    EXPECT_EQ(f.m_y, c.y) << c.value;
    EXPECT_EQ(f.m_height, c.height) << c.value;
    EXPECT_EQ(f.m_weight, c.weight) << c.value;
    EXPECT_EQ(f.m_width, c.width) << c.value;
    EXPECT_EQ(f.m_underline, c.underline) << c.value;
    EXPECT_EQ(f.m_face, c.face) << c.value;
  }
  const CSmPrintField named = Read("农户\a(#nhh)#nhm", "");
  EXPECT_EQ(named.m_name, "农户");
  EXPECT_EQ(named.m_content, "(#nhh)#nhm");
  EXPECT_EQ(named.m_number, 3);
  // Without a BEL the whole text is the content.
  const CSmPrintField plain = Read("毛重：#mz", "");
  EXPECT_EQ(plain.m_name, "");
  EXPECT_EQ(plain.m_content, "毛重：#mz");
  // What is saved reads back.
  CSmPrintField saved = Read("a\ab", "10 20 16 700 1 121 黑体");
  CSmCsRecord row;
  row.Set(1, 1, "a\ab", saved.SettingsText());
  CSmPrintField again;
  again.ReadCsRecord(row);
  EXPECT_EQ(again.SettingsText(), "10 20 16 700 1 121 黑体");
}
