#include <gtest/gtest.h>

#include <QDir>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <functional>

#include "tests/common/SmTestMain.h"
#include "ui/SmMarkup.h"

namespace {

// Measures and draws with one fixed font on a white image.
class Markup : public ::testing::Test {
 protected:
  void SetUp() override {
    m_markup.m_font = QFont("DejaVu Sans");
    m_markup.m_font.setPixelSize(14);
    m_image.fill(Qt::white);
  }
  int W(const QString& text, bool bold = false) const {
    QFont font = m_markup.m_font;
    font.setBold(bold);
    return QFontMetrics(font, &m_image).horizontalAdvance(text);
  }
  int H() const { return QFontMetrics(m_markup.m_font, &m_image).height(); }
  int Tab() const { return 4 * QFontMetrics(m_markup.m_font, &m_image).averageCharWidth(); }

  QSize Measure(const std::string& text) {
    QPainter painter(&m_image);
    return m_markup.DrawMarkup(painter, m_image.rect(), text, true);
  }
  // Measures, then draws; returns the text colour left on the painter.
  QColor Draw(const std::string& text, const QColor& pen = Qt::black) {
    QPainter painter(&m_image);
    painter.setPen(pen);
    m_markup.DrawMarkup(painter, m_image.rect(), text, true);
    m_markup.DrawMarkup(painter, m_image.rect(), text, false);
    return painter.pen().color();
  }
  bool Dark(int x, int y) const { return qGray(m_image.pixel(x, y)) < 128; }

  CSmMarkup m_markup;
  QImage m_image{200, 120, QImage::Format_RGB32};
};

}  // namespace

TEST_F(Markup, MeasuresEachTagToItsSize) {
  struct Case {
    const char* why;
    std::function<std::string()> text;
    std::function<QSize()> size;
  };
  const Case cases[] = {
      {"heading, full rule, hint: the wider of the texts",
       [] { return "<al_c>A<br><hr=100%><br><al_l>text"; },
       [&] { return QSize(std::max(W("A"), W("text")), 3 * H()); }},
      {"doubled '<' is one", [] { return "a<<b"; }, [&] { return QSize(W("a<b"), H()); }},
      {"a last '<' is literal", [] { return "a<"; }, [&] { return QSize(W("a<"), H()); }},
      {"br=0 ends one line", [] { return "a<br=0>b"; },
       [&] { return QSize(std::max(W("a"), W("b")), 2 * H()); }},
      {"br=3 advances three lines", [] { return "a<br=3>b"; },
       [&] { return QSize(std::max(W("a"), W("b")), 4 * H()); }},
      {"line feed is br, carriage return dropped", [] { return "ab\r\nc"; },
       [&] { return QSize(W("ab"), 2 * H()); }},
      {"t=2 from the left edge", [] { return "<t=2>x"; },
       [&] { return QSize(2 * Tab() + W("x"), H()); }},
      {"t=2 one pixel past a stop: next stop and one more",
       [&] { return "<hr=" + std::to_string(Tab() + 1) + "><t=2>x"; },
       [&] { return QSize(3 * Tab() + W("x"), H()); }},
      {"a tab character is t", [] { return "\tx"; }, [&] { return QSize(Tab() + W("x"), H()); }},
      {"names ignore case", [] { return "<B>x</b>"; }, [&] { return QSize(W("x", true), H()); }},
      {"closing b does not nest", [] { return "<b><b>x</b>yyyy"; },
       [&] { return QSize(W("x", true) + W("yyyy"), H()); }},
      {"hr in pixels takes its width", [] { return "a<hr=10>"; },
       [&] { return QSize(W("a") + 10, H()); }},
      {"unknown tag takes no room", [] { return "a<font=3>b"; },
       [&] { return QSize(W("a") + W("b"), H()); }},
      {"spaces around the name and value", [] { return "a< br = 2 >b"; },
       [&] { return QSize(std::max(W("a"), W("b")), 3 * H()); }},
      {"image that loads nothing takes no room", [] { return "a<bmp=999 mask>b<icon=998>"; },
       [&] { return QSize(W("a") + W("b"), H()); }},
      {"empty text", [] { return ""; }, [] { return QSize(0, 0); }},
  };
  for (const Case& c : cases) EXPECT_EQ(Measure(c.text()), c.size()) << c.why;
}

TEST_F(Markup, FullRuleSpansTheRectangleAndHeadingIsCentred) {
  Draw("<al_c>A<br><hr=100%><br><al_l>text");
  ASSERT_EQ(m_markup.m_lineWidths.size(), 3u);
  EXPECT_EQ(m_markup.m_lineWidths[1], std::max(W("A"), W("text")));
  const int ruleY = H() + H() / 2;
  EXPECT_TRUE(Dark(0, ruleY));
  EXPECT_TRUE(Dark(199, ruleY));
  // "A" sits in the middle of the first line, nothing left of it.
  const int start = (200 - W("A")) / 2;
  bool inMiddle = false;
  for (int y = 0; y < H(); ++y) {
    for (int x = 0; x < start - 1; ++x) EXPECT_FALSE(Dark(x, y)) << x << "," << y;
    for (int x = start; x < start + W("A"); ++x) inMiddle = inMiddle || Dark(x, y);
  }
  EXPECT_TRUE(inMiddle);
}

TEST_F(Markup, ColourTagsLeaveTheirColourOnThePainter) {
  const QColor green(0, 128, 0);
  EXPECT_EQ(Draw("<cti=30>x", green), green);
  EXPECT_EQ(Draw("<ct=0xff>x", green), QColor(255, 0, 0));
  EXPECT_EQ(Draw("<cti=9>x", green), QColor(0, 255, 0));
  EXPECT_EQ(Draw("<ct=0xff>x</ct>", green), SmColorFromRef(m_markup.m_colors[17]));
}

TEST_F(Markup, MaskedBitmapIsScaledWithMagentaTransparent) {
  const QString folder = QString::fromStdString(SmTestHome()) + "/markup-res";
  QDir().mkpath(folder);
  QImage bitmap(8, 8, QImage::Format_RGB32);
  bitmap.fill(QColor(255, 0, 255));
  for (int y = 2; y < 6; ++y)
    for (int x = 2; x < 6; ++x) bitmap.setPixel(x, y, qRgb(0, 0, 0));
  ASSERT_TRUE(bitmap.save(folder + "/101.bmp"));
  QDir::addSearchPath("smres", folder);

  EXPECT_EQ(Measure("<bmp=101 mask cx=16 cy=16>"), QSize(16, std::max(16, H())));
  Draw("<bmp=101 mask cx=16 cy=16>");
  const int top = std::max(16, H()) - 16;  // images sit on the bottom of their line
  EXPECT_EQ(m_image.pixel(0, top), qRgb(255, 255, 255));
  EXPECT_EQ(m_image.pixel(15, top + 15), qRgb(255, 255, 255));
  EXPECT_TRUE(Dark(8, top + 8));

  m_image.fill(Qt::white);
  Draw("<bmp=101 cx=16 cy=16>");
  EXPECT_EQ(m_image.pixel(0, top), qRgb(255, 0, 255));
}
