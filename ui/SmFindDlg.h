#pragma once
// Find dialog of the lists (template 803): the text to find, offered from a search history kept
// in the settings store per caption of the window that owns the dialog.
#include <string>
#include <vector>

#include "ui/SmDlg.h"

class QComboBox;
class QLabel;

class CSmListFindDlg : public CSmDlg {
  Q_OBJECT
 public:
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
