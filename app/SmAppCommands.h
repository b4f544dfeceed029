#pragma once
// Shared pieces of the application's menu commands.
#include <string>

// Says that the command's function is not part of this program yet; `name` is the menu text.
void SmFunctionNotBuilt(const std::string& name);
