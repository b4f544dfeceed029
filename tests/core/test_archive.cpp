// The archive stream: little-endian items, the three text prefixes, and reads that refuse to
// run past the end.
#include <gtest/gtest.h>

#include <QBuffer>
#include <functional>
#include <string>

#include "core/SmArchive.h"

namespace {

std::string Written(const std::function<void(CSmArchiveWriter&)>& write) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  {
    CSmArchiveWriter out(buffer);
    write(out);
  }
  return buffer.data().toStdString();
}

TEST(Archive, ItemsAreLittleEndianAndTextsCarryTheirPrefix) {
  const std::string bytes = Written([](CSmArchiveWriter& out) {
    out.WriteInt(2016);
    out.WriteInt(-1);
    out.WriteDouble(1.5);
    out.WriteText("甘蔗A");
  });
  EXPECT_EQ(bytes, std::string("\xE0\x07\x00\x00"
                               "\xFF\xFF\xFF\xFF"
                               "\x00\x00\x00\x00\x00\x00\xF8\x3F"
                               "\x05\xB8\xCA\xD5\xE1\x41",
                               4 + 4 + 8 + 6));
}

TEST(Archive, TextPrefixesAtTheirLimits) {
  struct Case {
    size_t length;
    std::string prefix;
  };
  const Case cases[] = {
      {0, std::string("\x00", 1)},
      {254, "\xFE"},
      {255, std::string("\xFF\xFF\x00", 3)},
      {65533, "\xFF\xFD\xFF"},
      {65534, std::string("\xFF\xFF\xFF\xFE\xFF\x00\x00", 7)},
      {70000, std::string("\xFF\xFF\xFF\x70\x11\x01\x00", 7)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    const std::string text(c.length, 'x');
    const std::string bytes = Written([&](CSmArchiveWriter& out) { out.WriteText(text); });
    EXPECT_EQ(bytes.substr(0, c.prefix.size()), c.prefix);
    EXPECT_EQ(bytes.size(), c.prefix.size() + c.length);
    CSmArchiveReader in(bytes);
    std::string back;
    ASSERT_TRUE(in.ReadText(back));
    EXPECT_EQ(back, text);
    EXPECT_EQ(in.Left(), 0u);
  }
}

TEST(Archive, ReadsStopAtTheEnd) {
  const std::string bytes = Written([](CSmArchiveWriter& out) {
    out.WriteInt(7);
    out.WriteText("abc");
  });
  // Cut at every point: the reads that reach past the end fail, and so does every later one.
  for (size_t cut = 0; cut < bytes.size(); ++cut) {
    SCOPED_TRACE(cut);
    CSmArchiveReader in(std::string_view(bytes).substr(0, cut));
    int32_t value = 0;
    std::string text;
    const bool whole = in.ReadInt(value) && in.ReadText(text);
    EXPECT_FALSE(whole);
    EXPECT_FALSE(in.Ok());
  }
  // A length that claims more than is left.
  const std::string claims(
      "\xFF\xFF\xFF\xFF\xFF\xFF\x7F"
      "abc",
      10);
  CSmArchiveReader in(claims);
  std::string text;
  EXPECT_FALSE(in.ReadText(text));
  const std::string eight(8, 'x'), twelve(12, 'x');
  EXPECT_FALSE(CSmArchiveReader(eight).CanHold(3, 4));
  EXPECT_TRUE(CSmArchiveReader(twelve).CanHold(3, 4));
  EXPECT_FALSE(CSmArchiveReader(twelve).CanHold(-1, 4));
}

}  // namespace
