// The indicator frames: cutting the byte stream into frames and decoding each by its model.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "weighing/SmFrameDecoder.h"

namespace {

using Texts = std::vector<std::string>;

struct StreamCase {
  const char* name;
  int mode;
  std::string bytes;
  Texts shown;  // every text shown, in order; the last one remains
};

const std::string kStx = "\x02";

const std::vector<StreamCase> kStreamCases = {
    // Six characters from the fifth; the frame ends where the next STX begins.
    {"toledo weight", 1, kStx + "+001234.0" + kStx, {"1234.0"}},
    // Everything after "=" reversed; the second frame waits for the next "=".
    {"reversed after equals", 3, "=0.05210=0.05210", {"01250.0"}},
    {"garbage before the first start is dropped",
     1,
     "xx\r\n" + kStx + "+000050.5\r" + kStx,
     {"0050.5"}},
    {"several frames at once, each in turn",
     2,
     kStx + "+000100" + kStx + "+000200" + kStx,
     {"000100", "000200"}},
    {"third character on", 6, kStx + "+012345 kg" + kStx, {"012345"}},
    {"QDI model like the fifth-character rule", 4, kStx + "ww 000980" + kStx, {"000980"}},
    {"raw frame keeps its start", 0, kStx + "123" + kStx, {kStx + "123"}},
    {"a mode outside the list is raw", 9, kStx + "77" + kStx, {kStx + "77"}},
    {"a mode below the list is raw", -1, kStx + "7" + kStx, {kStx + "7"}},
    {"a short frame gives what exists", 1, kStx + "+0012" + kStx, {"12"}},
    {"a frame shorter than the position is empty", 1, kStx + "+0" + kStx, {""}},
    {"no start character, nothing shown", 1, "+001234.0", {}},
    {"incomplete frame waits", 1, kStx + "+001234.0", {}},
};

// Feeds the bytes as deliveries of at most `piece` bytes and collects what is shown.
Texts Feed(int mode, const std::string& bytes, size_t piece) {
  CSmFrameDecoder decoder(mode);
  Texts shown;
  for (size_t at = 0; at < bytes.size(); at += piece)
    for (std::string& text : decoder.Receive(std::string_view(bytes).substr(at, piece)))
      shown.push_back(std::move(text));
  return shown;
}

TEST(FrameDecoder, TextModesGiveTheSameWhereverTheStreamIsSplit) {
  for (const StreamCase& c : kStreamCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Feed(c.mode, c.bytes, c.bytes.size()), c.shown);
    for (size_t piece = 1; piece < c.bytes.size(); ++piece) {
      SCOPED_TRACE(piece);
      EXPECT_EQ(Feed(c.mode, c.bytes, piece), c.shown);
    }
  }
}

TEST(FrameDecoder, BinaryModeNeedsSixPositionsInOneDelivery) {
  struct Case {
    const char* name;
    std::string bytes;
    std::string shown;
  };
  const std::vector<Case> cases = {
      {"point before a digit", std::string("\xCD\x00\x01\x82\x05\x00\x00", 7), "01.2500"},
      {"too few positions", std::string("\xCD\x0B\x01\x02", 4), ""},
      {"blank positions count but add nothing",
       std::string("\x0A\x0A\xCD\x0A\x0A\x01\x02\x03\x04", 9), "1234"},
      {"blanks and a minus", std::string("\xCD\x0A\x0B\x01\x02\x83\x04", 7), "-12.34"},
      {"garbage before the start", std::string("\x33\x44\xCD\x01\x02\x03\x04\x05\x06\x07", 10),
       "123456"},
      {"no start byte", std::string("\x01\x02\x03\x04\x05\x06\x07", 7), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CSmFrameDecoder decoder(5);
    const Texts shown = decoder.Receive(c.bytes);
    EXPECT_EQ(shown, c.shown.empty() ? Texts{} : Texts{c.shown});
  }
  // Frames are not carried across deliveries: a frame split in two shows nothing.
  const std::string whole("\xCD\x00\x01\x82\x05\x00\x00", 7);
  EXPECT_EQ(Feed(5, whole, 4), Texts{});
}

TEST(FrameDecoder, DeliveriesAreCutAtZeroAndBoundedInSize) {
  CSmFrameDecoder decoder(1);
  // Bytes after the first zero byte of a delivery are lost.
  EXPECT_EQ(decoder.Receive(kStx + "+00123" + std::string(1, '\0') + "4.0"), Texts{});
  EXPECT_EQ(decoder.Buffer(), kStx + "+00123");
  EXPECT_EQ(decoder.Receive(kStx), Texts{"123"});

  // A delivery of 1024 bytes or more is dropped whole.
  decoder.Reset();
  EXPECT_EQ(decoder.Receive(kStx + "+001234.0" + std::string(1024, 'x') + kStx), Texts{});
  EXPECT_EQ(decoder.Buffer(), "");

  // Without a start character the buffer does not grow past the indicator's buffer size.
  for (int i = 0; i < 40; ++i) decoder.Receive(std::string(100, 'x'));
  EXPECT_LE(decoder.Buffer().size(), CSmFrameDecoder::kBufferSize);
  EXPECT_EQ(decoder.Receive(kStx + "+001234.0" + kStx), Texts{"1234.0"});
}

TEST(FrameDecoder, EncodedFramesDecodeToTheirWeight) {
  struct Case {
    int mode;
    std::string weight;
  };
  const Case cases[] = {{0, "1234"},   {1, "1234.0"},  {1, "-00050"}, {2, "012000"}, {3, "3500.0"},
                        {4, "000980"}, {5, "01.2500"}, {5, "-12345"}, {6, "12.345"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.weight);
    const std::string frame = CSmFrameDecoder::EncodeFrame(c.mode, c.weight);
    ASSERT_FALSE(frame.empty());
    CSmFrameDecoder decoder(c.mode);
    const std::string stream = c.mode == 5 ? frame : frame + frame;
    const Texts shown = decoder.Receive(stream);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back(), c.mode == 0 ? "\x02" + c.weight : c.weight);
  }
  EXPECT_EQ(CSmFrameDecoder::EncodeFrame(5, "01.2500"),
            std::string("\xCD\x00\x01\x82\x05\x00\x00", 7));
  // Weights that do not fit the indicator's field.
  for (const auto& [mode, weight] : std::vector<std::pair<int, std::string>>{{1, "12345"},
                                                                             {2, "1234567"},
                                                                             {5, "12345"},
                                                                             {5, "1234567"},
                                                                             {5, "12a456"},
                                                                             {5, "12345."},
                                                                             {5, "1.2.34"},
                                                                             {5, "1.-234"},
                                                                             {5, "----.--"}})
    EXPECT_EQ(CSmFrameDecoder::EncodeFrame(mode, weight), "") << mode << " " << weight;
}

}  // namespace
