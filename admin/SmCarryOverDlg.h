#pragma once
// "年末转账" (template 809): the carry-over items of every module, the previous year's file as
// the source and the open file as the target; runs over the chosen items, the bar between the
// two years counting them as they are carried.
#include <vector>

#include "admin/SmCarryOver.h"
#include "ui/SmListCtrl.h"
#include "ui/SmPosDlg.h"

class QLabel;
class QProgressBar;
class QPushButton;
class CSmCarryOverDlg;

// The items, with icon 612 while the target's tables are empty and 613 once some hold rows.
class CSmCarryOverList : public CSmListCtrl {
  Q_OBJECT
 public:
  CSmCarryOverList(CSmCarryOverDlg* dlg, QWidget* parent);

  void CustomizeContextMenu(QMenu* popup) override;
  bool IsCommandAvailable(unsigned id) override;
  std::vector<unsigned> GetIconIds() override { return {612, 613}; }
  void Open() override;

 private:
  CSmCarryOverDlg* m_dlg;
};

class CSmCarryOverDlg : public CSmPosDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls).
  enum ControlId : int {
    kItemList = 1000,
    kArrow = 1062,
    kUnit = 1089,
    kSourceYear = 1090,
    kTargetYear = 1091,
    kStatus = 1092,
    kProgress = 1101,
  };

  CSmCarryOverDlg(CSmApp& app, SmCarryOverSource source, QWidget* parent = nullptr);
  ~CSmCarryOverDlg() override;

  // "结转(&S)": the run over the selected items.
  void OnCarryOver();
  bool OnCommand(unsigned id) override;
  void OnOK() override { OnCarryOver(); }
  const SmCarryOverItems& Items() const { return m_items; }

 protected:
  void OnInitDialog() override;

 private:
  void FillList();
  void ShowBusy(bool busy);

  CSmApp& m_app;
  SmCarryOverSource m_source;
  SmCarryOverItems m_items;
  CSmCarryOverList* m_list;
  QProgressBar* m_progress;
  QLabel* m_unit;
  QLabel* m_sourceYear;
  QLabel* m_targetYear;
  QLabel* m_status;
  QLabel* m_arrow;
  QPushButton* m_run;
};

// Command 43109: finds the previous year's file ("无最近十年内的年度数据文件，无法结转!" when
// there is none in ten years) and opens the dialog on it.
void SmCarryOverCommand(CSmApp& app);
