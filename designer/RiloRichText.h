#pragma once
// Rich cell text: the master text of a report cell carries its character formats inline. A code
// is the byte ESC (27) and a letter: "A"/"B" italic on/off, "C"/"D" underline, "E"/"F"
// strike-out, "G" bold, "H" normal weight, "I" a gap of distributed alignment (only in texts
// prepared for drawing); "O" face, "P" height in pixels at zoom 100 and "Q" colour (0x00BBGGRR in
// decimal) carry a value ended by FS (28). Each code sets part of the state until the next one
// changes it. The bytes 20 and 21 stand for the page number and the page count when printing.
//
// Plain positions count GBK bytes of the text without its codes; a Chinese character is two
// and is never split.
#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/SmSystem.h"
#include "core/SmUtil.h"

class QPaintDevice;
class QPainter;

inline constexpr char kRiloEsc = '\x1b';
inline constexpr char kRiloFs = '\x1c';
inline constexpr char kRiloPageNo = '\x14';
inline constexpr char kRiloPageCount = '\x15';

// The format in effect at a place of a text: a font and a text colour.
struct SmRiloTextState {
  SmLogFont font;
  SmColor color = 0;
};

// "宋体" 14 pixels, weight 400, in the system's window text colour.
SmRiloTextState RiloDefaultState();

// One piece of a coded text: a code or one character.
struct SmRiloPiece {
  size_t begin = 0;  // byte offsets in the coded text
  size_t end = 0;
  char code = 0;  // the code's letter; kRiloEsc for an escape standing alone; 0 a character
  std::string_view value;  // of "O", "P" and "Q"
  int size = 0;            // GBK size of a character, 0 for a code
  int plainPos = 0;        // plain position where the piece stands

  bool IsCode() const { return code != 0; }
};

std::vector<SmRiloPiece> RiloScan(std::string_view text);
// Applies a code to the state; heights read from "P" are multiplied by `heightFactor` and
// truncated. An empty value, or a "P" or "Q" value that is not a number, changes nothing.
void RiloApplyCode(const SmRiloPiece& piece, SmRiloTextState& state, double heightFactor = 1.0);
// Byte offset in the coded text of a plain position: after the leading codes for position 0,
// else right after the character that reaches it (before the codes that follow it); the
// text's size past the end. A position inside a Chinese character moves after it.
size_t RiloRawOffset(const std::vector<SmRiloPiece>& pieces, size_t textSize, int plainPos);

// What the text engine needs of the window and the cell it draws.
struct SmRiloRenderContext {
  bool printing = false;
  int zoom = 100;         // screen zoom in percent
  int printFactor = 100;  // print scale in percent
  double screenScaleY = 0.379147;
  double printerScaleY = 0.379147;
  int pageNo = 0;  // read while printing only
  int pageCount = 0;
  bool cellSelected = false;  // the cell lies in the area selection
  // The text selection of the cell being edited (plain positions); none when they are equal.
  int selStart = 0;
  int selEnd = 0;

  // Heights of codes are pixels at zoom 100; drawn heights are multiplied by this.
  double HeightFactor() const;
};

// One call of the engine: where to draw (none: measure only), the gap width of "I" codes, the
// plain index to start from, the index to stop at (-1 none) and the x to hit-test (-1 none).
struct SmRiloRenderRequest {
  std::optional<QPoint> origin;  // x and baseline y
  QRect clip;
  int gapWidth = 0;
  int startIndex = 0;
  int stopIndex = -1;
  int hitX = -1;
};

struct SmRiloTextExtent {
  int width = 0;
  int height = 0;
  int hitIndex = -1;  // the plain index before the run under the hit-test x; -1 none
  SmColor color = 0;  // the colour of the last run as painted
};

// Measures, hit-tests and draws a coded text run by run: a run is a stretch of characters
// between codes, cut further at the text selection, the start and stop indexes, and to single
// characters when hit-testing. The painter's background colour is the cell's.
class CRiloRichText;

// Where a line `height` pixels high stands in `box` by the vertical alignment (0 centre, 2 top,
// else bottom): the bottom of the line and its baseline, a descent of the default face above
// the bottom, as measured on `device`.
struct SmRiloLine {
  int bottom = 0;
  int baseline = 0;
};
SmRiloLine RiloPlaceLine(QPaintDevice* device, const QRect& box, int height, int vertical);

// Draws a coded text in `box` by the alignments (horizontal 0 left, 1 right, 2 centre, 3
// distributed; vertical 0 centre, 2 top, else bottom), clipped to `clip`, on the painter's
// background colour.
void RiloDrawAlignedText(const CRiloRichText& engine, QPainter& painter, const QRect& box,
                         const QRect& clip, std::string text, int horizontal, int vertical);

class CRiloRichText {
 public:
  // The state ends as the text leaves it (heights multiplied by the height factor). Measuring
  // without drawing leaves the plain text (page values resolved) in `text`.
  SmRiloTextExtent RenderRichText(QPainter& painter, std::string& text, SmRiloTextState& state,
                                  const SmRiloRenderRequest& request) const;
  // One run at (x, baseline), filled opaque in `back` over the clip's height and the run's
  // width; on the screen the text is clipped to that rectangle.
  QSize RenderRun(QPainter& painter, const std::optional<QPoint>& at, const QRect& clip,
                  const std::string& run, const SmRiloTextState& state, SmColor textColor,
                  SmColor back) const;

  SmRiloRenderContext m_context;

 private:
  // Page values written in while printing, removed on the screen.
  std::string ResolvePageValues(std::string_view text) const;
};
