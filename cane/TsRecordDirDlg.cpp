#include "cane/TsRecordDirDlg.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/SmApp.h"
#include "app/SmOpLog.h"
#include "core/SmString.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "ui/SmMenuCommands.h"

namespace {

constexpr int kCaneModule = 16;
constexpr int kListId = 1056;

}  // namespace

// ---------------------------------------------------------------- the list

CTsRecordList::CTsRecordList(CTsRecordDirDlg* dlg, QWidget* parent)
    : CSmListCtrl(parent), m_dlg(dlg) {}

bool CTsRecordList::OnCommand(unsigned id) {
  return m_dlg->OnExtraCommand(id) || CSmListCtrl::OnCommand(id);
}

void CTsRecordList::CustomizeContextMenu(QMenu* popup) {
  QAction* cut = nullptr;
  for (QAction* action : popup->actions()) {
    if (action->data().toUInt() == SM_ID_EDIT_CUT) cut = action;
  }
  m_dlg->AddMenuItems(popup, cut);
  SmRemoveMenuCommands(popup,
                       {SM_ID_EDIT_CUT, SM_ID_EDIT_COPY, SM_ID_EDIT_PASTE, SM_ID_EDIT_SELECT_ALL});
}

bool CTsRecordList::IsCommandAvailable(unsigned id) {
  return m_dlg->IsCommandAvailable(id);
}

Qt::Alignment CTsRecordList::GetColumnFormat(int column) {
  return m_dlg->GetColumnFormat(column);
}

std::vector<unsigned> CTsRecordList::GetIconIds() {
  return {m_dlg->GetIconId()};
}

void CTsRecordList::Add() {
  m_dlg->OnAdd();
}

void CTsRecordList::Open() {
  m_dlg->OnOpen();
}

void CTsRecordList::Modify() {
  m_dlg->OnModify();
}

void CTsRecordList::Delete() {
  m_dlg->OnDelete();
}

// ---------------------------------------------------------------- the dialog

CTsRecordDirDlg::CTsRecordDirDlg(unsigned templateId, bool picker, CSmDatabase* db,
                                 const std::string& code, const char* right, int logCode,
                                 QWidget* parent)
    : CSmDlg(templateId, parent),
      m_picker(picker),
      m_db(db),
      m_start(code),
      m_right(right),
      m_logCode(logCode),
      m_list(new CTsRecordList(this, this)) {
  setObjectName(QString::number(templateId));
  m_list->setObjectName(QString::number(kListId));
  m_list->SetDatabase(db);
  auto* page = new QVBoxLayout(this);
  page->addWidget(m_list);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(AddButton(SM_ID_OK, QStringLiteral("&O.确定")));
  buttons->addWidget(AddButton(SM_ID_CANCEL, QStringLiteral("&X.关闭")));
  page->addLayout(buttons);
  resize(760, 420);
}

bool CTsRecordDirDlg::CanMaintain() const {
  return HasSmRight(kCaneModule, m_right);
}

std::string CTsRecordDirDlg::SelectedCode() const {
  const int row = m_list->FirstSelected();
  return row < 0 ? std::string() : m_list->topLevelItem(row)->text(0).toStdString();
}

void CTsRecordDirDlg::SelectCode(const std::string& code) {
  m_list->clearSelection();
  const int row = m_list->FindText(code, false);
  if (row >= 0) m_list->setCurrentItem(m_list->topLevelItem(row));
}

void CTsRecordDirDlg::OnInitDialog() {
  CSmDlg::OnInitDialog();
  m_list->Initialize();
  m_list->setAllColumnsShowFocus(true);
  SetupColumns();
  FillList();
  SelectCode(m_start);
  m_list->setFocus();
}

bool CTsRecordDirDlg::IsCommandAvailable(unsigned id) {
  const bool one = m_list->selectedItems().size() == 1;
  switch (id) {
    case SM_ID_LIST_ADD:
      return CanMaintain();
    case SM_ID_LIST_OPEN:
      return m_picker || CanMaintain();
    case SM_ID_LIST_MODIFY:
    case SM_ID_LIST_DELETE:
      return one && CanMaintain();
    case SM_ID_EDIT_CUT:
    case SM_ID_EDIT_COPY:
    case SM_ID_EDIT_PASTE:
      return false;
    default:
      return true;
  }
}

void CTsRecordDirDlg::OnAdd() {
  if (!CanMaintain()) return;
  std::string code = SelectedCode();
  while (RunCard(code, true)) {
    FillList();
    SelectCode(code);
  }
}

void CTsRecordDirDlg::OnOpen() {
  if (m_picker) {
    OnOK();
  } else {
    OnModify();
  }
}

void CTsRecordDirDlg::OnModify() {
  if (m_list->selectedItems().size() != 1 || !CanMaintain()) return;
  std::string code = SelectedCode();
  if (!RunCard(code, false)) return;
  FillList();
  SelectCode(code);
}

void CTsRecordDirDlg::OnDelete() {
  if (m_list->selectedItems().size() != 1 || !CanMaintain()) return;
  const std::string code = SelectedCode();
  const int row = m_list->FirstSelected();
  if (!DeleteRecord(code)) {
    SmMessageBox(DeleteRefusal(), SM_MB_ICONERROR);
    return;
  }
  FillList();
  const int rows = m_list->RowCount();
  if (rows > 0)
    SelectCode(m_list->topLevelItem(row < rows ? row : rows - 1)->text(0).toStdString());
  CSmOpLog(m_logCode, FormatStr("删除：%s", code.c_str()));
}

void CTsRecordDirDlg::OnOK() {
  if (!m_picker) {
    OnModify();
    return;
  }
  if (m_list->selectedItems().size() != 1 || !LoadPicked(SelectedCode())) return;
  EndOK();
}
