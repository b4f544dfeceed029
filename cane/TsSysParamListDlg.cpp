#include "cane/TsSysParamListDlg.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "cane/TsDataType.h"
#include "cane/TsParams.h"
#include "cane/TsSysParamEditDlg.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "ui/SmColumnFit.h"
#include "ui/SmMenuCommands.h"

// ---------------------------------------------------------------- the list

CTsSysParamList::CTsSysParamList(CTsSysParamListDlg* dlg, QWidget* parent)
    : CSmListCtrl(parent), m_dlg(dlg) {}

void CTsSysParamList::CustomizeContextMenu(QMenu* popup) {
  SmRemoveMenuCommands(popup, {SM_ID_LIST_ADD, SM_ID_LIST_DELETE, SM_ID_EDIT_COPY, SM_ID_EDIT_CUT,
                               SM_ID_EDIT_PASTE, SM_ID_EDIT_SELECT_ALL});
}

bool CTsSysParamList::IsCommandAvailable(unsigned id) {
  return !IsOneOf(static_cast<int>(id), {SM_ID_LIST_ADD, SM_ID_LIST_DELETE, SM_ID_EDIT_COPY,
                                         SM_ID_EDIT_CUT, SM_ID_EDIT_PASTE});
}

void CTsSysParamList::Modify() {
  m_dlg->ModifyParam();
}

// ---------------------------------------------------------------- the dialog

CTsSysParamListDlg::CTsSysParamListDlg(QWidget* parent) : CSmAppDlg(950, nullptr, parent) {
  setWindowTitle(QStringLiteral("系统参数表"));
  m_list = new CTsSysParamList(this, this);
  m_list->setObjectName("1000");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_list);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(AddButton(SM_ID_OK, QStringLiteral("&M.修改")));
  buttons->addWidget(AddButton(SM_ID_CANCEL, QStringLiteral("&X.关闭")));
  layout->addLayout(buttons);
  resize(620, 480);
}

void CTsSysParamListDlg::OnInitDialog() {
  CSmAppDlg::OnInitDialog();
  m_list->Initialize();
  m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  m_list->setAllColumnsShowFocus(true);
  m_list->SetColumns({250, 320}, {"参数名", "参数值"});
  FillList();
  SelectRow(0);
}

void CTsSysParamListDlg::FillList() {
  CTsDataType* type = TsGetDataType();
  if (!type) return;
  type->SetDefaultParams();
  type->LoadParams();
  CSmStringList intNames, numberNames, textNames;
  type->GetParamNames(intNames, numberNames, textNames);
  const QSignalBlocker quiet(m_list);
  m_list->clear();
  for (size_t i = 0; i < intNames.size(); ++i)
    m_list->AddRow({intNames[i], FormatStr("%d", type->m_intParams[i])});
  for (size_t i = 0; i < numberNames.size(); ++i)
    m_list->AddRow({numberNames[i], FormatNumber(type->m_dblParams[i], 0, 0, 6, true)});
  for (size_t i = 0; i < textNames.size(); ++i)
    m_list->AddRow({textNames[i], type->m_strParams[i]});
  SmWidenColumnsToContents(m_list, {0, 1});
  m_list->m_intCount = static_cast<int>(intNames.size());
  m_list->m_dblCount = static_cast<int>(numberNames.size());
}

void CTsSysParamListDlg::ModifyParam() {
  const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
  CTsDataType* type = TsGetDataType();
  if (selected.size() != 1 || !type) return;
  type->SetDefaultParams();
  type->LoadParams();
  const int row = m_list->indexOfTopLevelItem(selected.front());
  const int ints = m_list->m_intCount;
  const int numbers = m_list->m_dblCount;
  const int kind = row >= ints + numbers ? 2 : row >= ints ? 1 : 0;
  const int number = row - (kind > 0 ? ints : 0) - (kind > 1 ? numbers : 0);
  const std::string value = kind == 0   ? FormatStr("%d", TsGetIntParam(number))
                            : kind == 1 ? FormatNumber(TsGetDblParam(number), 0, 0, 6, true)
                                        : TsGetStrParam(number);
  CTsSysParamEditDlg edit(kind, number, selected.front()->text(0).toStdString(), value, this);
  if (edit.DoModal() != SM_IDOK) return;
  FillList();
  SelectRow(row);
}

void CTsSysParamListDlg::SelectRow(int row) {
  QTreeWidgetItem* item = m_list->topLevelItem(row);
  if (!item) return;
  m_list->clearSelection();
  m_list->setCurrentItem(item);
  item->setSelected(true);
  m_list->scrollToItem(item);
  m_list->setFocus();
}
