#pragma once
// Special print settings: the print groups of the modules (the weighing ticket, the settlement
// slips), the fields of the chosen group with their positions and fonts, adding, changing and
// deleting fields, restoring a group's defaults, its paper size and a measuring chart printed
// to find positions on a pre-printed form.
#include <string>

#include "ui/SmListCtrl.h"
#include "ui/SmPosDlg.h"
#include "ui/SmPrintJob.h"

class QComboBox;
class QPushButton;
class CSmDatabase;
class CSmPrintSetDlg;

// One page of 51 x 51 squares every 50 device units with numbers every 200, on the default
// printer.
class CSmCoordinateChartJob : public CSmPrintJob {
 public:
  bool OnPreparePrinting(CSmPrintState& state) override;
  void OnPrint(QPainter& painter, CSmPrintState& state) override;
};

class CSmPrintFieldList : public CSmListCtrl {
  Q_OBJECT
 public:
  explicit CSmPrintFieldList(CSmPrintSetDlg* owner);
  void ShowFields(const std::vector<CSmPrintField>& fields);
  // The number of the field of a row, -1 for none.
  int FieldNumber(int row) const;
  // Selects the row of the field; its index or -1.
  int SelectField(int number);

  bool IsCommandAvailable(unsigned id) override;
  void CustomizeContextMenu(QMenu* popup) override;
  void Add() override;
  void Open() override { Modify(); }
  void Modify() override;
  void Delete() override;

 private:
  CSmPrintSetDlg* m_owner;
};

// Adds or changes one field of a group (template 821).
class CSmPrintFieldDlg : public CSmPosDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls).
  enum ControlId : int {
    kNumber = 1005,
    kName = 1006,
    kHeight = 1007,
    kWeight = 1008,
    kX = 1009,
    kY = 1010,
    kFace = 1011,
    kItalic = 1012,
    kUnderline = 1013,
    kWidth = 1014,
    kContent = 1099,
  };

  CSmPrintFieldDlg(CSmDatabase* db, int group, int number, bool add, QWidget* parent = nullptr);

  // The field's row did not exist when the dialog was made to change it.
  bool Missing() const { return m_missing; }
  const CSmPrintField& Field() const { return m_field; }
  // The number proposed for a new field of the group: user fields start at 1000.
  static int NextNumber(CSmDatabase* db, int group);

 protected:
  void OnInitDialog() override;
  bool ValidateAndSave() override;

 private:
  int Number(int id) const;
  bool Refuse(const char* text, int focusId);
  bool StoreField(const CSmPrintField& field);

  CSmDatabase* m_db;
  int m_group;
  int m_oldNumber;
  bool m_add;
  bool m_missing = false;
  CSmPrintField m_field;
};

class CSmPrintSetDlg : public CSmDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls).
  enum ControlId : int {
    kGroups = 1000,
    kFieldList = 1004,
    kPaper = 1008,
    kPaperButton = 1009,
    kCancelPaper = 1010,
  };

  explicit CSmPrintSetDlg(CSmDatabase* db, QWidget* parent = nullptr);

  int Group() const { return m_group; }
  CSmPrintFieldList* FieldList() const { return m_list; }
  bool EditingPaper() const { return m_editingPaper; }

  // The list's commands.
  void AddFields();
  void ModifyField();
  void DeleteField();
  void RestoreDefaults();
  void PrintChart();
  // Re-reads the group from the group box; the list is filled when it changed.
  void ChangeGroup();
  void Refill();

  void OnOK() override;
  bool OnCommand(unsigned id) override;

 private:
  void PaperButton();
  void EndPaperEditing();

  CSmDatabase* m_db;
  int m_group = -1;
  bool m_editingPaper = false;
  std::string m_paperText;
  QComboBox* m_groups = nullptr;
  CSmPrintFieldList* m_list = nullptr;
  QComboBox* m_paper = nullptr;
  QPushButton* m_paperButton = nullptr;
  QPushButton* m_cancelPaper = nullptr;
};
