#include "core/SmPathName.h"

#include <filesystem>

#include "core/SmPath.h"

namespace {

namespace fs = std::filesystem;

bool Exists(const std::string& path) {
  std::error_code ec;
  return fs::exists(fs::path(SmNativePath(path)), ec);
}

bool HoldsBadChar(const std::string& text, const char* bad) {
  return text.find_first_of(bad) != std::string::npos;
}

const char* const kBadChars = "?*|<>\"";
const char* const kBadRelativeChars = ":?*|<>\"";

}  // namespace

void CSmPathName::CheckSyntax(std::string& root, std::string& relative) {
  root.clear();
  relative.clear();
  drive.clear();
  server.clear();
  if (path.empty()) {
    result = 0;
    return;
  }
  if (HoldsBadChar(path, kBadChars)) {
    result = -1;
    return;
  }
  const std::string p = SmBackslashPath(path);
  if (p.starts_with("\\\\")) {
    root = "\\\\";
    std::string rest = p.substr(2);
    const size_t slash = rest.find('\\');
    if (rest.find("\\\\") != std::string::npos || slash == 0) {
      result = -1;
      return;
    }
    if (slash == std::string::npos) {
      server = rest;
      root += rest;
      result = 5;
      return;
    }
    server = rest.substr(0, slash);
    root += server + "\\";
    rest.erase(0, slash + 1);
    const size_t shareEnd = rest.find('\\');
    drive = rest.substr(0, shareEnd);
    root += drive;
    if (shareEnd != std::string::npos) {
      root += "\\";
      relative = rest.substr(shareEnd + 1);
    }
    if (!Exists(root)) result = 4;
    return;
  }
  if (p == ".") {
    root = ".\\";
  } else if (p.starts_with('\\')) {
    root = "\\";  // the top folder, so that folders are created from there and not from here
    relative = p.substr(1);
  } else if (p == "..") {
    root = "..\\";
  } else if (p.starts_with(".\\")) {
    root = ".\\";
    relative = p.substr(2);
  } else if (p.starts_with("..\\")) {
    root = "..\\";
    relative = p.substr(3);
  } else if (p.starts_with('.')) {
    result = -1;
  } else if (const size_t colon = p.find(':'); colon == std::string::npos) {
    root = ".\\";
    relative = p;
  } else {
    drive = p.substr(0, colon + 1);
    root = drive + "\\";
    relative = p.substr(colon + 1);
    if (relative.starts_with('\\')) relative.erase(0, 1);
    if (!Exists(root)) result = 4;
  }
}

void CSmPathName::SetPath(const std::string& newPath) {
  path = newPath;
  extension.clear();
  title.clear();
  result = 1;
  std::string root;
  std::string relative;
  CheckSyntax(root, relative);
  if (HoldsBadChar(relative, kBadRelativeChars)) {
    result = -1;
    return;
  }
  const std::string p = SmBackslashPath(path);
  const size_t slash = p.rfind('\\');
  const std::string name = slash == std::string::npos ? p : p.substr(slash + 1);
  const size_t dot = name.rfind('.');
  title = name.substr(0, dot);
  if (dot != std::string::npos) extension = name.substr(dot + 1);
}

int CSmPathName::GetResultText(std::string& text) const {
  switch (result) {
    case -21:
      text = "创建文件夹失败！";
      break;
    case -20:
      text = "不是一个文件夹而是一个已存在的文件！";
      break;
    case -5:
      text = "磁盘空间不够！";
      break;
    case -4:
      text = "文件名语法出错！";
      break;
    case -3:
      text = "此文件夹的父文件夹不存在！";
      break;
    case -2:
      text = "当前路径不存在！";
      break;
    case -1:
      text = "文件名不能包含以下字母！\n\n\t/?*|<>\"";
      break;
    case 0:
      text = "文件名为空！";
      break;
    case 1:
      text = "文件名正确！";
      break;
    case 2:
      text = "文件名已存在！";
      break;
    case 3:
      text = "非本机文件名！";
      break;
    case 4:
      text = "文件名中含有无效驱动器名！";
      break;
    case 5:
      text = "文件名无驱动器名！";
      break;
    case 6:
      text = "此文件夹已经存在！";
      break;
    default:
      text.clear();
      break;
  }
  return result;
}

void CSmPathName::CheckNotFile() {
  if (result != 1) return;
  std::error_code ec;
  const fs::path native(SmNativePath(path));
  if (fs::exists(native, ec) && !fs::is_directory(native, ec)) result = 2;
}

void CSmPathName::CreateFolderPath(const std::string& newPath) {
  path = newPath;
  result = 1;
  std::string root;
  std::string relative;
  CheckSyntax(root, relative);
  CheckNotFile();
  if (result != 1) return;
  if (HoldsBadChar(relative, kBadRelativeChars)) {
    result = -1;
    return;
  }
  std::string folder = root;
  size_t start = 0;
  while (start < relative.size()) {
    const size_t slash = relative.find('\\', start);
    const size_t end = slash == std::string::npos ? relative.size() : slash;
    if (end > start) {
      folder += relative.substr(start, end - start) + "\\";
      if (!Exists(folder)) {
        std::error_code ec;
        if (!fs::create_directory(fs::path(SmNativePath(folder)), ec)) {
          result = -21;
          return;
        }
      }
    }
    start = end + 1;
  }
}

char FindNonSystemFixedDrive() {
  // Drives with letters exist only on Windows; folders here start from "/".
  return 0;
}
