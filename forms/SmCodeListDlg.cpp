#include "forms/SmCodeListDlg.h"

#include <QKeyEvent>
#include <QMenu>
#include <algorithm>

#include "core/SmDatabase.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "ui/SmProgressDlg.h"
#include "ui/SmWaitWnd.h"

// ---------------------------------------------------------------- the list

CSmCodeList::CSmCodeList(CSmCodeListDlg* dlg, QWidget* parent) : CSmListCtrl(parent), m_dlg(dlg) {}

bool CSmCodeList::OnCommand(unsigned id) {
  if (!m_dlg->OnExtraCommand(id)) return true;
  return CSmListCtrl::OnCommand(id);
}

int CSmCodeList::GetClipboardRows(std::vector<std::string>& rows) const {
  return m_dlg->GetClipboardRows(rows);
}

void CSmCodeList::InsertPastedRows(const std::vector<std::string>& rows, bool cut, bool sameSource,
                                   CSmDatabase& source) {
  m_dlg->Paste(rows, cut, sameSource, source);
}

void CSmCodeList::CustomizeContextMenu(QMenu* popup) {
  QAction* cut = nullptr;
  for (QAction* action : popup->actions()) {
    if (action->data().toUInt() == SM_ID_EDIT_CUT) cut = action;
  }
  const std::pair<unsigned, const char*> moves[] = {{SM_ID_GO_BACK, "后退(&X)\t←"},
                                                    {SM_ID_GO_FORWARD, "前进(&I)\t→"}};
  for (const auto& [id, text] : moves) {
    auto* action = new QAction(QString::fromUtf8(text), popup);
    action->setObjectName(QString::number(id));
    action->setData(id);
    popup->insertAction(cut, action);
  }
  popup->insertSeparator(cut);
  m_dlg->AddContextMenuItems(popup);
}

bool CSmCodeList::IsCommandAvailable(unsigned id) {
  return m_dlg->IsListCommandEnabled(id);
}

unsigned CSmCodeList::GetClipboardFormat() {
  return m_dlg->GetClipboardFormat();
}

Qt::Alignment CSmCodeList::GetColumnFormat(int column) {
  return m_dlg->GetColumnFormat(column);
}

std::vector<unsigned> CSmCodeList::GetIconIds() {
  return m_dlg->GetIconIds();
}

void CSmCodeList::Add() {
  m_dlg->OnAdd();
}

void CSmCodeList::Open() {
  if (m_dlg->OnExtraCommand(SM_ID_LIST_OPEN)) m_dlg->OnOpen();
}

void CSmCodeList::Modify() {
  m_dlg->OnModify();
}

void CSmCodeList::Delete() {
  m_dlg->OnDelete();
}

void CSmCodeList::Back() {
  m_dlg->OnBack();
}

void CSmCodeList::Forward() {
  m_dlg->OnForward();
}

void CSmCodeList::keyPressEvent(QKeyEvent* event) {
  const bool ctrl = event->modifiers() & Qt::ControlModifier;
  const unsigned id = !ctrl                           ? 0
                      : event->key() == Qt::Key_Left  ? unsigned(SM_ID_GO_BACK)
                      : event->key() == Qt::Key_Right ? unsigned(SM_ID_GO_FORWARD)
                                                      : 0;
  if (id == 0) {
    CSmListCtrl::keyPressEvent(event);
    return;
  }
  if (IsCommandEnabled(id)) OnCommand(id);
}

// ---------------------------------------------------------------- the dialog

CSmCodeListDlg::CSmCodeListDlg(unsigned templateId, int listId, CSmDatabase* db, int pickMode,
                               QWidget* parent)
    : CSmAppDlg(templateId, nullptr, parent),
      m_db(db),
      m_listId(listId),
      m_list(new CSmCodeList(this, this)),
      m_pickMode(pickMode) {
  setObjectName(QString::number(templateId));
  m_list->setObjectName(QString::number(listId));
  m_list->SetDatabase(db);
}

std::string CSmCodeListDlg::GetParentCode(const std::string& code) {
  const size_t dash = code.rfind('-');
  return dash == std::string::npos ? std::string() : code.substr(0, dash);
}

int CSmCodeListDlg::GetClipboardRows(std::vector<std::string>& rows) {
  return m_list->GetSelectedTexts(rows);
}

std::string CSmCodeListDlg::SelectedCode() const {
  const int row = m_list->FirstSelected();
  return row < 0 ? std::string() : m_list->topLevelItem(row)->text(0).toStdString();
}

bool CSmCodeListDlg::SelectCode(const std::string& code) {
  m_list->clearSelection();
  return m_list->FindText(code, false) >= 0;
}

void CSmCodeListDlg::SelectRow(int row) {
  m_list->clearSelection();
  QTreeWidgetItem* item = m_list->topLevelItem(row);
  if (!item) return;
  m_list->scrollToItem(item);
  m_list->setCurrentItem(item);
  item->setSelected(true);
}

void CSmCodeListDlg::OnInitDialog() {
  CSmWaitWnd wait;
  CSmAppDlg::OnInitDialog();
  OnInitBegin();
  m_list->Initialize();
  m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  m_list->setAllColumnsShowFocus(true);
  SetupColumns();
  std::string select;
  if (m_current.empty() || !CodeExists(m_current)) {
    m_current.clear();
  } else if (!(m_pickMode == 1 && !IsLowestLevel(m_current))) {
    select = m_current;
    m_current = GetParentCode(m_current);
  }
  FillList();
  if (select.empty() || !SelectCode(select)) SelectRow(0);
  OnInitEnd();
  m_list->setFocus();
}

bool CSmCodeListDlg::IsListCommandEnabled(unsigned id) {
  const int selected = static_cast<int>(m_list->selectedItems().size());
  bool available = true;
  switch (id) {
    case SM_ID_LIST_OPEN:
    case SM_ID_LIST_DELETE:
      available = selected > 0;
      break;
    case SM_ID_LIST_MODIFY:
      available = selected == 1;
      break;
    case SM_ID_GO_BACK:
      available = !m_current.empty();
      break;
    case SM_ID_GO_FORWARD:
      available = selected == 1 && CanGoDown(SelectedCode());
      break;
    default:
      break;
  }
  return available && IsCommandEnabled(id);
}

void CSmCodeListDlg::OnOK() {
  if (OnExtraCommand(SM_ID_LIST_OPEN)) OnOpen();
}

void CSmCodeListDlg::OnBack() {
  const std::string old = m_current;
  m_current = GetParentCode(old);
  if (m_current == old) return;
  FillList();
  SelectCode(old);
}

void CSmCodeListDlg::OnForward() {
  const std::string code = SelectedCode();
  if (code.empty()) return;
  m_current = code;
  FillList();
  SelectRow(0);
}

void CSmCodeListDlg::OnOpen() {
  const std::string code = SelectedCode();
  if (code.empty()) return;
  if (m_pickMode >= 2 || (m_pickMode == 1 && IsLowestLevel(code))) {
    m_current = code;
    Pick();
    return;
  }
  if (CanGoDown(code)) m_list->OnCommand(SM_ID_GO_FORWARD);
}

void CSmCodeListDlg::OnAdd() {
  std::string code = SelectedCode();
  while (EditCode(code, true)) {
    FillList();
    SelectCode(code);
  }
}

void CSmCodeListDlg::OnModify() {
  std::string code = SelectedCode();
  if (code.empty() || !EditCode(code, false)) return;
  FillList();
  SelectCode(code);
}

void CSmCodeListDlg::OnDelete() {
  std::vector<std::string> codes;
  if (m_list->GetSelectedTexts(codes) == 0) return;
  if (SmMessageBox("真的要删除吗？", SM_MB_YESNO | SM_MB_ICONQUESTION) != SM_IDYES) return;
  const int firstRow = m_list->FirstSelected();
  const size_t before = codes.size();
  for (size_t k = codes.size(); k-- > 0;) {
    if (!CanDelete(codes[k])) continue;
    DeleteCode(codes[k]);
    codes.erase(codes.begin() + static_cast<std::ptrdiff_t>(k));
  }
  if (codes.size() == before) return;
  FillList();
  m_list->clearSelection();
  if (!codes.empty()) {
    m_list->SelectTexts(codes);
    return;
  }
  if (m_list->RowCount() > 0) {
    SelectRow(std::min(firstRow, m_list->RowCount() - 1));
    return;
  }
  if (!m_current.empty()) OnBack();
}

bool CSmCodeListDlg::CheckCut(const std::string& oldCode, const std::string& newCode,
                              const std::string& targetParent) {
  const std::string subtree = oldCode + m_separator;
  const bool allowed = newCode != oldCode && targetParent != oldCode &&
                       targetParent.compare(0, subtree.size(), subtree) != 0;
  if (!allowed) SmMessageBox("不能剪切：" + oldCode, SM_MB_ICONERROR);
  return allowed;
}

void CSmCodeListDlg::Paste(std::vector<std::string> rows, bool cut, bool sameDatabase,
                           CSmDatabase& source) {
  // Rows of this data file are read through the dialog's own connection.
  CSmDatabase* from = sameDatabase ? m_db : &source;
  if (rows.empty() || !OnExtraCommand(SM_ID_EDIT_PASTE) || !from || !from->IsOpen()) return;
  cut = cut && sameDatabase;
  const std::string sourceParent = GetParentCode(rows.front());
  const std::string target = m_current;
  if (IsLowestLevel(target) && IsCodeReferenced(target)) {
    SmMessageBox("该项为最低级且已被引用，不能在此粘贴！", SM_MB_ICONERROR);
    return;
  }
  CSmProgressDlg progress;
  progress.Create(static_cast<int>(rows.size()), this);
  progress.Show();
  const size_t strip = sourceParent.size() + (sourceParent.empty() ? 0 : m_separator.size());
  std::vector<std::string> pasted;
  for (const std::string& oldCode : rows) {
    progress.Step();
    const std::string own = MakePastedCode(target, oldCode.substr(std::min(strip, oldCode.size())));
    if (own.empty()) continue;
    std::string newCode = target + (target.empty() ? "" : m_separator) + own;
    if (cut && CheckCutTarget() && !CheckCut(oldCode, newCode, target)) continue;
    if (CopyOrMoveCode(from, oldCode, newCode, cut)) pasted.push_back(newCode);
  }
  progress.Hide();
  if (pasted.empty()) return;
  FillList();
  m_list->clearSelection();
  m_list->SelectTexts(pasted);
}
