#pragma once
// The cell layout dialog: one horizontal and one vertical alignment button, each group left
// without a choice when the selection's codes differ. The spanning buttons are off for a
// selection of several areas.
#include <array>

#include "ui/SmDlg.h"

class QRadioButton;

class CRiloAlignDlg : public CSmDlg {
  Q_OBJECT
 public:
  // Codes -1 when not uniform. After OK: the codes and whether each is applied.
  CRiloAlignDlg(int horizontal, bool hUniform, int vertical, bool vUniform, bool noSpanning,
                QWidget* parent = nullptr);

  int m_horizontal = -1;
  int m_vertical = -1;
  bool m_applyH = false;
  bool m_applyV = false;

 protected:
  bool ValidateAndSave() override;

 private:
  // Buttons 1041 to 1052.
  std::array<QRadioButton*, 12> m_buttons{};
};
