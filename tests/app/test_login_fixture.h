#pragma once
// Driving the log-in dialogs as a user would: an application with one module, controls found
// by their id, and actions run on a modal dialog when it shows.
#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/SmApp.h"
#include "app/SmOpenDataDlg.h"
#include "platform/SmMessage.h"
#include "tests/common/SmTestMain.h"

class LoginApp : public CSmApp {
 public:
  explicit LoginApp(const std::string& docType, const std::string& ext = "tsd") {
    m_info.m_id = 1;
    m_info.m_docType = docType;
    m_info.m_title = "甘蔗收购";
    m_info.m_ext = ext;
    SelectModuleInfo();
  }
  void GetModuleInfos(std::vector<CSmModuleInfo>& out) override { out.push_back(m_info); }
  void RunUpdater() override {}
  std::string GetEngineTestFolder() override { return SmTestHome() + "/engine"; }
  void ExitProcess(int code) override { exitedWith = code; }
  int exitedWith = -1;

 protected:
  bool RegisterDataFileType() override { return true; }

 private:
  CSmModuleInfo m_info;
};

template <typename T>
T* Find(QWidget* dlg, int id) {
  return dlg->findChild<T*>(QString::number(id));
}

inline void Click(QWidget* dlg, int id) {
  QPushButton* button = Find<QPushButton>(dlg, id);
  ASSERT_NE(button, nullptr) << id;
  button->click();
}

// Chooses the operator whose entry begins with the number.
inline void ChooseOperator(QWidget* dlg, const QString& number) {
  auto* combo = Find<QComboBox>(dlg, 1051);
  for (int i = 0; i < combo->count(); ++i) {
    if (combo->itemText(i).startsWith(number + " ")) combo->setCurrentIndex(i);
  }
}

inline std::string SelectedFile(QWidget* dlg) {
  return CBookDirTree::PathOf(Find<QTreeWidget>(dlg, 1050)->currentItem());
}

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
