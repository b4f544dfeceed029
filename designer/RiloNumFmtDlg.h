#pragma once
// The number format of cells: numbers with at least and at most so many decimals (0 to 6), or
// text; "保持原状" leaves every cell's format as it is.
#include <string>
#include <vector>

#include "ui/SmDlg.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

class CRiloNumFmtDlg : public CSmDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls).
  enum ControlId : int {
    kKeepFormats = 1025,
    kPreview = 1026,
    kMinDecimals = 1045,
    kMinSpin = 1049,
    kMaxDecimals = 1050,
    kMaxSpin = 1051,
    kNumeric = 1092,
    kText = 1093,
  };

  // A minimum below 0 is text.
  CRiloNumFmtDlg(int minimum, int maximum, bool uniform, QWidget* parent = nullptr);

  // After OK: the pair to write (-1 and 0 for text), unless the format is kept.
  int m_minimum = 2;
  int m_maximum = 2;
  bool m_keep = false;

  // One spin step of the minimum (or maximum); false (a beep) at its limit.
  bool Step(bool maximum, bool up);
  // The preview's lines for the pair, or for text.
  static std::vector<std::string> PreviewLines(int minimum, int maximum, bool text);

 protected:
  bool ValidateAndSave() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowValues();
  void UpdateSpins();

  bool m_text = false;
  QCheckBox* m_keepBox = nullptr;
  QRadioButton* m_numeric = nullptr;
  QRadioButton* m_textButton = nullptr;
  QLineEdit* m_minEdit = nullptr;
  QLineEdit* m_maxEdit = nullptr;
  QWidget* m_minSpin = nullptr;
  QWidget* m_maxSpin = nullptr;
  QWidget* m_preview = nullptr;
};
