#include "core/SmSystem.h"

#include <pwd.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QPalette>
#include <array>
#include <cstdlib>
#include <utility>

#include "core/SmGbk.h"

std::string GetComputerNameText() {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0) return std::string();
  return GbkCut(name, 15);
}

std::string GetUserNameText() {
  for (const char* variable : {"USER", "LOGNAME", "USERNAME"}) {
    if (const char* name = std::getenv(variable); name && *name) return name;
  }
  // Without the variables (a service, a cron job) the account comes from the password database.
  passwd entry{};
  passwd* found = nullptr;
  std::array<char, 4096> buffer{};
  if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_name)
    return found->pw_name;
  return std::string();
}

SmColor GetPaletteColor(SmColor color, bool keep) {
  if (keep) return color;
  static constexpr std::array<std::pair<SmColor, SmColor>, 16> kContrasts = {{
      {SmRgb(0, 0, 0), SmRgb(255, 255, 255)},
      {SmRgb(128, 0, 0), SmRgb(0, 255, 255)},
      {SmRgb(255, 0, 0), SmRgb(0, 128, 128)},
      {SmRgb(0, 128, 0), SmRgb(255, 0, 255)},
      {SmRgb(128, 128, 0), SmRgb(0, 0, 255)},
      {SmRgb(0, 255, 0), SmRgb(128, 0, 128)},
      {SmRgb(255, 255, 0), SmRgb(0, 0, 128)},
      {SmRgb(0, 0, 128), SmRgb(255, 255, 0)},
      {SmRgb(128, 0, 128), SmRgb(0, 255, 0)},
      {SmRgb(0, 128, 128), SmRgb(255, 0, 0)},
      {SmRgb(128, 128, 128), SmRgb(192, 192, 192)},
      {SmRgb(192, 192, 192), SmRgb(128, 128, 128)},
      {SmRgb(0, 0, 255), SmRgb(128, 128, 0)},
      {SmRgb(255, 0, 255), SmRgb(0, 128, 0)},
      {SmRgb(0, 255, 255), SmRgb(128, 0, 0)},
      {SmRgb(255, 255, 255), SmRgb(0, 0, 0)},
  }};
  for (const auto& [standard, contrast] : kContrasts) {
    if (standard == color) return contrast;
  }
  return GetSysWindowTextColor();
}

SmColor GetSysWindowTextColor() {
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return SmRgb(0, 0, 0);
  const QColor text = QGuiApplication::palette().color(QPalette::WindowText);
  return SmRgb(text.red(), text.green(), text.blue());
}
