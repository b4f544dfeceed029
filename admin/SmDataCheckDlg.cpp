#include "admin/SmDataCheckDlg.h"

#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

#include "app/SmApp.h"
#include "app/SmOpLog.h"
#include "app/SmVar.h"
#include "app/SmVarDlg.h"
#include "core/SmCsRecord.h"
#include "core/SmDatabase.h"
#include "core/SmString.h"
#include "designer/CaculateChild.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "ui/SmEdit.h"
#include "ui/SmFieldFocus.h"
#include "ui/SmMenuCommands.h"
#include "ui/SmWaitWnd.h"

namespace {

constexpr long kGroup = 9005;
constexpr int kLogCode = 25;
constexpr int kListId = 1068;
constexpr int kMonthId = 1072;
constexpr int kVariablesId = 1069;
constexpr int kTextLimit = 200;

long MaxNumber(CSmDatabase* db) {
  return db->QueryCountInt(FormatStr("max(CsN) From SysCsTab Where Cs=%ld", kGroup));
}

bool SubjectExists(CSmDatabase* db, long number) {
  return db->QueryCountInt(
             FormatStr("Count(*) From SysCsTab Where Cs=%ld And CsN=%ld", kGroup, number)) > 0;
}

bool InsertSubject(CSmDatabase* db, long number, const std::string& subject,
                   const std::string& formula) {
  return db->ExecuteSQL(FormatStr(
      "Insert Into SysCsTab(Cs,CsN,CsNa,CsVal) Values(%ld,%ld,'%s','%s')", kGroup, number,
      db->SqlText(subject, kTextLimit).c_str(), db->SqlText(formula, kTextLimit).c_str()));
}

// Whether the formula names the variable: its name not followed by a letter or digit.
bool UsesVariable(const std::string& formula, const std::string& name) {
  const std::string text = MakeUpperCopy(formula);
  const std::string wanted = MakeUpperCopy(name);
  for (size_t at = text.find(wanted); at != std::string::npos; at = text.find(wanted, at + 1)) {
    const size_t end = at + wanted.size();
    if (end == text.size() || !std::isalnum(static_cast<unsigned char>(text[end]))) return true;
  }
  return false;
}

// Why a formula failed: the first variable it names that fails on its own, with that
// variable's reason, else the evaluator's message about the formula.
std::string FailureReason(CCaculateChild& calc, const std::string& formula) {
  int code = 0;
  int position = 0;
  std::string message;
  calc.GetErrorInfo(code, message, position);
  for (int i = 0; i < calc.m_vars.GetSize(); ++i) {
    const std::string name = calc.m_vars.GetAt(i).m_name;
    if (!UsesVariable(formula, name)) continue;
    std::string result;
    int type = 0;
    if (calc.Evaluate(name, result, type)) continue;
    std::string why;
    calc.GetErrorInfo(code, why, position);
    return "变量" + name + "：" + why;
  }
  return message.empty() ? std::string("公式不能计算！") : message;
}

// The state's picture: none before a check, then error, passed and failed.
QIcon StateIcon(int state) {
  QStyle* style = QApplication::style();
  switch (state) {
    case SM_CHECK_ERROR:
      return style->standardIcon(QStyle::SP_MessageBoxWarning);
    case SM_CHECK_PASSED:
      return style->standardIcon(QStyle::SP_DialogApplyButton);
    case SM_CHECK_FAILED:
      return style->standardIcon(QStyle::SP_MessageBoxCritical);
    default:
      return {};
  }
}

}  // namespace

// ---------------------------------------------------------------- the list

CSmCheckSubjectList::CSmCheckSubjectList(CSmDataCheckDlg* dlg, QWidget* parent)
    : CSmListCtrl(parent), m_dlg(dlg) {}

bool CSmCheckSubjectList::HasRight(const char* code) const {
  return m_dlg->App().HasRightCode(code);
}

long CSmCheckSubjectList::NumberOfRow(int row) const {
  const QTreeWidgetItem* item = topLevelItem(row);
  return item ? std::atol(item->text(0).toStdString().c_str()) : 0;
}

std::vector<int> CSmCheckSubjectList::SelectedRows() const {
  std::vector<int> rows;
  for (int i = 0; i < RowCount(); ++i)
    if (topLevelItem(i)->isSelected()) rows.push_back(i);
  return rows;
}

void CSmCheckSubjectList::SelectNumbers(const std::vector<long>& numbers) {
  clearSelection();
  for (int i = 0; i < RowCount(); ++i) {
    if (std::find(numbers.begin(), numbers.end(), NumberOfRow(i)) == numbers.end()) continue;
    topLevelItem(i)->setSelected(true);
    setCurrentItem(topLevelItem(i), 0, QItemSelectionModel::NoUpdate);
    scrollToItem(topLevelItem(i));
  }
}

void CSmCheckSubjectList::Refill(bool keepSelection) {
  std::vector<long> selected;
  if (keepSelection)
    for (int row : SelectedRows()) selected.push_back(NumberOfRow(row));
  CSmCsRecordArray subjects;
  CSmCsRecord(Database()).LoadGroup(kGroup, &subjects);
  std::vector<int> states;
  std::vector<long> numbers;
  std::vector<std::string> reasons;
  const QSignalBlocker quiet(this);
  clear();
  for (const CSmCsRecord& subject : subjects) {
    const int state = m_dlg->StateOf(subject.CsN);
    const std::string reason = m_dlg->ReasonOf(subject.CsN);
    AddRow({FormatStr("%ld", subject.CsN), subject.CsNa, subject.CsVal, reason});
    QTreeWidgetItem* item = topLevelItem(RowCount() - 1);
    item->setIcon(0, StateIcon(state));
    // The reason column lies beyond the formula: anywhere on the row shows it.
    for (int column = 0; column < columnCount(); ++column)
      item->setToolTip(column, QString::fromStdString(reason));
    states.push_back(state);
    numbers.push_back(subject.CsN);
    reasons.push_back(reason);
  }
  m_dlg->m_states = states;
  m_dlg->m_numbers = numbers;
  m_dlg->m_reasons = reasons;
  if (keepSelection) SelectNumbers(selected);
}

void CSmCheckSubjectList::CustomizeContextMenu(QMenu* popup) {
  SmRemoveMenuCommands(popup, {SM_ID_EDIT_CUT});
  for (QAction* action : popup->actions()) {
    if (action->data().toUInt() == SM_ID_LIST_OPEN) action->setText(QStringLiteral("检测"));
  }
}

bool CSmCheckSubjectList::IsCommandAvailable(unsigned id) {
  const bool one = SelectedRows().size() == 1;
  switch (id) {
    case SM_ID_LIST_ADD:
      return HasRight("0004");
    case SM_ID_LIST_OPEN:
      return HasRight("0003");
    case SM_ID_LIST_MODIFY:
    case SM_ID_LIST_DELETE:
      return one && HasRight("0004");
    case SM_ID_EDIT_CUT:
      return false;
    case SM_ID_EDIT_PASTE:
      return HasRight("0004");
    default:
      return true;
  }
}

bool CSmCheckSubjectList::IsCommandEnabled(unsigned id) {
  if (id == SM_ID_LIST_OPEN) return IsCommandAvailable(id);
  return CSmListCtrl::IsCommandEnabled(id);
}

int CSmCheckSubjectList::GetClipboardRows(std::vector<std::string>& rows) const {
  rows.clear();
  for (int row : SelectedRows()) {
    rows.push_back(topLevelItem(row)->text(1).toStdString());
    rows.push_back(topLevelItem(row)->text(2).toStdString());
  }
  return static_cast<int>(rows.size());
}

void CSmCheckSubjectList::InsertPastedRows(const std::vector<std::string>& rows, bool /*cut*/,
                                           bool /*sameSource*/, CSmDatabase& /*source*/) {
  CSmDatabase* db = Database();
  if (!db || rows.empty() || rows.size() % 2 != 0) return;
  long number = MaxNumber(db);
  std::vector<long> added;
  for (size_t i = 0; i + 1 < rows.size(); i += 2) {
    ++number;
    if (!InsertSubject(db, number, rows[i], rows[i + 1])) break;
    CSmOpLog(kLogCode,
             FormatStr("粘贴主题：%ld(%s)%s", number, rows[i].c_str(), rows[i + 1].c_str()));
    added.push_back(number);
  }
  Refill(false);
  SelectNumbers(added);
}

void CSmCheckSubjectList::Add() {
  while (true) {
    CSmCheckSubjectDlg dlg(true, 0, Database(), this);
    if (dlg.DoModal() != SM_IDOK) return;
    Refill(false);
    SelectNumbers({dlg.Number()});
  }
}

void CSmCheckSubjectList::Open() {
  m_dlg->RunCheck();
}

void CSmCheckSubjectList::Modify() {
  const std::vector<int> rows = SelectedRows();
  if (rows.empty()) return;
  CSmCheckSubjectDlg dlg(false, NumberOfRow(rows.front()), Database(), this);
  if (dlg.DoModal() != SM_IDOK) return;
  Refill(false);
  SelectNumbers({dlg.Number()});
}

void CSmCheckSubjectList::Delete() {
  const std::vector<int> rows = SelectedRows();
  if (rows.size() != 1 || !Database()) return;
  if (SmMessageBox("真的以删除此主题吗？", SM_MB_YESNO | SM_MB_ICONQUESTION) != SM_IDYES) return;
  const int row = rows.front();
  const long number = NumberOfRow(row);
  const std::string subject = topLevelItem(row)->text(1).toStdString();
  const std::string formula = topLevelItem(row)->text(2).toStdString();
  if (!Database()->ExecuteSQL(
          FormatStr("Delete From SysCsTab Where Cs=%ld And CsN=%ld", kGroup, number)))
    return;
  Refill(false);
  if (RowCount() > 0) SelectNumbers({NumberOfRow(std::min(row, RowCount() - 1))});
  CSmOpLog(kLogCode, FormatStr("删除主题：%ld(%s)%s", number, subject.c_str(), formula.c_str()));
}

// ---------------------------------------------------------------- the dialog

CSmDataCheckDlg::CSmDataCheckDlg(CSmApp& app, QWidget* parent) : CSmDlg(797, parent), m_app(app) {
  setWindowTitle(QStringLiteral("数据关系检测..."));
  m_list = new CSmCheckSubjectList(this, this);
  m_list->setObjectName(QString::number(kListId));
  m_list->setMinimumSize(600, 260);
  m_month = new QComboBox(this);
  m_month->setObjectName(QString::number(kMonthId));
  auto* grid = new QGridLayout(this);
  grid->addWidget(m_list, 0, 0, 1, 6);
  grid->addWidget(new QLabel(QStringLiteral("月份："), this), 1, 0);
  grid->addWidget(m_month, 1, 1);
  grid->setColumnStretch(2, 1);
  grid->addWidget(AddButton(kVariablesId, QStringLiteral("&V.变量表")), 1, 3);
  grid->addWidget(AddButton(SM_IDOK, QStringLiteral("&S.检测")), 1, 4);
  grid->addWidget(AddButton(SM_IDCANCEL, QStringLiteral("&X.取消")), 1, 5);
}

CSmDatabase* CSmDataCheckDlg::Database() const {
  return m_app.GetDatabase();
}

void CSmDataCheckDlg::OnInitDialog() {
  CSmDlg::OnInitDialog();
  CSmDatabase* db = Database();
  if (db && db->QueryCountInt("Count(*) From SmVar Where nSoft=0") < 1) {
    CSmVarTable defaults;
    defaults.SetDefaults();
    defaults.SaveToDb(db);
  }
  m_list->SetDatabase(db);
  m_list->Initialize();
  m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  m_list->setAllColumnsShowFocus(true);
  m_list->SetColumns({60, 250, 400, 300}, {"序号", "主题", "公式", "出错原因"});
  m_list->Refill(false);
  for (int month = 1; month <= 12; ++month)
    m_month->addItem(QString::fromStdString(FormatStr("%-3d月", month)));
  m_month->setCurrentIndex(QDate::currentDate().month() - 1);
}

int CSmDataCheckDlg::StateOf(long number) const {
  for (size_t i = 0; i < m_numbers.size() && i < m_states.size(); ++i)
    if (m_numbers[i] == number) return m_states[i];
  return SM_CHECK_NONE;
}

std::string CSmDataCheckDlg::ReasonOf(long number) const {
  for (size_t i = 0; i < m_numbers.size() && i < m_reasons.size(); ++i)
    if (m_numbers[i] == number) return m_reasons[i];
  return {};
}

bool CSmDataCheckDlg::OnCommand(unsigned id) {
  if (id == kVariablesId) {
    OnVariables();
    return true;
  }
  return CSmDlg::OnCommand(id);
}

void CSmDataCheckDlg::EnableControls(bool on) {
  for (QPushButton* button : findChildren<QPushButton*>()) button->setEnabled(on);
  m_list->setEnabled(on);
  m_month->setEnabled(on);
}

bool CSmDataCheckDlg::RunCheck() {
  if (m_month->currentIndex() < 0) return SmRefuse("未选择月份！", m_month);
  if (m_list->RowCount() == 0) return SmRefuse("没有检测主题，请先新增主题！", m_list);
  CSmDatabase* db = Database();
  if (!db) return false;
  CCaculateChild calc;
  calc.SelectDatabase(db->GetFileName());
  calc.m_vars.m_nSoft = 0;
  calc.m_vars.m_nNo = 0;
  calc.m_vars.LoadFromDb(db);
  calc.m_bPreprocess = 1;
  calc.m_bGroupFilter = 0;
  calc.Prepare();

  EnableControls(false);
  {
    CSmWaitWnd wait;
    wait.Show();
    std::vector<int> rows = m_list->SelectedRows();
    if (rows.empty())
      for (int row = 0; row < m_list->RowCount(); ++row) rows.push_back(row);
    m_reasons.resize(m_states.size());
    for (int row : rows) {
      double value = 0;
      const std::string formula = m_list->topLevelItem(row)->text(2).toStdString();
      int state = SM_CHECK_ERROR;
      std::string reason;
      if (calc.EvalDouble(formula, value)) {
        state = std::fabs(value) >= 0.1 ? SM_CHECK_FAILED : SM_CHECK_PASSED;
      } else {
        reason = FailureReason(calc, formula);
      }
      if (static_cast<size_t>(row) >= m_states.size()) continue;
      m_states[row] = state;
      m_reasons[row] = reason;
    }
  }
  EnableControls(true);
  m_list->Refill(true);
  CSmOpLog(kLogCode, "执行数据检测");
  return false;
}

void CSmDataCheckDlg::OnVariables() {
  CSmDatabase* db = Database();
  if (!db) return;
  CSmVarTable vars;
  vars.LoadFromDb(db);
  CSmVarDlg dlg(vars, this);
  if (dlg.DoModal() != SM_IDOK || dlg.m_result.IsEqual(vars)) return;
  CSmVarTable changed = dlg.m_result;
  changed.m_nSoft = 0;
  changed.m_nNo = 0;
  changed.SaveToDb(db);
}

// ---------------------------------------------------------------- one subject

CSmCheckSubjectDlg::CSmCheckSubjectDlg(bool adding, long number, CSmDatabase* db, QWidget* parent)
    : CSmPosDlg(798, nullptr, parent), m_adding(adding), m_number(number), m_db(db) {
  setWindowTitle(adding ? QStringLiteral("新增数据关系检测主题")
                        : QStringLiteral("修改数据关系检测主题"));
  const auto edit = [this](int id) {
    auto* e = new CSmEdit(this);
    e->setObjectName(QString::number(id));
    return e;
  };
  m_numberEdit = edit(kNumberEdit);
  m_numberEdit->SetInputType("STRING DIGIT", 4);
  m_subjectEdit = edit(kSubjectEdit);
  m_subjectEdit->SetInputType("MDBSTRING", kTextLimit);
  m_formulaEdit = edit(kFormulaEdit);
  m_formulaEdit->SetInputType("MDBSTRING", kTextLimit);
  m_formulaEdit->setMinimumWidth(420);
  auto* grid = new QGridLayout(this);
  // Each label's letter moves to its edit (one letter each, so that Alt reaches all three).
  auto label = [this](const char* text, QWidget* buddy) {
    auto* made = new QLabel(QString::fromUtf8(text), this);
    made->setBuddy(buddy);
    return made;
  };
  grid->addWidget(label("&H.序号：", m_numberEdit), 0, 0);
  grid->addWidget(m_numberEdit, 0, 1);
  grid->addWidget(label("&T.主题：", m_subjectEdit), 1, 0);
  grid->addWidget(m_subjectEdit, 1, 1, 1, 2);
  grid->addWidget(label("&F.公式：", m_formulaEdit), 2, 0);
  grid->addWidget(m_formulaEdit, 2, 1, 1, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(AddButton(SM_IDOK, QStringLiteral("&S.确认")));
  buttons->addWidget(AddButton(SM_IDCANCEL, QStringLiteral("&X.取消")));
  grid->addLayout(buttons, 3, 0, 1, 3);
  Load();
}

bool CSmCheckSubjectDlg::Load() {
  if (!m_db) return false;
  if (m_adding) {
    m_number = MaxNumber(m_db) + 1;
    m_numberEdit->setText(QString::number(m_number));
    return m_loaded = true;
  }
  CSmCsRecord subject(m_db);
  if (!subject.Load(kGroup, m_number)) return m_loaded = false;
  m_oldSubject = subject.CsNa;
  m_oldFormula = subject.CsVal;
  SetFields(std::to_string(m_number), m_oldSubject, m_oldFormula);
  return m_loaded = true;
}

void CSmCheckSubjectDlg::OnInitDialog() {
  CSmPosDlg::OnInitDialog();
  if (m_loaded) return;
  SmMessageBox("无此主题！", SM_MB_OK | SM_MB_ICONERROR);
  OnCancel();
}

void CSmCheckSubjectDlg::SetFields(const std::string& number, const std::string& subject,
                                   const std::string& formula) {
  m_numberEdit->setText(QString::fromStdString(number));
  m_subjectEdit->setText(QString::fromStdString(subject));
  m_formulaEdit->setText(QString::fromStdString(formula));
}

bool CSmCheckSubjectDlg::SaveSubject() {
  if (!m_db || !m_loaded) return false;
  const long number = std::atol(m_numberEdit->text().toStdString().c_str());
  const std::string subject = m_subjectEdit->text().toStdString();
  const std::string formula = m_formulaEdit->text().toStdString();
  if ((m_adding || number != m_number) && SubjectExists(m_db, number))
    return SmRefuse("此序号的主题已存在！", m_numberEdit);
  // The old row goes and the new one comes together, or neither.
  const bool saved = SmRunInTransaction(m_db, [&] {
    if (!m_adding && !m_db->ExecuteSQL(FormatStr("Delete From SysCsTab Where Cs=%ld And CsN=%ld",
                                                 kGroup, m_number)))
      return false;
    return InsertSubject(m_db, number, subject, formula);
  });
  if (!saved) return false;
  if (m_adding) {
    CSmOpLog(kLogCode, FormatStr("增加主题：%ld(%s)%s", number, subject.c_str(), formula.c_str()));
  } else {
    CSmOpLog(kLogCode,
             FormatStr("修改主题：%ld(%s)%s ---> %ld(%s)%s", m_number, m_oldSubject.c_str(),
                       m_oldFormula.c_str(), number, subject.c_str(), formula.c_str()));
  }
  m_number = number;
  return true;
}
