#include "ui/SmFonts.h"

#include <algorithm>
#include <cstdlib>

#include "ui/SmPrintingFonts.h"

QStringList SmFontFamilies(const std::string& face) {
  const QString name = QString::fromStdString(face);
  const bool serif = name.contains("宋") || name.contains("楷") || name.contains("仿") ||
                     name.contains("Song") || name.contains("Kai");
  QStringList families{name};
  // Printing puts first a family whose text map keeps the ideographs (see SmPrintingFonts.h).
  if (CSmPrintingFonts::Active()) families.prepend("AR PL SungtiL GB");
  if (serif) {
    families << "Noto Serif CJK SC"
             << "Noto Sans CJK SC";
  } else {
    families << "Noto Sans CJK SC"
             << "Noto Serif CJK SC";
  }
  return families;
}

QFont SmMakeFont(const SmLogFont& font, int pixelHeight) {
  QFont made;
  made.setFamilies(SmFontFamilies(font.faceName));
  made.setPixelSize(std::max(1, std::abs(pixelHeight)));
  made.setWeight(
      static_cast<QFont::Weight>(std::clamp(font.weight == 0 ? 400 : font.weight, 1, 1000)));
  made.setItalic(font.italic);
  made.setUnderline(font.underline);
  made.setStrikeOut(font.strikeOut);
  return made;
}
