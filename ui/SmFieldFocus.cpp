#include "ui/SmFieldFocus.h"

#include <QPushButton>
#include <QWidget>
#include <algorithm>
#include <limits>
#include <vector>

#include "platform/SmCommandIds.h"
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

bool SmTakesTabNow(const QWidget* widget, const QWidget* within) {
  if (!widget || (widget->focusPolicy() & Qt::TabFocus) == 0 || widget->focusProxy()) return false;
  return (within ? widget->isVisibleTo(within) : widget->isVisible()) && widget->isEnabled();
}

QWidget* SmNextTabField(QWidget* from, const QWidget* within) {
  if (!from) return nullptr;
  // The guard ends a chain that never comes back to `from`.
  QWidget* next = from->nextInFocusChain();
  for (int guard = 0; next && next != from && guard < 10000; ++guard) {
    if ((!within || within->isAncestorOf(next)) && SmTakesTabNow(next, within)) return next;
    next = next->nextInFocusChain();
  }
  return nullptr;
}

namespace {

bool TakesTab(const QWidget* widget) {
  return (widget->focusPolicy() & Qt::TabFocus) != 0 && !widget->focusProxy();
}

// The fields below `parent` in its window; a field's own children are its parts.
void CollectFields(const QWidget* parent, std::vector<QWidget*>& fields) {
  for (QObject* child : parent->children()) {
    auto* widget = qobject_cast<QWidget*>(child);
    if (!widget || widget->isWindow()) continue;
    if (TakesTab(widget)) {
      fields.push_back(widget);
    } else {
      CollectFields(widget, fields);
    }
  }
}

struct Placed {
  QWidget* field;
  QRect rect;
};

// Rows in turn, each begun by the highest field not yet read, left to right in a row.
void ReadRows(std::vector<Placed> placed, std::vector<QWidget*>& order) {
  std::stable_sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) {
    return a.rect.top() != b.rect.top() ? a.rect.top() < b.rect.top()
                                        : a.rect.left() < b.rect.left();
  });
  const auto byLeft = [](const Placed& a, const Placed& b) {
    return a.rect.left() < b.rect.left();
  };
  for (auto first = placed.begin(); first != placed.end();) {
    const QRect lead = first->rect;
    auto end = std::next(first);
    while (end != placed.end() &&
           end->rect.top() - lead.top() < std::min(lead.height(), end->rect.height()) / 2)
      ++end;
    std::stable_sort(first, end, byLeft);
    for (auto it = first; it != end; ++it) order.push_back(it->field);
    first = end;
  }
}

}  // namespace

void SmOrderTabByPosition(QWidget* within) {
  if (!within) return;
  std::vector<QWidget*> fields;
  CollectFields(within, fields);
  std::vector<Placed> placed;
  int rightmost = std::numeric_limits<int>::min();
  for (QWidget* field : fields) {
    placed.push_back({field, QRect(field->mapTo(within, QPoint(0, 0)), field->size())});
    if (!qobject_cast<QPushButton*>(field))
      rightmost = std::max(rightmost, placed.back().rect.right());
  }
  // OK and Cancel standing right of every field head the window's column of commands: those
  // buttons are read after the fields beside them, so that the last field leads to OK.
  std::vector<QRect> heads;
  for (const Placed& p : placed) {
    const QString id = p.field->objectName();
    const bool head = id == QString::number(SM_ID_OK) || id == QString::number(SM_ID_CANCEL);
    if (head && qobject_cast<QPushButton*>(p.field) && p.rect.left() > rightmost)
      heads.push_back(p.rect);
  }
  const auto command = [&heads, rightmost](const Placed& p) {
    if (!qobject_cast<QPushButton*>(p.field) || p.rect.left() <= rightmost) return false;
    return std::any_of(heads.begin(), heads.end(), [&p](const QRect& head) {
      return p.rect.left() <= head.right() && head.left() <= p.rect.right();
    });
  };
  const auto commands = std::stable_partition(placed.begin(), placed.end(),
                                              [&command](const Placed& p) { return !command(p); });
  std::vector<QWidget*> order;
  ReadRows({placed.begin(), commands}, order);
  ReadRows({commands, placed.end()}, order);
  for (size_t i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
}
