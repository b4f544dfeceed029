#include "designer/RiloDb.h"

#include <algorithm>
#include <climits>

#include "platform/SmMessage.h"

std::string SmStoredCellText(const std::string& text) {
  std::string stored = text;
  std::replace(stored.begin(), stored.end(), '\'', '\x0F');
  return stored;
}

std::string SmReadCellText(const std::string& stored) {
  std::string text = stored;
  std::replace(text.begin(), text.end(), '\x0F', '\'');
  return text;
}

bool SmReportNumber(const std::string& text, int& nNo) {
  if (text.empty() || text.size() > 10 ||
      !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return false;
  const long long value = std::stoll(text);
  if (value > INT_MAX) return false;
  nNo = static_cast<int>(value);
  return true;
}

std::string SmChildPath(const std::string& subNo) {
  std::string path = subNo;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

bool SmRefuseStore(const std::string& text) {
  SmMessageBox(text, SM_MB_OK | SM_MB_ICONERROR);
  return false;
}
