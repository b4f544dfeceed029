#pragma once
// Checks on a shown dialog as the clerk uses it: dates typed into three fields, OK pressed,
// and where the focus went.
#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include <string>
#include <utility>

#include "platform/SmMessage.h"
#include "tests/common/SmModalScript.h"
#include "tests/common/SmTestMain.h"

// Types a date into the year, month and day fields that start at id `first`.
inline void TypeDate(QWidget* dlg, int first, const char* y, const char* m, const char* d) {
  Type(dlg, first, y);
  Type(dlg, first + 1, m);
  Type(dlg, first + 2, d);
}

// OK pressed: the box shown (empty when none) and whether the dialog closed.
template <class Dialog>
std::pair<std::string, bool> Confirm(Dialog& dlg) {
  SmResetMessages();
  dlg.OnOK();
  return {CSmMessageService::Instance().LastText(), dlg.result() == QDialog::Accepted};
}

// The object name of the field that has the focus (empty when none).
inline std::string Focused(const QWidget& dlg) {
  return dlg.focusWidget() ? dlg.focusWidget()->objectName().toStdString() : std::string();
}

// The widget that has the keyboard focus, once the window of `widget` is active. A window is
// made active a moment after it shows (later still on a loaded machine or under the sanitizers)
// and none of its widgets has the focus before that: every check of the focus waits here, ten
// seconds at most.
inline QWidget* ActiveFocus(QWidget* widget) {
  QWidget* window = widget->window();
  if (!window->isActiveWindow()) window->activateWindow();
  const QDeadlineTimer deadline(10000);
  while (!window->isActiveWindow() && !deadline.hasExpired()) {
    QEventLoop wait;
    QTimer::singleShot(10, &wait, &QEventLoop::quit);
    wait.exec();
  }
  return QApplication::focusWidget();
}
