#pragma once
// "成批修改参数" (template 969): one linked parameter set to one value for every farmer (kind 0,
// the lowest-level farmers under the codes) or place (kind 1) chosen in its directory. The note
// shows the range of the parameter's current values; the change runs in one transaction and
// is logged only when it was stored.
#include <string>
#include <vector>

#include "ui/SmDlg.h"

class QComboBox;
class QLabel;
class CSmDatabase;
class CSmEdit;

class CTsBatchParamDlg : public CSmDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls).
  enum ControlId : int { kCombo = 1111, kValue = 1112, kNote = 1113 };

  CTsBatchParamDlg(int kind, const std::vector<std::string>& codes, CSmDatabase* db,
                   QWidget* parent = nullptr);

  const std::string& Note() const { return m_note; }
  // Reads the range of the chosen parameter into the note unless it is already there.
  void RefreshNote();
  bool ValidateAndSave() override;

  // The log line of a change: "<name>成批改成：value，涉及" and the codes, cut with "等" before
  // the line would reach 237 characters.
  static std::string LogLine(const std::string& name, const std::string& value,
                             const std::vector<std::string>& codes);

 protected:
  void OnInitDialog() override;

 private:
  bool SetParam(int n, double value);

  int m_kind;
  std::vector<std::string> m_codes;
  CSmDatabase* m_db;
  int m_param = -1;
  int m_noteParam = -1;
  std::string m_note;
  double m_range[2] = {0, 0};
  QComboBox* m_combo;
  CSmEdit* m_value;
  QLabel* m_noteText;
};
