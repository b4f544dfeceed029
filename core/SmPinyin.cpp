#include <array>
#include <string>

#include "core/SmGbk.h"
#include "core/SmString.h"

namespace {

// Pinyin initial of each GB2312 level-2 character (areas 56 to 87, 94 characters each, in code
// order from 0xD8A1, one area a line); "[" marks a character without one. Generated from the
// customary Mandarin reading of each character by tools/gen_pinyin_level2.py.
const char kLevel2Initials[] =
#include "core/SmPinyinLevel2.inc"
    ;

static_assert(sizeof kLevel2Initials == 3008 + 1);

// Level-1 characters (areas 16 to 55) are ordered by pinyin: the first area-position code of
// each initial.
struct Level1Boundary {
  int code;
  char letter;
};
constexpr std::array<Level1Boundary, 23> kLevel1Boundaries = {{
    {1601, 'A'}, {1637, 'B'}, {1833, 'C'}, {2078, 'D'}, {2274, 'E'}, {2302, 'F'},
    {2433, 'G'}, {2594, 'H'}, {2787, 'J'}, {3106, 'K'}, {3212, 'L'}, {3472, 'M'},
    {3635, 'N'}, {3722, 'O'}, {3730, 'P'}, {3858, 'Q'}, {4027, 'R'}, {4086, 'S'},
    {4390, 'T'}, {4558, 'W'}, {4684, 'X'}, {4925, 'Y'}, {5249, 'Z'},
}};

// Initial of one two-byte GBK character; 0 when it has none.
char InitialOf(unsigned char lead, unsigned char trail) {
  if (lead < 0xA1 || trail < 0xA1) return 0;
  const int code = (lead - 160) * 100 + (trail - 160);
  if (code >= 1601 && code <= 5589) {
    char letter = 0;
    for (const Level1Boundary& b : kLevel1Boundaries) {
      if (b.code > code) break;
      letter = b.letter;
    }
    return letter;
  }
  const int index = (lead - 0xD8) * 94 + (trail - 0xA1);
  if (index < 0 || index > 3007) return 0;
  const char letter = kLevel2Initials[index];
  return letter == '[' ? 0 : letter;
}

// The initials of a text in the GBK code page (GB18030: four-byte characters have none).
std::string InitialsOfGbk(const std::string& gbk) {
  std::string initials;
  for (size_t i = 0; i < gbk.size();) {
    const auto lead = static_cast<unsigned char>(gbk[i]);
    if (lead < 0x80) {
      initials += gbk[i++];
      continue;
    }
    if (i + 1 >= gbk.size()) break;
    const auto trail = static_cast<unsigned char>(gbk[i + 1]);
    if (trail >= 0x30 && trail <= 0x39) {
      i += 4;
      continue;
    }
    if (const char letter = InitialOf(lead, trail)) initials += letter;
    i += 2;
  }
  return initials;
}

}  // namespace

std::string PinyinInitials(std::string_view text) {
  std::string gbk;
  if (Utf8ToGbk(text, gbk)) return InitialsOfGbk(gbk);
  // Text that is not clean UTF-8: one character at a time, skipping what cannot be converted.
  std::string initials;
  for (size_t i = 0; i < text.size();) {
    const size_t len = Utf8Next(text, i);
    if (Utf8ToGbk(text.substr(i, len), gbk)) initials += InitialsOfGbk(gbk);
    i += len;
  }
  return initials;
}
