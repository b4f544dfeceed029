#include "admin/SmBizMonthDlg.h"

#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <algorithm>

#include "app/SmApp.h"
#include "app/SmOpLog.h"
#include "core/SmDatabase.h"
#include "core/SmDate.h"
#include "core/SmString.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "ui/SmEdit.h"
#include "ui/SmMenuCommands.h"

namespace {

constexpr int kLogCode = 7;
constexpr const char* kWord = "业务";

bool IsEightDigits(const std::string& text) {
  return text.size() == 8 &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool YearAllowed(int row, int year, int businessYear) {
  if (row == 0) return year == businessYear - 1 || year == businessYear;
  if (row == 12) return year == businessYear || year == businessYear + 1;
  return year == businessYear;
}

}  // namespace

// ---------------------------------------------------------------- the list

CSmBizMonthList::CSmBizMonthList(CSmBizMonthDlg* dlg, QWidget* parent)
    : CSmListCtrl(parent), m_dlg(dlg) {}

void CSmBizMonthList::FillList() {
  m_months.Load(Database());
  const QSignalBlocker quiet(this);
  clear();
  const size_t shown = std::min<size_t>(m_months.size(), 13);
  for (size_t i = 0; i < shown; ++i) AddRow({m_months[i].sName, m_months[i].sValue}, 0);
}

const CSmDateRecord* CSmBizMonthList::FindMonth(int month) const {
  for (const CSmDateRecord& record : m_months) {
    if (record.nMonth == month) return &record;
  }
  return nullptr;
}

std::string CSmBizMonthList::CheckValue(int row, const std::string& text) const {
  const int year = std::stoi(text.substr(0, 4));
  const int month = std::stoi(text.substr(4, 2));
  const int day = std::stoi(text.substr(6, 2));
  if (!YearAllowed(row, year, m_year)) return "所设置的年份无效!";
  const int days = DaysInMonth(year, month);
  if (days < 0) return "设置无效\n月份应为01～12!";
  if (day < 1 || day > days)
    return FormatStr("设置无效\n%d年%d月份的有效时期范围是1日～%d日", year, month, days);
  const int number = m_months[row].nMonth;
  if (number == 13) {
    const CSmDateRecord* last = FindMonth(12);
    if (last && text <= last->sValue) return "设置无效\n12月结束日已小于或等于12月份起始日!";
    return {};
  }
  const size_t next = static_cast<size_t>(row) + 1;
  if (next < m_months.size() && text >= m_months[next].sValue) {
    return number == 12 ? "设置无效\n12月份起始日已大于或等于所设置的年终日!"
                        : "设置无效\n本月份起始日已大于或等于所设置的下月起始!";
  }
  return {};
}

bool CSmBizMonthList::SetMonthValue(int row, const std::string& text) {
  if (row < 0 || row > 13 || static_cast<size_t>(row) >= m_months.size()) return false;
  if (!IsEightDigits(text)) {
    SmMessageBox("设置无效,时期应为8位数字!", SM_MB_OK | SM_MB_ICONWARNING);
    return false;
  }
  CSmDateRecord& record = m_months[row];
  if (text == record.sValue) return false;
  if (const std::string refusal = CheckValue(row, text); !refusal.empty()) {
    SmMessageBox(refusal, SM_MB_OK | SM_MB_ICONWARNING);
    return false;
  }
  const std::string old = record.sValue;
  if (!m_dlg->OnMonthChanging(record.nMonth, text, old)) return false;
  CSmOpLog(kLogCode, FormatStr("修改业务月%s为：%s", old.c_str(), text.c_str()));
  record.sValue = text;
  if (QTreeWidgetItem* item = topLevelItem(row)) item->setText(1, QString::fromStdString(text));
  return true;
}

void CSmBizMonthList::CustomizeContextMenu(QMenu* popup) {
  // The first separator goes with the commands above it.
  for (QAction* action : popup->actions()) {
    if (!action->isSeparator()) continue;
    popup->removeAction(action);
    break;
  }
  SmRemoveMenuCommands(popup, {SM_ID_LIST_ADD, SM_ID_LIST_OPEN, SM_ID_LIST_DELETE, SM_ID_EDIT_CUT,
                               SM_ID_EDIT_COPY, SM_ID_EDIT_PASTE});
}

bool CSmBizMonthList::IsCommandAvailable(unsigned id) {
  switch (id) {
    case SM_ID_LIST_OPEN:
    case SM_ID_LIST_MODIFY:
      return selectedItems().size() == 1;
    case SM_ID_LIST_ADD:
    case SM_ID_LIST_DELETE:
    case SM_ID_EDIT_CUT:
    case SM_ID_EDIT_COPY:
    case SM_ID_EDIT_PASTE:
      return false;
    default:
      return true;
  }
}

void CSmBizMonthList::Modify() {
  if (selectedItems().size() == 1) m_dlg->OnModify();
}

// ---------------------------------------------------------------- the dialog

CSmBizMonthDlg::CSmBizMonthDlg(CSmDatabase* db, int year, QWidget* parent)
    : CSmDlg(814, parent), m_db(db), m_year(year) {
  m_list = new CSmBizMonthList(this, this);
  m_list->setObjectName(QString::number(kMonthList));
  m_name = new QLabel(this);
  m_name->setObjectName(QString::number(kMonthName));
  m_edit = new CSmEdit(this);
  m_edit->setObjectName(QString::number(kDayEdit));
  m_edit->setMaxLength(8);
  m_confirm = AddButton(kConfirm, QStringLiteral("&S.确认"));

  auto* grid = new QGridLayout(this);
  grid->addWidget(m_list, 0, 0, 1, 3);
  grid->addWidget(m_name, 1, 0);
  grid->addWidget(m_edit, 1, 1);
  grid->addWidget(m_confirm, 1, 2);
  connect(m_list, &QTreeWidget::itemSelectionChanged, this, [this] { OnRowChanged(); });
  connect(m_edit, &QLineEdit::textEdited, this, [this] {
    if (!m_confirm->isEnabled()) m_confirm->setEnabled(true);
  });
}

void CSmBizMonthDlg::OnInitDialog() {
  CSmDlg::OnInitDialog();
  setWindowTitle(QString::fromUtf8(std::string("设置") + kWord + "月"));
  SetEditing(false);
  m_list->SetDatabase(m_db);
  m_list->SetYear(m_year);
  m_list->Initialize();
  m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  m_list->setAllColumnsShowFocus(true);
  m_list->SetColumns({150, 100}, {std::string(kWord) + "月", " 年 月日"});
  m_list->FillList();
  const int rows = m_list->RowCount();
  if (rows != 13) {
    const bool restore = rows == 0 || SmMessageBox("警告：\n\n\t月份参数已被破坏，是否恢复默认值?",
                                                   SM_MB_YESNO | SM_MB_ICONQUESTION) == SM_IDYES;
    if (restore) {
      CSmDateArray::WriteDefaultBizMonths(m_db, m_year);
      m_list->FillList();
    }
  }
  if (QTreeWidgetItem* first = m_list->topLevelItem(0)) {
    m_list->setCurrentItem(first);
    m_list->scrollToItem(first);
  }
  m_list->setFocus();
}

void CSmBizMonthDlg::SetEditing(bool on) {
  m_edit->setEnabled(on);
  m_confirm->setEnabled(on);
}

void CSmBizMonthDlg::OnRowChanged() {
  const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
  if (selected.isEmpty()) return;
  m_row = m_list->indexOfTopLevelItem(selected.front());
  const CSmDateRecord& record = m_list->Months()[m_row];
  m_name->setText(QString::fromStdString(record.sName));
  m_edit->setText(QString::fromStdString(record.sValue));
  if (m_edit->isEnabled()) SetEditing(false);
}

void CSmBizMonthDlg::OnModify() {
  m_edit->setEnabled(true);
  m_edit->setFocus();
  const int length = m_edit->text().size();
  m_edit->setSelection(std::max(0, length - 2), std::min(2, length));
}

void CSmBizMonthDlg::OnConfirm() {
  if (m_list->SetMonthValue(m_row, m_edit->text().toStdString())) SetEditing(false);
}

bool CSmBizMonthDlg::OnCommand(unsigned id) {
  if (id == kConfirm) {
    OnConfirm();
    return true;
  }
  return CSmDlg::OnCommand(id);
}

void CSmBizMonthDlg::OnOK() {
  if (m_edit->isEnabled()) OnConfirm();
}

bool CSmBizMonthDlg::OnMonthChanging(int month, const std::string& newValue,
                                     const std::string& oldValue) {
  CSmApp* app = SmGetApp();
  if (app && !app->CanChangeBizMonth(month, newValue, oldValue)) return false;
  const std::string sql =
      FormatStr("Update SysCsTab Set CsVal='%s' Where CS=4 And Csn=%d", newValue.c_str(), month);
  if (!m_db || !m_db->ExecuteSQL(sql)) return false;
  if (app) app->OnBizMonthChanged(month, newValue, oldValue);
  return true;
}
