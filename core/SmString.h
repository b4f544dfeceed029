#pragma once
// Text helpers that every subsystem calls. Texts are UTF-8; every byte position, length and
// width below is counted in GBK bytes (core/SmGbk.h): an ASCII character is one byte, any other
// character two, and no helper splits a character. None of them shows a message.
#include <cstdio>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

// printf-style formatting into a new text (texts are passed with .c_str()).
std::string FormatStr(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Upper-case copy; characters outside ASCII are left alone.
std::string MakeUpperCopy(std::string_view text);

// Removes trailing characters of `set`, each in the order of the set, as often as the text ends
// with it; a character earlier in the set is not looked at again.
std::string TrimRightSet(std::string_view text, std::string_view set);

// Every occurrence of `search` (case-sensitive) replaced, left to right; the replacement is not
// searched again. An empty search text leaves the text unchanged.
std::string ReplaceAll(std::string_view text, std::string_view search,
                       std::string_view replacement);

// Splits a heading into lines of about equal GBK length, none longer than `width` except by one
// byte where a Chinese character would be cut; pieces are joined with "\" and, when `pieces` is
// given, appended to it. A width below 1 means the whole text.
std::string SplitTextEvenly(int width, std::string_view text,
                            std::vector<std::string>* pieces = nullptr);

// The upper-case pinyin initial of each GB2312 Chinese character; ASCII characters are copied,
// other characters (full-width punctuation, characters outside GB2312) give nothing.
std::string PinyinInitials(std::string_view text);

// Character classes of the input-type specs: "NOT...", "UPPERCHAR", "LOWERCHAR", "SPACE",
// "DIGIT", "ASCII", "CHAR_DIGIT", "CHAR", or a list of allowed characters.
bool IsCharOfClass(std::string_view className, std::string_view character);
// 1 when every character of the text is of the class (also for ""), -1 when none is, else 0.
int MatchCharClass(std::string_view className, std::string_view text);

// Fields and trimming.
// One more than the number of `ch` outside stretches enclosed by `quote` (0: every ch counts).
int CountChar(std::string_view text, char ch, char quote = 0);
// Field n (from 0) of a split at `separator`; separators between quote characters are ignored
// when quote is not 0 and the quotes stay in the field; "" when there are fewer fields.
std::string GetNthField(std::string_view text, int n, char separator, char quote = 0);
inline constexpr const char* kSmBlankChars = " \n\t\r\n";
// The text without characters of `set` at both ends.
std::string TrimChars(std::string_view text, std::string_view set = kSmBlankChars);
// Mode 1 removes leading white space, 2 trailing white space, 3 every blank " "; true when the
// text holds nothing but white space.
bool TrimAndTestEmpty(std::string& text, int mode);
// The text before the first blank, tab, CR or LF.
std::string LeftOfBlank(std::string_view text);
// The text before the last `ch`; "" when it does not occur.
std::string LeftOfLast(std::string_view text, char ch);
bool IsAllDigits(std::string_view text);
bool IsAllAlpha(std::string_view text);
bool IsOneOf(int value, std::initializer_list<int> values);
bool IsOneOfText(std::string_view text, std::initializer_list<std::string_view> texts);
// The n-th text, from 1; "" when n is out of range.
std::string ChooseText(int n, std::initializer_list<std::string_view> texts);
// Writes text then suffix to an open stream.
void FPutText(std::FILE* stream, std::string_view text, std::string_view suffix);
// Drops an incomplete character left at the end when a text was cut inside it.
std::string TrimBrokenDbcs(std::string_view text);
// Kind of GBK byte `position`: 0 a one-byte character, 1 a lead byte, 2 a trail byte, -1 outside.
int GetDbcsByteKind(std::string_view text, int position);

// A string array whose copies copy every element.
class CSmStringArray : public std::vector<std::string> {
 public:
  using std::vector<std::string>::vector;
  // Sets every element to "" and keeps the size.
  void ClearTexts();
};

// Tab-separated clipboard text: rows are lines ("\r\n", "\n\r" and "\r" read as "\n", at least
// 1), columns the tabs of the first line plus 1.
void GetTextGridSize(std::string_view text, int& rows, int& columns);
// Field `column` of line `row`, both from 0.
std::string GetTextGridCell(std::string_view text, int row, int column);
// The whole grid split once, for reading many cells: cell (r, c) is what GetTextGridCell gives
// (SmTextGridCell answers "" outside the grid).
std::vector<std::vector<std::string>> SplitTextGrid(std::string_view text);
std::string SmTextGridCell(const std::vector<std::vector<std::string>>& grid, int row, int column);
