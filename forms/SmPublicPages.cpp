#include "forms/SmPublicPages.h"

#include <QMenu>
#include <QVBoxLayout>
#include <algorithm>

#include "core/SmNumber.h"
#include "core/SmString.h"
#include "forms/SmDoc.h"
#include "forms/SmFormDef.h"
#include "forms/SmFormEditDlgs.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"

namespace {

void SetIntoRange(int& index, int count) {
  index = std::clamp(index, 0, std::max(0, count - 1));
}

// Blocks and notes: the dialog opens below the list; a new element is appended.
template <class Dlg>
void EditElement(CSmFormPartList& list, CSmDoc& doc, CSmFormDef& def, int index, bool isNew) {
  Dlg dlg(doc, def, index, isNew, list.window());
  dlg.move(list.mapToGlobal(QPoint(0, list.height())));
  if (dlg.DoModal() != SM_IDOK) return;
  list.Fill();
  list.SelectRows(isNew ? list.RowCount() - 1 : index, 1);
}

template <class T>
void RemoveSelected(CSmFormPartList& list, std::vector<T>& items) {
  const int row = list.FirstSelected();
  items.erase(items.begin() + row);
  delete list.takeTopLevelItem(row);
}

}  // namespace

// ---------------------------------------------------------------- list base

CSmFormPartList::CSmFormPartList(CSmDoc& doc, CSmFormDef& def, QWidget* parent)
    : CSmListCtrl(parent), m_doc(doc), m_def(def) {
  SetDatabase(doc.m_db);
  setAllColumnsShowFocus(true);
}

bool CSmFormPartList::OneSelected() const {
  return selectedItems().size() == 1;
}

bool CSmFormPartList::OnCommand(unsigned id) {
  if (id == SM_ID_FORM_DEFAULTS) {
    LoadDefaults();
    return true;
  }
  const std::vector<unsigned> removed = RemovedCommands();
  if (std::find(removed.begin(), removed.end(), id) != removed.end()) return true;
  return CSmListCtrl::OnCommand(id);
}

bool CSmFormPartList::IsCommandEnabled(unsigned id) {
  if (id == SM_ID_FORM_DEFAULTS) return true;
  if (id == SM_ID_EDIT_CUT) return false;
  const std::vector<unsigned> removed = RemovedCommands();
  if (std::find(removed.begin(), removed.end(), id) != removed.end()) return false;
  return CSmListCtrl::IsCommandEnabled(id);
}

void CSmFormPartList::CustomizeContextMenu(QMenu* popup) {
  const std::vector<unsigned> removed = RemovedCommands();
  for (QAction* action : popup->actions()) {
    const unsigned id = action->data().toUInt();
    if (std::find(removed.begin(), removed.end(), id) != removed.end()) {
      popup->removeAction(action);
    }
  }
  const QList<QAction*> actions = popup->actions();
  auto* defaults = new QAction(QStringLiteral("取默认值(De&f)"), popup);
  defaults->setObjectName(QString::number(SM_ID_FORM_DEFAULTS));
  defaults->setData(SM_ID_FORM_DEFAULTS);
  popup->insertAction(actions.size() > 1 ? actions[1] : nullptr, defaults);
}

void CSmFormPartList::SelectRows(int first, int count) {
  clearSelection();
  for (int row = first; row < first + count; ++row) {
    QTreeWidgetItem* item = topLevelItem(row);
    if (!item) continue;
    item->setSelected(true);
    scrollToItem(item);
    if (row == first) {
      selectionModel()->setCurrentIndex(indexFromItem(item), QItemSelectionModel::NoUpdate);
    }
  }
  setFocus();
}

// ---------------------------------------------------------------- columns

CSmColumnList::CSmColumnList(CSmDoc& doc, CSmFormDef& def, QWidget* parent)
    : CSmFormPartList(doc, def, parent) {
  setObjectName(QString::number(CSmPublicPage::kColumnList));
  setSelectionMode(QAbstractItemView::SingleSelection);
  Initialize();
  SetColumns({50, 100, 100, 50, 50, 60, 60, 60, 75, 75, 75, 70, 70},
             {"栏序", "栏名称", "栏公式", "栏类型", "值类型", "对齐方式", "显示宽度", "编辑宽度",
              "至少小数位", "至多小数位", "放缩因子", "合计栏", "折行"});
  connect(this, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
    if (column == 0 && !m_filling) OnCheckChanged(indexOfTopLevelItem(item));
  });
}

std::vector<unsigned> CSmColumnList::RemovedCommands() const {
  return {SM_ID_LIST_OPEN,  SM_ID_EDIT_CUT,        SM_ID_EDIT_COPY,
          SM_ID_EDIT_PASTE, SM_ID_EDIT_SELECT_ALL, SM_ID_LIST_INVERT_SELECTION};
}

Qt::Alignment CSmColumnList::GetColumnFormat(int column) {
  return column <= 2 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter;
}

std::vector<std::string> CSmColumnList::RowTexts(const CSmFormCol& column, int position) {
  static const char* const kKinds[] = {"固定栏", "公式栏", "运算栏"};
  static const char* const kTotals[] = {"", "√↓", "√→"};
  const CSmColSpec spec = column.ParseSpec();
  std::string align = "居中";
  if (spec.align.empty() || spec.align == "LEFT") align = "居左";
  if (spec.align == "RIGHT") align = "居右";
  return {std::to_string(position + 1),
          spec.caption,
          spec.formula,
          spec.kind >= 0 && spec.kind <= 2 ? kKinds[spec.kind] : "",
          spec.type.starts_with("NUMBER") ? "数值" : "文字",
          align,
          std::to_string(column.nFact / 100),
          std::to_string(column.nFact % 100),
          std::to_string(column.nLess),
          std::to_string(column.nMore),
          SmScaleName(spec.scale),
          spec.total >= 0 && spec.total <= 2 ? kTotals[spec.total] : "",
          spec.wrap ? "√" : ""};
}

void CSmColumnList::Fill() {
  m_filling = true;
  clear();
  for (int i = 0; i < static_cast<int>(m_def.m_cols.size()); ++i) {
    CSmFormCol& column = m_def.m_cols[i];
    const int code = column.FieldCode();
    if (code != 0) {
      const int visibility = m_doc.GetColumnVisibility(m_def, i);
      if (visibility == 1) column.nType = code + 100;
      if (visibility == 0) column.nType = code;
    }
    AddRow(RowTexts(column, i), 0);
    SetCheck(i, column.IsShown());
  }
  m_filling = false;
}

void CSmColumnList::OnCheckChanged(int row) {
  if (row < 0 || row >= static_cast<int>(m_def.m_cols.size())) return;
  CSmFormCol& column = m_def.m_cols[row];
  const int code = column.FieldCode();
  if (code != 0 && m_doc.GetColumnVisibility(m_def, row) != 2) {
    m_filling = true;
    SetCheck(row, column.IsShown());
    m_filling = false;
    return;
  }
  column.nType = code + (GetCheck(row) ? 100 : 0);
}

void CSmColumnList::LoadDefaults() {
  m_def.m_cols.clear();
  m_doc.DefineColumns(m_def);
  Fill();
}

bool CSmColumnList::IsCommandEnabled(unsigned id) {
  const int row = FirstSelected();
  switch (id) {
    case SM_ID_LIST_ADD:
      return true;
    case SM_ID_LIST_MODIFY:
      return OneSelected();
    case SM_ID_LIST_DELETE:
      return OneSelected() && m_def.m_cols[row].FieldCode() == 0;
    default:
      return CSmFormPartList::IsCommandEnabled(id);
  }
}

void CSmColumnList::Edit(int index, bool isNew) {
  CSmColumnDlg dlg(m_doc, m_def, index, isNew, window());
  if (dlg.DoModal() != SM_IDOK) return;
  Fill();
  SelectRows(dlg.FinalIndex(), 1);
}

void CSmColumnList::Add() {
  Edit(std::max(0, FirstSelected()), true);
}

void CSmColumnList::Modify() {
  if (IsCommandEnabled(SM_ID_LIST_MODIFY)) Edit(FirstSelected(), false);
}

void CSmColumnList::Delete() {
  if (!IsCommandEnabled(SM_ID_LIST_DELETE)) return;
  int row = FirstSelected();
  m_def.m_cols.erase(m_def.m_cols.begin() + row);
  Fill();
  SetIntoRange(row, RowCount());
  SelectRows(row, 1);
}

// ---------------------------------------------------------------- header blocks

CSmTopWordList::CSmTopWordList(CSmDoc& doc, CSmFormDef& def, QWidget* parent)
    : CSmFormPartList(doc, def, parent) {
  setObjectName(QString::number(CSmPublicPage::kTopWordList));
  Initialize();
  SetColumns({250, 100, 100}, {"栏名", "左上角(栏,行)", "右下角(栏,行)"});
}

std::vector<unsigned> CSmTopWordList::RemovedCommands() const {
  return {SM_ID_LIST_OPEN, SM_ID_EDIT_CUT};
}

Qt::Alignment CSmTopWordList::GetColumnFormat(int column) {
  return column == 0 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter;
}

void CSmTopWordList::Fill() {
  clear();
  for (const CSmFormTopWord& word : m_def.m_topWords) {
    AddRow({word.sWords, FormatStr("(%d,%d)", word.nCol1, word.nRow1),
            FormatStr("(%d,%d)", word.nCol2, word.nRow2)},
           0);
  }
}

void CSmTopWordList::LoadDefaults() {
  m_doc.MakeDefaultTopWords(m_def);
  Fill();
}

bool CSmTopWordList::IsCommandEnabled(unsigned id) {
  switch (id) {
    case SM_ID_LIST_ADD:
      return true;
    case SM_ID_LIST_MODIFY:
    case SM_ID_LIST_DELETE:
      return OneSelected();
    default:
      return CSmFormPartList::IsCommandEnabled(id);
  }
}

int CSmTopWordList::GetClipboardRows(std::vector<std::string>& rows) const {
  rows.clear();
  for (int row = 0; row < RowCount(); ++row) {
    if (!topLevelItem(row)->isSelected()) continue;
    const CSmFormTopWord& word = m_def.m_topWords[row];
    rows.push_back(word.sWords);
    rows.push_back(FormatStr("%d,%d,%d,%d", word.nCol1, word.nRow1, word.nCol2, word.nRow2));
  }
  return static_cast<int>(rows.size());
}

void CSmTopWordList::InsertPastedRows(const std::vector<std::string>& rows, bool /*cut*/,
                                      bool /*sameSource*/, CSmDatabase& /*source*/) {
  if (rows.size() % 2 != 0) return;
  const int first = static_cast<int>(m_def.m_topWords.size());
  for (size_t i = 0; i < rows.size(); i += 2) {
    int numbers[4];
    for (int k = 0; k < 4; ++k) numbers[k] = StrToIntDef(GetNthField(rows[i + 1], k, ','), 0);
    CSmFormTopWord word;
    word.Set(numbers[0], numbers[1], numbers[2], numbers[3], rows[i]);
    m_def.m_topWords.push_back(word);
  }
  Fill();
  SelectRows(first, static_cast<int>(rows.size() / 2));
}

void CSmTopWordList::Add() {
  EditElement<CSmTopWordDlg>(*this, m_doc, m_def, static_cast<int>(m_def.m_topWords.size()), true);
}

void CSmTopWordList::Modify() {
  if (IsCommandEnabled(SM_ID_LIST_MODIFY)) {
    EditElement<CSmTopWordDlg>(*this, m_doc, m_def, FirstSelected(), false);
  }
}

void CSmTopWordList::Delete() {
  if (IsCommandEnabled(SM_ID_LIST_DELETE)) RemoveSelected(*this, m_def.m_topWords);
}

// ---------------------------------------------------------------- notes

CSmHeadNoteList::CSmHeadNoteList(CSmDoc& doc, CSmFormDef& def, QWidget* parent)
    : CSmFormPartList(doc, def, parent) {
  setObjectName(QString::number(CSmPublicPage::kHeadNoteList));
  Initialize();
  SetColumns({100, 75, 50, 40, 50, 75, 50},
             {"字域提示", "显示内容", "头或尾", "行次", "栏位置", "编辑框长度", "套打吗"});
}

std::vector<unsigned> CSmHeadNoteList::RemovedCommands() const {
  return {SM_ID_LIST_OPEN, SM_ID_EDIT_CUT};
}

Qt::Alignment CSmHeadNoteList::GetColumnFormat(int column) {
  return column >= 3 && column <= 5 ? Qt::AlignRight | Qt::AlignVCenter
                                    : Qt::AlignLeft | Qt::AlignVCenter;
}

void CSmHeadNoteList::Fill() {
  clear();
  for (const CSmFormHeadNote& note : m_def.m_headNotes) {
    AddRow({note.sNote, note.sWords, note.bIsTail ? "表尾" : "表头", std::to_string(note.nRow + 1),
            FormatStr("%d％", note.nColPecent % 100), std::to_string(note.nColPecent / 100),
            note.bIsUse ? "套打" : "不套打"},
           0);
  }
}

void CSmHeadNoteList::LoadDefaults() {
  m_def.m_headNotes.clear();
  m_doc.DefineHeadNotes(m_def);
  Fill();
}

bool CSmHeadNoteList::IsCommandEnabled(unsigned id) {
  switch (id) {
    case SM_ID_LIST_ADD:
      return true;
    case SM_ID_LIST_MODIFY:
      return OneSelected();
    case SM_ID_LIST_DELETE:
      return OneSelected() && m_def.m_headNotes[FirstSelected()].bIsSystem == 0;
    default:
      return CSmFormPartList::IsCommandEnabled(id);
  }
}

int CSmHeadNoteList::GetClipboardRows(std::vector<std::string>& rows) const {
  rows.clear();
  for (int row = 0; row < RowCount(); ++row) {
    if (!topLevelItem(row)->isSelected()) continue;
    const CSmFormHeadNote& note = m_def.m_headNotes[row];
    for (const std::string& text : {note.sNote, note.sWords, std::to_string(note.bIsTail),
                                    std::to_string(note.nRow), std::to_string(note.nColPecent),
                                    std::to_string(note.bIsUse), std::to_string(note.bIsSystem)}) {
      rows.push_back(text);
    }
  }
  return static_cast<int>(rows.size());
}

void CSmHeadNoteList::InsertPastedRows(const std::vector<std::string>& rows, bool /*cut*/,
                                       bool /*sameSource*/, CSmDatabase& /*source*/) {
  if (rows.size() % 7 != 0) return;
  const int first = static_cast<int>(m_def.m_headNotes.size());
  for (size_t i = 0; i < rows.size(); i += 7) {
    auto number = [&](size_t k) { return StrToIntDef(rows[i + k], 0); };
    CSmFormHeadNote note;
    note.Set(number(2), number(3), number(4), number(5), number(6), rows[i], rows[i + 1]);
    m_def.m_headNotes.push_back(note);
  }
  Fill();
  SelectRows(first, static_cast<int>(rows.size() / 7));
}

void CSmHeadNoteList::Add() {
  EditElement<CSmHeadNoteDlg>(*this, m_doc, m_def, static_cast<int>(m_def.m_headNotes.size()),
                              true);
}

void CSmHeadNoteList::Modify() {
  if (IsCommandEnabled(SM_ID_LIST_MODIFY)) {
    EditElement<CSmHeadNoteDlg>(*this, m_doc, m_def, FirstSelected(), false);
  }
}

void CSmHeadNoteList::Delete() {
  if (IsCommandEnabled(SM_ID_LIST_DELETE)) RemoveSelected(*this, m_def.m_headNotes);
}

// ---------------------------------------------------------------- pages

CSmListPage::CSmListPage(unsigned templateId, const QString& caption, CSmDoc& doc, CSmFormDef& def,
                         QWidget* parent)
    : CSmPublicPage(templateId, caption, doc, def, parent) {}

void CSmListPage::SetList(CSmFormPartList* list) {
  m_list = list;
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list);
}

void CSmListPage::OnSetActive() {
  CSmPublicPage::OnSetActive();
  m_list->Fill();
}

CSmPublicPage2::CSmPublicPage2(CSmDoc& doc, CSmFormDef& def, QWidget* parent)
    : CSmListPage(853, "栏 属 性", doc, def, parent) {
  SetList(new CSmColumnList(doc, def, this));
}

CSmPublicPage3::CSmPublicPage3(CSmDoc& doc, CSmFormDef& def, QWidget* parent)
    : CSmListPage(855, "栏头属性", doc, def, parent) {
  SetList(new CSmTopWordList(doc, def, this));
}

CSmPublicPage4::CSmPublicPage4(CSmDoc& doc, CSmFormDef& def, QWidget* parent)
    : CSmListPage(857, "表头表尾属性", doc, def, parent) {
  SetList(new CSmHeadNoteList(doc, def, this));
}
