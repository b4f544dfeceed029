#include "forms/SmLogQueryDlg.h"

#include <QComboBox>
#include <QDate>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdlib>
#include <unordered_set>

#include "app/SmApp.h"
#include "app/SmDataType.h"
#include "core/SmDatabase.h"
#include "core/SmDate.h"
#include "core/SmString.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "ui/SmWaitCursor.h"

namespace {

constexpr int kClearTasksCode = 11;

// A text from the user inside quotes of a statement.
std::string SqlTextOf(const CSmDatabase* db, const std::string& text) {
  return db ? db->SqlText(text) : ReplaceAll(text, "'", "''");
}

// "%s.%s.%s %s:%s:%s" of a stored time.
std::string StartText(const std::string& t) {
  auto part = [&t](size_t from, size_t count) {
    return from < t.size() ? t.substr(from, count) : std::string();
  };
  return part(0, 4) + "." + part(4, 2) + "." + part(6, 2) + " " + part(8, 2) + ":" + part(10, 2) +
         ":" + part(12, 2);
}

// The session numbers of a " %d " list.
std::unordered_set<int> ParseTaskNumbers(const std::string& list) {
  std::unordered_set<int> numbers;
  const char* at = list.c_str();
  char* end = nullptr;
  for (long n = std::strtol(at, &end, 10); end != at; n = std::strtol(at, &end, 10)) {
    numbers.insert(static_cast<int>(n));
    at = end;
  }
  return numbers;
}

}  // namespace

// ---------------------------------------------------------------- CSmLogTaskList

CSmLogTaskList::CSmLogTaskList(QWidget* parent) : CSmListCtrl(parent) {
  setObjectName(QString::number(CSmLogQueryDlg::kListId));
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setRootIsDecorated(false);
  setAllColumnsShowFocus(true);
  setStyleSheet("QTreeView::item { border-bottom: 1px solid #d0d0d0; }");  // grid lines
  SetDatabase(GetSmDatabase());
  Initialize();
  SetColumns({50, 170, 160, 150}, {"任务号", "开始时间", "机器名", "用户名"});
  connect(this, &QTreeWidget::itemDoubleClicked, this, [this] { Open(); });
}

std::string CSmLogTaskList::TaskCondition() const {
  CSmDatabase* db = GetSmDatabase();
  const bool wholeMonth = m_period.size() < 8 || m_period.substr(6, 2) == "  ";
  std::string where = wholeMonth
                          ? "Where Left(sT1,6)='" + SqlTextOf(db, m_period.substr(0, 6)) + "'"
                          : "Where Left(sT1,8)='" + SqlTextOf(db, m_period.substr(0, 8)) + "'";
  if (!m_computer.empty()) where += " And sComputer='" + SqlTextOf(db, m_computer) + "'";
  return where;
}

std::string CSmLogTaskList::LogCondition() const {
  CSmDatabase* db = GetSmDatabase();
  std::string condition;
  if (!m_operator.empty()) condition += " And sOp='" + SqlTextOf(db, m_operator) + "'";
  const int code = std::atoi(m_operation.c_str());
  if (!TrimChars(m_operation).empty()) {
    condition += FormatStr(" And nTaskID=%d", code);
  } else {
    const int module = std::atoi(m_module.c_str());
    condition += FormatStr(" And nTaskID>=%d And nTaskID<%d", module * 100, (module + 1) * 100);
  }
  return "Where " + condition.substr(5);
}

void CSmLogTaskList::Refill() {
  const CSmWaitCursor busy;
  clear();
  CSmDatabase* db = GetSmDatabase();
  CSmOpLogArray tasks;
  CSmOpLog::QueryTasks(TaskCondition(), "Order By nTask", db, &tasks);
  std::unordered_set<int> withRows;
  if (m_useLogRows) {
    CSmLogRow::ListTaskNumbers(LogCondition(), m_taskNumbers, db);
    withRows = ParseTaskNumbers(m_taskNumbers);
  }
  for (const CSmOpLog& task : tasks) {
    if (m_useLogRows && !withRows.count(task.nTask)) continue;
    AddRow({std::to_string(task.nTask), StartText(task.sT1), task.sComputer, task.sUser}, 0);
  }
}

int CSmLogTaskList::TaskOfRow(int row) const {
  const QTreeWidgetItem* item = topLevelItem(row);
  return item ? item->text(0).toInt() : 0;
}

std::vector<int> CSmLogTaskList::Tasks() const {
  std::vector<int> tasks;
  for (int row = 0; row < RowCount(); ++row) tasks.push_back(TaskOfRow(row));
  return tasks;
}

std::vector<int> CSmLogTaskList::SelectedTasks() const {
  std::vector<int> tasks;
  for (int row = 0; row < RowCount(); ++row) {
    if (topLevelItem(row)->isSelected()) tasks.push_back(TaskOfRow(row));
  }
  return tasks;
}

void CSmLogTaskList::SelectTask(int task) {
  clearSelection();
  for (int row = 0; row < RowCount(); ++row) {
    if (TaskOfRow(row) != task) continue;
    QTreeWidgetItem* item = topLevelItem(row);
    setCurrentItem(item);
    item->setSelected(true);
    scrollToItem(item);
    return;
  }
}

void CSmLogTaskList::CustomizeContextMenu(QMenu* popup) {
  for (QAction* action : popup->actions()) {
    switch (action->data().toInt()) {
      case SM_ID_LIST_ADD:
      case SM_ID_LIST_MODIFY:
      case SM_ID_EDIT_CUT:
      case SM_ID_EDIT_COPY:
      case SM_ID_EDIT_PASTE:
        popup->removeAction(action);
        break;
      default:
        break;
    }
  }
}

bool CSmLogTaskList::IsCommandEnabled(unsigned id) {
  switch (id) {
    case SM_ID_LIST_ADD:
    case SM_ID_LIST_MODIFY:
    case SM_ID_EDIT_CUT:
    case SM_ID_EDIT_COPY:
    case SM_ID_EDIT_PASTE:
      return false;
    case SM_ID_LIST_OPEN:
      return selectedItems().size() == 1;
    case SM_ID_LIST_DELETE:
      return RowCount() > 0;
    default:
      return CSmListCtrl::IsCommandEnabled(id);
  }
}

void CSmLogTaskList::Open() {
  if (auto* dlg = qobject_cast<CSmDlg*>(window())) dlg->OnCommand(SM_ID_OK);
}

void CSmLogTaskList::Delete() {
  CSmDatabase* db = GetSmDatabase();
  CSmApp* app = SmGetApp();
  const int current = app ? app->m_opLog.nTask : 0;
  const int position = std::max(FirstSelected(), 0);
  bool keptCurrent = false;
  std::string deleted;
  {
    const CSmWaitCursor busy;
    for (int task : SelectedTasks()) {
      if (task == current) {
        keptCurrent = true;
        continue;
      }
      if (CSmOpLog::DeleteTask(task, db)) deleted += FormatStr("%d ", task);
    }
  }
  if (keptCurrent) {
    SmMessageBox("不能删除当前任务！", SM_MB_OK | SM_MB_ICONERROR);
    SelectTask(current);
  }
  if (deleted.empty()) return;
  Refill();
  if (RowCount() > 0) {
    QTreeWidgetItem* item = topLevelItem(std::min(position, RowCount() - 1));
    clearSelection();
    setCurrentItem(item);
    item->setSelected(true);
    scrollToItem(item);
  }
  CSmOpLog(kClearTasksCode, "清除任务：" + deleted);
}

// ---------------------------------------------------------------- CSmLogQueryDlg

CSmLogQueryDlg::CSmLogQueryDlg(const CSmOpLog& task, const std::string& period,
                               const std::string& computer, const std::string& op,
                               const std::string& operation, QWidget* parent)
    : CSmDlg(859, parent), m_list(new CSmLogTaskList(this)) {
  setWindowTitle("操作日志");
  m_list->m_task = task;
  m_list->m_period = period;
  m_list->m_period.resize(8, ' ');
  m_list->m_computer = computer;
  m_list->m_operator = op;
  m_list->m_operation = operation;
  m_list->m_module = std::to_string(std::atoi(operation.c_str()) / 100);

  auto* layout = new QVBoxLayout(this);
  auto* filters = new QGridLayout;
  auto label = [this](const char* text) { return new QLabel(QString::fromUtf8(text), this); };
  auto* date = new QHBoxLayout;
  m_year = AddCombo(kYearId);
  m_month = AddCombo(kMonthId);
  m_day = AddCombo(kDayId);
  date->addWidget(m_year);
  date->addWidget(label("年"));
  date->addWidget(m_month);
  date->addWidget(label("月"));
  date->addWidget(m_day);
  date->addWidget(label("日"));
  date->addStretch();
  filters->addLayout(date, 0, 0, 1, 4);
  m_computer = AddCombo(kComputerId);
  m_operator = AddCombo(kOperatorId);
  m_module = AddCombo(kModuleId);
  m_operation = AddCombo(kOperationId);
  filters->addWidget(label("机器名:"), 1, 0);
  filters->addWidget(m_computer, 1, 1);
  filters->addWidget(label("操 作 员："), 1, 2);
  filters->addWidget(m_operator, 1, 3);
  filters->addWidget(label("软件模块："), 2, 0);
  filters->addWidget(m_module, 2, 1);
  filters->addWidget(label("操作模块："), 2, 2);
  filters->addWidget(m_operation, 2, 3);
  filters->setColumnStretch(1, 1);
  filters->setColumnStretch(3, 1);
  layout->addLayout(filters);
  layout->addWidget(m_list, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(AddButton(SM_ID_OK, "打开(&S)"));
  buttons->addWidget(AddButton(SM_ID_CANCEL, "关闭(&X)"));
  layout->addLayout(buttons);
  SetDefaultButton(SM_ID_OK);
  resize(600, 440);
}

QComboBox* CSmLogQueryDlg::AddCombo(int id) {
  auto* combo = new QComboBox(this);
  combo->setObjectName(QString::number(id));
  combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  connect(combo, &QComboBox::activated, this, [this, combo, id](int index) {
    OnChoose(id, combo->itemText(index).toStdString());
    m_list->setFocus();
  });
  return combo;
}

void CSmLogQueryDlg::SelectText(QComboBox* combo, const std::string& text) {
  const int index = combo->findText(QString::fromStdString(text));
  combo->setCurrentIndex(index >= 0 ? index : 0);
}

void CSmLogQueryDlg::OnInitDialog() {
  FillYears();
  for (int month = 1; month <= 12; ++month) m_month->addItem(QString::asprintf("%02d", month));
  SelectText(m_month, m_list->m_period.substr(4, 2));
  FillDays();
  std::vector<std::string> names;
  FillLogComputerNames(&names, GetSmDatabase());
  m_computer->addItem(QString());
  for (const std::string& name : names) m_computer->addItem(QString::fromStdString(name));
  SelectText(m_computer, m_list->m_computer);
  FillLogOperationNames(&names, GetSmDatabase());
  m_operator->addItem(QString());
  for (const std::string& name : names) m_operator->addItem(QString::fromStdString(name));
  SelectText(m_operator, m_list->m_operator);
  FillModules();
  FillOperations();
  m_list->Refill();
  m_list->SelectTask(m_list->m_task.nTask);
  CSmDlg::OnInitDialog();
  m_list->setFocus();
}

void CSmLogQueryDlg::FillYears() {
  const int year = QDate::currentDate().year();
  for (int y = year - 20; y <= year + 9; ++y) m_year->addItem(QString::number(y));
  SelectText(m_year, m_list->m_period.substr(0, 4));
}

void CSmLogQueryDlg::FillDays() {
  std::string& period = m_list->m_period;
  const int last =
      DaysInMonth(std::atoi(period.substr(0, 4).c_str()), std::atoi(period.substr(4, 2).c_str()));
  if (std::atoi(period.substr(6, 2).c_str()) > last) period.replace(6, 2, "  ");
  m_day->clear();
  m_day->addItem(QString());
  for (int day = 1; day <= last; ++day) m_day->addItem(QString::asprintf("%02d", day));
  SelectText(m_day, TrimChars(period.substr(6, 2)));
}

void CSmLogQueryDlg::FillModules() {
  m_module->clear();
  m_module->addItem("0 公共事务");
  if (CSmApp* app = SmGetApp()) {
    for (const CSmDataType* type : app->m_dataTypes) {
      m_module->addItem(
          QString::fromStdString(FormatStr("%d %s", type->m_number, type->m_tabLabel.c_str())));
    }
  }
  for (int i = 0; i < m_module->count(); ++i) {
    if (LeftOfBlank(m_module->itemText(i).toStdString()) != m_list->m_module) continue;
    m_module->setCurrentIndex(i);
    return;
  }
}

void CSmLogQueryDlg::FillOperations() {
  m_operation->clear();
  m_operation->addItem(QString());
  const int module = std::atoi(m_list->m_module.c_str());
  std::vector<int> codes;
  CSmStringList names;
  CSmApp* app = SmGetApp();
  if (module == 0 && app) {
    app->GetLogTaskNames(codes, names);
  } else if (CSmDataType* type = app ? app->FindDataType(module) : nullptr) {
    type->GetItemNames(codes, names);
  }
  for (size_t i = 0; i < codes.size() && i < names.size(); ++i) {
    m_operation->addItem(
        QString::fromStdString(FormatStr("%d %s", module * 100 + codes[i], names[i].c_str())));
  }
  const int index = m_operation->findText(QString::fromStdString(m_list->m_operation));
  m_operation->setCurrentIndex(std::max(index, 0));
  if (index < 0) m_list->m_operation.clear();
}

void CSmLogQueryDlg::OnChoose(int id, const std::string& text) {
  CSmLogTaskList& list = *m_list;
  std::string& period = list.m_period;
  const bool useLogRows = list.m_useLogRows;
  switch (id) {
    case kYearId:
      period.replace(0, 4, text.substr(0, 4));
      FillDays();
      break;
    case kMonthId:
      period.replace(4, 2, text.substr(0, 2));
      FillDays();
      break;
    case kDayId:
      period.replace(6, 2, text.empty() ? "  " : text.substr(0, 2));
      break;
    case kComputerId:
      list.m_computer = text;
      break;
    case kOperatorId:
      list.m_operator = text;
      list.m_useLogRows = true;
      break;
    case kOperationId:
      list.m_operation = text;
      list.m_useLogRows = true;
      break;
    case kModuleId:
      list.m_module = LeftOfBlank(text);
      FillOperations();
      break;
    default:
      return;
  }
  list.Refill();
  list.m_useLogRows = useLogRows;
}

bool CSmLogQueryDlg::OnCommand(unsigned id) {
  if (id == SM_ID_LIST_OPEN) {
    OnOK();
    return true;
  }
  return CSmDlg::OnCommand(id);
}

bool CSmLogQueryDlg::ValidateAndSave() {
  const std::vector<int> selected = m_list->SelectedTasks();
  if (selected.size() != 1) return false;
  m_selected = selected.front();
  return true;
}
