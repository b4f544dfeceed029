#pragma once
// A card: a title band over ruled cells with captions, laid out in card coordinates (any unit,
// only ratios matter) and scaled to the window or to the printed page. One drawing routine
// serves the screen and the printer; in pre-printed-form mode ("套打") the printer gets no
// rules and only the texts of the cells marked for it.
#include <QColor>
#include <string>
#include <vector>

#include "core/SmUtil.h"
#include "ui/SmPrintInfo.h"

class CSmDatabase;
struct CSmListPageSetup;
class QPainter;
class QWidget;
struct CSmPrintState;

// A rectangle as left, top, right, bottom (right and bottom exclusive).
struct CSmCardRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool operator==(const CSmCardRect&) const = default;
};

// What one cell is drawn with: the painter, the font with its height already scaled to the
// device, the text colour, the colour the text bands are filled with, and whether this is a
// print and in pre-printed-form mode.
struct CSmCardDC {
  QPainter* painter = nullptr;
  SmLogFont font;
  QColor textColor = Qt::black;
  QColor background = Qt::white;
  bool printing = false;
  bool formMode = false;
};

// Horizontal alignment codes of a cell's text.
enum : int { kSmCardAlignLeft = 0, kSmCardAlignRight = 2, kSmCardAlignCenter = 6 };

// One cell of a card.
class CSmCardItem {
 public:
  void Set(const std::string& text, int left, int top, int right, int bottom, int lineLeft,
           int lineTop, int lineRight, int lineBottom, bool isUse, int opt1, int opt2, int align,
           int opt3, int opt4, int opt5, bool noIndent);
  // Back to the defaults with the text and a height: no rules, not printed in form mode.
  void SetTitle(int height, std::string text);
  // Draws the cell at the rectangle, in device units.
  void Draw(CSmCardDC& dc, const CSmCardRect& rect) const;
  // The caption as it is drawn into an inner width: split at "\", and unless `bNoIndent`,
  // indented by four spaces and wrapped at `charWidth` wide characters.
  std::vector<std::string> Lines(int innerWidth, int charWidth) const;

  std::string sText;  // "\" separates lines
  CSmCardRect rcItem;
  int nLineLeft = 1;  // 0 none, 1 single, 2 double
  int nLineTop = 1;
  int nLineRight = 0;
  int nLineBottom = 0;
  int nAlign = kSmCardAlignCenter;
  bool bNoIndent = true;
  bool bIsUse = true;  // also printed in pre-printed-form mode
  int nOpt1 = 1;       // carried for the creator of the cells
  int nOpt2 = 1;
  int nOpt3 = 0;
  int nOpt4 = 2;
  int nOpt5 = 2;
};

class CSmCardLayout {
 public:
  CSmCardLayout();

  // Reads the page setup stored under the key (a card document's nFlag × 10 + card mode) and
  // takes the title, the card size (when one is stored), margins, paper, colours, fonts and
  // orientation from it.
  void LoadPageSetup(CSmDatabase* db, int key, int titleHeight, const std::string& defaultTitle);
  // The cells' bounds and the screen scale.
  void ComputeScale();
  // The window rectangle of a cell, or of the title band, at the screen scale.
  CSmCardRect GetItemRect(int index, bool titleOnly = false) const;
  // Draws the title band and every cell on the screen or, when the painter's device is a
  // printer, on the page prepared by `PreparePrinting`.
  void Draw(QPainter& painter, bool formMode, const QColor& background = Qt::white) const;
  // The page setup dialog on the layout's setup; true when it was confirmed.
  bool PageSetup(CSmDatabase* db, QWidget* parent);
  // Prepares the printer for the layout's paper and computes the print scales; false when the
  // printer cannot be set up.
  bool PreparePrinting(CSmPrintState& state);

  std::vector<CSmCardItem> m_items;
  CSmCardItem m_title;
  CSmCardRect m_screenMargins{10, 10, 10, 10};     // window pixels
  CSmCardRect m_printMargins{200, 200, 200, 200};  // 0.1 mm
  int m_cardWidth = 790;                           // window pixels
  int m_cardHeight = 470;
  int m_paperWidth = 2100;  // 0.1 mm, portrait terms
  int m_paperHeight = 2970;
  SmColorRef m_titleColor = 0;
  SmColorRef m_bodyColor = 0;
  CSmCardRect m_bounds;
  SmLogFont m_titleFont;
  SmLogFont m_bodyFont;
  bool bLandscape = false;
  double m_screenScaleX = 1.0;
  double m_screenScaleY = 1.0;
  double m_printScaleX = 1.0;
  double m_printScaleY = 1.0;
  double m_unitsPerTenthMmX = 1.0;  // device units per 0.1 mm
  double m_unitsPerTenthMmY = 1.0;
  double m_printFontFactor = 1.0;
  int nSetupKey = 0;

 private:
  // Margins, paper, orientation, colours and fonts of a page setup.
  void TakePrintSetup(const CSmListPageSetup& setup);
  // The cell's rectangle in device units below the title band.
  CSmCardRect ScaleCell(const CSmCardRect& cell, double scaleX, double scaleY, int x0,
                        int y0) const;
};
