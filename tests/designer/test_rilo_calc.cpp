// Calculation, audit and the formula dialog driven through their buttons, and the view's edit
// states and Fill menu: what they enable, what they store and the undo step they leave.
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include "app/SmVarDlg.h"
#include "core/SmPath.h"
#include "designer/RiloCalcDlg.h"
#include "designer/RiloPwdDlg.h"
#include "platform/SmCommandIds.h"
#include "tests/common/SmModalScript.h"
#include "tests/designer/report_sources_fixture.h"
#include "tests/designer/rilo_pwd_script.h"
#include "tests/designer/rilo_view_fixture.h"
#include "ui/SmCalcDlg.h"

namespace {

constexpr char kSep = '\x01';

// A master text, fetch formula and audit formula as one cell string.
std::string CellOf(const std::string& master, const std::string& fetch,
                   const std::string& audit = {}) {
  return master + kSep + fetch + kSep + audit;
}

std::string Text(QWidget* dlg, int id) {
  if (auto* label = Control<QLabel>(dlg, id)) return label->text().toStdString();
  if (auto* edit = Control<QLineEdit>(dlg, id)) return edit->text().toStdString();
  if (auto* button = Control<QPushButton>(dlg, id)) return button->text().toStdString();
  return "?";
}

}  // namespace

TEST(RiloRunRegions, TextsOfTheRegions) {
  CRiloDoc doc;
  doc.m_path = "本表.QLN";
  doc.m_sheet = Sheet(4, 9);
  CRiloData& s = doc.m_sheet;
  s.m_currentCell = {1, 1};
  s.m_selectMode = 0;
  EXPECT_EQ(RiloRegionText(RiloRunRegions(doc), 4, 9), "全部：A1 至 D9");
  s.m_selectMode = 1;
  EXPECT_EQ(RiloRegionText(RiloRunRegions(doc), 4, 9), "单元格：B2");
  s.m_selectMode = 2;
  s.m_selectRect = {2, 4, 0, 1};  // dragged up and left: normalised
  ASSERT_EQ(RiloRunRegions(doc).size(), 1u);
  EXPECT_EQ(RiloRunRegions(doc).front(), (SmIntRect{0, 1, 2, 4}));
  EXPECT_EQ(RiloRegionText(RiloRunRegions(doc), 4, 9), "单区域：A2 至 C5");
  s.m_areas = {{0, 0, 0, 0}, {3, 8, 3, 8}};
  EXPECT_EQ(RiloRegionText(RiloRunRegions(doc), 4, 9), "多区域：共 3 个区域");
  EXPECT_EQ(RiloRunRegions(doc).back(), (SmIntRect{0, 1, 2, 4}));  // the dragged area last
}

// Dialogs over a document without a window; the application answers the report functions.
class RiloCalcDlgTest : public RiloViewTest {
 protected:
  // Runs the calculation dialog with `action` and returns its outcome.
  int RunCalc(CRiloDoc& doc, std::function<void(CRiloCalcDlg&)> action,
              CRiloCalcDlg** kept = nullptr) {
    m_calc = std::make_unique<CRiloCalcDlg>(doc);
    if (kept) *kept = m_calc.get();
    CModalScript script;
    script.Then(834, [&](QWidget*) { action(*m_calc); });
    return m_calc->DoModal();
  }
  std::unique_ptr<CRiloCalcDlg> m_calc;
};

TEST_F(RiloCalcDlgTest, SheetWithoutFormulasEndsInOnePass) {
  CRiloDoc doc;
  doc.m_path = "本表.QLN";
  doc.m_sheet = Sheet(2, 2);
  doc.m_sheet.m_texts = {"a", "b", "c", "d"};
  const int answer = RunCalc(doc, [&](CRiloCalcDlg& dlg) {
    EXPECT_EQ(Text(&dlg, CRiloRunDlg::kCalcStart), "&B.开始");
    EXPECT_EQ(Text(&dlg, CRiloRunDlg::kCalcRegionLabel), "全部：A1 至 B2");
    EXPECT_EQ(dlg.windowTitle().toStdString(), "报表计算：本表.QLN");
    ::Click(&dlg, CRiloCalcDlg::kCalcStart);
    EXPECT_TRUE(dlg.IsFinished());
    EXPECT_EQ(dlg.Pass(), 0);
    EXPECT_EQ(Text(&dlg, CRiloCalcDlg::kHint), "无公式!");
    EXPECT_EQ(Text(&dlg, CRiloRunDlg::kCalcStart), "&S.确认");
    EXPECT_FALSE(Control<QPushButton>(&dlg, CRiloCalcDlg::kCalcNext)->isEnabled());
    EXPECT_FALSE(Control<QLineEdit>(&dlg, CRiloCalcDlg::kFormula)->isEnabled());
    ::Click(&dlg, CRiloCalcDlg::kCalcStart);
  });
  ASSERT_EQ(answer, SM_IDOK);
  EXPECT_EQ(m_calc->Values(), (std::vector<std::string>{"a", "b", "c", "d"}));
}

TEST_F(RiloCalcDlgTest, GroupsAndNumberFormats) {
  CRiloDoc doc;
  doc.m_path = "本表.QLN";
  doc.m_sheet = Sheet(5, 1);
  // A1 is computed in pass 1 from B1 of pass 0; C1 and D1 keep at most two decimals.
  doc.m_sheet.m_texts = {CellOf("", "1:sum(B1)*2"), CellOf("", "3+4 {七}"), CellOf("", "3.14159"),
                         CellOf("", "3.0"), CellOf("", "\"a\"+\"b\"")};
  doc.m_sheet.m_numberFormats.assign(5, {0, 2});
  const int answer = RunCalc(doc, [](CRiloCalcDlg& dlg) {
    ::Click(&dlg, CRiloCalcDlg::kCalcStart);
    EXPECT_EQ(dlg.Pass(), 1);
    EXPECT_EQ(Text(&dlg, CRiloCalcDlg::kHint), "正确!");
    EXPECT_EQ(Text(&dlg, CRiloCalcDlg::kCellLabel), "E1");
    ::Click(&dlg, CRiloCalcDlg::kCalcStart);
  });
  ASSERT_EQ(answer, SM_IDOK);
  EXPECT_EQ(m_calc->Values(), (std::vector<std::string>{"14", "7", "3.14", "3", "ab"}));
  EXPECT_EQ(m_calc->Formulas()[0], "1:sum(B1)*2");
}

TEST_F(RiloCalcDlgTest, PauseStopsOnTheFailureAndContinuesWithTheCorrection) {
  CRiloDoc doc;
  doc.m_path = "本表.QLN";
  doc.m_sheet = Sheet(3, 1);
  doc.m_sheet.m_texts = {CellOf("", "1"), CellOf("", "sum(A1"), CellOf("", "sum(B1)*10")};
  const int answer = RunCalc(doc, [](CRiloCalcDlg& dlg) {
    dlg.PauseBox()->setChecked(true);
    ::Click(&dlg, CRiloCalcDlg::kCalcStart);
    EXPECT_FALSE(dlg.IsFinished());
    EXPECT_EQ(Text(&dlg, CRiloCalcDlg::kCellLabel), "B1");
    EXPECT_NE(Text(&dlg, CRiloCalcDlg::kHint), "正确!");
    EXPECT_FALSE(Text(&dlg, CRiloCalcDlg::kHint).empty());
    EXPECT_EQ(Text(&dlg, CRiloCalcDlg::kResult), "");
    EXPECT_EQ(Text(&dlg, CRiloRunDlg::kCalcStart), "&C.继续");
    Type(&dlg, CRiloCalcDlg::kFormula, "sum(A1)+1");
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);  // Enter continues
    QApplication::sendEvent(Control<QLineEdit>(&dlg, CRiloCalcDlg::kFormula), &enter);
    EXPECT_TRUE(dlg.IsFinished());
    EXPECT_EQ(dlg.Pass(), 0);  // the corrected cell counts once
    ::Click(&dlg, CRiloCalcDlg::kCalcStart);
  });
  ASSERT_EQ(answer, SM_IDOK);
  EXPECT_EQ(m_calc->Values(), (std::vector<std::string>{"1.00", "2.00", "20.00"}));
  EXPECT_EQ(m_calc->Formulas()[1], "sum(A1)+1");
}

TEST_F(RiloCalcDlgTest, FailureWithoutPauseGoesOnAndCancelHandsBackNothing) {
  CRiloDoc doc;
  doc.m_path = "本表.QLN";
  doc.m_sheet = Sheet(2, 1);
  doc.m_sheet.m_texts = {CellOf("x", "nofunc(1)"), CellOf("", "5")};
  const int answer = RunCalc(doc, [](CRiloCalcDlg& dlg) {
    ::Click(&dlg, CRiloCalcDlg::kCalcStart);
    EXPECT_TRUE(dlg.IsFinished());
    EXPECT_EQ(dlg.Values()[0], "x");  // a failed cell keeps its value
    EXPECT_EQ(dlg.Values()[1], "5.00");
    ::Click(&dlg, SM_ID_CANCEL);
  });
  EXPECT_EQ(answer, SM_IDCANCEL);
}

TEST_F(RiloCalcDlgTest, SkippedFirstCellEndsAfterTheLastPass) {
  CRiloDoc doc;
  doc.m_path = "本表.QLN";
  doc.m_sheet = Sheet(2, 1);
  doc.m_sheet.m_texts = {CellOf("", "1"), CellOf("", "2")};
  const int answer = RunCalc(doc, [](CRiloCalcDlg& dlg) {
    ::Click(&dlg, CRiloCalcDlg::kCalcNext);  // skips A1 before any run: it is never done
    EXPECT_EQ(Text(&dlg, CRiloCalcDlg::kCellLabel), "B1");
    ::Click(&dlg, CRiloCalcDlg::kCalcStart);
    EXPECT_TRUE(dlg.IsFinished());
    EXPECT_EQ(dlg.Pass(), CRiloCalcDlg::kLastPass);
    ::Click(&dlg, CRiloCalcDlg::kCalcStart);
  });
  ASSERT_EQ(answer, SM_IDOK);
  EXPECT_EQ(m_calc->Values(), (std::vector<std::string>{"", "2.00"}));
}

TEST_F(RiloCalcDlgTest, AuditVerdictsNotesAndOneRowPerCell) {
  CRiloDoc doc;
  doc.m_path = "本表.QLN";
  doc.m_sheet = Sheet(2, 2);
  CRiloData& s = doc.m_sheet;
  s.m_texts = {CellOf("1", "", "sum(A1)=1"), CellOf("2", "", "{半}0.5"), CellOf("", "", "sum(B1"),
               CellOf("", "", "1:0")};
  s.m_selectMode = 2;
  s.m_areas = {{0, 0, 1, 0}};
  s.m_selectRect = {1, 1, 0, 0};  // the whole sheet again: A1 and B1 twice
  CRiloAuditDlg dlg(doc);
  std::vector<std::vector<std::string>> rows;
  CModalScript script;
  script.Then(838, [&](QWidget*) {
    EXPECT_EQ(Text(&dlg, CRiloRunDlg::kAuditRegionLabel), "多区域：共 2 个区域");
    dlg.PauseBox()->setChecked(true);
    ::Click(&dlg, CRiloAuditDlg::kAuditStart);
    EXPECT_EQ(dlg.CurrentCell(), (SmIntPair{0, 1}));  // stopped on A2's error
    EXPECT_EQ(Text(&dlg, CRiloRunDlg::kAuditStart), "&C.继续");
    ::Click(&dlg, CRiloAuditDlg::kAuditStart);  // goes on after A2 (its formula did not change)
    EXPECT_TRUE(dlg.IsFinished());
    for (int i = 0; i < dlg.List()->topLevelItemCount(); ++i) {
      std::vector<std::string>& row = rows.emplace_back();
      for (int c = 0; c < 4; ++c) row.push_back(dlg.List()->topLevelItem(i)->text(c).toStdString());
    }
    ::Click(&dlg, CRiloAuditDlg::kAuditStart);
  });
  ASSERT_EQ(dlg.DoModal(), SM_IDOK);
  ASSERT_EQ(rows.size(), 3u);  // B2's group 1 is skipped silently
  EXPECT_EQ(rows[0], (std::vector<std::string>{"A1", "", "正确!", "sum(A1)=1"}));
  EXPECT_EQ(rows[1], (std::vector<std::string>{"B1", "半", "错误!", "{半}0.5"}));
  EXPECT_EQ(rows[2][0], "A2");
  EXPECT_EQ(rows[2][2].rfind("公式错误：", 0), 0u) << rows[2][2];
  EXPECT_EQ(dlg.Formulas()[1], "{半}0.5");
}

TEST_F(RiloCalcDlgTest, FormulaDialogEditsAndTestsTheFetchFormula) {
  CRiloDoc doc;
  doc.m_path = "本表.QLN";
  doc.m_sheet = Sheet(2, 2);
  doc.m_sheet.m_texts = {CellOf("4", ""), "", "", CellOf("\x1BG5标题", "sum(A1)*2")};
  doc.m_sheet.m_currentCell = {1, 1};
  doc.m_editMode = 0;
  CRiloCellTextDlg dlg(doc);
  CModalScript script;
  script.Then(840, [&](QWidget*) {
    EXPECT_EQ(dlg.windowTitle().toStdString(), "编辑单元格 B2 的公式：");
    EXPECT_EQ(Text(&dlg, CRiloCellTextDlg::kText), "sum(A1)*2");
    ::Click(&dlg, CRiloCellTextDlg::kTest);
    EXPECT_EQ(Text(&dlg, CRiloCellTextDlg::kTestResult), "8");
    QKeyEvent bar(QEvent::KeyPress, Qt::Key_Bar, Qt::NoModifier, "|");
    Control<QLineEdit>(&dlg, CRiloCellTextDlg::kText)->setCursorPosition(4);
    QApplication::sendEvent(Control<QLineEdit>(&dlg, CRiloCellTextDlg::kText), &bar);
    EXPECT_EQ(Text(&dlg, CRiloCellTextDlg::kText), "sum(A1)*2");  // refused
    Type(&dlg, CRiloCellTextDlg::kText, "sum(A1");
    ::Click(&dlg, CRiloCellTextDlg::kTest);
    EXPECT_FALSE(Text(&dlg, CRiloCellTextDlg::kTestResult).empty());
    EXPECT_EQ(doc.m_sheet.m_texts[3], CellOf("\x1BG5标题", "sum(A1)*2"));  // a test writes nothing
    ::Click(&dlg, SM_ID_OK);
  });
  ASSERT_EQ(dlg.DoModal(), SM_IDOK);
  EXPECT_EQ(dlg.Formula(), "sum(A1");
  EXPECT_EQ(Control<QLineEdit>(&dlg, CRiloCellTextDlg::kText)->maxLength(), 250);
}

// ---------------------------------------------------------------- the view's commands

class RiloFillTest : public RiloViewTest {
 protected:
  bool Enabled(int id) {
    CSmCmdUI ui(id);
    EXPECT_TRUE(m_view->OnUpdateCommand(id, ui)) << id;
    return ui.Enabled();
  }
  int Checked(int id) {
    CSmCmdUI ui(id);
    m_view->OnUpdateCommand(id, ui);
    return ui.Check().value_or(-1);
  }
  std::string Layer(int cell, int k) {
    return CRiloDoc::GetLayerPlain(m_doc->m_sheet.m_texts.at(static_cast<size_t>(cell)), k);
  }
};

TEST_F(RiloFillTest, EditStatesAndWhatTheFillCommandsNeed) {
  Open(Sheet(2, 2));
  EXPECT_TRUE(Enabled(SM_ID_RILO_EDIT_MASTER));
  EXPECT_FALSE(Enabled(SM_ID_RILO_EDIT_CHILD));  // no child table
  EXPECT_TRUE(Enabled(SM_ID_RILO_EDIT_FETCH));
  EXPECT_TRUE(Enabled(SM_ID_RILO_EDIT_AUDIT));
  for (int id : {SM_ID_RILO_CALCULATE, SM_ID_RILO_AUDIT, SM_ID_RILO_SUM})
    EXPECT_FALSE(Enabled(id)) << id;
  EXPECT_TRUE(Enabled(SM_ID_CALCULATOR));

  m_doc->m_childOpen = 1;
  EXPECT_TRUE(Enabled(SM_ID_RILO_EDIT_CHILD));
  struct Case {
    int mode;
    bool calc, audit;
  };
  for (const Case c :
       {Case{0, true, true}, Case{1, true, false}, Case{2, false, true}, Case{3, true, true}}) {
    const int ids[] = {SM_ID_RILO_EDIT_MASTER, SM_ID_RILO_EDIT_FETCH, SM_ID_RILO_EDIT_AUDIT,
                       SM_ID_RILO_EDIT_CHILD};
    m_view->OnCommand(ids[c.mode]);
    EXPECT_EQ(m_doc->m_editMode, c.mode);
    EXPECT_EQ(Checked(ids[c.mode]), 1);
    EXPECT_EQ(Checked(ids[(c.mode + 1) % 4]), 0);
    EXPECT_EQ(Enabled(SM_ID_RILO_CALCULATE), c.calc) << c.mode;
    EXPECT_EQ(Enabled(SM_ID_RILO_AUDIT), c.audit) << c.mode;
    EXPECT_TRUE(Enabled(SM_ID_RILO_SUM)) << c.mode;
  }
  EXPECT_TRUE(m_doc->m_undo.empty());  // changing the state records nothing

  // Kept in the data file but never stored there.
  m_doc->m_storage = SM_RILO_DB;
  m_doc->m_nNo = -1;
  m_doc->m_subNo = "1";
  for (int id : {SM_ID_RILO_CALCULATE, SM_ID_RILO_AUDIT, SM_ID_RILO_SUM})
    EXPECT_FALSE(Enabled(id)) << id;
  m_doc->m_nNo = 4;
  m_doc->m_subNo.clear();
  EXPECT_FALSE(Enabled(SM_ID_RILO_CALCULATE));
  m_doc->m_subNo = "1";
  EXPECT_TRUE(Enabled(SM_ID_RILO_CALCULATE));

  m_doc->m_readOnly = 1;
  for (int id : {SM_ID_RILO_CALCULATE, SM_ID_RILO_VARIABLES, SM_ID_RILO_PASSWORDS})
    EXPECT_FALSE(Enabled(id)) << id;
}

TEST_F(RiloFillTest, PrintOrderFlagsExcludeEachOther) {
  Open(Sheet(2, 2));
  m_view->OnCommand(SM_ID_RILO_PRINT_BY_COLUMN);
  m_view->OnCommand(SM_ID_RILO_PRINT_BY_ROW);
  EXPECT_EQ(Checked(SM_ID_RILO_PRINT_BY_ROW), 1);
  EXPECT_EQ(Checked(SM_ID_RILO_PRINT_BY_COLUMN), 0);
  m_view->OnCommand(SM_ID_RILO_PRINT_BY_ROW);
  EXPECT_EQ(m_doc->m_printByRow, 0);
  EXPECT_EQ(m_doc->m_printByColumn, 0);
}

TEST_F(RiloFillTest, VariablesAndPasswordsRaiseTheSettingsCountOnlyWhenChanged) {
  Open(Sheet(2, 2));
  m_doc->m_path = "/tmp/月报.QLN";
  const int defaults = m_doc->m_sheet.m_vars.GetSize();
  {
    CModalScript script;
    script.Then(820, [](QWidget* dlg) { Press(dlg, SM_ID_OK); });
    m_view->OnCommand(SM_ID_RILO_VARIABLES);
    EXPECT_TRUE(script.Done());
  }
  {
    CModalScript script;
    script.Then(836, [](QWidget* dlg) { Press(dlg, CRiloPwdSetDlg::kConfirm); });  // unchanged
    m_view->OnCommand(SM_ID_RILO_PASSWORDS);
  }
  EXPECT_EQ(m_doc->m_changes[8], 0);
  EXPECT_FALSE(m_doc->IsModified());
  {
    CModalScript script;
    script.Then(820, [](QWidget* dlg) {
      static_cast<CSmVarDlg*>(dlg)->List()->m_vars.Add(CSmVar("#x", "1", SM_VAR_ANY, ""));
      Press(dlg, SM_ID_OK);
    });
    m_view->OnCommand(SM_ID_RILO_VARIABLES);
  }
  EXPECT_EQ(m_doc->m_changes[8], 1);
  ASSERT_EQ(m_doc->m_sheet.m_vars.GetSize(), defaults + 1);
  {
    CModalScript script;
    script.Then(836, [](QWidget* dlg) {
      Type(dlg, CRiloPwdSetDlg::kModifyPassword, "W2");
      Press(dlg, CRiloPwdSetDlg::kConfirm);
    });
    script.Then(837, [](QWidget* dlg) { GivePassword("W2")(dlg); });
    m_view->OnCommand(SM_ID_RILO_PASSWORDS);
    EXPECT_TRUE(script.Done());
  }
  EXPECT_EQ(m_doc->m_changes[8], 2);
  EXPECT_EQ(m_doc->m_sheet.m_modifyPassword, "W2");
  EXPECT_TRUE(m_doc->m_undo.empty());
}

TEST_F(RiloFillTest, CalculatorSumsTheSelectionAndWritesBackAsATypingStep) {
  CRiloData sheet = Sheet(3, 2);
  sheet.m_texts = {"1.5", "abc", "2", "", "", "old"};
  Open(sheet);
  CRiloData& s = m_doc->m_sheet;
  s.m_currentCell = {2, 1};
  s.m_selectMode = 2;
  s.m_selectRect = {0, 0, 2, 0};
  std::string start;
  CModalScript script;
  script.Then(800, [&](QWidget* dlg) {
    start = Text(dlg, CSmCalcDlg::kExpression);
    Press(dlg, CSmCalcDlg::kSend);
  });
  m_view->OnCommand(SM_ID_CALCULATOR);
  EXPECT_EQ(start, "1.5+2");
  EXPECT_EQ(s.m_texts[5], "3.5");
  m_view->TypeText("9");
  EXPECT_EQ(s.m_texts[5], "3.59");
  ASSERT_EQ(m_doc->m_undo.size(), 1u);  // the typed character joined the step
  m_view->ApplyHistory(true);
  EXPECT_EQ(s.m_texts[5], "old");
}

TEST_F(RiloFillTest, CtrlEnterStoresTheFetchFormulaAsOneStep) {
  CRiloData sheet = Sheet(2, 1);
  sheet.m_texts = {CellOf("标题", "1"), ""};
  Open(sheet);
  m_doc->m_sheet.m_currentCell = {0, 0};
  m_doc->m_editMode = 0;
  CModalScript script;
  script.Then(840, [](QWidget* dlg) {
    Type(dlg, CRiloCellTextDlg::kText, "2+3");
    Press(dlg, SM_ID_OK);
  });
  m_view->OnCommand(SM_ID_RILO_CELL_TEXT);
  EXPECT_EQ(Layer(0, 0), "标题");
  EXPECT_EQ(Layer(0, 1), "2+3");
  m_view->ApplyHistory(true);
  EXPECT_EQ(Layer(0, 1), "1");
}

// A one-line field holds 32,767 characters unless told otherwise: a longer fetch formula goes
// through the calculation and the formula dialog whole, and so does a stored formula holding an
// operator the formula dialog does not let the clerk type.
TEST_F(RiloFillTest, LongAndUntypableFormulasAreStoredWhole) {
  std::string longFormula = "10";
  while (longFormula.size() < 40000) longFormula += "+1";
  CRiloData sheet = Sheet(2, 1);
  sheet.m_texts = {CellOf("", longFormula), CellOf("", "0||1")};
  sheet.m_numberFormats.assign(2, {0, 2});
  Open(sheet);
  CModalScript calc;
  calc.Then(834, [&](QWidget* dlg) {
    Press(dlg, CRiloCalcDlg::kCalcStart);
    EXPECT_EQ(Text(dlg, CRiloCalcDlg::kHint), "正确!");
    Press(dlg, CRiloCalcDlg::kCalcStart);
  });
  m_view->OnCommand(SM_ID_RILO_CALCULATE);
  EXPECT_EQ(Layer(0, 0), "20009");
  EXPECT_EQ(Layer(0, 1), longFormula);

  m_doc->m_editMode = 0;
  for (const int cell : {0, 1}) {
    const std::string stored = Layer(cell, 1);
    m_doc->m_sheet.m_currentCell = {cell, 0};
    CModalScript edit;
    edit.Then(840, [&](QWidget* dlg) {
      EXPECT_EQ(Text(dlg, CRiloCellTextDlg::kText), stored);
      ::Click(dlg, CRiloCellTextDlg::kTest);
      EXPECT_EQ(Text(dlg, CRiloCellTextDlg::kTestResult), cell == 0 ? "20009" : "1");
      Press(dlg, SM_ID_OK);
    });
    m_view->OnCommand(SM_ID_RILO_CELL_TEXT);
    EXPECT_EQ(Layer(cell, 1), stored);
  }
}

TEST_F(RiloFillTest, CalculationWithAChildTableFillsItsLayerAsOneStep) {
  CRiloData sheet = Sheet(3, 1);
  sheet.m_texts = {CellOf("项目", ""), CellOf("", "2*3"), CellOf("", "1:sum(B1)+1", "sum(C1)>6")};
  sheet.m_numberFormats.assign(3, {0, 2});
  Open(sheet);
  m_doc->m_childOpen = 1;
  m_doc->m_childPath = "本表\\1\\c.BSJ";
  m_doc->m_editMode = 1;
  CModalScript script;
  script.Then(834, [](QWidget* dlg) {
    Press(dlg, CRiloCalcDlg::kCalcStart);
    Type(dlg, CRiloCalcDlg::kFormula, "changed");  // disabled once finished: nothing taken back
    Press(dlg, CRiloCalcDlg::kCalcStart);
  });
  m_view->OnCommand(SM_ID_RILO_CALCULATE);
  EXPECT_EQ(m_doc->m_editMode, 3);
  EXPECT_EQ(Layer(0, 0), "项目");
  EXPECT_EQ(Layer(1, 3), "6");
  EXPECT_EQ(Layer(2, 3), "7");
  EXPECT_EQ(Layer(1, 0), "");  // the master stays empty
  EXPECT_EQ(Layer(2, 1), "1:sum(B1)+1");
  ASSERT_EQ(m_doc->m_undo.size(), 1u);
  EXPECT_EQ(m_doc->m_undo.back().kind, SM_RILO_STEP_CALCULATE);

  CModalScript audit;
  audit.Then(838, [](QWidget* dlg) {
    Press(dlg, CRiloAuditDlg::kAuditStart);
    Press(dlg, CRiloAuditDlg::kAuditStart);
  });
  m_view->OnCommand(SM_ID_RILO_AUDIT);
  EXPECT_EQ(m_doc->m_undo.size(), 1u);  // the audit changed no formula

  m_doc->m_editMode = 0;
  m_view->ApplyHistory(true);
  EXPECT_EQ(m_doc->m_editMode, 3);
  EXPECT_EQ(Layer(1, 3), "");
  EXPECT_EQ(Layer(2, 3), "");
}

// Each level reads the cell the one around it visits: 900 to the third power conditions, far
// more than a clerk would wait for.
const char kEndless[] = "count(A1:AD30,,count(A1:AD30,,count(A1:AD30,,vert()>0)>vert())>0)";

// A calculation or an audit that runs long shows how far it is and stops at "&X.取消", which
// closes the dialog and leaves the sheet as it was.
TEST_F(RiloFillTest, ALongRunShowsItsProgressAndCancelLeavesTheSheet) {
  CRiloData sheet = Sheet(30, 30);
  sheet.m_texts[1] = CellOf("", "1+1");
  sheet.m_texts[2] = CellOf("", kEndless, kEndless);
  const struct {
    int command;
    int dialog;
    int run;
  } runs[] = {{SM_ID_RILO_CALCULATE, 834, CRiloRunDlg::kCalcStart},
              {SM_ID_RILO_AUDIT, 838, CRiloRunDlg::kAuditStart}};
  for (const auto& r : runs) {
    SCOPED_TRACE(r.dialog);
    Open(sheet);
    m_doc->m_path = "本表.QLN";  // the name the sheet's own cells go by
    bool seen = false;
    CModalScript script;
    script.Then(r.dialog, [&](QWidget* dlg) {
      // Runs at the first sign of progress, from inside the run.
      QTimer::singleShot(0, dlg, [&, dlg] {
        auto* run = static_cast<CRiloRunDlg*>(dlg);
        seen = run->IsRunning();
        EXPECT_FALSE(Control<QPushButton>(dlg, r.run)->isEnabled());
        if (r.dialog == 834) {
          EXPECT_EQ(Text(dlg, CRiloCalcDlg::kCellLabel), "C1");
          EXPECT_EQ(Text(dlg, CRiloCalcDlg::kHint).rfind("正在计算……已算 2 个单元格", 0), 0u)
              << Text(dlg, CRiloCalcDlg::kHint);
        }
        Press(dlg, SM_ID_CANCEL);
      });
      Press(dlg, r.run);
    });
    m_view->OnCommand(r.command);
    EXPECT_TRUE(script.Done());
    EXPECT_TRUE(seen);
    EXPECT_EQ(m_doc->m_sheet.m_texts, sheet.m_texts);
    EXPECT_TRUE(m_doc->m_undo.empty());
    ReportTemplate()->CloseAllDocuments();
  }
}

// A long formula test shows that it runs; "&X.取消" stops the test and the dialog stays open.
TEST_F(RiloFillTest, ALongFormulaTestStopsAtCancel) {
  CRiloData sheet = Sheet(30, 30);
  sheet.m_texts[2] = CellOf("", kEndless);
  sheet.m_currentCell = {2, 0};
  Open(sheet);
  m_doc->m_path = "本表.QLN";
  CRiloCellTextDlg dlg(*m_doc);
  CModalScript script;
  script.Then(840, [&](QWidget*) {
    QTimer::singleShot(0, &dlg, [&] {
      EXPECT_TRUE(dlg.IsTesting());
      EXPECT_EQ(Text(&dlg, CRiloCellTextDlg::kTestResult), "正在计算……按“取消”停止");
      Press(&dlg, SM_ID_CANCEL);
    });
    ::Click(&dlg, CRiloCellTextDlg::kTest);
    EXPECT_FALSE(dlg.IsTesting());
    EXPECT_EQ(Text(&dlg, CRiloCellTextDlg::kTestResult), "计算已取消！");
    EXPECT_TRUE(dlg.isVisible());
    ::Click(&dlg, SM_ID_OK);
  });
  EXPECT_EQ(dlg.DoModal(), SM_IDOK);
  EXPECT_EQ(dlg.Formula(), kEndless);
}

// ---------------------------------------------------------------- sources

class RiloCalcSourcesTest : public ReportSourcesTest {};

INSTANTIATE_TEST_SUITE_P(Kinds, RiloCalcSourcesTest, testing::Values(0, 2));

TEST_P(RiloCalcSourcesTest, GroupsReadEachOtherAnotherReportAndTheDataFile) {
  QTemporaryDir dir;
  const std::string other = SmBackslashPath(dir.path().toStdString()) + "\\其他.QLN";
  CRiloData otherSheet = Sheet(1, 1);
  otherSheet.m_texts = {"2.5"};
  ASSERT_TRUE(otherSheet.SaveFile(SmNativePath(other)));
  CRiloData stored = Sheet(2, 1);
  ASSERT_TRUE(stored.SaveToDb(12, {}, false, m_db));
  stored.m_texts = {
      "\x01\x01\x01"
      "10",
      "\x01\x01\x01"
      "20"};
  ASSERT_TRUE(stored.SaveToDb(12, "3", false, m_db));

  CRiloDoc* doc = ReportTemplate()->OpenReportDocument({{}, SM_RILO_FILE, -1, {}, 0});
  ASSERT_NE(doc, nullptr);
  CRiloData sheet = Sheet(4, 2);
  sheet.m_texts = {CellOf("", "get(A1,\"" + other + "\")"),
                   CellOf("", "sum(A1:B1,zw()+\"\\12\\3\")"),
                   CellOf("", "2:sum(C2)/4"),
                   "合计",
                   "",
                   "",
                   CellOf("", "1:sum(B1)*3"),
                   CellOf("", "1:sum(A1:B1)")};
  sheet.m_numberFormats.assign(8, {0, 1});
  doc->m_sheet = sheet;
  doc->m_path = SmBackslashPath(dir.path().toStdString()) + "\\本表.QLN";
  doc->m_childPath = SmBackslashPath(dir.path().toStdString()) + "\\本表\\1\\c.BSJ";
  auto* view = dynamic_cast<CRiloView*>(doc->Views().front());
  ASSERT_NE(view, nullptr);
  CModalScript script;
  script.Then(834, [](QWidget* dlg) {
    Press(dlg, CRiloCalcDlg::kCalcStart);
    Press(dlg, CRiloCalcDlg::kCalcStart);
  });
  doc->m_childOpen = 1;  // calculation needs a child table open
  view->OnCommand(SM_ID_RILO_CALCULATE);
  ASSERT_TRUE(script.Done());
  std::vector<std::string> values;
  doc->GetAllCellTexts(values, 3);
  const std::vector<std::string> expected = {"2.5", "30", "22.5", "", "", "", "90", "32.5"};
  EXPECT_EQ(values, expected) << ShownTexts().size();
  std::vector<std::string> formulas;
  doc->GetAllCellTexts(formulas, 1);
  EXPECT_EQ(formulas[2], "2:sum(C2)/4");
  EXPECT_EQ(doc->m_sheet.m_texts[3], "合计");

  doc->m_editMode = 1;
  view->ApplyHistory(true);
  doc->GetAllCellTexts(values, 3);
  EXPECT_EQ(values, std::vector<std::string>(8, ""));
  EXPECT_EQ(doc->m_sheet.m_texts, sheet.m_texts);
  EXPECT_EQ(doc->m_editMode, 3);
}
