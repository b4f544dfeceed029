#include "admin/SmNewYearFileDlg.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "admin/SmCarryOver.h"
#include "admin/SmYearFileMaker.h"
#include "app/SmApp.h"
#include "app/SmOpLog.h"
#include "app/SmServerYearFile.h"
#include "cane/TsParams.h"
#include "core/SmDatabase.h"
#include "core/SmDate.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "ui/SmEdit.h"
#include "ui/SmFieldFocus.h"
#include "ui/SmFolderDlg.h"

namespace {

constexpr unsigned kNewYearFileTemplate = 813;
constexpr int kPathLimit = 260;
constexpr int kLogCode = 5;

std::string TrimSlashes(std::string path) {
  while (path.size() > 1 && (path.back() == '/' || path.back() == '\\')) path.pop_back();
  return path;
}

bool IsDigits(const std::string& text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The business year that holds today by the cane module's start month: under the default
// start (1 November of the year before) a first file made in November or December is the next
// calendar year's. A program without the cane module counts calendar years.
std::string ThisYear() {
  const std::string xmm = TsGetDataType() ? TsGetYearStartParam() : std::string();
  return std::to_string(TsBusinessYearOf(NowText("%Y%m%d"), xmm));
}

}  // namespace

CSmNewYearFileDlg::CSmNewYearFileDlg(CSmApp& app, int mode, int kind, const std::string& dataFile,
                                     const std::string& server, QWidget* parent)
    : CSmAppDlg(kNewYearFileTemplate, &app, parent),
      m_app(app),
      m_mode(mode),
      m_kind(kind),
      m_dataFile(dataFile),
      m_server(server) {
  setWindowTitle(QStringLiteral("建立新年度数据文件"));
  m_placeLabel = new QLabel(this);
  m_placeLabel->setObjectName(QString::number(kPlaceLabel));
  m_place = new CSmEdit(this);
  m_place->setObjectName(QString::number(kPlaceEdit));
  m_browse = AddButton(kBrowseButton, QStringLiteral("&B"));
  auto* yearLabel = new QLabel(
      m_app.HasYearFiles() ? QStringLiteral("&F.年  度：") : QStringLiteral("&F.文件名："), this);
  yearLabel->setObjectName(QString::number(kYearLabel));
  m_year = new CSmEdit(this);
  m_year->setObjectName(QString::number(kYearEdit));
  m_placeLabel->setBuddy(m_place);
  yearLabel->setBuddy(m_year);

  auto* fields = new QGridLayout;
  fields->addWidget(m_placeLabel, 0, 0);
  fields->addWidget(m_place, 0, 1);
  fields->addWidget(m_browse, 0, 2);
  fields->addWidget(yearLabel, 1, 0);
  fields->addWidget(m_year, 1, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(AddButton(SM_ID_OK, QStringLiteral("&S.确认")));
  buttons->addWidget(AddButton(SM_ID_CANCEL, QStringLiteral("&X.关闭")));
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addLayout(buttons);
  resize(420, 140);
  connect(qobject_cast<QPushButton*>(m_browse), &QPushButton::clicked, this,
          [this] { OnBrowse(); });

  if (m_app.HasYearFiles()) {
    m_year->SetInputType("STRING DIGIT", 4);
    m_year->setMaxLength(4);
  } else {
    m_year->SetInputType("MDBSTRING", kPathLimit);
    m_year->setMaxLength(kPathLimit);
  }
  if (m_kind == 0) {
    InitAccessFields();
  } else {
    InitServerFields();
  }
}

void CSmNewYearFileDlg::SetConversion(const std::string& sourceServer,
                                      const std::string& sourceFile) {
  m_convert = true;
  m_sourceServer = sourceServer;
  m_sourceFile = sourceFile;
  if (m_kind == 0) {
    InitAccessFields();
  } else {
    InitServerFields();
  }
}

std::string CSmNewYearFileDlg::Ext() const {
  return m_app.GetDataFileExt().empty() ? "tsd" : m_app.GetDataFileExt();
}

CSmConnInfo CSmNewYearFileDlg::Login(int kind, const std::string& server) const {
  return SmYearFileLogin(kind, server);
}

void CSmNewYearFileDlg::InitAccessFields() {
  m_placeLabel->setText(QStringLiteral("&P.位  置："));
  m_place->SetInputType("MDBSTRING", kPathLimit);
  m_place->setMaxLength(kPathLimit);
  const QFileInfo current(QString::fromStdString(m_dataFile));
  // The current file's folder, or the folder itself (also one still to be made).
  const bool isFile = current.isFile() || current.suffix().compare(QString::fromStdString(Ext()),
                                                                   Qt::CaseInsensitive) == 0;
  const std::string folder =
      m_dataFile.empty() || !isFile ? m_dataFile : current.absolutePath().toStdString();
  m_place->setText(QString::fromStdString(TrimSlashes(folder)));
  const bool yearly = m_app.HasYearFiles();
  if (yearly) {
    const std::string year =
        m_convert ? (m_sourceFile.size() >= 4 ? m_sourceFile.substr(m_sourceFile.size() - 4) : "")
                  : NextAccessYear(folder);
    m_year->setText(QString::fromStdString(year));
  } else if (current.isFile()) {
    m_year->setText(current.completeBaseName());
  }
  m_year->setEnabled(!(yearly && m_convert));
}

void CSmNewYearFileDlg::InitServerFields() {
  m_placeLabel->setText(QStringLiteral("&P.序  号："));
  m_place->SetInputType("STRING DIGIT", 4);
  m_place->setMaxLength(4);
  m_browse->setEnabled(false);
  m_browse->hide();
  const bool yearly = m_app.HasYearFiles();
  m_year->setEnabled(yearly && !m_convert);
  const std::string ext = Ext();
  const bool sameSet = yearly && m_dataFile.size() >= ext.size() + 4 &&
                       MakeUpperCopy(m_dataFile.substr(0, ext.size())) == MakeUpperCopy(ext);
  const std::string sequence = sameSet ? m_dataFile.substr(ext.size(), 4) : NextServerSequence();
  m_place->setText(QString::fromStdString(sequence));
  if (!yearly) return;
  const std::string year =
      m_convert ? QFileInfo(QString::fromStdString(m_sourceFile)).completeBaseName().toStdString()
                : NextServerYear(sequence);
  m_year->setText(QString::fromStdString(year));
}

std::string CSmNewYearFileDlg::NextAccessYear(const std::string& folder) const {
  const QDir dir(QString::fromStdString(TrimSlashes(folder)));
  int newest = -1;
  const QStringList names = dir.entryList({QString::fromStdString("*." + Ext())}, QDir::Files);
  for (const QString& name : names) {
    const std::string title = QFileInfo(name).completeBaseName().toStdString();
    if (!IsDigits(title)) continue;
    newest = std::max(newest, StrToIntDef(title, 0));
  }
  return newest < 0 ? ThisYear() : std::to_string(newest + 1);
}

std::string CSmNewYearFileDlg::NextServerSequence() const {
  std::vector<SmServerAccountSet> sets;
  if (SmListServerAccountSets(m_kind, Login(m_kind, m_server), Ext(), sets, m_app.HasYearFiles()) <
      0)
    return {};
  int newest = 0;
  for (const SmServerAccountSet& set : sets) newest = std::max(newest, StrToIntDef(set.code, 0));
  return FormatStr("%04d", newest + 1);
}

std::string CSmNewYearFileDlg::NextServerYear(const std::string& sequence) const {
  std::vector<SmServerAccountSet> sets;
  if (SmListServerAccountSets(m_kind, Login(m_kind, m_server), Ext(), sets) < 0) return {};
  for (const SmServerAccountSet& set : sets) {
    if (set.code == sequence && !set.years.empty()) return FormatStr("%04d", set.years.back() + 1);
  }
  return ThisYear();
}

void CSmNewYearFileDlg::OnBrowse() {
  CSmFolderDlg dlg(m_place->text().toStdString(), this);
  if (dlg.DoModal() != SM_IDOK) return;
  m_place->setText(QString::fromStdString(TrimSlashes(dlg.GetFolder())));
}

bool CSmNewYearFileDlg::BuildNames(int* year) {
  const bool yearly = m_app.HasYearFiles();
  std::string yearText = m_year->text().trimmed().toStdString();
  *year = QDate::currentDate().year();
  if (yearly) {
    *year = StrToIntDef(yearText, 0);
    if (*year < 1900) return SmRefuse("年度有误！", m_year);
    yearText = FormatStr("%04d", *year);
    m_year->setText(QString::fromStdString(yearText));
  } else if (yearText.empty()) {
    return SmRefuse("文件名有误！", m_year);
  }
  const std::string previousText = FormatStr("%04d", *year - 1);
  if (m_kind != 0) {
    const int sequence = StrToIntDef(m_place->text().trimmed().toStdString(), 0);
    if (sequence < 1) return SmRefuse("序号有误！", m_place);
    const std::string code = FormatStr("%04d", sequence);
    m_place->setText(QString::fromStdString(code));
    m_newFile = Ext() + code + (yearly ? yearText : std::string());
    m_previousFile = Ext() + code + previousText;
    m_folder.clear();
    return true;
  }
  m_folder = TrimSlashes(m_place->text().trimmed().toStdString());
  if (m_folder.empty()) return SmRefuse("位置有误！", m_place);
  m_newFile = m_folder + "/" + yearText + "." + Ext();
  m_previousFile = m_folder + "/" + previousText + "." + Ext();
  return true;
}

bool CSmNewYearFileDlg::CreateDataFile() {
  if (m_mode == 0) return false;
  int year = 0;
  if (!BuildNames(&year)) return false;
  const SmYearFileJob job = Job(year);
  if (!ShowRefusal(SmCheckNewYearFile(job, m_app.HasYearFiles(), &m_previousExists))) return false;
  if (!m_convert &&
      SmMessageBox("真的要创建吗？", SM_MB_YESNOCANCEL | SM_MB_ICONQUESTION) != SM_IDYES)
    return false;
  if (!ShowRefusal(SmMakeYearFile(m_app, job, m_previousExists))) return false;
  if (m_convert) {
    SmMessageBox("转换完毕！", SM_MB_OK | SM_MB_ICONINFORMATION);
  } else if (m_previousExists) {
    OfferCarryOver(year);
  } else {
    SmMessageBox("数据文件“" + m_newFile + "” 创建成功！", SM_MB_OK | SM_MB_ICONINFORMATION);
  }
  if (m_app.GetDatabase()) CSmOpLog(kLogCode, "建立数据文件：" + m_newFile);
  return true;
}

void CSmNewYearFileDlg::OfferCarryOver(int year) {
  const std::string question = FormatStr("年度文件“%s” 创建成功！\n\n要执行%d─→%d年数据结转吗？",
                                         m_newFile.c_str(), year - 1, year);
  if (SmMessageBox(question, SM_MB_YESNOCANCEL | SM_MB_ICONQUESTION) != SM_IDYES) return;
  const CSmConnInfo login = Login(m_kind, m_server);
  CSmDatabase previous(m_kind);
  CSmDatabase made(m_kind);
  if (!previous.Open(m_previousFile, login)) {
    SmRefuse("打开年度文件“" + m_previousFile + "” 失败！", m_year);
    return;
  }
  if (!made.Open(m_newFile, login)) {
    SmRefuse("打开年度文件“" + m_newFile + "” 失败！", m_year);
    return;
  }
  SmCarryOverAll(m_app, &previous, &made);
}

SmYearFileJob CSmNewYearFileDlg::Job(int year) const {
  return {m_kind, m_server,  m_folder,       m_newFile,   m_previousFile,
          year,   m_convert, m_sourceServer, m_sourceFile};
}

bool CSmNewYearFileDlg::ShowRefusal(const SmRefusal& refusal) {
  // As SmYearFileField counts them.
  QWidget* const fields[] = {m_place, m_year};
  return SmShowRefusal(refusal, refusal.field == kSmNoField ? nullptr : fields[refusal.field]);
}

bool CSmNewYearFileDlg::CopyPreviousYearInfo(CSmDatabase* source, CSmDatabase* target, int year) {
  return SmCopyPreviousYearInfo(m_app, source, target, year);
}

bool SmRunNewYearFileDlg(CSmApp& app, const SmNewYearFileRequest& request, QWidget* parent,
                         SmNewYearFileResult* result) {
  CSmNewYearFileDlg dlg(app, 1, request.kind, request.dataFile, request.server, parent);
  if (request.convert) dlg.SetConversion(request.sourceServer, request.sourceFile);
  if (dlg.DoModal() != SM_IDOK) return false;
  if (result) *result = {dlg.GetFolder(), dlg.GetNewFile()};
  return true;
}
