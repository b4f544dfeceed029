#include "weighing/TsYfView.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <utility>
#include <vector>

#include "cane/TsDriverDirDlg.h"
#include "cane/TsFarmerDirDlg.h"
#include "core/SmString.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "weighing/TsYfDoc.h"
#include "weighing/TsgbTicketPrint.h"

namespace {

enum Field { kCode = 1, kName = 2, kBalance = 3, kAmount = 4, kNote = 5 };

QAction* FindAction(QMenu& menu, int id) {
  for (QAction* action : menu.actions()) {
    if (!action->isSeparator() && action->data().toInt() == id) return action;
  }
  return nullptr;
}

// Sets a flag for the life of the object.
class FlagSet {
 public:
  explicit FlagSet(bool& flag) : m_flag(flag) { m_flag = true; }
  ~FlagSet() { m_flag = false; }
  FlagSet(const FlagSet&) = delete;
  FlagSet& operator=(const FlagSet&) = delete;

 private:
  bool& m_flag;
};

}  // namespace

CTsYfDoc* CTsYfView::YfDoc() const {
  return dynamic_cast<CTsYfDoc*>(GetFormDoc());
}

CTsYfView::CellRole CTsYfView::RoleOf(int column) const {
  const CTsYfDoc* doc = YfDoc();
  if (!doc || column < 0 || column >= doc->m_shownCount ||
      column >= static_cast<int>(doc->m_shownColumns.size())) {
    return {};
  }
  const int definition = doc->m_shownColumns[column];
  if (definition < 0 || definition >= static_cast<int>(doc->m_formDef.m_cols.size())) return {};
  const int code = doc->m_formDef.m_cols[definition].FieldCode();
  if (code / 10 >= CTsYfDoc::kGroups) return {};
  return {code / 10, code % 10};
}

bool CTsYfView::TakesHousehold(const CellRole& role) const {
  if (role.group < 0) return false;
  return role.field == kCode || (role.field == kName && YfDoc()->Group(role.group).code < 0);
}

// ---------------------------------------------------------------- editing

void CTsYfView::ResetLayout() {
  CForthView::ResetLayout();
  const CTsYfDoc* doc = YfDoc();
  if (doc && doc->m_openMode == 0) m_bModified = true;
  m_voucherPrinting = false;
}

bool CTsYfView::IsCellEditable(int /*row*/, int column, const std::string& region) {
  if (region != "TEXT") return false;
  const CellRole role = RoleOf(column);
  if (role.group < 0 || role.field == kBalance) return false;
  return role.field != kName || YfDoc()->Group(role.group).code < 0;
}

void CTsYfView::OnCellChanged(const std::string& /*text*/, int row, int column,
                              const std::string& region) {
  const CTsYfDoc* doc = YfDoc();
  if (!doc || region != "TEXT" || row < 0 || row >= static_cast<int>(doc->m_rows.size())) return;
  const CellRole role = RoleOf(column);
  if (TakesHousehold(role)) {
    LookUpHousehold(row, column);
  } else if (role.field == kAmount) {
    RedrawTotals();
  }
}

void CTsYfView::LookUpHousehold(int row, int column) {
  CTsYfDoc* doc = YfDoc();
  const CellRole role = RoleOf(column);
  std::vector<std::string>& cells = doc->m_rows[row];
  const std::string code = TrimChars(cells[column]);
  std::string name;
  const bool found = doc->FindHousehold(code, &name);
  const size_t hidden = static_cast<size_t>(doc->m_shownCount + role.group);
  if (hidden < cells.size()) cells[hidden] = name;
  const bool unknown = !code.empty() && !found;
  if (row < static_cast<int>(doc->m_rowFlags.size()) &&
      column < static_cast<int>(doc->m_rowFlags[row].size())) {
    doc->m_rowFlags[row][column] = unknown ? '1' : '0';
  }
  if (unknown) QuestionBeep();
  const int nameColumn = doc->Group(role.group).name;
  if (role.field == kCode && nameColumn >= 0) cells[nameColumn] = name;
  update();
}

void CTsYfView::QuestionBeep() {
  QApplication::beep();
}

bool CTsYfView::ValidateCurrentCell() {
  const CTsYfDoc* doc = YfDoc();
  if (!doc || m_current.region != "TEXT" || !TakesHousehold(RoleOf(m_current.column))) {
    return false;
  }
  const std::string code = TrimChars(GetCellText(m_current.row, m_current.column, "TEXT"));
  if (doc->IsHousehold(code)) return false;
  ShowDropListAtCurrent();
  return true;
}

std::string CTsYfView::PickHousehold(const std::string& start) {
  CTsYfDoc* doc = YfDoc();
  if (doc->m_party == 1) {
    CTsDriverDirDlg picker(true, doc->m_db, start, this);
    return picker.DoModal() == SM_IDOK ? picker.SelectedCode() : std::string();
  }
  CTsFarmerDirDlg picker(doc->m_db, 1, start, this);
  return picker.DoModal() == SM_IDOK ? picker.CurrentCode() : std::string();
}

void CTsYfView::ShowDropListAtCurrent() {
  if (!YfDoc() || m_current.region != "TEXT") return;
  HideDropList(false);
  const SmGridCell cell = m_current;
  const CellRole role = RoleOf(cell.column);
  if (role.field == kNote) {
    CopyCellFromAbove();
    return;
  }
  // Elsewhere the directory is only looked at: its choice lands nowhere.
  const bool lands = TakesHousehold(role) && CanEditCurrentCell();
  const std::string code = PickHousehold(TrimChars(GetCellText(cell.row, cell.column, "TEXT")));
  setFocus();
  if (code.empty() || !lands) return;
  const UndoRecord before = CurrentRecord();
  WriteCell(cell.row, cell.column, "TEXT", code);
  SetCurrentCell(cell.row, cell.column, 0, "TEXT");
  m_bModified = true;
  PushUndo(before);
  update();
}

bool CTsYfView::OwnerDrawCell(CSmFormDC& dc, int row, int column, const std::string& region) {
  const CTsYfDoc* doc = YfDoc();
  if (!doc || region != "TEXT" || row < 0 || row >= static_cast<int>(doc->m_rows.size())) {
    return false;
  }
  const CellRole role = RoleOf(column);
  if (role.field != kName) return false;
  const std::vector<std::string>& cells = doc->m_rows[row];
  const size_t hidden = static_cast<size_t>(doc->m_shownCount + role.group);
  std::string text = hidden < cells.size() ? cells[hidden] : std::string();
  if (text.empty()) text = cells[column];
  const CSmDoc::Column& col = doc->m_columns[doc->m_shownColumns[column]];
  DrawCellText(row, column, dc, text, col.align, "TEXT", 0, col.wrap != 0);
  return true;
}

// ---------------------------------------------------------------- notes and menus

void CTsYfView::GetNoteValue(CSmFormHeadNote& note) {
  const CTsYfDoc* doc = YfDoc();
  if (!doc) return;
  static const std::pair<const char*, int> notes[] = {
      {"区域", 0}, {"单据时间", 1}, {"款项", 2}, {"单号", 3}, {"制单", 4}, {"复核", 5},
  };
  for (const auto& [caption, index] : notes) {
    if (note.sNote == caption) note.sWords = doc->m_notes[index];
  }
}

void CTsYfView::AddContextMenuItems(QMenu& menu) {
  const auto make = [this, &menu](int id, const char* text) {
    auto* action = new QAction(QString::fromUtf8(text), &menu);
    action->setObjectName(QString::number(id));
    action->setData(id);
    connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
    return action;
  };
  QAction* cut = FindAction(menu, SM_ID_EDIT_CUT);
  menu.insertAction(cut, make(SM_ID_SHOW_DROP_LIST, "户主目录...(&S)\tF2"));
  menu.insertSeparator(cut);
  menu.insertAction(cut, make(SM_ID_GO_BACK, "上一张凭证\tCtrl+PaUp"));
  menu.insertAction(cut, make(SM_ID_GO_FORWARD, "下一张凭证\tCtrl+PaDn"));
  menu.insertSeparator(cut);
  const CTsYfDoc* doc = YfDoc();
  if (!doc || doc->m_voucherKind < 1 || doc->m_voucherKind > 4) return;
  menu.insertAction(cut, make(kTsVoucherPageSetup, "单据打印页面设置 ..."));
  menu.insertAction(cut, make(kTsPrintVouchers, "打印单据"));
  menu.insertAction(cut, make(kTsPreviewVouchers, "单据打印预览"));
  menu.insertSeparator(cut);
}

bool CTsYfView::IsCommandAllowed(int id) {
  const CTsYfDoc* doc = YfDoc();
  switch (id) {
    case SM_ID_GO_BACK:
    case SM_ID_GO_FORWARD:
      return doc && doc->m_numbers.size() > 1;
    case kTsVoucherPageSetup:
    case kTsPrintVouchers:
    case kTsPreviewVouchers:
      return doc && doc->m_voucherKind >= 1 && doc->m_voucherKind <= 4;
    default:
      return true;
  }
}

bool CTsYfView::OnCommand(int id) {
  switch (id) {
    case SM_ID_GO_BACK:
    case SM_ID_GO_FORWARD:
      StepVoucher(id == SM_ID_GO_FORWARD);
      return true;
    case kTsVoucherPageSetup:
      VoucherPageSetup();
      return true;
    case kTsPrintVouchers:
    case kTsPreviewVouchers:
      PrintVouchers(id == kTsPreviewVouchers);
      return true;
    default:
      return CForthView::OnCommand(id);
  }
}

bool CTsYfView::OnUpdateCommand(int id, CSmCmdUI& ui) {
  switch (id) {
    case SM_ID_GO_BACK:
    case SM_ID_GO_FORWARD:
    case kTsVoucherPageSetup:
    case kTsPrintVouchers:
    case kTsPreviewVouchers:
      ui.Enable(IsCommandAllowed(id));
      return true;
    default:
      return CForthView::OnUpdateCommand(id, ui);
  }
}

void CTsYfView::keyPressEvent(QKeyEvent* event) {
  const Qt::KeyboardModifiers modifiers =
      event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
  int id = 0;
  if (modifiers == Qt::NoModifier && event->key() == Qt::Key_F2) id = SM_ID_SHOW_DROP_LIST;
  if (modifiers == Qt::ControlModifier && event->key() == Qt::Key_PageUp) id = SM_ID_GO_BACK;
  if (modifiers == Qt::ControlModifier && event->key() == Qt::Key_PageDown) id = SM_ID_GO_FORWARD;
  if (id == 0) {
    CForthView::keyPressEvent(event);
    return;
  }
  event->accept();
  if (IsCommandEnabled(id)) OnCommand(id);
}

// ---------------------------------------------------------------- stepping

void CTsYfView::StepVoucher(bool next) {
  CTsYfDoc* doc = YfDoc();
  const int count = doc ? static_cast<int>(doc->m_numbers.size()) : 0;
  if (count < 2) return;
  HideDropList(false);
  if (!doc->SaveModified()) return;
  SetCurrentCell(0, 0, 0, "TEXT");
  ScrollToCurrentCell();
  doc->m_shown = (doc->m_shown + (next ? 1 : count - 1)) % count;
  doc->Refresh();
  if (doc->m_rows.empty()) doc->AppendRow();
  ResetLayout();
  m_nTextRows = static_cast<int>(doc->m_rows.size());
  LoadEditCell();
  doc->ClearEditMarks();
  UpdateScrollSizes(true);
}

// ---------------------------------------------------------------- voucher pages

void CTsYfView::VoucherPageSetup() {
  CTsYfDoc* doc = YfDoc();
  if (!doc) return;
  m_pageSetup.PageSetup(doc->m_voucherKind, doc->m_db, this);
}

void CTsYfView::PrintVouchers(bool preview) {
  CTsYfDoc* doc = YfDoc();
  if (!doc) return;
  HideDropList(false);
  std::vector<CTsjsRec> rows;
  if (m_anchor.region == "TEXT" && m_current.region == "TEXT") {
    const SmCellBlock block = SelectionBlock();
    doc->CollectRows(block.row1, block.row2, block.col1, block.col2, rows);
  }
  if (rows.empty()) {
    SmMessageBox("未选择打印区域！", SM_MB_ICONERROR);
    return;
  }
  if (preview) rows.resize(1);
  m_pageSetup.SetVouchers(std::move(rows), doc->m_item, doc->m_db);
  const FlagSet printing(m_voucherPrinting);
  // One print dialog for all the pages: cancelled, nothing is printed.
  m_pageSetup.Print(preview ? SM_ID_FILE_PRINT_PREVIEW : SM_ID_FILE_PRINT);
}
