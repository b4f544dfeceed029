#pragma once
// The busy indicator: the wait cursor and the small modeless window 802 for the length of a
// long piece of work.
#include <QDialog>
#include <memory>

class CSmWaitWnd {
 public:
  CSmWaitWnd();
  ~CSmWaitWnd();
  CSmWaitWnd(const CSmWaitWnd&) = delete;
  CSmWaitWnd& operator=(const CSmWaitWnd&) = delete;
  void Show();
  void Hide();
  QDialog* Window() const { return m_wnd.get(); }

 private:
  std::unique_ptr<QDialog> m_wnd;
};
