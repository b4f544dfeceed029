#pragma once
// "建立新账套" (template 808) in open mode: finds account-set folders (folders that directly hold
// a yearly data file of this program) on every mounted volume or under a chosen folder, lists
// the years of the account set picked, and gives back the chosen data file's path.
#include <QTimer>
#include <string>

#include "ui/SmDlg.h"

class QLabel;
class QListWidget;
class CSmApp;
class CSmEdit;

class CSmNewBookDlg : public CSmDlg {
  Q_OBJECT
 public:
  CSmNewBookDlg(CSmApp& app, int openMode, QWidget* parent = nullptr);

  // "搜索": the folder in the position, or every mounted volume without one.
  void OnSearch();
  // Account-set folders under `folder`, at any depth, added to the list.
  void SearchFolder(const std::string& folder);
  void SearchDrives();
  // The years of an account set, the last selected.
  void ListYears(const std::string& folder);
  void OnSelectBook();
  void OnBrowse();
  // The chosen data file; false (the dialog stays open) without an account set and a year.
  bool OnConfirm();
  bool ValidateAndSave() override { return OnConfirm(); }
  bool OnCommand(unsigned id) override;
  // One step of the busy picture; refreshes the position shown.
  void OnTimer();

  // Whether the file is a yearly data file of this program (name rules, and it opens for the
  // administrator).
  bool IsYearFile(const std::string& path, bool checkTitle) const;

  QListWidget* Books() const { return m_books; }
  QListWidget* Years() const { return m_years; }
  void SetPosition(const std::string& position);
  const std::string& Result() const { return m_result; }

 protected:
  void OnInitDialog() override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void SetSearching(bool on);
  std::string Ext() const;

  CSmApp& m_app;
  int m_openMode;
  std::string m_result;
  std::string m_position;
  CSmEdit* m_positionEdit;
  QListWidget* m_books;
  QListWidget* m_years;
  QTimer m_timer;
  int m_frame = 0;
  int m_calls = 0;
};
