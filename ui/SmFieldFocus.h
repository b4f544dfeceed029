#pragma once
// The focus helpers of cards and dialogs: the box of a refusal that puts the clerk back on its
// field, the next field the Enter key moves to, and the Tab order by where the fields stand.
#include "core/SmRefusal.h"

class QWidget;

// Shows the refusal's box: a stop with the error icon (none when its text is empty: what
// failed has said why already); a warning asks with Yes, No and Cancel.
// A stop, or a warning not answered Yes, focuses `field` (when given) and gives false; a passed
// warning, or no refusal at all, gives true.
bool SmShowRefusal(const SmRefusal& refusal, QWidget* field);
// A stop with `text` on `field`: always false, for returning.
bool SmRefuse(const std::string& text, QWidget* field);

// Whether Tab can stop on the widget now: shown, enabled, taking Tab, no focus proxy. With
// `within`, shown inside it, so that a window not yet shown can choose its first field.
bool SmTakesTabNow(const QWidget* widget, const QWidget* within = nullptr);
// The widget after `from` in the tab order that can take the focus now, inside `within`;
// nullptr when the chain comes back to `from`.
QWidget* SmNextTabField(QWidget* from, const QWidget* within);

// Orders the fields below `within` (those of its window that take Tab) by where they stand, as
// the clerk reads them: rows from top to bottom, left to right in a row. Two fields share a row
// when their tops differ by less than half the lower one's height, so a tall list beside a
// column of fields stands in the row of the first. The column of OK and Cancel, when it stands
// right of every field, comes after the fields. The parts of a field that takes the focus
// itself (a combo box's edit, say) stay with it.
void SmOrderTabByPosition(QWidget* within);
