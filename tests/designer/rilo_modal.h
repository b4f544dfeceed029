#pragma once
// Driving the modal dialogs of the report designer: each action runs once on the dialog of its
// template id when that dialog is the active modal one.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <memory>

template <typename T>
T* Control(QWidget* dlg, int id) {
  return dlg->findChild<T*>(QString::number(id));
}

inline void Type(QWidget* dlg, int id, const QString& text) {
  Control<QLineEdit>(dlg, id)->setText(text);
}

inline void Press(QWidget* dlg, int id) {
  if (auto* button = Control<QPushButton>(dlg, id)) button->click();
}

// The actions queued for the dialogs that open, in order.
class CModalScript {
 public:
  CModalScript() {
    m_timer.setInterval(5);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { Step(); });
    m_timer.start();
  }
  void Then(int id, std::function<void(QWidget*)> action) {
    m_steps.push_back({id, std::move(action)});
  }
  bool Done() const { return m_next == m_steps.size(); }

 private:
  void Step() {
    if (Done()) return;
    QWidget* dlg = QApplication::activeModalWidget();
    if (!dlg || dlg == m_last || dlg->objectName() != QString::number(m_steps[m_next].first))
      return;
    m_last = dlg;
    auto action = m_steps[m_next++].second;
    action(dlg);
    m_last = nullptr;
  }

  QTimer m_timer;
  std::vector<std::pair<int, std::function<void(QWidget*)>>> m_steps;
  size_t m_next = 0;
  QWidget* m_last = nullptr;
};

// Types the password into the password dialog and confirms it.
inline std::function<void(QWidget*)> GivePassword(const QString& password) {
  return [password](QWidget* dlg) {
    Type(dlg, 1045, password);
    Press(dlg, 1);
  };
}

inline void Cancel(QWidget* dlg) {
  Press(dlg, 2);
}
