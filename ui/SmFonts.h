#pragma once
// Fonts as the program stores them (faces such as "宋体" and "黑体", heights as numbers) made
// into Qt fonts drawn with an installed CJK font where the stored face is not installed.
#include <QFont>
#include <QStringList>
#include <string>

#include "core/SmUtil.h"

// The stored face first, then the installed CJK families of its kind (serif for "宋体" and the
// brush faces, sans for "黑体" and the rest).
// While printing, an installed CJK family whose character map holds no radicals comes first:
// a PDF's text map gives each glyph back as the first character mapped to it, and the Noto
// families map 页 and 户 onto the same glyphs as the radicals ⻚ and ⼾.
QStringList SmFontFamilies(const std::string& face);
// The font of a stored description with its height in pixels (the sign of the height ignored).
QFont SmMakeFont(const SmLogFont& font, int pixelHeight);

// Fonts made while an instance lives are the printing ones (see SmFontFamilies).
class CSmPrintingFonts {
 public:
  CSmPrintingFonts() { ++s_depth; }
  ~CSmPrintingFonts() { --s_depth; }
  CSmPrintingFonts(const CSmPrintingFonts&) = delete;
  CSmPrintingFonts& operator=(const CSmPrintingFonts&) = delete;
  static bool Active() { return s_depth > 0; }

 private:
  static inline int s_depth = 0;
};
