#include "reports/TsReportDoc.h"

#include <QAction>
#include <QMenu>
#include <algorithm>

#include "app/SmApp.h"  // HasSmRight
#include "cane/TsCaneContext.h"
#include "cane/TsItems.h"
#include "cane/TsParams.h"
#include "core/SmDatabase.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "forms/SmDatePeriod.h"
#include "platform/SmCommandIds.h"

namespace {

struct ReportNote {
  const char* name;
  const char* words;
  int tail;
  int position;
};

constexpr ReportNote kReportNotes[] = {
    {"报告期", "系统生成", 0, 43}, {"表头1", "系统生成", 0, 70},     {"页码", "第 #pp 页", 0, 90},
    {"套打页码", "#pp", 0, 91},    {"主管前导", "会计主管：", 1, 0}, {"主管名", "系统生成", 1, 8},
    {"制表前导", "制表：", 1, 80}, {"操作员", "系统生成", 1, 85},    {"编表单位", "系统生成", 0, 0},
};

}  // namespace

std::string TsTextPart(const std::string& text, size_t from, size_t count) {
  return from < text.size() ? text.substr(from, count) : std::string();
}

std::string TsPrefixCondition(const std::string& column, const std::string& prefix,
                              CSmDatabase* db) {
  if (prefix.empty()) return {};
  return FormatStr(" And %s Like '%s\a*\b'", column.c_str(), db->SqlText(prefix).c_str());
}

QAction* TsFindMenuAction(QMenu& menu, int id) {
  for (QAction* action : menu.actions()) {
    if (!action->isSeparator() && action->data().toInt() == id) return action;
  }
  return nullptr;
}

std::string TsSpreadCaption(const char* format, int blanks) {
  std::string words = format;
  const std::string gap(static_cast<size_t>(std::max(blanks, 0)), ' ');
  for (size_t at = words.find("%*s"); at != std::string::npos; at = words.find("%*s", at)) {
    words.replace(at, 3, gap);
    at += gap.size();
  }
  return words;
}

void TsShowWeightColumns(CSmFormDef& def, const std::vector<int>& weightCodes) {
  const int decimals = TsGetQtyPrecision();
  for (CSmFormCol& col : def.m_cols) {
    if (std::find(weightCodes.begin(), weightCodes.end(), col.FieldCode()) == weightCodes.end())
      continue;
    col.nLess = decimals;
    col.nMore = decimals;
  }
}

// ---------------------------------------------------------------- CTsReportDoc

CTsReportDoc::CTsReportDoc() : CTsReportDoc(std::make_unique<TsReportQuery>()) {}

CTsReportDoc::CTsReportDoc(std::unique_ptr<TsReportQuery> query) : m_query(std::move(query)) {}

void CTsReportDoc::OnInitDocument() {
  m_extraCount = 1;  // the key cell: the row's code, shown or not
  if (m_openModes.size() != kTsReportVarCount) {
    m_openModes.assign(kTsReportVarCount, std::string());
    m_openModes[0] = TsGetYearStartDate();
    m_openModes[1] = TsGetYearEndDate();
    m_openModes[8] = "0";
    m_openModes[9] = "2";
    m_openModes[10] = "1";
    m_openModes[16] = "100";
  }
  sDateFrom = m_openModes[0];
  sDateTo = m_openModes[1];
  for (int k = 0; k < 2; ++k) sOprCode[k] = m_openModes[2 + k];
  for (int k = 0; k < 4; ++k) sFilter[k] = m_openModes[4 + k];
  nRowKind = StrToIntDef(m_openModes[8], 0);
  nLevel = StrToIntDef(m_openModes[9], 0);
  bSkipEmpty = StrToIntDef(m_openModes[10], 0);
  bPeriodCaption = 1;
  for (std::string& heading : sHeading) heading.clear();
}

void CTsReportDoc::OnCloseDocument() {
  m_openModes.resize(kTsReportVarCount);
  m_openModes[0] = sDateFrom;
  m_openModes[1] = sDateTo;
  for (int k = 0; k < 2; ++k) m_openModes[2 + k] = sOprCode[k];
  for (int k = 0; k < 4; ++k) m_openModes[4 + k] = sFilter[k];
  m_openModes[8] = std::to_string(nRowKind);
  m_openModes[9] = std::to_string(nLevel);
  m_openModes[10] = std::to_string(bSkipEmpty);
  CSmDoc::OnCloseDocument();  // may destroy this document
}

void CTsReportDoc::DefineBaseColumns(CSmFormDef& def) {
  const int items = TsGetKindItemCount(nSettleKind, 0, 0, 0);
  def.m_cols.clear();
  auto add = [&def](int type, int fact, int less, int more, const std::string& spec) {
    def.InsertCol(static_cast<int>(def.m_cols.size()), type, fact, less, more, spec);
  };
  add(1, 606, 0, 0, "代码/STRING/LEFT");
  add(2, 1515, 0, 0, "名称/STRING/LEFT");
  add(110, 505, 0, 0, "单\\据\\数/NUMBER/MID");
  add(114, 1111, 0, TsGetQtyPrecision(), "蔗重/NUMBER/RIGHT");
  add(115, 707, 2, 2, "平均\\单价/NUMBER/RIGHT/00/0");
  add(116, 1515, 2, 2, "价款/NUMBER/RIGHT");
  for (int i = 0; i < items; ++i) {
    const std::string name = TsGetKindItemName(nSettleKind, 0, 0, 0, i);
    add(117 + i, 1212, 2, 2, SplitTextEvenly(6, name) + "/NUMBER/RIGHT");
  }
  if (items >= 1) add(117 + items, 1515, 2, 2, "应付款/NUMBER/RIGHT");
}

void CTsReportDoc::AppendColumn(CSmFormDef& def, int type, int fact, int less, int more,
                                const std::string& spec) {
  def.InsertCol(static_cast<int>(def.m_cols.size()), type, fact, less, more, spec);
}

void CTsReportDoc::AddFullTopWord(CSmFormDef& def, int code) {
  const int k = FindShownColumn(code, &def);
  const int index = FindColumn(code, &def);
  if (k < 0 || index < 0) return;
  def.m_topWords.emplace_back();
  def.m_topWords.back().Set(k + 1, 1, k + 1, def.nTopNum, def.m_cols[index].GetCaption());
}

void CTsReportDoc::AddGroupTopWords(CSmFormDef& def, const std::vector<int>& codes,
                                    const char* heading, int blanks,
                                    const std::function<std::string(int code)>& word) {
  std::vector<int> shown;
  for (int code : codes) {
    if (FindShownColumn(code, &def) >= 0) shown.push_back(code);
  }
  if (shown.size() < 2) {
    for (int code : codes) AddFullTopWord(def, code);
    return;
  }
  const std::string words = TsSpreadCaption(heading, blanks * static_cast<int>(shown.size()));
  const int upper = def.nTopNum / 2;
  def.m_topWords.emplace_back();
  def.m_topWords.back().Set(FindShownColumn(shown.front(), &def) + 1, 1,
                            FindShownColumn(shown.back(), &def) + 1, upper, words);
  for (int code : shown) {
    const int k = FindShownColumn(code, &def) + 1;
    def.m_topWords.emplace_back();
    def.m_topWords.back().Set(k, upper + 1, k, def.nTopNum, word(code));
  }
}

void CTsReportDoc::DefineColumns(CSmFormDef& def) {
  DefineBaseColumns(def);
  ApplyColumnVisibility(def);
}

int CTsReportDoc::GetColumnVisibility(const CSmFormDef& def, int column) {
  if (column < 0 || column >= static_cast<int>(def.m_cols.size())) return 2;
  return def.m_cols[column].FieldCode() == 2 ? 1 : 2;
}

void CTsReportDoc::DefineHeadNotes(CSmFormDef& def) {
  def.m_headNotes.resize(std::size(kReportNotes));
  for (size_t i = 0; i < std::size(kReportNotes); ++i) {
    const ReportNote& note = kReportNotes[i];
    def.m_headNotes[i].Set(note.tail, 0, note.position, 1, 0, note.name, note.words);
  }
}

void CTsReportDoc::AdjustFormDef(CSmFormDef& def) {
  TsShowWeightColumns(def, WeightCodes());
}

void CTsReportDoc::FillFromRows(const std::vector<int>& textCodes,
                                const std::vector<int>& valueCodes,
                                const std::vector<CTsReportRow>& rows) {
  m_rows.clear();
  m_rowFlags.clear();
  const RowColumns columns = FindRowColumns(textCodes, valueCodes);
  for (const CTsReportRow& row : rows) AppendFromRow(columns, row);
}

CTsReportDoc::RowColumns CTsReportDoc::FindRowColumns(const std::vector<int>& textCodes,
                                                      const std::vector<int>& valueCodes) const {
  RowColumns columns;
  columns.code = FindShownColumn(1);
  columns.name = FindShownColumn(2);
  for (int code : textCodes) columns.texts.push_back(FindShownColumn(code));
  for (int code : valueCodes) columns.values.push_back(FindShownColumn(code + 10));
  return columns;
}

void CTsReportDoc::AppendFromRow(const RowColumns& columns, const CTsReportRow& row) {
  std::vector<std::string> cells;
  std::string flags;
  if (FillRowCells(columns, row, cells, flags) == 0 && bSkipEmpty) return;
  m_rows.push_back(std::move(cells));
  m_rowFlags.push_back(std::move(flags));
}

int CTsReportDoc::FillRowCells(const RowColumns& columns, const CTsReportRow& row,
                               std::vector<std::string>& cells, std::string& flags) {
  NewRow(cells, flags);
  if (cells.size() <= static_cast<size_t>(m_shownCount)) cells.resize(m_shownCount + 1);
  cells[m_shownCount] = row.sCode;
  if (columns.code >= 0) cells[columns.code] = row.sCode;
  if (columns.name >= 0) cells[columns.name] = row.sName;
  for (size_t i = 0; i < row.Texts.size() && i < columns.texts.size(); ++i) {
    if (columns.texts[i] >= 0) cells[columns.texts[i]] = row.Texts[i];
  }
  return FillRowValues(columns, row, cells);
}

int CTsReportDoc::FillRowValues(const RowColumns& columns, const CTsReportRow& row,
                                std::vector<std::string>& cells) {
  int filled = 0;
  for (size_t i = 0; i < row.Values.size() && i < columns.values.size(); ++i) {
    const int k = columns.values[i];
    if (k < 0) continue;
    const Column& column = m_columns[m_shownColumns[k]];
    cells[k] = FormatNumberPlain(row.Values[i], column.less, column.more);
    if (!cells[k].empty()) ++filled;
  }
  return filled;
}

// ---------------------------------------------------------------- CTsReportView

void CTsReportView::OnUpdate(CSmView* /*sender*/, long hint) {
  if (hint == kTsReportReread) Reread();
}

CTsReportDoc* CTsReportView::ReportDoc() const {
  return dynamic_cast<CTsReportDoc*>(GetFormDoc());
}

void CTsReportView::ResetLayout() {
  m_nFormFootLines = 1;
  CForthView::ResetLayout();
}

void CTsReportView::GetNoteValue(CSmFormHeadNote& note) {
  CTsReportDoc* doc = ReportDoc();
  if (!doc) return;
  const std::string& name = note.sNote;
  if (name == "报告期") {
    const std::string& from = doc->sDateFrom;
    note.sWords = doc->bPeriodCaption
                      ? FormatPeriodCaption(from, doc->sDateTo, "", true)
                      : FormatStr("截止时间：%s年 %s月 %s日", TsTextPart(from, 0, 4).c_str(),
                                  TsTextPart(from, 4, 2).c_str(), TsTextPart(from, 6).c_str());
  } else if (name == "编表单位") {
    note.sWords = "编表单位：" + TsCaneContextFromApp().unitName;
  } else if (name.size() == std::string("表头1").size() && name.starts_with("表头")) {
    const int k = name.back() - '1';
    if (k >= 0 && k < 4) note.sWords = doc->sHeading[k];
  }
}

void CTsReportView::AddContextMenuItems(QMenu& menu) {
  auto make = [this, &menu](int id, const char* text) {
    auto* action = new QAction(QString::fromUtf8(text), &menu);
    action->setObjectName(QString::number(id));
    action->setData(id);
    connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
    return action;
  };
  menu.insertAction(TsFindMenuAction(menu, SM_ID_EDIT_SELECT_ALL), make(SM_ID_DOC_REREAD, "刷新"));
  CTsReportDoc* doc = ReportDoc();
  QAction* cut = TsFindMenuAction(menu, SM_ID_EDIT_CUT);
  // The bank report's text file for the bank records a payment batch.
  if (doc && doc->nFlag == kTsBankReportKind && HasSmRight(16, "33")) {
    menu.insertAction(cut, make(SM_ID_DOC_SAVE_AS_TEXT, "保存为文本文档 ..."));
    menu.insertSeparator(cut);
  }
  if (!doc || (doc->nFlag != 264 && doc->nFlag != 265)) return;
  menu.insertAction(cut, make(kTsGenerateAdvances, "生成预付款单据"));
  menu.insertSeparator(cut);
}

bool CTsReportView::OnCommand(int id) {
  CTsReportDoc* doc = ReportDoc();
  if ((id == kTsGenerateAdvances || id == SM_ID_DOC_SAVE_AS_TEXT) && doc) return doc->OnCommand(id);
  return CForthView::OnCommand(id);
}

void CTsReportView::AddRowToTotals(int row, std::vector<double>& totals) {
  CTsReportDoc* doc = ReportDoc();
  if (!doc || m_nFormFootLines <= 0 || row < 0 || row >= static_cast<int>(doc->m_rows.size()))
    return;
  const bool flatCodes = doc->nRowKind == 1 || doc->nRowKind == 2;
  if (!flatCodes) {
    const size_t key = static_cast<size_t>(doc->m_shownCount);
    auto keyLength = [&](int r) {
      const std::vector<std::string>& cells = doc->m_rows[r];
      return key < cells.size() ? cells[key].size() : 0;
    };
    if (keyLength(row) != keyLength(0)) return;
  }
  CForthView::AddRowToTotals(row, totals);
}
