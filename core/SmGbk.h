#pragma once
// Texts are UTF-8 in memory. Widths and positions that the program counts in bytes are
// counted as the GBK code page would store them: an ASCII character is one byte, any other
// character two. Files in the ANSI code page are GBK (read and written as GB18030, its
// superset, so that no character is lost).
#include <cstddef>
#include <string>
#include <string_view>

// Size of one character in GBK bytes.
inline size_t GbkCharSize(char32_t cp) {
  return cp < 0x80 ? 1 : 2;
}

// Length of the UTF-8 sequence that starts at `i` (1 for a stray byte) and its code point.
size_t Utf8Next(std::string_view s, size_t i, char32_t* cp = nullptr);

// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or code points past
// U+10FFFF, no sequence cut short).
bool IsValidUtf8(std::string_view bytes);

// Size of a UTF-8 text in GBK bytes.
size_t GbkSize(std::string_view utf8);

// Longest head of the text whose GBK size is at most `width`; never splits a character.
std::string GbkCut(std::string_view utf8, size_t width);

// UTF-8 offset of GBK byte position `gbkPos`; a position inside a two-byte character moves
// forward past it when `roundUp`, else back to its start. Past the end gives the text's size.
size_t Utf8OffsetOfGbkPos(std::string_view utf8, size_t gbkPos, bool roundUp = false);

// GBK byte position of a UTF-8 offset.
size_t GbkPosOfUtf8Offset(std::string_view utf8, size_t offset);

// `count` GBK bytes from GBK position `start` (0-based), whole characters only: a character
// that starts inside the range is kept only if it ends inside it.
std::string GbkMid(std::string_view utf8, size_t start, size_t count = std::string::npos);

// Compares two texts in the byte order of the code page, so that Chinese texts sort as the
// stored files do (<0, 0, >0); texts that cannot be converted compare as UTF-8 bytes.
int GbkCompare(std::string_view a, std::string_view b);

// Conversions at file boundaries; false when the input cannot be converted. The single byte
// 0x80 reads as the euro sign, as the code page has it; the euro sign is written as GB18030
// writes it (A2 E3), which reads back as the same sign.
bool Utf8ToGbk(std::string_view utf8, std::string& gbk);
bool GbkToUtf8(std::string_view gbk, std::string& utf8);
// UTF-16 units as they stand, a byte-order mark among them included: U+FEFF stays and U+FFFE
// turns nothing round. A unit that is half of no pair becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view units);

// Sets the numeric locale of the process to "C": numbers are always written with a point.
void SmUseCNumericLocale();
