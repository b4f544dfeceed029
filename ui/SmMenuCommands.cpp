#include "ui/SmMenuCommands.h"

#include <QAction>
#include <QMenu>
#include <algorithm>

void SmRemoveMenuCommands(QMenu* popup, std::initializer_list<unsigned> ids) {
  if (!popup) return;
  for (QAction* action : popup->actions()) {
    if (action->isSeparator()) continue;
    if (std::find(ids.begin(), ids.end(), action->data().toUInt()) != ids.end())
      popup->removeAction(action);
  }
}
