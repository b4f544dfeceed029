#pragma once
// The small tag language of hint balloons: font styles, colours, alignment, line breaks, tab
// stops, horizontal rules and inline images. One routine both measures a text (to size the
// balloon) and draws it, with the same scanning in both passes; the measuring pass fills the
// line widths and heights that the drawing pass of the same text reads.
//
// Tags: <b> <i> <u> <s> (closing tags turn them off), <br=n>, <t=n>, <ct=colour>, <cti=index>,
// <cb=colour>, <cbi=index>, <al> <al_l> <al_c> <al_r>, <hr=pixels> or <hr=percent%>,
// <img=name cx= cy=>, <ilst=index>, <icon=id cx= cy=>, <bmp=id mask=colour cx= cy=>.
// "<<" is a literal '<'. Colours are 0x00BBGGRR (red in the low byte).
#include <QFont>
#include <QPixmap>
#include <QSize>
#include <array>
#include <string>
#include <vector>

class QPainter;
class QRect;

// A colour stored with red in the low byte.
QColor SmColorFromRef(unsigned colorRef);

// Images of the program named by number ("<id>.png", "<id>.bmp" or "<id>.ico" on the search path
// "smres", which holds the program's resource folder ":/smres"); a null pixmap when none.
QPixmap SmResourceImage(int id);

// One entry of the named-image list: kind 0 icon, 1 bitmap, 2 bitmap drawn with a mask colour.
struct SmNamedImage {
  std::string name;
  int id = 0;
  int kind = 0;
  unsigned mask = 0xFF00FF;
};

class CSmMarkup {
 public:
  static constexpr int kColorCount = 26;
  static constexpr int kTextColor = 17;
  static constexpr int kBackColor = 18;

  CSmMarkup();

  // Measures (`measure` true) or draws the text in the rectangle; returns the widest line
  // (rules given in percent not included) and the total height. An empty text gives (0, 0).
  // Text and background colours and the background mode set by tags stay set on the painter.
  QSize DrawMarkup(QPainter& painter, const QRect& rect, const std::string& text, bool measure);

  QFont m_font;
  std::array<unsigned, kColorCount> m_colors{};
  std::vector<SmNamedImage> m_namedImages;
  std::vector<QPixmap> m_imageList;  // the `ilst` images, drawn at m_imageSize
  QSize m_imageSize;
  // Filled by the measuring pass, read by the drawing pass.
  std::vector<int> m_lineWidths;
  std::vector<int> m_lineHeights;

 private:
  class Pass;
};
