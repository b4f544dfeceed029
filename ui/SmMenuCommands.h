#pragma once
// Trimming a context menu built from a shared menu resource.
#include <initializer_list>

class QMenu;

// Removes the menu's items whose command is one of `ids`.
void SmRemoveMenuCommands(QMenu* popup, std::initializer_list<unsigned> ids);
