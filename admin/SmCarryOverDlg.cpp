#include "admin/SmCarryOverDlg.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <algorithm>

#include "app/SmApp.h"
#include "app/SmOpLog.h"
#include "core/SmDatabase.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "res/SmResource.h"
#include "ui/SmMenuCommands.h"
#include "ui/SmWaitWnd.h"

namespace {

constexpr int kLogCode = 6;

QLabel* Static(QWidget* parent, int id, const QString& text = {}) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::number(id));
  return label;
}

}  // namespace

// ---------------------------------------------------------------- the list

CSmCarryOverList::CSmCarryOverList(CSmCarryOverDlg* dlg, QWidget* parent)
    : CSmListCtrl(parent), m_dlg(dlg) {}

void CSmCarryOverList::CustomizeContextMenu(QMenu* popup) {
  SmRemoveMenuCommands(popup, {SM_ID_LIST_ADD, SM_ID_LIST_MODIFY, SM_ID_LIST_DELETE, SM_ID_EDIT_CUT,
                               SM_ID_EDIT_COPY, SM_ID_EDIT_PASTE});
  for (QAction* action : popup->actions()) {
    if (action->data().toUInt() == SM_ID_LIST_OPEN) action->setText(QStringLiteral("结转"));
  }
}

bool CSmCarryOverList::IsCommandAvailable(unsigned id) {
  switch (id) {
    case SM_ID_LIST_ADD:
    case SM_ID_LIST_MODIFY:
    case SM_ID_LIST_DELETE:
    case SM_ID_EDIT_CUT:
    case SM_ID_EDIT_COPY:
    case SM_ID_EDIT_PASTE:
      return false;
    default:
      return true;
  }
}

void CSmCarryOverList::Open() {
  m_dlg->OnCarryOver();
}

// ---------------------------------------------------------------- the dialog

CSmCarryOverDlg::CSmCarryOverDlg(CSmApp& app, SmCarryOverSource source, QWidget* parent)
    : CSmPosDlg(809, &app, parent), m_app(app), m_source(std::move(source)) {
  setWindowTitle(QStringLiteral("年末转账"));
  m_list = new CSmCarryOverList(this, this);
  m_list->setObjectName(QString::number(kItemList));
  m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  m_progress = new QProgressBar(this);
  m_progress->setObjectName(QString::number(kProgress));
  m_progress->setTextVisible(false);
  m_unit = Static(this, kUnit);
  m_sourceYear = Static(this, kSourceYear);
  m_targetYear = Static(this, kTargetYear);
  m_status = Static(this, kStatus);
  m_arrow = Static(this, kArrow, QStringLiteral("==========>>"));
  m_run = AddButton(SM_ID_OK, QStringLiteral("结转(&S)"));
  QPushButton* close = AddButton(SM_ID_CANCEL, QStringLiteral("关闭(&X)"));

  auto* grid = new QGridLayout(this);
  grid->addWidget(m_unit, 0, 0, 1, 3);
  grid->addWidget(m_sourceYear, 1, 0);
  grid->addWidget(m_arrow, 1, 1);
  grid->addWidget(m_progress, 1, 1);
  grid->addWidget(m_targetYear, 1, 2);
  grid->addWidget(m_list, 2, 0, 1, 3);
  grid->addWidget(m_status, 3, 0, 1, 3);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(m_run);
  buttons->addWidget(close);
  grid->addLayout(buttons, 4, 0, 1, 3);
  m_progress->hide();
}

CSmCarryOverDlg::~CSmCarryOverDlg() = default;

void CSmCarryOverDlg::OnInitDialog() {
  CSmPosDlg::OnInitDialog();
  CSmEnvironment& env = m_app.m_env;
  m_unit->setText(QString::fromStdString(env.GetUnitName()));
  m_targetYear->setText(QString::number(env.GetYear()));
  m_sourceYear->setText(QString::fromStdString(m_source.yearText));
  m_list->SetDatabase(env.GetDatabase());
  m_list->Initialize();
  m_list->SetColumns({400}, {"结转项目"});
  FillList();
}

void CSmCarryOverDlg::FillList() {
  m_items.Load(m_app);
  CSmDatabase* target = m_app.m_env.GetDatabase();
  const QSignalBlocker quiet(m_list);
  m_list->clear();
  const QIcon icons[] = {SmLoadIcon(612), SmLoadIcon(613)};  // empty in the target, holding rows
  for (size_t i = 0; i < m_items.size(); ++i) {
    const bool empty = target && target->TablesAreEmpty(m_items.tables[i]);
    m_list->AddRow({m_items.captions[i]}, empty ? 0 : 1);
    QTreeWidgetItem* row = m_list->topLevelItem(m_list->RowCount() - 1);
    row->setIcon(0, icons[empty ? 0 : 1]);
    row->setToolTip(0, empty ? "本年度文件中尚无此项数据" : "本年度文件中已有此项数据");
  }
}

void CSmCarryOverDlg::ShowBusy(bool busy) {
  m_run->setEnabled(!busy);
  m_arrow->setVisible(!busy);
  m_progress->setVisible(busy);
}

void CSmCarryOverDlg::OnCarryOver() {
  std::vector<size_t> rows;
  for (int i = 0; i < m_list->RowCount(); ++i) {
    if (m_list->topLevelItem(i)->isSelected()) rows.push_back(static_cast<size_t>(i));
  }
  if (rows.empty()) {
    SmMessageBox("未选择结转项目！", SM_MB_OK | SM_MB_ICONWARNING);
    return;
  }
  CSmWaitWnd wait;
  wait.Show();
  ShowBusy(true);
  const SmCarryOverResult result =
      SmRunCarryOver(m_app, m_items, rows, m_source.env->GetDatabase(), m_app.m_env.GetDatabase(),
                     m_status, SM_MB_ICONINFORMATION, m_progress);
  FillList();
  m_status->clear();
  ShowBusy(false);
  wait.Hide();
  if (result == SmCarryOverResult::Done || result == SmCarryOverResult::Failed) {
    CSmOpLog(kLogCode, "转账：" + m_sourceYear->text().toStdString() + "到" +
                           m_targetYear->text().toStdString());
  }
}

bool CSmCarryOverDlg::OnCommand(unsigned id) {
  if (id == SM_ID_OK) {
    OnCarryOver();
    return true;
  }
  return CSmPosDlg::OnCommand(id);
}

void SmCarryOverCommand(CSmApp& app) {
  if (!app.m_env.GetDatabase()) return;
  SmCarryOverSource source =
      SmFindCarryOverSource(app.m_env, app.m_env.GetYear() - 1, app.GetDataFileExt());
  if (!source.env) {
    SmMessageBox("无最近十年内的年度数据文件，无法结转!", SM_MB_OK | SM_MB_ICONERROR);
    return;
  }
  CSmCarryOverDlg dlg(app, std::move(source), app.GetMainWnd());
  dlg.DoModal();
}
