#pragma once
// The operation-log query dialog: the work sessions of a month or a day, narrowed by computer
// and, through their log rows, by operator, software module and operation; one of them is
// chosen to be shown, and old ones can be deleted with their log rows.
#include <string>
#include <vector>

#include "app/SmOpLog.h"
#include "ui/SmDlg.h"
#include "ui/SmListCtrl.h"

class QComboBox;

class CSmLogTaskList : public CSmListCtrl {
  Q_OBJECT
 public:
  explicit CSmLogTaskList(QWidget* parent = nullptr);

  // Lists the sessions that pass the filters.
  void Refill();
  // The session number of a row, or 0.
  int TaskOfRow(int row) const;
  // The rows shown and selected, by session number.
  std::vector<int> Tasks() const;
  std::vector<int> SelectedTasks() const;
  void SelectTask(int task);

  // The condition on SmTask and on SmLog the filters give.
  std::string TaskCondition() const;
  std::string LogCondition() const;

  void CustomizeContextMenu(QMenu* popup) override;
  bool IsCommandEnabled(unsigned id) override;
  std::vector<unsigned> GetIconIds() override { return {130}; }
  void Open() override;
  // Deletes the selected sessions with their log rows; the current session stays.
  void Delete() override;

  CSmOpLog m_task;
  std::string m_period;  // YYYYMMDD; the day may be two blanks (the whole month)
  std::string m_computer;
  std::string m_operator;
  std::string m_operation;    // code, a blank, name
  std::string m_module;       // software module number
  std::string m_taskNumbers;  // " %d " of the sessions with matching log rows
  bool m_useLogRows = true;
};

class CSmLogQueryDlg : public CSmDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls).
  enum ControlId : int {
    kListId = 1000,
    kMonthId = 1001,
    kYearId = 1065,
    kDayId = 1066,
    kComputerId = 1067,
    kOperatorId = 1068,
    kOperationId = 1069,
    kModuleId = 1070,
  };

  CSmLogQueryDlg(const CSmOpLog& task, const std::string& period, const std::string& computer,
                 const std::string& op, const std::string& operation, QWidget* parent = nullptr);

  // The session chosen with "打开".
  int SelectedTask() const { return m_selected; }
  const std::string& Period() const { return m_list->m_period; }
  const std::string& Computer() const { return m_list->m_computer; }
  const std::string& Operator() const { return m_list->m_operator; }
  const std::string& Operation() const { return m_list->m_operation; }
  CSmLogTaskList* List() const { return m_list; }

  bool OnCommand(unsigned id) override;
  bool ValidateAndSave() override;

  // What choosing an entry of a combo box does (the control's id and the entry's text).
  void OnChoose(int id, const std::string& text);

 protected:
  void OnInitDialog() override;

 private:
  QComboBox* AddCombo(int id);
  void FillYears();
  void FillDays();
  void FillModules();
  void FillOperations();
  static void SelectText(QComboBox* combo, const std::string& text);

  CSmLogTaskList* m_list;
  QComboBox* m_year;
  QComboBox* m_month;
  QComboBox* m_day;
  QComboBox* m_computer;
  QComboBox* m_operator;
  QComboBox* m_operation;
  QComboBox* m_module;
  int m_selected = 0;
};
