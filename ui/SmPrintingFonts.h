#pragma once
// While a print job measures and draws its pages, text takes an installed family (Latin and
// GB2312) whose character map holds no radicals: a PDF's text map gives each glyph back as the
// first character mapped to it, and the Noto families map 页 and 户 onto the glyphs of the radicals
// ⻚ and ⼾, so text copied or searched in a printed PDF would read the radicals.
// The windows keep their own fonts: while the job waits for the user in its print or preview
// dialog, the windows behind it are drawn again with the screen's fonts (CSmScreenFonts).
class CSmPrintingFonts {
 public:
  CSmPrintingFonts() { ++s_depth; }
  ~CSmPrintingFonts() { --s_depth; }
  CSmPrintingFonts(const CSmPrintingFonts&) = delete;
  CSmPrintingFonts& operator=(const CSmPrintingFonts&) = delete;
  // Whether fonts made now are for printing.
  static bool Active() { return s_depth > 0; }

 private:
  friend class CSmScreenFonts;
  static inline int s_depth = 0;
};

// For its life fonts are made for the screen again, inside a print job too; the pages drawn
// meanwhile (a preview's) take the printing fonts of their own CSmPrintingFonts.
class CSmScreenFonts {
 public:
  CSmScreenFonts() : m_depth(CSmPrintingFonts::s_depth) { CSmPrintingFonts::s_depth = 0; }
  ~CSmScreenFonts() { CSmPrintingFonts::s_depth = m_depth; }
  CSmScreenFonts(const CSmScreenFonts&) = delete;
  CSmScreenFonts& operator=(const CSmScreenFonts&) = delete;

 private:
  int m_depth;
};
