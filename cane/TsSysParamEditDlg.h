#pragma once
// Editing one cane system parameter (template 951 "修改系统参数："): the controls the kind of
// parameter needs, the checks of the new value and, for the structural parameters, the rewrite
// of the stored rows that the new value implies, confirmed once, logged and saved with it.
#include <string>

#include "cane/TsParamChange.h"
#include "ui/SmPosDlg.h"

class QComboBox;
class QLabel;
class QLineEdit;
class CSmDatabase;
class CSmEdit;
class CTsDataType;

class CTsSysParamEditDlg : public CSmPosDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls).
  enum ControlId : int {
    kNumberEdit = 1001,
    kNameShown = 1002,
    kNameEdit = 1003,
    kFormulaEdit = 1004,
    kNumberLabel = 1103,
    kNameLabel = 1104,
    kFormulaLabel = 1105,
    kCategoryLabel = 1106,
    kFirstCombo = 1107,
    kSecondCombo = 1108,
    kNote = 1115,
  };

  // `kind` 0 integer, 1 number, 2 text; `number` within the kind; `value` the current text.
  CTsSysParamEditDlg(int kind, int number, const std::string& name, const std::string& value,
                     QWidget* parent = nullptr);

  int Kind() const { return m_kind; }
  // Moves with a money item or linked parameter given another number.
  int Number() const { return m_number; }

  bool ValidateAndSave() override;

 protected:
  void OnInitDialog() override;

 private:
  enum class Outcome { Refused, Unchanged, Accepted };

  void LayOutControls();
  void LayOutItem();
  void LayOutLinkParam();
  void LayOutStartMonth();
  void LayOutPrintSetting();
  // Combo 1108 and the note after the money item's category.
  void FillItemChoices(int category);
  void OnCategoryChanged();
  void ShowRows(bool name, bool formula, bool combos);

  Outcome ChangeNumber();
  Outcome ChangeInteger();
  Outcome ChangeText();
  Outcome ChangeLevelLength(bool farmer, int level, int oldLen, int newLen);
  Outcome ChangeCodeLength(int oldLen, int newLen);
  Outcome ChangeStartMonth();
  Outcome ChangeItem();
  Outcome ChangeLinkParam();
  Outcome ChangePrintSetting();
  // The common warning; true for yes.
  static bool Confirm();
  // Shows the refusal with the error icon and puts the focus on the control.
  Outcome Refuse(const std::string& text, int focusId = 0);
  // A text parameter that moved leaves its old row empty and is saved under the new number.
  void MoveTo(int number);
  long Count(const std::string& sql);

  CTsDataType* m_type;
  CSmDatabase* m_db;
  int m_kind;
  int m_number;
  std::string m_name;
  std::string m_value;
  CTsParamChange m_change;
  int m_shownCategory = -1;  // the money item's category combo 1108 is filled for

  QLabel* m_numberLabel;
  QLabel* m_nameLabel;
  QLabel* m_formulaLabel;
  QLabel* m_categoryLabel;
  CSmEdit* m_numberEdit;   // 1001
  QLineEdit* m_nameShown;  // 1002
  CSmEdit* m_nameEdit;     // 1003
  CSmEdit* m_formulaEdit;  // 1004
  QComboBox* m_combo1;     // 1107
  QComboBox* m_combo2;     // 1108
  QLabel* m_note;          // 1115
};
