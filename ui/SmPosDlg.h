#pragma once
// A dialog that reopens where the user last left it (the position store, key = template id).
#include "ui/SmDlg.h"

class CSmPosDlg : public CSmAppDlg {
  Q_OBJECT
 public:
  CSmPosDlg(unsigned templateId, CSmApp* app = nullptr, QWidget* parent = nullptr,
            unsigned iconId = 128);

  // Where to put the dialog when no position is saved: 0 as built, 10 bottom-right inside the
  // main window, 11 centred below it. Set before the dialog is shown.
  void SetPlacementMode(int mode) { m_placementMode = mode; }
  void SetSaveOnCancel(bool on) { m_saveOnCancel = on; }

  void OnOK() override;
  void OnCancel() override;

 protected:
  void OnInitDialog() override;

 private:
  int m_placementMode = 0;
  bool m_saveOnCancel = true;
};
