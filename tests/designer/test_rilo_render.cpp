// The rich text engine over a painter on an offscreen image: heights by zoom, runs measured
// and hit-tested, colours painted, page values while printing, and the selection's colours.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "designer/RiloRichText.h"
#include "tests/designer/rilo_codes.h"

namespace {

constexpr SmColor kWhite = 0xFFFFFF;

class RiloRenderTest : public ::testing::Test {
 protected:
  RiloRenderTest() : m_image(200, 40, QImage::Format_RGB32), m_painter(&m_image) {
    m_image.fill(Qt::white);
    m_painter.setBackground(Qt::white);
  }

  SmRiloTextExtent Measure(std::string& text, const SmRiloRenderRequest& request = {}) {
    return m_engine.RenderRichText(m_painter, text, m_state, request);
  }
  SmRiloTextExtent Measure(const char* readable) {
    std::string text = Coded(readable);
    return Measure(text);
  }
  SmRiloTextExtent Draw(const char* readable) {
    std::string text = Coded(readable);
    SmRiloRenderRequest request;
    request.origin = QPoint(10, 30);
    request.clip = QRect(0, 0, 200, 40);
    return m_engine.RenderRichText(m_painter, text, m_state, request);
  }
  // Whether a pixel of the text's box (x from 10, rows 5 to 34) has the colour.
  bool Painted(QRgb color, int from, int to) {
    for (int y = 5; y < 35; ++y)
      for (int x = from; x < to; ++x)
        if (m_image.pixel(x, y) == color) return true;
    return false;
  }

  QImage m_image;
  QPainter m_painter;
  CRiloRichText m_engine;
  SmRiloTextState m_state;
};

TEST_F(RiloRenderTest, HeightsFollowTheZoomAndMalformedCodesShowAsText) {
  EXPECT_EQ(Measure("abc").height, 14);
  EXPECT_EQ(m_state.font.faceName, "宋体");
  EXPECT_EQ(m_state.font.height, 14);
  m_engine.m_context.zoom = 200;
  EXPECT_EQ(Measure("abc").height, 28);
  EXPECT_EQ(Measure("~P20|abc").height, 40);
  EXPECT_EQ(Measure("~P|abc").height, 28);  // an empty value changes nothing
  EXPECT_EQ(Measure("").height, 28);
  EXPECT_EQ(Measure("").width, 0);

  std::string text = Coded("~Q255abc");  // no end byte: only the escape goes
  const SmRiloTextExtent extent = Measure(text);
  EXPECT_EQ(text, "Q255abc");
  EXPECT_EQ(m_state.color, RiloDefaultState().color);
  EXPECT_EQ(extent.color, RiloDefaultState().color);
}

TEST_F(RiloRenderTest, WidthIsTheSumOfTheRunsAndHitsFallBeforeTheRun) {
  const int ab = Measure("ab").width;
  const int boldCd = Measure("~Gcd").width;
  const int chinese = Measure("~P20|甘").width;
  EXPECT_GT(ab, 0);
  EXPECT_GT(chinese, boldCd);
  EXPECT_EQ(Measure("ab~Gcd~H~P20|甘").width, ab + boldCd + chinese);
  EXPECT_EQ(Measure("ab~Gcd~H~P20|甘").height, 20);

  std::string text = Coded("ab~Gcd~H~P20|甘");
  SmRiloRenderRequest request;
  struct Case {
    int x;
    int index;
  } cases[] = {{0, 0}, {ab + 1, 2}, {ab + boldCd + chinese / 2, 4}, {1000, -1}};
  for (const Case& c : cases) {
    std::string copy = text;
    request.hitX = c.x;
    EXPECT_EQ(Measure(copy, request).hitIndex, c.index) << c.x;
  }
  request.hitX = -1;
  request.startIndex = 2;  // runs before it only set the state
  std::string copy = text;
  EXPECT_EQ(Measure(copy, request).width, boldCd + chinese);
  request.stopIndex = 4;
  copy = text;
  EXPECT_EQ(Measure(copy, request).width, boldCd);
  request.startIndex = 3;  // a stop inside 甘 moves after it
  request.stopIndex = 5;
  copy = text;
  EXPECT_EQ(Measure(copy, request).width, Measure("~Gd").width + chinese);
}

TEST_F(RiloRenderTest, DrawingPaintsTheColourCodesColour) {
  const SmRiloTextExtent extent = Draw("~Q255|~P24|甘蔗");
  EXPECT_EQ(extent.color, 255u);
  EXPECT_TRUE(Painted(qRgb(255, 0, 0), 10, 10 + extent.width));
  EXPECT_FALSE(Painted(qRgb(255, 0, 0), 10 + extent.width, 200));
}

TEST_F(RiloRenderTest, PageValuesShowOnlyWhilePrinting) {
  std::string text = Coded("第\x14页共\x15页");
  Measure(text);
  EXPECT_EQ(text, "第页共页");
  m_engine.m_context.printing = true;
  m_engine.m_context.pageNo = 7;
  m_engine.m_context.pageCount = 12;
  text = Coded("第\x14页共\x15页");
  Measure(text);
  EXPECT_EQ(text, "第7页共12页");
}

TEST_F(RiloRenderTest, SelectionsPaintInComplementaryColours) {
  // The text selection of the edited cell: its characters in white on black, the rest not.
  m_engine.m_context.selStart = 0;
  m_engine.m_context.selEnd = 2;
  const int first = Measure("~P24|甘").width;
  const SmRiloTextExtent extent = Draw("~P24|甘甘");
  EXPECT_EQ(m_image.pixel(10 + first / 2, 6), qRgb(0, 0, 0));
  EXPECT_TRUE(Painted(qRgb(255, 255, 255), 10, 10 + first));
  EXPECT_EQ(m_image.pixel(10 + first + first / 2, 6), qRgb(255, 255, 255));
  EXPECT_TRUE(Painted(qRgb(0, 0, 0), 10 + first, 10 + extent.width));
  EXPECT_EQ(extent.color, 0u);  // the last run is outside the selection

  // A selected cell's text takes the complementary colour, but not on paper.
  m_engine.m_context = {};
  m_engine.m_context.cellSelected = true;
  EXPECT_EQ(Measure("甘").color, kWhite);
  m_engine.m_context.printing = true;
  EXPECT_EQ(Measure("甘").color, 0u);
}

}  // namespace
