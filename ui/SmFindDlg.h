#pragma once
// Find dialogs. The list find dialog (template 803) offers its search history from the settings
// store, per caption of the window that owns it; the grid find and replace dialog (template 851)
// keeps its history in the data file, in SysCsTab groups 1000 to 1003.
#include <string>
#include <vector>

#include "ui/SmDlg.h"

class CSmDatabase;
class QCheckBox;
class QComboBox;
class QLabel;

class CSmListFindDlg : public CSmDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls).
  enum ControlId : int {
    kTextCombo = 1000,
    kNote = 1003,
  };

  static constexpr int kMaxHistory = 50;

  CSmListFindDlg(int column, QWidget* parent = nullptr);

  const std::string& Text() const { return m_text; }
  void SetText(const std::string& text) { m_text = text; }
  // "Software\reduvor\SmListCtrl\<owner caption>".
  std::string HistoryKey() const;
  std::vector<std::string> ReadHistory() const;

  bool ValidateAndSave() override;

 protected:
  void OnInitDialog() override;
  void DoDataExchange(bool save) override;

 private:
  int m_column;
  std::string m_text;
  QComboBox* m_combo;
  QLabel* m_note;
};

// What the grid find dialog needs of the grid view that opens it.
class CSmFindView {
 public:
  virtual ~CSmFindView() = default;
  // The current cell's text, or the selected part of it.
  virtual std::string GetSelectedText() = 0;
  // The connection that keeps the find history.
  virtual CSmDatabase* FindDatabase() = 0;
  // Called when the dialog ends with OK.
  virtual void SetFindState(bool findOnly, const std::string& findText,
                            const std::string& replaceText, bool wholeCell) = 0;
};

class CSmFindDlg : public CSmDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls).
  enum ControlId : int {
    kFindCombo = 1000,
    kReplaceCombo = 1001,
    kWholeCell = 1004,
    kReplaceLabel = 1005,
  };

  static constexpr int kMaxHistoryNumber = 50;

  CSmFindDlg(CSmFindView* view, bool findOnly, QWidget* parent = nullptr);

  const std::string& FindText() const { return m_findText; }
  const std::string& ReplaceText() const { return m_replaceText; }
  bool ValidateAndSave() override;

 protected:
  void OnInitDialog() override;
  void DoDataExchange(bool save) override;

 private:
  std::vector<std::string> History(int group) const;
  void FillCombo(QComboBox* combo, int group, const std::string& start);
  void AddHistory(QComboBox* combo, int group, const std::string& text);

  CSmFindView* m_view;
  CSmDatabase* m_db;
  bool m_findOnly;
  std::string m_findText;
  std::string m_replaceText;
  QComboBox* m_findCombo;
  QComboBox* m_replaceCombo;
  QLabel* m_replaceLabel;
  QCheckBox* m_wholeCell;
};
