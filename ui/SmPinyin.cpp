#include "ui/SmPinyin.h"

#include "core/SmGbk.h"

namespace {
// First area-position code of each initial among the level-1 characters (ordered by reading).
struct Boundary {
  int code;
  char letter;
};
const Boundary kLevel1[] = {
    {1601, 'A'}, {1637, 'B'}, {1833, 'C'}, {2078, 'D'}, {2274, 'E'}, {2302, 'F'},
    {2433, 'G'}, {2594, 'H'}, {2787, 'J'}, {3106, 'K'}, {3212, 'L'}, {3472, 'M'},
    {3635, 'N'}, {3722, 'O'}, {3730, 'P'}, {3858, 'Q'}, {4027, 'R'}, {4086, 'S'},
    {4390, 'T'}, {4558, 'W'}, {4684, 'X'}, {4925, 'Y'}, {5249, 'Z'},
};

char InitialOf(unsigned char lead, unsigned char trail) {
  if (lead < 0xA1 || trail < 0xA1) return 0;
  const int code = (lead - 160) * 100 + (trail - 160);
  if (code < 1601 || code > 5589) return 0;
  char letter = 0;
  for (const Boundary& b : kLevel1)
    if (b.code <= code) letter = b.letter;
  return letter;
}
}  // namespace

std::string SmPinyinInitials(const std::string& utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    const size_t n = Utf8Next(utf8, i);
    const std::string ch = utf8.substr(i, n);
    i += n;
    if (ch.size() == 1) {
      out += ch;
      continue;
    }
    std::string gbk;
    if (!Utf8ToGbk(ch, gbk) || gbk.size() != 2) continue;
    if (const char c =
            InitialOf(static_cast<unsigned char>(gbk[0]), static_cast<unsigned char>(gbk[1])))
      out += c;
  }
  return out;
}
