#pragma once
// The wait cursor for the length of a scope.
#include <QApplication>

class CSmWaitCursor {
 public:
  CSmWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~CSmWaitCursor() { QApplication::restoreOverrideCursor(); }
  CSmWaitCursor(const CSmWaitCursor&) = delete;
  CSmWaitCursor& operator=(const CSmWaitCursor&) = delete;
};
