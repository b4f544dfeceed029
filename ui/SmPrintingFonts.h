#pragma once
// While a print job measures and draws its pages, text takes an installed family (Latin and
// GB2312) whose character map holds no radicals: a PDF's text map gives each glyph back as the
// first character mapped to it, and the Noto families map 页 and 户 onto the glyphs of the radicals
// ⻚ and ⼾, so text copied or searched in a printed PDF would read the radicals.
class CSmPrintingFonts {
 public:
  CSmPrintingFonts() { ++s_depth; }
  ~CSmPrintingFonts() { --s_depth; }
  CSmPrintingFonts(const CSmPrintingFonts&) = delete;
  CSmPrintingFonts& operator=(const CSmPrintingFonts&) = delete;
  // Whether fonts made now are for printing.
  static bool Active() { return s_depth > 0; }

 private:
  static inline int s_depth = 0;
};
