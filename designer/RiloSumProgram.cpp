#include "designer/RiloSumProgram.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "app/SmApp.h"
#include "app/SmServerYearFile.h"
#include "core/SmDatabase.h"
#include "core/SmPath.h"
#include "core/SmString.h"
#include "designer/RiloRptEntry.h"
#include "platform/SmMessage.h"

namespace {

constexpr char kEscape = '\x1B';
constexpr std::string_view kLineBlanks = " \t\r\n";

// The key words in the order they are tried at each position.
constexpr std::array<std::string_view, 5> kKeyWords = {"文件", "账套", "年度", "母表号", "子表号"};

std::string LineError(int line, const char* what) {
  return FormatStr("第%d行错误：\n\n%s", line, what);
}

// CR LF and lone CR as LF, tabs as blanks.
std::string UnifyLines(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r') {
      out += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += c == '\t' ? ' ' : c;
    }
  }
  return out;
}

std::vector<std::string> SplitItems(const std::string& text) {
  std::vector<std::string> items;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(';', start);
    items.push_back(TrimChars(text.substr(start, end == std::string::npos ? end : end - start)));
    if (end == std::string::npos) return items;
    start = end + 1;
  }
}

// An item "from:to" or "x" (from = to).
void SplitRange(const std::string& item, std::string& from, std::string& to) {
  const size_t colon = item.find(':');
  from = TrimChars(item.substr(0, colon));
  to = colon == std::string::npos ? from : TrimChars(item.substr(colon + 1));
}

// A range of four-digit texts (years, account sets), stepped with the width kept.
bool FourDigitRange(const std::string& item, std::vector<std::string>& texts) {
  std::string from, to;
  SplitRange(item, from, to);
  if (from.size() != 4 || to.size() != 4 || !IsAllDigits(from) || !IsAllDigits(to) || from > to)
    return false;
  for (int n = std::atoi(from.c_str()); n <= std::atoi(to.c_str()); ++n)
    texts.push_back(FormatStr("%04d", n));
  return true;
}

bool NumberRange(const std::string& item, std::vector<int>& numbers) {
  std::string from, to;
  SplitRange(item, from, to);
  if (from.empty() || to.empty() || !IsAllDigits(from) || !IsAllDigits(to) || from.size() > 9 ||
      to.size() > 9)
    return false;
  const int first = std::atoi(from.c_str());
  const int last = std::atoi(to.c_str());
  if (first > last) return false;
  for (int n = first; n <= last; ++n) numbers.push_back(n);
  return true;
}

std::string ValueOr(const SmRiloSumBlock& block, int key, const std::string& fallback) {
  const std::string& value = block.values[static_cast<size_t>(key)];
  return value.empty() ? fallback : value;
}

int LineOf(const SmRiloSumBlock& block, int key) {
  return block.lines[static_cast<size_t>(key)];
}

// The report numbers and child patterns of the block over one open data file or database;
// each catalogue entry found adds "<prefix>\<number>\<child number>".
std::string ListTables(const SmRiloSumBlock& block, const SmRiloSumTarget& target,
                       const std::string& prefix, CSmDatabase& db, std::vector<std::string>& refs) {
  std::vector<int> numbers;
  for (const std::string& item :
       SplitItems(ValueOr(block, SM_SUM_REPORT, FormatStr("%d", target.nNo)))) {
    if (!NumberRange(item, numbers)) return LineError(LineOf(block, SM_SUM_REPORT), "母表号错误！");
  }
  const std::vector<std::string> patterns = SplitItems(ValueOr(block, SM_SUM_CHILD, target.subNo));
  for (const int nNo : numbers) {
    for (const std::string& item : patterns) {
      const std::string pattern = RiloSumChildPattern(item, target.subNo);
      if (pattern.empty()) continue;
      std::vector<CRiloRptEntry> entries;
      CRiloRptEntry::List(FormatStr("Where nNo=%d And Rtrim(sSubNo) Like '%s' Order By sSubNo", nNo,
                                    db.SqlText(pattern).c_str()),
                          entries, &db);
      for (const CRiloRptEntry& entry : entries)
        refs.push_back(FormatStr("%s\\%d\\%s", prefix.c_str(), nNo, entry.m_subNo.c_str()));
    }
  }
  return {};
}

void CollectSubfolders(const std::filesystem::path& folder, std::vector<std::string>& folders) {
  std::error_code ec;
  std::vector<std::filesystem::path> children;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    if (it->is_directory(ec)) children.push_back(it->path());
  }
  std::sort(children.begin(), children.end());
  for (const std::filesystem::path& child : children) {
    folders.push_back(child.string());
    CollectSubfolders(child, folders);
  }
}

// Each ";"-separated folder of the text with all its subfolders.
std::vector<std::string> CollectFolders(const std::string& text) {
  std::vector<std::string> folders;
  for (std::string item : SplitItems(text)) {
    item = TrimRightSet(SmBackslashPath(item), "\\");
    if (item.empty()) continue;
    const std::string folder = SmNativePath(item);
    folders.push_back(folder);
    CollectSubfolders(SmOpenFilePath(folder), folders);
  }
  return folders;
}

bool IsFile(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(SmOpenFilePath(path), ec);
}

CSmConnInfo AppSettings() {
  CSmApp* app = SmGetApp();
  return app ? app->m_env.GetConnInfo() : CSmConnInfo();
}

}  // namespace

void RiloReadSumNote(const std::string& note, SmRiloSumSettings& settings, std::string& program) {
  settings = SmRiloSumSettings();
  const size_t escape = note.find(kEscape);
  if (escape == std::string::npos) {
    program = note;
    return;
  }
  program = note.substr(escape + 1);
  if (escape != 3 || !IsAllDigits(note.substr(0, 3))) return;
  settings.scale = std::min(note[0] - '0', 6);
  settings.decimals = std::min(note[1] - '0', 6);
  settings.clear = note[2] != '0' ? 1 : 0;
}

std::string RiloSumNote(const SmRiloSumSettings& settings, const std::string& program) {
  if (settings.IsDefault()) return program;
  return FormatStr("%d%d%d%c", settings.scale, settings.decimals, settings.clear, kEscape) +
         program;
}

std::string RiloSumProgramTemplate(const std::string& ext) {
  return "开始\r\n"
         "  文件 " +
         ext +
         " //在此输入要汇总的文件类型标识\r\n"
         "  账套  //请在此处输入要汇总的账套位置\r\n"
         "  年度    //请在此处输入要汇总的年份\r\n"
         "  母表号  //请在此处输入要汇总的母表号\r\n"
         "  子表号  //请在此处输入要汇总的子表号\r\n"
         "结束\r\n";
}

void RiloRemoveDuplicateTexts(std::vector<std::string>& texts) {
  std::vector<std::string> seen;
  std::vector<std::string> kept;
  for (std::string& text : texts) {
    std::string key = MakeUpperCopy(text);
    if (std::find(seen.begin(), seen.end(), key) != seen.end()) continue;
    seen.push_back(std::move(key));
    kept.push_back(std::move(text));
  }
  texts = std::move(kept);
}

std::vector<std::string> RiloSplitSumList(const std::string& list) {
  std::vector<std::string> lines;
  std::string rest = TrimChars(UnifyLines(list), kLineBlanks);
  while (!rest.empty()) {
    const size_t end = rest.find('\n');
    lines.push_back(rest.substr(0, end));
    rest = end == std::string::npos ? std::string() : TrimChars(rest.substr(end + 1), kLineBlanks);
  }
  RiloRemoveDuplicateTexts(lines);
  return lines;
}

std::string RiloRunSumProgram(const std::string& program, const SmRiloSumBlockRunner& runBlock,
                              std::vector<std::string>& refs) {
  // Key words are read without regard to case; values keep theirs, since folders, files and
  // database names are told apart by case here.
  const std::string original = UnifyLines(program);
  const std::string text = MakeUpperCopy(original);
  const auto finish = [&refs](std::string error) {
    RiloRemoveDuplicateTexts(refs);
    return error;
  };
  const auto at = [&text](size_t i, std::string_view word) {
    return text.compare(i, word.size(), word) == 0;
  };
  SmRiloSumBlock block;
  bool inBlock = false;
  int key = -1;
  int line = 1;
  for (size_t i = 0; i < text.size();) {
    if (at(i, "/*")) {
      const size_t end = text.find("*/", i + 2);
      const size_t stop = end == std::string::npos ? text.size() : end + 2;
      line += static_cast<int>(std::count(text.begin() + i, text.begin() + stop, '\n'));
      i = stop;
      continue;
    }
    if (at(i, "//")) {
      i = std::min(text.find('\n', i), text.size());
      continue;
    }
    if (at(i, "开始")) {
      if (inBlock) return finish(LineError(line, "“开始”无“”配对！"));
      inBlock = true;
      block = SmRiloSumBlock();
      key = -1;
      i += std::string_view("开始").size();
      continue;
    }
    if (at(i, "结束")) {
      if (!inBlock) return finish(LineError(line, "“结束”无“开始”配对！"));
      inBlock = false;
      if (std::string error = runBlock(block, refs); !error.empty()) return finish(error);
      i += std::string_view("结束").size();
      continue;
    }
    const auto word = std::find_if(kKeyWords.begin(), kKeyWords.end(),
                                   [&](std::string_view w) { return at(i, w); });
    if (word != kKeyWords.end()) {
      key = static_cast<int>(word - kKeyWords.begin());
      block.lines[static_cast<size_t>(key)] = line;
      i += word->size();
      continue;
    }
    const char c = original[i++];
    if (c == '\n') {
      ++line;
    } else if (c != ' ') {
      if (key < 0) return finish(LineError(line, "无先导词！"));
      block.values[static_cast<size_t>(key)] += c;
    }
  }
  return finish({});
}

std::string RiloSumChildPattern(const std::string& item, const std::string& targetSubNo) {
  const size_t slash = targetSubNo.rfind('\\');
  const std::string last = slash == std::string::npos ? targetSubNo : targetSubNo.substr(slash + 1);
  std::string pattern = ReplaceAll(TrimChars(item), ".", targetSubNo);
  for (size_t at = MakeUpperCopy(pattern).find("#XH"); at != std::string::npos;
       at = MakeUpperCopy(pattern).find("#XH", at + last.size()))
    pattern.replace(at, 3, last);
  return pattern;
}

std::string RiloSumBlockFiles(const SmRiloSumBlock& block, const SmRiloSumTarget& target,
                              std::vector<std::string>& refs) {
  const std::string ext = ValueOr(block, SM_SUM_FILE, target.ext);
  const std::string own = SmBackslashPath(target.dataFile);
  const size_t slash = own.rfind('\\');
  const std::string ownFolder = slash == std::string::npos ? std::string() : own.substr(0, slash);
  const std::string ownName = slash == std::string::npos ? own : own.substr(slash + 1);
  const std::vector<std::string> yearItems =
      SplitItems(ValueOr(block, SM_SUM_YEAR, ownName.substr(0, 4)));
  for (const std::string& folder : CollectFolders(ValueOr(block, SM_SUM_SET, ownFolder))) {
    std::vector<std::string> years;
    for (const std::string& item : yearItems) {
      if (!FourDigitRange(item, years)) return LineError(LineOf(block, SM_SUM_YEAR), "年度错误！");
    }
    for (const std::string& year : years) {
      const std::string file = SmNativePath(
          FormatStr("%s\\%s.%s", SmBackslashPath(folder).c_str(), year.c_str(), ext.c_str()));
      if (!IsFile(file)) continue;
      CSmDatabase db(0);
      if (!db.Open(SmOpenFilePath(file), AppSettings())) {
        SmMessageBox(FormatStr("打开数据库%s失败！", file.c_str()), SM_MB_ICONINFORMATION);
        continue;
      }
      if (std::string error = ListTables(block, target, file, db, refs); !error.empty())
        return error;
    }
  }
  return {};
}

std::string RiloSumBlockServer(const SmRiloSumBlock& block, const SmRiloSumTarget& target,
                               CSmDatabase& server, std::vector<std::string>& refs) {
  const std::string ext = ValueOr(block, SM_SUM_FILE, target.ext);
  const std::string own = target.dataFile.size() > target.ext.size()
                              ? target.dataFile.substr(target.ext.size())
                              : std::string();
  std::vector<std::string> sets;
  for (const std::string& item : SplitItems(ValueOr(block, SM_SUM_SET, own.substr(0, 4)))) {
    if (!FourDigitRange(item, sets)) return LineError(LineOf(block, SM_SUM_SET), "账套号错误！");
  }
  const std::string ownYear = own.size() > 4 ? own.substr(4, 4) : std::string();
  const std::vector<std::string> yearItems = SplitItems(ValueOr(block, SM_SUM_YEAR, ownYear));
  for (const std::string& set : sets) {
    std::vector<std::string> years;
    for (const std::string& item : yearItems) {
      if (!FourDigitRange(item, years)) return LineError(LineOf(block, SM_SUM_YEAR), "年度错误！");
    }
    for (const std::string& year : years) {
      const std::string name = SmServerDatabaseName(ext, set, std::atoi(year.c_str()));
      if (!server.DatabaseExists(name)) continue;
      CSmDatabase db(server.GetKind());
      if (!db.Open(name, server.GetConnInfo())) {
        SmMessageBox(FormatStr("打开数据库%s失败！", name.c_str()), SM_MB_ICONINFORMATION);
        continue;
      }
      if (std::string error = ListTables(block, target, name, db, refs); !error.empty())
        return error;
    }
  }
  return {};
}
