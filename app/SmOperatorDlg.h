#pragma once
// The operator dialogs of the System menu: "操作员及其操作权限表" (810) with the add/modify
// dialog (811), and "操作员口令设置" (812).
#include <string>
#include <vector>

#include "app/SmOperator.h"
#include "ui/SmDlg.h"
#include "ui/SmListCtrl.h"

class QLabel;
class QLineEdit;
class QTabBar;
class QTreeWidget;
class QTreeWidgetItem;
class CSmDatabase;
class CSmEdit;

class CSmOperatorDlg;

// The operator list of dialog 810 (1044): the list command scheme without paste; open and
// modify edit the one selected operator, delete removes one that is not the administrator.
class CSmOperatorList : public CSmListCtrl {
  Q_OBJECT
 public:
  CSmOperatorList(CSmOperatorDlg* dlg, QWidget* parent);

  bool IsCommandAvailable(unsigned id) override;
  void Add() override;
  void Open() override;
  void Modify() override;
  void Delete() override;

 private:
  CSmOperatorDlg* m_dlg;
};

class CSmOperatorDlg : public CSmAppDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls).
  enum ControlId : int {
    kOperatorList = 1044,
    kTabs = 1045,
    kRightList = 1046,
    kRightLabel = 1047
  };

  explicit CSmOperatorDlg(CSmApp* app, QWidget* parent = nullptr);

  // Reloads the operators and selects the one with the number (the first when not found).
  void LoadOperators(const std::string& select = {});
  // The rights of the selected operator under the selected tab.
  void LoadRights();
  // Grants or revokes the selected rights (the context menu's "收授操作权").
  void ToggleSelectedRights();
  void AddOperator();
  void ModifyOperator();
  void DeleteOperator();
  // The number of the one selected operator; empty when none or several are selected.
  std::string SelectedOperator() const;
  CSmOperatorList* OperatorList() const { return m_operators; }

 private:
  void OnRightChanged(QTreeWidgetItem* item);
  CSmDatabase* Db() const;

  QTabBar* m_tabs = nullptr;
  CSmOperatorList* m_operators = nullptr;
  QTreeWidget* m_rights = nullptr;
  QLabel* m_label = nullptr;
  std::vector<std::string> m_prefixes;
  bool m_filling = false;
};

class CSmOperatorEditDlg : public CSmAppDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls).
  enum ControlId : int { kNumberEdit = 1042, kNameEdit = 1043 };

  // An empty old number adds; otherwise the operator stored under it is modified.
  CSmOperatorEditDlg(CSmApp* app, const CSmOperator& op, const std::string& oldNumber,
                     QWidget* parent = nullptr);
  bool ValidateAndSave() override;
  const CSmOperator& Operator() const { return m_op; }

 private:
  CSmOperator m_op;
  std::string m_oldNumber;
  QLineEdit* m_number = nullptr;
  CSmEdit* m_name = nullptr;
};

class CSmPasswordDlg : public CSmAppDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls).
  enum ControlId : int { kPromptLabel = 1004, kFirstEdit = 1005, kSecondEdit = 1006 };

  explicit CSmPasswordDlg(CSmApp* app, QWidget* parent = nullptr);
  bool ValidateAndSave() override;
  // 0 while the old password is asked, 1 for the new one.
  int Step() const { return m_step; }

 private:
  int m_step = 0;
  std::string m_oldPassword;  // as typed in the first step
  QLabel* m_label = nullptr;
  QLineEdit* m_first = nullptr;
  QLineEdit* m_second = nullptr;
};
