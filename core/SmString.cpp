#include "core/SmString.h"

#include <algorithm>
#include <cctype>
#include <cstdarg>

#include "core/SmGbk.h"

namespace {

bool IsBlankChar(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Expected length of the UTF-8 sequence a lead byte starts (1 for ASCII or a stray byte).
size_t Utf8LeadLength(unsigned char b) {
  if (b >= 0xC2 && b <= 0xDF) return 2;
  if (b >= 0xE0 && b <= 0xEF) return 3;
  if (b >= 0xF0 && b <= 0xF4) return 4;
  return 1;
}

}  // namespace

std::string FormatStr(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int size = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string text;
  if (size > 0) {
    text.resize(static_cast<size_t>(size) + 1);
    std::vsnprintf(text.data(), text.size(), format, args);
    text.resize(static_cast<size_t>(size));
  }
  va_end(args);
  return text;
}

std::string MakeUpperCopy(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

std::string TrimRightSet(std::string_view text, std::string_view set) {
  for (char c : set) {
    while (!text.empty() && text.back() == c) text.remove_suffix(1);
    if (text.empty()) break;
  }
  return std::string(text);
}

std::string ReplaceAll(std::string_view text, std::string_view search,
                       std::string_view replacement) {
  if (search.empty()) return std::string(text);
  std::string result;
  size_t from = 0;
  for (size_t at = text.find(search); at != std::string_view::npos; at = text.find(search, from)) {
    result.append(text.substr(from, at - from)).append(replacement);
    from = at + search.size();
  }
  result.append(text.substr(from));
  return result;
}

std::string SplitTextEvenly(int width, std::string_view text, std::vector<std::string>* pieces) {
  const size_t length = GbkSize(text);
  if (length == 0) return std::string();
  const size_t lineWidth = width < 1 ? length : static_cast<size_t>(width);
  const size_t lines = (length + lineWidth - 1) / lineWidth;
  const size_t target = length / lines;
  std::string result;
  size_t i = 0;
  while (i < text.size()) {
    const size_t start = i;
    size_t taken = 0;
    while (i < text.size() && taken < target) {
      char32_t cp = 0;
      i += Utf8Next(text, i, &cp);
      taken += GbkCharSize(cp);
    }
    const std::string piece(text.substr(start, i - start));
    if (!result.empty()) result += '\\';
    result += piece;
    if (pieces) pieces->push_back(piece);
  }
  return result;
}

bool IsCharOfClass(std::string_view className, std::string_view character) {
  if (className.starts_with("NOT")) return true;
  if (character.empty()) return false;
  const auto c = static_cast<unsigned char>(character[0]);
  if (c >= 0x80) return className.find(character) != std::string_view::npos;
  if (className.starts_with("UPPERCHAR")) return c >= 'A' && c <= 'Z';
  if (className.starts_with("LOWERCHAR")) return c >= 'a' && c <= 'z';
  if (className.starts_with("SPACE")) return std::isspace(c) != 0;
  if (className.starts_with("DIGIT")) return c >= '0' && c <= '9';
  if (className.starts_with("ASCII")) return true;
  if (className.starts_with("CHAR_DIGIT")) return std::isalnum(c) != 0;
  if (className.starts_with("CHAR")) return std::isalpha(c) != 0;
  return className.find(static_cast<char>(c)) != std::string_view::npos;
}

int MatchCharClass(std::string_view className, std::string_view text) {
  long sum = 0;
  for (size_t i = 0; i < text.size();) {
    char32_t cp = 0;
    const size_t len = Utf8Next(text, i, &cp);
    const long width = static_cast<long>(GbkCharSize(cp));
    sum += IsCharOfClass(className, text.substr(i, len)) ? width : -width;
    i += len;
  }
  const auto length = static_cast<long>(GbkSize(text));
  if (sum == length) return 1;
  if (sum == -length) return -1;
  return 0;
}

int CountChar(std::string_view text, char ch, char quote) {
  int count = 1;
  bool quoted = false;
  for (char c : text) {
    if (quote != 0 && c == quote) {
      quoted = !quoted;
    } else if (c == ch && !quoted) {
      ++count;
    }
  }
  return count;
}

std::string GetNthField(std::string_view text, int n, char separator, char quote) {
  if (n < 0) return std::string();
  int field = 0;
  bool quoted = false;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    const bool end = i == text.size();
    if (!end && quote != 0 && text[i] == quote) {
      quoted = !quoted;
      continue;
    }
    if (!end && (text[i] != separator || quoted)) continue;
    if (field == n) return std::string(text.substr(start, i - start));
    ++field;
    start = i + 1;
  }
  return std::string();
}

std::string TrimChars(std::string_view text, std::string_view set) {
  const size_t first = text.find_first_not_of(set);
  if (first == std::string_view::npos) return std::string();
  const size_t last = text.find_last_not_of(set);
  return std::string(text.substr(first, last - first + 1));
}

bool TrimAndTestEmpty(std::string& text, int mode) {
  if (mode == 1) {
    const size_t first = std::find_if_not(text.begin(), text.end(), IsBlankChar) - text.begin();
    text.erase(0, first);
  } else if (mode == 2) {
    while (!text.empty() && IsBlankChar(text.back())) text.pop_back();
  } else if (mode == 3) {
    std::erase(text, ' ');
  }
  return std::all_of(text.begin(), text.end(), IsBlankChar);
}

std::string LeftOfBlank(std::string_view text) {
  const size_t at = text.find_first_of(" \t\r\n");
  return std::string(text.substr(0, at));
}

std::string LeftOfLast(std::string_view text, char ch) {
  const size_t at = text.rfind(ch);
  return at == std::string_view::npos ? std::string() : std::string(text.substr(0, at));
}

bool IsAllDigits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool IsAllAlpha(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); });
}

bool IsOneOf(int value, std::initializer_list<int> values) {
  return std::find(values.begin(), values.end(), value) != values.end();
}

bool IsOneOfText(std::string_view text, std::initializer_list<std::string_view> texts) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

std::string ChooseText(int n, std::initializer_list<std::string_view> texts) {
  if (n < 1 || static_cast<size_t>(n) > texts.size()) return std::string();
  return std::string(*(texts.begin() + (n - 1)));
}

void FPutText(std::FILE* stream, std::string_view text, std::string_view suffix) {
  if (!stream) return;
  std::fwrite(text.data(), 1, text.size(), stream);
  std::fwrite(suffix.data(), 1, suffix.size(), stream);
}

std::string TrimBrokenDbcs(std::string_view text) {
  size_t lead = text.size();
  for (size_t back = 1; back <= 4 && back <= text.size(); ++back) {
    const auto b = static_cast<unsigned char>(text[text.size() - back]);
    if ((b & 0xC0) != 0x80) {
      lead = text.size() - back;
      break;
    }
  }
  if (lead == text.size()) return std::string(text);
  const size_t expected = Utf8LeadLength(static_cast<unsigned char>(text[lead]));
  if (expected > text.size() - lead) return std::string(text.substr(0, lead));
  return std::string(text);
}

int GetDbcsByteKind(std::string_view text, int position) {
  if (position < 0) return -1;
  size_t pos = 0;
  for (size_t i = 0; i < text.size();) {
    char32_t cp = 0;
    i += Utf8Next(text, i, &cp);
    const size_t width = GbkCharSize(cp);
    const auto p = static_cast<size_t>(position);
    if (p < pos + width) return width == 1 ? 0 : (p == pos ? 1 : 2);
    pos += width;
  }
  return -1;
}

void CSmStringArray::ClearTexts() {
  for (std::string& text : *this) text.clear();
}

namespace {

std::string NormalizeLineEnds(std::string_view text) {
  std::string lines;
  lines.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      const char next = i + 1 < text.size() ? text[i + 1] : '\0';
      if ((next == '\r' || next == '\n') && next != c) ++i;
      lines += '\n';
    } else {
      lines += c;
    }
  }
  return lines;
}

}  // namespace

void GetTextGridSize(std::string_view text, int& rows, int& columns) {
  const std::string lines = NormalizeLineEnds(text);
  const int ends = static_cast<int>(std::count(lines.begin(), lines.end(), '\n'));
  const bool open = !lines.empty() && lines.back() != '\n';  // a last line without its end
  rows = std::max(1, ends + (open ? 1 : 0));
  const std::string first = lines.substr(0, lines.find('\n'));
  columns = static_cast<int>(std::count(first.begin(), first.end(), '\t')) + 1;
}

std::string GetTextGridCell(std::string_view text, int row, int column) {
  const std::string lines = NormalizeLineEnds(text);
  return GetNthField(GetNthField(lines, row, '\n'), column, '\t');
}

std::vector<std::vector<std::string>> SplitTextGrid(std::string_view text) {
  auto split = [](std::string_view whole, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t i = 0; i <= whole.size(); ++i) {
      if (i < whole.size() && whole[i] != separator) continue;
      parts.emplace_back(whole.substr(start, i - start));
      start = i + 1;
    }
    return parts;
  };
  const std::string lines = NormalizeLineEnds(text);
  std::vector<std::vector<std::string>> grid;
  for (const std::string& line : split(lines, '\n')) grid.push_back(split(line, '\t'));
  return grid;
}

std::string SmTextGridCell(const std::vector<std::vector<std::string>>& grid, int row, int column) {
  if (row < 0 || row >= static_cast<int>(grid.size())) return {};
  const std::vector<std::string>& cells = grid[row];
  return column >= 0 && column < static_cast<int>(cells.size()) ? cells[column] : std::string();
}
