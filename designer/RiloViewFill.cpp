// The edit states, the print-order states and the Fill menu of the report view: calculation,
// audit, summing, the variable table, the passwords and the calculator.
#include "app/SmAppCommands.h"
#include "app/SmVarDlg.h"
#include "core/SmGbk.h"
#include "designer/RiloCalcDlg.h"
#include "designer/RiloPwdDlg.h"
#include "designer/RiloSumDlg.h"
#include "designer/RiloView.h"
#include "platform/SmMessage.h"
#include "ui/SmCalcDlg.h"

namespace {

// The edit state each edit-state command chooses.
int EditModeOf(int id) {
  switch (id) {
    case SM_ID_RILO_EDIT_MASTER:
      return 0;
    case SM_ID_RILO_EDIT_FETCH:
      return 1;
    case SM_ID_RILO_EDIT_AUDIT:
      return 2;
    case SM_ID_RILO_EDIT_CHILD:
      return 3;
    default:
      return -1;
  }
}

}  // namespace

std::string CRiloView::WhyNoFormulas(int excludedMode) const {
  const CRiloDoc* doc = GetDocument();
  if (!doc || !HasCells()) return "表中还没有行、栏";
  if (IsReadOnly()) return "报表以只读方式打开";
  if (!doc->m_childOpen) return "请先打开子表";
  if (doc->m_editMode == excludedMode) {
    return excludedMode == 1 ? "正处于取数公式编辑状态" : "正处于审核公式编辑状态";
  }
  if (doc->m_storage == SM_RILO_DB && (doc->m_nNo <= 0 || doc->m_subNo.empty())) {
    return "报表尚未保存到数据文件";
  }
  return {};
}

namespace {

// A run command disabled carries the reason in its menu text.
void ShowFormulaCommand(CSmCmdUI& ui, const std::string& why, const char* text) {
  ui.Enable(why.empty());
  ui.SetText(std::string(text) + (why.empty() ? "" : "（" + why + "）"));
}

}  // namespace

bool CRiloView::OnUpdateFillCommand(int id, CSmCmdUI& ui) {
  const CRiloDoc* doc = GetDocument();
  if (!doc) return false;
  const bool cells = HasCells();
  if (const int mode = EditModeOf(id); mode >= 0) {
    ui.Enable(mode == 0 || (cells && (mode != 3 || doc->m_childOpen)));
    ui.SetCheck(doc->m_editMode == mode ? 1 : 0);
    return true;
  }
  switch (id) {
    case SM_ID_RILO_PRINT_BY_ROW:
      ui.SetCheck(doc->m_printByRow ? 1 : 0);
      return true;
    case SM_ID_RILO_PRINT_BY_COLUMN:
      ui.SetCheck(doc->m_printByColumn ? 1 : 0);
      return true;
    case SM_ID_RILO_CALCULATE:
      ShowFormulaCommand(ui, WhyNoFormulas(2), "报表计算(&R)...");
      return true;
    case SM_ID_RILO_AUDIT:
      ShowFormulaCommand(ui, WhyNoFormulas(1), "报表审核(&S)...");
      return true;
    case SM_ID_RILO_SUM:
      ShowFormulaCommand(ui, WhyNoFormulas(-1), "报表汇总(&H)...");
      return true;
    case SM_ID_RILO_VARIABLES:
    case SM_ID_RILO_PASSWORDS:
      ui.Enable(cells && !IsReadOnly());
      return true;
    case SM_ID_CALCULATOR:
      ui.Enable(true);
      return true;
    default:
      return false;
  }
}

bool CRiloView::OnFillCommand(int id) {
  CRiloDoc* doc = GetDocument();
  if (!doc) return false;
  if (const int mode = EditModeOf(id); mode >= 0) {
    SetEditMode(mode);
    return true;
  }
  switch (id) {
    case SM_ID_RILO_PRINT_BY_ROW:
      doc->m_printByRow = doc->m_printByRow ? 0 : 1;
      if (doc->m_printByRow) doc->m_printByColumn = 0;
      return true;
    case SM_ID_RILO_PRINT_BY_COLUMN:
      doc->m_printByColumn = doc->m_printByColumn ? 0 : 1;
      if (doc->m_printByColumn) doc->m_printByRow = 0;
      return true;
    case SM_ID_RILO_CALCULATE: {
      CRiloCalcDlg dlg(*doc, this);
      if (dlg.DoModal() == SM_IDOK)
        StoreRunResults(SM_RILO_STEP_CALCULATE, dlg.Values(), &dlg.Formulas());
      return true;
    }
    case SM_ID_RILO_AUDIT: {
      CRiloAuditDlg dlg(*doc, this);
      if (dlg.DoModal() == SM_IDOK) StoreRunResults(SM_RILO_STEP_AUDIT, dlg.Formulas(), nullptr);
      return true;
    }
    case SM_ID_RILO_SUM: {
      CRiloSumDlg dlg(*doc, this);
      if (dlg.DoModal() == SM_IDOK) StoreRunResults(SM_RILO_STEP_BLOCK, dlg.Values(), nullptr);
      return true;
    }
    case SM_ID_RILO_VARIABLES:
      EditVariables();
      return true;
    case SM_ID_RILO_PASSWORDS:
      EditPasswords();
      return true;
    case SM_ID_CALCULATOR:
      OpenCalculator();
      return true;
    default:
      return false;
  }
}

void CRiloView::SetEditMode(int mode) {
  CRiloDoc& doc = *GetDocument();
  if (doc.m_editMode == mode) return;
  doc.m_editMode = mode;
  const SmIntPair cell = doc.m_sheet.m_currentCell;
  UpdateAllPanes();
  if (HasCells()) SetCurrentCell(cell.first, cell.second);
}

void CRiloView::StoreRunResults(int kind, const std::vector<std::string>& texts,
                                const std::vector<std::string>* formulas) {
  CRiloDoc& doc = *GetDocument();
  const CRiloData before = doc.m_sheet;
  doc.m_editMode = doc.m_childOpen ? 3 : 0;
  doc.ApplyCellTexts(texts, kind == SM_RILO_STEP_AUDIT ? 2 : doc.m_editMode);
  if (formulas) doc.ApplyCellTexts(*formulas, 1);
  SmIntRect rect;
  const std::string diff = doc.m_sheet.DiffText(before, rect);
  if (!diff.empty()) doc.RecordStep({0, rect.left, rect.top, 0, kind, diff}, false, true, true);
  UpdateAllPanes();
  const SmIntPair cell = doc.m_sheet.m_currentCell;
  if (HasCells()) SetCurrentCell(cell.first, cell.second);
}

void CRiloView::EditVariables() {
  CRiloDoc& doc = *GetDocument();
  CSmVarTable& vars = doc.m_sheet.m_vars;
  CSmVarDlg dlg(vars, this);
  if (dlg.DoModal() != SM_IDOK || dlg.m_result.IsEqual(vars)) return;
  const int soft = vars.m_nSoft;
  const int no = vars.m_nNo;
  vars = dlg.m_result;
  vars.m_nSoft = soft;
  vars.m_nNo = no;
  ++doc.m_changes[8];
}

void CRiloView::EditPasswords() {
  CRiloDoc& doc = *GetDocument();
  CRiloData& s = doc.m_sheet;
  CRiloPwdSetDlg dlg(doc.m_path, s.m_readPassword, s.m_modifyPassword, this);
  if (dlg.DoModal() != SM_IDOK) return;
  if (dlg.m_newReadPassword == s.m_readPassword && dlg.m_newModifyPassword == s.m_modifyPassword)
    return;
  s.m_readPassword = dlg.m_newReadPassword;
  s.m_modifyPassword = dlg.m_newModifyPassword;
  ++doc.m_changes[8];
}

void CRiloView::OpenCalculator() {
  CRiloDoc& doc = *GetDocument();
  CRiloData& s = doc.m_sheet;
  setFocus();
  doc.ClampCurrentCell();
  const bool writeBack = HasCells() && !IsReadOnly();
  CSmCalcDlg calc(writeBack, doc.SelectionSumText(), this);
  if (calc.DoModal() != SM_IDOK || !writeBack) return;
  const SmIntPair cell = s.m_currentCell;
  const size_t index = static_cast<size_t>(cell.first + cell.second * s.m_cols);
  if (cell.first < 0 || cell.second < 0 || index >= s.m_texts.size()) return;
  const std::string& result = calc.ResultText();
  // Characters typed next go on behind the result, into the same step.
  s.m_selectMode = 0;
  s.m_selectRect = {cell.first, cell.second, cell.first, cell.second};
  s.m_caret = {static_cast<int>(GbkSize(result)), 0};
  s.m_textSelect = {s.m_caret.first, s.m_caret.first};
  doc.RecordStep({0, 0, 0, 0, SM_RILO_STEP_TYPING, s.m_texts[index]}, true, true, true);
  const std::string master = CRiloDoc::GetCellLayer(s.m_texts[index], 0, true);
  doc.SetLayerText(cell.first, cell.second,
                   doc.m_editMode == 0 ? CRiloDoc::PrefixCodes(master, result) : result);
  UpdateAllPanes();
  SetCurrentCell(cell.first, cell.second);
}

void CRiloView::EditCellFormula() {
  CRiloDoc& doc = *GetDocument();
  CRiloData& s = doc.m_sheet;
  CRiloCellTextDlg dlg(doc, this);
  if (dlg.DoModal() != SM_IDOK) return;
  const SmIntPair cell = s.m_currentCell;
  const size_t index = static_cast<size_t>(cell.first + cell.second * s.m_cols);
  if (cell.first < 0 || cell.second < 0 || index >= s.m_texts.size()) return;
  const bool joins = !doc.m_undo.empty() && doc.m_undo.back().kind == SM_RILO_STEP_TYPING &&
                     doc.m_undo.back().column == cell.first &&
                     doc.m_undo.back().row == cell.second &&
                     doc.m_undo.back().editMode == doc.m_editMode;
  const std::string whole = s.m_texts[index];
  s.m_texts[index] = CRiloDoc::SetCellLayer(whole, dlg.Formula(), 1);
  if (!joins && s.m_texts[index] != whole)
    doc.RecordStep({0, 0, 0, 0, SM_RILO_STEP_TYPING, whole}, true, true, true);
  SetCurrentCell(cell.first, cell.second);
}
