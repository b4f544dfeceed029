#pragma once
// Driving dialogs in tests as a user would: controls found by their id, boxes read from the
// message service, and actions run once on the dialog of a template id when that dialog is the
// active modal one.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"

// The object name of the control of an id (what Focused() reads).
inline std::string IdName(int id) {
  return std::to_string(id);
}

template <typename T>
T* Control(QWidget* dlg, int id) {
  return dlg->findChild<T*>(QString::number(id));
}

template <typename T>
T* Find(QWidget* dlg, int id) {
  return dlg->findChild<T*>(QString::number(id));
}

inline void Click(QWidget* dlg, int id) {
  QPushButton* button = Find<QPushButton>(dlg, id);
  ASSERT_NE(button, nullptr) << id;
  button->click();
}

// Whether a box with the text was shown since the messages were last cleared.
inline bool Shown(const std::string& text) {
  for (const SmShownMessage& message : CSmMessageService::Instance().Shown()) {
    if (message.text == text) return true;
  }
  return false;
}

// Runs `action` once on the modal dialog of the template id when it shows; the timer belongs
// to `owner`.
inline void OnModalOf(QObject* owner, int id, std::function<void(QWidget*)> action) {
  auto* timer = new QTimer(owner);
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, timer, [timer, id, action] {
    QWidget* dlg = QApplication::activeModalWidget();
    if (!dlg || dlg->objectName() != QString::number(id) || !timer->isActive()) return;
    timer->stop();
    action(dlg);
  });
  timer->start();
}

inline void Type(QWidget* dlg, int id, const QString& text) {
  Control<QLineEdit>(dlg, id)->setText(text);
}

inline void Press(QWidget* dlg, int id) {
  if (auto* button = Control<QPushButton>(dlg, id)) button->click();
}

// The actions queued for the dialogs that open, in order. Each step has a timer of its own,
// so that a step can run inside the modal loop an earlier step opened.
class CModalScript {
 public:
  void Then(int id, std::function<void(QWidget*)> action) {
    const size_t index = m_steps.size();
    auto& step = m_steps.emplace_back(Step{id, std::move(action), std::make_unique<QTimer>()});
    step.timer->setInterval(5);
    QObject::connect(step.timer.get(), &QTimer::timeout, [this, index] { Run(index); });
    step.timer->start();
  }
  bool Done() const { return m_next == m_steps.size(); }

 private:
  struct Step {
    int id;
    std::function<void(QWidget*)> action;
    std::unique_ptr<QTimer> timer;
  };

  void Run(size_t index) {
    if (m_next != index) return;
    QWidget* dlg = QApplication::activeModalWidget();
    if (!dlg || dlg->objectName() != QString::number(m_steps[index].id)) return;
    // A dialog whose earlier action has not returned yet (it opened another dialog) waits.
    if (std::find(m_running.begin(), m_running.end(), dlg) != m_running.end()) return;
    ++m_next;
    m_steps[index].timer->stop();
    m_running.push_back(dlg);
    m_steps[index].action(dlg);
    m_running.pop_back();
  }

  std::deque<Step> m_steps;
  size_t m_next = 0;
  std::vector<QWidget*> m_running;
};

inline void Cancel(QWidget* dlg) {
  Press(dlg, SM_ID_CANCEL);
}
