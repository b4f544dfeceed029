#include "core/SmUtil.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "core/SmGbk.h"
#include "core/SmPath.h"
#include "core/SmString.h"

namespace {

namespace fs = std::filesystem;

bool FileExists(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(fs::path(SmNativePath(path)), ec);
}

// Wildcard match with "*" and "?", case ignored as the platform's file search does.
bool WildcardMatch(const char* pattern, const char* name) {
  for (; *pattern; ++pattern, ++name) {
    if (*pattern == '*') {
      for (const char* rest = name;; ++rest) {
        if (WildcardMatch(pattern + 1, rest)) return true;
        if (!*rest) return false;
      }
    }
    if (!*name) return false;
    if (*pattern != '?' && std::toupper(static_cast<unsigned char>(*pattern)) !=
                               std::toupper(static_cast<unsigned char>(*name)))
      return false;
  }
  return !*name;
}

std::vector<std::string> SplitComponents(const std::string& backslashPath) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (true) {
    const size_t slash = backslashPath.find('\\', start);
    parts.push_back(backslashPath.substr(start, slash - start));
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  return parts;
}

// Year folders have four digits; child-table folders are shorter numbers.
bool IsYearFolder(const std::string& name) {
  return name.size() == 4 && IsAllDigits(name);
}

// The number the text begins with, as "%d" reads it; beyond int range the nearest end of it.
int LeadingNumber(const std::string& text) {
  const long long value = std::strtoll(text.c_str(), nullptr, 10);
  return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

}  // namespace

std::string CSmUtil::FindMasterReportFile(const std::string& path) {
  std::string rest = SmBackslashPath(path);
  const size_t dot = rest.rfind('.');
  const size_t lastSlash = rest.rfind('\\');
  if (dot != std::string::npos && (lastSlash == std::string::npos || dot > lastSlash))
    rest.resize(dot);
  while (true) {
    const size_t slash = rest.rfind('\\');
    if (slash == std::string::npos) return std::string();
    const std::string name = rest.substr(slash + 1);
    rest.resize(slash);
    if (name.empty() || rest.empty()) return std::string();
    const std::string candidate = rest + "\\" + name + ".QLN";
    if (FileExists(candidate)) return SmNativePath(candidate);
  }
}

bool CSmUtil::FindReportDataFile(const std::string& reportPath) {
  const std::string folder = GetPathFolder(reportPath);
  const std::string title = GetPathTitle(reportPath);
  if (folder.empty() || title.empty()) return false;
  if (FileExists(folder + "\\" + title + ".BSJ")) return true;
  std::string dataFolder = folder + "\\" + title;
  return FindFilesRecursive("*.BSJ", dataFolder);
}

bool CSmUtil::FindFilesRecursive(const std::string& pattern, std::string& folder) {
  std::string base = SmNativePath(folder);
  if (base.size() > 1 && (base.ends_with('/') || base.ends_with('\\'))) base.pop_back();
  if (pattern.find_first_of(" #%;/\\") != std::string::npos) return false;
  std::error_code ec;
  std::vector<fs::directory_entry> entries;
  for (fs::directory_iterator it(fs::path(base), ec), end; !ec && it != end; it.increment(ec))
    entries.push_back(*it);
  std::sort(entries.begin(), entries.end());
  for (const fs::directory_entry& entry : entries) {
    if (entry.is_directory(ec)) continue;
    if (WildcardMatch(pattern.c_str(), entry.path().filename().string().c_str())) {
      folder = entry.path().string();
      return true;
    }
  }
  for (const fs::directory_entry& entry : entries) {
    if (!entry.is_directory(ec)) continue;
    std::string sub = entry.path().string();
    if (FindFilesRecursive(pattern, sub)) {
      folder = sub;
      return true;
    }
  }
  return false;
}

size_t SmFormatCodeLength(std::string_view text, size_t i) {
  if (i + 1 >= text.size()) return 1;
  const auto letter = static_cast<unsigned char>(text[i + 1]);
  if (letter < 'J') return 2;
  if (letter != 'O' && letter != 'P' && letter != 'Q') return 1;
  const size_t end = text.find('\x1c', i + 2);
  return end == std::string_view::npos ? 1 : end - i + 1;
}

int CSmUtil::RawTextPos(std::string& text, int& position) {
  const std::string coded = text;
  std::string plain;
  size_t plainSize = 0;
  size_t codedPos = 0;  // GBK position in the coded text
  size_t i = 0;
  const size_t wanted = static_cast<size_t>(std::max(position, 0));
  // At position 0 the leading codes are walked too: what is typed there takes their format.
  while (i < coded.size() && (plainSize < wanted || (wanted == 0 && coded[i] == 27))) {
    if (coded[i] == 27) {
      const size_t skip = SmFormatCodeLength(coded, i);
      codedPos += GbkSize(std::string_view(coded).substr(i, skip));  // a face name may be Chinese
      i += skip;
      continue;
    }
    char32_t cp = 0;
    const size_t len = Utf8Next(coded, i, &cp);
    plain.append(coded, i, len);
    plainSize += GbkCharSize(cp);
    codedPos += GbkCharSize(cp);
    i += len;
  }
  text = plain;
  position = static_cast<int>(plainSize);
  return static_cast<int>(codedPos);
}

void CSmUtil::InitDefaultLogFont(SmLogFont& font) {
  font = SmLogFont{};
  font.height = 14;
  font.weight = 400;
  font.charSet = 134;
  font.pitchAndFamily = 32;
  font.faceName = "宋体";
}

int CSmUtil::ParseReportPath(const std::string& path, std::string& folder, int& year,
                             std::string& subPath) {
  const std::string p = SmBackslashPath(path);
  folder = SmNativePath(p);
  year = 0;
  subPath.clear();
  const std::string ext = GetPathExt(p);
  if (ext == "QLN") return 2;
  if (ext == "BSJ") return 3;
  if (!ext.empty()) return -2;
  std::vector<std::string> parts = SplitComponents(TrimRightSet(p, "\\"));
  size_t stop = 0;
  for (size_t k = parts.size(); k-- > 0;) {
    if (parts[k].empty() || parts[k].find('.') != std::string::npos) {
      stop = k;
      break;
    }
  }
  std::string front;
  for (size_t k = 0; k <= stop; ++k) front += (k ? "\\" : "") + parts[k];
  for (size_t k = stop + 1; k < parts.size(); ++k)
    subPath += (subPath.empty() ? "" : "\\") + parts[k];
  folder = SmNativePath(front);
  year = LeadingNumber(parts[stop]);
  return 1;
}

void CSmUtil::BuildReportPath(std::string& reference, const std::string& baseReportPath) {
  const std::string r = SmBackslashPath(reference);
  if (r.empty()) return;
  if (r.starts_with('\\') || r.find(':') != std::string::npos) {
    reference = SmNativePath(r);
    return;
  }
  const std::string yearFolder = SmBackslashPath(GetPathFolder(baseReportPath));
  const std::string accountFolder = SmBackslashPath(GetPathFolder(yearFolder));
  const std::vector<std::string> parts = SplitComponents(r);
  std::string built;
  if (parts.size() == 2 && IsYearFolder(parts[0])) {
    const int year = LeadingNumber(parts[0]);
    built = accountFolder.empty()
                ? FormatStr("%d\\%s", year, parts[1].c_str())
                : FormatStr("%s\\%d\\%s", accountFolder.c_str(), year, parts[1].c_str());
  } else if (parts.size() == 3 && IsYearFolder(parts[1])) {
    const std::string root = SmBackslashPath(GetPathFolder(accountFolder));
    const std::string rest = parts[1] + "\\" + parts[2];
    built = FormatStr("%s\\%s\\%s", root.c_str(), parts[0].c_str(), rest.c_str());
  } else {
    built = yearFolder.empty() ? r : FormatStr("%s\\%s", yearFolder.c_str(), r.c_str());
  }
  reference = SmNativePath(built);
}
