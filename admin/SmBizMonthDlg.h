#pragma once
// "设置业务月" (template 814): the twelve month start days and the year end of the open data file
// (SysCsTab group 4). Each confirmed row is checked, offered to the module data types, written
// at once and logged; the dialog has no OK or Cancel of its own and closes with Escape.
#include <string>

#include "app/SmDateArray.h"
#include "ui/SmDlg.h"
#include "ui/SmListCtrl.h"

class QLabel;
class QPushButton;
class CSmDatabase;
class CSmEdit;
class CSmBizMonthDlg;

// The month rows; row i shows record i of its own array.
class CSmBizMonthList : public CSmListCtrl {
  Q_OBJECT
 public:
  CSmBizMonthList(CSmBizMonthDlg* dlg, QWidget* parent);

  void SetYear(int year) { m_year = year; }
  const CSmDateArray& Months() const { return m_months; }
  // Reads the rows again and shows them.
  void FillList();
  // Checks the eight-digit value against the year, the month's days and the next row, then lets
  // the dialog write it; true when it was stored. A refusal shows why and changes nothing.
  bool SetMonthValue(int row, const std::string& text);

  void CustomizeContextMenu(QMenu* popup) override;
  bool IsCommandAvailable(unsigned id) override;
  std::vector<unsigned> GetIconIds() override { return {609}; }
  void Open() override { Modify(); }
  void Modify() override;

 private:
  // The message of the first rule the value breaks, or empty.
  std::string CheckValue(int row, const std::string& text) const;
  const CSmDateRecord* FindMonth(int month) const;

  CSmBizMonthDlg* m_dlg;
  int m_year = 0;
  CSmDateArray m_months;
};

class CSmBizMonthDlg : public CSmDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls).
  enum ControlId : int {
    kMonthList = 1011,
    kDayEdit = 1012,
    kMonthName = 1013,
    kConfirm = 1015,
  };

  CSmBizMonthDlg(CSmDatabase* db, int year, QWidget* parent = nullptr);

  // The modules may refuse; the row is then written and the modules told. False when refused
  // or when the write failed (the connection has shown why).
  virtual bool OnMonthChanging(int month, const std::string& newValue, const std::string& oldValue);
  // Opens the edit field on the selected row with the day selected.
  void OnModify();
  // "&S.确认" (kConfirm).
  void OnConfirm();

  bool OnCommand(unsigned id) override;
  void OnOK() override;

 protected:
  void OnInitDialog() override;

 private:
  void OnRowChanged();
  void SetEditing(bool on);

  CSmDatabase* m_db;
  int m_year;
  int m_row = -1;
  CSmBizMonthList* m_list;
  QLabel* m_name;
  CSmEdit* m_edit;
  QPushButton* m_confirm;
};
