#pragma once
// Where rows and columns are inserted or deleted and how many: one-based start row, column
// letters, and the two counts, each with spin arrows that beep at their limits.
#include <array>

#include "ui/SmDlg.h"

class QLabel;
class QLineEdit;

class CRiloRowColDlg : public CSmDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls).
  enum ControlId : int {
    kStartRowEdit = 1025,
    kStartColumnEdit = 1027,
    kRowCountEdit = 1029,
    kColumnCountEdit = 1031,
    kRowLabel = 1047,
    kColumnLabel = 1048,
  };

  // Mode 1 inserts, 0 deletes.
  explicit CRiloRowColDlg(int mode, QWidget* parent = nullptr);

  enum Field { kStartRow, kStartColumn, kRowCount, kColumnCount };
  // The field's value one step up or down; false (a beep) at its limit.
  bool Step(int field, bool up);

  // Set before the dialog runs.
  int m_rows = 0;
  int m_cols = 0;
  int m_currentRow = 0;
  int m_currentColumn = 0;
  // After OK: zero-based start row and column, and the counts.
  int m_startRow = 0;
  int m_startColumn = 0;
  int m_rowCount = 0;
  int m_columnCount = 0;

 protected:
  void OnInitDialog() override;
  bool ValidateAndSave() override;

 private:
  QLineEdit* Edit(int field) const { return m_edits[static_cast<size_t>(field)]; }
  int Number(int field) const;
  bool Refuse(const char* text, int field);

  int m_mode;
  std::array<QLineEdit*, 4> m_edits{};
};
