#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "core/SmTextFile.h"
#include "tests/common/SmTestMain.h"

namespace {

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string PathOf(const char* name) {
  return SmTestHome() + "/" + name;
}

const unsigned kWriteNew = CSmTextFile::modeCreate | CSmTextFile::modeWrite | CSmTextFile::typeText;

}  // namespace

TEST(TextFile, Utf16RoundTripWithByteOrderMark) {
  const std::string path = PathOf("u16.txt");
  {
    CSmTextFile f;
    ASSERT_TRUE(f.Open(path, kWriteNew, true));
    f.WriteString("a\rb\nc\r\n", true);
    f.WriteString("甘蔗\r\n");
  }
  const std::string raw = Bytes(path);
  ASSERT_GE(raw.size(), 2u);
  EXPECT_EQ(raw.substr(0, 2), "\xFF\xFE");
  EXPECT_EQ(raw.substr(2, 6), std::string("a\0\r\0\n\0", 6));
  CSmTextFile f;
  ASSERT_TRUE(f.Open(path, CSmTextFile::modeRead | CSmTextFile::typeText));
  EXPECT_TRUE(f.ReadUnicode());
  std::string line;
  ASSERT_TRUE(f.ReadString(line));
  EXPECT_EQ(line, "a");
  EXPECT_EQ(f.ReadAll(), "b\nc\n甘蔗\n");
  EXPECT_FALSE(f.ReadString(line));
}

TEST(TextFile, EmptyUtf16FileHoldsOnlyTheMark) {
  const std::string path = PathOf("empty16.txt");
  {
    CSmTextFile f;
    ASSERT_TRUE(f.Open(path, kWriteNew, true));
  }
  EXPECT_EQ(Bytes(path), "\xFF\xFE");
}

TEST(TextFile, AnsiFileIsGbkWithCrLf) {
  const std::string path = PathOf("ansi.txt");
  {
    CSmTextFile f;
    ASSERT_TRUE(f.Open(path, kWriteNew));
    f.WriteString("甘蔗\n1\r2\n", true);
  }
  EXPECT_EQ(Bytes(path), "\xB8\xCA\xD5\xE1\r\n1\r\n2\r\n");
  CSmTextFile f;
  ASSERT_TRUE(f.Open(path, CSmTextFile::modeRead | CSmTextFile::typeText));
  EXPECT_FALSE(f.ReadUnicode());
  EXPECT_EQ(f.ReadAll(), "甘蔗\n1\n2\n");
}

TEST(TextFile, Utf16WithoutMarkReadsAsAnsiBytes) {
  const std::string path = PathOf("nomark.txt");
  { std::ofstream(path, std::ios::binary) << std::string("a\0b\0", 4); }
  CSmTextFile f;
  ASSERT_TRUE(f.Open(path, CSmTextFile::modeRead | CSmTextFile::typeText));
  EXPECT_FALSE(f.ReadUnicode());
  std::string line;
  ASSERT_TRUE(f.ReadString(line));
  EXPECT_EQ(line, std::string("a\0b\0", 4));
}

TEST(TextFile, OpenFailureGivesReason) {
  CSmTextFile f;
  std::string error;
  EXPECT_FALSE(f.Open(PathOf("missing/x.txt"), CSmTextFile::modeRead, false, &error));
  EXPECT_FALSE(error.empty());
}

TEST(TextFile, BadGbkByteSpoilsOnlyItself) {
  const std::string path = PathOf("badgbk.txt");
  // 甘, a lead byte before a byte that ends no character, 蔗, a byte that starts none.
  {
    std::ofstream(path, std::ios::binary) << "\xB8\xCA\x81,\xD5\xE1\xFF"
                                             "b\r\nok\r\n";
  }
  CSmTextFile f;
  ASSERT_TRUE(f.Open(path, CSmTextFile::modeRead | CSmTextFile::typeText));
  EXPECT_EQ(f.ReadAll(), "甘?,蔗?b\nok\n");
}

// A line of a UTF-16 file that starts with U+FFFE or U+FEFF is read unit by unit like any other:
// U+FFFE once turned the rest of its line round, and a "\n" came out inside the line.
TEST(TextFile, Utf16LineStartingWithAMarkIsNotTurnedRound) {
  const std::string path = PathOf("marks.txt");
  {
    std::ofstream(path, std::ios::binary) << std::string(
        "\xFF\xFE"
        "\xFE\xFF"
        "\x00\x0A"
        "a\0\r\0\n\0"
        "\xFF\xFE"
        "b\0\n\0",
        18);
  }
  CSmTextFile f;
  ASSERT_TRUE(f.Open(path, CSmTextFile::modeRead | CSmTextFile::typeText));
  std::string line;
  ASSERT_TRUE(f.ReadString(line));
  EXPECT_EQ(line, "\uFFFE\u0A00a");
  ASSERT_TRUE(f.ReadString(line));
  EXPECT_EQ(line, "\uFEFFb");
  EXPECT_FALSE(f.ReadString(line));
}

TEST(TextFile, LongUtf16LineNeverSplitsASurrogatePair) {
  const std::string path = PathOf("pairs.txt");
  // 𠀀 (U+20000) is a surrogate pair; one starts at the last unit a line part takes.
  std::string raw = "\xFF\xFE";
  for (int i = 0; i < 4094; ++i) raw += std::string("x\0", 2);
  for (int i = 0; i < 2; ++i) raw += std::string("\x40\xD8\x00\xDC", 4);
  raw += std::string("\n\0", 2);
  { std::ofstream(path, std::ios::binary) << raw; }
  CSmTextFile f;
  ASSERT_TRUE(f.Open(path, CSmTextFile::modeRead | CSmTextFile::typeText));
  std::string all = f.ReadAll();
  EXPECT_EQ(all, std::string(4094, 'x') + "𠀀\n𠀀\n");
}

// Files made by other programs: a UTF-8 mark, or bytes that are UTF-8 and not plain ASCII, read
// as UTF-8; everything else as GBK.
TEST(TextFile, Utf8FilesAreToldFromGbkByMarkOrBytes) {
  const struct {
    const char* name;
    std::string bytes;
    bool utf8;
    std::string text;
  } cases[] = {
      {"utf-8 with its mark", "\xEF\xBB\xBF\xE4\xB8\xAD\xE6\x96\x87\r\n\xE7\x94\x98", true,
       "中文\n甘\n"},
      {"utf-8 without a mark", "a\n\xE4\xB8\xAD\xE6\x96\x87\r\n", true, "a\n中文\n"},
      {"gbk", "\xD6\xD0\xCE\xC4\r\n", false, "中文\n"},
      {"plain ascii", "Select 1\r\n", false, "Select 1\n"},
      // One line of UTF-8 and one of GBK: not UTF-8 as a whole, so all of it is GBK.
      {"utf-8 and gbk mixed", "\xE7\x94\x98\xE8\x94\x97\n\xB8\xCA\xD5\xE1\n", false,
       "鐢樿敆\n甘蔗\n"},
      // Only the mark calls it UTF-8: each byte that starts no character becomes "?".
      {"bad bytes behind the mark",
       "\xEF\xBB\xBF"
       "a\xFF\xE4\xB8\xAD\xE4\xB8\n",
       true, "a?中??\n"},
      {"the mark alone", "\xEF\xBB\xBF", true, ""},
      {"the mark and an empty line", "\xEF\xBB\xBF\r\n", true, "\n"},
      // The bytes are checked in pieces of 64 KiB after the first three.
      {"a character across two pieces", std::string(65538, 'a') + "\xE4\xB8\xAD\n", true,
       std::string(65538, 'a') + "中\n"},
      {"a character cut by the end", "ab\xE4\xB8", false, "ab涓\n"},
      {"an overlong form is not utf-8", "\xC0\xAF\n", false, "蜡\n"},
      // As GBK: ED A0 a character, 80 the code page's euro sign.
      {"a surrogate is not utf-8", "\xED\xA0\x80\n", false, "頎€\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = PathOf("encoding.txt");
    { std::ofstream(path, std::ios::binary | std::ios::trunc) << c.bytes; }
    CSmTextFile f;
    ASSERT_TRUE(f.Open(path, CSmTextFile::modeRead));
    EXPECT_EQ(f.ReadUtf8(), c.utf8);
    EXPECT_FALSE(f.ReadUnicode());
    EXPECT_EQ(f.ReadAll(), c.text);
  }
}
