#pragma once
// Running a report's formulas: the calculation computes the fetch formulas cell by cell and
// hands back the values, the audit lists the verdict of every audit formula, and the formula
// dialog edits and tests the current cell's fetch formula. All three work on copies; the view
// stores what they hand back.
#include <string>
#include <unordered_map>
#include <vector>

#include "designer/CaculateChild.h"
#include "designer/RiloArchive.h"
#include "ui/SmDlg.h"

class CRiloDoc;
class CSmEdit;
class QCheckBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// The rectangles a run walks: the whole sheet without a selection, the current cell while its
// text is selected, else the listed areas and then the area being dragged, each normalised.
std::vector<SmIntRect> RiloRunRegions(const CRiloDoc& doc);
// "多区域：共 3 个区域", "单元格：B2", "全部：A1 至 D9" or "单区域：A1 至 B3".
std::string RiloRegionText(const std::vector<SmIntRect>& regions, int cols, int rows);
// The name the sheet's own cells go by in formulas: the open table's file, or the reference of a
// report kept in the data file.
std::string RiloSourceName(const CRiloDoc& doc);
// The values formulas read: the child table's when one is open, else the master's, plain.
std::vector<std::string> RiloCellValues(const CRiloDoc& doc);
// An evaluator over the values and the sheet's variables, reading comments and group prefixes.
void RiloPrepareEvaluator(CCaculateChild& calc, const CRiloDoc& doc,
                          const std::vector<std::string>& values);
// The error text of the last failed evaluation, "错误!" when it has none.
std::string RiloErrorText(CCaculateChild& calc);

// The walk of a calculation or an audit over the regions, cell by cell, with the run, next and
// cancel buttons and the pause box. A run shows how far it is a few times a second, not at
// every cell; "&X.取消" (or Esc) during a run stops it and closes the dialog without results.
class CRiloRunDlg : public CSmDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls).
  enum ControlId : int {
    kCalcStart = 1049,
    kCalcNext = 1052,
    kCalcRegionLabel = 1055,
    kAuditRegionLabel = 1059,
    kAuditNext = 1062,
    kAuditStart = 1063,
  };

  bool IsFinished() const { return m_finished; }
  bool IsRunning() const { return m_running; }
  // The cell the walk stands on (column, row).
  SmIntPair CurrentCell() const { return {m_col, m_row}; }
  QCheckBox* PauseBox() const { return m_pause; }
  bool OnCommand(unsigned id) override;
  void OnOK() override;
  void OnCancel() override;

 protected:
  CRiloRunDlg(unsigned templateId, const CRiloDoc& doc, int formulaLayer, QWidget* parent);

  // Evaluates the current cell and keeps the outcome for ShowOutcome; false when its formula
  // failed.
  virtual bool EvaluateCell() = 0;
  // Shows the outcome of the cell evaluated last.
  virtual void ShowOutcome() {}
  // While a run goes on: how far it is.
  virtual void ShowBusy() {}
  // Shows a cell of the walk: its label and formula.
  virtual void ShowCell(int /*col*/, int /*row*/) {}
  // Before a run goes on: the calculation takes the corrected formula back.
  virtual void BeforeRun() {}
  // Past a region's last cell: true when the region is walked again.
  virtual bool RepeatRegion() { return false; }
  // The walk enters a region.
  virtual void StartRegion() {}
  // The run button, "&N.下一个" and what else depends on the walk.
  virtual void UpdateButtons();

  // The region text, the pause box and the buttons in rows `row` to `row` + 2.
  void AddWalkControls(QGridLayout* grid, int row, const char* regionCaption, const char* pauseText,
                       int pauseId);
  void Start();
  void Advance();
  void Run();
  void Step();
  // Around the evaluations of a run or a step: the buttons that would start another are off,
  // and the evaluator shows the progress. EndRun closes the dialog when the user stopped it.
  void BeginRun();
  bool EndRun();
  // Shows the walk's cell and the run's progress, and lets the dialog take clicks; false once
  // the user stopped the run.
  bool ShowProgress();
  int CurrentIndex() const { return m_col + m_row * m_cols; }
  const SmIntRect& Region() const { return m_regions[m_region]; }

  const CRiloDoc& m_doc;
  CCaculateChild m_calc;
  std::vector<std::string> m_formulas;
  std::vector<SmIntRect> m_regions;
  int m_cols = 0;
  size_t m_region = 0;
  int m_col = 0;
  int m_row = 0;
  bool m_finished = false;
  bool m_started = false;
  bool m_running = false;
  bool m_cancelled = false;
  int m_cellsDone = 0;    // cells evaluated in this run
  SmIntPair m_evaluated;  // the cell evaluated last
  QCheckBox* m_pause;
  QPushButton* m_runButton;
  QPushButton* m_nextButton;
  QLabel* m_regionLabel;
};

// Template 834: computes the fetch formulas. A formula "n:..." is computed in pass n of its
// region, so that it reads the values of the passes before.
class CRiloCalcDlg : public CRiloRunDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls).
  enum CalcControlId : int {
    kFormula = 1045,
    kPause = 1050,
    kCellLabel = 1051,
    kResult = 1053,
    kHint = 1054,
  };

  CRiloCalcDlg(const CRiloDoc& doc, QWidget* parent = nullptr);

  // After OK: every cell's value, and every cell's fetch formula, row-major.
  const std::vector<std::string>& Values() const { return m_calc.m_defaultSource.Cells(); }
  const std::vector<std::string>& Formulas() const { return m_formulas; }
  int Pass() const { return m_pass; }

  static constexpr int kLastPass = 99;  // group prefixes have at most two digits

 protected:
  void OnInitDialog() override;
  bool EvaluateCell() override;
  void ShowOutcome() override;
  void ShowBusy() override;
  void ShowCell(int col, int row) override;
  void BeforeRun() override;
  bool RepeatRegion() override;
  void StartRegion() override;
  void UpdateButtons() override;

 private:
  // The value written for a number result: the cell's decimals, no separators.
  std::string CellValue(double value) const;

  std::string m_hint;  // the outcome of the cell evaluated last
  std::string m_result;
  int m_pass = 0;
  std::vector<char> m_done;  // per cell of the region: computed in some pass
  int m_doneCount = 0;
  QLabel* m_cellLabel;
  QLineEdit* m_formulaEdit;
  QLineEdit* m_resultEdit;
  QLabel* m_hintLabel;
};

// Template 838: evaluates the audit formulas in one pass and lists a verdict per cell.
class CRiloAuditDlg : public CRiloRunDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls).
  enum AuditControlId : int { kList = 1058, kPause = 1060 };

  CRiloAuditDlg(const CRiloDoc& doc, QWidget* parent = nullptr);

  // After OK: every cell's audit formula, row-major.
  const std::vector<std::string>& Formulas() const { return m_formulas; }
  QTreeWidget* List() const { return m_list; }

 protected:
  void OnInitDialog() override;
  bool EvaluateCell() override;
  void ShowOutcome() override;
  void ShowBusy() override;
  void BeforeRun() override;

 private:
  void ListResult(const std::string& note, const std::string& verdict, const std::string& formula);

  bool m_stoppedOnError = false;  // the run stopped on the current cell's failure
  QTreeWidget* m_list;
  std::unordered_map<std::string, QTreeWidgetItem*> m_rows;  // by cell label
  QTreeWidgetItem* m_lastRow = nullptr;
};

// Template 840: the current cell's fetch formula, with a test that writes nothing. The clerk
// types under the field's rule; a stored formula the rule would refuse is edited whole.
class CRiloCellTextDlg : public CSmDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls).
  enum ControlId : int { kText = 1045, kTestResult = 1097, kTest = 1098 };

  CRiloCellTextDlg(const CRiloDoc& doc, QWidget* parent = nullptr);

  // After OK: the edited formula.
  const std::string& Formula() const { return m_formula; }
  // Evaluates the formula in the cell's place and shows the result or the error. A long test
  // shows that it runs; "&X.取消" (or Esc) stops it and the dialog stays open.
  void Test();
  bool IsTesting() const { return m_testing; }
  bool OnCommand(unsigned id) override;
  void OnOK() override;
  void OnCancel() override;

 protected:
  void OnInitDialog() override;
  void DoDataExchange(bool save) override;

 private:
  const CRiloDoc& m_doc;
  std::string m_formula;
  bool m_testing = false;
  bool m_testStopped = false;
  CSmEdit* m_edit;
  QLineEdit* m_testResult;
};
