#pragma once
// Fonts as the program stores them (faces such as "宋体" and "黑体", heights as numbers) made
// into Qt fonts drawn with an installed CJK font where the stored face is not installed.
#include <QFont>
#include <QStringList>
#include <string>

#include "core/SmUtil.h"

// The stored face first, then the installed CJK families of its kind (serif for "宋体" and the
// brush faces, sans for "黑体" and the rest).
QStringList SmFontFamilies(const std::string& face);
// The font of a stored description with its height in pixels (the sign of the height ignored).
QFont SmMakeFont(const SmLogFont& font, int pixelHeight);
