#include "core/SmGbk.h"

#include <iconv.h>

#include <QString>
#include <algorithm>
#include <cerrno>
#include <clocale>
#include <memory>

size_t Utf8Next(std::string_view s, size_t i, char32_t* cp) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  size_t len = 1;
  char32_t value = b0;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    len = 2;
    value = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    len = 3;
    value = b0 & 0x0F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    len = 4;
    value = b0 & 0x07;
  }
  if (len > 1) {
    if (i + len > s.size()) {
      len = 1;
      value = b0;
    } else {
      for (size_t k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) {
          len = 1;
          value = b0;
          break;
        }
        value = (value << 6) | (b & 0x3F);
      }
    }
  }
  if (cp) *cp = value;
  return len;
}

bool IsValidUtf8(std::string_view bytes) {
  auto in = [](unsigned char b, unsigned char low, unsigned char high) {
    return b >= low && b <= high;
  };
  for (size_t i = 0; i < bytes.size();) {
    const auto b0 = static_cast<unsigned char>(bytes[i]);
    if (b0 < 0x80) {
      ++i;
      continue;
    }
    // The second byte's range depends on the first (no overlong forms, no surrogates, nothing
    // past U+10FFFF); every later byte is 80-BF.
    size_t len = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (in(b0, 0xC2, 0xDF)) {
      len = 2;
    } else if (in(b0, 0xE0, 0xEF)) {
      len = 3;
      if (b0 == 0xE0) low = 0xA0;
      if (b0 == 0xED) high = 0x9F;
    } else if (in(b0, 0xF0, 0xF4)) {
      len = 4;
      if (b0 == 0xF0) low = 0x90;
      if (b0 == 0xF4) high = 0x8F;
    } else {
      return false;
    }
    if (bytes.size() - i < len) return false;
    if (!in(static_cast<unsigned char>(bytes[i + 1]), low, high)) return false;
    for (size_t k = 2; k < len; ++k)
      if (!in(static_cast<unsigned char>(bytes[i + k]), 0x80, 0xBF)) return false;
    i += len;
  }
  return true;
}

size_t GbkSize(std::string_view utf8) {
  size_t size = 0;
  for (size_t i = 0; i < utf8.size();) {
    char32_t cp = 0;
    i += Utf8Next(utf8, i, &cp);
    size += GbkCharSize(cp);
  }
  return size;
}

std::string GbkCut(std::string_view utf8, size_t width) {
  return std::string(utf8.substr(0, Utf8OffsetOfGbkPos(utf8, width, false)));
}

size_t Utf8OffsetOfGbkPos(std::string_view utf8, size_t gbkPos, bool roundUp) {
  size_t pos = 0;
  size_t i = 0;
  while (i < utf8.size() && pos < gbkPos) {
    char32_t cp = 0;
    const size_t len = Utf8Next(utf8, i, &cp);
    const size_t w = GbkCharSize(cp);
    if (pos + w > gbkPos && !roundUp) break;
    pos += w;
    i += len;
  }
  return i;
}

size_t GbkPosOfUtf8Offset(std::string_view utf8, size_t offset) {
  return GbkSize(utf8.substr(0, std::min(offset, utf8.size())));
}

std::string GbkMid(std::string_view utf8, size_t start, size_t count) {
  const size_t from = Utf8OffsetOfGbkPos(utf8, start, true);
  if (count == std::string::npos) return std::string(utf8.substr(from));
  const size_t end = Utf8OffsetOfGbkPos(utf8, start + count, false);
  return end > from ? std::string(utf8.substr(from, end - from)) : std::string();
}

namespace {

constexpr std::string_view kEuro = "€";

struct IconvCloser {
  void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};

// One converter per direction and thread, opened at its first use and reset before each.
iconv_t Converter(bool toGbk) {
  using Owned = std::unique_ptr<void, IconvCloser>;
  thread_local Owned gbk(iconv_open("GB18030", "UTF-8"));
  thread_local Owned utf8(iconv_open("UTF-8", "GB18030"));
  const auto cd = static_cast<iconv_t>(toGbk ? gbk.get() : utf8.get());
  if (cd != reinterpret_cast<iconv_t>(-1)) iconv(cd, nullptr, nullptr, nullptr, nullptr);
  return cd;
}

bool Convert(bool toGbk, std::string_view in, std::string& out) {
  // ASCII reads the same in both.
  if (std::all_of(in.begin(), in.end(),
                  [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    out.assign(in);
    return true;
  }
  iconv_t raw = Converter(toGbk);
  if (raw == reinterpret_cast<iconv_t>(-1)) return false;
  // Written straight into the room `out` already has.
  out.resize(in.size() * 2 + 16);
  char* inPtr = const_cast<char*>(in.data());
  size_t inLeft = in.size();
  size_t done = 0;
  while (inLeft > 0) {
    char* outPtr = out.data() + done;
    size_t outLeft = out.size() - done;
    const size_t rc = iconv(raw, &inPtr, &inLeft, &outPtr, &outLeft);
    done = out.size() - outLeft;
    if (rc != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) {
      out.resize(out.size() * 2);
      continue;
    }
    // The code page has the euro sign in the single byte 0x80, which GB18030 leaves empty.
    if (toGbk || errno != EILSEQ || static_cast<unsigned char>(*inPtr) != 0x80) return false;
    if (out.size() - done < kEuro.size()) out.resize(out.size() * 2);
    out.replace(done, kEuro.size(), kEuro);
    done += kEuro.size();
    ++inPtr;
    --inLeft;
  }
  out.resize(done);
  return true;
}

}  // namespace

bool Utf8ToGbk(std::string_view utf8, std::string& gbk) {
  return Convert(true, utf8, gbk);
}

bool GbkToUtf8(std::string_view gbk, std::string& utf8) {
  return Convert(false, gbk, utf8);
}

std::string Utf16ToUtf8(std::u16string_view units) {
  // QString::fromUtf16 would read a leading mark as the order of the bytes.
  return QStringView(units.data(), static_cast<qsizetype>(units.size())).toString().toStdString();
}

int GbkCompare(std::string_view a, std::string_view b) {
  auto ascii = [](std::string_view s) {
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  };
  if (ascii(a) && ascii(b)) return a.compare(b);
  std::string ga;
  std::string gb;
  if (!Utf8ToGbk(a, ga) || !Utf8ToGbk(b, gb)) return a.compare(b);
  return ga.compare(gb);
}

void SmUseCNumericLocale() {
  std::setlocale(LC_NUMERIC, "C");
}
