#pragma once
// The focus helpers of cards and dialogs: the box of a refusal that puts the clerk back on its
// field, and the next field the Enter key moves to.
#include "core/SmRefusal.h"

class QWidget;

// Shows the refusal's box: a stop with the error icon (none when its text is empty: what
// failed has said why already); a warning asks with Yes, No and Cancel.
// A stop, or a warning not answered Yes, focuses `field` (when given) and gives false; a passed
// warning, or no refusal at all, gives true.
bool SmShowRefusal(const SmRefusal& refusal, QWidget* field);
// A stop with `text` on `field`: always false, for returning.
bool SmRefuse(const std::string& text, QWidget* field);

// The widget after `from` in the tab order that can take the focus now (visible, enabled,
// taking Tab, no focus proxy), inside `within`; nullptr when the chain comes back to `from`.
QWidget* SmNextTabField(QWidget* from, const QWidget* within);
