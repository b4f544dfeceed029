#pragma once
// The panes of a window's status bar: a stretching message pane on the left, then sunken
// panes ending with the Caps Lock and Num Lock panes, dimmed while their lock is off.
#include <vector>

class QLabel;
class QStatusBar;

// Puts panes of the texts into the bar, named "pane0", "pane1", ...: the first shows messages
// and stretches, the others are sunken and centred, the last two ("大写", "数字") at least
// as wide as their text. The width of a lock pane, for the caller's other panes.
int SmCreateStatusPanes(QStatusBar* bar, const std::vector<const char*>& texts);
// The pane of the index, or null.
QLabel* SmStatusPane(const QStatusBar* bar, int index);
// Keeps the bar's last two panes dimmed while Caps Lock and Num Lock are off, from now on.
void SmFollowLockKeys(QStatusBar* bar);
