#pragma once
// Editing a variable table: the variables dialog with its list (add, modify, delete, copy,
// paste and the default variables) and the entry dialog of one variable. The dialog works on
// its own copy; the caller takes the result only after "&S.确认".
#include <functional>
#include <string>
#include <vector>

#include "app/SmVar.h"
#include "ui/SmDlg.h"
#include "ui/SmListCtrl.h"

class QLineEdit;
class QPlainTextEdit;
class QButtonGroup;

// The list text of a variable type: "数值", "字符", else "自动".
std::string SmVarTypeText(int type);

class CSmVarListCtrl : public CSmListCtrl {
  Q_OBJECT
 public:
  explicit CSmVarListCtrl(QWidget* parent = nullptr);

  // One row per variable of the working table, in table order.
  void Fill();
  void Add() override;
  void Modify() override;
  void Delete() override;
  // Replaces the working table by the defaults of its module, after asking when it holds any.
  void TakeDefaults();

  bool OnCommand(unsigned id) override;
  // Four texts per selected variable: name, expression, type as a number, note.
  int GetClipboardRows(std::vector<std::string>& rows) const override;
  void InsertPastedRows(const std::vector<std::string>& rows, bool cut, bool sameSource,
                        CSmDatabase& source) override;
  void CustomizeContextMenu(QMenu* popup) override;
  bool IsCommandAvailable(unsigned id) override;
  unsigned GetClipboardFormat() override { return 523; }
  std::vector<unsigned> GetIconIds() override { return {621}; }

  CSmVarTable m_vars;               // the working table
  std::function<void()> m_changed;  // after every change of the rows

 private:
  int IndexOf(const std::string& name) const;
  void SelectRow(int row);
  void Changed();
};

class CSmVarDlg : public CSmDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls).
  enum ControlId : int { kModify = 1003, kDelete = 1004, kList = 1057, kAdd = 1059 };

  CSmVarDlg(const CSmVarTable& vars, QWidget* parent = nullptr);

  CSmVarListCtrl* List() const { return m_list; }
  bool OnCommand(unsigned id) override;

  CSmVarTable m_result;  // the edited table after OK

 protected:
  void OnInitDialog() override;

 private:
  void UpdateButtons();

  CSmVarListCtrl* m_list;
};

// Name, expression, type and note of one variable; a name already in `table` is refused
// unless it is the variable's previous name.
class CSmVarNameDlg : public CSmDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls); the type radios are kTextType to kAnyType.
  enum ControlId : int {
    kName = 1045,
    kExpression = 1046,
    kNote = 1047,
    kAnyType = 1053,
    kTextType = 1059,
    kNumberType = 1060,
    kConfirm = 1062,
  };

  CSmVarNameDlg(const std::string& title, const std::string& previousName, const CSmVarTable* table,
                QWidget* parent = nullptr);

  bool OnCommand(unsigned id) override;

  std::string m_name;
  std::string m_expression;
  int m_type = SM_VAR_ANY;
  std::string m_note;

 protected:
  void OnInitDialog() override;
  void DoDataExchange(bool save) override;
  bool ValidateAndSave() override;

 private:
  std::string m_previousName;
  const CSmVarTable* m_table;
  QLineEdit* m_nameEdit;
  QPlainTextEdit* m_expressionEdit;
  QLineEdit* m_noteEdit;
  QButtonGroup* m_types;
};
