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
  // Control ids (object names of the buttons): the eight horizontal choices, then the four
  // vertical ones.
  enum ControlId : int {
    kLeft = 1041,
    kRight = 1042,
    kCenter = 1043,
    kSpread = 1044,
    kSpanLeft = 1045,
    kSpanRight = 1046,
    kSpanCenter = 1047,
    kSpanSpread = 1048,
    kMiddle = 1049,
    kBottom = 1050,
    kTop = 1051,
    kSpanRows = 1052,
  };

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
  // Buttons kLeft to kSpanRows.
  std::array<QRadioButton*, 12> m_buttons{};
};
