#pragma once
// The workstation and its user, and the contrasting colours of the standard palette.
#include <cstdint>
#include <string>

// Colours are RGB values with red in the low byte.
using SmColor = std::uint32_t;
constexpr SmColor SmRgb(int r, int g, int b) {
  return static_cast<SmColor>(r & 0xFF) | static_cast<SmColor>(g & 0xFF) << 8 |
         static_cast<SmColor>(b & 0xFF) << 16;
}

// The workstation's name (at most 15 bytes, as the operation log stores it); "" on failure.
std::string GetComputerNameText();
// The name of the user running the program; "" on failure.
std::string GetUserNameText();
// The system's window text colour (black without a GUI application).
SmColor GetSysWindowTextColor();
// With `keep` the colour itself; otherwise the contrasting colour of one of the 16 standard
// colours, and the system's window text colour for any other.
SmColor GetPaletteColor(SmColor color, bool keep);
