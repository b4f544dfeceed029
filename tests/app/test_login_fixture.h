#pragma once
// Driving the log-in dialogs: an application with one module and the choice of an operator and
// a data file (the dialog helpers are in tests/common/SmModalScript.h).
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
#include "tests/common/SmModalScript.h"
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

// Chooses the operator whose entry begins with the number.
inline void ChooseOperator(QWidget* dlg, const QString& number) {
  auto* combo = Find<QComboBox>(dlg, CSmOpenDataFileDlg::kOperatorCombo);
  for (int i = 0; i < combo->count(); ++i) {
    if (combo->itemText(i).startsWith(number + " ")) combo->setCurrentIndex(i);
  }
}

inline std::string SelectedFile(QWidget* dlg) {
  return CBookDirTree::PathOf(Find<QTreeWidget>(dlg, CSmOpenDataFileDlg::kTree)->currentItem());
}
