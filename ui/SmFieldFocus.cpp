#include "ui/SmFieldFocus.h"

#include <QWidget>

#include "platform/SmMessage.h"

bool SmShowRefusal(const SmRefusal& refusal, QWidget* field) {
  if (!refusal) return true;
  if (refusal.IsStop()) {
    if (!refusal.text.empty()) SmMessageBox(refusal.text, SM_MB_ICONERROR);
  } else if (SmMessageBox(refusal.text, SM_MB_YESNOCANCEL | SM_MB_ICONQUESTION) == SM_IDYES) {
    return true;
  }
  if (field) field->setFocus();
  return false;
}

bool SmRefuse(const std::string& text, QWidget* field) {
  return SmShowRefusal(SmRefusal::Stop(kSmNoField, text), field);
}

QWidget* SmNextTabField(QWidget* from, const QWidget* within) {
  if (!from) return nullptr;
  // The guard ends a chain that never comes back to `from`.
  QWidget* next = from->nextInFocusChain();
  for (int guard = 0; next && next != from && guard < 10000; ++guard) {
    const bool takesTab = (next->focusPolicy() & Qt::TabFocus) != 0 && !next->focusProxy();
    if ((!within || within->isAncestorOf(next)) && takesTab && next->isVisible() &&
        next->isEnabled())
      return next;
    next = next->nextInFocusChain();
  }
  return nullptr;
}
