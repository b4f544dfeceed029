#include "forms/SmDoc.h"

#include <algorithm>
#include <cmath>

#include "app/SmApp.h"
#include "app/SmAppCommands.h"
#include "app/SmMainFrm.h"
#include "app/SmTemplateBox.h"
#include "app/SmWorkstation.h"
#include "core/SmDatabase.h"
#include "core/SmGbk.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "core/SmVarCaculate.h"
#include "forms/SmFormView.h"
#include "forms/SmPublicSheet.h"
#include "forms/SmSaveAsText.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"

namespace {

const char kBlanks[] = " \n\t\r\n";

bool StartsWith(const std::string& text, const char* prefix) {
  return text.rfind(prefix, 0) == 0;
}

std::string WithoutCommas(const std::string& text) {
  return ReplaceAll(text, ",", "");
}

void ShowFormulaError(const std::string& formula) {
  SmMessageBox("栏公式：“" + formula + "”出错！", SM_MB_OK | SM_MB_ICONERROR);
}

// Reads the digits at `at`; false when there are none.
bool ReadNumberAt(const std::string& text, size_t& at, int& value) {
  const size_t begin = at;
  while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at;
  if (at == begin || at - begin > 6) return false;
  value = std::atoi(text.substr(begin, at - begin).c_str());
  return true;
}

// "#cA:B" (or "#cA:#cB") becomes "(#cA+#cA+1+...+#cB)".
std::string ExpandRanges(const std::string& text) {
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    const bool mark =
        text[i] == '#' && i + 1 < text.size() && (text[i + 1] == 'c' || text[i + 1] == 'C');
    size_t at = i + 2;
    int first = 0;
    int last = 0;
    if (mark && ReadNumberAt(text, at, first) && at < text.size() && text[at] == ':') {
      size_t to = at + 1;
      if (to + 1 < text.size() && text[to] == '#' && (text[to + 1] == 'c' || text[to + 1] == 'C'))
        to += 2;
      if (ReadNumberAt(text, to, last)) {
        std::string sum = "(#c";
        for (int col = first; col < last; ++col) sum += FormatStr("%d+#c", col);
        out += sum + std::to_string(last) + ")";
        i = to;
        continue;
      }
    }
    out += text[i++];
  }
  return out;
}

// Comments out, group prefix taken, ranges expanded; false on a broken comment or quote.
bool PrepareFormula(std::string& text, int& group) {
  if (!CCaculate::StripLineComments(text) || !CCaculate::StripBlockComments(text, 0) ||
      !CCaculate::StripBlockComments(text, 1)) {
    return false;
  }
  group = CCaculate::TakeGroupPrefix(text);
  text = ExpandRanges(text);
  return true;
}

}  // namespace

// ---------------------------------------------------------------- class-library operations

void CSmDoc::SetTitle(const std::string& /*title*/) {
  std::string name = m_kind.sName;
  if (GbkSize(name) > 30) name = GbkCut(name, 28) + "...";
  CSmDocument::SetTitle(name);
}

bool CSmDoc::OnOpenDocument(const std::string& /*path*/) {
  return false;
}

void CSmDoc::OnCloseDocument() {
  WriteDocOpenMode(nFlag, m_kind.nNumber, m_openModes);
  CSmApp* app = SmGetApp();
  const int module = m_module;
  CSmDocument::OnCloseDocument();  // may destroy this document
  if (!app) return;
  if (CSmDataType* type = app->FindDataType(module)) type->RefreshPage();
  SmRestoreBarsWithoutDocuments();
}

void SmHideBarsForDocuments() {
  if (auto* main = qobject_cast<CSmMainFrm*>(CSmFrameWnd::Main())) main->HideOwnBars();
  if (CSmApp* app = SmGetApp()) app->ShowTemplateBox(false);
}

void SmRestoreBarsWithoutDocuments() {
  CSmApp* app = SmGetApp();
  if (!app || SmDocumentWindowsOpen()) return;
  auto* main = qobject_cast<CSmMainFrm*>(CSmFrameWnd::Main());
  if (main) main->RestoreOwnBars();
  app->ShowTemplateBox(true);
  CSmTemplateBox* box = main ? main->TemplateBox() : nullptr;
  if (!box || box->GetSelectedPage() < 0) return;
  box->SelectPage(box->GetSelectedPage());
  box->update();
  app->FocusTemplateBox();
}

bool SmDocumentWindowsOpen() {
  CSmApp* app = SmGetApp();
  if (!app) return false;
  for (const auto& docTemplate : app->m_docManager.Templates()) {
    for (const auto& doc : docTemplate->Documents()) {
      if (!doc->Views().empty()) return true;
    }
  }
  return false;
}

bool CSmDoc::SaveModified() {
  if (UpdateReadOnly()) return true;
  std::string prompt;
  if (GetSavePrompt(prompt)) {
    if (prompt.empty()) prompt = "当前文档已发生了变化，存盘吗？";
    const int answer = SmMessageBox(prompt, SM_MB_YESNOCANCEL | SM_MB_ICONQUESTION);
    if (answer == SM_IDCANCEL) return false;
    if (answer == SM_IDYES && !DoFileSave()) return false;
  }
  ClearEditMarks();
  return true;
}

bool CSmDoc::DoFileSave() {
  if (!Save(0)) return false;
  ClearEditMarks();
  return true;
}

// ---------------------------------------------------------------- opening and the definition

void CSmDoc::InitDocument() {
  m_db = GetSmDatabase();
  m_formDef.Attach(m_db, nFlag, m_kind.nNumber);
  m_extraCount = 0;
  if (CSmApp* app = SmGetApp()) app->OpeningTemplates += FormatStr(" %d ", nFlag);
  ReadDocOpenModes(nFlag, m_kind.nNumber, m_openModes);
  OnInitDocument();
}

int CSmDoc::ApplyColumnVisibility(CSmFormDef& def) {
  for (int i = 0; i < static_cast<int>(def.m_cols.size()); ++i) {
    CSmFormCol& col = def.m_cols[i];
    if (col.FieldCode() == 0) continue;
    const int shown = GetColumnVisibility(def, i);
    if (shown == 1) col.nType = col.FieldCode() + 100;
    if (shown == 0) col.nType = col.FieldCode();
  }
  return static_cast<int>(def.m_cols.size());
}

void CSmDoc::ClearLayout() {
  m_formDef.ClearLayout();
  m_shownCount = 0;
  m_shownWidths.clear();
  m_shownColumns.clear();
  m_linkedCells.clear();
  m_columns.clear();
  m_noteRows[0].clear();
  m_noteRows[1].clear();
}

void CSmDoc::LoadFormDef() {
  m_formDef.Attach(m_db, nFlag, m_kind.nNumber);
  ClearLayout();
  const bool stored = m_formDef.LoadList();
  if (stored) {
    m_pageSum = m_formDef.bPageSum;
    m_formDef.LoadCols();
    m_formDef.LoadTopWords();
    m_formDef.LoadHeadNotes();
    ApplyColumnVisibility(m_formDef);
  } else {
    DefineTitle(m_formDef);
    DefineColumns(m_formDef);
    DefineHeadNotes(m_formDef);
  }
  AdjustFormDef(m_formDef);
  if (m_formDef.m_cols.empty()) return;
  for (int i = 0; i < static_cast<int>(m_formDef.m_cols.size()); ++i) {
    const CSmFormCol& col = m_formDef.m_cols[i];
    if (!col.IsShown()) continue;
    m_shownWidths.push_back(col.nFact / 100);
    m_shownColumns.push_back(i);
  }
  m_shownCount = static_cast<int>(m_shownColumns.size());
  m_linkedCells.assign(m_shownCount, -1);
  if (!stored) {
    MakeDefaultTopWords(m_formDef);
    m_formDef.Save();
  }
  OnFormDefReady(m_formDef);
  for (const CSmFormCol& col : m_formDef.m_cols) {
    const CSmColSpec spec = col.ParseSpec();
    m_columns.push_back({spec.align, spec.type, col.nFact % 100, col.nMore, col.nLess, spec.kind,
                         spec.scale, spec.total, spec.formula, spec.wrap});
  }
  ExpandColumnReferences();
  for (int k = 0; k < m_shownCount; ++k) {
    const int linked = GetLinkedColumn(k);
    if (linked >= 0) m_linkedCells[k] = m_shownCount + linked;
  }
  LayOutNotes();
}

// "@nn" in a formula stands for the formula of column nn (from 01). A formula that would grow
// past the longest allowed (columns that refer to each other) is refused and left empty.
void CSmDoc::ExpandColumnReferences() {
  const int count = static_cast<int>(m_columns.size());
  for (int j = 0; j < count; ++j) {
    if (m_columns[j].type == "0") continue;
    const std::string mark = FormatStr("@%02d", j + 1);
    for (int k = 0; k < count; ++k) {
      Column& target = m_columns[k];
      if (k == j || target.type == "0" || target.formula.find(mark) == std::string::npos) continue;
      const std::string expanded = ReplaceAll(target.formula, mark, m_columns[j].formula);
      if (expanded.size() > kSmMaxColumnFormula) {
        ShowFormulaError(m_formDef.m_cols[k].ParseSpec().formula);
        target.formula.clear();
        return;
      }
      target.formula = expanded;
    }
  }
}

void CSmDoc::LayOutNotes() {
  for (int side : {1, 0}) {
    const int rows = m_formDef.GetNoteRowCount(side, true);
    m_noteRows[side].assign(rows, {});
    for (int i = 0; i < static_cast<int>(m_formDef.m_headNotes.size()); ++i) {
      const CSmFormHeadNote& note = m_formDef.m_headNotes[i];
      if (note.bIsTail != side || note.bIsSystem == 0 || note.nRow < 0 || note.nRow >= rows)
        continue;
      NoteRow& row = m_noteRows[side][note.nRow];
      row.notes.push_back(i);
      row.texts.emplace_back();
      row.flags += '0';
    }
  }
}

void CSmDoc::MakeDefaultTopWords(CSmFormDef& def) {
  def.m_topWords.clear();
  int k = 0;
  for (const CSmFormCol& col : def.m_cols) {
    if (!col.IsShown()) continue;
    ++k;
    def.m_topWords.emplace_back();
    def.m_topWords.back().Set(k, 1, k, def.nTopNum, col.GetCaption());
  }
}

void CSmDoc::AddColumnTopWords(CSmFormDef& def, std::initializer_list<int> codes) {
  for (int code : codes) {
    const int k = FindShownColumn(code, &def);
    const int index = FindColumn(code, &def);
    if (k < 0 || index < 0) continue;
    def.m_topWords.emplace_back();
    def.m_topWords.back().Set(k + 1, 1, k + 1, 1, def.m_cols[index].GetCaption());
  }
}

// ---------------------------------------------------------------- formula columns

bool CSmDoc::IsNumberColumn(int shown) const {
  return StartsWith(ShownColumn(shown).type, "NUMBER");
}

bool CSmDoc::PrepareColumnFormulas(CSmVarCaculate& calc, std::vector<int>& columns,
                                   std::vector<std::string>& formulas) {
  columns.clear();
  formulas.clear();
  std::vector<int> groups;
  for (int k = 0; k < m_shownCount; ++k) {
    if (ShownColumn(k).kind != 2) continue;
    std::string text = ShownColumn(k).formula;
    int group = 0;
    if (!PrepareFormula(text, group)) {
      ShowFormulaError(ShownColumn(k).formula);
      return false;
    }
    columns.push_back(k);
    formulas.push_back(text);
    groups.push_back(group);
  }
  for (size_t i = 0; i < groups.size(); ++i) {
    for (size_t j = i + 1; j < groups.size(); ++j) {
      if (groups[j] >= groups[i]) continue;
      std::swap(groups[i], groups[j]);
      std::swap(columns[i], columns[j]);
      std::swap(formulas[i], formulas[j]);
    }
  }
  for (int k = 0; k < m_shownCount; ++k) {
    calc.DeclareVariable(FormatStr("#c%d", k + 1), "", IsNumberColumn(k) ? CAC_NUMBER : CAC_STRING);
  }
  // Comments and group prefixes are already off the prepared formulas.
  calc.m_db = m_db;
  calc.m_bPreprocess = 0;
  calc.m_bGroupFilter = 1;
  calc.Prepare();
  return true;
}

int CSmDoc::EvalRowFormulas(CSmVarCaculate& calc, const std::vector<int>& columns,
                            const std::vector<std::string>& formulas, int row) {
  return EvalCellFormulas(calc, columns, formulas, m_rows[row]);
}

int CSmDoc::EvalCellFormulas(CSmVarCaculate& calc, const std::vector<int>& columns,
                             const std::vector<std::string>& formulas,
                             std::vector<std::string>& cells) {
  for (int k = 0; k < m_shownCount; ++k) {
    calc.SetVariableValue(k, IsNumberColumn(k) ? WithoutCommas(cells[k]) : "\"" + cells[k] + "\"");
  }
  calc.m_nRequiredGroup = 0;
  calc.m_nFormulaGroup = 0;
  int written = 0;
  for (size_t i = 0; i < columns.size(); ++i) {
    const int k = columns[i];
    std::string value = cells[k];
    if (!formulas[i].empty()) {
      int type = CAC_NUMBER;
      if (!calc.Evaluate(formulas[i], value, type)) value.clear();
    }
    if (calc.m_nRequiredGroup != calc.m_nFormulaGroup) continue;
    cells[k] = value;
    calc.SetVariableValue(k, IsNumberColumn(k) ? value : "\"" + value + "\"");
    ++written;
  }
  return written;
}

void CSmDoc::ComputeFormulaColumns() {
  CSmApp* app = SmGetApp();
  std::unique_ptr<CSmVarCaculate> calc =
      app ? app->CreateColumnEvaluator() : std::make_unique<CSmVarCaculate>();
  std::vector<int> columns;
  std::vector<std::string> formulas;
  if (!PrepareColumnFormulas(*calc, columns, formulas)) return;
  if (columns.empty()) return;
  for (int row = 0; row < static_cast<int>(m_rows.size()); ++row) {
    EvalRowFormulas(*calc, columns, formulas, row);
  }
}

int CSmDoc::RescaleNumberColumns() {
  for (int k = 0; k < m_shownCount; ++k) {
    if (!IsNumberColumn(k)) continue;
    const Column& column = ShownColumn(k);
    const double factor = std::pow(10.0, column.scale);
    for (std::vector<std::string>& cells : m_rows) {
      const double value = StrToDouble(WithoutCommas(cells[k])) * factor;
      cells[k] = WithoutCommas(FormatNumber(value, 0, column.less, column.more));
    }
  }
  return static_cast<int>(m_rows.size());
}

// ---------------------------------------------------------------- rows and cells

int CSmDoc::NewRow(std::vector<std::string>& cells, std::string& flags) {
  cells.assign(m_shownCount + m_extraCount, std::string());
  flags.assign(m_shownCount, '0');
  return m_shownCount;
}

void CSmDoc::AppendRow() {
  std::vector<std::string> cells;
  std::string flags;
  NewRow(cells, flags);
  m_rows.push_back(std::move(cells));
  m_rowFlags.push_back(std::move(flags));
}

void CSmDoc::AddRows(int n) {
  for (int i = 0; i < n; ++i) AppendRow();
  const size_t remove = n < 0 ? std::min<size_t>(static_cast<size_t>(-n), m_rows.size()) : 0;
  m_rows.resize(m_rows.size() - remove);
  m_rowFlags.resize(m_rowFlags.size() - remove);
  if (m_rows.empty()) AppendRow();
}

void CSmDoc::InsertRows(int at, int after, int n) {
  auto removeRows = [this](int from, int count) {
    from = std::clamp(from, 0, static_cast<int>(m_rows.size()));
    count = std::clamp(count, 0, static_cast<int>(m_rows.size()) - from);
    m_rows.erase(m_rows.begin() + from, m_rows.begin() + from + count);
    m_rowFlags.erase(m_rowFlags.begin() + from, m_rowFlags.begin() + from + count);
  };
  // All new rows go in at once: a whole text file inserted row by row would move the rows
  // below it once per row.
  auto insertRows = [this](int from, int count) {
    from = std::clamp(from, 0, static_cast<int>(m_rows.size()));
    if (count <= 0) return;
    std::vector<std::string> cells;
    std::string flags;
    NewRow(cells, flags);
    m_rows.insert(m_rows.begin() + from, count, cells);
    m_rowFlags.insert(m_rowFlags.begin() + from, count, flags);
  };
  if (n > 0) {
    removeRows(after + 1, n);
    insertRows(at, n);
  } else if (n < 0) {
    insertRows(after + 1, -n);
    removeRows(at + n, -n);
  }
}

CSmDoc::NoteRow* CSmDoc::NoteRowOf(int side, int row) {
  if (row < 0 || row >= static_cast<int>(m_noteRows[side].size())) return nullptr;
  return &m_noteRows[side][row];
}

void CSmDoc::GetCell(int row, int column, const std::string& region, std::string& text,
                     std::string& type, int& width, int& decimals) {
  text.clear();
  if (region == "TEXT") {
    if (row < 0 || row >= static_cast<int>(m_rows.size()) || column < 0 || column >= m_shownCount) {
      return;
    }
    const Column& col = ShownColumn(column);
    text = m_rows[row][column];
    type = col.type;
    width = col.editWidth;
    decimals = col.more;
    return;
  }
  NoteRow* notes = NoteRowOf(region == "HEAD" ? 0 : 1, row);
  type = "STRING";
  width = 0;
  decimals = 0;
  if (!notes || column < 0 || column >= static_cast<int>(notes->texts.size())) return;
  text = notes->texts[column];
  width = m_formDef.m_headNotes[notes->notes[column]].nColPecent / 100;
}

void CSmDoc::SetCell(int row, int column, const std::string& region, const std::string& text) {
  if (region == "TEXT") {
    if (row >= 0 && row < static_cast<int>(m_rows.size()) && column >= 0 &&
        column < static_cast<int>(m_rows[row].size())) {
      m_rows[row][column] = text;
    }
    return;
  }
  NoteRow* notes = NoteRowOf(region == "HEAD" ? 0 : 1, row);
  if (notes && column >= 0 && column < static_cast<int>(notes->texts.size()))
    notes->texts[column] = text;
}

bool CSmDoc::SetCellValue(int row, int column, const std::string& text) {
  const int linked = m_linkedCells[column];
  std::vector<std::string>& cells = m_rows[row];
  if (linked >= 0) cells[linked].clear();
  std::string linkedValue;
  const bool valid = ValidateCell(row, column, text, linkedValue);
  m_rowFlags[row][column] = valid ? '0' : '1';
  cells[column] = text;
  if (valid && linked >= 0) cells[linked] = linkedValue;
  return valid;
}

bool CSmDoc::CheckAllCells(bool show) {
  if (show && IsEmptyDoc()) {
    SmMessageBox("空文档！", SM_MB_OK | SM_MB_ICONINFORMATION);
    return true;
  }
  std::string list;
  for (int row = 0; row < static_cast<int>(m_rows.size()); ++row) {
    if (IsRowEmpty(row)) continue;
    std::string bad;
    for (int column = 0; column < m_shownCount; ++column) {
      if (SetCellValue(row, column, m_rows[row][column])) continue;
      if (!bad.empty()) bad += "、";
      bad += FormatStr("%d栏", column + 1);
    }
    if (!bad.empty()) list += FormatStr("%d行：%s\n", row + 1, bad.c_str());
  }
  if (list.empty()) return true;
  if (show) SmMessageBox("下列单元格出错：\n" + list, SM_MB_OK | SM_MB_ICONERROR);
  return false;
}

bool CSmDoc::IsRowEmpty(int row) const {
  const std::vector<std::string>& cells = m_rows[row];
  for (int k = 0; k < m_shownCount && k < static_cast<int>(cells.size()); ++k) {
    if (!TrimChars(cells[k], kBlanks).empty()) return false;
  }
  return true;
}

bool CSmDoc::IsEmptyDoc() const {
  for (int row = 0; row < static_cast<int>(m_rows.size()); ++row) {
    if (!IsRowEmpty(row)) return false;
  }
  return true;
}

// ---------------------------------------------------------------- columns and hints

int CSmDoc::FindShownColumn(int code, const CSmFormDef* def) const {
  const CSmFormDef& from = def ? *def : m_formDef;
  int shown = 0;
  for (const CSmFormCol& col : from.m_cols) {
    if (!col.IsShown()) continue;
    if (col.FieldCode() == code) return shown;
    ++shown;
  }
  return -1;
}

int CSmDoc::FindColumn(int code, const CSmFormDef* def) const {
  const CSmFormDef& from = def ? *def : m_formDef;
  for (int i = 0; i < static_cast<int>(from.m_cols.size()); ++i) {
    if (from.m_cols[i].FieldCode() == code) return i;
  }
  return -1;
}

bool CSmDoc::PickColumns(const CSmFormDef& def, int& position, std::vector<int>& codes,
                         std::initializer_list<int> listed) const {
  codes.clear();
  position = -1;
  int shown = -1;
  int previous = -1;
  bool together = true;
  for (const CSmFormCol& col : def.m_cols) {
    if (!col.IsShown()) continue;
    ++shown;
    if (std::find(listed.begin(), listed.end(), col.FieldCode()) == listed.end()) continue;
    codes.push_back(col.FieldCode());
    if (position < 0) position = shown;
    if (previous >= 0 && shown != previous + 1) together = false;
    previous = shown;
  }
  return together;
}

int CSmDoc::FindAnchorColumn() {
  int candidate = -1;
  int widest = -1;
  for (int k = 0; k < m_shownCount; ++k) {
    const Column& col = ShownColumn(k);
    const bool number = StartsWith(col.type, "NUMBER");
    if (col.kind == 0 && !number) {
      if (m_shownWidths[k] > widest) {
        candidate = k;
        widest = m_shownWidths[k];
      }
      continue;
    }
    if (candidate >= 0) return candidate;
  }
  return candidate;
}

std::string CSmDoc::ComposeHint(const std::string& first, const std::string& second) {
  auto indent = [](const std::string& text) {
    return text.empty() || StartsWith(text, "　") ? text : "　　" + text;
  };
  const std::string a = indent(first);
  const std::string b = indent(second);
  if (!a.empty() && !b.empty()) return a + "<br>" + b;
  return a + b;
}

std::string CSmDoc::GetTextFileName() {
  return "/" + GetTitle() + ".TXT";
}

void CSmDoc::SaveAsText() {
  CSaveAsTextSheet sheet(*this, CSmFrameWnd::Main());
  sheet.exec();
}

bool CSmDoc::UpdateReadOnly() {
  m_readOnly = IsReadOnly();
  return m_readOnly;
}

void CSmDoc::AddFormView(CSmFormView* view) {
  m_formViews.push_back(view);
}

void CSmDoc::OnViewRemoved(CSmView* view) {
  std::erase(m_formViews, view);
}

bool CSmDoc::IsModifiedEditable() {
  bool modified = IsModified();
  for (CSmFormView* form : m_formViews) modified = modified || form->IsModified();
  return modified && !UpdateReadOnly();
}

void CSmDoc::ClearEditMarks() {
  SetModifiedFlag(false);
  for (CSmFormView* form : m_formViews) form->SetModified(false);
}

// ---------------------------------------------------------------- commands

void CSmDoc::ShowPropertySheet() {
  CSmPublicSheet sheet(*this, "文档属性", CSmFrameWnd::Main());
  sheet.DoModal();
  // The first view lays itself out again when it is a grid view.
  if (!m_formViews.empty() && m_formViews.front() == Views().front()) {
    m_formViews.front()->ResetLayout();
  }
}

bool CSmDoc::OnCommand(int id) {
  switch (id) {
    case SM_ID_FILE_SAVE:
      DoFileSave();
      return true;
    case SM_ID_FILE_SAVE_AS:
      Save(1);
      return true;
    case SM_ID_FILE_CLOSE:
      if (SaveModified()) OnCloseDocument();
      return true;
    case SM_ID_DOC_PROPERTIES:
      ShowPropertySheet();
      return true;
    case SM_ID_DOC_SAVE_AS_TEXT:
      SaveAsText();
      return true;
    default:
      return false;
  }
}

bool CSmDoc::OnUpdateCommand(int id, CSmCmdUI& ui) {
  switch (id) {
    case SM_ID_FILE_SAVE:
    case SM_ID_FILE_SAVE_AS:
    case SM_ID_DOC_LOAD_TEXT:
      ui.Enable(!UpdateReadOnly());
      return true;
    case SM_ID_DOC_PROPERTIES:
      ui.Enable(m_formDef.nTopNum != 0);
      return true;
    default:
      return false;
  }
}
