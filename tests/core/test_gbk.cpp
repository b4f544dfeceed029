#include <gtest/gtest.h>

#include <cstdio>

#include "core/SmGbk.h"

TEST(Gbk, SizesCountChineseAsTwoBytes) {
  EXPECT_EQ(GbkSize(""), 0u);
  EXPECT_EQ(GbkSize("abc"), 3u);
  EXPECT_EQ(GbkSize("张三"), 4u);
  EXPECT_EQ(GbkSize("A张"), 3u);
  EXPECT_EQ(GbkSize("，"), 2u);  // full-width comma
}

TEST(Gbk, CutNeverSplitsACharacter) {
  struct Case {
    const char* text;
    size_t width;
    const char* expected;
  } cases[] = {
      {"张三李四", 3, "张"},     {"张三李四", 4, "张三"}, {"a张三", 2, "a"},
      {"a张三", 3, "a张"},       {"abc", 10, "abc"},      {"张", 0, ""},
      {"张三李四", 7, "张三李"},
  };
  for (const Case& c : cases) EXPECT_EQ(GbkCut(c.text, c.width), c.expected) << c.text << c.width;
}

TEST(Gbk, MidTakesWholeCharactersByBytePosition) {
  EXPECT_EQ(GbkMid("ab张三cd", 2, 4), "张三");
  EXPECT_EQ(GbkMid("ab张三cd", 2, 3), "张");
  EXPECT_EQ(GbkMid("ab张三cd", 3, 4), "三c");  // a start inside 张 skips it
  EXPECT_EQ(GbkMid("ab张三cd", 6), "cd");
}

TEST(Gbk, ConvertsToAndFromTheCodePage) {
  std::string gbk;
  ASSERT_TRUE(Utf8ToGbk("甘蔗A", gbk));
  EXPECT_EQ(gbk,
            "\xB8\xCA\xD5\xE1"
            "A");
  std::string back;
  ASSERT_TRUE(GbkToUtf8(gbk, back));
  EXPECT_EQ(back, "甘蔗A");
  EXPECT_FALSE(GbkToUtf8("\xB8", back));  // half a character
}

TEST(Locale, NumbersAlwaysUseAPoint) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2lf", 1.5);
  EXPECT_STREQ(buf, "1.50");
}

TEST(Gbk, ComparesInCodePageOrder) {
  EXPECT_LT(GbkCompare("abc", "abd"), 0);
  EXPECT_EQ(GbkCompare("甘蔗", "甘蔗"), 0);
  // 啊 (B0A1) sorts before 一 (D2BB) in the code page although its code point is higher.
  EXPECT_LT(GbkCompare("啊", "一"), 0);
  EXPECT_LT(GbkCompare("z", "甘"), 0);
}

TEST(Gbk, WellFormedUtf8OnlyIsUtf8) {
  const std::pair<std::string, bool> cases[] = {
      {"", true},
      {"abc", true},
      {"甘蔗𠀀\xC2\x80\xF4\x8F\xBF\xBF", true},  // up to U+10FFFF
      {"\xD6\xD0\xCE\xC4", false},               // 中文 in GBK
      {"\xE4\xB8", false},                       // cut short
      {"\xC1\xBF", false},                       // overlong
      {"\xE0\x9F\xBF", false},                   // overlong
      {"\xF0\x8F\xBF\xBF", false},               // overlong
      {"\xED\xA0\x80", false},                   // a surrogate
      {"\xF4\x90\x80\x80", false},               // past U+10FFFF
      {"\xF8\x88\x80\x80\x80", false},           // five bytes
      {"\x80", false},                           // a lone continuation
  };
  for (const auto& [bytes, valid] : cases) EXPECT_EQ(IsValidUtf8(bytes), valid) << bytes;
}

// The code page has the euro sign in the single byte 0x80, where GB18030 has none: it reads as
// the sign wherever it stands, and every other byte that starts no character still fails.
TEST(Gbk, TheByte80ReadsAsTheEuroSign) {
  const std::pair<std::string, const char*> cases[] = {
      {"\x80", "€"},                      // alone
      {"12\x80", "12€"},                  // at the end
      {"\x80\x80\x80", "€€€"},            // again and again
      {"\xB8\xCA\x80\xD5\xE1", "甘€蔗"},  // between characters
      {"\x81\x80", "亐"},     // as the second byte of a character it is that character's
      {"\xA2\xE3", "€"},      // the sign as GB18030 writes it
      {"a\xFF", nullptr},     // a byte that starts no character
      {"\x80\xB8", nullptr},  // half a character after the sign
  };
  for (const auto& [bytes, expected] : cases) {
    std::string utf8;
    EXPECT_EQ(GbkToUtf8(bytes, utf8), expected != nullptr) << bytes;
    if (expected) {
      EXPECT_EQ(utf8, expected) << bytes;
    }
  }
  // The sign written reads back as itself.
  std::string gbk;
  std::string back;
  ASSERT_TRUE(Utf8ToGbk("价格€12", gbk));
  ASSERT_TRUE(GbkToUtf8(gbk, back));
  EXPECT_EQ(back, "价格€12");
}
