#pragma once
// The table of the cane system parameters (template 950 "系统参数表"): every parameter with
// its value, the integers first, then the numbers and the texts; modifying a row opens the
// parameter's edit dialog.
#include "ui/SmDlg.h"
#include "ui/SmListCtrl.h"

class CTsSysParamListDlg;

// The list of parameters: rows are neither added, deleted nor copied; Enter and a double click
// modify the selected one.
class CTsSysParamList : public CSmListCtrl {
  Q_OBJECT
 public:
  CTsSysParamList(CTsSysParamListDlg* dlg, QWidget* parent);

  void CustomizeContextMenu(QMenu* popup) override;
  bool IsCommandAvailable(unsigned id) override;
  void Open() override { Modify(); }
  void Modify() override;

  // The rows of each kind, counted when the list was filled.
  int m_intCount = 0;
  int m_dblCount = 0;

 private:
  CTsSysParamListDlg* m_dlg;
};

class CTsSysParamListDlg : public CSmAppDlg {
  Q_OBJECT
 public:
  explicit CTsSysParamListDlg(QWidget* parent = nullptr);

  CTsSysParamList* List() const { return m_list; }
  // OK and Enter modify the selected parameter; the dialog closes only by Cancel.
  void OnOK() override { ModifyParam(); }
  // Loads the parameters afresh and shows one row each.
  void FillList();
  // With exactly one row selected: edits it and, when saved, refills and selects it again.
  void ModifyParam();

 protected:
  void OnInitDialog() override;

 private:
  void SelectRow(int row);

  CTsSysParamList* m_list;
};
