#pragma once
// The edit dialogs of the form settings pages: one column (854), one header cell block (856)
// and one head or foot note (858) of the definition being edited. Each checks what was typed,
// says what is wrong with the focus on that field, and changes the definition only on OK.
#include <string>

#include "ui/SmDlg.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;
class CSmDoc;
class CSmEdit;
class CSmFormDef;
class CSmSpinCtrl;

// The name of a scale exponent from -6 to 6 ("百万分之一" .. "原数" .. "百万倍"); "" outside.
std::string SmScaleName(int exponent);

// A spin with its buddy edit, made for a dialog: the edit takes `editId`, the arrows `spinId`.
struct SmSpinField {
  CSmEdit* edit = nullptr;
  CSmSpinCtrl* spin = nullptr;
  void SetEnabled(bool on);
};

class CSmFormEditDlg : public CSmDlg {
  Q_OBJECT
 public:
  CSmFormEditDlg(unsigned templateId, CSmDoc& doc, CSmFormDef& def, int index, bool isNew,
                 QWidget* parent);

 protected:
  SmSpinField MakeSpin(int editId, int spinId);
  // Says `text` and puts the focus on the control; false, for returning.
  bool Refuse(const std::string& text, int controlId);
  // The spin's number; refused with `text` on the edit when outside the spin's range.
  bool CheckSpin(const SmSpinField& field, const std::string& text, int& value);
  QRadioButton* MakeRadio(int id, const char* text, QButtonGroup* group);
  void AddOkCancel(class QGridLayout* grid, int row);

  CSmDoc& m_doc;
  CSmFormDef& m_def;
  int m_index;
  bool m_isNew;
};

class CSmColumnDlg : public CSmFormEditDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls).
  enum ControlId : int {
    kOrder = 1010,
    kOrderSpin = 1011,
    kNumber = 1012,
    kText = 1013,
    kName = 1014,
    kLeft = 1015,
    kMiddle = 1016,
    kRight = 1017,
    kFormula = 1018,
    kKind = 1019,
    kWidth = 1020,
    kWidthSpin = 1021,
    kEditWidth = 1022,
    kEditWidthSpin = 1023,
    kLess = 1024,
    kLessSpin = 1025,
    kMore = 1026,
    kMoreSpin = 1027,
    kScale = 1028,
    kTotal = 1030,
    kWrap = 1033,
  };

  // `index`: the column of the selected row (0 when none); a new column goes in there.
  CSmColumnDlg(CSmDoc& doc, CSmFormDef& def, int index, bool isNew, QWidget* parent = nullptr);
  // Where the column stands after OK.
  int FinalIndex() const { return m_final; }

 protected:
  void OnInitDialog() override;
  bool ValidateAndSave() override;

 private:
  bool IsText() const;
  void OnValueType(bool text);
  void UpdateTextControls();
  void OnLeaveLess();
  void OnLeaveMore();

  CSmEdit* m_name;
  CSmEdit* m_formula;
  SmSpinField m_order, m_width, m_editWidth, m_less, m_more;
  QComboBox* m_kind;
  QComboBox* m_scale;
  QComboBox* m_total;
  QRadioButton* m_number;
  QRadioButton* m_text;
  QRadioButton* m_left;
  QRadioButton* m_middle;
  QRadioButton* m_right;
  QCheckBox* m_wrap;
  int m_colKind = 1;
  int m_final = 0;
};

class CSmTopWordDlg : public CSmFormEditDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls).
  enum ControlId : int {
    kRow2Spin = 1000,
    kName = 1028,
    kCol1 = 1029,
    kCol1Spin = 1030,
    kRow1 = 1031,
    kRow1Spin = 1032,
    kCol2 = 1033,
    kCol2Spin = 1034,
    kRow2 = 1035,
  };

  CSmTopWordDlg(CSmDoc& doc, CSmFormDef& def, int index, bool isNew, QWidget* parent = nullptr);
  // A new block needs a free header cell: without one the user is told and nothing opens.
  int DoModal();

  // The first header cell no block covers, rows outside, shown columns inside; false when
  // every cell is covered.
  static bool FindFreeCell(const CSmFormDef& def, int& col, int& row);

 protected:
  void OnInitDialog() override;
  bool ValidateAndSave() override;

 private:
  bool Overlaps(int col1, int row1, int col2, int row2) const;

  CSmEdit* m_name;
  SmSpinField m_col1, m_row1, m_col2, m_row2;
};

class CSmHeadNoteDlg : public CSmFormEditDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls).
  enum ControlId : int {
    kHead = 1037,
    kTail = 1038,
    kLine = 1039,
    kLineSpin = 1040,
    kPosition = 1041,
    kPositionSpin = 1042,
    kUse = 1043,
    kNoUse = 1044,
    kLength = 1045,
    kLengthSpin = 1046,
    kNote = 1047,
    kWords = 1048,
  };

  static constexpr int kMaxLine = 15;
  static constexpr int kMaxPosition = 99;  // the edit length is kept in the hundreds

  CSmHeadNoteDlg(CSmDoc& doc, CSmFormDef& def, int index, bool isNew, QWidget* parent = nullptr);

 protected:
  void OnInitDialog() override;
  bool ValidateAndSave() override;

 private:
  CSmEdit* m_note;
  CSmEdit* m_words;
  SmSpinField m_line, m_position, m_length;
  QRadioButton* m_head;
  QRadioButton* m_tail;
  QRadioButton* m_use;
  QRadioButton* m_noUse;
};
