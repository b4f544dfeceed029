#include "core/SmPath.h"

#include <QCoreApplication>
#include <filesystem>

#include "core/SmString.h"

namespace {
#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif
}  // namespace

std::string SmNativePath(std::string_view path) {
  std::string native(path);
  for (char& c : native) {
    if (c == '\\' || c == '/') c = kSeparator;
  }
  return native;
}

std::string SmBackslashPath(std::string_view path) {
  std::string text(path);
  for (char& c : text) {
    if (c == '/') c = '\\';
  }
  return text;
}

std::string SmOpenFilePath(std::string_view path) {
  if (path.empty()) return std::string();
  return std::filesystem::path(SmNativePath(path)).lexically_normal().string();
}

std::string GetModulePath() {
  if (QCoreApplication::instance())
    return SmNativePath(QCoreApplication::applicationFilePath().toStdString());
  std::error_code ec;
  return std::filesystem::read_symlink("/proc/self/exe", ec).string();
}

bool IsSubPath(std::string_view folder, std::string_view path) {
  const std::string f = TrimRightSet(SmBackslashPath(MakeUpperCopy(folder)), "/\\");
  const std::string p = TrimRightSet(SmBackslashPath(MakeUpperCopy(path)), "/\\");
  return p.starts_with(f);
}

std::string GetPathExt(std::string_view path) {
  const std::string p = SmBackslashPath(path);
  const size_t dot = p.rfind('.');
  const size_t slash = p.rfind('\\');
  if (dot == std::string::npos || (slash != std::string::npos && slash > dot)) return std::string();
  return MakeUpperCopy(p.substr(dot + 1));
}

std::string GetPathTitle(std::string_view path) {
  std::string p = SmBackslashPath(path);
  const size_t dot = p.rfind('.');
  const size_t slash = p.rfind('\\');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) p.resize(dot);
  return slash == std::string::npos ? p : p.substr(slash + 1);
}

std::string GetPathFolder(std::string_view path) {
  std::string p = SmBackslashPath(path);
  if (p.ends_with('\\')) p.pop_back();
  const size_t slash = p.rfind('\\');
  if (slash == std::string::npos) return std::string();
  p.resize(slash);
  if (p.empty() || p.ends_with('\\')) return std::string();
  return SmNativePath(p);
}
