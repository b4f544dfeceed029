#pragma once
// "数据关系检测..." (template 797): check subjects (SysCsTab group 9005), each a formula that comes
// out as zero when the data of the open file agree, evaluated for a chosen month by the report
// evaluator with the variables of module 0. A subject passes below 0.1 in absolute value. The
// states of a run live as long as the dialog and follow the subjects' numbers.
#include <string>
#include <vector>

#include "ui/SmDlg.h"
#include "ui/SmListCtrl.h"
#include "ui/SmPosDlg.h"

class QComboBox;
class CSmApp;
class CSmDatabase;
class CSmDataCheckDlg;
class CSmEdit;

// Check states: not checked, formula failed, passed, failed.
enum : int { SM_CHECK_NONE = 0, SM_CHECK_ERROR = 1, SM_CHECK_PASSED = 2, SM_CHECK_FAILED = 3 };

class CSmCheckSubjectList : public CSmListCtrl {
  Q_OBJECT
 public:
  CSmCheckSubjectList(CSmDataCheckDlg* dlg, QWidget* parent);

  // Reads the subjects again; each row shows the state remembered for its number.
  void Refill(bool keepSelection);
  // Selects exactly the rows of these subject numbers.
  void SelectNumbers(const std::vector<long>& numbers);
  long NumberOfRow(int row) const;
  std::vector<int> SelectedRows() const;

  void CustomizeContextMenu(QMenu* popup) override;
  bool IsCommandAvailable(unsigned id) override;
  // "检测" needs no selected row: with none selected every subject is checked.
  bool IsCommandEnabled(unsigned id) override;
  unsigned GetClipboardFormat() override { return 537; }
  // Two texts per selected row: subject and formula.
  int GetClipboardRows(std::vector<std::string>& rows) const override;
  // Pairs of texts become subjects numbered after the highest; an odd count pastes nothing.
  void InsertPastedRows(const std::vector<std::string>& rows, bool cut, bool sameSource,
                        CSmDatabase& source) override;
  void Add() override;
  void Open() override;
  void Modify() override;
  void Delete() override;

 private:
  bool HasRight(const char* code) const;

  CSmDataCheckDlg* m_dlg;
};

class CSmDataCheckDlg : public CSmDlg {
  Q_OBJECT
 public:
  explicit CSmDataCheckDlg(CSmApp& app, QWidget* parent = nullptr);

  // "&S.检测": checks the selected subjects, or every one, for the chosen month; with no
  // subject at all it says so ("没有检测主题，请先新增主题！"). Always false.
  bool RunCheck();
  bool ValidateAndSave() override { return RunCheck(); }
  bool OnCommand(unsigned id) override;
  // "&V.变量表": the variables of module 0 edited and saved when changed.
  void OnVariables();

  CSmApp& App() const { return m_app; }
  CSmDatabase* Database() const;
  CSmCheckSubjectList* List() const { return m_list; }
  QComboBox* MonthBox() const { return m_month; }
  // The state remembered for a subject number (0 for one not seen), and why its formula failed.
  int StateOf(long number) const;
  std::string ReasonOf(long number) const;
  // Row-ordered states, numbers and reasons of failed formulas, replaced on every refill.
  std::vector<int> m_states;
  std::vector<long> m_numbers;
  std::vector<std::string> m_reasons;

 protected:
  void OnInitDialog() override;

 private:
  void EnableControls(bool on);

  CSmApp& m_app;
  CSmCheckSubjectList* m_list;
  QComboBox* m_month;
};

// "新增数据关系检测主题" / "修改数据关系检测主题" (template 798): one subject's number, text and
// formula.
class CSmCheckSubjectDlg : public CSmPosDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls).
  enum ControlId : int {
    kNumberEdit = 1071,
    kSubjectEdit = 1072,
    kFormulaEdit = 1073,
  };

  CSmCheckSubjectDlg(bool adding, long number, CSmDatabase* db, QWidget* parent = nullptr);

  // False in modifying mode when the subject is not there (the dialog says so).
  bool Load();
  bool SaveSubject();
  bool ValidateAndSave() override { return SaveSubject(); }
  long Number() const { return m_number; }
  void SetFields(const std::string& number, const std::string& subject, const std::string& formula);

 protected:
  void OnInitDialog() override;

 private:
  bool m_adding;
  long m_number;
  CSmDatabase* m_db;
  bool m_loaded = false;
  std::string m_oldSubject;
  std::string m_oldFormula;
  CSmEdit* m_numberEdit;
  CSmEdit* m_subjectEdit;
  CSmEdit* m_formulaEdit;
};
