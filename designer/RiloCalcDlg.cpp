#include "designer/RiloCalcDlg.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "core/SmNumber.h"
#include "core/SmString.h"
#include "designer/RiloDoc.h"
#include "ui/SmEdit.h"
#include "ui/SmInputSpec.h"
#include "ui/SmWaitCursor.h"

namespace {

std::string CellLabel(int column, int row) {
  return FormatStr("%s%d", ColumnLabel(column).c_str(), row + 1);
}

std::string Trimmed(std::string text) {
  TrimAndTestEmpty(text, 3);
  return text;
}

QLabel* AddLabel(QGridLayout* grid, QWidget* parent, const char* text, int row) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  grid->addWidget(label, row, 0);
  return label;
}

// A one-line field would cut what it is given to 32,767 characters; formulas and results of
// any length are held whole.
constexpr int kWholeText = std::numeric_limits<int>::max();

QLineEdit* AddWholeTextEdit(QWidget* parent, int id, bool readOnly) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QString::number(id));
  edit->setMaxLength(kWholeText);
  edit->setReadOnly(readOnly);
  return edit;
}

// What the formula dialog lets the clerk type: no "|", "[", "]" or "'", at most 250 characters.
constexpr char kTypedFormulaRule[] = "MDBSTRING";
constexpr int kTypedFormulaMax = 250;

}  // namespace

// ---------------------------------------------------------------- shared parts

std::vector<SmIntRect> RiloRunRegions(const CRiloDoc& doc) {
  const CRiloData& s = doc.m_sheet;
  if (s.m_rows <= 0 || s.m_cols <= 0) return {};
  const auto inside = [&s](SmIntRect r) {
    r = r.Normalized();
    r.left = std::clamp(r.left, 0, s.m_cols - 1);
    r.right = std::clamp(r.right, 0, s.m_cols - 1);
    r.top = std::clamp(r.top, 0, s.m_rows - 1);
    r.bottom = std::clamp(r.bottom, 0, s.m_rows - 1);
    return r;
  };
  if (s.m_selectMode == 0) return {{0, 0, s.m_cols - 1, s.m_rows - 1}};
  const SmIntPair cell = s.m_currentCell;
  if (s.m_selectMode == 1) return {inside({cell.first, cell.second, cell.first, cell.second})};
  std::vector<SmIntRect> regions;
  for (const SmIntRect& area : s.m_areas) regions.push_back(inside(area));
  regions.push_back(inside(s.m_selectRect));
  return regions;
}

std::string RiloRegionText(const std::vector<SmIntRect>& regions, int cols, int rows) {
  if (regions.size() > 1)
    return FormatStr("多区域：共 %d 个区域", static_cast<int>(regions.size()));
  if (regions.empty()) return std::string();
  const SmIntRect& r = regions.front();
  if (r.left == r.right && r.top == r.bottom) return "单元格：" + CellLabel(r.left, r.top);
  const bool whole = r.left == 0 && r.top == 0 && r.right == cols - 1 && r.bottom == rows - 1;
  return std::string(whole ? "全部" : "单区域") + "：" + CellLabel(r.left, r.top) + " 至 " +
         CellLabel(r.right, r.bottom);
}

std::string RiloSourceName(const CRiloDoc& doc) {
  if (doc.m_storage == SM_RILO_DB) {
    return FormatStr("%s\\%d\\%s", CCaculateChild::GetAppDataFileName().c_str(), doc.m_nNo,
                     doc.m_subNo.c_str());
  }
  return doc.m_childOpen ? doc.m_childPath : doc.m_path;
}

std::vector<std::string> RiloCellValues(const CRiloDoc& doc) {
  const CRiloData& s = doc.m_sheet;
  const int layer = doc.m_childOpen ? 3 : 0;
  std::vector<std::string> values(static_cast<size_t>(std::max(s.m_rows * s.m_cols, 0)));
  for (size_t i = 0; i < values.size() && i < s.m_texts.size(); ++i)
    values[i] = CRiloDoc::GetCellLayer(s.m_texts[i], layer, false);
  return values;
}

void RiloPrepareEvaluator(CCaculateChild& calc, const CRiloDoc& doc,
                          const std::vector<std::string>& values) {
  calc.m_defaultSource.SetSource(RiloSourceName(doc), doc.m_sheet.m_rows, doc.m_sheet.m_cols,
                                 values);
  calc.m_vars = doc.m_sheet.m_vars;
  calc.m_bPreprocess = 1;
  calc.Prepare();  // a failed preparation shows in the first formula's error
}

std::string RiloErrorText(CCaculateChild& calc) {
  int code = 0;
  int position = 0;
  std::string message;
  calc.GetErrorInfo(code, message, position);
  return message.empty() ? std::string("错误!") : message;
}

// ---------------------------------------------------------------- the walk

CRiloRunDlg::CRiloRunDlg(unsigned templateId, const CRiloDoc& doc, int formulaLayer,
                         QWidget* parent)
    : CSmDlg(templateId, parent), m_doc(doc), m_cols(doc.m_sheet.m_cols) {
  doc.GetAllCellTexts(m_formulas, formulaLayer);
  m_regions = RiloRunRegions(doc);
  RiloPrepareEvaluator(m_calc, doc, RiloCellValues(doc));
  m_pause = new QCheckBox(this);
  m_runButton = AddButton(formulaLayer == 1 ? kCalcStart : kAuditStart, QStringLiteral("&B.开始"));
  m_nextButton = AddButton(formulaLayer == 1 ? kCalcNext : kAuditNext, QStringLiteral("&N.下一个"));
  m_regionLabel = new QLabel(
      QString::fromStdString(RiloRegionText(m_regions, doc.m_sheet.m_cols, doc.m_sheet.m_rows)),
      this);
  m_regionLabel->setObjectName(
      QString::number(formulaLayer == 1 ? kCalcRegionLabel : kAuditRegionLabel));
  SetEnterMovesFocus(false);
}

bool CRiloRunDlg::OnCommand(unsigned id) {
  const bool run = id == static_cast<unsigned>(m_runButton->objectName().toInt());
  const bool next = id == static_cast<unsigned>(m_nextButton->objectName().toInt());
  if (!run && !next) return CSmDlg::OnCommand(id);
  if (m_running) return true;
  if (next) {
    Step();
  } else if (m_finished) {
    EndOK();
  } else {
    Run();
  }
  return true;
}

void CRiloRunDlg::OnOK() {
  if (!m_running) CSmDlg::OnOK();
}

void CRiloRunDlg::OnCancel() {
  // The run stops at its next step and closes the dialog then.
  if (m_running) {
    m_cancelled = true;
    return;
  }
  CSmDlg::OnCancel();
}

void CRiloRunDlg::AddWalkControls(QGridLayout* grid, int row, const char* regionCaption,
                                  const char* pauseText, int pauseId) {
  AddLabel(grid, this, regionCaption, row);
  grid->addWidget(m_regionLabel, row, 1, 1, 3);
  m_pause->setText(QString::fromUtf8(pauseText));
  m_pause->setObjectName(QString::number(pauseId));
  grid->addWidget(m_pause, row + 1, 0, 1, 4);
  grid->addWidget(m_runButton, row + 2, 1);
  grid->addWidget(m_nextButton, row + 2, 2);
  grid->addWidget(AddButton(2, QStringLiteral("&X.取消")), row + 2, 3);
}

void CRiloRunDlg::Start() {
  m_region = 0;
  m_finished = m_regions.empty();
  m_started = false;
  if (m_finished) return;
  m_col = Region().left;
  m_row = Region().top;
  StartRegion();
}

void CRiloRunDlg::Advance() {
  if (m_finished) return;
  if (++m_col <= Region().right) return;
  m_col = Region().left;
  if (++m_row <= Region().bottom) return;
  m_row = Region().top;
  if (RepeatRegion()) return;
  if (++m_region >= m_regions.size()) {
    m_finished = true;
    return;
  }
  m_col = Region().left;
  m_row = Region().top;
  StartRegion();
}

void CRiloRunDlg::BeginRun() {
  m_started = true;
  m_running = true;
  m_cancelled = false;
  m_cellsDone = 0;
  UpdateButtons();
  m_calc.SetProgress([this] { return ShowProgress(); });
}

bool CRiloRunDlg::EndRun() {
  m_calc.SetProgress({});
  m_running = false;
  if (!m_cancelled) return true;
  CSmDlg::OnCancel();
  return false;
}

bool CRiloRunDlg::ShowProgress() {
  ShowCell(m_col, m_row);
  ShowBusy();
  QCoreApplication::processEvents();
  return !m_cancelled;
}

void CRiloRunDlg::Run() {
  CSmWaitCursor wait;
  BeforeRun();
  BeginRun();
  while (!m_finished) {
    const bool ok = EvaluateCell();
    m_evaluated = {m_col, m_row};
    ++m_cellsDone;
    if (m_cancelled || (!ok && m_pause->isChecked())) break;
    Advance();
    if (!m_calc.KeepGoing()) break;
  }
  if (!EndRun()) return;
  ShowCell(m_evaluated.first, m_evaluated.second);
  ShowOutcome();
  UpdateButtons();
}

void CRiloRunDlg::Step() {
  if (m_finished) return;
  BeginRun();
  Advance();
  if (!m_finished) {
    ShowCell(m_col, m_row);
    EvaluateCell();
    m_evaluated = {m_col, m_row};
  }
  if (!EndRun()) return;
  ShowOutcome();
  UpdateButtons();
}

void CRiloRunDlg::UpdateButtons() {
  const bool atStart = !m_started && !m_finished;
  m_runButton->setText(atStart      ? QStringLiteral("&B.开始")
                       : m_finished ? QStringLiteral("&S.确认")
                                    : QStringLiteral("&C.继续"));
  m_runButton->setEnabled(!m_running);
  m_nextButton->setEnabled(!m_finished && !m_running);
  if (m_finished) m_runButton->setFocus();
}

// ---------------------------------------------------------------- calculation

CRiloCalcDlg::CRiloCalcDlg(const CRiloDoc& doc, QWidget* parent)
    : CRiloRunDlg(834, doc, 1, parent) {
  setWindowTitle(QStringLiteral("按公式填制报表:"));
  auto* grid = new QGridLayout(this);
  AddLabel(grid, this, "单元格：", 0);
  m_cellLabel = new QLabel(this);
  m_cellLabel->setObjectName(QString::number(kCellLabel));
  grid->addWidget(m_cellLabel, 0, 1, 1, 3);
  AddLabel(grid, this, "公  式：", 1);
  m_formulaEdit = AddWholeTextEdit(this, kFormula, false);
  m_formulaEdit->setMinimumWidth(360);
  grid->addWidget(m_formulaEdit, 1, 1, 1, 3);
  AddLabel(grid, this, "结  果：", 2);
  m_resultEdit = AddWholeTextEdit(this, kResult, true);
  grid->addWidget(m_resultEdit, 2, 1, 1, 3);
  AddLabel(grid, this, "提  示：", 3);
  m_hintLabel = new QLabel(this);
  m_hintLabel->setObjectName(QString::number(kHint));
  m_hintLabel->setWordWrap(true);
  grid->addWidget(m_hintLabel, 3, 1, 1, 3);
  AddWalkControls(grid, 4, "区  域：", "在公式错误处暂停", kPause);
  Start();
}

void CRiloCalcDlg::OnInitDialog() {
  CSmDlg::OnInitDialog();
  setWindowTitle(QString::fromStdString("报表计算：" + m_calc.m_defaultSource.m_sName));
  m_pause->setChecked(false);
  ShowCell(m_col, m_row);
  UpdateButtons();
  SetDefaultButton(static_cast<unsigned>(m_runButton->objectName().toInt()));
  m_runButton->setFocus();
}

void CRiloCalcDlg::StartRegion() {
  m_pass = 0;
  const SmIntRect& r = Region();
  m_done.assign(static_cast<size_t>((r.right - r.left + 1) * (r.bottom - r.top + 1)), 0);
  m_doneCount = 0;
}

bool CRiloCalcDlg::RepeatRegion() {
  if (m_doneCount >= static_cast<int>(m_done.size()) || m_pass >= kLastPass) return false;
  ++m_pass;
  return true;
}

std::string CRiloCalcDlg::CellValue(double value) const {
  const std::vector<SmIntPair>& formats = m_doc.m_sheet.m_numberFormats;
  const size_t index = static_cast<size_t>(CurrentIndex());
  const SmIntPair format = index < formats.size() ? formats[index] : SmIntPair{2, 2};
  if (format.first < 0) return NumberToPlainText(value);  // a text cell takes the plain number
  return ReplaceAll(FormatNumber(value, 0, format.first, format.second), ",", "");
}

bool CRiloCalcDlg::EvaluateCell() {
  m_result.clear();
  const size_t index = static_cast<size_t>(CurrentIndex());
  const std::string formula = Trimmed(m_formulas.at(index));
  int group = 0;
  bool ok = true;
  if (formula.empty()) {
    m_hint = "无公式!";
  } else {
    m_calc.m_bGroupFilter = 1;
    m_calc.m_nRequiredGroup = m_pass;
    m_calc.m_defaultSource.m_nCol = m_col;
    m_calc.m_defaultSource.m_nRow = m_row;
    std::string result;
    int type = CAC_NUMBER;
    ok = m_calc.Evaluate(formula, result, type);
    group = m_calc.m_nFormulaGroup;
    if (!ok) {
      m_hint = RiloErrorText(m_calc);
    } else if (group == m_pass) {
      if (type == CAC_NUMBER) {
        double value = 0;
        std::sscanf(result.c_str(), "%lf", &value);
        result = CellValue(value);
      } else if (type == CAC_NOTHING) {
        result.clear();
      }
      m_hint = "正确!";
      m_result = result;
      m_calc.SetDefaultCellText(m_col, m_row, result);
    }
  }
  // A cell counts once, in the pass of its group, whether its formula worked or not.
  const SmIntRect& r = Region();
  const size_t cell =
      static_cast<size_t>((m_col - r.left) + (m_row - r.top) * (r.right - r.left + 1));
  if (group == m_pass && !m_done[cell]) {
    m_done[cell] = 1;
    ++m_doneCount;
  }
  return ok;
}

void CRiloCalcDlg::ShowOutcome() {
  m_hintLabel->setText(QString::fromStdString(m_hint));
  m_resultEdit->setText(QString::fromStdString(m_result));
}

void CRiloCalcDlg::ShowBusy() {
  m_hintLabel->setText(
      QString::fromStdString(FormatStr("正在计算……已算 %d 个单元格，按“取消”停止", m_cellsDone)));
  m_resultEdit->clear();
}

void CRiloCalcDlg::ShowCell(int col, int row) {
  if (m_regions.empty()) return;
  m_cellLabel->setText(QString::fromStdString(CellLabel(col, row)));
  m_formulaEdit->setText(
      QString::fromStdString(m_formulas.at(static_cast<size_t>(col + row * m_cols))));
}

void CRiloCalcDlg::BeforeRun() {
  if (!m_finished)
    m_formulas.at(static_cast<size_t>(CurrentIndex())) = m_formulaEdit->text().toStdString();
}

void CRiloCalcDlg::UpdateButtons() {
  CRiloRunDlg::UpdateButtons();
  m_formulaEdit->setEnabled(!m_finished && !m_running);
}

// ---------------------------------------------------------------- audit

CRiloAuditDlg::CRiloAuditDlg(const CRiloDoc& doc, QWidget* parent)
    : CRiloRunDlg(838, doc, 2, parent) {
  setWindowTitle(QStringLiteral("报表审核"));
  auto* grid = new QGridLayout(this);
  m_list = new QTreeWidget(this);
  m_list->setObjectName(QString::number(kList));
  m_list->setRootIsDecorated(false);
  m_list->setMinimumSize(540, 260);
  grid->addWidget(m_list, 0, 0, 1, 4);
  AddWalkControls(grid, 1, "审核区域：", "&E.在公式错误处暂停", kPause);
  m_list->setHeaderLabels({QStringLiteral("单元格"), QStringLiteral("说明"), QStringLiteral("结果"),
                           QStringLiteral("审核公式")});
  const int widths[] = {50, 200, 70, 200};
  for (int i = 0; i < 4; ++i) m_list->setColumnWidth(i, widths[i]);
  Start();
}

void CRiloAuditDlg::OnInitDialog() {
  CSmDlg::OnInitDialog();
  setWindowTitle(QString::fromStdString("报表审核：" + m_calc.m_defaultSource.m_sName));
  m_pause->setChecked(false);
  UpdateButtons();
  SetDefaultButton(static_cast<unsigned>(m_runButton->objectName().toInt()));
  m_runButton->setFocus();
}

void CRiloAuditDlg::BeforeRun() {
  // Evaluating the same formula again would stop on it again: go on after it.
  if (m_stoppedOnError) Advance();
  m_stoppedOnError = false;
}

bool CRiloAuditDlg::EvaluateCell() {
  const std::string formula = Trimmed(m_formulas.at(static_cast<size_t>(CurrentIndex())));
  if (formula.empty()) return true;
  m_calc.m_defaultSource.m_nCol = m_col;
  m_calc.m_defaultSource.m_nRow = m_row;
  double value = 0;
  const bool ok = m_calc.EvalDouble(formula, value);
  if (ok && m_calc.m_nFormulaGroup != 0) return true;
  const std::string verdict = !ok                      ? "公式错误：" + RiloErrorText(m_calc)
                              : std::trunc(value) != 0 ? std::string("正确!")
                                                       : std::string("错误!");
  ListResult(m_calc.GetNote(), verdict, formula);
  m_stoppedOnError = !ok && m_pause->isChecked();
  return ok;
}

void CRiloAuditDlg::ListResult(const std::string& note, const std::string& verdict,
                               const std::string& formula) {
  const std::string label = CellLabel(m_col, m_row);
  const QStringList texts = {QString::fromStdString(label), QString::fromStdString(note),
                             QString::fromStdString(verdict), QString::fromStdString(formula)};
  QTreeWidgetItem*& item = m_rows[label];
  if (!item) {
    item = new QTreeWidgetItem(m_list, texts);
  } else {
    for (int i = 0; i < texts.size(); ++i) item->setText(i, texts[i]);
  }
  m_lastRow = item;
}

void CRiloAuditDlg::ShowOutcome() {
  m_regionLabel->setText(QString::fromStdString(
      RiloRegionText(m_regions, m_doc.m_sheet.m_cols, m_doc.m_sheet.m_rows)));
  if (!m_lastRow) return;
  m_list->setCurrentItem(m_lastRow);
  m_list->scrollToItem(m_lastRow);
  m_list->viewport()->repaint();
}

void CRiloAuditDlg::ShowBusy() {
  ShowOutcome();
  m_regionLabel->setText(
      m_regionLabel->text() +
      QString::fromStdString(FormatStr("　正在审核 %s……已审核 %d 个单元格，按“取消”停止",
                                       CellLabel(m_col, m_row).c_str(), m_cellsDone)));
}

// ---------------------------------------------------------------- formula dialog

CRiloCellTextDlg::CRiloCellTextDlg(const CRiloDoc& doc, QWidget* parent)
    : CSmDlg(840, parent), m_doc(doc) {
  const SmIntPair cell = doc.m_sheet.m_currentCell;
  const int index = cell.first + cell.second * doc.m_sheet.m_cols;
  if (cell.first >= 0 && cell.second >= 0 &&
      static_cast<size_t>(index) < doc.m_sheet.m_texts.size())
    m_formula = CRiloDoc::GetLayerPlain(doc.m_sheet.m_texts[static_cast<size_t>(index)], 1);
  setWindowTitle(QStringLiteral("编辑报表公式"));
  auto* grid = new QGridLayout(this);
  m_edit = new CSmEdit(this);
  m_edit->setObjectName(QString::number(kText));
  m_edit->setMinimumWidth(420);
  grid->addWidget(m_edit, 0, 0, 1, 4);
  grid->addWidget(new QLabel(QStringLiteral("测试结果："), this), 1, 0);
  m_testResult = AddWholeTextEdit(this, kTestResult, true);
  grid->addWidget(m_testResult, 1, 1, 1, 3);
  grid->addWidget(AddButton(kTest, QStringLiteral("&D.测试")), 2, 1);
  grid->addWidget(AddButton(1, QStringLiteral("&S.确认")), 2, 2);
  grid->addWidget(AddButton(2, QStringLiteral("&X.取消")), 2, 3);
  SetEnterMovesFocus(false);
}

void CRiloCellTextDlg::OnInitDialog() {
  CSmDlg::OnInitDialog();
  // The rule is for typing. A stored formula that breaks it (longer, or holding "||" or "[",
  // which formulas use) is edited whole without it: under the rule the field would cut the
  // formula or empty it, and "&S.确认" would store that.
  const bool typed = ValidateFieldText(m_formula, {}, 0, kTypedFormulaRule, kTypedFormulaMax, -1);
  if (typed) m_edit->SetInputType(kTypedFormulaRule, kTypedFormulaMax);
  m_edit->setMaxLength(typed ? kTypedFormulaMax : kWholeText);
  const SmIntPair cell = m_doc.m_sheet.m_currentCell;
  setWindowTitle(
      QString::fromStdString("编辑单元格 " + CellLabel(cell.first, cell.second) + " 的公式："));
  SetDefaultButton(1);
  DoDataExchange(false);
  m_edit->setFocus();
}

void CRiloCellTextDlg::DoDataExchange(bool save) {
  if (save) {
    m_formula = m_edit->text().toStdString();
    return;
  }
  m_edit->setText(QString::fromStdString(m_formula));
}

void CRiloCellTextDlg::Test() {
  if (m_testing) return;
  CSmWaitCursor wait;
  DoDataExchange(true);
  CCaculateChild calc;
  RiloPrepareEvaluator(calc, m_doc, RiloCellValues(m_doc));
  calc.m_defaultSource.m_nCol = m_doc.m_sheet.m_currentCell.first;
  calc.m_defaultSource.m_nRow = m_doc.m_sheet.m_currentCell.second;
  const std::string formula = Trimmed(m_formula);
  if (formula.empty()) return;
  m_testing = true;
  m_testStopped = false;
  calc.SetProgress([this] {
    m_testResult->setText(QStringLiteral("正在计算……按“取消”停止"));
    QCoreApplication::processEvents();
    return !m_testStopped;
  });
  std::string result;
  int type = CAC_NUMBER;
  const bool ok = calc.Evaluate(formula, result, type);
  m_testing = false;
  m_testResult->setText(QString::fromStdString(ok ? result : RiloErrorText(calc)));
}

bool CRiloCellTextDlg::OnCommand(unsigned id) {
  if (id != kTest) return CSmDlg::OnCommand(id);
  Test();
  return true;
}

void CRiloCellTextDlg::OnOK() {
  if (!m_testing) CSmDlg::OnOK();
}

void CRiloCellTextDlg::OnCancel() {
  // A test that runs is stopped; the dialog stays open with the formula.
  if (m_testing) {
    m_testStopped = true;
    return;
  }
  CSmDlg::OnCancel();
}
