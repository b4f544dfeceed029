#include "forms/SmForthView.h"

#include <QColor>
#include <QPainter>
#include <QPen>
#include <algorithm>

#include "app/SmApp.h"
#include "app/SmDataType.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "core/SmVarCaculate.h"
#include "forms/SmDoc.h"
#include "forms/SmDocTemplate.h"
#include "forms/SmFormDataType.h"
#include "forms/SmTemplateList.h"
#include "platform/SmCommandIds.h"
#include "ui/SmPrintInfo.h"

namespace {

constexpr SmColorRef kRefusedColor = 0xFF0000;  // blue
constexpr int kScreenMargin = 10;

QColor ToQColor(SmColorRef color) {
  return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

std::string NoCommas(const std::string& text) {
  return ReplaceAll(text, ",", "");
}

// A sum as the formulas read it: up to six decimals, no grouping.
std::string PlainTotal(double value) {
  return NoCommas(FormatNumber(value, 0, 0, 6));
}

bool IsNumberType(const std::string& type) {
  return type.rfind("NUMBER", 0) == 0;
}

const CSmDoc::Column& ShownColumn(const CSmDoc& doc, int shown) {
  return doc.m_columns[doc.m_shownColumns[shown]];
}

}  // namespace

CForthView::CForthView(QWidget* parent) : CThirdView(parent) {}

void CForthView::OnInitialUpdate() {
  if (CSmDoc* doc = GetFormDoc()) {
    m_db = doc->m_db;
    m_nFlag = doc->nFlag;
  }
  // The total rows are the application view's choice: they outlast the reset.
  const int totalRows = m_nFormFootLines;
  ResetViewState();
  if (m_nFormFootLines != totalRows) {
    m_nFormFootLines = totalRows;
    ResetLayout();
  }
  CThirdView::OnInitialUpdate();
  UpdateScrollSizes(true);
}

// ---------------------------------------------------------------- cells through the document

void CForthView::GetCell(int row, int column, const std::string& region, std::string& text,
                         std::string& type, int& limit1, int& limit2, void* /*extra*/) {
  CSmDoc* doc = GetFormDoc();
  if (!doc) {
    CThirdView::GetCell(row, column, region, text, type, limit1, limit2);
    return;
  }
  doc->GetCell(row, column, region, text, type, limit1, limit2);
}

void CForthView::SetCell(int row, int column, const std::string& region, const std::string& text) {
  if (CSmDoc* doc = GetFormDoc()) doc->SetCell(row, column, region, text);
}

void CForthView::AddRows(int n) {
  if (CSmDoc* doc = GetFormDoc()) doc->AddRows(n);
}

void CForthView::InsertRows(int at, int last, int count) {
  if (CSmDoc* doc = GetFormDoc()) doc->InsertRows(at, last, count);
}

void CForthView::ResetLayout() {
  CSmDoc* doc = GetFormDoc();
  if (doc) {
    doc->UpdateReadOnly();
    m_screenMargins = {kScreenMargin, kScreenMargin, kScreenMargin, kScreenMargin};
    m_bEditable = !doc->m_readOnly;
  }
  m_formulasBroken = false;
  CThirdView::ResetLayout();
}

void CForthView::OnCellChanged(const std::string& text, int row, int column,
                               const std::string& region) {
  CSmDoc* doc = GetFormDoc();
  if (doc && region == "TEXT" && row >= 0 && row < static_cast<int>(doc->m_rows.size()) &&
      column >= 0 && column < doc->m_shownCount) {
    doc->SetCellValue(row, column, text);
  }
  RedrawTotals();
}

bool CForthView::ValidateCurrentCell() {
  CSmDoc* doc = GetFormDoc();
  if (!doc || m_current.region != "TEXT") return CThirdView::ValidateCurrentCell();
  const int row = m_current.row;
  const int column = m_current.column;
  if (row < 0 || row >= static_cast<int>(doc->m_rows.size()) || column < 0 ||
      column >= doc->m_shownCount) {
    return false;
  }
  const bool accepted = doc->SetCellValue(row, column, doc->m_rows[row][column]);
  update();
  if (accepted) return false;
  return ShowDropList(row, column, "TEXT");
}

const CSmFormHeadNote* CForthView::NoteOfCell(int row, int column,
                                              const std::string& region) const {
  CSmDoc* doc = GetFormDoc();
  if (!doc) return nullptr;
  const std::vector<CSmDoc::NoteRow>& rows = doc->m_noteRows[region == "HEAD" ? 0 : 1];
  if (row < 0 || row >= static_cast<int>(rows.size())) return nullptr;
  const std::vector<int>& notes = rows[row].notes;
  if (column < 0 || column >= static_cast<int>(notes.size())) return nullptr;
  return &doc->m_formDef.m_headNotes[notes[column]];
}

std::string CForthView::GetCellHint(int row, int column, const std::string& region) {
  CSmDoc* doc = GetFormDoc();
  if (!doc) return {};
  if (region == "TEXT") return doc->GetColumnHint(column);
  if (region != "HEAD" && region != "FOOT") return {};
  const CSmFormHeadNote* note = NoteOfCell(row, column, region);
  return note ? doc->GetNoteHint(*note) : std::string();
}

SmColorRef CForthView::GetCellTextColor(int column, int row, const std::string& region) {
  CSmDoc* doc = GetFormDoc();
  if (!doc) return CThirdView::GetCellTextColor(column, row, region);
  const std::string* flags = nullptr;
  if (region == "TEXT" && row >= 0 && row < static_cast<int>(doc->m_rowFlags.size())) {
    flags = &doc->m_rowFlags[row];
  } else if (region == "HEAD" || region == "FOOT" || region == "TAIL") {
    const std::vector<CSmDoc::NoteRow>& rows = doc->m_noteRows[region == "HEAD" ? 0 : 1];
    if (row >= 0 && row < static_cast<int>(rows.size())) flags = &rows[row].flags;
  }
  if (flags && column >= 0 && column < static_cast<int>(flags->size()) && (*flags)[column] != '0') {
    return kRefusedColor;
  }
  return CThirdView::GetCellTextColor(column, row, region);
}

// ---------------------------------------------------------------- drawing

std::string CForthView::NumberText(double value, int column) const {
  const CSmDoc::Column& col = ShownColumn(*GetFormDoc(), column);
  return FormatNumber(value, 0, col.less, col.more);
}

void CForthView::DrawCell(CSmFormDC& dc, int row, int column, const std::string& region) {
  CSmDoc* doc = GetFormDoc();
  if (!doc) return;
  const bool note = region == "HEAD" || region == "FOOT";
  if (note && dc.printing && m_bOverlay) {
    const CSmFormHeadNote* from = NoteOfCell(row, column, region);
    if (!from || from->bIsUse != 1) return;
  }
  if (OwnerDrawCell(dc, row, column, region)) return;
  if (note) {
    const auto& cells = region == "HEAD" ? m_headCells : m_footCells;
    if (row < 0 || row >= static_cast<int>(cells.size()) || column < 0 ||
        column >= static_cast<int>(cells[row].size())) {
      return;
    }
    std::string text, type;
    int width = 0, decimals = 0;
    doc->GetCell(row, column, region, text, type, width, decimals);
    DrawCellString(row, cells[row][column].position, dc, text, region);
    return;
  }
  if (region != "TEXT" || row < 0 || row >= static_cast<int>(doc->m_rows.size()) || column < 0 ||
      column >= doc->m_shownCount) {
    return;
  }
  const std::vector<std::string>& cells = doc->m_rows[row];
  const CSmDoc::Column& col = ShownColumn(*doc, column);
  const int linked =
      column < static_cast<int>(doc->m_linkedCells.size()) ? doc->m_linkedCells[column] : -1;
  std::string text;
  if (linked >= 0 && linked < static_cast<int>(cells.size())) {
    text = cells[linked];
  } else {
    text = cells[column];
    if (IsNumberType(col.type)) text = NumberText(StrToDouble(NoCommas(text)), column);
  }
  DrawCellText(row, column, dc, text, col.align, "TEXT", 0, col.wrap != 0);
}

void CForthView::DrawHeadFootNotes(CSmFormDC& dc) {
  const bool totals = m_nFormFootLines > 0;
  if (totals) DrawTotals(dc);
  DrawNotes(dc);
  if (totals) DrawNumberColumnLines(dc);
}

void CForthView::DrawTitle(CSmFormDC& dc) {
  if (m_nFormFootLines > 0) DrawTotalLines(dc);
  CThirdView::DrawTitle(dc);
}

void CForthView::DrawNumberColumnLines(CSmFormDC& dc) {
  CSmDoc* doc = GetFormDoc();
  if (!doc) return;
  for (int k = 0; k < doc->m_shownCount && k < Columns(); ++k) {
    if (IsNumberType(ShownColumn(*doc, k).type)) DrawColumnFootLines(k, dc);
  }
}

void CForthView::DrawColumnFootLines(int column, CSmFormDC& dc) {
  if (column < 0 || !dc.painter || m_nFormFootLines <= 0) return;
  if (dc.printing && m_bOverlay) return;
  static const CSmPrintInfo defaults;
  const CSmPrintInfo& info = m_printInfo ? *m_printInfo : defaults;
  const int top = GetRowLineY(0, dc, "FORMFOOT");
  const int bottom = GetRowLineY(m_nFormFootLines, dc, "FORMFOOT");
  QPainter& painter = *dc.painter;
  painter.save();
  painter.setPen(QPen(ToQColor(info.FormLine), dc.lineWidth, Qt::SolidLine, Qt::FlatCap));
  for (int edge : {column, column + 1}) {
    const int x = GetColumnLineX(edge, dc, "FORMFOOT", 0);
    painter.drawLine(x, top, x, bottom);
  }
  painter.restore();
}

// ---------------------------------------------------------------- totals

void CForthView::RedrawTotals() {
  if (m_nFormFootLines > 0) update();
}

void CForthView::AddRowToTotals(int row, std::vector<double>& totals) {
  CSmDoc* doc = GetFormDoc();
  if (!doc || row < 0 || row >= static_cast<int>(doc->m_rows.size())) return;
  const std::vector<std::string>& cells = doc->m_rows[row];
  const int count = std::min<int>(doc->m_shownCount, static_cast<int>(totals.size()));
  for (int k = 0; k < count && k < static_cast<int>(cells.size()); ++k) {
    const CSmDoc::Column& col = ShownColumn(*doc, k);
    if ((!IsNumberType(col.type) && col.kind == 0) || col.total != 1) continue;
    totals[k] += StrToDouble(NoCommas(cells[k]));
  }
}

std::vector<std::string> CForthView::TotalsRow(int from, int to) {
  CSmDoc* doc = GetFormDoc();
  const int shown = doc->m_shownCount;
  std::vector<double> totals(shown, 0.0);
  for (int row = from; row < to; ++row) AddRowToTotals(row, totals);
  std::vector<std::string> cells;
  std::string flags;
  doc->NewRow(cells, flags);
  cells.resize(std::max<size_t>(cells.size(), shown));
  for (int k = 0; k < shown; ++k) cells[k] = PlainTotal(totals[k]);
  if (!m_formulasBroken) {
    CSmApp* app = SmGetApp();
    std::unique_ptr<CSmVarCaculate> calc =
        app ? app->CreateColumnEvaluator() : std::make_unique<CSmVarCaculate>();
    std::vector<int> columns;
    std::vector<std::string> formulas;
    // A formula that does not read was reported when the rows were computed: not at each paint.
    m_formulasBroken = !doc->PrepareColumnFormulas(*calc, columns, formulas);
    if (!m_formulasBroken && !columns.empty()) {
      doc->EvalCellFormulas(*calc, columns, formulas, cells);
    }
  }
  for (int k = 0; k < shown; ++k) {
    if (ShownColumn(*doc, k).total == 1) cells[k] = PlainTotal(totals[k]);
  }
  return cells;
}

void CForthView::DrawTotalLabel(CSmFormDC& dc, const std::string& label, int first, int last) {
  CSmDoc* doc = GetFormDoc();
  const int column = doc->FindAnchorColumn();
  if (column < 0 || column >= Columns()) return;
  DrawBoxText(dc, label + doc->GetCountText(), column, first, column, last, "FORMFOOT", "MID");
}

void CForthView::DrawTotals(CSmFormDC& dc) {
  CSmDoc* doc = GetFormDoc();
  const int totalRows = m_nFormFootLines;
  if (!doc || totalRows <= 0 || doc->m_shownCount <= 0) return;
  const int rows = static_cast<int>(doc->m_rows.size());
  const int pageRows = GetPageRows(dc);
  const bool pageSum = doc->m_pageSum != 0;
  const bool onePage = rows <= pageRows;
  int from = 0;
  int to = rows;
  if (dc.printing) {
    from = std::min(dc.firstRow, rows);
    to = std::min(dc.firstRow + pageRows, rows);
    if (totalRows == 1 && !pageSum && !onePage) from = 0;
  }
  const int last = totalRows - 1;
  if (!dc.printing || pageSum || onePage) {
    DrawTotalLabel(dc, "合计", 0, last);
    DrawTotalRow(0, last, TotalsRow(from, to), dc);
    return;
  }
  DrawTotalLabel(dc, totalRows == 1 ? "累计" : "合计", 0, 0);
  DrawTotalRow(0, 0, TotalsRow(from, to), dc);
  if (totalRows < 2) return;
  DrawTotalLabel(dc, "累计", 1, last);
  DrawTotalRow(1, last, TotalsRow(0, to), dc);
}

void CForthView::DrawTotalRow(int first, int last, const std::vector<std::string>& values,
                              CSmFormDC& dc) {
  CSmDoc* doc = GetFormDoc();
  if (!doc) return;
  const int count = std::min({doc->m_shownCount, Columns(), static_cast<int>(values.size())});
  for (int k = 0; k < count; ++k) {
    const CSmDoc::Column& col = ShownColumn(*doc, k);
    if ((!IsNumberType(col.type) && col.kind == 0) || col.total == 0) continue;
    const std::string text = NumberText(StrToDouble(NoCommas(values[k])), k);
    DrawBoxText(dc, m_bTotalsNoGrouping ? NoCommas(text) : text, k, first, k, last, "FORMFOOT",
                col.align);
  }
}

// ---------------------------------------------------------------- commands

void CForthView::Reread() {
  CSmDoc* doc = GetFormDoc();
  if (!doc) return;
  HideDropList(false);
  doc->Refresh();
  if (doc->m_rows.empty()) doc->AppendRow();
  m_nTextRows = static_cast<int>(doc->m_rows.size());
  doc->ComputeFormulaColumns();
  doc->RescaleNumberColumns();
  if (m_current.region == "TEXT") m_current.row = std::min(m_current.row, m_nTextRows - 1);
  m_anchor = m_current;
  LoadEditCell();
  m_bEditable = !doc->UpdateReadOnly();
  UpdateScrollSizes(false);
  ScrollToCurrentCell();
  update();
}

void CForthView::ReopenKind(int id) {
  CSmDoc* doc = GetFormDoc();
  auto* docTemplate = doc ? dynamic_cast<CSmDocTemplate*>(doc->GetDocTemplate()) : nullptr;
  if (!docTemplate) return;
  const CSmDocKind kind = doc->m_kind;
  const int templateNumber = doc->nFlag;
  if (auto* type = dynamic_cast<CFormDataType*>(FindSmDataType(doc->m_module))) {
    CSmTemplateList* list = type->TemplateList();
    const int row = list ? list->RowOf(templateNumber, kind.nNumber) : -1;
    if (row >= 0) list->SelectRows({row});
  }
  // The frame goes later; the document goes now, unless its save question was cancelled.
  CSmChildFrame* frame = GetParentFrame();
  if (frame) {
    frame->close();
  } else {
    if (!doc->SaveModified()) return;
    doc->OnCloseDocument();
  }
  if (GetDocument()) return;
  if (!kind.bEnabled || (id == SM_ID_FILE_NEW && kind.bOpenOnly)) return;
  const int openMode = id == SM_ID_FILE_OPEN ? 1 : 0;
  if (!docTemplate->OpenDocumentOfKind(kind, openMode, true, false)) return;
  if (CSmApp* app = SmGetApp()) {
    app->ShowTemplateBox(false);
    app->OpeningTemplates.clear();
  }
}

bool CForthView::OnCommand(int id) {
  switch (id) {
    case SM_ID_OVERLAY_PREVIEW:
      m_bOverlay = true;
      Print(SM_ID_FILE_PRINT_PREVIEW);
      m_bOverlay = false;
      UpdateScrollSizes(true);
      return true;
    case SM_ID_DOC_REREAD:
      Reread();
      return true;
    case SM_ID_FILE_NEW:
    case SM_ID_FILE_OPEN:
      if (!GetFormDoc()) return CThirdView::OnCommand(id);
      ReopenKind(id);
      return true;
    default:
      return CThirdView::OnCommand(id);
  }
}

bool CForthView::OnUpdateCommand(int id, CSmCmdUI& ui) {
  switch (id) {
    case SM_ID_FILE_NEW:
      // A kind that is only opened makes no new document: New is greyed, never silent.
      if (const CSmDoc* doc = GetFormDoc();
          doc && (!doc->m_kind.bEnabled || doc->m_kind.bOpenOnly)) {
        ui.Enable(false);
        return true;
      }
      return CThirdView::OnUpdateCommand(id, ui);
    case SM_ID_OVERLAY_PREVIEW:
    case SM_ID_DOC_REREAD:
      ui.Enable(GetFormDoc() != nullptr);
      return true;
    default:
      return CThirdView::OnUpdateCommand(id, ui);
  }
}
