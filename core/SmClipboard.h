#pragma once
// Text on the system clipboard. Format SM_CF_TEXT is plain text that every program reads; a
// private format (from SmRegisterClipboardFormat) carries the program's own data beside it.
#include <string>

inline constexpr unsigned SM_CF_TEXT = 1;

// The format number of a private clipboard format, the same number for the same name.
unsigned SmRegisterClipboardFormat(const std::string& name);

// Replaces the clipboard's content with the text under the format; false when there is no
// clipboard (no application object) or the format is unknown.
bool SetClipboardText(const std::string& text, unsigned format = SM_CF_TEXT);
// The clipboard's text of the format; false and "" when there is no clipboard or no such data.
bool GetClipboardText(std::string& text, unsigned format = SM_CF_TEXT);
