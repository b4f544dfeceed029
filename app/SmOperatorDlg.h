#pragma once
// The operator dialogs of the System menu: "操作员及其操作权限表" (810) with the add/modify
// dialog (811), and "操作员口令设置" (812).
#include <string>
#include <vector>

#include "app/SmOperator.h"
#include "ui/SmDlg.h"

class QLabel;
class QLineEdit;
class QTabBar;
class QTreeWidget;
class QTreeWidgetItem;
class CSmDatabase;
class CSmEdit;

class CSmOperatorDlg : public CSmAppDlg {
  Q_OBJECT
 public:
  explicit CSmOperatorDlg(CSmApp* app, QWidget* parent = nullptr);

  bool OnCommand(unsigned id) override;
  // Reloads the operators and selects the one with the number (the first when not found).
  void LoadOperators(const std::string& select = {});
  // The rights of the selected operator under the selected tab.
  void LoadRights();
  // Grants or revokes the selected rights (the context menu's "收授操作权").
  void ToggleSelectedRights();
  void AddOperator();
  void ModifyOperator();
  void DeleteOperator();
  std::string SelectedOperator() const;

 private:
  void OnRightChanged(QTreeWidgetItem* item);
  CSmDatabase* Db() const;

  QTabBar* m_tabs = nullptr;
  QTreeWidget* m_operators = nullptr;
  QTreeWidget* m_rights = nullptr;
  QLabel* m_label = nullptr;
  std::vector<std::string> m_prefixes;
  bool m_filling = false;
};

class CSmOperatorEditDlg : public CSmAppDlg {
  Q_OBJECT
 public:
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
