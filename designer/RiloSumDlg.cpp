#include "designer/RiloSumDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <algorithm>

#include "app/SmApp.h"
#include "core/SmDatabase.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "designer/RiloCalcDlg.h"
#include "designer/RiloDlgParts.h"
#include "designer/RiloDoc.h"
#include "platform/SmMessage.h"
#include "ui/SmWaitCursor.h"

namespace {

constexpr const char* kScaleNames[] = {"不缩小", "十  倍", "一百倍", "一千倍",
                                       "一万倍", "十万倍", "百万倍"};
constexpr std::string_view kLineBlanks = " \t\r\n";

std::string ModuleTypeCode() {
  CSmApp* app = SmGetApp();
  const std::string ext = app ? app->GetDataFileExt() : std::string();
  return ext.empty() ? std::string("tsd") : ext;
}

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

}  // namespace

CRiloSumDlg::CRiloSumDlg(CRiloDoc& doc, QWidget* parent) : CSmDlg(839, parent), m_doc(doc) {
  m_textAsRead = doc.m_sheet.m_noteText;
  RiloReadSumNote(m_textAsRead, m_settings, m_program);
  setWindowTitle(QStringLiteral("报表汇总"));
  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel(QStringLiteral("目标报表："), this), 0, 0);
  m_targetLabel = new QLabel(this);
  m_targetLabel->setObjectName(QString::number(kTargetLabel));
  grid->addWidget(m_targetLabel, 0, 1, 1, 5);
  m_edit = new QPlainTextEdit(this);
  m_edit->setObjectName(QString::number(kText));
  m_edit->setMinimumSize(520, 260);
  m_edit->setLineWrapMode(QPlainTextEdit::NoWrap);
  grid->addWidget(m_edit, 1, 0, 1, 6);
  grid->addWidget(AddButton(kEditProgram, QStringLiteral("&E.编辑“源报表生成程序”")), 2, 0, 1, 2);
  grid->addWidget(AddButton(kGenerate, QStringLiteral("&R.用源报表程序生成源报表")), 2, 2, 1, 2);
  grid->addWidget(AddButton(kEditSources, QStringLiteral("&F.编辑参与汇总的源报表")), 2, 4, 1, 2);
  auto* scaleLabel = new QLabel(QStringLiteral("&A.缩小倍数："), this);
  m_scaleEdit = new QLineEdit(this);
  m_scaleEdit->setObjectName(QString::number(kScale));
  m_scaleEdit->setReadOnly(true);
  m_scaleEdit->setMaximumWidth(80);
  scaleLabel->setBuddy(m_scaleEdit);
  grid->addWidget(scaleLabel, 3, 0);
  grid->addWidget(m_scaleEdit, 3, 1);
  grid->addWidget(RiloSpinArrows(this, kScaleSpin, [this](bool up) { OnScaleSpin(up); }), 3, 2);
  auto* decimalsLabel = new QLabel(QStringLiteral("&B.小数位数："), this);
  m_decimals = new QSpinBox(this);
  m_decimals->setObjectName(QString::number(kDecimals));
  m_decimals->setRange(0, 6);
  decimalsLabel->setBuddy(m_decimals);
  grid->addWidget(decimalsLabel, 3, 3);
  grid->addWidget(m_decimals, 3, 4);
  m_clear = new QCheckBox(QStringLiteral("&Q.清空目标表"), this);
  m_clear->setObjectName(QString::number(kClear));
  grid->addWidget(m_clear, 4, 0, 1, 2);
  grid->addWidget(AddButton(1, QStringLiteral("汇总(&S)")), 4, 3);
  grid->addWidget(AddButton(2, QStringLiteral("取消(&X)")), 4, 4);
  SetEnterMovesFocus(false);
}

void CRiloSumDlg::OnInitDialog() {
  CSmDlg::OnInitDialog();
  if (TrimChars(m_program, kLineBlanks).empty()) {
    m_program = RiloSumProgramTemplate(ModuleTypeCode());
    m_textAsRead = m_program;
  }
  const CRiloData& s = m_doc.m_sheet;
  if (m_doc.m_storage == SM_RILO_FILE)
    m_targetName = m_doc.m_childOpen ? m_doc.m_childPath : m_doc.m_path;
  else if (m_doc.m_nNo >= 1)
    m_targetName = m_doc.m_subNo.empty()
                       ? s.m_reportName
                       : FormatStr("%s\\%s", s.m_reportName.c_str(), m_doc.m_subNo.c_str());
  m_opened.SetSource(m_targetName, s.m_rows, s.m_cols, RiloCellValues(m_doc));
  m_target = m_opened;
  m_targetLabel->setText(Q(m_targetName));
  m_shown = 0;
  m_edit->setPlainText(Q(m_program));
  DoDataExchange(false);
  ShowText(0);
  SetDefaultButton(1);
  m_edit->setFocus();
}

void CRiloSumDlg::DoDataExchange(bool save) {
  if (save) {
    m_settings.decimals = m_decimals->value();
    m_settings.clear = m_clear->isChecked() ? 1 : 0;
    return;
  }
  m_scaleEdit->setText(QString::fromUtf8(kScaleNames[m_settings.scale]));
  m_decimals->setValue(m_settings.decimals);
  m_clear->setChecked(m_settings.clear != 0);
}

void CRiloSumDlg::ShowText(int which) {
  // The edit box ends its lines with LF; the texts keep CR LF.
  (m_shown == 0 ? m_program : m_list) =
      ReplaceAll(m_edit->toPlainText().toStdString(), "\n", "\r\n");
  if (which != m_shown) {
    m_shown = which;
    m_edit->setPlainText(Q(which == 0 ? m_program : m_list));
  }
  Control(kEditProgram)->setEnabled(which == 1);
  Control(kEditSources)->setEnabled(which == 0);
}

void CRiloSumDlg::OnScaleSpin(bool up) {
  const int scale = m_settings.scale + (up ? 1 : -1);
  if (scale < 0 || scale > 6) {
    QApplication::beep();
    return;
  }
  m_settings.scale = scale;
  m_scaleEdit->setText(QString::fromUtf8(kScaleNames[scale]));
}

std::string CRiloSumDlg::RunBlock(const SmRiloSumBlock& block,
                                  std::vector<std::string>& refs) const {
  CSmApp* app = SmGetApp();
  CSmDatabase* db = app ? app->GetDatabase() : nullptr;
  SmRiloSumTarget target{ModuleTypeCode(), db ? db->GetFileName() : std::string(), m_doc.m_nNo,
                         m_doc.m_subNo};
  if (db && db->GetKind() != 0 && db->IsOpen()) return RiloSumBlockServer(block, target, *db, refs);
  return RiloSumBlockFiles(block, target, refs);
}

bool CRiloSumDlg::OnGenerate() {
  ShowText(m_shown);
  m_list.clear();
  std::vector<std::string> refs;
  {
    CSmWaitCursor wait;
    const std::string error = RiloRunSumProgram(
        m_program,
        [this](const SmRiloSumBlock& block, std::vector<std::string>& found) {
          return RunBlock(block, found);
        },
        refs);
    if (!error.empty()) SmMessageBox(error, SM_MB_ICONERROR);
  }
  if (refs.empty()) return false;
  for (const std::string& ref : refs) m_list += ref + "\r\n";
  m_shown = 0;  // the edit box holds the program: keep it, then show the list
  m_edit->setPlainText(Q(m_program));
  ShowText(1);
  return true;
}

bool CRiloSumDlg::OnCommand(unsigned id) {
  switch (id) {
    case kEditProgram:
      ShowText(0);
      return true;
    case kEditSources:
      ShowText(1);
      return true;
    case kGenerate:
      OnGenerate();
      return true;
    default:
      return CSmDlg::OnCommand(id);
  }
}

bool CRiloSumDlg::TargetIsChildTable() const {
  if (m_doc.m_storage == SM_RILO_FILE) return m_doc.m_childOpen && !m_doc.m_childPath.empty();
  return m_doc.m_nNo >= 0 && !m_doc.m_subNo.empty();
}

void CRiloSumDlg::ClearTarget() {
  const std::vector<SmIntPair>& formats = m_doc.m_sheet.m_numberFormats;
  for (int r = 0; r < m_target.m_nRows; ++r) {
    for (int c = 0; c < m_target.m_nCols; ++c) {
      const size_t index = static_cast<size_t>(r) * m_target.m_nCols + c;
      if (index < formats.size() && formats[index].first == -1) continue;
      if (IsNumberText(m_target.GetCellText(c, r), 0, -1)) m_target.SetCellText(c, r, {});
    }
  }
}

bool CRiloSumDlg::SumSource(const std::string& reference) {
  CSmCalcContext source;
  if (!source.OpenReportFile(reference)) {
    return SmMessageBox(reference + "\n无法打开此报表！继续吗？",
                        SM_MB_YESNO | SM_MB_ICONQUESTION) == SM_IDYES;
  }
  if (source.m_nRows != m_target.m_nRows || source.m_nCols != m_target.m_nCols) {
    const std::string question = "源 报 表：" + reference +
                                 FormatStr("\n\t%d行\t%d栏\n", source.m_nRows, source.m_nCols) +
                                 "目标报表：" + m_targetName +
                                 FormatStr("\n\t%d行\t%d栏\n", m_target.m_nRows, m_target.m_nCols) +
                                 "本报表和目标报表的行、栏不相等，\n" + "\t本报表参与汇总吗？";
    if (SmMessageBox(question, SM_MB_YESNO | SM_MB_ICONQUESTION) != SM_IDYES) return false;
  }
  // The target's number formats, laid out like the source's cells.
  const std::vector<SmIntPair>& formats = m_doc.m_sheet.m_numberFormats;
  std::vector<SmIntPair> flags(static_cast<size_t>(source.m_nRows) * source.m_nCols, {0, 0});
  for (int r = 0; r < std::min(source.m_nRows, m_target.m_nRows); ++r) {
    for (int c = 0; c < std::min(source.m_nCols, m_target.m_nCols); ++c) {
      const size_t own = static_cast<size_t>(r) * m_target.m_nCols + c;
      if (own < formats.size()) flags[static_cast<size_t>(r) * source.m_nCols + c] = formats[own];
    }
  }
  m_target.Merge(source, flags, m_settings.scale, m_settings.decimals);
  return true;
}

bool CRiloSumDlg::ValidateAndSave() {
  ShowText(1);
  UpdateData(true);
  const std::vector<std::string> sources = RiloSplitSumList(m_list);
  if (sources.empty()) {
    SmMessageBox("无可汇总的报表！", SM_MB_ICONERROR);
    return false;
  }
  if (!TargetIsChildTable()) {
    SmMessageBox("目标表号有误！", SM_MB_ICONERROR);
    return false;
  }
  CSmWaitCursor wait;
  m_target = m_opened;
  if (m_settings.clear) ClearTarget();
  for (const std::string& source : sources) {
    if (!SumSource(source)) return false;
  }
  SaveProgram(false);
  return true;
}

void CRiloSumDlg::OnCancel() {
  ShowText(m_shown);
  UpdateData(true);
  SaveProgram(true);
  CSmDlg::OnCancel();
}

void CRiloSumDlg::SaveProgram(bool ask) {
  const std::string note = RiloSumNote(m_settings, m_program);
  if (note == m_textAsRead) return;
  if (ask && SmMessageBox("汇总程序被改变，认可吗？", SM_MB_YESNO | SM_MB_ICONQUESTION) != SM_IDYES)
    return;
  ++m_doc.m_changes[8];
  const std::string kept = TrimChars(note, kLineBlanks);
  const std::string standard = TrimChars(RiloSumProgramTemplate(ModuleTypeCode()), kLineBlanks);
  m_doc.m_sheet.m_noteText = MakeUpperCopy(kept) == MakeUpperCopy(standard) ? std::string() : kept;
  m_textAsRead = note;
}
